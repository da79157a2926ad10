// The parameter file: its two sections, exact round trips, the sections it leaves alone,
// and the records it refuses.

#include "optimization/parameters/optimization_parameters.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/filewrite/file_replace.h"
#include "foundation/testing/key_damage.h"
#include "foundation/testing/small_disk.h"
#include "optics/model/optical_system.h"
#include "optimization/system/tests/configuration_snapshots.h"
#include "platform/core/recording_providers.h"

namespace {

std::string ReadText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteText(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TParameterDescription Parameter(int config, int surf, const char *type, double left, double right) {
  TParameterDescription p;
  p.Set(config, surf, type, left, right);
  return p;
}

// A system of four surfaces in two configurations, and a scratch directory.
class ParameterFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (double x : {0.0, 10.0, 15.0, 40.0}) system_.AddSurface(new TSurface(x, 0.0, 0.0));
    configurations_ = std::make_unique<TConfigurationSnapshots>(system_, 2);
    scratch_ = std::filesystem::temp_directory_path() /
               ("parameter_file_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(scratch_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }
  std::string Scratch(const std::string &name) const { return (scratch_ / name).string(); }

  TRecordingMessageBoxProvider boxes_;
  TOpticalSystem system_;
  std::unique_ptr<TConfigurationSnapshots> configurations_;
  std::filesystem::path scratch_;
};

}  // namespace

TEST_F(ParameterFileTest, WritesTheTwoSectionsAndReadsThemBackExactly) {
  TOptimizationParameters list;
  list.SetOwner(configurations_.get());
  list.Add(Parameter(0, 1, "R", -0.05, 0.05));
  list.Add(Parameter(0, 2, "T", 1.0, 20.0));
  const std::string path = Scratch("lens.par");
  const std::string functions = "[Functions]\nFocus_R=50; Focus_W=1\n\n";
  WriteText(path, functions);
  ASSERT_EQ(list.Write(path), 1);
  EXPECT_EQ(ReadText(path), functions +
                                "[Common]\nNumPar=2\n\n"
                                "[Parameters]\n"
                                "{ Config=0; Surf=1; Left=-0.05; Right=0.05; Type=\"R\" }\n"
                                "{ Config=0; Surf=2; Left=1; Right=20; Type=\"T\" }\n\n");

  // Bounds that six digits do not hold come back exactly, in order.
  TOptimizationParameters odd;
  odd.SetOwner(configurations_.get());
  odd.Add(Parameter(1, 2, "A12", -1.0 / 3.0, 0.1 + 0.2));
  odd.Add(Parameter(0, 3, "H3", 1e-300, 2.5e-7 / 3.0));
  odd.Add(Parameter(0, 1, "R", -5.0, 5.0));
  ASSERT_EQ(odd.Write(path), 1);
  EXPECT_EQ(ReadText(path).substr(0, functions.size()), functions);
  TOptimizationParameters read;
  read.SetOwner(configurations_.get());
  read.Read(path);
  ASSERT_EQ(read.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    const TParameterDescription a = odd.Get(i);
    const TParameterDescription b = read.Get(i);
    EXPECT_EQ(a.Config, b.Config) << i;
    EXPECT_EQ(a.Surf, b.Surf) << i;
    EXPECT_EQ(a.Type, b.Type) << i;
    EXPECT_EQ(a.Left, b.Left) << i;
    EXPECT_EQ(a.Right, b.Right) << i;
    EXPECT_EQ(b.Value, 0.0) << i;
  }
}

TEST_F(ParameterFileTest, AListWithoutValidParametersLeavesTheFileUntouched) {
  const std::string path = Scratch("keep.par");
  const std::string before = "[Other]\nKey=1;\n";
  WriteText(path, before);
  TOptimizationParameters list;
  list.Add(Parameter(0, 1, "R", 0.5, 0.5));
  list.Add(Parameter(0, -1, "T", 0.0, 1.0));
  TFileWriteResult why;
  EXPECT_EQ(list.Write(path, &why), 0);
  EXPECT_EQ(FileWriteFaultText(path, why), "File \"" + path + "\" was not written: there is nothing to write in it.");
  EXPECT_EQ(ReadText(path), before);
  EXPECT_EQ(list.Count(), 0) << "the invalid parameters left the list";
}

TEST_F(ParameterFileTest, FilesWithoutParametersKeepTheList) {
  TOptimizationParameters list;
  list.SetOwner(configurations_.get());
  list.Add(Parameter(0, 1, "R", -1.0, 1.0));
  const std::string path = Scratch("empty.par");
  WriteText(path, "[Common]\nNumPar=0\n\n[Parameters]\n\n");
  list.Read(path);
  EXPECT_EQ(list.Count(), 1);
  WriteText(path, "[Parameters]\n{ Config=0; Surf=2; Left=0; Right=1; Type=\"T\" }\n");
  list.Read(path);
  EXPECT_EQ(list.Count(), 1);
  WriteText(path, "[Common]\nNumPar=1\n");
  list.Read(path);
  EXPECT_EQ(list.Count(), 1);
  list.Read(Scratch("absent.par"));
  EXPECT_EQ(list.Get(0).Type, "R");
}

TEST_F(ParameterFileTest, RecordsThatNameNothingOrLackKeysAreDropped) {
  const std::string path = Scratch("bad.par");
  WriteText(path,
            "[Common]\nNumPar=8\n\n[Parameters]\n"
            "{ Config=0; Surf=4; Left=0; Right=1; Type=\"R\" }\n"   // no surface 4
            "{ Config=2; Surf=1; Left=0; Right=1; Type=\"R\" }\n"   // no configuration 2
            "{ Config=-1; Surf=1; Left=0; Right=1; Type=\"R\" }\n"  // below 0
            "{ Config=0; Surf=-3; Left=0; Right=1; Type=\"R\" }\n"
            "{ Config=0; Left=0; Right=1; Type=\"R\" }\n"           // no surface
            "{ Config=0; Surf=1; Type=\"R\" }\n"                    // no bounds
            "{ Config=0; Surf=1; Left=0; Right=1 }\n"               // no type
            "{ Surf=3; Left=-2; Right=2; Type=\"T\" }\n"            // configuration 0, told
            "\n");
  TOptimizationParameters list;
  list.SetOwner(configurations_.get());
  list.Read(path);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Get(0).Surf, 3);
  EXPECT_EQ(list.Get(0).Config, 0);
  EXPECT_EQ(list.Get(0).Type, "T");
  // Each record left out is named in one message.
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  const std::string &told = boxes_.boxes[0].text;
  for (int r = 1; r <= 7; ++r) EXPECT_NE(told.find("\nrecord " + std::to_string(r) + " {"), std::string::npos) << told;
  EXPECT_EQ(told.find("\nrecord 8"), std::string::npos) << told;
  EXPECT_NE(told.find("line 12: [Parameters] holds its record 8 without the key Config"), std::string::npos) << told;
}

