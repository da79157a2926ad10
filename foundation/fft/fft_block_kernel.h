#pragma once
// Body of the blocked transform kernels (see fft_block.h): moving rows and columns in and
// out of the work blocks, and the entry points. Each including file defines
// FFT_BLOCK_NAMESPACE and is compiled for one instruction set, so this file and
// fft_block_passes.h must stay free of anything with external linkage other than the entry
// points of fft_block.h: no standard-library templates, only builtins and intrinsics,
// helpers static.

#include "foundation/fft/fft_block_passes.h"

namespace FFT_BLOCK_NAMESPACE {

// Rows r0 .. r0+rowCount-1 (rowCount <= 16) into the block: point j, lane r = row r's
// element j; missing lanes are zero.
static void GatherRows(const float *src, int nx, int r0, int rowCount, float *block) {
  const int n = nx;
  if (rowCount == kLanes && n % kVecFloats == 0) {
    const float *rows[kVecFloats];
    float *points[kVecFloats];
    for (int j = 0; j < n; j += kVecFloats) {
      for (int lane = 0; lane < kLanes; lane += kVecFloats) {
        for (int k = 0; k < kVecFloats; ++k) {
          rows[k] = src + static_cast<long>(r0 + lane + k) * nx + j;
          points[k] = block + static_cast<long>(j + k) * kLanes + lane;
        }
        TransposeTile(rows, points, 1.0f);
      }
    }
    return;
  }
  for (int j = 0; j < n; ++j)
    for (int lane = 0; lane < kLanes; ++lane)
      block[static_cast<long>(j) * kLanes + lane] =
          lane < rowCount ? src[static_cast<long>(r0 + lane) * nx + j] : 0.0f;
}

// The block back into rows r0 ..: row r's element c = lane r of point bitrev(c), scaled.
static void ScatterRows(const float *block, const int *bitReverse, int nx, int r0,
                        int rowCount, float scale, float *dst) {
  const int n = nx;
  if (rowCount == kLanes && n % kVecFloats == 0) {
    const float *points[kVecFloats];
    float *rows[kVecFloats];
    for (int c = 0; c < n; c += kVecFloats) {
      for (int lane = 0; lane < kLanes; lane += kVecFloats) {
        for (int k = 0; k < kVecFloats; ++k) {
          points[k] = block + static_cast<long>(bitReverse[c + k]) * kLanes + lane;
          rows[k] = dst + static_cast<long>(r0 + lane + k) * nx + c;
        }
        TransposeTile(points, rows, scale);
      }
    }
    return;
  }
  for (int c = 0; c < n; ++c)
    for (int lane = 0; lane < rowCount; ++lane)
      dst[static_cast<long>(r0 + lane) * nx + c] =
          block[static_cast<long>(bitReverse[c]) * kLanes + lane] * scale;
}

void TransformRows(const TFFTBlockPlan &plan, float *re, float *im, int nx, int ny,
                   float scale, const TFFTBlockWork &work) {
  for (int r0 = 0; r0 < ny; r0 += kLanes) {
    const int rowCount = ny - r0 < kLanes ? ny - r0 : kLanes;
    GatherRows(re, nx, r0, rowCount, work.re);
    GatherRows(im, nx, r0, rowCount, work.im);
    TransformBlock(plan, work.re, work.im);
    ScatterRows(work.re, plan.bitReverse, nx, r0, rowCount, scale, re);
    ScatterRows(work.im, plan.bitReverse, nx, r0, rowCount, scale, im);
  }
}

// Columns c0 .. c0+columnCount-1 (fewer than 16) into one block, missing lanes zero.
static void GatherColumnTail(const float *src, int nx, int ny, int c0, int columnCount,
                             float *block) {
  for (int r = 0; r < ny; ++r)
    for (int lane = 0; lane < kLanes; ++lane)
      block[static_cast<long>(r) * kLanes + lane] =
          lane < columnCount ? src[static_cast<long>(r) * nx + c0 + lane] : 0.0f;
}

static void ScatterColumnTail(const float *block, const int *bitReverse, int nx, int ny,
                              int c0, int columnCount, float scale, float *dst) {
  for (int r = 0; r < ny; ++r)
    for (int lane = 0; lane < columnCount; ++lane)
      dst[static_cast<long>(r) * nx + c0 + lane] =
          block[static_cast<long>(bitReverse[r]) * kLanes + lane] * scale;
}

// Columns c0 .. c0 + 16 blocks - 1 into `blocks` consecutive blocks of ny points: point r
// of block b = row r's 16 floats from c0 + 16 b. Taking several blocks per visit of a row
// pays each row's page translation once for all of them.
static void GatherColumns(const float *src, int nx, int ny, int c0, int blocks,
                          float *work) {
  const long blockFloats = static_cast<long>(ny) * kLanes;
  for (int r = 0; r < ny; ++r) {
    const float *row = src + static_cast<long>(r) * nx + c0;
    float *point = work + static_cast<long>(r) * kLanes;
    for (int b = 0; b < blocks; ++b)
      for (int v = 0; v < kLanes; v += kVecFloats)
        StoreV(point + b * blockFloats + v, LoadV(row + b * kLanes + v));
  }
}

// The blocks back into their columns, row r from point bitrev(r), scaled. Writing a row
// also asks for the row's floats of the next visit: each row lies in its own page, where
// the hardware's stream prefetch never follows the column walk.
static void ScatterColumns(const float *work, const int *bitReverse, int nx, int ny, int c0,
                           int blocks, float scale, float *dst) {
  const long blockFloats = static_cast<long>(ny) * kLanes;
  const int next = c0 + blocks * kLanes;
  const int prefetchLines = next + blocks * kLanes <= nx ? blocks : 0;
  for (int r = 0; r < ny; ++r) {
    const float *point = work + static_cast<long>(bitReverse[r]) * kLanes;
    float *row = dst + static_cast<long>(r) * nx + c0;
    for (int b = 0; b < blocks; ++b)
      for (int v = 0; v < kLanes; v += kVecFloats)
        StoreV(row + b * kLanes + v, LoadV(point + b * blockFloats + v) * scale);
    for (int line = 0; line < prefetchLines; ++line)
      __builtin_prefetch(row + (blocks + line) * kLanes, 0, 3);
  }
}

void TransformColumns(const TFFTBlockPlan &plan, float *re, float *im, int nx, int ny,
                      float scale, const TFFTBlockWork &work) {
  const long blockFloats = static_cast<long>(ny) * kLanes;
  int blocksPerVisit = work.points / ny;
  if (blocksPerVisit > kFFTColumnBlocksPerVisit) blocksPerVisit = kFFTColumnBlocksPerVisit;
  if (blocksPerVisit < 1) blocksPerVisit = 1;
  int c0 = 0;
  for (; nx - c0 >= kLanes;) {
    int blocks = (nx - c0) / kLanes;
    if (blocks > blocksPerVisit) blocks = blocksPerVisit;
    GatherColumns(re, nx, ny, c0, blocks, work.re);
    GatherColumns(im, nx, ny, c0, blocks, work.im);
    for (int b = 0; b < blocks; ++b)
      TransformBlock(plan, work.re + b * blockFloats, work.im + b * blockFloats);
    ScatterColumns(work.re, plan.bitReverse, nx, ny, c0, blocks, scale, re);
    ScatterColumns(work.im, plan.bitReverse, nx, ny, c0, blocks, scale, im);
    c0 += blocks * kLanes;
  }
  if (c0 < nx) {
    GatherColumnTail(re, nx, ny, c0, nx - c0, work.re);
    GatherColumnTail(im, nx, ny, c0, nx - c0, work.im);
    TransformBlock(plan, work.re, work.im);
    ScatterColumnTail(work.re, plan.bitReverse, nx, ny, c0, nx - c0, scale, re);
    ScatterColumnTail(work.im, plan.bitReverse, nx, ny, c0, nx - c0, scale, im);
  }
}

// Transposes a 16 x 16 tile of points (kLanes floats each) with a scale.
static void TransposeLanes(const float *src, float *dst, float scale) {
  const float *from[kVecFloats];
  float *to[kVecFloats];
  for (int a = 0; a < kLanes; a += kVecFloats)
    for (int b = 0; b < kLanes; b += kVecFloats) {
      for (int k = 0; k < kVecFloats; ++k) {
        from[k] = src + (a + k) * kLanes + b;
        to[k] = dst + (b + k) * kLanes + a;
      }
      TransposeTile(from, to, scale);
    }
}

void Transform1D(const TFFTBlockPlan &plan, const TFFTBlockPlan &plan16,
                 const float *fourStepTwiddles, float *re, float *im, float scale,
                 const TFFTBlockWork &work) {
  const int n1 = plan.n;
  // Step 1: x[16 r + c] is already point r, lane c of a block.
  TransformBlock(plan, re, im);
  alignas(64) float tileRe[kLanes * kLanes], tileIm[kLanes * kLanes];
  alignas(64) float acrossRe[kLanes * kLanes], acrossIm[kLanes * kLanes];
  for (int first = 0; first < n1; first += kLanes) {
    // Step 2: frequencies k1 = first .. first+15 (points bitrev(k1)) times w_n^(c k1).
    for (int q = 0; q < kLanes; ++q) {
      const int k1 = first + q;
      const float *pr = re + static_cast<long>(plan.bitReverse[k1]) * kLanes;
      const float *pi = im + static_cast<long>(plan.bitReverse[k1]) * kLanes;
      const float *wr = fourStepTwiddles + static_cast<long>(k1) * 2 * kLanes;
      const float *wi = wr + kLanes;
      for (int v = 0; v < kLanes; v += kVecFloats) {
        const Vec xr = LoadV(pr + v), xi = LoadV(pi + v);
        const Vec cr = LoadV(wr + v), ci = LoadV(wi + v);
        StoreV(tileRe + q * kLanes + v, xr * cr - xi * ci);
        StoreV(tileIm + q * kLanes + v, xr * ci + xi * cr);
      }
    }
    // Step 3: 16-point transforms across c, now with k1 along the lanes.
    TransposeLanes(tileRe, acrossRe, 1.0f);
    TransposeLanes(tileIm, acrossIm, 1.0f);
    TransformBlock(plan16, acrossRe, acrossIm);
    // Step 4: X[k1 + n1 k2] for the 16 consecutive k1 at once.
    for (int k2 = 0; k2 < kLanes; ++k2) {
      const int point = plan16.bitReverse[k2];
      for (int v = 0; v < kLanes; v += kVecFloats) {
        const long at = first + static_cast<long>(n1) * k2 + v;
        StoreV(work.re + at, LoadV(acrossRe + point * kLanes + v) * scale);
        StoreV(work.im + at, LoadV(acrossIm + point * kLanes + v) * scale);
      }
    }
  }
  const long n = static_cast<long>(n1) * kLanes;
  __builtin_memcpy(re, work.re, n * sizeof(float));
  __builtin_memcpy(im, work.im, n * sizeof(float));
}

}  // namespace FFT_BLOCK_NAMESPACE
