#include "platform/gui/drawing/dc_kinds.h"

#include <gtest/gtest.h>

#include <QImage>

#include <random>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

QImage WhiteImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(kWhite);
  return image;
}

COLORREF At(const QImage &image, int x, int y) { return ColorOfPixel(image.pixel(x, y)); }

QImage NoiseImage(int width, int height, unsigned seed) {
  QImage image(width, height, QImage::Format_RGB32);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
  }
  return image;
}

}  // namespace

TEST(DeviceContextLines, LineOmitsItsEndPoint) {
  QImage image = WhiteImage(20, 20);
  TImageDC dc(&image);
  dc.MoveTo(2, 5);
  dc.LineTo(8, 5);
  for (int x = 2; x < 8; ++x) EXPECT_EQ(At(image, x, 5), RGB(0, 0, 0)) << x;
  EXPECT_EQ(At(image, 8, 5), RGB(255, 255, 255));
  EXPECT_EQ(At(image, 1, 5), RGB(255, 255, 255));
  EXPECT_EQ(dc.GetCurrentPosition().x, 8);
}

TEST(DeviceContextLines, DiagonalVisitsOnePixelPerStep) {
  QImage image = WhiteImage(20, 20);
  TImageDC dc(&image);
  dc.MoveTo(10, 10);
  dc.LineTo(4, 4);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(At(image, 10 - i, 10 - i), RGB(0, 0, 0)) << i;
  EXPECT_EQ(At(image, 4, 4), RGB(255, 255, 255));
  int black = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) black += At(image, x, y) == 0 ? 1 : 0;
  }
  EXPECT_EQ(black, 6);
}

TEST(DeviceContextLines, DottedPenKeepsPhaseAcrossSegments) {
  QImage oneLine = WhiteImage(40, 4);
  QImage twoLines = WhiteImage(40, 4);
  TPen dotted(RGB(0, 0, 0), 1, PS_DOT);
  {
    TImageDC dc(&oneLine);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(dotted);
    dc.MoveTo(0, 1);
    dc.LineTo(30, 1);
    dc.RestorePen();
  }
  {
    TImageDC dc(&twoLines);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(dotted);
    dc.MoveTo(0, 1);
    dc.LineTo(7, 1);
    dc.LineTo(30, 1);
    dc.RestorePen();
  }
  EXPECT_EQ(oneLine, twoLines);
  // Three on, three off from the start of the figure.
  EXPECT_EQ(At(oneLine, 0, 1), 0u);
  EXPECT_EQ(At(oneLine, 2, 1), 0u);
  EXPECT_EQ(At(oneLine, 3, 1), RGB(255, 255, 255));
  EXPECT_EQ(At(oneLine, 5, 1), RGB(255, 255, 255));
  EXPECT_EQ(At(oneLine, 6, 1), 0u);
}

TEST(DeviceContextLines, OpaqueDottedLineFillsGapsWithBackground) {
  QImage image = WhiteImage(12, 2);
  TImageDC dc(&image);
  TPen dotted(RGB(0, 0, 0), 1, PS_DOT);
  dc.SelectObject(dotted);
  dc.SetBkColor(RGB(255, 0, 0));
  dc.MoveTo(0, 0);
  dc.LineTo(12, 0);
  dc.RestorePen();
  EXPECT_EQ(At(image, 1, 0), 0u);
  EXPECT_EQ(At(image, 4, 0), RGB(255, 0, 0));
}

TEST(DeviceContextLines, DottedXorRectangleDrawnTwiceRestoresImage) {
  QImage image = NoiseImage(64, 48, 4242u);
  const QImage original = image.copy();
  TPen pen(RGB(255, 255, 255), 1, PS_DOT);
  TImageDC dc(&image);
  dc.SetBkMode(TRANSPARENT);
  dc.SetROP2(R2_XORPEN);
  dc.SelectObject(pen);
  auto outline = [&dc](int l, int t, int r, int b) {
    dc.MoveTo(l, t);
    dc.LineTo(r, t);
    dc.LineTo(r, b);
    dc.LineTo(l, b);
    dc.LineTo(l, t);
  };
  outline(5, 7, 50, 40);
  EXPECT_NE(image, original);
  // The corner where the outline starts and ends is drawn once, so it is inverted.
  EXPECT_EQ(image.pixel(5, 7) & 0xFFFFFFu, (original.pixel(5, 7) ^ 0xFFFFFFu) & 0xFFFFFFu);
  outline(5, 7, 50, 40);
  EXPECT_EQ(image, original);
  // Leftward and upward drags give reversed rectangles; they restore the same way.
  outline(60, 45, 2, 3);
  outline(60, 45, 2, 3);
  dc.RestorePen();
  EXPECT_EQ(image, original);
}

