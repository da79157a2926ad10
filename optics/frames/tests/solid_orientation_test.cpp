#include "foundation/numerics/pi.h"
#include "optics/frames/solid_orientation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "foundation/numerics/rotator.h"
#include "foundation/testing/approx.h"
#include "optics/model/surface.h"

namespace {

// Closed forms through a few sines, cosines and square roots of lengths near 20 mm.
constexpr double kExact = 1e-12;

double Dot(const DPOINT3 &a, const DPOINT3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
DPOINT3 Minus(const DPOINT3 &a, const DPOINT3 &b) { return DPOINT3(a.x - b.x, a.y - b.y, a.z - b.z); }
DPOINT3 Unit(const DPOINT3 &a) {
  const double l = std::sqrt(Dot(a, a));
  return DPOINT3(a.x / l, a.y / l, a.z / l);
}
// The turn alone (no offset) applied to v.
DPOINT3 Turned(const DANGLE3 &angles, const DPOINT3 &v) { return TRotator(angles, DPOINT3()).Transform(v); }

void ExpectPoint(const DPOINT3 &actual, const DPOINT3 &expected, double tolerance, const char *what) {
  SCOPED_TRACE(what);
  EXPECT_APPROX(actual.x, expected.x, tolerance);
  EXPECT_APPROX(actual.y, expected.y, tolerance);
  EXPECT_APPROX(actual.z, expected.z, tolerance);
}

// The axis (first column) and local y (second column) of a surface tilted by these angles,
// as the optical model builds its frame.
void SurfaceFrame(double ax, double ay, double az, DPOINT3 &axis, DPOINT3 &second) {
  double m[9];
  BuildTiltMatrix(ax, ay, az, m);
  axis = DPOINT3(m[0], m[3], m[6]);
  second = DPOINT3(m[1], m[4], m[7]);
}

TEST(SolidOrientation, ProfileATurnsTheReferenceOntoTheAxis) {
  const DPOINT3 z(0.0, 0.0, 1.0);
  const DPOINT3 directions[] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},     {0, -1, 0}, {0, 0, 1},
                                {0, 0, -1}, {3, 4, 0},  {-2, 0.5, 0}, {1, -2, 3}, {-0.3, 0.2, -5}};
  for (const DPOINT3 &d : directions) {
    DANGLE3 angles;
    ASSERT_TRUE(LensArrayProfileA(z, d, angles));
    ExpectPoint(Turned(angles, z), Unit(d), kExact, "z onto the axis");
  }
  // Seeded random axes and references.
  const unsigned seed = 20240611;
  std::printf("seed %u\n", seed);
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> cell(-1.0, 1.0);
  for (int k = 0; k < 200; ++k) {
    const DPOINT3 reference(cell(random), cell(random), cell(random));
    const DPOINT3 d(cell(random), cell(random), cell(random));
    DANGLE3 angles;
    ASSERT_TRUE(LensArrayProfileA(reference, d, angles));
    ExpectPoint(Turned(angles, Unit(reference)), Unit(d), 1e-10, "reference onto the axis");
  }
  DANGLE3 angles(1, 2, 3);
  EXPECT_FALSE(LensArrayProfileA(z, DPOINT3(), angles));
  EXPECT_EQ(angles.ax, 0.0);
  EXPECT_FALSE(LensArrayProfileA(DPOINT3(0, 0, NAN), DPOINT3(1, 0, 0), angles));
}

TEST(SolidOrientation, AnAxisInTheDrawingPlaneKeepsTheSolidsHeightInIt) {
  // A surface tilted about z only: its axis and its local y lie in the x-y plane. The
  // solid's y (a rectangular face's height) must turn onto the surface's local y, its x
  // (the width) across the plane.
  for (double az : {0.0, 0.3, -0.9, 1.2, kPi / 2, 2.5, -kPi}) {
    DPOINT3 axis, second;
    SurfaceFrame(0.0, 0.0, az, axis, second);
    DANGLE3 angles;
    ASSERT_TRUE(LensArrayProfileA(DPOINT3(0, 0, 1), axis, angles));
    ExpectPoint(Turned(angles, DPOINT3(0, 0, 1)), axis, kExact, "axis");
    ExpectPoint(Turned(angles, DPOINT3(0, 1, 0)), second, kExact, "height along the local y");
    ExpectPoint(Turned(angles, DPOINT3(1, 0, 0)), DPOINT3(0, 0, -1), kExact, "width across");
  }
}

TEST(SolidOrientation, EulerAnglesOfAMatrixRebuildIt) {
  const double cases[][3] = {{0.2, -0.4, 1.1}, {-2.5, 1.3, -0.7}, {3.0, -1.5, 2.9},
                             {0.7, kPi / 2, 0.0}, {-0.4, -kPi / 2, 0.0}, {0.0, 0.0, 0.0}};
  for (const auto &c : cases) {
    const TRotator original(DANGLE3(c[0], c[1], c[2]), DPOINT3());
    const TRotator again(EulerAnglesOfMatrix(original.m), DPOINT3());
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) EXPECT_APPROX(again.m[r][k], original.m[r][k], 1e-9) << r << k;
  }
  // At beta = pi/2 only alpha + gamma is fixed: gamma comes back 0.
  const TRotator gimbal(DANGLE3(0.3, kPi / 2, 0.5), DPOINT3());
  const DANGLE3 angles = EulerAnglesOfMatrix(gimbal.m);
  EXPECT_APPROX(angles.az, 0.0, kExact);
  EXPECT_APPROX(angles.ax, 0.8, 1e-9);
}

