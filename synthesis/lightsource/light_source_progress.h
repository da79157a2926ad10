#pragma once
// The progress display of the light source's mesh set-up, as the set-up sees it: the
// window that runs the set-up installs one (over its gauge), and the set-up runs without
// display and cannot be cancelled while none is installed.

class TSourceSetupProgress {
 public:
  virtual ~TSourceSetupProgress() = default;
  // Blue bar, busy state entered, range 0..maximum, position 0.
  virtual void Begin(int maximum) = 0;
  // Moves the bar and dispatches waiting window messages; 0 when the user pressed Escape.
  virtual int StepAndPump(int position) = 0;
  // The text of the progress-text control beside the bar.
  virtual void SetText(const char *text) = 0;
  // Leaves the busy state.
  virtual void End() = 0;
};

// The installed display (not owned), null when there is none.
TSourceSetupProgress *LightSourceProgress();
void SetLightSourceProgress(TSourceSetupProgress *progress);
