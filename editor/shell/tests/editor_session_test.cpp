// The main window's start and end: the restore offer after a session that did not end,
// the display's colour depth, the help and About commands of the Help menu.

#include <QTimer>
#include <chrono>
#include <functional>
#include <random>
#include <filesystem>
#include <string>

#include <pwd.h>
#include <unistd.h>

#include "editor/commands/editor_commands.h"
#include "editor/shell/about_dlg.h"
#include "editor/shell/session_restore.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/paths.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/help/help_window.h"
#include "toolkit/help/win_help.h"

namespace {

namespace fs = std::filesystem;

class EditorSessionTest : public EditorShellTest {
 protected:
  // A snapshot as a program that did not end leaves it: the example under another name.
  void LeaveSnapshot(const std::string &example, const std::string &systemName, int number,
                     fs::file_time_type when, const std::string &folder = "tmp") {
    TSystemImage image;
    ASSERT_EQ(image.Load(ExamplePath(example), 2), 1);
    image.name = systemName;
    const std::string path = Scratch(folder + "/Undo" + std::to_string(number) + ".os");
    ASSERT_EQ(image.Save(path), 1);
    fs::last_write_time(path, when);
  }
  int UndoFileCount() const {
    int count = 0;
    for (const auto &entry : fs::directory_iterator(TempDir()))
      count += IsUndoFileName(entry.path().filename().string()) ? 1 : 0;
    return count;
  }
  TScriptedFileDialog files_;
};

// The restored system comes into the editor modified, under its name; the file of that
// name, the user's last save, stays as it was until the user saves.
TEST_F(EditorSessionTest, TheRestoreOfferTakesTheNewestSnapshotWithoutSavingIt) {
  const std::string older = Scratch("Systems/Older.os");
  const std::string newer = Scratch("Systems/Newer.os");
  // The user's last save of Newer.os was the triplet; the session then went on to the
  // double Gauss before it was cut short.
  fs::create_directories(Scratch("Systems"));
  fs::copy_file(triplet_, newer);
  const std::string saved = ReadText(newer);
  const auto now = fs::file_time_type::clock::now();
  // Undo3 at noon on some day, Undo4 on the same day of the next month an hour earlier.
  LeaveSnapshot("cooke_triplet.os", older, 3, now - std::chrono::hours(24 * 31) + std::chrono::hours(1));
  LeaveSnapshot("double_gauss.os", newer, 4, now);
  answers_->QueueAnswer(IDYES);
  TOpticalEditor &editor = Open("");
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.front().text,
            "     The previous session was aborted.\nDo you want to restore the previous session?");
  EXPECT_EQ(answers_->boxes.front().caption, "Warning");
  EXPECT_EQ(ReadText(newer), saved);
  EXPECT_FALSE(fs::exists(older));
  EXPECT_EQ(editor.System().name, newer);
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 1);
  TSystemImage gauss;
  ASSERT_EQ(gauss.Load(ExamplePath("double_gauss.os"), 2), 1);
  EXPECT_EQ(editor.System().SurfaceCount(), gauss.SurfaceCount());
  // The leftovers went; the restored system's first snapshot is the only one.
  EXPECT_EQ(UndoFileCount(), 1);
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");
  // The user's Save writes the restored system there.
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  TSystemImage written;
  ASSERT_EQ(written.Load(newer, 2), 1);
  EXPECT_EQ(written.SurfaceCount(), gauss.SurfaceCount());
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 0);
}

TEST_F(EditorSessionTest, ARestoredUntitledSessionStaysWhenItsNameIsNotGiven) {
  LeaveSnapshot("cooke_triplet.os", TempPath("untitled.os"), 1, fs::file_time_type::clock::now());
  // Its animation comes back with it; declined, the offer takes it away.
  WriteText(TempPath("untitled.anm"), "[Common]\n");
  answers_->QueueAnswer(IDYES);
  TOpticalEditor &editor = Open("");
  EXPECT_TRUE(fs::exists(TempPath("untitled.anm")));
  // Nothing is asked at start: the restored lens waits, modified, for the user's Save.
  EXPECT_TRUE(files_.asked.empty());
  EXPECT_GT(editor.System().SurfaceCount(), 2);
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 1);
  EXPECT_FALSE(Grey(CM_ABERRATIONS));
}

