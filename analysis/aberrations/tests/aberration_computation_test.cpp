#include "analysis/aberrations/aberration_computation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/aberrations/aberration_report.h"
#include "foundation/testing/approx.h"
#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// A paraboloid images the axial point perfectly: only rounding of the trace is left.
constexpr double kPerfectImage = 1e-9;
// Ray heights from closed-form geometry against the traced ones: round-off only.
constexpr double kGeometry = 1e-9;
// The cubic term of a fit against the third-order sum: fifth- and seventh-order terms the
// fit cannot separate completely leave well under 1 %.
constexpr double kSeidel = 0.01;
// Distortion of an exactly symmetric system: round-off of two traces.
constexpr double kSymmetric = 1e-9;

class Aberrations : public PupilTest {
 protected:
  static double Value(const Mem<double> &values, int curve, int point) {
    return TAberrationComputation::At(values, curve, point);
  }
};

TEST_F(Aberrations, ParaboloidOnAxisIsFreeOfAberration) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  for (int view : {kViewTransverse, kViewWave}) {
    SCOPED_TRACE(view);
    TAberrationComputation run;
    run.ViewMode = view;
    run.BeamIndex = 0;
    ASSERT_EQ(run.Compute(system), 1);
    ASSERT_EQ(run.curveCount, 1);
    // Nray 21 asks for the minimum of 51 points.
    ASSERT_EQ(run.PointCounts.data[0], 51);
    for (int i = 0; i < 51; ++i) {
      EXPECT_NEAR(Value(run.FirstValues, 0, i), 0.0, kPerfectImage) << i;
      EXPECT_NEAR(Value(run.SecondValues, 0, i), 0.0, kPerfectImage) << i;
      EXPECT_EQ(run.PassFlags.data[i], 1);
    }
    // The fan runs from the top of 0.99 of the 40 mm pupil down.
    EXPECT_APPROX(Value(run.Abscissae, 0, 0), 0.99 * 20.0, kGeometry);
    EXPECT_APPROX(Value(run.Abscissae, 0, 50), -0.99 * 20.0, kGeometry);
  }
}

TEST_F(Aberrations, SphericalMirrorFollowsPlaneGeometry) {
  // Mirror of radius R = 200, light parallel to the axis: the ray at height h meets the
  // sphere where sin t = h / R and crosses the axis R / (2 cos t) from the centre. Its
  // height at the paraxial focus R / 2 in front of the vertex is the transverse aberration.
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("spherical_mirror.os"), 0), 1);
  TAberrationComputation run;
  run.BeamIndex = 0;
  ASSERT_EQ(run.Compute(system), 1);
  const double R = 200.0;
  for (int i = 0; i < run.PointCounts.data[0]; ++i) {
    const double h = Value(run.Abscissae, 0, i);
    const double t = std::asin(h / R);
    // Vertex at 0, centre at -R; the light arrives travelling +x.
    const double hitX = -R + std::sqrt(R * R - h * h);
    const double crossX = -R + R / (2.0 * std::cos(t));
    const double focusX = -R / 2.0;
    const double expected = h * (focusX - crossX) / (hitX - crossX);
    EXPECT_NEAR(std::fabs(Value(run.FirstValues, 0, i)), std::fabs(expected), kGeometry) << h;
    // Undercorrected: a ray from above lands below the axis and the reverse.
    if (std::fabs(h) > 1.0) {
      EXPECT_LT(Value(run.FirstValues, 0, i) * h, 0.0) << h;
    }
  }
  // The sagittal fan of an axial point is the meridional one turned.
  for (int i = 0; i < run.PointCounts.data[0]; ++i)
    EXPECT_NEAR(Value(run.SecondValues, 0, i), Value(run.FirstValues, 0, i), kGeometry);
}

