#include "editor/launchers/system_scene.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/elements/edit_surface.h"
#include "document/elements/element_grouping.h"
#include "document/system/system_image.h"
#include "foundation/numerics/pi.h"
#include "optics/frames/solid_orientation.h"
#include "viewer3d/scene/viewer_scene.h"
#include "viewer3d/solids/solid_drawer.h"

namespace {

// A flat surface stands in the scene as a sphere of this radius.
constexpr double kFlatRadius = 10000.0;
// A mirror is a plate of a fifteenth of its height; a refracting surface alone a film of
// a fortieth of it, at most 0.01 mm.
constexpr double kMirrorThicknessShare = 1.0 / 15.0;
constexpr double kFilmThicknessShare = 0.025;
constexpr double kFilmThicknessMax = 0.01;
// The fan's radius: this share of the widest passing probe.
constexpr double kFanRadiusShare = 0.8;
constexpr double kDegree = 0.01745329251994;
// Two flat faces whose axes differ by less than this (radians, the sine of the angle) are
// parallel: a plate rather than a wedge.
constexpr double kParallelFaces = 1e-12;
// A face whose vertex lies off its partner's axis by more than this (mm) is decentred.
constexpr double kCoaxialFaces = 1e-9;
// A face's height within this (as a cosine) of the wedge's plane or its normal lies along it.
constexpr double kAlignedFaces = 1e-9;

DPOINT3 Vertex(const TSurface &s) { return DPOINT3(s.general.vertex[0], s.general.vertex[1], s.general.vertex[2]); }

// Columns of the surface's frame in global coordinates: the axis, the local y (the height)
// and the local z (the width).
DPOINT3 FrameColumn(const TSurface &s, int column) {
  if (s.tilted == 0 || s.tiltMatrix.data == nullptr || s.tiltMatrix.cols * s.tiltMatrix.rows < 9)
    return column == 0 ? DPOINT3(1, 0, 0) : column == 1 ? DPOINT3(0, 1, 0) : DPOINT3(0, 0, 1);
  const double *m = s.tiltMatrix.data;
  return DPOINT3(m[column], m[3 + column], m[6 + column]);
}

double Dot(const DPOINT3 &a, const DPOINT3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

DPOINT3 Negated(const DPOINT3 &v) { return DPOINT3(-v.x, -v.y, -v.z); }

double Radius(const TSurface &s) { return s.general.R == 0.0 ? kFlatRadius : s.general.R; }

// The scene's signed eccentricity of the model's conic term: e |e| = Ex.
double Eccentricity(double ex) { return ex >= 0.0 ? std::sqrt(ex) : -std::sqrt(-ex); }

bool IsRectangular(const TSurface &s) {
  return s.general.boundTypeExt == kBoundSquare || s.general.boundTypeExt == kBoundRectangle;
}

// An ellipse of two positive semi-axes (one of no width is drawn as its circle).
bool IsElliptical(const TSurface &s) {
  return s.general.boundTypeExt == kBoundEllipse && s.general.semiWidthExt > 0.0 && s.general.semiHeightExt > 0.0;
}

// The reference ray's hits, and where it reached.
class TReferenceRay {
 public:
  explicit TReferenceRay(TSystemImage &system) {
    if (system.SurfaceCount() < 2) return;
    const double field = system.info.AlfaM.data != nullptr && system.info.AlfaM.cols * system.info.AlfaM.rows > 0
                             ? system.info.AlfaM.data[0]
                             : 0.0;
    if (system.SolveChiefRay(field, 0.0) < 1) return;
    TCurrentRay ray = system.MakeRay(field, 0.0, 0.0, 0.0);
    system.TraceRay(ray, kTracePlainGlobal, &hits_, 0);
  }
  // The light's direction as it arrives at surface i (its direction after i - 1).
  bool Arriving(int i, DPOINT3 &direction) const {
    const int n = hits_.Cells();
    if (i < 1 || i - 1 >= n) return false;
    const TIntersectionPoint &hit = hits_.data[i - 1];
    if (hit.x == kHitListEnd || !std::isfinite(hit.L + hit.M + hit.N)) return false;
    direction = DPOINT3(hit.L, hit.M, hit.N);
    return true;
  }

 private:
  Mem<TIntersectionPoint> hits_;
};

DPOINT3 Cross(const DPOINT3 &a, const DPOINT3 &b) {
  return DPOINT3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// Places the next solid in a whole frame: its z along `axis`, its y along `up` (unit and
// perpendicular), its x along y x z, so a rectangular face keeps its height and width
// however its surface is turned about its axis.
void Place(TViewerScene &scene, const DPOINT3 &axis, const DPOINT3 &up, const DPOINT3 &position) {
  const DPOINT3 across = Cross(up, axis);
  const double m[3][3] = {{across.x, up.x, axis.x}, {across.y, up.y, axis.y}, {across.z, up.z, axis.z}};
  scene.SetElementPlacement(EulerAnglesOfMatrix(m), position);
}

// The solid of surface s placed in the surface's frame, its z along `axis` (the surface's
// axis, or its reverse where the light meets the surface from behind).
void PlaceOnSurface(TViewerScene &scene, const TSurface &s, const DPOINT3 &axis) {
  Place(scene, axis, FrameColumn(s, 1), Vertex(s));
}

// Half the reach of the surface's outer bound from its vertex along a direction in its face
// (unit): the radius of a round face, the half chord of a rectangle or an ellipse.
double ReachAlong(const TSurface &s, const DPOINT3 &direction) {
  const double height = s.general.semiHeightExt, width = s.general.semiWidthExt;
  const double up = std::fabs(Dot(direction, FrameColumn(s, 1))), across = std::fabs(Dot(direction, FrameColumn(s, 2)));
  if (IsRectangular(s)) {
    const double byHeight = up > 0.0 ? height / up : HUGE_VAL, byWidth = across > 0.0 ? width / across : HUGE_VAL;
    return std::min(byHeight, byWidth);
  }
  if (s.general.boundTypeExt == kBoundEllipse && height > 0.0 && width > 0.0)
    return 1.0 / std::sqrt((up / height) * (up / height) + (across / width) * (across / width));
  return height;
}

TRoundFace Round(double r, double ex, const TSurface &s, int kind) {
  TRoundFace face;
  face.R = r;
  face.e = Eccentricity(ex);
  face.D = 2.0 * s.general.semiHeightExt;
  face.Di = 2.0 * s.general.semiHeightInt;
  face.kind = kind;
  return face;
}

TRectFace Rect(double r, const TSurface &s, int kind) {
  TRectFace face;
  face.R = r;
  face.W = 2.0 * s.general.semiWidthExt;
  face.H = 2.0 * s.general.semiHeightExt;
  face.Wi = 2.0 * s.general.semiWidthInt;
  face.Hi = 2.0 * s.general.semiHeightInt;
  face.kind = kind;
  return face;
}

// A solid of one surface's bound in its frame (z along `axis`): its face of radius r, a
// back of radius `back` (no conic) at depth t.
void AddPlateOnSurface(TViewerScene &scene, const TSurface &s, const DPOINT3 &axis, double r, double back, int front,
                       int rear, double t) {
  if (s.general.boundTypeExt == kBoundRound) {
    PlaceOnSurface(scene, s, axis);
    scene.AddTwoSurfaceSolid(Round(r, s.general.Ex, s, front), Round(back, 0.0, s, rear), t);
  } else if (IsRectangular(s)) {
    PlaceOnSurface(scene, s, axis);
    scene.AddTwoSurfaceSolid2(Rect(r, s, front), Rect(back, s, rear), t);
  }
}

// One surface alone: a mirror plate, or a thin film of a refracting surface.
void AddSingleSurface(TSystemImage &system, int i, const TReferenceRay &reference, TViewerScene &scene) {
  const TSurface &s = *system.Surface(i);
  double r = Radius(s);
  DPOINT3 axis = FrameColumn(s, 0), arriving;
  if (reference.Arriving(i, arriving) && Dot(arriving, axis) < 0.0) {
    axis = Negated(axis);
    r = -r;
  }
  const double d = 2.0 * s.general.semiHeightExt;
  const bool mirror = IsMirrorSurface(s);
  double t = 0.0, back = r;
  int front = kGlassFace, rear = kGlassFace;
  if (mirror) {
    t = d * kMirrorThicknessShare;
    const double sag = std::fabs(std::fabs(r) - std::sqrt(std::fabs(r * r - d * d / 4.0)));
    back = sag >= t ? r : kFlatRadius;
    front = kMirrorFace;
    rear = kMountFace;
  } else {
    t = std::min(kFilmThicknessShare * d, kFilmThicknessMax);
  }
  AddPlateOnSurface(scene, s, axis, r, back, front, rear, t);
}

// A face's ends in the plane of the wedge (y along surface 1's face, z along its axis).
struct TFaceEnds {
  double y[2], z[2];
};

// Cuts the face (ends p0, p1) to the side of the line through `point` with normal `normal`
// where normal . (q - point) <= 0; false when nothing of it is left.
bool CutFace(TFaceEnds &face, double pointY, double pointZ, double normalY, double normalZ) {
  const double s0 = normalY * (face.y[0] - pointY) + normalZ * (face.z[0] - pointZ);
  const double s1 = normalY * (face.y[1] - pointY) + normalZ * (face.z[1] - pointZ);
  if (s0 > 0.0 && s1 > 0.0) return false;
  if (s0 > 0.0 || s1 > 0.0) {
    const int out = s0 > 0.0 ? 0 : 1;
    const double t = s0 / (s0 - s1);
    face.y[out] = face.y[0] + t * (face.y[1] - face.y[0]);
    face.z[out] = face.z[0] + t * (face.z[1] - face.z[0]);
  }
  return true;
}

// Whether a rectangular face's height stands neither along nor across the direction (a
// unit vector in its plane).
bool TurnedAgainst(const TSurface &s, const DPOINT3 &direction) {
  const double up = std::fabs(Dot(direction, FrameColumn(s, 1)));
  return IsRectangular(s) && up > kAlignedFaces && up < 1.0 - kAlignedFaces;
}

// The four corners of a rectangular face in turn round it, in the frame with x along
// `across`, y along `second` and z along `axis` from `origin`.
void BoundCorners(const TSurface &s, const DPOINT3 &origin, const DPOINT3 &across, const DPOINT3 &second,
                  const DPOINT3 &axis, DPOINT3 corners[4]) {
  const DPOINT3 up = FrameColumn(s, 1), side = FrameColumn(s, 2), v = Vertex(s);
  const double h = s.general.semiHeightExt, w = s.general.semiWidthExt;
  constexpr double kTurn[4][2] = {{-1.0, -1.0}, {-1.0, 1.0}, {1.0, 1.0}, {1.0, -1.0}};
  for (int k = 0; k < 4; ++k) {
    const double a = kTurn[k][0] * h, b = kTurn[k][1] * w;
    const DPOINT3 d(v.x + a * up.x + b * side.x - origin.x, v.y + a * up.y + b * side.y - origin.y,
                    v.z + a * up.z + b * side.z - origin.z);
    corners[k] = DPOINT3(Dot(d, across), Dot(d, second), Dot(d, axis));
  }
}

// Two flat surfaces turned against each other: a wedge, the glass as the two surfaces bound
// it. False when their faces are parallel (a plate, drawn as a lens solid).
// The wedge stands in the plane the two axes span, whichever axes the tilts were written
// about: each face reaches its own bound's extent in that plane on either side of its
// vertex, and its bound's extent across the plane gives its depth. Each face is cut where
// it leaves the glass (behind surface 1, before surface 2): faces that meet within their
// extents make a prism with its apex, others a truncated wedge.
bool AddWedge(TSystemImage &system, int first, const TReferenceRay &reference, TViewerScene &scene) {
  const TSurface &a = *system.Surface(first);
  const TSurface &b = *system.Surface(first + 1);
  if (a.general.R != 0.0 || b.general.R != 0.0) return false;
  DPOINT3 axis = FrameColumn(a, 0), axis2 = FrameColumn(b, 0), arriving;
  if (reference.Arriving(first, arriving) && Dot(arriving, axis) < 0.0) {
    axis = Negated(axis);
    axis2 = Negated(axis2);
  }
  const double along = Dot(axis2, axis);
  const DPOINT3 acrossAxis(axis2.x - along * axis.x, axis2.y - along * axis.y, axis2.z - along * axis.z);
  const double acrossLength = std::sqrt(Dot(acrossAxis, acrossAxis));
  if (!(acrossLength > kParallelFaces)) return false;
  // The wedge's frame: z along surface 1's axis, y along its face in the plane of the wedge,
  // x across that plane (in both faces). Surface 2's axis is (0, sin w, cos w) there.
  const DPOINT3 second(acrossAxis.x / acrossLength, acrossAxis.y / acrossLength, acrossAxis.z / acrossLength);
  const DPOINT3 across = Cross(second, axis);
  const double sinWedge = acrossLength, cosWedge = along;
  // Face 2's direction in the plane: across its axis, (0, cos w, -sin w).
  const DPOINT3 inFace2(cosWedge * second.x - sinWedge * axis.x, cosWedge * second.y - sinWedge * axis.y,
                        cosWedge * second.z - sinWedge * axis.z);
  const double reach1 = ReachAlong(a, second), reach2 = ReachAlong(b, inFace2);
  const DPOINT3 v1 = Vertex(a), offset(b.general.vertex[0] - v1.x, b.general.vertex[1] - v1.y, b.general.vertex[2] - v1.z);
  const double y2 = Dot(offset, second), z2 = Dot(offset, axis);
  TFaceEnds face1{{-reach1, reach1}, {0.0, 0.0}};
  TFaceEnds face2{{y2 - reach2 * cosWedge, y2 + reach2 * cosWedge}, {z2 + reach2 * sinWedge, z2 - reach2 * sinWedge}};
  // Face 1 before surface 2, face 2 behind surface 1.
  const bool glass = reach1 > 0.0 && reach2 > 0.0 && CutFace(face1, y2, z2, sinWedge, cosWedge) &&
                     CutFace(face2, 0.0, 0.0, 0.0, -1.0);
  if (!glass) {
    // No glass between the faces (a face without height, or one wholly beyond the other):
    // the two surfaces stand alone, so the element is never left out of the view.
    AddSingleSurface(system, first, reference, scene);
    AddSingleSurface(system, first + 1, reference, scene);
    return true;
  }
  // The ends join so that the joining sides do not cross: in a quadrilateral the crossing
  // pair (its diagonals) is the longer.
  const auto gap = [&](int end1, int end2) { return std::hypot(face1.y[end1] - face2.y[end2], face2.z[end2]); };
  const int low2 = gap(0, 0) + gap(1, 1) <= gap(0, 1) + gap(1, 0) ? 0 : 1;
  TWedgeShape wedge = WedgeBetween(face1.y[0], face1.y[1], face2.y[low2], face2.z[low2], face2.y[1 - low2],
                                   face2.z[1 - low2], 2.0 * ReachAlong(a, across), 2.0 * ReachAlong(b, across),
                                   Dot(offset, across));
  // A rectangle turned against the wedge's plane has its corners off that plane's lines:
  // where no face reaches past the other's plane, each face keeps its own four corners.
  if (TurnedAgainst(a, second) || TurnedAgainst(b, second)) {
    DPOINT3 own[8];
    BoundCorners(a, v1, across, second, axis, own);
    BoundCorners(b, v1, across, second, axis, own + 4);
    bool whole = true;
    for (int k = 0; k < 4; ++k)
      whole = whole && sinWedge * (own[k].y - y2) + cosWedge * (own[k].z - z2) <= 0.0 && own[4 + k].z >= 0.0;
    if (whole) {
      // Face 2's corners joined in turn to face 1's, the shortest way round.
      double best = HUGE_VAL;
      for (int shift = 0; shift < 4; ++shift) {
        double length = 0.0;
        for (int k = 0; k < 4; ++k) {
          const DPOINT3 &p = own[k], &q = own[4 + (k + shift) % 4];
          length += std::hypot(p.x - q.x, p.y - q.y, p.z - q.z);
        }
        if (length >= best) continue;
        best = length;
        for (int k = 0; k < 4; ++k) wedge.corners[k] = own[k], wedge.corners[4 + k] = own[4 + (k + shift) % 4];
      }
    }
  }
  Place(scene, axis, second, v1);
  scene.AddWedge(wedge);
  return true;
}

// The surface's radius as seen along the direction d (its own axis or the reverse).
double RadiusAlong(const TSurface &s, const DPOINT3 &d) { return Dot(FrameColumn(s, 0), d) < 0.0 ? -Radius(s) : Radius(s); }

// A lens solid on surface `front`, its z along `axis` into the glass: that face, and
// `back` held on the same axis at the depth t.
void AddCoaxialPair(TViewerScene &scene, const TSurface &front, const TSurface &back, const DPOINT3 &axis, double t) {
  const int code1 = IsMirrorSurface(front) ? kMirrorFace : kGlassFace;
  const int code2 = IsMirrorSurface(back) ? kMirrorFace : kGlassFace;
  const double r1 = RadiusAlong(front, axis), r2 = RadiusAlong(back, axis);
  if (front.general.boundTypeExt == kBoundRound) {
    PlaceOnSurface(scene, front, axis);
    scene.AddTwoSurfaceSolid(Round(r1, front.general.Ex, front, code1), Round(r2, back.general.Ex, back, code2), t);
  } else if (IsRectangular(front) && IsRectangular(back)) {
    PlaceOnSurface(scene, front, axis);
    scene.AddTwoSurfaceSolid2(Rect(r1, front, code1), Rect(r2, back, code2), t);
  }
}

// Two faces of any bounds (round, rectangular or elliptical, with or without holes), tilted,
// decentred or on one axis: one lens solid with each face in its own place, placed in face
// 1's frame (z along `axis`, into the glass).
void AddPlacedPair(TViewerScene &scene, const TSurface &a, const TSurface &b, const DPOINT3 &axis) {
  const DPOINT3 up = FrameColumn(a, 1), across = Cross(up, axis);
  const DPOINT3 v1 = Vertex(a), v2 = Vertex(b);
  const DPOINT3 offset(v2.x - v1.x, v2.y - v1.y, v2.z - v1.z);
  const DPOINT3 axis2 = Dot(FrameColumn(b, 0), axis) < 0.0 ? Negated(FrameColumn(b, 0)) : FrameColumn(b, 0);
  const auto local = [&](const DPOINT3 &d) { return DPOINT3(Dot(d, across), Dot(d, up), Dot(d, axis)); };
  TPlacedLensShape lens;
  lens.face1 = Round(RadiusAlong(a, axis), a.general.Ex, a, IsMirrorSurface(a) ? kMirrorFace : kGlassFace);
  lens.face2 = Round(RadiusAlong(b, axis2), b.general.Ex, b, IsMirrorSurface(b) ? kMirrorFace : kGlassFace);
  lens.vertex2 = local(offset);
  lens.axis2 = local(axis2);
  // A rectangle's or an ellipse's width along its face's x, its height along its surface's
  // own y.
  for (int k = 0; k < 2; ++k) {
    const TSurface &s = k == 0 ? a : b;
    if (!IsRectangular(s) && !IsElliptical(s)) continue;
    lens.W[k] = 2.0 * s.general.semiWidthExt;
    lens.Wi[k] = 2.0 * s.general.semiWidthInt;
    lens.ellipse[k] = IsElliptical(s);
  }
  if (lens.W[1] > 0.0) lens.across2 = local(Cross(FrameColumn(b, 1), axis2));
  PlaceOnSurface(scene, a, axis);
  scene.AddPlacedLens(lens);
}

// The lens solid between surfaces k and k + 1 of an element: every pair of faces is drawn as
// one solid whose faces stand where their surfaces are. Two round or two rectangular faces
// on one axis are the scene's lens solids of one axis (with their flanges and sections);
// every other pair, tilted, decentred or of other bounds, the solid with each face in its
// own place.
void AddLensSolid(TSystemImage &system, int k, const TReferenceRay &reference, TViewerScene &scene) {
  const TSurface &a = *system.Surface(k);
  const TSurface &b = *system.Surface(k + 1);
  DPOINT3 axis = FrameColumn(a, 0), arriving;
  if (reference.Arriving(k, arriving) && (Dot(arriving, axis) < 0.0 || IsMirrorSurface(a))) axis = Negated(axis);
  const DPOINT3 v1 = Vertex(a), v2 = Vertex(b);
  const DPOINT3 offset(v2.x - v1.x, v2.y - v1.y, v2.z - v1.z);
  const double along = Dot(offset, axis);
  const DPOINT3 aside(offset.x - along * axis.x, offset.y - along * axis.y, offset.z - along * axis.z);
  const DPOINT3 turn = Cross(FrameColumn(a, 0), FrameColumn(b, 0));
  const bool coaxial = std::sqrt(Dot(turn, turn)) <= kParallelFaces && std::sqrt(Dot(aside, aside)) <= kCoaxialFaces;
  const bool round = a.general.boundTypeExt == kBoundRound && b.general.boundTypeExt == kBoundRound;
  if (coaxial && (round || (IsRectangular(a) && IsRectangular(b)))) {
    AddCoaxialPair(scene, a, b, axis, std::fabs(system.GetSurfacePosition(k + 1, k, kRelativeFrame).x));
    return;
  }
  AddPlacedPair(scene, a, b, axis);
}

// The pupil height of a probe that passed: its start, carried to x1 for a finite object.
double ProbeHeight(const TCurrentRay &start, double x0, double x1) {
  if (x1 == x0 || std::fabs(start.L) < kRayZero) return start.y;
  return start.y + (x1 - x0) * start.M / start.L;
}

// The beams' rays to draw: around each beam a circle of rays at 0.8 of the widest passing
// probe of its pupil; a beam none of whose probes passes has no fan.
void FanRays(TSystemImage &system, std::vector<std::vector<TCurrentRay>> &fans) {
  const int beamCount = system.info.BeamCount();
  if (system.SurfaceCount() < 2 || beamCount == 0) return;
  const DPOINT3 first = Vertex(*system.Surface(0));
  const double x0 = first.x;
  const double x1 = system.info.ObjectFinite != 0 ? system.Surface(1)->general.vertex[0] : x0;
  TBeamsPar probes(&system);
  probes.raysPerBeam = kFanProbeRays;
  system.BuildRayFans(system.info.AlfaM, probes);
  const int count = 2 * std::max(1, system.beams.raysPerBeam);
  const double step = 2.0 * kPi / count;
  Mem<TIntersectionPoint> hits;
  for (int b = 0; b < beamCount && b < probes.beams.cols * probes.beams.rows; ++b) {
    const TRaysPar &beam = probes.beams.data[b];
    double smallest = 1000.0, largest = -1000.0;
    bool passed = false;
    for (int j = 0; j < beam.rays.cols * beam.rays.rows; ++j) {
      TCurrentRay ray = beam.rays.data[j];
      const TCurrentRay start = ray;
      if (system.TraceRay(ray, kTracePlainGlobal, nullptr, 0) != kRayPassed) continue;
      const double h = std::fabs(ProbeHeight(start, x0, x1));
      smallest = std::min(smallest, h);
      largest = std::max(largest, h);
      passed = true;
    }
    fans.emplace_back();
    if (!passed) continue;
    double r = kFanRadiusShare * largest;
    if (r < smallest) r = 0.5 * (smallest + largest);
    const double field = system.info.AlfaM.data[b];
    for (int j = 0; j < count; ++j) {
      const double phi = j * step;
      TCurrentRay ray;
      if (system.info.ObjectFinite != 0) {
        ray.x = x0, ray.y = first.y + field, ray.z = first.z;
        const double dx = x1 - x0, dy = r * std::cos(phi) - field, dz = r * std::sin(phi);
        const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (!(length > 0.0)) continue;
        ray.L = dx / length, ray.M = dy / length, ray.N = dz / length;
      } else {
        ray.x = x0, ray.y = first.y + r * std::sin(phi), ray.z = first.z + r * std::cos(phi);
        ray.L = std::cos(field * kDegree), ray.M = std::sin(field * kDegree), ray.N = 0.0;
      }
      fans.back().push_back(ray);
    }
  }
}

}  // namespace

std::string Viewer3DCaption(const std::string &systemName) { return "Optical Viewer-3D - " + systemName; }

void BuildSystemScene(TSystemImage &system, TViewerScene &scene) {
  const int surfaceCount = system.SurfaceCount();
  const TReferenceRay reference(system);
  for (int e = 0; e < system.ElementCount(); ++e) {
    const TOpticalElement &element = system.elements.data[e];
    const int n = element.SurfaceCount();
    if (n < 1) continue;
    const int first = system.IndexOfSurface(element.surfaces.data[0]);
    if (first < 0) continue;
    if (n == 1) {
      AddSingleSurface(system, first, reference, scene);
      continue;
    }
    // Every pair of neighbouring faces bounds its own glass: flat faces at an angle as a
    // wedge, any other pair as a lens solid.
    for (int k = first; k + 1 < first + n && k + 1 < surfaceCount; ++k)
      if (!AddWedge(system, k, reference, scene)) AddLensSolid(system, k, reference, scene);
  }
  // The polyline through every vertex in the system's order.
  std::vector<DPOINT3> vertices;
  for (int i = 0; i < surfaceCount; ++i) vertices.push_back(Vertex(*system.Surface(i)));
  if (!vertices.empty()) scene.AddRay(vertices, kVertexLineColor);
  if (system.options.ShowCourseBeam == 0) return;

  std::vector<std::vector<TCurrentRay>> fans;
  if (system.beams.kind == 1) {
    FanRays(system, fans);
  } else {
    // Beams as the editor's drawing left them.
    for (int b = 0; b < system.beams.beams.cols * system.beams.beams.rows; ++b) {
      const TRaysPar &beam = system.beams.beams.data[b];
      fans.emplace_back(beam.rays.data, beam.rays.data + beam.rays.cols * beam.rays.rows);
    }
  }
  Mem<TIntersectionPoint> hits;
  std::vector<DPOINT3> path;
  for (std::size_t b = 0; b < fans.size(); ++b) {
    const int color = fans.size() == 1 ? kSingleBeamColor : kBeamColors[b % 6];
    for (TCurrentRay ray : fans[b]) {
      path.assign(1, DPOINT3(ray.x, ray.y, ray.z));
      system.TraceRay(ray, kTracePlainGlobal, &hits, 0);
      for (int h = 0; h < hits.cols * hits.rows && hits.data[h].x != kHitListEnd; ++h)
        path.emplace_back(hits.data[h].x, hits.data[h].y, hits.data[h].z);
      if (path.size() >= 2) scene.AddRay(path, color);
    }
  }
}
