// PSF nodes of perfect and defocused systems against closed-form optics: the Debye integral
// of a fast mirror's own converging wave and its MTF cut-off, the energy in the grid, the
// geometric spot of a perfect focus, Strehl ratios, the polychromatic weights, and a
// cancelled job.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "foundation/interfaces/progress.h"
#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/psf/psf_nodes.h"
#include "optics/psf/psf_progress.h"
#include "optics/psf/tests/paraboloid_wave.h"
#include "optics/psf/pupil_direction_map.h"
#include "optics/psf/tests/psf_test_support.h"
#include "optics/whole/whole_system.h"

namespace {

// Sums of 16 000 single-precision nodes.
constexpr double kEnergyTolerance = 1e-4;
// Discrete pupil of 64 x 64 samples against the integral over the disc.
constexpr double kStrehlTolerance = 0.01;
// Maréchal's exp(-(2 pi sigma)^2) against the exact Strehl of pure defocus at sigma = 0.05.
constexpr double kMarechalTolerance = 0.01;
// The 42-sample fan variance against the same sum worked here.
constexpr double kFanTolerance = 1e-6;
// Ray binning rounds each image point to a node; the centroid keeps a few hundredths of one.
constexpr double kCentroidTolerance = 0.01;

constexpr double kFocalLength = 100.0;
constexpr double kPupilRadius = 20.0;
constexpr double kLambdaMm = 0.5875618e-3;

// Wave aberration (mm) at entrance-pupil height h when the image plane stands delta from
// the paraboloid's focus: a ray from height h meets the focus at sin(theta) = h / (f + h^2 /
// 4f), and measured against the chief ray's point on the plane it is delta (1 - cos(theta)).
double DefocusWave(double h, double delta) {
  const double s = h / (kFocalLength + h * h / (4.0 * kFocalLength));
  return delta * (1.0 - std::sqrt(1.0 - s * s));
}

// Strehl ratio |<exp(2 pi i W / lambda)>|^2 over the disc, and the variance of W in waves^2,
// by the midpoint rule in h (weight h dh).
void DiscStrehl(double delta, double &strehl, double &variance) {
  constexpr int steps = 20000;
  std::complex<double> mean = 0.0;
  double m1 = 0.0, m2 = 0.0, area = 0.0;
  for (int k = 0; k < steps; ++k) {
    const double h = (k + 0.5) * kPupilRadius / steps;
    const double w = DefocusWave(h, delta) / kLambdaMm;
    mean += std::polar(h, 2.0 * kPi * w);
    m1 += w * h;
    m2 += w * w * h;
    area += h;
  }
  strehl = std::norm(mean / area);
  variance = m2 / area - (m1 / area) * (m1 / area);
}

// Sets the grid pitch to 1/oversampling of the default, so the pupil fills 1/oversampling
// of the grid and the PSF is sampled that much finer.
void Oversample(TOpticalSystem &system, int nd, double oversampling) {
  system.info.Nd = nd;
  system.info.Discrete = 0.0;
  system.Prepare(0.0, 1, 0);
  system.info.Discrete = system.info.discreteInEffect / oversampling;
  system.Prepare(0.0, 1, 0);
}

// The MTF along y at zero frequency across: the line spread along the rows, transformed by
// a plain DFT, against its value at zero frequency; the first frequency node where it has
// fallen below `level`.
int MtfCutoffNode(const TOpticalSystem &system, double level) {
  const int nd = system.info.Nd;
  std::vector<double> line(nd, 0.0);
  for (int i = 0; i < nd; ++i)
    for (int c = 0; c < nd; ++c) line[i] += system.workArray1.data[static_cast<long>(i) * nd + c];
  double zero = 0.0;
  for (double v : line) zero += v;
  for (int m = 1; m < nd / 2; ++m) {
    std::complex<double> sum = 0.0;
    for (int i = 0; i < nd; ++i) sum += std::polar(line[i], -2.0 * kPi * m * i / nd);
    if (std::abs(sum) < level * zero) return m;
  }
  return nd / 2;
}

// A paraboloid at F/1, F/2 and F/3 on the axis, its PSF sampled 20 nodes to the diffraction
// interval: the first dark ring lies where its own converging wave's Debye integral has
// its first zero (not the Airy radius 0.61 lambda / NA: at F/1 the brighter rim of the
// wave draws it in by 2.4 %), and the MTF ends at 2 NA / lambda, each within the one node
// that sampling leaves.
TEST_F(PsfTest, FastMirrorsPsfDarkRingAndMtfCutoffFollowTheirRealAperture) {
  // Far below the MTF of two rim samples' product (about 1e-3 here), far above the
  // single-precision floor of the transform.
  constexpr double kMtfZero = 1e-5;
  constexpr int kNodes = 1024;
  constexpr double kNodesPerInterval = 20.0;
  for (double fNumber : {1.0, 2.0, 3.0}) {
    SCOPED_TRACE(fNumber);
    TOpticalSystem system;
    LoadParabola(system);
    const double h = kFocalLength / fNumber / 2.0;
    system.info.Dentr = 2.0 * h;
    // Room around the pupil on the starting plane and the mirror, which is the stop.
    for (int i = 0; i < 2; ++i)
      system.Surface(i)->general.semiHeightExt = system.Surface(i)->general.semiWidthExt = 1.2 * h;
    const double na = ParaboloidAperture(kFocalLength, h);
    const double interval = 0.5 * kLambdaMm / na;
    system.info.Nd = kNodes;
    system.info.Discrete = interval / kNodesPerInterval;
    ASSERT_GE(system.Prepare(0.0, 1, 0), 1);
    // The interval of the system's own is that of the real aperture.
    EXPECT_APPROX(system.DiffractionInterval(), interval, 1e-9);
    ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);

    const int centre = kNodes / 2;
    const double peak = MaxOfFloats(system.workArray1);
    EXPECT_EQ(Node(system, centre, centre), static_cast<float>(peak));
    const double zeroNodes = DebyeFirstZero(kFocalLength, na, kLambdaMm) / system.info.Discrete;
    // The first dark node along a row and along a column.
    for (int direction = 0; direction < 2; ++direction) {
      int k = 1;
      const auto at = [&](int n) {
        return direction == 0 ? Node(system, centre, centre + n) : Node(system, centre - n, centre);
      };
      while (k < centre - 1 && !(at(k) <= at(k - 1) && at(k) <= at(k + 1))) ++k;
      EXPECT_NEAR(k, zeroNodes, 1.0) << (direction == 0 ? "row" : "column");
    }
    // The cut-off 2 NA / lambda, in frequency nodes 1 / (Nd Discrete).
    const double cutoffNodes = 2.0 * na / kLambdaMm * kNodes * system.info.Discrete;
    EXPECT_NEAR(MtfCutoffNode(system, kMtfZero), cutoffNodes, 1.0);
  }
}

