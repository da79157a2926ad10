#include "platform/gui/windows/screen.h"

#include <algorithm>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/windows/messages.h"

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

 private:
  // Desktops that refuse screen grabs still let us see our own windows: they are drawn
  // over the desktop colour where they lie.
  static QImage ComposeOwnWindows(const RECT &screenRect) {
    QImage result(screenRect.Width(), screenRect.Height(), QImage::Format_RGB32);
    result.fill(qRgb(0, 128, 128));
    QPainter painter(&result);
    for (QWidget *widget : QApplication::topLevelWidgets()) {
      if (!widget->isVisible()) continue;
      const QPoint topLeft = widget->mapToGlobal(QPoint(0, 0));
      painter.drawPixmap(topLeft.x() - screenRect.left, topLeft.y() - screenRect.top,
                         widget->grab());
    }
    return result;
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

POINT PlaceOnScreen(const RECT &window) {
  const int width = static_cast<int>(window.right - window.left), height = static_cast<int>(window.bottom - window.top);
  const int left = std::max(0, std::min(static_cast<int>(window.left), GetSystemMetrics(SM_CXSCREEN) - width));
  const int top = std::max(0, std::min(static_cast<int>(window.top), GetSystemMetrics(SM_CYSCREEN) - height));
  return POINT{left, top};
}

int ScreenBitsPerPixel() { return CurrentScreenProvider().BitsPerPixel(); }

BOOL GetCursorPos(POINT *point) {
  if (point == nullptr) return 0;
  *point = CurrentScreenProvider().CursorPos();
  return 1;
}

QImage GrabScreen(const RECT &screenRect) { return CurrentScreenProvider().Grab(screenRect); }

BOOL CopyScreenTo(TDC &target, int x, int y, const RECT &screenRect) {
  QImage picture = GrabScreen(screenRect);
  if (picture.isNull()) return 0;
  picture = picture.convertToFormat(QImage::Format_RGB32);
  TImageDC source(&picture);
  return target.BitBlt(x, y, screenRect.right - screenRect.left, screenRect.bottom - screenRect.top,
                       source, 0, 0, SRCCOPY);
}
