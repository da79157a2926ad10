// The plot's grid data apart from any window: its own copy of the grid, value ranges and
// scales, zoom, the shaded surface's colours, the colour map, and marching squares.

#include "toolkit/plot3d/plot_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "foundation/testing/approx.h"
#include "toolkit/plot3d/contour_map.h"
#include "toolkit/plot3d/tests/plot_test_support.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

namespace {

constexpr double kRoundTrip = 1e-9;

COLORREF PixelOf(const TODib &dib, int x, int y) {
  const RGBTRIPLE t = dib.GetPixelColor(x, y);
  return RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue);
}

class PlotData : public ::testing::Test {
 protected:
  void SetUp() override { CreateSharedPalette(); }
  void TearDown() override { DestroySharedPalette(); }
  std::vector<float> gauss = plot_test::Gaussian(64, 64, 31.5, 31.5, 10.0);
};

TEST_F(PlotData, KeepsItsOwnGridAndFindsEachGridsRange) {
  TPlotData plot;
  std::vector<float> caller = gauss;
  ASSERT_TRUE(plot.SetGrid(caller.data(), 64, 64));
  caller.assign(caller.size(), -7.0f);  // the caller reuses (or frees) its array
  caller.clear();
  caller.shrink_to_fit();
  plot.EnsureRange();
  EXPECT_APPROX(plot.ZMax(), gauss[32 * 64 + 32], kRoundTrip);
  EXPECT_GT(plot.ZMin(), 0.0);
  // A new grid of another range is drawn with its own range.
  std::vector<float> tall(16, 0.0f);
  tall[5] = 10.0f;
  ASSERT_TRUE(plot.SetGrid(tall.data(), 4, 4));
  plot.EnsureRange();
  EXPECT_EQ(plot.ZMin(), 0.0);
  EXPECT_EQ(plot.ZMax(), 10.0);
  // A range fixed by the caller holds for later grids.
  plot.SetZRange(-1.0, 2.0);
  ASSERT_TRUE(plot.SetGrid(gauss.data(), 64, 64));
  plot.EnsureRange();
  EXPECT_EQ(plot.ZMin(), -1.0);
  EXPECT_EQ(plot.ZMax(), 2.0);
  // Bad input changes nothing.
  EXPECT_FALSE(plot.SetGrid(nullptr, 4, 4));
  EXPECT_FALSE(plot.SetGrid(gauss.data(), 0, 4));
  EXPECT_EQ(plot.Cols(), 64);
}

TEST_F(PlotData, ValueScalesMapTheRangeOntoItselfAndInvert) {
  TPlotData plot;
  ASSERT_TRUE(plot.SetGrid(gauss.data(), 64, 64));
  plot.EnsureRange();
  const double zmin = plot.ZMin(), zmax = plot.ZMax();
  for (int kind = 0; kind < 4; ++kind) {
    plot.SetValueScale(kind);
    EXPECT_APPROX(plot.Scaled(zmin), zmin, 1e-9) << kind;
    EXPECT_APPROX(plot.Scaled(zmax), zmax, 1e-9) << kind;
    for (double v : {0.1, 0.37, 0.8})
      EXPECT_APPROX(plot.Unscaled(plot.Scaled(zmin + v * (zmax - zmin))), zmin + v * (zmax - zmin), 1e-9);
  }
  // Power 1/2 of the middle: sqrt(0.5) of the span above zmin.
  plot.SetValueScale(kPower2Scale);
  EXPECT_APPROX(plot.Scaled((zmin + zmax) / 2), zmin + std::sqrt(0.5) * (zmax - zmin), 1e-9);
  // A colour fraction never leaves 0..1, whatever the value (a fixed range may not hold
  // the grid).
  plot.SetValueScale(kLinearScale);
  plot.SetZRange(0.5, 1.0);
  EXPECT_EQ(plot.Fraction(0.0), 0.0);
  EXPECT_EQ(plot.Fraction(-3.0), 0.0);
  EXPECT_EQ(plot.Fraction(4.0), 1.0);
  plot.SetValueScale(kLogScale);
  EXPECT_EQ(plot.Fraction(0.0), 0.0);
  EXPECT_TRUE(std::isfinite(plot.Scaled(0.0)));
}

TEST_F(PlotData, EqualValuesGiveAFlatPlotInTheFirstColour) {
  std::vector<float> flat(64 * 64, 3.0f);
  TPlotData plot;
  ASSERT_TRUE(plot.SetGrid(flat.data(), 64, 64));
  plot.ComputeView(200, 200, 0.0);
  EXPECT_TRUE(std::isfinite(plot.ZScale()));
  EXPECT_EQ(plot.SurfacePoint(0.5, 0.5).z, 0.0);
  for (int kind = 0; kind < 4; ++kind) {
    plot.SetValueScale(kind);
    EXPECT_EQ(plot.Fraction(3.0), 0.0) << kind;
  }
  EXPECT_TRUE(ContourLevels(plot.ZMin(), plot.ZMax(), 10).empty());
  SharedPalette->SetRange(9, 13);
  TODib map(40, 30);
  plot.DrawColorMap(map, *SharedPalette, true);
  EXPECT_EQ(PixelOf(map, 17, 11), SharedPalette->ValueToColor(0.0));
}

