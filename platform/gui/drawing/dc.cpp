#include "platform/gui/drawing/dc.h"

#include "platform/gui/drawing/dc_geometry.h"
#include "platform/gui/drawing/dc_spans.h"
#include "platform/gui/drawing/raster_ops.h"

#include <algorithm>
#include <cmath>

using dc_geometry::ClampCoordinate;
using dc_geometry::kCoordinateLimit;
using dc_geometry::RectFromEdges;

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
  for (const TSavedState &state : savedStates_) {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(state.Pen), static_cast<HGDIOBJ>(state.Brush),
                           static_cast<HGDIOBJ>(state.Font), static_cast<HGDIOBJ>(state.Palette)}) {
      if (object) --object->selections;
    }
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
      return image_ ? DeviceSize().cx : 0;
    case VERTRES:
      return image_ ? DeviceSize().cy : 0;
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
    const long long x = std::llround(std::clamp(dx / ScaleX(), -limit, limit)) + windowOrg_.x;
    const long long y = std::llround(std::clamp(dy / ScaleY(), -limit, limit)) + windowOrg_.y;
    points[i].x = ClampCoordinate(x);
    points[i].y = ClampCoordinate(y);
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
