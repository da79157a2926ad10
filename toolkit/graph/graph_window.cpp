#include "toolkit/graph/graph_window.h"

#include "platform/core/message_box.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/scroller.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/render3d/o_palette.h"

#include <algorithm>

namespace {

const TResponseTableEntry kGraphWindowTable[] = {
    EvCommand<&TGraphWindow::CmTransparent>(CM_GRAPH_TRANSPARENT),
    EvCommand<&TGraphWindow::CmBackgroundColor>(CM_GRAPH_BACKGROUND_COLOR),
    EvCommand<&TGraphWindow::CmDuplicate>(CM_GRAPH_DUPLICATE),
    EvCommand<&TGraphWindow::CmRefreshWindow>(CM_GRAPH_REFRESH),
    EvMessage<WM_ERASEBKGND, &TGraphWindow::EvEraseBkgnd>(),
    EvMessage<WM_HSCROLL, &TGraphWindow::EvHScroll>(),
    EvMessage<WM_VSCROLL, &TGraphWindow::EvVScroll>(),
    EvMessage<WM_MOVE, &TGraphWindow::EvMove>(),
    EvMessage<WM_RBUTTONDOWN, &TGraphWindow::EvRButtonDown>(),
    EvMessage<WM_LBUTTONDOWN, &TGraphWindow::EvLButtonDown>(),
    EvMessage<WM_LBUTTONUP, &TGraphWindow::EvLButtonUp>(),
    EvMessage<WM_MOUSEMOVE, &TGraphWindow::EvMouseMove>(),
    EvMessage<WM_SETFOCUS, &TGraphWindow::EvSetFocus>(),
    EvMessage<WM_SIZE, &TGraphWindow::EvSize>(),
    EvMessage<WM_SYSCOMMAND, &TGraphWindow::EvSysCommand>(),
    EvMessage<WM_TIMER, &TGraphWindow::EvTimer>(),
    EvMessage<WM_DESTROY, &TGraphWindow::EvDestroy>(),
};

// A bitmap larger than this on an axis, or in all, is refused like a failed allocation:
// the picture of a window is kept in memory, and no screen comes near.
constexpr int kMaxBitmapExtent = kMaxWindowExtent;
constexpr long long kMaxBitmapPixels = 1LL << 26;

bool IsUnset(int v) { return v == CW_USEDEFAULT; }

}  // namespace

TGraphWindow::TGraphWindow(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
                           TOPalette *palette, TModule *module)
    : TWindow(parentWindow, nullptr, module) {
  Attr.X = Attr.Y = Attr.W = Attr.H = CW_USEDEFAULT;
  startPosition_ = POINT{CW_USEDEFAULT, CW_USEDEFAULT};
  requestedSize_ = SIZE{CW_USEDEFAULT, CW_USEDEFAULT};
  Init(styleAndOptions, backColor, palette);
}

TGraphWindow::TGraphWindow(TWindow *parentWindow, int left, int top, int w, int h,
                           std::uint32_t styleAndOptions, COLORREF backColor,
                           TOPalette *palette, TModule *module)
    : TWindow(parentWindow, nullptr, module) {
  Attr.X = left;
  Attr.Y = top;
  // The size is settled in SetupWindow; until then the window takes what it can.
  Attr.W = std::max(w, 1);
  Attr.H = std::max(h, 1);
  startPosition_ = POINT{left, top};
  requestedSize_ = SIZE{w, h};
  Init(styleAndOptions, backColor, palette);
}

TGraphWindow::TGraphWindow(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
                           TOPalette *palette, TModule *module)
    : TGraphWindow(WindowFromHandle(parentHandle), styleAndOptions, backColor, palette, module) {
  foreignParent_ = true;
}

TGraphWindow::TGraphWindow(HWND parentHandle, int left, int top, int w, int h,
                           std::uint32_t styleAndOptions, COLORREF backColor,
                           TOPalette *palette, TModule *module)
    : TGraphWindow(WindowFromHandle(parentHandle), left, top, w, h, styleAndOptions, backColor,
                   palette, module) {
  foreignParent_ = true;
}

