#pragma once
// The message pump of an optimization run as the evaluation sees it: the run publishes
// one for its duration, and every evaluation pumps it once so that the user can stop the
// run between two evaluations. The window side answers it with the run's message queue.

class TRunPump {
 public:
  virtual ~TRunPump() = default;
  // Dispatches the waiting window messages: 1 to go on, 0 when the run was stopped
  // (Escape, the progress window's Stop) or is not in progress.
  virtual int Pump() = 0;
};
