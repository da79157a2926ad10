// The pieces of PSF sampling that need no system: order weights, binning, centring of the
// transformed grid, and the progress step with its time text.

#include "foundation/numerics/pi.h"
#include "optics/psf/psf_nodes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/fft/fft.h"
#include "foundation/interfaces/progress.h"
#include "foundation/testing/approx.h"
#include "optics/model/model_globals.h"
#include "optics/psf/psf_polychromatic_sum.h"
#include "optics/psf/psf_progress.h"
#include "optics/psf/ray_collection.h"
#include "platform/core/recording_providers.h"

namespace {

// Closed-form weights against the same formula evaluated here: double rounding only.
constexpr double kWeightTolerance = 1e-14;
// Single-precision FFT of a 16 x 16 grid of unit amplitudes.
constexpr double kFloatTolerance = 1e-4;

double SincSquared(double x, double p) {
  const double a = p * std::sin(kPi * x / p) / (kPi * x);
  return a * a;
}

TEST(HoeOrderWeight, FourLevelsOrdersMinusThreeOneAndFive) {
  // p = 4, m0 = 1, one order on each side: x = j p + m0 for j = -1, 0, 1.
  EXPECT_APPROX(HoeOrderWeight(-3, 4), SincSquared(-3.0, 4.0), kWeightTolerance);
  EXPECT_APPROX(HoeOrderWeight(1, 4), SincSquared(1.0, 4.0), kWeightTolerance);
  EXPECT_APPROX(HoeOrderWeight(5, 4), SincSquared(5.0, 4.0), kWeightTolerance);
  // By hand: (4 sin(pi/4) / pi)^2 = 8 / pi^2.
  EXPECT_APPROX(HoeOrderWeight(1, 4), 8.0 / (kPi * kPi), kWeightTolerance);
  // The design order of a two-level profile is (2/pi)^2 = 0.405.
  EXPECT_APPROX(HoeOrderWeight(1, 2), 4.0 / (kPi * kPi), kWeightTolerance);
}

TEST(HoeOrderWeight, ZerothOrderTakesItsLimitNotZeroOverZero) {
  const double w = HoeOrderWeight(0, 4);
  EXPECT_FALSE(std::isnan(w));
  EXPECT_APPROX(w, 1.0, kWeightTolerance);
  // Orders that are multiples of p vanish (apart from 0).
  EXPECT_LT(HoeOrderWeight(4, 4), 1e-30);
}

TEST(PsfNodeOffset, HalfACellGoesAwayFromTheCentre) {
  EXPECT_EQ(PsfNodeOffset(0.5, 1.0), 1);
  EXPECT_EQ(PsfNodeOffset(-0.5, 1.0), -1);
  EXPECT_EQ(PsfNodeOffset(0.0025, 0.005), 1);
  EXPECT_EQ(PsfNodeOffset(0.49, 1.0), 0);
  EXPECT_EQ(PsfNodeOffset(-1.49, 1.0), -1);
  EXPECT_EQ(PsfNodeOffset(2.51, 1.0), 3);
}

TEST(PsfNodeOffset, FarAndBrokenPointsLandOffTheGrid) {
  EXPECT_EQ(PsfNodeOffset(1e300, 1e-3), kPsfFarNode);
  EXPECT_EQ(PsfNodeOffset(-1e300, 1e-3), -kPsfFarNode);
  EXPECT_GE(std::abs(PsfNodeOffset(std::nan(""), 1.0)), kPsfFarNode);
}

// A plane wave exp(2 pi i (a r + b c) / n) transforms into one frequency; after centring it
// sits a rows and b columns from the centre node.
TEST(CentrePsfGrid, FrequencyRisesDownAndAlongFromTheCentreNode) {
  constexpr int n = 16;
  // The Nyquist row (-8) and the last column (+7) are nodes like any other.
  const int shifts[4][2] = {{3, -2}, {-5, 4}, {0, 0}, {-8, 7}};
  for (const auto &shift : shifts) {
    std::vector<float> re(n * n), im(n * n);
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) {
        const double phase = 2.0 * kPi * (shift[0] * r + shift[1] * c) / n;
        re[r * n + c] = static_cast<float>(std::cos(phase));
        im[r * n + c] = static_cast<float>(std::sin(phase));
      }
    ASSERT_EQ(FFT2D(n, n, re.data(), im.data(), 0), 1);
    for (int k = 0; k < n * n; ++k) re[k] = re[k] * re[k] + im[k] * im[k];
    CentrePsfGrid(n, re.data());
    const int peak = (n / 2 + shift[0]) * n + (n / 2 + shift[1]);
    // All of the power, (n^2)^2, lands on one node.
    EXPECT_APPROX(re[peak] / (double(n) * n * n * n), 1.0, kFloatTolerance)
        << "shift " << shift[0] << ", " << shift[1];
    double elsewhere = 0.0;
    for (int k = 0; k < n * n; ++k)
      if (k != peak) elsewhere += re[k];
    EXPECT_LT(elsewhere / re[peak], kFloatTolerance);
  }
}

TEST(CentrePsfGrid, OnlyPermutesTheNodes) {
  constexpr int n = 8;
  std::vector<float> grid(n * n);
  for (int k = 0; k < n * n; ++k) grid[k] = static_cast<float>(k);
  CentrePsfGrid(n, grid.data());
  std::vector<int> seen(n * n, 0);
  for (float value : grid) ++seen[static_cast<int>(value)];
  for (int k = 0; k < n * n; ++k) EXPECT_EQ(seen[k], 1) << "value " << k;
  // Frequency 0 (old node 0) is the centre node; frequency (-1, +1) (old row 7, column 1)
  // sits one row up and one column right of it.
  EXPECT_EQ(grid[4 * n + 4], 0.0f);
  EXPECT_EQ(grid[3 * n + 5], static_cast<float>(7 * n + 1));
}

