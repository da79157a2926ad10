// The file editor: reading and writing text files, the file commands with their dialogs
// and questions, find and replace, and its commands reaching it through a frame.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/core/recording_providers.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/bars/edit_file.h"
#include "platform/gui/bars/frame_window.h"
#include "platform/gui/windows/test_kit.h"

namespace {

namespace fs = std::filesystem;

// A directory of its own under the system's temporary directory, removed afterwards.
class TScratchDir {
 public:
  TScratchDir() {
    path = fs::temp_directory_path() / ("edit_file_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                        "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TScratchDir() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  std::string File(const std::string &name) const { return (path / name).string(); }
  fs::path path;
};

std::string Contents(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string &path, const std::string &bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}

std::string TextOf(TEdit &edit) {
  std::string text(static_cast<std::size_t>(edit.GetTextLen()) + 1, '\0');
  text.resize(static_cast<std::size_t>(edit.GetText(text.data(), static_cast<int>(text.size()))));
  return text;
}

class EditFile : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    editor = new TEditFile;
    frame = std::make_unique<TDecoratedFrame>(nullptr, "Editor", editor);
    frame->Attr.Style = WS_POPUP | WS_BORDER;
    frame->Attr.W = 300;
    frame->Attr.H = 200;
    ASSERT_TRUE(frame->Create());
  }
  void Type(const char *text) {
    editor->SetSelection(editor->GetTextLen(), editor->GetTextLen());
    editor->Insert(text);  // as typing does: the text is modified
  }
  TScratchDir dir;
  TRecordingMessageBoxProvider boxes;
  TScriptedFileDialog files;
  TEditFile *editor = nullptr;
  std::unique_ptr<TDecoratedFrame> frame;
};

TEST(TextFiles, ReadTakesEitherLineEndAndWriteReplacesWhole) {
  TScratchDir dir;
  const std::string path = dir.File("a.txt");
  WriteBytes(path, "one\r\ntwo\rthree\nfour");
  std::string text;
  ASSERT_TRUE(ReadTextFile(path, text));
  EXPECT_EQ(text, "one\ntwo\nthree\nfour");
  // Bytes that are not UTF-8 are kept as the characters they are in Latin-1.
  WriteBytes(path, std::string("caf\xe9", 4));
  ASSERT_TRUE(ReadTextFile(path, text));
  EXPECT_EQ(text, "caf\xc3\xa9");
  EXPECT_FALSE(ReadTextFile(dir.File("missing.txt"), text));

  ASSERT_TRUE(WriteTextFile(path, "new text\n").Written());
  EXPECT_EQ(Contents(path), "new text\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path).parent_path()), fs::directory_iterator()), 1);
  // A file marked read-only stays as it is, whoever runs the program.
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(WriteTextFile(path, "lost").fault, TFileWriteFault::kReadOnly);
  EXPECT_EQ(Contents(path), "new text\n");
  EXPECT_EQ(WriteTextFile(dir.File("no/such/dir.txt"), "x").fault, TFileWriteFault::kNoDirectory);
}

TEST_F(EditFile, SaveOfANewChangedTextAsksForANameFirst) {
  Type("first line\nsecond line");
  files.Choose({dir.File("saved")});
  // The command reaches the client through the frame.
  frame->SendMessage(WM_COMMAND, CM_FILESAVE, 0);
  ASSERT_EQ(files.asked.size(), 1u);
  EXPECT_TRUE(files.asked[0].Save);
  EXPECT_EQ(files.asked[0].DefaultExt, "txt");
  EXPECT_EQ(Contents(dir.File("saved.txt")), "first line\nsecond line");
  ASSERT_NE(editor->GetFileName(), nullptr);
  EXPECT_EQ(std::string(editor->GetFileName()), dir.File("saved.txt"));
  EXPECT_FALSE(editor->IsModified());
  // Unchanged: Save writes nothing and asks nothing.
  frame->SendMessage(WM_COMMAND, CM_FILESAVE, 0);
  EXPECT_EQ(files.asked.size(), 1u);
}

TEST_F(EditFile, FailedSaveSaysSoAndKeepsTheName) {
  Type("text");
  files.Choose({dir.File("missing/dir/file.txt")});
  EXPECT_FALSE(editor->SaveAs());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("its directory does not exist"), std::string::npos) << boxes.boxes[0].text;
  EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, MB_ICONEXCLAMATION);
  EXPECT_EQ(editor->GetFileName(), nullptr);
  EXPECT_TRUE(editor->IsModified());
}

TEST_F(EditFile, OpenAndNewAskBeforeDroppingAChangedText) {
  WriteBytes(dir.File("b.txt"), "from disk\r\n");
  Type("unsaved");
  boxes.QueueAnswer(IDCANCEL);
  editor->NewFile();
  EXPECT_EQ(TextOf(*editor), "unsaved");
  boxes.QueueAnswer(IDNO);
  files.Choose({dir.File("b.txt")});
  frame->SendMessage(WM_COMMAND, CM_FILEOPEN, 0);
  EXPECT_EQ(TextOf(*editor), "from disk\n");
  EXPECT_EQ(std::string(editor->GetFileName()), dir.File("b.txt"));
  EXPECT_FALSE(editor->IsModified());
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_NE(boxes.boxes[1].text.find("has changed"), std::string::npos);
  // A cancelled open changes nothing.
  files.Cancel();
  editor->Open();
  EXPECT_EQ(TextOf(*editor), "from disk\n");
}

