#pragma once
// Milliseconds from a monotonic clock through a replaceable provider, so tests can
// step time by hand.

#include "platform/core/types.h"

class TClockProvider {
 public:
  virtual ~TClockProvider() = default;
  virtual DWORD TickCount() = 0;
};

TClockProvider *SetClockProvider(TClockProvider *provider);
// Milliseconds since an arbitrary start; wraps like a 32-bit counter.
DWORD GetTickCount();
