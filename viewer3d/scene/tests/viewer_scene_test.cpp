// The scene's fitting, painting order, stereo pairs, element list, refusals told once and
// recording, on a canvas that logs what the scene asks of the window.

#include "foundation/numerics/pi.h"
#include "viewer3d/scene/viewer_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "foundation/testing/approx.h"
#include "platform/core/recording_providers.h"
#include "viewer3d/scene/tests/recording_canvas.h"

namespace {

// Within a pixel, the fit's promise.
constexpr double kPixel = 1.0;
constexpr double kRounding = 1e-9;
constexpr int kWidth = 400;
constexpr int kHeight = 300;

int Count(const std::vector<std::string> &log, const std::string &entry) {
  return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

TLensShape Lens() { return TLensShape{40, -60, 20, 6, 0.5}; }

// The screen rectangle of the records' boxes worked out here: each corner through the
// element's placement and the canvas's view (its offset already in pixels), scaled points.
TSceneRect ScreenBoxes(const TViewerScene &scene, const TRecordingCanvas &canvas) {
  TSceneRect rect;
  const double s = canvas.Scale();
  for (const TSceneRecord &r : scene.Objects()) {
    DPOINT3 low, high;
    RecordBox(r, low, high);
    const TElementPlacement p = RecordPlacement(r);
    const TRotator place(p.angles, DPOINT3(p.position.x * s, p.position.y * s, p.position.z * s));
    for (int k = 0; k < 8; ++k) {
      const DPOINT3 corner((k & 1 ? high.x : low.x) * s, (k & 2 ? high.y : low.y) * s,
                           (k & 4 ? high.z : low.z) * s);
      const DPOINT3 q = canvas.view.Transform(place.Transform(corner));
      rect.Add(q.x + canvas.centreX, q.y + canvas.centreY);
    }
  }
  return rect;
}

class SceneTest : public ::testing::Test {
 protected:
  TRecordingCanvas canvas;
  TViewerScene scene{canvas, kWidth, kHeight};
  TRecordingMessageBoxProvider boxes;
};

TEST_F(SceneTest, AnEmptySceneFitsTheUnitSquareAndStaysFinite) {
  scene.Redraw(false);
  // The unit square in a 400 x 300 window: the height is tighter, so scale 300.
  EXPECT_APPROX(canvas.Scale(), 300.0, kRounding);
  EXPECT_APPROX(canvas.centreY, 0.0, kRounding);
  EXPECT_APPROX(canvas.centreX, 50.0, kRounding);
  scene.TurnView(DANGLE3(0.3, 0.2, 0.1), DPOINT3(1, 2, 3));
  scene.FitToWindow(true);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(std::isfinite(canvas.view.offset.x + canvas.view.offset.y + canvas.view.offset.z));
    for (int j = 0; j < 3; ++j) EXPECT_TRUE(std::isfinite(canvas.view.m[i][j]));
  }
  // Only the background is painted.
  canvas.TakeLog();
  scene.Redraw(true);
  const std::vector<std::string> log = canvas.TakeLog();
  EXPECT_EQ(Count(log, "clear"), 1);
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string &e) { return e.rfind("paint", 0) == 0; }), 0);
}

TEST_F(SceneTest, FitTouchesBothEdgesOfTheTighterAxisAndCentresTheOther) {
  scene.SetElementPlacement(DANGLE3(0.4, -0.7, 0.2), DPOINT3(15, -4, 30));
  scene.AddLens(Lens());
  scene.SetElementPlacement(DANGLE3(), DPOINT3(-10, 8, 0));
  scene.AddRectPlate(TRectSlab{30, 6, 3, 1, 0.5});
  for (const DANGLE3 &turn : {DANGLE3(), DANGLE3(1.1, 0.3, -0.4), DANGLE3(0, 1.5, 0)}) {
    scene.TurnView(turn, DPOINT3(7, -3, 2));
    scene.Redraw(true);
    const TSceneRect r = ScreenBoxes(scene, canvas);
    const bool tightX = (r.xmax - r.xmin) / kWidth >= (r.ymax - r.ymin) / kHeight;
    if (tightX) {
      EXPECT_NEAR(r.xmin, 0.0, kPixel);
      EXPECT_NEAR(r.xmax, kWidth, kPixel);
      EXPECT_NEAR((r.ymin + r.ymax) * 0.5, kHeight * 0.5, kPixel);
    } else {
      EXPECT_NEAR(r.ymin, 0.0, kPixel);
      EXPECT_NEAR(r.ymax, kHeight, kPixel);
      EXPECT_NEAR((r.xmin + r.xmax) * 0.5, kWidth * 0.5, kPixel);
    }
  }
  // With the rays counted, a ray reaching far out widens the fit.
  scene.AddRay({DPOINT3(0, 0, -200), DPOINT3(0, 0, 40)}, 12);
  scene.Redraw(true);
  const double elementsOnly = canvas.Scale();
  scene.Redraw(false);
  EXPECT_LT(canvas.Scale(), elementsOnly);
}

