// The sequential real-ray trace through a system's surfaces, with hit recording, light-pipe
// passages and the optical-path bookkeeping of wavefront work; the paraxial range trace and
// the change into one surface's frame.
//
// Hot path: nothing here allocates per ray. Hits go to one scratch list that grows only
// when a ray makes more hits than any ray before it; a caller's list is refilled in place
// when its size already fits.

#include <cmath>
#include <cstdlib>
#include <new>

#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/pipe/pipe_surface.h"
#include "optics/pipe/pipe_wall.h"
#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/surface_trace.h"
#include "optics/trace/lane_trace.h"
#include "optics/trace/ray_passage.h"
#include "optics/trace/trace_batch.h"
#include "optics/trace/trace_rules.h"
#include "platform/core/message_box.h"

namespace {

// Hits of the ray being traced; the trace is single-threaded and not re-entrant (it shares
// the saved ray as well), so one list serves every system.
struct THitScratch {
  TIntersectionPoint *cells = nullptr;
  int capacity = 0;
  ~THitScratch() { delete[] cells; }
};
THitScratch gScratch;

// Room for index `last`; false (after the memory box) when it cannot be had.
bool EnsureScratch(int last) {
  if (last < gScratch.capacity) return true;
  int capacity = gScratch.capacity < kHitListCapacity ? kHitListCapacity : gScratch.capacity;
  while (capacity <= last && capacity < (1 << 28)) capacity *= 2;
  if (capacity <= last) return false;
  TIntersectionPoint *cells = new (std::nothrow) TIntersectionPoint[capacity];
  if (cells == nullptr) {
    ShowNotEnoughMemory();
    return false;
  }
  for (int i = 0; i < gScratch.capacity; ++i) cells[i] = gScratch.cells[i];
  delete[] gScratch.cells;
  gScratch.cells = cells;
  gScratch.capacity = capacity;
  return true;
}

class THitRecorder {
 public:
  explicit THitRecorder(bool on) : on_(on && EnsureScratch(kHitListCapacity - 1)) {}
  bool On() const { return on_; }
  int Written() const { return written_; }
  void MarkUnreached() {
    if (on_) gScratch.cells[written_].x = kHitListEnd;
  }
  void Record(const TCurrentRay &ray) {
    if (!on_) return;
    RecordHit(gScratch.cells[written_], ray);
    // A list that cannot grow keeps what it holds and ends there: stopping is better than
    // writing past it.
    if (EnsureScratch(written_ + 1)) ++written_;
    gScratch.cells[written_].x = kHitListEnd;
  }
  void End() {
    if (!on_) return;
    TIntersectionPoint &end = gScratch.cells[written_];
    end = TIntersectionPoint();
    end.x = kHitListEnd;
    ++written_;
  }
  // Hands the written entries to the caller's list, reusing its block when the size fits.
  void CopyTo(Mem<TIntersectionPoint> &hits) const {
    if (!on_) return;
    const bool fits = hits.data != nullptr && hits.owns && hits.cols * hits.rows == written_;
    if (!fits) {
      hits.Clear();
      if (!hits.Allocate(written_, 1)) return;
    }
    hits.cols = written_;
    hits.rows = 1;
    for (int i = 0; i < written_; ++i) hits.data[i] = gScratch.cells[i];
  }

 private:
  bool on_;
  int written_ = 0;
};

// One surface's interaction: the lane passage when the surface and the ray are ordinary
// ones (bit for bit the same result, without building the surface's whole view), else
// the full interaction on the batch's view or on a view built here.
// laneDeclined: the lane passage was tried already and declined the ray.
int PassSurface(const TSurface &surface, const TInteractionSurface *view,
                const TLaneSurface *lane, bool laneDeclined, TCurrentRay &ray) {
  if (laneDeclined) {
  } else if (lane != nullptr) {
    if (PassLaneSurface(*lane, ray)) return kRayPassed;
  } else if (view == nullptr) {
    TLaneSurface own;
    if (MakeLaneSurface(surface, own) && PassLaneSurface(own, ray)) return kRayPassed;
  }
  return view != nullptr ? TraceSurfaceRay(*view, ray) : SurfaceTrace(surface, ray);
}

}  // namespace