// Two programs left folders of their own beside this one's: the newest snapshot of all is
// offered first and restored, its folder becomes this program's, and the other snapshot
// waits for the next start; declined there, it goes.
TEST_F(EditorSessionTest, TheNewestSnapshotOfEveryFolderLeftIsOfferedAndNoneIsLost) {
  const passwd *user = getpwuid(getuid());
  const std::string stem = std::string("optbench-") + (user != nullptr ? user->pw_name : "");
  const auto now = fs::file_time_type::clock::now();
  for (const char *tail : {"-older", "-newer"}) {
    fs::create_directories(Scratch(stem + tail));
    fs::permissions(Scratch(stem + tail), fs::perms::owner_all);
  }
  LeaveSnapshot("singlet.os", Scratch("Systems/Empty.os"), 2, now - std::chrono::hours(2), "tmp");
  LeaveSnapshot("cooke_triplet.os", Scratch("Systems/Older.os"), 5, now - std::chrono::hours(1), stem + "-older");
  LeaveSnapshot("double_gauss.os", Scratch("Systems/Newer.os"), 3, now, stem + "-newer");
  WriteText(Scratch(stem + "-older/Undo5.par"), "[Common]\n");  // the optimization setup beside it
  answers_->QueueAnswer(IDYES);
  TOpticalEditor &editor = Open("");
  EXPECT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(editor.System().name, Scratch("Systems/Newer.os"));
  EXPECT_EQ(fs::path(TempDir()).filename().string(), stem + "-newer");
  EXPECT_TRUE(fs::exists(Scratch(stem + "-older/Undo5.os")) && fs::exists(Scratch("tmp/Undo2.os")));
  EXPECT_TRUE(fs::exists(Scratch(stem + "-older/Undo5.par")));
  // The next start offers the older one first, then this folder's own; both declined, both go.
  DropEditor();
  SetTempDir(Scratch("tmp"));
  for (int i = 0; i < 3; ++i) answers_->QueueAnswer(IDNO);
  Open("");
  EXPECT_EQ(answers_->boxes.size(), 3u);
  EXPECT_FALSE(fs::exists(Scratch(stem + "-older/Undo5.os")));
  EXPECT_FALSE(fs::exists(Scratch(stem + "-older/Undo5.par")));
}

// A snapshot the load cannot read is told, kept for the user, and the next one offered.
TEST_F(EditorSessionTest, ASnapshotThatCannotBeReadLeavesTheNextOneOffered) {
  const passwd *user = getpwuid(getuid());
  const std::string broken = Scratch(std::string("optbench-") + (user != nullptr ? user->pw_name : "") + "-broken");
  fs::create_directories(broken);
  fs::permissions(broken, fs::perms::owner_all);
  const auto now = fs::file_time_type::clock::now();
  LeaveSnapshot("cooke_triplet.os", Scratch("Systems/Kept.os"), 2, now - std::chrono::hours(1));
  WriteText(broken + "/Undo4.os", std::string("\x7f" "ELF\x02\x01\x01", 7) + std::string(64, '\0'));
  fs::last_write_time(broken + "/Undo4.os", now);
  // This program's own folder is private, as every folder it takes is.
  const std::string home = TempDir();
  fs::permissions(home, fs::perms::owner_all);
  // This program's own newest step was cut in half: the step before it is offered next.
  LeaveSnapshot("double_gauss.os", Scratch("Systems/Cut.os"), 3, now - std::chrono::minutes(30));
  const std::string cut = Scratch("tmp/Undo3.os"), text = ReadText(cut);
  WriteText(cut, text.substr(0, text.size() / 2));
  fs::last_write_time(cut, now - std::chrono::minutes(30));
  for (int answer : {IDYES, IDOK, IDYES, IDOK, IDYES}) answers_->QueueAnswer(answer);
  TOpticalEditor &editor = Open("");
  ASSERT_EQ(answers_->boxes.size(), 5u);
  EXPECT_NE(answers_->boxes[1].text.find(broken + "/Undo4.os"), std::string::npos) << answers_->boxes[1].text;
  EXPECT_NE(answers_->boxes[3].text.find(cut), std::string::npos) << answers_->boxes[3].text;
  EXPECT_EQ(editor.System().name, Scratch("Systems/Kept.os"));
  EXPECT_GT(editor.System().SurfaceCount(), 2);
  EXPECT_EQ(TempDir(), home);
  EXPECT_TRUE(fs::exists(broken + "/Undo4.os"));
}

