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
  // Face 1's x laid into face 2's plane (its y where the axis leans along x).
  DPOINT3 x(1.0 - a.x * a.x, -a.x * a.y, -a.x * a.z);
  double length = std::sqrt(x.x * x.x + x.y * x.y + x.z * x.z);
  if (length < 1e-6) {
    x = DPOINT3(-a.y * a.x, 1.0 - a.y * a.y, -a.y * a.z);
    length = std::sqrt(x.x * x.x + x.y * x.y + x.z * x.z);
  }
  x = DPOINT3(x.x / length, x.y / length, x.z / length);
  const DPOINT3 y(a.y * x.z - a.z * x.y, a.z * x.x - a.x * x.z, a.x * x.y - a.y * x.x);
  return TFaceFrame{shape.vertex2, x, y, a};
}

TRoundFace Prepared(TRoundFace face) {
  if (face.R == 0.0) face.R = kFlatRadiusPerDiameter * face.D;
  return face;
}

const TRoundFace &FaceOf(const TPlacedLensShape &shape, int k) { return k == 0 ? shape.face1 : shape.face2; }

struct TFacePiece {
  const TPlacedLensShape *shape;
  int k;
  const TConicProfile *profile;
  double t0, t1, phiStart, phiSpan;
};

DPOINT3 FacePiecePoint(double u, double v, void *context) {
  const TFacePiece &p = *static_cast<const TFacePiece *>(context);
  double rho = 0.0, z = 0.0;
  p.profile->PointAt(p.t0 + (p.t1 - p.t0) * u, rho, z);
  const double phi = p.phiStart + p.phiSpan * v;
  return Along(FrameOf(*p.shape, p.k), rho * std::cos(phi), rho * std::sin(phi), z);
}

// The wall between the faces' rims of the given radii (outer or inner).
struct TWallPiece {
  const TPlacedLensShape *shape;
  double rho[2], z[2];
  double phiStart, phiSpan;
};

DPOINT3 WallPiecePoint(double u, double v, void *context) {
  const TWallPiece &w = *static_cast<const TWallPiece *>(context);
  const double phi = w.phiStart + w.phiSpan * v;
  const DPOINT3 a = Along(FrameOf(*w.shape, 0), w.rho[0] * std::cos(phi), w.rho[0] * std::sin(phi), w.z[0]);
  const DPOINT3 b = Along(FrameOf(*w.shape, 1), w.rho[1] * std::cos(phi), w.rho[1] * std::sin(phi), w.z[1]);
  return DPOINT3(a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u);
}

}  // namespace

DPOINT3 PlacedLensFacePoint(const TPlacedLensShape &shape, int k, double u, double v) {
  const TRoundFace face = Prepared(FaceOf(shape, k));
  const TConicProfile profile(face.R, face.e);
  TFacePiece piece{&shape, k, &profile, profile.Parameter(0.5 * face.Di), profile.Parameter(0.5 * face.D), 0.0, kFullTurn};
  return FacePiecePoint(u, v, &piece);
}

bool PaintPlacedLens(TSolidDrawer &drawer, const TPlacedLensShape &shape, int quality, double phi1, double phi2) {
  TRoundFace faces[2] = {Prepared(shape.face1), Prepared(shape.face2)};
  for (const TRoundFace &f : faces) {
    const TConicProfile profile(f.R, f.e);
    if (!profile.Reaches(0.5 * f.D) || !profile.Reaches(0.5 * f.Di)) return false;
  }
  AdjustFaceKinds(faces[0].kind, faces[1].kind);
  const int n = EffectiveQuality(quality);
  const double phiStart = phi2, phiSpan = kFullTurn + phi1 - phi2;
  const TConicProfile profiles[2] = {TConicProfile(faces[0].R, faces[0].e), TConicProfile(faces[1].R, faces[1].e)};
  for (int k = 0; k < 2; ++k) {
    TFacePiece piece{&shape, k, &profiles[k], profiles[k].Parameter(0.5 * faces[k].Di),
                     profiles[k].Parameter(0.5 * faces[k].D), phiStart, phiSpan};
    drawer.DrawSurface(FacePiecePoint, &piece, n, 4 * n, ApplySurfaceKind(drawer, faces[k].kind));
  }
  const bool mount = ApplySurfaceKind(drawer, kMountFace);
  for (const bool outer : {true, false}) {
    TWallPiece wall{&shape, {}, {}, phiStart, phiSpan};
    for (int k = 0; k < 2; ++k) {
      wall.rho[k] = 0.5 * (outer ? faces[k].D : faces[k].Di);
      wall.z[k] = profiles[k].Sag(wall.rho[k]);
    }
    // Drawn even without a hole, where it shrinks to the line between the vertices.
    drawer.DrawSurface(WallPiecePoint, &wall, 1, 15 * n, mount);
  }
  return true;
}

void PlacedLensBox(const TPlacedLensShape &shape, DPOINT3 &low, DPOINT3 &high) {
  low = DPOINT3(HUGE_VAL, HUGE_VAL, HUGE_VAL);
  high = DPOINT3(-HUGE_VAL, -HUGE_VAL, -HUGE_VAL);
  for (int k = 0; k < 2; ++k) {
    const TRoundFace face = Prepared(FaceOf(shape, k));
    const TConicProfile profile(face.R, face.e);
    const TFaceFrame f = FrameOf(shape, k);
    // A circle of radius rho about the axis reaches rho sqrt(1 - a_i^2) either side along
    // each axis i; a face lies within the circles of its radii.
    for (int j = 0; j <= kBoxRadii; ++j) {
      const double rho = 0.5 * (face.Di + (face.D - face.Di) * j / kBoxRadii);
      const DPOINT3 c = Along(f, 0.0, 0.0, profile.Sag(rho));
      const DPOINT3 reach(rho * std::sqrt(std::max(0.0, 1.0 - f.axis.x * f.axis.x)),
                          rho * std::sqrt(std::max(0.0, 1.0 - f.axis.y * f.axis.y)),
                          rho * std::sqrt(std::max(0.0, 1.0 - f.axis.z * f.axis.z)));
      low = DPOINT3(std::min(low.x, c.x - reach.x), std::min(low.y, c.y - reach.y), std::min(low.z, c.z - reach.z));
      high = DPOINT3(std::max(high.x, c.x + reach.x), std::max(high.y, c.y + reach.y), std::max(high.z, c.z + reach.z));
    }
  }
}
