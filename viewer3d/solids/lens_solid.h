#pragma once
// The spherical lens with chamfered edges (scene kind 10200): surface 1 of radius R1 with
// its vertex at the origin, surface 2 of radius R2 with its vertex at z = T, diameter D,
// and a 45-degree chamfer of width b at both rims. A lens is all glass; its edge and
// chamfers are drawn in the mount colours.

#include "foundation/containers/points.h"

class TSolidDrawer;

struct TLensShape {
  double R1 = 0.0;
  double R2 = 0.0;
  double D = 0.0;
  double T = 0.0;
  double b = 0.0;
};

// The rim angles and the rims of the edge cylinder.
struct TLensGeometry {
  double theta1 = 0.0;
  double theta2 = 0.0;
  double zFront = 0.0;  // where the edge cylinder starts (surface 1's rim plus b)
  double zBack = 0.0;   // where it ends (surface 2's rim less b)
};

// False when a surface is narrower than the clear diameter D - 2b (a radius of 0 always
// is) or the edge would have a negative length.
bool CreateLense(const TLensShape &lens, TLensGeometry &geometry);

// Draws both surfaces (n x 4n cells), the edge cylinder (1 x 10n) and, with b != 0, the two
// chamfers (1 x 30n). False, with nothing drawn, when CreateLense fails.
bool PaintLens(TSolidDrawer &drawer, const TLensShape &lens, int quality);

// From the sags at the full diameter: surface 1's when R1 < 0 at the front, surface 2's
// when R2 > 0 at the back.
void LensBox(const TLensShape &lens, DPOINT3 &low, DPOINT3 &high);
