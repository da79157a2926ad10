#pragma once
// The interaction area holds one ray against one surface: intersection, bounds, refraction,
// the iterative shapes, the first-order step and the glass index of a surface. It uses
// optics/model, optics/glass, optics/lensarray (array surfaces) and foundation/containers.
//
// One real ray against one surface: intersection, apertures, refraction, mirror reflection,
// total internal reflection and holographic diffraction; the first-order surface step; and
// the tilt matrix and frame turns both share.

#include "optics/interaction/interaction_types.h"

// Stores the tilt angles and the matrix Rx(ax) Ry(-ay) Rz(az) in the view; all three
// exactly 0 leave it untilted (identity).
void SetViewAngles(TInteractionSurface &surface, double ax, double ay, double az);

// sense 0: v = M^T v (global to local); sense 1: v = M v (local to global). Untilted
// surfaces leave v as it is.
void RotateBySurface(const TInteractionSurface &surface, double v[3], int sense);

// Entering the surface's frame: p is the ray's position less the vertex, d its direction,
// both turned by M^T. Leaving it: p (and d when not null) turned by M, the vertex added.
// Inline, so that the trace keeps p and d in registers.
inline void EnterSurfaceFrame(const TInteractionSurface &surface, const TCurrentRay &ray,
                              double p[3], double d[3]) {
  p[0] = ray.x - surface.vertex[0];
  p[1] = ray.y - surface.vertex[1];
  p[2] = ray.z - surface.vertex[2];
  d[0] = ray.L;
  d[1] = ray.M;
  d[2] = ray.N;
  RotateBySurface(surface, p, 0);
  RotateBySurface(surface, d, 0);
}
inline void LeaveSurfaceFrame(const TInteractionSurface &surface, double p[3], double d[3]) {
  if (surface.tilted) {
    RotateBySurface(surface, p, 1);
    if (d != nullptr) RotateBySurface(surface, d, 1);
  }
  p[0] += surface.vertex[0];
  p[1] += surface.vertex[1];
  p[2] += surface.vertex[2];
}
// Sets the ray's position to p and, when d is not null, its direction to d.
inline void PlaceRay(TCurrentRay &ray, const double p[3], const double d[3]) {
  ray.x = p[0];
  ray.y = p[1];
  ray.z = p[2];
  if (d == nullptr) return;
  ray.L = d[0];
  ray.M = d[1];
  ray.N = d[2];
}

// The law of refraction for a unit direction D at a unit normal n oriented along D
// (cosI = D.n >= 0), with mu = n / n': out = sense ((root - mu cosI) n + mu D). Refraction
// passes sense 1 and root = sqrt(1 - mu^2 (1 - cosI^2)); a mirror or a total reflection
// sense -1, mu -1 and root cosI, which gives D - 2 cosI n.
inline void BendDirection(const double D[3], const double n[3], double mu, double cosI,
                          double root, double sense, double out[3]) {
  const double normalPart = root - mu * cosI;
  const double x = sense * (normalPart * n[0] + mu * D[0]);
  const double y = sense * (normalPart * n[1] + mu * D[1]);
  const double z = sense * (normalPart * n[2] + mu * D[2]);
  out[0] = x;
  out[1] = y;
  out[2] = z;
}

// The full interaction, in place on a ray given in global coordinates; the ray is always
// left in global coordinates. Returns 1 when the ray passes, else its status: -1 outside the
// outer bound, -2 inside the obscuration, -3 total internal reflection, -4 no intersection,
// 0 stopped without error (failed iteration, lens-array gap).
int TraceSurfaceRay(const TInteractionSurface &surface, TCurrentRay &ray);

// First-order surface step (heights at the vertex plane, slopes u = -M/L, v = -N/L,
// n'u' = n u + y Phi with Phi = (n' - n) c - holographic power). backwards swaps the two
// media. Returns 1, or -1 when L is 0 or an index is 0 (ray left as it came).
int TraceSurfaceParaxial(const TInteractionSurface &surface, TCurrentRay &ray, int backwards);

// Holographic phase Phi(u) = sum Vh[i] u^(i+1) and dPhi/du at u = (y^2 + z^2)/Mhxy^2.
void HoePhase(const THoeView &hoe, double u, double &phase, double &derivative);
