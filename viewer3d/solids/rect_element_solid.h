#pragma once
// The rectangular element between two spherical surfaces (scene kind 10100): each surface
// is cut by its own outer rectangle W x H and, when given, an inner one Wi x Hi (the
// hole); walls join the two outer rectangles and the two inner ones. Surface 1's vertex
// lies at the origin, surface 2's at z = L; x runs along the width, y along the height.

#include "foundation/containers/points.h"

class TSolidDrawer;

// One face: vertex radius R (0: flat, drawn as a sphere of 1000 times its diagonal), the
// rectangles' full widths and heights, flange widths F and Fi (kept in the record; they do
// not change the solid) and the face kind (TSurfaceKind).
struct TRectFace {
  double R = 0.0;
  double W = 0.0;
  double H = 0.0;
  double Wi = 0.0;
  double Hi = 0.0;
  double F = 0.0;
  double Fi = 0.0;
  int kind = 0;
};

// Radius 0 replaced and kinds adjusted; false when a sphere is narrower than the outer or
// the inner diagonal of its own rectangle (a ratio of exactly 1 passes).
bool BaseRectElement(TRectFace &face1, TRectFace &face2);

// Draws 16 pieces of 2n x 2n cells: four trapezoids of each surface, four outer and four
// inner walls. False, with nothing drawn, when the preparation fails.
bool PaintBaseRectElement(TSolidDrawer &drawer, const TRectFace &face1, const TRectFace &face2,
                          double L, int quality);

// The element's box: half the larger diagonal across, from the front to the back sag.
void RectElementBox(const TRectFace &face1, const TRectFace &face2, double L, DPOINT3 &low,
                    DPOINT3 &high);
