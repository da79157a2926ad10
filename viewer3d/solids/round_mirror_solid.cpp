#include "viewer3d/solids/round_mirror_solid.h"

#include <algorithm>
#include <cmath>

#include "viewer3d/solids/conic_profile.h"
#include "viewer3d/solids/revolution_pieces.h"
#include "viewer3d/solids/solid_drawer.h"

namespace {

// A hole narrower than this (mm) is no hole.
constexpr double kSmallestHole = 0.001;

// The rim angle of a sphere at diameter d; false when the sphere is narrower.
bool RimAngle(double R, double d, double &theta) {
  if (!(std::fabs(d) <= 2.0 * std::fabs(R))) return false;
  theta = std::asin(d / (2.0 * std::fabs(R)));
  return true;
}

}  // namespace

bool CreateRoundMirror(const TRoundMirrorShape &m, TRoundMirrorGeometry &g) {
  if (!RimAngle(m.R, m.D - 2.0 * m.b, g.thetaOuter)) return false;
  g.zOuter = m.R - m.R * std::cos(g.thetaOuter) + m.b;
  if (m.T < g.zOuter) return false;
  g.thetaInner = 0.0;
  if (m.Dh != 0.0 && !RimAngle(m.R, m.Dh + 2.0 * m.b, g.thetaInner)) return false;
  g.zInner = m.R - m.R * std::cos(g.thetaInner) + m.b;
  return true;
}

bool PaintRoundMirror(TSolidDrawer &drawer, const TRoundMirrorShape &m, int quality) {
  TRoundMirrorGeometry g;
  if (!CreateRoundMirror(m, g)) return false;
  const int n = EffectiveQuality(quality);
  const TConicProfile sphere(m.R, 0.0);
  const double rim = 0.5 * m.D, hole = 0.5 * m.Dh;
  drawer.SetRamps(kMirrorRampFirst, kMirrorRampLast);
  TRevolutionFace face{&sphere, g.thetaInner, g.thetaOuter, 0.0, 0.0, kFullTurn, false};
  DrawFace(drawer, face, n, 4 * n, false);
  drawer.SetRamps(kMountRampFirst, kMountRampLast);
  TRevolutionBand back = m.Dh <= kSmallestHole
                             ? TRevolutionBand{m.T, m.T, 0.0, rim - m.b}
                             : TRevolutionBand{m.T, m.T, hole + m.b, rim - 2.0 * m.b};
  DrawBand(drawer, back, 1, 15 * n, false);
  TRevolutionBand outer{g.zOuter, m.T - m.b, rim, rim};
  DrawBand(drawer, outer, 1, 15 * n, false);
  if (m.b != 0.0) {
    drawer.SetRamps(kMountRampFirst, kMountRampLast);
    TRevolutionBand frontChamfer{g.zOuter, g.zOuter - m.b, rim, rim - m.b};
    DrawBand(drawer, frontChamfer, 1, 30 * n, false);
    TRevolutionBand backChamfer{m.T, m.T - m.b, rim - m.b, rim};
    DrawBand(drawer, backChamfer, 1, 30 * n, false);
  }
  if (m.Dh > kSmallestHole) {
    drawer.SetRamps(kMountRampFirst, kMountRampLast);
    TRevolutionBand cylinder{g.zInner, m.T - m.b, hole, hole};
    DrawBand(drawer, cylinder, 1, 20 * n, false);
    TRevolutionBand frontChamfer{g.zInner, g.zInner - m.b, hole, hole + m.b};
    DrawBand(drawer, frontChamfer, 1, 20 * n, false);
    TRevolutionBand backChamfer{m.T, m.T - m.b, hole + m.b, hole};
    DrawBand(drawer, backChamfer, 1, 20 * n, false);
  }
  return true;
}

void RoundMirrorBox(const TRoundMirrorShape &m, DPOINT3 &low, DPOINT3 &high) {
  const double h = 0.5 * std::fabs(m.D);
  // The face runs from the hole's rim (or the vertex) to the outer rim; the hole's
  // cylinder starts at its rim's sag plus b, which a deep face may put behind the back.
  const double outer = SphereSagAtDiameter(m.R, m.D);
  const double inner = m.Dh > kSmallestHole ? SphereSagAtDiameter(m.R, m.Dh + 2.0 * m.b) + m.b : 0.0;
  low = DPOINT3(-h, -h, std::min({outer, 0.0, m.T - m.b, m.T}));
  high = DPOINT3(h, h, std::max({outer, inner, m.T}));
}
