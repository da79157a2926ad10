#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include <QImage>

#include "editor/commands/editor_commands.h"
#include "editor/shell/about_dlg.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/message_box.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/menus/accelerators.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/graph/g_graph.h"
#include "toolkit/pump/message_queue.h"

namespace {

bool AnyUndoFile(const std::string &directory) {
  for (const auto &entry : std::filesystem::directory_iterator(directory))
    if (IsUndoFileName(entry.path().filename().string())) return true;
  return false;
}

TEST_F(EditorShellTest, FrameOpensWithTheTripletUnderItsOwnName) {
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_GT(editor.System().SurfaceCount(), 2);
  EXPECT_TRUE(editor.Files().LastOpenSucceeded());
  // The name keeps its case: a Linux path is only found as it is written.
  EXPECT_TRUE(CaptionIs(editor.UpdateCaption(), triplet_)) << editor.UpdateCaption();
  EXPECT_TRUE(CaptionIs(editor.GetWindowText(), triplet_)) << editor.GetWindowText();
  ASSERT_NE(Menu(), nullptr);
  EXPECT_NE(editor.GetStatusBar(), nullptr);
  // A freshly opened system has nothing to undo or redo.
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");
  EXPECT_EQ(ItemText(CM_REDO), "Can't Redo");
  EXPECT_TRUE(Grey(CM_UNDO));
  EXPECT_TRUE(Grey(CM_REDO));
  for (UINT command : {CM_NEW_SYSTEM, CM_OPEN_SYSTEM, CM_SAVE_SYSTEM, CM_SAVE_SYSTEM_AS})
    EXPECT_FALSE(Grey(command)) << command;
  // The catalog item never opens; image synthesis opens on the triplet.
  EXPECT_TRUE(Grey(CM_VENDOR_CATALOG));
  EXPECT_FALSE(Grey(CM_IMAGE_SYNTHESIS));
  EXPECT_EQ(editor.CommandFlag(CM_IMAGE_SYNTHESIS), 1);
  EXPECT_EQ(TOpticalEditor::Current(), &editor);
  // The canvas's picture covers the canvas, which fills the frame above the status bar.
  const RECT canvas = editor.Canvas()->GetClientRect();
  const RECT frame = editor.GetClientRect();
  EXPECT_EQ(editor.Canvas()->GetBitmapSize().cx, canvas.right);
  EXPECT_EQ(editor.Canvas()->GetBitmapSize().cy, canvas.bottom);
  EXPECT_EQ(canvas.right, frame.right);
}

TEST_F(EditorShellTest, UndoAndRedoTextsFollowAnEdit) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const double before = system.Surface(1)->general.R;
  system.Surface(1)->general.R = before * 2.0;
  system.Update();
  ASSERT_EQ(system.SaveUndo("Delete element"), 1);
  editor.UpdateMenus();
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Delete element (ctrl-Z)");
  EXPECT_FALSE(Grey(CM_UNDO));
  EXPECT_EQ(ItemText(CM_REDO), "Can't Redo");
  EXPECT_TRUE(Grey(CM_REDO));

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_DOUBLE_EQ(system.Surface(1)->general.R, before);
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");
  EXPECT_TRUE(Grey(CM_UNDO));
  EXPECT_EQ(ItemText(CM_REDO), "Redo Delete element (ctrl-Y)");
  EXPECT_FALSE(Grey(CM_REDO));

  editor.SendMessage(WM_COMMAND, CM_REDO);
  EXPECT_DOUBLE_EQ(system.Surface(1)->general.R, before * 2.0);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Delete element (ctrl-Z)");
  EXPECT_EQ(ItemText(CM_REDO), "Can't Redo");
}

