#include "optics/frames/euler_fit.h"

#include <cmath>
#include <utility>

#include "foundation/numerics/pi.h"
#include "foundation/numerics/random.h"
#include "foundation/numerics/rotator.h"

int EvaluationCounter = 0;

namespace {

constexpr int kRandomStarts = 10;
constexpr double kGradientStep = 0.001;
// Relative damping of the Gauss-Newton normal equations.
constexpr double kDamping = 1e-4;
constexpr double kStepShrink = 0.7;
// A step shortened below this factor has found no lower mismatch.
constexpr double kSmallestStepFactor = 1e-6;
// The mismatch every random start has to beat.
constexpr double kNoMismatchYet = 1e20;

struct Direction {
  double v[3] = {0.0, 0.0, 0.0};
};

Direction FromVector(const Vector &a) {
  Direction d;
  for (int i = 0; i < 3 && i < a.n; ++i) d.v[i] = a.data[i];
  return d;
}

// Scales to unit length; false for a vector without a direction.
bool Normalise(Direction &d) {
  const double norm = std::sqrt(d.v[0] * d.v[0] + d.v[1] * d.v[1] + d.v[2] * d.v[2]);
  if (!(norm > 0.0) || !std::isfinite(norm)) return false;
  for (double &x : d.v) x /= norm;
  return true;
}

// The mismatch of one or two pairs at the angles x; every call counts one evaluation.
struct Mismatch {
  Direction a1, b1, a2, b2;
  bool twoPairs = false;

  int ResidualCount() const { return twoPairs ? 6 : 3; }

  // The residuals R a - b of the pairs; returns their sum of squares.
  double Residuals(const double x[3], double r[6]) const {
    ++EvaluationCounter;
    const TRotator rotator(DANGLE3(x[0], x[1], x[2]), DPOINT3());
    double sum = 0.0;
    const Direction *from[2] = {&a1, &a2};
    const Direction *to[2] = {&b1, &b2};
    for (int p = 0; p < (twoPairs ? 2 : 1); ++p) {
      for (int i = 0; i < 3; ++i) {
        const double d = rotator.m[i][0] * from[p]->v[0] + rotator.m[i][1] * from[p]->v[1] +
                         rotator.m[i][2] * from[p]->v[2] - to[p]->v[i];
        r[3 * p + i] = d;
        sum += d * d;
      }
    }
    return sum;
  }

  double operator()(const double x[3]) const {
    double r[6];
    return Residuals(x, r);
  }