TEST(DeviceContextLines, RectangleOutlinesWithPenAndFillsWithBrush) {
  QImage image = WhiteImage(20, 20);
  TImageDC dc(&image);
  TBrush brush(RGB(0, 0, 255));
  TPen pen(RGB(255, 0, 0));
  dc.SelectObject(brush);
  dc.SelectObject(pen);
  dc.Rectangle(2, 3, 8, 9);
  dc.RestoreObjects();
  EXPECT_EQ(At(image, 2, 3), RGB(255, 0, 0));
  EXPECT_EQ(At(image, 7, 8), RGB(255, 0, 0));
  EXPECT_EQ(At(image, 7, 5), RGB(255, 0, 0));
  EXPECT_EQ(At(image, 4, 5), RGB(0, 0, 255));
  EXPECT_EQ(At(image, 8, 5), RGB(255, 255, 255));
  EXPECT_EQ(At(image, 5, 9), RGB(255, 255, 255));
}

TEST(DeviceContextLines, InsideFramePenStaysInsideTheRectangle) {
  QImage image = WhiteImage(20, 20);
  TImageDC dc(&image);
  TPen pen(RGB(0, 128, 0), 3, PS_INSIDEFRAME);
  dc.SelectObject(pen);
  dc.SelectObject(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  dc.Rectangle(4, 4, 14, 14);
  dc.RestoreObjects();
  EXPECT_EQ(At(image, 3, 8), RGB(255, 255, 255));
  EXPECT_EQ(At(image, 4, 8), RGB(0, 128, 0));
  EXPECT_EQ(At(image, 6, 8), RGB(0, 128, 0));
  EXPECT_EQ(At(image, 7, 8), RGB(255, 255, 255));
  EXPECT_EQ(At(image, 13, 8), RGB(0, 128, 0));
  EXPECT_EQ(At(image, 14, 8), RGB(255, 255, 255));
}

TEST(DeviceContextLines, RectangleWithoutPenIsOnePixelSmaller) {
  QImage image = WhiteImage(10, 10);
  TImageDC dc(&image);
  dc.SelectObject(static_cast<HPEN>(GetStockObject(NULL_PEN)));
  dc.SelectObject(static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  dc.Rectangle(1, 1, 5, 5);
  dc.RestoreObjects();
  EXPECT_EQ(At(image, 1, 1), 0u);
  EXPECT_EQ(At(image, 3, 3), 0u);
  EXPECT_EQ(At(image, 4, 3), RGB(255, 255, 255));
  EXPECT_EQ(At(image, 3, 4), RGB(255, 255, 255));
}

TEST(DeviceContextLines, WideLineCoversItsWidth) {
  QImage image = WhiteImage(30, 30);
  TImageDC dc(&image);
  TPen pen(RGB(0, 0, 0), 5);
  dc.SelectObject(pen);
  dc.MoveTo(5, 15);
  dc.LineTo(25, 15);
  dc.RestorePen();
  EXPECT_EQ(At(image, 15, 13), 0u);
  EXPECT_EQ(At(image, 15, 17), 0u);
  EXPECT_EQ(At(image, 15, 20), RGB(255, 255, 255));
}

TEST(DeviceContextLines, FarAwayCoordinatesAreCheapAndSafe) {
  QImage image = WhiteImage(16, 16);
  TImageDC dc(&image);
  dc.MoveTo(-2000000000, 8);
  dc.LineTo(2000000000, 8);
  dc.MoveTo(8, -2000000000);
  dc.LineTo(8, 2000000000);
  EXPECT_EQ(At(image, 0, 8), 0u);
  EXPECT_EQ(At(image, 15, 8), 0u);
  EXPECT_EQ(At(image, 8, 0), 0u);
  dc.Rectangle(-2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_EQ(At(image, 5, 5), RGB(255, 255, 255));
}

TEST(DeviceContextLines, OriginAndClipOfTheContext) {
  QImage image = WhiteImage(30, 30);
  // A client area at (5, 7) of 10 x 10 inside a larger image.
  TDC dc(&image, POINT{5, 7}, RECT{5, 7, 15, 17});
  dc.SetPixel(0, 0, RGB(1, 2, 3));
  EXPECT_EQ(At(image, 5, 7), RGB(1, 2, 3));
  EXPECT_EQ(dc.GetPixel(0, 0), RGB(1, 2, 3));
  dc.MoveTo(-5, 3);
  dc.LineTo(20, 3);
  EXPECT_EQ(At(image, 4, 10), RGB(255, 255, 255));
  EXPECT_EQ(At(image, 5, 10), 0u);
  EXPECT_EQ(At(image, 14, 10), 0u);
  EXPECT_EQ(At(image, 15, 10), RGB(255, 255, 255));
  EXPECT_EQ(dc.SetPixel(-1, 0, 0), CLR_INVALID);
  EXPECT_EQ(dc.GetPixel(10, 0), CLR_INVALID);
  dc.SetViewportOrg(POINT{2, 0});
  dc.SetPixel(0, 1, RGB(9, 9, 9));
  EXPECT_EQ(At(image, 7, 8), RGB(9, 9, 9));
  EXPECT_EQ(dc.DirtyRect(), QRect(5, 7, 10, 4));
}

TEST(DeviceContextLines, SelectedClipRegionLimitsDrawing) {
  QImage image = WhiteImage(20, 20);
  TImageDC dc(&image);
  TRegion region(RECT{5, 5, 10, 10});
  EXPECT_EQ(dc.SelectClipRgn(region), SIMPLEREGION);
  RECT box;
  dc.GetClipBox(&box);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.right, 10);
  TBrush black(RGB(0, 0, 0));
  dc.FillRect(RECT{0, 0, 20, 20}, black);
  EXPECT_EQ(At(image, 4, 5), RGB(255, 255, 255));
  EXPECT_EQ(At(image, 5, 5), 0u);
  EXPECT_EQ(At(image, 9, 9), 0u);
  EXPECT_EQ(At(image, 10, 9), RGB(255, 255, 255));
  dc.SelectClipRgn(nullptr);
  dc.FillRect(RECT{0, 0, 1, 1}, black);
  EXPECT_EQ(At(image, 0, 0), 0u);
}

TEST(DeviceContextLines, PolygonFillsInsideAndOutlinesEdges) {
  QImage image = WhiteImage(30, 30);
  TImageDC dc(&image);
  TBrush brush(RGB(0, 255, 0));
  dc.SelectObject(brush);
  const POINT triangle[3] = {{2, 2}, {26, 2}, {2, 26}};
  dc.Polygon(triangle, 3);
  dc.RestoreBrush();
  EXPECT_EQ(At(image, 2, 2), 0u);
  EXPECT_EQ(At(image, 5, 5), RGB(0, 255, 0));
  EXPECT_EQ(At(image, 25, 25), RGB(255, 255, 255));
}

TEST(DeviceContextLines, PaletteIndexColoursComeFromTheSelectedPalette) {
  const PALETTEENTRY entries[3] = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}};
  TPalette palette(entries, 3);
  QImage image = WhiteImage(4, 4);
  TImageDC dc(&image);
  dc.SelectObject(palette);
  dc.SetPixel(0, 0, PALETTEINDEX(2));
  EXPECT_EQ(At(image, 0, 0), RGB(70, 80, 90));
  // An index beyond the palette falls back to its first entry rather than reading past it.
  dc.SetPixel(1, 0, PALETTEINDEX(200));
  EXPECT_EQ(At(image, 1, 0), RGB(10, 20, 30));
  dc.RestorePalette();
}

