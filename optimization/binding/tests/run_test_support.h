#pragma once
// Shared set-up of the evaluation and run tests: example systems loaded with the shipped
// catalogs, a merit-function set with chosen weights, and a run host that pumps, counts and
// can stop the run after a given number of pumps.

#include <functional>
#include <string>
#include <vector>

#include "optics/model/tests/system_test_support.h"
#include "optimization/binding/korvex_optz.h"
#include "optimization/binding/optimization_run.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/parameters/optimization_parameters.h"
#include "optimization/system/configured_system.h"

// A pump that answers "go on" until stopAt pumps were made (0: never stops), and "stop"
// from then on, as a message queue that was left does.
class TCountingPump : public TRunPump {
 public:
  int Pump() override {
    ++pumps;
    return stopAt > 0 && pumps >= stopAt ? 0 : 1;
  }
  int pumps = 0;
  int stopAt = 0;
};

class TTestRunHost : public TOptimizationRunHost {
 public:
  int Pump() override {
    ++pumps;
    return stopAt > 0 && pumps >= stopAt ? 0 : 1;
  }
  void BeginRun() override { ++begun; }
  void EndRun() override { ++ended; }
  void IterationAccepted(const TKorvexOptz &optz) override {
    accepted.push_back(optz.Values);
    if (onAccepted) onAccepted(*this);
  }
  int pumps = 0;
  int stopAt = 0;
  int begun = 0;
  int ended = 0;
  std::vector<std::vector<double>> accepted;  // the variables after each accepted step
  std::function<void(TTestRunHost &)> onAccepted;
};

class EvaluationTest : public SystemTest {
 protected:
  void Load(TOpticalSystem &system, const std::string &example) {
    ASSERT_EQ(system.ReadFile(ExamplePath(example), 0), 1) << example;
  }
  // Every weight of every record 0, then the set's index rebuilt.
  static void ClearWeights(TOptimizationFunctions &set) {
    for (int k = 0; k < set.records.cols * set.records.rows; ++k) {
      TFunctionsParameters &r = set.records.data[k];
      for (Mem<TFunctionDescription> *table : {&r.Focus, &r.Magnification, &r.Sfs, &r.LengthOfSystem, &r.Distor,
                                               &r.Strehl, &r.AberT, &r.AberTSag, &r.AberW, &r.AberWSag})
        for (int i = 0; i < table->cols * table->rows; ++i) table->data[i].Weight = 0.0;
      r.Narciss.Weight = 0.0;
    }
  }
  // Target and weight on every cell of a table.
  static void Weigh(Mem<TFunctionDescription> &table, double target, double weight) {
    for (int i = 0; i < table.cols * table.rows; ++i) {
      table.data[i].Target = target;
      table.data[i].Weight = weight;
    }
  }
};
