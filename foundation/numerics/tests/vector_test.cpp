#include "foundation/numerics/vector.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "foundation/numerics/numeric_misuse.h"
#include "foundation/testing/approx.h"
#include "foundation/numerics/tests/numeric_test_support.h"

namespace {

// Sums and products of a few small doubles: only rounding of the last place.
constexpr double kRounding = 1e-14;

Vector Make(double x, double y, double z) {
  Vector v(3);
  v.Set(x, y, z);
  return v;
}

TEST(Vector, EmptyAndSized) {
  const Vector empty;
  EXPECT_EQ(empty.n, 0);
  EXPECT_EQ(empty.data, nullptr);
  const Vector three(3);
  EXPECT_EQ(three.n, 3);
  ASSERT_NE(three.data, nullptr);
  const Vector negative(-4);
  EXPECT_EQ(negative.n, 0);
  EXPECT_EQ(negative.data, nullptr);
}

TEST(Vector, SetFillsOnlyExistingElements) {
  Vector v(2);
  v.Set(1.5, -2.5, 99.0);
  EXPECT_EQ(v.data[0], 1.5);
  EXPECT_EQ(v.data[1], -2.5);
  Vector w(4);
  w.Set(7, 8);
  EXPECT_EQ(w.data[1], 8.0);
  EXPECT_EQ(w.data[2], 0.0);
}

TEST(Vector, CopiesAreDeep) {
  Vector a = Make(1, 2, 3);
  const Vector b(a);
  Vector c;
  c = a;
  a.data[0] = 100.0;
  EXPECT_EQ(b.data[0], 1.0);
  EXPECT_EQ(c.n, 3);
  EXPECT_EQ(c.data[0], 1.0);
}

TEST(Vector, AssignmentTakesSourceSize) {
  Vector target(5);
  target = Make(4, 5, 6);
  EXPECT_EQ(target.n, 3);
  EXPECT_EQ(target.data[2], 6.0);
  Vector sameSize(3);
  const double *block = sameSize.data;
  sameSize = Make(7, 8, 9);
  EXPECT_EQ(sameSize.data, block) << "equal sizes reuse the block";
  EXPECT_EQ(sameSize.data[1], 8.0);
}

TEST(Vector, SelfAssignmentChangesNothing) {
  Vector v = Make(1, 2, 3);
  const double *block = v.data;
  Vector &alias = v;
  v = alias;
  EXPECT_EQ(v.data, block);
  EXPECT_EQ(v.data[2], 3.0);
}

TEST(Vector, SetSizeDropsContent) {
  Vector v = Make(1, 2, 3);
  v.SetSize(5);
  EXPECT_EQ(v.n, 5);
  v.SetSize(0);
  EXPECT_EQ(v.n, 0);
  EXPECT_EQ(v.data, nullptr);
}

TEST(VectorArithmetic, SumsDifferencesAndScaling) {
  const Vector a = Make(1, 2, 3);
  const Vector b = Make(4, 5, 6);
  const Vector sum = a + b;
  const Vector difference = a - b;
  const Vector doubled = 2.0 * a;
  const Vector tripled = a * 3.0;
  const Vector halved = b / 2.0;
  EXPECT_EQ(sum.data[0] + sum.data[1] * 10 + sum.data[2] * 100, 5 + 70 + 900);
  EXPECT_EQ(difference.data[2], -3.0);
  EXPECT_EQ(doubled.data[1], 4.0);
  EXPECT_EQ(tripled.data[2], 9.0);
  EXPECT_EQ(halved.data[0], 2.0);
  EXPECT_EQ(halved.data[1], 2.5);
}

TEST(VectorArithmetic, DotCrossNorm) {
  const Vector a = Make(1, 2, 3);
  const Vector b = Make(4, 5, 6);
  EXPECT_APPROX(Dot(a, b), 32.0, kRounding);
  const Vector c = Cross(a, b);
  ASSERT_EQ(c.n, 3);
  EXPECT_APPROX(c.data[0], -3.0, kRounding);
  EXPECT_APPROX(c.data[1], 6.0, kRounding);
  EXPECT_APPROX(c.data[2], -3.0, kRounding);
  EXPECT_APPROX(Dot(c, a), 0.0, kRounding);
  const Vector z = Cross(Make(1, 0, 0), Make(0, 1, 0));
  EXPECT_EQ(z.data[2], 1.0);
  EXPECT_APPROX(Norm(Make(3, 4, 12)), 13.0, kRounding);
  const Vector unit = Normalize(Make(0, 3, 4));
  EXPECT_APPROX(unit.data[1], 0.6, kRounding);
  EXPECT_APPROX(unit.data[2], 0.8, kRounding);
}

TEST(VectorArithmetic, SizeComesFromFirstOperand) {
  Vector shortOne(1);
  shortOne.Set(10.0);
  const Vector sum = Make(1, 2, 3) + shortOne;
  ASSERT_EQ(sum.n, 3);
  EXPECT_EQ(sum.data[0], 11.0);
  EXPECT_EQ(sum.data[2], 3.0) << "the shorter operand reads as zero past its end";
  EXPECT_EQ(Dot(Make(1, 2, 3), shortOne), 10.0);
  EXPECT_EQ((shortOne - Make(1, 2, 3)).n, 1);
}

TEST(VectorPrint, Format) {
  ::testing::internal::CaptureStdout();
  Print(Make(1.0, -2.5, 0.125));
  Print(3.0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "\n1.000000  -2.500000  0.125000  \n3.000000  ");
}

// The vector product outside three dimensions ends the run with its message and a failure
// code.
TEST(VectorDeathTest, CrossOfTwoElementVectorsEndsProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string path = ChildOutputPath("cross");
  std::remove(path.c_str());
  EXPECT_EXIT(
      {
        SendStdoutTo(path);
        Cross(Vector(2), Make(1, 2, 3));
      },
      ::testing::ExitedWithCode(kNumericMisuseExitCode), "");
  // The Cyrillic text with a Latin "p" in each of its three "pr" syllables.
  EXPECT_EQ(ReadWholeFile(path),
            "\u0412\u0435\u043a\u0442\u043e" "p" "\u043d\u043e\u0435 \u043f" "p"
            "\u043e\u0438\u0437\u0432\u0435\u0434\u0435\u043d\u0438\u0435 \u043e\u043f" "p"
            "\u0435\u0434\u0435\u043b\u0435\u043d\u043e \u0442\u043e\u043b\u044c\u043a\u043e "
            "\u0434\u043b\u044f N=3 !!!");
}

TEST(VectorDeathTest, CrossOfFourElementVectorsEndsProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SendStdoutTo("/dev/null");
        Cross(Vector(4), Vector(4));
      },
      ::testing::ExitedWithCode(kNumericMisuseExitCode), "");
}

}  // namespace
