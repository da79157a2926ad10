// The "Tor" micro element: the micro conic (radius r, conic k) turned about an axis that the
// packing chooses: rings about the surface axis, strips bent round the base sphere.

#include <cmath>

#include "optics/model/general_parameters.h"
#include "optics/interaction/intersection_steps.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/lens_array_zone_access.h"
#include "optics/lensarray/micro_element.h"

namespace {

constexpr double kTorRadiusLimit = 1e6;  // r = 0 or beyond: a nearly straight profile
constexpr double kTorStepCap = 1e5;      // a Newton step beyond this (scaled) is a miss
constexpr double kTorStep = 1e-6;        // convergence, in the system's length unit

enum class TTorShape { kRing, kStripAlongY, kStripAlongZ };

// The implicit function F of the shape in scaled coordinates, its gradient direction n and
// the factor that makes (factor n . d) the derivative of F along d.
struct TTorShapeEval {
  TTorShape shape;
  double r, kp, Rb;       // scaled micro radius, 1 - k, scaled base radius
  double rho0;            // ring: radius of the ring of profile centres
  double C;               // strip along y: distance of the turning axis

  void Evaluate(double x, double y, double z, double &F, double n[3], double &factor) const {
    switch (shape) {
      case TTorShape::kRing: {
        const double rho2 = y * y + z * z;
        const double E = kp * x * x + rho2 - 2.0 * r * x;
        const double r02 = rho0 * rho0;
        F = (E + r02) * (E + r02) - 4.0 * r02 * rho2;
        n[0] = (E + r02) * (kp * x - r);
        n[1] = (E - r02) * y;
        n[2] = (E - r02) * z;
        factor = 4.0;
        break;
      }
      case TTorShape::kStripAlongY: {
        const double P = x * x + z * z;
        const double E = y * y + P + C * C - r * r;
        F = E * E - 4.0 * C * C * P;
        n[0] = (E - 2.0 * C * C) * x;
        n[1] = E * y;
        n[2] = (E - 2.0 * C * C) * z;
        factor = 4.0;
        break;
      }
      case TTorShape::kStripAlongZ: {
        const double P = x * x + y * y;
        const double E = (Rb * Rb + P) * kp + z * z + 2.0 * r * Rb;
        const double W = 4.0 * (kp * Rb + r) * (kp * Rb + r);
        F = E * E / W - P;
        const double g = 4.0 * E / W;
        n[0] = (g * kp - 2.0) * x;
        n[1] = (g * kp - 2.0) * y;
        n[2] = g * z;
        factor = 1.0;
        break;
      }
    }
  }
};

}  // namespace

bool IntersectMicroTor(const TRasterZone &zone, int baseType, double baseRadius,
                       const double p[3], const double d[3], double normal[3], double &s,
                       const double cell[3]) {
  const int packing = zone.Packing;
  const double c0 = ZoneListValue(zone.MicroCoef, 0, 0.0);
  const double c1 = ZoneListValue(zone.MicroCoef, 1, 0.0);
  double r = (packing == kPackingLineOX || packing == kPackingRadial) ? -c0 : c0;
  if (r == 0.0 || !(std::fabs(r) <= kTorRadiusLimit)) r = kTorRadiusLimit;
  const double uc = cell[1];
  const bool sphereLike = baseType == kSurfaceSphere || baseType == kSurfaceAspheric2;

  TTorShapeEval eval{};
  eval.kp = 1.0 - c1;
  double Rb = baseRadius;
  const double f = std::fabs(Rb) >= std::fabs(r) ? std::fabs(Rb) : std::fabs(r);
  r /= f;
  Rb /= f;
  eval.r = r;
  eval.Rb = Rb;
  double x = p[0] / f, y = p[1] / f, z = p[2] / f;
  switch (packing) {
    case kPackingRing:
      // The conic base's ring cells sit on the same sphere-like frames as the sphere's, so
      // both take the sphere's ring: the angle u_c locates it on the base.
      if (sphereLike) {
        x += (1.0 - std::cos(uc)) * r;
        eval.rho0 = Rb * std::sin(uc) - r * std::fabs(std::sin(uc));
      } else {
        eval.rho0 = uc / f;
      }
      eval.shape = TTorShape::kRing;
      break;
    case kPackingLineOY:
      // The strip turns about the base sphere's centre: only a sphere base defines it.
      if (baseType != kSurfaceSphere) return false;
      x -= Rb * std::cos(uc);
      y += r * std::sin(uc);
      eval.C = (Rb - r) * std::cos(uc);
      eval.shape = TTorShape::kStripAlongY;
      break;
    case kPackingLineOX:
    case kPackingRadial:
      x -= Rb;
      eval.shape = TTorShape::kStripAlongZ;
      if (std::fabs(eval.kp * Rb + r) < 1e-12) return false;  // W = 0: no strip
      break;
    default:
      return false;  // rectangles, hexagons and radial rings carry no torus
  }

  const double L = d[0], M = d[1], N = d[2];
  double n[3] = {0.0, 0.0, 0.0};
  double delta = 0.0;
  double distance = 0.0;
  bool converged = false;
  for (int step = 0; step < kMicroTorStepLimit; ++step) {
    x += delta * L;
    y += delta * M;
    z += delta * N;
    double F = 0.0, factor = 1.0;
    eval.Evaluate(x, y, z, F, n, factor);
    const double derivative = factor * (n[0] * L + n[1] * M + n[2] * N);
    if (derivative == 0.0 || !std::isfinite(derivative)) return false;
    delta = -F / derivative;
    if (!(std::fabs(delta) <= kTorStepCap)) return false;
    distance += delta;
    if (std::fabs(delta * f) < kTorStep) {
      converged = true;
      break;
    }
  }
  if (!converged) return false;
  s = distance * f;

  const double a = std::fabs(ZoneListValue(zone.PackCoef, 2, 0.0)) * 0.5;
  const double b = std::fabs(ZoneListValue(zone.PackCoef, 3, 0.0)) * 0.5;
  const double halfWidth = a == 0.0 ? 1e6 : a;
  const double halfHeight = b == 0.0 ? 1e6 : b;
  const double rho = std::sqrt(y * y + z * z);
  switch (eval.shape) {
    case TTorShape::kRing: {
      double theta = 0.0, limit = 0.0;
      if (sphereLike) {
        theta = std::atan(rho / std::fabs(x - (Rb - r) * std::cos(uc) - r));
        limit = std::fabs(halfWidth / f / Rb);
      } else {
        theta = rho * f;
        limit = std::fabs(halfWidth);
      }
      if (std::fabs(std::fabs(theta) - std::fabs(uc)) > limit) return false;
      break;
    }
    case TTorShape::kStripAlongY: {
      const double yy = y + (Rb - r) * std::sin(uc);
      const double theta = std::atan(std::fabs(yy) / std::sqrt(x * x + z * z));
      if (std::fabs(std::fabs(theta) - std::fabs(uc)) > std::fabs(halfWidth / f / Rb)) return false;
      break;
    }
    case TTorShape::kStripAlongZ:
      if (std::fabs(z) > halfHeight / f) return false;
      break;
  }
  return std::isfinite(s) && SetUnitNormal(n[0], n[1], n[2], normal);
}
