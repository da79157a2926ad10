// The text editor window: its status line of caret line and column, the file commands
// through scripted dialogs, find and replace reaching the edit through the frame, the
// commands that need text, a report opened in the report viewer, and fonts for dialogs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

#include "platform/core/recording_providers.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/bars/resources.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/command_enabler.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

namespace fs = std::filesystem;

class TScratchDir {
 public:
  TScratchDir() {
    path = fs::temp_directory_path() /
           ("text_editor_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
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

std::string TextOf(TEdit &edit) {
  std::string text(static_cast<std::size_t>(edit.GetTextLen()) + 1, '\0');
  text.resize(static_cast<std::size_t>(edit.GetText(text.data(), static_cast<int>(text.size()))));
  return text;
}

bool Enabled(TWindow &window, UINT command) {
  TCommandEnabler enabler(command);
  enabler.Enable(true);
  window.SendMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&enabler));
  return enabler.IsEnabled();
}

class TextEditor : public ::testing::Test {
 protected:
  void Open(const char *text, const char *file = nullptr) {
    test_kit::EnsureApplication();
    editor = std::make_unique<TOEditor>(nullptr, "Editor", text, file);
    editor->Attr.Style = WS_POPUP | WS_BORDER;
    ASSERT_TRUE(editor->Create());
  }
  std::string Status() { return editor->GetStatusBar()->GetText(); }
  TScratchDir dir;
  TRecordingMessageBoxProvider boxes;
  TScriptedFileDialog files;
  std::unique_ptr<TOEditor> editor;
};

TEST_F(TextEditor, EmptyEditorShowsFirstLineAndColumnAndDisablesTextCommands) {
  Open(nullptr);
  EXPECT_EQ(Status(), "Lin= 1     Col= 1   ");
  EXPECT_EQ(editor->Attr.W, 480);
  EXPECT_EQ(editor->Attr.H, 310);
  EXPECT_EQ(editor->Filter(), "All Files  (*.*)|*.*|");
  for (UINT command : {CM_EDITFIND, CM_EDITREPLACE, CM_EDITFINDNEXT, CM_EDITORPRINT}) {
    EXPECT_FALSE(Enabled(*editor, command)) << command;
  }
  // The buttons follow a text as it is typed, without waiting for a command or a save.
  TGadgetWindow *bar = nullptr;
  for (TWindow *child : editor->GetChildren())
    if (auto *gadgets = dynamic_cast<TGadgetWindow *>(child); gadgets != nullptr && gadgets->GadgetWithId(CM_EDITFIND))
      bar = gadgets;
  ASSERT_NE(bar, nullptr);
  const auto buttonsOn = [bar](bool on) {
    for (UINT command : {CM_EDITFIND, CM_EDITREPLACE, CM_EDITFINDNEXT, CM_EDITORPRINT})
      if (bar->GadgetWithId(static_cast<int>(command))->GetEnabled() != on) return false;
    return true;
  };
  EXPECT_TRUE(test_kit::RunUntil([&] { return buttonsOn(false); }));
  test_kit::PostText(*editor->Client(), "typed");
  EXPECT_TRUE(test_kit::RunUntil([&] { return buttonsOn(true); }));
  editor->Client()->SetText("text");
  EXPECT_TRUE(Enabled(*editor, CM_EDITFIND));
  EXPECT_TRUE(Enabled(*editor, CM_EDITREPLACE));
  EXPECT_TRUE(Enabled(*editor, CM_EDITFINDNEXT));
  EXPECT_TRUE(Enabled(*editor, CM_EDITORPRINT));
  // Every button has a picture of its own: not the plain face of a missing one.
  for (UINT command : {CM_FILENEW, CM_FILESAVE, CM_EDITFIND, CM_EDITORPRINT, CM_EXIT}) {
    const QImage glyph = BitmapResourceImage(TResId(command));
    ASSERT_FALSE(glyph.isNull()) << command;
    int drawn = 0;
    for (int y = 0; y < glyph.height(); ++y) {
      for (int x = 0; x < glyph.width(); ++x) drawn += glyph.pixel(x, y) != glyph.pixel(0, 0) ? 1 : 0;
    }
    EXPECT_GT(drawn, 15) << command;
  }
}

TEST_F(TextEditor, CaretLineAndColumnFollowTheCaretAndNeverGoBelowOne) {
  Open("first\nsecond\nthird line\n");
  TOEditFile &client = *editor->Client();
  client.SetSelection(17, 17);  // line 3, after "th"
  client.SendMessage(WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(client.CaretLine(), 2);
  EXPECT_EQ(Status(), "Lin= 3     Col= 5   ");
  // A selection from the first line into the second: the column counts in the caret's line.
  client.SetSelection(2, 8);
  client.UpdateCaretPos();
  EXPECT_EQ(client.StatusText(), "Lin= 2     Col= 3   ");
}

TEST_F(TextEditor, SaveOnNewTextAsksForANameAndKeepsItsFolder) {
  Open(nullptr);
  editor->Client()->Insert("new words");
  const std::string path = dir.File("saved.txt");
  files.Choose({path});
  editor->SendMessage(WM_COMMAND, CM_FILESAVE, 0);
  ASSERT_EQ(files.asked.size(), 1u);
  EXPECT_TRUE(files.asked[0].Save);
  EXPECT_EQ(files.asked[0].DefaultExt, "txt");
  EXPECT_EQ(Contents(path), "new words");
  EXPECT_EQ(std::string(editor->Client()->GetFileName()), path);
  EXPECT_EQ(fs::path(editor->Directory()), dir.path);
  // Saved now: another save writes without asking.
  editor->Client()->Insert(" more");
  editor->SendMessage(WM_COMMAND, CM_FILESAVE, 0);
  EXPECT_EQ(files.asked.size(), 1u);
  EXPECT_EQ(Contents(path), "new words more");
}

TEST_F(TextEditor, OpenShowsTheFileAndACancelledOpenChangesNothing) {
  const std::string path = dir.File("report.txt");
  { std::ofstream(path) << "line one\nline two\n"; }
  Open(nullptr);
  files.Cancel();
  editor->SendMessage(WM_COMMAND, CM_FILEOPEN, 0);
  EXPECT_EQ(TextOf(*editor->Client()), "");
  EXPECT_EQ(editor->Client()->GetFileName(), nullptr);
  files.Choose({path});
  editor->SendMessage(WM_COMMAND, CM_FILEOPEN, 0);
  EXPECT_EQ(TextOf(*editor->Client()), "line one\nline two\n");
  EXPECT_EQ(fs::path(editor->Directory()), dir.path);
  EXPECT_EQ(Status(), "Lin= 1     Col= 1   ");
}

TEST_F(TextEditor, FindReplaceAndFindNextReachTheEditThroughTheFrame) {
  Open("focal length, focal plane, focus");
  TOEditFile &client = *editor->Client();
  client.SetSelection(0, 0);
  TScriptedFindDialog dialog;
  dialog.Answer("focal", FR_FINDNEXT | FR_DOWN);
  editor->SendMessage(WM_COMMAND, CM_EDITFIND, 0);
  int start = 0;
  int end = 0;
  client.GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 5);
  editor->SendMessage(WM_COMMAND, CM_EDITFINDNEXT, 0);
  client.GetSelection(start, end);
  EXPECT_EQ(start, 14);
  EXPECT_EQ(end, 19);
  dialog.Answer("focal", FR_REPLACEALL, "image");
  editor->SendMessage(WM_COMMAND, CM_EDITREPLACE, 0);
  EXPECT_EQ(TextOf(client), "image length, image plane, focus");
}

TEST_F(TextEditor, ReplaceChangesTheFoundTextAndMovesOnAndAMissingTextIsSaid) {
  Open("image length, image plane");
  TOEditFile &client = *editor->Client();
  client.SetSelection(0, 0);
  TScriptedFindDialog dialog;
  // Nothing selected yet: the first replace finds, the second replaces and finds on.
  dialog.Answer("image", FR_REPLACE | FR_DOWN, "lens");
  editor->SendMessage(WM_COMMAND, CM_EDITREPLACE, 0);
  int start = 0;
  int end = 0;
  client.GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 5);
  EXPECT_EQ(TextOf(client), "image length, image plane");
  dialog.Answer("image", FR_REPLACE | FR_DOWN, "lens");
  editor->SendMessage(WM_COMMAND, CM_EDITREPLACE, 0);
  EXPECT_EQ(TextOf(client), "lens length, image plane");
  client.GetSelection(start, end);
  EXPECT_EQ(start, 13);
  EXPECT_EQ(end, 18);
  // Find next past the last one says so and leaves the text alone.
  editor->SendMessage(WM_COMMAND, CM_EDITFINDNEXT, 0);
  EXPECT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(TextOf(client), "lens length, image plane");
}