TEST_F(Aberrations, PlateShiftsTheApparentSourceByItsExactFormula) {
  // A point source on the axis, a plate t = 10 thick (n = 1.5168) from 50 to 60, the stop on
  // its front face, the image plane at 100. A ray leaving at angle u seems to come from a
  // point t (1 - cos u / sqrt(n^2 - sin^2 u)) nearer, so it meets the plane at
  // (100 - shift(u)) tan u.
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 50.0, 0.0, "1.5168", 20.0);
  AddAt(system, 60.0, 0.0, "", 20.0);
  AddAt(system, 100.0, 0.0, "", 60.0);
  UserStop(system, 2, 0.0);
  system.info.ObjectFinite = 1;
  SetFields(system, {0.0});
  Ready(system);
  ASSERT_EQ(system.UpdatePupils(0.0, 0.0), 1);
  TAberrationComputation run;
  run.BeamIndex = 0;
  ASSERT_EQ(run.Compute(system), 1);
  const double n = 1.5168, t = 10.0;
  for (int i = 0; i < run.PointCounts.data[0]; ++i) {
    const double h = Value(run.Abscissae, 0, i);
    const double u = std::atan(h / 50.0);
    const double shift = t * (1.0 - std::cos(u) / std::sqrt(n * n - std::sin(u) * std::sin(u)));
    EXPECT_NEAR(Value(run.FirstValues, 0, i), (100.0 - shift) * std::tan(u), kGeometry) << h;
  }
}

// Third-order spherical aberration of the published triplet from a paraxial marginal ray
// (slope convention u = dy/dx): S_I = -sum A^2 y d(u/n), A = n (y c + u); in the image
// plane a ray at pupil height h lands S_I / (2 n' u') (h / y1)^3 from the axis.
double TripletCubicCoefficient() {
  const double radii[6] = {22.01359, -435.76044, -22.21328, 20.29192, 79.68360, -18.39533};
  const double thickness[6] = {3.25896, 6.00755, 0.99997, 4.75041, 2.95208, 42.20778};
  const double index[7] = {1.0, 1.622608, 1.0, 1.623655, 1.0, 1.622608, 1.0};
  const double y1 = 5.0;  // the entrance-pupil radius: the marginal ray from infinity
  double y = y1, u = 0.0, sum = 0.0;
  for (int j = 0; j < 6; ++j) {
    const double c = 1.0 / radii[j];
    const double n = index[j], nNext = index[j + 1];
    const double A = n * (y * c + u);
    const double uNext = (n * u - y * c * (nNext - n)) / nNext;
    sum += -A * A * y * (uNext / nNext - u / n);
    u = uNext;
    if (j < 5) y += thickness[j] * u;
  }
  return sum / (2.0 * 1.0 * u) / (y1 * y1 * y1);
}

TEST_F(Aberrations, TripletCubicTermMatchesTheThirdOrderSum) {
  TOpticalSystem system;
  BuildTriplet(system);
  Ready(system);
  ASSERT_EQ(system.UpdatePupils(0.0, 0.0), 1);
  system.info.Nray = 201;
  TAberrationComputation run;
  run.BeamIndex = 0;
  ASSERT_EQ(run.Compute(system), 1);
  // Least squares of TA = a1 h + a3 h^3 + a5 h^5 + a7 h^7 through the normal equations.
  const int count = run.PointCounts.data[0];
  double M[4][5] = {};
  for (int i = 0; i < count; ++i) {
    const double h = Value(run.Abscissae, 0, i), v = Value(run.FirstValues, 0, i);
    const double basis[4] = {h, h * h * h, std::pow(h, 5), std::pow(h, 7)};
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) M[r][c] += basis[r] * basis[c];
      M[r][4] += basis[r] * v;
    }
  }
  for (int p = 0; p < 4; ++p)
    for (int r = p + 1; r < 4; ++r) {
      const double f = M[r][p] / M[p][p];
      for (int c = p; c < 5; ++c) M[r][c] -= f * M[p][c];
    }
  double a[4];
  for (int r = 3; r >= 0; --r) {
    a[r] = M[r][4];
    for (int c = r + 1; c < 4; ++c) a[r] -= M[r][c] * a[c];
    a[r] /= M[r][r];
  }
  EXPECT_APPROX(a[1], TripletCubicCoefficient(), kSeidel);
}

