#include <cmath>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/model/tests/space_trace.h"
#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// Hand-worked values carry four decimals (relative to 1 + |value|: about 1e-4 absolute).
constexpr double kFourDecimals = 2e-6;
// Real rays 0.1 off the axis see ~1e-5 of spherical aberration.
constexpr double kRealVersusParaxial = 1e-5;
// The singlet's real pair runs 0.125 off the axis of an f/2 lens: its zone focuses ~5e-4
// short of the paraxial focus (spherical aberration, growing with the height squared).
constexpr double kRealZone = 2e-5;
// Thin lenses 0.0001 thick.
constexpr double kThinLens = 1e-5;
constexpr double kRoundOff = 1e-10;
// A paraxial pair gives first-order values exactly, up to round-off over a few surfaces.
constexpr double kParaxialRoundOff = 1e-9;

class FirstOrder : public PupilTest {
 protected:
  // Solves with the paraxial (mode 0) or the real-ray (mode 1) constants.
  static void Solve(TOpticalSystem &system, int mode) {
    system.info.firstOrderMode = mode;
    MarkModelChanged();
    ASSERT_EQ(system.UpdatePupils(0.0, 0.0), 1);
  }
};

TEST_F(FirstOrder, SingletByHand) {
  // 1/f = (n - 1)(1/R1 - 1/R2 + (n - 1) d / (n R1 R2)) = 0.0203198 -> f = 49.2130;
  // back focus f (1 - (n - 1) d / (n R1)) = 47.5362.
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    TOpticalSystem system;
    BuildSinglet(system);
    Ready(system);
    Solve(system, mode);
    const double tolerance = mode == 0 ? kFourDecimals : kRealZone;
    EXPECT_APPROX(system.info.focalLength, 49.2130, tolerance);
    EXPECT_APPROX(system.info.backFocalDistance, 47.5362, tolerance);
    // One conjugate at infinity: no magnification.
    EXPECT_EQ(system.info.magnification, 0.0);
  }
}

TEST_F(FirstOrder, ParaxialAndRealAgree) {
  TOpticalSystem system;
  BuildTriplet(system);
  Ready(system);
  Solve(system, 0);
  const double focal = system.info.focalLength;
  const double back = system.info.backFocalDistance;
  Solve(system, 1);
  EXPECT_APPROX(system.info.focalLength, focal, kRealVersusParaxial);
  EXPECT_APPROX(system.info.backFocalDistance, back, kRealVersusParaxial);
}

TEST_F(FirstOrder, TripletMatchesItsPublishedValues) {
  TOpticalSystem system;
  BuildTriplet(system);
  Ready(system);
  Solve(system, 0);
  // The published indices carry six decimals; their rounding moves the focal length and
  // the back focus by up to ~1e-4.
  constexpr double kPublished = 3e-6;
  EXPECT_APPROX(system.info.focalLength, 49.99998, kPublished);
  EXPECT_APPROX(system.info.backFocalDistance, 42.41506, kPublished);
  // F-number: focal length over the entrance-pupil diameter.
  EXPECT_APPROX(system.info.focalLength / system.info.entrancePupilDiameter, 5.0, kPublished);
}

TEST_F(FirstOrder, BallLens) {
  // A ball of diameter D: f = n D / (4 (n - 1)) = 7.3375 from the centre, so the focus lies
  // f - D/2 behind the rear vertex.
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    TOpticalSystem system;
    AddAt(system, 0.0, 0.0, "", 10.0);
    AddAt(system, 10.0, 5.0, "1.5168", 4.0);
    AddAt(system, 20.0, -5.0, "", 4.0);
    AddAt(system, 25.0, 0.0, "", 10.0);
    UserStop(system, 2, 2.0);
    Ready(system);
    Solve(system, mode);
    // 1.5168 * 10 / (4 * 0.5168) = 7.33746; a real pair 0.02 off the axis of a ball
    // already sees its strong spherical aberration (~6e-5).
    const double focal = 1.5168 * 10.0 / (4.0 * 0.5168);
    constexpr double kBallRealZone = 2e-5;
    const double tolerance = mode == 0 ? kParaxialRoundOff : kBallRealZone;
    EXPECT_APPROX(system.info.focalLength, focal, tolerance);
    EXPECT_APPROX(system.info.backFocalDistance, focal - 5.0, tolerance);
  }
}