// A saved list of five with one value changed: a value not wholly a number and crossed
// bounds refuse the file, by key, and keep the list; a record that cannot apply to this
// system is left out and named, the other four read.
TEST_F(ParameterFileTest, ARecordChangedByHandIsRefusedOrLeftOutByName) {
  TOptimizationParameters saved;
  saved.SetOwner(configurations_.get());
  saved.Add(Parameter(0, 1, "R", -0.05, 0.05));
  saved.Add(Parameter(0, 2, "T", 1.0, 20.0));
  saved.Add(Parameter(1, 2, "T", 21.10389, 63.31167));
  saved.Add(Parameter(0, 3, "R", -0.1, 0.1));
  saved.Add(Parameter(1, 1, "A4", -1e-5, 1e-5));
  ASSERT_EQ(saved.Write(Scratch("tri.par")), 1);
  const std::string whole = ReadText(Scratch("tri.par"));
  struct TCase {
    const char *from;
    const char *to;
    int count;  // parameters read; 0: the file is refused
    const char *told;
  };
  const TCase cases[] = {
      {"Left=-0.05", "Left=abc", 0, "the value of Left=abc is not a number"},
      {"Surf=2", "Surf=2x", 0, "the value of Surf=2x is not a number"},
      {"Surf=2", "Surf=2.5", 0, "the value of Surf=2.5 is not a whole number"},
      {"Right=20", "Right=", 0, "the value of Right= is empty"},
      {"Config=1; Surf=1", "Config=1e0x; Surf=1", 0, "Config=1e0x is not a number"},
      {"NumPar=5", "NumPar=5x", 0, "NumPar=5x is not a number"},
      {"Left=21.10389; Right=63.31167", "Left=63.31167; Right=21.10389", 0,
       "record 3 { Config=1; Surf=2; Left=63.31167; Right=21.10389; Type=\"T\" } has its left bound above"},
      {"Surf=3", "Surf=99", 4, "record 4 { Config=0; Surf=99; Left=-0.1; Right=0.1; Type=\"R\" }: the system has no such surface"},
      {"Config=1; Surf=1", "Config=5; Surf=1", 4, "record 5 { Config=5; Surf=1; Left=-1e-05; Right=1e-05; Type=\"A4\" }: the system has no such configuration"},
      {"Type=\"A4\"", "Type=\"Q\"", 4, "Type=\"Q\" }: its type is unknown"},
      {"Left=1; Right=20", "Left=20; Right=20", 4, "record 2 { Config=0; Surf=2; Left=20; Right=20; Type=\"T\" }: its bounds are equal"},
      {"; Right=0.1", "", 4, "record 4 { Config=0; Surf=3; Left=-0.1; Type=\"R\" }: it gives no Right= value"},
      // A count that disagrees with the records is told; the records are read as they stand.
      {"NumPar=5", "NumPar=4", 5, "declares NumPar=4 but holds 5 parameter records"},
      {"NumPar=5", "NumPar=6", 5, "declares NumPar=6 but holds 5 parameter records"},
      {"NumPar=5", "NumPar=0", 5, "declares NumPar=0 but holds 5 parameter records"},
      // Keys misspelt or given twice are named by line; the records are read.
      {"Surf=3", "Surf=3; Surf=3", 5, "line 8: [Parameters] gives Surf a second time"},
      {"Type=\"R\" }", "Type=\"R\"; Kind=1 }", 5, "line 5: [Parameters] holds the key Kind, which"},
      // A type that lost its quotes ends at its item, as a quoted one would.
      {"Left=-0.05; Right=0.05; Type=\"R\"", "Type=; Left=-0.05; Right=0.05", 4, "line 5: [Parameters] gives Type=, which is empty"},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.to);
    std::string text = whole;
    const std::size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string(c.from).size(), c.to);
    WriteText(Scratch("copy.par"), text);
    TOptimizationParameters list;
    list.SetOwner(configurations_.get());
    list.Add(Parameter(0, 1, "R", -1.0, 1.0));
    boxes_.boxes.clear();
    list.Read(Scratch("copy.par"));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_NE(boxes_.boxes[0].text.find(c.told), std::string::npos) << boxes_.boxes[0].text;
    // A refused file keeps the old list of one.
    ASSERT_EQ(list.Count(), c.count == 0 ? 1 : c.count);
    EXPECT_EQ(boxes_.boxes[0].text.find("was not read") != std::string::npos, c.count == 0);
    for (int i = 0; i < list.Count(); ++i) EXPECT_LE(list.Get(i).Left, list.Get(i).Right) << i;
    EXPECT_TRUE(c.count != 0 || list.Get(0).Left == -1.0);
  }
}