// Off the axis both fans are measured from the chief ray in their own direction: each point
// is its ray's landing point less the chief ray's (meridional in y, sagittal in z), 0 at the
// pupil's centre, and the sagittal fan is odd about it, as the lens is mirror symmetric in z.
TEST_F(Aberrations, OffAxisFansAreTheirRaysLessTheChiefRay) {
  for (const char *example : {"cooke_triplet.os", "double_gauss.os"}) {
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(ExamplePath(example), 0), 1);
    system.info.MonochromeSystem = 1;  // the working wavelength, at which the rays here are traced
    const int beams = system.info.BeamCount();
    ASSERT_GE(beams, 3);
    for (int b : {beams - 1, beams - 2}) {
      SCOPED_TRACE(std::string(example) + " beam " + std::to_string(b));
      TAberrationComputation run;
      run.BeamIndex = b;
      ASSERT_EQ(run.Compute(system), 1);
      const int count = run.PointCounts.data[0];
      ASSERT_EQ(count, run.pointsPerCurve);
      const double field = system.info.AlfaM.data[b];
      ASSERT_EQ(system.SolveChiefRay(field, 0.0), 1);
      TCurrentRay chief = system.MakeRay(field, 0.0, 0.0, 0.0);
      system.TraceRay(chief, 1, nullptr, 0);
      EXPECT_GT(std::fabs(chief.y), 5.0);  // the image height: far from any aberration
      double largest = 0.0;
      for (int i = 0; i < count; ++i) {
        const double h = Value(run.Abscissae, 0, i);
        TCurrentRay meridional = system.MakeRay(field, 0.0, h, 0.0);
        TCurrentRay sagittal = system.MakeRay(field, 0.0, 0.0, h);
        meridional.traceThrough = sagittal.traceThrough = 1;
        system.TraceRay(meridional, 1, nullptr, 0);
        system.TraceRay(sagittal, 1, nullptr, 0);
        EXPECT_NEAR(Value(run.FirstValues, 0, i), meridional.y - chief.y, kGeometry) << h;
        EXPECT_NEAR(Value(run.SecondValues, 0, i), sagittal.z - chief.z, kGeometry) << h;
        EXPECT_NEAR(Value(run.SecondValues, 0, i), -Value(run.SecondValues, 0, count - 1 - i), kGeometry) << h;
        largest = std::max(largest, std::fabs(Value(run.SecondValues, 0, i)));
      }
      EXPECT_NEAR(Value(run.Abscissae, 0, count / 2), 0.0, kGeometry);
      EXPECT_NEAR(Value(run.FirstValues, 0, count / 2), 0.0, kGeometry);
      EXPECT_NEAR(Value(run.SecondValues, 0, count / 2), 0.0, kGeometry);
      EXPECT_GT(largest, 1e-3);  // a real sagittal fan, not a flat line
    }
  }
}

TEST_F(Aberrations, SymmetricUnitMagnificationHasNoDistortion) {
  // Two equal singlets about a central stop, the object in the front focal plane of the
  // first: the beam between them is parallel, the image is the object turned (m = -1) and
  // symmetry takes every chief ray to the mirror point.
  // The singlet (R = 50, -50, 5 thick, n = 1.5168): 1/f = (n - 1)(2/50 - (n - 1) 5 / (n 2500)),
  // front and back focus f (1 - (n - 1) 5 / (50 n)) from the vertices.
  const double n = 1.5168;
  const double f = 1.0 / ((n - 1.0) * (2.0 / 50.0 + (n - 1.0) * 5.0 / (n * -2500.0)));
  const double bfd = f * (1.0 - (n - 1.0) * 5.0 / (50.0 * n));
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, bfd, 50.0, "1.5168", 12.5);
  AddAt(system, bfd + 5.0, -50.0, "", 12.5);
  AddAt(system, bfd + 15.0, 0.0, "", 6.0);
  AddAt(system, bfd + 25.0, 50.0, "1.5168", 12.5);
  AddAt(system, bfd + 30.0, -50.0, "", 12.5);
  AddAt(system, 2.0 * bfd + 30.0, 0.0, "", 20.0);
  UserStop(system, 4, 0.0);
  system.info.ObjectFinite = 1;
  SetFields(system, {0.0, 5.0});
  Ready(system);
  ASSERT_EQ(system.UpdatePupils(0.0, 0.0), 1);
  TAberrationComputation run;
  run.ViewMode = kViewDistortion;
  ASSERT_EQ(run.Compute(system), 1);
  // Beams 0 and 5 straddle the axis: the field runs from -5 to 5.
  EXPECT_EQ(run.fieldFirst, -5.0);
  EXPECT_EQ(run.fieldLast, 5.0);
  for (int i = 0; i < run.PointCounts.data[0]; ++i) {
    EXPECT_NEAR(Value(run.FirstValues, 0, i), 0.0, kSymmetric);
    EXPECT_NEAR(Value(run.SecondValues, 0, i), 0.0, kSymmetric);
  }
  // No distortion anywhere: plotted from -1 % to 1 %.
  EXPECT_EQ(run.DistorMin, -1.0);
  EXPECT_EQ(run.DistorMax, 1.0);
}

