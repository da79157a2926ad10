#include "optimization/engine/normal_equations.h"

#include <cmath>

namespace {

// Dot product with four independent sums, so the additions of consecutive terms do not
// wait on each other; the normal matrix is this product n(n+1)/2 times over m terms.
double Dot(const double *a, const double *b, int m) {
  double s0 = 0.0;
  double s1 = 0.0;
  double s2 = 0.0;
  double s3 = 0.0;
  int j = 0;
  for (; j + 4 <= m; j += 4) {
    s0 += a[j] * b[j];
    s1 += a[j + 1] * b[j + 1];
    s2 += a[j + 2] * b[j + 2];
    s3 += a[j + 3] * b[j + 3];
  }
  for (; j < m; ++j) s0 += a[j] * b[j];
  return (s0 + s1) + (s2 + s3);
}

const double *Row(const double *jacobian, int i, int m) {
  return jacobian + static_cast<std::size_t>(i) * static_cast<std::size_t>(m);
}

}  // namespace

void BuildNormalEquations(const double *jacobian, const double *weights,
                          const double *residuals, int n, int m, double *matrix,
                          double *rhs, double *weightedRow) {
  // w_j^2 J_ij J_kj = (w_j^2 J_ij) J_kj: one scaled copy of row i serves the whole row i
  // of the triangle and b_i.
  for (int i = 0; i < n; ++i) {
    const double *rowI = Row(jacobian, i, m);
    for (int j = 0; j < m; ++j) weightedRow[j] = weights[j] * weights[j] * rowI[j];
    for (int k = 0; k <= i; ++k) matrix[PackedIndex(i, k)] = Dot(weightedRow, Row(jacobian, k, m), m);
    rhs[i] = Dot(weightedRow, residuals, m);
  }
}

void AddDamping(int mode, const double *damping, int n, double gradientNorm,
                bool afterAcceptedStep, double *matrix) {
  double diagonalNorm = 0.0;
  if (mode == kDampingGradient) {
    for (int k = 0; k < n; ++k) {
      const double a = matrix[PackedIndex(k, k)];
      diagonalNorm += a * a;
    }
    diagonalNorm = std::sqrt(diagonalNorm);
  }
  for (int i = 0; i < n; ++i) {
    double &a = matrix[PackedIndex(i, i)];
    switch (mode) {
      case kDampingAdditive:
        a += damping[i];
        break;
      case kDampingMultiplicative:
        a *= 1.0 + damping[i];
        break;
      case kDampingSecant:
        if (afterAcceptedStep) {
          a += damping[i];
        } else {
          a *= 1.0 + damping[i];
        }
        break;
      case kDampingGradient:
        // A zero diagonal norm means every a_kk is 0: nothing to scale by, and the floor
        // below gives the step.
        if (diagonalNorm > 0.0) a += std::sqrt(std::fabs(a)) / diagonalNorm * gradientNorm * damping[i];
        break;
      default:
        break;
    }
  }
  for (int i = 0; i < n; ++i) {
    double &a = matrix[PackedIndex(i, i)];
    if (std::fabs(a) < kSmallestDiagonal) a = kSmallestDiagonal;
  }
}

bool FactorPacked(double *matrix, int n) {
  const double eps = 1.0 / (16.0 * n);
  for (int i = 0; i < n; ++i) {
    double *rowI = matrix + PackedIndex(i, 0);
    for (int k = 0; k <= i; ++k) {
      const double *rowK = matrix + PackedIndex(k, 0);
      double s = rowI[k];
      for (int t = 0; t < k; ++t) s -= rowI[t] * rowK[t];
      if (k < i) {
        rowI[k] = s * rowK[k];  // rowK[k] holds 1 / l_kk
        continue;
      }
      const double diagonal = rowI[i];
      // Written as a comparison that a NaN pivot also fails.
      if (!(diagonal + s * eps > diagonal)) return false;
      rowI[i] = 1.0 / std::sqrt(s);
    }
  }
  return true;
}

void SolveFactored(const double *factor, int n, double *rhs) {
  // Forward: L y = b. Unknowns before the first non-zero element of b are 0 and add
  // nothing to the sums.
  int first = 0;
  while (first < n && rhs[first] == 0.0) ++first;
  for (int i = first; i < n; ++i) {
    const double *rowI = factor + PackedIndex(i, 0);
    double s = rhs[i];
    for (int t = first; t < i; ++t) s -= rowI[t] * rhs[t];
    rhs[i] = s * rowI[i];
  }
  // Backward: L^T p = y; column i of L^T is row i of L, read down the later rows.
  for (int i = n - 1; i >= 0; --i) {
    double s = rhs[i];
    for (int t = i + 1; t < n; ++t) s -= factor[PackedIndex(t, i)] * rhs[t];
    rhs[i] = s * factor[PackedIndex(i, i)];
  }
}
