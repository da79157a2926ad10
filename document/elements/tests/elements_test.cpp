#include "document/elements/edit_path.h"
#include "document/elements/element_grouping.h"
#include "document/system/tests/editor_test_support.h"

namespace {

// Positions are sums of a few exact steps: nothing but the last bit may differ.
constexpr double kPositionRoundOff = 1e-12;

int FirstIndex(const TSystemImage &image, int e) {
  return image.IndexOfSurface(image.elements.data[e].FirstSurface());
}

using ElementsTest = EditorTest;

TEST_F(ElementsTest, GlassJoinsSurfacesIntoElementsAndMirrorsStandAlone) {
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  ASSERT_EQ(triplet.ElementCount(), 3);
  for (int e = 0; e < 3; ++e) {
    EXPECT_EQ(triplet.elements.data[e].SurfaceCount(), 2) << e;
    EXPECT_EQ(FirstIndex(triplet, e), 1 + 2 * e) << e;
  }
  TSystemImage achromat;
  Open(achromat, "achromat.os");
  ASSERT_EQ(achromat.ElementCount(), 1);
  EXPECT_EQ(achromat.elements.data[0].SurfaceCount(), 3);

  // The fold mirror behind the singlet is an element of its own.
  TSystemImage folded;
  Open(folded, "fold_mirror.os");
  ASSERT_EQ(folded.ElementCount(), 2);
  EXPECT_EQ(folded.elements.data[1].SurfaceCount(), 1);
  EXPECT_EQ(FirstIndex(folded, 1), 3);
}

TEST_F(ElementsTest, AirOnBothSidesAndMirrorsInsideGlassStandAlone) {
  TSystemImage image;
  const char *glasses[] = {"", "N-BK7_schott", "refl", "F2_schott", "1", "", ""};
  for (int i = 0; i < 7; ++i) {
    TEditSurface *s = new TEditSurface(10.0 * i, 0.0, 0.0);
    s->general.glass = glasses[i];
    s->general.materialKind = std::string(glasses[i]) == "refl" ? 1 : 0;
    ASSERT_EQ(image.AddSurface(s), 1);
  }
  image.RebuildElements(nullptr);
  // 1 (glass, but a mirror follows), 2 (the mirror), 3-4 (glass, then index 1 = air), 5.
  ASSERT_EQ(image.ElementCount(), 4);
  const int firsts[] = {1, 2, 3, 5};
  const int sizes[] = {1, 1, 2, 1};
  for (int e = 0; e < 4; ++e) {
    EXPECT_EQ(FirstIndex(image, e), firsts[e]) << e;
    EXPECT_EQ(image.elements.data[e].SurfaceCount(), sizes[e]) << e;
  }
  EXPECT_TRUE(IsAirGlass(" 1.0 "));
  EXPECT_TRUE(IsAirGlass("AIR"));
  EXPECT_FALSE(IsAirGlass("1.5"));
  EXPECT_FALSE(IsAirGlass("1x"));
}

TEST_F(ElementsTest, MoveToShiftsEverySurfaceByTheChangeOfTheReferencePoint) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  const std::vector<DPOINT3> before = Vertices(image);
  TOpticalElement &middle = image.elements.data[1];
  const DPOINT3 reference = middle.referencePoint;
  EXPECT_EQ(reference.x, before[3].x);
  middle.MoveTo(reference.x + 1.5, reference.y - 0.25, reference.z + 2.0);
  const std::vector<DPOINT3> after = Vertices(image);
  for (int i = 0; i < image.SurfaceCount(); ++i) {
    const bool moved = i == 3 || i == 4;
    EXPECT_APPROX(after[i].x, before[i].x + (moved ? 1.5 : 0.0), kPositionRoundOff) << i;
    EXPECT_APPROX(after[i].y, before[i].y + (moved ? -0.25 : 0.0), kPositionRoundOff) << i;
    EXPECT_APPROX(after[i].z, before[i].z + (moved ? 2.0 : 0.0), kPositionRoundOff) << i;
  }
  EXPECT_EQ(middle.referencePoint.x, reference.x + 1.5);
}