TEST_F(EditorShellTest, CancelledCloseLeavesTheQueuesAsTheyWere) {
  TOpticalEditor &editor = Open(triplet_);
  editor.System().SetUnsavedChanges(1);
  TMessageQueue &queue = ProgramMessageQueue();
  queue.Enter();
  const int busy = queue.BusyCount();

  answers_->QueueAnswer(IDCANCEL);
  EXPECT_FALSE(editor.CanClose());
  EXPECT_EQ(queue.BusyCount(), busy);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text, "Save Optical System?");

  answers_->QueueAnswer(IDNO);
  EXPECT_TRUE(editor.CanClose());
  EXPECT_EQ(queue.BusyCount(), busy - 1);
  queue.Leave(1);
}

TEST_F(EditorShellTest, ClosingWritesTheSettingsAndRemovesTheUndoFiles) {
  TOpticalEditor &editor = Open(triplet_);
  ASSERT_TRUE(AnyUndoFile(TempDir()));
  const std::string settings = editor.SettingsPath();
  EXPECT_EQ(std::filesystem::path(settings).filename().string(), "RodIru2Z.ini");
  const std::size_t boxes = answers_->boxes.size();
  editor.SendMessage(WM_CLOSE);
  EXPECT_EQ(editor.GetHandle(), nullptr);
  EXPECT_EQ(answers_->boxes.size(), boxes);  // nothing changed: no question
  EXPECT_TRUE(std::filesystem::exists(settings));
  EXPECT_NE(ReadText(settings).find(triplet_), std::string::npos);
  EXPECT_FALSE(AnyUndoFile(TempDir()));
  EXPECT_EQ(TOpticalEditor::Current(), nullptr);
}

TEST_F(EditorShellTest, AnUnreadableSystemGreysTheDrawingCommands) {
  const std::string broken = Scratch("Systems/Broken.os");
  WriteText(broken, "not a system\n");
  TOpticalEditor &editor = Open(broken);
  EXPECT_LE(editor.System().SurfaceCount(), 2);
  EXPECT_TRUE(Grey(CM_SELECT));
  EXPECT_TRUE(Grey(CM_UNDO));
  EXPECT_FALSE(Grey(CM_NEW_SYSTEM));
  EXPECT_FALSE(Grey(CM_OPEN_SYSTEM));
}

TEST_F(EditorShellTest, ALeftSessionIsRestoredUnsavedUnderItsName) {
  // A program that did not end left a snapshot of an edited copy behind.
  const std::string copy = Scratch("Systems/Copy.os");
  {
    TSystemImage image;
    ASSERT_EQ(image.Load(ExamplePath("cooke_triplet.os"), 2), 1);
    image.name = copy;
    ASSERT_EQ(image.Save(Scratch("tmp/Undo3.os")), 1);
  }
  answers_->QueueAnswer(IDYES);
  TOpticalEditor &editor = Open("");
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_NE(answers_->boxes.front().text.find("The previous session was aborted."),
            std::string::npos);
  // The restored system waits, modified, for the user to save it there.
  EXPECT_FALSE(std::filesystem::exists(copy));
  EXPECT_EQ(editor.System().name, copy);
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 1);
}

}  // namespace

namespace {

TEST_F(EditorShellTest, ExitAsksAboutChangesOnceAndCloses) {
  TOpticalEditor &editor = Open(triplet_);
  editor.System().SetUnsavedChanges(1);
  answers_->QueueAnswer(IDNO);
  editor.SendMessage(WM_COMMAND, CM_EXIT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetHandle() == nullptr; }));
  int questions = 0;
  for (const auto &box : answers_->boxes) questions += box.text == "Save Optical System?" ? 1 : 0;
  EXPECT_EQ(questions, 1);
  EXPECT_EQ(ReadText(triplet_), ReadText(ExamplePath("cooke_triplet.os")));  // No: not saved
}

}  // namespace

