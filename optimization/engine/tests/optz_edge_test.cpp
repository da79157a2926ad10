// The engine's boundary rules: the gain test, the bound penalty limit, a zero previous
// merit and the secant damping mode, each on a problem small enough to follow by hand.

#include "optimization/engine/optz.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optimization/engine/tests/test_problem.h"

namespace {

// Steps of 0.001 x on linear functions: the differences round at 1e-16 / 1e-3 relative.
constexpr double kStepTolerance = 1e-10;
// The additive damping 5e-12 against (dF/dx h)^2 of some 1e-5 shortens a step by 1e-6.
constexpr double kDampedStepTolerance = 1e-5;

// One variable whose trial evaluations give the scripted values in turn; the base value
// is 2 (merit 4 against target 0) and the derivative is that of F = 2 + (x - 1).
struct TScriptedTrials : TTestProblem {
  explicit TScriptedTrials(std::vector<double> trialValues)
      : TTestProblem({1.0}, 1, [this](int stage, const std::vector<double> &v, std::vector<double> &f) {
          if (stage == kStageTrial) {
            f[0] = script[std::min(next++, script.size() - 1)];
          } else if (stage == kStageDerivative) {
            f[0] = 2.0 + (v[0] - 1.0);
          } else {
            f[0] = 2.0;
          }
          return true;
        }),
        script(std::move(trialValues)) {}
  std::vector<double> script;
  std::size_t next = 0;
};

}  // namespace

TEST(OptzEdges, GainEqualToTheThresholdIsRejectedAndTheDampingGrowsFivefold) {
  // Trial 1: F = 1, merit 1 against 4, gain exactly 0.75 = the threshold: rejected.
  // Trial 2: F = 0.5, merit 0.25, gain 0.9375: accepted.
  TScriptedTrials problem({1.0, 0.5});
  problem.settings = [](TOptz &engine) { engine.GainThreshold = 0.75; };
  ASSERT_EQ(problem.Start(), 1);
  ASSERT_EQ(problem.Iterate(), 1);
  EXPECT_EQ(problem.Count(TOptz::kStageTrial), 2);
  ASSERT_EQ(problem.trialDamping.size(), 2u);
  EXPECT_EQ(problem.trialDamping[0], 5e-12);  // base damping 1 x the default factor
  EXPECT_EQ(problem.trialDamping[1], 5.0 * 5e-12);
  EXPECT_EQ(problem.Gain, 0.9375);
  EXPECT_EQ(problem.Merit, 0.25);
  EXPECT_EQ(problem.DampingTrial, 1);
}

TEST(OptzEdges, PenaltyOfExactly1e16IsEvaluatedAndAnyMoreIsWithdrawn) {
  // The penalty check runs once in Start, then once per trial.
  std::vector<double> penalties = {0.0, std::nextafter(1e-16, 1.0), 1e-16};
  std::size_t call = 0;
  TScriptedTrials problem({0.5});
  problem.penalty = [&] { return penalties[std::min(call++, penalties.size() - 1)]; };
  ASSERT_EQ(problem.Start(), 1);
  ASSERT_EQ(problem.Iterate(), 1);
  // The first trial was withdrawn unevaluated and without the fivefold growth; the
  // second, at exactly 1e-16, was evaluated and accepted.
  EXPECT_EQ(problem.Count(TOptz::kStageTrial), 1);
  ASSERT_EQ(problem.trialDamping.size(), 1u);
  EXPECT_EQ(problem.trialDamping[0], 5e-12);
  EXPECT_EQ(problem.TrialPenalty, 1e-16);
}

TEST(OptzEdges, TrialsOutsideTheBoundsDoubleTheDampingOfTheViolatorOnly) {
  // F = x with target -10 pulls x far below its bound 0; each withdrawn trial doubles the
  // damping until the step fits inside [0, 1].
  TTestProblem problem({0.5}, 1, AtAnyStage([](const std::vector<double> &x, std::vector<double> &f) {
                         f[0] = x[0];
                       }));
  problem.target = {-10.0};
  problem.lower = {0.0};
  problem.upper = {1.0};
  ASSERT_EQ(problem.Start(), 1);
  problem.penaltyDamping.clear();
  ASSERT_EQ(problem.Iterate(), 1);
  ASSERT_GE(problem.penaltyDamping.size(), 3u);
  for (std::size_t k = 1; k < problem.penaltyDamping.size(); ++k)
    EXPECT_EQ(problem.penaltyDamping[k], 2.0 * problem.penaltyDamping[k - 1]) << "trial " << k;
  EXPECT_EQ(problem.Count(TOptz::kStageTrial), 1);
  EXPECT_GE(problem.x[0], 0.0);
  EXPECT_LT(problem.x[0], 0.5);
}

