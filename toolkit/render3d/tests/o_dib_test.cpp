#include "toolkit/render3d/o_dib.h"

#include "platform/core/clipboard.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "toolkit/render3d/o_palette.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <utility>

namespace {

std::set<std::pair<int, int>> SetPixels(const TODib &dib) {
  std::set<std::pair<int, int>> pixels;
  for (int y = 0; y < dib.Height(); ++y) {
    for (int x = 0; x < dib.Width(); ++x) {
      const RGBTRIPLE p = dib.GetPixelColor(x, y);
      if (p.rgbtRed || p.rgbtGreen || p.rgbtBlue) pixels.emplace(x, y);
    }
  }
  return pixels;
}

}  // namespace

TEST(ODib, PackedTwentyFourBitGeometry) {
  TODib dib(3, 2);
  ASSERT_TRUE(dib.IsOK());
  EXPECT_EQ(dib.RowStride(), 12);
  EXPECT_TRUE(dib.IsTrueColor());
  const BITMAPINFOHEADER &header = *dib.GetInfoHeader();
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biBitCount, 24);
  EXPECT_EQ(header.biCompression, 0u);
  EXPECT_EQ(header.biSizeImage, 24u);
  EXPECT_EQ(header.biClrUsed, 0u);
  EXPECT_EQ(dib.BlockSize(), 40u + 24u);
  // Pixel (0, 0) lies in the second stored row.
  dib.SetPixel(0, 0, RGB(255, 0, 0));
  EXPECT_EQ(dib.GetBits()[12 + 2], 0xFF);
  EXPECT_EQ(dib.GetBits()[2], 0);
}

TEST(ODib, SetPixelStoresBlueGreenRed) {
  TODib dib(2, 2);
  dib.SetPixel(1, 1, 0x0000FF);
  const std::uint8_t *p = dib.GetBits() + 3;
  EXPECT_EQ(p[0], 0x00);
  EXPECT_EQ(p[1], 0x00);
  EXPECT_EQ(p[2], 0xFF);
  EXPECT_EQ(dib.GetPixelColor(1, 1).rgbtRed, 0xFF);
  EXPECT_EQ(dib.GetPixelColor(5, 1).rgbtRed, 0);
  dib.SetPixel(-1, 0, 0xFFFFFF);
  dib.SetPixel(0, 2, 0xFFFFFF);
  EXPECT_EQ(SetPixels(dib).size(), 1u);
}

TEST(ODib, ClearFillsEveryPixel) {
  TODib dib(5, 3);
  dib.Clear(0x5A0000);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const RGBTRIPLE p = dib.GetPixelColor(x, y);
      EXPECT_EQ(p.rgbtBlue, 0x5A);
      EXPECT_EQ(p.rgbtGreen, 0);
      EXPECT_EQ(p.rgbtRed, 0);
    }
  }
  TODib four(3, 2, 16, DIB_RGB_COLORS);
  four.Clear(0x7);
  EXPECT_EQ(four.GetBits()[0], 0x77);
  EXPECT_EQ(four.GetPixelIndex(2, 1), 7);
  TODib eight(3, 2, 256, DIB_RGB_COLORS);
  eight.Clear(0x1234);
  EXPECT_EQ(eight.GetPixelIndex(1, 1), 0x34);
}

TEST(ODib, FourBitPixelsShareABytePerPair) {
  TODib dib(4, 1, 16, DIB_RGB_COLORS);
  ASSERT_EQ(dib.BitsPerPixel(), 4);
  dib.SetPixelIndex(0, 0, 0xA, nullptr);
  dib.SetPixelIndex(1, 0, 0x5, nullptr);
  EXPECT_EQ(dib.GetBits()[0], 0xA5);
  // Writing x = 1 again keeps the high nibble.
  dib.SetPixelIndex(1, 0, 0xC, nullptr);
  EXPECT_EQ(dib.GetBits()[0], 0xAC);
  EXPECT_EQ(dib.GetPixelIndex(0, 0), 0xA);
  EXPECT_EQ(dib.GetPixelIndex(1, 0), 0xC);
  EXPECT_EQ(dib.GetPixelIndex(4, 0), 0);
}

TEST(ODib, OneBitPixels) {
  TODib dib(10, 2, 2, DIB_RGB_COLORS);
  ASSERT_EQ(dib.BitsPerPixel(), 1);
  EXPECT_EQ(dib.RowStride(), 4);
  dib.SetPixel(1, 0, 5);
  dib.SetPixel(9, 0, 1);
  const std::uint8_t *row = dib.GetBits() + 4;  // y = 0 is the second stored row
  EXPECT_EQ(row[0], 0x40);
  EXPECT_EQ(row[1], 0x40);
  dib.SetPixel(1, 0, 0);
  EXPECT_EQ(row[0], 0x00);
  EXPECT_EQ(dib.GetPixelIndex(9, 0), 1);
}