TEST_F(PsfTest, EnergyOverTheGridIsTheTransmission) {
  TOpticalSystem system;
  LoadParabola(system);
  system.Surface(1)->general.Tau = 0.81;  // the mirror reflects 81 %
  Oversample(system, 128, 2.0);
  ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  double sum = 0.0;
  for (int k = 0; k < 128 * 128; ++k) sum += system.workArray1.data[k];
  const double nodeArea = system.info.Discrete * system.info.Discrete;
  EXPECT_APPROX(sum * nodeArea, 0.81, kEnergyTolerance);
}

// A holographic surface without phase terms bends no ray, so each added order is the
// perfect focus again: the diffraction PSF of order 1 plus the geometric spots of orders -3
// and 5, each weighted by the power of its order.
TEST_F(PsfTest, HolographicOrdersAddTheirWeightedPsfs) {
  TOpticalSystem system;
  LoadParabola(system);
  THOEParameters hologram;
  hologram.pD = 1;
  hologram.Quantum = 4;
  system.Surface(0)->SetHOE(hologram, 0);
  system.info.hoeOrderCount = 1;
  Oversample(system, 128, 2.0);
  ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  double sum = 0.0;
  for (int k = 0; k < 128 * 128; ++k) sum += system.workArray1.data[k];
  const double nodeArea = system.info.Discrete * system.info.Discrete;
  const double w1 = 8.0 / (kPi * kPi);
  const double wMinus3 = std::pow(4.0 * std::sin(-3.0 * kPi / 4.0) / (-3.0 * kPi), 2);
  const double w5 = std::pow(4.0 * std::sin(5.0 * kPi / 4.0) / (5.0 * kPi), 2);
  EXPECT_APPROX(sum * nodeArea, w1 + wMinus3 + w5, kEnergyTolerance);
  EXPECT_EQ(system.Surface(0)->hoe->pD, 1);
  EXPECT_EQ(system.info.Difrac, 1);

  // Without added orders only the design order's own PSF is made, at full weight.
  system.info.hoeOrderCount = 0;
  ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  sum = 0.0;
  for (int k = 0; k < 128 * 128; ++k) sum += system.workArray1.data[k];
  EXPECT_APPROX(sum * nodeArea, 1.0, kEnergyTolerance);
}

