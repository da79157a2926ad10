#pragma once
// The lensarray area holds surfaces that carry lens arrays: zones, cells, micro elements and
// their preview. It uses optics/interaction, optics/model and foundation/containers.
//
// One real ray against a surface that carries lens arrays: the base surface, the zone that
// owns the hit, the nearest micro element among the candidate cells.

class TSurface;

// Results of LensArrayIntersect.
enum TLensArrayResult : int {
  kLensArrayHit = 1,
  kLensArrayFailed = 0,   // the point has no zone coordinates or cells, or a degenerate normal
  kLensArrayMissed = -4,  // no base surface, or no micro element: t still set
};

// P and D (unit) in the surface's frame. On kLensArrayHit, t is the distance from P along D
// and N the unit normal there. t is written on every path: on a miss it reaches the base
// surface's axial position or the zone's offset surface, on a failure the base surface.
// Allocates nothing; safe to call per ray.
int LensArrayIntersect(const TSurface &surface, const double P[3], const double D[3],
                       double N[3], double &t);
