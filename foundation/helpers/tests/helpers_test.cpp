#include "foundation/helpers/helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/helpers/file_list.h"
#include "foundation/testing/approx.h"
#include "platform/core/recording_providers.h"

namespace {

// The version number is formatted and read back; exact up to decimal conversion.
constexpr double kVersionTolerance = 1e-12;

// A fresh directory under the system temporary directory, removed afterwards.
class TScratchDirectory {
 public:
  TScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "helpers_XXXXXX").string();
    path = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TScratchDirectory() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
  std::string Make(const std::string &name, const std::string &text = "x") const {
    const std::string file = path + "/" + name;
    std::ofstream(file) << text;
    return file;
  }
  std::string path;
};

}  // namespace

TEST(Cursor, WaitAndArrowReachTheProvider) {
  TRecordingCursorProvider cursor;
  SetWaitCursor();
  SetArrowCursor();
  ASSERT_EQ(cursor.shapes.size(), 2u);
  EXPECT_EQ(cursor.shapes[0], TCursorShape::Wait);
  EXPECT_EQ(cursor.shapes[1], TCursorShape::Arrow);
}

TEST(ShowNotReadyBox, ShowsTheRussianTextInCyrillic) {
  TRecordingMessageBoxProvider boxes;
  ShowNotReadyBox(nullptr);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  // UTF-8 bytes written out, so the check does not depend on this file's encoding alone.
  EXPECT_EQ(boxes.boxes[0].caption, "\xD0\x98\xD0\xB7\xD0\xB2\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x82"
                                    "\xD0\xB5 !");
  EXPECT_EQ(boxes.boxes[0].text.rfind("\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB9 ", 0),
            0u);
  EXPECT_NE(boxes.boxes[0].text.find("в работе"), std::string::npos);
  EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, MB_ICONEXCLAMATION);
  EXPECT_EQ(boxes.boxes[0].flags & MB_TYPEMASK, MB_OK);
}

TEST(MinMaxOfArray, FindsBothEnds) {
  const double values[] = {3.5, -2.0, 7.25, 0.0, -2.0, 7.0};
  double low = 0.0;
  double high = 0.0;
  MinMaxOfArray(values, 6, low, high);
  EXPECT_EQ(low, -2.0);
  EXPECT_EQ(high, 7.25);
}

TEST(MinMaxOfArray, OneElementIsBothEnds) {
  const double value = 4.5;
  double low = 0.0;
  double high = 0.0;
  MinMaxOfArray(&value, 1, low, high);
  EXPECT_EQ(low, 4.5);
  EXPECT_EQ(high, 4.5);
}

TEST(MinMaxOfArray, EmptyInputGivesZerosWithoutReading) {
  double low = 9.0;
  double high = 9.0;
  MinMaxOfArray(nullptr, 3, low, high);
  EXPECT_EQ(low, 0.0);
  EXPECT_EQ(high, 0.0);
  const double values[] = {1.0};
  MinMaxOfArray(values, 0, low, high);
  EXPECT_EQ(high, 0.0);
}

TEST(WindowsVersionText, AnswersTheKernelMajorMinor) {
  utsname name{};
  ASSERT_EQ(uname(&name), 0);
  int major = 0;
  int minor = 0;
  ASSERT_EQ(std::sscanf(name.release, "%d.%d", &major, &minor), 2);
  // "%d.%d" read back: 6.1 stays 6.1, 5.10 becomes 5.1.
  double expected = minor;
  while (expected >= 1.0) expected /= 10.0;
  EXPECT_APPROX(WindowsVersionText(), major + expected, kVersionTolerance);
}

