// Systems turned round (first-order constants, pupils, Strehl estimates) and telecentric
// systems, against thick-lens and mirror formulas worked by hand.

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// Hand-worked values carry four decimals.
constexpr double kFourDecimals = 2e-6;
// Real rays 0.1 off the axis of an f/10 lens: spherical aberration of a few 1e-6.
constexpr double kRealPair = 2e-5;
// Thin lenses 0.0001 thick: principal planes 3e-5 apart.
constexpr double kThinLens = 1e-5;
constexpr double kRoundOff = 1e-10;

class TurnedSystem : public PupilTest {
 protected:
  static void Solve(TOpticalSystem &system, int mode) {
    system.info.firstOrderMode = mode;
    MarkModelChanged();
    ASSERT_EQ(system.UpdatePupils(0.0, 0.0), 1);
  }
};

// Plano-convex lens R 50, 5 thick, n 1.5168, curved face to the object: f = R / (n - 1) =
// 96.7492. Its back focus is f (1 - (n - 1) t / (n R)) = 93.4528 behind the flat face; turned
// round, the flat face leads and the back principal plane lies on the curved vertex, so the
// back focus is f itself. A turned positive lens stays positive.
TEST_F(TurnedSystem, PlanoConvexKeepsItsFocalLengthAndTakesItsFrontFocusAsBackFocus) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 50.0, "1.5168", 12.5);
  AddAt(system, 15.0, 0.0, "", 12.5);
  AddAt(system, 15.0 + 93.4528, 0.0, "", 20.0);
  UserStop(system, 2, 10.0);
  SetFields(system, {0.0, 3.0});
  Ready(system);
  Solve(system, 0);
  EXPECT_APPROX(system.info.focalLength, 96.7492, kFourDecimals);
  EXPECT_APPROX(system.info.backFocalDistance, 93.4528, kFourDecimals);

  system.TurnSystem();
  Ready(system);
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    Solve(system, mode);
    const double tolerance = mode == 0 ? kFourDecimals : kRealPair;
    EXPECT_APPROX(system.info.focalLength, 96.7492, tolerance);
    EXPECT_APPROX(system.info.backFocalDistance, 96.7492, tolerance);
    // The stop (the curved face, now surface 2) seen through 5 of glass from the old image
    // plane: 15 - 5 / 1.5168 = 11.7036, that is 96.7492 before the new object surface.
    EXPECT_EQ(system.info.stopIndex, 2);
    EXPECT_APPROX(system.info.entrancePupilPoint[0], 11.7036 - 108.4528, kFourDecimals);
  }
}

// A concave mirror R -100 100 from the object plane focuses parallel light 50 in front of
// it. Turned round, the light starts at that focus and runs to the mirror: the mirror is
// the stop 50 ahead, the focal length and the back focus stay 50.
TEST_F(TurnedSystem, ConcaveMirrorTurnedRoundStillFocusesAtHalfItsRadius) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 100.0, -100.0, "refl", 20.0);
  AddAt(system, 50.0, 0.0, "", 20.0);
  UserStop(system, 2, 10.0);
  SetFields(system, {0.0, 1.0});
  Ready(system);
  Solve(system, 0);
  EXPECT_APPROX(system.info.focalLength, 50.0, kRoundOff);
  EXPECT_APPROX(system.info.backFocalDistance, 50.0, kRoundOff);

  system.TurnSystem();
  Ready(system);
  // Light leaves the new object surface forwards: no medium of negative index lies before
  // it, whatever index its surface had behind the mirror before the turn.
  const TGeneralParameters &object = system.Surface(0)->general;
  EXPECT_EQ(object.nBefore, object.nAfter);
  EXPECT_GT(object.nAfter, 0.0);
  EXPECT_EQ(system.Surface(1)->general.materialKind, 1);
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    Solve(system, mode);
    const double tolerance = mode == 0 ? kRoundOff : kRealPair;
    EXPECT_APPROX(system.info.entrancePupilPoint[0], 50.0, kRoundOff);
    EXPECT_APPROX(system.info.focalLength, 50.0, tolerance);
    EXPECT_APPROX(system.info.backFocalDistance, 50.0, tolerance);
  }
}

