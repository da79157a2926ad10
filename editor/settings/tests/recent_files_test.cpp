#include "editor/settings/recent_files.h"

#include <gtest/gtest.h>

namespace {

const std::string kUntitled = "/opt/korvex/untitled.os";

TEST(RecentFiles, SixOpensListTheFiveMostRecentPreviousOnes) {
  // Opening a-f in turn inserts each previous system at the front.
  TRecentFiles list;
  const std::string names[6] = {"/d/a.os", "/d/b.os", "/d/c.os", "/d/d.os", "/d/e.os", "/d/f.os"};
  std::string current = kUntitled;
  for (const std::string &name : names) {
    list.InsertFront(current, kUntitled);
    current = name;
    list.Normalize(current);
  }
  const std::vector<std::string> items = list.MenuItems();
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0], "/d/e.os");
  EXPECT_EQ(items[4], "/d/a.os");
}

TEST(RecentFiles, ReopeningMovesANameToTheFrontOnce) {
  TRecentFiles list;
  list.InsertFront("/d/a.os", kUntitled);
  list.InsertFront("/d/b.os", kUntitled);
  list.InsertFront("/d/a.os", kUntitled);
  const std::vector<std::string> items = list.MenuItems();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0], "/d/a.os");
  EXPECT_EQ(items[1], "/d/b.os");
}

TEST(RecentFiles, UntitledEmptyAndOpenNamesNeverShow) {
  TRecentFiles list;
  list.InsertFront(kUntitled, kUntitled);
  list.InsertFront("", kUntitled);
  EXPECT_TRUE(list.MenuItems().empty());
  TEditorSettings settings;
  settings.recent[0] = "/d/x.os";
  settings.recent[1] = "/d/y.os";
  settings.recent[2] = "/d/x.os";
  settings.recent[3] = "/d/Y.os";  // another file on Linux
  list.LoadFrom(settings);
  list.Normalize("/d/y.os");
  const std::vector<std::string> items = list.MenuItems();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0], "/d/x.os");
  EXPECT_EQ(items[1], "/d/Y.os");
}

TEST(RecentFiles, RemovingAnEntryClosesTheGap) {
  TRecentFiles list;
  list.InsertFront("/d/a.os", kUntitled);
  list.InsertFront("/d/b.os", kUntitled);
  list.InsertFront("/d/c.os", kUntitled);
  list.Remove(1);
  EXPECT_EQ(list.Entry(0), "/d/c.os");
  EXPECT_EQ(list.Entry(1), "/d/a.os");
  EXPECT_EQ(list.Entry(2), "");
  list.Remove(-1);
  list.Remove(99);
  EXPECT_EQ(list.Size(), kRecentListSize);
}

}  // namespace
