// The step movie through the main window's commands, with a recording movie writer: the
// file is asked for once, every frame is a picture of the whole window with its step in
// the title, Save each step saves at every refresh, and without a writer the commands are
// grey and only beep. With the program's own writer, a lens animation is recorded step by
// step and View report plays it back.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "editor/animation/avi_step_movie.h"
#include "editor/launchers/launcher_commands.h"
#include "editor/animation/step_movie.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/drawing/window_dc.h"
#include "toolkit/pump/message_queue.h"
#include "toolkit/render3d/o_dib.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window_host.h"
#include "viewer3d/movies/avi_codec_dlg.h"
#include "viewer3d/movies/avi_reader.h"
#include "viewer3d/frame/optical_viewer3d.h"
#include "viewer3d/movies/pavi.h"

namespace {

struct TRecordedMovie {
  std::vector<std::string> files;
  std::vector<int> widths;
  std::vector<int> heights;
  int closed = 0;
  // Frames from this one on are refused, as a movie that has reached its largest size does.
  std::size_t refusedFrom = SIZE_MAX;
  // The window's caption as each frame is written (while a refusal's message is up).
  TWindow *window = nullptr;
  std::vector<std::string> captions;
};

class TRecordingWriter final : public TStepMovieWriter {
 public:
  explicit TRecordingWriter(TRecordedMovie &movie) : movie_(movie) {}
  ~TRecordingWriter() override { ++movie_.closed; }
  int WriteFrame(const TODib &picture, int step) override {
    EXPECT_EQ(step, 1);
    if (movie_.window != nullptr) movie_.captions.push_back(movie_.window->GetWindowText());
    if (movie_.widths.size() >= movie_.refusedFrom) return 0;
    movie_.widths.push_back(picture.Width());
    movie_.heights.push_back(picture.Height());
    return 1;
  }

 private:
  TRecordedMovie &movie_;
};

class StepMovieTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    previous_ = SetStepMovieWriterFactory([this](const std::string &fileName) {
      movie_.files.push_back(fileName);
      return std::make_unique<TRecordingWriter>(movie_);
    });
  }
  void TearDown() override {
    EditorShellTest::TearDown();
    SetStepMovieWriterFactory(previous_);
  }
  bool Checked(UINT command) const { return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0; }

  TRecordedMovie movie_;
  TScriptedFileDialog files_;
  TStepMovieWriterFactory previous_;
};

TEST(StepMovieTitle, ReplacesTheLabelFromStepOnOrAppendsIt) {
  EXPECT_EQ(StepMovieTitle("Korvex - triplet.os (1:1.0)", 0), "Korvex - triplet.os (1:1.0), Step 0");
  EXPECT_EQ(StepMovieTitle("Korvex - triplet.os, Step 0", 1), "Korvex - triplet.os, Step 1");
  // A name holding "Step" keeps it.
  EXPECT_EQ(StepMovieTitle("Korvex - /data/StepIndex.os", 0), "Korvex - /data/StepIndex.os, Step 0");
  EXPECT_EQ(StepMovieTitle("Korvex - /data/StepIndex.os, Step 9", 10), "Korvex - /data/StepIndex.os, Step 10");
  EXPECT_EQ(StepMovieTitle("Korvex - a, Step b", 2), "Korvex - a, Step b, Step 2");
}

