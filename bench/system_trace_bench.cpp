// Ray-surface passages per second of the sequential trace through a Cooke triplet (eight
// surfaces) over a square grid of pupil rays: one ray at a time (TraceRay), plain and with
// hit recording, and the whole grid handed over as one batch (TraceRays).

#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_systems.h"
#include "optics/model/optical_system.h"

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

void TraceGrid(benchmark::State &state, bool record) {
  TOpticalSystem system;
  BuildTriplet(system);
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

// The same grid as one batch, each ray left global as above.
void BM_TraceTripletBatch(benchmark::State &state) {
  TOpticalSystem system;
  BuildTriplet(system);
  const std::vector<TCurrentRay> grid = PupilGrid();
  std::vector<TCurrentRay> work(grid.size());
  for (auto _ : state) {
    work = grid;
    benchmark::DoNotOptimize(
        system.TraceRays(work.data(), static_cast<int>(work.size()), kTracePlainGlobal, nullptr));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grid.size()) *
                          system.SurfaceCount());
}

BENCHMARK(BM_TraceTriplet);
BENCHMARK(BM_TraceTripletRecording);
BENCHMARK(BM_TraceTripletBatch);

}  // namespace
