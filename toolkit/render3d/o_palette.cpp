#include "toolkit/render3d/o_palette.h"

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/dib.h"

#include <algorithm>
#include <cmath>
#include <new>

TOPalette *SharedPalette = nullptr;

namespace {

constexpr int kStandardColorCount = 16;
constexpr COLORREF kDefault3DBackColor = 0x5A0000;
constexpr int kSwatchWidth = 5;
constexpr int kSwatchHeight = 30;
constexpr int kSwatchesPerRow = 100;
constexpr int kSwatchRowStep = 50;

bool displayHasEightBits = true;
COLORREF default3DBackColor = kDefault3DBackColor;

const COLORREF kStandardColors[kStandardColorCount] = {
    RGB(0, 0, 0),       RGB(0, 0, 127),   RGB(0, 127, 0),   RGB(0, 127, 127),
    RGB(127, 0, 0),     RGB(127, 0, 127), RGB(127, 127, 0), RGB(192, 192, 192),
    RGB(127, 127, 127), RGB(0, 0, 255),   RGB(0, 255, 0),   RGB(0, 255, 255),
    RGB(255, 0, 0),     RGB(255, 0, 255), RGB(255, 255, 0), RGB(255, 255, 255)};

BYTE RampComponent(int from, int to, double t) {
  const double value = from + (to - from) * t;
  // Fractions outside 0..1 in a caller's table must not leave the byte range.
  return static_cast<BYTE>(std::clamp(std::trunc(value), 0.0, 255.0));
}

// The entries of the ramps (and standard colours); empty when there are none or a count is
// negative.
std::vector<PALETTEENTRY> RampEntries(const TColorRamp *ramps, int rampCount, bool standard,
                                      BYTE flags) {
  std::vector<PALETTEENTRY> entries;
  long long total = standard ? kStandardColorCount : 0;
  for (int r = 0; ramps && r < rampCount; ++r) {
    if (ramps[r].count < 0) return {};
    total += ramps[r].count;
  }
  if (total <= 0 || total > 65535) return {};
  entries.reserve(static_cast<std::size_t>(total));
  for (int r = 0; ramps && r < rampCount; ++r) {
    const TColorRamp &ramp = ramps[r];
    for (int j = 0; j < ramp.count; ++j) {
      const double t = ramp.fractions ? ramp.fractions[j] : static_cast<double>(j) / ramp.count;
      entries.push_back(PALETTEENTRY{RampComponent(GetRValue(ramp.from), GetRValue(ramp.to), t),
                                     RampComponent(GetGValue(ramp.from), GetGValue(ramp.to), t),
                                     RampComponent(GetBValue(ramp.from), GetBValue(ramp.to), t),
                                     flags});
    }
  }
  if (standard) {
    for (COLORREF c : kStandardColors) {
      entries.push_back(PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), flags});
    }
  }
  return entries;
}

HPALETTE DefaultRampPalette(BYTE flags) {
  const TColorRamp ramps[2] = {{100, 0x00FF00, 0x00FFFF, nullptr},
                               {100, 0x00FFFF, 0x0000FF, nullptr}};
  return CreateRampPalette(ramps, 2, true, flags);
}

RGBTRIPLE TripleOf(COLORREF c) { return RGBTRIPLE{GetBValue(c), GetGValue(c), GetRValue(c)}; }

HPALETTE PaletteOfDib(const TDib &dib) {
  if (!dib.IsOK() || dib.Usage() != DIB_RGB_COLORS || dib.NumColors() == 0) return nullptr;
  std::vector<PALETTEENTRY> entries;
  const auto *table = reinterpret_cast<const RGBQUAD *>(
      reinterpret_cast<const std::uint8_t *>(dib.GetInfo()) + dib.GetInfoHeader()->biSize);
  for (int i = 0; i < dib.NumColors(); ++i) {
    entries.push_back(PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0});
  }
  return CreatePaletteFromEntries(entries.data(), static_cast<int>(entries.size()));
}

}  // namespace

