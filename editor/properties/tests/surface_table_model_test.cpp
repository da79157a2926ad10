// The surfaces table of the system's properties: each edit changes the system as the
// optics say it should, takes one undo step and comes back with Undo; bad entries are
// refused with a message and change nothing.

#include "editor/properties/surface_table_model.h"

#include <cmath>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

#include "document/system/tests/editor_test_support.h"

namespace {

// Vertex positions are moved by sums of the file's values: rounding only.
constexpr double kPlacement = 1e-12;

class SurfaceTableTest : public EditorTest {
 protected:
  void OpenForEditing(const std::string &example) {
    Open(image, example);
    image.RebuildElements(nullptr);
    image.StoreConfiguration(-1);
    image.DeleteUndoFiles();
    ASSERT_EQ(image.SaveUndo(""), 1);
  }
  std::string Written() {
    const std::string path = Scratch("written.os");
    EXPECT_EQ(image.Save(path), 1);
    return ReadText(path);
  }
  TSystemImage image;
};

// Every gap of every example lengthened in turn: a save writes each place with the fewest
// digits that give it (sums of the file's short values and the typed one), never with the
// rounding of the move (0.999970000000005 for 0.99997); without tilts the edited record
// alone changes.
TEST_F(SurfaceTableTest, AnEditLeavesTheTextOfEveryPlaceItMovesShort) {
  const std::regex longPlace(R"((^\{|dX\(|Image=).*\.[0-9]{9})");
  for (const auto &entry : std::filesystem::directory_iterator(ExamplePath(""))) {
    if (entry.path().extension() != ".os") continue;
    OpenForEditing(entry.path().filename().string());
    bool tilted = false;
    for (int i = 0; i < image.SurfaceCount(); ++i) tilted = tilted || image.Surface(i)->tilted != 0;
    for (int row = 0; row + 2 < image.SurfaceCount(); ++row) {
      std::istringstream was(Written());
      char typed[32];
      std::snprintf(typed, sizeof typed, "%.6g", SurfaceThickness(image, row) + 0.37);
      if (!EditSurfaceCell(image, row, kThicknessColumn, typed).accepted) continue;
      std::istringstream is(Written());
      int changed = 0;
      for (std::string a, b; std::getline(was, a) && std::getline(is, b); changed += a != b && a[0] == '{')
        EXPECT_FALSE(std::regex_search(b, longPlace)) << entry.path() << " row " << row << ": " << b;
      EXPECT_TRUE(tilted || changed == 1) << entry.path() << " row " << row << ": " << changed;
    }
  }
}

TEST_F(SurfaceTableTest, ARadiusEditIsOneUndoStepAndUndoBringsTheRadiusBack) {
  OpenForEditing("cooke_triplet.os");
  EXPECT_EQ(SurfaceCellText(image, 1, kRadiusColumn), "22.01359");
  const TPropertyEdit edit = EditSurfaceCell(image, 1, kRadiusColumn, " 30 ");
  ASSERT_TRUE(edit.accepted) << edit.message;
  EXPECT_EQ(image.Surface(1)->general.R, 30.0);
  EXPECT_APPROX(image.Surface(1)->general.curvature, 1.0 / 30.0, kPlacement);
  EXPECT_EQ(image.HasUnsavedChanges(), 1);
  EXPECT_EQ(image.UndoMenuText(), "Undo Radius of surface 2 (ctrl-Z)");
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(image.Surface(1)->general.R, 22.01359);
  // A flat surface is typed as 0 or "flat", and its type follows.
  ASSERT_TRUE(EditSurfaceCell(image, 2, kRadiusColumn, "flat").accepted);
  EXPECT_EQ(image.Surface(2)->general.R, 0.0);
  EXPECT_EQ(image.Surface(2)->general.type, kSurfacePlane);
}

TEST_F(SurfaceTableTest, AThicknessEditMovesEveryLaterSurfaceAlongTheAxis) {
  OpenForEditing("cooke_triplet.os");
  const std::vector<DPOINT3> before = Vertices(image);
  // The air space behind the first lens, 6.00755 in the file.
  EXPECT_APPROX(SurfaceThickness(image, 2), 6.00755, kPlacement);
  ASSERT_TRUE(EditSurfaceCell(image, 2, kThicknessColumn, "8").accepted);
  const std::vector<DPOINT3> after = Vertices(image);
  const double shift = 8.0 - 6.00755;
  for (int i = 0; i < image.SurfaceCount(); ++i) {
    EXPECT_APPROX(after[i].x, before[i].x + (i >= 3 ? shift : 0.0), kPlacement) << i;
    EXPECT_EQ(after[i].y, before[i].y) << i;
  }
  // The other spaces keep their lengths.
  EXPECT_APPROX(SurfaceThickness(image, 3), 0.99997, kPlacement);
  EXPECT_APPROX(SurfaceThickness(image, 6), 42.20778, kPlacement);
  // The image surface has no thickness to give.
  EXPECT_FALSE(SurfaceCellEditable(image, image.SurfaceCount() - 1, kThicknessColumn));
  EXPECT_EQ(SurfaceCellText(image, image.SurfaceCount() - 1, kThicknessColumn), "");
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_APPROX(Vertices(image)[7].x, before[7].x, kPlacement);
}

TEST_F(SurfaceTableTest, BehindAFoldMirrorTheNextSurfaceMovesAlongTheBeam) {
  OpenForEditing("fold_mirror.os");
  // The focus lies 27.5362 from the mirror along -y.
  const double distance = 27.5362;
  const double before = SurfaceThickness(image, 3);
  EXPECT_APPROX(std::fabs(before), distance, kPlacement);
  ASSERT_TRUE(EditSurfaceCell(image, 3, kThicknessColumn, FormatPropertyNumber(before * 30.0 / distance, 17)).accepted);
  const DPOINT3 focus = Vertices(image)[4];
  EXPECT_APPROX(focus.x, 35.0, kPlacement);
  EXPECT_APPROX(focus.y, -30.0, kPlacement);
}

TEST_F(SurfaceTableTest, BadEntriesAreRefusedWithAClearMessageAndChangeNothing) {
  OpenForEditing("cooke_triplet.os");
  const std::string written = Written();
  const int undoIndex = image.options.undoIndex;
  struct TCase {
    int row, column;
    const char *text;
    const char *says;
  };
  const TCase cases[] = {
      {1, kRadiusColumn, "abc", "\"abc\" is not a number"},
      {1, kRadiusColumn, "", "is not a number"},
      {1, kRadiusColumn, "1e7", "too large"},
      // Surface 2 is N-SK16 behind: a lens of no thickness.
      {1, kThicknessColumn, "0", "cannot be 0 thick"},
      {1, kThicknessColumn, "3,2x", "is not a number"},
      {1, kSemiHeightColumn, "-1", "greater than 0"},
      {1, kSemiHeightColumn, "0", "greater than 0"},
      // A sphere of radius 22.01359 reaches no further than 22.01359 from its axis.
      {1, kSemiHeightColumn, "22.1", "does not reach the semi-height"},
      {1, kRadiusColumn, "9.5", "does not reach the semi-height 10"},
      // An oblate ellipsoid (Ex < 0) reaches less: R^2 < (1 - Ex) h^2 for Ex = -5.
      {1, kConicColumn, "-5", "does not reach"},
      {1, kGlassColumn, "no such glass", "in none of the glass catalogs"},
      // Names with '_' are found; a glass that does not reach the working wavelength says so.
      {1, kGlassColumn, "ZINC_SELENIDE", "several catalogs: zinc_selenide_crystal, zinc_selenide_misc"},
      {7, kThicknessColumn, "5", "cannot be changed here"},
      {20, kRadiusColumn, "5", "no surface 21"},
  };
  for (const TCase &c : cases) {
    const TPropertyEdit edit = EditSurfaceCell(image, c.row, c.column, c.text);
    EXPECT_FALSE(edit.accepted) << c.text;
    EXPECT_NE(edit.message.find(c.says), std::string::npos) << c.text << ": " << edit.message;
  }
  EXPECT_EQ(Written(), written);
  EXPECT_EQ(image.options.undoIndex, undoIndex);
  // At the limit the sphere still reaches the height; an air space may be 0.
  EXPECT_TRUE(EditSurfaceCell(image, 1, kSemiHeightColumn, "22.01359").accepted);
  EXPECT_TRUE(EditSurfaceCell(image, 2, kThicknessColumn, "0").accepted);
  EXPECT_APPROX(SurfaceThickness(image, 2), 0.0, kPlacement);
  // Glass cannot go into that space now: it would be 0 thick.
  const TPropertyEdit glass = EditSurfaceCell(image, 2, kGlassColumn, "F2_schott");
  EXPECT_FALSE(glass.accepted);
  EXPECT_NE(glass.message.find("0 thick"), std::string::npos) << glass.message;
}

TEST_F(SurfaceTableTest, GlassAndConicEditsChangeTheMaterialShapeAndElements) {
  OpenForEditing("cooke_triplet.os");
  const int lenses = image.ElementCount();
  // The first lens becomes air: its two faces stand alone as single surfaces, and there is
  // no index step at them.
  ASSERT_TRUE(EditSurfaceCell(image, 1, kGlassColumn, "Air").accepted);
  EXPECT_EQ(SurfaceCellText(image, 1, kGlassColumn), "");
  EXPECT_EQ(image.ElementCount(), lenses + 1);
  EXPECT_EQ(image.Surface(1)->general.nAfter, 1.0);
  ASSERT_TRUE(EditSurfaceCell(image, 1, kGlassColumn, "N-SK16_schott").accepted);
  EXPECT_EQ(image.ElementCount(), lenses);
  EXPECT_GT(image.Surface(1)->general.nAfter, 1.5);
  ASSERT_TRUE(EditSurfaceCell(image, 5, kGlassColumn, "mirror").accepted);
  EXPECT_EQ(image.Surface(5)->general.materialKind, 1);
  EXPECT_EQ(SurfaceCellText(image, 5, kGlassColumn), "refl");
  // A medium may be given by its index alone.
  ASSERT_TRUE(EditSurfaceCell(image, 5, kGlassColumn, "1.6").accepted);
  EXPECT_EQ(image.Surface(5)->general.materialKind, 0);
  EXPECT_APPROX(std::fabs(image.Surface(5)->general.nAfter), 1.6, kPlacement);
  EXPECT_EQ(SurfaceCellText(image, 2, kGlassColumn), "");
  // Names are kept in lower case, as the system file reader keeps them.
  EXPECT_EQ(SurfaceCellText(image, 3, kGlassColumn), "f2_schott");
  // A paraboloid (Ex = 1) reaches every height; the type follows the conic term.
  ASSERT_TRUE(EditSurfaceCell(image, 1, kConicColumn, "1").accepted);
  EXPECT_EQ(image.Surface(1)->general.type, kSurfaceAspheric2);
  EXPECT_TRUE(EditSurfaceCell(image, 1, kSemiHeightColumn, "30").accepted);
  EXPECT_FALSE(EditSurfaceCell(image, 1, kConicColumn, "0").accepted);
  ASSERT_TRUE(EditSurfaceCell(image, 1, kSemiHeightColumn, "10").accepted);
  ASSERT_TRUE(EditSurfaceCell(image, 1, kConicColumn, "0").accepted);
  EXPECT_EQ(image.Surface(1)->general.type, kSurfaceSphere);
}

}  // namespace