int TOpticalSystem::TraceRay(TCurrentRay &ray, int mode, Mem<TIntersectionPoint> *hits,
                             int firstSurface) {
  const int absMode = std::abs(mode);
  const int count = SurfaceCount();
  THitRecorder recorder(hits != nullptr);
  // Glasses that could not be resolved carry a stand-in index of 1.0: such a system gives
  // no rays at all rather than wrong ones.
  if (materialsMissing) {
    ray.status = kRayStopped;
    ray.blocked = 1;
    recorder.End();
    if (hits != nullptr) recorder.CopyTo(*hits);
    return 0;
  }
  if (absMode == kTraceReference) {
    eikonal.Begin(surfaces, 1);
    ray.traceThrough = 1;
  } else if (absMode == kTraceWavefront) {
    eikonal.Reset(1);
  }
  TRayProgress progress;
  BeginRay(progress, ray, info.DrawAllRays, info.EnablePipe, info.ObjectFinite);
  const int enablePipe = info.EnablePipe;
  const int referenceCount =
      eikonal.referencePaths.Cells();
  TCurrentRay &saved = SavedRay();
  // Inside a batch the surfaces come from its contiguous views.
  const TTraceBatch::TSurfaces batch = TTraceBatch::SurfacesFor(this);

  // Without hit lists, light pipes or a batch, runs of ordinary surfaces are passed in one
  // go, the ray kept in registers: a surface passed so needs no more than its path's share
  // of the bookkeeping below (a passed ray changes none of the rest).
  const bool runs = hits == nullptr && !enablePipe && batch.views == nullptr;
  double runPaths[kLaneRunLimit];
  double *paths = absMode == kTracePlain ? nullptr : runPaths;

  int &rc = progress.rc;
  for (int i = firstSurface < 0 ? 0 : firstSurface; i < count; ++i) {
    bool laneDeclined = false;
    if (runs) {
      const int end = count - i > kLaneRunLimit ? i + kLaneRunLimit : count;
      const int stop = PassLaneRun(surfaces.data, i, end, ray, paths, laneDeclined);
      if (stop > i) progress.lastVisited = stop - 1;
      for (int k = i; paths != nullptr && k < stop; ++k) {
        if (absMode == kTraceReference) {
          if (k < referenceCount) eikonal.referencePaths.data[k] = paths[k - i];
        } else if (absMode == kTraceWavefront) {
          const double reference = k < referenceCount ? eikonal.referencePaths.data[k] : 0.0;
          AddWavefrontSegment(progress, surfaces.data[k]->general, paths[k - i], reference);
        }
      }
      i = stop;
      if (i == end) {
        --i;
        continue;
      }
    }
    const TSurface *surface = surfaces.data[i];
    if (surface == nullptr) continue;
    progress.lastVisited = i;
    recorder.MarkUnreached();
    if (enablePipe) saved = ray;
    const TInteractionSurface *view = batch.views != nullptr ? &batch.views[i] : nullptr;
    const TLaneSurface *lane =
        batch.views != nullptr && batch.ordinary[i] ? &batch.lanes[i] : nullptr;
    rc = PassSurface(*surface, view, lane, laneDeclined, ray);
    const TPipeSurface *wall = static_cast<const TPipeSurface *>(surface->pipeWall);
    const TSurfaceFate fate = JudgeSurface(progress, ray, rc, i, enablePipe, wall != nullptr);
    if (fate == kFateRecord) {
      recorder.Record(ray);
    } else if (fate == kFateWall) {
      // The ray left through the side: follow it along the pipe wall from where it left
      // the previous surface.
      double pipePath = 0.0;
      ray = saved;
      int reflections = 0;
      for (;;) {
        const int r = wall->Trace(ray);
        if (r == 0 || ++reflections > kPipeReflectionLimit) {
          rc = kRayStopped;
          break;
        }
        if (r == kRayMissedSurface || r == kRayPassed) {
          // The wall leaves such a ray where it was: no segment of its own to add or to
          // record again (counting it twice made pipe paths too long).
          rc = view != nullptr ? TraceSurfaceRay(*view, ray) : SurfaceTrace(*surface, ray);
          progress.allPassed = rc;
          pipePath += ray.pathLength;
          ray.pathLength = pipePath;
          recorder.Record(ray);
          break;
        }
        pipePath += ray.pathLength;
        recorder.Record(ray);
        ray.status = kRayPassed;
      }
      if (rc == kRayStopped) break;
      if (rc != kRayPassed) {
        const double step = wall->general.semiHeightExt * kPipeExitStepPerSemiHeight;
        ray.x += step * ray.L;
        ray.y += step * ray.M;
        ray.z += step * ray.N;
        recorder.Record(ray);
        break;
      }
    }
    if (rc != kRayPassed) break;

    if (absMode == kTraceReference) {
      if (i < referenceCount) eikonal.referencePaths.data[i] = ray.pathLength;
    } else if (absMode == kTraceWavefront) {
      const double reference = i < referenceCount ? eikonal.referencePaths.data[i] : 0.0;
      AddWavefrontSegment(progress, surface->general, ray.pathLength, reference);
    }
  }
  recorder.End();

  const int lastVisited = progress.lastVisited;
  if (mode > 0 && lastVisited >= 0) RayToLocal(*surfaces.data[lastVisited], ray);
  if (absMode == kTraceReference) {
    eikonal.referenceEnd[0] = ray.y;
    eikonal.referenceEnd[1] = ray.z;
    eikonal.referenceEnd[2] = ray.x;
    eikonal.referenceDirection[0] = ray.L;
    eikonal.referenceDirection[1] = ray.M;
    eikonal.referenceDirection[2] = ray.N;
    eikonal.referenceStart = progress.startTerm;
  } else if (absMode == kTraceWavefront) {
    const double imageIndex =
        lastVisited >= 0 ? std::fabs(surfaces.data[lastVisited]->general.nAfter) : 1.0;
    eikonal.opticalPathDifference =
        WavefrontDifference(eikonal, ray, progress.pathSum, info.ImageFinite, imageIndex);
    eikonal.transmission = progress.transmission;
  }

  if (hits != nullptr) recorder.CopyTo(*hits);
  return FinishRay(progress, ray, info.DrawAllRays);
}

