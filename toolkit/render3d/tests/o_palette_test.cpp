#include "toolkit/render3d/o_palette.h"

#include "platform/gui/drawing/dc_kinds.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <limits>

namespace {

class SharedPaletteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateSharedPalette();
    ASSERT_NE(SharedPalette, nullptr);
  }
  void TearDown() override { DestroySharedPalette(); }

  static COLORREF Entry(int i) { return PaletteEntryColor(*SharedPalette, i); }
};

}  // namespace

TEST_F(SharedPaletteTest, HasFourteenRampsAndTheStandardColours) {
  EXPECT_EQ(SharedPalette->EntryCount(), 233);
  EXPECT_EQ(SharedPalette->SegmentCount(), 14);
  const int starts[14] = {0, 40, 70, 75, 95, 105, 106, 116, 166, 167, 177, 187, 197, 207};
  for (int k = 0; k < 14; ++k) EXPECT_EQ(SharedPalette->Segment(k).first, starts[k]) << k;
  EXPECT_EQ(SharedPalette->Segment(13).second, 10);
  EXPECT_EQ(SharedPalette->Segment(14), std::make_pair(0, 0));
  // Entries 217..232 are the standard colours 0..15.
  for (int i = 0; i < 16; ++i) EXPECT_EQ(Entry(217 + i), TOPalette::StandardColor(i)) << i;
  EXPECT_EQ(SharedPalette->RangeEntryCount(), 217);
}

TEST_F(SharedPaletteTest, RampsMatchTheirTables) {
  // Segment 0 runs from 0xFF3F0F (r 15, g 63, b 255) towards white in 40 steps.
  EXPECT_EQ(Entry(0), RGB(15, 63, 255));
  EXPECT_EQ(Entry(20), RGB(15 + 120, 63 + 96, 255));
  EXPECT_EQ(Entry(39), RGB(15 + 234, 63 + 187, 255));
  // Segment 1 starts dark olive; segment 2 starts at yellow.
  EXPECT_EQ(Entry(40), RGB(0x1F, 0x1F, 0));
  EXPECT_EQ(Entry(70), RGB(255, 255, 0));
  EXPECT_EQ(Entry(74), RGB(255, 255, 0x7F * 4 / 5));
  // Greys: 0xA0 + 60 * j / 20.
  EXPECT_EQ(Entry(75), RGB(160, 160, 160));
  EXPECT_EQ(Entry(85), RGB(190, 190, 190));
  // Single-entry ramps give exactly their colour.
  EXPECT_EQ(Entry(105), RGB(0, 0, 0x5A));
  EXPECT_EQ(Entry(166), RGB(0x73, 0x73, 0x9B));
  // A ramp of 10 entries from black to 0xC00000: blue 0, 19, 38, ..., 172, never 192.
  const int blues[10] = {0, 19, 38, 57, 76, 96, 115, 134, 153, 172};
  for (int j = 0; j < 10; ++j) EXPECT_EQ(Entry(167 + j), RGB(0, 0, blues[j])) << j;
  // The rainbow continues from 0xC00000 towards 0xFFD500 (sky blue): g = 213 * j / 10.
  EXPECT_EQ(Entry(177), RGB(0, 0, 192));
  EXPECT_EQ(Entry(182), RGB(0, 106, 192 + 31));
  EXPECT_EQ(Entry(207), RGB(255, 255, 0));
  EXPECT_EQ(Entry(216), RGB(255, 255 - 172, 0));
}

TEST_F(SharedPaletteTest, SingleSegmentRange) {
  SharedPalette->SetRange(5, -1);
  EXPECT_EQ(SharedPalette->RangeFirstEntry(), 105);
  EXPECT_EQ(SharedPalette->RangeEntryCount(), 1);
  for (double f : {-3.0, 0.0, 0.3, 1.0, 7.0})
    EXPECT_EQ(SharedPalette->ValueToIndex(f), PALETTEINDEX(105));
  EXPECT_EQ(SharedPalette->ValueToColor(0.5), RGB(0, 0, 0x5A));
}

