#pragma once
// TSquareMira: the test object "Square mira", a grid of groups x groups groups, each with
// vertical, horizontal and two diagonal quadrants of bars whose width falls from the first
// group (strokesMin bars a quadrant) to the last (strokesMax). It keeps its raster in
// `plane`, which its field brightness samples.

#include "synthesis/objects/test_object_dlg.h"

enum TSquareMiraControl : int {
  kSquareGroupsEdit = 12050,
  kSquareStrokesMinEdit = 12060,
  kSquareStrokesMaxEdit = 12055,
};

class TSquareMira : public TTestObjectDlg {
 public:
  explicit TSquareMira(TTestObjectParent *page);

  bool Find(TEventInfo &info) override;
  // Every set-up restores 1 group of 10 to 10 strokes.
  void SetupWindow() override;

  // Groups and strokes of at least 1, the maximum at least the minimum (corrected without
  // rewriting the boxes); a change makes the raster stale.
  int ReadParameters() override;
  int ShowParameters() override;
  // On the synthesis's N, or on the picture's side for the field-node synthesis.
  int Calculate() override;
  double ValueAt(int component, double x, double y) override;

  std::int32_t groups = 1;
  std::int32_t strokesMin = 10;
  std::int32_t strokesMax = 10;

 protected:
  int Fill(Mem<float> &raster, int n) override;
};
