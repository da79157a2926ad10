// The superposition of the non-isoplanar synthesis: a 256 x 256 image whose every cell is
// bright, each laid down as the blend of two node PSFs turned to its azimuth. The PSF side
// is the argument (the resampled node PSFs of a fine picture are a few cells across).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "foundation/containers/mem.h"
#include "imaging/testobject/test_object.h"
#include "optics/model/file_data.h"
#include "synthesis/nonisoplanar/image_object_maps.h"
#include "synthesis/nonisoplanar/node_psf_lookup.h"
#include "synthesis/nonisoplanar/superposition.h"

namespace {

constexpr int kSide = 256;
constexpr int kNodes = 4;

class TBrightObject final : public TTestObject {
 public:
  TBrightObject() : TTestObject(nullptr) {}
  double ValueAt(int, double z, double y) override { return 1.0 + 0.001 * (z - y); }
};

void BM_SuperposeComponent256(benchmark::State &state) {
  const int psfSide = static_cast<int>(state.range(0));
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("nonisoplanar_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  // Nodes out to the image corner (radius 128 sqrt 2), each PSF a Gaussian-like blob whose
  // peak drifts outwards from node to node.
  Mem<TFileData> table(kNodes, 1);
  Mem<float> psf(psfSide, psfSide);
  for (int i = 0; i < kNodes; ++i) {
    const double width = 0.25 * psfSide * (1.0 + 0.3 * i);
    for (int r = 0; r < psfSide; ++r)
      for (int c = 0; c < psfSide; ++c) {
        const double dc = c - psfSide / 2, dr = r - psfSide / 2 - 0.2 * i;
        psf.data[r * psfSide + c] = static_cast<float>(std::exp(-(dc * dc + dr * dr) / (width * width)));
      }
    TFileData &record = table.data[i];
    record.fileName = (directory / ("node" + std::to_string(i) + ".imc")).string();
    record.fieldY = 190.0 * i / (kNodes - 1);
    record.originColumn = record.originRow = psfSide / 2;
    record.peakColumn = psfSide / 2;
    record.peakRow = psfSide / 2 + (i > 2 ? 1 : 0);
    if (!record.Write(psf)) {
      state.SkipWithError("node file not written");
      return;
    }
  }
  TNodePsfLookup lookup;
  lookup.Reset(&table, 1.0);
  TImageObjectMaps maps;
  maps.SetUniform(1, kSide / 2.0, 1.0);
  TBrightObject object;
  Mem<float> raster(kSide, kSide);
  TSuperposeWork work;
  for (auto _ : state) {
    int rows = 0;
    SuperposeComponent(0, object, maps, lookup, 1.0, kSide / 2, kSide / 2, raster, work, nullptr, rows);
    benchmark::DoNotOptimize(raster.data);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
}
BENCHMARK(BM_SuperposeComponent256)->Arg(3)->Arg(7)->Arg(15)->Unit(benchmark::kMillisecond);

}  // namespace
