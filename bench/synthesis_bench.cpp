// The spectra of a test object's rasters (TTestObject::TransformRasters): read the raster
// file, transform it, write the spectrum file, at the two largest synthesis sizes. The
// peak resident size of the process is reported as a counter (run one size per process,
// --benchmark_filter=.../2048, to read each size's own peak).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "foundation/containers/mem.h"
#include "imaging/testobject/test_image.h"
#include "imaging/testobject/test_object.h"
#include "optics/model/model_globals.h"
#include "platform/core/paths.h"

namespace {

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in kilobytes
}

void BM_TransformRastersWithFiles(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  TTestImage image;
  image.pixelCount = n;
  image.pixelSize = 0.001;
  SetTestImage(&image);
  TTestObject object(nullptr);
  object.rasterFiles.Allocate(1, 1);
  object.frameFiles.Allocate(1, 1);
  TFileData &raster = object.rasterFiles.data[0];
  raster.fileName = JoinPath(TempDir(), "bench_obj_" + std::to_string(n) + ".img");
  object.frameFiles.data[0].fileName =
      JoinPath(TempDir(), "bench_obj_" + std::to_string(n) + ".spc");
  {
    // A disc of light on a dark field, as a bar target or a diffraction point would be.
    Mem<float> cells(n, n);
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        const int dx = c - n / 2, dy = r - n / 2;
        cells.data[static_cast<std::size_t>(r) * n + c] =
            dx * dx + dy * dy < n * n / 16 ? 1.0f : 0.0f;
      }
    if (raster.Write(cells) == 0) state.SkipWithError("the raster file cannot be written");
  }
  for (auto _ : state) {
    object.state = kRastersWritten;
    if (object.TransformRasters() == 0) state.SkipWithError("the transform failed");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n) * n);
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
  std::remove(raster.fileName.c_str());
  std::remove(object.frameFiles.data[0].fileName.c_str());
  SetTestImage(nullptr);
}
BENCHMARK(BM_TransformRastersWithFiles)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);

}  // namespace
