#include "optics/lensarray/lens_array.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <utility>

#include "foundation/testing/approx.h"
#include "optics/model/general_parameters.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/micro_element.h"
#include "optics/model/ray.h"
#include "optics/interaction/surface_trace.h"
#include "optics/lensarray/tests/lens_array_fixtures.h"

namespace {

constexpr double kExact = 1e-12;
constexpr double kClosedForm = 1e-10;
// Rays 0.06 from a lenslet's axis: spherical aberration shifts the focus by about
// (h / R)^2 of the focal distance, 1.5e-4 of it here.
constexpr double kParaxialFocus = 2e-3;
constexpr unsigned kRandomSeed = 20261207u;

TCurrentRay Ray(double x, double y, double z, double L, double M, double N) {
  double d[3] = {L, M, N};
  Normalize(d);
  TCurrentRay ray;
  ray.x = x;
  ray.y = y;
  ray.z = z;
  ray.L = d[0];
  ray.M = d[1];
  ray.N = d[2];
  return ray;
}

// A glass plate whose front carries plano-convex lenslets (radius r, index n, pitch 2) and
// whose flat back lies `thickness` behind. Each lenslet is a thick plano-convex lens with
// focal length f = r / (n - 1) and back focal distance f - thickness / n.
TEST(LensArray, EachLensletFocusesItsSubBeamAtItsFocalDistance) {
  const double r = 5.0, n = 1.5, thickness = 3.0, pitch = 2.0;
  TSurface front;
  MakeArraySurface(front, kSurfacePlane, 0.0, kPackingRectangle, {pitch, pitch, pitch, pitch},
                   kMicroAsphere2, {r, 0.0});
  front.general.nBefore = 1.0;
  front.general.nAfter = n;
  TSurface back;
  back.general.type = kSurfacePlane;
  back.general.semiHeightExt = 100.0;
  back.SetPosition(thickness, 0.0, 0.0);
  back.general.nBefore = n;
  back.general.nAfter = 1.0;
  const double focus = thickness + (r / (n - 1.0) - thickness / n);  // x = 11

  const double centres[][2] = {{0.0, 0.0}, {2.0, -4.0}, {-6.0, 8.0}, {14.0, 10.0}};
  const double offsets[][2] = {{0.05, 0.03}, {-0.04, 0.02}, {0.0, -0.06}};
  for (const auto &c : centres) {
    for (const auto &o : offsets) {
      TCurrentRay ray = Ray(-2.0, c[0] + o[0], c[1] + o[1], 1.0, 0.0, 0.0);
      ASSERT_EQ(SurfaceTrace(front, ray), kRayPassed);
      ASSERT_EQ(SurfaceTrace(back, ray), kRayPassed);
      // Where the refracted ray crosses its own lenslet's axis (y, z) = centre.
      if (std::fabs(o[0]) > 0.0) {
        EXPECT_APPROX(ray.x + (c[0] - ray.y) * ray.L / ray.M, focus, kParaxialFocus);
      }
      if (std::fabs(o[1]) > 0.0) {
        EXPECT_APPROX(ray.x + (c[1] - ray.z) * ray.L / ray.N, focus, kParaxialFocus);
      }
    }
  }
}

// Cylindrical lenslets in a row ("Line OY" cells along y, profile in x-y): a ray beside a
// lenslet's axis plane is brought to it at the single surface's focal distance n r / (n - 1)
// inside the glass; the straight direction z is not bent.
TEST(LensArray, CylinderLensletsFormLineFoci) {
  const double r = 5.0, n = 1.5, pitch = 3.0;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingLineOY, {pitch, 1.0, pitch, 0.0},
                   kMicroCylinderOX, {r, 0.0});
  s.general.nAfter = n;
  const double focus = n * r / (n - 1.0);
  for (double centre : {0.0, 3.0, -9.0, 21.0}) {
    TCurrentRay ray = Ray(-1.0, centre + 0.04, 7.3, 1.0, 0.0, 0.0);
    ASSERT_EQ(SurfaceTrace(s, ray), kRayPassed);
    EXPECT_APPROX(ray.x + (centre - ray.y) * ray.L / ray.M, focus, kParaxialFocus) << centre;
    EXPECT_APPROX(ray.N, 0.0, kExact);
  }
}

