// The configuration commands on the Cooke triplet: insert, add, delete and stepping, with
// the caption's "c/n"; gaps typed into the surfaces table in two configurations of the
// double Gauss stay with their configuration, through Save and Open.

#include <vector>

#include "editor/commands/editor_commands.h"
#include "editor/optimize/cm_optimize.h"
#include "editor/optimize/optimization_panel.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/properties/tests/table_typing.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"
#include "platform/core/scripted_dialogs.h"

namespace {

constexpr double kPlaceTolerance = 1e-9;

using ConfigurationCommandsTest = EditorShellTest;

// The first lens's place across the axis in configuration k as stored (an offset from the
// base for k > 0).
double StoredShift(const TSystemImage &system, int lens, int k) {
  return system.configurations.data[k].positions.data[lens].y;
}

int FirstLens(const TSystemImage &system) {
  for (int e = 0; e < system.ElementCount(); ++e)
    if (system.elements.data[e].SurfaceCount() == 2) return e;
  return -1;
}

// Inserts a configuration after the current one and shifts the first lens in it.
void InsertShifted(TOpticalEditor &editor, TRecordingMessageBoxProvider &answers, double shift) {
  TSystemImage &system = editor.System();
  answers.QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_INSERT_CONFIGURATION);
  TOpticalElement &lens = system.elements.data[FirstLens(system)];
  const DPOINT3 at = lens.referencePoint;
  lens.MoveTo(at.x, shift, at.z);
  system.StoreConfiguration(-1);
}

TEST_F(ConfigurationCommandsTest, InsertOnTwoOfThreeGivesThreeOfFour) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const int lens = FirstLens(system);
  ASSERT_GE(lens, 0);
  InsertShifted(editor, *answers_, 1.0);
  InsertShifted(editor, *answers_, 2.0);
  ASSERT_EQ(system.ConfigurationCount(), 3);
  EXPECT_NE(editor.UpdateCaption().find(", Configuration: 3/3"), std::string::npos);

  editor.SendMessage(WM_COMMAND, CM_BASE_CONFIGURATION);
  EXPECT_EQ(system.currentConfiguration, 0);
  EXPECT_APPROX(system.elements.data[lens].referencePoint.y, 0.0, kPlaceTolerance);
  editor.SendMessage(WM_COMMAND, CM_NEXT_CONFIGURATION);
  ASSERT_EQ(system.currentConfiguration, 1);
  EXPECT_APPROX(system.elements.data[lens].referencePoint.y, 1.0, kPlaceTolerance);

  // The optimization panel's functions and variables of each configuration stay with it
  // when one is inserted before it and when the new one is deleted again.
  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  TSystemPropertiesFolder &folder = *PropertiesFolder();
  folder.SendMessage(WM_COMMAND, kOptimizationButtonId);
  TOptimizationPanel &panel = *folder.OptimizationPanel();
  for (int c = 0; c < 3; ++c) panel.functions.Record(c, 0)->Focus.data[0].Target = 10.0 * (c + 1);
  TParameterDescription third;
  third.Set(2, 1, "R", -0.1, 0.1);
  panel.parameters.Add(third);
  answers_->QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_INSERT_CONFIGURATION);
  ASSERT_EQ(system.ConfigurationCount(), 4);
  EXPECT_EQ(system.currentConfiguration, 2);
  EXPECT_EQ(panel.functions.Record(3, 0)->Focus.data[0].Target, 30.0);
  EXPECT_EQ(panel.parameters.Get(0).Config, 3);
  // The caption shows it (the drawing scale follows the configuration's text).
  EXPECT_EQ(editor.GetWindowText().rfind("Korvex - " + triplet_ + ", Configuration: 3/4", 0), 0u);
  // The new third is a copy of the second; the old third is the fourth now.
  EXPECT_APPROX(StoredShift(system, lens, 2), 1.0, kPlaceTolerance);
  EXPECT_APPROX(StoredShift(system, lens, 3), 2.0, kPlaceTolerance);
  EXPECT_EQ(answers_->boxes.back().text, "New configuration will be created.");
  EXPECT_EQ(answers_->boxes.back().caption, "New configuration");
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Insert new configuration (ctrl-Z)");
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_INSERT_CONFIGURATION));
  answers_->QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_DELETE_CONFIGURATION);
  ASSERT_EQ(system.ConfigurationCount(), 3);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(panel.functions.Record(c, 0)->Focus.data[0].Target, 10.0 * (c + 1)) << c;
  EXPECT_EQ(panel.parameters.Get(0).Config, 2);
}

