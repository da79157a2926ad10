#include "synthesis/lightsource/diffraction_blur.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "foundation/fft/fft.h"
#include "foundation/numerics/pi.h"

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

// Below it J1 is interpolated, cubic in value and slope, between samples this far apart:
// within 1e-10 of the series and some thirty times faster, for the cells near a light.
constexpr double kJ1Step = 1.0 / 64.0;
constexpr int kJ1Samples = static_cast<int>(kAsymptoticJ1 / kJ1Step) + 2;

struct TJ1Sample {
  double value, slope;
};

const std::array<TJ1Sample, kJ1Samples> &J1Samples() {
  static const std::array<TJ1Sample, kJ1Samples> samples = [] {
    std::array<TJ1Sample, kJ1Samples> table{};
    for (int i = 0; i < kJ1Samples; ++i) {
      const double v = i * kJ1Step, j1 = std::cyl_bessel_j(1.0, v);
      table[i] = {j1, i == 0 ? 0.5 : std::cyl_bessel_j(0.0, v) - j1 / v};
    }
    return table;
  }();
  return samples;
}

double BesselJ1(double v) {
  if (v < kAsymptoticJ1) {
    if (!(v >= 0.0)) return v < 0.0 ? -BesselJ1(-v) : v;  // odd; NaN stays NaN
    const auto &samples = J1Samples();
    const int i = static_cast<int>(v / kJ1Step);
    const double t = v / kJ1Step - i, t2 = t * t, t3 = t2 * t;
    const TJ1Sample &a = samples[i], &b = samples[i + 1];
    return (2.0 * t3 - 3.0 * t2 + 1.0) * a.value + (t3 - 2.0 * t2 + t) * kJ1Step * a.slope +
           (3.0 * t2 - 2.0 * t3) * b.value + (t3 - t2) * kJ1Step * b.slope;
  }
  const double w = 1.0 / v, w2 = w * w;
  const double p = 1.0 + w2 * (15.0 / 128.0 - w2 * (14175.0 / 98304.0));
  const double q = w * (3.0 / 8.0 - w2 * (315.0 / 3072.0));
  const double chi = v - 0.75 * kPi;
  return std::sqrt(2.0 / (kPi * v)) * (p * std::cos(chi) - q * std::sin(chi));
}

}  // namespace

double AiryIntensity(double r, double cutoff) {
  if (!(cutoff > 0.0)) return 0.0;
  const double v = kPi * cutoff * std::fabs(r);
  const double j = v < 1e-9 ? 1.0 : 2.0 * BesselJ1(v) / v;
  return kPi * cutoff * cutoff / 4.0 * j * j;
}

double AiryRingMean(double r, double cutoff) {
  if (!(cutoff > 0.0)) return 0.0;
  const double v = kPi * cutoff * std::fabs(r);
  if (v < kAsymptoticJ1) return AiryIntensity(r, cutoff);
  return 1.0 / (kPi * kPi * kPi * cutoff * r * r * std::fabs(r));
}

double AiryRingMeanSmoothFrom(double cutoff) { return cutoff > 0.0 ? kAsymptoticJ1 / (kPi * cutoff) : 0.0; }

namespace {

// The pattern, times `gain`, at offsets up to `reach` cells along each axis, laid round the
// origin of the m x m grid `to` (zero elsewhere): pi c^2 / 4 (2 J1(v) / v)^2 with v = pi c r,
// times the cell's area, so that finely sampled its cells sum to its light.
void LayPattern(float *to, int m, int reach, double pixel, double cutoff, double gain) {
  const double scale = gain * kPi * cutoff * cutoff / 4.0 * pixel * pixel, vStep = kPi * cutoff * pixel;
  const auto put = [&](int dy, int dx, float value) {
    to[static_cast<std::ptrdiff_t>((dy + m) % m) * m + (dx + m) % m] = value;
  };
  for (int dy = 0; dy <= reach; ++dy)
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
}

// The transform of the raster in `re` (real) times that of the pattern, laid times `gain`
// in `im`, as both came out of one forward transform: the pattern is real and even, so the
// raster's part at frequency k is (Z(k) + conj Z(-k)) / 2 and the pattern's (real) the
// imaginary part of (Z(k) + Z(-k)) / 2. Their product at -k is the conjugate of that at k.
void MultiplyPackedSpectra(float *re, float *im, int m, double gain) {
  for (int r = 0; r < m; ++r) {
    const int rr = (m - r) % m;
    for (int c = 0; c < m; ++c) {
      const int cc = (m - c) % m;
      const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(r) * m + c, j = static_cast<std::ptrdiff_t>(rr) * m + cc;
      if (j < i) continue;
      const double t = 0.5 * (im[i] + im[j]) / gain;
      const double x = 0.5 * (re[i] + re[j]) * t, y = 0.5 * (im[i] - im[j]) * t;
      re[i] = static_cast<float>(x);
      im[i] = static_cast<float>(y);
      re[j] = static_cast<float>(x);
      im[j] = static_cast<float>(-y);
    }
  }
}

// The transform in re, im times the pattern's transfer function at the grid's frequencies
// (k, l) / (m pixel): a pattern within a cell or two of its point, sampled too coarsely for
// its samples to keep its light.
void MultiplyByMtf(float *re, float *im, int m, double pixel, double cutoff) {
  const double step = 1.0 / (m * pixel);
  for (int r = 0; r < m; ++r)
    for (int c = 0; c < m; ++c) {
      const double t = RoundPupilMtf(std::hypot(std::min(c, m - c) * step, std::min(r, m - r) * step), cutoff);
      const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(r) * m + c;
      re[i] = static_cast<float>(re[i] * t);
      im[i] = static_cast<float>(im[i] * t);
    }
}

// The n x n cells at (at, at) of the grid `from` of rows `side` long, into `picture`,
// which then replaces `raster`; answers their sum.
double CropTo(Mem<float> &raster, Mem<float> &picture, const float *from, int side, int at, int n) {
  double sum = 0.0;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      const float v = from[static_cast<std::ptrdiff_t>(at + r) * side + at + c];
      picture.data[static_cast<std::ptrdiff_t>(r) * n + c] = v;
      sum += v;
    }
  raster.Swap(picture);
  return sum;
}

