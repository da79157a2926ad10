#include "optimization/binding/korvex_optz.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/numtext/number_text.h"
#include "optics/model/optical_system.h"
#include "optimization/binding/optimization_progress.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/parameters/optimization_parameters.h"
#include "optimization/system/configured_system.h"
#include "platform/core/clock.h"

namespace {

TOptimizationProgress *gCurrentViewer = nullptr;

// Settings of a run of the optical system.
constexpr int kMaxIterations = 100;
constexpr int kMaxDampingTrials = 35;
constexpr double kGainThreshold = 0.01;
constexpr double kMeritTolerance = 1e-16;
constexpr double kDampingFactor = 1e-6;
constexpr double kDampingGrowth = 5.0;
// Number formats of the window's fields: width 9, 3 digits, and the value shown as 0.
constexpr int kFieldWidth = 9;
constexpr int kFieldDigits = 3;
constexpr double kMeritZero = 1e-15;
constexpr double kGainZero = 1e-8;
constexpr double kDampingZero = 1e-12;
constexpr int kGaugeRange = 100;
// The aspheric coefficient whose step the footprint decides lives on surfaces of this type.
constexpr int kFootprintAsphericType = 4;

std::string Format(double value, double zero) { return FormatDouble(value, kFieldWidth, kFieldDigits, zero); }

}  // namespace

TOptimizationProgress *CurrentOptimizationViewer() { return gCurrentViewer; }
void SetCurrentOptimizationViewer(TOptimizationProgress *viewer) { gCurrentViewer = viewer; }

TKorvexOptz::TKorvexOptz(int variableCount, int functionCount)
    : TOptz(variableCount, functionCount), StartTime(GetTickCount()) {
  if (HasStorage()) Values.assign(static_cast<std::size_t>(n), 0.0);
}

int TKorvexOptz::IsFinished() const {
  // Below the engine's floor no gain is measured: the run is over there too.
  return Iteration >= MaxIterations || Merit <= MeritTolerance || IsConverged() ? 1 : 0;
}

const char *TKorvexOptz::StageText(int stage) {
  switch (stage) {
    case kStageFirst:
      return "Computing 1-st step";
    case kStageBase:
      return "Computing iteration init. data";
    case kStageDerivative:
      return "Computing derivatives";
    case kStageTrial:
      return "Damping step process";
    case kStageRestore:
      return "Constraints violation";
    default:
      return "";
  }
}

std::string TKorvexOptz::ElapsedText(DWORD elapsedMs) {
  const long seconds = static_cast<long>((static_cast<double>(elapsedMs) + 0.5) * 0.001);
  char text[16];
  std::snprintf(text, sizeof text, "%02ld:%02ld", (seconds % 3600) / 60, seconds % 60);
  return text;
}

void TKorvexOptz::ShowField(int id, const std::string &text) const {
  if (TOptimizationProgress *viewer = CurrentOptimizationViewer()) viewer->SetFieldText(id, text);
}

void TKorvexOptz::ShowTime() const { ShowField(kViewerTime, ElapsedText(GetTickCount() - StartTime)); }

int TKorvexOptz::StopRequested() {
  if (StopFlag != 0) return StopFlag;
  return Functions != nullptr && Functions->Failure() == kEvaluationStopped ? 1 : 0;
}

void TKorvexOptz::SetDefaults() {
  MaxIterations = kMaxIterations;
  MaxDampingTrials = kMaxDampingTrials;
  GainThreshold = kGainThreshold;
  MeritTolerance = kMeritTolerance;
  DampingMode = kDampingMultiplicative;
  DampingFactor = kDampingFactor;
  DampingGrowth = kDampingGrowth;
  Gain = 0.0;
  TrialPenalty = 0.0;
  if (!Values.empty()) GetVariables(Values.data());
}

double TKorvexOptz::DerivativeStep(int i, double value) {
  const double h = kRelativeStep * value;
  if (std::fabs(h) >= kSmallestStep) return h;
  if (Parameters == nullptr || Functions == nullptr || Functions->System() == nullptr) return kSmallestStep;
  const TParameterDescription p = Parameters->Get(i);
  const Mem<DPOINT3> &footprint = Functions->footprint;
  if (p.Surf < 0 || footprint.data == nullptr || p.Surf >= footprint.cols * footprint.rows) return kSmallestStep;
  // The largest sag (a) and height (b) the rays reached on the surface.
  const double a = footprint.data[p.Surf].x;
  const double b = footprint.data[p.Surf].y;
  if (std::fabs(b) <= kFootprintFloor) return kSmallestStep;
  if (p.Type == "R") return kRelativeStep * (1.0 - value * a) / (b * b);
  if (!p.Type.empty() && p.Type[0] == 'A') {
    const TSurface *surface = Functions->System()->System().Surface(p.Surf);
    const int k = TOptimizationParameters::CoefficientIndex(p.Type);
    if (surface != nullptr && surface->GetType() == kFootprintAsphericType && k >= 0)
      return kRelativeStep * a / std::pow(b * b, k);
  }
  return kSmallestStep;
}

