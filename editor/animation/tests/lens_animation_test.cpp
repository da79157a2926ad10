// The lens animation on a hand-made system: the cycle length, the motion bounds, and the
// positions and angles of the animated elements step by step.
#include <cmath>
#include <vector>

#include "document/system/tests/editor_test_support.h"
#include "editor/animation/lens_animation.h"

namespace {

constexpr double kDegree = 0.01745329251994;
// Positions are sums of a few exact steps; turned ones go through sines and cosines.
constexpr double kStepRoundOff = 1e-12;
constexpr double kTurnRoundOff = 1e-9;

class LensAnimationTest : public EditorTest {
 protected:
  // Object at 0, a lens of N-BK7 from 10 to 14 (element 0), a plane window at 30
  // (element 1) and the image at 50.
  void SetUp() override {
    EditorTest::SetUp();
    const double x[] = {0.0, 10.0, 14.0, 30.0, 50.0};
    const char *glass[] = {"", "N-BK7_schott", "", "", ""};
    for (int i = 0; i < 5; ++i) {
      auto *surface = new TEditSurface(x[i], 0.0, 0.0);
      surface->general.glass = glass[i];
      surface->general.semiHeightExt = surface->general.semiWidthExt = 5.0;
      ASSERT_EQ(system_.AddSurface(surface), 1);
    }
    system_.RebuildElements(nullptr);
    system_.Update();
    ASSERT_EQ(system_.ElementCount(), 2);
    ASSERT_EQ(system_.IndexOfSurface(system_.elements.data[1].FirstSurface()), 3);
  }
  static TAnimationElement Section(int element) {
    TAnimationElement section;
    section.elementIndex = element;
    return section;
  }
  DPOINT3 Vertex(int i) const { return system_.GetSurfacePosition(i, 0, kGlobalFrame); }

