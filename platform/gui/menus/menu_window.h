#pragma once
// Menus that belong to windows: the menu bar (drawn in the band the window keeps for it
// above the client) and the system menu, with the hooks that give every window its bar
// painting, its clicks on the bar and the system-menu box, and Alt keys.

#include "platform/core/types.h"
#include "platform/gui/menus/menu.h"

class TWindow;

// Attaches a bar (null removes it); the previous bar is not destroyed. False for an
// unknown window, a pop-up menu, or a menu that is another window's bar. A bar attached to
// a window is destroyed with it.
BOOL SetMenu(HWND window, HMENU menu);
HMENU GetMenu(HWND window);
// Lays the bar out and repaints it (the band grows or shrinks with the lines it needs).
BOOL DrawMenuBar(HWND window);

// The window's system menu, made on first use: Restore, Move, Size, Minimize, Maximize,
// a separator and Close, as the window's style allows. revert puts the standard menu back
// and returns null. Choices with ids from 0xF000 arrive as WM_SYSCOMMAND, other ids as
// WM_COMMAND, so a window can add commands of its own to its system menu.
HMENU GetSystemMenu(HWND window, BOOL revert);

// Opens the system menu under the window's top-left corner (Alt+Space, a click on the
// system-menu box); the chosen command is sent.
void ShowSystemMenu(TWindow &window);

// The rectangle of bar item `index` in the window's image; empty when there is none.
RECT MenuBarItemRect(HWND window, int index);
// The bar item highlighted while the bar is tracked (-1: none); for the tracker.
void SetMenuBarSelection(HWND window, int index);

// Installs the window hooks of the menus (the application and the test kit call it).
void InstallMenuHooks();

// Called by the menu calls: a menu's items changed (its bar is laid out and repainted)
// or the menu is being destroyed (windows forget it).
void MenuChanged(HMENU menu);
void ForgetMenu(HMENU menu);
