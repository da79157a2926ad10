#include "platform/core/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

TEST(Paths, BackslashesBecomeSlashes) {
  EXPECT_EQ(NormalizeSeparators("cglass\\misc.dgc"), "cglass/misc.dgc");
  EXPECT_EQ(NormalizeSeparators("\\tmpdup.tmp"), "/tmpdup.tmp");
}

TEST(Paths, JoinUsesExactlyOneSeparator) {
  EXPECT_EQ(JoinPath("/a/b", "c.os"), "/a/b/c.os");
  EXPECT_EQ(JoinPath("/a/b/", "/c.os"), "/a/b/c.os");
  EXPECT_EQ(JoinPath("/", "c.os"), "/c.os");
  EXPECT_EQ(JoinPath("", "c.os"), "c.os");
}

TEST(Paths, ProgramDirectoryHoldsTheRunningProgram) {
  const std::string dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir));
}

// Without /proc the program's directory comes from the command line's first argument,
// never from the current directory (a stereo driver found there would be someone else's).
TEST(Paths, ProgramDirectoryFromTheArgumentNeverFromTheCurrentDirectory) {
  namespace fs = std::filesystem;
  const fs::path bin = fs::temp_directory_path() / "paths_test_bin";
  fs::remove_all(bin);
  fs::create_directories(bin);
  std::ofstream(bin / "workbench") << "#!/bin/sh\n";
  fs::permissions(bin / "workbench", fs::perms::owner_all);
  const std::string searchPath = "relative/dir:/nonexistent-paths-test:" + bin.string();
  const std::string current = fs::current_path().string();
  struct TCase {
    std::string argv0;
    const char *searchPath;
    std::string expected;
  } const cases[] = {
      {"workbench", searchPath.c_str(), bin.string()},
      {"missing-program", searchPath.c_str(), ""},
      {"workbench", nullptr, ""},
      {"", searchPath.c_str(), ""},
      {(bin / "workbench").string(), nullptr, bin.string()},
      {"sub/../sub/workbench", nullptr, current + "/sub"},
  };
  for (const TCase &c : cases)
    EXPECT_EQ(ProgramDirectoryFromArgument(c.argv0, c.searchPath), c.expected) << c.argv0;
  fs::remove_all(bin);
}

TEST(Paths, ResolvesCaseOfExistingEntries) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "paths_test_case";
  fs::remove_all(root);
  fs::create_directories(root / "CGlass");
  std::ofstream(root / "CGlass" / "Misc.DGC") << "x";
  const std::string asked = (root / "cglass" / "misc.dgc").string();
  EXPECT_EQ(ResolvePathCase(asked), (root / "CGlass" / "Misc.DGC").string());
  // Nothing matches: the path comes back unchanged.
  const std::string missing = (root / "cglass" / "none.dgc").string();
  EXPECT_EQ(ResolvePathCase(missing), missing);
  fs::remove_all(root);
}
