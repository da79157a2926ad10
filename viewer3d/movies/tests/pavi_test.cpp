// The movie player offscreen: it opens sized to the movie with the movie at the top left
// (smaller when the screen cannot hold it and its bar),
// steps by its timer at 1.5 times the file's rate and loops, snaps back after a resize,
// pauses and seeks from its bar, closes the movie when closed, and stays hidden with
// "Unable to open Movie" for a file it cannot read.
#include "viewer3d/movies/pavi.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/textfiles/tests/read_nf_test_support.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/test_kit.h"
#include "viewer3d/movies/avi_movie_writer.h"
#include "viewer3d/movies/tests/movie_test_support.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kFrames = 4;

COLORREF AsColorRef(std::uint32_t rgb) { return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF); }

class PaviTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    owner_ = std::make_unique<TWindow>(nullptr, "Owner");
    owner_->Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    ASSERT_TRUE(owner_->Create());
    for (int frame = 0; frame < kFrames; ++frame)
      pictures_.push_back(movie_test::SmoothPicture(kWidth, kHeight, frame));
    movie_ = files_.PathOf("played.avi");
    TAviMovieWriter writer;
    ASSERT_TRUE(writer.Open(movie_).Written());
    ASSERT_EQ(writer.Begin(pictures_[0].View(), {TAviCodec::kFullFrames, 0}), TAviWriteStatus::kWritten);
    for (const movie_test::TPicture &p : pictures_) ASSERT_EQ(writer.Write(p.View(), 1), TAviWriteStatus::kWritten);
    ASSERT_TRUE(writer.Finish().Written());
  }
  void TearDown() override { owner_.reset(); }

  TPavi &Player() {
    auto *player = new TPavi(owner_.get());  // owned by its parent
    EXPECT_TRUE(player->Create());
    return *player;
  }
  // Whether the client shows the picture of frame k.
  bool Shows(TPavi &player, int k) {
    const movie_test::TPicture &p = pictures_[static_cast<std::size_t>(k)];
    for (const POINT at : {POINT{0, 0}, POINT{kWidth - 1, kHeight - 1}, POINT{17, 30}, POINT{40, 9}})
      if (test_kit::ClientPixel(player, at.x, at.y) != AsColorRef(p.Rgb(at.x, at.y))) return false;
    return true;
  }

  TScratchFiles files_;
  TRecordingMessageBoxProvider boxes_;
  std::unique_ptr<TWindow> owner_;
  std::vector<movie_test::TPicture> pictures_;
  std::string movie_;
};

TEST_F(PaviTest, AMovieOpensSizedToItselfAndLoopsStepByStep) {
  TPavi &player = Player();
  EXPECT_FALSE(player.IsWindowVisible());
  player.OpenMovie(movie_.c_str());
  ASSERT_TRUE(player.IsOpen());
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_TRUE(player.IsWindowVisible());
  EXPECT_EQ(player.GetWindowText(), "Animation");
  // The movie with the bar below, the bar wide enough for its parts.
  const RECT client = player.GetClientRect();
  EXPECT_EQ(client.right, TPavi::kSmallestWidth);
  EXPECT_EQ(client.bottom, kHeight + TPavi::kBarHeight);
  // Ten frames a second in the file, fifteen on the screen.
  EXPECT_EQ(player.FramePeriodMs(), 67u);
  EXPECT_TRUE(player.IsPlaying());
  EXPECT_TRUE(Shows(player, 0));
  for (int tick = 1; tick <= kFrames + 1; ++tick) {
    player.SendMessage(WM_TIMER, TPavi::kPlayTimer);
    EXPECT_EQ(player.Frame(), tick % kFrames);
    EXPECT_TRUE(Shows(player, tick % kFrames)) << "tick " << tick;
  }
  // The real timer moves it on by itself.
  const int before = player.Frame();
  EXPECT_TRUE(test_kit::RunUntil([&] { return player.Frame() != before; }, test_kit::kPatienceMs));
}

