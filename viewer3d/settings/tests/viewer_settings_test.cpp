// The viewer's settings file: every key read, degrees taken to radians, absent keys at
// their defaults, values the viewer cannot use refused with a message naming them, and
// the user's copy taking precedence over the file beside the program.

#include "viewer3d/settings/viewer_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/testing/approx.h"
#include "foundation/testing/key_damage.h"

namespace {

namespace fs = std::filesystem;

constexpr double kDegree = 3.14159265358979323846 / 180.0;
// Degrees to radians through one product.
constexpr double kConversion = 1e-15;

class ViewerSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "viewer_settings_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(directory_, error);
  }
  std::string Write(const std::string &name, const std::string &text) const {
    const std::string path = (fs::path(directory_) / name).string();
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string directory_;
};

TEST_F(ViewerSettingsTest, EveryKeyIsReadAndAnglesBecomeRadians) {
  const std::string path = Write("View_3D.ini",
                                 "[Viewer]\r\n"
                                 "nQuality=7; RotStep=15;\r\n"
                                 "RotStep_x0=-90; RotStep_y0=12.5; RotStep_z0=180;\r\n"
                                 "iwSize=640; ihSize=480;\r\n"
                                 "[Stereo]\n"
                                 "StereoRot=6; CoefStereoTrans=0.25;\n"
                                 "[Animation]\nnRotStep=10;\n");
  TViewerSettings viewer;
  const TSettingsReading read = ReadViewerSettings(path, viewer);
  EXPECT_TRUE(read.opened);
  EXPECT_EQ(read.fault, "");
  EXPECT_EQ(viewer.nQuality, 7);
  EXPECT_APPROX(viewer.rotStep, 15 * kDegree, kConversion);
  EXPECT_APPROX(viewer.initialTurn.ax, -90 * kDegree, kConversion);
  EXPECT_APPROX(viewer.initialTurn.ay, 12.5 * kDegree, kConversion);
  EXPECT_APPROX(viewer.initialTurn.az, 180 * kDegree, kConversion);
  int width = 550, height = 410;
  EXPECT_EQ(ReadSceneSize(path, width, height).fault, "");
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  TStereoSettings stereo;
  EXPECT_EQ(ReadStereoSettings(path, stereo).fault, "");
  EXPECT_APPROX(stereo.stereoRot, 6 * kDegree, kConversion);
  EXPECT_APPROX(stereo.coefStereoTrans, 0.25, kConversion);
}

TEST_F(ViewerSettingsTest, AbsentKeysAndAMissingFileKeepTheDefaults) {
  const TViewerSettings defaults;
  EXPECT_EQ(defaults.nQuality, 10);
  EXPECT_APPROX(defaults.rotStep, 30 * kDegree, kConversion);
  const TStereoSettings stereoDefaults;
  EXPECT_APPROX(stereoDefaults.stereoRot, 4 * kDegree, kConversion);
  EXPECT_EQ(stereoDefaults.coefStereoTrans, 0.0);

  // Only a quality: the rest keep their defaults, the scene the caller's size.
  const std::string path = Write("View_3D.ini", "[Viewer]\nnQuality=5;\n");
  TViewerSettings viewer;
  viewer.rotStep = 1.0;  // a previous value is not kept: absent means the default
  EXPECT_EQ(ReadViewerSettings(path, viewer).fault, "");
  EXPECT_EQ(viewer.nQuality, 5);
  EXPECT_APPROX(viewer.rotStep, 30 * kDegree, kConversion);
  EXPECT_EQ(viewer.initialTurn.ax, 0.0);
  int width = 550, height = 410;
  ReadSceneSize(path, width, height);
  EXPECT_EQ(width, 550);
  EXPECT_EQ(height, 410);
  TStereoSettings stereo;
  stereo.stereoRot = 1.0;
  const TSettingsReading noSection = ReadStereoSettings(path, stereo);
  EXPECT_TRUE(noSection.opened);
  EXPECT_EQ(noSection.fault, "");
  EXPECT_APPROX(stereo.stereoRot, 4 * kDegree, kConversion);

  // No file at all: nothing opened, no message, defaults.
  const std::string missing = directory_ + "/none/View_3D.ini";
  viewer.nQuality = 3;
  const TSettingsReading read = ReadViewerSettings(missing, viewer);
  EXPECT_FALSE(read.opened);
  EXPECT_EQ(read.fault, "");
  EXPECT_EQ(viewer.nQuality, 10);
  EXPECT_FALSE(ReadSceneSize(missing, width, height).opened);
  EXPECT_EQ(width, 550);
}