TEST_F(ElementsTest, SurfacesTheOpticsMadeBecomeEditorSurfaces) {
  TSystemImage image;
  image.NewDefault();  // two plain surfaces
  ASSERT_EQ(image.SurfaceCount(), 2);
  EXPECT_EQ(image.EditSurface(0), nullptr);
  image.Update();
  ASSERT_NE(image.EditSurface(0), nullptr);
  ASSERT_NE(image.EditSurface(1), nullptr);
  EXPECT_NE(image.Surface(1)->editData, nullptr);
  EXPECT_EQ(image.Surface(1)->general.vertex[0], 10.0);
  EXPECT_EQ(image.ElementCount(), 0);  // object and image only
}

TEST_F(ElementsTest, AnElementMovedToAPointStandsExactlyThere) {
  // 2.3 + (13.25896 - 2.3) is 13.258960000000002 in doubles: shifting the reference surface by
  // the difference would leave it beside the point it was sent to, and every configuration
  // change would then store a slightly different offset.
  TSystemImage image;
  for (double x : {0.0, 2.3, 2.8, 20.0})
    ASSERT_EQ(image.AddSurface(new TEditSurface(x, 1.1, 0.0)), 1);
  image.Surface(1)->general.glass = "N-BK7_schott";
  image.RebuildElements(nullptr);
  ASSERT_EQ(image.ElementCount(), 1);
  image.elements.data[0].MoveTo(13.25896, 0.3, 0.0);
  EXPECT_EQ(image.Surface(1)->general.vertex[0], 13.25896);
  EXPECT_EQ(image.Surface(1)->general.vertex[1], 0.3);  // 1.1 + (0.3 - 1.1) is not 0.3
  EXPECT_APPROX(image.Surface(2)->general.vertex[0], 13.75896, kPositionRoundOff);
}

TEST(EditPath, MeetsRectanglesItCrossesOrSurroundsOnly) {
  TEditPath path;
  // A closed square 0..100 and an open diagonal far from it.
  path.AddFigure({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
  path.AddFigure({{200, 200}, {300, 300}}, false);
  EXPECT_TRUE(path.Meets(RECT{40, 40, 60, 60}));     // inside the closed square
  EXPECT_TRUE(path.Meets(RECT{-10, 40, 10, 60}));    // across its left edge
  EXPECT_TRUE(path.Meets(RECT{260, 240, 240, 260}));  // across the diagonal, corners swapped
  EXPECT_FALSE(path.Meets(RECT{240, 150, 260, 170}));
  EXPECT_FALSE(path.Meets(RECT{110, 110, 190, 190}));
  EXPECT_TRUE(path.Contains(POINT{250, 250}));
  EXPECT_FALSE(path.Contains(POINT{250, 251}));
  const RECT bounds = path.Bounds();
  EXPECT_EQ(bounds.left, 0);
  EXPECT_EQ(bounds.bottom, 300);
}

TEST_F(ElementsTest, RegionsFollowTheCanvasAndExtentsHoldTheApertures) {
  TSystemImage image;
  Open(image, "singlet.os");
  TScaleCanvas canvas;
  image.RebuildElements(&canvas);
  ASSERT_EQ(image.ElementCount(), 1);
  const TOpticalElement &lens = image.elements.data[0];
  // The lens (semi-aperture 12.5) reaches 12.5 above and below the axis.
  EXPECT_APPROX(lens.extent.y2, 12.5, kPositionRoundOff);
  EXPECT_APPROX(lens.extent.y1, -12.5, kPositionRoundOff);
  const TEditPath *outline = dynamic_cast<const TEditPath *>(lens.region);
  ASSERT_NE(outline, nullptr);
  const RECT bounds = outline->Bounds();
  EXPECT_EQ(bounds.top, 300 - 125);
  EXPECT_EQ(bounds.bottom, 300 + 125);
  // The view window holds every surface with a margin.
  EXPECT_LT(image.viewWindow.xFrom, 0.0);
  EXPECT_GT(image.viewWindow.xTo, image.Surface(3)->general.vertex[0]);
  EXPECT_GT(image.viewWindow.yTo, 15.0);
}

}  // namespace
