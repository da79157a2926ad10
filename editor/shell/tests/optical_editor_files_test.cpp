#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/small_disk.h"
#include "optics/model/model_globals.h"
#include "optics/systemfile/system_file_check.h"
#include "optics/systemfile/system_file_format.h"
#include "platform/core/paths.h"
#include "platform/core/scripted_dialogs.h"

namespace {

class EditorFilesTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    gauss_ = ScratchExample("double_gauss.os", "Double_Gauss.os");
  }
  std::string gauss_;
  TScriptedFileDialog files_;
};

TEST_F(EditorFilesTest, OpenAndRecentItemsSwapTheSystems) {
  TOpticalEditor &editor = Open(triplet_);
  files_.Choose({gauss_});
  // A warning the system before left waiting is not the opened system's to show.
  AppendPendingMessage("Chief ray in beam 1 does not pass!");
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  EXPECT_EQ(editor.System().name, gauss_);
  EXPECT_EQ(editor.GetStatusBar()->GetText().find("does not pass"), std::string::npos);
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
  // The reader's message, naming the file; no false read-only warning after it.
  EXPECT_NE(answers_->boxes.back().text.find(broken), std::string::npos);
  EXPECT_EQ(answers_->boxes.back().text.find("read-only"), std::string::npos);
  EXPECT_TRUE(editor.Files().LastOpenSucceeded());
  EXPECT_EQ(editor.System().name, triplet_);
  // The system kept keeps its commands; New and Open are never grey.
  EXPECT_FALSE(Grey(CM_SELECT));
  EXPECT_FALSE(Grey(CM_ALIGNMENT));
  EXPECT_FALSE(Grey(CM_OPEN_SYSTEM));
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  EXPECT_EQ(ReadText(broken), "not a system\n");
}

TEST_F(EditorFilesTest, SaveAsWritesTheNewFileAndTakesItsName) {
  TOpticalEditor &editor = Open(triplet_);
  const std::string target = Scratch("Systems/Saved Copy.os");
  // Another system's file there, with the sections its reader kept: replaced whole.
  WriteText(target, ReadText(triplet_) + "[Config_-2]\nNaper=2\n\n[Config_3 left out]\n\n[MyNotes]\ntheirs\n");
  files_.Choose({target});
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM_AS);
  ASSERT_TRUE(std::filesystem::exists(target));
  for (const char *theirs : {"[Config_-2]", "[Config_3 left out]", "[MyNotes]"})
    EXPECT_EQ(ReadText(target).find(theirs), std::string::npos) << ReadText(target);
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
  // The unnamed system's files are the program's own, in its private temporary directory: a
  // user's file of their names, beside the program or where it started, outlives New and a
  // restart; the previous unnamed system's variables go with it.
  const std::string start = Scratch("start"), here = std::filesystem::current_path().string();
  std::filesystem::create_directories(start);
  std::filesystem::current_path(start);
  std::vector<std::string> mine;
  for (const char *extension : {".os", ".par", ".fun", ".anm"})
    for (const std::string &folder : {ProgramDir(), start}) WriteText(mine.emplace_back(folder + "/untitled" + extension), "mine\n");
  WriteText(TempPath("untitled.par"), "[Common]\nNumPar=1\n\n[Parameters]\n{ Config=0; Surf=1; Left=-1; Right=1; Type=\"R\" }\n");
  Open("");
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  std::filesystem::current_path(here);
  for (const std::string &path : mine) EXPECT_EQ(ReadText(path), "mine\n") << path;
  EXPECT_FALSE(std::filesystem::exists(TempPath("untitled.par")));
  TSystemImage &system = editor.System();
  // An object plane and an image plane 10 behind it, to insert elements between.
  ASSERT_EQ(system.SurfaceCount(), 2);
  EXPECT_EQ(system.Surface(0)->general.vertex[0], 0.0);
  EXPECT_EQ(system.Surface(1)->general.vertex[0], 10.0);
  EXPECT_EQ(system.name, TempPath("untitled.os"));
  EXPECT_TRUE(CaptionIs(editor.GetWindowText(), "Untitled")) << editor.GetWindowText();
  EXPECT_EQ(system.info.Nray, 5);
  EXPECT_EQ(system.info.Naper, 1);
  EXPECT_EQ(system.info.AutoSetPupilParameters, 1);
  EXPECT_EQ(system.info.Coord, 0);
  ASSERT_EQ(system.info.Spectrum.cols * system.info.Spectrum.rows, 1);
  EXPECT_EQ(system.info.Spectrum.data[0].lambda, 0.54);
  EXPECT_EQ(system.info.LambdaW, 0.54);
  EXPECT_EQ(system.HasUnsavedChanges(), 0);
  EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST), "&1 " + triplet_);
  EXPECT_FALSE(Grey(CM_SAVE_SYSTEM));
  EXPECT_FALSE(Grey(CM_ABERRATIONS));  // a system, if one of two planes only
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");
  // Saving a system of the two planes alone writes nothing.
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text, "System not exist!");
  EXPECT_FALSE(std::filesystem::exists(system.name));
  // The analyses and tools take the two planes without harm.
  for (UINT command : {CM_ABERRATIONS, CM_SPOT_DIAGRAM, CM_BEST_IMAGE_PLANE, CM_TURN_SYSTEM, CM_TURN_SYSTEM})
    editor.SendMessage(WM_COMMAND, command);
  EXPECT_EQ(system.SurfaceCount(), 2);
}

