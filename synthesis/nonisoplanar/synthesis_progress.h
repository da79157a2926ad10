#pragma once
// The progress display a long synthesis stage drives: a bar with a range and colour, a step
// that lets the window system work (and sees Escape), and the line of running times. The
// folder implements it over its gauge; headless callers may pass none.

#include "platform/core/types.h"

class TSynthesisProgress {
 public:
  virtual ~TSynthesisProgress() = default;
  // A new stage: range 0 .. maximum, the bar in `colour`, position 0.
  virtual void Begin(int maximum, COLORREF colour) = 0;
  // Moves the bar and dispatches waiting messages; 0 when the user asked to stop.
  virtual int Step(int position) = 0;
  // Shows the running times beside the bar.
  virtual void SetText(const char *text) = 0;
};
