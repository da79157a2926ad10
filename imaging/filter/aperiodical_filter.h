#pragma once
// A first-order lag (time constant T) on equally spaced samples, exact for an input that
// varies linearly between samples. It gives a scanning detector its time response.

class TAperiodicalFilter {
 public:
  TAperiodicalFilter(double step, double timeConstant);

  // Stores step and time constant, computes the weights and starts at `start`.
  void Init(double step, double timeConstant, double start);
  // Weights from the stored step dt and time constant T, with r = dt / T, e = exp(-r):
  //   a = e,  b = 1 - (1 - e) / r,  c = (1 - e) / r - e    (a + b + c = 1);
  // dt = 0 or T = 0 pass the input through (a = c = 0, b = 1). Then Reset(start).
  void ComputeCoefficients(double start);
  void Reset(double value) { lastInput = lastOutput = value; }

  // y = a * previous output + b * x + c * previous input.
  double Step(double x) {
    const double y = a * lastOutput + b * x + c * lastInput;
    lastOutput = y;
    lastInput = x;
    return y;
  }

  // The setters keep the weights; Init recomputes them.
  double GetTimeConstant() const { return timeConstant; }
  void SetTimeConstant(double value) { timeConstant = value; }
  double GetStep() const { return step; }
  void SetStep(double value) { step = value; }

  double a = 0.0;  // weight of the previous output
  double b = 1.0;  // weight of the current input
  double c = 0.0;  // weight of the previous input
  double timeConstant = 0.0;
  double step = 0.0;
  double lastInput = 0.0;
  double lastOutput = 0.0;
};
