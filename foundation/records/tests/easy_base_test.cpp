#include "foundation/records/easy_base.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "foundation/records/tests/lz_compress_support.h"
#include "foundation/testing/small_disk.h"
#include "platform/core/recording_providers.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadAll(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path &path, const Bytes &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void PutInt32(Bytes &bytes, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(bits >> (8 * i)));
}

void PutName(Bytes &bytes, const std::string &name, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    bytes.push_back(i < name.size() ? static_cast<unsigned char>(name[i]) : 0);
}

std::int32_t Int32At(const Bytes &bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(value);
}

// A record written by hand: name, then items given as (name, type, count, data bytes).
struct HandItem {
  std::string name;
  unsigned char type;
  std::int32_t count;
  Bytes data;
};

Bytes HandRecord(const std::string &name, const std::vector<HandItem> &items) {
  std::int32_t size = 28;
  for (const HandItem &item : items) size += 15 + static_cast<std::int32_t>(item.data.size());
  Bytes bytes;
  PutInt32(bytes, size);
  PutName(bytes, name, 20);
  PutInt32(bytes, static_cast<std::int32_t>(items.size()));
  for (const HandItem &item : items) {
    PutName(bytes, item.name, 10);
    bytes.push_back(item.type);
    PutInt32(bytes, item.count);
    bytes.insert(bytes.end(), item.data.begin(), item.data.end());
  }
  return bytes;
}

Bytes HandLibrary(const std::vector<Bytes> &records, std::int32_t claimedCount) {
  Bytes bytes;
  PutInt32(bytes, claimedCount);
  for (const Bytes &record : records) bytes.insert(bytes.end(), record.begin(), record.end());
  return bytes;
}

// Work files of any writer (unique ones and the old fixed name) left in a directory.
int WorkFilesIn(const fs::path &directory) {
  int found = 0;
  for (const auto &entry : fs::directory_iterator(directory)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".saving-") != std::string::npos || name == kOldPackWorkFileName) ++found;
  }
  return found;
}

class EasyBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory = fs::temp_directory_path() /
                ("easy_base_test_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(directory);
    fs::create_directories(directory);
  }
  void TearDown() override { fs::remove_all(directory); }
  std::string PathOf(const std::string &name) const { return (directory / name).string(); }

  // A record with one item of each plain kind; returns its size on disk.
  static std::int32_t FillRecord(TItemHandler &handler, const std::string &name, int seed) {
    handler.SetName(name.c_str());
    const double doubles[3] = {1.5 * seed, -2.25, 1e-300};
    const std::int32_t ints[2] = {seed, -seed};
    const std::int16_t shorts[1] = {static_cast<std::int16_t>(seed * 3)};
    const std::string text = "lens " + std::to_string(seed);
    EXPECT_TRUE(handler.AddItem("curv", doubles, kItemDoubles, 3));
    EXPECT_TRUE(handler.AddItem("ids", ints, kItemInts, 2));
    EXPECT_TRUE(handler.AddItem("flag", shorts, kItemShorts, 1));
    EXPECT_TRUE(handler.AddItem("comment", text.c_str(), kItemText,
                                static_cast<std::int32_t>(text.size())));
    return 28 + (15 + 24) + (15 + 8) + (15 + 2) + (15 + static_cast<std::int32_t>(text.size()));
  }

  fs::path directory;
  TRecordingMessageBoxProvider boxes;  // no test here may show a box
};

}  // namespace

