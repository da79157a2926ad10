// The matrix detector: its element grid centred in the field, the sizes it takes, the
// layout it draws and the integrated image sampled at the element centres.

#include "synthesis/detectors/matrix_detector.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "foundation/testing/approx.h"
#include "imaging/testobject/tests/recording_windows.h"
#include "imaging/testobject/tests/test_object_support.h"

namespace {

constexpr double kPixel = 0.01;
// Grid positions are sums of float sizes: a few float roundings of the field (1.28 mm).
constexpr double kPositionTolerance = 1e-7;

using MatrixDetector = TestObjectTest;

float Cell(const Mem<float> &raster, int column, int row) { return raster.data[row * raster.cols + column]; }

// The rows (or columns) of a layout that hold an element in its first column (row).
std::set<int> CoveredRows(const Mem<float> &layout, int column) {
  std::set<int> rows;
  for (int r = 0; r < layout.rows; ++r)
    if (Cell(layout, column, r) == 1.0f) rows.insert(r);
  return rows;
}

// S(c, r) = 100 r + c: every cell tells where it was read.
Mem<float> Numbered(int n) {
  Mem<float> raster(n, n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) raster.data[r * n + c] = static_cast<float>(100 * r + c);
  return raster;
}

void SetSizes(TDetectorMatrixModel &matrix, double ly, double lz, double dy, double dz) {
  matrix.Ly = static_cast<float>(ly * kPixel);
  matrix.Lz = static_cast<float>(lz * kPixel);
  matrix.dY0 = static_cast<float>(dy * kPixel);
  matrix.dZ0 = static_cast<float>(dz * kPixel);
}

TEST_F(MatrixDetector, TheDefaultElementsTileTheFieldWith65By65Centres) {
  UsePixels(128, kPixel);
  TDetectorMatrixModel matrix;
  EXPECT_EQ(matrix.name, "Matrix");
  // All four sizes start at 2 p.
  for (const float size : {matrix.Ly, matrix.Lz, matrix.dY0, matrix.dZ0})
    EXPECT_EQ(size, static_cast<float>(2 * kPixel));
  // Gaps 0, pitch 2 p: 128 p / 2 p = 64 whole pitches from 0, centres 0, 2p .. 128p.
  for (const TMatrixAxis axis : {matrix.RowAxis(kPixel, 128), matrix.ColumnAxis(kPixel, 128)}) {
    EXPECT_EQ(axis.count, 64);
    EXPECT_APPROX(axis.first, 0.0, kPositionTolerance);
    EXPECT_APPROX(axis.pitch, 2 * kPixel, kPositionTolerance);
  }
  // Touching elements cover every cell, the half-outside first and last ones included.
  Mem<float> layout;
  matrix.CalcSignal(layout, kArrayLayout);
  ASSERT_EQ(layout.cols, 128);
  ASSERT_EQ(layout.rows, 128);
  for (int k = 0; k < 128 * 128; ++k) ASSERT_EQ(layout.data[k], 1.0f) << k;
  // A uniform integrated image stays uniform.
  Mem<float> uniform(128, 128);
  for (int k = 0; k < 128 * 128; ++k) uniform.data[k] = 3.5f;
  matrix.CalcSignal(uniform, kArraySignal);
  for (int k = 0; k < 128 * 128; ++k) ASSERT_EQ(uniform.data[k], 3.5f) << k;
}

TEST_F(MatrixDetector, GapsOfTwoPixelsLeaveStripesBetweenTwoPixelElements) {
  UsePixels(16, kPixel);
  TDetectorMatrixModel matrix;
  SetSizes(matrix, 2, 2, 4, 4);
  // Pitch 4 p: 4 pitches in 16 p, centres 0, 4p, 8p, 12p, 16p; element [centre - p,
  // centre + p) in whole pixels, clipped: {0}, {3, 4}, {7, 8}, {11, 12}, {15}.
  const TMatrixAxis rows = matrix.RowAxis(kPixel, 16);
  EXPECT_EQ(rows.count, 4);
  EXPECT_APPROX(rows.pitch, 4 * kPixel, kPositionTolerance);
  Mem<float> layout;
  matrix.CalcSignal(layout, kArrayLayout);
  const std::set<int> expected{0, 3, 4, 7, 8, 11, 12, 15};
  EXPECT_EQ(CoveredRows(layout, 3), expected);
  EXPECT_EQ(CoveredRows(layout, 0), expected);
  EXPECT_TRUE(CoveredRows(layout, 5).empty());
  int covered = 0;
  for (int k = 0; k < 256; ++k) covered += layout.data[k] == 1.0f ? 1 : 0;
  EXPECT_EQ(covered, 8 * 8);

  // The signal: each element takes the value at the centre of its footprint.
  Mem<float> signal = Numbered(16);
  matrix.CalcSignal(signal, kArraySignal);
  EXPECT_EQ(Cell(signal, 3, 4), 404.0f);   // element rows 3-4, columns 3-4: read (4, 4)
  EXPECT_EQ(Cell(signal, 4, 3), 404.0f);
  EXPECT_EQ(Cell(signal, 8, 11), 1208.0f); // rows 11-12, columns 7-8: read (8, 12)
  EXPECT_EQ(Cell(signal, 0, 0), 0.0f);     // the corner element [0, 1) reads (0, 0)
  EXPECT_EQ(Cell(signal, 15, 3), 415.0f);  // clipped to column 15: reads column 15
  EXPECT_EQ(Cell(signal, 5, 4), 0.0f);     // a gap
  EXPECT_EQ(Cell(signal, 4, 6), 0.0f);
}

TEST_F(MatrixDetector, AThreePixelElementWithAOnePixelGapReadsItsMiddleRow) {
  UsePixels(16, kPixel);
  TDetectorMatrixModel matrix;
  SetSizes(matrix, 3, 2, 4, 2);
  // Rows: pitch 3 p + 1 gap pixel = 4 p; the element at 4 p spans [2.5, 5.5) p: rows 2-4,
  // read at row (2 + 5) / 2 = 3. Columns: touching 2 p elements.
  Mem<float> layout;
  matrix.CalcSignal(layout, kArrayLayout);
  EXPECT_EQ(CoveredRows(layout, 6), (std::set<int>{0, 2, 3, 4, 6, 7, 8, 10, 11, 12, 14, 15}));
  Mem<float> signal = Numbered(16);
  matrix.CalcSignal(signal, kArraySignal);
  EXPECT_EQ(Cell(signal, 3, 2), 304.0f);
  EXPECT_EQ(Cell(signal, 3, 4), 304.0f);
  EXPECT_EQ(Cell(signal, 3, 5), 0.0f);
}

TEST_F(MatrixDetector, GapsRoundToWholePixels) {
  UsePixels(16, kPixel);
  TDetectorMatrixModel matrix;
  SetSizes(matrix, 2, 2, 2.4, 2.5);
  // 0.4 p rounds to no gap, 0.5 p to one pixel.
  EXPECT_APPROX(matrix.RowAxis(kPixel, 16).pitch, 2 * kPixel, kPositionTolerance);
  EXPECT_APPROX(matrix.ColumnAxis(kPixel, 16).pitch, 3 * kPixel, kPositionTolerance);
  // Pitch 3 p: 5 pitches (15 p) centred, the first centre at 0.5 p.
  const TMatrixAxis columns = matrix.ColumnAxis(kPixel, 16);
  EXPECT_EQ(columns.count, 5);
  EXPECT_APPROX(columns.first, 0.5 * kPixel, kPositionTolerance);
}

TEST_F(MatrixDetector, TypedSizesAreRaisedToAPixelGapsToZeroAndElementsCutToTheField) {
  UsePixels(16, kPixel);
  TDetectorMatrixModel matrix;
  const float p = static_cast<float>(kPixel);
  // Half a pixel becomes a pixel; nothing else to correct.
  TMatrixCorrection correction = matrix.TakeSizes(0.5f * p, 2 * p, 3 * p, 2 * p);
  EXPECT_EQ(matrix.Ly, p);
  EXPECT_FALSE(correction.gapRaised);
  EXPECT_FALSE(correction.cut);
  // A centre distance below its element: both distances become the element sizes, also
  // the one that was right.
  correction = matrix.TakeSizes(4 * p, 2 * p, 3 * p, 5 * p);
  EXPECT_TRUE(correction.gapRaised);
  EXPECT_EQ(matrix.dY0, 4 * p);
  EXPECT_EQ(matrix.dZ0, 2 * p);
  // Above the field N p (no factor 0.8 here): cut to 0.99999 N p and reported.
  const float field = static_cast<float>(16 * kPixel);
  correction = matrix.TakeSizes(0.5f, 2 * p, 0.6f, 2 * p);
  EXPECT_TRUE(correction.cut);
  EXPECT_EQ(matrix.Ly, field * 0.99999f);
  correction = matrix.TakeSizes(field, 2 * p, field, 2 * p);
  EXPECT_FALSE(correction.cut);
  EXPECT_EQ(matrix.Ly, field);
}

TEST_F(MatrixDetector, OnlyAChangeOfTheArrayMarksItForRecomputing) {
  UsePixels(16, kPixel);
  TDetectorMatrixModel matrix;
  const float p = static_cast<float>(kPixel);
  matrix.TakeSizes(2 * p, 2 * p, 4 * p, 4 * p);
  matrix.state = kSpectraWritten;
  matrix.TakeSizes(2 * p, 2 * p, 4 * p, 4 * p);
  EXPECT_EQ(matrix.state, kSpectraWritten);
  matrix.TakeSizes(2 * p, 2 * p, 4 * p, std::nanf(""));  // not a number: not taken
  EXPECT_EQ(matrix.state, kSpectraWritten);
  EXPECT_EQ(matrix.dZ0, 4 * p);
  matrix.TakeSizes(2 * p, 2 * p, 5 * p, 4 * p);
  EXPECT_EQ(matrix.state, kNothingComputed);
  // The same sizes read again after the field shrank are cut: another array.
  matrix.TakeSizes(0.1f, 2 * p, 0.1f, 4 * p);
  matrix.state = kSpectraWritten;
  UsePixels(8, kPixel);
  matrix.TakeSizes(0.1f, 2 * p, 0.1f, 4 * p);
  EXPECT_EQ(matrix.Ly, static_cast<float>(8 * kPixel) * 0.99999f);
  EXPECT_EQ(matrix.state, kNothingComputed);
}

TEST_F(MatrixDetector, TheResponseIsOneElementAndASignalNeedsTheSynthesisRaster) {
  UsePixels(16, kPixel);
  TDetectorMatrixModel matrix;
  SetSizes(matrix, 2, 4, 4, 4);
  ASSERT_EQ(matrix.MakeResponse(), 1);
  EXPECT_EQ(matrix.state, kNothingComputed);
  EXPECT_EQ(matrix.rasterFiles.data[0].fileName, Scratch("d_matr.img"));
  EXPECT_EQ(matrix.frameFiles.data[0].fileName, Scratch("d_matr.spc"));
  TFileData reader;
  reader.fileName = Scratch("d_matr.img");
  Mem<float> response;
  ASSERT_EQ(reader.Read(response), 1);
  // Lz = 4 p along the columns (7 .. 9, half of 6 and 10), Ly = 2 p along the rows (8,
  // half of 7 and 9): each pixel the share of it the element covers.
  double covered = 0.0;
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) {
      const double across = c >= 7 && c <= 9 ? 1.0 : (c == 6 || c == 10 ? 0.5 : 0.0);
      const double down = r == 8 ? 1.0 : (r == 7 || r == 9 ? 0.5 : 0.0);
      EXPECT_NEAR(Cell(response, c, r), across * down, 1e-6) << c << ", " << r;
      covered += Cell(response, c, r);
    }
  EXPECT_NEAR(covered, 8.0, 1e-5);

