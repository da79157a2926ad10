// The progress window over real runs of the singlet: its fields and gauge after a run, Stop
// and Escape ending a run with the last accepted step, Ok closing it so that the next run
// makes a new one, UnDo reaching the editor's command, fields wide enough for their texts,
// and the window's place beside the main window.

#include "optimization/windows/optimization_viewer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <utility>
#include <vector>

#include "foundation/numtext/number_text.h"
#include "optimization/binding/korvex_optz.h"
#include "optimization/binding/tests/run_test_support.h"
#include "optimization/windows/viewer_run_host.h"
#include "toolkit/pump/o_gauge.h"
#include "platform/gui/controls/control.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;

class OptimizationViewer : public EvaluationTest {
 protected:
  void SetUp() override {
    EvaluationTest::SetUp();
    test_kit::EnsureApplication();
    Load(system, "singlet.os");
    set.Rebuild(&configured);
    ClearWeights(set);
    Weigh(set.Record(0, 0)->Focus, 100.0, 1.0);
    set.SetConfigurations();
    parameters.SetOwner(&configured);
    TParameterDescription back;
    back.Set(0, 2, "R", -0.05, 0.05);
    parameters.Add(back);
  }
  void TearDown() override {
    if (TOptimizationViewer *viewer = TOptimizationViewer::Existing()) {
      viewer->Destroy();
      delete viewer;
    }
    EvaluationTest::TearDown();
  }
  TOptimizationRunResult Run(TViewerRunHost &host) {
    return RunOptimization(configured, parameters, set, host, "");
  }

  TOpticalSystem system;
  TSingleConfiguration configured{system};
  TOptimizationFunctions set;
  TOptimizationParameters parameters;
};

}  // namespace

TEST_F(OptimizationViewer, AfterARunTheFieldsShowItAndOkAndUndoAreOffered) {
  TViewerRunHost host(nullptr);
  ASSERT_EQ(Run(host), kRunCompleted);
  TOptimizationViewer *viewer = TOptimizationViewer::Existing();
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(test_kit::RunUntil([&] { return viewer->IsWindowVisible(); }, kWaitMs));
  EXPECT_NE(viewer->FieldText(kViewerIteration), "");
  EXPECT_NE(viewer->FieldText(kViewerIteration), "0");
  EXPECT_EQ(viewer->FieldText(kViewerCurrentUnweighted).substr(0, 2), "( ");
  EXPECT_EQ(viewer->FieldText(kViewerTime), "00:00");
  EXPECT_FALSE(viewer->FieldText(kViewerStage).empty());
  EXPECT_TRUE(viewer->ChildWithId(kViewerOkButton)->IsWindowEnabled());
  EXPECT_TRUE(viewer->ChildWithId(kViewerUndoButton)->IsWindowEnabled());
  EXPECT_FALSE(viewer->ChildWithId(kViewerStopButton)->IsWindowEnabled());
  // The gauge's bar is drawn in the highlight colour.
  viewer->Gauge()->UpdateWindow();
  const QImage pixels = test_kit::WindowPixels(*viewer->Gauge());
  const COLORREF bar = GetSysColor(COLOR_HIGHLIGHT);
  int barPixels = 0;
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x) {
      const QRgb p = pixels.pixel(x, y);
      barPixels += RGB(qRed(p), qGreen(p), qBlue(p)) == bar ? 1 : 0;
    }
  EXPECT_GT(barPixels, 0);
}

TEST_F(OptimizationViewer, StopEndsTheRunWithTheLastAcceptedStep) {
  TViewerRunHost host(nullptr);
  std::vector<double> accepted;
  host.refreshViews = [&] {
    accepted.push_back(parameters.Value(0));
    if (accepted.size() == 1) TOptimizationViewer::Existing()->CmStop();
  };
  ASSERT_EQ(Run(host), kRunStopped);
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(1.0 / system.Surface(2)->general.R, accepted[0]);
  TOptimizationViewer *viewer = TOptimizationViewer::Existing();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->ChildWithId(kViewerOkButton)->IsWindowEnabled());
}

TEST_F(OptimizationViewer, EscapeStopsTheRun) {
  TViewerRunHost host(nullptr);
  int steps = 0;
  host.refreshViews = [&] {
    if (++steps == 1) test_kit::PostKey(*TOptimizationViewer::Existing(), VK_ESCAPE);
  };
  EXPECT_EQ(Run(host), kRunStopped);
  EXPECT_EQ(steps, 1);
}