TEST_F(PaviTest, AResizeSnapsBackAndTheBarPausesAndSeeks) {
  TPavi &player = Player();
  player.OpenMovie(movie_.c_str());
  ASSERT_TRUE(player.IsOpen());
  const RECT window = player.GetWindowRect();
  player.SetWindowPos(nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  test_kit::RunFor(50);
  const RECT client = player.GetClientRect();
  EXPECT_EQ(client.right, TPavi::kSmallestWidth);
  EXPECT_EQ(client.bottom, kHeight + TPavi::kBarHeight);
  const RECT after = player.GetWindowRect();
  EXPECT_EQ(after.right - after.left, window.right - window.left);

  // The button pauses: the timer no longer moves the movie.
  const RECT button = player.ButtonRect();
  player.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(button.left + 5, button.top + 5));
  EXPECT_FALSE(player.IsPlaying());
  const int paused = player.Frame();
  player.SendMessage(WM_TIMER, TPavi::kPlayTimer);
  test_kit::RunFor(100);
  EXPECT_EQ(player.Frame(), paused);
  // A press at the track's right end shows the last frame, its left end the first.
  const RECT track = player.TrackRect();
  player.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(track.right - 1, track.top + 1));
  player.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(track.right - 1, track.top + 1));
  EXPECT_EQ(player.Frame(), kFrames - 1);
  EXPECT_TRUE(Shows(player, kFrames - 1));
  player.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(track.left, track.top + 1));
  player.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(track.left + (track.right - track.left) / 3, track.top));
  player.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(track.left + (track.right - track.left) / 3, track.top));
  EXPECT_EQ(player.Frame(), 1);
  player.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(button.left + 5, button.top + 5));
  EXPECT_TRUE(player.IsPlaying());

  // Moved towards the screen's corner, a movie opened again brings the player back on it.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  player.SetWindowPos(nullptr, screenWidth - 20, screenHeight - 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  player.OpenMovie(movie_.c_str());
  const RECT placed = player.GetWindowRect();
  EXPECT_GE(placed.left, 0);
  EXPECT_GE(placed.top, 0);
  EXPECT_LE(placed.right, screenWidth);
  EXPECT_LE(placed.bottom, screenHeight);

  // Closing lets the movie go.
  player.SendMessage(WM_CLOSE);
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(player.IsWindow());
}

TEST_F(PaviTest, AMovieTallerThanTheScreenIsShownSmallerWithItsBarOnTheScreen) {
  // A screen too low for the movie and its bar.
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 400);
  screen.SetMetric(SM_CYSCREEN, 90);
  TPavi &player = Player();
  player.OpenMovie(movie_.c_str());
  ASSERT_TRUE(player.IsOpen());
  // Wholly on the screen, bar and all.
  const RECT placed = player.GetWindowRect();
  EXPECT_GE(placed.left, 0);
  EXPECT_GE(placed.top, 0);
  EXPECT_LE(placed.right, 400);
  EXPECT_LE(placed.bottom, 90);
  // The movie shown smaller at one scale for both sides, the bar below it in the client.
  const RECT movie = player.MovieRect();
  EXPECT_LT(movie.bottom, kHeight);
  EXPECT_GT(movie.bottom, kHeight / 4);
  EXPECT_NEAR(static_cast<double>(movie.right) / movie.bottom, static_cast<double>(kWidth) / kHeight, 0.1);
  const RECT client = player.GetClientRect();
  EXPECT_EQ(client.bottom, movie.bottom + TPavi::kBarHeight);
  EXPECT_LE(player.ButtonRect().bottom, client.bottom);
  EXPECT_LE(player.TrackRect().bottom, client.bottom);
  // The picture is the movie's, scaled: the centre shows the movie's centre colour.
  const COLORREF centre = test_kit::ClientPixel(player, movie.right / 2, movie.bottom / 2);
  const COLORREF expected = AsColorRef(pictures_[0].Rgb(kWidth / 2, kHeight / 2));
  for (int shift : {0, 8, 16})
    EXPECT_NEAR(static_cast<int>(centre >> shift & 0xFF), static_cast<int>(expected >> shift & 0xFF), 24) << shift;
  // The bar still pauses the movie.
  const RECT button = player.ButtonRect();
  player.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(button.left + 5, button.top + 5));
  EXPECT_FALSE(player.IsPlaying());
}

TEST_F(PaviTest, AFileThatIsNoMovieLeavesThePlayerHidden) {
  const std::string text = files_.Write("notes.avi", "not a movie at all, only words");
  TPavi &player = Player();
  player.OpenMovie(text.c_str());
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(player.IsWindowVisible());
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text.rfind("Unable to open Movie", 0), 0u) << boxes_.boxes[0].text;
  EXPECT_EQ(boxes_.boxes[0].flags & MB_ICONMASK, MB_ICONEXCLAMATION);
  // Over the window that asked for it, not over the hidden player at the screen's corner.
  EXPECT_EQ(boxes_.boxes[0].owner, owner_->GetHandle());
  // Destroyed without closing, the player lets everything go.
  player.OpenMovie(movie_.c_str());
  ASSERT_TRUE(player.IsOpen());
  player.Destroy();
  EXPECT_FALSE(player.IsOpen());
}

}  // namespace
