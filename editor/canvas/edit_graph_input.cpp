// The canvas's mouse, keys and pop-up menu: every press is recorded in the edited system;
// the tool record's mouse mode decides what a drag does (pan, select band, zoom band, move
// the selection), a placement tool's press picks the preceding element and then the place;
// keys and menu items go to the editor's commands.

#include <cmath>

#include "document/elements/edit_path.h"
#include "document/system/system_image.h"
#include "editor/animation/animation_gate.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_commands.h"
#include "editor/properties/system_properties_folder.h"
#include "platform/gui/bars/cursors.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_enabling.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/window_handles.h"

namespace {

// A band narrower than this (pixels) is taken as a click at its corner.
constexpr int kSmallestBand = 3;
constexpr double kRadiansToDegrees = 57.29577951308232;

const TResponseTableEntry kEditGraphTable[] = {
    EvMessage<WM_LBUTTONDOWN, &TEditGraph::EvLButtonDown>(),
    EvMessage<WM_LBUTTONUP, &TEditGraph::EvLButtonUp>(),
    EvMessage<WM_MOUSEMOVE, &TEditGraph::EvMouseMove>(),
    EvMessage<WM_RBUTTONDOWN, &TEditGraph::EvRButtonDown>(),
    EvMessage<WM_KEYDOWN, &TEditGraph::EvKeyDown>(),
    EvCommandEnable<&TEditGraph::CeRefresh>(CM_REFRESH),
};

bool IsPlacementTool(int tool) { return tool == kNewElementTool || tool == kNewSingleSurfaceTool; }

}  // namespace

bool TEditGraph::Find(TEventInfo &info) {
  return SearchResponseTable(kEditGraphTable, info) || TGGraph::Find(info);
}

bool TEditGraph::OutsideBand(POINT at) const {
  if (!GetSelectMode()) return false;
  const RECT band = GetSelection();
  const POINT q = DeviceToPlot(at);
  const LONG left = std::min(band.left, band.right), right = std::max(band.left, band.right);
  const LONG top = std::min(band.top, band.bottom), bottom = std::max(band.top, band.bottom);
  return q.x < left || q.x >= right || q.y < top || q.y >= bottom;
}

bool TEditGraph::OnSelection(POINT at) const {
  if (system_ == nullptr || system_->hasSelection == 0) return false;
  if (GetSelectMode() && !OutsideBand(at)) {
    const RECT band = GetSelection();
    if (std::abs(band.right - band.left) >= kSmallestBand || std::abs(band.bottom - band.top) >= kSmallestBand)
      return true;
  }
  constexpr int kPickRadius = 2;  // pixels either side of the point that still meet
  const RECT pick{at.x - kPickRadius, at.y - kPickRadius, at.x + kPickRadius + 1, at.y + kPickRadius + 1};
  for (int e = 0; e < system_->ElementCount(); ++e) {
    const TOpticalElement &element = system_->elements.data[e];
    const auto *path = dynamic_cast<const TEditPath *>(element.region);
    if (element.mark != 0 && path != nullptr && path->Meets(pick)) return true;
  }
  return false;
}

void TEditGraph::EvLButtonDown(UINT keys, const POINT &point) {
  const POINT at = ToBitmap(point);
  if (system_ != nullptr) system_->lastPress = at;
  pressPoint_ = at;
  lastPoint_ = at;
  drag_ = TDrag::None;
  dragMode_ = tools_->mouseMode;
  if (IsPlacementTool(tools_->tool)) {
    TGraphWindow::EvLButtonDown(keys, point);
    PlacementPress(at);
    return;
  }
  // In Select mode a press on the selection drags it: the move mode without a command
  // of its own.
  if (dragMode_ == kSelectMouseMode && OnSelection(at)) {
    TGraphWindow::EvLButtonDown(keys, point);
    SetCapture();
    drag_ = TDrag::Move;
    return;
  }
  if (dragMode_ == kSelectMouseMode || dragMode_ == kZoomMouseMode) {
    if (!GetSelectMode()) SetSelectMode(true);
    drag_ = TDrag::Band;
    TGGraph::EvLButtonDown(keys, point);
    return;
  }
  TGraphWindow::EvLButtonDown(keys, point);
  if (OutsideBand(at)) SetSelectMode(false);
  SetCapture();
  if (dragMode_ == kMoveMouseMode) {
    drag_ = TDrag::Move;
    return;
  }
  drag_ = TDrag::Pan;
  if (system_ != nullptr) {
    const TViewWindow &view = system_->viewWindow;
    panFrom_[0] = view.xFrom;
    panFrom_[1] = view.xTo;
    panFrom_[2] = view.yFrom;
    panFrom_[3] = view.yTo;
  }
  SetWindowCursor(GetHandle(), LoadCursor(nullptr, "MoveField_Cur"));
}

