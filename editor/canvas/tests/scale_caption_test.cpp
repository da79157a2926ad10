#include "editor/canvas/scale_caption.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// At 96 pixels an inch a pixel is 25.4 / 96 = 0.26458 mm of screen.
constexpr double kScreenDpi = 96.0;

TEST(ScaleCaption, DigitsFollowTheSizeOfTheRatio) {
  // 100 mm over 500 pixels: 0.2 / 0.26458 = 0.7559.
  EXPECT_EQ(FormatScaleCaption(kScreenDpi, 100.0, 500), " (1:0.8)");
  // 10 mm: 0.07559, three decimals below 0.1.
  EXPECT_EQ(FormatScaleCaption(kScreenDpi, 10.0, 500), " (1:0.076)");
  // 1 mm: 0.007559, four decimals below 0.01.
  EXPECT_EQ(FormatScaleCaption(kScreenDpi, 1.0, 500), " (1:0.0076)");
  // 10 m: 75.59.
  EXPECT_EQ(FormatScaleCaption(kScreenDpi, 10000.0, 500), " (1:75.6)");
  // A reversed range is as wide as the other way round.
  EXPECT_EQ(FormatScaleCaption(kScreenDpi, -100.0, 500), " (1:0.8)");
}

TEST(ScaleCaption, NoScaleWithoutSizes) {
  EXPECT_EQ(FormatScaleCaption(kScreenDpi, 100.0, 0), "");
  EXPECT_EQ(FormatScaleCaption(0.0, 100.0, 500), "");
  EXPECT_EQ(FormatScaleCaption(kScreenDpi, std::numeric_limits<double>::infinity(), 500), "");
  EXPECT_EQ(FormatScaleCaption(kScreenDpi, std::numeric_limits<double>::quiet_NaN(), 500), "");
}

}  // namespace