// Edits, Undos and Redos in a seeded order: after each the snapshot the restore would take
// is the one on the screen, and a program cut short comes back as it was shown.
TEST_F(EditorSessionTest, ARestoreAfterUndoAndRedoBringsBackWhatWasShown) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const auto lensX = [&system]() { return system.elements.data[0].referencePoint.x; };
  std::mt19937 random(20261209);
  for (int step = 0; step < 24; ++step) {
    const unsigned kind = random() % 3;
    if (kind == 0) {
      TOpticalElement &lens = system.elements.data[0];
      lens.MoveTo(lens.referencePoint.x + 0.25, lens.referencePoint.y, lens.referencePoint.z);
      system.SetUnsavedChanges(1);
      ASSERT_EQ(system.SaveUndo("Move"), 1);
    } else {
      editor.SendMessage(WM_COMMAND, kind == 1 ? CM_UNDO : CM_REDO);
    }
    Mem<STRING> files;
    const int count = ListUndoFiles(TempDir(), files);
    const std::vector<std::string> paths(files.data, files.data + count);
    EXPECT_EQ(NewestUndoFile(paths, system.options.RingSize()),
              TempPath(UndoFileName(system.options.undoIndex % system.options.RingSize())))
        << "step " << step << ", kind " << kind;
  }
  const double shown = lensX();
  // The program is cut short: its snapshots stay as they were, times and all.
  fs::create_directories(Scratch("left"));
  for (const auto &entry : fs::directory_iterator(TempDir()))
    if (IsUndoFileName(entry.path().filename().string())) {
      const std::string kept = Scratch("left/" + entry.path().filename().string());
      fs::copy_file(entry.path(), kept);
      fs::last_write_time(kept, fs::last_write_time(entry.path()));
    }
  DropEditor();
  for (const auto &entry : fs::directory_iterator(Scratch("left"))) {
    const std::string back = TempDir() + "/" + entry.path().filename().string();
    fs::copy_file(entry.path(), back, fs::copy_options::overwrite_existing);
    fs::last_write_time(back, fs::last_write_time(entry.path()));
  }
  answers_->QueueAnswer(IDYES);
  TOpticalEditor &restored = Open("");
  ASSERT_GT(restored.System().ElementCount(), 0);
  EXPECT_EQ(restored.System().elements.data[0].referencePoint.x, shown);
}

TEST_F(EditorSessionTest, DecliningTheOfferStartsAsUsual) {
  LeaveSnapshot("double_gauss.os", Scratch("Systems/Left.os"), 2, fs::file_time_type::clock::now());
  WriteText(TempPath("untitled.anm"), "[Common]\n");
  answers_->QueueAnswer(IDNO);
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_EQ(editor.System().name, triplet_);
  EXPECT_FALSE(fs::exists(Scratch("Systems/Left.os")));
  EXPECT_FALSE(fs::exists(TempPath("untitled.anm")));
}

TEST_F(EditorSessionTest, AScreenOfFewColoursIsWarnedOfAndGetsPaletteIndexes) {
  TScriptedScreenProvider screen;
  screen.bitsPerPixel = 4;
  Open(triplet_);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.front().text, "This application requires 256 colors or higher!");
  EXPECT_EQ(answers_->boxes.front().flags & MB_ICONMASK, MB_ICONHAND);
  // Below 8 bits the shared palette's colours are its indexes.
  EXPECT_FALSE(DisplayHasEightBits());
  EXPECT_EQ(SharedPaletteColor(12), SharedPalette->PaletteIndex(12));
  editor_->Destroy();
  delete editor_;
  editor_ = nullptr;

  screen.bitsPerPixel = 24;
  answers_->boxes.clear();
  Open(triplet_);
  EXPECT_TRUE(answers_->boxes.empty());
  EXPECT_TRUE(DisplayHasEightBits());
  EXPECT_EQ(SharedPaletteColor(12), RGB(255, 0, 0));
}

TEST_F(EditorSessionTest, HelpOpensAtTheContentsAndTheExamples) {
  InstallHelp();
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_EQ(editor.HelpFile(), JoinPath(ProgramDir(), "korvex.hlp"));
  EXPECT_EQ(ApplicationHelpFile(), editor.HelpFile());
  EXPECT_FALSE(Grey(CM_HELP_CONTENTS));
  // Both pages are on the Help menu.
  EXPECT_EQ(ItemText(CM_EXAMPLES), "&Examples");
  // The help opens beside the Tools palette, not over it.
  if (editor.EditTools().toolsPalette == nullptr || !editor.EditTools().toolsPalette->IsWindowVisible())
    editor.SendMessage(WM_COMMAND, CM_TOOLS_PALETTE);
  const TWindow *tools = editor.EditTools().toolsPalette;
  ASSERT_NE(tools, nullptr);
  ASSERT_TRUE(tools->IsWindowVisible());
  editor.SendMessage(WM_COMMAND, CM_HELP_CONTENTS);
  THelpWindow *help = CurrentHelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->GetParentO(), &editor);
  EXPECT_EQ(help->PageTitle(), "Korvex Help");
  const RECT a = help->GetWindowRect(), b = tools->GetWindowRect();
  EXPECT_TRUE(a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top);
  editor.SendMessage(WM_COMMAND, CM_EXAMPLES);
  EXPECT_EQ(CurrentHelpWindow(), help);
  EXPECT_EQ(help->PageTitle(), "Example systems");
  // The help goes with the frame.
  editor.SendMessage(WM_CLOSE);
  EXPECT_EQ(CurrentHelpWindow(), nullptr);
}