TEST(ODib, PaletteIndexOnTrueColourStoresTheEntry) {
  CreateSharedPalette();
  TODib dib(2, 1);
  dib.SetPixelIndex(0, 0, 105, *SharedPalette);
  EXPECT_EQ(dib.GetPixelColor(0, 0).rgbtBlue, 0x5A);
  // Without a palette there is nothing to store.
  dib.SetPixelIndex(1, 0, 105, nullptr);
  EXPECT_EQ(dib.GetPixelColor(1, 0).rgbtBlue, 0);
  DestroySharedPalette();
}

TEST(ODib, LineFollowsTheRoundingRule) {
  TODib dib(6, 4);
  dib.MoveTo(0, 0);
  dib.LineTo(4, 2, 0xFFFFFF);
  const std::set<std::pair<int, int>> expected = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}};
  EXPECT_EQ(SetPixels(dib), expected);
  // Backwards: offsets of negative steps are truncated toward zero after adding the half.
  TODib back(6, 4);
  back.MoveTo(4, 2);
  back.LineTo(0, 0, 0xFFFFFF);
  const std::set<std::pair<int, int>> backExpected = {{4, 2}, {3, 2}, {2, 2}, {1, 1}, {0, 1}};
  EXPECT_EQ(SetPixels(back), backExpected);
  // Steep line: roles of x and y swap.
  TODib steep(3, 5);
  steep.MoveTo(0, 0);
  steep.LineTo(2, 4, 0xFFFFFF);
  const std::set<std::pair<int, int>> steepExpected = {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}};
  EXPECT_EQ(SetPixels(steep), steepExpected);
  // A zero-length line is one pixel.
  TODib dot(3, 3);
  dot.MoveTo(1, 1);
  dot.LineTo(1, 1, 0xFFFFFF);
  EXPECT_EQ(SetPixels(dot).size(), 1u);
}

TEST(ODib, FarLinesAndTrianglesAreClippedQuickly) {
  TODib dib(8, 8);
  dib.MoveTo(-2000000000, 3);
  dib.LineTo(2000000000, 3, 0xFFFFFF);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dib.GetPixelColor(x, 3).rgbtRed, 0xFF) << x;
  dib.FillTriangle(POINT{-2000000000, -2000000000}, POINT{2000000000, -2000000000},
                   POINT{0, 2000000000}, 0x00FF00);
  EXPECT_EQ(dib.GetPixelColor(4, 4).rgbtGreen, 0xFF);
}

TEST(ODib, TriangleFillCoversItsRows) {
  TODib dib(8, 8);
  dib.FillTriangle(POINT{0, 0}, POINT{4, 0}, POINT{0, 4}, 0xFFFFFF);
  // Row y spans x = 0 .. 4 - y.
  std::set<std::pair<int, int>> expected;
  for (int y = 0; y <= 4; ++y) {
    for (int x = 0; x <= 4 - y; ++x) expected.emplace(x, y);
  }
  EXPECT_EQ(SetPixels(dib), expected);
  // A flat triangle is one span across all three vertices.
  TODib flat(8, 2);
  flat.FillTriangle(POINT{5, 1}, POINT{1, 1}, POINT{3, 1}, 0xFFFFFF);
  EXPECT_EQ(SetPixels(flat).size(), 5u);
}

TEST(ODib, SpansAreClipped) {
  TODib dib(6, 2, 256, DIB_RGB_COLORS);
  dib.HLine(4, -3, 0, 0x1207);
  for (int x = 0; x <= 4; ++x) EXPECT_EQ(dib.GetPixelIndex(x, 0), 7) << x;
  EXPECT_EQ(dib.GetPixelIndex(5, 0), 0);
  dib.HLine(6, 10, 1, 9);
  dib.HLine(-5, -1, 1, 9);
  dib.HLine(0, 5, 2, 9);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(dib.GetPixelIndex(x, 1), 0);
  dib.HLine(3, 100, 1, 9);
  EXPECT_EQ(dib.GetPixelIndex(5, 1), 9);
  TODib four(6, 1, 16, DIB_RGB_COLORS);
  four.HLine(0, 5, 0, 3);
  EXPECT_EQ(four.GetPixelIndex(0, 0), 0);
}

