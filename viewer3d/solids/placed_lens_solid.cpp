#include "viewer3d/solids/placed_lens_solid.h"

#include <algorithm>
#include <cmath>

#include "viewer3d/solids/conic_profile.h"
#include "viewer3d/solids/revolution_pieces.h"
#include "viewer3d/solids/solid_drawer.h"

namespace {

// A flat face is drawn as a sphere this many diameters in radius, as the round element's.
constexpr double kFlatRadiusPerDiameter = 1000.0;
// Radii sampled along each face for its box.
constexpr int kBoxRadii = 16;

// A face's frame: its vertex, the two directions of its plane and its axis.
struct TFaceFrame {
  DPOINT3 origin, across, up, axis;
};

DPOINT3 Along(const TFaceFrame &f, double x, double y, double z) {
  return DPOINT3(f.origin.x + x * f.across.x + y * f.up.x + z * f.axis.x,
                 f.origin.y + x * f.across.y + y * f.up.y + z * f.axis.y,
                 f.origin.z + x * f.across.z + y * f.up.z + z * f.axis.z);
}

TFaceFrame FrameOf(const TPlacedLensShape &shape, int k) {
  if (k == 0) return TFaceFrame{DPOINT3(), DPOINT3(1, 0, 0), DPOINT3(0, 1, 0), DPOINT3(0, 0, 1)};
  const DPOINT3 &a = shape.axis2;
  DPOINT3 x = shape.across2;
  double length = std::sqrt(x.x * x.x + x.y * x.y + x.z * x.z);
  if (length < 1e-6) {
    // Face 1's x laid into face 2's plane (its y where the axis leans along x).
    x = DPOINT3(1.0 - a.x * a.x, -a.x * a.y, -a.x * a.z);
    length = std::sqrt(x.x * x.x + x.y * x.y + x.z * x.z);
  }
  if (length < 1e-6) {
    x = DPOINT3(-a.y * a.x, 1.0 - a.y * a.y, -a.y * a.z);
    length = std::sqrt(x.x * x.x + x.y * x.y + x.z * x.z);
  }
  x = DPOINT3(x.x / length, x.y / length, x.z / length);
  const DPOINT3 y(a.y * x.z - a.z * x.y, a.z * x.x - a.x * x.z, a.x * x.y - a.y * x.x);
  return TFaceFrame{shape.vertex2, x, y, a};
}

// A face bounded by a rectangle, or by an ellipse; else a circle.
bool IsRect(const TPlacedLensShape &shape, int k) { return shape.W[k] > 0.0 && !shape.ellipse[k]; }
bool IsEllipse(const TPlacedLensShape &shape, int k) { return shape.W[k] > 0.0 && shape.ellipse[k]; }

const TRoundFace &FaceOf(const TPlacedLensShape &shape, int k) { return k == 0 ? shape.face1 : shape.face2; }

// The radii from the face's axis of its inner and outer rims, at their nearest and farthest.
double InnerReach(const TPlacedLensShape &shape, int k) {
  const TRoundFace &f = FaceOf(shape, k);
  return 0.5 * (shape.W[k] > 0.0 ? std::min(shape.Wi[k], f.Di) : f.Di);
}

double OuterReach(const TPlacedLensShape &shape, int k) {
  const TRoundFace &f = FaceOf(shape, k);
  if (IsEllipse(shape, k)) return 0.5 * std::max(shape.W[k], f.D);
  return 0.5 * (IsRect(shape, k) ? std::hypot(shape.W[k], f.D) : f.D);
}

TRoundFace Prepared(const TPlacedLensShape &shape, int k) {
  TRoundFace face = FaceOf(shape, k);
  if (face.R == 0.0) face.R = kFlatRadiusPerDiameter * 2.0 * OuterReach(shape, k);
  return face;
}

// The point at v (0..1, once round counter-clockwise from the middle of the right side) of
// the rim of a centred w x h rectangle: the corners fall at v = 1/8, 3/8, 5/8 and 7/8.
void RectRim(double w, double h, double v, double &x, double &y) {
  constexpr double kKnot[6] = {0.0, 1.0, 3.0, 5.0, 7.0, 8.0};
  constexpr double kX[6] = {1.0, 1.0, -1.0, -1.0, 1.0, 1.0}, kY[6] = {0.0, 1.0, 1.0, -1.0, -1.0, 0.0};
  const double t = 8.0 * (v - std::floor(v));
  int j = 0;
  while (j < 4 && t > kKnot[j + 1]) ++j;
  const double f = (t - kKnot[j]) / (kKnot[j + 1] - kKnot[j]);
  x = 0.5 * w * (kX[j] + (kX[j + 1] - kX[j]) * f);
  y = 0.5 * h * (kY[j] + (kY[j + 1] - kY[j]) * f);
}

// The point at v (0..1, once round counter-clockwise from the end of its x axis) of a
// centred ellipse w wide along x and h high along y: (w/2 cos 2 pi v, h/2 sin 2 pi v).
void EllipseRim(double w, double h, double v, double &x, double &y) {
  x = 0.5 * w * std::cos(kFullTurn * v);
  y = 0.5 * h * std::sin(kFullTurn * v);
}

// One face as drawn: a round one along its profile from the inner to the outer rim, at the
// angle phiStart + phiSpan v; a rectangular or elliptical one straight from the inner to the
// outer rim, the point at v of each.
struct TFacePiece {
  const TPlacedLensShape *shape;
  int k;
  TRoundFace face;
  TConicProfile profile;
  double t0, t1, phiStart, phiSpan;

