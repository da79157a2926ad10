// The bound of the batch trace: the lane arithmetic of an ordinary passage (intersection,
// normal, refraction, the same operations in the same order, no FMA and no contraction)
// over rays in structure-of-arrays form, block by block through every surface, with no
// verdict on the rays (apertures, misses, non-finite values), no bookkeeping and no status.
// Written two ways: one loop that takes each lane through the whole passage, and the four
// steps of the lane trace (lane_trace_kernel.h), each a loop over the block, whose lanes
// overlap where one passage's long chain of dependent steps would keep them waiting.
// Compiled once per instruction set under BARE_LOOP_NAMESPACE, as the lane trace is.
// (No include guard: each file includes it exactly once, under its own namespace.)

#include <cmath>

#include "bench/bare_lane_loop.h"

#ifndef BARE_LOOP_NAMESPACE
#error "define BARE_LOOP_NAMESPACE before including this file"
#endif

namespace BARE_LOOP_NAMESPACE {
namespace {

template <bool flat, bool unit>
void PassBlock(const TLaneSurface &s, double *__restrict x, double *__restrict y,
               double *__restrict z, double *__restrict L, double *__restrict M,
               double *__restrict N, double *__restrict path) {
  const double e = s.e, R = s.R, twoR = s.twoR, mu = s.mu, sense = s.sense;
  const double vx = s.vertex[0], vy = s.vertex[1], vz = s.vertex[2];
  const double curvature = s.curvature, curvatureE = s.curvatureE, muSquared = s.muSquared;
  for (int k = 0; k < kLaneBlock; ++k) {
    const double D0 = L[k], D1 = M[k], D2 = N[k];
    const double p0 = x[k] - vx, p1 = y[k] - vy, p2 = z[k] - vz;
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
      const double root = std::sqrt(disc);
      const double q = -0.5 * (b + (b >= 0.0 ? root : -root));
      const double first = q / a, second = c / q;
      const double tPlus = b >= 0.0 ? second : first;
      const double tMinus = b >= 0.0 ? first : second;
      t = std::fabs(p0 + tPlus * dx) < std::fabs(p0 + tMinus * dx) ? tPlus : tMinus;
    }
    const double h0 = p0 + t * dx, h1 = p1 + t * dy, h2 = p2 + t * dz;
    double n0 = 1.0 - curvatureE * h0, n1 = -curvature * h1, n2 = -curvature * h2;
    const double nn = n0 * n0 + n1 * n1 + n2 * n2;
    double nInverse;
    if constexpr (unit) {
      const double ne = nn - 1.0;
      nInverse = 1.0 - 0.5 * ne;
    } else {
      nInverse = 1.0 / std::sqrt(nn);
    }
    n0 *= nInverse;
    n1 *= nInverse;
    n2 *= nInverse;
    const bool turn = (n0 >= 0.0) != (D0 >= 0.0);
    n0 = turn ? -n0 : n0;
    n1 = turn ? -n1 : n1;
    n2 = turn ? -n2 : n2;
    const double cosI = D0 * n0 + D1 * n1 + D2 * n2;
    const double root = std::sqrt(1.0 - muSquared * (1.0 - cosI * cosI));
    const double normalPart = root - mu * cosI;
    const bool mirrored = sense < 0.0;
    double o0 = normalPart * n0 + mu * D0;
    double o1 = normalPart * n1 + mu * D1;
    double o2 = normalPart * n2 + mu * D2;
    o0 = mirrored ? -o0 : o0;
    o1 = mirrored ? -o1 : o1;
    o2 = mirrored ? -o2 : o2;
    const double oe = o0 * o0 + o1 * o1 + o2 * o2 - 1.0;
    const double oInverse = 1.0 - 0.5 * oe;
    x[k] = h0 + vx;
    y[k] = h1 + vy;
    z[k] = h2 + vz;
    L[k] = o0 * oInverse;
    M[k] = o1 * oInverse;
    N[k] = o2 * oInverse;
    path[k] = t;
  }
}

// The same in four steps, values between them in rows of the block.
template <bool flat, bool unit>
void PassBlockInSteps(const TLaneSurface &s, double *__restrict x, double *__restrict y,
                      double *__restrict z, double *__restrict L, double *__restrict M,
                      double *__restrict N, double *__restrict path) {
  const double e = s.e, R = s.R, twoR = s.twoR, mu = s.mu, sense = s.sense;
  const double vx = s.vertex[0], vy = s.vertex[1], vz = s.vertex[2];
  const double curvature = s.curvature, curvatureE = s.curvatureE, muSquared = s.muSquared;
  double row[5][kLaneBlock];
  for (int k = 0; k < kLaneBlock; ++k) {
    const double D0 = L[k], D1 = M[k], D2 = N[k];
    const double p0 = x[k] - vx, p1 = y[k] - vy, p2 = z[k] - vz;
    const bool backwards = D0 < 0.0;
    const double dx = backwards ? -D0 : D0, dy = backwards ? -D1 : D1, dz = backwards ? -D2 : D2;
    if constexpr (flat) {
      path[k] = -p0 / dx;
    } else {
      const double a = e * dx * dx + dy * dy + dz * dz;
      const double b = 2.0 * (p2 * dz + p1 * dy + (e * p0 - R) * dx);
      const double c = p2 * p2 + p1 * p1 + (e * p0 - twoR) * p0;
      const double raw = b * b - 4.0 * a * c;
      const double disc = std::fabs(raw) < kQuadraticFlat ? 0.0 : raw;
      const double root = std::sqrt(disc);
      row[0][k] = a;
      row[1][k] = b;
      row[2][k] = c;
      row[3][k] = -0.5 * (b + (b >= 0.0 ? root : -root));
    }
  }
  if constexpr (!flat) {
    for (int k = 0; k < kLaneBlock; ++k) {
      const double a = row[0][k], b = row[1][k], c = row[2][k], q = row[3][k];
      const double p0 = x[k] - vx;
      const double dx = L[k] < 0.0 ? -L[k] : L[k];
      const double first = q / a, second = c / q;
      const double tPlus = b >= 0.0 ? second : first;
      const double tMinus = b >= 0.0 ? first : second;
      path[k] = std::fabs(p0 + tPlus * dx) < std::fabs(p0 + tMinus * dx) ? tPlus : tMinus;
    }
  }
  for (int k = 0; k < kLaneBlock; ++k) {
    const double D0 = L[k], D1 = M[k], D2 = N[k];
    const double p0 = x[k] - vx, p1 = y[k] - vy, p2 = z[k] - vz;
    const bool backwards = D0 < 0.0;
    const double dx = backwards ? -D0 : D0, dy = backwards ? -D1 : D1, dz = backwards ? -D2 : D2;
    const double t = path[k];
    const double h0 = p0 + t * dx, h1 = p1 + t * dy, h2 = p2 + t * dz;
    double n0 = 1.0 - curvatureE * h0, n1 = -curvature * h1, n2 = -curvature * h2;
    const double nn = n0 * n0 + n1 * n1 + n2 * n2;
    double nInverse;
    if constexpr (unit) {
      const double ne = nn - 1.0;
      nInverse = 1.0 - 0.5 * ne;
    } else {
      nInverse = 1.0 / std::sqrt(nn);
    }
    n0 *= nInverse;
    n1 *= nInverse;
    n2 *= nInverse;
    const bool turn = (n0 >= 0.0) != (D0 >= 0.0);
    n0 = turn ? -n0 : n0;
    n1 = turn ? -n1 : n1;
    n2 = turn ? -n2 : n2;
    const double cosI = D0 * n0 + D1 * n1 + D2 * n2;
    x[k] = h0 + vx;
    y[k] = h1 + vy;
    z[k] = h2 + vz;
    row[0][k] = n0;
    row[1][k] = n1;
    row[2][k] = n2;
    row[3][k] = cosI;
    row[4][k] = 1.0 - muSquared * (1.0 - cosI * cosI);
  }
  for (int k = 0; k < kLaneBlock; ++k) {
    const double D0 = L[k], D1 = M[k], D2 = N[k];
    const double n0 = row[0][k], n1 = row[1][k], n2 = row[2][k];
    const double normalPart = std::sqrt(row[4][k]) - mu * row[3][k];
    const bool mirrored = sense < 0.0;
    double o0 = normalPart * n0 + mu * D0;
    double o1 = normalPart * n1 + mu * D1;
    double o2 = normalPart * n2 + mu * D2;
    o0 = mirrored ? -o0 : o0;
    o1 = mirrored ? -o1 : o1;
    o2 = mirrored ? -o2 : o2;
    const double oe = o0 * o0 + o1 * o1 + o2 * o2 - 1.0;
    const double oInverse = 1.0 - 0.5 * oe;
    L[k] = o0 * oInverse;
    M[k] = o1 * oInverse;
    N[k] = o2 * oInverse;
  }
}

template <bool stepped>
void TraceBlocks(const TLaneSurface *surfaces, int surfaceCount, TBareRays &rays) {
  for (int first = 0; first + kLaneBlock <= rays.count; first += kLaneBlock) {
    double *x = rays.x + first, *y = rays.y + first, *z = rays.z + first;
    double *L = rays.L + first, *M = rays.M + first, *N = rays.N + first;
    double *path = rays.path + first;
    for (int i = 0; i < surfaceCount; ++i) {
      const TLaneSurface &s = surfaces[i];
      const bool unit = s.e == 1.0;
      if constexpr (stepped) {
        if (s.flat)
          unit ? PassBlockInSteps<true, true>(s, x, y, z, L, M, N, path)
               : PassBlockInSteps<true, false>(s, x, y, z, L, M, N, path);
        else
          unit ? PassBlockInSteps<false, true>(s, x, y, z, L, M, N, path)
               : PassBlockInSteps<false, false>(s, x, y, z, L, M, N, path);
      } else {
        if (s.flat)
          unit ? PassBlock<true, true>(s, x, y, z, L, M, N, path)
               : PassBlock<true, false>(s, x, y, z, L, M, N, path);
        else
          unit ? PassBlock<false, true>(s, x, y, z, L, M, N, path)
               : PassBlock<false, false>(s, x, y, z, L, M, N, path);
      }
    }
  }
}

}  // namespace

void TraceBareBlocks(const TLaneSurface *surfaces, int surfaceCount, TBareRays &rays,
                     bool stepped) {
  if (stepped)
    TraceBlocks<true>(surfaces, surfaceCount, rays);
  else
    TraceBlocks<false>(surfaces, surfaceCount, rays);
}

}  // namespace BARE_LOOP_NAMESPACE
