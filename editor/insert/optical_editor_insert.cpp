// The editor's commands that put something new into the system at a place shown on the
// canvas: Paste, New Single Surface, New Element, and the component library. All of them
// run the interactive placement, which waits inside the command, pumping messages, while
// the user picks the element to follow and then clicks the new element's top.

#include <chrono>
#include <climits>
#include <thread>

#include "editor/edit/edit_clipboard.h"
#include "editor/insert/element_folder.h"
#include "editor/insert/placement.h"
#include "editor/library/library_elements.h"
#include "editor/shell/optical_editor.h"
#include "platform/core/message_box.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"

namespace {

constexpr POINT kNoPress{INT_MIN, INT_MIN};
constexpr const char *kPlacementStatus =
    "Specify the previous element or surface, then - position of top of a new element";
constexpr const char *kPlacementHelp =
    "       Select, please,\nthe preceding element or surface,\nand then set position of the new element";
// The wait between two pumps of the placement, so that waiting costs no processor time.
constexpr int kPumpPauseMs = 5;

bool IsPress(const POINT &p) { return p.x != kNoPress.x || p.y != kNoPress.y; }

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(kPumpPauseMs)); }

// The window closed while a placement waited: nothing more is recorded or drawn (an undo
// snapshot now would outlive the session and be offered for restoring at the next start).
bool Gone(const TOpticalEditor &editor) {
  return editor.GetHandle() == nullptr || TOpticalEditor::Current() != &editor;
}

}  // namespace

void TOpticalEditor::SetPlacementCheck(int command, bool down) {
  if (command == CM_NEW_SINGLE_SURFACE) singleSurfaceDown_ = down;
  if (command == CM_NEW_ELEMENT) newElementDown_ = down;
  // The canvas picks for the placement while its tool is current; an element chosen with
  // the select tool before stays chosen.
  if (down)
    tools_.SetTool(canvas_, command, kSelectTool);
  else if (tools_.tool == command)
    tools_.SetTool(canvas_, 0, 0);
  editTools_.SetButtonDown(command, down);
  HMENU menu = GetHandle() != nullptr ? GetMenu(GetHandle()) : nullptr;
  if (menu != nullptr) CheckMenuItem(menu, command, MF_BYCOMMAND | (down ? MF_CHECKED : MF_UNCHECKED));
}

int TOpticalEditor::EndPlacement(int result) {
  if (Gone(*this)) return 0;
  if (statusBar_ != nullptr) statusBar_->SetText("");
  if (result == 0 && canvas_ != nullptr) canvas_->SetMouseMode(0);
  return result;
}

int TOpticalEditor::PlaceNewElement(int count, TInsertedElementInfo *info) {
  if (canvas_ == nullptr || canvas_->GetHandle() == nullptr) return 0;
  if (statusBar_ != nullptr) statusBar_->SetText(kPlacementStatus);
  if (!canvas_->GetSelectMode())
    MessageBox(GetHandle(), kPlacementHelp, "Help", MB_OK | MB_ICONINFORMATION);
  queue_.Enter();
  // The canvas notes every press in the system: a press shows itself by replacing this mark.
  system_.lastPress = kNoPress;
  // First the element to follow: the canvas's band holds it once it is picked.
  while (!canvas_->GetSelectMode()) {
    if (!queue_.Pump()) return EndPlacement(0);
    Pause();
  }
  int preceding = -1;
  if (system_.hasSelection && system_.selectedElement >= 0 &&
      system_.selectedElement < system_.ElementCount())
    preceding = system_.IndexOfSurface(system_.elements.data[system_.selectedElement].LastSurface());
  // Then the place: a press outside the band ends it.
  system_.lastPress = kNoPress;
  while (canvas_->GetSelectMode()) {
    if (!queue_.Pump()) return EndPlacement(0);
    Pause();
  }
  const POINT press = system_.lastPress;
  canvas_->SetSelectMode(false);
  system_.DrawMarked(canvas_, TEditGraph::kSelectedColor);
  queue_.Pump();
  queue_.Leave(1);
  if (preceding < 0 || system_.Surface(preceding) == nullptr || !IsPress(press)) {
    MessageBeep(MB_SIMPLEBEEP);
    return EndPlacement(0);
  }
  const DPOINT at = canvas_->DeviceToWorld(press);

  TInsertedElementInfo ownRecord;
  TInsertedElementInfo &record = info != nullptr ? *info : ownRecord;
  const int index = PlaceSurface(system_, preceding, at.x, at.y, count, record);
  if (index < 0) {
    MessageBeep(MB_SIMPLEBEEP);
    return EndPlacement(0);
  }
  // The new surface is the selection, drawn as such.
  system_.ClearSelection();
  for (int e = 0; e < system_.ElementCount(); ++e) {
    TOpticalElement &element = system_.elements.data[e];
    if (system_.IndexOfSurface(element.FirstSurface()) != index) continue;
    element.mark = 1;
    system_.selectedElement = e;
    system_.selectedSurface = index;
    if (TEditSurface *s = system_.EditSurface(index)) s->SetMark(1);
  }
  system_.hasSelection = 1;
  ShowSystem();
  canvas_->SetSelectMode(true);
  // A single surface goes on to its table (the properties folder opens, or closes when it
  // is open).
  if (count > 0) CmPropertiesOfSelected();
  return EndPlacement(1);
}