namespace {

TEST_F(SurfaceTableTest, AGlassTypedWithoutItsCatalogIsFoundWhenOneCatalogHoldsIt) {
  OpenForEditing("cooke_triplet.os");
  // N-LAK9 is in the Schott catalog alone: stored as files store it, with its catalog.
  TPropertyEdit edit = EditSurfaceCell(image, 1, kGlassColumn, "N-LAK9");
  ASSERT_TRUE(edit.accepted) << edit.message;
  EXPECT_EQ(SurfaceCellText(image, 1, kGlassColumn), "n-lak9_schott");
  EXPECT_NE(Written().find("Glass=\"n-lak9_schott\""), std::string::npos);
  // A plain index and a name typed as stored are taken as they are.
  ASSERT_TRUE(EditSurfaceCell(image, 1, kGlassColumn, "1.6").accepted);
  ASSERT_TRUE(EditSurfaceCell(image, 1, kGlassColumn, "N-BK7_misc").accepted);
  EXPECT_EQ(SurfaceCellText(image, 1, kGlassColumn), "n-bk7_misc");
  ASSERT_TRUE(EditSurfaceCell(image, 1, kGlassColumn, "FUSED_SILICA_crystal").accepted);
  // A glass whose data do not reach a wavelength of the system is taken with a word, or
  // refused with its range where it gives no index at the working wavelength.
  const TPropertyEdit ge = EditSurfaceCell(image, 1, kGlassColumn, "Ge_crystal");
  EXPECT_TRUE(ge.accepted);
  EXPECT_NE(ge.message.find("ge_crystal gives indices from 2 to 14 µm only, not at 0.48, 0.55, 0.65 µm"),
            std::string::npos) << ge.message;
  OpenForEditing("germanium_ir_lens.os");
  edit = EditSurfaceCell(image, 1, kGlassColumn, "N-BK7_schott");
  EXPECT_NE(edit.message.find("n-bk7_schott gives indices from 0.3 to 2.5 µm only; the system works at 10 µm"),
            std::string::npos) << edit.message;
}

TEST_F(SurfaceTableTest, AGlassHeldBySeveralCatalogsIsRefusedWithTheirNames) {
  OpenForEditing("cooke_triplet.os");
  // N-BK7 is in the Schott catalog and, as a copy, in the misc one.
  const std::string before = Written();
  const TPropertyEdit edit = EditSurfaceCell(image, 1, kGlassColumn, "N-BK7");
  EXPECT_FALSE(edit.accepted);
  EXPECT_NE(edit.message.find("several catalogs: n-bk7_misc, n-bk7_schott"), std::string::npos) << edit.message;
  EXPECT_EQ(Written(), before);
}

}  // namespace

