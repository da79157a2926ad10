#include "foundation/fft/fft_plan.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "foundation/fft/fft.h"
#include "foundation/numerics/pi.h"

namespace {

constexpr int kMaxExponent = 30;
constexpr std::size_t kBlockAlignment = 64;

struct TBlockPlanData {
  TFFTBlockPlan view;
  std::vector<int> spans;
  std::vector<float> twiddles;
  std::vector<const float *> passTwiddles;
  std::vector<int> bitReverse;
};

struct TRadix8Tables {
  std::vector<float> cosTable;
  std::vector<float> sinTable;
};

struct TFFTCache {
  std::unique_ptr<TBlockPlanData> blockPlans[kMaxExponent + 1];
  std::unique_ptr<TRadix8Tables> radix8[kMaxExponent + 1];
  std::vector<float> fourStep[kMaxExponent + 1];
  std::vector<float> workStorage;  // both arrays of the block, with room to align them
  int workLength = 0;
};

thread_local TFFTCache cache;

std::unique_ptr<TBlockPlanData> MakeBlockPlan(int m) {
  auto data = std::make_unique<TBlockPlanData>();
  const int n = 1 << m;
  for (int span = n / 4; span >= 1; span /= 4) data->spans.push_back(span);
  std::size_t total = 0;
  for (int span : data->spans) total += 6 * static_cast<std::size_t>(span);
  data->twiddles.resize(total);
  std::size_t offset = 0;
  for (int span : data->spans) {
    data->passTwiddles.push_back(data->twiddles.data() + offset);
    // Forward twiddles w^(k j), w = exp(-2 pi i / 4L), computed in double and rounded once.
    const double step = -2.0 * kPi / (4.0 * span);
    for (int j = 0; j < span; ++j) {
      for (int k = 1; k <= 3; ++k) {
        const double angle = step * static_cast<double>(k * j);
        data->twiddles[offset++] = static_cast<float>(std::cos(angle));
        data->twiddles[offset++] = static_cast<float>(std::sin(angle));
      }
    }
  }
  data->bitReverse.resize(n);
  for (int i = 0; i < n; ++i) {
    int reversed = 0;
    for (int bit = 0; bit < m; ++bit) reversed |= ((i >> bit) & 1) << (m - 1 - bit);
    data->bitReverse[i] = reversed;
  }
  TFFTBlockPlan &view = data->view;
  view.m = m;
  view.n = n;
  view.radix4Count = static_cast<int>(data->spans.size());
  view.finalRadix2 = (m % 2) == 1;
  view.spans = data->spans.data();
  view.twiddles = data->passTwiddles.data();
  view.bitReverse = data->bitReverse.data();
  return data;
}

float *Aligned(float *p) {
  const auto address = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t aligned = (address + kBlockAlignment - 1) & ~(kBlockAlignment - 1);
  return p + (aligned - address) / sizeof(float);
}

}  // namespace

int FFTExponentOf(int n) {
  if (n < 1) return -1;
  int m = 0;
  while ((1 << m) < n && m < kMaxExponent) ++m;
  return (1 << m) == n ? m : -1;
}

const TFFTBlockPlan *CachedFFTBlockPlan(int m) {
  if (m < 0 || m > kMaxExponent) return nullptr;
  std::unique_ptr<TBlockPlanData> &slot = cache.blockPlans[m];
  if (!slot) {
    try {
      slot = MakeBlockPlan(m);
    } catch (const std::bad_alloc &) {
      return nullptr;
    }
  }
  return &slot->view;
}

TFFTBlockWork CachedFFTBlockWork(int n) {
  if (n > cache.workLength) {
    const std::size_t arrayFloats = static_cast<std::size_t>(n) * kFFTBlockLanes;
    std::vector<float>().swap(cache.workStorage);  // free the old block before asking for more
    cache.workLength = 0;
    try {
      cache.workStorage.resize(2 * arrayFloats + 2 * kBlockAlignment / sizeof(float));
    } catch (const std::bad_alloc &) {
      return {};
    }
    cache.workLength = n;
  }
  float *re = Aligned(cache.workStorage.data());
  const std::size_t arrayFloats = static_cast<std::size_t>(cache.workLength) * kFFTBlockLanes;
  return {re, Aligned(re + arrayFloats), cache.workLength};
}

const float *CachedFFTFourStepTwiddles(int m) {
  if (m < 4 || m > kMaxExponent) return nullptr;
  std::vector<float> &slot = cache.fourStep[m];
  if (slot.empty()) {
    const int n = 1 << m;
    const int n1 = n / kFFTBlockLanes;
    try {
      slot.resize(2 * static_cast<std::size_t>(n));
    } catch (const std::bad_alloc &) {
      return nullptr;
    }
    const double step = -2.0 * kPi / n;
    for (int k1 = 0; k1 < n1; ++k1) {
      float *entry = slot.data() + 2 * static_cast<std::size_t>(k1) * kFFTBlockLanes;
      for (int c = 0; c < kFFTBlockLanes; ++c) {
        const double angle = step * static_cast<double>(c * k1);
        entry[c] = static_cast<float>(std::cos(angle));
        entry[kFFTBlockLanes + c] = static_cast<float>(std::sin(angle));
      }
    }
  }
  return slot.data();
}

bool CachedFFTTables(int m, const float **cosTable, const float **sinTable) {
  if (m < 0 || m > kMaxExponent) return false;
  std::unique_ptr<TRadix8Tables> &slot = cache.radix8[m];
  if (!slot) {
    try {
      auto tables = std::make_unique<TRadix8Tables>();
      tables->cosTable.resize(FFTTableSize(m));
      tables->sinTable.resize(FFTTableSize(m));
      FFTTables(m, tables->cosTable.data(), tables->sinTable.data());
      slot = std::move(tables);
    } catch (const std::bad_alloc &) {
      return false;
    }
  }
  *cosTable = slot->cosTable.data();
  *sinTable = slot->sinTable.data();
  return true;
}

#if defined(FFT_HAVE_AVX2_KERNELS)
namespace {
bool CpuRunsAvx2Fma() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
}  // namespace
#endif

const TFFTBlockKernels &BlockKernelsForThisCpu() {
  static const TFFTBlockKernels baseline{fft_block_sse2::TransformRows,
                                         fft_block_sse2::TransformColumns,
                                         fft_block_sse2::Transform1D};
#if defined(FFT_HAVE_AVX2_KERNELS)
  static const TFFTBlockKernels avx2{fft_block_avx2::TransformRows,
                                     fft_block_avx2::TransformColumns,
                                     fft_block_avx2::Transform1D};
  static const bool useAvx2 = CpuRunsAvx2Fma();
  return useAvx2 ? avx2 : baseline;
#else
  return baseline;
#endif
}
