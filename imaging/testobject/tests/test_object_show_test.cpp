// Showing a test object's rasters: the colour picture and its placement, the mean raster
// of the 3-D plot, and the plain sum.

#include <gtest/gtest.h>

#include "foundation/testing/approx.h"
#include "imaging/color/color_image.h"
#include "imaging/color/color_modes.h"
#include "imaging/testobject/tests/recording_windows.h"
#include "imaging/testobject/tests/test_object_support.h"

namespace {

// Means of small integers over float sums of a few products.
constexpr double kMeanTolerance = 1e-6;

class ShowTestObject : public TestObjectTest {
 protected:
  // An object whose raster files (n x n, constant values) are written at once.
  void Fill(TRasterObject &object, const std::vector<float> &values,
            const std::vector<float> &wavelengths, const std::vector<float> &weights) {
    for (const float value : values) object.values.push_back({value});
    object.wavelengths = wavelengths;
    ASSERT_EQ(object.Calculate(), 1);
    for (std::size_t k = 0; k < weights.size(); ++k) object.rasterFiles.data[k].weight = weights[k];
  }
  TRecordingWindows windows;
};

TEST_F(ShowTestObject, NothingToShowIsSaidToTheFolder) {
  TTestObject object(nullptr);
  object.ShowColorImage();
  object.ShowGraph();
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, "Not enougn information!");
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
  EXPECT_EQ(boxes.boxes[1].owner, image.folderWindow);
  EXPECT_EQ(boxes.beeps.size(), 2u);
  EXPECT_TRUE(windows.pictures.empty());
  EXPECT_TRUE(windows.plots.empty());
}

TEST_F(ShowTestObject, PictureWindowsCascadeFromTheFolder) {
  UsePixels(8, 0.02);
  image.colorImage = new TColorImage();
  TRasterObject object(*this, 8);
  Fill(object, {1.0f, 3.0f}, {0.5f, 0.6f}, {});
  // Folder at (100, 50)-(400, 350), captions 20 high: offsets 0 .. 5 captions, then 0.
  for (int k = 0; k < 7; ++k) {
    if (k % 2 == 0)
      object.ShowColorImage();
    else
      object.ShowGraph();
  }
  ASSERT_EQ(windows.pictures.size(), 4u);
  ASSERT_EQ(windows.plots.size(), 3u);
  const int expectedX[7] = {400, 420, 440, 460, 480, 500, 400};
  for (int k = 0; k < 7; ++k) {
    const int x = k % 2 == 0 ? windows.pictures[k / 2].x : windows.plots[k / 2].request.x;
    const int y = k % 2 == 0 ? windows.pictures[k / 2].y : windows.plots[k / 2].request.y;
    EXPECT_EQ(x, expectedX[k]) << "window " << k;
    EXPECT_EQ(y, expectedX[k] - 350) << "window " << k;
  }
  const TRecordedPicture &picture = windows.pictures[0];
  EXPECT_EQ(picture.parent, image.folderWindow);
  EXPECT_EQ(picture.style, 0x90CCC000u);
  EXPECT_EQ(picture.width, 256);
  EXPECT_EQ(picture.caption, "Image: Raster");
  EXPECT_TRUE(windows.pictures.back().menuEnabled);
  EXPECT_FALSE(picture.menuEnabled);
  EXPECT_EQ(image.picture, image.colorImage->window);
  // The shared image now holds the object's components, built in its mode word.
  EXPECT_EQ(image.colorImage->ComponentCount(), 2);
  EXPECT_EQ(image.colorImage->modeWord, kDefaultColorMode);
  EXPECT_FLOAT_EQ(image.colorImage->shortestWavelength, 500.0f);
  EXPECT_FLOAT_EQ(image.colorImage->longestWavelength, 600.0f);
  EXPECT_FLOAT_EQ(image.colorImage->dynamicRange, 0.001f);
}

TEST_F(ShowTestObject, LargeRastersGetPicturesOfTheirOwnSize) {
  TRasterObject object(*this, 4);
  Fill(object, {1.0f}, {0.55f}, {});
  UsePixels(1024, 0.001);
  object.ShowColorImage();
  EXPECT_EQ(object.pictureSize.cx, 1024);
  EXPECT_EQ(object.pictureSize.cy, 1024);
  EXPECT_EQ(object.pictureCentre.x, 512);
  ASSERT_EQ(windows.pictures.size(), 1u);
  EXPECT_EQ(windows.pictures[0].height, 1024);
  UsePixels(256, 0.001);
  object.ShowColorImage();
  EXPECT_EQ(object.pictureSize.cx, 256);
  EXPECT_EQ(object.pictureCentre.y, 128);
  EXPECT_NE(image.colorImage, nullptr);  // made on first use when the folder made none
}

