#include "optics/glass/glass_catalog.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "foundation/testing/approx.h"
#include "optics/glass/data_file.h"
#include "optics/glass/dgc_file.h"
#include "optics/glass/glass_info.h"
#include "optics/glass/tests/glass_test_support.h"

namespace {

constexpr double kCatalogDigits = 5e-7;

// A directory with a binary catalog "Main" (mixed case on disk), "other" and a private one.
class CatalogDir : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    TDgcGlass crown{"N-BK7", "", CrownRecord()};
    TDgcGlass ge{"Ge", "GERMANIUM", CrownRecord()};
    ASSERT_TRUE(WriteDgcFile(dir_.File("Main.dgc"), {crown, ge}, error)) << error;
    TDgcGlass flint{"F2", "", CrownRecord()};
    ASSERT_TRUE(WriteDgcFile(dir_.File("other.dgc"), {flint}, error)) << error;
    dir_.Write("private.tgc", "\"MY-GLASS\"\nindices\nwl 0.5 0.6\n1.52 1.51\nend\n");
  }
  ScratchDir dir_{"catalog_set"};
};

}  // namespace

TEST_F(CatalogDir, OpensBinaryAndPrivateCatalogs) {
  TGlassCatalog catalogs(dir_.Path(), "main");
  ASSERT_TRUE(catalogs.IsOk()) << catalogs.ErrorText();
  EXPECT_EQ(catalogs.GetGlassCount(), 2);
  EXPECT_FALSE(catalogs.CurrentIsPrivate());
  const auto crown = catalogs.GetGlass("n-bk7");
  ASSERT_TRUE(crown);
  EXPECT_APPROX(crown->IndexAt(0.5875618), 1.516800, kCatalogDigits);
  EXPECT_FALSE(catalogs.GetGlass("MY-GLASS"));

  catalogs.Open("PRIVATE");
  ASSERT_TRUE(catalogs.IsOk()) << catalogs.ErrorText();
  EXPECT_TRUE(catalogs.CurrentIsPrivate());
  const auto mine = catalogs.GetGlass("my-glass");
  ASSERT_TRUE(mine);
  EXPECT_APPROX(mine->IndexAt(0.55), 1.515, 1e-12);
  EXPECT_FALSE(catalogs.GetGlass("N-BK7"));
}

// A record whose values no glass has (a flipped bit in a binary catalog, a mistyped table of
// the private one) is refused by name; every glass of the shipped catalogs, germanium and
// silicon included, is taken.
TEST(GlassCatalog, GlassesWithValuesNoGlassHasAreRefusedByName) {
  ScratchDir dir("implausible");
  const auto damaged = [](auto change) {
    TBaseGlassRecord record = CrownRecord();
    change(record);
    return record;
  };
  const std::pair<TBaseGlassRecord, const char *> cases[] = {
      {damaged([](TBaseGlassRecord &r) { r.a[0] = 2.5e6; }), "the index 1636.64 at 0.3 µm"},
      {damaged([](TBaseGlassRecord &r) { r.beta0 = 1e7f; }), "an index change of"},
      {damaged([](TBaseGlassRecord &r) { r.alfa0 = 3e9f; }), "the expansion 3e+09"},
      {damaged([](TBaseGlassRecord &r) { r.alfa0 = -3e9f; }), "the expansion -3e+09"},
      // Between the range's ends and middle: a pole at 0.77 µm, an index rising in the infrared.
      {damaged([](TBaseGlassRecord &r) { r.a[3] = 0.6; }), "the index "},
      {damaged([](TBaseGlassRecord &r) { r.a[4] = -1.01046945; }), "an index that rises from "},
      // An absorption just short of the range: the index rises over its first step only.
      {damaged([](TBaseGlassRecord &r) { r.a[6] = -1e-3; r.a[7] = 0.088; }), "an index that rises from 1.53821 at 0.3 µm"},
      {damaged([](TBaseGlassRecord &r) { r.maxWavelength = 1e300; }), "the range 0.3 to 1e+300"},
  };
  for (const auto &[record, says] : cases) {
    std::string error;
    ASSERT_TRUE(WriteDgcFile(dir.File("hurt.dgc"), {{"N-LAK21", "", record}, {"N-BK7", "", CrownRecord()}}, error))
        << error;
    TGlassCatalog catalogs(dir.Path(), "hurt");
    EXPECT_FALSE(catalogs.GetGlass("N-LAK21")) << says;
    EXPECT_TRUE(catalogs.GetGlass("N-BK7")) << "the glass is refused, not its catalog";
    const std::string told = catalogs.TakeProblems();
    EXPECT_NE(told.find("the glass N-LAK21 gives " + std::string(says)), std::string::npos) << told;
  }
  // The private catalog's tables are judged as well: a typed index, two wavelengths swapped, a
  // keyword mistyped (no table: the range 0 to 0).
  const std::pair<const char *, const char *> tables[] = {
      {"indices\nwl 0.4 0.5 0.6\n1.53 15.2 1.515\n", "an index that rises from 1.53 at 0.4 µm to 15.2 at 0.5"},
      {"indices\nwl 0.5 0.4 0.6\n1.53 1.52 1.515\n", "the wavelength 0.4 µm after 0.5 µm in its table"},
      {"indicus\nwl 0.4 0.5 0.6\n1.53 1.52 1.515\n", "no table of indices"},
      {"indices\nwl 0.4 0.5 0.6\n7.53 7.52 7.515\n", "the index 7.53 at 0.4 µm"},
      {"indices\nwl 0.5\n0.9\n", "the index 0.9 at 0.5 µm"},
  };
  for (const auto &[table, says] : tables) {
    dir.Write("private.tgc", std::string("\"MINE\"\n") + table + "end\n\"SOUND\"\nindices\nwl 0.5\n1.5\nend\n");
    TGlassCatalog catalogs(dir.Path(), "private");
    EXPECT_FALSE(catalogs.GetGlass("MINE")) << says;
    EXPECT_TRUE(catalogs.GetGlass("SOUND")) << "the glass is refused, not its catalog";
    const std::string told = catalogs.TakeProblems();
    EXPECT_NE(told.find("the glass MINE gives " + std::string(says)), std::string::npos) << told;
  }
  for (const char *name : {"schott", "ohara", "crystal", "misc", "private"}) {
    TGlassCatalog catalogs(std::string(TEST_SOURCE_DIR) + "/../resources/cglass", name);
    ASSERT_TRUE(catalogs.IsOk()) << name;
    TGlassIterator glasses(catalogs.Current()->Index(), catalogs.Current()->IndexSize());
    for (std::string glass = glasses.Next(); !glass.empty(); glass = glasses.Next())
      EXPECT_TRUE(catalogs.GetGlass(glass)) << name << " " << glass;
    EXPECT_EQ(catalogs.TakeProblems(), "") << name;
  }
}

