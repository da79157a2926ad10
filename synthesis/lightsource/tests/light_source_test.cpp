// The light source's records and geometry: limits, screens, triangles and bounding boxes.

#include "synthesis/lightsource/light_source.h"

#include <gtest/gtest.h>

#include "foundation/testing/approx.h"

namespace {

// Geometry of a few products and a square root: exact to rounding.
constexpr double kGeometryTolerance = 1e-12;

TTriangle MakeTriangle(double ax, double ay, double az, double bx, double by, double bz,
                       double cx, double cy, double cz) {
  TTriangle triangle;
  const double a[3] = {ax, ay, az}, b[3] = {bx, by, bz}, c[3] = {cx, cy, cz};
  triangle.SetVertices(a, b, c);
  triangle.Prepare();
  return triangle;
}

TEST(LightSourceRecords, NewRecordsHoldTheirDefaults) {
  TLimitLoc limit;
  EXPECT_EQ(limit.Active, 0);
  EXPECT_EQ(limit.Contains(-1e20), 1);
  EXPECT_EQ(limit.Contains(1e20), 1);
  EXPECT_EQ(limit.Contains(1.1e20), 0);
  limit.Min = 2.0;
  limit.Max = 3.0;
  EXPECT_EQ(limit.Contains(2.0), 1);
  EXPECT_EQ(limit.Contains(3.0), 1);
  EXPECT_EQ(limit.Contains(3.0000001), 0);
  limit.Active = 1;
  limit.Reset();
  EXPECT_EQ(limit.Active, 0);
  EXPECT_EQ(limit.Min, -1e20);

  TLightSource source;
  EXPECT_EQ(source.SourceType, kZoneSource);
  EXPECT_EQ(source.MeshPrepared, 0);
  EXPECT_EQ(source.CosMin, -1.0);
  EXPECT_EQ(source.CosMax, 1.0);
  TTriangle triangle;
  EXPECT_EQ(triangle.A.n, 3);
  EXPECT_EQ(triangle.V.n, 3);
}

TEST(LightSourceScreen, StopsOnlyRaysThatCrossTheDiscInFront) {
  TLimitDir screen;
  screen.Z = 10.0;
  screen.H = 2.0;
  screen.HSquared = 4.0;
  const double origin[3] = {0.0, 0.0, 0.0};
  const double along[3] = {1.0, 0.0, 0.0};
  EXPECT_EQ(screen.Passes(along, origin), 0);
  // At x = 10 the ray (1, 0.2, 0) is at y = 2: exactly on the rim, which passes.
  const double toRim[3] = {1.0, 0.2, 0.0};
  EXPECT_EQ(screen.Passes(toRim, origin), 1);
  const double inside[3] = {1.0, 0.19, 0.0};
  EXPECT_EQ(screen.Passes(inside, origin), 0);
  // Behind the start point the screen never stops a ray.
  const double beyond[3] = {11.0, 0.0, 0.0};
  EXPECT_EQ(screen.Passes(along, beyond), 1);
  // Going backwards from beyond the screen meets it in front: stopped.
  const double backwards[3] = {-1.0, 0.0, 0.0};
  EXPECT_EQ(screen.Passes(backwards, beyond), 0);
  // A ray along the screen's plane never crosses it (no division by zero).
  const double sideways[3] = {0.0, 1.0, 0.0};
  EXPECT_EQ(screen.Passes(sideways, origin), 1);
}

TEST(LightSourceTriangle, GeometryFromVertices) {
  // Right triangle in the plane x = 1 with legs 3 (along y) and 4 (along z): area 6,
  // normal (E1 x E2) = (0,3,0) x (0,0,4) = (12, 0, 0) -> +x.
  const TTriangle triangle = MakeTriangle(1, 0, 0, 1, 3, 0, 1, 0, 4);
  EXPECT_APPROX(triangle.Area, 6.0, kGeometryTolerance);
  EXPECT_APPROX(triangle.N.data[0], 1.0, kGeometryTolerance);
  EXPECT_APPROX(triangle.U.data[1], 1.0, kGeometryTolerance);
  // V = N x U = x x y = z.
  EXPECT_APPROX(triangle.V.data[2], 1.0, kGeometryTolerance);
  EXPECT_APPROX(triangle.Det, 9.0 * 16.0, kGeometryTolerance);
  EXPECT_EQ(triangle.flag, 0);
}

TEST(LightSourceTriangle, IntersectionCountsEdgesAndMissesParallelRays) {
  const TTriangle triangle = MakeTriangle(1, 0, 0, 1, 3, 0, 1, 0, 4);
  const double along[3] = {1.0, 0.0, 0.0};
  const double inside[3] = {0.0, 1.0, 1.0};
  EXPECT_EQ(triangle.Intersects(along, inside), 0);
  // The hypotenuse y/3 + z/4 = 1: (1.5, 2) lies on it and counts as a hit.
  const double onEdge[3] = {0.0, 1.5, 2.0};
  EXPECT_EQ(triangle.Intersects(along, onEdge), 0);
  const double outside[3] = {0.0, 2.0, 2.0};
  EXPECT_EQ(triangle.Intersects(along, outside), 1);
  const double behind[3] = {2.0, 1.0, 1.0};
  EXPECT_EQ(triangle.Intersects(along, behind), 1);
  const double parallel[3] = {0.0, 1.0, 0.0};
  EXPECT_EQ(triangle.Intersects(parallel, inside), 1);
  // Starting on the plane: t = 0 is below 1e-9.
  const double onPlane[3] = {1.0, 1.0, 1.0};
  EXPECT_EQ(triangle.Intersects(along, onPlane), 1);
}

TEST(LightSourceTriangle, CollinearVerticesKeepTheOldFrameAndNeverHit) {
  TTriangle triangle = MakeTriangle(1, 0, 0, 1, 3, 0, 1, 0, 4);
  const double a[3] = {0, 0, 0}, b[3] = {1, 1, 1}, c[3] = {2, 2, 2};
  triangle.SetVertices(a, b, c);
  triangle.Prepare();
  EXPECT_EQ(triangle.Area, 0.0);
  EXPECT_EQ(triangle.Det, 0.0);
  EXPECT_APPROX(triangle.N.data[0], 1.0, kGeometryTolerance);
  const double toward[3] = {1.0, 1.0, 1.0};
  const double from[3] = {-1.0, -1.0, -0.5};
  EXPECT_EQ(triangle.Intersects(toward, from), 1);
}

TEST(LightSourceTriangle, CopiesAreDeep) {
  TTriangle original = MakeTriangle(1, 0, 0, 1, 3, 0, 1, 0, 4);
  TTriangle copy = original;
  original.A.data[0] = 99.0;
  EXPECT_EQ(copy.A.data[0], 1.0);
  EXPECT_NE(copy.A.data, original.A.data);
}

TEST(LightSourceBounds, ZoneSourceTakesTheFirstZoneCentred) {
  TLightSource source;
  source.SourceType = kZoneSource;
  source.Zones.Allocate(2, 1);
  source.Zones.data[0].Z = 50.0;
  source.Zones.data[0].Az = 8.0;
  source.Zones.data[0].Ay = 4.0;
  source.Zones.data[1].Z = -100.0;
  source.Zones.data[1].Az = 300.0;
  source.Zones.data[1].Ay = 300.0;
  double xMin, xMax, yMin, yMax, zMin, zMax;
  source.GetBounds(xMin, xMax, yMin, yMax, zMin, zMax);
  EXPECT_EQ(xMin, -4.0);
  EXPECT_EQ(xMax, 4.0);
  EXPECT_EQ(yMin, -2.0);
  EXPECT_EQ(zMax, 2.0);

  TLightSource empty;
  empty.SourceType = kSolidSource;
  empty.GetBounds(xMin, xMax, yMin, yMax, zMin, zMax);
  EXPECT_EQ(xMin, 0.0);
  EXPECT_EQ(zMax, 0.0);
}

TEST(LightSourceBounds, SolidSourceSpansEveryVertex) {
  TLightSource source;
  source.SourceType = kSolidSource;
  source.Triangles.Allocate(2, 1);
  source.Triangles.data[0] = MakeTriangle(1, 0, 0, 1, 3, 0, 1, 0, 4);
  source.Triangles.data[1] = MakeTriangle(-2, -1, 0, 0, 0, 7, 5, 0, -3);
  double minimum[3], maximum[3];
  source.GetBoundingBox(minimum, maximum);
  EXPECT_EQ(minimum[0], -2.0);
  EXPECT_EQ(maximum[0], 5.0);
  EXPECT_EQ(minimum[1], -1.0);
  EXPECT_EQ(maximum[1], 3.0);
  EXPECT_EQ(minimum[2], -3.0);
  EXPECT_EQ(maximum[2], 7.0);
}

TEST(LightSourceZone, ContainmentIsStrict) {
  TLightSourceZone zone;
  zone.Z = 0.0;
  zone.Az = 2.0;
  zone.Ay = 2.0;
  EXPECT_EQ(zone.Contains(1.0, 0.0, 0.0), 1);
  EXPECT_EQ(zone.Contains(1.0, 0.99, 0.0), 1);
  EXPECT_EQ(zone.Contains(2.0, 0.0, 0.0), 0);
  EXPECT_EQ(zone.Contains(1.0, 0.0, 1.0), 0);
}

}  // namespace
