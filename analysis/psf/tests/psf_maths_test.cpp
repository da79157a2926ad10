#include "analysis/psf/psf_maths.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// The f/2.5 paraboloid's rim ray from 20 mm leaves its mirror point 101 mm from the focus.
constexpr double kRimSine = 20.0 / 101.0;
// Single-precision FFT over 256^2 to 1024^2 points: a few 1e-6 relative per pass.
constexpr double kFloatTransform = 2e-5;
// Midpoint sums of a smooth PSF sampled at an eighth of its width: well under 0.1 %; the
// Airy pattern's energy outside a raster 64 widths across is about 0.1 % more.
constexpr double kEnsquaredAiry = 0.004;
// Float pixels summed in double: rounding of the pixel values only.
constexpr double kEnsquaredGauss = 1e-6;
// The diffraction MTF from a PSF sampled on a finite pupil grid against the uniform disc's:
// the disc of 64 samples across counted in whole samples, and the paraboloid's converging
// wave 3 % brighter at its rim than at its centre, together a few thousandths.
constexpr double kSampledMtf = 0.005;

// Rasters read back by the sum from memory.
struct Stored {
  std::vector<std::vector<float>> rasters;
  static int Read(void *context, int index, float *pixels) {
    const auto &r = static_cast<Stored *>(context)->rasters[index];
    std::copy(r.begin(), r.end(), pixels);
    return 1;
  }
};

// I0 [2 J1(x) / x]^2 with x = pi r / (lambda N), r in units of lambda N, on an n x n grid
// of the given pixel, peak at (n/2, n/2). The pattern is the same in the eight octants
// around the peak: the Bessel function, the costly part, is evaluated in one of them.
std::vector<float> AiryRaster(int n, double pixel) {
  const int half = n / 2;
  const auto side = static_cast<std::size_t>(half) + 1;
  std::vector<float> octant(side * side);
  for (int dr = 0; dr <= half; ++dr)
    for (int dc = 0; dc <= dr; ++dc) {
      const double x = kPi * pixel * std::hypot(dr, dc);
      const double a = x == 0.0 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, x) / x;
      octant[static_cast<std::size_t>(dr) * side + static_cast<std::size_t>(dc)] =
          static_cast<float>(a * a);
    }
  std::vector<float> raster(static_cast<std::size_t>(n) * n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const int dr = std::abs(r - half), dc = std::abs(c - half);
      raster[static_cast<std::size_t>(r) * n + c] =
          octant[static_cast<std::size_t>(std::max(dr, dc)) * side +
                 static_cast<std::size_t>(std::min(dr, dc))];
    }
  return raster;
}

