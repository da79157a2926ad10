#include "optics/lensarray/lens_array_geometry.h"

#include <cmath>

#include "foundation/numerics/pi.h"
#include "optics/model/general_parameters.h"
#include "optics/interaction/intersection_steps.h"
#include "optics/lensarray/lens_array_zone_access.h"
#include "optics/lensarray/micro_element.h"
#include "optics/model/surface.h"

namespace {

constexpr double kRootTolerance = 1e-12;  // discriminants, denominators, on-axis radii

double Square(double v) { return v * v; }

// Picks the root of a t^2 - 2 b t + q = 0 whose hit x0 + t L lies nearer the vertex plane;
// a tie keeps `tieRoot` (0: the minus root, 1: the plus root).
double NearerRoot(double tMinus, double tPlus, double x0, double L, int tieRoot) {
  const double xMinus = std::fabs(x0 + tMinus * L);
  const double xPlus = std::fabs(x0 + tPlus * L);
  if (xMinus < xPlus) return tMinus;
  if (xPlus < xMinus) return tPlus;
  return tieRoot == 0 ? tMinus : tPlus;
}

// Sphere of radius R through the origin, centre (R, 0, 0); unit direction.
bool SphereRoot(double R, double x, double y, double z, const double D[3], double minDisc,
                double &t) {
  const double b = (R - x) * D[0] - D[1] * y - D[2] * z;
  const double q = (x - 2.0 * R) * x + y * y + z * z;
  const double disc = b * b - q;
  if (!(disc >= minDisc)) return false;
  const double root = std::sqrt(disc);
  t = NearerRoot(b - root, b + root, x, D[0], 1);
  return std::isfinite(t);
}

bool ConicBaseRoot(double R, double Ex, double x, double y, double z, const double D[3],
                   double &t) {
  const double e = 1.0 - Ex;
  const double a = 1.0 - Ex * D[0] * D[0];
  const double b = (R - e * x) * D[0] - D[1] * y - D[2] * z;
  const double q = (e * x - 2.0 * R) * x + y * y + z * z;
  return NearerQuadricRoot(a, b, q, x, D[0], t);
}

bool CylinderBaseRoot(double R, double x, double y, const double D[3], double &t) {
  const double a = 1.0 - D[2] * D[2];
  const double b = (R - x) * D[0] - D[1] * y;
  const double q = (x - 2.0 * R) * x + y * y;
  return NearerQuadricRoot(a, b, q, x, D[0], t);
}

// Polar angle of (y, z) in [0, 2 pi); rho > 0.
double PolarAngle(double y, double z, double rho) {
  const double c = y / rho;
  if (std::fabs(c) >= 1.0) return y > 0.0 ? 0.0 : kPi;
  const double phi = std::acos(c);
  return z < 0.0 ? 2.0 * kPi - phi : phi;
}

bool UsesPolarCoordinates(int packing) {
  return packing == kPackingRing || packing == kPackingRadial || packing == kPackingRadialRing;
}

void SetIdentity(double M[9]) {
  for (int i = 0; i < 9; ++i) M[i] = (i % 4 == 0) ? 1.0 : 0.0;
}

void SetRows(double M[9], double a0, double a1, double a2, double b0, double b1, double b2,
             double c0, double c1, double c2) {
  M[0] = a0;
  M[1] = a1;
  M[2] = a2;
  M[3] = b0;
  M[4] = b1;
  M[5] = b2;
  M[6] = c0;
  M[7] = c1;
  M[8] = c2;
}

bool AllFinite(const double *v, int n) {
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(v[i])) return false;
  return true;
}

}  // namespace

const char *LensPackingName(int packing) {
  static const char *const kNames[kPackingCount] = {
      "Line OX", "Line OY", "Rectangle", "Hexagon", "Ring", "Radial", "Radial-Ring"};
  return packing >= 0 && packing < kPackingCount ? kNames[packing] : "";
}

