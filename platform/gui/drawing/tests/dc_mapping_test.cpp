// Mapping modes: logical units scaled by viewport extent / window extent.

#include "platform/gui/drawing/dc_kinds.h"

#include "platform/gui/windows/test_kit.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

QImage WhiteImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(0xFFFFFFFFu);
  return image;
}

COLORREF At(const QImage &image, int x, int y) { return ColorOfPixel(image.pixel(x, y)); }

// Half a pixel per logical unit across, one down.
void HalfWidthMapping(TDC &dc) {
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(SIZE{200, 100});
  dc.SetViewportExt(SIZE{100, 100});
}

}  // namespace

TEST(DeviceContextMapping, AnisotropicScalesEachAxis) {
  QImage image = WhiteImage(120, 120);
  TImageDC dc(&image);
  HalfWidthMapping(dc);
  TBrush black(RGB(0, 0, 0));
  dc.FillRect(RECT{20, 10, 60, 30}, black);
  // Logical x 20..60 is device 10..30; y stays.
  EXPECT_EQ(At(image, 9, 15), kWhite);
  EXPECT_EQ(At(image, 10, 15), 0u);
  EXPECT_EQ(At(image, 29, 29), 0u);
  EXPECT_EQ(At(image, 30, 15), kWhite);
  EXPECT_EQ(At(image, 15, 30), kWhite);
  POINT p{100, 50};
  dc.LPtoDP(&p, 1);
  EXPECT_EQ(p.x, 50);
  EXPECT_EQ(p.y, 50);
  dc.DPtoLP(&p, 1);
  EXPECT_EQ(p.x, 100);
  EXPECT_EQ(p.y, 50);
  RECT box;
  dc.GetClipBox(&box);
  EXPECT_EQ(box.right, 240);
  EXPECT_EQ(box.bottom, 120);
}

TEST(DeviceContextMapping, WindowAndViewportOriginsShiftTheMapping) {
  // device = (logical - window origin) x viewport extent / window extent + viewport origin
  QImage image = WhiteImage(120, 120);
  TImageDC dc(&image);
  dc.SetWindowOrg(POINT{10, 20});
  dc.SetViewportOrg(POINT{5, 5});
  TBrush black(RGB(0, 0, 0));
  dc.FillRect(RECT{10, 20, 30, 40}, black);  // device 5..25 on both axes
  EXPECT_EQ(At(image, 4, 10), kWhite);
  EXPECT_EQ(At(image, 5, 10), 0u);
  EXPECT_EQ(At(image, 24, 24), 0u);
  EXPECT_EQ(At(image, 25, 10), kWhite);
  EXPECT_EQ(At(image, 10, 4), kWhite);
  EXPECT_EQ(At(image, 10, 25), kWhite);
  POINT point{10, 20};
  dc.LPtoDP(&point, 1);
  EXPECT_EQ(point.x, 5);
  EXPECT_EQ(point.y, 5);
  dc.DPtoLP(&point, 1);
  EXPECT_EQ(point.x, 10);
  EXPECT_EQ(point.y, 20);

  // Half a pixel per logical unit across: logical (30, 60) is device (15, 45).
  HalfWidthMapping(dc);
  point = POINT{30, 60};
  dc.LPtoDP(&point, 1);
  EXPECT_EQ(point.x, 15);
  EXPECT_EQ(point.y, 45);
  point = POINT{15, 45};
  dc.DPtoLP(&point, 1);
  EXPECT_EQ(point.x, 30);
  EXPECT_EQ(point.y, 60);
}

TEST(DeviceContextMapping, IsotropicKeepsUnitsSquare) {
  QImage image = WhiteImage(100, 100);
  TImageDC dc(&image);
  dc.SetMapMode(MM_ISOTROPIC);
  dc.SetWindowExt(SIZE{100, 100});
  dc.SetViewportExt(SIZE{50, 80});
  POINT p{40, 40};
  dc.LPtoDP(&p, 1);
  EXPECT_EQ(p.x, 20);
  EXPECT_EQ(p.y, 20);
}

