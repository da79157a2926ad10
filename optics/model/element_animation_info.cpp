#include "optics/model/element_animation_info.h"

TElementAnimationInfo::TElementAnimationInfo()
    : rotationOrigin(kRotationOriginNotGiven, kRotationOriginNotGiven, kRotationOriginNotGiven) {
  for (Mem<double> &range : ranges) {
    if (range.Allocate(2, 1)) range.Zero();
  }
}
