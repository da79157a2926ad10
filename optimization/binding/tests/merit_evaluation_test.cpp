// The evaluation of the merit functions on real systems: the Strehl ratio of a defocused
// paraboloid against the Marechal formula with the variance of the fan's own sample, the
// faults a failing chief ray and failing fan rays raise, the image surface placed once per
// configuration, and the views refreshed without a change of configuration.

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/aberrations/aberration_computation.h"
#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optimization/binding/tests/run_test_support.h"
#include "optimization/system/tests/configuration_snapshots.h"

namespace {

// The exponent -ln(Strehl) against (2 pi)^2 W20^2 var: the defocused sphere departs from a
// pure W20 rho^2 by terms of relative size NA^2 / 4 and delta / f (both below 2e-3 here).
constexpr double kExponentTolerance = 1e-2;
// A chief ray through the pupil centre meets the paraxial image point of the axis.
constexpr double kOnAxisTolerance = 1e-9;

// The variance of W(rho) = rho^2 (W20 = 1) over the fan's pupil points rho_j = 1 - 2j/(N-1).
double LineFanDefocusVariance(int n) {
  double sum = 0.0, sumSquares = 0.0;
  for (int j = 0; j < n; ++j) {
    const double rho = 1.0 - 2.0 * j / (n - 1);
    sum += rho * rho;
    sumSquares += rho * rho * rho * rho;
  }
  const double mean = sum / n;
  return sumSquares / n - mean * mean;
}

class MeritEvaluation : public EvaluationTest {
 protected:
  // The paraboloid of focal length 100 stopped down to D = 10 (NA 0.05), its image plane
  // moved by delta from the focus; one beam on the axis, only the Strehl ratio weighted.
  double DefocusedStrehl(double delta, int rays) {
    TOpticalSystem system;
    Load(system, "parabolic_mirror.os");
    system.info.Dentr = kPupilDiameter;
    TSurface *image = system.Surface(2);
    image->SetPosition(image->general.vertex[0] - delta, 0.0, 0.0);
    TSingleConfiguration configured(system);
    TOptimizationFunctions set;
    set.Rebuild(&configured);
    ClearWeights(set);
    TFunctionsParameters &beam = *set.Record(0, 0);
    beam.NrayInBeam = rays;
    Weigh(beam.Strehl, 1.0, 1.0);
    set.SetConfigurations();
    TCountingPump pump;
    set.runPump = &pump;
    EXPECT_EQ(set.Compute(), 1);
    EXPECT_EQ(pump.pumps, 1);
    lambdaUm = system.info.LambdaW;
    return beam.Strehl.data[0].Value;
  }

  static constexpr double kFocalLength = 100.0;
  static constexpr double kPupilDiameter = 10.0;
  double lambdaUm = 0.0;
};

}  // namespace

TEST_F(MeritEvaluation, LineFanStrehlOfPureDefocusFollowsMarechalWithTheFanVariance) {
  const int rays = 21;
  const double na = kPupilDiameter / 2.0 / kFocalLength;
  // Defocus by delta: W20 = delta NA^2 / 2 at the pupil edge, in waves; chosen near
  // Strehl 0.5.
  const double delta = 0.19;
  const double strehl = DefocusedStrehl(delta, rays);
  const double w20 = delta * na * na / 2.0 / (lambdaUm * 1e-3);
  const double variance = LineFanDefocusVariance(rays);
  // The fan's sample variance is not the pupil-area value W20^2 / 12 nor its own limit
  // 4 W20^2 / 45: at 21 rays it is about 1.2 times the limit.
  EXPECT_NEAR(variance / (4.0 / 45.0), 1.2, 0.01);
  const double expected = 4.0 * kPi * kPi * w20 * w20 * variance;
  ASSERT_GT(strehl, 0.0);
  EXPECT_APPROX(-std::log(strehl), expected, kExponentTolerance);
  EXPECT_GT(std::fabs(-std::log(strehl) - expected), 0.0);  // a real wavefront, not a copy
}