TEST(DeviceContextMapping, FlippedAxisStillFillsRectangles) {
  QImage image = WhiteImage(40, 40);
  TImageDC dc(&image);
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(SIZE{40, 40});
  dc.SetViewportExt(SIZE{40, -40});
  dc.SetViewportOrg(POINT{0, 40});
  TBrush black(RGB(0, 0, 0));
  // Logical y grows upward: 0..10 is the bottom band of the image.
  dc.FillRect(RECT{0, 0, 10, 10}, black);
  EXPECT_EQ(At(image, 5, 35), 0u);
  EXPECT_EQ(At(image, 5, 5), kWhite);
}

TEST(DeviceContextMapping, ZeroExtentsAreRefused) {
  QImage image = WhiteImage(4, 4);
  TImageDC dc(&image);
  dc.SetMapMode(MM_ANISOTROPIC);
  const SIZE before = dc.GetWindowExt();
  dc.SetWindowExt(SIZE{0, 10});
  EXPECT_EQ(dc.GetWindowExt().cx, before.cx);
  dc.SetViewportExt(SIZE{5, 0});
  EXPECT_EQ(dc.GetViewportExt().cy, 1);
  EXPECT_EQ(dc.SetMapMode(99), 0);
  EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
  dc.SetPixel(3, 3, 0);
  EXPECT_EQ(At(image, 3, 3), 0u);
}

TEST(DeviceContextMapping, PenWidthAndBlockSizesScale) {
  QImage image = WhiteImage(60, 60);
  TImageDC dc(&image);
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(SIZE{10, 10});
  dc.SetViewportExt(SIZE{40, 40});
  TPen pen(RGB(0, 0, 0), 1);
  dc.SelectObject(pen);
  dc.MoveTo(1, 5);
  dc.LineTo(9, 5);
  dc.RestorePen();
  // One logical unit is four pixels: the line is about four pixels thick.
  EXPECT_EQ(At(image, 20, 19), 0u);
  EXPECT_EQ(At(image, 20, 21), 0u);
  EXPECT_EQ(At(image, 20, 26), kWhite);

  QImage source = WhiteImage(2, 2);
  source.setPixel(0, 0, PixelOfColor(RGB(255, 0, 0)));
  TImageDC sourceDc(&source);
  QImage target = WhiteImage(20, 20);
  TImageDC targetDc(&target);
  targetDc.SetMapMode(MM_ANISOTROPIC);
  targetDc.SetWindowExt(SIZE{1, 1});
  targetDc.SetViewportExt(SIZE{5, 5});
  targetDc.BitBlt(0, 0, 2, 2, sourceDc, 0, 0, SRCCOPY);
  EXPECT_EQ(At(target, 4, 4), RGB(255, 0, 0));
  EXPECT_EQ(At(target, 5, 4), kWhite);
  EXPECT_EQ(At(target, 9, 9), kWhite);
  EXPECT_EQ(At(target, 10, 10), kWhite);
}

TEST(DeviceContextMapping, FontHeightsAreLogicalUnits) {
  test_kit::EnsureApplication();
  QImage image = WhiteImage(200, 200);
  TImageDC plain(&image);
  TFont font("Arial", 20);
  plain.SelectObject(font);
  TEXTMETRIC plainMetrics;
  plain.GetTextMetrics(plainMetrics);
  const SIZE plainExtent = plain.GetTextExtent("Millimetre");
  plain.RestoreFont();

  TImageDC scaled(&image);
  scaled.SetMapMode(MM_ANISOTROPIC);
  scaled.SetWindowExt(SIZE{1, 1});
  scaled.SetViewportExt(SIZE{2, 2});
  scaled.SelectObject(font);
  TEXTMETRIC scaledMetrics;
  scaled.GetTextMetrics(scaledMetrics);
  // The same logical font: logical measures agree, within rounding of the doubled font.
  EXPECT_NEAR(scaledMetrics.tmHeight, plainMetrics.tmHeight, 1);
  EXPECT_NEAR(scaled.GetTextExtent("Millimetre").cx, plainExtent.cx, 3);
  RECT rect{0, 0, 0, 0};
  const int height = scaled.DrawText("Millimetre", -1, rect, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(height, rect.bottom);
  EXPECT_NEAR(rect.right, plainExtent.cx, 3);
  scaled.RestoreFont();
}
