#pragma once
// TKorvexOptz: the damped-least-squares engine bound to the edited optical system. Its
// variables are the variable parameters, its function values, targets and weights those of
// the merit-function set; every evaluation and accepted iteration is shown in the current
// progress window (when one exists).

#include <string>
#include <vector>

#include "optimization/engine/optz.h"
#include "platform/core/types.h"

class TOptimizationFunctions;
class TOptimizationParameters;

class TKorvexOptz : public TOptz {
 public:
  // Derivative steps: 0.001 of the value, and where that is below kSmallestStep the rule of
  // DerivativeStep.
  static constexpr double kRelativeStep = 0.001;
  static constexpr double kSmallestStep = 1e-9;
  // A footprint height at or below this gives no step of its own.
  static constexpr double kFootprintFloor = 1e-6;

  // n parameters, m function values.
  TKorvexOptz(int n, int m);

  // 1 when the iteration limit is reached or the merit is at or below the tolerance.
  int IsFinished() const;

  double DerivativeStep(int i, double value) override;
  // StopFlag, or a stop the user asked for through the run's pump: the iteration in
  // progress then ends at its next check instead of spending its damping trials.
  int StopRequested() override;
  void SetDefaults() override;
  int ComputeFunctions(int stage, int index) override;
  void ShowIteration() override;
  void GetVariables(double *out) override;
  double GetVariable(int i) override;
  void SetVariables(const double *in) override;
  void SetVariable(int i, double value, double change) override;
  double UpperBound(int i) override;
  double LowerBound(int i) override;
  double Target(int j) override;
  double Weight(int j) override;

  // The text of the stage field for a stage; empty for an unknown stage.
  static const char *StageText(int stage);
  // "mm:ss" of the whole seconds in elapsedMs (rounded), hours dropped.
  static std::string ElapsedText(DWORD elapsedMs);

  int Stage = -1;  // the stage whose text the window shows
  TOptimizationParameters *Parameters = nullptr;
  TOptimizationFunctions *Functions = nullptr;
  int EvaluationCount = 0;
  int ExpectedEvaluations = 0;
  DWORD StartTime = 0;
  int StopFlag = 0;
  std::vector<double> Values;  // the last value set for each variable

 private:
  void ShowField(int id, const std::string &text) const;
  void ShowTime() const;
};
