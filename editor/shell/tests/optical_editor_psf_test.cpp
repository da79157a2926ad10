#include <filesystem>

#include "analysis/psf/show_psf.h"
#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"

namespace {

class EditorPsfTest : public EditorShellTest {
 protected:
  bool Checked(UINT command) const {
    return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
};

TEST_F(EditorPsfTest, PsfCommandTogglesTheFolderAndExcludesImageSynthesis) {
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_FALSE(Grey(CM_PSF_MTF));
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  ASSERT_NE(editor.Launchers().PsfWindow(), nullptr);
  EXPECT_NE(editor.Launchers().PsfWindow()->GetHandle(), nullptr);
  EXPECT_EQ(editor.Launchers().PsfWindow()->GetParentO(), &editor);
  EXPECT_TRUE(Checked(CM_PSF_MTF));
  EXPECT_EQ(editor.CommandFlag(CM_IMAGE_SYNTHESIS), 0);
  // A change of the system: the page computes anew at its next request.
  TShowPSF *page = editor.Launchers().PsfWindow()->Page();
  page->SendMessage(WM_COMMAND, kPsf3DPlotButton, 0);
  EXPECT_EQ(page->CalculationState(), TPsfRun::kComputed);
  editor.RefreshAnalyses();
  EXPECT_EQ(page->CalculationState(), TPsfRun::kToCompute);
  // An applied Discrete, then the diffraction on elements turned, are steps of their own
  // after an unrelated one: Undo takes back one at a time, Redo brings them again in order.
  const double automatic = editor.System().info.Discrete;
  const int diffraction = editor.System().info.Difrac;
  editor.System().SaveUndo("Radius of surface 2");
  page->SetDlgItemText(kPsfDiscreteEdit, "0.001");
  page->SendMessage(WM_COMMAND, kPsfApplyButton, 0);
  const double applied = editor.System().info.Discrete;
  ASSERT_NE(applied, automatic);
  page->CheckDlgButton(kPsfDiffractionCheck, diffraction != 0 ? BST_UNCHECKED : BST_CHECKED);
  page->SendMessage(WM_COMMAND, kPsfApplyButton, 0);
  ASSERT_NE(editor.System().info.Difrac, diffraction);
  const int turned = editor.System().info.Difrac;
  struct TStep {
    UINT command;
    double discrete;
    int difrac;
  };
  for (const TStep &step : {TStep{CM_UNDO, applied, diffraction}, TStep{CM_UNDO, automatic, diffraction},
                            TStep{CM_REDO, applied, diffraction}, TStep{CM_REDO, applied, turned}}) {
    editor.SendMessage(WM_COMMAND, step.command);
    EXPECT_EQ(editor.System().info.Discrete, step.discrete) << step.command;
    EXPECT_EQ(editor.System().info.Difrac, step.difrac) << step.command;
  }
  // As the Undo item shows it: each compute button stores a Discrete typed and not applied,
  // Apply with nothing changed takes no step after it, the recommendation switch alone one.
  const std::string discrete = "Undo PSF discrete (ctrl-Z)", settings = "Undo PSF settings (ctrl-Z)";
  int row = 0;
  for (const auto &[check, button, radio, undo] :
       {std::tuple<int, int, int, std::string>{0, kPsfColorMapButton, 0, discrete}, {0, kPsfApplyButton, 0, discrete},
        {kPsfRecommendationCheck, kPsfApplyButton, 0, settings}, {0, kPsf3DPlotButton, 0, discrete},
        {0, CM_PSF_VIEW_AS_GRAPH, kPsfRadioPsf, discrete}, {0, CM_PSF_VIEW_AS_GRAPH, kPsfRadioMtf, discrete}}) {
    const std::string typed = std::to_string(0.002 + 0.0005 * (++row));
    answers_->QueueAnswer(IDNO);  // no larger grid
    if (check != 0) page->CheckDlgButton(check, page->IsDlgButtonChecked(check) ? BST_UNCHECKED : BST_CHECKED);
    if (radio != 0) page->SendMessage(WM_COMMAND, radio, 0);
    if (button != kPsfApplyButton) page->SetDlgItemText(kPsfDiscreteEdit, typed.c_str());
    page->SendMessage(WM_COMMAND, button, 0);
    EXPECT_EQ(ItemText(CM_UNDO), undo) << row;
    EXPECT_TRUE(button == kPsfApplyButton || editor.System().info.Discrete == std::stod(typed)) << row;
  }
  // The same command closes it; the user's Cancel too after a new opening.
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  EXPECT_EQ(editor.Launchers().PsfWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_PSF_MTF));
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  ASSERT_NE(editor.Launchers().PsfWindow(), nullptr);
  editor.Launchers().PsfWindow()->SendMessage(WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(editor.Launchers().PsfWindow(), nullptr);
  EXPECT_TRUE(answers_->beeps.empty());
}

TEST_F(EditorPsfTest, CancelWhileTheFolderComputesClosesItAfterwardsWithoutLosingIt) {
  TOpticalEditor &editor = Open(triplet_);
  const double lambda = editor.System().info.LambdaW;
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  ASSERT_NE(editor.Launchers().PsfWindow(), nullptr);
  // The toolbar command arrives while the run pumps.
  editor.PostMessage(WM_COMMAND, CM_PSF_MTF, 0);
  editor.Launchers().PsfWindow()->Page()->SendMessage(WM_COMMAND, kPsf3DPlotButton, 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.Launchers().PsfWindow() == nullptr; }));
  EXPECT_EQ(editor.System().info.LambdaW, lambda);
  EXPECT_FALSE(Checked(CM_PSF_MTF));
  // Opens again afresh.
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  EXPECT_NE(editor.Launchers().PsfWindow(), nullptr);
}

TEST_F(EditorPsfTest, TheEditorStaysWhileThePsfWindowComputes) {
  // Closing the program while a PSF run pumps would take the folder from under the run:
  // the close is refused, the run stops and the folder goes once it is back.
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  ASSERT_NE(editor.Launchers().PsfWindow(), nullptr);
  editor.PostMessage(WM_CLOSE, 0, 0);
  editor.Launchers().PsfWindow()->Page()->SendMessage(WM_COMMAND, kPsf3DPlotButton, 0);
  EXPECT_NE(editor.GetHandle(), nullptr);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.Launchers().PsfWindow() == nullptr; }));
  EXPECT_NE(editor.GetHandle(), nullptr);
  EXPECT_EQ(TOpticalEditor::Current(), &editor);
}

TEST_F(EditorPsfTest, LightPipesOrATooSmallSystemRefuseIt) {
  TOpticalEditor &editor = Open(triplet_);
  editor.System().info.EnablePipe = 1;
  editor.UpdateMenus();
  EXPECT_TRUE(Grey(CM_PSF_MTF));
  answers_->beeps.clear();
  editor.Launchers().CmPsfMtf();
  EXPECT_EQ(editor.Launchers().PsfWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), 1u);
  editor.System().info.EnablePipe = 0;
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  editor.System().DeleteSurface(1);  // New gives two planes: one is too few
  answers_->beeps.clear();
  editor.Launchers().CmPsfMtf();
  EXPECT_EQ(editor.Launchers().PsfWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), 1u);
}

}  // namespace
