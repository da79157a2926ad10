#include "optimization/binding/optimization_run.h"

#include <cstdio>

#include "foundation/filewrite/file_replace.h"
#include "optics/model/optical_system.h"
#include "optics/model/ray.h"
#include "optimization/binding/korvex_optz.h"
#include "optimization/binding/optimization_progress.h"
#include "optimization/binding/parameter_file_write.h"
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

// The fan rays a rim stops at the run's start, and at its end once it is over: the merit
// counts them as rays of the open lens, so the vignetting it does not weigh is seen.
void ShowStoppedFanRays(int atStart, int atEnd) {
  if (TOptimizationProgress *viewer = CurrentOptimizationViewer()) {
    std::string text = std::to_string(atStart);
    if (atEnd >= 0) text += " -> " + std::to_string(atEnd);
    viewer->SetFieldText(kViewerStoppedRays, text);
  }
}

void ShowStopText(const std::string &text) {
  if (TOptimizationProgress *viewer = CurrentOptimizationViewer()) {
    viewer->SetFieldText(kViewerStage, text);
    // The largest damping of the trials spent says nothing once the run is over.
    viewer->SetFieldText(kViewerParameter, "");
  }
}

// The beam as the functions list it: its Y field, and its Z field when it has one.
std::string BeamName(const TOptimizationFault &fault) {
  char text[64];
  if (fault.chiefFieldZ != 0.0)
    std::snprintf(text, sizeof text, "beam (%g, %g)", fault.chiefFieldY, fault.chiefFieldZ);
  else
    std::snprintf(text, sizeof text, "beam %g", fault.chiefFieldY);
  return text;
}

std::string SurfaceName(const TOptimizationFault &fault) {
  char text[64];
  std::snprintf(text, sizeof text, fault.chiefOnImage ? "surface %d (the image surface)" : "surface %d",
                fault.chiefSurface);
  return text;
}

std::string StoppedChiefText(const TOptimizationFault &fault) {
  char text[256];
  const std::string beam = BeamName(fault), surface = SurfaceName(fault);
  switch (fault.chiefStatus) {
    case kRayOutsideAperture:
      std::snprintf(text, sizeof text,
                    "The chief ray of %s meets %s %.4g mm from the centre of its rim, outside its semi-height of %g mm.\n",
                    beam.c_str(), surface.c_str(), fault.chiefHeight, fault.chiefSemiHeight);
      break;
    case kRayTotalReflection:
      std::snprintf(text, sizeof text, "The chief ray of %s is totally reflected at %s.\n", beam.c_str(),
                    surface.c_str());
      break;
    case kRayMissedSurface:
      std::snprintf(text, sizeof text, "The chief ray of %s misses %s.\n", beam.c_str(), surface.c_str());
      break;
    default:
      std::snprintf(text, sizeof text, "The chief ray of %s is stopped at %s.\n", beam.c_str(), surface.c_str());
      break;
  }
  return text;
}

// No aim through the stop's centre lets the beam's chief ray through: its field lies
// beyond what the system takes in, which no smaller pupil changes.
std::string FieldTooWideText(const TOptimizationFault &fault) {
  return "No chief ray of " + BeamName(fault) +
         " reaches the centre of the stop: the field is too wide for the system.\n";
}

std::string ChiefAdvice(const TOptimizationFault &fault) {
  char text[256];
  const std::string beam = BeamName(fault);
  if (fault.chiefStatus == kRayOutsideAperture) {
    std::snprintf(text, sizeof text, "Raise the semi-height of surface %d above %.4g mm, or set %s nearer the axis",
                  fault.chiefSurface, fault.chiefHeight, beam.c_str());
  } else {
    std::snprintf(text, sizeof text, "Set %s nearer the axis, or change surface %d", beam.c_str(),
                  fault.chiefSurface);
  }
  return text;
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
  // A stopped chief ray is told where it stopped and what lets it pass: a smaller pupil
  // cannot move a chief ray. The pupil advice stays for the rays of the fans.
  const bool chiefPlaced = fault.chief != 0 && fault.chiefSurface > 0;
  const bool fieldTooWide = fault.chief != 0 && !fault.chiefFound;
  if (chiefPlaced) text += "\n" + StoppedChiefText(fault);
  if (fieldTooWide) text += "\n" + FieldTooWideText(fault);
  int advice = 0;
  text += "\n";
  if (chiefPlaced || fieldTooWide) {
    std::snprintf(line, sizeof line, "%d. %s\n", ++advice,
                  chiefPlaced ? ChiefAdvice(fault).c_str() : ("Set " + BeamName(fault) + " nearer the axis").c_str());
    text += line;
  }
  if (!(chiefPlaced || fieldTooWide) || fault.missed != 0 || fault.reflected != 0) {
    std::snprintf(line, sizeof line, "%d. Decrease pupil diameter by value %g mm\n", ++advice, fault.SumOfPair());
    text += line;
  }
  std::snprintf(line, sizeof line, "%d. Repeat the optimization process again", ++advice);
  text += line;
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
  // A glass that gives no index at a wavelength leaves nothing to trace: said by its name.
  if (const std::string range = system.System().GlassRangeFault(); !range.empty()) {
    Warn("System optimization is fault!\n\nThe system cannot be traced: " + range + ".");
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
  // The file keeps what the run starts from; one that cannot be written is told, and the
  // run goes on with the values in memory.
  if (!defaultParameterFile.empty()) {
    if (const TFileWriteResult why = WriteParameterFile(defaultParameterFile, defaultParameterFile, &parameters, functions);
        !why.Written())
      Warn(FileWriteFaultText(defaultParameterFile, why) +
           "\nThe run goes on with the variables and merit functions as they are in the panel.");
  }

  functions.RunStartConfiguration = system.CurrentConfiguration();
  functions.runPump = &host;
  host.BeginRun();
  TKorvexOptz optz(parameters.Count(), functions.Count());
  optz.Parameters = &parameters;
  optz.Functions = &functions;
  optz.Stage = -1;
  const int started = optz.Start();
  // The start's evaluation is the last before the first iteration.
  const int stoppedAtStart = functions.fault.stoppedFanRays;
  if (started != 0) ShowStoppedFanRays(stoppedAtStart, -1);
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
  // The last evaluation is that of the variables the run ends with: the accepted trial, or
  // the iteration's start taken back.
  if (started != 0) ShowStoppedFanRays(stoppedAtStart, fault.stoppedFanRays);
  functions.runPump = nullptr;
  host.EndRun();
  functions.RestoreSystem();

  // A run whose start could not be evaluated, or whose last evaluation failed, says why.
  const bool startFailed = started == 0 && failure != kEvaluationStopped;
  const bool lastFailed = fault.AnyFlagSet() != 0 || (failure != kEvaluationDone && failure != kEvaluationStopped);
  if (startFailed || lastFailed) {
    // A run reported as failed keeps nothing of what it tried.
    const bool leftAsItWas = host.LeaveSystemAsItWas();
    std::string text = FailureText(functions);
    if (!text.empty() && leftAsItWas) text += "\n\nThe system was left as it was before the run.";
    if (!text.empty()) MessageBox(nullptr, text, kFaultCaption, MB_OK | MB_ICONEXCLAMATION);
    return kRunFailed;
  }
  return stopped ? kRunStopped : kRunCompleted;
}
