#pragma once
// Plain records the ray-surface interaction works on: a flat view of one surface's shape,
// bounds, media and frame (rays are the model's TCurrentRay). They hold no owning members, so the
// hot path copies and reads them without touching the heap.

#include "optics/model/general_parameters.h"  // surface and bound codes
#include "optics/model/ray.h"                 // ray status codes

class TSurface;

// Squared aperture radii and |cos I| are allowed this relative overshoot.
constexpr double kBoundTolerance = 1.000001;
// A quadratic's |A| or discriminant below this counts as zero.
constexpr double kQuadraticFlat = 1e-10;
// A square length of a unit vector by construction this near 1 is inverted by one series
// step about 1, exact to round-off there.
constexpr double kUnitSeries = 1e-8;

struct TBoundView {
  int type = kBoundRound;
  double semiHeight = 0.0;  // along y
  double semiWidth = 0.0;   // along z
  double centreY = 0.0;
  double centreZ = 0.0;
};

// Holographic phase data: phase(u) = sum Vh[i] u^(i+1), u = (y^2 + z^2) / Mhxy^2.
struct THoeView {
  int present = 0;
  double Mhxy = 0.0;
  double wavelengthFactor = 1.0;  // current wavelength / design wavelength
  int order = 1;
  const double *Vh = nullptr;
  int count = 0;
};

struct TInteractionSurface {
  int type = kSurfaceSphere;
  double R = 0.0;
  double Ex = 0.0;  // (1 - Ex) x^2 - 2 R x + y^2 + z^2 = 0
  TBoundView outer;
  TBoundView inner;
  double indexAfter = 1.0;  // negative behind a mirror
  double indexBefore = 1.0;
  double vertex[3] = {0.0, 0.0, 0.0};
  double angles[3] = {0.0, 0.0, 0.0};
  int tilted = 0;
  double matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // row-major; local -> global is M v
  int hasCoefficients = 0;
  const double *coef = nullptr;
  int coefCount = 0;
  double frenelHeight = 0.0;
  THoeView hoe;
  int hasZones = 0;
  // The model surface the view was made from (null for a bare view); the lens-array
  // element solver reads its zones through it.
  const TSurface *source = nullptr;
};