TEST_F(SceneTest, UnknownKindsArePaintedNeverButFitted) {
  TSceneRecord odd = LensRecord(TElementPlacement{}, Lens());
  odd[0] = 12345.0f;
  scene.AddRecord(odd);
  scene.Redraw(true);
  const std::vector<std::string> log = canvas.TakeLog();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string &e) { return e.rfind("paint", 0) == 0; }), 0);
  // The fit is that of its box, a 20 x 20 square seen along z: scale 300 / 20.
  EXPECT_APPROX(canvas.Scale(), 15.0, kRounding);
}

TEST_F(SceneTest, PaintingPassesAndProgressiveShows) {
  scene.AddLens(Lens());
  scene.AddRectPlate(TRectSlab{10, 8, 4, 1, 0.5});
  scene.AddRay({DPOINT3(0, 0, 0), DPOINT3(0, 1, 5), DPOINT3(0, 2, 9)}, 14);
  scene.AddRay({DPOINT3(0, 0, 0), DPOINT3(1, 0, 5)}, 10);
  scene.Redraw(true);
  const std::vector<std::string> log = canvas.TakeLog();
  // Elements progressive (a show after each), rays not; each pass ends with its axes.
  const std::vector<std::string> expected = {
      "clear", "begin", "paint 10200", "show", "paint 10400", "show", "grab 0", "invalidate",
      "axes", "begin", "color 14", "move", "line", "line", "color 10", "move", "line",
      "grab 0", "invalidate", "axes"};
  ASSERT_GE(log.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<long>(expected.size()), log.end()), expected);
  // Hidden rays are not drawn; progressive rays are shown one by one.
  scene.SetRaysShown(false);
  scene.PaintRays(true);
  EXPECT_TRUE(canvas.TakeLog().empty());
  scene.SetRaysShown(true);
  scene.PaintRays(true);
  EXPECT_EQ(Count(canvas.TakeLog(), "show"), 2);
  // Quality goes to the painters and never below one cell.
  scene.SetQuality(0);
  scene.PaintObjects(false);
  EXPECT_EQ(canvas.qualities.back(), 1);
}

TEST_F(SceneTest, StereoPaintsEveryElementAndEveryRayOnBothRowSets) {
  TRoundFace a, b;
  a.R = 40, a.D = 20, b.R = -60, b.D = 20;
  scene.AddTwoSurfaceSolid(a, b, 6);
  scene.AddLens(Lens());
  scene.AddRay({DPOINT3(0, 0, 0), DPOINT3(0, 1, 5)}, 12);
  scene.SetStereo(true, 0.05, 0.0);
  const TRotator before = canvas.view;
  scene.PaintObjects(false);
  const std::vector<std::string> expected = {
      "begin", "parity 2", "paint 10000", "turn 0.050000", "parity 1", "paint 10000",
      "turn -0.050000", "parity 0", "parity 2", "paint 10200", "turn 0.050000", "parity 1",
      "paint 10200", "turn -0.050000", "parity 0", "grab 0", "invalidate", "axes"};
  EXPECT_EQ(canvas.TakeLog(), expected);
  scene.PaintRays(false);
  const std::vector<std::string> rays = {
      "begin", "parity 2", "color 12", "move", "line", "turn 0.050000", "parity 1", "color 12",
      "move", "line", "turn -0.050000", "parity 0", "grab 0", "invalidate", "axes"};
  EXPECT_EQ(canvas.TakeLog(), rays);
  // Turning there and back leaves the view as it was.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(canvas.view.m[i][j], before.m[i][j], kRounding);
}

