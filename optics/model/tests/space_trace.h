#pragma once
// Our own trace in space, apart from the program's: spheres (R 0: planes) of vertex v, unit
// axis u and index n behind; refraction t = e d + (e cos i - sqrt(1 - e^2 sin^2 i)) m with
// e = n1 / n2 and m the unit normal against the ray. p and d end on the last surface.

#include <cmath>
#include <vector>

#include "optics/model/optical_system.h"

struct TSpaceSurface {
  double v[3], u[3], R, n;
};
inline double Dot(const double *a, const double *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline void SpaceTrace(const std::vector<TSpaceSurface> &path, double p[3], double d[3]) {
  double n1 = 1.0;
  for (const TSpaceSurface &s : path) {
    double q[3], m[3];  // q: from p to the sphere's centre (a plane's vertex)
    for (int k = 0; k < 3; ++k) q[k] = s.v[k] + s.R * s.u[k] - p[k];
    const double b = Dot(d, q);
    const double t = s.R == 0.0 ? Dot(s.u, q) / Dot(d, s.u)
                                : b - std::copysign(std::sqrt(b * b - Dot(q, q) + s.R * s.R), s.R);
    for (int k = 0; k < 3; ++k) p[k] += t * d[k], m[k] = s.R == 0.0 ? s.u[k] : (t * d[k] - q[k]) / s.R;
    const double e = n1 / s.n, sign = Dot(m, d) > 0.0 ? -1.0 : 1.0, cosine = -sign * Dot(m, d);
    const double g = sign * (e * cosine - std::sqrt(1.0 - e * e * (1.0 - cosine * cosine)));
    for (int k = 0; k < 3; ++k) d[k] = e * d[k] + g * m[k];
    n1 = s.n;
  }
}

// Surfaces 1 .. n - 1 of a prepared system as our trace takes them: the vertices, the axes
// their turns give, radii and indices.
inline std::vector<TSpaceSurface> SpacePath(const TOpticalSystem &system) {
  std::vector<TSpaceSurface> path;
  for (int i = 1; i < system.SurfaceCount(); ++i) {
    const TSurface &s = *system.Surface(i);
    const double *m = s.tilted ? s.tiltMatrix.data : nullptr, *v = s.general.vertex;
    path.push_back({{v[0], v[1], v[2]}, {m ? m[0] : 1.0, m ? m[3] : 0.0, m ? m[6] : 0.0}, s.general.R, s.general.nAfter});
  }
  return path;
}