  TSystemImage system_;
  TCommonAnimationInfo state_;
};

TEST_F(LensAnimationTest, TurningBackElementRunsUpAndDownItsRangeInOneCycle) {
  TAnimationFile file;
  TAnimationElement lens = Section(0);
  lens.ranges[kAnimPosZ][1] = 10.0;
  lens.steps[kAnimPosZ] = 1.0;
  file.elements.push_back(lens);
  ASSERT_EQ(LoadLensAnimation(file, system_, state_), 1);
  EXPECT_EQ(state_.cycleLength, 20);
  EXPECT_EQ(state_.Continuous, 1);
  ASSERT_EQ(state_.SavedCount(), 5);
  const double expected[20] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
  for (int k = 0; k < 20; ++k) {
    ApplyLensAnimationStep(system_, state_);
    EXPECT_APPROX(Vertex(1).x, 10.0 + expected[k], kStepRoundOff) << "step " << k + 1;
    EXPECT_APPROX(Vertex(2).x, 14.0 + expected[k], kStepRoundOff) << "step " << k + 1;
    EXPECT_EQ(Vertex(1).y, 0.0);
    // The window stands still.
    EXPECT_EQ(Vertex(3).x, 30.0);
  }
}

TEST_F(LensAnimationTest, JumpingBackElementStartsAgainAfterElevenSteps) {
  TAnimationFile file;
  TAnimationElement lens = Section(0);
  lens.ranges[kAnimPosZ][1] = 10.0;
  lens.steps[kAnimPosZ] = 1.0;
  lens.GoBack = 1;
  file.elements.push_back(lens);
  ASSERT_EQ(LoadLensAnimation(file, system_, state_), 1);
  EXPECT_EQ(state_.cycleLength, 11);
  for (int k = 1; k <= 12; ++k) {
    ApplyLensAnimationStep(system_, state_);
    const double offset = k <= 10 ? k : k - 11;
    EXPECT_APPROX(Vertex(1).x, 10.0 + offset, kStepRoundOff) << "step " << k;
  }
}

// A step longer than the range turns back at each end without leaving the range: 0..1
// with step 3 goes one step back from 1 (stopped at 0), then from 0 (stopped at 1), never
// to -2 or 3.
TEST_F(LensAnimationTest, AStepLongerThanTheRangeKeepsTheElementInsideIt) {
  TAnimationFile file;
  TAnimationElement lens = Section(0);
  lens.ranges[kAnimPosZ][1] = 1.0;
  lens.steps[kAnimPosZ] = 3.0;
  file.elements.push_back(lens);
  ASSERT_EQ(LoadLensAnimation(file, system_, state_), 1);
  for (int k = 1; k <= 8; ++k) {
    ApplyLensAnimationStep(system_, state_);
    const double expected = k % 2 == 1 ? 0.0 : 1.0;
    EXPECT_APPROX(Vertex(1).x, 10.0 + expected, kStepRoundOff) << "step " << k;
  }
}

TEST_F(LensAnimationTest, ElementTurnsAboutItsOriginAndBackByItsAngleSteps) {
  TAnimationFile file;
  TAnimationElement window = Section(1);
  window.ranges[kAnimRotY][1] = 10.0;
  window.steps[kAnimRotY] = 10.0;
  window.rotationOrigin[0] = 20.0;
  window.rotationOrigin[1] = 0.0;
  window.rotationOrigin[2] = 0.0;
  file.elements.push_back(window);
  ASSERT_EQ(LoadLensAnimation(file, system_, state_), 1);
  EXPECT_EQ(state_.cycleLength, 2);
  // Step 1: turned by 10 degrees (angle 2) about the point 10 before the vertex.
  ApplyLensAnimationStep(system_, state_);
  EXPECT_APPROX(system_.GetSurfaceAngles(3, 0, kGlobalFrame).y, 10.0 * kDegree, kTurnRoundOff);
  EXPECT_EQ(system_.GetSurfaceAngles(3, 0, kGlobalFrame).x, 0.0);
  EXPECT_APPROX(Vertex(3).x, 20.0 + 10.0 * std::cos(10.0 * kDegree), kTurnRoundOff);
  EXPECT_APPROX(std::fabs(Vertex(3).z), 10.0 * std::sin(10.0 * kDegree), kTurnRoundOff);
  EXPECT_APPROX(Vertex(3).y, 0.0, kTurnRoundOff);
  // Step 2: past the upper bound the angle turns back to 0, and the window stands where it
  // stood at the start; the lens was never touched.
  ApplyLensAnimationStep(system_, state_);
  EXPECT_APPROX(system_.GetSurfaceAngles(3, 0, kGlobalFrame).y, 0.0, kTurnRoundOff);
  EXPECT_APPROX(Vertex(3).x, 30.0, kTurnRoundOff);
  EXPECT_APPROX(Vertex(3).z, 0.0, kTurnRoundOff);
  EXPECT_EQ(Vertex(1).x, 10.0);
}

TEST_F(LensAnimationTest, MissingStepsAreTenthsOfTheirSpansAndCommonRotationsApply) {
  TAnimationFile file;
  TAnimationElement lens = Section(0);
  lens.ranges[kAnimRotX][0] = 10.0;  // RotX=10, 0 without dRotX
  lens.ranges[kAnimPosY][0] = -1.0;
  lens.ranges[kAnimPosY][1] = 3.0;
  lens.steps[kAnimPosY] = 0.5;
  file.elements.push_back(lens);
  ASSERT_EQ(LoadLensAnimation(file, system_, state_), 1);
  const TElementAnimationInfo &record = state_.records.data[0];
  EXPECT_EQ(record.steps[kAnimRotX], -1.0);
  EXPECT_EQ(record.motion[kMotionAngle3][kMotionLower], 0.0);
  EXPECT_EQ(record.motion[kMotionAngle3][kMotionUpper], 10.0);
  // Position component 2 runs from the lens's y (0) over -1 ... 3.
  EXPECT_EQ(record.motion[1][kMotionLower], -1.0);
  EXPECT_EQ(record.motion[1][kMotionUpper], 3.0);
  EXPECT_EQ(record.motion[0][kMotionLower], 10.0);
  EXPECT_EQ(state_.cycleLength, 20);  // RotX: 10 steps each way; PosY: 8 each way

  // AllRotation: the common ranges replace the element's own; its own nonzero step stays.
  file.common.AllRotation = 1;
  file.common.rotationAll[0][0] = -4.0;
  file.common.rotationAll[0][1] = 6.0;
  file.common.rotationStepAll[0] = 2.0;
  file.common.rotationStepAll[1] = 3.0;
  file.elements[0].steps[kAnimRotZ] = 5.0;
  file.elements[0].ranges[kAnimRotZ][1] = 50.0;
  ASSERT_EQ(LoadLensAnimation(file, system_, state_), 1);
  const TElementAnimationInfo &all = state_.records.data[0];
  EXPECT_EQ(all.steps[kAnimRotZ], 5.0);
  EXPECT_EQ(all.motion[kMotionAngle1][kMotionLower], -4.0);
  EXPECT_EQ(all.motion[kMotionAngle1][kMotionUpper], 6.0);
  // RotX takes the common range 0, 0 and the common step 3.
  EXPECT_EQ(all.steps[kAnimRotX], 3.0);
  EXPECT_EQ(all.motion[kMotionAngle3][kMotionUpper], 0.0);
}

TEST_F(LensAnimationTest, SectionsOfNoElementAnimateNothingAndTinyStepsKeepTheCycleCountable) {
  TAnimationFile file;
  file.elements.push_back(Section(5));
  EXPECT_EQ(LoadLensAnimation(file, system_, state_), 0);
  EXPECT_EQ(state_.RecordCount(), 0);
  EXPECT_EQ(state_.SavedCount(), 0);
  TAnimationElement lens = Section(0);
  lens.ranges[kAnimPosZ][1] = 1e9;
  lens.steps[kAnimPosZ] = 1e-300;
  file.elements.push_back(lens);
  ASSERT_EQ(LoadLensAnimation(file, system_, state_), 1);
  EXPECT_GT(state_.cycleLength, 0);
}

}  // namespace
