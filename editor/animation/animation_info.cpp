#include "editor/animation/animation_info.h"

#include <algorithm>
#include <cmath>
#include <utility>

void TCommonAnimationInfo::Reset() {
  records.Clear();
  savedPositions.Clear();
  savedAngles.Clear();
}

void SortPair(double &first, double &second) {
  if (second < first) std::swap(first, second);
}

void AdvanceInRange(double &value, double &step, double lower, double upper, int wrap) {
  const double direction = step != 0.0 ? step / std::fabs(step) : 1.0;
  if (direction > 0.0 && value > upper) {
    if (wrap != 0) {
      value = lower;
    } else {
      // A step longer than the range would carry the value past the other end.
      step = -step;
      value = std::clamp(upper + step, lower, upper);
    }
  } else if (direction <= 0.0 && value < lower) {
    if (wrap != 0) {
      value = upper;
    } else {
      step = -step;
      value = std::clamp(lower + step, lower, upper);
    }
  }
}