// Each damaged file is refused with its reason and keeps the list as it was.
TEST_F(ParameterFileTest, DamagedFilesAreRefusedAndKeepTheList) {
  struct TCase {
    std::string text;
    const char *reason;
  };
  const std::string record = "{ Config=0; Surf=2; Left=0; Right=1; Type=\"T\" }\n";
  const std::string whole = "[Common]\nNumPar=1\n\n[Parameters]\n" + record;
  const TCase cases[] = {
      {"", "it is empty"},
      {"\x89PNG garbage\n", "it holds no sections"},
      {whole.substr(0, whole.size() - 8), "cut short"},
      {"[Common]\nNumPar=1\n[Parameters]\n" + std::string(10 * 1024 * 1024, '{') + "\n", "line too long"},
      {std::string("[Common]\nNumPar=1\0\n", 20), "zero byte"},
      {"[Common]\nNumPar=1\n[Parameters]\n{ Config=0; Surf=2; Left=nan; Right=1; Type=\"T\" }\n",
       "not a finite number"},
      {"[Common]\nNumPar=1\n[Parameters]\n{ Config=0; Surf=2; Left=0; Right=inf; Type=\"T\" }\n",
       "not a finite number"},
      // A count that is none, a lost [Common] header, and a number no int holds: told, never
      // read as fewer or no parameters.
      {"[Common]\nNumPar=nan\n[Parameters]\n" + record, "no number of parameters"},
      {"[Common]\nNumPar=-1e300\n[Parameters]\n" + record, "no number of parameters"},
      {"[Commxn]\nNumPar=1\n[Parameters]\n" + record, "[Common] section"},
      {"[Common]\nNumPar=1\n[Parameters]\n{ Config=0; Surf=1e400; Left=0; Right=1; Type=\"T\" }\n",
       "out of range"},
  };
  int k = 0;
  for (const TCase &c : cases) {
    SCOPED_TRACE(k);
    const std::string path = Scratch("bad" + std::to_string(k++) + ".par");
    WriteText(path, c.text);
    TOptimizationParameters list;
    list.SetOwner(configurations_.get());
    list.Add(Parameter(0, 1, "R", -1.0, 1.0));
    boxes_.boxes.clear();
    list.Read(path);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Get(0).Type, "R");
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_NE(boxes_.boxes[0].text.find(c.reason), std::string::npos) << boxes_.boxes[0].text;
  }
  // A count beyond reason that the records do not reach is said; the one record is read.
  WriteText(Scratch("many.par"), "[Common]\nNumPar=2000000000\n[Parameters]\n" + record);
  TOptimizationParameters list;
  list.SetOwner(configurations_.get());
  boxes_.boxes.clear();
  list.Read(Scratch("many.par"));
  EXPECT_EQ(list.Count(), 1);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_NE(boxes_.boxes[0].text.find("NumPar=2000000000"), std::string::npos);
}

