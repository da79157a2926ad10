// Colour pictures of spectral components: each colour mode on hand-made three-pixel
// rasters, the brightness scales, and the component files the image makes itself.

#include "imaging/color/color_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "foundation/testing/approx.h"
#include "imaging/color/color_modes.h"
#include "imaging/color/density_color_image.h"
#include "imaging/rasters/tests/raster_test_support.h"
#include "imaging/testobject/tests/recording_windows.h"

namespace {

// Display values come from float sums and a float luminance: a few float roundings.
constexpr double kDisplayTolerance = 1e-4;
// Pseudo colours map the wavelength with float slope and offset: the shown wavelength is
// off by about 1e-4 nm, which moves the colour-matching values by less than this share.
constexpr double kMappedTolerance = 2e-4;

class ColorImage : public SynthesisTest {
 protected:
  // The image with gamma off and black level 0: display = level x 255 on the strongest
  // channel, so expectations are plain ratios.
  std::unique_ptr<TColorImage> PlainImage() {
    auto image = std::make_unique<TColorImage>();
    image->SetGamma(0);
    return image;
  }
  static void ExpectPixel(const TColorImage &image, int x, double r, double g, double b,
                          double tolerance = kDisplayTolerance) {
    const COLORVECTOR &pixel = image.Pixel(x, 0);
    EXPECT_APPROX(pixel.red, r, tolerance) << "pixel " << x;
    EXPECT_APPROX(pixel.green, g, tolerance) << "pixel " << x;
    EXPECT_APPROX(pixel.blue, b, tolerance) << "pixel " << x;
  }
};

double Lum(double r, double g, double b) { return r + 4.5907 * g + 0.0601 * b; }

TEST_F(ColorImage, GrayOfAConstantRasterIsFullWhite) {
  TColorImage image;  // gamma on, black level 0, gain 1
  image.WriteComponents(WriteRaster("gray.img", 3, 1, {3.0f}));
  ASSERT_EQ(image.BuildFromComponents(kNaturalColor | kLineSpectrum), 1);
  // Without a wavelength the components are shown in gray, whatever was asked.
  EXPECT_EQ(image.modeWord, 17);
  EXPECT_EQ(image.modeCopy, 17);
  for (int x = 0; x < 3; ++x) ExpectPixel(image, x, 255.0, 255.0, 255.0);
}

TEST_F(ColorImage, DarkPixelsShowTheBlackLevel) {
  TColorImage image;
  image.blackLevel = 40;
  image.WriteComponents(WriteRaster("dark.img", 3, 1, {2.0f, 0.0f, -1.0f}));
  ASSERT_EQ(image.BuildFromComponents(kGrayScale), 1);
  EXPECT_EQ(image.modeWord, 17);  // a word without spectrum flag gets the line spectrum
  ExpectPixel(image, 0, 255.0, 255.0, 255.0);
  ExpectPixel(image, 1, 40.0, 40.0, 40.0);
  ExpectPixel(image, 2, 40.0, 40.0, 40.0);
}

TEST_F(ColorImage, LogarithmicScaleShowsThreeDecades) {
  auto image = PlainImage();
  image->SetGeometry(0.0f, 0.0f, 0.001f, 0.0f);
  image->SetScaleMode(1);
  image->WriteComponents(WriteRaster("log.img", 3, 1, {100.0f, 1.0f, 0.1f}));
  ASSERT_EQ(image->BuildFromComponents(kGrayScale | kLineSpectrum), 1);
  // log10 levels 2, 0, -1 over a range of 3 decades below the brightest: 1, 1/3, 0.
  ExpectPixel(*image, 0, 255.0, 255.0, 255.0);
  ExpectPixel(*image, 1, 85.0, 85.0, 85.0);
  ExpectPixel(*image, 2, 0.0, 0.0, 0.0);
}

TEST_F(ColorImage, NaturalColoursOfALineSpectrum) {
  auto image = PlainImage();
  image->WriteComponents(WriteRaster("red.img", 3, 1, {1.0f, 0.0f, 2.0f}, 0.60f, 1.0f));
  image->WriteComponents(WriteRaster("blue.img", 3, 1, {0.0f, 2.0f, 0.0f}, 0.44f, 0.5f));
  ASSERT_EQ(image->BuildFromComponents(kNaturalColor | kLineSpectrum), 1);
  EXPECT_EQ(image->modeWord, 18);
  EXPECT_FLOAT_EQ(image->components.data[0].wavelength, 0.44f);  // sorted, shortest first
  // Pixel 0: the 600 nm row (.3443, .0625, -.0005); pixel 2 twice that; pixel 1 the 440 nm
  // row (-.0026, .0015, .3123) (weight .5 x value 2).
  const double y0 = Lum(0.3443, 0.0625, -0.0005);
  const double y1 = Lum(-0.0026, 0.0015, 0.3123);
  const double y2 = 2.0 * y0;
  ExpectPixel(*image, 2, 255.0, 0.0625 / 0.3443 * 255.0, 0.0);
  ExpectPixel(*image, 0, y0 / y2 * 255.0, 0.0625 / 0.3443 * y0 / y2 * 255.0, 0.0);
  const double level1 = y1 / y2 * 255.0;
  ExpectPixel(*image, 1, 0.0, 0.0015 / 0.3123 * level1, level1);
}

TEST_F(ColorImage, PseudoColoursStretchTheComponentsFromBlueToRed) {
  auto image = PlainImage();
  image->SetGeometry(0.5f, 0.6f, 0.001f, 0.01f);
  image->WriteComponents(WriteRaster("long.img", 3, 1, {0.0f, 1.0f, 0.0f}, 0.6f));
  image->WriteComponents(WriteRaster("short.img", 3, 1, {1.0f, 0.0f, 0.0f}, 0.5f));
  ASSERT_EQ(image->BuildFromComponents(kPseudoColor | kLineSpectrum), 1);
  // 500 nm shows as the 460 nm row (-.0261, .0149, .2982), 600 nm as the 670 nm row
  // (.0315, .0001, 0).
  const double y0 = Lum(-0.0261, 0.0149, 0.2982);
  const double y1 = Lum(0.0315, 0.0001, 0.0);
  ExpectPixel(*image, 0, 0.0, 0.0149 / 0.2982 * 255.0, 255.0, kMappedTolerance);
  ExpectPixel(*image, 1, y1 / y0 * 255.0, 0.0001 / 0.0315 * y1 / y0 * 255.0, 0.0,
              kMappedTolerance);
  ExpectPixel(*image, 2, 0.0, 0.0, 0.0);

  // One wavelength for every component: all of them in the colour of 565 nm.
  auto single = PlainImage();
  single->SetGeometry(0.55f, 0.55f, 0.001f, 0.01f);
  single->WriteComponents(WriteRaster("one.img", 3, 1, {1.0f}, 0.55f));
  ASSERT_EQ(single->BuildFromComponents(kPseudoColor | kLineSpectrum), 1);
  float rgb565[3];
  ASSERT_EQ(TColorRGB::WavelengthToRGB(565.0f, rgb565), 0);
  // Near 565 nm green is the strongest primary and blue is slightly negative.
  ASSERT_GT(rgb565[1], rgb565[0]);
  ExpectPixel(*single, 1, rgb565[0] / rgb565[1] * 255.0, 255.0, 0.0);
}

TEST_F(ColorImage, TvColoursTakeThreeComponentsAsBlueGreenRed) {
  auto image = PlainImage();
  image->SetScaleMode(1);  // TV colours always scale linearly
  image->WriteComponents(WriteRaster("b.img", 3, 1, {1.0f, 0.0f, 0.0f}, 0.65f));
  image->WriteComponents(WriteRaster("g.img", 3, 1, {0.0f, 2.0f, 0.0f}, 0.55f));
  image->WriteComponents(WriteRaster("r.img", 3, 1, {0.0f, 0.0f, 4.0f}, 0.45f));
  ASSERT_EQ(image->BuildFromComponents(kTvColor | kLineSpectrum), 1);
  EXPECT_EQ(image->scaleMode, 0);
  EXPECT_FLOAT_EQ(image->components.data[0].wavelength, 0.65f);  // not sorted
  // Channels over the largest value 4, times 255, then level gain 1 on a fixed scale.
  ExpectPixel(*image, 0, 0.0, 0.0, 63.75);
  ExpectPixel(*image, 1, 0.0, 127.5, 0.0);
  ExpectPixel(*image, 2, 255.0, 0.0, 0.0);

  auto two = PlainImage();
  two->WriteComponents(WriteRaster("b2.img", 3, 1, {1.0f}, 0.65f));
  two->WriteComponents(WriteRaster("g2.img", 3, 1, {1.0f}, 0.55f));
  two->pixels.data[1].green = 7.0f;
  EXPECT_EQ(two->BuildFromComponents(kTvColor | kContinuousSpectrum), 0);
  EXPECT_EQ(two->pixels.data[1].green, 7.0f);
}

// Sums of the colour-matching values over 2 nm steps, weighted by share(l).
template <class Share>
void SumBand(double from, double to, Share share, double sum[3]) {
  for (double l = from; l <= to + 1e-9; l += 2.0) {
    float rgb[3];
    TColorRGB::WavelengthToRGB(static_cast<float>(l), rgb);
    for (int k = 0; k < 3; ++k) sum[k] += share(l) * rgb[k];
  }
}

// The display of a summed colour whose luminance is y against the brightest ymax.
void ExpectSum(const COLORVECTOR &pixel, const double sum[3], double ymax) {
  const double level = Lum(sum[0], sum[1], sum[2]) / ymax * 255.0;
  const double strongest = std::fmax(sum[0], std::fmax(sum[1], sum[2]));
  EXPECT_APPROX(pixel.red, std::fmax(sum[0], 0.0) / strongest * level, kDisplayTolerance);
  EXPECT_APPROX(pixel.green, std::fmax(sum[1], 0.0) / strongest * level, kDisplayTolerance);
  EXPECT_APPROX(pixel.blue, std::fmax(sum[2], 0.0) / strongest * level, kDisplayTolerance);
}

TEST_F(ColorImage, ContinuousSpectrumSumsEveryTwoNanometresBetweenComponents) {
  auto image = PlainImage();
  image->WriteComponents(WriteRaster("a.img", 3, 1, {1.0f, 0.0f, 1.0f}, 0.5f));
  image->WriteComponents(WriteRaster("b.img", 3, 1, {0.0f, 1.0f, 1.0f}, 0.6f));
  ASSERT_EQ(image->BuildFromComponents(kNaturalColor | kContinuousSpectrum), 1);
  // 500, 502, ..., 600 nm: 51 samples, the light going linearly from a to b.
  double fading[3] = {}, rising[3] = {}, both[3] = {};
  SumBand(500.0, 600.0, [](double l) { return 1.0 - (l - 500.0) / 100.0; }, fading);
  SumBand(500.0, 600.0, [](double l) { return (l - 500.0) / 100.0; }, rising);
  SumBand(500.0, 600.0, [](double) { return 1.0; }, both);
  const double ymax = Lum(both[0], both[1], both[2]);
  ExpectSum(image->pixels.data[0], fading, ymax);
  ExpectSum(image->pixels.data[1], rising, ymax);
  ExpectSum(image->pixels.data[2], both, ymax);
}

TEST_F(ColorImage, ContinuousSpectrumCountsAMiddleComponentOnce) {
  auto image = PlainImage();
  image->WriteComponents(WriteRaster("a.img", 3, 1, {0.0f, 0.0f, 1.0f}, 0.5f));
  image->WriteComponents(WriteRaster("b.img", 3, 1, {1.0f, 0.0f, 1.0f}, 0.55f));
  image->WriteComponents(WriteRaster("c.img", 3, 1, {0.0f, 0.0f, 1.0f}, 0.6f));
  ASSERT_EQ(image->BuildFromComponents(kNaturalColor | kContinuousSpectrum), 1);
  // The first pair stops at 548 nm; 550 belongs to the second pair only.
  double peak[3] = {}, flat[3] = {};
  SumBand(500.0, 548.0, [](double l) { return (l - 500.0) / 50.0; }, peak);
  SumBand(550.0, 600.0, [](double l) { return 1.0 - (l - 550.0) / 50.0; }, peak);
  SumBand(500.0, 600.0, [](double) { return 1.0; }, flat);
  const double ymax = Lum(flat[0], flat[1], flat[2]);
  ExpectSum(image->pixels.data[0], peak, ymax);
  EXPECT_EQ(image->pixels.data[1].red, 0.0f);
  ExpectSum(image->pixels.data[2], flat, ymax);
}

TEST_F(ColorImage, ContinuousSpectrumFarBeyondTheTableSumsOnlyTheTable) {
  // 500 nm to 50 000 nm: 24 751 steps, of which only 500 .. 780 nm have a colour. A band
  // this wide once counted its steps past the range of an int.
  auto image = PlainImage();
  image->WriteComponents(WriteRaster("a.img", 3, 1, {1.0f, 0.0f, 1.0f}, 0.5f));
  image->WriteComponents(WriteRaster("b.img", 3, 1, {0.0f, 1.0f, 1.0f}, 50.0f));
  ASSERT_EQ(image->BuildFromComponents(kNaturalColor | kContinuousSpectrum), 1);
  double fading[3] = {}, both[3] = {};
  SumBand(500.0, 780.0, [](double l) { return 1.0 - (l - 500.0) / 49500.0; }, fading);
  SumBand(500.0, 780.0, [](double) { return 1.0; }, both);
  const double ymax = Lum(both[0], both[1], both[2]);
  ExpectSum(image->pixels.data[0], fading, ymax);
}

TEST_F(ColorImage, ContinuousSpectrumOfTwoComponentsAtOneWavelengthTakesTheirMean) {
  // No band between them: one sample at 550 nm of the mean light (2 + 4) / 2 = 3 against
  // (1 + 1) / 2 = 1, so the second pixel shows a third of the first's level.
  auto image = PlainImage();
  image->WriteComponents(WriteRaster("a.img", 3, 1, {2.0f, 1.0f, 0.0f}, 0.55f));
  image->WriteComponents(WriteRaster("b.img", 3, 1, {4.0f, 1.0f, 0.0f}, 0.55f));
  ASSERT_EQ(image->BuildFromComponents(kNaturalColor | kContinuousSpectrum), 1);
  float rgb[3];
  ASSERT_EQ(TColorRGB::WavelengthToRGB(550.0f, rgb), 0);
  ExpectPixel(*image, 0, rgb[0] / rgb[1] * 255.0, 255.0, 0.0);
  ExpectPixel(*image, 1, rgb[0] / rgb[1] * 85.0, 85.0, 0.0);
  ExpectPixel(*image, 2, 0.0, 0.0, 0.0);
}

TEST_F(ColorImage, UnreadableOrMisfitComponentsStopTheBuild) {
  auto image = PlainImage();
  EXPECT_EQ(image->BuildFromComponents(kGrayScale), 0);  // nothing to build
  image->WriteComponents(WriteRaster("fits.img", 3, 1, {1.0f}, 0.5f));
  image->WriteComponents(WriteRaster("wide.img", 4, 1, {1.0f}, 0.6f));
  EXPECT_EQ(image->BuildFromComponents(kNaturalColor | kLineSpectrum), 0);

  auto missing = PlainImage();
  TFileData absent;
  absent.fileName = Scratch("absent.img");
  absent.width = 3;
  absent.height = 1;
  absent.wavelength = 0.5f;
  missing->WriteComponents(absent);
  EXPECT_EQ(missing->BuildFromComponents(kGrayScale), 0);
  EXPECT_EQ(missing->BuildFromComponents(64 | kLineSpectrum), 0);  // no such colour kind
}

TEST_F(ColorImage, ComponentFilesOfItsOwnAreUniqueAndGoWithTheImage) {
  const int before = FileCount();
  std::string first, second;
  {
    TColorImage one, two;
    Mem<float> raster(2, 2);
    raster.Zero();
    TFileData record;
    record.wavelength = 0.55f;
    ASSERT_EQ(one.WriteComponents(record, raster), 1);
    ASSERT_EQ(two.WriteComponents(record, raster), 1);
    first = one.components.data[0].fileName;
    second = two.components.data[0].fileName;
    EXPECT_NE(first, second);
    EXPECT_EQ(std::filesystem::path(first).parent_path(), std::filesystem::path(TempDir()));
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_EQ(one.pixels.cols, 2);
    EXPECT_EQ(FileCount(), before + 2);
    one.Clear();
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
  }
  EXPECT_FALSE(std::filesystem::exists(second));
  EXPECT_EQ(FileCount(), before);
}

TEST_F(ColorImage, DeleteFilesFlagTakesTheNamedFilesAlong) {
  const TFileData kept = WriteRaster("kept.img", 2, 1, {1.0f});
  const TFileData gone = WriteRaster("gone.img", 2, 1, {1.0f});
  TColorImage image;
  image.WriteComponents(kept);
  image.Clear();
  EXPECT_TRUE(std::filesystem::exists(kept.fileName));
  image.WriteComponents(gone);
  image.deleteFiles = 1;
  image.Clear();
  EXPECT_FALSE(std::filesystem::exists(gone.fileName));
  EXPECT_EQ(image.ComponentCount(), 0);
  EXPECT_EQ(image.pixels.data, nullptr);
}

TEST_F(ColorImage, ShowingMovesTheMenuToTheNewestWindow) {
  TRecordingWindows windows;
  TColorImage image;
  image.WriteComponents(WriteRaster("p.img", 2, 2, {1.0f}));
  ASSERT_EQ(image.BuildFromComponents(kGrayScale), 1);
  const HWND firstHandle = image.ShowInWindow(nullptr, 10, 20, 64, 48, 0, 3);
  ASSERT_NE(firstHandle, nullptr);
  const HWND secondHandle = image.ShowInWindow(nullptr, 30, 40, 64, 48, 0, 0);
  ASSERT_EQ(windows.pictures.size(), 2u);
  EXPECT_NE(firstHandle, secondHandle);
  EXPECT_FALSE(windows.pictures[0].menuEnabled);
  EXPECT_TRUE(windows.pictures[1].menuEnabled);
  EXPECT_EQ(windows.pictures[0].option, 3);
  EXPECT_EQ(windows.pictures[1].x, 30);
  EXPECT_EQ(image.window, reinterpret_cast<TColorPicture *>(2));
}

TEST_F(ColorImage, TheOpticalModelGetsItsDensityImageFromHere) {
  TRecordingWindows windows;
  const TColorImageFactory previous = InstallColorImageFactory();
  std::unique_ptr<TColorImageService> service(CreateColorImage());
  ASSERT_NE(service, nullptr);
  TFileData record = WriteRaster("~~dens.bak", 3, 1, {4.0f, 2.0f, 0.0f}, 0.55f);
  service->WriteComponents(record, 0);
  service->BuildFromComponents(1);
  const HWND handle = service->ShowInWindow(nullptr, 50, 50, 3, 1, 0, 0);
  EXPECT_NE(handle, nullptr);
  ASSERT_EQ(windows.pictures.size(), 1u);
  EXPECT_EQ(windows.pictures[0].x, 50);
  const TColorImage &image = static_cast<TDensityColorImage *>(service.get())->image;
  EXPECT_EQ(image.modeWord, 17);
  ExpectPixel(image, 0, 255.0, 255.0, 255.0);
  ExpectPixel(image, 1, std::pow(0.5, 0.3) * 255.0, std::pow(0.5, 0.3) * 255.0,
              std::pow(0.5, 0.3) * 255.0);
  ExpectPixel(image, 2, 0.0, 0.0, 0.0);
  SetColorImageFactory(previous);
}

}  // namespace
