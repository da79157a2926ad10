#include "optics/interaction/surface_interaction.h"

#include <cmath>

#include "optics/interaction/iterative_intersection.h"
#include "optics/model/surface.h"

namespace {

struct TVec {
  double x, y, z;
};

double Dot(const TVec &a, const TVec &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// 1 / sqrt(squared) for the square length of a vector that is a unit one by construction
// (a sphere's normal, a refracted direction): one series step about 1 is exact to round-off
// there and keeps a square root and a division off each ray's chain of dependent steps.
// Any other length takes the full route.
double InverseLength(double squared) {
  const double e = squared - 1.0;
  if (std::fabs(e) < kUnitSeries) return 1.0 - 0.5 * e + 0.375 * e * e;
  return 1.0 / std::sqrt(squared);
}

bool AllFinite(const TCurrentRay &r) {
  return std::isfinite(r.L) && std::isfinite(r.M) && std::isfinite(r.N) && std::isfinite(r.x) &&
         std::isfinite(r.y) && std::isfinite(r.z);
}

// Holographic data usable for diffraction: a normalisation radius and at least one term.
bool HoeActive(const THoeView &hoe) {
  return hoe.present && hoe.Vh != nullptr && hoe.count > 0 && std::fabs(hoe.Mhxy) > kRayZero;
}

// Which root of the quadric's equation: the hit whose x is nearer the vertex plane; on a
// tie the one with -sqrt(D). Roots are formed without cancellation.
bool SolveQuadric(double a, double b, double c, double x, double L, double &t) {
  if (std::fabs(a) < kQuadraticFlat) {
    if (std::fabs(b) < kRayZero) return false;
    t = -c / b;
    return std::isfinite(t);
  }
  double disc = b * b - 4.0 * a * c;
  if (std::fabs(disc) < kQuadraticFlat) disc = 0.0;
  if (!(disc >= 0.0)) return false;
  const double root = std::sqrt(disc);
  // q carries -B's own sign so that -B and the root add; the other root is c/q.
  const double q = -0.5 * (b + (b >= 0.0 ? root : -root));
  double tPlus, tMinus;  // (-B + sqrt D)/2A and (-B - sqrt D)/2A
  if (q == 0.0) {
    tPlus = tMinus = 0.0;
  } else if (b >= 0.0) {
    tMinus = q / a;
    tPlus = c / q;
  } else {
    tPlus = q / a;
    tMinus = c / q;
  }
  t = std::fabs(x + tPlus * L) < std::fabs(x + tMinus * L) ? tPlus : tMinus;
  return std::isfinite(t);
}

// Outer and inner bound tests at local (y, z). Returns 0 when the ray passes, else -1/-2.
int ApertureStatus(const TInteractionSurface &s, double py, double pz) {
  const TBoundView &o = s.outer;
  double dy = py - o.centreY, dz = pz - o.centreZ;
  // The obscuration is tested after the outer bound and overrides it.
  int status = 0;
  switch (o.type) {
    case kBoundRound:
      if (dy * dy + dz * dz > o.semiHeight * o.semiHeight * kBoundTolerance)
        status = kRayOutsideAperture;
      break;
    case kBoundSquare:
    case kBoundRectangle:
      if (std::fabs(dy) > o.semiHeight || std::fabs(dz) > o.semiWidth) status = kRayOutsideAperture;
      break;
    case kBoundEllipse: {
      // dz^2/w^2 + dy^2/h^2 > 1, multiplied out so that a zero semi-axis is a slit.
      const double w2 = o.semiWidth * o.semiWidth, h2 = o.semiHeight * o.semiHeight;
      if (dz * dz * h2 + dy * dy * w2 > w2 * h2) status = kRayOutsideAperture;
      break;
    }
    default:
      break;
  }
  const TBoundView &in = s.inner;
  dy = py - in.centreY;
  dz = pz - in.centreZ;
  switch (in.type) {
    case kBoundRound:
      if (dy * dy + dz * dz < in.semiHeight * in.semiHeight * kBoundTolerance) return kRayObscured;
      break;
    case kBoundSquare:
      if (std::fabs(dy) < in.semiHeight && std::fabs(dz) < in.semiHeight) return kRayObscured;
      break;
    case kBoundEllipse: {
      const double w2 = in.semiWidth * in.semiWidth, h2 = in.semiHeight * in.semiHeight;
      if (dz * dz * h2 + dy * dy * w2 < w2 * h2) return kRayObscured;
      break;
    }
    case kBoundRectangle:
      if (std::fabs(dy) < in.semiHeight && std::fabs(dz) < in.semiWidth) return kRayObscured;
      break;
    default:
      break;
  }
  return status;
}

}  // namespace

void SetViewAngles(TInteractionSurface &surface, double ax, double ay, double az) {
  surface.angles[0] = ax;
  surface.angles[1] = ay;
  surface.angles[2] = az;
  surface.tilted = (ax != 0.0 || ay != 0.0 || az != 0.0) ? 1 : 0;
  if (surface.tilted) {
    BuildTiltMatrix(ax, ay, az, surface.matrix);
  } else {
    for (int i = 0; i < 9; ++i) surface.matrix[i] = (i % 4 == 0) ? 1.0 : 0.0;
  }
}

void RotateBySurface(const TInteractionSurface &surface, double v[3], int sense) {
  if (!surface.tilted) return;
  const double *m = surface.matrix;
  const double x = v[0], y = v[1], z = v[2];
  if (sense == 0) {
    v[0] = m[0] * x + m[3] * y + m[6] * z;
    v[1] = m[1] * x + m[4] * y + m[7] * z;
    v[2] = m[2] * x + m[5] * y + m[8] * z;
  } else {
    v[0] = m[0] * x + m[1] * y + m[2] * z;
    v[1] = m[3] * x + m[4] * y + m[5] * z;
    v[2] = m[6] * x + m[7] * y + m[8] * z;
  }
}

void HoePhase(const THoeView &hoe, double u, double &phase, double &derivative) {
  double p = 0.0, dp = 0.0;
  for (int i = hoe.count - 1; i >= 0; --i) {
    p = p * u + hoe.Vh[i];
    dp = dp * u + (i + 1) * hoe.Vh[i];
  }
  phase = p * u;
  derivative = dp;
}

int TraceSurfaceRay(const TInteractionSurface &s, TCurrentRay &ray) {
  if (!AllFinite(ray)) {
    ray.blocked = 1;
    ray.status = kRayMissedSurface;
    return kRayMissedSurface;
  }
  double p[3], d[3];
  EnterSurfaceFrame(s, ray, p, d);

  // A ray parallel to the vertex plane never reaches the surface; the ray is untouched.
  if (std::fabs(d[0]) < kRayZero) {
    ray.blocked = 1;
    ray.status = kRayMissedSurface;
    return kRayMissedSurface;
  }
  // Intersect along the direction with L >= 0; the ray's own direction changes only when
  // it leaves, so a stopped ray keeps the direction it came with.
  const double flip = d[0] < 0.0 ? -1.0 : 1.0;
  const TVec di{flip * d[0], flip * d[1], flip * d[2]};

  const bool quadric =
      s.type == kSurfaceSphere || s.type == kSurfaceAspheric2 || s.type == kSurfaceCylinder;
  double t = 0.0;
  if (s.R == 0.0) {
    // A flat sphere, conic or cylinder is the vertex plane, like type 0; the iterative
    // types start from the ray itself.
    const bool flatTorus = (s.type == kSurfaceTor || s.type == kSurfaceTorRing) &&
                           (s.coef == nullptr || s.coefCount < 2 || s.coef[1] == 0.0);
    if (s.type == kSurfacePlane || quadric || flatTorus) t = -p[0] / di.x;
  } else if (quadric) {
    const double e = 1.0 - s.Ex;
    double a, b, c;
    if (s.type == kSurfaceCylinder) {
      a = e * di.x * di.x + di.y * di.y;
      b = 2.0 * (p[1] * di.y + (e * p[0] - s.R) * di.x);
      c = p[1] * p[1] + (e * p[0] - 2.0 * s.R) * p[0];
    } else {
      // 1 - Ex L^2 for a unit direction, written so that it holds for any length.
      a = e * di.x * di.x + di.y * di.y + di.z * di.z;
      b = 2.0 * (p[2] * di.z + p[1] * di.y + (e * p[0] - s.R) * di.x);
      c = p[2] * p[2] + p[1] * p[1] + (e * p[0] - 2.0 * s.R) * p[0];
    }
    if (!SolveQuadric(a, b, c, p[0], di.x, t)) {
      ray.blocked = 1;
      ray.status = kRayMissedSurface;
      return kRayMissedSurface;
    }
  } else {
    t = -p[0] / di.x;
  }
  double hit[3] = {p[0] + t * di.x, p[1] + t * di.y, p[2] + t * di.z};
  // A nearly grazing ray far from the vertex can overflow its way to the surface.
  if (!std::isfinite(hit[0]) || !std::isfinite(hit[1]) || !std::isfinite(hit[2])) {
    ray.blocked = 1;
    ray.status = kRayMissedSurface;
    return kRayMissedSurface;
  }

  TVec n{1.0, 0.0, 0.0};
  if (!s.hasCoefficients && !s.hasZones) {
    const double c = s.R == 0.0 ? 0.0 : 1.0 / s.R;
    n = {1.0 - c * (1.0 - s.Ex) * hit[0], -c * hit[1],
         s.type == kSurfaceCylinder ? 0.0 : -c * hit[2]};
    const double inverse = InverseLength(Dot(n, n));
    n = {n.x * inverse, n.y * inverse, n.z * inverse};
  } else {
    double normal[3] = {0.0, 0.0, 0.0};
    const double direction[3] = {di.x, di.y, di.z};
    const int found = IntersectSurfaceIterative(s, hit, direction, normal);
    if (!found || normal[0] == 0.0 || !std::isfinite(hit[0]) || !std::isfinite(hit[1]) ||
        !std::isfinite(hit[2])) {
      ray.blocked = 1;
      ray.status = kRayStopped;
      if (std::isfinite(hit[0]) && std::isfinite(hit[1]) && std::isfinite(hit[2])) {
        LeaveSurfaceFrame(s, hit, nullptr);
        PlaceRay(ray, hit, nullptr);
      }
      return kRayStopped;
    }
    n = {normal[0], normal[1], normal[2]};
    t = (hit[0] - p[0]) * di.x + (hit[1] - p[1]) * di.y + (hit[2] - p[2]) * di.z;
  }

  // Orient the normal along the ray's own travel (a zero L counts as positive).
  const TVec D{d[0], d[1], d[2]};
  if ((n.x >= 0.0) != (D.x >= 0.0)) n = {-n.x, -n.y, -n.z};

  ray.blocked = 0;
  ray.status = kRayPassed;
  const int bound = ApertureStatus(s, hit[1], hit[2]);
  if (bound != 0) {
    ray.blocked = 1;
    ray.status = bound;
    if (!ray.traceThrough) {
      LeaveSurfaceFrame(s, hit, nullptr);
      PlaceRay(ray, hit, nullptr);
      return bound;
    }
  }

  // Refraction n' D' = n D + (n' cos I' - n cos I) N, written with mu = n / n'; a negative
  // mu (mirror) gives s = -1 and turns the same formula into D - 2 cos I N.
  double mu = s.indexAfter == 0.0 ? 1.0 : s.indexBefore / s.indexAfter;
  double sense = mu >= 0.0 ? 1.0 : -1.0;
  double cosI = Dot(D, n);
  if (std::fabs(cosI) > kBoundTolerance) {
    ray.blocked = 1;
    ray.status = kRayMissedSurface;
    return kRayMissedSurface;
  }
  if (std::fabs(cosI) > 1.0) cosI = cosI > 0.0 ? 1.0 : -1.0;
  double q = 1.0 - mu * mu * (1.0 - cosI * cosI);

  TVec g{0.0, 0.0, 0.0};
  double k = 0.0;
  if (HoeActive(s.hoe)) {
    const double m2 = s.hoe.Mhxy * s.hoe.Mhxy;
    double phase = 0.0, slope = 0.0;
    HoePhase(s.hoe, (hit[1] * hit[1] + hit[2] * hit[2]) / m2, phase, slope);
    const TVec planar{0.0, 2.0 * slope * hit[1] / m2, 2.0 * slope * hit[2] / m2};
    // The phase gradient along the surface is the planar gradient projected onto the
    // tangent plane; no division by the normal's x, so it holds at grazing normals too.
    const double along = Dot(planar, n);
    g = {planar.x - along * n.x, planar.y - along * n.y, planar.z - along * n.z};
    // The fringes give the same tangential kick to a reflected ray as to a passing one:
    // |n'| D'_t = n D_t + pD w g. Dividing by the signed index after would bend the light of
    // a reflection hologram the other way than its first-order power says.
    const double diffracted = s.hoe.order * s.hoe.wavelengthFactor;
    k = s.indexAfter == 0.0 ? 0.0 : diffracted / std::fabs(s.indexAfter);
    // |D'| = 1 needs the normal part reduced by the grown tangential part
    // |s mu D_t + K g|^2 - |mu D_t|^2 = K (2 |mu| D.g + K g.g).
    q -= k * (2.0 * std::fabs(mu) * Dot(D, g) + k * Dot(g, g));
    if (s.indexBefore != 0.0) t += phase * diffracted / s.indexBefore;
  }

  double root;
  if (q >= 0.0) {
    root = std::sqrt(q);
  } else {
    ray.blocked = 1;
    ray.status = kRayTotalReflection;
    mu = -1.0;
    sense = -1.0;
    root = cosI;
  }
  const double normal[3] = {n.x, n.y, n.z};
  double out[3];
  BendDirection(d, normal, mu, cosI, root, sense, out);
  out[0] += k * g.x;
  out[1] += k * g.y;
  out[2] += k * g.z;

  LeaveSurfaceFrame(s, hit, out);
  const double squared = out[0] * out[0] + out[1] * out[1] + out[2] * out[2];
  if (!(squared > kRayZero * kRayZero) || !std::isfinite(squared)) {
    ray.blocked = 1;
    ray.status = kRayMissedSurface;
    return kRayMissedSurface;
  }
  const double inverse = InverseLength(squared);
  for (double &component : out) {
    component *= inverse;
    if (std::fabs(component) < kRayZero) component = 0.0;
  }
  PlaceRay(ray, hit, out);
  ray.pathLength = t;
  return ray.blocked == 0 ? kRayPassed : ray.status;
}

int TraceSurfaceParaxial(const TInteractionSurface &s, TCurrentRay &ray, int backwards) {
  if (!AllFinite(ray)) return -1;
  double p[3], d[3];
  EnterSurfaceFrame(s, ray, p, d);
  const double before = backwards ? s.indexAfter : s.indexBefore;
  const double after = backwards ? s.indexBefore : s.indexAfter;
  if (d[0] == 0.0 || before == 0.0 || after == 0.0) return -1;

  const double u = -d[1] / d[0], v = -d[2] / d[0];
  const double y0 = p[1] + p[0] * u, z0 = p[2] + p[0] * v;
  double hoePower = 0.0;
  if (HoeActive(s.hoe))
    hoePower = s.hoe.order * 2.0 * s.hoe.Vh[0] / (s.hoe.Mhxy * s.hoe.Mhxy) * s.hoe.wavelengthFactor;
  const double curvature = s.R == 0.0 ? 0.0 : 1.0 / s.R;
  const double power = (after - before) * curvature - hoePower;
  const double u1 = (power * y0 + before * u) / after;
  const double v1 = (power * z0 + before * v) / after;
  const double sign = ((d[0] > 0.0) == (before / after > 0.0)) ? 1.0 : -1.0;
  double out[3];
  out[0] = sign / std::sqrt(1.0 + u1 * u1 + v1 * v1);
  out[1] = -out[0] * u1;
  out[2] = -out[0] * v1;
  for (double &component : out)
    if (std::fabs(component) < kRayZero) component = 0.0;
  double at[3] = {0.0, y0, z0};
  LeaveSurfaceFrame(s, at, out);
  PlaceRay(ray, at, out);
  ray.blocked = 0;
  ray.status = kRayPassed;
  return 1;
}
