// The world graph: mapping with truncation and clamping, clipping, axes on the right pixel
// rows, grids, markers, tracers, text, and degenerate worlds and steps.

#include "toolkit/graph/graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

#include "toolkit/graph/graph_tracer.h"
#include "toolkit/graph/nice_step.h"
#include "toolkit/graph/tests/graph_test_support.h"

using graph_test::BitmapPixel;
using graph_test::GraphFixture;
using graph_test::WindowPixel;

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);

// A 200 x 150 child graph with a plot of 100 x 50 pixels at (10, 20) showing 0..10 by 0..5:
// 10 pixels per world unit on both axes.
TGraph *MakeTenPixelGraph(TWindow *frame, std::uint32_t options = 0) {
  TGraph *graph = NewGraph(frame, 0, 0, 200, 150, WS_CHILD | options, kWhite, nullptr);
  graph->SetPlotArea(10, 20, 100, 50, false, false);
  graph->SetWorld(0.0, 10.0, 0.0, 5.0);
  return graph;
}

// Pixels of a bitmap row (or column) that are not background, between two bounds.
std::set<int> MarkedInRow(TGraph &graph, int row, int from, int to) {
  std::set<int> marked;
  for (int x = from; x < to; ++x) {
    if (BitmapPixel(graph, x, row) != kWhite) marked.insert(x);
  }
  return marked;
}
std::set<int> MarkedInColumn(TGraph &graph, int column, int from, int to) {
  std::set<int> marked;
  for (int y = from; y < to; ++y) {
    if (BitmapPixel(graph, column, y) != kWhite) marked.insert(y);
  }
  return marked;
}
int MarkedInRect(TGraph &graph, const RECT &rect) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) count += BitmapPixel(graph, x, y) != kWhite;
  }
  return count;
}

}  // namespace

using Graph = GraphFixture;

TEST_F(Graph, WorldPointsMapToTruncatedPixels) {
  TGraph *graph = MakeTenPixelGraph(frame);
  // px = 10 + 10 x, py = 20 + 10 (5 - y), truncated toward zero.
  POINT p = graph->WorldToDevice(2.55, 1.0);
  EXPECT_EQ(p.x, 35);
  EXPECT_EQ(p.y, 60);
  p = graph->WorldToDevice(0.0, 5.0);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 20);
  p = graph->WorldToDevice(10.0, 0.0);
  EXPECT_EQ(p.x, 110);
  EXPECT_EQ(p.y, 70);
  // -0.5 truncates to 0, not down to -1.
  p = graph->WorldToDevice(-1.05, 7.05);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  double x = 0, y = 0;
  graph->DeviceToWorld(35, 60, x, y);
  EXPECT_DOUBLE_EQ(x, 2.5);
  EXPECT_DOUBLE_EQ(y, 1.0);
  EXPECT_EQ(graph->PlotToDevice(POINT{5, 6}).x, 15);
  EXPECT_EQ(graph->DeviceToPlot(POINT{15, 26}).y, 6);
}

TEST_F(Graph, AWorldRectangleFillsItsPixelsAndIsClippedToThePlot) {
  TGraph *graph = MakeTenPixelGraph(frame);
  graph->SetPen(PS_SOLID, 1, kRed);
  // Outline of 1..3 by 1..2: pixels 20..40 by 50..60; a line omits its end point, the
  // closing line ends where the outline began.
  graph->MoveTo(1.0, 1.0, false);
  graph->MoveTo(3.0, 1.0, true);
  graph->MoveTo(3.0, 2.0, true);
  graph->MoveTo(1.0, 2.0, true);
  graph->MoveTo(1.0, 1.0, true);
  EXPECT_EQ(MarkedInRow(*graph, 60, 0, 200), (std::set<int>{20, 21, 22, 23, 24, 25, 26, 27, 28, 29,
                                                            30, 31, 32, 33, 34, 35, 36, 37, 38,
                                                            39, 40}));
  EXPECT_EQ(BitmapPixel(*graph, 20, 55), kRed);
  EXPECT_EQ(BitmapPixel(*graph, 30, 55), kWhite);
  // A line toward a far point stops at the clip: the plot plus one pixel around it.
  graph->SetPen(PS_SOLID, 1, kGreen);
  graph->MoveTo(5.0, 2.5, false);
  graph->MoveTo(1e9, 2.5, true);
  const std::set<int> row = MarkedInRow(*graph, 45, 0, 200);
  EXPECT_EQ(*row.begin(), 60);
  EXPECT_EQ(*row.rbegin(), 110);
}

