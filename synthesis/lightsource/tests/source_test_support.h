#pragma once
// What the light-source tests share: a solid source of one object, a rectangle of a
// Lambertian source facing the system,
// and the share of such a source's emission that a system passes, by a quadrature that is
// independent of the source's own sampling.

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "optics/model/optical_system.h"
#include "synthesis/lightsource/light_source.h"

namespace source_test {

// The share of a Lambertian source's emission that the system passes, by a quadrature
// independent of the source's sampling: rays from points of equal area of the source (in
// the plane x = 0) to rings of a disc of the first surface's aperture at x = plane, each with
// the kernel cos1 cos2 / d^2 dA1 dA2, those that pass counted; over pi A1 it is the share
// passed. The view factor counts every ray.
struct TQuadrature {
  double viewFactor = 0.0;
  double passed = 0.0;
};
inline TQuadrature PassedShare(TOpticalSystem &system, const std::vector<std::array<double, 2>> &points,
                               double receiver, double plane) {
  const int apertureRings = 30, apertureSectors = 60;
  double kernel = 0.0, passedKernel = 0.0;
  for (const auto &[y1, z1] : points)
    for (int k = 0; k < apertureRings; ++k) {
      const double r2 = receiver * std::sqrt((k + 0.5) / apertureRings);
      for (int m = 0; m < apertureSectors; ++m) {
        const double p2 = 2.0 * std::numbers::pi * (m + 0.5) / apertureSectors;
        const double dx = plane, dy = r2 * std::cos(p2) - y1, dz = r2 * std::sin(p2) - z1;
        const double d2 = dx * dx + dy * dy + dz * dz;
        const double d = std::sqrt(d2);
        const double w = (dx / d) * (dx / d) / d2;  // both cosines are dx / d
        kernel += w;
        TCurrentRay ray(0.0, y1, z1);
        ray.L = dx / d;
        ray.M = dy / d;
        ray.N = dz / d;
        if (system.TraceRay(ray, kTracePlain, nullptr, 1) == 1) passedKernel += w;
      }
    }
  // Each pair stands for A1 / points x A2 / cells; over pi A1 the source's area drops out,
  // and pi with it.
  const double toShare = receiver * receiver / (static_cast<double>(points.size()) * apertureRings * apertureSectors);
  return {kernel * toShare, passedKernel * toShare};
}

// A solid source of one object, `name`, with room for `triangles` triangles.
inline TLightSource SolidSource(const char *name, int triangles) {
  TLightSource source;
  source.SourceType = kSolidSource;
  source.ObjectNames.Allocate(1, 1);
  source.ObjectNames.data[0] = name;
  source.ObjectTemperatures.Allocate(1, 1);
  source.ObjectTemperatures.data[0] = 0.0f;
  source.Triangles.Allocate(triangles, 1);
  return source;
}

// A rectangle y0..y1 x z0..z1 in the plane x = 0 facing the system.
inline TLightSource Rectangle(double y0, double y1, double z0, double z1) {
  TLightSource source = SolidSource("rectangle", 2);
  const double a[3] = {0.0, y0, z0}, b[3] = {0.0, y1, z0}, c[3] = {0.0, y1, z1}, d[3] = {0.0, y0, z1};
  source.Triangles.data[0].SetVertices(a, b, c);
  source.Triangles.data[1].SetVertices(a, c, d);
  source.Triangles.data[0].Object = source.Triangles.data[1].Object = 0;
  return source;
}

// The share the system passes of the rectangle y0..y1 x z0..z1 one object distance before
// its first surface, by the quadrature over perSide x perSide points of the rectangle and
// the first surface's aperture.
inline double PassedShareOfRectangle(TOpticalSystem &system, double y0, double y1, double z0, double z1,
                                     int perSide) {
  double apertureRadius = 0.0;
  const DPOINT3 aim = system.surfaces.data[1]->LocalFrame(apertureRadius);
  std::vector<std::array<double, 2>> points;
  for (int i = 0; i < perSide; ++i)
    for (int j = 0; j < perSide; ++j)
      points.push_back({y0 + (y1 - y0) * (i + 0.5) / perSide, z0 + (z1 - z0) * (j + 0.5) / perSide});
  return PassedShare(system, points, apertureRadius, aim.x).passed;
}

}  // namespace source_test
