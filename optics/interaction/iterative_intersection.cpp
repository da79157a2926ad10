#include "optics/interaction/iterative_intersection.h"

#include <algorithm>
#include <cmath>

#include "optics/interaction/intersection_steps.h"
#include "optics/lensarray/lens_array.h"

namespace {

constexpr double kImplicitResidual = 1e-10;  // |F| that counts as on the surface (types 3, 4)
constexpr double kAsphereStep = 1e-12;       // last Newton step (types 5, 9)
constexpr double kTorusStep = 1e-6;          // last step in length units (types 7, 8)
constexpr double kTorusRadiusCap = 1e6;
// Radii this many times apart: the torus is traced as a sag over (y, z).
constexpr double kTorusSagRatio = 1e3;
constexpr int kTorusHalvings = 40;  // a Newton step on the sag is halved at most this often
constexpr double kRingRadiusCap = 1e7;
constexpr double kRingSlopeFloor = 1e-12;
constexpr double kRingStepCap = 1e5;
constexpr double kNotFound = 1e20;
constexpr double kLensArrayFar = 1e6;  // the solver's distance before it finds an element

// Lens arrays are traced from the start; tests may install another solver or none.
TLensArraySolver gLensArraySolver = LensArrayIntersect;

double Coefficient(const TInteractionSurface &s, int i) {
  return (s.coef != nullptr && i < s.coefCount) ? s.coef[i] : 0.0;
}

void Advance(const double p0[3], const double d[3], double t, double out[3]) {
  out[0] = p0[0] + t * d[0];
  out[1] = p0[1] + t * d[1];
  out[2] = p0[2] + t * d[2];
}

// Newton along p0 + t d on an implicit surface F = 0, from t = 0. residual(X, Y, Z, f,
// slope) gives F and dF/dt at the point and keeps what the normal needs. Converged when
// |F| reaches kImplicitResidual or, with acceptStall, stops changing; a growing |F| (or
// NaN), a flat slope or the step budget fails.
template <class Residual>
bool NewtonOnImplicit(const double p0[3], const double d[3], bool acceptStall,
                      Residual residual, double &t) {
  double best = kNotFound;
  t = 0.0;
  for (int step = 0; step < kPolynomialStepLimit; ++step) {
    double f = 0.0, slope = 0.0;
    residual(p0[0] + t * d[0], p0[1] + t * d[1], p0[2] + t * d[2], f, slope);
    if (!(std::fabs(f) <= best)) return false;
    if (acceptStall && std::fabs(f) == best) return true;  // no progress: accept it
    best = std::fabs(f);
    if (std::fabs(slope) < kRayZero) return false;
    t -= f / slope;
    if (best <= kImplicitResidual) return true;
  }
  return false;
}

// y^2 + z^2 + a0 x + a1 x^2 + ... + a(n-1) x^n = 0.
int IntersectPolyImplicit(const TInteractionSurface &s, double p0[3], const double d[3],
                          double normal[3]) {
  const int n = s.coefCount;
  double fx = 0.0, Y = 0.0, Z = 0.0, t = 0.0;
  auto residual = [&](double X, double y, double z, double &f, double &slope) {
    Y = y;
    Z = z;
    // Horner for sum a_i X^(i+1) and its derivative sum (i+1) a_i X^i.
    double poly = 0.0;
    fx = 0.0;
    for (int i = n - 1; i >= 0; --i) {
      poly = poly * X + s.coef[i];
      fx = fx * X + (i + 1) * s.coef[i];
    }
    f = Y * Y + Z * Z + poly * X;
    slope = d[0] * fx + 2.0 * d[1] * Y + 2.0 * d[2] * Z;
  };
  if (!NewtonOnImplicit(p0, d, false, residual, t)) return 0;
  if (!SetUnitNormal(fx, 2.0 * Y, 2.0 * Z, normal)) return 0;
  Advance(p0, d, t, p0);
  return 1;
}

// x = a0 r^2 + a1 r^4 + ... + a(n-1) r^(2n).
int IntersectPolyEven(const TInteractionSurface &s, double p0[3], const double d[3],
                      double normal[3]) {
  const int n = s.coefCount;
  double slopeFactor = 0.0, Y = 0.0, Z = 0.0, t = 0.0;
  auto residual = [&](double X, double y, double z, double &f, double &slope) {
    Y = y;
    Z = z;
    const double r2 = Y * Y + Z * Z;
    double sag = 0.0;
    slopeFactor = 0.0;
    for (int i = n - 1; i >= 0; --i) {
      sag = sag * r2 + s.coef[i];
      slopeFactor = slopeFactor * r2 + (i + 1) * s.coef[i];
    }
    sag *= r2;
    f = sag - X;
    slope = 2.0 * (Z * d[2] + Y * d[1]) * slopeFactor - d[0];
  };
  if (!NewtonOnImplicit(p0, d, true, residual, t)) return 0;
  if (!SetUnitNormal(-1.0, 2.0 * Y * slopeFactor, 2.0 * Z * slopeFactor, normal)) return 0;
  Advance(p0, d, t, p0);
  return 1;
}

// Standard asphere sag S(r^2) = c r^2 / (1 + sqrt(q)) + a2 r^4 + a3 r^6 + ...,
// q = 1 - (1+k) c^2 r^2; G is the slope factor (dS/dy = y G). False outside the conic.
struct TAsphereSag {
  double c = 0.0;
  double onePlusK = 1.0;
  const TInteractionSurface *surface = nullptr;

