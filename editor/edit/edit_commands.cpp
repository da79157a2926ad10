// The Edit menu's Delete, Select, Cut and Copy, and the tool state they share with the
// view commands: the canvas's mouse mode and leaving zoom mode.

#include "editor/edit/edit_clipboard.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/message_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"

void TOpticalEditor::SetMouseMode(int mode) {
  tools_.mouseMode = mode;
  if (canvas_ != nullptr) canvas_->SetMouseMode(mode);
}

void TOpticalEditor::LeaveZoomMode() {
  if (editTools_.ButtonDown(CM_SELECT_ZOOM)) CmSelectZoom();
}

void TOpticalEditor::CmDelete() {
  if (system_.SurfaceCount() == 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  if (canvas_ != nullptr) canvas_->SetSelectMode(false);
  system_.DeleteSelected(canvas_);
  system_.SaveUndo("Delete element");
  UpdateMenus();
  tools_.SetTool(canvas_, 0, 0);
  SetMouseMode(kPanMouseMode);
  RefreshAll();
}

void TOpticalEditor::CmSelect() {
  if (system_.SurfaceCount() == 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  LeaveZoomMode();
  tools_.SetTool(canvas_, CM_SELECT, 0);
  const bool on = !editTools_.ButtonDown(CM_SELECT);
  editTools_.SetButtonDown(CM_SELECT, on);
  HMENU menu = GetHandle() != nullptr ? GetMenu(GetHandle()) : nullptr;
  if (on) {
    SetMouseMode(kSelectMouseMode);
  } else {
    SetMouseMode(kPanMouseMode);
    if (canvas_ != nullptr) {
      canvas_->SetSelectMode(false);
      canvas_->Redraw();
    }
    tools_.tool = 0;
  }
  if (menu != nullptr)
    CheckMenuItem(menu, CM_SELECT, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  UpdateMenus();
}

void TOpticalEditor::CmCut() {
  TSystemImage &clipboard = RenewEditClipboard();
  system_.CutSelection(clipboard, canvas_);
  // The clipboard is never drawn, and outlives the canvas: it keeps no regions for it.
  clipboard.SetCanvas(nullptr);
  if (canvas_ != nullptr) canvas_->SetSelectMode(false);
  RefreshAll();
  system_.SaveUndo("Cut element");
  if (editTools_.ButtonDown(CM_SELECT)) CmSelect();
  UpdateMenus();
}

void TOpticalEditor::CmCopy() {
  TSystemImage &clipboard = RenewEditClipboard();
  if (canvas_ != nullptr) canvas_->SetSelectMode(false);
  system_.CopySelection(clipboard, canvas_);
  clipboard.SetCanvas(nullptr);
  if (editTools_.ButtonDown(CM_SELECT)) CmSelect();
  system_.hasSelection = 0;
  UpdateMenus();
}
