// Chromaticity of pixels and colours of the diagram, against the CIE 1931 primaries.

#include "imaging/pictures/chromaticity.h"

#include <gtest/gtest.h>

#include "foundation/testing/approx.h"

namespace {
constexpr double kThreeDecimals = 5e-4;
constexpr double kMatrixTolerance = 1e-3;
}  // namespace

TEST(Chromaticity, PureRedLiesAtTheRedPrimary) {
  double x = 0.0, y = 0.0;
  ASSERT_TRUE(PixelChromaticity(255, 0, 0, x, y));
  EXPECT_APPROX(x, 0.735, kThreeDecimals);
  EXPECT_APPROX(y, 0.265, kThreeDecimals);
  EXPECT_APPROX(x, 2.7687 / 3.7687, 1e-12);
}

TEST(Chromaticity, GreyLiesAtTheEqualEnergyPoint) {
  double x = 0.0, y = 0.0;
  for (int level : {1, 128, 255}) {
    ASSERT_TRUE(PixelChromaticity(level, level, level, x, y));
    EXPECT_APPROX(x, 1.0 / 3.0, kThreeDecimals);
    EXPECT_APPROX(y, 1.0 / 3.0, kThreeDecimals);
  }
}

TEST(Chromaticity, BlackHasNoChromaticity) {
  double x = -1.0, y = -1.0;
  EXPECT_FALSE(PixelChromaticity(0, 0, 0, x, y));
}

TEST(Chromaticity, TheTwoMatricesAreInverseUpToAFactor) {
  double product[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      product[i][j] = 0.0;
      for (int k = 0; k < 3; ++k) product[i][j] += kXyzToRgb[i][k] * kRgbToXyz[k][j];
    }
  }
  const double factor = product[0][0];
  EXPECT_GT(factor, 0.5);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      EXPECT_APPROX(product[i][j], i == j ? factor : 0.0, kMatrixTolerance) << i << "," << j;
    }
  }
}

TEST(Chromaticity, DiagramColoursInsideAndOutsideTheTriangle) {
  int rgb[3];
  // Near the red primary: red is the strongest.
  ASSERT_TRUE(ChromaticityColor(0.70, 0.28, rgb));
  EXPECT_EQ(rgb[0], 255);
  EXPECT_LT(rgb[1], 60);
  // The equal-energy point is white.
  ASSERT_TRUE(ChromaticityColor(1.0 / 3.0, 1.0 / 3.0, rgb));
  EXPECT_GE(rgb[0], 250);
  EXPECT_GE(rgb[1], 250);
  EXPECT_GE(rgb[2], 250);
  // A saturated green the primaries cannot show, and a point beyond the spectrum.
  EXPECT_FALSE(ChromaticityColor(0.10, 0.80, rgb));
  EXPECT_FALSE(ChromaticityColor(0.70, 0.10, rgb));
}