TEST_F(SceneTest, TheStereoGridFollowsEveryClearWhileStereoIsOn) {
  int grids = 0;
  scene.SetStereoGrid([&grids] { ++grids; });
  scene.AddLens(Lens());
  scene.ClearScene();
  EXPECT_EQ(grids, 0);
  scene.SetStereo(true, 0.05, 0.0);
  scene.ClearScene();
  scene.Redraw(true);
  EXPECT_EQ(grids, 2);
  scene.SetStereo(false, 0.05, 0.0);
  scene.Redraw(true);
  EXPECT_EQ(grids, 2);
}

TEST_F(SceneTest, ElementListGrowsWithLateRecordsAndCarriesTheSections) {
  EXPECT_FALSE(scene.ElementListMade());
  scene.AddLens(Lens());
  TRoundFace a, b;
  a.R = 40, a.D = 20, b.R = -60, b.D = 20;
  scene.AddTwoSurfaceSolid(a, b, 6);
  scene.PaintObjects(false);
  ASSERT_TRUE(scene.ElementListMade());
  ASSERT_EQ(scene.ElementList().size(), 2u);
  EXPECT_STREQ(scene.ElementList()[0].name, "Object  0");
  scene.ElementList()[1].fi1 = 30;
  scene.ElementList()[1].fi2 = 90;
  scene.AddRectPlate(TRectSlab{10, 8, 4, 1, 0.5});
  canvas.sections.clear();
  scene.PaintObjects(false);
  ASSERT_EQ(scene.ElementList().size(), 3u);
  EXPECT_STREQ(scene.ElementList()[2].name, "Object  2");
  ASSERT_EQ(canvas.sections.size(), 3u);
  EXPECT_APPROX(canvas.sections[1].first, kPi / 6, kRounding);
  EXPECT_APPROX(canvas.sections[1].second, kPi / 2, kRounding);
  EXPECT_EQ(canvas.sections[2].first, 0.0);
  // The list survives the editor's clearing and refilling.
  scene.ClearObjects();
  scene.AddLens(Lens());
  scene.PaintObjects(false);
  EXPECT_EQ(scene.ElementList().size(), 3u);
  EXPECT_EQ(scene.ElementList()[1].fi1, 30);
}

TEST_F(SceneTest, ARefusedElementIsToldOnceUntilItPaintsAgain) {
  const TLensShape bad{0, -60, 20, 6, 0};
  scene.AddLens(bad);
  scene.AddRoundMirror(TRoundMirrorShape{20, 30, 0.5, 0, 0});
  for (int frame = 0; frame < 3; ++frame) {
    scene.ClearObjects();
    scene.AddLens(bad);
    scene.AddRoundMirror(TRoundMirrorShape{20, 30, 0.5, 0, 0});
    scene.TurnView(DANGLE3(0.1, 0, 0), DPOINT3());
    scene.Redraw(true);
  }
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, "CreateLense");
  EXPECT_EQ(boxes.boxes[0].caption, "PaintLens");
  EXPECT_EQ(boxes.boxes[1].text, "CreateRoundMirror");
  EXPECT_EQ(boxes.boxes[1].caption, "PaintRoundMirror");
  // Mended, then broken again: told again.
  scene.ClearObjects();
  scene.AddLens(Lens());
  scene.PaintObjects(false);
  scene.ClearObjects();
  scene.AddLens(bad);
  scene.PaintObjects(false);
  EXPECT_EQ(boxes.boxes.size(), 3u);
}

class TScriptedRecorder : public TFrameRecorder {
 public:
  bool Recording() const override { return recording; }
  void FrameDrawn() override { ++frames; }
  bool recording = true;
  int frames = 0;
};

TEST_F(SceneTest, WhileRecordingFramesKeepTheFirstFit) {
  scene.AddLens(Lens());
  scene.Redraw(true);
  const double scale = canvas.Scale();
  TScriptedRecorder recorder;
  scene.SetRecorder(&recorder);
  scene.AddRectPlate(TRectSlab{100, 80, 4, 1, 0.5});
  scene.Redraw(true);
  EXPECT_EQ(canvas.Scale(), scale);
  EXPECT_EQ(recorder.frames, 1);
  recorder.recording = false;
  scene.Redraw(true);
  EXPECT_LT(canvas.Scale(), scale);
  EXPECT_EQ(recorder.frames, 1);
}

}  // namespace
