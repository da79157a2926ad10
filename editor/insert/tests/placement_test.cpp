// The placement's changes to the system: the new surface's place, radius, medium, tilt and
// fan-sized aperture; the undoing of a cancelled placement; the lens and the pasted
// elements put in its place.

#include "editor/insert/placement.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "document/elements/element_grouping.h"
#include "document/system/tests/editor_test_support.h"
#include "editor/insert/element_insertion.h"
#include "editor/insert/new_elements.h"
#include "foundation/numerics/pi.h"

#include "editor/insert/tests/traced_focal.h"

namespace {

constexpr double kTight = 1e-9;
constexpr double kFocalShare = 0.01;

using PlacementTest = EditorTest;

// The largest |local y| on surface k over fans of `rays` rays per field across the
// entrance pupil, traced here ray by ray.
double FanSemiHeight(TSystemImage &system, int k, int rays) {
  double semi = 0.0;
  const int fields = system.info.AlfaM.cols * system.info.AlfaM.rows;
  Mem<TIntersectionPoint> hits;
  for (int b = 0; b < fields; ++b) {
    const double field = system.info.AlfaM.data[b];
    if (system.SolveChiefRay(field, 0.0) < 1) continue;
    const double d = system.info.entrancePupilDiameter;
    for (int i = 0; i < rays; ++i) {
      TCurrentRay ray = system.MakeRay(field, 0.0, (i - rays / 2) * d / (rays - 1), 0.0);
      system.TraceRay(ray, kTracePlainGlobal, &hits, 0);
      if (hits.cols <= k || hits.data[k].x == kHitListEnd) continue;
      const double p[3] = {hits.data[k].x, hits.data[k].y, hits.data[k].z};
      const double l[3] = {hits.data[k].L, hits.data[k].M, hits.data[k].N};
      semi = std::fmax(semi, std::fabs(system.ToSurfaceFrame(k, p, l).y));
    }
  }
  return semi;
}

std::string Saved(TSystemImage &system, const std::string &path) {
  EXPECT_EQ(system.Save(path), 1);
  return ReadText(path);
}

TEST_F(PlacementTest, ASingleSurfaceTakesThePrecedingRadiusAndAFanOf51RaysSizesIt) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  image.beams.raysPerBeam = 5;  // the fan still has 51 rays
  const int n = image.SurfaceCount();
  const int preceding = 4;  // the back of the middle lens, in air
  TInsertedElementInfo info;
  const double x = image.Surface(4)->general.vertex[0] + 2.0;
  const int index = PlaceSurface(image, preceding, x, 0.0, 1, info);
  ASSERT_EQ(index, 5);
  ASSERT_EQ(image.SurfaceCount(), n + 1);
  const TSurface *s = image.Surface(5);
  EXPECT_EQ(s->general.R, image.Surface(4)->general.R);
  EXPECT_TRUE(IsAirGlass(s->general.glass));
  EXPECT_EQ(s->general.vertex[0], x);
  EXPECT_EQ(info.placedSurface, 5);
  EXPECT_EQ(info.precedingSurface, 4);
  const double semi = FanSemiHeight(image, 5, kPlacementFanRays);
  EXPECT_GT(semi, 0.0);
  EXPECT_APPROX(s->general.semiHeightExt, semi, kTight);
  EXPECT_APPROX(info.apertureDiameter, 2.0 * semi, kTight);
  // The fan of 5 rays would be narrower than the 51-ray one at the marginal rays only by
  // chance; the new surface is sized by the wider fan.
  EXPECT_GE(semi, FanSemiHeight(image, 5, 5) - kTight);
  // The new surface is optically neutral: the focal length stays.
  TSystemImage original;
  Open(original, "cooke_triplet.os");
  original.SolveChiefRay(0.0, 0.0);
  original.FirstOrderParaxial();
  image.SolveChiefRay(0.0, 0.0);
  image.FirstOrderParaxial();
  EXPECT_APPROX(image.info.focalLength, original.info.focalLength, 1e-9);
}

