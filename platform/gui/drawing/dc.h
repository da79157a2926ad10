#pragma once
// Device contexts. Every context draws into a QImage: a window's persistent image, a memory
// bitmap or a printer page. Pixel rules that the window code relies on (a line omits its
// end point, mix modes, raster operations, palette indices) are applied to raw pixels.

#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/gdi_types.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <vector>

namespace dc_spans {
class TSpanList;
}


constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

class TDC {
 public:
  // A context over `image` whose device point (0, 0) lies at `origin` of the image and whose
  // drawing is limited to `clipInImage` (image coordinates). A null image draws nothing.
  TDC(QImage *image, POINT origin, const RECT &clipInImage);
  virtual ~TDC();
  TDC(const TDC &) = delete;
  TDC &operator=(const TDC &) = delete;

  HDC GetHDC() const { return reinterpret_cast<HDC>(const_cast<TDC *>(this)); }
  operator HDC() const { return GetHDC(); }
  static TDC *FromHandle(HDC dc) { return reinterpret_cast<TDC *>(dc); }

  // Objects. Selecting returns the previous object of that kind (null when the handle is
  // null or of the wrong kind; nothing changes then).
  HGDIOBJ SelectObject(HGDIOBJ object);
  HPEN SelectObject(HPEN pen);
  HBRUSH SelectObject(HBRUSH brush);
  HFONT SelectObject(HFONT font);
  HBITMAP SelectObject(HBITMAP bitmap) { return SelectBitmap(bitmap); }
  // Only memory contexts hold bitmaps; others refuse (null).
  virtual HBITMAP SelectBitmap(HBITMAP) { return nullptr; }
  void SelectObject(const TPen &pen) { SelectObject(static_cast<HPEN>(pen)); }
  void SelectObject(const TBrush &brush) { SelectObject(static_cast<HBRUSH>(brush)); }
  void SelectObject(const TFont &font) { SelectObject(static_cast<HFONT>(font)); }
  void SelectObject(const TBitmap &bitmap) { SelectObject(static_cast<HBITMAP>(bitmap)); }
  // The context's own objects back in place.
  void RestorePen();
  void RestoreBrush();
  void RestoreFont();
  void RestorePalette();
  void RestoreObjects();
  HPEN GetCurrentPen() const { return pen_; }
  HBRUSH GetCurrentBrush() const { return brush_; }
  HFONT GetCurrentFont() const { return font_; }
  HPALETTE GetCurrentPalette() const { return palette_; }

  HPALETTE SelectPalette(HPALETTE palette, bool forceBackground = false);
  void SelectObject(const TPalette &palette, bool forceBackground = false) {
    SelectPalette(palette, forceBackground);
  }
  // Every device here is true-colour: realising maps nothing and returns the entry count.
  UINT RealizePalette();

  // Attributes.
  COLORREF SetTextColor(COLORREF color);
  COLORREF GetTextColor() const { return textColor_; }
  COLORREF SetBkColor(COLORREF color);
  COLORREF GetBkColor() const { return bkColor_; }
  int SetBkMode(int mode);
  int GetBkMode() const { return bkMode_; }
  UINT SetTextAlign(UINT flags);
  UINT GetTextAlign() const { return textAlign_; }
  int SetROP2(int mode);
  int GetROP2() const { return rop2_; }
  POINT SetViewportOrg(POINT origin);
  POINT GetViewportOrg() const { return viewportOrg_; }
  POINT SetWindowOrg(POINT origin);
  POINT GetWindowOrg() const { return windowOrg_; }
  // MM_TEXT (one logical unit a pixel), MM_ANISOTROPIC or MM_ISOTROPIC (logical units
  // scaled by viewport extent / window extent; isotropic keeps both scales equal).
  int SetMapMode(int mode);
  int GetMapMode() const { return mapMode_; }
  // Extents of 0 are refused (previous extent returned, nothing changed).
  SIZE SetWindowExt(SIZE extent);
  SIZE GetWindowExt() const { return windowExt_; }
  SIZE SetViewportExt(SIZE extent);
  SIZE GetViewportExt() const { return viewportExt_; }
  // Conversions between logical and device points (device (0, 0) is the context's origin).
  void LPtoDP(POINT *points, int count) const;
  void DPtoLP(POINT *points, int count) const;
  virtual int GetDeviceCaps(int index) const;
  // Width and height of the device surface in pixels (HORZRES, VERTRES).
  virtual SIZE DeviceSize() const { return SIZE{baseClip_.width(), baseClip_.height()}; }
  // The colour a COLORREF (plain, palette index or palette RGB) draws as.
  COLORREF GetNearestColor(COLORREF color) const;

