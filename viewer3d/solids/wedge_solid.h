#pragma once
// The wedge of two flat faces (scene kind 10800): a plate whose faces are turned against
// each other, or a prism, drawn as its two surfaces bound it. The solid is held by its
// eight corners: face 1's four in turn round it, then face 2's four, corner k of face 1
// joined to corner k of face 2. Where the faces meet inside their extents the joined ends
// stand at the apex and the wedge is a triangular prism; else it is truncated. Six faces
// of two triangles each, every edge outlined.

#include "foundation/containers/points.h"

class TSolidDrawer;

struct TWedgeShape {
  DPOINT3 corners[8];
};

// The wedge of the usual frame: face 1 in the plane z = 0 from y = y1Low to y1High, face 2
// in the y-z plane from (y2Low, z2Low) to (y2High, z2High), the low ends joined and the
// high ends. Face 1 runs across x from -depth1/2 to depth1/2, face 2 from x2 - depth2/2 to
// x2 + depth2/2.
TWedgeShape WedgeBetween(double y1Low, double y1High, double y2Low, double z2Low, double y2High,
                         double z2High, double depth1, double depth2, double x2);

// The eight corners: face 1's, then face 2's.
void WedgeCorners(const TWedgeShape &wedge, DPOINT3 corners[8]);

void PaintWedge(TSolidDrawer &drawer, const TWedgeShape &wedge);

void WedgeBox(const TWedgeShape &wedge, DPOINT3 &low, DPOINT3 &high);
