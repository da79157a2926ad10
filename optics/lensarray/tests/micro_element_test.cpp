#include "optics/lensarray/micro_element.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "foundation/testing/approx.h"
#include "optics/model/general_parameters.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/tests/lens_array_fixtures.h"

namespace {

constexpr double kClosedForm = 1e-10;  // quadratic roots against bisection
constexpr double kNewton = 1e-7;       // iterated kinds (steps of 1e-8 .. 1e-6)
constexpr double kTorNewton = 1e-5;    // "Tor" stops at steps below 1e-6 length units

struct TRay {
  double p[3];
  double d[3];
  double At(int i, double s) const { return p[i] + s * d[i]; }
};

TRay MakeLocalRay(double x, double y, double z, double L, double M, double N) {
  TRay r{{x, y, z}, {L, M, N}};
  Normalize(r.d);
  return r;
}

// Intersects the zone's element and checks the distance against a bisection of the
// surface's own equation F(point) = 0 over [lo, hi], and the normal against F's gradient.
void ExpectOnSurface(const TSurface &s, const TRay &ray, const double cell[3],
                     const std::function<double(double, double, double)> &F, double lo,
                     double hi, double tolerance) {
  double normal[3];
  double distance = 0.0;
  ASSERT_TRUE(IntersectMicroElement(s, 0, ray.p, ray.d, normal, distance, cell));
  auto along = [&](double t) { return F(ray.At(0, t), ray.At(1, t), ray.At(2, t)); };
  const double root = BisectRoot(along, lo, hi);
  EXPECT_APPROX(distance, root, tolerance);
  // The normal is parallel to the gradient of F at the hit (either orientation).
  const double x = ray.At(0, root), y = ray.At(1, root), z = ray.At(2, root);
  const double h = 1e-6;
  double g[3] = {(F(x + h, y, z) - F(x - h, y, z)) / (2 * h),
                 (F(x, y + h, z) - F(x, y - h, z)) / (2 * h),
                 (F(x, y, z + h) - F(x, y, z - h)) / (2 * h)};
  Normalize(g);
  const double dot = g[0] * normal[0] + g[1] * normal[1] + g[2] * normal[2];
  EXPECT_APPROX(std::fabs(dot), 1.0, 1e-6);
}

const double kCentre[3] = {0.0, 0.0, 0.0};

TEST(IntersectMicroElement, QuadricKindsMatchBisection) {
  const TRay ray = MakeLocalRay(-0.5, 0.7, 0.3, 1.0, 0.05, 0.1);
  const double r = 5.0;
  {
    TSurface s;
    MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 4, 4}, kMicroCylinderOX,
                     {r, 0.0});
    ExpectOnSurface(s, ray, kCentre, [&](double x, double y, double) {
      return (x - r) * (x - r) + y * y - r * r;
    }, 0.0, 2.0, kClosedForm);
  }
  {
    TSurface s;
    MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 4, 4}, kMicroCylinderOY,
                     {r, 0.0});
    ExpectOnSurface(s, ray, kCentre, [&](double x, double, double z) {
      return (x - r) * (x - r) + z * z - r * r;
    }, 0.0, 2.0, kClosedForm);
  }
  {
    const double k = 0.4;  // an ellipse-like conic
    TSurface s;
    MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 4, 4}, kMicroAsphere2,
                     {r, k});
    ExpectOnSurface(s, ray, kCentre, [&](double x, double y, double z) {
      return (1 - k) * x * x - 2 * r * x + y * y + z * z;
    }, 0.0, 2.0, kClosedForm);
  }
}

TEST(IntersectMicroElement, DefaultZoneIsASphereOfRadiusTwenty) {
  TSurface s;
  s.general.type = kSurfacePlane;
  s.zones.Allocate(1, 1);  // the zone's own defaults: "Asphere 2 order" (20, 0), widths 20
  const TRay ray = MakeLocalRay(-1.0, 6.0, -3.0, 1.0, -0.02, 0.03);
  ExpectOnSurface(s, ray, kCentre, [](double x, double y, double z) {
    return (x - 20) * (x - 20) + y * y + z * z - 400;
  }, 0.0, 5.0, kClosedForm);
}

TEST(IntersectMicroElement, QuadricApertureAndDegenerateRadius) {
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 2, 1}, kMicroAsphere2,
                   {5, 0});
  double n[3];
  double t = 0.0;
  const double d[3] = {1.0, 0.0, 0.0};
  const double inside[3] = {-1.0, 0.8, 0.1};   // (0.8/1)^2 + (0.1/0.5)^2 < 1
  const double outside[3] = {-1.0, 0.8, 0.4};  // 0.64 + 0.64 > 1
  EXPECT_TRUE(IntersectMicroElement(s, 0, inside, d, n, t, kCentre));
  EXPECT_FALSE(IntersectMicroElement(s, 0, outside, d, n, t, kCentre));
  s.zones.data[0].MicroCoef.data[0] = 0.0;  // r = 0: no surface, no crash
  EXPECT_FALSE(IntersectMicroElement(s, 0, inside, d, n, t, kCentre));
}