// "Radial-Ring" cells on a plane: rings every Ax, sectors every Ay degrees. A ray near the
// polar point (6, 30 degrees) meets the spherical lenslet centred there.
TEST(LensArray, RadialRingLensletsSitOnRingsAndSectors) {
  const double r = 4.0, kDeg = 3.141592653589793 / 180.0;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRadialRing, {2.0, 30.0, 2.0, 2.0},
                   kMicroAsphere2, {r, 0.0});
  const double cy = 6.0 * std::cos(30.0 * kDeg), cz = 6.0 * std::sin(30.0 * kDeg);
  const double D[3] = {1.0, 0.0, 0.0};
  for (const auto &polar : {std::pair{6.2, 32.0}, std::pair{5.6, 28.5}, std::pair{6.0, 30.0}}) {
    const double y = polar.first * std::cos(polar.second * kDeg);
    const double z = polar.first * std::sin(polar.second * kDeg);
    const double P[3] = {-1.0, y, z};
    double N[3], t = 0.0;
    ASSERT_EQ(LensArrayIntersect(s, P, D, N, t), kLensArrayHit);
    const double h2 = (y - cy) * (y - cy) + (z - cz) * (z - cz);
    EXPECT_APPROX(t, 1.0 + r - std::sqrt(r * r - h2), kClosedForm) << polar.first;
    const double x = -1.0 + t;
    EXPECT_APPROX(y + N[1] / N[0] * (r - x), cy, kClosedForm);
    EXPECT_APPROX(z + N[2] / N[0] * (r - x), cz, kClosedForm);
  }
}

// Lenslets wider than the pitch overlap; the nearest lenslet's sag is what the ray meets.
TEST(LensArray, TheNearestLensletWinsWhereLensletsOverlap) {
  const double r = 5.0;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 4, 4}, kMicroAsphere2,
                   {r, 0.0});
  for (double y : {0.3, 0.8, 1.2, 2.9, -3.3}) {
    const double P[3] = {-1.0, y, 0.4};
    const double D[3] = {1.0, 0.0, 0.0};
    double N[3], t = 0.0;
    ASSERT_EQ(LensArrayIntersect(s, P, D, N, t), kLensArrayHit);
    const double centre = 2.0 * std::round(y / 2.0);
    const double h2 = (y - centre) * (y - centre) + 0.16;
    EXPECT_APPROX(t, 1.0 + r - std::sqrt(r * r - h2), kClosedForm) << y;
    // The normal points at the lenslet's centre of curvature, on its own axis.
    const double x = -1.0 + t;
    EXPECT_APPROX(N[1] / N[0], -(y - centre) / (r - x), kClosedForm) << y;
  }
}

// Cells narrower than the pitch leave gaps: a ray there finds no element, the driver
// reports a miss at the offset surface and the trace stops the ray without error.
TEST(LensArray, RaysBetweenCellsStopAtTheOffsetSurface) {
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 1, 1}, kMicroPlane, {1});
  s.zones.data[0].HMikroLens = 0.25;
  s.general.nAfter = 1.5;
  double D[3] = {1.0, 0.1, 0.0};
  Normalize(D);
  const double gap[3] = {-1.0, 0.8, 0.0};  // reaches the base at y = 0.9: a gap
  double N[3], t = 0.0;
  EXPECT_EQ(LensArrayIntersect(s, gap, D, N, t), kLensArrayMissed);
  EXPECT_APPROX(gap[0] + t * D[0], 0.25, kExact);

  TCurrentRay stopped = Ray(-1.0, 0.8, 0.0, D[0], D[1], D[2]);
  EXPECT_EQ(SurfaceTrace(s, stopped), kRayStopped);
  EXPECT_EQ(stopped.status, kRayStopped);
  EXPECT_EQ(stopped.blocked, 1);
  EXPECT_APPROX(stopped.x, 0.25, kExact);
  EXPECT_APPROX(stopped.y, 0.8 + 1.25 * D[1] / D[0], kExact);

  TCurrentRay passed = Ray(-1.0, 0.1, 0.2, D[0], D[1], D[2]);  // inside cell (0, 0)
  EXPECT_EQ(SurfaceTrace(s, passed), kRayPassed);
  EXPECT_APPROX(passed.x, 0.0, kExact);
  // Snell at the flat element: n sin I = n' sin I'.
  EXPECT_APPROX(std::sqrt(1.0 - passed.L * passed.L) * 1.5, std::sqrt(1.0 - D[0] * D[0]),
                kClosedForm);
}

