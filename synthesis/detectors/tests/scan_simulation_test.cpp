// The scanning simulation without windows: the sweep taken from a track, the chief ray's
// track while a mirror turns (the image moves by f tan 2a), the system put back exactly
// afterwards, and the refusals that leave linear scanning.
#include "foundation/numerics/pi.h"
#include "synthesis/detectors/scan_simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "document/system/system_image.h"
#include "foundation/testing/approx.h"
#include "optics/model/tests/system_test_support.h"
#include "synthesis/detectors/scan_animation.h"
#include "synthesis/detectors/tests/mirror_sweep.h"

namespace {

constexpr double kRadiansPerDegree = kPi / 180.0;
// The objective's focal length by design, and how far its real image may stray from
// f tan 2a over a few degrees (its distortion and the design's rounding).
constexpr double kObjectiveFocalLength = 100.0;
constexpr double kImageHeightShare = 0.01;
// Angles from one arctangent of two traced cosines.
constexpr double kAngleTolerance = 1e-9;

class ScanSimulation : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    ASSERT_EQ(system_.ReadFile(ExamplePath("infrared_scanner.os"), 0), 1);
    system_.Update();
  }
  // Every surface's vertex and tilt, in order.
  std::vector<double> Places() const {
    std::vector<double> places;
    for (int i = 0; i < system_.SurfaceCount(); ++i) {
      const TGeneralParameters &g = system_.surfaces.data[i]->general;
      places.insert(places.end(), {g.vertex[0], g.vertex[1], g.vertex[2], g.angles[0], g.angles[1], g.angles[2]});
    }
    return places;
  }
  TSystemImage system_;
  TScannerParameters scanner_;
};

TScannerParameters TrackOf(const std::vector<double> &y) {
  TScannerParameters scanner;
  const int n = static_cast<int>(y.size());
  scanner.TrackY.Allocate(n, 1);
  scanner.TrackZ.Allocate(n, 1);
  for (int i = 0; i < n; ++i) {
    scanner.TrackY.data[i] = y[static_cast<std::size_t>(i)];
    scanner.TrackZ.data[i] = 100.0 + i;  // names the sample
  }
  return scanner;
}

TEST(ScanSweep, AMaximumBeforeTheMinimumWrapsRoundThePeriod) {
  // The longest run rises from 7 of 10 to 2: 7, 8, then 0, 1, 2 (9 closes the period).
  TScannerParameters scanner = TrackOf({3, 4, 5, 2, 3, 1, 2, 0, 1, 3});
  const TScanSweep sweep = FindScanSweep(scanner.TrackY.data, 10);
  EXPECT_EQ(sweep.first, 7);
  EXPECT_EQ(sweep.last, 2);
  EXPECT_EQ(sweep.length, 5);
  EXPECT_EQ(sweep.range, 5.0);
  ASSERT_TRUE(TakeScanSweep(scanner, sweep));
  ASSERT_EQ(scanner.TrackLength(), 5);
  const double expected[] = {107, 108, 100, 101, 102};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(scanner.TrackZ.data[k], expected[k]) << k;
  EXPECT_EQ(scanner.TrackY.data[0], 0.0);
  EXPECT_EQ(scanner.TrackY.data[4], 5.0);
}

// The sweep is the longest monotonic run, rising or falling: never a saw-tooth's fly-back.
TEST(ScanSweep, TheSweepIsTheLongestRunOfTheTrack) {
  struct Row {
    const char *name;
    std::vector<double> track;
    int first, last, length;
    double range;
  };
  const Row rows[] = {
      {"rising saw-tooth", {0, 1, 2, 3, 4, -4, -3, -2, -1, 0}, 5, 4, 9, 8.0},
      {"falling saw-tooth", {0, -1.75, -3.5, -5.25, -7, 7, 5.25, 3.5, 1.75, 0}, 5, 4, 9, 14.0},
      {"triangle", {2, 3, 4, 3, 2, 1, 0, 1, 2}, 2, 6, 5, 4.0},
      {"zero", {1, 1, 1, 1}, 0, 0, 1, 0.0},
      {"rounding level", {0, 1e-13, 2e-13, 1e-13, 0}, 0, 2, 3, 2e-13},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    const TScanSweep sweep = FindScanSweep(row.track.data(), static_cast<int>(row.track.size()));
    EXPECT_EQ(sweep.first, row.first);
    EXPECT_EQ(sweep.last, row.last);
    EXPECT_EQ(sweep.length, row.length);
    EXPECT_APPROX(sweep.range, row.range, 1e-15);
  }
}