TEST(SolidOrientation, ProfileBPutsThePrismsFacesOnItsTwoSurfaces) {
  // Surface 1 tilted as the model tilts it, surface 2 turned by the wedge about the local
  // z, their vertices in the middles of faces of 20 and 14 mm that meet at the apex: both
  // faces of the prism are 20 mm long, as far as the farther surface's edge.
  const double height1 = 20.0, height2 = 14.0;
  const DPOINT3 vertex1(35.0, -4.0, 2.5);
  const double tilts[][3] = {{0.0, 0.0, -0.94}, {0.2, -0.3, 0.5}, {0.0, 0.0, 0.0}};
  for (const auto &tilt : tilts) {
    for (double wedge : {1.047, -1.047, 0.35, -0.61, 2.0}) {
      SCOPED_TRACE(wedge);
      DPOINT3 axis, second;
      SurfaceFrame(tilt[0], tilt[1], tilt[2], axis, second);
      DPOINT3 axis2, unused;
      SurfaceFrame(tilt[0], tilt[1], tilt[2] + wedge, axis2, unused);
      // The wedge about the local z in the model's frame is exactly this turn only for a
      // surface without tilts about x and y; the prism's second face is given by it.
      const DPOINT3 n2 = tilt[0] == 0.0 && tilt[1] == 0.0
                             ? axis2
                             : Unit(DPOINT3(std::cos(wedge) * axis.x + std::sin(wedge) * second.x,
                                            std::cos(wedge) * axis.y + std::sin(wedge) * second.y,
                                            std::cos(wedge) * axis.z + std::sin(wedge) * second.z));
      const double sign = wedge > 0 ? 1.0 : -1.0, along = std::fabs(std::sin(wedge)), back = -sign * std::cos(wedge);
      // Vertex 2 from the apex along surface 2's plane into the glass.
      const DPOINT3 vertex2(vertex1.x + sign * 10 * second.x + 7 * (along * axis.x + back * second.x),
                            vertex1.y + sign * 10 * second.y + 7 * (along * axis.y + back * second.y),
                            vertex1.z + sign * 10 * second.z + 7 * (along * axis.z + back * second.z));
      DANGLE3 angles;
      DPOINT3 position;
      double a = 0.0, b = 0.0;
      ASSERT_TRUE(LensArrayProfileB(height1, height2, wedge, axis, second, vertex1, vertex2, angles, position, a, b));
      EXPECT_APPROX(a, height1, 1e-9);
      EXPECT_EQ(b, a);
      // The prism's corners in its own frame, from the law of cosines.
      const double gamma = std::fabs(wedge);
      const double c = std::sqrt(2 * a * a - 2 * a * a * std::cos(gamma)), h = a * a * std::sin(gamma) / c;
      // The signed foot from B: both base corners on one side for an obtuse base angle.
      const double d1 = c / 2;
      const double d2 = c - d1;
      const TRotator place(angles, position);
      const DPOINT3 A = place.Transform(DPOINT3(0, 0, h));
      const DPOINT3 B = place.Transform(DPOINT3(0, -d1, 0));
      const DPOINT3 C = place.Transform(DPOINT3(0, d2, 0));
      // Face AB on surface 1, centred on its vertex, the apex where the faces converge.
      ExpectPoint(DPOINT3((A.x + B.x) / 2, (A.y + B.y) / 2, (A.z + B.z) / 2), vertex1, kExact, "middle of AB");
      ExpectPoint(A, DPOINT3(vertex1.x + sign * 10.0 * second.x, vertex1.y + sign * 10.0 * second.y,
                             vertex1.z + sign * 10.0 * second.z),
                  kExact, "apex");
      EXPECT_APPROX(Dot(Minus(B, vertex1), axis), 0.0, kExact);
      // Face AC on surface 2, 20 mm long; B on the glass side behind surface 1 and before
      // surface 2.
      EXPECT_APPROX(Dot(Minus(C, A), n2), 0.0, kExact);
      EXPECT_APPROX(Dot(Minus(C, vertex2), n2), 0.0, 1e-9);
      EXPECT_APPROX(std::sqrt(Dot(Minus(C, A), Minus(C, A))), height1, kExact);
      EXPECT_GT(Dot(Minus(C, vertex1), axis), 0.0);
      EXPECT_LT(Dot(Minus(B, A), n2), 0.0);
      // The prism's length runs across the plane of the wedge.
      const DPOINT3 length = Turned(angles, DPOINT3(1, 0, 0));
      EXPECT_APPROX(Dot(length, axis), 0.0, kExact);
      EXPECT_APPROX(Dot(length, second), 0.0, kExact);
    }
  }
  DANGLE3 angles;
  DPOINT3 position;
  double a = 0.0, b = 0.0;
  const DPOINT3 x(1, 0, 0), y(0, 1, 0), vertex2(45, 0, 0);
  // Surface 2 before surface 1: face AB of the height centred on vertex 1.
  ASSERT_TRUE(LensArrayProfileB(20, 14, 0.5, x, y, DPOINT3(50, 0, 0), vertex2, angles, position, a, b));
  EXPECT_EQ(b, 14.0);
  EXPECT_FALSE(LensArrayProfileB(20, 14, 0.0, x, y, vertex1, vertex2, angles, position, a, b));
  EXPECT_FALSE(LensArrayProfileB(20, 14, 0.5, x, DPOINT3(2, 0, 0), vertex1, vertex2, angles, position, a, b));
  EXPECT_FALSE(LensArrayProfileB(0, 14, 0.5, x, y, vertex1, vertex2, angles, position, a, b));
}

}  // namespace
