// Speed of the optimizer engine's linear algebra: building the normal equations of n
// variables from m function differences, then factoring and solving them in packed storage.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "optimization/engine/normal_equations.h"

namespace {

struct TEquations {
  TEquations(int n, int m) : jacobian(static_cast<std::size_t>(n) * m), weights(m), residuals(m), scratch(m),
                             matrix(PackedSize(n)), rhs(n) {
    std::mt19937 random(1);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (double &v : jacobian) v = uniform(random);
    for (double &v : weights) v = 1.0 + 0.5 * uniform(random);
    for (double &v : residuals) v = uniform(random);
  }
  std::vector<double> jacobian, weights, residuals, scratch, matrix, rhs;
};

// One damping trial's linear algebra from scratch: A and b, the damping, the factor and the
// solve. Items are the n(n+1)/2 x m products of the normal matrix.
void BM_NormalEquationsBuildAndSolve(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const int m = static_cast<int>(state.range(1));
  TEquations e(n, m);
  const std::vector<double> damping(n, 1e-6);
  for (auto _ : state) {
    BuildNormalEquations(e.jacobian.data(), e.weights.data(), e.residuals.data(), n, m, e.matrix.data(),
                         e.rhs.data(), e.scratch.data());
    AddDamping(kDampingAdditive, damping.data(), n, 0.0, false, e.matrix.data());
    const bool factored = FactorPacked(e.matrix.data(), n);
    if (factored) SolveFactored(e.matrix.data(), n, e.rhs.data());
    benchmark::DoNotOptimize(factored);
    benchmark::DoNotOptimize(e.rhs.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(PackedSize(n)) * m);
}
BENCHMARK(BM_NormalEquationsBuildAndSolve)->Args({10, 200})->Args({50, 2000})->Unit(benchmark::kMicrosecond);

// The factor and solve alone, as every further damping trial of an iteration pays them.
void BM_NormalEquationsFactorAndSolve(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const int m = 2000;
  TEquations e(n, m);
  BuildNormalEquations(e.jacobian.data(), e.weights.data(), e.residuals.data(), n, m, e.matrix.data(),
                       e.rhs.data(), e.scratch.data());
  const std::vector<double> undamped = e.matrix;
  const std::vector<double> rhs = e.rhs;
  const std::vector<double> damping(n, 1e-6);
  for (auto _ : state) {
    e.matrix = undamped;
    e.rhs = rhs;
    AddDamping(kDampingAdditive, damping.data(), n, 0.0, false, e.matrix.data());
    const bool factored = FactorPacked(e.matrix.data(), n);
    if (factored) SolveFactored(e.matrix.data(), n, e.rhs.data());
    benchmark::DoNotOptimize(factored);
    benchmark::DoNotOptimize(e.rhs.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NormalEquationsFactorAndSolve)->Arg(50)->Unit(benchmark::kMicrosecond);

}  // namespace
