#include "editor/dialogs/preferences_folder.h"

#include <string>

#include "document/system/system_image.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "toolkit/binding/multi_edit.h"

namespace {

constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
// The bound field: dark blue on white.
constexpr COLORREF kFieldText = 0xC00000;
constexpr COLORREF kFieldBack = 0xFFFFFF;

const TDialogTemplate kPreferencesTemplate{"PreferencesFolder",
                                           DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                           30, 30, 190, 168, "Settings", {
    {"STATIC", "Undo steps", 0, SS_LEFT, 8, 10, 70, 9},
    {"EDIT", "", TPreferencesFolder::kUndoSteps, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 84, 8, 40, 12},
    {"BUTTON", "Save settings on exit", TPreferencesFolder::kEnableSave, kCheck, 8, 26, 170, 10},
    {"BUTTON", "Restore the window's place", TPreferencesFolder::kEnablePosition, kCheck, 8, 38, 170, 10},
    {"BUTTON", "Open the last system at start", TPreferencesFolder::kEnableName, kCheck, 8, 50, 170, 10},
    {"BUTTON", "Grid and axes", TPreferencesFolder::kGridAxes, kCheck, 8, 66, 170, 10},
    {"BUTTON", "Fill components", TPreferencesFolder::kFillComponent, kCheck, 8, 78, 170, 10},
    {"BUTTON", "Real beams", TPreferencesFolder::kRealBeams, kCheck, 8, 90, 170, 10},
    {"BUTTON", "Cardinal planes", TPreferencesFolder::kCardinalPlanes, kCheck, 8, 102, 170, 10},
    {"BUTTON", "Properties of selected elements", TPreferencesFolder::kViewProperties, kCheck, 8, 114, 170, 10},
    {"BUTTON", "Ok", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 38, 142, 50, 14},
    {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 102, 142, 50, 14},
}};
const TDialogRegistration kPreferencesRegistration(kPreferencesTemplate);

const TResponseTableEntry kPreferencesTable[] = {
    EvCommand<&TPreferencesFolder::CmOk>(IDOK),
};

struct TSwitch {
  int id;
  int TOptionsImage::*option;
};

constexpr TSwitch kSwitches[] = {
    {TPreferencesFolder::kEnableSave, &TOptionsImage::EnableSave},
    {TPreferencesFolder::kEnablePosition, &TOptionsImage::EnablePosition},
    {TPreferencesFolder::kEnableName, &TOptionsImage::EnableName},
    {TPreferencesFolder::kGridAxes, &TOptionsImage::GridAxes},
    {TPreferencesFolder::kFillComponent, &TOptionsImage::FillComponent},
    {TPreferencesFolder::kRealBeams, &TOptionsImage::ShowCourseBeam},
    {TPreferencesFolder::kCardinalPlanes, &TOptionsImage::ShowCardinalPlanes},
    {TPreferencesFolder::kViewProperties, &TOptionsImage::ViewPropertiesOfSelectedElements},
};

}  // namespace

TPreferencesFolder::TPreferencesFolder(TWindow *frame, TSystemImage *system, int)
    : TColorDlg(frame, "PreferencesFolder"),
      system_(system),
      fields_(std::make_unique<TMultiEdit>(this, kMultiEditCapacity)) {
  fields_->AddEdit(kUndoSteps, &undoSteps_, 'd', "%g");
}

TPreferencesFolder::~TPreferencesFolder() = default;

void TPreferencesFolder::SetControlColors() {
  TColorDlg::SetControlColors();
  fields_->EditTextColor(currentKind, currentId, textColor);
}

bool TPreferencesFolder::Find(TEventInfo &info) {
  return SearchResponseTable(kPreferencesTable, info) || TColorDlg::Find(info);
}

void TPreferencesFolder::SetupWindow() {
  TColorDlg::SetupWindow();
  if (system_ == nullptr) return;
  const TOptionsImage &options = system_->options;
  undoSteps_ = options.RingSize();
  fields_->SetColors(kFieldBack, kFieldText);
  fields_->WriteAll();
  for (const TSwitch &item : kSwitches)
    CheckDlgButton(item.id, options.*item.option != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void TPreferencesFolder::CmOk() {
  if (system_ == nullptr) {
    EndDialog(IDCANCEL);
    return;
  }
  // A text that is no number is refused by the field's name; a count out of range here.
  if (fields_->ReadAll() == 0) return;
  const double steps = undoSteps_;
  if (steps < kMinUndoSteps || steps > kLargestUndoSteps || steps != static_cast<int>(steps)) {
    MessageBox(GetHandle(),
               "Undo steps must be a whole number from " + std::to_string(kMinUndoSteps) + " to " +
                   std::to_string(kLargestUndoSteps) + ".",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  TOptionsImage &options = system_->options;
  for (const TSwitch &item : kSwitches)
    options.*item.option = IsDlgButtonChecked(item.id) == BST_CHECKED ? 1 : 0;
  if (static_cast<int>(steps) != options.RingSize()) {
    // The old snapshots are numbered for the old ring: they go, and the present state is
    // the first snapshot of the new ring, so the next edit can be undone.
    system_->DeleteUndoFiles();
    system_->options.SetUndoDepth(static_cast<int>(steps));
    if (system_->SurfaceCount() > 0) system_->SaveUndo("");
  }
  EndDialog(IDOK);
}
