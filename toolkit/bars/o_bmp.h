#pragma once
// TOBmp: a bitmap made from a rectangle of a device context or from a DIB, and drawn back
// into a context at a point (the splash window, the fast graph window, the 3-D menus and
// the 3-D window's client grab).

#include "platform/gui/drawing/gdi_objects.h"

class TDC;
class TDib;
class TPalette;

class TOBmp : public TBitmap {
 public:
  // A copy of the rectangle of the context (a null bitmap for an empty rectangle).
  TOBmp(const TDC &dc, const RECT &rect);
  // The DIB's picture, its palette indices resolved through `palette` (or the default one).
  TOBmp(const TDib &dib, const TPalette *palette);

  // Copies the whole bitmap, or the source rectangle of it, to (x, y) of the context.
  void Draw(TDC &dc, int x, int y, const RECT *source = nullptr, DWORD rop = SRCCOPY) const;
};
