// Spectrum files (*.spc) and the unique names of component rasters.

#include "imaging/rasters/spectrum_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "imaging/rasters/tests/raster_test_support.h"
#include "imaging/rasters/unique_raster_file.h"

namespace {

class SpectrumFile : public SynthesisTest {};

// re(c, r) = 1000 r + c, im(c, r) = -(1000 r + c) - 0.5: every cell names its place.
void FillNamed(Mem<float> &re, Mem<float> &im, int n) {
  re.Allocate(n, n);
  im.Allocate(n, n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      re.data[r * n + c] = static_cast<float>(1000 * r + c);
      im.data[r * n + c] = -static_cast<float>(1000 * r + c) - 0.5f;
    }
}

TEST_F(SpectrumFile, RowPairsLieAtEightNBytesEach) {
  constexpr int n = 128;
  Mem<float> re, im;
  FillNamed(re, im, n);
  const std::string path = Scratch("obj.spc");
  ASSERT_EQ(WriteSpectrumFile(path, re, im, n), 1);
  const std::vector<unsigned char> bytes = Bytes(path);
  ASSERT_EQ(bytes.size(), 131072u);
  EXPECT_EQ(SpectrumFileBytes(n), 131072);
  // Row pair 5 starts at byte 8 x 128 x 5 = 5120: real part of (0, 5), and the imaginary
  // part of (0, 5) follows the 128 real parts.
  float value = 0.0f;
  std::memcpy(&value, &bytes[5120], 4);
  EXPECT_EQ(value, 5000.0f);
  std::memcpy(&value, &bytes[5120 + 4 * 128], 4);
  EXPECT_EQ(value, -5000.5f);
  std::memcpy(&value, &bytes[5120 - 4], 4);
  EXPECT_EQ(value, -4127.5f);  // the last imaginary part of row 4

  Mem<float> backRe(n, n), backIm(n, n);
  ASSERT_EQ(ReadSpectrumFile(path, backRe, backIm, n), 1);
  EXPECT_EQ(std::memcmp(backRe.data, re.data, sizeof(float) * n * n), 0);
  EXPECT_EQ(std::memcmp(backIm.data, im.data, sizeof(float) * n * n), 0);
  EXPECT_FALSE(std::filesystem::exists(path + "~"));
}

TEST_F(SpectrumFile, ShortOrLongFilesAndSmallRastersAreRefused) {
  constexpr int n = 8;
  Mem<float> re, im;
  FillNamed(re, im, n);
  const std::string path = Scratch("d_round.spc");
  ASSERT_EQ(WriteSpectrumFile(path, re, im, n), 1);
  std::vector<unsigned char> bytes = Bytes(path);

  Mem<float> backRe(n, n), backIm(n, n);
  backRe.Zero();
  bytes.pop_back();
  WriteBytes(path, bytes);
  EXPECT_EQ(ReadSpectrumFile(path, backRe, backIm, n), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("d_round.spc"), std::string::npos);
  EXPECT_EQ(backRe.data[0], 0.0f);  // nothing read

  bytes.push_back(0);
  bytes.push_back(0);
  WriteBytes(path, bytes);
  EXPECT_EQ(ReadSpectrumFile(path, backRe, backIm, n), 0);
  EXPECT_EQ(boxes.boxes.size(), 2u);

  Mem<float> small(n - 1, n);
  EXPECT_EQ(ReadSpectrumFile(path, small, backIm, n), 0);
  EXPECT_EQ(WriteSpectrumFile(path, small, im, n), 0);
  EXPECT_EQ(Bytes(path).size(), bytes.size());  // the old file stays
}

TEST_F(SpectrumFile, UniqueRasterFilesNeverShareANameAndStayInTheirDirectory) {
  std::set<std::string> names;
  for (int k = 0; k < 50; ++k) {
    const std::string name = CreateUniqueRasterFile(Scratch(""), "cmp");
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(std::filesystem::path(name).parent_path(),
              std::filesystem::path(Scratch("")).parent_path());
    EXPECT_EQ(std::filesystem::path(name).extension(), ".img");
    EXPECT_TRUE(std::filesystem::exists(name));
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 50u);
  EXPECT_EQ(CreateUniqueRasterFile(Scratch("no/such/folder"), "cmp"), "");
}

}  // namespace
