#include "viewer3d/solids/wedge_solid.h"

#include <algorithm>

#include "viewer3d/solids/solid_drawer.h"

TWedgeShape WedgeBetween(double y1Low, double y1High, double y2Low, double z2Low, double y2High,
                         double z2High, double depth1, double depth2, double x2) {
  const double half1 = 0.5 * depth1, half2 = 0.5 * depth2;
  return TWedgeShape{{DPOINT3(-half1, y1Low, 0.0), DPOINT3(half1, y1Low, 0.0), DPOINT3(half1, y1High, 0.0),
                      DPOINT3(-half1, y1High, 0.0), DPOINT3(x2 - half2, y2Low, z2Low),
                      DPOINT3(x2 + half2, y2Low, z2Low), DPOINT3(x2 + half2, y2High, z2High),
                      DPOINT3(x2 - half2, y2High, z2High)}};
}

void WedgeCorners(const TWedgeShape &w, DPOINT3 corners[8]) {
  for (int k = 0; k < 8; ++k) corners[k] = w.corners[k];
}

void PaintWedge(TSolidDrawer &drawer, const TWedgeShape &wedge) {
  DPOINT3 c[8];
  WedgeCorners(wedge, c);
  // The six faces by their corners in order round each: the two glass faces, the low and
  // high sides, the -x and +x ends.
  constexpr int kFaces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};
  drawer.SetRamps(kGlassRamp, kGlassRamp);
  for (const auto &face : kFaces) {
    drawer.Triangle(c[face[0]], c[face[1]], c[face[2]], true);
    drawer.Triangle(c[face[0]], c[face[2]], c[face[3]], true);
  }
  // Every edge once: the glass faces' outlines and the four edges joining them.
  for (int k = 0; k < 4; ++k) {
    drawer.Line(c[k], c[(k + 1) % 4], kPrismEdgeColor);
    drawer.Line(c[4 + k], c[4 + (k + 1) % 4], kPrismEdgeColor);
    drawer.Line(c[k], c[4 + k], kPrismEdgeColor);
  }
}

void WedgeBox(const TWedgeShape &wedge, DPOINT3 &low, DPOINT3 &high) {
  DPOINT3 c[8];
  WedgeCorners(wedge, c);
  low = high = c[0];
  for (const DPOINT3 &p : c) {
    low = DPOINT3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = DPOINT3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
}
