#include "viewer3d/solids/faceted_solids.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "viewer3d/solids/solid_drawer.h"

namespace {

// The corners of a centred rectangle at height z, counter-clockwise from (-, -).
struct TRectangle {
  DPOINT3 corner[4];
};

TRectangle Rectangle(double w, double h, double z) {
  const double x = 0.5 * w, y = 0.5 * h;
  return TRectangle{{DPOINT3(-x, -y, z), DPOINT3(x, -y, z), DPOINT3(x, y, z), DPOINT3(-x, y, z)}};
}
TRectangle Inner(const TRectSlab &s, double z) { return Rectangle(s.W - s.c, s.H - s.c, z); }
TRectangle Outer(const TRectSlab &s, double z) { return Rectangle(s.W, s.H, z); }

void Face(TSolidDrawer &drawer, const TRectangle &r, bool halfTone) {
  drawer.Triangle(r.corner[0], r.corner[1], r.corner[2], halfTone);
  drawer.Triangle(r.corner[0], r.corner[2], r.corner[3], halfTone);
}

// Four quadrilaterals of two triangles between two rectangles.
void Band(TSolidDrawer &drawer, const TRectangle &a, const TRectangle &b, bool halfTone) {
  for (int k = 0; k < 4; ++k) {
    const int next = (k + 1) % 4;
    drawer.Triangle(a.corner[k], a.corner[next], b.corner[next], halfTone);
    drawer.Triangle(a.corner[k], b.corner[next], b.corner[k], halfTone);
  }
}

void Box(const TRectSlab &s, std::initializer_list<double> depths, DPOINT3 &low, DPOINT3 &high) {
  const double x = 0.5 * std::max(std::fabs(s.W), std::fabs(s.W - s.c));
  const double y = 0.5 * std::max(std::fabs(s.H), std::fabs(s.H - s.c));
  low = DPOINT3(-x, -y, std::min(depths));
  high = DPOINT3(x, y, std::max(depths));
}

}  // namespace

void PaintRectPlate(TSolidDrawer &drawer, const TRectSlab &p) {
  drawer.SetRamps(kGlassRamp, kGlassRamp);
  Face(drawer, Inner(p, 0.0), true);
  Band(drawer, Inner(p, 0.0), Outer(p, p.e), false);
  Band(drawer, Outer(p, p.e), Outer(p, p.T - p.e), true);
  Band(drawer, Outer(p, p.T - p.e), Inner(p, p.T), false);
  Face(drawer, Inner(p, p.T), true);
}

void PaintRectMirror(TSolidDrawer &drawer, const TRectSlab &m) {
  drawer.SetRamps(kMirrorFaceRamp, kMirrorFaceRamp);
  Face(drawer, Inner(m, 0.0), false);
  Band(drawer, Inner(m, 0.0), Outer(m, m.e), false);
  drawer.SetRamps(kMountRampFirst, kMountRampLast);
  Band(drawer, Outer(m, m.e), Outer(m, m.T + m.e), false);
  Face(drawer, Outer(m, m.T + m.e), false);
}

void PaintSplitterCube(TSolidDrawer &drawer, const TRectSlab &cube) {
  drawer.SetRamps(kGlassRamp, kGlassRamp);
  const double x = 0.5 * cube.W, y = 0.5 * cube.H;
  const DPOINT3 backLow(-x, -y, cube.T - cube.c), backHigh(-x, y, cube.T - cube.c);
  const DPOINT3 frontLow(x, -y, cube.c), frontHigh(x, y, cube.c);
  drawer.Triangle(backLow, frontLow, frontHigh, false);
  drawer.Triangle(backLow, frontHigh, backHigh, false);
  Face(drawer, Inner(cube, 0.0), true);
  Band(drawer, Inner(cube, 0.0), Outer(cube, cube.c), false);
  Band(drawer, Outer(cube, cube.c), Outer(cube, cube.T - cube.c), true);
  Band(drawer, Outer(cube, cube.T - cube.c), Inner(cube, cube.T), false);
  Face(drawer, Inner(cube, cube.T), true);
}

void RectPlateBox(const TRectSlab &p, DPOINT3 &low, DPOINT3 &high) {
  Box(p, {0.0, p.e, p.T - p.e, p.T}, low, high);
}

void RectMirrorBox(const TRectSlab &m, DPOINT3 &low, DPOINT3 &high) {
  Box(m, {0.0, m.e, m.T + m.e}, low, high);
}

void SplitterCubeBox(const TRectSlab &cube, DPOINT3 &low, DPOINT3 &high) {
  Box(cube, {0.0, cube.c, cube.T - cube.c, cube.T}, low, high);
}
