#include "foundation/numerics/pi.h"
#include "synthesis/folder/isoplanar_synthesis.h"
#include "synthesis/lightsource/diffraction_blur.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "foundation/testing/approx.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/rasters/tests/raster_test_support.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/scanner_parameters.h"
#include "imaging/testobject/test_image.h"
#include "imaging/testobject/test_object.h"
#include "platform/core/recording_providers.h"

namespace {

// Single-precision transforms of a few thousand cells: errors of a few 1e-7 of the largest
// value per pass.
constexpr double kTransformTolerance = 2e-6;
// Sampled Gaussians of deviation 2 and 3 cells against the continuous convolution.
constexpr double kGaussianTolerance = 2e-4;

using Cells = std::vector<float>;

// A participant whose rasters are given cell by cell (n x n each), one per component.
class TGridObject final : public TTestObject {
 public:
  TGridObject(SynthesisTest &test, std::string prefix, int n)
      : TTestObject(nullptr), test_(test), prefix_(std::move(prefix)), n_(n) {
    name = prefix_;
  }
  int Calculate() override {
    const int count = static_cast<int>(rasters.size());
    if (count == 0) {
      rasterFiles.Clear();
      frameFiles.Clear();
      state = kRastersWritten;
      return 1;
    }
    rasterFiles.Allocate(count, 1);
    frameFiles.Allocate(count, 1);
    for (int k = 0; k < count; ++k) {
      const float wavelength = k < static_cast<int>(wavelengths.size()) ? wavelengths[k] : 0.55f;
      const float weight = k < static_cast<int>(weights.size()) ? weights[k] : 1.0f;
      rasterFiles.data[k] = test_.WriteRaster(prefix_ + std::to_string(k) + ".img", n_, n_,
                                              rasters[k], wavelength, weight);
      frameFiles.data[k].fileName = test_.Scratch(prefix_ + std::to_string(k) + ".spc");
    }
    state = kRastersWritten;
    return 1;
  }
  std::vector<Cells> rasters;
  std::vector<float> wavelengths;
  std::vector<float> weights;

 private:
  SynthesisTest &test_;
  std::string prefix_;
  int n_;
};

Cells OneCell(int n, int c, int r, float value = 1.0f) {
  Cells cells(static_cast<std::size_t>(n) * n, 0.0f);
  cells[static_cast<std::size_t>(r) * n + c] = value;
  return cells;
}

// A Gaussian of deviation sigma cells about (cx, cy), its cells summing to 1.
Cells Gaussian(int n, double cx, double cy, double sigma) {
  Cells cells(static_cast<std::size_t>(n) * n);
  double sum = 0.0;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const double d2 = (c - cx) * (c - cx) + (r - cy) * (r - cy);
      const double v = std::exp(-d2 / (2.0 * sigma * sigma));
      cells[static_cast<std::size_t>(r) * n + c] = static_cast<float>(v);
      sum += v;
    }
  for (float &v : cells) v = static_cast<float>(v / sum);
  return cells;
}

double Sum(const Mem<float> &raster) {
  double sum = 0.0;
  for (int i = 0; i < raster.cols * raster.rows; ++i) sum += raster.data[i];
  return sum;
}

class IsoplanarSynthesisTest : public SynthesisTest {
 protected:
  void SetUp() override {
    SynthesisTest::SetUp();
    SetTestImage(&image_);
  }
  void TearDown() override {
    SetTestImage(nullptr);
    SynthesisTest::TearDown();
  }
  void Use(int n, double pixelSize) {
    image_.pixelCount = n;
    image_.pixelSize = pixelSize;
    settings_.pixelCount = n;
    settings_.pixelSize = pixelSize;
    settings_.directory = Scratch("");
  }
  int Run(TTestObject &object, TTestObject &psf, TTestObject *detector = nullptr) {
    TIsoplanarParticipants who;
    who.object = &object;
    who.psf = &psf;
    who.detector = detector;
    who.signal = detector;
    return SynthesizeIsoplanarImage(who, settings_, nullptr, results_, custom_);
  }
  Mem<float> Result(int k) {
    Mem<float> raster;
    TFileData reader(results_.data[k]);
    EXPECT_TRUE(ReadSquareRaster(reader, raster, settings_.pixelCount));
    return raster;
  }
  TTestImage image_;
  TIsoplanarSettings settings_;
  Mem<TFileData> results_;
  std::int32_t custom_ = -1;
};

