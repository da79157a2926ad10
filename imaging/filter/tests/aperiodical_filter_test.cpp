#include "imaging/filter/aperiodical_filter.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"

namespace {

// The weights are three library exponentials and a division apart from the closed forms.
constexpr double kWeightTolerance = 1e-14;
// A long run accumulates one rounding per step.
constexpr double kRunTolerance = 1e-12;
// The printed eight places of the weights.
constexpr double kEightPlaces = 5e-9;

TEST(AperiodicalFilter, WeightsOfUnitStepAndTimeConstantTwo) {
  const TAperiodicalFilter filter(1.0, 2.0);
  EXPECT_APPROX(filter.a, 0.60653066, kEightPlaces);
  EXPECT_APPROX(filter.b, 0.21306132, kEightPlaces);
  EXPECT_APPROX(filter.c, 0.18040802, kEightPlaces);
  // Closed forms with e = exp(-1/2), r = 1/2.
  const double e = std::exp(-0.5);
  EXPECT_APPROX(filter.b, 1.0 - (1.0 - e) / 0.5, kWeightTolerance);
  EXPECT_APPROX(filter.a + filter.b + filter.c, 1.0, kWeightTolerance);
}

TEST(AperiodicalFilter, RampLagsByTheFirstOrderLaw) {
  // A first-order lag y' = (x - y) / T driven by x = t from rest gives
  // y = t - T (1 - exp(-t / T)); the filter is exact for inputs linear between samples.
  const double dt = 0.25;
  const double T = 1.5;
  TAperiodicalFilter filter(dt, T);
  filter.Reset(0.0);
  for (int k = 1; k <= 200; ++k) {
    const double t = k * dt;
    const double y = filter.Step(t);
    EXPECT_APPROX(y, t - T * (1.0 - std::exp(-t / T)), kRunTolerance) << "sample " << k;
  }
}

TEST(AperiodicalFilter, ConstantsPassAndZeroTimesFollowTheInput) {
  TAperiodicalFilter filter(0.1, 3.0);
  filter.Reset(5.0);
  for (int k = 0; k < 50; ++k) EXPECT_APPROX(filter.Step(5.0), 5.0, kRunTolerance);

  for (const double T : {0.0, -1.0}) {
    TAperiodicalFilter through(0.5, T);
    EXPECT_EQ(through.Step(3.0), 3.0) << "T " << T;
    EXPECT_EQ(through.Step(-7.5), -7.5) << "T " << T;
  }
  TAperiodicalFilter noStep(0.0, 2.0);
  EXPECT_EQ(noStep.Step(4.0), 4.0);
}

TEST(AperiodicalFilter, UnitStepRisesTowardOne) {
  TAperiodicalFilter filter(1.0, 2.0);
  filter.Reset(0.0);
  const double first = filter.Step(1.0);
  EXPECT_APPROX(first, filter.b, kWeightTolerance);
  EXPECT_APPROX(filter.Step(1.0), filter.b + filter.a * filter.b + filter.c, kWeightTolerance);
  double y = 0.0;
  for (int k = 0; k < 60; ++k) y = filter.Step(1.0);
  EXPECT_APPROX(y, 1.0, kRunTolerance);
}

TEST(AperiodicalFilter, SettersKeepTheWeightsUntilInit) {
  TAperiodicalFilter filter(1.0, 2.0);
  const double a = filter.a;
  filter.SetTimeConstant(0.0);
  filter.SetStep(3.0);
  EXPECT_EQ(filter.GetTimeConstant(), 0.0);
  EXPECT_EQ(filter.GetStep(), 3.0);
  EXPECT_EQ(filter.a, a);
  filter.Init(filter.GetStep(), filter.GetTimeConstant(), 2.0);
  EXPECT_EQ(filter.a, 0.0);
  EXPECT_EQ(filter.lastOutput, 2.0);
}

}  // namespace