TEST_F(EasyBaseTest, RecordLayoutIsTheDocumentedOne) {
  const std::string path = PathOf("layout.lct");
  {
    TEasyBase base;
    ASSERT_GE(base.Create(path.c_str()), 0);
    TItemHandler handler;
    handler.SetName("Doublet");
    const std::int32_t values[2] = {7, -1};
    ASSERT_TRUE(handler.AddItem("radii", values, kItemInts, 2));
    ASSERT_EQ(base.AddRecord(handler), 0);
  }
  const Bytes expected = HandLibrary(
      {HandRecord("Doublet", {{"radii", kItemInts, 2, {7, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}}})}, 1);
  EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(EasyBaseTest, LibrarySurvivesCreateAddAndReopen) {
  const std::string path = PathOf("lib.lct");
  std::int32_t sizes[3] = {};
  {
    TEasyBase base;
    ASSERT_GE(base.Create(path.c_str()), 0);
    EXPECT_EQ(fs::file_size(path), 0u);  // nothing written before the first record
    for (int i = 0; i < 3; ++i) {
      TItemHandler handler;
      sizes[i] = FillRecord(handler, i == 0 ? "" : "Triplet " + std::to_string(i), i + 1);
      ASSERT_EQ(base.AddRecord(handler), i);
      // The handler is emptied after being written.
      EXPECT_EQ(handler.size, kRecordHeaderSize);
      EXPECT_EQ(handler.itemCount, 0);
      EXPECT_EQ(handler.Name(), "");
    }
  }
  EXPECT_EQ(fs::file_size(path), static_cast<std::uintmax_t>(4 + sizes[0] + sizes[1] + sizes[2]));

  TEasyBase base;
  ASSERT_GE(base.Open(path.c_str()), 0) << base.ErrorText();
  ASSERT_EQ(base.count, 3);
  EXPECT_EQ(base.names.data[0], "0");  // the unnamed record is named by its index
  EXPECT_EQ(base.names.data[2], "Triplet 2");
  EXPECT_EQ(base.positions.data[0], 4);
  EXPECT_EQ(base.positions.data[3], 4 + sizes[0] + sizes[1] + sizes[2]);

  for (const char *name : {"0", "Triplet 1", "Triplet 2"}) {
    TItemHandler found;
    EXPECT_EQ(base.FindRecord(name, found), base.FindName(name)) << name;
  }
  TItemHandler handler;
  ASSERT_EQ(base.FindRecord("Triplet 2", handler), 2);
  EXPECT_EQ(handler.itemCount, 4);
  EXPECT_EQ(handler.size, sizes[2]);
  double doubles[3] = {};
  ASSERT_TRUE(handler.ReadItemData("curv", kItemDoubles, doubles, sizeof doubles));
  EXPECT_EQ(doubles[0], 4.5);
  EXPECT_EQ(doubles[1], -2.25);
  EXPECT_EQ(doubles[2], 1e-300);
  std::int32_t ints[2] = {};
  ASSERT_TRUE(handler.ReadItemData("ids", kItemInts, ints, sizeof ints));
  EXPECT_EQ(ints[1], -3);
  char text[16] = {};
  ASSERT_TRUE(handler.ReadItemData("comment", kItemText, text, sizeof text - 1));
  EXPECT_STREQ(text, "lens 3");
  // Wrong type, unknown name, or a destination too small: nothing is read.
  EXPECT_FALSE(handler.ReadItemData("curv", kItemFloats, doubles, sizeof doubles));
  EXPECT_FALSE(handler.ReadItemData("none", kItemDoubles, doubles, sizeof doubles));
  EXPECT_FALSE(handler.ReadItemData("curv", kItemDoubles, doubles, sizeof doubles - 1));
  EXPECT_EQ(base.ReadRecord(3, handler), -1);
  EXPECT_EQ(base.ReadRecord(-1, handler), -1);
  EXPECT_EQ(base.ReadRecord(1, handler), 1);
  EXPECT_EQ(handler.Name(), "Triplet 1");
}

TEST_F(EasyBaseTest, CompressedLibraryOpensAndIsWrittenBackUncompressed) {
  const std::string plain = PathOf("plain.lct");
  std::int32_t sizes[2] = {};
  {
    TEasyBase base;
    ASSERT_GE(base.Create(plain.c_str()), 0);
    for (int i = 0; i < 2; ++i) {
      TItemHandler handler;
      sizes[i] = FillRecord(handler, "Lens " + std::to_string(i), i + 2);
      ASSERT_EQ(base.AddRecord(handler), i);
    }
  }
  const Bytes uncompressed = ReadAll(plain);
  const std::string path = PathOf("packed.lct");
  WriteAll(path, LzCompress(uncompressed, 't'));
  ASSERT_LT(fs::file_size(path), uncompressed.size());

  TEasyBase base;
  ASSERT_GE(base.Open(path.c_str()), 0) << base.ErrorText();
  EXPECT_TRUE(base.IsCompressed());
  ASSERT_EQ(base.count, 2);
  EXPECT_EQ(base.positions.data[2], 4 + sizes[0] + sizes[1]);
  TItemHandler handler;
  ASSERT_EQ(base.FindRecord("Lens 1", handler), 1);
  char text[16] = {};
  ASSERT_TRUE(handler.ReadItemData("comment", kItemText, text, sizeof text - 1));
  EXPECT_STREQ(text, "lens 3");
  EXPECT_EQ(ReadAll(path), LzCompress(uncompressed, 't')) << "reading changes nothing";

  // A new record: the library is written back uncompressed, the old records with it.
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  TItemHandler added;
  const std::int32_t size = FillRecord(added, "Lens 2", 4);
  ASSERT_EQ(base.AddRecord(added), 2) << base.ErrorText();
  EXPECT_FALSE(base.IsCompressed());
  base.Close();
  const Bytes written = ReadAll(path);
  ASSERT_EQ(written.size(), uncompressed.size() + static_cast<std::size_t>(size));
  EXPECT_EQ(Int32At(written, 0), 3);
  EXPECT_TRUE(std::equal(uncompressed.begin() + 4, uncompressed.end(), written.begin() + 4));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(WorkFilesIn(directory), 0);

  // An empty compressed file is an empty library.
  const std::string empty = PathOf("empty.lct");
  WriteAll(empty, LzCompress({}));
  TEasyBase none;
  ASSERT_GE(none.Open(empty.c_str()), 0) << none.ErrorText();
  EXPECT_EQ(none.count, 0);
}

TEST_F(EasyBaseTest, EmbeddedFileComesBackIdentical) {
  const std::string source = PathOf("doublet.os");
  Bytes contents;
  for (int i = 0; i < 3000; ++i) contents.push_back(static_cast<unsigned char>((i * 37) % 256));
  WriteAll(source, contents);
  const std::string path = PathOf("lib.lct");
  {
    TEasyBase base;
    ASSERT_GE(base.Create(path.c_str()), 0);
    TItemHandler handler;
    handler.SetName("Doublet");
    ASSERT_TRUE(handler.AddItem("system", source.c_str(), kItemFile, 1));
    EXPECT_EQ(handler.items.data[0].count, 3000);  // count 1 becomes the file's length
    const char comment[] = "f'=100";
    ASSERT_TRUE(handler.AddItem("comment", comment, kItemText, 6));
    ASSERT_EQ(base.AddRecord(handler), 0);
  }
  TEasyBase base;
  ASSERT_GE(base.Open(path.c_str()), 0) << base.ErrorText();
  TItemHandler handler;
  ASSERT_EQ(base.ReadRecord(0, handler), 0);
  const std::string copy = PathOf("copy.os");
  WriteAll(copy, Bytes{'o', 'l', 'd'});
  ASSERT_TRUE(handler.ReadItemData("system", kItemFile, const_cast<char *>(copy.c_str()), 0));
  EXPECT_EQ(ReadAll(copy), contents);
  EXPECT_FALSE(fs::exists(copy + ".~part"));
}

TEST_F(EasyBaseTest, MissingEmbeddedFileFailsWithoutHarm) {
  const std::string path = PathOf("lib.lct");
  TEasyBase base;
  ASSERT_GE(base.Create(path.c_str()), 0);
  TItemHandler first;
  FillRecord(first, "Singlet", 1);
  ASSERT_EQ(base.AddRecord(first), 0);
  const Bytes before = ReadAll(path);

  TItemHandler handler;
  EXPECT_FALSE(handler.AddItem("system", PathOf("absent.os").c_str(), kItemFile, 1));
  // A file that shrinks between adding and writing cannot fill its item.
  const std::string shrinking = PathOf("shrinking.os");
  WriteAll(shrinking, Bytes(500, 'x'));
  handler.SetName("Broken");
  ASSERT_TRUE(handler.AddItem("system", shrinking.c_str(), kItemFile, 1));
  WriteAll(shrinking, Bytes(10, 'x'));
  EXPECT_EQ(base.AddRecord(handler), -1);
  EXPECT_FALSE(base.ErrorText().empty());
  EXPECT_EQ(handler.Name(), "Broken");  // kept for another try
  EXPECT_EQ(base.count, 1);
  EXPECT_EQ(ReadAll(path), before);

  TEasyBase again;
  ASSERT_GE(again.Open(path.c_str()), 0) << again.ErrorText();
  EXPECT_EQ(again.count, 1);
}

TEST_F(EasyBaseTest, RecordsReadBackCanBeCopiedWithTheirData) {
  const std::string source = PathOf("a.lct");
  const std::string target = PathOf("b.lct");
  TEasyBase a;
  ASSERT_GE(a.Create(source.c_str()), 0);
  TItemHandler handler;
  FillRecord(handler, "Original", 5);
  ASSERT_EQ(a.AddRecord(handler), 0);

  // Into another library, and a second time into the same one.
  TEasyBase b;
  ASSERT_GE(b.Create(target.c_str()), 0);
  ASSERT_EQ(a.ReadRecord(0, handler), 0);
  ASSERT_EQ(b.AddRecord(handler), 0);
  ASSERT_EQ(a.ReadRecord(0, handler), 0);
  handler.SetName("Copy");
  ASSERT_EQ(a.AddRecord(handler), 1);

  for (TEasyBase *base : {&a, &b}) {
    const int index = base == &a ? 1 : 0;
    ASSERT_EQ(base->ReadRecord(index, handler), index);
    double doubles[3] = {};
    ASSERT_TRUE(handler.ReadItemData("curv", kItemDoubles, doubles, sizeof doubles));
    EXPECT_EQ(doubles[0], 7.5);
    char text[16] = {};
    ASSERT_TRUE(handler.ReadItemData("comment", kItemText, text, sizeof text - 1));
    EXPECT_STREQ(text, "lens 5");
  }
}

TEST_F(EasyBaseTest, DeleteAndPackLeaveContiguousRecords) {
  const std::string path = PathOf("lib.lct");
  TEasyBase base;
  ASSERT_GE(base.Create(path.c_str()), 0);
  std::int32_t sizes[5] = {};
  for (int i = 0; i < 5; ++i) {
    TItemHandler handler;
    sizes[i] = FillRecord(handler, "R" + std::to_string(i), i);
    ASSERT_EQ(base.AddRecord(handler), i);
  }
  base.MarkDeleted(2);
  EXPECT_TRUE(base.IsDeleted(2));
  EXPECT_EQ(base.names.data[2], kDeletedRecordName);
  EXPECT_EQ(base.modified, 1);
  // Until packing the record is still in the file, but no search finds it.
  TItemHandler handler;
  EXPECT_EQ(base.FindRecord("R2", handler), -1);
  EXPECT_EQ(base.FindName("R2"), -1);

  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_EQ(base.Pack(nullptr), 0) << base.ErrorText();
  ASSERT_EQ(base.count, 4);
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const Bytes bytes = ReadAll(path);
  EXPECT_EQ(Int32At(bytes, 0), 4);
  const std::int32_t kept[4] = {sizes[0], sizes[1], sizes[3], sizes[4]};
  long at = 4;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(base.positions.data[i], at);
    EXPECT_EQ(Int32At(bytes, static_cast<std::size_t>(at)), kept[i]);
    at += kept[i];
  }
  EXPECT_EQ(static_cast<long>(bytes.size()), at);
  EXPECT_EQ(base.names.data[2], "R3");
  EXPECT_EQ(base.FindRecord("R4", handler), 3);
  std::int32_t ints[2] = {};
  ASSERT_TRUE(handler.ReadItemData("ids", kItemInts, ints, sizeof ints));
  EXPECT_EQ(ints[0], 4);
  EXPECT_EQ(WorkFilesIn(directory), 0);
}

