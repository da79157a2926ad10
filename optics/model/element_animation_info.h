#pragma once
// One element's lens-animation record: steps, ranges and the running motion of its
// position and angles.

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"

// A rotation origin whose first value is this was not given.
constexpr double kRotationOriginNotGiven = 2147483647.0;

class TElementAnimationInfo {
 public:
  TElementAnimationInfo();
  TElementAnimationInfo(const TElementAnimationInfo &other) = default;
  TElementAnimationInfo &operator=(const TElementAnimationInfo &other) = default;
  ~TElementAnimationInfo() = default;

  int elementIndex = 0;
  // Position steps 1, 2, 3 (dPosZ, dPosY, dPosX), then angle steps (dRotZ, dRotX, dRotY).
  double steps[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
  // (from, to) of PosZ, PosY, PosX, RotZ, RotX, RotY.
  Mem<double> ranges[6];
  DPOINT3 rotationOrigin;
  // (current, lower bound, upper bound) of position 1, 2, 3 and angle 1, 2, 3.
  double motion[6][3] = {};
  int GoBack = 0;  // 0: turn back at the ends of a range; otherwise jump to the other end
};
