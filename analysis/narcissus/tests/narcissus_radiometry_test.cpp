// Simpson integration against polynomials it integrates exactly, Planck's law against
// values worked by hand and the band factor against a fine trapezoid sum.

#include "analysis/narcissus/narcissus_radiometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/narcissus/narcissus_analysis.h"
#include "foundation/testing/approx.h"

namespace {

constexpr double kExact = 1e-12;       // rounding of a few dozen operations
constexpr double kHandValue = 2e-4;    // hand values carried to five figures
constexpr double kFineSum = 1e-6;      // 21-sample Simpson against a 200001-sample trapezoid

std::vector<double> Samples(int n, double a, double b, double (*f)(double)) {
  std::vector<double> s(n);
  for (int i = 0; i < n; ++i) s[i] = f(a + i * (b - a) / (n - 1));
  return s;
}

double Cubic(double x) { return 2.0 * x * x * x - 3.0 * x * x + x - 7.0; }
// Antiderivative of Cubic.
double CubicIntegral(double x) { return 0.5 * x * x * x * x - x * x * x + 0.5 * x * x - 7.0 * x; }

}  // namespace

TEST(SimpsonIntegral, CubicsAreExactForEveryCount) {
  const double a = 8.0, b = 14.0;
  const double expected = CubicIntegral(b) - CubicIntegral(a);
  // Odd counts by Simpson's rule, even counts with the three-eighths tail, the band's 21.
  for (int n : {3, 4, 5, 6, 7, 8, 10, 21, 22}) {
    const std::vector<double> f = Samples(n, a, b, Cubic);
    EXPECT_APPROX(SimpsonIntegral(n, f.data(), a, b), expected, kExact) << n;
  }
}

TEST(SimpsonIntegral, FewSamplesAndReversedLimits) {
  const double f[2] = {1.0, 3.0};
  EXPECT_EQ(SimpsonIntegral(0, f, 0.0, 1.0), 0.0);
  EXPECT_EQ(SimpsonIntegral(1, f, 0.0, 1.0), 0.0);
  // Two samples: the straight line through them, 2 x 4 / 2.
  EXPECT_APPROX(SimpsonIntegral(2, f, 1.0, 3.0), 4.0, kExact);
  EXPECT_EQ(SimpsonIntegral(5, nullptr, 0.0, 1.0), 0.0);
  const std::vector<double> g = Samples(21, 14.0, 8.0, Cubic);
  EXPECT_APPROX(SimpsonIntegral(21, g.data(), 14.0, 8.0), CubicIntegral(8.0) - CubicIntegral(14.0), kExact);
}

TEST(Planck, ExitanceAndDerivativeMatchHandValues) {
  // 10 um at 26.8 C (300 K): x = 14387.9 / 3000 = 4.795967, e^x - 1 = 120.0213,
  // M = 37405 / (1e5 x 120.0213) = 3.11653e-3 W / (cm^2 um).
  EXPECT_APPROX(PlanckExitance(10.0, 26.8), 3.11653e-3, kHandValue);
  // dM/dT = M x 14387.9 x e^x / ((e^x - 1) x 10 x 300^2) = M x 0.0161198 = 5.02377e-5.
  EXPECT_APPROX(PlanckDerivative(10.0, 26.8) / 5.02377e-5, 1.0, kHandValue);
  // The derivative is the slope of the exitance: a central difference agrees.
  const double h = 1e-3;
  const double slope = (PlanckExitance(9.0, 20.0 + h) - PlanckExitance(9.0, 20.0 - h)) / (2.0 * h);
  EXPECT_APPROX(PlanckDerivative(9.0, 20.0) / slope, 1.0, 1e-7);
  // At or below absolute zero there is no exitance (and no division by zero).
  EXPECT_EQ(PlanckExitance(10.0, -273.2), 0.0);
  EXPECT_EQ(PlanckDerivative(10.0, -300.0), 0.0);
  EXPECT_EQ(PlanckExitance(0.0, 20.0), 0.0);
}

TEST(Planck, BandFactorMatchesAFineSum) {
  TNarcissusParameters p;
  p.lambdaMin = 8.0;
  p.lambdaMax = 12.0;
  const int n = 200001;
  double ih = 0.0, id = 0.0, is = 0.0;
  for (int i = 0; i < n; ++i) {
    const double w = (i == 0 || i == n - 1) ? 0.5 : 1.0;
    const double lambda = 8.0 + 4.0 * i / (n - 1);
    ih += w * PlanckExitance(lambda, p.housingTemperature);
    id += w * PlanckExitance(lambda, p.detectorTemperature);
    is += w * PlanckDerivative(lambda, p.sceneTemperature);
  }
  const double expected = (ih - id) * p.fraction / is;
  EXPECT_APPROX(NarcissusRadiometricFactor(p) / expected, 1.0, kFineSum);
  // The cold detector emits next to nothing: G is about fraction x I_h / I_s, a few
  // tenths of a degree for 1 per cent at room temperature.
  EXPECT_GT(NarcissusRadiometricFactor(p), 0.1);
  EXPECT_LT(NarcissusRadiometricFactor(p), 1.0);
  // Housing as cold as the detector: no signal.
  p.housingTemperature = p.detectorTemperature;
  EXPECT_EQ(NarcissusRadiometricFactor(p), 0.0);
}