TEST_F(Graph, FarPointsAreClampedNotOverflowed) {
  TGraph *graph = MakeTenPixelGraph(frame);
  graph->SetPen(PS_SOLID, 1, kRed);
  graph->MoveTo(5.0, 2.5, false);
  // 1e300 world units would be far beyond any int; the line heads for (32000, py).
  const POINT previous = graph->MoveTo(1e300, 2.5, true);
  EXPECT_EQ(previous.x, 50);
  EXPECT_EQ(previous.y, 25);
  const POINT reached = graph->MoveTo(0.0, 0.0, false);
  EXPECT_EQ(reached.x + 10, kDeviceClamp);
  EXPECT_EQ(reached.y, 25);
  EXPECT_EQ(BitmapPixel(*graph, 100, 45), kRed);
  // Infinite and NaN points neither crash nor overflow.
  graph->MoveTo(-std::numeric_limits<double>::infinity(), 1.0, true);
  graph->MoveTo(std::numeric_limits<double>::quiet_NaN(), 1.0, true);
  graph->FillMarker(std::numeric_limits<double>::infinity(), 0.0, kRed);
  graph->SetMarkerSize(std::numeric_limits<int>::min(), 4);
  EXPECT_EQ(graph->GetMarkerSize().cx, kDeviceClamp);
}

TEST_F(Graph, XAxisLiesOnTheRowOfWorldZeroWithTicksAndGridDots) {
  TGraph *graph = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
  graph->SetPlotArea(30, 10, 160, 120, false, false);
  graph->SetWorld(-4.0, 4.0, -3.0, 3.0);
  graph->SetPen(PS_SOLID, 1, kBlack);
  graph->DrawAxes(1.0, 2, 1.0, 1, 0);
  const int axisRow = graph->WorldToDevice(0.0, 0.0).y;
  EXPECT_EQ(axisRow, 70);
  // The axis line covers the plot's width on that row, and the row above is clear away
  // from the ticks (ticks every 10 pixels: half steps of 20 pixels per unit).
  for (int x = 31; x < 189; ++x) {
    ASSERT_EQ(BitmapPixel(*graph, x, axisRow), kBlack) << x;
  }
  EXPECT_EQ(BitmapPixel(*graph, 35, axisRow - 1), kWhite);
  // Major ticks rise 5 pixels (4 above the row), minor ones 2 (1 above the row).
  const int unitColumn = graph->WorldToDevice(1.0, 0.0).x;
  const int halfColumn = graph->WorldToDevice(1.5, 0.0).x;
  EXPECT_EQ(MarkedInColumn(*graph, unitColumn, axisRow - 8, axisRow),
            (std::set<int>{axisRow - 4, axisRow - 3, axisRow - 2, axisRow - 1}));
  EXPECT_EQ(MarkedInColumn(*graph, halfColumn, axisRow - 8, axisRow),
            (std::set<int>{axisRow - 1}));
  // Vertical dotted lines at the x steps: a dot every 5 pixels from 5 below the plot's top.
  graph->DrawXGrid(1.0, false);
  const int gridColumn = graph->WorldToDevice(2.0, 0.0).x;
  std::set<int> dots = MarkedInColumn(*graph, gridColumn, 0, axisRow - 8);
  ASSERT_GE(dots.size(), 5u);
  int previous = -1;
  for (int y : dots) {
    if (previous >= 0) {
      EXPECT_EQ(y - previous, 5);
    }
    previous = y;
  }
  EXPECT_EQ(*dots.begin(), 15);
}