TEST_F(PsfTest, GeometricSpotOfAPerfectFocusIsOneNodeHoldingAllRays) {
  TOpticalSystem system;
  LoadParabola(system);
  system.info.Difrac = 0;
  system.Prepare(0.0, 1, 0);
  const int nd = system.info.Nd;
  const TPSFSampleInfo stats = system.SampleGeometricSpot(0.0, 0.0, 1);
  // Ring q holds 2q + 1 rays: Nd^2 in all.
  EXPECT_EQ(stats.count, nd * nd);
  EXPECT_APPROX(stats.transmissionSum, static_cast<double>(nd * nd), kEnergyTolerance);
  ASSERT_EQ(system.ComputePSFNodes(0.0, 0.0, 1), 1);
  const double nodeArea = system.info.discreteInEffect * system.info.discreteInEffect;
  EXPECT_APPROX(Node(system, nd / 2, nd / 2) * nodeArea, 1.0, kEnergyTolerance);
  EXPECT_APPROX(MaxOfFloats(system.workArray1), Node(system, nd / 2, nd / 2), 0.0);
}

// The outermost ring of the geometric sampling has radius (Nd - 1/2) R / Nd, with R the
// pupil radius for a round stop and the half-diagonal for a square one; its path
// difference in a defocused system tells how far it reached.
TEST_F(PsfTest, GeometricRingsReachThePupilRimOrTheSquaresHalfDiagonal) {
  TOpticalSystem system;
  LoadParabola(system);
  constexpr double delta = 0.01;
  DPOINT3 image = system.GetSurfacePosition(2, 0, kGlobalFrame);
  image.x += delta;
  system.SetSurfacePosition(2, 0, image, kGlobalFrame);
  system.info.Difrac = 0;
  system.Prepare(0.0, 1, 0);
  const int nd = system.info.Nd;
  const auto extreme = [](const TPSFSampleInfo &stats) {
    return std::fmax(std::fabs(stats.smallestPathDifference),
                     std::fabs(stats.largestPathDifference));
  };
  const double roundRim = (nd - 0.5) / nd * kPupilRadius;
  EXPECT_APPROX(extreme(system.SampleGeometricSpot(0.0, 0.0, 1)), DefocusWave(roundRim, delta),
                1e-9);
  // The mirror's 25 mm square passes the 45 degree rays of the outermost ring.
  system.Surface(system.info.stopIndex)->general.boundTypeExt = kBoundSquare;
  const double squareRim = (nd - 0.5) / nd * std::sqrt(2.0) * kPupilRadius;
  EXPECT_APPROX(extreme(system.SampleGeometricSpot(0.0, 0.0, 1)), DefocusWave(squareRim, delta),
                1e-9);
}