TEST_F(FirstOrder, PlanePlateMovesTheFocusBack) {
  // A plate of thickness t moves the focus by t (1 - 1/n) = 10 (1 - 1/1.5168) = 3.4072 and
  // leaves the focal length alone.
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 50.0, "1.5168", 12.5);
  AddAt(system, 15.0, -50.0, "", 12.5);
  AddAt(system, 20.0, 0.0, "1.5168", 15.0);
  AddAt(system, 30.0, 0.0, "", 15.0);
  AddAt(system, 70.0, 0.0, "", 20.0);
  UserStop(system, 2, 0.0);
  Ready(system);
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    Solve(system, mode);
    const double tolerance = mode == 0 ? kFourDecimals : kRealZone;
    EXPECT_APPROX(system.info.focalLength, 49.2130, tolerance);
    // Without the plate the focus is 15 + 47.5362; measured from the plate's rear face.
    EXPECT_APPROX(system.info.backFocalDistance, 15.0 + 47.5362 + 3.4072 - 30.0, tolerance);
  }
}

TEST_F(FirstOrder, BackFocusInFrontOfTheLastSurfaceIsNegative) {
  // A thin negative lens (f = -100): parallel light diverges from a point 100 in front.
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, -100.0, "1.5", 10.0);
  AddAt(system, 10.0 + kThinLensThickness, 100.0, "", 10.0);
  AddAt(system, 50.0, 0.0, "", 20.0);
  UserStop(system, 2, 0.0);
  Ready(system);
  Solve(system, 0);
  EXPECT_APPROX(system.info.focalLength, -100.0, kThinLens);
  EXPECT_APPROX(system.info.backFocalDistance, -100.0, kThinLens);
}

TEST_F(FirstOrder, FoldedBeamKeepsItsBackFocus) {
  // The singlet's focus lies 47.5362 behind its rear vertex at x = 15; a plane mirror at
  // x = 35 turns the beam onto -y, so the focus lies 47.5362 - 20 = 27.5362 from the mirror.
  // Behind the mirror the rays run with L = 0: their crossing must not depend on M / L.
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(ExamplePath("fold_mirror.os"), 0), 1);
    TakePendingMessage();
    Solve(system, mode);
    const double tolerance = mode == 0 ? kFourDecimals : kRealZone;
    EXPECT_APPROX(system.info.focalLength, 49.2130, tolerance);
    EXPECT_APPROX(system.info.backFocalDistance, 27.5362, tolerance);
  }
}

TEST_F(FirstOrder, ConcaveMirrorFocusesAtHalfItsRadius) {
  // Vertex radius 200: f = R/2 = 100, and the focus lies 100 in front of the mirror, on
  // the side the light returns to (a positive back focus along the reflected light).
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    Solve(system, mode);
    EXPECT_APPROX(system.info.focalLength, 100.0, kRealVersusParaxial);
    EXPECT_APPROX(system.info.backFocalDistance, 100.0, kRealVersusParaxial);
  }
}

TEST_F(FirstOrder, FiniteConjugatesGiveTheLateralMagnification) {
  // Object 200 in front of a lens of f = 100, image 200 behind: m = -1.
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 10.0);
  AddThinLens(system, 200.0, 20.0);
  AddAt(system, 400.0 + kThinLensThickness, 0.0, "", 10.0);
  UserStop(system, 2, 0.0);
  system.info.ObjectFinite = 1;
  Ready(system);
  Solve(system, 0);
  EXPECT_APPROX(system.info.magnification, -1.0, kThinLens);
  EXPECT_APPROX(system.info.focalLength, 100.0, kThinLens);
}

TEST_F(FirstOrder, AfocalTelescopeGivesTheAngularMagnification) {
  // Lenses of f = 100 and f = 50 sharing a focus: angles grow by -f1/f2 = -2, the exit
  // pupil is half the entrance pupil.
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddThinLens(system, 10.0, 20.0);
  AddAt(system, 160.0, 50.0, "1.5", 20.0);
  AddAt(system, 160.0 + kThinLensThickness, -50.0, "", 20.0);
  AddAt(system, 170.0, 0.0, "", 30.0);
  UserStop(system, 2, 8.0);
  system.info.ImageFinite = 0;
  Ready(system);
  Solve(system, 0);
  EXPECT_APPROX(system.info.magnification, -2.0, kThinLens);
  EXPECT_APPROX(system.info.exitPupilDiameter, 4.0, kThinLens);
}

