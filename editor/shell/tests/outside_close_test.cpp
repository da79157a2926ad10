// Every kind of window the editor opens, closed from outside as a window manager closes it
// (its close button, Alt+F4): each goes once, the timers that tick afterwards find nothing
// deleted, and the editor goes on.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <typeinfo>

#include "editor/commands/editor_commands.h"
#include "editor/edit/editor_palettes.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/bars/show_help_wnd.h"
#include "viewer3d/frame/optical_viewer3d.h"
#include "viewer3d/palette/viewer_commands.h"

namespace {

// Enough ticks for any tip of ours to show (a handful of resting ticks and one to show it).
constexpr int kMostTicksToTip = 30;

using OutsideCloseTest = EditorShellTest;

POINT CenterOf(const TGadgetWindow &box, const TGadget &gadget) {
  const RECT r = gadget.GetBounds();
  return box.ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// A window's kind: its class.
std::string KindOf(TWindow &window) { return typeid(window).name(); }

// The kinds of the windows a user can close open now.
std::set<std::string> OpenKinds(HWND except) {
  std::set<std::string> kinds;
  for (HWND handle : test_kit::ClosableWindows())
    if (handle != except) kinds.insert(KindOf(*WindowFromHandle(handle)));
  return kinds;
}

TEST_F(OutsideCloseTest, EveryKindOfWindowClosedFromOutsideGoesOnceAndTheEditorGoesOn) {
  TScriptedScreenProvider screen;
  TOpticalEditor &editor = Open(triplet_);
  editor.System().info.Nd = 64;
  editor.System().SetUnsavedChanges(1);
  for (UINT command : {CM_EDIT_AS_TABLE, CM_ABERRATIONS, CM_SPOT_DIAGRAM, CM_PSF_MTF, CM_3D_IMAGE,
                       CM_ZOOM_PALETTE, CM_CONFIGURATIONS_PALETTE})
    editor.SendMessage(WM_COMMAND, command);
  TOpticalViewer3DForEdit2D *viewer = editor.Launchers().ViewerWindow();
  ASSERT_NE(viewer, nullptr);
  viewer->SendMessage(WM_COMMAND, CM_MOVE_TOOLS);
  // A tip on the editor's tools palette, shown by the cursor resting on a button.
  TToolsBox *tools = editor.EditTools().toolsPalette;
  ASSERT_NE(tools, nullptr);
  TOToolBox &box = *tools->GetToolBox();
  screen.cursor = CenterOf(box, *box.FirstGadget());
  for (int tick = 0; tick < kMostTicksToTip && tools->TipWindow() == nullptr; ++tick) test_kit::FireEveryTimer();
  ASSERT_NE(tools->TipWindow(), nullptr);

  // One window of each kind open now, closed in turn, the timers ticking after each.
  const HWND main = editor.GetHandle();
  std::set<std::string> closed;
  for (const std::string &kind : OpenKinds(main)) {
    for (HWND handle : test_kit::ClosableWindows()) {
      TWindow *window = WindowFromHandle(handle);
      if (window == nullptr || handle == main || kind != KindOf(*window)) continue;
      closed.insert(kind);
      test_kit::CloseFromOutside(*window);
      test_kit::FireEveryTimer();
      ASSERT_EQ(editor.GetHandle(), main) << kind;
      break;
    }
  }
  EXPECT_EQ(closed.count(typeid(TShowHelpWnd).name()), 1u);
  if (TToolsBox *still = editor.EditTools().toolsPalette) {
    EXPECT_EQ(still->TipWindow(), nullptr);
  }
  EXPECT_GE(closed.size(), 6u) << ::testing::PrintToString(closed);

  // The editor itself, asked about its changes: Cancel keeps it, and it goes on opening
  // windows.
  answers_->QueueAnswer(IDCANCEL);
  test_kit::CloseFromOutside(editor);
  test_kit::FireEveryTimer();
  ASSERT_EQ(editor.GetHandle(), main);
  if (editor.Launchers().AberrationsWindow() == nullptr) editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  EXPECT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  CloseDiscardingChanges(editor);
}

}  // namespace
