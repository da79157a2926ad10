// The settings file: every value through the file and back, the sections a file may lack,
// damaged files refused without a change, and the save beside the old file.
#include "synthesis/folder/tti_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/testing/key_damage.h"
#include "foundation/testing/small_disk.h"

namespace {

namespace fs = std::filesystem;

class TtiSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tti_test_" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    fs::permissions(dir, fs::perms::owner_all);
    fs::remove_all(dir);
  }
  std::string Path(const char *name) const { return (dir / name).string(); }
  static std::string Slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Put(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  fs::path dir;
};

// Every field set apart from its default and from every other.
TTtiSettings Unusual() {
  TTtiSettings v;
  v.matrixSizeList = 4;
  v.objectSpaceCheck = 1;
  v.unitBtn = 2;
  v.colorScaleList = 3;
  v.spectrumModeList = 1;
  v.typeList = 2;
  v.objectSize = 0.125;
  v.distance = 2500.5;
  v.diameterInUnit = 0.0375;
  v.field = 12.75;
  v.nStrokes = 36;
  v.nGroup = 3;
  v.nStrokesMin = 4;
  v.nStrokesMax = 17;
  v.fileFon = "/data/pictures/back; ground!.bmp";
  v.fileObject = "/data/pictures/object, one.bmp";
  v.beamList = 5;
  v.detectorList = 7;
  v.roundDiameter = 0.25f;
  v.rectangleLy = 0.5f;
  v.rectangleLz = 0.75f;
  v.matrix = {0.01f, 0.02f, 0.003f, 0.004f};
  v.doubleArray = {1.5f, 2.5f, 0.125f, 0.0625f};
  v.singleLine = {3.0f, 4.0f, 0.5f, 0.25f};
  v.transformerFile = "/data/otd/transfer.otd";
  v.frequence = 50.0f;
  v.tau = 0.002f;
  v.realMovement = 1;
  v.yscanning = 1;
  v.typeZone = 1;
  v.sizeRectX = 0.3;
  v.sizeRectY = 0.2;
  v.pozitionX = -0.05;
  v.pozitionY = 0.07;
  v.smoothing = 1;
  v.showZone = 1;
  return v;
}

TEST_F(TtiSettings, EverySettingComesBackAndASecondSaveIsTheSameBytes) {
  const TTtiSettings written = Unusual();
  std::string text, problem;
  ASSERT_TRUE(FormatTtiFile(written, true, true, text, problem)) << problem;
  ASSERT_TRUE(WriteTtiFile(Path("a.tti"), text, problem)) << problem;
  TTtiSettings read;  // defaults everywhere
  unsigned sections = 0;
  ASSERT_EQ(ReadTtiFile(Path("a.tti"), read, sections, problem), TTtiReadResult::Read) << problem;
  EXPECT_EQ(read, written);
  EXPECT_EQ(sections, (kTtiEnergy << 1) - 1);  // all sixteen
  std::string again;
  ASSERT_TRUE(FormatTtiFile(read, true, true, again, problem));
  EXPECT_EQ(again, Slurp(Path("a.tti")));
  // The layout readers of older files expect: sections apart by one empty line, the
  // transformer directly followed by the scanner, the zone last.
  EXPECT_NE(text.find("[Single line detector]\nLy=3; Lz=4; dY0=0.5; dZ0=0.25\n\n"
                      "[Optical transformer]\nFileName=/data/otd/transfer.otd\n[Scanner]\n"
                      "Frequence=50; Tau=0.002; RealMovement=1; Yscanning=1\n\n[Energy]\n"),
            std::string::npos);
  EXPECT_TRUE(text.ends_with("PozitionY=0.07\nSmoothing=1\nShowZone=1\n"));
  EXPECT_EQ(text.rfind("[Common settings]\nMatrixSizeList=4\n", 0), 0u);
}

