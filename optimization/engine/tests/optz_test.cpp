// The engine on problems whose answers are known in closed form: linear least squares,
// the Rosenbrock valley, a start point outside the bounds, failed evaluations.

#include "optimization/engine/optz.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "foundation/testing/approx.h"
#include "optimization/engine/tests/test_problem.h"
#include "platform/core/recording_providers.h"

namespace {

// The solution of a linear least-squares problem comes out of the first step up to the
// relative damping 5e-12 / a_ii (a_ii ~ 1e-5 for steps of 0.001 x) and the rounding of
// the differences: 1e-5 is what the answer is quoted to.
constexpr double kLinearSolutionTolerance = 1e-5;
// The residual sum of squares is flat at the solution: its error is second order in that.
constexpr double kResidualSumTolerance = 1e-8;
// Rosenbrock's residuals vanish at (1, 1); Gauss-Newton converges onto the zero residual.
constexpr double kRosenbrockTolerance = 1e-8;
// Differences of exactly representable linear functions: rounding of x + h only.
constexpr double kDifferenceTolerance = 1e-12;
// A minimum found by a scan in steps of 1e-6, against the engine's converged one.
constexpr double kScanStep = 1e-4;

// A = [[1, 2], [3, 4], [5, 7], [1, -1]], y = (1, 2, 3, 4): by the normal equations
// A^T A x = A^T y, x = (131/54, -23/18) and the residual sum of squares is 77/54.
const double kA[4][2] = {{1, 2}, {3, 4}, {5, 7}, {1, -1}};
const double kY[4] = {1, 2, 3, 4};

// The linear problem A x = y from (x0, x1).
struct TLinearProblem : TTestProblem {
  TLinearProblem(double x0, double x1)
      : TTestProblem({x0, x1}, 4, AtAnyStage([](const std::vector<double> &v, std::vector<double> &f) {
                       for (int j = 0; j < 4; ++j) f[j] = kA[j][0] * v[0] + kA[j][1] * v[1];
                     })) {
    for (int j = 0; j < 4; ++j) target[j] = kY[j];
  }
};

}  // namespace

TEST(Optz, SolvesLinearLeastSquares) {
  TLinearProblem problem(1.0, 1.0);
  ASSERT_EQ(problem.Start(), 1);
  EXPECT_EQ(problem.Iteration, 0);
  EXPECT_EQ(problem.shown, 1);
  problem.Run();
  EXPECT_APPROX(problem.x[0], 131.0 / 54.0, kLinearSolutionTolerance);
  EXPECT_APPROX(problem.x[1], -23.0 / 18.0, kLinearSolutionTolerance);
  EXPECT_APPROX(problem.ComputeMerit(0), 77.0 / 54.0, kResidualSumTolerance);
  EXPECT_APPROX(problem.Merit, 77.0 / 54.0, kResidualSumTolerance);
  EXPECT_GE(problem.Iteration, 1);
}

TEST(Optz, VariablesStartingAtZeroMove) {
  // 0.001 x is no step at x = 0: the step of x = 1 lets both variables move.
  TLinearProblem problem(0.0, 0.0);
  EXPECT_EQ(problem.DerivativeStep(0, 0.0), 0.001);
  EXPECT_EQ(problem.DerivativeStep(0, 2.0), 0.002);
  EXPECT_EQ(problem.DerivativeStep(0, -2.0), -0.002);
  ASSERT_EQ(problem.Start(), 1);
  problem.Run();
  EXPECT_APPROX(problem.x[0], 131.0 / 54.0, kLinearSolutionTolerance);
  EXPECT_APPROX(problem.x[1], -23.0 / 18.0, kLinearSolutionTolerance);
}

TEST(Optz, ZeroStepOfADerivedRuleIsReplacedByTheEnginesRule) {
  TLinearProblem problem(1.0, 1.0);
  problem.step = [](int, double) { return 0.0; };
  ASSERT_EQ(problem.Start(), 1);
  const double startMerit = problem.Merit;
  ASSERT_EQ(problem.Iterate(), 1);
  EXPECT_EQ(problem.Steps[0], 0.001);  // 0.001 x at x = 1
  EXPECT_EQ(problem.Steps[1], 0.001);  // at x = 1
  EXPECT_LT(problem.Merit, startMerit);
}

TEST(Optz, RosenbrockReachesTheMinimum) {
  TTestProblem problem({-1.2, 1.0}, 2, AtAnyStage([](const std::vector<double> &x, std::vector<double> &f) {
                         f[0] = 10.0 * (x[1] - x[0] * x[0]);
                         f[1] = 1.0 - x[0];
                       }));
  ASSERT_EQ(problem.Start(), 1);
  EXPECT_EQ(problem.Run(), 1);
  EXPECT_APPROX(problem.x[0], 1.0, kRosenbrockTolerance);
  EXPECT_APPROX(problem.x[1], 1.0, kRosenbrockTolerance);
  EXPECT_TRUE(problem.IsConverged());
}

