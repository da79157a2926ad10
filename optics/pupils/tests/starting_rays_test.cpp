#include <cmath>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/model/beams.h"
#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// Direction cosines and positions built from a few trigonometric calls.
constexpr double kRoundOff = 1e-12;
constexpr double kDegree = 0.01745329251994;

class StartingRays : public PupilTest {
 protected:
  // Object plane at the origin, a plane at 10 and one at 20; pupil data set by hand.
  void BuildPlanes(TOpticalSystem &system, int objectFinite) {
    AddAt(system, 0.0, 0.0, "", 20.0);
    AddAt(system, 10.0, 0.0, "", 5.0);
    AddAt(system, 20.0, 0.0, "", 20.0);
    Ready(system);
    system.info.ObjectFinite = objectFinite;
  }
  static void SetPupil(TOpticalSystem &system, double ex, double ey, double ez, double d) {
    system.info.entrancePupilPoint[0] = ex;
    system.info.entrancePupilPoint[1] = ey;
    system.info.entrancePupilPoint[2] = ez;
    system.info.entrancePupilDiameter = d;
  }
};

TEST_F(StartingRays, AxialRayFromInfinityStartsAtTheChiefCrossingAlongTheAxis) {
  TOpticalSystem system;
  BuildPlanes(system, 0);
  SetPupil(system, 12.0, 0.3, -0.2, 10.0);
  const TCurrentRay ray = system.MakeRay(0.0, 0.0, 0.0, 0.0);
  EXPECT_APPROX(ray.x, 0.0, kRoundOff);
  EXPECT_APPROX(ray.y, 0.3, kRoundOff);
  EXPECT_APPROX(ray.z, -0.2, kRoundOff);
  EXPECT_APPROX(ray.L, 1.0, kRoundOff);
  EXPECT_APPROX(ray.M, 0.0, kRoundOff);
  EXPECT_APPROX(ray.N, 0.0, kRoundOff);
  EXPECT_EQ(ray.firstFailure, 0);
  EXPECT_EQ(ray.status, kRayPassed);
}

TEST_F(StartingRays, FieldAngleRayCrossesThePupilPlaneAtThePupilPoint) {
  TOpticalSystem system;
  BuildPlanes(system, 0);
  SetPupil(system, 12.0, 0.3, -0.2, 10.0);
  const TCurrentRay ray = system.MakeRay(10.0, 0.0, 2.0, 1.0);
  EXPECT_APPROX(ray.M / ray.L, std::tan(10.0 * kDegree), kRoundOff);
  EXPECT_APPROX(ray.N / ray.L, 0.0, kRoundOff);
  EXPECT_APPROX(ray.L * ray.L + ray.M * ray.M + ray.N * ray.N, 1.0, kRoundOff);
  const double run = (12.0 - ray.x) / ray.L;
  EXPECT_APPROX(ray.y + run * ray.M, 0.3 + 2.0, kRoundOff);
  EXPECT_APPROX(ray.z + run * ray.N, -0.2 + 1.0, kRoundOff);
}

TEST_F(StartingRays, FiniteObjectPointAimsAtThePupil) {
  TOpticalSystem system;
  BuildPlanes(system, 1);
  SetPupil(system, 100.0, 0.0, 0.0, 10.0);
  TCurrentRay ray = system.MakeRay(5.0, 0.0, 0.0, 0.0);
  EXPECT_APPROX(ray.y, 5.0, kRoundOff);
  EXPECT_APPROX(ray.M / ray.L, -5.0 / 100.0, kRoundOff);
  // Pupil point (3, -2): the ray meets the pupil plane there.
  ray = system.MakeRay(5.0, 1.0, 3.0, -2.0);
  EXPECT_APPROX(ray.y + 100.0 * ray.M / ray.L, 3.0, kRoundOff);
  EXPECT_APPROX(ray.z + 100.0 * ray.N / ray.L, -2.0, kRoundOff);
  // The same from an explicit start point.
  const TCurrentRay fromPoint = system.MakeRayFromPoint(0.0, 5.0, 1.0, 3.0, -2.0);
  EXPECT_APPROX(fromPoint.M, ray.M, kRoundOff);
  EXPECT_APPROX(fromPoint.N, ray.N, kRoundOff);
}

