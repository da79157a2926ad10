#include "analysis/aberrations/aberrations_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/testing/comma_locale.h"

namespace {

std::string Scratch(const std::string &name) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("aberrsettings_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

std::string Text(const std::string &path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(AberrationsSettings, RoundTripKeepsOtherSectionsAndFullPrecision) {
  const std::string path = Scratch("RodIru2Z.ini");
  {
    std::ofstream out(path);
    out << "[Spot]\nField=60\n\n[Aberrations Window]\nScale=1;\n\n[Options]\nX=3\n";
  }
  TAberrationsSettings s;
  s.position[0] = 120, s.position[1] = 40, s.position[2] = 700, s.position[3] = 500;
  s.bkColor[0] = 255, s.bkColor[1] = 255, s.bkColor[2] = 255;
  s.scale = 2;
  s.TransMmin = -0.012345678901234, s.TransMmax = 0.5;
  s.WaveSmin = -3.25, s.WaveSmax = 7.0;
  s.DistorRMin = -1e-7, s.DistorRMax = 2e-7;
  ASSERT_EQ(WriteAberrationsSettings(path, s), 1);

  TAberrationsSettings back;
  ASSERT_EQ(ReadAberrationsSettings(path, back), 1);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(back.position[k], s.position[k]);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(back.bkColor[k], 255);
  EXPECT_EQ(back.scale, 2);
  // A Fixed scale must read back the very range it froze.
  EXPECT_EQ(back.TransMmin, s.TransMmin);
  EXPECT_EQ(back.WaveSmin, -3.25);
  EXPECT_EQ(back.DistorRMax, 2e-7);
  EXPECT_EQ(back.TransSmin, kEmptyRangeMin);
  EXPECT_EQ(back.TransSmax, kEmptyRangeMax);
  const std::string text = Text(path);
  EXPECT_NE(text.find("[Spot]\nField=60"), std::string::npos);
  EXPECT_NE(text.find("[Options]\nX=3"), std::string::npos);
  EXPECT_EQ(text.find("Scale=1;"), std::string::npos);
  EXPECT_NE(text.find("Position=120, 40, 700, 500;\n"), std::string::npos);
}

// A German or Russian desktop writes the ranges with a decimal point all the same: a comma
// would read back as two values and lose the fixed scale.
TEST(AberrationsSettings, RangesAreTheSameUnderADecimalComma) {
  TCommaLocale comma;
  SKIP_WITHOUT_COMMA_LOCALE(comma);
  const std::string path = Scratch("RodIru2Z.ini");
  TAberrationsSettings s;
  s.TransMmin = -0.012345678901234, s.TransMmax = 0.5;
  s.DistorRMin = -1.5e-7, s.DistorRMax = 2.25;
  ASSERT_EQ(WriteAberrationsSettings(path, s), 1);
  const std::string text = Text(path);
  EXPECT_NE(text.find("TransMmin=-0.012345678901234; TransMmax=0.5;\n"), std::string::npos) << text;
  EXPECT_NE(text.find("DistorRMin=-1.5e-07; DistorRMax=2.25;\n"), std::string::npos) << text;
  TAberrationsSettings back;
  ASSERT_EQ(ReadAberrationsSettings(path, back), 1);
  EXPECT_EQ(back.TransMmin, s.TransMmin);
  EXPECT_EQ(back.TransMmax, 0.5);
  EXPECT_EQ(back.DistorRMin, -1.5e-7);
  EXPECT_EQ(back.DistorRMax, 2.25);
}

TEST(AberrationsSettings, MissingFileKeepsDefaultsAndBadValuesAreMended) {
  TAberrationsSettings s;
  EXPECT_EQ(ReadAberrationsSettings(Scratch("absent.ini"), s), 0);
  EXPECT_EQ(s.position[0], -1);
  EXPECT_EQ(s.scale, 0);
  EXPECT_EQ(ReadAberrationsSettings("", s), 0);
  EXPECT_EQ(WriteAberrationsSettings("", s), 0);

  const std::string path = Scratch("bad.ini");
  {
    std::ofstream out(path);
    out << "[Aberrations Window]\nScale=7;\nBkColor=300, -4, 12;\n";
  }
  ASSERT_EQ(ReadAberrationsSettings(path, s), 1);
  EXPECT_EQ(s.scale, 0);
  EXPECT_EQ(s.bkColor[0], 255);
  EXPECT_EQ(s.bkColor[1], 0);
  EXPECT_EQ(s.bkColor[2], 12);
}

TEST(AberrationsSettings, UnwritableDirectoryIsReported) {
  TAberrationsSettings s;
  EXPECT_EQ(WriteAberrationsSettings("/nonexistent_dir_for_test/RodIru2Z.ini", s), 0);
}

}  // namespace
