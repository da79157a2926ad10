#include "platform/gui/dc.h"

#include "platform/gui/raster_ops.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Coordinates are kept well inside int range so that offsets and widths never overflow.
constexpr long long kCoordinateLimit = 1LL << 28;

int ClampCoordinate(long long v) {
  return static_cast<int>(std::clamp(v, -kCoordinateLimit, kCoordinateLimit));
}

QRect RectFromEdges(int left, int top, int right, int bottom) {
  // Right and bottom are exclusive.
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

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

TDC::TDC(QImage *image, POINT origin, const RECT &clipInImage) {
  Select(pen_, static_cast<decltype(pen_)>(GetStockObject(BLACK_PEN)));
  Select(brush_, static_cast<decltype(brush_)>(GetStockObject(WHITE_BRUSH)));
  Select(font_, static_cast<decltype(font_)>(GetStockObject(SYSTEM_FONT)));
  Select(palette_, static_cast<decltype(palette_)>(GetStockObject(DEFAULT_PALETTE)));
  SetTarget(image, origin, clipInImage);
}

TDC::~TDC() {
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(pen_), static_cast<HGDIOBJ>(brush_),
                         static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(palette_)}) {
    if (object) --object->selections;
  }
}

void TDC::SetTarget(QImage *image, POINT origin, const RECT &clipInImage) {
  image_ = (image && !image->isNull()) ? image : nullptr;
  origin_ = QPoint(origin.x, origin.y);
  baseClip_ =
      RectFromEdges(clipInImage.left, clipInImage.top, clipInImage.right, clipInImage.bottom);
  if (image_) {
    baseClip_ &= image_->rect();
  } else {
    baseClip_ = QRect();
  }
  hasSelectedClip_ = false;
  selectedClip_ = QRegion();
  RebuildClip();
}

void TDC::Retarget(QImage *image, POINT origin, const RECT &clipInImage) {
  QImage *target = (image && !image->isNull()) ? image : nullptr;
  QRect base =
      RectFromEdges(clipInImage.left, clipInImage.top, clipInImage.right, clipInImage.bottom);
  base = target ? (base & target->rect()) : QRect();
  const QPoint newOrigin(origin.x, origin.y);
  if (target == image_ && base == baseClip_ && newOrigin == origin_) return;
  if (hasSelectedClip_) selectedClip_.translate(newOrigin - origin_);
  image_ = target;
  origin_ = newOrigin;
  baseClip_ = base;
  RebuildClip();
}

template <class T>
void TDC::Select(T *&slot, T *object) {
  if (!object) return;
  if (slot) --slot->selections;
  slot = object;
  ++slot->selections;
}

HGDIOBJ TDC::SelectObject(HGDIOBJ object) {
  if (!object) return nullptr;
  switch (object->kind) {
    case GdiKind::Pen:
      return SelectObject(static_cast<HPEN>(object));
    case GdiKind::Brush:
      return SelectObject(static_cast<HBRUSH>(object));
    case GdiKind::Font:
      return SelectObject(static_cast<HFONT>(object));
    case GdiKind::Bitmap:
      return SelectBitmap(static_cast<HBITMAP>(object));
    case GdiKind::Region:
      SelectClipRgn(static_cast<HRGN>(object));
      return nullptr;
    case GdiKind::Palette:
      return SelectPalette(static_cast<HPALETTE>(object));
  }
  return nullptr;
}

HPEN TDC::SelectObject(HPEN pen) {
  HPEN previous = pen_;
  if (!pen) return nullptr;
  Select(pen_, pen);
  return previous;
}

HBRUSH TDC::SelectObject(HBRUSH brush) {
  HBRUSH previous = brush_;
  if (!brush) return nullptr;
  Select(brush_, brush);
  return previous;
}

HFONT TDC::SelectObject(HFONT font) {
  HFONT previous = font_;
  if (!font) return nullptr;
  Select(font_, font);
  return previous;
}

HPALETTE TDC::SelectPalette(HPALETTE palette, bool) {
  HPALETTE previous = palette_;
  if (!palette) return nullptr;
  Select(palette_, palette);
  return previous;
}

