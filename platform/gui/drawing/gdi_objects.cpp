#include "platform/gui/drawing/gdi_objects.h"

#include "platform/core/font_faces.h"

#include <cstdio>

#include <QPolygon>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int kMaxPaletteEntries = 65535;
// A bitmap larger than this many pixels is refused rather than risking an allocation the
// machine cannot satisfy (and an int overflow in the row arithmetic).
constexpr long long kMaxBitmapPixels = 1LL << 28;

HGDIOBJ MakeStock(int index) {
  switch (index) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH: {
      static const COLORREF kColors[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                                         RGB(64, 64, 64),    RGB(0, 0, 0),       0};
      auto *brush = new HBRUSH__;
      brush->logBrush.lbStyle = index == NULL_BRUSH ? BS_NULL : BS_SOLID;
      brush->logBrush.lbColor = kColors[index];
      return brush;
    }
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN: {
      auto *pen = new HPEN__;
      pen->logPen.lopnStyle = index == NULL_PEN ? PS_NULL : PS_SOLID;
      pen->logPen.lopnWidth.x = 1;
      pen->logPen.lopnColor = index == WHITE_PEN ? RGB(255, 255, 255) : RGB(0, 0, 0);
      return pen;
    }
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT: {
      auto *font = new HFONT__;
      const bool fixed = index != ANSI_VAR_FONT && index != SYSTEM_FONT;
      font->logFont.lfHeight = index == ANSI_VAR_FONT ? 13 : 16;
      font->logFont.lfWeight = index == SYSTEM_FONT ? FW_BOLD : FW_NORMAL;
      font->logFont.lfPitchAndFamily =
          fixed ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_SWISS);
      return font;
    }
    case SYSTEM_FIXED_FONT:
    case DEFAULT_GUI_FONT: {
      // The fixed face text editors use, and the 8-point sans face of dialogs and bars.
      auto *font = new HFONT__;
      const bool fixed = index == SYSTEM_FIXED_FONT;
      font->logFont.lfHeight = fixed ? 16 : -11;
      font->logFont.lfWeight = FW_NORMAL;
      font->logFont.lfPitchAndFamily = fixed ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_SWISS);
      if (!fixed) std::snprintf(font->logFont.lfFaceName, sizeof(font->logFont.lfFaceName), "%s", kFaceSansSerif);
      return font;
    }
    case DEFAULT_PALETTE: {
      // The 16 colours every display shows, in the usual order.
      static const COLORREF kColors[16] = {
          RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
          RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
          RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
          RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
      auto *palette = new HPALETTE__;
      for (COLORREF c : kColors) {
        palette->entries.push_back(PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0});
      }
      return palette;
    }
    default:
      return nullptr;
  }
}

template <class T>
T *NewObject() {
  return new (std::nothrow) T;
}

}  // namespace

HPEN CreatePen(int style, int width, COLORREF color) {
  LOGPEN logPen;
  logPen.lopnStyle = static_cast<UINT>(style);
  logPen.lopnWidth.x = width;
  logPen.lopnColor = color;
  return CreatePenIndirect(logPen);
}

HPEN CreatePenIndirect(const LOGPEN &logPen) {
  if (logPen.lopnStyle > PS_INSIDEFRAME) return nullptr;
  HPEN pen = NewObject<HPEN__>();
  if (pen) {
    pen->logPen = logPen;
    if (pen->logPen.lopnWidth.x < 0) pen->logPen.lopnWidth.x = -pen->logPen.lopnWidth.x;
  }
  return pen;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  LOGBRUSH logBrush;
  logBrush.lbColor = color;
  return CreateBrushIndirect(logBrush);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH &logBrush) {
  HBRUSH brush = NewObject<HBRUSH__>();
  if (brush) {
    brush->logBrush = logBrush;
    // Hatched and pattern brushes are not drawn here; they paint as their solid colour.
    if (brush->logBrush.lbStyle != BS_NULL) brush->logBrush.lbStyle = BS_SOLID;
  }
  return brush;
}

HFONT CreateFontIndirect(const LOGFONT &logFont) {
  HFONT font = NewObject<HFONT__>();
  if (font) {
    font->logFont = logFont;
    font->logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
  }
  return font;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  HRGN region = NewObject<HRGN__>();
  if (region) {
    const int l = std::min(left, right);
    const int t = std::min(top, bottom);
    const int r = std::max(left, right);
    const int b = std::max(top, bottom);
    if (r > l && b > t) region->region = QRegion(l, t, r - l, b - t);
  }
  return region;
}