namespace {

TEST_F(EditorShellTest, TheAboutBoxNamesTheProgramInDarkRed) {
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_FALSE(Grey(CM_ABOUT));
  TAboutDlg about(&editor);
  ASSERT_TRUE(about.Create());
  EXPECT_EQ(about.GetWindowText(), "About Korvex");
  QImage scratch(8, 8, QImage::Format_RGB32);
  TImageDC dc(&scratch);
  auto textColorOf = [&](int id) {
    dc.SetTextColor(0x123456);
    about.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.GetHDC()),
                      reinterpret_cast<LPARAM>(about.ChildWithId(id)->GetHandle()));
    return dc.GetTextColor();
  };
  EXPECT_EQ(textColorOf(TAboutDlg::kNameLine), 0x000080u);
  EXPECT_EQ(textColorOf(TAboutDlg::kVersionLine), 0u);
  // The name, the version and the licence, and nothing of anyone else.
  EXPECT_EQ(about.ChildWithId(TAboutDlg::kNameLine)->GetWindowText(), "Korvex");
  EXPECT_EQ(about.ChildWithId(TAboutDlg::kVersionLine)->GetWindowText(), "Version 1.0");
  EXPECT_NE(about.ChildWithId(TAboutDlg::kLicenceLine)->GetWindowText().find("licence"), std::string::npos);
  about.Destroy();
}

// The letter an item's text marks with '&' ("&&" is a plain ampersand), upper-cased; 0
// when the text marks none.
char MnemonicOf(const std::string &text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    ++i;
  }
  return 0;
}

// Walks a menu and its pop-ups: every item (separators aside) marks a letter, and no two
// items of one menu mark the same one, so Alt and the letter reach exactly one item.
void ExpectLettersOfTheirOwn(HMENU menu, const std::string &path) {
  const int count = GetMenuItemCount(menu);
  ASSERT_GT(count, 0) << path;
  std::string seen;  // the letters so far, one per item
  std::vector<std::string> owners;
  for (int position = 0; position < count; ++position) {
    if (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_SEPARATOR) continue;
    char text[256] = {};
    GetMenuString(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    const char letter = MnemonicOf(text);
    EXPECT_NE(letter, 0) << path << ": \"" << text << "\" marks no letter";
    const std::size_t earlier = seen.find(letter);
    if (letter != 0 && earlier != std::string::npos)
      ADD_FAILURE() << path << ": \"" << text << "\" and \"" << owners[earlier] << "\" share the letter " << letter;
    seen.push_back(letter);
    owners.emplace_back(text);
    if (HMENU popup = GetSubMenu(menu, position); popup != nullptr) ExpectLettersOfTheirOwn(popup, path + " > " + text);
  }
}

}  // namespace

