#include "optics/trace/image_coordinate.h"

#include <algorithm>
#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/model/tests/system_test_support.h"

namespace {

// Round-off over a few surfaces, in milliradians.
constexpr double kRoundOffMrad = 1e-9;
// The folded and unfolded traces differ only by the mirror's reflection; in mrad.
constexpr double kFoldMrad = 1e-9;
// A node's share of a PSF whose rays land alike in both systems: float sums of the same
// transmissions, in the same order.
constexpr double kNodeShare = 1e-6;

// The symmetric singlet (R1 = 50, R2 = -50, 5 thick, n = 1.5168) with an object at its front
// focus, so the image lies at infinity; or, for a flat, a plate of the same glass, through
// which a ray leaves parallel to the way it came (Snell's law at two parallel faces).
constexpr double kLensFront = 47.5362;
constexpr double kLensRadius = 50.0;

class ImageCoordinateTest : public SystemTest {
 protected:
  // With fold set a plane mirror behind the glass sends the light back, and the image plane
  // is met going -x.
  void Build(TOpticalSystem &system, bool fold, bool flat) {
    AddAt(system, 0.0, 0.0, "", 20.0);
    AddAt(system, kLensFront, flat ? 0.0 : kLensRadius, "1.5168", 12.5);
    AddAt(system, kLensFront + 5.0, flat ? 0.0 : -kLensRadius, "", 12.5);
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
  // The ray from object height h towards the axis at the glass's front face, traced to the
  // image in the last surface's frame.
  static TCurrentRay TowardsTheAxis(TOpticalSystem &system, double h) {
    TCurrentRay ray = RayAlong(0.0, h, 0.0, kLensFront, -h, 0.0);
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
// must stand where it stands in the same system unfolded: behind the plate, at the angle the
// ray came in at.
TEST_F(ImageCoordinateTest, OneFoldMirrorKeepsTheAngleOfTheUnfoldedSystem) {
  TOpticalSystem straight, folded;
  Build(straight, false, true);
  Build(folded, true, true);
  for (double h : {-3.0, 1.0, 4.0}) {
    const TCurrentRay out = TowardsTheAxis(straight, h);
    const TCurrentRay back = TowardsTheAxis(folded, h);
    ASSERT_GT(out.L, 0.0) << h;
    ASSERT_LT(back.L, 0.0) << h;
    const double expected = 1000.0 * std::atan(-h / kLensFront);
    EXPECT_APPROX(ImageCoordinate(0, out.y, out.M, out.L), expected, kRoundOffMrad) << h;
    EXPECT_APPROX(ImageCoordinate(0, back.y, back.M, back.L), expected, kFoldMrad) << h;
    EXPECT_APPROX(ImageCoordinate(0, back.z, back.N, back.L), 0.0, kRoundOffMrad) << h;
  }
}

// The PSF of the folded system stands where the unfolded one stands, the same way up: its
// centre is the chief ray's angle, and its light falls in the same nodes.
TEST_F(ImageCoordinateTest, OneFoldMirrorKeepsThePsfOfTheUnfoldedSystem) {
  constexpr double kObjectHeight = 3.0;
  constexpr int kNodes = 64;
  TOpticalSystem straight, folded;
  Build(straight, false, false);
  Build(folded, true, false);
  for (TOpticalSystem *system : {&straight, &folded}) {
    system->info.Nd = kNodes;
    system->info.Difrac = 0;
    system->info.Discrete = 1.0;  // mrad per node
    ASSERT_EQ(system->Prepare(0.0, 1, 0), 1);
    ASSERT_EQ(system->ComputePSFNodes(kObjectHeight, 0.0, 1), 1);
  }
  // The chief ray leaves the lens about atan(-h / f') below the axis, some 60 mrad.
  EXPECT_LT(straight.info.psfResults[2], -40.0);
  EXPECT_APPROX(folded.info.psfResults[2], straight.info.psfResults[2], kFoldMrad);
  EXPECT_APPROX(folded.info.psfResults[1], straight.info.psfResults[1], kFoldMrad);
  double lit = 0.0, largestDifference = 0.0;
  for (int node = 0; node < kNodes * kNodes; ++node) {
    lit += straight.workArray1.data[node];
    largestDifference = std::max<double>(
        largestDifference, std::fabs(folded.workArray1.data[node] - straight.workArray1.data[node]));
  }
  EXPECT_GT(lit, 0.0);
  EXPECT_LE(largestDifference, kNodeShare);
}

}  // namespace
