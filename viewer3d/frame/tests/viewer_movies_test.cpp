// The viewer's movies through its commands, offscreen: the rotation of the triplet recorded
// frame by frame and played back by the player (frames stepped by its timer, pixels
// compared with the viewer's own pictures); a lens animation recorded redraw by redraw
// until the viewer closes; the pop-up and its refusal while the editor animates; a missing
// settings file and a cancelled choice, which leave the rotation step as it was.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/scripted_dialogs.h"
#include "platform/gui/menus/menu_tracker.h"
#include "toolkit/bars/o_control_bar.h"
#include "toolkit/pump/message_queue.h"
#include "viewer3d/frame/tests/viewer_frame_fixture.h"
#include "viewer3d/movies/avi_codec_dlg.h"
#include "viewer3d/movies/avi_reader.h"
#include "viewer3d/movies/o_avi_stream.h"
#include "viewer3d/movies/pavi.h"
#include "viewer3d/palette/viewer_commands.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;
constexpr double kQuarterTurn = 90.0 * kRadiansPerDegree;
// Four quarter turns come back to the start up to the rounding of four compositions: a
// few pixels along the solids' edges may fall the other way.
constexpr double kEdgeShare = 0.01;
constexpr UINT kRotation = CM_VIEWER_ANIMATION + static_cast<int>(TViewerAnimation::kRotation);
constexpr UINT kLens = CM_VIEWER_ANIMATION + static_cast<int>(TViewerAnimation::kLens);

class ViewerMoviesTest : public ViewerFrameTest {
 protected:
  void SetUp() override {
    ViewerFrameTest::SetUp();
    previousCodec_ = SetAviCodecChooser([this](TAviCodec &codec) {
      ++codecQuestions_;
      codec.kind = TAviCodec::kFullFrames;
      return codecAnswer_;
    });
  }
  void TearDown() override {
    SetAviCodecChooser(previousCodec_);
    ViewerFrameTest::TearDown();
  }
  std::string Movie(const std::string &name) const { return root_ + "/" + name; }
  // The player the command made among the window's children.
  static TPavi *PlayerOf(TWindow &owner) {
    TPavi *player = nullptr;
    for (TWindow *child : owner.GetChildren())
      if (auto *found = dynamic_cast<TPavi *>(child)) player = found;
    return player;
  }
  static std::vector<COLORREF> Shown(TPavi &player) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) pixels.push_back(test_kit::ClientPixel(player, x, y));
    return pixels;
  }

  TScriptedFileDialog files_;
  TAviCodecChooser previousCodec_;
  int codecQuestions_ = 0;
  bool codecAnswer_ = true;
};

TEST_F(ViewerMoviesTest, TheTripletsRotationIsRecordedAndThePlayerPlaysItBack) {
  WriteSettings("[Viewer]\nRotStep=15;\n[Animation]\nRotStep_y=90; nRotStep=4; IsGoBack=0; nFrameRepeat=1;\n");
  TWindow &editor = MakeParent(10, 10, 400, 300);
  TOpticalViewer3D &viewer = Make(kWidth, kHeight, &editor);
  FillTriplet(viewer);
  viewer.Redraw(false);
  const double rotStep = viewer.RotStep();
  const std::string movie = Movie("rotation.avi");
  files_.Choose({movie});
  viewer.SendMessage(WM_COMMAND, kRotation);
  ASSERT_EQ(files_.asked.size(), 1u);
  EXPECT_TRUE(boxes_->boxes.empty()) << boxes_->boxes.front().text;
  EXPECT_EQ(codecQuestions_, 1);
  EXPECT_EQ(viewer.RotStep(), rotStep);  // the settings' 15 degrees, not the rotation's 90
  // A whole run finishes the movie.
  EXPECT_FALSE(viewer.Movie().Recording());
  TAviReader reader;
  ASSERT_TRUE(reader.Open(movie)) << reader.Error();
  ASSERT_EQ(reader.FrameCount(), 4);
  EXPECT_EQ(reader.Width(), kWidth);
  EXPECT_EQ(reader.Height(), kHeight);

  // Four quarter turns: the view is back where it began. Frame k is the start turned k
  // quarters about y, each written before its turn.
  std::vector<std::vector<COLORREF>> expected;
  for (int k = 0; k < 4; ++k) {
    expected.push_back(PictureOf(viewer));
    viewer.TurnView(DANGLE3(0.0, kQuarterTurn, 0.0), DPOINT3());
    viewer.Repaint();
  }
  EXPECT_GT(Differing(expected[0], expected[1]), kWidth * kHeight / 50);

  files_.Choose({movie});
  viewer.SendMessage(WM_COMMAND, CM_PLAY_ANIMATION);
  TPavi *player = PlayerOf(editor);
  ASSERT_NE(player, nullptr);
  ASSERT_TRUE(player->IsOpen());
  const int allowed = static_cast<int>(kEdgeShare * kWidth * kHeight);
  for (int tick = 0; tick < 5; ++tick) {
    const int frame = player->Frame();
    EXPECT_LE(Differing(Shown(*player), expected[static_cast<std::size_t>(frame)]), allowed) << "frame " << frame;
    player->SendMessage(WM_TIMER, TPavi::kPlayTimer);
    EXPECT_EQ(player->Frame(), (frame + 1) % 4);
  }
}

