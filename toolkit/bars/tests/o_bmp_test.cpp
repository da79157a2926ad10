// Bitmaps copied from a context and from a DIB, drawn back whole or in part.

#include "toolkit/bars/o_bmp.h"

#include <gtest/gtest.h>

#include <QImage>

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/dib.h"

namespace {

// A colour that tells every pixel of a 64 x 64 picture apart.
COLORREF Marker(int x, int y) { return RGB(x * 4, y * 4, (x + y) & 0xFF); }

TEST(OBmp, CopiesARectangleAndDrawsItBackWholeOrInPart) {
  QImage source(64, 48, QImage::Format_RGB32);
  TImageDC sourceDC(&source);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) sourceDC.SetPixel(x, y, Marker(x, y));

  TOBmp bitmap(sourceDC, RECT{10, 5, 30, 20});
  ASSERT_TRUE(bitmap.IsValid());
  EXPECT_EQ(bitmap.Width(), 20);
  EXPECT_EQ(bitmap.Height(), 15);

  QImage target(64, 48, QImage::Format_RGB32);
  target.fill(Qt::white);
  TImageDC targetDC(&target);
  bitmap.Draw(targetDC, 3, 4);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(targetDC.GetPixel(3 + x, 4 + y), Marker(10 + x, 5 + y)) << x << "," << y;
  EXPECT_EQ(targetDC.GetPixel(3 + 20, 4), 0xFFFFFFu);
  EXPECT_EQ(targetDC.GetPixel(3, 4 + 15), 0xFFFFFFu);

  // A part: source rectangle (2, 3)-(6, 8) of the bitmap at (40, 30).
  const RECT part{2, 3, 6, 8};
  bitmap.Draw(targetDC, 40, 30, &part);
  EXPECT_EQ(targetDC.GetPixel(40, 30), Marker(12, 8));
  EXPECT_EQ(targetDC.GetPixel(43, 34), Marker(15, 12));
  EXPECT_EQ(targetDC.GetPixel(44, 30), 0xFFFFFFu);
  EXPECT_EQ(targetDC.GetPixel(40, 35), 0xFFFFFFu);

  // An empty rectangle makes no bitmap, and drawing it draws nothing.
  TOBmp empty(sourceDC, RECT{5, 5, 5, 9});
  EXPECT_FALSE(empty.IsValid());
  empty.Draw(targetDC, 0, 0);
  EXPECT_EQ(targetDC.GetPixel(0, 0), 0xFFFFFFu);
}

TEST(OBmp, TakesTheDibsRowsTopFirst) {
  TDib dib(2, 2, 1 << 24);
  ASSERT_TRUE(dib.IsOK());
  ASSERT_EQ(dib.BitsPixel(), 24);
  // Bottom-up rows of 2 pixels (6 bytes, padded to 8), blue, green, red.
  std::uint8_t *bits = dib.GetBits();
  const std::uint8_t rows[16] = {0, 0, 255, 0, 255, 0, 0, 0,     // bottom: red, green
                                 255, 0, 0, 255, 255, 255, 0, 0};  // top: blue, white
  std::copy(rows, rows + 16, bits);
  TOBmp bitmap(dib, nullptr);
  ASSERT_TRUE(bitmap.IsValid());
  QImage target(2, 2, QImage::Format_RGB32);
  TImageDC targetDC(&target);
  bitmap.Draw(targetDC, 0, 0);
  EXPECT_EQ(targetDC.GetPixel(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(targetDC.GetPixel(1, 0), RGB(255, 255, 255));
  EXPECT_EQ(targetDC.GetPixel(0, 1), RGB(255, 0, 0));
  EXPECT_EQ(targetDC.GetPixel(1, 1), RGB(0, 255, 0));
}

}  // namespace
