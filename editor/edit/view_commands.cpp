// The refresh of every view, the zoom commands, the scale dialog and the View menu's
// display switches.

#include <cmath>

#include "editor/dialogs/quick_table_dlg.h"
#include "editor/dialogs/scale_system_dlg.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/shell/optical_editor.h"
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

void TOpticalEditor::RefreshAll() {
  if (Current() != this) return;
  // The selection is drawn highlighted by the canvas itself.
  if (canvas_ != nullptr) canvas_->Redraw();
  UpdateCaption();
  RefreshAnalyses(false);
  // The focal length and apertures of the selected elements, in a note on the canvas.
  if (system_.options.ViewPropertiesOfSelectedElements != 0 && canvas_ != nullptr)
    system_.ShowGeneralParameters(canvas_);
  if (editTools_.positionTable != nullptr) editTools_.positionTable->Fill();
  if (editTools_.inclinationTable != nullptr) editTools_.inclinationTable->Fill();
  UpdateMenus();
  // While every step is saved, the movie takes this state as its next frame.
  if (SavesEachStep()) SaveReportStep();
  // A warning of the model is shown by exactly one refresh.
  const std::string message = TakePendingMessage();
  if (TStatusBar *status = statusBar_) status->SetText(message.c_str());
}

void TOpticalEditor::CmSelectZoom() {
  if (system_.SurfaceCount() < kZoomSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  if (editTools_.ButtonDown(CM_SELECT)) {
    SetMouseMode(kPanMouseMode);
    if (canvas_ != nullptr) {
      canvas_->SetSelectMode(false);
      canvas_->Redraw();
    }
    tools_.tool = 0;
    editTools_.SetButtonDown(CM_SELECT, false);
    if (HMENU menu = GetHandle() != nullptr ? GetMenu(GetHandle()) : nullptr)
      CheckMenuItem(menu, CM_SELECT, MF_BYCOMMAND | MF_UNCHECKED);
  }
  const bool on = !editTools_.ButtonDown(CM_SELECT_ZOOM);
  editTools_.SetButtonDown(CM_SELECT_ZOOM, on);
  SetMouseMode(on ? kZoomMouseMode : kPanMouseMode);
  if (canvas_ != nullptr && canvas_->GetHandle() != nullptr) {
    const TResId cursor = on ? TResId("ZoomSelect_Cur") : TResId(IDC_ARROW);
    SetWindowCursor(canvas_->GetHandle(), LoadCursor(nullptr, cursor));
  }
  if (canvas_ != nullptr && canvas_->GetSelectMode()) canvas_->SetSelectMode(false);
}

void TOpticalEditor::CmZoomOut() {
  if (system_.SurfaceCount() < kZoomSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  TViewWindow &view = system_.viewWindow;
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
  if (canvas_ != nullptr) {
    canvas_->Redraw();
    // The elements' regions follow the new world window, so picking stays true.
    system_.SetCanvas(canvas_);
  }
  UpdateCaption();
}

void TOpticalEditor::CmActualSize() {
  if (system_.SurfaceCount() < kZoomSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  LeaveZoomMode();
  if (const TSystemPropertiesFolder *folder = PropertiesFolder();
      folder != nullptr && folder->OptimizationPanelShown())
    system_.SelectConfiguration(editTools_.rememberedConfiguration);
  system_.ComputeExtent();
  if (canvas_ != nullptr) {
    canvas_->UpdateZoomWindow();
    system_.SetCanvas(canvas_);
  }
  SetMouseMode(kPanMouseMode);
  RefreshAll();
}

void TOpticalEditor::CmScaleSystem() {
  TScaleSystemDlg dialog(this);
  if (dialog.Execute() == IDOK && canvas_ != nullptr) {
    canvas_->Redraw();
    system_.SetCanvas(canvas_);
    UpdateCaption();
  }
}

void TOpticalEditor::CmCardinalPlanes() {
  LeaveZoomMode();
  if (system_.SurfaceCount() < kCardinalPlanesSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  system_.options.ShowCardinalPlanes = system_.options.ShowCardinalPlanes ? 0 : 1;
  RefreshAll();
}

void TOpticalEditor::CmRealBeams() {
  LeaveZoomMode();
  if (system_.SurfaceCount() < kRealBeamsSurfaces) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  system_.options.ShowCourseBeam = system_.options.ShowCourseBeam ? 0 : 1;
  editTools_.SetButtonDown(CM_REAL_BEAMS, system_.options.ShowCourseBeam != 0);
  RefreshAll();
}

void TOpticalEditor::CmViewPropertiesOfSelected() {
  system_.options.ViewPropertiesOfSelectedElements =
      system_.options.ViewPropertiesOfSelectedElements ? 0 : 1;
  RefreshAll();
}