TEST_F(MeritEvaluation, StrehlIsZeroFromAVarianceOfThirtyOverTwoPiSquared) {
  const int rays = 11;
  const double na = kPupilDiameter / 2.0 / kFocalLength;
  const double variance = LineFanDefocusVariance(rays);
  // Variance 0.80 waves^2, above the limit 30 / (2 pi)^2 = 0.760.
  const double w20 = std::sqrt(0.80 / variance);
  const double delta = w20 * 0.5875618e-3 * 2.0 / (na * na);
  EXPECT_EQ(DefocusedStrehl(delta, rays), 0.0);
  // In focus the paraboloid is perfect on the axis.
  EXPECT_APPROX(DefocusedStrehl(0.0, rays), 1.0, 1e-6);
}

TEST_F(MeritEvaluation, WithoutAPublishedPumpOrAfterAStopNothingIsEvaluated) {
  TOpticalSystem system;
  Load(system, "singlet.os");
  TSingleConfiguration configured(system);
  TOptimizationFunctions set;
  set.Rebuild(&configured);
  ClearWeights(set);
  Weigh(set.Record(0, 0)->Focus, 100.0, 1.0);
  set.SetConfigurations();
  EXPECT_EQ(set.Compute(), 0);
  EXPECT_EQ(set.Failure(), kEvaluationNotRunning);
  TCountingPump pump;
  pump.stopAt = 1;
  set.runPump = &pump;
  EXPECT_EQ(set.Compute(), 0);
  EXPECT_EQ(set.Failure(), kEvaluationStopped);
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Value, 0.0);
}

TEST_F(MeritEvaluation, FocalDataAndTransverseAberrationsOfTheSinglet) {
  TOpticalSystem system;
  Load(system, "singlet.os");
  TSingleConfiguration configured(system);
  TOptimizationFunctions set;
  set.Rebuild(&configured);
  ClearWeights(set);
  TFunctionsParameters &beam = *set.Record(0, 0);
  Weigh(beam.Focus, 0.0, 1.0);
  Weigh(beam.AberT, 0.0, 1.0);
  beam.NrayInBeam = 5;
  set.SetConfigurations();
  TCountingPump pump;
  set.runPump = &pump;
  ASSERT_EQ(set.Compute(), 1);
  // Thick-lens focal length of the remark: 49.213 mm at the d line.
  EXPECT_NEAR(beam.Focus.data[0].Value, 49.213, 1e-3);
  // The fan is symmetric about the axis: the middle ray meets the chief ray, the edges
  // are mirror images, and the under-corrected edge lands short of the axis crossing.
  ASSERT_EQ(beam.AberT.rows, 5);
  EXPECT_NEAR(beam.AberT.data[2].Value, 0.0, kOnAxisTolerance);
  EXPECT_APPROX(beam.AberT.data[0].Value, -beam.AberT.data[4].Value, 1e-9);
  EXPECT_NE(beam.AberT.data[0].Value, 0.0);
  EXPECT_EQ(set.fault.AnyFlagSet(), 0);
  // Fan rays reached the lens faces: the footprint holds their largest heights, at most the
  // pupil's half of 10 mm on the front face.
  ASSERT_EQ(set.footprint.cols, system.SurfaceCount());
  EXPECT_NEAR(set.footprint.data[1].y, 10.0, 1e-6);
  EXPECT_GT(set.footprint.data[1].x, 0.0);  // the sag of a curved face
}

TEST_F(MeritEvaluation, EveryFanRayFailingGivesStrehlZeroAndAFault) {
  // A ball of radius 2 in front of a pupil of 15: the chief ray passes, every fan ray of
  // four (p = +-7.5, +-2.5) misses the ball.
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 30.0);
  AddAt(system, 10.0, 2.0, "1.5", 1.9);
  AddAt(system, 12.0, 0.0, "", 30.0);
  AddAt(system, 30.0, 0.0, "", 30.0);
  system.info.AutoSetPupilParameters = 0;
  system.info.Naper = 1;
  system.info.Dentr = 15.0;
  system.info.ObjectFinite = 0;
  ASSERT_GE(system.Prepare(0.0, 1, 0), 0);
  TSingleConfiguration configured(system);
  TOptimizationFunctions set;
  set.Rebuild(&configured);
  ClearWeights(set);
  TFunctionsParameters &beam = *set.Record(0, 0);
  beam.NrayInBeam = 4;
  Weigh(beam.Strehl, 1.0, 1.0);
  set.SetConfigurations();
  beam.Strehl.data[0].Value = 0.5;  // must be overwritten
  TCountingPump pump;
  set.runPump = &pump;
  EXPECT_EQ(set.Compute(), 0);
  EXPECT_EQ(set.Failure(), kEvaluationFault);
  EXPECT_EQ(set.fault.missed, 1);
  EXPECT_EQ(beam.Strehl.data[0].Value, 0.0);
}