TEST_F(PlotData, SamplesThatAreNotNumbersSitAtTheBottom) {
  std::vector<float> grid = gauss;
  grid[10 * 64 + 10] = std::nanf("");
  grid[20 * 64 + 40] = INFINITY;
  TPlotData plot;
  ASSERT_TRUE(plot.SetGrid(grid.data(), 64, 64));
  plot.EnsureRange();
  EXPECT_APPROX(plot.ZMax(), gauss[32 * 64 + 32], kRoundTrip);
  plot.ComputeView(128, 128, 0.0);
  EXPECT_EQ(plot.SurfacePoint(10.0 / 64, 10.0 / 64).z, 0.0);
  EXPECT_EQ(plot.Fraction(grid[10 * 64 + 10]), 0.0);
  TDrv3D renderer(128, 128);
  renderer.Lock();
  plot.DrawSurface(renderer, 0, 64, 64);
  renderer.Unlock();
  EXPECT_GT(renderer.DepthAt(64, 64), -FLT_MAX);
}

TEST_F(PlotData, ZoomKeepsTenStepsPerFactorAndRestoreShowsTheWhole) {
  TPlotData plot;
  plot.SetRanges(-32.0, 32.0, -32.0, 32.0);
  ASSERT_TRUE(plot.SetGrid(gauss.data(), 64, 64));
  EXPECT_TRUE(plot.ZoomOffered(2));
  EXPECT_TRUE(plot.ZoomOffered(5));
  EXPECT_FALSE(plot.ZoomOffered(10));  // 63 steps / 10 < 10
  plot.ZoomAt(2, 175.0, 175.0, 350, 350);
  EXPECT_EQ(plot.Zoom(), 2);
  EXPECT_EQ(plot.I1() - plot.I0(), 32);
  EXPECT_EQ(plot.I0(), 15);  // centre trunc(0.5 * 63) = 31, less 16
  EXPECT_APPROX(plot.X1(), 15 * 64.0 / 63 - 32.0, kRoundTrip);
  EXPECT_TRUE(plot.ZoomOffered(2));  // 32 steps
  plot.ZoomAt(2, 350.0, 0.0, 350, 350);  // about column 47: 39 .. 55
  EXPECT_EQ(plot.Zoom(), 4);
  EXPECT_EQ(plot.I0(), 39);
  EXPECT_EQ(plot.I1(), 55);
  EXPECT_FALSE(plot.ZoomOffered(2));  // a span under 20 is not offered x2
  plot.ZoomAt(1, 0.0, 0.0, 350, 350);
  // About the top-right corner the window is pushed back inside the grid.
  plot.ZoomAt(2, 350.0, 0.0, 350, 350);
  EXPECT_EQ(plot.I1(), 63);
  EXPECT_EQ(plot.I0(), 31);
  EXPECT_EQ(plot.J1(), 63);
  plot.ZoomAt(1, 0.0, 0.0, 350, 350);
  EXPECT_EQ(plot.Zoom(), 1);
  EXPECT_EQ(plot.I0(), 0);
  EXPECT_EQ(plot.J1(), 63);
  EXPECT_EQ(plot.X1(), -32.0);
  EXPECT_EQ(plot.Y2(), 32.0);
  // A grid of 20 steps is just wide enough for x2, one of 19 is not.
  std::vector<float> small(21 * 21, 1.0f);
  ASSERT_TRUE(plot.SetGrid(small.data(), 21, 21));
  EXPECT_TRUE(plot.ZoomOffered(2));
  ASSERT_TRUE(plot.SetGrid(small.data(), 20, 20));
  EXPECT_FALSE(plot.ZoomOffered(2));
}

