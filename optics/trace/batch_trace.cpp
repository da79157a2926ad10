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
#include <cstring>
#include <optional>
#include <utility>

#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/surface_trace.h"
#include "optics/model/optical_system.h"
#include "optics/trace/lane_trace.h"
#include "optics/trace/trace_batch.h"
#include "optics/trace/trace_rules.h"

namespace {

constexpr int kBatch = kLaneBlock;

// A lane's ordinary passages written to its ray: as TraceSurfaceRay leaves a passed ray,
// and taken into the frame of `frame` when one is given. (Written once, field by field: a
// ray read back whole right after it was written field by field waits on the stores.)
void StoreLane(const TRayLanes &lanes, int r, TCurrentRay &ray, const TSurface *frame = nullptr) {
  double position[3] = {lanes.x[r], lanes.y[r], lanes.z[r]};
  double direction[3] = {lanes.L[r], lanes.M[r], lanes.N[r]};
  if (frame != nullptr) PointToLocal(*frame, position, direction);
  ray.x = position[0];
  ray.y = position[1];
  ray.z = position[2];
  ray.L = direction[0];
  ray.M = direction[1];
  ray.N = direction[2];
  ray.pathLength = lanes.path[r];
  ray.blocked = 0;
  ray.status = kRayPassed;
}

// A lane that passed every surface written to its ray: its position from ends (taken into
// its frame there), the rest from lanes.
void StoreEnd(const TRayLanes &lanes, const TRayLanes &ends, int r, TCurrentRay &ray) {
  ray.x = ends.x[r];
  ray.y = ends.y[r];
  ray.z = ends.z[r];
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
  const int referenceCount = eikonal.referencePaths.Cells();
  TTraceBatch::TSurfaces shared = TTraceBatch::SurfacesFor(this);
  // Without a batch over the system, one lives for this call when there are several blocks,
  // so that each surface is looked at once rather than once per block.
  std::optional<TTraceBatch> own;
  if (shared.views == nullptr && count > kBatch) {
    own.emplace(*this);
    shared = TTraceBatch::SurfacesFor(this);
  }
  const TWavefrontReference reference = WavefrontReferenceOf(eikonal);
  TRayWavefront last;  // the last ray's wavefront, left in the eikonal record at the end

  // A ray's progress is started only when it first goes through TraceSurfaceRay: until
  // then it has passed every surface in lanes, and its sums live in the lanes.
  TRayProgress progress[kBatch];
  // The last surface a ray went through TraceSurfaceRay (-1: none yet, its progress not
  // started). The lanes hold a live ray's newer state when a surface passed in lanes came
  // after it.
  int lastSingle[kBatch];
  int written[kBatch];  // hits recorded per ray
  // Two blocks of lanes: each surface reads one and writes the other. Lanes past a short
  // batch, up to the end of its last group of lanes, are read but never used.
  TRayLanes blocks[2] = {};
  double verdicts[2][kBatch];  // live before a surface, passed after it
  TLaneSums sums = {};
  double differences[kBatch];  // path differences of the rays that passed all in lanes
  // The view of a surface without a batch's, built only when a ray needs it.
  std::optional<TInteractionSurface> ownView;
  for (int first = 0; first < count; first += kBatch) {
    const int size = count - first < kBatch ? count - first : kBatch;
    TCurrentRay *batch = rays + first;
    TRayLanes *lanes = &blocks[0], *next = &blocks[1];
    double *live = verdicts[0], *done = verdicts[1];
    for (int r = 0; r < kBatch; ++r) live[r] = r < size ? 1.0 : 0.0;
    for (int r = 0; r < size; ++r) {
      lastSingle[r] = -1;
      LoadLane(batch[r], *lanes, r);
      sums.path[r] = StartTerm(batch[r], info.ObjectFinite);
      sums.transmission[r] = 1.0;
    }
    if (hits != nullptr)
      for (int r = 0; r < size; ++r) written[r] = 0;
    int previous = -1;  // the last surface the block went through
    for (int i = 0; i < n; ++i) {
      const TSurface *surface = surfaces.data[i];
      if (surface == nullptr) continue;
      TLaneSurface ownLane;
      const TInteractionSurface *view = nullptr;
      const TLaneSurface *lane = &ownLane;
      bool ordinary;
      if (shared.views != nullptr) {
        view = &shared.views[i];
        lane = &shared.lanes[i];
        ordinary = shared.ordinary[i] != 0;
      } else {
        ordinary = MakeLaneSurface(*surface, ownLane);
      }
      const double pathReference = i < referenceCount ? eikonal.referencePaths.data[i] : 0.0;
      const TLaneSumTerms terms = WavefrontTerms(surface->general, pathReference);
      if (!ordinary) {
        for (int r = 0; r < kBatch; ++r) done[r] = 0.0;
      } else if (wavefront) {
        TraceLanes(*lane, *lanes, *next, live, done, terms, sums, size);
      } else {
        TraceLanes(*lane, *lanes, *next, live, done, size);
      }
      // Rays the lanes declined, hits to record and absorption go ray by ray; a surface
      // every live lane passed without them needs nothing more.
      // (Verdicts are exactly 1 or 0, so comparing their bytes compares them.)
      const bool single = hits != nullptr || (wavefront && terms.absorption != 0.0) ||
                          std::memcmp(live, done, sizeof(double) * size) != 0;
      for (int r = 0; single && r < size; ++r) {
        if (live[r] == 0.0) continue;
        if (done[r] != 0.0) {
          // An ordinary passage: passed, nothing else to decide.
          if (hits != nullptr)
            AddHit(*hits, first + r, written[r], next->x[r], next->y[r], next->z[r], next->L[r],
                   next->M[r], next->N[r]);
          if (wavefront) sums.transmission[r] = Absorbed(sums.transmission[r], next->path[r], terms);
          continue;
        }
        if (view == nullptr) view = &ownView.emplace(MakeInteractionSurface(*surface));
        TRayProgress &p = progress[r];
        TCurrentRay &ray = batch[r];
        if (lastSingle[r] < 0)
          BeginRay(p, ray, info.DrawAllRays, 0, info.ObjectFinite);
        if (lastSingle[r] != previous) StoreLane(*lanes, r, ray);
        lastSingle[r] = i;
        int rc = TraceSurfaceRay(*view, ray);
        LoadLane(ray, *next, r);
        const TSurfaceFate fate = JudgeSurface(p, ray, rc, i, 0, surface->pipeWall != nullptr);
        if (hits != nullptr && fate == kFateRecord)
          AddHit(*hits, first + r, written[r], ray.x, ray.y, ray.z, ray.L, ray.M, ray.N);
        p.rc = rc;
        if (rc != kRayPassed) {
          done[r] = 0.0;
          p.lastVisited = i;
        } else {
          done[r] = 1.0;
          if (wavefront) {
            p.pathSum = sums.path[r];
            p.transmission = sums.transmission[r];
            AddWavefrontSegment(p, terms, ray.pathLength);
            sums.path[r] = p.pathSum;
            sums.transmission[r] = p.transmission;
          }
        }
      }
      std::swap(lanes, next);
      std::swap(live, done);
      previous = i;
    }
    if (hits != nullptr)
      for (int r = 0; r < size; ++r) EndHits(*hits, first + r, written[r]);
    // Every ray still live ends at the block's last surface, in its frame and its space.
    const TSurface *lastSurface = previous >= 0 ? surfaces.data[previous] : nullptr;
    const TSurface *liveFrame = mode > 0 ? lastSurface : nullptr;
    const double liveIndex =
        lastSurface != nullptr ? std::fabs(lastSurface->general.nAfter) : 1.0;
    // Their ends, worked out across the lanes: positions into an untilted frame (into the
    // spare block) and path differences.
    const bool placed = liveFrame != nullptr && !TurnsAxes(*liveFrame);
    const bool inLanesEnd = lastSurface != nullptr && (liveFrame == nullptr || placed);
    if (inLanesEnd && (placed || wavefront))
      EndLanes(*lanes, *next, placed ? liveFrame->general.vertex : nullptr,
               wavefront ? &reference : nullptr, info.ImageFinite, liveIndex, sums, differences,
               size);
    const TRayLanes &ends = placed ? *next : *lanes;
    for (int r = 0; r < size; ++r) {
      TCurrentRay &ray = batch[r];
      if (lastSingle[r] < 0) {
        // Passed every surface in lanes: its progress was never started, and its result is
        // FinishRay's for a ray that passed everything, its trace-through flag untouched.
        if (inLanesEnd) {
          StoreEnd(*lanes, ends, r, ray);
          if (wavefront) last = {differences[r], sums.transmission[r]};
        } else {
          if (previous >= 0) StoreLane(*lanes, r, ray, liveFrame);
          if (wavefront)
            last = {WavefrontDifference(reference, ray.x, ray.y, ray.z, ray.L, ray.M, ray.N,
                                        sums.path[r], info.ImageFinite, liveIndex),
                    sums.transmission[r]};
        }
        if (wavefront && wavefronts != nullptr) wavefronts[first + r] = last;
        if (results != nullptr) results[first + r] = 1;
        ++passed;
        continue;
      }
      TRayProgress &p = progress[r];
      if (live[r] != 0.0) p.lastVisited = previous;
      const TSurface *frame = mode > 0 && p.lastVisited >= 0 ? surfaces.data[p.lastVisited] : nullptr;
      if (live[r] != 0.0 && lastSingle[r] != previous)
        StoreLane(*lanes, r, ray, frame);
      else if (frame != nullptr)
        RayToLocal(*frame, ray);
      if (wavefront) {
        const double imageIndex =
            p.lastVisited >= 0 ? std::fabs(surfaces.data[p.lastVisited]->general.nAfter) : 1.0;
        last = {WavefrontDifference(reference, ray.x, ray.y, ray.z, ray.L, ray.M, ray.N,
                                    sums.path[r], info.ImageFinite, imageIndex),
                sums.transmission[r]};
        if (wavefronts != nullptr) wavefronts[first + r] = last;
      }
      const int result = FinishRay(p, ray, info.DrawAllRays);
      if (results != nullptr) results[first + r] = result;
      passed += result == 1 ? 1 : 0;
    }
  }
  if (wavefront) {
    eikonal.opticalPathDifference = last.opticalPathDifference;
    eikonal.transmission = last.transmission;
  }
  return passed;
}