TEST_F(MeritEvaluation, AChiefRayStoppedByAnApertureIsAFault) {
  TOpticalSystem system;
  Load(system, "singlet.os");
  // The stop is the front face; a beam at 20 degrees crosses the back face, 5 mm on, about
  // 1.2 mm off the axis: a back-face aperture of 0.5 mm stops its chief ray (the fan rays
  // pass apertures).
  ASSERT_EQ(system.info.stopIndex, 1);
  system.Surface(2)->general.semiHeightExt = 0.5;
  system.Surface(2)->general.semiWidthExt = 0.5;
  TSingleConfiguration configured(system);
  TOptimizationFunctions set;
  set.Rebuild(&configured);
  ClearWeights(set);
  TFunctionsParameters &beam = *set.Record(0, 0);
  Weigh(beam.AberT, 0.0, 1.0);
  beam.Ybeam = 20.0;
  set.SetConfigurations();
  TCountingPump pump;
  set.runPump = &pump;
  EXPECT_EQ(set.Compute(), 0);
  EXPECT_EQ(set.fault.chief, 1) << set.fault.general << set.fault.missed << set.fault.reflected;
  EXPECT_EQ(set.Failure(), kEvaluationFault);
  // Without the aperture, and with an image plane wide enough for the field (f tan 20 =
  // 18 mm), the same beam evaluates.
  system.Surface(2)->general.semiHeightExt = 25.0;
  system.Surface(2)->general.semiWidthExt = 25.0;
  system.Surface(3)->general.semiHeightExt = 30.0;
  system.Surface(3)->general.semiWidthExt = 30.0;
  EXPECT_EQ(set.Compute(), 1);
}

TEST_F(MeritEvaluation, FanRaysARimStopsAreCountedForTheShippedLensesAndAVignettedOne) {
  // The transverse aberrations of every beam. The double Gauss with its fifth surface
  // narrowed from 37 to 24 mm: a trace of our own finds 13 of its 63 fan rays outside that
  // rim (the count against plain traces of each ray for every kind of stop: VignettedRays).
  const struct {
    const char *example;
    double semiHeight;  // of surface 5, or 0
    int stopped;
  } rows[] = {{"singlet.os", 0.0, 0}, {"achromat.os", 0.0, 0}, {"cooke_triplet.os", 0.0, 0}, {"double_gauss.os", 12.0, 13}};
  for (const auto &row : rows) {
    TOpticalSystem system;
    Load(system, row.example);
    if (row.semiHeight > 0.0) system.Surface(4)->general.semiHeightExt = row.semiHeight;
    TSingleConfiguration configured(system);
    TOptimizationFunctions set;
    set.Rebuild(&configured);
    for (int r = 0; r < set.Beams(); ++r) Weigh(set.Record(0, r)->AberT, 0.0, 1.0);
    set.SetConfigurations();
    TCountingPump pump;
    set.runPump = &pump;
    ASSERT_EQ(set.Compute(), 1) << row.example;
    EXPECT_EQ(set.fault.stoppedFanRays, row.stopped) << row.example;
  }
}

TEST_F(MeritEvaluation, AnUnknownGlassFailsWithItsName) {
  TOpticalSystem system;
  Load(system, "singlet.os");
  TSingleConfiguration configured(system);
  TOptimizationFunctions set;
  set.Rebuild(&configured);
  ClearWeights(set);
  Weigh(set.Record(0, 0)->Focus, 100.0, 1.0);
  set.SetConfigurations();
  system.Surface(1)->general.glass = "NO-SUCH-GLASS";
  TCountingPump pump;
  set.runPump = &pump;
  EXPECT_EQ(set.Compute(), 0);
  EXPECT_EQ(set.Failure(), kEvaluationUnknownGlass);
  EXPECT_NE(set.UnknownGlasses().find("NO-SUCH-GLASS"), std::string::npos);
  EXPECT_EQ(BoxCount(), 0u);  // the run reports it once, not every evaluation
}

