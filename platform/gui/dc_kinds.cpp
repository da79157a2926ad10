// The contexts that are not tied to a window: memory, caller's image, printer page, screen.
#include "platform/gui/dc.h"

#include <QGuiApplication>
#include <QScreen>

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

TScreenDC::TScreenDC() : TDC(&ScreenImage(), POINT{}, WholeImage(&ScreenImage())) {}
