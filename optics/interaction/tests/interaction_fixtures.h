#pragma once
// Small builders for surfaces and rays shared by the interaction tests.

#include <cmath>

#include "optics/interaction/interaction_types.h"
#include "optics/interaction/surface_interaction.h"

// A surface with no outer bound (type outside the bound codes) and no obscuration.
inline TInteractionSurface OpenSurface(int type, double R, double nBefore, double nAfter) {
  TInteractionSurface s;
  s.type = type;
  s.R = R;
  s.outer.type = 99;
  s.inner.semiHeight = 0.0;
  s.indexBefore = nBefore;
  s.indexAfter = nAfter;
  return s;
}

inline TInteractionSurface WithCoefficients(TInteractionSurface s, const double *coef, int count) {
  s.hasCoefficients = 1;
  s.coef = coef;
  s.coefCount = count;
  return s;
}

inline void Tilt(TInteractionSurface &s, double ax, double ay, double az) {
  SetViewAngles(s, ax, ay, az);
}

inline TCurrentRay MakeRay(double x, double y, double z, double L, double M, double N) {
  const double length = std::sqrt(L * L + M * M + N * N);
  TCurrentRay ray;
  ray.x = x;
  ray.y = y;
  ray.z = z;
  ray.L = L / length;
  ray.M = M / length;
  ray.N = N / length;
  return ray;
}
