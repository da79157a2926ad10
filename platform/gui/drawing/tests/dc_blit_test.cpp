#include "platform/gui/drawing/dc_kinds.h"

#include "platform/gui/drawing/dib.h"
#include "platform/gui/drawing/dib_pixels.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstring>
#include <random>
#include <vector>

namespace {

QImage NoiseImage(int width, int height, unsigned seed) {
  QImage image(width, height, QImage::Format_RGB32);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
  }
  return image;
}

QImage Filled(int width, int height, COLORREF color) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(PixelOfColor(color));
  return image;
}

COLORREF At(const QImage &image, int x, int y) { return ColorOfPixel(image.pixel(x, y)); }

}  // namespace

TEST(DeviceContextBlit, SrcAndCombinesAsAnd) {
  QImage source = NoiseImage(16, 16, 1u);
  QImage destination = NoiseImage(16, 16, 2u);
  const QImage before = destination.copy();
  TImageDC sourceDc(&source);
  TImageDC destinationDc(&destination);
  destinationDc.BitBlt(0, 0, 16, 16, sourceDc, 0, 0, SRCAND);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      ASSERT_EQ(destination.pixel(x, y) & 0xFFFFFFu,
                source.pixel(x, y) & before.pixel(x, y) & 0xFFFFFFu);
    }
  }
}

TEST(DeviceContextBlit, MergePaintOfInvertedBackgroundLetsDestinationShow) {
  // A picture on an inverted background: MERGEPAINT makes the background white-through.
  QImage picture = Filled(8, 8, RGB(255 - 0x5A, 255, 255));
  picture.setPixel(3, 3, PixelOfColor(RGB(255, 0, 0)));
  QImage screen = Filled(8, 8, RGB(10, 200, 30));
  TImageDC pictureDc(&picture);
  TImageDC screenDc(&screen);
  screenDc.BitBlt(0, 0, 8, 8, pictureDc, 0, 0, MERGEPAINT);
  // ~source | destination per channel.
  EXPECT_EQ(At(screen, 0, 0), RGB(0x5A | 10, 200, 30));
  EXPECT_EQ(At(screen, 3, 3), RGB(10, 255, 255));
}

TEST(DeviceContextBlit, TwoStepPatInvertReplacesTheBackgroundColour) {
  // A graph's bitmap on 0xC0C0C0 with a black line and a red marker changes background.
  constexpr COLORREF kOld = RGB(0xC0, 0xC0, 0xC0);
  constexpr COLORREF kNew = RGB(0x3F, 0x3F, 0x3F);
  QImage bitmap = Filled(20, 10, kOld);
  TImageDC dc(&bitmap);
  dc.MoveTo(0, 5);
  dc.LineTo(20, 5);
  dc.SetPixel(3, 2, RGB(255, 0, 0));
  TBrush oldBrush(kOld);
  TBrush newBrush(kNew);
  dc.SelectObject(oldBrush);
  dc.PatBlt(0, 0, 20, 10, PATINVERT);
  dc.SelectObject(newBrush);
  dc.PatBlt(0, 0, 20, 10, PATINVERT);
  dc.RestoreBrush();
  EXPECT_EQ(At(bitmap, 0, 0), kNew);
  EXPECT_EQ(At(bitmap, 19, 9), kNew);
  // Every other pixel changes by old ^ new, so the drawing stays visible.
  EXPECT_EQ(At(bitmap, 7, 5), RGB(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(At(bitmap, 3, 2), RGB(0xFF ^ 0xFF, 0x00 ^ 0xFF, 0x00 ^ 0xFF));
}

TEST(DeviceContextBlit, MemoryBitmapCopiesToImageAndLeavesOutsideAlone) {
  TBitmap bitmap(6, 4);
  TMemoryDC memory;
  memory.SelectObject(bitmap);
  TBrush green(RGB(0, 255, 0));
  memory.FillRect(RECT{0, 0, 6, 4}, green);
  memory.SetPixel(5, 3, RGB(1, 2, 3));
  QImage window = Filled(10, 10, RGB(255, 255, 255));
  TImageDC dc(&window);
  // The request reaches past the bitmap; only the part with a source is copied.
  dc.BitBlt(2, 2, 8, 8, memory, 0, 0, SRCCOPY);
  EXPECT_EQ(At(window, 2, 2), RGB(0, 255, 0));
  EXPECT_EQ(At(window, 7, 5), RGB(1, 2, 3));
  EXPECT_EQ(At(window, 8, 5), RGB(255, 255, 255));
  EXPECT_EQ(At(window, 1, 1), RGB(255, 255, 255));
  memory.RestoreBitmap();
}

TEST(DeviceContextBlit, OverlappingCopyWithinOneImageReadsTheOldPicture) {
  QImage image = NoiseImage(12, 12, 9u);
  const QImage before = image.copy();
  TImageDC dc(&image);
  dc.BitBlt(2, 0, 10, 12, dc, 0, 0, SRCCOPY);
  for (int y = 0; y < 12; ++y) {
    for (int x = 2; x < 12; ++x) ASSERT_EQ(image.pixel(x, y), before.pixel(x - 2, y));
  }
}

TEST(DeviceContextBlit, StretchDoublesEachPixel) {
  QImage source = NoiseImage(3, 2, 11u);
  QImage destination = Filled(6, 4, 0);
  TImageDC sourceDc(&source);
  TImageDC destinationDc(&destination);
  destinationDc.StretchBlt(0, 0, 6, 4, sourceDc, 0, 0, 3, 2, SRCCOPY);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) ASSERT_EQ(destination.pixel(x, y), source.pixel(x / 2, y / 2));
  }
}

