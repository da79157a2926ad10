// Frames per second of a plot: an 800 x 600 graph cleared, given axes with ticks, labels
// and a grid, and a curve of 1000 points, then shown. Memory-only graphs draw into their
// bitmap and copy it to the window; the other kind draws into both at once.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

#include "platform/gui/windows/test_kit.h"
#include "toolkit/graph/graph.h"
#include "toolkit/graph/graph_tracer.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kCurvePoints = 1000;

// The windows need the platform's application, made offscreen.
void Application() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  test_kit::EnsureApplication();
}

// A damped oscillation sampled over 0 ... 10.
double Curve(double x) { return std::exp(-0.25 * x) * std::sin(3.0 * x); }

void DrawFrame(TGraph &graph, TOFont &font) {
  graph.ErasePlot();
  graph.SetPen(PS_SOLID, 1, RGB(0, 0, 0));
  graph.DrawAxes(0.0, 2, 0.0, 2, 11, &font);
  TGraphTracer tracer(&graph, RGB(200, 0, 0));
  tracer.MoveTo(0.0, Curve(0.0));
  for (int i = 1; i < kCurvePoints; ++i) {
    const double x = 10.0 * i / (kCurvePoints - 1);
    tracer.LineTo(x, Curve(x));
  }
}

void BM_GraphFrame(benchmark::State &state) {
  Application();
  const bool memoryOnly = state.range(0) != 0;
  TGraph *graph = NewGraph(static_cast<TWindow *>(nullptr), 40, 40, kWidth, kHeight,
                           WS_POPUP | (memoryOnly ? std::uint32_t{kGraphMemoryOnly} : 0u), RGB(255, 255, 255),
                           nullptr);
  graph->SetPlotArea(60, 20, kWidth - 90, kHeight - 60, true, true);
  graph->SetWorld(0.0, 10.0, -1.0, 1.0);
  TOFont font(nullptr, 12);
  for (auto _ : state) {
    DrawFrame(*graph, font);
    if (memoryOnly) graph->Refresh();
    benchmark::DoNotOptimize(graph->GetDCs().second->Image()->constBits());
  }
  state.SetItemsProcessed(state.iterations() * kCurvePoints);
  state.SetLabel(memoryOnly ? "memory then refresh" : "window and memory");
  delete graph;
}
BENCHMARK(BM_GraphFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
