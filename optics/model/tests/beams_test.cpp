#include "optics/model/beams.h"

#include <gtest/gtest.h>

#include "optics/model/optical_system.h"

namespace {

TEST(BeamsPar, NewSetHasFiveRaysPerBeamAndNoBeams) {
  TOpticalSystem owner;
  const TBeamsPar beams(&owner);
  EXPECT_EQ(beams.GetOwner(), &owner);
  EXPECT_EQ(beams.kind, 0);
  EXPECT_EQ(beams.flag, 1);
  EXPECT_EQ(beams.raysPerBeam, 5);
  EXPECT_EQ(beams.beams.data, nullptr);
}

TEST(BeamsPar, ResetKeepsTheRayCountPositive) {
  TBeamsPar beams(nullptr);
  EXPECT_EQ(beams.Reset(-7, 2), "");
  EXPECT_EQ(beams.raysPerBeam, 7);
  EXPECT_EQ(beams.kind, 2);
  beams.Reset(0, -1);
  EXPECT_EQ(beams.raysPerBeam, 7);  // count 0 keeps the previous one
  EXPECT_EQ(beams.kind, 2);         // a negative kind is not stored
  beams.raysPerBeam = -3;
  beams.Reset(0, 0);
  EXPECT_EQ(beams.raysPerBeam, 3);
  EXPECT_EQ(beams.kind, 0);
  beams.Reset(-2147483647 - 1, 0);
  EXPECT_GT(beams.raysPerBeam, 0);
}

TEST(BeamsPar, ResetDropsEveryBeamAndRay) {
  TBeamsPar beams(nullptr);
  ASSERT_TRUE(beams.beams.Allocate(2, 1));
  ASSERT_TRUE(beams.beams.data[0].rays.Allocate(4, 1));
  beams.Reset(3, 0);
  EXPECT_EQ(beams.beams.data, nullptr);
  EXPECT_EQ(beams.beams.cols, 0);
}

TEST(BeamsPar, CopiesOwnTheirRays) {
  TBeamsPar original(nullptr);
  ASSERT_TRUE(original.beams.Allocate(1, 1));
  ASSERT_TRUE(original.beams.data[0].rays.Allocate(2, 1));
  original.beams.data[0].rays.data[1] = TCurrentRay(1.0, 2.0, 3.0);
  original.beams.data[0].startX = 4.0;
  TBeamsPar copy(original);
  ASSERT_EQ(copy.beams.cols, 1);
  ASSERT_NE(copy.beams.data[0].rays.data, original.beams.data[0].rays.data);
  EXPECT_EQ(copy.beams.data[0].rays.data[1].y, 2.0);
  EXPECT_EQ(copy.beams.data[0].startX, 4.0);
  original.beams.data[0].rays.data[1].y = -1.0;
  EXPECT_EQ(copy.beams.data[0].rays.data[1].y, 2.0);
  TBeamsPar assigned(nullptr);
  assigned = original;
  original.Clear();
  EXPECT_EQ(assigned.beams.data[0].rays.data[1].y, -1.0);
}

}  // namespace