TEST(DeviceContextBlit, SameSizeCopiesMirrorAndMixPixelForPixel) {
  const QImage source = NoiseImage(7, 5, 21u);
  QImage sourceCopy = source.copy();
  TImageDC sourceDc(&sourceCopy);
  // Mirrored on both axes by negative destination extents.
  QImage mirrored = Filled(7, 5, 0);
  TImageDC mirroredDc(&mirrored);
  mirroredDc.StretchBlt(7, 5, -7, -5, sourceDc, 0, 0, 7, 5, SRCCOPY);
  // Merged: (not source) or destination, each bit.
  QImage merged = NoiseImage(7, 5, 22u);
  const QImage mergedBefore = merged.copy();
  TImageDC mergedDc(&merged);
  mergedDc.BitBlt(0, 0, 7, 5, sourceDc, 0, 0, MERGEPAINT);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      ASSERT_EQ(mirrored.pixel(6 - x, 4 - y), source.pixel(x, y)) << x << "," << y;
      const std::uint32_t expected =
          0xFF000000u | ((~source.pixel(x, y) | mergedBefore.pixel(x, y)) & 0xFFFFFFu);
      ASSERT_EQ(merged.pixel(x, y), expected) << x << "," << y;
    }
  }
  // A copy that reaches past the source's edge leaves the uncovered pixels alone.
  QImage partly = Filled(7, 5, RGB(1, 2, 3));
  TImageDC partlyDc(&partly);
  partlyDc.BitBlt(0, 0, 7, 5, sourceDc, 3, 0, SRCCOPY);
  EXPECT_EQ(partly.pixel(0, 0), source.pixel(3, 0));
  EXPECT_EQ(At(partly, 5, 0), RGB(1, 2, 3));
}