TEST(IntersectMicroElement, PolynomialMatchesBisection) {
  const double r = 8.0, k = 0.3, Ay = 1.0, Az = 0.5, c4 = 0.001;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 8, 8},
                   kMicroAspherePolynomial, {r, k, Ay, Az, c4});
  const TRay ray = MakeLocalRay(-0.4, 1.5, -2.0, 1.0, -0.1, 0.08);
  ExpectOnSurface(s, ray, kCentre, [&](double x, double y, double z) {
    return Ay * y * y + Az * z * z - (2 * r * x + (k - 1) * x * x + c4 * x * x * x);
  }, 0.0, 2.0, kNewton);
}

TEST(IntersectMicroElement, PolynomialWithUnitWeightsIsTheConic) {
  TSurface poly, conic;
  MakeArraySurface(poly, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 8, 8},
                   kMicroAspherePolynomial, {6.0, -0.5, 1.0, 1.0});
  MakeArraySurface(conic, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 8, 8}, kMicroAsphere2,
                   {6.0, -0.5});
  const TRay ray = MakeLocalRay(-0.3, 2.0, 1.0, 1.0, 0.1, -0.05);
  double n1[3], n2[3], t1 = 0.0, t2 = 0.0;
  ASSERT_TRUE(IntersectMicroElement(poly, 0, ray.p, ray.d, n1, t1, kCentre));
  ASSERT_TRUE(IntersectMicroElement(conic, 0, ray.p, ray.d, n2, t2, kCentre));
  EXPECT_APPROX(t1, t2, kNewton);
  for (int i = 0; i < 3; ++i) EXPECT_APPROX(n1[i], n2[i], kNewton);
}

TEST(IntersectMicroElement, PolynomialWithTooFewOrTooManyTermsIsRefused) {
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 8, 8},
                   kMicroAspherePolynomial, {6.0, 0.0});
  const TRay ray = MakeLocalRay(-0.3, 1.0, 0.0, 1.0, 0.0, 0.0);
  double n[3], t = 0.0;
  EXPECT_FALSE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre));
  s.zones.data[0].MicroCoef.Allocate(kMaxMicroPolynomialTerms + 3, 1);
  s.zones.data[0].MicroCoef.data[0] = 6.0;
  s.zones.data[0].MicroCoef.data[2] = 1.0;
  EXPECT_FALSE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre));
}

TEST(IntersectMicroElement, PlaneAndItsClearAperture) {
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 2, 2}, kMicroPlane, {1});
  const TRay ray = MakeLocalRay(-0.5, 0.2, 0.1, 1.0, 0.3, 0.2);
  double n[3], t = 0.0;
  ASSERT_TRUE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre));
  EXPECT_APPROX(ray.At(0, t), 0.0, kClosedForm);
  EXPECT_APPROX(n[0], 1.0, kClosedForm);
  const TRay wide = MakeLocalRay(-0.5, 0.9, 0.5, 1.0, 0.0, 0.0);  // outside the unit disc
  EXPECT_FALSE(IntersectMicroElement(s, 0, wide.p, wide.d, n, t, kCentre));
  // Widths 0: no limit at all, however far out.
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 0, 0}, kMicroPlane, {1});
  const TRay far = MakeLocalRay(-0.5, 5e4, -3e4, 1.0, 0.0, 0.0);
  EXPECT_TRUE(IntersectMicroElement(s, 0, far.p, far.d, n, t, kCentre));
  const TRay across = MakeLocalRay(-0.5, 0.0, 0.0, 0.0, 1.0, 0.0);
  EXPECT_FALSE(IntersectMicroElement(s, 0, across.p, across.d, n, t, kCentre));
}

