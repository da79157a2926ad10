#include "optics/pupils/real_ray_stop.h"

#include <algorithm>
#include <cmath>

#include "foundation/numerics/pi.h"
#include "optics/model/optical_system.h"
#include "optics/model/ray.h"

namespace {

// Halvings of the height interval: 2^-60 of the widest aperture is far below a micrometre.
constexpr int kHalvings = 60;
// The axial beam is looked for within this many times the widest semi-height.
constexpr double kSearchReach = 4.0;

// The first surface from 0 to `last` that a ray of the axial beam misses or meets outside its
// outer semi-height; -1 when it passes them all. From an object at infinity the ray runs
// parallel to the axis at height h (mm, in the object surface's meridian); from a near one
// it leaves the object's axial point at the angle h (radians) to the axis. Surface 0 bounds
// the beam from infinity too, but a face as wide as it comes first, as in the paraxial search.
int ClippingSurface(TOpticalSystem &system, int last, double h, Mem<TIntersectionPoint> &hits) {
  const TSurface &object = *system.Surface(0);
  const bool near = system.info.ObjectFinite != 0;
  TCurrentRay ray(object.general.vertex[0], object.general.vertex[1] + (near ? 0.0 : h), object.general.vertex[2]);
  ray.L = near ? std::cos(h) : 1.0;
  ray.M = near ? std::sin(h) : 0.0;
  ray.N = 0.0;
  // Clipping is judged here, face by face: the trace itself lets blocked rays on.
  ray.traceThrough = 1;
  system.TraceRay(ray, kTracePlainGlobal, &hits, 0);
  for (int i = 1; i <= last; ++i) {
    if (i >= hits.Cells()) return i;
    const TIntersectionPoint &hit = hits.data[i];
    if (hit.x == kHitListEnd || !std::isfinite(hit.x) || !std::isfinite(hit.y) || !std::isfinite(hit.L)) return i;
    const double point[3] = {hit.x, hit.y, hit.z};
    const double direction[3] = {hit.L, hit.M, hit.N};
    const TIntersectionPoint local = system.ToSurfaceFrame(i, point, direction);
    const double semi = system.Surface(i)->general.semiHeightExt;
    if (semi > 0.0 && std::hypot(local.y, local.z) > semi) return i;
  }
  return !near && std::fabs(h) > object.general.semiHeightExt ? 0 : -1;
}

}  // namespace

bool HasTiltedOrDecentredFaces(const TOpticalSystem &system) {
  const TSurface *object = system.Surface(0);
  if (object == nullptr) return false;
  for (int i = 1; i < system.SurfaceCount(); ++i) {
    const TSurface *s = system.Surface(i);
    if (s == nullptr) continue;
    for (int a = 0; a < 3; ++a)
      if (s->general.angles[a] != object->general.angles[a]) return true;
    if (s->general.vertex[1] != object->general.vertex[1] || s->general.vertex[2] != object->general.vertex[2])
      return true;
  }
  return false;
}

TRealStop RealRayStop(TOpticalSystem &system) {
  TRealStop found;
  const int n = system.SurfaceCount();
  const TOpticalSystemInformation &in = system.info;
  if (n < 2 || system.Surface(0) == nullptr) return found;
  const TSurface &object = *system.Surface(0);
  if (object.general.angles[0] != 0.0 || object.general.angles[1] != 0.0 || object.general.angles[2] != 0.0)
    return found;
  const int last = in.ImageFinite == 0 ? n - 1 : n - 2;
  double widest = 0.0;
  for (int i = 0; i <= last; ++i)
    if (const TSurface *s = system.Surface(i)) widest = std::max(widest, s->general.semiHeightExt);
  Mem<TIntersectionPoint> hits;
  if (!(widest > 0.0) || ClippingSurface(system, last, 0.0, hits) >= 0) return found;
  // From a near object the angle is searched up to a right angle, which no face passes.
  const double reach = in.ObjectFinite != 0 ? 0.5 * kPi : kSearchReach * widest;
  double narrowest = reach;
  for (const double side : {1.0, -1.0}) {
    double passing = 0.0;
    double clipped = reach;
    int clipping = ClippingSurface(system, last, side * clipped, hits);
    if (clipping < 0) continue;
    for (int k = 0; k < kHalvings; ++k) {
      const double middle = 0.5 * (passing + clipped);
      const int at = ClippingSurface(system, last, side * middle, hits);
      if (at < 0) {
        passing = middle;
      } else {
        clipped = middle;
        clipping = at;
      }
    }
    // Ties go to the surface nearer the object, as in the paraxial search.
    if (passing < narrowest || (passing == narrowest && clipping < found.stop)) {
      narrowest = passing;
      found.stop = clipping;
    }
  }
  if (found.stop >= 0) {
    if (in.ObjectFinite != 0) found.apertureSlope = std::tan(narrowest);
    else found.entranceDiameter = 2.0 * narrowest;
  }
  return found;
}
