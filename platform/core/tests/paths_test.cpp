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