// With the panel hidden, the last configuration deleted takes its only variable out of the
// parameter file, and Undo brings it back: a configuration added later starts without it.
TEST_F(ConfigurationCommandsTest, DeletingTheLastConfigurationHiddenTakesItsVariableFromTheFile) {
  TOpticalEditor &editor = Open(triplet_);
  InsertShifted(editor, *answers_, 1.0);
  InsertShifted(editor, *answers_, 2.0);
  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  PropertiesFolder()->SendMessage(WM_COMMAND, kOptimizationButtonId);
  TParameterDescription third;
  third.Set(2, 1, "R", -0.1, 0.1);
  PropertiesFolder()->OptimizationPanel()->parameters.Add(third);
  PropertiesFolder()->SendMessage(WM_COMMAND, kOptimizationButtonId);
  const std::string par = DefaultParameterFile(editor.System());
  ASSERT_NE(ReadText(par).find("Config=2;"), std::string::npos);
  answers_->QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_DELETE_CONFIGURATION);
  ASSERT_EQ(editor.System().ConfigurationCount(), 2);
  EXPECT_EQ(ReadText(par).find("Config=2;"), std::string::npos);
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_NE(ReadText(par).find("Config=2;"), std::string::npos);
}

TEST_F(ConfigurationCommandsTest, NextAtTheLastBeepsAndPreviousAtTheBaseBeeps) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  InsertShifted(editor, *answers_, 1.0);
  ASSERT_EQ(system.currentConfiguration, 1);
  std::size_t beeps = answers_->beeps.size();
  editor.SendMessage(WM_COMMAND, CM_NEXT_CONFIGURATION);
  EXPECT_EQ(answers_->beeps.size(), beeps + 1);
  EXPECT_EQ(system.currentConfiguration, 1);
  EXPECT_EQ(editor.EditTools().rememberedConfiguration, 1);
  editor.SendMessage(WM_COMMAND, CM_PREV_CONFIGURATION);
  EXPECT_EQ(system.currentConfiguration, 0);
  beeps = answers_->beeps.size();
  editor.SendMessage(WM_COMMAND, CM_PREV_CONFIGURATION);
  EXPECT_EQ(answers_->beeps.size(), beeps + 1);
  EXPECT_EQ(system.currentConfiguration, 0);
}

TEST_F(ConfigurationCommandsTest, AnsweringNoChangesNothingAndDeleteNeverTakesTheBase) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  answers_->QueueAnswer(IDNO);
  editor.SendMessage(WM_COMMAND, CM_INSERT_CONFIGURATION);
  EXPECT_LE(system.ConfigurationCount(), 1);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_INSERT_CONFIGURATION));

  InsertShifted(editor, *answers_, 1.0);
  InsertShifted(editor, *answers_, 2.0);
  answers_->QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_DELETE_CONFIGURATION);
  EXPECT_EQ(system.ConfigurationCount(), 2);
  EXPECT_EQ(system.currentConfiguration, 1);
  EXPECT_EQ(editor.EditTools().rememberedConfiguration, 1);  // what Actual size and the panel step from
  EXPECT_EQ(editor.GetWindowText().rfind("Korvex - " + triplet_ + ", Configuration: 2/2", 0), 0u);
  EXPECT_EQ(answers_->boxes.back().text, "Current configuration will be deleted.");

  editor.SendMessage(WM_COMMAND, CM_BASE_CONFIGURATION);
  const int index = system.options.undoIndex;
  answers_->QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_DELETE_CONFIGURATION);
  EXPECT_EQ(system.ConfigurationCount(), 2);
  EXPECT_EQ(system.currentConfiguration, 0);
  EXPECT_EQ(system.options.undoIndex, index + 1);  // still a step

  // Add goes after the last one, whatever is current.
  answers_->QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_ADD_CONFIGURATION);
  EXPECT_EQ(system.ConfigurationCount(), 3);
  EXPECT_EQ(system.currentConfiguration, 2);
  EXPECT_EQ(editor.EditTools().rememberedConfiguration, 2);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Add new configuration (ctrl-Z)");

  // One command, one step: Undo takes the added configuration away and shows the one shown
  // before (the base); Redo brings it back shown; Add answered No records nothing; Undo of
  // Delete on 3/3 shows 3/3.
  const auto undoTo = [&](UINT command, int count, int shown) {
    editor.SendMessage(WM_COMMAND, command);
    EXPECT_EQ(system.ConfigurationCount(), count) << command;
    EXPECT_NE(editor.GetWindowText().find(", Configuration: " + std::to_string(shown + 1) + "/" + std::to_string(count)),
              std::string::npos) << editor.GetWindowText();
  };
  undoTo(CM_UNDO, 2, 0);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Delete configuration (ctrl-Z)");
  undoTo(CM_REDO, 3, 2);
  editor.SendMessage(WM_COMMAND, CM_PREV_CONFIGURATION);
  answers_->QueueAnswer(IDNO);
  editor.SendMessage(WM_COMMAND, CM_ADD_CONFIGURATION);
  EXPECT_EQ(system.options.undoIndex, index + 2);
  EXPECT_EQ(system.currentConfiguration, 1);
  editor.SendMessage(WM_COMMAND, CM_NEXT_CONFIGURATION);
  answers_->QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_DELETE_CONFIGURATION);
  undoTo(CM_UNDO, 3, 2);
  editor.SendMessage(WM_COMMAND, CM_BASE_CONFIGURATION);
  undoTo(CM_UNDO, 2, 0);
}

