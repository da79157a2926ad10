// Speed of the small dense matrices and of building a Mem list one append at a time.

#include <benchmark/benchmark.h>

#include "foundation/numerics/matrix.h"
#include "foundation/containers/mem.h"
#include "foundation/numerics/random.h"
#include "foundation/numerics/rotator.h"

namespace {

Matrix RandomMatrix(int n) {
  SeedRandom(1);
  Matrix m(n, n);
  for (int k = 0; k < n * n; ++k) m.data[k] = RandomUniform(-1.0, 1.0);
  for (int i = 0; i < n; ++i) m.data[i * n + i] += n;  // keep it well conditioned
  return m;
}

void BM_MatrixProduct(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const Matrix a = RandomMatrix(n);
  const Matrix b = Transpose(a);
  for (auto _ : state) {
    Matrix product = a * b;
    benchmark::DoNotOptimize(product.data);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MatrixProduct)->Arg(3)->Arg(10)->Arg(40);

void BM_MatrixInverse(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const Matrix a = RandomMatrix(n);
  for (auto _ : state) {
    Matrix inverse = Pow(a, -1);
    benchmark::DoNotOptimize(inverse.data);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MatrixInverse)->Arg(3)->Arg(6)->Arg(12);

void BM_RotatorTransform(benchmark::State &state) {
  const TRotator rotator(DANGLE3(0.1, 0.2, 0.3), DPOINT3(1, 2, 3));
  DPOINT3 p(0.5, -0.25, 2.0);
  for (auto _ : state) {
    p = rotator.Transform(p);
    benchmark::DoNotOptimize(p);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RotatorTransform);

// Every append builds a new block: n appends cost of the order of n^2 cell copies.
void BM_MemAppend(benchmark::State &state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Mem<double> list;
    for (int k = 0; k < count; ++k) list.Append(k);
    benchmark::DoNotOptimize(list.data);
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_MemAppend)->Arg(100)->Arg(1000);

}  // namespace
