// The progress window over real runs of the singlet: its fields and gauge after a run, Stop
// and Escape ending a run with the last accepted step, Ok closing it so that the next run
// makes a new one, and UnDo reaching the editor's command.

#include "optimization/windows/optimization_viewer.h"

#include <gtest/gtest.h>

#include "optimization/binding/tests/run_test_support.h"
#include "optimization/windows/viewer_run_host.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kWaitMs = 2000;

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
  viewer->ChildWithId(kViewerGauge)->UpdateWindow();
  const QImage pixels = test_kit::WindowPixels(*viewer->ChildWithId(kViewerGauge));
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
