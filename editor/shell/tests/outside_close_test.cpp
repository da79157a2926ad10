// Every kind of window the editor opens, closed from outside as a window manager or a drawn
// close box closes it: each goes once, the timers that tick afterwards find nothing deleted,
// and the editor goes on.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <typeinfo>

#include "editor/edit/editor_palettes.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "toolkit/bars/show_help_wnd.h"
#include "viewer3d/frame/optical_viewer3d.h"
#include "viewer3d/palette/viewer_commands.h"

namespace {

// Enough ticks for a tip to show (a handful of resting ticks and one to show it).
constexpr int kMostTicksToTip = 30;

using OutsideCloseTest = EditorShellTest;

TEST_F(OutsideCloseTest, EveryKindOfWindowClosedFromOutsideGoesOnceAndTheEditorGoesOn) {
  TScriptedScreenProvider screen;
  TOpticalEditor &editor = Open(triplet_);
  editor.System().info.Nd = 64;
  editor.System().SetUnsavedChanges(1);
  for (UINT command : {CM_EDIT_AS_TABLE, CM_ABERRATIONS, CM_SPOT_DIAGRAM, CM_PSF_MTF, CM_3D_IMAGE, CM_ZOOM_PALETTE,
                       CM_CONFIGURATIONS_PALETTE})
    editor.SendMessage(WM_COMMAND, command);
  ASSERT_NE(editor.Launchers().ViewerWindow(), nullptr);
  editor.Launchers().ViewerWindow()->SendMessage(WM_COMMAND, CM_MOVE_TOOLS);
  // The tools palette's tip, the cursor resting on its first button.
  TToolsBox *tools = editor.EditTools().toolsPalette;
  ASSERT_NE(tools, nullptr);
  const RECT button = tools->GetToolBox()->FirstGadget()->GetBounds();
  screen.cursor = tools->GetToolBox()->ClientToScreen(POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2});
  for (int tick = 0; tick < kMostTicksToTip && tools->TipWindow() == nullptr; ++tick) test_kit::FireEveryTimer();
  ASSERT_NE(tools->TipWindow(), nullptr);

  // One window of each kind (class) open now, closed in turn, the timers ticking after each.
  const HWND main = editor.GetHandle();
  const auto kindOf = [](HWND handle) {
    const auto &window = *WindowFromHandle(handle);
    return std::string(typeid(window).name());
  };
  std::set<std::string> kinds, closed;
  for (HWND handle : test_kit::ClosableWindows())
    if (handle != main) kinds.insert(kindOf(handle));
  for (const std::string &kind : kinds) {
    for (HWND handle : test_kit::ClosableWindows()) {
      if (handle == main || kind != kindOf(handle)) continue;
      closed.insert(kind);
      test_kit::CloseFromOutside(*WindowFromHandle(handle));
      test_kit::FireEveryTimer();
      ASSERT_EQ(editor.GetHandle(), main) << kind;
      break;
    }
  }
  EXPECT_EQ(closed.count(typeid(TShowHelpWnd).name()), 1u);
  EXPECT_GE(closed.size(), 6u) << ::testing::PrintToString(closed);

  // The editor itself asks about its changes: Cancel keeps it, and it opens windows again.
  answers_->QueueAnswer(IDCANCEL);
  test_kit::CloseFromOutside(editor);
  test_kit::FireEveryTimer();
  ASSERT_EQ(editor.GetHandle(), main);
  if (editor.Launchers().AberrationsWindow() == nullptr) editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  EXPECT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  CloseDiscardingChanges(editor);
}

}  // namespace
