// Damaged catalog files of every kind are refused or read in part, never crash.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
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