TEST_F(PsfTest, PerfectSystemHasStrehlOneByBothEstimates) {
  TOpticalSystem system;
  LoadParabola(system);
  double ratio = 0.0, estimate = 0.0;
  system.StrehlEstimates(ratio, estimate, 64);
  EXPECT_APPROX(ratio, 1.0, 1e-5);
  EXPECT_APPROX(estimate, 1.0, 1e-9);
  EXPECT_EQ(system.info.Nd, 64);
  EXPECT_EQ(system.info.aberrationFree, 0);
}

TEST_F(PsfTest, DefocusLowersTheStrehlAsTheWavefrontVariancePredicts) {
  TOpticalSystem system;
  LoadParabola(system);
  // sigma = 0.05 waves: W20 = sqrt(12) sigma lambda and W20 ~ delta sin^2(theta_max) / 2.
  const double sineMax = kPupilRadius / (kFocalLength + kPupilRadius * kPupilRadius / 400.0);
  const double delta = 2.0 * std::sqrt(12.0) * 0.05 * kLambdaMm / (sineMax * sineMax);
  DPOINT3 image = system.GetSurfacePosition(2, 0, kGlobalFrame);
  image.x += delta;
  system.SetSurfacePosition(2, 0, image, kGlobalFrame);

  double ratio = 0.0, estimate = 0.0;
  system.StrehlEstimates(ratio, estimate, 64);
  double exact = 0.0, variance = 0.0;
  DiscStrehl(delta, exact, variance);
  ASSERT_NEAR(std::sqrt(variance), 0.05, 0.002);
  EXPECT_APPROX(ratio, exact, kStrehlTolerance);
  EXPECT_APPROX(ratio, std::exp(-4.0 * kPi * kPi * variance), kMarechalTolerance);
  EXPECT_LT(ratio, 0.95);

  // The estimate from the two fans: 21 heights 20, 18, ..., -20, each twice.
  double sum = 0.0, squares = 0.0;
  for (int i = 0; i <= 20; ++i) {
    const double w = DefocusWave(std::fabs(20.0 - 2.0 * i), delta) / kLambdaMm;
    sum += 2.0 * w;
    squares += 2.0 * w * w;
  }
  const double fanVariance = squares / 42.0 - (sum / 42.0) * (sum / 42.0);
  EXPECT_APPROX(estimate, std::exp(-4.0 * kPi * kPi * fanVariance), kFanTolerance);
}

// Makes the system polychromatic with the given wavelengths and weights.
void SetSpectrum(TOpticalSystem &system, std::initializer_list<TSpectralInfo> entries) {
  ASSERT_TRUE(system.info.Spectrum.Allocate(static_cast<int>(entries.size()), 1));
  int i = 0;
  for (const TSpectralInfo &entry : entries) system.info.Spectrum.data[i++] = entry;
  system.info.MonochromeSystem = 0;
}

std::vector<float> MonochromaticPsf(TOpticalSystem &system, double lambda, double discrete) {
  system.info.MonochromeSystem = 1;
  system.info.LambdaW = lambda;
  system.info.Discrete = discrete;
  EXPECT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  return std::vector<float>(system.workArray1.data,
                            system.workArray1.data + system.info.Nd * system.info.Nd);
}

TEST_F(PsfTest, PolychromaticSumWeightsEachWavelength) {
  TOpticalSystem system;
  LoadParabola(system);
  system.info.Nd = 64;
  constexpr double kPitch = 0.0005;
  const std::vector<float> blue = MonochromaticPsf(system, 0.48, kPitch);
  const std::vector<float> red = MonochromaticPsf(system, 0.65, kPitch);
  // The two differ: the Airy disc grows with the wavelength on a fixed grid.
  const int centre = 32 * 64 + 32;
  ASSERT_GT(std::fabs(blue[centre + 3] / blue[centre] - red[centre + 3] / red[centre]), 0.01);

  SetSpectrum(system, {{0.48, 1.0}, {0.65, 2.0}});
  system.info.LambdaW = 0.5875618;
  system.info.Discrete = kPitch;
  ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  const double peak = blue[centre] + 2.0 * red[centre];
  for (int k = 0; k < 64 * 64; ++k)
    ASSERT_NEAR(system.workArray1.data[k], blue[k] + 2.0 * red[k], 1e-5 * peak) << "node " << k;
  EXPECT_APPROX(system.info.LambdaW, 0.5875618, 0.0);
  EXPECT_EQ(TempFileCount(), 0);
}