int TKorvexOptz::ComputeFunctions(int stage, int index) {
  if (Functions == nullptr) return 0;
  if (stage != Stage) {
    ShowField(kViewerStage, StageText(stage));
    if (stage == kStageFirst) {
      EvaluationCount = 0;
      ExpectedEvaluations = m;
    } else if (stage == kStageBase) {
      EvaluationCount = 0;
      ExpectedEvaluations = (n + MaxDampingTrials + 2) * m;
    }
    Stage = stage;
  }
  if (stage == kStageDerivative) {
    ShowField(kViewerParameter, FormatInt(index + 1));
  } else if (stage == kStageTrial || stage == kStageRestore) {
    const double largest = Damping.empty() ? 0.0 : *std::max_element(Damping.begin(), Damping.end());
    ShowField(kViewerParameter, FormatDouble(largest, kFieldWidth, kFieldDigits, kDampingZero));
  }
  // The derivative steps of an iteration come from the footprint of its base evaluation.
  Functions->GatherFootprint = stage == kStageFirst || stage == kStageBase ? 1 : 0;
  // A set that no longer has the m functions the run was built for cannot feed it.
  if (Functions->Count() != m || FunctionValues.size() != static_cast<std::size_t>(m)) return 0;
  if (Functions->Compute() == 0) return 0;
  for (int j = 0; j < m; ++j) FunctionValues[static_cast<std::size_t>(j)] = Functions->Value(j);
  EvaluationCount += m;
  if (TOptimizationProgress *viewer = CurrentOptimizationViewer()) {
    const double share = ExpectedEvaluations > 0 ? static_cast<double>(EvaluationCount) / ExpectedEvaluations : 1.0;
    viewer->SetGaugePosition(std::clamp(static_cast<int>(kGaugeRange * share + 0.5), 0, kGaugeRange));
    viewer->SetFieldText(kViewerFunction, FormatInt(m - 1));
  }
  ShowTime();
  return 1;
}

void TKorvexOptz::ShowIteration() {
  if (CurrentOptimizationViewer() == nullptr) return;
  ShowField(kViewerIteration, FormatInt(Iteration));
  ShowField(kViewerCurrentMerit, Format(Merit, kMeritZero));
  ShowField(kViewerPreviousMerit, Format(PrevMerit, kMeritZero));
  ShowField(kViewerCurrentUnweighted, "( " + Format(MeritUnweighted, kMeritZero) + " )");
  ShowField(kViewerPreviousUnweighted, "( " + Format(PrevMeritUnweighted, kMeritZero) + " )");
  ShowField(kViewerSpeed, Format(Gain, kGainZero));
  ShowTime();
}

void TKorvexOptz::GetVariables(double *out) {
  for (int i = 0; i < n; ++i) out[i] = GetVariable(i);
}

double TKorvexOptz::GetVariable(int i) { return Parameters != nullptr ? Parameters->Value(i) : 0.0; }

void TKorvexOptz::SetVariables(const double *in) {
  for (int i = 0; i < n; ++i) SetVariable(i, in[i], in[i] - Values[static_cast<std::size_t>(i)]);
}

void TKorvexOptz::SetVariable(int i, double value, double) {
  if (i < 0 || i >= n || Values.empty()) return;
  Values[static_cast<std::size_t>(i)] = value;
  // A parameter that cannot be applied leaves the system as it was; the next evaluation
  // sees it unchanged.
  if (Parameters != nullptr) Parameters->SetValue(i, value);
}

double TKorvexOptz::UpperBound(int i) { return Parameters != nullptr ? Parameters->Right(i) : 0.0; }
double TKorvexOptz::LowerBound(int i) { return Parameters != nullptr ? Parameters->Left(i) : 0.0; }
double TKorvexOptz::Target(int j) { return Functions != nullptr ? Functions->Target(j) : 0.0; }
double TKorvexOptz::Weight(int j) { return Functions != nullptr ? Functions->Weight(j) : 0.0; }
