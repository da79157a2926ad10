// TWindow's image: invalidation, WM_ERASEBKGND / WM_PAINT, the drawn frame and scrolling.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "platform/core/message_box.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"
#include "platform/gui/windows/window_hooks.h"

namespace {

TPaintDispatcher paintDispatcher = nullptr;

QRgb ToRgb(COLORREF color) { return qRgb(GetRValue(color), GetGValue(color), GetBValue(color)); }

RECT Intersect(const RECT &a, const RECT &b) {
  RECT result{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
  if (result.right <= result.left || result.bottom <= result.top) return {};
  return result;
}

bool IsEmpty(const RECT &rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

RECT Union(const RECT &a, const RECT &b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

constexpr COLORREF kFaceColor = 0xC0C0C0;      // 3-D face: frames, scroll-bar corner
constexpr COLORREF kShadowColor = 0x808080;
constexpr COLORREF kCaptionColor = 0x800000;   // dark blue caption band
constexpr COLORREF kCaptionTextColor = 0xFFFFFF;

}  // namespace

TPaintDispatcher SetPaintDispatcher(TPaintDispatcher dispatcher) {
  TPaintDispatcher previous = paintDispatcher;
  paintDispatcher = dispatcher;
  return previous;
}

QImage &TWindow::WindowImage() {
  if (image == nullptr) image = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
  return *image;
}

void TWindow::ResizeImage() {
  if (host == nullptr) return;
  const int newWidth = std::max(1, host->width());
  const int newHeight = std::max(1, host->height());
  if (image != nullptr && image->width() == newWidth && image->height() == newHeight) return;
  const TFrameInsets insets = ClientInsets();
  const RECT oldClient =
      image != nullptr ? RECT{0, 0, image->width() - insets.Left - insets.Right,
                              image->height() - insets.Top - insets.Bottom}
                       : RECT{};
  auto resized = std::make_unique<QImage>(newWidth, newHeight, QImage::Format_RGB32);
  if (resized->isNull()) {
    // Out of memory: the old picture stays (drawing clips to the image it has).
    ShowNotEnoughMemory();
    if (image == nullptr) image = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
    return;
  }
  resized->fill(ToRgb(background));
  if (image != nullptr) {
    // Keep the old picture at the top-left: a window that grows repaints only what is new.
    QPainter painter(resized.get());
    painter.drawImage(0, 0, *image);
  }
  image = std::move(resized);
  const RECT newClient = GetClientRect();
  if (windowClass.Style & (CS_HREDRAW | CS_VREDRAW)) {
    Invalidate(true);
  } else {
    if (newClient.right > oldClient.right) {
      InvalidateRect({oldClient.right, 0, newClient.right, newClient.bottom}, true);
    }
    if (newClient.bottom > oldClient.bottom) {
      InvalidateRect({0, oldClient.bottom, newClient.right, newClient.bottom}, true);
    }
  }
}

void TWindow::ImageUpdated(const RECT &windowRect) {
  if (host == nullptr || IsEmpty(windowRect)) return;
  host->update(QRect(windowRect.left, windowRect.top, windowRect.Width(), windowRect.Height()));
}

void TWindow::Invalidate(bool erase) { InvalidateRect(GetClientRect(), erase); }

void TWindow::InvalidateRect(const RECT &rect, bool erase) {
  if (handle == nullptr) return;
  const RECT clipped = Intersect(rect, GetClientRect());
  if (IsEmpty(clipped)) return;
  // A native control's widget paints itself (asking its colours again).
  if (QWidget *widget = NativeWidget()) widget->update(clipped.left, clipped.top, clipped.Width(), clipped.Height());
  updateRect = updatePending ? Union(updateRect, clipped) : clipped;
  updatePending = true;
  eraseNeeded = eraseNeeded || erase;
  const POINT origin = ClientOrigin();
  ImageUpdated({clipped.left + origin.x, clipped.top + origin.y, clipped.right + origin.x,
                clipped.bottom + origin.y});
}

void TWindow::Validate() {
  updatePending = false;
  eraseNeeded = false;
  updateRect = {};
}

void TWindow::ValidateRect(const RECT &rect) {
  if (!updatePending) return;
  // The update region is kept as one rectangle: it shrinks only when a side is covered whole.
  if (rect.left <= updateRect.left && rect.right >= updateRect.right) {
    if (rect.top <= updateRect.top) updateRect.top = std::max(updateRect.top, rect.bottom);
    if (rect.bottom >= updateRect.bottom) updateRect.bottom = std::min(updateRect.bottom, rect.top);
  }
  if (rect.top <= updateRect.top && rect.bottom >= updateRect.bottom) {
    if (rect.left <= updateRect.left) updateRect.left = std::max(updateRect.left, rect.right);
    if (rect.right >= updateRect.right) updateRect.right = std::min(updateRect.right, rect.left);
  }
  if (IsEmpty(updateRect)) Validate();
}

bool TWindow::GetUpdateRect(RECT &rect, bool erase) {
  if (inPaint && paintNotBegun && current.Msg == WM_PAINT) {
    rect = updatePending ? Union(paintRect, updateRect) : paintRect;
    return !IsEmpty(rect);
  }
  rect = updatePending ? updateRect : RECT{};
  if (erase && updatePending && eraseNeeded) {
    eraseNeeded = false;
    const RECT saved = paintRect;
    const bool savedInPaint = inPaint;
    paintRect = updateRect;
    inPaint = true;
    SendMessage(WM_ERASEBKGND, 0, 0);
    paintRect = saved;
    inPaint = savedInPaint;
  }
  return updatePending;
}

void TWindow::UpdateWindow() {
  PaintPending();
  if (QWidget *widget = NativeWidget(); widget != nullptr && widget->isVisible()) widget->repaint();
}

void TWindow::PaintPending() {
  if (!updatePending || handle == nullptr) return;
  std::shared_ptr<bool> token = alive;
  // Validate first, as painting does: whatever the handlers invalidate paints next time.
  const RECT rect = updateRect;
  const bool erase = eraseNeeded;
  Validate();
  const RECT savedRect = paintRect;
  const bool savedInPaint = inPaint;
  paintRect = rect;
  inPaint = true;
  paintErase = false;
  if (erase && SendMessage(WM_ERASEBKGND, 0, 0) == 0) paintErase = true;
  if (!*token || handle == nullptr) return;
  paintRect = rect;
  paintNotBegun = true;
  SendMessage(WM_PAINT, 0, 0);
  if (!*token || handle == nullptr) return;
  paintNotBegun = false;
  paintRect = savedRect;
  inPaint = savedInPaint;
  const POINT origin = ClientOrigin();
  ImageUpdated({rect.left + origin.x, rect.top + origin.y, rect.right + origin.x,
                rect.bottom + origin.y});
}

LRESULT TWindow::DefaultPaint() {
  paintNotBegun = false;
  if (paintDispatcher != nullptr && inPaint) paintDispatcher(*this, paintRect, paintErase);
  return 0;
}

LRESULT TWindow::DefaultErase() {
  if (image == nullptr) return 0;
  const RECT area = inPaint ? paintRect : GetClientRect();
  const POINT origin = ClientOrigin();
  QPainter painter(image.get());
  painter.fillRect(QRect(area.left + origin.x, area.top + origin.y, area.Width(), area.Height()),
                   QColor(ToRgb(background)));
  return 1;
}

void TWindow::SetBkgndColor(COLORREF color) { background = color & 0xFFFFFF; }

void TWindow::SendNcPaint() {
  if (handle != nullptr) SendMessage(WM_NCPAINT, 1, 0);
}

void TWindow::PaintNonClient() {
  if (image == nullptr || host == nullptr) return;
  const TFrameInsets frame = DrawnFrameInsets();
  const int w = image->width();
  const int h = image->height();
  QPainter painter(image.get());
  const int border = frame.Left;
  if (border > 0) {
    const QColor face(ToRgb(kFaceColor));
    painter.fillRect(0, 0, w, border, face);
    painter.fillRect(0, h - border, w, border, face);
    painter.fillRect(0, 0, border, h, face);
    painter.fillRect(w - border, 0, border, h, face);
    painter.setPen(QColor(ToRgb(border == 1 ? 0 : kShadowColor)));
    painter.drawRect(0, 0, w - 1, h - 1);
  }
  const int caption = frame.Top - border;
  if (caption > 0) {
    const QRect band(border, border, w - 2 * border, caption - 1);
    painter.fillRect(band, QColor(ToRgb(kCaptionColor)));
    painter.fillRect(border, border + caption - 1, w - 2 * border, 1, QColor(ToRgb(kFaceColor)));
    QFont font("Liberation Sans");
    font.setPixelSize(std::max(6, caption - 7));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(ToRgb(kCaptionTextColor)));
    painter.drawText(band.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromStdString(title));
  }
  painter.end();
  DrawScrollCorner();
  if (menuBarHeight > 0 && CurrentWindowHooks().PaintMenuBar != nullptr) {
    CurrentWindowHooks().PaintMenuBar(*this);
  }
  ImageUpdated({0, 0, w, h});
}

void TWindow::DrawScrollCorner() {
  if (image == nullptr || (Attr.Style & (WS_HSCROLL | WS_VSCROLL)) != (WS_HSCROLL | WS_VSCROLL)) {
    return;
  }
  const RECT client = ClientRectInImage();
  QPainter painter(image.get());
  painter.fillRect(client.right, client.bottom, GetSystemMetrics(SM_CXVSCROLL),
                   GetSystemMetrics(SM_CYHSCROLL), QColor(ToRgb(kFaceColor)));
}

void TWindow::ScrollWindow(int dx, int dy) {
  if (image == nullptr || (dx == 0 && dy == 0)) return;
  const RECT client = GetClientRect();
  const POINT origin = ClientOrigin();
  const QRect area(origin.x, origin.y, client.right, client.bottom);
  const QImage copy = image->copy(area);
  {
    QPainter painter(image.get());
    painter.setClipRect(area);
    painter.drawImage(origin.x + dx, origin.y + dy, copy);
  }
  // Move a pending update with the picture, then add the uncovered strips.
  if (updatePending) {
    updateRect = {updateRect.left + dx, updateRect.top + dy, updateRect.right + dx,
                  updateRect.bottom + dy};
    updateRect = Intersect(updateRect, client);
    if (IsEmpty(updateRect)) Validate();
  }
  if (dx > 0) InvalidateRect({0, 0, dx, client.bottom}, true);
  if (dx < 0) InvalidateRect({client.right + dx, 0, client.right, client.bottom}, true);
  if (dy > 0) InvalidateRect({0, 0, client.right, dy}, true);
  if (dy < 0) InvalidateRect({0, client.bottom + dy, client.right, client.bottom}, true);
  ImageUpdated(ClientRectInImage());
}
