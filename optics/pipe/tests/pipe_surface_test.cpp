#include "optics/pipe/pipe_surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "foundation/testing/approx.h"
#include "optics/model/ray.h"

namespace {

constexpr double kGeometryTolerance = 1e-12;
constexpr double kDegree = 3.141592653589793 / 180.0;

// A glass rod of radius 4 from x = 0 to x = 60 along a line tilted in the x-z plane; the
// ends are turned with it.
struct TRod {
  TSurface entry;
  TSurface exit;
  TRod(double tiltY) : exit(60.0 * std::cos(tiltY), 0.0, 60.0 * std::sin(tiltY)) {
    for (TSurface *s : {&entry, &exit}) {
      s->general.type = kSurfacePlane;
      s->general.semiHeightExt = 4.0;
      s->SetAngles(0.0, tiltY, 0.0);
    }
    entry.general.glass = "1.6";
    entry.general.nAfter = 1.6;
    exit.general.nBefore = 1.6;
  }
};

TEST(PipeSurface, BuildTakesTheFirstSurfaceAndTurnsToTheAxis) {
  const double tilt = 15.0 * kDegree;
  TRod rod(tilt);
  TPipeSurface wall;
  wall.Build(&rod.entry, &rod.exit, 1.33);
  EXPECT_EQ(wall.built, 1);
  EXPECT_APPROX(wall.k, 0.0, kGeometryTolerance);
  EXPECT_APPROX(wall.x2, 60.0, kGeometryTolerance);
  EXPECT_APPROX(wall.general.semiHeightExt, 4.0, kGeometryTolerance);
  EXPECT_EQ(wall.general.glass, "1.6");
  EXPECT_EQ(wall.general.nAfter, 1.6);
  EXPECT_EQ(wall.general.nBefore, 1.33);  // the medium round the pipe
  EXPECT_APPROX(wall.general.angles[1], tilt, kGeometryTolerance);
  EXPECT_EQ(wall.tilted, 1);
  EXPECT_EQ(wall.first, &rod.entry);
  EXPECT_EQ(wall.second, &rod.exit);
}

// Inside the rod a ray at 20 degrees to the axis meets the wall at 70 degrees incidence
// (critical angle asin(1/1.6) = 38.7): wall hits every 2 * 4 / tan 20 = 21.98 after the first
// at 10.99, so 10.99, 32.97, 54.95 -> 3 reflections before x = 60.
TEST(PipeSurface, CarriesARayToTheFarEndInATiltedRod) {
  const double tilt = 15.0 * kDegree;
  TRod rod(tilt);
  TPipeSurface wall;
  wall.Build(&rod.entry, &rod.exit, 1.0);
  const double a = 20.0 * kDegree;
  // Local direction (cos a, sin a, 0) turned about y by the rod's tilt.
  TCurrentRay ray(0.0, 0.0, 0.0);
  ray.L = std::cos(a) * std::cos(tilt);
  ray.M = std::sin(a);
  ray.N = std::cos(a) * std::sin(tilt);
  int reflections = 0;
  double path = 0.0;
  EXPECT_EQ(wall.CarryAlong(ray, &reflections, &path), kRayPassed);
  EXPECT_EQ(reflections, 3);
  EXPECT_APPROX(path, 5.0 * 4.0 / std::sin(a), kGeometryTolerance);
  EXPECT_APPROX(ray.M, -std::sin(a), kGeometryTolerance);  // odd count: mirrored once net
}

TEST(PipeSurface, OwnedByItsSurfaceAndClonedWithIt) {
  TRod rod(0.0);
  auto *wall = new TPipeSurface;
  wall->Build(&rod.entry, &rod.exit, 1.0);
  rod.exit.pipeWall = wall;
  TSurface copy(rod.exit);
  auto *copiedWall = dynamic_cast<TPipeSurface *>(copy.pipeWall);
  ASSERT_NE(copiedWall, nullptr);
  EXPECT_NE(copiedWall, wall);
  EXPECT_EQ(copiedWall->built, 1);
  EXPECT_APPROX(copiedWall->x2, 60.0, kGeometryTolerance);
  // A wall without its surfaces is unbuilt and lets rays by.
  TPipeSurface orphan;
  orphan.Build(nullptr, &rod.exit, 1.0);
  TCurrentRay ray(1.0, 0.0, 0.0);
  ray.L = 0.6;
  ray.M = 0.8;
  ray.N = 0.0;
  EXPECT_EQ(orphan.Trace(ray), kRayPassed);
  EXPECT_EQ(ray.x, 1.0);
}

}  // namespace