int PowerOfTwoAtLeast(int value) {
  int m = 1;
  while (m < value) m *= 2;
  return m;
}

// The pattern's cells within `reach` of its centre, (2 reach + 1)^2 of them row by row,
// summing to what the cells receive of its light: its samples when they are fine enough to
// keep it, else the inverse transform of its transfer function over a grid of 64 cells (a
// pattern within a cell or two of its point, to which 64 cells add nothing).
std::vector<double> NearPattern(int reach, double pixel, double cutoff) {
  const int width = 2 * reach + 1;
  std::vector<double> cells(static_cast<std::size_t>(width) * width, 0.0);
  constexpr int kGrid = 64;
  if (!(pixel * cutoff > 1.0) || reach >= kGrid / 2) {
    Mem<float> laid(width, width);
    laid.Zero();
    LayPattern(laid.data, width, reach, pixel, cutoff, 1.0);
    for (int dy = -reach; dy <= reach; ++dy)
      for (int dx = -reach; dx <= reach; ++dx)
        cells[static_cast<std::size_t>(dy + reach) * width + dx + reach] =
            laid.data[static_cast<std::ptrdiff_t>((dy + width) % width) * width + (dx + width) % width];
    return cells;
  }
  Mem<float> re(kGrid, kGrid), im(kGrid, kGrid);
  for (int i = 0; i < kGrid * kGrid; ++i) {
    re.data[i] = 1.0f;
    im.data[i] = 0.0f;
  }
  MultiplyByMtf(re.data, im.data, kGrid, pixel, cutoff);
  FFT2D(kGrid, kGrid, re.data, im.data, 1);
  for (int dy = -reach; dy <= reach; ++dy)
    for (int dx = -reach; dx <= reach; ++dx)
      cells[static_cast<std::size_t>(dy + reach) * width + dx + reach] =
          re.data[static_cast<std::ptrdiff_t>((dy + kGrid) % kGrid) * kGrid + (dx + kGrid) % kGrid];
  return cells;
}

// The picture's cells as the sum over the pattern's cells within `reach` of the raster's
// cells about them: the raster's surround is at least that reach.
void SumNearPattern(const Mem<float> &raster, int n, int margin, int reach, const std::vector<double> &pattern,
                    Mem<float> &picture) {
  const int side = raster.cols, width = 2 * reach + 1;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      double sum = 0.0;
      for (int dy = -reach; dy <= reach; ++dy) {
        const float *row = raster.data + static_cast<std::ptrdiff_t>(margin + r - dy) * side + margin + c;
        const double *weights = pattern.data() + static_cast<std::size_t>(dy + reach) * width + reach;
        for (int dx = -reach; dx <= reach; ++dx) sum += row[-dx] * weights[dx];
      }
      picture.data[static_cast<std::ptrdiff_t>(r) * n + c] = static_cast<float>(sum);
    }
}