  bool Evaluate(double r2, double &sag, double &slopeFactor, bool allowOutsideConic) const {
    return StandardAsphereSag(c, onePlusK, surface->coef, surface->coefCount - 1, r2,
                              allowOutsideConic, sag, slopeFactor);
  }
};

// Newton on F = S(Y^2 + Z^2) - X from the point (X, Y, Z), moving along d.
// Returns false on a step-budget overrun or outside the conic's domain.
bool NewtonOnSag(const TAsphereSag &sag, const double d[3], double &X, double &Y, double &Z,
                 double &t, double &slopeFactor) {
  for (int count = 1; count <= kAsphereStepLimit; ++count) {
    double value = 0.0;
    if (!sag.Evaluate(Y * Y + Z * Z, value, slopeFactor, false)) return false;
    const double f = value - X;
    const double slope = Y * slopeFactor * d[1] + Z * slopeFactor * d[2] - d[0];
    if (std::fabs(slope) < kRayZero || !std::isfinite(f)) return false;
    const double step = -f / slope;
    if (std::fabs(step) <= kAsphereStep) return true;
    t += step;
    X += step * d[0];
    Y += step * d[1];
    Z += step * d[2];
  }
  return false;
}

TAsphereSag MakeSag(const TInteractionSurface &s) {
  TAsphereSag sag;
  sag.c = Coefficient(s, 0);
  sag.onePlusK = s.coefCount > 1 ? Coefficient(s, 1) + 1.0 : 1.0;
  sag.surface = &s;
  return sag;
}

int IntersectStandard(const TInteractionSurface &s, double p0[3], const double d[3],
                      double normal[3]) {
  const TAsphereSag sag = MakeSag(s);
  double X = p0[0], Y = p0[1], Z = p0[2], t = 0.0, slopeFactor = 0.0;
  if (!NewtonOnSag(sag, d, X, Y, Z, t, slopeFactor)) return 0;
  if (!SetUnitNormal(-1.0, Y * slopeFactor, Z * slopeFactor, normal)) return 0;
  Advance(p0, d, t, p0);
  return 1;
}

// The standard sag folded into facets of height h: on the facet the start point falls in,
// the surface is x = S - base with base a whole number of facet heights.
int IntersectFresnel(const TInteractionSurface &s, double p0[3], const double d[3],
                     double normal[3]) {
  if (std::fabs(d[0]) < kRayZero) return 0;
  const double h = s.frenelHeight;
  if (!(std::fabs(h) > 0.0) || !std::isfinite(h)) return 0;  // no facets defined
  const TAsphereSag sag = MakeSag(s);
  const double t0 = -p0[0] / d[0];
  double Y = p0[1] + t0 * d[1];
  double Z = p0[2] + t0 * d[2];
  double sagValue = 0.0, slopeFactor = 0.0;
  sag.Evaluate(Y * Y + Z * Z, sagValue, slopeFactor, true);
  double X = 0.0, t = 0.0;
  if (!FresnelFacetBase(sagValue, h, sag.c, X)) return 0;
  if (!NewtonOnSag(sag, d, X, Y, Z, t, slopeFactor)) return 0;
  if (!SetUnitNormal(-1.0, Y * slopeFactor, Z * slopeFactor, normal)) return 0;
  Advance(p0, d, t0 + t, p0);
  return 1;
}

double SignOr(double value, double positive) { return value >= 0.0 ? positive : -positive; }

// The torus solvers' ending: the unit normal against the gradient g (the vertex normal
// where g vanishes) and the point moved to p0 + t d.
int FinishTorusHit(double gx, double gy, double gz, double p0[3], const double d[3], double t,
                   double normal[3]) {
  if (!SetUnitNormal(-gx, -gy, -gz, normal)) {
    normal[0] = 1.0;
    normal[1] = normal[2] = 0.0;
  }
  Advance(p0, d, t, p0);
  return 1;
}

// A torus with one radius 0 is flat in that section: a cylinder of the other radius r,
// curved in the x-y section (`acrossY`) or the x-z one, (x - r)^2 + u^2 = r^2 on the half
// through the vertex; both radii 0 make it the vertex plane.
int IntersectFlatAcross(double r, bool acrossY, double p0[3], const double d[3], double normal[3]) {
  const int u = acrossY ? 1 : 2;
  double t = 0.0;
  if (!NearerQuadricRoot(d[0] * d[0] + d[u] * d[u], r * d[0] - p0[0] * d[0] - p0[u] * d[u],
                         p0[0] * p0[0] - 2.0 * r * p0[0] + p0[u] * p0[u], p0[0], d[0], t))
    return 0;
  const double X = p0[0] + t * d[0];
  const double U = p0[u] + t * d[u];
  // Only the half of the circle through the vertex: |X| < |r|, where dX/du = u / (r - X).
  if (!(std::fabs(X) < std::fabs(r) || r == 0.0)) return 0;
  const double slope = r == 0.0 ? 0.0 : U / (r - X);
  if (!SetUnitNormal(-1.0, acrossY ? slope : 0.0, acrossY ? 0.0 : slope, normal)) return 0;
  Advance(p0, d, t, p0);
  return 1;
}

// Whether (Y, Z) lies within 0.99 of the reach of each section of a torus through the vertex
// (radius r1 in the x-y section, r2 in the x-z one, in any one unit): |Y| up to 0.99 |r1|,
// and |Z| up to 0.99 of that point's distance r2 - x1 from the axis of revolution. A torus
// long in one section (a cylindrical lens, say) keeps its length there.
bool WithinTorusRim(double r1, double r2, double Y, double Z) {
  const double reach = 0.99 * std::fabs(r1);
  if (!(std::fabs(Y) <= reach)) return false;
  const double x1 = Y * Y / (r1 + SignOr(r1, 1.0) * std::sqrt(r1 * r1 - Y * Y));
  return std::fabs(Z) <= 0.99 * std::fabs(r2 - x1);
}

// The same torus as a sag over (y, z), for radii far apart (or either beyond the quartic's
// cap), where the quartic's terms cancel to their last digits, and for hits the quartic
// finds beyond the smaller radius, where its roots may lie on the torus's far parts: the
// x-y section's circle
// x1 = c1 y^2 / (1 + sqrt(1 - c1^2 y^2)), revolved at R2 - x1 from the axis, adds
// c z^2 / (1 + w) with c = c2 / (1 - c2 x1) and w = sqrt(1 - c^2 z^2); its slopes are
// x1' / w and c z / w. Newton from the cylinder of the smaller radius (else the vertex
// plane); a ray beyond the vertex's half of the torus, or past 0.99 of either section's
// reach (WithinTorusRim), is parked at sign(R1) 0.99 min(|R1|, |R2|) as the quartic's was.
int IntersectTorusBySag(double r1, double r2, double p0[3], const double d[3], double normal[3]) {
  const double c1 = 1.0 / r1, c2 = 1.0 / r2;
  const double lim = 0.99 * std::min(std::fabs(r1), std::fabs(r2));
  double slopeY = 0.0, slopeZ = 0.0;
  // The ray's height above the surface at t, and the surface's slopes there; false off the
  // vertex's half.
  const auto rise = [&](double t, double &f) {
    const double Y = p0[1] + t * d[1], Z = p0[2] + t * d[2];
    const double a = 1.0 - c1 * c1 * Y * Y;
    if (!(a > 0.0)) return false;
    const double x1 = c1 * Y * Y / (1.0 + std::sqrt(a)), c = c2 / (1.0 - c2 * x1);
    const double b = 1.0 - c * c * Z * Z;
    if (!(b > 0.0) || !std::isfinite(c)) return false;
    const double w = std::sqrt(b);
    slopeY = c1 * Y / (std::sqrt(a) * w);
    slopeZ = c * Z / w;
    f = p0[0] + t * d[0] - x1 - c * Z * Z / (1.0 + w);
    return std::isfinite(f);
  };
  bool ended = false;
  double t = std::fabs(d[0]) >= kRayZero ? -p0[0] / d[0] : 0.0, f = 0.0;
  // From the cylinder of the smaller radius, which the torus hugs: the vertex plane may lie
  // beyond the vertex's half where a steep ray crosses it.
  const int u = std::fabs(r1) <= std::fabs(r2) ? 1 : 2;
  const double cu = u == 1 ? c1 : c2;
  if (double onCylinder = 0.0;
      NearerQuadricRoot(cu * (d[0] * d[0] + d[u] * d[u]), d[0] - cu * (p0[0] * d[0] + p0[u] * d[u]),
                        cu * (p0[0] * p0[0] + p0[u] * p0[u]) - 2.0 * p0[0], p0[0], d[0], onCylinder))
    t = onCylinder;
  for (int step = 0; step < kTorusStepLimit && std::fabs(d[0]) >= kRayZero && (step > 0 || rise(t, f)); ++step) {
    const double slope = d[0] - slopeY * d[1] - slopeZ * d[2];
    if (slope == 0.0 || !std::isfinite(slope)) break;
    double dt = -f / slope;
    // A step off the vertex's half is shortened until it stays on it; f and the slopes are
    // then those at t + dt, where the ray meets the surface at the last step.
    int halvings = 0;
    while (!rise(t + dt, f) && ++halvings < kTorusHalvings) dt *= 0.5;
    if (halvings == kTorusHalvings) break;
    t += dt;
    if (std::fabs(dt) < kTorusStep) {
      ended = true;
      break;
    }
  }
  const double Y = p0[1] + t * d[1], Z = p0[2] + t * d[2];
  if (!ended || !WithinTorusRim(r1, r2, Y, Z) || !SetUnitNormal(-1.0, slopeY, slopeZ, normal)) {
    p0[0] = SignOr(r1, 1.0) * lim;
    return 0;
  }
  Advance(p0, d, t, p0);
  return 1;
}

// Torus through the vertex: radius R1 in the x-y section, R2 in the x-z section (axis of
// revolution parallel to y through x = R2). Solved in coordinates scaled by the larger radius.
int IntersectTorus(const TInteractionSurface &s, double p0[3], const double d[3],
                   double normal[3]) {
  double r1 = s.R;
  double r2 = Coefficient(s, 1);
  if (r2 == 0.0) return IntersectFlatAcross(r1, true, p0, d, normal);
  if (r1 == 0.0) return IntersectFlatAcross(r2, false, p0, d, normal);
  const double larger = std::max(std::fabs(r1), std::fabs(r2)), smaller = std::min(std::fabs(r1), std::fabs(r2));
  // Radii beyond the cap or far apart go to the sag: the quartic below sees neither.
  if (larger > kTorusRadiusCap || larger >= kTorusSagRatio * smaller) return IntersectTorusBySag(r1, r2, p0, d, normal);
  if (r1 == r2) r2 = r1 + 1e-6;  // equal radii make the quartic's root double
  const double scale = std::max(std::fabs(r1), std::fabs(r2));
  r1 /= scale;
  r2 /= scale;
  const double lim = 0.99 * std::min(std::fabs(r1), std::fabs(r2));
  const double d2 = (r2 - r1) * (r2 - r1);

  double t = 0.0;
  if (r1 * r2 > 0.0) {
    // Start on the sphere of radius R2 through the vertex.
    const double rs = r2 * scale;
    const double b = 2.0 * (p0[2] * d[2] + p0[1] * d[1] + (p0[0] - rs) * d[0]);
    const double c = p0[2] * p0[2] + p0[1] * p0[1] + (p0[0] - 2.0 * rs) * p0[0];
    const double disc = b * b - 4.0 * c;
    if (disc >= 0.0) {
      const double root = std::sqrt(disc);
      const double tPlus = (-b + root) / 2.0, tMinus = (-b - root) / 2.0;
      const double xPlus = std::fabs(p0[0] + tPlus * d[0]);
      const double xMinus = std::fabs(p0[0] + tMinus * d[0]);
      t = (xPlus < xMinus ? tPlus : tMinus) / scale;
    }
  } else if (std::fabs(d[0]) >= kRayZero) {
    t = (-p0[0] / d[0]) / scale;
  }

  double gx = 0.0, gy = 0.0, gz = 0.0, Y = 0.0, Z = 0.0, f = 0.0;
  // The quartic and its gradient at t.
  const auto evaluate = [&]() {
    const double X = t * d[0] + p0[0] / scale - r2;
    Y = t * d[1] + p0[1] / scale;
    Z = t * d[2] + p0[2] / scale;
    const double rho = X * X + Z * Z;
    const double q = Y * Y + rho + d2 - r1 * r1;
    f = q * q - 4.0 * d2 * rho;
    gx = (q - 2.0 * d2) * X;
    gy = q * Y;
    gz = (q - 2.0 * d2) * Z;
  };
  bool ended = false;
  for (int step = 0; step < kTorusStepLimit; ++step) {
    evaluate();
    const double slope = 4.0 * (d[0] * gx + d[1] * gy + d[2] * gz);
    if (slope == 0.0 || !std::isfinite(slope) || !std::isfinite(f)) {
      ended = std::isfinite(f);
      break;
    }
    const double dt = -f / slope;
    t += dt;
    if (std::fabs(dt * scale) < kTorusStep) {
      evaluate();  // the normal where the ray meets the surface
      ended = true;
      break;
    }
  }
  if (!ended || !(Y * Y + Z * Z <= lim * lim)) {
    // The quartic's roots beyond the smaller radius may lie on another part of the torus
    // than the vertex's: there the sag, which has only that part, decides (and parks a ray
    // it refuses at sign(R1) 0.99 min(|R1|, |R2|)).
    return IntersectTorusBySag(s.R, Coefficient(s, 1), p0, d, normal);
  }
  return FinishTorusHit(gx, gy, gz, p0, d, t * scale, normal);
}

// Meridional conic of radius R and conic factor e = 1 - a2, displaced by the ring radius a1,
// revolved about the x axis.
int IntersectRingTorus(const TInteractionSurface &s, double p0[3], const double d[3],
                       double normal[3]) {
  double r1 = s.R;
  double r2 = Coefficient(s, 1);
  if (r1 == 0.0 || std::fabs(r1) > kRingRadiusCap) r1 = kRingRadiusCap;
  if (std::fabs(r2) > kRingRadiusCap) r2 = kRingRadiusCap;
  const double scale = std::max(std::fabs(r1), std::fabs(r2));
  r1 /= scale;
  r2 /= scale;
  const double e = 1.0 - Coefficient(s, 2);
  const double fallback = e > 0.0 ? r1 / e : 0.0;
  if (std::fabs(d[0]) < kRayZero) {
    p0[0] = fallback * scale;
    return 0;
  }
  double t = (-p0[0] / d[0]) / scale;

  double gx = 0.0, gy = 0.0, gz = 0.0;
  bool converged = false;
  for (int step = 0; step < kTorusStepLimit; ++step) {
    const double X = t * d[0] + p0[0] / scale;
    const double Y = t * d[1] + p0[1] / scale;
    const double Z = t * d[2] + p0[2] / scale;
    const double rho2 = Y * Y + Z * Z;
    const double q = e * X * X + rho2 - 2.0 * r1 * X;
    const double f = (q + r2 * r2) * (q + r2 * r2) - 4.0 * r2 * r2 * rho2;
    gx = (q + r2 * r2) * (e * X - r1);
    gy = (q - r2 * r2) * Y;
    gz = (q - r2 * r2) * Z;
    const double slope = 4.0 * (d[0] * gx + d[1] * gy + d[2] * gz);
    if (f == 0.0) {
      // Already on the surface. With ring radius 0 the quartic is a squared sphere whose
      // slope vanishes at every root, so an exact hit (the axial ray) must not count as a
      // flat slope.
      converged = true;
      break;
    }
    if (!(std::fabs(slope) >= kRingSlopeFloor)) break;
    const double dt = -f / slope;
    if (!(std::fabs(dt * scale) <= kRingStepCap)) break;
    t += dt;
    if (std::fabs(dt * scale) < kTorusStep) {
      converged = true;
      break;
    }
  }
  if (!converged) {
    p0[0] = fallback * scale;
    return 0;
  }
  return FinishTorusHit(gx, gy, gz, p0, d, t * scale, normal);
}

}  // namespace

