// The merit-function file: exact round trips, the sections it leaves alone, the beam and
// carried-over target rules, defaults for missing sections and the 20-beam limit.

#include "optimization/merit/optimization_functions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

#include <cstdint>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

int CountOf(const std::string &text, const std::string &part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A system of two configurations (beams from its field list) with focal data set by hand,
// a scratch directory and recorded message boxes.
class MeritFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = std::filesystem::temp_directory_path() /
               ("merit_file_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(scratch_);
    for (double x : {0.0, 10.0, 60.0}) system_.AddSurface(new TSurface(x, 0.0, 0.0));
    system_.info.Unit = 0;
    system_.info.Nray = 5;
    SetFields({0.0, 2.0});
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }
  std::string Scratch(const std::string &name) const { return (scratch_ / name).string(); }
  void SetFields(const std::vector<double> &fields) {
    system_.info.AlfaM.Allocate(static_cast<int>(fields.size()), 1);
    for (std::size_t k = 0; k < fields.size(); ++k) system_.info.AlfaM.data[k] = fields[k];
  }
  // A set built for the system with the given number of configurations.
  void Build(TOptimizationFunctions &set, int configurations) {
    configurations_.push_back(std::make_unique<TConfigurationSnapshots>(system_, configurations));
    set.Rebuild(configurations_.back().get());
    // The prepared focal data of a system without glass are not what these tests read.
    system_.info.focalLength = 48.5;
    system_.info.magnification = -0.25;
    system_.info.backFocalDistance = 45.0;
    boxes_.boxes.clear();
  }
  // A set of two configurations that has read the scratch file of that name.
  void BuildAndRead(TOptimizationFunctions &set, const std::string &name) {
    Build(set, 2);
    ASSERT_EQ(set.Read(Scratch(name)), 1);
  }

  TRecordingMessageBoxProvider boxes_;
  TOpticalSystem system_;
  std::vector<std::unique_ptr<TConfigurationSnapshots>> configurations_;
  std::filesystem::path scratch_;
};

void ExpectSameFiledContent(const TOptimizationFunctions &a, const TOptimizationFunctions &b) {
  ASSERT_EQ(a.Configurations(), b.Configurations());
  ASSERT_EQ(a.Beams(), b.Beams());
  EXPECT_EQ(a.EnableSagittalRays, b.EnableSagittalRays);
  EXPECT_EQ(a.ShowEachStep, b.ShowEachStep);
  EXPECT_EQ(a.PolychromeOptimization, b.PolychromeOptimization);
  EXPECT_EQ(a.SettingImageSurfaceType, b.SettingImageSurfaceType);
  for (int c = 0; c < a.Configurations(); ++c) {
    for (int r = 0; r < a.Beams(); ++r) {
      SCOPED_TRACE(testing::Message() << "configuration " << c << " beam " << r);
      const TFunctionsParameters &x = *a.Record(c, r);
      const TFunctionsParameters &y = *b.Record(c, r);
      EXPECT_EQ(x.Ybeam, y.Ybeam);
      EXPECT_EQ(x.Zbeam, y.Zbeam);
      EXPECT_EQ(x.Wbeam, y.Wbeam);
      EXPECT_EQ(x.Unit, y.Unit);
      EXPECT_EQ(x.NrayInBeam, y.NrayInBeam);
      EXPECT_EQ(x.ScannerSurface, y.ScannerSurface);
      EXPECT_EQ(x.Narciss.Weight, y.Narciss.Weight);
      for (auto table : {&TFunctionsParameters::Focus, &TFunctionsParameters::Magnification,
                         &TFunctionsParameters::Sfs, &TFunctionsParameters::LengthOfSystem,
                         &TFunctionsParameters::Distor, &TFunctionsParameters::Strehl,
                         &TFunctionsParameters::AberT, &TFunctionsParameters::AberW}) {
        ASSERT_EQ((x.*table).cols * (x.*table).rows, (y.*table).cols * (y.*table).rows);
        for (int k = 0; k < (x.*table).cols * (x.*table).rows; ++k) {
          EXPECT_EQ((x.*table).data[k].Target, (y.*table).data[k].Target) << k;
          EXPECT_EQ((x.*table).data[k].Weight, (y.*table).data[k].Weight) << k;
        }
      }
    }
  }
}

