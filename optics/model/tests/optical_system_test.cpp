#include "optics/model/optical_system.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "foundation/testing/approx.h"
#include "optics/model/model_globals.h"

namespace {

TEST(OpticalSystem, ANewSystemIsEmptyAndCountsAsAChange) {
  ClearModelChanged();
  const TOpticalSystem system;
  EXPECT_EQ(ModelChanged(), 1);
  EXPECT_EQ(system.SurfaceCount(), 0);
  EXPECT_EQ(system.info.stopIndex, -1);
}

TEST(OpticalSystem, NewDefaultGivesTwoPlanesTenApart) {
  TOpticalSystem system;
  system.info.Nray = 7;
  system.info.Coord = 1;
  system.NewDefault();
  ASSERT_EQ(system.SurfaceCount(), 2);
  const TSurface &a = *system.Surface(0);
  const TSurface &b = *system.Surface(1);
  EXPECT_EQ(a.general.type, kSurfacePlane);
  EXPECT_EQ(b.general.type, kSurfacePlane);
  EXPECT_EQ(a.general.vertex[0], 0.0);
  EXPECT_EQ(b.general.vertex[0], 10.0);
  EXPECT_EQ(b.general.vertex[1], 0.0);
  EXPECT_EQ(a.general.semiWidthExt, 5.0);
  EXPECT_EQ(a.general.semiHeightExt, 5.0);
  EXPECT_EQ(b.general.semiWidthExt, 5.0);
  EXPECT_EQ(b.general.semiHeightExt, 5.0);
  EXPECT_EQ(system.info.Nray, 7);
  EXPECT_EQ(system.info.Coord, 1);
  EXPECT_APPROX(system.TrackLength(), 10.0, 1e-15);
  system.NewDefault();  // again: the old surfaces are replaced, not added to
  EXPECT_EQ(system.SurfaceCount(), 2);
}

TEST(OpticalSystem, AppendedSurfaceTakesTheIndexBeforeOfTheLast) {
  TOpticalSystem system;
  TSurface *first = system.AddSurface(new TSurface);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->general.nAfter, 1.0);
  EXPECT_EQ(first->general.nBefore, 1.0);
  first->general.nBefore = 1.5;
  first->general.nAfter = 1.7;
  TSurface *second = system.AddSurface(new TSurface);
  EXPECT_EQ(second->general.nAfter, 1.5);
  EXPECT_EQ(second->general.nBefore, 1.5);
  EXPECT_EQ(system.AddSurface(nullptr), nullptr);
  EXPECT_EQ(system.SurfaceCount(), 2);
}

TEST(OpticalSystem, FindAndMoveSurfaces) {
  TOpticalSystem system;
  EXPECT_EQ(system.FindSurface(nullptr), -1);
  TSurface stranger;
  EXPECT_EQ(system.MoveSurface(&stranger, 0), 0);
  TSurface *a = system.AddSurface(new TSurface);
  TSurface *b = system.AddSurface(new TSurface);
  TSurface *c = system.AddSurface(new TSurface);
  EXPECT_EQ(system.FindSurface(c), 2);
  EXPECT_EQ(system.MoveSurface(&stranger, 0), 0);
  ClearModelChanged();
  EXPECT_EQ(system.MoveSurface(c, 0), 1);
  EXPECT_EQ(ModelChanged(), 0);
  EXPECT_EQ(system.Surface(0), c);
  EXPECT_EQ(system.Surface(1), a);
  EXPECT_EQ(system.Surface(2), b);
  EXPECT_EQ(system.MoveSurface(c, 99), 1);  // beyond the end: to the last place
  EXPECT_EQ(system.Surface(2), c);
  EXPECT_EQ(system.Surface(0), a);
  EXPECT_EQ(system.SurfaceCount(), 3);
}

TEST(OpticalSystem, ListChangesSetTheModifiedFlagButDeleteAllDoesNot) {
  TOpticalSystem system;
  ClearModelChanged();
  system.AddSurface(new TSurface);
  EXPECT_EQ(ModelChanged(), 1);
  ClearModelChanged();
  TSurface *inserted = new TSurface(5.0, 0.0, 0.0);
  EXPECT_EQ(system.InsertSurface(inserted, 0), 1);
  EXPECT_EQ(ModelChanged(), 1);
  EXPECT_EQ(system.Surface(0), inserted);
  ClearModelChanged();
  system.DeleteSurface(0);
  EXPECT_EQ(ModelChanged(), 1);
  EXPECT_EQ(system.SurfaceCount(), 1);
  system.info.Naper = 2;
  system.info.Dentr = 4.0;
  system.info.stopIndex = 1;
  system.info.ObjectFinite = 1;
  system.info.ImageFinite = 0;
  ClearModelChanged();
  system.DeleteAllSurfaces();
  EXPECT_EQ(ModelChanged(), 0);
  EXPECT_EQ(system.SurfaceCount(), 0);
  EXPECT_EQ(system.info.Naper, 0);
  EXPECT_EQ(system.info.Dentr, 0.0);
  EXPECT_EQ(system.info.stopIndex, -1);
  EXPECT_EQ(system.info.ObjectFinite, 0);
  EXPECT_EQ(system.info.ImageFinite, 1);
}

