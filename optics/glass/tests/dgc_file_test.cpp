#include "optics/glass/dgc_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "foundation/testing/approx.h"
#include "optics/glass/glass_info.h"
#include "optics/glass/tests/glass_test_support.h"

namespace {

constexpr double kSameRecord = 0.0;  // a record read back is bit-identical

std::vector<TDgcGlass> SmallSet() {
  std::vector<TDgcGlass> glasses;
  const char *names[] = {"N-BK7", "ABCDEFGH1", "ABCDEFGH2", "Ge", "F2"};
  for (int i = 0; i < 5; ++i) {
    TDgcGlass g;
    g.name = names[i];
    g.record = CrownRecord();
    g.record.p = static_cast<float>(i + 1);
    glasses.push_back(g);
  }
  glasses[3].secondName = "GERMANIUM";
  // F2 with the makers' thermal formula (its published coefficients).
  TBaseGlassRecord &f2 = glasses[4].record;
  f2.hasThermal = true, f2.d0 = 1.51e-6, f2.d1 = 1.56e-8, f2.d2 = -2.78e-11, f2.e0 = 9.34e-7, f2.e1 = 1.04e-9, f2.lambdaTk = 0.25;
  return glasses;
}

std::vector<unsigned char> ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string &path, const std::vector<unsigned char> &bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(BinaryCatalog, WritesAndReadsTheLayout) {
  ScratchDir dir("dgc_layout");
  std::string error;
  ASSERT_TRUE(WriteDgcFile(dir.File("set.dgc"), SmallSet(), error)) << error;
  const std::vector<unsigned char> bytes = ReadBytes(dir.File("set.dgc"));
  // Six names (Ge has two): header 6, index 6 x 24, records 6 x 190 (134 plain, 7 doubles).
  ASSERT_EQ(bytes.size(), 6u + 6u * 24u + 6u * 190u);
  EXPECT_EQ(bytes[0], 6);
  EXPECT_EQ(bytes[2], 5);  // glass count
  EXPECT_EQ(bytes[4], 190);
  // The same catalog in the plain form of earlier versions: 134-byte records.
  std::vector<unsigned char> plain(bytes.begin(), bytes.begin() + 6 + 6 * 24);
  plain[4] = 134;
  for (int k = 0; k < 6; ++k) {
    const auto record = bytes.begin() + 6 + 6 * 24 + 190 * k;
    plain.insert(plain.end(), record, record + 134);
    // Earlier versions carried no check value (0).
    std::fill(plain.end() - 134, plain.end() - 130, 0);
    for (int b = 0; b < 4; ++b) plain[6 + 24 * k + 20 + b] = static_cast<unsigned char>((6 + 6 * 24 + 134 * k) >> (8 * b));
  }
  WriteBytes(dir.File("plain.dgc"), plain);
  for (const bool thermal : {true, false}) {
    const TBaseDataFile file(dir.File(thermal ? "set.dgc" : "plain.dgc"));
    ASSERT_TRUE(file.IsOk()) << file.ErrorText();
    EXPECT_EQ(file.GlassCount(), 5);
    EXPECT_EQ(file.IndexSize(), 6);
    const TGlassIndexEntry *index = file.Index();
    EXPECT_STREQ(index[3].name, "GE");
    EXPECT_EQ(index[3].paired, 4);
    EXPECT_EQ(index[4].paired, kPairedSecond);
    EXPECT_EQ(index[4].recordOffset, 6 + 6 * 24 + 4 * (thermal ? 190 : 134));
    const auto record = file.GetRecord("F2");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->p, 5.0f);
    EXPECT_APPROX(record->a[5], 103.560653, kSameRecord);
    EXPECT_EQ(record->hasThermal, thermal);
    EXPECT_EQ(record->e1, thermal ? 1.04e-9 : 0.0);
    EXPECT_EQ(record->lambdaTk, thermal ? 0.25 : 0.0);
  }
}

