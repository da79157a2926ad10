#include "platform/gui/bars/frame_window.h"

#include <QTimer>
#include <algorithm>
#include <memory>

#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/menus/menu_window.h"

namespace {

bool Inside(TWindow *window, const TWindow *ancestor) {
  for (; window != nullptr; window = window->GetParentO()) {
    if (window == ancestor) return true;
  }
  return false;
}

}  // namespace

TFrameWindow::TFrameWindow(TWindow *parentWindow, const char *titleText, TWindow *clientWnd,
                           bool shrinkToClient, TModule *module)
    : TWindow(parentWindow, titleText, module), client_(clientWnd), shrinkToClient_(shrinkToClient) {
  Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  if (parentWindow != nullptr) Attr.Style = WS_POPUPWINDOW | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE;
  Attr.X = Attr.Y = Attr.W = Attr.H = CW_USEDEFAULT;
  SetClientWindow(clientWnd);
}

TWindow *TFrameWindow::SetClientWindow(TWindow *clientWnd) {
  TWindow *previous = client_;
  client_ = clientWnd;
  if (client_ != nullptr) {
    client_->Attr.Style |= WS_CHILD | WS_VISIBLE;
    client_->Attr.Style &= ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME);
    // A client made without a parent (or another one) becomes the frame's child.
    if (client_->GetParentO() != this) client_->SetParent(this);
    if (IsWindow() && !client_->IsWindow()) client_->Create();
    if (IsWindow()) Layout();
  }
  return previous;
}

bool TFrameWindow::AssignMenu(TResId menuName) {
  menuName_ = menuName;
  hasMenuName_ = true;
  if (IsWindow()) AttachMenu();
  return true;
}

void TFrameWindow::AttachMenu() {
  if (!hasMenuName_) return;
  HMENU menu = LoadMenu(nullptr, menuName_.IsString() ? menuName_.Name().c_str()
                                                      : MAKEINTRESOURCE(static_cast<int>(menuName_.Id())));
  if (menu == nullptr) return;
  HMENU previous = GetMenu(GetHandle());
  if (SetMenu(GetHandle(), menu)) {
    DestroyMenu(previous);
  } else {
    DestroyMenu(menu);
  }
}

void TFrameWindow::SetupWindow() {
  TWindow::SetupWindow();
  AttachMenu();
  if (shrinkToClient_ && client_ != nullptr) {
    // The frame takes the size that shows the client whole.
    const RECT inner = GetClientRect();
    const RECT outer = GetWindowRect();
    const int frameWidth = client_->Attr.W + (outer.Width() - inner.right);
    const int frameHeight = client_->Attr.H + (outer.Height() - inner.bottom);
    SetWindowPos(nullptr, 0, 0, frameWidth, frameHeight, SWP_NOMOVE | SWP_NOZORDER);
  }
  Layout();
}

RECT TFrameWindow::ClientArea() { return GetClientRect(); }

void TFrameWindow::Layout() {
  if (client_ == nullptr || !client_->IsWindow()) return;
  const RECT area = ClientArea();
  client_->MoveWindow(area.left, area.top, std::max<int>(0, area.Width()),
                      std::max<int>(0, area.Height()), true);
}

bool TFrameWindow::RouteToChildren(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result) {
  TWindow *start = WindowFromHandle(GetFocus());
  if (start == this || !Inside(start, this)) start = client_;
  const UINT id = msg == WM_COMMAND ? LOWORD(wParam)
                                    : reinterpret_cast<TCommandEnabler *>(lParam)->GetId();
  for (TWindow *window = start; window != nullptr && window != this; window = window->GetParentO()) {
    TEventInfo info;
    info.Msg = msg;
    info.Id = id;
    if (!window->Find(info) || info.Entry == nullptr || info.Entry->Dispatch == nullptr) continue;
    result = info.Entry->Dispatch(*window, msg, wParam, lParam);
    return true;
  }
  return false;
}

LRESULT TFrameWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const bool command = msg == WM_COMMAND && lParam == 0;
  const bool enabler = msg == WM_COMMAND_ENABLE && lParam != 0;
  if ((command || enabler) && !routing_) {
    routing_ = true;
    LRESULT result = 0;
    const HWND self = GetHandle();
    const bool handled = RouteToChildren(msg, wParam, lParam, result);
    // A command may have closed the frame: touch nothing then.
    if (!::IsWindow(self)) return result;
    routing_ = false;
    if (handled) return result;
  }
  const LRESULT result = TWindow::WindowProc(msg, wParam, lParam);
  if (msg == WM_SIZE && IsWindow()) Layout();
  return result;
}

