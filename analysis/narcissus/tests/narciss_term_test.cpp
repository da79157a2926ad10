// The narcissus term against paraxial ray algebra done here: heights y and slopes m
// (tangents) with y' = y + t m across a gap t and n' m' = n m - y (n' - n) / R at a surface.

#include "analysis/narcissus/narciss_term.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"

namespace {

// Paraxial heights of a few surfaces: rounding of a dozen operations; the single-precision
// reflection term is the same float in both computations.
constexpr double kTermTolerance = 1e-12;

struct TSurfaceData {
  double x;       // vertex on the axis
  double radius;  // 0: plane
  double index;   // behind the surface
  double semiHeight;
};

// A system of the surfaces with their indices set, the entrance pupil of diameter 8.
void Build(TOpticalSystem &system, const std::vector<TSurfaceData> &surfaces) {
  double before = 1.0;
  for (const TSurfaceData &d : surfaces) {
    TSurface *s = system.AddSurface(new TSurface(d.x, 0.0, 0.0));
    s->general.type = d.radius == 0.0 ? kSurfacePlane : kSurfaceSphere;
    s->general.R = d.radius;
    s->general.curvature = d.radius == 0.0 ? 0.0 : 1.0 / d.radius;
    s->general.nBefore = before;
    s->general.nAfter = d.index;
    s->general.semiHeightExt = s->general.semiWidthExt = d.semiHeight;
    before = d.index;
  }
  system.info.entrancePupilDiameter = 8.0;
}

// A paraxial ray at surface `at` (after it), traced on through the later surfaces.
struct THandRay {
  double y;
  double m;
};

// n' m' = n m - y (n' - n) / R.
double Refract(double m, double y, double before, double after, double radius) {
  const double power = radius == 0.0 ? 0.0 : (after - before) / radius;
  return (before * m - y * power) / after;
}

// Heights of a ray that leaves surface `from` at (y, m) on every later surface.
std::vector<double> Follow(const std::vector<TSurfaceData> &s, int from, THandRay ray) {
  std::vector<double> heights;
  for (std::size_t i = static_cast<std::size_t>(from) + 1; i < s.size(); ++i) {
    ray.y += (s[i].x - s[i - 1].x) * ray.m;
    ray.m = Refract(ray.m, ray.y, s[i - 1].index, s[i].index, s[i].radius);
    heights.push_back(ray.y);
  }
  return heights;
}

// Smallest |semi-height / y| over the heights of surfaces first.. (axis heights skipped).
double Limit(const std::vector<TSurfaceData> &s, int first, const std::vector<double> &heights, double limit) {
  for (std::size_t k = 0; k < heights.size(); ++k)
    if (std::fabs(heights[k]) > 1e-7) limit = std::min(limit, s[first + k].semiHeight / std::fabs(heights[k]));
  return limit;
}

// The share R^2 / K^2 of every surface but the last (the detector), worked by hand for a
// marginal ray that starts at surface 0 at height 4 with slope m0; 0 for a dummy.
std::vector<double> HandShares(const std::vector<TSurfaceData> &s, double m0) {
  // Marginal heights on every surface, and its slope after each.
  std::vector<double> y = {4.0};
  std::vector<double> m = {Refract(m0, 4.0, 1.0, s[0].index, s[0].radius)};
  for (std::size_t i = 1; i < s.size(); ++i) {
    y.push_back(y[i - 1] + (s[i].x - s[i - 1].x) * m[i - 1]);
    m.push_back(Refract(m[i - 1], y[i], s[i - 1].index, s[i].index, s[i].radius));
  }
  const double k = Limit(s, 0, y, 1e18);
  std::vector<double> shares(s.size() - 1, 0.0);
  for (std::size_t j = 0; j + 1 < s.size(); ++j) {
    const double indexBefore = j == 0 ? 1.0 : s[j - 1].index;
    if (indexBefore == s[j].index) continue;
    double r = Limit(s, 0, std::vector<double>(y.begin(), y.begin() + j + 1), 1e18);
    // Reflected: u = -m, u' = u - 2 y / R, started again with tangent u'.
    double u = -m[j];
    if (s[j].radius != 0.0) u -= static_cast<float>(2.0 * y[j] / s[j].radius);
    r = Limit(s, static_cast<int>(j) + 1, Follow(s, static_cast<int>(j), {y[j], u}), r);
    shares[j] = r * r / (k * k);
  }
  return shares;
}

// The term: the shares' sum times 0.6.
double HandTerm(const std::vector<TSurfaceData> &s, double m0) {
  double sum = 0.0;
  for (double share : HandShares(s, m0)) sum += share;
  return sum * 0.6;
}

}  // namespace

