// Pupil solves lent to a system that stands still: the stop imaged once serves every later
// field point, and a field point solved again takes its first solve's pupils; either way
// the pupils are those of a solve without them, to the last bit.

#include "optics/pupils/pupil_solves.h"

#include <cstring>

#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// What a solve leaves in the system's information.
struct TPupils {
  int stop = 0;
  double entrance[3] = {0.0, 0.0, 0.0}, exit[3] = {0.0, 0.0, 0.0};
  double entranceDiameter = 0.0, exitDiameter = 0.0;
};

TPupils PupilsOf(const TOpticalSystem &system) {
  TPupils pupils;
  const TOpticalSystemInformation &in = system.info;
  pupils.stop = in.stopIndex;
  std::memcpy(pupils.entrance, in.entrancePupilPoint, sizeof pupils.entrance);
  std::memcpy(pupils.exit, in.exitPupilPoint, sizeof pupils.exit);
  pupils.entranceDiameter = in.entrancePupilDiameter;
  pupils.exitDiameter = in.exitPupilDiameter;
  return pupils;
}

void ExpectSame(const TPupils &got, const TPupils &expected) {
  EXPECT_EQ(got.stop, expected.stop);
  EXPECT_EQ(std::memcmp(got.entrance, expected.entrance, sizeof got.entrance), 0)
      << got.entrance[0] << " " << got.entrance[1] << " " << got.entrance[2];
  EXPECT_EQ(std::memcmp(got.exit, expected.exit, sizeof got.exit), 0)
      << got.exit[0] << " " << got.exit[1] << " " << got.exit[2];
  EXPECT_EQ(std::memcmp(&got.entranceDiameter, &expected.entranceDiameter, sizeof(double)), 0);
  EXPECT_EQ(std::memcmp(&got.exitDiameter, &expected.exitDiameter, sizeof(double)), 0);
}

class PupilSolves : public PupilTest {
 protected:
  // The pupils of each field point solved without lent solves.
  void SolveAlone(const double (*fields)[2], int count, TPupils *pupils) {
    for (int k = 0; k < count; ++k) {
      ASSERT_EQ(system.SolveChiefRay(fields[k][0], fields[k][1]), 1);
      pupils[k] = PupilsOf(system);
    }
  }
  TOpticalSystem system;
};

}  // namespace

TEST_F(PupilSolves, AreThePupilsOfSolvesWithoutThem) {
  // The triplet with its own stop search, then with the user's stop and pupil diameter
  // (whose scaling of the pupils follows the solve).
  for (bool userStop : {false, true}) {
    SCOPED_TRACE(userStop ? "user stop" : "stop searched");
    system = TOpticalSystem();
    BuildTriplet(system);
    if (userStop) UserStop(system, 4, 9.0);
    Ready(system);
    const double fields[][2] = {{0.0, 0.0}, {14.0, 0.0}, {-10.0, 12.0}};
    constexpr int count = 3;
    TPupils alone[count];
    SolveAlone(fields, count, alone);

    TPupilSolves solves;
    const TPupilSolvesLent lent(system, solves);
    for (int k = 0; k < count; ++k) {
      SCOPED_TRACE(k);
      ASSERT_EQ(system.SolveChiefRay(fields[k][0], fields[k][1]), 1);
      ExpectSame(PupilsOf(system), alone[k]);
    }
    // The stop was imaged by the first solve alone.
    EXPECT_EQ(solves.imagedOnce, count - 1);
    EXPECT_EQ(solves.repeatedSolves, 0);
    // Solved again after another field point: the first solve's pupils come back.
    for (int k = count - 1; k >= 0; --k) {
      SCOPED_TRACE(k);
      ASSERT_EQ(system.SolveChiefRay(fields[k][0], fields[k][1]), 1);
      ExpectSame(PupilsOf(system), alone[k]);
    }
    EXPECT_EQ(solves.repeatedSolves, count);
  }
}

TEST_F(PupilSolves, AreLentOnlyForTheirScope) {
  BuildTriplet(system);
  Ready(system);
  TPupilSolves solves;
  {
    const TPupilSolvesLent lent(system, solves);
    ASSERT_EQ(system.SolveChiefRay(14.0, 0.0), 1);
  }
  EXPECT_EQ(system.pupilSolves, nullptr);
  // A change after the loan is seen by the next solve: a stronger first lens images the
  // stop elsewhere.
  const double before = system.info.entrancePupilPoint[0];
  system.Surface(1)->general.R *= 0.9;
  Ready(system);
  ASSERT_EQ(system.SolveChiefRay(14.0, 0.0), 1);
  EXPECT_NE(system.info.entrancePupilPoint[0], before);
  EXPECT_EQ(solves.repeatedSolves, 0);
}
