// The lens of a given focal length: radii against the thin-lens limit and the thick-lens
// power of the radii found, lenses that cannot exist, and the edge kept on the lens.

#include "editor/insert/lens_of_focus.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"

namespace {

constexpr double kTight = 1e-12;

// Power of a thick lens in air from the matrix of its two surfaces and the gap between.
double ThickLensFocal(double r1, double r2, double n, double t) {
  const double p1 = (n - 1.0) / r1;
  const double p2 = (1.0 - n) / r2;
  return 1.0 / (p1 + p2 - t / n * p1 * p2);
}

TEST(LensOfFocus, RadiiGiveTheFocalLengthForThinAndThickLenses) {
  // A lens without thickness: R = 2 (n - 1) f.
  const TLensRadii thin = LensRadiiForFocus(100.0, 1.5, 0.0);
  ASSERT_TRUE(thin.error.empty());
  EXPECT_APPROX(thin.r1, 100.0, kTight);
  EXPECT_APPROX(thin.r2, -100.0, kTight);
  for (double f : {50.0, 100.0, 250.0, -80.0}) {
    for (double t : {1.0, 5.0, 12.0}) {
      const TLensRadii lens = LensRadiiForFocus(f, 1.5168, t);
      ASSERT_TRUE(lens.error.empty()) << f << " " << t;
      EXPECT_APPROX(ThickLensFocal(lens.r1, lens.r2, 1.5168, t), f, kTight) << f << " " << t;
      // Equi-convex for a positive lens, equi-concave for a negative one.
      EXPECT_EQ(lens.r1 > 0.0, f > 0.0);
      EXPECT_EQ(lens.r2, -lens.r1);
    }
  }
}

TEST(LensOfFocus, ImpossibleLensesSayWhy) {
  EXPECT_FALSE(LensRadiiForFocus(0.0, 1.5, 2.0).error.empty());
  EXPECT_FALSE(LensRadiiForFocus(100.0, 1.0, 2.0).error.empty());
  EXPECT_FALSE(LensRadiiForFocus(100.0, std::nan(""), 2.0).error.empty());
  EXPECT_FALSE(LensRadiiForFocus(100.0, 1.5, -1.0).error.empty());
  // A ball lens of index 1.5 has f = n D / (4 (n - 1)) = 0.75 D: a positive lens thicker
  // than n f has no equi-convex form.
  EXPECT_TRUE(LensRadiiForFocus(10.0, 1.5, 15.0).error.empty());
  EXPECT_FALSE(LensRadiiForFocus(10.0, 1.5, 15.1).error.empty());
}

TEST(LensOfFocus, SemiHeightKeepsAnEdge) {
  const double t = 4.0;
  const TLensRadii lens = LensRadiiForFocus(50.0, 1.5, t);
  ASSERT_TRUE(lens.error.empty());
  // A small height stays as asked.
  EXPECT_EQ(LensSemiHeight(lens, t, 5.0), 5.0);
  // A large one is cut where the edge is a tenth of the centre thickness.
  const double h = LensSemiHeight(lens, t, 40.0);
  const double r = std::fabs(lens.r1);
  const double sag = r - std::sqrt(r * r - h * h);
  EXPECT_LT(h, 40.0);
  EXPECT_APPROX(t - 2.0 * sag, 0.1 * t, 1e-9);
  // A concave lens thickens outwards: only the radius limits it.
  const TLensRadii negative = LensRadiiForFocus(-50.0, 1.5, t);
  EXPECT_APPROX(LensSemiHeight(negative, t, 1000.0), 0.95 * std::fabs(negative.r1), kTight);
}

}  // namespace