TEST_F(ShowTestObject, RecordsWithoutASizeOnlyBeep) {
  UsePixels(4, 0.01);
  TRasterObject object(*this, 4);
  Fill(object, {1.0f, 2.0f}, {0.5f, 0.6f}, {});
  object.rasterFiles.data[1].width = 0;
  object.ShowColorImage();
  EXPECT_EQ(boxes.beeps.size(), 1u);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(windows.pictures.empty());
}

TEST_F(ShowTestObject, OneRasterIsShownAsItIs) {
  UsePixels(4, 0.25);
  TRasterObject object(*this, 4);
  object.values = {{1.0f, 2.0f, 3.0f, 4.0f}};
  ASSERT_EQ(object.Calculate(), 1);
  object.rasterFiles.data[0].weight = 0.3f;
  object.ShowGraph();
  ASSERT_EQ(windows.plots.size(), 1u);
  const TRecordedPlot &plot = windows.plots[0];
  for (int k = 0; k < 16; ++k) EXPECT_EQ(plot.cells[k], static_cast<float>(k % 4 + 1));
  EXPECT_EQ(plot.request.n, 4);
  EXPECT_EQ(plot.request.step, 0.25);
  EXPECT_EQ(plot.request.axisLength, 0.25);  // N p / 4
  EXPECT_EQ(plot.request.width, 256 + 20 - 4);
  EXPECT_EQ(plot.request.height, 256 + 20 - 6);
  EXPECT_EQ(plot.request.caption, "Image: Raster");
  EXPECT_EQ(plot.request.mode, 1);
  EXPECT_EQ(plot.request.colour, 128);
  EXPECT_EQ(image.raster.data[5], 2.0f);
}

TEST_F(ShowTestObject, MeanOverWavelengthByTrapezoids) {
  UsePixels(4, 0.01);
  TRasterObject object(*this, 4);
  // Added out of order: 0.7 um (weight 1, value 10), 0.4 um (1, 1), 0.5 um (2, 4).
  Fill(object, {10.0f, 1.0f, 4.0f}, {0.7f, 0.4f, 0.5f}, {1.0f, 1.0f, 2.0f});
  ASSERT_EQ(object.BuildMeanRaster(), 1);
  // h = 0.05: W = 3 x 0.05, sum (1 + 8) x 0.05; h = 0.1: W += 3 x 0.1, sum += (8 + 10) x
  // 0.1; 2.25 / 0.45 = 5.
  for (int k = 0; k < 16; ++k) EXPECT_APPROX(image.raster.data[k], 5.0, kMeanTolerance);
  // The table is left sorted by wavelength.
  EXPECT_FLOAT_EQ(object.rasterFiles.data[0].wavelength, 0.4f);
  EXPECT_FLOAT_EQ(object.rasterFiles.data[1].wavelength, 0.5f);
  EXPECT_EQ(object.rasterFiles.data[1].weight, 2.0f);
  EXPECT_FLOAT_EQ(object.rasterFiles.data[2].wavelength, 0.7f);
}

TEST_F(ShowTestObject, OneSharedWavelengthGivesTheWeightedMean) {
  UsePixels(4, 0.01);
  TRasterObject object(*this, 4);
  Fill(object, {2.0f, 8.0f}, {0.55f, 0.55f}, {1.0f, 3.0f});
  ASSERT_EQ(object.BuildMeanRaster(), 1);
  EXPECT_APPROX(image.raster.data[0], (2.0 + 3.0 * 8.0) / 4.0, kMeanTolerance);

  TRasterObject cancelling(*this, 4);
  Fill(cancelling, {2.0f, 8.0f}, {0.55f, 0.55f}, {1.0f, -1.0f});
  ASSERT_EQ(cancelling.BuildMeanRaster(), 1);
  EXPECT_APPROX(image.raster.data[15], 5.0, kMeanTolerance);
}

TEST_F(ShowTestObject, AccumulateAddsEveryRaster) {
  UsePixels(4, 0.01);
  TRasterObject object(*this, 4);
  Fill(object, {1.5f, 2.0f}, {0.5f, 0.6f}, {0.1f, 0.1f});
  Mem<float> sum;
  ASSERT_EQ(object.AccumulateRasters(sum), 1);
  ASSERT_EQ(sum.cols, 4);
  EXPECT_EQ(sum.data[7], 3.5f);
  ASSERT_EQ(object.AccumulateRasters(sum), 1);  // N columns already: added to
  EXPECT_EQ(sum.data[7], 7.0f);
  object.rasterFiles.data[0].fileName = Scratch("gone.img");
  EXPECT_EQ(object.AccumulateRasters(sum), 0);
  EXPECT_EQ(sum.data[0], 9.0f);  // the readable raster is still added
}

}  // namespace
