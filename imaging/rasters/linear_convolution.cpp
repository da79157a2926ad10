#include "imaging/rasters/linear_convolution.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "foundation/fft/fft.h"

namespace {

using Index = std::ptrdiff_t;

// Sums every response in turn over the canvas of `side` cells, in double: its margin holds
// the light the first responses carry past the picture, which the later ones may bring back.
void SumDirectly(std::vector<double> &from, Index side, int n, const std::vector<TLinearResponse> &responses) {
  std::vector<double> to(from.size(), 0.0);
  const Index centre = n / 2;
  for (const TLinearResponse &response : responses) {
    const Index h = response.reach;
    for (Index r = 0; r < side; ++r)
      for (Index c = 0; c < side; ++c) {
        double sum = 0.0;
        for (Index dr = std::max(-h, r - side + 1); dr <= std::min(h, r); ++dr)
          for (Index dc = std::max(-h, c - side + 1); dc <= std::min(h, c); ++dc)
            sum += from[(r - dr) * side + c - dc] * response.cells[(centre + dr) * n + centre + dc];
        to[r * side + c] = sum;
      }
    from.swap(to);
  }
}

// The picture padded by the responses' total reach, summed over directly.
bool ConvolveDirectly(float *picture, int n, const std::vector<TLinearResponse> &responses, int reach,
                      double scale) {
  const Index side = n + 2 * static_cast<Index>(reach);
  std::vector<double> from;
  try {
    from.assign(static_cast<std::size_t>(side * side), 0.0);
    for (Index r = 0; r < n; ++r)
      for (Index c = 0; c < n; ++c) from[(r + reach) * side + c + reach] = picture[r * n + c];
    SumDirectly(from, side, n, responses);
  } catch (const std::bad_alloc &) {
    return false;
  }
  for (Index r = 0; r < n; ++r)
    for (Index c = 0; c < n; ++c)
      picture[r * n + c] = static_cast<float>(scale * from[(r + reach) * side + c + reach]);
  return true;
}

// The sum of the magnitudes of a response's cells within its reach.
double Magnitude(const TLinearResponse &response, int n) {
  const Index centre = n / 2, h = response.reach;
  double sum = 0.0;
  for (Index r = std::max<Index>(0, centre - h); r <= std::min<Index>(n - 1, centre + h); ++r)
    for (Index c = std::max<Index>(0, centre - h); c <= std::min<Index>(n - 1, centre + h); ++c)
      sum += std::abs(response.cells[r * n + c]);
  return sum;
}

// The factor that brings a raster of magnitude `from` to magnitude `to`: two rasters that
// share one transform are separated with errors of the larger one's size, so they are
// made alike first.
double Balance(double from, double to) { return from > 0.0 && to > 0.0 ? to / from : 1.0; }

// Lays an n x n response times factor on the m x m grid with its centre on cell (0, 0),
// the cells beyond its reach left out (they are 0).
void LayResponse(const TLinearResponse &response, int n, int m, float *grid, double factor) {
  const Index centre = n / 2, h = response.reach;
  if (h < 0) return;
  for (Index dr = -h; dr <= h; ++dr) {
    if (centre + dr < 0 || centre + dr >= n) continue;
    for (Index dc = -h; dc <= h; ++dc) {
      if (centre + dc < 0 || centre + dc >= n) continue;
      grid[((dr + m) % m) * m + (dc + m) % m] =
          static_cast<float>(factor * response.cells[(centre + dr) * n + centre + dc]);
    }
  }
}

// With two real rasters a (in re) and b (in im) on the m x m grid, leaves in re + i im the
// product of their spectra: one transform serves both, as A = (Z + conj Z') / 2 and
// B = (Z - conj Z') / 2i, Z' the transform at the opposite frequency.
bool PairProduct(int m, float *re, float *im) {
  if (FFT2D(m, m, re, im, 0) == 0) return false;
  for (Index r = 0; r < m; ++r)
    for (Index c = 0; c < m; ++c) {
      const Index i = r * m + c, j = ((m - r) % m) * m + (m - c) % m;
      if (j < i) continue;
      const double zr = re[i], zi = im[i], wr = re[j], wi = im[j];
      const double ar = 0.5 * (zr + wr), ai = 0.5 * (zi - wi);
      const double br = 0.5 * (zi + wi), bi = -0.5 * (zr - wr);
      const double pr = ar * br - ai * bi, pi = ar * bi + ai * br;
      re[i] = static_cast<float>(pr);
      im[i] = static_cast<float>(pi);
      re[j] = static_cast<float>(pr);
      im[j] = static_cast<float>(-pi);
    }
  return true;
}

// The wide responses multiplied as spectra on a grid that holds the product as far as the
// small ones reach past the picture; those are then summed over directly.
bool ConvolveBySpectra(float *picture, int n, const std::vector<TLinearResponse> &responses,
                       const std::vector<TLinearResponse> &small, int reach, int smallReach, double scale) {
  const int count = static_cast<int>(responses.size());
  const int m = LinearProductSide(n, reach);
  const std::size_t cells = static_cast<std::size_t>(m) * m;
  std::vector<float> re, im, workRe, workIm;
  try {
    re.assign(cells, 0.0f);
    im.assign(cells, 0.0f);
    if (count > 1) {
      workRe.assign(cells, 0.0f);
      workIm.assign(cells, 0.0f);
    }
  } catch (const std::bad_alloc &) {
    return false;
  }
  double light = 0.0;
  for (Index r = 0; r < n; ++r) {
    std::copy(picture + r * n, picture + (r + 1) * n, re.begin() + r * m);
    for (Index c = 0; c < n; ++c) light += std::abs(picture[r * n + c]);
  }
  // Every response is laid at the picture's magnitude, the scale taking the factor back.
  double factor = Balance(Magnitude(responses[0], n), light);
  LayResponse(responses[0], n, m, im.data(), factor);
  scale /= factor;
  if (!PairProduct(m, re.data(), im.data())) return false;
  // The other responses two by two, each pair's spectra multiplied into the product.
  for (int k = 1; k < count; k += 2) {
    std::fill(workRe.begin(), workRe.end(), 0.0f);
    std::fill(workIm.begin(), workIm.end(), 0.0f);
    factor = Balance(Magnitude(responses[k], n), light);
    LayResponse(responses[k], n, m, workRe.data(), factor);
    scale /= factor;
    if (k + 1 < count) {
      factor = Balance(Magnitude(responses[k + 1], n), light);
      LayResponse(responses[k + 1], n, m, workIm.data(), factor);
      scale /= factor;
      if (!PairProduct(m, workRe.data(), workIm.data())) return false;
    } else if (FFT2D(m, m, workRe.data(), workIm.data(), 0) == 0) {
      return false;
    }
    for (std::size_t i = 0; i < cells; ++i) {
      const float pr = re[i] * workRe[i] - im[i] * workIm[i];
      im[i] = re[i] * workIm[i] + im[i] * workRe[i];
      re[i] = pr;
    }
  }
  if (FFT2D(m, m, re.data(), im.data(), 1) == 0) return false;
  if (small.empty()) {
    for (Index r = 0; r < n; ++r)
      for (Index c = 0; c < n; ++c) picture[r * n + c] = static_cast<float>(scale * re[r * m + c]);
    return true;
  }
  const Index side = n + 2 * static_cast<Index>(smallReach);
  std::vector<double> canvas;
  try {
    canvas.resize(static_cast<std::size_t>(side * side));
  } catch (const std::bad_alloc &) {
    return false;
  }
  for (Index r = 0; r < side; ++r)
    for (Index c = 0; c < side; ++c)
      canvas[r * side + c] = re[((r - smallReach + m) % m) * m + (c - smallReach + m) % m];
  re.clear();
  re.shrink_to_fit();
  im.clear();
  im.shrink_to_fit();
  SumDirectly(canvas, side, n, small);
  for (Index r = 0; r < n; ++r)
    for (Index c = 0; c < n; ++c)
      picture[r * n + c] = static_cast<float>(scale * canvas[(r + smallReach) * side + c + smallReach]);
  return true;
}

}  // namespace

