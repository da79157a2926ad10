#include "platform/core/cursor.h"

namespace {
TCursorProvider *currentProvider = nullptr;
}

TCursorProvider *SetCursorProvider(TCursorProvider *provider) {
  TCursorProvider *previous = currentProvider;
  currentProvider = provider;
  return previous;
}

void SetCursorShape(TCursorShape shape) {
  if (currentProvider != nullptr) currentProvider->SetCursorShape(shape);
}
