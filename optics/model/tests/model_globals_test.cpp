#include "optics/model/model_globals.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

#include "optics/model/file_data.h"
#include "optics/model/ray.h"
#include "optics/model/temporary_directory.h"

namespace {

namespace fs = std::filesystem;

// A fresh directory under the build's temporary place, removed afterwards.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::string &name)
      : path_(fs::temp_directory_path() / ("model_test_" + name + "_" + std::to_string(getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchDirectory() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  std::string Path() const { return path_.string(); }

 private:
  fs::path path_;
};

// Sets an environment variable for one scope and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char *name, const char *value) : name_(name) {
    if (const char *old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedVariable() {
    if (had_) setenv(name_, old_.c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char *name_;
  bool had_ = false;
  std::string old_;
};

TEST(ModifiedFlag, EverySetAdvancesTheChangeCount) {
  ClearModelChanged();
  EXPECT_EQ(ModelChanged(), 0);
  const auto before = ModelChangeCount();
  MarkModelChanged();
  MarkModelChanged();
  EXPECT_EQ(ModelChanged(), 1);
  EXPECT_EQ(ModelChangeCount(), before + 2);
  ClearModelChanged();
  EXPECT_EQ(ModelChangeCount(), before + 2);
}

TEST(PendingMessage, OneMessageALineUntilTakenThenEmpty) {
  TakePendingMessage();
  AppendPendingMessage("Chief ray in beam 1 does not pass!");
  AppendPendingMessage("Chief ray in beam 2 does not pass!");
  AppendPendingMessage("");
  // A warning waiting already is not told twice; one that only contains it is another.
  AppendPendingMessage("Chief ray in beam 1 does not pass!");
  AppendPendingMessage("beam 2 does not pass!");
  EXPECT_EQ(TakePendingMessage(), "Chief ray in beam 1 does not pass!\nChief ray in beam 2 does not pass!\n"
                                  "beam 2 does not pass!");
  EXPECT_EQ(PendingMessage(), "");
  AppendPendingMessage("Chief ray in beam 3 does not pass!");
  EXPECT_EQ(TakePendingMessage(), "Chief ray in beam 3 does not pass!");
}

TEST(ModelGlobals, GlassCatalogPointerAndSavedRay) {
  EXPECT_EQ(GetGlassCatalog(), nullptr);
  int stand = 0;
  SetGlassCatalog(reinterpret_cast<TGlassCatalog *>(&stand));
  EXPECT_EQ(GetGlassCatalog(), reinterpret_cast<TGlassCatalog *>(&stand));
  SetGlassCatalog(nullptr);
  // One saved ray for every caller, which any trace before this case may have moved: what
  // one call writes, the next reads.
  const TCurrentRay kept = SavedRay();
  SavedRay() = TCurrentRay(1.5, -2.0, 3.0);
  EXPECT_EQ(&SavedRay(), &SavedRay());
  EXPECT_EQ(SavedRay().y, -2.0);
  EXPECT_EQ(SavedRay().N, 1.0);
  SavedRay() = kept;
  EXPECT_EQ(DensityFileData().weight, 1.0f);
  EXPECT_FALSE(ProgramDir().empty());
}

TEST(TemporaryDirectory, BaseFollowsTmpThenTempThenTmpdir) {
  ScopedVariable tmp("TMP", "/first");
  ScopedVariable temp("TEMP", "/second");
  ScopedVariable tmpdir("TMPDIR", "/third");
  EXPECT_EQ(TemporaryBaseDirectory(), "/first");
  {
    ScopedVariable noTmp("TMP", nullptr);
    EXPECT_EQ(TemporaryBaseDirectory(), "/second");
    ScopedVariable noTemp("TEMP", "");
    EXPECT_EQ(TemporaryBaseDirectory(), "/third");
    ScopedVariable noTmpdir("TMPDIR", nullptr);
    EXPECT_FALSE(TemporaryBaseDirectory().empty());
  }
}

TEST(TemporaryDirectory, SecondProgramTakesItsOwnSubdirectory) {
  ScratchDirectory base("lock");
  std::string firstPath;
  std::string secondPath;
  {
    TTemporaryDirectoryLock first;
    firstPath = first.Acquire(base.Path());
    ASSERT_TRUE(first.Locked());
    EXPECT_NE(firstPath, base.Path());
    EXPECT_TRUE(fs::is_directory(firstPath));
    EXPECT_EQ(fs::path(firstPath).parent_path(), fs::path(base.Path()));

    // A second lock on its own descriptor stands for a second running program.
    TTemporaryDirectoryLock second;
    secondPath = second.Acquire(base.Path());
    ASSERT_TRUE(second.Locked());
    EXPECT_NE(secondPath, firstPath);
  }
  // The programs ended: the next start finds one of their subdirectories (and its undo
  // files), and makes no new one.
  TTemporaryDirectoryLock next;
  const std::string nextPath = next.Acquire(base.Path());
  EXPECT_TRUE(nextPath == firstPath || nextPath == secondPath) << nextPath;
  EXPECT_EQ(std::distance(fs::directory_iterator(base.Path()), fs::directory_iterator()), 2);
}

TEST(TemporaryDirectory, UnwritableBaseGivesNoDirectoryRatherThanTheBase) {
  TTemporaryDirectoryLock lock;
  const std::string missing = "/nonexistent-model-test-base/below";
  EXPECT_EQ(lock.Acquire(missing), "");
  EXPECT_FALSE(lock.Locked());
}

// Another local user may make any name in a shared directory: the names a program could
// foresee taken (by files, and as the administrator by other owners' directories), ours
// is still private, never the shared directory itself.
TEST(TemporaryDirectory, NamesTakenByOthersStillGiveAPrivateDirectory) {
  ScratchDirectory base("taken");
  const std::string stem = "optbench-" + std::string(getpwuid(getuid())->pw_name);
  for (int k = 0; k < 64; ++k) {
    const std::string name = base.Path() + "/" + (k == 0 ? stem : stem + "-" + std::to_string(k));
    if (k % 2 == 0 || geteuid() != 0) {
      std::FILE *file = std::fopen(name.c_str(), "w");
      ASSERT_NE(file, nullptr);
      std::fclose(file);
    } else {
      fs::create_directory(name);
      ASSERT_EQ(chown(name.c_str(), 65534, 65534), 0);
      chmod(name.c_str(), 0777);
    }
  }
  TTemporaryDirectoryLock lock;
  const std::string chosen = lock.Acquire(base.Path());
  ASSERT_TRUE(lock.Locked());
  EXPECT_NE(chosen, base.Path());
  EXPECT_EQ(fs::path(chosen).parent_path(), fs::path(base.Path()));
  struct stat info {};
  ASSERT_EQ(lstat(chosen.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(info.st_uid, getuid());
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// A leftover directory of ours that the group or anyone else may enter, read or write is not
// private, whichever of those bits is set: it is never taken again. Private (0700), it is
// taken back: its undo files wait there.
TEST(TemporaryDirectory, ALeftoverDirectoryOthersMayEnterIsNeverReused) {
  const std::string stem = "optbench-" + std::string(getpwuid(getuid())->pw_name);
  for (const mode_t mode : {0700, 0750, 0770, 0710, 0720, 0740, 0705, 0701, 0702, 0704, 0707}) {
    SCOPED_TRACE(testing::Message() << "mode " << std::oct << mode);
    ScratchDirectory base("leftover");
    const std::string leftover = base.Path() + "/" + stem + "-Left01";
    ASSERT_TRUE(fs::create_directory(leftover));
    ASSERT_EQ(chmod(leftover.c_str(), mode), 0);
    TTemporaryDirectoryLock lock;
    EXPECT_EQ(lock.Acquire(base.Path()) == leftover, mode == 0700);
    EXPECT_TRUE(lock.Locked());
    EXPECT_EQ(fs::exists(leftover + "/.lock"), mode == 0700);
  }
}

// Without a private directory there is no temporary path at all (never a bare name, which is
// a file of the current directory), and the reason names the place tried and the system's
// cause.
TEST(TemporaryDirectory, WithoutAPrivateDirectoryNoPathIsGivenAndTheCauseIsNamed) {
  const std::string previous = TempDir();
  ScratchDirectory base("nowhere");
  const std::string blocker = base.Path() + "/blocker";
  std::FILE *file = std::fopen(blocker.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  const std::string below = blocker + "/below";
  {
    ScopedVariable tmp("TMP", below.c_str());
    ScopedVariable runtime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(SetupTemporaryDirectory(), "");
  }
  EXPECT_EQ(TempPath("~~system.tmp"), "");
  const std::string problem = TempDirProblem();
  EXPECT_NE(problem.find(below), std::string::npos) << problem;
  EXPECT_NE(problem.find(std::strerror(ENOTDIR)), std::string::npos) << problem;
  SetTempDir(base.Path());
  EXPECT_EQ(TempPath("~~system.tmp"), base.Path() + "/~~system.tmp");
  EXPECT_EQ(TempDirProblem(), "");
  SetTempDir(previous);
}

TEST(TemporaryDirectory, SetupUsesTheEnvironment) {
  ScratchDirectory base("setup");
  ScopedVariable tmp("TMP", base.Path().c_str());
  const std::string chosen = SetupTemporaryDirectory();
  EXPECT_EQ(fs::path(chosen).parent_path(), fs::path(base.Path()));
  EXPECT_EQ(TempDir(), chosen);
  SetTempDir(base.Path());
  EXPECT_EQ(TempDir(), base.Path());
}

TEST(FileData, HeaderAndPixelsLieWhereTheFormatSays) {
  ScratchDirectory directory("raster");
  TFileData record;
  record.fileName = directory.Path() + "/one.img";
  record.wavelength = 0.5461f;
  Mem<float> raster(1, 1);
  raster.data[0] = 2.5f;
  ASSERT_EQ(record.Write(raster), 1);
  EXPECT_EQ(fs::file_size(record.fileName), 56u);
  std::FILE *file = std::fopen(record.fileName.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  unsigned char bytes[56];
  ASSERT_EQ(std::fread(bytes, 1, 56, file), 56u);
  std::fclose(file);
  float wavelength = 0.0f, pixel = 0.0f;
  std::int32_t width = 0;
  std::memcpy(&width, bytes, 4);
  std::memcpy(&wavelength, bytes + 44, 4);
  std::memcpy(&pixel, bytes + 52, 4);
  EXPECT_EQ(width, 1);
  EXPECT_EQ(wavelength, 0.5461f);
  EXPECT_EQ(pixel, 2.5f);
}

TEST(FileData, ReadBackGivesTheSameRasterAndCopiesKeepTheName) {
  ScratchDirectory directory("roundtrip");
  TFileData record;
  record.fileName = directory.Path() + "/r.img";
  record.fieldY = -3.25;
  Mem<float> raster(3, 2);
  for (int k = 0; k < 6; ++k) raster.data[k] = 0.5f * static_cast<float>(k);
  ASSERT_EQ(record.Write(raster), 1);
  TFileData copy(record);
  EXPECT_EQ(copy.fileName, record.fileName);
  copy.fieldY = 0.0;
  copy.width = 0;
  Mem<float> back;
  ASSERT_EQ(copy.Read(back), 1);
  EXPECT_EQ(copy.fieldY, -3.25);
  ASSERT_EQ(back.cols, 3);
  ASSERT_EQ(back.rows, 2);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(back.data[k], 0.5f * static_cast<float>(k));
  TFileData missing;
  missing.fileName = directory.Path() + "/none.img";
  missing.width = 9;
  EXPECT_EQ(missing.Read(back), 0);
  EXPECT_EQ(missing.width, 9);
  EXPECT_EQ(back.cols, 3);
}

}  // namespace
