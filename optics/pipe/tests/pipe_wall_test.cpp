#include "optics/pipe/pipe_wall.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/interaction/tests/interaction_fixtures.h"

namespace {

constexpr double kGeometryTolerance = 1e-12;
constexpr double kDegree = 3.141592653589793 / 180.0;
constexpr double kGlass = 1.5;

// Two flat ends of semi-height r, 'length' apart along the direction (cos a, sin a, 0).
TPipeWall StraightPipe(double r, double length, double a = 0.0) {
  TInteractionSurface first = OpenSurface(kSurfacePlane, 0.0, 1.0, kGlass);
  first.outer.type = kBoundRound;
  first.outer.semiHeight = r;
  TInteractionSurface second = first;
  second.indexBefore = kGlass;
  second.indexAfter = 1.0;
  second.vertex[0] = length * std::cos(a);
  second.vertex[1] = length * std::sin(a);
  Tilt(first, 0.0, 0.0, a);
  Tilt(second, 0.0, 0.0, a);
  TPipeWall pipe;
  BuildPipeWall(pipe, first, second, 1.0);
  return pipe;
}

TEST(PipeWall, BuildsACylinderBetweenEqualEnds) {
  const TPipeWall pipe = StraightPipe(5.0, 100.0);
  EXPECT_EQ(pipe.built, 1);
  EXPECT_EQ(pipe.k, 0.0);
  EXPECT_APPROX(pipe.wall.outer.semiHeight, 5.0, kGeometryTolerance);
  EXPECT_APPROX(pipe.x1, 0.0, kGeometryTolerance);
  EXPECT_APPROX(pipe.x2, 100.0, kGeometryTolerance);
  EXPECT_APPROX(pipe.wall.indexAfter, kGlass, kGeometryTolerance);
  EXPECT_APPROX(pipe.wall.indexBefore, 1.0, kGeometryTolerance);
}

TEST(PipeWall, ConeSlopeAndEndSags) {
  TInteractionSurface first = OpenSurface(kSurfaceSphere, 20.0, 1.0, kGlass);
  first.outer.semiHeight = 6.0;
  TInteractionSurface second = OpenSurface(kSurfaceSphere, -30.0, kGlass, 1.0);
  second.outer.semiHeight = 4.0;
  second.vertex[0] = 50.0;
  TPipeWall pipe;
  BuildPipeWall(pipe, first, second, 1.0);
  EXPECT_APPROX(pipe.k, (4.0 - 6.0) / 50.0, kGeometryTolerance);
  EXPECT_APPROX(pipe.x1, 20.0 - std::sqrt(400.0 - 36.0), kGeometryTolerance);
  EXPECT_APPROX(pipe.x2, 50.0 - (30.0 - std::sqrt(900.0 - 16.0)), kGeometryTolerance);
}

// Inside the glass a ray at 30 degrees to the axis meets the wall at 60 degrees incidence,
// beyond the critical 41.8: it is carried along. From the axis it first meets the wall at
// x = r / tan 30 and then every 2 r / tan 30: 8.66, 25.98, ..., 95.26 -> 6 reflections.
TEST(PipeWall, RayInsideTheAcceptanceConeReachesTheFarEnd) {
  for (double tilt : {0.0, 20.0 * kDegree}) {
    const TPipeWall pipe = StraightPipe(5.0, 100.0, tilt);
    const double a = 30.0 * kDegree;
    // Local direction (cos a, sin a, 0) turned with the pipe.
    const double c = std::cos(tilt), s = std::sin(tilt);
    TCurrentRay ray = MakeRay(0.0, 0.0, 0.0, std::cos(a) * c - std::sin(a) * s,
                              std::cos(a) * s + std::sin(a) * c, 0.0);
    int reflections = 0;
    double path = 0.0;
    EXPECT_EQ(CarryAlongPipe(pipe, ray, &reflections, &path), kRayPassed);
    EXPECT_EQ(reflections, 6);
    // Segments r/sin a, then five of 2r/sin a.
    EXPECT_APPROX(path, 11.0 * 5.0 / std::sin(a), kGeometryTolerance);
    // An even number of mirror images restores the starting direction.
    const double localL = ray.L * c + ray.M * s;
    EXPECT_APPROX(localL, std::cos(a), kGeometryTolerance);
    const double localY = -ray.x * s + ray.y * c;
    EXPECT_APPROX(std::fabs(localY), 5.0, kGeometryTolerance);  // parked on the wall
  }
}

TEST(PipeWall, RayOutsideTheAcceptanceConeEscapes) {
  const TPipeWall pipe = StraightPipe(5.0, 100.0);
  const double a = 55.0 * kDegree;  // wall incidence 35 degrees, below the critical 41.8
  TCurrentRay ray = MakeRay(0.0, 0.0, 0.0, std::cos(a), std::sin(a), 0.0);
  int reflections = -1;
  EXPECT_EQ(CarryAlongPipe(pipe, ray, &reflections, nullptr), kRayStopped);
  EXPECT_EQ(reflections, 0);
  EXPECT_EQ(ray.status, kRayStopped);
  EXPECT_EQ(ray.blocked, 1);
  EXPECT_APPROX(ray.y, 5.0, kGeometryTolerance);
  EXPECT_GT(ray.M, 0.0);  // leaves outwards
  // Refracted out of the glass: sin(out) = 1.5 sin(35 degrees) against the wall normal.
  EXPECT_APPROX(ray.M / std::sqrt(ray.L * ray.L + ray.M * ray.M),
                std::sqrt(1.0 - std::pow(1.5 * std::sin(35.0 * kDegree), 2)), 1e-12);
}

TEST(PipeWall, EdgeCasesOfTheWall) {
  const TPipeWall pipe = StraightPipe(5.0, 100.0);
  // Along the axis of a cylinder: no intersection.
  TCurrentRay axial = MakeRay(0.0, 1.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(TracePipeWall(pipe, axial), kRayMissedSurface);
  EXPECT_EQ(axial.status, kRayMissedSurface);
  // Meets the wall beyond the far end: passes, unmoved.
  TCurrentRay late = MakeRay(90.0, 0.0, 0.0, 1.0, 0.01, 0.0);
  EXPECT_EQ(TracePipeWall(pipe, late), kRayPassed);
  EXPECT_EQ(late.x, 90.0);
  // Meets the wall before the start: lost.
  TCurrentRay early = MakeRay(-10.0, 0.0, 0.0, 1.0, 1.0, 0.0);
  EXPECT_EQ(TracePipeWall(pipe, early), kRayStopped);
  EXPECT_EQ(early.blocked, 1);
  // Arrives already marked as totally reflected: turned back in x and lost.
  TCurrentRay marked = MakeRay(10.0, 0.0, 0.0, 0.8, 0.6, 0.0);
  marked.status = kRayTotalReflection;
  EXPECT_EQ(TracePipeWall(pipe, marked), kRayStopped);
  EXPECT_APPROX(marked.L, -0.8, kGeometryTolerance);
  EXPECT_EQ(marked.x, 10.0);
  // Bad rays miss instead of looping.
  TCurrentRay broken = MakeRay(10.0, 0.0, 0.0, 1.0, 0.5, 0.0);
  broken.M = std::nan("");
  EXPECT_EQ(CarryAlongPipe(pipe, broken, nullptr, nullptr), kRayMissedSurface);
}

TEST(PipeWall, CoincidentEndsLeaveTheWallAbsent) {
  TInteractionSurface first = OpenSurface(kSurfacePlane, 0.0, 1.0, kGlass);
  first.outer.semiHeight = 5.0;
  TInteractionSurface second = first;
  second.vertex[1] = 3.0;  // same x: no length along the axis
  TPipeWall pipe = StraightPipe(5.0, 100.0);
  BuildPipeWall(pipe, first, second, 1.0);
  EXPECT_EQ(pipe.built, 0);
  TCurrentRay ray = MakeRay(0.0, 0.0, 0.0, 0.6, 0.8, 0.0);
  EXPECT_EQ(TracePipeWall(pipe, ray), kRayPassed);
  EXPECT_EQ(ray.y, 0.0);
}

// A ray circling the wall with no progress along the pipe would reflect for ever.
TEST(PipeWall, ReflectionsWithoutProgressEndAsLost) {
  const TPipeWall pipe = StraightPipe(5.0, 100.0);
  // Off axis and square to it: every chord meets the wall at 78.5 degrees incidence.
  TCurrentRay ray = MakeRay(50.0, 4.9, 0.0, 0.0, 0.0, 1.0);
  int reflections = 0;
  EXPECT_EQ(CarryAlongPipe(pipe, ray, &reflections, nullptr), kRayStopped);
  EXPECT_EQ(reflections, kPipeReflectionLimit + 1);
  EXPECT_EQ(ray.status, kRayStopped);
}

}  // namespace

namespace {

// After a mirror the glass carries a negative index and rays run towards -x. A back-surface
// mirror at x = 100 sends the light down a rod of radius 5 to a flat exit face at x = 0.
// Mirror the scene in x and it is the forward rod of RayInsideTheAcceptanceConeReachesTheFarEnd:
// the same hits, reflections and path must come out.
TEST(PipeWall, RayAfterAMirrorIsCarriedBackAlongThePipe) {
  TInteractionSurface mirror = OpenSurface(kSurfacePlane, 0.0, kGlass, -kGlass);
  mirror.outer = {kBoundRound, 5.0, 0.0, 0.0, 0.0};
  mirror.vertex[0] = 100.0;
  TInteractionSurface exit = OpenSurface(kSurfacePlane, 0.0, -kGlass, -1.0);
  exit.outer = {kBoundRound, 5.0, 0.0, 0.0, 0.0};
  TPipeWall pipe;
  BuildPipeWall(pipe, mirror, exit, 1.0);
  ASSERT_EQ(pipe.built, 1);
  EXPECT_APPROX(pipe.x2, 100.0, kGeometryTolerance);

  const double a = 30.0 * kDegree;  // wall incidence 60 degrees: beyond the critical angle
  TCurrentRay ray = MakeRay(100.0, 0.0, 0.0, -std::cos(a), std::sin(a), 0.0);
  // The first wall hit lies ahead of the ray, on the upper wall at x = 100 - 5 / tan 30.
  TCurrentRay first = ray;
  EXPECT_EQ(TracePipeWall(pipe, first), kRayTotalReflection);
  EXPECT_APPROX(first.x, 100.0 - 5.0 / std::tan(a), kGeometryTolerance);
  EXPECT_APPROX(first.y, 5.0, kGeometryTolerance);
  // Segments after a mirror count negative, as the surface interaction's do there.
  EXPECT_APPROX(first.pathLength, -5.0 / std::sin(a), kGeometryTolerance);
  EXPECT_APPROX(first.L, -std::cos(a), kGeometryTolerance);
  EXPECT_APPROX(first.M, -std::sin(a), kGeometryTolerance);

  int reflections = 0;
  double path = 0.0;
  EXPECT_EQ(CarryAlongPipe(pipe, ray, &reflections, &path), kRayPassed);
  EXPECT_EQ(reflections, 6);
  EXPECT_APPROX(path, -11.0 * 5.0 / std::sin(a), kGeometryTolerance);
}

// The stretch of a pipe after a mirror is measured along the run, away from the mirror: it
// starts at the mirror's rim, which a concave mirror (R = -200 at x = 100, rim at 5) holds
// 0.0625 towards the exit, and ends at the exit's rim.
TEST(PipeWall, StretchAfterACurvedMirrorStartsAtItsRim) {
  TInteractionSurface mirror = OpenSurface(kSurfaceSphere, -200.0, kGlass, -kGlass);
  mirror.outer = {kBoundRound, 5.0, 0.0, 0.0, 0.0};
  mirror.vertex[0] = 100.0;
  TInteractionSurface exit = OpenSurface(kSurfacePlane, 0.0, -kGlass, -1.0);
  exit.outer = {kBoundRound, 5.0, 0.0, 0.0, 0.0};
  TPipeWall pipe;
  BuildPipeWall(pipe, mirror, exit, 1.0);
  ASSERT_EQ(pipe.built, 1);
  const double rim = 200.0 - std::sqrt(200.0 * 200.0 - 25.0);
  EXPECT_APPROX(pipe.x1, rim, kGeometryTolerance);
  EXPECT_APPROX(pipe.x2, 100.0, kGeometryTolerance);
}

// A tapered rod (radius 6 at the entrance, 4 at x = 50): the ray meets the cone
// y^2 + z^2 = (6 - 0.04 x)^2 and leaves as the mirror image in the cone's gradient normal.
TEST(PipeWall, ConicalWallReflectsAboutItsGradientNormal) {
  TInteractionSurface first = OpenSurface(kSurfacePlane, 0.0, 1.0, kGlass);
  first.outer = {kBoundRound, 6.0, 0.0, 0.0, 0.0};
  TInteractionSurface second = OpenSurface(kSurfacePlane, 0.0, kGlass, 1.0);
  second.outer = {kBoundRound, 4.0, 0.0, 0.0, 0.0};
  second.vertex[0] = 50.0;
  TPipeWall pipe;
  BuildPipeWall(pipe, first, second, 1.0);
  const double a = 12.0 * kDegree, b = 35.0 * kDegree;
  const double D[3] = {std::cos(a), std::sin(a) * std::cos(b), std::sin(a) * std::sin(b)};
  TCurrentRay ray = MakeRay(1.0, 0.5, -0.3, D[0], D[1], D[2]);
  ASSERT_EQ(TracePipeWall(pipe, ray), kRayTotalReflection);
  const double r = 6.0 - 0.04 * ray.x;
  EXPECT_APPROX(ray.y * ray.y + ray.z * ray.z, r * r, kGeometryTolerance);
  // The hit lies on the ray's line, ahead of its start.
  const double t = (ray.x - 1.0) / D[0];
  EXPECT_GT(t, 0.0);
  EXPECT_APPROX(ray.y, 0.5 + t * D[1], kGeometryTolerance);
  EXPECT_APPROX(ray.z, -0.3 + t * D[2], kGeometryTolerance);
  EXPECT_APPROX(ray.pathLength, t, kGeometryTolerance);
  // grad (y^2 + z^2 - (6 - 0.04 x)^2) = (0.08 (6 - 0.04 x), 2y, 2z).
  double n[3] = {0.08 * r, 2.0 * ray.y, 2.0 * ray.z};
  const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (double &c : n) c /= len;
  const double dn = D[0] * n[0] + D[1] * n[1] + D[2] * n[2];
  EXPECT_APPROX(ray.L, D[0] - 2.0 * dn * n[0], kGeometryTolerance);
  EXPECT_APPROX(ray.M, D[1] - 2.0 * dn * n[1], kGeometryTolerance);
  EXPECT_APPROX(ray.N, D[2] - 2.0 * dn * n[2], kGeometryTolerance);
}

}  // namespace
