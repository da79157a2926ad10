#include "analysis/ranges/plot_range.h"

#include <cmath>

int EffectiveScaleMode(int mode, const TRangeRef &decidingRange) {
  return decidingRange.Empty() ? kScaleAuto : mode;
}

double ImageCoordinate(int imageFinite, double height, double cosine, double L) {
  constexpr double kMilliradians = 1000.0;
  return imageFinite ? height : std::atan(cosine / L) * kMilliradians;
}
