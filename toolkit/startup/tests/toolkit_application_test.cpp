// The shared palette lives as long as the application object.

#include "toolkit/startup/toolkit_application.h"

#include <gtest/gtest.h>

#include "platform/gui/windows/test_kit.h"
#include "toolkit/render3d/o_palette.h"

namespace {

char programName[] = "workbench";
char *programArgs[] = {programName, nullptr};
// 14 ramps of 217 entries, then the 16 standard colours.
constexpr int kSharedPaletteEntries = 233;

}  // namespace

TEST(ToolkitApplication, MakesTheSharedPaletteForItsLifetime) {
  test_kit::EnsureApplication();
  ASSERT_EQ(SharedPalette, nullptr);
  {
    int argc = 1;
    TToolkitApplication application("Test program", argc, programArgs);
    ASSERT_NE(SharedPalette, nullptr);
    EXPECT_EQ(SharedPalette->EntryCount(), kSharedPaletteEntries);
    EXPECT_EQ(SharedPalette->SegmentCount(), 14);
  }
  EXPECT_EQ(SharedPalette, nullptr);
}

TEST(ToolkitApplication, LeavesAPaletteMadeBeforeItAlone) {
  test_kit::EnsureApplication();
  CreateSharedPalette();
  TOPalette *before = SharedPalette;
  {
    int argc = 1;
    TToolkitApplication application("Test program", argc, programArgs);
    EXPECT_EQ(SharedPalette, before);
  }
  EXPECT_EQ(SharedPalette, before);
  DestroySharedPalette();
}
