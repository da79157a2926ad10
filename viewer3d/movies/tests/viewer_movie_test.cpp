// A viewer's movie: every redraw of a lens or beam animation is a frame of the scene
// window's picture at one scale; a rotation's redraws add none; a new movie finishes the
// one before; the rotation writes each frame before its turn, turns back in z, y, x order
// after half of them, leaves out turns of 0 and stops at a failed write.
#include "viewer3d/movies/viewer_movie.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/filewrite/file_replace.h"
#include "foundation/textfiles/tests/read_nf_test_support.h"
#include "platform/core/recording_providers.h"
#include "viewer3d/movies/avi_codec_dlg.h"
#include "viewer3d/movies/avi_reader.h"
#include "viewer3d/movies/o_avi_stream.h"
#include "viewer3d/window/tests/scene_window_fixture.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

class ViewerMovieTest : public SceneWindowTest {
 protected:
  void SetUp() override {
    SceneWindowTest::SetUp();
    previous_ = SetAviCodecChooser([](TAviCodec &codec) {
      codec.kind = TAviCodec::kFullFrames;
      return true;
    });
  }
  void TearDown() override {
    SetAviCodecChooser(previous_);
    SceneWindowTest::TearDown();
  }
  // The renderer's picture now, as colours.
  static std::vector<COLORREF> Pixels(const TOptic3DV &window) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) pixels.push_back(Picture(window, x, y));
    return pixels;
  }
  static std::vector<COLORREF> Pixels(const TAviImage &image) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const std::uint32_t rgb = image.Rgb(x, y);
        pixels.push_back(RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
      }
    return pixels;
  }

  TScratchFiles files_;
  TRecordingMessageBoxProvider boxes_;
  TAviCodecChooser previous_;
};

TEST_F(ViewerMovieTest, EveryRedrawOfALensAnimationIsAFrameOfThePictureAtOneScale) {
  TSceneWindow made = Make(kWidth, kHeight);
  TViewerScene &scene = Keep(made);
  TOptic3DV &window = *made.window;
  scene.AddLens(TLensShape{40, -60, 20, 6, 0.5});
  scene.SetViewport(kWidth / 2.0, kHeight / 2.0);
  TViewerMovie movie([&window]() -> const TDib * { return window.Renderer(); });
  scene.SetRecorder(&movie);
  scene.Redraw(true);  // fitted: nothing records yet
  const double scale = scene.Scale();
  const std::string path = files_.PathOf("lens.avi");
  movie.Start(path, TViewerAnimation::kLens);
  ASSERT_TRUE(movie.Recording());
  std::vector<std::vector<COLORREF>> drawn;
  for (int step = 0; step < 3; ++step) {
    // A second element would change the fit: while recording the scale stays.
    if (step == 1) scene.AddLens(TLensShape{80, -80, 30, 4, 0.5});
    scene.TurnView(DANGLE3(0.0, 0.3, 0.0), DPOINT3());
    scene.Redraw(true);
    drawn.push_back(Pixels(window));
    EXPECT_EQ(scene.Scale(), scale);
  }
  EXPECT_EQ(movie.Stream()->FrameCount(), 3);
  movie.Finish();
  EXPECT_FALSE(movie.Recording());
  scene.SetRecorder(nullptr);
  EXPECT_TRUE(boxes_.boxes.empty());

  TAviReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Error();
  ASSERT_EQ(reader.FrameCount(), 3);
  EXPECT_EQ(reader.BitCount(), 24);
  for (int frame = 0; frame < 3; ++frame) {
    TAviImage image;
    ASSERT_TRUE(reader.ReadFrame(frame, image));
    EXPECT_TRUE(Pixels(image) == drawn[static_cast<std::size_t>(frame)]) << "frame " << frame;
  }
  EXPECT_FALSE(drawn[0] == drawn[1]);
}

