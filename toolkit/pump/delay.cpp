#include "toolkit/pump/delay.h"

#include <chrono>
#include <thread>

#include "platform/core/clock.h"
#include "toolkit/pump/message_queue.h"

TDelay::TDelay() : start(0.0), mark(0.0), now(0.0), lastTick(GetTickCount()) {}

double TDelay::ReadClock() {
  const DWORD tick = GetTickCount();
  // Unsigned difference: correct across the counter's wrap.
  const DWORD step = tick - lastTick;
  lastTick = tick;
  now += static_cast<double>(step) / 1000.0;
  return now;
}

int TDelay::Elapsed(double seconds) {
  ReadClock();
  if (!(seconds > 0.0) || now - mark >= seconds) {
    mark = now;
    return 1;
  }
  return 0;
}

void TDelay::Wait(double seconds) {
  TDelay stopwatch;
  while (!stopwatch.Elapsed(seconds)) {
    // No messages while waiting; a short sleep spares the processor.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void TDelay::WaitPumping(double seconds) {
  TDelay stopwatch;
  while (!stopwatch.Elapsed(seconds)) {
    PumpWaitingMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}
