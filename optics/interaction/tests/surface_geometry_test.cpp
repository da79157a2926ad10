#include "optics/interaction/surface_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/interaction/tests/interaction_fixtures.h"

namespace {

constexpr double kGeometryTolerance = 1e-12;
constexpr double kDegree = 3.141592653589793 / 180.0;

double Sag(double R, double h) { return R - std::copysign(1.0, R) * std::sqrt(R * R - h * h); }

TEST(SurfaceGeometry, PointAtHeightFollowsTheSphere) {
  TInteractionSurface s = OpenSurface(kSurfaceSphere, -40.0, 1.0, 1.5);
  s.vertex[0] = 12.0;
  s.vertex[1] = 1.0;
  for (double h : {0.0, 5.0, -17.0, 30.0}) {
    double x = 0.0, y = 0.0;
    int ok = 0;
    SurfacePointAtHeight(s, h, x, y, ok);
    EXPECT_EQ(ok, 1);
    EXPECT_APPROX(x, 12.0 + Sag(-40.0, h), kGeometryTolerance);
    EXPECT_APPROX(y, 1.0 + h, kGeometryTolerance);
  }
  double x = 0.0, y = 0.0;
  int ok = 1;
  SurfacePointAtHeight(s, 45.0, x, y, ok);  // beyond the sphere
  EXPECT_EQ(ok, 0);
  EXPECT_APPROX(x, 12.0, kGeometryTolerance);
  EXPECT_APPROX(y, 46.0, kGeometryTolerance);
}

TEST(SurfaceGeometry, PointInsideTheObscurationIsInterpolated) {
  TInteractionSurface s = OpenSurface(kSurfaceSphere, 40.0, 1.0, 1.5);
  s.inner = {kBoundRound, 4.0, 0.0, 0.0, 0.0};
  double x = 0.0, y = 0.0;
  int ok = 0;
  SurfacePointAtHeight(s, 1.0, x, y, ok);
  EXPECT_EQ(ok, 1);
  // Straight between the two obscuration edges, which have the same sag.
  EXPECT_APPROX(x, Sag(40.0, 4.0), kGeometryTolerance);
  EXPECT_APPROX(y, 1.0, kGeometryTolerance);
}

TEST(SurfaceGeometry, ProfileOfASphereIsEvenInAngle) {
  TInteractionSurface s = OpenSurface(kSurfaceSphere, 20.0, 1.0, 1.5);
  s.outer = {kBoundRound, 10.0, 0.0, 0.0, 0.0};
  DPOINT points[5];
  EXPECT_EQ(SurfaceProfile(s, 1, points, 1, 0.0, 0.0), 0);
  ASSERT_EQ(SurfaceProfile(s, 5, points, 1, 0.0, 0.0), 1);
  const double top = std::asin(0.5);  // 30 degrees
  for (int i = 0; i < 5; ++i) {
    const double h = 20.0 * std::sin(top - 2.0 * top * i / 4.0);
    EXPECT_APPROX(points[i].y, h, kGeometryTolerance) << i;
    EXPECT_APPROX(points[i].x, Sag(20.0, h), kGeometryTolerance) << i;
  }
  // Other shapes: evenly in height, bottom to top for a negative side.
  TInteractionSurface plane = OpenSurface(kSurfacePlane, 0.0, 1.0, 1.5);
  ASSERT_EQ(SurfaceProfile(plane, 3, points, -1, 6.0, 1.0), 1);
  EXPECT_APPROX(points[0].y, -5.0, kGeometryTolerance);
  EXPECT_APPROX(points[1].y, 1.0, kGeometryTolerance);
  EXPECT_APPROX(points[2].y, 7.0, kGeometryTolerance);
}

TEST(SurfaceGeometry, PointOnATiltedPlane) {
  TInteractionSurface s = OpenSurface(kSurfacePlane, 0.0, 1.0, 1.5);
  Tilt(s, 0.0, 0.0, 30.0 * kDegree);
  s.vertex[0] = 5.0;
  double point[3];
  int ok = 0;
  SurfacePointOnSurface(s, 2.0, 1.0, point, ok);
  EXPECT_EQ(ok, 1);
  // Local (0, 2, 1) turned by 30 degrees about z: (-2 sin30, 2 cos30, 1).
  EXPECT_APPROX(point[0], 5.0 - 1.0, kGeometryTolerance);
  EXPECT_APPROX(point[1], 2.0 * std::cos(30.0 * kDegree), kGeometryTolerance);
  EXPECT_APPROX(point[2], 1.0, kGeometryTolerance);
}

TEST(SurfaceGeometry, ApertureCentreOfDecentredBounds) {
  TInteractionSurface s = OpenSurface(kSurfaceSphere, 30.0, 1.0, 1.5);
  s.vertex[2] = -3.0;
  double centre[3], radius = 0.0;
  s.outer = {kBoundRound, 6.0, 0.0, 0.0, 0.0};
  SurfaceApertureCentre(s, centre, radius);
  EXPECT_APPROX(radius, 6.0, kGeometryTolerance);
  EXPECT_APPROX(centre[0], Sag(30.0, 6.0), kGeometryTolerance);
  EXPECT_APPROX(centre[1], 0.0, kGeometryTolerance);
  EXPECT_APPROX(centre[2], -3.0, kGeometryTolerance);
  s.outer = {kBoundRectangle, 3.0, 4.0, 0.0, 0.0};
  SurfaceApertureCentre(s, centre, radius);
  EXPECT_APPROX(radius, 5.0, kGeometryTolerance);
  EXPECT_APPROX(centre[0], Sag(30.0, 5.0), kGeometryTolerance);
  s.outer = {kBoundEllipse, 2.0, 7.0, 0.0, 0.0};
  SurfaceApertureCentre(s, centre, radius);
  EXPECT_APPROX(radius, 7.0, kGeometryTolerance);
  // Probe rays beside the sphere: no centre.
  s.outer = {kBoundRound, 31.0, 0.0, 0.0, 0.0};
  SurfaceApertureCentre(s, centre, radius);
  EXPECT_EQ(centre[0], 0.0);
  EXPECT_EQ(centre[2], 0.0);
}

}  // namespace