TEST(LensArray, PointsOutsideEveryZoneSeeTheBareBase) {
  TSurface plane;
  MakeArraySurface(plane, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 1, 1}, kMicroPlane, {1});
  TRasterZone &zone = plane.zones.data[0];
  FillList(zone.LimitLower, {-1e6, -5.0, -5.0});
  FillList(zone.LimitUpper, {1e6, 5.0, 5.0});
  const double P[3] = {-1.0, 6.9, 0.0};  // y = 6.9 is outside, and would be a gap inside
  const double D[3] = {1.0, 0.0, 0.0};
  double N[3], t = 0.0;
  ASSERT_EQ(LensArrayIntersect(plane, P, D, N, t), kLensArrayHit);
  EXPECT_APPROX(t, 1.0, kExact);
  EXPECT_EQ(N[0], 1.0);

  TSurface sphere;
  MakeArraySurface(sphere, kSurfaceSphere, 20.0, kPackingRectangle, {2, 2, 1, 1}, kMicroPlane,
                   {1});
  FillList(sphere.zones.data[0].LimitLower, {-1e6, -5.0, -5.0});
  FillList(sphere.zones.data[0].LimitUpper, {1e6, 5.0, 5.0});
  const double Q[3] = {-1.0, 12.0, 0.0};
  ASSERT_EQ(LensArrayIntersect(sphere, Q, D, N, t), kLensArrayHit);
  const double x = 20.0 - std::sqrt(400.0 - 144.0);
  EXPECT_APPROX(t, 1.0 + x, kClosedForm);
  EXPECT_APPROX(N[0], (20.0 - x) / 20.0, kClosedForm);
  EXPECT_APPROX(N[1], -12.0 / 20.0, kClosedForm);
}

TEST(LensArray, MissingTheBaseParksTheRayAtTheRadius) {
  TSurface sphere;
  MakeArraySurface(sphere, kSurfaceSphere, 10.0, kPackingRectangle, {2, 2, 1, 1}, kMicroPlane,
                   {1});
  const double P[3] = {-2.0, 30.0, 0.0};
  const double D[3] = {1.0, 0.0, 0.0};
  double N[3], t = 0.0;
  EXPECT_EQ(LensArrayIntersect(sphere, P, D, N, t), kLensArrayMissed);
  EXPECT_APPROX(t, 12.0, kExact);  // (R - Px) / L
  const double across[3] = {0.0, 1.0, 0.0};
  EXPECT_EQ(LensArrayIntersect(sphere, P, across, N, t), kLensArrayMissed);
  EXPECT_TRUE(std::isfinite(t));
}

// On a sphere the lenslets stand on the base along its normal: a ray along the base normal
// through a cell's origin meets the lenslet's vertex there with the base's normal.
TEST(LensArray, LensletVerticesSitOnTheCurvedBase) {
  const double R = 40.0;
  TSurface s;
  MakeArraySurface(s, kSurfaceSphere, R, kPackingRectangle, {4, 4, 4, 4}, kMicroAsphere2,
                   {3.0, 0.0});
  const double cell[3] = {0.0, 0.2, -0.1};  // u = 8 / 40, w = -4 / 40
  double origin[3], M[9];
  ASSERT_TRUE(ComputeCellFrame(s, 0, cell, origin, M));
  const double D[3] = {M[0], M[1], M[2]};
  const double P[3] = {origin[0] - 0.5 * D[0], origin[1] - 0.5 * D[1], origin[2] - 0.5 * D[2]};
  double N[3], t = 0.0;
  ASSERT_EQ(LensArrayIntersect(s, P, D, N, t), kLensArrayHit);
  EXPECT_APPROX(t, 0.5, kClosedForm);
  double normal[3] = {R - origin[0], -origin[1], -origin[2]};
  Normalize(normal);
  for (int i = 0; i < 3; ++i) EXPECT_APPROX(N[i], normal[i], kClosedForm);
}

