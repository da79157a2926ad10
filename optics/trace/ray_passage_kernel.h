// The one-ray passages, compiled once for the baseline instruction set (ray_passage.cpp)
// and once for AVX-512 (ray_passage_avx512.cpp, whose 32 vector registers hold a passage's
// values without spilling them to memory on the ray's chain), each inside its own
// RAY_PASSAGE_NAMESPACE; ray_passage.cpp chooses at run time. Neither contracts a multiply
// and an add (trace.cmake).
//
// One ray's ordinary passages through lane surfaces, written for the latency of a single
// ray rather than for lanes: a ray's surfaces depend on each other, so the time of a
// passage is its chain of dependent steps. The results are bit for bit those of the lane
// arithmetic (and so of TraceSurfaceRay); the chain is shortened only by steps that give
// the same doubles:
// - every test that declines a ray is a branch, which the processor predicts, instead of
//   a select the next step would wait for; so are the choices that hold for a whole
//   surface (travel sense, root, normal orientation, mirror);
// - the quadratic is solved in halves: with X = b / 2 (exact), b^2 - 4 a c = 4 (X^2 - a c),
//   its root is twice the root of X^2 - a c, and q = -(b +- root) / 2 = -(X +- root / 2),
//   all exact while X, a and c keep their squares and products normal (2^-500..2^500);
//   the near root c / q is divided first, and the hit point is chosen before the normal;
// - the series 1 - ne / 2 + 3 ne^2 / 8 of an inverse length with |ne| < 1e-8 is
//   1 - ne / 2 to the last bit (3 ne^2 / 8 < 3.8e-17 is below half an ulp of a number near
//   1), and 1 - (nn - 1) / 2 = 1.5 - nn / 2 exactly for nn near 1; nn / 2 is summed from
//   halved terms beside nn's own (halving is exact, and a term too small for it is too
//   small to change a sum near 1), so 1.5 - nn / 2 waits for no multiplication;
// - at a surface without curvature the normal is (+-1, 0, 0) and the angle's cosine is
//   |L|, so the refraction need not wait for the hit point. (The normal's zero components
//   can only change the sign of a zero direction component, which the passage clears to
//   +0 in any case.)
// - a sphere's normal comes out of its formula of unit length to the last bit for most
//   rays (nine in ten in the test systems), so its scale 1.5 - |n|^2 / 2 is then exactly 1:
//   the normal is scaled only when the scale differs, and since that test is a predicted
//   branch the angle's cosine need not wait for the scale (a product with 1 changes
//   nothing);
// - between media of one index (mu exactly 1) the products with mu are left out, and an
//   outgoing direction that is not of the unit kind is scaled as (o / 2) (3 - |o|^2), whose
//   halves wait for nothing, rather than o (1.5 - |o|^2 / 2);
// - tests that cannot decline a ray are not made: an obscuration of no size, and the
//   finiteness of the incoming position and direction (a ray with an infinite or undefined
//   coordinate makes a quadratic term or the hit point infinite or undefined, which the
//   passage declines in any case);
// - the ray stays in registers from one surface to the next of a run.
// Rays outside those conditions are declined, to be passed by TraceSurfaceRay as always.
// Built without contraction, if-conversion or SLP packing (trace.cmake): the first would
// change results, the others lengthen the chain.

// (No include guard: each file includes it exactly once, under its own namespace.)

#include <cfloat>
#include <cmath>

#include "optics/trace/lane_surface.h"
#include "optics/trace/ray_passage.h"

#ifndef RAY_PASSAGE_NAMESPACE
#error "define RAY_PASSAGE_NAMESPACE before including this file"
#endif

