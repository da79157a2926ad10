// The optimization panel: the default parameter file beside the system carries the
// parameters and the merit functions from one opening of the panel to the next, and the
// key that makes the views follow a run.

#include "editor/optimize/optimization_panel.h"

#include <gtest/gtest.h>

#include <tuple>

#include "document/system/tests/editor_test_support.h"
#include "platform/core/recording_providers.h"

namespace {

class OptimizationPanelTest : public EditorTest {};

}  // namespace

TEST_F(OptimizationPanelTest, TheDefaultParameterFileKeepsParametersAndFunctionsBetweenOpenings) {
  TSystemImage image;
  Open(image, "singlet.os");
  image.name = Scratch("singlet.os");
  {
    TOptimizationPanel panel(image);
    panel.Setup();
    // No file yet: the focal length of the system with weight 1.
    ASSERT_NE(panel.functions.Record(0, 0), nullptr);
    EXPECT_NEAR(panel.functions.Record(0, 0)->Focus.data[0].Target, 49.213, 1e-3);
    panel.functions.Record(0, 0)->Focus.data[0].Target = 100.0;
    panel.functions.Record(0, 0)->Focus.data[0].Weight = 0.5;
    panel.functions.SetConfigurations();
    TParameterDescription back;
    back.Set(0, 2, "R", -0.05, 0.05);
    panel.parameters.Add(back);
    EXPECT_TRUE(panel.Close());
  }
  const std::string written = ReadText(Scratch("singlet.par"));
  EXPECT_NE(written.find("[Parameters]"), std::string::npos);
  EXPECT_NE(written.find("[Functions]"), std::string::npos);
  TOptimizationPanel again(image);
  again.Setup();
  ASSERT_EQ(again.parameters.Count(), 1);
  EXPECT_EQ(again.parameters.Get(0).Type, "R");
  EXPECT_EQ(again.parameters.Get(0).Surf, 2);
  EXPECT_EQ(again.functions.Record(0, 0)->Focus.data[0].Target, 100.0);
  EXPECT_EQ(again.functions.Record(0, 0)->Focus.data[0].Weight, 0.5);
  // An unnamed system without a private temporary directory has no file: the panel asks.
  SetTempDir("");
  image.name.clear();
  TOptimizationPanel unnamed(image);
  unnamed.Setup();
  EXPECT_EQ(unnamed.functions.Count(), again.functions.Count());
  TRecordingMessageBoxProvider boxes;
  boxes.QueueAnswer(IDNO);
  EXPECT_FALSE(again.Close());
  EXPECT_EQ(boxes.boxes.size(), 1u);
  SetTempDir(Scratch("tmp"));
}

// The user's notes in the parameter file are told when the panel opens it, not again when
// an undo step's copy of the setup is read back, and they stay in the file.
TEST_F(OptimizationPanelTest, NotesAreToldAtTheOpeningAndNotAtAnUndoStep) {
  TSystemImage image;
  Open(image, "singlet.os");
  image.name = Scratch("singlet.os");
  WriteText(Scratch("singlet.par"), "[MyNotes]\nask the shop\n\n[Common]\nNumPar=1\n\n[Parameters]\n"
                                    "{ Config=0; Surf=2; Left=-0.05; Right=0.05; Type=\"R\" }\n");
  TRecordingMessageBoxProvider boxes;
  TOptimizationPanel panel(image);
  panel.Setup();
  const std::size_t told = boxes.boxes.size();
  ASSERT_GE(told, 1u);
  EXPECT_NE(boxes.boxes.back().text.find("[MyNotes]"), std::string::npos);
  ASSERT_TRUE(panel.WriteSetup(Scratch("Undo1.par"), true).Written());
  panel.RestoreSetup(Scratch("Undo1.par"));
  EXPECT_EQ(boxes.boxes.size(), told);
  EXPECT_TRUE(panel.Close());
  EXPECT_NE(ReadText(Scratch("singlet.par")).find("[MyNotes]\nask the shop\n"), std::string::npos);
}

