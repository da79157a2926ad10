// Every count of light (aberration pass flags, spot, PSF pupil, merit wavefront) leaves out a
// ray stopped by a rim, an obscuration, the image's rim or a lens-array gap, even one carried
// on past it, against the same pupil points traced alone with every aperture in force.

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/aberrations/aberration_computation.h"
#include "analysis/spot/spot_computation.h"
#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/model/beams.h"
#include "optics/psf/diffraction_sampling.h"
#include "optics/psf/psf_sample_info.h"
#include "optimization/binding/tests/run_test_support.h"

namespace {

// Sums of the same values in another order.
constexpr double kSumOrder = 1e-12;

// The system, and which of its bounds stops rays: the back face's rim cut to 6 mm, a 3 mm
// obscuration on the front face, a 0.05 mm image rim (the outer zone's spherical aberration
// lands outside it), the lenslets' period opened from 2 to 3 mm (1 mm gaps between them).
enum TStop { kLensRim, kObscuration, kImageRim, kLensArrayGap };

class VignettedRays : public EvaluationTest, public testing::WithParamInterface<TStop> {
 protected:
  void SetUp() override {
    EvaluationTest::SetUp();
    Load(system, GetParam() == kLensArrayGap ? "lens_array.os" : "singlet.os");
    TGeneralParameters &back = system.Surface(2)->general, &front = system.Surface(1)->general;
    TGeneralParameters &image = system.Surface(3)->general;
    if (GetParam() == kLensRim) back.semiHeightExt = back.semiWidthExt = 6.0;
    if (GetParam() == kObscuration) front.semiHeightInt = front.semiWidthInt = 3.0;
    if (GetParam() == kImageRim) image.semiHeightExt = image.semiWidthExt = 0.05;
    if (GetParam() == kLensArrayGap) system.Surface(2)->zones.data[0].PackCoef.data[0] = 3.0;
    MarkModelChanged();
  }
  // Whether the ray of field 0 through pupil point (py, 0), traced alone, is stopped.
  bool Stopped(double py) {
    TCurrentRay ray = system.MakeRay(0.0, 0.0, py, 0.0);
    return system.TraceRay(ray, kTracePlain, nullptr, 0) != 1;
  }
  TOpticalSystem system;
};

TEST_P(VignettedRays, AreMarkedStoppedAndCountedOutByEveryAnalysis) {
  // Aberrations: fan rays are carried past the rims; the flags say which were stopped.
  TAberrationComputation fans;
  fans.ViewMode = kViewTransverse;
  fans.BeamIndex = 0;
  ASSERT_EQ(fans.Compute(system), 1);
  int stoppedInFan = 0;
  for (int i = 0; i < fans.PointCounts.data[0]; ++i) {
    const double h = fans.Abscissae.data[i * fans.curveCount];
    stoppedInFan += Stopped(h) ? 1 : 0;
    EXPECT_EQ(fans.FirstPassFlags.data[i * fans.curveCount] == 0, Stopped(h)) << "H = " << h;
  }
  EXPECT_GT(stoppedInFan, 0);

  // Spot diagram and the PSF's rings with DrawAllRays lending every ray the flag.
  system.info.DrawAllRays = 1;
  TSpotSettingsRecord settings;
  settings.rayNumber = 400;
  TSpotComputation spot;
  const int collected = spot.Compute(system, settings);
  system.Prepare(0.0, 1, 0);
  const TPSFSampleInfo lent = system.SampleGeometricSpot(0.0, 0.0, 1);
  system.info.DrawAllRays = 0;
  TBeamsPar starts(&system);
  int passing = 0;
  for (int r = FillPupilRays(system, starts, settings.rayNumber) - 1; r >= 0; --r) {
    TCurrentRay ray = starts.beams.data[0].rays.data[r];
    passing += system.TraceRay(ray, kTracePlain, nullptr, 0) == 1 ? 1 : 0;
  }
  EXPECT_EQ(collected, passing);
  const TPSFSampleInfo own = system.SampleGeometricSpot(0.0, 0.0, 1);
  EXPECT_LT(own.transmissionSum, own.count);
  EXPECT_APPROX(lent.transmissionSum, own.transmissionSum, kSumOrder);

  // Merit functions: the Strehl ratio from the wave values of the rays that went through.
  TSingleConfiguration configured(system);
  TOptimizationFunctions set;
  set.Rebuild(&configured);
  ClearWeights(set);
  TFunctionsParameters &beam = *set.Record(0, 0);
  beam.NrayInBeam = 21;
  Weigh(beam.Strehl, 1.0, 1.0);
  set.SetConfigurations();
  TCountingPump pump;
  set.runPump = &pump;
  set.Compute();
  const double D = system.info.entrancePupilDiameter;
  double sum = 0.0, sumSquares = 0.0, went = 0.0;
  for (int j = 0; j < beam.NrayInBeam; ++j) {
    const double a = beam.AberW.data[j].Value, lit = Stopped(D / 2.0 - j * D / (beam.NrayInBeam - 1)) ? 0.0 : 1.0;
    sum += lit * a, sumSquares += lit * a * a, went += lit;
  }
  const double variance = sumSquares / went - (sum / went) * (sum / went);
  EXPECT_APPROX(beam.Strehl.data[0].Value, std::exp(-variance * 4.0 * kPi * kPi), kSumOrder);
  // The merit counts the fan rays carried past what stopped them, which it weighs as open
  // (a ray in a lens array's gap finds no surface to go on through: a fault instead).
  EXPECT_EQ(set.fault.stoppedFanRays, GetParam() == kLensArrayGap ? 0 : beam.NrayInBeam - static_cast<int>(went));

  // The PSF sampling's estimate of the spot: the same whether DrawAllRays lends the flag.
  double discrete[2] = {0.0, 0.0};
  for (int lend : {0, 1}) {
    system.info.DrawAllRays = lend;
    int difrac = 0;
    EstimateDiffractionSampling(system, discrete[lend], difrac);
  }
  EXPECT_EQ(discrete[1], discrete[0]);
}

INSTANTIATE_TEST_SUITE_P(Stops, VignettedRays, testing::Values(kLensRim, kObscuration, kImageRim, kLensArrayGap));

}  // namespace
