// The stereo-glasses driver started as a process: a fake driver script records its
// arguments; "CheckDrv" answers by the answer file in the temporary directory.

#include "viewer3d/stereo/stereo_driver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

class StereoDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "stereo_driver_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    program_ = root_ + "/program dir";  // a blank in the path: no shell splits it
    temp_ = root_ + "/tmp";
    fs::create_directories(program_);
    fs::create_directories(temp_);
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(root_, error);
  }
  // A driver that logs its command and, when it is installed, answers the check.
  void InstallDriver(bool answers) const {
    const std::string path = program_ + "/" + kStereoDriverName;
    std::ofstream(path) << "#!/bin/sh\n"
                        << "printf '%s\\n' \"$1\" >> \"$2/driver.log\"\n"
                        << (answers ? "if [ \"$1\" = CheckDrv ]; then : > \"$2/stereo_driver.ans\"; fi\n" : "");
    ::chmod(path.c_str(), 0755);
  }
  std::string Log() const {
    std::ifstream in(temp_ + "/driver.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The log once it holds the lines (drivers run on their own, and a loaded machine may
  // start them late), or as it stands after half a minute.
  std::string LogOnce(int lines) const {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
      const std::string text = Log();
      if (std::count(text.begin(), text.end(), '\n') >= lines || std::chrono::steady_clock::now() > giveUp) return text;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  int Run(const char *command) {
    return RunStereoDriver(program_, temp_, command, [this](double seconds) {
      waited_ += seconds;
      std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    });
  }
  std::string root_, program_, temp_;
  double waited_ = 0.0;
};

TEST_F(StereoDriverTest, AnInstalledDriverAnswersTheCheckAndGetsEveryCommand) {
  InstallDriver(true);
  // A stale answer from before is no answer.
  std::ofstream(temp_ + "/" + kStereoAnswerName) << "old";
  EXPECT_EQ(Run("CheckDrv"), 1);
  EXPECT_FALSE(fs::exists(temp_ + "/" + kStereoAnswerName));
  EXPECT_LE(waited_, kDriverCheckSeconds + 1e-9);
  EXPECT_EQ(LogOnce(1), "CheckDrv\n");
  // Each command reaches the driver before the next is sent.
  int lines = 1;
  for (const char *command : {"On", "RightToLeft", "Off"}) {
    EXPECT_EQ(Run(command), 1);
    LogOnce(++lines);
  }
  EXPECT_EQ(LogOnce(4), "CheckDrv\nOn\nRightToLeft\nOff\n");
}

TEST_F(StereoDriverTest, NoDriverOrNoAnswerMeansNotInstalled) {
  // None there: no process, no wait.
  EXPECT_EQ(Run("CheckDrv"), 0);
  EXPECT_EQ(waited_, 0.0);
  EXPECT_EQ(Run("On"), 1);  // other commands are not reported
  // A driver that does not answer: the check waits its 0.3 s at most and finds nothing.
  InstallDriver(false);
  EXPECT_EQ(Run("CheckDrv"), 0);
  EXPECT_EQ(LogOnce(1), "CheckDrv\n");
  // A file that is not executable is no driver.
  fs::remove(temp_ + "/driver.log");
  ::chmod((program_ + "/" + kStereoDriverName).c_str(), 0644);
  waited_ = 0.0;
  EXPECT_EQ(Run("CheckDrv"), 0);
  EXPECT_EQ(waited_, 0.0);
}

TEST_F(StereoDriverTest, AnUnknownProgramOrTemporaryDirectoryStartsNothingFromTheCurrentDirectory) {
  // A driver (and an answer) in the directory the program was started in belong to
  // whoever put them there: without its own directories the program runs none of them.
  InstallDriver(true);
  const fs::path previous = fs::current_path();
  fs::current_path(program_);
  std::ofstream(kStereoAnswerName) << "theirs";
  struct TCase {
    const char *programDirectory;
    const char *temporaryDirectory;
  };
  const std::string program = program_, temporary = temp_;
  for (const TCase &c : {TCase{"", temporary.c_str()}, TCase{program.c_str(), ""}}) {
    SCOPED_TRACE(std::string("program '") + c.programDirectory + "', temporary '" + c.temporaryDirectory + "'");
    EXPECT_EQ(RunStereoDriver(c.programDirectory, c.temporaryDirectory, "CheckDrv", nullptr), 0);
    EXPECT_EQ(RunStereoDriver(c.programDirectory, c.temporaryDirectory, "On", nullptr), 1);
  }
  const bool answerKept = fs::exists(program_ + "/" + kStereoAnswerName);
  fs::current_path(previous);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(answerKept);
  EXPECT_EQ(Log(), "");
}

}  // namespace
