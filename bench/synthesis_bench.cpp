// The synthesis's own costs.
//
// The spectra of a test object's rasters (TTestObject::TransformRasters): read the raster
// file, transform it, write the spectrum file, at the two largest synthesis sizes. The
// peak resident size of the process is reported as a counter (run one size per process,
// --benchmark_filter=.../2048, to read each size's own peak).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "foundation/containers/mem.h"
#include "foundation/fft/fft.h"
#include "imaging/rasters/linear_convolution.h"
#include "imaging/testobject/test_image.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/testobject/test_object.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "platform/core/paths.h"
#include "synthesis/folder/isoplanar_synthesis.h"
#include "synthesis/lightsource/diffraction_blur.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/light_source_image.h"

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

// The light source's image at Quality 2048: a 10 mm square 1 m before the Cooke triplet,
// its rays traced onto the picture and its surround, blurred by the Airy pattern of the
// pupil they fill and cut to the picture. Three ways: the picture alone (rays off it
// lost, the blur on the 2 n grid), a fixed surround of 3 n / 2 (the blur on the 4 n grid),
// and the surround the blur reaches. Two pixels: one whose pattern is laid over many
// cells, and a coarse one whose pattern lies within a cell or two. The peak resident size
// is a counter (one benchmark per process, --benchmark_filter, to read each its own).
namespace {

struct TTriplet {
  TGlassCatalog catalog{std::string(BENCH_SOURCE_DIR) + "/resources/cglass", "schott"};
  TOpticalSystem system;
  TTriplet() {
    SetGlassCatalog(&catalog);
    std::ifstream in(std::string(BENCH_SOURCE_DIR) + "/resources/examples/cooke_triplet.os", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.replace(text.find("ObjectFinite=0"), 14, "ObjectFinite=1");
    text.replace(text.find("{ R=0; Glass=\"\"; Dx=10;"), 23, "{ R=0; Glass=\"\"; Dx=1000;");
    const std::string path = JoinPath(TempDir(), "bench_triplet_1m.os");
    std::ofstream(path, std::ios::binary) << text;
    system.ReadFile(path, 0);
    std::remove(path.c_str());
    Mem<double> axis(1, 1);
    axis.data[0] = 0.0;
    system.AutoFocus(&axis, nullptr);
    system.Prepare(0.0, 1, 0);
  }
  ~TTriplet() { SetGlassCatalog(nullptr); }
};

TLightSource Square(double half) {
  TLightSource source;
  source.SourceType = kSolidSource;
  source.ObjectNames.Allocate(1, 1);
  source.ObjectNames.data[0] = "square";
  source.ObjectTemperatures.Allocate(1, 1);
  source.ObjectTemperatures.data[0] = 0.0f;
  source.Triangles.Allocate(2, 1);
  const double a[3] = {0.0, -half, -half}, b[3] = {0.0, half, -half}, c[3] = {0.0, half, half},
               d[3] = {0.0, -half, half};
  source.Triangles.data[0].SetVertices(a, b, c);
  source.Triangles.data[1].SetVertices(a, c, d);
  source.Triangles.data[0].Object = source.Triangles.data[1].Object = 0;
  return source;
}

enum TSurroundWay { kPictureAlone = 0, kFixedSurround = 1, kBlurReachSurround = 2 };

// range(0): the way; range(1): the pixel in 0.1 um.
void BM_LightSourceImage(benchmark::State &state) {
  constexpr int kQuality = 2048, kRays = 500000;
  const auto way = static_cast<TSurroundWay>(state.range(0));
  const TSourceRaster picture{kQuality, 1e-4 * static_cast<double>(state.range(1))};
  TTriplet lens;
  TLightSource source = Square(5.0);
  if (source.Prepare() == 0) state.SkipWithError("the source emits nothing");
  AimAtFirstAperture(source, lens.system);
  lens.system.ComputeIndices(0.55, 0.0, 0.0);
  double kept = 0.0;
  for (auto _ : state) {
    Mem<float> raster;
    TSourceImageTally tally;
    if (way == kBlurReachSurround) {
      TSourceBlur blur;
      if (TraceBlurredSourceImage(source, lens.system, 0.55, kRays, 100L * kRays, picture, nullptr, raster, tally,
                                  blur) != TSourceImageResult::kDone)
        state.SkipWithError("no picture");
      kept = blur.kept;
      state.counters["reach"] = blur.reach;
    } else {
      const TSourceRaster traced{picture.n, picture.pixel, way == kFixedSurround ? 3 * picture.n / 2 : 0};
      if (TraceSourceImage(source, lens.system, 0.55, kRays, 100L * kRays, traced, nullptr, raster, tally) !=
          TSourceImageResult::kDone)
        state.SkipWithError("no picture");
      const double cutoff = DiffractionCutoff(1, tally.bundle.PupilRadius(), 0.55);
      kept = BlurByRoundPupil(raster, picture.n, picture.pixel, cutoff);
    }
  }
  state.counters["kept"] = kept;
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_LightSourceImage)
    ->ArgsProduct({{kPictureAlone, kFixedSurround, kBlurReachSurround}, {6, 100}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// The light of rays beyond the raster brought into the picture by the blur's far rings:
// a light in every bin of the far grid that lies off the picture, for an image 1.2 and 10
// times the field's size. range(0): the picture's side; range(1): the image's size over
// the field's, times 10.
void BM_FarLightBroughtIn(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  constexpr double kPixel = 0.001, kRings = 40.0;
  const double field = 0.5 * n * kPixel, half = 1.5 * field * static_cast<double>(state.range(1)) / 10.0;
  TFarLight far;
  if (!far.Reserve(kFarLightBins, half)) state.SkipWithError("no memory");
  const double bin = 2.0 * half / kFarLightBins;
  for (int row = 0; row < kFarLightBins; ++row)
    for (int column = 0; column < kFarLightBins; ++column) {
      const double y = half - (row + 0.5) * bin, z = (column + 0.5) * bin - half;
      if (std::max(std::fabs(y), std::fabs(z)) > field + 16 * kPixel) far.Add(y, z, 1.0);
    }
  Mem<float> picture(n, n);
  double added = 0.0;
  for (auto _ : state) {
    picture.Zero();
    added = far.BringInto(picture, n, kPixel, kRings / (n * kPixel));
    benchmark::DoNotOptimize(picture.data);
  }
  state.counters["added"] = added;
}
BENCHMARK(BM_FarLightBroughtIn)->ArgsProduct({{1024, 2048}, {12, 100}})->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

// The isoplanar synthesis at Quality 2048: a disc through a PSF of a Gaussian spot and a
// round detector element, each given as its raster; one component.
namespace {

class TBenchRaster final : public TTestObject {
 public:
  TBenchRaster(const std::string &stem, int n, double sigma, double disc) : TTestObject(nullptr) {
    rasterFiles.Allocate(1, 1);
    frameFiles.Allocate(1, 1);
    rasterFiles.data[0].fileName = JoinPath(TempDir(), stem + ".img");
    rasterFiles.data[0].wavelength = 0.55f;
    rasterFiles.data[0].weight = 1.0f;
    frameFiles.data[0].fileName = JoinPath(TempDir(), stem + ".spc");
    Mem<float> cells(n, n);
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        const double d2 = (c - n / 2) * (c - n / 2) + (r - n / 2) * (r - n / 2);
        cells.data[static_cast<std::size_t>(r) * n + c] =
            static_cast<float>(disc > 0.0 ? (d2 < disc * disc ? 1.0 : 0.0) : std::exp(-d2 / (2.0 * sigma * sigma)));
      }
    rasterFiles.data[0].Write(cells);
  }
  ~TBenchRaster() override {
    std::remove(rasterFiles.data[0].fileName.c_str());
    std::remove(frameFiles.data[0].fileName.c_str());
  }
  int Calculate() override { return 1; }
};

void BM_IsoplanarSynthesis(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  TTestImage image;
  image.pixelCount = n;
  image.pixelSize = 0.001;
  SetTestImage(&image);
  TBenchRaster object("bench_iso_object", n, 0.0, n / 3.0), psf("bench_iso_psf", n, 3.0, 0.0),
      detector("bench_iso_detector", n, 0.0, 2.5);
  TIsoplanarSettings settings;
  settings.pixelCount = n;
  settings.pixelSize = image.pixelSize;
  settings.directory = TempDir();
  Mem<TFileData> results;
  std::int32_t custom = 0;
  for (auto _ : state) {
    object.state = psf.state = detector.state = kRastersWritten;
    TIsoplanarParticipants who{&object, &psf, state.range(1) != 0 ? &detector : nullptr, nullptr};
    if (SynthesizeIsoplanarImage(who, settings, nullptr, results, custom) == 0) state.SkipWithError("no image");
  }
  for (int k = 0; k < RecordCount(results); ++k) std::remove(results.data[k].fileName.c_str());
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
  SetTestImage(nullptr);
}
BENCHMARK(BM_IsoplanarSynthesis)->ArgsProduct({{2048}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

// One component's product at Quality 2048 with the isoplanar benchmark's PSF (a Gaussian
// spot of 3 cells, its cells not 0 out to 43 cells): the circular product of the picture's
// and the PSF's N x N spectra that light wrapped round the edges, against the linear
// product the synthesis takes, by the road it plans, and on the one grid of side 4096 it
// took before. range(0): 0 circular, 1 linear as planned, 2 linear on one grid. The
// peak resident size is a counter (one benchmark per process to read each its own).
namespace {

Mem<float> BenchCells(int n, double sigma, double disc) {
  Mem<float> cells(n, n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const double d2 = (c - n / 2) * (c - n / 2) + (r - n / 2) * (r - n / 2);
      cells.data[static_cast<std::size_t>(r) * n + c] =
          static_cast<float>(disc > 0.0 ? (d2 < disc * disc ? 1.0 : 0.0) : std::exp(-d2 / (2.0 * sigma * sigma)));
    }
  return cells;
}

void BM_ComponentProduct(benchmark::State &state) {
  constexpr int n = 2048;
  const Mem<float> object = BenchCells(n, 0.0, n / 3.0), psf = BenchCells(n, 3.0, 0.0);
  Mem<float> re(n, n), im(n, n), product(n, n);
  for (auto _ : state) {
    if (state.range(0) == 0) {
      std::copy(object.data, object.data + static_cast<std::size_t>(n) * n, re.data);
      std::copy(psf.data, psf.data + static_cast<std::size_t>(n) * n, im.data);
      RecentreRaster(n, im.data);
      FFT2D(n, n, re.data, im.data, 0);
      // The two real rasters' spectra apart, multiplied, as one transform gave them.
      for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
          const std::size_t i = static_cast<std::size_t>(r) * n + c, j = static_cast<std::size_t>((n - r) % n) * n + (n - c) % n;
          if (j < i) continue;
          const double ar = 0.5 * (re.data[i] + re.data[j]), ai = 0.5 * (im.data[i] - im.data[j]);
          const double br = 0.5 * (im.data[i] + im.data[j]), bi = -0.5 * (re.data[i] - re.data[j]);
          const double pr = ar * br - ai * bi, pi = ar * bi + ai * br;
          re.data[i] = re.data[j] = static_cast<float>(pr);
          im.data[i] = static_cast<float>(pi);
          im.data[j] = static_cast<float>(-pi);
        }
      FFT2D(n, n, re.data, im.data, 1);
    } else {
      std::copy(object.data, object.data + static_cast<std::size_t>(n) * n, product.data);
      const TLinearResponse response{psf.data, ResponseReach(psf.data, n)};
      const bool made = state.range(0) == 1 ? ConvolveLinear(product.data, n, &response, 1, 1.0)
                                            : ConvolveLinearBy({TLinearRoad::kWholeGrid, 0}, product.data, n, &response, 1, 1.0);
      if (!made) state.SkipWithError("no memory");
    }
  }
  const int reach = ResponseReach(psf.data, n);
  const TLinearPlan plan = PlanLinearProduct(n, &reach, 1);
  state.counters["reach"] = reach;
  state.counters["grid_side"] = state.range(0) == 0 ? n : state.range(0) == 1 ? plan.side : LinearProductSide(n, reach);
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_ComponentProduct)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

// The roads side by side for one response, to measure the costs the plan weighs:
// range(0) the picture's side, range(1) the reach, range(2) the road (0 direct, 1 one
// grid, 2 tiles), range(3) the tile grid's side.
void BM_LinearProductRoads(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0)), reach = static_cast<int>(state.range(1));
  Mem<float> picture = BenchCells(n, 0.0, n / 3.0), response(n, n);
  response.Zero();
  for (int r = n / 2 - reach; r <= n / 2 + reach; ++r)
    for (int c = n / 2 - reach; c <= n / 2 + reach; ++c) response.data[static_cast<std::size_t>(r) * n + c] = 1.0f;
  const TLinearResponse laid{response.data, reach};
  const TLinearPlan plan{static_cast<TLinearRoad>(state.range(2)), static_cast<int>(state.range(3))};
  for (auto _ : state)
    if (!ConvolveLinearBy(plan, picture.data, n, &laid, 1, 1.0)) state.SkipWithError("the road cannot be taken");
  const TLinearPlan chosen = PlanLinearProduct(n, &reach, 1);
  state.counters["planned_road"] = static_cast<double>(chosen.road);
  state.counters["planned_side"] = chosen.side;
}
BENCHMARK(BM_LinearProductRoads)
    ->Args({256, 4, 0, 0})->Args({256, 4, 1, 0})->Args({256, 4, 2, 64})->Args({256, 4, 2, 32})
    ->Args({512, 4, 0, 0})->Args({512, 4, 1, 0})->Args({512, 4, 2, 64})->Args({512, 4, 2, 128})
    ->Args({2048, 2, 0, 0})->Args({2048, 2, 2, 64})->Args({2048, 43, 1, 0})->Args({2048, 43, 2, 256})
    ->Args({2048, 43, 2, 512})->Args({2048, 43, 2, 1024})->Args({2048, 200, 1, 0})->Args({2048, 200, 2, 1024})
    ->Unit(benchmark::kMillisecond);

}  // namespace
