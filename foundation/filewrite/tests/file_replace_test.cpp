#include "foundation/filewrite/file_replace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "foundation/filewrite/work_files.h"
#include "foundation/testing/small_disk.h"
#include "foundation/textfiles/tests/read_nf_test_support.h"

namespace {

std::size_t CountWorkFiles(const std::string &directory, const std::string &fileName) {
  std::size_t count = 0;
  for (const auto &entry : std::filesystem::directory_iterator(directory))
    if (IsWorkFileName(fileName, entry.path().filename().string())) ++count;
  return count;
}

mode_t ModeOf(const std::string &path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

TEST(FileReplace, NewContentsArriveWholeWithTheOldPermissionsAndNoWorkFileLeft) {
  TScratchFiles files;
  const std::string path = files.Write("lens.os", "old text\n");
  ::chmod(path.c_str(), 0640);
  const TFileWriteResult result = ReplaceFileContents(path, "new text\nsecond line\n");
  EXPECT_TRUE(result.Written());
  EXPECT_EQ(TScratchFiles::Read(path), "new text\nsecond line\n");
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_EQ(CountWorkFiles(files.directory, "lens.os"), 0u);
}

TEST(FileReplace, ALinkIsWrittenThroughAndStaysALinkWhetherItsTargetIsThereOrNot) {
  TScratchFiles files;
  const std::string target = files.Write("real.os", "old\n");
  const std::string link = files.PathOf("link.os");
  std::filesystem::create_symlink(target, link);
  ASSERT_TRUE(ReplaceFileContents(link, "new\n").Written());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(TScratchFiles::Read(target), "new\n");
  // Pointing at a name still to be made, relative to the link's folder.
  const std::string dangling = files.PathOf("dangling.os");
  std::filesystem::create_symlink("made_later.os", dangling);
  ASSERT_TRUE(ReplaceFileContents(dangling, "made\n").Written());
  EXPECT_TRUE(std::filesystem::is_symlink(dangling));
  EXPECT_EQ(TScratchFiles::Read(files.PathOf("made_later.os")), "made\n");
}

// A link another user planted in a directory everyone may write (the shared temporary
// directory) would let that user choose which of our files a save replaces.
TEST(FileReplace, ALinkAnotherUserPlantedInASharedDirectoryIsNeverWrittenThrough) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a link of another owner needs the administrator";
  TScratchFiles files;
  const std::string target = files.Write("mine.os", "mine\n");
  const std::string shared = files.PathOf("shared");
  std::filesystem::create_directory(shared);
  ::chmod(shared.c_str(), 01777);
  const std::string link = shared + "/Undo1.os";
  std::filesystem::create_symlink(target, link);
  constexpr uid_t kNobody = 65534;
  ASSERT_EQ(::lchown(link.c_str(), kNobody, kNobody), 0);
  const TFileWriteResult result = ReplaceFileContents(link, "planted\n");
  EXPECT_EQ(result.fault, TFileWriteFault::kForeignLink);
  EXPECT_NE(FileWriteFaultText(link, result).find("another user"), std::string::npos);
  EXPECT_EQ(TScratchFiles::Read(target), "mine\n");
  // Our own link there is still written through.
  ASSERT_EQ(::lchown(link.c_str(), 0, 0), 0);
  EXPECT_TRUE(ReplaceFileContents(link, "ours\n").Written());
  EXPECT_EQ(TScratchFiles::Read(target), "ours\n");
}

// Each case leaves the old file (or none) as it was and says the true cause.
TEST(FileReplace, RefusalsNameTheirCauseAndKeepTheOldFile) {
  TScratchFiles files;
  const std::string readOnly = files.Write("kept.os", "kept\n");
  ::chmod(readOnly.c_str(), 0444);
  std::filesystem::create_directory(files.PathOf("folder.os"));
  struct TCase {
    std::string path;
    TFileWriteFault fault;
    const char *words;
  };
  const TCase cases[] = {
      // Whoever runs the program, the administrator too.
      {readOnly, TFileWriteFault::kReadOnly, "is marked as read-only!"},
      {files.PathOf("missing/lens.os"), TFileWriteFault::kNoDirectory, "directory does not exist"},
      {files.PathOf("kept.os/lens.os"), TFileWriteFault::kNoDirectory, "directory does not exist"},
      {files.PathOf("folder.os"), TFileWriteFault::kNotAFile, "not an ordinary file"},
      // A system folder that is there but takes no files: the administrator is told the
      // system's own "no such file", the others that they may not write there.
      {"/proc/lens.os", ::geteuid() == 0 ? TFileWriteFault::kCannotMake : TFileWriteFault::kNoPermission,
       ::geteuid() == 0 ? "cannot be made in its directory: No such file or directory." : "no permission"},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.path);
    const TFileWriteResult result = ReplaceFileContents(c.path, "new\n");
    EXPECT_EQ(result.fault, c.fault);
    EXPECT_NE(FileWriteFaultText(c.path, result).find(c.words), std::string::npos)
        << FileWriteFaultText(c.path, result);
  }
  EXPECT_EQ(TScratchFiles::Read(readOnly), "kept\n");
  // A move never replaces the file at its target, and a refused one leaves its own file.
  const std::string moved = files.Write("moved.anm", "moved\n");
  EXPECT_EQ(MoveFileToNewName(moved, readOnly).fault, TFileWriteFault::kExists);
  EXPECT_EQ(MoveFileToNewName(moved, files.PathOf("missing/moved.anm")).fault, TFileWriteFault::kNoDirectory);
  EXPECT_EQ(TScratchFiles::Read(moved), "moved\n");
  EXPECT_FALSE(std::filesystem::exists(files.PathOf("missing")));
  EXPECT_EQ(CountWorkFiles(files.directory, "kept.os"), 0u);
}

