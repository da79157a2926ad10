// How a picture fills its client: a uniform image fills every pixel, the last image row and
// column show like the others, a view beside the image leaves black, and the pixel under
// a client point.

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
  // Client column 2k shows image column k; 2k + 1 lies halfway and truncates to k.
  for (int k = 0; k < 128; ++k) {
    EXPECT_EQ(out.Red(2 * k, 10), k);
    EXPECT_EQ(out.Red(2 * k + 1, 10), k);
    EXPECT_EQ(out.Green(10, 2 * k), k);
  }
  // The last client row and column carry image row and column 127.
  EXPECT_EQ(out.Red(255, 255), 127);
  EXPECT_EQ(out.Green(255, 255), 127);
  EXPECT_EQ(out.Blue(255, 255), 7);
}

TEST(PictureScaling, ViewBesideTheImageLeavesBlack) {
  const TScaled out = Scale(Ramp(128), 128, {-64, -64, 63, 63}, 128);
  EXPECT_EQ(out.Blue(10, 10), 0);   // source (-54, -54)
  EXPECT_EQ(out.Blue(63, 100), 0);  // source column -1
  EXPECT_EQ(out.Blue(64, 64), 7);   // source (0, 0)
  EXPECT_EQ(out.Red(100, 64), 36);
}

TEST(PictureScaling, ZoomedViewShowsTheCentralHalf) {
  // The view of zoom 2 around the centre: columns and rows 32 .. 95.
  const TScaled out = Scale(Ramp(128), 128, {32, 32, 95, 95}, 256);
  EXPECT_EQ(out.Red(0, 0), 32);
  EXPECT_EQ(out.Green(0, 0), 32);
  EXPECT_EQ(out.Red(128, 128), 64);
  EXPECT_EQ(out.Red(255, 255), 95);
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
