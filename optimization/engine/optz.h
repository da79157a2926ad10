#pragma once
// TOptz: the damped-least-squares engine. It knows nothing of optics: n variables with
// bounds, m function values F_j with targets T_j and weights W_j, all reached through
// virtual operations that a derived class supplies. It lowers
//   merit = sum_j (W_j (T_j - F_j))^2
// by damped Gauss-Newton steps in variables scaled by their finite-difference steps h_i
// (u_i = (x_i - x_i(start of iteration)) / h_i), with a forward-difference Jacobian and the
// damped normal equations solved by the square-root method in packed storage.

#include <vector>

#include "optimization/engine/normal_equations.h"

// Why the last Run or Iterate ended (Iterate sets it only when it returns 0).
enum class TOptzStop : int {
  kNone = 0,          // running, or the last Iterate accepted a step
  kNotReady,          // construction failed (no storage) or Start was not successful
  kMeritTolerance,    // the merit fell to MeritTolerance or below
  kMeritFloor,        // the merit fell to kMeritFloor or below: no gain is measured there
  kIterationLimit,    // Run used its MaxIterations calls
  kNoAcceptedTrial,   // every damping trial failed the gain rule (or its evaluation, bounds)
  kEvaluationFailed,  // the base or a derivative evaluation failed
  kStopRequested,     // StopRequested answered non-zero
  kCrossedBounds,     // a variable's lower bound lies above its upper one (BlockingVariable):
                      // no point satisfies it, so every trial was withdrawn
  kHeldAtBound,       // every damping trial stepped out of the bounds (BlockingVariable: the
                      // first variable out of them in the last trial). A variable on its
                      // bound whose step leaves it is held there instead, so this takes a
                      // variable inside its bounds that overshoots at every damping.
};

class TOptz {
 public:
  // Below this merit the relative gain 1 - merit / previous merit is not measured (it is 0
  // and every trial is rejected), so a merit at or below it counts as converged whatever
  // MeritTolerance says.
  static constexpr double kMeritFloor = 1e-14;
  // A trial point whose bound penalty exceeds this is withdrawn unevaluated.
  static constexpr double kPenaltyLimit = 1e-16;
  // The finite-difference step where 0.001 x gives none (x = 0): that of x = 1. A smaller
  // one would leave the scaled diagonal (dF/dx h)^2 below the additive damping 5e-12, and
  // the variable could never move.
  static constexpr double kZeroValueStep = 0.001;
  // Derivative evaluations per variable; each failure cuts the step by kStepCut.
  static constexpr int kDerivativeTries = 5;
  static constexpr double kStepCut = 0.1;
  // The secant damping mode starts every iteration after the first from this factor.
  static constexpr double kSecantDampingFactor = 0.001;

  // Why ComputeFunctions is called.
  enum TStage : int {
    kStageFirst = 0,       // the first evaluation of a run
    kStageBase = 1,        // the base evaluation of an iteration
    kStageDerivative = 2,  // variable `index` displaced by its step
    kStageTrial = 3,       // a damped trial step
    kStageRestore = 4,     // re-evaluation after the variables were restored
  };

  // Allocates the work storage for n variables and m function values. With n or m below 1,
  // or when the storage cannot be had ("Not enough memory" is shown), no storage is kept
  // and Start fails.
  TOptz(int n, int m);
  virtual ~TOptz() = default;
  TOptz(const TOptz &) = delete;
  TOptz &operator=(const TOptz &) = delete;

  bool HasStorage() const { return storageReady; }

  // Initialises a run: defaults, SetDefaults, the start point (clamped onto its bounds
  // and evaluated again when outside them), merits. 1 on success, 0 when an evaluation
  // failed or there is no storage.
  int Start();
  // One iteration: Jacobian, then damping trials until one gains more than GainThreshold.
  // 1 when a step was accepted; 0 when the iteration failed or was stopped, with the
  // variables and function values of the start of the iteration (StopReason says why).
  int Iterate();
  // Iterate until converged (1), an Iterate fails (0) or MaxIterations calls were made (1).
  int Run();
  // The weighted merit (weighted non-zero) or the unweighted one of the current
  // FunctionValues.
  double ComputeMerit(int weighted);
  // Merit at or below MeritTolerance, or at or below kMeritFloor.
  bool IsConverged() const;