int ResponseReach(const float *cells, int n) {
  int reach = -1;
  const int centre = n / 2;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      if (cells[static_cast<Index>(r) * n + c] != 0.0f)
        reach = std::max({reach, std::abs(r - centre), std::abs(c - centre)});
  return reach;
}

int LinearProductSide(int n, int reach) {
  if (reach <= 0) return n;
  int m = 1;
  while (m < n + reach) m *= 2;
  return m;
}

bool ConvolveLinear(float *picture, int n, const TLinearResponse *responses, int count, double scale) {
  if (n <= 0 || picture == nullptr) return false;
  // Responses of a few cells are summed directly, the others multiplied as spectra.
  std::vector<TLinearResponse> wide, small;
  int reach = 0, smallReach = 0;
  for (int k = 0; k < count; ++k) {
    if (responses[k].reach < 0) {
      std::fill(picture, picture + static_cast<Index>(n) * n, 0.0f);
      return true;
    }
    reach += responses[k].reach;
    if (responses[k].reach <= kDirectReach) {
      small.push_back(responses[k]);
      smallReach += responses[k].reach;
    } else {
      wide.push_back(responses[k]);
    }
  }
  if (reach <= kDirectReach || wide.empty()) return ConvolveDirectly(picture, n, small, smallReach, scale);
  return ConvolveBySpectra(picture, n, wide, small, reach, smallReach, scale);
}
