#pragma once
// The round lens whose two conic faces each stand in their own place (scene kind 10900): a
// face tilted or decentred against its partner is drawn where its surface is, not about the
// partner's axis. Face 1 has its vertex at the origin and its axis along z; face 2 has its
// vertex at `vertex2` and its axis along `axis2` (a unit vector pointing the way z does,
// into the glass past face 1). Each face is the conic of its radius and eccentricity about
// its own axis out to its own diameters; a wall joins the two outer rims (and the inner
// rims of a hole) point by point at the same angle about the axes, the angle about face 2's
// axis measured from the direction of face 1's x laid into face 2's plane. No flanges.

#include "foundation/containers/points.h"
#include "viewer3d/solids/round_element_solid.h"

class TSolidDrawer;

struct TPlacedLensShape {
  TRoundFace face1;
  TRoundFace face2;
  DPOINT3 vertex2;
  DPOINT3 axis2{0.0, 0.0, 1.0};
};

// Point (u, v) of face k (0 or 1) of the shape, u from the inner rim (or the vertex) to the
// outer rim, v once round from the angle phiStart through phiSpan: where it is drawn.
DPOINT3 PlacedLensFacePoint(const TPlacedLensShape &shape, int k, double u, double v);

// Draws the lens at quality n (faces of n x 4n cells); the sector phi1..phi2 (radians) is
// left open. False, with nothing drawn, when a face does not reach one of its rims.
bool PaintPlacedLens(TSolidDrawer &drawer, const TPlacedLensShape &shape, int quality, double phi1, double phi2);

// The lens's box in its own frame: every rim and vertex, and the faces between, inside it.
void PlacedLensBox(const TPlacedLensShape &shape, DPOINT3 &low, DPOINT3 &high);
