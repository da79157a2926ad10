#include "optimization/engine/optz.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "platform/core/message_box.h"

namespace {

// The run's settings before the derived class's SetDefaults.
constexpr int kDefaultMaxIterations = 100;
constexpr int kDefaultMaxDampingTrials = 35;
constexpr double kDefaultDampingFactor = 5e-12;
constexpr double kDefaultDampingGrowth = 5.0;
constexpr double kDefaultGainThreshold = 0.01;
constexpr double kDefaultMeritTolerance = 1e-15;
// Relative derivative step of the default rule.
constexpr double kRelativeDerivativeStep = 0.001;
// A violating variable's damping grows by this at every penalty check.
constexpr double kPenaltyDampingGrowth = 2.0;

}  // namespace

TOptz::TOptz(int variableCount, int functionCount) : n(variableCount), m(functionCount) {
  storageReady = n >= 1 && m >= 1 && AllocateStorage();
}

bool TOptz::AllocateStorage() {
  const auto nn = static_cast<std::size_t>(n);
  const auto mm = static_cast<std::size_t>(m);
  try {
    if (nn > Jacobian.max_size() / mm) throw std::length_error("Jacobian");
    for (auto *vector : {&FunctionValues, &SavedFunctionValues, &weights, &targets, &residuals,
                         &weightedRow})
      vector->assign(mm, 0.0);
    for (auto *vector : {&StartVariables, &SavedVariables, &TrialVariables, &Steps, &Damping,
                         &Solution, &oldGradient, &acceptedStep, &rightHandSide})
      vector->assign(nn, 0.0);
    held.assign(nn, 0);
    Jacobian.assign(nn * mm, 0.0);
    NormalMatrix.assign(PackedSize(n), 0.0);
    undamped.assign(PackedSize(n), 0.0);
  } catch (const std::bad_alloc &) {
    ReleaseStorage();
    ShowNotEnoughMemory();
    return false;
  } catch (const std::length_error &) {
    ReleaseStorage();
    ShowNotEnoughMemory();
    return false;
  }
  return true;
}

void TOptz::ReleaseStorage() {
  for (auto *vector : {&FunctionValues, &SavedFunctionValues, &weights, &targets, &residuals,
                       &weightedRow,
                       &StartVariables, &SavedVariables, &TrialVariables, &Steps, &Damping,
                       &Solution, &oldGradient, &acceptedStep, &rightHandSide, &Jacobian,
                       &NormalMatrix, &undamped}) {
    std::vector<double>().swap(*vector);
  }
  std::vector<char>().swap(held);
}

double TOptz::ComputeMerit(int weighted) {
  double sum = 0.0;
  for (int j = 0; j < m && storageReady; ++j) {
    double term = Target(j) - FunctionValues[static_cast<std::size_t>(j)];
    if (weighted != 0) term *= Weight(j);
    sum += term * term;
  }
  return sum;
}

bool TOptz::IsConverged() const { return Merit <= MeritTolerance || Merit <= kMeritFloor; }

int TOptz::Start() {
  started = false;
  StopReason = TOptzStop::kNotReady;
  BlockingVariable = -1;
  if (!storageReady) return 0;
  MaxIterations = kDefaultMaxIterations;
  MaxDampingTrials = kDefaultMaxDampingTrials;
  DampingFactor = kDefaultDampingFactor;
  DampingMode = kDampingAdditive;
  DampingGrowth = kDefaultDampingGrowth;
  GainThreshold = kDefaultGainThreshold;
  MeritTolerance = kDefaultMeritTolerance;
  SetDefaults();
  GetVariables(StartVariables.data());
  if (ComputeFunctions(kStageFirst, -1) == 0) return 0;
  if (BoundPenalty() != 0.0) {
    ClampToBounds();
    if (ComputeFunctions(kStageFirst, -1) == 0) return 0;
  }
  Merit = PrevMerit = ComputeMerit(1);
  MeritUnweighted = PrevMeritUnweighted = ComputeMerit(0);
  Iteration = 0;
  DampingTrial = 0;
  TrialPenalty = 0.0;
  GradientNorm = PrevGradientNorm = 0.0;
  std::fill(Damping.begin(), Damping.end(), 0.0);
  started = true;
  StopReason = TOptzStop::kNone;
  ShowIteration();
  return 1;
}

