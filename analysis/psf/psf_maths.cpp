#include "analysis/psf/psf_maths.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>
#include <vector>

#include "foundation/fft/fft.h"
#include "foundation/numerics/pi.h"
#include "platform/core/message_box.h"

int SumOverWavelengths(const TWavelengthRaster *rasters, int count, int n, Mem<float> &sum) {
  if (n <= 0 || !sum.Allocate(n, n)) return 0;
  sum.Zero();
  if (count <= 0 || rasters == nullptr) return 1;
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  Mem<float> current(n, n), previous(n, n);
  if (current.data == nullptr || previous.data == nullptr) {
    sum.Zero();
    return 0;
  }
  std::vector<int> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return rasters[a].lambda < rasters[b].lambda; });
  auto read = [&](int k, float *pixels) {
    const TWavelengthRaster &r = rasters[order[k]];
    return r.read != nullptr && r.read(r.context, r.index, pixels) == 1;
  };
  const bool spansNothing = rasters[order[0]].lambda == rasters[order[count - 1]].lambda;
  if (count == 1 || spansNothing) {
    // Weighted mean; a set of weights summing to 0 counts every raster alike.
    double total = 0.0;
    for (int k = 0; k < count; ++k) total += rasters[order[k]].weight;
    const bool plain = total == 0.0;
    for (int k = 0; k < count; ++k) {
      if (!read(k, current.data)) {
        sum.Zero();
        return 0;
      }
      const double w = plain ? 1.0 / count : rasters[order[k]].weight / total;
      for (std::size_t p = 0; p < cells; ++p) sum.data[p] += static_cast<float>(current.data[p] * w);
    }
    return 1;
  }
  // Trapezoids: (R_i w_i + R_i+1 w_i+1) h with h half the wavelength step, over the
  // integral of the weights W.
  if (!read(0, previous.data)) {
    sum.Zero();
    return 0;
  }
  double W = 0.0;
  for (int k = 0; k + 1 < count; ++k) {
    const TWavelengthRaster &a = rasters[order[k]], &b = rasters[order[k + 1]];
    if (!read(k + 1, current.data)) {
      sum.Zero();
      return 0;
    }
    const double h = (b.lambda - a.lambda) * 0.5;
    W += (a.weight + b.weight) * h;
    const double wa = a.weight * h, wb = b.weight * h;
    for (std::size_t p = 0; p < cells; ++p)
      sum.data[p] += static_cast<float>(current.data[p] * wb + previous.data[p] * wa);
    std::swap(current.data, previous.data);
  }
  const double scale = W != 0.0 ? 1.0 / W : 1.0;
  for (std::size_t p = 0; p < cells; ++p) sum.data[p] = static_cast<float>(sum.data[p] * scale);
  return 1;
}

int MtfFromPsf(int n, float *raster, float *imaginary) {
  if (raster == nullptr || imaginary == nullptr) return 0;
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::fill(imaginary, imaginary + cells, 0.0f);
  if (!FFT2D(n, n, raster, imaginary, 0)) return 0;
  // The modulus over that of the zero frequency, in one pass (in vector lanes).
  const auto modulus = [&](std::size_t p) {
    return std::sqrt(raster[p] * raster[p] + imaginary[p] * imaginary[p]);
  };
  const float zero = modulus(0);
  const float dc = zero != 0.0f ? zero : 1.0f;
  for (std::size_t p = 0; p < cells; ++p) raster[p] = modulus(p) / dc;
  FFTSwapHalves(n, n, raster);
  return 1;
}

DPOINT3 FindPeakAndCumulate(int n, const float *raster, Mem<double> &cumulative) {
  DPOINT3 peak(0.0, 0.0, 0.0);
  if (n <= 0 || raster == nullptr || !cumulative.Allocate(n, n)) return peak;
  for (int r = 0; r < n; ++r) {
    double running = 0.0;
    for (int c = 0; c < n; ++c) {
      const float v = raster[r * n + c];
      if (v > 0.0f && v > peak.z) peak = DPOINT3(c, r, v);
      running += v;
      cumulative.data[r * n + c] = running + (r > 0 ? cumulative.data[(r - 1) * n + c] : 0.0);
    }
  }
  return peak;
}