TEST_F(Graph, AxesAwayFromZeroSitOnTheFirstStepInside) {
  EXPECT_EQ(TGraph::AxisPosition(-5.0, 5.0, 2.0), 0.0);
  EXPECT_EQ(TGraph::AxisPosition(3.0, 7.0, 2.0), 4.0);
  EXPECT_EQ(TGraph::AxisPosition(2.0, 7.0, 2.0), 2.0);
  EXPECT_EQ(TGraph::AxisPosition(0.0, 7.0, 2.0), 0.0);
  EXPECT_EQ(TGraph::AxisPosition(-7.0, -3.0, 2.0), -6.0);
  // A range 0 ... 10 with step 0 takes NiceStep(2) = 2.
  EXPECT_EQ(TGraph::AxisStep(0.0, 0.0, 10.0), 2.0);
  EXPECT_EQ(TGraph::AxisStep(0.37, 0.0, 10.0), 0.25);
}

TEST_F(Graph, GridModesChooseTheirLines) {
  auto dotsOfMode = [&](int mode) {
    TGraph *graph = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
    graph->SetPlotArea(30, 10, 160, 120, false, false);
    graph->SetWorld(0.0, 8.0, 0.0, 6.0);
    graph->DrawAxes(2.0, 1, 2.0, 1, mode);
    // Along the vertical line x = 4 and the horizontal line y = 4, leaving out where the
    // other lines cross them and the axes along the left and bottom edges.
    const int column = graph->WorldToDevice(4.0, 0.0).x;
    const int row = graph->WorldToDevice(0.0, 4.0).y;
    std::set<int> vertical = MarkedInColumn(*graph, column, 12, 125);
    std::set<int> horizontal = MarkedInRow(*graph, row, 35, 185);
    for (double y : {2.0, 4.0}) vertical.erase(graph->WorldToDevice(0.0, y).y);
    for (double x : {2.0, 4.0, 6.0}) horizontal.erase(graph->WorldToDevice(x, 0.0).x);
    graph->DestroyAndDelete();
    return std::pair<int, int>(static_cast<int>(vertical.size()),
                               static_cast<int>(horizontal.size()));
  };
  EXPECT_EQ(dotsOfMode(0), std::pair(0, 0));
  EXPECT_EQ(dotsOfMode(10), std::pair(0, 0));
  EXPECT_GT(dotsOfMode(1).first, 0);
  EXPECT_EQ(dotsOfMode(1).second, 0);
  EXPECT_EQ(dotsOfMode(20).first, 0);
  EXPECT_GT(dotsOfMode(20).second, 0);
  EXPECT_GT(dotsOfMode(11).first, 0);
  EXPECT_GT(dotsOfMode(11).second, 0);
}

TEST_F(Graph, LabelsAppearOnlyWithSubdivisions) {
  auto labelPixels = [&](int subdivisions) {
    TGraph *graph = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
    graph->SetPlotArea(30, 10, 160, 120, false, false);
    graph->SetWorld(0.0, 8.0, 0.0, 6.0);
    graph->DrawXLabels(0.0, 2.0, subdivisions);
    // Below the X axis (row 130), where only labels can be.
    const int count = MarkedInRect(*graph, RECT{0, 133, 220, 180});
    graph->DestroyAndDelete();
    return count;
  };
  EXPECT_GT(labelPixels(1), 0);
  // Zero or negative subdivisions: ticks and no labels, and no division by zero.
  EXPECT_EQ(labelPixels(0), 0);
  EXPECT_EQ(labelPixels(-3), 0);
}

TEST_F(Graph, LabelsAreCentredOnTheirTicks) {
  TGraph *graph = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
  graph->SetPlotArea(30, 10, 160, 120, false, false);
  graph->SetWorld(0.0, 8.0, 0.0, 6.0);
  TOFont font(nullptr, 14);
  graph->DrawXLabels(0.0, 2.0, 1, &font);
  // The label of x = 4 ("4") under its tick: the field's padding is not drawn, so the
  // text's middle lies on the tick's column.
  const int column = graph->WorldToDevice(4.0, 0.0).x;
  int leftmost = 1000, rightmost = -1;
  for (int y = 133; y < 160; ++y) {
    for (int x = column - 15; x <= column + 15; ++x) {
      if (BitmapPixel(*graph, x, y) != kWhite) {
        leftmost = std::min(leftmost, x);
        rightmost = std::max(rightmost, x);
      }
    }
  }
  ASSERT_GE(rightmost, leftmost);
  EXPECT_LE(std::abs((leftmost + rightmost) / 2 - column), 2);
}

