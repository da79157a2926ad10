#include "editor/shell/editor_startup.h"

#include <gtest/gtest.h>

#include "editor/settings/editor_settings.h"
#include "optics/model/model_globals.h"
#include "platform/core/paths.h"

namespace {

TEST(EditorStartup, TheFirstArgumentIsTakenAsGiven) {
  char program[] = "/opt/Korvex/workbench";
  char mixed[] = "/home/Ann/Systems/Cooke.OS";
  char withExe[] = "/Data/tool.exe /home/ann/a.os";
  char *one[] = {program};
  char *two[] = {program, mixed};
  char *three[] = {program, withExe};
  EXPECT_EQ(CommandLineSystem(1, one), "");
  EXPECT_EQ(CommandLineSystem(2, two), "/home/Ann/Systems/Cooke.OS");
  // No ".exe" rule: the argument is a path like any other.
  EXPECT_EQ(CommandLineSystem(2, three), "/Data/tool.exe /home/ann/a.os");
}

TEST(EditorStartup, DirectoriesAreFixedBeforeTheWindow) {
  const std::string previousProgram = ProgramDir();
  const std::string directory = FixStartupDirectories("/nowhere/workbench");
  EXPECT_EQ(directory, ProgramDirectory());
  EXPECT_EQ(ProgramDir(), directory);
  EXPECT_EQ(GlassDirectory(), JoinPath(directory, "cglass"));
  EXPECT_FALSE(TempDir().empty());
  EXPECT_STREQ(kSettingsFileName, "RodIru2Z.ini");
  SetProgramDir(previousProgram);
}

}  // namespace

#include "editor/shell/splash_picture.h"
#include "editor/shell/splash_window.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "toolkit/render3d/o_dib.h"

namespace {

std::vector<double> &PausesMade() {
  static std::vector<double> pauses;
  return pauses;
}
void RecordPause(double seconds) { PausesMade().push_back(seconds); }

class SplashTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    PausesMade().clear();
    screen_.SetMetric(SM_CXSCREEN, 1024);
    screen_.SetMetric(SM_CYSCREEN, 768);
  }
  TScriptedScreenProvider screen_;
};

bool Near(RGBTRIPLE pixel, int red, int green, int blue) {
  constexpr int kChannelSlack = 40;
  return std::abs(pixel.rgbtRed - red) <= kChannelSlack && std::abs(pixel.rgbtGreen - green) <= kChannelSlack &&
         std::abs(pixel.rgbtBlue - blue) <= kChannelSlack;
}

TEST_F(SplashTest, ThePictureShowsALensRaysAndTheName) {
  const std::string path = JoinPath(ProgramDir(), kSplashPictureName);
  ASSERT_TRUE(WriteSplashPicture(path));
  const TODib picture(path.c_str());
  ASSERT_TRUE(picture.IsOK()) << picture.ErrorText();
  EXPECT_EQ(picture.Width(), kSplashWidth);
  EXPECT_EQ(picture.Height(), kSplashHeight);
  EXPECT_TRUE(Near(picture.GetPixelColor(5, 5), 0, 16, 64));       // the ground, top left
  EXPECT_TRUE(Near(picture.GetPixelColor(150, 130), 120, 200, 190));  // glass at the lens's middle
  EXPECT_TRUE(Near(picture.GetPixelColor(20, 100 - 54), 255, 60, 40));  // the top ray before the lens
  EXPECT_TRUE(Near(picture.GetPixelColor(300, 100), 255, 60, 40));    // the focus
  // The "K" of the name: its upright stroke is white, the cell beside it ground.
  int white = 0;
  for (int y = 190; y < 225; ++y)
    for (int x = 0; x < kSplashWidth; ++x) white += Near(picture.GetPixelColor(x, y), 255, 255, 255) ? 1 : 0;
  // Six letters of 5 x 7 cells, between 11 and 17 cells lit each, 25 pixels a cell.
  EXPECT_GE(white, 6 * 11 * 25);
  EXPECT_LE(white, 6 * 17 * 25);
}

TEST_F(SplashTest, ThePictureIsCentredAndPausesFourSeconds) {
  ASSERT_TRUE(WriteSplashPicture(JoinPath(ProgramDir(), kSplashPictureName)));
  const TSplashReport report = RunSplash(ProgramDir(), &RecordPause);
  ASSERT_TRUE(report.shown);
  EXPECT_EQ(report.rect.left, (1024 - kSplashWidth) / 2);
  EXPECT_EQ(report.rect.top, (768 - kSplashHeight) / 2);
  EXPECT_EQ(report.rect.right - report.rect.left, kSplashWidth);
  EXPECT_EQ(report.rect.bottom - report.rect.top, kSplashHeight);
  EXPECT_EQ(PausesMade(), (std::vector<double>{1.0, 1.0, 2.0}));
}

TEST_F(SplashTest, TheFastStartFileKeepsThePictureWithoutPauses) {
  ASSERT_TRUE(WriteSplashPicture(JoinPath(ProgramDir(), kSplashPictureName)));
  WriteText(JoinPath(ProgramDir(), kFastOpenFileName), "");
  const TSplashReport report = RunSplash(ProgramDir(), &RecordPause);
  EXPECT_TRUE(report.shown);
  EXPECT_TRUE(PausesMade().empty());
  EXPECT_TRUE(report.pauses.empty());
}

TEST_F(SplashTest, AMissingOrBrokenPictureShowsNothingAndWaitsForNothing) {
  EXPECT_FALSE(RunSplash(ProgramDir(), &RecordPause).shown);
  WriteText(JoinPath(ProgramDir(), kSplashPictureName), "BM not really a bitmap");
  EXPECT_FALSE(RunSplash(ProgramDir(), &RecordPause).shown);
  EXPECT_TRUE(PausesMade().empty());
}

}  // namespace