TEST_F(SharedPaletteTest, RainbowRunMapsFractions) {
  SharedPalette->SetRange(9, 13);
  EXPECT_EQ(SharedPalette->RangeFirstEntry(), 167);
  EXPECT_EQ(SharedPalette->RangeLastEntry(), 216);
  EXPECT_EQ(SharedPalette->RangeEntryCount(), 50);
  EXPECT_EQ(SharedPalette->ValueToIndex(0.0), PALETTEINDEX(167));
  EXPECT_EQ(SharedPalette->ValueToIndex(1.0), PALETTEINDEX(216));
  EXPECT_EQ(SharedPalette->ValueToIndex(0.5), PALETTEINDEX(191));
  EXPECT_EQ(SharedPalette->ValueToIndex(-0.5), PALETTEINDEX(167));
  EXPECT_EQ(SharedPalette->ValueToIndex(2.0), PALETTEINDEX(216));
  EXPECT_EQ(SharedPalette->ValueToIndex(std::numeric_limits<double>::quiet_NaN()),
            PALETTEINDEX(167));
  EXPECT_EQ(SharedPalette->ValueToIndex(1e300), PALETTEINDEX(216));
  const RGBTRIPLE triple = SharedPalette->ValueToTriple(0.0);
  EXPECT_EQ(triple.rgbtBlue, 0);
  EXPECT_EQ(SharedPalette->RangeColor(-4), PALETTEINDEX(167));
  EXPECT_EQ(SharedPalette->RangeColor(100), PALETTEINDEX(216));
  EXPECT_EQ(SharedPalette->RangeColorRGB(1), RGB(0, 0, 19));
  EXPECT_EQ(SharedPalette->RangeColorTriple(1).rgbtBlue, 19);
}

TEST_F(SharedPaletteTest, RangeArgumentsAreClamped) {
  SharedPalette->SetRange(20, 3);
  EXPECT_EQ(SharedPalette->RangeFirstSegment(), 13);
  EXPECT_EQ(SharedPalette->RangeLastSegment(), 13);
  SharedPalette->SetRange(-4, 0);
  EXPECT_EQ(SharedPalette->RangeFirstSegment(), 0);
  EXPECT_EQ(SharedPalette->RangeLastSegment(), 0);
  SharedPalette->SetRange(7, 2);
  EXPECT_EQ(SharedPalette->RangeLastSegment(), 7);
  SharedPalette->ResetRange();
  EXPECT_EQ(SharedPalette->RangeLastEntry(), 216);
}

TEST_F(SharedPaletteTest, StandardColoursAndTheirIndices) {
  EXPECT_EQ(SharedPalette->PaletteIndex(0), PALETTEINDEX(217));
  EXPECT_EQ(SharedPalette->PaletteIndex(15), PALETTEINDEX(232));
  EXPECT_EQ(SharedPalette->PaletteIndex(99), PALETTEINDEX(232));
  EXPECT_EQ(TOPalette::StandardColor(16), RGB(255, 255, 255));
  EXPECT_EQ(TOPalette::StandardColor(-1), RGB(0, 0, 0));
  EXPECT_EQ(TOPalette::StandardColor(7), RGB(192, 192, 192));
  EXPECT_EQ(TOPalette::StandardColor(4), RGB(127, 0, 0));
  EXPECT_EQ(TOPalette::StandardColorTriple(9).rgbtBlue, 255);
  EXPECT_EQ(SharedPalette->ColorOf(3, true), PALETTEINDEX(3));
  EXPECT_EQ(SharedPalette->ColorOf(3, false), RGB(0, 127, 127));
  SetDisplayHasEightBits(true);
  EXPECT_EQ(SharedPaletteColor(12), RGB(255, 0, 0));
  SetDisplayHasEightBits(false);
  EXPECT_EQ(SharedPaletteColor(12), PALETTEINDEX(229));
  SetDisplayHasEightBits(true);
  EXPECT_EQ(GetDefault3DBackColor(), 0x5A0000u);
  // A chosen background holds for every 3-D window made afterwards.
  SetDefault3DBackColor(RGB(10, 20, 30));
  EXPECT_EQ(GetDefault3DBackColor(), RGB(10, 20, 30));
  SetDefault3DBackColor(0x5A0000);
}

TEST_F(SharedPaletteTest, PaletteIndexDrawsTheEntryColour) {
  QImage image(233, 1, QImage::Format_RGB32);
  image.fill(0u);
  TImageDC dc(&image);
  SharedPalette->SelectAndRealize(dc);
  for (int i = 0; i < 233; ++i) dc.SetPixel(i, 0, PALETTEINDEX(i));
  dc.RestorePalette();
  for (int i = 0; i < 233; ++i) {
    EXPECT_EQ(ColorOfPixel(image.pixel(i, 0)), Entry(i)) << i;
  }
  EXPECT_EQ(ColorOfPixel(image.pixel(167 + 3, 0)), RGB(0, 0, 57));
}

TEST_F(SharedPaletteTest, SwatchesAreFiveByThirtyHundredToARow) {
  QImage image(520, 200, QImage::Format_RGB32);
  image.fill(0xFFFFFFFFu);
  TImageDC dc(&image);
  SharedPalette->DrawSwatches(dc, 0, -1);
  dc.RestorePalette();
  EXPECT_EQ(ColorOfPixel(image.pixel(10, 50)), Entry(0));
  EXPECT_EQ(ColorOfPixel(image.pixel(14, 79)), Entry(0));
  EXPECT_EQ(ColorOfPixel(image.pixel(15, 50)), Entry(1));
  EXPECT_EQ(ColorOfPixel(image.pixel(10, 100)), Entry(100));
  EXPECT_EQ(ColorOfPixel(image.pixel(10, 150)), Entry(200));
  EXPECT_EQ(ColorOfPixel(image.pixel(10, 80)), RGB(255, 255, 255));
  EXPECT_EQ(SharedPalette->RangeEntryCount(), 217);
}

