// The Alignment menu: lining the selected elements up on the axis of the surface before
// them, and the quick decenter and tilt tables, which the editor opens and closes as
// toggles and forgets as soon as the user closes them.

#include "editor/dialogs/quick_table_dlg.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/message_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"

namespace {

constexpr int kAlignmentSurfaces = 1;

void CheckItem(TOpticalEditor &editor, int command, bool checked) {
  HMENU menu = editor.GetHandle() != nullptr ? GetMenu(editor.GetHandle()) : nullptr;
  if (menu != nullptr)
    CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// Opens the table when it is closed and closes it when it is open; answers whether it is
// open now.
template <class TTable>
bool ToggleTable(TOpticalEditor &editor, TTable *&table, TSystemImage &system) {
  if (table != nullptr) {
    TTable *going = table;
    // Cleared first: the going window's notice finds no table of the editor's.
    table = nullptr;
    going->ForgetOwner();
    going->Destroy();
    delete going;
    return false;
  }
  table = new TTable(&editor, &system);
  if (!table->Create()) {
    table->ForgetOwner();
    delete table;
    table = nullptr;
    return false;
  }
  return true;
}

}  // namespace

void TOpticalEditor::CmAlignment() {
  if (system_.SurfaceCount() < kAlignmentSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  LeaveZoomMode();
  if (canvas_ != nullptr && canvas_->GetSelectMode()) {
    const RECT band = canvas_->GetSelection();
    const POINT from = canvas_->PlotToDevice(POINT{band.left, band.top});
    const POINT to = canvas_->PlotToDevice(POINT{band.right, band.bottom});
    system_.SelectInRect(canvas_, RECT{from.x, from.y, to.x, to.y});
  }
  if (system_.selectedSurface > 0) {
    // One surface met: only its element is marked.
    const TSurface *surface = system_.Surface(system_.selectedSurface);
    for (int e = 0; e < system_.ElementCount(); ++e) {
      TOpticalElement &element = system_.elements.data[e];
      for (int k = 0; k < element.SurfaceCount(); ++k)
        if (element.surfaces.data[k] == surface) element.mark = 1;
    }
  } else {
    for (int e = 0; e < system_.ElementCount(); ++e) {
      TOpticalElement &element = system_.elements.data[e];
      if (element.mark == 0) continue;
      element.UpdateRegion(canvas_);
      element.referencePoint.y = 0.0;
      for (int k = 0; k < element.SurfaceCount(); ++k) {
        const int i = system_.IndexOfSurface(element.surfaces.data[k]);
        if (i < 0) continue;
        const int before = i > 0 ? i - 1 : i;
        DPOINT3 at = system_.GetSurfacePosition(i, before, kRelativeFrame);
        at.y = 0.0;
        at.z = 0.0;
        system_.SetSurfacePosition(i, before, at, kRelativeFrame);
      }
    }
    system_.Update();
    system_.RebuildElements(nullptr);
  }
  system_.SaveUndo("Alignment elements");
  if (editTools_.positionTable != nullptr) editTools_.positionTable->SetPendingShift(0.0, 0.0);
  RefreshAll();
}

void TOpticalEditor::CmDecenter() {
  if (system_.SurfaceCount() < kAlignmentSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  LeaveZoomMode();
  editTools_.DeleteRetired();
  const bool open = ToggleTable(*this, editTools_.positionTable, system_);
  if (canvas_ != nullptr) canvas_->SetQuickPositionTable(editTools_.positionTable);
  editTools_.SetButtonDown(CM_DECENTER, open);
  CheckItem(*this, CM_DECENTER, open);
}

void TOpticalEditor::CmTilt() {
  if (system_.SurfaceCount() < kAlignmentSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  LeaveZoomMode();
  editTools_.DeleteRetired();
  const bool open = ToggleTable(*this, editTools_.inclinationTable, system_);
  if (canvas_ != nullptr) canvas_->SetQuickInclinationTable(editTools_.inclinationTable);
  editTools_.SetButtonDown(CM_TILT, open);
  CheckItem(*this, CM_TILT, open);
}

void TOpticalEditor::QuickTableClosed(WPARAM, LPARAM table) {
  auto *going = reinterpret_cast<TQuickTableDlg *>(table);
  if (going == nullptr) return;
  if (going == editTools_.positionTable) {
    editTools_.positionTable = nullptr;
    if (canvas_ != nullptr) canvas_->SetQuickPositionTable(nullptr);
    editTools_.SetButtonDown(CM_DECENTER, false);
    CheckItem(*this, CM_DECENTER, false);
  } else if (going == editTools_.inclinationTable) {
    editTools_.inclinationTable = nullptr;
    if (canvas_ != nullptr) canvas_->SetQuickInclinationTable(nullptr);
    editTools_.SetButtonDown(CM_TILT, false);
    CheckItem(*this, CM_TILT, false);
  } else {
    return;
  }
  // Deleted at the next table command or with the editor, never inside its own going.
  editTools_.Retire(going);
}