TEST_F(ViewerMoviesTest, ALensAnimationIsAFrameARedrawUntilTheViewerCloses) {
  TOpticalViewer3D &viewer = Make(kWidth, kHeight);
  FillTriplet(viewer);
  viewer.Redraw(false);
  const std::string movie = Movie("lens.avi");
  files_.Choose({movie});
  viewer.SendMessage(WM_COMMAND, kLens);
  ASSERT_TRUE(viewer.Movie().Recording());
  const double scale = viewer.Scale();
  // The editor's refreshes: a frame each, at one scale.
  for (int step = 0; step < 3; ++step) {
    viewer.TurnView(DANGLE3(0.1, 0.0, 0.0), DPOINT3());
    viewer.Redraw(true);
    EXPECT_EQ(viewer.Scale(), scale);
  }
  // Turns and the like repaint without a frame.
  viewer.SendMessage(WM_COMMAND, CM_ROTATE_X_PLUS);
  EXPECT_FALSE(std::filesystem::exists(movie));
  viewer.SendMessage(WM_CLOSE);
  TAviReader reader;
  ASSERT_TRUE(reader.Open(movie)) << reader.Error();
  EXPECT_EQ(reader.FrameCount(), 3);
}

TEST_F(ViewerMoviesTest, ThePopUpIsRefusedWhileTheEditorAnimatesAndOffersTheThreeAnimations) {
  TOpticalViewer3D &viewer = Make(kWidth, kHeight);
  TScriptedMenuTracker menus;
  ProgramMessageQueue().Enter();
  viewer.SendMessage(WM_COMMAND, CM_CREATE_ANIMATION);
  ProgramMessageQueue().Leave(1);
  EXPECT_TRUE(menus.walks.empty());
  ASSERT_EQ(boxes_->boxes.size(), 1u);
  EXPECT_EQ(boxes_->boxes[0].text, "Stop Animation in Editor!");
  EXPECT_EQ(boxes_->boxes[0].caption, "Create Animation");
  EXPECT_EQ(boxes_->boxes[0].flags & MB_ICONMASK, MB_ICONINFORMATION);
  EXPECT_FALSE(boxes_->beeps.empty());

  // The pop-up under its button; a chosen item asks for the movie's file.
  menus.ChooseId(kLens);
  files_.Cancel();
  viewer.SendMessage(WM_COMMAND, CM_CREATE_ANIMATION);
  ASSERT_EQ(menus.walks.size(), 1u);
  EXPECT_EQ(menus.walks[0].Items, (std::vector<std::string>{"Lens animation", "Beams animation", "System rotation"}));
  const RECT bar = viewer.ControlBar()->GetWindowRect();
  EXPECT_EQ(menus.walks[0].Walk.Screen.y, bar.bottom);
  EXPECT_GT(menus.walks[0].Walk.Screen.x, bar.left);
  EXPECT_EQ(menus.walks[0].Walk.Flags & TPM_CENTERALIGN, TPM_CENTERALIGN);
  EXPECT_EQ(files_.asked.size(), 1u);
  EXPECT_FALSE(viewer.Movie().Recording());  // cancelled: no movie
}

TEST_F(ViewerMoviesTest, AMissingSettingsFileOrACancelledChoiceStopsTheRotationAndKeepsTheStep) {
  TOpticalViewer3D &viewer = Make(kWidth, kHeight);
  FillTriplet(viewer);
  viewer.Redraw(false);
  const double rotStep = viewer.RotStep();
  files_.Choose({Movie("none.avi")});
  viewer.SendMessage(WM_COMMAND, kRotation);
  ASSERT_EQ(boxes_->boxes.size(), 1u);
  EXPECT_EQ(boxes_->boxes[0].text, "File View_3D.ini is not found");
  EXPECT_EQ(boxes_->boxes[0].caption, "Animation");
  EXPECT_EQ(codecQuestions_, 0);
  EXPECT_TRUE(viewer.Movie().Recording());  // open until another file or the viewer's end

  // The first frame's choice cancelled: nothing turns, the step stays, one box.
  WriteSettings("[Animation]\nRotStep_x=20; nRotStep=6;\n");
  codecAnswer_ = false;
  const std::vector<COLORREF> before = PictureOf(viewer);
  files_.Choose({Movie("cancelled.avi")});
  viewer.SendMessage(WM_COMMAND, kRotation);
  EXPECT_EQ(codecQuestions_, 1);
  ASSERT_EQ(boxes_->boxes.size(), 2u);
  EXPECT_EQ(boxes_->boxes[1].text, "User Cancel");
  EXPECT_EQ(viewer.RotStep(), rotStep);
  EXPECT_EQ(Differing(PictureOf(viewer), before), 0);
  viewer.SendMessage(WM_CLOSE);
  EXPECT_FALSE(std::filesystem::exists(Movie("none.avi")));
  EXPECT_FALSE(std::filesystem::exists(Movie("cancelled.avi")));
}

}  // namespace