TEST_F(MeritEvaluation, ImageSurfaceIsPlacedOnceAtTheWorkingWavelength) {
  TOpticalSystem system;
  Load(system, "singlet.os");
  // The singlet with three colours: its focus moves with the wavelength.
  system.info.MonochromeSystem = 0;
  ASSERT_TRUE(system.info.Spectrum.Allocate(3, 1));
  const double lambdas[3] = {0.4861327, 0.5875618, 0.6562725};
  for (int w = 0; w < 3; ++w) system.info.Spectrum.data[w] = TSpectralInfo{lambdas[w], 1.0};
  system.info.LambdaW = 0.5875618;
  TSingleConfiguration configured(system);
  TOptimizationFunctions set;
  set.Rebuild(&configured);
  ClearWeights(set);
  set.SetPolychrome(1);
  set.SettingImageSurfaceType = kImageSurfaceAtBackFocus;
  TFunctionsParameters &beam = *set.Record(0, 0);
  beam.NrayInBeam = 3;
  Weigh(beam.AberT, 0.0, 1.0);
  Weigh(beam.Sfs, 0.0, 1.0);
  set.SetConfigurations();
  ASSERT_EQ(beam.AberT.cols, 3);
  TCountingPump pump;
  set.runPump = &pump;
  ASSERT_EQ(set.Compute(), 1);
  // The image plane stands at the back focus of the d line: lens back face at 15 plus the
  // d-line back focal distance.
  EXPECT_NEAR(system.Surface(3)->general.vertex[0], 15.0 + beam.Sfs.data[1].Value, 1e-9);
  // Blue focuses short, red long: the edge rays of blue and red fall on opposite sides of
  // the axis relative to the d line's, which a per-colour placement would hide.
  const double blue = beam.AberT.data[0 * 3 + 0].Value;
  const double green = beam.AberT.data[0 * 3 + 1].Value;
  const double red = beam.AberT.data[0 * 3 + 2].Value;
  EXPECT_GT(std::fabs(blue - red), 1e-2);
  EXPECT_LT(std::min(blue, red), green);
  EXPECT_GT(std::max(blue, red), green);
  // The working wavelength is back where it was.
  EXPECT_EQ(system.info.LambdaW, 0.5875618);
}

TEST_F(MeritEvaluation, RefreshingTheViewsAtFailedRaysKeepsTheConfiguration) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 30.0);
  AddAt(system, 10.0, 2.0, "1.5", 1.9);
  AddAt(system, 12.0, 0.0, "", 30.0);
  AddAt(system, 30.0, 0.0, "", 30.0);
  system.info.AutoSetPupilParameters = 0;
  system.info.Naper = 1;
  system.info.Dentr = 15.0;
  system.info.ObjectFinite = 0;
  ASSERT_GE(system.Prepare(0.0, 1, 0), 0);
  TConfigurationSnapshots configured(system, 2);
  TOptimizationFunctions set;
  set.Rebuild(&configured);
  ClearWeights(set);
  for (int c = 0; c < 2; ++c) {
    set.Record(c, 0)->NrayInBeam = 4;
    Weigh(set.Record(c, 0)->AberT, 0.0, 1.0);
  }
  set.SetConfigurations();
  set.RefreshViews = 1;
  set.RunStartConfiguration = 0;
  TCountingPump pump;
  set.runPump = &pump;
  configured.selections = 0;
  EXPECT_EQ(set.Compute(), 0);
  // One selection per configuration and the one restore at the end: none at the failed
  // rays, whose views are refreshed in the configuration being evaluated.
  EXPECT_EQ(configured.selections, 3);
  EXPECT_GE(configured.refreshes, 8);
  EXPECT_EQ(configured.CurrentConfiguration(), 0);
}