TEST_F(ViewerSettingsTest, UnusableValuesGiveTheDefaultsAndAMessageNamingThem) {
  const std::string path = Write("View_3D.ini",
                                 "[Viewer]\n"
                                 "nQuality=-3; RotStep=0; RotStep_x0=1e300; RotStep_z0=45;\n"
                                 "iwSize=100000; ihSize=300;\n"
                                 "[Stereo]\nStereoRot=90; CoefStereoTrans=abc;\n");
  TViewerSettings viewer;
  const TSettingsReading read = ReadViewerSettings(path, viewer);
  EXPECT_EQ(viewer.nQuality, 10);
  EXPECT_APPROX(viewer.rotStep, 30 * kDegree, kConversion);
  EXPECT_EQ(viewer.initialTurn.ax, 0.0);
  EXPECT_APPROX(viewer.initialTurn.az, 45 * kDegree, kConversion);  // a sound key is kept
  for (const char *named : {"View_3D.ini", "[Viewer]", "nQuality=-3", "RotStep=0", "line 2: RotStep_x0=1e300 is outside"})
    EXPECT_NE(read.fault.find(named), std::string::npos) << named << " in " << read.fault;
  int width = 550, height = 410;
  const TSettingsReading size = ReadSceneSize(path, width, height);
  EXPECT_EQ(width, 550);   // bounded before it sizes the renderer
  EXPECT_EQ(height, 300);
  EXPECT_NE(size.fault.find("iwSize=100000"), std::string::npos);
  TStereoSettings stereo;
  const TSettingsReading stereoRead = ReadStereoSettings(path, stereo);
  EXPECT_APPROX(stereo.stereoRot, 4 * kDegree, kConversion);
  EXPECT_EQ(stereo.coefStereoTrans, 0.0);  // no number reads as 0, which is usable
  EXPECT_NE(stereoRead.fault.find("StereoRot=90"), std::string::npos);

  // A damaged section (a zero byte in a line) gives all its defaults and says so.
  const std::string damaged =
      Write("damaged/View_3D.ini", std::string("[Viewer]\nnQuality=7; RotStep=") + '\0' + "15;\n");
  const TSettingsReading broken = ReadViewerSettings(damaged, viewer);
  EXPECT_EQ(viewer.nQuality, 10);
  EXPECT_NE(broken.fault.find("cannot be read whole"), std::string::npos) << broken.fault;
}

TEST_F(ViewerSettingsTest, TheUsersCopyTakesPrecedenceOverTheProgramsFile) {
  const std::string program = directory_ + "/program", user = directory_ + "/config";
  Write("program/View_3D.ini", "[Viewer]\nnQuality=4;\n");
  EXPECT_EQ(ViewerSettingsPath(program, user), program + "/View_3D.ini");
  EXPECT_EQ(ViewerSettingsPath(program, ""), program + "/View_3D.ini");
  Write("config/View_3D.ini", "[Viewer]\nnQuality=6;\n");
  const std::string chosen = ViewerSettingsPath(program, user);
  EXPECT_EQ(chosen, user + "/View_3D.ini");
  TViewerSettings viewer;
  ReadViewerSettings(chosen, viewer);
  EXPECT_EQ(viewer.nQuality, 6);
}

