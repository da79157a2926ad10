// The interaction against geometrical optics worked out independently of its formulas: a
// paraboloid mirror, whichever surface type describes it, sends every ray parallel to its
// axis through the focus at R/2; an ellipsoid mirror images one focus onto the other with
// equal optical paths (Fermat).

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/tests/interaction_fixtures.h"

namespace {

constexpr double kFocusTolerance = 1e-9;  // mm of miss distance after a Newton solve
constexpr double kPathTolerance = 1e-9;
// Without a ring the ring torus's quartic is the conic squared: Newton converges only
// linearly on its double root and stops at steps below 1e-6 mm.
constexpr double kDoubleRootTolerance = 1e-5;

// Distance from point f to the line through the ray's position along its direction.
double MissDistance(const TCurrentRay &ray, const double f[3]) {
  const double v[3] = {f[0] - ray.x, f[1] - ray.y, f[2] - ray.z};
  const double c[3] = {v[1] * ray.N - v[2] * ray.M, v[2] * ray.L - v[0] * ray.N,
                       v[0] * ray.M - v[1] * ray.L};
  return std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
}

TEST(InteractionPhysics, ParaboloidMirrorOfEveryTypeFocusesParallelRaysAtHalfTheRadius) {
  const double R = -100.0;  // concave towards the incoming light; focus at x = -50
  const double focus[3] = {R / 2.0, 0.0, 0.0};
  // The same paraboloid x = r^2 / (2R) in five descriptions.
  TInteractionSurface conic = OpenSurface(kSurfaceAspheric2, R, 1.0, -1.0);
  conic.Ex = 1.0;
  const double implicitCoef[] = {-2.0 * R, 0.0};        // y^2 + z^2 - 2R x = 0
  const double evenCoef[] = {1.0 / (2.0 * R)};          // x = r^2/(2R)
  const double standardCoef[] = {1.0 / R, -1.0};        // c = 1/R, conic constant -1
  const double ringCoef[] = {R, 0.0, 1.0};              // no ring, conic factor 1 - 1 = 0
  const TInteractionSurface surfaces[] = {
      conic,
      WithCoefficients(OpenSurface(kSurfaceAsphericHigh1, R, 1.0, -1.0), implicitCoef, 2),
      WithCoefficients(OpenSurface(kSurfaceAsphericHigh2, R, 1.0, -1.0), evenCoef, 1),
      WithCoefficients(OpenSurface(kSurfaceAsphericStandard, R, 1.0, -1.0), standardCoef, 2),
      WithCoefficients(OpenSurface(kSurfaceTorRing, R, 1.0, -1.0), ringCoef, 3),
  };
  for (const TInteractionSurface &s : surfaces) {
    for (const double h : {1.0, 10.0, 30.0, 60.0}) {
      const double angle = 0.3 * h;  // spread the rays round the axis
      TCurrentRay ray = MakeRay(-80.0, h * std::cos(angle), h * std::sin(angle), 1.0, 0.0, 0.0);
      ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed) << "type " << s.type << " h " << h;
      const double tolerance = s.type == kSurfaceTorRing ? kDoubleRootTolerance : kFocusTolerance;
      EXPECT_APPROX(ray.x, h * h / (2.0 * R), tolerance);
      EXPECT_LT(ray.L, 0.0);
      EXPECT_APPROX(MissDistance(ray, focus), 0.0, tolerance);
    }
  }
}

// An ellipsoid with foci on the axis at distances p and q from the vertex has R = 2pq/(p+q)
// and eccentricity e = (q - p)/(p + q); in the quadric (1 - Ex) x^2 - 2 R x + r^2 = 0 that
// is Ex = e^2. Every ray from one focus reaches the other, all with the same path p + q.
TEST(InteractionPhysics, EllipsoidMirrorImagesFocusOntoFocusWithEqualPaths) {
  const double p = 40.0, q = 160.0;
  const double R = -2.0 * p * q / (p + q);  // concave towards the incoming light
  const double e = (q - p) / (p + q);
  TInteractionSurface s = OpenSurface(kSurfaceAspheric2, R, 1.0, -1.0);
  s.Ex = e * e;
  const double first[3] = {-p, 0.0, 0.0}, second[3] = {-q, 0.0, 0.0};
  for (const double slope : {0.01, 0.2, 0.5, 0.9}) {
    TCurrentRay ray = MakeRay(first[0], 0.0, 0.0, 1.0, slope, 0.3 * slope);
    ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed);
    EXPECT_APPROX(MissDistance(ray, second), 0.0, kFocusTolerance);
    const double back = std::sqrt(std::pow(ray.x - second[0], 2) + ray.y * ray.y + ray.z * ray.z);
    EXPECT_APPROX(ray.pathLength + back, p + q, kPathTolerance);
  }
}

