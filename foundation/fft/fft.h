#pragma once
// The fft area holds the single-precision FFT in one and two dimensions with its plans and
// vector passes. It uses platform/core (the memory box).
//
// In-place complex FFT of power-of-two length on single-precision data kept as two
// separate arrays (real parts, imaginary parts), in one dimension and over a row-major
// grid, and the reordering that brings frequency 0 to the centre of each row and column.
//
// Direction 0 is the forward transform X[k] = sum_j x[j] exp(-2 pi i j k / n), unscaled;
// any other direction is the inverse X[k] = (1/n) sum_j x[j] exp(+2 pi i j k / n).
//
// FFT1D and FFT2D keep per-length tables and a work block in a per-thread cache, so a
// repeated transform of the same size allocates nothing (see fft_plan.h).

// Length of each of the two radix-8 twiddle tables for n = 2^m: the sum over the radix-8
// passes p = 1 .. m/3 of 7 * 2^(m - 3p); 0 when m < 3.
int FFTTableSize(int m);

// Fills the cosine and sine tables (FFTTableSize(m) entries each): pass by pass, with
// L = 2^(m - 3p) and theta = (pi/4) / L, for j = 0 .. L-1 and k = 1 .. 7 the values
// cos(k j theta) and sin(k j theta).
void FFTTables(int m, float *cosTable, float *sinTable);

// One transform of n = 2^m points in place with tables filled by FFTTables(m, ...):
// radix-8 decimation-in-frequency passes, a closing radix-4 or radix-2 pass, bit reversal.
void FFTCore(int direction, int m, int n, const float *cosTable, const float *sinTable,
             float *re, float *im);

// Transforms n points in place. Returns 0 and leaves the data untouched when n is not a
// power of two (or the arrays are missing, or the work tables cannot be allocated), else 1.
int FFT1D(int n, float *re, float *im, int direction);

// Transforms every row (nx points) and then every column (ny points) of a row-major grid in
// place; the inverse divides by nx * ny. Returns 0 and leaves the data untouched when nx or
// ny is not a power of two (or the arrays are missing, or memory runs out), else 1.
int FFT2D(int nx, int ny, float *re, float *im, int direction);

// Reorders a row-major nx x ny float grid in place: element i of every row becomes old
// element (nx/2 - i) mod nx, then likewise along every column with ny. After a forward
// transform element nx/2 holds frequency 0 and element nx/2 - f frequency f.
void FFTSwapHalves(int nx, int ny, float *data);