TEST_F(PlacementTest, ANewElementStartsPlaneAndAfterTheLastSurfaceIsAppended) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  const int n = image.SurfaceCount();
  TInsertedElementInfo info;
  EXPECT_EQ(PlaceSurface(image, 2, 20.0, 0.0, -1, info), 3);
  EXPECT_EQ(image.Surface(3)->general.R, 0.0);
  TInsertedElementInfo last;
  const TSurface *image0 = image.Surface(n);
  EXPECT_EQ(PlaceSurface(image, n, 200.0, 0.0, 1, last), n + 1);
  EXPECT_EQ(image.Surface(n), image0);
  EXPECT_EQ(image.SurfaceCount(), n + 2);
  // No such surface: nothing happens.
  TInsertedElementInfo none;
  EXPECT_EQ(PlaceSurface(image, n + 5, 0.0, 0.0, 1, none), -1);
  EXPECT_EQ(PlaceSurface(image, -1, 0.0, 0.0, 1, none), -1);
  EXPECT_EQ(image.SurfaceCount(), n + 2);
}

TEST_F(PlacementTest, TiltFollowsTheChiefRayAndIsZeroWhereTheRayIsBlocked) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  image.info.AlfaM.data[0] = 10.0;  // the first beam off axis
  const double tilt = ChiefRayTilt(image, 4);
  EXPECT_GT(std::fabs(tilt), 0.01);
  EXPECT_LT(std::fabs(tilt), 0.5);
  // An obscuration on the first lens stops the chief ray there: the record at the
  // preceding surface was never reached and gives no direction.
  TGeneralParameters g = image.Surface(1)->GetGeneralParameters();
  g.semiHeightInt = 6.0;
  g.semiWidthInt = 6.0;
  image.Surface(1)->SetGeneralParameters(&g);
  image.Update();
  EXPECT_EQ(ChiefRayTilt(image, 4), 0.0);
  TInsertedElementInfo info;
  ASSERT_EQ(PlaceSurface(image, 4, 30.0, 0.0, 1, info), 5);
  EXPECT_EQ(image.Surface(5)->general.angles[2], 0.0);
  EXPECT_TRUE(std::isfinite(image.Surface(5)->general.semiHeightExt));
}

TEST_F(PlacementTest, BehindAMirrorTheNewSurfaceStandsInTheMediumNotAMirror) {
  TSystemImage image;
  Open(image, "fold_mirror.os");
  int mirror = -1;
  for (int i = 1; i + 1 < image.SurfaceCount(); ++i)
    if (IsMirrorSurface(*image.Surface(i))) mirror = i;
  ASSERT_GT(mirror, 0);
  TInsertedElementInfo info;
  const double *v = image.Surface(mirror)->general.vertex;
  ASSERT_EQ(PlaceSurface(image, mirror, v[0], v[1] - 5.0, 1, info), mirror + 1);
  EXPECT_FALSE(IsMirrorSurface(*image.Surface(mirror + 1)));
  EXPECT_EQ(image.Surface(mirror + 1)->general.glass, image.Surface(mirror - 1)->general.glass);
}

TEST_F(PlacementTest, TheStopStaysOnItsSurfaceAndACancelledPlacementLeavesNoTrace) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  image.info.AutoSetPupilParameters = 0;
  image.info.Naper = 4;  // surface 3, the front of the middle lens
  const TSurface *stop = image.Surface(3);
  const std::string before = Saved(image, Scratch("before.os"));
  TInsertedElementInfo info;
  ASSERT_EQ(PlaceSurface(image, 2, 15.0, 0.0, -1, info), 3);
  EXPECT_EQ(image.Surface(image.info.Naper - 1), stop);
  EXPECT_EQ(image.HasUnsavedChanges(), 1);
  EXPECT_EQ(RemovePlacedSurface(image, info), 1);
  EXPECT_EQ(image.Surface(image.info.Naper - 1), stop);
  // Nothing changed: the system is not marked as changed, so Open does not ask to save it.
  EXPECT_EQ(image.HasUnsavedChanges(), 0);
  EXPECT_EQ(Saved(image, Scratch("after.os")), before);
  // Once the folder put an element there, the placed surface is that element's.
  EXPECT_EQ(RemovePlacedSurface(image, info), 0);
}

