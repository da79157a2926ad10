#include "foundation/numerics/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "foundation/testing/approx.h"

namespace {

constexpr std::uint32_t kMultiplier = 22695477u;
// Sample statistics of 200000 draws: the standard error of the mean is about 0.2 % of
// sigma, so 1 % is a wide margin.
constexpr double kSampling = 0.01;
// Exact ends of the scale, up to the rounding of a + (b - a) u.
constexpr double kRounding = 1e-15;

// The multiplier's inverse modulo 2^32 by Newton's iteration x <- x (2 - a x), which
// doubles the correct low bits each step.
std::uint32_t InverseMultiplier() {
  std::uint32_t x = kMultiplier;
  for (int i = 0; i < 5; ++i) x *= 2u - kMultiplier * x;
  return x;
}

// Seeds the generator so that its next step lands on `nextState`.
void SeedBefore(std::uint32_t nextState) { SeedRandom((nextState - 1u) * InverseMultiplier()); }

TEST(Random, SequenceFromInitialState) {
  SeedRandom(1);
  EXPECT_EQ(Random15(), 346);
  EXPECT_EQ(Random15(), 130);
  EXPECT_EQ(Random15(), 10982);
  EXPECT_EQ(Random15(), 1090);
}

TEST(Random, SeedingHelperHitsChosenOutputs) {
  ASSERT_EQ(kMultiplier * InverseMultiplier(), 1u);
  SeedBefore(0x7FFF0000u);
  EXPECT_EQ(Random15(), 32767);
  SeedBefore(0x80000000u);
  EXPECT_EQ(Random15(), 0) << "bit 31 of the state is not part of the output";
}

TEST(RandomUniform, EndsOfTheScale) {
  SeedBefore(0);
  EXPECT_EQ(RandomUniform(2.0, 5.0), 2.0);
  SeedBefore(0x7FFF0000u);
  EXPECT_APPROX(RandomUniform(2.0, 5.0), 5.0, kRounding);
  SeedBefore(0x7FFF0000u);
  EXPECT_EQ(RandomUniform(0.0, 1.0), 1.0) << "32767 maps to exactly 1";
}

TEST(RandomUniform, MeanAndSpreadOfSigmaForm) {
  SeedRandom(12345);
  const int count = 200000;
  double sum = 0.0, sumSquares = 0.0, low = 1e300, high = -1e300;
  for (int i = 0; i < count; ++i) {
    const double x = RandomUniformSigma(10.0, 2.0);
    sum += x;
    sumSquares += x * x;
    low = std::fmin(low, x);
    high = std::fmax(high, x);
  }
  const double mean = sum / count;
  const double sigma = std::sqrt(sumSquares / count - mean * mean);
  EXPECT_APPROX(mean, 10.0, kSampling);
  EXPECT_APPROX(sigma, 2.0, kSampling);
  EXPECT_GE(low, 10.0 - std::sqrt(3.0) * 2.0 - 1e-12);
  EXPECT_LE(high, 10.0 + std::sqrt(3.0) * 2.0 + 1e-12);
}

TEST(RandomNormal, EndsOfTheTable) {
  SeedBefore(0x7FFF0000u);
  EXPECT_APPROX(RandomNormal(1.0, 0.5), 2.5, kRounding);
  SeedBefore(0);
  EXPECT_APPROX(RandomNormal(1.0, 0.5), -0.5, kRounding);
}

TEST(RandomNormal, InterpolatesBetweenTableEntries) {
  // The first output, 346, gives x = 99 * 346 / 32767 = 1.0453..., between the table's
  // entries -2.274 (at 1) and -2.021 (at 2).
  SeedRandom(1);
  const double x = 99.0 * 346.0 / 32767.0;
  const double expected = -2.274 + (x - 1.0) * (-2.021 + 2.274);
  EXPECT_APPROX(RandomNormal(0.0, 1.0), expected, 1e-12);
}

TEST(RandomNormal, StaysWithinThreeSigmaAndSpreadsLikeNormal) {
  SeedRandom(777);
  const int count = 200000;
  double sum = 0.0, sumSquares = 0.0;
  int withinOneSigma = 0;
  for (int i = 0; i < count; ++i) {
    const double x = RandomNormal(-4.0, 3.0);
    ASSERT_GE(x, -13.0 - 1e-12);
    ASSERT_LE(x, 5.0 + 1e-12);
    sum += x;
    sumSquares += x * x;
    if (std::fabs(x + 4.0) <= 3.0) ++withinOneSigma;
  }
  const double mean = sum / count;
  const double sigma = std::sqrt(sumSquares / count - mean * mean);
  EXPECT_NEAR(mean, -4.0, 0.03);
  // Cut off at 3 sigma the spread is a little below sigma; 68.3 % lie within one sigma.
  EXPECT_NEAR(sigma, 3.0, 0.1);
  EXPECT_NEAR(static_cast<double>(withinOneSigma) / count, 0.683, 0.01);
}

}  // namespace
