#include "toolkit/plot3d/dib_window.h"

#include <algorithm>

#include "platform/gui/drawing/dib_bits.h"
#include "platform/gui/windows/scroller.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/render3d/o_dib.h"
#include "toolkit/render3d/o_palette.h"

namespace {

const TResponseTableEntry kDibWindowTable[] = {
    EvMessage<WM_SIZE, &TDibWindow::EvSize>(),
};

}  // namespace

TDibWindow::TDibWindow(TWindow *parentWindow, const char *caption, int left, int top, int clientWidth,
                       int clientHeight, int virtualWidth, int virtualHeight, DWORD style,
                       COLORREF backColor, TOPalette *palette)
    : TWindow(parentWindow, caption),
      virtualWidth_(std::max(1, virtualWidth)),
      virtualHeight_(std::max(1, virtualHeight)),
      palette_(palette),
      background_(backColor) {
  Attr.Style = style | WS_VSCROLL | WS_HSCROLL;
  const SIZE outer = OuterSize(clientWidth, clientHeight, virtualWidth_, virtualHeight_, Attr.Style);
  Attr.X = left;
  Attr.Y = top;
  Attr.W = outer.cx;
  Attr.H = outer.cy;
  Scroller = new TScroller(this, 1, 1, std::max(0, virtualWidth_ - clientWidth),
                           std::max(0, virtualHeight_ - clientHeight));
  // Painting copies the picture at the new position; nothing is moved.
  Scroller->AutoOrg = false;
}

TDibWindow::~TDibWindow() {
  memoryDC_.reset();
  memoryBitmap_.reset();
  windowDC_.reset();
}

SIZE TDibWindow::OuterSize(int clientWidth, int clientHeight, int virtualWidth,
                           int virtualHeight, DWORD style) {
  RECT rect{0, 0, clientWidth, clientHeight};
  AdjustWindowRect(&rect, style & ~(WS_HSCROLL | WS_VSCROLL), false);
  SIZE size{rect.right - rect.left, rect.bottom - rect.top};
  if (clientWidth < virtualWidth) size.cy += GetSystemMetrics(SM_CYHSCROLL);
  if (clientHeight < virtualHeight) size.cx += GetSystemMetrics(SM_CXVSCROLL);
  return size;
}

bool TDibWindow::Create() {
  if (!TWindow::Create()) return false;
  if (palette_ != nullptr) SetPalette(palette_);
  UpdateWindow();
  return true;
}

void TDibWindow::GetWindowClass(TWindowClass &classInfo) {
  TWindow::GetWindowClass(classInfo);
  classInfo.Style |= CS_OWNDC;
  classInfo.Background = background_;
}

void TDibWindow::SetupWindow() {
  TWindow::SetupWindow();
  windowDC_ = std::make_unique<TClientDC>(*this);
  deviceBits_ = windowDC_->GetDeviceCaps(BITSPIXEL);
  if (Scroller != nullptr) Scroller->SetSBarRange();
  if (palette_ != nullptr) SetPalette(palette_);
}

bool TDibWindow::Find(TEventInfo &info) {
  return SearchResponseTable(kDibWindowTable, info) || TWindow::Find(info);
}

void TDibWindow::SetPalette(TOPalette *palette) {
  if (palette == nullptr) return;
  palette_ = palette;
  if (windowDC_) palette_->SelectAndRealizeDC(*windowDC_);
  if (deviceBits_ == 8 && Picture() != nullptr) ApplyIndexTable(*Picture());
}

COLORREF TDibWindow::InitialFill(const TODib &picture) const {
  if (picture.BitsPerPixel() >= 24) return background_;
  HPALETTE palette = palette_ != nullptr && deviceBits_ == 8
                         ? static_cast<HPALETTE>(*palette_)
                         : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  return GetNearestPaletteIndex(palette, background_);
}

void TDibWindow::ApplyIndexTable(TODib &picture) const {
  if (picture.BitsPerPixel() <= 8) picture.SetColorMode(DIB_PAL_COLORS);
}

POINT TDibWindow::ScrollPosition() const {
  if (Scroller == nullptr) return POINT{};
  return POINT{static_cast<LONG>(Scroller->XPos), static_cast<LONG>(Scroller->YPos)};
}

void TDibWindow::Paint(TDC &dc, bool, RECT &rect) {
  const TODib *picture = Picture();
  if (picture == nullptr) return;
  const POINT scroll = ScrollPosition();
  const RECT source{rect.left + scroll.x, rect.top + scroll.y, rect.right + scroll.x,
                    rect.bottom + scroll.y};
  picture->Draw(dc, rect.left, rect.top, &source);
}

TDC *TDibWindow::BeginWindowDraw() {
  if (!windowDC_) return nullptr;
  SetFocus();
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  UpdateWindow();
  mode_ = kWindowDrawing;
  return windowDC_.get();
}

TDC *TDibWindow::UpdateBitmap() {
  TODib *picture = Picture();
  if (!windowDC_ || picture == nullptr) return nullptr;
  memoryDC_ = std::make_unique<TMemoryDC>(*windowDC_);
  if (palette_ != nullptr) palette_->SelectAndRealizeDC(*memoryDC_);
  memoryBitmap_ = std::make_unique<TBitmap>(virtualWidth_, virtualHeight_);
  memoryDC_->SelectObject(*memoryBitmap_);
  SetDIBits(*memoryDC_, *memoryBitmap_, 0, static_cast<UINT>(picture->Height()),
            picture->GetBits(), picture->GetInfo(), picture->Usage());
  mode_ = kMemoryDrawing;
  return memoryDC_.get();
}

