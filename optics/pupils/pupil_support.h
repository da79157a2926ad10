#pragma once
// The pupils area holds the stop and pupil solve, the first-order constants, automatic
// focusing and the starting rays of every analysis (field_rays.h). It uses optics/model and
// optics/interaction.
//
// Small pieces shared by the pupil solve, the first-order constants and automatic focusing.

#include "optics/model/optical_system.h"

// Makes the image surface optically neutral (same index on both sides, no mirror) for as
// long as it lives, and puts it back whatever happens in between.
class TNeutralImageSurface {
 public:
  explicit TNeutralImageSurface(TSurface *image);
  ~TNeutralImageSurface();
  TNeutralImageSurface(const TNeutralImageSurface &) = delete;
  TNeutralImageSurface &operator=(const TNeutralImageSurface &) = delete;

 private:
  TSurface *image_;
  double nAfter_ = 1.0;
  int materialKind_ = 0;
};

// True when every surface of the list is there (the solve indexes them freely).
bool AllSurfacesPresent(const TOpticalSystem &system);

// Outer semi-height of surface i (0 for a surface the system does not have).
double SemiHeight(const TOpticalSystem &system, int i);

// sign(L) M/L and sign(L) N/L: slopes along the way the ray runs.
inline double ForwardSlope(double L, double component) {
  return L == 0.0 ? 0.0 : (L < 0.0 ? -component / L : component / L);
}
