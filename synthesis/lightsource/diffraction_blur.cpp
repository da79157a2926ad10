#include "synthesis/lightsource/diffraction_blur.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "foundation/fft/fft.h"
#include "foundation/numerics/pi.h"

namespace {

// Copies the top-left n x n cells of a grid of rows `fromSide` long into one of rows
// `toSide` long; answers their sum.
double CopyCorner(const float *from, int fromSide, float *to, int toSide, int n) {
  double sum = 0.0;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const float v = from[static_cast<std::ptrdiff_t>(r) * fromSide + c];
      to[static_cast<std::ptrdiff_t>(r) * toSide + c] = v;
      sum += v;
    }
  return sum;
}

}  // namespace

double RoundPupilMtf(double frequency, double cutoff) {
  if (!(cutoff > 0.0)) return 1.0;
  const double s = std::fabs(frequency) / cutoff;
  if (!(s < 1.0)) return 0.0;
  return 2.0 / kPi * (std::acos(s) - s * std::sqrt(1.0 - s * s));
}

namespace {

// Beyond this argument J1 is taken from its asymptotic expansion (relative error below 1e-7),
// some fifty times faster than the series over the millions of cells of a fine raster.
constexpr double kAsymptoticJ1 = 25.0;

double BesselJ1(double v) {
  if (v < kAsymptoticJ1) return std::cyl_bessel_j(1.0, v);
  const double w = 1.0 / v, w2 = w * w;
  const double p = 1.0 + w2 * (15.0 / 128.0 - w2 * (14175.0 / 98304.0));
  const double q = w * (3.0 / 8.0 - w2 * (315.0 / 3072.0));
  const double chi = v - 0.75 * kPi;
  return std::sqrt(2.0 / (kPi * v)) * (p * std::cos(chi) - q * std::sin(chi));
}

// The spectrum on the 2n grid of the pattern that blurs a raster of n cells, frequencies 0
// to n along each axis (the pattern is even). Sampled finely enough (a cell of at most
// 1 / cutoff), the pattern's samples sum to its light over the whole lattice, and those at
// offsets up to n - 1 cells, all that one cell of the raster can reach another by, make a
// linear convolution on the 2n grid: what lies farther leaves the raster and never comes
// round. Sampled coarser, the pattern lies within a cell or two of its point, and its
// transfer function at the grid's frequencies keeps its light.
bool PatternSpectrum(Mem<float> &re, Mem<float> &im, Mem<float> &spectrum, int n, double pixel, double cutoff) {
  const int m = 2 * n;
  if (pixel * cutoff > 1.0) {
    const double step = 1.0 / (m * pixel);
    for (int r = 0; r <= n; ++r)
      for (int c = 0; c <= n; ++c)
        spectrum.data[static_cast<std::ptrdiff_t>(r) * (n + 1) + c] =
            static_cast<float>(RoundPupilMtf(std::hypot(c * step, r * step), cutoff));
    return true;
  }
  re.Zero();
  im.Zero();
  // pi c^2 / 4 (2 J1(v) / v)^2 with v = pi c r, times the cell's area.
  const double scale = kPi * cutoff * cutoff / 4.0 * pixel * pixel, vStep = kPi * cutoff * pixel;
  const auto put = [&](int dy, int dx, float value) {
    re.data[static_cast<std::ptrdiff_t>((dy + m) % m) * m + (dx + m) % m] = value;
  };
  for (int dy = 0; dy < n; ++dy)
    for (int dx = 0; dx <= dy; ++dx) {
      const double v = vStep * std::hypot(dx, dy);
      const double j = v < 1e-9 ? 1.0 : 2.0 * BesselJ1(v) / v;
      const float value = static_cast<float>(scale * j * j);
      for (const int sy : {1, -1})
        for (const int sx : {1, -1}) {
          put(sy * dy, sx * dx, value);
          put(sx * dx, sy * dy, value);
        }
    }
  if (FFT2D(m, m, re.data, im.data, 0) == 0) return false;
  for (int r = 0; r <= n; ++r)
    for (int c = 0; c <= n; ++c)
      spectrum.data[static_cast<std::ptrdiff_t>(r) * (n + 1) + c] = re.data[static_cast<std::ptrdiff_t>(r) * m + c];
  return true;
}

}  // namespace

