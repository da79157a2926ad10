#pragma once
// The beam animation's sweep: the range of the beam coordinate, and the values one step
// after another from the lowest up to the highest and back down.

#include "foundation/containers/mem.h"

// The range of the beam coordinate: the smallest and largest of the system's beam
// coordinates, or the two values of the file when either is nonzero. False when the range
// is empty (no beams and no values, equal ends).
bool BeamAnimationRange(const Mem<double> &beams, const double fileValues[2], double &lowest,
                        double &highest);

class TBeamSweep {
 public:
  // steps: steps from one end to the other (at least 1).
  TBeamSweep(double lowest, double highest, int steps);
  // The next value: the lowest first, then up by one step to the highest (value steps + 1),
  // then down to one step above the lowest, and again. The ends are met exactly.
  double Next();
  // Values of one cycle, up and down.
  long long CycleLength() const { return 2LL * steps_; }

 private:
  double lowest_;
  double highest_;
  int steps_;
  int position_ = -1;  // steps above the lowest of the value last given
  int direction_ = 1;
};
