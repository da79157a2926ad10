#include "document/system/cardinal_points.h"

#include <cmath>

#include "optics/model/optical_system.h"

namespace {

// Below this power (1/mm) the system counts as afocal.
constexpr double kNoPower = 1e-12;

bool OnAxis(const TSurface &s) {
  return s.general.vertex[1] == 0.0 && s.general.vertex[2] == 0.0 && s.general.angles[0] == 0.0 &&
         s.general.angles[1] == 0.0 && s.general.angles[2] == 0.0;
}

}  // namespace

TCardinalPoints ComputeCardinalPoints(const TOpticalSystem &system) {
  TCardinalPoints points;
  const int first = 1;
  const int last = system.SurfaceCount() - 2;
  if (last < first) return points;
  for (int i = 0; i < system.SurfaceCount(); ++i) {
    const TSurface *s = system.Surface(i);
    if (s == nullptr || !OnAxis(*s)) return points;
  }
  // (y, n u) through the surfaces: refraction [[1, 0], [-phi, 1]], transfer [[1, t/n], [0, 1]].
  double a = 1.0, b = 0.0, c = 0.0, d = 1.0;
  for (int i = first; i <= last; ++i) {
    const TGeneralParameters &g = system.Surface(i)->general;
    if (i > first) {
      const TGeneralParameters &previous = system.Surface(i - 1)->general;
      if (previous.nAfter == 0.0) return points;
      const double reduced = (g.vertex[0] - previous.vertex[0]) / previous.nAfter;
      a += reduced * c;
      b += reduced * d;
    }
    const double curvature = g.R != 0.0 ? 1.0 / g.R : 0.0;
    const double phi = (g.nAfter - g.nBefore) * curvature;
    c -= phi * a;
    d -= phi * b;
  }
  if (std::fabs(c) < kNoPower || !std::isfinite(c)) return points;
  const TGeneralParameters &in = system.Surface(first)->general;
  const TGeneralParameters &out = system.Surface(last)->general;
  points.power = -c;
  points.focalLength = 1.0 / points.power;
  points.front = in.vertex[0] + in.nBefore * d / c;
  points.back = out.vertex[0] - a * out.nAfter / c;
  points.frontPrincipal = points.front + in.nBefore / points.power;
  points.backPrincipal = points.back - out.nAfter / points.power;
  points.valid = std::isfinite(points.front) && std::isfinite(points.back);
  return points;
}
