// Reading a system file as File > Open does, and the Undo and Redo that read a snapshot
// back: the shipped double Gauss (13 surfaces) and a system of 400 surfaces (199 lenses),
// each with three configurations, written once to a scratch file by the system's own writer
// and then read again and again.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "document/system/system_image.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"

namespace {

const std::string kRoot = BENCH_SOURCE_DIR;
constexpr int kLenses = 199;

std::string LargeSystemText() {
  std::string text =
      "[Common]\nName=Weak lenses\nMonochromeSystem=1\nLambdaW=0.5875618\nLambda=0.5875618\nWeight=1\n"
      "N1=1\nCoord=0\nUnit=0\nAlfaM=0, 1, 2;\nNray=21\nNsurf=" +
      std::to_string(2 * kLenses + 2) +
      "\nEndSection=1\nObjectFinite=0\nImageFinite=1\nAutoSetPupilParameters=0\nNaper=2; Dentr=4\n\n[Surfaces]\n"
      "{ R=0; Glass=\"\"; Dx=10; DextY=12; }\n";
  for (int i = 0; i < kLenses; ++i)
    text += "{ R=5000; Glass=\"N-BK7_schott\"; Dx=2; DextY=10; }\n{ R=-5000; Glass=\"\"; Dx=3; DextY=10; }\n";
  return text + "{ R=0; Glass=\"\"; DextY=20; }\n\n[Remark]\nWeak lenses.\n[End]\n";
}

// A scratch folder with the glass catalog set and the system of `source` saved with three
// configurations as `file`; removed with everything in it at the end.
struct TScratch {
  std::filesystem::path place;
  std::string file;
  TGlassCatalog catalog{kRoot + "/resources/cglass", "schott"};
  bool ready = false;

  explicit TScratch(const std::string &source, bool large) {
    place = std::filesystem::temp_directory_path() / ("system_file_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(place / "tmp");
    SetTempDir((place / "tmp").string());
    SetGlassCatalog(&catalog);
    std::string from = source;
    if (large) {
      from = (place / "Hand.os").string();
      std::ofstream(from) << LargeSystemText();
    }
    file = (place / "Three.os").string();
    TSystemImage system;
    if (system.Load(from, kNameFromFileName) != 1) return;
    system.Update();
    system.StoreConfiguration(0);
    system.InsertConfiguration(1);
    system.InsertConfiguration(2);
    ready = system.ConfigurationCount() == 3 && system.Save(file) == 1;
  }
  ~TScratch() {
    SetGlassCatalog(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(place, ignored);
  }
};

std::string SourceOf(int which) {
  return which == 0 ? kRoot + "/resources/examples/double_gauss.os" : std::string();
}

// File > Open of the saved system: the read, its checks and the configurations.
void BM_OpenSystemFile(benchmark::State &state) {
  TScratch scratch(SourceOf(static_cast<int>(state.range(0))), state.range(0) != 0);
  if (!scratch.ready) {
    state.SkipWithError("the system could not be saved with three configurations");
    return;
  }
  for (auto _ : state) {
    TSystemImage system;
    if (system.Load(scratch.file, kNameFromFileName) != 1 || system.ConfigurationCount() != 3) {
      state.SkipWithError("the saved system did not read back");
      break;
    }
  }
}

// An Undo and a Redo of a radius change, each reading a snapshot back.
void BM_UndoRedoRead(benchmark::State &state) {
  TScratch scratch(SourceOf(static_cast<int>(state.range(0))), state.range(0) != 0);
  if (!scratch.ready) {
    state.SkipWithError("the system could not be saved with three configurations");
    return;
  }
  TSystemImage system;
  system.Load(scratch.file, kNameFromFileName);
  system.Update();
  static_cast<void>(system.SaveUndo("Start"));
  system.Surface(3)->SetRadius(system.Surface(3)->general.R * 1.01);
  system.Update();
  static_cast<void>(system.SaveUndo("Radius"));
  for (auto _ : state) {
    if (system.Undo(-1) != 1 || system.Redo() != 1) {
      state.SkipWithError("Undo or Redo failed");
      break;
    }
  }
  system.DeleteUndoFiles();
}

}  // namespace

// 0: the double Gauss; 1: 400 surfaces.
BENCHMARK(BM_OpenSystemFile)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoRedoRead)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
