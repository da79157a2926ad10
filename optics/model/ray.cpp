#include "optics/model/ray.h"

#include <cmath>

void TCurrentRay::SetDirection(double a, double b, double c, double d, double e, double f,
                               int kind) {
  if (kind != 0) {
    const double dx = d - a;
    const double dy = e - b;
    const double dz = f - c;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    x = a;
    y = b;
    z = c;
    // Two equal points give no direction; the old one is kept rather than made NaN.
    if (length > 0.0) {
      L = dx / length;
      M = dy / length;
      N = dz / length;
    }
    return;
  }
  const double alpha = a * kDegreesToRadians;
  const double beta = b * kDegreesToRadians;
  L = std::cos(beta) * std::cos(alpha);
  M = std::sin(alpha);
  N = std::sin(beta) * std::cos(alpha);
  if (std::fabs(L) < kRayZero) {
    x = d;
    y = e;
    z = f;
    return;
  }
  x = d - c;
  y = e - c * M / L;
  z = f - c * N / L;
}
