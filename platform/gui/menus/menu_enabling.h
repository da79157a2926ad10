#pragma once
// Command enabling for menus and accelerators: every command item of a pop-up about to
// open is put to the windows as a TCommandEnabler (the focus window inside the owner
// first; unanswered, it travels up to the parents), and the answers become the item's
// grey state, check mark and text.

#include "platform/core/types.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/windows/command_enabler.h"

// Puts the enabler to the focus window when it lies inside `owner`, else to the owner.
void RouteCommandEnable(HWND owner, TCommandEnabler &enabler);
// Runs the enablers of every command item of the pop-up (not of its sub-menus) and
// applies their answers.
void EnableMenuCommands(HWND owner, HMENU popup);
