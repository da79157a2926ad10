// Rays per second through one surface: intersection, apertures and refraction together.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "optics/interaction/interaction_types.h"
#include "optics/trace/lane_trace.h"
#include "optics/model/ray.h"
#include "optics/model/surface.h"
#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/surface_trace.h"

namespace {

constexpr int kRayCount = 1024;

// A square grid of parallel rays over a 20 mm pupil, slightly oblique.
std::vector<TCurrentRay> RayGrid() {
  std::vector<TCurrentRay> rays;
  const int side = 32;
  const double length = std::sqrt(1.0 + 0.05 * 0.05);
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      TCurrentRay ray;
      ray.x = -5.0;
      ray.y = -10.0 + 20.0 * i / (side - 1);
      ray.z = -10.0 + 20.0 * j / (side - 1);
      ray.L = 1.0 / length;
      ray.M = 0.05 / length;
      ray.N = 0.0;
      rays.push_back(ray);
    }
  return rays;
}

TInteractionSurface Lens(int type) {
  TInteractionSurface s;
  s.type = type;
  s.R = 60.0;
  s.outer.type = kBoundRound;
  s.outer.semiHeight = 15.0;
  s.indexBefore = 1.0;
  s.indexAfter = 1.5168;
  return s;
}

void RunSurface(benchmark::State &state, const TInteractionSurface &surface) {
  const std::vector<TCurrentRay> start = RayGrid();
  std::vector<TCurrentRay> work(start.size());
  for (auto _ : state) {
    work = start;
    for (TCurrentRay &ray : work) benchmark::DoNotOptimize(TraceSurfaceRay(surface, ray));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kRayCount);
}

void BM_SphereTrace(benchmark::State &state) { RunSurface(state, Lens(kSurfaceSphere)); }

// Standard even asphere: c, k and four higher terms, solved by Newton.
void BM_EvenAsphereTrace(benchmark::State &state) {
  static const double coefficients[] = {1.0 / 60.0, -0.8, 2e-6, -3e-9, 1e-12, -4e-16};
  TInteractionSurface s = Lens(kSurfaceAsphericStandard);
  s.hasCoefficients = 1;
  s.coef = coefficients;
  s.coefCount = 6;
  RunSurface(state, s);
}

}  // namespace

BENCHMARK(BM_SphereTrace);
BENCHMARK(BM_EvenAsphereTrace);

namespace {

// The same sphere through the model's surface, its view built for every ray.
void BM_SphereModelSurfaceTrace(benchmark::State &state) {
  TSurface surface;
  surface.SetRadius(60.0);
  surface.general.semiHeightExt = 15.0;
  surface.general.nAfter = 1.5168;
  const std::vector<TCurrentRay> start = RayGrid();
  std::vector<TCurrentRay> work(start.size());
  for (auto _ : state) {
    work = start;
    for (TCurrentRay &ray : work) benchmark::DoNotOptimize(SurfaceTrace(surface, ray));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kRayCount);
}

}  // namespace

BENCHMARK(BM_SphereModelSurfaceTrace);

namespace {

// The same rays and sphere through the lane trace, a block of lanes at a time, as the
// batch trace runs it (no fallback is needed: every ray of the grid passes).
void BM_SphereLaneTrace(benchmark::State &state) {
  const TInteractionSurface surface = Lens(kSurfaceSphere);
  TLaneSurface lane;
  if (!MakeLaneSurface(surface, lane)) {
    state.SkipWithError("the sphere does not take the lane trace");
    return;
  }
  const std::vector<TCurrentRay> start = RayGrid();
  static TRayLanes in[kRayCount / kLaneBlock], out[kRayCount / kLaneBlock];
  for (int r = 0; r < kRayCount; ++r) {
    LoadLane(start[r], in[r / kLaneBlock], r % kLaneBlock);
  }
  double live[kLaneBlock], done[kLaneBlock];
  for (double &l : live) l = 1.0;
  for (auto _ : state) {
    for (int b = 0; b < kRayCount / kLaneBlock; ++b) TraceLanes(lane, in[b], out[b], live, done);
    benchmark::DoNotOptimize(done);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kRayCount);
  state.SetLabel(LaneTraceBuildName());
}

}  // namespace

BENCHMARK(BM_SphereLaneTrace);