namespace {

TEST_F(EditorShellTest, NoTwoItemsOfAMenuShareAMnemonic) {
  Open(triplet_);
  ASSERT_NE(Menu(), nullptr);
  ExpectLettersOfTheirOwn(Menu(), "menu bar");
  // Alt+R then E and T: the Resource menu's new element and its table.
  HMENU resource = nullptr;
  for (int position = 0; position < GetMenuItemCount(Menu()) && resource == nullptr; ++position) {
    char text[64] = {};
    GetMenuString(Menu(), static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    if (MnemonicOf(text) == 'R') resource = GetSubMenu(Menu(), position);
  }
  ASSERT_NE(resource, nullptr);
  const auto commandOf = [&](char letter) {
    for (int position = 0; position < GetMenuItemCount(resource); ++position) {
      char text[64] = {};
      GetMenuString(resource, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
      if (MnemonicOf(text) == letter) return GetMenuItemID(resource, position);
    }
    return 0U;
  };
  EXPECT_EQ(commandOf('E'), static_cast<UINT>(CM_NEW_ELEMENT));
  EXPECT_EQ(commandOf('T'), static_cast<UINT>(CM_EDIT_AS_TABLE));
}

TEST_F(EditorShellTest, TheEditKeysAreTheEditorsAccelerators) {
  TOpticalEditor &editor = Open(triplet_);
  HACCEL table = GetWindowAccelerators(editor.GetHandle());
  ASSERT_NE(table, nullptr);
  constexpr UINT kDelete = 0x2E, kInsert = 0x2D;
  EXPECT_EQ(AcceleratorCommand(table, 'Z', false, true, false, 26), static_cast<UINT>(CM_UNDO));
  EXPECT_EQ(AcceleratorCommand(table, 'Y', false, true, false, 25), static_cast<UINT>(CM_REDO));
  EXPECT_EQ(AcceleratorCommand(table, 'S', false, true, false, 19),
            static_cast<UINT>(CM_SAVE_CURRENT_STEP));
  EXPECT_EQ(AcceleratorCommand(table, kDelete, false, false, false, 0), static_cast<UINT>(CM_DELETE));
  EXPECT_EQ(AcceleratorCommand(table, kDelete, true, false, false, 0), static_cast<UINT>(CM_CUT));
  EXPECT_EQ(AcceleratorCommand(table, kInsert, false, true, false, 0), static_cast<UINT>(CM_COPY));
  EXPECT_EQ(AcceleratorCommand(table, kInsert, true, false, false, 0), static_cast<UINT>(CM_PASTE));
}

TEST_F(EditorShellTest, TheStoredPlaceIsKeptOnTheScreen) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 1024);
  screen.SetMetric(SM_CYSCREEN, 768);
  TEditorSettings settings;
  settings.havePosition = true;
  const int wide[4] = {-50, 10, 2000, 410};
  std::copy(wide, wide + 4, settings.position);
  const std::string path = SettingsFilePath(ProgramDir());
  ASSERT_EQ(WriteEditorSettings(path, settings), 1);
  {
    TOpticalEditor &editor = Open(triplet_);
    const RECT frame = editor.GetWindowRect();
    EXPECT_EQ(editor.Attr.W, 1024);
    EXPECT_GE(frame.left, 0);
    EXPECT_LE(frame.right, 1024);
    EXPECT_EQ(frame.top, 10);
    editor.Destroy();
    delete editor_;
    editor_ = nullptr;
  }
  // Partly off the right and bottom edges: shifted back inside, size kept.
  const int off[4] = {900, 600, 1200, 900};
  std::copy(off, off + 4, settings.position);
  ASSERT_EQ(WriteEditorSettings(path, settings), 1);
  TOpticalEditor &editor = Open(triplet_);
  const RECT frame = editor.GetWindowRect();
  EXPECT_EQ(editor.Attr.W, 300);
  EXPECT_EQ(editor.Attr.H, 300);
  EXPECT_LE(frame.right, 1024);
  EXPECT_LE(frame.bottom, 768);
  EXPECT_GE(frame.left, 700);
  EXPECT_GE(frame.top, 450);
}

TEST_F(EditorShellTest, TheFrameComesBackAtTheSizeItWasClosed) {
  {
    TOpticalEditor &editor = Open(triplet_);
    editor.MoveWindow(100, 120, 700, 500, false);
    editor.SendMessage(WM_CLOSE);
    ASSERT_EQ(editor.GetHandle(), nullptr);
    delete editor_;
    editor_ = nullptr;
  }
  // The size given to the frame, as it was given: no shrinking from run to run. (Where
  // an offscreen frame stands is the platform's to report.)
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_EQ(editor.Attr.W, 700);
  EXPECT_EQ(editor.Attr.H, 500);
}

}  // namespace

