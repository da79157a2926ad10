#include "foundation/numerics/rotator.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"

namespace {

// Products of sines and cosines: a few units of rounding.
constexpr double kRounding = 1e-14;
constexpr double kQuarterTurn = 1.5707963267948966;

Matrix Rx(double a) {
  Matrix m(3, 3);
  const double cells[9] = {1, 0, 0, 0, std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a)};
  for (int k = 0; k < 9; ++k) m.data[k] = cells[k];
  return m;
}

Matrix Ry(double b) {
  Matrix m(3, 3);
  const double cells[9] = {std::cos(b), 0, std::sin(b), 0, 1, 0, -std::sin(b), 0, std::cos(b)};
  for (int k = 0; k < 9; ++k) m.data[k] = cells[k];
  return m;
}

Matrix Rz(double g) {
  Matrix m(3, 3);
  const double cells[9] = {std::cos(g), -std::sin(g), 0, std::sin(g), std::cos(g), 0, 0, 0, 1};
  for (int k = 0; k < 9; ++k) m.data[k] = cells[k];
  return m;
}

void ExpectPoint(const DPOINT3 &actual, double x, double y, double z, double tolerance) {
  EXPECT_APPROX(actual.x, x, tolerance);
  EXPECT_APPROX(actual.y, y, tolerance);
  EXPECT_APPROX(actual.z, z, tolerance);
}

void ExpectSameRotator(const TRotator &a, const TRotator &b, double tolerance) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_APPROX(a.m[r][c], b.m[r][c], tolerance) << r << "," << c;
  ExpectPoint(a.offset, b.offset.x, b.offset.y, b.offset.z, tolerance);
}

TEST(TRotator, DefaultIsIdentity) {
  const TRotator identity;
  ExpectPoint(identity.Transform(DPOINT3(1.5, -2.0, 7.0)), 1.5, -2.0, 7.0, 0.0);
  const TRotator fromZeroAngles{DANGLE3(), DPOINT3()};
  ExpectSameRotator(fromZeroAngles, identity, 0.0);
}

TEST(TRotator, QuarterTurnsAboutEachAxis) {
  // Right-handed: about x, y goes to z; about y, z goes to x; about z, x goes to y.
  const TRotator aboutX(DANGLE3(kQuarterTurn, 0, 0), DPOINT3());
  const TRotator aboutY(DANGLE3(0, kQuarterTurn, 0), DPOINT3());
  const TRotator aboutZ(DANGLE3(0, 0, kQuarterTurn), DPOINT3());
  ExpectPoint(aboutX.Transform(DPOINT3(0, 1, 0)), 0, 0, 1, kRounding);
  ExpectPoint(aboutY.Transform(DPOINT3(0, 0, 1)), 1, 0, 0, kRounding);
  ExpectPoint(aboutZ.Transform(DPOINT3(1, 0, 0)), 0, 1, 0, kRounding);
}

TEST(TRotator, AnglesGiveProductOfAxisRotations) {
  const double alpha = 0.3, beta = -1.1, gamma = 2.4;
  const Matrix expected = Rx(alpha) * Ry(beta) * Rz(gamma);
  const TRotator rotator(DANGLE3(alpha, beta, gamma), DPOINT3(1, 2, 3));
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      EXPECT_APPROX(rotator.m[r][c], expected.data[r * 3 + c], kRounding) << r << "," << c;
  // A rotation: orthonormal rows and determinant +1.
  const Matrix m = rotator.GetMatrix();
  const Matrix product = m * Transpose(m);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_APPROX(product.data[r * 3 + c], r == c ? 1.0 : 0.0, kRounding);
}

TEST(TRotator, SetAnglesKeepsOffset) {
  TRotator rotator(DANGLE3(), DPOINT3(1, 2, 3));
  rotator.SetAngles(0, 0, kQuarterTurn);
  ExpectPoint(rotator.Transform(DPOINT3(1, 0, 0)), 1, 3, 3, kRounding);
}

TEST(TRotator, MatrixAndOffsetAccessors) {
  const Matrix source = Rx(0.7) * Rz(-0.2);
  Vector shift(3);
  shift.Set(4.0, 5.0, 6.0);
  const TRotator rotator(source, shift);
  const Matrix back = rotator.GetMatrix();
  ASSERT_EQ(back.rows, 3);
  ASSERT_EQ(back.cols, 3);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(back.data[k], source.data[k]);
  const Vector offset = rotator.GetOffsetVector();
  ASSERT_EQ(offset.n, 3);
  EXPECT_EQ(offset.data[2], 6.0);
  EXPECT_EQ(rotator.GetOffset().y, 5.0);

  TRotator other;
  other.SetOffset(7, 8, 9);
  EXPECT_EQ(other.GetOffset().x, 7.0);
  other.SetOffset(DPOINT3(-1, -2, -3));
  EXPECT_EQ(other.offset.z, -3.0);
  other.SetMatrix(source);
  ExpectSameRotator(TRotator(source, DPOINT3(-1, -2, -3)), other, 0.0);
}

TEST(TRotator, ShortInputsFallBackToIdentityAndZero) {
  Vector shortShift(1);
  shortShift.Set(2.0);
  Matrix small(2, 2);
  small.data[0] = 5.0;
  const TRotator rotator(small, shortShift);
  EXPECT_EQ(rotator.m[0][0], 5.0);
  EXPECT_EQ(rotator.m[1][1], 0.0);
  EXPECT_EQ(rotator.m[2][2], 1.0);
  EXPECT_EQ(rotator.m[0][2], 0.0);
  ExpectPoint(rotator.offset, 2.0, 0.0, 0.0, 0.0);
}

TEST(TRotatorCompose, AppliesFirstThenSecond) {
  TRotator a(DANGLE3(0.2, 0.5, -0.3), DPOINT3(1, -2, 0.5));
  const TRotator b(DANGLE3(-1.0, 0.4, 2.0), DPOINT3(-3, 0.25, 4));
  const DPOINT3 p(0.7, -1.3, 2.9);
  const DPOINT3 expected = b.Transform(a.Transform(p));
  TRotator::Compose(a, b);
  const DPOINT3 composed = a.Transform(p);
  ExpectPoint(composed, expected.x, expected.y, expected.z, kRounding);
}

TEST(TRotatorCompose, IdentityThenAnyGivesThatRotator) {
  TRotator a;
  const TRotator b(DANGLE3(0.9, -0.1, 0.3), DPOINT3(5, 6, 7));
  TRotator::Compose(a, b);
  ExpectSameRotator(a, b, kRounding);
}

TEST(TRotatorCompose, WithItselfDoublesTheTurn) {
  TRotator a(DANGLE3(0, 0, 0.25), DPOINT3(1, 0, 0));
  TRotator::Compose(a, a);
  // Turn 0.5 about z; offset: R(0.25) (1, 0, 0) + (1, 0, 0).
  const TRotator expected(DANGLE3(0, 0, 0.5), DPOINT3(std::cos(0.25) + 1.0, std::sin(0.25), 0));
  ExpectSameRotator(a, expected, kRounding);
}

TEST(TRotator, AssignCopiesMatrixAndOffset) {
  const TRotator source(DANGLE3(0.1, 0.2, 0.3), DPOINT3(1, 2, 3));
  TRotator target;
  target.Assign(source);
  ExpectSameRotator(target, source, 0.0);
  TRotator other;
  other = source;
  ExpectSameRotator(other, source, 0.0);
}

}  // namespace
