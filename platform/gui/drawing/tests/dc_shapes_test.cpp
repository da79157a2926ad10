// Wide lines and paths, polygon fill modes, ellipses and arcs, SaveDC and RestoreDC.

#include "foundation/numerics/pi.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/windows/test_kit.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

QImage WhiteImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(kWhite);
  return image;
}

QImage NoiseImage(int width, int height, unsigned seed) {
  QImage image(width, height, QImage::Format_RGB32);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
  }
  return image;
}

COLORREF At(const QImage &image, int x, int y) { return ColorOfPixel(image.pixel(x, y)); }

// Distance from a point to a segment, by projection (clamped to the segment).
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double lengthSquared = dx * dx + dy * dy;
  double t = lengthSquared > 0 ? ((px - ax) * dx + (py - ay) * dy) / lengthSquared : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

int CountColour(const QImage &image, COLORREF color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += At(image, x, y) == color ? 1 : 0;
  }
  return count;
}

}  // namespace

TEST(DeviceContextWideLines, HorizontalLineCoversExactlyItsWidthInRows) {
  for (int width = 2; width <= 6; ++width) {
    QImage image = WhiteImage(40, 40);
    TImageDC dc(&image);
    TPen pen(kRed, width);
    dc.SelectObject(pen);
    dc.MoveTo(10, 20);
    dc.LineTo(30, 20);
    dc.RestorePen();
    int rows = 0;
    for (int y = 0; y < 40; ++y) rows += At(image, 20, y) == kRed ? 1 : 0;
    EXPECT_EQ(rows, width) << "width " << width;
  }
}