TEST_F(TtiSettings, NumbersReadBackExactlyAndShortOnesStayShort) {
  TTtiSettings written = Unusual();
  // Values that six significant digits would change, and floats whose nearest short text
  // is not their own.
  written.objectSize = 0.1234567890123;
  written.distance = 1000.0 / 3.0;
  written.diameterInUnit = 6.02214076e-23;
  written.field = -1.0e300;
  written.pozitionX = 0.1 + 0.2;
  written.roundDiameter = 0.1f;
  written.tau = 1.0f / 3.0f;
  written.frequence = 16777217.0f;  // rounds to 16777216 as a float
  written.matrix.dY0 = 3.4028235e38f;
  written.singleLine.dZ0 = 1.4e-45f;  // the smallest float
  std::string text, problem;
  ASSERT_TRUE(FormatTtiFile(written, true, true, text, problem)) << problem;
  Put(Path("exact.tti"), text);
  TTtiSettings read;
  unsigned sections = 0;
  ASSERT_EQ(ReadTtiFile(Path("exact.tti"), read, sections, problem), TTtiReadResult::Read) << problem;
  EXPECT_EQ(read, written);
  EXPECT_NE(text.find("ObjectSize=0.1234567890123\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[Round detector]\nDiameter=0.1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("PozitionX=0.30000000000000004;"), std::string::npos) << text;
}

TEST_F(TtiSettings, WithoutTheTailTheTransformerScannerAndZoneStay) {
  std::string text, problem;
  ASSERT_TRUE(FormatTtiFile(Unusual(), false, true, text, problem));
  EXPECT_TRUE(text.ends_with("[Single line detector]\nLy=3; Lz=4; dY0=0.5; dZ0=0.25\n\n"));
  Put(Path("b.tti"), text);
  TTtiSettings read;
  read.transformerFile = "/kept.otd";
  read.tau = 9.0f;
  read.sizeRectX = 7.0;
  unsigned sections = 0;
  ASSERT_EQ(ReadTtiFile(Path("b.tti"), read, sections, problem), TTtiReadResult::Read);
  EXPECT_EQ(read.transformerFile, "/kept.otd");
  EXPECT_EQ(read.tau, 9.0f);
  EXPECT_EQ(read.sizeRectX, 7.0);
  EXPECT_EQ(sections & (kTtiOpticalTransformer | kTtiScanner | kTtiEnergy), 0u);
}

TEST_F(TtiSettings, MissingSectionsKeepOrDefaultAsEachSays) {
  // Keys in any case; a present common section without the raster size gives 256 pixels.
  Put(Path("c.tti"), "[COMMON SETTINGS]\r\ncolorscalelist=2; SectionsViewAsList=1\r\n"
                     "[Custom object]\r\nFileObject=/x.bmp\r\n");
  TTtiSettings v = Unusual();
  unsigned sections = 0;
  std::string problem;
  ASSERT_EQ(ReadTtiFile(Path("c.tti"), v, sections, problem), TTtiReadResult::Read) << problem;
  EXPECT_EQ(sections, kTtiCommon | kTtiCustomObject);
  EXPECT_EQ(v.matrixSizeList, 2);
  EXPECT_EQ(v.unitBtn, 0);
  EXPECT_EQ(v.objectSpaceCheck, 0);
  EXPECT_EQ(v.colorScaleList, 2);
  EXPECT_EQ(v.fileFon, "");  // a present section's paths start empty
  EXPECT_EQ(v.fileObject, "/x.bmp");
  EXPECT_EQ(v.diameterInUnit, 0.0);  // no diffraction point: 0
  EXPECT_EQ(v.field, 0.0);
  const TTtiSettings u = Unusual();
  EXPECT_EQ(v.nStrokes, u.nStrokes);  // everything else kept
  EXPECT_EQ(v.distance, u.distance);
  EXPECT_EQ(v.matrix, u.matrix);
  EXPECT_EQ(v.transformerFile, u.transformerFile);

  // Without the common section nothing of it changes.
  Put(Path("d.tti"), "[Radial mira]\nNStrokes=8\n");
  v = Unusual();
  ASSERT_EQ(ReadTtiFile(Path("d.tti"), v, sections, problem), TTtiReadResult::Read);
  EXPECT_EQ(v.matrixSizeList, 4);
  EXPECT_EQ(v.unitBtn, 2);
  EXPECT_EQ(v.nStrokes, 8);
}

// A saved file cut at any line end loses what follows: never taken silently as whole.
TEST_F(TtiSettings, EveryLineCutOfASavedFileIsRefusedOrTold) {
  std::string whole, formatProblem;
  ASSERT_TRUE(FormatTtiFile(Unusual(), true, true, whole, formatProblem));
  int cuts = 0;
  for (std::size_t end = whole.find('\n'); end != std::string::npos; end = whole.find('\n', end + 1)) {
    if (whole.find_first_not_of(" \n", end + 1) == std::string::npos) break;  // nothing lost
    // Without its zone section the file is one written while the zone page was closed.
    if (whole.compare(whole.find_first_not_of('\n', end + 1), 8, "[Energy]") == 0) continue;
    SCOPED_TRACE(end);
    ++cuts;
    Put(Path("cut.tti"), whole.substr(0, end + 1));
    TTtiSettings v = Unusual();
    unsigned sections = 0;
    std::string problem;
    const TTtiReadResult result = ReadTtiFile(Path("cut.tti"), v, sections, problem);
    EXPECT_NE(problem.find(Path("cut.tti")), std::string::npos) << problem;
    if (result == TTtiReadResult::Read) {
      EXPECT_NE(problem.find("lacks"), std::string::npos) << problem;
    }
  }
  EXPECT_GT(cuts, 40);
  // The whole file reads without a word.
  Put(Path("whole.tti"), whole);
  TTtiSettings v;
  unsigned sections = 0;
  std::string problem;
  ASSERT_EQ(ReadTtiFile(Path("whole.tti"), v, sections, problem), TTtiReadResult::Read);
  EXPECT_EQ(problem, "");
}

TEST_F(TtiSettings, AMissingFileLeavesTheDefaults) {
  TTtiSettings v;
  unsigned sections = 99;
  std::string problem;
  EXPECT_EQ(ReadTtiFile(Path("none.tti"), v, sections, problem), TTtiReadResult::CannotOpen);
  EXPECT_EQ(v, TTtiSettings());
  EXPECT_EQ(sections, 99u);
  EXPECT_NE(problem.find("none.tti"), std::string::npos);
}

TEST_F(TtiSettings, DamagedFilesAreRefusedAndChangeNothing) {
  const std::string longPath(300, 'p');
  std::string whole, formatProblem;
  ASSERT_TRUE(FormatTtiFile(Unusual(), true, true, whole, formatProblem));
  struct TCase {
    std::string text;
    const char *reason;
  };
  const TCase damaged[] = {
      {"", "it is empty"},
      {"\n\n  \n", "it is empty"},
      {"GIF89a\x01\x02 no settings here\n", "none of the sections"},
      {whole.substr(0, whole.size() / 2 + 3), "cut short"},
      {"[Common settings]\nMatrixSizeList=2\n[Objects sett", "cut short"},
      {"[Common settings]\n" + std::string(10 * 1024 * 1024, '7') + "\n", "line too long"},
      {std::string(10 * 1024 * 1024, 'g'), "line too long"},
      {"[Common settings]\nMatrixSizeList=99999999999999\n", "line 2: [Common settings] gives MatrixSizeList=99999999999999, which is too large"},
      {"[Common settings]\nMatrixSizeList=9\n", "MatrixSizeList=9 lies outside 0 to 5"},
      {"[Radial mira]\nNStrokes=2000000000\n", "NStrokes=2000000000 lies outside"},
      {"[Square mira]\nNGroup=-4\n", "NGroup=-4 lies outside"},
      {"[Custom object]\nFileFon=" + longPath + "\n", "does not fit"},
      {"[Optical transformer]\nFileName=\"/unclosed\n", "does not fit"},
      {std::string("[Radial mira]\nNStrokes=4\0\n", 26), "zero byte"},
      {"[Objects settings]\nDistance=1e999\n", "does not fit"},
      {"[Round detector]\nDiameter=1e60\n", "does not fit"},
      {"[Energy]\nSizeRectX=nan\n", "line 2: [Energy] gives SizeRectX=nan, which is not a number."},
      {"[Scanner]\n" + std::string(70000, 'x') + "\n", "line too long"},
  };
  int k = 0;
  for (const TCase &c : damaged) {
    SCOPED_TRACE(k);
    const std::string path = Path(("bad" + std::to_string(k++) + ".tti").c_str());
    Put(path, c.text);
    TTtiSettings v = Unusual();
    unsigned sections = 77;
    std::string problem;
    EXPECT_EQ(ReadTtiFile(path, v, sections, problem), TTtiReadResult::Damaged);
    EXPECT_EQ(v, Unusual());
    EXPECT_EQ(sections, 77u);
    EXPECT_NE(problem.find("damaged"), std::string::npos);
    EXPECT_NE(problem.find(path), std::string::npos);
    EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
  }
}

TEST_F(TtiSettings, AFailedSaveKeepsTheOldFileAndLeavesNoWorkFile) {
  std::string text, problem;
  ASSERT_TRUE(FormatTtiFile(Unusual(), true, true, text, problem));
  Put(Path("keep.tti"), "old contents\n");
  if (geteuid() != 0) {
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WriteTtiFile(Path("keep.tti"), text, problem));
    EXPECT_NE(problem.find("no permission"), std::string::npos) << problem;
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(Slurp(Path("keep.tti")), "old contents\n");
  }
  EXPECT_FALSE(WriteTtiFile(Path("no/such/dir.tti"), text, problem));
  EXPECT_NE(problem.find("directory does not exist"), std::string::npos) << problem;
  {
    // A file made read-only is kept from being written, though its directory is writable.
    fs::permissions(Path("keep.tti"), fs::perms::owner_read);
    EXPECT_FALSE(WriteTtiFile(Path("keep.tti"), text, problem));
    EXPECT_NE(problem.find("is marked as read-only!"), std::string::npos) << problem;
    EXPECT_EQ(Slurp(Path("keep.tti")), "old contents\n");
    fs::permissions(Path("keep.tti"), fs::perms::owner_read | fs::perms::owner_write);
  }
  ASSERT_TRUE(WriteTtiFile(Path("keep.tti"), text, problem));
  EXPECT_EQ(Slurp(Path("keep.tti")), text);
  int files = 0;
  for ([[maybe_unused]] const auto &entry : fs::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 1);

  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  Put(disk.PathOf("keep.tti"), "old contents\n");
  disk.Fill();
  EXPECT_FALSE(WriteTtiFile(disk.PathOf("keep.tti"), text, problem));
  EXPECT_NE(problem.find("no space left"), std::string::npos) << problem;
  EXPECT_EQ(Slurp(disk.PathOf("keep.tti")), "old contents\n");
}

TEST_F(TtiSettings, PathsTheFileCannotHoldAreRefusedByTheWriter) {
  TTtiSettings v = Unusual();
  std::string text = "untouched", problem;
  v.fileObject = "/a\nb.bmp";
  EXPECT_FALSE(FormatTtiFile(v, true, true, text, problem));
  EXPECT_NE(problem.find("FileObject"), std::string::npos);
  v = Unusual();
  v.transformerFile = "\"quoted.otd";
  EXPECT_FALSE(FormatTtiFile(v, true, true, text, problem));
  EXPECT_TRUE(FormatTtiFile(v, false, true, text, problem));  // not written: no matter
}

TEST(TtiFileName, TheDefaultFileLiesBesideTheSystemWithItsBaseName) {
  EXPECT_EQ(DefaultTtiFileName("/home/u/lenses/triplet.len"), "/home/u/lenses/triplet.tti");
  EXPECT_EQ(DefaultTtiFileName("/home/u/a.b.len"), "/home/u/a.b.tti");
  EXPECT_EQ(DefaultTtiFileName("/top.len"), "/top.tti");
  EXPECT_EQ(DefaultTtiFileName("rel.len"), "rel.tti");
  EXPECT_EQ(DefaultTtiFileName(""), "");
}

}  // namespace

// Every key the reader registers, damaged every way its kind admits: refused with a
// reason, and never a value silently read as another.
TEST_F(TtiSettings, EveryKeyDamagedIsRefusedOrNamed) {
  std::string sound, problem;
  ASSERT_TRUE(FormatTtiFile(Unusual(), true, true, sound, problem)) << problem;
  const int opened = CheckEveryKeyDamage("settings file", sound, Path("damaged.tti"), [](const std::string &path) {
    TTtiSettings values;
    unsigned sections = 0;
    TOpenOutcome outcome;
    outcome.refused = ReadTtiFile(path, values, sections, outcome.told) != TTtiReadResult::Read;
    if (!outcome.refused) FormatTtiFile(values, true, true, outcome.saved, outcome.told);
    return outcome;
  });
  EXPECT_GT(opened, 100);
}