TEST_F(StepMovieTest, FramesArePicturesOfTheWholeWindowWithTheirStepInTheTitle) {
  TOpticalEditor &editor = Open(triplet_);
  EXPECT_FALSE(Grey(CM_SAVE_CURRENT_STEP));
  EXPECT_FALSE(Grey(CM_VIEW_REPORT));
  const std::string movie = Scratch("run.avi");
  files_.Choose({movie});
  editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP);
  ASSERT_EQ(files_.asked.size(), 1u);
  ASSERT_EQ(movie_.files.size(), 1u);
  EXPECT_EQ(movie_.files[0], movie);
  EXPECT_EQ(editor.Movie().ReportFileName(), movie);
  EXPECT_NE(editor.GetWindowText().find(", Step 0"), std::string::npos) << editor.GetWindowText();
  editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP);
  EXPECT_EQ(files_.asked.size(), 1u);  // the movie is open: no second question
  const std::string title = editor.GetWindowText();
  EXPECT_NE(title.find(", Step 1"), std::string::npos) << title;
  EXPECT_EQ(title.find("Step 0"), std::string::npos) << title;
  EXPECT_EQ(editor.Movie().FrameCounter(), 2);
  ASSERT_EQ(movie_.widths.size(), 2u);
  // Caption, menu and contents: the window's picture under a caption of its own.
  const SIZE whole = TWindowDC(editor).DeviceSize();
  EXPECT_EQ(movie_.widths[0], whole.cx);
  EXPECT_EQ(movie_.heights[0], whole.cy + GetSystemMetrics(SM_CYCAPTION));
  EXPECT_GT(movie_.heights[0], editor.GetClientRect().bottom);
  editor.SendMessage(WM_COMMAND, CM_CANCEL_SAVING);
  EXPECT_EQ(movie_.closed, 1);
  // A new movie asks for its file again and starts at frame 0.
  files_.Choose({Scratch("second.avi")});
  editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP);
  EXPECT_EQ(files_.asked.size(), 2u);
  EXPECT_EQ(editor.Movie().FrameCounter(), 1);
}

TEST_F(StepMovieTest, SaveEachStepSavesAtEveryRefreshUntilCancelled) {
  TOpticalEditor &editor = Open(triplet_);
  // Without a movie the first refresh asks for the file; cancelling turns the option off.
  editor.SendMessage(WM_COMMAND, CM_SAVE_EACH_STEP);
  EXPECT_TRUE(editor.Movie().SavesEachStep());
  EXPECT_TRUE(Checked(CM_SAVE_EACH_STEP));
  files_.Cancel();
  editor.SendMessage(WM_COMMAND, CM_REFRESH);
  EXPECT_FALSE(editor.Movie().SavesEachStep());
  EXPECT_FALSE(Checked(CM_SAVE_EACH_STEP));
  EXPECT_TRUE(movie_.files.empty());

  editor.SendMessage(WM_COMMAND, CM_SAVE_EACH_STEP);
  files_.Choose({Scratch("each.avi")});
  for (int k = 0; k < 3; ++k) editor.SendMessage(WM_COMMAND, CM_REFRESH);
  EXPECT_EQ(movie_.widths.size(), 3u);
  EXPECT_EQ(editor.Movie().FrameCounter(), 3);
  // Cancel saving stops the frames and clears the check.
  editor.SendMessage(WM_COMMAND, CM_CANCEL_SAVING);
  EXPECT_FALSE(editor.Movie().SavesEachStep());
  EXPECT_FALSE(Checked(CM_SAVE_EACH_STEP));
  editor.SendMessage(WM_COMMAND, CM_REFRESH);
  EXPECT_EQ(movie_.widths.size(), 3u);
  EXPECT_EQ(movie_.closed, 1);
}

TEST_F(StepMovieTest, AMovieThatEndsEndsTheRecordingAtItsLastFrame) {
  TOpticalEditor &editor = Open(triplet_);
  movie_.refusedFrom = 2;
  movie_.window = &editor;
  editor.SendMessage(WM_COMMAND, CM_SAVE_EACH_STEP);
  files_.Choose({Scratch("full.avi")});
  // Frames 0 and 1 written, frame 2 refused: the caption shows no step once the movie ended.
  for (int k = 0; k < 3; ++k) editor.SendMessage(WM_COMMAND, CM_REFRESH);
  const std::string title = editor.GetWindowText();
  EXPECT_EQ(title.find("Step"), std::string::npos) << title;
  // While the refusal was told the caption showed the last step written.
  ASSERT_EQ(movie_.captions.size(), 3u);
  EXPECT_NE(movie_.captions[2].find(", Step 1"), std::string::npos) << movie_.captions[2];
  // Later steps and a new system write nothing, the count stays and no step is shown.
  for (int k = 0; k < 2; ++k) editor.SendMessage(WM_COMMAND, CM_REFRESH);
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  EXPECT_EQ(editor.GetWindowText().find("Step"), std::string::npos) << editor.GetWindowText();
  EXPECT_EQ(movie_.widths.size(), 2u);
  EXPECT_EQ(editor.Movie().FrameCounter(), 2);
  EXPECT_EQ(movie_.closed, 1);
  EXPECT_FALSE(editor.Movie().SavesEachStep());
  EXPECT_FALSE(Checked(CM_SAVE_EACH_STEP));
  EXPECT_EQ(files_.asked.size(), 1u);
}

