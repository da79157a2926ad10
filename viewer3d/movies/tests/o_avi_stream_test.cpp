// The movie writer over bitmaps: the codec is asked once, at the first frame; a cancelled
// choice says "User Cancel" once and ends the movie; a file that cannot be opened is told
// once; 8-bit bitmaps keep their table (256 entries when the header counts none, the
// stride computed when it gives no image size); the codec dialog itself.
#include "viewer3d/movies/o_avi_stream.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <filesystem>

#include "foundation/textfiles/tests/read_nf_test_support.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/drawing/dib.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/render3d/o_palette.h"
#include "viewer3d/movies/avi_codec_dlg.h"
#include "viewer3d/movies/avi_reader.h"
#include "viewer3d/movies/tests/movie_test_support.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;

// Answers the codec question as scripted, counting the questions.
class TScriptedCodec {
 public:
  explicit TScriptedCodec(bool answer, TAviCodec codec = {}) : answer_(answer), codec_(codec) {
    previous_ = SetAviCodecChooser([this](TAviCodec &chosen) {
      ++asked;
      if (answer_) chosen = codec_;
      return answer_;
    });
  }
  ~TScriptedCodec() { SetAviCodecChooser(previous_); }
  int asked = 0;

 private:
  bool answer_;
  TAviCodec codec_;
  TAviCodecChooser previous_;
};

// A 24-bit DIB painted with the test's smooth picture.
TDib SmoothDib(int width, int height, int frame) {
  const movie_test::TPicture picture = movie_test::SmoothPicture(width, height, frame);
  TDib dib(width, height, 1 << 24);
  std::copy(picture.bits.begin(), picture.bits.end(), dib.GetBits());
  return dib;
}

class AviStreamTest : public ::testing::Test {
 protected:
  void SetUp() override { test_kit::EnsureApplication(); }
  TScratchFiles files_;
  TRecordingMessageBoxProvider boxes_;
};

TEST_F(AviStreamTest, TheCodecIsAskedOnceAndTheFileIsCompleteAfterTheWriterGoes) {
  TScriptedCodec codec(true, {TAviCodec::kMotionJpeg, 80});
  const std::string path = files_.PathOf("movie.avi");
  {
    TOAviStream stream(path);
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(stream.WriteFrame(SmoothDib(40, 30, frame), 1), 1);
    EXPECT_EQ(stream.FrameCount(), 3);
    // Nothing is in place until the movie is finished.
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  EXPECT_EQ(codec.asked, 1);
  EXPECT_TRUE(boxes_.boxes.empty());
  TAviReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Error();
  EXPECT_EQ(reader.FrameCount(), 3);
  EXPECT_EQ(reader.Compression(), movie_test::Le32({'M', 'J', 'P', 'G'}, 0));
}

TEST_F(AviStreamTest, ACancelledChoiceIsToldOnceAndEndsTheMovieWithoutAFile) {
  TScriptedCodec codec(false);
  const std::string path = files_.PathOf("cancelled.avi");
  {
    TOAviStream stream(path);
    for (int frame = 0; frame < 4; ++frame) EXPECT_EQ(stream.WriteFrame(SmoothDib(8, 8, frame), 1), 0);
    EXPECT_TRUE(stream.Ended());
  }
  EXPECT_EQ(codec.asked, 1);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "User Cancel");
  EXPECT_EQ(boxes_.boxes[0].caption, "AVI");
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(AviStreamTest, AFileThatCannotBeOpenedIsToldOnceAndNothingIsAsked) {
  TScriptedCodec codec(true);
  TOAviStream stream(files_.PathOf("missing/movie.avi"));
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(stream.WriteFrame(SmoothDib(8, 8, frame), 1), 0);
  EXPECT_EQ(codec.asked, 0);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text.rfind("AVIFileOpen\n", 0), 0u) << boxes_.boxes[0].text;
  EXPECT_NE(boxes_.boxes[0].text.find("directory does not exist"), std::string::npos);
  EXPECT_EQ(boxes_.boxes[0].caption, "");
}