// A flat hologram of f 100 (phase -0.5 (r / 10)^2 lengths of path: power 2 x 0.5 / 10^2):
// turned round it is the same positive lens, a point at its focus leaving it collimated.
TEST_F(TurnedSystem, AHologramTurnedRoundKeepsItsPower) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 0.0, "", 12.0);
  AddAt(system, 110.0, 0.0, "", 10.0);
  THOEParameters hologram;
  hologram.Mhxy = 10.0;
  hologram.Wlh = system.info.LambdaW;  // made for the working wavelength
  ASSERT_TRUE(hologram.Vh.Allocate(1, 1));
  hologram.Vh.data[0] = -0.5;
  system.Surface(1)->SetHOE(hologram, 0);
  UserStop(system, 2, 10.0);
  SetFields(system, {0.0});
  for (int turns = 0; turns < 3; ++turns) {
    SCOPED_TRACE(turns);
    Ready(system);
    Solve(system, 0);
    EXPECT_APPROX(system.info.focalLength, 100.0, kRealPair);
    system.TurnSystem();
  }
}

// Object 150 before a lens of f = 100, stop on its rear focus: the entrance pupil lies at
// infinity, so every chief ray runs parallel to the axis in object space, and the axial cone
// has the slope (stop radius) / f = 0.05. The image lies 300 behind the lens: m = -2.
TEST_F(TurnedSystem, ObjectSpaceTelecentricLensAimsItsConeThroughTheFocalStop) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddThinLens(system, 150.0);
  AddAt(system, 250.0, 0.0, "", 5.0);
  AddAt(system, 450.0, 0.0, "", 50.0);
  system.info.ObjectFinite = 1;
  UserStop(system, 4, 0.0);
  Ready(system);
  Solve(system, 0);
  EXPECT_EQ(system.info.stopIndex, 3);
  EXPECT_GT(system.info.entrancePupilPoint[0], 1e6);
  EXPECT_APPROX(system.info.magnification, -2.0, kThinLens);
  const TCurrentRay edge = system.MakeRay(0.0, 0.0, system.info.entrancePupilDiameter / 2.0, 0.0);
  EXPECT_APPROX(edge.M / edge.L, 0.05, kThinLens);
  const TCurrentRay chief = system.MakeRay(0.0, 0.0, 0.0, 0.0);
  EXPECT_APPROX(chief.M / chief.L, 0.0, kRoundOff);
}

// Stop on the front focus of a lens of f = 100: the exit pupil lies at infinity and the
// image-side cone has the aperture of its rim ray, near sin(atan(5 / 100)) (the paraxial
// pupil, at infinity, gives none); the PSF interval is half a wavelength over it.
TEST_F(TurnedSystem, ImageSpaceTelecentricLensSamplesItsPsfAtHalfAWavelengthOverNA) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 0.0, "", 5.0);
  AddThinLens(system, 110.0);
  AddAt(system, 210.0, 0.0, "", 50.0);
  UserStop(system, 2, 0.0);
  Ready(system);
  Solve(system, 0);
  EXPECT_GT(std::fabs(system.info.exitPupilPoint[0]), 1e6);
  system.info.Difrac = 1;
  system.info.Discrete = 0.0;
  system.info.LambdaW = 0.5;
  system.SetupFieldSampling();
  TCurrentRay rim = system.MakeRay(0.0, 0.0, system.info.entrancePupilDiameter / 2.0, 0.0);
  ASSERT_EQ(system.TraceRay(rim, kTracePlain, nullptr, 0), 1);
  const double na = std::fabs(rim.M);
  // The lens's spherical aberration bends its rim ray a little more than the paraxial one.
  EXPECT_NEAR(na / std::sin(std::atan(0.05)), 1.0, 0.01);
  EXPECT_APPROX(system.DiffractionInterval(), 0.5 * 0.0005 / na, kRoundOff);
  // Without a value of the user's, 2.5 nodes to that interval.
  EXPECT_APPROX(system.info.discreteInEffect, 0.5 * 0.0005 / na / 2.5, kRoundOff);
}

}  // namespace
