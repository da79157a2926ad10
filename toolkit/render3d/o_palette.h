#pragma once
// The program's logical palette built from colour ramps, which remembers where each ramp
// (segment) lies and maps fractions 0..1 onto a chosen run of segments; and the one shared
// palette that carries the ramps of every shaded picture, legend and contour map.

#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/gdi_types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TDC;
class TDib;

// One ramp of a palette: `count` entries running from `from` towards `to` (never reaching
// it); `fractions`, when given, places each entry along the ramp.
struct TColorRamp {
  std::int32_t count = 0;
  COLORREF from = 0;
  COLORREF to = 0;
  const double *fractions = nullptr;
};

// A new logical palette of the ramps' entries, plus the 16 standard colours when asked;
// null when the ramps give no entries or memory runs out.
HPALETTE CreateRampPalette(const TColorRamp *ramps, int rampCount, bool appendStandardColors,
                           BYTE entryFlags);

class TOPalette : public TPalette {
 public:
  TOPalette(const TColorRamp *ramps, int rampCount, bool appendStandardColors, BYTE entryFlags);
  // The default palette: green to yellow and yellow to red, 100 entries each, with the
  // standard colours (216 entries, two segments). Only a null selector is defined.
  TOPalette(const void *selector, BYTE entryFlags);
  // A literal null selects the default palette too (not the entry-array constructor).
  TOPalette(std::nullptr_t, int entryFlags)
      : TOPalette(static_cast<const void *>(nullptr), static_cast<BYTE>(entryFlags)) {}
  TOPalette(HPALETTE handle, bool autoDelete);
  explicit TOPalette(const LOGPALETTE *logPalette);
  TOPalette(const PALETTEENTRY *entries, int count);
  explicit TOPalette(const TPalette &other);
  // The colour table of a DIB in RGB mode (a single segment).
  explicit TOPalette(const TDib &dib);
  ~TOPalette() override = default;

  // Selects the run of segments first..last (-1: the same as first), clamped to the
  // palette's segments.
  void SetRange(int firstSegment, int lastSegment = -1);
  void ResetRange();
  int SegmentCount() const { return static_cast<int>(segments_.size()); }
  int RangeEntryCount() const { return rangeEntryCount_; }
  int RangeFirstEntry() const { return rangeFirstEntry_; }
  int RangeLastEntry() const { return rangeLastEntry_; }
  int RangeFirstSegment() const { return rangeFirstSegment_; }
  int RangeLastSegment() const { return rangeLastSegment_; }
  int EntryCount() const { return entryCount_; }
  // First entry and entry count of segment k ({0, 0} outside).
  std::pair<int, int> Segment(int k) const;

  COLORREF RangeColor(int i) const;
  COLORREF RangeColorRGB(int i) const;
  RGBTRIPLE RangeColorTriple(int i) const;
  COLORREF ValueToIndex(double fraction) const;
  COLORREF ValueToColor(double fraction) const;
  RGBTRIPLE ValueToTriple(double fraction) const;
  // PALETTEINDEX of standard colour i (0..15) among the last 16 entries.
  COLORREF PaletteIndex(int i) const;
  // Standard colour i; below 0 black, above 15 white.
  static COLORREF StandardColor(int i);
  static RGBTRIPLE StandardColorTriple(int i);
  COLORREF ColorOf(int i, bool paletteMode) const;

  void SelectAndRealize(HDC dc) const;
  void SelectAndRealizeDC(TDC &dc) const;
  // Paints the entries of a run as 5 x 30 swatches from (10, 50), 100 to a row, rows 50
  // pixels apart (-1 as last segment: the palette's last segment).
  void DrawSwatches(TDC &dc, int firstSegment, int lastSegment = -1);
  static bool FillFromRamps(HPALETTE palette, const TColorRamp *ramps, int rampCount,
                            BYTE entryFlags);
  static bool IsPaletteDevice();

 private:
  void InitSegments(const TColorRamp *ramps, int rampCount);
  void InitSingleSegment();
  int EntryOfFraction(double fraction) const;
  int RangeEntry(int i) const;

  int entryCount_ = 0;
  std::vector<std::pair<int, int>> segments_;
  int rangeFirstSegment_ = 0;
  int rangeLastSegment_ = 0;
  int rangeFirstEntry_ = 0;
  int rangeLastEntry_ = -1;
  int rangeEntryCount_ = 0;
};

// The shared palette: null before CreateSharedPalette and after DestroySharedPalette.
extern TOPalette *SharedPalette;
void CreateSharedPalette();
void DestroySharedPalette();
// Colour i of the shared palette: the standard colour as RGB when the display has at least
// 8 bits per pixel (the flag below), else PALETTEINDEX of the standard colour.
COLORREF SharedPaletteColor(int i);
void SetDisplayHasEightBits(bool atLeastEightBits);
bool DisplayHasEightBits();
// The background of every 3-D window: 0x5A0000 until the scene window's colour dialog
// replaces it for the rest of the run.
COLORREF GetDefault3DBackColor();
void SetDefault3DBackColor(COLORREF color);
