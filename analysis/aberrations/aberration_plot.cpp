#include "analysis/aberrations/aberration_plot.h"

#include <cmath>

TCurveColor AberrationCurveColor(int curve, int curves, bool singleWavelength) {
  TCurveColor result;
  if (singleWavelength) {
    result.fromTable = true;
    result.color = kAberrationColorTable[(curve % 6 + 6) % 6];
  } else {
    result.fromTable = false;
    result.paletteFraction = (curve + 2.0) / (curves + 1.0);
  }
  return result;
}

void FanPlotRange(double min, double max, bool transverse, double &lo, double &hi) {
  constexpr double kMarginShare = 1.0 / 15.0;
  constexpr double kBelowZeroShare = 0.1;
  const double margin = (max - min) * kMarginShare;
  lo = min - margin;
  hi = max + margin;
  if (!transverse) return;
  if (lo < 0.0 && hi < 0.0)
    hi = 0.0;
  else if (lo >= 0.0 && hi > 0.0)
    lo = -std::fabs(kBelowZeroShare * hi);
}

bool FarOutsidePlot(double value, double lo, double hi) {
  constexpr double kHalfWidthsAllowed = 10.0;
  const double middle = (lo + hi) / 2.0;
  return std::fabs(value - middle) > kHalfWidthsAllowed * (hi - lo) / 2.0;
}

void AdjustDistortionRange(double &min, double &max) {
  if (min == max) {
    min -= 1.0;
    max += 1.0;
  }
  const bool oneSide = (min >= 0.0 && max >= 0.0) || (min <= 0.0 && max <= 0.0);
  if (!oneSide) return;
  if (std::fabs(max) <= std::fabs(min))
    max = 0.0;
  else
    min = 0.0;
}