UINT TDC::RealizePalette() { return palette_ ? static_cast<UINT>(palette_->entries.size()) : 0; }

void TDC::RestorePen() { SelectObject(static_cast<HPEN>(GetStockObject(BLACK_PEN))); }
void TDC::RestoreBrush() { SelectObject(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))); }
void TDC::RestoreFont() { SelectObject(static_cast<HFONT>(GetStockObject(SYSTEM_FONT))); }
void TDC::RestorePalette() {
  SelectPalette(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
}
void TDC::RestoreObjects() {
  RestorePen();
  RestoreBrush();
  RestoreFont();
  RestorePalette();
}

COLORREF TDC::SetTextColor(COLORREF color) {
  const COLORREF previous = textColor_;
  textColor_ = color;
  return previous;
}

COLORREF TDC::SetBkColor(COLORREF color) {
  const COLORREF previous = bkColor_;
  bkColor_ = color;
  return previous;
}

int TDC::SetBkMode(int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  const int previous = bkMode_;
  bkMode_ = mode;
  return previous;
}

UINT TDC::SetTextAlign(UINT flags) {
  const UINT previous = textAlign_;
  textAlign_ = flags;
  return previous;
}

int TDC::SetROP2(int mode) {
  if (mode < R2_BLACK || mode > R2_WHITE) return 0;
  const int previous = rop2_;
  rop2_ = mode;
  return previous;
}

POINT TDC::SetViewportOrg(POINT origin) {
  const POINT previous = viewportOrg_;
  viewportOrg_ = POINT{ClampCoordinate(origin.x), ClampCoordinate(origin.y)};
  return previous;
}

POINT TDC::SetWindowOrg(POINT origin) {
  const POINT previous = windowOrg_;
  windowOrg_ = POINT{ClampCoordinate(origin.x), ClampCoordinate(origin.y)};
  return previous;
}

int TDC::GetDeviceCaps(int index) const {
  Sync();
  switch (index) {
    case HORZRES:
      return image_ ? baseClip_.width() : 0;
    case VERTRES:
      return image_ ? baseClip_.height() : 0;
    case BITSPIXEL:
      return 32;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return -1;
    case RASTERCAPS:
      return RC_BITBLT | RC_DIBTODEV | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return logPixels_;
    case SIZEPALETTE:
      return 0;
    default:
      return 0;
  }
}

COLORREF TDC::GetNearestColor(COLORREF color) const { return ColorOfPixel(Resolve(color)); }

QPoint TDC::ToImage(int x, int y) const {
  long long ix = static_cast<long long>(x) - windowOrg_.x;
  long long iy = static_cast<long long>(y) - windowOrg_.y;
  if (mapMode_ != MM_TEXT) {
    const double limit = static_cast<double>(kCoordinateLimit);
    ix = std::llround(std::clamp(static_cast<double>(ix) * ScaleX(), -limit, limit));
    iy = std::llround(std::clamp(static_cast<double>(iy) * ScaleY(), -limit, limit));
  }
  ix += static_cast<long long>(viewportOrg_.x) + origin_.x();
  iy += static_cast<long long>(viewportOrg_.y) + origin_.y();
  return QPoint(ClampCoordinate(ix), ClampCoordinate(iy));
}

QRect TDC::ImageRect(int left, int top, int right, int bottom) const {
  const QPoint a = ToImage(left, top);
  const QPoint b = ToImage(right, bottom);
  const int l = std::min(a.x(), b.x()), r = std::max(a.x(), b.x());
  const int t = std::min(a.y(), b.y()), btm = std::max(a.y(), b.y());
  if (r <= l || btm <= t) return QRect();
  return RectFromEdges(l, t, r, btm);
}

double TDC::ScaleX() const {
  if (mapMode_ == MM_TEXT) return 1.0;
  const double sx = static_cast<double>(viewportExt_.cx) / windowExt_.cx;
  if (mapMode_ != MM_ISOTROPIC) return sx;
  const double sy = static_cast<double>(viewportExt_.cy) / windowExt_.cy;
  return std::copysign(std::min(std::fabs(sx), std::fabs(sy)), sx);
}

double TDC::ScaleY() const {
  if (mapMode_ == MM_TEXT) return 1.0;
  const double sy = static_cast<double>(viewportExt_.cy) / windowExt_.cy;
  if (mapMode_ != MM_ISOTROPIC) return sy;
  const double sx = static_cast<double>(viewportExt_.cx) / windowExt_.cx;
  return std::copysign(std::min(std::fabs(sx), std::fabs(sy)), sy);
}

int TDC::DevicePenWidth() const {
  const long width = pen_->logPen.lopnWidth.x;
  if (width <= 0) return 0;
  const double scaled = std::fabs(width * ScaleX());
  return static_cast<int>(std::clamp(std::lround(scaled), 1L, 1L << 16));
}

int TDC::SetMapMode(int mode) {
  if (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) return 0;
  const int previous = mapMode_;
  mapMode_ = mode;
  return previous;
}

SIZE TDC::SetWindowExt(SIZE extent) {
  const SIZE previous = windowExt_;
  if (extent.cx != 0 && extent.cy != 0) windowExt_ = extent;
  return previous;
}

SIZE TDC::SetViewportExt(SIZE extent) {
  const SIZE previous = viewportExt_;
  if (extent.cx != 0 && extent.cy != 0) viewportExt_ = extent;
  return previous;
}

void TDC::LPtoDP(POINT *points, int count) const {
  const QPoint shift(origin_);
  for (int i = 0; points && i < count; ++i) {
    const QPoint p = ToImage(points[i].x, points[i].y) - shift;
    points[i] = POINT{p.x(), p.y()};
  }
}

void TDC::DPtoLP(POINT *points, int count) const {
  for (int i = 0; points && i < count; ++i) {
    const double dx = static_cast<double>(points[i].x) - viewportOrg_.x;
    const double dy = static_cast<double>(points[i].y) - viewportOrg_.y;
    const double limit = static_cast<double>(kCoordinateLimit);
    points[i].x = static_cast<LONG>(std::llround(std::clamp(dx / ScaleX(), -limit, limit)) + windowOrg_.x);
    points[i].y = static_cast<LONG>(std::llround(std::clamp(dy / ScaleY(), -limit, limit)) + windowOrg_.y);
  }
}

std::uint32_t TDC::Resolve(COLORREF color) const {
  switch (color >> 24) {
    case 0x01: {
      const int index = static_cast<int>(color & 0xFFFF);
      const bool inside = palette_ && index < static_cast<int>(palette_->entries.size());
      return PixelOfColor(PaletteEntryColor(palette_, inside ? index : 0));
    }
    default:
      return PixelOfColor(color & 0xFFFFFFu);
  }
}

void TDC::RebuildClip() {
  clip_ = QRegion(baseClip_);
  if (hasSelectedClip_) clip_ &= selectedClip_;
  clipBounds_ = clip_.boundingRect();
  clipIsRect_ = clip_.rectCount() <= 1;
}

bool TDC::InClip(int ix, int iy) const {
  if (!clipBounds_.contains(ix, iy)) return false;
  return clipIsRect_ || clip_.contains(QPoint(ix, iy));
}

void TDC::MarkDirty(const QRect &rect) { dirty_ |= (rect & clipBounds_); }

void TDC::Plot(int ix, int iy, std::uint32_t rgb, int rop2) {
  if (!InClip(ix, iy)) return;
  auto *line = reinterpret_cast<std::uint32_t *>(image_->scanLine(iy));
  line[ix] = 0xFF000000u | (MixRop2(rop2, rgb, line[ix]) & 0xFFFFFFu);
  dirty_ |= QRect(ix, iy, 1, 1);
}

int TDC::SelectClipRgn(HRGN region) {
  Sync();
  if (!region) {
    hasSelectedClip_ = false;
    selectedClip_ = QRegion();
  } else {
    hasSelectedClip_ = true;
    selectedClip_ = region->region.translated(origin_);
  }
  RebuildClip();
  if (clip_.isEmpty()) return NULLREGION;
  return clipIsRect_ ? SIMPLEREGION : COMPLEXREGION;
}

int TDC::IntersectClipRect(const RECT &rect) {
  Sync();
  const QRegion area(ImageRect(rect.left, rect.top, rect.right, rect.bottom));
  selectedClip_ = (hasSelectedClip_ ? selectedClip_ : QRegion(baseClip_)) & area;
  hasSelectedClip_ = true;
  RebuildClip();
  if (clip_.isEmpty()) return NULLREGION;
  return clipIsRect_ ? SIMPLEREGION : COMPLEXREGION;
}

int TDC::GetClipBox(RECT *box) const {
  Sync();
  if (box) {
    *box = RECT{};
    if (!clipBounds_.isEmpty()) {
      POINT corners[2] = {{clipBounds_.left() - origin_.x(), clipBounds_.top() - origin_.y()},
                          {clipBounds_.right() + 1 - origin_.x(),
                           clipBounds_.bottom() + 1 - origin_.y()}};
      DPtoLP(corners, 2);
      *box = RECT{std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
                  std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)};
    }
  }
  if (clip_.isEmpty()) return NULLREGION;
  return clipIsRect_ ? SIMPLEREGION : COMPLEXREGION;
}