// A lens or a pasted element put in front of the stop moves the stop's number with its
// face, in the system and in every configuration, so the chief rays keep crossing it; a
// placement taken back gives the number back.
TEST_F(PlacementTest, PastedAndInsertedElementsKeepTheStopOnItsFaceInEveryConfiguration) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  TScaleCanvas canvas;
  image.RebuildElements(&canvas);
  ASSERT_EQ(image.info.Naper, 5);  // the negative lens's rear face
  const TSurface *stop = image.Surface(4);
  image.StoreConfiguration(-1);
  image.InsertConfiguration(0);
  ASSERT_EQ(image.ConfigurationCount(), 2);
  // The last lens stands 1 mm further in the second configuration, through every insertion.
  const TSurface *last = image.Surface(5);
  image.ShiftSurfaces(5, 6, DPOINT3(1.0, 0.0, 0.0), 1);
  image.RebuildElements(&canvas);
  image.StoreConfiguration(-1);
  ASSERT_EQ(image.SelectConfiguration(0), 1);
  const double lastX = last->general.vertex[0];
  image.elements.data[0].mark = 1;
  TSystemImage clipboard;
  image.CopySelection(clipboard, &canvas);
  image.ClearSelection();
  auto expectStopAt = [&](int number) {
    EXPECT_EQ(image.info.Naper, number);
    EXPECT_EQ(image.Surface(image.info.Naper - 1), stop);
    for (int k = 0; k < image.ConfigurationCount(); ++k) EXPECT_EQ(image.configurations.data[k].Naper, number) << k;
  };
  const double front = image.Surface(1)->general.vertex[0] - 5.0;
  std::string error;
  TInsertedElementInfo cancelled;
  ASSERT_EQ(PlaceSurface(image, 0, front, 0.0, -1, cancelled), 1);
  expectStopAt(6);
  ASSERT_EQ(RemovePlacedSurface(image, cancelled), 1);
  expectStopAt(5);
  TInsertedElementInfo pasted;
  ASSERT_EQ(PlaceSurface(image, 0, front, 0.0, -1, pasted), 1);
  ASSERT_EQ(PasteElement(image, pasted, clipboard, error), 1) << error;
  expectStopAt(7);
  TInsertedElementInfo lens;
  ASSERT_EQ(PlaceSurface(image, 0, front - 5.0, 0.0, -1, lens), 1);
  ASSERT_EQ(InsertLens(image, lens, 200.0, "N-BK7_schott", 2.0, error), 1) << error;
  expectStopAt(9);
  ASSERT_EQ(image.SelectConfiguration(1), 1);
  expectStopAt(9);
  EXPECT_NEAR(last->general.vertex[0], lastX + 1.0, kTight);
}

TEST_F(PlacementTest, ALensOfTheAskedFocalLengthTakesThePlacedSurfacesPlace) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  image.info.AlfaM.data[0] = 8.0;
  const int n = image.SurfaceCount();
  TInsertedElementInfo info;
  const double x = image.Surface(n - 2)->general.vertex[0] + 10.0;
  ASSERT_EQ(PlaceSurface(image, n - 2, x, 0.0, -1, info), n - 1);
  EXPECT_NE(info.tilt, 0.0);
  std::string error;
  ASSERT_EQ(InsertLens(image, info, 80.0, "N-BK7_schott", 4.0, error), 1) << error;
  EXPECT_EQ(image.SurfaceCount(), n + 2);
  EXPECT_EQ(info.insertedCount, 2);
  const TSurface *front = image.Surface(n - 1);
  const TSurface *back = image.Surface(n);
  EXPECT_EQ(front->general.glass, "N-BK7_schott");
  EXPECT_TRUE(IsAirGlass(back->general.glass));
  EXPECT_APPROX(std::hypot(back->general.vertex[0] - front->general.vertex[0],
                           back->general.vertex[1] - front->general.vertex[1]),
                4.0, kTight);
  EXPECT_NEAR(TracedFocal(image, n - 1), 80.0, 80.0 * kFocalShare);
  // The lens forms one element, selected.
  EXPECT_EQ(image.hasSelection, 1);
  const TOpticalElement &lens = image.elements.data[image.selectedElement];
  EXPECT_EQ(lens.SurfaceCount(), 2);
  EXPECT_EQ(lens.FirstSurface(), front);
}

TEST_F(PlacementTest, ALensOfAnUnknownGlassOrImpossibleShapeChangesNothing) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  TInsertedElementInfo info;
  ASSERT_EQ(PlaceSurface(image, 2, 16.0, 0.0, -1, info), 3);
  const std::string placed = Saved(image, Scratch("placed.os"));
  std::string error;
  EXPECT_EQ(InsertLens(image, info, 50.0, "NO-SUCH_glass", 3.0, error), 0);
  EXPECT_NE(error.find("NO-SUCH_glass"), std::string::npos);
  EXPECT_EQ(InsertLens(image, info, 1.0, "N-BK7_schott", 30.0, error), 0);
  EXPECT_EQ(InsertLens(image, info, 50.0, "", 3.0, error), 0);
  EXPECT_EQ(Saved(image, Scratch("again.os")), placed);
  EXPECT_EQ(info.insertedCount, 0);
}

