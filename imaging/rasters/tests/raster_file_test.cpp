// Raster files (*.img): the header layout, exact round trips, and the refusal of files
// whose length does not match their header.

#include <gtest/gtest.h>

#include <cstring>

#include "imaging/rasters/tests/raster_test_support.h"
#include "optics/model/file_data.h"

namespace {

class RasterFile : public SynthesisTest {};

TEST_F(RasterFile, OnePixelFileHoldsTheHeaderBytesWhereTheyBelong) {
  TFileData record = WriteRaster("one.img", 1, 1, {2.5f}, 0.5461f, 1.0f);
  const std::vector<unsigned char> bytes = Bytes(record.fileName);
  ASSERT_EQ(bytes.size(), 56u);
  // Little-endian: width 1, height 1, four int32 zeros, two float64 zeros, sampleStep 0,
  // then 0.5461 = 1.0922 x 2^-1: exponent 126 (0x7E), mantissa 0.0922 x 2^23 = 0x0BCD36,
  // so 0x3F0BCD36; 1.0 = 0x3F800000; 2.5 = 1.25 x 2^1 = 0x40200000.
  std::vector<unsigned char> expected(56, 0);
  expected[0] = 1;
  expected[4] = 1;
  const unsigned char wavelength[4] = {0x36, 0xCD, 0x0B, 0x3F};
  const unsigned char weight[4] = {0x00, 0x00, 0x80, 0x3F};
  const unsigned char pixel[4] = {0x00, 0x00, 0x20, 0x40};
  std::memcpy(&expected[44], wavelength, 4);
  std::memcpy(&expected[48], weight, 4);
  std::memcpy(&expected[52], pixel, 4);
  EXPECT_EQ(bytes, expected);
}

TEST_F(RasterFile, WriteAfterReadGivesTheSameBytes) {
  TFileData record;
  record.fileName = Scratch("source.img");
  record.originColumn = 2;
  record.originRow = -1;
  record.peakColumn = 3;
  record.peakRow = 1;
  record.fieldX = 0.125;
  record.fieldY = -7.75;
  record.sampleStep = 0.004f;
  record.wavelength = 0.6563f;
  record.weight = 0.25f;
  Mem<float> raster(4, 3);
  for (int k = 0; k < 12; ++k) raster.data[k] = 1.0f / static_cast<float>(k + 1) - 0.3f;
  ASSERT_EQ(record.Write(raster), 1);

  TFileData reader;
  reader.fileName = record.fileName;
  Mem<float> back;
  ASSERT_EQ(reader.Read(back), 1);
  reader.fileName = Scratch("copy.img");
  ASSERT_EQ(reader.Write(back), 1);
  EXPECT_EQ(Bytes(Scratch("copy.img")), Bytes(Scratch("source.img")));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(RasterFile, WidthZeroReadsAsAnEmptyRaster) {
  TFileData empty;
  empty.fileName = Scratch("empty.img");
  Mem<float> nothing;
  ASSERT_EQ(empty.Write(nothing), 1);
  TFileData reader;
  reader.fileName = empty.fileName;
  Mem<float> raster(2, 2);
  EXPECT_EQ(reader.Read(raster), 1);
  EXPECT_EQ(raster.data, nullptr);
  EXPECT_EQ(reader.width, 0);
}

// Reading a damaged file refuses it with a message and changes neither record nor raster.
void ExpectRefused(SynthesisTest &test, TRecordingMessageBoxProvider &boxes,
                   const std::string &path, const char *what) {
  TFileData reader;
  reader.fileName = path;
  reader.wavelength = 0.9f;
  reader.width = 17;
  Mem<float> raster(2, 1);
  raster.data[0] = 4.0f;
  const std::size_t shown = boxes.boxes.size();
  EXPECT_EQ(reader.Read(raster), 0) << what;
  EXPECT_EQ(reader.wavelength, 0.9f) << what;
  EXPECT_EQ(reader.width, 17) << what;
  ASSERT_EQ(raster.cols, 2) << what;
  EXPECT_EQ(raster.data[0], 4.0f) << what;
  ASSERT_EQ(boxes.boxes.size(), shown + 1) << what;
  EXPECT_NE(boxes.boxes.back().text.find(path), std::string::npos) << what;
  (void)test;
}

TEST_F(RasterFile, FilesOfTheWrongLengthAreRefused) {
  const TFileData record = WriteRaster("good.img", 3, 2, {1.0f, 2.0f, 3.0f}, 0.55f);
  const std::vector<unsigned char> good = Bytes(record.fileName);
  ASSERT_EQ(good.size(), 52u + 24u);

  std::vector<unsigned char> truncatedHeader(good.begin(), good.begin() + 30);
  WriteBytes(Scratch("header.img"), truncatedHeader);
  ExpectRefused(*this, boxes, Scratch("header.img"), "truncated header");

  WriteBytes(Scratch("nothing.img"), {});
  ExpectRefused(*this, boxes, Scratch("nothing.img"), "empty file");

  std::vector<unsigned char> shortRows(good.begin(), good.end() - 4);
  WriteBytes(Scratch("short.img"), shortRows);
  ExpectRefused(*this, boxes, Scratch("short.img"), "one pixel missing");

  std::vector<unsigned char> longer = good;
  longer.push_back(0);
  WriteBytes(Scratch("long.img"), longer);
  ExpectRefused(*this, boxes, Scratch("long.img"), "a stray byte after the pixels");

  // A header claiming far more pixels than the file holds, up to sizes whose byte count
  // overflows 64 bits.
  for (const std::int32_t side : {3, 65536, 2147483647}) {
    std::vector<unsigned char> oversized = good;
    std::memcpy(&oversized[0], &side, 4);
    std::memcpy(&oversized[4], &side, 4);
    WriteBytes(Scratch("oversized.img"), oversized);
    ExpectRefused(*this, boxes, Scratch("oversized.img"), "oversized header");
  }

  // One side 0 and the other not: no writer makes it (an empty raster is 0 x 0), and it
  // could not be written back as it was.
  std::vector<unsigned char> flat(good.begin(), good.begin() + 52);
  const std::int32_t wide = 1 << 27;
  std::memcpy(&flat[0], &wide, 4);
  std::memset(&flat[4], 0, 4);
  WriteBytes(Scratch("flat.img"), flat);
  ExpectRefused(*this, boxes, Scratch("flat.img"), "one side 0");

  std::vector<unsigned char> negative = good;
  const std::int32_t minusThree = -3;
  std::memcpy(&negative[0], &minusThree, 4);
  WriteBytes(Scratch("negative.img"), negative);
  ExpectRefused(*this, boxes, Scratch("negative.img"), "negative width");
}

TEST_F(RasterFile, MissingFileIsNotAMessage) {
  TFileData reader;
  reader.fileName = Scratch("absent.img");
  Mem<float> raster;
  EXPECT_EQ(reader.Read(raster), 0);
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
