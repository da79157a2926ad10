#include "analysis/spot/spot_computation.h"

#include <cmath>
#include <string>
#include <vector>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/model/beams.h"
#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// Starting points against their closed form: round-off of a sine and a cosine.
constexpr double kPupilPoint = 1e-12;
// The batch trace gives the one-ray trace's results bit for bit; sums of squares of a
// thousand of them round differently only in the last digits.
constexpr double kSameRays = 1e-12;

using Spot = PupilTest;

TEST(SpotRays, RequestsRoundUpToSquares) {
  EXPECT_EQ(SpotRaySide(10), 4);
  EXPECT_EQ(SpotRaySide(100), 10);
  EXPECT_EQ(SpotRaySide(101), 11);
  EXPECT_EQ(SpotRaySide(1), 1);
  EXPECT_EQ(SpotRaySide(0), 1);
}

TEST(SpotRays, ColourFractions) {
  EXPECT_EQ(SpotColorFraction(0, 1), 0.83);
  EXPECT_EQ(SpotColorFraction(0, 3), 1.0 / 3.0);
  EXPECT_EQ(SpotColorFraction(2, 3), 1.0);
}

TEST_F(Spot, RingsHoldOddCountsAtEqualAreaRadii) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  TBeamsPar beams(&system);
  ASSERT_EQ(FillPupilRays(system, beams, 10), 16);
  ASSERT_EQ(beams.beams.cols, 1);
  const Mem<TCurrentRay> &rays = beams.beams.data[0].rays;
  ASSERT_EQ(rays.cols, 16);
  // Each ray starts parallel to the axis at its pupil point: read the points back from
  // where the rays cross the entrance pupil's plane, against the chief ray.
  system.SolveChiefRay(0.0, 0.0);
  const TCurrentRay chief = system.MakeRay(0.0, 0.0, 0.0, 0.0);
  const double R = 0.5 * system.info.entrancePupilDiameter;
  ASSERT_GT(R, 0.0);
  int slot = 0;
  for (int k = 0; k < 4; ++k) {
    const double radius = k == 0 ? 0.0 : (k + 0.5) * R / 4.0;
    for (int j = 0; j < 2 * k + 1; ++j, ++slot) {
      const double t = (j + 0.5) * 2.0 * kPi / (2 * k + 1);
      EXPECT_NEAR(rays.data[slot].y - chief.y, radius * std::cos(t), kPupilPoint) << slot;
      EXPECT_NEAR(rays.data[slot].z - chief.z, radius * std::sin(t), kPupilPoint) << slot;
    }
  }
}

TEST_F(Spot, DefocusedParaboloidGivesAUniformDisc) {
  // A paraboloid of focal length f images the axial point perfectly; behind the focus by d,
  // the ray from pupil height h lands r(h) = d h / (f - h^2 / 4f) from the axis (it left the
  // mirror at x = -h^2/4f in front of the vertex and runs to the focus). Over a uniformly
  // filled pupil of radius R the mean of r^2 is (2 / R^2) * integral of r(h)^2 h dh.
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  const double f = 100.0, d = 0.5;
  // The image plane lies 100 in front of the mirror: move it 0.5 beyond the focus.
  DPOINT3 image = system.GetSurfacePosition(2, 0, kGlobalFrame);
  image.x -= d;
  system.SetSurfacePosition(2, 0, image, kGlobalFrame);
  ASSERT_GE(system.Prepare(0.0, 1, 0), 0);
  TSpotSettingsRecord settings;
  TSpotComputation spot;
  ASSERT_GT(spot.Compute(system, settings), 0);
  const int side = SpotRaySide(settings.rayNumber);
  const TSpotPoints &points = spot.beams.data[0];
  ASSERT_EQ(points.cols, side * side);
  double sum = 0.0, largest = 0.0;
  for (int p = 0; p < points.cols; ++p) {
    const double r2 = points.data[p].x * points.data[p].x + points.data[p].y * points.data[p].y;
    sum += r2;
    largest = std::max(largest, std::sqrt(r2));
  }
  const double R = 0.5 * system.info.entrancePupilDiameter;
  auto r = [&](double h) { return d * h / (f - h * h / (4.0 * f)); };
  double integral = 0.0;
  const int steps = 20000;
  for (int i = 0; i < steps; ++i) {
    const double h = (i + 0.5) * R / steps;
    integral += r(h) * r(h) * h * (R / steps);
  }
  const double rms = std::sqrt(2.0 / (R * R) * integral);
  EXPECT_APPROX(std::sqrt(sum / points.cols), rms, 1.0 / side);
  // Close to the uniform disc's r / sqrt(2), and no point beyond the rim ray's radius.
  EXPECT_APPROX(std::sqrt(sum / points.cols), r(R) / std::sqrt(2.0), 2.0 / side);
  EXPECT_LE(largest, r(R) * (1.0 + 1e-12));
  EXPECT_GE(largest, r((side - 0.5) / side * R) * (1.0 - 1e-12));
}

