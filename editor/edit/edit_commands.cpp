#include "editor/edit/edit_commands.h"

#include "document/system/system_image.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_commands.h"
#include "editor/edit/edit_clipboard.h"
#include "editor/edit/editor_tools.h"
#include "editor/insert/element_insertion.h"
#include "platform/core/message_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"

TEditCommands::TEditCommands(TEditorFrame &frame, TWindow &window) : frame_(frame), window_(window) {}

void TEditCommands::CmDelete() {
  if (frame_.System().SurfaceCount() == 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  if (frame_.Canvas() != nullptr) frame_.Canvas()->SetSelectMode(false);
  frame_.System().DeleteSelected(frame_.Canvas());
  frame_.System().SaveUndo("Delete element");
  frame_.UpdateMenus();
  frame_.Tools().SetTool(frame_.Canvas(), 0, 0);
  // The Select button comes up with the mode even when a placement was the current tool.
  frame_.EditTools().SetButtonDown(CM_SELECT, false);
  frame_.SetMouseMode(kPanMouseMode);
  frame_.RefreshAll();
}

void TEditCommands::CmSelect() {
  if (frame_.System().SurfaceCount() == 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  frame_.LeaveZoomMode();
  frame_.Tools().SetTool(frame_.Canvas(), CM_SELECT, 0);
  // The toggle turns the mode the menu's tick shows: a command that left the mode (a
  // cancelled placement, Delete) may have left the button as it was.
  const bool on = frame_.Tools().mouseMode != kSelectMouseMode;
  frame_.EditTools().SetButtonDown(CM_SELECT, on);
  HMENU menu = window_.GetHandle() != nullptr ? GetMenu(window_.GetHandle()) : nullptr;
  if (on) {
    frame_.SetMouseMode(kSelectMouseMode);
  } else {
    frame_.SetMouseMode(kPanMouseMode);
    if (frame_.Canvas() != nullptr) {
      frame_.Canvas()->SetSelectMode(false);
      frame_.Canvas()->Redraw();
    }
    frame_.Tools().tool = 0;
  }
  if (menu != nullptr)
    CheckMenuItem(menu, CM_SELECT, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  frame_.UpdateMenus();
}

void TEditCommands::LeaveSelectTool() {
  if (frame_.Tools().mouseMode == kSelectMouseMode)
    CmSelect();
  else
    frame_.EditTools().SetButtonDown(CM_SELECT, false);
}

void TEditCommands::CmCut() {
  // The beam through the elements as they stood, for a paste that keeps their angles to it.
  const TSystemImage::TCopiedBeam beam = CopiedBeamOf(frame_.System());
  TSystemImage &clipboard = RenewEditClipboard();
  frame_.System().CutSelection(clipboard, frame_.Canvas());
  clipboard.copiedBeam = beam;
  // The clipboard is never drawn, and outlives the canvas: it keeps no regions for it.
  clipboard.SetCanvas(nullptr);
  if (frame_.Canvas() != nullptr) frame_.Canvas()->SetSelectMode(false);
  frame_.RefreshAll();
  frame_.System().SaveUndo("Cut element");
  LeaveSelectTool();
  frame_.UpdateMenus();
}

void TEditCommands::CmCopy() {
  TSystemImage &clipboard = RenewEditClipboard();
  if (frame_.Canvas() != nullptr) frame_.Canvas()->SetSelectMode(false);
  frame_.System().CopySelection(clipboard, frame_.Canvas());
  clipboard.copiedBeam = CopiedBeamOf(frame_.System());
  clipboard.SetCanvas(nullptr);
  LeaveSelectTool();
  frame_.System().hasSelection = 0;
  frame_.UpdateMenus();
}