TEST(ODib, RowCopiesRespectTheWidth) {
  TODib dib(4, 2, 256, DIB_RGB_COLORS);
  const BYTE bytes[5] = {1, 2, 3, 4, 5};
  dib.SetRow8(0, bytes, 5);
  EXPECT_EQ(dib.GetPixelIndex(0, 0), 0);
  dib.SetRow8(0, bytes, 4);
  EXPECT_EQ(dib.GetPixelIndex(3, 0), 4);
  dib.SetRow8(2, bytes, 4);
  TODib rgb(2, 2);
  const RGBTRIPLE triples[2] = {{1, 2, 3}, {4, 5, 6}};
  rgb.SetRow24(1, triples, 2);
  EXPECT_EQ(rgb.GetPixelColor(1, 1).rgbtRed, 6);
  // A 1-bit row holds fewer bytes than its width: a width-long copy is refused.
  TODib mono(64, 1, 2, DIB_RGB_COLORS);
  std::vector<BYTE> long_row(64, 0xFF);
  mono.SetRow8(0, long_row.data(), 64);
  EXPECT_EQ(mono.GetPixelIndex(0, 0), 0);
}

TEST(ODib, DrawTakesRowsFromTheBottomOfTheSourceRectangle) {
  // A bitmap 100 high whose row y (from the top) has red = y.
  TODib dib(20, 100);
  for (int y = 0; y < 100; ++y) dib.HLine(0, 19, y, RGB(y, 0, 0));
  QImage image(10, 10, QImage::Format_RGB32);
  image.fill(0xFFFFFFFFu);
  TImageDC dc(&image);
  const RECT source{0, 0, 10, 10};
  EXPECT_EQ(dib.Draw(dc, 0, 0, &source), 100);
  for (int j = 0; j < 10; ++j) EXPECT_EQ(ColorOfPixel(image.pixel(0, j)), RGB(j, 0, 0)) << j;
  const RECT lower{5, 50, 15, 60};
  dib.Draw(dc, 0, 0, &lower);
  EXPECT_EQ(ColorOfPixel(image.pixel(0, 0)), RGB(50, 0, 0));
  EXPECT_EQ(ColorOfPixel(image.pixel(0, 9)), RGB(59, 0, 0));
}

TEST(ODib, StretchDrawScalesTheWholeBitmap) {
  TODib dib(2, 2);
  dib.SetPixel(0, 0, RGB(255, 0, 0));
  dib.SetPixel(1, 1, RGB(0, 0, 255));
  QImage image(4, 4, QImage::Format_RGB32);
  TImageDC dc(&image);
  dib.StretchDraw(dc, RECT{0, 0, 4, 4});
  EXPECT_EQ(ColorOfPixel(image.pixel(1, 1)), RGB(255, 0, 0));
  EXPECT_EQ(ColorOfPixel(image.pixel(3, 3)), RGB(0, 0, 255));
  EXPECT_EQ(ColorOfPixel(image.pixel(3, 0)), RGB(0, 0, 0));
}

TEST(ODib, PalettisedBackBufferDrawsSharedPaletteEntries) {
  CreateSharedPalette();
  TODib dib(3, 1, 256, DIB_PAL_COLORS);
  ASSERT_TRUE(dib.IsOK());
  dib.SetPixel(0, 0, 105);
  dib.SetPixel(1, 0, SharedPalette->RangeColor(200) & 0xFFFF);
  QImage image(3, 1, QImage::Format_RGB32);
  TImageDC dc(&image);
  SharedPalette->SelectAndRealizeDC(dc);
  dib.Draw(dc, 0, 0);
  dc.RestorePalette();
  EXPECT_EQ(ColorOfPixel(image.pixel(0, 0)), RGB(0, 0, 0x5A));
  EXPECT_EQ(ColorOfPixel(image.pixel(1, 0)), PaletteEntryColor(*SharedPalette, 200));
  DestroySharedPalette();
}

TEST(ODib, FilesOfEveryDepthRoundTrip) {
  std::mt19937 random(1234u);
  SCOPED_TRACE("seed 1234");
  const int colorCounts[4] = {2, 16, 256, 0};
  for (int colors : colorCounts) {
    TODib dib = colors ? TODib(11, 6, colors, DIB_RGB_COLORS) : TODib(11, 6);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 11; ++x) {
        dib.SetPixel(x, y, colors ? random() % colors : random() & 0xFFFFFF);
      }
    }
    const std::string path = ::testing::TempDir() + "odib_" + std::to_string(colors) + ".bmp";
    ASSERT_TRUE(dib.WriteFile(path.c_str()));
    const TODib back(path.c_str());
    ASSERT_TRUE(back.IsOK()) << back.ErrorText();
    EXPECT_EQ(back.BitsPerPixel(), dib.BitsPerPixel());
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 11; ++x) {
        if (colors) {
          ASSERT_EQ(back.GetPixelIndex(x, y), dib.GetPixelIndex(x, y));
        } else {
          ASSERT_EQ(back.GetPixelColor(x, y).rgbtGreen, dib.GetPixelColor(x, y).rgbtGreen);
        }
      }
    }
    std::remove(path.c_str());
  }
}

