// TWindow's host, position, size, visibility and the client area inside the window.

#include <QGuiApplication>
#include <QImage>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>

#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

bool TWindow::UsesDesktopFrame() const {
  if (IsChild()) return false;
  return (Attr.Style & WS_CAPTION) == WS_CAPTION || (Attr.Style & WS_THICKFRAME) != 0 ||
         (Attr.Style & WS_POPUP) == 0;
}

TFrameInsets FrameInsetsForStyle(DWORD style) {
  int border = 0;
  if (style & WS_THICKFRAME) {
    border = GetSystemMetrics(SM_CXFRAME);
  } else if (style & WS_DLGFRAME) {
    border = GetSystemMetrics(SM_CXDLGFRAME);  // also the frame of a captioned window
  } else if (style & WS_BORDER) {
    border = GetSystemMetrics(SM_CXBORDER);
  }
  const int caption = (style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
  return {border, border + caption, border, border};
}

TFrameInsets TWindow::DrawnFrameInsets() const {
  if (UsesDesktopFrame()) return {};
  return FrameInsetsForStyle(Attr.Style);
}

BOOL AdjustWindowRect(RECT *rect, DWORD style, BOOL menu) {
  if (rect == nullptr) return 0;
  // A desktop frame is measured by the desktop once shown; our own metrics stand in here.
  const TFrameInsets insets = FrameInsetsForStyle(style);
  rect->left -= insets.Left;
  rect->top -= insets.Top + (menu ? GetSystemMetrics(SM_CYMENU) : 0);
  rect->right += insets.Right;
  rect->bottom += insets.Bottom;
  return 1;
}

LONG GetWindowLong(HWND handle, int index) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG>(window->GetStyle());
    case GWL_EXSTYLE: return static_cast<LONG>(window->Attr.ExStyle);
    case GWL_ID: return window->GetId();
    default: return 0;
  }
}

LONG SetWindowLong(HWND handle, int index, LONG value) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return 0;
  const LONG previous = GetWindowLong(handle, index);
  switch (index) {
    case GWL_STYLE: window->SetStyle(static_cast<DWORD>(value)); break;
    case GWL_EXSTYLE: window->Attr.ExStyle = static_cast<DWORD>(value); break;
    case GWL_ID: window->Attr.Id = value; break;
    default: return 0;
  }
  return previous;
}

TFrameInsets TWindow::ClientInsets() const {
  TFrameInsets insets = DrawnFrameInsets();
  insets.Top += menuBarHeight;
  if (Attr.Style & WS_VSCROLL) insets.Right += GetSystemMetrics(SM_CXVSCROLL);
  if (Attr.Style & WS_HSCROLL) insets.Bottom += GetSystemMetrics(SM_CYHSCROLL);
  return insets;
}

namespace {

// The desktop frame's widths around a top-level host (0 until the desktop has framed it).
TFrameInsets DesktopFrame(const QWidget *host) {
  if (host == nullptr || !host->isWindow()) return {};
  const QRect frame = host->frameGeometry();
  const QRect inner = host->geometry();
  return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
          frame.bottom() - inner.bottom()};
}

// Whether the desktop has decided the host's frame (a shown top-level host).
bool DesktopFramed(const QWidget *host) {
  return host != nullptr && host->isWindow() && host->isVisible() &&
         host->testAttribute(Qt::WA_WState_Created);
}

bool SameInsets(const TFrameInsets &a, const TFrameInsets &b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

}  // namespace