// A text far past 65,535 characters: the status line, Find upward, Find Next and Replace
// all work at the places the text holds, found by the standard library apart.
TEST_F(TextEditor, PositionsBeyondSixtyFourKilobytesAreTheTextsOwn) {
  std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
  const int lines = 9000 + static_cast<int>(random() % 4000);
  std::string text;
  char line[32];
  for (int k = 0; k < lines; ++k) text += (std::snprintf(line, sizeof line, "%07d focal\n", k), line);
  Open((text += "last").c_str());
  TOEditFile &client = *editor->Client();
  client.SetSelection(static_cast<int>(text.size()), static_cast<int>(text.size()));
  client.SendMessage(WM_KEYUP, VK_END, 0);
  EXPECT_EQ(Status(), "Lin= " + std::to_string(lines + 1) + "  Col= 5   ");
  int start = 0, stop = 0;
  TScriptedFindDialog dialog;
  std::snprintf(line, sizeof line, "%07d", lines - 3 - static_cast<int>(random() % 100));  // two lines follow
  dialog.Answer(line, FR_FINDNEXT);  // upward
  editor->SendMessage(WM_COMMAND, CM_EDITFIND, 0);
  client.GetSelection(start, stop);
  EXPECT_EQ(start, static_cast<int>(text.find(line)));
  dialog.Answer("focal", FR_REPLACE | FR_DOWN, "image");  // finds the next, then replaces it
  editor->SendMessage(WM_COMMAND, CM_EDITREPLACE, 0);
  ASSERT_TRUE(dialog.Press("focal", FR_REPLACE | FR_DOWN, "image"));
  EXPECT_TRUE(TextOf(client) == text.replace(text.find("focal", text.find(line)), 5, "image"));  // never printed
  editor->SendMessage(WM_COMMAND, CM_EDITFINDNEXT, 0);
  client.GetSelection(start, stop);
  EXPECT_EQ(start, static_cast<int>(text.find("focal", text.find("focal", text.find(line)) + 1)));
}

