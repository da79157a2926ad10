#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/textfiles/read_nf.h"
#include "platform/core/recording_providers.h"
#include "foundation/testing/small_disk.h"
#include "foundation/textfiles/tests/read_nf_test_support.h"

namespace {

namespace fs = std::filesystem;

const char kThreeSections[] =
    "[Common]\n"
    "Naper=3; Dentr=12.5\n"
    "\n"
    "[Surfaces]\n"
    "{ R=21.48; Ex=2.5; Glass=\"SK16_main\" }\n"
    "{ R=-124.1; Ex=5; Glass=\"\" }\n"
    "\n"
    "[Remark]\n"
    "Kept as written\n";

std::string WithCarriageReturns(const std::string &text) {
  std::string result;
  for (const char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

// Replaces one section through a writer and returns Close's answer.
int RewriteSection(const std::string &path, const std::string &header, const std::string &body) {
  TReadNF writer;
  std::FILE *out = writer.Open(path, 1);
  if (out == nullptr) return -1;
  writer.SelectSection(header);
  std::fputs(body.c_str(), out);
  const int reset = writer.Reset();
  return writer.Close() && reset;
}

}  // namespace

TEST(ReadNFRewrite, MiddleSectionIsReplacedAndTheOthersKept) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  EXPECT_EQ(RewriteSection(path, "[Surfaces]", "{ R=50; Ex=1; Glass=\"F2_main\" }\n\n"), 1);
  EXPECT_EQ(TScratchFiles::Read(path),
            "[Common]\n"
            "Naper=3; Dentr=12.5\n"
            "\n"
            "[Surfaces]\n"
            "{ R=50; Ex=1; Glass=\"F2_main\" }\n"
            "\n"
            "[Remark]\n"
            "Kept as written\n");
}

TEST(ReadNFRewrite, CarriageReturnFileKeepsItsOtherSectionsByteForByte) {
  TScratchFiles files;
  const std::string original = WithCarriageReturns(kThreeSections);
  const std::string path = files.Write("sys.os", original);
  EXPECT_EQ(RewriteSection(path, "[surfaces]", "New=1\n"), 1);
  const std::string first = WithCarriageReturns("[Common]\nNaper=3; Dentr=12.5\n\n[Surfaces]\n");
  const std::string third = WithCarriageReturns("[Remark]\nKept as written\n");
  EXPECT_EQ(TScratchFiles::Read(path), first + "New=1\n" + third);
}

TEST(ReadNFRewrite, MissingSectionIsAppended) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  EXPECT_EQ(RewriteSection(path, "[Config_1]", "Shift=2;\n"), 1);
  EXPECT_EQ(TScratchFiles::Read(path), std::string(kThreeSections) + "[Config_1]\nShift=2;\n");
}

TEST(ReadNFRewrite, AppendedSectionStartsItsOwnLine) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", "[A]\nX=1;");
  EXPECT_EQ(RewriteSection(path, "[B]", "Y=2;\n"), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[A]\nX=1;\n[B]\nY=2;\n");
}

TEST(ReadNFRewrite, HeaderOnTheLastLineGetsItsBodyBelow) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", "[A]\nX=1;\n[B]");
  EXPECT_EQ(RewriteSection(path, "[B]", "Y=2;\n"), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[A]\nX=1;\n[B]\nY=2;\n");
}

// Found by fuzzing: a CR LF file whose last line, the header, lost its LF. The header was
// not found, a second one was appended, and once the first got its line end back it
// shadowed the new section, so what was written could not be read back.
TEST(ReadNFRewrite, HeaderEndingInCarriageReturnAtTheEndIsRewritten) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", "Top=1\r\n[Common]\r");
  EXPECT_EQ(RewriteSection(path, "[Common]", "Naper=7\n"), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "Top=1\r\n[Common]\r\nNaper=7\n");
  TReadNF reader(path, 0);
  ASSERT_EQ(reader.ReadSection("[Common]"), 1);
  int naper = 0;
  reader.AddInt("Naper", &naper);
  EXPECT_EQ(reader.ParseSection(0), 1);
  EXPECT_EQ(naper, 7);
}

