#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/tests/interaction_fixtures.h"

namespace {

constexpr double kGeometryTolerance = 1e-12;

// A flat window hit at local (y, z) by a ray along the axis.
int HitAt(const TInteractionSurface &s, double y, double z, TCurrentRay *out = nullptr) {
  TCurrentRay ray = MakeRay(-1.0, y, z, 1.0, 0.0, 0.0);
  const int result = TraceSurfaceRay(s, ray);
  if (out != nullptr) *out = ray;
  return result;
}

TInteractionSurface Window() { return OpenSurface(kSurfacePlane, 0.0, 1.0, 1.5); }

TEST(SurfaceApertures, RoundOuterEdgePassesWithItsTolerance) {
  TInteractionSurface s = Window();
  s.outer = {kBoundRound, 10.0, 0.0, 0.0, 0.0};
  EXPECT_EQ(HitAt(s, 10.0, 0.0), kRayPassed);
  EXPECT_EQ(HitAt(s, 0.0, -10.0), kRayPassed);
  // Inside the 1.000001 allowance on the squared radius, and beyond it.
  EXPECT_EQ(HitAt(s, 10.0 * std::sqrt(1.0000009), 0.0), kRayPassed);
  EXPECT_EQ(HitAt(s, 10.0 * std::sqrt(1.0000011), 0.0), kRayOutsideAperture);
  EXPECT_EQ(HitAt(s, 7.1, 7.1), kRayOutsideAperture);
  // The bound has its own centre.
  s.outer.centreY = 3.0;
  s.outer.centreZ = -2.0;
  EXPECT_EQ(HitAt(s, 12.9, -2.0), kRayPassed);
  EXPECT_EQ(HitAt(s, -7.1, -2.0), kRayOutsideAperture);
}

TEST(SurfaceApertures, SquareRectangleAndEllipseOuterBounds) {
  TInteractionSurface s = Window();
  for (int type : {kBoundSquare, kBoundRectangle}) {
    s.outer = {type, 4.0, 6.0, 0.0, 0.0};
    EXPECT_EQ(HitAt(s, 4.0, 6.0), kRayPassed);  // the corner itself is inside
    EXPECT_EQ(HitAt(s, -3.9, 5.9), kRayPassed);
    EXPECT_EQ(HitAt(s, 4.001, 0.0), kRayOutsideAperture);
    EXPECT_EQ(HitAt(s, 0.0, -6.001), kRayOutsideAperture);
  }
  s.outer = {kBoundEllipse, 4.0, 6.0, 1.0, 0.0};  // semi-height 4 (y), semi-width 6 (z)
  EXPECT_EQ(HitAt(s, 5.0, 0.0), kRayPassed);
  EXPECT_EQ(HitAt(s, 1.0, 6.0), kRayPassed);
  EXPECT_EQ(HitAt(s, 5.01, 0.0), kRayOutsideAperture);
  // (y-1)^2/16 + z^2/36 at (3, 4.5): 0.25 + 0.5625 < 1; at (4, 4.5): 0.5625 + 0.5625 > 1.
  EXPECT_EQ(HitAt(s, 3.0, 4.5), kRayPassed);
  EXPECT_EQ(HitAt(s, 4.0, 4.5), kRayOutsideAperture);
  // An unknown bound code has no outer limit.
  s.outer.type = 7;
  EXPECT_EQ(HitAt(s, 1e4, -1e4), kRayPassed);
}

TEST(SurfaceApertures, InnerObscurationsOfEveryType) {
  TInteractionSurface s = Window();
  s.inner = {kBoundRound, 2.0, 0.0, 0.0, 0.0};
  EXPECT_EQ(HitAt(s, 2.0, 0.0), kRayObscured);  // the edge itself is blocked
  EXPECT_EQ(HitAt(s, 2.0 * std::sqrt(1.0000011), 0.0), kRayPassed);
  EXPECT_EQ(HitAt(s, 0.0, 1.0), kRayObscured);

  // A square obscuration uses its semi-height both ways; the semi-width is ignored.
  s.inner = {kBoundSquare, 2.0, 5.0, 0.0, 0.0};
  EXPECT_EQ(HitAt(s, 1.9, 1.9), kRayObscured);
  EXPECT_EQ(HitAt(s, 1.0, 3.0), kRayPassed);
  EXPECT_EQ(HitAt(s, 2.0, 0.0), kRayPassed);  // strict: the edge passes
  // A rectangle uses semi-height along y and semi-width along z.
  s.inner = {kBoundRectangle, 2.0, 5.0, 0.0, 0.0};
  EXPECT_EQ(HitAt(s, 1.0, 3.0), kRayObscured);
  EXPECT_EQ(HitAt(s, 3.0, 1.0), kRayPassed);
  s.inner = {kBoundEllipse, 2.0, 5.0, 0.0, 1.0};  // centred at z = 1
  EXPECT_EQ(HitAt(s, 0.0, 5.9), kRayObscured);
  EXPECT_EQ(HitAt(s, 1.9, 1.0), kRayObscured);
  EXPECT_EQ(HitAt(s, 1.9, 5.0), kRayPassed);
  // A zero-size ellipse obscures nothing (no division by its zero axes).
  s.inner = {kBoundEllipse, 0.0, 0.0, 0.0, 0.0};
  EXPECT_EQ(HitAt(s, 0.0, 0.0), kRayPassed);
}

TEST(SurfaceApertures, BlockedRayStopsAtTheHitUnlessTracedThrough) {
  TInteractionSurface s = OpenSurface(kSurfaceSphere, 40.0, 1.0, 1.5);
  s.outer = {kBoundRound, 5.0, 0.0, 0.0, 0.0};
  TCurrentRay stopped = MakeRay(-2.0, 8.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(TraceSurfaceRay(s, stopped), kRayOutsideAperture);
  EXPECT_EQ(stopped.blocked, 1);
  EXPECT_EQ(stopped.status, kRayOutsideAperture);
  EXPECT_APPROX(stopped.x, 40.0 - std::sqrt(1600.0 - 64.0), kGeometryTolerance);
  EXPECT_EQ(stopped.L, 1.0);  // not refracted
  EXPECT_EQ(stopped.M, 0.0);

  TCurrentRay through = MakeRay(-2.0, 8.0, 0.0, 1.0, 0.0, 0.0);
  through.traceThrough = 1;
  EXPECT_EQ(TraceSurfaceRay(s, through), kRayOutsideAperture);
  EXPECT_EQ(through.status, kRayOutsideAperture);
  EXPECT_APPROX(through.x, stopped.x, kGeometryTolerance);
  EXPECT_LT(through.M, 0.0);  // refracted towards the axis and gone on

  s.inner = {kBoundRound, 1.0, 0.0, 0.0, 0.0};
  TCurrentRay obscured = MakeRay(-2.0, 0.5, 0.0, 1.0, 0.0, 0.0);
  obscured.traceThrough = 1;
  EXPECT_EQ(TraceSurfaceRay(s, obscured), kRayObscured);
  // A later clear pass reports 1 again: the status is per surface.
  TCurrentRay clear = obscured;
  clear.x = -2.0;
  clear.y = 3.0;
  clear.L = 1.0;
  clear.M = 0.0;
  EXPECT_EQ(TraceSurfaceRay(s, clear), kRayPassed);
  EXPECT_EQ(clear.blocked, 0);
}

// The obscuration is tested after the outer bound and its verdict stands: a point outside
// the clear aperture that also lies on a decentred obscuration reads as obscured (-2), which
// the trace reports as a negative failing surface.
TEST(SurfaceApertures, ObscurationVerdictFollowsTheOuterOne) {
  TInteractionSurface s = Window();
  s.outer = {kBoundRound, 5.0, 0.0, 0.0, 0.0};
  s.inner = {kBoundRound, 2.0, 0.0, 6.0, 0.0};  // centred at y = 6, reaching y = 4 .. 8
  EXPECT_EQ(HitAt(s, 6.5, 0.0), kRayObscured);   // outside the outer bound and obscured
  EXPECT_EQ(HitAt(s, 4.5, 0.0), kRayObscured);   // inside the outer bound and obscured
  EXPECT_EQ(HitAt(s, 0.0, 4.9), kRayPassed);
  EXPECT_EQ(HitAt(s, 0.0, 5.5), kRayOutsideAperture);  // outside, clear of the obscuration
}

}  // namespace
