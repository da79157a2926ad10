// The plain sequential trace of a batch of rays, surface by surface across the batch.
//
// One ray's passages depend on each other, so a single trace waits on every square root
// and division in turn; rays of a batch are independent and the processor overlaps them.
// Each surface's flat view is built once per batch instead of once per ray, and rays held
// in lanes pass ordinary surfaces through the branch-free lane trace; the rest go through
// TraceSurfaceRay one by one, which keeps every result bit for bit. Light pipes,
// hit lists and the optical-path modes stay with TraceRay, which serves as the fallback.

#include <utility>

#include "optics/trace/lane_trace.h"
#include "optics/model/optical_system.h"
#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/surface_trace.h"

namespace {

// Rays of one pass: the per-ray state of TraceRay's surface loop.
constexpr int kBatch = kLaneBlock;

struct TRayState {
  int active;
  int allPassed;
  int rc;
  int drawAll;
  int savedThrough;
  int lastVisited;
  int moved;  // the lanes hold the ray's newer state
};

// Rays into the lanes from index `from` up to `to`.
void LoadLanes(const TCurrentRay *rays, int to, TRayLanes &lanes, int from) {
  for (int r = from; r < to; ++r) LoadLane(rays[r], lanes, r);
}

// A lane's ordinary passages written to its ray: as TraceSurfaceRay leaves a passed ray.
void StoreLane(const TRayLanes &lanes, int r, TCurrentRay &ray) {
  ray.x = lanes.x[r];
  ray.y = lanes.y[r];
  ray.z = lanes.z[r];
  ray.L = lanes.L[r];
  ray.M = lanes.M[r];
  ray.N = lanes.N[r];
  ray.pathLength = lanes.path[r];
  ray.blocked = 0;
  ray.status = kRayPassed;
}

}  // namespace

int TOpticalSystem::TraceRays(TCurrentRay *rays, int count, int mode, int *results) {
  if (rays == nullptr || count <= 0) return 0;
  const int n = SurfaceCount();
  const bool simple = (mode == 1 || mode == -1) && !materialsMissing && !info.EnablePipe;
  int passed = 0;
  if (!simple) {
    for (int r = 0; r < count; ++r) {
      const int result = TraceRay(rays[r], mode, nullptr, 0);
      if (results != nullptr) results[r] = result;
      passed += result == 1 ? 1 : 0;
    }
    return passed;
  }

  TRayState state[kBatch];
  // Two blocks of lanes: each surface reads one and writes the other.
  TRayLanes blocks[2] = {};  // lanes past a short batch are read but never used
  double live[kBatch], done[kBatch];
  for (int first = 0; first < count; first += kBatch) {
    const int size = count - first < kBatch ? count - first : kBatch;
    TCurrentRay *batch = rays + first;
    for (int r = 0; r < size; ++r) {
      TRayState &s = state[r];
      s.active = 1;
      s.allPassed = 1;
      s.rc = kRayPassed;
      s.savedThrough = batch[r].traceThrough;
      // As in TraceRay: the system's DrawAllRays lends the ray its flag, and a ray with the
      // flag draws all for its own trace.
      if (!batch[r].traceThrough && info.DrawAllRays) batch[r].traceThrough = 1;
      s.drawAll = batch[r].traceThrough || info.DrawAllRays ? 1 : 0;
      s.lastVisited = -1;
      s.moved = 0;
    }
    TRayLanes *lanes = &blocks[0], *next = &blocks[1];
    LoadLanes(batch, size, *lanes, 0);
    for (int i = 0; i < n; ++i) {
      const TSurface *surface = surfaces.data[i];
      if (surface == nullptr) continue;
      const TInteractionSurface view = MakeInteractionSurface(*surface);
      // With light pipes off a wall still decides: a ray that fails otherwise than at an
      // aperture is not drawn on past a walled surface.
      const bool walled = surface->pipeWall != nullptr;
      TLaneSurface laneSurface;
      const bool ordinary = MakeLaneSurface(view, laneSurface);
      for (int r = 0; r < kBatch; ++r) live[r] = r < size && state[r].active ? 1.0 : 0.0;
      if (ordinary) {
        TraceLanes(laneSurface, *lanes, *next, live, done);
      } else {
        for (int r = 0; r < size; ++r) done[r] = 0.0;
      }
      for (int r = 0; r < size; ++r) {
        TRayState &s = state[r];
        if (!s.active) continue;
        s.lastVisited = i;
        if (done[r] != 0.0) {
          // An ordinary passage: passed, nothing else to decide.
          s.moved = 1;
          continue;
        }
        TCurrentRay &ray = batch[r];
        if (s.moved) StoreLane(*lanes, r, ray);
        s.moved = 0;
        int rc = TraceSurfaceRay(view, ray);
        LoadLanes(batch, r + 1, *next, r);
        s.allPassed = s.allPassed != 0 && rc == kRayPassed ? 1 : 0;
        if (ray.firstFailure == 0 && rc != kRayPassed)
          ray.firstFailure = rc == kRayObscured ? -i : i;
        if (rc == kRayPassed || rc == kRayOutsideAperture || rc == kRayObscured) {
          if (s.drawAll) rc = kRayPassed;
        } else if (!walled && rc != kRayMissedSurface && s.drawAll && rc != 0) {
          rc = kRayPassed;
        }
        s.rc = rc;
        if (rc != kRayPassed) s.active = 0;
      }
      std::swap(lanes, next);
    }
    for (int r = 0; r < size; ++r)
      if (state[r].moved) StoreLane(*lanes, r, batch[r]);
    for (int r = 0; r < size; ++r) {
      const TRayState &s = state[r];
      TCurrentRay &ray = batch[r];
      if (mode > 0 && s.lastVisited >= 0) {
        const double p[3] = {ray.x, ray.y, ray.z};
        const double d[3] = {ray.L, ray.M, ray.N};
        const TIntersectionPoint local = ToSurfaceFrame(s.lastVisited, p, d);
        ray.x = local.x;
        ray.y = local.y;
        ray.z = local.z;
        ray.L = local.L;
        ray.M = local.M;
        ray.N = local.N;
      }
      ray.traceThrough = s.savedThrough;
      const int result =
          (info.DrawAllRays || ray.traceThrough) && s.rc == kRayPassed ? 1 : s.allPassed;
      if (results != nullptr) results[first + r] = result;
      passed += result == 1 ? 1 : 0;
    }
  }
  return passed;
}
