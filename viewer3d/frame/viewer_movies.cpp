// The viewer's movies: the animation pop-up, a movie started on a chosen file (a lens or
// beam animation recorded redraw by redraw, or the system rotation run at once), and the
// player of a chosen movie.

#include <algorithm>
#include <string>

#include "foundation/helpers/helpers.h"
#include "platform/core/message_box.h"
#include "platform/gui/bars/gadgets.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "toolkit/bars/o_control_bar.h"
#include "toolkit/dialogs/file_name.h"
#include "toolkit/menu3d/o_menu3d.h"
#include "toolkit/pump/message_queue.h"
#include "viewer3d/frame/optical_viewer3d.h"
#include "viewer3d/movies/pavi.h"
#include "viewer3d/palette/viewer_commands.h"

namespace {

constexpr const char *kMovieFilter = "Movie (*.avi)|*.avi|";
constexpr COLORREF kMenuText = 0x7F0000;
constexpr COLORREF kMenuFace = 0xC0C0C0;
constexpr COLORREF kMenuSelectedText = 0x00007F;

struct TAnimationItem {
  TViewerAnimation kind;
  const char *text;
};
constexpr TAnimationItem kAnimationItems[] = {
    {TViewerAnimation::kLens, "Lens animation"},
    {TViewerAnimation::kBeams, "Beams animation"},
    {TViewerAnimation::kRotation, "System rotation"},
};

}  // namespace

void TOpticalViewer3D::CmCreateAnimation() {
  // An animation of the editor drives this viewer's redraws: no second one starts here.
  if (ProgramMessageQueue().BusyCount() > 0) {
    MessageBeep(MB_SIMPLEBEEP);
    MessageBox(GetHandle(), "Stop Animation in Editor!", "Create Animation", MB_OK | MB_ICONINFORMATION);
    return;
  }
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  for (const TAnimationItem &item : kAnimationItems)
    AppendMenu(menu, MF_STRING, static_cast<std::uintptr_t>(CM_VIEWER_ANIMATION + static_cast<int>(item.kind)),
               item.text);
  // Under the button, at the bar's lower edge.
  POINT at{0, 0};
  if (TButtonGadget *button = Button(CM_CREATE_ANIMATION)) {
    const RECT bounds = button->GetBounds();
    at = controlBar_->ClientToScreen(POINT{(bounds.left + bounds.right) / 2, 0});
  }
  at.y = controlBar_->GetWindowRect().bottom;
  {
    // The menus object lets go of the window and the items when it goes, after the walk.
    TOMenu3D look(this, TOMenu3D::Raised);
    look.SetColors(kMenuText, kMenuFace);
    look.SetSelectedColors(kMenuSelectedText, kMenuFace);
    look.AttachMenu(menu);
    TrackPopupMenu(menu, TPM_CENTERALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, GetHandle());
  }
  DestroyMenu(menu);
}

void TOpticalViewer3D::CmStartAnimation(WPARAM id, LPARAM) {
  const int kind = static_cast<int>(LOWORD(id)) - CM_VIEWER_ANIMATION;
  if (kind < 0 || kind > static_cast<int>(TViewerAnimation::kRotation)) return;
  TFileName dialog(this, kMovieFilter, TFileName::kSave);
  dialog.SetDefExt("avi");
  const std::string fileName = dialog.Execute();
  if (fileName.empty()) return;
  // A movie being written is finished once the new one has its file; a name being recorded
  // is refused and the running movie goes on.
  if (!movie_->Start(fileName, static_cast<TViewerAnimation>(kind))) return;
  if (movie_->Kind() == TViewerAnimation::kRotation) RunSystemRotation();
}

void TOpticalViewer3D::RunSystemRotation() {
  TAnimationSettings settings;
  const TSettingsReading read = ReadAnimationSettings(SettingsPath(), settings);
  if (!read.opened) {
    // The movie stays open until the viewer closes or another file is chosen.
    MessageBox(GetHandle(), "File View_3D.ini is not found", "Animation", MB_OK | MB_ICONINFORMATION);
    return;
  }
  TellSettingsFault(read.fault);
  const double savedStep = rotStep_;
  const int written = RunRotationFrames(
      settings,
      [this](int step) {
        SetWaitCursor();
        const int result = WriteViewerFrame(step);
        SetArrowCursor();
        return result;
      },
      [this](int axis, double angle) {
        // The turn commands turn by the rotation step and repaint.
        rotStep_ = angle;
        SendMessage(WM_COMMAND, static_cast<WPARAM>(CM_ROTATE_X_PLUS + 2 * axis));
      });
  rotStep_ = savedStep;
  if (written == std::max(0, settings.nRotStep)) movie_->Finish();
}

void TOpticalViewer3D::CmPlayMovie() {
  TFileName dialog(this, kMovieFilter, TFileName::kOpen);
  const std::string fileName = dialog.Execute();
  if (fileName.empty()) return;
  // The player belongs to the window the viewer stands on (the editor's main window for
  // the editor's viewer) and closes by itself; the viewer keeps no hold on it.
  TWindow *owner = GetParentO() != nullptr ? GetParentO() : this;
  auto *player = new TPavi(owner);
  if (player->Create()) player->OpenMovie(fileName.c_str());
}
