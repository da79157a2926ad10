#pragma once
// How the plot window's menu is shown: one function, so the window does not care how the
// menu looks. It is drawn as a 3-D owner-drawn menu (TOMenu3D): dark-blue text on grey,
// dark red when selected.

#include "platform/core/types.h"
#include "platform/gui/menus/menu.h"

class TWindow;

// Tracks the pop-up at a screen point with the right button; the chosen command is sent
// to the owner. True when one was chosen. The menu is handed back as it was given.
bool TrackPlotMenu(TWindow &owner, HMENU menu, POINT screenPoint);
