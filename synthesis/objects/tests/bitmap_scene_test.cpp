// The bitmap object's scene without windows: where pictures and the frame go, the object's
// white pixels letting the background through, and the capture into one luminance raster
// (R + 4.5907 G + 0.0601 B, the brightest cell 1) or three TV-colour rasters, checked
// against values worked out by hand.

#include "synthesis/objects/bitmap_scene.h"

#include <gtest/gtest.h>

#include "foundation/testing/approx.h"

namespace {

// Raster cells are floats scaled by one float factor.
constexpr double kCellTolerance = 1e-6;

TScenePicture Filled(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  TScenePicture picture;
  EXPECT_TRUE(picture.Allocate(w, h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture.SetPixel(x, y, r, g, b);
  return picture;
}

float Cell(const Mem<float> &raster, int x, int y) { return raster.data[y * raster.cols + x]; }

// A 4 x 4 scene: row 0 red, green, blue, white; row 1 grey (100) and (10, 20, 30); the rest
// black.
TScenePicture HandScene() {
  TScenePicture scene = Filled(4, 4, 0, 0, 0);
  scene.SetPixel(0, 0, 255, 0, 0);
  scene.SetPixel(1, 0, 0, 255, 0);
  scene.SetPixel(2, 0, 0, 0, 255);
  scene.SetPixel(3, 0, 255, 255, 255);
  scene.SetPixel(0, 1, 100, 100, 100);
  scene.SetPixel(1, 1, 10, 20, 30);
  return scene;
}

}  // namespace

TEST(BitmapScene, SceneSizeBackgroundPlaceAndTheFirstFrame) {
  const TScenePicture background = Filled(100, 80, 1, 2, 3);
  const int n = 128;
  const SIZE scene = BitmapSceneSize(&background, nullptr, n);
  // With a background: the larger of its size and N (the edge case of N = 128 and 100 x 80).
  EXPECT_EQ(scene.cx, 128);
  EXPECT_EQ(scene.cy, 128);
  EXPECT_EQ(BitmapSceneSize(nullptr, nullptr, n).cx, 256);
  const TScenePicture wide = Filled(600, 90, 1, 2, 3);
  const TScenePicture tall = Filled(20, 700, 1, 2, 3);
  const SIZE both = BitmapSceneSize(&wide, &tall, n);
  EXPECT_EQ(both.cx, 600);
  EXPECT_EQ(both.cy, 700);
  // Without a background N does not widen the scene.
  const SIZE objectOnly = BitmapSceneSize(nullptr, &wide, 1024);
  EXPECT_EQ(objectOnly.cx, 600);
  EXPECT_EQ(objectOnly.cy, 256);
  EXPECT_EQ(BitmapSceneSize(&background, nullptr, 512).cx, 512);
  // (128 - 100) / 2 = 14, (128 - 80) / 2 = 24; a picture wider than N starts at 0.
  const POINT at = BackgroundPlace(background, n);
  EXPECT_EQ(at.x, 14);
  EXPECT_EQ(at.y, 24);
  EXPECT_EQ(BackgroundPlace(wide, n).x, 0);
  EXPECT_EQ(BackgroundPlace(wide, n).y, 19);
  // A fresh frame (empty) becomes the N x N square at the top left.
  const RECT first = PlacedSelection(RECT{}, n, false, scene);
  EXPECT_EQ(first.left, 0);
  EXPECT_EQ(first.top, 0);
  EXPECT_EQ(first.right, 128);
  EXPECT_EQ(first.bottom, 128);
  // A 64-square frame at (100, 50) grows about its centre (132, 82) to 128: (68, 18).
  const RECT grown = PlacedSelection(RECT{100, 50, 164, 114}, n, false, scene);
  EXPECT_EQ(grown.left, 68);
  EXPECT_EQ(grown.top, 18);
  EXPECT_EQ(grown.right, 196);
  EXPECT_EQ(grown.bottom, 146);
  // With a PSF per field point the frame is the whole scene.
  const RECT whole = PlacedSelection(grown, n, true, SIZE{300, 260});
  EXPECT_EQ(whole.right, 300);
  EXPECT_EQ(whole.bottom, 260);
}

TEST(BitmapScene, TheObjectsWhitePixelsLetTheBackgroundThrough) {
  const TScenePicture background = Filled(4, 4, 0, 0, 200);
  TScenePicture object = Filled(2, 2, 255, 255, 255);
  object.SetPixel(0, 0, 0, 0, 0);      // black covers
  object.SetPixel(1, 1, 255, 255, 254);  // nearly white covers too
  TScenePicture scene;
  ASSERT_TRUE(ComposeBitmapScene(scene, SIZE{6, 5}, &background, POINT{1, 0}, &object,
                                 POINT{2, 2}));
  ASSERT_EQ(scene.width, 6);
  ASSERT_EQ(scene.height, 5);
  // Outside the pictures the scene is black; the background covers columns 1 .. 4.
  EXPECT_EQ(scene.Pixel(0, 0)[0], 0);
  EXPECT_EQ(scene.Pixel(1, 0)[0], 200);
  EXPECT_EQ(scene.Pixel(5, 0)[0], 0);
  // Object pixel (0, 0) at (2, 2) is black, (1, 0) and (0, 1) are white: background blue.
  EXPECT_EQ(scene.Pixel(2, 2)[0], 0);
  EXPECT_EQ(scene.Pixel(3, 2)[0], 200);
  EXPECT_EQ(scene.Pixel(2, 3)[0], 200);
  EXPECT_EQ(scene.Pixel(3, 3)[0], 254);
  EXPECT_EQ(scene.Pixel(3, 3)[2], 255);
  // An object half outside the scene is cut, not written past it. With no background
  // there is nothing for its white to let through: it is placed whole, white included.
  ASSERT_TRUE(ComposeBitmapScene(scene, SIZE{3, 3}, nullptr, POINT{}, &object, POINT{-1, 2}));
  EXPECT_EQ(scene.Pixel(0, 2)[2], 255);
  EXPECT_EQ(scene.Pixel(1, 2)[2], 0);
}

TEST(BitmapScene, OneRecordHoldsTheLuminanceScaledToTheBrightestCell) {
  const TScenePicture scene = HandScene();
  Mem<float> rasters[3];
  TBitmapCapture capture;
  ASSERT_EQ(CaptureBitmapRasters(scene, RECT{0, 0, 4, 4}, 4, false, false, rasters, capture), 1);
  EXPECT_EQ(capture.width, 4);
  EXPECT_EQ(capture.height, 4);
  EXPECT_EQ(rasters[1].data, nullptr);
  // White: 255 x 5.6508 = 1440.954 is the largest; red 255 / 1440.954, green
  // 1170.6285 / 1440.954, blue 15.3255 / 1440.954, grey 565.08 / 1440.954 = 100 / 255,
  // (10, 20, 30): 103.617 / 1440.954.
  EXPECT_APPROX(Cell(rasters[0], 3, 0), 1.0, kCellTolerance);
  EXPECT_APPROX(Cell(rasters[0], 0, 0), 0.176966093, kCellTolerance);
  EXPECT_APPROX(Cell(rasters[0], 1, 0), 0.812398244, kCellTolerance);
  EXPECT_APPROX(Cell(rasters[0], 2, 0), 0.010635662, kCellTolerance);
  EXPECT_APPROX(Cell(rasters[0], 0, 1), 100.0 / 255.0, kCellTolerance);
  EXPECT_APPROX(Cell(rasters[0], 1, 1), 0.071908611, kCellTolerance);
  EXPECT_EQ(Cell(rasters[0], 3, 3), 0.0f);
  // A frame one pixel in: cell (0, 0) is scene pixel (1, 1), (10, 20, 30), now the brightest.
  ASSERT_EQ(CaptureBitmapRasters(scene, RECT{1, 1, 5, 5}, 4, false, false, rasters, capture), 1);
  EXPECT_APPROX(Cell(rasters[0], 0, 0), 1.0, kCellTolerance);
  EXPECT_EQ(Cell(rasters[0], 2, 0), 0.0f);
}

TEST(BitmapScene, TvColoursGiveBlueGreenAndRedRasters) {
  const TScenePicture scene = HandScene();
  Mem<float> rasters[3];
  TBitmapCapture capture;
  ASSERT_EQ(CaptureBitmapRasters(scene, RECT{0, 0, 4, 4}, 4, false, true, rasters, capture), 1);
  for (int k = 0; k < 3; ++k) ASSERT_NE(rasters[k].data, nullptr);
  // Pure red: 1 in raster 2 (red), 0 in blue and green.
  EXPECT_EQ(Cell(rasters[2], 0, 0), 1.0f);
  EXPECT_EQ(Cell(rasters[1], 0, 0), 0.0f);
  EXPECT_EQ(Cell(rasters[0], 0, 0), 0.0f);
  EXPECT_EQ(Cell(rasters[1], 1, 0), 1.0f);
  EXPECT_EQ(Cell(rasters[0], 2, 0), 1.0f);
  // (10, 20, 30) over the largest byte 255.
  EXPECT_APPROX(Cell(rasters[0], 1, 1), 30.0 / 255.0, kCellTolerance);
  EXPECT_APPROX(Cell(rasters[1], 1, 1), 20.0 / 255.0, kCellTolerance);
  EXPECT_APPROX(Cell(rasters[2], 1, 1), 10.0 / 255.0, kCellTolerance);
  // Red alone in the frame: red is 1 although it is not white.
  ASSERT_EQ(CaptureBitmapRasters(scene, RECT{0, 0, 1, 1}, 4, false, true, rasters, capture), 1);
  EXPECT_EQ(Cell(rasters[2], 0, 0), 1.0f);
}

TEST(BitmapScene, WhiteIsOneEverywhereAndBlackStaysZero) {
  const TScenePicture white = Filled(64, 64, 255, 255, 255);
  Mem<float> rasters[3];
  TBitmapCapture capture;
  ASSERT_EQ(CaptureBitmapRasters(white, RECT{0, 0, 64, 64}, 64, false, false, rasters, capture),
            1);
  for (int i = 0; i < 64 * 64; ++i) ASSERT_EQ(rasters[0].data[i], 1.0f) << i;
  const TScenePicture black = Filled(64, 64, 0, 0, 0);
  ASSERT_EQ(CaptureBitmapRasters(black, RECT{0, 0, 64, 64}, 64, false, false, rasters, capture),
            1);
  for (int i = 0; i < 64 * 64; ++i) ASSERT_EQ(rasters[0].data[i], 0.0f) << i;
}

TEST(BitmapScene, APsfPerFieldPointTakesTheFramesSizeWithItsLastRowAndColumnZero) {
  const TScenePicture white = Filled(300, 300, 255, 255, 255);
  Mem<float> rasters[3];
  TBitmapCapture capture;
  ASSERT_EQ(CaptureBitmapRasters(white, RECT{10, 20, 109, 219}, 64, true, false, rasters, capture),
            1);
  EXPECT_EQ(capture.width, 100);
  EXPECT_EQ(capture.height, 200);
  EXPECT_EQ(capture.centre.x, 59);
  EXPECT_EQ(capture.centre.y, 119);
  ASSERT_EQ(rasters[0].cols, 100);
  ASSERT_EQ(rasters[0].rows, 200);
  EXPECT_EQ(Cell(rasters[0], 98, 198), 1.0f);
  for (int y = 0; y < 200; ++y) EXPECT_EQ(Cell(rasters[0], 99, y), 0.0f);
  for (int x = 0; x < 100; ++x) EXPECT_EQ(Cell(rasters[0], x, 199), 0.0f);
  // The same frame drawn from its bottom-right corner gives the same rasters.
  ASSERT_EQ(CaptureBitmapRasters(white, RECT{109, 219, 10, 20}, 64, true, false, rasters, capture),
            1);
  EXPECT_EQ(capture.width, 100);
  EXPECT_EQ(Cell(rasters[0], 0, 0), 1.0f);
}

TEST(BitmapScene, AFrameLargerThanTheRasterIsCutAndOneOutsideTheSceneIsBlack) {
  // Drawn for a PSF per field point, then one PSF chosen: 200 x 200 over a 64 raster.
  const TScenePicture white = Filled(300, 300, 255, 255, 255);
  Mem<float> rasters[3];
  TBitmapCapture capture;
  ASSERT_EQ(CaptureBitmapRasters(white, RECT{0, 0, 200, 200}, 64, false, true, rasters, capture),
            1);
  EXPECT_EQ(rasters[0].cols, 64);
  EXPECT_EQ(rasters[0].rows, 64);
  EXPECT_EQ(Cell(rasters[2], 63, 63), 1.0f);
  // Half beyond the scene's right edge: those cells are black.
  ASSERT_EQ(CaptureBitmapRasters(white, RECT{268, -10, 332, 54}, 64, false, false, rasters,
                                 capture),
            1);
  EXPECT_EQ(Cell(rasters[0], 31, 10), 1.0f);
  EXPECT_EQ(Cell(rasters[0], 32, 10), 0.0f);
  EXPECT_EQ(Cell(rasters[0], 31, 9), 0.0f);
}

TEST(BitmapScene, TheFieldPointsSeeTheCapturedValuesOfEitherSynthesis) {
  TScenePicture scene = Filled(4, 2, 0, 0, 0);
  scene.SetPixel(2, 1, 30, 20, 10);  // red, green, blue
  scene.SetPixel(3, 0, 90, 0, 0);
  const double d = 0.5;
  Mem<float> rasters[3];
  TBitmapCapture capture;
  // The whole scene, as a PSF per field point frames it.
  ASSERT_EQ(CaptureBitmapRasters(scene, PlacedSelection(RECT{}, 4, true, SIZE{4, 2}), 4, true,
                                 false, rasters, capture),
            1);
  const POINT centre{capture.centre.x, capture.centre.y};
  ASSERT_EQ(centre.x, 2);
  ASSERT_EQ(centre.y, 1);
  // Luminance R + 4.5907 G + 0.0601 B over the brightest cell's, for every wavelength:
  // the fourth is not black.
  const double brightest = 30 + 4.5907 * 20 + 0.0601 * 10;
  for (int component = 0; component < 4; ++component)
    EXPECT_FLOAT_EQ(CapturedValueAt(rasters, 1, centre, component, 0.0, 0.0, d), 1.0f) << component;
  // x = 0.5 is one pixel right, y = 0.5 one row up: (3, 0).
  EXPECT_FLOAT_EQ(CapturedValueAt(rasters, 1, centre, 2, 0.5, 0.5, d),
                  static_cast<float>(90.0 / brightest));
  // TV colours: blue, green and red rasters by component, on one scale (the brightest byte).
  ASSERT_EQ(CaptureBitmapRasters(scene, PlacedSelection(RECT{}, 4, true, SIZE{4, 2}), 4, true,
                                 true, rasters, capture),
            1);
  EXPECT_FLOAT_EQ(CapturedValueAt(rasters, 3, centre, 0, 0.0, 0.0, d), 10.0f / 90.0f);
  EXPECT_FLOAT_EQ(CapturedValueAt(rasters, 3, centre, 1, 0.0, 0.0, d), 20.0f / 90.0f);
  EXPECT_FLOAT_EQ(CapturedValueAt(rasters, 3, centre, 2, 0.0, 0.0, d), 30.0f / 90.0f);
  EXPECT_FLOAT_EQ(CapturedValueAt(rasters, 3, centre, 2, 0.5, 0.5, d), 1.0f);
  // Outside the rasters, without them, without a pixel size, or far away: black.
  EXPECT_EQ(CapturedValueAt(rasters, 3, centre, 1, 1.5, 0.0, d), 0.0);
  EXPECT_EQ(CapturedValueAt(nullptr, 1, centre, 1, 0.0, 0.0, d), 0.0);
  EXPECT_EQ(CapturedValueAt(rasters, 0, centre, 1, 0.0, 0.0, d), 0.0);
  EXPECT_EQ(CapturedValueAt(rasters, 3, centre, 1, 0.0, 0.0, 0.0), 0.0);
  EXPECT_EQ(CapturedValueAt(rasters, 3, centre, 1, 1e300, -1e300, d), 0.0);
}

TEST(BitmapScene, AStretchedObjectIsResampledByTheNearestPixel) {
  TScenePicture object = Filled(2, 2, 0, 0, 0);
  object.SetPixel(1, 0, 255, 0, 0);
  TScenePicture scaled;
  ASSERT_TRUE(ScaleScenePicture(object, SIZE{4, 4}, scaled));
  EXPECT_EQ(scaled.Pixel(2, 0)[2], 255);
  EXPECT_EQ(scaled.Pixel(3, 1)[2], 255);
  EXPECT_EQ(scaled.Pixel(1, 1)[2], 0);
  EXPECT_EQ(scaled.Pixel(3, 2)[2], 0);
  EXPECT_FALSE(ScaleScenePicture(object, SIZE{0, 4}, scaled));
}
