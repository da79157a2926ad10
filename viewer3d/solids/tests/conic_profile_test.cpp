// The conic meridian against the quadric (1 - Ex) z^2 - 2 R z + rho^2 = 0 solved by the
// textbook quadratic formula, for a sphere, a paraboloid, prolate and oblate ellipsoids
// and a hyperboloid, both signs of R.

#include "viewer3d/solids/conic_profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/testing/approx.h"

namespace {

// The two quadric forms differ only in rounding: a few ulps of the numbers involved.
constexpr double kRounding = 1e-12;

// The near root of the quadric by the plain formula: z = (R - sign(R) sqrt(R^2 - k rho^2)) / k,
// or rho^2 / 2R for the paraboloid.
double QuadricSag(double R, double Ex, double rho) {
  const double k = 1.0 - Ex;
  if (k == 0.0) return rho * rho / (2.0 * R);
  const double s = R > 0.0 ? 1.0 : -1.0;
  return (R - s * std::sqrt(R * R - k * rho * rho)) / k;
}

struct TConic {
  double e;
  double Ex;
};

const TConic kConics[] = {{0.0, 0.0}, {1.0, 1.0}, {std::sqrt(0.5), 0.5}, {-1.0, -1.0},
                          {std::sqrt(2.0), 2.0}};

TEST(ConicProfile, SagIsTheModelsQuadricForEveryConic) {
  // Hand values at R = 50, rho = 10: sphere 50 - sqrt(2400), paraboloid 100 / 100.
  EXPECT_APPROX(TConicProfile(50.0, 0.0).Sag(10.0), 50.0 - std::sqrt(2400.0), kRounding);
  EXPECT_APPROX(TConicProfile(50.0, 1.0).Sag(10.0), 1.0, kRounding);
  for (const TConic &c : kConics)
    for (double R : {50.0, -50.0, 7.5})
      for (double rho : {0.0, 0.3, 2.0, 5.0}) {
        const TConicProfile profile(R, c.e);
        EXPECT_APPROX(profile.ConicTerm(), c.Ex, kRounding);
        EXPECT_APPROX(profile.Sag(rho), QuadricSag(R, c.Ex, rho), kRounding)
            << "R " << R << " Ex " << c.Ex << " rho " << rho;
      }
}

TEST(ConicProfile, DrawnPointsLieOnTheQuadricAndParametersRoundTrip) {
  for (const TConic &c : kConics)
    for (double R : {20.0, -20.0}) {
      const TConicProfile profile(R, c.e);
      const double rim = std::min(15.0, 0.999 * profile.Reach());
      const double t0 = profile.Parameter(0.0), t1 = profile.Parameter(rim);
      EXPECT_APPROX(t0, 0.0, kRounding);
      for (int k = 0; k <= 20; ++k) {
        double rho = 0.0, z = 0.0;
        profile.PointAt(t0 + (t1 - t0) * k / 20.0, rho, z);
        EXPECT_GE(rho, 0.0);
        EXPECT_APPROX((1.0 - c.Ex) * z * z - 2.0 * R * z + rho * rho, 0.0, 1e-9);
        EXPECT_APPROX(z, QuadricSag(R, c.Ex, rho), 1e-9);
      }
      double rho = 0.0, z = 0.0;
      profile.PointAt(t1, rho, z);
      EXPECT_APPROX(rho, rim, 1e-9) << "Ex " << c.Ex;
    }
}

TEST(ConicProfile, ReachBoundsTheClosedSurfacesOnly) {
  EXPECT_APPROX(TConicProfile(10.0, 0.0).Reach(), 10.0, kRounding);
  EXPECT_TRUE(TConicProfile(10.0, 0.0).Reaches(10.0));
  EXPECT_FALSE(TConicProfile(10.0, 0.0).Reaches(10.001));
  // Ex = 0.75: |R| / sqrt(0.25); oblate Ex = -3: |R| / 2.
  EXPECT_APPROX(TConicProfile(-10.0, std::sqrt(0.75)).Reach(), 20.0, kRounding);
  EXPECT_APPROX(TConicProfile(10.0, -std::sqrt(3.0)).Reach(), 5.0, kRounding);
  EXPECT_TRUE(std::isinf(TConicProfile(10.0, 1.0).Reach()));
  EXPECT_TRUE(std::isinf(TConicProfile(0.0, 0.0).Reach()));
  // Beyond its reach a sphere is taken at its equator, never NaN.
  EXPECT_APPROX(TConicProfile(10.0, 0.0).Sag(30.0), 10.0, kRounding);
  EXPECT_APPROX(TConicProfile(-10.0, 0.0).Sag(30.0), -10.0, kRounding);
  EXPECT_EQ(TConicProfile(0.0, 0.3).Sag(30.0), 0.0);
  EXPECT_APPROX(SphereSagAtDiameter(-30.0, 20.0), -(30.0 - std::sqrt(800.0)), kRounding);
}

}  // namespace
