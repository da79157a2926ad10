#include "optics/lane_trace.h"

#include <cfloat>
#include <cmath>

namespace {

constexpr double kQuadraticFlat = 1e-10;  // as the one-ray solver: |A| or |D| counted as zero
constexpr double kUnitSeries = 1e-8;      // a square length this near 1 takes the series step

// Finite and not NaN, in a form that packs into vector compares.
inline bool Finite(double v) { return std::fabs(v) <= DBL_MAX; }

}  // namespace

bool MakeLaneSurface(const TInteractionSurface &s, TLaneSurface &lane) {
  const bool shape =
      s.type == kSurfacePlane || s.type == kSurfaceSphere || s.type == kSurfaceAspheric2;
  const bool hoe = s.hoe.present && s.hoe.Vh != nullptr && s.hoe.count > 0 &&
                   std::fabs(s.hoe.Mhxy) > kTinyValue;
  if (!shape || s.tilted || s.hasCoefficients || s.hasZones || hoe) return false;
  if (s.outer.type != kBoundRound || s.inner.type != kBoundRound) return false;
  for (int i = 0; i < 3; ++i) lane.vertex[i] = s.vertex[i];
  lane.R = s.R;
  lane.e = 1.0 - s.Ex;
  lane.twoR = 2.0 * s.R;
  lane.curvature = s.R == 0.0 ? 0.0 : 1.0 / s.R;
  lane.curvatureE = lane.curvature * (1.0 - s.Ex);
  lane.outerLimit = s.outer.semiHeight * s.outer.semiHeight * kBoundTolerance;
  lane.outerY = s.outer.centreY;
  lane.outerZ = s.outer.centreZ;
  lane.innerLimit = s.inner.semiHeight * s.inner.semiHeight * kBoundTolerance;
  lane.innerY = s.inner.centreY;
  lane.innerZ = s.inner.centreZ;
  lane.mu = s.indexAfter == 0.0 ? 1.0 : s.indexBefore / s.indexAfter;
  lane.muSquared = lane.mu * lane.mu;
  lane.sense = lane.mu >= 0.0 ? 1.0 : -1.0;
  lane.flat = s.R == 0.0 || s.type == kSurfacePlane ? 1 : 0;
  lane.cylinder = 0;
  return true;
}

