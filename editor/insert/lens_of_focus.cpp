#include "editor/insert/lens_of_focus.h"

#include <algorithm>
#include <cmath>

namespace {

// Sag of a sphere of radius r at height h (h < |r|), signed as r.
double Sag(double r, double h) {
  const double a = std::fabs(r);
  const double s = a - std::sqrt(a * a - h * h);
  return r < 0.0 ? -s : s;
}

constexpr double kMinEdgeShare = 0.1;
constexpr double kMaxHeightShare = 0.95;

}  // namespace

TLensRadii LensRadiiForFocus(double focal, double relativeIndex, double thickness) {
  TLensRadii lens;
  const double n = relativeIndex;
  const double t = thickness;
  if (!std::isfinite(focal) || focal == 0.0) {
    lens.error = "The focal length must not be zero";
    return lens;
  }
  if (!std::isfinite(n) || n <= 1.0) {
    lens.error = "The glass must be denser than the medium around the lens";
    return lens;
  }
  if (!std::isfinite(t) || t < 0.0) {
    lens.error = "The thickness must not be negative";
    return lens;
  }
  // R^2 - 2 (n - 1) f R + (n - 1)^2 t f / n = 0; the root that tends to 2 (n - 1) f as the
  // lens grows thin.
  const double root = 1.0 - t / (n * focal);
  if (root < 0.0) {
    lens.error = "The lens is too thick for its focal length";
    return lens;
  }
  const double r = (n - 1.0) * focal * (1.0 + std::sqrt(root));
  lens.r1 = r;
  lens.r2 = -r;
  return lens;
}

double LensSemiHeight(const TLensRadii &lens, double thickness, double wanted) {
  const double radius = std::min(std::fabs(lens.r1), std::fabs(lens.r2));
  double h = std::min(wanted, kMaxHeightShare * radius);
  if (!(h > 0.0)) return 0.0;
  // Edge thickness: t - sag1 + sag2 (a convex lens thins towards its edge).
  auto edge = [&](double height) { return thickness - Sag(lens.r1, height) + Sag(lens.r2, height); };
  const double least = kMinEdgeShare * thickness;
  if (edge(h) >= least) return h;
  // The edge thins steadily with the height: halve the interval down to the limit.
  double low = 0.0;
  double high = h;
  for (int k = 0; k < 60; ++k) {
    const double mid = 0.5 * (low + high);
    if (edge(mid) >= least)
      low = mid;
    else
      high = mid;
  }
  return low;
}