HRGN CreateRectRgnIndirect(const RECT &rect) {
  return CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom);
}

HRGN CreatePolygonRgn(const POINT *points, int count, int fillMode) {
  HRGN region = NewObject<HRGN__>();
  if (!region) return nullptr;
  if (points && count >= 3) {
    QPolygon polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i) polygon << QPoint(points[i].x, points[i].y);
    region->region = QRegion(polygon, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  }
  return region;
}

HPALETTE CreatePalette(const LOGPALETTE *logPalette) {
  if (!logPalette || logPalette->palNumEntries == 0) return nullptr;
  return CreatePaletteFromEntries(logPalette->palPalEntry, logPalette->palNumEntries);
}

HPALETTE CreatePaletteFromEntries(const PALETTEENTRY *entries, int count) {
  if (!entries || count <= 0 || count > kMaxPaletteEntries) return nullptr;
  HPALETTE palette = NewObject<HPALETTE__>();
  if (!palette) return nullptr;
  try {
    palette->entries.assign(entries, entries + count);
  } catch (const std::bad_alloc &) {
    delete palette;
    return nullptr;
  }
  return palette;
}

HBITMAP CreateBitmapOfSize(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  if (static_cast<long long>(width) * height > kMaxBitmapPixels) return nullptr;
  HBITMAP bitmap = NewObject<HBITMAP__>();
  if (!bitmap) return nullptr;
  bitmap->image = QImage(width, height, QImage::Format_RGB32);
  if (bitmap->image.isNull()) {
    delete bitmap;
    return nullptr;
  }
  // A new bitmap is black, as a freshly made compatible bitmap is.
  bitmap->image.fill(0xFF000000u);
  return bitmap;
}

HGDIOBJ GetStockObject(int index) {
  constexpr int kStockCount = DEFAULT_GUI_FONT + 1;
  static HGDIOBJ stock[kStockCount] = {};
  if (index < 0 || index >= kStockCount) return nullptr;
  if (!stock[index]) {
    stock[index] = MakeStock(index);
    if (stock[index]) stock[index]->stock = true;
  }
  return stock[index];
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!object || object->stock || object->selections > 0) return 0;
  delete object;
  return 1;
}

BOOL PtInRegion(HRGN region, int x, int y) {
  return region && region->region.contains(QPoint(x, y)) ? 1 : 0;
}

int GetRgnBox(HRGN region, RECT *box) {
  if (!region) return ERROR_REGION;
  const QRect bounds = region->region.boundingRect();
  if (box) {
    *box = RECT{};
    if (!bounds.isEmpty()) {
      *box = RECT{bounds.left(), bounds.top(), bounds.left() + bounds.width(),
                  bounds.top() + bounds.height()};
    }
  }
  if (region->region.isEmpty()) return NULLREGION;
  return region->region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int OffsetRgn(HRGN region, int dx, int dy) {
  if (!region) return ERROR_REGION;
  region->region.translate(dx, dy);
  return GetRgnBox(region, nullptr);
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY *entries) {
  if (!palette) return 0;
  const UINT size = static_cast<UINT>(palette->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(palette->entries.begin() + start, n, entries);
  return n;
}

UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY *entries) {
  if (!palette || !entries) return 0;
  const UINT size = static_cast<UINT>(palette->entries.size());
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(entries, n, palette->entries.begin() + start);
  return n;
}

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF color) {
  if (!palette || palette->entries.empty()) return 0;
  UINT best = 0;
  long bestDistance = std::numeric_limits<long>::max();
  for (std::size_t i = 0; i < palette->entries.size(); ++i) {
    const PALETTEENTRY &e = palette->entries[i];
    const long dr = static_cast<long>(e.peRed) - GetRValue(color);
    const long dg = static_cast<long>(e.peGreen) - GetGValue(color);
    const long db = static_cast<long>(e.peBlue) - GetBValue(color);
    const long distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<UINT>(i);
    }
  }
  return best;
}

COLORREF PaletteEntryColor(HPALETTE palette, int index) {
  if (!palette || index < 0 || index >= static_cast<int>(palette->entries.size())) return 0;
  const PALETTEENTRY &e = palette->entries[static_cast<std::size_t>(index)];
  return RGB(e.peRed, e.peGreen, e.peBlue);
}

TGdiObjectOwner::~TGdiObjectOwner() {
  if (owned_) DeleteObject(handle_);
}

TPen::TPen(COLORREF color, int width, int style)
    : TGdiObjectOwner(CreatePen(style, width, color), true) {}
