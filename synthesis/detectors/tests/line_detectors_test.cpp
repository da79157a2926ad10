// The line arrays: the sizes they take, the staggered layout they draw, and the scanned
// rows their elements deliver, also for a bar pattern scanned through the detector's lag.

#include "synthesis/detectors/line_detectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "foundation/testing/approx.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/scanner_parameters.h"
#include "imaging/testobject/tests/test_object_support.h"

namespace {

constexpr int kSide = 16;
constexpr double kPixel = 0.01;
// The lag's recursion in double, stored as float: a few float roundings of values near 1.
constexpr double kSignalTolerance = 1e-6;

using LineDetectors = TestObjectTest;

float Cell(const Mem<float> &raster, int column, int row) { return raster.data[row * raster.cols + column]; }

// S(c, r) = 100 r + c.
Mem<float> Numbered(int n) {
  Mem<float> raster(n, n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) raster.data[r * n + c] = static_cast<float>(100 * r + c);
  return raster;
}

void SetSizes(TDetectorSlideModel &line, double ly, double lz, double dy, double dz) {
  line.Ly = static_cast<float>(ly * kPixel);
  line.Lz = static_cast<float>(lz * kPixel);
  line.dY0 = static_cast<float>(dy * kPixel);
  line.dZ0 = static_cast<float>(dz * kPixel);
}

// Every cell of row r equals value.
bool RowIs(const Mem<float> &raster, int r, float value) {
  for (int c = 0; c < raster.cols; ++c)
    if (Cell(raster, c, r) != value) return false;
  return true;
}

TEST_F(LineDetectors, TheDoubleArrayStaggersItsElementsRightAndLeftOfTheCentre) {
  UsePixels(kSide, kPixel);
  TDetectorSlideModel slide;
  EXPECT_EQ(slide.name, "Double line");
  SetSizes(slide, 2, 2, 4, 4);
  // 2 x 2 pixel elements 4 rows apart, lines 4 columns apart about column 8: even k at
  // columns 9-11 (x0 = 8 + 2 - 1), odd k at 5-7, rows from 8 + 4k - 1 over 3 rows drawn.
  Mem<float> layout;
  slide.CalcSignal(layout, kArrayLayout);
  ASSERT_EQ(layout.cols, kSide);
  // k = 0 (even): rows 7-9, columns 9-11. Top and bottom rows half (they face the
  // neighbours), the left column half (it faces the other line), the right one full.
  EXPECT_EQ(Cell(layout, 10, 8), 1.0f);
  EXPECT_EQ(Cell(layout, 11, 8), 1.0f);
  EXPECT_EQ(Cell(layout, 9, 8), 0.5f);
  EXPECT_EQ(Cell(layout, 10, 7), 0.5f);
  EXPECT_EQ(Cell(layout, 10, 9), 0.5f);
  EXPECT_EQ(Cell(layout, 11, 9), 1.0f);  // the full column drawn last
  EXPECT_EQ(Cell(layout, 8, 8), 0.0f);
  // k = -1 (odd): rows 3-5, columns 5-7, its right column facing the other line.
  EXPECT_EQ(Cell(layout, 6, 4), 1.0f);
  EXPECT_EQ(Cell(layout, 5, 4), 1.0f);
  EXPECT_EQ(Cell(layout, 7, 4), 0.5f);
  EXPECT_EQ(Cell(layout, 10, 4), 0.0f);
  // k = -2 (even) is clipped by the first row: that edge is drawn full.
  EXPECT_EQ(Cell(layout, 10, 0), 1.0f);
  EXPECT_EQ(Cell(layout, 10, 1), 0.5f);
  // k = 2 reaches row 15 only, clipped: full.
  EXPECT_EQ(Cell(layout, 10, 15), 1.0f);
  EXPECT_EQ(Cell(layout, 10, 14), 0.0f);
}

TEST_F(LineDetectors, EachElementDeliversTheRowThroughItsCentreAcrossTheRaster) {
  UsePixels(kSide, kPixel);
  TDetectorSlideModel slide;
  SetSizes(slide, 2, 2, 4, 4);
  // No scan prepared: the rows pass unscanned. Centres at rows 0, 4, 8, 12 (16 lies
  // outside); each element's rows [centre - 1, centre + 1), clipped, take the centre row.
  Mem<float> signal = Numbered(kSide);
  slide.CalcSignal(signal, kArraySignal);
  for (const int r : {3, 4}) EXPECT_EQ(Cell(signal, 6, r), 406.0f) << r;
  for (const int r : {7, 8}) EXPECT_EQ(Cell(signal, 13, r), 813.0f) << r;
  for (const int r : {11, 12}) EXPECT_EQ(Cell(signal, 0, r), 1200.0f) << r;
  EXPECT_EQ(Cell(signal, 2, 0), 2.0f);
  for (const int r : {1, 2, 5, 6, 9, 10, 13, 14, 15}) EXPECT_TRUE(RowIs(signal, r, 0.0f)) << r;
}

TEST_F(LineDetectors, AnElementCutByTheLastRowStillDeliversIt) {
  UsePixels(kSide, kPixel);
  TDetectorSingleLineModel line;
  SetSizes(line, 2, 2, 7, 0);
  // Centres 8 + 7k: rows 1, 8, 15. The element at 15 spans rows 14-15 and is cut by the
  // raster: both rows take row 15 (its centre row is in the raster).
  Mem<float> signal = Numbered(kSide);
  line.CalcSignal(signal, kArraySignal);
  EXPECT_EQ(Cell(signal, 3, 14), 1503.0f);
  EXPECT_EQ(Cell(signal, 3, 15), 1503.0f);
  EXPECT_EQ(Cell(signal, 3, 0), 103.0f);
  EXPECT_EQ(Cell(signal, 3, 1), 103.0f);
  EXPECT_EQ(Cell(signal, 3, 7), 803.0f);
  EXPECT_TRUE(RowIs(signal, 2, 0.0f));
}

TEST_F(LineDetectors, ABarPatternIsScannedThroughTheDetectorsLag) {
  UsePixels(kSide, kPixel);
  TDetectorParameters detector;
  SetDetectorParameters(&detector);
  // A linear scan across the 16 columns in 1.6 s: 0.1 s per pixel, and a lag of 0.1 s.
  TScannerParameters scanner;
  scanner.ScanTime = 1.6;
  scanner.Tau = 0.1f;
  scanner.Prepared = 1;
  SetScannerParameters(&scanner);
  constexpr double kStep = 0.1;
  constexpr double kTau = 0.1;
  // One bright bar over columns 4 .. 11 of every row.
  Mem<float> bars(kSide, kSide);
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) bars.data[r * kSide + c] = c >= 4 && c <= 11 ? 1.0f : 0.0f;
  TDetectorSingleLineModel line;
  SetSizes(line, 2, 2, 4, 0);
  line.CalcSignal(bars, kArraySignal);
  SetScannerParameters(nullptr);
  SetDetectorParameters(nullptr);
  // A first-order lag fed by samples joined by straight lines. A unit step that rises over
  // the one sample step after sample 0 answers, m samples later (m >= 1),
  //   g(m) = 1 - (tau / dt) (1 - exp(-dt / tau)) exp(-(m - 1) dt / tau),
  // and the bar is the step rising after column 3 less the one rising after column 11.
  const auto g = [&](int m) {
    return m < 1 ? 0.0 : 1.0 - kTau / kStep * (1.0 - std::exp(-kStep / kTau)) * std::exp(-(m - 1) * kStep / kTau);
  };
  for (const int r : {3, 4, 7, 8})
    for (int c = 0; c < kSide; ++c)
      EXPECT_APPROX(Cell(bars, c, r), g(c - 3) - g(c - 11), kSignalTolerance) << c << ", " << r;
  // The response lags: the bar's first column reaches exp(-1) of it, the first dark column
  // still glows.
  EXPECT_APPROX(Cell(bars, 4, 8), std::exp(-1.0), kSignalTolerance);
  EXPECT_GT(Cell(bars, 12, 8), 0.5f);
  EXPECT_TRUE(RowIs(bars, 5, 0.0f));
}

