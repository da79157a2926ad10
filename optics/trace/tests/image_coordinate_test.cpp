#include "optics/trace/image_coordinate.h"

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/model/tests/system_test_support.h"

namespace {

// Round-off over a few surfaces, in milliradians.
constexpr double kRoundOffMrad = 1e-9;
// The folded and unfolded traces differ only by the mirror's reflection; in mrad.
constexpr double kFoldMrad = 1e-9;

// The symmetric singlet (R1 = 50, R2 = -50, 5 thick, n = 1.5168): its optical centre, half
// way through, is where a ray leaves parallel to the way it came, the two faces it meets
// being parallel there.
constexpr double kLensFront = 47.5362;
constexpr double kLensCentre = kLensFront + 2.5;

class ImageCoordinateTest : public SystemTest {
 protected:
  // An object at the singlet's front focus, so the image lies at infinity; with fold set a
  // plane mirror behind the lens sends the light back, and the image plane is met going -x.
  void Build(TOpticalSystem &system, bool fold) {
    AddAt(system, 0.0, 0.0, "", 20.0);
    AddAt(system, kLensFront, 50.0, "1.5168", 12.5);
    AddAt(system, kLensFront + 5.0, -50.0, "", 12.5);
    if (fold) {
      AddAt(system, 100.0, 0.0, "refl", 40.0);
      AddAt(system, 60.0, 0.0, "", 40.0);
    } else {
      AddAt(system, 100.0, 0.0, "", 40.0);
    }
    system.info.ObjectFinite = 1;
    system.info.ImageFinite = 0;
    ASSERT_EQ(system.Prepare(0.5875618, 1, 0), 1);
  }
  // The ray from object height h through the lens's optical centre, traced to the image in
  // the last surface's frame.
  static TCurrentRay ThroughTheCentre(TOpticalSystem &system, double h) {
    TCurrentRay ray = RayAlong(0.0, h, 0.0, kLensCentre, -h, 0.0);
    ray.traceThrough = 1;
    EXPECT_EQ(system.TraceRay(ray, 1, nullptr, 0), 1);
    return ray;
  }
};

TEST(ImageCoordinate, HeightForAFiniteImageAngleInMilliradiansAtInfinity) {
  EXPECT_EQ(ImageCoordinate(1, 7.0, 0.5, 0.5), 7.0);
  EXPECT_APPROX(ImageCoordinate(0, 7.0, 0.5, std::sqrt(0.75)), 1000.0 * std::asin(0.5), kRoundOffMrad);
  // Light going back along the axis: the same angle against the way it travels.
  EXPECT_APPROX(ImageCoordinate(0, 7.0, 0.5, -std::sqrt(0.75)), 1000.0 * std::asin(0.5), kRoundOffMrad);
}

// One plane mirror folds the light back: L turns negative, M stays. The image at infinity
// must stand where it stands in the same system unfolded.
TEST_F(ImageCoordinateTest, OneFoldMirrorKeepsTheAngleOfTheUnfoldedSystem) {
  TOpticalSystem straight, folded;
  Build(straight, false);
  Build(folded, true);
  for (double h : {-3.0, 1.0, 4.0}) {
    const TCurrentRay out = ThroughTheCentre(straight, h);
    const TCurrentRay back = ThroughTheCentre(folded, h);
    ASSERT_GT(out.L, 0.0) << h;
    ASSERT_LT(back.L, 0.0) << h;
    const double expected = 1000.0 * std::atan(-h / kLensCentre);
    EXPECT_APPROX(ImageCoordinate(0, out.y, out.M, out.L), expected, kRoundOffMrad) << h;
    EXPECT_APPROX(ImageCoordinate(0, back.y, back.M, back.L), expected, kFoldMrad) << h;
    EXPECT_APPROX(ImageCoordinate(0, back.z, back.N, back.L), 0.0, kRoundOffMrad) << h;
  }
}

}  // namespace