void TWindow::CreateHost() {
  QWidget *parentWidget = nullptr;
  Qt::WindowFlags flags = Qt::Widget;
  if (IsChild()) {
    parentWidget = parent->host;
  } else {
    if (parent != nullptr && parent->host != nullptr) parentWidget = parent->host->window();
    const bool popup = (Attr.Style & WS_POPUP) != 0;
    flags = popup && parentWidget != nullptr ? Qt::Tool : Qt::Window;
    if (!UsesDesktopFrame()) flags |= Qt::FramelessWindowHint;
    if (Attr.ExStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
  }
  host = new TWindowHost(this, parentWidget, flags);
  if (!IsChild()) host->setWindowTitle(QString::fromStdString(title));
  host->setEnabled((Attr.Style & WS_DISABLED) == 0);
  ApplyGeometry();
  ResizeImage();
  LayoutScrollBars();
}

void TWindow::DestroyHost() {
  if (host == nullptr) return;
  host->Detach();
  host->hide();
  // The host may be inside one of its own event handlers: Qt deletes it later.
  host->deleteLater();
  host = nullptr;
  image.reset();
}

QWidget *TWindow::HostWidget() const { return host; }

void TWindow::ApplyGeometry() {
  if (host == nullptr) return;
  if (IsChild()) {
    const POINT origin = parent != nullptr ? parent->ClientOrigin() : POINT{};
    host->setGeometry(origin.x + x, origin.y + y, width, height);
  } else if (UsesDesktopFrame()) {
    // Until the desktop has framed the host, our own metrics stand in for its frame, so
    // the window rectangle asked for is the one got, shown or not.
    hostFrame = DesktopFramed(host) ? DesktopFrame(host) : FrameInsetsForStyle(Attr.Style);
    host->resize(std::max(0, width - hostFrame.Left - hostFrame.Right),
                 std::max(0, height - hostFrame.Top - hostFrame.Bottom));
    host->move(x, y);
  } else {
    host->setGeometry(x, y, width, height);
  }
}

bool TWindow::MoveWindow(int newX, int newY, int newWidth, int newHeight, bool repaint) {
  newWidth = std::clamp(newWidth, 0, kMaxWindowExtent);
  newHeight = std::clamp(newHeight, 0, kMaxWindowExtent);
  Attr.X = newX;
  Attr.Y = newY;
  Attr.W = newWidth;
  Attr.H = newHeight;
  if (handle == nullptr) return false;
  const bool resized = newWidth != width || newHeight != height;
  x = newX;
  y = newY;
  width = newWidth;
  height = newHeight;
  ApplyGeometry();
  if (resized) {
    ResizeImage();
    LayoutScrollBars();
    SendNcPaint();
  }
  std::shared_ptr<bool> token = alive;
  ReportGeometry();
  if (!*token || handle == nullptr) return false;
  if (repaint) Invalidate(true);
  return true;
}

bool TWindow::MoveWindow(const RECT &rect, bool repaint) {
  return MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), repaint);
}