TEST(DeviceContextBlit, DibRowsAreBottomUp) {
  // A 2 x 3 24-bit DIB whose stored rows are red, green, blue from the bottom.
  TDib dib(2, 3, 1 << 24);
  ASSERT_TRUE(dib.IsOK());
  const COLORREF rows[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  for (int r = 0; r < 3; ++r) {
    std::uint8_t *row = dib.GetBits() + r * 8;
    for (int x = 0; x < 2; ++x) {
      row[3 * x] = GetBValue(rows[r]);
      row[3 * x + 1] = GetGValue(rows[r]);
      row[3 * x + 2] = GetRValue(rows[r]);
    }
  }
  QImage image = Filled(4, 4, RGB(255, 255, 255));
  TImageDC dc(&image);
  EXPECT_EQ(
      dc.SetDIBitsToDevice(1, 1, 2, 3, 0, 0, 0, 3, dib.GetBits(), dib.GetInfo(), DIB_RGB_COLORS),
      3);
  EXPECT_EQ(At(image, 1, 1), RGB(0, 0, 255));
  EXPECT_EQ(At(image, 2, 3), RGB(255, 0, 0));
  EXPECT_EQ(At(image, 3, 3), RGB(255, 255, 255));
  // The lower two rows only (source y counts from the bottom).
  QImage part = Filled(2, 2, RGB(255, 255, 255));
  TImageDC partDc(&part);
  partDc.SetDIBitsToDevice(0, 0, 2, 2, 0, 0, 0, 3, dib.GetBits(), dib.GetInfo(), DIB_RGB_COLORS);
  EXPECT_EQ(At(part, 0, 0), RGB(0, 255, 0));
  EXPECT_EQ(At(part, 0, 1), RGB(255, 0, 0));
}

TEST(DeviceContextBlit, WholeRowsCopyAsPixelByPixelAndColumnsOutsideAreLeftAlone) {
  // An odd width pads every stored row; the copy starts two columns left of the bitmap
  // and ends two beyond it.
  const int width = 7, height = 5;
  TDib dib(width, height, 1 << 24);
  ASSERT_TRUE(dib.IsOK());
  std::mt19937 random(11u);
  for (int r = 0; r < height; ++r)
    for (int b = 0; b < 3 * width; ++b) dib.GetBits()[r * 24 + b] = static_cast<std::uint8_t>(random());
  const TDibPixelReader reader(dib.GetInfo(), dib.GetBits(), DIB_RGB_COLORS, nullptr);
  QImage image = Filled(width + 4, height, RGB(255, 255, 255));
  TImageDC dc(&image);
  dc.SetDIBitsToDevice(0, 0, width + 4, height, -2, 0, 0, height, dib.GetBits(), dib.GetInfo(),
                       DIB_RGB_COLORS);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width + 4; ++x) {
      const int column = x - 2;
      const COLORREF expected = column < 0 || column >= width
                                    ? RGB(255, 255, 255)
                                    : ColorOfPixel(reader.Pixel(column, height - 1 - y));
      EXPECT_EQ(At(image, x, y), expected) << x << ", " << y;
    }
}

TEST(DeviceContextBlit, PaletteColourModeDrawsThroughTheContextPalette) {
  TDib dib(4, 1, 256, DIB_PAL_COLORS);
  ASSERT_TRUE(dib.IsOK());
  ASSERT_EQ(dib.BitsPixel(), 8);
  dib.GetBits()[0] = 1;
  dib.GetBits()[1] = 2;
  const PALETTEENTRY entries[3] = {{0, 0, 0, 0}, {200, 100, 50, 0}, {5, 6, 7, 0}};
  TPalette palette(entries, 3);
  QImage image = Filled(4, 1, RGB(255, 255, 255));
  TImageDC dc(&image);
  dc.SelectObject(palette);
  dc.StretchDIBits(0, 0, 4, 1, 0, 0, 4, 1, dib.GetBits(), dib.GetInfo(), DIB_PAL_COLORS, SRCCOPY);
  dc.RestorePalette();
  EXPECT_EQ(At(image, 0, 0), RGB(200, 100, 50));
  EXPECT_EQ(At(image, 1, 0), RGB(5, 6, 7));
  EXPECT_EQ(At(image, 2, 0), RGB(0, 0, 0));
}

TEST(DeviceContextBlit, BadDibHeadersDrawNothing) {
  BITMAPINFO info;
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 4;
  info.bmiHeader.biBitCount = 7;
  std::vector<std::uint8_t> bits(64, 0xFF);
  QImage image = Filled(4, 4, RGB(1, 1, 1));
  const QImage before = image.copy();
  TImageDC dc(&image);
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 4, 4, 0, 0, 0, 4, bits.data(), &info, DIB_RGB_COLORS), 0);
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = 1;
  EXPECT_EQ(dc.StretchDIBits(0, 0, 4, 4, 0, 0, 4, 4, bits.data(), &info, DIB_RGB_COLORS, SRCCOPY),
            0);
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 4, 4, 0, 0, 0, 4, nullptr, &info, DIB_RGB_COLORS), 0);
  EXPECT_EQ(image, before);
}

TEST(DeviceContextBlit, HandleFormsOfMemoryContexts) {
  HDC memory = CreateCompatibleDC(nullptr);
  ASSERT_NE(memory, nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(memory, 3, 3);
  ASSERT_NE(bitmap, nullptr);
  TDC &dc = *TDC::FromHandle(memory);
  HBITMAP own = dc.SelectObject(bitmap);
  EXPECT_NE(own, nullptr);
  dc.SetPixel(2, 2, RGB(9, 8, 7));
  EXPECT_EQ(ColorOfPixel(bitmap->image.pixel(2, 2)), RGB(9, 8, 7));
  // Still selected: the bitmap cannot be deleted yet.
  EXPECT_FALSE(DeleteObject(bitmap));
  dc.SelectObject(own);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_FALSE(DeleteDC(nullptr));
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 0, 5), nullptr);
}
