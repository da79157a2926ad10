// The PSF sampling interval: the user's Discrete is a setting that the preparation never
// changes (0 asks for an automatic interval), and the interval PSF work samples at lives
// beside it, following the aperture and wavelength. Checked against the diffraction
// interval of the f/2.5 paraboloid worked out by hand, through the system file, copies and
// a PSF's own normalisation.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "foundation/testing/approx.h"
#include "optics/psf/tests/psf_test_support.h"

namespace {

// The paraboloid of focal length 100 with its stop (the file's entrance pupil) on the
// mirror: the exit pupil is that same disc, 100 before the focus.
constexpr double kFocalLength = 100.0;
constexpr double kPupilDiameter = 40.0;
constexpr double kWavelengthMm = 0.5875618e-3;
// Two computations of one sine and quotient.
constexpr double kRoundOff = 1e-12;
// The summed PSF against the transmission 1: single-precision nodes, 128^2 of them.
constexpr double kEnergyTolerance = 1e-4;

// Half a wavelength over the numerical aperture: the diffraction interval of the
// paraboloid with a pupil of the given diameter. Its rim ray from height h leaves the
// mirror's point h^2 / 4f deep for the focus f - h^2 / 4f away along the axis, at the sine
// h / (f + h^2 / 4f) (the point's distance from the focus is f + h^2 / 4f).
double HandInterval(double diameter) {
  const double h = diameter / 2.0;
  const double na = h / (kFocalLength + h * h / (4.0 * kFocalLength));
  return 0.5 * kWavelengthMm / na;
}

double Relative(double actual, double expected) { return actual / expected; }

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// Temporary files (copies through the file, the polychromatic sum) in the test's own folder.
class PsfInterval : public PsfTest {
 protected:
  void LoadAutomaticParabola(TOpticalSystem &system) {
    ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
    ASSERT_EQ(system.info.Discrete, 0.0);
    ASSERT_EQ(system.info.Dentr, kPupilDiameter);
    ASSERT_EQ(system.info.Difrac, 1);
  }
  static double PsfEnergy(const TOpticalSystem &system) {
    double sum = 0.0;
    const int n = system.info.Nd;
    for (long k = 0; k < static_cast<long>(n) * n; ++k) sum += system.workArray1.data[k];
    return sum;
  }
};

}  // namespace

TEST_F(PsfInterval, AnAutomaticIntervalStaysZeroThroughTheFileAndFollowsTheAperture) {
  TOpticalSystem system;
  LoadAutomaticParabola(system);
  // Prepared on reading: the setting stays 0, the interval in effect is 2.5 nodes to the
  // diffraction interval.
  EXPECT_EQ(system.info.Discrete, 0.0);
  EXPECT_APPROX(Relative(system.info.discreteInEffect, HandInterval(kPupilDiameter) / 2.5), 1.0,
                kRoundOff);

  const std::string path = Scratch("mirror.os");
  ASSERT_EQ(system.WriteFile(path.c_str()), 1);
  EXPECT_NE(ReadText(path).find("\nDiscrete=0\n"), std::string::npos) << ReadText(path);
  TOpticalSystem again;
  ASSERT_EQ(again.ReadFile(path, 0), 1);
  EXPECT_EQ(again.info.Discrete, 0.0);

  // Half the aperture: twice the interval, in effect at once, and still 0 in the file.
  again.info.Dentr = kPupilDiameter / 2.0;
  ASSERT_GE(again.Prepare(0.0, 1, 0), 1);
  EXPECT_EQ(again.info.Discrete, 0.0);
  const double expected = HandInterval(kPupilDiameter / 2.0) / kPsfNodesPerDiffractionInterval;
  EXPECT_APPROX(Relative(again.info.discreteInEffect, expected), 1.0, kRoundOff);
  ASSERT_EQ(again.WriteFile(path.c_str()), 1);
  EXPECT_NE(ReadText(path).find("\nDiscrete=0\n"), std::string::npos);

  // The PSF is sampled at it: a lossless mirror's PSF, times the node area, sums to 1.
  again.info.Nd = 128;
  ASSERT_GE(again.Prepare(0.0, 1, 0), 1);
  ASSERT_EQ(again.ComputePSFNodes(0.0, 0.0, 1), 1);
  EXPECT_APPROX(PsfEnergy(again) * expected * expected, 1.0, kEnergyTolerance);

  // Without diffraction the interval in effect is the diffraction interval itself.
  again.info.Difrac = 0;
  ASSERT_GE(again.Prepare(0.0, 1, 0), 1);
  EXPECT_APPROX(Relative(again.info.discreteInEffect, HandInterval(kPupilDiameter / 2.0)), 1.0,
                kRoundOff);
  EXPECT_EQ(again.info.Discrete, 0.0);
}