// Sets the filed targets and weights of configuration c to numbers that six digits do
// not hold.
void SetOddTargets(TOptimizationFunctions &set, int c, double base) {
  TFunctionsParameters &r = *set.Record(c, 0);
  r.Focus.data[0] = TFunctionDescription{base + 1.0 / 3.0, 0.1 + 0.2, 0.0};
  r.Magnification.data[0] = TFunctionDescription{-base / 7.0, 1e-17, 0.0};
  r.Sfs.data[0] = TFunctionDescription{base * 1.000000001, 2.0, 0.0};
  r.LengthOfSystem.data[0] = TFunctionDescription{123.456789012345, 0.5, 0.0};
  r.Distor.data[0] = TFunctionDescription{0.0, 3.0 / 11.0, 0.0};
  r.Strehl.data[0] = TFunctionDescription{0.9, 4.0, 0.0};
  r.Narciss.Weight = 2.0 / 3.0;
  r.ScannerSurface = 2;
  r.NrayInBeam = 9;
  r.Unit = 1;
  r.AberT.Resize(1, 9);
  r.AberW.Resize(1, 9);
  for (int j = 0; j < 9; ++j) {
    r.AberT.data[j] = TFunctionDescription{1e-3 / 3.0, 5.0 / 3.0, 0.0};
    r.AberW.data[j] = TFunctionDescription{0.0, 0.3, 0.0};
  }
  // The sagittal fans follow the meridional ones while sagittal rays are enabled.
  r.AberTSag = r.AberT;
  r.AberWSag = r.AberW;
  // Every beam of a configuration shares the targets of its beam 0.
  for (int b = 0; b < set.Beams(); ++b) {
    TFunctionsParameters &beam = *set.Record(c, b);
    if (b > 0) beam = r;
    beam.Ybeam = b * (base + 1.0 / 7.0);
    beam.Zbeam = b == 1 ? 1.0 / 3.0 : 0.0;
    beam.Wbeam = 0.7;
  }
}

}  // namespace

TEST_F(MeritFileTest, WriteAndReadAgainGiveTheSameFunctionsExactly) {
  TOptimizationFunctions set;
  Build(set, 2);
  set.EnableSagittalRays = 1;
  set.SettingImageSurfaceType = kImageSurfaceAtBestFocus;
  set.ShowEachStep = 0;
  SetOddTargets(set, 0, 10.0);
  SetOddTargets(set, 1, 20.0);
  set.SetConfigurations();
  const std::string path = Scratch("lens.fun");
  // Other sections of the file, such as the parameters of the same default file, stay.
  const std::string others = "[Common]\nNumPar=1\n\n[Parameters]\n{ Config=0; Surf=1; Left=-1; Right=1; Type=\"R\" }\n\n";
  WriteText(path, others);
  ASSERT_EQ(set.Write(path), 1);
  const std::string text = ReadText(path);
  EXPECT_EQ(text.substr(0, others.size()), others);
  EXPECT_EQ(CountOf(text, "[Functions]"), 1);
  EXPECT_EQ(CountOf(text, "[Functions 1]"), 1);
  EXPECT_EQ(CountOf(text, "EnableSagittalRays="), 1) << "the options are filed once, in the first section";

  TOptimizationFunctions read;
  Build(read, 2);
  EXPECT_EQ(read.Read(path), 1);
  EXPECT_TRUE(boxes_.boxes.empty()) << "a file the program wrote opens without a word";
  ExpectSameFiledContent(set, read);
  EXPECT_EQ(read.Count(), set.Count());

  // Writing what was read gives the same file.
  ASSERT_EQ(read.Write(path), 1);
  EXPECT_EQ(ReadText(path), text);
  // An editor's byte-order mark before the first section changes nothing.
  WriteText(path, "\xEF\xBB\xBF" + text.substr(others.size()));
  TOptimizationFunctions marked;
  Build(marked, 2);
  EXPECT_EQ(marked.Read(path), 1);
  EXPECT_TRUE(boxes_.boxes.empty()) << boxes_.boxes.front().text;
  ExpectSameFiledContent(set, marked);
}

