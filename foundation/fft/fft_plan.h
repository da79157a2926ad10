#pragma once
// Per-thread cache of what a transform length needs, so repeated transforms allocate
// nothing. For each exponent m (n = 2^m) the cache keeps, once first asked for: the blocked
// plan (radix-4 twiddles, about n/2 complex floats, and an n-entry bit-reversal table), the
// four-step twiddles of FFT1D (n complex floats) and the radix-8 tables of FFTCore
// (FFTTableSize(m) floats each). One work room per thread serves every length; it grows to
// the largest room asked for (16 complex floats a point: 1 MB for a 2048 x 2048 grid, at
// most 8 MB) and is never shrunk. Everything lives until the thread ends. A failed
// allocation leaves the cache as it was and is reported by a null result.

#include "foundation/fft/fft_block.h"

// Lengths above this take the plain column-by-column path in FFT2D, which needs no block of
// 16 n float pairs (8 MB at this length).
constexpr int kFFTLargestBlockLength = 1 << 16;

// m when n == 2^m exactly (n >= 1), else -1.
int FFTExponentOf(int n);

// The blocked plan for n = 2^m, or null when memory runs out.
const TFFTBlockPlan *CachedFFTBlockPlan(int m);

// Work room of at least n points (possibly more, from an earlier longer request), or one
// with null arrays when memory runs out.
TFFTBlockWork CachedFFTBlockWork(int n);

// 1-D lengths from 256 to this take the four-step blocked path of FFT1D.
constexpr int kFFTLongestFourStepLength = 1 << 20;

// The twiddles w_n^(c k1) of the four-step 1-D transform of n = 2^m = 16 n1 points (see
// fft_block.h), or null when memory runs out. 2 n floats, cached like the plans.
const float *CachedFFTFourStepTwiddles(int m);

// The radix-8 tables of FFTTables(m, ...); false when memory runs out. With m < 3 the
// tables are empty and the pointers may be null.
bool CachedFFTTables(int m, const float **cosTable, const float **sinTable);