// A file keeps its Latin-1 bytes (a no-break space too) and CRLF line ends through an edit
// and Save; a character Latin-1 has none for is saved in UTF-8, said so, and a line separator
// stays one. A file holding a NUL is refused; one whose lines end in mixed ways is saved with
// its first line's end.
TEST_F(TextEditor, ASavedFileKeepsItsFormAndAFileWithANulIsRefused) {
  const std::string path = dir.File("latin.txt"), zero = dir.File("zero.txt"), latin = "mu \xb5\r\ncaf\xe9\xa0\r\n",
                    nul("ab\0cd\n", 6);
  std::ofstream(path, std::ios::binary) << latin, std::ofstream(zero, std::ios::binary) << nul;
  Open(nullptr, path.c_str());
  editor->Client()->Insert("x");
  editor->SendMessage(WM_COMMAND, CM_FILESAVE, 0);
  EXPECT_EQ(Contents(path), "x" + latin);
  editor->Client()->Insert("\xe2\x82\xac\xe2\x80\xa8");  // the euro sign, a line separator
  editor->SendMessage(WM_COMMAND, CM_FILESAVE, 0);
  EXPECT_EQ(Contents(path), "x\xe2\x82\xac\xe2\x80\xa8mu \xc2\xb5\r\ncaf\xc3\xa9\xc2\xa0\r\n");
  // A byte-order mark followed by a U+FEFF of the text: both stay.
  const std::string marks = "\xef\xbb\xbf\xef\xbb\xbfmarks\n";
  std::ofstream(path, std::ios::binary) << marks;
  files.Choose({path});
  editor->SendMessage(WM_COMMAND, CM_FILEOPEN, 0);
  editor->Client()->Insert("x");
  editor->SendMessage(WM_COMMAND, CM_FILESAVE, 0);
  EXPECT_EQ(Contents(path), "\xef\xbb\xbf" "x" + marks.substr(3));
  files.Choose({zero});
  editor->SendMessage(WM_COMMAND, CM_FILEOPEN, 0);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_NE(boxes.boxes[0].text.find("UTF-8"), std::string::npos);
  EXPECT_NE(boxes.boxes[1].text.find("zero byte"), std::string::npos);
  EXPECT_EQ(Contents(zero), nul);
  // Lines that ended in three ways all end as the first did, and the box says so.
  std::ofstream(path, std::ios::binary) << "a\r\nb\nc\rd\n";
  files.Choose({path});
  editor->SendMessage(WM_COMMAND, CM_FILEOPEN, 0);
  editor->Client()->Insert("x");
  editor->SendMessage(WM_COMMAND, CM_FILESAVE, 0);
  EXPECT_EQ(Contents(path), "xa\r\nb\r\nc\r\nd\r\n");
  EXPECT_NE(boxes.boxes.back().text.find("each now ends as its first line did"), std::string::npos);
}

