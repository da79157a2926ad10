#include "optics/interaction/surface_interaction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include "foundation/testing/approx.h"
#include "optics/interaction/tests/interaction_fixtures.h"

namespace {

constexpr double kSnellTolerance = 1e-14;     // vector Snell's law is a few roundings deep
constexpr double kGeometryTolerance = 1e-12;  // closed-form hits and reflections
constexpr double kDegree = 3.141592653589793 / 180.0;
constexpr unsigned kRandomSeed = 20261207;

struct TV {
  double x, y, z;
};
TV Cross(const TV &a, const TV &b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const TV &a, const TV &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST(SurfaceTrace, RefractionObeysVectorSnellOnRandomRays) {
  std::printf("random seed %u\n", kRandomSeed);
  std::mt19937 generator(kRandomSeed);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const double R = 50.0, n1 = 1.0, n2 = 1.5168;
  const TInteractionSurface sphere = OpenSurface(kSurfaceSphere, R, n1, n2);
  int traced = 0;
  for (int i = 0; i < 500; ++i) {
    TCurrentRay ray = MakeRay(-10.0, 20.0 * unit(generator), 20.0 * unit(generator), 1.0,
                              0.3 * unit(generator), 0.3 * unit(generator));
    const TV in{ray.L, ray.M, ray.N};
    ASSERT_EQ(TraceSurfaceRay(sphere, ray), kRayPassed);
    ++traced;
    // The hit lies on the sphere centred at (R, 0, 0).
    EXPECT_APPROX((ray.x - R) * (ray.x - R) + ray.y * ray.y + ray.z * ray.z, R * R, 1e-12);
    // Unit normal from the centre, towards +x like the ray.
    const TV normal{(R - ray.x) / R, -ray.y / R, -ray.z / R};
    const TV out{ray.L, ray.M, ray.N};
    EXPECT_APPROX(Dot(out, out), 1.0, kSnellTolerance);
    const TV before = Cross(in, normal), after = Cross(out, normal);
    EXPECT_APPROX(n2 * after.x, n1 * before.x, kSnellTolerance);
    EXPECT_APPROX(n2 * after.y, n1 * before.y, kSnellTolerance);
    EXPECT_APPROX(n2 * after.z, n1 * before.z, kSnellTolerance);
    EXPECT_GT(Dot(out, normal), 0.0);  // transmitted, not reflected
  }
  EXPECT_EQ(traced, 500);
}

TEST(SurfaceTrace, TotalReflectionBeginsAtTheCriticalAngle) {
  const double n = 1.5168;
  const double critical = std::asin(1.0 / n) / kDegree;
  EXPECT_APPROX(critical, 41.2452, 2e-6);  // the tabulated critical angle of this glass
  const TInteractionSurface exit = OpenSurface(kSurfacePlane, 0.0, n, 1.0);

  TCurrentRay below =
      MakeRay(-1.0, 0.0, 0.0, std::cos(41.24 * kDegree), std::sin(41.24 * kDegree), 0.0);
  EXPECT_EQ(TraceSurfaceRay(exit, below), kRayPassed);
  // Just under the critical angle the ray leaves nearly grazing: sin I' = n sin I.
  EXPECT_APPROX(below.M, n * std::sin(41.24 * kDegree), kGeometryTolerance);

  for (double angle : {41.2453, 45.0, 60.0, 89.0}) {
    TCurrentRay ray =
        MakeRay(-1.0, 0.0, 0.0, std::cos(angle * kDegree), std::sin(angle * kDegree), 0.0);
    const double L = ray.L, M = ray.M;
    EXPECT_EQ(TraceSurfaceRay(exit, ray), kRayTotalReflection) << angle;
    EXPECT_EQ(ray.blocked, 1);
    EXPECT_EQ(ray.status, kRayTotalReflection);
    // Mirror image in the plane x = 0.
    EXPECT_APPROX(ray.L, -L, kGeometryTolerance);
    EXPECT_APPROX(ray.M, M, kGeometryTolerance);
    EXPECT_APPROX(ray.y, std::tan(angle * kDegree), kGeometryTolerance);
  }
}

TEST(SurfaceTrace, MirrorReflectsAsDMinusTwiceDDotNN) {
  std::printf("random seed %u\n", kRandomSeed + 1);
  std::mt19937 generator(kRandomSeed + 1);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const double R = -100.0;  // concave towards the incoming light
  const TInteractionSurface mirror = OpenSurface(kSurfaceSphere, R, 1.0, -1.0);
  for (int i = 0; i < 200; ++i) {
    TCurrentRay ray = MakeRay(-30.0, 30.0 * unit(generator), 30.0 * unit(generator), 1.0,
                              0.2 * unit(generator), 0.2 * unit(generator));
    const TV d{ray.L, ray.M, ray.N};
    ASSERT_EQ(TraceSurfaceRay(mirror, ray), kRayPassed);
    const TV n{(ray.x - R) / -R, ray.y / -R, ray.z / -R};  // unit, sign irrelevant below
    const double dn = Dot(d, n);
    EXPECT_APPROX(ray.L, d.x - 2.0 * dn * n.x, kGeometryTolerance);
    EXPECT_APPROX(ray.M, d.y - 2.0 * dn * n.y, kGeometryTolerance);
    EXPECT_APPROX(ray.N, d.z - 2.0 * dn * n.z, kGeometryTolerance);
  }
}

TEST(SurfaceTrace, FoldMirrorAtFortyFiveDegreesTurnsTheAxis) {
  TInteractionSurface fold = OpenSurface(kSurfacePlane, 0.0, 1.0, -1.0);
  Tilt(fold, 0.0, 0.0, 45.0 * kDegree);
  fold.vertex[0] = 10.0;
  TCurrentRay ray = MakeRay(0.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceRay(fold, ray), kRayPassed);
  EXPECT_APPROX(ray.x, 10.0, kGeometryTolerance);
  EXPECT_APPROX(ray.y, 0.0, kGeometryTolerance);
  // Normal (cos 45, sin 45, 0): (1,0,0) - 2 cos45 (cos45, sin45, 0) = (0, -1, 0).
  EXPECT_APPROX(ray.L, 0.0, kGeometryTolerance);
  EXPECT_APPROX(ray.M, -1.0, kGeometryTolerance);
  EXPECT_APPROX(ray.pathLength, 10.0, kGeometryTolerance);
}

TEST(SurfaceTrace, TiltMatrixIsRxRyNegRz) {
  const double ax = 0.3, ay = -0.7, az = 1.1;
  TInteractionSurface s;
  SetViewAngles(s, ax, ay, az);
  ASSERT_EQ(s.tilted, 1);
  const double *m = s.matrix;
  const double rx[9] = {1, 0, 0, 0, std::cos(ax), -std::sin(ax), 0, std::sin(ax), std::cos(ax)};
  const double ry[9] = {std::cos(-ay), 0, std::sin(-ay), 0, 1, 0, -std::sin(-ay), 0, std::cos(-ay)};
  const double rz[9] = {std::cos(az), -std::sin(az), 0, std::sin(az), std::cos(az), 0, 0, 0, 1};
  double rxy[9], expected[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      rxy[3 * i + j] = 0.0;
      for (int k = 0; k < 3; ++k) rxy[3 * i + j] += rx[3 * i + k] * ry[3 * k + j];
    }
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      expected[3 * i + j] = 0.0;
      for (int k = 0; k < 3; ++k) expected[3 * i + j] += rxy[3 * i + k] * rz[3 * k + j];
    }
  for (int i = 0; i < 9; ++i) EXPECT_APPROX(m[i], expected[i], kGeometryTolerance) << i;
  double v[3] = {0.25, -3.0, 7.5};
  RotateBySurface(s, v, 0);
  RotateBySurface(s, v, 1);
  EXPECT_APPROX(v[0], 0.25, kGeometryTolerance);
  EXPECT_APPROX(v[1], -3.0, kGeometryTolerance);
  EXPECT_APPROX(v[2], 7.5, kGeometryTolerance);
  // No tilt at all: the vector is left as it is.
  SetViewAngles(s, 0.0, 0.0, 0.0);
  EXPECT_EQ(s.tilted, 0);
  const double kept[3] = {v[0], v[1], v[2]};
  RotateBySurface(s, v, 0);
  EXPECT_EQ(v[0], kept[0]);
  EXPECT_EQ(v[1], kept[1]);
  EXPECT_EQ(v[2], kept[2]);
}

// Tilting and moving a surface together with the ray moves the traced result with them.
TEST(SurfaceTrace, TiltedDecentredSurfaceMatchesTheTransformedScene) {
  TInteractionSurface base = OpenSurface(kSurfaceAspheric2, 40.0, 1.0, 1.6);
  base.Ex = 0.3;
  TInteractionSurface moved = base;
  Tilt(moved, 0.1, 0.2, -0.15);
  moved.vertex[0] = 5.0;
  moved.vertex[1] = -2.0;
  moved.vertex[2] = 1.0;
  const double p[3] = {-8.0, 3.0, -1.5}, d[3] = {0.95, -0.2, 0.1};
  TCurrentRay local = MakeRay(p[0], p[1], p[2], d[0], d[1], d[2]);
  ASSERT_EQ(TraceSurfaceRay(base, local), kRayPassed);

  double gp[3] = {p[0], p[1], p[2]}, gd[3] = {d[0], d[1], d[2]};
  RotateBySurface(moved, gp, 1);
  RotateBySurface(moved, gd, 1);
  TCurrentRay global = MakeRay(gp[0] + 5.0, gp[1] - 2.0, gp[2] + 1.0, gd[0], gd[1], gd[2]);
  ASSERT_EQ(TraceSurfaceRay(moved, global), kRayPassed);

  double hit[3] = {local.x, local.y, local.z}, out[3] = {local.L, local.M, local.N};
  RotateBySurface(moved, hit, 1);
  RotateBySurface(moved, out, 1);
  EXPECT_APPROX(global.x, hit[0] + 5.0, kGeometryTolerance);
  EXPECT_APPROX(global.y, hit[1] - 2.0, kGeometryTolerance);
  EXPECT_APPROX(global.z, hit[2] + 1.0, kGeometryTolerance);
  EXPECT_APPROX(global.L, out[0], kGeometryTolerance);
  EXPECT_APPROX(global.M, out[1], kGeometryTolerance);
  EXPECT_APPROX(global.N, out[2], kGeometryTolerance);
  EXPECT_APPROX(global.pathLength, local.pathLength, kGeometryTolerance);
}

TEST(SurfaceTrace, BackwardRayMeetsTheSameHitWithANegativeParameter) {
  const double asphere[] = {1.0 / 30.0, -0.5, 2e-6};
  const TInteractionSurface surfaces[] = {
      OpenSurface(kSurfaceSphere, 30.0, 1.0, -1.0),
      WithCoefficients(OpenSurface(kSurfaceAsphericStandard, 30.0, 1.0, -1.0), asphere, 3)};
  for (const TInteractionSurface &surface : surfaces) {
    TCurrentRay forward = MakeRay(-10.0, 4.0, 1.0, 1.0, 0.05, 0.0);
    TCurrentRay backward = MakeRay(10.0, 4.0 + 20.0 * 0.05, 1.0, -1.0, -0.05, 0.0);
    ASSERT_EQ(TraceSurfaceRay(surface, forward), kRayPassed);
    ASSERT_EQ(TraceSurfaceRay(surface, backward), kRayPassed);
    EXPECT_APPROX(backward.x, forward.x, kGeometryTolerance);
    EXPECT_APPROX(backward.y, forward.y, kGeometryTolerance);
    EXPECT_APPROX(backward.z, forward.z, kGeometryTolerance);
    EXPECT_GT(forward.pathLength, 0.0);
    EXPECT_LT(backward.pathLength, 0.0);
  }
}

// Behind a mirror both indices are negative; the ray, running backwards, refracts by their
// magnitudes: 1.5 sin I' = sin I.
TEST(SurfaceTrace, RefractionAfterAMirrorUsesTheIndexMagnitudes) {
  const TInteractionSurface s = OpenSurface(kSurfacePlane, 0.0, -1.0, -1.5);
  const double angle = 0.4;
  TCurrentRay ray = MakeRay(5.0, 0.0, 0.0, -std::cos(angle), std::sin(angle), 0.0);
  ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed);
  EXPECT_LT(ray.L, 0.0);
  EXPECT_APPROX(1.5 * ray.M, std::sin(angle), kSnellTolerance);
}

