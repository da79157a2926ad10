#pragma once
// The rules of the sequential trace that the one-ray trace (TraceRay) and the batch trace
// (TraceRays) share, so that both give every ray the same fate: which status ends a ray and
// which one is drawn on, the first failure, the wavefront's path and transmission sums, the
// final optical path difference and the ray's result.

#include <cmath>

#include "optics/interaction/interaction_types.h"
#include "optics/model/eikonal_info.h"
#include "optics/model/general_parameters.h"
#include "optics/model/optical_system.h"
#include "optics/model/ray.h"
#include "optics/model/surface.h"
#include "optics/trace/lane_trace.h"

// The running state of one ray through the surfaces.
struct TRayProgress {
  int allPassed = 1;
  int rc = kRayPassed;
  int lastVisited = -1;
  int drawAll = 0;
  int savedThrough = 0;
  double startTerm = 0.0;  // the wavefront's path before the first surface
  double pathSum = 0.0;
  double transmission = 1.0;
};

// The wavefront's path before the first surface: the ray's start projected on its direction
// for an object at infinity, else 0.
[[gnu::always_inline]] inline double StartTerm(const TCurrentRay &ray, int objectFinite) {
  return objectFinite == 0 ? ray.x * ray.L + ray.y * ray.M + ray.z * ray.N : 0.0;
}

// Starts a ray: the system's DrawAllRays (or light pipes) lends the ray its trace-through
// flag, and a ray that has the flag draws all for its own trace. objectFinite selects the
// wavefront's starting term (the ray's projection on its direction for an object at
// infinity).
inline void BeginRay(TRayProgress &progress, TCurrentRay &ray, int drawAllRays, int enablePipe,
                     int objectFinite) {
  progress = TRayProgress();
  progress.savedThrough = ray.traceThrough;
  if (!ray.traceThrough) {
    if (enablePipe || drawAllRays) ray.traceThrough = 1;
    progress.drawAll = drawAllRays ? 1 : 0;
  } else {
    progress.drawAll = 1;
  }
  progress.startTerm = StartTerm(ray, objectFinite);
  progress.pathSum = progress.startTerm;
}

// What becomes of a ray after one surface's interaction returned rc.
enum TSurfaceFate : int {
  kFateStop = 0,    // the ray ends here (rc says how), not recorded
  kFateRecord = 1,  // the ray's hit is recorded; it goes on when rc is then kRayPassed
  kFateWall = 2,    // the ray left through the side of a light pipe: follow the wall
};

// Notes rc in the ray's progress (its first failure, whether every surface passed) and
// decides its fate; rc becomes kRayPassed where drawing all rays carries the ray on.
inline TSurfaceFate JudgeSurface(TRayProgress &progress, TCurrentRay &ray, int &rc, int surface,
                                 int enablePipe, bool walled) {
  progress.allPassed = progress.allPassed != 0 && rc == kRayPassed ? 1 : 0;
  if (ray.firstFailure == 0 && rc != kRayPassed)
    ray.firstFailure = rc == kRayObscured ? -surface : surface;
  // Surface 0 too: a first failure of 0 cannot tell it from none.
  if (ray.stoppedAt == 0 && rc != kRayPassed) ray.stoppedAt = surface + 1;
  if (rc == kRayPassed || (!enablePipe && (rc == kRayOutsideAperture || rc == kRayObscured))) {
    if (progress.drawAll) rc = kRayPassed;
    return kFateRecord;
  }
  if (!walled) {
    // With light pipes off a wall still decides: a ray that fails otherwise than at an
    // aperture is not drawn on past a walled surface.
    if (rc == kRayMissedSurface || !progress.drawAll) return kFateStop;
    if (rc != 0) rc = kRayPassed;
    return kFateRecord;
  }
  if (enablePipe &&
      (rc == kRayOutsideAperture || rc == kRayTotalReflection || rc == kRayMissedSurface))
    return kFateWall;
  return kFateStop;
}

