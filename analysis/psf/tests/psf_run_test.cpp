#include "analysis/psf/psf_run.h"

#include <filesystem>

#include "foundation/interfaces/progress.h"
#include "foundation/testing/approx.h"
#include "optics/model/model_globals.h"
#include "optics/pupils/tests/pupil_test_support.h"
#include "optics/psf/psf_progress.h"

namespace {

// A gauge that answers Escape at its n-th step (never when n is 0).
class TScriptedGauge final : public TProgressGauge {
 public:
  explicit TScriptedGauge(int escapeAt) : escapeAt_(escapeAt) {}
  int StepAndPump(double) override { return ++steps_ == escapeAt_ ? 0 : 1; }
  int Maximum() const override { return 1000; }
  void SetText(const char *) override {}
  int steps_ = 0;

 private:
  int escapeAt_;
};

class PsfRunTest : public PupilTest {
 protected:
  void SetUp() override {
    PupilTest::SetUp();
    SetTempDir(Scratch(""));
  }
  void TearDown() override {
    SetPsfGauge(nullptr);
    PupilTest::TearDown();
  }
  static int FilesIn(const std::string &directory, const std::string &extension) {
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator(directory))
      count += entry.path().extension() == extension ? 1 : 0;
    return count;
  }
  void OpenTriplet(TOpticalSystem &system) {
    ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
    system.info.Nd = 64;
    system.info.Discrete = 0.002;
  }
};

TEST_F(PsfRunTest, MonochromeSystemGivesOneFileAtItsWavelength) {
  TOpticalSystem system;
  OpenTriplet(system);
  system.info.MonochromeSystem = 1;
  const double lambda = system.info.LambdaW;
  TPsfRun run(Scratch(""));
  ASSERT_EQ(run.Compute(system, 0.0, 0.0, 64, false), 1);
  ASSERT_EQ(run.images.cols, 1);
  EXPECT_EQ(run.images.data[0].wavelength, static_cast<float>(lambda));
  EXPECT_EQ(run.images.data[0].weight, 1.0f);
  EXPECT_EQ(run.images.data[0].fileName, run.FileName(0, ".img"));
  EXPECT_EQ(run.spectra.data[0].fileName, run.FileName(0, ".spc"));
  EXPECT_EQ(system.info.LambdaW, lambda);
  // A second request without a change computes nothing.
  std::filesystem::remove(run.images.data[0].fileName);
  EXPECT_EQ(run.Compute(system, 0.0, 0.0, 64, false), 1);
  EXPECT_FALSE(std::filesystem::exists(run.images.data[0].fileName));
}

TEST_F(PsfRunTest, EveryWavelengthGetsItsFileAndTheSumAveragesThem) {
  TOpticalSystem system;
  OpenTriplet(system);
  ASSERT_EQ(system.info.MonochromeSystem, 0);
  const int waves = system.info.Spectrum.cols;
  ASSERT_EQ(waves, 3);
  TPsfRun run(Scratch(""));
  ASSERT_EQ(run.Compute(system, 0.0, 0.0, 64, false), 1);
  ASSERT_EQ(run.images.cols, 3);
  ASSERT_EQ(run.spectra.cols, 3);
  for (int i = 0; i < waves; ++i) {
    EXPECT_EQ(run.images.data[i].wavelength, static_cast<float>(system.info.Spectrum.data[i].lambda));
    EXPECT_EQ(run.images.data[i].fileName, run.FileName(i, ".img"));
  }
  EXPECT_EQ(FilesIn(Scratch(""), ".img"), 3);
  // Each PSF holds the same energy, so their weighted mean does too.
  Mem<float> sum, single;
  ASSERT_EQ(run.Sum(64, sum), 1);
  ASSERT_EQ(run.images.data[0].Read(single), 1);
  double total = 0.0, one = 0.0;
  for (int p = 0; p < 64 * 64; ++p) {
    total += sum.data[p];
    one += single.data[p];
  }
  EXPECT_APPROX(total, one, 0.05);
}

TEST_F(PsfRunTest, EscapeLeavesWavelengthNodesAndFilesAsTheyWere) {
  TOpticalSystem system;
  OpenTriplet(system);
  const double lambda = system.info.LambdaW;
  const int nodes = system.info.Nd;
  TScriptedGauge gauge(3);
  SetPsfGauge(&gauge);
  TPsfRun run(Scratch(""));
  EXPECT_EQ(run.Compute(system, 0.0, 0.0, 128, false), 0);
  EXPECT_EQ(run.state, TPsfRun::kToCompute);
  EXPECT_EQ(system.info.LambdaW, lambda);
  EXPECT_EQ(system.info.Nd, nodes);
  EXPECT_EQ(FilesIn(Scratch(""), ".img"), 0);
  EXPECT_EQ(run.images.data, nullptr);
}

// A failure after the run prepared at the mean wavelength still gives the user's working
// wavelength back, and the glass indices that go with it.
TEST_F(PsfRunTest, AChiefRayThatMissesLeavesTheWorkingWavelengthPrepared) {
  TOpticalSystem system;
  OpenTriplet(system);
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  const double lambda = system.info.LambdaW;
  const int nodes = system.info.Nd;
  const double index = system.surfaces.data[1]->general.nAfter;
  TPsfRun run(Scratch(""));
  // Seventy degrees off axis no ray passes the triplet.
  EXPECT_EQ(run.Compute(system, 70.0, 0.0, 128, false), 0);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_NE(Boxes().boxes[0].text.find("does not pass"), std::string::npos);
  EXPECT_EQ(system.info.LambdaW, lambda);
  EXPECT_EQ(system.info.Nd, nodes);
  EXPECT_EQ(system.surfaces.data[1]->general.nAfter, index);
  EXPECT_EQ(FilesIn(Scratch(""), ".img"), 0);
}

TEST_F(PsfRunTest, IdealPointsMtfIsFlatAndTheRunCleansUpItsOwnFilesOnly) {
  TOpticalSystem system;
  OpenTriplet(system);
  system.info.MonochromeSystem = 1;
  const std::string foreign = Scratch("someone_else.img");
  WriteText(foreign, "not ours");
  {
    TPsfRun run(Scratch(""));
    ASSERT_EQ(run.Compute(system, 0.0, 0.0, 16, true), 1);
    ASSERT_EQ(run.ConvertToMtf(16), 1);
    Mem<float> sum;
    ASSERT_EQ(run.Sum(16, sum), 1);
    for (int p = 0; p < 16 * 16; ++p) EXPECT_APPROX(sum.data[p], 1.0, 1e-6) << p;
  }
  EXPECT_EQ(FilesIn(Scratch(""), ".img"), 1);
  EXPECT_TRUE(std::filesystem::exists(foreign));
}

TEST(PsfRunWavelength, WeightedMeanFallsBackToThePlainMean) {
  TOpticalSystem system;
  system.info.MonochromeSystem = 0;
  ASSERT_TRUE(system.info.Spectrum.Allocate(2, 1));
  system.info.Spectrum.data[0] = {0.5, 1.0};
  system.info.Spectrum.data[1] = {0.6, 3.0};
  EXPECT_APPROX(MeanWavelength(system), (0.5 + 1.8) / 4.0, 1e-15);
  system.info.Spectrum.data[0].weight = 0.0;
  system.info.Spectrum.data[1].weight = 0.0;
  EXPECT_APPROX(MeanWavelength(system), 0.55, 1e-15);
}

}  // namespace