TEST_F(PlacementTest, PastedElementsGoToThePlacedPointTurnedAlongTheChiefRay) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  TScaleCanvas canvas;
  image.RebuildElements(&canvas);
  // The clipboard: the first lens of the triplet.
  image.elements.data[0].mark = 1;
  TSystemImage clipboard;
  image.CopySelection(clipboard, &canvas);
  ASSERT_EQ(clipboard.SurfaceCount(), 4);
  image.ClearSelection();

  TSystemImage target;
  Open(target, "singlet.os");
  target.info.AlfaM.data[0] = 5.0;
  const int n = target.SurfaceCount();
  TInsertedElementInfo info;
  const double x = target.Surface(n - 2)->general.vertex[0] + 5.0;
  ASSERT_EQ(PlaceSurface(target, n - 2, x, 1.5, -1, info), n - 1);
  std::string error;
  ASSERT_EQ(PasteElement(target, info, clipboard, error), 1) << error;
  EXPECT_EQ(target.SurfaceCount(), n + 2);  // the placed one and two in its place
  const TSurface *front = target.Surface(n - 1);
  const TSurface *back = target.Surface(n);
  // The click 1.5 above the axis chooses the place along the beam; the vertex stands on it.
  EXPECT_APPROX(front->general.vertex[0], info.position.x, kTight);
  EXPECT_APPROX(front->general.vertex[1], info.position.y, kTight);
  EXPECT_EQ(front->general.R, clipboard.Surface(1)->general.R);
  EXPECT_EQ(back->general.R, clipboard.Surface(2)->general.R);
  EXPECT_EQ(front->general.glass, clipboard.Surface(1)->general.glass);
  EXPECT_APPROX(front->general.angles[2], info.tilt, kTight);
  // The lens keeps its thickness, now along the tilted axis.
  const double gap = clipboard.Surface(2)->general.vertex[0] - clipboard.Surface(1)->general.vertex[0];
  EXPECT_APPROX(back->general.vertex[0] - front->general.vertex[0], gap * std::cos(info.tilt), kTight);
  EXPECT_APPROX(back->general.vertex[1] - front->general.vertex[1], gap * std::sin(info.tilt), kTight);
  // An empty clipboard is refused.
  TSystemImage empty;
  EXPECT_EQ(PasteElement(target, info, empty, error), 0);
}

// A click behind the following surface, or in front of the preceding one, is refused with
// the negative gap named; a click between them, or behind the image plane, is taken.
TEST_F(PlacementTest, APlaceThatWouldCrossANeighbourIsRefusedNamingTheGap) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  const int n = image.SurfaceCount();
  ASSERT_GE(n, 8);
  // The first beam's chief ray runs along the axis: the gaps are differences in x.
  ASSERT_EQ(ChiefRayTilt(image, 2), 0.0);
  const auto v = [&image](int k) { return image.Surface(k)->general.vertex[0]; };
  const struct {
    int preceding;
    double x;
    const char *side;  // "" when taken
    int named;
    double gap;
  } cases[] = {
      {2, 0.5 * (v(2) + v(3)), "", 0, 0.0},
      {2, v(5) + 1.0, "behind", 4, v(5) + 1.0 - v(3)},
      {2, v(2) - 1.5, "in front of", 3, 1.5},
      {4, v(4) - 0.25, "in front of", 5, 0.25},
      {n - 2, v(n - 1) + 5.0, "", 0, 0.0},
  };
  for (const auto &c : cases) {
    const std::string text = PlacementCrossing(image, c.preceding, c.x, 0.0);
    if (*c.side == '\0') {
      EXPECT_EQ(text, "") << c.preceding << " " << c.x;
      continue;
    }
    char expected[96];
    std::snprintf(expected, sizeof expected, "%.2f mm %s surface %d", c.gap, c.side, c.named);
    EXPECT_NE(text.find(expected), std::string::npos) << text << " / " << expected;
    EXPECT_NE(text.find("negative"), std::string::npos) << text;
  }
  EXPECT_EQ(PlacementCrossing(image, n + 3, 0.0, 0.0), "");
}