TGraphWindow::~TGraphWindow() {
  // WM_DESTROY must reach this class's handler while the object is still one.
  Destroy();
  ReleaseContexts();
  RemoveFromTransparentList();
}

void TGraphWindow::Init(std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette) {
  options_ = styleAndOptions & kGraphOptionMask;
  if (styleAndOptions & (WS_HSCROLL | WS_VSCROLL)) options_ |= kGraphScrollBars;
  if ((options_ & (kGraphWindowSize | kGraphClientSize)) == 0) options_ |= kGraphClientSize;
  SetDrawFlags(options_);
  DWORD style = styleAndOptions & ~kGraphOptionMask;
  if (scrollable_) style |= WS_HSCROLL | WS_VSCROLL;
  if (options_ & kGraphMemoryOnly) {
    style &= ~WS_VISIBLE;
  } else {
    style |= WS_VISIBLE;
  }
  Attr.Style = style;
  if (scrollable_) {
    Scroller = new TScroller(this, 1, 1, 0, 0);
    // The graph paints itself from the bitmap at the new offset; nothing is moved.
    Scroller->AutoOrg = false;
  }
  backgroundColor_ = backColor & 0xFFFFFF;
  SetBkgndColor(backgroundColor_);
  palette_ = palette;
  scrollOffset_ = POINT{};
  copyMode_ = SRCCOPY;
  keepMovedX_ = keepMovedY_ = true;
  focusGuard_ = 1;
  menuEnabled_ = false;
}

void TGraphWindow::SetDrawFlags(std::uint32_t options) {
  if (options & kGraphMemoryOnly) {
    drawToMemory_ = true;
    drawToWindow_ = false;
  } else if (options & (kGraphDrawMemory | kGraphDrawWindow)) {
    drawToMemory_ = (options & kGraphDrawMemory) != 0;
    drawToWindow_ = (options & kGraphDrawWindow) != 0;
  } else {
    drawToMemory_ = drawToWindow_ = true;
  }
  scrollable_ = (options & kGraphStretch) == 0;
}

bool TGraphWindow::Create() {
  if (!TWindow::Create()) return false;
  if (palette_ != nullptr) SetPalette(palette_);
  return true;
}

void TGraphWindow::GetWindowClass(TWindowClass &classInfo) {
  TWindow::GetWindowClass(classInfo);
  classInfo.Style = CS_OWNDC;
  classInfo.Background = backgroundColor_;
}

const char *TGraphWindow::GetClassName() { return "TGraphWindow"; }

bool TGraphWindow::Find(TEventInfo &info) {
  return SearchResponseTable(kGraphWindowTable, info) || TWindow::Find(info);
}

SIZE TGraphWindow::GetClientSize() const {
  const RECT client = GetClientRect();
  return SIZE{client.right, client.bottom};
}

