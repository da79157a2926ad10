#include "editor/insert/insert_commands.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <thread>

#include "document/system/system_image.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_commands.h"
#include "editor/edit/edit_clipboard.h"
#include "editor/edit/editor_tools.h"
#include "editor/insert/element_folder.h"
#include "editor/insert/placement.h"
#include "editor/library/library_elements.h"
#include "platform/core/message_box.h"
#include "platform/gui/bars/cursors.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "toolkit/palettes/tool_bar_wnd.h"
#include "toolkit/pump/message_queue.h"

namespace {

constexpr POINT kNoPress{INT_MIN, INT_MIN};
constexpr const char *kPlacementStatus =
    "Specify the previous element or surface, then where along the beam the new element stands";
constexpr const char *kPlacementHelp =
    "       Select, please,\nthe preceding element or surface,\nand then the place along the beam of the new element\nwith a click outside the selection's frame.\nIts vertex lies on the beam's axis there;\na decentre is typed on the Positions page.";
// The place is a press outside the selection's band: one inside it belongs to the band.
constexpr const char *kPlaceStatus =
    "Click where along the beam the new element stands, outside the selected element's frame (Esc cancels)";
constexpr const char *kPickMissed =
    "Select the preceding element first: click on it, then on the place of the new element (Esc cancels)";
// The wait between two pumps of the placement, so that waiting costs no processor time.
constexpr int kPumpPauseMs = 5;

bool IsPress(const POINT &p) { return p.x != kNoPress.x || p.y != kNoPress.y; }

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(kPumpPauseMs)); }

// The window closed while a placement waited: nothing more is recorded or drawn (an undo
// snapshot now would outlive the session and be offered for restoring at the next start).
bool Gone(const TEditorFrame &frame, const TWindow &window) {
  return window.GetHandle() == nullptr || !frame.IsCurrent();
}

// The Select button of the tools palette, off while a placement waits for its clicks.
void EnableSelectButton(TEditorFrame &frame, bool enable) {
  if (TToolBarWnd *palette = frame.EditTools().PaletteOf(CM_SELECT)) palette->EnableGadget(CM_SELECT, enable);
}

}  // namespace

TInsertCommands::TInsertCommands(TEditorFrame &frame, TWindow &window) : frame_(frame), window_(window) {}

void TInsertCommands::SetPlacementCheck(int command, bool down) {
  if (command == CM_NEW_SINGLE_SURFACE) singleSurfaceDown_ = down;
  if (command == CM_NEW_ELEMENT) newElementDown_ = down;
  // The canvas picks for the placement while its tool is current; an element chosen with
  // the select tool before stays chosen.
  if (down)
    frame_.Tools().SetTool(frame_.Canvas(), command, kSelectTool);
  else if (frame_.Tools().tool == command)
    frame_.Tools().SetTool(frame_.Canvas(), 0, 0);
  frame_.EditTools().SetButtonDown(command, down);
  HMENU menu = window_.GetHandle() != nullptr ? GetMenu(window_.GetHandle()) : nullptr;
  if (menu != nullptr) CheckMenuItem(menu, command, MF_BYCOMMAND | (down ? MF_CHECKED : MF_UNCHECKED));
}

int TInsertCommands::EndPlacement(int result) {
  if (Gone(frame_, window_)) return 0;
  EnableSelectButton(frame_, true);
  if (frame_.Canvas() != nullptr && frame_.Canvas()->GetHandle() != nullptr)
    SetWindowCursor(frame_.Canvas()->GetHandle(), LoadCursor(nullptr, IDC_ARROW));
  if (frame_.StatusBar() != nullptr) frame_.StatusBar()->SetText("");
  if (result == 0 && frame_.Canvas() != nullptr) {
    // The mouse pans again: the Select button and the menu's tick come off with the mode.
    frame_.Canvas()->SetMouseMode(0);
    frame_.EditTools().SetButtonDown(CM_SELECT, false);
    frame_.UpdateMenus();
  }
  return result;
}

