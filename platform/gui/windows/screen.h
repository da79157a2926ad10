#pragma once
// The screen through a replaceable provider: metrics (caption height, scroll bar sizes,
// screen size), colour depth, the cursor position and grabs of what the screen shows.
// The Qt provider is the default; tests install a scripted one.

#include <QImage>
#include <vector>

#include "platform/core/types.h"

class TDC;
class TWindow;

class TScreenProvider {
 public:
  virtual ~TScreenProvider() = default;
  // One SM_* value; 0 for an index the provider does not know.
  virtual int SystemMetric(int index) = 0;
  virtual int BitsPerPixel() = 0;
  virtual POINT CursorPos() = 0;
  // What the screen shows in the rectangle (screen coordinates); a null image on failure.
  virtual QImage Grab(const RECT &screenRect) = 0;
};

// Installs a provider (not owned; null restores the Qt one) and returns the previous one.
TScreenProvider *SetScreenProvider(TScreenProvider *provider);
TScreenProvider &CurrentScreenProvider();

int GetSystemMetrics(int index);
// Where a window of this rectangle (screen coordinates) stands wholly on the screen: its
// top-left corner moved as little as it takes (to (0, 0) at most when it is larger), and
// its top not above `highestTop` where the screen leaves room for it there.
POINT PlaceOnScreen(const RECT &window, int highestTop = 0);
// Moves a top-level window as little as it takes to stand wholly on the screen.
void KeepOnScreen(TWindow &window);
// The screen row just below the menu bar of the main window `owner` belongs to (the last of
// its owners, or itself); 0 when that window has no menu bar.
int BelowMainMenuBar(const TWindow *owner);
// The rectangle an analysis window opened for `owner` takes: at least `minimum` in size as
// far as the screen holds it, wholly on the screen and clear of the main window's menu bar.
RECT PlaceReadable(const TWindow *owner, const RECT &window, SIZE minimum);
// PlaceReadable for `window` opening at `wanted`, stepped down and right by the caption
// height while its corner falls on the corner of another window open over the same main
// window, so that a window opened at a default place never hides one opened there before.
RECT PlaceCascaded(const TWindow &window, const RECT &wanted, SIZE minimum);
int ScreenBitsPerPixel();
BOOL GetCursorPos(POINT *point);
QImage GrabScreen(const RECT &screenRect);
// The grab of a desktop that refuses screen grabs: the program's own visible top-level
// windows drawn where they lie over the desktop colour.
QImage ComposeOwnWindows(const RECT &screenRect);
// The program's shown top-level windows as they stack on the screen, bottom first: a window
// stands over those that came to the top before it, a window made for an owner (a palette,
// a viewer) over its owner, with or without a parent.
std::vector<TWindow *> StackedTopLevelWindows();
// Draws the window as the screen shows it (its picture, its child windows and the controls
// standing on it) with its top-left corner at (x, y) of the context; 0 when it shows nothing.
BOOL DrawWindowAsShown(TWindow &window, TDC &target, int x, int y);
// Copies what the screen shows in the rectangle to (x, y) of the context; 0, drawing
// nothing, when the screen could not be grabbed.
BOOL CopyScreenTo(TDC &target, int x, int y, const RECT &screenRect);

// The fixed frame metrics of our drawn window frames, the same on every desktop.
int StandardFrameMetric(int index);