TEST_F(OptimizationViewer, OkClosesTheWindowAndTheNextRunMakesANewOne) {
  TViewerRunHost host(nullptr);
  int undone = 0;
  host.undo = [&undone] { ++undone; };
  ASSERT_EQ(Run(host), kRunCompleted);
  TOptimizationViewer *first = TOptimizationViewer::Existing();
  ASSERT_NE(first, nullptr);
  first->SendMessage(WM_COMMAND, kViewerUndoButton, 0);
  EXPECT_EQ(undone, 1);
  first->SendMessage(WM_COMMAND, kViewerOkButton, 0);
  EXPECT_EQ(TOptimizationViewer::Existing(), nullptr);
  EXPECT_EQ(CurrentOptimizationViewer(), nullptr);
  TViewerRunHost next(nullptr);
  parameters.SetValue(0, -0.02);
  ASSERT_EQ(Run(next), kRunCompleted);
  EXPECT_NE(TOptimizationViewer::Existing(), nullptr);
}

TEST_F(OptimizationViewer, AWindowClosedDuringTheRunLeavesTheRunToEndAlone) {
  TViewerRunHost host(nullptr);
  host.refreshViews = [] {
    if (TOptimizationViewer *viewer = TOptimizationViewer::Existing()) viewer->CmOk();
  };
  // Ok during the run stops it, as Stop does, and the window is gone.
  EXPECT_EQ(Run(host), kRunStopped);
  EXPECT_EQ(TOptimizationViewer::Existing(), nullptr);
}

namespace {

// The box around the black pixels of an image; empty when there are none.
QRect InkBox(const QImage &pixels) {
  QRect box;
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x)
      if ((pixels.pixel(x, y) & 0xFFFFFF) == 0) box |= QRect(x, y, 1, 1);
  return box;
}

// The ink of a text drawn whole, in the font the window's fields use.
QRect WholeTextInk(const std::string &text) {
  QImage canvas(400, 40, QImage::Format_RGB32);
  canvas.fill(0xFFFFFFFF);
  TImageDC dc(&canvas);
  dc.SelectObject(DefaultControlFont());
  dc.SetTextColor(RGB(0, 0, 0));
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(10, 10, text.c_str());
  dc.RestoreObjects();
  return InkBox(canvas);
}

// The widest texts a run writes into each field: numbers of the fields' format (9
// characters, 3 digits) with a sign and a two-digit exponent, an hour's time, the
// longest stage.
std::vector<std::pair<int, std::string>> WidestFieldTexts() {
  const std::string number = FormatDouble(-8.888888e-18, 9, 3, 1e-30);
  return {{kViewerIteration, "100"},
          {kViewerCurrentMerit, number},
          {kViewerPreviousMerit, number},
          {kViewerCurrentUnweighted, "( " + number + " )"},
          {kViewerPreviousUnweighted, "( " + number + " )"},
          {kViewerSpeed, number},
          {kViewerTime, "58:48"},
          {kViewerStoppedRays, "9999 -> 9999"},
          {kViewerStage, TKorvexOptz::StageText(TOptz::kStageBase)},
          // The longest texts of a run's end.
          {kViewerStage, "Done: parameter 99 is at its bound"},
          {kViewerStage, "Done: the merit is at its floor"},
          {kViewerParameter, number},
          {kViewerFunction, "1000"}};
}

}  // namespace

TEST(OptimizationViewerLayout, EveryFieldShowsItsWidestTextWhole) {
  test_kit::EnsureApplication();
  auto *viewer = new TOptimizationViewer(nullptr);
  ASSERT_TRUE(viewer->Create());
  viewer->ShowWindow(SW_SHOW);
  for (const auto &[id, text] : WidestFieldTexts()) {
    viewer->State().SetFieldText(id, text);
    TWindow *field = viewer->ChildWithId(id);
    ASSERT_NE(field, nullptr) << id;
    field->UpdateWindow();
    const QImage pixels = test_kit::WindowPixels(*field);
    const QRect shown = InkBox(pixels);
    const QRect whole = WholeTextInk(text);
    ASSERT_FALSE(whole.isEmpty()) << text;
    // As wide as the text drawn whole, and clear of the field's edges.
    EXPECT_EQ(shown.width(), whole.width()) << "field " << id << " \"" << text << "\"";
    EXPECT_EQ(shown.height(), whole.height()) << "field " << id << " \"" << text << "\"";
    EXPECT_GT(shown.left(), 0) << "field " << id;
    EXPECT_LT(shown.right(), pixels.width() - 1) << "field " << id;
  }
  viewer->Destroy();
  delete viewer;
}