TEST(DeviceContextLines, InvertRectTwiceRestores) {
  QImage image = NoiseImage(10, 10, 5u);
  const QImage original = image.copy();
  TImageDC dc(&image);
  dc.InvertRect(RECT{1, 1, 9, 9});
  EXPECT_EQ(image.pixel(4, 4) & 0xFFFFFFu, ~original.pixel(4, 4) & 0xFFFFFFu);
  EXPECT_EQ(image.pixel(0, 0), original.pixel(0, 0));
  dc.InvertRect(RECT{1, 1, 9, 9});
  EXPECT_EQ(image, original);
}

TEST(DeviceContextLines, NullImageDrawsNothingAndDoesNotCrash) {
  TDC dc(nullptr, POINT{}, RECT{0, 0, 10, 10});
  EXPECT_EQ(dc.SetPixel(1, 1, 0), CLR_INVALID);
  dc.MoveTo(0, 0);
  EXPECT_TRUE(dc.LineTo(5, 5));
  EXPECT_TRUE(dc.Rectangle(0, 0, 4, 4));
  EXPECT_TRUE(dc.TextOut(0, 0, "x"));
}

TEST(DeviceContextLines, HugeFiguresStayInsideTheImage) {
  QImage image = WhiteImage(32, 32);
  TImageDC dc(&image);
  TBrush black(RGB(0, 0, 0));
  dc.SelectObject(black);
  const POINT huge[3] = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
  dc.Polygon(huge, 3);
  dc.RestoreBrush();
  EXPECT_EQ(At(image, 16, 16), 0u);
  TPen wide(RGB(255, 0, 0), 9);
  dc.SelectObject(wide);
  dc.MoveTo(-2000000000, 16);
  dc.LineTo(2000000000, 16);
  dc.RestorePen();
  EXPECT_EQ(At(image, 16, 16), RGB(255, 0, 0));
  EXPECT_EQ(At(image, 16, 14), RGB(255, 0, 0));
}
