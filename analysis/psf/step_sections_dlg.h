#pragma once
// TStepSectionsDlg: "Section step", the step of the tables of the energy concentration and
// the MTF sections, shown rounded to a round value and edited in one field.

#include "toolkit/dialogs/color_dlg.h"

class TMultiEdit;

// The round value a step is shown as: of the two neighbouring round steps of
// RoundSignificant the upper one when it lies at least as near, else the lower one. A
// step that is not a positive finite number comes back as 0 (the caller's default then).
double RoundedSectionStep(double step);

class TStepSectionsDlg : public TColorDlg {
 public:
  static constexpr int kStepEdit = 101;

  // step: the caller's value, rounded for showing; "Ok" stores the edited value there.
  TStepSectionsDlg(TWindow *parentWindow, double *step);
  ~TStepSectionsDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  void CmOk();
  double Value() const { return value_; }

 private:
  double *step_;
  double value_;
  TMultiEdit *edits_;
};
