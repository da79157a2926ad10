#include "optics/glass/tgc_file.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/testing/approx.h"
#include "optics/glass/tests/glass_test_support.h"

namespace {

constexpr double kDecimal = 1e-15;  // decimal text read back

const char kTwoGlasses[] =
    ";; two glasses\n"
    "\"Alpha\" anything here is ignored\n"
    "indices spl\n"
    "wl 0.4 0.5 0.6\n"
    "1.53 1.52\n"
    "   1.515\n"
    "\n"
    ";; between blocks\n"
    "P 2.6 Alfa\n"
    "t -20 20\n"
    "70 72 Beta\n"
    "t 0 40\n"
    "wl 0.5 0.6\n"
    "10 11\n"
    "12 13\n"
    "transmittance\n"
    "th 5 10\n"
    "wl 0.4 0.5\n"
    "0.9 0.95 0.8 0.9 end\n"
    "\"beta\"\n"
    "indices\n"
    "wl - 0.5 0.6\n"
    "1.61 1.6\n"
    "end\n";

}  // namespace

TEST(PrivateCatalog, ReadsBlocksInAnyOrderOverSeveralLines) {
  ScratchDir dir("tgc_read");
  const TPrivateDataFile file(dir.Write("private.tgc", kTwoGlasses));
  ASSERT_TRUE(file.IsOk()) << file.ErrorText();
  EXPECT_EQ(file.GlassCount(), 2);
  EXPECT_EQ(file.IndexSize(), 2);
  EXPECT_EQ(file.RecordSize(), 0);
  // "- 0.5" is one number: a wavelength no glass has, so Beta alone is refused, by name.
  EXPECT_EQ(file.ErrorText(), "the glass BETA gives the range -0.5 to 0.6 µm, which no glass has: its record is "
                              "damaged, and the glass is not used");
  const auto alpha = file.GetRecord("ALPHA");
  ASSERT_TRUE(alpha);
  EXPECT_EQ(alpha->interpolation, kInterpolationSpline);
  ASSERT_EQ(alpha->indexCount, 3);
  EXPECT_APPROX(alpha->indices[2], 1.515, kDecimal);
  EXPECT_APPROX(alpha->p, 2.6, kDecimal);
  ASSERT_EQ(alpha->alfaCount, 2);
  EXPECT_APPROX(alpha->alfaTemperatures[0], -20.0, kDecimal);
  EXPECT_APPROX(alpha->alfaValues[1], 72.0, kDecimal);
  ASSERT_EQ(alpha->betaTemperatureCount, 2);
  ASSERT_EQ(alpha->betaWavelengthCount, 2);
  EXPECT_APPROX(alpha->betaValues[1][0], 12.0, kDecimal);
  ASSERT_EQ(alpha->thicknessCount, 2);
  ASSERT_EQ(alpha->transmittanceWavelengthCount, 2);
  EXPECT_APPROX(alpha->transmittances[1][1], 0.9, kDecimal);
  EXPECT_FALSE(file.GetRecord("Beta"));
  EXPECT_FALSE(file.GetRecord("gamma"));
}

TEST(PrivateCatalog, DuplicateNamesDifferingInCaseOrCyrillicLetters) {
  ScratchDir dir("tgc_dup");
  // The second name is "k8" with a Cyrillic small ka typed in UTF-8.
  const std::string path = dir.Write("private.tgc",
                                     "\"K8\"\nindices\nwl 0.5\n1.5\nend\n"
                                     "\"\xD0\xBA"
                                     "8\"\nindices\nwl 0.5\n1.5\nend\n");
  const TPrivateDataFile file(path);
  EXPECT_FALSE(file.IsOk());
  EXPECT_EQ(file.ErrorText(), path + " 'K8' - Glass is duplicated...");
}

TEST(PrivateCatalog, WrongValuesNameTheLine) {
  ScratchDir dir("tgc_wrong");
  const std::string path = dir.Write("private.tgc", "\"A\"\nindices\nwl 0.5 x 0.6\n1.5 1.4\nend\n");
  const TPrivateDataFile file(path);
  EXPECT_FALSE(file.IsOk());
  EXPECT_EQ(file.ErrorText(), path + " line:3 'x' - Wrong value...");
  EXPECT_EQ(file.GlassCount(), 0);
}

TEST(PrivateCatalog, NothingMayFollowTheLastIndex) {
  ScratchDir dir("tgc_follow");
  const std::string path = dir.Write("private.tgc", "\"A\"\nindices\nwl 0.5 0.6\n1.5 1.4 7\nend\n");
  const TPrivateDataFile file(path);
  EXPECT_FALSE(file.IsOk());
  EXPECT_EQ(file.ErrorText(), path + " line:4 '7' - Wrong value...");
}

