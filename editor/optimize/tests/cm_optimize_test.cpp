// The optimize command on the edited system: Undo after a run gives the system as it was
// before the run, a refused run leaves the undo ring alone, and the default parameter file
// lies beside the system.

#include "editor/optimize/cm_optimize.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/system/tests/editor_test_support.h"
#include "editor/optimize/edited_configurations.h"
#include "optimization/binding/korvex_optz.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/parameters/optimization_parameters.h"
#include "platform/core/recording_providers.h"

namespace {

class TPassingHost final : public TOptimizationRunHost {
 public:
  // stopped: every pump answers as a message queue that was left.
  int Pump() override { return stopped ? 0 : 1; }
  bool stopped = false;
  void BeginRun() override { ++begun; }
  void EndRun() override { ++ended; }
  int begun = 0;
  int ended = 0;
};

class CmOptimizeTest : public EditorTest {
 protected:
  // The example opened for editing, with one snapshot in the ring; its focal length the
  // only weighted function, with the target given.
  void OpenWithFocusTarget(const std::string &example, double target) {
    Open(image, example);
    image.RebuildElements(nullptr);
    image.DeleteUndoFiles();
    ASSERT_EQ(image.SaveUndo(""), 1);
    functions.Rebuild(&system);
    for (int k = 0; k < functions.records.cols * functions.records.rows; ++k) {
      TFunctionsParameters &r = functions.records.data[k];
      for (auto *table : {&r.AberT, &r.AberW, &r.Distor, &r.Strehl}) table->Clear();
    }
    functions.SetConfigurations();
    TFunctionDescription &focus = functions.Record(0, 0)->Focus.data[0];
    focus.Target = target;
    focus.Weight = 1.0;
    functions.BuildIndex();
    parameters.SetOwner(&system);
  }
  // The singlet with target 100 and its back curvature the variable.
  void OpenSinglet() {
    OpenWithFocusTarget("singlet.os", 100.0);
    TParameterDescription back;
    back.Set(0, 2, "R", -0.05, 0.05);
    parameters.Add(back);
  }

  TSystemImage image;
  TEditedConfigurations system{image};
  TOptimizationFunctions functions;
  TOptimizationParameters parameters;
};

}  // namespace

TEST_F(CmOptimizeTest, UndoAfterARunGivesTheSystemBeforeIt) {
  OpenSinglet();
  // An edit of its own before the run: the front face flattened a little, with its snapshot.
  image.Surface(1)->SetRadius(55.0);
  image.name = Scratch("singlet.os");
  ASSERT_EQ(image.SaveUndo("Radius"), 1);
  const double backBefore = image.Surface(2)->general.R;
  // The file the run keeps its start in, marked read-only: told with its cause, and the run goes on.
  TRecordingMessageBoxProvider boxes;
  WriteText(Scratch("singlet.par"), "");
  std::filesystem::permissions(Scratch("singlet.par"), std::filesystem::perms::owner_read);
  TPassingHost host;
  ASSERT_EQ(CmOptimize(system, parameters, functions, host), kRunCompleted);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("singlet.par\" is marked as read-only!"), std::string::npos) << boxes.boxes[0].text;
  EXPECT_NE(image.Surface(2)->general.R, backBefore);
  EXPECT_EQ(image.UndoMenuText(), "Undo Optimization (ctrl-Z)");
  ASSERT_EQ(image.Undo(-1), 1);
  // The run's start, edit included: not one edit further back.
  EXPECT_APPROX(image.Surface(2)->general.R, backBefore, 1e-12);
  EXPECT_APPROX(image.Surface(1)->general.R, 55.0, 1e-12);
  // One step for the run: the one before it is the edit's.
  EXPECT_EQ(image.UndoMenuText(), "Undo Radius (ctrl-Z)");
}

TEST_F(CmOptimizeTest, ShowEachStepRedrawsTheViewsAfterEveryAcceptedStep) {
  OpenSinglet();
  int redrawn = 0;
  system.refreshViews = [&redrawn] { ++redrawn; };
  TPassingHost host;
  functions.ShowEachStep = 0;
  ASSERT_EQ(CmOptimize(system, parameters, functions, host), kRunCompleted);
  EXPECT_EQ(redrawn, 1);  // once, when the run's configuration is restored at its end
  parameters.SetValue(0, -0.02);
  functions.ShowEachStep = 1;
  redrawn = 0;
  ASSERT_EQ(CmOptimize(system, parameters, functions, host), kRunCompleted);
  EXPECT_GT(redrawn, 1);
}

