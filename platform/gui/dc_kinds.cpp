// The contexts that are not tied to a window: memory, caller's image, printer page, screen.
#include "platform/gui/dc_kinds.h"

#include <QGuiApplication>
#include <QScreen>

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

QImage (*screenGrab)() = nullptr;
int (*screenDepth)() = nullptr;

}  // namespace

void TScreenDC::SetScreenSource(QImage (*grab)(), int (*bitsPerPixel)()) {
  screenGrab = grab;
  screenDepth = bitsPerPixel;
}

QImage &TScreenDC::ScreenImage() {
  static QImage screen;
  if (screen.isNull()) {
    QSize size(1024, 768);
    if (QGuiApplication::instance()) {
      if (const QScreen *primary = QGuiApplication::primaryScreen()) {
        size = primary->geometry().size();
      }
    }
    screen = QImage(size, QImage::Format_RGB32);
    screen.fill(0xFFFFFFFFu);
  }
  return screen;
}

TScreenDC::TScreenDC() : TDC(nullptr, POINT{}, RECT{}) {
  if (screenGrab) {
    const QImage picture = screenGrab();
    if (!picture.isNull()) ScreenImage() = picture.convertToFormat(QImage::Format_RGB32);
  }
  SetTarget(&ScreenImage(), POINT{}, WholeImage(&ScreenImage()));
}

int TScreenDC::GetDeviceCaps(int index) const {
  const int depth = screenDepth ? screenDepth() : 32;
  switch (index) {
    case BITSPIXEL:
      return depth;
    case RASTERCAPS:
      return TDC::GetDeviceCaps(index) | (depth <= 8 ? RC_PALETTE : 0);
    case SIZEPALETTE:
      return depth <= 8 ? (1 << std::max(depth, 1)) : 0;
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
