#pragma once
// How the plot window's menu is shown: one function, so that an owner-drawn look can take
// its place without touching the window. Today it is the platform's ordinary pop-up.

#include "platform/core/types.h"
#include "platform/gui/menus/menu.h"

class TWindow;

// Tracks the pop-up at a screen point with the right button; the chosen command is sent
// to the owner. True when one was chosen.
bool TrackPlotMenu(TWindow &owner, HMENU menu, POINT screenPoint);
