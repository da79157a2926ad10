#pragma once
// Mouse cursors: the standard shapes (IDC_*), cursors of our own drawn as pictures with a
// hot spot and registered by name ("MoveField_Cur", "SingleSurface_Cur" and
// "ZoomSelect_Cur" come with the layer), and the cursor of each window.
//
// A window shows its own cursor (SetWindowCursor) over its client area and the arrow
// elsewhere, when its WM_SETCURSOR is left to the default; a handler of WM_SETCURSOR may
// instead call SetCursor and answer 1, which shows that cursor until the next mouse move.

#include <QImage>

#include "platform/core/types.h"
#include "platform/gui/bars/resources.h"

struct HCURSOR__ {
  int Shape = 0;        // a Qt::CursorShape for the standard cursors
  QImage Picture;       // ARGB32, for cursors of our own (null for standard ones)
  POINT HotSpot{};
};
using HCURSOR = HCURSOR__ *;

inline const char *const IDC_ARROW = MAKEINTRESOURCE(32512);
inline const char *const IDC_IBEAM = MAKEINTRESOURCE(32513);
inline const char *const IDC_WAIT = MAKEINTRESOURCE(32514);
inline const char *const IDC_CROSS = MAKEINTRESOURCE(32515);
inline const char *const IDC_UPARROW = MAKEINTRESOURCE(32516);
inline const char *const IDC_SIZENWSE = MAKEINTRESOURCE(32642);
inline const char *const IDC_SIZENESW = MAKEINTRESOURCE(32643);
inline const char *const IDC_SIZEWE = MAKEINTRESOURCE(32644);
inline const char *const IDC_SIZENS = MAKEINTRESOURCE(32645);
inline const char *const IDC_SIZEALL = MAKEINTRESOURCE(32646);
inline const char *const IDC_NO = MAKEINTRESOURCE(32648);
inline const char *const IDC_HAND = MAKEINTRESOURCE(32649);
inline const char *const IDC_APPSTARTING = MAKEINTRESOURCE(32650);

// Registers a cursor picture (ARGB; transparent where the screen shows through).
void RegisterCursorResource(TResId name, const QImage &picture, POINT hotSpot);
// A standard cursor (null module and an IDC_* id) or a registered one; null when there is
// none of that name. Cursors are shared and never destroyed.
HCURSOR LoadCursor(const void *module, TResId name);

// Shows the cursor over the window the mouse is on (null hides it); the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// The window's own cursor over its client area (null: the arrow); it shows at once when
// the mouse is there.
void SetWindowCursor(HWND window, HCURSOR cursor);
HCURSOR GetWindowCursor(HWND window);

// Installs the default WM_SETCURSOR handling and the bookkeeping of which window the
// mouse is on (the application and the test kit call it).
void InstallCursorHooks();
