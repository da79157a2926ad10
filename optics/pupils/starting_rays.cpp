// Starting rays: a ray from a field point through a pupil point, rays from a surface's vertex
// plane, and the meridional fans the editor draws. Every builder works in the frame of its
// start surface and hands back a global ray.
//
// MakeRay is called once per traced ray by the analyses: it touches no heap and, for the
// usual flat object surface, traces no probe ray.

#include <cmath>

#include "optics/model/beams.h"
#include "optics/model/optical_system.h"
#include "optics/interaction/surface_trace.h"
#include "optics/pupils/field_rays.h"
#include "platform/core/message_box.h"

namespace {

constexpr double kHalfPi = 1.5707963267948966;
// Status of a ray asked for at a surface the system does not have.
constexpr int kRayNoSuchSurface = -5;

// Direction cosines from two angles: L = sign / sqrt(1 + tan^2 a + tan^2 b), M = L tan a,
// N = L tan b.
void DirectionFromAngles(double alpha, double beta, double sign, double d[3]) {
  const double ta = std::tan(alpha);
  const double tb = std::tan(beta);
  d[0] = sign / std::sqrt(1.0 + ta * ta + tb * tb);
  d[1] = d[0] * ta;
  d[2] = d[0] * tb;
}

bool HasMatrix(const TSurface &s) {
  return s.tilted && s.tiltMatrix.data != nullptr && s.tiltMatrix.cols * s.tiltMatrix.rows >= 9;
}

// M·v with the row-major tilt matrix; v unchanged for an untilted surface.
void ToGlobalAxes(const TSurface &s, double v[3]) {
  if (!HasMatrix(s)) return;
  const double *m = s.tiltMatrix.data;
  const double a = v[0], b = v[1], c = v[2];
  v[0] = m[0] * a + m[1] * b + m[2] * c;
  v[1] = m[3] * a + m[4] * b + m[5] * c;
  v[2] = m[6] * a + m[7] * b + m[8] * c;
}

// d divided by its length (left as it is when that is 0).
void Normalise(double d[3]) {
  const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (length > 0.0)
    for (int k = 0; k < 3; ++k) d[k] /= length;
}

// The ray at p (global axes, relative to the vertex of s) along d (global).
TCurrentRay PlacedRay(const TSurface &s, const double p[3], const double d[3]) {
  TCurrentRay ray(p[0] + s.general.vertex[0], p[1] + s.general.vertex[1],
                  p[2] + s.general.vertex[2]);
  ray.L = d[0];
  ray.M = d[1];
  ray.N = d[2];
  ray.firstFailure = 0;
  ray.stoppedAt = 0;
  return ray;
}

// The ray that starts at S (frame of s) along d (frame of s), both taken into global axes.
TCurrentRay GlobalRay(const TSurface &s, const double start[3], const double direction[3],
                      bool normalise) {
  double p[3] = {start[0], start[1], start[2]};
  double d[3] = {direction[0], direction[1], direction[2]};
  ToGlobalAxes(s, p);
  ToGlobalAxes(s, d);
  if (normalise) Normalise(d);
  return PlacedRay(s, p, d);
}

TCurrentRay NoSuchSurfaceRay() {
  TCurrentRay ray(0.0, 0.0, 0.0);
  ray.L = ray.M = ray.N = 0.0;
  ray.status = kRayNoSuchSurface;
  return ray;
}

// Axial coordinate of the object surface at (y, z) in its own frame: 0 for a plane, else
// found with a probe ray.
double ObjectSag(const TSurface &s, double y, double z) {
  const TGeneralParameters &g = s.general;
  if (g.type == kSurfacePlane || (g.type == kSurfaceSphere && g.R == 0.0)) return 0.0;
  int ok = 0;
  const DPOINT3 q = SurfacePointOnSurface(s, y, z, ok);
  double local[3] = {q.x - g.vertex[0], q.y - g.vertex[1], q.z - g.vertex[2]};
  if (!HasMatrix(s)) return local[0];
  const double *m = s.tiltMatrix.data;
  return m[0] * local[0] + m[3] * local[1] + m[6] * local[2];
}

// Angles towards the pupil from a finite object point; an object point in the pupil plane
// maps a pupil offset of D/2 to 90 degrees.
void FiniteAngles(double d, double dy, double dz, double pA, double pB, double diameter,
                  double &alpha, double &beta) {
  if (d != 0.0) {
    alpha = std::atan(dy / d);
    beta = std::atan(dz / d);
  } else {
    const double half = diameter / 2.0;
    alpha = half != 0.0 ? kHalfPi * pA / half : 0.0;
    beta = half != 0.0 ? kHalfPi * pB / half : 0.0;
  }
}

}  // namespace

TFieldRays::TFieldRays(const TOpticalSystem &system, double fA, double fB)
    : system_(system), object_(system.Surface(0)), fA_(fA), fB_(fB) {
  if (object_ == nullptr) return;
  objectTilted_ = HasMatrix(*object_);
  x0_ = ObjectSag(*object_, fA, fB);
  if (system.info.ObjectFinite != 0) return;
  const double alpha = fA * kDegreesToRadians;
  const double beta = fB * kDegreesToRadians;
  double d[3];
  DirectionFromAngles(alpha, beta, 1.0, d);
  // Started in the object surface's vertex plane so that it crosses x = Ex at the pupil
  // point.
  const double ex = system.info.entrancePupilPoint[0];
  offsetY_ = ex * std::tan(alpha);
  offsetZ_ = ex * std::tan(beta);
  ToGlobalAxes(*object_, d);
  Normalise(d);
  for (int k = 0; k < 3; ++k) direction_[k] = d[k];
}

