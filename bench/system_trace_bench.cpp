// Ray-surface passages per second of the sequential trace through a Cooke triplet (eight
// surfaces), plain, with hit recording and inside a batch of surface views, over a square
// grid of pupil rays.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "optics/optical_system.h"
#include "optics/trace_batch.h"

namespace {

constexpr int kSide = 32;

void AddSurface(TOpticalSystem &system, double x, double R, const char *glass, double semiHeight) {
  TSurface *s = system.AddSurface(new TSurface(x, 0.0, 0.0));
  s->general.R = R;
  s->general.type = R == 0.0 ? kSurfacePlane : kSurfaceSphere;
  s->general.glass = glass;
  s->general.semiHeightExt = semiHeight;
  s->general.semiWidthExt = semiHeight;
}

// The triplet with its indices at 0.55 um given as numbers, so no catalog is needed.
void BuildTriplet(TOpticalSystem &system) {
  const double radii[6] = {22.01359, -435.76044, -22.21328, 20.29192, 79.68360, -18.39533};
  const double gaps[6] = {3.25896, 6.00755, 0.99997, 4.75041, 2.95208, 42.20778};
  const char *glasses[6] = {"1.622608", "", "1.623655", "", "1.622608", ""};
  double x = 10.0;
  AddSurface(system, 0.0, 0.0, "", 30.0);
  for (int i = 0; i < 6; ++i) {
    AddSurface(system, x, radii[i], glasses[i], 10.0);
    x += gaps[i];
  }
  AddSurface(system, x, 0.0, "", 40.0);
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
      benchmark::DoNotOptimize(system.TraceRay(ray, -1, record ? &hits : nullptr, 0));
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