TEST(DeviceContextWideLines, CoverageMatchesTheDistanceToTheSegment) {
  // Every pixel whose centre lies well inside the stroke (distance below w/2 minus a margin
  // for the rounding of the centre line) is painted; none well outside is.
  constexpr double kEdgeMargin = 0.75;
  const unsigned seed = 20261207u;
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> coordinate(5, 75);
  for (int trial = 0; trial < 20; ++trial) {
    const int width = 2 + trial % 5;
    const int x0 = coordinate(random), y0 = coordinate(random);
    const int x1 = coordinate(random), y1 = coordinate(random);
    QImage image = WhiteImage(80, 80);
    TImageDC dc(&image);
    TPen pen(kRed, width);
    dc.SelectObject(pen);
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y1);
    dc.RestorePen();
    const double shift = width % 2 != 0 ? 0.5 : 0.0;
    for (int y = 0; y < 80; ++y) {
      for (int x = 0; x < 80; ++x) {
        const double distance =
            SegmentDistance(x + 0.5, y + 0.5, x0 + shift, y0 + shift, x1 + shift, y1 + shift);
        if (distance < width / 2.0 - kEdgeMargin) {
          ASSERT_EQ(At(image, x, y), kRed) << "seed " << seed << " trial " << trial << " at " << x << "," << y;
        } else if (distance > width / 2.0 + kEdgeMargin) {
          ASSERT_NE(At(image, x, y), kRed) << "seed " << seed << " trial " << trial << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(DeviceContextWideLines, XorPolylineInvertsEachPixelOnceJointsIncluded) {
  QImage image = NoiseImage(60, 60, 77u);
  const QImage original = image.copy();
  TImageDC dc(&image);
  TPen pen(RGB(255, 255, 255), 5);
  dc.SelectObject(pen);
  dc.SetROP2(R2_XORPEN);
  const POINT path[4] = {{10, 10}, {40, 10}, {40, 40}, {12, 30}};
  dc.Polyline(path, 4);
  // The joint at (40, 10) lies under both segments' round ends: inverted once, not twice.
  for (const POINT &joint : {path[1], path[2]}) {
    EXPECT_EQ(image.pixel(joint.x, joint.y) & 0xFFFFFFu,
              ~original.pixel(joint.x, joint.y) & 0xFFFFFFu);
  }
  dc.Polyline(path, 4);
  EXPECT_EQ(image, original);
  // A closed wide outline restores the same way.
  dc.SelectObject(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  dc.Polygon(path, 4);
  EXPECT_EQ(image.pixel(10, 10) & 0xFFFFFFu, ~original.pixel(10, 10) & 0xFFFFFFu);
  dc.Polygon(path, 4);
  dc.RestoreObjects();
  EXPECT_EQ(image, original);
}

TEST(DeviceContextPolygons, FillModeDecidesTheStarsCentre) {
  // A five-pointed star drawn in one stroke: its centre is wound twice.
  const POINT star[5] = {{50, 5}, {78, 90}, {5, 35}, {95, 35}, {22, 90}};
  QImage alternate = WhiteImage(100, 100);
  QImage winding = WhiteImage(100, 100);
  TBrush brush(kBlue);
  for (QImage *image : {&alternate, &winding}) {
    TImageDC dc(image);
    dc.SelectObject(brush);
    if (image == &winding) {
      EXPECT_EQ(dc.SetPolyFillMode(WINDING), ALTERNATE);
    }
    dc.Polygon(star, 5);
    dc.RestoreBrush();
  }
  EXPECT_EQ(At(alternate, 50, 50), RGB(255, 255, 255));
  EXPECT_EQ(At(winding, 50, 50), kBlue);
  // The points of the star are inside either way.
  EXPECT_EQ(At(alternate, 50, 20), kBlue);
  EXPECT_EQ(At(winding, 50, 20), kBlue);
  QImage scratch = WhiteImage(2, 2);
  TImageDC dc(&scratch);
  EXPECT_EQ(dc.SetPolyFillMode(7), 0);
  EXPECT_EQ(dc.GetPolyFillMode(), ALTERNATE);
}

TEST(DeviceContextEllipses, OutlineInsideTheRectangleAroundTheFill) {
  QImage image = WhiteImage(29, 29);  // the circle's centre pixel is the image's
  TImageDC dc(&image);
  TPen pen(kRed, 1);
  TBrush brush(kBlue);
  dc.SelectObject(pen);
  dc.SelectObject(brush);
  dc.Ellipse(4, 4, 25, 25);  // a circle of diameter 21 centred on pixel 14
  dc.RestoreObjects();
  EXPECT_EQ(At(image, 14, 14), kBlue);
  EXPECT_EQ(At(image, 4, 14), kRed);   // leftmost pixel of the middle row
  EXPECT_EQ(At(image, 24, 14), kRed);  // rightmost: the right edge is exclusive
  EXPECT_EQ(At(image, 25, 14), RGB(255, 255, 255));
  EXPECT_EQ(At(image, 14, 4), kRed);
  EXPECT_EQ(At(image, 5, 5), RGB(255, 255, 255));  // outside, near the corner
  // Symmetric left to right and top to bottom about the centre pixel.
  EXPECT_EQ(image, image.mirrored(true, false));
  EXPECT_EQ(image, image.mirrored(false, true));
  // Area close to pi r^2 (r = 10.5).
  const int area = CountColour(image, kRed) + CountColour(image, kBlue);
  EXPECT_NEAR(area, kPi * 10.5 * 10.5, 2 * kPi * 10.5);
}

TEST(DeviceContextEllipses, XorEllipseTwiceRestoresTheImage) {
  QImage image = NoiseImage(40, 30, 11u);
  const QImage original = image.copy();
  TImageDC dc(&image);
  TPen pen(RGB(255, 255, 255), 3);
  TBrush brush(RGB(0, 255, 0));
  dc.SelectObject(pen);
  dc.SelectObject(brush);
  dc.SetROP2(R2_XORPEN);
  dc.Ellipse(2, 3, 37, 28);
  EXPECT_NE(image, original);
  dc.Ellipse(2, 3, 37, 28);
  dc.RestoreObjects();
  EXPECT_EQ(image, original);
}

TEST(DeviceContextEllipses, ArcRunsCounterClockwiseFromStartToEnd) {
  QImage image = WhiteImage(30, 30);
  TImageDC dc(&image);
  TPen pen(kRed, 1);
  dc.SelectObject(pen);
  // From the right (3 o'clock) to the top (12 o'clock): the upper-right quarter.
  dc.Arc(4, 4, 25, 25, 30, 14, 14, 0);
  dc.RestorePen();
  EXPECT_EQ(At(image, 24, 13), kRed);
  EXPECT_EQ(At(image, 15, 4), kRed);
  EXPECT_EQ(At(image, 4, 14), RGB(255, 255, 255));   // left
  EXPECT_EQ(At(image, 14, 24), RGB(255, 255, 255));  // bottom
  int upperRight = 0;
  int elsewhere = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      if (At(image, x, y) != kRed) continue;
      (x >= 14 && y <= 15 ? upperRight : elsewhere) += 1;
    }
  }
  EXPECT_GT(upperRight, 10);
  EXPECT_EQ(elsewhere, 0);
  // Start and end on the same ray: the whole outline.
  QImage full = WhiteImage(30, 30);
  TImageDC fullDc(&full);
  fullDc.Arc(4, 4, 25, 25, 30, 14, 30, 14);
  EXPECT_EQ(At(full, 4, 14), 0u);
  EXPECT_EQ(At(full, 14, 24), 0u);
}

TEST(DeviceContextState, RestoreDCBringsBackObjectsModesAndMapping) {
  QImage image = WhiteImage(20, 20);
  TImageDC dc(&image);
  HPEN red = CreatePen(PS_SOLID, 1, kRed);
  HPEN blue = CreatePen(PS_SOLID, 1, kBlue);
  dc.SelectObject(red);
  dc.SetROP2(R2_XORPEN);
  EXPECT_EQ(dc.SaveDC(), 1);
  dc.SelectObject(blue);
  dc.SetROP2(R2_COPYPEN);
  dc.SetViewportOrg(POINT{5, 5});
  dc.SetPolyFillMode(WINDING);
  dc.IntersectClipRect(RECT{0, 0, 2, 2});
  EXPECT_EQ(dc.SaveDC(), 2);
  dc.SetTextColor(kBlue);
  // The saved red pen is still in use: it cannot be deleted.
  dc.SelectObject(static_cast<HPEN>(GetStockObject(BLACK_PEN)));
  EXPECT_FALSE(DeleteObject(red));

  EXPECT_TRUE(dc.RestoreDC(-1));
  EXPECT_EQ(dc.GetTextColor(), 0u);
  EXPECT_EQ(dc.GetCurrentPen(), blue);
  EXPECT_EQ(dc.GetViewportOrg().x, 5);
  EXPECT_TRUE(dc.RestoreDC(1));
  EXPECT_EQ(dc.GetCurrentPen(), red);
  EXPECT_EQ(dc.GetROP2(), R2_XORPEN);
  EXPECT_EQ(dc.GetViewportOrg().x, 0);
  EXPECT_EQ(dc.GetPolyFillMode(), ALTERNATE);
  RECT box;
  dc.GetClipBox(&box);
  EXPECT_EQ(box.right, 20);
  // Nothing saved any more.
  EXPECT_FALSE(dc.RestoreDC(-1));
  EXPECT_FALSE(dc.RestoreDC(0));
  dc.RestorePen();
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_TRUE(DeleteObject(blue));
}

TEST(DeviceContextState, SystemFixedFontIsFixedPitchAndTheGuiFontIsSmall) {
  test_kit::EnsureApplication();  // fonts need the Qt application
  HFONT fixed = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
  HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  ASSERT_NE(fixed, nullptr);
  ASSERT_NE(gui, nullptr);
  EXPECT_FALSE(DeleteObject(fixed));
  QImage image = WhiteImage(4, 4);
  TImageDC dc(&image);
  dc.SelectObject(fixed);
  // Every character of a fixed face is as wide as any other.
  EXPECT_EQ(dc.GetTextExtent("iiii").cx, dc.GetTextExtent("WWWW").cx);
  dc.SelectObject(gui);
  TEXTMETRIC metrics;
  dc.GetTextMetrics(metrics);
  EXPECT_LT(metrics.tmHeight, 16);
  EXPECT_NE(dc.GetTextExtent("iiii").cx, dc.GetTextExtent("WWWW").cx);
  dc.RestoreFont();
}