TDecoratedFrame::TDecoratedFrame(TWindow *parentWindow, const char *titleText, TWindow *clientWnd,
                                 bool trackMenuSelection, TModule *module)
    : TFrameWindow(parentWindow, titleText, clientWnd, false, module),
      trackMenuSelection_(trackMenuSelection) {}

void TDecoratedFrame::Insert(TWindow &decoration, TLocation location) {
  decoration.Attr.Style |= WS_CHILD | WS_VISIBLE;
  if (decoration.GetParentO() != this) decoration.SetParent(this);
  if (auto *bar = dynamic_cast<TGadgetWindow *>(&decoration)) {
    bar->SetDirection(location == Left || location == Right ? TGadgetWindow::Vertical
                                                            : TGadgetWindow::Horizontal);
  }
  decorations_.push_back({&decoration, location});
  if (IsWindow()) {
    if (!decoration.IsWindow()) decoration.Create();
    Layout();
  }
}

TStatusBar *TDecoratedFrame::GetStatusBar() const {
  for (const TDecoration &decoration : decorations_) {
    if (auto *status = dynamic_cast<TStatusBar *>(decoration.Window)) return status;
  }
  return nullptr;
}

int TDecoratedFrame::Thickness(TWindow &decoration, TLocation location) {
  const bool horizontal = location == Top || location == Bottom;
  if (auto *bar = dynamic_cast<TGadgetWindow *>(&decoration)) {
    SIZE size{};
    bar->GetDesiredSize(size);
    return horizontal ? size.cy : size.cx;
  }
  return horizontal ? decoration.Attr.H : decoration.Attr.W;
}

RECT TDecoratedFrame::ClientArea() {
  RECT area = GetClientRect();
  for (const TDecoration &decoration : decorations_) {
    const int thickness = Thickness(*decoration.Window, decoration.Location);
    switch (decoration.Location) {
      case Top: area.top += thickness; break;
      case Bottom: area.bottom -= thickness; break;
      case Left: area.left += thickness; break;
      case Right: area.right -= thickness; break;
    }
  }
  area.bottom = std::max(area.top, area.bottom);
  area.right = std::max(area.left, area.right);
  return area;
}

void TDecoratedFrame::Layout() {
  // Decorations take their bands in the order they were inserted: the first on top is the
  // topmost, the first at the bottom the lowest.
  RECT area = GetClientRect();
  for (const TDecoration &decoration : decorations_) {
    TWindow &window = *decoration.Window;
    const int thickness = Thickness(window, decoration.Location);
    RECT band{};
    switch (decoration.Location) {
      case Top: band = {area.left, area.top, area.right, area.top + thickness}; area.top += thickness; break;
      case Bottom: band = {area.left, area.bottom - thickness, area.right, area.bottom}; area.bottom -= thickness; break;
      case Left: band = {area.left, area.top, area.left + thickness, area.bottom}; area.left += thickness; break;
      case Right: band = {area.right - thickness, area.top, area.right, area.bottom}; area.right -= thickness; break;
    }
    if (window.IsWindow()) window.MoveWindow(band.left, band.top, std::max<int>(0, band.Width()), std::max<int>(0, band.Height()), true);
  }
  TFrameWindow::Layout();
}

void TDecoratedFrame::MenuSelect(WPARAM wParam, LPARAM lParam) {
  TStatusBar *status = GetStatusBar();
  if (status == nullptr) return;
  const UINT flags = HIWORD(wParam);
  if (flags == 0xFFFF && lParam == 0) {
    status->SetHintText(nullptr);  // the menu closed
    return;
  }
  // Pop-up items and separators have no hint.
  if (flags & (MF_POPUP | MF_SEPARATOR)) {
    status->SetHintText("");
    return;
  }
  status->SetHintText(LoadStringText(LOWORD(wParam)).c_str());
}

void TDecoratedFrame::RefreshGadgets() {
  refreshPending_ = false;
  for (const TDecoration &decoration : decorations_) {
    if (auto *bar = dynamic_cast<TGadgetWindow *>(decoration.Window)) {
      if (bar->IsWindow()) bar->UpdateGadgetStates();
    }
  }
}

LRESULT TDecoratedFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MENUSELECT && trackMenuSelection_) MenuSelect(wParam, lParam);
  const HWND self = GetHandle();
  const LRESULT result = TFrameWindow::WindowProc(msg, wParam, lParam);
  // After a command the buttons follow the commands' states, as the framework does when
  // it is idle: once the events waiting now are done.
  if (((msg == WM_COMMAND && lParam == 0) || msg == WM_CREATE) && ::IsWindow(self) &&
      !refreshPending_) {
    refreshPending_ = true;
    // The handle is never reused: a frame gone by then is not found.
    QTimer::singleShot(0, [self, this] {
      if (WindowFromHandle(self) == this) RefreshGadgets();
    });
  }
  return result;
}