  // The start point of the run made current again and evaluated (stage 4).
  virtual void Restore();
  // The bound penalty of the current variables: sum of the squared distances of the
  // variables outside their bounds; the damping of each such variable is doubled.
  virtual double BoundPenalty();
  // Moves every variable outside its bounds onto the bound it passed.
  virtual void ClampToBounds();
  // The finite-difference step of variable i at value: 0.001 x value, or kZeroValueStep
  // when that is 0. A derived rule that answers 0 or a non-finite step gets this one.
  virtual double DerivativeStep(int i, double value);
  // Non-zero asks the engine to stop at its next check.
  virtual int StopRequested();
  virtual void SetDefaults() = 0;
  // Evaluates all m values into FunctionValues for the current variables; 0 on failure.
  virtual int ComputeFunctions(int stage, int index) = 0;
  // Reports the state after Start and after each accepted iteration.
  virtual void ShowIteration() = 0;
  virtual void GetVariables(double *out) = 0;
  virtual double GetVariable(int i) = 0;
  virtual void SetVariables(const double *in) = 0;
  // change is the new value minus the previous one.
  virtual void SetVariable(int i, double value, double change) = 0;
  virtual double UpperBound(int i) = 0;
  virtual double LowerBound(int i) = 0;
  virtual double Target(int j) = 0;
  virtual double Weight(int j) = 0;

  const int n;  // variables
  const int m;  // function values

  int MaxIterations = 100;
  int Iteration = 0;  // accepted iterations since Start
  double MeritTolerance = 1e-15;
  double Merit = 0.0;  // weighted merit at the current point
  double MeritUnweighted = 0.0;
  double PrevMerit = 0.0;  // the merits before the last accepted iteration
  double PrevMeritUnweighted = 0.0;
  double TrialPenalty = 0.0;  // bound penalty of the last trial point
  double GradientNorm = 0.0;
  double PrevGradientNorm = 0.0;
  int DampingMode = kDampingAdditive;  // TDampingMode; any other value adds no damping
  double DampingFactor = 5e-12;  // multiplies the base damping at each iteration's start
  double DampingGrowth = 5.0;    // multiplies the damping after a rejected trial
  int MaxDampingTrials = 35;
  int DampingTrial = 0;
  double GainThreshold = 0.01;  // a trial must lower the merit by more than this fraction
  double Gain = 0.0;            // relative decrease of the last evaluated trial
  TOptzStop StopReason = TOptzStop::kNotReady;
  int BlockingVariable = -1;  // with kCrossedBounds, kHeldAtBound: the variable that blocks

  std::vector<double> FunctionValues;       // m: F at the current point
  std::vector<double> SavedFunctionValues;  // m: F at the start of the iteration
  std::vector<double> StartVariables;       // n
  std::vector<double> SavedVariables;       // n: the variables at the start of the iteration
  std::vector<double> TrialVariables;       // n
  std::vector<double> Steps;                // n: h_i, the unit of scaled variable i
  std::vector<double> Damping;              // n: d_i
  std::vector<double> Solution;             // n: b, then the solved scaled step p
  std::vector<double> Jacobian;             // n x m: row i holds F_j(x + h_i e_i) - F_j(x)
  std::vector<double> NormalMatrix;         // n(n+1)/2, packed lower triangle

 private:
  bool AllocateStorage();
  void ReleaseStorage();
  // Forward differences into Jacobian, the gradient norm and, in the secant mode after an
  // accepted step, the secant damping. False when an evaluation failed or a stop was asked
  // (StopReason says which).
  bool ComputeJacobian();
  // g_i = sum_j W_j (T_j - values_j) J_ij for one Jacobian row.
  double GradientComponent(int i, const double *values);
  // The undamped normal equations of this iteration, from SavedFunctionValues.
  void BuildUndampedEquations();
  // One damping trial; true when its step was accepted.
  bool RunTrial();
  // The damped step of this trial into Solution, with the variables held on their bounds
  // left out of it; false when the equations are singular.
  bool SolveHeldStep();
  // Variable i stands on a bound at the start of the iteration and change leaves it.
  bool PushesOutOfBounds(int i, double change);
  void RejectTrial(bool growDamping);
  void RestoreIterationStart();
  void FetchWeightsAndTargets();
  // The first variable whose lower bound lies above its upper one, or -1.
  int FirstCrossedBounds();
  // The first variable outside its bounds now, or -1.
  int FirstOutOfBounds();

  bool storageReady = false;
  int boundWithdrawals = 0;  // trials of this iteration withdrawn for leaving the bounds
  int outOfBounds = -1;      // the first variable out of its bounds in the last of them
  bool started = false;  // the last Start succeeded
  std::vector<double> weights;       // m: W_j of this iteration
  std::vector<double> targets;       // m: T_j of this iteration
  std::vector<double> residuals;     // m: T_j - F_j(saved)
  std::vector<double> oldGradient;   // n: the secant mode's g_i with the previous Jacobian
  std::vector<double> acceptedStep;  // n: the scaled step p of the last accepted trial
  std::vector<double> undamped;      // n(n+1)/2: A of this iteration
  std::vector<double> rightHandSide; // n: b of this iteration
  std::vector<double> weightedRow;   // m: scratch of BuildNormalEquations
  std::vector<char> held;            // n: 1 for a variable held on its bound this iteration
};
