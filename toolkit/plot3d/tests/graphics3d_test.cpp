// The 3-D plot window on a 64 x 64 Gaussian: the views' colours, the contour lines against
// an independent marching-squares check, the menu's states and commands, zoom, rotation,
// sizes, duplicates and the information window.

#include "foundation/numerics/pi.h"
#include "toolkit/plot3d/graphics3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/plot3d/fast_graph.h"
#include "toolkit/plot3d/tests/plot_test_support.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

COLORREF PictureColour(const TGraphics3D &plot, int x, int y) {
  const RGBTRIPLE t = plot.Renderer()->GetPixelColor(x, y);
  return RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue);
}

std::vector<COLORREF> Picture(const TGraphics3D &plot) {
  std::vector<COLORREF> pixels;
  for (int y = 0; y < plot.Renderer()->Height(); ++y)
    for (int x = 0; x < plot.Renderer()->Width(); ++x) pixels.push_back(PictureColour(plot, x, y));
  return pixels;
}

class Graphics3D : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    CreateSharedPalette();
  }
  void TearDown() override {
    for (TWindow *w : windows) delete w;
    DestroySharedPalette();
  }
  TGraphics3D *Make(int kind, int size = 256, double gridStep = 0.0) {
    TGraphics3D *plot = CreateGraphics3D(nullptr, "Gaussian", 40, 40, size, size, gauss.data(), 64,
                                         1.0, 0.0, gridStep, kind, 128);
    windows.push_back(plot);
    return plot;
  }
  std::vector<float> gauss = plot_test::Gaussian(64, 64, 31.5, 31.5, 10.0);
  std::vector<TWindow *> windows;
};

TEST_F(Graphics3D, SurfaceIsShadedFromTheSurfaceRampAndShownInTheWindow) {
  TGraphics3D *plot = Make(kSolidSurface);
  ASSERT_NE(plot, nullptr);
  ASSERT_EQ(plot->Kind(), kSolidSurface);
  SharedPalette->SetRange(7, 7);
  std::set<COLORREF> ramp;
  for (int i = 0; i < SharedPalette->RangeEntryCount(); ++i) ramp.insert(SharedPalette->RangeColorRGB(i));
  const COLORREF axes = TOPalette::StandardColor(7);
  int shaded = 0, axesPixels = 0, others = 0;
  for (COLORREF c : Picture(*plot)) {
    if (ramp.count(c)) ++shaded;
    else if (c == axes) ++axesPixels;
    else if (c != kBlack) ++others;
  }
  EXPECT_GT(shaded, 256 * 256 / 6);
  EXPECT_GT(axesPixels, 100);  // the axes box and its labels
  EXPECT_EQ(others, 0);
  // The window shows its picture.
  for (POINT p : {POINT{128, 128}, POINT{60, 190}, POINT{5, 5}})
    EXPECT_EQ(test_kit::ClientPixel(*plot, p.x, p.y), PictureColour(*plot, p.x, p.y));
}

TEST_F(Graphics3D, ColorMapCornersAreTheirValuesColours) {
  TGraphics3D *plot = Make(kColorMap, 127);
  ASSERT_EQ(plot->Kind(), kColorMap);
  SharedPalette->SetRange(9, 13);
  const TPlotData &data = plot->Plot();
  auto expected = [&](int i, int j) { return SharedPalette->ValueToColor(data.Fraction(gauss[j * 64 + i])); };
  EXPECT_EQ(PictureColour(*plot, 0, 126), expected(0, 0));
  EXPECT_EQ(PictureColour(*plot, 126, 126), expected(63, 0));
  EXPECT_EQ(PictureColour(*plot, 0, 0), expected(0, 63));
  EXPECT_EQ(PictureColour(*plot, 126, 0), expected(63, 63));
  EXPECT_EQ(test_kit::ClientPixel(*plot, 0, 126), expected(0, 0));
  // The middle is the peak's region: the run's upper colours.
  EXPECT_EQ(PictureColour(*plot, 63, 63), SharedPalette->ValueToColor(data.Fraction(gauss[31 * 64 + 31]) ));
}

