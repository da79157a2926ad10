// Ray-surface passages per second of the sequential trace through a Cooke triplet (eight
// surfaces), plain, with hit recording and inside a batch of surface views, over a square
// grid of pupil rays.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/bench_systems.h"
#include "optics/model/optical_system.h"
#include "optics/trace/trace_batch.h"

namespace {

constexpr int kSide = 32;

// The triplet with its indices at 0.55 um given as numbers, so no catalog is needed.
void BuildTriplet(TOpticalSystem &system) {
  bench::AddTriplet(system, 30.0, 10.0, 40.0);
  system.Prepare(0.55, 1, 0);
}

std::vector<TCurrentRay> PupilGrid() {
  std::vector<TCurrentRay> rays;
  for (int i = 0; i < kSide; ++i)
    for (int j = 0; j < kSide; ++j) {
      TCurrentRay ray(-1.0, -4.5 + 9.0 * i / (kSide - 1), -4.5 + 9.0 * j / (kSide - 1));
      ray.L = 1.0;
      ray.M = 0.0;
      ray.N = 0.0;
      rays.push_back(ray);
    }
  return rays;
}

void TraceGrid(benchmark::State &state, bool record, bool batch = false) {
  TOpticalSystem system;
  BuildTriplet(system);
  std::unique_ptr<TTraceBatch> views(batch ? new TTraceBatch(system) : nullptr);
  const std::vector<TCurrentRay> grid = PupilGrid();
  Mem<TIntersectionPoint> hits;
  for (auto _ : state) {
    for (const TCurrentRay &start : grid) {
      TCurrentRay ray = start;
      benchmark::DoNotOptimize(system.TraceRay(ray, kTracePlainGlobal, record ? &hits : nullptr, 0));
      benchmark::DoNotOptimize(ray.y);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grid.size()) *
                          system.SurfaceCount());
}

void BM_TraceTriplet(benchmark::State &state) { TraceGrid(state, false); }
void BM_TraceTripletRecording(benchmark::State &state) { TraceGrid(state, true); }
void BM_TraceTripletBatch(benchmark::State &state) { TraceGrid(state, false, true); }

BENCHMARK(BM_TraceTriplet);
BENCHMARK(BM_TraceTripletRecording);
BENCHMARK(BM_TraceTripletBatch);

}  // namespace
