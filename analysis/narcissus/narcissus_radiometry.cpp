#include "analysis/narcissus/narcissus_radiometry.h"

#include <cmath>

#include "analysis/narcissus/narcissus_analysis.h"

namespace {

// Second radiation constant (um K) and first radiation constant (W um^4 / cm^2).
constexpr double kC2 = 14387.9;
constexpr double kC1 = 37405.0;
// Degrees C to kelvin, as the analysis has always counted it.
constexpr double kCelsiusToKelvin = 273.2;

double Simpson(int n, const double *f, double h) {
  // n odd, n >= 3: h / 3 (f0 + 4 f1 + 2 f2 + ... + 4 f[n-2] + f[n-1]).
  double sum = f[0] + 4.0 * f[n - 2] + f[n - 1];
  for (int i = 1; i < n - 3; i += 2) sum += 4.0 * f[i] + 2.0 * f[i + 1];
  return h * sum / 3.0;
}

// What Planck's law and its derivative share at wavelength lambda (um) and temperature
// (degrees C): the absolute temperature and e^x - 1, x = C2 / (lambda T); false where the law
// gives nothing (T or lambda not positive, e^x - 1 not a positive finite number).
bool PlanckTerms(double lambda, double temperature, double &kelvin, double &em1) {
  kelvin = temperature + kCelsiusToKelvin;
  if (kelvin <= 0.0 || lambda <= 0.0) return false;
  em1 = std::expm1(kC2 / (lambda * kelvin));
  return std::isfinite(em1) && em1 > 0.0;
}

double ExitanceOf(double lambda, double em1) { return kC1 / (std::pow(lambda, 5) * em1); }

}  // namespace

double SimpsonIntegral(int n, const double *f, double a, double b) {
  if (n <= 1 || f == nullptr) return 0.0;
  const double h = (b - a) / (n - 1);
  if (n == 2) return 0.5 * h * (f[0] + f[1]);
  if (n % 2 == 1) return Simpson(n, f, h);
  // An odd number of steps: the last three by the three-eighths rule.
  const int m = n - 3;  // samples 0..m-1 before the last three steps (m odd or 1)
  const double *g = f + m - 1;
  const double tail = 3.0 * h / 8.0 * (g[0] + 3.0 * g[1] + 3.0 * g[2] + g[3]);
  return (m >= 3 ? Simpson(m, f, h) : 0.0) + tail;
}

double PlanckExitance(double lambda, double temperature) {
  double kelvin = 0.0, em1 = 0.0;
  return PlanckTerms(lambda, temperature, kelvin, em1) ? ExitanceOf(lambda, em1) : 0.0;
}

double PlanckDerivative(double lambda, double temperature) {
  double kelvin = 0.0, em1 = 0.0;
  if (!PlanckTerms(lambda, temperature, kelvin, em1)) return 0.0;
  // d/dT of C1 / (l^5 (e^x - 1)) = P x e^x / (e^x - 1) x C2 / (l T^2).
  return ExitanceOf(lambda, em1) * kC2 * (em1 + 1.0) / (em1 * lambda * kelvin * kelvin);
}

double NarcissusRadiometricFactor(const TNarcissusParameters &p) {
  double housing[kNarcissusSamples];
  double detector[kNarcissusSamples];
  double scene[kNarcissusSamples];
  for (int k = 0; k < kNarcissusSamples; ++k) {
    const double lambda = p.lambdaMin + k * (p.lambdaMax - p.lambdaMin) / (kNarcissusSamples - 1);
    housing[k] = PlanckExitance(lambda, p.housingTemperature);
    detector[k] = PlanckExitance(lambda, p.detectorTemperature);
    scene[k] = PlanckDerivative(lambda, p.sceneTemperature);
  }
  const double ih = SimpsonIntegral(kNarcissusSamples, housing, p.lambdaMin, p.lambdaMax);
  const double id = SimpsonIntegral(kNarcissusSamples, detector, p.lambdaMin, p.lambdaMax);
  const double is = SimpsonIntegral(kNarcissusSamples, scene, p.lambdaMin, p.lambdaMax);
  if (!(is > 0.0)) return 0.0;
  return (ih - id) * p.fraction / is;
}
