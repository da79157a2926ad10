#include "foundation/helpers/path_parts.h"

#include <gtest/gtest.h>

TEST(PathParts, SplitsAFullWindowsPath) {
  const std::string path = "C:\\dir\\f.os";
  EXPECT_EQ(DirectoryOfPath(path), "C:\\dir");
  EXPECT_EQ(FileNameOfPath(path), "f.os");
  EXPECT_EQ(ExtensionOfPath(path), "os");
  EXPECT_EQ(BaseNameOfPath(path), "f");
}

TEST(PathParts, SplitsAForwardSlashPath) {
  const std::string path = "/home/user/lenses/doublet.os";
  EXPECT_EQ(DirectoryOfPath(path), "/home/user/lenses");
  EXPECT_EQ(FileNameOfPath(path), "doublet.os");
  EXPECT_EQ(ExtensionOfPath(path), "os");
  EXPECT_EQ(BaseNameOfPath(path), "doublet");
}

TEST(PathParts, MixedSeparatorsSplitAtTheLastOne) {
  EXPECT_EQ(DirectoryOfPath("a/b\\c/d.txt"), "a/b\\c");
  EXPECT_EQ(DirectoryOfPath("a\\b/c\\d.txt"), "a\\b/c");
  EXPECT_EQ(FileNameOfPath("a\\b/c\\d.txt"), "d.txt");
}

TEST(PathParts, DriveColonStaysWithTheDirectory) {
  EXPECT_EQ(DirectoryOfPath("C:\\f.os"), "C:");
  EXPECT_EQ(DirectoryOfPath("C:f.os"), "C:");
  EXPECT_EQ(FileNameOfPath("C:f.os"), "f.os");
  EXPECT_EQ(DirectoryOfPath("C:"), "C:");
  EXPECT_EQ(FileNameOfPath("C:"), "");
}

TEST(PathParts, ColonInsideALinuxNameIsNoDrive) {
  EXPECT_EQ(DirectoryOfPath("/data/run:3/a:b.os"), "/data/run:3");
  EXPECT_EQ(FileNameOfPath("/data/run:3/a:b.os"), "a:b.os");
  EXPECT_EQ(FileNameOfPath("ab:c.os"), "ab:c.os");
  EXPECT_EQ(DirectoryOfPath("ab:c.os"), "");
}

TEST(PathParts, DirectoryEdgeCases) {
  EXPECT_EQ(DirectoryOfPath(""), "");
  EXPECT_EQ(DirectoryOfPath("f.os"), "");
  EXPECT_EQ(DirectoryOfPath("\\f.os"), "");
  EXPECT_EQ(DirectoryOfPath("/f.os"), "");
  EXPECT_EQ(DirectoryOfPath("C:\\dir\\"), "C:\\dir");
  EXPECT_EQ(DirectoryOfPath("/usr/share/"), "/usr/share");
}

TEST(PathParts, FileNameEdgeCases) {
  EXPECT_EQ(FileNameOfPath("C:\\dir\\"), "");
  EXPECT_EQ(FileNameOfPath("f.os"), "f.os");
  EXPECT_EQ(FileNameOfPath(""), "");
}

TEST(PathParts, ExtensionUsesTheLastDotOfTheWholePath) {
  EXPECT_EQ(ExtensionOfPath("name."), "");
  EXPECT_EQ(ExtensionOfPath("noext"), "");
  EXPECT_EQ(ExtensionOfPath("C:\\a.b\\f"), "b\\f");
  EXPECT_EQ(ExtensionOfPath("f.tar.gz"), "gz");
}

TEST(PathParts, BaseNameDropsOnlyTheLastExtension) {
  EXPECT_EQ(BaseNameOfPath("C:\\dir\\file"), "file");
  EXPECT_EQ(BaseNameOfPath("f.tar.gz"), "f.tar");
  EXPECT_EQ(BaseNameOfPath("/a.b/c"), "c");
  EXPECT_EQ(BaseNameOfPath(".hidden"), "");
}