void TBundleMoments::Add(double weight, double startY, double startZ, double spreadY, double spreadZ) {
  if (!(weight > 0.0) || !std::isfinite(spreadY) || !std::isfinite(spreadZ)) return;
  weight_ += weight;
  const auto add = [weight](TAxis &axis, double s, double q) {
    axis.s += weight * s;
    axis.ss += weight * s * s;
    axis.q += weight * q;
    axis.qq += weight * q * q;
    axis.sq += weight * s * q;
  };
  add(y_, startY, spreadY);
  add(z_, startZ, spreadZ);
}

double TBundleMoments::Residual(const TAxis &axis, double weight) {
  const double meanS = axis.s / weight, meanQ = axis.q / weight;
  const double varS = axis.ss / weight - meanS * meanS;
  const double varQ = axis.qq / weight - meanQ * meanQ;
  const double cov = axis.sq / weight - meanS * meanQ;
  // A point source (no spread of start points) leaves the whole spread to the pupil.
  const double explained = varS > 1e-12 * (axis.ss / weight) && varS > 0.0 ? cov * cov / varS : 0.0;
  return std::max(0.0, varQ - explained);
}

double TBundleMoments::PupilRadius() const {
  if (!(weight_ > 0.0)) return 0.0;
  return std::sqrt(2.0 * (Residual(y_, weight_) + Residual(z_, weight_)));
}

double DiffractionCutoff(int imageFinite, double pupilRadius, double wavelengthUm) {
  if (!(pupilRadius > 0.0) || !(wavelengthUm > 0.0)) return 0.0;
  // 2 NA / (lambda in mm), or D (mm) / lambda (mm) per radian = D / (lambda in um) per mrad.
  return imageFinite != 0 ? 2.0 * pupilRadius / (1e-3 * wavelengthUm) : 2.0 * pupilRadius / wavelengthUm;
}

double AiryRadius(double cutoff) { return cutoff > 0.0 ? 1.22 / cutoff : 0.0; }

double BlurByRoundPupil(Mem<float> &raster, int n, double pixel, double cutoff) {
  if (!(cutoff > 0.0) || n < 1 || !(pixel > 0.0) || raster.data == nullptr) return 1.0;
  double before = 0.0;
  for (long i = 0; i < static_cast<long>(n) * n; ++i) before += raster.data[i];
  if (!(before != 0.0)) return 1.0;
  const int m = 2 * n;
  Mem<float> re, im, spectrum;
  if (!re.Allocate(m, m) || !im.Allocate(m, m) || !spectrum.Allocate(n + 1, n + 1)) return -1.0;
  if (!PatternSpectrum(re, im, spectrum, n, pixel, cutoff)) return -1.0;
  re.Zero();
  im.Zero();
  CopyCorner(raster.data, n, re.data, m, n);
  if (FFT2D(m, m, re.data, im.data, 0) == 0) return -1.0;
  // The pattern is even: frequency k and m - k share one value.
  for (int r = 0; r < m; ++r)
    for (int c = 0; c < m; ++c) {
      const float t = spectrum.data[static_cast<std::ptrdiff_t>(std::min(r, m - r)) * (n + 1) + std::min(c, m - c)];
      const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(r) * m + c;
      re.data[i] *= t;
      im.data[i] *= t;
    }
  if (FFT2D(m, m, re.data, im.data, 1) == 0) return -1.0;
  // The raster is the top-left n x n of the padded grid; what the pattern spread past its
  // edges lies in the padding and has left it.
  return CopyCorner(re.data, m, raster.data, n, n) / before;
}