TEST_F(PsfInterval, TheSettingIsWhatTheUserGaveInCopiesAndThroughPreparation) {
  TOpticalSystem system;
  LoadAutomaticParabola(system);
  // Copies of a prepared automatic system are automatic too, and follow their own aperture.
  TOpticalSystem copy(system);
  EXPECT_EQ(copy.info.Discrete, 0.0);
  TOpticalSystem assigned;
  assigned = system;
  EXPECT_EQ(assigned.info.Discrete, 0.0);
  TOpticalSystem duplicate;
  ASSERT_EQ(duplicate.Duplicate(system), 1);
  EXPECT_EQ(duplicate.info.Discrete, 0.0);
  copy.info.Dentr = kPupilDiameter / 2.0;
  ASSERT_GE(copy.Prepare(0.0, 1, 0), 1);
  EXPECT_APPROX(Relative(copy.info.discreteInEffect,
                         HandInterval(kPupilDiameter / 2.0) / kPsfNodesPerDiffractionInterval),
                1.0, kRoundOff);

  // A value of the user's, one that prints to 17 digits, is kept bit for bit: through
  // preparation, a PSF, an aperture change, diffraction off, the file and the Strehl
  // estimates, which borrow the setting.
  const double given = std::nextafter(1.0 / 700.0, 1.0);
  system.info.Discrete = given;
  system.info.Nd = 64;
  ASSERT_GE(system.Prepare(0.0, 1, 0), 1);
  EXPECT_EQ(Bits(system.info.Discrete), Bits(given));
  EXPECT_EQ(Bits(system.info.discreteInEffect), Bits(given));
  ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  system.info.Dentr = kPupilDiameter / 2.0;
  system.info.Difrac = 0;
  ASSERT_GE(system.Prepare(0.0, 1, 0), 1);
  EXPECT_EQ(Bits(system.info.discreteInEffect), Bits(given));
  double peak = 0.0, wavefront = 0.0;
  system.StrehlEstimates(peak, wavefront, 64);
  EXPECT_EQ(Bits(system.info.Discrete), Bits(given));
  EXPECT_EQ(Bits(system.info.discreteInEffect), Bits(given));
  const std::string path = Scratch("given.os");
  ASSERT_EQ(system.WriteFile(path.c_str()), 1);
  TOpticalSystem again;
  ASSERT_EQ(again.ReadFile(path, 0), 1);
  EXPECT_EQ(Bits(again.info.Discrete), Bits(given));
  EXPECT_EQ(Bits(again.info.discreteInEffect), Bits(given));
}

TEST_F(PsfInterval, StrehlEstimatesLeaveAnAutomaticIntervalAutomatic) {
  TOpticalSystem system;
  LoadAutomaticParabola(system);
  const double before = system.info.discreteInEffect;
  double peak = 0.0, wavefront = 0.0;
  system.StrehlEstimates(peak, wavefront, 64);
  // The perfect mirror: both estimates near 1.
  EXPECT_GT(peak, 0.9);
  EXPECT_GT(wavefront, 0.99);
  EXPECT_EQ(system.info.Discrete, 0.0);
  EXPECT_APPROX(Relative(system.info.discreteInEffect, before), 1.0, kRoundOff);
}

// The spectrum's PSFs add node by node only at one interval: the one in effect at the mean
// wavelength, where the polychromatic PSF is centred, which the system reports afterwards
// as the interval of the PSF it holds.
TEST_F(PsfInterval, APolychromaticPsfKeepsTheMeanWavelengthsInterval) {
  TOpticalSystem system;
  LoadAutomaticParabola(system);
  system.info.MonochromeSystem = 0;
  system.info.Nd = 128;
  system.info.Spectrum.Allocate(2, 1);
  system.info.Spectrum.data[0].lambda = 0.45;
  system.info.Spectrum.data[0].weight = 1.0;
  system.info.Spectrum.data[1].lambda = 0.65;
  system.info.Spectrum.data[1].weight = 1.0;
  ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  EXPECT_EQ(system.info.Discrete, 0.0);
  // The mirror has no dispersion: the interval by hand at the mean wavelength, 0.55.
  const double atMean = HandInterval(kPupilDiameter) * 0.55 / (kWavelengthMm * 1e3);
  EXPECT_APPROX(Relative(system.info.discreteInEffect, atMean / kPsfNodesPerDiffractionInterval),
                1.0, kRoundOff);
  // Each wavelength's PSF sums to its weight over the node area, the weights to 2.
  const double interval = system.info.discreteInEffect;
  EXPECT_APPROX(PsfEnergy(system) * interval * interval / 2.0, 1.0, kEnergyTolerance);
}