void TOptz::FetchWeightsAndTargets() {
  for (int j = 0; j < m; ++j) {
    weights[static_cast<std::size_t>(j)] = Weight(j);
    targets[static_cast<std::size_t>(j)] = Target(j);
  }
}

double TOptz::GradientComponent(int i, const double *values) {
  const double *row = Jacobian.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(m);
  double sum = 0.0;
  for (int j = 0; j < m; ++j) sum += weights[j] * (targets[j] - values[j]) * row[j];
  return sum;
}

int TOptz::Iterate() {
  if (!started) {
    StopReason = TOptzStop::kNotReady;
    return 0;
  }
  GetVariables(SavedVariables.data());
  GetVariables(TrialVariables.data());
  if (ComputeFunctions(kStageBase, -1) == 0) {
    StopReason = TOptzStop::kEvaluationFailed;
    return 0;
  }
  SavedFunctionValues = FunctionValues;
  FetchWeightsAndTargets();
  const bool jacobianDone = ComputeJacobian();
  // The derivative evaluations left the values of a displaced point behind.
  FunctionValues = SavedFunctionValues;
  if (!jacobianDone) return 0;
  if (StopRequested() != 0) {
    StopReason = TOptzStop::kStopRequested;
    return 0;
  }
  for (double &d : Damping) d *= DampingFactor;
  if (DampingMode == kDampingSecant) DampingFactor = kSecantDampingFactor;
  BuildUndampedEquations();

  bool accepted = false;
  bool stopped = false;
  std::fill(held.begin(), held.end(), 0);
  boundWithdrawals = 0;
  outOfBounds = -1;
  for (DampingTrial = 0; DampingTrial < MaxDampingTrials; ++DampingTrial) {
    if (StopRequested() != 0) {
      stopped = true;
      break;
    }
    if (RunTrial()) {
      accepted = true;
      break;
    }
  }
  if (accepted) {
    Iteration += 1;
    acceptedStep = Solution;
    StopReason = TOptzStop::kNone;
    ShowIteration();
    PrevMerit = Merit;
    PrevMeritUnweighted = MeritUnweighted;
    PrevGradientNorm = GradientNorm;
    return 1;
  }
  RestoreIterationStart();
  BlockingVariable = stopped ? -1 : FirstCrossedBounds();
  if (stopped) {
    StopReason = TOptzStop::kStopRequested;
  } else if (BlockingVariable >= 0) {
    StopReason = TOptzStop::kCrossedBounds;
  } else if (boundWithdrawals > 0 && boundWithdrawals == DampingTrial) {
    // However small the damping made the step, it left the bounds: a variable stands on
    // its bound and the merit falls only beyond it.
    StopReason = TOptzStop::kHeldAtBound;
    BlockingVariable = outOfBounds;
  } else if (std::fabs(PrevMerit) <= kMeritFloor) {
    StopReason = TOptzStop::kMeritFloor;
  } else {
    StopReason = TOptzStop::kNoAcceptedTrial;
  }
  return 0;
}

int TOptz::FirstOutOfBounds() {
  for (int i = 0; i < n; ++i) {
    const double v = GetVariable(i);
    if (v < LowerBound(i) || v > UpperBound(i)) return i;
  }
  return -1;
}

int TOptz::FirstCrossedBounds() {
  for (int i = 0; i < n; ++i)
    if (LowerBound(i) > UpperBound(i)) return i;
  return -1;
}

void TOptz::RestoreIterationStart() {
  SetVariables(SavedVariables.data());
  FunctionValues = SavedFunctionValues;
  // The re-evaluation lets the derived class see the restored point; whatever it answers,
  // the values of the start of the iteration stand.
  ComputeFunctions(kStageRestore, -1);
  FunctionValues = SavedFunctionValues;
  Merit = PrevMerit;
  MeritUnweighted = PrevMeritUnweighted;
  GradientNorm = PrevGradientNorm;
}

