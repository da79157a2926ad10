#include "editor/dialogs/quick_table_dlg.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "document/system/system_image.h"
#include "editor/animation/animation_gate.h"
#include "editor/dialogs/number_field.h"
#include "editor/commands/editor_frame.h"
#include "foundation/numerics/pi.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog_template.h"

namespace {

constexpr double kDegreesPerRadian = 180.0 / kPi;
constexpr DWORD kTableStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
constexpr DWORD kEditStyle = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

// The element's tilt in the drawing's plane: the direction there of its first surface's axis,
// which a turn about z moves by exactly that turn. A surface turned about z alone has it as
// its own angle, kept as it reads (270 stays 270).
double InPlaneTilt(const TSystemImage &system, int first) {
  const DPOINT3 angles = system.GetSurfaceAngles(first, first, kGlobalFrame);
  if (angles.x == 0.0 && angles.y == 0.0) return angles.z;
  const DPOINT3 axis = RotatePoint(DPOINT3(), DPOINT3(1.0, 0.0, 0.0), angles, 1);
  return std::atan2(axis.y, axis.x);
}

const TDialogTemplate kPositionTemplate{"QuickPositionTableDlg", kTableStyle, 8, 8, 150, 84,
                                        "Decenter", {
    {"STATIC", "Element", 0, SS_LEFT, 6, 6, 50, 9},
    {"STATIC", "", TQuickTableDlg::kElement, SS_LEFT, 60, 6, 84, 9},
    {"STATIC", "X, mm", 0, SS_LEFT, 6, 20, 50, 9},
    {"EDIT", "", TQuickPositionTableDlg::kX, kEditStyle, 60, 18, 84, 12},
    {"STATIC", "Y, mm", 0, SS_LEFT, 6, 34, 50, 9},
    {"EDIT", "", TQuickPositionTableDlg::kY, kEditStyle, 60, 32, 84, 12},
    {"STATIC", "Shift", 0, SS_LEFT, 6, 48, 50, 9},
    {"STATIC", "", TQuickTableDlg::kPending, SS_LEFT, 60, 48, 84, 9},
    {"BUTTON", "Apply", TQuickTableDlg::kApply, BS_DEFPUSHBUTTON | WS_TABSTOP, 22, 64, 48, 14},
    {"BUTTON", "Close", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 80, 64, 48, 14},
}};
const TDialogRegistration kPositionRegistration(kPositionTemplate);

const TDialogTemplate kInclinationTemplate{"QuickInclinationTableDlg", kTableStyle, 8, 8, 150, 70,
                                           "Tilt", {
    {"STATIC", "Element", 0, SS_LEFT, 6, 6, 50, 9},
    {"STATIC", "", TQuickTableDlg::kElement, SS_LEFT, 60, 6, 84, 9},
    {"STATIC", "Tilt, deg", 0, SS_LEFT, 6, 20, 50, 9},
    {"EDIT", "", TQuickInclinationTableDlg::kAngle, kEditStyle, 60, 18, 84, 12},
    {"STATIC", "Turn, deg", 0, SS_LEFT, 6, 34, 50, 9},
    {"STATIC", "", TQuickTableDlg::kPending, SS_LEFT, 60, 34, 84, 9},
    {"BUTTON", "Apply", TQuickTableDlg::kApply, BS_DEFPUSHBUTTON | WS_TABSTOP, 22, 50, 48, 14},
    {"BUTTON", "Close", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 80, 50, 48, 14},
}};
const TDialogRegistration kInclinationRegistration(kInclinationTemplate);

const TResponseTableEntry kQuickTableTable[] = {
    EvCommand<&TQuickTableDlg::CmApply>(TQuickTableDlg::kApply),
};

}  // namespace

TQuickTableDlg::TQuickTableDlg(TWindow *frame, TSystemImage *system, const char *resource)
    : TColorDlg(frame, resource), system_(system), owner_(frame) {}

bool TQuickTableDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kQuickTableTable, info) || TColorDlg::Find(info);
}

LRESULT TQuickTableDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY && owner_ != nullptr && owner_->GetHandle() != nullptr) {
    TWindow *owner = owner_;
    owner_ = nullptr;
    owner->SendMessage(WM_COMMAND, CM_QUICK_TABLE_CLOSED, reinterpret_cast<LPARAM>(this));
  }
  return TColorDlg::WindowProc(msg, wParam, lParam);
}

void TQuickTableDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  Fill();
}

void TQuickTableDlg::CmApply() {
  // A table opened before a run would move an element of the run's step, and the run's
  // end would take the move back: the table shows the step and waits.
  if (system_ != nullptr && RefuseDuringAnimation(GetHandle(), system_->options)) {
    Fill();
    return;
  }
  if (Apply() == 0) return;
  Fill();
}

