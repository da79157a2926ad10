#include "optics/lensarray/micro_element.h"

#include <cmath>

#include "optics/interaction/intersection_steps.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/lens_array_zone_access.h"

namespace {

constexpr double kZeroDirection = 8.429999909258048e-37;  // L below this counts as zero
constexpr double kNoApertureLimit = 1e6;                  // a clear width of 0
constexpr double kPolynomialStep = 1e-8;
constexpr double kFresnelStep = 1e-12;

struct TMicroInputs {
  double a;  // clear half-widths along local y and z
  double b;
  double c0, c1, c2, c3;
  const double *coef;
  int count;
};

bool IntersectPlane(const TMicroInputs &in, const double p[3], const double d[3],
                    double normal[3], double &s) {
  if (std::fabs(d[0]) < kZeroDirection) return false;
  s = -p[0] / d[0];
  const double y = (p[1] + s * d[1]) / in.a;
  const double z = (p[2] + s * d[2]) / in.b;
  if (y * y + z * z > 1.0) return false;
  return std::isfinite(s) && SetUnitNormal(1.0, 0.0, 0.0, normal);
}

// Kinds 1 to 3: (1 - k) x^2 - 2 r x + (y^2 and/or z^2) = 0.
bool IntersectQuadric(int kind, const TMicroInputs &in, const double p[3], const double d[3],
                      double normal[3], double &s) {
  const double r = in.c0;
  const double k = in.c1;
  const double x = p[0], y = p[1], z = p[2];
  const double L = d[0], M = d[1], N = d[2];
  const double q = (1.0 - k) * x;
  const bool useY = kind != kMicroCylinderOY;
  const bool useZ = kind != kMicroCylinderOX;
  const double a = 1.0 - k * L * L - (useY ? 0.0 : M * M) - (useZ ? 0.0 : N * N);
  const double B = (r - q) * L - (useY ? M * y : 0.0) - (useZ ? N * z : 0.0);
  const double Q = (q - 2.0 * r) * x + (useY ? y * y : 0.0) + (useZ ? z * z : 0.0);
  if (!NearerQuadricRoot(a, B, Q, x, L, s)) return false;
  const double hx = x + s * L, hy = y + s * M, hz = z + s * N;
  if (kind == kMicroCylinderOX && std::fabs(hy) > in.a) return false;
  if (kind == kMicroCylinderOY && std::fabs(hz) > in.b) return false;
  if (kind == kMicroAsphere2 && (hy / in.a) * (hy / in.a) + (hz / in.b) * (hz / in.b) > 1.0)
    return false;
  // A zero vertex radius leaves no surface to speak of: the normal is not finite and fails.
  const double nx = 1.0 - (1.0 - k) * hx / r;
  return SetUnitNormal(nx, useY ? -hy / r : 0.0, useZ ? -hz / r : 0.0, normal);
}

// Kind 4: Ay y^2 + Az z^2 = G(x), G(x) = 2 r x + (k - 1) x^2 + c4 x^3 + ...
bool IntersectPolynomial(const TMicroInputs &in, const double p[3], const double d[3],
                         double normal[3], double &s) {
  if (in.count < 3) return false;  // no polynomial without r, k and Ay
  const int terms = in.count - 2;
  if (terms > kMaxMicroPolynomialTerms) return false;
  double g[kMaxMicroPolynomialTerms];
  g[0] = 2.0 * in.c0;
  if (terms > 1) g[1] = in.c1 - 1.0;
  for (int i = 2; i < terms; ++i) g[i] = in.coef[i + 2];
  const double r = in.c0, km1 = in.c1 - 1.0, Ay = in.c2, Az = in.c3;
  double x = p[0], y = p[1], z = p[2];
  const double L = d[0], M = d[1], N = d[2];
  const double a = Ay * M * M + Az * N * N - km1 * L * L;
  const double Q = Ay * y * y + Az * z * z - (2.0 * r + km1 * x) * x;
  const double B = (km1 * x + r) * L - Ay * M * y - Az * N * z;
  double start = 0.0;
  if (!NearerQuadricRoot(a, B, Q, x, L, start)) {
    if (std::fabs(L) < kZeroDirection) return false;
    start = -x / L;
  }
  s = start;
  x += start * L;
  y += start * M;
  z += start * N;
  for (int step = 0; step < kMicroPolynomialStepLimit; ++step) {
    double slope = 0.0;
    const double G = EvaluateAxialPolynomial(g, terms, x, slope);
    const double F = Ay * y * y + Az * z * z - G;
    const double nx = slope, ny = -2.0 * Ay * y, nz = -2.0 * Az * z;
    const double denominator = nx * L + ny * M + nz * N;
    if (denominator == 0.0) return false;
    const double delta = F / denominator;
    if (!std::isfinite(delta)) return false;
    if (std::fabs(delta) <= kPolynomialStep) {
      if ((y / in.a) * (y / in.a) + (z / in.b) * (z / in.b) > 1.0) return false;
      return std::isfinite(s) && SetUnitNormal(nx, ny, nz, normal);
    }
    s += delta;
    x += delta * L;
    y += delta * M;
    z += delta * N;
  }
  return false;
}

bool IntersectDiaphragm(int kind, const TMicroInputs &in, const double p[3], const double d[3],
                        double normal[3], double &s) {
  if (std::fabs(d[0]) < kZeroDirection) return false;
  s = -p[0] / d[0];
  if (!std::isfinite(s)) return false;
  const double y = p[1] + s * d[1];
  const double z = p[2] + s * d[2];
  const double A = in.c0 / 2.0, B = in.c1 / 2.0;
  const double Ai = in.c2 / 2.0, Bi = in.c3 / 2.0;
  if (y != 0.0 || z != 0.0) {
    if (kind == kMicroDiaphragmRect) {
      if (y > A || y < -A || z > B || z < -B) return false;
      if (std::fabs(y) < Ai && std::fabs(z) < Bi) return false;
    } else {
      if (z * z / (B * B) + y * y / (A * A) > 1.0) return false;
      if (z * z / (Bi * Bi) + y * y / (Ai * Ai) < 1.0) return false;
    }
  }
  return SetUnitNormal(1.0, 0.0, 0.0, normal);
}

// Kind 8: the unfolded sag S(rho) lowered by the facet level of the zone the ray starts in.
struct TFresnelSag {
  const TMicroInputs *in;
  int terms;  // c2 .. c(terms + 1) are polynomial coefficients
  double conic;

