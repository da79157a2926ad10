#include "optics/interaction/surface_geometry.h"

#include <cmath>

#include "optics/interaction/surface_interaction.h"

namespace {

constexpr double kHalfPi = 1.5707963267948966;
constexpr double kProbeBackOff = 0.001;  // start distance before the surface point

double SignOf(double value) { return value >= 0.0 ? 1.0 : -1.0; }

// A ray starting at the vertex plus the tilted local point, along the tilted local direction.
TCurrentRay ProbeRay(const TInteractionSurface &s, const double local[3], const double direction[3],
                     int traceThrough) {
  double p[3] = {local[0], local[1], local[2]};
  double d[3] = {direction[0], direction[1], direction[2]};
  RotateBySurface(s, p, 1);
  RotateBySurface(s, d, 1);
  TCurrentRay ray;
  ray.traceThrough = traceThrough;
  ray.x = p[0] + s.vertex[0];
  ray.y = p[1] + s.vertex[1];
  ray.z = p[2] + s.vertex[2];
  ray.L = d[0];
  ray.M = d[1];
  ray.N = d[2];
  return ray;
}

bool ZonedSphere(const TInteractionSurface &s) {
  return s.type == kSurfaceSphere && s.hasZones && s.R != 0.0;
}

}  // namespace

void SurfacePointAtHeight(const TInteractionSurface &s, double h, double &x, double &y, int &ok) {
  double probe[3] = {1.0, 0.0, 0.0};
  double sag = 0.0;
  if (ZonedSphere(s)) {
    // Lens-array elements sit on the sphere: probe along its normal.
    sag = s.R - SignOf(s.R) * std::sqrt(std::fabs(s.R * s.R - h * h));
    const double nx = 1.0 - sag / s.R, ny = -h / s.R;
    const double length = std::sqrt(nx * nx + ny * ny);
    probe[0] = nx / length;
    probe[1] = ny / length;
  }
  const double inner = s.inner.semiHeight;
  if (std::fabs(h) >= inner) {
    const double local[3] = {sag, h, 0.0};
    TCurrentRay ray = ProbeRay(s, local, probe, 1);
    const double startX = ray.x, startY = ray.y;
    if (TraceSurfaceRay(s, ray) == kRayMissedSurface) {
      ok = 0;
      x = startX;
      y = startY;
      return;
    }
    ok = 1;
    x = ray.x;
    y = ray.y;
    return;
  }
  // Inside the obscuration: interpolate between its two edges.
  const double upper[3] = {0.0, inner, 0.0}, lower[3] = {0.0, -inner, 0.0};
  TCurrentRay first = ProbeRay(s, upper, probe, 1);
  TCurrentRay second = ProbeRay(s, lower, probe, 1);
  TraceSurfaceRay(s, first);
  TraceSurfaceRay(s, second);
  const double f = (inner - h) / (2.0 * inner);
  x = first.x + (second.x - first.x) * f;
  y = first.y + (second.y - first.y) * f;
  ok = 1;
}

void SurfacePointOnSurface(const TInteractionSurface &s, double y, double z, double point[3],
                           int &ok) {
  double local[3] = {0.0, y, z};
  double probe[3] = {SignOf(s.R), 0.0, 0.0};
  if (ZonedSphere(s)) {
    local[0] = s.R - SignOf(s.R) * std::sqrt(std::fabs(s.R * s.R - y * y - z * z));
    const double n[3] = {1.0 - local[0] / s.R, -y / s.R, -z / s.R};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int i = 0; i < 3; ++i) probe[i] = n[i] / length;
  }
  const double start[3] = {local[0] - kProbeBackOff * probe[0], local[1] - kProbeBackOff * probe[1],
                           local[2] - kProbeBackOff * probe[2]};
  TCurrentRay ray = ProbeRay(s, start, probe, 0);
  const int result = TraceSurfaceRay(s, ray);
  ok = result == kRayPassed ? 1 : 0;
  if (result == kRayMissedSurface) {
    double onSurface[3] = {local[0], local[1], local[2]};
    RotateBySurface(s, onSurface, 1);
    for (int i = 0; i < 3; ++i) point[i] = onSurface[i] + s.vertex[i];
    return;
  }
  point[0] = ray.x;
  point[1] = ray.y;
  point[2] = ray.z;
}

int SurfaceProfile(const TInteractionSurface &s, int count, DPOINT *out, int side, double h,
                   double centre) {
  if (count < 2 || out == nullptr) return 0;
  if (h == 0.0) {
    h = s.outer.semiHeight;
    centre = s.outer.centreY;
  }
  const double direction = side >= 0 ? 1.0 : -1.0;
  double top = centre + direction * h, bottom = centre - direction * h;
  const bool sphere = s.type == kSurfaceSphere && s.R != 0.0;
  double first = top, last = bottom;
  if (sphere) {
    const double radius = std::fabs(s.R);
    auto clampAngle = [radius](double height) {
      height = std::fmax(-radius, std::fmin(radius, height));
      return std::fmax(-kHalfPi, std::fmin(kHalfPi, std::asin(height / radius)));
    };
    first = clampAngle(top);
    last = clampAngle(bottom);
  }
  for (int i = 0; i < count; ++i) {
    const double value = first + (last - first) * i / (count - 1);
    const double height = sphere ? std::fabs(s.R) * std::sin(value) : value;
    int ok = 0;
    SurfacePointAtHeight(s, height, out[i].x, out[i].y, ok);
  }
  return 1;
}

bool SurfaceApertureCentre(const TInteractionSurface &s, double centre[3], double &radius) {
  const TBoundView &o = s.outer;
  double a = o.semiHeight, b = 0.0;
  radius = o.semiHeight;
  if (o.type == kBoundEllipse) {
    if (o.semiHeight <= o.semiWidth) {
      a = 0.0;
      b = o.semiWidth;
      radius = o.semiWidth;
    }
  } else if (o.type == kBoundSquare || o.type == kBoundRectangle) {
    b = o.semiWidth;
    radius = std::sqrt(o.semiHeight * o.semiHeight + o.semiWidth * o.semiWidth);
  }
  const double axis[3] = {1.0, 0.0, 0.0};
  const double plus[3] = {0.0, a, b}, minus[3] = {0.0, -a, -b};
  TCurrentRay first = ProbeRay(s, plus, axis, 1);
  TCurrentRay second = ProbeRay(s, minus, axis, 1);
  if (TraceSurfaceRay(s, first) == kRayMissedSurface ||
      TraceSurfaceRay(s, second) == kRayMissedSurface) {
    centre[0] = centre[1] = centre[2] = 0.0;
    return false;
  }
  centre[0] = 0.5 * (first.x + second.x);
  centre[1] = 0.5 * (first.y + second.y);
  centre[2] = 0.5 * (first.z + second.z);
  return true;
}
