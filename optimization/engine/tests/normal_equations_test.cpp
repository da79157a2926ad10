// The packed normal equations, the damping rules and the square-root solution, against
// plain dense arithmetic written here.

#include "optimization/engine/normal_equations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "foundation/testing/approx.h"

namespace {

// Sums of a few dozen products of numbers near 1, in another order than the code's.
constexpr double kSumTolerance = 1e-13;
// A well-conditioned 7 x 7 system solved two ways: rounding times the condition (~1e2).
constexpr double kSolveTolerance = 1e-12;

using Dense = std::vector<std::vector<double>>;

std::vector<double> Pack(const Dense &a) {
  const int n = static_cast<int>(a.size());
  std::vector<double> packed(PackedSize(n));
  for (int i = 0; i < n; ++i)
    for (int k = 0; k <= i; ++k) packed[PackedIndex(i, k)] = a[i][k];
  return packed;
}

// Gaussian elimination with partial pivoting.
std::vector<double> DenseSolve(Dense a, std::vector<double> b) {
  const int n = static_cast<int>(b.size());
  for (int c = 0; c < n; ++c) {
    int pivot = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    std::swap(a[c], a[pivot]);
    std::swap(b[c], b[pivot]);
    for (int r = c + 1; r < n; ++r) {
      const double f = a[r][c] / a[c][c];
      for (int k = c; k < n; ++k) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  std::vector<double> x(n);
  for (int r = n - 1; r >= 0; --r) {
    double s = b[r];
    for (int k = r + 1; k < n; ++k) s -= a[r][k] * x[k];
    x[r] = s / a[r][r];
  }
  return x;
}

Dense Hilbert(int n) {
  Dense h(n, std::vector<double>(n));
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < n; ++k) h[i][k] = 1.0 / (i + k + 1);
  return h;
}

}  // namespace

TEST(NormalEquations, PackedDiagonalLiesAtIITimesIPlus3Over2) {
  for (int i = 0; i < 20; ++i) EXPECT_EQ(PackedIndex(i, i), static_cast<std::size_t>(i * (i + 3) / 2));
  EXPECT_EQ(PackedSize(50), 50u * 51u / 2u);
}

TEST(NormalEquations, BuildMatchesTheWeightedSums) {
  constexpr unsigned kSeed = 20261207;
  SCOPED_TRACE(testing::Message() << "seed " << kSeed);
  std::mt19937 random(kSeed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  const int n = 5;
  const int m = 23;  // not a multiple of the four partial sums
  std::vector<double> jacobian(n * m), weights(m), residuals(m);
  for (double &v : jacobian) v = uniform(random);
  for (double &v : weights) v = 2.0 * uniform(random);
  for (double &v : residuals) v = uniform(random);
  std::vector<double> matrix(PackedSize(n)), rhs(n), scratch(m);
  BuildNormalEquations(jacobian.data(), weights.data(), residuals.data(), n, m, matrix.data(), rhs.data(),
                       scratch.data());
  for (int i = 0; i < n; ++i) {
    double b = 0.0;
    for (int j = 0; j < m; ++j) b += weights[j] * weights[j] * residuals[j] * jacobian[i * m + j];
    EXPECT_APPROX(rhs[i], b, kSumTolerance);
    for (int k = 0; k <= i; ++k) {
      double a = 0.0;
      for (int j = 0; j < m; ++j) a += weights[j] * weights[j] * jacobian[i * m + j] * jacobian[k * m + j];
      EXPECT_APPROX(matrix[PackedIndex(i, k)], a, kSumTolerance) << i << "," << k;
    }
  }
}

TEST(NormalEquations, FactorAndSolveAgreeWithADenseSolve) {
  constexpr unsigned kSeed = 7;
  SCOPED_TRACE(testing::Message() << "seed " << kSeed);
  std::mt19937 random(kSeed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  const int n = 7;
  // B^T B + I is symmetric positive definite and well conditioned.
  Dense b(n, std::vector<double>(n));
  for (auto &row : b)
    for (double &v : row) v = uniform(random);
  Dense a(n, std::vector<double>(n, 0.0));
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < n; ++k) {
      for (int t = 0; t < n; ++t) a[i][k] += b[t][i] * b[t][k];
      if (i == k) a[i][k] += 1.0;
    }
  // Leading zeros in the right-hand side exercise the shortened forward sums.
  std::vector<double> rhs = {0.0, 0.0, 0.3, -1.2, 0.7, 2.0, -0.4};
  std::vector<double> packed = Pack(a);
  ASSERT_TRUE(FactorPacked(packed.data(), n));
  std::vector<double> solution = rhs;
  SolveFactored(packed.data(), n, solution.data());
  const std::vector<double> expected = DenseSolve(a, rhs);
  for (int i = 0; i < n; ++i) EXPECT_APPROX(solution[i], expected[i], kSolveTolerance) << i;
  // The diagonal places hold the reciprocals of the roots: for row 0, 1 / sqrt(a_00).
  EXPECT_APPROX(packed[0], 1.0 / std::sqrt(a[0][0]), kSolveTolerance);
}

TEST(NormalEquations, HilbertMatrixOfOrder14IsSingularAndOrder12IsNot) {
  // The pivots of the Hilbert matrix shrink roughly 14-fold per order: at order 12 the
  // last one still moves its diagonal element by more than its rounding when scaled by
  // 1 / (16 n); at order 14 it no longer does.
  std::vector<double> order12 = Pack(Hilbert(12));
  EXPECT_TRUE(FactorPacked(order12.data(), 12));
  std::vector<double> order14 = Pack(Hilbert(14));
  EXPECT_FALSE(FactorPacked(order14.data(), 14));
}

TEST(NormalEquations, NonPositivePivotIsSingular) {
  std::vector<double> indefinite = Pack({{1.0, 2.0}, {2.0, 1.0}});
  EXPECT_FALSE(FactorPacked(indefinite.data(), 2));
  std::vector<double> nan = Pack({{NAN}});
  EXPECT_FALSE(FactorPacked(nan.data(), 1));
}

TEST(NormalEquations, DampingModes) {
  const std::vector<double> base = Pack({{4.0, 1.0}, {1.0, 9.0}});
  const double d[2] = {0.5, 2.0};
  auto damped = [&](int mode, double gradientNorm, bool afterAccepted) {
    std::vector<double> m = base;
    AddDamping(mode, d, 2, gradientNorm, afterAccepted, m.data());
    EXPECT_EQ(m[PackedIndex(1, 0)], 1.0);  // off-diagonal untouched
    return std::pair{m[0], m[2]};
  };
  EXPECT_EQ(damped(kDampingAdditive, 0.0, false), (std::pair{4.5, 11.0}));
  EXPECT_EQ(damped(kDampingMultiplicative, 0.0, false), (std::pair{6.0, 27.0}));
  EXPECT_EQ(damped(kDampingSecant, 0.0, false), (std::pair{6.0, 27.0}));
  EXPECT_EQ(damped(kDampingSecant, 0.0, true), (std::pair{4.5, 11.0}));
  // Gradient mode: S = sqrt(4^2 + 9^2); a_ii + sqrt(a_ii) / S x |g| x d_i with |g| = 3.
  const double s = std::sqrt(16.0 + 81.0);
  const auto gradient = damped(kDampingGradient, 3.0, false);
  EXPECT_APPROX(gradient.first, 4.0 + 2.0 / s * 3.0 * 0.5, kSumTolerance);
  EXPECT_APPROX(gradient.second, 9.0 + 3.0 / s * 3.0 * 2.0, kSumTolerance);
  EXPECT_EQ(damped(7, 3.0, true), (std::pair{4.0, 9.0}));
}

TEST(NormalEquations, TinyDiagonalIsRaisedToTheFloor) {
  std::vector<double> m = Pack({{0.0, 0.0}, {0.0, -1e-13}});
  const double none[2] = {0.0, 0.0};
  AddDamping(kDampingAdditive, none, 2, 0.0, false, m.data());
  EXPECT_EQ(m[0], kSmallestDiagonal);
  EXPECT_EQ(m[2], kSmallestDiagonal);
  // A variable no function depends on then solves to a zero step.
  ASSERT_TRUE(FactorPacked(m.data(), 2));
  double rhs[2] = {0.0, 0.0};
  SolveFactored(m.data(), 2, rhs);
  EXPECT_EQ(rhs[0], 0.0);
  EXPECT_EQ(rhs[1], 0.0);
}