TEST_F(CatalogDir, CachedCatalogsAreNotReadAgain) {
  TGlassCatalog catalogs(dir_.Path(), "main");
  const TDataFile *first = catalogs.Current();
  catalogs.Open("MAIN");
  EXPECT_EQ(catalogs.Current(), first);
  catalogs.Open("other");
  EXPECT_NE(catalogs.Current(), first);
  // Changes on disk stay unseen: the cached copy is used.
  std::remove(dir_.File("Main.dgc").c_str());
  catalogs.Open("main");
  EXPECT_EQ(catalogs.Current(), first);
  EXPECT_TRUE(catalogs.GetGlass("GE"));
}

TEST_F(CatalogDir, MissingCatalogIsReported) {
  TGlassCatalog catalogs(dir_.Path(), "absent");
  EXPECT_FALSE(catalogs.IsOk());
  EXPECT_EQ(catalogs.ErrorText(),
            "GCatalog: Catalog '" + dir_.File("absent.dgc") + "' bad or not found...");
  EXPECT_FALSE(catalogs.GetGlass("N-BK7"));
  EXPECT_EQ(catalogs.GetGlassCount(), 0);
  catalogs.Open("main");
  EXPECT_TRUE(catalogs.IsOk());
  EXPECT_EQ(catalogs.ErrorText(), "");
  TGlassCatalog nothing;
  EXPECT_FALSE(nothing.IsOk());
  EXPECT_FALSE(nothing.GetGlass("N-BK7"));
}

TEST_F(CatalogDir, BadPrivateCatalogCarriesItsParserMessage) {
  const std::string path = dir_.Write("private.tgc", "\"A\"\nindices\nwl 0.5\n");
  TGlassCatalog catalogs(dir_.Path(), "private");
  EXPECT_FALSE(catalogs.IsOk());
  EXPECT_NE(catalogs.ErrorText().find("Lack of the 'end' keyword..."), std::string::npos);
}

TEST_F(CatalogDir, SecondNamesAndListing) {
  TGlassCatalog catalogs(dir_.Path(), "other");
  EXPECT_EQ(catalogs.GetStoredGlassName("main", "ge"), "GERMANIUM");
  EXPECT_EQ(catalogs.GetStoredGlassName("", "germanium"), "GE");
  EXPECT_EQ(catalogs.GetStoredGlassName("", "N-BK7"), "");
  EXPECT_EQ(catalogs.GetStoredGlassName("", "absent"), "");
  TGlassIterator it;
  catalogs.SetIterator(it);
  EXPECT_EQ(it.Next(), "N-BK7");
  EXPECT_EQ(it.Next(), "GE");
  EXPECT_EQ(it.Next(), "");
}

TEST(GlassCatalog, MoreThanTwentyCatalogsEvictTheOldest) {
  ScratchDir dir("catalog_many");
  std::string error;
  for (int i = 0; i < 25; ++i) {
    TDgcGlass g{"G" + std::to_string(i), "", CrownRecord()};
    ASSERT_TRUE(WriteDgcFile(dir.File("c" + std::to_string(i) + ".dgc"), {g}, error)) << error;
  }
  TGlassCatalog catalogs(dir.Path(), "c0");
  for (int i = 1; i < 25; ++i) {
    catalogs.Open("c" + std::to_string(i));
    ASSERT_TRUE(catalogs.IsOk()) << i;
    EXPECT_TRUE(catalogs.GetGlass("G" + std::to_string(i))) << i;
  }
  // The first catalog was evicted and is read again from disk.
  catalogs.Open("c0");
  EXPECT_TRUE(catalogs.GetGlass("G0"));
}