namespace {

// The frame as it shows the Cooke triplet, read from the offscreen windows' pixels: the
// canvas's night-blue ground with white lens outlines and blue rays, the grey status bar.
TEST_F(EditorShellTest, TheFrameShowsTheTripletOnTheCanvasAboveTheStatusBar) {
  TOpticalEditor &editor = Open(triplet_);
  editor.MoveWindow(0, 0, 640, 480, true);
  test_kit::RunFor(50);
  const QImage canvas = test_kit::WindowPixels(*editor.Canvas());
  ASSERT_FALSE(canvas.isNull());
  int ground = 0, white = 0, rays = 0;
  std::vector<int> whiteInColumn(static_cast<std::size_t>(canvas.width()), 0);
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x) {
      const QRgb pixel = canvas.pixel(x, y) & 0xFFFFFF;
      if (pixel == 0x000040) ++ground;
      if (pixel == 0xFFFFFF) {
        ++white;
        ++whiteInColumn[static_cast<std::size_t>(x)];
      }
      if (pixel == 0x0000FF) ++rays;
    }
  const int area = canvas.width() * canvas.height();
  // Mostly ground; outlines and rays are thin lines over it.
  EXPECT_GT(ground, area / 2);
  EXPECT_GT(white, 500);
  EXPECT_GT(rays, 1000);
  EXPECT_LT(white + rays, area / 4);
  // The image plane is one long white upright line in the right half of the picture.
  const auto tallest = std::max_element(whiteInColumn.begin(), whiteInColumn.end());
  EXPECT_GT(tallest - whiteInColumn.begin(), canvas.width() / 2);
  EXPECT_GT(*tallest, canvas.height() / 3);

  ASSERT_NE(editor.GetStatusBar(), nullptr);
  const QImage status = test_kit::WindowPixels(*editor.GetStatusBar());
  const RECT statusRect = editor.GetStatusBar()->GetWindowRect();
  const RECT canvasRect = editor.Canvas()->GetWindowRect();
  EXPECT_GE(statusRect.top, canvasRect.bottom - 1);
  int grey = 0;
  for (int y = 0; y < status.height(); ++y)
    for (int x = 0; x < status.width(); ++x) grey += (status.pixel(x, y) & 0xFFFFFF) == 0xC0C0C0 ? 1 : 0;
  EXPECT_GT(grey, status.width() * status.height() / 2);
}

}  // namespace

namespace {

TEST_F(EditorShellTest, AFramePlacedOffTheScreenComesBackOnIt) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 1024);
  screen.SetMetric(SM_CYSCREEN, 768);
  TEditorSettings settings;
  settings.havePosition = true;
  const int away[4] = {3000, 2000, 3400, 2300};
  std::copy(away, away + 4, settings.position);
  ASSERT_EQ(WriteEditorSettings(SettingsFilePath(ProgramDir()), settings), 1);
  TOpticalEditor &editor = Open(triplet_);
  const RECT frame = editor.GetWindowRect();
  EXPECT_EQ(editor.Attr.W, 400);
  EXPECT_EQ(editor.Attr.H, 300);
  EXPECT_EQ(frame.left, 1024 - 400);
  EXPECT_EQ(frame.top, 768 - 300);
  // "Restore the window's place" cleared: the stored place is kept in the file, not taken.
  settings.EnablePosition = 0;
  ASSERT_EQ(WriteEditorSettings(SettingsFilePath(ProgramDir()), settings), 1);
  TOpticalEditor &unplaced = Open(triplet_);
  EXPECT_LT(unplaced.Attr.X, 100);  // near the corner, where a start without settings puts it
  EXPECT_LT(unplaced.Attr.Y, 100);
}

}  // namespace