TEST_F(MeritFileTest, TrailingBeamsOnTheAxisAreNotFiled) {
  TOptimizationFunctions set;
  SetFields({10.0, 0.0, 20.0, 0.0, 0.0});
  Build(set, 1);
  const std::string path = Scratch("beams.fun");
  ASSERT_EQ(set.Write(path), 1);
  EXPECT_EQ(CountOf(ReadText(path), "{ Ybeam="), 3);

  // A section whose one beam lies on the axis gives that beam, with its weight.
  WriteText(path, "[Functions]\nAberT_R=0; AberT_W=1\nUnit=0\n{ Ybeam=0; Zbeam=0; Wbeam=1 }\n");
  TOptimizationFunctions read;
  Build(read, 1);
  EXPECT_EQ(read.Read(path), 1);
  ASSERT_EQ(read.Beams(), 1);
  EXPECT_EQ(read.Record(0, 0)->Ybeam, 0.0);
  EXPECT_EQ(read.Record(0, 0)->Wbeam, 1.0);
}

TEST_F(MeritFileTest, ArcMinuteBeamsAreFiledTimesSixty) {
  TOptimizationFunctions set;
  SetFields({0.5, 0.25});
  system_.info.Unit = 1;
  Build(set, 1);
  const std::string path = Scratch("minutes.fun");
  ASSERT_EQ(set.Write(path), 1);
  const std::string text = ReadText(path);
  EXPECT_NE(text.find("{ Ybeam=30; Zbeam=0; Wbeam=1 }"), std::string::npos) << text;
  EXPECT_NE(text.find("{ Ybeam=15; Zbeam=0; Wbeam=1 }"), std::string::npos) << text;
  TOptimizationFunctions read;
  Build(read, 1);
  ASSERT_EQ(read.Read(path), 1);
  EXPECT_EQ(read.Record(0, 0)->Ybeam, 0.5);
  EXPECT_EQ(read.Record(0, 1)->Ybeam, 0.25);
}

TEST_F(MeritFileTest, TargetsMissingFromASectionCarryOverFromTheOneBefore) {
  WriteText(Scratch("carry.fun"),
            "[Functions]\nFocus_R=50; Focus_W=3\nUnit=0\n{ Ybeam=1; Zbeam=0; Wbeam=1 }\n\n"
            "[Functions 1]\nFocus_R=60\nAberT_W=2\nUnit=0\n{ Ybeam=1; Zbeam=0 }\n\n");
  TOptimizationFunctions set;
  Build(set, 2);
  EXPECT_EQ(set.Read(Scratch("carry.fun")), 1);
  EXPECT_EQ(set.Record(1, 0)->Focus.data[0].Weight, 3.0);
  EXPECT_EQ(set.Record(1, 0)->Focus.data[0].Target, 60.0);
  // The aberration pair starts afresh in every section.
  EXPECT_EQ(set.Record(0, 0)->AberT.data[0].Weight, 0.0);
  EXPECT_EQ(set.Record(1, 0)->AberT.data[0].Weight, 2.0);
  // The beam of configuration 1 has no Wbeam: weight 0, so no ray functions of it.
  EXPECT_EQ(set.Record(1, 0)->Wbeam, 0.0);
  for (int i = 0; i < set.Count(); ++i) {
    if (set.index.data[i].Configuration == 1) {
      EXPECT_NE(set.index.data[i].Kind, kFunctionAberT) << i;
    }
  }
}

TEST_F(MeritFileTest, MissingFunctionSectionsGiveDefaultsFromTheSystem) {
  // A file that cannot be opened gives every configuration its defaults.
  TOptimizationFunctions set;
  Build(set, 2);
  EXPECT_EQ(set.Read(Scratch("absent.fun")), 0);
  for (int c = 0; c < 2; ++c) {
    const TFunctionsParameters &r = *set.Record(c, 0);
    EXPECT_EQ(r.Focus.data[0].Target, 48.5);
    EXPECT_EQ(r.Focus.data[0].Weight, 1.0);
    for (int j = 0; j < r.AberT.rows; ++j) {
      EXPECT_EQ(r.AberT.data[j].Target, 0.0);
      EXPECT_EQ(r.AberT.data[j].Weight, 1.0);
    }
  }
  // Focus of each configuration, AberT of every ray of every beam: nothing else.
  for (int i = 0; i < set.Count(); ++i) {
    const int kind = set.index.data[i].Kind;
    EXPECT_TRUE(kind == kFunctionFocus || kind == kFunctionAberT) << i;
  }
  EXPECT_EQ(set.Count(), 2 * (1 + 2 * 5));
  EXPECT_TRUE(boxes_.boxes.empty());
  // A file with the first configuration's section gives the second one its defaults, and
  // says so (a file cut before "[Functions 1]" reads the same).
  const std::string path = Scratch("first.fun");
  WriteText(path, "[Functions]\nFocus_R=50; Focus_W=3\nUnit=0\n{ Ybeam=1; Zbeam=0; Wbeam=1 }\n\n");
  TOptimizationFunctions half;
  Build(half, 2);
  EXPECT_EQ(half.Read(path), 1);
  EXPECT_EQ(half.Record(0, 0)->Focus.data[0].Weight, 3.0);
  EXPECT_EQ(half.Record(1, 0)->Focus.data[0].Target, 48.5);
  EXPECT_EQ(half.Record(1, 0)->Focus.data[0].Weight, 1.0);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_NE(boxes_.boxes[0].text.find("no section [Functions 1]"), std::string::npos) << boxes_.boxes[0].text;
}

