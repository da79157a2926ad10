#include "document/elements/element_grouping.h"
#include "document/system/tests/editor_test_support.h"

namespace {

using AnalysisServicesTest = EditorTest;

TEST_F(AnalysisServicesTest, CloneUnfoldsTheSystemAtAMirror) {
  TSystemImage singlet;
  Open(singlet, "singlet.os");
  const std::vector<DPOINT3> vertices = Vertices(singlet);
  EXPECT_EQ(singlet.Clone(0), nullptr);
  EXPECT_EQ(singlet.Clone(4), nullptr);
  std::unique_ptr<TSystemImage> unfolded(singlet.Clone(3));
  ASSERT_NE(unfolded, nullptr);
  // Object, the two faces, the image plane as a mirror, then the faces and the object
  // plane again on the way back.
  ASSERT_EQ(unfolded->SurfaceCount(), 7);
  EXPECT_EQ(unfolded->info.ObjectFinite, 1);
  EXPECT_EQ(unfolded->info.ImageFinite, 1);
  EXPECT_EQ(unfolded->Surface(3)->general.glass, "refl");
  // Behind each face on the way back lies what was in front of it before (the preparation
  // holds glass names in its own spelling: compare with the source's).
  EXPECT_EQ(unfolded->Surface(4)->general.glass, singlet.Surface(1)->general.glass);
  EXPECT_TRUE(IsAirGlass(unfolded->Surface(5)->general.glass));
  EXPECT_FALSE(IsAirGlass(unfolded->Surface(4)->general.glass));
  EXPECT_EQ(unfolded->Surface(4)->general.R, -50.0);
  EXPECT_EQ(unfolded->Surface(5)->general.R, 50.0);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(unfolded->Surface(4 + k)->general.vertex[0], vertices[2 - k].x) << k;
    EXPECT_NE(unfolded->EditSurface(4 + k), nullptr) << k;
  }
  // The lens met twice gives two elements; the mirror is one of its own.
  EXPECT_EQ(unfolded->ElementCount(), 3);
  EXPECT_EQ(unfolded->ConfigurationCount(), 1);
  // The source is untouched.
  EXPECT_EQ(singlet.SurfaceCount(), 4);
  EXPECT_EQ(singlet.Surface(3)->general.materialKind, 0);
}

TEST_F(AnalysisServicesTest, PupilsAreSolvedForTheFieldPointAsked) {
  TSystemImage triplet;
  Open(triplet, "cooke_triplet.os");
  ASSERT_EQ(triplet.PrepareAndUpdatePupils(14.0, 0.0), 1);
  // The entrance pupil holds the given diameter; the chief ray of 14 degrees leaves the
  // object side at that angle.
  EXPECT_APPROX(triplet.info.entrancePupilDiameter, 10.0, 1e-9);
  const TCurrentRay chief = triplet.MakeRay(14.0, 0.0, 0.0, 0.0);
  EXPECT_APPROX(std::atan2(chief.M, chief.L), 14.0 * kDegreesToRadians, 1e-9);
  TSystemImage empty;
  EXPECT_LT(empty.PrepareAndUpdatePupils(0.0, 0.0), 0);
}

}  // namespace