TEST_F(EasyBaseTest, RecordOfExactlyOneBlockSurvivesPacking) {
  const std::string path = PathOf("lib.lct");
  TEasyBase base;
  ASSERT_GE(base.Create(path.c_str()), 0);
  TItemHandler handler;
  handler.SetName("Block");
  Bytes data(1024 - 28 - 15);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i);
  ASSERT_TRUE(
      handler.AddItem("raw", data.data(), kItemBytes, static_cast<std::int32_t>(data.size())));
  EXPECT_EQ(handler.size, 1024);
  ASSERT_EQ(base.AddRecord(handler), 0);
  TItemHandler other;
  FillRecord(other, "Other", 9);
  ASSERT_EQ(base.AddRecord(other), 1);
  base.MarkDeleted(1);
  ASSERT_EQ(base.Pack(""), 0) << base.ErrorText();
  ASSERT_EQ(base.count, 1);
  EXPECT_EQ(fs::file_size(path), 4u + 1024u);
  ASSERT_EQ(base.ReadRecord(0, handler), 0);
  Bytes back(data.size());
  ASSERT_TRUE(handler.ReadItemData("raw", kItemBytes, back.data(), back.size()));
  EXPECT_EQ(back, data);
}

TEST_F(EasyBaseTest, FailedPackKeepsTheLibrary) {
  const std::string path = PathOf("lib.lct");
  TEasyBase base;
  ASSERT_GE(base.Create(path.c_str()), 0);
  for (int i = 0; i < 3; ++i) {
    TItemHandler handler;
    FillRecord(handler, "R" + std::to_string(i), i);
    ASSERT_EQ(base.AddRecord(handler), i);
  }
  base.MarkDeleted(0);
  const Bytes before = ReadAll(path);

  // The work file cannot be made in a missing directory.
  EXPECT_EQ(base.Pack(PathOf("missing/dir/lib.lct").c_str()), -1);
  EXPECT_FALSE(base.ErrorText().empty());
  EXPECT_TRUE(base.IsOpen());
  EXPECT_EQ(base.count, 3);
  EXPECT_TRUE(base.IsDeleted(0));

  // The packed file cannot replace a directory of the same name.
  fs::create_directories(PathOf("taken.lct"));
  EXPECT_EQ(base.Pack(PathOf("taken.lct").c_str()), -1);
  EXPECT_TRUE(base.IsOpen());
  EXPECT_EQ(base.count, 3);
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(WorkFilesIn(directory), 0);
  TItemHandler handler;
  EXPECT_EQ(base.FindRecord("R2", handler), 2);
}