namespace {

// The sum over rows r1..r2 and columns c1..c2 (inclusive) from the summed-area table.
double BlockSum(const Mem<double> &C, int n, int r1, int r2, int c1, int c2) {
  auto at = [&](int r, int c) { return r < 0 || c < 0 ? 0.0 : C.data[r * n + c]; };
  return at(r2, c2) - at(r1 - 1, c2) - at(r2, c1 - 1) + at(r1 - 1, c1 - 1);
}

// The energy of the (2k + 1)-pixel square centred at (r, c), clipped to the raster.
double SquareEnergy(const Mem<double> &C, int n, int r, int c, int k) {
  return BlockSum(C, n, std::max(r - k, 0), std::min(r + k, n - 1), std::max(c - k, 0),
                  std::min(c + k, n - 1));
}

}  // namespace

int ComputeEnergyConcentration(int n, const Mem<double> &cumulative, const DPOINT3 &peak,
                               Mem<DPOINT3> &curve) {
  if (n <= 0 || cumulative.data == nullptr || cumulative.cols != n) return 0;
  const double total = cumulative.data[n * n - 1];
  if (!(total > 0.0)) {
    MessageBox(nullptr, "Not enough information", "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  const int entries = n / 2;
  if (entries == 0) {
    curve.Clear();
    return 1;
  }
  if (!curve.Allocate(entries, 1)) return 0;
  int R = static_cast<int>(peak.y), C = static_cast<int>(peak.x);
  curve.data[0] = DPOINT3(C, R, SquareEnergy(cumulative, n, R, C, 0) / total);
  double best = 0.0;
  for (int k = 1; k < entries; ++k) {
    // Climb to the neighbour that catches the most until none catches more; every move
    // raises the energy, so the climb ends.
    for (;;) {
      const int candidates[5][2] = {{R, C}, {R - 1, C}, {R, C - 1}, {R + 1, C}, {R, C + 1}};
      int bestR = R, bestC = C;
      for (const auto &rc : candidates) {
        if (rc[0] < 0 || rc[0] >= n || rc[1] < 0 || rc[1] >= n) continue;
        const double e = SquareEnergy(cumulative, n, rc[0], rc[1], k);
        if (e > best) {
          best = e;
          bestR = rc[0];
          bestC = rc[1];
        }
      }
      if (bestR == R && bestC == C) break;
      R = bestR;
      C = bestC;
    }
    curve.data[k] = DPOINT3(C, R, best / total);
  }
  return 1;
}

double EnergyAtSize(const Mem<DPOINT3> &curve, double size, double pixel) {
  const int N = curve.Cells();
  if (N == 0 || !(pixel > 0.0)) return 0.0;
  const double t = (size - pixel) / (2.0 * pixel);
  if (t < 0.0) return 0.0;
  const int i = static_cast<int>(t);
  if (i >= N) return curve.data[N - 1].z;
  const double a = curve.data[i].z;
  const double b = i + 1 < N ? curve.data[i + 1].z : a;
  return a + (b - a) * (t - i);
}

double MtfSectionValue(int n, const float *mtf, double t, TPsfGridAxis direction) {
  const int c = n / 2;
  if (mtf == nullptr || !(t >= 0.0)) return 0.0;
  const int i = static_cast<int>(t);
  if (i >= c) return 0.0;
  const float *centre = mtf + static_cast<long>(c) * n + c;
  const long stride = PsfGridStride(direction, n);
  const double a = centre[i * stride];
  const double b = i + 1 < c ? centre[(i + 1) * stride] : a;
  return a + (b - a) * (t - i);
}

void MtfSectionDirections(double Y, double X, TSectionDirection &tangential, TSectionDirection &sagittal) {
  const double r = std::hypot(Y, X);
  tangential = r > 0.0 ? TSectionDirection{Y / r, X / r} : TSectionDirection{1.0, 0.0};
  sagittal = TSectionDirection{-tangential.z, tangential.y};
}

double MtfSectionValue(int n, const float *mtf, double t, const TSectionDirection &direction) {
  const int c = n / 2;
  if (mtf == nullptr || !(t >= 0.0) || static_cast<int>(t) >= c) return 0.0;
  // Frequency m f along y lies m rows below the centre and along z m columns to its left
  // (the halves swapped as MtfFromPsf leaves them). The MTF is even, so a section and its
  // opposite read alike: the one read runs down the rows, or right along the centre row.
  const double sense = direction.y < 0.0 || (direction.y == 0.0 && direction.z > 0.0) ? -1.0 : 1.0;
  const double row = c + sense * t * direction.y, column = c - sense * t * direction.z;
  const int r0 = static_cast<int>(std::floor(row)), c0 = static_cast<int>(std::floor(column));
  const double fr = row - r0, fc = column - c0;
  auto at = [&](int r, int k) {
    r = std::clamp(r, 0, n - 1);
    k = std::clamp(k, 0, n - 1);
    return static_cast<double>(mtf[static_cast<long>(r) * n + k]);
  };
  // Along an axis the neighbour beyond the section's last pixel is never read.
  const double top = fc > 0.0 ? at(r0, c0) + (at(r0, c0 + 1) - at(r0, c0)) * fc : at(r0, c0);
  if (!(fr > 0.0)) return top;
  const double bottom = fc > 0.0 ? at(r0 + 1, c0) + (at(r0 + 1, c0 + 1) - at(r0 + 1, c0)) * fc : at(r0 + 1, c0);
  return top + (bottom - top) * fr;
}

int TMtfSection::Project(int n, const float *psf, const TSectionDirection &direction) {
  n_ = 0;
  total_ = 0.0;
  line_.clear();
  if (psf == nullptr || n < 2) return 0;
  const bool onAxis = direction.y == 0.0 || direction.z == 0.0;
  binsPerPixel_ = onAxis ? 1 : kObliqueBinsPerPixel;
  // A pixel at row r and column k lies at (c - r) along y and (k - c) along z; its place on
  // the line, in bins, counts from the smallest place any pixel takes.
  const int c = n / 2;
  const double along = binsPerPixel_ * direction.y, across = binsPerPixel_ * direction.z;
  const double reach = c * (std::fabs(along) + std::fabs(across));
  const std::size_t bins = static_cast<std::size_t>(std::ceil(2.0 * reach)) + 2;
  try {
    line_.assign(bins, 0.0);
  } catch (const std::bad_alloc &) {
    line_.clear();
    return 0;
  }
  for (int r = 0; r < n; ++r) {
    const float *row = psf + static_cast<std::size_t>(r) * n;
    const double start = reach + (c - r) * along - c * across;
    for (int k = 0; k < n; ++k) {
      const double place = std::max(start + k * across, 0.0);
      const std::size_t b = static_cast<std::size_t>(place);
      const double share = place - static_cast<double>(b);
      line_[b] += row[k] * (1.0 - share);
      line_[b + 1] += row[k] * share;
      total_ += row[k];
    }
  }
  n_ = n;
  return 1;
}

double TMtfSection::Value(double t) const {
  if (n_ == 0 || !(t >= 0.0) || static_cast<int>(t) >= n_ / 2 || !(total_ > 0.0)) return 0.0;
  // sum of line[b] exp(-i w b), the phase turned by a rotation from bin to bin.
  const double w = 2.0 * kPi * t / (static_cast<double>(n_) * binsPerPixel_);
  const double turnRe = std::cos(w), turnIm = -std::sin(w);
  double re = 0.0, im = 0.0, phaseRe = 1.0, phaseIm = 0.0;
  for (const double light : line_) {
    re += light * phaseRe;
    im += light * phaseIm;
    const double next = phaseRe * turnRe - phaseIm * turnIm;
    phaseIm = phaseRe * turnIm + phaseIm * turnRe;
    phaseRe = next;
  }
  return std::hypot(re, im) / total_;
}

int ReportColumns(double exactCount) {
  if (!(exactCount > 0.0)) return 0;
  return exactCount >= kMaximumReportColumns ? kMaximumReportColumns : static_cast<int>(exactCount);
}
