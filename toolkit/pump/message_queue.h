#pragma once
// Message pumping for long computations in the window thread. A computation enters the
// queue, pumps after every step and stops when the pump answers 0: the cancel key was
// pressed (Escape unless set otherwise, also with Alt), or the busy count was reset
// meanwhile. Enter and leave count, so nested computations share one queue.

// Dispatches every message waiting now, then returns.
void PumpWaitingMessages();

class TMessageQueue {
 public:
  TMessageQueue() = default;
  ~TMessageQueue() { Leave(1); }
  TMessageQueue(const TMessageQueue &) = delete;
  TMessageQueue &operator=(const TMessageQueue &) = delete;

  // A computation begins.
  void Enter() { ++busy; }
  // reset non-zero ends every computation; otherwise one ends. Never below 0.
  void Leave(int reset = 0);
  // 1: keep going; 0: stop. Returns 0 at once, dispatching nothing, while nothing is
  // entered; otherwise dispatches what waits and returns 0 (leaving once) when the cancel
  // key was among it. The key still reaches its window; input and posted messages queued
  // behind it wait for the message loop, so no command runs inside the computation.
  int Pump();
  void SetCancelKey(int virtualKey) { cancelKey = virtualKey; }
  int GetCancelKey() const { return cancelKey; }
  int BusyCount() const { return busy; }

 private:
  int busy = 0;
  int cancelKey = 27;  // Escape
};

// The program-wide queue that computations outside the main window use.
TMessageQueue &ProgramMessageQueue();
