#include "foundation/numerics/pi.h"
#include "toolkit/render3d/drv3d.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A renderer looking straight down the z axis (a = b = 0): the screen's x runs along y and
// its y along x, depth = z, so pixels and depths can be read off the coordinates.
void LookDown(TDrv3D &r) {
  r.SetViewAngles(0.0, 0.0);
  r.SetViewCentre(0.0, 0.0);
}

// The point at the middle of pixel (px, py) at depth z.
DPOINT3 At(double px, double py, double z) { return DPOINT3(py, px, z); }

COLORREF Pixel(const TDrv3D &r, int x, int y) {
  const RGBTRIPLE t = r.GetPixelColor(x, y);
  return RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue);
}

TEST(Drv3D, NearerWinsAndTiesDraw) {
  TDrv3D r(16, 16);
  LookDown(r);
  r.Lock();
  r.Point3D(At(3.5, 4.5, 1.0), RGB(255, 0, 0));
  r.Point3D(At(3.5, 4.5, 0.5), RGB(0, 255, 0));  // farther: hidden
  EXPECT_EQ(Pixel(r, 3, 4), RGB(255, 0, 0));
  r.Point3D(At(3.5, 4.5, 1.0), RGB(0, 0, 255));  // same depth: the later one wins
  EXPECT_EQ(Pixel(r, 3, 4), RGB(0, 0, 255));
  EXPECT_EQ(r.DepthAt(3, 4), 1.0f);
  r.Unlock();
}

TEST(Drv3D, RowParityKeepsOddOrEvenRows) {
  for (int parity : {1, 2}) {
    TDrv3D r(8, 8);
    LookDown(r);
    r.SetRowParity(parity);
    r.Lock();
    for (int y = 0; y < 8; ++y) r.Point3D(At(2.5, y + 0.5, 0.0), RGB(255, 255, 255));
    for (int y = 0; y < 8; ++y) {
      const bool drawn = Pixel(r, 2, y) == RGB(255, 255, 255);
      EXPECT_EQ(drawn, parity == 1 ? (y % 2 == 1) : (y % 2 == 0)) << parity << " " << y;
    }
    r.Unlock();
  }
}

TEST(Drv3D, LineToTheCurrentPixelDrawsItAndKeepsTheCurrentPoint) {
  TDrv3D r(8, 8);
  LookDown(r);
  r.Lock();
  r.MoveTo3D(At(2.2, 2.2, 0.0));
  r.LineTo3D(At(2.7, 2.9, 0.0), RGB(255, 0, 0));
  EXPECT_EQ(Pixel(r, 2, 2), RGB(255, 0, 0));
  EXPECT_EQ(r.CurrentPoint().x, 2.2);
  // A real line draws both end pixels.
  r.LineTo3D(At(6.5, 2.5, 0.0), RGB(0, 255, 0));
  for (int x = 2; x <= 6; ++x) EXPECT_EQ(Pixel(r, x, 2), RGB(0, 255, 0)) << x;
  r.Unlock();
}

TEST(Drv3D, DegenerateFacetsAreSkippedAndShadingFollowsTheNormal) {
  TDrv3D r(32, 32);
  LookDown(r);
  r.Lock();
  r.ShadedTriangle3D(DPOINT3(1, 1, 0), DPOINT3(5, 5, 0), DPOINT3(9, 9, 0));
  EXPECT_FALSE(r.FacetValid());
  for (int k = 0; k < 10; ++k) EXPECT_EQ(Pixel(r, k, k), RGB(0, 0, 0));
  // Facing the viewer: full brightness; seen edge-on: f = 0.
  EXPECT_EQ(r.FacetColor(DPOINT3(0, 0, 0), DPOINT3(1, 0, 0), DPOINT3(1, 1, 0)), RGB(255, 255, 255));
  EXPECT_EQ(r.FacetColor(DPOINT3(0, 0, 0), DPOINT3(1, 0, 0), DPOINT3(1, 0, 1)), RGB(0, 0, 0));
  r.Unlock();
}

