#include "analysis/psf/step_sections_dlg.h"

#include <cmath>
#include <string>

#include "foundation/numtext/typed_number.h"
#include "optics/psf/diffraction_sampling.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "toolkit/binding/multi_edit.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

const TDialogTemplate kStepTemplate{"StepSectionsDlg", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                    40, 40, 120, 52, "Section step", {
    {"STATIC", "Step:", 0, SS_LEFT, 8, 10, 24, 9},
    {"EDIT", "", TStepSectionsDlg::kStepEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 36, 8, 74, 12},
    {"BUTTON", "Ok", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 8, 30, 48, 14},
    {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 64, 30, 48, 14},
}};
const TDialogRegistration kStepRegistration(kStepTemplate);

const TResponseTableEntry kStepTable[] = {
    EvCommand<&TStepSectionsDlg::CmOk>(IDOK),
};

}  // namespace

double RoundedSectionStep(double step) {
  if (!(step > 0.0) || !std::isfinite(step)) return 0.0;
  double lower = step, upper = step;
  RoundSignificant(step, lower, upper);
  return std::fabs(upper - step) <= std::fabs(step - lower) ? upper : lower;
}

TStepSectionsDlg::TStepSectionsDlg(TWindow *parentWindow, double *step)
    : TColorDlg(parentWindow, "StepSectionsDlg"),
      step_(step),
      value_(RoundedSectionStep(step != nullptr ? *step : 0.0)),
      edits_(new TMultiEdit(this, 1)) {
  edits_->AddEdit(kStepEdit, &value_, 'd', "%8.3g");
}

TStepSectionsDlg::~TStepSectionsDlg() { delete edits_; }

bool TStepSectionsDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kStepTable, info) || TColorDlg::Find(info);
}

void TStepSectionsDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  edits_->WriteAll();
  SetFontToChildren(GetHandle(), nullptr);
}

void TStepSectionsDlg::CmOk() {
  // A step that is no number, zero or negative is refused and the dialog stays open: a
  // table of such steps has no rows to show.
  char text[64] = {};
  GetDlgItemText(kStepEdit, text, static_cast<int>(sizeof text));
  const std::string refusal = NonPositiveNumberMessage("Step", text);
  if (!refusal.empty()) {
    MessageBox(GetHandle(), refusal, "Warning", MB_OK | MB_ICONINFORMATION);
    edits_->WriteAll();
    if (TWindow *edit = ChildWithId(kStepEdit)) edit->SetFocus();
    return;
  }
  edits_->ReadAll();
  if (step_ != nullptr) *step_ = value_;
  TColorDlg::CmOk();
}
