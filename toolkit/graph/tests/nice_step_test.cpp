// Round axis steps, the shared label factor and label trimming.

#include "toolkit/graph/nice_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/testing/approx.h"

namespace {

// NiceStep results are s * 10^k built from exact decimal scaling; one rounding of the
// final product at most.
constexpr double kStepTolerance = 1e-15;

}  // namespace

TEST(NiceStep, PicksTheNearestRoundStep) {
  EXPECT_APPROX(NiceStep(0.37), 0.25, kStepTolerance);
  EXPECT_APPROX(NiceStep(7.0), 5.0, kStepTolerance);
  EXPECT_APPROX(NiceStep(7.6), 10.0, kStepTolerance);
  EXPECT_APPROX(NiceStep(-0.03), -0.025, kStepTolerance);
  EXPECT_APPROX(NiceStep(2.0), 2.0, kStepTolerance);
  EXPECT_APPROX(NiceStep(4.0e4), 5.0e4, kStepTolerance);
  EXPECT_APPROX(NiceStep(1.2e-7), 1.0e-7, kStepTolerance);
  EXPECT_APPROX(NiceStep(3.0e12), 2.5e12, kStepTolerance);
}

TEST(NiceStep, TieGoesToTheSmallerStep) {
  // 1.5 lies halfway between 1 and 2; 3.75 halfway between 2.5 and 5.
  EXPECT_EQ(NiceStep(1.5), 1.0);
  EXPECT_EQ(NiceStep(3.75), 2.5);
  EXPECT_EQ(NiceStep(15.0), 10.0);
}

TEST(NiceStep, IsStableOnItsOwnResults) {
  for (double v : {0.0025, 0.01, 0.2, 0.5, 1.0, 2.5, 10.0, 500.0, 2e5}) {
    EXPECT_EQ(NiceStep(NiceStep(v)), NiceStep(v)) << v;
  }
}

TEST(NiceStep, DegenerateInputsEndAtOnceWithZero) {
  EXPECT_EQ(NiceStep(0.0), 0.0);
  EXPECT_EQ(NiceStep(-0.0), 0.0);
  EXPECT_EQ(NiceStep(std::numeric_limits<double>::infinity()), 0.0);
  EXPECT_EQ(NiceStep(-std::numeric_limits<double>::infinity()), 0.0);
  EXPECT_EQ(NiceStep(std::numeric_limits<double>::quiet_NaN()), 0.0);
  // Extremes of the double range still give a finite round step or 0.
  const double tiny = NiceStep(std::numeric_limits<double>::denorm_min());
  EXPECT_TRUE(std::isfinite(tiny));
  EXPECT_GE(tiny, 0.0);
  EXPECT_TRUE(std::isfinite(NiceStep(std::numeric_limits<double>::max())));
}

TEST(ExponentScale, SharesAPowerOfTenBeyondTwoDigits) {
  std::string marker = "unchanged";
  double factor = 0.0;
  ExponentScale(0.0, 2e5, marker, factor);
  EXPECT_EQ(marker, "*E+05");
  EXPECT_EQ(factor, 1e5);
  ExponentScale(-3e-5, 1e-5, marker, factor);
  EXPECT_EQ(marker, "*E-04");
  EXPECT_APPROX(factor, 1e-4, kStepTolerance);
  ExponentScale(0.0, 7.5e12, marker, factor);
  EXPECT_EQ(marker, "*E+12");
  ExponentScale(1e-12, 5e-12, marker, factor);
  EXPECT_EQ(marker, "*E-11");
}

TEST(ExponentScale, ThreeDigitExponentsKeepEveryDigit) {
  std::string marker;
  EXPECT_EQ(ExponentScale(0.0, 3e123, marker), 1e123);
  EXPECT_EQ(marker, "*E+123");
}

TEST(ExponentScale, SmallRangesAndZeroRangesStayPlain) {
  std::string marker = "unchanged";
  EXPECT_EQ(ExponentScale(0.0, 500.0, marker), 1.0);
  EXPECT_EQ(marker, "unchanged");
  EXPECT_EQ(ExponentScale(-0.005, 0.005, marker), 1.0);
  // Both ends at zero: no magnitude, no factor (not 10^-1e20).
  EXPECT_EQ(ExponentScale(0.0, 0.0, marker), 1.0);
  EXPECT_EQ(marker, "unchanged");
  EXPECT_EQ(ExponentScale(1e-40, -1e-38, marker), 1.0);
}

TEST(TrimTrailingZeros, KeepsTheDecimalPointAndWholeNumbers) {
  std::string text = "2.00";
  TrimTrailingZeros(text);
  EXPECT_EQ(text, "2.");
  text = "2.500  ";
  TrimTrailingZeros(text);
  EXPECT_EQ(text, "2.5");
  text = "-0.0250";
  TrimTrailingZeros(text);
  EXPECT_EQ(text, "-0.025");
  text = "100";
  TrimTrailingZeros(text);
  EXPECT_EQ(text, "100");
  text = "0";
  TrimTrailingZeros(text);
  EXPECT_EQ(text, "0");
  text = "";
  TrimTrailingZeros(text);
  EXPECT_EQ(text, "");
}

TEST(FirstMultipleAtOrAbove, RoundsUpToTheStep) {
  EXPECT_EQ(FirstMultipleAtOrAbove(3.0, 2.0), 4.0);
  EXPECT_EQ(FirstMultipleAtOrAbove(2.0, 2.0), 2.0);
  EXPECT_EQ(FirstMultipleAtOrAbove(-3.0, 2.0), -2.0);
}