TPen::TPen(const LOGPEN &logPen) : TGdiObjectOwner(CreatePenIndirect(logPen), true) {}
TPen::TPen(HPEN handle, bool autoDelete) : TGdiObjectOwner(handle, autoDelete) {}

TBrush::TBrush(COLORREF color) : TGdiObjectOwner(CreateSolidBrush(color), true) {}
TBrush::TBrush(HBRUSH handle, bool autoDelete) : TGdiObjectOwner(handle, autoDelete) {}

TFont::TFont(const LOGFONT &logFont) : TGdiObjectOwner(CreateFontIndirect(logFont), true) {}

TFont::TFont(const char *faceName, int height, int width, int escapement, int weight,
             BYTE pitchAndFamily, BYTE italic)
    : TGdiObjectOwner(nullptr, true) {
  LOGFONT logFont;
  logFont.lfHeight = height;
  logFont.lfWidth = width;
  logFont.lfEscapement = escapement;
  logFont.lfOrientation = escapement;
  logFont.lfWeight = weight;
  logFont.lfItalic = italic;
  logFont.lfPitchAndFamily = pitchAndFamily;
  if (faceName) std::strncpy(logFont.lfFaceName, faceName, LF_FACESIZE - 1);
  handle_ = CreateFontIndirect(logFont);
}

TFont::TFont(HFONT handle, bool autoDelete) : TGdiObjectOwner(handle, autoDelete) {}

LOGFONT TFont::GetObject() const {
  return handle_ ? static_cast<HFONT>(handle_)->logFont : LOGFONT{};
}

TRegion::TRegion() : TGdiObjectOwner(CreateRectRgn(0, 0, 0, 0), true) {}
TRegion::TRegion(const RECT &rect) : TGdiObjectOwner(CreateRectRgnIndirect(rect), true) {}
TRegion::TRegion(const POINT *points, int count, int fillMode)
    : TGdiObjectOwner(CreatePolygonRgn(points, count, fillMode), true) {}

bool TRegion::Contains(POINT point) const { return PtInRegion(*this, point.x, point.y) != 0; }

RECT TRegion::GetRgnBox() const {
  RECT box;
  ::GetRgnBox(*this, &box);
  return box;
}

void TRegion::SetRectRgn(const RECT &rect) {
  HRGN region = *this;
  if (!region) return;
  const int l = std::min(rect.left, rect.right);
  const int t = std::min(rect.top, rect.bottom);
  const int w = std::abs(rect.right - rect.left);
  const int h = std::abs(rect.bottom - rect.top);
  region->region = (w > 0 && h > 0) ? QRegion(l, t, w, h) : QRegion();
}

TPalette::TPalette(const LOGPALETTE *logPalette)
    : TGdiObjectOwner(CreatePalette(logPalette), true) {}
TPalette::TPalette(const PALETTEENTRY *entries, int count)
    : TGdiObjectOwner(CreatePaletteFromEntries(entries, count), true) {}
TPalette::TPalette(HPALETTE handle, bool autoDelete) : TGdiObjectOwner(handle, autoDelete) {}

TPalette::TPalette(const TPalette &other, int) : TGdiObjectOwner(nullptr, true) {
  HPALETTE source = other;
  if (source && !source->entries.empty()) {
    handle_ =
        CreatePaletteFromEntries(source->entries.data(), static_cast<int>(source->entries.size()));
  }
}

int TPalette::GetNumEntries() const {
  return static_cast<int>(::GetPaletteEntries(*this, 0, 0, nullptr));
}

UINT TPalette::GetPaletteEntries(UINT start, UINT count, PALETTEENTRY *entries) const {
  return ::GetPaletteEntries(*this, start, count, entries);
}

UINT TPalette::SetPaletteEntries(UINT start, UINT count, const PALETTEENTRY *entries) {
  return ::SetPaletteEntries(*this, start, count, entries);
}

UINT TPalette::GetNearestPaletteIndex(COLORREF color) const {
  return ::GetNearestPaletteIndex(*this, color);
}

TBitmap::TBitmap(int width, int height)
    : TGdiObjectOwner(CreateBitmapOfSize(width, height), true) {}
TBitmap::TBitmap(HBITMAP handle, bool autoDelete) : TGdiObjectOwner(handle, autoDelete) {}

int TBitmap::Width() const { return handle_ ? static_cast<HBITMAP>(handle_)->image.width() : 0; }

int TBitmap::Height() const { return handle_ ? static_cast<HBITMAP>(handle_)->image.height() : 0; }