// A save over an old file its reader would refuse writes one it reads with no refusal; what
// was left out of the old file is told.
TEST_F(ParameterFileTest, ASaveOverADamagedFileReadsBackWithoutRefusal) {
  const std::string olds[] = {std::string(4096, '\0'), std::string("[Common]\nNumPar=1\n[Parameters]\n{ \x01\x02") + '\0' + "\xff }\n",
                              "[Other]\nKey=1;\n" + std::string(10 << 20, 'x')};
  for (const std::string &old : olds) {
    SCOPED_TRACE(old.substr(0, 40));
    const std::string path = Scratch("damaged.par");
    WriteText(path, old);
    TOptimizationParameters list;
    list.SetOwner(configurations_.get());
    list.Add(Parameter(0, 2, "T", 0.0, 1.0));
    boxes_.boxes.clear();
    ASSERT_EQ(list.Write(path), 1);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_NE(boxes_.boxes[0].text.find("was damaged"), std::string::npos);
    TOptimizationParameters read;
    read.SetOwner(configurations_.get());
    boxes_.boxes.clear();
    read.Read(path);
    EXPECT_TRUE(boxes_.boxes.empty()) << boxes_.boxes[0].text;
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read.Get(0).Type, "T");
  }
}

TEST_F(ParameterFileTest, AReadOnlyFileIsNotRewrittenWhoeverRunsTheProgram) {
  const std::string path = Scratch("kept.par");
  WriteText(path, "[Common]\nNumPar=0\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  TOptimizationParameters list;
  list.SetOwner(configurations_.get());
  list.Add(Parameter(0, 1, "R", -1.0, 1.0));
  TFileWriteResult why;
  EXPECT_EQ(list.Write(path, &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kReadOnly);
  EXPECT_EQ(ReadText(path), "[Common]\nNumPar=0\n");
  EXPECT_EQ(list.Write(Scratch("missing/kept.par"), &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kNoDirectory);
  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  WriteText(disk.PathOf("kept.par"), "[Common]\nNumPar=0\n");
  disk.Fill();
  EXPECT_EQ(list.Write(disk.PathOf("kept.par"), &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kNoSpace);
  EXPECT_EQ(ReadText(disk.PathOf("kept.par")), "[Common]\nNumPar=0\n");
}

// Every key the reader registers, damaged every way its kind admits: refused or named by
// key and line, and the next save keeps every other value of the list.
TEST_F(ParameterFileTest, EveryKeyDamagedIsRefusedOrNamed) {
  TOptimizationParameters list;
  list.SetOwner(configurations_.get());
  list.Add(Parameter(1, 2, "A12", -1.0 / 3.0, 0.3));
  list.Add(Parameter(0, 3, "T", 1.5, 20.0));
  const std::string sound = Scratch("sound.par");
  ASSERT_EQ(list.Write(sound), 1);
  const int opened = CheckEveryKeyDamage("parameter file", ReadText(sound), Scratch("damaged.par"),
                                         [this](const std::string &path) {
    boxes_.boxes.clear();
    TOptimizationParameters read;
    read.SetOwner(configurations_.get());
    TOpenOutcome outcome;
    outcome.refused = read.Read(path) != TOptimizationParameters::kParameterFileRead;
    for (const TRecordedMessageBox &box : boxes_.boxes) outcome.told += box.text + "\n";
    // A record refused by name is left out of the list, as a refused file is.
    outcome.refused |= outcome.told.find("they were left out") != std::string::npos;
    if (!outcome.refused && read.Write(Scratch("saved.par")) == 1) outcome.saved = ReadText(Scratch("saved.par"));
    return outcome;
  });
  EXPECT_GT(opened, 20);
}