int TInsertCommands::PlaceNewElement(int count, TInsertedElementInfo *info) {
  if (frame_.Canvas() == nullptr || frame_.Canvas()->GetHandle() == nullptr) return 0;
  EnableSelectButton(frame_, false);
  if (frame_.StatusBar() != nullptr) frame_.StatusBar()->SetText(kPlacementStatus);
  // A band whose selection went (a cancelled placement takes its surface away) holds no
  // element to follow: it is asked for again, not a place beside nothing.
  const TSystemImage &chosen = frame_.System();
  if (frame_.Canvas()->GetSelectMode() &&
      !(chosen.hasSelection && chosen.selectedElement >= 0 && chosen.selectedElement < chosen.ElementCount()))
    frame_.Canvas()->SetSelectMode(false);
  if (!frame_.Canvas()->GetSelectMode())
    MessageBox(window_.GetHandle(), kPlacementHelp, "Help", MB_OK | MB_ICONINFORMATION);
  frame_.Queue().Enter();
  // The canvas notes every press in the system: a press shows itself by replacing this mark.
  frame_.System().lastPress = kNoPress;
  // First the element to follow: the canvas's band holds it once it is picked. A press
  // that meets no element may meet the object or image plane, which a new system has
  // alone; a press that meets nothing is told at once, so the wait is never silent.
  int planePick = -1;
  while (!frame_.Canvas()->GetSelectMode()) {
    if (!frame_.Queue().Pump()) return EndPlacement(0);
    if (Gone(frame_, window_)) return EndPlacement(0);
    if (IsPress(frame_.System().lastPress) && !frame_.Canvas()->GetSelectMode()) {
      const POINT press = frame_.System().lastPress;
      frame_.System().lastPress = kNoPress;
      planePick = PickPlane(press);
      if (planePick >= 0) break;
      MessageBeep(MB_SIMPLEBEEP);
      if (frame_.StatusBar() != nullptr) frame_.StatusBar()->SetText(kPickMissed);
    }
    Pause();
  }
  if (frame_.StatusBar() != nullptr) frame_.StatusBar()->SetText(kPlaceStatus);
  int preceding = planePick;
  if (planePick < 0 && frame_.System().hasSelection && frame_.System().selectedElement >= 0 &&
      frame_.System().selectedElement < frame_.System().ElementCount())
    preceding = frame_.System().IndexOfSurface(frame_.System().elements.data[frame_.System().selectedElement].LastSurface());
  // Then the place: a press outside the band ends it, under the placement's own cursor.
  SetWindowCursor(frame_.Canvas()->GetHandle(), LoadCursor(nullptr, "SingleSurface_Cur"));
  frame_.System().lastPress = kNoPress;
  while (frame_.Canvas()->GetSelectMode()) {
    if (!frame_.Queue().Pump()) return EndPlacement(0);
    Pause();
  }
  const POINT press = frame_.System().lastPress;
  frame_.Canvas()->SetSelectMode(false);
  frame_.System().DrawMarked(frame_.Canvas(), TEditGraph::kSelectedColor);
  frame_.Queue().Pump();
  frame_.Queue().Leave(1);
  if (preceding < 0 || frame_.System().Surface(preceding) == nullptr || !IsPress(press)) {
    MessageBeep(MB_SIMPLEBEEP);
    return EndPlacement(0);
  }
  const DPOINT at = frame_.Canvas()->DeviceToWorld(press);
  // A place that would cross the neighbours is refused, never built.
  const std::string crossing = PlacementCrossing(frame_.System(), preceding, at.x, at.y);
  if (!crossing.empty()) {
    MessageBox(window_.GetHandle(), crossing.c_str(), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return EndPlacement(0);
  }

  TInsertedElementInfo ownRecord;
  TInsertedElementInfo &record = info != nullptr ? *info : ownRecord;
  const int index = PlaceSurface(frame_.System(), preceding, at.x, at.y, count, record);
  if (index < 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return EndPlacement(0);
  }
  // A single surface is built here: it passes the same check of room as every element.
  if (const std::string crowded = count > 0 ? PlacedSurfaceRoom(frame_.System(), record) : std::string();
      !crowded.empty()) {
    RemovePlacedSurface(frame_.System(), record);
    MessageBox(window_.GetHandle(), crowded.c_str(), "Warning", MB_OK | MB_ICONEXCLAMATION);
    return EndPlacement(0);
  }
  // The new surface is the selection, drawn as such.
  frame_.System().ClearSelection();
  for (int e = 0; e < frame_.System().ElementCount(); ++e) {
    TOpticalElement &element = frame_.System().elements.data[e];
    if (frame_.System().IndexOfSurface(element.FirstSurface()) != index) continue;
    element.mark = 1;
    frame_.System().selectedElement = e;
    frame_.System().selectedSurface = index;
    if (TEditSurface *s = frame_.System().EditSurface(index)) s->SetMark(1);
  }
  frame_.System().hasSelection = 1;
  frame_.ShowSystem();
  frame_.Canvas()->SetSelectMode(true);
  // A single surface goes on to its table (the properties folder opens, or closes when it
  // is open).
  if (count > 0) frame_.OpenPropertiesOfSelected();
  return EndPlacement(1);
}

int TInsertCommands::PickPlane(POINT press) {
  TEditGraph &canvas = *frame_.Canvas();
  constexpr int kPickPixels = 3;  // pixels either side of a plane that still meet it
  const DPOINT at = canvas.DeviceToWorld(press);
  const DPOINT aside = canvas.DeviceToWorld(POINT{press.x + kPickPixels, press.y});
  TSystemImage &system = frame_.System();
  int plane = -1;
  const int preceding = PickedPlane(system, at.x, at.y, std::fabs(aside.x - at.x), &plane);
  if (preceding < 0) return -1;
  // The picked plane drawn as the selection, with the band around it alone.
  DPOINT profile[kProfilePoints];
  const int n = system.EditSurface(plane) != nullptr
                    ? SurfaceProfilePoints(*system.EditSurface(plane), profile, kProfilePoints)
                    : 0;
  if (n < 1) return -1;
  // The band in the plot's coordinates, as every band of the canvas.
  const POINT pressed = canvas.DeviceToPlot(press);
  RECT box{pressed.x, pressed.y, pressed.x, pressed.y};
  for (int k = 0; k < n; ++k) {
    const POINT p = canvas.DeviceToPlot(canvas.WorldToDevice(profile[k].x, profile[k].y));
    box = RECT{std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x), std::max(box.bottom, p.y)};
  }
  canvas.DrawWorldPolyline(profile, n, TEditGraph::kSelectedColor);
  canvas.SetSelection(box.left - kPickPixels, box.top - kPickPixels, box.right + kPickPixels + 1,
                      box.bottom + kPickPixels + 1);
  return preceding;
}