TEST(Optz, MeritBelowTheGainFloorEndsTheRunAsConverged) {
  // F = x - 1 with weight 100 from x = 2: h = 0.002, the scaled diagonal is
  // (100 h)^2 = 0.04 against the damping 5e-12, so the first step leaves the residual
  // 1.25e-10 and the merit (100 x 1.25e-10)^2 ~ 1.6e-16: below the gain floor 1e-14 but
  // above a tolerance of 1e-30. No gain can be measured from there.
  TTestProblem problem({2.0}, 1, AtAnyStage([](const std::vector<double> &x, std::vector<double> &f) {
                         f[0] = x[0] - 1.0;
                       }));
  problem.weight = {100.0};
  problem.settings = [](TOptz &engine) { engine.MeritTolerance = 1e-30; };
  ASSERT_EQ(problem.Start(), 1);
  ASSERT_EQ(problem.Iterate(), 1);
  ASSERT_LE(problem.Merit, TOptz::kMeritFloor);
  ASSERT_GT(problem.Merit, 1e-30);
  EXPECT_TRUE(problem.IsConverged());
  EXPECT_EQ(problem.Run(), 1);
  EXPECT_EQ(problem.StopReason, TOptzStop::kMeritFloor);
  EXPECT_EQ(problem.Iteration, 1);

  // Iterate alone still spends its trials there, and says why it failed.
  const double settled = problem.x[0];
  EXPECT_EQ(problem.Iterate(), 0);
  EXPECT_EQ(problem.StopReason, TOptzStop::kMeritFloor);
  EXPECT_EQ(problem.x[0], settled);
}

TEST(Optz, StartOutsideTheBoundsIsClampedAndEvaluatedAgain) {
  TTestProblem problem({5.0, -3.0}, 2, AtAnyStage([](const std::vector<double> &x, std::vector<double> &f) {
                         f[0] = x[0];
                         f[1] = x[1];
                       }));
  problem.lower = {0.0, -1.0};
  problem.upper = {2.0, 1.0};
  ASSERT_EQ(problem.Start(), 1);
  EXPECT_EQ(problem.x[0], 2.0);
  EXPECT_EQ(problem.x[1], -1.0);
  EXPECT_EQ(problem.stages, (std::vector<int>{TOptz::kStageFirst, TOptz::kStageFirst}));
  // The merit is that of the clamped point; the damping doubled by the penalty is reset.
  EXPECT_EQ(problem.Merit, 2.0 * 2.0 + 1.0 * 1.0);
  EXPECT_EQ(problem.Damping[0], 0.0);
  // Restore goes back to where the run started, outside the bounds.
  problem.Restore();
  EXPECT_EQ(problem.x[0], 5.0);
  EXPECT_EQ(problem.x[1], -3.0);
  EXPECT_EQ(problem.stages.back(), TOptz::kStageRestore);
}

TEST(Optz, FailedDerivativeEvaluationsCutTheStep) {
  int failures = 2;
  TTestProblem problem({1.0}, 1, [&failures](int stage, const std::vector<double> &x, std::vector<double> &f) {
    if (stage == TOptz::kStageDerivative && failures > 0) {
      --failures;
      return false;
    }
    f[0] = 3.0 * x[0];
    return true;
  });
  problem.target = {6.0};
  ASSERT_EQ(problem.Start(), 1);
  ASSERT_EQ(problem.Iterate(), 1);
  // Two failures: the step that worked is 0.001 x 0.1 x 0.1, and the row holds the raw
  // difference 3 h, not divided by h.
  EXPECT_APPROX(problem.Steps[0], 1e-5, kDifferenceTolerance);
  EXPECT_APPROX(problem.Jacobian[0], 3e-5, kDifferenceTolerance);
  EXPECT_EQ(problem.Count(TOptz::kStageDerivative), 3);
}

TEST(Optz, DerivativeThatNeverEvaluatesEndsTheIterationAtItsStart) {
  TTestProblem problem({1.0, 2.0}, 1, [](int stage, const std::vector<double> &x, std::vector<double> &f) {
    if (stage == TOptz::kStageDerivative) return false;
    f[0] = x[0] + x[1];
    return true;
  });
  ASSERT_EQ(problem.Start(), 1);
  const double merit = problem.Merit;
  EXPECT_EQ(problem.Iterate(), 0);
  EXPECT_EQ(problem.StopReason, TOptzStop::kEvaluationFailed);
  EXPECT_EQ(problem.Count(TOptz::kStageDerivative), TOptz::kDerivativeTries);
  EXPECT_EQ(problem.x, (std::vector<double>{1.0, 2.0}));
  EXPECT_EQ(problem.FunctionValues[0], 3.0);
  EXPECT_EQ(problem.Merit, merit);
  EXPECT_EQ(problem.Run(), 0);
}

