// The graph window's modes: transparency over the picture behind it (with the list of
// transparent windows), duplicates, the background colour and the right-button menu.
#include "toolkit/graph/graph_window.h"

#include "platform/core/clock.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/providers/common_dialogs.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/pump/message_queue.h"

#include <algorithm>

namespace {

// The transparent graph windows, the one made transparent or focused last in front.
std::vector<TGraphWindow *> &TransparentList() {
  static std::vector<TGraphWindow *> list;
  return list;
}

COLORREF Inverted(COLORREF color) { return ~color & 0xFFFFFFu; }

// Colours with every component at 192 or more pass the picture behind through SRCAND;
// darker ones are inverted and merged with MERGEPAINT.
bool IsLightColor(COLORREF color) {
  return GetRValue(color) >= 192 && GetGValue(color) >= 192 && GetBValue(color) >= 192;
}

// The desktop answers a window shown after its grab by activating it, a little later.
// Focus arriving while windows grab, or this soon after the last grab, is that echo and
// starts no new round of grabs (each round would otherwise start the next).
constexpr DWORD kFocusSettleMs = 500;
DWORD lastGrabShownAt = 0;
bool anyGrabShown = false;

bool FocusIsGrabEcho() {
  for (const TGraphWindow *window : TransparentList()) {
    if (window->IsGrabPending()) return true;
  }
  return anyGrabShown && GetTickCount() - lastGrabShownAt < kFocusSettleMs;
}

constexpr UINT kHideFlags =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW;
constexpr UINT kShowFlags =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW;

}  // namespace

const std::vector<TGraphWindow *> &TGraphWindow::TransparentWindows() { return TransparentList(); }