// [Animation]: every key, degrees to radians; absent keys at their defaults; counts of
// frames and repeats past their bounds refused with a message, those below let through for
// the rotation to read as no frames and as 1.
TEST_F(ViewerSettingsTest, TheRotationsKeysAreReadWithTheirDefaultsAndBounds) {
  const std::string path = Write("View_3D.ini",
                                 "[Viewer]\nnQuality=7;\n"
                                 "[Animation]\nRotStep_x=5; RotStep_y=0; RotStep_z=-2.5;\n"
                                 "nRotStep=10; IsGoBack=1; nFrameRepeat=3;\n");
  TAnimationSettings animation;
  TSettingsReading read = ReadAnimationSettings(path, animation);
  EXPECT_TRUE(read.opened);
  EXPECT_EQ(read.fault, "");
  EXPECT_APPROX(animation.rotStep.ax, 5 * kDegree, kConversion);
  EXPECT_EQ(animation.rotStep.ay, 0.0);
  EXPECT_APPROX(animation.rotStep.az, -2.5 * kDegree, kConversion);
  EXPECT_EQ(animation.nRotStep, 10);
  EXPECT_EQ(animation.isGoBack, 1);
  EXPECT_EQ(animation.nFrameRepeat, 3);

  const std::string sparse = Write("sparse/View_3D.ini", "[Animation]\nnFrameRepeat=0; nRotStep=-4;\n");
  read = ReadAnimationSettings(sparse, animation);
  EXPECT_EQ(read.fault, "");
  EXPECT_EQ(animation.rotStep.ax, 0.0);
  EXPECT_APPROX(animation.rotStep.ay, 10 * kDegree, kConversion);
  EXPECT_EQ(animation.isGoBack, 0);
  EXPECT_EQ(animation.nRotStep, -4);
  EXPECT_EQ(animation.nFrameRepeat, 0);

  const std::string wild = Write("wild/View_3D.ini",
                                 "[Animation]\nRotStep_y=720; nRotStep=2000000; nFrameRepeat=5000;\n");
  read = ReadAnimationSettings(wild, animation);
  EXPECT_APPROX(animation.rotStep.ay, 10 * kDegree, kConversion);
  EXPECT_EQ(animation.nRotStep, 36);
  EXPECT_EQ(animation.nFrameRepeat, 1);
  for (const char *named : {"[Animation]", "RotStep_y=720", "nRotStep=2000000", "nFrameRepeat=5000"})
    EXPECT_NE(read.fault.find(named), std::string::npos) << named << " in " << read.fault;

  EXPECT_FALSE(ReadAnimationSettings(directory_ + "/none/View_3D.ini", animation).opened);
}

// The file shipped beside the program reads whole, every section without a fault, and
// holds the values the viewer takes when a key is absent.
TEST(ShippedViewerSettings, EverySectionReadsWholeAtTheDefaults) {
  const std::string path = std::string(TEST_SOURCE_DIR) + "/../resources/viewer/View_3D.ini";
  int width = 550, height = 410;
  TSettingsReading read = ReadSceneSize(path, width, height);
  EXPECT_TRUE(read.opened);
  EXPECT_EQ(read.fault, "");
  EXPECT_EQ(width, 550);
  EXPECT_EQ(height, 410);
  TViewerSettings viewer;
  read = ReadViewerSettings(path, viewer);
  EXPECT_EQ(read.fault, "");
  EXPECT_EQ(viewer.nQuality, 10);
  EXPECT_APPROX(viewer.rotStep, 30 * kDegree, kConversion);
  EXPECT_EQ(viewer.initialTurn.ax, 0.0);
  TStereoSettings stereo;
  read = ReadStereoSettings(path, stereo);
  EXPECT_EQ(read.fault, "");
  EXPECT_APPROX(stereo.stereoRot, 4 * kDegree, kConversion);
  EXPECT_EQ(stereo.coefStereoTrans, 0.0);
  // The rotation's keys are all written out, so the movie it makes is the one the file says.
  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char *key : {"RotStep_x=", "RotStep_y=", "RotStep_z=", "nRotStep=", "IsGoBack=", "nFrameRepeat="})
    EXPECT_NE(text.find(key), std::string::npos) << key;
  TAnimationSettings animation;
  read = ReadAnimationSettings(path, animation);
  EXPECT_EQ(read.fault, "");
  const TAnimationSettings defaults;
  EXPECT_APPROX(animation.rotStep.ay, defaults.rotStep.ay, kConversion);
  EXPECT_EQ(animation.nRotStep, defaults.nRotStep);
  EXPECT_EQ(animation.isGoBack, defaults.isGoBack);
  EXPECT_EQ(animation.nFrameRepeat, defaults.nFrameRepeat);
}

}  // namespace

// Every key the readings register, damaged every way its kind admits: named by key and
// line by exactly the reading that tells, and every header mistyped is named.
TEST_F(ViewerSettingsTest, EveryKeyDamagedIsNamedByKeyAndLine) {
  std::ifstream in(std::string(TEST_SOURCE_DIR) + "/../resources/viewer/View_3D.ini");
  std::string sound((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  sound.insert(sound.find("[Viewer]\n") + 9, "iwSize=600; ihSize=400;\n");
  const int opened = CheckEveryKeyDamage("viewer settings", sound, Write("View_3D.ini", ""), [](const std::string &path) {
    int width = 550, height = 410;
    TViewerSettings viewer;
    TStereoSettings stereo;
    TAnimationSettings animation;
    TOpenOutcome outcome;
    for (const TSettingsReading &read : {ReadSceneSize(path, width, height), ReadViewerSettings(path, viewer),
                                         ReadStereoSettings(path, stereo), ReadAnimationSettings(path, animation)})
      outcome.told += read.fault.empty() ? "" : read.fault + "\n";
    return outcome;
  });
  EXPECT_GT(opened, 80);
}
