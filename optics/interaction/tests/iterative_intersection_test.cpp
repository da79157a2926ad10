#include "optics/interaction/iterative_intersection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/testing/approx.h"
#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/tests/interaction_fixtures.h"

namespace {

constexpr double kSameShapeTolerance = 1e-9;  // Newton stops at residuals of 1e-10 .. 1e-12
constexpr double kTorusTolerance = 1e-5;      // torus Newton stops on a 1e-6 step
constexpr double kGeometryTolerance = 1e-12;

struct TRayCase {
  double y, z, M, N;
};
const TRayCase kRays[] = {
    {0.0, 0.0, 0.0, 0.0},    {3.0, 0.0, 0.0, 0.0},     {0.0, -4.0, 0.0, 0.0},
    {5.0, 6.0, -0.05, 0.02}, {-9.0, 2.0, 0.12, -0.03}, {12.0, -10.0, -0.2, 0.15},
};

void ExpectSameTrace(const TInteractionSurface &reference, const TInteractionSurface &other,
                     double tolerance, const char *what) {
  for (const TRayCase &c : kRays) {
    TCurrentRay a = MakeRay(-6.0, c.y, c.z, 1.0, c.M, c.N);
    TCurrentRay b = a;
    ASSERT_EQ(TraceSurfaceRay(reference, a), kRayPassed) << what;
    ASSERT_EQ(TraceSurfaceRay(other, b), kRayPassed) << what << " y=" << c.y;
    EXPECT_APPROX(b.x, a.x, tolerance) << what;
    EXPECT_APPROX(b.y, a.y, tolerance) << what;
    EXPECT_APPROX(b.z, a.z, tolerance) << what;
    EXPECT_APPROX(b.L, a.L, tolerance) << what;
    EXPECT_APPROX(b.M, a.M, tolerance) << what;
    EXPECT_APPROX(b.N, a.N, tolerance) << what;
    EXPECT_APPROX(b.pathLength, a.pathLength, tolerance) << what;
  }
}

// One conic written as every shape type that can express it. The quadric
// (1 - Ex) x^2 - 2 R x + r^2 = 0 is type 3 with a0 = -2R, a1 = 1 - Ex, and the standard
// asphere with c = 1/R, k = -Ex; a paraboloid (Ex = 1) is also type 4 with a0 = 1/(2R).
TEST(IterativeIntersection, OneConicGivesOneRayWhateverItsType) {
  const double R = 50.0, n1 = 1.0, n2 = 1.6;
  const double huge = 1e9;  // a Fresnel facet taller than any sag: no folding
  for (double ex : {0.0, 0.4, 1.0, -0.7}) {
    TInteractionSurface quadric =
        OpenSurface(ex == 0.0 ? kSurfaceSphere : kSurfaceAspheric2, R, n1, n2);
    quadric.Ex = ex;
    if (ex == 0.0) {
      TInteractionSurface conic = OpenSurface(kSurfaceAspheric2, R, n1, n2);
      ExpectSameTrace(quadric, conic, kSameShapeTolerance, "conic Ex=0");
    }
    const double implicit[] = {-2.0 * R, 1.0 - ex};
    ExpectSameTrace(quadric,
                    WithCoefficients(OpenSurface(kSurfaceAsphericHigh1, R, n1, n2), implicit,
                                     ex == 1.0 ? 1 : 2),
                    kSameShapeTolerance, "implicit polynomial");
    const double standard[] = {1.0 / R, -ex};
    ExpectSameTrace(quadric,
                    WithCoefficients(OpenSurface(kSurfaceAsphericStandard, R, n1, n2), standard, 2),
                    kSameShapeTolerance, "standard asphere");
    TInteractionSurface fresnel =
        WithCoefficients(OpenSurface(kSurfaceFresnel, R, n1, n2), standard, 2);
    fresnel.frenelHeight = huge;
    ExpectSameTrace(quadric, fresnel, kSameShapeTolerance, "Fresnel");
    if (ex == 1.0) {
      const double even[] = {1.0 / (2.0 * R)};
      ExpectSameTrace(quadric,
                      WithCoefficients(OpenSurface(kSurfaceAsphericHigh2, R, n1, n2), even, 1),
                      kSameShapeTolerance, "even polynomial");
    }
  }
}

TEST(IterativeIntersection, TorusWithEqualRadiiIsTheSphere) {
  const double R = 50.0;
  const TInteractionSurface sphere = OpenSurface(kSurfaceSphere, R, 1.0, 1.5);
  const double torus[] = {R, R, 0.0};
  ExpectSameTrace(sphere, WithCoefficients(OpenSurface(kSurfaceTor, R, 1.0, 1.5), torus, 3),
                  kTorusTolerance, "torus");
  // A ring torus of ring radius 0 and conic factor 1 is the sphere too.
  const double ring[] = {R, 0.0, 0.0};
  ExpectSameTrace(sphere, WithCoefficients(OpenSurface(kSurfaceTorRing, R, 1.0, 1.5), ring, 3),
                  kTorusTolerance, "ring torus");
}

// Radius 50 in the x-y section and 80 in the x-z section: meridional rays see the first
// sphere, sagittal rays the second.
TEST(IterativeIntersection, TorusSectionsAreItsTwoCircles) {
  const double torus[] = {50.0, 80.0, 0.0};
  const TInteractionSurface toric =
      WithCoefficients(OpenSurface(kSurfaceTor, 50.0, 1.0, 1.5), torus, 3);
  for (double h : {2.0, 10.0, 25.0}) {
    TCurrentRay meridional = MakeRay(-3.0, h, 0.0, 1.0, 0.0, 0.0);
    ASSERT_EQ(TraceSurfaceRay(toric, meridional), kRayPassed);
    EXPECT_APPROX(meridional.x, 50.0 - std::sqrt(2500.0 - h * h), kTorusTolerance);
    TCurrentRay sagittal = MakeRay(-3.0, 0.0, h, 1.0, 0.0, 0.0);
    ASSERT_EQ(TraceSurfaceRay(toric, sagittal), kRayPassed);
    EXPECT_APPROX(sagittal.x, 80.0 - std::sqrt(6400.0 - h * h), kTorusTolerance);
  }
  // A zero first radius is flat in that section: sagittally still radius 80.
  const double flatMeridian[] = {0.0, 80.0, 0.0};
  const TInteractionSurface cylindrical =
      WithCoefficients(OpenSurface(kSurfaceTor, 0.0, 1.0, 1.5), flatMeridian, 3);
  TCurrentRay sagittal = MakeRay(-3.0, 0.0, 20.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceRay(cylindrical, sagittal), kRayPassed);
  EXPECT_APPROX(sagittal.x, 80.0 - std::sqrt(6400.0 - 400.0), kTorusTolerance);
}

// Radii far apart, the larger up to 3e8 or either way round: each hit lies on the torus
// as its two circles define it (worked in long double) and the ray leaves it as Snell's law
// says about the normal of that surface's slopes; a larger radius of 1e13 also traces as
// the cylinder of the smaller one.
TEST(IterativeIntersection, ATorusOfRadiiFarApartIsItsTwoCirclesToTheLastDigits) {
  using Real = long double;
  const auto sag = [](Real r1, Real r2, Real y, Real z) {
    // x1 = r1 - sqrt(r1^2 - y^2), x = x1 + rho - sqrt(rho^2 - z^2), each without its
    // cancellation.
    const Real x1 = y * y / (r1 + (r1 < 0 ? -1 : 1) * std::sqrt(r1 * r1 - y * y)), rho = r2 - x1;
    return x1 + z * z / (rho + (rho < 0 ? -1 : 1) * std::sqrt(rho * rho - z * z));
  };
  for (const double small : {50.0, -50.0, 0.5})
    for (const double large : {2e3, 1e6, 1e7, -3e8, 1e13})
      for (const bool swapped : {false, true}) {
        const double r1 = swapped ? large : small, r2 = swapped ? small : large;
        SCOPED_TRACE(testing::Message() << "R1 " << r1 << ", R2 " << r2);
        const double coef[] = {r1, r2, 0.0};
        const TInteractionSurface torus = WithCoefficients(OpenSurface(kSurfaceTor, r1, 1.0, 1.5), coef, 3);
        const double scale = std::fabs(small) / 50.0;  // the rays' heights for the smaller radius
        if (large == 1e13 && scale == 1.0) {
          const double flat[] = {swapped ? 0.0 : r1, swapped ? r2 : 0.0, 0.0};
          ExpectSameTrace(WithCoefficients(OpenSurface(kSurfaceTor, flat[0], 1.0, 1.5), flat, 3), torus, 1e-9, "cylinder");
          continue;
        }
        for (const TRayCase &c : kRays) {
          TCurrentRay ray = MakeRay(-6.0 * scale, c.y * scale, c.z * scale, 1.0, c.M, c.N);
          const Real d[3] = {ray.L, ray.M, ray.N};
          ASSERT_EQ(TraceSurfaceRay(torus, ray), kRayPassed) << "y " << c.y << ", z " << c.z;
          EXPECT_NEAR(ray.x, static_cast<double>(sag(r1, r2, ray.y, ray.z)), 1e-10 * scale);
          const Real h = 1e-5L * scale;
          Real n[3] = {-1, (sag(r1, r2, ray.y + h, ray.z) - sag(r1, r2, ray.y - h, ray.z)) / (2 * h),
                       (sag(r1, r2, ray.y, ray.z + h) - sag(r1, r2, ray.y, ray.z - h)) / (2 * h)};
          const Real length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
          for (Real &v : n) v /= length;
          const Real cosI = d[0] * n[0] + d[1] * n[1] + d[2] * n[2], mu = 1 / 1.5L;
          const Real cosT = std::sqrt(1 - mu * mu * (1 - cosI * cosI)) * (cosI < 0 ? -1 : 1);
          const double out[3] = {ray.L, ray.M, ray.N};
          for (int k = 0; k < 3; ++k) EXPECT_NEAR(out[k], static_cast<double>(mu * d[k] + (cosT - mu * cosI) * n[k]), 1e-9);
        }
        // A steep ray aimed at a point 0.8 of the smaller radius out, which crosses the vertex
        // plane beyond that radius: it meets the torus at that point.
        const double across = 0.8 * std::fabs(small), along = 0.1 * std::fabs(small), slope = small > 0.0 ? -0.8 : 0.8;
        const double hit[3] = {static_cast<double>(sag(r1, r2, swapped ? along : across, swapped ? across : along)),
                               swapped ? along : across, swapped ? across : along};
        const double back = 30.0 * scale;
        TCurrentRay steep = MakeRay(hit[0] - back, hit[1] - (swapped ? 0.0 : slope * back),
                                    hit[2] - (swapped ? slope * back : 0.0), 1.0, swapped ? 0.0 : slope, swapped ? slope : 0.0);
        ASSERT_EQ(TraceSurfaceRay(torus, steep), kRayPassed) << "steep";
        EXPECT_NEAR(steep.y, hit[1], 1e-9 * scale);
        EXPECT_NEAR(steep.z, hit[2], 1e-9 * scale);
      }
}

// A torus long in one section reaches as far there as its circle does, beyond its smaller
// radius: 10 across and 500 or 1e4 along (either way round), met 20 or 400 out along.
TEST(IterativeIntersection, ATorusLongInOneSectionIsMetAlongItsLength) {
  for (const double along : {500.0, -500.0, 1e4})
    for (const bool swapped : {false, true})
      for (const double h : {20.0, 0.9 * std::min(std::fabs(along), 400.0)}) {
        const double coef[] = {swapped ? along : 10.0, swapped ? 10.0 : along, 0.0};
        const TInteractionSurface toric = WithCoefficients(OpenSurface(kSurfaceTor, coef[0], 1.0, 1.5), coef, 3);
        TCurrentRay ray = MakeRay(-3.0, swapped ? h : 0.0, swapped ? 0.0 : h, 1.0, 0.0, 0.0);
        ASSERT_EQ(TraceSurfaceRay(toric, ray), kRayPassed) << "along " << along << ", h " << h << ", swapped " << swapped;
        EXPECT_NEAR(ray.x, along - (along < 0 ? -1 : 1) * std::sqrt(along * along - h * h), 1e-9 * std::fabs(along));
      }
  // At y = 100 on radii 500 and 100 the x-z circle reaches 100 - x1 = 89.9 from the axis
  // (x1 = 500 - sqrt(500^2 - 100^2)): 0.995 of that is past the rim.
  const double coef[] = {500.0, 100.0, 0.0};
  const double reach = 100.0 - (500.0 - std::sqrt(500.0 * 500.0 - 100.0 * 100.0));
  TCurrentRay ray = MakeRay(-3.0, 100.0, 0.995 * reach, 1.0, 0.0, 0.0);
  EXPECT_EQ(TraceSurfaceRay(WithCoefficients(OpenSurface(kSurfaceTor, 500.0, 1.0, 1.5), coef, 3), ray), kRayStopped);
}

TEST(IterativeIntersection, TorusRejectsHitsNearItsRimAndParksTheRay) {
  for (const double r1 : {30.0, -30.0}) {
    const double torus[] = {r1, 60.0, 0.0};
    const TInteractionSurface toric =
        WithCoefficients(OpenSurface(kSurfaceTor, r1, 1.0, 1.5), torus, 3);
    TCurrentRay ray = MakeRay(-3.0, 0.995 * 30.0, 0.0, 1.0, 0.0, 0.0);
    EXPECT_EQ(TraceSurfaceRay(toric, ray), kRayStopped);
    EXPECT_APPROX(ray.x, 0.99 * r1, kGeometryTolerance);  // the fallback x: sign(R1) 0.99 R_min
    EXPECT_APPROX(ray.y, 0.995 * 30.0, kGeometryTolerance);
  }
}

// Meridional circle of radius 20 centred at (20, 5), revolved about the x axis.
TEST(IterativeIntersection, RingTorusFollowsItsDisplacedCircle) {
  const double ring[] = {20.0, 5.0, 0.0};
  const TInteractionSurface s =
      WithCoefficients(OpenSurface(kSurfaceTorRing, 20.0, 1.0, 1.5), ring, 3);
  for (double h : {5.0, 9.0, 14.0}) {
    TCurrentRay ray = MakeRay(-2.0, 0.0, h, 1.0, 0.0, 0.0);
    ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed);
    EXPECT_APPROX(ray.x, 20.0 - std::sqrt(400.0 - (h - 5.0) * (h - 5.0)), kTorusTolerance);
  }
}

