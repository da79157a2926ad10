#pragma once
// The rays of one field point through many points of the entrance pupil, as MakeRay builds
// them, with what depends on the field alone (the object point's sag, the field angles'
// tangents, the direction from an object at infinity) worked out once for the field.

#include "optics/model/ray.h"

class TOpticalSystem;
class TSurface;

class TFieldRays {
 public:
  // The field point (fA, fB) of the system: object height or field angles in degrees, as
  // for MakeRay. The system's pupils must have been solved for it first, and the system
  // must outlive this object unchanged.
  TFieldRays(const TOpticalSystem &system, double fA, double fB);

  // The global ray through the pupil point (pA, pB): MakeRay(fA, fB, pA, pB) bit for bit.
  TCurrentRay Ray(double pA, double pB) const;

 private:
  const TOpticalSystem &system_;
  const TSurface *object_;
  double fA_, fB_;
  bool objectTilted_ = false;  // the object surface turns the axes
  double x0_ = 0.0;  // the object surface's sag at the field point
  // An object at infinity: the start's lateral offsets and the normalised global direction.
  double offsetY_ = 0.0, offsetZ_ = 0.0;
  double direction_[3] = {1.0, 0.0, 0.0};
};
