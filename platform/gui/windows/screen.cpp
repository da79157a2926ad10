#include "platform/gui/windows/screen.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

namespace {

class TQtScreenProvider final : public TScreenProvider {
 public:
  int SystemMetric(int index) override {
    QScreen *screen = QGuiApplication::primaryScreen();
    switch (index) {
      case SM_CXSCREEN:
        return screen != nullptr ? screen->geometry().width() : 1024;
      case SM_CYSCREEN:
        return screen != nullptr ? screen->geometry().height() : 768;
      case SM_CXFULLSCREEN:
        return screen != nullptr ? screen->availableGeometry().width() : 1024;
      case SM_CYFULLSCREEN:
        return screen != nullptr ? screen->availableGeometry().height() - StandardFrameMetric(SM_CYCAPTION)
                                 : 768;
      default:
        return StandardFrameMetric(index);
    }
  }
  int BitsPerPixel() override {
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->depth() : 24;
  }
  POINT CursorPos() override {
    const QPoint pos = QCursor::pos();
    return {pos.x(), pos.y()};
  }
  QImage Grab(const RECT &screenRect) override {
    QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || screenRect.Width() <= 0 || screenRect.Height() <= 0) return {};
    const QPixmap shot = screen->grabWindow(0, screenRect.left, screenRect.top,
                                            screenRect.Width(), screenRect.Height());
    if (!shot.isNull()) return shot.toImage().convertToFormat(QImage::Format_RGB32);
    return ComposeOwnWindows(screenRect);
  }
};

TQtScreenProvider qtProvider;
TScreenProvider *currentProvider = nullptr;

}  // namespace

int StandardFrameMetric(int index) {
  switch (index) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return 16;
    case SM_CYCAPTION:
      return 19;
    case SM_CYSMCAPTION:
      return 15;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    case SM_CYMENU:
      return 19;
    default:
      return 0;
  }
}

TScreenProvider *SetScreenProvider(TScreenProvider *provider) {
  TScreenProvider *previous = currentProvider;
  currentProvider = provider;
  return previous;
}

TScreenProvider &CurrentScreenProvider() {
  return currentProvider != nullptr ? *currentProvider : qtProvider;
}

int GetSystemMetrics(int index) { return CurrentScreenProvider().SystemMetric(index); }

POINT PlaceOnScreen(const RECT &window, int highestTop) {
  const int width = static_cast<int>(window.right - window.left), height = static_cast<int>(window.bottom - window.top);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int left = std::max(0, std::min(static_cast<int>(window.left), screenWidth - width));
  // Wholly on the screen comes first: a window too tall to stand below the row rises.
  const int top = std::max(0, std::min(std::max(static_cast<int>(window.top), highestTop), screenHeight - height));
  return POINT{left, top};
}

namespace {

// The main window a window belongs to: the last of its owners, or itself.
const TWindow *MainWindowOf(const TWindow *window) {
  while (window != nullptr && window->GetParentO() != nullptr) window = window->GetParentO();
  return window;
}

}  // namespace

