#include "toolkit/render3d/proector.h"

#include <algorithm>
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

void TProector::BoxBounds(const TProector &projector, const double corner1[3],
                          const double corner2[3], const double m[3][3], const double offset[3],
                          double bounds[4]) {
  bounds[0] = DBL_MAX;
  bounds[1] = DBL_MAX;
  bounds[2] = -DBL_MAX;
  bounds[3] = -DBL_MAX;
  for (int corner = 0; corner < 8; ++corner) {
    const double p[3] = {(corner & 1) ? corner2[0] : corner1[0],
                         (corner & 2) ? corner2[1] : corner1[1],
                         (corner & 4) ? corner2[2] : corner1[2]};
    double q[3];
    for (int r = 0; r < 3; ++r) q[r] = m[r][0] * p[0] + m[r][1] * p[1] + m[r][2] * p[2] + offset[r];
    double sx = 0.0;
    double sy = 0.0;
    projector.Project(q[0], q[1], q[2], sx, sy);
    bounds[0] = std::min(bounds[0], sx);
    bounds[1] = std::min(bounds[1], sy);
    bounds[2] = std::max(bounds[2], sx);
    bounds[3] = std::max(bounds[3], sy);
  }
}
