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

// Without a saved place the folder hides none of the frame: beside it, else below it, else
// left of it; only without room anywhere in the corner where it covers least of it. A saved place is
// kept, pulled onto the screen.
TEST(PropertiesFolderPlace, BesideOrBelowTheFrameOrWhereItWasAlwaysOnTheScreen) {
  const int saved[4] = {2000, 900, 2450, 1280};
  const int negative[4] = {-300, -50, 150, 330};
  const struct {
    const int *saved;
    RECT frame;
    SIZE folder, screen;
    POINT expected;
  } cases[] = {
      // Beside a frame that ends at 700 on a 1280 x 800 screen.
      {nullptr, RECT{60, 65, 700, 545}, SIZE{450, 380}, SIZE{1280, 800}, POINT{700, 65}},
      // The first start on 1280 x 1024: no room beside the 640-px frame, 479 rows below it.
      {nullptr, RECT{80, 65, 720, 545}, SIZE{732, 405}, SIZE{1280, 1024}, POINT{80, 545}},
      // No room beside nor below: left of the frame.
      {nullptr, RECT{500, 65, 1200, 700}, SIZE{450, 380}, SIZE{1280, 800}, POINT{50, 65}},
      // No room anywhere: the screen's corner where it covers least of the frame, 350 x 280
      // at the lower left against 370 x 280 at the lower right.
      {nullptr, RECT{100, 65, 1200, 700}, SIZE{450, 380}, SIZE{1280, 800}, POINT{0, 420}},
      // The first start on 1024 x 768: the lower right covers 428 x 182 of the frame, clear of
      // its menu bar.
      {nullptr, RECT{80, 65, 720, 545}, SIZE{732, 405}, SIZE{1024, 768}, POINT{292, 363}},
      {saved, RECT{60, 65, 700, 545}, SIZE{450, 380}, SIZE{1280, 800}, POINT{830, 420}},
      {negative, RECT{60, 65, 700, 545}, SIZE{450, 380}, SIZE{1280, 800}, POINT{0, 0}},
      // Larger than the screen: its corner shows.
      {nullptr, RECT{60, 65, 700, 545}, SIZE{1500, 900}, SIZE{1280, 800}, POINT{0, 0}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.frame.left << ", " << c.frame.right << ", " << c.folder.cx);
    int left = 0, top = 0;
    PlacePropertiesFolder(c.saved, c.frame, c.folder.cx, c.folder.cy, c.screen.cx, c.screen.cy, left, top);
    EXPECT_EQ(left, c.expected.x);
    EXPECT_EQ(top, c.expected.y);
  }
}

}  // namespace