void TEditGraph::EvMouseMove(UINT keys, const POINT &point) {
  if (drag_ == TDrag::Band || drag_ == TDrag::None) {
    TGGraph::EvMouseMove(keys, point);
    return;
  }
  TGraphWindow::EvMouseMove(keys, point);
  const POINT at = ToBitmap(point);
  if (at.x == lastPoint_.x && at.y == lastPoint_.y) return;
  lastPoint_ = at;
  if (drag_ == TDrag::Pan) {
    EndPan(at, false);
    return;
  }
  // A move in progress: the picture with the selection shifted, the tables told.
  const POINT offset{at.x - pressPoint_.x, at.y - pressPoint_.y};
  if (system_ == nullptr) return;
  system_->pendingMove = offset;
  DrawPendingMove(offset);
  const DPOINT from = DeviceToWorld(pressPoint_);
  const DPOINT to = DeviceToWorld(at);
  if (positionTable_ != nullptr) positionTable_->SetPendingShift(to.x - from.x, to.y - from.y);
  if (inclinationTable_ != nullptr && system_->selectedElement >= 0 &&
      system_->selectedElement < system_->ElementCount()) {
    // The turn about the selected element's reference point that carries the press point
    // towards the mouse.
    const DPOINT3 &c = system_->elements.data[system_->selectedElement].referencePoint;
    const double before = std::atan2(from.y - c.y, from.x - c.x);
    const double after = std::atan2(to.y - c.y, to.x - c.x);
    double turn = (after - before) * kRadiansToDegrees;
    if (turn > 180.0) turn -= 360.0;
    if (turn < -180.0) turn += 360.0;
    inclinationTable_->SetPendingAngle(turn);
  }
}

void TEditGraph::EvLButtonUp(UINT keys, const POINT &point) {
  const TDrag drag = drag_;
  drag_ = TDrag::None;
  const POINT at = ToBitmap(point);
  if (drag == TDrag::Band || drag == TDrag::None) {
    const bool dragged = IsDragging();
    TGGraph::EvLButtonUp(keys, point);
    if (drag != TDrag::Band || !dragged || !GetSelectMode()) return;
    if (dragMode_ == kZoomMouseMode) {
      EndZoom();
      return;
    }
    const RECT band = GetSelection();
    if (std::abs(band.right - band.left) < kSmallestBand &&
        std::abs(band.bottom - band.top) < kSmallestBand) {
      SelectAt(pressPoint_);
      return;
    }
    const POINT from = PlotToDevice(POINT{band.left, band.top});
    const POINT to = PlotToDevice(POINT{band.right, band.bottom});
    SelectIn(RECT{std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x),
                  std::max(from.y, to.y)});
    return;
  }
  TGraphWindow::EvLButtonUp(keys, point);
  ReleaseCapture();
  if (drag == TDrag::Pan) {
    SetWindowCursor(GetHandle(), LoadCursor(nullptr, IDC_ARROW));
    EndPan(at, true);
  } else {
    EndMove(at);
  }
}

void TEditGraph::EndPan(POINT at, bool last) {
  if (system_ == nullptr) return;
  // The world point under the press stays under the mouse: the view shifts by the drag.
  // The view only shifts, so the drag's world length is the same in every shifted window.
  TViewWindow &view = system_->viewWindow;
  const DPOINT from = DeviceToWorld(pressPoint_);
  const DPOINT to = DeviceToWorld(at);
  const double dx = to.x - from.x, dy = to.y - from.y;
  if (!std::isfinite(dx) || !std::isfinite(dy)) return;
  view.xFrom = panFrom_[0] - dx;
  view.xTo = panFrom_[1] - dx;
  view.yFrom = panFrom_[2] - dy;
  view.yTo = panFrom_[3] - dy;
  Redraw();
  // The elements' regions follow the picture once the view comes to rest.
  if (last) system_->SetCanvas(this);
}

void TEditGraph::EndMove(POINT at) {
  if (system_ == nullptr) return;
  system_->pendingMove = POINT{0, 0};
  const DPOINT from = DeviceToWorld(pressPoint_);
  const DPOINT to = DeviceToWorld(at);
  const bool still = at.x == pressPoint_.x && at.y == pressPoint_.y;
  // A click on the selection in Select mode picks what lies under it, as a click elsewhere
  // does.
  if (still && dragMode_ == kSelectMouseMode) {
    SelectAt(pressPoint_);
    return;
  }
  // A move during a lens or beam run would be taken back with the run's end.
  if (system_->hasSelection != 0 && !still && RefuseDuringAnimation(GetHandle(), system_->options)) {
    Redraw();
    return;
  }
  // The elements stay where they are under a running optimization.
  if (system_->hasSelection == 0 || still || OptimizationRunRefusesEdit() ||
      system_->MoveMarkedElements(to.x - from.x, to.y - from.y) == 0) {
    Redraw();
    return;
  }
  system_->SaveUndo("Move element");
  if (positionTable_ != nullptr) positionTable_->SetPendingShift(0.0, 0.0);
  if (inclinationTable_ != nullptr) inclinationTable_->SetPendingAngle(0.0);
  // The band follows the elements it holds.
  if (GetSelectMode()) {
    const RECT band = GetSelection();
    const LONG dx = at.x - pressPoint_.x, dy = at.y - pressPoint_.y;
    SetSelectMode(false);
    SetSelection(band.left + dx, band.top + dy, band.right + dx, band.bottom + dy);
  }
  RunRefresh();
}

