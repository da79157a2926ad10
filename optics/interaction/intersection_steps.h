#pragma once
// Steps the iterative intersections share: the surface's and the lens-array micro
// elements' solvers (unit normals, the nearer quadric root, the standard asphere sag and
// the Fresnel facet level). Inline: they run per ray inside the solvers' loops.

#include <cmath>

// A unit normal from (nx, ny, nz); false, normal untouched, for a zero or non-finite vector.
inline bool SetUnitNormal(double nx, double ny, double nz, double normal[3]) {
  const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  normal[0] = nx / length;
  normal[1] = ny / length;
  normal[2] = nz / length;
  return true;
}

// Of the roots of a t^2 - 2 b t + q = 0 the one whose hit x + t L lies nearer the vertex
// plane (the minus root on a tie); a vanishing a leaves the linear root. False without a
// finite root.
inline bool NearerQuadricRoot(double a, double b, double q, double x, double L, double &t) {
  constexpr double kRootTolerance = 1e-12;
  if (std::fabs(a) < kRootTolerance) {
    if (std::fabs(b) < kRootTolerance) return false;
    t = q / (2.0 * b);
    return std::isfinite(t);
  }
  const double disc = b * b - a * q;
  if (!(disc >= 0.0)) return false;
  const double root = std::sqrt(disc);
  const double tMinus = (b - root) / a;
  const double tPlus = (b + root) / a;
  t = std::fabs(x + tPlus * L) < std::fabs(x + tMinus * L) ? tPlus : tMinus;
  return std::isfinite(t);
}

// The standard asphere sag S(r2) = c r2 / (1 + sqrt(w)) + a[2] r2^2 + ... + a[last] r2^last,
// w = 1 - (1 + k) c^2 r2, and its slope factor G (dS/dy = y G). Where w is not above
// 1e-14 the conic part is left out when dropConic, else the answer is false.
inline bool StandardAsphereSag(double c, double onePlusK, const double *a, int last, double r2,
                               bool dropConic, double &sag, double &slopeFactor) {
  constexpr double kConicDomain = 1e-14;
  const double w = 1.0 - onePlusK * c * c * r2;
  double conic = 0.0, conicSlope = 0.0;
  if (w > kConicDomain) {
    const double root = std::sqrt(w);
    conic = c * r2 / (1.0 + root);
    conicSlope = c / root;
  } else if (!dropConic) {
    return false;
  }
  // Polynomial part and its slope 2 (2 a2 r2 + 3 a3 r2^2 + ...), by Horner.
  double poly = 0.0, polySlope = 0.0;
  for (int i = last; i >= 2; --i) {
    poly = poly * r2 + a[i];
    polySlope = polySlope * r2 + i * a[i];
  }
  sag = conic + poly * r2 * r2;
  slopeFactor = conicSlope + 2.0 * polySlope * r2;
  return true;
}

// The base a Fresnel facet of height h stands on where the unfolded sag is S: a whole
// number of facet heights, counted from a level far below (c >= 0) or above the vertex so
// that the facets below and above the vertex share one rounding. False when the level
// overflows the facet count.
inline bool FresnelFacetBase(double sag, double h, double c, double &base) {
  constexpr double kLevelOffset = 10000.0;
  constexpr double kLevelRange = 2147483647.0;
  const double offset = c >= 0.0 ? -kLevelOffset : kLevelOffset;
  const double level = sag / h - offset;
  if (!(std::fabs(level) < kLevelRange)) return false;
  base = (std::trunc(level) + offset) * h;
  return true;
}