TEST_F(EasyBaseTest, PackIntoAnotherFileMovesTheBaseThere) {
  const std::string path = PathOf("lib.lct");
  const std::string packed = PathOf("packed.lct");
  TEasyBase base;
  ASSERT_GE(base.Create(path.c_str()), 0);
  for (int i = 0; i < 2; ++i) {
    TItemHandler handler;
    FillRecord(handler, "R" + std::to_string(i), i);
    ASSERT_EQ(base.AddRecord(handler), i);
  }
  const Bytes original = ReadAll(path);
  base.MarkDeleted(1);
  ASSERT_EQ(base.Pack(packed.c_str()), 0) << base.ErrorText();
  EXPECT_EQ(base.fileName, packed);
  EXPECT_EQ(base.count, 1);
  EXPECT_EQ(ReadAll(path), original);
}

TEST_F(EasyBaseTest, EmptyAndMissingLibraries) {
  const std::string path = PathOf("new.lct");
  {
    TEasyBase base;
    ASSERT_GE(base.Open(path.c_str()), 0);  // a missing file is created
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(base.count, 0);
  }
  // Created but never given a record: an empty library that takes records.
  TEasyBase base;
  ASSERT_GE(base.Open(path.c_str()), 0) << base.ErrorText();
  EXPECT_EQ(base.count, 0);
  TItemHandler handler;
  EXPECT_EQ(base.ReadRecord(0, handler), -1);
  EXPECT_EQ(base.FindRecord("x", handler), -1);
  FillRecord(handler, "First", 1);
  ASSERT_EQ(base.AddRecord(handler), 0);
  base.Close();
  EXPECT_EQ(base.count, 0);
  EXPECT_EQ(base.ReadRecord(0, handler), -1);  // closed: nothing to read
  EXPECT_EQ(base.AddRecord(handler), -1);
  ASSERT_GE(base.Open(path.c_str()), 0);
  EXPECT_EQ(base.count, 1);
  EXPECT_EQ(base.names.data[0], "First");
}

