#pragma once
// TVariablesDlg: the modal dialog of the system's properties in which the user chooses the
// optimizer's variable parameters: a table of Type, Surface, Configuration, Left, Right and
// the current value, a surface number with Add R and Add T, Delete of the current row, Open
// and Save of *.par files. It works on a copy: OK stores the copy into the folder's list,
// Cancel leaves the list as it was.

#include <functional>
#include <memory>
#include <string>

#include "toolkit/dialogs/color_dlg.h"

class TConfiguredSystem;
class TOptimizationParameters;
class TPropertiesTable;
class TVariablesModel;

class TVariablesDlg : public TColorDlg {
 public:
  // Control ids.
  static constexpr int kTableId = 401;
  static constexpr int kSurfaceId = 402;
  static constexpr int kAddCurvatureId = 403;
  static constexpr int kAddDistanceId = 404;
  static constexpr int kDeleteId = 405;
  static constexpr int kOpenId = 406;
  static constexpr int kSaveId = 407;

  // surface: the number (from 1) the surface field proposes first.
  TVariablesDlg(TWindow *parentWindow, TOptimizationParameters &list, TConfiguredSystem &system, int surface);
  ~TVariablesDlg() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  TPropertiesTable *Table() const { return table_; }
  TVariablesModel &Model() { return *model_; }

  void CmAddCurvature() { AddRow("R"); }
  void CmAddDistance() { AddRow("T"); }
  void CmDelete();
  void CmOpen();
  void CmSave();
  void CmOk();
  void CmCancel();

  // Asked first by OK: true when the system changed since the dialog opened and its owner
  // ended it with a word, so that nothing taken from the system as it was is stored.
  std::function<bool()> endIfSystemChanged;

 private:
  void AddRow(const char *type);
  void Fill();
  // Hands on what the user typed into the table, the cell still being typed into included;
  // false when an entry was refused.
  bool CommitTable();
  // A refusal's message; false when there was one.
  bool Answer(const struct TPropertyEdit &edit);
  std::string ProposedFile() const;

  TOptimizationParameters &list_;
  TConfiguredSystem &system_;
  int surface_;
  std::unique_ptr<TVariablesModel> model_;
  TPropertiesTable *table_ = nullptr;
  bool refused_ = false;
};