TEST(SurfaceTrace, FlatSphereIsTheVertexPlane) {
  // The default surface is a sphere of radius 0: it must meet rays at x = 0, not where
  // they start.
  const TInteractionSurface flat = OpenSurface(kSurfaceSphere, 0.0, 1.0, 1.5);
  TCurrentRay ray = MakeRay(-7.0, 1.0, 0.0, 1.0, 0.1, 0.0);
  ASSERT_EQ(TraceSurfaceRay(flat, ray), kRayPassed);
  EXPECT_APPROX(ray.x, 0.0, kGeometryTolerance);
  EXPECT_APPROX(ray.y, 1.0 + 7.0 * 0.1, kGeometryTolerance);
  EXPECT_APPROX(ray.pathLength, 7.0 * std::sqrt(1.0 + 0.01), kGeometryTolerance);
}

TEST(SurfaceTrace, CylinderIgnoresTheSagittalCoordinate) {
  const TInteractionSurface cylinder = OpenSurface(kSurfaceCylinder, 20.0, 1.0, 1.5);
  for (double z : {-8.0, 0.0, 13.0}) {
    TCurrentRay ray = MakeRay(-5.0, 6.0, z, 1.0, 0.0, 0.0);
    ASSERT_EQ(TraceSurfaceRay(cylinder, ray), kRayPassed);
    EXPECT_APPROX(ray.x, 20.0 - std::sqrt(400.0 - 36.0), kGeometryTolerance);
    EXPECT_APPROX(ray.z, z, kGeometryTolerance);
    EXPECT_APPROX(ray.N, 0.0, kGeometryTolerance);  // the normal has no z part
  }
}

