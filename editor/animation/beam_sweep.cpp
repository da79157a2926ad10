#include "editor/animation/beam_sweep.h"

#include <algorithm>
#include <cmath>

bool BeamAnimationRange(const Mem<double> &beams, const double fileValues[2], double &lowest,
                        double &highest) {
  lowest = 1e20;
  highest = -1e20;
  const int count = beams.Cells();
  for (int i = 0; i < count; ++i) {
    lowest = std::min(lowest, beams.data[i]);
    highest = std::max(highest, beams.data[i]);
  }
  const bool fromFile = fileValues[0] != 0.0 || fileValues[1] != 0.0;
  if (fromFile) {
    lowest = std::min(fileValues[0], fileValues[1]);
    highest = std::max(fileValues[0], fileValues[1]);
  }
  // Without beams and values the ends stay at their starting marks: nothing to sweep.
  if (!fromFile && count == 0) return false;
  return std::isfinite(lowest) && std::isfinite(highest) && lowest < highest;
}

TBeamSweep::TBeamSweep(double lowest, double highest, int steps)
    : lowest_(lowest), highest_(highest), steps_(std::max(steps, 1)) {}

double TBeamSweep::Next() {
  if (position_ >= steps_) direction_ = -1;
  if (position_ <= 0) direction_ = 1;
  position_ += direction_;
  if (position_ == steps_) return highest_;
  return lowest_ + (highest_ - lowest_) * position_ / steps_;
}
