// The FFT against a naive DFT in double precision, identities of the transform, the size
// checks and the swap-halves reordering.

#include "foundation/fft/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "foundation/fft/fft_block.h"
#include "foundation/fft/fft_plan.h"
#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "foundation/testing/sanitized.h"

namespace {

using Complex = std::complex<double>;

constexpr std::uint32_t kSeed = 20261207;

// Rounding of the transform grows with the number of radix-2 stages: a relative L2 error
// of one float epsilon per doubling of the length (about three times what a sound
// transform shows; a misplaced or badly twiddled element costs far more).
constexpr double kErrorPerPass = std::numeric_limits<float>::epsilon();
// Identities (Parseval, round trip) go through roughly twice the passes of one transform.
constexpr double kIdentityErrorPerPass = 2.0 * kErrorPerPass;

double PassCount(int n) { return std::max(1.0, std::log2(static_cast<double>(n))); }

struct TSignal {
  std::vector<float> re;
  std::vector<float> im;
};

TSignal RandomSignal(std::size_t size, std::uint32_t salt) {
  std::mt19937 engine(kSeed + salt);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  TSignal s{std::vector<float>(size), std::vector<float>(size)};
  for (std::size_t i = 0; i < size; ++i) {
    s.re[i] = uniform(engine);
    s.im[i] = uniform(engine);
  }
  return s;
}

// x[offset + j * stride], j < n, transformed by the defining sum in double precision.
void NaiveDft(std::vector<Complex> &data, std::size_t offset, std::size_t stride, int n,
              int direction) {
  const double sign = direction == 0 ? -1.0 : 1.0;
  // Real and imaginary parts apart, through plain pointers: the sums below are the test's
  // longest loops, and test files are compiled with little optimisation.
  std::vector<double> parts(4 * static_cast<std::size_t>(n));
  double *rootRe = parts.data(), *rootIm = rootRe + n, *inRe = rootIm + n, *inIm = inRe + n;
  for (int k = 0; k < n; ++k) {
    const double angle = sign * 2.0 * kPi * k / n;
    rootRe[k] = std::cos(angle);
    rootIm[k] = std::sin(angle);
    inRe[k] = data[offset + k * stride].real();
    inIm[k] = data[offset + k * stride].imag();
  }
  for (int k = 0; k < n; ++k) {
    // Four sums over every fourth term, so that each addition need not wait for the last.
    double sumRe[4] = {}, sumIm[4] = {};
    int root = 0;  // j k mod n
    for (int j = 0; j < n; j += 4) {
      for (int part = 0; part < 4 && j + part < n; ++part) {
        const int at = j + part;
        sumRe[part] += inRe[at] * rootRe[root] - inIm[at] * rootIm[root];
        sumIm[part] += inRe[at] * rootIm[root] + inIm[at] * rootRe[root];
        root += k;
        if (root >= n) root -= n;
      }
    }
    const Complex sum((sumRe[0] + sumRe[1]) + (sumRe[2] + sumRe[3]),
                      (sumIm[0] + sumIm[1]) + (sumIm[2] + sumIm[3]));
    data[offset + k * stride] = direction == 0 ? sum : sum / static_cast<double>(n);
  }
}

std::vector<Complex> NaiveDft2D(const TSignal &s, int nx, int ny, int direction) {
  std::vector<Complex> data(s.re.size());
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = Complex(s.re[i], s.im[i]);
  for (int r = 0; r < ny; ++r) NaiveDft(data, static_cast<std::size_t>(r) * nx, 1, nx, direction);
  for (int c = 0; c < nx; ++c) NaiveDft(data, c, nx, ny, direction);
  return data;
}

// ||actual - expected|| / ||expected|| over the whole grid.
double RelativeError(const TSignal &actual, const std::vector<Complex> &expected) {
  double error = 0.0, norm = 0.0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    error += std::norm(Complex(actual.re[i], actual.im[i]) - expected[i]);
    norm += std::norm(expected[i]);
  }
  return norm > 0.0 ? std::sqrt(error / norm) : std::sqrt(error);
}

double Energy(const TSignal &s) {
  double sum = 0.0;
  for (std::size_t i = 0; i < s.re.size(); ++i)
    sum += double(s.re[i]) * s.re[i] + double(s.im[i]) * s.im[i];
  return sum;
}

std::string Case(int nx, int ny, int direction) {
  return "seed " + std::to_string(kSeed) + ", " + std::to_string(nx) + " x " +
         std::to_string(ny) + (direction == 0 ? " forward" : " inverse");
}

