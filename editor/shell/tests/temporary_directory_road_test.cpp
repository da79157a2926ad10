// The program started where no private temporary directory can be made, from a folder of the
// user's own files and of links another user planted: every command either works without
// the directory or is refused with its cause, and the folder is left byte for byte.

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "optics/model/model_globals.h"
#include "platform/core/scripted_dialogs.h"

namespace {

namespace fs = std::filesystem;

// What a folder holds, entry by entry: kind, permissions, and the bytes of a file or the
// target of a link.
std::map<std::string, std::string> FolderState(const std::string &folder) {
  std::map<std::string, std::string> state;
  for (const auto &entry : fs::recursive_directory_iterator(folder)) {
    const fs::file_status status = entry.symlink_status();
    const std::string held = fs::is_symlink(status)        ? fs::read_symlink(entry.path()).string()
                             : fs::is_regular_file(status) ? ReadText(entry.path().string())
                                                           : "";
    state[fs::relative(entry.path(), folder).string()] = std::to_string(static_cast<int>(status.type())) + " " +
                                                         std::to_string(static_cast<unsigned>(status.permissions())) +
                                                         " " + held;
  }
  return state;
}

class NoTemporaryDirectoryTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    startFolder_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(startFolder_);
    EditorShellTest::TearDown();
  }
  fs::path startFolder_;
  TScriptedFileDialog files_;
};

TEST_F(NoTemporaryDirectoryTest, NothingOutsideAPrivateDirectoryIsWrittenOrDeleted) {
  // The user's folder: files named as the program's work files, a system, and links to
  // another user's files (one dangling).
  const std::string folder = Scratch("U"), other = Scratch("other");
  fs::create_directories(folder);
  fs::create_directories(other);
  for (const char *name : {"print.tmp", "~~system.tmp", "~~kept.tmp", "~~Turn.tmp", "tmpdup.tmp", "~polyfrt.tmp",
                           "aberrat.txt", "section.txt", "~element.tmp", "obj.img", "img0.img", "old.spc"})
    WriteText(folder + "/" + name, std::string("the user's own ") + name + "\n");
  fs::copy_file(ExamplePath("cooke_triplet.os"), folder + "/Undo1.os");
  const std::string mine = folder + "/mine.os";
  fs::copy_file(ExamplePath("double_gauss.os"), mine);
  WriteText(other + "/report.txt", "another user's file\n");
  fs::create_symlink(other + "/report.txt", folder + "/sysprop.tmp");
  fs::create_symlink(other + "/nothing", folder + "/~~dens.bak");
  const auto before = FolderState(folder);
  const auto otherBefore = FolderState(other);
  fs::current_path(folder);

  // TMP lies under a file: no directory can be made there, and there is no runtime one.
  const std::string blocker = Scratch("blocker");
  WriteText(blocker, "a file\n");
  const std::string tried = blocker + "/below";
  const std::string tmp = std::getenv("TMP") != nullptr ? std::getenv("TMP") : "";
  const char *runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string keptRuntime = runtime != nullptr ? runtime : "";
  ::setenv("TMP", tried.c_str(), 1);
  ::unsetenv("XDG_RUNTIME_DIR");
  const std::string made = SetupTemporaryDirectory();
  ::setenv("TMP", tmp.c_str(), 1);
  if (runtime != nullptr) ::setenv("XDG_RUNTIME_DIR", keptRuntime.c_str(), 1);
  ASSERT_EQ(made, "");
  const std::string problem = TempDirProblem();
  EXPECT_NE(problem.find(tried), std::string::npos) << problem;
  EXPECT_NE(problem.find(std::strerror(ENOTDIR)), std::string::npos) << problem;

  // The start opens the system given and says the cause once; Open works without a word.
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_EQ(editor.System().name, triplet_);
  ASSERT_GE(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, problem);
  files_.Choose({mine});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  EXPECT_EQ(editor.System().name, mine);

  // Print, PSF and MTF, Image synthesis and Turn system need the directory: refused with its cause.
  for (const UINT command : {CM_PRINT, CM_PSF_MTF, CM_IMAGE_SYNTHESIS, CM_TURN_SYSTEM}) {
    const std::size_t boxes = answers_->boxes.size();
    editor.SendMessage(WM_COMMAND, command);
    ASSERT_EQ(answers_->boxes.size(), boxes + 1) << command;
    EXPECT_EQ(answers_->boxes.back().text, problem) << command;
  }
  EXPECT_EQ(editor.Launchers().PsfWindow(), nullptr);
  EXPECT_FALSE(editor.Launchers().SynthesisOpen());

  // New and closing work; with the start's box the four refusals are the only ones, so Open,
  // New and closing said nothing.
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  EXPECT_TRUE(CaptionIs(editor.GetWindowText(), "Untitled")) << editor.GetWindowText();
  editor.SendMessage(WM_CLOSE);
  EXPECT_EQ(editor.GetHandle(), nullptr);
  EXPECT_EQ(answers_->boxes.size(), 5u);

  EXPECT_EQ(FolderState(folder), before);
  EXPECT_EQ(FolderState(other), otherBefore);
}

}  // namespace