// A paraboloid x = r^2/128 folded into facets of 0.25: x = S - floor(S/0.25) 0.25.
TEST(IterativeIntersection, FresnelFacetsFoldTheSag) {
  const double coef[] = {1.0 / 64.0, -1.0};
  TInteractionSurface s = WithCoefficients(OpenSurface(kSurfaceFresnel, 64.0, 1.0, 1.5), coef, 2);
  s.frenelHeight = 0.25;
  for (double h : {3.0, 7.9, 8.0, 11.3}) {
    const double sag = h * h / 128.0;
    TCurrentRay ray = MakeRay(-1.0, h, 0.0, 1.0, 0.0, 0.0);
    ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed) << h;
    EXPECT_APPROX(ray.x, sag - std::floor(sag / 0.25) * 0.25, kSameShapeTolerance) << h;
    // The facet keeps the paraboloid's slope: normal (-1, h/64, 0).
    TInteractionSurface parabola = s;
    parabola.type = kSurfaceAsphericStandard;
    TCurrentRay reference = MakeRay(-1.0, h, 0.0, 1.0, 0.0, 0.0);
    ASSERT_EQ(TraceSurfaceRay(parabola, reference), kRayPassed);
    EXPECT_APPROX(ray.M, reference.M, kSameShapeTolerance);
  }
  // A sag/h beyond the integer range fails before iterating.
  s.frenelHeight = 1e-12;
  TCurrentRay far = MakeRay(-1.0, 8.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(TraceSurfaceRay(s, far), kRayStopped);
  // No facet height at all.
  s.frenelHeight = 0.0;
  TCurrentRay flat = MakeRay(-1.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(TraceSurfaceRay(s, flat), kRayStopped);
}

TEST(IterativeIntersection, StandardAsphereOutsideTheConicDomainFails) {
  const double coef[] = {0.1, 0.0};  // sphere of radius 10
  const TInteractionSurface s =
      WithCoefficients(OpenSurface(kSurfaceAsphericStandard, 10.0, 1.0, 1.5), coef, 2);
  TCurrentRay ray = MakeRay(-1.0, 12.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(TraceSurfaceRay(s, ray), kRayStopped);
  EXPECT_EQ(ray.blocked, 1);
}

// Every solver ends on bad coefficients: no real root, huge or NaN coefficients, rays that
// graze. The test finishing is half the check; each must also report a stop, not a pass.
TEST(IterativeIntersection, SolversEndOnHopelessInput) {
  const double nan = std::nan("");
  const std::vector<std::vector<double>> implicitSets = {
      {0.0, 1.0}, {1e300, -1e300, 1e300}, {nan, 1.0}, {0.0, 0.0, 0.0}};
  for (const auto &coef : implicitSets) {
    const TInteractionSurface s =
        WithCoefficients(OpenSurface(kSurfaceAsphericHigh1, 0.0, 1.0, 1.5), coef.data(),
                         static_cast<int>(coef.size()));
    TCurrentRay ray = MakeRay(-1.0, 5.0, 0.0, 1.0, 0.0, 0.0);
    EXPECT_EQ(TraceSurfaceRay(s, ray), kRayStopped);
  }
  const std::vector<std::vector<double>> evenSets = {{nan}, {1e308, 1e308}, {-1e200, 1e200}};
  for (const auto &coef : evenSets) {
    const TInteractionSurface s =
        WithCoefficients(OpenSurface(kSurfaceAsphericHigh2, 1.0, 1.0, 1.5), coef.data(),
                         static_cast<int>(coef.size()));
    TCurrentRay ray = MakeRay(-1.0, 5.0, 3.0, 1.0, 0.3, 0.0);
    EXPECT_EQ(TraceSurfaceRay(s, ray), kRayStopped);
  }
  // Negative eccentricity terms under the root: 1 - (1+k) c^2 r^2 < 0 everywhere off axis.
  const double steep[] = {1.0, 1e6, 1e3};
  for (int type : {kSurfaceAsphericStandard, kSurfaceFresnel}) {
    TInteractionSurface s = WithCoefficients(OpenSurface(type, 1.0, 1.0, 1.5), steep, 3);
    s.frenelHeight = 0.1;
    TCurrentRay ray = MakeRay(-1.0, 2.0, 0.0, 1.0, 0.0, 0.0);
    EXPECT_EQ(TraceSurfaceRay(s, ray), kRayStopped) << type;
  }
  // Tori with NaN and absurd radii, and a ray far outside either.
  const std::vector<std::vector<double>> torusSets = {
      {nan, nan, nan}, {1e-300, 1e-300, 0.0}, {5.0, -7.0, 40.0}};
  for (int type : {kSurfaceTor, kSurfaceTorRing})
    for (const auto &coef : torusSets) {
      const TInteractionSurface s =
          WithCoefficients(OpenSurface(type, coef[0], 1.0, 1.5), coef.data(), 3);
      TCurrentRay ray = MakeRay(-1.0, 500.0, 0.0, 1.0, 0.01, 0.0);
      const int result = TraceSurfaceRay(s, ray);
      EXPECT_TRUE(result == kRayStopped || result == kRayMissedSurface) << type << " " << result;
    }
}

// y^2 + 3 x^2 = 0 has no real point at y = 3. Newton from x = 1 steps exactly to -1 and
// back (F = 12, F' = +-6), the residual neither growing nor falling: only the step budget
// ends it.
TEST(IterativeIntersection, ResidualThatNeitherGrowsNorFallsEnds) {
  const double coef[] = {0.0, 3.0};
  const TInteractionSurface s =
      WithCoefficients(OpenSurface(kSurfaceAsphericHigh1, 0.0, 1.0, 1.5), coef, 2);
  double point[3] = {1.0, 3.0, 0.0};
  const double direction[3] = {1.0, 0.0, 0.0};
  double normal[3] = {0.0, 0.0, 0.0};
  EXPECT_EQ(IntersectSurfaceIterative(s, point, direction, normal), 0);
  EXPECT_EQ(point[0], 1.0);   // left where it started
  EXPECT_EQ(normal[0], 0.0);  // untouched
  TCurrentRay ray = MakeRay(1.0, 3.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(TraceSurfaceRay(s, ray), kRayStopped);
  EXPECT_EQ(ray.x, 1.0);
}

// Direct calls keep the solver contract: start point moved onto the surface, unit normal.
TEST(IterativeIntersection, DirectCallReturnsHitAndUnitNormal) {
  const double coef[] = {1.0 / 40.0, 0.0, 1e-6, -2e-9};  // c, k, a2, a3
  const TInteractionSurface s =
      WithCoefficients(OpenSurface(kSurfaceAsphericStandard, 40.0, 1.0, 1.5), coef, 4);
  double point[3] = {0.0, 9.0, -4.0};
  const double direction[3] = {1.0, 0.0, 0.0};
  double normal[3] = {0.0, 0.0, 0.0};
  ASSERT_EQ(IntersectSurfaceIterative(s, point, direction, normal), 1);
  const double r2 = 81.0 + 16.0;
  const double sag =
      r2 / 40.0 / (1.0 + std::sqrt(1.0 - r2 / 1600.0)) + 1e-6 * r2 * r2 - 2e-9 * r2 * r2 * r2;
  EXPECT_APPROX(point[0], sag, kSameShapeTolerance);
  EXPECT_APPROX(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2], 1.0,
                kGeometryTolerance);
}

}  // namespace