TEST(OpticalSystem, OutOfRangeIndicesAreSafe) {
  TOpticalSystem system;
  system.DeleteSurface(0);
  system.DeleteSurface(-3);
  EXPECT_EQ(system.Surface(0), nullptr);
  EXPECT_EQ(system.InsertSurface(nullptr, 0), 0);
  TSurface *a = new TSurface;
  EXPECT_EQ(system.InsertSurface(a, 40), 1);  // past the end: appended
  TSurface *b = new TSurface;
  EXPECT_EQ(system.InsertSurface(b, -4), 1);  // before the start: first
  EXPECT_EQ(system.Surface(0), b);
  EXPECT_EQ(system.Surface(1), a);
  system.DeleteSurface(2);
  EXPECT_EQ(system.SurfaceCount(), 2);
  EXPECT_EQ(system.Surface(-1), nullptr);
}

TEST(OpticalSystem, EmptySystemOperationsDoNothingHarmful) {
  TOpticalSystem system;
  EXPECT_EQ(system.HasRasterZones(), 0);
  EXPECT_EQ(system.TrackLength(), 0.0);
  EXPECT_EQ(system.Prepare(0.0, 1, 1), 0);
  system.ReleaseWorkArray();
  system.DeleteAllSurfaces();
  const DPOINT3 p = system.GetSurfacePosition(0, 0, kGlobalFrame);
  EXPECT_EQ(p.x, 0.0);
  const DPOINT3 a = system.GetSurfaceAngles(3, 0, kRelativeFrame);
  EXPECT_EQ(a.y, 0.0);
  system.SetSurfacePosition(0, 0, DPOINT3(1, 2, 3), kRelativeFrame);
  system.SetSurfaceAngles(0, 0, DPOINT3(), DPOINT3(1, 2, 3), kGlobalFrame);
  system.RotateAboutSurface(0, 0, DPOINT3(0, 0, 1));
  system.RotateAboutPoint(0, DPOINT3(), DPOINT3(0, 0, 1));
  system.RotateSurfaceGroup(0, -1, 0, DPOINT3(0, 0, 1));
  system.RotateGroupAboutPoint(0, 5, DPOINT3(), DPOINT3(0, 0, 1));
  system.ShiftSurfaces(0, 5, DPOINT3(1, 1, 1), kRelativeFrame);
  const DPOINT3 q = system.PointInPreviousFrame(3, DPOINT3(1, 2, 3));
  EXPECT_EQ(q.z, 3.0);
  EXPECT_EQ(system.SurfaceCount(), 0);
}

TEST(OpticalSystem, HasRasterZonesSeesAnySurfaceWithZones) {
  TOpticalSystem system;
  system.AddSurface(new TSurface);
  TSurface *lensArray = system.AddSurface(new TSurface);
  EXPECT_EQ(system.HasRasterZones(), 0);
  ASSERT_TRUE(lensArray->zones.Allocate(2, 1));
  EXPECT_EQ(system.HasRasterZones(), 1);
}

TEST(OpticalSystem, ReleaseWorkArrayFreesTheSecondArrayOnly) {
  TOpticalSystem system;
  ASSERT_TRUE(system.workArray1.Allocate(4, 4));
  ASSERT_TRUE(system.workArray2.Allocate(4, 4));
  system.ReleaseWorkArray();
  EXPECT_EQ(system.workArray2.data, nullptr);
  EXPECT_EQ(system.workArray2.cols, 0);
  EXPECT_NE(system.workArray1.data, nullptr);
}