double ClampLensArrayRadius(double radius, double limit) {
  if (radius == 0.0 || !(std::fabs(radius) <= limit)) return radius < 0.0 ? -limit : limit;
  return radius;
}

double ConicSag(double R, double Ex, double h) {
  if (R == 0.0) return 0.0;
  const double k = 1.0 - Ex;
  const double D = R * R - k * h * h;
  if (D < 0.0) return k == 0.0 ? R : R / k;
  if (k == 0.0) {
    const double capped = std::fmin(std::fabs(h), 10.0 * std::fabs(R));
    return capped * capped / (2.0 * R);
  }
  const double s = R >= 0.0 ? 1.0 : -1.0;
  return (R - s * std::sqrt(D)) / k;
}

void BaseGradient(int type, double c, double Ex, const double P[3], double n[3]) {
  switch (type) {
    case kSurfaceAspheric2:
      n[0] = 1.0 - (1.0 - Ex) * c * P[0];
      n[1] = -c * P[1];
      n[2] = -c * P[2];
      break;
    case kSurfaceCylinder:
      n[0] = 1.0 - c * P[0];
      n[1] = -c * P[1];
      n[2] = 0.0;
      break;
    default:
      n[0] = 1.0 - c * P[0];
      n[1] = -c * P[1];
      n[2] = -c * P[2];
      break;
  }
}

double EvaluateAxialPolynomial(const double *c, int n, double x, double &derivative) {
  if (c == nullptr || n < 1) {
    derivative = 0.0;
    return 0.0;
  }
  double inner = c[n - 1];
  double slope = n * c[n - 1];
  for (int i = n - 2; i >= 0; --i) {
    inner = inner * x + c[i];
    slope = slope * x + (i + 1) * c[i];
  }
  derivative = slope;
  return inner * x;
}

bool IntersectBaseSurface(const TSurface &surface, const double P[3], const double D[3],
                          double &t) {
  const double R = ClampLensArrayRadius(surface.general.R, kLensArrayRadiusLimit);
  switch (surface.general.type) {
    case kSurfacePlane:
      if (std::fabs(D[0]) < kRootTolerance) return false;
      t = -P[0] / D[0];
      return std::isfinite(t);
    case kSurfaceSphere:
      return SphereRoot(R, P[0], P[1], P[2], D, kRootTolerance, t);
    case kSurfaceAspheric2:
      return ConicBaseRoot(R, surface.general.Ex, P[0], P[1], P[2], D, t);
    case kSurfaceCylinder:
      return CylinderBaseRoot(R, P[0], P[1], D, t);
    default:
      return false;  // no other base carries lens arrays
  }
}

bool IntersectOffsetSurface(const TSurface &surface, int zoneIndex, const double P[3],
                            const double D[3], double &t) {
  const TRasterZone *zone = LensArrayZone(surface, zoneIndex);
  if (zone == nullptr) return false;
  const double h = zone->HMikroLens;
  const double R = ClampLensArrayRadius(surface.general.R, kLensArrayRadiusLimit);
  const double shiftedR = ClampLensArrayRadius(R - h, kLensArrayRadiusLimit);
  const double x = P[0] - h;
  switch (surface.general.type) {
    case kSurfacePlane:
      if (std::fabs(D[0]) < kRootTolerance) return false;
      t = -x / D[0];
      return std::isfinite(t);
    case kSurfaceSphere:
      return SphereRoot(shiftedR, x, P[1], P[2], D, kRootTolerance, t);
    case kSurfaceAspheric2:
      return SphereRoot(shiftedR, x, P[1], P[2], D, 0.0, t);
    case kSurfaceCylinder:
      return CylinderBaseRoot(shiftedR, x, P[1], D, t);
    default:
      return false;
  }
}

