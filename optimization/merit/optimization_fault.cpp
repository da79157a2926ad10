#include "optimization/merit/optimization_fault.h"

#include <cmath>

namespace {

// |h| truncated towards zero to hundredths.
double Hundredths(double h) { return std::trunc(std::fabs(h) * 100.0) * 0.01; }

}  // namespace

void TOptimizationFault::NotePassedHeight(double h) {
  if (std::fabs(h) > passedHeight) passedHeight = Hundredths(h);
}

void TOptimizationFault::NoteFailedHeight(double h) {
  if (failedHeight == 0.0) {
    failedHeight = std::fabs(h);
  } else if (std::fabs(h) < failedHeight) {
    failedHeight = Hundredths(h);
  }
}
