#pragma once
// The testing area holds the helpers of every folder's tests: number comparison with named
// tolerances (this file) and golden files (golden.h). It uses GoogleTest only.
//
// Comparison of doubles with a relative plus an absolute tolerance; a failure prints the
// actual and expected values, their difference and the tolerance used.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

inline ::testing::AssertionResult IsApprox(const char *actualText, const char *expectedText,
                                           const char *tolText, double actual, double expected,
                                           double tolerance) {
  const double difference = std::fabs(actual - expected);
  const double allowed = tolerance * (1.0 + std::fabs(expected));
  if (difference <= allowed) return ::testing::AssertionSuccess();
  std::ostringstream out;
  out.precision(17);
  out << actualText << " = " << actual << " differs from " << expectedText << " = " << expected
      << " by " << difference << " (tolerance " << tolText << " = " << tolerance
      << ", allowed " << allowed << ")";
  return ::testing::AssertionFailure() << out.str();
}

// EXPECT_APPROX(actual, expected, tol): |actual - expected| <= tol * (1 + |expected|).
#define EXPECT_APPROX(actual, expected, tol) \
  EXPECT_PRED_FORMAT3(IsApprox, actual, expected, tol)
#define ASSERT_APPROX(actual, expected, tol) \
  ASSERT_PRED_FORMAT3(IsApprox, actual, expected, tol)