void TGraphWindow::RemoveFromTransparentList() {
  auto &list = TransparentList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TGraphWindow::MoveToFrontOfList() {
  RemoveFromTransparentList();
  auto &list = TransparentList();
  list.insert(list.begin(), this);
}

void TGraphWindow::SetTransparent(bool on) {
  if (on == transparent_) {
    // Asked again: the background is grabbed anew; the colours are not inverted twice.
    if (on) GrabBackground(true);
    return;
  }
  transparent_ = on;
  FreeBackground();
  if (!on) {
    RemoveFromTransparentList();
    if (copyMode_ == MERGEPAINT) SetBackgroundColor(Inverted(backgroundColor_));
    copyMode_ = SRCCOPY;
    if (IsWindow()) KillTimer(kGrabTimerId);
    grabPending_ = false;
    Refresh();
    return;
  }
  if (!windowDC_) {
    transparent_ = false;
    return;
  }
  backgroundDC_ = std::make_unique<TMemoryDC>(*windowDC_);
  const SIZE client = GetClientSize();
  backgroundBitmap_ = CreateCompatibleBitmap(windowDC_->GetHDC(), std::max<LONG>(client.cx, 1),
                                             std::max<LONG>(client.cy, 1));
  if (backgroundBitmap_ != nullptr) backgroundDC_->SelectObject(backgroundBitmap_);
  if (!IsLightColor(backgroundColor_)) {
    SetBackgroundColor(Inverted(backgroundColor_));
    copyMode_ = MERGEPAINT;
  } else {
    copyMode_ = SRCAND;
  }
  MoveToFrontOfList();
  GrabBackground(true);
  Refresh();
}

void TGraphWindow::GrabBackground(bool grab) {
  if (!IsWindow()) return;
  if (grab) {
    // The screen behind is taken once the windows beneath have repainted the area.
    SetWindowPos(nullptr, 0, 0, 0, 0, kHideFlags);
    grabPending_ = true;
    SetTimer(kGrabTimerId, 1);
    return;
  }
  if (!backgroundDC_) return;
  TClientDC dc(*this);
  const SIZE client = GetClientSize();
  dc.BitBlt(0, 0, client.cx, client.cy, *backgroundDC_, 0, 0, SRCCOPY);
}

void TGraphWindow::EvTimer(UINT timerId) {
  if (timerId != kGrabTimerId) {
    DefaultProcessing();
    return;
  }
  KillTimer(kGrabTimerId);
  if (!grabPending_) return;
  // The desktop may have reported the place the user dropped the window while it was
  // hidden; an axis that snaps back is put right before the picture behind is taken.
  SnapToStart();
  grabPending_ = false;
  if (backgroundDC_) {
    const SIZE client = GetClientSize();
    const POINT topLeft = ClientToScreen(POINT{0, 0});
    grabbedAt_ = topLeft;
    CopyScreenTo(*backgroundDC_, 0, 0,
                 RECT{topLeft.x, topLeft.y, topLeft.x + client.cx, topLeft.y + client.cy});
  }
  SetWindowPos(nullptr, 0, 0, 0, 0, kShowFlags);
  lastGrabShownAt = GetTickCount();
  anyGrabShown = true;
  Redraw();
}

void TGraphWindow::EvSetFocus(HWND lostFocus) {
  TWindow::EvSetFocus(lostFocus);
  if (!transparent_ || focusGuard_ != 1 || FocusIsGrabEcho()) return;
  const HWND self = GetHandle();
  // Handles, not pointers: a window may go while the queue is pumped.
  std::vector<HWND> front;
  for (TGraphWindow *window : TransparentList()) {
    front.push_back(window->GetHandle());
    if (window == this) break;
  }
  auto liveGraph = [](HWND windowHandle) {
    return dynamic_cast<TGraphWindow *>(WindowFromHandle(windowHandle));
  };
  TMessageQueue queue;
  queue.Enter();
  for (HWND windowHandle : front) {
    if (TGraphWindow *window = liveGraph(windowHandle)) window->ShowWindow(SW_HIDE);
    queue.Pump();
    if (!liveGraph(self)) return;
  }
  for (auto it = front.rbegin(); it != front.rend(); ++it) {
    if (TGraphWindow *window = liveGraph(*it)) window->GrabBackground(true);
    queue.Pump();
    if (!liveGraph(self)) return;
  }
  MoveToFrontOfList();
  focusGuard_ = 0;
  SetFocus();
  focusGuard_ = 1;
  queue.Pump();
  queue.Leave();
  ReleaseCapture();
}

void TGraphWindow::EvMove(const POINT &origin) {
  if (!transparent_) {
    TWindow::EvMove(origin);
    return;
  }
  // Hiding and showing for a grab report positions too; only a real move regrabs.
  const POINT at = ClientToScreen(POINT{0, 0});
  if (grabPending_ || (at.x == grabbedAt_.x && at.y == grabbedAt_.y)) return;
  GrabBackground(true);
  SnapToStart();
}

void TGraphWindow::SnapToStart() {
  // Where the user put the window, or back at the start on an axis that does not keep it.
  int atX = Attr.X;
  int atY = Attr.Y;
  if (!keepMovedX_) atX = startPosition_.x;
  if (!keepMovedY_) atY = startPosition_.y;
  if (atX != Attr.X || atY != Attr.Y) {
    SetWindowPos(nullptr, atX, atY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TGraphWindow::SetBackgroundColor(COLORREF color) {
  ResetClip();
  color &= 0xFFFFFF;
  auto invertWith = [this](COLORREF brushColor) {
    TBrush brush(brushColor);
    ForEachDrawDC([&](TDC &dc) {
      HBRUSH old = dc.SelectObject(static_cast<HBRUSH>(brush));
      dc.PatBlt(0, 0, bitmapSize_.cx, bitmapSize_.cy, PATINVERT);
      dc.SelectObject(old);
    });
  };
  invertWith(backgroundColor_);
  backgroundColor_ = color;
  invertWith(backgroundColor_);
  SetBkgndColor(backgroundColor_);
  if (windowDC_) windowDC_->SetBkColor(backgroundColor_);
  if (memoryDC_) memoryDC_->SetBkColor(backgroundColor_);
}

void TGraphWindow::CmBackgroundColor() {
  // Greys 0x000000, 0x101010 ... 0xF0F0F0 as the custom colours.
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = RGB(16 * i, 16 * i, 16 * i);
  TChooseColorDialog::TData choice;
  choice.Flags = CC_RGBINIT;
  choice.Color = backgroundColor_;
  choice.CustColors = custom;
  if (TChooseColorDialog(this, choice).Execute() != IDOK) return;
  SetBackgroundColor(choice.Color);
  Refresh();
}

void TGraphWindow::CmTransparent() {
  ResetClip();
  SetTransparent(!transparent_);
}

void TGraphWindow::CmRefreshWindow() {
  if (transparent_) {
    GrabBackground(true);
  } else {
    Refresh();
  }
}

void TGraphWindow::EvRButtonDown(UINT keys, const POINT &point) {
  if (!menuEnabled_) {
    TWindow::EvRButtonDown(keys, point);
    return;
  }
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  AppendMenu(menu, MF_STRING, CM_GRAPH_DUPLICATE, "Duplicate");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  if (!IsChild()) {
    AppendMenu(menu, MF_STRING | (transparent_ ? MF_CHECKED : MF_UNCHECKED), CM_GRAPH_TRANSPARENT,
               "Transparent");
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  }
  AppendMenu(menu, MF_STRING, CM_GRAPH_BACKGROUND_COLOR, "Background color");
  AppendMenu(menu, MF_STRING, CM_GRAPH_REFRESH, "Refresh window");
  const POINT screen = ClientToScreen(point);
  // The chosen command comes back to this window as WM_COMMAND.
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, GetHandle());
  DestroyMenu(menu);
}

void TGraphWindow::CmDuplicate() {
  const DWORD style = ((Attr.Style | options_) & ~(WS_CHILD | kGraphWindowSize)) |
                      WS_OVERLAPPEDWINDOW | kGraphClientSize;
  if (duplicateParent_ == nullptr) duplicateParent_ = GetParentO();
  POINT at{0, 0};
  if (duplicateParent_ != nullptr && duplicateParent_->IsWindow()) {
    const RECT parentRect = duplicateParent_->GetWindowRect();
    at = POINT{parentRect.left, parentRect.top};
  }
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  const SIZE client = GetClientSize();
  auto *copy = new TGraphWindow(duplicateParent_, at.x + caption, at.y + caption, client.cx,
                                client.cy, style, backgroundColor_, nullptr);
  lastDuplicate_ = copy;
  copy->Create();
  copy->SetCaption(title_);
  copy->CreateBitmap(bitmapSize_.cx, bitmapSize_.cy);
  if (memoryDC_ && copy->memoryDC_) {
    copy->ForEachDrawDC([&](TDC &dc) {
      dc.BitBlt(0, 0, bitmapSize_.cx, bitmapSize_.cy, *memoryDC_, 0, 0, copyMode_);
    });
    // The copy's own picture is the bitmap, whatever its draw flags.
    if (!copy->drawToMemory_) {
      copy->memoryDC_->BitBlt(0, 0, bitmapSize_.cx, bitmapSize_.cy, *memoryDC_, 0, 0, copyMode_);
    }
  }
  copy->Redraw();
  // One pixel more each way, so that its size handler fits the window to the bitmap.
  const RECT outer = copy->GetWindowRect();
  copy->SetWindowPos(nullptr, 0, 0, outer.Width() + 1, outer.Height() + 1,
                     SWP_NOMOVE | SWP_NOZORDER);
  copy->menuEnabled_ = true;
}

TGraphWindow *TGraphWindow::DuplicateWithOptions(TWindow *duplicateParent,
                                                 std::uint32_t extraOptions) {
  duplicateParent_ = duplicateParent;
  const std::uint32_t saved = options_;
  options_ |= extraOptions & kGraphOptionMask;
  CmDuplicate();
  options_ = saved;
  return lastDuplicate_;
}