TEST_F(Graphics3D, RasterIsPlottedWithItsFirstRowAtTheLargestY) {
  // A PSF raster as the nodes hold it: row 0 at the top of the image (largest Y).
  std::vector<float> raster(64 * 64, 0.0f);
  raster[0 * 64 + 10] = 1.0f;   // top row, left of the centre
  raster[63 * 64 + 50] = 2.0f;  // bottom row, right of the centre
  TGraphics3D *plot = CreateGraphics3D(nullptr, "Raster", 40, 40, 128, 128, raster.data(), 64, 1.0, 0.0, 0.0,
                                       kSolidSurface, 64);
  windows.push_back(plot);
  const TPlotData &data = plot->Plot();
  EXPECT_EQ(data.Value(10, 63), 1.0f);  // at Y2, the largest Y
  EXPECT_EQ(data.Value(50, 0), 2.0f);   // at Y1
  EXPECT_LT(data.Y1(), data.Y2());
}

TEST_F(Graphics3D, ContourLinesLieWhereAnIndependentMarchingSquaresPutsThem) {
  TGraphics3D *plot = Make(kColorMap, 256);
  plot->Command(CM_PLOT_CONTOUR);
  ASSERT_EQ(plot->Kind(), kContourMap);
  const TPlotData &data = plot->Plot();
  const double zmin = data.ZMin(), zmax = data.ZMax();
  SharedPalette->SetRange(9, 13);
  std::vector<COLORREF> colours;
  std::vector<double> levels;
  for (int k = 1; k <= 10; ++k) {
    levels.push_back(zmin + k * (zmax - zmin) / 11);
    colours.push_back(SharedPalette->ValueToColor(k / 11.0));
  }
  ASSERT_EQ(std::set<COLORREF>(colours.begin(), colours.end()).size(), 10u);
  // Crossings of each level on the grid's edges, in pixels (4 pixels a grid step).
  const double cell = 256.0 / 64.0;
  std::vector<std::vector<std::pair<double, double>>> crossings(10);
  auto value = [&](int i, int j) { return static_cast<double>(gauss[j * 64 + i]); };
  for (int k = 0; k < 10; ++k) {
    const double L = levels[k];
    auto crossed = [L](double p, double q) { return (p < L && L <= q) || (q < L && L <= p); };
    for (int j = 0; j < 64; ++j)
      for (int i = 0; i < 64; ++i) {
        if (i < 63 && crossed(value(i, j), value(i + 1, j)))
          crossings[k].push_back({(i + (L - value(i, j)) / (value(i + 1, j) - value(i, j))) * cell, 255 - j * cell});
        if (j < 63 && crossed(value(i, j), value(i, j + 1)))
          crossings[k].push_back({i * cell, 255 - (j + (L - value(i, j)) / (value(i, j + 1) - value(i, j))) * cell});
      }
    ASSERT_GT(crossings[k].size(), 20u) << k;
  }
  // Every pixel drawn is a level's colour and lies near a crossing of that level.
  std::vector<int> drawn(10, 0);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const COLORREF c = PictureColour(*plot, x, y);
      if (c == kBlack) continue;
      const auto found = std::find(colours.begin(), colours.end(), c);
      ASSERT_NE(found, colours.end()) << x << " " << y;
      const int k = static_cast<int>(found - colours.begin());
      ++drawn[k];
      double nearest = 1e9;
      for (auto [cx, cy] : crossings[k]) nearest = std::min(nearest, std::hypot(cx - x, cy - y));
      EXPECT_LT(nearest, 1.5 * cell) << "level " << k << " at " << x << " " << y;
    }
  // Every crossing has its level's line beside it.
  for (int k = 0; k < 10; ++k) {
    EXPECT_GT(drawn[k], 20) << k;
    for (auto [cx, cy] : crossings[k]) {
      bool near = false;
      for (int dy = -2; dy <= 2 && !near; ++dy)
        for (int dx = -2; dx <= 2 && !near; ++dx)
          near = PictureColour(*plot, static_cast<int>(cx) + dx, static_cast<int>(cy) + dy) == colours[k];
      EXPECT_TRUE(near) << "level " << k << " crossing " << cx << " " << cy;
    }
  }
}