TEST(ReadNFSections, LastLineEndingInCarriageReturnReadsWithoutIt) {
  TScratchFiles files;
  const std::string path = files.Write("a.os", "[Common]\r\nName=Lens\r");
  TReadNF reader(path, 0);
  ASSERT_EQ(reader.ReadSection("[Common]"), 1);
  char name[16] = {};
  reader.AddString("Name", name);
  EXPECT_EQ(reader.ParseSection(0), 1);
  EXPECT_STREQ(name, "Lens");
}

TEST(ReadNFRewrite, BodyWithoutLineEndDoesNotSwallowTheNextHeader) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", "[A]\nX=1;\n[B]\nY=2;\n");
  EXPECT_EQ(RewriteSection(path, "[A]", "X=5;"), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[A]\nX=5;\n[B]\nY=2;\n");
}

TEST(ReadNFRewrite, SeveralSectionsInOneSessionThroughOneStream) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  TReadNF writer;
  std::FILE *out = writer.Open(path, 1);
  ASSERT_NE(out, nullptr);
  writer.SelectSection("[Common]");
  std::fprintf(out, "Naper=%d; Dentr=%g\n\n", 5, 20.0);
  writer.Reset();
  writer.SelectSection("[Remark]");
  std::fprintf(out, "Changed\n");
  writer.Reset();
  writer.PrepareTemp();
  EXPECT_EQ(writer.Close(), 1);
  EXPECT_EQ(TScratchFiles::Read(path),
            "[Common]\n"
            "Naper=5; Dentr=20\n"
            "\n"
            "[Surfaces]\n"
            "{ R=21.48; Ex=2.5; Glass=\"SK16_main\" }\n"
            "{ R=-124.1; Ex=5; Glass=\"\" }\n"
            "\n"
            "[Remark]\n"
            "Changed\n");
}

TEST(ReadNFRewrite, FileChangesOnceWhenTheWriterCloses) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  TReadNF writer;
  std::FILE *out = writer.Open(path, 1);
  ASSERT_NE(out, nullptr);
  writer.SelectSection("[Common]");
  std::fputs("A=1;\n", out);
  writer.Reset();
  // Later sections are found in the rewritten text...
  ASSERT_EQ(writer.SelectSection("[Common]"), 1);
  std::fputs("A=2;\n", out);
  writer.Reset();
  // ...while the file keeps its old text until Close.
  EXPECT_EQ(TScratchFiles::Read(path), kThreeSections);
  EXPECT_EQ(writer.Close(), 1);
  EXPECT_EQ(TScratchFiles::Read(path).rfind("[Common]\nA=2;\n[Surfaces]\n", 0), 0u);
}

TEST(ReadNFRewrite, FirstOfTwoEqualHeadersIsRewritten) {
  TScratchFiles files;
  const std::string path = files.Write("a.ini", "[S]\nA=1;\n[S]\nA=2;\n");
  EXPECT_EQ(RewriteSection(path, "[S]", "A=3;\n"), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[S]\nA=3;\n[S]\nA=2;\n");
}

TEST(ReadNFRewrite, RewrittenFileReadsBack) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  ASSERT_EQ(RewriteSection(path, "[Common]", "Naper=9; Dentr=0.125\n"), 1);
  TReadNF reader(path, 0);
  ASSERT_EQ(reader.ReadSection("[Common]"), 1);
  int naper = 0;
  double dentr = 0.0;
  reader.AddInt("Naper", &naper);
  reader.AddDouble("Dentr", &dentr);
  reader.ParseSection(0);
  EXPECT_EQ(naper, 9);
  EXPECT_EQ(dentr, 0.125);  // a binary fraction: exact
}