void TGraphWindow::SetupWindow() {
  TWindow::SetupWindow();
  // The scroll bars stay away until the bitmap is larger than the client.
  if (Scroller != nullptr) Scroller->SetSBarRange();
  const bool child = IsChild();
  TWindow *parentWindow = GetParentO();
  int sizeX = requestedSize_.cx;
  int sizeY = requestedSize_.cy;
  const bool sizeGiven = !IsUnset(sizeX) && !IsUnset(sizeY);
  if (sizeGiven) {
    const int startX = IsUnset(startPosition_.x) ? 0 : startPosition_.x;
    const int startY = IsUnset(startPosition_.y) ? 0 : startPosition_.y;
    if (foreignParent_ && parentWindow != nullptr) {
      const RECT outer = parentWindow->GetWindowRect();
      if (sizeX < 1) sizeX = outer.Width() + sizeX - startX;
      if (sizeY < 1) sizeY = outer.Height() + sizeY - startY;
    } else {
      SIZE extent{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      if (parentWindow != nullptr && parentWindow->IsWindow()) {
        const RECT client = parentWindow->GetClientRect();
        extent = SIZE{client.right, client.bottom};
      }
      if (sizeX < 1) sizeX = sizeX + extent.cx - (child ? startX : 0);
      if (sizeY < 1) sizeY = sizeY + extent.cy - (child ? startY : 0);
    }
    sizeX = std::max(sizeX, 1);
    sizeY = std::max(sizeY, 1);
    RECT outer = GetWindowRect();
    SIZE client = GetClientSize();
    if ((options_ & kGraphWindowSize) == 0 && (client.cx <= 0 || client.cy <= 0)) {
      // A window no larger than its frame has no client to tell the frame's width by: it is
      // measured at a size that has one.
      constexpr int kFrameProbe = 200;
      MoveWindow(outer.left, outer.top, outer.Width() + kFrameProbe, outer.Height() + kFrameProbe,
                 false);
      outer = GetWindowRect();
      client = GetClientSize();
    }
    if ((options_ & kGraphWindowSize) == 0) {
      // The request is the client's: the window is larger by its frame.
      sizeX += outer.Width() - client.cx;
      sizeY += outer.Height() - client.cy;
    }
    // A child window keeps its start position; any other keeps its place on the screen.
    int atX = outer.left;
    int atY = outer.top;
    if (child) {
      atX = std::max(startX, 0);
      atY = std::max(startY, 0);
    }
    MoveWindow(atX, atY, sizeX, sizeY, true);
  }
  clientSize_ = GetClientSize();
  bitmapSize_ = clientSize_;
  windowDC_ = std::make_unique<TClientDC>(*this);
  CreateBitmap(bitmapSize_.cx, bitmapSize_.cy);
  SetBkgndColor(backgroundColor_);
  lineMode_ = windowDC_->GetROP2();
  ResetClip();
  if (palette_ != nullptr) SetPalette(palette_);
  if (options_ & kGraphMenu) menuEnabled_ = true;
}

void TGraphWindow::FillWith(TDC &dc, COLORREF color) {
  TPen pen(color, 1, PS_SOLID);
  TBrush brush(color);
  HPEN oldPen = dc.SelectObject(static_cast<HPEN>(pen));
  HBRUSH oldBrush = dc.SelectObject(static_cast<HBRUSH>(brush));
  dc.Rectangle(0, 0, bitmapSize_.cx, bitmapSize_.cy);
  dc.SelectObject(oldPen);
  dc.SelectObject(oldBrush);
}

bool TGraphWindow::CreateBitmap(int sizeX, int sizeY) {
  if (!windowDC_) return false;
  if (memoryDC_) {
    memoryDC_->RestoreObjects();
    memoryDC_->RestoreBitmap();
    memoryDC_.reset();
  }
  memoryDC_ = std::make_unique<TMemoryDC>(*windowDC_);
  if (sizeX > 0) bitmapSize_.cx = sizeX;
  if (sizeY > 0) bitmapSize_.cy = sizeY;
  if (bitmap_ != nullptr) {
    DeleteObject(bitmap_);
    bitmap_ = nullptr;
  }
  const bool sizeAllowed =
      bitmapSize_.cx > 0 && bitmapSize_.cy > 0 && bitmapSize_.cx <= kMaxBitmapExtent &&
      bitmapSize_.cy <= kMaxBitmapExtent &&
      static_cast<long long>(bitmapSize_.cx) * bitmapSize_.cy <= kMaxBitmapPixels;
  if (sizeAllowed) bitmap_ = CreateCompatibleBitmap(windowDC_->GetHDC(), bitmapSize_.cx,
                                                    bitmapSize_.cy);
  const SIZE client = GetClientSize();
  if (client.cx != clientSize_.cx || client.cy != clientSize_.cy) clientSize_ = client;
  if (bitmap_ == nullptr) {
    MessageBox(GetHandle(), "Create - too few memory!", "Warning", MB_ICONHAND);
    bitmapValid_ = false;
  } else {
    memoryDC_->SelectObject(bitmap_);
    memoryDC_->SetROP2(lineMode_);
    // A new bitmap starts in the background colour even when drawing skips the memory.
    FillWith(*memoryDC_, backgroundColor_);
    Clear();
    for (TDC *dc : {static_cast<TDC *>(windowDC_.get()), static_cast<TDC *>(memoryDC_.get())}) {
      dc->SetBkMode(TRANSPARENT);
      dc->SetBkColor(backgroundColor_);
    }
    if (palette_ != nullptr) palette_->SelectAndRealizeDC(*memoryDC_);
    bitmapValid_ = true;
  }
  ApplyWindowMapping();
  ResetClip();
  ScrollTo(0, 0);
  UpdateScrollRange();
  Redraw();
  return bitmapValid_;
}

void TGraphWindow::ReleaseContexts() {
  for (TDC *dc : {static_cast<TDC *>(windowDC_.get()), static_cast<TDC *>(memoryDC_.get()),
                  static_cast<TDC *>(backgroundDC_.get())}) {
    if (dc == nullptr) continue;
    dc->SelectClipRgn(nullptr);
    dc->RestoreObjects();
  }
  if (memoryDC_) memoryDC_->RestoreBitmap();
  memoryDC_.reset();
  windowDC_.reset();
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  FreeBackground();
  bitmapValid_ = false;
}

void TGraphWindow::FreeBackground() {
  if (backgroundDC_) backgroundDC_->RestoreBitmap();
  backgroundDC_.reset();
  if (backgroundBitmap_ != nullptr) DeleteObject(backgroundBitmap_);
  backgroundBitmap_ = nullptr;
}

void TGraphWindow::Clear() {
  ForEachDrawDC([this](TDC &dc) { FillWith(dc, backgroundColor_); });
}

void TGraphWindow::ApplyWindowMapping() {
  if (!windowDC_) return;
  if (scrollable_) {
    windowDC_->SetMapMode(MM_TEXT);
    windowDC_->SetViewportOrg(POINT{-scrollOffset_.x, -scrollOffset_.y});
    return;
  }
  // Stretched: the bitmap's pixels are the logical units of the client area.
  const SIZE client = GetClientSize();
  windowDC_->SetViewportOrg(POINT{});
  windowDC_->SetMapMode(MM_ANISOTROPIC);
  windowDC_->SetWindowExt(bitmapSize_);
  windowDC_->SetViewportExt(client);
}

void TGraphWindow::SyncScrollOffset() {
  if (!scrollable_ || Scroller == nullptr) return;
  scrollOffset_ = POINT{static_cast<LONG>(Scroller->XPos), static_cast<LONG>(Scroller->YPos)};
}

void TGraphWindow::Refresh() {
  ResetClip();
  if (!bitmapValid_ || !windowDC_ || !memoryDC_) return;
  ApplyWindowMapping();
  if (scrollable_) {
    windowDC_->BitBlt(0, 0, bitmapSize_.cx, bitmapSize_.cy, *memoryDC_, 0, 0, copyMode_);
  } else {
    windowDC_->StretchBlt(0, 0, bitmapSize_.cx, bitmapSize_.cy, *memoryDC_, 0, 0, bitmapSize_.cx,
                          bitmapSize_.cy, copyMode_);
  }
  windowDC_->Flush();
}

void TGraphWindow::Redraw() {
  if (transparent_) GrabBackground(false);
  Refresh();
}

void TGraphWindow::CopyWindowToBitmap() {
  ResetClip();
  if (!bitmapValid_ || !windowDC_ || !memoryDC_) return;
  ApplyWindowMapping();
  if (scrollable_) {
    memoryDC_->BitBlt(0, 0, bitmapSize_.cx, bitmapSize_.cy, *windowDC_, 0, 0, copyMode_);
  } else {
    memoryDC_->StretchBlt(0, 0, bitmapSize_.cx, bitmapSize_.cy, *windowDC_, 0, 0, bitmapSize_.cx,
                          bitmapSize_.cy, copyMode_);
  }
}

void TGraphWindow::ResetClip() {
  TRegion whole(RECT{0, 0, bitmapSize_.cx, bitmapSize_.cy});
  if (windowDC_) windowDC_->SelectClipRgn(whole);
  if (memoryDC_) memoryDC_->SelectClipRgn(whole);
  plotClipSelected_ = false;
}

void TGraphWindow::ScrollTo(int atX, int atY) {
  if (!scrollable_ || Scroller == nullptr) return;
  atX = std::max(atX, 0);
  atY = std::max(atY, 0);
  scrollOffset_ = POINT{atX, atY};
  Scroller->XPos = atX;
  Scroller->YPos = atY;
  SetScrollPos(SB_HORZ, atX);
  SetScrollPos(SB_VERT, atY);
  UpdateScrollRange();
  Refresh();
}

void TGraphWindow::UpdateScrollRange() {
  if (Scroller == nullptr || updatingScrollRange_ || !IsWindow()) return;
  updatingScrollRange_ = true;
  if (!scrollable_) {
    Scroller->SetRange(0, 0);
    updatingScrollRange_ = false;
    return;
  }
  // Showing or hiding a bar changes the client, so the range settles in a few rounds.
  for (int round = 0; round < 3; ++round) {
    const SIZE client = GetClientSize();
    long excessX = std::max(0L, static_cast<long>(bitmapSize_.cx - client.cx));
    long excessY = std::max(0L, static_cast<long>(bitmapSize_.cy - client.cy));
    // Bars that only make room for each other are not needed: the client a bar shown now
    // takes away counts as the client's.
    const long shownX = Scroller->YRange > 0 ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    const long shownY = Scroller->XRange > 0 ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    if (excessX - shownX <= GetSystemMetrics(SM_CXVSCROLL) && excessY - shownY <= GetSystemMetrics(SM_CYHSCROLL)) {
      excessX = excessY = 0;
    }
    if (excessX == Scroller->XRange && excessY == Scroller->YRange && round > 0) break;
    Scroller->SetRange(excessX, excessY);
  }
  // An offset beyond the new range is pulled back on its own axis.
  scrollOffset_.x = std::min<LONG>(scrollOffset_.x, static_cast<LONG>(Scroller->XRange));
  scrollOffset_.y = std::min<LONG>(scrollOffset_.y, static_cast<LONG>(Scroller->YRange));
  Scroller->XPos = scrollOffset_.x;
  Scroller->YPos = scrollOffset_.y;
  updatingScrollRange_ = false;
}

COLORREF TGraphWindow::SetBackColorValue(COLORREF color) {
  const COLORREF previous = backgroundColor_;
  backgroundColor_ = color & 0xFFFFFF;
  return previous;
}

int TGraphWindow::GetROP2() const { return windowDC_ ? windowDC_->GetROP2() : lineMode_; }

int TGraphWindow::SetROP2(int mode) {
  lineMode_ = mode;
  int previous = lineMode_;
  if (windowDC_) previous = windowDC_->SetROP2(mode);
  if (memoryDC_) memoryDC_->SetROP2(mode);
  return previous;
}

TOPalette *TGraphWindow::SetPalette(TOPalette *palette) {
  TOPalette *previous = palette_;
  palette_ = palette;
  if (palette_ != nullptr) {
    if (memoryDC_) palette_->SelectAndRealizeDC(*memoryDC_);
    if (windowDC_) palette_->SelectAndRealizeDC(*windowDC_);
  }
  return previous;
}

void TGraphWindow::Paint(TDC &, bool, RECT &) {
  SyncScrollOffset();
  Redraw();
}

POINT TGraphWindow::ToBitmap(const POINT &clientPoint) const {
  if (scrollable_) {
    return POINT{clientPoint.x + scrollOffset_.x, clientPoint.y + scrollOffset_.y};
  }
  return clientPoint;
}

bool TGraphWindow::EvEraseBkgnd(HDC) {
  if (transparent_) return true;
  return DefaultProcessing() != 0;
}

void TGraphWindow::EvHScroll(UINT code, UINT thumb, HWND bar) {
  TWindow::EvHScroll(code, thumb, bar);
  SyncScrollOffset();
  if (transparent_) GrabBackground(true);
  Refresh();
}

void TGraphWindow::EvVScroll(UINT code, UINT thumb, HWND bar) {
  TWindow::EvVScroll(code, thumb, bar);
  SyncScrollOffset();
  if (transparent_) GrabBackground(true);
  Refresh();
}

void TGraphWindow::EvLButtonDown(UINT, const POINT &) { DefaultProcessing(); }
void TGraphWindow::EvLButtonUp(UINT, const POINT &) { DefaultProcessing(); }
void TGraphWindow::EvMouseMove(UINT, const POINT &) { DefaultProcessing(); }

void TGraphWindow::EvSize(UINT sizeType, const SIZE &size) {
  TWindow::EvSize(sizeType, size);
  if (!windowDC_ || !memoryDC_) return;
  const SIZE client = GetClientSize();
  clientSize_ = client;
  const int excessX = std::max(0, static_cast<int>(client.cx - bitmapSize_.cx));
  const int excessY = std::max(0, static_cast<int>(client.cy - bitmapSize_.cy));
  if (excessX > 0 || excessY > 0) {
    // The client never shows more than the bitmap holds.
    const RECT outer = GetWindowRect();
    SetWindowPos(nullptr, 0, 0, outer.Width() - excessX, outer.Height() - excessY,
                 SWP_NOMOVE | SWP_NOZORDER);
    if (!windowDC_) return;
    clientSize_ = GetClientSize();
  }
  ApplyWindowMapping();
  UpdateScrollRange();
  Redraw();
  if (IsChild() && GetParentO() != nullptr) GetParentO()->Invalidate(false);
}

void TGraphWindow::EvSysCommand(UINT command, const POINT &point) {
  TWindow::EvSysCommand(command, point);
  if ((command & 0xFFF0) == SC_CLOSE) DestroyAndDelete();
}

void TGraphWindow::EvDestroy() {
  if (IsWindow()) KillTimer(kGrabTimerId);
  ReleaseContexts();
  RemoveFromTransparentList();
  transparent_ = false;
  DefaultProcessing();
}

TGraphWindow *NewGraphWindow(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
                             TOPalette *palette, TModule *module) {
  auto *window = new TGraphWindow(parentWindow, styleAndOptions, backColor, palette, module);
  window->Create();
  window->UpdateWindow();
  return window;
}

TGraphWindow *NewGraphWindow(TWindow *parentWindow, int left, int top, int w, int h,
                             std::uint32_t styleAndOptions, COLORREF backColor,
                             TOPalette *palette, TModule *module) {
  auto *window =
      new TGraphWindow(parentWindow, left, top, w, h, styleAndOptions, backColor, palette, module);
  window->Create();
  window->UpdateWindow();
  return window;
}

TGraphWindow *NewGraphWindow(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
                             TOPalette *palette, TModule *module) {
  auto *window = new TGraphWindow(parentHandle, styleAndOptions, backColor, palette, module);
  window->Create();
  window->UpdateWindow();
  return window;
}

TGraphWindow *NewGraphWindow(HWND parentHandle, int left, int top, int w, int h,
                             std::uint32_t styleAndOptions, COLORREF backColor,
                             TOPalette *palette, TModule *module) {
  auto *window =
      new TGraphWindow(parentHandle, left, top, w, h, styleAndOptions, backColor, palette, module);
  window->Create();
  window->UpdateWindow();
  return window;
}
