#include "optics/prepare/working_wavelength.h"

#include "optics/model/tests/system_test_support.h"

namespace {

// The Cooke triplet's first lens at its working wavelength and at the blue F line, whose
// index differs from it in the third decimal.
constexpr double kBlueLine = 0.4861327;

class WorkingWavelengthTest : public SystemTest {
 protected:
  void OpenTriplet(TOpticalSystem &system) {
    ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
    ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
    working_ = system.info.LambdaW;
    ASSERT_NE(working_, kBlueLine);
    workingIndex_ = FirstLensIndex(system);
  }
  static double FirstLensIndex(const TOpticalSystem &system) {
    return system.surfaces.data[1]->general.nAfter;
  }
  // A computation that prepares at the blue line and gives up half-way, as a failed trace
  // or a cancel would.
  static int GiveUpAtTheBlueLine(TOpticalSystem &system, TWavelengthRestore restore) {
    TWorkingWavelength keep(system, restore);
    keep.KeepNodeCount();
    system.info.Nd = 512;
    if (system.Prepare(kBlueLine, 1, 0) <= 0) return -1;
    if (system.info.LambdaW == kBlueLine) return 0;  // the way out under test
    return 1;
  }
  double working_ = 0.0;
  double workingIndex_ = 0.0;
};

TEST_F(WorkingWavelengthTest, AnEarlyReturnGivesTheWavelengthBackPrepared) {
  TOpticalSystem system;
  OpenTriplet(system);
  const int nodes = system.info.Nd;
  ASSERT_EQ(GiveUpAtTheBlueLine(system, TWavelengthRestore::kPrepare), 0);
  EXPECT_EQ(system.info.LambdaW, working_);
  EXPECT_EQ(system.info.Nd, nodes);
  // Prepared again: the glass index is the working wavelength's, not the blue line's.
  EXPECT_EQ(FirstLensIndex(system), workingIndex_);
}

TEST_F(WorkingWavelengthTest, ValueRestoreLeavesThePreparationAlone) {
  TOpticalSystem system;
  OpenTriplet(system);
  ASSERT_EQ(GiveUpAtTheBlueLine(system, TWavelengthRestore::kValue), 0);
  EXPECT_EQ(system.info.LambdaW, working_);
  // Blue light bends more in crown glass.
  EXPECT_GT(FirstLensIndex(system), workingIndex_ + 1e-3);
}

TEST_F(WorkingWavelengthTest, PrepareWhenChangedPreparesOnlyAfterAChange) {
  TOpticalSystem system;
  OpenTriplet(system);
  {
    TWorkingWavelength keep(system, TWavelengthRestore::kPrepareWhenChanged);
    // A hand-set index that a preparation would overwrite.
    system.surfaces.data[1]->general.nAfter = 2.0;
  }
  EXPECT_EQ(FirstLensIndex(system), 2.0);
  ASSERT_EQ(GiveUpAtTheBlueLine(system, TWavelengthRestore::kPrepareWhenChanged), 0);
  EXPECT_EQ(system.info.LambdaW, working_);
  EXPECT_EQ(FirstLensIndex(system), workingIndex_);
}

TEST_F(WorkingWavelengthTest, AnExplicitRestoreIsNotRepeatedAtTheEnd) {
  TOpticalSystem system;
  OpenTriplet(system);
  {
    TWorkingWavelength keep(system, TWavelengthRestore::kPrepare);
    ASSERT_EQ(system.Prepare(kBlueLine, 1, 0), 1);
    keep.Restore();
    EXPECT_EQ(system.info.LambdaW, working_);
    // What the computation does after its restore stays.
    system.info.LambdaW = kBlueLine;
  }
  EXPECT_EQ(system.info.LambdaW, kBlueLine);
}

}  // namespace
