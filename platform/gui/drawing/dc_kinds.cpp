// The contexts that are not tied to a window: memory, caller's image, printer page, screen.
#include "platform/gui/drawing/dc_kinds.h"

#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/screen.h"

#include <algorithm>

namespace {

RECT WholeImage(const QImage *image) {
  return image ? RECT{0, 0, image->width(), image->height()} : RECT{};
}

}  // namespace

TMemoryDC::TMemoryDC() : TDC(nullptr, POINT{}, RECT{}) {
  ownBitmap_ = CreateBitmapOfSize(1, 1);
  SelectBitmap(ownBitmap_);
}

TMemoryDC::TMemoryDC(const TDC &) : TMemoryDC() {}

TMemoryDC::~TMemoryDC() {
  if (bitmap_) --bitmap_->selections;
  bitmap_ = nullptr;
  DeleteObject(ownBitmap_);
}

HBITMAP TMemoryDC::SelectBitmap(HBITMAP bitmap) {
  if (!bitmap) return nullptr;
  HBITMAP previous = bitmap_;
  if (bitmap_) --bitmap_->selections;
  bitmap_ = bitmap;
  ++bitmap_->selections;
  SetTarget(&bitmap_->image, POINT{}, WholeImage(&bitmap_->image));
  return previous;
}

void TMemoryDC::RestoreBitmap() { SelectBitmap(ownBitmap_); }

TImageDC::TImageDC(QImage *image, int logPixels) : TDC(image, POINT{}, WholeImage(image)) {
  logPixels_ = logPixels;
}

TPrintDC::TPrintDC(QImage *page, int dotsPerInch) : TDC(page, POINT{}, WholeImage(page)) {
  logPixels_ = dotsPerInch > 0 ? dotsPerInch : 96;
}

namespace {

RECT ScreenRect() {
  return RECT{0, 0, std::max(1, GetSystemMetrics(SM_CXSCREEN)),
              std::max(1, GetSystemMetrics(SM_CYSCREEN))};
}

}  // namespace

QImage &TScreenDC::ScreenImage() {
  static QImage screen;
  const RECT rect = ScreenRect();
  if (screen.isNull() || screen.width() != rect.right || screen.height() != rect.bottom) {
    screen = QImage(rect.right, rect.bottom, QImage::Format_RGB32);
    screen.fill(0xFFFFFFFFu);
  }
  return screen;
}

TScreenDC::TScreenDC() : TDC(nullptr, POINT{}, RECT{}) {
  SetTarget(&ScreenImage(), POINT{}, WholeImage(&ScreenImage()));
}

void TScreenDC::SyncTarget() {
  if (grabbed_) return;
  grabbed_ = true;
  const RECT rect = ScreenRect();
  const QImage picture = GrabScreen(rect);
  QImage &screen = ScreenImage();
  if (!picture.isNull()) screen = picture.convertToFormat(QImage::Format_RGB32);
  Retarget(&screen, POINT{}, WholeImage(&screen));
}

int TScreenDC::GetDeviceCaps(int index) const {
  const int depth = ScreenBitsPerPixel();
  switch (index) {
    case HORZRES:
      return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES:
      return GetSystemMetrics(SM_CYSCREEN);
    case BITSPIXEL:
      return depth;
    case RASTERCAPS:
      return RC_BITBLT | RC_DIBTODEV | RC_STRETCHBLT | (depth <= 8 ? RC_PALETTE : 0);
    case SIZEPALETTE:
      return depth <= 8 ? (1 << std::clamp(depth, 1, 8)) : 0;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return logPixels_;
    default:
      return TDC::GetDeviceCaps(index);
  }
}

HDC CreateCompatibleDC(HDC) { return (new TMemoryDC)->GetHDC(); }

BOOL DeleteDC(HDC dc) {
  if (!dc) return 0;
  delete TDC::FromHandle(dc);
  return 1;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  return CreateBitmapOfSize(width, height);
}
