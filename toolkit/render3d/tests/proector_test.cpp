#include "foundation/numerics/pi.h"
#include "toolkit/render3d/proector.h"

#include "foundation/numerics/rotator.h"

#include "foundation/testing/approx.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Four places, as the reference values are given.
constexpr double kFourPlaces = 5e-5;
// Identities of unit vectors computed in doubles.
constexpr double kRoundOff = 1e-12;


double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Rotation by angle t about the z axis (gamma), then a shift.
TRotator AboutZ(double t, double dx, double dy, double dz) {
  return TRotator(DANGLE3(0.0, 0.0, t), DPOINT3(dx, dy, dz));
}

void ExpectOrthonormal(const TProector &p) {
  EXPECT_APPROX(Dot(p.d, p.d), 1.0, kRoundOff);
  EXPECT_APPROX(Dot(p.V, p.V), 1.0, kRoundOff);
  EXPECT_APPROX(Dot(p.U, p.U), 1.0, kRoundOff);
  EXPECT_APPROX(Dot(p.d, p.V), 0.0, kRoundOff);
  EXPECT_APPROX(Dot(p.d, p.U), 0.0, kRoundOff);
  EXPECT_APPROX(Dot(p.U, p.V), 0.0, kRoundOff);
}

}  // namespace

TEST(Proector, DefaultAnglesGiveTheReferenceAxes) {
  const TProector p;
  EXPECT_APPROX(p.a, 35.0 * kPi / 180.0, kRoundOff);
  EXPECT_APPROX(p.b, 70.0 * kPi / 180.0, kRoundOff);
  EXPECT_APPROX(p.d[0], 0.7698, kFourPlaces);
  EXPECT_APPROX(p.d[1], 0.5390, kFourPlaces);
  EXPECT_APPROX(p.d[2], 0.3420, kFourPlaces);
  EXPECT_APPROX(p.V[0], 0.2802, kFourPlaces);
  EXPECT_APPROX(p.V[1], 0.1962, kFourPlaces);
  EXPECT_APPROX(p.V[2], -0.9397, kFourPlaces);
  EXPECT_APPROX(p.U[0], -0.5736, kFourPlaces);
  EXPECT_APPROX(p.U[1], 0.8192, kFourPlaces);
  EXPECT_APPROX(p.U[2], 0.0, kFourPlaces);
  EXPECT_EQ(p.cx, 0.0);
  EXPECT_EQ(p.cy, 0.0);
  ExpectOrthonormal(p);
}

TEST(Proector, HorizontalAxisIsPerpendicularToTheAzimuth) {
  for (double a : {-2.0, 0.0, 0.4, 1.7, 3.0}) {
    for (double b : {0.1, 0.9, 1.5708, 2.5, 3.0}) {
      TProector p(a, b);
      EXPECT_APPROX(p.U[0], -std::sin(a), kRoundOff);
      EXPECT_APPROX(p.U[1], std::cos(a), kRoundOff);
      EXPECT_APPROX(p.U[2], 0.0, kRoundOff);
      ExpectOrthonormal(p);
      // World +z shows upward (smaller screen y).
      EXPECT_LT(p.V[2], 0.0);
    }
  }
}

TEST(Proector, ViewDirectionProjectsOntoTheCentre) {
  TProector p(0.3, 1.1);
  p.cx = 40.0;
  p.cy = -7.0;
  double sx = 0.0, sy = 0.0;
  p.Project(5.0 * p.d[0], 5.0 * p.d[1], 5.0 * p.d[2], sx, sy);
  EXPECT_APPROX(sx, 40.0, kRoundOff);
  EXPECT_APPROX(sy, -7.0, kRoundOff);
  // A point on the world z axis goes straight up the screen by |z| sin b.
  p.Project(0.0, 0.0, 2.0, sx, sy);
  EXPECT_APPROX(sx, 40.0, kRoundOff);
  EXPECT_APPROX(sy, -7.0 - 2.0 * std::sin(1.1), kRoundOff);
}

TEST(Proector, LookingAlongTheZAxisStaysFinite) {
  for (double b : {0.0, kPi}) {
    TProector p(0.6, b);
    ExpectOrthonormal(p);
    double sx = 0.0, sy = 0.0;
    p.Project(1.0, 2.0, 3.0, sx, sy);
    EXPECT_TRUE(std::isfinite(sx));
    EXPECT_TRUE(std::isfinite(sy));
    // The limit of a nearly axial view: the picture does not jump.
    TProector nearly(0.6, b == 0.0 ? 1e-7 : kPi - 1e-7);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(p.V[k], nearly.V[k], 1e-6);
      EXPECT_NEAR(p.U[k], nearly.U[k], 1e-6);
    }
  }
}

TEST(Proector, UnitBoxBoundsEncloseAndTouchTheCorners) {
  const TProector p;
  double bounds[4];
  TProector::UnitBoxBounds(p, TRotator(), bounds);
  bool touches[4] = {false, false, false, false};
  for (int corner = 0; corner < 8; ++corner) {
    double sx = 0.0, sy = 0.0;
    p.Project((corner & 1) ? 1.0 : 0.0, (corner & 2) ? 1.0 : 0.0, (corner & 4) ? 1.0 : 0.0, sx, sy);
    EXPECT_GE(sx, bounds[0]);
    EXPECT_GE(sy, bounds[1]);
    EXPECT_LE(sx, bounds[2]);
    EXPECT_LE(sy, bounds[3]);
    touches[0] |= sx == bounds[0];
    touches[1] |= sy == bounds[1];
    touches[2] |= sx == bounds[2];
    touches[3] |= sy == bounds[3];
  }
  for (bool t : touches) EXPECT_TRUE(t);
  // With the default view, x = U.q is smallest at (1, 0, *) and largest at (0, 1, *).
  EXPECT_APPROX(bounds[0], p.U[0], kRoundOff);
  EXPECT_APPROX(bounds[2], p.U[1], kRoundOff);
}

TEST(Proector, BoxBoundsFollowTheRotatorAndOffset) {
  // A top view (b small but not zero) of a box turned 90 degrees about z and shifted.
  const TProector p(0.0, 1e-3);
  double bounds[4];
  TProector::BoxBounds(p, DPOINT3(0, 0, 0), DPOINT3(2, 1, 0), AboutZ(kPi / 2, 10, 0, 0), bounds);
  // After the turn the box spans x in [9, 10] and y in [0, 2]; U = (0, 1, 0), so sx = y.
  EXPECT_APPROX(bounds[0], 0.0, 1e-9);
  EXPECT_APPROX(bounds[2], 2.0, 1e-9);
  // V is close to (1, 0, 0): sy is close to x.
  EXPECT_NEAR(bounds[1], 9.0, 1e-2);
  EXPECT_NEAR(bounds[3], 10.0, 1e-2);
  // Corners given in either order give the same box.
  double swapped[4];
  TProector::BoxBounds(p, DPOINT3(2, 1, 0), DPOINT3(0, 0, 0), AboutZ(kPi / 2, 10, 0, 0), swapped);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(bounds[k], swapped[k]);
}