TEST_F(PlotData, ShadedSurfaceTakesItsColoursFromTheSurfaceRamp) {
  TPlotData plot;
  ASSERT_TRUE(plot.SetGrid(gauss.data(), 64, 64));
  plot.ComputeView(350, 350, 0.0);
  SharedPalette->SetRange(7, 7);
  std::set<COLORREF> ramp;
  for (int i = 0; i < SharedPalette->RangeEntryCount(); ++i) ramp.insert(SharedPalette->RangeColorRGB(i));
  ASSERT_EQ(ramp.size(), 50u);
  TDrv3D renderer(350, 350);
  renderer.SetPalette(SharedPalette);
  renderer.Lock();
  const COLORREF background = RGB(0, 0, 0);
  plot.DrawSurface(renderer, background, 128, 128);
  renderer.Unlock();
  std::set<COLORREF> used;
  int drawn = 0;
  for (int y = 0; y < 350; ++y)
    for (int x = 0; x < 350; ++x) {
      const COLORREF c = PixelOf(renderer, x, y);
      if (c == background) continue;
      ++drawn;
      used.insert(c);
      ASSERT_TRUE(ramp.count(c)) << x << " " << y << " " << std::hex << c;
    }
  EXPECT_GT(drawn, 350 * 350 / 5);
  EXPECT_GT(used.size(), 20u);
  // Computing the view again gives the same geometry.
  const double ox = plot.OffsetX(), oy = plot.OffsetY();
  plot.ComputeView(350, 350, 0.0);
  EXPECT_EQ(plot.OffsetX(), ox);
  EXPECT_EQ(plot.OffsetY(), oy);
  // The plotted square lies inside the picture: the picture's border stays background.
  for (int k = 0; k < 350; ++k) {
    EXPECT_EQ(PixelOf(renderer, k, 0), background);
    EXPECT_EQ(PixelOf(renderer, 0, k), background);
  }
}

TEST_F(PlotData, ColorMapCornersAreTheCornerValuesColours) {
  // Off-centre so that the four corners differ.
  const std::vector<float> grid = plot_test::Gaussian(64, 64, 10.0, 50.0, 20.0);
  TPlotData plot;
  ASSERT_TRUE(plot.SetGrid(grid.data(), 64, 64));
  plot.EnsureRange();
  SharedPalette->SetRange(9, 13);
  // 127 pixels a side: every second pixel falls on a grid node.
  TODib map(127, 127);
  plot.DrawColorMap(map, *SharedPalette, true);
  auto expected = [&](int i, int j) { return SharedPalette->ValueToColor(plot.Fraction(grid[j * 64 + i])); };
  EXPECT_EQ(PixelOf(map, 0, 126), expected(0, 0));
  EXPECT_EQ(PixelOf(map, 126, 126), expected(63, 0));
  EXPECT_EQ(PixelOf(map, 0, 0), expected(0, 63));
  EXPECT_EQ(PixelOf(map, 126, 0), expected(63, 63));
  EXPECT_NE(expected(0, 63), expected(63, 0));
  // The peak's node (10, 50) has the run's last colour.
  EXPECT_EQ(PixelOf(map, 20, 126 - 100), SharedPalette->ValueToColor(1.0));
}

TEST_F(PlotData, SingleRowsAndColumnsDrawWithoutDividingByZero) {
  std::vector<float> row(64);
  for (int i = 0; i < 64; ++i) row[i] = static_cast<float>(i);
  TPlotData plot;
  for (auto [cols, rows] : {std::pair{64, 1}, std::pair{1, 64}, std::pair{1, 1}}) {
    ASSERT_TRUE(plot.SetGrid(row.data(), cols, rows));
    plot.ComputeView(100, 100, 90.0);
    const DPOINT3 p = plot.SurfacePoint(1.0, 1.0);
    EXPECT_TRUE(std::isfinite(p.z));
    std::vector<TContourSegment> segments;
    ContourSegments(plot, 100, 100, 10.0, segments);
    EXPECT_TRUE(segments.empty());
    TODib map(20, 20);
    SharedPalette->SetRange(9, 13);
    plot.DrawColorMap(map, *SharedPalette, true);
    TDrv3D renderer(60, 60);
    renderer.Lock();
    plot.DrawSurface(renderer, 0, 16, 16);
    renderer.Unlock();
  }
  // Along a single row the colour map still runs from the first to the last colour.
  ASSERT_TRUE(plot.SetGrid(row.data(), 64, 1));
  plot.EnsureRange();
  TODib map(64, 4);
  plot.DrawColorMap(map, *SharedPalette, true);
  EXPECT_EQ(PixelOf(map, 0, 2), SharedPalette->ValueToColor(0.0));
  EXPECT_EQ(PixelOf(map, 63, 2), SharedPalette->ValueToColor(1.0));
}

// Marching squares on one cell: a 2 x 2 grid shown on a 101 x 101 picture, so a cell is
// 50.5 pixels and the relative corners (0, 0) .. (1, 1) sit at pixels 0 and 50.
std::vector<TContourSegment> Cell(float a, float b, float c, float d, double level) {
  const float grid[4] = {a, b, d, c};  // (0,0)=A, (1,0)=B, (0,1)=D, (1,1)=C
  TPlotData plot;
  plot.SetGrid(grid, 2, 2);
  std::vector<TContourSegment> out, drawn;
  ContourSegments(plot, 101, 101, level, out);
  // The flat cells of the last sample row and column add only zero-length segments.
  for (const TContourSegment &s : out)
    if (s.from.x != s.to.x || s.from.y != s.to.y) drawn.push_back(s);
  return drawn;
}

