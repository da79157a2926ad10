// PSF and MTF of the Cooke triplet (50 mm f/5) on 256 x 256 and 1024 x 1024 nodes as the
// PSF and MTF window computes them, with the pupil trace and the transforms timed apart:
// the pupil field (rays through the batch trace), the PSF transform (FFT, squared modulus,
// centring), the MTF of the PSF (FFT, modulus, normalisation, swap), and the whole of PSF
// plus MTF. Then the energy concentration of a 2048 x 2048 Airy pattern (peak, summed-area
// table and the squares of every size).

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "analysis/psf/psf_maths.h"
#include "bench/bench_systems.h"
#include "foundation/fft/fft.h"
#include "foundation/numerics/pi.h"
#include "optics/model/optical_system.h"
#include "optics/psf/psf_nodes.h"

namespace {

// Indices at 0.55 um given as numbers, so no catalog is needed; stop on surface 5.
void BuildTriplet(TOpticalSystem &system, int nodes) {
  bench::AddTriplet(system, 30.0, 8.0, 40.0);
  system.info.AutoSetPupilParameters = 0;
  system.info.Naper = 5;
  system.info.Dentr = 10.0;
  system.info.Nd = nodes;
  system.info.Difrac = 1;
  system.info.MonochromeSystem = 1;
  system.Prepare(0.55, 1, 0);
  // The pupil fills the grid, as these figures were always measured.
  system.info.Discrete = system.DiffractionInterval();
  system.Prepare(0.55, 1, 0);
}

void BM_PsfPupilTrace(benchmark::State &state) {
  TOpticalSystem system;
  BuildTriplet(system, static_cast<int>(state.range(0)));
  long rays = 0;
  for (auto _ : state) {
    const TPSFSampleInfo stats = system.SampleDiffractionPupil(0.0, 0.0, 1);
    rays += stats.count;
    benchmark::DoNotOptimize(system.workArray1.data[0]);
  }
  state.SetItemsProcessed(rays);
}

void BM_PsfTransform(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  TOpticalSystem system;
  BuildTriplet(system, n);
  system.SampleDiffractionPupil(0.0, 0.0, 1);
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  const std::vector<float> re(system.workArray1.data, system.workArray1.data + cells);
  const std::vector<float> im(system.workArray2.data, system.workArray2.data + cells);
  std::vector<float> a(cells), b(cells);
  for (auto _ : state) {
    state.PauseTiming();
    a = re;
    b = im;
    state.ResumeTiming();
    FFT2D(n, n, a.data(), b.data(), 0);
    for (std::size_t k = 0; k < cells; ++k) a[k] = a[k] * a[k] + b[k] * b[k];
    CentrePsfGrid(n, a.data());
    benchmark::DoNotOptimize(a.data());
  }
}

void BM_MtfFromPsf(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  TOpticalSystem system;
  BuildTriplet(system, n);
  system.ComputePSFNodes(0.0, 0.0, 1);
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  const std::vector<float> psf(system.workArray1.data, system.workArray1.data + cells);
  std::vector<float> raster(cells), imaginary(cells);
  for (auto _ : state) {
    state.PauseTiming();
    raster = psf;
    state.ResumeTiming();
    MtfFromPsf(n, raster.data(), imaginary.data());
    benchmark::DoNotOptimize(raster.data());
  }
}

void BM_PsfAndMtf(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  TOpticalSystem system;
  BuildTriplet(system, n);
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<float> imaginary(cells);
  for (auto _ : state) {
    system.ComputePSFNodes(0.0, 0.0, 1);
    MtfFromPsf(n, system.workArray1.data, imaginary.data());
    benchmark::DoNotOptimize(system.workArray1.data[0]);
  }
}

// 256 pupil samples across on a 512 x 512 grid: the pupil fills half of the grid.
void BM_PsfAndMtfHalfFilled(benchmark::State &state) {
  constexpr int n = 512;
  TOpticalSystem system;
  BuildTriplet(system, n);
  system.info.Discrete /= 2.0;
  system.Prepare(0.55, 1, 0);
  std::vector<float> imaginary(static_cast<std::size_t>(n) * n);
  long rays = 0;
  for (auto _ : state) {
    system.ComputePSFNodes(0.0, 0.0, 1);
    MtfFromPsf(n, system.workArray1.data, imaginary.data());
    benchmark::DoNotOptimize(system.workArray1.data[0]);
  }
  rays = static_cast<long>(system.SampleDiffractionPupil(0.0, 0.0, 0).count) * state.iterations();
  state.SetItemsProcessed(rays);
}

void BM_EnergyConcentration(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<float> raster(static_cast<std::size_t>(n) * n);
  // An Airy pattern 16 pixels to its first zero.
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const double x = kPi * std::hypot(r - n / 2, c - n / 2) * 1.2197 / 16.0;
      const double a = x == 0.0 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, x) / x;
      raster[static_cast<std::size_t>(r) * n + c] = static_cast<float>(a * a);
    }
  Mem<double> cumulative;
  Mem<DPOINT3> curve;
  for (auto _ : state) {
    const DPOINT3 peak = FindPeakAndCumulate(n, raster.data(), cumulative);
    ComputeEnergyConcentration(n, cumulative, peak, curve);
    benchmark::DoNotOptimize(curve.data);
  }
}

}  // namespace

BENCHMARK(BM_PsfPupilTrace)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PsfTransform)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MtfFromPsf)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PsfAndMtf)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PsfAndMtfHalfFilled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnergyConcentration)->Arg(2048)->Unit(benchmark::kMillisecond);
