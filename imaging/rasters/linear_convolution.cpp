#include "imaging/rasters/linear_convolution.h"

#include <algorithm>
#include <cmath>
#include <new>
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

// The wide responses' combined spectrum on an s x s grid (each laid at unit magnitude, the
// magnitudes gathered into `scale`), in kr + i ki.
bool KernelSpectrum(const std::vector<TLinearResponse> &responses, int n, int s, std::vector<float> &kr,
                    std::vector<float> &ki, double &scale) {
  const std::size_t cells = static_cast<std::size_t>(s) * s;
  std::vector<float> re, im;
  try {
    kr.assign(cells, 0.0f);
    ki.assign(cells, 0.0f);
    if (responses.size() > 1) {
      re.resize(cells);
      im.resize(cells);
    }
  } catch (const std::bad_alloc &) {
    return false;
  }
  for (std::size_t k = 0; k < responses.size(); ++k) {
    const double magnitude = Magnitude(responses[k], n);
    const double factor = magnitude > 0.0 ? 1.0 / magnitude : 1.0;
    scale /= factor;
    std::vector<float> &laidRe = k == 0 ? kr : re, &laidIm = k == 0 ? ki : im;
    if (k > 0) {
      std::fill(re.begin(), re.end(), 0.0f);
      std::fill(im.begin(), im.end(), 0.0f);
    }
    LayResponse(responses[k], n, s, laidRe.data(), factor);
    if (FFT2D(s, s, laidRe.data(), laidIm.data(), 0) == 0) return false;
    if (k == 0) continue;
    for (std::size_t i = 0; i < cells; ++i) {
      const float pr = kr[i] * re[i] - ki[i] * im[i];
      ki[i] = kr[i] * im[i] + ki[i] * re[i];
      kr[i] = pr;
    }
  }
  return true;
}