namespace RAY_PASSAGE_NAMESPACE {
namespace {

// Scaled quadratic terms stay exact between these (squares and products stay normal).
constexpr double kScaleFloor = 0x1p-500;
constexpr double kScaleCeiling = 0x1p500;
// Halved curvatures are exact from here up.
constexpr double kHalvingFloor = 0x1p-1000;

[[gnu::always_inline]] inline bool Finite(double v) { return std::fabs(v) <= DBL_MAX; }

// |v| within the exact scaling range, or v zero.
[[gnu::always_inline]] inline bool Scalable(double v) {
  const double magnitude = std::fabs(v);
  return magnitude < kScaleCeiling && (magnitude >= kScaleFloor || v == 0.0);
}

// The shape of the normal: (+-1, 0, 0) without curvature, a unit vector by construction
// (no conic term), or any other.
enum TNormalKind : int { kNormalAxial = 0, kNormalUnit = 1, kNormalGeneral = 2 };

struct TRayState {
  double x, y, z, L, M, N, path;
};

// One passage; the ray's L is negative exactly when backwards.
template <bool flat, int normalKind, bool backwards>
[[gnu::always_inline]] inline bool Pass(const TLaneSurface &s, TRayState &ray) {
  const double D0 = ray.L, D1 = ray.M, D2 = ray.N;
  // (No test of the position's and direction's finiteness: see the top of the file.)
  if (!(std::fabs(D0) >= kRayZero)) return false;
  const double p0 = ray.x - s.vertex[0], p1 = ray.y - s.vertex[1], p2 = ray.z - s.vertex[2];
  const double dx = backwards ? -D0 : D0, dy = backwards ? -D1 : D1, dz = backwards ? -D2 : D2;

  double t, h0;
  if constexpr (flat) {
    t = -p0 / dx;
    h0 = p0 + t * dx;
  } else {
    // A sphere's e is 1: the products with it are then the factors themselves.
    const double e = normalKind == kNormalUnit ? 1.0 : s.e;
    const double a = e * dx * dx + dy * dy + dz * dz;
    const double X = p2 * dz + p1 * dy + (e * p0 - s.R) * dx;
    const double c = p2 * p2 + p1 * p1 + (e * p0 - s.twoR) * p0;
    if (!(std::fabs(a) >= kQuadraticFlat && Scalable(a) && Scalable(c) && Scalable(X)))
      return false;
    const double minusA = -a, minusC = -c;
    double disc = X * X - a * c;
    if (std::fabs(disc) < 0.25 * kQuadraticFlat) disc = 0.0;
    if (!(disc >= 0.0)) return false;
    const double root = std::sqrt(disc);
    double tNear, tFar, hNear, hFar;
    bool near;
    if (X >= 0.0) {
      const double sum = X + root;
      if (sum == 0.0) return false;
      tNear = minusC / sum;
      tFar = sum / minusA;
      hNear = p0 + tNear * dx;
      hFar = p0 + tFar * dx;
      near = std::fabs(hNear) < std::fabs(hFar);
    } else {
      const double sum = X - root;
      if (sum == 0.0) return false;
      tNear = minusC / sum;
      tFar = sum / minusA;
      hNear = p0 + tNear * dx;
      hFar = p0 + tFar * dx;
      near = !(std::fabs(hFar) < std::fabs(hNear));
    }
    if (near) {
      t = tNear;
      h0 = hNear;
    } else {
      t = tFar;
      h0 = hFar;
    }
  }
  const double h1 = p1 + t * dy, h2 = p2 + t * dz;
  if (!(Finite(h0) && Finite(h1) && Finite(h2))) return false;
  const double oy = h1 - s.outerY, oz = h2 - s.outerZ;
  if (oy * oy + oz * oz > s.outerLimit) return false;
  if (s.innerLimit > 0.0) {
    const double iy = h1 - s.innerY, iz = h2 - s.innerZ;
    if (iy * iy + iz * iz < s.innerLimit) return false;
  }

  const double mu = s.mu;
  double n0, n1, n2, cosI;
  // Halves of the normal (unit kind), for the halved square length of the direction.
  double half0 = 0.0, half1 = 0.0, half2 = 0.0;
  if constexpr (normalKind == kNormalAxial) {
    // n = (1, -0 h1, -0 h2) oriented along the travel; D . n = |L| + 0 + 0.
    n0 = backwards ? -1.0 : 1.0;
    n1 = n2 = 0.0;
    cosI = dx;
  } else {
    const double curvature = s.curvature, curvatureE = s.curvatureE;
    n0 = 1.0 - curvatureE * h0;
    n1 = -curvature * h1;
    n2 = -curvature * h2;
    double nInverse;
    if constexpr (normalKind == kNormalUnit) {
      half0 = 0.5 - (0.5 * curvatureE) * h0;
      half1 = -(0.5 * curvature) * h1;
      half2 = -(0.5 * curvature) * h2;
      const double halfSquare = half0 * n0 + half1 * n1 + half2 * n2;
      if (!(std::fabs(halfSquare - 0.5) < 0.5 * kUnitSeries)) return false;
      nInverse = 1.5 - halfSquare;
      if (nInverse != 1.0) {
        half0 *= nInverse;
        half1 *= nInverse;
        half2 *= nInverse;
      }
    } else {
      const double nn = n0 * n0 + n1 * n1 + n2 * n2;
      if (std::fabs(nn - 1.0) < kUnitSeries) {
        nInverse = 1.5 - 0.5 * nn;
      } else {
        if (!(nn > 0.0)) return false;
        nInverse = 1.0 / std::sqrt(nn);
      }
    }
    if (nInverse != 1.0) {
      n0 *= nInverse;
      n1 *= nInverse;
      n2 *= nInverse;
    }
    // Orient the normal along the ray's own travel.
    if ((n0 >= 0.0) == backwards) {
      n0 = -n0;
      n1 = -n1;
      n2 = -n2;
      half0 = -half0;
      half1 = -half1;
      half2 = -half2;
    }
    cosI = D0 * n0 + D1 * n1 + D2 * n2;
  }
  if (std::fabs(cosI) > 1.0) {
    if (std::fabs(cosI) > kBoundTolerance) return false;
    cosI = cosI > 0.0 ? 1.0 : -1.0;
  }
  // Between media of one index (a stop, the image plane in air) mu is 1, and a product with
  // it changes nothing: the ray's chain need not wait for it.
  const double sine2 = 1.0 - cosI * cosI;
  double q;
  if (mu == 1.0) {
    q = 1.0 - sine2;
  } else {
    q = 1.0 - s.muSquared * sine2;
  }
  if (!(q >= 0.0)) return false;
  const double normalPart = std::sqrt(q) - mu * cosI;
  double o0, o1, o2;
  if constexpr (normalKind == kNormalAxial) {
    o0 = (backwards ? -normalPart : normalPart) + mu * D0;
    o1 = mu * D1;
    o2 = mu * D2;
  } else {
    o0 = normalPart * n0 + mu * D0;
    o1 = normalPart * n1 + mu * D1;
    o2 = normalPart * n2 + mu * D2;
  }
  const bool mirrored = s.sense < 0.0;
  if (mirrored) {
    o0 = -o0;
    o1 = -o1;
    o2 = -o2;
  }
  if constexpr (normalKind == kNormalUnit) {
    const double halfMu = 0.5 * mu;
    double oh0 = normalPart * half0 + halfMu * D0;
    double oh1 = normalPart * half1 + halfMu * D1;
    double oh2 = normalPart * half2 + halfMu * D2;
    if (mirrored) {
      oh0 = -oh0;
      oh1 = -oh1;
      oh2 = -oh2;
    }
    const double halfSquare = oh0 * o0 + oh1 * o1 + oh2 * o2;
    if (!(std::fabs(halfSquare - 0.5) < 0.5 * kUnitSeries)) return false;
    const double oInverse = 1.5 - halfSquare;
    o0 *= oInverse;
    o1 *= oInverse;
    o2 *= oInverse;
  } else {
    const double squared = o0 * o0 + o1 * o1 + o2 * o2;
    if (!(std::fabs(squared - 1.0) < kUnitSeries)) return false;
    // o (1.5 - squared / 2) is (o / 2) (3 - squared) to the last bit: both halvings are
    // exact (a component too small for its half comes out below kRayZero either way), and
    // the halves wait for no step of the chain.
    const double threeLess = 3.0 - squared;
    o0 = (0.5 * o0) * threeLess;
    o1 = (0.5 * o1) * threeLess;
    o2 = (0.5 * o2) * threeLess;
  }
  if (std::fabs(o0) < kRayZero) o0 = 0.0;
  if (std::fabs(o1) < kRayZero) o1 = 0.0;
  if (std::fabs(o2) < kRayZero) o2 = 0.0;

  ray.x = h0 + s.vertex[0];
  ray.y = h1 + s.vertex[1];
  ray.z = h2 + s.vertex[2];
  ray.L = o0;
  ray.M = o1;
  ray.N = o2;
  ray.path = t;
  return true;
}

template <bool flat, int normalKind>
[[gnu::always_inline]] inline bool PassEitherWay(const TLaneSurface &s, TRayState &ray) {
  return ray.L < 0.0 ? Pass<flat, normalKind, true>(s, ray)
                     : Pass<flat, normalKind, false>(s, ray);
}

// The passage of the surface's kind.
[[gnu::always_inline]] inline bool PassAny(const TLaneSurface &s, TRayState &ray) {
  // A conic term that is not finite leaves curvatureE NaN: such a normal is no axial one.
  // The normal of a plane given a radius is no unit one. The unit kind halves its
  // curvatures, which must stay exact.
  const bool axial = s.curvature == 0.0 && s.curvatureE == 0.0;
  const bool unit = !axial && !s.flat && s.e == 1.0 &&
                    std::fabs(s.curvature) >= kHalvingFloor &&
                    std::fabs(s.curvatureE) >= kHalvingFloor;
  if (s.flat) {
    if (axial) return PassEitherWay<true, kNormalAxial>(s, ray);
    return unit ? PassEitherWay<true, kNormalUnit>(s, ray)
                : PassEitherWay<true, kNormalGeneral>(s, ray);
  }
  if (axial) return PassEitherWay<false, kNormalAxial>(s, ray);
  return unit ? PassEitherWay<false, kNormalUnit>(s, ray)
              : PassEitherWay<false, kNormalGeneral>(s, ray);
}

[[gnu::always_inline]] inline TRayState StateOf(const TCurrentRay &ray) {
  return {ray.x, ray.y, ray.z, ray.L, ray.M, ray.N, ray.pathLength};
}

[[gnu::always_inline]] inline void Leave(const TRayState &state, TCurrentRay &ray) {
  ray.x = state.x;
  ray.y = state.y;
  ray.z = state.z;
  ray.L = state.L;
  ray.M = state.M;
  ray.N = state.N;
  ray.pathLength = state.path;
  ray.blocked = 0;
  ray.status = kRayPassed;
}

}  // namespace

bool PassLaneSurface(const TLaneSurface &s, TCurrentRay &ray) {
  TRayState state = StateOf(ray);
  if (!PassAny(s, state)) return false;
  Leave(state, ray);
  return true;
}

int PassLaneRun(const TSurface *const *surfaces, int first, int end, TCurrentRay &ray,
                double *paths, bool &declined) {
  declined = false;
  TRayState state = StateOf(ray);
  int i = first;
  for (; i < end; ++i) {
    const TSurface *surface = surfaces[i];
    TLaneSurface lane;
    if (surface == nullptr || !FillLaneSurfaceOf(*surface, lane)) break;
    if (!PassAny(lane, state)) {
      declined = true;
      break;
    }
    if (paths != nullptr) paths[i - first] = state.path;
  }
  if (i > first) Leave(state, ray);
  return i;
}

}  // namespace RAY_PASSAGE_NAMESPACE