// Another writer's catalog may hold anything in a record's first four bytes: with none of
// them our check value, every glass is judged by its values and still given.
TEST(BinaryCatalog, ACatalogWithoutCheckValuesInItsFirstBytesKeepsEveryGlass) {
  ScratchDir dir("dgc_foreign");
  std::string error;
  ASSERT_TRUE(WriteDgcFile(dir.File("set.dgc"), SmallSet(), error)) << error;
  std::vector<unsigned char> bytes = ReadBytes(dir.File("set.dgc"));
  for (int k = 0; k < 6; ++k) bytes[6 + 6 * 24 + 190 * k] ^= static_cast<unsigned char>(k + 1);
  WriteBytes(dir.File("foreign.dgc"), bytes);
  const TBaseDataFile file(dir.File("foreign.dgc"));
  ASSERT_TRUE(file.IsOk()) << file.ErrorText();
  EXPECT_EQ(file.ErrorText(), "");
  for (const char *name : {"N-BK7", "ABCDEFGH1", "ABCDEFGH2", "GE", "F2"}) EXPECT_TRUE(file.GetRecord(name)) << name;
  // One record changed in a catalog that carries them: that glass alone is refused.
  bytes = ReadBytes(dir.File("set.dgc"));
  bytes[6 + 6 * 24 + 190 * 4 + 20] ^= 1;
  WriteBytes(dir.File("flipped.dgc"), bytes);
  const TBaseDataFile flipped(dir.File("flipped.dgc"));
  EXPECT_NE(flipped.ErrorText().find("check value"), std::string::npos) << flipped.ErrorText();
  int given = 0;
  for (const char *name : {"N-BK7", "ABCDEFGH1", "ABCDEFGH2", "GE", "F2"}) given += flipped.GetRecord(name) ? 1 : 0;
  EXPECT_GE(given, 4);
}

TEST(BinaryCatalog, FindsWholeNamesInAnyCaseAndCodePage) {
  ScratchDir dir("dgc_find");
  std::string error;
  ASSERT_TRUE(WriteDgcFile(dir.File("set.dgc"), SmallSet(), error)) << error;
  const TBaseDataFile file(dir.File("set.dgc"));
  // Two names sharing their first eight letters are two glasses.
  const int first = file.Find("ABCDEFGH1");
  const int second = file.Find("abcdefgh2");
  EXPECT_GE(first, 0);
  EXPECT_GE(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(file.Find("ABCDEFGH"), -1);
  EXPECT_EQ(file.Find("ABCDEFGH3"), -1);
  EXPECT_EQ(file.GetRecord("abcdefgh2")->p, 3.0f);
  // N-BK7 with Cyrillic capital ve and small ka: code page 866, 1251 and UTF-8.
  EXPECT_EQ(file.Find("N-\x82\xAA"
                      "7"),
            file.Find("N-BK7"));
  EXPECT_EQ(file.Find("N-\xC2\xEA"
                      "7"),
            file.Find("N-BK7"));
  EXPECT_EQ(file.Find("N-\xD0\x92\xD0\xBA"
                      "7"),
            file.Find("N-BK7"));
  // Cyrillic en looks like H, so it does not stand for N.
  EXPECT_EQ(file.Find("\x8D-BK7"), -1);
  EXPECT_EQ(file.Find("n-bk7"), file.Find("N-BK7"));
  EXPECT_EQ(file.Find("germanium"), 4);
  EXPECT_EQ(file.Find(""), -1);
  EXPECT_EQ(file.Find("A-NAME-LONGER-THAN-THIRTEEN"), -1);
  EXPECT_FALSE(file.GetRecord("K8"));
}

TEST(BinaryCatalog, IteratorListsEachGlassOnce) {
  ScratchDir dir("dgc_iter");
  std::string error;
  ASSERT_TRUE(WriteDgcFile(dir.File("set.dgc"), SmallSet(), error)) << error;
  const TBaseDataFile file(dir.File("set.dgc"));
  TGlassIterator it(file.Index(), file.IndexSize());
  std::vector<std::string> names;
  for (std::string name = it.Next(); !name.empty(); name = it.Next()) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"N-BK7", "ABCDEFGH1", "ABCDEFGH2", "GE", "F2"}));
}

TEST(BinaryCatalog, WriterRefusesBadNames) {
  ScratchDir dir("dgc_refuse");
  std::string error;
  std::vector<TDgcGlass> set = SmallSet();
  set[1].name = "n-bk7";
  EXPECT_FALSE(WriteDgcFile(dir.File("a.dgc"), set, error));
  EXPECT_EQ(error, "Glass is duplicated: 'N-BK7'");
  set[1].name = "FOURTEEN-CHARS";
  EXPECT_FALSE(WriteDgcFile(dir.File("a.dgc"), set, error));
  EXPECT_FALSE(WriteDgcFile(dir.File("a.dgc"), {}, error));
  EXPECT_FALSE(WriteDgcFile(dir.File("missing/dir/a.dgc"), SmallSet(), error));
}