TEST_F(StepMovieTest, WithoutAWriterTheCommandsAreGreyAndOnlyBeep) {
  const TStepMovieWriterFactory kept = SetStepMovieWriterFactory(nullptr);
  TOpticalEditor &editor = Open(triplet_);
  for (UINT command : {CM_SAVE_CURRENT_STEP, CM_SAVE_EACH_STEP, CM_CANCEL_SAVING})
    EXPECT_TRUE(Grey(command)) << command;
  // The player needs no writer.
  EXPECT_FALSE(Grey(CM_VIEW_REPORT));
  const std::size_t beeps = answers_->beeps.size();
  // ctrl+S reaches the command from the canvas whatever the menu shows.
  editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP);
  editor.SendMessage(WM_COMMAND, CM_SAVE_EACH_STEP);
  EXPECT_EQ(answers_->beeps.size(), beeps + 2);
  EXPECT_TRUE(files_.asked.empty());
  EXPECT_FALSE(editor.Movie().SavesEachStep());
  SetStepMovieWriterFactory(kept);
}

// The program's writer, keeping a copy of every picture it is given.
class TKeepingWriter final : public TStepMovieWriter {
 public:
  TKeepingWriter(std::unique_ptr<TStepMovieWriter> writer, std::vector<std::unique_ptr<TODib>> &kept)
      : writer_(std::move(writer)), kept_(kept) {}
  int WriteFrame(const TODib &picture, int step) override {
    kept_.push_back(std::make_unique<TODib>(picture));
    return writer_->WriteFrame(picture, step);
  }

 private:
  std::unique_ptr<TStepMovieWriter> writer_;
  std::vector<std::unique_ptr<TODib>> &kept_;
};

class RecordedAnimationTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    previous_ = SetStepMovieWriterFactory([this](const std::string &fileName) -> std::unique_ptr<TStepMovieWriter> {
      std::unique_ptr<TStepMovieWriter> writer = OpenAviStepMovie(fileName);
      if (writer == nullptr) return nullptr;
      return std::make_unique<TKeepingWriter>(std::move(writer), pictures_);
    });
    previousCodec_ = SetAviCodecChooser([](TAviCodec &codec) {
      codec.kind = TAviCodec::kFullFrames;
      return true;
    });
  }
  void TearDown() override {
    EditorShellTest::TearDown();
    SetAviCodecChooser(previousCodec_);
    SetStepMovieWriterFactory(previous_);
  }

  std::vector<std::unique_ptr<TODib>> pictures_;
  TScriptedFileDialog files_;
  TStepMovieWriterFactory previous_;
  TAviCodecChooser previousCodec_;
};