TEST_F(EditorFilesTest, EveryFailedOpenKeepsTheSystemAndItsName) {
  TOpticalEditor &editor = Open(triplet_);
  const int surfaces = editor.System().SurfaceCount();
  const double radius = editor.System().Surface(1)->general.R;
  // Only the object and image surfaces: no system at all.
  const std::string empty = Scratch("Systems/Empty.os");
  {
    TSystemImage image;
    ASSERT_EQ(image.Load(ExamplePath("cooke_triplet.os"), 2), 1);
    while (image.SurfaceCount() > 2) image.DeleteSurface(1);
    image.info.Naper = 0;  // the stop went with its surface
    ASSERT_EQ(image.Save(empty), 1);
  }
  const std::string other = Scratch("Systems/Triplet.txt");  // a system under another extension
  std::filesystem::copy_file(triplet_, other);
  for (const std::string &chosen :
       {Scratch("Systems/Missing.os"), Scratch("Systems"), empty, other}) {
    answers_->boxes.clear();
    files_.Choose({chosen});
    editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
    EXPECT_EQ(editor.System().name, triplet_) << chosen;
    EXPECT_EQ(editor.System().SurfaceCount(), surfaces) << chosen;
    EXPECT_EQ(editor.System().Surface(1)->general.R, radius) << chosen;
    // One message each, and a true one: a file without a system says so, one that cannot
    // be opened is named.
    ASSERT_EQ(answers_->boxes.size(), 1u) << chosen;
    if (chosen == empty)
      EXPECT_EQ(answers_->boxes.back().text, "System is empty!");
    else
      EXPECT_NE(answers_->boxes.back().text.find(chosen), std::string::npos) << chosen;
    // The system kept keeps its commands.
    EXPECT_FALSE(Grey(CM_ABERRATIONS)) << chosen;
  }
  // An upper-case extension is still the system's own.
  const std::string upper = Scratch("Systems/Upper.OS");
  std::filesystem::copy_file(triplet_, upper);
  files_.Choose({upper});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  EXPECT_EQ(editor.System().name, upper);
  EXPECT_FALSE(Grey(CM_ABERRATIONS));
}

// An Open that cannot read the chosen file says that, and why (no word of read-only).
TEST_F(EditorFilesTest, AnOpenThatCannotReadTheFileSaysWhy) {
  TOpticalEditor &editor = Open(triplet_);
  const std::string text = Scratch("Systems/Triplet.txt");
  std::filesystem::copy_file(triplet_, text);
  std::filesystem::create_directory(Scratch("Systems/Folder.os"));
  const std::string locked = Scratch("Systems/Locked.os");
  std::filesystem::copy_file(triplet_, locked);
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  struct TCase {
    std::string chosen;
    std::string says;
  } cases[] = {
      {Scratch("Systems/Missing.os"), "cannot be read: No such file or directory."},
      {Scratch("Systems/Folder.os"), "cannot be read: it is a folder."},
      {text, "cannot be opened: it is not an optical system file (*.os)."},
      {locked, "cannot be read: Permission denied."},
  };
  for (const TCase &c : cases) {
    // The administrator reads any file: no permission stops it.
    if (c.chosen == locked && ::geteuid() == 0) continue;
    answers_->boxes.clear();
    files_.Choose({c.chosen});
    editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
    ASSERT_EQ(answers_->boxes.size(), 1u) << c.chosen;
    EXPECT_EQ(answers_->boxes[0].text, "File " + c.chosen + " " + c.says);
  }
}

