#include "toolkit/graph/nice_step.h"

#include <cmath>
#include <cstdio>

namespace {

// Powers of ten as exact as the double format allows: 10^k for |k| <= 22 is exact, and a
// scale is applied by multiplying with 10^-k rather than dividing by an inexact 10^k, so
// that 1.5 stays 1.5 and 0.37 becomes 3.7 and not 3.6999999999999997.
double PowerOfTen(int k) { return std::pow(10.0, k); }

// a * 10^k without overflow of the intermediate power for the denormal range.
double ScaleByPowerOfTen(double a, int k) {
  if (k > 300) return a * PowerOfTen(300) * PowerOfTen(k - 300);
  if (k < -300) return a * PowerOfTen(-300) * PowerOfTen(k + 300);
  return a * PowerOfTen(k);
}

}  // namespace

double NiceStep(double d) {
  const double magnitude = std::fabs(d);
  if (!(magnitude > 0.0) || !std::isfinite(magnitude)) return 0.0;
  // magnitude = m * 10^k with 1 <= m < 10.
  int k = static_cast<int>(std::floor(std::log10(magnitude)));
  double m = ScaleByPowerOfTen(magnitude, -k);
  if (m >= 10.0) {
    ++k;
    m = ScaleByPowerOfTen(magnitude, -k);
  } else if (m < 1.0) {
    --k;
    m = ScaleByPowerOfTen(magnitude, -k);
  }
  static constexpr double kSteps[] = {1.0, 2.0, 2.5, 5.0, 10.0};
  double best = kSteps[0];
  for (double candidate : kSteps) {
    // Strictly nearer wins, so a tie keeps the smaller entry.
    if (std::fabs(m - candidate) < std::fabs(m - best)) best = candidate;
  }
  const double result = ScaleByPowerOfTen(best, k);
  if (!std::isfinite(result)) return 0.0;
  return d < 0 ? -result : result;
}

double ExponentScale(double a, double b, std::string &marker) {
  double factor = 1.0;
  ExponentScale(a, b, marker, factor);
  return factor;
}

void ExponentScale(double a, double b, std::string &marker, double &factor) {
  factor = 1.0;
  const bool aCounts = std::fabs(a) > kAxisZero && std::isfinite(a);
  const bool bCounts = std::fabs(b) > kAxisZero && std::isfinite(b);
  // With both ends at zero there is no magnitude to share: plain labels.
  if (!aCounts && !bCounts) return;
  double largest = -1e300;
  if (aCounts) largest = std::log10(std::fabs(a));
  if (bCounts) largest = std::fmax(largest, std::log10(std::fabs(b)));
  const int e = static_cast<int>(std::trunc(largest));
  if (std::abs(e) <= 2) return;
  // Sign and at least two digits, whatever the number of digits: *E+05, *E-12, *E+123.
  char text[16];
  std::snprintf(text, sizeof text, "*E%+03d", e);
  marker = text;
  factor = PowerOfTen(e);
}

void TrimTrailingZeros(std::string &text) {
  const bool hasPoint = text.find('.') != std::string::npos;
  std::size_t end = text.size();
  while (end > 1) {
    const char c = text[end - 1];
    if (c == ' ' || (c == '0' && hasPoint)) {
      --end;
    } else {
      break;
    }
  }
  text.resize(end);
}

double FirstMultipleAtOrAbove(double v, double step) {
  double t = std::floor(v / step) * step;
  if (t < v) t += step;
  return t;
}