namespace {

TEST_F(SurfaceTableTest, AThicknessThatMakesSurfacesCrossIsKeptWithAWarningOfTheHeight) {
  OpenForEditing("cooke_triplet.os");
  // A lens of R = 20 in front of a plane: 1 mm thick at the axis, its faces meet where the
  // sphere's sag is 1, at h = sqrt(20^2 - 19^2) = sqrt(39).
  ASSERT_TRUE(EditSurfaceCell(image, 1, kRadiusColumn, "20").accepted);
  ASSERT_TRUE(EditSurfaceCell(image, 2, kRadiusColumn, "0").accepted);
  const TPropertyEdit thin = EditSurfaceCell(image, 1, kThicknessColumn, "1");
  ASSERT_TRUE(thin.accepted) << thin.message;
  EXPECT_APPROX(SurfaceThickness(image, 1), 1.0, kPlacement);
  const std::string height = FormatPropertyNumber(std::sqrt(39.0), 4);
  EXPECT_NE(thin.message.find("Surfaces 2 and 3 cross at a height of " + height), std::string::npos) << thin.message;
  // Thick enough to clear the semi-height: no word.
  const TPropertyEdit thick = EditSurfaceCell(image, 1, kThicknessColumn, "6");
  ASSERT_TRUE(thick.accepted);
  EXPECT_EQ(thick.message, "");
}

// The double Gauss's air spaces (rows, from the file: behind surfaces 1, 3, 6, 7, 10 and
// 12, the last the image distance), which each configuration keeps as its own.
constexpr int kAirRows[] = {0, 2, 5, 6, 9, 11};
// Gaps are sums and differences of the file's values and offsets near 100: rounding only.
constexpr double kGapRoundOff = 1e-9;

class SharedValueTest : public SurfaceTableTest {
 protected:
  // Three configurations of the double Gauss, each with gaps of its own: the second brings
  // the image to 60 and opens the gap behind the front lens to 1.5, the third (a copy of
  // the second) opens the space behind the stop to 10 and brings the image to 65.
  void OpenThree() {
    OpenForEditing("double_gauss.os");
    image.InsertConfiguration(0);
    ASSERT_TRUE(EditSurfaceCell(image, 11, kThicknessColumn, "60").accepted);
    ASSERT_TRUE(EditSurfaceCell(image, 2, kThicknessColumn, "1.5").accepted);
    image.InsertConfiguration(1);
    ASSERT_TRUE(EditSurfaceCell(image, 6, kThicknessColumn, "10").accepted);
    ASSERT_TRUE(EditSurfaceCell(image, 11, kThicknessColumn, "65").accepted);
    ASSERT_EQ(image.ConfigurationCount(), 3);
  }
  // What `read` reads in every configuration, the shown configuration shown again afterwards.
  template <typename TRead>
  static auto InEach(TSystemImage &system, TRead read) {
    const int shown = system.currentConfiguration;
    std::vector<decltype(read())> values;
    for (int k = 0; k < system.ConfigurationCount(); ++k) {
      EXPECT_EQ(system.SelectConfiguration(k), 1);
      values.push_back(read());
    }
    system.SelectConfiguration(shown);
    return values;
  }
  static std::vector<std::vector<double>> Gaps(TSystemImage &system) {
    return InEach(system, [&system] {
      std::vector<double> gaps;
      for (int row : kAirRows) gaps.push_back(SurfaceThickness(system, row));
      return gaps;
    });
  }
  static void ExpectSameGaps(TSystemImage &system, const std::vector<std::vector<double>> &expected) {
    const std::vector<std::vector<double>> actual = Gaps(system);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k)
      for (std::size_t g = 0; g < expected[k].size(); ++g)
        EXPECT_APPROX(actual[k][g], expected[k][g], kGapRoundOff)
            << "configuration " << k + 1 << ", gap behind surface " << kAirRows[g] + 1;
  }
};