TEST(IntersectMicroElement, DiaphragmsTransmitBetweenTheirOutlines) {
  for (int kind : {kMicroDiaphragmRect, kMicroDiaphragmEllipse}) {
    TSurface s;
    MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 2, 2}, kind,
                     {4.0, 2.0, 1.0, 0.5});
    double n[3], t = 0.0;
    auto passes = [&](double y, double z) {
      const TRay ray = MakeLocalRay(-1.0, y, z, 1.0, 0.0, 0.0);
      return IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre);
    };
    EXPECT_TRUE(passes(1.5, 0.0)) << kind;    // in the ring
    EXPECT_FALSE(passes(2.5, 0.0)) << kind;   // beyond the outer half-width 2
    EXPECT_FALSE(passes(0.0, 1.2)) << kind;   // beyond the outer half-height 1
    EXPECT_FALSE(passes(0.2, 0.05)) << kind;  // on the central stop
    EXPECT_TRUE(passes(0.0, 0.0)) << kind;    // the exact centre always passes
    EXPECT_APPROX(t, 1.0, kClosedForm);
  }
  TSurface open;
  MakeArraySurface(open, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 2, 2},
                   kMicroDiaphragmEllipse, {4.0, 2.0, 0.0, 0.0});
  const TRay ray = MakeLocalRay(-1.0, 0.01, 0.01, 1.0, 0.0, 0.0);
  double n[3], t = 0.0;
  EXPECT_TRUE(IntersectMicroElement(open, 0, ray.p, ray.d, n, t, kCentre));  // no stop
}

// "Tor" rings on a flat base: the profile circle of radius r centred at (r, rho0).
TEST(IntersectMicroElement, TorRingOnAPlaneMatchesBisection) {
  const double r = 2.0, rho0 = 3.0;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRing, {2, 2, 20, 20}, kMicroTor, {r, 0.0});
  const double cell[3] = {0.0, rho0, 0.0};
  const TRay ray = MakeLocalRay(-0.5, 2.4, 1.1, 1.0, 0.02, -0.03);
  ExpectOnSurface(s, ray, cell, [&](double x, double y, double z) {
    const double rho = std::hypot(y, z);
    return (x - r) * (x - r) + (rho - rho0) * (rho - rho0) - r * r;
  }, 0.0, 1.5, kTorNewton);
}

// "Tor" rings on a sphere of radius Rb: the profile circle (radius r) touches the base at
// the ring's angle u_c, its centre (Rb - r) from the base's centre. In the cell frame (the
// base point on the axis at angle u_c, axes unturned) that centre is at x = r cos u_c,
// rho = (Rb - r) sin u_c.
TEST(IntersectMicroElement, TorRingOnASphereMatchesBisection) {
  const double Rb = 40.0, r = 3.0, uc = 0.2;
  TSurface s;
  MakeArraySurface(s, kSurfaceSphere, Rb, kPackingRing, {8, 8, 20, 20}, kMicroTor, {r, 0.0});
  const double cell[3] = {0.0, uc, 0.0};
  const double ringRadius = (Rb - r) * std::sin(uc);
  const TRay ray = MakeLocalRay(-0.5, 0.7 * ringRadius, 0.75 * ringRadius, 1.0, 0.01, -0.02);
  ExpectOnSurface(s, ray, cell, [&](double x, double y, double z) {
    const double rho = std::hypot(y, z);
    const double cx = r * std::cos(uc);
    return (x - cx) * (x - cx) + (rho - ringRadius) * (rho - ringRadius) - r * r;
  }, 0.0, 1.5, kTorNewton);
  // Off the ring's angle: inside a wide element, outside a narrow one (a / Rb = 0.025 rad;
  // this hit lies about 0.07 rad from u_c).
  double n[3], t = 0.0;
  const TRay off = MakeLocalRay(-0.5, ringRadius - 2.5, 0.0, 1.0, 0.0, 0.0);
  EXPECT_TRUE(IntersectMicroElement(s, 0, off.p, off.d, n, t, cell));
  s.zones.data[0].PackCoef.data[2] = 2.0;
  EXPECT_FALSE(IntersectMicroElement(s, 0, off.p, off.d, n, t, cell));
  EXPECT_TRUE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, cell));
}

// "Tor" strips of "Line OX" on a sphere of radius Rb: the profile (radius c0, in x-z) bent
// round the base's centre, a torus about the local z axis through (Rb, 0, 0).
TEST(IntersectMicroElement, TorStripAlongZOnASphereMatchesBisection) {
  const double Rb = 50.0, c0 = 4.0;
  TSurface s;
  MakeArraySurface(s, kSurfaceSphere, Rb, kPackingLineOX, {2, 2, 20, 20}, kMicroTor, {c0, 0.0});
  const TRay ray = MakeLocalRay(-0.5, 0.2, 0.6, 1.0, 0.02, -0.03);
  ExpectOnSurface(s, ray, kCentre, [&](double x, double y, double z) {
    const double r = -c0;
    const double toAxis = std::hypot(x - Rb, y);
    return (toAxis - (Rb + r)) * (toAxis - (Rb + r)) + z * z - r * r;
  }, -0.3, 1.0, kTorNewton);
}