TEST(NarcissTerm, ZeroScannerSurfaceGivesZero) {
  TOpticalSystem system;
  Build(system, {{0, 0, 1.0, 20}, {10, 0, 1.5, 6}, {15, 0, 1.0, 6}, {40, 0, 1.0, 5}});
  EXPECT_EQ(NarcissTerm(system, 0), 0.0);
  EXPECT_EQ(NarcissTerm(system, -2), 0.0);
}

TEST(NarcissTerm, PlaneWindowMatchesAHandComputation) {
  const std::vector<TSurfaceData> window = {{0, 0, 1.0, 20}, {10, 0, 1.5, 6}, {15, 0, 1.0, 6}, {40, 0, 1.0, 5}};
  TOpticalSystem system;
  Build(system, window);
  // A parallel beam is not focused on the detector: the marginal ray is re-aimed from
  // surface 0 with the slope that brings it to the axis there. A ray from the axis at
  // slope -1 reaches y2 = -(10 + 5 / 1.5 + 25); the slope is 4 / y2.
  const double y2 = -(10.0 + 5.0 / 1.5 + 25.0);
  const double expected = HandTerm(window, 4.0 / y2);
  EXPECT_GT(expected, 0.0);
  EXPECT_APPROX(NarcissTerm(system, 3), expected, kTermTolerance);
  // The window returns the detector's cold image wherever the scanner stands, a scanner
  // past the list included.
  EXPECT_APPROX(NarcissTerm(system, 9), expected, kTermTolerance);
}

// The merit counts the surfaces the narcissus table lists: a window between the scanner
// and the detector returns the detector's cold image at every scan angle alike, and the
// optimizer must see that return as the table shows it.
TEST(NarcissTerm, AWindowBetweenTheScannerAndTheDetectorCounts) {
  const std::vector<TSurfaceData> window = {{0, 0, 1.0, 20}, {10, 0, 1.5, 6}, {15, 0, 1.0, 6}, {40, 0, 1.0, 5}};
  TOpticalSystem system;
  Build(system, window);
  const double y2 = -(10.0 + 5.0 / 1.5 + 25.0);
  const std::vector<double> shares = HandShares(window, 4.0 / y2);
  ASSERT_GT(shares[1], 0.0);
  ASSERT_GT(shares[2], 0.0);
  // The scanner on surface 1, the window's faces 1 and 2 behind it: both faces count.
  EXPECT_APPROX(NarcissTerm(system, 1), (shares[1] + shares[2]) * 0.6, kTermTolerance);
}

TEST(NarcissTerm, SingletInFrontOfTheDetectorMatchesAHandComputation) {
  // R1 = 50, R2 = -50, 5 thick, n = 1.5; the detector at the paraxial focus, where the
  // parallel marginal ray meets the axis, so it is kept as it is.
  std::vector<TSurfaceData> singlet = {{0, 0, 1.0, 20}, {10, 50, 1.5, 6}, {15, -50, 1.0, 6}, {0, 0, 1.0, 1}};
  const double m1 = Refract(0.0, 4.0, 1.0, 1.5, 50.0);
  const double y2 = 4.0 + 5.0 * m1;
  const double m2 = Refract(m1, y2, 1.5, 1.0, -50.0);
  singlet[3].x = 15.0 - y2 / m2;
  TOpticalSystem system;
  Build(system, singlet);
  const double expected = HandTerm(singlet, 0.0);
  EXPECT_GT(expected, 0.0);
  EXPECT_APPROX(NarcissTerm(system, 3), expected, kTermTolerance);
}