// Every road that builds an element passes the one check of room: each page of the New
// Element folder, Paste (the library's Take pastes too), New Single Surface and a place
// beyond the image plane. Each is built where the element with its faces and rims fits
// and refused, the system unchanged, where it would cross a neighbour as it stands: on the
// axis, decentred, tilted, aspheric, toric, obscured, a 45 degree fold, in either of two
// configurations. A click above the axis still puts the vertex on the beam's axis.
TEST_F(PlacementTest, EveryPlacementRoadBuildsWhereTheElementFitsAndRefusesWhereNot) {
  enum Road { kLensPage, kSurfacePage, kMirrorPage, kPrismPage, kPaste, kSingleSurface };
  // What is done to the neighbours first: the triplet's F2 lens decentred or its front face
  // tilted, toric or obscured, the first lens's rear face aspheric; a 45 degree plane fold
  // mirror 20 mm behind the singlet; a second configuration with the F2 lens 4 mm nearer.
  enum Neighbour { kOnAxis, kMicron, kTwoMm, kTilt3, kTilt45, kAspheric, kToric, kObscured, kFold, kNearer, kNearerShown,
                   kFurtherShown, kWide };
  constexpr double kClickHeight = 2.0;  // mm above the axis: no decentre follows from it
  const struct {
    const char *file;
    Road road;
    int preceding;  // -1: the last surface before the image plane
    double behind;  // the click behind the preceding vertex along the beam leaving it (mm)
    double shape;   // thickness, radius, tilt (degrees) or apex (degrees)
    bool fits;
    Neighbour neighbour = kOnAxis;
    double semi = 0.0;  // the element's semi-height; 0: as the fan sizes it
  } cases[] = {
      // A plane of semi-height 5 behind the first lens meets the F2 lens's front face
      // (R -22.21328, 6.00755 on) where it stands: on the axis its rim at 5 sags 0.568, so
      // the plane fits up to 5.44 behind; decentred by 2 mm that face's rim at -8 (sag
      // 1.492) comes to -6, up to 4.88; tilted 3 degrees its top comes 0.26 nearer, up to
      // 5.17; tilted 45 degrees it reaches back past the first lens. A front face curved only
      // across the drawing (a torus of radius -22.21328 there) and an obscured one (glass
      // behind the paint) stand as the sphere does. The first lens's rear face given an r^4
      // term of 0.0005 bulges 0.284 towards the plane at 5. With the F2 lens 4 mm nearer in a
      // second configuration the plane fits up to 1.44 behind.
      {"cooke_triplet.os", kSurfacePage, 2, 5.2, 0.0, true, kOnAxis, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.6, 0.0, false, kOnAxis, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.2, 0.0, true, kMicron, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.6, 0.0, false, kMicron, 5.0},
      {"cooke_triplet.os", kLensPage, 2, 0.5, 5.0, false, kMicron},
      {"cooke_triplet.os", kSurfacePage, 2, 4.7, 0.0, true, kTwoMm, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.1, 0.0, false, kTwoMm, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.0, 0.0, true, kTilt3, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.35, 0.0, false, kTilt3, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 2.0, 0.0, false, kTilt45, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 0.45, 0.0, true, kAspheric, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 0.15, 0.0, false, kAspheric, 5.0},
      {"cooke_triplet.os", kPaste, 2, 0.5, 0.0, false, kAspheric},
      {"cooke_triplet.os", kSurfacePage, 2, 5.2, 0.0, true, kToric, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.6, 0.0, false, kToric, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.6, 0.0, false, kObscured, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 1.3, 0.0, true, kNearer, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 1.6, 0.0, false, kNearer, 5.0},
      // Placed while the second configuration is shown, each judged where it stands: the F2
      // lens 4 mm nearer there, or 4 mm further (the first configuration holds the room).
      {"cooke_triplet.os", kSurfacePage, 2, 1.3, 0.0, true, kNearerShown, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 1.6, 0.0, false, kNearerShown, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.2, 0.0, true, kFurtherShown, 5.0},
      {"cooke_triplet.os", kSurfacePage, 2, 5.6, 0.0, false, kFurtherShown, 5.0},
      // The F2 front face bounded by a rectangle 3 high and 9 wide: its corner (r 9.49)
      // sags 2.127 towards a plane of semi-height 11, which fits up to 3.88 behind; the
      // first lens pasted with faces so bounded too (its front face's corner sags 3.26
      // mm towards it) fits up to 0.6-0.8 behind.
      {"cooke_triplet.os", kSurfacePage, 2, 3.6, 0.0, true, kWide, 11.0},
      {"cooke_triplet.os", kSurfacePage, 2, 4.2, 0.0, false, kWide, 11.0},
      {"cooke_triplet.os", kPaste, 2, 0.5, 0.0, true, kWide},
      {"cooke_triplet.os", kPaste, 2, 0.9, 0.0, false, kWide},
      // The fold folds the beam down; its plane reaches +-5.8 mm along and across the folded
      // beam. A lens of semi-height 5 (f 100, 5 thick, faces sagging 0.12) crosses it 2 mm
      // down the folded beam, not 8 mm down; in front of it, with its rear vertex 1 mm from
      // the mirror's, and not 7 mm.
      {"singlet.os", kLensPage, 3, 2.0, 5.0, false, kFold, 5.0},
      {"singlet.os", kLensPage, 3, 8.0, 5.0, true, kFold, 5.0},
      {"singlet.os", kLensPage, 2, 14.0, 5.0, false, kFold, 5.0},
      {"singlet.os", kLensPage, 2, 8.0, 5.0, true, kFold, 5.0},
      // A 60 degree F2 prism (faces 20) in front of the fold turns it about its exit vertex
      // and carries it onto the leaving chief ray: an own profile check leaves 0.87 mm
      // between the exit face and the mirror along that ray at 8 mm behind the singlet; at
      // 10 mm they cross.
      {"singlet.os", kPrismPage, 2, 8.0, 60.0, true, kFold},
      {"singlet.os", kPrismPage, 2, 10.0, 60.0, false, kFold},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.file << " road " << c.road << " after " << c.preceding << " +" << c.behind
                                    << " neighbour " << c.neighbour);
    TSystemImage image;
    Open(image, c.file);
    TScaleCanvas canvas;
    image.RebuildElements(&canvas);
    TSystemImage clipboard;
    if (c.road == kPaste) {
      image.elements.data[0].mark = 1;
      image.CopySelection(clipboard, &canvas);
      image.ClearSelection();
      for (int i = 1; c.neighbour == kWide && i <= 2; ++i) {
        TGeneralParameters bound = clipboard.Surface(i)->GetGeneralParameters();
        bound.boundTypeExt = kBoundRectangle;
        bound.semiHeightExt = 3.0;
        bound.semiWidthExt = 9.0;
        clipboard.Surface(i)->SetGeneralParameters(&bound);
      }
    }
    // The stop on the first face keeps the chief ray on the axis past the first lens.
    if (c.neighbour >= kTwoMm && c.neighbour != kFold) image.info.Naper = 2;
    TSurface *front = image.Surface(3);
    TGeneralParameters g = front->GetGeneralParameters();
    const double micron[] = {0.0, 0.001, 2.0};
    const double degrees[] = {0.0, 3.0, 45.0};
    if (c.neighbour <= kTwoMm) image.ShiftSurfaces(3, 4, DPOINT3(0.0, micron[c.neighbour], 0.0), 1);
    if (c.neighbour == kTilt3 || c.neighbour == kTilt45) front->SetAngles(0.0, 0.0, degrees[c.neighbour - 2] * kPi / 180.0);
    const double asphere[] = {1.0 / -435.76044, 0.0, 0.0005};
    if (c.neighbour == kAspheric) image.Surface(2)->SetAsphericCoefficients(kSurfaceAsphericStandard, asphere, 3);
    const double torus[] = {0.0, -22.21328, 0.0};
    if (c.neighbour == kToric) front->SetAsphericCoefficients(kSurfaceTor, torus, 3);
    g.semiHeightInt = 6.0;
    if (c.neighbour == kObscured) front->SetGeneralParameters(&g);
    if (c.neighbour == kWide) {
      g.boundTypeExt = kBoundRectangle;
      g.semiHeightExt = 3.0;
      g.semiWidthExt = 9.0;
      front->SetGeneralParameters(&g);
    }
    if (c.neighbour >= kNearer && c.neighbour <= kFurtherShown) {
      image.StoreConfiguration(-1);
      image.InsertConfiguration(0);
      image.ShiftSurfaces(3, 4, DPOINT3(c.neighbour == kFurtherShown ? 4.0 : -4.0, 0.0, 0.0), 1);
      image.RebuildElements(nullptr);
      image.StoreConfiguration(-1);
      ASSERT_EQ(image.SelectConfiguration(c.neighbour == kNearer ? 0 : 1), 1);
    }
    image.Update();
    image.RebuildElements(&canvas);
    if (c.neighbour == kFold) {
      TInsertedElementInfo fold;
      ASSERT_EQ(PlaceSurface(image, 2, 35.0, 0.0, -1, fold), 3);
      std::string error;
      ASSERT_EQ(InsertMirror(image, fold, TMirrorShape{0.0, 0.0, 45.0}, error), 1) << error;
    }
    const int preceding = c.preceding >= 0 ? c.preceding : image.SurfaceCount() - 2;
    const std::string before = Saved(image, Scratch("before.os"));
    TInsertedElementInfo info;
    const double beam = ChiefRayTilt(image, preceding);
    const double *v = image.Surface(preceding)->general.vertex;
    const double x = v[0] + c.behind * std::cos(beam) - kClickHeight * std::sin(beam);
    const double y = v[1] + c.behind * std::sin(beam) + kClickHeight * std::cos(beam);
    ASSERT_EQ(PlaceSurface(image, preceding, x, y, c.road == kSingleSurface ? 1 : -1, info), preceding + 1);
    if (c.neighbour == kOnAxis || c.neighbour == kFold) {
      EXPECT_NEAR(-(info.position.x - v[0]) * std::sin(beam) + (info.position.y - v[1]) * std::cos(beam), 0.0, kTight);
    }
    if (c.semi > 0.0) info.apertureDiameter = 2.0 * c.semi;
    std::string error;
    int made = 0;
    switch (c.road) {
      case kLensPage: made = InsertLens(image, info, c.neighbour == kFold ? 100.0 : 80.0, "N-BK7_schott", c.shape, error); break;
      case kSurfacePage: made = InsertSingleSurface(image, info, c.shape, "", error); break;
      case kMirrorPage: made = InsertMirror(image, info, TMirrorShape{0.0, 0.0, c.shape}, error); break;
      case kPrismPage: made = InsertPrism(image, info, c.shape, "F2_schott", 20.0, error); break;
      case kPaste: made = PasteElement(image, info, clipboard, error); break;
      case kSingleSurface:
        error = PlacedSurfaceRoom(image, info);
        made = error.empty() ? 1 : 0;
        break;
    }
    if (c.neighbour >= kNearer && c.neighbour <= kFurtherShown && !c.fits) {
      EXPECT_NE(error.find(c.neighbour == kFurtherShown ? "In configuration 1 of 2" : "In configuration 2 of 2"),
                std::string::npos)
          << error;
    }
    EXPECT_EQ(made, c.fits ? 1 : 0) << error;
    if (c.fits) continue;
    // The torus meets the plane's rim across the drawing's plane, 5 mm from the axis.
    EXPECT_TRUE(c.neighbour != kToric || error.find("faces at a height of 5.00 mm") != std::string::npos) << error;
    EXPECT_NE(error.find("mm"), std::string::npos) << error;
    EXPECT_NE(error.find("surface"), std::string::npos) << error;
    ASSERT_EQ(RemovePlacedSurface(image, info), 1);
    EXPECT_EQ(Saved(image, Scratch("after.os")), before);
  }
  // The refusal names the gap, the room between the faces and the room needed: the 5 mm
  // lens 2 mm behind the first lens, its rim 6.74 mm high. There the sags are -0.052
  // (R -435.76), -0.277 (its rear face, R -82.10) and -1.047 (the F2 lens, R -22.21).
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  TInsertedElementInfo info;
  ASSERT_EQ(PlaceSurface(image, 2, image.Surface(2)->general.vertex[0] + 2.0, 0.0, -1, info), 3);
  std::string error;
  ASSERT_EQ(InsertLens(image, info, 80.0, "N-BK7_schott", 5.0, error), 0);
  for (const char *named : {"needs 5.00 mm", "3 and 4 is 6.01 mm from vertex to vertex and 5.01 mm between their faces",
                            "cross surface 4 by 1.76 mm", "a gap of at least 7.77 mm"})
    EXPECT_NE(error.find(named), std::string::npos) << error;
  // A 45 degree fold there turns the F2 lens about its vertex: the gap still runs 6.01 mm
  // along the beam, now through the turn.
  TSystemImage folded;
  Open(folded, "cooke_triplet.os");
  ASSERT_EQ(PlaceSurface(folded, 2, folded.Surface(2)->general.vertex[0] + 2.0, 0.0, -1, info), 3);
  ASSERT_EQ(InsertMirror(folded, info, TMirrorShape{0.0, 0.0, 45.0}, error), 0);
  EXPECT_NE(error.find("3 and 4 is 6.01 mm from vertex to vertex"), std::string::npos) << error;
}