// "Tor" with "Line OY" on a sphere: a torus about the y axis through the sphere's centre,
// turned by the cell's angle u_c.
TEST(IntersectMicroElement, TorStripAlongYOnASphereMatchesBisection) {
  const double Rb = 50.0, r = 4.0, uc = 0.05;
  TSurface s;
  MakeArraySurface(s, kSurfaceSphere, Rb, kPackingLineOY, {2, 2, 20, 20}, kMicroTor, {r, 0.0});
  const double cell[3] = {0.0, uc, 0.0};
  const TRay ray = MakeLocalRay(-0.5, 0.3, -0.4, 1.0, -0.02, 0.03);
  ExpectOnSurface(s, ray, cell, [&](double x, double y, double z) {
    const double toAxis = std::hypot(x - Rb * std::cos(uc), z);
    const double Y = y + r * std::sin(uc);
    const double C = (Rb - r) * std::cos(uc);
    return (toAxis - C) * (toAxis - C) + Y * Y - r * r;
  }, -0.3, 1.0, kTorNewton);
}

TEST(IntersectMicroElement, TorOnAreaPackingsAndUnknownKindsMiss) {
  const TRay ray = MakeLocalRay(-0.5, 0.1, 0.1, 1.0, 0.0, 0.0);
  double n[3], t = 0.0;
  for (int packing : {kPackingRectangle, kPackingHexagon, kPackingRadialRing}) {
    TSurface s;
    MakeArraySurface(s, kSurfaceSphere, 50.0, packing, {2, 2, 20, 20}, kMicroTor, {4.0, 0.0});
    EXPECT_FALSE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre)) << packing;
  }
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 2, 2}, 12, {4.0});
  EXPECT_FALSE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre));
  s.zones.data[0].MicroType = kMicroPlane;
  s.zones.data[0].MicroCoef.Clear();
  EXPECT_FALSE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre));
  EXPECT_FALSE(IntersectMicroElement(s, 4, ray.p, ray.d, n, t, kCentre));  // no such zone
}

// A Fresnel facet is the sphere of radius 1/c0 lowered by whole steps H: a ray parallel
// to the axis meets it at the sphere's sag minus H floor(sag / H), with the sphere's normal.
TEST(IntersectMicroElement, FresnelFacetIsTheLoweredSphere) {
  const double c0 = 0.1, H = 0.05, R = 1.0 / c0;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {8, 8, 8, 8}, kMicroFresnel,
                   {c0, 0.0, H});
  const double y = 2.0, z = 1.0;
  const TRay ray = MakeLocalRay(-1.0, y, z, 1.0, 0.0, 0.0);
  double n[3], t = 0.0;
  ASSERT_TRUE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre));
  const double sag = R - std::sqrt(R * R - y * y - z * z);
  const double facet = sag - H * std::floor(sag / H);
  EXPECT_APPROX(t, 1.0 + facet, kNewton);
  double sphereNormal[3] = {R - sag, -y, -z};
  Normalize(sphereNormal);
  const double dot = n[0] * sphereNormal[0] + n[1] * sphereNormal[1] + n[2] * sphereNormal[2];
  EXPECT_APPROX(std::fabs(dot), 1.0, kNewton);

  // An oblique ray by bisection on the facet of the zone it starts in.
  const TRay oblique = MakeLocalRay(-0.2, 1.7, -0.6, 1.0, 0.01, 0.02);
  const double level = H * std::floor((R - std::sqrt(R * R - 1.7 * 1.7 - 0.6 * 0.6)) / H);
  ExpectOnSurface(s, oblique, kCentre, [&](double x, double yy, double zz) {
    return (R - std::sqrt(R * R - yy * yy - zz * zz)) - level - x;
  }, 0.0, 0.5, kNewton);
}

TEST(IntersectMicroElement, FresnelRefusesBadStepsAndShortLists) {
  const TRay ray = MakeLocalRay(-1.0, 2.0, 0.0, 1.0, 0.0, 0.0);
  double n[3], t = 0.0;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {8, 8, 8, 8}, kMicroFresnel,
                   {0.1, 0.0, 0.0});  // H = 0
  EXPECT_FALSE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre));
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {8, 8, 8, 8}, kMicroFresnel,
                   {0.1, 0.0, 1e-14});  // S / H beyond the facet counter
  EXPECT_FALSE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre));
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {8, 8, 8, 8}, kMicroFresnel,
                   {0.1});
  EXPECT_FALSE(IntersectMicroElement(s, 0, ray.p, ray.d, n, t, kCentre));
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingRectangle, {8, 8, 8, 8}, kMicroFresnel,
                   {0.1, 0.0, 0.05});
  const TRay outside = MakeLocalRay(-1.0, 12.0, 0.0, 1.0, 0.0, 0.0);  // beyond the sphere
  EXPECT_FALSE(IntersectMicroElement(s, 0, outside.p, outside.d, n, t, kCentre));
}

}  // namespace