void KeepOnScreen(TWindow &window) {
  const RECT frame = window.GetWindowRect();
  const POINT at = PlaceOnScreen(frame);
  if (at.x != frame.left || at.y != frame.top)
    window.SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

int BelowMainMenuBar(const TWindow *owner) {
  const TWindow *main = MainWindowOf(owner);
  if (main == nullptr || !main->IsWindow() || main->MenuBarHeight() <= 0) return 0;
  // The client begins right under the bar.
  return std::max(0, static_cast<int>(main->ClientToScreen(POINT{0, 0}).y));
}

RECT PlaceReadable(const TWindow *owner, const RECT &window, SIZE minimum) {
  const int highestTop = BelowMainMenuBar(owner);
  // Grown to the minimum as far as the room allows; a window larger already keeps its size.
  auto grown = [](int have, int least, int room) { return have >= room ? have : std::min(std::max(have, least), room); };
  const int width = grown(static_cast<int>(window.right - window.left), static_cast<int>(minimum.cx),
                          GetSystemMetrics(SM_CXSCREEN));
  const int height = grown(static_cast<int>(window.bottom - window.top), static_cast<int>(minimum.cy),
                           GetSystemMetrics(SM_CYSCREEN) - highestTop);
  const POINT at = PlaceOnScreen(RECT{window.left, window.top, window.left + width, window.top + height}, highestTop);
  return RECT{at.x, at.y, at.x + width, at.y + height};
}

RECT PlaceCascaded(const TWindow &window, const RECT &wanted, SIZE minimum) {
  const TWindow *owner = window.GetParentO();
  RECT placed = PlaceReadable(owner, wanted, minimum);
  const TWindow *main = MainWindowOf(owner);
  if (main == nullptr) return placed;
  // The corners of the other top-level windows open over the main window.
  std::vector<POINT> corners;
  for (const TWindow *other : main->GetChildren()) {
    if (other == &window || other->IsChild() || !other->IsWindow() || !other->IsWindowVisible()) continue;
    const RECT frame = other->GetWindowRect();
    corners.push_back(POINT{frame.left, frame.top});
  }
  const int step = std::max(GetSystemMetrics(SM_CYCAPTION), 1);
  const auto covered = [&](const RECT &at) {
    return std::any_of(corners.begin(), corners.end(), [&](const POINT &corner) {
      return std::abs(static_cast<int>(corner.x - at.left)) < step && std::abs(static_cast<int>(corner.y - at.top)) < step;
    });
  };
  // Each step clears at most one corner: no more steps than there are windows.
  for (std::size_t tries = 0; tries < corners.size() && covered(placed); ++tries) {
    const RECT next = PlaceReadable(owner, RECT{placed.left + step, placed.top + step, placed.right + step, placed.bottom + step}, minimum);
    // Against the screen's bottom right corner there is no further room to step into.
    if (next.left == placed.left && next.top == placed.top) break;
    placed = next;
  }
  return placed;
}

int ScreenBitsPerPixel() { return CurrentScreenProvider().BitsPerPixel(); }

BOOL GetCursorPos(POINT *point) {
  if (point == nullptr) return 0;
  *point = CurrentScreenProvider().CursorPos();
  return 1;
}

QImage GrabScreen(const RECT &screenRect) { return CurrentScreenProvider().Grab(screenRect); }

QImage ComposeOwnWindows(const RECT &screenRect) {
  if (screenRect.Width() <= 0 || screenRect.Height() <= 0) return {};
  QImage result(screenRect.Width(), screenRect.Height(), QImage::Format_RGB32);
  result.fill(qRgb(0, 128, 128));
  QPainter painter(&result);
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    if (!widget->isVisible()) continue;
    const QPoint topLeft = widget->mapToGlobal(QPoint(0, 0));
    painter.drawPixmap(topLeft.x() - screenRect.left, topLeft.y() - screenRect.top, widget->grab());
  }
  return result;
}

namespace {

// A top-level window's place in the stack: the latest stamp along it and its owners, then
// how deep it stands under them, so an owned window comes just over its owner.
std::pair<std::uint64_t, int> StackKey(const TWindowHost &host) {
  std::uint64_t stamp = host.StackStamp();
  int depth = 0;
  for (const QWidget *owner = host.parentWidget(); owner != nullptr; owner = owner->parentWidget()) {
    owner = owner->window();
    if (const auto *ownerHost = dynamic_cast<const TWindowHost *>(owner)) stamp = std::max(stamp, ownerHost->StackStamp());
    ++depth;
  }
  return {stamp, depth};
}

}  // namespace

std::vector<TWindow *> StackedTopLevelWindows() {
  std::vector<std::pair<std::pair<std::uint64_t, int>, TWindow *>> keyed;
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    const auto *host = dynamic_cast<const TWindowHost *>(widget);
    if (host == nullptr || host->Owner() == nullptr || !widget->isVisible()) continue;
    keyed.emplace_back(StackKey(*host), host->Owner());
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
  std::vector<TWindow *> stacked;
  for (const auto &one : keyed) stacked.push_back(one.second);
  return stacked;
}

BOOL DrawWindowAsShown(TWindow &window, TDC &target, int x, int y) {
  QWidget *host = window.HostWidget();
  if (host == nullptr) return 0;
  // Parts waiting for their paint are painted first, as the screen is about to show them.
  window.UpdateWindow();
  QImage shown = host->grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (shown.isNull()) return 0;
  TImageDC source(&shown);
  return target.BitBlt(x, y, shown.width(), shown.height(), source, 0, 0, SRCCOPY);
}

BOOL CopyScreenTo(TDC &target, int x, int y, const RECT &screenRect) {
  QImage picture = GrabScreen(screenRect);
  if (picture.isNull()) return 0;
  picture = picture.convertToFormat(QImage::Format_RGB32);
  TImageDC source(&picture);
  return target.BitBlt(x, y, screenRect.right - screenRect.left, screenRect.bottom - screenRect.top,
                       source, 0, 0, SRCCOPY);
}