TEST_F(StartingRays, ObjectPointInThePupilPlaneTurnsHalfThePupilIntoNinetyDegrees) {
  TOpticalSystem system;
  BuildPlanes(system, 1);
  SetPupil(system, 0.0, 0.0, 0.0, 10.0);
  const TCurrentRay ray = system.MakeRay(0.0, 0.0, 5.0, 0.0);
  EXPECT_APPROX(ray.L, 0.0, kRoundOff);
  EXPECT_APPROX(ray.M, 1.0, kRoundOff);
  const TCurrentRay half = system.MakeRay(0.0, 0.0, 2.5, 0.0);
  EXPECT_APPROX(std::atan2(half.M, half.L), 0.25 * kPi, kRoundOff);
}

TEST_F(StartingRays, TiltedObjectSurfaceTurnsTheRayIntoGlobalAxes) {
  TOpticalSystem system;
  BuildPlanes(system, 0);
  const double az = 0.2;
  system.Surface(0)->SetAngles(0.0, 0.0, az);
  SetPupil(system, 0.0, 1.0, 0.0, 10.0);
  const TCurrentRay ray = system.MakeRay(0.0, 0.0, 0.0, 0.0);
  // A turn about z carries the local axis (1, 0, 0) to (cos az, sin az, 0) and the local
  // point (0, 1, 0) to (-sin az, cos az, 0).
  EXPECT_APPROX(ray.L, std::cos(az), kRoundOff);
  EXPECT_APPROX(ray.M, std::sin(az), kRoundOff);
  EXPECT_APPROX(ray.x, -std::sin(az), kRoundOff);
  EXPECT_APPROX(ray.y, std::cos(az), kRoundOff);
}

TEST_F(StartingRays, VariantRayRunsBackwardsForANegativeSurface) {
  TOpticalSystem system;
  BuildPlanes(system, 0);
  const TCurrentRay ray = system.MakeRayVariant(-2, 1.5, -0.5, 0.1, 0.05);
  EXPECT_APPROX(ray.x, 20.0, kRoundOff);
  EXPECT_APPROX(ray.y, 1.5, kRoundOff);
  EXPECT_APPROX(ray.z, -0.5, kRoundOff);
  EXPECT_LT(ray.L, 0.0);
  EXPECT_APPROX(ray.M / ray.L, std::tan(0.1), kRoundOff);
  EXPECT_APPROX(ray.N / ray.L, std::tan(0.05), kRoundOff);
  const TCurrentRay forward = system.MakeRayVariant(2, 1.5, -0.5, 0.1, 0.05);
  EXPECT_GT(forward.L, 0.0);
}

TEST_F(StartingRays, SurfaceBeyondTheListGivesAStoppedRay) {
  TOpticalSystem system;
  BuildPlanes(system, 0);
  for (const TCurrentRay &ray : {system.MakeRayVariant(3, 0.0, 0.0, 0.0, 0.0),
                                 system.MakeRayToPoint(-7, 0.0, 0.0, 0.0, 0.0, 0)}) {
    EXPECT_EQ(ray.status, -5);
    EXPECT_EQ(ray.L, 0.0);
    EXPECT_EQ(ray.M, 0.0);
    EXPECT_EQ(ray.N, 0.0);
  }
  // The trace refuses such a ray instead of running away with it.
  TCurrentRay ray = system.MakeRayVariant(9, 0.0, 0.0, 0.0, 0.0);
  EXPECT_EQ(system.TraceRay(ray, 1, nullptr, 0), 0);
}

TEST_F(StartingRays, RayToPointSkipsSurfacesInTheSameVertexPlane) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 0.0, 0.0, "", 20.0);  // a dummy in the object plane
  AddAt(system, 10.0, 0.0, "", 5.0);
  AddAt(system, 20.0, 0.0, "", 20.0);
  Ready(system);
  TCurrentRay ray = system.MakeRayToPoint(0, 1.0, 0.0, 3.0, -1.0, 0);
  EXPECT_APPROX(ray.y, 1.0, kRoundOff);
  EXPECT_APPROX(ray.M / ray.L, (3.0 - 1.0) / 10.0, kRoundOff);
  EXPECT_APPROX(ray.N / ray.L, -1.0 / 10.0, kRoundOff);
  // Towards the object from surface 3: the next vertex off its plane is surface 2, 10 back.
  ray = system.MakeRayToPoint(-3, 0.0, 0.0, 2.0, 0.0, 0);
  EXPECT_LT(ray.L, 0.0);
  EXPECT_APPROX(ray.y + (-10.0 / ray.L) * ray.M, 2.0, kRoundOff);
  // Field-angle mode: 5 degrees, passing the target surface at height 2.
  ray = system.MakeRayToPoint(0, 5.0, 0.0, 2.0, 0.0, 1);
  EXPECT_APPROX(ray.M / ray.L, std::tan(5.0 * kDegree), kRoundOff);
  EXPECT_APPROX(ray.y + 10.0 * ray.M / ray.L, 2.0, kRoundOff);
}