TEST_F(IsoplanarSynthesisTest, OneCellObjectGivesBackThePsfCellForCell) {
  const int n = 16;
  const double g = 0.5;
  Use(n, g);
  TGridObject object(*this, "o", n), psf(*this, "p", n);
  object.rasters = {OneCell(n, n / 2, n / 2)};
  // A lopsided PSF (a comet towards +x, +y) shows any mirroring or shift.
  Cells comet(static_cast<std::size_t>(n) * n, 0.0f), blue(comet);
  for (int k = 0; k < 5; ++k) comet[static_cast<std::size_t>(n / 2 + k) * n + n / 2 + 2 * k] = 1.0f + k;
  blue[static_cast<std::size_t>(3) * n + 11] = 4.0f;
  psf.rasters = {comet, blue};
  psf.wavelengths = {0.6f, 0.45f};
  psf.weights = {0.7f, 0.2f};
  ASSERT_EQ(Run(object, psf), 1);
  ASSERT_EQ(RecordCount(results_), 2);
  EXPECT_EQ(custom_, 0);
  EXPECT_EQ(results_.data[1].wavelength, 0.45f);
  EXPECT_EQ(results_.data[0].weight, 0.7f);
  EXPECT_EQ(results_.data[1].fileName, IsoplanarResultName(Scratch(""), 1));
  // One object frame serves every PSF component.
  for (int k = 0; k < 2; ++k) {
    const Mem<float> image = Result(k);
    const Cells &expected = k == 0 ? comet : blue;
    for (int i = 0; i < n * n; ++i)
      ASSERT_APPROX(image.data[i], g * g * expected[i], kTransformTolerance) << "component " << k << " cell " << i;
  }
}

TEST_F(IsoplanarSynthesisTest, TwoGaussiansGiveAGaussianOfTheSummedVariancesWhereTheObjectLies) {
  const int n = 64;
  Use(n, 1.0);
  TGridObject object(*this, "o", n), psf(*this, "p", n);
  // The object off the centre: the image lies where the object lies, not mirrored.
  const double ox = 24.0, oy = 38.0;
  object.rasters = {Gaussian(n, ox, oy, 2.0)};
  psf.rasters = {Gaussian(n, n / 2, n / 2, 3.0)};
  ASSERT_EQ(Run(object, psf), 1);
  const Mem<float> image = Result(0);
  const double variance = 2.0 * 2.0 + 3.0 * 3.0;
  const double peak = 1.0 / (2.0 * kPi * variance);
  for (int r = 0; r < n; r += 3)
    for (int c = 0; c < n; c += 3) {
      const double d2 = (c - ox) * (c - ox) + (r - oy) * (r - oy);
      ASSERT_APPROX(image.data[r * n + c] / peak, std::exp(-d2 / (2.0 * variance)), kGaussianTolerance)
          << "cell " << c << ", " << r;
    }
}

TEST_F(IsoplanarSynthesisTest, TheImageHoldsTheCellAreaTimesBothSums) {
  const int n = 32;
  const double g = 0.25;
  Use(n, g);
  TGridObject object(*this, "o", n), psf(*this, "p", n);
  Cells bars(static_cast<std::size_t>(n) * n, 0.0f);
  for (int r = 8; r < 24; ++r)
    for (int c = 8; c < 24; c += 4) bars[static_cast<std::size_t>(r) * n + c] = 2.0f;
  object.rasters = {bars};
  // A PSF of unit integral: its cells sum to 1 / g^2.
  Cells spread = Gaussian(n, n / 2, n / 2, 1.5);
  for (float &v : spread) v = static_cast<float>(v / (g * g));
  psf.rasters = {spread};
  ASSERT_EQ(Run(object, psf), 1);
  double objectSum = 0.0;
  for (float v : bars) objectSum += v;
  EXPECT_APPROX(Sum(Result(0)), objectSum, kTransformTolerance);
}