HPALETTE CreateRampPalette(const TColorRamp *ramps, int rampCount, bool appendStandardColors,
                           BYTE entryFlags) {
  try {
    const std::vector<PALETTEENTRY> entries =
        RampEntries(ramps, rampCount, appendStandardColors, entryFlags);
    if (entries.empty()) return nullptr;
    return CreatePaletteFromEntries(entries.data(), static_cast<int>(entries.size()));
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

TOPalette::TOPalette(const TColorRamp *ramps, int rampCount, bool appendStandardColors,
                     BYTE entryFlags)
    : TPalette(CreateRampPalette(ramps, rampCount, appendStandardColors, entryFlags), true) {
  InitSegments(ramps, rampCount);
}

TOPalette::TOPalette(const void *, BYTE entryFlags)
    : TPalette(DefaultRampPalette(entryFlags), true) {
  const TColorRamp ramps[2] = {{100, 0, 0, nullptr}, {100, 0, 0, nullptr}};
  InitSegments(ramps, 2);
}

TOPalette::TOPalette(HPALETTE handle, bool autoDelete) : TPalette(handle, autoDelete) {
  InitSingleSegment();
}

TOPalette::TOPalette(const LOGPALETTE *logPalette) : TPalette(logPalette) { InitSingleSegment(); }

TOPalette::TOPalette(const PALETTEENTRY *entries, int count) : TPalette(entries, count) {
  InitSingleSegment();
}

TOPalette::TOPalette(const TPalette &other) : TPalette(other, 0) { InitSingleSegment(); }

TOPalette::TOPalette(const TDib &dib) : TPalette(PaletteOfDib(dib), true) { InitSingleSegment(); }

void TOPalette::InitSegments(const TColorRamp *ramps, int rampCount) {
  entryCount_ = GetNumEntries();
  segments_.clear();
  if (entryCount_ > 0) {
    int start = 0;
    for (int r = 0; ramps && r < rampCount; ++r) {
      segments_.emplace_back(start, ramps[r].count);
      start += ramps[r].count;
    }
  }
  ResetRange();
}

void TOPalette::InitSingleSegment() {
  entryCount_ = GetNumEntries();
  segments_.clear();
  if (entryCount_ > 0) segments_.emplace_back(0, entryCount_);
  ResetRange();
}

std::pair<int, int> TOPalette::Segment(int k) const {
  if (k < 0 || k >= SegmentCount()) return {0, 0};
  return segments_[static_cast<std::size_t>(k)];
}

void TOPalette::SetRange(int firstSegment, int lastSegment) {
  const int count = SegmentCount();
  if (count == 0) {
    rangeFirstSegment_ = rangeLastSegment_ = 0;
    rangeFirstEntry_ = 0;
    rangeEntryCount_ = 0;
    rangeLastEntry_ = -1;
    return;
  }
  const int first = std::clamp(firstSegment, 0, count - 1);
  if (lastSegment == -1) lastSegment = firstSegment;
  const int last = std::max(first, std::min(lastSegment, count - 1));
  rangeFirstSegment_ = first;
  rangeLastSegment_ = last;
  rangeFirstEntry_ = segments_[static_cast<std::size_t>(first)].first;
  rangeEntryCount_ = 0;
  for (int k = first; k <= last; ++k)
    rangeEntryCount_ += segments_[static_cast<std::size_t>(k)].second;
  rangeLastEntry_ = rangeFirstEntry_ + rangeEntryCount_ - 1;
}

void TOPalette::ResetRange() { SetRange(0, SegmentCount() - 1); }

int TOPalette::RangeEntry(int i) const {
  const long long entry = static_cast<long long>(rangeFirstEntry_) + i;
  return static_cast<int>(
      std::clamp<long long>(entry, rangeFirstEntry_, std::max(rangeFirstEntry_, rangeLastEntry_)));
}

int TOPalette::EntryOfFraction(double fraction) const {
  // A fraction that is not a number takes the run's first entry.
  if (std::isnan(fraction)) fraction = 0.0;
  const double position = rangeFirstEntry_ + (rangeEntryCount_ - 1) * fraction;
  const double clamped =
      std::clamp(std::trunc(position), static_cast<double>(rangeFirstEntry_),
                 static_cast<double>(std::max(rangeFirstEntry_, rangeLastEntry_)));
  return static_cast<int>(clamped);
}

COLORREF TOPalette::RangeColor(int i) const { return PALETTEINDEX(RangeEntry(i)); }

COLORREF TOPalette::RangeColorRGB(int i) const { return PaletteEntryColor(*this, RangeEntry(i)); }

RGBTRIPLE TOPalette::RangeColorTriple(int i) const { return TripleOf(RangeColorRGB(i)); }

COLORREF TOPalette::ValueToIndex(double fraction) const {
  return PALETTEINDEX(EntryOfFraction(fraction));
}

COLORREF TOPalette::ValueToColor(double fraction) const {
  return PaletteEntryColor(*this, EntryOfFraction(fraction));
}

RGBTRIPLE TOPalette::ValueToTriple(double fraction) const {
  return TripleOf(ValueToColor(fraction));
}

COLORREF TOPalette::PaletteIndex(int i) const {
  const int standard = std::clamp(i, 0, kStandardColorCount - 1);
  return PALETTEINDEX(std::max(0, entryCount_ - kStandardColorCount + standard));
}

COLORREF TOPalette::StandardColor(int i) {
  if (i < 0) return RGB(0, 0, 0);
  if (i >= kStandardColorCount) return RGB(255, 255, 255);
  return kStandardColors[i];
}

RGBTRIPLE TOPalette::StandardColorTriple(int i) { return TripleOf(StandardColor(i)); }

COLORREF TOPalette::ColorOf(int i, bool paletteMode) const {
  return paletteMode ? PALETTEINDEX(i) : StandardColor(i);
}

void TOPalette::SelectAndRealize(HDC dc) const {
  if (TDC *context = TDC::FromHandle(dc)) SelectAndRealizeDC(*context);
}

void TOPalette::SelectAndRealizeDC(TDC &dc) const {
  dc.SelectPalette(*this, false);
  dc.RealizePalette();
}

void TOPalette::DrawSwatches(TDC &dc, int firstSegment, int lastSegment) {
  SelectAndRealizeDC(dc);
  SetRange(firstSegment, lastSegment == -1 ? SegmentCount() - 1 : lastSegment);
  for (int k = 0; k < rangeEntryCount_; ++k) {
    const int x = 10 + kSwatchWidth * (k % kSwatchesPerRow);
    const int y = 50 + kSwatchRowStep * (k / kSwatchesPerRow);
    const TBrush brush(RangeColor(k));
    dc.FillRect(RECT{x, y, x + kSwatchWidth, y + kSwatchHeight}, brush);
  }
}

bool TOPalette::FillFromRamps(HPALETTE palette, const TColorRamp *ramps, int rampCount,
                              BYTE entryFlags) {
  if (!palette) return false;
  try {
    const std::vector<PALETTEENTRY> entries = RampEntries(ramps, rampCount, false, entryFlags);
    if (entries.empty()) return false;
    return ::SetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data()) > 0;
  } catch (const std::bad_alloc &) {
    return false;
  }
}

bool TOPalette::IsPaletteDevice() {
  TScreenDC screen;
  return (screen.GetDeviceCaps(RASTERCAPS) & RC_PALETTE) != 0;
}

void CreateSharedPalette() {
  if (SharedPalette) return;
  const TColorRamp ramps[14] = {
      {40, 0xFF3F0F, 0xFFFFFF, nullptr}, {30, 0x001F1F, 0x00FFFF, nullptr},
      {5, 0x00FFFF, 0x7FFFFF, nullptr},  {20, 0xA0A0A0, 0xDCDCDC, nullptr},
      {10, 0xDCDCDC, 0xFFFFFF, nullptr}, {1, 0x5A0000, 0x5A0000, nullptr},
      {10, 0x000000, 0x5C6D7C, nullptr}, {50, 0x5C6D7C, 0xC8DCF8, nullptr},
      {1, 0x9B7373, 0x9B7373, nullptr},  {10, 0x000000, 0xC00000, nullptr},
      {10, 0xC00000, 0xFFD500, nullptr}, {10, 0xFFD500, 0x55D500, nullptr},
      {10, 0x55D500, 0x00FFFF, nullptr}, {10, 0x00FFFF, 0x0040FF, nullptr}};
  SharedPalette = new (std::nothrow) TOPalette(ramps, 14, true, 0);
}

void DestroySharedPalette() {
  delete SharedPalette;
  SharedPalette = nullptr;
}

void SetDisplayHasEightBits(bool atLeastEightBits) { displayHasEightBits = atLeastEightBits; }
bool DisplayHasEightBits() { return displayHasEightBits; }

COLORREF SharedPaletteColor(int i) {
  if (displayHasEightBits || !SharedPalette) return TOPalette::StandardColor(i);
  return SharedPalette->PaletteIndex(i);
}

COLORREF GetDefault3DBackColor() { return default3DBackColor; }

void SetDefault3DBackColor(COLORREF color) { default3DBackColor = color; }
