#include "optimization/windows/viewer_run_host.h"

#include "optimization/windows/optimization_viewer.h"

TViewerRunHost::~TViewerRunHost() {
  // A run that ended without EndRun must not leave the window its queue.
  if (running_) EndRun();
}

void TViewerRunHost::BeginRun() {
  queue.Enter();
  TOptimizationViewer *viewer = TOptimizationViewer::Existing();
  if (viewer == nullptr) {
    viewer = new TOptimizationViewer(parent_);
    if (!viewer->Create()) {
      delete viewer;
      viewer = nullptr;
    } else {
      viewer->ShowPlaced();
    }
  }
  // A window left from an earlier run takes back this run's step.
  if (viewer != nullptr) {
    viewer->undo = undo;
    viewer->BeginRun(&queue);
  }
  running_ = true;
}

void TViewerRunHost::IterationAccepted(const TKorvexOptz &) {
  if (refreshViews) refreshViews();
}

void TViewerRunHost::EndRun() {
  running_ = false;
  queue.Leave(1);
  // The window may have been closed during the run: only the one that exists is told.
  if (TOptimizationViewer *viewer = TOptimizationViewer::Existing()) viewer->EndRun();
}
