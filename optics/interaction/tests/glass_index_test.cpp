#include "optics/interaction/glass_index.h"

#include <gtest/gtest.h>

#include "foundation/testing/approx.h"
#include "foundation/testing/comma_locale.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "optics/glass/tests/glass_test_support.h"
#include "platform/core/recording_providers.h"

namespace {

constexpr double kExact = 1e-15;
// Index in air at the catalog's own reference conditions: the table value, interpolated.
constexpr double kCatalogIndex = 1e-6;

double FakeCatalog(const std::string &glass, const std::string &catalog, double wavelength, double,
                   double, int &found) {
  found = 0;
  if (catalog != "ours") return 0.0;
  if (glass == "CROWN") {
    found = 1;
    return 1.5 + 0.01 / (wavelength * wavelength);
  }
  if (glass == "ODD") {  // a model that answers a negative index
    found = 1;
    return -1.7;
  }
  if (glass == "OPAQUE") {  // present, but its formula gives no index at this wavelength
    found = 1;
    return 0.0;
  }
  return 0.0;
}

class GlassIndex : public ::testing::Test {
 protected:
  void SetUp() override { SetGlassIndexSource(FakeCatalog); }
  void TearDown() override { SetGlassIndexSource(nullptr); }
};

TEST_F(GlassIndex, NumbersRefAndAir) {
  double n = 1.0;
  EXPECT_EQ(ParseGlassIndex("1.62", 0.54, 20.0, 760.0, n), 1);
  EXPECT_APPROX(n, 1.62, kExact);
  n = -1.0;  // behind a mirror: the sign stays
  EXPECT_EQ(ParseGlassIndex("1.62", 0.54, 20.0, 760.0, n), 1);
  EXPECT_APPROX(n, -1.62, kExact);
  n = -1.0;
  EXPECT_EQ(ParseGlassIndex("ReFl", 0.54, 20.0, 760.0, n), 1);
  EXPECT_APPROX(n, -1.0, kExact);
  n = 1.7;
  EXPECT_EQ(ParseGlassIndex("", 0.54, 20.0, 760.0, n), 0);
  EXPECT_APPROX(n, 1.0, kExact);
  n = 1.7;
  EXPECT_EQ(ParseGlassIndex("12", 0.54, 20.0, 760.0, n), 0);  // out of [1, 10]
  EXPECT_APPROX(n, 1.0, kExact);
  n = 1.7;
  EXPECT_EQ(ParseGlassIndex("mirror", 0.54, 20.0, 760.0, n), 0);
  EXPECT_APPROX(n, 1.0, kExact);
  // An index is the whole name, blanks after it aside (the name the editor gives it).
  EXPECT_EQ(ParseGlassIndex("1.6 crown", 0.54, 20.0, 760.0, n), 0);
  EXPECT_APPROX(n, 1.0, kExact);
  EXPECT_EQ(ParseGlassIndex("1.600000 ", 0.54, 20.0, 760.0, n), 1);
  EXPECT_APPROX(n, 1.6, kExact);
}

TEST_F(GlassIndex, AnIndexNameKeepsItsPointUnderADecimalCommaLocale) {
  TCommaLocale comma;
  SKIP_WITHOUT_COMMA_LOCALE(comma);
  double n = 1.0;
  // Read as 1 the glass became air and the name was saved as "1,000000".
  EXPECT_EQ(ParseGlassIndex("1.5", 0.54, 20.0, 760.0, n), 1);
  EXPECT_APPROX(n, 1.5, kExact);
}

TEST_F(GlassIndex, CatalogGlasses) {
  double n = 1.0;
  EXPECT_EQ(ParseGlassIndex("CROWN_ours", 0.5, 20.0, 760.0, n), 1);
  EXPECT_APPROX(n, 1.54, kExact);
  TRecordingMessageBoxProvider recorder;
  EXPECT_EQ(ParseGlassIndex("CROWN_ours", 0.5, 20.0, 760.0, n), 1);
  EXPECT_TRUE(recorder.beeps.empty());
  n = 1.3;
  EXPECT_EQ(ParseGlassIndex("ODD_ours", 0.5, 20.0, 760.0, n), 1);
  EXPECT_APPROX(n, 1.7, kExact);
  ASSERT_EQ(recorder.beeps.size(), 1u);  // a negative model index is used but beeped
  EXPECT_EQ(recorder.beeps[0], 0xFFFFFFFFu);
  n = 1.3;
  EXPECT_EQ(ParseGlassIndex("FLINT_ours", 0.5, 20.0, 760.0, n), 0);
  EXPECT_APPROX(n, 1.0, kExact);
  SetGlassIndexSource(nullptr);  // back to the program's catalog set, which is absent here
  ASSERT_EQ(GetGlassCatalog(), nullptr);
  n = 1.3;
  EXPECT_EQ(ParseGlassIndex("CROWN_ours", 0.5, 20.0, 760.0, n), 0);
  EXPECT_APPROX(n, 1.0, kExact);
}

// A glass whose model cannot give an index at the wavelength (n^2 <= 0, no table) must not
// leave the surface with the index of an earlier wavelength and a report of success: it is
// reported like an absent glass, with index 1.
TEST_F(GlassIndex, GlassWithoutAnIndexAtTheWavelengthIsReported) {
  double n = 1.0;
  ASSERT_EQ(ParseGlassIndex("CROWN_ours", 0.5, 20.0, 760.0, n), 1);
  ASSERT_APPROX(n, 1.54, kExact);
  EXPECT_EQ(ParseGlassIndex("OPAQUE_ours", 0.5, 20.0, 760.0, n), 0);
  EXPECT_APPROX(n, 1.0, kExact);
  n = -1.54;  // behind a mirror the sign stays, as for an absent glass
  EXPECT_EQ(ParseGlassIndex("OPAQUE_ours", 0.5, 20.0, 760.0, n), 0);
  EXPECT_APPROX(n, -1.0, kExact);
}

// Through the program's catalog set: the private text catalog of a scratch directory.
TEST(GlassIndexCatalogSet, LooksTheGlassUpInTheNamedCatalog) {
  ScratchDir dir("glass_index");
  dir.Write("private.tgc", "\"MY-GLASS\"\nindices\nwl 0.5 0.6\n1.52 1.51\nend\n");
  TGlassCatalog catalogs(dir.Path(), "private");
  SetGlassIndexSource(nullptr);
  SetGlassCatalog(&catalogs);
  double n = -1.0;  // a mirror-reversed medium keeps its sign
  EXPECT_EQ(ParseGlassIndex("my-glass_private", 0.55, 20.0, 760.0, n), 1);
  EXPECT_APPROX(n, -1.515, kCatalogIndex);
  n = 1.0;
  EXPECT_EQ(ParseGlassIndex("NONE_private", 0.55, 20.0, 760.0, n), 0);
  EXPECT_EQ(ParseGlassIndex("MY-GLASS_absent", 0.55, 20.0, 760.0, n), 0);
  SetGlassCatalog(nullptr);
}

}  // namespace
