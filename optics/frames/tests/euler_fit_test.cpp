#include "foundation/numerics/pi.h"
#include "optics/frames/euler_fit.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "foundation/numerics/random.h"
#include "foundation/testing/approx.h"

namespace {

using Mat3 = std::array<std::array<double, 3>, 3>;
using Vec3 = std::array<double, 3>;

// Closed-form values through a handful of sines and cosines.
constexpr double kExactTolerance = 1e-12;
// A forward difference with a step of 0.001 against a central difference with 1e-6: the
// truncation error of the former is about h/2 times the second derivative (at most 4 here).
constexpr double kForwardDifferenceTolerance = 3e-3;
// A fitted mismatch below 1e-4 means an angular error of the image of at most 0.01 rad.
constexpr double kFittedDirectionTolerance = 0.012;

Mat3 Multiply(const Mat3 &a, const Mat3 &b) {
  Mat3 c{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) c[i][j] += a[i][k] * b[k][j];
  return c;
}

// The rotation composed from the three elementary right-handed rotations.
Mat3 Rotation(double alpha, double beta, double gamma) {
  const Mat3 rx{
      {{1, 0, 0}, {0, std::cos(alpha), -std::sin(alpha)}, {0, std::sin(alpha), std::cos(alpha)}}};
  const Mat3 ry{
      {{std::cos(beta), 0, std::sin(beta)}, {0, 1, 0}, {-std::sin(beta), 0, std::cos(beta)}}};
  const Mat3 rz{
      {{std::cos(gamma), -std::sin(gamma), 0}, {std::sin(gamma), std::cos(gamma), 0}, {0, 0, 1}}};
  return Multiply(Multiply(rx, ry), rz);
}

Vec3 Apply(const Mat3 &m, const Vec3 &v) {
  Vec3 r{};
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) r[i] += m[i][k] * v[k];
  return r;
}

Vector Make(const Vec3 &v) {
  Vector result(3);
  result.Set(v[0], v[1], v[2]);
  return result;
}

Vec3 Unit(const Vec3 &v) {
  const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return {v[0] / n, v[1] / n, v[2] / n};
}

double Distance(const Vec3 &a, const Vec3 &b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

Vec3 RandomDirection() {
  return Unit({RandomUniform(-1, 1), RandomUniform(-1, 1), RandomUniform(-1, 1) + 0.01});
}

}  // namespace

TEST(EulerFit, MismatchUsesTheComposedRotation) {
  const Vector x = Make({1, 0, 0});
  EvaluationCounter = 0;
  // A quarter turn about z takes x to y.
  EXPECT_APPROX(RotationMismatch(DANGLE3(0, 0, kPi / 2), x, Make({0, 1, 0})), 0.0, kExactTolerance);
  EXPECT_APPROX(RotationMismatch(DANGLE3(0, 0, kPi / 2), x, x), 2.0, kExactTolerance);
  EXPECT_EQ(EvaluationCounter, 2);

  const unsigned seed = 4711;
  SeedRandom(seed);
  for (int trial = 0; trial < 20; ++trial) {
    const double alpha = RandomUniform(-kPi, kPi), beta = RandomUniform(-kPi, kPi),
                 gamma = RandomUniform(-kPi, kPi);
    const Vec3 a = RandomDirection(), a2 = RandomDirection();
    const Mat3 r = Rotation(alpha, beta, gamma);
    EXPECT_APPROX(RotationMismatch(DANGLE3(alpha, beta, gamma), Make(a), Make(Apply(r, a))), 0.0,
                  kExactTolerance)
        << "seed " << seed;
    // Two pairs add: the second image is off by exactly a unit vector.
    Vec3 off = Apply(r, a2);
    off[2] += 1.0;
    EXPECT_APPROX(RotationMismatchTwoPairs(DANGLE3(alpha, beta, gamma), Make(a), Make(Apply(r, a)),
                                           Make(a2), Make(off)),
                  1.0, kExactTolerance);
  }
}