  TFacePiece(const TPlacedLensShape &s, int kk, double start, double span)
      : shape(&s), k(kk), face(Prepared(s, kk)), profile(face.R, face.e), t0(profile.Parameter(0.5 * face.Di)),
        t1(profile.Parameter(0.5 * face.D)), phiStart(start), phiSpan(span) {}
  bool Drawable() const { return profile.Reaches(OuterReach(*shape, k)) && profile.Reaches(InnerReach(*shape, k)); }
};

DPOINT3 FacePiecePoint(double u, double v, void *context) {
  const TFacePiece &p = *static_cast<const TFacePiece *>(context);
  const TFaceFrame frame = FrameOf(*p.shape, p.k);
  if (p.shape->W[p.k] > 0.0) {
    const auto rim = IsEllipse(*p.shape, p.k) ? EllipseRim : RectRim;
    double xi = 0.0, yi = 0.0, xo = 0.0, yo = 0.0;
    rim(p.shape->Wi[p.k], p.face.Di, v, xi, yi);
    rim(p.shape->W[p.k], p.face.D, v, xo, yo);
    const double x = xi + (xo - xi) * u, y = yi + (yo - yi) * u;
    return Along(frame, x, y, p.profile.Sag(std::hypot(x, y)));
  }
  double rho = 0.0, z = 0.0;
  p.profile.PointAt(p.t0 + (p.t1 - p.t0) * u, rho, z);
  const double phi = p.phiStart + p.phiSpan * v;
  return Along(frame, rho * std::cos(phi), rho * std::sin(phi), z);
}

// The wall between the faces' outer (u = 1) or inner (u = 0) rims, point v of one to point
// v of the other.
struct TWallPiece {
  TFacePiece *faces[2];
  double rim;
};

DPOINT3 WallPiecePoint(double u, double v, void *context) {
  const TWallPiece &w = *static_cast<const TWallPiece *>(context);
  const DPOINT3 a = FacePiecePoint(w.rim, v, w.faces[0]), b = FacePiecePoint(w.rim, v, w.faces[1]);
  return DPOINT3(a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u);
}

}  // namespace

DPOINT3 PlacedLensFacePoint(const TPlacedLensShape &shape, int k, double u, double v) {
  TFacePiece piece(shape, k, 0.0, kFullTurn);
  return FacePiecePoint(u, v, &piece);
}

bool PaintPlacedLens(TSolidDrawer &drawer, const TPlacedLensShape &shape, int quality, double phi1, double phi2) {
  // The section opens a lens of two round faces only: a rectangle or an ellipse is drawn
  // whole.
  const bool rect = IsRect(shape, 0) || IsRect(shape, 1);
  const bool whole = shape.W[0] > 0.0 || shape.W[1] > 0.0;
  const double phiStart = whole ? 0.0 : phi2, phiSpan = whole ? kFullTurn : kFullTurn + phi1 - phi2;
  TFacePiece faces[2] = {TFacePiece(shape, 0, phiStart, phiSpan), TFacePiece(shape, 1, phiStart, phiSpan)};
  if (!faces[0].Drawable() || !faces[1].Drawable()) return false;
  AdjustFaceKinds(faces[0].face.kind, faces[1].face.kind);
  const int n = EffectiveQuality(quality);
  // Round a rectangle the cells' edges meet its corners.
  const int around = rect ? 8 * ((n + 1) / 2) : 4 * n;
  for (TFacePiece &face : faces)
    drawer.DrawSurface(FacePiecePoint, &face, n, around, ApplySurfaceKind(drawer, face.face.kind));
  const bool mount = ApplySurfaceKind(drawer, kMountFace);
  for (const double rim : {1.0, 0.0}) {
    TWallPiece wall{{&faces[0], &faces[1]}, rim};
    // Drawn even without a hole, where it shrinks to the line between the vertices.
    drawer.DrawSurface(WallPiecePoint, &wall, 1, rect ? around : 15 * n, mount);
  }
  return true;
}

void PlacedLensBox(const TPlacedLensShape &shape, DPOINT3 &low, DPOINT3 &high) {
  low = DPOINT3(HUGE_VAL, HUGE_VAL, HUGE_VAL);
  high = DPOINT3(-HUGE_VAL, -HUGE_VAL, -HUGE_VAL);
  for (int k = 0; k < 2; ++k) {
    const TRoundFace face = Prepared(shape, k);
    const TConicProfile profile(face.R, face.e);
    const TFaceFrame f = FrameOf(shape, k);
    const double inner = InnerReach(shape, k), outer = OuterReach(shape, k);
    // A circle of radius rho about the axis reaches rho sqrt(1 - a_i^2) either side along
    // each axis i; a face lies within the circles of its radii.
    for (int j = 0; j <= kBoxRadii; ++j) {
      const double rho = inner + (outer - inner) * j / kBoxRadii;
      const DPOINT3 c = Along(f, 0.0, 0.0, profile.Sag(rho));
      const DPOINT3 reach(rho * std::sqrt(std::max(0.0, 1.0 - f.axis.x * f.axis.x)),
                          rho * std::sqrt(std::max(0.0, 1.0 - f.axis.y * f.axis.y)),
                          rho * std::sqrt(std::max(0.0, 1.0 - f.axis.z * f.axis.z)));
      low = DPOINT3(std::min(low.x, c.x - reach.x), std::min(low.y, c.y - reach.y), std::min(low.z, c.z - reach.z));
      high = DPOINT3(std::max(high.x, c.x + reach.x), std::max(high.y, c.y + reach.y), std::max(high.z, c.z + reach.z));
    }
  }
}
