#pragma once
// What the menus layer adds to every window: the menu bar's band is the window's (it takes
// it from the client like the scroll bars), but painting the bar, answering clicks on it or
// on the system-menu box, Alt keys and the cursor shape are the menus layer's. It installs
// these hooks where the application starts (like the paint dispatcher); without them a
// window has no bar, no system menu and the arrow cursor.

#include "platform/core/types.h"

class TWindow;

struct TWindowHooks {
  // Paints the menu bar into the window's image (after the drawn frame).
  void (*PaintMenuBar)(TWindow &window) = nullptr;
  // A left press on the menu bar (HTMENU) or the system-menu box (HTSYSMENU).
  void (*NonClientClick)(TWindow &window, LRESULT hitTest, POINT screenPoint) = nullptr;
  // WM_SYSCHAR / WM_SYSKEYDOWN left to the default: true when the key opened a menu.
  bool (*SystemKey)(TWindow &window, UINT msg, WPARAM key) = nullptr;
  // WM_SETCURSOR left to the default (no parent took it): sets the window's cursor.
  bool (*SetCursor)(TWindow &window, LRESULT hitTest) = nullptr;
  // The window is being destroyed: its menus go with it.
  void (*Destroyed)(TWindow &window) = nullptr;
};

// Installs the hooks (copied) and returns the previous ones.
TWindowHooks SetWindowHooks(const TWindowHooks &hooks);
const TWindowHooks &CurrentWindowHooks();
