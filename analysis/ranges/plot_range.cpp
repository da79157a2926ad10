#include "analysis/ranges/plot_range.h"

#include <cmath>

int EffectiveScaleMode(int mode, const TRangeRef &decidingRange) {
  return decidingRange.Empty() ? kScaleAuto : mode;
}
