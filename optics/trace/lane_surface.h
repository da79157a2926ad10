#pragma once
// Building a lane surface from a surface's view or straight from a model surface, inline so
// that the one-ray trace's loop builds each surface's constants beside its passage (off the
// ray's chain of dependent steps) without a call that would take the ray out of registers.

#include <cmath>

#include "optics/model/surface.h"
#include "optics/trace/lane_trace.h"

// The constants of an eligible surface, from its shape, bounds, media and vertex.
[[gnu::always_inline]] inline void FillLaneSurface(double R, double Ex, int type, const TBoundView &outer,
                            const TBoundView &inner, double indexBefore, double indexAfter,
                            const double vertex[3], TLaneSurface &lane) {
  for (int i = 0; i < 3; ++i) lane.vertex[i] = vertex[i];
  lane.R = R;
  lane.e = 1.0 - Ex;
  lane.twoR = 2.0 * R;
  lane.curvature = R == 0.0 ? 0.0 : 1.0 / R;
  lane.curvatureE = lane.curvature * (1.0 - Ex);
  lane.outerLimit = outer.semiHeight * outer.semiHeight * kBoundTolerance;
  lane.outerY = outer.centreY;
  lane.outerZ = outer.centreZ;
  lane.innerLimit = inner.semiHeight * inner.semiHeight * kBoundTolerance;
  lane.innerY = inner.centreY;
  lane.innerZ = inner.centreZ;
  lane.mu = indexAfter == 0.0 ? 1.0 : indexBefore / indexAfter;
  lane.muSquared = lane.mu * lane.mu;
  lane.sense = lane.mu >= 0.0 ? 1.0 : -1.0;
  lane.flat = R == 0.0 || type == kSurfacePlane ? 1 : 0;
}

[[gnu::always_inline]] inline bool IsLaneShape(int type) {
  return type == kSurfacePlane || type == kSurfaceSphere || type == kSurfaceAspheric2;
}

// MakeLaneSurface of a model surface (lane_trace.h), inline.
[[gnu::always_inline]] inline bool FillLaneSurfaceOf(const TSurface &surface, TLaneSurface &lane) {
  const TGeneralParameters &g = surface.general;
  // As MakeInteractionSurface reads them: a tilt flag without its nine cells turns nothing.
  const bool tilted = surface.tilted && surface.tiltMatrix.data != nullptr &&
                      surface.tiltMatrix.cols * surface.tiltMatrix.rows >= 9;
  const THOEParameters *h = surface.hoe;
  const bool hoe = h != nullptr && h->Vh.data != nullptr && h->Vh.cols * h->Vh.rows > 0 &&
                   std::fabs(h->Mhxy) > kRayZero;
  if (!IsLaneShape(g.type) || tilted || surface.hasAsCoef || surface.HasRasterZones() || hoe)
    return false;
  if (g.boundTypeExt != kBoundRound || g.boundTypeInt != kBoundRound) return false;
  const TBoundView outer{g.boundTypeExt, g.semiHeightExt, g.semiWidthExt, g.boundPosYExt,
                         g.boundPosXExt};
  const TBoundView inner{g.boundTypeInt, g.semiHeightInt, g.semiWidthInt, g.boundPosYInt,
                         g.boundPosXInt};
  FillLaneSurface(g.R, g.Ex, g.type, outer, inner, g.nBefore, g.nAfter, g.vertex, lane);
  return true;
}
