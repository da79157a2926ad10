// Chief-ray solves started from the aim kept for their beam: they meet the stop centre as
// the search does, fall back to the search where the kept aim leads nowhere, and keep one
// aim per beam, wavelength and configuration.

#include "optics/pupils/chief_ray_aims.h"

#include <cmath>
#include <cstring>

#include "foundation/testing/approx.h"
#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// Both solves meet the stop centre to 1e-9 of its radius (8 mm); aims that differ by that
// much move the pupil crossings by about as much.
constexpr double kSolveAgreement = 1e-7;
// The chief ray meets the stop centre to this fraction of the stop radius.
constexpr double kChiefOnCentre = 1e-8;

class ChiefRayAims : public PupilTest {
 protected:
  void SetUp() override {
    PupilTest::SetUp();
    BuildTriplet(system);
    Ready(system);
  }
  // The solve of the beam with the aims lent to the system.
  int SolveWithAims(double field) {
    const TChiefRayAimsLent lent(system, aims);
    return system.SolveChiefRay(field, 0.0);
  }
  TOpticalSystem system;
  TChiefRayAims aims;
};

TEST_F(ChiefRayAims, AfterASmallChangeTheKeptAimLeadsToTheStopCentre) {
  for (double field : {0.0, 14.0, -20.0}) {
    SCOPED_TRACE(field);
    const int searched = aims.searchedSolves;
    ASSERT_EQ(SolveWithAims(field), 1);
    EXPECT_EQ(aims.searchedSolves, searched + 1);
  }
  // What a step of the optimizer does to the system: the middle lens bends a little.
  system.Surface(3)->general.R *= 1.001;
  system.Surface(4)->general.R *= 0.999;
  Ready(system);
  for (double field : {0.0, 14.0, -20.0}) {
    SCOPED_TRACE(field);
    TOpticalSystem searchedCopy = system;
    ASSERT_EQ(searchedCopy.SolveChiefRay(field, 0.0), 1);
    const int warm = aims.warmSolves;
    ASSERT_EQ(SolveWithAims(field), 1);
    EXPECT_EQ(aims.warmSolves, warm + 1);
    for (int k = 1; k < 3; ++k) {
      EXPECT_APPROX(system.info.entrancePupilPoint[k], searchedCopy.info.entrancePupilPoint[k],
                    kSolveAgreement);
      EXPECT_APPROX(system.info.exitPupilPoint[k], searchedCopy.info.exitPupilPoint[k],
                    kSolveAgreement);
    }
    double missY = 1.0, missZ = 1.0;
    ASSERT_TRUE(ChiefMissAtStop(system, field, missY, missZ));
    const double stopRadius = system.Surface(system.info.stopIndex)->general.semiHeightExt;
    EXPECT_LT(std::hypot(missY, missZ), kChiefOnCentre * stopRadius);
  }
  EXPECT_EQ(aims.searchedSolves, 3);
}

TEST_F(ChiefRayAims, AnAimThatLeadsNowhereIsSearchedAgainAsWithoutAims) {
  TOpticalSystem plain = system;
  ASSERT_EQ(plain.SolveChiefRay(14.0, 0.0), 1);
  // An aim far outside surface 1: its ray misses the lenses altogether.
  aims.Keep(14.0, 0.0, system.info.LambdaW, 4, system.info.ObjectFinite, 500.0, 0.0);
  ASSERT_EQ(SolveWithAims(14.0), 1);
  EXPECT_EQ(aims.warmSolves, 0);
  EXPECT_EQ(aims.searchedSolves, 1);
  // The search does what it does without aims, to the last bit.
  EXPECT_EQ(std::memcmp(system.info.entrancePupilPoint, plain.info.entrancePupilPoint,
                        sizeof plain.info.entrancePupilPoint),
            0);
  EXPECT_EQ(std::memcmp(system.info.exitPupilPoint, plain.info.exitPupilPoint,
                        sizeof plain.info.exitPupilPoint),
            0);
  // The found aim replaced the useless one.
  double y = 0.0, z = 0.0;
  ASSERT_TRUE(aims.Find(14.0, 0.0, system.info.LambdaW, 4, system.info.ObjectFinite, y, z));
  EXPECT_LT(std::fabs(y), system.Surface(1)->general.semiHeightExt);
  // Without the aims lent, a solve neither uses nor keeps any.
  aims.Clear();
  ASSERT_EQ(system.SolveChiefRay(14.0, 0.0), 1);
  EXPECT_FALSE(aims.Find(14.0, 0.0, system.info.LambdaW, 4, system.info.ObjectFinite, y, z));
  EXPECT_EQ(aims.searchedSolves + aims.warmSolves, 1);
}

TEST_F(ChiefRayAims, ConfigurationsAndWavelengthsKeepAimsOfTheirOwn) {
  const double working = system.info.LambdaW;
  ASSERT_EQ(SolveWithAims(14.0), 1);
  aims.SetConfiguration(1);
  ASSERT_EQ(SolveWithAims(14.0), 1);
  EXPECT_EQ(aims.searchedSolves, 2);
  system.info.LambdaW = 0.48;
  ASSERT_NE(working, 0.48);
  ASSERT_GE(system.Prepare(0.48, 1, 0), 0);
  ASSERT_EQ(SolveWithAims(14.0), 1);
  EXPECT_EQ(aims.searchedSolves, 3);
  aims.SetConfiguration(0);
  system.info.LambdaW = working;
  ASSERT_GE(system.Prepare(working, 1, 0), 0);
  EXPECT_EQ(aims.warmSolves, 0);
  ASSERT_EQ(SolveWithAims(14.0), 1);
  EXPECT_EQ(aims.warmSolves, 1);
  EXPECT_EQ(aims.searchedSolves, 3);
}

TEST(ChiefRayAimTable, AFullTableGivesUpItsOldestAims) {
  TChiefRayAims aims;
  constexpr int kBeams = 70;  // more than the table holds
  for (int b = 0; b < kBeams; ++b) aims.Keep(b, 0.0, 0.55, 2, 0, b * 0.1, 0.0);
  double y = 0.0, z = 0.0;
  EXPECT_FALSE(aims.Find(0.0, 0.0, 0.55, 2, 0, y, z));
  ASSERT_TRUE(aims.Find(kBeams - 1, 0.0, 0.55, 2, 0, y, z));
  EXPECT_EQ(y, (kBeams - 1) * 0.1);
  // A beam kept again is updated in place, and forgetting it leaves no aim.
  aims.Keep(kBeams - 1, 0.0, 0.55, 2, 0, 7.0, 1.0);
  ASSERT_TRUE(aims.Find(kBeams - 1, 0.0, 0.55, 2, 0, y, z));
  EXPECT_EQ(y, 7.0);
  EXPECT_EQ(z, 1.0);
  aims.Forget(kBeams - 1, 0.0, 0.55, 2, 0);
  EXPECT_FALSE(aims.Find(kBeams - 1, 0.0, 0.55, 2, 0, y, z));
  // Another stop or object kind is another beam.
  EXPECT_FALSE(aims.Find(kBeams - 2, 0.0, 0.55, 3, 0, y, z));
  EXPECT_FALSE(aims.Find(kBeams - 2, 0.0, 0.55, 2, 1, y, z));
  EXPECT_TRUE(aims.Find(kBeams - 2, 0.0, 0.55, 2, 0, y, z));
}

}  // namespace