TEST_F(Graphics3D, MenuGreysTheCurrentChoicesAndZoomBelowTwentySteps) {
  TGraphics3D *plot = Make(kColorMap);
  HMENU menu = plot->BuildMenu();
  ASSERT_EQ(GetMenuItemCount(menu), 13);
  EXPECT_TRUE(GetMenuState(menu, CM_PLOT_COLOR_MAP, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(menu, CM_PLOT_CONTOUR, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu, 5, MF_BYPOSITION) & MF_GRAYED);   // Rotation: maps only
  EXPECT_FALSE(GetMenuState(menu, 6, MF_BYPOSITION) & MF_GRAYED);  // XY-Zoom
  EXPECT_FALSE(GetMenuState(menu, CM_PLOT_ZOOM2, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu, CM_PLOT_ZOOM_RESTORE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu, CM_PLOT_LINEAR, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu, 10, MF_BYPOSITION) & MF_GRAYED);  // Quality: surfaces only
  DestroyMenu(menu);
  // x5 leaves a span of 12: x2 is no longer offered, Restore is.
  plot->Command(CM_PLOT_ZOOM5);
  EXPECT_EQ(plot->Plot().I1() - plot->Plot().I0(), 12);
  menu = plot->BuildMenu();
  EXPECT_TRUE(GetMenuState(menu, CM_PLOT_ZOOM2, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(menu, CM_PLOT_ZOOM_RESTORE, MF_BYCOMMAND) & MF_GRAYED);
  DestroyMenu(menu);
  plot->Command(CM_PLOT_ZOOM_RESTORE);
  EXPECT_EQ(plot->Plot().X1(), -32.0);
  EXPECT_EQ(plot->Plot().X2(), 32.0);
  // In the surface view zoom and its sub-menu are off at zoom 1; quality offers 64..256.
  plot->Command(CM_PLOT_SOLID);
  menu = plot->BuildMenu();
  EXPECT_TRUE(GetMenuState(menu, 6, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(menu, 5, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 10)), 3);
  EXPECT_TRUE(GetMenuState(menu, 351, MF_BYCOMMAND) & MF_GRAYED);  // the current 128x128
  DestroyMenu(menu);
}

TEST_F(Graphics3D, RightButtonMenuRunsTheChosenCommand) {
  TScriptedMenuTracker tracker;
  TGraphics3D *plot = Make(kColorMap);
  tracker.ChoosePath({"Draft Isolines"});
  plot->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(100, 100));
  ASSERT_EQ(tracker.walks.size(), 1u);
  EXPECT_EQ(plot->Kind(), kContourMap);
  tracker.ChoosePath({"Z-Scale", "Power 1/2"});
  plot->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(100, 100));
  EXPECT_EQ(plot->Plot().ValueScale(), kPower2Scale);
  EXPECT_EQ(plot->Kind(), kContourMap);
}

TEST_F(Graphics3D, RotationLeavesMapsAsTheyAreAndTurnsSurfaces) {
  TGraphics3D *plot = Make(kColorMap);
  const std::vector<COLORREF> before = Picture(*plot);
  plot->Command(CM_PLOT_ROTATE_PLUS90);
  EXPECT_EQ(Picture(*plot), before);
  EXPECT_EQ(plot->Azimuth(), 90.0);
  // An off-centre peak moves when the surface turns.
  const std::vector<float> shifted = plot_test::Gaussian(64, 64, 15.0, 40.0, 6.0);
  plot->SetData(shifted.data(), 64, 64);
  const std::vector<COLORREF> turned = Picture(*plot);
  plot->Command(CM_PLOT_ROTATE_180);
  EXPECT_NE(Picture(*plot), turned);
  EXPECT_EQ(plot->Azimuth(), 270.0);
  // Degrees turn into radians with pi itself: a quarter turn is exact.
  EXPECT_DOUBLE_EQ(plot->Plot().RotationAngles().az, 1.5 * kPi);
  EXPECT_NEAR(plot->Plot().Rotation().m[0][0], 0.0, 1e-15);
}

