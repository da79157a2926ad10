#include "viewer3d/solids/round_element_solid.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "viewer3d/solids/conic_profile.h"
#include "viewer3d/solids/revolution_pieces.h"
#include "viewer3d/solids/solid_drawer.h"

namespace {

// A flat face is drawn as a sphere this many diameters in radius.
constexpr double kFlatRadiusPerDiameter = 1000.0;
// Inner flanges narrower than this (mm) are not drawn.
constexpr double kSmallestInnerFlange = 0.001;

TRoundFace PreparedFace(TRoundFace face) {
  if (face.Di == 0.0) face.Fi = 0.0;
  if (face.R == 0.0) face.R = kFlatRadiusPerDiameter * face.D;
  return face;
}

// The sags and flange drops, without the reach check (the box takes an unreachable rim at
// the reach).
void Derive(const TRoundFace &face1, const TRoundFace &face2, double L,
            TRoundElementGeometry &g) {
  g.face[0] = PreparedFace(face1);
  g.face[1] = PreparedFace(face2);
  g.L = L;
  for (int k = 0; k < 2; ++k) {
    const TRoundFace &f = g.face[k];
    const TConicProfile profile(f.R, f.e);
    const double shift = k == 0 ? 0.0 : L;
    g.zOuter[k] = shift + profile.Sag(0.5 * f.D);
    g.zInner[k] = shift + profile.Sag(0.5 * f.Di);
    g.tOuter[k] = profile.Parameter(0.5 * f.D);
    g.tInner[k] = profile.Parameter(0.5 * f.Di);
  }
  // Flanges that would overlap along the axis are dropped in pairs; equality keeps them.
  TRoundFace &f1 = g.face[0];
  TRoundFace &f2 = g.face[1];
  if (g.zOuter[0] + f1.F > g.zOuter[1] - f2.F) f1.F = f2.F = 0.0;
  if (g.zInner[0] + f1.Fi > g.zInner[1] - f2.Fi) f1.Fi = f2.Fi = 0.0;
  AdjustFaceKinds(f1.kind, f2.kind);
}

}  // namespace

bool BaseElement(const TRoundFace &face1, const TRoundFace &face2, double L,
                 TRoundElementGeometry &geometry) {
  Derive(face1, face2, L, geometry);
  for (const TRoundFace &f : geometry.face) {
    const TConicProfile profile(f.R, f.e);
    if (!profile.Reaches(0.5 * f.D) || !profile.Reaches(0.5 * f.Di)) return false;
  }
  return true;
}

bool PaintBaseElement(TSolidDrawer &drawer, const TRoundFace &face1, const TRoundFace &face2,
                      double L, int quality, double phi1, double phi2) {
  TRoundElementGeometry g;
  if (!BaseElement(face1, face2, L, g)) return false;
  const int n = EffectiveQuality(quality);
  const TRoundFace &f1 = g.face[0];
  const TRoundFace &f2 = g.face[1];
  // phi runs from phi2 round to phi1 + 2 pi: the sector phi1..phi2 stays open.
  const double phiStart = phi2, phiSpan = kFullTurn + phi1 - phi2;
  auto band = [&](double z0, double z1, double rho0, double rho1, int vSteps) {
    TRevolutionBand piece{z0, z1, rho0, rho1, phiStart, phiSpan, false};
    DrawBand(drawer, piece, 1, vSteps, ApplySurfaceKind(drawer, kMountFace));
  };
  const double r1 = 0.5 * f1.D, r1i = 0.5 * f1.Di, r2 = 0.5 * f2.D, r2i = 0.5 * f2.Di;
  if (f1.F != 0.0) band(g.zOuter[0], g.zOuter[0] + f1.F, r1, r1 + f1.F, 30 * n);
  if (f1.Fi > kSmallestInnerFlange && f1.Di > 0.0)
    band(g.zInner[0], g.zInner[0] + f1.Fi, r1i, r1i - f1.Fi, 30 * n);
  if (f2.F != 0.0) band(g.zOuter[1] - f2.F, g.zOuter[1], r2 + f2.F, r2, 30 * n);
  if (f2.Fi > kSmallestInnerFlange && f2.Di > 0.0)
    band(g.zInner[1] - f2.Fi, g.zInner[1], r2i - f2.Fi, r2i, 30 * n);
  for (int k = 0; k < 2; ++k) {
    const TConicProfile profile(g.face[k].R, g.face[k].e);
    TRevolutionFace face{&profile, g.tInner[k], g.tOuter[k], k == 0 ? 0.0 : L,
                         phiStart,  phiSpan,     false};
    DrawFace(drawer, face, n, 4 * n, ApplySurfaceKind(drawer, g.face[k].kind));
  }
  band(g.zOuter[0] + f1.F, g.zOuter[1] - f2.F, r1 + f1.F, r2 + f2.F, 15 * n);
  // Drawn even without a hole, where it shrinks to the axis.
  band(g.zInner[0] + f1.Fi, g.zInner[1] - f2.Fi, r1i - f1.Fi, r2i - f2.Fi, 15 * n);
  return true;
}

void RoundElementBox(const TRoundFace &face1, const TRoundFace &face2, double L, DPOINT3 &low,
                     DPOINT3 &high) {
  TRoundElementGeometry g;
  Derive(face1, face2, L, g);
  const TRoundFace &f1 = g.face[0];
  const TRoundFace &f2 = g.face[1];
  // Each face's sag runs monotonically from its inner to its outer rim, and every band
  // joins two of these meridian points, so their extremes bound the solid.
  const std::initializer_list<double> z = {
      g.zOuter[0], g.zInner[0], g.zOuter[1],         g.zInner[1],         g.zOuter[0] + f1.F,
      g.zInner[0] + f1.Fi,      g.zOuter[1] - f2.F, g.zInner[1] - f2.Fi};
  const std::initializer_list<double> rho = {
      0.5 * f1.D,         0.5 * f2.D,         0.5 * f1.D + f1.F,   0.5 * f2.D + f2.F,
      0.5 * f1.Di - f1.Fi, 0.5 * f2.Di - f2.Fi, 0.5 * f1.Di,        0.5 * f2.Di};
  double h = 0.0;
  for (double r : rho) h = std::max(h, std::fabs(r));
  low = DPOINT3(-h, -h, std::min(z));
  high = DPOINT3(h, h, std::max(z));
}