// A file that is not whole, or not a merit-function file, is refused with its reason and
// changes nothing: not the weights, not the options, not the index.
TEST_F(MeritFileTest, DamagedFilesAreRefusedAndChangeNothing) {
  // A set read from a whole file (weights other than the defaults), then a damaged file.
  TOptimizationFunctions written;
  Build(written, 1);
  SetOddTargets(written, 0, 10.0);
  ASSERT_EQ(written.Write(Scratch("whole.fun")), 1);
  const std::string whole = ReadText(Scratch("whole.fun"));
  const std::string kBeam = "{ Ybeam=0; Zbeam=0; Wbeam=1 }\n";
  struct TCase {
    std::string text;
    const char *reason;
  };
  const TCase cases[] = {
      {"", "it is empty"},
      {"\n\n", "it is empty"},
      {"%PDF-1.4 garbage\nstream\n", "it holds no sections"},
      {whole.substr(0, whole.size() / 2), "cut short"},
      {"[Functions]\n" + std::string(10 * 1024 * 1024, '1') + "\n", "line too long"},
      {std::string("[Functions]\nFocus_W=1\0\n", 23), "zero byte"},
      {"[Functions]\nFocus_R=50; Focus_W=nan\nUnit=0\n" + kBeam, "not a finite number"},
      {"[Functions]\nAberT_W=inf\nUnit=0\n" + kBeam, "not a finite number"},
      {"[Functions]\nAberT_W=1e999\nUnit=0\n" + kBeam, "not a finite number"},
      // No merit-function file: parameters, a system, a first header that lost a byte.
      {"[Common]\nNumPar=0\n", "holds no [Functions] section"},
      {"[Common]\nNsurf=1\n[Surfaces]\n{ R=0; }\n", "holds no [Functions] section"},
      {"[Functons]\nFocus_R=50; Focus_W=3\n", "holds no [Functions] section"},
      // A value only partly a number would be read as its start: refused by its key.
      {"[Functions]\nFocus_R=4x5; Focus_W=1\nUnit=0\n", "Focus_R=4x5"},
      {"[Functions]\nUnit=0\n{ Ybeam=abc; Zbeam=0; Wbeam=1 }\n", "Ybeam=abc"},
      // Nothing, a weight below 0 or a fan of fewer rays than the least: refused by key.
      {"[Functions]\nFocus_R=50; Focus_W=\nUnit=0\n" + kBeam, "Focus_W= is empty"},
      {"[Functions]\nUnit=0\n{ Ybeam=1; Zbeam=0; Wbeam= }\n", "Wbeam= is empty"},
      {"[Functions]\nUnit=0\n{ Ybeam=1; Zbeam=0; Wbeam=-1e300 }\n", "weight Wbeam=-1e300 is below 0"},
      {"[Functions]\nAberT_W=-1\nUnit=0\n" + kBeam, "weight AberT_W=-1 is below 0"},
      {"[Functions]\nNrayInBeam=0\nUnit=0\n" + kBeam, "ray count NrayInBeam=0 is below the least, 3"},
      {"[Functions]\nNrayInBeam=-7\nUnit=0\n" + kBeam, "NrayInBeam=-7"},
      // A beam no unit gives a meaning: refused by key and line.
      {"[Functions]\nUnit=0\n{ Ybeam=1e308; Zbeam=0; Wbeam=1 }\n", "line 3: the beam's field Ybeam=1e308"},
  };
  int k = 0;
  for (const TCase &c : cases) {
    SCOPED_TRACE(k);
    const std::string path = Scratch("bad" + std::to_string(k++) + ".fun");
    WriteText(path, c.text);
    TOptimizationFunctions set;
    Build(set, 1);
    ASSERT_EQ(set.Read(Scratch("whole.fun")), 1);
    set.ShowEachStep = 0;
    boxes_.boxes.clear();
    const int countBefore = set.Count();
    const TFunctionsParameters before = *set.Record(0, 0);
    EXPECT_EQ(set.Read(path), 0);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_NE(boxes_.boxes[0].text.find(c.reason), std::string::npos) << boxes_.boxes[0].text;
    EXPECT_NE(boxes_.boxes[0].text.find(path), std::string::npos);
    // The weights a refused file used to reset (Focus and AberT to 1) stay.
    EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Weight, before.Focus.data[0].Weight);
    EXPECT_EQ(set.Record(0, 0)->AberT.data[0].Weight, before.AberT.data[0].Weight);
    EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Target, before.Focus.data[0].Target);
    EXPECT_EQ(set.Record(0, 0)->NrayInBeam, before.NrayInBeam);
    EXPECT_EQ(set.ShowEachStep, 0);
    EXPECT_EQ(set.Count(), countBefore);
  }
}

