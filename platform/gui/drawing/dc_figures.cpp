// Lines, figures, pixels and fills of a device context, done on raw pixels so that the
// classic pixel rules hold: a line omits its end point, mix modes apply bit by bit, and
// styled pens keep their dash phase along a figure.
#include "platform/gui/drawing/dc.h"

#include "platform/gui/drawing/dc_geometry.h"
#include "platform/gui/drawing/dc_spans.h"
#include "platform/gui/drawing/raster_ops.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cstdlib>

using dc_geometry::RectFromEdges;

namespace {

// Dash patterns of the styled cosmetic pens in pixels: on, off, on, off ...
struct DashPattern {
  int lengths[6];
  int count;
  int total;
};

const DashPattern *PatternOf(UINT style) {
  static const DashPattern kDash{{18, 6}, 2, 24};
  static const DashPattern kDot{{3, 3}, 2, 6};
  static const DashPattern kDashDot{{9, 6, 3, 6}, 4, 24};
  static const DashPattern kDashDotDot{{9, 3, 3, 3, 3, 3}, 6, 24};
  switch (style) {
    case PS_DASH:
      return &kDash;
    case PS_DOT:
      return &kDot;
    case PS_DASHDOT:
      return &kDashDot;
    case PS_DASHDOTDOT:
      return &kDashDotDot;
    default:
      return nullptr;
  }
}

bool PatternOn(const DashPattern &pattern, long long phase) {
  int position = static_cast<int>(phase % pattern.total);
  for (int i = 0; i < pattern.count; ++i) {
    if (position < pattern.lengths[i]) return (i % 2) == 0;
    position -= pattern.lengths[i];
  }
  return false;
}

}  // namespace

BOOL TDC::MoveTo(int x, int y, POINT *previous) {
  if (previous) *previous = current_;
  current_ = POINT{x, y};
  stylePhase_ = 0;
  return 1;
}

void TDC::DrawCosmeticLine(QPoint from, QPoint to, std::uint32_t rgb, std::uint32_t bkRgb,
                           const LOGPEN &pen) {
  const long long dx = static_cast<long long>(to.x()) - from.x();
  const long long dy = static_cast<long long>(to.y()) - from.y();
  const long long adx = std::llabs(dx);
  const long long ady = std::llabs(dy);
  const long long steps = std::max(adx, ady);  // the end point itself is not drawn
  const DashPattern *pattern = PatternOf(pen.lopnStyle);
  const long long phase0 = stylePhase_;
  stylePhase_ = pattern ? static_cast<int>((phase0 + steps) % pattern->total) : 0;
  if (steps == 0 || !image_ || clipBounds_.isEmpty()) return;
  const bool xMajor = adx >= ady;
  const int majorFrom = xMajor ? from.x() : from.y();
  const int majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int minorFrom = xMajor ? from.y() : from.x();
  const int minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const long long majorLength = xMajor ? adx : ady;
  const long long minorLength = xMajor ? ady : adx;
  // Only the steps whose major coordinate can lie inside the clip are visited, so a line
  // far outside the image costs nothing.
  const int lowClip = xMajor ? clipBounds_.left() : clipBounds_.top();
  const int highClip = xMajor ? clipBounds_.right() : clipBounds_.bottom();
  long long first = 0;
  long long last = steps - 1;
  if (majorSign > 0) {
    first = std::max(first, static_cast<long long>(lowClip) - majorFrom);
    last = std::min(last, static_cast<long long>(highClip) - majorFrom);
  } else {
    first = std::max(first, static_cast<long long>(majorFrom) - highClip);
    last = std::min(last, static_cast<long long>(majorFrom) - lowClip);
  }
  for (long long i = first; i <= last; ++i) {
    const long long minorOffset = (2 * i * minorLength + majorLength) / (2 * majorLength);
    const int major = static_cast<int>(majorFrom + majorSign * i);
    const int minor = static_cast<int>(minorFrom + minorSign * minorOffset);
    const int px = xMajor ? major : minor;
    const int py = xMajor ? minor : major;
    if (!pattern || PatternOn(*pattern, phase0 + i)) {
      Plot(px, py, rgb, rop2_);
    } else if (bkMode_ == OPAQUE) {
      Plot(px, py, bkRgb, rop2_);
    }
  }
}

