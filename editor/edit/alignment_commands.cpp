#include "editor/edit/alignment_commands.h"

#include "document/system/system_image.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_commands.h"
#include "editor/dialogs/quick_table_dlg.h"
#include "editor/edit/editor_tools.h"
#include "platform/core/message_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"

#include <utility>
#include <vector>

namespace {

constexpr int kAlignmentSurfaces = 1;

void CheckItem(TWindow &editor, int command, bool checked) {
  HMENU menu = editor.GetHandle() != nullptr ? GetMenu(editor.GetHandle()) : nullptr;
  if (menu != nullptr)
    CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// Opens the table when it is closed and closes it when it is open; answers whether it is
// open now.
template <class TTable>
bool ToggleTable(TWindow &editor, TTable *&table, TSystemImage &system) {
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

TAlignmentCommands::TAlignmentCommands(TEditorFrame &frame, TWindow &window) : frame_(frame), window_(window) {}

void TAlignmentCommands::CmAlignment() {
  if (frame_.System().SurfaceCount() < kAlignmentSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  frame_.LeaveZoomMode();
  if (frame_.Canvas() != nullptr && frame_.Canvas()->GetSelectMode()) {
    const RECT band = frame_.Canvas()->GetSelection();
    const POINT from = frame_.Canvas()->PlotToDevice(POINT{band.left, band.top});
    const POINT to = frame_.Canvas()->PlotToDevice(POINT{band.right, band.bottom});
    frame_.System().SelectInRect(frame_.Canvas(), RECT{from.x, from.y, to.x, to.y});
  }
  if (frame_.System().selectedSurface > 0) {
    // One surface met: only its element is marked.
    const TSurface *surface = frame_.System().Surface(frame_.System().selectedSurface);
    for (int e = 0; e < frame_.System().ElementCount(); ++e) {
      TOpticalElement &element = frame_.System().elements.data[e];
      for (int k = 0; k < element.SurfaceCount(); ++k)
        if (element.surfaces.data[k] == surface) element.mark = 1;
    }
  } else {
    for (int e = 0; e < frame_.System().ElementCount(); ++e) {
      TOpticalElement &element = frame_.System().elements.data[e];
      if (element.mark == 0) continue;
      element.UpdateRegion(frame_.Canvas());
      element.referencePoint.y = 0.0;
      // Every place is taken before any is written: a surface placed against its neighbour
      // already moved would take that move into its spacing (a tilted lens decentred would
      // grow by the decentre across its tilt).
      std::vector<std::pair<int, DPOINT3>> places;
      for (int k = 0; k < element.SurfaceCount(); ++k) {
        const int i = frame_.System().IndexOfSurface(element.surfaces.data[k]);
        if (i < 0) continue;
        DPOINT3 at = frame_.System().GetSurfacePosition(i, i > 0 ? i - 1 : i, kRelativeFrame);
        at.y = 0.0;
        at.z = 0.0;
        places.emplace_back(i, at);
      }
      for (const auto &[i, at] : places) frame_.System().SetSurfacePosition(i, i > 0 ? i - 1 : i, at, kRelativeFrame);
    }
    frame_.System().Update();
    frame_.System().RebuildElements(nullptr);
  }
  frame_.System().SaveUndo("Alignment elements");
  if (frame_.EditTools().positionTable != nullptr) frame_.EditTools().positionTable->SetPendingShift(0.0, 0.0);
  frame_.RefreshAll();
}

void TAlignmentCommands::CmDecenter() {
  if (frame_.System().SurfaceCount() < kAlignmentSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  frame_.LeaveZoomMode();
  frame_.EditTools().DeleteRetired();
  const bool open = ToggleTable(window_, frame_.EditTools().positionTable, frame_.System());
  if (frame_.Canvas() != nullptr) frame_.Canvas()->SetQuickPositionTable(frame_.EditTools().positionTable);
  frame_.EditTools().SetButtonDown(CM_DECENTER, open);
  CheckItem(window_, CM_DECENTER, open);
}

void TAlignmentCommands::CmTilt() {
  if (frame_.System().SurfaceCount() < kAlignmentSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  frame_.LeaveZoomMode();
  frame_.EditTools().DeleteRetired();
  const bool open = ToggleTable(window_, frame_.EditTools().inclinationTable, frame_.System());
  if (frame_.Canvas() != nullptr) frame_.Canvas()->SetQuickInclinationTable(frame_.EditTools().inclinationTable);
  frame_.EditTools().SetButtonDown(CM_TILT, open);
  CheckItem(window_, CM_TILT, open);
}

void TAlignmentCommands::QuickTableClosed(WPARAM, LPARAM table) {
  auto *going = reinterpret_cast<TQuickTableDlg *>(table);
  if (going == nullptr) return;
  if (going == frame_.EditTools().positionTable) {
    frame_.EditTools().positionTable = nullptr;
    if (frame_.Canvas() != nullptr) frame_.Canvas()->SetQuickPositionTable(nullptr);
    frame_.EditTools().SetButtonDown(CM_DECENTER, false);
    CheckItem(window_, CM_DECENTER, false);
  } else if (going == frame_.EditTools().inclinationTable) {
    frame_.EditTools().inclinationTable = nullptr;
    if (frame_.Canvas() != nullptr) frame_.Canvas()->SetQuickInclinationTable(nullptr);
    frame_.EditTools().SetButtonDown(CM_TILT, false);
    CheckItem(window_, CM_TILT, false);
  } else {
    return;
  }
  // Deleted at the next table command or with the editor, never inside its own going.
  frame_.EditTools().Retire(going);
}
