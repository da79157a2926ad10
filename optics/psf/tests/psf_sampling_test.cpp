// The PSF samplings hand their pupil rays to the batch trace: every node and every figure
// of the sampling must be what tracing the same rays one at a time gives, to the last bit.
// And the centring of the transformed grid with its scale folded in.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/numerics/pi.h"
#include "optics/psf/psf_nodes.h"
#include "optics/psf/pupil_direction_map.h"
#include "optics/psf/tests/psf_test_support.h"
#include "optics/trace/trace_rules.h"

namespace {


bool SameFloats(const float *a, const float *b, int count) {
  return std::memcmp(a, b, sizeof(float) * static_cast<size_t>(count)) == 0;
}

class PsfSampling : public PsfTest {
 protected:
  void LoadTriplet(TOpticalSystem &system) {
    ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
    system.info.Nd = 64;
    // The pupil over the whole grid: as many samples as it holds.
    system.info.Discrete = system.DiffractionInterval();
    system.SetupFieldSampling();
  }
};

}  // namespace

TEST_F(PsfSampling, DiffractionNodesAreThoseOfRaysTracedOneByOne) {
  TOpticalSystem system;
  LoadTriplet(system);
  const int nd = system.info.Nd, half = nd / 2;
  for (double field : {0.0, 14.0, 20.0}) {
    SCOPED_TRACE(field);
    system.SolveChiefRay(field, 0.0);
    const TPSFSampleInfo stats = system.SampleDiffractionPupil(field, 0.0, 1);
    const std::vector<float> re(system.workArray1.data, system.workArray1.data + nd * nd);
    const std::vector<float> im(system.workArray2.data, system.workArray2.data + nd * nd);

    // The same nodes, one ray at a time (the stop of the triplet is round), each at the
    // pupil point of its direction offset and with the wave's amplitude there.
    TPupilDirectionMap map;
    ASSERT_TRUE(map.Build(system, field, 0.0, kPupilFanSteps));
    TCurrentRay chief = system.MakeRay(field, 0.0, 0.0, 0.0);
    system.TraceRay(chief, kTraceReference, nullptr, 0);
    const double R = system.info.entrancePupilDiameter / 2.0;
    const double dt = PupilGridStep(system.info);
    const double wavesPerMm = 1000.0 / system.info.LambdaW;
    std::vector<float> expectRe(nd * nd, 0.0f), expectIm(nd * nd, 0.0f);
    TPSFSampleInfo expect;
    for (int i = 0; i < nd; ++i)
      for (int c = 0; c < nd; ++c) {
        double y = 0.0, z = 0.0, amplitude = 0.0;
        map.PupilPoint((half - i) * dt, (c - half) * dt, y, z, amplitude);
        if (std::fabs(y) > R || std::fabs(z) > R || z * z / (R * R) + y * y / (R * R) > 1.0)
          continue;
        ++expect.count;
        TCurrentRay ray = system.MakeRay(field, 0.0, y, z);
        ray.traceThrough = 0;
        if (system.TraceRay(ray, kTraceWavefront, nullptr, 0) != 1) continue;
        const double d = system.eikonal.opticalPathDifference;
        const double T = system.eikonal.transmission;
        const double wave = amplitude * map.Obliquity(ray) * T;
        expect.smallestPathDifference = std::min(expect.smallestPathDifference, d);
        expect.largestPathDifference = std::max(expect.largestPathDifference, d);
        expectRe[i * nd + c] = static_cast<float>(wave * std::cos(2.0 * kPi * d * wavesPerMm));
        expectIm[i * nd + c] = static_cast<float>(wave * std::sin(2.0 * kPi * d * wavesPerMm));
        expect.transmissionSum += T;
      }
    EXPECT_GT(expect.count, nd * nd / 2);
    EXPECT_EQ(stats.count, expect.count);
    EXPECT_EQ(stats.transmissionSum, expect.transmissionSum);
    EXPECT_EQ(stats.smallestPathDifference, expect.smallestPathDifference);
    EXPECT_EQ(stats.largestPathDifference, expect.largestPathDifference);
    EXPECT_TRUE(SameFloats(re.data(), expectRe.data(), nd * nd));
    EXPECT_TRUE(SameFloats(im.data(), expectIm.data(), nd * nd));
    // Off axis the triplet's wavefront is far from flat: the phases are really at work.
    if (field > 0.0) {
      EXPECT_GT(stats.largestPathDifference - stats.smallestPathDifference, 1e-4);
    }
  }
}

