#pragma once
// The frames area holds the surfaces' frames: positions and angles between surfaces and the
// fitting of Euler angles. It uses optics/model, foundation/numerics and
// foundation/containers.
//
// Orientation fitting: the Euler angles (alpha, beta, gamma) of the rotation
// R = Rx(alpha) Ry(beta) Rz(gamma) that turns a direction a into a direction b (or two
// directions into two), found from the best of ten random starts by a descent on the
// difference quotients of the mismatch (damped Gauss-Newton steps, shortened by 0.7 until
// the mismatch does not grow). Used by the 3-D view to point elements along known
// directions.
//
// Vectors are read as three elements (missing elements count as 0); angles are radians.

#include "foundation/containers/points.h"
#include "foundation/numerics/vector.h"

// Mismatch evaluations since the start of the current fit.
extern int EvaluationCounter;

// A fit stops once the mismatch falls below this value.
constexpr double kEulerFitTolerance = 1e-4;
// A fit gives up once this many evaluations are spent.
constexpr int kEulerFitBudget = 1000;

// |R a - b|^2; counts one evaluation.
double RotationMismatch(const DANGLE3 &angles, const Vector &a, const Vector &b);
// |R a1 - b1|^2 + |R a2 - b2|^2; counts one evaluation.
double RotationMismatchTwoPairs(const DANGLE3 &angles, const Vector &a1, const Vector &b1,
                                const Vector &a2, const Vector &b2);
// Forward differences with a step of 0.001 rad, one angle at a time; the gradient becomes
// a three-element vector.
void RotationMismatchGradient(const DANGLE3 &angles, const Vector &a, const Vector &b,
                              Vector &gradient);
void RotationMismatchTwoPairsGradient(const DANGLE3 &angles, const Vector &a1, const Vector &b1,
                                      const Vector &a2, const Vector &b2, Vector &gradient);

// Angles turning the direction of a into the direction of b (neither needs unit length).
// Returns 1 with the angles reduced into (-2 pi, 2 pi); 0 when the evaluation budget was
// spent (the angles are the last ones the descent reached) or a vector has no direction (zero,
// infinite or NaN: the angles are then zero).
int FitEulerAngles(const Vector &a, const Vector &b, DANGLE3 &angles);
int FitEulerAnglesTwoPairs(const Vector &a1, const Vector &b1, const Vector &a2, const Vector &b2,
                           DANGLE3 &angles);

// angle - 2 pi * trunc(angle / (2 pi)): strictly between -2 pi and 2 pi.
double ReduceEulerAngle(double angle);

// The reference vectors of a triangle-shaped element with sides d1 and d2 at the angle
// theta between them. A degenerate triangle (no third side) gives three zero vectors.
void TriangleReferenceVectors(double d1, double d2, double theta, Vector &v1, Vector &v2,
                              Vector &v3);

// Angles that turn the triangle's first two reference vectors towards the directions
// targetA and targetB, and the position that puts the tip of its third reference vector
// at the point p.
void PlaceTriangleElement(double d1, double d2, double theta, const Vector &targetA,
                          const Vector &targetB, const Vector &p, DANGLE3 &angles,
                          Vector &position);
