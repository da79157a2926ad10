#include "viewer3d/solids/lens_solid.h"

#include <algorithm>
#include <cmath>

#include "viewer3d/solids/conic_profile.h"
#include "viewer3d/solids/revolution_pieces.h"
#include "viewer3d/solids/solid_drawer.h"

bool CreateLense(const TLensShape &lens, TLensGeometry &geometry) {
  const double clear = lens.D - 2.0 * lens.b;
  double theta[2] = {0.0, 0.0};
  const double radii[2] = {lens.R1, lens.R2};
  for (int k = 0; k < 2; ++k) {
    // a = (D - 2b) / 2|R|; written as a comparison so that R = 0 fails instead of dividing.
    if (!(std::fabs(clear) <= 2.0 * std::fabs(radii[k]))) return false;
    theta[k] = std::asin(clear / (2.0 * std::fabs(radii[k])));
  }
  geometry.theta1 = theta[0];
  geometry.theta2 = theta[1];
  geometry.zFront = lens.R1 - lens.R1 * std::cos(theta[0]) + lens.b;
  geometry.zBack = lens.T + lens.R2 - lens.R2 * std::cos(theta[1]) - lens.b;
  return geometry.zBack >= geometry.zFront;
}

bool PaintLens(TSolidDrawer &drawer, const TLensShape &lens, int quality) {
  TLensGeometry g;
  if (!CreateLense(lens, g)) return false;
  const int n = EffectiveQuality(quality);
  // The surfaces as spheres along their rim angle from the vertex; surface 2 has x and y
  // exchanged, which reverses its winding.
  const TConicProfile front(lens.R1, 0.0), back(lens.R2, 0.0);
  drawer.SetRamps(kGlassRamp, kGlassRamp);
  TRevolutionFace face1{&front, 0.0, g.theta1, 0.0, 0.0, kFullTurn, false};
  DrawFace(drawer, face1, n, 4 * n, true);
  TRevolutionFace face2{&back, 0.0, g.theta2, lens.T, 0.0, kFullTurn, true};
  DrawFace(drawer, face2, n, 4 * n, true);
  drawer.SetRamps(kMountRampFirst, kMountRampLast);
  const double rim = 0.5 * lens.D;
  TRevolutionBand edge{g.zFront, g.zBack, rim, rim, 0.0, kFullTurn, true};
  DrawBand(drawer, edge, 1, 10 * n, false);
  if (lens.b != 0.0) {
    TRevolutionBand frontChamfer{g.zFront, g.zFront - lens.b, rim, rim - lens.b,
                                 0.0,      kFullTurn,         true};
    DrawBand(drawer, frontChamfer, 1, 30 * n, false);
    TRevolutionBand backChamfer{g.zBack, g.zBack + lens.b, rim, rim - lens.b,
                                0.0,     kFullTurn,        true};
    DrawBand(drawer, backChamfer, 1, 30 * n, false);
  }
  return true;
}

void LensBox(const TLensShape &lens, DPOINT3 &low, DPOINT3 &high) {
  const double h = 0.5 * std::fabs(lens.D);
  const double front = lens.R1 < 0.0 ? SphereSagAtDiameter(lens.R1, lens.D) : 0.0;
  const double back = lens.T + (lens.R2 > 0.0 ? SphereSagAtDiameter(lens.R2, lens.D) : 0.0);
  low = DPOINT3(-h, -h, std::min(front, back));
  high = DPOINT3(h, h, std::max(front, back));
}