void TDC::FillMaskedArea(const QImage &mask, QPoint topLeft, std::uint32_t rgb, int rop2) {
  const QRect area = QRect(topLeft, mask.size()) & clipBounds_;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const auto *maskLine =
        reinterpret_cast<const std::uint32_t *>(mask.constScanLine(y - topLeft.y()));
    for (int x = area.left(); x <= area.right(); ++x) {
      if ((maskLine[x - topLeft.x()] >> 24) != 0) Plot(x, y, rgb, rop2);
    }
  }
}

dc_spans::TSpanList &TDC::SpanBuffer() {
  // Kept between figures so that drawing a line allocates nothing once warmed up.
  if (spanBuffer_ == nullptr) spanBuffer_ = std::make_unique<dc_spans::TSpanList>();
  return *spanBuffer_;
}

void TDC::MixSpans(const dc_spans::TSpanList &spans, std::uint32_t rgb, int rop2) {
  for (const dc_spans::TSpan &span : spans.Spans()) {
    if (span.Y < clipBounds_.top() || span.Y > clipBounds_.bottom()) continue;
    const int left = std::max(span.Left, clipBounds_.left());
    const int right = std::min(span.Right, clipBounds_.right());
    if (right < left) continue;
    auto *line = reinterpret_cast<std::uint32_t *>(image_->scanLine(span.Y));
    if (clipIsRect_ && rop2 == R2_COPYPEN) {
      std::fill(line + left, line + right + 1, rgb);
    } else if (clipIsRect_) {
      for (int x = left; x <= right; ++x) {
        line[x] = 0xFF000000u | (MixRop2(rop2, rgb, line[x]) & 0xFFFFFFu);
      }
    } else {
      for (int x = left; x <= right; ++x) {
        if (clip_.contains(QPoint(x, span.Y))) {
          line[x] = 0xFF000000u | (MixRop2(rop2, rgb, line[x]) & 0xFFFFFFu);
        }
      }
    }
    dirty_ |= QRect(left, span.Y, right - left + 1, 1);
  }
}

void TDC::DrawWideSegment(QPoint from, QPoint to, std::uint32_t rgb, int width) {
  dc_spans::TSpanList &spans = SpanBuffer();
  spans.Clear();
  spans.AddWideSegment(from.x(), from.y(), to.x(), to.y(), width, clipBounds_);
  spans.Merge();
  MixSpans(spans, rgb, rop2_);
}

void TDC::DrawWidePath(const POINT *points, int count, bool closed, std::uint32_t rgb,
                       int width) {
  dc_spans::TSpanList &spans = SpanBuffer();
  spans.Clear();
  QPoint previous = ToImage(points[0].x, points[0].y);
  const QPoint first = previous;
  for (int i = 1; i <= count; ++i) {
    if (i == count && !closed) break;
    const QPoint next = i < count ? ToImage(points[i].x, points[i].y) : first;
    spans.AddWideSegment(previous.x(), previous.y(), next.x(), next.y(), width, clipBounds_);
    previous = next;
  }
  // The joints, where neighbouring segments overlap, are mixed once.
  spans.Merge();
  MixSpans(spans, rgb, rop2_);
}

BOOL TDC::LineTo(int x, int y) {
  Sync();
  const QPoint from = ToImage(current_.x, current_.y);
  const QPoint to = ToImage(x, y);
  current_ = POINT{x, y};
  if (!image_) return 1;
  const LOGPEN &pen = pen_->logPen;
  if (pen.lopnStyle == PS_NULL) return 1;
  if (PassLine(from, to)) return 1;
  const int width = DevicePenWidth();
  if (width <= 1) {
    DrawCosmeticLine(from, to, Resolve(pen.lopnColor), Resolve(bkColor_), pen);
  } else {
    DrawWideSegment(from, to, Resolve(pen.lopnColor), width);
  }
  return 1;
}

bool TDC::PassLine(QPoint from, QPoint to) {
  const LOGPEN &pen = pen_->logPen;
  // Only what a stroke on paper shows alike: a solid pen drawn plainly, unclipped.
  if (pen.lopnStyle != PS_SOLID || rop2_ != R2_COPYPEN || hasSelectedClip_) return false;
  return TakeLine(from, to, std::max(1, DevicePenWidth()), Resolve(pen.lopnColor));
}