bool ComputeZoneCoordinates(const TSurface &surface, int zoneIndex, const double point[3],
                            double cell[3]) {
  const TRasterZone *zone = LensArrayZone(surface, zoneIndex);
  if (zone == nullptr || !AllFinite(point, 3)) return false;
  const int packing = zone->Packing;
  if (packing < 0 || packing >= kPackingCount) return false;
  const double R = ClampLensArrayRadius(surface.general.R, kLensArrayRadiusLimit);
  const double x = point[0];
  const double y = point[1];
  const double z = point[2];
  const double rho = std::sqrt(y * y + z * z);
  const bool polar = UsesPolarCoordinates(packing);
  const bool onAxis = rho < kRootTolerance;
  const double phi = onAxis ? 0.0 : PolarAngle(y, z, rho);
  double u = 0.0;
  double w = 0.0;
  switch (surface.general.type) {
    case kSurfacePlane:
      if (polar) {
        u = rho;
        w = phi;
      } else {
        u = y;
        w = z;
      }
      break;
    case kSurfaceSphere:
      if (!polar) {
        const double D = R * R - y * y;
        if (D < kRootTolerance) return false;
        u = std::asin(y / R);
        const double s = z / std::sqrt(D);
        if (!(std::fabs(s) < 1.0)) return false;
        w = R < 0.0 ? -std::asin(s) : std::asin(s);
        break;
      }
      if (rho >= std::fabs(R)) return false;
      if (packing == kPackingRing) {
        u = std::asin(rho / std::fabs(R));
      } else if (packing == kPackingRadial) {
        w = phi;
      } else {
        u = std::asin(rho / R);
        w = phi;
      }
      break;
    case kSurfaceAspheric2: {
      const double Ex = surface.general.Ex;
      if (!polar) return false;  // the conic has no lattice for the line and area packings
      if (packing == kPackingRing) {
        if (rho >= std::fabs(R)) return false;
        // The ring angle is taken about the far point R / (1 - e); it needs a real e < 1
        // and an arcsine argument inside [-1, 1]. Rings go all round the axis, so the
        // distance to that point takes the radius rho, not y alone.
        if (!(Ex >= 0.0)) return false;
        const double e = std::sqrt(Ex);
        if (!(e < 1.0)) return false;
        const double arg = rho / std::sqrt(rho * rho + Square(x - R / (1.0 - e)));
        if (!(std::fabs(arg) <= 1.0)) return false;
        u = std::asin(arg);
      } else if (packing == kPackingRadial) {
        if (rho >= std::fabs(R)) return false;
        w = phi;
      } else {
        if (Ex < 1.0 && rho >= std::fabs(R) / std::sqrt(1.0 - Ex)) return false;
        // The ring angle is the polar angle about the near focus, R / (1 + e) behind the
        // vertex, that the cell frame places its rings by; a plain |y| / R would put every
        // point off the y axis on the wrong ring (on the z axis, always on ring 0).
        // An oblate conic (Ex < 0) has no real focus: its cells get no frame and miss.
        const double nearFocus = R / (1.0 + (Ex > 0.0 ? std::sqrt(Ex) : 0.0));
        const double sign = R < 0.0 ? -1.0 : 1.0;
        u = std::atan2(sign * rho, sign * (nearFocus - x));
        w = phi;
      }
      break;
    }
    case kSurfaceCylinder: {
      if (polar) return false;
      const double c = y / R;
      if (!(std::fabs(c) < 1.0)) return false;
      u = std::asin(c);
      w = z / R;
      break;
    }
    default:
      return false;
  }
  if (polar && onAxis) {
    u = 0.0;
    w = 0.0;
  }
  if (!std::isfinite(u) || !std::isfinite(w)) return false;
  cell[0] = 0.0;
  cell[1] = u;
  cell[2] = w;
  return true;
}