TEST(NarcissTerm, MirrorsDummiesAndTheDetectorAddNothing) {
  const std::vector<TSurfaceData> window = {{0, 0, 1.0, 20}, {10, 0, 1.5, 6}, {15, 0, 1.0, 6}, {40, 0, 1.0, 5}};
  TOpticalSystem system;
  Build(system, window);
  const double y2 = -(10.0 + 5.0 / 1.5 + 25.0);
  const std::vector<double> shares = HandShares(window, 4.0 / y2);
  // Surface 0 is a dummy (air on both sides).
  EXPECT_EQ(shares[0], 0.0);
  system.Surface(1)->general.materialKind = 1;  // flagged a mirror: skipped
  EXPECT_APPROX(NarcissTerm(system, 3), shares[2] * 0.6, kTermTolerance);
  system.Surface(1)->general.materialKind = 0;
  // A detector behind a glass face of its own (index 1.5 after the last surface) is the
  // detector still: it reflects nothing of itself back.
  const double whole = NarcissTerm(system, 3);
  system.Surface(3)->general.nAfter = 1.5;
  EXPECT_APPROX(NarcissTerm(system, 3), whole, kTermTolerance);
  // A system of air alone returns nothing.
  TOpticalSystem air;
  Build(air, {{0, 0, 1.0, 20}, {10, 0, 1.0, 6}, {15, 0, 1.0, 6}, {40, 0, 1.0, 5}});
  EXPECT_EQ(NarcissTerm(air, 2), 0.0);
}

TEST(NarcissTerm, SurfacesWithoutApertureLimitNothing) {
  // A semi-height of 0 would make the system's limit 0 and the term a division by 0.
  const std::vector<TSurfaceData> window = {{0, 0, 1.0, 20}, {10, 0, 1.5, 6}, {15, 0, 1.0, 6}, {40, 0, 1.0, 5}};
  TOpticalSystem reference;
  Build(reference, window);
  TOpticalSystem open;
  Build(open, window);
  open.Surface(0)->general.semiHeightExt = 0.0;  // never the limit in the reference
  const double term = NarcissTerm(open, 3);
  EXPECT_TRUE(std::isfinite(term));
  EXPECT_APPROX(term, NarcissTerm(reference, 3), kTermTolerance);
  for (int i = 0; i < open.SurfaceCount(); ++i) open.Surface(i)->general.semiHeightExt = 0.0;
  EXPECT_EQ(NarcissTerm(open, 3), 0.0);
}

TEST(NarcissTerm, LastSurfaceConjugateToTheFirstKeepsTheParallelRay) {
  // The singlet images surface 0 (100 in front of it) onto the last surface: every ray
  // from the axis at surface 0 comes back to the axis there (y2 = 0), so no slope
  // refocuses the parallel marginal ray, which is kept.
  std::vector<TSurfaceData> relay = {{-90, 0, 1.0, 20}, {10, 50, 1.5, 6}, {15, -50, 1.0, 6}, {0, 0, 1.0, 30}};
  const double mA = Refract(-0.01, -1.0, 1.0, 1.5, 50.0);  // from the axis at slope -0.01
  const double yB = -1.0 + 5.0 * mA;
  const double mB = Refract(mA, yB, 1.5, 1.0, -50.0);
  relay[3].x = 15.0 - yB / mB;
  TOpticalSystem system;
  Build(system, relay);
  const double term = NarcissTerm(system, 3);
  EXPECT_TRUE(std::isfinite(term));
  EXPECT_APPROX(term, HandTerm(relay, 0.0), kTermTolerance);
}