bool TWindow::SetWindowPos(HWND insertAfter, int newX, int newY, int newWidth, int newHeight,
                           UINT flags) {
  if (handle == nullptr) return false;
  std::shared_ptr<bool> token = alive;
  if (flags & SWP_FRAMECHANGED) {
    LayoutScrollBars();
    SendNcPaint();
    Invalidate(true);
    reportedClient = {-1, -1};
  }
  if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) ||
      (flags & SWP_FRAMECHANGED)) {
    if (flags & SWP_NOMOVE) {
      newX = x;
      newY = y;
    }
    if (flags & SWP_NOSIZE) {
      newWidth = width;
      newHeight = height;
    }
    MoveWindow(newX, newY, newWidth, newHeight, (flags & SWP_NOREDRAW) == 0);
    if (!*token || handle == nullptr) return false;
  }
  if ((flags & SWP_NOZORDER) == 0 && host != nullptr) {
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
      const bool topmost = insertAfter == HWND_TOPMOST;
      Attr.ExStyle = topmost ? (Attr.ExStyle | WS_EX_TOPMOST) : (Attr.ExStyle & ~WS_EX_TOPMOST);
      if (!IsChild()) {
        const bool visible = host->isVisible();
        host->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);  // hides a shown window
        if (visible) host->show();
      }
      host->raise();
    } else if (insertAfter == HWND_TOP) {
      host->raise();
    } else if (insertAfter == HWND_BOTTOM) {
      host->lower();
    } else if (TWindow *above = WindowFromHandle(insertAfter)) {
      if (above->host != nullptr && above->host->parentWidget() == host->parentWidget()) {
        host->stackUnder(above->host);
      }
    }
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow((flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
  return *token && handle != nullptr;
}

void TWindow::GetWindowRect(RECT &rect) const {
  if (host == nullptr) {
    rect = {x, y, x + width, y + height};
    return;
  }
  if (!IsChild() && UsesDesktopFrame() && !DesktopFramed(host)) {
    // Not framed now (hidden, or never shown): the outer rectangle asked for or last had;
    // the host's own corner lies inside a frame it once had.
    rect = {x, y, x + width, y + height};
  } else if (IsChild() || !UsesDesktopFrame()) {
    const QPoint topLeft = host->mapToGlobal(QPoint(0, 0));
    rect = {topLeft.x(), topLeft.y(), topLeft.x() + width, topLeft.y() + height};
  } else {
    // The desktop's frame as it is now: it may differ from what was asked before showing.
    const QRect frame = host->frameGeometry();
    rect = {frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
  }
}

RECT TWindow::GetWindowRect() const {
  RECT rect;
  GetWindowRect(rect);
  return rect;
}

void TWindow::GetClientRect(RECT &rect) const {
  const TFrameInsets insets = ClientInsets();
  // The host's size for a window in the desktop's frame, else the window rectangle's.
  const bool framed = host != nullptr && UsesDesktopFrame();
  const int imageWidth = framed ? host->width() : width;
  const int imageHeight = framed ? host->height() : height;
  rect = {0, 0, std::max(0, imageWidth - insets.Left - insets.Right),
          std::max(0, imageHeight - insets.Top - insets.Bottom)};
}

RECT TWindow::GetClientRect() const {
  RECT rect;
  GetClientRect(rect);
  return rect;
}

POINT TWindow::ClientOrigin() const {
  const TFrameInsets insets = ClientInsets();
  return {insets.Left, insets.Top};
}

RECT TWindow::ClientRectInImage() const {
  RECT rect = GetClientRect();
  const POINT origin = ClientOrigin();
  return {rect.left + origin.x, rect.top + origin.y, rect.right + origin.x,
          rect.bottom + origin.y};
}

void TWindow::SetMenuBarHeight(int bandHeight) {
  bandHeight = std::max(0, bandHeight);
  if (bandHeight == menuBarHeight) return;
  menuBarHeight = bandHeight;
  if (handle != nullptr) {
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    // The client moved under the bar: the children keep their client coordinates, so they
    // move with it.
    for (TWindow *child : children)
      if (child->host != nullptr && child->IsChild()) child->ApplyGeometry();
  }
}

RECT TWindow::MenuBarRect() const {
  if (menuBarHeight <= 0) return {};
  const TFrameInsets frame = DrawnFrameInsets();
  const bool framed = host != nullptr && UsesDesktopFrame();
  const int imageWidth = framed ? host->width() : width;
  return {frame.Left, frame.Top, std::max(frame.Left, imageWidth - frame.Right),
          frame.Top + menuBarHeight};
}

void TWindow::ClientToScreen(POINT &point) const {
  const POINT origin = ClientOrigin();
  if (host == nullptr) return;
  const QPoint global = host->mapToGlobal(QPoint(point.x + origin.x, point.y + origin.y));
  point = {global.x(), global.y()};
}

POINT TWindow::ClientToScreen(const POINT &point) const {
  POINT result = point;
  ClientToScreen(result);
  return result;
}

void TWindow::ScreenToClient(POINT &point) const {
  const POINT origin = ClientOrigin();
  if (host == nullptr) return;
  const QPoint local = host->mapFromGlobal(QPoint(point.x, point.y));
  point = {local.x() - origin.x, local.y() - origin.y};
}

void TWindow::ReportGeometry(bool sizeToo) {
  if (handle == nullptr) return;
  if (host != nullptr && host->SizePending()) sizeToo = false;
  std::shared_ptr<bool> token = alive;
  const RECT client = GetClientRect();
  const UINT kind = IsIconic() ? SIZE_MINIMIZED : (IsZoomed() ? SIZE_MAXIMIZED : SIZE_RESTORED);
  // A minimized window reports an empty client area.
  const SIZE clientSize = kind == SIZE_MINIMIZED ? SIZE{0, 0} : SIZE{client.right, client.bottom};
  if (sizeToo && (clientSize.cx != reportedClient.cx || clientSize.cy != reportedClient.cy ||
                  kind != reportedKind)) {
    reportedClient = clientSize;
    reportedKind = kind;
    SendMessage(WM_SIZE, kind, MAKELPARAM(clientSize.cx, clientSize.cy));
    if (!*token || handle == nullptr) return;
  }
  // WM_MOVE carries the client area's origin: in the parent's client coordinates for a
  // child window, on the screen for the others.
  const POINT origin = ClientOrigin();
  POINT clientOrigin{x + origin.x, y + origin.y};
  if (!IsChild() && host != nullptr) {
    const QPoint global = host->mapToGlobal(QPoint(origin.x, origin.y));
    clientOrigin = {global.x(), global.y()};
  }
  if (clientOrigin.x != reportedOrigin.x || clientOrigin.y != reportedOrigin.y) {
    reportedOrigin = clientOrigin;
    SendMessage(WM_MOVE, 0, MAKELPARAM(clientOrigin.x, clientOrigin.y));
  }
}

bool TWindow::FollowDesktopFrame() {
  if (host == nullptr || IsChild() || !UsesDesktopFrame() || !DesktopFramed(host) || IsZoomed() ||
      IsIconic() || SameInsets(DesktopFrame(host), hostFrame)) {
    return false;
  }
  if (keepClientWhenFramed) {
    hostFrame = DesktopFrame(host);
    return false;  // the host keeps its size; the window rectangle follows from it
  }
  // The desktop framed the host differently from our estimate: keep the window rectangle
  // that was asked for (a restored placement must not grow or shrink).
  ApplyGeometry();
  OnHostResized();
  return true;
}

void TWindow::OnHostResized() {
  if (host == nullptr) return;
  if (FollowDesktopFrame()) return;
  if (!IsChild()) {
    const TFrameInsets frame = DesktopFramed(host) ? DesktopFrame(host) : hostFrame;
    width = host->width() + frame.Left + frame.Right;
    height = host->height() + frame.Top + frame.Bottom;
    const QRect outer = host->frameGeometry();
    x = outer.left();
    y = outer.top();
    Attr.X = x;
    Attr.Y = y;
    Attr.W = width;
    Attr.H = height;
  }
  if (image != nullptr && (image->width() != host->width() || image->height() != host->height())) {
    ResizeImage();
    LayoutScrollBars();
    SendNcPaint();
  }
  ReportGeometry();
}

void TWindow::HostMoved() {
  if (host == nullptr || IsChild()) return;
  if (FollowDesktopFrame()) return;
  const QRect outer = host->frameGeometry();
  x = Attr.X = outer.left();
  y = Attr.Y = outer.top();
  ReportGeometry(false);
}

bool TWindow::ShowWindow(int cmdShow) {
  const bool wasVisible = (Attr.Style & WS_VISIBLE) != 0;
  if (cmdShow == SW_HIDE) {
    Attr.Style &= ~WS_VISIBLE;
    if (host != nullptr) host->hide();
    // A top-level window tells itself it went, so the windows that float with it follow.
    if (wasVisible && handle != nullptr && !IsChild()) SendMessage(WM_SHOWWINDOW, 0, 0);
    return wasVisible;
  }
  Attr.Style |= WS_VISIBLE;
  if (host == nullptr) return wasVisible;
  const bool topLevel = !IsChild();
  const bool activate = cmdShow != SW_SHOWNA && cmdShow != SW_SHOWNOACTIVATE &&
                        cmdShow != SW_SHOWMINNOACTIVE;
  host->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
  switch (cmdShow) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      if (topLevel) {
        host->showMinimized();
      } else {
        host->show();
      }
      break;
    case SW_SHOWMAXIMIZED:
      if (topLevel) {
        host->showMaximized();
      } else {
        host->show();
      }
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      if (topLevel && (host->isMinimized() || host->isMaximized())) {
        host->showNormal();
      } else {
        host->show();
      }
      break;
    default:
      host->show();
      break;
  }
  if (!wasVisible && handle != nullptr && topLevel) SendMessage(WM_SHOWWINDOW, 1, 0);
  return wasVisible;
}

bool TWindow::IsWindowVisible() const {
  if (host != nullptr) return host->isVisible();
  return false;
}

bool TWindow::IsIconic() const {
  return host != nullptr && !IsChild() && host->windowState().testFlag(Qt::WindowMinimized);
}

bool TWindow::IsZoomed() const {
  return host != nullptr && !IsChild() && host->windowState().testFlag(Qt::WindowMaximized);
}

bool TWindow::EnableWindow(bool enable) {
  const bool wasDisabled = (Attr.Style & WS_DISABLED) != 0;
  Attr.Style = enable ? (Attr.Style & ~WS_DISABLED) : (Attr.Style | WS_DISABLED);
  if (host != nullptr) host->setEnabled(enable);
  if (wasDisabled == enable && handle != nullptr) SendMessage(WM_ENABLE, enable ? 1 : 0);
  return wasDisabled;
}

bool TWindow::IsWindowEnabled() const { return (Attr.Style & WS_DISABLED) == 0; }

void TWindow::SetStyle(DWORD style) {
  const DWORD changed = style ^ Attr.Style;
  Attr.Style = style;
  if (handle == nullptr) return;
  if (changed & WS_VISIBLE) ShowWindow((style & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE);
  if (changed & WS_DISABLED) EnableWindow((style & WS_DISABLED) == 0);
  if (changed & (WS_CAPTION | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL)) {
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
}

LRESULT TWindow::HitTest(const POINT &screenPoint) {
  if (host == nullptr) return HTNOWHERE;
  const QPoint local = host->mapFromGlobal(QPoint(screenPoint.x, screenPoint.y));
  if (!host->rect().contains(local)) return HTNOWHERE;
  const RECT client = ClientRectInImage();
  if (local.x() >= client.left && local.x() < client.right && local.y() >= client.top &&
      local.y() < client.bottom) {
    return HTCLIENT;
  }
  const TFrameInsets frame = DrawnFrameInsets();
  const RECT bar = MenuBarRect();
  if (local.x() >= bar.left && local.x() < bar.right && local.y() >= bar.top &&
      local.y() < bar.bottom) {
    return HTMENU;
  }
  if ((Attr.Style & WS_VSCROLL) && local.x() >= client.right && local.y() >= client.top &&
      local.y() < client.bottom) {
    return HTVSCROLL;
  }
  if ((Attr.Style & WS_HSCROLL) && local.y() >= client.bottom && local.x() >= client.left &&
      local.x() < client.right) {
    return HTHSCROLL;
  }
  if ((Attr.Style & WS_CAPTION) == WS_CAPTION && local.y() >= frame.Left &&
      local.y() < frame.Top && local.x() >= frame.Left && local.x() < width - frame.Right) {
    // The square at the caption's left end is the system-menu box.
    const int captionHeight = frame.Top - frame.Left;
    if ((Attr.Style & WS_SYSMENU) && local.x() < frame.Left + captionHeight) return HTSYSMENU;
    return HTCAPTION;
  }
  return HTBORDER;
}
