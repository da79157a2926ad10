#pragma once
// What the optimization progress window holds and decides, without its window: the texts of
// its fields, its gauge, which buttons are enabled, and the run it may stop. The window
// shows this state and forwards its buttons here.
//
// The window outlives runs and is reused by the next one, while each run's message queue
// lives only as long as the run. So the queue is lent to the window for one run
// (AttachRun) and taken back when the run ends (EndRun): Stop, Ok and Escape never reach a
// queue that is gone.

#include <functional>
#include <map>
#include <string>

#include "optimization/binding/optimization_progress.h"

// The message queue of a run as the window sees it: leaving it makes the run's next pump
// report a cancellation.
class TRunQueue {
 public:
  virtual ~TRunQueue() = default;
  virtual void Leave() = 0;
};

class TOptimizationViewerState : public TOptimizationProgress {
 public:
  static constexpr int kGaugeMinimum = 0;
  static constexpr int kGaugeMaximum = 100;

  // Becomes the current viewer.
  TOptimizationViewerState();
  // Stops being the current viewer (when it is).
  ~TOptimizationViewerState() override;
  TOptimizationViewerState(const TOptimizationViewerState &) = delete;
  TOptimizationViewerState &operator=(const TOptimizationViewerState &) = delete;

  void SetFieldText(int id, const std::string &text) override;
  void SetGaugePosition(int position) override;

  // A run begins with its queue (may be null): Stop enabled, Ok and UnDo disabled.
  void AttachRun(TRunQueue *queue);
  // Stop, and the end of a run: the run's queue is left (once) and given back; Ok and UnDo
  // become available.
  void EndRun();
  // Ok: a run still in progress is stopped first. Answers whether the window may close.
  bool Ok();
  // UnDo: steps the edited system back once (not while a run is in progress).
  void Undo();
  // Escape closes the window like Ok: a run in progress is stopped, and the optimizer no
  // longer reaches the window once it is gone.
  bool Cancel() { return Ok(); }

  std::string Field(int id) const;
  int Gauge() const { return gauge_; }
  bool Running() const { return running_; }
  bool OkEnabled() const { return !running_; }
  bool UndoEnabled() const { return !running_; }
  bool StopEnabled() const { return running_; }

  // Called after every change of a field, the gauge or the buttons (the window repaints).
  std::function<void(int id)> changed;
  // The editor's undo command.
  std::function<void()> undo;

 private:
  void Changed(int id);

  std::map<int, std::string> fields_;
  int gauge_ = kGaugeMinimum;
  bool running_ = false;
  TRunQueue *queue_ = nullptr;
};

// Ids of the window's buttons.
enum TOptimizationViewerButton : int {
  kViewerOkButton = 1,
  kViewerUndoButton = 108,
  kViewerStopButton = 200,
};
