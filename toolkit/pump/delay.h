#pragma once
// TDelay: a stopwatch in seconds with a busy wait and a pumping wait (pauses of the splash
// window and the 3-D viewer).
//
// Time comes from the monotonic millisecond clock (GetTickCount), accumulated as it goes,
// so a wait never sees time run backwards: not at midnight, not when the counter wraps,
// not when the wall clock is set.

#include "platform/core/types.h"

class TDelay {
 public:
  TDelay();

  // 1 when at least the given seconds passed since the last mark (and marks now), else 0.
  // Zero, negative or not-a-number seconds have always passed.
  int Elapsed(double seconds);
  // Waits the given seconds without dispatching any message.
  static void Wait(double seconds);
  // Waits the given seconds, dispatching waiting messages all along.
  static void WaitPumping(double seconds);

  double StartTime() const { return start; }
  double MarkTime() const { return mark; }
  double NowTime() const { return now; }

 private:
  double ReadClock();

  double start;
  double mark;
  double now;
  DWORD lastTick;
};
