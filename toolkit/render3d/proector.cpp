#include "toolkit/render3d/proector.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

constexpr double kDefaultAzimuth = 0.6108652381980153;    // 35 degrees
constexpr double kDefaultElevation = 1.2217304763960306;  // 70 degrees
// Below this length the vertical axis is taken as degenerate (view along z).
constexpr double kDegenerateLength = 1e-12;

}  // namespace

TProector::TProector() { SetAngles(kDefaultAzimuth, kDefaultElevation); }

TProector::TProector(double azimuth, double elevation) { SetAngles(azimuth, elevation); }

void TProector::SetAngles(double azimuth, double elevation) {
  a = azimuth;
  b = elevation;
  d[0] = std::cos(a) * std::sin(b);
  d[1] = std::sin(a) * std::sin(b);
  d[2] = std::cos(b);
  double v[3] = {d[2] * d[0], d[2] * d[1], d[2] * d[2] - 1.0};
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length > kDegenerateLength) {
    for (double &c : v) c /= length;
  } else {
    // Looking along the z axis the projected z axis vanishes; take the limit of V as the
    // view approaches that direction, so the picture keeps its orientation and stays finite.
    const double side = d[2] >= 0.0 ? 1.0 : -1.0;
    v[0] = side * std::cos(a);
    v[1] = side * std::sin(a);
    v[2] = 0.0;
  }
  std::copy(v, v + 3, V);
  U[0] = d[1] * V[2] - d[2] * V[1];
  U[1] = d[2] * V[0] - d[0] * V[2];
  U[2] = d[0] * V[1] - d[1] * V[0];
}

void TProector::BoxBounds(const TProector &projector, const DPOINT3 &corner1,
                          const DPOINT3 &corner2, const TRotator &rotator, double bounds[4]) {
  bounds[0] = DBL_MAX;
  bounds[1] = DBL_MAX;
  bounds[2] = -DBL_MAX;
  bounds[3] = -DBL_MAX;
  for (int corner = 0; corner < 8; ++corner) {
    const DPOINT3 p((corner & 1) ? corner2.x : corner1.x, (corner & 2) ? corner2.y : corner1.y,
                    (corner & 4) ? corner2.z : corner1.z);
    double sx = 0.0;
    double sy = 0.0;
    projector.Project(rotator.Transform(p), sx, sy);
    bounds[0] = std::min(bounds[0], sx);
    bounds[1] = std::min(bounds[1], sy);
    bounds[2] = std::max(bounds[2], sx);
    bounds[3] = std::max(bounds[3], sy);
  }
}

void TProector::UnitBoxBounds(const TProector &projector, const TRotator &rotator,
                              double bounds[4]) {
  BoxBounds(projector, DPOINT3(0, 0, 0), DPOINT3(1, 1, 1), rotator, bounds);
}