namespace {

TEST_F(EditorShellTest, TheOptionsAndTheCanvasColourGoThroughTheSettingsFile) {
  TEditorSettings settings;
  settings.GridAxes = 1;
  settings.FillComponent = 0;
  settings.EnableName = 0;
  settings.EnablePosition = 0;
  settings.ShowCardinalPlanes = 1;
  settings.bkColor[0] = 10;
  settings.bkColor[1] = 20;
  settings.bkColor[2] = 30;
  const std::string path = SettingsFilePath(ProgramDir());
  ASSERT_EQ(WriteEditorSettings(path, settings), 1);
  {
    TOpticalEditor &editor = Open(triplet_);
    const TOptionsImage &options = editor.System().options;
    EXPECT_EQ(options.GridAxes, 1);
    EXPECT_EQ(options.FillComponent, 0);
    EXPECT_EQ(options.EnableName, 0);
    EXPECT_EQ(options.EnablePosition, 0);
    EXPECT_EQ(options.ShowCardinalPlanes, 1);
    EXPECT_EQ(editor.Canvas()->GetHandleField(), RGB(10, 20, 30));
    EXPECT_EQ(test_kit::WindowPixels(*editor.Canvas()).pixel(2, 2) & 0xFFFFFF, 0x0A141Eu);
    // Changed as the preferences change them, and kept at the close.
    editor.System().options.GridAxes = 0;
    editor.System().options.FillComponent = 1;
    editor.System().options.EnableName = 1;
    editor.SendMessage(WM_CLOSE);
    ASSERT_EQ(editor.GetHandle(), nullptr);
    delete editor_;
    editor_ = nullptr;
  }
  TEditorSettings reread;
  ASSERT_EQ(ReadEditorSettings(path, reread), 1);
  EXPECT_EQ(reread.GridAxes, 0);
  EXPECT_EQ(reread.FillComponent, 1);
  EXPECT_EQ(reread.EnableName, 1);
  EXPECT_EQ(reread.EnablePosition, 0);
  EXPECT_EQ(reread.ShowCardinalPlanes, 1);
  EXPECT_EQ(reread.bkColor[0], 10);
  EXPECT_EQ(reread.bkColor[2], 30);
}

}  // namespace

namespace {

TEST_F(EditorShellTest, SettingsBeyondReasonAreHeldAtStartAndAFailedWriteAtExitIsTold) {
  std::filesystem::create_directories(Scratch("config/korvex"));
  const std::string settings = Scratch("config/korvex/RodIru2Z.ini");
  WriteText(settings, "[Save]\nEnableSave=1\nNStepUndoMax=2000000000\n\n");
  TOpticalEditor &editor = Open(triplet_);
  // The undo ring is sized from the file at start-up: held to what the preferences offer.
  EXPECT_EQ(editor.System().options.RingSize(), kMaxUndoSteps);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_NE(answers_->boxes.front().text.find("NStepUndoMax=2000000000 is taken as 100"), std::string::npos)
      << answers_->boxes.front().text;
  // Something that is no file stands where the settings go: the close says so.
  std::filesystem::remove(settings);
  std::filesystem::create_directories(settings);
  const std::size_t boxes = answers_->boxes.size();
  editor.SendMessage(WM_CLOSE);
  EXPECT_EQ(editor.GetHandle(), nullptr);
  ASSERT_EQ(answers_->boxes.size(), boxes + 1);
  EXPECT_NE(answers_->boxes.back().text.find("is not an ordinary file"), std::string::npos);
  EXPECT_NE(answers_->boxes.back().text.find("settings of this session are lost"), std::string::npos);
}

TEST_F(EditorShellTest, AReadOnlySettingsFileIsKeptWithoutAWord) {
  std::filesystem::create_directories(Scratch("config/korvex"));
  const std::string settings = Scratch("config/korvex/RodIru2Z.ini");
  WriteText(settings, "[Save]\nEnableSave=1\nNStepUndoMax=12\n\n");
  std::filesystem::permissions(settings, std::filesystem::perms::owner_read);
  TOpticalEditor &editor = Open(triplet_);
  const std::size_t boxes = answers_->boxes.size();
  editor.SendMessage(WM_CLOSE);
  EXPECT_EQ(editor.GetHandle(), nullptr);
  EXPECT_EQ(answers_->boxes.size(), boxes);
  EXPECT_EQ(ReadText(settings), "[Save]\nEnableSave=1\nNStepUndoMax=12\n\n");
}

}  // namespace
