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
