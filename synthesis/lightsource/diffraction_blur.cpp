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
  const int m = 2 * n;
  Mem<float> re, im;
  if (!re.Allocate(m, m) || !im.Allocate(m, m)) return -1.0;
  re.Zero();
  im.Zero();
  const double before = CopyCorner(raster.data, n, re.data, m, n);
  if (!(before != 0.0)) return 1.0;
  if (FFT2D(m, m, re.data, im.data, 0) == 0) return -1.0;
  // Frequencies k / (m pixel), k from -m/2 on at index k mod m: the pattern is centred on
  // cell (0, 0) and moves nothing.
  const double step = 1.0 / (m * pixel);
  for (int r = 0; r < m; ++r) {
    const double fy = (r < m / 2 ? r : r - m) * step;
    for (int c = 0; c < m; ++c) {
      const double fx = (c < m / 2 ? c : c - m) * step;
      const float mtf = static_cast<float>(RoundPupilMtf(std::hypot(fx, fy), cutoff));
      const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(r) * m + c;
      re.data[i] *= mtf;
      im.data[i] *= mtf;
    }
  }
  if (FFT2D(m, m, re.data, im.data, 1) == 0) return -1.0;
  // The raster is the top-left n x n of the padded grid; what the pattern spread into the
  // padding (past any edge, the wrapped negative offsets included) has left it.
  return CopyCorner(re.data, m, raster.data, n, n) / before;
}