TEST_F(CmOptimizeTest, AnEditWithoutSnapshotIsKeptByTheSnapshotAtTheStart) {
  OpenSinglet();
  image.Surface(1)->SetRadius(55.0);  // no snapshot of its own
  const double backBefore = image.Surface(2)->general.R;
  TPassingHost host;
  ASSERT_EQ(CmOptimize(system, parameters, functions, host), kRunCompleted);
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_APPROX(image.Surface(2)->general.R, backBefore, 1e-12);
  EXPECT_APPROX(image.Surface(1)->general.R, 55.0, 1e-12);
}

TEST_F(CmOptimizeTest, ARunThatChangesNothingLeavesTheUndoRingAndTheModifiedFlag) {
  OpenSinglet();
  const double backBefore = image.Surface(2)->general.R;
  // An edit taken back waits as a redo step in the slot a run's start snapshot takes.
  image.Surface(1)->SetRadius(55.0);
  ASSERT_EQ(image.SaveUndo("Radius"), 1);
  ASSERT_EQ(image.Undo(-1), 1);
  image.SetUnsavedChanges(0);
  // Refused (no parameter), and stopped before its first step.
  TOptimizationParameters empty;
  empty.SetOwner(&system);
  TPassingHost refused, stopped;
  stopped.stopped = true;
  EXPECT_EQ(CmOptimize(system, empty, functions, refused), kRunRefused);
  EXPECT_EQ(refused.begun, 0);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(Boxes().boxes[0].text, "It is necessary to set though one parameter!");
  EXPECT_EQ(CmOptimize(system, parameters, functions, stopped), kRunStopped);
  EXPECT_EQ(stopped.begun, 1);
  EXPECT_EQ(image.Surface(2)->general.R, backBefore);
  EXPECT_EQ(image.UndoMenuText(), "Can't Undo");
  EXPECT_EQ(image.RedoMenuText(), "Redo Radius (ctrl-Y)");
  EXPECT_EQ(image.HasUnsavedChanges(), 0);
  EXPECT_EQ(BoxCount(), 1u);
  // Failed at its first evaluation, with a gap off its bounds that the start put on one: the
  // system is left byte for byte, with its flag and ring, and the fault box says so; a
  // system saved and unchanged stays unmarked.
  TParameterDescription gap;
  gap.Set(0, 1, "T", 40.0, 50.0);
  parameters.Add(gap);
  image.Surface(1)->general.glass = "NO-SUCH-GLASS";
  for (const int modified : {1, 0}) {
    SCOPED_TRACE(modified);
    ASSERT_EQ(image.Save(Scratch("before.os")), 1);
    image.SetUnsavedChanges(modified);
    TPassingHost failing;
    // The views show the system left as it was while the fault box is up.
    std::size_t boxesAtRefresh = 0;
    const TSurface *shown = nullptr;
    system.refreshViews = [&] { boxesAtRefresh = BoxCount(), shown = image.Surface(1); };
    EXPECT_EQ(CmOptimize(system, parameters, functions, failing), kRunFailed);
    system.refreshViews = nullptr;
    EXPECT_TRUE(boxesAtRefresh + 1 == BoxCount() && shown == image.Surface(1));
    EXPECT_EQ(image.HasUnsavedChanges(), modified);
    EXPECT_EQ(image.UndoMenuText(), "Can't Undo");
    ASSERT_EQ(image.Save(Scratch("after.os")), 1);
    EXPECT_EQ(ReadText(Scratch("after.os")), ReadText(Scratch("before.os")));
    EXPECT_NE(Boxes().boxes.back().text.find("The system was left as it was before the run."), std::string::npos);
  }
  ASSERT_EQ(image.Redo(), 1);
  EXPECT_APPROX(image.Surface(1)->general.R, 55.0, 1e-12);
}

// A setup that is one word, kept beside each snapshot as the editor's keeper keeps its file.
class TWordSetup final : public TSetupKeeper {
 public:
  std::string word = "three";
  bool StoreSetup(const std::string &path) override {
    WriteText(path, word);
    return true;
  }
  void RestoreSetup(const std::string &path) override { word = ReadText(path); }
  void ConfigurationsChanging() override {}
  void ConfigurationInserted(int) override { word = "four"; }
  void ConfigurationDeleted(int) override {}
  void SurfacesRenumbered(const std::vector<int> &) override {}
  bool WriteSetupTo(const std::string &, const std::string &, TFileWriteResult &) override { return true; }
};