  // A raster of another size is no integrated image of this synthesis: left alone.
  Mem<float> other = Numbered(8);
  matrix.CalcSignal(other, kArraySignal);
  EXPECT_EQ(Cell(other, 5, 3), 305.0f);
  // Without a record nothing is drawn.
  SetTestImage(nullptr);
  Mem<float> layout;
  matrix.CalcSignal(layout, kArrayLayout);
  EXPECT_EQ(layout.data, nullptr);
}

TEST_F(MatrixDetector, ThePlotOfAFlatLayoutGetsOneZeroForItsRange) {
  TRecordingWindows windows;
  UsePixels(16, kPixel);
  TDetectorMatrixModel matrix;  // touching 2 p elements: every cell 1
  matrix.ShowGraph();
  ASSERT_EQ(windows.plots.size(), 1u);
  const TRecordedPlot &plot = windows.plots[0];
  EXPECT_EQ(plot.request.caption, "Image: Matrix");
  ASSERT_EQ(plot.request.n, 16);
  EXPECT_EQ(plot.cells[0], 0.0f);
  for (std::size_t k = 1; k < plot.cells.size(); ++k) ASSERT_EQ(plot.cells[k], 1.0f) << k;
  EXPECT_LT(plot.request.axisLength, 0.0);  // no axes
  // The layout stays in the synthesis record's raster, as the plot drew it.
  EXPECT_EQ(image.raster.cols, 16);
  EXPECT_EQ(image.raster.data[0], 0.0f);
}

}  // namespace