// A save that cannot be made keeps the old file and says its true cause.
TEST_F(MeritFileTest, AFailedWriteKeepsTheOldFileAndSaysWhy) {
  TOptimizationFunctions set;
  Build(set, 1);
  const std::string path = Scratch("kept.fun");
  WriteText(path, "[Functions]\nFocus_W=5\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  TFileWriteResult why;
  EXPECT_EQ(set.Write(path, &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kReadOnly);
  EXPECT_EQ(ReadText(path), "[Functions]\nFocus_W=5\n");
  EXPECT_EQ(set.Write(Scratch("missing/kept.fun"), &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kNoDirectory);
  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  WriteText(disk.PathOf("kept.fun"), "[Functions]\nFocus_W=5\n");
  disk.Fill();
  EXPECT_EQ(set.Write(disk.PathOf("kept.fun"), &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kNoSpace);
  EXPECT_EQ(ReadText(disk.PathOf("kept.fun")), "[Functions]\nFocus_W=5\n");
}

// A save over an old file its reader would refuse (zeros, random bytes, a 10 MB line
// without end) writes one it reads back with no refusal; what was left out is told.
TEST_F(MeritFileTest, ASaveOverADamagedFileReadsBackWithoutRefusal) {
  std::string noise(4096, '\0');
  std::uint32_t state = 7;  // fixed seed
  for (char &c : noise) c = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
  const std::string olds[] = {std::string(4096, '\0'), noise, "[Functions]\n" + std::string(10 << 20, 'x')};
  for (const std::string &old : olds) {
    const std::string path = Scratch("damaged.fun");
    WriteText(path, old);
    TOptimizationFunctions set;
    Build(set, 1);
    SetOddTargets(set, 0, 10.0);
    boxes_.boxes.clear();
    ASSERT_EQ(set.Write(path), 1);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_NE(boxes_.boxes[0].text.find("was damaged"), std::string::npos);
    TOptimizationFunctions read;
    Build(read, 1);
    boxes_.boxes.clear();
    EXPECT_EQ(read.Read(path), 1);
    EXPECT_TRUE(boxes_.boxes.empty()) << boxes_.boxes[0].text;
    EXPECT_EQ(read.Record(0, 0)->Focus.data[0].Target, set.Record(0, 0)->Focus.data[0].Target);
  }
}

// The first read of a set that refuses its file still leaves the records complete (sized
// for the wavelengths and rays), with the weights the set was built with (found by fuzzing).
TEST_F(MeritFileTest, ARefusedFirstReadLeavesTheBuiltRecordsComplete) {
  WriteText(Scratch("empty.fun"), "");
  TOptimizationFunctions set;
  Build(set, 2);
  EXPECT_EQ(set.Read(Scratch("empty.fun")), 0);
  for (int c = 0; c < 2; ++c) {
    const TFunctionsParameters &r = *set.Record(c, 0);
    EXPECT_EQ(r.AberT.rows, r.NrayInBeam);
    EXPECT_EQ(r.Focus.cols, set.WavelengthCount());
    EXPECT_EQ(r.Focus.data[0].Weight, 0.0);
  }
  EXPECT_EQ(set.Count(), 0);
}

// Values out of their range are held in it and said, by key (and line where no section
// names them).
TEST_F(MeritFileTest, ValuesBeyondTheirRangeAreHeldThereAndSaidSo) {
  const struct {
    const char *options;
    const char *said;
  } cases[] = {
      {"NrayInBeam=2000000000\nUnit=0", "NrayInBeam=2000000000 of section [Functions] is taken as 1000"},
      {"Unit=7", "line 3: Unit=7 is no unit"},
      {"Unit=-1", "line 3: Unit=-1 is no unit"},
      {"Unit=0; ScannerSurface=999", "line 3: ScannerSurface=999 names no surface of the system; 0 (none) is used"},
      // Keys misspelt or given twice and a Strehl ratio above 1: named by key and line.
      {"Unit=0\nFocus_Wt=1", "line 4: [Functions] holds the key Focus_Wt, which"},
      {"Unit=0\n{ Ybeam=1; Wbem=1 }", "line 4: [Functions] holds the key Wbem, which"},
      {"Unit=0; Unit=0", "line 3: [Functions] gives Unit a second time"},
      {"Unit=1,2", "line 3: [Functions] gives Unit more than its 1 values"},
      {"Unit=0\nStrehl_R=7", "line 4: Strehl_R=7 is outside 0 to 1; it is not read, 1 is used"},
      {"Unit=0\nEnableSagittalRays=9", "line 4: EnableSagittalRays=9 is outside 0 to 1; it is not read"},
      {"Unit=0\nSettingImageSurfaceType=99", "line 4: SettingImageSurfaceType=99 is outside 0 to 2"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.options);
    WriteText(Scratch("rays.fun"), std::string("[Functions]\nAberT_W=1\n") + c.options + "\n{ Ybeam=0; Zbeam=0; Wbeam=1 }\n\n");
    TOptimizationFunctions set;
    Build(set, 1);
    boxes_.boxes.clear();
    EXPECT_EQ(set.Read(Scratch("rays.fun")), 1);
    const TFunctionsParameters &r = *set.Record(0, 0);
    EXPECT_LE(r.NrayInBeam, TOptimizationFunctions::kMaxRaysInBeam);
    EXPECT_TRUE(r.Unit >= 0 && r.Unit <= 2) << r.Unit;
    EXPECT_EQ(r.ScannerSurface, 0);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_NE(boxes_.boxes[0].text.find(c.said), std::string::npos) << boxes_.boxes[0].text;
  }
}

TEST_F(MeritFileTest, EditingOneConfigurationsBeamsKeepsTheOthers) {
  WriteText(Scratch("two.fun"),
            "[Functions]\nAberT_W=1\nUnit=0\n{ Ybeam=0; Zbeam=0; Wbeam=1 }\n{ Ybeam=5; Zbeam=0; Wbeam=1 }\n"
            "{ Ybeam=7; Zbeam=0; Wbeam=1 }\n\n"
            "[Functions 1]\nAberT_W=1\nUnit=0\n{ Ybeam=0; Zbeam=0; Wbeam=1 }\n\n");
  TOptimizationFunctions set;
  Build(set, 2);
  EXPECT_EQ(set.Read(Scratch("two.fun")), 1);
  ASSERT_EQ(set.Beams(), 3);
  EXPECT_EQ(set.Record(0, 2)->Ybeam, 7.0);
  EXPECT_EQ(set.Record(0, 2)->Wbeam, 1.0);
  // Configuration 1's spare rows take no part.
  EXPECT_EQ(set.Record(1, 1)->Wbeam, 0.0);
  EXPECT_EQ(set.Record(1, 2)->Wbeam, 0.0);
  // Written again, each configuration keeps its own beams.
  ASSERT_EQ(set.Write(Scratch("two.fun")), 1);
  TOptimizationFunctions again;
  Build(again, 2);
  EXPECT_EQ(again.Read(Scratch("two.fun")), 1);
  ExpectSameFiledContent(set, again);
}

TEST_F(MeritFileTest, MoreThanTwentyBeamsKeepTwentyAndSaySo) {
  std::string text = "[Functions]\nAberT_W=1\nUnit=0\n";
  for (int b = 1; b <= 22; ++b) text += "{ Ybeam=" + std::to_string(b) + "; Zbeam=0; Wbeam=1 }\n";
  WriteText(Scratch("many.fun"), text);
  TOptimizationFunctions set;
  Build(set, 1);
  EXPECT_EQ(set.Read(Scratch("many.fun")), 1);
  EXPECT_EQ(set.Beams(), 20);
  EXPECT_EQ(set.Record(0, 19)->Ybeam, 20.0);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_NE(boxes_.boxes[0].text.find("more than 20 beams"), std::string::npos);

  // A table of 22 beams is filed as its first 20, with a message.
  ASSERT_TRUE(set.records.Resize(1, 22));
  for (int b = 20; b < 22; ++b) {
    *set.Record(0, b) = *set.Record(0, 0);
    set.Record(0, b)->Ybeam = b + 1.0;
  }
  ASSERT_EQ(set.Write(Scratch("many.fun")), 1);
  EXPECT_EQ(CountOf(ReadText(Scratch("many.fun")), "{ Ybeam="), 20);
  EXPECT_EQ(boxes_.boxes.size(), 2u);
}

// A file cut at any byte, inside any section, is refused by name and changes nothing: a
// section cut short never lends the keys it lost from the section before. The cut at a
// line end is the one the line checks cannot see; the writer's promise of its sections
// and the line that closes each one show it.
TEST_F(MeritFileTest, AFileCutAtAnyByteIsRefusedAndChangesNothing) {
  SetFields({0.0, 14.0, 20.0});
  TOptimizationFunctions written;
  Build(written, 2);
  SetOddTargets(written, 0, 10.0);
  written.Record(0, 0)->Focus.data[0] = TFunctionDescription{50.0, 10.0, 0.0};
  written.Record(0, 0)->Strehl.data[0] = TFunctionDescription{0.8, 2.0, 0.0};
  ASSERT_EQ(written.Write(Scratch("whole.fun")), 1);
  const std::string whole = ReadText(Scratch("whole.fun"));
  // Another file, of other values, that each set holds before the cut one is offered.
  TOptimizationFunctions other;
  Build(other, 2);
  SetOddTargets(other, 0, 30.0);
  SetOddTargets(other, 1, 40.0);
  ASSERT_EQ(other.Write(Scratch("other.fun")), 1);
  TOptimizationFunctions reference, full;
  BuildAndRead(reference, "other.fun");
  BuildAndRead(full, "whole.fun");
  // Whole from the line that closes the last section on.
  const std::string closing = "SectionEnd=1\n";
  const std::size_t wholeFrom = whole.rfind(closing) + closing.size();
  for (std::size_t length = 1; length < whole.size(); ++length) {
    SCOPED_TRACE(testing::Message() << "first " << length << " bytes");
    WriteText(Scratch("cut.fun"), whole.substr(0, length));
    TOptimizationFunctions set;
    BuildAndRead(set, "other.fun");
    boxes_.boxes.clear();
    const int read = set.Read(Scratch("cut.fun"));
    if (length >= wholeFrom) {
      EXPECT_EQ(read, 1);
      EXPECT_TRUE(boxes_.boxes.empty());
      ExpectSameFiledContent(full, set);
    } else {
      EXPECT_EQ(read, 0);
      ASSERT_EQ(boxes_.boxes.size(), 1u);
      EXPECT_NE(boxes_.boxes[0].text.find("cut short"), std::string::npos) << boxes_.boxes[0].text;
      ExpectSameFiledContent(reference, set);
      EXPECT_EQ(set.Count(), reference.Count());
    }
    if (HasFailure()) break;
  }
}

// A file written before sections were closed is still read when each section ends, as every
// writer ended it, with its beam records; cut before them, it is refused.
TEST_F(MeritFileTest, FilesWithoutClosedSectionsAreReadWhenEachEndsInItsBeams) {
  SetFields({0.0, 14.0, 20.0});
  TOptimizationFunctions written;
  Build(written, 2);
  SetOddTargets(written, 1, 10.0);
  ASSERT_EQ(written.Write(Scratch("new.fun")), 1);
  std::string old;
  std::istringstream lines(ReadText(Scratch("new.fun")));
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("Sections=", 0) != 0 && line.rfind("SectionEnd=", 0) != 0) old += line + "\n";
  for (std::size_t at = old.find('\n'); at != std::string::npos; at = old.find('\n', at + 1)) {
    const std::string cut = old.substr(0, at + 1);
    SCOPED_TRACE(cut);
    WriteText(Scratch("old.fun"), cut);
    TOptimizationFunctions set;
    Build(set, 2);
    // The last line that is not blank (npos + 1 is 0): a beam record, or the section stops
    // before its beams.
    const std::size_t last = cut.rfind('\n', cut.find_last_not_of('\n')) + 1;
    const bool endsInBeam = cut.compare(last, 1, "{") == 0;
    EXPECT_EQ(set.Read(Scratch("old.fun")), endsInBeam ? 1 : 0);
    if (!endsInBeam) {
      ASSERT_FALSE(boxes_.boxes.empty());
      EXPECT_NE(boxes_.boxes.back().text.find("cut short inside its section [Functions"), std::string::npos)
          << boxes_.boxes.back().text;
    }
  }
  // Whole, it reads as the file of closed sections does.
  TOptimizationFunctions closed;
  BuildAndRead(closed, "new.fun");
  TOptimizationFunctions set;
  Build(set, 2);
  EXPECT_EQ(set.Read(Scratch("old.fun")), 1);
  EXPECT_TRUE(boxes_.boxes.empty());
  ExpectSameFiledContent(closed, set);
}

namespace {

// Every key the merit-function reader registers, damaged every way its kind admits in a
// file the program wrote: named by key and line or refused, and the rest saved as given.
TEST_F(MeritFileTest, EveryKeyDamagedIsNamedOrRefused) {
  TOptimizationFunctions written;
  Build(written, 2);
  SetOddTargets(written, 0, 10.0);
  SetOddTargets(written, 1, 20.0);
  written.SetConfigurations();
  ASSERT_EQ(written.Write(Scratch("sound.fun")), 1);
  const int opened = CheckEveryKeyDamage("merit functions", ReadText(Scratch("sound.fun")), Scratch("damaged.fun"),
                                         [this](const std::string &path) {
                                           boxes_.boxes.clear();
                                           TOptimizationFunctions set;
                                           Build(set, 2);
                                           TOpenOutcome outcome;
                                           outcome.refused = set.Read(path) == 0;
                                           for (const auto &box : boxes_.boxes) outcome.told += box.text + "\n";
                                           std::filesystem::remove(Scratch("saved.fun"));
                                           if (!outcome.refused && set.Write(Scratch("saved.fun")) == 1)
                                             outcome.saved = ReadText(Scratch("saved.fun"));
                                           return outcome;
                                         });
  EXPECT_GT(opened, 100);
}

}  // namespace

// A section no reader takes is named at the open and goes with a save to a new file.
TEST_F(MeritFileTest, AnUnknownSectionIsNamedAndSavedToANewFile) {
  TOptimizationFunctions set;
  Build(set, 1);
  const std::string path = Scratch("notes.fun");
  ASSERT_EQ(set.Write(path), 1);
  WriteText(path, ReadText(path) + "[MyNotes]\nkeep=this; \"and this\"\n");
  TOptimizationFunctions read;
  Build(read, 1);
  boxes_.boxes.clear();
  ASSERT_EQ(read.Read(path), 1);
  const std::string text = ReadText(path);
  const auto header = std::count(text.begin(), text.end(), '\n') - 1;
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_NE(boxes_.boxes[0].text.find("line " + std::to_string(header) + ": the section [MyNotes] is not one"),
            std::string::npos) << boxes_.boxes[0].text;
  ASSERT_EQ(read.Write(Scratch("new.fun")), 1);
  EXPECT_NE(ReadText(Scratch("new.fun")).find("[MyNotes]\nkeep=this; \"and this\"\n"), std::string::npos);
  // Held once, however often the file is opened and saved again.
  for (int again = 0; again < 2; ++again) {
    const std::string saved = ReadText(Scratch("new.fun"));
    int held = 0;
    for (std::size_t at = saved.find("[MyNotes]"); at != std::string::npos; at = saved.find("[MyNotes]", at + 1)) ++held;
    EXPECT_EQ(held, 1) << saved;
    ASSERT_EQ(read.Read(Scratch("new.fun")), 1);
    ASSERT_EQ(read.Write(Scratch("new.fun")), 1);
  }
}