bool TQuickTableDlg::ReadNumber(int id, const char *field, double &value) {
  char text[64] = {};
  GetDlgItemText(id, text, sizeof text);
  if (ParseNumberField(text, value)) return true;
  MessageBox(GetHandle(), std::string("Wrong value of ") + field + ": \"" + text + "\"",
             "Warning", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void TQuickTableDlg::ShowNumber(int id, double value) {
  SetDlgItemText(id, NumberFieldText(value).c_str());
}

int TQuickTableDlg::SelectedElement() const {
  if (system_ == nullptr) return -1;
  const int selected = system_->selectedElement;
  if (selected >= 0 && selected < system_->ElementCount() && system_->elements.data[selected].mark)
    return selected;
  for (int e = 0; e < system_->ElementCount(); ++e)
    if (system_->elements.data[e].mark != 0) return e;
  return -1;
}

void TQuickTableDlg::Changed(const char *undoLabel) {
  system_->Update();
  system_->RebuildElements(nullptr);
  system_->SaveUndo(undoLabel);
  if (TEditorFrame *editor = CurrentEditorFrame()) editor->RefreshAll();
}

void TQuickTableDlg::Shown(int element, double a, double b) {
  shownElement_ = element;
  shownA_ = a;
  shownB_ = b;
}

bool TQuickTableDlg::StillShown(int element, double a, double b) {
  if (element == shownElement_ && a == shownA_ && b == shownB_) return true;
  const int was = shownElement_;
  Fill();
  MessageBox(GetHandle(),
             "The table showed " + (was < 0 ? std::string("no element") : "element " + std::to_string(was + 1)) +
                 " as it stood before; it now shows element " + std::to_string(element + 1) +
                 " as it is. Nothing was changed: type the values again and Apply.",
             "Warning", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

TQuickPositionTableDlg::TQuickPositionTableDlg(TWindow *frame, TSystemImage *system)
    : TQuickTableDlg(frame, system, "QuickPositionTableDlg") {
  SetPendingShift(0.0, 0.0);
}

void TQuickPositionTableDlg::Fill() {
  if (GetHandle() == nullptr) return;
  const int e = SelectedElement();
  if (e < 0) {
    SetDlgItemText(kElement, "none selected");
    SetDlgItemText(kX, "");
    SetDlgItemText(kY, "");
    Shown(-1, 0.0);
  } else {
    SetDlgItemText(kElement, std::to_string(e + 1).c_str());
    const DPOINT3 &at = system_->elements.data[e].referencePoint;
    ShowNumber(kX, at.x);
    ShowNumber(kY, at.y);
    Shown(e, at.x, at.y);
  }
  SetDlgItemText(kPending, pendingText_.c_str());
}

int TQuickPositionTableDlg::Apply() {
  const int selected = SelectedElement();
  if (selected < 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return 0;
  }
  const DPOINT3 from = system_->elements.data[selected].referencePoint;
  if (!StillShown(selected, from.x, from.y)) return 0;
  double atX = 0.0, atY = 0.0;
  if (!ReadNumber(kX, "X", atX) || !ReadNumber(kY, "Y", atY)) return 0;
  const double dx = atX - from.x, dy = atY - from.y;
  if (dx == 0.0 && dy == 0.0) return 0;
  for (int e = 0; e < system_->ElementCount(); ++e) {
    TOpticalElement &element = system_->elements.data[e];
    if (element.mark == 0) continue;
    const DPOINT3 at = element.referencePoint;
    element.MoveTo(at.x + dx, at.y + dy, at.z);
  }
  Changed("Decenter element");
  return 1;
}

void TQuickPositionTableDlg::SetPendingShift(double dx, double dy) {
  pendingText_ = NumberFieldText(dx) + "; " + NumberFieldText(dy);
  if (GetHandle() != nullptr) SetDlgItemText(kPending, pendingText_.c_str());
}

TQuickInclinationTableDlg::TQuickInclinationTableDlg(TWindow *frame, TSystemImage *system)
    : TQuickTableDlg(frame, system, "QuickInclinationTableDlg") {
  SetPendingAngle(0.0);
}

void TQuickInclinationTableDlg::Fill() {
  if (GetHandle() == nullptr) return;
  const int e = SelectedElement();
  const int first = e < 0 ? -1 : system_->IndexOfSurface(system_->elements.data[e].FirstSurface());
  if (first < 0) {
    SetDlgItemText(kElement, "none selected");
    SetDlgItemText(kAngle, "");
    Shown(-1, 0.0);
  } else {
    SetDlgItemText(kElement, std::to_string(e + 1).c_str());
    const double tilt = InPlaneTilt(*system_, first);
    ShowNumber(kAngle, tilt * kDegreesPerRadian);
    Shown(e, tilt);
  }
  SetDlgItemText(kPending, pendingText_.c_str());
}

int TQuickInclinationTableDlg::Apply() {
  const int selected = SelectedElement();
  const int selectedFirst =
      selected < 0 ? -1 : system_->IndexOfSurface(system_->elements.data[selected].FirstSurface());
  if (selectedFirst < 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return 0;
  }
  const double tilt = InPlaneTilt(*system_, selectedFirst);
  if (!StillShown(selected, tilt)) return 0;
  double degrees = 0.0;
  if (!ReadNumber(kAngle, "Tilt", degrees)) return 0;
  const double turn = degrees / kDegreesPerRadian - tilt;
  if (turn == 0.0) return 0;
  for (int e = 0; e < system_->ElementCount(); ++e) {
    const TOpticalElement &element = system_->elements.data[e];
    if (element.mark == 0) continue;
    const int first = system_->IndexOfSurface(element.FirstSurface());
    const int last = system_->IndexOfSurface(element.LastSurface());
    if (first < 0 || last < first) continue;
    const double *vertex = system_->Surface(first)->general.vertex;
    system_->RotateGroupAboutPoint(first, last, DPOINT3(vertex[0], vertex[1], vertex[2]),
                                   DPOINT3(0.0, 0.0, turn));
  }
  Changed("Tilt element");
  return 1;
}

void TQuickInclinationTableDlg::SetPendingAngle(double degrees) {
  pendingText_ = NumberFieldText(degrees);
  if (GetHandle() != nullptr) SetDlgItemText(kPending, pendingText_.c_str());
}
