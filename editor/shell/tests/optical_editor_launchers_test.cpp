#include <cmath>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/spot/spot_diagram.h"
#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"

namespace {

// Recomputing the same system gives the same numbers up to rounding.
constexpr double kSameResult = 1e-12;

class EditorLaunchersTest : public EditorShellTest {
 protected:
  bool Checked(UINT command) const {
    return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
};

TEST_F(EditorLaunchersTest, EachLauncherOpensAndClosesItsWindowAndTheCheckFollows) {
  TOpticalEditor &editor = Open(triplet_);
  ASSERT_GE(editor.System().SurfaceCount(), 2);
  EXPECT_FALSE(Grey(CM_ABERRATIONS));
  EXPECT_FALSE(Grey(CM_SPOT_DIAGRAM));

  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  ASSERT_NE(editor.AberrationsWindow(), nullptr);
  EXPECT_NE(editor.AberrationsWindow()->GetHandle(), nullptr);
  EXPECT_EQ(editor.AberrationsWindow()->GetParentO(), &editor);
  EXPECT_TRUE(Checked(CM_ABERRATIONS));
  EXPECT_FALSE(Checked(CM_SPOT_DIAGRAM));

  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.SpotWindow(), nullptr);
  EXPECT_NE(editor.SpotWindow()->GetHandle(), nullptr);
  EXPECT_TRUE(Checked(CM_SPOT_DIAGRAM));
  // The window works on the editor's own spot settings record.
  EXPECT_EQ(editor.SpotWindow()->Settings(), &editor.Settings().spot);

  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  EXPECT_EQ(editor.AberrationsWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_ABERRATIONS));
  EXPECT_TRUE(Checked(CM_SPOT_DIAGRAM));

  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  EXPECT_EQ(editor.SpotWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_SPOT_DIAGRAM));
  EXPECT_TRUE(answers_->beeps.empty());
}

TEST_F(EditorLaunchersTest, AWindowClosingItselfIsLetGoOfAndOpensAgain) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  ASSERT_NE(editor.SpotWindow(), nullptr);
  ASSERT_NE(editor.AberrationsWindow(), nullptr);
  // The user's close box.
  editor.SpotWindow()->SendMessage(WM_CLOSE);
  editor.AberrationsWindow()->SendMessage(WM_CLOSE);
  EXPECT_EQ(editor.SpotWindow(), nullptr);
  EXPECT_EQ(editor.AberrationsWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_SPOT_DIAGRAM));
  EXPECT_FALSE(Checked(CM_ABERRATIONS));
  // The next command opens a fresh window rather than closing a gone one.
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.SpotWindow(), nullptr);
  EXPECT_NE(editor.SpotWindow()->GetHandle(), nullptr);
  EXPECT_TRUE(Checked(CM_SPOT_DIAGRAM));
}

TEST_F(EditorLaunchersTest, ASystemTooSmallBeepsAndOpensNothing) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  ASSERT_LT(editor.System().SurfaceCount(), 2);
  answers_->beeps.clear();
  editor.CmAberrations();
  EXPECT_EQ(editor.AberrationsWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), 1u);
  editor.CmSpotDiagram();
  EXPECT_EQ(editor.SpotWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), 2u);
  EXPECT_FALSE(Checked(CM_ABERRATIONS));
  EXPECT_FALSE(Checked(CM_SPOT_DIAGRAM));
}

TEST_F(EditorLaunchersTest, AnUndoRecomputesTheOpenWindows) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.SpotWindow(), nullptr);
  ASSERT_NE(editor.AberrationsWindow(), nullptr);
  const double spotBefore = editor.SpotWindow()->Computation().meridionalSpan;
  const double before = system.Surface(1)->general.R;
  // A strong change of the first radius, kept as an undo step.
  system.Surface(1)->general.R = before * 0.8;
  system.Update();
  ASSERT_EQ(system.SaveUndo("Radius"), 1);
  editor.RefreshAnalyses();
  const double spotChanged = editor.SpotWindow()->Computation().meridionalSpan;
  ASSERT_GT(spotBefore, 0.0);
  // A fifth off the first radius spreads the spots well beyond rounding.
  EXPECT_GT(std::fabs(spotChanged - spotBefore), 0.01 * spotBefore);

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  ASSERT_DOUBLE_EQ(system.Surface(1)->general.R, before);
  // The windows now show the system as it was.
  EXPECT_APPROX(editor.SpotWindow()->Computation().meridionalSpan, spotBefore, kSameResult);
  EXPECT_NE(editor.AberrationsWindow()->GetHandle(), nullptr);
}

}  // namespace