// A gauge that cancels at a given step and keeps every text it was given.
class ScriptedGauge final : public TProgressGauge {
 public:
  explicit ScriptedGauge(int cancelAt, int maximum = 100)
      : cancelAt_(cancelAt), maximum_(maximum) {}
  int StepAndPump(double position) override {
    positions.push_back(position);
    return static_cast<int>(position) == cancelAt_ ? 0 : 1;
  }
  int Maximum() const override { return maximum_; }
  void SetText(const char *text) override { texts.emplace_back(text); }
  std::vector<double> positions;
  std::vector<std::string> texts;

 private:
  int cancelAt_;
  int maximum_;
};

TEST(PsfProgress, StepsCountUpAndShowElapsedAndEstimatedTimes) {
  TManualClockProvider clock(5000);
  ScriptedGauge gauge(-1, 40);
  SetPsfGauge(&gauge);
  BeginPsfJob();
  clock.Advance(30000);
  ASSERT_TRUE(PsfProgressStep());
  clock.Advance(45000);  // 75 s after the start, at step 2 of 40: 1500 s = 25:00 in all
  ASSERT_TRUE(PsfProgressStep());
  SetPsfGauge(nullptr);
  ASSERT_EQ(gauge.texts.size(), 2u);
  EXPECT_EQ(gauge.positions[1], 2.0);
  EXPECT_EQ(gauge.texts[0], "PSF nodes. Times: elapsed- 00:30, estimated- 20:00");
  EXPECT_EQ(gauge.texts[1], "PSF nodes. Times: elapsed- 01:15, estimated- 25:00");
  EXPECT_FALSE(PsfCancelled());
}

TEST(PsfProgress, EscapeCancelsTheJobAndWithoutAGaugeNothingCancels) {
  TManualClockProvider clock(0);
  ScriptedGauge gauge(2);
  SetPsfGauge(&gauge);
  BeginPsfJob();
  EXPECT_TRUE(PsfProgressStep());
  EXPECT_FALSE(PsfProgressStep());
  EXPECT_TRUE(PsfCancelled());
  EXPECT_EQ(gauge.texts.size(), 1u);
  SetPsfGauge(nullptr);
  BeginPsfJob();
  EXPECT_FALSE(PsfCancelled());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(PsfProgressStep());
  EXPECT_EQ(PsfStepCounter(), 3);
}

// Runs the sum in a temporary directory of its own (or in a missing one).
class PolychromaticSumTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = TempDir();
    directory_ = std::filesystem::temp_directory_path() / ("polysum_" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
    SetTempDir(directory_.string());
  }
  void TearDown() override {
    SetTempDir(previous_);
    std::filesystem::remove_all(directory_);
  }
  // The sum of 3 x (0, 1, ..., 15) and 2 x (1, ..., 1), added in that order.
  static void AddTwo(TPolychromaticSum &sum) {
    float psf[16];
    ASSERT_FALSE(sum.Load(psf));  // nothing added yet
    for (int k = 0; k < 16; ++k) psf[k] = static_cast<float>(k);
    ASSERT_TRUE(sum.Add(psf, 3.0));
    EXPECT_EQ(psf[5], 15.0f);
    for (int k = 0; k < 16; ++k) psf[k] = 1.0f;
    ASSERT_TRUE(sum.Add(psf, 2.0));
    EXPECT_EQ(psf[5], 17.0f);
    float back[16] = {};
    ASSERT_TRUE(sum.Load(back));
    for (int k = 0; k < 16; ++k) EXPECT_EQ(back[k], 3.0f * k + 2.0f) << k;
  }
  std::filesystem::path directory_;

 private:
  std::string previous_;
};

TEST_F(PolychromaticSumTest, FileHoldsTheRowsAsPlainFloatsAndGoesWithTheSum) {
  const std::filesystem::path file = directory_ / "~polyfrt.tmp";
  {
    TPolychromaticSum sum(4);
    ASSERT_TRUE(sum.Open());
    EXPECT_FALSE(sum.InMemory());
    EXPECT_EQ(sum.Path(), file.string());
    AddTwo(sum);
    ASSERT_EQ(std::filesystem::file_size(file), 16u * 4u);
    std::ifstream in(file, std::ios::binary);
    char bytes[16 * 4];
    in.read(bytes, sizeof bytes);
    float cell = 0.0f;
    std::memcpy(&cell, bytes + (2 * 4 + 3) * 4, 4);  // row 2, column 3: 3 x 11 + 2
    EXPECT_EQ(cell, 35.0f);
  }
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(PolychromaticSumTest, WithoutADirectoryTheSumStaysInMemory) {
  SetTempDir((directory_ / "missing").string());
  TPolychromaticSum sum(4);
  ASSERT_TRUE(sum.Open());
  EXPECT_TRUE(sum.InMemory());
  AddTwo(sum);
}

TEST(RayCollection, CopiesInAContainerOwnTheirPoints) {
  Mem<TRayCollection> beams(2, 1);
  ASSERT_GT(beams.data[0].points.Append(DPOINT3(1.0, 2.0, 3.0)), 0);
  Mem<TRayCollection> copy(beams);
  copy.data[0].points.data[0].y = -7.0;
  EXPECT_EQ(beams.data[0].points.data[0].y, 2.0);
  EXPECT_EQ(copy.data[1].points.data, nullptr);
  TRayCollection assigned;
  assigned = copy.data[0];
  EXPECT_NE(assigned.points.data, copy.data[0].points.data);
  EXPECT_EQ(assigned.points.data[0].y, -7.0);
}

}  // namespace
