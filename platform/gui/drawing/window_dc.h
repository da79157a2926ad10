#pragma once
// Device contexts of windows. They draw into the window's persistent image, so drawing
// outside a paint message works and stays; what they drew is shown on screen when they
// are flushed or destroyed (TWindow::ImageUpdated).

#include "platform/gui/drawing/dc.h"

#include <memory>

class TWindow;

// The whole window rectangle, the drawn non-client band included. A context may live
// longer than one message (graph windows keep theirs): it follows the window's image
// through resizes, draws nothing once the window is gone, and shows what it drew when the
// event loop next runs, even if nobody flushes or releases it.
class TWindowDC : public TDC {
 public:
  explicit TWindowDC(TWindow &window);
  explicit TWindowDC(HWND handle);
  ~TWindowDC() override;
  void Flush() override;
  // The whole window for a window context, the client area for client and paint contexts.
  SIZE DeviceSize() const override;

 protected:
  enum class Area { Window, Client, Paint };
  TWindowDC(TWindow *window, Area area, const RECT &paintRect);
  void SyncTarget() override;
  TWindow *CurrentWindow() const;

 private:
  void ScheduleFlush();

  TWindow *window_;
  HWND handle_;
  Area area_;
  RECT paintRect_;
  bool flushScheduled_ = false;
  // Expires with the context, so a deferred flush never reaches a deleted one.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The client area: device (0, 0) is the client's top-left corner.
class TClientDC : public TWindowDC {
 public:
  explicit TClientDC(TWindow &window);
  explicit TClientDC(HWND handle);
};

// The context of a paint: the client area clipped to the rectangle being painted.
class TPaintDC : public TWindowDC {
 public:
  // paintRect in client coordinates (the window's PaintRect while WM_PAINT is dispatched).
  TPaintDC(TWindow &window, const RECT &paintRect);
  explicit TPaintDC(TWindow &window);
};

// Handle functions for code that works with HDCs: GetDC and GetWindowDC make a context
// that ReleaseDC deletes (null for an unknown window). A null window gives the screen. A
// window whose class has CS_OWNDC gets the same client context from every GetDC, keeping
// what was selected into it; ReleaseDC leaves that one alive.
HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

// Makes WM_PAINT reach TWindow::Paint with a paint context; the application calls it once
// at start (it is also installed when this file is linked in).
void InstallPaintDispatcher();
