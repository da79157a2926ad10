#pragma once
// One optimization run of the edited system: the checks before it, the default parameter
// file, the damped-least-squares loop over TKorvexOptz, restoring the configuration of the
// start, and the report of what went wrong. Window-free: the host supplies the message
// pump and the progress window.

#include <string>

#include "optimization/system/run_pump.h"

class TConfiguredSystem;
class TOptimizationFunctions;
class TOptimizationParameters;
class TKorvexOptz;

// What a run needs of the windows around it.
class TOptimizationRunHost : public TRunPump {
 public:
  // The run begins: its message queue is entered and the progress window shown (Ok and
  // UnDo disabled).
  virtual void BeginRun() = 0;
  // A step was accepted; the system has its new variables.
  virtual void IterationAccepted(const TKorvexOptz &) {}
  // The run is over: the queue is left and the progress window offers Ok and UnDo.
  virtual void EndRun() = 0;
  // The run ended in a fault: the system goes back to what it was before the run (the
  // variables as they were, not on the bounds the start put them on). True when it did.
  virtual bool LeaveSystemAsItWas() { return false; }
};

// How a run ended.
enum TOptimizationRunResult : int {
  kRunRefused = 0,     // a check failed before the run (its warning was shown)
  kRunCompleted = 1,   // the merit converged, the iterations were used up or no step gained
  kRunStopped = 2,     // the user stopped it; the variables of the last accepted step stay
  kRunFailed = 3,      // the evaluation failed; its reason was shown
};

// The run. defaultParameterFile (may be empty) receives the parameters and the merit
// functions first. Every message is shown through the message-box provider.
TOptimizationRunResult RunOptimization(TConfiguredSystem &system, TOptimizationParameters &parameters,
                                       TOptimizationFunctions &functions, TOptimizationRunHost &host,
                                       const std::string &defaultParameterFile);

// The text of the fault report for the set's fault record ("System optimization is
// fault! ...").
std::string FaultReport(const TOptimizationFunctions &functions);
