// The whole road of a user, offscreen: the Cooke triplet opened, the aberrations, spot
// diagram and PSF windows open, a radius typed into the properties folder; every window
// follows the change, Undo brings everything back, and closing the frame takes every
// window with it (the sanitizer build finds any leak).

#include <cmath>
#include <filesystem>
#include <string>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/psf/show_psf.h"
#include "analysis/spot/spot_diagram.h"
#include "editor/commands/editor_commands.h"
#include "editor/edit/editor_palettes.h"
#include "editor/edit/editor_tools.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/properties_table.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/properties/tests/table_typing.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/bars/gadgets.h"
#include "toolkit/palettes/tool_bar_wnd.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
// Recomputing the same system gives the same numbers up to rounding.
constexpr double kSameResult = 1e-12;

TEST_F(EditorShellTest, OpenAnalyseEditUndoAndCloseEverything) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  ASSERT_TRUE(OpenAnalysisWindows(editor));
  TShowPSF *psf = editor.Launchers().PsfWindow()->Page();
  psf->SendMessage(WM_COMMAND, kPsf3DPlotButton, 0);
  ASSERT_EQ(psf->CalculationState(), TPsfRun::kComputed);
  const double spotBefore = editor.Launchers().SpotWindow()->Computation().meridionalSpan;
  const double fanBefore = editor.Launchers().AberrationsWindow()->Computation().TransMmax;

  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  TSystemPropertiesFolder *folder = PropertiesFolder();
  ASSERT_NE(folder, nullptr);
  test_kit::RunFor(20);
  ASSERT_EQ(folder->CurrentPage(), kSurfacesPage);
  TPropertiesTable &table = *folder->SurfacesPage()->Table();
  // The first face flatter, typed as the user types it.
  ASSERT_TRUE(TypeIntoCell(table, kRadiusColumn, 1, "40"));
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.Surface(1)->general.R == 40.0; }, kWaitMs));
  test_kit::RunFor(50);

  // Every window shows the changed lens.
  EXPECT_GT(std::fabs(editor.Launchers().SpotWindow()->Computation().meridionalSpan - spotBefore), 0.01 * spotBefore);
  EXPECT_GT(std::fabs(editor.Launchers().AberrationsWindow()->Computation().TransMmax - fanBefore), 0.01 * std::fabs(fanBefore));
  EXPECT_EQ(psf->CalculationState(), TPsfRun::kToCompute);

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(system.Surface(1)->general.R, 22.01359);
  EXPECT_EQ(table.CellText(kRadiusColumn, 1), "22.01359");
  EXPECT_APPROX(editor.Launchers().SpotWindow()->Computation().meridionalSpan, spotBefore, kSameResult);
  EXPECT_APPROX(editor.Launchers().AberrationsWindow()->Computation().TransMmax, fanBefore, kSameResult);
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");

  // The changes are not kept; closing takes every window with it.
  CloseDiscardingChanges(editor);
}

TEST_F(EditorShellTest, TheMenuFollowsAnEmptySystemAndOneWithLightPipes) {
  TOpticalEditor &editor = Open(triplet_);
  // A system without surfaces.
  editor.System().Clear();
  editor.UpdateMenus();
  for (UINT command : {CM_SELECT, CM_DELETE, CM_CUT, CM_COPY, CM_PASTE, CM_ALIGNMENT, CM_DECENTER, CM_TILT,
                       CM_NEW_SINGLE_SURFACE, CM_NEW_ELEMENT, CM_BEST_IMAGE_PLANE, CM_PSF_MTF, CM_SPOT_DIAGRAM,
                       CM_SELECT_ZOOM, CM_ZOOM_OUT, CM_ACTUAL_SIZE, CM_CARDINAL_PLANES, CM_ABERRATIONS,
                       CM_REAL_BEAMS, CM_3D_IMAGE, CM_VIEW_PROPERTIES_OF_SELECTED, CM_UNDO, CM_REDO})
    EXPECT_TRUE(Grey(command)) << command;
  for (UINT command : {CM_NEW_SYSTEM, CM_OPEN_SYSTEM, CM_SAVE_SYSTEM, CM_SAVE_SYSTEM_AS, CM_TURN_SYSTEM,
                       CM_HELP_CONTENTS, CM_ABOUT, CM_EDIT_AS_TABLE})
    EXPECT_FALSE(Grey(command)) << command;

  // A rod with light-pipe walls: no PSF and no image synthesis, the other analyses stay.
  const std::string pipe = ScratchExample("light_pipe.os", "Light_Pipe.os");
  TScriptedFileDialog files;
  files.Choose({pipe});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_EQ(editor.System().name, pipe);
  ASSERT_NE(editor.System().info.EnablePipe, 0);
  EXPECT_TRUE(Grey(CM_PSF_MTF));
  EXPECT_TRUE(Grey(CM_IMAGE_SYNTHESIS));
  EXPECT_FALSE(Grey(CM_ABERRATIONS));
  EXPECT_FALSE(Grey(CM_SPOT_DIAGRAM));
  // Freshly opened: nothing to undo.
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");
  EXPECT_TRUE(Grey(CM_UNDO));
}

