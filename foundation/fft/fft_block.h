#pragma once
// The blocked transform behind FFT2D (and FFT1D from 256 points): sixteen transforms of the same length run side by side
// in a work block of n "points", each point 16 floats (one lane per row or column), so every
// butterfly is a handful of whole-vector operations with scalar twiddles. Rows enter the
// block through a transpose, columns through plain copies of 16 neighbouring floats; results
// leave in natural order (bit reversal folded into the copy back), scaled on the way.
//
// The kernels are compiled once for the x86-64 baseline (SSE2) and once for AVX2 with FMA;
// BlockKernelsForThisCpu() picks the set the processor runs.

constexpr int kFFTBlockLanes = 16;

// Read-only description of one length, owned by the plan cache (fft_plan.h).
struct TFFTBlockPlan {
  int m = 0;                          // n = 2^m
  int n = 1;
  int radix4Count = 0;                // radix-4 passes, spans n/4, n/16, ...
  bool finalRadix2 = false;           // m odd: a twiddle-free radix-2 pass closes
  const int *spans = nullptr;         // radix4Count spans
  const float *const *twiddles = nullptr;  // per pass: span entries of (w1, w2, w3) as 6 floats
  const int *bitReverse = nullptr;    // n entries
};

// The column pass takes up to this many neighbouring blocks per walk down the rows, work
// room permitting.
constexpr int kFFTColumnBlocksPerVisit = 4;

// The work room: `points` points of kFFTBlockLanes floats for the real and imaginary parts,
// 64-byte aligned.
struct TFFTBlockWork {
  float *re = nullptr;
  float *im = nullptr;
  int points = 0;
};

// Forward transforms of all rows (length plan.n == nx) or all columns (length plan.n == ny)
// of a row-major nx x ny grid, each result multiplied by `scale`. The inverse direction is
// the forward one on swapped real and imaginary arrays.
//
// `oneDimension` transforms one sequence of n = 16 n1 points (n1 >= 16) by four steps: the
// 16 interleaved sequences x[16 r + c] as one block (plan for n1), a twiddle w_n^(c k1)
// (`fourStepTwiddles`: for each k1, 16 real then 16 imaginary parts), 16-point transforms
// across c (plan16), and a transposed store through the work block.
struct TFFTBlockKernels {
  void (*rows)(const TFFTBlockPlan &plan, float *re, float *im, int nx, int ny, float scale,
               const TFFTBlockWork &work);
  void (*columns)(const TFFTBlockPlan &plan, float *re, float *im, int nx, int ny,
                  float scale, const TFFTBlockWork &work);
  void (*oneDimension)(const TFFTBlockPlan &plan, const TFFTBlockPlan &plan16,
                       const float *fourStepTwiddles, float *re, float *im, float scale,
                       const TFFTBlockWork &work);
};

namespace fft_block_sse2 {
void TransformRows(const TFFTBlockPlan &plan, float *re, float *im, int nx, int ny,
                   float scale, const TFFTBlockWork &work);
void TransformColumns(const TFFTBlockPlan &plan, float *re, float *im, int nx, int ny,
                      float scale, const TFFTBlockWork &work);
void Transform1D(const TFFTBlockPlan &plan, const TFFTBlockPlan &plan16,
                 const float *fourStepTwiddles, float *re, float *im, float scale,
                 const TFFTBlockWork &work);
}  // namespace fft_block_sse2

namespace fft_block_avx2 {
void TransformRows(const TFFTBlockPlan &plan, float *re, float *im, int nx, int ny,
                   float scale, const TFFTBlockWork &work);
void TransformColumns(const TFFTBlockPlan &plan, float *re, float *im, int nx, int ny,
                      float scale, const TFFTBlockWork &work);
void Transform1D(const TFFTBlockPlan &plan, const TFFTBlockPlan &plan16,
                 const float *fourStepTwiddles, float *re, float *im, float scale,
                 const TFFTBlockWork &work);
}  // namespace fft_block_avx2

// The kernels for the running processor (AVX2 with FMA when present), chosen once.
const TFFTBlockKernels &BlockKernelsForThisCpu();