TEST_F(Spot, TripletRmsMatchesItsOwnRaysTracedOneByOne) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
  system.info.MonochromeSystem = 1;
  TSpotSettingsRecord settings;
  settings.rayNumber = 400;
  TSpotComputation spot;
  ASSERT_GT(spot.Compute(system, settings), 0);
  const TSpotPoints &points = spot.beams.data[0];
  double sum = 0.0;
  for (int p = 0; p < points.cols; ++p)
    sum += points.data[p].x * points.data[p].x + points.data[p].y * points.data[p].y;
  // The same rays one at a time, the offsets taken from the centre ray.
  TBeamsPar beams(&system);
  ASSERT_EQ(FillPupilRays(system, beams, 400), 400);
  const Mem<TCurrentRay> &rays = beams.beams.data[0].rays;
  TCurrentRay centre = rays.data[0];
  ASSERT_EQ(system.TraceRay(centre, 1, nullptr, 0), 1);
  double direct = 0.0;
  int passed = 0;
  for (int p = 0; p < 400; ++p) {
    TCurrentRay ray = rays.data[p];
    if (system.TraceRay(ray, 1, nullptr, 0) != 1) continue;
    direct += (ray.y - centre.y) * (ray.y - centre.y) + (ray.z - centre.z) * (ray.z - centre.z);
    ++passed;
  }
  ASSERT_EQ(passed, points.cols);
  EXPECT_APPROX(std::sqrt(sum / points.cols), std::sqrt(direct / passed), kSameRays);
  // Ranges come back symmetric and stored.
  EXPECT_EQ(settings.Mmin, -settings.Mmax);
  EXPECT_GT(settings.Mmax, 0.0);
  EXPECT_NEAR(spot.plotMmax - spot.plotMmin, spot.plotSmax - spot.plotSmin, 1e-12);
}

// Off the axis every point is its ray's image point less the chief ray's, sign and all: the
// rays of the pupil rings traced here one by one, at the widest field and the one inside it.
TEST_F(Spot, OffAxisPointsAreTheirRaysLessTheChiefRay) {
  for (const char *example : {"cooke_triplet.os", "double_gauss.os"}) {
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(ExamplePath(example), 0), 1);
    system.info.MonochromeSystem = 1;
    TSpotSettingsRecord settings;
    settings.rayNumber = 64;
    TSpotComputation spot;
    ASSERT_GT(spot.Compute(system, settings), 0);
    const int beams = system.info.BeamCount();
    ASSERT_GE(beams, 3);
    const double R = 0.5 * system.info.entrancePupilDiameter;
    const int side = SpotRaySide(settings.rayNumber);
    for (int b : {beams - 1, beams - 2}) {
      SCOPED_TRACE(std::string(example) + " beam " + std::to_string(b));
      const double field = system.info.AlfaM.data[b];
      ASSERT_EQ(system.SolveChiefRay(field, 0.0), 1);
      TCurrentRay chief = system.MakeRay(field, 0.0, 0.0, 0.0);
      ASSERT_EQ(system.TraceRay(chief, 1, nullptr, 0), 1);
      // The beam lands well off the axis.
      EXPECT_GT(std::fabs(chief.y), 5.0);
      const TSpotPoints &points = spot.beams.data[b];
      int p = 0;
      for (int k = 0; k < side; ++k) {
        const double radius = k == 0 ? 0.0 : (k + 0.5) * R / side;
        for (int j = 0; j < 2 * k + 1; ++j) {
          const double t = (j + 0.5) * 2.0 * kPi / (2 * k + 1);
          TCurrentRay ray = system.MakeRay(field, 0.0, radius * std::cos(t), radius * std::sin(t));
          if (system.TraceRay(ray, 1, nullptr, 0) != 1) continue;
          ASSERT_LT(p, points.cols);
          EXPECT_NEAR(points.data[p].x, ray.z - chief.z, kSameRays) << k << " " << j;
          EXPECT_NEAR(points.data[p].y, ray.y - chief.y, kSameRays) << k << " " << j;
          ++p;
        }
      }
      EXPECT_EQ(p, points.cols);
    }
  }
}