TEST(PrivateCatalog, UnknownInterpolationKind) {
  ScratchDir dir("tgc_kind");
  const std::string path = dir.Write("private.tgc", "\"A\"\nindices cubic\nwl 0.5\n1.5\nend\n");
  const TPrivateDataFile file(path);
  EXPECT_FALSE(file.IsOk());
  EXPECT_EQ(file.ErrorText(), path + " line:2 'cubic' - Incorrect keyword...");
}

TEST(PrivateCatalog, MissingEndKeyword) {
  ScratchDir dir("tgc_end");
  const std::string path = dir.Write("private.tgc", "\"A\"\nindices\nwl 0.5\n1.5\n");
  const TPrivateDataFile file(path);
  EXPECT_FALSE(file.IsOk());
  EXPECT_NE(file.ErrorText().find("Lack of the 'end' keyword..."), std::string::npos);
  // A next glass starting before "end" is the same fault.
  const std::string two = dir.Write("two.tgc", "\"A\"\nP 2\n\"B\"\nP 3\nend\n");
  const TPrivateDataFile second(two);
  EXPECT_FALSE(second.IsOk());
  EXPECT_EQ(second.ErrorText(), two + " line:3 'B' - Lack of the 'end' keyword...");
}

TEST(PrivateCatalog, GlassMustBeginWithItsName) {
  ScratchDir dir("tgc_begin");
  const std::string path = dir.Write("private.tgc", "\"A\"\nend\nstray\n");
  const TPrivateDataFile file(path);
  EXPECT_FALSE(file.IsOk());
  EXPECT_EQ(file.ErrorText(), path + " line:3 'stray' - Wrong value...");
}

TEST(PrivateCatalog, LimitsOfTheFormatAreRefused) {
  ScratchDir dir("tgc_limits");
  std::string many;
  for (int i = 0; i < 257; ++i) many += "\"G" + std::to_string(i) + "\"\nend\n";
  const std::string manyPath = dir.Write("many.tgc", many);
  const TPrivateDataFile tooMany(manyPath);
  EXPECT_FALSE(tooMany.IsOk());
  EXPECT_EQ(tooMany.ErrorText(), manyPath + " line:513 'G256' - Too many glasses (at most 256)...");

  const std::string longPath = dir.Write("long.tgc", "\"ABCDEFGHIJKLMN\"\nend\n");
  const TPrivateDataFile longName(longPath);
  EXPECT_FALSE(longName.IsOk());
  EXPECT_EQ(
      longName.ErrorText(),
      longPath + " line:1 'ABCDEFGHIJKLMN' - Glass name empty or longer than 13 characters...");

  std::string table = "\"A\"\nindices\nwl";
  for (int i = 0; i < 101; ++i) table += " 1";  // fits one 255-character line
  table += "\n";
  for (int i = 0; i < 100; ++i) table += "1.5\n";
  table += "end\n";
  const TPrivateDataFile longTable(dir.Write("table.tgc", table));
  EXPECT_FALSE(longTable.IsOk());
  EXPECT_NE(longTable.ErrorText().find("Too many values in the table..."), std::string::npos);

  const TPrivateDataFile manyThicknesses(
      dir.Write("th.tgc", "\"A\"\ntransmittance\nth 1 2 3 4 5 6\nwl 0.5\n1 1 1 1 1\nend\n"));
  EXPECT_FALSE(manyThicknesses.IsOk());
}

TEST(PrivateCatalog, EmptyAndMissingFilesGiveNoMessage) {
  ScratchDir dir("tgc_empty");
  const TPrivateDataFile empty(dir.Write("private.tgc", ";; nothing\n\nwords only\n"));
  EXPECT_FALSE(empty.IsOk());
  EXPECT_EQ(empty.ErrorText(), "");
  const TPrivateDataFile missing(dir.File("absent.tgc"));
  EXPECT_FALSE(missing.IsOk());
  EXPECT_EQ(missing.ErrorText(), "");
}

TEST(PrivateCatalog, HashChainsHoldCollidingNames) {
  ScratchDir dir("tgc_chain");
  std::string text;
  for (int i = 0; i < 40; ++i)
    text += "\"N" + std::to_string(i) + "\"\nindices\nwl 0.5 0.6\n1.52 1.51\nP " + std::to_string(i) + "\nend\n";
  const TPrivateDataFile file(dir.Write("private.tgc", text));
  ASSERT_TRUE(file.IsOk()) << file.ErrorText();
  for (int i = 0; i < 40; ++i) {
    const auto record = file.GetRecord("n" + std::to_string(i));
    ASSERT_TRUE(record) << i;
    EXPECT_EQ(record->p, i);
  }
}