void ExpectMatchesNaive2D(int nx, int ny, int direction) {
  SCOPED_TRACE(Case(nx, ny, direction));
  TSignal s = RandomSignal(static_cast<std::size_t>(nx) * ny, nx * 7 + ny);
  const std::vector<Complex> expected = NaiveDft2D(s, nx, ny, direction);
  ASSERT_EQ(FFT2D(nx, ny, s.re.data(), s.im.data(), direction), 1);
  EXPECT_LE(RelativeError(s, expected), kErrorPerPass * PassCount(nx * ny));
}

TEST(FFT1D, EqualsNaiveDftForEveryPowerOfTwoUpTo2048) {
  for (int n = 1; n <= 2048; n *= 2) {
    for (int direction : {0, 1}) {
      SCOPED_TRACE(Case(n, 1, direction));
      TSignal s = RandomSignal(n, n);
      const std::vector<Complex> expected = NaiveDft2D(s, n, 1, direction);
      ASSERT_EQ(FFT1D(n, s.re.data(), s.im.data(), direction), 1);
      EXPECT_LE(RelativeError(s, expected), kErrorPerPass * PassCount(n));
    }
  }
}

TEST(FFT1D, AnyNonZeroDirectionIsTheInverse) {
  TSignal a = RandomSignal(64, 3), b = a;
  ASSERT_EQ(FFT1D(64, a.re.data(), a.im.data(), 1), 1);
  ASSERT_EQ(FFT1D(64, b.re.data(), b.im.data(), -5), 1);
  EXPECT_EQ(a.re, b.re);
  EXPECT_EQ(a.im, b.im);
}

TEST(FFT1D, LengthOneIsLeftAsItIs) {
  for (int direction : {0, 1}) {
    float re = 0.75f, im = -2.5f;
    ASSERT_EQ(FFT1D(1, &re, &im, direction), 1);
    EXPECT_EQ(re, 0.75f);
    EXPECT_EQ(im, -2.5f);
  }
}

TEST(FFT1D, ForwardThenInverseReturnsTheInputAndKeepsParseval) {
  for (int n = 2; n <= 2048; n *= 2) {
    SCOPED_TRACE(Case(n, 1, 0));
    const TSignal original = RandomSignal(n, 100 + n);
    TSignal s = original;
    ASSERT_EQ(FFT1D(n, s.re.data(), s.im.data(), 0), 1);
    // Unscaled forward transform: sum |X|^2 = n sum |x|^2.
    EXPECT_APPROX(Energy(s), n * Energy(original), kIdentityErrorPerPass * PassCount(n));
    ASSERT_EQ(FFT1D(n, s.re.data(), s.im.data(), 1), 1);
    std::vector<Complex> expected(n);
    for (int i = 0; i < n; ++i) expected[i] = Complex(original.re[i], original.im[i]);
    EXPECT_LE(RelativeError(s, expected), kIdentityErrorPerPass * PassCount(n));
  }
}

TEST(FFT1D, PureToneBecomesOneSpikeOfHeightN) {
  // exp(2 pi i f j / n) has the single forward coefficient n at k = f.
  const int n = 512, f = 37;
  TSignal s{std::vector<float>(n), std::vector<float>(n)};
  for (int j = 0; j < n; ++j) {
    const double angle = 2.0 * kPi * f * j / n;
    s.re[j] = static_cast<float>(std::cos(angle));
    s.im[j] = static_cast<float>(std::sin(angle));
  }
  std::vector<Complex> expected(n);
  expected[f] = Complex(n, 0.0);
  ASSERT_EQ(FFT1D(n, s.re.data(), s.im.data(), 0), 1);
  EXPECT_LE(RelativeError(s, expected), kErrorPerPass * PassCount(n));
}

TEST(FFT2D, EqualsNaiveDftOnEverySquareUpTo256) {
  for (int n = 1; n <= 256; n *= 2)
    for (int direction : {0, 1}) ExpectMatchesNaive2D(n, n, direction);
}