namespace {

// The ink below an X axis at y = 0 around one tick of a graph whose labels were drawn,
// against the same text drawn there by hand in a twin graph: equal when the label reads
// exactly `expected`.
int PixelsUnlikeText(TWindow *frame, double x2, double step, double atX, const char *expected) {
  auto place = [&](TGraph &graph) {
    graph.SetPlotArea(30, 10, 160, 120, false, false);
    graph.SetWorld(0.0, x2, 0.0, 6.0);
  };
  TOFont font(nullptr, 14);
  TGraph *labelled = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
  place(*labelled);
  labelled->DrawXLabels(0.0, step, 1, &font);
  TGraph *written = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
  place(*written);
  const POINT tick = written->WorldToDevice(atX, 0.0);
  written->SetFont(font);
  written->TextOut(tick.x, tick.y + 3, expected, TA_CENTER | TA_TOP);
  written->RestoreFont();
  int unlike = 0;
  int ink = 0;
  for (int y = tick.y + 1; y < tick.y + 30; ++y) {
    for (int x = tick.x - 20; x <= tick.x + 20; ++x) {
      unlike += BitmapPixel(*labelled, x, y) != BitmapPixel(*written, x, y) ? 1 : 0;
      ink += BitmapPixel(*written, x, y) != kWhite ? 1 : 0;
    }
  }
  labelled->DestroyAndDelete();
  written->DestroyAndDelete();
  // Text that drew nothing would compare equal to anything.
  EXPECT_GT(ink, 0) << expected;
  return unlike;
}

}  // namespace

TEST_F(Graph, WholeNumberLabelsHaveNoTrailingPoint) {
  // 0 .. 8 by 2: the labels are printed with a decimal and trimmed; 4 reads "4", not "4.".
  EXPECT_EQ(PixelsUnlikeText(frame, 8.0, 2.0, 4.0, "4"), 0);
  // 0 .. 2 by 0.5: the whole number loses its point, the fraction keeps its digit.
  EXPECT_EQ(PixelsUnlikeText(frame, 2.0, 0.5, 1.0, "1"), 0);
  EXPECT_EQ(PixelsUnlikeText(frame, 2.0, 0.5, 1.5, "1.5"), 0);
  // 0 .. 200 by 50: zeros before the point stay.
  EXPECT_EQ(PixelsUnlikeText(frame, 200.0, 50.0, 100.0, "100"), 0);
}

TEST_F(Graph, TickLabelsCarryTheDecimalsTheirSpacingNeeds) {
  // 0 .. 0.05 by 0.025: three decimals, 0.025 reads "0.025", not "0.03" or "0.02".
  EXPECT_EQ(PixelsUnlikeText(frame, 0.05, 0.025, 0.025, "0.025"), 0);
  // 0 .. 0.4 by 0.2: one figure after the point is all there is, "0.2".
  EXPECT_EQ(PixelsUnlikeText(frame, 0.4, 0.2, 0.2, "0.2"), 0);
}