TEST_F(Aberrations, RunLeavesPupilRecordsAndIndicesAsFound) {
  TOpticalSystem system;
  BuildTriplet(system);
  Ready(system);
  ASSERT_EQ(system.UpdatePupils(0.0, 0.0), 1);
  const TOpticalSystemInformation before = system.info;
  const double indexBefore = system.Surface(1)->general.nAfter;
  for (int view : {kViewTransverse, kViewWave, kViewDistortion}) {
    TAberrationComputation run;
    run.ViewMode = view;
    run.LambdaIndex = -1;
    run.BeamIndex = 2;
    ASSERT_EQ(run.Compute(system), 1);
    EXPECT_EQ(std::memcmp(&before.entrancePupilDiameter, &system.info.entrancePupilDiameter,
                          sizeof(double)), 0);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(before.entrancePupilPoint[k], system.info.entrancePupilPoint[k]);
      EXPECT_EQ(before.exitPupilPoint[k], system.info.exitPupilPoint[k]);
    }
    EXPECT_EQ(before.exitPupilDiameter, system.info.exitPupilDiameter);
    EXPECT_EQ(before.LambdaW, system.info.LambdaW);
    EXPECT_EQ(system.Surface(1)->general.nAfter, indexBefore);
  }
}

TEST_F(Aberrations, CurvesCountBeamsOrWavelengths) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
  const int beams = system.info.AlfaM.cols * system.info.AlfaM.rows;
  const int waves = system.info.Spectrum.cols * system.info.Spectrum.rows;
  ASSERT_GT(beams, 1);
  ASSERT_GT(waves, 1);
  ASSERT_EQ(system.info.MonochromeSystem, 0);
  TAberrationComputation all;
  all.BeamIndex = -1;
  all.LambdaIndex = 0;
  ASSERT_EQ(all.Compute(system), 1);
  EXPECT_EQ(all.curveCount, beams);
  TAberrationComputation colours;
  colours.BeamIndex = 0;
  colours.LambdaIndex = -1;
  ASSERT_EQ(colours.Compute(system), 1);
  EXPECT_EQ(colours.curveCount, waves);
  // Longitudinal colour: the wavelengths' fans differ.
  EXPECT_NE(Value(colours.FirstValues, 0, 0), Value(colours.FirstValues, waves - 1, 0));
}

TEST_F(Aberrations, ScaleModesGovernTheBounds) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("spherical_mirror.os"), 0), 1);
  TAberrationComputation run;
  run.BeamIndex = 0;
  run.ScaleMode = kScaleFixed;  // empty stored ranges: one Auto run
  ASSERT_EQ(run.Compute(system), 1);
  EXPECT_EQ(run.ScaleMode, kScaleFixed);
  ASSERT_LT(run.TransMmin, run.TransMmax);
  const double lo = run.TransMmin, hi = run.TransMmax;
  // Fixed keeps them whatever the system does.
  system.Surface(1)->SetRadius(-150.0);
  system.Prepare(0.0, 1, 0);
  ASSERT_EQ(run.Compute(system), 1);
  EXPECT_EQ(run.TransMmin, lo);
  EXPECT_EQ(run.TransMmax, hi);
  // Auto rebuilds them: a faster mirror has more aberration.
  run.ScaleMode = kScaleAuto;
  ASSERT_EQ(run.Compute(system), 1);
  EXPECT_GT(run.TransMmax - run.TransMmin, hi - lo);
}

