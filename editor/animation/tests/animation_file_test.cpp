// The animation file: its template, reading with defaults, the beam section's rewrite and
// the refusal of files that are no usable text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document/system/tests/editor_test_support.h"
#include "foundation/testing/key_damage.h"
#include "foundation/testing/small_disk.h"
#include "editor/animation/animation_file.h"
#include "editor/animation/animation_info.h"
#include "editor/animation/beam_sweep.h"

namespace {

using AnimationFileTest = SystemTest;

Mem<double> Beams(std::initializer_list<double> values) {
  Mem<double> beams(static_cast<int>(values.size()), 1);
  int i = 0;
  for (double v : values) beams.data[i++] = v;
  return beams;
}

TEST_F(AnimationFileTest, TemplateHoldsTheBeamsRangeAndReadsBackWithNoElement) {
  const Mem<double> beams = Beams({0.0, 5.5, -3.0});
  EXPECT_EQ(AnimationTemplateText(7, beams),
            "[Common]\n"
            "Continuous=1;\n"
            "\n"
            "[Beam]\n"
            "This is default beams settings from Object folder\n"
            "Nray=7\n"
            "Beam=-3, 5.5; NStep=20\n"
            "\n"
            "[Elem_??]\n"
            "RotX=??, ??; dRotX=??; RotOrigin=??, ??, ??\n"
            "PosY=??, ??; dPosY=??\n"
            "PosZ=??, ??; dPosZ=??\n");
  const std::string path = Scratch("template.anm");
  ASSERT_TRUE(WriteAnimationTemplate(path, 7, beams).Written());
  TAnimationFile file;
  std::string problem;
  ASSERT_EQ(ReadAnimationFile(path, 4, file, problem), TAnimationFileStatus::kRead) << problem;
  EXPECT_EQ(file.common.Continuous, 1);
  EXPECT_EQ(file.common.AllRotation, 0);
  EXPECT_TRUE(file.hasBeamSection);
  EXPECT_EQ(file.beam.Nray, 7);
  EXPECT_EQ(file.beam.NStep, 20);
  EXPECT_EQ(file.beam.beam[0], -3.0);
  EXPECT_EQ(file.beam.beam[1], 5.5);
  // "[Elem_??]" is no element's section.
  EXPECT_TRUE(file.elements.empty());

  // Equal beam coordinates leave the upper end to fill in; it reads as 0.
  const std::string same = AnimationTemplateText(3, Beams({2.0, 2.0}));
  EXPECT_NE(same.find("\nBeam=2, ??; NStep=20\n"), std::string::npos) << same;
  WriteText(path, same);
  ASSERT_EQ(ReadAnimationFile(path, 1, file, problem), TAnimationFileStatus::kRead);
  EXPECT_EQ(file.beam.beam[0], 2.0);
  EXPECT_EQ(file.beam.beam[1], 0.0);
  EXPECT_EQ(AnimationFileName("/data/Systems/Cooke.Triplet.os"), "/data/Systems/Cooke.Triplet.anm");
  EXPECT_EQ(AnimationFileName("/data/Systems/lens"), "/data/Systems/lens.anm");
}

TEST_F(AnimationFileTest, ElementSectionsReadWithTheirDefaultsAndOnlyUpToTheElementCount) {
  const std::string path = Scratch("lens.anm");
  WriteText(path,
            "[Common]\n"
            "Continuous=0; AllRotation=1; RotZAll=-4, 6; dRotZAll=2; RotOriginAll=1, 2, 3;\n"
            "[Elem_0]\n"
            "PosZ=0, 10; dPosZ=1; GoBack=1\n"
            "RotX=10, 0\n"
            "[Elem_2]\n"
            "posy = -1.5 , 2.5 ; DPOSY=0.25; RotOrigin=7, 8, 9; RotY=1, 2, 3, 4\n"
            "[Elem_3]\n"
            "PosX=1, 2\n");
  TAnimationFile file;
  std::string problem;
  ASSERT_EQ(ReadAnimationFile(path, 3, file, problem), TAnimationFileStatus::kRead) << problem;
  EXPECT_EQ(file.common.Continuous, 0);
  EXPECT_EQ(file.common.AllRotation, 1);
  EXPECT_EQ(file.common.rotationAll[0][0], -4.0);
  EXPECT_EQ(file.common.rotationAll[0][1], 6.0);
  EXPECT_EQ(file.common.rotationStepAll[0], 2.0);
  EXPECT_EQ(file.common.rotationOriginAll[2], 3.0);
  EXPECT_FALSE(file.hasBeamSection);
  EXPECT_EQ(file.beam.NStep, 0);
  // Element 3 lies beyond the three elements: its section is never read.
  ASSERT_EQ(file.elements.size(), 2u);
  const TAnimationElement &first = file.elements[0];
  EXPECT_EQ(first.elementIndex, 0);
  EXPECT_EQ(first.ranges[kAnimPosZ][1], 10.0);
  EXPECT_EQ(first.steps[kAnimPosZ], 1.0);
  EXPECT_EQ(first.ranges[kAnimRotX][0], 10.0);
  EXPECT_EQ(first.steps[kAnimRotX], 0.0);
  EXPECT_EQ(first.GoBack, 1);
  EXPECT_EQ(first.rotationOrigin[0], kAnimationOriginNotGiven);
  const TAnimationElement &second = file.elements[1];
  EXPECT_EQ(second.elementIndex, 2);
  EXPECT_EQ(second.ranges[kAnimPosY][0], -1.5);
  EXPECT_EQ(second.ranges[kAnimPosY][1], 2.5);
  EXPECT_EQ(second.steps[kAnimPosY], 0.25);
  EXPECT_EQ(second.rotationOrigin[1], 8.0);
  // A list longer than its key's two values is read up to them.
  EXPECT_EQ(second.ranges[kAnimRotY][0], 1.0);
  EXPECT_EQ(second.ranges[kAnimRotY][1], 2.0);
  EXPECT_EQ(second.ranges[kAnimPosZ][0], 0.0);
  EXPECT_EQ(second.GoBack, 0);
  // What the animation does not take is named by line; the rest is read.
  EXPECT_NE(problem.find("line 8: the section [elem_3] names no element of the 3"), std::string::npos) << problem;
  EXPECT_NE(problem.find("line 5: [elem_0] gives RotX a range but no step (dRotX=0)"), std::string::npos) << problem;
  for (const auto &[text, told] : {std::pair{"PosZ=0, 1e9; dPosZ=1e-9", "line 2: dPosZ=1e-09 takes 1e+18 steps"},
                                   {"PosZ=0, 10; dPosZ=-1", "line 2: dPosZ=-1 steps against the direction"},
                                   {"PosZ=0, 10; dPoZ=1", "line 2: [Elem_0] holds the key dPoZ, which"},
                                   {"PosZ=0, 10; dPosZ=1; PosZ=0, 5", "line 2: [Elem_0] gives PosZ a second time"},
                                   {"PosZ=0, 10, 20; dPosZ=1", "line 2: [Elem_0] gives PosZ more than its 2 values"},
                                   {"PosZ=0, 10; dPosZ=1; GoBack=5", "line 2: GoBack=5 is outside 0 to 1"},
                                   {"PosZ=0, 10; dPosZ=1\n[Elem_00]\nPosY=0, 1", "line 3: the section [elem_00] names no"},
                                   {"PosZ=0, 10; dPosZ=1\n[Elem_0.5]\nPosY=0, 1", "line 3: the section [elem_0.5] names no"},
                                   {"PosZ=0, 10; dPosZ=1\n[Common]\nRotOriginAll=0, 1e300, 0", "line 4: RotOriginAll=1e300 is outside"}}) {
    WriteText(path, std::string("[Elem_0]\n") + text + "\n");
    ASSERT_EQ(ReadAnimationFile(path, 1, file, problem), TAnimationFileStatus::kRead);
    EXPECT_NE(problem.find(told), std::string::npos) << problem;
  }
}

TEST_F(AnimationFileTest, BeamRewriteReplacesOnlyItsSection) {
  const std::string path = Scratch("beam.anm");
  WriteText(path,
            "[Common]\nContinuous=0;\n\n"
            "[Beam]\nThis is default beams settings from Object folder\nNray=3\nBeam=0, ??; NStep=0\n\n"
            "[Elem_1]\nPosY=0, 1; dPosY=0.5\n");
  ASSERT_EQ(RewriteAnimationBeam(path, 9, -0.125, 12.75, 20), 1);
  EXPECT_EQ(ReadText(path),
            "[Common]\nContinuous=0;\n\n"
            "[Beam]\nNray=9\nBeam=-0.125, 12.75; NStep=20\n\n"
            "[Elem_1]\nPosY=0, 1; dPosY=0.5\n");
  TAnimationFile file;
  std::string problem;
  ASSERT_EQ(ReadAnimationFile(path, 2, file, problem), TAnimationFileStatus::kRead);
  EXPECT_EQ(file.beam.Nray, 9);
  EXPECT_EQ(file.beam.beam[0], -0.125);
  EXPECT_EQ(file.beam.beam[1], 12.75);
  EXPECT_EQ(file.beam.NStep, 20);
  EXPECT_EQ(file.common.Continuous, 0);
  ASSERT_EQ(file.elements.size(), 1u);
  EXPECT_EQ(file.elements[0].steps[kAnimPosY], 0.5);
}

// Each damaged file is refused with its reason and leaves the records as they were.
TEST_F(AnimationFileTest, FilesThatAreNoUsableTextAreRefusedWithTheirReason) {
  TAnimationFile file;
  std::string problem;
  EXPECT_EQ(ReadAnimationFile(Scratch("none.anm"), 3, file, problem), TAnimationFileStatus::kMissing);
  const std::string whole = AnimationTemplateText(5, Beams({-3.0, 3.0}));
  struct TCase {
    std::string text;
    const char *reason;
  };
  const TCase cases[] = {
      {"", "empty"},
      {"\n \n", "empty"},
      {"PK\x03\x04 some archive, no sections at all\n", "none of the sections"},
      {"[Options]\nNray=5\n", "none of the sections"},
      {whole.substr(0, whole.find("[Elem_??]") + 5), "cut short"},
      {"[Common]\nContinuous=1;\n[Elem_1\nPosZ=1, 2; dPosZ=0.5\n", "its line 3 opens the section name \"[Elem_1\""},
      {std::string("[Elem_0]\nPosZ=0, 1\0\x01\x02;\n", 22), "zero byte"},
      {"[Elem_0]\nPosZ=0, 1e300; dPosZ=1\n", "[Elem_0]"},
      {"[Elem_0]\nPosZ=0, -inf; dPosZ=1\n", "[Elem_0]"},
      {"[Elem_0]\nRotX=0, 30; dRotX=5\nRotOrigin=1, 2\n", "[Elem_0] gives fewer than its 3 values"},
      {"[Beam]\nNStep=99999999999\n", "beyond what the program can hold"},
      {"[Beam]\nNray=2000000000\n", "Nray=2000000000"},
      {"[Beam]\nNStep=50000\n", "NStep=50000"},
      {"[Beam]\nBeam=" + std::string(70000, '1') + "\n", "too long"},
      {std::string(10 * 1024 * 1024, 'z'), "too long"},
  };
  const std::string path = Scratch("bad.anm");
  int k = 0;
  for (const TCase &c : cases) {
    SCOPED_TRACE(k++);
    WriteText(path, c.text);
    TAnimationFile kept;
    kept.beam.Nray = 7;
    kept.common.Continuous = 0;
    ASSERT_EQ(ReadAnimationFile(path, 3, kept, problem), TAnimationFileStatus::kDamaged);
    EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
    EXPECT_EQ(kept.beam.Nray, 7);
    EXPECT_EQ(kept.common.Continuous, 0);
    EXPECT_TRUE(kept.elements.empty());
  }
  EXPECT_NE(AnimationFileProblemText(path, problem).find("\"" + path + "\" cannot be used"), std::string::npos);
  // The template itself, with its "??", is an animation file.
  WriteText(path, whole);
  EXPECT_EQ(ReadAnimationFile(path, 3, file, problem), TAnimationFileStatus::kRead) << problem;
}

// The template cut at any line end is refused or used with a note naming what it lacks;
// the whole template reads without one.
TEST_F(AnimationFileTest, EveryLineCutOfTheTemplateIsRefusedOrTold) {
  const std::string whole = AnimationTemplateText(5, Beams({-3.0, 3.0}));
  const std::string path = Scratch("cut.anm");
  TAnimationFile file;
  std::string problem;
  int cuts = 0;
  for (std::size_t end = whole.find('\n'); end + 1 < whole.size(); end = whole.find('\n', end + 1)) {
    SCOPED_TRACE(end);
    ++cuts;
    WriteText(path, whole.substr(0, end + 1));
    const TAnimationFileStatus status = ReadAnimationFile(path, 3, file, problem);
    EXPECT_NE(status, TAnimationFileStatus::kMissing);
    // Cut just before the element section, it is a whole beam animation as one writes it.
    const std::size_t element = whole.find("[Elem_??]");
    if (status == TAnimationFileStatus::kRead && end + 1 != element && end + 2 != element) {
      EXPECT_NE(problem.find("lacks"), std::string::npos) << problem;
    }
  }
  EXPECT_EQ(cuts, 11);
  for (const std::string &text : {whole, std::string("[Common]\nContinuous=1;\n\n[Beam]\nNray=5\nBeam=0, 10; NStep=20\n")}) {
    WriteText(path, text);
    EXPECT_EQ(ReadAnimationFile(path, 3, file, problem), TAnimationFileStatus::kRead);
    EXPECT_EQ(problem, "");
  }
  EXPECT_NE(AnimationFileNoteText(path, "it lacks x").find("\"" + path + "\" is used, but it lacks x"),
            std::string::npos);
}

TEST_F(AnimationFileTest, TheTemplateIsNeverWrittenOverAReadOnlyFileOrIntoNowhere) {
  const std::string path = Scratch("kept.anm");
  WriteText(path, "[Common]\nContinuous=0;\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  const TFileWriteResult readOnly = WriteAnimationTemplate(path, 5, Beams({1.0, 2.0}));
  EXPECT_EQ(readOnly.fault, TFileWriteFault::kReadOnly);
  EXPECT_NE(FileWriteFaultText(path, readOnly).find("is marked as read-only!"), std::string::npos);
  EXPECT_EQ(ReadText(path), "[Common]\nContinuous=0;\n");
  EXPECT_EQ(WriteAnimationTemplate(Scratch("no/where.anm"), 5, Beams({1.0})).fault, TFileWriteFault::kNoDirectory);
  // The beam rewrite of a read-only file is refused too.
  EXPECT_EQ(RewriteAnimationBeam(path, 9, -1.0, 1.0, 20), 0);
  EXPECT_EQ(ReadText(path), "[Common]\nContinuous=0;\n");

  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  disk.Fill();
  EXPECT_EQ(WriteAnimationTemplate(disk.PathOf("full.anm"), 5, Beams({1.0, 2.0})).fault, TFileWriteFault::kNoSpace);
  EXPECT_FALSE(std::filesystem::exists(disk.PathOf("full.anm")));
}

TEST(BeamSweep, GoesUpAndDownMeetingBothEndsExactly) {
  TBeamSweep sweep(0.0, 10.0, 20);
  EXPECT_EQ(sweep.CycleLength(), 40);
  std::vector<double> values;
  for (int k = 0; k < 41; ++k) values.push_back(sweep.Next());
  for (int k = 0; k <= 20; ++k) EXPECT_EQ(values[k], 0.5 * k) << k;
  for (int k = 21; k < 40; ++k) EXPECT_EQ(values[k], 0.5 * (40 - k)) << k;
  EXPECT_EQ(values[40], 0.0);
  // A step that no double holds exactly still ends on the highest value.
  TBeamSweep tenths(0.0, 1.0, 10);
  double last = 0.0;
  for (int k = 0; k < 11; ++k) last = tenths.Next();
  EXPECT_EQ(last, 1.0);
}

TEST(BeamSweep, RangeComesFromTheBeamsUnlessTheFileGivesOne) {
  const Mem<double> beams = Beams({-2.0, 7.0, 3.0});
  const double none[2] = {0.0, 0.0};
  double lowest = 0.0, highest = 0.0;
  ASSERT_TRUE(BeamAnimationRange(beams, none, lowest, highest));
  EXPECT_EQ(lowest, -2.0);
  EXPECT_EQ(highest, 7.0);
  const double reversed[2] = {5.0, 1.0};
  ASSERT_TRUE(BeamAnimationRange(beams, reversed, lowest, highest));
  EXPECT_EQ(lowest, 1.0);
  EXPECT_EQ(highest, 5.0);
  // One beam and no values, or no beams at all: nothing to sweep.
  EXPECT_FALSE(BeamAnimationRange(Beams({4.0}), none, lowest, highest));
  EXPECT_FALSE(BeamAnimationRange(Mem<double>(), none, lowest, highest));
  const double upper[2] = {0.0, 3.0};
  ASSERT_TRUE(BeamAnimationRange(Mem<double>(), upper, lowest, highest));
  EXPECT_EQ(highest, 3.0);
}

}  // namespace

namespace {

TEST_F(AnimationFileTest, EveryKeyDamagedIsRefusedOrNamed) {
  const std::string sound =
      "[Common]\nContinuous=1; AllRotation=1\nRotZAll=0, 90; dRotZAll=10\nRotOriginAll=1, 2, 3\n\n"
      "[Beam]\nNray=7\nBeam=-3, 5.5; NStep=20\n\n"
      "[Elem_0]\nPosZ=0, 10; dPosZ=1\nRotX=0, 30; dRotX=5\nRotOrigin=0, 0, 5\nGoBack=1\n";
  const int opened = CheckEveryKeyDamage("animation", sound, Scratch("damaged.anm"), [](const std::string &path) {
    TAnimationFile file;
    TOpenOutcome outcome;
    outcome.refused = ReadAnimationFile(path, 1, file, outcome.told) != TAnimationFileStatus::kRead;
    return outcome;
  });
  EXPECT_GT(opened, 50);
}

}  // namespace
