#pragma once
// The pieces the round solids are made of: bands of revolution (a flange, an edge cylinder,
// a chamfer cone, a flat ring) whose meridian runs straight from one (z, rho) to another,
// and faces of revolution along a conic meridian. Both turn through phiStart + phiSpan v;
// a piece with swapXY takes x = sin(phi) rho, y = cos(phi) rho, which mirrors it and
// reverses its winding.

#include "foundation/containers/points.h"
#include "viewer3d/solids/conic_profile.h"

class TSolidDrawer;

constexpr double kFullTurn = 6.283185307179586;

struct TRevolutionBand {
  double z0 = 0.0;
  double z1 = 0.0;
  double rho0 = 0.0;
  double rho1 = 0.0;
  double phiStart = 0.0;
  double phiSpan = kFullTurn;
  bool swapXY = false;
};

// The face runs its profile's drawing parameter from t0 (u = 0) to t1 (u = 1) and is
// moved zShift along the axis.
struct TRevolutionFace {
  const TConicProfile *profile = nullptr;
  double t0 = 0.0;
  double t1 = 0.0;
  double zShift = 0.0;
  double phiStart = 0.0;
  double phiSpan = kFullTurn;
  bool swapXY = false;
};

DPOINT3 RevolutionBandPoint(double u, double v, void *band);
DPOINT3 RevolutionFacePoint(double u, double v, void *face);

void DrawBand(TSolidDrawer &drawer, TRevolutionBand &band, int uSteps, int vSteps, bool halfTone);
void DrawFace(TSolidDrawer &drawer, TRevolutionFace &face, int uSteps, int vSteps, bool halfTone);
