// Lens arrays checked against optics worked out independently of the lattice code: the
// stigmatic lenslet's exact focus, lenslets standing on curved bases, the hexagonal cells
// on a sphere and the gaps' offset surface.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "foundation/testing/approx.h"
#include "optics/model/general_parameters.h"
#include "optics/lensarray/lens_array.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/micro_element.h"
#include "optics/model/ray.h"
#include "optics/interaction/surface_trace.h"
#include "optics/lensarray/tests/lens_array_fixtures.h"

namespace {

constexpr double kClosedForm = 1e-9;
// A stigmatic surface has no aberration: only the round-off of the trace is left.
constexpr double kStigmaticFocus = 1e-8;

// Where a ray (point p, direction d) passes nearest to the line O + lambda a: lambda there,
// and the distance between them.
void ClosestApproach(const double p[3], const double d[3], const double O[3], const double a[3],
                     double &lambda, double &gap) {
  const double w[3] = {p[0] - O[0], p[1] - O[1], p[2] - O[2]};
  const double ad = a[0] * d[0] + a[1] * d[1] + a[2] * d[2];
  const double aw = a[0] * w[0] + a[1] * w[1] + a[2] * w[2];
  const double dw = d[0] * w[0] + d[1] * w[1] + d[2] * w[2];
  const double det = 1.0 - ad * ad;
  lambda = (aw - ad * dw) / det;
  const double mu = (ad * aw - dw) / det;
  double diff[3];
  for (int i = 0; i < 3; ++i) diff[i] = O[i] + lambda * a[i] - (p[i] + mu * d[i]);
  gap = std::sqrt(diff[0] * diff[0] + diff[1] * diff[1] + diff[2] * diff[2]);
}

// The ellipsoid of eccentricity 1/n (conic constant -1/n^2) refracts a beam parallel to its
// axis from air into glass of index n exactly to its far focus, n r / (n - 1) behind the
// vertex. Each lenslet of an array on a sphere, concave or convex, must do the same about
// its own axis, the base normal at its vertex.
TEST(LensArrayOptics, StigmaticLensletsFocusExactlyOnCurvedBases) {
  const double r = 3.0, n = 1.5;
  const double focus = n * r / (n - 1.0);
  for (double R : {40.0, -40.0}) {
    TSurface s;
    // The micro conic (1 - k) x^2 - 2 r x + h^2 = 0 has conic constant -k: k = 1 / n^2.
    MakeArraySurface(s, kSurfaceSphere, R, kPackingRectangle, {4, 4, 4, 4}, kMicroAsphere2,
                     {r, 1.0 / (n * n)});
    s.general.nBefore = 1.0;
    s.general.nAfter = n;
    // Cell (2, -1): angles 2 * 4 / 40 and -4 / 40 on the base.
    const double ua = 0.2, wa = -0.1;
    // Its vertex: the base point turned by ua in the x-y plane and wa out of it.
    const double O[3] = {R - R * std::cos(ua) * std::cos(wa), R * std::sin(ua),
                         R * std::cos(ua) * std::sin(wa)};
    ASSERT_APPROX((O[0] - R) * (O[0] - R) + O[1] * O[1] + O[2] * O[2], R * R, kClosedForm);
    double axis[3] = {R - O[0], -O[1], -O[2]};  // towards the centre of curvature
    Normalize(axis);
    if (axis[0] < 0.0)
      for (double &v : axis) v = -v;
    // Two directions across the axis.
    double e1[3] = {-axis[1], axis[0], 0.0};
    Normalize(e1);
    const double e2[3] = {axis[1] * e1[2] - axis[2] * e1[1], axis[2] * e1[0] - axis[0] * e1[2],
                          axis[0] * e1[1] - axis[1] * e1[0]};
    for (const auto &off : {std::pair{1.2, 0.0}, std::pair{0.0, -1.5}, std::pair{0.9, 0.9}}) {
      TCurrentRay ray;
      ray.x = O[0] - 2.0 * axis[0] + off.first * e1[0] + off.second * e2[0];
      ray.y = O[1] - 2.0 * axis[1] + off.first * e1[1] + off.second * e2[1];
      ray.z = O[2] - 2.0 * axis[2] + off.first * e1[2] + off.second * e2[2];
      ray.L = axis[0];
      ray.M = axis[1];
      ray.N = axis[2];
      ASSERT_EQ(SurfaceTrace(s, ray), kRayPassed) << R;
      const double p[3] = {ray.x, ray.y, ray.z};
      const double d[3] = {ray.L, ray.M, ray.N};
      double lambda = 0.0, gap = 0.0;
      ClosestApproach(p, d, O, axis, lambda, gap);
      EXPECT_APPROX(gap, 0.0, kStigmaticFocus) << R << " " << off.first << " " << off.second;
      EXPECT_APPROX(lambda, focus, kStigmaticFocus) << R << " " << off.first;
    }
  }
}

// Regular hexagons on a sphere: with Ax = 5 on R = 50 the cells are 0.1 rad apart in the
// base angles, rows 0.1 sqrt(3) / 2 apart and every other row shifted by 0.05. A ray along
// the base normal near a cell centre meets that cell's lenslet, whose normal points at the
// lenslet's own centre of curvature on that base normal.
TEST(LensArrayOptics, HexagonCellsOnASphereAreTheNearestAngles) {
  const double R = 50.0, step = 0.1, row = 0.1 * std::sqrt(3.0) / 2.0;
  TSurface s;
  MakeArraySurface(s, kSurfaceSphere, R, kPackingHexagon, {5.0, 1.0, 5.0, 5.0}, kMicroAsphere2,
                   {4.0, 0.0});
  const double centres[][2] = {{0.0, 0.0}, {step, 0.0}, {0.5 * step, row}, {-1.5 * step, -row},
                               {step, 2.0 * row}};
  for (const auto &c : centres) {
    // A base point a little off the centre (angles 0.01 and -0.012 away).
    const double u = c[0] + 0.01, w = c[1] - 0.012;
    double cell[3] = {0.0, 0.0, 0.0};
    const double Hb[3] = {R - R * std::cos(u) * std::cos(w), R * std::sin(u),
                          R * std::cos(u) * std::sin(w)};
    ASSERT_TRUE(ComputeZoneCoordinates(s, 0, Hb, cell));
    EXPECT_APPROX(cell[1], u, kClosedForm);
    EXPECT_APPROX(cell[2], w, kClosedForm);
    double candidates[kMaxCandidateCells][3];
    int count = 0;
    ASSERT_TRUE(FindCandidateCells(s, 0, cell, candidates, count));
    ASSERT_EQ(count, 1);
    EXPECT_APPROX(candidates[0][1], c[0], kClosedForm) << c[0] << " " << c[1];
    EXPECT_APPROX(candidates[0][2], c[1], kClosedForm) << c[0] << " " << c[1];
  }
}

// Gaps between narrow cells on a sphere: the ray stops on the offset sphere, HMikroLens
// behind the base and concentric with it (radius R - h about the same centre).
TEST(LensArrayOptics, GapsOnASphereStopOnTheConcentricOffsetSphere) {
  const double R = 30.0, h = 0.4;
  TSurface s;
  MakeArraySurface(s, kSurfaceSphere, R, kPackingRectangle, {3, 3, 1, 1}, kMicroAsphere2,
                   {2.0, 0.0});
  s.zones.data[0].HMikroLens = h;
  // Base angle 0.05 rad along y: halfway between cells 0 and 0.1, outside both clear widths.
  const double P[3] = {-1.0, R * std::sin(0.05), 0.0};
  const double D[3] = {1.0, 0.0, 0.0};
  double N[3], t = 0.0;
  ASSERT_EQ(LensArrayIntersect(s, P, D, N, t), kLensArrayMissed);
  const double x = P[0] + t;
  EXPECT_APPROX(std::hypot(x - R, P[1]), R - h, kClosedForm);
  EXPECT_APPROX(x, R - std::sqrt((R - h) * (R - h) - P[1] * P[1]), kClosedForm);
}

// Radial-Ring cells on a conic base: ring u_c is the polar angle about the near focus,
// R / (1 + e) behind the vertex, where the conic's own polar equation
// rho_f = R / (1 + e cos u) gives the point. A ray along the base normal at such a point, in
// any sector, meets the lenslet standing there at its vertex with the base normal.
TEST(LensArrayOptics, ConicRadialRingLensletsStandWhereTheirRingsAre) {
  const double Ex = 0.25, e = 0.5, kPi = 3.141592653589793;
  const double kSectors[4] = {0.0, 1.0, 3.0, 7.0};  // 0, 30, 90 and 210 degrees
  for (int c = 0; c < 8; ++c) {  // a convex, then a concave base
    const double R = c < 4 ? 40.0 : -40.0;
    const double sector = kSectors[c % 4];
    TSurface s;
    MakeArraySurface(s, kSurfaceAspheric2, R, kPackingRadialRing, {4, 30, 3, 3},
                     kMicroAsphere2, {3.0, 0.0});
    s.general.Ex = Ex;
    const double focus = R / (1.0 + e);
    const double u = 0.2, w = sector * kPi / 6.0;
    const double rhoF = R / (1.0 + e * std::cos(u));
    const double O[3] = {focus - rhoF * std::cos(u), rhoF * std::sin(u) * std::cos(w),
                         rhoF * std::sin(u) * std::sin(w)};
    ASSERT_APPROX((1.0 - Ex) * O[0] * O[0] - 2.0 * R * O[0] + O[1] * O[1] + O[2] * O[2], 0.0,
                  kClosedForm);
    double axis[3] = {R - (1.0 - Ex) * O[0], -O[1], -O[2]};
    Normalize(axis);
    if (axis[0] < 0.0)
      for (double &v : axis) v = -v;  // travel along +x
    const double P[3] = {O[0] - 2.0 * axis[0], O[1] - 2.0 * axis[1], O[2] - 2.0 * axis[2]};
    double N[3], t = 0.0;
    ASSERT_EQ(LensArrayIntersect(s, P, axis, N, t), kLensArrayHit) << R << " " << sector;
    EXPECT_APPROX(t, 2.0, kClosedForm) << R << " " << sector;
    // The normal lies along the base normal (its orientation is the trace's business).
    const double along = N[0] * axis[0] + N[1] * axis[1] + N[2] * axis[2];
    EXPECT_APPROX(std::fabs(along), 1.0, kClosedForm) << R << " " << sector;
  }
}

// "Asphere polinomial" with unit weights and no higher terms is the micro conic: with conic
// constant -1/n^2 it too brings a parallel beam exactly to n r / (n - 1) in the glass.
TEST(LensArrayOptics, StigmaticPolynomialLensletFocusesExactly) {
  const double r = 3.0, n = 1.5;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingHexagon, {4, 1, 4, 4},
                   kMicroAspherePolynomial, {r, 1.0 / (n * n), 1.0, 1.0});
  s.general.nAfter = n;
  // The hexagon centre (4 * 1.5, 4 * sqrt(3) / 2) of the second row.
  const double cy = 6.0, cz = 2.0 * std::sqrt(3.0);
  for (const auto &off : {std::pair{1.3, 0.0}, std::pair{-0.6, 1.1}}) {
    TCurrentRay ray;
    ray.x = -1.0;
    ray.y = cy + off.first;
    ray.z = cz + off.second;
    ray.L = 1.0;
    ray.M = ray.N = 0.0;
    ASSERT_EQ(SurfaceTrace(s, ray), kRayPassed);
    const double p[3] = {ray.x, ray.y, ray.z};
    const double d[3] = {ray.L, ray.M, ray.N};
    const double O[3] = {0.0, cy, cz};
    const double axis[3] = {1.0, 0.0, 0.0};
    double lambda = 0.0, gap = 0.0;
    ClosestApproach(p, d, O, axis, lambda, gap);
    EXPECT_APPROX(gap, 0.0, kStigmaticFocus);
    EXPECT_APPROX(lambda, n * r / (n - 1.0), kStigmaticFocus);
  }
}