TEST(OpticalSystem, CopiesAreDeepAndIndependent) {
  TOpticalSystem original;
  original.name = "doublet";
  original.NewDefault();
  original.Surface(1)->SetRadius(-25.0);
  original.Surface(1)->general.glass = "BK7_misc";
  ASSERT_TRUE(original.Surface(1)->zones.Allocate(1, 1));
  original.info.Spectrum.data[0].lambda = 0.65;

  TOpticalSystem copy(original);
  ASSERT_EQ(copy.SurfaceCount(), 2);
  EXPECT_EQ(copy.name, "doublet");
  ASSERT_NE(copy.Surface(1), original.Surface(1));
  EXPECT_EQ(copy.Surface(1)->general.R, -25.0);
  EXPECT_EQ(copy.Surface(1)->general.glass, "BK7_misc");
  EXPECT_EQ(copy.HasRasterZones(), 1);
  EXPECT_NE(copy.info.Spectrum.data, original.info.Spectrum.data);

  original.Surface(1)->general.R = 3.0;
  original.info.Spectrum.data[0].lambda = 0.4;
  original.DeleteSurface(0);
  EXPECT_EQ(copy.SurfaceCount(), 2);
  EXPECT_EQ(copy.Surface(1)->general.R, -25.0);
  EXPECT_EQ(copy.info.Spectrum.data[0].lambda, 0.65);

  TOpticalSystem assigned;
  assigned.AddSurface(new TSurface);
  assigned = copy;
  ASSERT_EQ(assigned.SurfaceCount(), 2);
  copy.DeleteAllSurfaces();
  EXPECT_EQ(assigned.Surface(1)->general.vertex[0], 10.0);
}

// Stands in for the pupil solve: brings the system's derived data up to date.
int SolveCount(TOpticalSystem &system, int &solves) {
  if (!system.PupilsNeedSolving()) return 0;
  ++solves;
  system.MarkPupilsSolved();
  return 1;
}

TEST(OpticalSystem, SolvingOneSystemLeavesNoOtherSystemStale) {
  TOpticalSystem edited;
  edited.NewDefault();
  int solves = 0;
  SolveCount(edited, solves);
  EXPECT_EQ(ModelChanged(), 0);
  EXPECT_FALSE(edited.PupilsNeedSolving());
  EXPECT_EQ(SolveCount(edited, solves), 0);  // nothing changed: no second solve

  // The edited system changes, then a clipboard copy is solved first: the shared flag is
  // cleared by that solve, yet the edited system must still see that it needs solving.
  edited.SetSurfacePosition(1, 0, DPOINT3(20.0, 0.0, 0.0), kGlobalFrame);
  TOpticalSystem clipboard(edited);
  SolveCount(clipboard, solves);
  EXPECT_EQ(ModelChanged(), 0);
  EXPECT_TRUE(edited.PupilsNeedSolving());
  EXPECT_EQ(SolveCount(edited, solves), 1);
  EXPECT_FALSE(edited.PupilsNeedSolving());
}

TEST(OpticalSystem, FrameSettersSetTheModifiedFlag) {
  TOpticalSystem system;
  system.NewDefault();
  ClearModelChanged();
  system.SetSurfacePosition(1, 0, DPOINT3(1, 0, 0), kRelativeFrame);
  EXPECT_EQ(ModelChanged(), 1);
  ClearModelChanged();
  system.SetSurfaceAngles(1, 0, DPOINT3(), DPOINT3(0, 0.1, 0), kGlobalFrame);
  EXPECT_EQ(ModelChanged(), 1);
  ClearModelChanged();
  system.RotateAboutSurface(1, 0, DPOINT3(0, 0, 0.1));
  EXPECT_EQ(ModelChanged(), 1);
  ClearModelChanged();
  system.ShiftSurfaces(0, 1, DPOINT3(1, 0, 0), kGlobalFrame);
  EXPECT_EQ(ModelChanged(), 1);
  ClearModelChanged();
  system.SetSurfacePosition(9, 0, DPOINT3(1, 0, 0), kGlobalFrame);  // out of range, yet flagged
  EXPECT_EQ(ModelChanged(), 1);
}

}  // namespace

namespace {

// A surface class of its own, as the editor derives one, with members of its own.
class LabelledSurface : public TSurface {
 public:
  explicit LabelledSurface(std::string text) : label(std::move(text)) {}
  TSurface *Clone() const override { return new LabelledSurface(*this); }
  std::string label;
};

TEST(OpticalSystem, DerivedSurfacesAreDeletedAndCopiedWhole) {
  TOpticalSystem system;
  system.AddSurface(new LabelledSurface(std::string(64, 'a')));  // heap text: a leak shows
  system.AddSurface(new TSurface);
  const TOpticalSystem copy(system);
  const auto *copied = dynamic_cast<const LabelledSurface *>(copy.Surface(0));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->label, std::string(64, 'a'));
  EXPECT_EQ(dynamic_cast<const LabelledSurface *>(copy.Surface(1)), nullptr);
  system.DeleteSurface(0);  // through the base pointer
  EXPECT_EQ(system.SurfaceCount(), 1);
}

}  // namespace