  // S at rho2 and the reduced slope S' (dS/dy = y S'); false outside the conic's domain
  // unless the conic part may be left out there.
  bool Evaluate(double rho2, bool dropBadConic, double &S, double &slope) const {
    return StandardAsphereSag(in->c0, 1.0 + conic, in->coef, terms + 1, rho2, dropBadConic, S,
                              slope) &&
           std::isfinite(S) && std::isfinite(slope);
  }
};

bool IntersectFresnel(const TMicroInputs &in, const double p[3], const double d[3],
                      double normal[3], double &s) {
  if (in.count < 2) return false;
  const int stepIndex = in.count - 1;
  const double H = in.coef[stepIndex];
  if (H == 0.0 || !std::isfinite(H)) return false;
  // The last entry is the step height; the conic constant is c1 only when it is not that.
  TFresnelSag sag{&in, stepIndex - 2 > 0 ? stepIndex - 2 : 0, stepIndex > 1 ? in.c1 : 0.0};
  const double L = d[0], M = d[1], N = d[2];
  if (std::fabs(L) < kZeroDirection) return false;
  s = -p[0] / L;
  double y = p[1] + s * M, z = p[2] + s * N;
  double S = 0.0, slope = 0.0;
  if (!sag.Evaluate(y * y + z * z, true, S, slope)) return false;
  double x = 0.0;
  if (!FresnelFacetBase(S, H, in.c0, x)) return false;
  for (int step = 0; step < kMicroFresnelStepLimit; ++step) {
    if (!sag.Evaluate(y * y + z * z, false, S, slope)) return false;
    const double F = S - x;
    const double denominator = -L + y * slope * M + z * slope * N;
    if (denominator == 0.0) return false;
    const double delta = -F / denominator;
    if (!std::isfinite(delta)) return false;
    if (std::fabs(delta) <= kFresnelStep) {
      return std::isfinite(s) && SetUnitNormal(-1.0, y * slope, z * slope, normal);
    }
    s += delta;
    x += delta * L;
    y += delta * M;
    z += delta * N;
  }
  return false;
}

}  // namespace

const char *MicroTypeName(int microType) {
  static const char *const kNames[kMicroTypeCount] = {
      "Plane", "Cylinder OX", "Cylinder OY",      "Asphere 2 order",   "Asphere polinomial",
      "Tor",   "Diaphragm Rect", "Diaphragm Ellips", "Fresnel"};
  return microType >= 0 && microType < kMicroTypeCount ? kNames[microType] : "";
}

bool IntersectMicroElement(const TSurface &surface, int zoneIndex, const double p[3],
                           const double d[3], double normal[3], double &s,
                           const double cell[3]) {
  const TRasterZone *zone = LensArrayZone(surface, zoneIndex);
  if (zone == nullptr) return false;
  const int count = ZoneListCount(zone->MicroCoef);
  if (count < 1) return false;
  TMicroInputs in{};
  // Widths are magnitudes; 0 (or an absent entry) sets no limit.
  in.a = std::fabs(ZoneListValue(zone->PackCoef, 2, 0.0)) * 0.5;
  in.b = std::fabs(ZoneListValue(zone->PackCoef, 3, 0.0)) * 0.5;
  if (in.a == 0.0) in.a = kNoApertureLimit;
  if (in.b == 0.0) in.b = kNoApertureLimit;
  if (zone->Packing == kPackingRadialRing) in.b = in.a;
  in.coef = zone->MicroCoef.data;
  in.count = count;
  in.c0 = in.coef[0];
  in.c1 = ZoneListValue(zone->MicroCoef, 1, 0.0);
  in.c2 = ZoneListValue(zone->MicroCoef, 2, 0.0);
  in.c3 = ZoneListValue(zone->MicroCoef, 3, 0.0);
  s = 0.0;
  switch (zone->MicroType) {
    case kMicroPlane:
      return IntersectPlane(in, p, d, normal, s);
    case kMicroCylinderOX:
    case kMicroCylinderOY:
    case kMicroAsphere2:
      return IntersectQuadric(zone->MicroType, in, p, d, normal, s);
    case kMicroAspherePolynomial:
      return IntersectPolynomial(in, p, d, normal, s);
    case kMicroTor:
      return IntersectMicroTor(*zone, surface.general.type,
                               ClampLensArrayRadius(surface.general.R, kMicroRadiusLimit), p, d,
                               normal, s, cell);
    case kMicroDiaphragmRect:
    case kMicroDiaphragmEllipse:
      return IntersectDiaphragm(zone->MicroType, in, p, d, normal, s);
    case kMicroFresnel:
      return IntersectFresnel(in, p, d, normal, s);
    default:
      return false;  // an unknown kind is a miss
  }
}
