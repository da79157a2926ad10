#include "optimization/binding/optimization_run.h"

#include <cstdio>

#include "optics/model/optical_system.h"
#include "optimization/binding/korvex_optz.h"
#include "optimization/binding/optimization_progress.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/parameters/optimization_parameters.h"
#include "optimization/system/configured_system.h"
#include "platform/core/message_box.h"

namespace {

constexpr char kWarning[] = "Warning";
constexpr char kFaultCaption[] = "Optimization fault";

void Warn(const std::string &text) { MessageBox(nullptr, text, kWarning, MB_OK | MB_ICONEXCLAMATION); }

// A "T" parameter on the surface in front of the image surface, in any configuration.
bool MovesLastGap(const TOptimizationParameters &parameters, int surfaceCount) {
  for (int i = 0; i < parameters.Count(); ++i) {
    const TParameterDescription p = parameters.Get(i);
    if (p.Type == "T" && p.Surf == surfaceCount - 2) return true;
  }
  return false;
}

// Why the evaluation failed, for the user; empty when there is nothing to tell (the user
// stopped the run).
std::string FailureText(const TOptimizationFunctions &functions) {
  switch (functions.Failure()) {
    case kEvaluationFault:
      return FaultReport(functions);
    case kEvaluationUnknownGlass:
      return "System optimization is fault!\n\nThese glasses are absent or not transparent:\n" +
             functions.UnknownGlasses();
    case kEvaluationUnprepared:
      return "System optimization is fault!\n\nThe system cannot be prepared for tracing.";
    case kEvaluationNotRunning:
      return "System optimization is fault!\n\nThe merit functions cannot be computed.";
    default:
      return "";
  }
}

// Why the run ended, for the progress window's stage field: the last stage's text
// ("Constraints violation" of the restoring evaluation) and the damping grown past every
// bound ("Infinity") would otherwise stand there, and tell the user nothing of the cause.
std::string StopText(const TKorvexOptz &optz, bool started, bool stopped, TEvaluationFailure failure) {
  if (stopped) return "Stopped by the user";
  if (!started || failure != kEvaluationDone) return "Stopped: the rays fail";
  if (optz.Merit <= optz.MeritTolerance || optz.IsConverged()) return "Done: the merit is at its floor";
  if (optz.Iteration >= optz.MaxIterations) return "Done: " + std::to_string(optz.MaxIterations) + " iterations";
  char text[64];
  switch (optz.StopReason) {
    case TOptzStop::kHeldAtBound:
      std::snprintf(text, sizeof text, "Done: parameter %d is at its bound", optz.BlockingVariable + 1);
      return text;
    case TOptzStop::kNoAcceptedTrial:
      // The gain rule: at the minimum along the variables no step can gain that much.
      std::snprintf(text, sizeof text, "Done: no step gains %g %%", optz.GainThreshold * 100.0);
      return text;
    case TOptzStop::kEvaluationFailed:
      return "Stopped: the rays fail";
    default:
      return "Done";
  }
}

void ShowStopText(const std::string &text) {
  if (TOptimizationProgress *viewer = CurrentOptimizationViewer()) {
    viewer->SetFieldText(kViewerStage, text);
    // The largest damping of the trials spent says nothing once the run is over.
    viewer->SetFieldText(kViewerParameter, "");
  }
}

}  // namespace

std::string FaultReport(const TOptimizationFunctions &functions) {
  const TOptimizationFault &fault = functions.fault;
  std::string text = "System optimization is fault!\n\n       Motive:\n";
  char line[160];
  int k = 0;
  auto motive = [&](int flag, const char *format) {
    if (flag == 0) return;
    std::snprintf(line, sizeof line, format, ++k);
    text += line;
  };
  motive(fault.general, "%d. Do not calculate general parameters\n");
  motive(fault.chief, "%d. Chief ray does not pass\n");
  motive(fault.missed, "%d. There are rays without an intersection with optical surfaces\n");
  motive(fault.reflected, "%d. There are rays with internal reflection\n");
  std::snprintf(line, sizeof line, "\n1. Decrease pupil diameter by value %g mm\n", fault.SumOfPair());
  text += line;
  text += "2. Repeat the optimization process again";
  return text;
}

TOptimizationRunResult RunOptimization(TConfiguredSystem &system, TOptimizationParameters &parameters,
                                       TOptimizationFunctions &functions, TOptimizationRunHost &host,
                                       const std::string &defaultParameterFile) {
  parameters.RemoveInvalid();
  parameters.ReadFromSystem();
  if (functions.SettingImageSurfaceType != kImageSurfaceStays &&
      MovesLastGap(parameters, system.System().SurfaceCount())) {
    Warn(
        "Discrepancy between functions and parameters!\n\nFunctions - place image surface,\n"
        "Parameter - 'T' in last surface.");
    return kRunRefused;
  }
  if (parameters.Count() == 0) {
    Warn("It is necessary to set though one parameter!");
    return kRunRefused;
  }
  if (functions.Count() == 0) {
    Warn("It is necessary to set though one function!");
    return kRunRefused;
  }
  // No value satisfies crossed bounds: every step would be withdrawn.
  const int crossed = parameters.FirstCrossedBounds();
  if (crossed >= 0) {
    Warn(parameters.CrossedBoundsMessage(crossed));
    return kRunRefused;
  }
  if (!defaultParameterFile.empty()) {
    parameters.Write(defaultParameterFile);
    functions.Write(defaultParameterFile);
  }

  functions.RunStartConfiguration = system.CurrentConfiguration();
  functions.runPump = &host;
  host.BeginRun();
  TKorvexOptz optz(parameters.Count(), functions.Count());
  optz.Parameters = &parameters;
  optz.Functions = &functions;
  optz.Stage = -1;
  const int started = optz.Start();
  bool stopped = false;
  if (started != 0) {
    for (;;) {
      if (host.Pump() == 0) {
        stopped = true;
        break;
      }
      if (optz.IsFinished() != 0 || optz.Iterate() == 0) break;
      host.IterationAccepted(optz);
    }
  }
  // The iteration in progress when the user stopped ended without a step: its evaluations
  // failed, and the engine took the variables back to the last accepted point.
  if (functions.Failure() == kEvaluationStopped) stopped = true;
  const TEvaluationFailure failure = functions.Failure();
  const TOptimizationFault fault = functions.fault;
  ShowStopText(StopText(optz, started != 0, stopped, failure));
  functions.runPump = nullptr;
  host.EndRun();
  functions.RestoreSystem();

  // A run whose start could not be evaluated, or whose last evaluation failed, says why.
  const bool startFailed = started == 0 && failure != kEvaluationStopped;
  const bool lastFailed = fault.AnyFlagSet() != 0 || (failure != kEvaluationDone && failure != kEvaluationStopped);
  if (startFailed || lastFailed) {
    const std::string text = FailureText(functions);
    if (!text.empty()) MessageBox(nullptr, text, kFaultCaption, MB_OK | MB_ICONEXCLAMATION);
    return kRunFailed;
  }
  return stopped ? kRunStopped : kRunCompleted;
}