TEST(ODib, UnreadableFileGivesAnInvalidBitmap) {
  const TODib missing("/nonexistent/picture.bmp");
  EXPECT_FALSE(missing.IsOK());
  EXPECT_EQ(missing.Width(), 0);
  EXPECT_FALSE(missing.ErrorText().empty());
  // Every operation on it is harmless.
  TODib copy(missing);
  copy.SetPixel(0, 0, 1);
  copy.Clear(3);
  copy.FillTriangle(POINT{0, 0}, POINT{5, 0}, POINT{0, 5}, 1);
  EXPECT_EQ(copy.GetPixelIndex(0, 0), 0);
  QImage image(2, 2, QImage::Format_RGB32);
  TImageDC dc(&image);
  EXPECT_EQ(copy.Draw(dc, 0, 0), 0);
  EXPECT_FALSE(TODib(0, 0).IsOK());
  EXPECT_TRUE(TODib::AllocDib24(-1, 5).empty());
}

TEST(ODib, PalettisedFilesAreWrittenInTheSharedPalettesColours) {
  CreateSharedPalette();
  TODib dib(2, 1, 256, DIB_PAL_COLORS);
  dib.SetPixel(0, 0, 105);
  dib.SetPixel(1, 0, 230);
  const std::string path = ::testing::TempDir() + "odib_palettised.bmp";
  ASSERT_TRUE(dib.WriteFile(path.c_str()));
  const TODib back(path.c_str());
  ASSERT_TRUE(back.IsOK()) << back.ErrorText();
  EXPECT_EQ(back.Usage(), DIB_RGB_COLORS);
  QImage image(2, 1, QImage::Format_RGB32);
  TImageDC dc(&image);
  back.Draw(dc, 0, 0);
  EXPECT_EQ(ColorOfPixel(image.pixel(0, 0)), RGB(0, 0, 0x5A));
  EXPECT_EQ(ColorOfPixel(image.pixel(1, 0)), TOPalette::StandardColor(13));
  // Back to RGB mode in memory: the same colours.
  dib.SetColorMode(DIB_RGB_COLORS);
  QImage again(2, 1, QImage::Format_RGB32);
  TImageDC againDc(&again);
  dib.Draw(againDc, 0, 0);
  EXPECT_EQ(again, image);
  std::remove(path.c_str());
  DestroySharedPalette();
}

TEST(ODib, ClearFillsThirtyTwoBitsAndLeavesOneBitAsCreated) {
  std::vector<std::uint8_t> block(40 + 3 * 2 * 4, 0xEE);
  BITMAPINFOHEADER header;
  header.biWidth = 3;
  header.biHeight = 2;
  header.biBitCount = 32;
  std::memcpy(block.data(), &header, 40);
  TODib deep(std::move(block), true);
  ASSERT_TRUE(deep.IsOK());
  deep.Clear(RGB(1, 2, 3));
  for (int i = 0; i < 6; ++i) {
    const std::uint8_t *p = deep.GetBits() + 4 * i;
    EXPECT_EQ(p[0], 3);
    EXPECT_EQ(p[1], 2);
    EXPECT_EQ(p[2], 1);
    EXPECT_EQ(p[3], 0);
  }
  TODib mono(9, 2, 2, DIB_RGB_COLORS);
  mono.SetPixel(3, 1, 1);
  mono.Clear(1);
  EXPECT_EQ(mono.GetPixelIndex(8, 1), 0);
  EXPECT_EQ(mono.GetPixelIndex(3, 1), 1);
}

// The copy on the clipboard is a 24-bit DIB in the colours the bitmap shows, rows the right
// way up.
TEST(ODib, ToClipboardPutsTheShownColoursAsADib) {
  TMemoryClipboard clipboard;
  TClipboardProvider *previous = SetClipboardProvider(&clipboard);
  TODib dib(2, 2);
  ASSERT_TRUE(dib.IsTrueColor());
  dib.SetPixel(0, 0, RGB(10, 20, 30));
  dib.SetPixel(1, 1, RGB(200, 100, 50));
  EXPECT_EQ(dib.ToClipboard(), 1);
  std::vector<std::uint8_t> packed;
  ASSERT_TRUE(GetClipboardDib(packed));
  const TODib copy(packed, true);
  ASSERT_TRUE(copy.IsOK()) << copy.ErrorText();
  EXPECT_EQ(copy.BitsPixel(), 24);
  const auto colour = [&](int x, int y) {
    const RGBTRIPLE p = copy.GetPixelColor(x, y);
    return RGB(p.rgbtRed, p.rgbtGreen, p.rgbtBlue);
  };
  EXPECT_EQ(colour(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(colour(1, 1), RGB(200, 100, 50));
  EXPECT_EQ(colour(1, 0), RGB(0, 0, 0));
  EXPECT_EQ(colour(0, 1), RGB(0, 0, 0));
  SetClipboardProvider(previous);
}