// A radius, a glass or a lens thickness is every configuration's: edited in any of them it
// reads the same in all, and every configuration keeps its own air spaces and image
// distance, in the editor and after Save and Open.
TEST_F(SharedValueTest, ASharedValueEditedInOneConfigurationKeepsEveryConfigurationsGaps) {
  const struct {
    int row, column;
    const char *text;
  } cases[] = {
      {3, kRadiusColumn, "36"},         {4, kGlassColumn, "n-sf2_schott"}, {1, kThicknessColumn, "9"},
      {8, kThicknessColumn, "12"},      {10, kThicknessColumn, "8"},       {4, kThicknessColumn, "2.5"},
  };
  for (const auto &edit : cases) {
    for (int shown = 0; shown < 3; ++shown) {
      SCOPED_TRACE("surface " + std::to_string(edit.row + 1) + " column " + std::to_string(edit.column) +
                   " edited in configuration " + std::to_string(shown + 1));
      image.Clear();
      OpenThree();
      ASSERT_EQ(image.SelectConfiguration(shown), 1);
      const std::vector<std::vector<double>> before = Gaps(image);
      const TPropertyEdit result = EditSurfaceCell(image, edit.row, edit.column, edit.text);
      ASSERT_TRUE(result.accepted) << result.message;
      EXPECT_EQ(result.message, "");
      EXPECT_EQ(image.currentConfiguration, shown);
      const std::string typed = SurfaceCellText(image, edit.row, edit.column);
      const auto cell = [&edit](TSystemImage &system) {
        return InEach(system, [&] { return SurfaceCellText(system, edit.row, edit.column); });
      };
      EXPECT_EQ(cell(image), std::vector<std::string>(3, typed));
      ExpectSameGaps(image, before);

      ASSERT_EQ(image.Save(Scratch("shared.os")), 1);
      TSystemImage reopened;
      ASSERT_EQ(reopened.Load(Scratch("shared.os"), 2), 1);
      reopened.Update();
      ASSERT_EQ(reopened.ConfigurationCount(), 3);
      EXPECT_EQ(cell(reopened), std::vector<std::string>(3, typed));
      ExpectSameGaps(reopened, before);
    }
  }
}

}  // namespace