TEST_F(Aberrations, VignettedFanKeepsItsCurveWithPassFlagsCleared) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("spherical_mirror.os"), 0), 1);
  // An aperture on the image plane far smaller than the spot: every ray is stopped there.
  system.Surface(2)->general.semiHeightExt = 1e-4;
  system.Surface(2)->general.semiWidthExt = 1e-4;
  system.Prepare(0.0, 1, 0);
  TAberrationComputation run;
  run.BeamIndex = 0;
  ASSERT_EQ(run.Compute(system), 1);
  ASSERT_EQ(run.PointCounts.data[0], 51);
  // Rays landing inside the tiny aperture pass; the rest are kept, flagged as stopped.
  int stopped = 0;
  for (int i = 0; i < 51; ++i) {
    const bool inside = std::fabs(Value(run.FirstValues, 0, i)) <= 1e-4;
    EXPECT_EQ(run.PassFlags.data[i], inside ? 1 : 0) << i;
    stopped += inside ? 0 : 1;
  }
  EXPECT_GT(stopped, 40);
}

TEST(AberrationCounts, PointsPerFanAndField) {
  EXPECT_EQ(FanPointCount(5), 51);
  EXPECT_EQ(FanPointCount(100), 101);
  EXPECT_EQ(DistortionPointCount(5), 51);
  EXPECT_EQ(DistortionPointCount(100), 100);
}

TEST(AberrationCounts, DistortionFieldCoversEveryBeam) {
  auto range = [](std::vector<double> beams, double &first, double &last) {
    Mem<double> list(static_cast<int>(beams.size()), 1);
    for (std::size_t i = 0; i < beams.size(); ++i) list.data[i] = beams[i];
    return DistortionFieldRange(list, first, last);
  };
  double first = 0.0, last = 0.0;
  ASSERT_EQ(range({0.0, 20.0}, first, last), 1);
  EXPECT_EQ(first, -20.0);
  EXPECT_EQ(last, 20.0);
  ASSERT_EQ(range({5.0, 10.0, 20.0}, first, last), 1);
  EXPECT_EQ(first, 5.0);
  EXPECT_EQ(last, 20.0);
  ASSERT_EQ(range({-3.0, 10.0}, first, last), 1);
  EXPECT_EQ(first, -10.0);
  EXPECT_EQ(last, 10.0);
  EXPECT_EQ(range({7.0}, first, last), 0);
  EXPECT_EQ(range({4.0, 4.0}, first, last), 0);
}

TEST_F(Aberrations, DistortionWithOneBeamWarnsAndKeepsTheResults) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  TAberrationComputation run;
  run.ViewMode = kViewDistortion;
  const std::size_t boxes = BoxCount();
  EXPECT_EQ(run.Compute(system), 0);
  ASSERT_EQ(BoxCount(), boxes + 1);
  EXPECT_EQ(Boxes().boxes.back().caption, "Warning");
  EXPECT_EQ(run.FirstValues.data, nullptr);
}

}  // namespace