TCurrentRay TFieldRays::Ray(double pA, double pB) const {
  if (object_ == nullptr) return NoSuchSurfaceRay();
  const TOpticalSystemInformation &info = system_.info;
  const double ex = info.entrancePupilPoint[0];
  const double ey = info.entrancePupilPoint[1];
  const double ez = info.entrancePupilPoint[2];
  if (info.ObjectFinite != 0) {
    double alpha = 0.0, beta = 0.0;
    FiniteAngles(ex - x0_, ey + pA - fA_, ez + pB - fB_, pA, pB, info.entrancePupilDiameter,
                 alpha, beta);
    double d[3];
    DirectionFromAngles(alpha, beta, 1.0, d);
    const double start[3] = {x0_, fA_, fB_};
    return GlobalRay(*object_, start, d, true);
  }
  double p[3] = {x0_, ey + pA - offsetY_, ez + pB - offsetZ_};
  if (objectTilted_) ToGlobalAxes(*object_, p);
  return PlacedRay(*object_, p, direction_);
}

TFieldRays TOpticalSystem::FieldRays(double fA, double fB) const {
  return TFieldRays(*this, fA, fB);
}

TCurrentRay TOpticalSystem::MakeRay(double fA, double fB, double pA, double pB) const {
  return TFieldRays(*this, fA, fB).Ray(pA, pB);
}

TCurrentRay TOpticalSystem::MakeRayFromPoint(double x, double y, double z, double pA,
                                             double pB) const {
  const TSurface *object = Surface(0);
  if (object == nullptr) return NoSuchSurfaceRay();
  double alpha = 0.0, beta = 0.0;
  FiniteAngles(info.entrancePupilPoint[0] - x, info.entrancePupilPoint[1] + pA - y,
               info.entrancePupilPoint[2] + pB - z, pA, pB, info.entrancePupilDiameter, alpha,
               beta);
  double d[3];
  DirectionFromAngles(alpha, beta, 1.0, d);
  const double start[3] = {x, y, z};
  return GlobalRay(*object, start, d, true);
}

TCurrentRay TOpticalSystem::MakeRayVariant(int k, double y, double z, double alpha,
                                           double beta) const {
  const int s = k < 0 ? -k : k;
  const TSurface *surface = Surface(s);
  if (surface == nullptr) return NoSuchSurfaceRay();
  double d[3];
  DirectionFromAngles(alpha, beta, k < 0 ? -1.0 : 1.0, d);
  const double start[3] = {0.0, y, z};
  return GlobalRay(*surface, start, d, false);
}

TCurrentRay TOpticalSystem::MakeRayToPoint(int k, double y, double z, double pA, double pB,
                                           int mode) const {
  const int n = SurfaceCount();
  const int s = k < 0 ? -k : k;
  const TSurface *surface = Surface(s);
  if (surface == nullptr) return NoSuchSurfaceRay();
  const int step = k < 0 ? -1 : 1;

  // The target is the first surface whose vertex lies off this vertex plane.
  DPOINT3 d;
  int t = FirstVertexOffPlane(s, step, d);
  if (t < 0 || t >= n) t = s + step;

  double start[3] = {0.0, y, z};
  double direction[3];
  if (mode == kAimAtOffsets) {
    double alpha = 0.0, beta = 0.0;
    if (d.x != 0.0) {
      alpha = std::atan((d.y + pA - y) / d.x);
      beta = std::atan((d.z + pB - z) / d.x);
    } else {
      const TSurface *target = Surface(t);
      double r = target != nullptr ? target->general.semiHeightExt : 0.0;
      if (r == 0.0) r = 1.0;
      alpha = kHalfPi * pA / r;
      beta = kHalfPi * pB / r;
    }
    DirectionFromAngles(alpha, beta, d.x < 0.0 ? -1.0 : 1.0, direction);
  } else {
    const double alpha = y * kDegreesToRadians;
    const double beta = z * kDegreesToRadians;
    DirectionFromAngles(alpha, beta, static_cast<double>(step), direction);
    start[1] = d.y + pA - d.x * std::tan(alpha);
    start[2] = d.z + pB - d.x * std::tan(beta);
  }
  return GlobalRay(*surface, start, direction, false);
}

void TOpticalSystem::BuildRayFans(const Mem<double> &fields, TBeamsPar &beams) {
  const int beamCount = fields.Cells();
  beams.Clear();
  if (beamCount <= 0) return;
  // Allocate shows "Not enough memory" itself and leaves the list empty.
  if (!beams.beams.Allocate(beamCount, 1)) return;

  const int raysPerFan = beams.raysPerBeam < 1 ? 1 : beams.raysPerBeam;
  const double diameter = info.entrancePupilDiameter;
  const double step = raysPerFan > 1 ? 0.99 * diameter / (raysPerFan - 1) : 0.0;
  const double top = raysPerFan > 1 ? 0.99 * diameter * 0.5 : 0.0;

  for (int b = 0; b < beamCount; ++b) {
    const double field = fields.data[b];
    SolveChiefRay(field, 0.0);
    TRaysPar &beam = beams.beams.data[b];
    if (!beam.rays.Allocate(raysPerFan, 1)) continue;
    const TCurrentRay chief = MakeRay(field, 0.0, 0.0, 0.0);
    beam.startX = chief.x;
    beam.startY = chief.y;
    for (int j = 0; j < raysPerFan; ++j)
      beam.rays.data[j] = MakeRay(field, 0.0, top - j * step, 0.0);
  }
}