TEST(Drv3D, ClippedTriangleKeepsTheDepthsOfTheWholeOne) {
  // The same tilted triangle drawn whole and shifted half out of the left edge: where
  // both cover a pixel, their depths agree.
  const double x[3] = {2.0, 28.0, 14.0}, y[3] = {2.0, 6.0, 28.0};
  const float z[3] = {0.0f, 10.0f, 5.0f};
  TDrv3D whole(64, 32), cut(64, 32);
  whole.Lock();
  cut.Lock();
  const double shifted[3] = {x[0] + 20.0, x[1] + 20.0, x[2] + 20.0};
  whole.FillTriangle(shifted, y, z, RGB(255, 255, 255));
  cut.FillTriangle(x, y, z, RGB(255, 255, 255));
  // Compare cut at (px, py) with whole at (px + 20, py).
  int compared = 0;
  for (int py = 0; py < 32; ++py)
    for (int px = 0; px < 44; ++px) {
      if (cut.DepthAt(px, py) == -FLT_MAX) continue;
      EXPECT_FLOAT_EQ(cut.DepthAt(px, py), whole.DepthAt(px + 20, py)) << px << " " << py;
      ++compared;
    }
  EXPECT_GT(compared, 100);
  // Now push the triangle 10 pixels past the left edge.
  TDrv3D clipped(64, 32);
  clipped.Lock();
  const double left[3] = {x[0] - 10.0, x[1] - 10.0, x[2] - 10.0};
  clipped.FillTriangle(left, y, z, RGB(255, 255, 255));
  for (int py = 0; py < 32; ++py)
    for (int px = 0; px < 30; ++px) {
      if (clipped.DepthAt(px, py) == -FLT_MAX) continue;
      EXPECT_FLOAT_EQ(clipped.DepthAt(px, py), whole.DepthAt(px + 30, py)) << px << " " << py;
    }
}

void Sphere(double u, double v, double &x, double &y, double &z) {
  const double theta = kPi * v, phi = 2.0 * kPi * u;
  x = 20.0 * std::sin(theta) * std::cos(phi) + 32.0;
  y = 20.0 * std::sin(theta) * std::sin(phi) + 32.0;
  z = 20.0 * std::cos(theta);
}

TEST(Drv3D, SphereCoversTheDiscOfItsProjection) {
  TDrv3D r(64, 64);
  LookDown(r);
  r.Clear(RGB(0, 0, 0));
  r.Lock();
  r.DrawSurface(Sphere, 64, 32, false);
  r.Unlock();
  // Seen along z a sphere of radius 20 about (32, 32) is a disc of that radius; the facets
  // are chords, so the rim may fall short by the sagitta of a 1/64 turn (about 0.05).
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const double d = std::hypot(x + 0.5 - 32.0, y + 0.5 - 32.0);
      const bool drawn = r.DepthAt(x, y) != -FLT_MAX;
      if (d < 19.0) {
        EXPECT_TRUE(drawn) << x << " " << y;
      }
      if (d > 21.0) {
        EXPECT_FALSE(drawn) << x << " " << y;
      }
    }
  // The nearest point is the top of the sphere: depth 20 at the centre.
  EXPECT_NEAR(r.DepthAt(32, 32), 20.0, 0.2);
}

TEST(Drv3D, HalfToneDrawsEverySecondPixelWithTheSolidDepths) {
  const double x[3] = {1.0, 30.0, 12.0}, y[3] = {1.0, 4.0, 28.0};
  const float z[3] = {0.0f, 8.0f, 3.0f};
  TDrv3D solid(32, 32), screen(32, 32);
  solid.Lock();
  screen.Lock();
  solid.FillTriangle(x, y, z, RGB(255, 255, 255));
  screen.SetHalfTone(true);
  screen.FillTriangle(x, y, z, RGB(255, 255, 255));
  int drawn = 0;
  for (int py = 0; py < 32; ++py)
    for (int px = 0; px < 32; ++px) {
      if (solid.DepthAt(px, py) == -FLT_MAX) continue;
      if ((px + py) % 2 == 1) {
        EXPECT_EQ(screen.DepthAt(px, py), solid.DepthAt(px, py)) << px << " " << py;
        ++drawn;
      } else {
        EXPECT_EQ(screen.DepthAt(px, py), -FLT_MAX) << px << " " << py;
      }
    }
  EXPECT_GT(drawn, 100);
}

TEST(Drv3D, HeightColouringFollowsTheMeanHeightUnlessHalfTone) {
  TDrv3D r(8, 8);
  r.SetHeightRange(0.0, 10.0);
  // A facet facing the viewer but low: dark; the same facet high: bright.
  const COLORREF low = r.FacetColor(DPOINT3(0, 0, 1), DPOINT3(1, 0, 1), DPOINT3(1, 1, 1));
  const COLORREF high = r.FacetColor(DPOINT3(0, 0, 9), DPOINT3(1, 0, 9), DPOINT3(1, 1, 9));
  EXPECT_EQ(GetRValue(low), static_cast<BYTE>(0.1 * 255.0));
  EXPECT_EQ(GetRValue(high), static_cast<BYTE>(0.9 * 255.0));
  // Even a degenerate facet has a height.
  r.FacetColor(DPOINT3(0, 0, 5), DPOINT3(0, 0, 5), DPOINT3(0, 0, 5));
  EXPECT_TRUE(r.FacetValid());
  r.SetHalfTone(true);
  r.FacetColor(DPOINT3(0, 0, 5), DPOINT3(0, 0, 5), DPOINT3(0, 0, 5));
  EXPECT_FALSE(r.FacetValid());
}

