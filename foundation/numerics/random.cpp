#include "foundation/numerics/random.h"

#include <cmath>

namespace {

std::uint32_t generatorState = 1;

// Quantiles of the standard normal at u = i / 99, cut off at -+3, with the last entry
// repeated so that interpolation at u = 1 stays inside the table.
constexpr double kNormalTable[101] = {
    -3.0,   -2.274, -2.021, -1.859, -1.732, -1.63,  -1.54,  -1.461, -1.389, -1.329,
    -1.269, -1.214, -1.16,  -1.112, -1.07,  -1.022, -0.98,  -0.943, -0.901, -0.865,
    -0.829, -0.793, -0.763, -0.727, -0.697, -0.66,  -0.63,  -0.6,   -0.57,  -0.54,
    -0.51,  -0.486, -0.456, -0.426, -0.401, -0.371, -0.347, -0.317, -0.293, -0.263,
    -0.239, -0.215, -0.185, -0.161, -0.136, -0.112, -0.088, -0.058, -0.034, -0.01,
    0.014,  0.044,  0.068,  0.092,  0.116,  0.141,  0.171,  0.195,  0.219,  0.249,
    0.273,  0.297,  0.327,  0.351,  0.381,  0.406,  0.436,  0.46,   0.49,   0.52,
    0.55,   0.58,   0.61,   0.64,   0.671,  0.701,  0.737,  0.767,  0.803,  0.839,
    0.875,  0.911,  0.954,  0.996,  1.038,  1.08,   1.128,  1.176,  1.231,  1.285,
    1.345,  1.411,  1.484,  1.562,  1.652,  1.761,  1.899,  2.08,   2.375,  3.0,
    3.0};

// The generator's output scaled to [0, 1]; the reciprocal is taken in extended precision
// and the product rounded once, so 32767 gives exactly 1.
double NextUnit() {
  constexpr long double kReciprocal = 1.0L / 32767.0L;
  return static_cast<double>(static_cast<long double>(Random15()) * kReciprocal);
}

}  // namespace

int Random15() {
  generatorState = generatorState * 22695477u + 1u;
  return static_cast<int>((generatorState >> 16) & 0x7FFFu);
}

void SeedRandom(std::uint32_t state) { generatorState = state; }

double RandomUniform(double a, double b) { return a + (b - a) * NextUnit(); }

double RandomUniformSigma(double mean, double sigma) {
  const double halfWidth = std::sqrt(3.0) * sigma;
  return RandomUniform(mean - halfWidth, mean + halfWidth);
}

double RandomNormal(double mean, double sigma) {
  const double x = 99.0 * NextUnit();
  const int i = static_cast<int>(x);
  const double v = kNormalTable[i] + (x - i) * (kNormalTable[i + 1] - kNormalTable[i]);
  return mean + sigma * v;
}