TEST_F(FirstOrder, AfocalTelescopeHasItsExitPupilAtTheEyeRelief) {
  // The stop on the objective (f1 = 100) is imaged by the eyepiece (f2 = 50) 150 away:
  // 1/s' = 1/50 - 1/150, s' = 75 behind the eyepiece, that is 65 behind the last plane.
  // The PSF at infinity is sampled at lambda over the 4 mm exit pupil (milliradians).
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddThinLens(system, 10.0, 20.0);
  AddAt(system, 160.0, 50.0, "1.5", 20.0);
  AddAt(system, 160.0 + kThinLensThickness, -50.0, "", 20.0);
  AddAt(system, 170.0, 0.0, "", 30.0);
  UserStop(system, 2, 8.0);
  system.info.ImageFinite = 0;
  Ready(system);
  Solve(system, 0);
  EXPECT_APPROX(system.info.exitPupilPoint[0], 160.0 + 75.0 - 170.0, kThinLens * 10.0);
  system.info.LambdaW = 0.5;
  system.info.Difrac = 1;
  system.info.Discrete = 0.0;
  system.SetupFieldSampling();
  EXPECT_APPROX(system.DiffractionInterval(), 0.5 / 4.0, kThinLens);
  EXPECT_APPROX(system.info.discreteInEffect, 0.5 / 4.0 / 2.5, kThinLens);  // 2.5 nodes to it
  EXPECT_EQ(system.info.Discrete, 0.0);
}

TEST_F(FirstOrder, BestShiftOfAConstantSpreadHalvesItsWayToOne) {
  TOpticalSystem system;
  Mem<double> a(3, 1), b(3, 1);
  for (int i = 0; i < 3; ++i) a.data[i] = b.data[i] = i;
  constexpr double kShiftTolerance = 1e-5;
  EXPECT_APPROX(system.BestShift(a, b, 3), 1.0, kShiftTolerance);
  // Rays of slopes k all at height -5 k meet 5 before the plane: shift -5.
  const double slopes[5] = {-0.2, -0.1, 0.0, 0.05, 0.3};
  Mem<double> y(5, 1), k(5, 1);
  for (int i = 0; i < 5; ++i) {
    k.data[i] = slopes[i];
    y.data[i] = -5.0 * slopes[i];
  }
  EXPECT_APPROX(system.BestShift(y, k, 5), -5.0, kShiftTolerance);
  // Fewer than two values, or a count past the lists: no shift, no overrun.
  EXPECT_EQ(system.BestShift(y, k, 1), 0.0);
  EXPECT_APPROX(system.BestShift(y, k, 50), -5.0, kShiftTolerance);
  // The slope of the spread |1 - s| * 2 is -2 below 1 and +2 above.
  EXPECT_APPROX(system.SpreadSlope(a, b, 3, 0.0), -2.0, kRoundOff);
  EXPECT_APPROX(system.SpreadSlope(a, b, 3, 3.0), 2.0, kRoundOff);
}

// A system whose rays reach no image (it has no surfaces) takes its aperture from the
// paraxial exit pupil. The pupil grid's step in direction cosines puts the FFT's image
// nodes the interval in effect apart: lambda / (Nd interval).
TEST_F(FirstOrder, FieldSamplingKeepsAUserIntervalAndStepsThePupilToIt) {
  TOpticalSystem system;
  TOpticalSystemInformation &in = system.info;
  in.ImageFinite = 1;
  in.ObjectFinite = 0;
  in.LambdaW = 0.5;
  in.exitPupilDiameter = 10.0;
  in.exitPupilPoint[0] = -100.0;
  in.entrancePupilDiameter = 8.0;
  in.Nd = 64;
  in.Difrac = 1;
  in.Discrete = 0.002;
  system.SetupFieldSampling();
  // Half a wavelength over the numerical aperture: 0.5 * 0.0005 / sin(atan(5 / 100)).
  const double natural = 0.5 * 0.0005 / std::sin(std::atan(0.05));
  EXPECT_EQ(in.Discrete, 0.002);
  EXPECT_EQ(in.discreteInEffect, 0.002);
  EXPECT_APPROX(in.pupilStep, 0.0005 / (64.0 * 0.002), kRoundOff);

  // None of the user's: 2.5 nodes to the natural interval, the pupil on 40 % of the grid.
  in.Discrete = 0.0;
  system.SetupFieldSampling();
  EXPECT_APPROX(in.discreteInEffect, natural / 2.5, kRoundOff);
  EXPECT_EQ(in.Discrete, 0.0);
  EXPECT_APPROX(in.pupilStep * 64.0, 2.5 * 2.0 * std::sin(std::atan(0.05)), kRoundOff);
  EXPECT_APPROX(system.DiffractionInterval(), natural, kRoundOff);

  // Diffraction off: the user's interval, or the natural one itself.
  in.Difrac = 0;
  in.Discrete = 0.003;
  system.SetupFieldSampling();
  EXPECT_EQ(in.discreteInEffect, 0.003);
  in.Discrete = 0.0;
  system.SetupFieldSampling();
  EXPECT_APPROX(in.discreteInEffect, natural, kRoundOff);
  EXPECT_EQ(in.Discrete, 0.0);
}