void TEditGraph::EndZoom() {
  const RECT band = GetSelection();
  SetSelectMode(false);
  if (system_ == nullptr || std::abs(band.right - band.left) < kSmallestBand ||
      std::abs(band.bottom - band.top) < kSmallestBand) {
    Redraw();
    return;
  }
  const DPOINT a = DeviceToWorld(PlotToDevice(POINT{band.left, band.top}));
  const DPOINT b = DeviceToWorld(PlotToDevice(POINT{band.right, band.bottom}));
  system_->viewWindow =
      TViewWindow{std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y)};
  Redraw();
  system_->SetCanvas(this);
}

void TEditGraph::PlacementPress(POINT at) {
  if (system_ == nullptr) return;
  if (!GetSelectMode()) {
    // First the element after which the new one goes: the band holds it.
    if (SelectAt(at) == 0 || system_->selectedElement < 0) return;
    const TWorldBox &box = system_->elements.data[system_->selectedElement].extent;
    if (box.empty) return;
    const POINT a = DeviceToPlot(WorldToDevice(box.x1, box.y2));
    const POINT b = DeviceToPlot(WorldToDevice(box.x2, box.y1));
    SetSelection(a.x - 1, a.y - 1, b.x + 2, b.y + 2);
    return;
  }
  if (!OutsideBand(at)) return;
  // Then the place of the new element's top.
  SetSelectMode(false);
  placementPoint_ = at;
  placementTool_ = tools_->tool;
  if (placed_ && !OptimizationRunRefusesEdit()) placed_(at, placementTool_);
}

void TEditGraph::CeRefresh(TCommandEnabler &enabler) { enabler.Enable(true); }

void TEditGraph::RunRefresh() {
  if (refresh_)
    refresh_();
  else
    Redraw();
}

void TEditGraph::SendCommand(int command) {
  HWND target = commandTarget_;
  if (target == nullptr && GetParentO() != nullptr) target = GetParentO()->GetHandle();
  if (target != nullptr) ::SendMessage(target, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

void TEditGraph::EvKeyDown(UINT key, UINT repeatCount, UINT flags) {
  (void)repeatCount;
  (void)flags;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  int command = 0;
  if (control && key == 'R') {
    RunRefresh();
    return;
  }
  if (control && key == 'A') command = CM_EDIT_ANIMATION;
  else if (control && key == 'Z') command = CM_UNDO;
  else if (control && key == 'Y') command = CM_REDO;
  else if (control && key == 'S') command = CM_SAVE_CURRENT_STEP;
  else if (key == VK_DELETE) command = shift ? CM_CUT : CM_DELETE;
  else if (key == VK_INSERT && control) command = CM_COPY;
  else if (key == VK_INSERT && shift) command = CM_PASTE;
  if (command == 0) {
    DefaultProcessing();
    return;
  }
  // As for the editor's accelerators, a key of a greyed command does nothing.
  HWND target = commandTarget_;
  if (target == nullptr && GetParentO() != nullptr) target = GetParentO()->GetHandle();
  if (target == nullptr) return;
  TCommandEnabler enabler(static_cast<UINT>(command));
  RouteCommandEnable(target, enabler);
  if (enabler.GetHandled() && !enabler.IsEnabled()) return;
  SendCommand(command);
}

void TEditGraph::EvRButtonDown(UINT keys, const POINT &point) {
  (void)keys;
  if (system_ != nullptr) system_->lastPress = ToBitmap(point);
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  AppendMenu(menu, MF_STRING, CM_UNDO, "&Undo");
  AppendMenu(menu, MF_STRING, CM_REDO, "&Redo");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING, CM_CUT, "Cu&t");
  AppendMenu(menu, MF_STRING, CM_COPY, "&Copy");
  AppendMenu(menu, MF_STRING, CM_PASTE, "&Paste");
  AppendMenu(menu, MF_STRING, CM_DELETE, "&Delete");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING, CM_SELECT, "&Select");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING, CM_REFRESH, "&Refresh");
  const POINT screen = ClientToScreen(point);
  const int chosen = TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x, screen.y, 0,
                                    GetHandle());
  DestroyMenu(menu);
  if (chosen == CM_REFRESH)
    RunRefresh();
  else if (chosen != 0)
    SendCommand(chosen);
}
