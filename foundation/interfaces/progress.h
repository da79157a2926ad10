#pragma once
// The interfaces area holds what numeric code asks of the toolkit without including it: the
// progress gauge, mesh functions, the toolkit's plain records. It uses
// foundation/containers and platform/core.
//
// The progress gauge as long numeric work sees it: a bar with a range, a step that also
// lets the window system process what is waiting (and sees Escape), and a line of text
// beside the bar. The toolkit's gauge implements it; the numeric code never includes Qt.

// Control of the gauge's parent window that shows the running times of a job.
constexpr int kProgressTextControl = 10221;

class TProgressGauge {
 public:
  virtual ~TProgressGauge() = default;
  // Moves the bar to `position` and dispatches the waiting window messages. Answers 0 when
  // the user pressed Escape (the job is to stop), otherwise non-zero.
  virtual int StepAndPump(double position) = 0;
  // The upper end of the bar's range.
  virtual int Maximum() const = 0;
  // Shows `text` in the progress-text control of the gauge's parent window.
  virtual void SetText(const char *text) = 0;
};
