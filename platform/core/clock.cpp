#include "platform/core/clock.h"

#include <chrono>

namespace {
TClockProvider *currentProvider = nullptr;
}

TClockProvider *SetClockProvider(TClockProvider *provider) {
  TClockProvider *previous = currentProvider;
  currentProvider = provider;
  return previous;
}

DWORD GetTickCount() {
  if (currentProvider != nullptr) return currentProvider->TickCount();
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