bool TDC::PtVisible(int x, int y) const {
  Sync();
  const QPoint p = ToImage(x, y);
  return InClip(p.x(), p.y());
}

bool TDC::RectVisible(const RECT &rect) const {
  Sync();
  const QRect area = ImageRect(rect.left, rect.top, rect.right, rect.bottom);
  return !area.isEmpty() && clip_.intersects(area);
}

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

void TDC::DrawWideSegment(QPoint from, QPoint to, std::uint32_t rgb, int width) {
  QRect box = QRect(from, to).normalized().adjusted(-width, -width, width, width);
  box &= clipBounds_.adjusted(-width, -width, width, width);
  if (box.isEmpty()) return;
  QImage mask(box.size(), QImage::Format_ARGB32);
  mask.fill(0u);
  {
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(255, 255, 255), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.translate(-box.topLeft());
    painter.drawLine(from, to);
  }
  FillMaskedArea(mask, box.topLeft(), rgb, rop2_);
}

BOOL TDC::LineTo(int x, int y) {
  Sync();
  const QPoint from = ToImage(current_.x, current_.y);
  const QPoint to = ToImage(x, y);
  current_ = POINT{x, y};
  if (!image_) return 1;
  const LOGPEN &pen = pen_->logPen;
  if (pen.lopnStyle == PS_NULL) return 1;
  const int width = DevicePenWidth();
  if (width <= 1) {
    DrawCosmeticLine(from, to, Resolve(pen.lopnColor), Resolve(bkColor_), pen);
  } else {
    DrawWideSegment(from, to, Resolve(pen.lopnColor), width);
  }
  return 1;
}

BOOL TDC::Polyline(const POINT *points, int count) {
  if (!points || count < 2) return 0;
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
        painter.drawPolygon(polygon, Qt::OddEvenFill);
      }
      FillMaskedArea(mask, box.topLeft(), Resolve(brush_->logBrush.lbColor), rop2_);
    }
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
    const std::uint32_t rgb = Resolve(brush_->logBrush.lbColor);
    for (const QRect &r : (clip_ & inner)) {
      for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) Plot(x, y, rgb, rop2_);
      }
    }
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
  const QRegion frame = QRegion(outer) - QRegion(inner);
  for (const QRect &r : (clip_ & frame)) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      for (int x = r.left(); x <= r.right(); ++x) Plot(x, y, rgb, rop2_);
    }
  }
  return 1;
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
  if (area.isEmpty()) return 1;
  for (const QRect &r : (clip_ & area)) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      for (int x = r.left(); x <= r.right(); ++x) Plot(x, y, 0, R2_NOT);
    }
  }
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