TEST(ReadNFRewrite, MissingFileIsCreated) {
  TScratchFiles files;
  const std::string path = files.PathOf("new.par");
  EXPECT_EQ(RewriteSection(path, "[Common]", "N=1;\n"), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[Common]\nN=1;\n");
}

TEST(ReadNFRewrite, OpenedButUnwrittenNewFileExistsEmpty) {
  TScratchFiles files;
  const std::string path = files.PathOf("empty.ini");
  TReadNF writer;
  ASSERT_NE(writer.Open(path, 1), nullptr);
  EXPECT_EQ(writer.Close(), 1);
  ASSERT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(ReadNFRewrite, ModeTwoReplacesTheFileOnlyWhenDone) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  TReadNF writer;
  std::FILE *out = writer.Open(path, 2);
  ASSERT_NE(out, nullptr);
  writer.SelectSection("[Only]");
  std::fputs("A=1;\n", out);
  EXPECT_EQ(TScratchFiles::Read(path), kThreeSections);
  writer.Reset();
  EXPECT_EQ(writer.Close(), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[Only]\nA=1;\n");
}

TEST(ReadNFRewrite, ReadSectionWhileRewritingMakesSureTheHeaderExists) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", "[Common]\nA=1;\n");
  TReadNF writer;
  ASSERT_NE(writer.Open(path, 1), nullptr);
  EXPECT_EQ(writer.ReadSection("[Remark]"), 1);
  EXPECT_EQ(writer.Close(), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[Common]\nA=1;\n[Remark]\n");
}

TEST(ReadNFRewrite, AppendSectionAddsAfterTheLastNonBlankLine) {
  TScratchFiles files;
  const std::string path = files.Write("a.anm", "[Lens]\nA=1;\nB=2;\n\n\n[Beam]\nN=3;\n");
  TReadNF writer;
  std::FILE *out = writer.Open(path, 1);
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(writer.AppendSection("[Lens]"), 1);
  std::fputs("C=3;\n", out);
  writer.Reset();
  EXPECT_EQ(writer.Close(), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[Lens]\nA=1;\nB=2;\nC=3;\n\n\n[Beam]\nN=3;\n");
}

// A rewrite over an old file its reader would refuse writes a file that reads with no
// refusal and no note: the damaged parts are left out, every section that reads whole is
// kept, and the user is told what went.
TEST(ReadNFRewrite, DamagedOldFilesAreLeftOutAndNamedSoTheResultReads) {
  const std::string longLine = "Data=" + std::string(kReadNFMaxLine + 3000, '7');
  const std::string zeros(4096, '\0');
  std::string noise;
  std::uint32_t state = 61;  // fixed seed
  for (int i = 0; i < 3000; ++i) {
    state = state * 1664525u + 1013904223u;
    noise += static_cast<char>(state >> 24);
  }
  struct TCase {
    const char *what;
    std::string old;
    std::string kept;  // expected in the new file
    const char *named;
  } const cases[] = {
      {"zeros only", zeros, "", "before the first section"},
      {"zeros before the sections", zeros + "\n[A]\nX=1;\n", "[A]\nX=1;\n", "before the first section"},
      {"random bytes", noise, "", ""},
      {"a section with a zero byte", std::string("[A]\nX=1;\n[R]\nab") + '\0' + "c\n", "[A]\nX=1;\n", "the section [R]"},
      {"a line too long", "[A]\nX=1;\n[C]\n" + longLine + "\n", "[A]\nX=1;\n", "the section [C]"},
      {"10 MB line without end", "[A]\nX=1;\n[C]\n" + std::string(10 << 20, 'x'), "[A]\nX=1;\n", "the section [C]"},
      {"a section name left open", "[A]\nX=1;\n[Rem\nY=2;\n", "[A]\nX=1;\n", "the section [Rem"},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.what);
    TScratchFiles files;
    TRecordingMessageBoxProvider boxes;
    const std::string path = files.Write("damaged.fun", c.old);
    ASSERT_EQ(RewriteSection(path, "[B]", "Y=2;\n"), 1);
    const std::string written = TScratchFiles::Read(path);
    EXPECT_NE(written.find(c.kept + "[B]\nY=2;\n"), std::string::npos) << written.substr(0, 200);
    TReadNF reader;
    ASSERT_NE(reader.Open(path, 0), nullptr);
    EXPECT_EQ(reader.ScanDamage(true, true), "");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find(c.named), std::string::npos) << boxes.boxes[0].text;
    EXPECT_NE(boxes.boxes[0].text.find(path), std::string::npos);
  }
}

TEST(ReadNFRewrite, WorkCopyIsGoneAndNothingLandsInTheCurrentDirectory) {
  TScratchFiles files;
  TScratchFiles elsewhere;
  const fs::path previous = fs::current_path();
  fs::current_path(elsewhere.directory);
  const std::string path = files.Write("sys.os", kThreeSections);
  EXPECT_EQ(RewriteSection(path, "[Remark]", "R\n"), 1);
  fs::current_path(previous);
  EXPECT_FALSE(fs::exists(files.PathOf("readnf.tmp")));
  EXPECT_TRUE(fs::is_empty(elsewhere.directory));
  for (const auto &entry : fs::directory_iterator(files.directory))
    EXPECT_EQ(entry.path().filename(), "sys.os") << "no work copy is left";
}

TEST(ReadNFRewrite, AnotherWritersWorkCopyBesideTheFileIsNotTouched) {
  // Another program rewriting a file of the same directory has its work copy open; the old
  // shared name made each writer truncate and rename the other's.
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  files.Write("other.os", kThreeSections);
  files.Write("readnf.tmp", "another writer's new text");
  EXPECT_EQ(RewriteSection(path, "[Remark]", "R\n"), 1);
  EXPECT_EQ(TScratchFiles::Read(files.PathOf("readnf.tmp")), "another writer's new text");
  EXPECT_EQ(TScratchFiles::Read(files.PathOf("other.os")), kThreeSections);
  EXPECT_NE(TScratchFiles::Read(path).find("[Remark]\nR\n"), std::string::npos);
}

TEST(ReadNFRewrite, TheWorkCopyLiesBesideTheFileALinkLeadsTo) {
  // A link to a file on another file system (memory here): a work copy beside the link
  // could never be renamed onto the file.
  std::string other = "/dev/shm/readnf_XXXXXX";
  if (::mkdtemp(other.data()) == nullptr) GTEST_SKIP() << "no /dev/shm here";
  TScratchFiles files;
  struct stat here {};
  struct stat there {};
  const bool apart = ::stat(files.directory.c_str(), &here) == 0 &&
                     ::stat(other.c_str(), &there) == 0 && here.st_dev != there.st_dev;
  const std::string path = other + "/real.os";
  std::ofstream(path, std::ios::binary) << kThreeSections;
  const std::string link = files.PathOf("link.os");
  fs::create_symlink(path, link);
  const int result = apart ? RewriteSection(link, "[Remark]", "Through\n") : 1;
  const std::string text = TScratchFiles::Read(path);
  std::error_code ignored;
  fs::remove_all(other, ignored);
  if (!apart) GTEST_SKIP() << "/dev/shm is on the same file system";
  EXPECT_EQ(result, 1);
  EXPECT_NE(text.find("Through"), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(link));
}

TEST(ReadNFRewrite, ReaderRemovesAWorkCopyLeftBesideTheFile) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  files.Write("readnf.tmp", "left by a stopped writer");
  {
    TReadNF reader(path, 0);
    reader.ReadSection("[Common]");
  }
  EXPECT_FALSE(fs::exists(files.PathOf("readnf.tmp")));
}

