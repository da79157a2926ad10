#pragma once
// The triangular prism (scene kind 10700): its cross-section lies in the y-z plane with
// the apex A = (0, h) between faces a and b meeting at the apex angle gamma, the base
// corners B = (-d1, 0) and C = (d2, 0) on the y axis, and the solid runs along x from
// -w/2 to w/2. Eight triangles, every edge outlined.

#include "foundation/containers/points.h"

class TSolidDrawer;

struct TPrismShape {
  double a = 0.0;
  double b = 0.0;
  double w = 0.0;
  double gamma = 0.0;  // radians
};

// c = sqrt(a^2 + b^2 - 2 a b cos(gamma)) is the base, h = a b sin(gamma) / c the height,
// d1 = (a^2 + c^2 - b^2) / (2 c) and d2 = c - d1 the signed feet of the height from B and
// C: with an obtuse angle at C (a thin wedge, a long face a) d2 is negative and both base
// corners lie on B's side, so the faces a and b still meet at the apex angle gamma. When
// the two faces coincide (a = b with gamma = 0, or a = b = 0) there is no base to divide
// by: the prism is drawn flat, as the limit of a narrowing apex, a blade of height a with
// its base corners at the foot of the height.
struct TPrismSection {
  double c = 0.0;
  double h = 0.0;
  double d1 = 0.0;
  double d2 = 0.0;
};
TPrismSection PrismSection(const TPrismShape &prism);

void PaintPrism(TSolidDrawer &drawer, const TPrismShape &prism);

void PrismBox(const TPrismShape &prism, DPOINT3 &low, DPOINT3 &high);
