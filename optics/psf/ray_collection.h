#pragma once
// The image points of one beam at one wavelength in the spot diagram.

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"

class TRayCollection {
 public:
  TRayCollection() = default;
  // Copies are deep: the point list is the container's own copy.
  TRayCollection(const TRayCollection &other) = default;
  TRayCollection &operator=(const TRayCollection &other) = default;
  ~TRayCollection() = default;

  Mem<DPOINT3> points;
};
