#pragma once
// The light source's preview window and the progress display of its mesh set-up over the
// toolkit's gauge.

#include "synthesis/lightsource/light_source_progress.h"

class TLightSource;
class TOGauge;
class TPaint3D;
class TWindow;

// Opens the 3-D window "Light Source" beside `parent` (at its top-right corner, 300 x 300
// pixels) and draws the source: zones as clouds of points coloured by zone, meshes as
// shaded triangles coloured by object temperature, with white axes. The parent owns the
// window. A zone source without zones only says "Quantity zones equal zerro!!" and opens
// nothing; null then, as when the window cannot be made.
TPaint3D *PaintLightSource(TWindow *parent, TLightSource &source);

// The mesh set-up's progress on a toolkit gauge: a blue bar of LEDs, Escape cancels.
class TGaugeSourceProgress final : public TSourceSetupProgress {
 public:
  explicit TGaugeSourceProgress(TOGauge &gauge) : gauge_(gauge) {}
  void Begin(int maximum) override;
  int StepAndPump(int position) override;
  void SetText(const char *text) override;
  void End() override;

 private:
  TOGauge &gauge_;
};
