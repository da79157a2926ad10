#pragma once
// What the edited system needs of the surface it is drawn on: where a world point (mm; x
// along the optical axis, y across it) lands in device pixels. The drawing canvas of the
// editor's window implements it and draws the system on it; tests use a plain scale.

#include "foundation/containers/points.h"
#include "platform/core/types.h"

class TEditCanvas {
 public:
  virtual ~TEditCanvas() = default;
  // Device point (pixels, scroll offset included) of the world point (x, y).
  virtual POINT WorldToDevice(double x, double y) const = 0;
  // Draws the polyline through count world points in the colour; a canvas without a
  // picture (a test's plain scale) draws nothing.
  virtual void DrawWorldPolyline(const DPOINT *points, int count, COLORREF color) {
    (void)points;
    (void)count;
    (void)color;
  }
};