// A damaged file refused by Open leaves the system shown, and with it every command, menu
// item and palette button as it was before the Open.
TEST_F(EditorShellTest, ARefusedOpenKeepsEveryCommandOfTheSystemKept) {
  TOpticalEditor &editor = Open(triplet_);
  editor.System().elements.data[0].mark = 1;
  editor.System().hasSelection = 1;
  editor.UpdateMenus();
  const UINT commands[] = {CM_ABERRATIONS, CM_SPOT_DIAGRAM, CM_PSF_MTF,   CM_BEST_IMAGE_PLANE, CM_SELECT,
                           CM_DELETE,      CM_NEW_ELEMENT,  CM_REAL_BEAMS, CM_3D_IMAGE,        CM_SAVE_SYSTEM_AS};
  TOToolBox &tools = *editor.EditTools().toolsPalette->GetToolBox();
  const auto state = [&] {
    std::string flags;
    for (UINT command : commands) {
      flags += Grey(command) ? 'g' : 'e';
      const TGadget *button = tools.GadgetWithId(static_cast<int>(command));
      flags += button == nullptr ? '-' : button->GetEnabled() ? 'e' : 'g';
    }
    return flags;
  };
  const std::string before = state();
  ASSERT_EQ(before.substr(0, 2), "ee");
  std::string text = ReadText(triplet_);
  text.replace(text.find("Dx=6.00755"), 10, "Dx=6.0x0755");
  const std::string damaged = Scratch("Systems/Damaged.os");
  WriteText(damaged, text);
  TScriptedFileDialog files;
  files.Choose({damaged});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  ASSERT_EQ(editor.System().name, triplet_);
  EXPECT_EQ(state(), before);
  editor.SendMessage(WM_COMMAND, CM_REFRESH);
  EXPECT_EQ(state(), before);
}

// The road of a review, as a user takes it: the triplet opened, its first lens deleted (the
// stop stays on the negative lens's rear face), undone, a beam animation run through (every
// field comes back), the lens deleted again and the program cut short; the next start
// restores that system, modified, under its name, and the file on disk is untouched.
TEST_F(EditorShellTest, DeleteUndoAnimateAndRestoreAfterACrash) {
  namespace fs = std::filesystem;
  const std::string saved = ReadText(triplet_);
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const int surfaces = system.SurfaceCount();
  ASSERT_EQ(system.info.Naper, 5);
  const TSurface *stop = system.Surface(4);
  const auto deleteFirstLens = [&]() {
    system.elements.data[0].mark = 1;
    system.hasSelection = 1;
    editor.SendMessage(WM_COMMAND, CM_DELETE);
  };
  deleteFirstLens();
  ASSERT_EQ(system.SurfaceCount(), surfaces - 2);
  EXPECT_EQ(system.Surface(system.info.Naper - 1), stop);
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  ASSERT_EQ(system.SurfaceCount(), surfaces);
  EXPECT_EQ(system.info.Naper, 5);

  WriteText(Scratch("Systems/Cooke_Triplet.anm"),
            "[Common]\nContinuous=0;\n\n[Beam]\nNray=3\nBeam=0, 10; NStep=4\n");
  editor.SendMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  ASSERT_EQ(system.info.AlfaM.cols * system.info.AlfaM.rows, 3);
  EXPECT_EQ(system.info.AlfaM.data[2], 20.0);

  deleteFirstLens();
  ASSERT_EQ(system.SurfaceCount(), surfaces - 2);
  // The program is cut short: its undo files stay behind.
  fs::create_directories(Scratch("left"));
  for (const auto &entry : fs::directory_iterator(TempDir()))
    if (IsUndoFileName(entry.path().filename().string()))
      fs::copy_file(entry.path(), Scratch("left") + "/" + entry.path().filename().string());
  editor_->Destroy();
  delete editor_;
  editor_ = nullptr;
  for (const auto &entry : fs::directory_iterator(Scratch("left")))
    fs::copy_file(entry.path(), TempDir() + "/" + entry.path().filename().string(),
                  fs::copy_options::overwrite_existing);

  answers_->QueueAnswer(IDYES);
  TOpticalEditor &restored = Open("");
  EXPECT_EQ(restored.System().name, triplet_);
  EXPECT_EQ(restored.System().SurfaceCount(), surfaces - 2);
  EXPECT_EQ(restored.System().HasUnsavedChanges(), 1);
  EXPECT_EQ(ReadText(triplet_), saved);
}

}  // namespace