namespace {

TEST_F(Aberrations, DefocusGivesItsGeometricAberrationAndTheWaveIsItsIntegral) {
  // The paraboloid (f = 100) with its image plane moved d = 0.2 beyond the focus: the ray
  // from pupil height h left the mirror at x = -h^2 / 4f and runs through the focus, so it
  // meets the plane r(h) = d h / (f - h^2 / 4f) from the axis, on the other side. The wave
  // aberration is the integral of the transverse one over the pupil, divided by the
  // distance from the pupil (the mirror, which is the stop) to the image: W(h) - W(0) =
  // (1 / R) integral_0^h TA dh (the path difference counted as the ray's path less the
  // reference's), to the order the reference sphere and the pupil map allow.
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  const double f = 100.0, d = 0.2;
  DPOINT3 image = system.GetSurfacePosition(2, 0, kGlobalFrame);
  image.x -= d;
  system.SetSurfacePosition(2, 0, image, kGlobalFrame);
  ASSERT_GE(system.Prepare(0.0, 1, 0), 0);
  TAberrationComputation transverse;
  transverse.BeamIndex = 0;
  ASSERT_EQ(transverse.Compute(system), 1);
  const int n = transverse.PointCounts.data[0];
  for (int i = 0; i < n; ++i) {
    const double h = Value(transverse.Abscissae, 0, i);
    const double r = d * h / (f - h * h / (4.0 * f));
    EXPECT_NEAR(std::fabs(Value(transverse.FirstValues, 0, i)), std::fabs(r), kGeometry) << h;
    if (std::fabs(h) > 1.0) {
      EXPECT_LT(Value(transverse.FirstValues, 0, i) * h, 0.0) << h;
    }
  }
  TAberrationComputation wave;
  wave.BeamIndex = 0;
  wave.ViewMode = kViewWave;
  ASSERT_EQ(wave.Compute(system), 1);
  const double lambdaMm = system.info.LambdaW * 1e-3;
  // The fan runs from the top down; integrate TA from the centre (row n/2) outwards.
  const int centre = n / 2;
  double integral = 0.0;
  for (int i = centre; i > 0; --i) {
    const double h0 = Value(transverse.Abscissae, 0, i), h1 = Value(transverse.Abscissae, 0, i - 1);
    integral += 0.5 * (Value(transverse.FirstValues, 0, i) + Value(transverse.FirstValues, 0, i - 1)) * (h1 - h0);
    const double fromIntegral = integral / (f + d);
    const double W = (Value(wave.FirstValues, 0, i - 1) - Value(wave.FirstValues, 0, centre)) * lambdaMm;
    // Trapezoids over 51 points, and the rim rays leaving the mirror h^2 / 4f in front of
    // the vertex, farther from the image than R: the two part by 1 % at the rim of f/2.5.
    constexpr double kWaveFromTransverse = 0.02;
    if (std::fabs(h1) > 2.0) {
      EXPECT_NEAR(W, fromIntegral, kWaveFromTransverse * std::fabs(fromIntegral)) << h1;
    }
  }
}

TEST_F(Aberrations, DoubleGaussDistortionIsItsChiefRaysAgainstTheFocalLength) {
  // With the image plane at the paraxial focus, the paraxial image of a beam at angle t
  // stands at f' tan t, so the distortion of the real chief ray landing at y is
  // (|y| / (f' tan t) - 1) x 100 %.
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("double_gauss.os"), 0), 1);
  system.info.firstOrderMode = 0;
  MarkModelChanged();
  ASSERT_EQ(system.UpdatePupils(0.0, 0.0), 1);
  const int last = system.SurfaceCount() - 1;
  DPOINT3 image = system.GetSurfacePosition(last - 1, 0, kGlobalFrame);
  image.x += system.info.backFocalDistance;
  system.SetSurfacePosition(last, 0, image, kGlobalFrame);
  ASSERT_GE(system.Prepare(0.0, 1, 0), 0);
  MarkModelChanged();
  ASSERT_EQ(system.UpdatePupils(0.0, 0.0), 1);
  const double focal = system.info.focalLength;
  ASSERT_GT(focal, 0.0);
  TAberrationComputation run;
  run.ViewMode = kViewDistortion;
  run.LambdaIndex = 1;
  ASSERT_EQ(run.Compute(system), 1);
  const int n = run.PointCounts.data[0];
  ASSERT_GT(n, 10);
  const double unit = system.info.Unit == 1 ? 60.0 : 1.0;
  for (int i : {n - 1, n - 5, 3 * n / 4}) {
    const double field = Value(run.Abscissae, 0, i) / unit;
    if (std::fabs(field) < 1.0) continue;
    system.ComputeIndices(system.info.Spectrum.data[1].lambda, 0.0, 0.0);
    system.SolveChiefRay(field, 0.0);
    TCurrentRay chief = system.MakeRay(field, 0.0, 0.0, 0.0);
    chief.traceThrough = 1;
    system.TraceRay(chief, 1, nullptr, 0);
    const double paraxial = focal * std::tan(field * kDegreesToRadians);
    const double expected = (std::fabs(chief.y) / std::fabs(paraxial) - 1.0) * 100.0;
    // f' is the working wavelength's; the curve's wavelength is the same (index 1).
    EXPECT_NEAR(Value(run.SecondValues, 0, i), expected, 0.01) << field;
  }
}

