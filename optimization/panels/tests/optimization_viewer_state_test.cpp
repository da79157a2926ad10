// The progress window's state: a run's queue is left once by Stop and never reached after
// the run ended, Ok during a run stops it and leaves the optimizer nothing to write to, and
// the buttons follow the run.

#include "optimization/panels/optimization_viewer_state.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TCountingQueue final : public TRunQueue {
 public:
  void Leave() override { ++left; }
  int left = 0;
};

}  // namespace

TEST(OptimizationViewerState, StopLeavesTheRunsQueueOnceAndTheEndOfTheRunNeverAgain) {
  TOptimizationViewerState viewer;
  EXPECT_EQ(CurrentOptimizationViewer(), &viewer);
  auto queue = std::make_unique<TCountingQueue>();
  viewer.AttachRun(queue.get());
  EXPECT_TRUE(viewer.StopEnabled());
  EXPECT_FALSE(viewer.OkEnabled());
  EXPECT_FALSE(viewer.UndoEnabled());
  viewer.EndRun();  // Stop
  EXPECT_EQ(queue->left, 1);
  EXPECT_TRUE(viewer.OkEnabled());
  EXPECT_TRUE(viewer.UndoEnabled());
  const int left = queue->left;
  queue.reset();     // the run's queue goes with the run
  viewer.EndRun();   // the run's own end, and a later Stop, reach nothing
  viewer.Ok();
  EXPECT_EQ(left, 1);
}

TEST(OptimizationViewerState, OkDuringARunStopsItAndTheOptimizerNoLongerReachesTheWindow) {
  TCountingQueue queue;
  auto viewer = std::make_unique<TOptimizationViewerState>();
  viewer->AttachRun(&queue);
  EXPECT_TRUE(viewer->Cancel());  // Escape
  EXPECT_EQ(queue.left, 1);
  EXPECT_EQ(CurrentOptimizationViewer(), nullptr);
  viewer.reset();
  EXPECT_EQ(CurrentOptimizationViewer(), nullptr);
  // A later window is the current one of the next run.
  TOptimizationViewerState next;
  EXPECT_EQ(CurrentOptimizationViewer(), &next);
}

TEST(OptimizationViewerState, GaugeIsHeldInItsRangeAndChangesAreAnnouncedOnce) {
  TOptimizationViewerState viewer;
  int announced = 0;
  viewer.changed = [&announced](int) { ++announced; };
  viewer.SetGaugePosition(140);
  EXPECT_EQ(viewer.Gauge(), 100);
  viewer.SetGaugePosition(250);  // still 100: nothing to repaint
  viewer.SetGaugePosition(-3);
  EXPECT_EQ(viewer.Gauge(), 0);
  viewer.SetFieldText(kViewerStage, "Computing derivatives");
  viewer.SetFieldText(kViewerStage, "Computing derivatives");
  EXPECT_EQ(viewer.Field(kViewerStage), "Computing derivatives");
  EXPECT_EQ(announced, 3);
}

TEST(OptimizationViewerState, UndoWaitsForTheEndOfTheRun) {
  TOptimizationViewerState viewer;
  int undone = 0;
  viewer.undo = [&undone] { ++undone; };
  viewer.AttachRun(nullptr);
  viewer.Undo();
  EXPECT_EQ(undone, 0);
  viewer.EndRun();
  viewer.Undo();
  EXPECT_EQ(undone, 1);
}
