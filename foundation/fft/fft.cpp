#include "foundation/fft/fft.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "foundation/fft/fft_plan.h"
#include "platform/core/message_box.h"

namespace {

constexpr double kQuarterPi = 0.7853981633974483;
constexpr float kSqrtHalf = 0.70710678118654752f;

// Slot of output frequency k (0..7) in a radix-8 butterfly: 3-bit reversal, so the passes
// together end in plain binary bit-reversed order.
constexpr int kRadix8Slot[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// One radix-8 decimation-in-frequency pass of span L computing the positive-exponent sums;
// the tables give cos(k j theta) + i sin(k j theta) for k = 1..7 at 7j + k - 1.
void Radix8Pass(int n, int span, const float *cosSlice, const float *sinSlice, float *re,
                float *im) {
  for (int block = 0; block < n; block += 8 * span) {
    for (int j = 0; j < span; ++j) {
      float xr[8], xi[8];
      for (int k = 0; k < 8; ++k) {
        xr[k] = re[block + j + k * span];
        xi[k] = im[block + j + k * span];
      }
      float ar[4], ai[4], br[4], bi[4];
      for (int k = 0; k < 4; ++k) {
        ar[k] = xr[k] + xr[k + 4];
        ai[k] = xi[k] + xi[k + 4];
        br[k] = xr[k] - xr[k + 4];
        bi[k] = xi[k] - xi[k + 4];
      }
      // b_k times exp(+i pi k / 4) for the odd frequencies.
      const float c1r = (br[1] - bi[1]) * kSqrtHalf, c1i = (br[1] + bi[1]) * kSqrtHalf;
      const float c2r = -bi[2], c2i = br[2];
      const float c3r = (-br[3] - bi[3]) * kSqrtHalf, c3i = (br[3] - bi[3]) * kSqrtHalf;
      float yr[8], yi[8];
      {
        const float e0r = ar[0] + ar[2], e0i = ai[0] + ai[2];
        const float e1r = ar[0] - ar[2], e1i = ai[0] - ai[2];
        const float e2r = ar[1] + ar[3], e2i = ai[1] + ai[3];
        const float e3r = ar[1] - ar[3], e3i = ai[1] - ai[3];
        yr[0] = e0r + e2r, yi[0] = e0i + e2i;
        yr[4] = e0r - e2r, yi[4] = e0i - e2i;
        yr[2] = e1r - e3i, yi[2] = e1i + e3r;
        yr[6] = e1r + e3i, yi[6] = e1i - e3r;
      }
      {
        const float f0r = br[0] + c2r, f0i = bi[0] + c2i;
        const float f1r = br[0] - c2r, f1i = bi[0] - c2i;
        const float f2r = c1r + c3r, f2i = c1i + c3i;
        const float f3r = c1r - c3r, f3i = c1i - c3i;
        yr[1] = f0r + f2r, yi[1] = f0i + f2i;
        yr[5] = f0r - f2r, yi[5] = f0i - f2i;
        yr[3] = f1r - f3i, yi[3] = f1i + f3r;
        yr[7] = f1r + f3i, yi[7] = f1i - f3r;
      }
      re[block + j] = yr[0];
      im[block + j] = yi[0];
      const float *wc = cosSlice + 7 * j;
      const float *ws = sinSlice + 7 * j;
      for (int k = 1; k < 8; ++k) {
        const int at = block + j + kRadix8Slot[k] * span;
        re[at] = yr[k] * wc[k - 1] - yi[k] * ws[k - 1];
        im[at] = yr[k] * ws[k - 1] + yi[k] * wc[k - 1];
      }
    }
  }
}

void ReverseRange(float *data, std::ptrdiff_t first, std::ptrdiff_t last,
                  std::ptrdiff_t stride) {
  while (first < last) {
    std::swap(data[first * stride], data[last * stride]);
    ++first;
    --last;
  }
}

}  // namespace

int FFTTableSize(int m) {
  int size = 0;
  for (int p = 1; 3 * p <= m; ++p) size += 7 * (1 << (m - 3 * p));
  return size;
}

void FFTTables(int m, float *cosTable, float *sinTable) {
  int at = 0;
  for (int p = 1; 3 * p <= m; ++p) {
    const int span = 1 << (m - 3 * p);
    const double theta = kQuarterPi / span;
    for (int j = 0; j < span; ++j) {
      for (int k = 1; k <= 7; ++k) {
        const double angle = static_cast<double>(k * j) * theta;
        cosTable[at] = static_cast<float>(std::cos(angle));
        sinTable[at] = static_cast<float>(std::sin(angle));
        ++at;
      }
    }
  }
}

void FFTCore(int direction, int m, int n, const float *cosTable, const float *sinTable,
             float *re, float *im) {
  if (m < 0 || m > 30 || n != (1 << m) || re == nullptr || im == nullptr) return;
  // The passes compute the positive-exponent sum. Exchanging the real and imaginary arrays
  // before and after (free here: the arrays are separate) turns it into the negative one.
  float *xr = direction == 0 ? im : re;
  float *xi = direction == 0 ? re : im;
  int offset = 0;
  for (int p = 1; 3 * p <= m; ++p) {
    const int span = n >> (3 * p);
    Radix8Pass(n, span, cosTable + offset, sinTable + offset, xr, xi);
    offset += 7 * span;
  }
  if (m % 3 == 2) {
    for (int j = 0; j < n; j += 4) {
      const float ar = xr[j] + xr[j + 2], ai = xi[j] + xi[j + 2];
      const float br = xr[j + 1] + xr[j + 3], bi = xi[j + 1] + xi[j + 3];
      const float cr = xr[j] - xr[j + 2], ci = xi[j] - xi[j + 2];
      const float dr = xr[j + 1] - xr[j + 3], di = xi[j + 1] - xi[j + 3];
      xr[j] = ar + br, xi[j] = ai + bi;
      xr[j + 1] = ar - br, xi[j + 1] = ai - bi;
      xr[j + 2] = cr - di, xi[j + 2] = ci + dr;
      xr[j + 3] = cr + di, xi[j + 3] = ci - dr;
    }
  } else if (m % 3 == 1) {
    for (int j = 0; j < n; j += 2) {
      const float ar = xr[j], ai = xi[j];
      xr[j] = ar + xr[j + 1], xi[j] = ai + xi[j + 1];
      xr[j + 1] = ar - xr[j + 1], xi[j + 1] = ai - xi[j + 1];
    }
  }
  for (int i = 0, j = 0; i < n - 1; ++i) {
    if (j > i) {
      std::swap(xr[i], xr[j]);
      std::swap(xi[i], xi[j]);
    }
    int k = n / 2;
    while (j >= k) {
      j -= k;
      k /= 2;
    }
    j += k;
  }
  if (direction != 0) {
    const float scale = 1.0f / static_cast<float>(n);
    for (int i = 0; i < n; ++i) {
      xr[i] *= scale;
      xi[i] *= scale;
    }
  }
}

int FFT1D(int n, float *re, float *im, int direction) {
  const int m = FFTExponentOf(n);
  if (m < 0 || re == nullptr || im == nullptr) return 0;
  if (n >= 16 * kFFTBlockLanes && n <= kFFTLongestFourStepLength) {
    const TFFTBlockPlan *plan = CachedFFTBlockPlan(m - 4);
    const TFFTBlockPlan *plan16 = CachedFFTBlockPlan(4);
    const float *twiddles = CachedFFTFourStepTwiddles(m);
    const TFFTBlockWork work = CachedFFTBlockWork(n / kFFTBlockLanes);
    if (plan == nullptr || plan16 == nullptr || twiddles == nullptr || work.re == nullptr) {
      ShowNotEnoughMemory();
      return 0;
    }
    // Forward kernels only: the inverse runs them on exchanged real and imaginary parts.
    const bool inverse = direction != 0;
    BlockKernelsForThisCpu().oneDimension(*plan, *plan16, twiddles, inverse ? im : re,
                                          inverse ? re : im, inverse ? 1.0f / n : 1.0f, work);
    return 1;
  }
  const float *cosTable = nullptr;
  const float *sinTable = nullptr;
  if (!CachedFFTTables(m, &cosTable, &sinTable)) {
    ShowNotEnoughMemory();
    return 0;
  }
  FFTCore(direction, m, n, cosTable, sinTable, re, im);
  return 1;
}

void FFTSwapHalves(int nx, int ny, float *data) {
  if (nx < 1 || ny < 1 || data == nullptr) return;
  const std::ptrdiff_t width = nx;
  for (std::ptrdiff_t r = 0; r < ny; ++r) {
    float *row = data + r * width;
    ReverseRange(row, 0, nx / 2, 1);
    ReverseRange(row, nx / 2 + 1, nx - 1, 1);
  }
  // Reordering every column alike is a reordering of whole rows.
  auto swapRows = [&](std::ptrdiff_t a, std::ptrdiff_t b) {
    std::swap_ranges(data + a * width, data + (a + 1) * width, data + b * width);
  };
  for (std::ptrdiff_t a = 0, b = ny / 2; a < b; ++a, --b) swapRows(a, b);
  for (std::ptrdiff_t a = ny / 2 + 1, b = ny - 1; a < b; ++a, --b) swapRows(a, b);
}