TEST_F(Spot, ABeamWhoseCentreRayIsLostIsCentredOnItsOwnPoints) {
  // The lenslets opened to a period of 3 and their face moved 1.5 mm up: the pupil's centre
  // falls in a gap, so the beam has no centre ray to measure from.
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("lens_array.os"), 0), 1);
  system.Surface(2)->zones.data[0].PackCoef.data[0] = 3.0;
  system.Surface(2)->general.vertex[1] = 1.5;
  MarkModelChanged();
  TSpotSettingsRecord settings;
  settings.rayNumber = 400;
  TSpotComputation spot;
  ASSERT_GT(spot.Compute(system, settings), 0);
  TBeamsPar starts(&system);
  const int rays = FillPupilRays(system, starts, settings.rayNumber);
  TCurrentRay centre = starts.beams.data[0].rays.data[0];
  ASSERT_NE(system.TraceRay(centre, 1, nullptr, 0), 1);
  // The points the rays that pass give, less their own centroid.
  std::vector<TCurrentRay> passed;
  double meanY = 0.0, meanZ = 0.0;
  for (int r = 0; r < rays; ++r) {
    TCurrentRay ray = starts.beams.data[0].rays.data[r];
    if (system.TraceRay(ray, 1, nullptr, 0) == 1) passed.push_back(ray), meanY += ray.y, meanZ += ray.z;
  }
  const TSpotPoints &points = spot.beams.data[0];
  ASSERT_EQ(points.cols, static_cast<int>(passed.size()));
  meanY /= passed.size(), meanZ /= passed.size();
  // The lenslets' images are not symmetric about the axis: the centroid lies off it.
  ASSERT_GT(std::fabs(meanY - meanZ), 1e-3);
  for (std::size_t p = 0; p < passed.size(); ++p) {
    EXPECT_NEAR(points.data[p].y, passed[p].y - meanY, kSameRays) << p;
    EXPECT_NEAR(points.data[p].x, passed[p].z - meanZ, kSameRays) << p;
  }
}

TEST_F(Spot, SystemWhoseRaysAllFailSavesNoRange) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  // A system whose glasses could not all be found traces no ray at all.
  system.materialsMissing = 1;
  TSpotSettingsRecord settings;
  TSpotComputation spot;
  EXPECT_EQ(spot.Compute(system, settings), 0);
  EXPECT_EQ(spot.beams.data[0].data, nullptr);
  EXPECT_EQ(settings.Mmin, 1e20);
  EXPECT_EQ(settings.Mmax, -1e20);
  EXPECT_EQ(settings.Smin, 1e20);
  EXPECT_EQ(settings.Smax, -1e20);
  // The empty plot still has a size to draw.
  EXPECT_EQ(spot.plotMmax - spot.plotMmin, 1.0);
}