// The absolute distortion is the real chief ray's height less the paraxial one's, both
// from the axial ray's point, with its sign: the double Gauss at 14 degrees, its rays traced
// here.
TEST_F(Aberrations, AbsoluteDistortionIsRealLessParaxialWithItsSign) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("double_gauss.os"), 0), 1);
  system.info.AlfaM.Allocate(2, 1);
  system.info.AlfaM.data[0] = 0.0;
  system.info.AlfaM.data[1] = 14.0;
  ASSERT_GE(system.Prepare(0.0, 1, 0), 1);
  TAberrationComputation run;
  run.ViewMode = kViewDistortion;
  run.LambdaIndex = 1;
  ASSERT_EQ(run.Compute(system), 1);
  const int last = run.PointCounts.data[0] - 1;
  ASSERT_NEAR(Value(run.Abscissae, 0, last), 14.0, 1e-12);

  const int end = system.SurfaceCount() - 1;
  system.Prepare(system.info.Spectrum.data[1].lambda, 1, 0);
  system.SolveChiefRay(0.0, 0.0);
  TCurrentRay axial = system.MakeRay(0.0, 0.0, 0.0, 0.0);
  system.TraceRange(axial, 1, end, nullptr);
  system.SolveChiefRay(14.0, 0.0);
  TCurrentRay real = system.MakeRay(14.0, 0.0, 0.0, 0.0);
  TCurrentRay paraxial = real;
  real.traceThrough = paraxial.traceThrough = 1;
  ASSERT_EQ(system.TraceRay(real, 1, nullptr, 0), 1);
  system.TraceRange(paraxial, 1, end, nullptr);
  const double expected = (real.y - axial.y) - (paraxial.y - axial.y);
  ASSERT_GT(std::fabs(expected), 1e-4);
  EXPECT_APPROX(Value(run.FirstValues, 0, last), expected, kGeometry);
}

TEST_F(Aberrations, ALensArrayWithGapsMarksItsStoppedRaysInTheReport) {
  // The lenslet array with its first period opened from 2 to 3: the 2 mm lenslets leave
  // 1 mm gaps where a ray meets no lenslet, at fan heights 1.19 to 1.98 and 4.16 to 4.95
  // (found by an outside trace of the array).
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("lens_array.os"), 0), 1);
  ASSERT_TRUE(system.Surface(2)->HasRasterZones());
  system.Surface(2)->zones.data[0].PackCoef.data[0] = 3.0;
  MarkModelChanged();
  TAberrationComputation run;
  run.ViewMode = kViewTransverse;
  run.BeamIndex = 0;
  ASSERT_EQ(run.Compute(system), 1);
  TAberrationReportLabels labels;
  labels.systemName = "lens_array.os";
  labels.wavelengthText = "0.5876";
  labels.curveLabels = {"0"};
  const std::vector<std::string> lines = AberrationReportLines(run, labels);
  const int points = run.PointCounts.data[0];
  ASSERT_GE(lines.size(), static_cast<std::size_t>(points) + 1);
  const std::size_t firstRow = lines.size() - 1 - static_cast<std::size_t>(points);
  int stopped = 0;
  for (int i = 0; i < points; ++i) {
    const double h = std::fabs(Value(run.Abscissae, 0, i));
    const bool inGap = (h > 1.19 && h < 1.98) || (h > 4.16 && h < 4.95);
    const bool passed = run.FirstPassFlags.data[i] != 0;
    EXPECT_FALSE(inGap && passed) << "H = " << h;
    const std::string &line = lines[firstRow + static_cast<std::size_t>(i)];
    EXPECT_EQ(line.size(), lines[firstRow - 1].size()) << i;
    EXPECT_EQ(line.substr(10, 10).find("stopped") != std::string::npos, !passed) << line;
    stopped += passed ? 0 : 1;
  }
  EXPECT_GT(stopped, 0);
}

}  // namespace
