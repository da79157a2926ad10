// Speed of the optimizer engine's linear algebra: building the normal equations of n
// variables from m function differences, then factoring and solving them in packed storage.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/bench_systems.h"
#include "optics/model/optical_system.h"
#include "optimization/binding/korvex_optz.h"
#include "optimization/engine/normal_equations.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/parameters/optimization_parameters.h"
#include "optimization/system/configured_system.h"
#include "optimization/system/run_pump.h"

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

// One evaluation of the merit functions and one iteration of the bound engine on the Cooke
// triplet: 3 configurations (the last gap differing), 3 beams (0, 14, 20 degrees) and 3
// wavelengths, fans of 21 rays, every beam's transverse and wave aberrations weighted.
namespace {

class TTripletConfigurations final : public TConfiguredSystem {
 public:
  explicit TTripletConfigurations(TOpticalSystem &system) : system_(system) {}
  // The image plane's place in configuration 0, once the system is built.
  void TakeBase() { base_ = system_.Surface(7)->general.vertex[0]; }
  TOpticalSystem &System() override { return system_; }
  int ConfigurationCount() const override { return 3; }
  int CurrentConfiguration() const override { return current_; }
  int SelectConfiguration(int i) override {
    if (i < 0 || i > 2) return 0;
    if (i == current_) return 1;
    current_ = i;
    system_.Surface(7)->SetPosition(base_ + 0.05 * i, 0.0, 0.0);
    return 1;
  }
  void StoreConfiguration(int) override {}

 private:
  TOpticalSystem &system_;
  double base_ = 0.0;
  int current_ = 0;
};

class TGoOn final : public TRunPump {
 public:
  int Pump() override { return 1; }
};

struct TTripletRun {
  TTripletRun() : configured(system) {
    bench::AddTriplet(system, 30.0, 8.0, 40.0);
    system.info.AutoSetPupilParameters = 0;
    system.info.Naper = 5;
    system.info.Dentr = 10.0;
    system.info.MonochromeSystem = 0;
    system.info.Spectrum.Allocate(3, 1);
    const double lambdas[3] = {0.48, 0.55, 0.65};
    for (int w = 0; w < 3; ++w) system.info.Spectrum.data[w] = TSpectralInfo{lambdas[w], 1.0};
    system.info.LambdaW = 0.55;
    system.info.AlfaM.Allocate(3, 1);
    const double fields[3] = {0.0, 14.0, 20.0};
    for (int k = 0; k < 3; ++k) system.info.AlfaM.data[k] = fields[k];
    system.info.Nray = 21;
    system.Prepare(0.0, 1, 0);
    configured.TakeBase();
    functions.Rebuild(&configured);
    functions.PolychromeOptimization = 1;
    for (int k = 0; k < functions.records.cols * functions.records.rows; ++k) {
      TFunctionsParameters &r = functions.records.data[k];
      r.NrayInBeam = 21;
    }
    functions.SetConfigurations();
    for (int k = 0; k < functions.records.cols * functions.records.rows; ++k) {
      TFunctionsParameters &r = functions.records.data[k];
      for (int j = 0; j < r.AberT.cols * r.AberT.rows; ++j) {
        r.AberT.data[j].Weight = 1.0;
        r.AberW.data[j].Weight = 0.1;
      }
    }
    functions.BuildIndex();
    functions.runPump = &pump;
    parameters.SetOwner(&configured);
    for (int s = 1; s <= 6; ++s) {
      TParameterDescription p;
      p.Set(0, s, "R", -0.2, 0.2);
      parameters.Add(p);
    }
    for (int s = 1; s <= 4; ++s) {
      TParameterDescription p;
      p.Set(0, s, "T", 0.5, 10.0);
      parameters.Add(p);
    }
    parameters.ReadFromSystem();
  }
  TOpticalSystem system;
  TTripletConfigurations configured;
  TOptimizationFunctions functions;
  TOptimizationParameters parameters;
  TGoOn pump;
};

// Items: the fan rays traced (3 x 3 x 3 x 21).
void BM_MeritCompute(benchmark::State &state) {
  TTripletRun run;
  run.functions.GatherFootprint = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(run.functions.Compute());
  state.SetItemsProcessed(state.iterations() * 3 * 3 * 3 * 21);
  state.SetLabel(state.range(0) != 0 ? "fans one by one with hits" : "fans through the batch trace");
}
BENCHMARK(BM_MeritCompute)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One iteration with 10 variables: a base evaluation, 10 derivative evaluations and the
// damping trials it needs.
void BM_OptimizerIteration(benchmark::State &state) {
  TTripletRun run;
  TKorvexOptz optz(run.parameters.Count(), run.functions.Count());
  optz.Parameters = &run.parameters;
  optz.Functions = &run.functions;
  optz.Start();
  std::vector<double> start(static_cast<std::size_t>(optz.n));
  optz.GetVariables(start.data());
  for (auto _ : state) {
    optz.Iterate();
    state.PauseTiming();
    optz.SetVariables(start.data());
    optz.Start();
    state.ResumeTiming();
  }
  state.counters["variables"] = optz.n;
  state.counters["functions"] = optz.m;
}
BENCHMARK(BM_OptimizerIteration)->Unit(benchmark::kMillisecond);

}  // namespace