TEST(ScanSweep, AMinimumFirstRunsStraightAndEqualValuesKeepTheFirst) {
  TScannerParameters scanner = TrackOf({1, 0, 0, 2, 4, 4, 3});
  const TScanSweep sweep = FindScanSweep(scanner.TrackY.data, 7);
  EXPECT_EQ(sweep.first, 1);
  EXPECT_EQ(sweep.last, 4);
  EXPECT_EQ(sweep.length, 4);
  ASSERT_TRUE(TakeScanSweep(scanner, sweep));
  EXPECT_EQ(scanner.TrackZ.data[0], 101.0);
  EXPECT_EQ(scanner.TrackZ.data[3], 104.0);
  // A track that does not move: one sample, no range.
  TScannerParameters still = TrackOf({2, 2, 2});
  const TScanSweep none = FindScanSweep(still.TrackY.data, 3);
  EXPECT_EQ(none.length, 1);
  EXPECT_EQ(none.range, 0.0);
  // A sweep the tracks do not hold is refused and leaves them.
  TScanSweep wrong = sweep;
  wrong.last = 9;
  EXPECT_FALSE(TakeScanSweep(still, wrong));
  EXPECT_EQ(still.TrackLength(), 3);
}

TEST_F(ScanSimulation, TheImageOfATurningMirrorMovesByFTanTwiceTheTurnAndTheSystemComesBack) {
  const std::vector<double> before = Places();
  const int undoSteps = system_.CanUndo();
  system_.SetUnsavedChanges(0);
  // From +1 to -1 degree in 8 steps: the image rises along the image surface's y.
  TMirrorSweep mirror(system_, 8, 1.0, -0.25);
  scanner_.Frequence = 50.0f;
  scanner_.Yscanning = 1;
  TScanTrackRequest request;
  TScanSweep sweep;
  int lost = -1;
  ASSERT_EQ(RecordScanTrack(system_, mirror, request, scanner_, nullptr, sweep, lost), TScanTrackResult::kRecorded);
  EXPECT_EQ(mirror.begun, 1);
  EXPECT_EQ(mirror.ended, 1);
  EXPECT_EQ(mirror.stepped, 9);  // after each of the nine samples
  // Nine samples over one period of 1/50 s; the sweep is all of them, monotonic.
  EXPECT_EQ(sweep.length, 9);
  ASSERT_EQ(scanner_.TrackLength(), 9);
  EXPECT_APPROX(scanner_.TimeStep, 0.02 / 8, 1e-15);
  EXPECT_APPROX(scanner_.ScanTime, 8 * scanner_.TimeStep, 1e-15);
  const double span = kObjectiveFocalLength * (std::tan(2.0 * kRadiansPerDegree) - std::tan(-2.0 * kRadiansPerDegree));
  EXPECT_APPROX(sweep.range, span, kImageHeightShare * span);
  EXPECT_APPROX(std::fabs(scanner_.TrackY.data[8] - scanner_.TrackY.data[0]), sweep.range, 1e-12);
  // The middle sample is the mirror in its place: the image on the axis.
  EXPECT_APPROX(scanner_.TrackY.data[4], scanner_.TrackY.data[0] + 0.5 * (scanner_.TrackY.data[8] - scanner_.TrackY.data[0]),
                kImageHeightShare * span);
  // Back exactly where it was, without an undo step and without a mark of change.
  EXPECT_EQ(Places(), before);
  EXPECT_EQ(system_.CanUndo(), undoSteps);
  EXPECT_EQ(system_.HasUnsavedChanges(), 0);
  // Turned the other way the image falls all period long: that fall is the sweep, not the
  // jump back from the last sample to the first.
  TMirrorSweep back(system_, 8, -1.0, 0.25);
  ASSERT_EQ(RecordScanTrack(system_, back, request, scanner_, nullptr, sweep, lost), TScanTrackResult::kRecorded);
  EXPECT_EQ(sweep.length, 9);
  EXPECT_APPROX(sweep.range, span, kImageHeightShare * span);
  EXPECT_LT(scanner_.TrackY.data[8], scanner_.TrackY.data[0]);
  EXPECT_APPROX(scanner_.ScanTime, 8 * scanner_.TimeStep, 1e-15);
}