TEST_F(StartingRays, FanOfFiveSpansNinetyNinePercentOfThePupil) {
  TOpticalSystem system;
  BuildPlanes(system, 0);
  UserStop(system, 2, 10.0);
  Mem<double> fields(2, 1);
  fields.data[0] = 0.0;
  fields.data[1] = 3.0;
  TBeamsPar beams(&system);
  beams.raysPerBeam = 5;
  system.BuildRayFans(fields, beams);
  ASSERT_EQ(beams.beams.cols * beams.beams.rows, 2);
  EXPECT_APPROX(system.info.entrancePupilDiameter, 10.0, kRoundOff);
  const double offsets[5] = {4.95, 2.475, 0.0, -2.475, -4.95};
  for (int b = 0; b < 2; ++b) {
    const TRaysPar &beam = beams.beams.data[b];
    ASSERT_EQ(beam.rays.cols * beam.rays.rows, 5);
    const double slope = std::tan(fields.data[b] * kDegree);
    // The stop at 10 is also the entrance pupil: each ray meets it at its offset.
    for (int j = 0; j < 5; ++j) {
      const TCurrentRay &ray = beam.rays.data[j];
      EXPECT_APPROX(ray.y + 10.0 * ray.M / ray.L, offsets[j], kRoundOff);
      EXPECT_APPROX(ray.M / ray.L, slope, kRoundOff);
    }
    EXPECT_APPROX(beam.startX, 0.0, kRoundOff);
    EXPECT_APPROX(beam.startY, -10.0 * slope, kRoundOff);
  }
}

TEST_F(StartingRays, FanOfOneIsTheChiefRay) {
  TOpticalSystem system;
  BuildPlanes(system, 0);
  UserStop(system, 2, 10.0);
  Mem<double> fields(1, 1);
  fields.data[0] = 4.0;
  TBeamsPar beams(&system);
  beams.raysPerBeam = 0;  // raised to one
  system.BuildRayFans(fields, beams);
  ASSERT_EQ(beams.beams.cols * beams.beams.rows, 1);
  ASSERT_EQ(beams.beams.data[0].rays.cols, 1);
  const TCurrentRay &ray = beams.beams.data[0].rays.data[0];
  EXPECT_APPROX(ray.y + 10.0 * ray.M / ray.L, 0.0, kRoundOff);

  // No fields: no beams, and nothing else happens.
  Mem<double> none;
  system.BuildRayFans(none, beams);
  EXPECT_EQ(beams.beams.cols * beams.beams.rows, 0);
}

TEST_F(StartingRays, FansUnderMemoryExhaustionStayEmpty) {
  TOpticalSystem system;
  BuildPlanes(system, 0);
  UserStop(system, 2, 10.0);
  Mem<double> fields(2, 1);
  fields.data[0] = 0.0;
  fields.data[1] = 3.0;
  TBeamsPar beams(&system);
  beams.raysPerBeam = 5;
  {
    TMemAllocationFaults noMemory(0);
    system.BuildRayFans(fields, beams);
  }
  EXPECT_EQ(beams.beams.cols * beams.beams.rows, 0);
  ASSERT_GE(BoxCount(), 1u);
  EXPECT_EQ(Boxes().boxes.back().text, "Not enough memory");

  // The beam list is had, nothing after it: every beam stays empty.
  {
    TMemAllocationFaults oneBlock(1);
    system.BuildRayFans(fields, beams);
  }
  ASSERT_EQ(beams.beams.cols * beams.beams.rows, 2);
  EXPECT_EQ(beams.beams.data[0].rays.data, nullptr);
  EXPECT_EQ(beams.beams.data[1].rays.data, nullptr);
  TakePendingMessage();
}

}  // namespace
