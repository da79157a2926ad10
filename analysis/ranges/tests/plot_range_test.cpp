#include "analysis/ranges/plot_range.h"

#include <gtest/gtest.h>

#include <cmath>

#include "optics/trace/image_coordinate.h"

TEST(PlotRange, EmptyRangeForcesAutoOnce) {
  double lo = kEmptyRangeMin, hi = kEmptyRangeMax;
  TRangeRef range{lo, hi};
  EXPECT_EQ(EffectiveScaleMode(kScaleFixed, range), kScaleAuto);
  range.Widen(-2.0);
  range.Widen(3.0);
  EXPECT_EQ(lo, -2.0);
  EXPECT_EQ(hi, 3.0);
  EXPECT_EQ(EffectiveScaleMode(kScaleFixed, range), kScaleFixed);
  EXPECT_EQ(EffectiveScaleMode(kScaleKeep, range), kScaleKeep);
}

TEST(PlotRange, NarrowRangeIsWidenedOnBothSides) {
  double lo = 1.0, hi = 1.0 + 5e-6;
  TRangeRef range{lo, hi};
  range.EnsureWidth(1e-5);
  EXPECT_EQ(lo, 1.0 - 1e-5);
  EXPECT_EQ(hi, 1.0 + 5e-6 + 1e-5);
  double a = 0.0, b = 1.0;
  TRangeRef wide{a, b};
  wide.EnsureWidth(1e-5);
  EXPECT_EQ(a, 0.0);
  EXPECT_EQ(b, 1.0);
}

TEST(PlotRange, AngularCoordinateIsInMilliradians) {
  // A ray at 45 degrees: atan(1) = pi/4 rad.
  EXPECT_NEAR(ImageCoordinate(0, 7.0, 0.5, 0.5), 1000.0 * std::atan(1.0), 1e-12);
  EXPECT_EQ(ImageCoordinate(1, 7.0, 0.5, 0.5), 7.0);
}
