#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <random>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"
#include "optics/frames/tests/rotation_fixtures.h"

namespace {

// Round trips through a rotation and its transpose on lengths of order 100: rounding only.
constexpr double kRoundTripTolerance = 1e-12;

// The frame of a surface with these angles, written out independently of the model.
Matrix3 Frame(const DPOINT3 &angles) {
  return Product(Product(Rx(angles.x), Ry(-angles.y)), Rz(angles.z));
}

DPOINT3 Apply(const Matrix3 &m, const DPOINT3 &v) {
  return DPOINT3(m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
                 m[6] * v.x + m[7] * v.y + m[8] * v.z);
}

void ExpectPoint(const DPOINT3 &actual, const DPOINT3 &expected, double tolerance) {
  EXPECT_APPROX(actual.x, expected.x, tolerance);
  EXPECT_APPROX(actual.y, expected.y, tolerance);
  EXPECT_APPROX(actual.z, expected.z, tolerance);
}

// Four surfaces along the axis, untilted.
void BuildLine(TOpticalSystem &system) {
  for (int i = 0; i < 4; ++i) system.AddSurface(new TSurface(10.0 * i, 0.0, 0.0));
}

TEST(Frames, UntiltedRelativePositionIsTheDifference) {
  TOpticalSystem system;
  BuildLine(system);
  system.Surface(2)->SetPosition(20.0, 3.0, -4.0);
  ExpectPoint(system.GetSurfacePosition(2, 1, kRelativeFrame), DPOINT3(10.0, 3.0, -4.0), 0.0);
  system.SetSurfacePosition(3, 1, DPOINT3(1.0, 2.0, 3.0), kRelativeFrame);
  ExpectPoint(system.GetSurfacePosition(3, 0, kGlobalFrame), DPOINT3(11.0, 2.0, 3.0), 0.0);
}

TEST(Frames, PositionReadersClampTheirIndices) {
  TOpticalSystem system;
  BuildLine(system);
  ExpectPoint(system.GetSurfacePosition(9, 0, kGlobalFrame), DPOINT3(30.0, 0.0, 0.0), 0.0);
  ExpectPoint(system.GetSurfacePosition(2, 2, kRelativeFrame), DPOINT3(), 0.0);
  ExpectPoint(system.GetSurfacePosition(2, 7, kRelativeFrame), DPOINT3(), 0.0);
  // A negative reference reads as the first surface.
  ExpectPoint(system.GetSurfacePosition(2, -3, kRelativeFrame), DPOINT3(20.0, 0.0, 0.0), 0.0);
  ExpectPoint(system.GetSurfacePosition(-1, 0, kGlobalFrame), DPOINT3(), 0.0);
  ExpectPoint(system.GetSurfaceAngles(4, 0, kGlobalFrame), DPOINT3(), 0.0);
  // A writer with a reference past the end takes the last surface as reference.
  system.SetSurfacePosition(0, 12, DPOINT3(1.0, 0.0, 0.0), kRelativeFrame);
  ExpectPoint(system.GetSurfacePosition(0, 0, kGlobalFrame), DPOINT3(31.0, 0.0, 0.0), 0.0);
}

TEST(Frames, RelativePositionIsTakenInTheReferenceFrame) {
  // The reference is turned a quarter about z: its axis points along global y, so a point
  // 5 up along global y lies 5 along the reference's axis.
  TOpticalSystem system;
  system.AddSurface(new TSurface);
  system.AddSurface(new TSurface(0.0, 5.0, 0.0));
  system.Surface(0)->SetAngles(0.0, 0.0, kPi / 2.0);
  ExpectPoint(system.GetSurfacePosition(1, 0, kRelativeFrame), DPOINT3(5.0, 0.0, 0.0),
              kRoundTripTolerance);
  ExpectPoint(system.PointInPreviousFrame(1, DPOINT3(0.0, 5.0, 0.0)), DPOINT3(5.0, 0.0, 0.0),
              kRoundTripTolerance);
}

TEST(Frames, RelativePositionsRoundTripInTiltedFrames) {
  const unsigned seed = 20261207u;
  std::printf("random seed %u\n", seed);
  std::mt19937 generator(seed);
  std::uniform_real_distribution<double> length(-100.0, 100.0);
  std::uniform_real_distribution<double> angle(-kPi, kPi);
  TOpticalSystem system;
  for (int i = 0; i < 5; ++i) {
    TSurface *s = system.AddSurface(new TSurface(length(generator), length(generator),
                                                 length(generator)));
    s->SetAngles(angle(generator), angle(generator), angle(generator));
  }
  for (int trial = 0; trial < 50; ++trial) {
    const int i = trial % 5;
    const int j = (trial / 5) % 5;
    const DPOINT3 q(length(generator), length(generator), length(generator));
    // Taken before the move: with j == i the surface moves by q in its own frame.
    const TSurface reference = *system.Surface(j);
    system.SetSurfacePosition(i, j, q, kRelativeFrame);
    const DPOINT3 referenceAngles(reference.general.angles[0], reference.general.angles[1],
                                  reference.general.angles[2]);
    const DPOINT3 offset = Apply(Frame(referenceAngles), q);
    const DPOINT3 expected(reference.general.vertex[0] + offset.x,
                           reference.general.vertex[1] + offset.y,
                           reference.general.vertex[2] + offset.z);
    ExpectPoint(system.GetSurfacePosition(i, 0, kGlobalFrame), expected, kRoundTripTolerance);
    if (i != j) {
      ExpectPoint(system.GetSurfacePosition(i, j, kRelativeFrame), q, kRoundTripTolerance);
    }
    if (j == (i + 4) % 5 && i > 0) {
      ExpectPoint(system.PointInPreviousFrame(i, expected), q, kRoundTripTolerance);
    }
  }
}

TEST(Frames, RelativeAnglesRoundTripAndNeverReportTheRoll) {
  TOpticalSystem system;
  BuildLine(system);
  system.Surface(1)->SetAngles(0.05, 0.2, -0.3);
  system.Surface(2)->SetAngles(0.1, 0.0, 0.0);  // rolled about x relative to surface 1
  const DPOINT3 read = system.GetSurfaceAngles(2, 1, kRelativeFrame);
  EXPECT_EQ(read.x, 0.0);
  EXPECT_APPROX(read.y, -0.2, kRoundTripTolerance);
  EXPECT_APPROX(read.z, 0.3, kRoundTripTolerance);
  const DPOINT3 vertex = system.GetSurfacePosition(2, 0, kGlobalFrame);
  system.SetSurfaceAngles(2, 1, vertex, read, kRelativeFrame);  // writing back changes nothing
  ExpectPoint(system.GetSurfaceAngles(2, 0, kGlobalFrame), DPOINT3(0.1, 0.0, 0.0),
              kRoundTripTolerance);

  const DPOINT3 wanted(0.0, 0.45, -0.125);
  system.SetSurfaceAngles(2, 1, vertex, wanted, kRelativeFrame);
  ExpectPoint(system.GetSurfaceAngles(2, 1, kRelativeFrame), wanted, kRoundTripTolerance);
  ExpectPoint(system.GetSurfaceAngles(2, 0, kGlobalFrame), DPOINT3(0.1, 0.65, -0.425),
              kRoundTripTolerance);
  ExpectPoint(system.GetSurfacePosition(2, 0, kGlobalFrame), vertex, kRoundTripTolerance);
  // The roll of a relative triple is applied whole.
  system.SetSurfaceAngles(2, 1, vertex, DPOINT3(0.2, 0.45, -0.125), kRelativeFrame);
  EXPECT_APPROX(system.GetSurfaceAngles(2, 0, kGlobalFrame).x, 0.3, kRoundTripTolerance);
}

TEST(Frames, SetAnglesAboutAnotherCentreMovesTheVertexOnACircle) {
  TOpticalSystem system;
  BuildLine(system);
  const DPOINT3 centre(10.0, 0.0, 0.0);
  system.SetSurfaceAngles(3, 0, centre, DPOINT3(0.0, 0.0, kPi / 2.0), kGlobalFrame);
  // A quarter turn about z carries the axis direction (1, 0, 0) to (0, 1, 0).
  ExpectPoint(system.GetSurfacePosition(3, 0, kGlobalFrame), DPOINT3(10.0, 20.0, 0.0),
              kRoundTripTolerance);
  EXPECT_APPROX(system.GetSurfaceAngles(3, 0, kGlobalFrame).z, kPi / 2.0, kRoundTripTolerance);
  EXPECT_EQ(system.Surface(3)->tilted, 1);
}

TEST(Frames, RotateAboutSurfaceTurnsVertexAndAddsTheAngles) {
  TOpticalSystem system;
  system.AddSurface(new TSurface);
  system.AddSurface(new TSurface(10.0, 0.0, 0.0));
  system.Surface(1)->SetAngles(0.0, 0.0, 0.25);
  system.RotateAboutSurface(1, 0, DPOINT3(0.0, 0.0, kPi / 2.0));
  ExpectPoint(system.GetSurfacePosition(1, 0, kGlobalFrame), DPOINT3(0.0, 10.0, 0.0),
              kRoundTripTolerance);
  EXPECT_APPROX(system.GetSurfaceAngles(1, 0, kGlobalFrame).z, 0.25 + kPi / 2.0,
                kRoundTripTolerance);
  system.RotateAboutSurface(1, 5, DPOINT3(0.0, 0.0, 1.0));  // no such pivot: nothing
  ExpectPoint(system.GetSurfacePosition(1, 0, kGlobalFrame), DPOINT3(0.0, 10.0, 0.0),
              kRoundTripTolerance);
}

TEST(Frames, GroupRotationKeepsThePivotAndDistances) {
  TOpticalSystem system;
  BuildLine(system);
  const DPOINT3 turn(0.0, 0.3, 0.0);  // about y (stored sign: the matrix uses -ay)
  system.RotateSurfaceGroup(0, -1, 1, turn);
  ExpectPoint(system.GetSurfacePosition(1, 0, kGlobalFrame), DPOINT3(10.0, 0.0, 0.0),
              kRoundTripTolerance);
  const Matrix3 m = Frame(turn);
  for (int k = 0; k < 4; ++k) {
    const DPOINT3 moved = Apply(m, DPOINT3(10.0 * k - 10.0, 0.0, 0.0));
    ExpectPoint(system.GetSurfacePosition(k, 0, kGlobalFrame),
                DPOINT3(10.0 + moved.x, moved.y, moved.z), kRoundTripTolerance);
    EXPECT_APPROX(system.GetSurfaceAngles(k, 0, kGlobalFrame).y, 0.3, kRoundTripTolerance);
  }
  EXPECT_APPROX(system.TrackLength(), 30.0, kRoundTripTolerance);
  system.RotateGroupAboutPoint(2, 3, DPOINT3(), DPOINT3(0.0, 0.0, 0.1));
  // A turn of a tilted surface is rigid: its frame is the turn's times its own, not the sum
  // of the angles.
  const Matrix3 turned = Product(Frame(DPOINT3(0.0, 0.0, 0.1)), m);
  for (int c = 0; c < 3; ++c) {
    const DPOINT3 axis(c == 0, c == 1, c == 2);
    ExpectPoint(Apply(Frame(system.GetSurfaceAngles(2, 0, kGlobalFrame)), axis), Apply(turned, axis), kRoundTripTolerance);
  }
  EXPECT_APPROX(system.GetSurfaceAngles(1, 0, kGlobalFrame).z, 0.0, kRoundTripTolerance);
}

TEST(Frames, ShiftSurfacesMovesARange) {
  TOpticalSystem system;
  BuildLine(system);
  system.ShiftSurfaces(1, 2, DPOINT3(0.0, 1.0, 0.0), kGlobalFrame);
  EXPECT_EQ(system.GetSurfacePosition(0, 0, kGlobalFrame).y, 0.0);
  EXPECT_EQ(system.GetSurfacePosition(2, 0, kGlobalFrame).y, 1.0);
  EXPECT_EQ(system.GetSurfacePosition(3, 0, kGlobalFrame).y, 0.0);
  system.ShiftSurfaces(2, 0, DPOINT3(0.0, 0.0, 2.0), kRelativeFrame);  // to the end
  EXPECT_EQ(system.GetSurfacePosition(1, 0, kGlobalFrame).z, 0.0);
  EXPECT_EQ(system.GetSurfacePosition(3, 0, kGlobalFrame).z, 2.0);
  system.ShiftSurfaces(7, 9, DPOINT3(5.0, 5.0, 5.0), kGlobalFrame);
  EXPECT_EQ(system.GetSurfacePosition(3, 0, kGlobalFrame).x, 30.0);
}

TEST(Frames, TrackLengthIgnoresTilts) {
  TOpticalSystem system;
  system.AddSurface(new TSurface);
  system.AddSurface(new TSurface(10.0, 0.0, 0.0));
  system.Surface(0)->SetAngles(0.4, -0.2, 0.9);
  system.Surface(1)->SetAngles(-1.0, 0.3, 0.1);
  EXPECT_APPROX(system.TrackLength(), 10.0, kRoundTripTolerance);
}

TEST(Frames, RotatePointThereAndBackIsTheIdentity) {
  const DPOINT3 centre(1.0, -2.0, 3.0);
  const DPOINT3 angles(0.7, -1.2, 2.1);
  const DPOINT3 v(4.0, 5.0, -6.0);
  const DPOINT3 there = RotatePoint(centre, v, angles, 1);
  ExpectPoint(there, DPOINT3(centre.x + Apply(Frame(angles), v).x,
                             centre.y + Apply(Frame(angles), v).y,
                             centre.z + Apply(Frame(angles), v).z),
              kRoundTripTolerance);
  const DPOINT3 back = RotatePoint(centre, DPOINT3(there.x - centre.x, there.y - centre.y,
                                                   there.z - centre.z),
                                   angles, 0);
  ExpectPoint(back, DPOINT3(centre.x + v.x, centre.y + v.y, centre.z + v.z),
              kRoundTripTolerance);
}

// Random frames turned by random turns, and frames whose axis stands along z (where only
// ax - az is fixed): the angles written give the turn's frame times the old one.
TEST(Frames, TurnedAnglesComposeTheTurnWithTheFrame) {
  std::mt19937 generator(20261209);
  std::uniform_real_distribution<double> angle(-kPi, kPi);
  for (int trial = 0; trial < 200; ++trial) {
    DPOINT3 a(angle(generator), angle(generator) / 2.0, angle(generator));
    if (trial % 4 == 0) a.y = trial % 8 == 0 ? kPi / 2.0 : -kPi / 2.0;
    const DPOINT3 turn = trial % 3 == 0 ? DPOINT3(0.0, 0.0, angle(generator))
                                        : DPOINT3(angle(generator), angle(generator), angle(generator));
    const Matrix3 want = Product(Frame(turn), Frame(a));
    const Matrix3 got = Frame(TurnedAngles(a, turn));
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(got[k], want[k], 1e-12) << "trial " << trial << " element " << k;
  }
}

}  // namespace
