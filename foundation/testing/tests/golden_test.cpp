// The golden-file helper: numbers by value in text, pixels with a cap, the actual file left
// in the build tree on a failure, and UPDATE_GOLDEN=1 rewriting the golden.

#include "foundation/testing/golden.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// The last digit of a 17-digit double may change with the formatting of the number.
constexpr golden::NumberTolerance kRoundingOnly{1e-12, 1e-15};
constexpr golden::PixelTolerance kExact{0, 0};

// The hand-written picture in tests/data/golden_sample.ppm: red, green, blue, white on the
// top row, black, (10,20,30), grey, yellow below.
golden::Image SamplePicture() {
  golden::Image image(4, 2);
  const unsigned char pixels[8][3] = {{255, 0, 0}, {0, 255, 0},   {0, 0, 255},     {255, 255, 255},
                                      {0, 0, 0},   {10, 20, 30}, {128, 128, 128}, {255, 255, 0}};
  for (int i = 0; i < 8; ++i)
    for (int c = 0; c < 3; ++c) image.Pixel(i % 4, i / 4)[c] = pixels[i][c];
  return image;
}

const char kSampleText[] =
    "[Common]\nName=Sample lens\nNsurf=3\nWave=0.5875618 0.4861327 0.6562725\n"
    "S12 radius=-25.5e-1\n";

// Unsets UPDATE_GOLDEN for one test and restores what was there.
class GoldenFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char *value = std::getenv("UPDATE_GOLDEN")) saved_ = value, hadValue_ = true;
    ::unsetenv("UPDATE_GOLDEN");
    scratch_ = std::filesystem::temp_directory_path() /
               ("golden_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(scratch_);
  }
  void TearDown() override {
    if (hadValue_)
      ::setenv("UPDATE_GOLDEN", saved_.c_str(), 1);
    else
      ::unsetenv("UPDATE_GOLDEN");
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }
  std::filesystem::path scratch_;
  std::string saved_;
  bool hadValue_ = false;
};

}  // namespace

TEST_F(GoldenFiles, NumbersCompareByValueAndWordsExactly) {
  EXPECT_GOLDEN_TEXT(std::string(kSampleText), "testing/tests/data/golden_sample.txt",
                     kRoundingOnly);
  // The same values written differently still match.
  EXPECT_EQ(golden::TextMismatch("Wave=0.58756180000000001 4.861327e-1 +0.6562725\n",
                                 "Wave=0.5875618 0.4861327 0.6562725\n", kRoundingOnly),
            "");
  // A changed value beyond rounding, a changed word, a digit inside a name, extra lines.
  EXPECT_NE(golden::TextMismatch("Nsurf=4\n", "Nsurf=3\n", kRoundingOnly), "");
  EXPECT_NE(golden::TextMismatch("Wave=0.5875619\n", "Wave=0.5875618\n", kRoundingOnly), "");
  EXPECT_NE(golden::TextMismatch("Nsurg=3\n", "Nsurf=3\n", kRoundingOnly), "");
  EXPECT_NE(golden::TextMismatch("S13 radius=1\n", "S12 radius=1\n", {0.5, 0.5}), "");
  EXPECT_NE(golden::TextMismatch("A=1\nB=2\n", "A=1\n", kRoundingOnly), "");
  EXPECT_NE(golden::TextMismatch("A=1 \n", "A=1\n", kRoundingOnly), "");
  // The line number and both lines are named.
  const std::string why = golden::TextMismatch("a\nNsurf=4\n", "a\nNsurf=3\n", kRoundingOnly);
  EXPECT_NE(why.find("line 2"), std::string::npos) << why;
  EXPECT_NE(why.find("Nsurf=3"), std::string::npos) << why;
}

TEST_F(GoldenFiles, PicturesCompareWithinAChannelToleranceAndAPixelCap) {
  EXPECT_GOLDEN_IMAGE(SamplePicture(), "testing/tests/data/golden_sample.ppm", kExact);
  golden::Image changed = SamplePicture();
  changed.Pixel(1, 1)[2] = 33;  // 30 -> 33
  EXPECT_NE(golden::ImageMismatch(changed, SamplePicture(), kExact), "");
  EXPECT_EQ(golden::ImageMismatch(changed, SamplePicture(), {3, 0}), "");
  changed.Pixel(3, 0)[0] = 0;  // a second pixel, far off
  EXPECT_NE(golden::ImageMismatch(changed, SamplePicture(), {3, 0}), "");
  EXPECT_EQ(golden::ImageMismatch(changed, SamplePicture(), {3, 1}), "");
  EXPECT_NE(golden::ImageMismatch(golden::Image(4, 3), SamplePicture(), {255, 100}), "");
  // The picture survives its file format.
  golden::Image decoded;
  ASSERT_TRUE(golden::DecodePpm(golden::EncodePpm(changed), decoded));
  EXPECT_EQ(decoded.rgb, changed.rgb);
  EXPECT_FALSE(golden::DecodePpm("P6\n4 2\n255\nshort", decoded));
}

TEST_F(GoldenFiles, AFailureLeavesTheActualFileAndUpdateRewritesTheGolden) {
  const golden::Paths paths{scratch_ / "data" / "x.txt", scratch_ / "actual" / "x.txt"};
  ASSERT_TRUE(golden::WriteWholeFile(paths.golden, "A=1\n"));

  const auto failed = golden::Conclude(paths, "A=2\n", "line 1 differs");
  EXPECT_FALSE(failed);
  std::string bytes;
  ASSERT_TRUE(golden::ReadWholeFile(paths.actual, bytes));
  EXPECT_EQ(bytes, "A=2\n");
  EXPECT_NE(std::string(failed.message()).find(paths.actual.string()), std::string::npos);
  EXPECT_NE(std::string(failed.message()).find(paths.golden.string()), std::string::npos);

  ::setenv("UPDATE_GOLDEN", "1", 1);
  EXPECT_TRUE(golden::Conclude(paths, "A=2\n", "line 1 differs"));
  ASSERT_TRUE(golden::ReadWholeFile(paths.golden, bytes));
  EXPECT_EQ(bytes, "A=2\n");
}