// A damaged file is refused by its reader, whose message names the fault; Open adds no
// second one (the file is not read-only). A file read whole whose first undo snapshot
// cannot be written is open, named and drawn, and the one message says what Undo lacks.
TEST_F(EditorFilesTest, ADamagedFileAndAFailedUndoSnapshotEachGetTheirOneTrueMessage) {
  TOpticalEditor &editor = Open(triplet_);
  const std::string damaged = Scratch("Systems/Damaged.os");
  WriteText(damaged, "[Common]\nNsurf=3\n[Surfaces]\n{ R=10; Glass=\"n-bk7_schott\"; Dx=x; DextY=\n");
  answers_->boxes.clear();
  files_.Choose({damaged});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_NE(answers_->boxes[0].text.find(damaged), std::string::npos) << answers_->boxes[0].text;
  EXPECT_EQ(answers_->boxes[0].text.find("read-only"), std::string::npos) << answers_->boxes[0].text;
  EXPECT_EQ(editor.System().name, triplet_);

  const std::string doublet = Scratch("Systems/Doublet.os");
  std::filesystem::copy_file(ExamplePath("achromat.os"), doublet);
  const std::string blocker = Scratch("Blocker");
  WriteText(blocker, "a file\n");
  const std::string temp = TempDir();
  SetTempDir(blocker + "/tmp");
  answers_->boxes.clear();
  files_.Choose({doublet});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  SetTempDir(temp);
  EXPECT_EQ(editor.System().name, doublet);
  EXPECT_FALSE(Grey(CM_ABERRATIONS));
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_NE(answers_->boxes[0].text.find("cannot take its undo copies"), std::string::npos) << answers_->boxes[0].text;
}

// The system is set aside in the temporary directory while another is read; when that
// copy cannot be written, a file that holds no system still leaves the edited one, its
// undo steps and its modified flag as they were.
TEST_F(EditorFilesTest, AFailedOpenWithNowhereToSetTheSystemAsideKeepsIt) {
  TOpticalEditor &editor = Open(triplet_);
  const double radius = editor.System().Surface(1)->general.R;
  editor.System().Surface(1)->general.R = radius * 1.01;
  editor.System().SetUnsavedChanges(1);
  ASSERT_EQ(editor.System().SaveUndo("Edit"), 1);
  const int surfaces = editor.System().SurfaceCount();
  const int undoIndex = editor.System().options.undoIndex;
  const std::string broken = Scratch("Systems/Broken.os");
  WriteText(broken, "not a system\n");
  // A temporary directory under a file: nothing can be written there.
  const std::string blocker = Scratch("Blocker");
  WriteText(blocker, "a file\n");
  const std::string temp = TempDir();
  SetTempDir(blocker + "/tmp");
  files_.Choose({broken});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  SetTempDir(temp);
  EXPECT_EQ(editor.System().SurfaceCount(), surfaces);
  EXPECT_EQ(editor.System().Surface(1)->general.R, radius * 1.01);
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 1);
  EXPECT_EQ(editor.System().name, triplet_);
  EXPECT_EQ(editor.System().options.undoIndex, undoIndex);
  // The edit is still one step to undo.
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(editor.System().Surface(1)->general.R, radius);
}

TEST_F(EditorFilesTest, AFailedSaveKeepsTheChangesMarked) {
  TOpticalEditor &editor = Open(triplet_);
  // A path that cannot be made: its directory is a file.
  const std::string blocker = Scratch("Systems/Blocker");
  WriteText(blocker, "a file\n");
  const std::string unwritable = blocker + "/Lens.os";
  editor.System().Surface(1)->general.R *= 1.01;
  editor.System().SetUnsavedChanges(1);
  editor.System().name = unwritable;
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text, "File \"" + unwritable + "\" cannot be written: its directory does not exist.");
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 1);
  EXPECT_EQ(ReadText(blocker), "a file\n");
  // Save as to such a path neither takes its name nor forgets the changes.
  files_.Choose({unwritable});
  editor.System().name = triplet_;
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM_AS);
  EXPECT_EQ(editor.System().name, triplet_);
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 1);
  EXPECT_EQ(ReadText(triplet_), ReadText(ExamplePath("cooke_triplet.os")));
  // So the next New still asks.
  answers_->boxes.clear();
  answers_->QueueAnswer(IDCANCEL);
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text, "Save Optical System?");
  EXPECT_GT(editor.System().SurfaceCount(), 2);
}

