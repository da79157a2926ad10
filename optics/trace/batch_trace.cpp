// The sequential trace of a batch of rays, surface by surface across the batch.
//
// One ray's passages depend on each other, so a single trace waits on every square root
// and division in turn; rays of a batch are independent and the processor overlaps them.
// Each surface's flat view is built once per block of rays instead of once per ray, and
// rays held in lanes pass ordinary surfaces through the branch-free lane trace; the rest go
// through TraceSurfaceRay one by one. The rules after each surface are TraceRay's own
// (trace_rules.h), so every ray, result and wavefront value is TraceRay's bit for bit.
// Light pipes and the reference mode stay with TraceRay, which serves as the fallback.

#include <cstdlib>
#include <utility>

#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/surface_trace.h"
#include "optics/model/optical_system.h"
#include "optics/trace/lane_trace.h"
#include "optics/trace/trace_batch.h"
#include "optics/trace/trace_rules.h"

namespace {

constexpr int kBatch = kLaneBlock;

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

// Appends one hit to ray r's list, keeping room for the end mark.
void AddHit(const TRayHitLists &hits, int r, int &written, double x, double y, double z,
            double L, double M, double N) {
  if (written >= hits.stride - 1) return;
  TIntersectionPoint &hit = hits.cells[static_cast<long long>(r) * hits.stride + written++];
  hit.x = x;
  hit.y = y;
  hit.z = z;
  hit.L = L;
  hit.M = M;
  hit.N = N;
}

void EndHits(const TRayHitLists &hits, int r, int written) {
  TIntersectionPoint &end = hits.cells[static_cast<long long>(r) * hits.stride + written];
  end = TIntersectionPoint();
  end.x = kHitListEnd;
}

}  // namespace

