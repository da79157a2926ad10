#include "optics/model/ray.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/model/eikonal_info.h"
#include "optics/model/surface.h"

namespace {

// Direction cosines come out of a square root and a division: a few ulps.
constexpr double kCosineTolerance = 1e-15;

TEST(CurrentRay, NewRayPointsAlongZWithStatusPassed) {
  const TCurrentRay ray(1.0, 2.0, 3.0);
  EXPECT_EQ(ray.x, 1.0);
  EXPECT_EQ(ray.y, 2.0);
  EXPECT_EQ(ray.z, 3.0);
  EXPECT_EQ(ray.L, 0.0);
  EXPECT_EQ(ray.M, 0.0);
  EXPECT_EQ(ray.N, 1.0);
  EXPECT_EQ(ray.status, kRayPassed);
  EXPECT_EQ(ray.traceThrough, 0);
  EXPECT_EQ(ray.blocked, 0);
  EXPECT_EQ(ray.firstFailure, 0);
  EXPECT_EQ(ray.pathLength, 0.0);
  const TCurrentRay origin;
  EXPECT_EQ(origin.x, 0.0);
  EXPECT_EQ(origin.N, 1.0);
}

TEST(CurrentRay, PointFormAimsFromFirstPointToSecond) {
  TCurrentRay ray;
  ray.status = kRayObscured;
  ray.pathLength = 7.0;
  ray.SetDirection(0.0, 0.0, 0.0, 3.0, 4.0, 0.0, 1);
  EXPECT_APPROX(ray.L, 0.6, kCosineTolerance);
  EXPECT_APPROX(ray.M, 0.8, kCosineTolerance);
  EXPECT_APPROX(ray.N, 0.0, kCosineTolerance);
  EXPECT_EQ(ray.x, 0.0);
  EXPECT_EQ(ray.y, 0.0);
  // The flags and the path length are not the aim's business.
  EXPECT_EQ(ray.status, kRayObscured);
  EXPECT_EQ(ray.pathLength, 7.0);
}

TEST(CurrentRay, PointFormWithEqualPointsKeepsAFiniteDirection) {
  TCurrentRay ray;
  ray.SetDirection(1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1);
  EXPECT_TRUE(std::isfinite(ray.L) && std::isfinite(ray.M) && std::isfinite(ray.N));
  EXPECT_EQ(ray.x, 1.0);
}

TEST(CurrentRay, AngleFormStartsADistanceBackAlongTheAxis) {
  TCurrentRay ray;
  ray.SetDirection(0.0, 0.0, 10.0, 5.0, 1.0, 2.0, 0);
  EXPECT_APPROX(ray.x, -5.0, kCosineTolerance);
  EXPECT_APPROX(ray.y, 1.0, kCosineTolerance);
  EXPECT_APPROX(ray.z, 2.0, kCosineTolerance);
  EXPECT_APPROX(ray.L, 1.0, kCosineTolerance);
  EXPECT_APPROX(ray.M, 0.0, kCosineTolerance);
  EXPECT_APPROX(ray.N, 0.0, kCosineTolerance);
}

TEST(CurrentRay, AngleFormTiltedRayStaysOnTheLineThroughThePoint) {
  // alpha 30 degrees: M = 1/2, L = sqrt(3)/2; 10 back along x means y drops by 10 tan 30.
  TCurrentRay ray;
  ray.SetDirection(30.0, 0.0, 10.0, 0.0, 0.0, 0.0, 0);
  EXPECT_APPROX(ray.M, 0.5, 1e-12);
  EXPECT_APPROX(ray.L, std::sqrt(3.0) / 2.0, 1e-12);
  EXPECT_APPROX(ray.x, -10.0, kCosineTolerance);
  EXPECT_APPROX(ray.y, -10.0 / std::sqrt(3.0), 1e-12);
  EXPECT_APPROX(ray.L * ray.L + ray.M * ray.M + ray.N * ray.N, 1.0, kCosineTolerance);
}

TEST(CurrentRay, AngleFormAt90DegreesPointsAlongY) {
  TCurrentRay ray;
  ray.SetDirection(90.0, 0.0, 10.0, 0.0, 0.0, 0.0, 0);
  EXPECT_APPROX(ray.M, 1.0, 1e-12);
  EXPECT_LT(std::fabs(ray.L), 1e-12);
}

TEST(IntersectionPoint, DefaultPointsAlongTheAxis) {
  const TIntersectionPoint hit;
  EXPECT_EQ(hit.x, 0.0);
  EXPECT_EQ(hit.y, 0.0);
  EXPECT_EQ(hit.z, 0.0);
  EXPECT_EQ(hit.L, 1.0);
  EXPECT_EQ(hit.M, 0.0);
  EXPECT_EQ(hit.N, 0.0);
}

TEST(EikonalInfo, BeginMakesOneZeroPathPerSurfaceAndResetKeepsThem) {
  TEikonalInfo eikonal;
  EXPECT_EQ(eikonal.begun, 0);
  EXPECT_EQ(eikonal.transmission, 1.0);
  TSurface a, b, c;
  Mem<TSurface *> list(3, 1);
  list.data[0] = &a;
  list.data[1] = &b;
  list.data[2] = &c;
  eikonal.opticalPathDifference = 0.25;
  eikonal.transmission = 0.5;
  eikonal.Begin(list, 2);
  EXPECT_EQ(eikonal.mode, 2);
  EXPECT_EQ(eikonal.begun, 1);
  EXPECT_EQ(eikonal.transmission, 1.0);
  EXPECT_EQ(eikonal.opticalPathDifference, 0.25);  // Begin leaves the last result alone
  ASSERT_EQ(eikonal.referencePaths.cols, 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(eikonal.referencePaths.data[i], 0.0);
  eikonal.referencePaths.data[1] = 4.0;
  eikonal.Reset(3);
  EXPECT_EQ(eikonal.begun, 0);
  EXPECT_EQ(eikonal.opticalPathDifference, 0.0);
  EXPECT_EQ(eikonal.referencePaths.data[1], 4.0);
}

TEST(EikonalInfo, BeginWithoutSurfacesLeavesAnEmptyPathList) {
  TEikonalInfo eikonal;
  const Mem<TSurface *> none;
  eikonal.Begin(none, 2);
  EXPECT_EQ(eikonal.referencePaths.data, nullptr);
  EXPECT_EQ(eikonal.referencePaths.cols * eikonal.referencePaths.rows, 0);
}

}  // namespace
