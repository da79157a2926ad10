// The single surface, mirror and dispersion prism put in place of a placed plane, checked
// by rays traced through their surfaces against closed-form optics; the object and image
// planes picked as the preceding surface.

#include "editor/insert/new_elements.h"

#include <cmath>
#include <vector>

#include "document/system/tests/editor_test_support.h"
#include "editor/insert/element_insertion.h"
#include "editor/insert/placement.h"
#include "editor/library/component_library.h"
#include "foundation/numerics/pi.h"

namespace {

constexpr double kDeg = kPi / 180.0;
// Closed-form optics against a double-precision trace.
constexpr double kTraced = 1e-9;
// A paraxial ray 0.01 mm off the axis meets the paraxial focus to a few 1e-6 of it.
constexpr double kParaxial = 1e-5;

using NewElementsTest = EditorTest;

// The default system with a plane placed `at` mm behind its object plane.
void Placed(TSystemImage &image, TInsertedElementInfo &info, double at) {
  image.NewDefault();
  image.Update();
  image.RebuildElements(nullptr);
  ASSERT_EQ(PlaceSurface(image, 0, at, 0.0, -1, info), 1);
}

// A ray along direction `angle` (radians) through (x, y), traced through surfaces first..last.
TCurrentRay Traced(const TSystemImage &image, int first, int last, double x, double y, double angle) {
  TCurrentRay ray(x, y, 0.0);
  ray.L = std::cos(angle);
  ray.M = std::sin(angle);
  ray.N = 0.0;
  for (int k = first; k <= last; ++k) EXPECT_EQ(image.Surface(k)->Trace(ray), 1) << "surface " << k;
  return ray;
}

// Where a ray crosses the line y = 0.
double AxisCrossing(const TCurrentRay &ray) { return ray.x - ray.y * ray.L / ray.M; }

TEST_F(NewElementsTest, ASingleSurfaceFocusesAtNRoverNMinus1InItsGlass) {
  TSystemImage image;
  TInsertedElementInfo info;
  Placed(image, info, 5.0);
  std::string error;
  ASSERT_EQ(InsertSingleSurface(image, info, 50.0, "N-BK7_schott", error), 1) << error;
  const TSurface *s = image.Surface(1);
  EXPECT_EQ(s->general.R, 50.0);
  const double n = s->general.nAfter;
  EXPECT_GT(n, 1.5);
  EXPECT_EQ(image.selectedElement, 0);
  const TCurrentRay ray = Traced(image, 1, 1, 0.0, 0.01, 0.0);
  EXPECT_APPROX(AxisCrossing(ray) - 5.0, n * 50.0 / (n - 1.0), kParaxial);
}

TEST_F(NewElementsTest, AParaboloidMeetsEveryAxialRayAtHalfItsRadiusAndTurnsTheImagePlane) {
  TSystemImage image;
  TInsertedElementInfo info;
  Placed(image, info, 200.0);
  std::string error;
  TMirrorShape shape;
  shape.radius = MirrorRadiusForFocus(100.0);
  shape.conic = 1.0;
  ASSERT_EQ(InsertMirror(image, info, shape, error), 1) << error;
  EXPECT_EQ(image.Surface(1)->general.R, -200.0);
  // Exactly at R / 2 in front of the vertex for every height of a paraboloid.
  for (const double h : {0.01, 2.0, 4.0}) {
    const TCurrentRay ray = Traced(image, 1, 1, 0.0, h, 0.0);
    EXPECT_LT(ray.L, 0.0);
    EXPECT_APPROX(AxisCrossing(ray), 100.0, kTraced) << h;
  }
  // The image plane, 190 behind the mirror on the arriving light, turns with the beam to
  // stand across it 190 in front.
  const TGeneralParameters &g = image.Surface(2)->general;
  EXPECT_NEAR(g.vertex[0], 10.0, kTraced);
  EXPECT_NEAR(g.vertex[1], 0.0, kTraced);
  EXPECT_NEAR(std::cos(g.angles[2]), -1.0, kTraced);
}

TEST_F(NewElementsTest, APrismStandsAtMinimumDeviation) {
  for (const double apex : {30.0, 60.0}) {
    TSystemImage image;
    TInsertedElementInfo info;
    Placed(image, info, 15.0);  // its entrance face reaches up to 10 mm in front of it
    std::string error;
    ASSERT_EQ(InsertPrism(image, info, apex, "F2_schott", 20.0, error), 1) << error;
    ASSERT_EQ(image.SurfaceCount(), 4);
    const double n = image.Surface(1)->general.nAfter;
    const double a = apex * kDeg;
    // The ray inside runs parallel to the base: along the bisector of the faces' normals.
    TCurrentRay inside = Traced(image, 1, 1, 0.0, 0.0, 0.0);
    const double bisector = 0.5 * (image.Surface(1)->general.angles[2] + image.Surface(2)->general.angles[2]);
    EXPECT_APPROX(std::atan2(inside.M, inside.L), bisector, kTraced) << apex;
    // Deviated towards the base by 2 asin(n sin(A/2)) - A.
    const auto deviation = [&](double in) {
      const TCurrentRay out = Traced(image, 1, 2, -5.0 * std::cos(in), -5.0 * std::sin(in), in);
      return in - std::atan2(out.M, out.L);
    };
    EXPECT_APPROX(deviation(0.0), 2.0 * std::asin(n * std::sin(0.5 * a)) - a, kTraced) << apex;
    // A minimum: the beam turned either way is deviated more.
    EXPECT_GT(deviation(2.0 * kDeg), deviation(0.0));
    EXPECT_GT(deviation(-2.0 * kDeg), deviation(0.0));
    EXPECT_EQ(image.Surface(1)->general.semiHeightExt, 10.0);
  }
}

// After a fold mirror of any angle (a 90 degree fold leaves the old image plane parallel to
// the folded beam) or a prism, the image plane stands square across the traced chief ray
// with its vertex on it.
TEST_F(NewElementsTest, AfterAnyFoldOrAPrismTheImagePlaneStandsAcrossTheChiefRay) {
  // Rotations and shifts of a double-precision trace over some 100 mm.
  constexpr double kOnRay = 1e-6;
  constexpr int kPrismRow = 100;
  // Built on its page; or built so, copied with its beam (or stored in a library and taken
  // out) and pasted into another singlet: it keeps its angles to the beam, so the chief ray
  // leaves it as it left the one built on the page, and what follows stands across it. A
  // small prism built between the triplet's first two lenses (of 30 degrees: one of 60 would
  // swing the second lens into the first) carries the lenses behind it
  // with the image plane: all of them turned and shifted alike, on one line; one built in
  // front of a fold mirror carries the mirror onto its beam, and the image plane behind it.
  enum Road { kBuilt, kPasted, kTaken, kBeforeLenses, kBeforeFold };
  struct Row {
    int fold;
    Road road;
  };
  std::vector<Row> rows{{90, kPasted}, {kPrismRow, kPasted}, {90, kTaken}, {kPrismRow, kTaken}, {kPrismRow, kBeforeLenses}, {kPrismRow, kBeforeFold}};
  for (int fold = 10; fold <= kPrismRow; fold += 10) rows.push_back({fold, kBuilt});
  for (const Row &row : rows) {
    SCOPED_TRACE(testing::Message() << row.fold << " road " << row.road);
    // Clicked 9 mm above the axis, as a hand places it.
    const auto place = [](TSystemImage &system, TInsertedElementInfo &info) {
      ASSERT_EQ(PlaceSurface(system, 2, system.Surface(2)->general.vertex[0] + 20.0, 9.0, -1, info), 3);
    };
    TSystemImage built;
    Open(built, row.road == kBeforeLenses ? "cooke_triplet.os" : row.road == kBeforeFold ? "fold_mirror.os" : "singlet.os");
    TInsertedElementInfo info;
    if (row.road >= kBeforeLenses) {
      ASSERT_EQ(PlaceSurface(built, 2, built.Surface(2)->general.vertex[0] + 3.0, 0.0, -1, info), 3);
    } else {
      place(built, info);
    }
    std::string error;
    const double face = row.road >= kBeforeLenses ? 3.0 : 20.0;
    const int made = row.fold < kPrismRow ? InsertMirror(built, info, TMirrorShape{0.0, 0.0, 0.5 * row.fold}, error)
                                          : InsertPrism(built, info, row.road == kBeforeLenses ? 30.0 : 60.0, "F2_schott", face, error);
    ASSERT_EQ(made, 1) << error;
    if (row.road == kBeforeLenses) {
      const int n = built.SurfaceCount();
      const double turned = built.Surface(n - 1)->general.angles[2];
      for (int k = 5; k < n - 1; ++k) {
        const double *lens = built.Surface(k)->general.vertex;
        const double *plane = built.Surface(n - 1)->general.vertex;
        EXPECT_NEAR(-(lens[0] - plane[0]) * std::sin(turned) + (lens[1] - plane[1]) * std::cos(turned), 0.0, kOnRay) << k;
      }
      continue;
    }
    TPlacedRay leaving;
    ASSERT_TRUE(ChiefRayLeaving(built, built.SurfaceCount() - 2, leaving));
    TSystemImage pasted;
    TSystemImage clipboard;
    const bool copied = row.road == kPasted || row.road == kTaken;
    if (copied) {
      built.elements.data[built.selectedElement].mark = 1;
      TComponentLibrary library;
      if (row.road == kPasted) {
        built.CopySelection(clipboard, nullptr);
        clipboard.copiedBeam = CopiedBeamOf(built);
      } else {
        ASSERT_EQ(library.Open(Scratch("elements.lct")), 1);
        ASSERT_GE(library.Add("turn " + std::to_string(row.fold), built), 0) << library.ErrorText();
        ASSERT_EQ(library.Take(library.Count() - 1, clipboard), 1) << library.ErrorText();
        clipboard.copiedBeam = OwnBeamOf(clipboard);
      }
      Open(pasted, "singlet.os");
      TInsertedElementInfo again;
      place(pasted, again);
      ASSERT_EQ(PasteElement(pasted, again, clipboard, error), 1) << error;
      TPlacedRay after;
      ASSERT_TRUE(ChiefRayLeaving(pasted, pasted.SurfaceCount() - 2, after));
      EXPECT_NEAR(after.direction.x, leaving.direction.x, kOnRay);
      EXPECT_NEAR(after.direction.y, leaving.direction.y, kOnRay);
    }
    TSystemImage &image = copied ? pasted : built;
    const int plane = image.SurfaceCount() - 1;
    ASSERT_GE(image.SolveChiefRay(0.0, 0.0), 1);
    TCurrentRay ray = image.MakeRay(0.0, 0.0, 0.0, 0.0);
    Mem<TIntersectionPoint> hits;
    image.TraceRay(ray, kTracePlainGlobal, &hits, 0);
    ASSERT_GT(hits.Cells(), plane);
    const TIntersectionPoint &hit = hits.data[plane];
    const double p[3] = {hit.x, hit.y, hit.z};
    const double l[3] = {hit.L, hit.M, hit.N};
    const TIntersectionPoint local = image.ToSurfaceFrame(plane, p, l);
    EXPECT_NEAR(local.y, 0.0, kOnRay);
    EXPECT_NEAR(local.z, 0.0, kOnRay);
    EXPECT_NEAR(local.M, 0.0, kOnRay);
    EXPECT_NEAR(local.N, 0.0, kOnRay);
  }
}

TEST_F(NewElementsTest, AnObjectOrImagePlanePicksThePrecedingSurface) {
  TSystemImage image;
  image.NewDefault();
  image.Update();
  // The default system: object plane at 0, image plane at 10, both 5 high.
  // Both planes precede surface 1; the met plane tells which of them was pressed.
  int plane = -1;
  EXPECT_EQ(PickedPlane(image, 0.1, 3.0, 0.2, &plane), 0);
  EXPECT_EQ(plane, 0);
  EXPECT_EQ(PickedPlane(image, 10.0, -4.0, 0.2, &plane), 0);
  EXPECT_EQ(plane, 1);
  EXPECT_EQ(PickedPlane(image, 5.0, 0.0, 0.2), -1);
  EXPECT_EQ(PickedPlane(image, 0.0, 6.0, 0.2), -1);
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  const int n = triplet.SurfaceCount();
  const double *v = triplet.Surface(n - 1)->general.vertex;
  EXPECT_EQ(PickedPlane(triplet, v[0], v[1], 0.2), n - 2);
}

}  // namespace
