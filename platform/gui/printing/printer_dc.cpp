#include "platform/gui/printing/printer_dc.h"

#include <cmath>

TPrinterDC::TPrinterDC(QImage *page, const TPageFormat &format)
    : TPrintDC(page, format.DotsPerInchY), format_(format) {}

TPrinterDC::TPrinterDC(TPrintedPage &page, const TPageFormat &format, bool textAndLinesApart)
    : TPrintDC(&page.picture, format.DotsPerInchY), format_(format),
      apart_(textAndLinesApart ? &page : nullptr) {
  designMetrics_ = textAndLinesApart;
}

bool TPrinterDC::TakeText(QPoint origin, double turnDegrees, QPoint baseline, const QFont &font,
                          std::uint32_t rgb, const QString &text, const QRect &clip) {
  if (apart_ == nullptr) return false;
  TPrintedText run;
  run.origin = origin;
  run.turnDegrees = turnDegrees;
  run.baseline = baseline;
  run.font = font;
  run.color = rgb;
  run.text = text;
  // Clip rectangles hold whole pixels: their far edges are the pixels' far sides.
  if (!clip.isNull()) run.clip = QRectF(clip.left(), clip.top(), clip.width(), clip.height());
  apart_->texts.push_back(std::move(run));
  return true;
}

bool TPrinterDC::TakeLine(QPoint from, QPoint to, int width, std::uint32_t rgb) {
  if (apart_ == nullptr) return false;
  // Pixel centres: a stroke one dot wide covers the dots a drawn line would.
  const QPointF half(0.5, 0.5);
  apart_->lines.push_back(TPrintedLine{QPointF(from) + half, QPointF(to) + half, static_cast<double>(width), rgb});
  return true;
}

int TPrinterDC::GetDeviceCaps(int index) const {
  switch (index) {
    case LOGPIXELSX:
      return format_.DotsPerInchX;
    case LOGPIXELSY:
      return format_.DotsPerInchY;
    case PHYSICALWIDTH:
      return format_.PaperWidth;
    case PHYSICALHEIGHT:
      return format_.PaperHeight;
    case PHYSICALOFFSETX:
      return format_.OffsetX;
    case PHYSICALOFFSETY:
      return format_.OffsetY;
    // Relative width, height and diagonal of a dot, as printer drivers give them: a dot
    // of a 600 x 300 dpi printer is half as wide as it is high (300 against 600).
    case ASPECTX:
      return format_.DotsPerInchY;
    case ASPECTY:
      return format_.DotsPerInchX;
    case ASPECTXY:
      return static_cast<int>(std::lround(std::hypot(format_.DotsPerInchX, format_.DotsPerInchY)));
    case RASTERCAPS: {
      const int caps = TPrintDC::GetDeviceCaps(RASTERCAPS);
      return format_.CanStretch ? caps : caps & ~RC_STRETCHBLT;
    }
    default:
      return TPrintDC::GetDeviceCaps(index);
  }
}

int Escape(TDC &dc, int escape, int, const void *, void *out) {
  auto *printer = dynamic_cast<TPrinterDC *>(&dc);
  if (printer == nullptr || escape != GETPHYSPAGESIZE || out == nullptr) return 0;
  auto *size = static_cast<POINT *>(out);
  size->x = printer->Format().PaperWidth;
  size->y = printer->Format().PaperHeight;
  return 1;
}