TEST_F(ViewerMovieTest, ARotationsRedrawsAddNoFrameAndANewMovieFinishesThePreviousOnceItsFrameIsThrough) {
  TSceneWindow made = Make(kWidth, kHeight);
  TViewerScene &scene = Keep(made);
  TOptic3DV &window = *made.window;
  scene.AddLens(TLensShape{40, -60, 20, 6, 0.5});
  TViewerMovie movie([&window]() -> const TDib * { return window.Renderer(); });
  scene.SetRecorder(&movie);
  const std::string first = files_.PathOf("first.avi"), second = files_.PathOf("second.avi");
  movie.Start(first, TViewerAnimation::kBeams);
  scene.Redraw(true);
  scene.Redraw(true);
  movie.Start(second, TViewerAnimation::kRotation);
  TAviReader reader;
  ASSERT_TRUE(reader.Open(first)) << reader.Error();  // finished when the second began
  EXPECT_EQ(reader.FrameCount(), 2);
  scene.Redraw(true);
  EXPECT_EQ(movie.Stream()->FrameCount(), 0);
  EXPECT_EQ(movie.WriteViewerFrame(4), 1);
  movie.Finish();
  scene.SetRecorder(nullptr);
  ASSERT_TRUE(reader.Open(second)) << reader.Error();
  EXPECT_EQ(reader.FrameCount(), 4);  // one picture held for four periods
  // Finished, and another begun, while the first frame's box of the pictures' kind is up:
  // the stream stays until the frame is through, then the movie ends with it.
  const std::string third = files_.PathOf("third.avi");
  movie.Start(third, TViewerAnimation::kRotation);
  SetAviCodecChooser([&](TAviCodec &codec) {
    movie.Finish();
    movie.Start(first, TViewerAnimation::kBeams);
    codec.kind = TAviCodec::kFullFrames;
    return true;
  });
  EXPECT_EQ(movie.WriteViewerFrame(1), 0);
  EXPECT_FALSE(movie.Recording());
  ASSERT_TRUE(reader.Open(third)) << reader.Error();
  EXPECT_EQ(reader.FrameCount(), 1);
  ASSERT_TRUE(reader.Open(first)) << reader.Error();
  EXPECT_EQ(reader.FrameCount(), 2);
}

// A movie that ends early (here the pictures' kind is not chosen) is finished at once: no
// movie stays open on its name, which another writer may take.
TEST_F(ViewerMovieTest, AMovieThatEndedEarlyLetsItsNameGo) {
  TSceneWindow made = Make(kWidth, kHeight);
  TOptic3DV &window = *made.window;
  TViewerMovie movie([&window]() -> const TDib * { return window.Renderer(); });
  const std::string path = files_.PathOf("cancelled.avi");
  movie.Start(path, TViewerAnimation::kRotation);
  SetAviCodecChooser([](TAviCodec &) { return false; });
  EXPECT_EQ(movie.WriteViewerFrame(1), 0);
  EXPECT_FALSE(movie.Recording());
  TFileReplacement other;
  EXPECT_TRUE(other.Open(path).Written());
}

// The rotation's calls in order: "w<step>" for a frame, "<axis><angle in degrees>" a turn.
std::vector<std::string> Rotation(const TAnimationSettings &settings, int failAt = -1) {
  std::vector<std::string> calls;
  int frames = 0;
  const int written = RunRotationFrames(
      settings,
      [&](int step) {
        if (frames++ == failAt) return 0;
        calls.push_back("w" + std::to_string(step));
        return 1;
      },
      [&](int axis, double angle) {
        calls.push_back(std::string(1, static_cast<char>('x' + axis)) +
                        std::to_string(static_cast<int>(std::lround(angle * kDegreesPerRadian))));
      });
  calls.push_back("=" + std::to_string(written));
  return calls;
}

TEST(RotationFrames, EachFrameComesBeforeItsTurnAndTheSecondHalfTurnsBack) {
  TAnimationSettings settings;
  settings.rotStep = DANGLE3(5 * kRadiansPerDegree, 0.0, 2 * kRadiansPerDegree);
  settings.nRotStep = 10;
  settings.isGoBack = 1;
  settings.nFrameRepeat = 2;
  std::vector<std::string> expected;
  for (int i = 0; i < 10; ++i) {
    expected.push_back("w2");
    // Frames 0-5 turn forward (x then z; y is 0 and left out), 6-9 back (z then x).
    if (i <= 5) {
      expected.insert(expected.end(), {"x5", "z2"});
    } else {
      expected.insert(expected.end(), {"z-2", "x-5"});
    }
  }
  expected.push_back("=10");
  EXPECT_EQ(Rotation(settings), expected);

  // A repeat of 0 counts as 1; no frames at all, or a failed write, end the run.
  settings.isGoBack = 0;
  settings.nFrameRepeat = 0;
  settings.nRotStep = 2;
  EXPECT_EQ(Rotation(settings), (std::vector<std::string>{"w1", "x5", "z2", "w1", "x5", "z2", "=2"}));
  settings.nRotStep = 0;
  EXPECT_EQ(Rotation(settings), (std::vector<std::string>{"=0"}));
  settings.nRotStep = -3;
  EXPECT_EQ(Rotation(settings), (std::vector<std::string>{"=0"}));
  settings.nRotStep = 5;
  EXPECT_EQ(Rotation(settings, 1), (std::vector<std::string>{"w1", "x5", "z2", "=1"}));
}

}  // namespace