TEST(ProfileRows, RunBackToFrontForTheQuadrant) {
  EXPECT_EQ(ProfileRows(0, 10, 3, 0.0), (std::vector<int>{0, 3, 6, 9}));  // 10 is not reached
  EXPECT_EQ(ProfileRows(0, 10, 3, 270.0), (std::vector<int>{0, 3, 6, 9}));
  EXPECT_EQ(ProfileRows(0, 10, 3, 90.0), (std::vector<int>{10, 7, 4, 1}));
  EXPECT_EQ(ProfileRows(0, 10, 3, 180.0), (std::vector<int>{10, 7, 4, 1}));
  EXPECT_EQ(ProfileRows(2, 4, 1, 720.0), (std::vector<int>{2, 3, 4}));  // a running sum of turns
  EXPECT_EQ(ProfileRows(2, 4, 1, 450.0), (std::vector<int>{4, 3, 2}));
}

TEST(ContourMap, LevelsLieStrictlyInsideTheRange) {
  const auto levels = ContourLevels(0.0, 11.0, 10);
  ASSERT_EQ(levels.size(), 10u);
  EXPECT_EQ(levels.front().value, 1.0);
  EXPECT_EQ(levels.back().value, 10.0);
  EXPECT_APPROX(levels[4].fraction, 5.0 / 11.0, kRoundTrip);
  const auto single = ContourLevels(2.0, 4.0, 1);
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0].value, 3.0);
  EXPECT_EQ(single[0].fraction, 0.99);
}

TEST(ContourMap, CellRuleCrossesAtTheInterpolatedPoints) {
  // A = 0, B = 1, C = 1, D = 0 at level 0.5: the line runs from the middle of AB to the
  // middle of CD (x = 25 pixels), bottom row to top row.
  auto s = Cell(0.0f, 1.0f, 1.0f, 0.0f, 0.5);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].from.x, 25);
  EXPECT_EQ(s[0].from.y, 100);
  EXPECT_EQ(s[0].to.x, 25);
  EXPECT_EQ(s[0].to.y, 100 - 50);
  // A corner equal to the level counts as above it: crossed towards a lower corner only.
  s = Cell(1.0f, 0.0f, 0.0f, 1.0f, 1.0);  // A and D on the level, B and C below
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].from.x, 0);  // on AB at A itself
  EXPECT_EQ(s[0].from.y, 100);
  EXPECT_EQ(s[0].to.x, 0);  // on CD at D itself
  EXPECT_EQ(s[0].to.y, 50);
  s = Cell(1.0f, 2.0f, 2.0f, 2.0f, 1.0);  // A = level, the rest above: nothing crossed
  EXPECT_TRUE(s.empty());
}

TEST(ContourMap, SaddlesCutOffTheHighCorners) {
  // A < B: corners B and D high: segments across B and D.
  auto s = Cell(0.0f, 1.0f, 0.0f, 1.0f, 0.5);
  ASSERT_EQ(s.size(), 2u);
  // First segment AB -> BC (around B at the bottom right), second CD -> DA (around D).
  EXPECT_EQ(s[0].from.x, 25);
  EXPECT_EQ(s[0].from.y, 100);
  EXPECT_EQ(s[0].to.x, 50);
  EXPECT_EQ(s[1].to.x, 0);
  // A >= B: corners A and C high: AB -> DA and BC -> CD.
  s = Cell(1.0f, 0.0f, 1.0f, 0.0f, 0.5);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].from.y, 100);  // on AB
  EXPECT_EQ(s[0].to.x, 0);      // on DA
  EXPECT_EQ(s[1].from.x, 50);   // on BC
  EXPECT_EQ(s[1].to.y, 50);     // on CD
}

TEST(ContourMap, LargeGridsAreSampledOnSixtyFourPointsPerAxis) {
  // A ramp along x: level crossings only on horizontal edges, one segment per sampled row.
  std::vector<float> ramp(128 * 128);
  for (int j = 0; j < 128; ++j)
    for (int i = 0; i < 128; ++i) ramp[j * 128 + i] = static_cast<float>(i);
  TPlotData plot;
  ASSERT_TRUE(plot.SetGrid(ramp.data(), 128, 128));
  std::vector<TContourSegment> out;
  ContourSegments(plot, 128, 128, 50.3, out);
  // One segment per sample row; the last row's cell is flat (both rows clamped to 127) and
  // still crossed on its two horizontal edges.
  EXPECT_EQ(out.size(), 64u);
  for (const TContourSegment &s : out) {
    // The crossing lies in the sampled cell trunc(127 c / 63) .. holding 50.3: columns 50..52.
    EXPECT_GE(s.from.x, 50);
    EXPECT_LE(s.from.x, 51);
  }
}

}  // namespace
