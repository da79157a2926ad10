#include "platform/gui/drawing/dib.h"

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/dib_bits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

std::string TempPath(const std::string &name) { return ::testing::TempDir() + name; }

std::vector<std::uint8_t> ReadAll(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string &path, const std::vector<std::uint8_t> &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// A DIB of the given depth with random bits and colour table (fixed seed).
TDib RandomDib(int width, int height, int colors, unsigned seed) {
  TDib dib(width, height, colors);
  std::mt19937 random(seed);
  const std::size_t tableBytes = 4 * static_cast<std::size_t>(dib.NumColors());
  std::uint8_t *table = reinterpret_cast<std::uint8_t *>(dib.GetColors());
  for (std::size_t i = 0; i < tableBytes; ++i) table[i] = static_cast<std::uint8_t>(random());
  const std::size_t bitsBytes = dib.BlockSize() - 40 - tableBytes;
  for (std::size_t i = 0; i < bitsBytes; ++i)
    dib.GetBits()[i] = static_cast<std::uint8_t>(random());
  return dib;
}

void Put32(std::vector<std::uint8_t> &bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(Dib, BitmapFilesOfEveryDepthRoundTrip) {
  const int colorCounts[5] = {2, 16, 256, 1 << 24, 0};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(colorCounts[k]);
    const TDib dib = RandomDib(13, 7, colorCounts[k], 100u + static_cast<unsigned>(k));
    ASSERT_TRUE(dib.IsOK());
    const std::string path = TempPath("round_trip_" + std::to_string(k) + ".bmp");
    ASSERT_TRUE(dib.WriteFile(path.c_str()));
    const TDib back(path.c_str());
    ASSERT_TRUE(back.IsOK()) << back.ErrorText();
    EXPECT_EQ(back.BitsPixel(), dib.BitsPixel());
    EXPECT_EQ(back.Width(), 13);
    EXPECT_EQ(back.Height(), 7);
    ASSERT_EQ(back.BlockSize(), dib.BlockSize());
    const auto *a = reinterpret_cast<const std::uint8_t *>(dib.GetInfo());
    const auto *b = reinterpret_cast<const std::uint8_t *>(back.GetInfo());
    EXPECT_TRUE(std::equal(a + 40, a + dib.BlockSize(), b + 40));
    std::remove(path.c_str());
  }
}

TEST(Dib, ThirtyTwoBitFilesRoundTrip) {
  std::vector<std::uint8_t> block(40 + 5 * 3 * 4, 0);
  BITMAPINFOHEADER header;
  header.biWidth = 5;
  header.biHeight = 3;
  header.biBitCount = 32;
  std::memcpy(block.data(), &header, 40);
  for (std::size_t i = 40; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
  const TDib dib(block);
  ASSERT_TRUE(dib.IsOK());
  const std::string path = TempPath("depth32.bmp");
  ASSERT_TRUE(dib.WriteFile(path.c_str()));
  const TDib back(path.c_str());
  ASSERT_TRUE(back.IsOK()) << back.ErrorText();
  EXPECT_EQ(back.BitsPixel(), 32);
  EXPECT_TRUE(std::equal(block.begin() + 40, block.end(), back.GetBits()));
  std::remove(path.c_str());
}

TEST(Dib, FileHeaderFieldsAreWrittenAsTheFormatSays) {
  const TDib dib = RandomDib(3, 2, 1 << 24, 3u);
  const std::string path = TempPath("fields.bmp");
  ASSERT_TRUE(dib.WriteFile(path.c_str()));
  const std::vector<std::uint8_t> bytes = ReadAll(path);
  // 14 + 40 header bytes, rows of 12 bytes (9 padded to a multiple of 4).
  ASSERT_EQ(bytes.size(), 14u + 40u + 24u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(bytes[2], 78);
  EXPECT_EQ(bytes[10], 54);
  EXPECT_EQ(bytes[14], 40);
  EXPECT_EQ(bytes[28], 24);
  std::remove(path.c_str());
}

TEST(Dib, TopDownFilesAreStoredBottomUp) {
  const TDib dib = RandomDib(4, 3, 256, 8u);
  const std::string path = TempPath("topdown.bmp");
  ASSERT_TRUE(dib.WriteFile(path.c_str()));
  std::vector<std::uint8_t> bytes = ReadAll(path);
  // Make the file top-down: negative height, rows in reverse order.
  Put32(bytes, 22, static_cast<std::uint32_t>(-3));
  const std::size_t bits = 14 + 40 + 1024;
  std::vector<std::uint8_t> rows(bytes.begin() + bits, bytes.end());
  for (int r = 0; r < 3; ++r) {
    std::copy(rows.begin() + 4 * (2 - r), rows.begin() + 4 * (3 - r), bytes.begin() + bits + 4 * r);
  }
  WriteAll(path, bytes);
  const TDib back(path.c_str());
  ASSERT_TRUE(back.IsOK()) << back.ErrorText();
  EXPECT_EQ(back.Height(), 3);
  EXPECT_TRUE(std::equal(dib.GetBits(), dib.GetBits() + 12, back.GetBits()));
  std::remove(path.c_str());
}

TEST(Dib, TruncatedAndLyingFilesAreRefused) {
  const TDib dib = RandomDib(16, 16, 16, 21u);
  const std::string path = TempPath("lying.bmp");
  ASSERT_TRUE(dib.WriteFile(path.c_str()));
  const std::vector<std::uint8_t> good = ReadAll(path);
  for (std::size_t size : {std::size_t{0}, std::size_t{2}, std::size_t{14}, std::size_t{53},
                           std::size_t{60}, good.size() - 1}) {
    WriteAll(path, std::vector<std::uint8_t>(good.begin(), good.begin() + size));
    const TDib truncated(path.c_str());
    EXPECT_FALSE(truncated.IsOK()) << "size " << size;
    EXPECT_FALSE(truncated.ErrorText().empty());
  }
  struct Lie {
    std::size_t at;
    std::uint32_t value;
  };
  const Lie lies[] = {{18, 100000},       // width far larger than the file
                      {22, 30000},        // height likewise
                      {10, 0xFFFFFFF0u},  // bits beyond the end
                      {14, 0xFFFFu},      // header longer than the file
                      {28, 7},            // no such depth
                      {30, 1},            // compressed
                      {46, 1000}};        // more colours than 4 bits allow
  for (const Lie &lie : lies) {
    std::vector<std::uint8_t> bytes = good;
    if (lie.at == 28) {
      bytes[28] = static_cast<std::uint8_t>(lie.value);
    } else {
      Put32(bytes, lie.at, lie.value);
    }
    WriteAll(path, bytes);
    const TDib refused(path.c_str());
    EXPECT_FALSE(refused.IsOK()) << "field at " << lie.at;
  }
  const TDib missing(TempPath("no_such_file.bmp").c_str());
  EXPECT_FALSE(missing.IsOK());
  std::remove(path.c_str());
}

TEST(Dib, RandomlyDamagedFilesNeverCrash) {
  const TDib dib = RandomDib(9, 5, 256, 33u);
  const std::string path = TempPath("damaged.bmp");
  ASSERT_TRUE(dib.WriteFile(path.c_str()));
  const std::vector<std::uint8_t> good = ReadAll(path);
  std::mt19937 random(555u);
  SCOPED_TRACE("seed 555");
  int accepted = 0;
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<std::uint8_t> bytes = good;
    for (int hit = 0; hit < 3; ++hit) {
      bytes[random() % 60] = static_cast<std::uint8_t>(random());
    }
    std::vector<std::uint8_t> block;
    std::string error;
    if (TDib::ParseBitmapFile(bytes, block, error)) {
      ++accepted;
      // An accepted file always yields a block that holds all its rows.
      const TDib parsed(block);
      EXPECT_TRUE(parsed.IsOK());
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
  EXPECT_LT(accepted, 300);
  std::remove(path.c_str());
}

TEST(Dib, ColourModesConvertThroughAPalette) {
  TDib dib(2, 1, 2);
  ASSERT_EQ(dib.BitsPixel(), 1);
  dib.GetColors()[1] = RGBQUAD{0, 0, 250, 0};
  const PALETTEENTRY entries[3] = {{0, 0, 0, 0}, {9, 9, 9, 0}, {255, 0, 0, 0}};
  TPalette palette(entries, 3);
  ASSERT_TRUE(dib.ChangeModeToPal(palette));
  EXPECT_EQ(dib.Usage(), DIB_PAL_COLORS);
  ASSERT_TRUE(dib.ChangeModeToRGB(palette));
  EXPECT_EQ(dib.GetColors()[1].rgbRed, 255);
  EXPECT_EQ(dib.GetColors()[0].rgbRed, 0);
}

TEST(Dib, ImpossibleSizesGiveAnInvalidBitmap) {
  EXPECT_FALSE(TDib(0, 5, 256).IsOK());
  EXPECT_FALSE(TDib(5, -5, 256).IsOK());
  EXPECT_FALSE(TDib(1 << 20, 1 << 20, 256).IsOK());
  EXPECT_FALSE(TDib(std::vector<std::uint8_t>(10, 0)).IsOK());
  EXPECT_FALSE(TDib(static_cast<HBITMAP>(nullptr), nullptr).IsOK());
}

TEST(DibBits, TwentyFourBitRowsRoundTripThroughABitmap) {
  const TDib source = RandomDib(7, 5, 1 << 24, 71u);
  TBitmap bitmap(7, 5);
  EXPECT_EQ(SetDIBits(nullptr, bitmap, 0, 5, source.GetBits(), source.GetInfo(), DIB_RGB_COLORS),
            5);
  // The bottom stored row is the bitmap's last row.
  const std::uint8_t *bottom = source.GetBits();
  EXPECT_EQ(ColorOfPixel(static_cast<HBITMAP>(bitmap)->image.pixel(0, 4)),
            RGB(bottom[2], bottom[1], bottom[0]));
  TDib back(7, 5, 1 << 24);
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 5, back.GetBits(), back.GetInfo(), DIB_RGB_COLORS), 5);
  // Rows of 21 pixel bytes padded to 24; the padding is not picture.
  for (int row = 0; row < 5; ++row) {
    EXPECT_TRUE(std::equal(source.GetBits() + 24 * row, source.GetBits() + 24 * row + 21,
                           back.GetBits() + 24 * row))
        << row;
  }
}

TEST(DibBits, PaletteIndicesGoThroughTheContextPalette) {
  const PALETTEENTRY entries[4] = {{0, 0, 0, 0}, {250, 0, 0, 0}, {0, 250, 0, 0}, {0, 0, 250, 0}};
  TPalette palette(entries, 4);
  QImage page(1, 1, QImage::Format_RGB32);
  TImageDC dc(&page);
  dc.SelectObject(palette);
  TDib dib(4, 2, 256, DIB_PAL_COLORS);
  const std::uint8_t indices[8] = {1, 2, 3, 0, 3, 3, 2, 1};
  std::memcpy(dib.GetBits(), indices, 4);
  std::memcpy(dib.GetBits() + 4, indices + 4, 4);
  TBitmap bitmap(4, 2);
  ASSERT_EQ(SetDIBits(dc, bitmap, 0, 2, dib.GetBits(), dib.GetInfo(), DIB_PAL_COLORS), 2);
  const QImage &image = static_cast<HBITMAP>(bitmap)->image;
  EXPECT_EQ(ColorOfPixel(image.pixel(0, 1)), RGB(250, 0, 0));  // bottom row, index 1
  EXPECT_EQ(ColorOfPixel(image.pixel(0, 0)), RGB(0, 0, 250));  // top row, index 3
  TDib back(4, 2, 256, DIB_PAL_COLORS);
  ASSERT_EQ(GetDIBits(dc, bitmap, 0, 2, back.GetBits(), back.GetInfo(), DIB_PAL_COLORS), 2);
  EXPECT_TRUE(std::equal(dib.GetBits(), dib.GetBits() + 8, back.GetBits()));
  dc.RestorePalette();
}

TEST(DibBits, FourBitTablesTakeTheNearestColour) {
  TDib dib(3, 1, 16);
  dib.GetColors()[0] = RGBQUAD{0, 0, 0, 0};
  dib.GetColors()[5] = RGBQUAD{0, 0, 200, 0};
  dib.GetColors()[9] = RGBQUAD{200, 200, 200, 0};
  TBitmap bitmap(3, 1);
  QImage &image = static_cast<HBITMAP>(bitmap)->image;
  image.setPixel(0, 0, PixelOfColor(RGB(190, 10, 5)));
  image.setPixel(1, 0, PixelOfColor(RGB(210, 205, 190)));
  image.setPixel(2, 0, PixelOfColor(RGB(5, 5, 5)));
  ASSERT_EQ(GetDIBits(nullptr, bitmap, 0, 1, dib.GetBits(), dib.GetInfo(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(dib.GetBits()[0], 0x59);
  EXPECT_EQ(dib.GetBits()[1] >> 4, 0);
}

TEST(DibBits, BandsAndBadInput) {
  const TDib source = RandomDib(2, 3, 1 << 24, 5u);
  TBitmap bitmap(2, 3);
  QImage &image = static_cast<HBITMAP>(bitmap)->image;
  image.fill(0xFF000000u);
  // Only stored row 1 (the middle row of the picture) is given.
  EXPECT_EQ(
      SetDIBits(nullptr, bitmap, 1, 1, source.GetBits() + 8, source.GetInfo(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(ColorOfPixel(image.pixel(0, 0)), 0u);
  EXPECT_EQ(ColorOfPixel(image.pixel(0, 2)), 0u);
  const std::uint8_t *middle = source.GetBits() + 8;
  EXPECT_EQ(ColorOfPixel(image.pixel(0, 1)), RGB(middle[2], middle[1], middle[0]));
  BITMAPINFO info;
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = 3;
  info.bmiHeader.biBitCount = 24;
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 3, nullptr, &info, DIB_RGB_COLORS), 3);
  EXPECT_EQ(info.bmiHeader.biSizeImage, 24u);
  info.bmiHeader.biBitCount = 13;
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 3, nullptr, &info, DIB_RGB_COLORS), 0);
  EXPECT_EQ(SetDIBits(nullptr, nullptr, 0, 3, source.GetBits(), source.GetInfo(), DIB_RGB_COLORS),
            0);
  EXPECT_EQ(SetDIBits(nullptr, bitmap, 7, 3, source.GetBits(), source.GetInfo(), DIB_RGB_COLORS),
            0);
}
