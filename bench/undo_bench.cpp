// The undo step of an edit, its Undo and its Redo on a large system with an optimization
// setup: 122 surfaces (60 lenses), three configurations, 20 variables and a merit page per
// configuration, with the setup in the optimization panel (shown) or in the parameter file
// beside the system (hidden). Each iteration changes a radius, takes the step, undoes it and
// does it again; the counters give each part's wall time in milliseconds.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "document/system/system_image.h"
#include "editor/optimize/cm_optimize.h"
#include "editor/optimize/optimization_panel.h"
#include "editor/optimize/optimization_setup.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"

namespace {

const std::string kRoot = BENCH_SOURCE_DIR;
constexpr int kLenses = 60;

std::string LargeSystemText() {
  std::string text =
      "[Common]\nName=Sixty weak lenses\nMonochromeSystem=1\nLambdaW=0.5875618\nLambda=0.5875618\nWeight=1\n"
      "N1=1\nCoord=0\nUnit=0\nAlfaM=0, 1, 2;\nNray=21\nNsurf=" +
      std::to_string(2 * kLenses + 2) + "\nEndSection=1\nObjectFinite=0\nImageFinite=1\nAutoSetPupilParameters=0\nNaper=2; Dentr=4\n\n[Surfaces]\n{ R=0; Glass=\"\"; Dx=10; DextY=12; }\n";
  for (int i = 0; i < kLenses; ++i)
    text += "{ R=5000; Glass=\"N-BK7_schott\"; Dx=2; DextY=10; }\n{ R=-5000; Glass=\"\"; Dx=3; DextY=10; }\n";
  return text + "{ R=0; Glass=\"\"; DextY=20; }\n\n[Remark]\nSixty weak lenses.\n[End]\n";
}

double Ms(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

void BM_EditUndoRedo(benchmark::State &state) {
  const bool shown = state.range(0) != 0;
  const std::filesystem::path place = std::filesystem::temp_directory_path() / ("undo_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(place / "tmp");
  SetTempDir((place / "tmp").string());
  const std::string path = (place / "Large.os").string();
  std::ofstream(path) << LargeSystemText();
  TGlassCatalog catalog(kRoot + "/resources/cglass", "schott");
  SetGlassCatalog(&catalog);
  {
    TSystemImage system;
    system.Load(path, kNameFromFileName);
    system.Update();
    system.StoreConfiguration(0);
    system.InsertConfiguration(1);
    system.InsertConfiguration(2);
    TOptimizationSetup setup(system);
    TOptimizationPanel panel(system);
    panel.Setup();
    for (int i = 0; i < 20; ++i) {
      TParameterDescription variable;
      variable.Set(i % 3, 1 + 2 * i, "R", -0.01, 0.01);
      panel.parameters.Add(variable);
    }
    if (system.ConfigurationCount() != 3 || system.SurfaceCount() != 2 * kLenses + 2 ||
        !panel.WriteSetup(DefaultParameterFile(system), true).Written()) {
      state.SkipWithError(("the large system could not be set up: " + std::to_string(system.ConfigurationCount()) + " configurations, " +
                           std::to_string(system.SurfaceCount()) + " surfaces").c_str());
    } else {
      setup.shownPanel = [&panel, shown] { return shown ? &panel : nullptr; };
      static_cast<void>(system.SaveUndo("Start"));
      double step = 0, undo = 0, redo = 0;
      int k = 0;
      for (auto _ : state) {
        auto at = std::chrono::steady_clock::now();
        system.Surface(5)->SetRadius(++k % 2 == 0 ? 4000.0 : 4500.0);
        system.Update();
        static_cast<void>(system.SaveUndo("Radius"));
        step += Ms(at);
        at = std::chrono::steady_clock::now();
        system.Undo(-1);
        undo += Ms(at);
        at = std::chrono::steady_clock::now();
        system.Redo();
        redo += Ms(at);
      }
      const double n = static_cast<double>(state.iterations());
      state.counters["step_ms"] = step / n;
      state.counters["undo_ms"] = undo / n;
      state.counters["redo_ms"] = redo / n;
      system.DeleteUndoFiles();
    }
  }
  SetGlassCatalog(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(place, ignored);
}

}  // namespace

BENCHMARK(BM_EditUndoRedo)->ArgName("shown")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