// A cylinder base (curved in x-y, straight along z): cells every Ax / R in the turning angle
// and every Ax along z. A stigmatic lenslet at turning angle 0.1 and z = 8 focuses about the
// cylinder's normal there.
TEST(LensArrayOptics, StigmaticLensletsFocusExactlyOnACylinder) {
  const double R = 40.0, r = 3.0, n = 1.5;
  TSurface s;
  MakeArraySurface(s, kSurfaceCylinder, R, kPackingRectangle, {4, 4, 4, 4}, kMicroAsphere2,
                   {r, 1.0 / (n * n)});
  s.general.nAfter = n;
  const double O[3] = {R - R * std::cos(0.1), R * std::sin(0.1), 8.0};
  const double axis[3] = {std::cos(0.1), -std::sin(0.1), 0.0};
  for (const auto &off : {std::pair{1.2, 0.0}, std::pair{0.0, -1.4}, std::pair{-0.8, 0.7}}) {
    // off.first across the axis in x-y, off.second along z.
    TCurrentRay ray;
    ray.x = O[0] - 2.0 * axis[0] - off.first * axis[1];
    ray.y = O[1] - 2.0 * axis[1] + off.first * axis[0];
    ray.z = O[2] + off.second;
    ray.L = axis[0];
    ray.M = axis[1];
    ray.N = 0.0;
    ASSERT_EQ(SurfaceTrace(s, ray), kRayPassed);
    const double p[3] = {ray.x, ray.y, ray.z};
    const double d[3] = {ray.L, ray.M, ray.N};
    double lambda = 0.0, gap = 0.0;
    ClosestApproach(p, d, O, axis, lambda, gap);
    EXPECT_APPROX(gap, 0.0, kStigmaticFocus) << off.first << " " << off.second;
    EXPECT_APPROX(lambda, n * r / (n - 1.0), kStigmaticFocus) << off.first << " " << off.second;
  }
}

// "Ring" cells on a conic base are rings about the axis: a base point's ring angle (about
// the far point R / (1 - e) on the axis) depends on its radius, never on its azimuth.
TEST(LensArrayOptics, ConicRingAngleIsTheSameAllRoundTheAxis) {
  const double R = 40.0, Ex = 0.25, e = 0.5, rho = 6.0;
  TSurface s;
  MakeArraySurface(s, kSurfaceAspheric2, R, kPackingRing, {4, 1, 3, 3}, kMicroAsphere2,
                   {3.0, 0.0});
  s.general.Ex = Ex;
  const double x = ConicSag(R, Ex, rho);
  const double farPoint = R / (1.0 - e);
  const double expected = std::atan(rho / std::fabs(farPoint - x));
  for (double phi : {0.0, 0.7, 1.5707963267948966, 4.0}) {
    const double H[3] = {x, rho * std::cos(phi), rho * std::sin(phi)};
    double cell[3] = {0.0, 0.0, 0.0};
    ASSERT_TRUE(ComputeZoneCoordinates(s, 0, H, cell)) << phi;
    EXPECT_APPROX(cell[1], expected, kClosedForm) << phi;
    EXPECT_EQ(cell[2], 0.0);
  }
}

}  // namespace
