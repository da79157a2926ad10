// How a picture fills its client: a uniform image fills every pixel, both edges of an
// enlarged picture show their outer pixels alike, a view beside the image leaves black,
// and the pixel under a client point.

#include "imaging/pictures/picture_scaling.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TScaled {
  std::vector<std::uint8_t> rgb;
  int width;
  int Red(int x, int y) const { return rgb[(y * width + x) * 3]; }
  int Green(int x, int y) const { return rgb[(y * width + x) * 3 + 1]; }
  int Blue(int x, int y) const { return rgb[(y * width + x) * 3 + 2]; }
};

TScaled Scale(const std::vector<COLORVECTOR> &pixels, int side, RECT view, int client) {
  TScaled out{std::vector<std::uint8_t>(client * client * 3, 0), client};
  ScalePicture(pixels.data(), side, side, view, client, client, out.rgb.data());
  return out;
}

// red = column, green = row, blue 7.
std::vector<COLORVECTOR> Ramp(int side) {
  std::vector<COLORVECTOR> pixels(side * side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      pixels[y * side + x] = {static_cast<float>(x), static_cast<float>(y), 7.0f};
    }
  }
  return pixels;
}

}  // namespace

TEST(PictureScaling, UniformImageFillsEveryClientPixelIncludingTheLastRowAndColumn) {
  const std::vector<COLORVECTOR> grey(128 * 128, COLORVECTOR{100.0f, 100.0f, 100.0f});
  const TScaled out = Scale(grey, 128, {0, 0, 127, 127}, 256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      ASSERT_EQ(out.Red(x, y), 100) << x << "," << y;
      ASSERT_EQ(out.Green(x, y), 100) << x << "," << y;
      ASSERT_EQ(out.Blue(x, y), 100) << x << "," << y;
    }
  }
}

TEST(PictureScaling, DoubledImageBlendsNeighboursAndKeepsTheEdge) {
  const TScaled out = Scale(Ramp(128), 128, {0, 0, 127, 127}, 256);
  // Client pixel 2k + 1 is centred a quarter of an image pixel past image pixel k's centre
  // (k.25, truncating to k); 2k a quarter before it (k - 0.25, truncating to k - 1).
  for (int k = 1; k < 128; ++k) {
    EXPECT_EQ(out.Red(2 * k + 1, 10), k);
    EXPECT_EQ(out.Red(2 * k, 10), k - 1);
    EXPECT_EQ(out.Green(10, 2 * k + 1), k);
  }
  // Half an image pixel at each edge shows the outer column and row unblended.
  EXPECT_EQ(out.Red(0, 10), 0);
  EXPECT_EQ(out.Red(1, 10), 0);
  EXPECT_EQ(out.Red(255, 255), 127);
  EXPECT_EQ(out.Green(255, 255), 127);
  EXPECT_EQ(out.Blue(255, 255), 7);
  EXPECT_EQ(out.Red(254, 10), 126);  // 126.75
}

TEST(PictureScaling, BothEdgesOfAnEnlargedPictureShowTheirOuterPixelsAlike) {
  // A bright column at each side of an 8-pixel image, 32 times enlarged: each edge keeps
  // the same 16 client pixels of full brightness, then blends away over 32 pixels.
  std::vector<COLORVECTOR> pixels(8 * 8, COLORVECTOR{0.0f, 0.0f, 0.0f});
  for (int y = 0; y < 8; ++y) pixels[y * 8] = pixels[y * 8 + 7] = COLORVECTOR{255.0f, 255.0f, 255.0f};
  const TScaled out = Scale(pixels, 8, {0, 0, 7, 7}, 256);
  int left = 0, right = 0;
  while (left < 256 && out.Red(left, 100) == 255) ++left;
  while (right < 256 && out.Red(255 - right, 100) == 255) ++right;
  EXPECT_EQ(left, 16);
  EXPECT_EQ(right, 16);
  for (int x = 0; x < 128; ++x) EXPECT_EQ(out.Red(x, 100), out.Red(255 - x, 100)) << x;
  // The dark middle lies under the middle image pixels' centres.
  EXPECT_EQ(out.Red(80, 100), 0);  // image pixel 2's centre
}

TEST(PictureScaling, ViewBesideTheImageLeavesBlack) {
  const TScaled out = Scale(Ramp(128), 128, {-64, -64, 63, 63}, 128);
  EXPECT_EQ(out.Blue(10, 10), 0);   // source (-54, -54)
  EXPECT_EQ(out.Blue(63, 100), 0);  // source column -1
  EXPECT_EQ(out.Blue(64, 64), 7);   // source (0, 0)
  EXPECT_EQ(out.Red(100, 64), 36);
}

TEST(PictureScaling, ZoomedViewShowsTheCentralHalf) {
  // The view of zoom 2 around the centre: columns and rows 32 .. 95, each over four
  // client pixels; a client pixel's centre lies 0.125, 0.375, 0.625 or 0.875 into its
  // image pixel, so it blends with the neighbour before or after.
  const TScaled out = Scale(Ramp(128), 128, {32, 32, 95, 95}, 256);
  EXPECT_EQ(out.Red(0, 0), 31);  // 31.625
  EXPECT_EQ(out.Green(0, 0), 31);
  EXPECT_EQ(out.Red(2, 0), 32);  // 32.125
  EXPECT_EQ(out.Red(128, 128), 63);  // 63.625
  EXPECT_EQ(out.Red(130, 128), 64);  // 64.125
  EXPECT_EQ(out.Red(255, 255), 95);  // 95.375
  EXPECT_EQ(out.Green(255, 255), 95);
}

TEST(PictureScaling, SourcePixelOfAClientPoint) {
  const POINT centre = PictureSourcePixel({0, 0, 127, 127}, 256, 256, {128, 128});
  EXPECT_EQ(centre.x, 64);
  EXPECT_EQ(centre.y, 64);
  const POINT zoomed = PictureSourcePixel({32, 32, 95, 95}, 256, 256, {255, 0});
  EXPECT_EQ(zoomed.x, 95);
  EXPECT_EQ(zoomed.y, 32);
}