TEST(DeleteFileIfExists, DeletesAnExistingFile) {
  TScratchDirectory dir;
  const std::string file = dir.Make("gone.tmp");
  EXPECT_EQ(DeleteFileIfExists(file), 1);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(DeleteFileIfExists, MissingFileGivesZero) {
  TScratchDirectory dir;
  EXPECT_EQ(DeleteFileIfExists(dir.path + "/never.tmp"), 0);
  EXPECT_EQ(DeleteFileIfExists(""), 0);
}

TEST(DeleteFileIfExists, LeavesDirectoriesAlone) {
  TScratchDirectory dir;
  const std::string sub = dir.path + "/empty";
  std::filesystem::create_directory(sub);
  EXPECT_EQ(DeleteFileIfExists(sub), 0);
  EXPECT_TRUE(std::filesystem::is_directory(sub));
}

TEST(DeleteFileIfExists, AcceptsBackslashes) {
  TScratchDirectory dir;
  const std::string file = dir.Make("old.tmp");
  std::string windowsStyle = dir.path + "\\old.tmp";
  EXPECT_EQ(DeleteFileIfExists(windowsStyle), 1);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(ListFiles, ListsMatchingFilesWithTheirDirectory) {
  TScratchDirectory dir;
  dir.Make("b.os");
  dir.Make("a.os");
  dir.Make("c.txt");
  dir.Make("D.OS");
  std::filesystem::create_directory(dir.path + "/sub.os");
  Mem<STRING> list;
  ASSERT_EQ(ListFiles(dir.path, "*.os", list), 3);
  ASSERT_EQ(list.cols, 3);
  ASSERT_EQ(list.rows, 1);
  EXPECT_EQ(std::string(list.data[0]), dir.path + "/D.OS");
  EXPECT_EQ(std::string(list.data[1]), dir.path + "/a.os");
  EXPECT_EQ(std::string(list.data[2]), dir.path + "/b.os");
}

TEST(ListFiles, StarDotStarMeansEveryFile) {
  TScratchDirectory dir;
  dir.Make("noext");
  dir.Make("x.y");
  dir.Make(".hidden");
  Mem<STRING> list;
  EXPECT_EQ(ListFiles(dir.path, "*.*", list), 2);
}

TEST(ListFiles, NoMatchLeavesTheListAlone) {
  TScratchDirectory dir;
  dir.Make("a.txt");
  Mem<STRING> list;
  list.Resize(2, 1);
  list.data[0] = STRING("keep0");
  list.data[1] = STRING("keep1");
  EXPECT_EQ(ListFiles(dir.path, "*.os", list), 0);
  ASSERT_EQ(list.cols, 2);
  EXPECT_EQ(std::string(list.data[1]), "keep1");
  EXPECT_EQ(ListFiles(dir.path + "/missing", "*", list), 0);
  EXPECT_EQ(list.cols, 2);
}

TEST(ListFiles, ReplacesAnOlderLongerList) {
  TScratchDirectory dir;
  dir.Make("only.os");
  Mem<STRING> list;
  list.Resize(4, 1);
  ASSERT_EQ(ListFiles(dir.path, "*.os", list), 1);
  EXPECT_EQ(list.cols, 1);
  EXPECT_EQ(std::string(list.data[0]), dir.path + "/only.os");
}

TEST(ListFiles, FailedListShowsTheMemoryBoxAndKeepsTheOldList) {
  TScratchDirectory dir;
  dir.Make("a.os");
  dir.Make("b.os");
  Mem<STRING> list;
  list.Resize(1, 1);
  list.data[0] = STRING("old");
  TRecordingMessageBoxProvider boxes;
  {
    TMemAllocationFaults refuse(0);
    EXPECT_EQ(ListFiles(dir.path, "*.os", list), 0);
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Not enough memory");
  EXPECT_EQ(boxes.boxes[0].caption, " Memory ");
  ASSERT_EQ(list.cols, 1);
  EXPECT_EQ(std::string(list.data[0]), "old");
}

TEST(ReadFileBytes, AMissingFileIsNoEmptyOne) {
  std::string bytes = "kept";
  EXPECT_FALSE(ReadFileBytes("/nonexistent/directory/file.par", bytes));
  EXPECT_EQ(bytes, "kept");
}
