// Speed of the 2-D FFT on square single-precision grids, beside the FFTW library's
// single-precision transform of the same size on the same machine (linked by this program
// only, as a yardstick). Every timed transform starts from the same input, copied in
// untimed, so neither side works on overflowing or denormal numbers.

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "foundation/fft/fft.h"

namespace {

struct TInput {
  std::vector<float> re;
  std::vector<float> im;
};

TInput RandomInput(std::size_t count) {
  std::mt19937 engine(20261207);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  TInput input{std::vector<float>(count), std::vector<float>(count)};
  for (std::size_t i = 0; i < count; ++i) {
    input.re[i] = uniform(engine);
    input.im[i] = uniform(engine);
  }
  return input;
}

// Our transform's working copy of the input.
struct TOurs {
  explicit TOurs(const TInput &input) : re(input.re), im(input.im) {}
  void Reset(const TInput &input) {
    std::memcpy(re.data(), input.re.data(), re.size() * sizeof(float));
    std::memcpy(im.data(), input.im.data(), im.size() * sizeof(float));
  }
  void Run(int nx, int ny) { benchmark::DoNotOptimize(FFT2D(nx, ny, re.data(), im.data(), 0)); }
  void Run1D(int n) { benchmark::DoNotOptimize(FFT1D(n, re.data(), im.data(), 0)); }
  std::vector<float> re;
  std::vector<float> im;
};

// FFTW's in-place forward transform of interleaved complex floats (ny rows of nx; one row
// is the 1-D transform), planned once per size with measurement (planning overwrites the
// array, so it comes first).
struct TYardstick {
  TYardstick(int nx, int ny) {
    const std::size_t count = static_cast<std::size_t>(nx) * ny;
    data = static_cast<fftwf_complex *>(fftwf_malloc(count * sizeof(fftwf_complex)));
    plan = ny == 1 ? fftwf_plan_dft_1d(nx, data, data, FFTW_FORWARD, FFTW_MEASURE)
                   : fftwf_plan_dft_2d(ny, nx, data, data, FFTW_FORWARD, FFTW_MEASURE);
  }
  ~TYardstick() {
    fftwf_destroy_plan(plan);
    fftwf_free(data);
  }
  TYardstick(const TYardstick &) = delete;
  TYardstick &operator=(const TYardstick &) = delete;
  void Reset(const TInput &input) {
    const std::size_t count = input.re.size();
    for (std::size_t i = 0; i < count; ++i) {
      data[i][0] = input.re[i];
      data[i][1] = input.im[i];
    }
  }
  void Run() {
    fftwf_execute(plan);
    benchmark::ClobberMemory();
  }
  fftwf_complex *data = nullptr;
  fftwf_plan plan = nullptr;
};

TYardstick &YardstickFor(int nx, int ny) {
  static std::map<std::pair<int, int>, TYardstick> plans;
  const std::pair<int, int> key(nx, ny);
  auto found = plans.find(key);
  if (found == plans.end())
    found = plans.emplace(std::piecewise_construct, std::forward_as_tuple(key),
                          std::forward_as_tuple(nx, ny)).first;
  return found->second;
}

const TInput &InputFor(std::size_t count) {
  static std::map<std::size_t, TInput> inputs;
  auto found = inputs.find(count);
  if (found == inputs.end()) found = inputs.emplace(count, RandomInput(count)).first;
  return found->second;
}

void BM_FFT2D(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const TInput &input = InputFor(static_cast<std::size_t>(n) * n);
  TOurs ours(input);
  for (auto _ : state) {
    state.PauseTiming();
    ours.Reset(input);
    state.ResumeTiming();
    ours.Run(n, n);
  }
  state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_FFT2D)->Arg(256)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);

void BM_FFTW2D(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const TInput &input = InputFor(static_cast<std::size_t>(n) * n);
  TYardstick &fftw = YardstickFor(n, n);
  for (auto _ : state) {
    state.PauseTiming();
    fftw.Reset(input);
    state.ResumeTiming();
    fftw.Run();
  }
  state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_FFTW2D)->Arg(256)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);

// Both transforms in turn within each iteration, so drifts of the clock rate hit both
// alike. The reported time is ours; counters give both times and ours / FFTW.
void BM_FFT2DRatioToFFTW(benchmark::State &state) {
  using Clock = std::chrono::steady_clock;
  const int n = static_cast<int>(state.range(0));
  const TInput &input = InputFor(static_cast<std::size_t>(n) * n);
  TOurs ours(input);
  TYardstick &fftw = YardstickFor(n, n);
  double oursSeconds = 0.0, fftwSeconds = 0.0;
  for (auto _ : state) {
    ours.Reset(input);
    const auto oursStart = Clock::now();
    ours.Run(n, n);
    const auto oursEnd = Clock::now();
    fftw.Reset(input);
    const auto fftwStart = Clock::now();
    fftw.Run();
    const auto fftwEnd = Clock::now();
    const double oursTime = std::chrono::duration<double>(oursEnd - oursStart).count();
    oursSeconds += oursTime;
    fftwSeconds += std::chrono::duration<double>(fftwEnd - fftwStart).count();
    state.SetIterationTime(oursTime);
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1e3 * oursSeconds / iterations;
  state.counters["fftw_ms"] = 1e3 * fftwSeconds / iterations;
  state.counters["ratio"] = fftwSeconds > 0.0 ? oursSeconds / fftwSeconds : 0.0;
}
BENCHMARK(BM_FFT2DRatioToFFTW)
    ->Arg(256)
    ->Arg(1024)
    ->Arg(2048)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The 1-D transform of one row, beside FFTW's.
void BM_FFT1D(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const TInput &input = InputFor(n);
  TOurs ours(input);
  for (auto _ : state) {
    state.PauseTiming();
    ours.Reset(input);
    state.ResumeTiming();
    ours.Run1D(n);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FFT1D)->Arg(256)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);

void BM_FFTW1D(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const TInput &input = InputFor(n);
  TYardstick &fftw = YardstickFor(n, 1);
  for (auto _ : state) {
    state.PauseTiming();
    fftw.Reset(input);
    state.ResumeTiming();
    fftw.Run();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FFTW1D)->Arg(256)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);

}  // namespace