TEST(ReadNFRewrite, NameIsMatchedWithoutRegardToCase) {
  TScratchFiles files;
  const std::string path = files.Write("RodIru2Z.ini", "[Save]\nA=1\n");
  EXPECT_EQ(RewriteSection(files.PathOf("rodiru2z.ini"), "[Save]", "A=2\n"), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[Save]\nA=2\n");
  int entries = 0;
  for (const auto &entry : fs::directory_iterator(files.directory)) {
    EXPECT_EQ(entry.path().filename(), "RodIru2Z.ini");
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(ReadNFRewrite, PermissionsAndLinksSurviveTheRewrite) {
  TScratchFiles files;
  const std::string path = files.Write("real.os", kThreeSections);
  ::chmod(path.c_str(), 0640);
  const std::string link = files.PathOf("link.os");
  fs::create_symlink(path, link);
  EXPECT_EQ(RewriteSection(link, "[Remark]", "Via link\n"), 1);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_NE(TScratchFiles::Read(path).find("Via link"), std::string::npos);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(ReadNFRewriteFailure, MissingDirectoryGivesNoStream) {
  TScratchFiles files;
  TReadNF writer;
  EXPECT_EQ(writer.Open(files.PathOf("no/such/dir/sys.os"), 1), nullptr);
  EXPECT_EQ(writer.SelectSection("[A]"), 0);
  EXPECT_EQ(writer.Close(), 1);
  EXPECT_FALSE(fs::exists(files.PathOf("no")));
}

TEST(ReadNFRewriteFailure, ReadOnlyDirectoryLeavesTheFileUntouched) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  ::chmod(files.directory.c_str(), 0555);
  EXPECT_EQ(RewriteSection(path, "[Surfaces]", "Gone=1\n"), -1);
  ::chmod(files.directory.c_str(), 0755);
  EXPECT_EQ(TScratchFiles::Read(path), kThreeSections);
}

TEST(ReadNFRewriteFailure, FailedReplacementKeepsTheOriginalAndSaysSo) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  TReadNF writer;
  std::FILE *out = writer.Open(path, 1);
  ASSERT_NE(out, nullptr);
  // What stands at the name when the rewrite ends is a directory: the rename fails, for
  // any user, and the directory stays as it was.
  fs::remove(path);
  fs::create_directory(path);
  files.Write("sys.os/inside", kThreeSections);
  writer.SelectSection("[Surfaces]");
  std::fputs("Gone=1\n", out);
  writer.Reset();
  EXPECT_EQ(writer.Close(), 0);
  EXPECT_NE(writer.Faults() & kReadNFWriteFailed, 0u);
  EXPECT_EQ(TScratchFiles::Read(files.PathOf("sys.os/inside")), kThreeSections);
  for (const auto &entry : fs::directory_iterator(files.directory))
    EXPECT_EQ(entry.path().filename(), "sys.os") << "the work copy is removed";
}

TEST(ReadNFRewriteFailure, AReadOnlyFileIsRefusedWhoeverRunsTheProgram) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  ::chmod(path.c_str(), 0444);
  TReadNF writer;
  EXPECT_EQ(writer.Open(path, 1), nullptr);
  EXPECT_EQ(writer.WriteResult().fault, TFileWriteFault::kReadOnly);
  EXPECT_EQ(RewriteSection(path, "[Surfaces]", "Gone=1\n"), -1);
  EXPECT_EQ(TScratchFiles::Read(path), kThreeSections);
}

TEST(ReadNFRewriteFailure, AFullDiskKeepsTheOldFileAndCloseSaysWhy) {
  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  const std::string path = disk.PathOf("sys.os");
  std::ofstream(path, std::ios::binary) << kThreeSections;
  disk.Fill();
  TReadNF writer;
  std::FILE *out = writer.Open(path, 1);
  ASSERT_NE(out, nullptr);
  writer.SelectSection("[Surfaces]");
  for (int i = 0; i < 2000; ++i) std::fputs("{ R=100; Glass=\"BK7\"; DextY=20 }\n", out);
  writer.Reset();
  EXPECT_EQ(writer.Close(), 0);
  EXPECT_EQ(writer.WriteResult().fault, TFileWriteFault::kNoSpace);
  EXPECT_EQ(TScratchFiles::Read(path), kThreeSections);
}

TEST(ReadNFRewrite, OpeningAFileRemovesTheWorkFileAStoppedSaveLeft) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  const std::string stale = files.Write("sys.os.saving-Qw12Er", "half a save");
  {
    TReadNF reader(path, 0);
    EXPECT_EQ(reader.ReadSection("[Common]"), 1);
  }
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_EQ(TScratchFiles::Read(path), kThreeSections);
}

TEST(ReadNFRewrite, RemovedSectionsGoInTheSameRewrite) {
  TScratchFiles files;
  const std::string path = files.Write("sys.os", kThreeSections);
  TReadNF writer;
  std::FILE *out = writer.Open(path, 1);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(writer.RemoveSection("[surfaces]"), 1);
  EXPECT_EQ(writer.RemoveSection("[Missing]"), 0);
  writer.SelectSection("[Remark]");
  std::fputs("New remark\n", out);
  writer.Reset();
  // Nothing reaches the file before Close.
  EXPECT_EQ(TScratchFiles::Read(path), kThreeSections);
  EXPECT_EQ(writer.Close(), 1);
  EXPECT_EQ(TScratchFiles::Read(path), "[Common]\nNaper=3; Dentr=12.5\n\n[Remark]\nNew remark\n");
}
