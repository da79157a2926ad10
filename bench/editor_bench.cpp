// Redrawing the editor's canvas with the double Gauss example: 3 beams of 11 rays each
// traced and drawn with the lenses, their glass and the image plane. The first benchmark
// is the whole picture on the canvas's bitmap, the second the system's drawing alone (the
// fans built and traced, the figures handed to a canvas that keeps nothing).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "document/system/system_image.h"
#include "editor/canvas/edit_graph.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/render3d/o_palette.h"

namespace {

const std::string kRoot = BENCH_SOURCE_DIR;
constexpr int kRaysPerBeam = 11;

// The windows need the platform's application, made offscreen.
void Application() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  test_kit::EnsureApplication();
}

struct DoubleGauss {
  TGlassCatalog catalog{kRoot + "/resources/cglass", "schott"};
  TSystemImage system;
  DoubleGauss() {
    SetGlassCatalog(&catalog);
    system.Load(kRoot + "/resources/examples/double_gauss.os", kNameKept);
    system.Update();
    system.beams.Reset(kRaysPerBeam, 1);
    system.options.FillComponent = 1;
    system.options.ShowCourseBeam = 1;
  }
  ~DoubleGauss() { SetGlassCatalog(nullptr); }
};

class TCountingCanvas final : public TEditCanvas {
 public:
  POINT WorldToDevice(double x, double y) const override {
    return POINT{static_cast<LONG>(4.0 * x), static_cast<LONG>(-4.0 * y)};
  }
  void DrawWorldPolyline(const DPOINT *, int count, COLORREF) override { points += count; }
  long long points = 0;
};

void BM_CanvasRedrawDoubleGauss(benchmark::State &state) {
  Application();
  if (SharedPalette == nullptr) CreateSharedPalette();
  DoubleGauss lens;
  auto *frame = new TWindow(nullptr, "bench");
  auto *canvas = new TEditGraph(frame, RGB(0, 0, 64));
  frame->Create();
  canvas->CreateBitmap(640, 400);
  canvas->SetSystem(&lens.system);
  lens.system.RebuildElements(canvas);
  for (auto _ : state) {
    canvas->Redraw();
    benchmark::DoNotOptimize(canvas->GetDCs().second);
  }
  state.SetItemsProcessed(state.iterations());
  frame->Destroy();
  delete frame;
}
BENCHMARK(BM_CanvasRedrawDoubleGauss)->Unit(benchmark::kMillisecond);

void BM_SystemDrawDoubleGauss(benchmark::State &state) {
  DoubleGauss lens;
  lens.system.RebuildElements(nullptr);
  TCountingCanvas canvas;
  for (auto _ : state) {
    lens.system.Draw(&canvas, 0xFFFFFF, 0xFFFFFF, 0xFF0000, 1);
    benchmark::DoNotOptimize(canvas.points);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SystemDrawDoubleGauss)->Unit(benchmark::kMillisecond);

}  // namespace