TEST_F(RecordedAnimationTest, ALensAnimationIsRecordedStepByStepAndViewReportPlaysIt) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(Scratch("Systems/Cooke_Triplet.anm"), "[Common]\nContinuous=0;\n[Elem_1]\nPosY=0, 2; dPosY=0.5\n");
  const std::string movie = Scratch("lens.avi");
  editor.SendMessage(WM_COMMAND, CM_SAVE_EACH_STEP);
  files_.Choose({movie});
  // The whole run, one refresh (and one frame) a step.
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  EXPECT_EQ(editor.System().options.lensAnimationRunning, 0);
  ASSERT_GE(pictures_.size(), 4u);
  EXPECT_EQ(editor.Movie().FrameCounter(), static_cast<int>(pictures_.size()));
  // The lens moved between the first steps: the canvas (the lower half of the picture, the
  // rows stored first) differs, not only the title.
  const TODib &one = *pictures_[1], &two = *pictures_[2];
  ASSERT_EQ(one.Width(), two.Width());
  const std::size_t canvasBytes = static_cast<std::size_t>(one.RowStride()) * (one.Height() / 2);
  EXPECT_FALSE(std::equal(one.GetBits(), one.GetBits() + canvasBytes, two.GetBits()));

  // View report closes the movie first and plays it in a player of the main window's.
  files_.Choose({movie});
  editor.SendMessage(WM_COMMAND, CM_VIEW_REPORT);
  EXPECT_FALSE(editor.Movie().SavesEachStep());
  EXPECT_TRUE(answers_->boxes.empty()) << answers_->boxes.front().text;
  TPavi *player = nullptr;
  for (TWindow *child : editor.GetChildren())
    if (auto *found = dynamic_cast<TPavi *>(child)) player = found;
  ASSERT_NE(player, nullptr);
  ASSERT_TRUE(player->IsOpen());
  EXPECT_TRUE(player->IsWindowVisible());
  ASSERT_EQ(player->FrameCount(), static_cast<int>(pictures_.size()));
  // Every frame the player shows is the picture that was written; a picture of another size
  // than the first (the window's frame settles after the first) is scaled to the first's,
  // pixel (x, y) taken from (x w / W, y h / H).
  player->Play(false);
  const int width = pictures_[0]->Width(), height = pictures_[0]->Height();
  for (int frame = 0; frame < player->FrameCount(); ++frame) {
    ASSERT_TRUE(player->ShowFrame(frame));
    const TODib &picture = *pictures_[static_cast<std::size_t>(frame)];
    for (const POINT at : {POINT{5, 5}, POINT{width / 2, height / 2}, POINT{width - 3, height - 3}, POINT{width / 3, 12}}) {
      const RGBTRIPLE c = picture.GetPixelColor(at.x * picture.Width() / width, at.y * picture.Height() / height);
      EXPECT_EQ(test_kit::ClientPixel(*player, at.x, at.y), RGB(c.rgbtRed, c.rgbtGreen, c.rgbtBlue))
          << "frame " << frame << " at " << at.x << ", " << at.y;
    }
  }
}

TEST_F(RecordedAnimationTest, StepFramesShowTheScreensColoursUnderACaptionWithTheStep) {
  TOpticalEditor &editor = Open(triplet_);
  for (const char *movie : {"steps.avi", "again.avi"}) {
    files_.Choose({Scratch(movie)});
    for (int k = movie[0] == 's' ? 2 : 1; k > 0; --k) editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP);
    editor.SendMessage(WM_COMMAND, CM_CANCEL_SAVING);
  }
  ASSERT_EQ(pictures_.size(), 3u);
  // The canvas in the movie's first frame, below the caption, pixel by pixel as on the
  // screen where no other window of the program (a floating palette) stands over it, the
  // lenses' fill among its colours.
  TAviReader reader;
  TAviImage frame;
  ASSERT_TRUE(reader.Open(Scratch("steps.avi")) && reader.ReadFrame(0, frame));
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  const QImage canvas = test_kit::WindowPixels(*editor.Canvas());
  const POINT at = editor.Canvas()->ClientToScreen(POINT{0, 0}), client = editor.ClientToScreen(POINT{0, 0});
  const int left = at.x - client.x + editor.ClientOrigin().x, top = at.y - client.y + editor.ClientOrigin().y + caption;
  std::vector<QRect> over;
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && widget != editor.HostWidget())
      over.emplace_back(widget->mapToGlobal(QPoint(0, 0)) - QPoint(at.x, at.y), widget->size());
  int differing = 0, lensFill = 0, covered = 0;
  for (int k = 0; k < canvas.width() * canvas.height(); ++k) {
    const std::uint32_t rgb = canvas.pixel(k % canvas.width(), k / canvas.width()) & 0xFFFFFF;
    const QPoint pixel(k % canvas.width(), k / canvas.width());
    if (std::any_of(over.begin(), over.end(), [&pixel](const QRect &r) { return r.contains(pixel); })) {
      ++covered;
      continue;
    }
    differing += frame.Rgb(left + k % canvas.width(), top + k / canvas.width()) != rgb;
    lensFill += rgb == 0x3F3F6F;
  }
  EXPECT_EQ(differing, 0);
  EXPECT_LT(covered, canvas.width() * canvas.height() / 4);
  EXPECT_GT(lensFill, 100);
  // The caption's rows (the last, bottom-up): Step 0 and Step 1 differ, the second movie's
  // Step 0 is the first's.
  const auto rows = [&](int k) {
    const TODib &p = *pictures_[static_cast<std::size_t>(k)];
    return std::vector<std::uint8_t>(p.GetBits() + (p.Height() - caption) * p.RowStride(),
                                     p.GetBits() + p.Height() * p.RowStride());
  };
  EXPECT_NE(rows(0), rows(1));
  EXPECT_EQ(rows(0), rows(2));
}