TEST_F(IsoplanarSynthesisTest, WithADetectorTheImageAddsUpOverTheElementAndStaysCentred) {
  const int n = 16;
  const double g = 0.5;
  Use(n, g);
  TGridObject object(*this, "o", n), psf(*this, "p", n), detector(*this, "d", n);
  object.rasters = {OneCell(n, n / 2, n / 2, 3.0f)};
  psf.rasters = {OneCell(n, n / 2 + 1, n / 2)};
  detector.rasters = {OneCell(n, n / 2, n / 2 + 2, 0.5f)};
  ASSERT_EQ(Run(object, psf, &detector), 1);
  // Object, PSF and response centred at n/2: their product lands at 3n/2 = n/2 (mod n),
  // offset by the PSF's and the response's own offsets; the value is the cell area times
  // the three cells, as without a detector.
  const Mem<float> image = Result(0);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const double expected = c == n / 2 + 1 && r == n / 2 + 2 ? g * g * 3.0 * 0.5 : 0.0;
      ASSERT_APPROX(image.data[r * n + c], expected, kTransformTolerance) << c << ", " << r;
    }
}

TEST_F(IsoplanarSynthesisTest, TwiceTheObjectGivesTwiceTheImageWithOrWithoutADetector) {
  const int n = 16;
  const double g = 0.25;
  Use(n, g);
  // Narrow enough that the bars' light stays inside the picture (4.5 deviations from the edge).
  const Cells spread = Gaussian(n, n / 2, n / 2, 1.0);
  Cells bars(static_cast<std::size_t>(n) * n, 0.0f);
  for (int r = 4; r < 12; ++r)
    for (int c = 4; c < 12; c += 2) bars[static_cast<std::size_t>(r) * n + c] = 1.0f;
  Cells doubled = bars;
  for (float &v : doubled) v *= 2.0f;
  // An element of 2 x 1 cells about the centre.
  Cells element(static_cast<std::size_t>(n) * n, 0.0f);
  element[static_cast<std::size_t>(n / 2) * n + n / 2] = 1.0f;
  element[static_cast<std::size_t>(n / 2) * n + n / 2 + 1] = 1.0f;
  for (const bool withDetector : {false, true}) {
    TGridObject once(*this, "o1", n), twice(*this, "o2", n), psf(*this, "p", n), detector(*this, "d", n);
    once.rasters = {bars};
    twice.rasters = {doubled};
    psf.rasters = {spread};
    detector.rasters = {element};
    ASSERT_EQ(Run(once, psf, withDetector ? &detector : nullptr), 1);
    const Mem<float> single = Result(0);
    Mem<float> first;
    first = single;
    psf.state = kNothingComputed;
    detector.state = kNothingComputed;
    ASSERT_EQ(Run(twice, psf, withDetector ? &detector : nullptr), 1);
    const Mem<float> second = Result(0);
    for (int i = 0; i < n * n; ++i)
      ASSERT_APPROX(second.data[i], 2.0 * first.data[i], kTransformTolerance) << "cell " << i;
    // The image holds g^2 times the object's sum, twice over with the two-cell element.
    EXPECT_APPROX(Sum(first), g * g * 32.0 * (withDetector ? 2.0 : 1.0), kTransformTolerance * 32);
  }
}

TEST_F(IsoplanarSynthesisTest, AOneCellDetectorLeavesTheImageAsItIs) {
  const int n = 16;
  Use(n, 0.5);
  TGridObject object(*this, "o", n), psf(*this, "p", n), detector(*this, "d", n);
  object.name = kCustomObjectName;
  object.rasters = {OneCell(n, 5, 7, 1.0f), OneCell(n, 9, 3, 2.0f)};
  psf.rasters = {Gaussian(n, n / 2, n / 2, 1.0), Gaussian(n, n / 2, n / 2, 2.0)};
  ASSERT_EQ(Run(object, psf), 1);
  EXPECT_EQ(custom_, 1);
  Mem<float> bare[2];
  for (int k = 0; k < 2; ++k) bare[k] = Result(k);
  detector.rasters = {OneCell(n, n / 2, n / 2)};
  object.state = kNothingComputed;
  psf.state = kNothingComputed;
  ASSERT_EQ(Run(object, psf, &detector), 1);
  // Each component keeps its own brightness: the bitmap object's components are not
  // rescaled against each other.
  for (int k = 0; k < 2; ++k) {
    const Mem<float> seen = Result(k);
    for (int i = 0; i < n * n; ++i)
      ASSERT_APPROX(seen.data[i], bare[k].data[i], kTransformTolerance) << k << ": cell " << i;
  }
}

