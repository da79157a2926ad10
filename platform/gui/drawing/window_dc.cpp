#include "platform/gui/drawing/window_dc.h"

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/windows/window.h"

#include <QCoreApplication>
#include <QImage>
#include <QTimer>

#include <algorithm>
#include <map>

namespace {

RECT Clipped(const RECT &a, const RECT &b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right <= r.left || r.bottom <= r.top) return RECT{};
  return r;
}

void PaintWithContext(TWindow &window, const RECT &paintRect, bool erase) {
  TPaintDC dc(window, paintRect);
  RECT rect = paintRect;
  window.Paint(dc, erase, rect);
}

}  // namespace

void InstallPaintDispatcher() { SetPaintDispatcher(&PaintWithContext); }

TWindowDC::TWindowDC(TWindow *window, Area area, const RECT &paintRect)
    : TDC(nullptr, POINT{}, RECT{}),
      window_(window),
      handle_(window ? window->GetHandle() : nullptr),
      area_(area),
      paintRect_(paintRect) {
  SyncTarget();
}

TWindowDC::TWindowDC(TWindow &window) : TWindowDC(&window, Area::Window, RECT{}) {}

TWindowDC::TWindowDC(HWND handle) : TWindowDC(WindowFromHandle(handle), Area::Window, RECT{}) {}

TWindowDC::~TWindowDC() { TWindowDC::Flush(); }

TWindow *TWindowDC::CurrentWindow() const {
  // A created window is looked up by handle each time, so a destroyed one is never touched.
  if (handle_) return WindowFromHandle(handle_);
  return window_;
}

void TWindowDC::ScheduleFlush() {
  if (flushScheduled_ || !QCoreApplication::instance()) return;
  flushScheduled_ = true;
  const std::weak_ptr<bool> token = alive_;
  QTimer::singleShot(0, [token, this] {
    if (!token.lock()) return;
    flushScheduled_ = false;
    Flush();
  });
}

void TWindowDC::SyncTarget() {
  TWindow *window = CurrentWindow();
  if (window) ScheduleFlush();
  if (!window) {
    Retarget(nullptr, POINT{}, RECT{});
    return;
  }
  QImage &image = window->WindowImage();
  const RECT whole{0, 0, image.width(), image.height()};
  switch (area_) {
    case Area::Window:
      Retarget(&image, POINT{}, whole);
      break;
    case Area::Client:
      Retarget(&image, window->ClientOrigin(), Clipped(window->ClientRectInImage(), whole));
      break;
    case Area::Paint: {
      const POINT origin = window->ClientOrigin();
      const RECT inImage{paintRect_.left + origin.x, paintRect_.top + origin.y,
                         paintRect_.right + origin.x, paintRect_.bottom + origin.y};
      Retarget(&image, origin, Clipped(Clipped(inImage, window->ClientRectInImage()), whole));
      break;
    }
  }
}

SIZE TWindowDC::DeviceSize() const {
  TWindow *window = CurrentWindow();
  if (!window) return SIZE{};
  if (area_ == Area::Window) {
    const QImage &image = window->WindowImage();
    return SIZE{image.width(), image.height()};
  }
  const RECT client = window->ClientRectInImage();
  return SIZE{client.right - client.left, client.bottom - client.top};
}

void TWindowDC::Flush() {
  const QRect dirty = DirtyRect();
  TWindow *window = CurrentWindow();
  if (window && !dirty.isEmpty()) {
    window->ImageUpdated(RECT{dirty.left(), dirty.top(), dirty.right() + 1, dirty.bottom() + 1});
  }
  ClearDirty();
}

TClientDC::TClientDC(TWindow &window) : TWindowDC(&window, Area::Client, RECT{}) {}

TClientDC::TClientDC(HWND handle) : TWindowDC(WindowFromHandle(handle), Area::Client, RECT{}) {}

TPaintDC::TPaintDC(TWindow &window, const RECT &paintRect)
    : TWindowDC(&window, Area::Paint, paintRect) {}

TPaintDC::TPaintDC(TWindow &window) : TPaintDC(window, window.PaintRect()) {}

namespace {

// Contexts of windows whose class asks for a DC of their own (CS_OWNDC): GetDC gives the
// same context every time, so pens, fonts and modes selected into it persist.
// Kept for the life of the process (never destroyed at exit, when the windows they would
// consult are already gone); contexts of destroyed windows are dropped on the next call.
std::map<HWND, TClientDC *> &OwnContexts() {
  static auto *contexts = new std::map<HWND, TClientDC *>;
  return *contexts;
}

// Drops the contexts of windows that no longer exist.
void ForgetDeadContexts() {
  auto &contexts = OwnContexts();
  for (auto it = contexts.begin(); it != contexts.end();) {
    if (!WindowFromHandle(it->first)) {
      delete it->second;
      it = contexts.erase(it);
    } else {
      ++it;
    }
  }
}

bool HasOwnContext(TWindow &window) {
  TWindowClass windowClass;
  window.GetWindowClass(windowClass);
  return (windowClass.Style & CS_OWNDC) != 0;
}

// Whether dc is some window's own context (whatever window the caller names).
bool IsOwnContext(HDC dc) {
  for (const auto &entry : OwnContexts()) {
    if (entry.second->GetHDC() == dc) return true;
  }
  return false;
}

}  // namespace

HDC GetDC(HWND window) {
  if (!window) return (new TScreenDC)->GetHDC();
  TWindow *target = WindowFromHandle(window);
  if (!target) return nullptr;
  ForgetDeadContexts();
  if (HasOwnContext(*target)) {
    TClientDC *&own = OwnContexts()[window];
    if (!own) own = new TClientDC(*target);
    return own->GetHDC();
  }
  return (new TClientDC(window))->GetHDC();
}

HDC GetWindowDC(HWND window) {
  if (!window) return (new TScreenDC)->GetHDC();
  if (!WindowFromHandle(window)) return nullptr;
  return (new TWindowDC(window))->GetHDC();
}

int ReleaseDC(HWND, HDC dc) {
  if (!dc) return 0;
  if (IsOwnContext(dc)) {
    // An own context stays with its window; releasing it shows what it drew.
    TDC::FromHandle(dc)->Flush();
    ForgetDeadContexts();
    return 1;
  }
  delete TDC::FromHandle(dc);
  return 1;
}