TEST_F(TextEditor, AModalEditorRunsUntilClosedAndEndsAsACancel) {
  Open("template");
  editor->PostMessage(WM_COMMAND, CM_EXIT, 0);
  EXPECT_EQ(editor->RunModal(), IDCANCEL);
  EXPECT_TRUE(editor->IsModalEditor());
  EXPECT_EQ(editor->GetHandle(), nullptr);
  // A changed text asks before closing: Cancel keeps the editor and its loop running,
  // No closes it.
  auto other = std::make_unique<TOEditor>(nullptr, "Editor", "again", nullptr);
  other->Attr.Style = WS_POPUP | WS_BORDER;
  ASSERT_TRUE(other->Create());
  other->Client()->Insert(" changed");
  boxes.QueueAnswer(IDCANCEL);
  other->PostMessage(WM_COMMAND, CM_EXIT, 0);
  other->PostMessage(WM_COMMAND, CM_EXIT, 0);
  boxes.QueueAnswer(IDNO);
  EXPECT_EQ(other->RunModal(), IDCANCEL);
  EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST(TextEditorReport, ReportViewerOpensTheFileWithItsFontAndTitle) {
  test_kit::EnsureApplication();
  TScratchDir dir;
  const std::string path = dir.File("aberr.txt");
  { std::ofstream(path) << "+---+--+\n| y | 1|\n"; }
  TTextEditor viewer(nullptr, "Aberrations", nullptr, path.c_str());
  viewer.SetTitle("System aberrations");
  viewer.Attr.Style = WS_POPUP | WS_BORDER;
  ASSERT_TRUE(viewer.Create());
  EXPECT_EQ(TextOf(*viewer.Client()), "+---+--+\n| y | 1|\n");
  EXPECT_EQ(viewer.ReportFile(), path);
  EXPECT_EQ(viewer.Title(), "System aberrations");
  EXPECT_DOUBLE_EQ(viewer.CharHeight(), 4.0);
  EXPECT_EQ(viewer.Client()->StatusText(), "Lin= 1     Col= 1   ");
}

TEST(FontToChildren, FirstLevelTakesTheFontAndDeeperLevelsTheStockFont) {
  test_kit::EnsureApplication();
  TWindow top(nullptr, "top");
  top.Attr.Style = WS_POPUP;
  auto *field = new TEdit(&top, 1, "", 0, 0, 50, 20);
  auto *box = new TWindow(&top, "box");
  box->Attr.Style = WS_CHILD;
  auto *inner = new TEdit(box, 2, "", 0, 0, 50, 20);
  ASSERT_TRUE(top.Create());
  TOFont font("Arial", 14);
  const HFONT own = font.Create();
  SetFontToChildren(nullptr, own);  // nothing to do
  SetFontToChildren(top.GetHandle(), own);
  EXPECT_EQ(reinterpret_cast<HFONT>(field->SendMessage(WM_GETFONT)), own);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(inner->SendMessage(WM_GETFONT)), GetStockObject(ANSI_VAR_FONT));
  // Without a font every child takes the stock font.
  SetFontToChildren(top.GetHandle(), nullptr);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(field->SendMessage(WM_GETFONT)), GetStockObject(ANSI_VAR_FONT));
}

}  // namespace
