#pragma once
// One real ray against one surface: intersection, apertures, refraction, mirror reflection,
// total internal reflection and holographic diffraction; the first-order surface step; and
// the tilt matrix and frame turns both share.

#include "optics/interaction_types.h"

// Stores the tilt angles and the matrix Rx(ax) Ry(-ay) Rz(az) in the view; all three
// exactly 0 leave it untilted (identity).
void SetViewAngles(TInteractionSurface &surface, double ax, double ay, double az);

// sense 0: v = M^T v (global to local); sense 1: v = M v (local to global). Untilted
// surfaces leave v as it is.
void RotateBySurface(const TInteractionSurface &surface, double v[3], int sense);

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