BOOL TDC::Polyline(const POINT *points, int count) {
  if (!points || count < 2) return 0;
  Sync();
  if (image_ && pen_->logPen.lopnStyle != PS_NULL && DevicePenWidth() > 1) {
    if (PassLine(ToImage(points[0].x, points[0].y), ToImage(points[1].x, points[1].y))) {
      for (int i = 2; i < count; ++i)
        PassLine(ToImage(points[i - 1].x, points[i - 1].y), ToImage(points[i].x, points[i].y));
      return 1;
    }
    DrawWidePath(points, count, false, Resolve(pen_->logPen.lopnColor), DevicePenWidth());
    return 1;
  }
  const POINT saved = current_;
  MoveTo(points[0].x, points[0].y);
  for (int i = 1; i < count; ++i) LineTo(points[i].x, points[i].y);
  current_ = saved;
  return 1;
}

BOOL TDC::Polygon(const POINT *points, int count) {
  Sync();
  if (!points || count < 2) return 0;
  if (image_ && brush_->logBrush.lbStyle != BS_NULL && count >= 3) {
    QPolygon polygon;
    for (int i = 0; i < count; ++i) polygon << ToImage(points[i].x, points[i].y);
    const QRect box = polygon.boundingRect() & clipBounds_;
    if (!box.isEmpty()) {
      QImage mask(box.size(), QImage::Format_ARGB32);
      mask.fill(0u);
      {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255));
        painter.translate(-box.topLeft());
        painter.drawPolygon(polygon,
                            polyFillMode_ == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
      }
      FillMaskedArea(mask, box.topLeft(), Resolve(brush_->logBrush.lbColor), rop2_);
    }
  }
  if (image_ && pen_->logPen.lopnStyle != PS_NULL && DevicePenWidth() > 1) {
    DrawWidePath(points, count, true, Resolve(pen_->logPen.lopnColor), DevicePenWidth());
    return 1;
  }
  const POINT saved = current_;
  MoveTo(points[0].x, points[0].y);
  for (int i = 1; i < count; ++i) LineTo(points[i].x, points[i].y);
  LineTo(points[0].x, points[0].y);
  current_ = saved;
  return 1;
}

BOOL TDC::Rectangle(int left, int top, int right, int bottom) {
  Sync();
  if (!image_) return 1;
  const QRect figure = ImageRect(left, top, right, bottom);
  if (figure.isEmpty()) return 1;
  const QPoint a = figure.topLeft();
  const QPoint b = figure.bottomRight() + QPoint(1, 1);
  const LOGPEN &pen = pen_->logPen;
  const bool hasPen = pen.lopnStyle != PS_NULL;
  const int width = std::max(1, DevicePenWidth());
  const bool hasBrush = brush_->logBrush.lbStyle != BS_NULL;
  // Without a pen the figure is one pixel smaller on the right and bottom.
  QRect outer = hasPen ? RectFromEdges(a.x(), a.y(), b.x(), b.y())
                       : RectFromEdges(a.x(), a.y(), b.x() - 1, b.y() - 1);
  if (hasPen && width > 1 && pen.lopnStyle != PS_INSIDEFRAME) {
    const int before = width / 2;
    outer.adjust(-before, -before, width - 1 - before, width - 1 - before);
  }
  if (outer.isEmpty()) return 1;
  const int band = hasPen ? width : 0;
  const QRect inner = outer.adjusted(band, band, -band, -band);
  if (hasBrush && !inner.isEmpty()) {
    MixRegion(QRegion(inner), Resolve(brush_->logBrush.lbColor), rop2_);
  }
  if (!hasPen) return 1;
  if (width <= 1) {
    const int l = outer.left(), t = outer.top(), r = outer.right(), btm = outer.bottom();
    const std::uint32_t rgb = Resolve(pen.lopnColor);
    const std::uint32_t bk = Resolve(bkColor_);
    stylePhase_ = 0;
    DrawCosmeticLine(QPoint(l, t), QPoint(r, t), rgb, bk, pen);
    DrawCosmeticLine(QPoint(r, t), QPoint(r, btm), rgb, bk, pen);
    DrawCosmeticLine(QPoint(r, btm), QPoint(l, btm), rgb, bk, pen);
    DrawCosmeticLine(QPoint(l, btm), QPoint(l, t), rgb, bk, pen);
    if (l == r && t == btm) Plot(l, t, rgb, rop2_);
    return 1;
  }
  const std::uint32_t rgb = Resolve(pen.lopnColor);
  MixRegion(QRegion(outer) - QRegion(inner), rgb, rop2_);
  return 1;
}

