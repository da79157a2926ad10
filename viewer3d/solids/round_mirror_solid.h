#pragma once
// The round spherical mirror (scene kind 10300): a reflecting sphere of radius R and
// diameter D with its vertex at the origin, a flat back at z = T, an optional central hole
// of diameter Dh and 45-degree chamfers of width b at the rims.

#include "foundation/containers/points.h"

class TSolidDrawer;

struct TRoundMirrorShape {
  double R = 0.0;
  double D = 0.0;
  double T = 0.0;
  double Dh = 0.0;
  double b = 0.0;
};

struct TRoundMirrorGeometry {
  double thetaOuter = 0.0;
  double thetaInner = 0.0;
  double zOuter = 0.0;  // the outer rim's sag plus b
  double zInner = 0.0;  // the hole's rim sag plus b
};

// False when the sphere is narrower than D - 2b or than Dh + 2b, or the back lies in front
// of the outer rim's sag plus the chamfer.
bool CreateRoundMirror(const TRoundMirrorShape &mirror, TRoundMirrorGeometry &geometry);

// Draws the mirror surface (n x 4n cells), the back face and the outer cylinder (1 x 15n),
// the chamfers (1 x 30n) and, with a hole, its cylinder and chamfers (1 x 20n). False, with
// nothing drawn, when CreateRoundMirror fails.
bool PaintRoundMirror(TSolidDrawer &drawer, const TRoundMirrorShape &mirror, int quality);

void RoundMirrorBox(const TRoundMirrorShape &mirror, DPOINT3 &low, DPOINT3 &high);