TEST_F(ScanSimulation, ALostChiefRayOrNoAnimationLeavesTheSystemAsItWas) {
  const std::vector<double> before = Places();
  TScanTrackRequest request;
  TScanSweep sweep;
  int lost = -1;
  // Turned by 30 degrees more at the third step the beam misses the objective.
  TMirrorSweep wild(system_, 4, 0.0, 15.0);
  EXPECT_EQ(RecordScanTrack(system_, wild, request, scanner_, nullptr, sweep, lost), TScanTrackResult::kRayLost);
  EXPECT_GE(lost, 1);
  EXPECT_EQ(wild.ended, 1);
  EXPECT_EQ(Places(), before);
  // An animation that cannot be read, and one without steps.
  TMirrorSweep unread(system_, 4, 0.0, 1.0);
  unread.loads = false;
  EXPECT_EQ(RecordScanTrack(system_, unread, request, scanner_, nullptr, sweep, lost), TScanTrackResult::kNoAnimation);
  EXPECT_EQ(unread.ended, 0);
  TMirrorSweep still(system_, 0, 3.0, 1.0);
  EXPECT_EQ(RecordScanTrack(system_, still, request, scanner_, nullptr, sweep, lost), TScanTrackResult::kNoAnimation);
  EXPECT_EQ(still.ended, 1);
  EXPECT_EQ(Places(), before);
}

TEST_F(ScanSimulation, AnImageAtInfinityIsTrackedInMilliradians) {
  const std::string window =
      "[Common]\nName=Window\nMonochromeSystem=1\nLambdaW=0.5875618\nLambda=0.5875618\nWeight=1\n"
      "Temperature=20; Pressure=760\nEnablePipe=0\nN1=1\nCoord=1\nDifrac=1\nDiscrete=0\n"
      "ShowRecommendation=1\nNd=64\nUnit=0\nAlfaM=0,1;\nNray=21; DrawAllRays=0\nNsurf=3\nTurnSystem=0\n\n"
      "ObjectFinite=0\nImageFinite=0\n\nAutoSetPupilParameters=0\nNaper=2; Dentr=10\n\n[Surfaces]\n"
      "{ R=0; Glass=\"\"; DextY=30; }\n{ R=0; Glass=\"\"; Dx=10; DextY=30; }\n"
      "{ R=0; Glass=\"\"; Dx=20; DextY=30; }\n";
  WriteText(Scratch("window.os"), window);
  TSystemImage plain;
  ASSERT_EQ(plain.ReadFile(Scratch("window.os"), 0), 1);
  TScanPosition point;
  for (const double degrees : {0.0, 1.0, -2.5}) {
    ASSERT_TRUE(ChiefRayImagePoint(plain, degrees, 0.0, true, point)) << degrees;
    // Through plane air the chief ray keeps its field angle.
    EXPECT_APPROX(std::fabs(point.y), std::fabs(degrees) * kRadiansPerDegree * 1000.0, kAngleTolerance);
    EXPECT_APPROX(point.z, 0.0, kAngleTolerance);
  }
  // The same ray at a finite image lands in mm: 20 mm behind the stop at 2.5 degrees.
  ASSERT_TRUE(ChiefRayImagePoint(plain, 2.5, 0.0, false, point));
  EXPECT_GT(std::fabs(point.y), 0.0);
  EXPECT_LT(std::fabs(point.y), 30.0 * std::tan(2.5 * kRadiansPerDegree) + 1e-9);
}

}  // namespace