TEST_F(LineDetectors, SizesAreRaisedToAPixelAndCutAtFourFifthsOfTheField) {
  UsePixels(kSide, kPixel);
  const float p = static_cast<float>(kPixel);
  TDetectorSlideModel slide;
  // Nothing below a pixel, and no distance check: overlapping elements are allowed.
  EXPECT_FALSE(slide.TakeSizes(0.0f, 0.0f, 0.5f * p, 0.0f));
  EXPECT_EQ(slide.Ly, p);
  EXPECT_EQ(slide.Lz, p);
  EXPECT_EQ(slide.dY0, p);
  EXPECT_EQ(slide.dZ0, p);
  EXPECT_FALSE(slide.TakeSizes(4 * p, 2 * p, 2 * p, 3 * p));
  EXPECT_EQ(slide.dY0, 2 * p);
  const float limit = static_cast<float>(kSide * kPixel * 0.8);
  EXPECT_TRUE(slide.TakeSizes(0.5f, 2 * p, 2 * p, 3 * p));
  EXPECT_EQ(slide.Ly, limit * 0.99999f);
  EXPECT_FALSE(slide.TakeSizes(limit, 2 * p, 2 * p, 3 * p));

  // The single line holds no distance between lines, and reading the same sizes again is
  // no change.
  TDetectorSingleLineModel line;
  EXPECT_EQ(line.name, "Single line");
  EXPECT_EQ(line.dZ0, 0.0f);
  line.TakeSizes(2 * p, 2 * p, 4 * p, 5 * p);
  EXPECT_EQ(line.dZ0, 0.0f);
  EXPECT_EQ(line.LineDistance(), 0.0f);
  line.state = kSpectraWritten;
  line.TakeSizes(2 * p, 2 * p, 4 * p, 5 * p);
  EXPECT_EQ(line.state, kSpectraWritten);
  line.TakeSizes(3 * p, 2 * p, 4 * p, 5 * p);
  EXPECT_EQ(line.state, kNothingComputed);
}

TEST_F(LineDetectors, TheSingleLineWritesItsElementToAFileOfItsOwn) {
  UsePixels(kSide, kPixel);
  TDetectorSingleLineModel line;
  SetSizes(line, 2, 4, 4, 0);
  ASSERT_EQ(line.MakeResponse(), 1);
  EXPECT_EQ(line.rasterFiles.data[0].fileName, Scratch("d_sline.img"));
  EXPECT_EQ(line.frameFiles.data[0].fileName, Scratch("d_sline.spc"));
  TFileData reader;
  reader.fileName = Scratch("d_sline.img");
  Mem<float> response;
  ASSERT_EQ(reader.Read(response), 1);
  // The element's area, 2 x 4 pixels.
  double covered = 0.0;
  for (int k = 0; k < kSide * kSide; ++k) covered += response.data[k];
  EXPECT_APPROX(covered, 2.0 * 4.0, 1e-6);
}

}  // namespace