// A placement in the first configuration moves what stands behind it in every
// configuration alike: the second, whose image plane stood 5 mm further, keeps those 5 mm
// along the turned beam, after Save and Open.
TEST_F(PlacementTest, APlacementInOneConfigurationMovesEveryConfigurationAlike) {
  constexpr double kOwnGap = 5.0;
  for (const bool prism : {true, false}) {
    SCOPED_TRACE(prism);
    TSystemImage image;
    Open(image, "singlet.os");
    image.RebuildElements(nullptr);
    image.StoreConfiguration(-1);
    image.InsertConfiguration(0);
    const int n = image.SurfaceCount();
    image.ShiftSurfaces(n - 1, n - 1, DPOINT3(kOwnGap, 0.0, 0.0), 1);
    image.StoreConfiguration(-1);
    ASSERT_EQ(image.SelectConfiguration(0), 1);
    TInsertedElementInfo info;
    ASSERT_EQ(PlaceSurface(image, n - 2, image.Surface(n - 1)->general.vertex[0] + 10.0, 0.0, -1, info), n - 1);
    std::string error;
    ASSERT_EQ(prism ? InsertPrism(image, info, 60.0, "F2_schott", 20.0, error)
                    : InsertMirror(image, info, TMirrorShape{0.0, 0.0, 45.0}, error),
              1)
        << error;
    image.StoreConfiguration(-1);  // as the undo step after every insertion does
    ASSERT_EQ(image.Save(Scratch("two.os")), 1);
    TSystemImage reopened;
    ASSERT_EQ(reopened.Load(Scratch("two.os"), 2), 1);
    reopened.Update();
    const int m = reopened.SurfaceCount();
    // The image plane's vertex from the element's last vertex in configuration k.
    const auto imageFromExit = [&](int k) {
      EXPECT_EQ(reopened.SelectConfiguration(k), 1);
      const double *exit = reopened.Surface(m - 2)->general.vertex;
      const double *plane = reopened.Surface(m - 1)->general.vertex;
      return DPOINT3(plane[0] - exit[0], plane[1] - exit[1], 0.0);
    };
    const DPOINT3 first = imageFromExit(0);
    const DPOINT3 second = imageFromExit(1);
    const double beam = reopened.Surface(m - 1)->general.angles[2];
    EXPECT_NEAR(second.x - first.x, kOwnGap * std::cos(beam), kTight);
    EXPECT_NEAR(second.y - first.y, kOwnGap * std::sin(beam), kTight);
    EXPECT_GT(std::fabs(std::sin(beam)), 0.5);
  }
}

