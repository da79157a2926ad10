// The editor's canvas: its size, its world window and the system drawn on its bitmap.

#include "editor/canvas/edit_graph.h"

#include <cmath>

#include <QImage>

#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/gui/drawing/dc.h"

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 64);

COLORREF Pixel(TEditGraph &graph, int x, int y) {
  const QImage *image = graph.GetDCs().second->Image();
  if (image == nullptr || x < 0 || y < 0 || x >= image->width() || y >= image->height())
    return 0xFFFFFFFF;
  return ColorOfPixel(image->pixel(x, y));
}

// The colour within a pixel of the device point, if any pixel there has it.
bool NearColor(TEditGraph &graph, POINT p, COLORREF color) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (Pixel(graph, p.x + dx, p.y + dy) == color) return true;
  return false;
}

using EditGraphTest = EditorShellTest;

TEST_F(EditGraphTest, NewCanvasHasItsSizeAndNoSystem) {
  TEditGraph graph(static_cast<TWindow *>(nullptr), kBackground);
  EXPECT_EQ(graph.Attr.W, TEditGraph::kWidth);
  EXPECT_EQ(graph.Attr.H, TEditGraph::kHeight);
  EXPECT_EQ(graph.System(), nullptr);
  graph.Redraw();  // no window yet: nothing to draw on, and no fault
}

TEST_F(EditGraphTest, OpenedSingletIsDrawnWhereItsVerticesPutIt) {
  const std::string singlet = Scratch("singlet.os");
  std::filesystem::copy_file(ExamplePath("singlet.os"), singlet);
  TOpticalEditor &editor = Open(singlet);
  TEditGraph &canvas = *editor.Canvas();
  ASSERT_EQ(canvas.System(), &editor.System());
  // The world window holds the system's view window at one scale on both axes.
  const TViewWindow &view = editor.System().viewWindow;
  EXPECT_LE(canvas.X1(), view.xFrom + 1e-9);
  EXPECT_GE(canvas.X2(), view.xTo - 1e-9);
  EXPECT_LE(canvas.Y1(), view.yFrom + 1e-9);
  EXPECT_GE(canvas.Y2(), view.yTo - 1e-9);
  EXPECT_NEAR(canvas.ScaleX(), canvas.ScaleY(), 1e-6 * canvas.ScaleX());
  // Points of the two spheres (R 50, vertices at 10 and 15) off the ray fan's band.
  const double h = 11.0;
  const double sag = 50.0 - std::sqrt(50.0 * 50.0 - h * h);
  for (double sign : {1.0, -1.0}) {
    EXPECT_TRUE(NearColor(canvas, canvas.WorldToDevice(10.0 + sag, sign * h), 0xFFFFFF)) << sign;
    EXPECT_TRUE(NearColor(canvas, canvas.WorldToDevice(15.0 - sag, sign * h), 0xFFFFFF)) << sign;
  }
  // Inside the glass, away from the profiles and the rays, the background shows.
  EXPECT_EQ(Pixel(canvas, canvas.WorldToDevice(12.5, 11.0).x, canvas.WorldToDevice(12.5, 11.0).y),
            kBackground);
  // The rays reach the image plane near the axis.
  EXPECT_TRUE(NearColor(canvas, canvas.WorldToDevice(62.5362, 0.0), 0xFF0000));
}

}  // namespace
