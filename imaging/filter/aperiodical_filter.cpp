#include "imaging/filter/aperiodical_filter.h"

#include <cmath>

TAperiodicalFilter::TAperiodicalFilter(double stepValue, double timeConstantValue) {
  Init(stepValue, timeConstantValue, 0.0);
}

void TAperiodicalFilter::Init(double stepValue, double timeConstantValue, double start) {
  step = stepValue;
  timeConstant = timeConstantValue;
  ComputeCoefficients(start);
}

void TAperiodicalFilter::ComputeCoefficients(double start) {
  const double r = step / timeConstant;
  // A step or time constant that gives no finite positive ratio (0, a negative time, an
  // infinite one) leaves nothing to lag: the output follows the input.
  if (step == 0.0 || timeConstant == 0.0 || !(r > 0.0) || !std::isfinite(r)) {
    a = 0.0;
    b = 1.0;
    c = 0.0;
  } else {
    const double e = std::exp(-r);
    const double rise = (1.0 - e) / r;
    a = e;
    b = 1.0 - rise;
    c = rise - e;
  }
  Reset(start);
}
