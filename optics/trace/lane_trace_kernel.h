// The lane loop, compiled once for the baseline instruction set (lane_trace.cpp) and once
// for AVX2 (lane_trace_avx2.cpp), each inside its own LANE_KERNEL_NAMESPACE. Neither build
// may contract a multiply and an add into one rounding: the lanes must stay bit for bit
// with the one-ray interaction.
// (No include guard: each file includes it exactly once, under its own namespace.)

#include <cfloat>
#include <cmath>

#include "optics/trace/lane_trace.h"

#ifndef LANE_KERNEL_NAMESPACE
#error "define LANE_KERNEL_NAMESPACE before including this file"
#endif

namespace LANE_KERNEL_NAMESPACE {
namespace {

// Finite and not NaN, in a form that packs into vector compares.
inline bool Finite(double v) { return std::fabs(v) <= DBL_MAX; }

// One ray's ordinary passage. Flat: the vertex plane is the surface. Unit: the normal
// (1 - c (1 - Ex) x, -c y, -c z) is a unit one by construction (Ex = 0), so it never needs
// the full square root. Returns live narrowed to 0 when the passage is not an ordinary one
// (out then holds no meaningful value). Written without branches: the lane loop inlines it
// and packs it into vector instructions.
template <bool flat, bool unit>
[[gnu::always_inline]] inline double LanePassage(const TLaneSurface &s, double x0, double y0,
                                                 double z0, double D0, double D1, double D2,
                                                 double live, double out[7]) {
  // Every constant in a local: a load inside a condition would keep the loop branching.
  const double e = s.e, R = s.R, twoR = s.twoR, mu = s.mu, sense = s.sense;
  const double vx = s.vertex[0], vy = s.vertex[1], vz = s.vertex[2];
  const double curvature = s.curvature, curvatureE = s.curvatureE, muSquared = s.muSquared;
  const double outerLimit = s.outerLimit, outerY = s.outerY, outerZ = s.outerZ;
  const double innerLimit = s.innerLimit, innerY = s.innerY, innerZ = s.innerZ;
  // The lane's verdict is a double 1 or 0, narrowed by selects: no branch and no mix of
  // integer and floating vectors may stand in the loop, or it does not pack.
  double ok = live;
  ok = Finite(x0) && Finite(y0) && Finite(z0) ? ok : 0.0;
  ok = Finite(D0) && Finite(D1) && Finite(D2) && std::fabs(D0) >= kRayZero ? ok : 0.0;
  const double p0 = x0 - vx, p1 = y0 - vy, p2 = z0 - vz;
  // Sign changes are selects of v and -v: exactly the products with -1 and 1, without a
  // multiplication's latency on the ray's chain of dependent steps.
  const bool backwards = D0 < 0.0;
  const double dx = backwards ? -D0 : D0, dy = backwards ? -D1 : D1, dz = backwards ? -D2 : D2;

  double t;
  if constexpr (flat) {
    t = -p0 / dx;
  } else {
    const double a = e * dx * dx + dy * dy + dz * dz;
    const double b = 2.0 * (p2 * dz + p1 * dy + (e * p0 - R) * dx);
    const double c = p2 * p2 + p1 * p1 + (e * p0 - twoR) * p0;
    const double raw = b * b - 4.0 * a * c;
    const double disc = std::fabs(raw) < kQuadraticFlat ? 0.0 : raw;
    ok = std::fabs(a) >= kQuadraticFlat ? ok : 0.0;
    ok = disc >= 0.0 ? ok : 0.0;
    const double root = std::sqrt(disc >= 0.0 ? disc : 0.0);
    const double q = -0.5 * (b + (b >= 0.0 ? root : -root));
    ok = q != 0.0 ? ok : 0.0;
    const double first = q / a, second = c / q;
    const double tPlus = b >= 0.0 ? second : first;
    const double tMinus = b >= 0.0 ? first : second;
    t = std::fabs(p0 + tPlus * dx) < std::fabs(p0 + tMinus * dx) ? tPlus : tMinus;
  }
  const double h0 = p0 + t * dx, h1 = p1 + t * dy, h2 = p2 + t * dz;
  ok = Finite(h0) && Finite(h1) && Finite(h2) ? ok : 0.0;

  double n0 = 1.0 - curvatureE * h0, n1 = -curvature * h1, n2 = -curvature * h2;
  const double nn = n0 * n0 + n1 * n1 + n2 * n2;
  const double ne = nn - 1.0;
  double nInverse = 1.0 - 0.5 * ne + 0.375 * ne * ne;
  if constexpr (unit) {
    ok = std::fabs(ne) < kUnitSeries ? ok : 0.0;
  } else {
    const double length = std::sqrt(nn > 0.0 ? nn : 1.0);
    const double full = 1.0 / length;
    nInverse = std::fabs(ne) < kUnitSeries ? nInverse : full;
    ok = nn > 0.0 ? ok : 0.0;
  }
  n0 *= nInverse;
  n1 *= nInverse;
  n2 *= nInverse;
  // Orient the normal along the ray's own travel.
  const bool turn = (n0 >= 0.0) != (D0 >= 0.0);
  n0 = turn ? -n0 : n0;
  n1 = turn ? -n1 : n1;
  n2 = turn ? -n2 : n2;

  const double oy = h1 - outerY, oz = h2 - outerZ;
  const double iy = h1 - innerY, iz = h2 - innerZ;
  ok = oy * oy + oz * oz > outerLimit || iy * iy + iz * iz < innerLimit ? 0.0 : ok;

  double cosI = D0 * n0 + D1 * n1 + D2 * n2;
  ok = std::fabs(cosI) > kBoundTolerance ? 0.0 : ok;
  cosI = std::fabs(cosI) > 1.0 ? (cosI > 0.0 ? 1.0 : -1.0) : cosI;
  const double q = 1.0 - muSquared * (1.0 - cosI * cosI);
  ok = q >= 0.0 ? ok : 0.0;
  const double root = std::sqrt(q >= 0.0 ? q : 0.0);
  const double normalPart = root - mu * cosI;
  const bool mirrored = sense < 0.0;
  double o0 = normalPart * n0 + mu * D0;
  double o1 = normalPart * n1 + mu * D1;
  double o2 = normalPart * n2 + mu * D2;
  o0 = mirrored ? -o0 : o0;
  o1 = mirrored ? -o1 : o1;
  o2 = mirrored ? -o2 : o2;
  const double squared = o0 * o0 + o1 * o1 + o2 * o2;
  const double oe = squared - 1.0;
  ok = squared > kRayZero * kRayZero && Finite(squared) && std::fabs(oe) < kUnitSeries ? ok
                                                                                   : 0.0;
  const double oInverse = 1.0 - 0.5 * oe + 0.375 * oe * oe;
  o0 *= oInverse;
  o1 *= oInverse;
  o2 *= oInverse;
  o0 = std::fabs(o0) < kRayZero ? 0.0 : o0;
  o1 = std::fabs(o1) < kRayZero ? 0.0 : o1;
  o2 = std::fabs(o2) < kRayZero ? 0.0 : o2;

  out[0] = h0 + vx;
  out[1] = h1 + vy;
  out[2] = h2 + vz;
  out[3] = o0;
  out[4] = o1;
  out[5] = o2;
  out[6] = t;
  return ok;
}

template <bool flat, bool unit>
void TraceLanesOf(const TLaneSurface &s, const TRayLanes &__restrict rays,
                  TRayLanes &__restrict out, const double *__restrict live,
                  double *__restrict done) {
  for (int k = 0; k < kLaneBlock; ++k) {
    double passed[7];
    done[k] = LanePassage<flat, unit>(s, rays.x[k], rays.y[k], rays.z[k], rays.L[k], rays.M[k],
                                      rays.N[k], live[k], passed);
    out.x[k] = passed[0];
    out.y[k] = passed[1];
    out.z[k] = passed[2];
    out.L[k] = passed[3];
    out.M[k] = passed[4];
    out.N[k] = passed[5];
    out.path[k] = passed[6];
  }
}

}  // namespace

void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[]) {
  const bool unit = s.e == 1.0;
  if (s.flat)
    unit ? TraceLanesOf<true, true>(s, rays, out, live, done)
         : TraceLanesOf<true, false>(s, rays, out, live, done);
  else
    unit ? TraceLanesOf<false, true>(s, rays, out, live, done)
         : TraceLanesOf<false, false>(s, rays, out, live, done);
}

}  // namespace LANE_KERNEL_NAMESPACE
