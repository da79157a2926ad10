#pragma once
// Geometry found by tracing probe rays at a surface: a point at a given height, a sampled
// meridional profile, and the centre of its aperture. All points are global.

#include "foundation/containers/points.h"
#include "optics/interaction/interaction_types.h"

// Meridional point of the surface at local height h: (x, y) global. ok is 0 when the probe
// ray misses (the start point is then returned).
void SurfacePointAtHeight(const TInteractionSurface &surface, double h, double &x, double &y,
                          int &ok);

// Surface point at local (y, z), global. ok is 1 only when the probe ray passes.
void SurfacePointOnSurface(const TInteractionSurface &surface, double y, double z, double point[3],
                           int &ok);

// count meridional points from top to bottom of the half-height h about centre (h = 0: the
// outer bound). side < 0 runs from bottom to top. Spheres are sampled evenly in angle.
// Returns 0 when count < 2, else 1.
int SurfaceProfile(const TInteractionSurface &surface, int count, DPOINT *out, int side, double h,
                   double centre);

// Centre of the outer aperture (global) and its radius; (0, 0, 0) and false when a probe
// ray misses.
bool SurfaceApertureCentre(const TInteractionSurface &surface, double centre[3], double &radius);
