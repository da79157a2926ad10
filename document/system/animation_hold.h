#pragma once
// While a lens or beam run goes on, moving or paused, the system is one of the run's steps,
// and the run's end goes back one undo step to the design: an edit made meanwhile, by any
// window, would be taken back with the run without a word. Every window that writes the
// system asks here first and, while a run holds it, refuses with the word Exit says.

#include "document/system/options_image.h"

inline constexpr const char *kCompleteAnimationText = "You should complete animated process!";

// Whether a lens or beam run, or the scanner's run of the lens animation, goes on.
inline bool AnimationRuns(const TOptionsImage &options) {
  return options.lensAnimationRunning != 0 || options.beamAnimationRunning != 0;
}