TEST_F(EditorSessionTest, TheSettingsMayNameAnotherHelpFile) {
  InstallHelp();
  const std::string other = Scratch("OtherHelp/korvex.hlp");
  fs::create_directories(Scratch("OtherHelp/pages"));
  WriteText(other, "contents = pages/start.html\n");
  WriteText(Scratch("OtherHelp/pages/start.html"), "<html><head><title>Other help</title></head></html>");
  TEditorSettings settings;
  settings.helpFileName = other;
  ASSERT_EQ(WriteEditorSettings(SettingsFilePath(ProgramDir()), settings), 1);
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_EQ(editor.HelpFile(), other);
  editor.SendMessage(WM_COMMAND, CM_HELP_CONTENTS);
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  EXPECT_EQ(CurrentHelpWindow()->PageTitle(), "Other help");
  // And it is kept there.
  editor.SendMessage(WM_CLOSE);
  TEditorSettings reread;
  ASSERT_EQ(ReadEditorSettings(SettingsFilePath(ProgramDir()), reread), 1);
  EXPECT_EQ(reread.helpFileName, other);
}

TEST_F(EditorSessionTest, AboutRunsModallyAndReturns) {
  TOpticalEditor &editor = Open(triplet_);
  bool sawModal = false;
  std::string caption;
  QTimer::singleShot(0, [&]() {
    test_kit::RunUntil([&] {
      for (TWindow *child : editor.GetChildren())
        if (dynamic_cast<TAboutDlg *>(child) != nullptr && child->IsModal()) return true;
      return false;
    });
    for (TWindow *child : editor.GetChildren())
      if (auto *about = dynamic_cast<TAboutDlg *>(child); about != nullptr && about->IsModal()) {
        sawModal = true;
        caption = about->GetWindowText();
        about->PostMessage(WM_COMMAND, IDOK);
      }
  });
  editor.SendMessage(WM_COMMAND, CM_ABOUT);
  EXPECT_TRUE(sawModal);
  EXPECT_EQ(caption, "About Korvex");
  for (TWindow *child : editor.GetChildren())
    EXPECT_TRUE(dynamic_cast<TAboutDlg *>(child) == nullptr || child->GetHandle() == nullptr);
}

}  // namespace

#include "editor/dialogs/preferences_folder.h"

namespace {

// Runs `answer` on the preferences once their modal loop runs.
void AnswerPreferences(TOpticalEditor &editor, const std::function<void(TPreferencesFolder &)> &answer,
                       bool &seen) {
  QTimer::singleShot(0, [&editor, answer, &seen]() {
    auto find = [&editor]() -> TPreferencesFolder * {
      for (TWindow *child : editor.GetChildren())
        if (auto *folder = dynamic_cast<TPreferencesFolder *>(child); folder != nullptr && folder->IsModal())
          return folder;
      return nullptr;
    };
    test_kit::RunUntil([&] { return find() != nullptr; });
    if (TPreferencesFolder *folder = find()) {
      seen = true;
      answer(*folder);
    }
  });
}

TEST_F(EditorSessionTest, SettingsRunModallyAndOkTakesTheOptions) {
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_FALSE(Grey(CM_SETTINGS));
  ASSERT_EQ(editor.System().options.ShowCardinalPlanes, 0);
  bool seen = false;
  // Cancel changes nothing.
  AnswerPreferences(editor, [](TPreferencesFolder &folder) {
    folder.CheckDlgButton(TPreferencesFolder::kCardinalPlanes, BST_CHECKED);
    folder.PostMessage(WM_COMMAND, IDCANCEL);
  }, seen);
  editor.SendMessage(WM_COMMAND, CM_SETTINGS);
  EXPECT_TRUE(seen);
  EXPECT_EQ(editor.System().options.ShowCardinalPlanes, 0);
  // OK takes the switch; the menu's check follows.
  seen = false;
  AnswerPreferences(editor, [](TPreferencesFolder &folder) {
    folder.CheckDlgButton(TPreferencesFolder::kCardinalPlanes, BST_CHECKED);
    folder.PostMessage(WM_COMMAND, IDOK);
  }, seen);
  editor.SendMessage(WM_COMMAND, CM_SETTINGS);
  EXPECT_TRUE(seen);
  EXPECT_EQ(editor.System().options.ShowCardinalPlanes, 1);
  EXPECT_NE(GetMenuState(Menu(), CM_CARDINAL_PLANES, MF_BYCOMMAND) & MF_CHECKED, 0u);
  for (TWindow *child : editor.GetChildren())
    EXPECT_TRUE(dynamic_cast<TPreferencesFolder *>(child) == nullptr || child->GetHandle() == nullptr);
}

}  // namespace