TEST_F(IsoplanarSynthesisTest, AScanningDetectorWithALagSmearsAnEdgeBySpeedTimesLag) {
  // 32 pixels of 0.5 mm crossed in 1 s: v = 16 mm/s, one pixel every dt = 1/32 s.
  const int n = 32;
  const double g = 0.5;
  Use(n, g);
  const double dt = 1.0 / n;
  Cells edge(static_cast<std::size_t>(n) * n, 0.0f);
  const int rise = 12;  // the bright half of the target begins at this column
  for (int r = 0; r < n; ++r)
    for (int c = rise; c < n; ++c) edge[static_cast<std::size_t>(r) * n + c] = 1.0f;
  TDetectorParameters detectorRecord;
  TScannerParameters scanner;
  scanner.Prepared = 1;
  scanner.RealMovement = 0;
  scanner.ScanTime = 1.0;
  SetDetectorParameters(&detectorRecord);
  SetScannerParameters(&scanner);
  Mem<float> images[2];
  for (const double tau : {0.0, 4.0 * dt}) {
    scanner.Tau = static_cast<float>(tau);
    TGridObject object(*this, "o", n), psf(*this, "p", n), detector(*this, "d", n);
    object.rasters = {edge};
    psf.rasters = {OneCell(n, n / 2, n / 2, static_cast<float>(1.0 / (g * g)))};
    detector.rasters = {OneCell(n, n / 2, n / 2)};
    ASSERT_EQ(Run(object, psf, &detector), 1);
    images[tau == 0.0 ? 0 : 1] = Result(0);
  }
  SetDetectorParameters(nullptr);
  SetScannerParameters(nullptr);
  // Without a lag the scan changes nothing: the edge as the object has it.
  for (int i = 0; i < n * n; ++i) ASSERT_APPROX(images[0].data[i], edge[static_cast<std::size_t>(i)], kTransformTolerance);
  // With the lag T = v T / v = 4 pixels' time, every row follows a first-order lag driven
  // by the edge (a ramp over the one sample interval before it): after k more samples
  // y = 1 - (T / dt)(1 - e^(-dt / T)) e^(-k dt / T); before the edge nothing.
  const double ratio = dt / (4.0 * dt);
  for (int r = 0; r < n; r += 7) {
    const float *row = images[1].data + static_cast<std::ptrdiff_t>(r) * n;
    for (int c = 0; c < rise; ++c) ASSERT_APPROX(row[c], 0.0, kTransformTolerance) << c;
    for (int k = 0; rise + k < n; ++k) {
      const double expected = 1.0 - (1.0 / ratio) * (1.0 - std::exp(-ratio)) * std::exp(-k * ratio);
      ASSERT_APPROX(row[rise + k], expected, kTransformTolerance) << "row " << r << ", " << k << " past the edge";
    }
    // The smear: 1 - 1/e of the step is passed between 4 and 5 pixels (v T) past the edge.
    EXPECT_LT(row[rise + 3], 1.0 - std::exp(-1.0));
    EXPECT_GT(row[rise + 5], 1.0 - std::exp(-1.0));
  }
}

TEST_F(IsoplanarSynthesisTest, NoPsfIsWarnedAndNothingIsWritten) {
  const int n = 16;
  Use(n, 1.0);
  TGridObject object(*this, "o", n), psf(*this, "p", n);
  object.rasters = {OneCell(n, 1, 1)};
  results_.Allocate(1, 1);
  ASSERT_EQ(Run(object, psf), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, kNoPsfText);
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
  EXPECT_FALSE(std::filesystem::exists(IsoplanarResultName(Scratch(""), 0)));
  // No record is left naming a result that this synthesis did not write.
  EXPECT_EQ(RecordCount(results_), 0);
}