// Overlap-add in place: the picture in strips of t = s - 2 reach rows, each strip in tiles
// of t columns, two tiles at a time (one the real part, the other the imaginary part of one
// transform: the kernel is real), each multiplied by the responses' spectrum on the s x s
// grid, where its linear convolution does not wrap, and added into a band of the rows the
// strip reaches; the rows no later strip reaches go back into the picture.
bool ConvolveByTiles(float *picture, int n, const std::vector<TLinearResponse> &responses, int reach, int s,
                     double scale) {
  const Index t = s - 2 * static_cast<Index>(reach), R = reach;
  if (t < 1) return false;
  const std::size_t cells = static_cast<std::size_t>(s) * s;
  const Index height = t + 2 * R;
  std::vector<float> kr, ki, re, im, band;
  try {
    re.resize(cells);
    im.resize(cells);
    band.assign(static_cast<std::size_t>(height * n), 0.0f);
  } catch (const std::bad_alloc &) {
    return false;
  }
  if (!KernelSpectrum(responses, n, s, kr, ki, scale)) return false;
  const auto lay = [&](Index r0, Index c0, std::vector<float> &grid) {
    const Index rows = std::min<Index>(t, n - r0), columns = std::min<Index>(t, n - c0);
    for (Index r = 0; r < rows; ++r)
      std::copy(picture + (r0 + r) * n + c0, picture + (r0 + r) * n + c0 + columns, grid.begin() + r * s);
  };
  // The product of the tile at (r0, c0) held in `grid` into the band (its row 0 is r0 - R).
  const auto add = [&](Index r0, Index c0, const std::vector<float> &grid) {
    const Index rows = std::min<Index>(t, n - r0), columns = std::min<Index>(t, n - c0);
    const Index left = std::max(-R, -c0), right = std::min(columns + R, n - c0);
    for (Index i = -R; i < rows + R; ++i) {
      const float *from = grid.data() + ((i + s) % s) * s;
      float *to = band.data() + (i + R) * n + c0;
      for (Index j = left; j < 0; ++j) to[j] += from[s + j];
      for (Index j = 0; j < right; ++j) to[j] += from[j];
    }
  };
  const auto flush = [&](Index firstRow, Index rows) {
    for (Index r = 0; r < rows; ++r) {
      const Index row = firstRow + r;
      if (row < 0 || row >= n) continue;
      const float *from = band.data() + r * n;
      float *to = picture + row * n;
      for (Index c = 0; c < n; ++c) to[c] = static_cast<float>(scale * from[c]);
    }
  };
  for (Index r0 = 0; r0 < n; r0 += t) {
    for (Index c0 = 0; c0 < n; c0 += 2 * t) {
      std::fill(re.begin(), re.end(), 0.0f);
      std::fill(im.begin(), im.end(), 0.0f);
      lay(r0, c0, re);
      const bool pair = c0 + t < n;
      if (pair) lay(r0, c0 + t, im);
      if (FFT2D(s, s, re.data(), im.data(), 0) == 0) return false;
      for (std::size_t i = 0; i < cells; ++i) {
        const float pr = re[i] * kr[i] - im[i] * ki[i];
        im[i] = re[i] * ki[i] + im[i] * kr[i];
        re[i] = pr;
      }
      if (FFT2D(s, s, re.data(), im.data(), 1) == 0) return false;
      add(r0, c0, re);
      if (pair) add(r0, c0 + t, im);
    }
    // Rows above r0 + t - R are reached by no later strip.
    if (r0 + t < n) {
      flush(r0 - R, t);
      std::copy(band.begin() + t * n, band.end(), band.begin());
      std::fill(band.begin() + (height - t) * n, band.end(), 0.0f);
    } else {
      flush(r0 - R, height);
    }
  }
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

namespace {

// Costs by measurement (bench/synthesis_bench, BM_LinearProductRoads), in the time of one
// transform's work per cell and per halving, c s^2 log2(s^2) for an s x s grid (about
// 0.3 ns): a response cell summed over a picture cell costs this much of it (about 1.5 ns,
// in doubles), so that the direct sum loses to tiles from a reach of one cell on.
constexpr double kDirectCellCost = 5.0;
// What a tile costs beside its transforms: laying it and adding its product, per grid cell.
constexpr double kTileCellCost = 3.0;

double TransformCost(double s) { return s * s * std::log2(s * s); }

// The responses a plan multiplies as spectra, the others being summed after them: the wide
// ones, or all when none is wide.
struct TSplit {
  int spectralReach = 0, spectralCount = 0, afterReach = 0;
  double afterCells = 0.0, allCells = 0.0;
  int totalReach = 0;
};

TSplit Split(const int *reaches, int count) {
  TSplit split;
  int smallReach = 0, smallCount = 0;
  double smallCells = 0.0;
  for (int k = 0; k < count; ++k) {
    const double cells = (2.0 * reaches[k] + 1.0) * (2.0 * reaches[k] + 1.0);
    split.allCells += cells;
    split.totalReach += reaches[k];
    if (reaches[k] > kDirectReach) {
      split.spectralReach += reaches[k];
      ++split.spectralCount;
    } else {
      smallReach += reaches[k];
      smallCells += cells;
      ++smallCount;
    }
  }
  if (split.spectralCount == 0) {
    split.spectralReach = smallReach;
    split.spectralCount = smallCount;
  } else {
    split.afterReach = smallReach;
    split.afterCells = smallCells;
  }
  return split;
}

}  // namespace

TLinearPlan PlanLinearProduct(int n, const int *reaches, int count) {
  const TSplit split = Split(reaches, count);
  TLinearPlan best;
  const double padded = n + 2.0 * split.totalReach;
  double bestCost = padded * padded * split.allCells * kDirectCellCost;
  if (split.spectralReach == 0) return best;
  const double after = (n + 2.0 * split.afterReach) * (n + 2.0 * split.afterReach) * split.afterCells * kDirectCellCost;
  const int m = LinearProductSide(n, split.totalReach);
  const double whole = (2.0 + (split.spectralCount) / 2) * TransformCost(m) + after;
  if (whole < bestCost) {
    best = {TLinearRoad::kWholeGrid, m};
    bestCost = whole;
  }
  // Tiles take every response into their kernel, two tiles of a strip to a transform.
  for (int side = 2; side < m; side *= 2) {
    const int t = side - 2 * split.totalReach;
    if (t < 1 || t < side / 4) continue;
    const double across = (n + t - 1) / t;
    const double pairs = across * std::ceil(across / 2.0);
    const double cost = (count + 2.0 * pairs) * TransformCost(side) + 2.0 * pairs * kTileCellCost * side * side;
    if (cost < bestCost) {
      best = {TLinearRoad::kTiles, side};
      bestCost = cost;
    }
  }
  return best;
}

bool ConvolveLinearBy(const TLinearPlan &plan, float *picture, int n, const TLinearResponse *responses, int count,
                      double scale) {
  if (n <= 0 || picture == nullptr) return false;
  std::vector<TLinearResponse> spectral, after;
  int total = 0, afterReach = 0;
  for (int k = 0; k < count; ++k) {
    // A response whose cells are all 0 makes the picture dark.
    if (responses[k].reach < 0) {
      std::fill(picture, picture + static_cast<Index>(n) * n, 0.0f);
      return true;
    }
    total += responses[k].reach;
  }
  std::vector<int> reaches(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) reaches[static_cast<std::size_t>(k)] = responses[k].reach;
  const TSplit split = Split(reaches.data(), count);
  // Without small responses beside wide ones every response is multiplied as a spectrum.
  const bool allSpectral = split.afterCells == 0.0;
  for (int k = 0; k < count; ++k) {
    if (allSpectral || responses[k].reach > kDirectReach) {
      spectral.push_back(responses[k]);
    } else {
      after.push_back(responses[k]);
      afterReach += responses[k].reach;
    }
  }
  switch (plan.road) {
    case TLinearRoad::kDirect: {
      std::vector<TLinearResponse> all(responses, responses + count);
      return ConvolveDirectly(picture, n, all, total, scale);
    }
    case TLinearRoad::kWholeGrid:
      if (spectral.empty()) return ConvolveDirectly(picture, n, after, afterReach, scale);
      return ConvolveBySpectra(picture, n, spectral, after, total, afterReach, scale);
    case TLinearRoad::kTiles: {
      // Every response goes into the tiles' kernel: nothing is summed after them.
      std::vector<TLinearResponse> all(responses, responses + count);
      return ConvolveByTiles(picture, n, all, total, plan.side, scale);
    }
  }
  return false;
}

bool ConvolveLinear(float *picture, int n, const TLinearResponse *responses, int count, double scale) {
  if (n <= 0 || picture == nullptr) return false;
  std::vector<int> reaches;
  for (int k = 0; k < count; ++k) reaches.push_back(std::max(responses[k].reach, 0));
  return ConvolveLinearBy(PlanLinearProduct(n, reaches.data(), count), picture, n, responses, count, scale);
}
