// The viewer's stereo view: the glasses driver asked at the first press of the stereo
// button, the pair switched on and off, the eyes swapped, and the grid drawn over the
// background while the pair is shown.

#include "foundation/helpers/helpers.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/window_handles.h"
#include "toolkit/pump/delay.h"
#include "viewer3d/frame/optical_viewer3d.h"
#include "viewer3d/palette/viewer_commands.h"
#include "viewer3d/stereo/stereo_driver.h"
#include "viewer3d/window/optic3dv.h"

namespace {

constexpr COLORREF kGridGrey = 0x7F7F7F;
constexpr COLORREF kGridBlack = 0x000000;
constexpr int kGridLines = 15;
constexpr int kGridPen = 2;

int Driver(const char *command) {
  return RunStereoDriver(ProgramDir(), TempDir(), command, [](double seconds) { TDelay::WaitPumping(seconds); });
}

}  // namespace

void TOpticalViewer3D::CmStereo() {
  if (driverPresent_ < 0) {
    // Asked once, at the first press: no viewer waits for the driver while it opens. The
    // wait dispatches messages, so the viewer may be gone when it ends.
    const HWND self = GetHandle();
    SetWaitCursor();
    const int present = Driver("CheckDrv");
    SetArrowCursor();
    if (WindowFromHandle(self) != this) return;
    driverPresent_ = present;
  }
  if (driverPresent_ == 0) {
    MessageBox(GetHandle(), "The stereo-glasses driver is not installed.", "3D-Glass", MB_OK | MB_ICONHAND);
    SetButtonDown(CM_STEREO, false);
    return;
  }
  SetWaitCursor();
  TStereoSettings stereo;
  const TSettingsReading read = ReadStereoSettings(SettingsPath(), stereo);
  stereoRot_ = stereo.stereoRot;
  coefStereoTrans_ = stereo.coefStereoTrans;
  stereoOn_ = !stereoOn_;
  SetButtonDown(CM_STEREO, stereoOn_);
  Driver(stereoOn_ ? "On" : "Off");
  scene_->SetStereo(stereoOn_, stereoRot_, coefStereoTrans_);
  // Fitted to the elements and rays; the clear draws the grid while the pair is on.
  Redraw(false);
  SetArrowCursor();
  TellSettingsFault(read.fault);
}

void TOpticalViewer3D::CmSwapEyes() {
  if (driverPresent_ == 1 && stereoOn_) Driver("RightToLeft");
}

void TOpticalViewer3D::DrawStereoGrid() {
  TDC *dc = sceneWindow_->UpdateBitmap();
  if (dc == nullptr) return;
  // The grid covers the whole picture (the frame may show less of it).
  const int right = sceneWidth_, bottom = sceneHeight_;
  const int step = right / kGridLines;
  if (step > 0) {
    const TPen grey(kGridGrey, kGridPen), black(kGridBlack, kGridPen);
    for (int column = 0; column <= right; column += step) {
      dc->SelectObject(grey);
      dc->MoveTo(column, 0);
      dc->LineTo(column, bottom);
      dc->SelectObject(black);
      dc->MoveTo(column + 2, 0);
      dc->LineTo(column + 2, bottom);
    }
    for (int row = 0; row <= bottom; row += step) {
      dc->SelectObject(grey);
      dc->MoveTo(0, row);
      dc->LineTo(right, row);
      dc->SelectObject(black);
      dc->MoveTo(0, row + 2);
      dc->LineTo(right, row + 2);
    }
    dc->RestorePen();
  }
  sceneWindow_->GrabClient(true);
}