  void Gradient(const double x[3], double g[3]) const {
    const double f0 = (*this)(x);
    for (int i = 0; i < 3; ++i) {
      double moved[3] = {x[0], x[1], x[2]};
      moved[i] += kGradientStep;
      g[i] = ((*this)(moved)-f0) / kGradientStep;
    }
  }
};

// Solves the 3 x 3 system a d = b by elimination with pivoting; false when singular.
bool Solve3(double a[3][3], double b[3], double d[3]) {
  for (int c = 0; c < 3; ++c) {
    int pivot = c;
    for (int r = c + 1; r < 3; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    if (!(std::fabs(a[pivot][c]) > 0.0)) return false;
    std::swap(a[c], a[pivot]);
    std::swap(b[c], b[pivot]);
    for (int r = c + 1; r < 3; ++r) {
      const double factor = a[r][c] / a[c][c];
      for (int k = c; k < 3; ++k) a[r][k] -= factor * a[c][k];
      b[r] -= factor * b[c];
    }
  }
  for (int c = 2; c >= 0; --c) {
    double sum = b[c];
    for (int k = c + 1; k < 3; ++k) sum -= a[c][k] * d[k];
    d[c] = sum / a[c][c];
  }
  return std::isfinite(d[0]) && std::isfinite(d[1]) && std::isfinite(d[2]);
}

// The step of one descent iteration from x, where the residuals are r0 and their sum of
// squares f0: a Gauss-Newton step from the residuals' difference quotients. A step that
// sets each angle by itself to zero the mismatch overshoots as soon as the angles are
// coupled and crawls near beta = +-pi/2, where alpha and gamma turn about the same axis;
// the joint step converges in a few iterations. The normal equations are damped because
// they are singular for one pair (a turn about b leaves b where it is) and nearly so at
// beta = +-pi/2. Should the solve still fail, the step runs down the gradient as far as a
// linear model says the mismatch reaches zero.
void DescentStep(const Mismatch &f, const double x[3], const double r0[6], double f0,
                 double step[3]) {
  const int n = f.ResidualCount();
  double jacobian[6][3];
  for (int i = 0; i < 3; ++i) {
    double moved[3] = {x[0], x[1], x[2]};
    moved[i] += kGradientStep;
    double r[6];
    f.Residuals(moved, r);
    for (int k = 0; k < n; ++k) jacobian[k][i] = (r[k] - r0[k]) / kGradientStep;
  }
  double normal[3][3] = {};
  double rhs[3] = {};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < n; ++k) normal[i][j] += jacobian[k][i] * jacobian[k][j];
    for (int k = 0; k < n; ++k) rhs[i] -= jacobian[k][i] * r0[k];
  }
  const double gradient[3] = {-2.0 * rhs[0], -2.0 * rhs[1], -2.0 * rhs[2]};
  const double damping = kDamping * (normal[0][0] + normal[1][1] + normal[2][2]);
  for (int i = 0; i < 3; ++i) normal[i][i] += damping;
  if (Solve3(normal, rhs, step)) return;
  const double g2 =
      gradient[0] * gradient[0] + gradient[1] * gradient[1] + gradient[2] * gradient[2];
  for (int i = 0; i < 3; ++i) step[i] = g2 > 0.0 ? -f0 * gradient[i] / g2 : 0.0;
}

void ToArray(const DANGLE3 &angles, double x[3]) {
  x[0] = angles.ax;
  x[1] = angles.ay;
  x[2] = angles.az;
}

void StoreGradient(const double g[3], Vector &gradient) {
  if (gradient.n != 3) gradient.SetSize(3);
  if (gradient.n == 3) gradient.Set(g[0], g[1], g[2]);
}

int Descend(const Mismatch &f, DANGLE3 &angles) {
  double x[3] = {0.0, 0.0, 0.0};
  double best = kNoMismatchYet;
  for (int k = 0; k < kRandomStarts; ++k) {
    double start[3];
    for (double &angle : start) angle = RandomUniform(-kPi, kPi);
    const double value = f(start);
    if (k == 0 || value < best) {
      if (value < best) best = value;
      for (int i = 0; i < 3; ++i) x[i] = start[i];
    }
  }

  // At least one step, even from a start that already fits.
  double accepted = 0.0;
  do {
    double r0[6];
    const double f0 = f.Residuals(x, r0);
    double step[3];
    DescentStep(f, x, r0, f0, step);
    double lambda = 1.0;
    for (;;) {
      if (EvaluationCounter > kEulerFitBudget) {
        angles = DANGLE3(x[0], x[1], x[2]);
        return 0;
      }
      if (lambda < kSmallestStepFactor) {
        // No step lowers the mismatch: the descent sits on a saddle of the mismatch
        // (the difference quotients never vanish exactly, so it would stay there until the
        // budget is spent). It goes on from a new random start instead.
        for (double &angle : x) angle = RandomUniform(-kPi, kPi);
        accepted = kNoMismatchYet;
        break;
      }
      const double candidate[3] = {x[0] + lambda * step[0], x[1] + lambda * step[1],
                                   x[2] + lambda * step[2]};
      const double value = f(candidate);
      if (value <= f0) {
        for (int i = 0; i < 3; ++i) x[i] = candidate[i];
        accepted = value;
        break;
      }
      lambda *= kStepShrink;
    }
  } while (accepted >= kEulerFitTolerance);

  angles = DANGLE3(ReduceEulerAngle(x[0]), ReduceEulerAngle(x[1]), ReduceEulerAngle(x[2]));
  return 1;
}

}  // namespace

double RotationMismatch(const DANGLE3 &angles, const Vector &a, const Vector &b) {
  const Mismatch f{FromVector(a), FromVector(b), {}, {}, false};
  double x[3];
  ToArray(angles, x);
  return f(x);
}

