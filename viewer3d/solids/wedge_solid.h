#pragma once
// The wedge of two flat faces (scene kind 10800): a plate whose faces are turned against
// each other, or a prism, drawn as its two surfaces bound it. Face 1 lies in the plane
// z = 0 from y = y1Low to y1High, face 2 in the y-z plane from (y2Low, z2Low) to (y2High,
// z2High); the low ends are joined, and the high ends. Face 1 runs across x from -depth1/2
// to depth1/2, face 2 from x2 - depth2/2 to x2 + depth2/2. Where the faces meet inside
// their extents both ends stand at the apex and the wedge is a triangular prism; else it
// is truncated. Six faces of two triangles each, every edge outlined.

#include "foundation/containers/points.h"

class TSolidDrawer;

struct TWedgeShape {
  double y1Low = 0.0;
  double y1High = 0.0;
  double y2Low = 0.0;
  double z2Low = 0.0;
  double y2High = 0.0;
  double z2High = 0.0;
  double depth1 = 0.0;
  double depth2 = 0.0;
  double x2 = 0.0;
};

// The eight corners: face 1's (low -x, low +x, high +x, high -x), then face 2's likewise.
void WedgeCorners(const TWedgeShape &wedge, DPOINT3 corners[8]);

void PaintWedge(TSolidDrawer &drawer, const TWedgeShape &wedge);

void WedgeBox(const TWedgeShape &wedge, DPOINT3 &low, DPOINT3 &high);
