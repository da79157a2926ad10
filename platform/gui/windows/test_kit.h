#pragma once
// Tools for window tests under QT_QPA_PLATFORM=offscreen: the Qt application, synthetic
// mouse and key input delivered through Qt's queue, running the loop until a condition
// holds, and reading a window's pixels. Also a scripted screen provider.

#include <QImage>
#include <functional>
#include <vector>

#include "platform/core/types.h"
#include "platform/gui/windows/screen.h"

class QApplication;
class TWindow;

namespace test_kit {

// The one Qt application of the test program (made on first use).
QApplication &EnsureApplication();

// How long a test waits on the program before it gives up: generous, since a loaded machine
// running sanitized programs side by side can be a hundred times slower than a quiet one.
constexpr int kPatienceMs = 30000;

// Runs the loop until the condition holds or timeoutMs passes; the condition's last value.
bool RunUntil(const std::function<bool()> &condition, int timeoutMs = kPatienceMs);
// Runs the loop until every message, input and queued call queued so far has been handled,
// and every one their handling queued in turn, or timeoutMs passes; whether it was.
bool RunUntilHandled(int timeoutMs = kPatienceMs);
// Runs the loop for the given time, then on until everything queued has been handled.
void RunFor(int milliseconds);

// Sends the window a close from outside: to a window on its own on the screen as the window
// manager does (its close button, Alt+F4), a QCloseEvent to its host through the layer's own
// handling; to a child window as the close box of its drawn caption does (SC_CLOSE).
void CloseFromOutside(TWindow &window);
// The program's windows a user can close: those on their own on the screen and the child
// windows with a caption or a system menu, shown or not.
std::vector<HWND> ClosableWindows();
// Fires every timer every window holds now, once, as its ticks would (a window the ticks
// take away is passed over); then runs the loop until what they queued has been handled.
void FireEveryTimer();

// Queues a mouse message as Qt input to the window: WM_LBUTTONDOWN ... WM_MBUTTONUP,
// WM_LBUTTONDBLCLK or WM_MOUSEMOVE at a client point; keys are MK_* bits (shift, control,
// and for moves the buttons held).
void PostMouse(TWindow &window, UINT msg, POINT clientPoint, UINT keys = 0);
// Queues a key press and release by virtual-key code, with Alt held when asked, to the
// window's host (or its native control's widget).
void PostKey(TWindow &window, UINT virtualKey, bool alt = false);
// The same with Shift and Control as MK_SHIFT / MK_CONTROL bits (Shift+Tab is Qt's Backtab).
void PostKeyWith(TWindow &window, UINT virtualKey, UINT keys);
// Queues the typing of a text, one key press and release per character.
void PostText(TWindow &window, const char *text);

// The colour of a client pixel as COLORREF (0x00BBGGRR); 0xFFFFFFFF outside the image.
COLORREF ClientPixel(TWindow &window, int x, int y);
// A copy of the window's whole image.
QImage WindowPixels(TWindow &window);

// Qt's grab of a shown window set against the pictures of the window and of its shown
// child windows, each where it lies and outside the widgets that may lie over it (its own
// children and its siblings): how many pixels
// were compared and how many differ.
struct TGrabComparison {
  int compared = 0;
  int differing = 0;
};
TGrabComparison CompareGrab(TWindow &window, const QImage &grabbed);

}  // namespace test_kit

// A screen with set metrics, depth, cursor and grab picture, recording every grab.
class TScriptedScreenProvider final : public TScreenProvider {
 public:
  TScriptedScreenProvider();
  ~TScriptedScreenProvider() override;
  TScriptedScreenProvider(const TScriptedScreenProvider &) = delete;
  TScriptedScreenProvider &operator=(const TScriptedScreenProvider &) = delete;

  int SystemMetric(int index) override;
  int BitsPerPixel() override { return bitsPerPixel; }
  POINT CursorPos() override { return cursor; }
  QImage Grab(const RECT &screenRect) override;

  void SetMetric(int index, int value);
  int bitsPerPixel = 24;
  POINT cursor{};
  QImage picture;  // what a grab returns (cut to the asked size; grey when null)
  std::vector<RECT> grabs;

 private:
  std::vector<int> metrics;
  TScreenProvider *previous;
};
