// The lane loop, compiled once for the baseline instruction set (lane_trace.cpp), once for
// AVX2 (lane_trace_avx2.cpp) and once for AVX-512 (lane_trace_avx512.cpp), each inside its
// own LANE_KERNEL_NAMESPACE. No build may contract a multiply and an add into one
// rounding: the lanes must stay bit for bit with the one-ray interaction.
// (No include guard: each file includes it exactly once, under its own namespace.)

#include <cfloat>
#include <cmath>

#include "optics/trace/lane_trace.h"

#ifndef LANE_KERNEL_NAMESPACE
#error "define LANE_KERNEL_NAMESPACE before including this file"
#endif

namespace LANE_KERNEL_NAMESPACE {
namespace {

// The lanes to work on: `lanes` rounded up to whole groups, at most the block, in a form
// that tells the compiler it is a multiple of every build's vector (no remainder loop).
inline int GroupedWidth(int lanes) {
  const int clamped = lanes < 1 ? 1 : lanes > kLaneBlock ? kLaneBlock : lanes;
  return ((clamped + kLaneGroup - 1) / kLaneGroup) * kLaneGroup;
}

// A passage's chain of dependent steps (two square roots and a division, some forty
// products and sums) is far longer than the processor's window of waiting instructions, so
// a loop that takes a lane through the whole passage at once keeps the next lanes waiting
// behind it. The passage is therefore cut into four steps, each a loop over the whole
// block whose lanes are independent and overlap: the quadratic's root, its quotients, the
// hit point and the normal, the refraction. Values between the steps wait in the block's
// scratch rows; each step does exactly its share of the one-lane arithmetic, in the same
// order, so every lane ends bit for bit as before. Every step is written without branches
// (the verdict ok is a double 1 or 0, narrowed by selects; no mix of integer and floating
// vectors) so that it packs into vector instructions.
struct TLaneScratch {
  double ok[kLaneBlock];
  double row[5][kLaneBlock];
};

// The ray's travel sense applied to its direction: selects of v and -v are exactly the
// products with -1 and 1, without a multiplication.
[[gnu::always_inline]] inline void Forward(double D0, double D1, double D2, double &dx,
                                           double &dy, double &dz) {
  const bool backwards = D0 < 0.0;
  dx = backwards ? -D0 : D0;
  dy = backwards ? -D1 : D1;
  dz = backwards ? -D2 : D2;
}

// Step 1: the finite tests, then the quadratic's terms and root (rows a, b, c, q), or at a
// flat surface the path length itself (into out.path).
template <bool flat>
void IntersectionTerms(const TLaneSurface &s, const TRayLanes &__restrict rays,
                       TRayLanes &__restrict out, const double *__restrict live,
                       TLaneScratch &__restrict w, int width) {
  // Every constant in a local: a load inside a condition would keep the loop branching.
  const double e = s.e, R = s.R, twoR = s.twoR;
  const double vx = s.vertex[0], vy = s.vertex[1], vz = s.vertex[2];
  for (int k = 0; k < width; ++k) {
    const double x0 = rays.x[k], y0 = rays.y[k], z0 = rays.z[k];
    const double D0 = rays.L[k], D1 = rays.M[k], D2 = rays.N[k];
    // An infinite or undefined coordinate makes a quadratic term or the hit point infinite
    // or undefined, which declines the lane below: only the grazing ray needs a test here.
    double ok = std::fabs(D0) >= kRayZero ? live[k] : 0.0;
    const double p0 = x0 - vx, p1 = y0 - vy, p2 = z0 - vz;
    double dx, dy, dz;
    Forward(D0, D1, D2, dx, dy, dz);
    if constexpr (flat) {
      out.path[k] = -p0 / dx;
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
      w.row[0][k] = a;
      w.row[1][k] = b;
      w.row[2][k] = c;
      w.row[3][k] = q;
    }
    w.ok[k] = ok;
  }
}

// Step 2 (curved surfaces): the two roots q / a and c / q, and of them the one whose hit
// lies nearer the vertex plane, as the path length (into out.path).
void NearerRoot(const TLaneSurface &s, const TRayLanes &__restrict rays,
                TRayLanes &__restrict out, TLaneScratch &__restrict w, int width) {
  const double vx = s.vertex[0];
  for (int k = 0; k < width; ++k) {
    const double a = w.row[0][k], b = w.row[1][k], c = w.row[2][k], q = w.row[3][k];
    const double p0 = rays.x[k] - vx;
    const double D0 = rays.L[k];
    const double dx = D0 < 0.0 ? -D0 : D0;
    const double first = q / a, second = c / q;
    const double tPlus = b >= 0.0 ? second : first;
    const double tMinus = b >= 0.0 ? first : second;
    out.path[k] = std::fabs(p0 + tPlus * dx) < std::fabs(p0 + tMinus * dx) ? tPlus : tMinus;
  }
}

// The bounds of a surface, held in locals for the loops.
struct TLaneBounds {
  explicit TLaneBounds(const TLaneSurface &s)
      : outerLimit(s.outerLimit), outerY(s.outerY), outerZ(s.outerZ),
        innerLimit(s.innerLimit), innerY(s.innerY), innerZ(s.innerZ) {}
  double outerLimit, outerY, outerZ;
  double innerLimit, innerY, innerZ;
};

// The verdict ok, or 0 where the hit (h1, h2) lies outside the outer bound or (obscured)
// inside the inner one.
template <bool obscured>
[[gnu::always_inline]] inline double WithinBounds(const TLaneBounds &b, double h1, double h2,
                                                  double ok) {
  const double oy = h1 - b.outerY, oz = h2 - b.outerZ;
  if constexpr (obscured) {
    const double iy = h1 - b.innerY, iz = h2 - b.innerZ;
    return oy * oy + oz * oz > b.outerLimit || iy * iy + iz * iz < b.innerLimit ? 0.0 : ok;
  } else {
    return oy * oy + oz * oz > b.outerLimit ? 0.0 : ok;
  }
}

// Lane k's hit point relative to the vertex (v0, v1, v2), at its path length in out.path.
[[gnu::always_inline]] inline void HitPoint(const TRayLanes &__restrict rays,
                                            const TRayLanes &__restrict out, int k, double v0,
                                            double v1, double v2, double &h0, double &h1,
                                            double &h2) {
  const double p0 = rays.x[k] - v0, p1 = rays.y[k] - v1, p2 = rays.z[k] - v2;
  double dx, dy, dz;
  Forward(rays.L[k], rays.M[k], rays.N[k], dx, dy, dz);
  const double t = out.path[k];
  h0 = p0 + t * dx;
  h1 = p1 + t * dy;
  h2 = p2 + t * dz;
}

// Step 3: the hit point (into out.x, y, z), the bounds, the unit normal along the ray's
// travel (rows n0, n1, n2), the cosine of incidence (row 3) and the refraction's radicand
// (row 4). Unit: the normal (1 - c (1 - Ex) x, -c y, -c z) is a unit one by construction
// (Ex = 0), so it never needs the full square root. Obscured: the surface has an inner
// bound; without one (a limit of 0) no sum of squares falls below it, and the test is left
// out.
//
// A hit point with an infinite or undefined coordinate needs no test of its own: it makes
// a component of the normal infinite or undefined (a curvature times it, or a zero
// curvature times an infinity), so the normal's squared length is too. A unit normal then
// fails its length test; a full one fails nn > 0, or is scaled by 1 / sqrt(inf) = 0 into
// an undefined component, whose undefined cosine makes the radicand fail q >= 0.
template <bool unit, bool obscured>
void HitAndNormal(const TLaneSurface &s, const TRayLanes &__restrict rays,
                  TRayLanes &__restrict out, TLaneScratch &__restrict w, int width) {
  const double vx = s.vertex[0], vy = s.vertex[1], vz = s.vertex[2];
  const double curvature = s.curvature, curvatureE = s.curvatureE, muSquared = s.muSquared;
  const TLaneBounds bounds(s);
  for (int k = 0; k < width; ++k) {
    const double D0 = rays.L[k], D1 = rays.M[k], D2 = rays.N[k];
    double h0, h1, h2;
    HitPoint(rays, out, k, vx, vy, vz, h0, h1, h2);
    double ok = w.ok[k];

    double n0 = 1.0 - curvatureE * h0, n1 = -curvature * h1, n2 = -curvature * h2;
    const double nn = n0 * n0 + n1 * n1 + n2 * n2;
    const double ne = nn - 1.0;
    // The series 1 - ne / 2 + 3 ne^2 / 8 of the inverse length, where it is used (|ne| below
    // kUnitSeries), is 1 - ne / 2 to the last bit: 3 ne^2 / 8 < 3.8e-17 is below half an ulp
    // of any number near 1.
    double nInverse = 1.0 - 0.5 * ne;
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
    ok = WithinBounds<obscured>(bounds, h1, h2, ok);

    double cosI = D0 * n0 + D1 * n1 + D2 * n2;
    ok = std::fabs(cosI) > kBoundTolerance ? 0.0 : ok;
    cosI = std::fabs(cosI) > 1.0 ? (cosI > 0.0 ? 1.0 : -1.0) : cosI;
    const double q = 1.0 - muSquared * (1.0 - cosI * cosI);
    ok = q >= 0.0 ? ok : 0.0;
    out.x[k] = h0 + vx;
    out.y[k] = h1 + vy;
    out.z[k] = h2 + vz;
    w.row[0][k] = n0;
    w.row[1][k] = n1;
    w.row[2][k] = n2;
    w.row[3][k] = cosI;
    w.row[4][k] = q;
    w.ok[k] = ok;
  }
}

// Step 3 at a plane, whose curvature is 0: there the general step's normal (1 - 0 h0, -0 h1,
// -0 h2) is (1, +-0, +-0) for any finite hit point, of squared length 1 and so scaled by 1,
// turned to (+-1, +-0, +-0) along the ray's travel; its cosine of incidence is |D0| exactly
// (the signed zeros add nothing to a D0 that is not 0). The zeros are written as +0: in the
// refraction they only add to products that are not 0, or give a zero component that the
// outgoing direction writes as +0 in any case; a direction component that is infinite or
// undefined makes the outgoing direction fail its length test there, as its undefined cosine
// would have made the radicand fail here. The finiteness of the hit point, which the
// general step's normal tests, is tested on its own.
template <bool obscured>
void PlaneHitAndNormal(const TLaneSurface &s, const TRayLanes &__restrict rays,
                       TRayLanes &__restrict out, TLaneScratch &__restrict w, int width) {
  const double vx = s.vertex[0], vy = s.vertex[1], vz = s.vertex[2];
  const double muSquared = s.muSquared;
  const TLaneBounds bounds(s);
  for (int k = 0; k < width; ++k) {
    const double D0 = rays.L[k];
    double h0, h1, h2;
    HitPoint(rays, out, k, vx, vy, vz, h0, h1, h2);
    double ok = w.ok[k];
    ok = std::fabs(h0) <= DBL_MAX && std::fabs(h1) <= DBL_MAX && std::fabs(h2) <= DBL_MAX ? ok
                                                                                        : 0.0;
    ok = WithinBounds<obscured>(bounds, h1, h2, ok);
    double cosI = std::fabs(D0);
    ok = cosI > kBoundTolerance ? 0.0 : ok;
    cosI = cosI > 1.0 ? 1.0 : cosI;
    const double q = 1.0 - muSquared * (1.0 - cosI * cosI);
    ok = q >= 0.0 ? ok : 0.0;
    out.x[k] = h0 + vx;
    out.y[k] = h1 + vy;
    out.z[k] = h2 + vz;
    w.row[0][k] = D0 < 0.0 ? -1.0 : 1.0;
    w.row[1][k] = 0.0;
    w.row[2][k] = 0.0;
    w.row[3][k] = cosI;
    w.row[4][k] = q;
    w.ok[k] = ok;
  }
}

// Step 4: the refracted (or reflected) direction, of unit length (into out.L, M, N), the
// lane's verdict and, with sums, a passed lane's share of them. Mirrored: the surface
// reflects (its sense is -1), and the direction turns round.
template <bool summed, bool mirrored>
void Refraction(const TLaneSurface &s, const TRayLanes &__restrict rays,
                TRayLanes &__restrict out, const TLaneScratch &__restrict w,
                double *__restrict done, const TLaneSumTerms *terms, TLaneSums *__restrict sums,
                int width) {
  const double mu = s.mu;
  TLaneSumTerms share;
  if constexpr (summed) share = *terms;
  for (int k = 0; k < width; ++k) {
    const double D0 = rays.L[k], D1 = rays.M[k], D2 = rays.N[k];
    const double n0 = w.row[0][k], n1 = w.row[1][k], n2 = w.row[2][k];
    const double cosI = w.row[3][k], q = w.row[4][k];
    double ok = w.ok[k];
    // A negative radicand has declined the lane: its root is never used.
    const double root = std::sqrt(q);
    const double normalPart = root - mu * cosI;
    double o0 = normalPart * n0 + mu * D0;
    double o1 = normalPart * n1 + mu * D1;
    double o2 = normalPart * n2 + mu * D2;
    if constexpr (mirrored) {
      o0 = -o0;
      o1 = -o1;
      o2 = -o2;
    }
    // A squared length within kUnitSeries of 1 is finite and far from 0: that one test
    // declines every direction too short, too long or undefined.
    const double oe = o0 * o0 + o1 * o1 + o2 * o2 - 1.0;
    ok = std::fabs(oe) < kUnitSeries ? ok : 0.0;
    const double oInverse = 1.0 - 0.5 * oe;  // the series as for the normal
    o0 *= oInverse;
    o1 *= oInverse;
    o2 *= oInverse;
    out.L[k] = std::fabs(o0) < kRayZero ? 0.0 : o0;
    out.M[k] = std::fabs(o1) < kRayZero ? 0.0 : o1;
    out.N[k] = std::fabs(o2) < kRayZero ? 0.0 : o2;
    done[k] = ok;
    if constexpr (summed) {
      const double path = AddedPath(sums->path[k], out.path[k], share);
      const double transmission = sums->transmission[k] * share.factor;
      sums->path[k] = ok != 0.0 ? path : sums->path[k];
      sums->transmission[k] = ok != 0.0 ? transmission : sums->transmission[k];
    }
  }
}

template <bool flat, bool unit, bool obscured>
void TraceLanesOf(const TLaneSurface &s, const TRayLanes &__restrict rays,
                  TRayLanes &__restrict out, const double *__restrict live,
                  double *__restrict done, const TLaneSumTerms *terms, TLaneSums *sums,
                  int width) {
  TLaneScratch w;
  IntersectionTerms<flat>(s, rays, out, live, w, width);
  if constexpr (!flat) NearerRoot(s, rays, out, w, width);
  if (flat && s.curvature == 0.0 && s.curvatureE == 0.0)
    PlaneHitAndNormal<obscured>(s, rays, out, w, width);
  else
    HitAndNormal<unit, obscured>(s, rays, out, w, width);
  const bool mirrored = s.sense < 0.0;
  if (sums != nullptr)
    mirrored ? Refraction<true, true>(s, rays, out, w, done, terms, sums, width)
             : Refraction<true, false>(s, rays, out, w, done, terms, sums, width);
  else
    mirrored ? Refraction<false, true>(s, rays, out, w, done, nullptr, nullptr, width)
             : Refraction<false, false>(s, rays, out, w, done, nullptr, nullptr, width);
}

// The lanes' ends (EndLanes in lane_trace.h): with a vertex, the positions taken into its
// frame; with a reference, the path differences measured from there.
template <bool placed, bool measured, bool finite>
void EndLanesOf(const TRayLanes &__restrict rays, TRayLanes &__restrict out,
                const double *vertex, const TWavefrontReference *reference, double imageIndex,
                const TLaneSums &__restrict sums, double *__restrict difference, int width) {
  const double vx = placed ? vertex[0] : 0.0, vy = placed ? vertex[1] : 0.0,
               vz = placed ? vertex[2] : 0.0;
  TWavefrontReference to;
  if constexpr (measured) to = *reference;
  for (int k = 0; k < width; ++k) {
    double x = rays.x[k], y = rays.y[k], z = rays.z[k];
    if constexpr (placed) {
      x -= vx;
      y -= vy;
      z -= vz;
      out.x[k] = x;
      out.y[k] = y;
      out.z[k] = z;
    }
    if constexpr (measured)
      difference[k] = WavefrontDifference(to, x, y, z, rays.L[k], rays.M[k], rays.N[k],
                                          sums.path[k], finite ? 1 : 0, imageIndex);
  }
}

}  // namespace

void EndLanes(const TRayLanes &rays, TRayLanes &out, const double *vertex,
              const TWavefrontReference *reference, int imageFinite, double imageIndex,
              const TLaneSums &sums, double difference[], int lanes) {
  const int width = GroupedWidth(lanes);
  const double *v = vertex;
  const TWavefrontReference *to = reference;
  if (v != nullptr && to == nullptr)
    EndLanesOf<true, false, true>(rays, out, v, to, imageIndex, sums, difference, width);
  else if (v != nullptr && imageFinite != 0)
    EndLanesOf<true, true, true>(rays, out, v, to, imageIndex, sums, difference, width);
  else if (v != nullptr)
    EndLanesOf<true, true, false>(rays, out, v, to, imageIndex, sums, difference, width);
  else if (to != nullptr && imageFinite != 0)
    EndLanesOf<false, true, true>(rays, out, v, to, imageIndex, sums, difference, width);
  else if (to != nullptr)
    EndLanesOf<false, true, false>(rays, out, v, to, imageIndex, sums, difference, width);
}

void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[], const TLaneSumTerms *terms,
                TLaneSums *sums, int lanes) {
  const int width = GroupedWidth(lanes);
  const bool unit = s.e == 1.0;
  if (s.innerLimit > 0.0) {
    if (s.flat)
      unit ? TraceLanesOf<true, true, true>(s, rays, out, live, done, terms, sums, width)
           : TraceLanesOf<true, false, true>(s, rays, out, live, done, terms, sums, width);
    else
      unit ? TraceLanesOf<false, true, true>(s, rays, out, live, done, terms, sums, width)
           : TraceLanesOf<false, false, true>(s, rays, out, live, done, terms, sums, width);
  } else if (s.flat) {
    unit ? TraceLanesOf<true, true, false>(s, rays, out, live, done, terms, sums, width)
         : TraceLanesOf<true, false, false>(s, rays, out, live, done, terms, sums, width);
  } else {
    unit ? TraceLanesOf<false, true, false>(s, rays, out, live, done, terms, sums, width)
         : TraceLanesOf<false, false, false>(s, rays, out, live, done, terms, sums, width);
  }
}

}  // namespace LANE_KERNEL_NAMESPACE