TEST_F(EditFile, FindFollowsCaseAndWholeWordAndReplaceAllIsOneChange) {
  editor->SetText("Lens lens LENS lensing");
  editor->SetSelection(0, 0);
  TScriptedFindDialog dialog;
  dialog.Answer("lens", FR_FINDNEXT | FR_DOWN | FR_MATCHCASE);
  frame->SendMessage(WM_COMMAND, CM_EDITFIND, 0);
  int start = 0;
  int end = 0;
  editor->GetSelection(start, end);
  EXPECT_EQ(start, 5);
  EXPECT_EQ(end, 9);
  // Find next goes on without a dialog: the next case-matching "lens" is inside "lensing",
  // but only whole words are wanted now.
  editor->SearchData.Flags |= FR_WHOLEWORD;
  EXPECT_FALSE(editor->DoSearch());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Cannot find \"lens\".");
  // Upwards and ignoring case: "Lens" at the start.
  editor->SearchData.Flags = FR_WHOLEWORD;
  EXPECT_TRUE(editor->DoSearch());
  editor->GetSelection(start, end);
  EXPECT_EQ(start, 0);

  dialog.Answer("LENS", FR_REPLACEALL | FR_WHOLEWORD, "mirror");
  frame->SendMessage(WM_COMMAND, CM_EDITREPLACE, 0);
  EXPECT_EQ(TextOf(*editor), "mirror mirror mirror lensing");
  EXPECT_TRUE(editor->IsModified());
  editor->Undo();
  EXPECT_EQ(TextOf(*editor), "Lens lens LENS lensing");
}

TEST_F(EditFile, TheFindDialogStaysOpenBesideTheTextAndGoesWithTheEdit) {
  editor->SetText("stop, lens, stop, prism, stop");
  editor->SetSelection(0, 0);
  TScriptedFindDialog dialog;
  frame->SendMessage(WM_COMMAND, CM_EDITFIND, 0);
  ASSERT_TRUE(editor->IsFindDialogOpen());
  ASSERT_EQ(dialog.asked.size(), 1u);
  EXPECT_EQ(dialog.asked[0].Owner, editor->GetHandle());
  int start = 0;
  int end = 0;
  // Find Next twice in the one open dialog: each press searches at once.
  ASSERT_TRUE(dialog.Press("stop", FR_FINDNEXT | FR_DOWN));
  editor->GetSelection(start, end);
  EXPECT_EQ(start, 0);
  ASSERT_TRUE(dialog.Press("stop", FR_FINDNEXT | FR_DOWN));
  editor->GetSelection(start, end);
  EXPECT_EQ(start, 12);
  // The user edits the text while the dialog stays open; the next press finds in the new text.
  editor->SetSelection(0, 0);
  editor->Insert("stop ");
  ASSERT_TRUE(dialog.Press("prism", FR_FINDNEXT | FR_DOWN));
  editor->GetSelection(start, end);
  EXPECT_EQ(start, 23);
  EXPECT_EQ(dialog.asked.size(), 1u);  // never opened again
  // Asking for Find again brings the open one forward; Replace replaces it by its own.
  frame->SendMessage(WM_COMMAND, CM_EDITFIND, 0);
  EXPECT_EQ(dialog.raised, 1);
  EXPECT_EQ(dialog.asked.size(), 1u);
  editor->SetSelection(0, 0);
  frame->SendMessage(WM_COMMAND, CM_EDITREPLACE, 0);
  ASSERT_EQ(dialog.asked.size(), 2u);
  EXPECT_TRUE(dialog.asked[1].Replace);
  EXPECT_EQ(dialog.asked[1].FindWhat, "prism");  // the entries carried over
  ASSERT_TRUE(dialog.Press("lens", FR_REPLACE | FR_DOWN, "cube"));  // nothing selected: found
  EXPECT_EQ(TextOf(*editor), "stop stop, lens, stop, prism, stop");
  ASSERT_TRUE(dialog.Press("lens", FR_REPLACE | FR_DOWN, "cube"));  // selected: replaced
  EXPECT_EQ(TextOf(*editor), "stop stop, cube, stop, prism, stop");
  // Case and whole words as each press asks: no "STOP" (said), then the next whole "stop".
  ASSERT_TRUE(dialog.Press("STOP", FR_FINDNEXT | FR_DOWN | FR_MATCHCASE));
  EXPECT_EQ(boxes.boxes.back().text, "Cannot find \"STOP\".");
  ASSERT_TRUE(dialog.Press("stop", FR_FINDNEXT | FR_DOWN | FR_WHOLEWORD));
  editor->GetSelection(start, end);
  EXPECT_EQ(start, 17);
  // Closed by the user, the search goes on by Find Next with the last entries and options.
  ASSERT_TRUE(dialog.UserCloses());
  EXPECT_FALSE(editor->IsFindDialogOpen());
  EXPECT_EQ(editor->SearchData.Flags, FR_DOWN | FR_WHOLEWORD);
  editor->SetSelection(0, 0);
  frame->SendMessage(WM_COMMAND, CM_EDITFINDNEXT, 0);
  editor->GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 4);
  EXPECT_EQ(dialog.asked.size(), 2u);
  // An open dialog goes with its edit: a later press reaches nothing (the sanitizers watch).
  frame->SendMessage(WM_COMMAND, CM_EDITFIND, 0);
  ASSERT_TRUE(dialog.HasOpenDialog());
  frame.reset();
  editor = nullptr;
  EXPECT_FALSE(dialog.HasOpenDialog());
  EXPECT_FALSE(dialog.Press("stop", FR_FINDNEXT));
}

}  // namespace
