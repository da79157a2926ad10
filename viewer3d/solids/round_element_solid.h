#pragma once
// The round element between two conic surfaces (scene kind 10000): a lens, mirror or
// mount ring with an optional central hole and flanges at its outer and inner rims, drawn
// as a solid of revolution about z. Surface 1's vertex lies at the origin, surface 2's at
// z = L. The one solid the section angles cut open: the sector from phi1 to phi2 is left
// out (phi1 = phi2 draws the full turn).

#include "foundation/containers/points.h"

class TSolidDrawer;

// One face: vertex radius R (0: flat, drawn as a sphere of 1000 D), eccentricity e (signed
// as TConicProfile takes it), outer and inner diameters D and Di (0: no hole), widths F
// and Fi of the flanges at the outer and the inner rim, and the face kind (TSurfaceKind).
struct TRoundFace {
  double R = 0.0;
  double e = 0.0;
  double D = 0.0;
  double Di = 0.0;
  double F = 0.0;
  double Fi = 0.0;
  int kind = 0;
};

// What the preparation derives: the faces as drawn (radius 0 replaced, inner flanges
// dropped without a hole, overlapping flanges dropped in pairs, kinds adjusted), the sags
// at the rims measured from surface 1's vertex, and the drawing parameters of the rims.
struct TRoundElementGeometry {
  TRoundFace face[2];
  double L = 0.0;
  double zOuter[2] = {0.0, 0.0};  // sag of surface 1 at D1 / 2; L + sag of surface 2 at D2 / 2
  double zInner[2] = {0.0, 0.0};
  double tOuter[2] = {0.0, 0.0};
  double tInner[2] = {0.0, 0.0};
};

// False, with the geometry unusable, when a surface does not reach its own outer or inner
// rim (a sphere narrower than its diameter): no real rim angle exists there.
bool BaseElement(const TRoundFace &face1, const TRoundFace &face2, double L,
                 TRoundElementGeometry &geometry);

// Draws the element in its own frame at quality n (surfaces of n x 4n cells); phi1 and
// phi2 are the section angles in radians. False, with nothing drawn, when BaseElement
// fails.
bool PaintBaseElement(TSolidDrawer &drawer, const TRoundFace &face1, const TRoundFace &face2,
                      double L, int quality, double phi1, double phi2);

// The element's box in its own frame, from the same sags: every flange, rim and vertex
// lies inside it. A surface that cannot reach its rim is taken at its reach.
void RoundElementBox(const TRoundFace &face1, const TRoundFace &face2, double L, DPOINT3 &low,
                     DPOINT3 &high);
