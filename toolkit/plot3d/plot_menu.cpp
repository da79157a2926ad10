#include "toolkit/plot3d/plot_menu.h"

#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/window.h"

bool TrackPlotMenu(TWindow &owner, HMENU menu, POINT screenPoint) {
  return TrackPopupMenu(menu, TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0,
                        owner.GetHandle()) != 0;
}