// The writer's work file has a name nobody can foresee: a link planted under the old fixed
// name "<catalog>.tmp" is never written through, and no work file is left.
TEST(BinaryCatalog, WriterNeverWritesThroughAPlantedWorkFileName) {
  ScratchDir dir("dgc_planted");
  const std::string victim = dir.Write("victim.txt", "keep me\n");
  std::filesystem::create_symlink(victim, dir.File("a.dgc.tmp"));
  std::string error;
  ASSERT_TRUE(WriteDgcFile(dir.File("a.dgc"), SmallSet(), error)) << error;
  EXPECT_EQ(std::filesystem::file_size(victim), 8u);
  EXPECT_TRUE(TBaseDataFile(dir.File("a.dgc")).GetRecord("F2"));
  int others = 0;
  for (const auto &entry : std::filesystem::directory_iterator(dir.Path()))
    others += entry.path().filename().string().find(".saving-") != std::string::npos;
  EXPECT_EQ(others, 0);
}

class DamagedCatalog : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(WriteDgcFile(dir_.File("good.dgc"), SmallSet(), error)) << error;
    bytes_ = ReadBytes(dir_.File("good.dgc"));
  }
  // Reads the damaged bytes and expects an empty catalog with that message.
  void ExpectRejected(const std::string &message) {
    const std::string path = dir_.File("bad.dgc");
    WriteBytes(path, bytes_);
    const TBaseDataFile file(path);
    EXPECT_FALSE(file.IsOk());
    EXPECT_EQ(file.GlassCount(), 0);
    EXPECT_EQ(file.Find("N-BK7"), -1);
    EXPECT_FALSE(file.GetRecord("N-BK7"));
    EXPECT_EQ(file.ErrorText(), path + " " + message);
  }
  void Put16(std::size_t at, int value) {
    bytes_[at] = static_cast<unsigned char>(value & 0xFF);
    bytes_[at + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
  }
  ScratchDir dir_{"dgc_damaged"};
  std::vector<unsigned char> bytes_;
};

TEST_F(DamagedCatalog, Truncated) {
  bytes_.resize(bytes_.size() - 10);
  ExpectRejected("'records' - Catalog file is truncated...");
  bytes_.resize(4);
  ExpectRejected("'header' - Catalog file is truncated...");
  bytes_.resize(6 + 24);
  Put16(0, 6);
  Put16(4, 134);
  ExpectRejected("'index' - Catalog file is truncated...");
}

TEST_F(DamagedCatalog, GlassCountBeyondTheIndexIsHeldToIt) {
  Put16(2, 900);
  const std::string path = dir_.File("count.dgc");
  WriteBytes(path, bytes_);
  const TBaseDataFile file(path);
  ASSERT_TRUE(file.IsOk()) << file.ErrorText();
  EXPECT_EQ(file.GlassCount(), 6);
  EXPECT_TRUE(file.GetRecord("F2"));
}

TEST_F(DamagedCatalog, BadRecordSize) {
  Put16(4, 120);
  ExpectRejected("'120' - Wrong record size...");
}

TEST_F(DamagedCatalog, ChainIndexOutOfRange) {
  Put16(6 + 24 * 2 + 2, 6);  // next of entry 2
  ExpectRejected("'entry 2' - Chain index out of range...");
  SetUp();
  Put16(6 + 24 * 1, -5);  // chain head of entry 1
  ExpectRejected("'entry 1' - Chain index out of range...");
}

TEST_F(DamagedCatalog, NameWithoutTerminator) {
  for (int i = 0; i < 14; ++i) bytes_[6 + 24 * 3 + 4 + i] = 'Z';
  ExpectRejected("'entry 3' - Glass name without terminator...");
}

TEST_F(DamagedCatalog, RecordOffsetOutsideTheRecords) {
  bytes_[6 + 24 * 0 + 20] = 0xFF;
  bytes_[6 + 24 * 0 + 21] = 0xFF;
  ExpectRejected("'entry 0' - Record offset out of range...");
}

TEST_F(DamagedCatalog, LoopingChain) {
  // Every chain head points at entry 0, whose next is itself.
  for (int i = 0; i < 6; ++i) Put16(6 + 24 * i, 0);
  Put16(6 + 2, 0);
  ExpectRejected("'entry 0' - Hash chain loops...");
}

TEST(BinaryCatalog, MissingOrEmptyFileIsEmptyWithoutMessage) {
  ScratchDir dir("dgc_missing");
  const TBaseDataFile missing(dir.File("none.dgc"));
  EXPECT_FALSE(missing.IsOk());
  EXPECT_EQ(missing.ErrorText(), "");
  const TBaseDataFile empty(dir.Write("zero.dgc", std::string(6, '\0')));
  EXPECT_FALSE(empty.IsOk());
  EXPECT_EQ(empty.Find("X"), -1);
}
