#include "viewer3d/solids/rect_element_solid.h"

#include <algorithm>
#include <cmath>

#include "viewer3d/solids/conic_profile.h"
#include "viewer3d/solids/solid_drawer.h"

namespace {

constexpr double kFlatRadiusPerDiagonal = 1000.0;

double Diagonal(double w, double h) { return std::sqrt(w * w + h * h); }

// Sag of a sphere at (x, y): |R| - sqrt(R^2 - x^2 - y^2), negated for R < 0.
double SphereSag(double R, double x, double y) {
  const double s = std::fabs(R) - std::sqrt(std::max(0.0, R * R - x * x - y * y));
  return R < 0.0 ? -s : s;
}

// A point on the edge `side` (0 top, 1 right, 2 bottom, 3 left) of a centred w x h
// rectangle, u running along it.
void EdgePoint(int side, double u, double w, double h, double &x, double &y) {
  const double along = 2.0 * u - 1.0;
  switch (side) {
    case 0: x = along * w * 0.5; y = h * 0.5; break;
    case 1: x = w * 0.5; y = along * h * 0.5; break;
    case 2: x = along * w * 0.5; y = -h * 0.5; break;
    default: x = -w * 0.5; y = along * h * 0.5; break;
  }
}

// One trapezoid of a surface between its inner (v = 0) and outer (v = 1) rectangle.
struct TTrapezoid {
  const TRectFace *face;
  double zShift;
  int side;
};

DPOINT3 TrapezoidPoint(double u, double v, void *context) {
  const TTrapezoid &t = *static_cast<const TTrapezoid *>(context);
  const TRectFace &f = *t.face;
  double x = 0.0, y = 0.0;
  EdgePoint(t.side, u, f.Wi + (f.W - f.Wi) * v, f.Hi + (f.H - f.Hi) * v, x, y);
  return DPOINT3(x, y, t.zShift + SphereSag(f.R, x, y));
}

// A wall from an edge of surface 1's rectangle (v = 0) to the same edge of surface 2's.
struct TWall {
  const TRectFace *face1;
  const TRectFace *face2;
  double L;
  int side;
  bool inner;
};

DPOINT3 WallPoint(double u, double v, void *context) {
  const TWall &w = *static_cast<const TWall *>(context);
  double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
  EdgePoint(w.side, u, w.inner ? w.face1->Wi : w.face1->W, w.inner ? w.face1->Hi : w.face1->H,
            x1, y1);
  EdgePoint(w.side, u, w.inner ? w.face2->Wi : w.face2->W, w.inner ? w.face2->Hi : w.face2->H,
            x2, y2);
  const double z1 = SphereSag(w.face1->R, x1, y1);
  const double z2 = w.L + SphereSag(w.face2->R, x2, y2);
  return DPOINT3(x1 + (x2 - x1) * v, y1 + (y2 - y1) * v, z1 + (z2 - z1) * v);
}

void ReplaceFlatRadius(TRectFace &face) {
  if (face.R == 0.0) face.R = kFlatRadiusPerDiagonal * Diagonal(face.W, face.H);
}

}  // namespace

bool BaseRectElement(TRectFace &face1, TRectFace &face2) {
  ReplaceFlatRadius(face1);
  ReplaceFlatRadius(face2);
  AdjustFaceKinds(face1.kind, face2.kind);
  for (const TRectFace *f : {&face1, &face2}) {
    const double reach = 2.0 * std::fabs(f->R);
    if (Diagonal(f->W, f->H) > reach || Diagonal(f->Wi, f->Hi) > reach) return false;
  }
  return true;
}

bool PaintBaseRectElement(TSolidDrawer &drawer, const TRectFace &face1, const TRectFace &face2,
                          double L, int quality) {
  TRectFace f1 = face1, f2 = face2;
  if (!BaseRectElement(f1, f2)) return false;
  const int cells = 2 * EffectiveQuality(quality);
  const int topRightBottomLeft[4] = {0, 1, 2, 3};
  const int rightTopLeftBottom[4] = {1, 0, 3, 2};
  for (int k = 0; k < 2; ++k) {
    const TRectFace &f = k == 0 ? f1 : f2;
    const bool halfTone = ApplySurfaceKind(drawer, f.kind);
    for (int side : topRightBottomLeft) {
      TTrapezoid piece{&f, k == 0 ? 0.0 : L, side};
      drawer.DrawSurface(TrapezoidPoint, &piece, cells, cells, halfTone);
    }
  }
  for (bool inner : {false, true}) {
    const bool halfTone = ApplySurfaceKind(drawer, kMountFace);
    for (int side : rightTopLeftBottom) {
      TWall wall{&f1, &f2, L, side, inner};
      drawer.DrawSurface(WallPoint, &wall, cells, cells, halfTone);
    }
  }
  return true;
}

void RectElementBox(const TRectFace &face1, const TRectFace &face2, double L, DPOINT3 &low,
                    DPOINT3 &high) {
  TRectFace f1 = face1, f2 = face2;
  ReplaceFlatRadius(f1);
  ReplaceFlatRadius(f2);
  const double d1 = Diagonal(f1.W, f1.H), d2 = Diagonal(f2.W, f2.H);
  const double h = 0.5 * std::max(d1, d2);
  // A sphere's sag grows from its centre to the rectangle's corner, so the corner's sag
  // (taken at the equator when the corner lies beyond it) bounds each surface.
  const double s1 = SphereSagAtDiameter(f1.R, d1), s2 = SphereSagAtDiameter(f2.R, d2);
  low = DPOINT3(-h, -h, std::min({0.0, s1, L, L + s2}));
  high = DPOINT3(h, h, std::max({0.0, s1, L, L + s2}));
}