// An 8-bit header that counts no colours has 256, and one that gives no image size has
// the stride times the height: the stream's format is the 1064 bytes of both.
TEST_F(AviStreamTest, AnEightBitBitmapWithoutCountsKeepsItsFullTable) {
  TScriptedCodec codec(true);
  const int width = 13, height = 5, stride = 16;
  std::vector<std::uint8_t> block(40 + 4 * 256 + stride * height, 0);
  BITMAPINFOHEADER header;
  header.biWidth = width;
  header.biHeight = height;
  header.biBitCount = 8;
  header.biClrUsed = 0;
  header.biSizeImage = 0;
  std::memcpy(block.data(), &header, sizeof header);
  for (int i = 0; i < 256; ++i) {
    block[40 + 4 * i] = static_cast<std::uint8_t>(i);            // blue
    block[40 + 4 * i + 2] = static_cast<std::uint8_t>(255 - i);  // red
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) block[40 + 1024 + y * stride + x] = static_cast<std::uint8_t>(250 + x % 6);
  const TDib dib(block);
  ASSERT_TRUE(dib.IsOK());
  const std::string path = files_.PathOf("indexed.avi");
  {
    TOAviStream stream(path);
    ASSERT_EQ(stream.WriteFrame(dib, 1), 1);
  }
  const std::vector<std::uint8_t> bytes = movie_test::ReadBytes(path);
  std::vector<std::string> faults;
  const movie_test::TChunk riff = movie_test::WalkRiff(bytes, faults);
  ASSERT_TRUE(faults.empty()) << faults.front();
  const movie_test::TChunk *strf = riff.Child("LIST", "hdrl")->Child("LIST", "strl")->Child("strf");
  ASSERT_NE(strf, nullptr);
  EXPECT_EQ(strf->size, 1064u);
  EXPECT_EQ(movie_test::Le32(bytes, strf->Body() + 20), static_cast<std::uint32_t>(stride * height));
  TAviReader reader;
  ASSERT_TRUE(reader.Open(path));
  TAviImage picture;
  ASSERT_TRUE(reader.ReadFrame(0, picture));
  // Index 255 at x = 5: blue 255, red 0; stored bottom-up, so the top row is the last.
  EXPECT_EQ(picture.Rgb(5, 0), 0x0000FFu);
}

// A table of palette indices stands for the shared palette's colours.
TEST_F(AviStreamTest, ABitmapOfPaletteIndicesIsWrittenWithTheSharedPalettesColours) {
  TScriptedCodec codec(true);
  CreateSharedPalette();
  const HPALETTE palette = *SharedPalette;
  TDib dib(6, 2, 256, DIB_PAL_COLORS);
  ASSERT_TRUE(dib.IsOK());
  for (int x = 0; x < 6; ++x) dib.GetBits()[x] = static_cast<std::uint8_t>(40 * x);  // the bottom row
  const std::string path = files_.PathOf("palette.avi");
  {
    TOAviStream stream(path);
    ASSERT_EQ(stream.WriteFrame(dib, 1), 1);
  }
  TAviReader reader;
  ASSERT_TRUE(reader.Open(path));
  TAviImage picture;
  ASSERT_TRUE(reader.ReadFrame(0, picture));
  for (int x = 0; x < 6; ++x) {
    const COLORREF expected = PaletteEntryColor(palette, 40 * x);
    const std::uint32_t rgb = picture.Rgb(x, 1);
    EXPECT_EQ(RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF), expected) << x;
  }
  DestroySharedPalette();
}

TEST_F(AviStreamTest, TheCodecDialogGivesTheChoiceAndRefusesABadQuality) {
  TAviCodec codec;
  TAviCodecDlg dialog(nullptr, codec);
  bool qualityGreyAtFirst = false;
  QTimer::singleShot(0, [&] {
    test_kit::RunUntil([&] { return dialog.IsModal() && dialog.IsWindowVisible(); }, kWaitMs);
    qualityGreyAtFirst = !IsWindowEnabled(dialog.GetDlgItem(TAviCodecDlg::kQuality));
    dialog.CheckDlgButton(TAviCodecDlg::kFullFrames, BST_UNCHECKED);
    dialog.CheckDlgButton(TAviCodecDlg::kMotionJpeg, BST_CHECKED);
    dialog.SendMessage(WM_COMMAND, TAviCodecDlg::kMotionJpeg);
    dialog.SetDlgItemText(TAviCodecDlg::kQuality, "101");
    dialog.SendMessage(WM_COMMAND, IDOK);
    dialog.SetDlgItemText(TAviCodecDlg::kQuality, "70");
    dialog.SendMessage(WM_COMMAND, IDOK);
  });
  EXPECT_EQ(dialog.Execute(), IDOK);
  EXPECT_TRUE(qualityGreyAtFirst);
  EXPECT_EQ(codec.kind, TAviCodec::kMotionJpeg);
  EXPECT_EQ(codec.quality, 70);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_NE(boxes_.boxes[0].text.find("from 1 to 100"), std::string::npos);

  // Cancel leaves the choice as it was.
  TAviCodec kept;
  TAviCodecDlg cancelled(nullptr, kept);
  QTimer::singleShot(0, [&] {
    test_kit::RunUntil([&] { return cancelled.IsModal() && cancelled.IsWindowVisible(); }, kWaitMs);
    cancelled.CheckDlgButton(TAviCodecDlg::kMotionJpeg, BST_CHECKED);
    cancelled.SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_EQ(cancelled.Execute(), IDCANCEL);
  EXPECT_EQ(kept.kind, TAviCodec::kFullFrames);
}

}  // namespace