// A surface's share of the wavefront's sums for a ray that passes it: the optical path
// measured against the reference ray's segment there, and the transmission (a mirror's
// reflectance, or decadic absorption along the segment after a refraction).
inline TLaneSumTerms WavefrontTerms(const TGeneralParameters &g, double reference) {
  TLaneSumTerms terms;
  terms.reference = reference;
  terms.sense = reference >= 0.0 ? 1.0 : -1.0;
  terms.indexBefore = std::fabs(g.nBefore);
  const bool refraction = g.nAfter / g.nBefore >= 0.0;
  terms.factor = refraction ? 1.0 : g.Tau;
  terms.absorption = refraction ? g.Tau : 0.0;
  return terms;
}

// The transmission after an absorbing medium's passage of pathLength (unchanged without
// absorption).
inline double Absorbed(double transmission, double pathLength, const TLaneSumTerms &terms) {
  if (terms.absorption == 0.0) return transmission;
  return transmission * std::pow(10.0, -std::fabs(pathLength * terms.absorption));
}

// The wavefront's sums after a surface the ray passed (a product with a factor of 1
// changes nothing).
inline void AddWavefrontSegment(TRayProgress &progress, const TLaneSumTerms &terms,
                                double pathLength) {
  progress.pathSum = AddedPath(progress.pathSum, pathLength, terms);
  progress.transmission = Absorbed(progress.transmission * terms.factor, pathLength, terms);
}

inline void AddWavefrontSegment(TRayProgress &progress, const TGeneralParameters &g,
                                double pathLength, double reference) {
  AddWavefrontSegment(progress, WavefrontTerms(g, reference), pathLength);
}

// The reference ray's end as the path differences read it, taken out of the eikonal record
// once for a run of rays.
inline TWavefrontReference WavefrontReferenceOf(const TEikonalInfo &eikonal) {
  TWavefrontReference reference;
  reference.endX = eikonal.referenceEnd[2];
  reference.endY = eikonal.referenceEnd[0];
  reference.endZ = eikonal.referenceEnd[1];
  for (int k = 0; k < 3; ++k) reference.direction[k] = eikonal.referenceDirection[k];
  reference.start = eikonal.referenceStart;
  return reference;
}

// The same for a ray against the eikonal record's reference.
inline double WavefrontDifference(const TEikonalInfo &eikonal, const TCurrentRay &ray,
                                  double pathSum, int imageFinite, double imageIndex) {
  return WavefrontDifference(WavefrontReferenceOf(eikonal), ray.x, ray.y, ray.z, ray.L, ray.M,
                             ray.N, pathSum, imageFinite, imageIndex);
}

// Whether a surface's frame turns the axes: a tilt with its nine cells.
inline bool TurnsAxes(const TSurface &surface) {
  const Mem<double> &m = surface.tiltMatrix;
  return surface.tilted && m.data != nullptr && m.cols * m.rows >= 9;
}

// A global ray into the frame of a surface: the vertex taken off, then M^T applied when
// the surface is tilted.
inline void PointToLocal(const TSurface &surface, double position[3], double direction[3]) {
  for (int k = 0; k < 3; ++k) position[k] -= surface.general.vertex[k];
  if (!TurnsAxes(surface)) return;
  const Mem<double> &m = surface.tiltMatrix;
  const double *a = m.data;
  const double p[3] = {position[0], position[1], position[2]};
  const double d[3] = {direction[0], direction[1], direction[2]};
  for (int k = 0; k < 3; ++k) {
    position[k] = a[k] * p[0] + a[3 + k] * p[1] + a[6 + k] * p[2];
    direction[k] = a[k] * d[0] + a[3 + k] * d[1] + a[6 + k] * d[2];
  }
}

inline void RayToLocal(const TSurface &surface, TCurrentRay &ray) {
  double p[3] = {ray.x, ray.y, ray.z};
  double d[3] = {ray.L, ray.M, ray.N};
  PointToLocal(surface, p, d);
  ray.x = p[0];
  ray.y = p[1];
  ray.z = p[2];
  ray.L = d[0];
  ray.M = d[1];
  ray.N = d[2];
}

// The ray's result: 1 when it passed everything, or when it is drawn through and its last
// surface let it on; else 0 or the status of its end. Restores its trace-through flag.
inline int FinishRay(const TRayProgress &progress, TCurrentRay &ray, int drawAllRays) {
  ray.traceThrough = progress.savedThrough;
  if ((drawAllRays || ray.traceThrough) && progress.rc == kRayPassed) return 1;
  return progress.allPassed;
}