TEST(OptzEdges, ZeroPreviousMeritRejectsEveryTrialAndRestores) {
  TTestProblem problem({1.0}, 1, AtAnyStage([](const std::vector<double> &x, std::vector<double> &f) {
                         f[0] = x[0] - 1.0;
                       }));
  ASSERT_EQ(problem.Start(), 1);
  ASSERT_EQ(problem.Merit, 0.0);
  EXPECT_EQ(problem.Iterate(), 0);
  EXPECT_EQ(problem.Count(TOptz::kStageTrial), 35);
  EXPECT_EQ(problem.stages.back(), TOptz::kStageRestore);
  EXPECT_EQ(problem.x[0], 1.0);
  EXPECT_EQ(problem.Iteration, 0);
  EXPECT_EQ(problem.StopReason, TOptzStop::kMeritFloor);
}

TEST(OptzEdges, SecantModeHalvesTheFirstStepWithFactorOneThenAddsSecantDamping) {
  // F = 3 x, target 6, from x = 1. Iteration 1 multiplies the diagonal 9 h^2 by
  // (1 + 1): the step is half the Gauss-Newton step, x = 1.5.
  TTestProblem problem({1.0}, 1, AtAnyStage([](const std::vector<double> &x, std::vector<double> &f) {
                         f[0] = 3.0 * x[0];
                       }));
  problem.target = {6.0};
  problem.settings = [](TOptz &engine) {
    engine.DampingMode = kDampingSecant;
    engine.DampingFactor = 1.0;
  };
  ASSERT_EQ(problem.Start(), 1);
  ASSERT_EQ(problem.Iterate(), 1);
  EXPECT_APPROX(problem.x[0], 1.5, kStepTolerance);
  EXPECT_EQ(problem.DampingFactor, 0.001);

  // Iteration 2: with h1 = 0.001 and p1 = 0.5 / h1 the accepted step, the residual 1.5 at
  // x = 1.5 and h2 = 0.0015:
  //   g_old = 1.5 x 3 h1, g_new = 1.5 x 3 h2, d = |g_new - g_old| / |p1| x 0.001,
  //   x = 1.5 + h2 b / (a + d) with a = (3 h2)^2 and b = 1.5 x 3 h2.
  const double h1 = 0.001;
  const double h2 = 0.0015;
  const double p1 = 0.5 / h1;
  const double d = std::fabs(1.5 * 3.0 * h2 - 1.5 * 3.0 * h1) / p1 * 0.001;
  const double a = 9.0 * h2 * h2;
  const double b = 1.5 * 3.0 * h2;
  ASSERT_EQ(problem.Iterate(), 1);
  EXPECT_APPROX(problem.x[0], 1.5 + h2 * b / (a + d), kStepTolerance);
  EXPECT_APPROX(problem.Damping[0], d, kStepTolerance);
}

TEST(OptzEdges, AVariableOnItsBoundWithTheMeritFallingBeyondItIsHeldWhileTheOtherMoves) {
  // F = x with targets 1 and 10, x1 held to [0, 5] and starting at 5: the merit falls only
  // above 5, so x1 stays on its bound, while x0 takes its step from 3 to 1.
  TTestProblem problem({3.0, 5.0}, 2, AtAnyStage([](const std::vector<double> &x, std::vector<double> &f) {
                         f[0] = x[0];
                         f[1] = x[1];
                       }));
  problem.target = {1.0, 10.0};
  problem.lower = {-10.0, 0.0};
  problem.upper = {10.0, 5.0};
  ASSERT_EQ(problem.Start(), 1);
  EXPECT_EQ(problem.Iterate(), 1);
  EXPECT_APPROX(problem.x[0], 1.0, kDampedStepTolerance);
  EXPECT_EQ(problem.x[1], 5.0);
}

TEST(OptzEdges, AtTheMinimumNoTrialGainsAndTheReasonIsTheGainRule) {
  // F = x - 3 with target 0 has its least squares at x = 3 exactly, starting there: no
  // step lowers the merit by 1 %, and no bound is in the way.
  TTestProblem problem({3.0}, 2, AtAnyStage([](const std::vector<double> &x, std::vector<double> &f) {
                         f[0] = x[0] - 3.0;
                         f[1] = 1.0;
                       }));
  ASSERT_EQ(problem.Start(), 1);
  EXPECT_EQ(problem.Iterate(), 0);
  EXPECT_EQ(problem.StopReason, TOptzStop::kNoAcceptedTrial);
  EXPECT_EQ(problem.BlockingVariable, -1);
}
