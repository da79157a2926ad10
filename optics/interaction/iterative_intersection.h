#pragma once
// Newton intersection of the shapes that have no closed-form hit: the polynomial aspheres,
// the standard and Fresnel aspheres, the two tori, and lens-array surfaces.

#include "optics/interaction/interaction_types.h"

// Newton step budgets. Every loop is bounded, whatever the coefficients: a residual that
// neither falls nor grows would otherwise spin for ever.
constexpr int kPolynomialStepLimit = 100;
constexpr int kAsphereStepLimit = 99;
constexpr int kTorusStepLimit = 100;

// The lens-array element solver: in the surface's frame, from point along direction, it
// sets the unit normal and the distance to the element hit and returns 1, or returns
// another value when no element is hit. LensArrayIntersect is installed from the start;
// with none (null) rays on lens-array surfaces stop without error.
using TLensArraySolver = int (*)(const TSurface &surface, const double point[3],
                                 const double direction[3], double normal[3], double &distance);
void SetLensArraySolver(TLensArraySolver solver);

// Works in the surface's local frame. point: the start point on entry (the ray's crossing of
// the vertex plane, or its position when R is 0), the hit on success. direction: the
// intersection direction (L >= 0). normal: the unit normal at the hit on success.
// Returns 1 found, 0 failed (normal untouched; point unchanged except that the two torus
// types park its x at their fallback). A lens-array surface returns 1 with a zero normal
// when no element is hit, which the caller turns into a stopped ray.
int IntersectSurfaceIterative(const TInteractionSurface &surface, double point[3],
                              const double direction[3], double normal[3]);