bool TOptz::ComputeJacobian() {
  // The secant mode damps each variable by how much its gradient component changed over
  // the last accepted step, against the length of that step:
  //   d_i = |g_i(new) - g_i(old)| / (|p_i| + sqrt(|P - p_i^2|)),  P = sum_k p_k^2.
  const bool secant = DampingMode == kDampingSecant && Iteration >= 1;
  double stepSquared = 0.0;
  if (secant) {
    for (double p : acceptedStep) stepSquared += p * p;
    for (int i = 0; i < n; ++i) oldGradient[i] = GradientComponent(i, SavedFunctionValues.data());
  } else {
    std::fill(Damping.begin(), Damping.end(), 1.0);
  }
  for (int i = 0; i < n; ++i) {
    const double x = GetVariable(i);
    double h = DerivativeStep(i, x);
    if (!std::isfinite(h) || h == 0.0) h = TOptz::DerivativeStep(i, x);
    Steps[i] = h;
  }

  double normSquared = 0.0;
  for (int i = 0; i < n; ++i) {
    if (StopRequested() != 0) {
      StopReason = TOptzStop::kStopRequested;
      return false;
    }
    const double x = GetVariable(i);
    double h = Steps[i];
    double lastSet = x;
    bool evaluated = false;
    for (int attempt = 0; attempt < kDerivativeTries; ++attempt) {
      lastSet = x + h;
      SetVariable(i, lastSet, h);
      if (ComputeFunctions(kStageDerivative, i) != 0) {
        evaluated = true;
        break;
      }
      h *= kStepCut;
    }
    SetVariable(i, x, x - lastSet);
    if (!evaluated) {
      StopReason = TOptzStop::kEvaluationFailed;
      return false;
    }
    Steps[i] = h;
    double *row = Jacobian.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(m);
    for (int j = 0; j < m; ++j) row[j] = FunctionValues[j] - SavedFunctionValues[j];
    const double g = GradientComponent(i, FunctionValues.data());
    normSquared += g * g;
  }
  GradientNorm = std::sqrt(normSquared);

  if (secant) {
    for (int i = 0; i < n; ++i) {
      const double change = std::fabs(GradientComponent(i, SavedFunctionValues.data()) - oldGradient[i]);
      const double p = acceptedStep[i];
      const double length = std::fabs(p) + std::sqrt(std::fabs(stepSquared - p * p));
      // A zero accepted step gives no secant: the plain base damping of 1 stands.
      Damping[i] = length > 0.0 ? change / length : 1.0;
    }
  }
  return true;
}

void TOptz::BuildUndampedEquations() {
  for (int j = 0; j < m; ++j) residuals[j] = targets[j] - SavedFunctionValues[j];
  BuildNormalEquations(Jacobian.data(), weights.data(), residuals.data(), n, m, undamped.data(),
                       rightHandSide.data(), weightedRow.data());
}

bool TOptz::PushesOutOfBounds(int i, double change) {
  const double x = SavedVariables[static_cast<std::size_t>(i)];
  return (change < 0.0 && x <= LowerBound(i)) || (change > 0.0 && x >= UpperBound(i));
}

bool TOptz::SolveHeldStep() {
  // A variable standing on its bound whose step points out of the bounds is held there:
  // its row and column leave the equations (diagonal 1, right side 0, so its step is 0)
  // and the others are solved again without it. Without this, such a variable would have
  // every trial withdrawn, and with it the steps of all the others.
  for (;;) {
    // The undamped equations are the same for every trial of the iteration; only the
    // damping on the diagonal changes.
    NormalMatrix = undamped;
    Solution = rightHandSide;
    AddDamping(DampingMode, Damping.data(), n, GradientNorm, Iteration >= 1, NormalMatrix.data());
    for (int i = 0; i < n; ++i) {
      if (held[static_cast<std::size_t>(i)] == 0) continue;
      for (int k = 0; k < n; ++k) NormalMatrix[k <= i ? PackedIndex(i, k) : PackedIndex(k, i)] = 0.0;
      NormalMatrix[PackedIndex(i, i)] = 1.0;
      Solution[static_cast<std::size_t>(i)] = 0.0;
    }
    if (!FactorPacked(NormalMatrix.data(), n)) return false;
    SolveFactored(NormalMatrix.data(), n, Solution.data());
    bool newlyHeld = false;
    for (int i = 0; i < n; ++i) {
      const std::size_t k = static_cast<std::size_t>(i);
      if (held[k] == 0 && PushesOutOfBounds(i, Solution[k] * Steps[k])) {
        held[k] = 1;
        newlyHeld = true;
      }
    }
    if (!newlyHeld) return true;
  }
}

