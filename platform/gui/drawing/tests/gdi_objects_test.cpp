#include "platform/gui/drawing/gdi_objects.h"

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/sys_colors.h"

#include <gtest/gtest.h>

TEST(GdiObjects, SelectedAndStockObjectsAreNotDeleted) {
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  ASSERT_NE(pen, nullptr);
  QImage image(4, 4, QImage::Format_RGB32);
  {
    TImageDC dc(&image);
    HPEN previous = dc.SelectObject(pen);
    EXPECT_EQ(previous, GetStockObject(BLACK_PEN));
    EXPECT_FALSE(DeleteObject(pen));
    dc.SelectObject(previous);
  }
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_EQ(GetStockObject(WHITE_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(GdiObjects, SelectingAnObjectOfTheWrongKindChangesNothing) {
  QImage image(4, 4, QImage::Format_RGB32);
  TImageDC dc(&image);
  HGDIOBJ brush = GetStockObject(BLACK_BRUSH);
  EXPECT_EQ(dc.SelectObject(static_cast<HPEN>(nullptr)), nullptr);
  EXPECT_EQ(dc.GetCurrentPen(), GetStockObject(BLACK_PEN));
  EXPECT_EQ(dc.SelectObject(brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(dc.GetCurrentBrush(), brush);
  // A plain context holds no bitmap.
  TBitmap bitmap(2, 2);
  EXPECT_EQ(dc.SelectObject(static_cast<HBITMAP>(bitmap)), nullptr);
  dc.RestoreBrush();
}

TEST(GdiObjects, RectangleRegionExcludesRightAndBottomEdges) {
  TRegion region(RECT{2, 3, 6, 8});
  EXPECT_TRUE(region.Contains(POINT{2, 3}));
  EXPECT_TRUE(region.Contains(POINT{5, 7}));
  EXPECT_FALSE(region.Contains(POINT{6, 7}));
  EXPECT_FALSE(region.Contains(POINT{5, 8}));
  const RECT box = region.GetRgnBox();
  EXPECT_EQ(box.right, 6);
  EXPECT_EQ(box.bottom, 8);
  HRGN inverted = CreateRectRgn(6, 8, 2, 3);
  EXPECT_TRUE(PtInRegion(inverted, 4, 4));
  OffsetRgn(inverted, 10, 0);
  EXPECT_FALSE(PtInRegion(inverted, 4, 4));
  EXPECT_TRUE(PtInRegion(inverted, 14, 4));
  DeleteObject(inverted);
}

TEST(GdiObjects, PolygonRegionHitTestAndFill) {
  const POINT triangle[3] = {{0, 0}, {20, 0}, {0, 20}};
  TRegion region(triangle, 3);
  EXPECT_TRUE(region.Contains(POINT{3, 3}));
  EXPECT_FALSE(region.Contains(POINT{15, 15}));
  EXPECT_FALSE(region.Contains(POINT{-1, 5}));
  const POINT tooFew[2] = {{0, 0}, {5, 5}};
  TRegion empty(tooFew, 2);
  EXPECT_EQ(GetRgnBox(empty, nullptr), NULLREGION);

  QImage image(24, 24, QImage::Format_RGB32);
  image.fill(0xFFFFFFFFu);
  TImageDC dc(&image);
  TBrush red(RGB(255, 0, 0));
  dc.FillRgn(region, red);
  EXPECT_EQ(ColorOfPixel(image.pixel(3, 3)), RGB(255, 0, 0));
  EXPECT_EQ(ColorOfPixel(image.pixel(15, 15)), RGB(255, 255, 255));
}

TEST(GdiObjects, PaletteEntriesAndNearestIndex) {
  const PALETTEENTRY entries[4] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
  TPalette palette(entries, 4);
  EXPECT_EQ(palette.GetNumEntries(), 4);
  EXPECT_EQ(palette.GetNearestPaletteIndex(RGB(200, 30, 20)), 1u);
  EXPECT_EQ(palette.GetNearestPaletteIndex(RGB(10, 10, 240)), 3u);
  PALETTEENTRY out[8];
  EXPECT_EQ(palette.GetPaletteEntries(2, 8, out), 2u);
  EXPECT_EQ(out[0].peGreen, 255);
  EXPECT_EQ(palette.GetPaletteEntries(9, 1, out), 0u);
  const PALETTEENTRY grey{9, 9, 9, 0};
  EXPECT_EQ(palette.SetPaletteEntries(3, 5, &grey), 1u);
  EXPECT_EQ(PaletteEntryColor(palette, 3), RGB(9, 9, 9));
  EXPECT_EQ(PaletteEntryColor(palette, 4), 0u);
  EXPECT_EQ(CreatePaletteFromEntries(entries, 0), nullptr);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
}

TEST(GdiObjects, BitmapsOfImpossibleSizeAreRefused) {
  EXPECT_EQ(CreateBitmapOfSize(0, 10), nullptr);
  EXPECT_EQ(CreateBitmapOfSize(-5, 10), nullptr);
  EXPECT_EQ(CreateBitmapOfSize(1 << 20, 1 << 20), nullptr);
  TBitmap bitmap(7, 3);
  EXPECT_EQ(bitmap.Width(), 7);
  EXPECT_EQ(bitmap.Height(), 3);
}

TEST(SystemColours, ClassicLightGreyScheme) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), 0x800000u);
  EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
  EXPECT_EQ(GetSysColor(-1), 0u);
  EXPECT_EQ(GetSysColor(21), 0u);
}
