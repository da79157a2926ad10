// The editor's canvas: its size, its world window and the system drawn on its bitmap.

#include "editor/canvas/edit_graph.h"

#include <cmath>
#include <fstream>

#include <QImage>

#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/gui/drawing/dc.h"

#include "editor/canvas/tests/canvas_pixels.h"

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 64);

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
  // Inside the glass, away from the profiles and the rays, the glass's tint shows (a
  // quarter of the fill colour over the background); without the fill, the background.
  const POINT glass = canvas.WorldToDevice(12.5, 11.0);
  EXPECT_EQ(editor.System().options.FillComponent, 1);
  EXPECT_EQ(Pixel(canvas, glass.x, glass.y), RGB(63, 63, 111));
  editor.System().options.FillComponent = 0;
  canvas.Redraw();
  EXPECT_EQ(Pixel(canvas, glass.x, glass.y), kBackground);
  // The rays reach the image plane near the axis.
  EXPECT_TRUE(NearColor(canvas, canvas.WorldToDevice(62.5362, 0.0), 0xFF0000));
}

TEST_F(EditGraphTest, ALensWhoseFacesCrossIsGlassUpToWhereTheyMeet) {
  // R 50 / -50, 5 thick on the axis (vertices at 10 and 15), semi-height 25: each face's
  // sag is 50 - sqrt(50^2 - h^2), so the faces meet at h = sqrt(50^2 - 47.5^2) = 15.61 on
  // the plane x = 12.5. Inside that height lies glass; beyond it the faces have passed
  // each other and there is none.
  const std::string path = Scratch("crossing.os");
  std::ofstream(path) << "[Common]\nName=Crossing faces\nLambdaW=0.5875618\nLambda=0.5875618\n"
                         "Weight=1\nAlfaM=0;\nNray=5\nNsurf=4\nObjectFinite=0\nImageFinite=1\n"
                         "AutoSetPupilParameters=0\nNaper=2; Dentr=10\n\n[Surfaces]\n"
                         "{ R=0; Glass=\"\"; Dx=10; DextY=60; }\n"
                         "{ R=50; Glass=\"N-BK7_schott\"; Dx=5; DextY=50; }\n"
                         "{ R=-50; Glass=\"\"; Dx=47.5; DextY=50; }\n"
                         "{ R=0; Glass=\"\"; DextY=20; }\n";
  TOpticalEditor &editor = Open(path);
  TEditGraph &canvas = *editor.Canvas();
  ASSERT_EQ(editor.System().ElementCount(), 1);
  editor.System().options.ShowCourseBeam = 0;
  canvas.Redraw();
  const COLORREF glass = RGB(63, 63, 111);
  const double meet = std::sqrt(50.0 * 50.0 - 47.5 * 47.5);
  auto sag = [](double h) { return 50.0 - std::sqrt(50.0 * 50.0 - h * h); };
  for (double sign : {1.0, -1.0}) {
    // Glass on the axis and just inside the meeting point.
    for (double h : {0.0, 8.0, 14.0}) {
      const POINT inside = canvas.WorldToDevice(12.5, sign * h);
      EXPECT_EQ(Pixel(canvas, inside.x, inside.y), glass) << sign * h;
    }
    // The faces end where they meet: the outline passes there.
    EXPECT_TRUE(NearColor(canvas, canvas.WorldToDevice(12.5, sign * meet), 0xFFFFFF)) << sign;
    // Beyond it neither glass nor the crossed faces' wings.
    const POINT beyond = canvas.WorldToDevice(12.5, sign * 20.0);
    EXPECT_EQ(Pixel(canvas, beyond.x, beyond.y), kBackground) << sign;
    EXPECT_FALSE(NearColor(canvas, canvas.WorldToDevice(10.0 + sag(20.0), sign * 20.0), 0xFFFFFF));
    EXPECT_FALSE(NearColor(canvas, canvas.WorldToDevice(15.0 - sag(20.0), sign * 20.0), 0xFFFFFF));
  }
}

}  // namespace

namespace {

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

TEST_F(EditGraphTest, RubberBandSelectsTheLensAndAFarPointClears) {
  const std::string singlet = Scratch("singlet.os");
  std::filesystem::copy_file(ExamplePath("singlet.os"), singlet);
  TOpticalEditor &editor = Open(singlet);
  TEditGraph &canvas = *editor.Canvas();
  TSystemImage &system = editor.System();
  int lens = -1;
  for (int e = 0; e < system.ElementCount(); ++e)
    if (system.elements.data[e].SurfaceCount() == 2) lens = e;
  ASSERT_GE(lens, 0);
  const double h = 11.0;
  const double sag = 50.0 - std::sqrt(50.0 * 50.0 - h * h);
  const POINT onFront = canvas.WorldToDevice(10.0 + sag, h);
  EXPECT_TRUE(NearColor(canvas, onFront, TEditGraph::kOutlineColor));

  // A band around the lens's upper half selects the lens alone.
  canvas.SetMouseMode(TEditGraph::kSelectMouseMode);
  EXPECT_TRUE(canvas.GetSelectMode());
  const POINT from = canvas.WorldToDevice(8.0, 13.0);
  const POINT to = canvas.WorldToDevice(17.0, 6.0);
  canvas.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(from));
  EXPECT_EQ(system.lastPress.x, from.x);
  EXPECT_EQ(system.lastPress.y, from.y);
  canvas.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(to));
  canvas.SendMessage(WM_LBUTTONUP, 0, At(to));
  EXPECT_EQ(system.hasSelection, 1);
  for (int e = 0; e < system.ElementCount(); ++e)
    EXPECT_EQ(system.elements.data[e].mark, e == lens ? 1 : 0) << e;
  EXPECT_TRUE(NearColor(canvas, onFront, TEditGraph::kSelectedColor));
  const POINT below = canvas.WorldToDevice(10.0 + sag, -h);
  EXPECT_TRUE(NearColor(canvas, below, TEditGraph::kSelectedColor));

  // The far point selects nothing: the lens is drawn plain again.
  canvas.SelectAt(POINT{30000, 30000});
  EXPECT_EQ(system.hasSelection, 0);
  EXPECT_EQ(system.elements.data[lens].mark, 0);
  EXPECT_TRUE(NearColor(canvas, onFront, TEditGraph::kOutlineColor));
  EXPECT_FALSE(NearColor(canvas, onFront, TEditGraph::kSelectedColor));

  // A point on the back face selects the lens again; leaving the mode drops the band.
  canvas.SelectAt(canvas.WorldToDevice(15.0 - sag, h));
  EXPECT_EQ(system.elements.data[lens].mark, 1);
  canvas.SetMouseMode(0);
  EXPECT_FALSE(canvas.GetSelectMode());
}

}  // namespace
