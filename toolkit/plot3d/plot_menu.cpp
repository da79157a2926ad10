#include "toolkit/plot3d/plot_menu.h"

#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/window.h"
#include "toolkit/menu3d/o_menu3d.h"

namespace {

constexpr COLORREF kPlotMenuText = 0x7F0000;
constexpr COLORREF kPlotMenuFace = 0xC0C0C0;
constexpr COLORREF kPlotMenuSelectedText = 0x00007F;

}  // namespace

bool TrackPlotMenu(TWindow &owner, HMENU menu, POINT screenPoint) {
  TOMenu3D look(&owner, TOMenu3D::Raised);
  look.SetColors(kPlotMenuText, kPlotMenuFace);
  look.SetSelectedColors(kPlotMenuSelectedText, kPlotMenuFace);
  look.AttachMenu(menu);
  // The menus object lets go of the window and the items when it goes, after the walk.
  return TrackPopupMenu(menu, TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0,
                        owner.GetHandle()) != 0;
}
