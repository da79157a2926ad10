// The 2-D transform: rows, then columns, in place on the row-major grid.

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "foundation/fft/fft.h"
#include "foundation/fft/fft_block.h"
#include "foundation/fft/fft_plan.h"
#include "platform/core/message_box.h"

namespace {

// Grids with a side too long for the blocked kernels: every row in place, then every column
// through one pair of column buffers. Everything is allocated before the data is touched.
int TransformColumnByColumn(int nx, int ny, int mx, int my, float *re, float *im,
                            int direction) {
  const float *rowCos = nullptr, *rowSin = nullptr, *colCos = nullptr, *colSin = nullptr;
  std::vector<float> columnRe, columnIm;
  try {
    columnRe.resize(ny);
    columnIm.resize(ny);
  } catch (const std::bad_alloc &) {
    ShowNotEnoughMemory();
    return 0;
  }
  if (!CachedFFTTables(mx, &rowCos, &rowSin) || !CachedFFTTables(my, &colCos, &colSin)) {
    ShowNotEnoughMemory();
    return 0;
  }
  const std::ptrdiff_t width = nx;
  for (std::ptrdiff_t r = 0; r < ny; ++r)
    FFTCore(direction, mx, nx, rowCos, rowSin, re + r * width, im + r * width);
  for (std::ptrdiff_t c = 0; c < nx; ++c) {
    for (std::ptrdiff_t r = 0; r < ny; ++r) {
      columnRe[r] = re[r * width + c];
      columnIm[r] = im[r * width + c];
    }
    FFTCore(direction, my, ny, colCos, colSin, columnRe.data(), columnIm.data());
    for (std::ptrdiff_t r = 0; r < ny; ++r) {
      re[r * width + c] = columnRe[r];
      im[r * width + c] = columnIm[r];
    }
  }
  return 1;
}

}  // namespace

int FFT2D(int nx, int ny, float *re, float *im, int direction) {
  const int mx = FFTExponentOf(nx);
  const int my = FFTExponentOf(ny);
  if (mx < 0 || my < 0 || re == nullptr || im == nullptr) return 0;
  if (std::max(nx, ny) > kFFTLargestBlockLength)
    return TransformColumnByColumn(nx, ny, mx, my, re, im, direction);

  const TFFTBlockPlan *rowPlan = CachedFFTBlockPlan(mx);
  const TFFTBlockPlan *columnPlan = CachedFFTBlockPlan(my);
  // Room for one row block, and for several column blocks when the columns allow and the
  // room stays within 8 MB (2^16 points).
  constexpr int kRoomyWorkPoints = 1 << 16;
  const int columnBlocks = std::clamp(std::min(nx / kFFTBlockLanes, kRoomyWorkPoints / ny), 1,
                                      kFFTColumnBlocksPerVisit);
  const TFFTBlockWork work = CachedFFTBlockWork(std::max(nx, columnBlocks * ny));
  if (rowPlan == nullptr || columnPlan == nullptr || work.re == nullptr) {
    ShowNotEnoughMemory();
    return 0;
  }
  // The kernels transform forward; the inverse is the forward transform of the grid with
  // real and imaginary parts exchanged, exchanged back. 1/n is exact for a power of two.
  const bool inverse = direction != 0;
  float *first = inverse ? im : re;
  float *second = inverse ? re : im;
  const TFFTBlockKernels &kernels = BlockKernelsForThisCpu();
  if (nx > 1)
    kernels.rows(*rowPlan, first, second, nx, ny, inverse ? 1.0f / nx : 1.0f, work);
  if (ny > 1)
    kernels.columns(*columnPlan, first, second, nx, ny, inverse ? 1.0f / ny : 1.0f, work);
  return 1;
}
