// The test-object interface: spectra on demand and their files, read whole or row by row.

#include "foundation/numerics/pi.h"
#include "imaging/testobject/test_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>

#include "foundation/testing/approx.h"
#include "imaging/color/color_image.h"
#include "imaging/rasters/spectrum_file.h"
#include "imaging/testobject/tests/test_object_support.h"

namespace {

// Single-precision FFT of an 8 x 8 raster of values below 64 against a double DFT: about
// log2(64) roundings of a sum up to 64 x 63.
constexpr double kSpectrumTolerance = 1e-4;

using TestObject = TestObjectTest;

// An 8 x 8 raster with no symmetry: (c, r) -> (3c + 5r^2) mod 17 - 4.
TRasterObject::Cells Asymmetric(int n) {
  TRasterObject::Cells cells(static_cast<std::size_t>(n) * n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) cells[r * n + c] = static_cast<float>((3 * c + 5 * r * r) % 17 - 4);
  return cells;
}

TEST_F(TestObject, TransformWritesTheForwardSpectrumOfEveryRaster) {
  constexpr int n = 8;
  UsePixels(n, 0.01);
  TRasterObject object(*this, n);
  object.values = {Asymmetric(n), TRasterObject::Cells(n * n, 1.0f)};
  ASSERT_EQ(object.TransformRasters(), 1);
  EXPECT_EQ(object.state, kSpectraWritten);
  EXPECT_EQ(object.calculations, 1);
  ASSERT_EQ(std::filesystem::file_size(Scratch("obj0.spc")), 8u * n * n);

  Mem<float> re(n, n), im(n, n);
  ASSERT_EQ(object.ReadFrame(0, re, im), 1);
  // X(u, v) = sum over (c, r) of x(c, r) exp(-2 pi i (u c + v r) / n), u along rows.
  const TRasterObject::Cells x = Asymmetric(n);
  for (int v = 0; v < n; ++v)
    for (int u = 0; u < n; ++u) {
      std::complex<double> sum = 0.0;
      for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
          sum += static_cast<double>(x[r * n + c]) *
                 std::polar(1.0, -2.0 * kPi * (u * c + v * r) / n);
      EXPECT_APPROX(re.data[v * n + u], sum.real(), kSpectrumTolerance) << u << ", " << v;
      EXPECT_APPROX(im.data[v * n + u], sum.imag(), kSpectrumTolerance) << u << ", " << v;
    }
  // The constant raster has all its light at frequency 0.
  ASSERT_EQ(object.ReadFrame(1, re, im), 1);
  EXPECT_APPROX(re.data[0], 64.0, kSpectrumTolerance);
  EXPECT_APPROX(std::fabs(re.data[9]) + std::fabs(im.data[9]), 0.0, kSpectrumTolerance);
}

TEST_F(TestObject, TransformComputesOnlyWhatIsMissing) {
  constexpr int n = 8;
  UsePixels(n, 0.01);
  TRasterObject object(*this, n);
  object.values = {Asymmetric(n)};
  ASSERT_EQ(object.TransformRasters(), 1);
  std::filesystem::remove(Scratch("obj0.spc"));
  // State 2: nothing is calculated or written again.
  EXPECT_EQ(object.TransformRasters(), 1);
  EXPECT_EQ(object.calculations, 1);
  EXPECT_FALSE(std::filesystem::exists(Scratch("obj0.spc")));
  // State 1: the rasters stand, only the spectra are made.
  object.state = kRastersWritten;
  EXPECT_EQ(object.TransformRasters(), 1);
  EXPECT_EQ(object.calculations, 1);
  EXPECT_TRUE(std::filesystem::exists(Scratch("obj0.spc")));
}

TEST_F(TestObject, FailuresLeaveTheStateBelowTwo) {
  constexpr int n = 8;
  UsePixels(n, 0.01);
  TRasterObject failing(*this, n);
  failing.values = {Asymmetric(n)};
  failing.fail = true;
  EXPECT_EQ(failing.TransformRasters(), 0);
  EXPECT_EQ(failing.state, kNothingComputed);
  EXPECT_EQ(FileCount(), 0);

  // A raster that is not N x N cannot be transformed at N: refused, with a message.
  TRasterObject odd(*this, n);
  odd.values = {Asymmetric(n), Asymmetric(n)};
  odd.oddSized = 1;
  EXPECT_EQ(odd.TransformRasters(), 0);
  EXPECT_NE(odd.state, kSpectraWritten);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("obj1.img"), std::string::npos);

