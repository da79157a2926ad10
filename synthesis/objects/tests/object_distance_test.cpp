// Placing a finite object: surface 1 and the later surfaces move together along the old
// direction from the object surface, by hand geometry.

#include "synthesis/objects/object_distance.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"
#include "optics/model/surface.h"

namespace {

// Millimetre positions after one addition of a shift.
constexpr double kPlaceTolerance = 1e-12;

void ExpectAt(const TOpticalSystem &system, int i, double x, double y, double z) {
  const DPOINT3 p = system.GetSurfacePosition(i, 0, 1);
  EXPECT_APPROX(p.x, x, kPlaceTolerance) << "surface " << i;
  EXPECT_APPROX(p.y, y, kPlaceTolerance) << "surface " << i;
  EXPECT_APPROX(p.z, z, kPlaceTolerance) << "surface " << i;
}

}  // namespace

TEST(ObjectDistance, AlongTheAxisEverySurfaceAfterTheObjectMovesByTheSameLength) {
  TOpticalSystem system;
  system.AddSurface(new TSurface(0.0, 0.0, 0.0));
  system.AddSurface(new TSurface(100.0, 0.0, 0.0));
  system.AddSurface(new TSurface(110.0, 0.0, 0.0));
  system.AddSurface(new TSurface(150.0, 2.0, 0.0));
  EXPECT_APPROX(ObjectDistanceOf(system), 0.1, kPlaceTolerance);
  ASSERT_EQ(PlaceObjectAt(system, 0.25), 1);
  ExpectAt(system, 0, 0.0, 0.0, 0.0);
  ExpectAt(system, 1, 250.0, 0.0, 0.0);
  ExpectAt(system, 2, 260.0, 0.0, 0.0);
  ExpectAt(system, 3, 300.0, 2.0, 0.0);
  EXPECT_APPROX(ObjectDistanceOf(system), 0.25, kPlaceTolerance);
}

TEST(ObjectDistance, AnOffAxisObjectKeepsItsDirection) {
  TOpticalSystem system;
  system.AddSurface(new TSurface(10.0, 0.0, 0.0));
  system.AddSurface(new TSurface(40.0, 40.0, 0.0));  // (30, 40, 0) from the object: 50 mm
  system.AddSurface(new TSurface(50.0, 40.0, 5.0));
  ASSERT_EQ(PlaceObjectAt(system, 0.1), 1);
  // Twice as far along (0.6, 0.8, 0): the shift is (30, 40, 0).
  ExpectAt(system, 1, 70.0, 80.0, 0.0);
  ExpectAt(system, 2, 80.0, 80.0, 5.0);
}

TEST(ObjectDistance, CoincidentVerticesMoveAlongTheAxisAndShortSystemsStay) {
  TOpticalSystem system;
  system.AddSurface(new TSurface(5.0, 1.0, 0.0));
  system.AddSurface(new TSurface(5.0, 1.0, 0.0));
  ASSERT_EQ(PlaceObjectAt(system, 0.02), 1);
  ExpectAt(system, 1, 25.0, 1.0, 0.0);
  EXPECT_EQ(PlaceObjectAt(system, std::nan("")), 0);
  ExpectAt(system, 1, 25.0, 1.0, 0.0);
  TOpticalSystem single;
  single.AddSurface(new TSurface(0.0, 0.0, 0.0));
  EXPECT_EQ(PlaceObjectAt(single, 1.0), 0);
  EXPECT_EQ(ObjectDistanceOf(single), 0.0);
}