namespace {

// Flat: the vertex plane is the surface. Unit: the normal (1 - c (1 - Ex) x, -c y, -c z)
// is a unit one by construction (Ex = 0), so it never needs the full square root.
template <bool flat, bool unit>
void TraceLanesOf(const TLaneSurface &s, TRayLanes &rays, const std::int64_t live[],
                  std::int64_t done[]) {
  const double e = s.e, R = s.R, twoR = s.twoR, mu = s.mu, sense = s.sense;
  for (int k = 0; k < kLaneBlock; ++k) {
    const double x0 = rays.x[k], y0 = rays.y[k], z0 = rays.z[k];
    const double D0 = rays.L[k], D1 = rays.M[k], D2 = rays.N[k];
    bool ok = live[k] != 0 && Finite(x0) && Finite(y0) && Finite(z0) && Finite(D0) &&
              Finite(D1) && Finite(D2) && std::fabs(D0) >= kTinyValue;
    const double p0 = x0 - s.vertex[0], p1 = y0 - s.vertex[1], p2 = z0 - s.vertex[2];
    const double flip = D0 < 0.0 ? -1.0 : 1.0;
    const double dx = flip * D0, dy = flip * D1, dz = flip * D2;

    double t;
    if constexpr (flat) {
      t = -p0 / dx;
    } else {
      const double a = e * dx * dx + dy * dy + dz * dz;
      const double b = 2.0 * (p2 * dz + p1 * dy + (e * p0 - R) * dx);
      const double c = p2 * p2 + p1 * p1 + (e * p0 - twoR) * p0;
      double disc = b * b - 4.0 * a * c;
      disc = std::fabs(disc) < kQuadraticFlat ? 0.0 : disc;
      ok = ok && std::fabs(a) >= kQuadraticFlat && disc >= 0.0;
      const double root = std::sqrt(disc >= 0.0 ? disc : 0.0);
      const double q = -0.5 * (b + (b >= 0.0 ? root : -root));
      ok = ok && q != 0.0;
      const double first = q / a, second = c / q;
      const double tPlus = b >= 0.0 ? second : first;
      const double tMinus = b >= 0.0 ? first : second;
      t = std::fabs(p0 + tPlus * dx) < std::fabs(p0 + tMinus * dx) ? tPlus : tMinus;
    }
    const double h0 = p0 + t * dx, h1 = p1 + t * dy, h2 = p2 + t * dz;
    ok = ok && Finite(h0) && Finite(h1) && Finite(h2);

    double n0 = 1.0 - s.curvatureE * h0, n1 = -s.curvature * h1, n2 = -s.curvature * h2;
    const double nn = n0 * n0 + n1 * n1 + n2 * n2;
    const double ne = nn - 1.0;
    double nInverse = 1.0 - 0.5 * ne + 0.375 * ne * ne;
    if constexpr (unit) {
      ok = ok && std::fabs(ne) < kUnitSeries;
    } else {
      nInverse = std::fabs(ne) < kUnitSeries ? nInverse : 1.0 / std::sqrt(nn > 0.0 ? nn : 1.0);
      ok = ok && nn > 0.0;
    }
    n0 *= nInverse;
    n1 *= nInverse;
    n2 *= nInverse;
    const double orient = (n0 >= 0.0) != (D0 >= 0.0) ? -1.0 : 1.0;
    n0 *= orient;
    n1 *= orient;
    n2 *= orient;

    const double oy = h1 - s.outerY, oz = h2 - s.outerZ;
    const double iy = h1 - s.innerY, iz = h2 - s.innerZ;
    ok = ok && !(oy * oy + oz * oz > s.outerLimit) && !(iy * iy + iz * iz < s.innerLimit);

    double cosI = D0 * n0 + D1 * n1 + D2 * n2;
    ok = ok && !(std::fabs(cosI) > kBoundTolerance);
    cosI = std::fabs(cosI) > 1.0 ? (cosI > 0.0 ? 1.0 : -1.0) : cosI;
    const double q = 1.0 - s.muSquared * (1.0 - cosI * cosI);
    ok = ok && q >= 0.0;
    const double root = std::sqrt(q >= 0.0 ? q : 0.0);
    const double normalPart = root - mu * cosI;
    double o0 = sense * (normalPart * n0 + mu * D0);
    double o1 = sense * (normalPart * n1 + mu * D1);
    double o2 = sense * (normalPart * n2 + mu * D2);
    const double squared = o0 * o0 + o1 * o1 + o2 * o2;
    const double oe = squared - 1.0;
    ok = ok && squared > kTinyValue * kTinyValue && Finite(squared) && std::fabs(oe) < kUnitSeries;
    const double oInverse = 1.0 - 0.5 * oe + 0.375 * oe * oe;
    o0 *= oInverse;
    o1 *= oInverse;
    o2 *= oInverse;
    o0 = std::fabs(o0) < kTinyValue ? 0.0 : o0;
    o1 = std::fabs(o1) < kTinyValue ? 0.0 : o1;
    o2 = std::fabs(o2) < kTinyValue ? 0.0 : o2;

    rays.x[k] = ok ? h0 + s.vertex[0] : x0;
    rays.y[k] = ok ? h1 + s.vertex[1] : y0;
    rays.z[k] = ok ? h2 + s.vertex[2] : z0;
    rays.L[k] = ok ? o0 : D0;
    rays.M[k] = ok ? o1 : D1;
    rays.N[k] = ok ? o2 : D2;
    rays.path[k] = ok ? t : rays.path[k];
    done[k] = ok ? 1 : 0;
  }
}

}  // namespace

void TraceLanes(const TLaneSurface &s, TRayLanes &rays, const std::int64_t live[],
                std::int64_t done[]) {
  const bool unit = s.e == 1.0;
  if (s.flat)
    unit ? TraceLanesOf<true, true>(s, rays, live, done)
         : TraceLanesOf<true, false>(s, rays, live, done);
  else
    unit ? TraceLanesOf<false, true>(s, rays, live, done)
         : TraceLanesOf<false, false>(s, rays, live, done);
}
