#pragma once
// The lens whose two conic faces each stand in their own place (scene kind 10900): a face
// tilted or decentred against its partner is drawn where its surface is, not about the
// partner's axis. Face 1 has its vertex at the origin and its axis along z; face 2 has its
// vertex at `vertex2` and its axis along `axis2` (a unit vector pointing the way z does,
// into the glass past face 1). Each face is the conic of its radius and eccentricity about
// its own axis, bounded by a circle of diameter D (hole Di) or, where its width W is
// positive, a rectangle W wide along its x and D high along its y (hole Wi x Di), or where
// `ellipse` is set too, the ellipse of those axes (hole the ellipse Wi x Di). A wall
// joins the two outer rims (and the inner rims of a hole) point by point, each rim run
// once round from its own x. Face 2's x is `across2` (unit, square to `axis2`), or where
// that is zero face 1's x laid into face 2's plane. No flanges; the section angles open
// only a lens of two round faces.

#include "foundation/containers/points.h"
#include "viewer3d/solids/round_element_solid.h"

class TSolidDrawer;

struct TPlacedLensShape {
  TRoundFace face1;
  TRoundFace face2;
  DPOINT3 vertex2;
  DPOINT3 axis2{0.0, 0.0, 1.0};
  double W[2] = {0.0, 0.0};
  double Wi[2] = {0.0, 0.0};
  DPOINT3 across2;
  bool ellipse[2] = {false, false};
};

// Point (u, v) of face k (0 or 1) of the shape, u from the inner rim (or the vertex) to the
// outer rim, v once round from the face's x: where it is drawn.
DPOINT3 PlacedLensFacePoint(const TPlacedLensShape &shape, int k, double u, double v);

// Draws the lens at quality n (faces of n x 4n cells, 8 cells round a rectangle's side); the sector phi1..phi2 (radians) is
// left open in a lens of two round faces. False, with nothing drawn, when a face does not reach one of its rims.
bool PaintPlacedLens(TSolidDrawer &drawer, const TPlacedLensShape &shape, int quality, double phi1, double phi2);

// The lens's box in its own frame: every rim and vertex, and the faces between, inside it.
void PlacedLensBox(const TPlacedLensShape &shape, DPOINT3 &low, DPOINT3 &high);