TEST(FileReplace, AFullDiskKeepsTheOldFileAndSaysTheDiskIsFull) {
  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  const std::string path = disk.PathOf("lens.os");
  ASSERT_TRUE(ReplaceFileContents(path, "old text\n").Written());
  disk.Fill();
  const TFileWriteResult result = ReplaceFileContents(path, std::string(64 * 1024, 'n'));
  EXPECT_EQ(result.fault, TFileWriteFault::kNoSpace);
  EXPECT_NE(FileWriteFaultText(path, result).find("no space left"), std::string::npos);
  EXPECT_EQ(TScratchFiles::Read(path), "old text\n");
  EXPECT_EQ(CountWorkFiles(std::filesystem::path(path).parent_path().string(), "lens.os"), 0u);
}

// A file written piece by piece: the old one stands until Commit, and a replacement dropped
// unfinished leaves it and no work file.
TEST(FileReplacement, PiecesArriveOnlyAtCommitAndADroppedOneLeavesTheOldFile) {
  TScratchFiles files;
  const std::string path = files.Write("movie.avi", "old movie");
  {
    TFileReplacement replacement;
    ASSERT_TRUE(replacement.Open(path).Written());
    ASSERT_TRUE(replacement.Append("size=??;").Written());
    ASSERT_TRUE(replacement.Append("one,two,cut").Written());
    ASSERT_TRUE(replacement.Truncate(15).Written());
    ASSERT_TRUE(replacement.WriteAt(5, "15").Written());
    EXPECT_EQ(replacement.Size(), 15u);
    EXPECT_EQ(TScratchFiles::Read(path), "old movie");
    EXPECT_EQ(CountWorkFiles(files.directory, "movie.avi"), 1u);
    ASSERT_TRUE(replacement.Commit().Written());
  }
  EXPECT_EQ(TScratchFiles::Read(path), "size=15;one,two");
  {
    TFileReplacement dropped;
    ASSERT_TRUE(dropped.Open(path).Written());
    ASSERT_TRUE(dropped.Append("never seen").Written());
  }
  EXPECT_EQ(TScratchFiles::Read(path), "size=15;one,two");
  EXPECT_EQ(CountWorkFiles(files.directory, "movie.avi"), 0u);
}

