#pragma once
// Vector primitives and butterfly passes of the blocked kernels. Like fft_block_kernel.h,
// which includes it, it is compiled once per instruction set into the namespace the
// including file names as FFT_BLOCK_NAMESPACE.

#include "foundation/fft/fft_block.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#ifndef FFT_BLOCK_NAMESPACE
#error "define FFT_BLOCK_NAMESPACE before including fft_block_passes.h"
#endif

namespace FFT_BLOCK_NAMESPACE {

#if defined(__AVX__)
constexpr int kVecFloats = 8;
#else
constexpr int kVecFloats = 4;
#endif
typedef float Vec __attribute__((vector_size(kVecFloats * sizeof(float))));
constexpr int kLanes = kFFTBlockLanes;

// Sub-transforms up to this many points stay in L1 (16 KB of block per array): the passes
// below it run depth-first on one sub-block at a time.
constexpr int kLocalPoints = 128;

static inline Vec LoadV(const float *p) {
  Vec v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

static inline void StoreV(float *p, Vec v) { __builtin_memcpy(p, &v, sizeof v); }

// One radix-4 decimation-in-frequency pass of span L over `count` points (a multiple of
// 4L). Output frequency k of each butterfly goes to slot bitrev2(k) (0, 2, 1, 3) so the
// whole transform ends in binary bit-reversed order.
static void Radix4Pass(float *__restrict re, float *__restrict im, int count, int span,
                       const float *__restrict tw) {
  const long quarter = static_cast<long>(span) * kLanes;
  for (int group = 0; group < count; group += 4 * span) {
    float *r0 = re + static_cast<long>(group) * kLanes;
    float *i0 = im + static_cast<long>(group) * kLanes;
    for (int j = 0; j < span; ++j, r0 += kLanes, i0 += kLanes) {
      const float *w = tw + 6 * j;
      const float w1r = w[0], w1i = w[1], w2r = w[2], w2i = w[3], w3r = w[4], w3i = w[5];
      float *r1 = r0 + quarter, *r2 = r1 + quarter, *r3 = r2 + quarter;
      float *i1 = i0 + quarter, *i2 = i1 + quarter, *i3 = i2 + quarter;
      for (int v = 0; v < kLanes; v += kVecFloats) {
        const Vec a0r = LoadV(r0 + v), a0i = LoadV(i0 + v);
        const Vec a1r = LoadV(r1 + v), a1i = LoadV(i1 + v);
        const Vec a2r = LoadV(r2 + v), a2i = LoadV(i2 + v);
        const Vec a3r = LoadV(r3 + v), a3i = LoadV(i3 + v);
        const Vec t0r = a0r + a2r, t0i = a0i + a2i;
        const Vec t1r = a0r - a2r, t1i = a0i - a2i;
        const Vec t2r = a1r + a3r, t2i = a1i + a3i;
        const Vec t3r = a1r - a3r, t3i = a1i - a3i;
        // Frequencies 0 and 2 from the even sums; 1 and 3 as t1 -/+ i t3.
        const Vec f2r = t0r - t2r, f2i = t0i - t2i;
        const Vec f1r = t1r + t3i, f1i = t1i - t3r;
        const Vec f3r = t1r - t3i, f3i = t1i + t3r;
        StoreV(r0 + v, t0r + t2r);
        StoreV(i0 + v, t0i + t2i);
        StoreV(r1 + v, f2r * w2r - f2i * w2i);
        StoreV(i1 + v, f2r * w2i + f2i * w2r);
        StoreV(r2 + v, f1r * w1r - f1i * w1i);
        StoreV(i2 + v, f1r * w1i + f1i * w1r);
        StoreV(r3 + v, f3r * w3r - f3i * w3i);
        StoreV(i3 + v, f3r * w3i + f3i * w3r);
      }
    }
  }
}

// The radix-4 pass of span 1, whose twiddles are all 1.
static void Radix4Last(float *__restrict re, float *__restrict im, int count) {
  for (int group = 0; group < count; group += 4) {
    float *r0 = re + static_cast<long>(group) * kLanes;
    float *i0 = im + static_cast<long>(group) * kLanes;
    float *r1 = r0 + kLanes, *r2 = r1 + kLanes, *r3 = r2 + kLanes;
    float *i1 = i0 + kLanes, *i2 = i1 + kLanes, *i3 = i2 + kLanes;
    for (int v = 0; v < kLanes; v += kVecFloats) {
      const Vec a0r = LoadV(r0 + v), a0i = LoadV(i0 + v);
      const Vec a1r = LoadV(r1 + v), a1i = LoadV(i1 + v);
      const Vec a2r = LoadV(r2 + v), a2i = LoadV(i2 + v);
      const Vec a3r = LoadV(r3 + v), a3i = LoadV(i3 + v);
      const Vec t0r = a0r + a2r, t0i = a0i + a2i;
      const Vec t1r = a0r - a2r, t1i = a0i - a2i;
      const Vec t2r = a1r + a3r, t2i = a1i + a3i;
      const Vec t3r = a1r - a3r, t3i = a1i - a3i;
      StoreV(r0 + v, t0r + t2r);
      StoreV(i0 + v, t0i + t2i);
      StoreV(r1 + v, t0r - t2r);
      StoreV(i1 + v, t0i - t2i);
      StoreV(r2 + v, t1r + t3i);
      StoreV(i2 + v, t1i - t3r);
      StoreV(r3 + v, t1r - t3i);
      StoreV(i3 + v, t1i + t3r);
    }
  }
}

// The closing radix-2 pass of span 1 for odd exponents.
static void Radix2Last(float *__restrict re, float *__restrict im, int count) {
  for (int pair = 0; pair < count; pair += 2) {
    float *r0 = re + static_cast<long>(pair) * kLanes, *r1 = r0 + kLanes;
    float *i0 = im + static_cast<long>(pair) * kLanes, *i1 = i0 + kLanes;
    for (int v = 0; v < kLanes; v += kVecFloats) {
      const Vec ar = LoadV(r0 + v), ai = LoadV(i0 + v);
      const Vec br = LoadV(r1 + v), bi = LoadV(i1 + v);
      StoreV(r0 + v, ar + br);
      StoreV(i0 + v, ai + bi);
      StoreV(r1 + v, ar - br);
      StoreV(i1 + v, ai - bi);
    }
  }
}

static void RunPass(const TFFTBlockPlan &plan, int pass, float *re, float *im, int count) {
  const int span = plan.spans[pass];
  if (span == 1)
    Radix4Last(re, im, count);
  else
    Radix4Pass(re, im, count, span, plan.twiddles[pass]);
}

// Forward transform of the whole block; the result is in bit-reversed point order.
static void TransformBlock(const TFFTBlockPlan &plan, float *re, float *im) {
  const int n = plan.n;
  int pass = 0;
  for (; pass < plan.radix4Count && 4 * plan.spans[pass] > kLocalPoints; ++pass)
    RunPass(plan, pass, re, im, n);
  const int chunk = pass < plan.radix4Count ? 4 * plan.spans[pass] : (plan.finalRadix2 ? 2 : n);
  for (int start = 0; start < n; start += chunk) {
    float *cr = re + static_cast<long>(start) * kLanes;
    float *ci = im + static_cast<long>(start) * kLanes;
    for (int p = pass; p < plan.radix4Count; ++p) RunPass(plan, p, cr, ci, chunk);
    if (plan.finalRadix2) Radix2Last(cr, ci, chunk);
  }
}

// Transposes a kVecFloats x kVecFloats tile: row k of the result (stored at dst[k]) is
// column k of the source rows src[0..], multiplied by `scale`.
static inline void TransposeTile(const float *const *src, float *const *dst, float scale) {
#if defined(__AVX__)
  const __m256 r0 = _mm256_loadu_ps(src[0]), r1 = _mm256_loadu_ps(src[1]);
  const __m256 r2 = _mm256_loadu_ps(src[2]), r3 = _mm256_loadu_ps(src[3]);
  const __m256 r4 = _mm256_loadu_ps(src[4]), r5 = _mm256_loadu_ps(src[5]);
  const __m256 r6 = _mm256_loadu_ps(src[6]), r7 = _mm256_loadu_ps(src[7]);
  const __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpackhi_ps(r0, r1);
  const __m256 t2 = _mm256_unpacklo_ps(r2, r3), t3 = _mm256_unpackhi_ps(r2, r3);
  const __m256 t4 = _mm256_unpacklo_ps(r4, r5), t5 = _mm256_unpackhi_ps(r4, r5);
  const __m256 t6 = _mm256_unpacklo_ps(r6, r7), t7 = _mm256_unpackhi_ps(r6, r7);
  const __m256 s0 = _mm256_shuffle_ps(t0, t2, 0x44), s1 = _mm256_shuffle_ps(t0, t2, 0xEE);
  const __m256 s2 = _mm256_shuffle_ps(t1, t3, 0x44), s3 = _mm256_shuffle_ps(t1, t3, 0xEE);
  const __m256 s4 = _mm256_shuffle_ps(t4, t6, 0x44), s5 = _mm256_shuffle_ps(t4, t6, 0xEE);
  const __m256 s6 = _mm256_shuffle_ps(t5, t7, 0x44), s7 = _mm256_shuffle_ps(t5, t7, 0xEE);
  const __m256 k = _mm256_set1_ps(scale);
  _mm256_storeu_ps(dst[0], _mm256_mul_ps(_mm256_permute2f128_ps(s0, s4, 0x20), k));
  _mm256_storeu_ps(dst[1], _mm256_mul_ps(_mm256_permute2f128_ps(s1, s5, 0x20), k));
  _mm256_storeu_ps(dst[2], _mm256_mul_ps(_mm256_permute2f128_ps(s2, s6, 0x20), k));
  _mm256_storeu_ps(dst[3], _mm256_mul_ps(_mm256_permute2f128_ps(s3, s7, 0x20), k));
  _mm256_storeu_ps(dst[4], _mm256_mul_ps(_mm256_permute2f128_ps(s0, s4, 0x31), k));
  _mm256_storeu_ps(dst[5], _mm256_mul_ps(_mm256_permute2f128_ps(s1, s5, 0x31), k));
  _mm256_storeu_ps(dst[6], _mm256_mul_ps(_mm256_permute2f128_ps(s2, s6, 0x31), k));
  _mm256_storeu_ps(dst[7], _mm256_mul_ps(_mm256_permute2f128_ps(s3, s7, 0x31), k));
#elif defined(__SSE2__)
  __m128 r0 = _mm_loadu_ps(src[0]), r1 = _mm_loadu_ps(src[1]);
  __m128 r2 = _mm_loadu_ps(src[2]), r3 = _mm_loadu_ps(src[3]);
  _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
  const __m128 k = _mm_set1_ps(scale);
  _mm_storeu_ps(dst[0], _mm_mul_ps(r0, k));
  _mm_storeu_ps(dst[1], _mm_mul_ps(r1, k));
  _mm_storeu_ps(dst[2], _mm_mul_ps(r2, k));
  _mm_storeu_ps(dst[3], _mm_mul_ps(r3, k));
#else
  for (int a = 0; a < kVecFloats; ++a)
    for (int b = 0; b < kVecFloats; ++b) dst[a][b] = src[b][a] * scale;
#endif
}

}  // namespace FFT_BLOCK_NAMESPACE