TEST_F(EasyBaseTest, NamesAreCutToTheirFields) {
  const std::string path = PathOf("lib.lct");
  TEasyBase base;
  ASSERT_GE(base.Create(path.c_str()), 0);
  TItemHandler handler;
  handler.SetName("A name of twenty-five ch");
  EXPECT_EQ(handler.Name(), "A name of twenty-fiv");
  const std::int32_t one = 1;
  ASSERT_TRUE(handler.AddItem("a_very_long_item", &one, kItemInts, 1));
  ASSERT_EQ(base.AddRecord(handler), 0);
  ASSERT_GE(base.Open(path.c_str()), 0) << base.ErrorText();
  EXPECT_EQ(base.names.data[0], "A name of twenty-fiv");  // 20 characters, no terminator
  EXPECT_EQ(base.FindRecord("A name of twenty-fiv", handler), 0);
  EXPECT_EQ(base.FindRecord("A name of twenty-five ch", handler), -1);
  EXPECT_STREQ(handler.items.data[0].name, "a_very_lon");
  std::int32_t back = 0;
  EXPECT_TRUE(handler.ReadItemData("a_very_lon", kItemInts, &back, sizeof back));
  EXPECT_EQ(back, 1);
}

TEST_F(EasyBaseTest, BrokenLibrariesAreRefusedAndLeftAlone) {
  const Bytes good = HandRecord("Good", {{"x", kItemInts, 1, {1, 0, 0, 0}}});
  Bytes sizeBeyondFile = good;
  sizeBeyondFile[0] = 200;
  Bytes itemCountLies = good;
  itemCountLies[24] = 100;
  Bytes itemDataOverflows = HandRecord("Big", {{"x", kItemDoubles, 0x20000000, {}}});
  Bytes sizeTooLarge = HandRecord("Pad", {{"x", kItemBytes, 1, {9}}});
  sizeTooLarge[0] = static_cast<unsigned char>(sizeTooLarge[0] + 1);
  sizeTooLarge.push_back(0);
  Bytes unnamed = HandRecord("", {});
  // Compressed data that stop before the length the header gives.
  Bytes compressed = LzCompress(HandLibrary({good}, 1));
  compressed.resize(compressed.size() - 4);
  Bytes twice = LzCompress(LzCompress(HandLibrary({good}, 1)));

  const std::vector<std::pair<std::string, Bytes>> cases = {
      {"record size beyond the file", HandLibrary({sizeBeyondFile}, 1)},
      {"count that lies", HandLibrary({good}, 5)},
      {"negative count", HandLibrary({good}, -3)},
      {"item count that lies", HandLibrary({itemCountLies}, 1)},
      {"item data beyond the record", HandLibrary({itemDataOverflows}, 1)},
      {"record larger than its items", HandLibrary({sizeTooLarge}, 1)},
      {"record without a name", HandLibrary({unnamed}, 1)},
      {"too short for a count", Bytes{1, 0}},
      {"compressed and cut short", compressed},
      {"compressed twice", twice},
  };
  for (const auto &[what, bytes] : cases) {
    const std::string path = PathOf("broken.lct");
    WriteAll(path, bytes);
    TEasyBase base;
    EXPECT_EQ(base.Open(path.c_str()), -1) << what;
    EXPECT_FALSE(base.ErrorText().empty()) << what;
    EXPECT_FALSE(base.IsOpen()) << what;
    EXPECT_EQ(base.count, 0) << what;
    TItemHandler handler;
    EXPECT_EQ(base.ReadRecord(0, handler), -1) << what;
    EXPECT_EQ(ReadAll(path), bytes) << what;
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(EasyBaseTest, TwentyCharacterNameWithoutTerminatorIsRead) {
  const std::string name = "ABCDEFGHIJKLMNOPQRST";
  const std::string path = PathOf("full.lct");
  WriteAll(path, HandLibrary({HandRecord(name, {{"x", kItemBytes, 2, {5, 6}}})}, 1));
  TEasyBase base;
  ASSERT_GE(base.Open(path.c_str()), 0) << base.ErrorText();
  EXPECT_EQ(base.names.data[0], name);
  TItemHandler handler;
  EXPECT_EQ(base.FindRecord(name.c_str(), handler), 0);
  EXPECT_EQ(base.FindName(name.c_str()), 0);
}

TEST_F(EasyBaseTest, DamagedFilesNeverCrash) {
  const std::string path = PathOf("lib.lct");
  {
    TEasyBase base;
    ASSERT_GE(base.Create(path.c_str()), 0);
    for (int i = 0; i < 4; ++i) {
      TItemHandler handler;
      FillRecord(handler, "R" + std::to_string(i), i);
      ASSERT_EQ(base.AddRecord(handler), i);
    }
  }
  const Bytes original = ReadAll(path);
  const unsigned seed = 1207;
  std::mt19937 random(seed);
  int opened = 0;
  for (int trial = 0; trial < 400; ++trial) {
    Bytes damaged = original;
    if (trial % 4 == 0) {
      damaged.resize(random() % original.size());
    } else {
      for (int flips = 1 + static_cast<int>(random() % 3); flips > 0; --flips)
        damaged[random() % damaged.size()] = static_cast<unsigned char>(random());
    }
    WriteAll(path, damaged);
    TEasyBase base;
    if (base.Open(path.c_str()) < 0) {
      EXPECT_FALSE(base.ErrorText().empty()) << "seed " << seed << " trial " << trial;
      continue;
    }
    ++opened;
    // Whatever opened is consistent: every record reads and every item stays inside it.
    for (int i = 0; i < base.count; ++i) {
      TItemHandler handler;
      ASSERT_EQ(base.ReadRecord(i, handler), i) << "seed " << seed << " trial " << trial;
      for (int k = 0; k < handler.itemCount; ++k) {
        const TItem &item = handler.items.data[k];
        EXPECT_LE(item.position + item.DataSize(), handler.position + handler.size);
      }
    }
  }
  EXPECT_GT(opened, 0);  // flips in data bytes leave a readable library
}

// A pack killed midway leaves its work file (the old fixed name or a unique one); the next
// open of the library removes ours and leaves files of other names alone.
TEST_F(EasyBaseTest, WorkFilesAKilledPackLeftGoAtTheNextOpen) {
  const std::string path = PathOf("lib.lct");
  {
    TEasyBase base;
    ASSERT_GE(base.Create(path.c_str()), 0);
    TItemHandler handler;
    FillRecord(handler, "R0", 0);
    ASSERT_EQ(base.AddRecord(handler), 0);
  }
  const std::string stale[] = {PathOf(kOldPackWorkFileName), PathOf("lib.lct.saving-a1B2c3")};
  for (const std::string &name : stale) WriteAll(name, Bytes(100, 7));
  WriteAll(PathOf("lib.lct.keep"), Bytes(3, 1));
  TEasyBase base;
  ASSERT_GE(base.Open(path.c_str()), 0) << base.ErrorText();
  EXPECT_EQ(WorkFilesIn(directory), 0);
  EXPECT_TRUE(fs::exists(PathOf("lib.lct.keep")));
  // A pack leaves none either.
  base.MarkDeleted(0);
  ASSERT_EQ(base.Pack(nullptr), 0) << base.ErrorText();
  EXPECT_EQ(WorkFilesIn(directory), 0);
}

// A library marked read-only is kept whoever runs the program, the administrator too.
TEST_F(EasyBaseTest, AReadOnlyLibraryRefusesAddForEveryone) {
  const std::string path = PathOf("lib.lct");
  {
    TEasyBase base;
    ASSERT_GE(base.Create(path.c_str()), 0);
  }
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
  const Bytes before = ReadAll(path);
  TEasyBase base;
  ASSERT_GE(base.Open(path.c_str()), 0) << base.ErrorText();
  TItemHandler handler;
  FillRecord(handler, "R0", 0);
  EXPECT_EQ(base.AddRecord(handler), -1);
  EXPECT_NE(base.ErrorText().find("read-only"), std::string::npos) << base.ErrorText();
  EXPECT_EQ(ReadAll(path), before);
}

// A record that does not fit on the disk is refused, saying why.
TEST_F(EasyBaseTest, AFailedAddNamesItsCause) {
  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  const std::string path = disk.PathOf("lib.lct");
  TEasyBase base;
  ASSERT_GE(base.Create(path.c_str()), 0);
  TItemHandler first;
  FillRecord(first, "R0", 0);
  ASSERT_EQ(base.AddRecord(first), 0);
  disk.Fill();
  TItemHandler handler;
  handler.SetName("Big");
  const std::vector<double> values(64 * 1024, 1.0);
  ASSERT_TRUE(handler.AddItem("v", values.data(), kItemDoubles, static_cast<std::int32_t>(values.size())));
  EXPECT_EQ(base.AddRecord(handler), -1);
  EXPECT_NE(base.ErrorText().find(std::strerror(ENOSPC)), std::string::npos) << base.ErrorText();
  EXPECT_EQ(base.count, 1);
}