TEST_F(Graphics3D, DuplicateHasEqualPixelsNoMenuAndOutlivesItsOriginal) {
  TGraphics3D *plot = Make(kSolidSurface);
  TGraphics3D *copy = plot->Duplicate();
  ASSERT_NE(copy, nullptr);
  windows.push_back(copy);
  const std::vector<COLORREF> original = Picture(*plot);
  EXPECT_EQ(Picture(*copy), original);
  EXPECT_FALSE(copy->MenuEnabled());
  EXPECT_EQ(copy->GetWindowText(), "Gaussian - 1");
  EXPECT_EQ(copy->GetStyle() & kDuplicateStyle, kDuplicateStyle);
  EXPECT_EQ(test_kit::ClientPixel(*copy, 128, 128), original[128 * 256 + 128]);
  // The original goes; the copy keeps its picture.
  windows.erase(windows.begin());
  delete plot;
  EXPECT_EQ(Picture(*copy), original);
  TScriptedMenuTracker tracker;
  copy->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
  EXPECT_TRUE(tracker.walks.empty());
  // Closing it by the system menu deletes it (the sanitizers see a leak otherwise).
  windows.pop_back();
  copy->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST_F(Graphics3D, CallerMayFreeItsGridAndANewGridGetsItsOwnRange) {
  TGraphics3D *plot = Make(kSolidSurface);
  {
    std::vector<float> tall(gauss.size());
    for (std::size_t k = 0; k < gauss.size(); ++k) tall[k] = 10.0f * gauss[k];
    plot->SetDataMap(tall.data(), 64, 64);
  }  // freed: redrawing reads only the window's copy
  EXPECT_NEAR(plot->Plot().ZMax(), 10.0 * gauss[32 * 64 + 32], 1e-5);
  plot->Command(CM_PLOT_SOLID);
  plot->Command(CM_PLOT_COLOR_MAP);
  EXPECT_EQ(plot->Kind(), kColorMap);
  // A flat grid draws in the first colour.
  std::vector<float> flat(64 * 64, 2.0f);
  plot->SetDataMap(flat.data(), 64, 64);
  SharedPalette->SetRange(9, 13);
  EXPECT_EQ(PictureColour(*plot, 100, 100), SharedPalette->ValueToColor(0.0));
  plot->Command(CM_PLOT_CONTOUR);
  plot->Command(CM_PLOT_PROFILE);
  EXPECT_EQ(plot->Kind(), kProfilePlot);
  EXPECT_FALSE(plot->SetData(nullptr, 64, 64));
}

TEST_F(Graphics3D, ACoordinateGridWithoutAStepDrawsNoLinesAndEnds) {
  TGraphics3D *plot = Make(kColorMap, 128);
  plot->SetCoordinateGrid(0.0, 0.0, 0.0, -1.0, 7, 1);
  plot->Command(CM_PLOT_CONTOUR);
  EXPECT_EQ(plot->Kind(), kContourMap);
  // The legend is still drawn: its frame in the grid colour.
  const RECT legend = plot->LegendRect();
  EXPECT_EQ(PictureColour(*plot, legend.left, legend.top + 5), TOPalette::StandardColor(7));
}

TEST_F(Graphics3D, ProfileDrawingPaintsWhiteRowLines) {
  TGraphics3D *plot = Make(kSolidSurface);
  plot->Command(CM_PLOT_PROFILE);
  ASSERT_EQ(plot->Kind(), kProfilePlot);
  EXPECT_EQ(plot->ProfileStep(), 2);  // 64 rows
  int white = 0;
  for (COLORREF c : Picture(*plot)) white += c == RGB(255, 255, 255) ? 1 : 0;
  EXPECT_GT(white, 32 * 50);  // 32 rows, each partly hidden by the rows before it
  plot->Command(CM_PLOT_QUALITY_FIRST + 2);  // 1:4
  EXPECT_EQ(plot->ProfileStep(), 4);
  int fewer = 0;
  for (COLORREF c : Picture(*plot)) fewer += c == RGB(255, 255, 255) ? 1 : 0;
  EXPECT_LT(fewer, white);
}

TEST_F(Graphics3D, ResizeMakesThePictureAnewAtTheNewSize) {
  TGraphics3D *plot = Make(kColorMap, 256, 8.0);
  plot->Command(CM_PLOT_SIZE150);
  EXPECT_EQ(plot->Renderer()->Width(), 150);
  EXPECT_EQ(plot->FontSize(), 10);
  EXPECT_EQ(plot->LegendRect().right - plot->LegendRect().left, 85);
  const RECT client = plot->GetClientRect();
  EXPECT_EQ(client.right, 150);
  EXPECT_EQ(client.bottom, 150);
  SharedPalette->SetRange(9, 13);
  // Corner (0, 0) of the grid at the bottom left, below the coordinate grid's labels.
  EXPECT_EQ(PictureColour(*plot, 0, 149),
            SharedPalette->ValueToColor(plot->Plot().Fraction(gauss[0])));
  // The legend's bar runs through the map ramps.
  const RECT legend = plot->LegendRect();
  EXPECT_EQ(PictureColour(*plot, legend.left + 3, legend.top + 5), SharedPalette->ValueToColor(0.0));
}

TEST_F(Graphics3D, InformationWindowShowsTheRanges) {
  TGraphics3D *plot = Make(kColorMap);
  TFastGraph *info = plot->ShowInformation();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->GetWindowText(), "Information");
  int text = 0;
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 150; ++x) {
      const RGBTRIPLE t = info->Dib()->GetPixelColor(x, y);
      text += RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue) == kBlack ? 1 : 0;
    }
  EXPECT_GT(text, 100);
  // Without axis ranges the X and Y lines read "not defined"; the Z line is the same.
  auto *bare = new TGraphics3D(nullptr, "bare", 10, 10, 120, 120, 120, 120, kPlotWindowStyle,
                               kBlack, SharedPalette);
  windows.push_back(bare);
  ASSERT_TRUE(bare->Create());
  bare->SetDataMap(gauss.data(), 64, 64);
  TFastGraph *bareInfo = bare->ShowInformation();
  ASSERT_NE(bareInfo, nullptr);
  int differing = 0;
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 150; ++x) {
      const RGBTRIPLE a = info->Dib()->GetPixelColor(x, y), b = bareInfo->Dib()->GetPixelColor(x, y);
      differing += (a.rgbtRed != b.rgbtRed) ? 1 : 0;
      if (y >= 45) {
        EXPECT_EQ(a.rgbtRed, b.rgbtRed) << x << " " << y;
      }
    }
  EXPECT_GT(differing, 50);
}

TEST_F(Graphics3D, AxesBoxMovesWithTheQuadrant) {
  TGraphics3D *plot = Make(kSolidSurface);
  const COLORREF axes = TOPalette::StandardColor(7);
  // The Z axis stands at the far corner of the quadrant: (S, 0) for azimuth 0, (0, 0) for
  // 90, (0, S) for 180 and (S, S) for 270.
  const double corners[4][2] = {{1, 0}, {0, 0}, {0, 1}, {1, 1}};
  for (int q = 0; q < 4; ++q) {
    const TPlotData &data = plot->Plot();
    const double S = static_cast<int>(data.Scale());
    const double H = static_cast<int>(data.Height(data.ZMax()));
    double sx, sy;
    data.ToScreen(DPOINT3(corners[q][0] * S, corners[q][1] * S, H / 2), sx, sy);
    bool onAxis = false;
    for (int dx = -1; dx <= 1 && !onAxis; ++dx)
      onAxis = PictureColour(*plot, static_cast<int>(sx) + dx, static_cast<int>(sy)) == axes;
    EXPECT_TRUE(onAxis) << "quadrant " << q;
    plot->Command(CM_PLOT_ROTATE_PLUS90);
  }
}

}  // namespace