// File > Save says why it failed: a read-only file, or a full disk, each as it is.
TEST_F(EditorFilesTest, AFailedSaveSaysItsTrueCause) {
  TOpticalEditor &editor = Open(triplet_);
  const std::string kept = ReadText(triplet_);
  std::filesystem::permissions(triplet_, std::filesystem::perms::owner_read);
  editor.System().Surface(1)->general.R *= 1.01;
  editor.System().SetUnsavedChanges(1);
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text, "File \"" + triplet_ + "\" is marked as read-only!");
  EXPECT_EQ(ReadText(triplet_), kept);

  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  const std::string full = disk.PathOf("Triplet.os");
  WriteText(full, kept);
  disk.Fill();
  editor.System().name = full;
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  EXPECT_EQ(answers_->boxes.back().text, "File \"" + full + "\" cannot be written: there is no space left on the disk.");
  EXPECT_EQ(ReadText(full), kept);
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 1);
}

// Yes to "Save Optical System?" with a save that does not write the file stops Exit, New,
// Open and the recent item as Cancel does: the edit, its mark and the old file stay.
TEST_F(EditorFilesTest, ASaveThatDidNotWriteStopsTheCommandThatAskedForIt) {
  TSmallDisk disk;
  const std::string readOnly = ScratchExample("cooke_triplet.os", "ReadOnly.os");
  std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
  // An old file that just fits the reader's limit: the rewrite would pass it.
  const std::string large = Scratch("Systems/Large.os");
  std::string text = ReadText(triplet_) + "\n[Notes]\n";
  while (text.size() < static_cast<std::size_t>(kSystemFileMaxBytes) - 64) text += std::string(79, 'n') + '\n';
  WriteText(large, text);
  const std::string full = disk.Active() ? disk.PathOf("Full.os") : "";
  if (disk.Active()) {
    WriteText(full, ReadText(triplet_));
    disk.Fill();
  }
  TOpticalEditor &editor = Open(triplet_);
  files_.Choose({gauss_});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_EQ(ItemText(CM_OPEN_RECENT_FIRST), "&1 " + triplet_);
  const std::string untitled = editor.UntitledPath();
  // The system's name decides the save: a file that cannot take it, or none (Save as, cancelled).
  for (const std::string &name : {readOnly, untitled, large, full}) {
    const UINT commands[] = {CM_NEW_SYSTEM, CM_OPEN_SYSTEM, CM_OPEN_RECENT_FIRST, WM_CLOSE};
    for (const UINT command : commands) {
      if (name.empty()) continue;
      SCOPED_TRACE(name + " / command " + std::to_string(command));
      const std::string before = name == untitled ? "" : ReadText(name);
      // The system's own file (a file it was not read from is replaced whole by its save).
      editor.System().name = editor.System().ownFile = name;
      editor.System().Surface(1)->general.R += 1.0;
      editor.System().SetUnsavedChanges(1);
      const double edited = editor.System().Surface(1)->general.R;
      answers_->QueueAnswer(IDYES);
      if (name == untitled) files_.Cancel();
      const std::size_t asked = files_.asked.size() + (name == untitled ? 1 : 0);
      editor.SendMessage(command == WM_CLOSE ? WM_CLOSE : WM_COMMAND, command == WM_CLOSE ? 0 : command);
      ASSERT_NE(editor.GetHandle(), nullptr);
      EXPECT_EQ(editor.System().Surface(1)->general.R, edited);
      EXPECT_EQ(editor.System().HasUnsavedChanges(), 1);
      EXPECT_EQ(editor.System().name, name);
      EXPECT_TRUE(name == untitled || ReadText(name) == before);
      // Open stopped before its file dialog.
      EXPECT_EQ(files_.asked.size(), asked);
    }
  }
}

TEST_F(EditorFilesTest, ARecentSystemThatWentIsDroppedAndThePreviousOneStays) {
  TOpticalEditor &editor = Open(triplet_);
  files_.Choose({gauss_});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_EQ(ItemText(CM_OPEN_RECENT_FIRST), "&1 " + triplet_);
  std::filesystem::remove(triplet_);
  // An edit not yet saved, and the answer No to saving it: it stays when the open fails.
  editor.System().Surface(1)->general.R *= 1.1;
  editor.System().SetUnsavedChanges(1);
  const double edited = editor.System().Surface(1)->general.R;
  answers_->boxes.clear();
  answers_->QueueAnswer(IDNO);
  editor.SendMessage(WM_COMMAND, CM_OPEN_RECENT_FIRST);
  EXPECT_EQ(editor.System().Surface(1)->general.R, edited);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text, "System '" + triplet_ + "' does not exist!");
  EXPECT_EQ(GetMenuState(Menu(), CM_OPEN_RECENT_FIRST, MF_BYCOMMAND), kMenuStateMissing);
  EXPECT_EQ(editor.System().name, gauss_);
  EXPECT_GT(editor.System().SurfaceCount(), 2);
  EXPECT_FALSE(Grey(CM_ABERRATIONS));
}