bool ComputeCellFrame(const TSurface &surface, int zoneIndex, const double cell[3],
                      double origin[3], double M[9]) {
  const TRasterZone *zone = LensArrayZone(surface, zoneIndex);
  if (zone == nullptr) return false;
  const int packing = zone->Packing;
  if (packing < 0 || packing >= kPackingCount) return false;
  const double R = ClampLensArrayRadius(surface.general.R, kLensArrayRadiusLimit);
  const double uc = cell[1];
  const double wc = cell[2];
  const double ca = std::cos(uc), sa = std::sin(uc);
  const double cb = std::cos(wc), sb = std::sin(wc);
  const bool areaPacking = packing <= kPackingHexagon;
  const bool radial = packing == kPackingRadial || packing == kPackingRadialRing;
  switch (surface.general.type) {
    case kSurfacePlane:
      if (areaPacking) {
        origin[0] = 0.0;
        origin[1] = uc;
        origin[2] = wc;
        SetIdentity(M);
      } else if (packing == kPackingRing) {
        origin[0] = origin[1] = origin[2] = 0.0;
        SetIdentity(M);
      } else {
        origin[0] = 0.0;
        origin[1] = uc * cb;
        origin[2] = uc * sb;
        SetRows(M, 1, 0, 0, 0, cb, sb, 0, -sb, cb);
      }
      break;
    case kSurfaceSphere:
      if (areaPacking) {
        origin[0] = R - R * ca * cb;
        origin[1] = R * sa;
        origin[2] = R * ca * sb;
        if (packing == kPackingLineOY && zone->MicroType == kMicroTor) {
          SetIdentity(M);
        } else {
          SetRows(M, cb * ca, -sa, -sb * ca, cb * sa, ca, -sb * sa, sb, 0, cb);
        }
      } else if (packing == kPackingRing) {
        origin[0] = (1.0 - ca) * R;
        origin[1] = origin[2] = 0.0;
        SetIdentity(M);
      } else {
        origin[0] = (1.0 - ca) * R;
        origin[1] = R * sa * cb;
        origin[2] = R * sa * sb;
        SetRows(M, ca, -cb * sa, -sb * sa, sa, cb * ca, sb * ca, 0, -sb, cb);
      }
      break;
    case kSurfaceAspheric2:
      if (packing == kPackingRing) {
        origin[0] = (1.0 - ca) * R;
        origin[1] = origin[2] = 0.0;
        SetIdentity(M);
      } else if (radial) {
        // u is the cell's polar angle about the near focus, R / (1 + e) from the vertex.
        const double Ex = surface.general.Ex;
        if (!(Ex >= 0.0)) return false;
        const double e = std::sqrt(Ex);
        const double denominator = e * ca + 1.0;
        if (std::fabs(denominator) < kRootTolerance) return false;
        const double d = -R / denominator;
        const double r = -d * sa;
        origin[0] = d * ca + R / (e + 1.0);
        origin[1] = r * cb;
        origin[2] = r * sb;
        const double g = -std::atan(r / ((1.0 - Ex) * origin[0] - R));
        const double cg = std::cos(g), sg = std::sin(g);
        SetRows(M, cg, -cb * sg, -sb * sg, sg, cb * cg, sb * cg, 0, -sb, cb);
      } else {
        return false;
      }
      break;
    case kSurfaceCylinder:
      if (!areaPacking) return false;
      origin[0] = R - R * ca;
      origin[1] = R * sa;
      origin[2] = R * wc;
      SetRows(M, ca, -sa, 0, sa, ca, 0, 0, 0, 1);
      break;
    default:
      return false;
  }
  return AllFinite(origin, 3) && AllFinite(M, 9);
}

void ToCellFrame(const double M[9], const double v[3], double out[3]) {
  out[0] = M[0] * v[0] + M[1] * v[1] + M[2] * v[2];
  out[1] = M[3] * v[0] + M[4] * v[1] + M[5] * v[2];
  out[2] = M[6] * v[0] + M[7] * v[1] + M[8] * v[2];
}

void FromCellFrame(const double M[9], const double v[3], double out[3]) {
  out[0] = M[0] * v[0] + M[3] * v[1] + M[6] * v[2];
  out[1] = M[1] * v[0] + M[4] * v[1] + M[7] * v[2];
  out[2] = M[2] * v[0] + M[5] * v[1] + M[8] * v[2];
}
