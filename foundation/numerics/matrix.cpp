#include "foundation/numerics/matrix.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

#include "foundation/numerics/numeric_misuse.h"
#include "platform/core/message_box.h"

namespace {

constexpr const char *kMatrixMisuseText = "\nНет памяти !!!";

// Cell (r, c) of `m`, or 0 outside its shape.
double At(const Matrix &m, int r, int c) {
  return r < m.rows && c < m.cols ? m.data[r * m.cols + c] : 0.0;
}

double At(const Vector &v, int i) { return i < v.n ? v.data[i] : 0.0; }

Matrix Identity(int n) {
  Matrix result;
  result.SetSize(n, n);
  for (int i = 0; i < result.rows && i < result.cols; ++i) result.data[i * result.cols + i] = 1.0;
  return result;
}

// The inverse from the characteristic polynomial: with the power sums s_j = tr(M^j),
// c_0 = 1 and c_k = -(1/k) sum_{j=1..k} s_j c_{k-j}; by Cayley-Hamilton
// M^-1 = -(1/c_n) sum_{i=0..n-1} c_i M^(n-1-i).
Matrix Inverse(const Matrix &m) {
  const int n = m.cols;
  if (n <= 0) return Matrix();
  // powers[j] = M^j for j = 0..n, each built as M times the previous one.
  std::vector<Matrix> powers(static_cast<std::size_t>(n) + 1);
  std::vector<double> c(static_cast<std::size_t>(n) + 1);
  powers[0] = Identity(n);
  powers[1] = m;
  for (int j = 2; j <= n; ++j) powers[j] = m * powers[j - 1];
  c[0] = 1.0;
  for (int k = 1; k <= n; ++k) {
    double sum = 0.0;
    for (int j = 1; j <= k; ++j) sum += Trace(powers[j]) * c[k - j];
    c[k] = -(1.0 / k) * sum;
  }
  Matrix b = c[0] * powers[n - 1];
  for (int i = 1; i < n; ++i) b = b + c[i] * powers[n - 1 - i];
  return (-1.0 / c[n]) * b;
}

}  // namespace

Matrix::Matrix(int rowCount, int columns) {
  // Counted in 64 bits so that no pair of sizes wraps around below the limit.
  const std::int64_t cells = static_cast<std::int64_t>(rowCount) * columns;
  if (rowCount < 0 || columns < 0 || cells > kMatrixCellLimit) EndOnNumericMisuse(kMatrixMisuseText);
  Reallocate(columns, rowCount);
}

Matrix::Matrix(const Matrix &other) {
  Reallocate(other.cols, other.rows);
  std::copy(other.data, other.data + cols * rows, data);
}

Matrix::~Matrix() { delete[] data; }

Matrix &Matrix::operator=(const Matrix &other) {
  if (this == &other) return *this;
  if (cols != other.cols || rows != other.rows) Reallocate(other.cols, other.rows);
  if (data != nullptr) std::copy(other.data, other.data + cols * rows, data);
  return *this;
}

void Matrix::SetSize(int columns, int rowCount) { Reallocate(columns, rowCount); }

void Matrix::Reallocate(int columns, int rowCount) {
  delete[] data;
  data = nullptr;
  cols = 0;
  rows = 0;
  if (columns <= 0 || rowCount <= 0) return;
  const std::int64_t cells = static_cast<std::int64_t>(columns) * rowCount;
  try {
    data = new double[static_cast<std::size_t>(cells)]();
    cols = columns;
    rows = rowCount;
  } catch (const std::bad_alloc &) {
    ShowNotEnoughMemory();
  }
}

Matrix operator+(const Matrix &a, const Matrix &b) {
  Matrix result;
  result.SetSize(a.cols, a.rows);
  for (int r = 0; r < result.rows; ++r)
    for (int c = 0; c < result.cols; ++c) result.data[r * result.cols + c] = At(a, r, c) + At(b, r, c);
  return result;
}

Matrix operator-(const Matrix &a, const Matrix &b) {
  Matrix result;
  result.SetSize(a.cols, a.rows);
  for (int r = 0; r < result.rows; ++r)
    for (int c = 0; c < result.cols; ++c) result.data[r * result.cols + c] = At(a, r, c) - At(b, r, c);
  return result;
}

Matrix operator*(const Matrix &a, const Matrix &b) {
  Matrix result;
  result.SetSize(b.cols, a.rows);
  for (int i = 0; i < result.rows; ++i)
    for (int j = 0; j < result.cols; ++j) {
      double sum = 0.0;
      for (int k = 0; k < a.cols; ++k) sum += a.data[i * a.cols + k] * At(b, k, j);
      result.data[i * result.cols + j] = sum;
    }
  return result;
}

Vector operator*(const Matrix &a, const Vector &v) {
  Vector result(a.rows);
  for (int i = 0; i < result.n; ++i) {
    double sum = 0.0;
    for (int k = 0; k < a.cols; ++k) sum += a.data[i * a.cols + k] * At(v, k);
    result.data[i] = sum;
  }
  return result;
}

Matrix operator*(double factor, const Matrix &a) {
  Matrix result(a);
  for (int k = 0; k < result.cols * result.rows; ++k) result.data[k] = factor * a.data[k];
  return result;
}

Matrix operator*(const Matrix &a, double factor) {
  Matrix result(a);
  for (int k = 0; k < result.cols * result.rows; ++k) result.data[k] = a.data[k] * factor;
  return result;
}

Matrix operator/(const Matrix &a, double divisor) {
  Matrix result(a);
  for (int k = 0; k < result.cols * result.rows; ++k) result.data[k] = a.data[k] / divisor;
  return result;
}

double Trace(const Matrix &a) {
  double sum = 0.0;
  for (int i = 0; i < a.cols && i < a.rows; ++i) sum += a.data[i * a.cols + i];
  return sum;
}

Matrix Transpose(const Matrix &a) {
  Matrix result;
  result.SetSize(a.rows, a.cols);
  for (int i = 0; i < result.rows; ++i)
    for (int j = 0; j < result.cols; ++j) result.data[i * result.cols + j] = a.data[j * a.cols + i];
  return result;
}

Matrix Pow(const Matrix &m, int p) {
  if (p == 0) return Identity(m.cols);
  if (p < 0) {
    const Matrix inverse = Inverse(m);
    if (p == -1) return inverse;
    // -p overflows for the smallest int; one power more or less of the inverse there is moot.
    return Pow(inverse, p == INT32_MIN ? INT32_MAX : -p);
  }
  // M^p = M (M^(p-1)), multiplied from the left as the recursive definition does.
  Matrix result(m);
  for (int i = 2; i <= p; ++i) result = m * result;
  return result;
}

void Print(const Matrix &a) {
  for (int r = 0; r < a.rows; ++r) {
    std::printf("\n");
    for (int c = 0; c < a.cols; ++c) std::printf("   %f", a.data[r * a.cols + c]);
  }
}
