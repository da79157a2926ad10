#pragma once
// A least-squares problem for the engine's tests: the function values come from a
// callable of the stage and the variables; targets, weights and bounds are plain lists.
// It records every evaluation stage and what the engine's damping was at each trial.

#include <cmath>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "optimization/engine/optz.h"

class TTestProblem : public TOptz {
 public:
  // Fills values (m entries) for the variables; false when the evaluation fails.
  using Functions = std::function<bool(int stage, const std::vector<double> &x, std::vector<double> &values)>;

  TTestProblem(std::vector<double> start, int functionCount, Functions functions)
      : TOptz(static_cast<int>(start.size()), functionCount),
        x(std::move(start)),
        lower(x.size(), -std::numeric_limits<double>::infinity()),
        upper(x.size(), std::numeric_limits<double>::infinity()),
        target(static_cast<std::size_t>(functionCount), 0.0),
        weight(static_cast<std::size_t>(functionCount), 1.0),
        evaluate(std::move(functions)) {}

  void SetDefaults() override {
    if (settings) settings(*this);
  }
  int ComputeFunctions(int stage, int) override {
    stages.push_back(stage);
    if (stage == kStageTrial) trialDamping.push_back(Damping[0]);
    std::vector<double> values(static_cast<std::size_t>(m), 0.0);
    if (!evaluate(stage, x, values)) return 0;
    FunctionValues = values;
    return 1;
  }
  void ShowIteration() override { ++shown; }
  void GetVariables(double *out) override {
    for (std::size_t i = 0; i < x.size(); ++i) out[i] = x[i];
  }
  double GetVariable(int i) override { return x[static_cast<std::size_t>(i)]; }
  void SetVariables(const double *in) override {
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = in[i];
  }
  void SetVariable(int i, double value, double) override { x[static_cast<std::size_t>(i)] = value; }
  double UpperBound(int i) override { return upper[static_cast<std::size_t>(i)]; }
  double LowerBound(int i) override { return lower[static_cast<std::size_t>(i)]; }
  double Target(int j) override { return target[static_cast<std::size_t>(j)]; }
  double Weight(int j) override { return weight[static_cast<std::size_t>(j)]; }
  double DerivativeStep(int i, double value) override {
    return step ? step(i, value) : TOptz::DerivativeStep(i, value);
  }
  double BoundPenalty() override {
    penaltyDamping.push_back(Damping[0]);
    return penalty ? penalty() : TOptz::BoundPenalty();
  }

  int Count(int stage) const {
    int count = 0;
    for (int s : stages) count += s == stage ? 1 : 0;
    return count;
  }

  std::vector<double> x;
  std::vector<double> lower;
  std::vector<double> upper;
  std::vector<double> target;
  std::vector<double> weight;
  Functions evaluate;
  std::function<void(TOptz &)> settings;          // applied as the run's SetDefaults
  std::function<double(int, double)> step;        // null: the engine's step rule
  std::function<double()> penalty;                // null: the engine's bound penalty
  std::vector<int> stages;                        // the stage of every evaluation
  std::vector<double> trialDamping;               // Damping[0] at every trial evaluation
  std::vector<double> penaltyDamping;             // Damping[0] before every penalty check
  int shown = 0;
};

// Functions that ignore the stage: values = f(x).
template <class F>
TTestProblem::Functions AtAnyStage(F f) {
  return [f](int, const std::vector<double> &x, std::vector<double> &values) {
    f(x, values);
    return true;
  };
}