TEST_F(MeritEvaluation, ChiefRaysStartWhereTheLastEvaluationAimedThem) {
  // The triplet's three beams at three colours: every beam's chief ray is solved at every
  // colour. A second evaluation after a small change starts each solve from the aim of the
  // first and gives the values a set without kept aims gives, to the solve's tolerance.
  TOpticalSystem system;
  Load(system, "cooke_triplet.os");
  system.info.MonochromeSystem = 0;
  ASSERT_TRUE(system.info.Spectrum.Allocate(3, 1));
  const double lambdas[3] = {0.4861327, 0.5875618, 0.6562725};
  for (int w = 0; w < 3; ++w) system.info.Spectrum.data[w] = TSpectralInfo{lambdas[w], 1.0};
  TSingleConfiguration configured(system);
  TCountingPump pump;
  auto makeSet = [&](TOptimizationFunctions &set) {
    set.Rebuild(&configured);
    ClearWeights(set);
    set.SetPolychrome(1);
    for (int r = 0; r < set.Beams(); ++r) {
      set.Record(0, r)->NrayInBeam = 7;
      Weigh(set.Record(0, r)->AberT, 0.0, 1.0);
    }
    set.SetConfigurations();
    set.runPump = &pump;
  };
  TOptimizationFunctions kept;
  makeSet(kept);
  ASSERT_EQ(kept.Beams(), 3);
  ASSERT_EQ(kept.Compute(), 1);
  // Every beam at every colour searched once; solved again within the evaluation (the
  // pupils of the first beam, then that beam's own solve), it starts from its new aim.
  const int searched = kept.chiefRayAims.searchedSolves;
  const int warm = kept.chiefRayAims.warmSolves;
  EXPECT_GE(searched, 9);

  system.Surface(3)->general.R *= 1.0005;
  ASSERT_GE(system.Prepare(0.0, 1, 0), 0);
  ASSERT_EQ(kept.Compute(), 1);
  EXPECT_EQ(kept.chiefRayAims.searchedSolves, searched);
  EXPECT_GE(kept.chiefRayAims.warmSolves - warm, 9);

  TOptimizationFunctions fresh;
  makeSet(fresh);
  ASSERT_EQ(fresh.Compute(), 1);
  ASSERT_EQ(fresh.Count(), kept.Count());
  // Transverse aberrations in mm; aims within 1e-9 of the stop radius move them by less.
  constexpr double kSolveAgreement = 1e-8;
  for (int i = 0; i < kept.Count(); ++i)
    EXPECT_NEAR(kept.Value(i), fresh.Value(i), kSolveAgreement) << "function " << i;
}

// Distortion is listed for every beam whose distortion weight is set, rays weighted or
// not: on the double Gauss, with no ray or Strehl weight anywhere, each beam's merit
// distortion is the aberrations window's at that field (its curve run from the axis out to
// the beam), in magnitude, with the image surface where the file puts it.
TEST_F(MeritEvaluation, DistortionOfBeamsWithoutRayWeightsIsTheAberrationWindowsOwn) {
  // The two compute the same rays; the window's last field point is the beam's field up
  // to the rounding of its step.
  constexpr double kSamePercent = 1e-6;
  TOpticalSystem system;
  Load(system, "double_gauss.os");
  TSingleConfiguration configured(system);
  TOptimizationFunctions set;
  set.Rebuild(&configured);
  ClearWeights(set);
  const int beams = set.records.rows;
  ASSERT_EQ(beams, 3);
  for (int r = 0; r < beams; ++r) Weigh(set.Record(0, r)->Distor, 0.0, 1.0);
  set.SetConfigurations();
  ASSERT_EQ(set.Count(), beams);
  TCountingPump pump;
  set.runPump = &pump;
  ASSERT_EQ(set.Compute(), 1);

  for (int r = 1; r < beams; ++r) {
    const double field = set.Record(0, r)->Ybeam;
    TOpticalSystem window;
    Load(window, "double_gauss.os");
    window.info.AlfaM.Allocate(2, 1);
    window.info.AlfaM.data[0] = 0.0;
    window.info.AlfaM.data[1] = field;
    ASSERT_GE(window.Prepare(0.0, 1, 0), 1);
    TAberrationComputation run;
    run.ViewMode = kViewDistortion;
    run.LambdaIndex = 1;  // the working wavelength, 0.5875618
    ASSERT_EQ(run.Compute(window), 1);
    const int last = run.PointCounts.data[0] - 1;
    ASSERT_APPROX(run.Abscissae.data[last], field, 1e-12);
    const double expected = std::fabs(TAberrationComputation::At(run.SecondValues, 0, last));
    EXPECT_GT(expected, 0.01) << "beam " << r;  // a real distortion, not the empty 0
    EXPECT_NEAR(set.Record(0, r)->Distor.data[0].Value, expected, kSamePercent) << "beam " << r;
  }
  // The axis has none.
  EXPECT_NEAR(set.Record(0, 0)->Distor.data[0].Value, 0.0, kSamePercent);
}