// The FFT of Nd pupil samples du apart has its image nodes lambda / (Nd du) apart (angles,
// with the image at infinity and a pupil magnified 1). That is the interval every user of the
// PSF reads its nodes at: the geometric binning, the normalisation per node area, the axes.
TEST_F(FirstOrder, DiffractionNodesLieOneDiscreteApart) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 0.0, "", 10.0);
  AddAt(system, 20.0, 0.0, "", 20.0);
  UserStop(system, 2, 0.0);
  system.info.ImageFinite = 0;
  Ready(system);
  Solve(system, 0);
  TOpticalSystemInformation &in = system.info;
  ASSERT_APPROX(in.entrancePupilDiameter, 20.0, kRoundOff);
  ASSERT_APPROX(in.exitPupilDiameter, 20.0, kRoundOff);
  in.LambdaW = 0.5;
  in.Nd = 64;
  in.Difrac = 1;
  for (double discrete : {0.0, 0.0125, 0.04}) {
    SCOPED_TRACE(discrete);
    in.Discrete = discrete;
    system.SetupFieldSampling();
    // Micrometres over millimetres: milliradians, the unit of the PSF at infinity.
    const double node = in.LambdaW / (in.Nd * in.pupilStep);
    EXPECT_APPROX(node, in.discreteInEffect, kRoundOff);
    // Without a value of the user's, 2.5 nodes to lambda / D; the setting stays as given.
    EXPECT_APPROX(in.discreteInEffect, discrete > 0.0 ? discrete : 0.5 / 20.0 / 2.5, kRoundOff);
    EXPECT_EQ(in.Discrete, discrete);
  }
}

}  // namespace

TEST_F(FirstOrder, ATurnedOrMovedFaceGivesTheConstantsOfItsYSection) {
  // The singlet's rear face turned 5 degrees about x, y or z or moved 0.5 in y or z, and an
  // obscuration the axial ray meets (last row): two rays of our own parallel to the axis, on
  // it and h above it in y, give f = h cot of their angle behind the lens and the back focus
  // where they pass nearest (about z 48.6, about y 49.1; never the 25.3 of a pair read in
  // the drawing plane). The program's rays lie 0.125 above and below the axial one: a turned
  // face bends them unlike (8e-4 of the back focus when only the upper pair is read), their
  // mean keeps 2e-5.
  constexpr double kTurnedPair = 5e-5, h = 1e-4;
  const struct {
    double turn[3], shift[2], obscuration;
  } rows[] = {{{5, 0, 0}, {0, 0}, 0}, {{0, 5, 0}, {0, 0}, 0}, {{0, 0, 5}, {0, 0}, 0}, {{0, 0, 0}, {0.5, 0}, 0},
              {{0, 0, 0}, {0, 0.5}, 0}, {{3, -4, 5}, {0.3, -0.2}, 0}, {{0, 0, 0}, {0, 0}, 3.0}};
  for (const auto &row : rows)
    for (int mode : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " turn " << row.turn[0] << row.turn[1] << row.turn[2]
                                      << " shift " << row.shift[0] << row.shift[1] << " " << row.obscuration);
      TOpticalSystem system;
      BuildSinglet(system);
      TSurface &rear = *system.Surface(2);
      rear.SetAngles(row.turn[0] * kPi / 180.0, row.turn[1] * kPi / 180.0, row.turn[2] * kPi / 180.0);
      rear.general.vertex[1] += row.shift[0], rear.general.vertex[2] += row.shift[1];
      system.Surface(1)->general.semiHeightInt = system.Surface(1)->general.semiWidthInt = row.obscuration;
      Ready(system);
      Solve(system, mode);
      std::vector<TSpaceSurface> lens = SpacePath(system);
      lens.pop_back();  // the pair is read behind the rear face
      double pa[3] = {0, 0, 0}, da[3] = {1, 0, 0}, pb[3] = {0, h, 0}, db[3] = {1, 0, 0}, s = 0.0, back = 0.0;
      SpaceTrace(lens, pa, da), SpaceTrace(lens, pb, db);
      // The sine from the cross product: 1 - c^2 of rays 1e-4 apart keeps too few digits.
      const double c = Dot(da, db), sine = std::hypot(da[1] * db[2] - da[2] * db[1], da[2] * db[0] - da[0] * db[2],
                                                      da[0] * db[1] - da[1] * db[0]);
      for (int k = 0; k < 3; ++k) s += (pb[k] - pa[k]) * (da[k] - c * db[k]) / (sine * sine);
      for (int k = 0; k < 3; ++k) back += std::pow(pa[k] + s * da[k] - lens.back().v[k], 2);
      EXPECT_APPROX(system.info.focalLength, c / sine * h, kTurnedPair);
      EXPECT_APPROX(system.info.backFocalDistance, std::sqrt(back), kTurnedPair);
      EXPECT_APPROX(system.info.focalLength / system.info.entrancePupilDiameter, c / sine * h / 25.0, kTurnedPair);
    }
}