TEST(FFT2D, EqualsNaiveDftOnLongRowsAndLongColumnsUpTo2048) {
  // Every power of two up to 2048 on each side, against a short side that is below, equal
  // to and above the 16-wide blocks of the transform. The naive sums of the longest sides
  // take half a minute under the sanitizers, which the smaller sizes' walk through the same
  // paths of the transform serves as well: there the sides stop at 512.
  const int longest = kSanitizedBuild ? 512 : 2048;
  for (int n = 1; n <= longest; n *= 2) {
    for (int shortSide : {1, 8, 32}) {
      for (int direction : {0, 1}) {
        ExpectMatchesNaive2D(n, shortSide, direction);
        ExpectMatchesNaive2D(shortSide, n, direction);
      }
    }
  }
}

TEST(FFT2D, ForwardThenInverseReturnsTheInputAndKeepsParseval) {
  const int nx = 512, ny = 128;
  SCOPED_TRACE(Case(nx, ny, 0));
  const TSignal original = RandomSignal(static_cast<std::size_t>(nx) * ny, 5);
  TSignal s = original;
  ASSERT_EQ(FFT2D(nx, ny, s.re.data(), s.im.data(), 0), 1);
  EXPECT_APPROX(Energy(s), double(nx) * ny * Energy(original),
                kIdentityErrorPerPass * PassCount(nx * ny));
  ASSERT_EQ(FFT2D(nx, ny, s.re.data(), s.im.data(), 1), 1);
  std::vector<Complex> expected(original.re.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    expected[i] = Complex(original.re[i], original.im[i]);
  EXPECT_LE(RelativeError(s, expected), kIdentityErrorPerPass * PassCount(nx * ny));
}

TEST(FFT2D, CachedTablesServeSizesInAnyOrder) {
  // The per-size tables and the shared work room outlive each call: a small transform
  // after a larger one (which grew the room) must give bit-identical results.
  const TSignal original = RandomSignal(64 * 64, 21);
  TSignal first = original;
  ASSERT_EQ(FFT2D(64, 64, first.re.data(), first.im.data(), 0), 1);
  TSignal large = RandomSignal(4096 * 16, 22);
  ASSERT_EQ(FFT2D(16, 4096, large.re.data(), large.im.data(), 1), 1);
  ASSERT_EQ(FFT1D(4096, large.re.data(), large.im.data(), 0), 1);
  TSignal again = original;
  ASSERT_EQ(FFT2D(64, 64, again.re.data(), again.im.data(), 0), 1);
  EXPECT_EQ(again.re, first.re);
  EXPECT_EQ(again.im, first.im);
}

TEST(FFT2D, BaselineKernelsEqualNaiveDftToo) {
  // The program picks the AVX2 kernels where the processor has them; the baseline set must
  // be right on its own for the machines without.
  const int nx = 64, ny = 32;
  for (int direction : {0, 1}) {
    SCOPED_TRACE(Case(nx, ny, direction));
    TSignal s = RandomSignal(nx * ny, 11);
    const std::vector<Complex> expected = NaiveDft2D(s, nx, ny, direction);
    const TFFTBlockPlan *rowPlan = CachedFFTBlockPlan(6);
    const TFFTBlockPlan *columnPlan = CachedFFTBlockPlan(5);
    const TFFTBlockWork work = CachedFFTBlockWork(4 * ny);  // four column blocks a walk
    ASSERT_NE(rowPlan, nullptr);
    ASSERT_NE(columnPlan, nullptr);
    ASSERT_NE(work.re, nullptr);
    float *first = direction == 0 ? s.re.data() : s.im.data();
    float *second = direction == 0 ? s.im.data() : s.re.data();
    const float rowScale = direction == 0 ? 1.0f : 1.0f / nx;
    const float columnScale = direction == 0 ? 1.0f : 1.0f / ny;
    fft_block_sse2::TransformRows(*rowPlan, first, second, nx, ny, rowScale, work);
    fft_block_sse2::TransformColumns(*columnPlan, first, second, nx, ny, columnScale, work);
    EXPECT_LE(RelativeError(s, expected), kErrorPerPass * PassCount(nx * ny));
  }
}

TEST(FFT1D, BaselineKernelsEqualNaiveDftToo) {
  // Lengths from 256 up run as 16 interleaved transforms, a twiddle and 16-point
  // transforms; check the baseline set of that path as well.
  for (int m : {8, 11}) {
    const int n = 1 << m;
    for (int direction : {0, 1}) {
      SCOPED_TRACE(Case(n, 1, direction));
      TSignal s = RandomSignal(n, 70 + m);
      const std::vector<Complex> expected = NaiveDft2D(s, n, 1, direction);
      const TFFTBlockPlan *plan = CachedFFTBlockPlan(m - 4);
      const TFFTBlockPlan *plan16 = CachedFFTBlockPlan(4);
      const float *twiddles = CachedFFTFourStepTwiddles(m);
      const TFFTBlockWork work = CachedFFTBlockWork(n / kFFTBlockLanes);
      ASSERT_NE(plan, nullptr);
      ASSERT_NE(plan16, nullptr);
      ASSERT_NE(twiddles, nullptr);
      ASSERT_NE(work.re, nullptr);
      float *first = direction == 0 ? s.re.data() : s.im.data();
      float *second = direction == 0 ? s.im.data() : s.re.data();
      fft_block_sse2::Transform1D(*plan, *plan16, twiddles, first, second,
                                  direction == 0 ? 1.0f : 1.0f / n, work);
      EXPECT_LE(RelativeError(s, expected), kErrorPerPass * PassCount(n));
    }
  }
}

TEST(FFT2D, VeryLongColumnsTakeTheColumnByColumnPath) {
  // Past the blocked kernels' longest side: a spike at row p of a single column transforms
  // to exp(-2 pi i p k / n), worked out here directly.
  const int ny = 2 * kFFTLargestBlockLength, p = 12345;
  TSignal s{std::vector<float>(ny), std::vector<float>(ny)};
  s.re[p] = 1.0f;
  ASSERT_EQ(FFT2D(1, ny, s.re.data(), s.im.data(), 0), 1);
  std::vector<Complex> expected(ny);
  for (int k = 0; k < ny; ++k)
    expected[k] = std::polar(1.0, -2.0 * kPi *
                                      static_cast<double>((std::int64_t(p) * k) % ny) / ny);
  EXPECT_LE(RelativeError(s, expected), kErrorPerPass * PassCount(ny));
}

TEST(FFTSize, NonPowersOfTwoReturnZeroAndLeaveTheDataUntouched) {
  const TSignal original = RandomSignal(100 * 64, 9);
  for (int bad : {100, 0, -4, 3, 6, 1000, 2147483647}) {
    SCOPED_TRACE(bad);
    TSignal s = original;
    EXPECT_EQ(FFT1D(bad, s.re.data(), s.im.data(), 0), 0);
    if (bad > 0 && bad <= 100) {
      EXPECT_EQ(FFT2D(bad, 64, s.re.data(), s.im.data(), 0), 0);
      EXPECT_EQ(FFT2D(64, bad, s.re.data(), s.im.data(), 1), 0);
    } else {
      EXPECT_EQ(FFT2D(bad, 1, s.re.data(), s.im.data(), 0), 0);
      EXPECT_EQ(FFT2D(1, bad, s.re.data(), s.im.data(), 1), 0);
    }
    EXPECT_EQ(std::memcmp(s.re.data(), original.re.data(), s.re.size() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(s.im.data(), original.im.data(), s.im.size() * sizeof(float)), 0);
  }
}

TEST(FFTSize, MissingArraysReturnZero) {
  float re[4] = {1, 2, 3, 4};
  EXPECT_EQ(FFT1D(4, re, nullptr, 0), 0);
  EXPECT_EQ(FFT2D(2, 2, nullptr, re, 0), 0);
  EXPECT_EQ(re[0], 1.0f);
}

TEST(FFTTables, SizeCountsSevenEntriesPerSpanOfEachRadix8Pass) {
  EXPECT_EQ(FFTTableSize(0), 0);
  EXPECT_EQ(FFTTableSize(2), 0);
  EXPECT_EQ(FFTTableSize(3), 7);            // one pass, L = 1
  EXPECT_EQ(FFTTableSize(4), 14);           // one pass, L = 2
  EXPECT_EQ(FFTTableSize(6), 7 * 8 + 7);    // L = 8, then L = 1
  EXPECT_EQ(FFTTableSize(11), 7 * (256 + 32 + 4));
}

TEST(FFTTables, EntriesRunOverJThenKPassByPass) {
  // m = 6: first slice L = 8, theta = pi/32; second slice L = 1, theta = pi/4 (j = 0 only).
  std::vector<float> cosTable(FFTTableSize(6)), sinTable(FFTTableSize(6));
  FFTTables(6, cosTable.data(), sinTable.data());
  constexpr double kTableTolerance = 1e-7;
  // j = 2, k = 3: angle 6 pi / 32 at index 7 * 2 + 2.
  EXPECT_APPROX(cosTable[16], std::cos(6 * kPi / 32), kTableTolerance);
  EXPECT_APPROX(sinTable[16], std::sin(6 * kPi / 32), kTableTolerance);
  // j = 7, k = 7: angle 49 pi / 32 (past pi, so the sine is negative).
  EXPECT_APPROX(sinTable[55], std::sin(49 * kPi / 32), kTableTolerance);
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(cosTable[56 + k], 1.0f);  // j = 0 of the second pass
    EXPECT_EQ(sinTable[56 + k], 0.0f);
  }
}

TEST(FFTCore, TransformsWithTablesFilledByFFTTables) {
  for (int m : {3, 4, 5, 9}) {
    const int n = 1 << m;
    for (int direction : {0, 1}) {
      SCOPED_TRACE(Case(n, 1, direction));
      std::vector<float> cosTable(FFTTableSize(m)), sinTable(FFTTableSize(m));
      FFTTables(m, cosTable.data(), sinTable.data());
      TSignal s = RandomSignal(n, 50 + m);
      const std::vector<Complex> expected = NaiveDft2D(s, n, 1, direction);
      FFTCore(direction, m, n, cosTable.data(), sinTable.data(), s.re.data(), s.im.data());
      EXPECT_LE(RelativeError(s, expected), kErrorPerPass * PassCount(n));
    }
  }
}

std::vector<float> Iota(int count) {
  std::vector<float> v(count);
  for (int i = 0; i < count; ++i) v[i] = static_cast<float>(i);
  return v;
}

TEST(FFTSwapHalves, RowOfEightGoesToFourThreeTwoOneZeroSevenSixFive) {
  std::vector<float> row = Iota(8);
  FFTSwapHalves(8, 1, row.data());
  EXPECT_EQ(row, (std::vector<float>{4, 3, 2, 1, 0, 7, 6, 5}));
}

TEST(FFTSwapHalves, GridElementComesFromHalfMinusIndexInBothAxes) {
  // Sizes below 4 and odd ones follow the same formula: new i = old (n/2 - i) mod n.
  for (int nx : {1, 2, 3, 4, 8, 16})
    for (int ny : {1, 2, 5, 4, 32}) {
      SCOPED_TRACE(std::to_string(nx) + " x " + std::to_string(ny));
      std::vector<float> grid = Iota(nx * ny);
      FFTSwapHalves(nx, ny, grid.data());
      for (int r = 0; r < ny; ++r)
        for (int c = 0; c < nx; ++c) {
          const int oldRow = ((ny / 2 - r) % ny + ny) % ny;
          const int oldColumn = ((nx / 2 - c) % nx + nx) % nx;
          ASSERT_EQ(grid[r * nx + c], static_cast<float>(oldRow * nx + oldColumn));
        }
    }
}

TEST(FFTSwapHalves, FrequencyZeroLandsInTheMiddleAndRisesToTheLeft) {
  // A tone of frequency f across the rows, constant down the columns: after the forward
  // transform and the swap, its one spike sits in row ny/2 at column nx/2 - f.
  const int nx = 32, ny = 16, f = 5;
  TSignal s{std::vector<float>(nx * ny), std::vector<float>(nx * ny)};
  for (int r = 0; r < ny; ++r)
    for (int c = 0; c < nx; ++c) {
      const double angle = 2.0 * kPi * f * c / nx;
      s.re[r * nx + c] = static_cast<float>(std::cos(angle));
      s.im[r * nx + c] = static_cast<float>(std::sin(angle));
    }
  ASSERT_EQ(FFT2D(nx, ny, s.re.data(), s.im.data(), 0), 1);
  FFTSwapHalves(nx, ny, s.re.data());
  // Rounding relative to the spike's height nx ny.
  const double kSpikeTolerance = kErrorPerPass * PassCount(nx * ny) * nx * ny;
  for (int r = 0; r < ny; ++r)
    for (int c = 0; c < nx; ++c) {
      const double expected = (r == ny / 2 && c == nx / 2 - f) ? double(nx) * ny : 0.0;
      ASSERT_APPROX(s.re[r * nx + c], expected, kSpikeTolerance);
    }
}

TEST(FFTSwapHalves, BadSizesAndMissingDataChangeNothing) {
  std::vector<float> grid = Iota(8);
  FFTSwapHalves(0, 8, grid.data());
  FFTSwapHalves(8, -1, grid.data());
  FFTSwapHalves(8, 1, nullptr);
  EXPECT_EQ(grid, Iota(8));
}

}  // namespace