void SetLensArraySolver(TLensArraySolver solver) { gLensArraySolver = solver; }

int IntersectSurfaceIterative(const TInteractionSurface &surface, double point[3],
                              const double direction[3], double normal[3]) {
  const bool hasCoefficients = surface.coef != nullptr && surface.coefCount > 0;
  switch (surface.type) {
    case kSurfaceAsphericHigh1:
      return hasCoefficients ? IntersectPolyImplicit(surface, point, direction, normal) : 0;
    case kSurfaceAsphericHigh2:
      return hasCoefficients ? IntersectPolyEven(surface, point, direction, normal) : 0;
    default:
      break;
  }
  if (surface.hasZones) {
    // Never fails: a zero normal ("no element hit") makes the trace stop the ray without
    // error. Without an installed solver the ray stops at its start point.
    if (gLensArraySolver == nullptr || surface.source == nullptr) {
      normal[0] = normal[1] = normal[2] = 0.0;
      return 1;
    }
    double distance = kLensArrayFar;
    const double start[3] = {point[0], point[1], point[2]};
    const double along[3] = {direction[0], direction[1], direction[2]};
    if (gLensArraySolver(*surface.source, start, along, normal, distance) != 1)
      normal[0] = normal[1] = normal[2] = 0.0;
    if (!std::isfinite(distance)) distance = kLensArrayFar;
    Advance(start, along, distance, point);
    return 1;
  }
  switch (surface.type) {
    case kSurfaceFresnel:
      return IntersectFresnel(surface, point, direction, normal);
    case kSurfaceAsphericStandard:
      return IntersectStandard(surface, point, direction, normal);
    case kSurfaceTor:
      return IntersectTorus(surface, point, direction, normal);
    case kSurfaceTorRing:
      return IntersectRingTorus(surface, point, direction, normal);
    default:
      return 1;  // closed-form types: nothing to refine, normal untouched
  }
}