// Descartes' ovoid for light from infinity: a convex ellipsoid of eccentricity 1/n focuses a
// parallel beam entering glass of index n without aberration at n R / (n - 1).
TEST(InteractionPhysics, EllipsoidOfEccentricityOneOverNRefractsParallelLightToOnePoint) {
  const double n = 1.5168, R = 30.0;
  const double focus[3] = {n * R / (n - 1.0), 0.0, 0.0};
  TInteractionSurface conic = OpenSurface(kSurfaceAspheric2, R, 1.0, n);
  conic.Ex = 1.0 / (n * n);
  const double standardCoef[] = {1.0 / R, -1.0 / (n * n)};
  const TInteractionSurface surfaces[] = {
      conic,
      WithCoefficients(OpenSurface(kSurfaceAsphericStandard, R, 1.0, n), standardCoef, 2)};
  for (const TInteractionSurface &s : surfaces) {
    for (const double h : {0.5, 5.0, 12.0, 18.0}) {
      TCurrentRay ray = MakeRay(-10.0, 0.0, h, 1.0, 0.0, 0.0);
      ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed);
      EXPECT_APPROX(MissDistance(ray, focus), 0.0, kFocusTolerance) << "type " << s.type;
      // Fermat: from the plane x = -10 to the focus every ray has the same optical path.
      const double inGlass =
          std::sqrt(std::pow(focus[0] - ray.x, 2) + ray.y * ray.y + ray.z * ray.z);
      EXPECT_APPROX(ray.pathLength + n * inGlass, 10.0 + n * focus[0], kPathTolerance);
    }
  }
}

// A saddle torus (radii of opposite sign): the meridional section is the circle of radius
// 50 bending towards +x, the sagittal one the circle of radius -80 bending towards -x; an
// oblique ray meets the quartic x-y-z surface where both section laws combine.
TEST(InteractionPhysics, SaddleTorusFollowsBothOfItsSections) {
  const double R1 = 50.0, R2 = -80.0;
  const double coef[] = {R1, R2, 0.0};
  const TInteractionSurface s = WithCoefficients(OpenSurface(kSurfaceTor, R1, 1.0, 1.5), coef, 3);
  for (const double h : {3.0, 12.0, 25.0}) {
    TCurrentRay meridional = MakeRay(-5.0, h, 0.0, 1.0, 0.0, 0.0);
    ASSERT_EQ(TraceSurfaceRay(s, meridional), kRayPassed);
    EXPECT_APPROX(meridional.x, R1 - std::sqrt(R1 * R1 - h * h), kFocusTolerance);
    TCurrentRay sagittal = MakeRay(-5.0, 0.0, h, 1.0, 0.0, 0.0);
    ASSERT_EQ(TraceSurfaceRay(s, sagittal), kRayPassed);
    EXPECT_APPROX(sagittal.x, R2 + std::sqrt(R2 * R2 - h * h), kFocusTolerance);
  }
  // Off both sections: the point lies on the circle of radius R1 about the torus's
  // centre line, which itself runs on the circle of radius |R2 - R1| about the axis
  // x = R2 (parallel to y).
  TCurrentRay ray = MakeRay(-5.0, 10.0, 15.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed);
  const double d = std::fabs(R2 - R1);
  const double rho = std::sqrt(std::pow(ray.x - R2, 2) + ray.z * ray.z);
  EXPECT_APPROX(std::pow(rho - d, 2) + ray.y * ray.y, R1 * R1, 1e-7);
}

// A torus with one radius 0 is the circular cylinder of the other: an oblique ray meets the
// circle (x - r)^2 + u^2 = r^2 of its curved section and leaves a mirror by the law of
// reflection about that circle's normal.
TEST(InteractionPhysics, ATorusFlatInOneSectionReflectsAsTheCylinderOfTheOther) {
  const double r = 40.0;
  for (const bool acrossY : {true, false}) {
    const double coef[] = {acrossY ? r : 0.0, acrossY ? 0.0 : r, 0.0};
    const TInteractionSurface s = WithCoefficients(OpenSurface(kSurfaceTor, acrossY ? r : 0.0, 1.0, -1.0), coef, 3);
    const double d[3] = {0.96, 0.2, -0.18}, norm = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    TCurrentRay ray = MakeRay(-5.0, 6.0, -4.0, d[0] / norm, d[1] / norm, d[2] / norm);
    ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed) << acrossY;
    const double u = acrossY ? ray.y : ray.z;
    EXPECT_APPROX(std::pow(ray.x - r, 2) + u * u, r * r, 1e-7) << acrossY;
    const double n[3] = {(ray.x - r) / r, acrossY ? u / r : 0.0, acrossY ? 0.0 : u / r};
    const double dn = (d[0] * n[0] + d[1] * n[1] + d[2] * n[2]) / norm;
    const double out[3] = {ray.L, ray.M, ray.N};
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[k], d[k] / norm - 2.0 * dn * n[k], 1e-9) << acrossY << " component " << k;
  }
}

}  // namespace