// A run that changes nothing between Undo and Redo of a configuration inserted: the redo
// step brings back its own setup, not the one the run's start snapshot kept.
TEST_F(CmOptimizeTest, ARunThatChangesNothingKeepsTheRedoStepsSetup) {
  TWordSetup setup;
  image.SetSetupKeeper(&setup);
  const std::shared_ptr<void> detach(nullptr, [this](void *) { image.SetSetupKeeper(nullptr); });
  OpenSinglet();
  image.InsertConfiguration(-1);
  ASSERT_EQ(image.SaveUndo("Insert", 0), 1);
  ASSERT_EQ(image.Undo(-1), 1);
  ASSERT_EQ(setup.word, "three");
  ASSERT_EQ(image.currentConfiguration, 0);
  TPassingHost stopped;
  stopped.stopped = true;
  EXPECT_EQ(CmOptimize(system, parameters, functions, stopped), kRunStopped);
  ASSERT_EQ(image.Redo(), 1);
  EXPECT_EQ(setup.word, "four");
  EXPECT_EQ(image.currentConfiguration, 1);  // the configuration inserted is shown again
}

// A setup edited after the last step (no step of its own) is kept by Undo for the Redo.
TEST_F(CmOptimizeTest, ASetupEditedAfterTheLastStepComesBackWithRedo) {
  TWordSetup setup;
  image.SetSetupKeeper(&setup);
  const std::shared_ptr<void> detach(nullptr, [this](void *) { image.SetSetupKeeper(nullptr); });
  OpenSinglet();
  image.InsertConfiguration(-1);
  ASSERT_EQ(image.SaveUndo("Insert"), 1);
  setup.word = "four, edited";
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(setup.word, "three");
  ASSERT_EQ(image.Redo(), 1);
  EXPECT_EQ(setup.word, "four, edited");
}

// The item "key...;" of a surface line, or empty.
std::string Item(const std::string &line, const std::string &key) {
  const std::size_t at = line.find(" " + key);
  return at == std::string::npos ? std::string() : line.substr(at + 1, line.find(';', at) - at);
}

// The lines of the file's surface list: each holds its radius and thickness as written.
std::vector<std::string> SurfaceLines(const std::string &text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while ((at = text.find("\n{ ", at)) != std::string::npos) {
    const std::size_t end = text.find('\n', at + 1);
    lines.push_back(text.substr(at + 1, end - at - 1));
    at = end;
  }
  return lines;
}

// Four radii, the gap before the middle lens and the image distance of the triplet
// optimized: the lens thicknesses and the other gaps, which are no variables, are written
// as the file had them, digit for digit.
TEST_F(CmOptimizeTest, ValuesThatAreNoVariablesStayBitForBit) {
  OpenWithFocusTarget("cooke_triplet.os", 52.0);
  const std::string source = ReadText(ExamplePath("cooke_triplet.os"));
  for (int surface = 1; surface <= 4; ++surface) {
    TParameterDescription radius;
    radius.Set(0, surface, "R", -0.1, 0.1);
    parameters.Add(radius);
  }
  for (int surface : {2, 6}) {
    TParameterDescription gap;
    gap.Set(0, surface, "T", 2.0, 60.0);
    parameters.Add(gap);
  }
  TPassingHost host;
  ASSERT_EQ(CmOptimize(system, parameters, functions, host), kRunCompleted);
  const std::string saved = Scratch("optimized.os");
  ASSERT_EQ(image.Save(saved), 1);
  const std::vector<std::string> before = SurfaceLines(source);
  const std::vector<std::string> after = SurfaceLines(ReadText(saved));
  ASSERT_EQ(after.size(), before.size());
  // The thicknesses and gaps that are no variables, and the radii.
  for (std::size_t i : {0u, 1u, 3u, 4u, 5u}) EXPECT_EQ(Item(after[i], "Dx="), Item(before[i], "Dx=")) << i;
  for (std::size_t i : {0u, 5u, 6u}) EXPECT_EQ(Item(after[i], "R="), Item(before[i], "R=")) << i;
  EXPECT_NE(Item(after[1], "R="), Item(before[1], "R="));
}

TEST_F(CmOptimizeTest, TheDefaultParameterFileLiesBesideTheSystem) {
  image.name = "/data/lenses/doublet.os";
  EXPECT_EQ(DefaultParameterFile(image), "/data/lenses/doublet.par");
  image.name.clear();
  EXPECT_EQ(DefaultParameterFile(image), "");
}