TEST_F(PsfTest, WithoutATemporaryDirectoryTheSumIsKeptInMemory) {
  TOpticalSystem system;
  LoadParabola(system);
  system.info.Nd = 64;
  SetSpectrum(system, {{0.48, 1.0}, {0.65, 2.0}});
  system.info.Discrete = 0.0005;
  ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  const std::vector<float> throughFile(system.workArray1.data, system.workArray1.data + 64 * 64);
  SetTempDir(Scratch("missing/deeper"));
  system.info.Discrete = 0.0005;
  ASSERT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  for (int k = 0; k < 64 * 64; ++k) ASSERT_EQ(system.workArray1.data[k], throughFile[k]) << k;
  EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(PsfTest, SystemsWithoutLightMakeNoPsf) {
  TOpticalSystem empty;
  EXPECT_EQ(empty.ComputePolychromaticPSF(0.0, 0.0), 0);
  EXPECT_EQ(empty.ComputePSFNodes(0.0, 0.0, 1), 0);

  // An obscuration as large as the mirror stops every ray.
  TOpticalSystem blocked;
  LoadParabola(blocked);
  blocked.Surface(1)->general.semiHeightInt = 30.0;
  blocked.Surface(1)->general.semiWidthInt = 30.0;
  EXPECT_EQ(blocked.ComputePolychromaticPSF(0.0, 0.0), 0);
  blocked.info.Difrac = 0;
  EXPECT_EQ(blocked.ComputePolychromaticPSF(0.0, 0.0), 0);
  double ratio = -1.0, estimate = -1.0;
  blocked.StrehlEstimates(ratio, estimate, 64);
  EXPECT_EQ(ratio, 0.0);
  EXPECT_EQ(estimate, 1.0);
}

// A gauge that answers Escape at one step.
class EscapeGauge final : public TProgressGauge {
 public:
  explicit EscapeGauge(int step) : step_(step) {}
  int StepAndPump(double position) override { return static_cast<int>(position) == step_ ? 0 : 1; }
  int Maximum() const override { return 1000; }
  void SetText(const char *) override {}

 private:
  int step_;
};

TEST_F(PsfTest, EscapeEndsThePolychromaticJobAsCancelledWithoutLeavingItsFile) {
  TOpticalSystem system;
  LoadParabola(system);
  SetSpectrum(system, {{0.48, 1.0}, {0.55, 1.0}, {0.65, 1.0}});
  // Escape while the second wavelength is sampled (64 rows each).
  EscapeGauge gauge(64 + 10);
  SetPsfGauge(&gauge);
  BeginPsfJob();
  const int result = system.ComputePolychromaticPSF(0.0, 0.0);
  SetPsfGauge(nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(PsfCancelled());
  EXPECT_EQ(PsfStepCounter(), 64 + 10);
  EXPECT_EQ(TempFileCount(), 0);
  EXPECT_APPROX(system.info.LambdaW, 0.5875618, 0.0);

  // The next job starts afresh and succeeds.
  BeginPsfJob();
  EXPECT_EQ(system.ComputePolychromaticPSF(0.0, 0.0), 1);
  EXPECT_FALSE(PsfCancelled());
  EXPECT_EQ(PsfStepCounter(), 3 * 64);
}

TEST_F(PsfTest, EscapeDuringAMonochromaticSamplingIsNoPsf) {
  TOpticalSystem system;
  LoadParabola(system);
  EscapeGauge gauge(5);
  SetPsfGauge(&gauge);
  BeginPsfJob();
  EXPECT_EQ(system.SampleDiffractionPupil(0.0, 0.0, 1).count, kPsfCancelled);
  BeginPsfJob();
  EXPECT_EQ(system.ComputePSFNodes(0.0, 0.0, 1), 0);
  SetPsfGauge(nullptr);
}

// Intensity centroid of the PSF in nodes from the centre node: (up, along) = (y, z).
void PsfCentroid(const TOpticalSystem &system, double &up, double &along) {
  const int nd = system.info.Nd;
  double sum = 0.0, sy = 0.0, sz = 0.0;
  for (int r = 0; r < nd; ++r)
    for (int c = 0; c < nd; ++c) {
      const double v = system.workArray1.data[r * nd + c];
      sum += v;
      sy += (nd / 2 - r) * v;
      sz += (c - nd / 2) * v;
    }
  up = sum > 0.0 ? sy / sum : 0.0;
  along = sum > 0.0 ? sz / sum : 0.0;
}

// The centroid of a diffraction image is the pupil mean of the wavefront slope, which is the
// mean transverse ray aberration: the coma flare of the paraboloid off axis must sit at the
// same place, on the same side and at the same node scale, in both samplings.
TEST_F(PsfTest, DiffractionAndGeometricPsfsOfComaShareTheirCentroid) {
  TOpticalSystem system;
  LoadParabola(system);
  system.info.Nd = 256;
  system.info.Discrete = 0.0;
  system.Prepare(0.0, 1, 0);
  // The pupil over the whole grid: its finest sampling.
  system.info.Discrete = system.DiffractionInterval();
  system.Prepare(0.0, 1, 0);
  const double field = 0.5;
  system.info.Difrac = 1;
  ASSERT_EQ(system.ComputePSFNodes(field, 0.0, 1), 1);
  double waveUp = 0.0, waveAlong = 0.0;
  PsfCentroid(system, waveUp, waveAlong);
  system.info.Difrac = 0;
  ASSERT_EQ(system.ComputePSFNodes(field, 0.0, 1), 1);
  double rayUp = 0.0, rayAlong = 0.0;
  PsfCentroid(system, rayUp, rayAlong);
  // Coma of a few nodes, away from the chief ray's point in the meridian only.
  EXPECT_GT(std::fabs(rayUp), 2.0);
  EXPECT_LT(std::fabs(rayAlong), 0.05);
  EXPECT_APPROX(waveUp, rayUp, kCentroidTolerance);
  EXPECT_LT(std::fabs(waveAlong), 0.05);
}

// On the axis of the paraboloid the pupil's rim leaves at the sine NA = h / (f + h^2 / 4f):
// the samples, evenly spaced in direction cosines, are those within NA of the chief ray.
TEST_F(PsfTest, CircularStopSamplesOnlyTheDiscAndARectangleFillsItsBox) {
  TOpticalSystem system;
  LoadParabola(system);
  // The pupil over nearly the whole grid, its rim clear of every node.
  system.info.Discrete = system.DiffractionInterval() / 1.05;
  system.SetupFieldSampling();
  const int nd = system.info.Nd;
  const double dt = PupilGridStep(system.info);
  const double na = ParaboloidAperture(kFocalLength, kPupilRadius);
  int inDisc = 0;
  for (int i = 0; i < nd; ++i)
    for (int c = 0; c < nd; ++c) {
      const double ty = (nd / 2 - i) * dt, tz = (c - nd / 2) * dt;
      if (ty * ty + tz * tz <= na * na) ++inDisc;
    }
  EXPECT_EQ(system.SampleDiffractionPupil(0.0, 0.0, 1).count, inDisc);
  // The pupil spans 64 / 1.05 steps: close to pi/4 of that square of samples.
  EXPECT_NEAR(inDisc / std::pow(64.0 / 1.05, 2), kPi / 4.0, 0.01);
  // A square stop of the same side holds the square's samples, about 4 / pi as many.
  system.Surface(system.info.stopIndex)->general.boundTypeExt = kBoundSquare;
  EXPECT_NEAR(system.SampleDiffractionPupil(0.0, 0.0, 1).count / (inDisc * 4.0 / kPi), 1.0, 0.02);
}

}  // namespace
