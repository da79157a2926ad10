#include "imaging/color/color_rgb.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"

namespace {

// Table values are four-place decimals held as float: half a float ulp near 0.3.
constexpr double kTableTolerance = 2e-8;
// A parabola evaluated in double and stored as float.
constexpr double kParabolaTolerance = 1e-7;
// The three columns are the standard's functions sampled every 10 nm and rounded to four
// places: their sums agree to about 0.1 %, not exactly.
constexpr double kEqualEnergyTolerance = 2e-3;
// Display values computed in double, stored as float.
constexpr double kDisplayTolerance = 1e-6;

void ExpectRGB(float wavelength, double r, double g, double b, double tolerance) {
  float rgb[3] = {9.0f, 9.0f, 9.0f};
  EXPECT_EQ(TColorRGB::WavelengthToRGB(wavelength, rgb), 0) << wavelength;
  EXPECT_APPROX(rgb[0], r, tolerance) << wavelength;
  EXPECT_APPROX(rgb[1], g, tolerance) << wavelength;
  EXPECT_APPROX(rgb[2], b, tolerance) << wavelength;
}

TEST(ColorRGB, TableRowsAndEndsAreReturnedAsTheyAre) {
  ASSERT_EQ(kColorMatchingRows, 41);
  ExpectRGB(600.0f, 0.3443, 0.0625, -0.0005, kTableTolerance);
  ExpectRGB(440.0f, -0.0026, 0.0015, 0.3123, kTableTolerance);
  ExpectRGB(380.0f, kColorMatching[0].red, kColorMatching[0].green, kColorMatching[0].blue,
            kTableTolerance);
  ExpectRGB(780.0f, kColorMatching[40].red, kColorMatching[40].green, kColorMatching[40].blue,
            kTableTolerance);
  for (const float outside : {379.0f, 781.0f, -5.0f, NAN}) {
    float rgb[3] = {9.0f, 9.0f, 9.0f};
    EXPECT_EQ(TColorRGB::WavelengthToRGB(outside, rgb), 1) << outside;
    EXPECT_EQ(rgb[0], 0.0f);
    EXPECT_EQ(rgb[1], 0.0f);
    EXPECT_EQ(rgb[2], 0.0f);
  }
}

TEST(ColorRGB, BetweenRowsAParabolaThroughTheNextThreeRows) {
  // Newton's divided differences through 600, 610, 620 nm, by hand: red .3443, .3397,
  // .2971 give p(605) = .3443 - .00046 x 5 + (-.00019) x 5 x (-5) = .34675; green .0625,
  // .0356, .0183 give .0625 - .00269 x 5 + .000048 x (-25) = .04785; blue -.0005, -.0003,
  // -.0002 give -.0005 + .00002 x 5 - .0000005 x (-25) = -.0003875.
  ExpectRGB(605.0f, 0.34675, 0.04785, -0.0003875, kParabolaTolerance);
  // At the top the last three rows 760, 770, 780 (red .0001, 0, 0):
  // .0001 - .00001 x 15 + .0000005 x 15 x 5 = -.0000125.
  ExpectRGB(775.0f, -0.0000125, 0.0, 0.0, kParabolaTolerance);
  // (0, 1), (1, 2), (3, 10) lie on x^2 + 1.
  EXPECT_APPROX(TColorRGB::Interpolate3(2.0, 0.0, 1.0, 1.0, 2.0, 3.0, 10.0), 5.0,
                kParabolaTolerance);
}

TEST(ColorRGB, ColumnsHaveEqualAreaForEqualEnergyWhite) {
  // Equal energy at every wavelength matches with equal amounts of the three primaries, so
  // the three functions enclose equal areas. Summed every nanometre through the lookup.
  double sums[3] = {0.0, 0.0, 0.0};
  for (int lambda = 380; lambda <= 780; ++lambda) {
    float rgb[3];
    ASSERT_EQ(TColorRGB::WavelengthToRGB(static_cast<float>(lambda), rgb), 0);
    for (int k = 0; k < 3; ++k) sums[k] += rgb[k];
  }
  EXPECT_APPROX(sums[1], sums[0], kEqualEnergyTolerance);
  EXPECT_APPROX(sums[2], sums[0], kEqualEnergyTolerance);
  EXPECT_GT(sums[0], 0.0);
}

TEST(ColorRGB, LuminanceWeighsThePrimaries) {
  EXPECT_APPROX(TColorRGB::Luminance(1.0f, 1.0f, 1.0f), 1.0 + 4.5907 + 0.0601, kDisplayTolerance);
  EXPECT_APPROX(TColorRGB::Luminance(0.0f, 0.0f, 2.0f), 0.1202, kDisplayTolerance);
  EXPECT_EQ(TColorRGB::Luminance(0.0f, 0.0f, 0.0f), kNoLight);
  EXPECT_EQ(TColorRGB::Luminance(1.0f, -1.0f, 0.0f), kNoLight);
}

TEST(ColorRGB, DisplayValuesKeepTheChannelRatios) {
  TColorRGB rgb;
  rgb.SetGamma(0);
  float channels[3] = {100.0f, 50.0f, -3.0f};
  rgb.ToDisplay(0.5f, channels, 0);
  // The strongest channel takes the level: 0.5 x 255; the others keep their ratio.
  EXPECT_APPROX(channels[0], 127.5, kDisplayTolerance);
  EXPECT_APPROX(channels[1], 63.75, kDisplayTolerance);
  EXPECT_EQ(channels[2], 0.0f);

  EXPECT_EQ(rgb.SetGamma(1), 0);
  rgb.blackLevel = 40;
  float lit[3] = {100.0f, 50.0f, 0.0f};
  rgb.ToDisplay(0.5f, lit, 0);
  EXPECT_APPROX(lit[0], std::pow(0.5, 0.3) * 215.0 + 40.0, kDisplayTolerance);
  EXPECT_APPROX(lit[1], std::pow(0.25, 0.3) * 215.0 + 40.0, kDisplayTolerance);
  EXPECT_APPROX(lit[2], 40.0, kDisplayTolerance);

  for (const float level : {0.0f, -1e18f, NAN}) {
    float dark[3] = {10.0f, 20.0f, 30.0f};
    rgb.ToDisplay(level, dark, 0);
    for (const float value : dark) EXPECT_EQ(value, 40.0f) << level;
  }

  // A fixed scale measures every channel against 255; gain 2 saturates.
  rgb.SetGamma(0);
  rgb.blackLevel = 0;
  float fixed[3] = {51.0f, 255.0f, 0.0f};
  rgb.ToDisplay(2.0f, fixed, 1);
  EXPECT_APPROX(fixed[0], 102.0, kDisplayTolerance);
  EXPECT_EQ(fixed[1], 255.0f);
}

}  // namespace