  // A pixel count that is no power of two, or no synthesis record at all.
  TRasterObject plain(*this, n);
  plain.values = {Asymmetric(n)};
  UsePixels(12, 0.01);
  EXPECT_EQ(plain.TransformRasters(), 0);
  UsePixels(n, 0.01);
  SetTestImage(nullptr);
  EXPECT_EQ(plain.TransformRasters(), 0);
}

TEST_F(TestObject, OneSpectrumFileServesEveryIndex) {
  constexpr int n = 8;
  UsePixels(n, 0.01);
  TRasterObject object(*this, n);
  object.values = {Asymmetric(n)};
  ASSERT_EQ(object.TransformRasters(), 1);
  Mem<float> re(n, n), im(n, n);
  ASSERT_EQ(object.ReadFrame(0, re, im), 1);

  Mem<float> pair;
  ASSERT_EQ(object.OpenFrameFile(5), 1);
  ASSERT_EQ(object.ReadFrameStep(5, pair, 3), 1);
  ASSERT_EQ(pair.cols, n);
  ASSERT_EQ(pair.rows, 2);
  for (int c = 0; c < n; ++c) {
    EXPECT_EQ(pair.data[c], re.data[3 * n + c]);
    EXPECT_EQ(pair.data[n + c], im.data[3 * n + c]);
  }
  // Rows outside the spectrum give zeros and 0.
  EXPECT_EQ(object.ReadFrameStep(0, pair, n), 0);
  EXPECT_EQ(pair.data[0], 0.0f);
  object.CloseFrameFile(7);
  EXPECT_EQ(object.frameFiles.data[0].handle, nullptr);
  EXPECT_EQ(object.ReadFrameStep(0, pair, 3), 0);
}

TEST_F(TestObject, SpectrumFilesOfTheWrongLengthAreNotOpened) {
  constexpr int n = 8;
  UsePixels(n, 0.01);
  TRasterObject object(*this, n);
  object.values = {Asymmetric(n), Asymmetric(n)};
  ASSERT_EQ(object.TransformRasters(), 1);
  std::vector<unsigned char> bytes = Bytes(Scratch("obj1.spc"));
  bytes.resize(bytes.size() - 8);
  WriteBytes(Scratch("obj1.spc"), bytes);
  EXPECT_EQ(object.OpenFrameFile(1), 0);
  EXPECT_EQ(object.frameFiles.data[1].handle, nullptr);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("obj1.spc"), std::string::npos);
  Mem<float> re(n, n), im(n, n);
  EXPECT_EQ(object.ReadFrame(1, re, im), 0);
  EXPECT_EQ(object.ReadFrame(2, re, im), 0);  // no such record
  Mem<float> small(n, n - 1);
  EXPECT_EQ(object.ReadFrame(0, small, im), 0);
}

TEST_F(TestObject, BaseOperationsOfAPlainParticipant) {
  TTestObject object(reinterpret_cast<HWND>(0x5));
  EXPECT_EQ(object.pictureSize.cx, 256);
  EXPECT_EQ(object.pictureCentre.y, 128);
  EXPECT_EQ(object.ReadParameters(), 1);
  EXPECT_EQ(object.ShowParameters(), 1);
  EXPECT_EQ(object.ValueAt(0, 1.0, 2.0), 0.0);
  EXPECT_EQ(object.Calculate(), 1);
  EXPECT_EQ(object.state, kRastersWritten);
  // No raster files: the spectra of nothing are done at once.
  UsePixels(8, 0.01);
  EXPECT_EQ(object.TransformRasters(), 1);
  EXPECT_EQ(object.state, kSpectraWritten);
}

}  // namespace

namespace {

TEST(TestImage, NewRecordHoldsTheDefaultsAndOwnsItsColourImage) {
  auto *record = new TTestImage();
  EXPECT_EQ(record->pixelCount, 128);
  EXPECT_EQ(record->colorMode, 17);
  EXPECT_EQ(record->Distance, 1000.0);
  EXPECT_FLOAT_EQ(record->psfCutLevel, 0.001f);
  EXPECT_EQ(record->pictureInt1, 1);
  EXPECT_EQ(record->pictureValue3, 0.0);
  EXPECT_EQ(record->raster.data, nullptr);
  // Cascade offsets 0 .. 5, then 0 again.
  for (int k = 0; k < 13; ++k) EXPECT_EQ(record->NextCascade(), k % 6);
  record->colorImage = new TColorImage();
  delete record;  // takes the colour image along (the sanitizer build sees a leak otherwise)
}

}  // namespace