// The object's or the PSF's raster gone from disk after its spectrum was made: the next run
// stops, and the cursor it turned to waiting is an arrow again.
TEST_F(IsoplanarSynthesisTest, ARasterGoneStopsTheRunWithTheArrowBack) {
  const int n = 16;
  Use(n, 1.0);
  for (const bool objectGone : {true, false}) {
    TGridObject object(*this, "o", n), psf(*this, "p", n);
    object.rasters = {OneCell(n, 1, 1)};
    psf.rasters = {OneCell(n, n / 2, n / 2)};
    ASSERT_EQ(Run(object, psf), 1);
    std::filesystem::remove((objectGone ? object : psf).rasterFiles.data[0].fileName);
    TRecordingCursorProvider cursors;
    EXPECT_EQ(Run(object, psf), 0);
    ASSERT_FALSE(cursors.shapes.empty());
    EXPECT_EQ(cursors.shapes.back(), TCursorShape::Arrow) << objectGone;
  }
}

TEST_F(IsoplanarSynthesisTest, NoiseOfLevelZeroAddsNothingAndALevelSpreadsTheCells) {
  const int n = 16;
  Use(n, 1.0);
  TGridObject object(*this, "o", n), psf(*this, "p", n);
  object.rasters = {OneCell(n, n / 2, n / 2)};
  psf.rasters = {OneCell(n, n / 2, n / 2)};
  settings_.noiseKind = 1;
  settings_.noiseLevel = 0.0f;
  ASSERT_EQ(Run(object, psf), 1);
  EXPECT_APPROX(Sum(Result(0)), 1.0, kTransformTolerance);
  settings_.noiseLevel = 0.1f;
  ASSERT_EQ(Run(object, psf), 1);
  const Mem<float> noisy = Result(0);
  int changed = 0;
  for (int i = 0; i < n * n; ++i)
    if (i != n / 2 * n + n / 2 && noisy.data[i] != 0.0f) {
      ++changed;
      // Draws stay within three deviations of 0.1 x the maximum 1.
      EXPECT_LE(std::fabs(noisy.data[i]), 0.3f + 1e-6f);
    }
  EXPECT_GT(changed, n * n / 2);
}