void TDC::MixRegion(const QRegion &region, std::uint32_t rgb, int rop2) {
  if (rop2 == R2_COPYPEN) {
    FillImageRegion(region, rgb);
    return;
  }
  for (const QRect &r : (clip_ & region)) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      auto *line = reinterpret_cast<std::uint32_t *>(image_->scanLine(y));
      for (int x = r.left(); x <= r.right(); ++x) {
        line[x] = 0xFF000000u | (MixRop2(rop2, rgb, line[x]) & 0xFFFFFFu);
      }
    }
    dirty_ |= r;
  }
}

COLORREF TDC::SetPixel(int x, int y, COLORREF color) {
  Sync();
  const QPoint p = ToImage(x, y);
  if (!image_ || !InClip(p.x(), p.y())) return CLR_INVALID;
  const std::uint32_t rgb = Resolve(color);
  Plot(p.x(), p.y(), rgb, R2_COPYPEN);
  return ColorOfPixel(rgb);
}

COLORREF TDC::GetPixel(int x, int y) const {
  Sync();
  const QPoint p = ToImage(x, y);
  if (!image_ || !InClip(p.x(), p.y())) return CLR_INVALID;
  return ColorOfPixel(image_->pixel(p));
}

void TDC::FillImageRegion(const QRegion &region, std::uint32_t rgb) {
  for (const QRect &r : (clip_ & region)) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      auto *line = reinterpret_cast<std::uint32_t *>(image_->scanLine(y));
      std::fill(line + r.left(), line + r.right() + 1, rgb);
    }
    dirty_ |= r;
  }
}

void TDC::FillImageRect(const QRect &rect, std::uint32_t rgb) {
  FillImageRegion(QRegion(rect), rgb);
}

BOOL TDC::FillRect(const RECT &rect, HBRUSH brush) {
  Sync();
  if (!brush) return 0;
  if (!image_ || brush->logBrush.lbStyle == BS_NULL) return 1;
  const QRect area = ImageRect(rect.left, rect.top, rect.right, rect.bottom);
  if (!area.isEmpty()) FillImageRect(area, Resolve(brush->logBrush.lbColor));
  return 1;
}

BOOL TDC::FrameRect(const RECT &rect, HBRUSH brush) {
  Sync();
  if (!brush) return 0;
  if (!image_ || brush->logBrush.lbStyle == BS_NULL) return 1;
  const QRect outer = ImageRect(rect.left, rect.top, rect.right, rect.bottom);
  if (outer.isEmpty()) return 1;
  FillImageRegion(QRegion(outer) - QRegion(outer.adjusted(1, 1, -1, -1)),
                  Resolve(brush->logBrush.lbColor));
  return 1;
}

BOOL TDC::InvertRect(const RECT &rect) {
  Sync();
  if (!image_) return 1;
  const QRect area = ImageRect(rect.left, rect.top, rect.right, rect.bottom);
  if (!area.isEmpty()) MixRegion(QRegion(area), 0, R2_NOT);
  return 1;
}

BOOL TDC::FillRgn(HRGN region, HBRUSH brush) {
  Sync();
  if (!region || !brush) return 0;
  if (!image_ || brush->logBrush.lbStyle == BS_NULL) return 1;
  QRegion area;
  if (mapMode_ == MM_TEXT) {
    area = region->region.translated(ToImage(0, 0));
  } else {
    // Each rectangle of the region is mapped like any logical rectangle.
    for (const QRect &r : region->region) {
      area += ImageRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    }
  }
  FillImageRegion(area, Resolve(brush->logBrush.lbColor));
  return 1;
}

BOOL TDC::PaintRgn(HRGN region) { return FillRgn(region, brush_); }

BOOL TDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
  Sync();
  if (!image_) return 1;
  const QRect area = ImageRect(x, y, x + width, y + height);
  const std::uint32_t pattern =
      brush_->logBrush.lbStyle == BS_NULL ? 0u : Resolve(brush_->logBrush.lbColor);
  for (const QRect &r : (clip_ & area)) {
    for (int row = r.top(); row <= r.bottom(); ++row) {
      auto *line = reinterpret_cast<std::uint32_t *>(image_->scanLine(row));
      for (int col = r.left(); col <= r.right(); ++col) {
        line[col] = 0xFF000000u | (MixRop3(rop, pattern, 0, line[col]) & 0xFFFFFFu);
      }
    }
    dirty_ |= r;
  }
  return 1;
}