void TDibWindow::ShowBitmap() {
  if (!windowDC_ || !memoryDC_) return;
  windowDC_->BitBlt(0, 0, virtualWidth_, virtualHeight_, *memoryDC_, 0, 0, SRCCOPY);
  windowDC_->Flush();
}

void TDibWindow::ShowDib() {
  TODib *picture = Picture();
  if (!windowDC_ || picture == nullptr) return;
  if (deviceBits_ == 8) ApplyIndexTable(*picture);
  const POINT scroll = ScrollPosition();
  picture->Draw(*windowDC_, -scroll.x, -scroll.y);
  windowDC_->Flush();
}

void TDibWindow::ShowDibRect(const RECT &rect) {
  TODib *picture = Picture();
  if (!windowDC_ || picture == nullptr || rect.right <= rect.left || rect.bottom <= rect.top) return;
  if (deviceBits_ == 8) ApplyIndexTable(*picture);
  const POINT scroll = ScrollPosition();
  picture->Draw(*windowDC_, rect.left - scroll.x, rect.top - scroll.y, &rect);
  windowDC_->Flush();
}

void TDibWindow::EndMemoryDrawing(bool show) {
  TODib *picture = Picture();
  if (memoryDC_ && memoryBitmap_ && picture != nullptr) {
    if (show) ShowBitmap();
    memoryDC_->RestoreBitmap();
    GetDIBits(*memoryDC_, *memoryBitmap_, 0, static_cast<UINT>(picture->Height()),
              picture->GetBits(), picture->GetInfo(), picture->Usage());
  }
  memoryDC_.reset();
  memoryBitmap_.reset();
}

void TDibWindow::EndWindowDrawing() {
  TODib *picture = Picture();
  if (windowDC_ && picture != nullptr) {
    // What was drawn on the screen becomes the picture.
    const RECT client = GetClientRect();
    TMemoryDC grab(*windowDC_);
    TBitmap copy(virtualWidth_, virtualHeight_);
    grab.SelectObject(copy);
    grab.BitBlt(0, 0, std::min<int>(client.right, virtualWidth_),
                std::min<int>(client.bottom, virtualHeight_), *windowDC_, 0, 0, SRCCOPY);
    grab.RestoreBitmap();
    GetDIBits(grab, copy, 0, static_cast<UINT>(picture->Height()), picture->GetBits(),
              picture->GetInfo(), picture->Usage());
  }
  SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TDibWindow::GrabClient(bool show) {
  switch (mode_) {
    case kPictureDrawing:
      if (show) ShowDib();
      break;
    case kWindowDrawing:
      EndWindowDrawing();
      break;
    case kMemoryDrawing:
      EndMemoryDrawing(show);
      break;
    default:
      break;
  }
  mode_ = kIdle;
}

void TDibWindow::SetVirtualSize(int newWidth, int newHeight) {
  virtualWidth_ = std::max(1, newWidth);
  virtualHeight_ = std::max(1, newHeight);
}

void TDibWindow::UpdateScrollRange() {
  if (Scroller == nullptr) return;
  // Showing or hiding a bar changes the client: settle in a few rounds.
  for (int round = 0; round < 4; ++round) {
    const RECT client = GetClientRect();
    const long rangeX = std::max<long>(0, virtualWidth_ - client.right);
    const long rangeY = std::max<long>(0, virtualHeight_ - client.bottom);
    if (round > 0 && rangeX == Scroller->XRange && rangeY == Scroller->YRange) break;
    Scroller->SetUnits(1, 1);
    Scroller->SetRange(rangeX, rangeY);
  }
}

void TDibWindow::EvSize(UINT sizeType, const SIZE &size) {
  TWindow::EvSize(sizeType, size);
  if (fitting_ || sizeType == SIZE_MINIMIZED || !IsWindow()) return;
  fitting_ = true;
  UpdateScrollRange();
  const RECT client = GetClientRect();
  const int dx = client.right - virtualWidth_;
  const int dy = client.bottom - virtualHeight_;
  const RECT outer = GetWindowRect();
  const int barX = GetSystemMetrics(SM_CXVSCROLL), barY = GetSystemMetrics(SM_CYHSCROLL);
  const bool barsShown = (GetStyle() & (WS_HSCROLL | WS_VSCROLL)) == (WS_HSCROLL | WS_VSCROLL);
  if (barsShown && dx == -barX && dy == -barY) {
    // Short only by the scroll bars: grow so that the picture fits and they go.
    SetWindowPos(nullptr, 0, 0, outer.Width() + barX, outer.Height() + barY,
                 SWP_NOMOVE | SWP_NOZORDER);
    UpdateScrollRange();
  } else if (dx > 0 || dy > 0) {
    // The window never shows more than the picture.
    SetWindowPos(nullptr, 0, 0, outer.Width() - std::max(0, dx), outer.Height() - std::max(0, dy),
                 SWP_NOMOVE | SWP_NOZORDER);
    UpdateScrollRange();
  }
  fitting_ = false;
}
