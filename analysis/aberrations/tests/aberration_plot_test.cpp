#include "analysis/aberrations/aberration_plot.h"

#include <gtest/gtest.h>

#include "foundation/testing/approx.h"

namespace {

constexpr double kExact = 1e-15;

TEST(AberrationPlot, TransverseRangesReachZero) {
  double lo, hi;
  // Wholly above 0: from -10 % of the top (after the 1/15 margins).
  FanPlotRange(1.5, 3.0, true, lo, hi);
  EXPECT_APPROX(hi, 3.1, kExact);
  EXPECT_APPROX(lo, -0.31, kExact);
  // Wholly below 0: up to 0.
  FanPlotRange(-3.0, -1.5, true, lo, hi);
  EXPECT_APPROX(lo, -3.1, kExact);
  EXPECT_EQ(hi, 0.0);
  // Wave ranges keep their margins only.
  FanPlotRange(1.5, 3.0, false, lo, hi);
  EXPECT_APPROX(lo, 1.4, kExact);
  EXPECT_APPROX(hi, 3.1, kExact);
}

TEST(AberrationPlot, FarPointsAreSkippedOnEitherSideOfZero) {
  EXPECT_FALSE(FarOutsidePlot(9.0, -1.0, 1.0));
  EXPECT_TRUE(FarOutsidePlot(11.0, -1.0, 1.0));
  EXPECT_TRUE(FarOutsidePlot(-11.0, -1.0, 1.0));
  // A wave range wholly above 0 still draws its own points.
  EXPECT_FALSE(FarOutsidePlot(2.0, 1.4, 3.1));
  EXPECT_FALSE(FarOutsidePlot(3.1, 1.4, 3.1));
  EXPECT_TRUE(FarOutsidePlot(30.0, 1.4, 3.1));
}

TEST(AberrationPlot, DistortionRangesTakeInZero) {
  double lo = 2.0, hi = 5.0;
  AdjustDistortionRange(lo, hi);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 5.0);
  lo = -3.0;
  hi = -1.0;
  AdjustDistortionRange(lo, hi);
  EXPECT_EQ(lo, -3.0);
  EXPECT_EQ(hi, 0.0);
  lo = hi = 0.0;
  AdjustDistortionRange(lo, hi);
  EXPECT_EQ(lo, -1.0);
  EXPECT_EQ(hi, 1.0);
  lo = -2.0;
  hi = 4.0;
  AdjustDistortionRange(lo, hi);
  EXPECT_EQ(lo, -2.0);
  EXPECT_EQ(hi, 4.0);
}

TEST(AberrationPlot, CurveColoursOfOneWavelengthRepeatAfterSix) {
  EXPECT_EQ(AberrationCurveColor(0, 7, true).color, 0x00FFFFu);
  EXPECT_EQ(AberrationCurveColor(6, 7, true).color, 0x00FFFFu);
  EXPECT_EQ(AberrationCurveColor(2, 7, true).color, 0x0000FFu);
  const TCurveColor palette = AberrationCurveColor(1, 3, false);
  EXPECT_FALSE(palette.fromTable);
  EXPECT_APPROX(palette.paletteFraction, 0.75, kExact);
}

}  // namespace