// A run writes the list it starts from: a variable deleted after the run leaves the file too.
TEST_F(OptimizationPanelTest, AVariableDeletedAfterARunLeavesTheFile) {
  struct TStoppedHost final : TOptimizationRunHost {
    int Pump() override { return 0; }
    void BeginRun() override {}
    void EndRun() override {}
  } stopped;
  TSystemImage image;
  Open(image, "singlet.os");
  image.name = Scratch("singlet.os");
  TOptimizationPanel panel(image);
  panel.Setup();
  TParameterDescription back;
  back.Set(0, 2, "R", -0.05, 0.05);
  panel.parameters.Add(back);
  std::ignore = panel.Optimize(stopped);
  ASSERT_NE(ReadText(Scratch("singlet.par")).find("Surf=2"), std::string::npos);
  panel.parameters.Clear();
  EXPECT_TRUE(panel.Close());
  EXPECT_EQ(ReadText(Scratch("singlet.par")).find("Surf=2"), std::string::npos);
}

TEST_F(OptimizationPanelTest, AListEmptiedByTheUserStaysEmptyAtTheNextOpening) {
  TSystemImage image;
  Open(image, "singlet.os");
  image.name = Scratch("singlet.os");
  {
    TOptimizationPanel panel(image);
    panel.Setup();
    TParameterDescription back;
    back.Set(0, 2, "R", -0.05, 0.05);
    panel.parameters.Add(back);
    panel.functions.Record(0, 0)->Focus.data[0].Target = 100.0;
    panel.functions.SetConfigurations();
    EXPECT_TRUE(panel.Close());
  }
  {
    TOptimizationPanel panel(image);
    panel.Setup();
    ASSERT_EQ(panel.parameters.Count(), 1);
    // The user deletes the parameter.
    TParameterDescription gone = panel.parameters.Get(0);
    gone.Left = gone.Right = 0.0;
    panel.parameters.Add(gone);
    panel.parameters.RemoveInvalid();
    ASSERT_EQ(panel.parameters.Count(), 0);
    EXPECT_TRUE(panel.Close());
  }
  TOptimizationPanel again(image);
  again.Setup();
  EXPECT_EQ(again.parameters.Count(), 0);
  // The functions in the same file are kept.
  EXPECT_EQ(again.functions.Record(0, 0)->Focus.data[0].Target, 100.0);
}

TEST_F(OptimizationPanelTest, ARefusedParameterFileKeepsItsRecordsWhenThePanelCloses) {
  TSystemImage image;
  Open(image, "singlet.os");
  image.name = Scratch("singlet.os");
  const std::string good = "[Common]\nNumPar=2\n\n[Parameters]\n{ Config=0; Surf=1; Left=-0.04; Right=0.04; Type=\"R\" }\n";
  // A refused file, and one whose records were left out, keeps every record it holds.
  const std::tuple<const char *, const char *, int> rows[] = {
      {"{ Config=0; Surf=2; Left=abc; Right=0.05; Type=\"R\" }\n", "was not read", 0},
      {"{ Config=0; Surf=2; Left=0.05; Right=-0.05; Type=\"R\" }\n", "was not read", 0},
      {"{ Config=0; Surf=2; Left=-0.05; Type=\"R\" }\n", "left out", 1},
      {"{ Config=0; Surf=9; Left=-0.05; Right=0.05; Type=\"R\" }\n", "left out", 1}};
  for (const auto &[damaged, told, count] : rows) {
    WriteText(Scratch("singlet.par"), good + damaged);
    TOptimizationPanel panel(image);
    panel.Setup();
    EXPECT_NE(Boxes().boxes.back().text.find(told), std::string::npos) << damaged;
    EXPECT_EQ(panel.parameters.Count(), count) << damaged;
    EXPECT_TRUE(panel.Close());
    const std::string after = ReadText(Scratch("singlet.par"));
    EXPECT_NE(after.find(good.substr(9)), std::string::npos) << after;
    EXPECT_NE(after.find(damaged), std::string::npos) << after;
  }
}

TEST_F(OptimizationPanelTest, ControlPageKeysSwitchTheViewsFollowingTheRun) {
  TSystemImage image;
  Open(image, "singlet.os");
  TOptimizationPanel panel(image);
  panel.Setup();
  EXPECT_FALSE(panel.KeyDown(TOptimizationPanel::kPageUpKey, false));
  EXPECT_EQ(panel.functions.RefreshViews, 0);
  EXPECT_TRUE(panel.KeyDown(TOptimizationPanel::kPageUpKey, true));
  EXPECT_EQ(panel.functions.RefreshViews, 1);
  EXPECT_TRUE(panel.KeyDown(TOptimizationPanel::kPageDownKey, true));
  EXPECT_EQ(panel.functions.RefreshViews, 0);
  EXPECT_EQ(Beeps(Boxes()), 2);
}