TEST(EulerFit, GradientIsAForwardDifference) {
  const Vec3 a = Unit({0.3, -0.5, 0.8});
  const Vec3 b = Unit({-0.2, 0.9, 0.1});
  const Vec3 a2 = Unit({1, 0.2, 0});
  const Vec3 b2 = Unit({0, 0, 1});
  const double angles[3] = {0.4, -1.1, 2.0};
  const auto central = [&](int i, bool twoPairs) {
    constexpr double kH = 1e-6;
    double plus[3] = {angles[0], angles[1], angles[2]};
    double minus[3] = {angles[0], angles[1], angles[2]};
    plus[i] += kH;
    minus[i] -= kH;
    const auto f = [&](const double *x) {
      const Mat3 r = Rotation(x[0], x[1], x[2]);
      double sum = std::pow(Distance(Apply(r, a), b), 2);
      if (twoPairs) sum += std::pow(Distance(Apply(r, a2), b2), 2);
      return sum;
    };
    return (f(plus) - f(minus)) / (2 * kH);
  };
  Vector gradient;
  RotationMismatchGradient(DANGLE3(angles[0], angles[1], angles[2]), Make(a), Make(b), gradient);
  ASSERT_EQ(gradient.n, 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_APPROX(gradient.data[i], central(i, false), kForwardDifferenceTolerance) << i;
  RotationMismatchTwoPairsGradient(DANGLE3(angles[0], angles[1], angles[2]), Make(a), Make(b),
                                   Make(a2), Make(b2), gradient);
  for (int i = 0; i < 3; ++i)
    EXPECT_APPROX(gradient.data[i], central(i, true), kForwardDifferenceTolerance) << i;
}

TEST(EulerFit, FitTurnsOneDirectionIntoAnother) {
  const unsigned seed = 2135;
  SeedRandom(seed);
  int fitted = 0;
  constexpr int kTrials = 100;
  for (int trial = 0; trial < kTrials; ++trial) {
    const Vec3 a = RandomDirection();
    const Vec3 b = Apply(
        Rotation(RandomUniform(-kPi, kPi), RandomUniform(-kPi, kPi), RandomUniform(-kPi, kPi)), a);
    DANGLE3 angles;
    // Lengths do not matter: only the directions are fitted.
    const Vector longA = Make({3 * a[0], 3 * a[1], 3 * a[2]});
    const Vector shortB = Make({0.5 * b[0], 0.5 * b[1], 0.5 * b[2]});
    ASSERT_EQ(FitEulerAngles(longA, shortB, angles), 1) << "seed " << seed << " trial " << trial;
    ++fitted;
    EXPECT_LE(EvaluationCounter, kEulerFitBudget) << "seed " << seed << " trial " << trial;
    const Vec3 image = Apply(Rotation(angles.ax, angles.ay, angles.az), a);
    EXPECT_LT(Distance(image, b), kFittedDirectionTolerance)
        << "seed " << seed << " trial " << trial;
    for (double angle : {angles.ax, angles.ay, angles.az}) {
      EXPECT_GT(angle, -2 * kPi);
      EXPECT_LT(angle, 2 * kPi);
    }
  }
  EXPECT_EQ(fitted, kTrials);
}

TEST(EulerFit, TwoPairsRecoverTheWholeRotation) {
  const unsigned seed = 77;
  SeedRandom(seed);
  int fitted = 0;
  constexpr int kTrials = 100;
  for (int trial = 0; trial < kTrials; ++trial) {
    // Every fifth rotation sits at beta = pi/2, where alpha and gamma turn about one axis.
    const double beta = trial % 5 == 0 ? kPi / 2 : RandomUniform(-kPi, kPi);
    const Mat3 r = Rotation(RandomUniform(-kPi, kPi), beta, RandomUniform(-kPi, kPi));
    const Vec3 a1 = RandomDirection(), a2 = RandomDirection(), third = RandomDirection();
    DANGLE3 angles;
    ASSERT_EQ(
        FitEulerAnglesTwoPairs(Make(a1), Make(Apply(r, a1)), Make(a2), Make(Apply(r, a2)), angles),
        1)
        << "seed " << seed << " trial " << trial;
    EXPECT_LE(EvaluationCounter, kEulerFitBudget);
    ++fitted;
    const Mat3 found = Rotation(angles.ax, angles.ay, angles.az);
    const double mismatch = std::pow(Distance(Apply(found, a1), Apply(r, a1)), 2) +
                            std::pow(Distance(Apply(found, a2), Apply(r, a2)), 2);
    EXPECT_LT(mismatch, kEulerFitTolerance) << "seed " << seed << " trial " << trial;
    // Two independent directions fix the rotation, so a third direction follows too
    // (the error grows as the pair closes up; the test directions are rarely that close).
    const double sine = std::sqrt(1 - std::pow(a1[0] * a2[0] + a1[1] * a2[1] + a1[2] * a2[2], 2));
    if (sine > 0.3) {
      EXPECT_LT(Distance(Apply(found, third), Apply(r, third)),
                4 * kFittedDirectionTolerance / sine)
          << "seed " << seed << " trial " << trial;
    }
  }
  EXPECT_EQ(fitted, kTrials);
}

TEST(EulerFit, ImpossibleFitStopsAtTheBudget) {
  // One direction cannot go to two opposite ones: the mismatch never drops below 4.
  SeedRandom(5);
  DANGLE3 angles;
  const Vector a = Make({0, 1, 0});
  EXPECT_EQ(FitEulerAnglesTwoPairs(a, Make({1, 0, 0}), a, Make({-1, 0, 0}), angles), 0);
  EXPECT_GT(EvaluationCounter, kEulerFitBudget);
  // The budget is checked before every candidate; a step adds its start value and three
  // difference quotients before the next check.
  EXPECT_LE(EvaluationCounter, kEulerFitBudget + 6);
  EXPECT_TRUE(std::isfinite(angles.ax) && std::isfinite(angles.ay) && std::isfinite(angles.az));
}

TEST(EulerFit, DirectionlessVectorsFailAtOnce) {
  DANGLE3 angles(1, 2, 3);
  EXPECT_EQ(FitEulerAngles(Make({0, 0, 0}), Make({1, 0, 0}), angles), 0);
  EXPECT_EQ(angles.ax, 0.0);
  EXPECT_EQ(EvaluationCounter, 0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(FitEulerAngles(Make({1, 0, 0}), Make({nan, 0, 0}), angles), 0);
  EXPECT_EQ(FitEulerAnglesTwoPairs(Make({1, 0, 0}), Make({0, 1, 0}), Make({0, 0, 0}),
                                   Make({0, 1, 0}), angles),
            0);
}

TEST(EulerFit, AnglesAreReducedByWholeTurns) {
  EXPECT_APPROX(ReduceEulerAngle(2 * kPi), 0.0, kExactTolerance);
  EXPECT_APPROX(ReduceEulerAngle(-7.0), -7.0 + 2 * kPi, kExactTolerance);
  EXPECT_APPROX(ReduceEulerAngle(3.0), 3.0, kExactTolerance);
  EXPECT_APPROX(ReduceEulerAngle(13.0), 13.0 - 4 * kPi, kExactTolerance);
  EXPECT_APPROX(ReduceEulerAngle(-1.0), -1.0, kExactTolerance);
}

TEST(EulerFit, TriangleReferenceVectorsOfARightTriangle) {
  // Sides 3 and 4 at a right angle: third side 5, height 12/5, w = -sqrt(9 - 5.76) = -1.8.
  Vector v1, v2, v3;
  TriangleReferenceVectors(3, 4, kPi / 2, v1, v2, v3);
  ASSERT_EQ(v1.n, 3);
  const double expected[3][3] = {{0, 2.4, -1.8}, {0, 0.9, 1.2}, {0, -0.9, 1.2}};
  const Vector *vectors[3] = {&v1, &v2, &v3};
  for (int k = 0; k < 3; ++k)
    for (int i = 0; i < 3; ++i)
      EXPECT_APPROX(vectors[k]->data[i], expected[k][i], kExactTolerance) << k << "," << i;
  // No third side: nothing to point, and no NaN either.
  TriangleReferenceVectors(2, 2, 0, v1, v2, v3);
  for (const Vector *v : vectors)
    for (int i = 0; i < 3; ++i) EXPECT_EQ(v->data[i], 0.0);
}

TEST(EulerFit, TriangleElementIsPlacedOnItsTargets) {
  SeedRandom(9);
  const Mat3 r = Rotation(0.7, -0.4, 2.2);
  const Vec3 v1{0, 2.4, -1.8}, v2{0, 0.9, 1.2}, v3{0, -0.9, 1.2};
  const Vec3 p{10, -5, 3};
  DANGLE3 angles;
  Vector position;
  PlaceTriangleElement(3, 4, kPi / 2, Make(Apply(r, v1)), Make(Apply(r, v2)), Make(p), angles,
                       position);
  ASSERT_EQ(position.n, 3);
  const Vec3 tip = Apply(r, v3);
  // |V3| = 1.5, so the direction tolerance scales by 1.5.
  const Vec3 placed{position.data[0], position.data[1], position.data[2]};
  EXPECT_LT(Distance(placed, {p[0] - tip[0], p[1] - tip[1], p[2] - tip[2]}),
            1.5 * 4 * kFittedDirectionTolerance);
  const Mat3 found = Rotation(angles.ax, angles.ay, angles.az);
  EXPECT_LT(Distance(Apply(found, Unit(v1)), Unit(Apply(r, v1))), kFittedDirectionTolerance);
}
