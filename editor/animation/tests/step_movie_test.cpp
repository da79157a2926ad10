// The step movie through the main window's commands, with a recording movie writer: the
// file is asked for once, every frame is a picture of the whole window with its step in
// the title, Save each step saves at every refresh, and without a writer the commands are
// grey and only beep.
#include <memory>
#include <vector>

#include "editor/animation/step_movie.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/drawing/window_dc.h"
#include "toolkit/render3d/o_dib.h"

namespace {

struct TRecordedMovie {
  std::vector<std::string> files;
  std::vector<int> widths;
  std::vector<int> heights;
  int closed = 0;
};

class TRecordingWriter final : public TStepMovieWriter {
 public:
  explicit TRecordingWriter(TRecordedMovie &movie) : movie_(movie) {}
  ~TRecordingWriter() override { ++movie_.closed; }
  int WriteFrame(const TODib &picture, int step) override {
    EXPECT_EQ(step, 1);
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
  EXPECT_TRUE(Grey(CM_VIEW_REPORT));  // the movie player is not there
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
  // Frame, caption and menu: the picture is the window's, taller than its client area.
  const SIZE whole = TWindowDC(editor).DeviceSize();
  EXPECT_EQ(movie_.widths[0], whole.cx);
  EXPECT_EQ(movie_.heights[0], whole.cy);
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

TEST_F(StepMovieTest, WithoutAWriterTheCommandsAreGreyAndOnlyBeep) {
  const TStepMovieWriterFactory kept = SetStepMovieWriterFactory(nullptr);
  TOpticalEditor &editor = Open(triplet_);
  for (UINT command : {CM_SAVE_CURRENT_STEP, CM_SAVE_EACH_STEP, CM_CANCEL_SAVING, CM_VIEW_REPORT})
    EXPECT_TRUE(Grey(command)) << command;
  const std::size_t beeps = answers_->beeps.size();
  // ctrl+S reaches the command from the canvas whatever the menu shows.
  editor.SendMessage(WM_COMMAND, CM_SAVE_CURRENT_STEP);
  editor.SendMessage(WM_COMMAND, CM_SAVE_EACH_STEP);
  EXPECT_EQ(answers_->beeps.size(), beeps + 2);
  EXPECT_TRUE(files_.asked.empty());
  EXPECT_FALSE(editor.Movie().SavesEachStep());
  SetStepMovieWriterFactory(kept);
}

}  // namespace