TEST_F(SharedPaletteTest, CreatingTwiceKeepsTheFirstPalette) {
  TOPalette *first = SharedPalette;
  CreateSharedPalette();
  EXPECT_EQ(SharedPalette, first);
  DestroySharedPalette();
  EXPECT_EQ(SharedPalette, nullptr);
  DestroySharedPalette();
  CreateSharedPalette();
}

TEST(OPalette, DefaultPaletteRunsGreenYellowRed) {
  TOPalette palette(nullptr, 0);
  EXPECT_EQ(palette.EntryCount(), 216);
  EXPECT_EQ(palette.SegmentCount(), 2);
  EXPECT_EQ(PaletteEntryColor(palette, 0), RGB(0, 255, 0));
  EXPECT_EQ(PaletteEntryColor(palette, 50), RGB(127, 255, 0));
  EXPECT_EQ(PaletteEntryColor(palette, 100), RGB(255, 255, 0));
  EXPECT_EQ(PaletteEntryColor(palette, 199), RGB(255, 2, 0));  // 255 - 252.45, truncated
  EXPECT_EQ(palette.PaletteIndex(0), PALETTEINDEX(200));
}

TEST(OPalette, FractionTablePlacesEntries) {
  const double fractions[3] = {0.0, 0.25, 1.0};
  const TColorRamp ramp{3, RGB(0, 0, 0), RGB(200, 100, 40), fractions};
  TOPalette palette(&ramp, 1, false, PC_NOCOLLAPSE);
  ASSERT_EQ(palette.EntryCount(), 3);
  EXPECT_EQ(PaletteEntryColor(palette, 1), RGB(50, 25, 10));
  // A fraction of 1 reaches the end colour.
  EXPECT_EQ(PaletteEntryColor(palette, 2), RGB(200, 100, 40));
  PALETTEENTRY entry;
  palette.GetPaletteEntries(0, 1, &entry);
  EXPECT_EQ(entry.peFlags, PC_NOCOLLAPSE);
}

TEST(OPalette, DecreasingRampTruncatesTowardZero) {
  // 200 + (0 - 200) * 1/3 = 133.33 -> 133.
  const TColorRamp ramp{3, RGB(200, 0, 0), RGB(0, 0, 0), nullptr};
  TOPalette palette(&ramp, 1, false, 0);
  EXPECT_EQ(PaletteEntryColor(palette, 1), RGB(133, 0, 0));
  EXPECT_EQ(PaletteEntryColor(palette, 2), RGB(66, 0, 0));
}

TEST(OPalette, EmptyOrBrokenRampsGiveAnEmptyPalette) {
  const TColorRamp negative{-5, 0, 0, nullptr};
  TOPalette broken(&negative, 1, false, 0);
  EXPECT_EQ(broken.EntryCount(), 0);
  EXPECT_EQ(broken.SegmentCount(), 0);
  EXPECT_EQ(broken.RangeEntryCount(), 0);
  broken.SetRange(3, 4);
  EXPECT_EQ(broken.ValueToColor(0.5), 0u);
  EXPECT_EQ(CreateRampPalette(nullptr, 0, false, 0), nullptr);
}

TEST(OPalette, RefillFromRampsRewritesEntries) {
  const TColorRamp grey{4, RGB(0, 0, 0), RGB(100, 100, 100), nullptr};
  TOPalette palette(&grey, 1, false, 0);
  const TColorRamp red{2, RGB(250, 0, 0), RGB(250, 0, 0), nullptr};
  EXPECT_TRUE(TOPalette::FillFromRamps(palette, &red, 1, 0));
  EXPECT_EQ(PaletteEntryColor(palette, 1), RGB(250, 0, 0));
  EXPECT_EQ(PaletteEntryColor(palette, 2), RGB(50, 50, 50));
  EXPECT_FALSE(TOPalette::FillFromRamps(nullptr, &red, 1, 0));
  EXPECT_FALSE(TOPalette::IsPaletteDevice());
}

TEST(OPalette, FrameworkConstructorsMakeOneSegment) {
  const PALETTEENTRY entries[5] = {};
  TOPalette fromEntries(entries, 5);
  EXPECT_EQ(fromEntries.SegmentCount(), 1);
  EXPECT_EQ(fromEntries.RangeEntryCount(), 5);
  TOPalette copy(static_cast<const TPalette &>(fromEntries));
  EXPECT_EQ(copy.EntryCount(), 5);
  EXPECT_NE(static_cast<HPALETTE>(copy), static_cast<HPALETTE>(fromEntries));
}