// One name, however spelled, is written by one replacement at a time; a file that takes its
// place meanwhile (new, or the old one replaced) is seen before the commit.
TEST(FileReplacement, OneNameHasOneWriterAndAFileThatTookItsPlaceIsSeen) {
  TScratchFiles files;
  std::filesystem::create_directory(files.PathOf("sub"));
  const std::string path = files.PathOf("sub/movie.avi");
  TFileReplacement first, second;
  ASSERT_TRUE(first.Open(path).Written());
  EXPECT_EQ(second.Open(files.PathOf("sub/../sub/./movie.avi")).fault, TFileWriteFault::kBeingWritten);
  EXPECT_FALSE(first.Supplanted());
  files.Write("sub/movie.avi", "another writer's");
  EXPECT_TRUE(first.Supplanted());
  ASSERT_TRUE(first.Commit().Written());
  // Free again once committed; the file there now is the one it found.
  ASSERT_TRUE(second.Open(path).Written());
  EXPECT_FALSE(second.Supplanted());
  files.Write("sub/movie.avi", "written over meanwhile");
  EXPECT_TRUE(second.Supplanted());
}

TEST(FileReplacement, AFullDiskIsToldAtTheAppendThatDidNotFit) {
  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  const std::string path = disk.PathOf("movie.avi");
  TFileReplacement replacement;
  ASSERT_TRUE(replacement.Open(path).Written());
  ASSERT_TRUE(replacement.Append(std::string(1024, 'a')).Written());
  const TFileWriteResult result = replacement.Append(std::string(64 * 1024, 'b'));
  EXPECT_EQ(result.fault, TFileWriteFault::kNoSpace);
  // What fitted before can still be kept.
  ASSERT_TRUE(replacement.Truncate(1024).Written());
  ASSERT_TRUE(replacement.Commit().Written());
  EXPECT_EQ(TScratchFiles::Read(path), std::string(1024, 'a'));
}

TEST(WorkFiles, NamesAreKnownOnlyForTheirOwnFile) {
  EXPECT_TRUE(IsWorkFileName("lens.os", "lens.os.saving-a1B2c3"));
  EXPECT_FALSE(IsWorkFileName("lens.os", "lens.os.saving-a1B2c"));
  EXPECT_FALSE(IsWorkFileName("lens.os", "lens.os.saving-a1B2c3d"));
  EXPECT_FALSE(IsWorkFileName("lens.os", "lens.os.saving-a1B-c3"));
  EXPECT_FALSE(IsWorkFileName("lens.os", "lens.osx.saving-a1B2c3"));
  EXPECT_FALSE(IsWorkFileName("lens.os", "lens.os"));
  // A long name leaves room for the mark: its work files repeat the start of it.
  const std::string longName(250, 'n');
  const std::string work = WorkFileTemplate(".", longName);
  EXPECT_LE(std::filesystem::path(work).filename().string().size(), 255u);
}

TEST(WorkFiles, StaleOnesGoButHeldOnesAndOtherFilesStay) {
  TScratchFiles files;
  const std::string path = files.Write("lens.os", "text\n");
  const std::string stale = files.Write("lens.os.saving-Ab12Cd", "half a save");
  const std::string held = files.Write("lens.os.saving-Ef34Gh", "a save going on");
  const std::string otherFile = files.Write("other.os.saving-Ab12Cd", "not ours to judge");
  const std::string userFile = files.Write("lens.os.saving-notes.txt", "the user's");
  std::filesystem::create_directory(files.PathOf("lens.os.saving-Dir123"));
  // A writer at work holds its work file locked (another open file: the lock is its own).
  const int writer = ::open(held.c_str(), O_RDONLY);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);

  EXPECT_EQ(RemoveStaleWorkFiles(path), 1);
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(held));
  EXPECT_TRUE(std::filesystem::exists(otherFile));
  EXPECT_TRUE(std::filesystem::exists(userFile));
  EXPECT_TRUE(std::filesystem::exists(files.PathOf("lens.os.saving-Dir123")));
  ::close(writer);
  // Its writer gone, the next open finds it stale.
  EXPECT_EQ(RemoveStaleWorkFiles(path), 1);
  EXPECT_FALSE(std::filesystem::exists(held));
}

}  // namespace