void TInsertCommands::AfterInsertion() {
  // The elements regrouped for the canvas, then every view.
  frame_.ShowSystem();
  frame_.RefreshAll();
  frame_.RefreshProperties();
}

void TInsertCommands::CmNewSingleSurface() {
  const bool down = !singleSurfaceDown_;
  SetPlacementCheck(CM_NEW_SINGLE_SURFACE, down);
  if (!down) {
    // A placement waiting for its clicks sees the reset and gives up.
    frame_.Queue().Leave(1);
    if (frame_.Canvas() != nullptr) frame_.Canvas()->SetMouseMode(0);
    return;
  }
  if (newElementDown_) CmNewElement();
  const int placed = PlaceNewElement(1, nullptr);
  if (Gone(frame_, window_)) return;
  SetPlacementCheck(CM_NEW_SINGLE_SURFACE, false);
  // A placement that put nothing there is no step: the Redo waiting stays.
  if (placed == 1) frame_.System().SaveUndo("Insert single surface");
  AfterInsertion();
}

void TInsertCommands::CmNewElement() {
  const bool down = !newElementDown_;
  SetPlacementCheck(CM_NEW_ELEMENT, down);
  if (!down) {
    PumpWaitingMessages();
    frame_.Queue().Leave(1);
    if (frame_.Canvas() != nullptr) frame_.Canvas()->SetMouseMode(0);
    return;
  }
  if (singleSurfaceDown_) CmNewSingleSurface();
  TInsertedElementInfo info;
  if (PlaceNewElement(-1, &info) == 1) RunElementFolder(info, kLensPage, "Insert element");
  if (Gone(frame_, window_)) return;
  SetPlacementCheck(CM_NEW_ELEMENT, false);
  AfterInsertion();
}

void TInsertCommands::RunElementFolder(TInsertedElementInfo &info, int firstPage, const char *label) {
  TElementFolder folder(&window_, frame_.System(), info, firstPage);
  const int answer = folder.Execute();
  info = folder.Info();
  if (answer == IDOK && info.insertedCount > 0) {
    frame_.System().SaveUndo(label);
  } else {
    // Nothing was put there: the surface placed for it goes again.
    RemovePlacedSurface(frame_.System(), info);
  }
}

void TInsertCommands::CmPaste() {
  // Elements are placed in the base configuration only (the menu greys New Element there).
  if (frame_.System().currentConfiguration != 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  if (EditClipboard() == nullptr) {
    // Nothing to paste: the menu, shown before the clipboard emptied, greys the item.
    frame_.UpdateMenus();
    return;
  }
  SetPlacementCheck(CM_NEW_ELEMENT, true);
  TInsertedElementInfo info;
  bool pasted = false;
  const int placed = PlaceNewElement(-1, &info);
  if (placed == 1) {
    TElementFolder folder(&window_, frame_.System(), info, kPastePage);
    const int answer = folder.Execute();
    info = folder.Info();
    pasted = answer == IDOK && info.insertedCount > 0;
    if (!pasted) RemovePlacedSurface(frame_.System(), info);
  }
  if (Gone(frame_, window_)) return;
  if (pasted) frame_.System().SaveUndo("Paste element");
  SetPlacementCheck(CM_NEW_ELEMENT, false);
  AfterInsertion();
}

void TInsertCommands::CmComponentLibrary() {
  TLibraryElements library(&window_, frame_.System());
  const int answer = library.Execute();
  // A taken element lies on the clipboard: it is placed as a pasted one.
  if (answer == kTakeElementId && EditClipboard() != nullptr) CmPaste();
  frame_.UpdateMenus();
}
