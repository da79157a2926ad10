// One full refresh of the aberrations window's computation and of the spot diagram on the
// double Gauss example: 5 beams x 3 wavelengths. Items are refreshes.

#include <benchmark/benchmark.h>

#include <string>

#include "analysis/aberrations/aberration_computation.h"
#include "analysis/spot/spot_computation.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"

namespace {

const std::string kRoot = BENCH_SOURCE_DIR;

struct DoubleGauss {
  TGlassCatalog catalog{kRoot + "/resources/cglass", "schott"};
  TOpticalSystem system;
  DoubleGauss() {
    SetGlassCatalog(&catalog);
    system.ReadFile(kRoot + "/resources/examples/double_gauss.os", 0);
    const double fields[5] = {0.0, 5.0, 10.0, 12.0, 14.0};
    system.info.AlfaM.Allocate(5, 1);
    for (int i = 0; i < 5; ++i) system.info.AlfaM.data[i] = fields[i];
    system.Prepare(0.0, 1, 0);
  }
  ~DoubleGauss() { SetGlassCatalog(nullptr); }
};

// Transverse aberration fans of every beam at every wavelength: both lists set to "all" in
// turn, as the window's two passes over its choices do.
void BM_AberrationRefresh(benchmark::State &state) {
  DoubleGauss lens;
  for (auto _ : state) {
    TAberrationComputation beams;
    beams.BeamIndex = -1;
    beams.LambdaIndex = 1;
    benchmark::DoNotOptimize(beams.Compute(lens.system));
    for (int b = 0; b < 5; ++b) {
      TAberrationComputation colours;
      colours.BeamIndex = b;
      colours.LambdaIndex = -1;
      benchmark::DoNotOptimize(colours.Compute(lens.system));
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AberrationRefresh)->Unit(benchmark::kMillisecond);

void BM_DistortionRefresh(benchmark::State &state) {
  DoubleGauss lens;
  for (auto _ : state) {
    TAberrationComputation run;
    run.ViewMode = kViewDistortion;
    run.LambdaIndex = -1;
    benchmark::DoNotOptimize(run.Compute(lens.system));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DistortionRefresh)->Unit(benchmark::kMillisecond);

// The spot diagram's default of 1000 rays per beam (32 x 32 = 1024 after rounding).
void BM_SpotRefresh(benchmark::State &state) {
  DoubleGauss lens;
  for (auto _ : state) {
    TSpotSettingsRecord settings;
    TSpotComputation spot;
    benchmark::DoNotOptimize(spot.Compute(lens.system, settings));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SpotRefresh)->Unit(benchmark::kMillisecond);

}  // namespace
