// Rays per second through a 100 x 100 lens array: the lens-array driver alone, and the
// whole surface interaction (intersection, aperture, refraction) on top of it.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "optics/model/general_parameters.h"
#include "optics/lensarray/lens_array.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/micro_element.h"
#include "optics/model/ray.h"
#include "optics/model/surface.h"
#include "optics/interaction/surface_trace.h"

namespace {

constexpr int kRayCount = 4096;
constexpr int kCellsPerSide = 100;
constexpr double kPitch = 1.0;

void Fill(Mem<double> &list, std::initializer_list<double> values) {
  list.Allocate(static_cast<int>(values.size()), 1);
  int k = 0;
  for (double v : values) list.data[k++] = v;
}

// 100 x 100 cells of pitch 1 over a 100 x 100 square on a plane or a sphere of radius 200:
// spherical lenslets of radius 2 filling their cells.
void MakeArray(TSurface &s, int baseType, int packing, int microType) {
  s.general.type = baseType;
  s.SetRadius(baseType == kSurfacePlane ? 0.0 : 200.0);
  s.general.boundTypeExt = kBoundSquare;
  s.general.semiHeightExt = 0.5 * kCellsPerSide * kPitch;
  s.general.semiWidthExt = 0.5 * kCellsPerSide * kPitch;
  s.general.nAfter = 1.5;
  s.zones.Allocate(1, 1);
  TRasterZone &zone = s.zones.data[0];
  zone.Packing = packing;
  Fill(zone.PackCoef, {kPitch, packing == kPackingHexagon ? 1.0 : kPitch, kPitch, kPitch});
  zone.MicroType = microType;
  if (microType == kMicroFresnel) Fill(zone.MicroCoef, {0.5, 0.0, 0.01});
  else Fill(zone.MicroCoef, {2.0, 0.0});
  zone.LimitType = 0;
  Fill(zone.LimitLower, {-1e6, -1e6, -1e6});
  Fill(zone.LimitUpper, {1e6, 1e6, 1e6});
}

// Slightly oblique parallel rays at random points of the array (fixed seed).
std::vector<TCurrentRay> Rays() {
  std::mt19937 generator(20261207u);
  const double half = 0.5 * kCellsPerSide * kPitch;
  std::uniform_real_distribution<double> coordinate(-half, half);
  std::vector<TCurrentRay> rays(kRayCount);
  const double length = std::sqrt(1.0 + 0.02 * 0.02 + 0.01 * 0.01);
  for (TCurrentRay &ray : rays) {
    ray.x = -5.0;
    ray.y = coordinate(generator);
    ray.z = coordinate(generator);
    ray.L = 1.0 / length;
    ray.M = 0.02 / length;
    ray.N = 0.01 / length;
  }
  return rays;
}

void BM_LensArrayDriver(benchmark::State &state) {
  TSurface surface;
  MakeArray(surface, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
            static_cast<int>(state.range(2)));
  const std::vector<TCurrentRay> rays = Rays();
  for (auto _ : state) {
    for (const TCurrentRay &ray : rays) {
      const double P[3] = {ray.x, ray.y, ray.z};
      const double D[3] = {ray.L, ray.M, ray.N};
      double N[3];
      double t = 0.0;
      benchmark::DoNotOptimize(LensArrayIntersect(surface, P, D, N, t));
      benchmark::DoNotOptimize(t);
    }
  }
  state.SetItemsProcessed(state.iterations() * kRayCount);
}

void BM_LensArraySurfaceTrace(benchmark::State &state) {
  TSurface surface;
  MakeArray(surface, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
            static_cast<int>(state.range(2)));
  const std::vector<TCurrentRay> start = Rays();
  std::vector<TCurrentRay> work(start.size());
  for (auto _ : state) {
    work = start;
    for (TCurrentRay &ray : work) benchmark::DoNotOptimize(SurfaceTrace(surface, ray));
  }
  state.SetItemsProcessed(state.iterations() * kRayCount);
}

// Arguments: base type, packing, micro type.
void Arrays(benchmark::internal::Benchmark *b) {
  b->Args({kSurfacePlane, kPackingRectangle, kMicroAsphere2});
  b->Args({kSurfacePlane, kPackingHexagon, kMicroAsphere2});
  b->Args({kSurfacePlane, kPackingRectangle, kMicroFresnel});
  b->Args({kSurfaceSphere, kPackingRectangle, kMicroAsphere2});
}

BENCHMARK(BM_LensArrayDriver)->Apply(Arrays);
BENCHMARK(BM_LensArraySurfaceTrace)->Apply(Arrays);

}  // namespace