TEST_F(IsoplanarSynthesisTest, ATracedImagePassesAsItIsAndItsBlurIsALinearConvolution) {
  // A traced image is the system's image already: the synthesis gives it back. Its blur, the
  // Airy pattern of the pupil its bundle fills (first dark ring at 1.22 / cutoff, 83.8 % of
  // the light within it), keeps on the raster what the pattern sampled over the raster's
  // cells holds, point by point: half at an edge, some quarter at a corner, nothing wrapped.
  constexpr double kWithinFirstRing = 0.838;
  // The cells whose centres lie within the ring against the disc's area.
  constexpr double kRingSampling = 0.003;
  // Single-precision transforms.
  constexpr double kKeptTolerance = 1e-4;
  const int n = 128;
  const double g = 0.002, cutoff = 1.0 / (8.0 * g);  // the ring at 9.76 cells
  Use(n, g);
  TGridObject traced(*this, "o", n);
  traced.rasters = {OneCell(n, 50, 70, 3.0f)};
  traced.wavelengths = {0.5f};
  traced.weights = {0.5f};
  settings_.tracedImage = true;
  TIsoplanarParticipants who;
  who.object = &traced;
  ASSERT_EQ(SynthesizeIsoplanarImage(who, settings_, nullptr, results_, custom_), 1);
  ASSERT_EQ(RecordCount(results_), 1);
  EXPECT_EQ(results_.data[0].weight, 0.5f);
  const Mem<float> same = Result(0);
  for (int i = 0; i < n * n; ++i) ASSERT_NEAR(same.data[i], traced.rasters[0][i], kTransformTolerance * 3.0);
  // The continuous pattern, pi c^2 / 4 (2 J1(v) / v)^2 with v = pi c r, on the cells.
  const auto airy = [&](double dc, double dr) {
    const double v = kPi * cutoff * g * std::hypot(dc, dr);
    const double j = v < 1e-9 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, v) / v;
    return kPi * cutoff * cutoff / 4.0 * j * j * g * g;
  };
  // Points of the raster, and of a raster of 16 cells that the pattern's rings overflow.
  const int points[][3] = {{n, 50, 70}, {n, 0, 64}, {n, 0, 0}, {n, n - 1, n - 1}, {16, 8, 8}, {16, 0, 15}};
  for (const auto &[side, cx, cy] : points) {
    SCOPED_TRACE(side * 1000000 + cx * 1000 + cy);
    Mem<float> raster(side, side);
    raster.Zero();
    raster.data[cy * side + cx] = 3.0f;
    const double kept = BlurByRoundPupil(raster, side, g, cutoff);
    double expected = 0.0, within = 0.0;
    for (int r = 0; r < side; ++r)
      for (int c = 0; c < side; ++c) {
        expected += airy(c - cx, r - cy);
        if (std::hypot(c - cx, r - cy) <= 1.22 / (cutoff * g)) within += raster.data[r * side + c];
      }
    EXPECT_APPROX(kept, expected, kKeptTolerance);
    EXPECT_APPROX(Sum(raster), 3.0 * kept, 3.0 * kKeptTolerance);
    if (cx == 50) {
      EXPECT_APPROX(within / 3.0, kWithinFirstRing, kRingSampling);
    }
    // Its peak on the cell itself.
    EXPECT_GT(raster.data[cy * side + cx], raster.data[cy * side + (cx + 1) % side]);
  }
  // The transfer function itself: 1 at zero, 0.391 at half the cutoff, 0 from the cutoff on.
  EXPECT_APPROX(RoundPupilMtf(0.0, 10.0), 1.0, 1e-12);
  EXPECT_APPROX(RoundPupilMtf(5.0, 10.0), 2.0 / kPi * (kPi / 3.0 - 0.5 * std::sqrt(0.75)), 1e-12);
  EXPECT_EQ(RoundPupilMtf(10.0, 10.0), 0.0);
  // A cell twice 1 / cutoff: the transfer function is laid on the padded grid's own
  // frequencies (k, l) / (2 n g), so a point's blur is its naive inverse transform there,
  // and the point's cell keeps, within the band the grid holds, what the pattern puts on
  // it (its integral over the cell, 83.4 %; a pupil half as wide would leave 53 %).
  constexpr double kBandLimit = 0.1;
  const int coarse = 16, padded = 2 * coarse, sub = 64;
  const double wide = 2.0 / (cutoff * g);  // the coarse cell in fine cells
  double onCell = 0.0;
  for (int b = 0; b < sub; ++b)
    for (int a = 0; a < sub; ++a)
      onCell += airy(wide * ((a + 0.5) / sub - 0.5), wide * ((b + 0.5) / sub - 0.5)) * (wide / sub) * (wide / sub);
  Mem<float> point(coarse, coarse);
  point.Zero();
  point.data[8 * coarse + 8] = 1.0f;
  const double kept = BlurByRoundPupil(point, coarse, 2.0 / cutoff, cutoff);
  double naiveKept = 0.0;
  for (int dr = -8; dr < 8; ++dr)
    for (int dc = -8; dc < 8; ++dc) {
      double expected = 0.0;
      for (int l = -coarse; l < coarse; ++l)
        for (int k = -coarse; k < coarse; ++k)
          expected += RoundPupilMtf(std::hypot(k, l) * cutoff / (2.0 * padded), cutoff) *
                      std::cos(2.0 * kPi * (k * dc + l * dr) / padded) / (padded * padded);
      naiveKept += expected;
      ASSERT_NEAR(point.data[(8 + dr) * coarse + 8 + dc], expected, kKeptTolerance) << dc << ", " << dr;
    }
  EXPECT_APPROX(kept, naiveKept, kKeptTolerance);
  EXPECT_APPROX(point.data[8 * coarse + 8], onCell, kBandLimit);
}

}  // namespace
