#pragma once
// The damped normal equations of the least-squares engine and their square-root
// (Cholesky) solution, on a symmetric matrix stored as its lower triangle packed by rows:
// element (i, k), k <= i, at i(i+1)/2 + k, so diagonal element i lies at i(i+3)/2.

#include <cstddef>

// Position of element (i, k), k <= i, in the packed lower triangle.
constexpr std::size_t PackedIndex(int i, int k) {
  return static_cast<std::size_t>(i) * static_cast<std::size_t>(i + 1) / 2 +
         static_cast<std::size_t>(k);
}

// Doubles of the packed triangle of an n x n matrix.
constexpr std::size_t PackedSize(int n) { return PackedIndex(n, 0); }

// How the damping d_i enters diagonal element a_ii (TOptz::DampingMode).
enum TDampingMode : int {
  kDampingAdditive = 0,        // a_ii + d_i
  kDampingMultiplicative = 1,  // a_ii (1 + d_i)
  kDampingSecant = 2,          // multiplicative until a step was accepted, then additive
  kDampingGradient = 3,        // a_ii + sqrt(a_ii) / S * |g| * d_i, S = sqrt(sum a_kk^2)
};

// Diagonal elements whose magnitude falls below this after the damping are raised to it,
// so a variable that no function depends on still gets a finite step (0).
constexpr double kSmallestDiagonal = 1e-12;

// The normal equations of the scaled variables from the raw difference Jacobian (n rows of
// m differences, row i for variable i), the weights w_j and the residuals r_j = T_j - F_j:
//   A_ik = sum_j w_j^2 J_ij J_kj (k <= i, packed),  b_i = sum_j w_j^2 r_j J_ij.
// weightedRow is scratch of m doubles.
void BuildNormalEquations(const double *jacobian, const double *weights,
                          const double *residuals, int n, int m, double *matrix,
                          double *rhs, double *weightedRow);

// Adds the damping of the mode to the diagonal of the packed matrix, then raises every
// diagonal element below kSmallestDiagonal in magnitude to it. afterAcceptedStep selects
// the additive rule of the secant mode; gradientNorm is |g| of the gradient mode. A mode
// outside the table adds nothing.
void AddDamping(int mode, const double *damping, int n, double gradientNorm,
                bool afterAcceptedStep, double *matrix);

// Factors the packed matrix in place into its lower triangular root L (A = L L^T),
// storing in each diagonal place the reciprocal 1 / l_ii so that the substitutions
// multiply instead of dividing. A pivot s counts as singular when a_ii + s / (16 n) is not
// greater than a_ii: s is lost in the rounding of the diagonal element it came from (or is
// not positive). Returns false then, with the factor incomplete.
bool FactorPacked(double *matrix, int n);

// Solves L L^T p = b with the factor of FactorPacked; rhs holds b and receives p.
void SolveFactored(const double *factor, int n, double *rhs);