int TOpticalSystem::TraceRays(TCurrentRay *rays, int count, int mode, int *results,
                              TRayWavefront *wavefronts, const TRayHitLists *hitLists) {
  if (rays == nullptr || count <= 0) return 0;
  const int n = SurfaceCount();
  const int absMode = std::abs(mode);
  const bool wavefront = absMode == kTraceWavefront;
  const bool inLanes =
      (absMode == kTracePlain || wavefront) && !materialsMissing && !info.EnablePipe;
  const TRayHitLists *hits =
      hitLists != nullptr && hitLists->cells != nullptr && hitLists->stride > 0 ? hitLists : nullptr;
  int passed = 0;
  if (!inLanes) {
    // The single trace's own list is refilled in place while the hit counts repeat.
    Mem<TIntersectionPoint> one;
    for (int r = 0; r < count; ++r) {
      const int result = TraceRay(rays[r], mode, hits != nullptr ? &one : nullptr, 0);
      if (hits != nullptr) {
        int written = 0;
        const int listed = one.Cells();
        for (int k = 0; k < listed && one.data[k].x != kHitListEnd; ++k) {
          const TIntersectionPoint &h = one.data[k];
          AddHit(*hits, r, written, h.x, h.y, h.z, h.L, h.M, h.N);
        }
        EndHits(*hits, r, written);
      }
      if (results != nullptr) results[r] = result;
      if (wavefronts != nullptr)
        wavefronts[r] = {eikonal.opticalPathDifference, eikonal.transmission};
      passed += result == 1 ? 1 : 0;
    }
    return passed;
  }
  if (wavefront) eikonal.Reset(1);
  const int referenceCount =
      eikonal.referencePaths.Cells();
  const TTraceBatch::TSurfaces shared = TTraceBatch::SurfacesFor(this);

  TRayProgress progress[kBatch];
  int active[kBatch];
  int moved[kBatch];  // the lanes hold the ray's newer state
  int written[kBatch];  // hits recorded per ray
  // Two blocks of lanes: each surface reads one and writes the other.
  TRayLanes blocks[2] = {};  // lanes past a short batch are read but never used
  double live[kBatch], done[kBatch];
  for (int first = 0; first < count; first += kBatch) {
    const int size = count - first < kBatch ? count - first : kBatch;
    TCurrentRay *batch = rays + first;
    for (int r = 0; r < size; ++r) {
      BeginRay(progress[r], batch[r], info.DrawAllRays, 0, info.ObjectFinite);
      active[r] = 1;
      moved[r] = 0;
      written[r] = 0;
    }
    TRayLanes *lanes = &blocks[0], *next = &blocks[1];
    LoadLanes(batch, size, *lanes, 0);
    for (int i = 0; i < n; ++i) {
      const TSurface *surface = surfaces.data[i];
      if (surface == nullptr) continue;
      TInteractionSurface ownView;
      TLaneSurface ownLane;
      const TInteractionSurface *view = &ownView;
      const TLaneSurface *lane = &ownLane;
      bool ordinary;
      if (shared.views != nullptr) {
        view = &shared.views[i];
        lane = &shared.lanes[i];
        ordinary = shared.ordinary[i] != 0;
      } else {
        ownView = MakeInteractionSurface(*surface);
        ordinary = MakeLaneSurface(ownView, ownLane);
      }
      const bool walled = surface->pipeWall != nullptr;
      const double reference = i < referenceCount ? eikonal.referencePaths.data[i] : 0.0;
      for (int r = 0; r < kBatch; ++r) live[r] = r < size && active[r] ? 1.0 : 0.0;
      if (ordinary) {
        TraceLanes(*lane, *lanes, *next, live, done);
      } else {
        for (int r = 0; r < size; ++r) done[r] = 0.0;
      }
      for (int r = 0; r < size; ++r) {
        if (!active[r]) continue;
        TRayProgress &p = progress[r];
        p.lastVisited = i;
        if (done[r] != 0.0) {
          // An ordinary passage: passed, nothing else to decide.
          moved[r] = 1;
          if (hits != nullptr)
            AddHit(*hits, first + r, written[r], next->x[r], next->y[r], next->z[r], next->L[r],
                   next->M[r], next->N[r]);
          if (wavefront) AddWavefrontSegment(p, surface->general, next->path[r], reference);
          continue;
        }
        TCurrentRay &ray = batch[r];
        if (moved[r]) StoreLane(*lanes, r, ray);
        moved[r] = 0;
        int rc = TraceSurfaceRay(*view, ray);
        LoadLanes(batch, r + 1, *next, r);
        const TSurfaceFate fate = JudgeSurface(p, ray, rc, i, 0, walled);
        if (hits != nullptr && fate == kFateRecord)
          AddHit(*hits, first + r, written[r], ray.x, ray.y, ray.z, ray.L, ray.M, ray.N);
        p.rc = rc;
        if (rc != kRayPassed) {
          active[r] = 0;
        } else if (wavefront) {
          AddWavefrontSegment(p, surface->general, ray.pathLength, reference);
        }
      }
      std::swap(lanes, next);
    }
    for (int r = 0; r < size; ++r)
      if (moved[r]) StoreLane(*lanes, r, batch[r]);
    if (hits != nullptr)
      for (int r = 0; r < size; ++r) EndHits(*hits, first + r, written[r]);
    for (int r = 0; r < size; ++r) {
      const TRayProgress &p = progress[r];
      TCurrentRay &ray = batch[r];
      if (mode > 0 && p.lastVisited >= 0) {
        const double position[3] = {ray.x, ray.y, ray.z};
        const double direction[3] = {ray.L, ray.M, ray.N};
        const TIntersectionPoint local = ToSurfaceFrame(p.lastVisited, position, direction);
        ray.x = local.x;
        ray.y = local.y;
        ray.z = local.z;
        ray.L = local.L;
        ray.M = local.M;
        ray.N = local.N;
      }
      if (wavefront) {
        const double imageIndex =
            p.lastVisited >= 0 ? std::fabs(surfaces.data[p.lastVisited]->general.nAfter) : 1.0;
        eikonal.opticalPathDifference =
            WavefrontDifference(eikonal, ray, p.pathSum, info.ImageFinite, imageIndex);
        eikonal.transmission = p.transmission;
        if (wavefronts != nullptr)
          wavefronts[first + r] = {eikonal.opticalPathDifference, eikonal.transmission};
      }
      const int result = FinishRay(p, ray, info.DrawAllRays);
      if (results != nullptr) results[first + r] = result;
      passed += result == 1 ? 1 : 0;
    }
  }
  return passed;
}