// A lens or a surface placed beyond the image plane does not leave the plane in front of
// it, the light running back: the plane goes as far behind the element's last vertex as it
// stood in front of it; one placed with room before the plane leaves it where it was.
TEST_F(PlacementTest, AnElementPlacedBeyondTheImagePlaneTakesThePlaneBehindIt) {
  struct Case {
    bool lens;
    double beyond;  // the placed vertex behind the image plane (mm; negative: in front)
  };
  constexpr double kThickness = 4.0;
  for (const Case c : {Case{true, 5.0}, Case{true, -2.0}, Case{false, 7.5}, Case{false, -10.0}}) {
    SCOPED_TRACE(testing::Message() << c.lens << " " << c.beyond);
    TSystemImage image;
    Open(image, "cooke_triplet.os");
    const int n = image.SurfaceCount();
    const double plane = image.Surface(n - 1)->general.vertex[0];
    TInsertedElementInfo info;
    ASSERT_EQ(PlaceSurface(image, n - 2, plane + c.beyond, 0.0, -1, info), n - 1);
    std::string error;
    const int made = c.lens ? InsertLens(image, info, 80.0, "N-BK7_schott", kThickness, error)
                            : InsertSingleSurface(image, info, 0.0, "", error);
    ASSERT_EQ(made, 1) << error;
    const int last = image.SurfaceCount() - 2;
    const double end = image.Surface(last)->general.vertex[0];
    ASSERT_NEAR(end, plane + c.beyond + (c.lens ? kThickness : 0.0), kTight);
    const double expected = end > plane ? end + (end - plane) : plane;
    EXPECT_NEAR(image.Surface(last + 1)->general.vertex[0], expected, kTight);
    EXPECT_NEAR(image.Surface(last + 1)->general.vertex[1], 0.0, kTight);
  }
}

}  // namespace