  // Clipping. Regions are in device coordinates; a null region removes the selected clip.
  int SelectClipRgn(HRGN region);
  int IntersectClipRect(const RECT &rect);
  int GetClipBox(RECT *box) const;
  bool PtVisible(int x, int y) const;
  bool RectVisible(const RECT &rect) const;

  // Lines and figures with the selected pen (and brush) in the current mix mode.
  BOOL MoveTo(int x, int y, POINT *previous = nullptr);
  POINT GetCurrentPosition() const { return current_; }
  BOOL LineTo(int x, int y);
  BOOL Polyline(const POINT *points, int count);
  BOOL Polygon(const POINT *points, int count);
  BOOL Rectangle(int left, int top, int right, int bottom);
  BOOL Rectangle(const RECT &rect) {
    return Rectangle(rect.left, rect.top, rect.right, rect.bottom);
  }
  // The ellipse inside the rectangle (right and bottom exclusive): outlined with the pen
  // inside the rectangle, filled with the brush; each pixel is mixed once.
  BOOL Ellipse(int left, int top, int right, int bottom);
  BOOL Ellipse(const RECT &rect) { return Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
  // The part of that ellipse's outline from the ray through the start point to the ray
  // through the end point, counter-clockwise on the screen; the whole outline when both
  // rays are the same.
  BOOL Arc(int left, int top, int right, int bottom, int startX, int startY, int endX, int endY);
  // ALTERNATE (odd-even) or WINDING: how Polygon decides what is inside. 0 for other values.
  int SetPolyFillMode(int mode);
  int GetPolyFillMode() const { return polyFillMode_; }

  // Saves the objects, colours, modes, mapping, clip and position; the result is the
  // saved state's number (1 for the first), 0 on failure.
  int SaveDC();
  // Restores a saved state: a positive number names it, a negative one counts back from
  // the last (-1 the last saved); states saved after it are dropped. False when there is
  // no such state.
  BOOL RestoreDC(int savedDC);
  COLORREF SetPixel(int x, int y, COLORREF color);
  COLORREF GetPixel(int x, int y) const;

  // Fills: right and bottom edges are exclusive; the mix mode is not applied.
  BOOL FillRect(const RECT &rect, HBRUSH brush);
  BOOL FrameRect(const RECT &rect, HBRUSH brush);
  BOOL InvertRect(const RECT &rect);
  BOOL FillRgn(HRGN region, HBRUSH brush);
  BOOL PaintRgn(HRGN region);
  BOOL PatBlt(int x, int y, int width, int height, DWORD rop);

  // Block transfers from another context (or this one; overlapping areas are safe).
  BOOL BitBlt(int x, int y, int width, int height, const TDC &source, int sourceX, int sourceY,
              DWORD rop);
  BOOL StretchBlt(int x, int y, int width, int height, const TDC &source, int sourceX, int sourceY,
                  int sourceWidth, int sourceHeight, DWORD rop);
  // DIB transfers. Source coordinates count rows from the bottom of the bitmap as the
  // classic call does; `bits` holds `scanCount` rows starting at row `startScan`.
  // Returns the number of rows set (0 on bad input).
  int SetDIBitsToDevice(int x, int y, int width, int height, int sourceX, int sourceY,
                        UINT startScan, UINT scanCount, const void *bits, const BITMAPINFO *info,
                        UINT usage);
  int StretchDIBits(int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                    int sourceHeight, const void *bits, const BITMAPINFO *info, UINT usage,
                    DWORD rop);

  // Text in the selected font (UTF-8; a negative length means up to the terminator).
  BOOL TextOut(int x, int y, const char *text, int length = -1);
  BOOL ExtTextOut(int x, int y, UINT options, const RECT *rect, const char *text, int length = -1);
  // Returns the height of the text; with DT_CALCRECT only measures, widening `rect`'s right
  // and bottom edges to the text.
  int DrawText(const char *text, int length, RECT &rect, UINT format);
  SIZE GetTextExtent(const char *text, int length = -1) const;
  BOOL GetTextMetrics(TEXTMETRIC &metrics) const;

  // Tells the owner of the image what was drawn (window contexts show it on screen).
  virtual void Flush() {}

  QImage *Image() const { return image_; }
  // Part of the image changed since the last flush (image coordinates).
  QRect DirtyRect() const { return dirty_; }

 protected:
  // Rebinds the context to another image (memory contexts change bitmaps).
  void SetTarget(QImage *image, POINT origin, const RECT &clipInImage);
  // Follows a target that may have moved or changed size (a window's image is replaced
  // when the window is resized); a selected clip region keeps its place on the device.
  void Retarget(QImage *image, POINT origin, const RECT &clipInImage);
  // Brings the target up to date before each operation; window contexts override it.
  virtual void SyncTarget() {}
  void Sync() const { const_cast<TDC *>(this)->SyncTarget(); }
  void ClearDirty() { dirty_ = QRect(); }
  // A device that draws text itself takes each run here and answers true; false has it
  // drawn into the image. Image coordinates: the run's baseline starts at `baseline`
  // relative to `origin` once the page is turned `turnDegrees` counter-clockwise about
  // `origin`; `clip` is null when only the page bounds the run.
  virtual bool TakeText(QPoint origin, double turnDegrees, QPoint baseline, const QFont &font,
                        std::uint32_t rgb, const QString &text, const QRect &clip) {
    (void)origin, (void)turnDegrees, (void)baseline, (void)font, (void)rgb, (void)text, (void)clip;
    return false;
  }
  // The same for one stroke of a solid pen drawn plainly (R2_COPYPEN), end point included.
  virtual bool TakeLine(QPoint from, QPoint to, int width, std::uint32_t rgb) {
    (void)from, (void)to, (void)width, (void)rgb;
    return false;
  }
  // Fonts measure and place their glyphs by the faces' design metrics, without the
  // rounding of screen hinting: the metrics a printer that draws its own text lays out by.
  bool designMetrics_ = false;

 private:
  QPoint ToImage(int x, int y) const;
  // Logical rectangle to image pixels, normalised; right and bottom exclusive.
  QRect ImageRect(int left, int top, int right, int bottom) const;
  double ScaleX() const;
  double ScaleY() const;
  int DevicePenWidth() const;
  std::uint32_t Resolve(COLORREF color) const;
  bool InClip(int ix, int iy) const;
  void Plot(int ix, int iy, std::uint32_t rgb, int rop2);
  void MarkDirty(const QRect &rect);
  void RebuildClip();
  void DrawCosmeticLine(QPoint from, QPoint to, std::uint32_t rgb, std::uint32_t bkRgb,
                        const LOGPEN &pen);
  // Hands a segment of the selected pen to TakeLine when the device draws it itself.
  bool PassLine(QPoint from, QPoint to);
  void DrawWideSegment(QPoint from, QPoint to, std::uint32_t rgb, int width);
  // Mixes the (merged) spans with the colour, inside the clip.
  void MixSpans(const dc_spans::TSpanList &spans, std::uint32_t rgb, int rop2);
  dc_spans::TSpanList &SpanBuffer();
  // The wide outline through the points (closed when asked), joints covered once.
  void DrawWidePath(const POINT *points, int count, bool closed, std::uint32_t rgb, int width);
  void FillMaskedArea(const QImage &mask, QPoint topLeft, std::uint32_t rgb, int rop2);
  void FillImageRect(const QRect &rect, std::uint32_t rgb);
  void FillImageRegion(const QRegion &region, std::uint32_t rgb);
  // The region (image coordinates) mixed with a colour in a ROP2 mode, inside the clip.
  void MixRegion(const QRegion &region, std::uint32_t rgb, int rop2);
  // Samples `source` (ARGB32; alpha 0 marks pixels without a source, left alone) over
  // `destination` in image coordinates, mirrored as asked, through the raster operation.
  void BlitPixels(const QRect &destination, const QImage &source, DWORD rop, bool mirrorX,
                  bool mirrorY);
  QFont CurrentQFont() const;
  // Device metrics of the selected font (image pixels).
  TEXTMETRIC CurrentMetrics() const;
  // Image-pixel lengths back in logical units.
  int LogicalX(int deviceLength) const;
  int LogicalY(int deviceLength) const;
  void DrawTextRun(QPoint imageAnchor, const QString &text, UINT align, bool opaque,
                   const QRect *clipRect);
  template <class T>
  void Select(T *&slot, T *object);

  QImage *image_ = nullptr;
  QPoint origin_;
  QRect baseClip_;
  QRegion selectedClip_;
  bool hasSelectedClip_ = false;
  QRegion clip_;
  QRect clipBounds_;
  bool clipIsRect_ = true;
  QRect dirty_;

  HPEN pen_ = nullptr;
  HBRUSH brush_ = nullptr;
  HFONT font_ = nullptr;
  HPALETTE palette_ = nullptr;
  COLORREF textColor_ = 0;
  COLORREF bkColor_ = 0xFFFFFF;
  int bkMode_ = OPAQUE;
  UINT textAlign_ = TA_LEFT | TA_TOP;
  int rop2_ = R2_COPYPEN;
  POINT viewportOrg_;
  POINT windowOrg_;
  int mapMode_ = MM_TEXT;
  SIZE windowExt_{1, 1};
  SIZE viewportExt_{1, 1};
  POINT current_;
  int polyFillMode_ = 1;  // ALTERNATE
  // What SaveDC keeps; the objects stay counted as selected while saved.
  struct TSavedState {
    HPEN Pen;
    HBRUSH Brush;
    HFONT Font;
    HPALETTE Palette;
    COLORREF TextColor;
    COLORREF BkColor;
    int BkMode;
    UINT TextAlign;
    int Rop2;
    POINT ViewportOrg;
    POINT WindowOrg;
    int MapMode;
    SIZE WindowExt;
    SIZE ViewportExt;
    POINT Current;
    int PolyFillMode;
    bool HasSelectedClip;
    QRegion SelectedClip;
  };
  std::vector<TSavedState> savedStates_;
  std::unique_ptr<dc_spans::TSpanList> spanBuffer_;
  // Position in the dash pattern of styled pens; a move starts the pattern afresh and
  // consecutive lines continue it.
  int stylePhase_ = 0;
  // The Qt font of the selected logical font, made once per change of font.
  mutable LOGFONT cachedLogFont_;
  mutable QFont cachedFont_;
  mutable TEXTMETRIC cachedMetrics_;
  mutable bool fontCached_ = false;

 protected:
  int logPixels_ = 96;
};

// A COLORREF as the opaque 32-bit pixel value of the images (0xFFRRGGBB).
inline std::uint32_t PixelOfColor(COLORREF color) {
  return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}
inline COLORREF ColorOfPixel(std::uint32_t pixel) {
  return RGB(static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
             static_cast<int>(pixel & 0xFF));
}
