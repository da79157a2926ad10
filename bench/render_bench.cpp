// The software renderer and the 3-D plot: a shaded scene of 20,000 triangles at 800 x 600,
// and the shaded surface, colour map and contour segments of a 512 x 512 grid.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "foundation/numerics/pi.h"
#include "toolkit/plot3d/contour_map.h"
#include "toolkit/plot3d/plot_data.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// A torus filling most of an 800 x 600 picture.
DPOINT3 Torus(double u, double v, void *) {
  const double phi = 2.0 * kPi * u, theta = 2.0 * kPi * v;
  const double r = 230.0 + 90.0 * std::cos(theta);
  return DPOINT3(r * std::cos(phi), r * std::sin(phi), 90.0 * std::sin(theta));
}

std::vector<float> Gaussian(int n) {
  std::vector<float> grid(static_cast<std::size_t>(n) * n);
  const double c = (n - 1) / 2.0, s = n / 6.0;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i)
      grid[static_cast<std::size_t>(j) * n + i] =
          static_cast<float>(std::exp(-((i - c) * (i - c) + (j - c) * (j - c)) / (2 * s * s)));
  return grid;
}

void BM_ShadedScene20kTriangles(benchmark::State &state) {
  CreateSharedPalette();
  SharedPalette->SetRange(7, 7);
  TDrv3D renderer(800, 600);
  renderer.SetPalette(SharedPalette);
  renderer.SetViewCentre(400.0, 300.0);
  for (auto _ : state) {
    renderer.Clear(RGB(0, 0, 90));
    renderer.Lock();
    // 100 x 100 quads: 20,000 triangles.
    renderer.DrawSurface(Torus, nullptr, 100, 100);
    renderer.Unlock();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 20000);
}
BENCHMARK(BM_ShadedScene20kTriangles)->Unit(benchmark::kMillisecond);

void BM_SurfacePlot512(benchmark::State &state) {
  CreateSharedPalette();
  SharedPalette->SetRange(7, 7);
  const std::vector<float> grid = Gaussian(512);
  TPlotData plot;
  plot.SetGrid(grid.data(), 512, 512);
  plot.ComputeView(450, 450, 0.0);
  TDrv3D renderer(450, 450);
  renderer.SetPalette(SharedPalette);
  for (auto _ : state) {
    renderer.Lock();
    plot.DrawSurface(renderer, 0, 512, 512);
    renderer.Unlock();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SurfacePlot512)->Unit(benchmark::kMillisecond);

void BM_ColorMap512(benchmark::State &state) {
  CreateSharedPalette();
  SharedPalette->SetRange(9, 13);
  const std::vector<float> grid = Gaussian(512);
  TPlotData plot;
  plot.SetGrid(grid.data(), 512, 512);
  plot.EnsureRange();
  TODib picture(450, 450);
  for (auto _ : state) {
    plot.DrawColorMap(picture, *SharedPalette, true);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ColorMap512)->Unit(benchmark::kMillisecond);

void BM_ContourSegments512TenLevels(benchmark::State &state) {
  const std::vector<float> grid = Gaussian(512);
  TPlotData plot;
  plot.SetGrid(grid.data(), 512, 512);
  plot.EnsureRange();
  std::vector<TContourSegment> segments;
  for (auto _ : state) {
    segments.clear();
    for (const TContourLevel &level : ContourLevels(plot.ZMin(), plot.ZMax(), 10))
      ContourSegments(plot, 450, 450, level.value, segments);
    benchmark::DoNotOptimize(segments.data());
  }
}
BENCHMARK(BM_ContourSegments512TenLevels)->Unit(benchmark::kMicrosecond);

}  // namespace