// Spherical lenslets on a hexagonal lattice: the normal at each hit points at the centre
// of curvature of the lenslet the ray met, which must be the nearest lattice centre.
TEST(LensArray, HexagonalLensletsAreTheNearestOnes) {
  std::printf("random seed %u\n", kRandomSeed);
  std::mt19937 generator(kRandomSeed);
  std::uniform_real_distribution<double> coordinate(-12.0, 12.0);
  const double r = 4.0, Ax = 2.0;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingHexagon, {Ax, 1.0, 4, 4}, kMicroAsphere2,
                   {r, 0.0});
  const double D[3] = {1.0, 0.0, 0.0};
  for (int trial = 0; trial < 500; ++trial) {
    const double y = coordinate(generator), z = coordinate(generator);
    const double P[3] = {-1.0, y, z};
    double N[3], t = 0.0;
    ASSERT_EQ(LensArrayIntersect(s, P, D, N, t), kLensArrayHit);
    const double x = -1.0 + t;
    const double cy = y + N[1] / N[0] * (r - x), cz = z + N[2] / N[0] * (r - x);
    double best = 1e300;
    const double rowPitch = Ax * std::sqrt(3.0) / 2.0;
    for (int j = -10; j <= 10; ++j)
      for (int i = -10; i <= 10; ++i) {
        const double u = i * Ax + ((j % 2 != 0) ? Ax / 2.0 : 0.0), w = j * rowPitch;
        best = std::fmin(best, std::hypot(y - u, z - w));
      }
    EXPECT_APPROX(std::hypot(y - cy, z - cz), best, 1e-8) << y << " " << z;
  }
}

// A Fresnel lenslet bends a ray parallel to the axis exactly as its unfolded sphere does:
// the facet has the sphere's slope at the same height.
TEST(LensArray, FresnelLensletDeflectsLikeItsUnfoldedSurface) {
  const double R = 5.0;
  TSurface fresnel, sphere;
  MakeArraySurface(fresnel, kSurfacePlane, 0.0, kPackingRectangle, {4, 4, 4, 4}, kMicroFresnel,
                   {1.0 / R, 0.0, 0.02});
  MakeArraySurface(sphere, kSurfacePlane, 0.0, kPackingRectangle, {4, 4, 4, 4}, kMicroAsphere2,
                   {R, 0.0});
  for (TSurface *s : {&fresnel, &sphere}) s->general.nAfter = 1.5;
  for (double y : {0.3, 1.1, 1.7, 4.6}) {
    TCurrentRay a = Ray(-1.0, y, 0.5, 1.0, 0.0, 0.0);
    TCurrentRay b = a;
    ASSERT_EQ(SurfaceTrace(fresnel, a), kRayPassed);
    ASSERT_EQ(SurfaceTrace(sphere, b), kRayPassed);
    EXPECT_APPROX(a.L, b.L, 1e-9) << y;
    EXPECT_APPROX(a.M, b.M, 1e-9) << y;
    EXPECT_APPROX(a.N, b.N, 1e-9) << y;
    EXPECT_LT(a.x, 0.02 + 1e-12);  // folded into one step height
  }
}

// Broken zones never crash or hang: a failure status, a finite parked ray.
TEST(LensArray, BadZonesGiveAFailureStatus) {
  const double P[3] = {-1.0, 3.3, -2.1};
  const double D[3] = {1.0, 0.0, 0.0};
  struct Case {
    int type;
    double R, Ex;
    int packing;
    double Ax;
    int expected;
  } cases[] = {
      {kSurfacePlane, 0.0, 0.0, kPackingRectangle, 0.0, kLensArrayFailed},
      {kSurfacePlane, 0.0, 0.0, kPackingRectangle, -2.0, kLensArrayFailed},
      {kSurfacePlane, 0.0, 0.0, kPackingHexagon, 1e-14, kLensArrayFailed},
      {kSurfaceSphere, 30.0, 0.0, kPackingRectangle, 1e-12, kLensArrayFailed},
      {kSurfaceAspheric2, 30.0, 0.0, kPackingRectangle, 2.0, kLensArrayFailed},
      {kSurfaceAspheric2, 30.0, -1.0, kPackingRing, 2.0, kLensArrayFailed},
      {kSurfaceAspheric2, 30.0, -1.0, kPackingRadialRing, 2.0, kLensArrayMissed},
  };
  for (const Case &c : cases) {
    TSurface s;
    MakeArraySurface(s, c.type, c.R, c.packing, {c.Ax, 2, 2, 2}, kMicroAsphere2, {5.0, 0.0});
    s.general.Ex = c.Ex;
    double N[3], t = 0.0;
    EXPECT_EQ(LensArrayIntersect(s, P, D, N, t), c.expected) << c.type << " " << c.packing;
    EXPECT_TRUE(std::isfinite(t));
    TCurrentRay ray = Ray(P[0], P[1], P[2], D[0], D[1], D[2]);
    EXPECT_EQ(SurfaceTrace(s, ray), kRayStopped);
    EXPECT_TRUE(std::isfinite(ray.x) && std::isfinite(ray.y) && std::isfinite(ray.z));
  }
}