TEST_F(Graph, TheLeftEdgeLeavesRoomForTheWidestYLabel) {
  // The y axis on the plot's left edge, 5 pixels from the bitmap's: "-0.2" would be cut.
  TGraph *graph = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
  graph->SetPlotArea(5, 10, -5, -20, false, false);
  graph->SetWorld(0.0, 1.0, -0.2, 0.2);
  graph->SetPen(PS_SOLID, 1, kBlack);
  TOFont font(nullptr, 14);
  graph->DrawAxes(0.0, 2, 0.0, 2, 0, &font);
  graph->SetFont(font);
  const int labelWidth = graph->GetDCs().second->GetTextExtent("-0.2").cx;
  graph->RestoreFont();
  ASSERT_GT(labelWidth, 10);
  const RECT plot = graph->GetPlotRect();
  // The label's right end stands 3 pixels left of the axis; its left end inside the bitmap.
  EXPECT_GE(plot.left, 3 + labelWidth);
  EXPECT_EQ(plot.right, 220 - 5 - 1);  // the right edge stays where it was asked
  EXPECT_EQ(graph->WorldToDevice(0.0, 0.0).x, plot.left);
  // By the pixels: ink left of the axis (the labels), none in the bitmap's first column.
  EXPECT_GT(MarkedInRect(*graph, RECT{1, plot.top - 8, plot.left - 1, plot.bottom + 8}), 0);
  EXPECT_EQ(MarkedInColumn(*graph, 0, 0, 180).size(), 0u);

  // An axis inside the plot with room to its left leaves the plot where it was.
  TGraph *centred = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
  centred->SetPlotArea(30, 10, 160, 120, false, false);
  centred->SetWorld(-1.0, 1.0, -0.2, 0.2);
  centred->DrawAxes(0.0, 2, 0.0, 2, 0, &font);
  EXPECT_EQ(centred->GetPlotRect().left, 30);
  EXPECT_EQ(centred->WorldToDevice(-1.0, 0.0).x, 30);
}

TEST_F(Graph, PlotClipFollowsScrolling) {
  TGraph *graph = NewGraph(frame, 0, 0, 200, 150, WS_CHILD, kWhite, nullptr);
  graph->CreateBackingBitmap(400, 300);
  graph->SetPlotArea(100, 100, 200, 100, false, false);
  graph->SetWorld(0.0, 20.0, 0.0, 10.0);
  graph->ScrollTo(90, 90);
  graph->SetPen(PS_SOLID, 1, kRed);
  graph->MoveTo(0.0, 5.0, false);
  graph->MoveTo(20.0, 5.0, true);
  // Bitmap row 150 from column 100: on the window, row 60 from column 10.
  EXPECT_EQ(WindowPixel(*graph, 10, 60), kRed);
  EXPECT_EQ(WindowPixel(*graph, 100, 60), kRed);
  EXPECT_EQ(WindowPixel(*graph, 8, 60), kWhite);
}

TEST_F(Graph, LargeRangesShowTheSharedFactorNearTheAxisEnd) {
  TGraph *graph = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
  graph->SetPlotArea(30, 20, 160, 110, false, false);
  graph->SetWorld(0.0, 2e5, 0.0, 1.0);
  graph->DrawXLabels(0.0, 0.0, 1);
  // The marker is drawn right-aligned above the axis end (190, 130).
  EXPECT_GT(MarkedInRect(*graph, RECT{150, 112, 189, 125}), 0);
  TGraph *plain = NewGraph(frame, 0, 0, 220, 180, WS_CHILD, kWhite, nullptr);
  plain->SetPlotArea(30, 20, 160, 110, false, false);
  plain->SetWorld(0.0, 500.0, 0.0, 1.0);
  plain->DrawXLabels(0.0, 0.0, 1);
  EXPECT_EQ(MarkedInRect(*plain, RECT{150, 112, 189, 125}), 0);
}

TEST_F(Graph, DegenerateWorldsAndStepsDrawWithoutHanging) {
  TGraph *graph = NewGraph(frame, 0, 0, 200, 150, WS_CHILD, kWhite, nullptr);
  // Equal bounds are widened around their value: a constant 5 lies across the middle.
  EXPECT_TRUE(graph->SetWorld(1.0, 1.0, 5.0, 5.0));
  EXPECT_TRUE(std::isfinite(graph->ScaleX()));
  EXPECT_TRUE(std::isfinite(graph->ScaleY()));
  EXPECT_DOUBLE_EQ(graph->X1(), 0.5);
  EXPECT_DOUBLE_EQ(graph->X2(), 1.5);
  EXPECT_DOUBLE_EQ(graph->Y1(), 2.5);
  EXPECT_DOUBLE_EQ(graph->Y2(), 7.5);
  graph->DrawAxes(0.0, 0, 0.0, -2, 11);
  // Non-finite bounds are refused and the world stays.
  EXPECT_FALSE(graph->SetWorld(0.0, std::numeric_limits<double>::infinity(), 0.0, 1.0));
  EXPECT_DOUBLE_EQ(graph->X1(), 0.5);
  // A step far finer than a pixel falls back to one chosen from the range.
  graph->SetWorld(0.0, 1.0, 0.0, 1.0);
  EXPECT_DOUBLE_EQ(graph->DrawXLabels(0.0, 1e-12, 1000000), 0.2);
  graph->DrawGrid(1e-12, 1e-12, true);
}

