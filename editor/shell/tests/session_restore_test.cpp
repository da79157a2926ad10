#include "editor/shell/session_restore.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class NewestUndoFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() /
                 ("newest_undo_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(directory_);
    fs::create_directories(directory_);
    base_ = fs::file_time_type::clock::now();
  }
  void TearDown() override { fs::remove_all(directory_); }
  // An undo file written `offset` after the base time.
  std::string Snapshot(int number, std::chrono::seconds offset) {
    const std::string path = (directory_ / ("Undo" + std::to_string(number) + ".os")).string();
    std::ofstream(path) << "snapshot " << number << "\n";
    fs::last_write_time(path, base_ + offset);
    return path;
  }
  fs::path directory_;
  fs::file_time_type base_;
};

constexpr int kRing = 10;

TEST_F(NewestUndoFileTest, TheLaterFileOfTheDayWins) {
  const std::string three = Snapshot(3, std::chrono::seconds(0));
  const std::string four = Snapshot(4, std::chrono::seconds(95));
  EXPECT_EQ(NewestUndoFile({three, four}, kRing), four);
  EXPECT_EQ(NewestUndoFile({four, three}, kRing), four);
}

TEST_F(NewestUndoFileTest, MonthsCountAsWellAsTheTimeOfDay) {
  // Undo3 on the 5th of one month at noon, Undo4 on the 5th of the next at eleven: a key of
  // day, hour, minute and second alone would take Undo3.
  constexpr auto kDay = std::chrono::hours(24);
  const std::string three = Snapshot(3, std::chrono::duration_cast<std::chrono::seconds>(std::chrono::hours(12)));
  const std::string four =
      Snapshot(4, std::chrono::duration_cast<std::chrono::seconds>(31 * kDay + std::chrono::hours(11)));
  EXPECT_EQ(NewestUndoFile({three, four}, kRing), four);
  // Two seconds apart is apart: no two-second ticks.
  const std::string five =
      Snapshot(5, std::chrono::duration_cast<std::chrono::seconds>(31 * kDay + std::chrono::hours(11)) +
                      std::chrono::seconds(1));
  EXPECT_EQ(NewestUndoFile({five, four, three}, kRing), five);
}

TEST_F(NewestUndoFileTest, TiesGoToTheEndOfTheirRunInTheRing) {
  const std::string three = Snapshot(3, std::chrono::seconds(7));
  const std::string four = Snapshot(4, std::chrono::seconds(7));
  EXPECT_EQ(NewestUndoFile({four, three}, kRing), four);
  // The ring wrapped within the tick: 9 was written before 0.
  const std::string nine = Snapshot(9, std::chrono::seconds(20));
  const std::string zero = Snapshot(0, std::chrono::seconds(20));
  EXPECT_EQ(NewestUndoFile({zero, nine, three, four}, kRing), zero);
  // Numbers compare as numbers: 10 follows 9 in a ring of 12.
  const std::string ten = Snapshot(10, std::chrono::seconds(20));
  fs::remove(zero);
  EXPECT_EQ(NewestUndoFile({ten, nine}, 12), ten);
}

TEST_F(NewestUndoFileTest, UnreadableEntriesAreSkipped) {
  const std::string two = Snapshot(2, std::chrono::seconds(0));
  // A newer "file" that is a directory, and one that is gone.
  const std::string seven = (directory_ / "Undo7.os").string();
  fs::create_directories(seven);
  const std::string gone = (directory_ / "Undo8.os").string();
  EXPECT_EQ(NewestUndoFile({seven, gone, two}, kRing), two);
  EXPECT_EQ(NewestUndoFile({seven, gone}, kRing), "");
  EXPECT_EQ(NewestUndoFile({}, kRing), "");
}

}  // namespace
