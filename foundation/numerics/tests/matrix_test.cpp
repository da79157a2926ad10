#include "foundation/numerics/matrix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

#include "foundation/numerics/numeric_misuse.h"
#include "foundation/numerics/random.h"
#include "foundation/testing/approx.h"
#include "foundation/numerics/tests/numeric_test_support.h"

namespace {

// Products and sums of small integers and simple fractions: last-place rounding only.
constexpr double kRounding = 1e-13;
// The inverse by the characteristic polynomial loses a few digits on a 4 x 4 matrix.
constexpr double kInverse = 1e-9;

// A rows x cols matrix from its cells, row by row.
Matrix Make(int rowCount, int columns, std::initializer_list<double> cells) {
  Matrix m(rowCount, columns);
  int k = 0;
  for (double value : cells) m.data[k++] = value;
  return m;
}

void ExpectCells(const Matrix &m, int rowCount, int columns, std::initializer_list<double> cells,
                 double tolerance) {
  ASSERT_EQ(m.rows, rowCount);
  ASSERT_EQ(m.cols, columns);
  int k = 0;
  for (double value : cells) {
    EXPECT_APPROX(m.data[k], value, tolerance) << "cell " << k;
    ++k;
  }
}

void ExpectIdentity(const Matrix &m, int n, double tolerance) {
  ASSERT_EQ(m.rows, n);
  ASSERT_EQ(m.cols, n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      EXPECT_APPROX(m.data[r * n + c], r == c ? 1.0 : 0.0, tolerance) << "(" << r << "," << c << ")";
}

TEST(Matrix, ConstructorTakesRowsFirstSetSizeColumnsFirst) {
  const Matrix m(2, 5);
  EXPECT_EQ(m.rows, 2);
  EXPECT_EQ(m.cols, 5);
  Matrix s;
  s.SetSize(2, 5);
  EXPECT_EQ(s.cols, 2);
  EXPECT_EQ(s.rows, 5);
  const Matrix empty;
  EXPECT_EQ(empty.cols + empty.rows, 0);
  EXPECT_EQ(empty.data, nullptr);
}

TEST(Matrix, CellLimitIsInclusive) {
  const Matrix largest(80, 100);
  EXPECT_EQ(largest.rows * largest.cols, 8000);
  Matrix unlimited;
  unlimited.SetSize(100, 100);
  EXPECT_EQ(unlimited.rows, 100) << "SetSize has no cell limit";
}

TEST(Matrix, CopiesAreDeep) {
  Matrix a = Make(2, 2, {1, 2, 3, 4});
  const Matrix copy(a);
  Matrix assigned(3, 1);
  assigned = a;
  a.data[3] = 40.0;
  ExpectCells(copy, 2, 2, {1, 2, 3, 4}, 0.0);
  ExpectCells(assigned, 2, 2, {1, 2, 3, 4}, 0.0);
  Matrix &alias = assigned;
  assigned = alias;
  ExpectCells(assigned, 2, 2, {1, 2, 3, 4}, 0.0);
}

TEST(MatrixArithmetic, ProductOfRectangularMatrices) {
  const Matrix a = Make(2, 3, {1, 2, 3, 4, 5, 6});
  const Matrix b = Make(3, 2, {7, 8, 9, 10, 11, 12});
  ExpectCells(a * b, 2, 2, {58, 64, 139, 154}, kRounding);
  ExpectCells(b * a, 3, 3, {39, 54, 69, 49, 68, 87, 59, 82, 105}, kRounding);
}

TEST(MatrixArithmetic, ProductWithVector) {
  const Matrix a = Make(2, 3, {1, 2, 3, 4, 5, 6});
  Vector v(3);
  v.Set(1.0, -1.0, 2.0);
  const Vector result = a * v;
  ASSERT_EQ(result.n, 2);
  EXPECT_APPROX(result.data[0], 5.0, kRounding);
  EXPECT_APPROX(result.data[1], 11.0, kRounding);
}

TEST(MatrixArithmetic, SumsScalingTraceTranspose) {
  const Matrix a = Make(2, 2, {1, 2, 3, 4});
  const Matrix b = Make(2, 2, {0.5, 0.25, -1, 2});
  ExpectCells(a + b, 2, 2, {1.5, 2.25, 2, 6}, kRounding);
  ExpectCells(a - b, 2, 2, {0.5, 1.75, 4, 2}, kRounding);
  ExpectCells(2.0 * a, 2, 2, {2, 4, 6, 8}, kRounding);
  ExpectCells(a * 0.5, 2, 2, {0.5, 1, 1.5, 2}, kRounding);
  ExpectCells(a / 4.0, 2, 2, {0.25, 0.5, 0.75, 1}, kRounding);
  EXPECT_APPROX(Trace(a), 5.0, kRounding);
  ExpectCells(Transpose(Make(2, 3, {1, 2, 3, 4, 5, 6})), 3, 2, {1, 4, 2, 5, 3, 6}, 0.0);
}

TEST(MatrixArithmetic, MismatchedShapesReadZerosOutside) {
  // B has one row where A expects two: the missing row counts as zeros.
  const Matrix a = Make(2, 2, {1, 2, 3, 4});
  const Matrix b = Make(1, 2, {5, 6});
  ExpectCells(a * b, 2, 2, {5, 6, 15, 18}, kRounding);
  ExpectCells(a + b, 2, 2, {6, 8, 3, 4}, kRounding);
  Vector shortVector(1);
  shortVector.Set(2.0);
  const Vector product = a * shortVector;
  EXPECT_EQ(product.data[1], 6.0);
  EXPECT_EQ(Trace(Make(2, 3, {1, 2, 3, 4, 5, 6})), 6.0);
}

TEST(MatrixPower, ZeroOneAndPositivePowers) {
  const Matrix shear = Make(2, 2, {1, 1, 0, 1});
  ExpectIdentity(Pow(Make(3, 3, {2, 7, 1, 8, 2, 8, 1, 8, 2}), 0), 3, 0.0);
  ExpectCells(Pow(shear, 1), 2, 2, {1, 1, 0, 1}, 0.0);
  ExpectCells(Pow(shear, 5), 2, 2, {1, 5, 0, 1}, kRounding);
  // [[1,1],[1,0]]^n holds Fibonacci numbers: F(n+1), F(n) / F(n), F(n-1).
  ExpectCells(Pow(Make(2, 2, {1, 1, 1, 0}), 10), 2, 2, {89, 55, 55, 34}, kRounding);
}

TEST(MatrixPower, InverseOfKnownMatrices) {
  ExpectCells(Pow(Make(2, 2, {4, 7, 2, 6}), -1), 2, 2, {0.6, -0.7, -0.2, 0.4}, kRounding);
  ExpectCells(Pow(Make(3, 3, {2, 0, 0, 0, 4, 0, 0, 0, 8}), -1), 3, 3,
              {0.5, 0, 0, 0, 0.25, 0, 0, 0, 0.125}, kRounding);
  // det = 1: the inverse of [[2,1],[1,1]] is [[1,-1],[-1,2]].
  ExpectCells(Pow(Make(2, 2, {2, 1, 1, 1}), -1), 2, 2, {1, -1, -1, 2}, kRounding);
  ExpectCells(Pow(Make(1, 1, {4}), -1), 1, 1, {0.25}, kRounding);
}

TEST(MatrixPower, InverseTimesMatrixIsIdentity) {
  SeedRandom(20261207);
  Matrix m(4, 4);
  for (int k = 0; k < 16; ++k) m.data[k] = RandomUniform(-1.0, 1.0);
  for (int i = 0; i < 4; ++i) m.data[i * 4 + i] += 3.0;  // diagonally dominant: invertible
  const Matrix inverse = Pow(m, -1);
  ExpectIdentity(inverse * m, 4, kInverse);
  ExpectIdentity(m * inverse, 4, kInverse);
}

TEST(MatrixPower, NegativePowersArePowersOfTheInverse) {
  ExpectCells(Pow(Make(2, 2, {1, 1, 0, 1}), -3), 2, 2, {1, -3, 0, 1}, kRounding);
  ExpectCells(Pow(Make(2, 2, {2, 0, 0, 4}), -2), 2, 2, {0.25, 0, 0, 0.0625}, kRounding);
}

TEST(MatrixPrint, Format) {
  ::testing::internal::CaptureStdout();
  Print(Make(2, 2, {1, -2, 0.5, 3}));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "\n   1.000000   -2.000000\n   0.500000   3.000000");
}

TEST(MatrixDeathTest, MoreThanCellLimitEndsProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string path = ChildOutputPath("matrix");
  std::remove(path.c_str());
  EXPECT_EXIT(
      {
        SendStdoutTo(path);
        const Matrix tooLarge(80, 101);
      },
      ::testing::ExitedWithCode(kNumericMisuseExitCode), "");
  // "No memory" in Russian, after a line break.
  EXPECT_EQ(ReadWholeFile(path), "\n\u041d\u0435\u0442 \u043f\u0430\u043c\u044f\u0442\u0438 !!!");
}

TEST(MatrixDeathTest, SizesThatWrapAroundStillEndProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SendStdoutTo("/dev/null");
        const Matrix wrapped(65536, 65536);
      },
      ::testing::ExitedWithCode(kNumericMisuseExitCode), "");
  EXPECT_EXIT(
      {
        SendStdoutTo("/dev/null");
        const Matrix negative(-1, -1);
      },
      ::testing::ExitedWithCode(kNumericMisuseExitCode), "");
}

}  // namespace