TEST(SurfaceTrace, DegenerateRaysFailWithoutMoving) {
  const TInteractionSurface sphere = OpenSurface(kSurfaceSphere, 25.0, 1.0, 1.5);
  const TInteractionSurface plane = OpenSurface(kSurfacePlane, 0.0, 1.0, 1.5);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const TCurrentRay cases[] = {
      MakeRay(-5.0, 1.0, 2.0, 0.0, 1.0, 0.0),  // parallel to the vertex plane
      MakeRay(-3.0, 0.0, 0.0, 0.0, 0.0, 0.0),  // no direction at all (NaN after scaling)
      [] {
        TCurrentRay r = MakeRay(-3.0, 0.0, 0.0, 1.0, 0.0, 0.0);
        r.L = r.M = r.N = 0.0;  // no direction at all
        return r;
      }(),
      [nan] {
        TCurrentRay r = MakeRay(-3.0, 0.0, 0.0, 1.0, 0.0, 0.0);
        r.L = nan;
        return r;
      }(),
      [nan] {
        TCurrentRay r = MakeRay(-3.0, 0.0, 0.0, 1.0, 0.0, 0.0);
        r.y = nan;
        return r;
      }(),
      [inf] {
        TCurrentRay r = MakeRay(-3.0, 0.0, 0.0, 1.0, 0.0, 0.0);
        r.x = -inf;
        return r;
      }(),
      MakeRay(-5.0, 40.0, 0.0, 1.0, 0.0, 0.0),  // passes beside the sphere
      [] {
        TCurrentRay r = MakeRay(-1e300, 0.0, 0.0, 1.0, 0.0, 0.0);
        r.L = 1e-30;  // reaches the vertex plane only beyond the largest double
        r.M = 1.0;
        return r;
      }(),
  };
  for (const TCurrentRay &start : cases) {
    for (const TInteractionSurface *surface : {&sphere, &plane}) {
      TCurrentRay ray = start;
      const int result = TraceSurfaceRay(*surface, ray);
      if (surface == &plane && start.y == 40.0) continue;  // the plane does meet this one
      EXPECT_EQ(result, kRayMissedSurface);
      EXPECT_EQ(ray.status, kRayMissedSurface);
      EXPECT_EQ(ray.blocked, 1);
      EXPECT_EQ(std::memcmp(&ray.x, &start.x, 3 * sizeof(double)), 0);
    }
  }
  TCurrentRay paraxial = MakeRay(-3.0, 0.0, 0.0, 0.0, 1.0, 0.0);
  EXPECT_EQ(TraceSurfaceParaxial(sphere, paraxial, 0), -1);
}