TEST_F(Graph, MemoryOnlyDrawingAppearsAfterRefresh) {
  TGraph *graph = MakeTenPixelGraph(frame, kGraphDrawMemory);
  graph->UpdateWindow();
  graph->SetPen(PS_SOLID, 1, kRed);
  graph->MoveTo(0.0, 2.5, false);
  graph->MoveTo(10.0, 2.5, true);
  EXPECT_EQ(BitmapPixel(*graph, 50, 45), kRed);
  EXPECT_EQ(WindowPixel(*graph, 50, 45), kWhite);
  graph->Refresh();
  EXPECT_EQ(WindowPixel(*graph, 50, 45), kRed);
}

TEST_F(Graph, BothFlagsDrawIntoWindowAndBitmapAtOnce) {
  TGraph *graph = MakeTenPixelGraph(frame);
  graph->SetPen(PS_SOLID, 1, kRed);
  graph->MoveTo(0.0, 2.5, false);
  graph->MoveTo(10.0, 2.5, true);
  EXPECT_EQ(BitmapPixel(*graph, 50, 45), kRed);
  EXPECT_EQ(WindowPixel(*graph, 50, 45), kRed);
}

TEST_F(Graph, MarkersCoverTheirSizePlusOnePixel) {
  TGraph *graph = MakeTenPixelGraph(frame);
  graph->SetMarkerSize(4, 4);
  graph->FillMarker(5.0, 2.5, kRed);  // at (60, 45)
  EXPECT_EQ(MarkedInRow(*graph, 45, 0, 200), (std::set<int>{58, 59, 60, 61, 62}));
  EXPECT_EQ(MarkedInColumn(*graph, 60, 0, 150), (std::set<int>{43, 44, 45, 46, 47}));
  for (SIZE size : {SIZE{0, 0}, SIZE{1, 1}}) {
    TGraph *single = MakeTenPixelGraph(frame);
    single->SetMarkerSize(size.cx, size.cy);
    single->FillMarker(5.0, 2.5, kRed);
    EXPECT_EQ(MarkedInRect(*single, RECT{0, 0, 200, 150}), 1);
    EXPECT_EQ(BitmapPixel(*single, 60, 45), kRed);
  }
  // World sizes: 0.4 world units are 4 pixels.
  graph->SetMarkerSizeWorld(0.4, -0.4);
  EXPECT_EQ(graph->GetMarkerSize().cx, 4);
  EXPECT_EQ(graph->GetMarkerSize().cy, 4);
}

TEST_F(Graph, TwoTracersDrawTheirOwnPolylines) {
  TGraph *graph = MakeTenPixelGraph(frame);
  TGraphTracer red(graph, kRed);
  TGraphTracer green(graph, kGreen);
  red.MoveTo(0.0, 1.0);
  green.MoveTo(0.0, 4.0);
  red.LineTo(5.0, 1.0);
  green.LineTo(5.0, 4.0);
  red.LineTo(10.0, 1.0);
  green.LineTo(10.0, 4.0);
  // Each continues from its own last point: unbroken rows in their own colours.
  for (int x = 10; x < 110; ++x) {
    ASSERT_EQ(BitmapPixel(*graph, x, 60), kRed) << x;
    ASSERT_EQ(BitmapPixel(*graph, x, 30), kGreen) << x;
  }
  EXPECT_EQ(MarkedInColumn(*graph, 50, 0, 150), (std::set<int>{30, 60}));
  EXPECT_EQ(red.SetColor(kBlack), kRed);
  EXPECT_EQ(green.SetWidth(3), 1);
}

