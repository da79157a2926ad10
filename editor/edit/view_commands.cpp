#include "editor/edit/view_commands.h"

#include <cmath>

#include "document/system/system_image.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_commands.h"
#include "editor/dialogs/scale_system_dlg.h"
#include "editor/edit/editor_tools.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/gui/bars/cursors.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"

namespace {

// Surfaces a command needs before it does anything.
constexpr int kZoomSurfaces = 1;
constexpr int kRealBeamsSurfaces = 2;
constexpr int kCardinalPlanesSurfaces = 3;
// The widest view Zoom out goes to, in mm from the origin.
constexpr double kLargestViewMm = 1e9;

}  // namespace

TViewCommands::TViewCommands(TEditorFrame &frame, TWindow &window) : frame_(frame), window_(window) {}

void TViewCommands::LeaveZoomMode() {
  if (frame_.EditTools().ButtonDown(CM_SELECT_ZOOM)) CmSelectZoom();
}

void TViewCommands::LeaveSelectMode() {
  if (!frame_.EditTools().ButtonDown(CM_SELECT)) return;
  frame_.SetMouseMode(kPanMouseMode);
  if (frame_.Canvas() != nullptr) {
    frame_.Canvas()->SetSelectMode(false);
    frame_.Canvas()->Redraw();
  }
  frame_.Tools().tool = 0;
  frame_.EditTools().SetButtonDown(CM_SELECT, false);
  if (HMENU menu = window_.GetHandle() != nullptr ? GetMenu(window_.GetHandle()) : nullptr)
    CheckMenuItem(menu, CM_SELECT, MF_BYCOMMAND | MF_UNCHECKED);
}

void TViewCommands::CmSelectZoom() {
  if (frame_.System().SurfaceCount() < kZoomSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  LeaveSelectMode();
  const bool on = !frame_.EditTools().ButtonDown(CM_SELECT_ZOOM);
  frame_.EditTools().SetButtonDown(CM_SELECT_ZOOM, on);
  frame_.SetMouseMode(on ? kZoomMouseMode : kPanMouseMode);
  if (frame_.Canvas() != nullptr && frame_.Canvas()->GetHandle() != nullptr) {
    const TResId cursor = on ? TResId("ZoomSelect_Cur") : TResId(IDC_ARROW);
    SetWindowCursor(frame_.Canvas()->GetHandle(), LoadCursor(nullptr, cursor));
  }
  if (frame_.Canvas() != nullptr && frame_.Canvas()->GetSelectMode()) frame_.Canvas()->SetSelectMode(false);
}

void TViewCommands::CmZoomOut() {
  if (frame_.System().SurfaceCount() < kZoomSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  TViewWindow &view = frame_.System().viewWindow;
  const double dx = (view.xTo - view.xFrom) * 0.5;
  const double dy = (view.yTo - view.yFrom) * 0.5;
  const TViewWindow wider{view.xFrom - dx, view.xTo + dx, view.yFrom - dy, view.yTo + dy};
  // Doubling without end would leave numbers the canvas cannot place: past a view of a
  // thousand kilometres the command only beeps.
  for (double bound : {wider.xFrom, wider.xTo, wider.yFrom, wider.yTo}) {
    if (!std::isfinite(bound) || std::fabs(bound) > kLargestViewMm) {
      MessageBeep(MB_SIMPLEBEEP);
      return;
    }
  }
  view = wider;
  if (frame_.Canvas() != nullptr) {
    frame_.Canvas()->Redraw();
    // The elements' regions follow the new world window, so picking stays true.
    frame_.System().SetCanvas(frame_.Canvas());
  }
  frame_.UpdateCaption();
}

void TViewCommands::CmActualSize() {
  if (frame_.System().SurfaceCount() < kZoomSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  LeaveZoomMode();
  // A zoom changes no configuration.
  frame_.System().ComputeExtent();
  if (frame_.Canvas() != nullptr) {
    frame_.Canvas()->UpdateZoomWindow();
    frame_.System().SetCanvas(frame_.Canvas());
  }
  // A drag pans the view from here on: the Select button and its menu check say so.
  LeaveSelectMode();
  frame_.SetMouseMode(kPanMouseMode);
  frame_.RefreshAll();
}

void TViewCommands::CmScaleSystem() {
  TScaleSystemDlg dialog(&window_);
  if (dialog.Execute() == IDOK && frame_.Canvas() != nullptr) {
    frame_.Canvas()->Redraw();
    frame_.System().SetCanvas(frame_.Canvas());
    frame_.UpdateCaption();
  }
}

void TViewCommands::CmCardinalPlanes() {
  LeaveZoomMode();
  if (frame_.System().SurfaceCount() < kCardinalPlanesSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  frame_.System().options.ShowCardinalPlanes = frame_.System().options.ShowCardinalPlanes ? 0 : 1;
  frame_.RefreshAll();
}

void TViewCommands::CmRealBeams() {
  LeaveZoomMode();
  if (frame_.System().SurfaceCount() < kRealBeamsSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  frame_.System().options.ShowCourseBeam = frame_.System().options.ShowCourseBeam ? 0 : 1;
  frame_.EditTools().SetButtonDown(CM_REAL_BEAMS, frame_.System().options.ShowCourseBeam != 0);
  frame_.RefreshAll();
}

void TViewCommands::CmViewPropertiesOfSelected() {
  frame_.System().options.ViewPropertiesOfSelectedElements =
      frame_.System().options.ViewPropertiesOfSelectedElements ? 0 : 1;
  frame_.RefreshAll();
}
