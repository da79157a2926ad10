#pragma once
// Whether two faces cross, judged where they stand: each face sampled over the part of its
// outer bound that holds glass or a mirror (a mirror's obscuration left out), in system
// coordinates, with its tilt, decentre and shape terms; each sample carried along the light
// onto the other face by that face's own intersection, so every surface type counts as the
// trace sees it.

#include <vector>

#include "foundation/containers/points.h"
#include "optics/model/surface.h"

// One face ready to be compared: a copy of the surface that refracts nothing (so no line
// along the light is lost to total reflection) and its sample points. A face without a
// surface is a single point (a vertex yet to be given a shape).
struct TSampledFace {
  TSampledFace() = default;
  explicit TSampledFace(const TSurface &surface);
  explicit TSampledFace(const DPOINT3 &point);
  // The face moved by `shift`, then turned about `pivot` by `turn` radians about z.
  void Move(const DPOINT3 &shift, const DPOINT3 &pivot, double turn);

  bool hasSurface = false;
  TSurface surface;
  std::vector<DPOINT3> points;
};

// The least distance along the light (direction `tilt` about z) from face `front` to face
// `back` where a line along the light meets both; negative by how deep they cross; infinite
// when no line meets both. `height` (may be null) takes the distance from the axis through
// `axis` (in the drawing's plane and across it) where the least falls.
double FaceClearance(const TSampledFace &front, const TSampledFace &back, double tilt, const DPOINT3 &axis,
                     double *height);

// How far a face's samples reach along the light from `origin`: widens [front, back].
void FaceReachAlong(const TSampledFace &face, double tilt, const DPOINT3 &origin, double &front, double &back);
