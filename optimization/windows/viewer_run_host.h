#pragma once
// The windows around an optimization run: its message queue (the run's own, entered for the
// run) and the progress window, made when none exists and reused otherwise. Escape, or the
// window's Stop, leaves the queue, and the run ends at its next pump.

#include <functional>

#include "optimization/binding/optimization_run.h"
#include "toolkit/pump/message_queue.h"

class TWindow;

class TViewerRunHost final : public TOptimizationRunHost {
 public:
  // parent: the window that owns the progress window when one is made.
  explicit TViewerRunHost(TWindow *parent) : parent_(parent) {}
  ~TViewerRunHost() override;

  int Pump() override { return queue.Pump(); }
  void BeginRun() override;
  void IterationAccepted(const TKorvexOptz &optz) override;
  void EndRun() override;

  // After each accepted step: when set, called so the views show the changed system.
  std::function<void()> refreshViews;
  // Given to a progress window made for the run: the editor's undo command.
  std::function<void()> undo;

  TMessageQueue queue;

 private:
  TWindow *parent_;
  bool running_ = false;
};
