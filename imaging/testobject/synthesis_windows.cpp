#include "imaging/testobject/synthesis_windows.h"

namespace {
TSynthesisWindows *synthesisWindows = nullptr;
}  // namespace

TSynthesisWindows *SetSynthesisWindows(TSynthesisWindows *windows) {
  TSynthesisWindows *previous = synthesisWindows;
  synthesisWindows = windows;
  return previous;
}

TSynthesisWindows *GetSynthesisWindows() { return synthesisWindows; }