// A row of the grid mapped at once is the row's points mapped one by one, to the last bit:
// on the axis (where one fan serves every side), off it in y and in z and both (where the
// fans of either side differ), with the reach cutting the row, and for an image at
// infinity.
TEST_F(PsfSampling, PupilRowsAreTheirPointsOneByOne) {
  TOpticalSystem system;
  LoadTriplet(system);
  const double fields[][2] = {{0.0, 0.0}, {14.0, 0.0}, {0.0, 14.0}, {-10.0, 12.0}};
  // A row of 160 columns is mapped in several pieces.
  for (int half : {24, 80}) {
    for (int imageFinite : {1, 0}) {
      const int columns = 2 * half;
      system.info.ImageFinite = imageFinite;
      for (const auto &field : fields) {
        SCOPED_TRACE(testing::Message() << half << " columns each side, field " << field[0]
                                        << ", " << field[1]
                                        << (imageFinite ? "" : ", image at infinity"));
        system.SolveChiefRay(field[0], field[1]);
        TPupilDirectionMap map;
        ASSERT_TRUE(map.Build(system, field[0], field[1], kPupilFanSteps));
        const double dt = map.Reach() / (0.8 * half);
        // The corners of the grid lie beyond this reach.
        const double reach = 1.1 * half * dt;
        int inside = 0, outside = 0;
        for (int i = 0; i < columns; ++i) {
          const double ty = (half - i) * dt;
          std::vector<double> y(columns), z(columns), amplitude(columns);
          map.PupilRow(ty, dt, half, reach, y.data(), z.data(), amplitude.data());
          for (int c = 0; c < columns; ++c) {
            const double tz = (c - half) * dt;
            if (ty * ty + tz * tz > reach * reach) {
              EXPECT_EQ(amplitude[c], -1.0) << "row " << i << " column " << c;
              ++outside;
              continue;
            }
            double expectY = 0.0, expectZ = 0.0, expectAmplitude = 0.0;
            map.PupilPoint(ty, tz, expectY, expectZ, expectAmplitude);
            const double got[3] = {y[c], z[c], amplitude[c]};
            const double expected[3] = {expectY, expectZ, expectAmplitude};
            EXPECT_EQ(std::memcmp(got, expected, sizeof got), 0)
                << "row " << i << " column " << c << ": " << y[c] << " " << z[c] << " "
                << amplitude[c] << " against " << expectY << " " << expectZ << " "
                << expectAmplitude;
            ++inside;
          }
        }
        EXPECT_GT(inside, columns * columns / 2);
        EXPECT_GT(outside, 0);
      }
    }
  }
}

TEST_F(PsfSampling, GeometricRingsAreThoseOfRaysTracedOneByOne) {
  TOpticalSystem system;
  LoadTriplet(system);
  const int nd = system.info.Nd, half = nd / 2;
  const double field = 14.0;
  system.SolveChiefRay(field, 0.0);
  const TPSFSampleInfo stats = system.SampleGeometricSpot(field, 0.0, 1);
  const std::vector<float> spot(system.workArray1.data, system.workArray1.data + nd * nd);

  TCurrentRay chief = system.MakeRay(field, 0.0, 0.0, 0.0);
  system.TraceRay(chief, kTraceReference, nullptr, 0);
  const double R = system.info.entrancePupilDiameter / 2.0, dr = R / nd;
  const double centreZ = system.info.psfResults[1], centreY = system.info.psfResults[2];
  std::vector<float> expectSpot(nd * nd, 0.0f);
  TPSFSampleInfo expect;
  int landed = 0;
  for (int q = 0; q < nd; ++q) {
    const double rho = q == 0 ? 0.0 : (q + 0.5) * dr;
    const double delta = 2.0 * kPi / (2 * q + 1);
    for (int k = 0; k < 2 * q + 1; ++k) {
      const double theta = delta / 2.0 + k * delta;
      ++expect.count;
      TCurrentRay ray = system.MakeRay(field, 0.0, rho * std::cos(theta), rho * std::sin(theta));
      ray.traceThrough = 0;
      if (system.TraceRay(ray, kTraceWavefront, nullptr, 0) != 1) continue;
      const double T = system.eikonal.transmission;
      const int row = half + PsfNodeOffset(centreY - ray.y, system.info.Discrete);
      const int column = half + PsfNodeOffset(ray.z - centreZ, system.info.Discrete);
      if (row >= 0 && row < nd && column >= 0 && column < nd) {
        expectSpot[row * nd + column] += static_cast<float>(T);
        ++landed;
      }
      expect.transmissionSum += T;
    }
  }
  EXPECT_GT(landed, 100);
  EXPECT_EQ(stats.count, expect.count);
  EXPECT_EQ(stats.transmissionSum, expect.transmissionSum);
  EXPECT_TRUE(SameFloats(spot.data(), expectSpot.data(), nd * nd));
}

// Centring with the scale folded in is the centring followed by the scaling, node for node.
TEST(CentreAndScalePsfGrid, IsTheCentringThenTheScaling) {
  constexpr int n = 16;
  std::vector<float> grid(n * n);
  for (int k = 0; k < n * n; ++k) grid[k] = 0.37f * static_cast<float>(k) + 1.0f / (k + 1);
  std::vector<float> expected = grid;
  CentrePsfGrid(n, expected.data());
  const float scale = 0.0123f;
  for (float &value : expected) value *= scale;
  CentreAndScalePsfGrid(n, grid.data(), scale);
  EXPECT_TRUE(SameFloats(grid.data(), expected.data(), n * n));
}