TEST(SurfaceTrace, CosineJustAboveOneIsClampedFurtherAboveMisses) {
  const TInteractionSurface plane = OpenSurface(kSurfacePlane, 0.0, 1.0, 1.5);
  TCurrentRay slightly = MakeRay(-2.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  slightly.L = 1.0000005;  // within the 1.000001 allowance
  EXPECT_EQ(TraceSurfaceRay(plane, slightly), kRayPassed);
  EXPECT_APPROX(slightly.L, 1.0, kGeometryTolerance);
  TCurrentRay beyond = MakeRay(-2.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  beyond.L = 1.00001;
  EXPECT_EQ(TraceSurfaceRay(plane, beyond), kRayMissedSurface);
  EXPECT_EQ(beyond.x, -2.0);
}

TEST(SurfaceTrace, ShapeCoefficientsOnAClosedFormTypeStopTheRay) {
  const double coef[] = {1.0, 2.0};
  for (int type : {kSurfacePlane, kSurfaceSphere, kSurfaceAspheric2, kSurfaceCylinder}) {
    const TInteractionSurface s = WithCoefficients(OpenSurface(type, 30.0, 1.0, 1.5), coef, 2);
    TCurrentRay ray = MakeRay(-1.0, 1.0, 0.0, 1.0, 0.0, 0.0);
    EXPECT_EQ(TraceSurfaceRay(s, ray), kRayStopped) << type;
    EXPECT_EQ(ray.blocked, 1);
  }
}

// A lens-array surface has no element solver yet: rays stop without error.
TEST(SurfaceTrace, LensArraySurfaceStopsWithoutError) {
  TInteractionSurface s = OpenSurface(kSurfaceSphere, 40.0, 1.0, 1.5);
  s.hasZones = 1;
  TCurrentRay ray = MakeRay(-1.0, 1.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(TraceSurfaceRay(s, ray), kRayStopped);
  EXPECT_EQ(ray.status, kRayStopped);
}

}  // namespace
