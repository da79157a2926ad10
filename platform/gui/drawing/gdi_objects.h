#pragma once
// GDI objects behind the handles of gdi_types.h, the functions that make and query them,
// and the framework's owning wrappers (TPen, TBrush, TFont, TRegion, TPalette, TBitmap).

#include "platform/gui/drawing/gdi_types.h"

#include <QImage>
#include <QRegion>

#include <vector>

enum class GdiKind { Pen, Brush, Font, Region, Palette, Bitmap };

// Common part of every object. A selected object is counted so that deleting it while a
// context still uses it is refused rather than leaving the context with a dangling handle.
struct HGDIOBJ__ {
  explicit HGDIOBJ__(GdiKind k) : kind(k) {}
  virtual ~HGDIOBJ__() = default;
  HGDIOBJ__(const HGDIOBJ__ &) = delete;
  HGDIOBJ__ &operator=(const HGDIOBJ__ &) = delete;
  GdiKind kind;
  bool stock = false;
  int selections = 0;
};

struct HPEN__ : HGDIOBJ__ {
  HPEN__() : HGDIOBJ__(GdiKind::Pen) {}
  LOGPEN logPen;
};

struct HBRUSH__ : HGDIOBJ__ {
  HBRUSH__() : HGDIOBJ__(GdiKind::Brush) {}
  LOGBRUSH logBrush;
};

struct HFONT__ : HGDIOBJ__ {
  HFONT__() : HGDIOBJ__(GdiKind::Font) {}
  LOGFONT logFont;
};

struct HRGN__ : HGDIOBJ__ {
  HRGN__() : HGDIOBJ__(GdiKind::Region) {}
  QRegion region;
};

struct HPALETTE__ : HGDIOBJ__ {
  HPALETTE__() : HGDIOBJ__(GdiKind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

// A device-dependent bitmap: opaque 32-bit pixels (Format_RGB32).
struct HBITMAP__ : HGDIOBJ__ {
  HBITMAP__() : HGDIOBJ__(GdiKind::Bitmap) {}
  QImage image;
};

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN &logPen);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH &logBrush);
HFONT CreateFontIndirect(const LOGFONT &logFont);
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT &rect);
// fillMode ALTERNATE or WINDING; fewer than 3 points give an empty region.
HRGN CreatePolygonRgn(const POINT *points, int count, int fillMode);
// Palettes of 1 to 65535 entries; a null or empty record gives null.
HPALETTE CreatePalette(const LOGPALETTE *logPalette);
HPALETTE CreatePaletteFromEntries(const PALETTEENTRY *entries, int count);
// Width and height of 0 or less, or too large to allocate, give null.
HBITMAP CreateBitmapOfSize(int width, int height);
// Stock objects are shared and never deleted.
HGDIOBJ GetStockObject(int index);
// False for null, stock and still-selected objects.
BOOL DeleteObject(HGDIOBJ object);

BOOL PtInRegion(HRGN region, int x, int y);
int GetRgnBox(HRGN region, RECT *box);
int OffsetRgn(HRGN region, int dx, int dy);

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY *entries);
UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY *entries);
UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF color);
// The palette's entry i as a plain colour; black when i lies outside.
COLORREF PaletteEntryColor(HPALETTE palette, int index);

// Framework wrappers: each owns its handle (unless made from a borrowed one) and deletes
// it on destruction.
class TGdiObjectOwner {
 public:
  TGdiObjectOwner(const TGdiObjectOwner &) = delete;
  TGdiObjectOwner &operator=(const TGdiObjectOwner &) = delete;
  HGDIOBJ GetHandle() const { return handle_; }
  bool IsValid() const { return handle_ != nullptr; }

 protected:
  TGdiObjectOwner(HGDIOBJ handle, bool owned) : handle_(handle), owned_(owned) {}
  ~TGdiObjectOwner();
  HGDIOBJ handle_;
  bool owned_;
};

class TPen : public TGdiObjectOwner {
 public:
  TPen(COLORREF color, int width = 1, int style = PS_SOLID);
  explicit TPen(const LOGPEN &logPen);
  explicit TPen(HPEN handle, bool autoDelete = false);
  operator HPEN() const { return static_cast<HPEN>(handle_); }
};

class TBrush : public TGdiObjectOwner {
 public:
  explicit TBrush(COLORREF color);
  explicit TBrush(HBRUSH handle, bool autoDelete = false);
  operator HBRUSH() const { return static_cast<HBRUSH>(handle_); }
};

class TFont : public TGdiObjectOwner {
 public:
  explicit TFont(const LOGFONT &logFont);
  TFont(const char *faceName, int height, int width = 0, int escapement = 0, int weight = 0,
        BYTE pitchAndFamily = 0, BYTE italic = 0);
  explicit TFont(HFONT handle, bool autoDelete = false);
  operator HFONT() const { return static_cast<HFONT>(handle_); }
  LOGFONT GetObject() const;
};

class TRegion : public TGdiObjectOwner {
 public:
  TRegion();
  explicit TRegion(const RECT &rect);
  TRegion(const POINT *points, int count, int fillMode = ALTERNATE);
  operator HRGN() const { return static_cast<HRGN>(handle_); }
  bool Contains(POINT point) const;
  RECT GetRgnBox() const;
  // Replaces the region by a rectangle.
  void SetRectRgn(const RECT &rect);
};

class TPalette : public TGdiObjectOwner {
 public:
  explicit TPalette(const LOGPALETTE *logPalette);
  TPalette(const PALETTEENTRY *entries, int count);
  TPalette(HPALETTE handle, bool autoDelete);
  // A copy of another palette's entries.
  explicit TPalette(const TPalette &other, int);
  operator HPALETTE() const { return static_cast<HPALETTE>(handle_); }
  int GetNumEntries() const;
  UINT GetPaletteEntries(UINT start, UINT count, PALETTEENTRY *entries) const;
  UINT SetPaletteEntries(UINT start, UINT count, const PALETTEENTRY *entries);
  UINT GetNearestPaletteIndex(COLORREF color) const;
  virtual ~TPalette() = default;
};

class TBitmap : public TGdiObjectOwner {
 public:
  TBitmap(int width, int height);
  explicit TBitmap(HBITMAP handle, bool autoDelete = false);
  operator HBITMAP() const { return static_cast<HBITMAP>(handle_); }
  int Width() const;
  int Height() const;
};