TEST_F(RecordedAnimationTest, AStepFrameShowsEveryWindowOverTheEditorAsTheScreenDoes) {
  InstallHelp();
  TOpticalEditor &editor = Open(triplet_);
  files_.Choose({Scratch("over.avi")});
  // The 3-D viewer (the editor's), the help (owned by the editor) and the general
  // parameters' folder (without a parent), each as it stands over the canvas, then
  // standing out past the editor's left and top edges.
  for (const UINT command : {CM_3D_IMAGE, CM_HELP_CONTENTS, CM_GENERAL_PARAMETERS}) {
    SCOPED_TRACE(command);
    std::vector<QWidget *> before;
    for (QWidget *widget : QApplication::topLevelWidgets())
      if (widget->isVisible()) before.push_back(widget);
    editor.SendMessage(WM_COMMAND, command);
    QWidget *opened = nullptr;
    ASSERT_TRUE(test_kit::RunUntil([&] {
      for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && std::find(before.begin(), before.end(), widget) == before.end()) opened = widget;
      return opened != nullptr;
    }));
    auto *host = dynamic_cast<TWindowHost *>(opened);
    TWindow *window = host != nullptr ? host->Owner() : nullptr;
    ASSERT_NE(window, nullptr);
    const POINT canvas = editor.Canvas()->ClientToScreen(POINT{40, 40});
    for (const POINT shift : {POINT{0, 0}, POINT{-150, -100}}) {
      SCOPED_TRACE(shift.x);
      const RECT placed = window->GetWindowRect();
      window->MoveWindow(canvas.x + shift.x, canvas.y + shift.y, placed.right - placed.left, placed.bottom - placed.top, true);
      editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP);
      ASSERT_FALSE(pictures_.empty());
      // The editor's rectangle as the windows stack: the editor, the others, the new one on top.
      const SIZE size = TWindowDC(editor).DeviceSize();
      const POINT client = editor.ClientToScreen(POINT{0, 0});
      const QPoint corner(client.x - editor.ClientOrigin().x, client.y - editor.ClientOrigin().y);
      QImage screen(size.cx, size.cy, QImage::Format_RGB32);
      screen.fill(Qt::black);
      {
        QPainter painter(&screen);
        std::vector<QWidget *> stack{editor.HostWidget()};
        for (QWidget *widget : QApplication::topLevelWidgets())
          if (widget->isVisible() && widget != editor.HostWidget() && widget != opened) stack.push_back(widget);
        stack.push_back(opened);
        for (QWidget *widget : stack) painter.drawPixmap(widget->mapToGlobal(QPoint(0, 0)) - corner, widget->grab());
      }
      // Below the frame's caption, pixel by pixel as that screenshot, the window over a good part.
      const TODib &frame = *pictures_.back();
      ASSERT_EQ(frame.Width(), size.cx);
      const int caption = frame.Height() - size.cy;
      const QRect openedRect =
          QRect(opened->mapToGlobal(QPoint(0, 0)) - corner, opened->size()).intersected(QRect(0, 0, size.cx, size.cy));
      int differing = 0;
      for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x) {
          const RGBTRIPLE c = frame.GetPixelColor(x, caption + y);
          differing += qRgb(c.rgbtRed, c.rgbtGreen, c.rgbtBlue) != (screen.pixel(x, y) | 0xFF000000u);
        }
      EXPECT_GT(openedRect.width() * openedRect.height(), 30000);
      EXPECT_EQ(opened->mapToGlobal(QPoint(0, 0)).x() < corner.x(), shift.x < 0);
      EXPECT_EQ(differing, 0);
    }
    const QPointer<QWidget> closing(opened);
    window->CloseWindow();
    ASSERT_TRUE(test_kit::RunUntil([&] { return closing.isNull() || !closing->isVisible(); }));
  }
}

