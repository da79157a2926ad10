// The single-element detector models: the element drawn in whole pixels about the centre
// pixel, the size limits, the files they write, and what a uniform image becomes through
// the element (every pixel the image summed over the element's pixels).

#include "synthesis/detectors/element_detectors.h"
#include "synthesis/detectors/matrix_detector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "foundation/fft/fft.h"
#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "imaging/testobject/tests/test_object_support.h"

namespace {

constexpr int kSide = 16;
constexpr double kPixel = 0.01;
// Single-precision 16 x 16 transforms of sums up to 256: a few roundings of 256 each way.
constexpr double kTransformTolerance = 1e-5;

using ElementDetectors = TestObjectTest;

double Sum(const Mem<float> &raster) {
  double sum = 0.0;
  for (int k = 0; k < raster.cols * raster.rows; ++k) sum += raster.data[k];
  return sum;
}

int CountTouched(const Mem<float> &raster) {
  int count = 0;
  for (int k = 0; k < raster.cols * raster.rows; ++k) count += raster.data[k] != 0.0f ? 1 : 0;
  return count;
}

Mem<float> Response(const TElementDetectorModel &model, int n = kSide, double p = kPixel) {
  Mem<float> raster(n, n);
  model.FillResponse(raster, n, p);
  return raster;
}

float At(const Mem<float> &raster, int column, int row) { return raster.data[row * raster.cols + column]; }

// Elements 3, 10 and 30 pixels across, of sizes that end inside pixels: their pixels sum
// to the exact area, pi d^2 / 4 or ly lz, in pixels (shares in floats: 1e-5).
TEST_F(ElementDetectors, EachPixelCountsByTheShareOfItTheElementCovers) {
  const double rows[][3] = {{3.3, 2.6, 3.3}, {10.3, 9.7, 10.4}, {29.7, 30.2, 29.7}, {-10.3, 3.0, 10.0}};  // d, ly, lz
  TDetectorRoundModel round;
  TDetectorRectangleModel rectangle;
  TDetectorMatrixModel matrix;
  for (const auto &[d, ly, lz] : rows) {
    SCOPED_TRACE(d);
    round.Diameter = static_cast<float>(d * kPixel);
    rectangle.Ly = matrix.Ly = static_cast<float>(ly * kPixel);
    rectangle.Lz = matrix.Lz = static_cast<float>(lz * kPixel);
    EXPECT_APPROX(Sum(Response(round, 64)), kPi * d * d / 4.0, 1e-5 * d * d);
    EXPECT_APPROX(Sum(Response(rectangle, 64)), ly * lz, 1e-5 * ly * lz);
    EXPECT_APPROX(Sum(Response(matrix, 64)), ly * lz, 1e-5 * ly * lz);
  }
}

TEST_F(ElementDetectors, AnElementBelowOnePixelIsTheCentrePixel) {
  TDetectorRoundModel round;
  // A point element is the centre pixel; a smaller disc its share of it.
  for (const double diameter : {0.0, 0.6}) {
    round.Diameter = static_cast<float>(diameter * kPixel);
    const Mem<float> raster = Response(round);
    EXPECT_EQ(CountTouched(raster), 1) << diameter;
    EXPECT_APPROX(At(raster, kSide / 2, kSide / 2), diameter == 0.0 ? 1.0 : kPi * 0.09, 1e-5) << diameter;
  }
  TDetectorRectangleModel rectangle;
  rectangle.Ly = rectangle.Lz = static_cast<float>(0.5 * kPixel);
  EXPECT_EQ(CountTouched(Response(rectangle)), 1);
  EXPECT_APPROX(At(Response(rectangle), kSide / 2, kSide / 2), 0.25, 1e-6);
}

TEST_F(ElementDetectors, ARectangleSpansLzAlongTheColumnsAndLyAlongTheRows) {
  TDetectorRectangleModel rectangle;
  rectangle.Lz = static_cast<float>(4 * kPixel);  // columns 7 .. 9, and half of 6 and 10
  rectangle.Ly = static_cast<float>(2 * kPixel);  // row 8, and half of 7 and 9
  const Mem<float> raster = Response(rectangle);
  EXPECT_APPROX(Sum(raster), 8.0, 1e-5);
  for (int row = 0; row < kSide; ++row)
    for (int column = 0; column < kSide; ++column) {
      const double across = column >= 7 && column <= 9 ? 1.0 : (column == 6 || column == 10 ? 0.5 : 0.0);
      const double down = row == 8 ? 1.0 : (row == 7 || row == 9 ? 0.5 : 0.0);
      EXPECT_APPROX(At(raster, column, row), across * down, 1e-6) << column << ", " << row;
    }
  // A negative side covers nothing.
  rectangle.Ly = -rectangle.Ly;
  EXPECT_EQ(CountTouched(Response(rectangle)), 0);
}

TEST_F(ElementDetectors, SizesAboveFourFifthsOfTheFieldAreCut) {
  UsePixels(kSide, kPixel);
  const float limit = static_cast<float>(kSide * kPixel * 0.8);  // 0.128 mm
  EXPECT_EQ(TElementDetectorModel::SizeLimit(), limit);

  TDetectorRoundModel round;
  EXPECT_TRUE(round.TakeDiameter(0.5f));
  EXPECT_EQ(round.Diameter, limit * 0.99999f);
  EXPECT_FALSE(round.TakeDiameter(limit));
  EXPECT_EQ(round.Diameter, limit);

  TDetectorRectangleModel rectangle;
  EXPECT_TRUE(rectangle.TakeSides(0.05f, 0.2f));
  EXPECT_EQ(rectangle.Ly, 0.05f);
  EXPECT_EQ(rectangle.Lz, limit * 0.99999f);
  EXPECT_FALSE(rectangle.TakeSides(limit, 0.05f));
  EXPECT_EQ(rectangle.Ly, limit);

  // Without a synthesis record nothing is cut.
  SetTestImage(nullptr);
  EXPECT_TRUE(round.TakeDiameter(0.5f) == false);
  EXPECT_EQ(round.Diameter, 0.5f);
}

TEST_F(ElementDetectors, OnlyAChangedSizeMarksTheResponseForRecomputing) {
  UsePixels(kSide, kPixel);
  TDetectorRoundModel round;
  round.TakeDiameter(0.04f);
  round.state = kSpectraWritten;
  round.TakeDiameter(0.04f);
  EXPECT_EQ(round.state, kSpectraWritten);
  round.TakeDiameter(0.03f);
  EXPECT_EQ(round.state, kNothingComputed);

  TDetectorRectangleModel rectangle;
  rectangle.TakeSides(0.02f, 0.04f);
  rectangle.state = kSpectraWritten;
  rectangle.TakeSides(0.02f, 0.04f);
  EXPECT_EQ(rectangle.state, kSpectraWritten);
  rectangle.TakeSides(0.02f, 0.05f);
  EXPECT_EQ(rectangle.state, kNothingComputed);

  // What is not a number is not taken, and changes nothing.
  rectangle.state = kSpectraWritten;
  rectangle.TakeSides(std::nanf(""), 0.05f);
  EXPECT_EQ(rectangle.Ly, 0.02f);
  EXPECT_EQ(rectangle.state, kSpectraWritten);
  round.state = kSpectraWritten;
  EXPECT_FALSE(round.TakeDiameter(std::nanf("")));
  EXPECT_EQ(round.Diameter, 0.03f);
  EXPECT_EQ(round.state, kSpectraWritten);

  // The same size read again after the field shrank is cut, and makes another element.
  UsePixels(kSide / 4, kPixel);  // limit 0.032 mm
  rectangle.TakeSides(0.02f, 0.05f);
  EXPECT_EQ(rectangle.Lz, static_cast<float>(kSide / 4 * kPixel * 0.8) * 0.99999f);
  EXPECT_EQ(rectangle.state, kNothingComputed);
}

TEST_F(ElementDetectors, TheResponseFileHoldsTheElementAndItsSpectrumComesWithTheTransform) {
  UsePixels(kSide, kPixel);
  TDetectorRoundModel round;
  round.Diameter = static_cast<float>(4 * kPixel);
  ASSERT_EQ(round.MakeResponse(), 1);
  EXPECT_EQ(round.state, kNothingComputed);  // only the transform moves it on
  ASSERT_EQ(RecordCount(round.rasterFiles), 1);
  ASSERT_EQ(RecordCount(round.frameFiles), 1);
  EXPECT_EQ(round.rasterFiles.data[0].fileName, Scratch("d_round.img"));
  EXPECT_EQ(round.frameFiles.data[0].fileName, Scratch("d_round.spc"));
  EXPECT_FALSE(std::filesystem::exists(Scratch("d_round.spc")));
  EXPECT_EQ(std::filesystem::file_size(Scratch("d_round.img")), 52u + 4u * kSide * kSide);

  TFileData reader;
  reader.fileName = Scratch("d_round.img");
  Mem<float> raster;
  ASSERT_EQ(reader.Read(raster), 1);
  EXPECT_EQ(reader.width, kSide);
  EXPECT_EQ(reader.height, kSide);
  EXPECT_EQ(reader.wavelength, 0.0f);
  EXPECT_EQ(reader.weight, 1.0f);
  EXPECT_APPROX(Sum(raster), 4.0 * kPi, 1e-4);

  // The transform from state 0 makes the response anew and writes its spectrum, whose
  // zero frequency is the element's area in pixels.
  ASSERT_EQ(round.TransformRasters(), 1);
  EXPECT_EQ(round.state, kSpectraWritten);
  EXPECT_EQ(std::filesystem::file_size(Scratch("d_round.spc")), 8u * kSide * kSide);
  Mem<float> re(kSide, kSide), im(kSide, kSide);
  ASSERT_EQ(round.ReadFrame(0, re, im), 1);
  EXPECT_APPROX(re.data[0], 4.0 * kPi, 1e-4);
  EXPECT_APPROX(im.data[0], 0.0, kTransformTolerance);

  TDetectorRectangleModel rectangle;
  rectangle.Ly = rectangle.Lz = static_cast<float>(2 * kPixel);
  ASSERT_EQ(rectangle.MakeResponse(), 1);
  EXPECT_EQ(rectangle.rasterFiles.data[0].fileName, Scratch("d_rect.img"));
  EXPECT_EQ(rectangle.frameFiles.data[0].fileName, Scratch("d_rect.spc"));
}

TEST_F(ElementDetectors, AUniformImageThroughTheElementIsItsValueTimesTheElementArea) {
  UsePixels(kSide, kPixel);
  TDetectorRectangleModel rectangle;
  rectangle.Lz = static_cast<float>(4 * kPixel);
  rectangle.Ly = static_cast<float>(2 * kPixel);
  ASSERT_EQ(rectangle.TransformRasters(), 1);
  Mem<float> re(kSide, kSide), im(kSide, kSide);
  ASSERT_EQ(rectangle.ReadFrame(0, re, im), 1);
  // A uniform image of 2.5 has all its light at frequency 0: 2.5 N^2 there. Multiplied by
  // the element's spectrum and transformed back, every pixel sums its 8 pixels of 2.5.
  constexpr float kLevel = 2.5f;
  for (int k = 1; k < kSide * kSide; ++k) re.data[k] = im.data[k] = 0.0f;
  re.data[0] *= kLevel * kSide * kSide;
  im.data[0] *= kLevel * kSide * kSide;
  ASSERT_EQ(FFT2D(kSide, kSide, re.data, im.data, 1), 1);
  for (int k = 0; k < kSide * kSide; ++k) EXPECT_APPROX(re.data[k], kLevel * 8.0, kTransformTolerance) << k;
}

TEST_F(ElementDetectors, NoDetectorComputesNothingAndWritesNothing) {
  UsePixels(kSide, kPixel);
  TDetectorNoneModel none;
  EXPECT_EQ(none.name, "None");
  EXPECT_EQ(none.state, kNoDetectorState);
  EXPECT_EQ(none.Calculate(), 1);
  EXPECT_EQ(none.state, kNoDetectorState);
  EXPECT_EQ(RecordCount(none.rasterFiles), 0);
  EXPECT_EQ(FileCount(), 0);
}

TEST_F(ElementDetectors, WithoutAUsableRecordOrDirectoryNoResponseIsClaimed) {
  TDetectorRoundModel round;
  round.Diameter = 0.04f;
  SetTestImage(nullptr);
  EXPECT_EQ(round.MakeResponse(), 0);
  SetTestImage(&image);
  UsePixels(kSide, 0.0);
  EXPECT_EQ(round.MakeResponse(), 0);
  // A temporary directory that cannot take the file: the response is refused, not claimed.
  UsePixels(kSide, kPixel);
  SetTempDir(Scratch("missing/deeper"));
  EXPECT_EQ(round.MakeResponse(), 0);
  EXPECT_EQ(round.TransformRasters(), 0);
  EXPECT_NE(round.state, kSpectraWritten);
}

}  // namespace
