// The folder's place in the settings file: written into its own section with every other
// section kept, read back, and refused when it is no rectangle; and where the folder opens.

#include "editor/properties/properties_settings.h"

#include "optics/model/tests/system_test_support.h"

namespace {

using PropertiesSettingsTest = SystemTest;

TEST_F(PropertiesSettingsTest, ThePositionRoundTripsAndTheOtherSectionsStay) {
  const std::string path = Scratch("RodIru2Z.ini");
  const std::string others = "[Aberrations Window]\nPosition=10, 20;\nScale=1;\n\n[Options]\nGridAxes=1\n";
  WriteText(path, others);
  const int written[4] = {640, 30, 1090, 420};
  ASSERT_EQ(WritePropertiesPosition(path, written), 1);
  int read[4] = {0, 0, 0, 0};
  ASSERT_EQ(ReadPropertiesPosition(path, read), 1);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(read[k], written[k]) << k;
  const std::string text = ReadText(path);
  EXPECT_EQ(text.find(others), 0U) << text;
  EXPECT_NE(text.find("[Properties table]\nPosition=640, 30, 1090, 420;"), std::string::npos) << text;
}

TEST_F(PropertiesSettingsTest, AMissingOrBrokenPositionLeavesTheDefault) {
  const std::string path = Scratch("RodIru2Z.ini");
  int position[4] = {1, 2, 3, 4};
  EXPECT_EQ(ReadPropertiesPosition(Scratch("none.ini"), position), 0);
  for (const char *body : {"Position=abc;", "Position=10, 20;", "Position=100, 100, 50, 200;", ""}) {
    WriteText(path, std::string("[Properties table]\n") + body + "\n");
    EXPECT_EQ(ReadPropertiesPosition(path, position), 0) << body;
  }
  EXPECT_EQ(position[0], 1);
  EXPECT_EQ(position[3], 4);
}

TEST(PropertiesFolderPlace, BesideTheFrameOrWhereItWasAlwaysOnTheScreen) {
  int left = 0, top = 0;
  // Beside a frame that ends at 700 on a 1280 x 800 screen.
  PlacePropertiesFolder(nullptr, 700, 65, 450, 380, 1280, 800, left, top);
  EXPECT_EQ(left, 700);
  EXPECT_EQ(top, 65);
  // A frame reaching the right edge: the folder stays on the screen.
  PlacePropertiesFolder(nullptr, 1200, 65, 450, 380, 1280, 800, left, top);
  EXPECT_EQ(left, 1280 - 450);
  const int saved[4] = {2000, 900, 2450, 1280};
  PlacePropertiesFolder(saved, 700, 65, 450, 380, 1280, 800, left, top);
  EXPECT_EQ(left, 830);
  EXPECT_EQ(top, 420);
  const int negative[4] = {-300, -50, 150, 330};
  PlacePropertiesFolder(negative, 700, 65, 450, 380, 1280, 800, left, top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 0);
  // Larger than the screen: its corner shows.
  PlacePropertiesFolder(nullptr, 700, 65, 1500, 900, 1280, 800, left, top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 0);
}

}  // namespace
