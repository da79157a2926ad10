#include <algorithm>

#include "optics/glass/glass_info.h"

double StandardAirIndex(double wavelengthUm) {
  // Below 0.2 µm the formula heads for its poles at 0.156 and 0.083 µm.
  const double lambda = std::max(wavelengthUm, 0.2);
  const double sigma2 = 1.0 / (lambda * lambda);
  return 1.0 + 1e-6 * (64.328 + 29498.1 / (146.0 - sigma2) + 255.4 / (41.0 - sigma2));
}

double AirIndex(double standardAirIndex, double temperatureC, double pressureMmHg) {
  return 1.0 + (standardAirIndex - 1.0) * pressureMmHg *
                   (1.0 + (1.049 - 0.0157 * temperatureC) * 1e-6 * pressureMmHg) /
                   (720.883 * (1.0 + 0.003661 * temperatureC));
}
