// Rays traced per second through whole systems, counted in ray-surface passages: the Cooke
// triplet and a ten-surface system, in the plain mode and in the wavefront mode (a reference
// ray, then every ray measured against it).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/bare_lane_loop.h"
#include "bench/bench_systems.h"
#include "optics/interaction/interaction_types.h"
#include "optics/model/optical_system.h"
#include "optics/model/surface.h"
#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/surface_trace.h"

namespace {

constexpr int kGridSide = 32;

using bench::AddSurfaceAt;

// The 50 mm f/5 triplet with its published indices at 0.55 um.
void BuildTriplet(TOpticalSystem &system) {
  bench::AddTriplet(system, 15.0, 8.0, 20.0);
  system.info.Naper = 5;
  system.info.Dentr = 10.0;
}

// Object plane, four weak singlets, image plane: ten surfaces.
void BuildTenSurfaces(TOpticalSystem &system) {
  AddSurfaceAt(system, 0.0, 0.0, "", 20.0);
  double x = 10.0;
  for (int lens = 0; lens < 4; ++lens) {
    AddSurfaceAt(system, x, 200.0, "1.5168", 15.0);
    AddSurfaceAt(system, x + 4.0, -200.0, "", 15.0);
    x += 12.0;
  }
  AddSurfaceAt(system, x + 40.0, 0.0, "", 30.0);
  system.info.Naper = 2;
  system.info.Dentr = 16.0;
}

// A square grid over 0.9 of the entrance pupil, cut to its circle, at a 10 degree field.
std::vector<TCurrentRay> PupilGrid(TOpticalSystem &system, double field) {
  system.SolveChiefRay(field, 0.0);
  const double radius = 0.45 * system.info.entrancePupilDiameter;
  std::vector<TCurrentRay> rays;
  for (int i = 0; i < kGridSide; ++i)
    for (int j = 0; j < kGridSide; ++j) {
      const double py = -radius + 2.0 * radius * i / (kGridSide - 1);
      const double pz = -radius + 2.0 * radius * j / (kGridSide - 1);
      if (py * py + pz * pz <= radius * radius) rays.push_back(system.MakeRay(field, 0.0, py, pz));
    }
  return rays;
}

template <void (*Build)(TOpticalSystem &)>
void PlainTrace(benchmark::State &state) {
  TOpticalSystem system;
  Build(system);
  system.Prepare(0.55, 1, 0);
  const std::vector<TCurrentRay> start = PupilGrid(system, 10.0);
  std::vector<TCurrentRay> work(start.size());
  for (auto _ : state) {
    work = start;
    for (TCurrentRay &ray : work) benchmark::DoNotOptimize(system.TraceRay(ray, kTracePlain, nullptr, 0));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(start.size()) *
                          system.SurfaceCount());
}

template <void (*Build)(TOpticalSystem &)>
void WavefrontTrace(benchmark::State &state) {
  TOpticalSystem system;
  Build(system);
  system.Prepare(0.55, 1, 0);
  const std::vector<TCurrentRay> start = PupilGrid(system, 10.0);
  const TCurrentRay chief = system.MakeRay(10.0, 0.0, 0.0, 0.0);
  std::vector<TCurrentRay> work(start.size());
  double sum = 0.0;
  for (auto _ : state) {
    TCurrentRay reference = chief;
    system.TraceRay(reference, kTraceReference, nullptr, 0);
    work = start;
    for (TCurrentRay &ray : work) {
      system.TraceRay(ray, kTraceWavefront, nullptr, 0);
      sum += system.eikonal.opticalPathDifference;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(start.size() + 1) *
                          system.SurfaceCount());
}

// The same plain traces handed over as one batch (TraceRays).
template <void (*Build)(TOpticalSystem &)>
void BatchTrace(benchmark::State &state) {
  TOpticalSystem system;
  Build(system);
  system.Prepare(0.55, 1, 0);
  const std::vector<TCurrentRay> start = PupilGrid(system, 10.0);
  std::vector<TCurrentRay> work(start.size());
  for (auto _ : state) {
    work = start;
    benchmark::DoNotOptimize(
        system.TraceRays(work.data(), static_cast<int>(work.size()), kTracePlain, nullptr));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(start.size()) *
                          system.SurfaceCount());
}

// The same rays through the same surfaces in the bare structure-of-arrays loop of the lane
// arithmetic (bare_lane_loop.h), built for the same instruction set as the lane trace in
// use: the bound that the batch trace is measured against in the same run, as one loop
// per passage (argument 0) and in the lane trace's four steps (1). The grid is padded to
// whole blocks with copies of its first ray, and the padding counts as work.
template <void (*Build)(TOpticalSystem &)>
void BareLoop(benchmark::State &state) {
  TOpticalSystem system;
  Build(system);
  system.Prepare(0.55, 1, 0);
  std::vector<TCurrentRay> start = PupilGrid(system, 10.0);
  std::vector<TLaneSurface> lanes(static_cast<std::size_t>(system.SurfaceCount()));
  for (int i = 0; i < system.SurfaceCount(); ++i)
    if (!MakeLaneSurface(*system.Surface(i), lanes[static_cast<std::size_t>(i)])) {
      state.SkipWithError("a surface takes no lane trace");
      return;
    }
  while (start.size() % kLaneBlock != 0) start.push_back(start.front());
  const std::size_t count = start.size();
  std::vector<double> from(7 * count), work(7 * count);
  for (std::size_t r = 0; r < count; ++r) {
    const TCurrentRay &ray = start[r];
    const double values[7] = {ray.x, ray.y, ray.z, ray.L, ray.M, ray.N, 0.0};
    for (int a = 0; a < 7; ++a) from[a * count + r] = values[a];
  }
  double *w = work.data();
  TBareRays rays{w, w + count, w + 2 * count, w + 3 * count, w + 4 * count, w + 5 * count,
                 w + 6 * count, static_cast<int>(count)};
  for (auto _ : state) {
    work = from;
    if (!TraceBareBlocks(lanes.data(), system.SurfaceCount(), rays, state.range(0) != 0)) {
      state.SkipWithError("no bare loop for the lane trace's build");
      return;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count) *
                          system.SurfaceCount());
  state.SetLabel(std::string(LaneTraceBuildName()) + (state.range(0) != 0 ? ", four steps" : ", one loop"));
}

// Building each ray from its pupil point as the analyses do, then tracing it.
void BM_TripletMakeAndTrace(benchmark::State &state) {
  TOpticalSystem system;
  BuildTriplet(system);
  system.Prepare(0.55, 1, 0);
  system.SolveChiefRay(10.0, 0.0);
  const double radius = 0.45 * system.info.entrancePupilDiameter;
  std::int64_t rays = 0;
  for (auto _ : state) {
    for (int i = 0; i < kGridSide; ++i) {
      const double py = -radius + 2.0 * radius * i / (kGridSide - 1);
      TCurrentRay ray = system.MakeRay(10.0, 0.0, py, 0.0);
      benchmark::DoNotOptimize(system.TraceRay(ray, kTracePlain, nullptr, 0));
    }
    rays += kGridSide;
  }
  state.SetItemsProcessed(rays * system.SurfaceCount());
}

// The same rays and surfaces, but surface by surface across the whole grid, each surface's
// view built once: what a batch trace would gain. A single ray's passages depend on each
// other and expose the full latency of its square roots and divisions; rays of a batch are
// independent, so the processor overlaps them. (Pipe walls and hit lists left out.)
void BM_TripletSurfaceBySurface(benchmark::State &state) {
  TOpticalSystem system;
  BuildTriplet(system);
  system.Prepare(0.55, 1, 0);
  const std::vector<TCurrentRay> start = PupilGrid(system, 10.0);
  std::vector<TInteractionSurface> views;
  for (int i = 0; i < system.SurfaceCount(); ++i)
    views.push_back(MakeInteractionSurface(*system.Surface(i)));
  std::vector<TCurrentRay> work(start.size());
  for (auto _ : state) {
    work = start;
    for (const TInteractionSurface &view : views)
      for (TCurrentRay &ray : work)
        if (ray.status == kRayPassed) TraceSurfaceRay(view, ray);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(start.size()) *
                          system.SurfaceCount());
}

void BM_TripletPlain(benchmark::State &state) { PlainTrace<BuildTriplet>(state); }
void BM_TripletWavefront(benchmark::State &state) { WavefrontTrace<BuildTriplet>(state); }
void BM_TenSurfacePlain(benchmark::State &state) { PlainTrace<BuildTenSurfaces>(state); }
void BM_TenSurfaceWavefront(benchmark::State &state) { WavefrontTrace<BuildTenSurfaces>(state); }
void BM_TripletBatch(benchmark::State &state) { BatchTrace<BuildTriplet>(state); }
void BM_TenSurfaceBatch(benchmark::State &state) { BatchTrace<BuildTenSurfaces>(state); }
void BM_TripletBareLoop(benchmark::State &state) { BareLoop<BuildTriplet>(state); }
void BM_TenSurfaceBareLoop(benchmark::State &state) { BareLoop<BuildTenSurfaces>(state); }

}  // namespace

BENCHMARK(BM_TripletPlain);
BENCHMARK(BM_TripletWavefront);
BENCHMARK(BM_TenSurfacePlain);
BENCHMARK(BM_TenSurfaceWavefront);
BENCHMARK(BM_TripletMakeAndTrace);
BENCHMARK(BM_TripletSurfaceBySurface);
BENCHMARK(BM_TripletBatch);
BENCHMARK(BM_TenSurfaceBatch);
BENCHMARK(BM_TripletBareLoop)->Arg(0)->Arg(1);
BENCHMARK(BM_TenSurfaceBareLoop)->Arg(0)->Arg(1);