TEST_F(Graph, ATracerKeepsOnePenObjectWhileItsPenStaysTheSame) {
  TGraph *graph = MakeTenPixelGraph(frame);
  TGraphTracer red(graph, kRed, 2);
  red.MoveTo(0.0, 1.0);
  red.LineTo(1.0, 2.0);
  const HPEN pen = graph->GetDCs().second->GetCurrentPen();
  ASSERT_NE(pen, nullptr);
  EXPECT_EQ(pen->logPen.lopnColor, kRed);
  EXPECT_EQ(pen->logPen.lopnWidth.x, 2);
  red.LineTo(2.0, 1.0);
  red.LineTo(3.0, 2.0);
  EXPECT_EQ(graph->GetDCs().second->GetCurrentPen(), pen);
  EXPECT_EQ(graph->GetDCs().first->GetCurrentPen(), pen);
  red.SetColor(kGreen);
  red.LineTo(4.0, 1.0);
  EXPECT_EQ(graph->GetDCs().second->GetCurrentPen()->logPen.lopnColor, kGreen);
}

TEST_F(Graph, WindowDrawingCopiesBackIntoTheBitmap) {
  TGraph *graph = MakeTenPixelGraph(frame, kGraphDrawWindow);
  graph->SetPen(PS_SOLID, 1, kRed);
  graph->MoveTo(0.0, 2.5, false);
  graph->MoveTo(10.0, 2.5, true);
  EXPECT_EQ(WindowPixel(*graph, 50, 45), kRed);
  EXPECT_EQ(BitmapPixel(*graph, 50, 45), kWhite);
  graph->CopyWindowToBitmap();
  EXPECT_EQ(BitmapPixel(*graph, 50, 45), kRed);
  // The line mode goes to both contexts.
  EXPECT_EQ(graph->SetROP2(R2_XORPEN), R2_COPYPEN);
  EXPECT_EQ(graph->GetROP2(), R2_XORPEN);
  EXPECT_EQ(graph->GetDCs().second->GetROP2(), R2_XORPEN);
}

TEST_F(Graph, TextOutsideThePlotIsStillDrawn) {
  TGraph *graph = MakeTenPixelGraph(frame);
  TOFont font(nullptr, 14);
  graph->SetFont(font);
  graph->MoveTo(1.0, 1.0, false);  // selects the plot clip
  graph->TextOut(120, 100, "Text", TA_LEFT | TA_TOP);
  EXPECT_GT(MarkedInRect(*graph, RECT{120, 100, 170, 120}), 0);
  graph->RestoreFont();
}

TEST_F(Graph, FrameOutlinesThePlotAndEraseClearsIt) {
  TGraph *graph = NewGraph(frame, 0, 0, 200, 150, WS_CHILD, kWhite, nullptr);
  graph->SetPen(PS_SOLID, 1, kRed);
  graph->SetPlotArea(10, 20, 100, 50, true, false);
  EXPECT_EQ(BitmapPixel(*graph, 10, 20), kRed);
  EXPECT_EQ(BitmapPixel(*graph, 109, 69), kRed);
  EXPECT_EQ(BitmapPixel(*graph, 110, 70), kWhite);
  graph->SetWorld(0.0, 10.0, 0.0, 5.0);
  graph->MoveTo(0.0, 2.5, false);
  graph->MoveTo(10.0, 2.5, true);
  graph->ErasePlot();
  EXPECT_EQ(MarkedInRect(*graph, RECT{0, 0, 200, 150}), 0);
}

TEST(OFont, DefaultsAndMendedFaces) {
  TOFont font;
  EXPECT_STREQ(font.GetLogFont().lfFaceName, "MS Sans Serif");
  EXPECT_EQ(font.GetLogFont().lfPitchAndFamily, 0x22);
  EXPECT_EQ(font.GetLogFont().lfWeight, 400);
  EXPECT_EQ(font.GetLogFont().lfQuality, 2);
  TOFont roman("Times", 12, 0, true);
  EXPECT_EQ(roman.GetLogFont().lfPitchAndFamily, 0x12);
  TOFont typo("Ms Sans Serig", 10);
  EXPECT_STREQ(typo.GetLogFont().lfFaceName, "MS Sans Serif");
  TOFont copy(roman);
  EXPECT_EQ(copy.GetFont(), nullptr);
  EXPECT_EQ(copy.GetLogFont().lfHeight, 12);
}