// The surface probes that draw profiles go through the lens array too: a point of a plane
// carrying lenslets lies on the lenslet, of a bare sphere's cell centre on the sphere.
TEST(LensArray, SurfaceProbesSeeTheLenslets) {
  const double r = 4.0;
  TSurface plane;
  MakeArraySurface(plane, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 2, 2}, kMicroAsphere2,
                   {r, 0.0});
  int ok = 0;
  const DPOINT3 onLenslet = SurfacePointOnSurface(plane, 2.6, -0.3, ok);  // cell (2, 0)
  EXPECT_EQ(ok, 1);
  EXPECT_APPROX(onLenslet.x, r - std::sqrt(r * r - 0.36 - 0.09), kClosedForm);

  const double R = 30.0;
  TSurface sphere;
  MakeArraySurface(sphere, kSurfaceSphere, R, kPackingRectangle, {3, 3, 3, 3}, kMicroAsphere2,
                   {r, 0.0});
  const double y = R * std::sin(0.1);  // the centre of cell u = 0.1
  const DPOINT3 onCentre = SurfacePointOnSurface(sphere, y, 0.0, ok);
  EXPECT_EQ(ok, 1);
  EXPECT_APPROX(onCentre.x, R - std::sqrt(R * R - y * y), kClosedForm);
  EXPECT_APPROX(onCentre.y, y, kClosedForm);
}

// Every micro kind on every base with non-numbers and extremes in its coefficients: each
// call ends with one of the three results and a finite distance.
TEST(LensArray, NonNumbersInAnyCoefficientEndCleanly) {
  const double values[] = {NAN, INFINITY, -INFINITY, 0.0, -1.0, 1e300, 1e-300};
  const double P[3] = {-1.0, 1.3, -0.7};
  double D[3] = {1.0, 0.05, -0.02};
  Normalize(D);
  int calls = 0;
  for (int type : {kSurfacePlane, kSurfaceSphere, kSurfaceAspheric2, kSurfaceCylinder})
    for (int packing = 0; packing < kPackingCount; ++packing)
      for (int micro = 0; micro < kMicroTypeCount; ++micro)
        for (double bad : values)
          for (int slot = 0; slot < 4; ++slot) {
            TSurface s;
            MakeArraySurface(s, type, 30.0, packing, {2, 30, 2, 2}, micro, {4, 0.1, 1, 1, 0.02});
            s.general.Ex = slot == 0 ? bad : 0.3;
            s.zones.data[0].PackCoef.data[slot] = bad;
            s.zones.data[0].MicroCoef.data[slot] = bad;
            s.zones.data[0].HMikroLens = bad;
            double N[3], t = 0.0;
            const int result = LensArrayIntersect(s, P, D, N, t);
            EXPECT_TRUE(result == kLensArrayHit || result == kLensArrayFailed ||
                        result == kLensArrayMissed);
            EXPECT_TRUE(std::isfinite(t)) << type << " " << packing << " " << micro << " " << bad;
            if (result == kLensArrayHit) {
              EXPECT_APPROX(std::sqrt(N[0] * N[0] + N[1] * N[1] + N[2] * N[2]), 1.0, 1e-9);
            }
            ++calls;
          }
  EXPECT_EQ(calls, 4 * kPackingCount * kMicroTypeCount * 7 * 4);
}

}  // namespace