int TOpticalSystem::TraceRange(TCurrentRay &ray, int from, int to, Mem<TIntersectionPoint> *hits) {
  const int n = SurfaceCount();
  if (n == 0) return 0;
  if (to < 0 || to >= n) to = n - 1;
  if (from < 0) from = 0;
  if (from >= n) from = n - 1;
  const int step = to < from ? -1 : 1;
  const int backwards = step < 0 ? 1 : 0;
  const bool stayGlobal = ray.status < 0;
  const int needed = std::abs(to - from) + 1;
  bool recording = hits != nullptr;
  if (recording && hits->cols * hits->rows != needed) {
    hits->Clear();
    recording = hits->Allocate(needed, 1) != 0;
  }
  int written = 0;
  for (int i = from;; i += step) {
    const TSurface *surface = surfaces.data[i];
    if (surface != nullptr) {
      if (SurfaceTraceParaxial(*surface, ray, backwards) < 0) return 0;
      if (recording && written < needed) RecordHit(hits->data[written++], ray);
    }
    if (i == to) break;
  }
  if (!stayGlobal && surfaces.data[to] != nullptr) {
    RayToLocal(*surfaces.data[to], ray);
    if (ray.L == 0.0) return 0;
  }
  return 1;
}

TIntersectionPoint TOpticalSystem::ToSurfaceFrame(int i, const double point[3],
                                                  const double direction[3]) const {
  double p[3] = {point[0], point[1], point[2]};
  double d[3] = {direction[0], direction[1], direction[2]};
  const TSurface *surface = Surface(i);
  if (surface != nullptr) PointToLocal(*surface, p, d);
  TIntersectionPoint result;
  result.x = p[0];
  result.y = p[1];
  result.z = p[2];
  result.L = d[0];
  result.M = d[1];
  result.N = d[2];
  return result;
}