void TOpticalEditor::AfterInsertion() {
  // The elements regrouped for the canvas, then every view.
  ShowSystem();
  RefreshAll();
  RefreshProperties();
}

void TOpticalEditor::CmNewSingleSurface() {
  const bool down = !singleSurfaceDown_;
  SetPlacementCheck(CM_NEW_SINGLE_SURFACE, down);
  if (!down) {
    // A placement waiting for its clicks sees the reset and gives up.
    queue_.Leave(1);
    if (canvas_ != nullptr) canvas_->SetMouseMode(0);
    return;
  }
  if (newElementDown_) CmNewElement();
  PlaceNewElement(1, nullptr);
  if (Gone(*this)) return;
  SetPlacementCheck(CM_NEW_SINGLE_SURFACE, false);
  system_.SaveUndo("Insert single surface");
  AfterInsertion();
}

void TOpticalEditor::CmNewElement() {
  const bool down = !newElementDown_;
  SetPlacementCheck(CM_NEW_ELEMENT, down);
  if (!down) {
    PumpWaitingMessages();
    queue_.Leave(1);
    if (canvas_ != nullptr) canvas_->SetMouseMode(0);
    return;
  }
  if (singleSurfaceDown_) CmNewSingleSurface();
  TInsertedElementInfo info;
  if (PlaceNewElement(-1, &info) == 1) RunElementFolder(info, kLensPage, "Insert element");
  if (Gone(*this)) return;
  SetPlacementCheck(CM_NEW_ELEMENT, false);
  AfterInsertion();
}

void TOpticalEditor::RunElementFolder(TInsertedElementInfo &info, int firstPage, const char *label) {
  TElementFolder folder(this, system_, info, firstPage);
  const int answer = folder.Execute();
  info = folder.Info();
  if (answer == IDOK && info.insertedCount > 0) {
    system_.SaveUndo(label);
  } else {
    // Nothing was put there: the surface placed for it goes again.
    RemovePlacedSurface(system_, info);
  }
}

void TOpticalEditor::CmPaste() {
  if (EditClipboard() == nullptr) return;
  SetPlacementCheck(CM_NEW_ELEMENT, true);
  TInsertedElementInfo info;
  if (PlaceNewElement(-1, &info) == 1) {
    TElementFolder folder(this, system_, info, kPastePage);
    const int answer = folder.Execute();
    info = folder.Info();
    if (answer != IDOK || info.insertedCount == 0) RemovePlacedSurface(system_, info);
  }
  if (Gone(*this)) return;
  system_.SaveUndo("Paste element");
  SetPlacementCheck(CM_NEW_ELEMENT, false);
  AfterInsertion();
}

void TOpticalEditor::CmComponentLibrary() {
  TLibraryElements library(this, system_);
  const int answer = library.Execute();
  // A taken element lies on the clipboard: it is placed as a pasted one.
  if (answer == kTakeElementId && EditClipboard() != nullptr) CmPaste();
  UpdateMenus();
}
