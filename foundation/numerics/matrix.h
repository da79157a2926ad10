#pragma once
// The numerics area holds small dense matrices and vectors, rotations, the random
// generator and the reports of numeric misuse. It uses foundation/containers and
// platform/core.
//
// Matrix: a small dense matrix of doubles, row-major (cell (r, c) at data[r * cols + c]),
// with value semantics. Meant for small sizes: the sized constructor refuses more than
// kMatrixCellLimit cells by ending the program. Operands whose shapes do not fit read as
// zeros outside their cells instead of reading past their blocks.

#include "foundation/numerics/vector.h"

constexpr unsigned kMatrixCellLimit = 8000;

class Matrix {
 public:
  int cols = 0;
  int rows = 0;
  double *data = nullptr;

  Matrix() = default;
  // rows x cols zero cells (rows first). More than kMatrixCellLimit cells, or a negative
  // size, prints "\nНет памяти !!!" and ends the program.
  Matrix(int rowCount, int columns);
  Matrix(const Matrix &other);
  ~Matrix();
  Matrix &operator=(const Matrix &other);

  // Drops the content and makes cols x rows zero cells (columns first, no cell limit).
  void SetSize(int columns, int rowCount);

 private:
  void Reallocate(int columns, int rowCount);
};

Matrix operator+(const Matrix &a, const Matrix &b);
Matrix operator-(const Matrix &a, const Matrix &b);
// a.rows x b.cols; cell (i, j) = sum over k < a.cols of a(i, k) b(k, j).
Matrix operator*(const Matrix &a, const Matrix &b);
// a.rows elements; element i = sum over k < a.cols of a(i, k) v[k].
Vector operator*(const Matrix &a, const Vector &v);
Matrix operator*(double factor, const Matrix &a);
Matrix operator*(const Matrix &a, double factor);
Matrix operator/(const Matrix &a, double divisor);

double Trace(const Matrix &a);
Matrix Transpose(const Matrix &a);
// Integer power of a square matrix: identity for 0, the inverse for -1 (by the
// characteristic polynomial; a singular matrix gives infinities or NaNs), powers of the
// inverse below that.
Matrix Pow(const Matrix &m, int p);

// Writes "\n" and then "   %f" per cell, row by row, to standard output.
void Print(const Matrix &a);