// A round Gaussian of width sigma (pixels) integrated over each pixel: the product of the
// error-function differences across the pixel's edges, so a block of pixels holds exactly
// the Gaussian's integral over the block.
std::vector<float> IntegratedGaussRaster(int n, double sigma, int centre) {
  auto share = [&](int i) {
    const double s = std::sqrt(2.0) * sigma;
    return 0.5 * (std::erf((i - centre + 0.5) / s) - std::erf((i - centre - 0.5) / s));
  };
  std::vector<float> raster(static_cast<std::size_t>(n) * n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      raster[static_cast<std::size_t>(r) * n + c] = static_cast<float>(share(r) * share(c));
  return raster;
}

std::vector<float> GaussRaster(int n, double sigma, int rowCentre, int columnCentre) {
  std::vector<float> raster(static_cast<std::size_t>(n) * n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const double d2 = (r - rowCentre) * (r - rowCentre) + (c - columnCentre) * (c - columnCentre);
      raster[static_cast<std::size_t>(r) * n + c] =
          static_cast<float>(std::exp(-d2 / (2.0 * sigma * sigma)));
    }
  return raster;
}

Mem<DPOINT3> Concentration(int n, const std::vector<float> &raster) {
  Mem<double> cumulative;
  const DPOINT3 peak = FindPeakAndCumulate(n, raster.data(), cumulative);
  Mem<DPOINT3> curve;
  EXPECT_EQ(ComputeEnergyConcentration(n, cumulative, peak, curve), 1);
  return curve;
}

TEST(EnergyConcentration, AiryPatternEnsquaredEnergy) {
  // Published ensquared energies of the Airy pattern for squares of half-width a (in
  // lambda N): 52.9 %, 83.4 %, 91.1 % and 94.0 % at 0.5, 1, 2 and 3.
  const int n = 1024;
  const double pixel = 1.0 / 8.0;
  const Mem<DPOINT3> curve = Concentration(n, AiryRaster(n, pixel));
  const double halfWidths[4] = {0.5, 1.0, 2.0, 3.0};
  const double published[4] = {0.529, 0.834, 0.911, 0.940};
  for (int i = 0; i < 4; ++i)
    EXPECT_NEAR(EnergyAtSize(curve, 2.0 * halfWidths[i] / pixel, 1.0), published[i], kEnsquaredAiry)
        << halfWidths[i];
}

TEST(EnergyConcentration, GaussianFollowsTheErrorFunction) {
  // A square of side s holds erf(s / (2 sqrt 2 sigma))^2 of a round Gaussian; the squares
  // of odd pixel counts are centred on the peak pixel, so no interpolation is needed; the
  // pixels hold the Gaussian's integral over themselves.
  const int n = 256;
  const double sigma = 6.0;
  const Mem<DPOINT3> curve = Concentration(n, IntegratedGaussRaster(n, sigma, 128));
  for (int k : {0, 1, 3, 6, 10, 20}) {
    const double s = 2.0 * k + 1.0;
    const double e = std::erf(s / (2.0 * std::sqrt(2.0) * sigma));
    EXPECT_NEAR(curve.data[k].z, e * e, kEnsquaredGauss) << k;
    EXPECT_EQ(curve.data[k].x, 128.0);
    EXPECT_EQ(curve.data[k].y, 128.0);
  }
}

TEST(EnergyConcentration, CentreFollowsAnOffCentrePeak) {
  const int n = 128;
  const Mem<DPOINT3> curve = Concentration(n, GaussRaster(n, 3.0, 65, 63));
  for (int k = 0; k < n / 2 - 8; ++k) {
    EXPECT_EQ(curve.data[k].x, 63.0) << k;
    EXPECT_EQ(curve.data[k].y, 65.0) << k;
  }
}

TEST(EnergyConcentration, SinglePixelAnywhereHoldsAllTheEnergy) {
  // Squares centred on the pixel include it at every size, in the first row too.
  for (int where : {0, 5}) {
    const int n = 16;
    std::vector<float> raster(n * n, 0.0f);
    raster[where * n + where] = 2.0f;
    const Mem<DPOINT3> curve = Concentration(n, raster);
    ASSERT_EQ(curve.cols, 8);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(curve.data[k].z, 1.0) << where << " " << k;
  }
}

TEST(EnergyConcentration, EmptyRasterWarnsAndKeepsTheCurve) {
  TRecordingMessageBoxProvider boxes;
  const int n = 8;
  std::vector<float> raster(n * n, 0.0f);
  Mem<double> cumulative;
  const DPOINT3 peak = FindPeakAndCumulate(n, raster.data(), cumulative);
  EXPECT_EQ(peak.z, 0.0);
  Mem<DPOINT3> curve(3, 1);
  curve.data[1].z = 0.5;
  EXPECT_EQ(ComputeEnergyConcentration(n, cumulative, peak, curve), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Not enough information");
  EXPECT_EQ(curve.cols, 3);
  EXPECT_EQ(curve.data[1].z, 0.5);
}

TEST(EnergyConcentration, SizesBetweenEntriesInterpolate) {
  Mem<DPOINT3> curve(3, 1);
  curve.data[0].z = 0.2;
  curve.data[1].z = 0.6;
  curve.data[2].z = 0.9;
  const double pixel = 0.01;
  EXPECT_EQ(EnergyAtSize(curve, 0.5 * pixel, pixel), 0.0);  // below one pixel
  EXPECT_APPROX(EnergyAtSize(curve, pixel, pixel), 0.2, 1e-12);
  EXPECT_APPROX(EnergyAtSize(curve, 2.0 * pixel, pixel), 0.4, 1e-12);
  EXPECT_APPROX(EnergyAtSize(curve, 5.0 * pixel, pixel), 0.9, 1e-12);
  EXPECT_APPROX(EnergyAtSize(curve, 50.0 * pixel, pixel), 0.9, 1e-12);
}

TEST(Mtf, GaussianPsfGivesAGaussianMtf) {
  // The transform of exp(-y^2 / 2 sy^2 - z^2 / 2 sz^2) is exp(-2 pi^2 (sy^2 fy^2 + sz^2 fz^2)),
  // f in cycles per pixel = t / n at t steps from the centre. The PSF grid's rows run down
  // y: a PSF long in y has the lower response to a frequency along y, the meridional one.
  const int n = 256;
  const struct {
    double sigmaY, sigmaZ;  // pixels
  } rows[] = {{2.5, 2.5}, {4.0, 1.5}, {1.5, 4.0}};
  for (const auto &row : rows) {
    // Wrapped about pixel (0, 0), so the transform is real and positive.
    std::vector<float> raster(n * n);
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        const int dy = std::min(r, n - r), dz = std::min(c, n - c);
        raster[r * n + c] = static_cast<float>(std::exp(-0.5 * (dy * dy / (row.sigmaY * row.sigmaY) +
                                                                 dz * dz / (row.sigmaZ * row.sigmaZ))));
      }
    std::vector<float> imaginary(n * n);
    ASSERT_EQ(MtfFromPsf(n, raster.data(), imaginary.data()), 1);
    EXPECT_APPROX(raster[(n / 2) * n + n / 2], 1.0, kFloatTransform);
    for (int t : {1, 5, 10, 20, 30}) {
      const double nu = static_cast<double>(t) / n;
      const double alongY = std::exp(-2.0 * kPi * kPi * row.sigmaY * row.sigmaY * nu * nu);
      const double alongZ = std::exp(-2.0 * kPi * kPi * row.sigmaZ * row.sigmaZ * nu * nu);
      EXPECT_NEAR(MtfSectionValue(n, raster.data(), t, TPsfGridAxis::kMeridional), alongY, kFloatTransform)
          << row.sigmaY << " " << t;
      EXPECT_NEAR(MtfSectionValue(n, raster.data(), t, TPsfGridAxis::kSagittal), alongZ, kFloatTransform)
          << row.sigmaZ << " " << t;
    }
    EXPECT_EQ(MtfSectionValue(n, raster.data(), n / 2, TPsfGridAxis::kMeridional), 0.0);
  }
}

TEST(Mtf, ASectionIsTheTransformOfThePsfAtAnyFrequency) {
  // Random light on 32 x 32 pixels from a seed, sections along the axes, their opposites
  // and oblique directions, at frequencies on and between the grid's: our own 2-D sum over
  // every pixel (y = c - row, z = column - c). Oblique lines share a pixel between bins.
  constexpr int n = 32, c = n / 2;
  std::srand(113);
  std::vector<float> psf(n * n);
  for (float &v : psf) v = static_cast<float>(std::rand() % 1000) / 1000.0f;
  psf[3 * n + 29] = 50.0f;  // a strong point off the centre: the response swings
  double total = 0.0;
  for (float v : psf) total += v;
  const struct {
    TSectionDirection d;
    double tolerance;
  } rows[] = {{{1.0, 0.0}, 1e-12}, {{0.0, 1.0}, 1e-12}, {{-1.0, 0.0}, 1e-12}, {{0.0, -1.0}, 1e-12},
              {{0.6, 0.8}, 3e-4},  {{-0.8, 0.6}, 3e-4}, {{0.28, -0.96}, 3e-4}};
  for (const auto &row : rows) {
    TMtfSection section;
    ASSERT_EQ(section.Project(n, psf.data(), row.d), 1);
    for (double t = 0.0; t < c; t += 0.37) {
      double re = 0.0, im = 0.0;
      for (int r = 0; r < n; ++r)
        for (int k = 0; k < n; ++k) {
          const double phase = 2.0 * kPi * t / n * ((c - r) * row.d.y + (k - c) * row.d.z);
          re += psf[r * n + k] * std::cos(phase), im += psf[r * n + k] * std::sin(phase);
        }
      EXPECT_NEAR(section.Value(t), std::hypot(re, im) / total, row.tolerance) << row.d.y << " " << row.d.z << " " << t;
    }
    EXPECT_EQ(section.Value(c), 0.0);
    EXPECT_EQ(section.Value(-0.5), 0.0);
  }
  TMtfSection dark;
  std::vector<float> none(n * n, 0.0f);
  EXPECT_EQ(dark.Project(n, none.data(), TSectionDirection{}), 1);
  EXPECT_EQ(dark.Value(1.0), 0.0);
  EXPECT_EQ(dark.Project(n, nullptr, TSectionDirection{}), 0);
}

TEST(Mtf, AllZeroPsfDividesByOne) {
  const int n = 8;
  std::vector<float> raster(n * n, 0.0f), imaginary(n * n);
  ASSERT_EQ(MtfFromPsf(n, raster.data(), imaginary.data()), 1);
  for (float v : raster) EXPECT_EQ(v, 0.0f);
  std::vector<float> odd(6 * 6, 1.0f), work(36);
  EXPECT_EQ(MtfFromPsf(6, odd.data(), work.data()), 0);
}

using PsfOptics = PupilTest;

TEST_F(PsfOptics, PerfectLensMtfIsThePupilAutocorrelation) {
  // A paraboloid at f/2.5 images the axial point without aberration: its MTF at
  // v = nu lambda / (2 NA) is (2 / pi)(acos v - v sqrt(1 - v^2)): 0.6850 at 0.25, 0.3910 at
  // 0.5, with NA = 20 / 101 the sine of its rim ray at the focus.
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  system.info.Nd = 256;
  system.info.Difrac = 1;
  // Nodes a quarter of lambda N apart: the MTF's cutoff 1 / (lambda N) lies well inside
  // the raster's frequency range (the pupil then spans a quarter of the grid).
  const double lambdaN = system.info.LambdaW * 1e-3 * 100.0 / 40.0;
  system.info.Discrete = lambdaN / 4.0;
  ASSERT_GE(system.Prepare(0.0, 1, 0), 0);
  ASSERT_EQ(system.ComputePSFNodes(0.0, 0.0, 1), 1);
  const int n = system.info.Nd;
  std::vector<float> raster(system.workArray1.data, system.workArray1.data + n * n);
  std::vector<float> imaginary(n * n);
  ASSERT_EQ(MtfFromPsf(n, raster.data(), imaginary.data()), 1);
  const double step = 1.0 / (n * system.info.Discrete);  // cycles per mm per pixel
  for (double v : {0.25, 0.5}) {
    const double expected = 2.0 / kPi * (std::acos(v) - v * std::sqrt(1.0 - v * v));
    const double t = v * 2.0 * kRimSine / (system.info.LambdaW * 1e-3) / step;
    EXPECT_NEAR(MtfSectionValue(n, raster.data(), t, TPsfGridAxis::kMeridional), expected, kSampledMtf) << v;
    EXPECT_NEAR(MtfSectionValue(n, raster.data(), t, TPsfGridAxis::kSagittal), expected, kSampledMtf) << v;
  }
}

TEST(WavelengthSum, OneRasterIsCopiedAndTwoEqualWeightsAreAveraged) {
  const int n = 4;
  Stored stored;
  stored.rasters = {std::vector<float>(16, 2.0f), std::vector<float>(16, 4.0f)};
  TWavelengthRaster list[2];
  for (int i = 0; i < 2; ++i) {
    list[i].read = Stored::Read;
    list[i].context = &stored;
    list[i].index = i;
  }
  list[0].lambda = 0.5;
  list[1].lambda = 0.6;
  Mem<float> sum;
  ASSERT_EQ(SumOverWavelengths(list, 1, n, sum), 1);
  EXPECT_EQ(sum.data[5], 2.0f);
  ASSERT_EQ(SumOverWavelengths(list, 2, n, sum), 1);
  EXPECT_APPROX(sum.data[5], 3.0, 1e-6);
}

TEST(WavelengthSum, TrapezoidsInAscendingOrderOverTheWeights) {
  // Rasters 1, 2, 3 at 0.65, 0.45, 0.55 um with weights 1, 2, 1: sorted 0.45 (2, w 2),
  // 0.55 (3, w 1), 0.65 (1, w 1); h = 0.05 each: sum = (2*2 + 3*1) h + (3*1 + 1*1) h,
  // W = (2 + 1) h + (1 + 1) h, so the value is 11 / 5.
  const int n = 2;
  Stored stored;
  stored.rasters = {std::vector<float>(4, 1.0f), std::vector<float>(4, 2.0f),
                    std::vector<float>(4, 3.0f)};
  const double lambdas[3] = {0.65, 0.45, 0.55}, weights[3] = {1.0, 2.0, 1.0};
  TWavelengthRaster list[3];
  for (int i = 0; i < 3; ++i) {
    list[i].read = Stored::Read;
    list[i].context = &stored;
    list[i].index = i;
    list[i].lambda = lambdas[i];
    list[i].weight = weights[i];
  }
  Mem<float> sum;
  ASSERT_EQ(SumOverWavelengths(list, 3, n, sum), 1);
  EXPECT_APPROX(sum.data[0], 11.0 / 5.0, 1e-6);
  // Three equal wavelengths span nothing: the weighted mean (1 + 4 + 3) / 4 = 2.
  for (auto &item : list) item.lambda = 0.55;
  ASSERT_EQ(SumOverWavelengths(list, 3, n, sum), 1);
  EXPECT_APPROX(sum.data[0], 2.0, 1e-6);
  // ... and with weights all 0, the plain mean.
  for (auto &item : list) item.weight = 0.0;
  ASSERT_EQ(SumOverWavelengths(list, 3, n, sum), 1);
  EXPECT_APPROX(sum.data[0], 2.0, 1e-6);
}

TEST(Reports, ColumnCountIsHeld) {
  EXPECT_EQ(ReportColumns(12.7), 12);
  EXPECT_EQ(ReportColumns(0.0), 0);
  EXPECT_EQ(ReportColumns(-3.0), 0);
  EXPECT_EQ(ReportColumns(1e12), kMaximumReportColumns);
  EXPECT_EQ(ReportColumns(std::nan("")), 0);
}

}  // namespace
