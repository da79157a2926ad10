// Damaged catalog files of every kind are refused or read in part, never crash.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>
#include <string>

#include "optics/glass/dgc_file.h"
#include "optics/glass/glass_catalog.h"
#include "optics/glass/glass_info.h"
#include "optics/glass/tests/glass_test_support.h"
#include "optics/glass/tgc_file.h"

namespace {

constexpr unsigned kSeed = 20261207u;

}  // namespace

TEST(GlassRobustness, RandomlyDamagedBinaryCatalogs) {
  std::printf("seed %u\n", kSeed);
  ScratchDir dir("robust_dgc");
  std::string error;
  std::vector<TDgcGlass> set;
  for (int i = 0; i < 12; ++i) set.push_back({"G" + std::to_string(i), "", CrownRecord()});
  ASSERT_TRUE(WriteDgcFile(dir.File("good.dgc"), set, error)) << error;
  std::FILE *in = std::fopen(dir.File("good.dgc").c_str(), "rb");
  ASSERT_NE(in, nullptr);
  std::string bytes;
  for (int c = std::fgetc(in); c != EOF; c = std::fgetc(in)) bytes.push_back(static_cast<char>(c));
  std::fclose(in);
  std::mt19937 random(kSeed);
  int usable = 0;
  for (int round = 0; round < 300; ++round) {
    std::string damaged = bytes;
    const int hits = 1 + static_cast<int>(random() % 6);
    for (int k = 0; k < hits; ++k)
      damaged[random() % damaged.size()] = static_cast<char>(random() & 0xFF);
    if (round % 7 == 0) damaged.resize(random() % damaged.size());
    const TBaseDataFile file(dir.Write("bad.dgc", damaged));
    if (!file.IsOk()) continue;
    ++usable;
    for (int i = 0; i < 12; ++i) {
      const auto record = file.GetRecord("G" + std::to_string(i));
      if (record) TBaseGlassInfo(*record).IndexAt(0.55);
    }
  }
  EXPECT_GT(usable, 0);  // damage inside the records leaves a readable index
}

TEST(GlassRobustness, RandomTextAsPrivateCatalog) {
  std::printf("seed %u\n", kSeed);
  ScratchDir dir("robust_tgc");
  const std::string pieces[] = {
      "\"A\"", "\"B\"", "indices", "hrz", "spl",     "wl",   "th", "t",  "transmittance",
      "P",     "Alfa",  "Beta",    "end", "1.5",     "-0.5", "x",  ";;", "\n",
      "\n",    " ",     "\"",      "7",   "\xC2\xA0"};
  std::mt19937 random(kSeed);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 120);
    for (int k = 0; k < length; ++k) {
      text += pieces[random() % std::size(pieces)];
      text += ' ';
    }
    dir.Write("private.tgc", text);
    TGlassCatalog catalogs(dir.Path(), "private");
    if (catalogs.IsOk()) {
      for (const char *name : {"A", "B"}) {
        const auto glass = catalogs.GetGlass(name);
        if (glass) {
          glass->IndexAt(0.55);
          glass->GetP();
        }
      }
    } else {
      EXPECT_FALSE(catalogs.GetGlass("A"));
    }
  }
}

namespace {

// One flipped bit anywhere in a shipped catalog: every glass the damaged copy still gives
// has the indices of the whole one over its range (the binary catalog exactly, the text one
// within `unseen`: a flip in a last decimal is no damage); a glass's damage costs that glass
// alone. In a text catalog a digit turned into another in a wavelength or at either end of
// a table is passed over: a table that still falls where a digit changed (its last index a
// little lower) is one any glass may have. Returns how many of the copies were named damaged.
int FlippedCopiesNamed(const std::string &catalog, const std::string &fileName, double unseen, int rounds) {
  std::printf("seed %u\n", kSeed);
  const std::string shipped = std::string(TEST_SOURCE_DIR) + "/../resources/cglass";
  TGlassCatalog whole(shipped, catalog);
  EXPECT_TRUE(whole.IsOk()) << catalog;
  if (!whole.IsOk()) return 0;
  std::vector<std::string> names;
  TGlassIterator glasses(whole.Current()->Index(), whole.Current()->IndexSize());
  for (std::string glass = glasses.Next(); !glass.empty(); glass = glasses.Next()) names.push_back(glass);
  std::FILE *in = std::fopen((shipped + "/" + fileName).c_str(), "rb");
  EXPECT_NE(in, nullptr);
  std::string bytes;
  for (int c = std::fgetc(in); in != nullptr && c != EOF; c = std::fgetc(in)) bytes.push_back(static_cast<char>(c));
  if (in != nullptr) std::fclose(in);
  const std::string copy = catalog == "private" ? "private" : "flip";
  const std::string copyFile = copy + fileName.substr(fileName.find('.'));
  ScratchDir dir("flipped");
  std::mt19937 random(kSeed);
  int named = 0;
  for (int round = 0; round < rounds; ++round) {
    std::string damaged = bytes;
    const std::size_t at = random() % damaged.size();
    damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
    dir.Write(copyFile, damaged);
    TGlassCatalog catalogs(dir.Path(), copy);
    const auto digit = [](char c) { return (c >= '0' && c <= '9') || c == '.'; };
    std::size_t first = at, last = at;
    while (first > 0 && digit(bytes[first - 1])) --first;
    while (last < bytes.size() && digit(bytes[last])) ++last;
    const std::size_t line = bytes.rfind('\n', at) + 1;
    const std::size_t before = bytes.find_last_not_of(" \n", first - 1);
    const std::size_t after = bytes.find_first_not_of(" \n", last);
    const bool tableEnd = bytes.compare(line, 3, "wl ") == 0 ||
                          (before != std::string::npos && bytes.compare(bytes.rfind('\n', before) + 1, 3, "wl ") == 0 &&
                           bytes.find('\n', before) < first) ||
                          after == std::string::npos || !digit(bytes[after]);
    const bool anotherDigit = unseen > 0.0 && digit(bytes[at]) && digit(damaged[at]) && tableEnd;
    int given = 0;
    for (const std::string &name : names) {
      const auto flipped = catalogs.GetGlass(name);
      if (!flipped) continue;
      ++given;
      if (anotherDigit) continue;
      const auto sound = whole.GetGlass(name);
      for (int k = 0; k <= 64; ++k) {
        const double wavelength = sound->MinWavelength() + (sound->MaxWavelength() - sound->MinWavelength()) * k / 64;
        EXPECT_NEAR(flipped->IndexAt(wavelength), sound->IndexAt(wavelength), unseen)
            << "byte " << at << " of " << fileName << ", " << name << " at " << wavelength;
      }
    }
    const std::string told = catalogs.TakeProblems();
    if (!told.empty()) ++named;
    if (told.find("the glass ") != std::string::npos) {
      EXPECT_GE(given, static_cast<int>(names.size()) - 2) << told;
    }
  }
  return named;
}

}  // namespace

TEST(GlassRobustness, NoFlippedBitChangesAnIndexWithoutAWord) {
  EXPECT_GT(FlippedCopiesNamed("schott", "schott.dgc", 0.0, 400), 200);  // the records fill most of the file
  FlippedCopiesNamed("private", "private.tgc", 1e-3, 400);
}