TEST_F(Spot, ImageAtInfinityGivesMilliradians) {
  // The parabolic mirror turned round: light from its focus leaves parallel. Its spread of
  // angles is 0 for the perfect point; a source 0.5 beside the axis tilts the beam by
  // atan(0.5 / 100) = 5 mrad, offsets stay measured from the centre ray.
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  system.TurnSystem();
  system.info.ImageFinite = 0;
  ASSERT_GE(system.Prepare(0.0, 1, 0), 0);
  TSpotSettingsRecord settings;
  settings.rayNumber = 100;
  TSpotComputation spot;
  ASSERT_GT(spot.Compute(system, settings), 0);
  EXPECT_TRUE(spot.angular);
  const TSpotPoints &points = spot.beams.data[0];
  for (int p = 0; p < points.cols; ++p) {
    EXPECT_NEAR(points.data[p].x, 0.0, 1e-6);
    EXPECT_NEAR(points.data[p].y, 0.0, 1e-6);
  }
}

}  // namespace

namespace {

TEST_F(Spot, ASpectrumEntryOfZeroTracesNothing) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
  ASSERT_EQ(system.info.Spectrum.cols, 3);
  TSpotSettingsRecord settings;
  settings.rayNumber = 16;
  TSpotComputation all;
  const int three = all.Compute(system, settings);
  system.info.Spectrum.data[1].lambda = 0.0;
  TSpotComputation two;
  const int kept = two.Compute(system, settings);
  // The on-axis beam passes whole at every wavelength it traces.
  EXPECT_EQ(two.beams.data[0].cols, 2 * 16);
  EXPECT_LT(kept, three);
}

// The double Gauss's three colours land apart: each wavelength's points are its own rays,
// traced with the glasses' indices at that wavelength and measured from the centre ray at
// the working wavelength, as the same rays traced one by one here give them.
TEST_F(Spot, EachWavelengthIsTracedWithItsOwnIndices) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("double_gauss.os"), 0), 1);
  ASSERT_EQ(system.info.MonochromeSystem, 0);
  const int colours = system.info.Spectrum.cols * system.info.Spectrum.rows;
  ASSERT_EQ(colours, 3);
  TSpotSettingsRecord settings;
  settings.rayNumber = 100;
  TSpotComputation spot;
  ASSERT_GT(spot.Compute(system, settings), 0);
  const TSpotPoints &points = spot.beams.data[0];

  TBeamsPar beams(&system);
  ASSERT_EQ(FillPupilRays(system, beams, 100), 100);
  const Mem<TCurrentRay> &rays = beams.beams.data[0].rays;
  system.ComputeIndices(system.info.LambdaW, 0.0, 0.0);
  TCurrentRay centre = rays.data[0];
  ASSERT_EQ(system.TraceRay(centre, 1, nullptr, 0), 1);
  std::vector<double> meanHeight;
  for (int w = 0; w < colours; ++w) {
    system.ComputeIndices(system.info.Spectrum.data[w].lambda, 0.0, 0.0);
    double direct = 0.0, computed = 0.0;
    int passed = 0, found = 0;
    for (int p = 0; p < 100; ++p) {
      TCurrentRay ray = rays.data[p];
      if (system.TraceRay(ray, 1, nullptr, 0) != 1) continue;
      direct += std::fabs(ray.y - centre.y);
      ++passed;
    }
    const double fraction = SpotColorFraction(w, colours);
    for (int p = 0; p < points.cols; ++p) {
      if (points.data[p].z != fraction) continue;
      computed += std::fabs(points.data[p].y);
      ++found;
    }
    ASSERT_EQ(found, passed) << w;
    EXPECT_APPROX(computed / found, direct / passed, kSameRays) << w;
    meanHeight.push_back(direct / passed);
  }
  system.ComputeIndices(system.info.LambdaW, 0.0, 0.0);
  // The colours really differ: blue and red spread unlike the working green.
  EXPECT_GT(std::fabs(meanHeight[0] - meanHeight[1]), 1e-3 * meanHeight[1]);
  EXPECT_GT(std::fabs(meanHeight[2] - meanHeight[1]), 1e-3 * meanHeight[1]);
}

}  // namespace
