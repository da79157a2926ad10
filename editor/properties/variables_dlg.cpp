#include "editor/properties/variables_dlg.h"

#include <vector>

#include "editor/properties/properties_table.h"
#include "editor/properties/variables_model.h"
#include "foundation/helpers/path_parts.h"
#include "optics/model/optical_system.h"
#include "optimization/parameters/optimization_parameters.h"
#include "optimization/system/configured_system.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "toolkit/dialogs/file_name.h"
#include "toolkit/tables/win_table_edit.h"
#include "optics/model/model_globals.h"

namespace {

constexpr char kFileFilter[] = "Parameters (*.par)|*.par|";

const TDialogTemplate kVariablesTemplate{
    "VariablesDlg", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 40, 30, 300, 196,
    "Variable parameters",
    {
        {"STATIC", "", TVariablesDlg::kTableId, SS_LEFT, 4, 4, 292, 146},
        {"STATIC", "Surface:", -1, SS_LEFT, 6, 158, 30, 10},
        {"EDIT", "", TVariablesDlg::kSurfaceId, ES_LEFT | WS_BORDER | WS_TABSTOP, 38, 156, 24, 13},
        {"BUTTON", "Add &R", TVariablesDlg::kAddCurvatureId, BS_PUSHBUTTON | WS_TABSTOP, 66, 155, 40, 14},
        {"BUTTON", "Add &T", TVariablesDlg::kAddDistanceId, BS_PUSHBUTTON | WS_TABSTOP, 110, 155, 40, 14},
        {"BUTTON", "&Delete", TVariablesDlg::kDeleteId, BS_PUSHBUTTON | WS_TABSTOP, 154, 155, 40, 14},
        {"BUTTON", "&Open...", TVariablesDlg::kOpenId, BS_PUSHBUTTON | WS_TABSTOP, 4, 177, 40, 14},
        {"BUTTON", "&Save...", TVariablesDlg::kSaveId, BS_PUSHBUTTON | WS_TABSTOP, 48, 177, 40, 14},
        {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 212, 177, 40, 14},
        {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 256, 177, 40, 14},
    }};
const TDialogRegistration kVariablesRegistration(kVariablesTemplate);

const TResponseTableEntry kVariablesTable[] = {
    EvCommand<&TVariablesDlg::CmAddCurvature>(TVariablesDlg::kAddCurvatureId),
    EvCommand<&TVariablesDlg::CmAddDistance>(TVariablesDlg::kAddDistanceId),
    EvCommand<&TVariablesDlg::CmDelete>(TVariablesDlg::kDeleteId),
    EvCommand<&TVariablesDlg::CmOpen>(TVariablesDlg::kOpenId),
    EvCommand<&TVariablesDlg::CmSave>(TVariablesDlg::kSaveId),
    EvCommand<&TVariablesDlg::CmOk>(IDOK),
    EvCommand<&TVariablesDlg::CmCancel>(IDCANCEL),
};

}  // namespace

TVariablesDlg::TVariablesDlg(TWindow *parentWindow, TOptimizationParameters &list, TConfiguredSystem &system,
                             int surface)
    : TColorDlg(parentWindow, "VariablesDlg"),
      list_(list),
      system_(system),
      surface_(surface),
      model_(std::make_unique<TVariablesModel>(list, system)) {}

TVariablesDlg::~TVariablesDlg() = default;

bool TVariablesDlg::Find(TEventInfo &info) { return SearchResponseTable(kVariablesTable, info) || TColorDlg::Find(info); }

void TVariablesDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  TWindow *placeholder = WindowFromHandle(GetDlgItem(kTableId));
  table_ = new TPropertiesTable(this, kTableId, {"Type", "Surface", "Configuration", "Left", "Right", "Value"},
                                {5, 7, 11, 10, 10, 10}, 4);
  if (placeholder != nullptr) placeholder->ShowWindow(SW_HIDE);
  table_->Create();
  table_->cellEdited = [this](int column, int row, const std::string &text) {
    if (!Answer(model_->Edit(column, row, text))) refused_ = true;
    Fill();
  };
  SetDlgItemText(kSurfaceId, std::to_string(surface_).c_str());
  Fill();
}

void TVariablesDlg::Fill() {
  if (table_ == nullptr) return;
  std::vector<std::string> captions;
  for (int r = 1; r <= model_->Count(); ++r) captions.push_back(std::to_string(r));
  table_->SetRows(captions);
  for (int r = 0; r < model_->Count(); ++r)
    for (int c = 0; c < kVariableColumns; ++c) table_->SetCell(c, r, model_->CellText(c, r), c != kVariableValueColumn);
}

bool TVariablesDlg::CommitTable() {
  refused_ = false;
  if (table_->Grid() != nullptr) table_->Grid()->CommitEditor();
  table_->CommitEdits();
  return !refused_;
}

bool TVariablesDlg::Answer(const TPropertyEdit &edit) {
  if (edit.message.empty()) return true;
  MessageBox(GetHandle(), edit.message, "Warning", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void TVariablesDlg::AddRow(const char *type) {
  CommitTable();
  char text[32] = {};
  GetDlgItemText(kSurfaceId, text, sizeof text);
  int surface = 0;
  if (!ParsePropertyInteger(text, surface)) {
    Answer(TPropertyEdit::Refused("Surface: \"" + TrimProperty(text) + "\" is not a whole number."));
    return;
  }
  if (Answer(model_->Add(type, surface))) {
    Fill();
    // The next surface is proposed for the next row.
    if (surface < system_.System().SurfaceCount()) SetDlgItemText(kSurfaceId, std::to_string(surface + 1).c_str());
  }
}

void TVariablesDlg::CmDelete() {
  CommitTable();
  const int row = table_->Grid() != nullptr ? table_->Grid()->CurrentRow() : -1;
  if (row < 0 || row >= model_->Count()) return;
  model_->Delete(row);
  Fill();
}

std::string TVariablesDlg::ProposedFile() const {
  const std::string &name = system_.System().name;
  return name.empty() ? std::string("untitled.par") : BaseNameOfPath(name) + ".par";
}

void TVariablesDlg::CmOpen() {
  TFileName request(this, kFileFilter, TFileName::kOpen);
  request.SetInitialDir(SystemFilesDir(system_.System().name));
  request.SetFileName(ProposedFile());
  const std::string path = request.Execute();
  if (path.empty()) return;
  Answer(model_->Open(path));
  Fill();
}

void TVariablesDlg::CmSave() {
  CommitTable();
  TFileName request(this, kFileFilter, TFileName::kSave);
  request.SetInitialDir(SystemFilesDir(system_.System().name));
  request.SetFileName(ProposedFile());
  request.SetDefExt("par");
  const std::string path = request.Execute();
  if (path.empty()) return;
  Answer(model_->Save(path));
}

void TVariablesDlg::CmOk() {
  if (endIfSystemChanged && endIfSystemChanged()) return;
  // A value typed but not yet left is taken first; a refused one keeps the dialog open, and
  // so does a row a run could not use.
  if (!CommitTable()) return;
  const std::string problem = model_->Check();
  if (!problem.empty()) {
    Answer(TPropertyEdit::Refused(problem));
    return;
  }
  model_->Store(list_);
  EndDialog(IDOK);
}

void TVariablesDlg::CmCancel() { EndDialog(IDCANCEL); }