TEST(Optz, FailedStartAndFailedConstructionRefuseToRun) {
  TTestProblem failing({1.0}, 1, [](int, const std::vector<double> &, std::vector<double> &) { return false; });
  EXPECT_EQ(failing.Start(), 0);
  EXPECT_EQ(failing.Iterate(), 0);
  EXPECT_EQ(failing.StopReason, TOptzStop::kNotReady);
  EXPECT_EQ(failing.Run(), 0);

  TTestProblem noFunctions({1.0}, 0, AtAnyStage([](const std::vector<double> &, std::vector<double> &) {}));
  EXPECT_FALSE(noFunctions.HasStorage());
  EXPECT_EQ(noFunctions.Start(), 0);
  EXPECT_TRUE(noFunctions.stages.empty());

  // A Jacobian of INT_MAX x INT_MAX doubles cannot be had: the uniform memory box, no
  // storage, and a Start that fails without evaluating anything.
  TRecordingMessageBoxProvider boxes;
  class THuge : public TOptz {
   public:
    THuge() : TOptz(INT_MAX, INT_MAX) {}
    void SetDefaults() override {}
    int ComputeFunctions(int, int) override { return 1; }
    void ShowIteration() override {}
    void GetVariables(double *) override {}
    double GetVariable(int) override { return 0.0; }
    void SetVariables(const double *) override {}
    void SetVariable(int, double, double) override {}
    double UpperBound(int) override { return 0.0; }
    double LowerBound(int) override { return 0.0; }
    double Target(int) override { return 0.0; }
    double Weight(int) override { return 0.0; }
  } huge;
  EXPECT_FALSE(huge.HasStorage());
  EXPECT_TRUE(huge.Jacobian.empty());
  EXPECT_EQ(huge.Start(), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Not enough memory");
}

TEST(Optz, AcceptedStepMovesEachVariableByItsScaledStepTimesItsUnit) {
  TLinearProblem problem(1.0, 2.0);
  ASSERT_EQ(problem.Start(), 1);
  ASSERT_EQ(problem.Iterate(), 1);
  // Row i of the Jacobian is the raw difference A e_i h_i with h_i = 0.001 x_i.
  for (int j = 0; j < 4; ++j) {
    EXPECT_APPROX(problem.Jacobian[j], kA[j][0] * 0.001, kDifferenceTolerance);
    EXPECT_APPROX(problem.Jacobian[4 + j], kA[j][1] * 0.002, kDifferenceTolerance);
  }
  EXPECT_EQ(problem.x[0], 1.0 + problem.Solution[0] * problem.Steps[0]);
  EXPECT_EQ(problem.x[1], 2.0 + problem.Solution[1] * problem.Steps[1]);
  // ShowIteration saw the new merit beside the previous one; afterwards they agree.
  EXPECT_EQ(problem.shown, 2);
  EXPECT_EQ(problem.PrevMerit, problem.Merit);
}

TEST(Optz, UnequalWeightsMoveTheMinimumAndTheMeritIsWeighted) {
  // F1 = x^2 to 4 with weight 1, F2 = x to 1 with weight 3, from x = 1.94 (near the
  // unweighted minimum: every step towards the weighted one raises the unweighted sum). The weighted sum
  // (4 - x^2)^2 + 9 (1 - x)^2 and the unweighted (4 - x^2)^2 + (1 - x)^2 have their least
  // values at different x; both are found here by a plain scan.
  auto values = AtAnyStage([](const std::vector<double> &v, std::vector<double> &f) {
    f[0] = v[0] * v[0];
    f[1] = v[0];
  });
  TTestProblem problem({1.94}, 2, values);
  problem.target = {4.0, 1.0};
  problem.weight = {1.0, 3.0};
  // Steps go on while they gain anything: the minimum is a large residual's, where the
  // usual 1 % gain rule stops short of it.
  problem.settings = [](TOptz &optz) { optz.GainThreshold = 0.0; };
  auto sum = [](double x, double w) { return std::pow(4.0 - x * x, 2) + std::pow(w * (1.0 - x), 2); };
  auto scan = [&](double w) {
    double best = 0.0;
    for (double x = 0.0; x <= 3.0; x += 1e-6)
      if (sum(x, w) < sum(best, w)) best = x;
    return best;
  };
  const double weightedMinimum = scan(3.0), unweightedMinimum = scan(1.0);
  ASSERT_GT(std::fabs(weightedMinimum - unweightedMinimum), 0.05);
  ASSERT_EQ(problem.Start(), 1);
  EXPECT_APPROX(problem.Merit, sum(1.94, 3.0), kDifferenceTolerance);
  EXPECT_APPROX(problem.MeritUnweighted, sum(1.94, 1.0), kDifferenceTolerance);
  problem.Run();
  EXPECT_APPROX(problem.x[0], weightedMinimum, kScanStep);
  EXPECT_APPROX(problem.Merit, sum(problem.x[0], 3.0), kDifferenceTolerance);
  EXPECT_APPROX(problem.MeritUnweighted, sum(problem.x[0], 1.0), kDifferenceTolerance);
  EXPECT_APPROX(problem.ComputeMerit(1), problem.Merit, kDifferenceTolerance);
}
