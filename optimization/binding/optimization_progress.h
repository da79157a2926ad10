#pragma once
// The progress window of an optimization run as the optimizer sees it: texts in its fields
// and the position of its gauge. The program keeps one current viewer; the window sets it
// while it exists and clears it when it goes, and the optimizer writes through it only
// while it is set, so a window closed during a run is never reached.

#include <string>

// Field ids of the progress window.
enum TOptimizationViewerField : int {
  kViewerCurrentMerit = 102,
  kViewerPreviousMerit = 103,
  kViewerCurrentUnweighted = 104,
  kViewerPreviousUnweighted = 105,
  kViewerIteration = 106,
  kViewerSpeed = 107,
  kViewerStage = 110,
  kViewerFunction = 111,
  kViewerParameter = 112,
  kViewerTime = 114,
  kViewerStoppedRays = 116,
  kViewerGauge = 11799,
};

class TOptimizationProgress {
 public:
  virtual ~TOptimizationProgress() = default;
  virtual void SetFieldText(int id, const std::string &text) = 0;
  // 0 .. 100 (held within that range), shown at once.
  virtual void SetGaugePosition(int position) = 0;
};

// The current viewer, or null when no progress window exists.
TOptimizationProgress *CurrentOptimizationViewer();
void SetCurrentOptimizationViewer(TOptimizationProgress *viewer);
