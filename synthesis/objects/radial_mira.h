#pragma once
// TRadialMira: the test object "Radial mira", a star of `strokes` bright sectors and as
// many dark ones that fills the object size.

#include "synthesis/objects/test_object_dlg.h"

constexpr int kRadialStrokesEdit = 12000;

class TRadialMira : public TTestObjectDlg {
 public:
  explicit TRadialMira(TTestObjectParent *page);

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // A changed stroke count makes the raster stale; fewer than one becomes one, shown.
  int ReadParameters() override;
  int ShowParameters() override;
  // Takes the box's count first, so that what the user sees is what is drawn.
  int Calculate() override;
  double ValueAt(int component, double x, double y) override;

  std::int32_t strokes = 20;

 protected:
  int Fill(Mem<float> &raster, int n) override;
};