TEST(Drv3D, Line3DLeavesTheCurrentPointWhereItWas) {
  TDrv3D r(16, 16);
  LookDown(r);
  r.Lock();
  r.MoveTo3D(At(1.5, 1.5, 0.0));
  r.Line3D(At(4.5, 8.5, 0.0), At(12.5, 8.5, 0.0), RGB(0, 255, 0));
  for (int x = 4; x <= 12; ++x) EXPECT_EQ(Pixel(r, x, 8), RGB(0, 255, 0)) << x;
  EXPECT_EQ(r.CurrentX(), 1);
  EXPECT_EQ(r.CurrentY(), 1);
  // The second transform serves the variants marked 2: shifted by 3 pixels down.
  r.SetSecondTransform(DANGLE3(), DPOINT3(3.0, 0.0, 0.0));
  r.Point3D2(At(6.5, 2.5, 0.0), RGB(255, 0, 0));
  EXPECT_EQ(Pixel(r, 6, 5), RGB(255, 0, 0));
  EXPECT_NE(Pixel(r, 6, 2), RGB(255, 0, 0));
  r.Unlock();
  // Without the depth buffer locked nothing is drawn.
  r.Point3D(At(14.5, 14.5, 0.0), RGB(255, 0, 0));
  EXPECT_EQ(Pixel(r, 14, 14), RGB(0, 0, 0));
}

TEST(Drv3D, ComposedTurnFollowsTheViewAndIsReadBack) {
  TDrv3D r(16, 16);
  LookDown(r);
  r.SetTransform(DANGLE3(), DPOINT3(2.0, 0.0, 0.0));
  // The origin goes to (2, 0, 0), a quarter turn about z takes it to (0, 2, 0), the shift
  // to (0, 3, 0).
  r.ComposeTransform(TRotator(DANGLE3(0.0, 0.0, kPi / 2), DPOINT3(0.0, 1.0, 0.0)));
  const DPOINT3 q = r.ViewTransform().Transform(DPOINT3(0.0, 0.0, 0.0));
  EXPECT_NEAR(q.x, 0.0, 1e-12);
  EXPECT_NEAR(q.y, 3.0, 1e-12);
  r.Lock();
  r.Point3D(DPOINT3(0.0, 0.0, 0.0), RGB(255, 0, 0));  // screen x along y: pixel (3, 0)
  r.Unlock();
  EXPECT_EQ(Pixel(r, 3, 0), RGB(255, 0, 0));
  r.SetSecondTransform(DANGLE3(), DPOINT3(0.0, 0.0, 5.0));
  EXPECT_EQ(r.SecondTransform().offset.z, 5.0);
}

TEST(Drv3D, DrawnRectCoversWhatWasWrittenSinceItWasLastTaken) {
  TDrv3D r(16, 16);
  LookDown(r);
  const RECT cleared = r.TakeDrawnRect();
  EXPECT_EQ(cleared.right - cleared.left, 16);
  EXPECT_EQ(cleared.bottom - cleared.top, 16);
  EXPECT_EQ(r.TakeDrawnRect().right, 0);  // nothing since
  r.Lock();
  r.Point3D(At(3.5, 4.5, 0.0), RGB(255, 0, 0));
  r.Line3D(At(6.5, 9.5, 0.0), At(10.5, 9.5, 0.0), RGB(0, 255, 0));
  r.Unlock();
  const RECT drawn = r.TakeDrawnRect();
  EXPECT_EQ(drawn.left, 3);
  EXPECT_EQ(drawn.top, 4);
  EXPECT_EQ(drawn.right, 11);
  EXPECT_EQ(drawn.bottom, 10);
}

TEST(Drv3D, PalettisedBitmapsReceivePaletteIndices) {
  TDrv3D r(16, 16, 256);
  ASSERT_EQ(r.BitsPerPixel(), 8);
  LookDown(r);
  r.Lock();
  r.Point3D(At(2.5, 3.5, 0.0), PALETTEINDEX(42));
  EXPECT_EQ(r.GetPixelIndex(2, 3), 42);
  const double x[3] = {4.0, 12.0, 4.0}, y[3] = {4.0, 4.0, 12.0};
  const float z[3] = {0.0f, 0.0f, 0.0f};
  r.FillTriangle(x, y, z, PALETTEINDEX(7));
  EXPECT_EQ(r.GetPixelIndex(5, 5), 7);
  // Clear puts every depth back.
  r.Clear(3);
  EXPECT_EQ(r.GetPixelIndex(5, 5), 3);
  EXPECT_EQ(r.DepthAt(5, 5), -FLT_MAX);
  r.Unlock();
}

}  // namespace