double RotationMismatchTwoPairs(const DANGLE3 &angles, const Vector &a1, const Vector &b1,
                                const Vector &a2, const Vector &b2) {
  const Mismatch f{FromVector(a1), FromVector(b1), FromVector(a2), FromVector(b2), true};
  double x[3];
  ToArray(angles, x);
  return f(x);
}

void RotationMismatchGradient(const DANGLE3 &angles, const Vector &a, const Vector &b,
                              Vector &gradient) {
  const Mismatch f{FromVector(a), FromVector(b), {}, {}, false};
  double x[3], g[3];
  ToArray(angles, x);
  f.Gradient(x, g);
  StoreGradient(g, gradient);
}

void RotationMismatchTwoPairsGradient(const DANGLE3 &angles, const Vector &a1, const Vector &b1,
                                      const Vector &a2, const Vector &b2, Vector &gradient) {
  const Mismatch f{FromVector(a1), FromVector(b1), FromVector(a2), FromVector(b2), true};
  double x[3], g[3];
  ToArray(angles, x);
  f.Gradient(x, g);
  StoreGradient(g, gradient);
}

int FitEulerAngles(const Vector &a, const Vector &b, DANGLE3 &angles) {
  EvaluationCounter = 0;
  Mismatch f{FromVector(a), FromVector(b), {}, {}, false};
  if (!Normalise(f.a1) || !Normalise(f.b1)) {
    angles = DANGLE3();
    return 0;
  }
  return Descend(f, angles);
}

int FitEulerAnglesTwoPairs(const Vector &a1, const Vector &b1, const Vector &a2, const Vector &b2,
                           DANGLE3 &angles) {
  EvaluationCounter = 0;
  Mismatch f{FromVector(a1), FromVector(b1), FromVector(a2), FromVector(b2), true};
  if (!Normalise(f.a1) || !Normalise(f.b1) || !Normalise(f.a2) || !Normalise(f.b2)) {
    angles = DANGLE3();
    return 0;
  }
  return Descend(f, angles);
}

double ReduceEulerAngle(double angle) {
  constexpr double kTwoPi = 2.0 * kPi;
  return angle - kTwoPi * std::trunc(angle / kTwoPi);
}

void TriangleReferenceVectors(double d1, double d2, double theta, Vector &v1, Vector &v2,
                              Vector &v3) {
  v1.SetSize(3);
  v2.SetSize(3);
  v3.SetSize(3);
  const double e = std::sqrt(d1 * d1 + d2 * d2 - 2.0 * d1 * d2 * std::cos(theta));
  if (!(e > 0.0) || !std::isfinite(e)) {
    v1.Set(0.0, 0.0, 0.0);
    v2.Set(0.0, 0.0, 0.0);
    v3.Set(0.0, 0.0, 0.0);
    return;
  }
  const double h = d1 * d2 * std::sin(theta) / e;
  // Rounding may leave h a hair above d1 for a right angle at the far corner.
  const double w = -std::sqrt(std::fmax(0.0, d1 * d1 - h * h));
  v1.Set(0.0, h, w);
  v2.Set(0.0, -w / 2.0, h / 2.0);
  v3.Set(0.0, w / 2.0, h / 2.0);
}

void PlaceTriangleElement(double d1, double d2, double theta, const Vector &targetA,
                          const Vector &targetB, const Vector &p, DANGLE3 &angles,
                          Vector &position) {
  Vector v1, v2, v3;
  TriangleReferenceVectors(d1, d2, theta, v1, v2, v3);
  // The editor decides what to do with a poor fit; the placement uses it as it is.
  FitEulerAnglesTwoPairs(v1, targetA, v2, targetB, angles);
  const TRotator rotator(angles, DPOINT3());
  const DPOINT3 tip = rotator.Transform(DPOINT3(v3.data[0], v3.data[1], v3.data[2]));
  const Direction point = FromVector(p);
  position.SetSize(3);
  position.Set(point.v[0] - tip.x, point.v[1] - tip.y, point.v[2] - tip.z);
}