// The thickness column as the table shows it, the last row's gap to the image included.
std::vector<std::string> Gaps(TPropertiesTable &table) {
  std::vector<std::string> gaps;
  for (int row = 0; row + 1 < table.RowCount(); ++row) gaps.push_back(table.CellText(kThicknessColumn, row));
  return gaps;
}

// A zoom design's road: configuration 2 gets its own gaps (before the first lens, in the
// middle, the image distance), configuration 1 its own middle gap; stepping between them,
// and saving and opening, gives each its gaps back, value by value.
TEST_F(ConfigurationCommandsTest, GapsTypedInTwoConfigurationsStayWithTheirsThroughSaveAndOpen) {
  const std::string gauss = ScratchExample("double_gauss.os", "Double_Gauss.os");
  TOpticalEditor &editor = Open(gauss);
  const auto table = [&]() -> TPropertiesTable & {
    if (PropertiesFolder() == nullptr) editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
    test_kit::RunFor(20);
    return *PropertiesFolder()->SurfacesPage()->Table();
  };
  // The typed text shows in the cell before its Enter, still queued, commits it: the next
  // command, sent past the queue, waits for the commit's undo step.
  const auto type = [&](int row, const char *gap) {
    const int undoIndex = editor.System().options.undoIndex;
    ASSERT_TRUE(TypeIntoCell(table(), kThicknessColumn, row, gap));
    ASSERT_TRUE(test_kit::RunUntil([&] {
      return editor.System().options.undoIndex != undoIndex && table().CellText(kThicknessColumn, row) == gap;
    }));
  };
  std::vector<std::string> first = Gaps(table());
  ASSERT_EQ(first[11], "63.2543");
  answers_->QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_ADD_CONFIGURATION);
  type(0, "12");
  type(9, "5");
  type(11, "60");
  const std::vector<std::string> second = Gaps(table());
  editor.SendMessage(WM_COMMAND, CM_BASE_CONFIGURATION);
  EXPECT_EQ(Gaps(table()), first);
  type(9, "2");
  first[9] = "2";
  editor.SendMessage(WM_COMMAND, CM_NEXT_CONFIGURATION);
  EXPECT_EQ(Gaps(table()), second);
  // Saved, another system opened, and this one again.
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  TScriptedFileDialog files;
  files.Choose({triplet_});
  files.Choose({gauss});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_EQ(editor.System().ConfigurationCount(), 2);
  EXPECT_EQ(Gaps(table()), first);
  editor.SendMessage(WM_COMMAND, CM_NEXT_CONFIGURATION);
  EXPECT_EQ(Gaps(table()), second);
}

}  // namespace

// With the optimization panel shown, the configuration Undo, Redo or Open shows is the one
// Next steps from, and Actual size changes none.
TEST_F(ConfigurationCommandsTest, TheConfigurationShownAfterUndoRedoOrOpenIsTheOneStepsGoFrom) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  for (int k = 0; k < 2; ++k) answers_->QueueAnswer(IDYES), editor.SendMessage(WM_COMMAND, CM_ADD_CONFIGURATION);
  for (UINT command : {CM_SAVE_SYSTEM, CM_EDIT_AS_TABLE, CM_BASE_CONFIGURATION}) editor.SendMessage(WM_COMMAND, command);
  TScriptedFileDialog files;
  files.Choose({triplet_});
  for (const UINT command : {CM_UNDO, CM_REDO, CM_OPEN_SYSTEM}) {
    if (PropertiesFolder() == nullptr) editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
    if (!PropertiesFolder()->OptimizationPanelShown()) PropertiesFolder()->SendMessage(WM_COMMAND, kOptimizationButtonId);
    editor.SendMessage(WM_COMMAND, command);
    const int shown = system.currentConfiguration;
    editor.SendMessage(WM_COMMAND, CM_ACTUAL_SIZE);
    EXPECT_EQ(system.currentConfiguration, shown) << command;
    editor.SendMessage(WM_COMMAND, CM_NEXT_CONFIGURATION);
    EXPECT_EQ(system.currentConfiguration, std::min(shown + 1, system.ConfigurationCount() - 1)) << command;
  }
}
