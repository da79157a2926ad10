// The editor's 3-D image: the View menu's toggle, the viewer made or refilled with the
// edited system, and the notice of its going.


#include "document/system/system_image.h"
#include "editor/launchers/launcher_commands.h"
#include "editor/launchers/system_scene.h"
#include "editor/settings/editor_settings.h"
#include "foundation/helpers/helpers.h"
#include "foundation/numerics/pi.h"
#include "toolkit/pump/message_queue.h"
#include "viewer3d/frame/optical_viewer3d.h"

namespace {

constexpr int kViewerWidth = 550;
constexpr int kViewerHeight = 410;
constexpr int kViewerInset = 2;
constexpr double kViewerScale = 5.0;

}  // namespace

void TLauncherCommands::Cm3DImage() {
  frame_.DeleteRetiredWindows();
  frame_.LeaveZoomMode();
  if (viewer_ != nullptr) {
    CloseViewer();
  } else if (!AnalysisRefused()) {
    viewer_ = Show3DView(&window_, frame_.System(), nullptr);
  }
  frame_.UpdateMenus();
}

void TLauncherCommands::CloseViewer() {
  TOpticalViewer3DForEdit2D *viewer = viewer_;
  if (viewer == nullptr) return;
  viewer_ = nullptr;
  if (viewer->IsWindow()) viewer->SendMessage(WM_CLOSE);
  delete viewer;
}

void TLauncherCommands::Viewer3DClosed(WPARAM, LPARAM window) {
  // A viewer the editor closes itself is let go of before it goes.
  if (viewer_ == nullptr || reinterpret_cast<TWindow *>(window) != viewer_) return;
  frame_.RetireWindow(viewer_);
  viewer_ = nullptr;
  frame_.UpdateMenus();
}

TOpticalViewer3DForEdit2D *TLauncherCommands::Show3DView(TWindow *parent, TSystemImage &system,
                                                         TOpticalViewer3DForEdit2D *viewer) {
  SetWaitCursor();
  // The name as it stands: the file it names is the one the next Save writes.
  const std::string name = system.name == frame_.UntitledPath() ? std::string("Untitled") : system.name;
  const std::string caption = Viewer3DCaption(name);
  const bool fresh = viewer == nullptr;
  if (fresh) {
    POINT corner{kViewerInset, kViewerInset};
    if (parent != nullptr && parent->IsWindow()) parent->ClientToScreen(corner);
    TOpticalViewer3D::SetUserSettingsDirectory(UserSettingsDirectory());
    viewer = new TOpticalViewer3DForEdit2D(parent, caption.c_str(), kViewerWidth, kViewerHeight, corner.x,
                                           corner.y, kViewerWidth, kViewerHeight);
    if (!viewer->Create()) {
      delete viewer;
      SetArrowCursor();
      return nullptr;
    }
    viewer->UpdateWindow();
    viewer->SetViewport(viewer->SceneWidth() * 0.5, viewer->SceneHeight() * 0.5);
  } else {
    viewer->ClearObjects();
    viewer->ClearRays();
    viewer->SetCaption(caption.c_str());
  }
  const bool animating = system.options.lensAnimationRunning != 0 || system.options.beamAnimationRunning != 0;
  viewer->stillView = !animating || frame_.Queue().BusyCount() == 0 ? 1 : 0;
  // A movie the viewer records keeps the scale of its first frame (the redraw does not fit
  // while it records): setting the editor's scale then would jump every frame to it.
  if (!viewer->Movie().Recording()) viewer->SetScale(kViewerScale);
  // Turned once, when made: a refill keeps the user's view.
  if (fresh) viewer->TurnView(DANGLE3(-kPi / 2, 0.0, kPi), DPOINT3());
  BuildSystemScene(system, viewer->Scene());
  viewer->Redraw(true);
  SetArrowCursor();
  return viewer;
}