TEST(OptimizationViewerLayout, BesideTheMainWindowWhenTheScreenHasRoom) {
  constexpr SIZE kScreen{1280, 800};
  constexpr SIZE kWindow{130, 290};
  // A main window on the left of the screen: the viewer stands to its right, level with its
  // bottom.
  POINT place = TOptimizationViewer::PlaceNear(RECT{100, 50, 900, 650}, kWindow, kScreen);
  EXPECT_EQ(place.x, 900);
  EXPECT_EQ(place.y, 650 - 290);
  // A main window over the whole screen: its lower right corner, inside the screen.
  place = TOptimizationViewer::PlaceNear(RECT{0, 0, 1280, 800}, kWindow, kScreen);
  EXPECT_EQ(place.x + kWindow.cx, 1280);
  EXPECT_EQ(place.y + kWindow.cy, 800);
  // One hanging over the screen's lower right edge: still on the screen.
  place = TOptimizationViewer::PlaceNear(RECT{600, 400, 1400, 1000}, kWindow, kScreen);
  EXPECT_EQ(place.x, 1280 - kWindow.cx);
  EXPECT_EQ(place.y, 800 - kWindow.cy);
  // One short and high up: beside it, not above the screen's top.
  place = TOptimizationViewer::PlaceNear(RECT{0, 0, 600, 100}, kWindow, kScreen);
  EXPECT_EQ(place.x, 600);
  EXPECT_EQ(place.y, 0);
}

TEST_F(OptimizationViewer, ARunOpensTheWindowClearOfTheMainWindowsMenuAndCanvas) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 1280);
  screen.SetMetric(SM_CYSCREEN, 800);
  // The editor's main window, over most of the screen's width.
  TWindow main(nullptr, "Editor");
  main.Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  main.Attr.X = 0;
  main.Attr.Y = 0;
  main.Attr.W = 1000;
  main.Attr.H = 700;
  ASSERT_TRUE(main.Create());
  TViewerRunHost host(&main);
  ASSERT_EQ(Run(host), kRunCompleted);
  TOptimizationViewer *viewer = TOptimizationViewer::Existing();
  ASSERT_NE(viewer, nullptr);
  const RECT frame = main.GetWindowRect();
  const RECT shown = viewer->GetWindowRect();
  const int width = shown.right - shown.left;
  // Right of the main window, level with its bottom: the screen has room there. The desktop
  // may shift a framed window by its own border and caption.
  constexpr int kDesktopFrameSlack = 32;
  EXPECT_NEAR(shown.left, frame.right, kDesktopFrameSlack);
  EXPECT_NEAR(shown.bottom, frame.bottom, kDesktopFrameSlack);
  // Clear of the main window's caption and menu bar, and on the screen.
  EXPECT_GT(shown.top, frame.top + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU));
  EXPECT_GT(shown.left, frame.left + width);
  EXPECT_LE(shown.right, 1280);
  EXPECT_LE(shown.bottom, 800);
  viewer->Destroy();
  delete viewer;
}

TEST_F(OptimizationViewer, StopUndoAndOkAreWholeButtonsWithTheirLabels) {
  // Buttons of 14 dialog units, within the window and side by side, each with its label's
  // ink inside its face (not slivers at the window's lower edge).
  TViewerRunHost host(nullptr);
  ASSERT_EQ(Run(host), kRunCompleted);
  TOptimizationViewer *viewer = TOptimizationViewer::Existing();
  ASSERT_NE(viewer, nullptr);
  const RECT window = viewer->GetWindowRect();
  // A button's raised edge is this wide; a label of the stock face is at least this high.
  constexpr int kButtonEdge = 3;
  constexpr int kLabelInkHeight = 6;
  // 14 dialog units of an 8-point face are over 20 pixels; a sliver is 3.
  constexpr int kButtonHeight = 18;
  for (int id : {kViewerStopButton, kViewerUndoButton, kViewerOkButton}) {
    TWindow *button = viewer->ChildWithId(id);
    ASSERT_NE(button, nullptr) << id;
    const RECT r = button->GetWindowRect();
    EXPECT_GE(r.bottom - r.top, kButtonHeight) << "button " << id;
    EXPECT_GE(r.left, window.left) << "button " << id;
    EXPECT_LE(r.bottom, window.bottom) << "button " << id;
    EXPECT_LE(r.right, window.right) << "button " << id;
    // The label's ink inside the face, clear of the 3-D edges (black once the run has
    // ended and the button is enabled).
    if (!button->IsWindowEnabled()) continue;
    button->UpdateWindow();
    const QImage whole = test_kit::WindowPixels(*button);
    const QImage face = whole.copy(kButtonEdge, kButtonEdge, whole.width() - 2 * kButtonEdge,
                                   whole.height() - 2 * kButtonEdge);
    const QRect ink = InkBox(face);
    ASSERT_FALSE(ink.isEmpty()) << "button " << id << " shows no label";
    EXPECT_GE(ink.height(), kLabelInkHeight) << "button " << id;
  }
}
