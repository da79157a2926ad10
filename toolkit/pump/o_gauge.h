#pragma once
// TOGauge: a progress bar with a floating-point range that lets the window system run each
// time its position is set, so a long computation shows how far it is and stops at Escape.
// In a dialog it is laid over a placeholder control of the template (MoveOverControl once
// the dialog is set up). It is the progress gauge the numeric code sees (TProgressGauge):
// its text goes to the progress-text control of the same dialog.

#include "foundation/interfaces/progress.h"
#include "platform/gui/controls/gauge.h"
#include "toolkit/pump/message_queue.h"

class TOGauge : public TGauge, public TProgressGauge {
 public:
  // A gauge of its own place, without placeholder.
  TOGauge(TWindow *parentWindow, const char *titleText, int id, int xPos, int yPos, int w, int h,
          bool isHorizontal = true, int barMargin = 1, TModule *module = nullptr);
  // A gauge for the dialog's template control `id`, whose place it takes; format null
  // shows "%d %%".
  TOGauge(TWindow *parentWindow, int id, const char *formatText = nullptr,
          bool isHorizontal = true, int barMargin = 1, TModule *module = nullptr);

  bool Create() override;
  // Moves the gauge onto the placeholder's rectangle; nothing without a placeholder.
  void MoveOverControl();

  void SetRange(double minValue, double maxValue);
  void GetRange(double &minValue, double &maxValue) const;
  double GetPosition() const { return position; }
  // The bar shows the whole part of (value - min) x 100 / (max - min), which is also the
  // answer: 0 for an empty range or a value that is not a number, and never outside 0..100.
  int SetPosition(double newPosition);
  // SetPosition, then Pump: 0 when the computation is to stop.
  int StepAndPump(double newPosition) override;

  int Pump() { return queue.Pump(); }
  void Enter() { queue.Enter(); }
  void Leave(int reset = 0) { queue.Leave(reset); }
  void SetCancelKey(int key) { queue.SetCancelKey(key); }
  TMessageQueue &Queue() { return queue; }

  // TProgressGauge: the upper end of the range, whole; the text of the parent's
  // progress-text control.
  int Maximum() const override;
  void SetText(const char *text) override;

 private:
  TMessageQueue queue;
  TControl *placeholder = nullptr;  // a child of the parent, which owns it
  int gaugeId;
  double minimum = 0.0;
  double maximum = 100.0;
  double position = 0.0;
};
