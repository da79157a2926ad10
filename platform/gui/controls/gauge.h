#pragma once
// TGauge: a drawn progress bar. The bar grows from the left (or the bottom, when vertical)
// in proportion to the value within the range; a horizontal gauge shows the format (a
// printf format with one integer, "%d %%" by default) of the percentage in its middle,
// dark over the background and light over the bar. In LED mode the bar is a row of
// segments instead, one every `spacing` units of the range, each `thickness` per cent of
// that pitch long, and no text.

#include <string>

#include "platform/gui/controls/control.h"

class TGauge : public TControl {
 public:
  TGauge(TWindow *parent, const char *format, int id, int xPos, int yPos, int w, int h, bool isHorizontal = true,
         int margin = 1, TModule *module = nullptr);
  TGauge(TWindow *parent, int resourceId, TModule *module = nullptr);

  void SetRange(int minValue, int maxValue);
  void GetRange(int &minValue, int &maxValue) const;
  // The value is kept within the range; the gauge repaints when it changes.
  void SetValue(int value);
  int GetValue() const { return value; }
  void DeltaValue(int delta) { SetValue(value + delta); }
  void SetStep(int stepSize) { step = stepSize; }
  void StepIt() { DeltaValue(step); }
  void SetColor(COLORREF color);
  // LED mode: a segment every `spacing` units of the range (0 goes back to the solid bar),
  // each thicknessPercent (1..100) of the pitch long.
  void SetLed(int spacing, int thicknessPercent = 90);
  int LedSpacing() const { return ledSpacing; }
  int LedThickness() const { return ledThickness; }
  // The whole percentage shown: (value - min) * 100 / (max - min), 0 for an empty range.
  int Percent() const;

  void Paint(TDC &dc, bool erase, RECT &rect) override;

 private:
  std::string format = "%d %%";
  bool horizontal = true;
  int margin = 1;
  int minimum = 0;
  int maximum = 100;
  int value = 0;
  int step = 10;
  COLORREF barColor;
  int ledSpacing = 0;
  int ledThickness = 90;
};