bool TOptz::RunTrial() {
  if (!SolveHeldStep()) {
    RejectTrial(true);
    return false;
  }

  GetVariables(TrialVariables.data());
  for (int i = 0; i < n; ++i) TrialVariables[i] += Solution[i] * Steps[i];
  SetVariables(TrialVariables.data());
  TrialPenalty = BoundPenalty();
  if (TrialPenalty > kPenaltyLimit) {
    ++boundWithdrawals;
    outOfBounds = FirstOutOfBounds();
    // The penalty has already doubled the damping of every variable out of its bounds.
    RejectTrial(false);
    return false;
  }
  if (ComputeFunctions(kStageTrial, -1) == 0) {
    RejectTrial(true);
    return false;
  }
  Merit = ComputeMerit(1);
  Gain = 0.0;
  if (std::fabs(PrevMerit) > kMeritFloor) Gain = 1.0 - Merit / PrevMerit;
  // Written so that a NaN gain is rejected as well.
  if (!(Gain > GainThreshold)) {
    RejectTrial(true);
    return false;
  }
  MeritUnweighted = ComputeMerit(0);
  return true;
}

void TOptz::RejectTrial(bool growDamping) {
  if (growDamping) {
    for (double &d : Damping) d *= DampingGrowth;
  }
  SetVariables(SavedVariables.data());
  FunctionValues = SavedFunctionValues;
}

int TOptz::Run() {
  if (!started) {
    StopReason = TOptzStop::kNotReady;
    return 0;
  }
  for (int call = 0; call < MaxIterations; ++call) {
    if (Merit <= MeritTolerance) {
      StopReason = TOptzStop::kMeritTolerance;
      return 1;
    }
    if (Merit <= kMeritFloor) {
      StopReason = TOptzStop::kMeritFloor;
      return 1;
    }
    if (Iterate() != 1) return StopReason == TOptzStop::kMeritFloor ? 1 : 0;
  }
  if (Merit <= MeritTolerance) {
    StopReason = TOptzStop::kMeritTolerance;
  } else if (Merit <= kMeritFloor) {
    StopReason = TOptzStop::kMeritFloor;
  } else {
    StopReason = TOptzStop::kIterationLimit;
  }
  return 1;
}

void TOptz::Restore() {
  if (!storageReady) return;
  SetVariables(StartVariables.data());
  ComputeFunctions(kStageRestore, -1);
}

double TOptz::BoundPenalty() {
  double penalty = 0.0;
  for (int i = 0; i < n && storageReady; ++i) {
    const double v = GetVariable(i);
    const double lower = LowerBound(i);
    const double upper = UpperBound(i);
    double distance = 0.0;
    if (v < lower) {
      distance = lower - v;
    } else if (v > upper) {
      distance = v - upper;
    } else {
      continue;
    }
    Damping[i] *= kPenaltyDampingGrowth;
    penalty += distance * distance;
  }
  return penalty;
}

void TOptz::ClampToBounds() {
  for (int i = 0; i < n; ++i) {
    const double v = GetVariable(i);
    const double lower = LowerBound(i);
    const double upper = UpperBound(i);
    if (v < lower) {
      SetVariable(i, lower, lower - v);
    } else if (v > upper) {
      SetVariable(i, upper, upper - v);
    }
  }
}

double TOptz::DerivativeStep(int, double value) {
  const double h = kRelativeDerivativeStep * value;
  return h != 0.0 && std::isfinite(h) ? h : kZeroValueStep;
}

int TOptz::StopRequested() { return 0; }