TEST_F(EditorFilesTest, SixOpensListFiveNewestFirstAndNeverTheUntitledOne) {
  TOpticalEditor &editor = Open("");
  std::vector<std::string> names;
  for (int k = 0; k < 6; ++k) {
    names.push_back(Scratch("Systems/Lens" + std::to_string(k) + ".os"));
    std::filesystem::copy_file(triplet_, names.back());
    files_.Choose({names.back()});
    editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
    ASSERT_EQ(editor.System().name, names.back());
  }
  // Lens0 again: it moves to the front once.
  files_.Choose({names[0]});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  const std::vector<std::string> expected = {names[5], names[4], names[3], names[2], names[1]};
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST + k), "&" + std::to_string(k + 1) + " " + expected[k]) << k;
  EXPECT_EQ(GetMenuState(Menu(), CM_OPEN_RECENT_FIRST + 5, MF_BYCOMMAND), kMenuStateMissing);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST + k).find("untitled"), std::string::npos);
}

TEST_F(EditorFilesTest, DuplicatesOfTheSettingsFileAreListedOnce) {
  TEditorSettings settings;
  settings.recent[0] = gauss_;
  settings.recent[1] = gauss_;
  settings.recent[2] = triplet_;  // the system opened: not listed
  settings.recent[3] = Scratch("Systems/Other.os");
  settings.recent[4] = gauss_;
  ASSERT_EQ(WriteEditorSettings(SettingsFilePath(ProgramDir()), settings), 1);
  Open(triplet_);
  EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST), "&1 " + gauss_);
  EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST + 1), "&2 " + Scratch("Systems/Other.os"));
  EXPECT_EQ(GetMenuState(Menu(), CM_OPEN_RECENT_FIRST + 2, MF_BYCOMMAND), kMenuStateMissing);
}

TEST_F(EditorFilesTest, SavingAnUntitledSystemAsksForANameAndCancellingKeepsItUntitled) {
  TOpticalEditor &editor = Open(triplet_);
  const std::string untitled = editor.UntitledPath();
  editor.System().name = untitled;
  editor.System().SetUnsavedChanges(1);
  files_.Cancel();
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  ASSERT_EQ(files_.asked.size(), 1u);
  EXPECT_EQ(editor.System().name, untitled);
  EXPECT_FALSE(std::filesystem::exists(untitled));
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 1);
}

TEST_F(EditorFilesTest, OpenEditSaveAsAndReopenGiveTheSameSystem) {
  TOpticalEditor &editor = Open(triplet_);
  editor.System().Surface(2)->general.R *= 1.05;
  editor.System().Update();

  editor.System().SetUnsavedChanges(1);
  const std::string first = Scratch("Systems/Edited.os");
  files_.Choose({first});
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM_AS);
  ASSERT_EQ(editor.System().HasUnsavedChanges(), 0);
  files_.Choose({first});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_EQ(editor.System().name, first);
  const std::string second = Scratch("Systems/Edited again.os");
  files_.Choose({second});
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM_AS);
  // The files differ only in the name each carries of itself.
  std::string firstText = ReadText(first);
  const std::string secondText = ReadText(second);
  ASSERT_NE(firstText.find("Name=" + first + "\n"), std::string::npos);
  firstText.replace(firstText.find("Name=" + first), 5 + first.size(), "Name=" + second);
  EXPECT_EQ(secondText, firstText);
  EXPECT_NE(ReadText(first).find("R=" + FormatNumber(-435.76044 * 1.05)), std::string::npos);
}