// The blur on an m x m grid (m at least the raster's side plus the pattern's reach beyond
// the picture): the raster in its top-left corner, in `re` or in place when it fills it.
double BlurOnGrid(Mem<float> &raster, int n, double pixel, double cutoff, int reach, int m, Mem<float> &re,
                  Mem<float> &im, Mem<float> &picture, double before) {
  const int side = raster.cols, margin = (side - n) / 2;
  float *grid = raster.data;
  if (m != side) {
    re.Zero();
    for (int r = 0; r < side; ++r) {
      const float *row = raster.data + static_cast<std::ptrdiff_t>(r) * side;
      std::copy(row, row + side, re.data + static_cast<std::ptrdiff_t>(r) * m);
    }
    grid = re.data;
  }
  im.Zero();
  const bool fine = !(pixel * cutoff > 1.0);
  // Laid at the raster's scale, the pattern's transform is as exact as the raster's.
  if (fine) LayPattern(im.data, m, reach, pixel, cutoff, before);
  if (FFT2D(m, m, grid, im.data, 0) == 0) return -1.0;
  if (fine)
    MultiplyPackedSpectra(grid, im.data, m, before);
  else
    MultiplyByMtf(grid, im.data, m, pixel, cutoff);
  if (FFT2D(m, m, grid, im.data, 1) == 0) return -1.0;
  // What the pattern spread past the picture's edges lies round it and has left it.
  return CropTo(raster, picture, grid, m, margin, n) / before;
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

int BlurReach(int n, double pixel, double cutoff) {
  if (!(cutoff > 0.0) || !(pixel > 0.0) || n < 2) return 0;
  const double cells = 2.0 / (kPi * kPi * cutoff * kBlurLeftOut) / pixel;
  return cells >= n / 2 ? n / 2 : std::max(1, static_cast<int>(std::ceil(cells)));
}

double BlurLeftOut(int reach, double pixel, double cutoff) {
  if (!(cutoff > 0.0) || !(pixel > 0.0)) return 0.0;
  const double v = kPi * cutoff * std::max(reach, 0) * pixel;
  if (v <= 0.0) return 1.0;
  const double j0 = std::cyl_bessel_j(0.0, v), j1 = BesselJ1(v);
  return std::min(1.0, j0 * j0 + j1 * j1);
}

bool TBlurWork::Reserve(int pictureSide, int surround) {
  n = pictureSide;
  reach = surround;
  side = reach > kDirectBlurReach ? PowerOfTwoAtLeast(n + 2 * reach) : 0;
  re.Clear();
  im.Clear();
  if (!picture.Allocate(n, n)) return false;
  if (side == 0) return true;
  if (!im.Allocate(side, side)) return false;
  return side == n + 2 * reach || re.Allocate(side, side);
}

double BlurByRoundPupil(Mem<float> &raster, double pixel, double cutoff, TBlurWork &work) {
  const int n = work.n, reach = work.reach, side = n + 2 * reach;
  if (n < 1 || raster.data == nullptr || raster.cols != side || raster.rows != side || work.picture.cols != n)
    return -1.0;
  double before = 0.0;
  for (long i = 0; i < static_cast<long>(side) * side; ++i) before += raster.data[i];
  if (!(cutoff > 0.0) || !(pixel > 0.0) || !(before != 0.0) || reach == 0) {
    const double kept = CropTo(raster, work.picture, raster.data, side, reach, n);
    return before != 0.0 ? kept / before : 1.0;
  }
  if (work.side == 0) {
    SumNearPattern(raster, n, reach, reach, NearPattern(reach, pixel, cutoff), work.picture);
    double kept = 0.0;
    for (long i = 0; i < static_cast<long>(n) * n; ++i) kept += work.picture.data[i];
    raster.Swap(work.picture);
    return kept / before;
  }
  return BlurOnGrid(raster, n, pixel, cutoff, reach, work.side, work.re, work.im, work.picture, before);
}

double BlurByRoundPupil(Mem<float> &raster, int n, double pixel, double cutoff) {
  const int side = raster.cols;
  if (n < 1 || raster.data == nullptr || raster.rows != side || side < n || (side - n) % 2 != 0) return 1.0;
  const int margin = (side - n) / 2;
  Mem<float> picture;
  if (!picture.Allocate(n, n)) return -1.0;
  double before = 0.0;
  for (long i = 0; i < static_cast<long>(side) * side; ++i) before += raster.data[i];
  if (!(cutoff > 0.0) || !(pixel > 0.0) || !(before != 0.0)) {
    if (margin == 0) return 1.0;
    const double kept = CropTo(raster, picture, raster.data, side, margin, n);
    return before != 0.0 ? kept / before : 1.0;
  }
  // The grid of the convolution: the raster in its top-left corner, and a pattern of reach
  // m - n - margin cells along each axis, whose every offset that joins a cell of the raster
  // to one of the picture is taken once and none comes round the grid.
  const int m = PowerOfTwoAtLeast(std::max(side, 2 * n));
  Mem<float> re, im;
  if (!im.Allocate(m, m) || (m != side && !re.Allocate(m, m))) return -1.0;
  return BlurOnGrid(raster, n, pixel, cutoff, std::min(m - n - margin, m / 2 - 1), m, re, im, picture, before);
}
