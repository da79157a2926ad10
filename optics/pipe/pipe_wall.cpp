#include "optics/pipe/pipe_wall.h"

#include <cmath>

#include "optics/interaction/surface_interaction.h"

namespace {

double SignOf(double value) { return value >= 0.0 ? 1.0 : -1.0; }

// Sag of an end surface at its own outer semi-height.
double EndSag(const TInteractionSurface &s) {
  if (s.R == 0.0) return 0.0;
  const double h = s.outer.semiHeight;
  return SignOf(s.R) * (std::fabs(s.R) - std::sqrt(std::fabs(s.R * s.R - h * h)));
}

}  // namespace

void BuildPipeWall(TPipeWall &pipe, const TInteractionSurface &first,
                   const TInteractionSurface &second, double outsideIndex) {
  TInteractionSurface &w = pipe.wall;
  // A rebuilt wall must not keep the stretch of its previous shape.
  pipe.built = 0;
  pipe.k = 0.0;
  w = first;
  // The wall is a bare cone: none of the first surface's shape data, bounds beyond r0,
  // holographic terms or lens arrays apply to it.
  w.hasCoefficients = 0;
  w.coef = nullptr;
  w.coefCount = 0;
  w.hoe = THoeView{};
  w.hasZones = 0;
  w.indexBefore = SignOf(w.indexBefore) * outsideIndex;

  const double s = SignOf(w.indexAfter);
  const double d[3] = {s * (second.vertex[0] - first.vertex[0]),
                       s * (second.vertex[1] - first.vertex[1]),
                       s * (second.vertex[2] - first.vertex[2])};
  if (d[0] == 0.0) return;
  const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  const double u[3] = {d[0] / length, d[1] / length, d[2] / length};

  // Semi-height of each end seen across the pipe axis.
  auto projected = [&u](const TInteractionSurface &end) {
    const double ay = end.angles[1], az = end.angles[2];
    const double axis[3] = {std::cos(ay) * std::cos(az), std::sin(az), std::sin(ay) * std::cos(az)};
    return end.outer.semiHeight * std::fabs(u[0] * axis[0] + u[1] * axis[1] + u[2] * axis[2]);
  };
  const double h1 = projected(first), h2 = projected(second);

  pipe.built = 1;
  pipe.k = s * (h2 - h1) / length;
  w.outer.semiHeight = h1;
  // Both ends are measured along the run (s): after a mirror the first surface's sag,
  // taken along its own x, points the other way.
  pipe.x1 = s * EndSag(first);
  pipe.x2 = std::fabs(s * length + EndSag(second));

  SetViewAngles(w, 0.0, std::atan(d[2] / d[0]),
                std::atan(d[1] / std::sqrt(d[0] * d[0] + d[2] * d[2])));
}

int TracePipeWall(const TPipeWall &pipe, TCurrentRay &ray) {
  if (ray.status == kRayTotalReflection) {
    ray.L = -ray.L;
    return kRayStopped;
  }
  if (!pipe.built) return kRayPassed;
  const TInteractionSurface &w = pipe.wall;
  double p[3], d[3];
  EnterSurfaceFrame(w, ray, p, d);
  ray.status = kRayPassed;

  const double k = pipe.k, r0 = w.outer.semiHeight;
  const double a = d[2] * d[2] + d[1] * d[1] - d[0] * d[0] * k * k;
  const double b = 2.0 * (p[2] * d[2] + p[1] * d[1] - r0 * d[0] * k - p[0] * d[0] * k * k);
  const double c = p[2] * p[2] + p[1] * p[1] - (p[0] * k + r0) * (p[0] * k + r0);
  const double disc = b * b - 4.0 * a * c;
  if (std::fabs(a) < kRayZero || !(disc >= 0.0)) {
    ray.blocked = 0;
    ray.status = kRayMissedSurface;
    return kRayMissedSurface;
  }
  const double s = SignOf(w.indexAfter);
  // The cone's equation is the same whichever way the pipe runs (mirroring the scene in x
  // leaves A, B and C unchanged), so the ray meets the wall at the same root after a mirror
  // as before one; picking the other root would find the wall behind the ray.
  const double t = (-b + std::sqrt(disc)) / (2.0 * a);
  const double hit[3] = {p[0] + t * d[0], p[1] + t * d[1], p[2] + t * d[2]};
  if (s * hit[0] > pipe.x2) {
    ray.blocked = 0;
    ray.status = kRayPassed;
    return kRayPassed;
  }
  if (s * hit[0] < pipe.x1) {
    ray.blocked = 1;
    ray.status = kRayStopped;
    return kRayStopped;
  }

  const double segment = (hit[0] - p[0]) * d[0] + (hit[1] - p[1]) * d[1] + (hit[2] - p[2]) * d[2];
  // Inward wall normal (towards the pipe axis).
  const double radial = (hit[0] * k + r0) * k;
  const double norm = s * std::sqrt(radial * radial + hit[1] * hit[1] + hit[2] * hit[2]);
  const double n[3] = {radial / norm, -hit[1] / norm, -hit[2] / norm};
  const double dn = d[0] * n[0] + d[1] * n[1] + d[2] * n[2];
  const double cosine = std::fabs(dn);
  const double mu = w.indexBefore == 0.0 ? 1.0 : w.indexAfter / w.indexBefore;
  const double q = 1.0 - mu * mu * (1.0 - cosine * cosine);
  const double along = dn <= 0.0 ? -1.0 : 1.0;  // the normal turned along the travel
  const double m[3] = {along * n[0], along * n[1], along * n[2]};
  double out[3];
  if (q < 0.0) {
    // Mirror image in the wall: D - 2 (D.n) n.
    ray.blocked = 0;
    ray.status = kRayTotalReflection;
    BendDirection(d, m, -1.0, cosine, cosine, -1.0, out);
  } else {
    // The escaping ray leaves refracted through the wall (only drawn, never traced on).
    BendDirection(d, m, mu, cosine, std::sqrt(q), 1.0, out);
  }
  double at[3] = {hit[0], hit[1], hit[2]};
  LeaveSurfaceFrame(w, at, out);
  PlaceRay(ray, at, out);
  // After an odd number of mirrors the surfaces measure their segments along the reversed
  // axis, so they come out negative; the wall's carry the same sign so that a pipe passage
  // adds up to one consistently signed path.
  ray.pathLength = s * segment;
  if (ray.status != kRayTotalReflection) {
    ray.blocked = 1;
    ray.status = kRayStopped;
  }
  return ray.status;
}

int CarryAlongPipe(const TPipeWall &pipe, TCurrentRay &ray, int *reflections, double *pathSum) {
  int count = 0;
  double travelled = 0.0;
  int result = kRayStopped;
  for (;;) {
    result = TracePipeWall(pipe, ray);
    if (result != kRayTotalReflection) break;
    travelled += ray.pathLength;
    if (++count > kPipeReflectionLimit) {
      ray.blocked = 1;
      ray.status = kRayStopped;
      result = kRayStopped;
      break;
    }
    ray.status = kRayPassed;
  }
  if (reflections != nullptr) *reflections = count;
  if (pathSum != nullptr) *pathSum = travelled;
  return result;
}