// A system named at start that cannot be opened, or that its reader refuses, is said so, and
// the caption names the untitled system that stands, never the file it does not show.
TEST_F(EditorFilesTest, AStartupSystemThatCannotBeOpenedIsToldAndTheCaptionStaysTrue) {
  const std::string missing = Scratch("Systems/Missing.os"), folder = Scratch("Systems/Folder.os"),
                    broken = Scratch("Systems/Broken.os");
  std::filesystem::create_directory(folder);
  WriteText(broken, "not a system\n");
  struct TCase {
    std::string named, says;
  } cases[] = {
      {missing, "File " + missing + " cannot be read: No such file or directory."},
      {folder, "File " + folder + " cannot be read: it is a folder."},
      {broken, broken},  // the reader's own message, naming the file
  };
  for (const TCase &c : cases) {
    answers_->boxes.clear();
    TOpticalEditor &editor = Open(c.named);
    EXPECT_TRUE(CaptionIs(editor.GetWindowText(), "Untitled")) << c.named << ": " << editor.GetWindowText();
    EXPECT_NE(editor.System().name, c.named);
    ASSERT_FALSE(answers_->boxes.empty()) << c.named;
    EXPECT_NE(answers_->boxes[0].text.find(c.says), std::string::npos) << answers_->boxes[0].text;
    editor.Destroy();
    delete editor_;
    editor_ = nullptr;
  }
}

TEST_F(EditorFilesTest, ALastSystemThatWentStartsAnEmptyEditor) {
  TEditorSettings settings;
  settings.EnableName = 1;
  settings.systemName = Scratch("Systems/Gone.os");
  ASSERT_EQ(WriteEditorSettings(SettingsFilePath(ProgramDir()), settings), 1);
  TOpticalEditor &editor = Open("");
  EXPECT_LE(editor.System().SurfaceCount(), 2);
  EXPECT_NE(editor.GetHandle(), nullptr);
  EXPECT_FALSE(Grey(CM_OPEN_SYSTEM));
}

// A refused Open puts back the system as it was shown: on its third configuration, with
// its unsaved edit, in the same world window and caption (configuration and scale), for a
// file its reader refuses and for one that holds no system.
TEST_F(EditorFilesTest, ARefusedOpenLeavesTheShownConfigurationAsItWas) {
  const std::string damaged = Scratch("Systems/Damaged.os");
  WriteText(damaged, "[Common]\nNsurf=3\n[Surfaces]\n{ R=10; Glass=\"n-bk7_schott\"; Dx=x; DextY=\n");
  const std::string empty = Scratch("Systems/Empty.os");
  WriteText(empty, "[Common]\nNsurf=1\n[Surfaces]\n{ R=0; Glass=\"1.000000 \"; DextY=10; }\n");
  for (const std::string &refused : {damaged, empty}) {
    SCOPED_TRACE(refused);
    TOpticalEditor &editor = Open(gauss_);
    TSystemImage &system = editor.System();
    ASSERT_EQ(system.StoreConfiguration(-1), 1);
    system.InsertConfiguration(0);
    system.InsertConfiguration(1);
    // The third configuration moves the rear lens 2 back: its own extent, its own scale.
    TOpticalElement &rear = system.elements.data[system.ElementCount() - 1];
    rear.MoveTo(rear.referencePoint.x + 2.0, rear.referencePoint.y, rear.referencePoint.z);
    system.StoreConfiguration(-1);
    system.SetUnsavedChanges(1);
    // A view of the user's own, as a zoom leaves it.
    editor.ShowSystem();
    system.viewWindow = TViewWindow{-20.0, 150.0, -70.0, 70.0};
    editor.Canvas()->Redraw();
    auto vertexX = [&system] {
      std::vector<double> x;
      for (int i = 0; i < system.SurfaceCount(); ++i) x.push_back(system.Surface(i)->general.vertex[0]);
      return x;
    };
    const std::vector<double> shown = vertexX();
    const std::string caption = editor.UpdateCaption();
    ASSERT_NE(caption.find("3/3"), std::string::npos) << caption;
    answers_->boxes.clear();
    answers_->QueueAnswer(IDNO);
    files_.Choose({refused});
    editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
    EXPECT_EQ(system.currentConfiguration, 2);
    EXPECT_EQ(system.HasUnsavedChanges(), 1);
    EXPECT_EQ(editor.UpdateCaption(), caption);
    EXPECT_EQ(system.viewWindow.xFrom, -20.0);
    EXPECT_EQ(system.viewWindow.yTo, 70.0);
    const std::vector<double> after = vertexX();
    ASSERT_EQ(after.size(), shown.size());
    // The copy is written with every digit and read back: rounding only.
    constexpr double kReadBack = 1e-9;
    for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_NEAR(after[i], shown[i], kReadBack) << "surface " << i + 1;
    CloseDiscardingChanges(editor);
  }
}

}  // namespace