// While the first frame's box of the pictures' kind is up, the main window takes no key
// (the menu's Cancel saving, Undo); a command that still reaches it (Cancel saving, View
// report, closing) leaves the movie's writer until the frame is through, which then
// closes the movie with that frame, or keeps the window.
TEST_F(RecordedAnimationTest, CommandsDuringTheFirstFrameWaitForIt) {
  SetAviCodecChooser(nullptr);
  TOpticalEditor &editor = Open(triplet_);
  for (const UINT road : {static_cast<UINT>(CM_CANCEL_SAVING), static_cast<UINT>(CM_VIEW_REPORT), static_cast<UINT>(WM_CLOSE)}) {
    SCOPED_TRACE(road);
    const std::string movie = Scratch("first" + std::to_string(road) + ".avi");
    files_.Choose({movie});
    bool editorRested = false, keptWhileUp = false;
    QTimer::singleShot(0, [&] {
      TWindow *box = nullptr;
      ASSERT_TRUE(test_kit::RunUntil([&] {
        for (TWindow *w = WindowFromHandle(GetFocus()); w != nullptr; w = w->GetParentO())
          if (dynamic_cast<TAviCodecDlg *>(w) != nullptr) box = w;
        return box != nullptr && box->IsModal();
      }));
      editorRested = !editor.IsWindowEnabled();
      for (const auto &[key, alt] : {std::pair<UINT, bool>{'P', true}, {'A', false}}) test_kit::PostKey(editor, key, alt);
      test_kit::PostKeyWith(editor, 'Z', MK_CONTROL);
      test_kit::RunFor(50);
      if (road == WM_CLOSE) editor.SendMessage(WM_CLOSE);
      else editor.SendMessage(WM_COMMAND, road);
      keptWhileUp = editor.Movie().Recording();
      test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_RETURN);
    });
    editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP);
    EXPECT_TRUE(editorRested);
    EXPECT_TRUE(keptWhileUp);
    ASSERT_TRUE(editor.IsWindow());
    EXPECT_TRUE(editor.IsWindowEnabled());
    EXPECT_EQ(editor.Movie().Recording(), road == WM_CLOSE);
    EXPECT_EQ(editor.GetWindowText().find("Step") == std::string::npos, road != WM_CLOSE) << editor.GetWindowText();
    editor.SendMessage(WM_COMMAND, CM_CANCEL_SAVING);
    EXPECT_EQ(editor.GetWindowText().find("Step"), std::string::npos) << editor.GetWindowText();
    TAviReader reader;
    ASSERT_TRUE(reader.Open(movie));
    EXPECT_EQ(reader.FrameCount(), 1);
  }
}

// Nothing of the movie's file, its work file included, is in the folder.
bool NothingOf(const std::string &folder, const std::string &name) {
  for (const auto &entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().rfind(name, 0) == 0) return false;
  return true;
}

// A movie whose coder is cancelled never begins: the file and its work file are gone at
// once, Save each step is off, and the next step asks for a file again. Whether started by
// Save current step or by a refresh under Save each step.
TEST_F(RecordedAnimationTest, ACancelledMovieStartLeavesNothingBehind) {
  SetAviCodecChooser([](TAviCodec &) { return false; });
  TOpticalEditor &editor = Open(triplet_);
  const std::string folder = Scratch("movies");
  std::filesystem::create_directories(folder);
  for (const bool eachStep : {false, true}) {
    const std::string name = eachStep ? "each.avi" : "current.avi";
    SCOPED_TRACE(name);
    answers_->boxes.clear();
    const std::size_t asked = files_.asked.size();
    files_.Choose({folder + "/" + name});
    editor.SendMessage(WM_COMMAND, eachStep ? CM_SAVE_EACH_STEP : CM_SAVE_CURRENT_STEP);
    if (eachStep) editor.SendMessage(WM_COMMAND, CM_REFRESH);
    EXPECT_EQ(files_.asked.size(), asked + 1);
    ASSERT_FALSE(answers_->boxes.empty());
    EXPECT_EQ(answers_->boxes.back().text, "User Cancel");
    EXPECT_TRUE(NothingOf(folder, name));
    EXPECT_FALSE(editor.Movie().SavesEachStep());
    // The movie was dropped: the next step asks for its file again.
    files_.Choose({folder + "/" + name});
    editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP);
    EXPECT_EQ(files_.asked.size(), asked + 2);
  }
}

}  // namespace

