#include "imaging/pictures/chromaticity.h"

#include <algorithm>

const double kXyzToRgb[3][3] = {
    {0.4184, -0.1587, -0.0828},
    {-0.0912, 0.2524, 0.0157},
    {0.0009, -0.0025, 0.1786},
};

// The green coefficient of Y is 4.5907, as in the colour images' luminance.
const double kRgbToXyz[3][3] = {
    {2.7687, 1.7516, 1.1301},
    {1.0, 4.5907, 0.0601},
    {0.0, 0.0565, 5.5939},
};

bool ChromaticityColor(double x, double y, int rgb[3]) {
  const double xyz[3] = {x, y, 1.0 - x - y};
  double c[3];
  for (int i = 0; i < 3; ++i) {
    c[i] = kXyzToRgb[i][0] * xyz[0] + kXyzToRgb[i][1] * xyz[1] + kXyzToRgb[i][2] * xyz[2];
  }
  double m = std::max({c[0], c[1], c[2]});
  if (m == 0.0) m = 1.0;
  bool inside = true;
  for (int i = 0; i < 3; ++i) {
    c[i] = c[i] / m * 255.0;
    // A trace below zero is rounding at the triangle's edge.
    if (c[i] < 0.0 && c[i] > -1.0) c[i] = 0.0;
    if (c[i] < 0.0) inside = false;
    rgb[i] = static_cast<int>(c[i]);
  }
  return inside;
}

bool PixelChromaticity(int r, int g, int b, double &x, double &y) {
  const double channels[3] = {static_cast<double>(r), static_cast<double>(g),
                              static_cast<double>(b)};
  double xyz[3];
  for (int i = 0; i < 3; ++i) {
    xyz[i] = kRgbToXyz[i][0] * channels[0] + kRgbToXyz[i][1] * channels[1] +
             kRgbToXyz[i][2] * channels[2];
  }
  const double s = xyz[0] + xyz[1] + xyz[2];
  if (s == 0.0) return false;
  x = xyz[0] / s;
  y = xyz[1] / s;
  return true;
}
