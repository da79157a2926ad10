#include "editor/insert/face_clearance.h"

#include <cmath>
#include <limits>

#include "foundation/numerics/pi.h"
#include "optics/model/optical_system.h"
#include "optics/model/ray.h"

namespace {

// Samples across the outer bound per half side, and along the rim and the meridian: the
// rim and the drawing's plane are where neighbours meet first, so they are sampled finer.
constexpr int kGridHalf = 10;
constexpr int kRimPoints = 72;
constexpr int kMeridianHalf = 32;

void AddPoint(const TSurface &s, double y, double z, std::vector<DPOINT3> &points) {
  int ok = 0;
  const DPOINT3 p = s.PointOnSurface(y, z, ok);
  if (ok == 1) points.push_back(p);
}

// Where the line through p along u meets the face within its bounds: the distance along u.
bool AlongLine(const TSurface &face, const DPOINT3 &p, double ux, double uy, double &along) {
  TCurrentRay ray(p.x, p.y, p.z);
  ray.L = ux;
  ray.M = uy;
  ray.N = 0.0;
  ray.traceThrough = 1;
  if (face.Trace(ray) != kRayPassed) return false;
  along = (ray.x - p.x) * ux + (ray.y - p.y) * uy;
  return std::isfinite(along);
}

}  // namespace

TSampledFace::TSampledFace(const TSurface &s) : hasSurface(true), surface(s) {
  // Equal indices on both sides: a line along the light is never totally reflected, and a
  // mirror's negative index still reflects it.
  surface.general.nBefore = 1.0;
  surface.general.nAfter = s.general.nAfter < 0.0 ? -1.0 : 1.0;
  delete surface.hoe;
  surface.hoe = nullptr;
  // A mirror's obscuration is its hole; a refracting face's is painted on glass that is there.
  if (s.general.nAfter >= 0.0 && s.general.glass != "refl") surface.general.semiHeightInt = 0.0;
  const TGeneralParameters &g = s.general;
  const double sh = g.semiHeightExt;
  const double sw = g.boundTypeExt == kBoundRound ? sh : g.semiWidthExt;
  const double cy = g.boundPosYExt;
  const double cz = g.boundPosXExt;
  if (!(sh > 0.0)) {
    AddPoint(surface, 0.0, 0.0, points);
    return;
  }
  for (int i = -kGridHalf; i <= kGridHalf; ++i)
    for (int j = -kGridHalf; j <= kGridHalf; ++j)
      AddPoint(surface, cy + sh * i / kGridHalf, cz + sw * j / kGridHalf, points);
  for (int i = -kMeridianHalf; i <= kMeridianHalf; ++i) AddPoint(surface, cy + sh * i / kMeridianHalf, cz, points);
  // The rim a hair inside, where the bound still passes it.
  constexpr double kInside = 1.0 - 1e-9;
  const bool corners = g.boundTypeExt == kBoundSquare || g.boundTypeExt == kBoundRectangle;
  for (int k = 0; k < kRimPoints; ++k) {
    const double a = 2.0 * kPi * k / kRimPoints;
    const double c = std::cos(a);
    const double s2 = std::sin(a);
    // A rectangle's rim: the ray from the centre to the box's edge.
    const double scale = corners ? 1.0 / std::fmax(std::fabs(c), std::fabs(s2)) : 1.0;
    AddPoint(surface, cy + kInside * sh * c * scale, cz + kInside * sw * s2 * scale, points);
  }
}

TSampledFace::TSampledFace(const DPOINT3 &point) : points{point} {}

void TSampledFace::Move(const DPOINT3 &shift, const DPOINT3 &pivot, double turn) {
  const double c = std::cos(turn);
  const double s = std::sin(turn);
  const auto moved = [&](double &x, double &y, double &z) {
    x += shift.x;
    y += shift.y;
    z += shift.z;
    const double dx = x - pivot.x;
    const double dy = y - pivot.y;
    x = pivot.x + dx * c - dy * s;
    y = pivot.y + dx * s + dy * c;
  };
  for (DPOINT3 &p : points) moved(p.x, p.y, p.z);
  if (!hasSurface) return;
  double *v = surface.general.vertex;
  moved(v[0], v[1], v[2]);
  if (turn == 0.0) return;
  const double *a = surface.general.angles;
  const DPOINT3 turned = TurnedAngles(DPOINT3(a[0], a[1], a[2]), DPOINT3(0.0, 0.0, turn));
  surface.SetAngles(turned.x, turned.y, turned.z);
}

double FaceClearance(const TSampledFace &front, const TSampledFace &back, double tilt, const DPOINT3 &axis,
                     double *height) {
  const double ux = std::cos(tilt);
  const double uy = std::sin(tilt);
  double least = std::numeric_limits<double>::infinity();
  const auto consider = [&](const DPOINT3 &p, double clearance) {
    if (!(clearance < least)) return;
    const double across = -(p.x - axis.x) * uy + (p.y - axis.y) * ux;
    least = clearance;
    if (height != nullptr) *height = std::hypot(across, p.z - axis.z);
  };
  double along = 0.0;
  if (back.hasSurface)
    for (const DPOINT3 &p : front.points)
      if (AlongLine(back.surface, p, ux, uy, along)) consider(p, along);
  if (front.hasSurface)
    for (const DPOINT3 &p : back.points)
      if (AlongLine(front.surface, p, ux, uy, along)) consider(p, -along);
  return least;
}

void FaceReachAlong(const TSampledFace &face, double tilt, const DPOINT3 &origin, double &front, double &back) {
  const double ux = std::cos(tilt);
  const double uy = std::sin(tilt);
  for (const DPOINT3 &p : face.points) {
    const double along = (p.x - origin.x) * ux + (p.y - origin.y) * uy;
    front = std::fmin(front, along);
    back = std::fmax(back, along);
  }
}