// Two movies never write one file: the file the editor's step movie or the 3-D view's movie
// writes is refused to the other when chosen, in either order, and the first movie is
// whole when it ends. A file that takes a movie's place while it runs is replaced only on
// a yes; a no keeps it.
TEST_F(RecordedAnimationTest, AFileAnotherMovieWritesIsRefusedAndOneThatAppearsIsAskedAbout) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  TOpticalViewer3DForEdit2D *viewer = editor.Launchers().ViewerWindow();
  ASSERT_NE(viewer, nullptr);
  const auto step = [&](const std::string &file) { files_.Choose({file}), editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP); };
  // Every road a movie is written by: its start on a chosen name, and one more frame. The
  // step movie's start writes its first frame; the editor asks a step movie's name only
  // while none is open, so it meets the others only. The rotation stays open here (no
  // settings file to run it by), as it does whenever it stops short.
  struct TRoad {
    const char *name;
    std::function<void(const std::string &)> start;
    std::function<void()> frame;
    bool framesAtStart;
    bool viewer;
  };
  const auto viewerRoad = [&](TViewerAnimation kind) {
    return [&, kind](const std::string &file) {
      files_.Choose({file}), viewer->SendMessage(WM_COMMAND, CM_VIEWER_ANIMATION + static_cast<int>(kind));
    };
  };
  const auto viewerFrame = [&] { viewer->Movie().WriteViewerFrame(1); };
  const TRoad roads[] = {
      {"step", step, [&] { editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP); }, true, false},
      {"lens", viewerRoad(TViewerAnimation::kLens), viewerFrame, false, true},
      {"rotation", viewerRoad(TViewerAnimation::kRotation), viewerFrame, false, true},
  };
  int pair = 0;
  for (const TRoad &first : roads) {
    for (const TRoad &second : roads) {
      if (!first.viewer && !second.viewer) continue;
      SCOPED_TRACE(std::string(first.name) + " then " + second.name);
      const std::string movie = Scratch("same" + std::to_string(pair++) + ".avi");
      first.start(movie);
      if (!first.framesAtStart) first.frame();
      answers_->boxes.clear();
      second.start(movie);
      ASSERT_EQ(answers_->boxes.size(), 1u);
      EXPECT_NE(answers_->boxes[0].text.find("being written by another movie"), std::string::npos) << answers_->boxes[0].text;
      EXPECT_EQ(editor.Movie().Recording(), !first.viewer);
      EXPECT_EQ(viewer->Movie().Recording(), first.viewer);
      // The first movie goes on, and is whole when it ends: two frames, each read back.
      first.frame();
      editor.SendMessage(WM_COMMAND, CM_CANCEL_SAVING), viewer->Movie().Finish();
      TAviReader reader;
      ASSERT_TRUE(reader.Open(movie)) << reader.Error();
      ASSERT_EQ(reader.FrameCount(), 2);
      TAviImage picture;
      for (int frame = 0; frame < reader.FrameCount(); ++frame) EXPECT_TRUE(reader.ReadFrame(frame, picture)) << frame;
      EXPECT_EQ(reader.Width() == pictures_.back()->Width(), !first.viewer);
    }
  }
  for (const int answer : {IDNO, IDYES}) {
    const std::string movie = Scratch(answer == IDNO ? "kept.avi" : "replaced.avi");
    step(movie);
    WriteText(movie, "another program's\n"), answers_->boxes.clear(), answers_->QueueAnswer(answer);
    editor.SendMessage(WM_COMMAND, CM_CANCEL_SAVING);
    ASSERT_EQ(answers_->boxes.size(), 1u);
    EXPECT_NE(answers_->boxes[0].text.find("Replace it with this movie?"), std::string::npos);
    TAviReader reader;
    EXPECT_EQ(reader.Open(movie), answer == IDYES);
  }
}
