#include <filesystem>

#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/scripted_dialogs.h"

namespace {

class EditorFilesTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    gauss_ = Scratch("Systems/Double_Gauss.os");
    std::filesystem::copy_file(ExamplePath("double_gauss.os"), gauss_);
  }
  std::string gauss_;
  TScriptedFileDialog files_;
};

TEST_F(EditorFilesTest, OpenAndRecentItemsSwapTheSystems) {
  TOpticalEditor &editor = Open(triplet_);
  files_.Choose({gauss_});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  EXPECT_EQ(editor.System().name, gauss_);
  EXPECT_TRUE(CaptionIs(editor.GetWindowText(), gauss_)) << editor.GetWindowText();
  // The system it replaced is the first recent item, numbered from 1.
  EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST), "&1 " + triplet_);

  editor.SendMessage(WM_COMMAND, CM_OPEN_RECENT_FIRST);
  EXPECT_EQ(editor.System().name, triplet_);
  EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST), "&1 " + gauss_);
  EXPECT_EQ(GetMenuState(Menu(), CM_OPEN_RECENT_FIRST + 1, MF_BYCOMMAND), kMenuStateMissing);
  // Exit stays the File menu's item before the recent part.
  HMENU file = GetSubMenu(Menu(), 0);
  const int count = GetMenuItemCount(file);
  EXPECT_EQ(GetMenuItemID(file, count - 3), static_cast<UINT>(CM_EXIT));
}

TEST_F(EditorFilesTest, AFailedOpenKeepsTheNameSoSavingCannotOverwriteTheChosenFile) {
  TOpticalEditor &editor = Open(triplet_);
  const std::string broken = Scratch("Systems/Broken.os");
  WriteText(broken, "not a system\n");
  files_.Choose({broken});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_NE(answers_->boxes.back().text.find("is marked as read-only"), std::string::npos);
  EXPECT_FALSE(editor.LastOpenSucceeded());
  EXPECT_EQ(editor.System().name, triplet_);
  // The drawing commands are grey until an Open succeeds; New and Open never are.
  EXPECT_TRUE(Grey(CM_SELECT));
  EXPECT_TRUE(Grey(CM_ALIGNMENT));
  EXPECT_FALSE(Grey(CM_OPEN_SYSTEM));
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  EXPECT_EQ(ReadText(broken), "not a system\n");
}

TEST_F(EditorFilesTest, SaveAsWritesTheNewFileAndTakesItsName) {
  TOpticalEditor &editor = Open(triplet_);
  const std::string target = Scratch("Systems/Saved Copy.os");
  files_.Choose({target});
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM_AS);
  ASSERT_TRUE(std::filesystem::exists(target));
  EXPECT_EQ(editor.System().name, target);
  TSystemImage reread;
  ASSERT_EQ(reread.Load(target, 2), 1);
  EXPECT_EQ(reread.SurfaceCount(), editor.System().SurfaceCount());
  EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST), "&1 " + triplet_);
}

TEST_F(EditorFilesTest, TheCaptionNamesTheConfigurationAndTheTurn) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  ASSERT_EQ(system.StoreConfiguration(-1), 1);
  system.InsertConfiguration(0);
  system.InsertConfiguration(1);
  ASSERT_EQ(system.ConfigurationCount(), 3);
  system.SelectConfiguration(1);
  system.info.TurnSystem = 1;
  const std::string caption = editor.UpdateCaption();
  EXPECT_TRUE(CaptionIs(caption, triplet_, ", Configuration: 2/3", ", Turned")) << caption;
  editor.UpdateMenus();
  EXPECT_NE(GetMenuState(Menu(), CM_TURN_SYSTEM, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

TEST_F(EditorFilesTest, NewStartsAnUntitledSystemAndKeepsTheOldOneRecent) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  EXPECT_EQ(editor.System().SurfaceCount(), 0);
  EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST), "&1 " + triplet_);
  EXPECT_TRUE(Grey(CM_SELECT));
  EXPECT_FALSE(Grey(CM_SAVE_SYSTEM));
  // Saving an empty system writes nothing.
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text, "System not exist!");
}

}  // namespace
