#include "viewer3d/solids/prism_solid.h"

#include <algorithm>
#include <cmath>

#include "viewer3d/solids/solid_drawer.h"

namespace {

// A base shorter than this fraction of the longer face counts as none: the faces coincide
// and a b sin(gamma) / c has lost every digit.
constexpr double kDegenerateBase = 1e-9;

}  // namespace

TPrismSection PrismSection(const TPrismShape &p) {
  TPrismSection s;
  const double c2 = p.a * p.a + p.b * p.b - 2.0 * p.a * p.b * std::cos(p.gamma);
  s.c = std::sqrt(std::max(0.0, c2));
  const double longer = std::max(std::fabs(p.a), std::fabs(p.b));
  if (!(s.c > kDegenerateBase * longer)) {
    s.h = 0.5 * (p.a + p.b);
    return s;
  }
  s.h = p.a * p.b * std::sin(p.gamma) / s.c;
  s.d1 = (p.a * p.a + s.c * s.c - p.b * p.b) / (2.0 * s.c);
  s.d2 = s.c - s.d1;
  return s;
}

void PaintPrism(TSolidDrawer &drawer, const TPrismShape &p) {
  const TPrismSection s = PrismSection(p);
  const double x = 0.5 * p.w;
  const DPOINT3 Ap(x, 0.0, s.h), Am(-x, 0.0, s.h);
  const DPOINT3 Bp(x, -s.d1, 0.0), Bm(-x, -s.d1, 0.0);
  const DPOINT3 Cp(x, s.d2, 0.0), Cm(-x, s.d2, 0.0);
  drawer.SetRamps(kGlassRamp, kGlassRamp);
  // Face AB.
  drawer.Triangle(Ap, Am, Bm, true);
  drawer.Triangle(Ap, Bm, Bp, true);
  drawer.Line(Ap, Am, kPrismEdgeColor);
  drawer.Line(Am, Bm, kPrismEdgeColor);
  drawer.Line(Bm, Bp, kPrismEdgeColor);
  drawer.Line(Bp, Ap, kPrismEdgeColor);
  // Face AC.
  drawer.Triangle(Ap, Am, Cm, true);
  drawer.Triangle(Ap, Cm, Cp, true);
  drawer.Line(Ap, Cp, kPrismEdgeColor);
  drawer.Line(Cp, Cm, kPrismEdgeColor);
  drawer.Line(Cm, Am, kPrismEdgeColor);
  // Base BC.
  drawer.Triangle(Bp, Bm, Cp, true);
  drawer.Triangle(Bm, Cp, Cm, true);
  drawer.Line(Bp, Cp, kPrismEdgeColor);
  drawer.Line(Bm, Cm, kPrismEdgeColor);
  // End faces.
  drawer.Triangle(Ap, Bp, Cp, true);
  drawer.Triangle(Bm, Am, Cm, true);
}

void PrismBox(const TPrismShape &p, DPOINT3 &low, DPOINT3 &high) {
  const TPrismSection s = PrismSection(p);
  const double x = 0.5 * std::fabs(p.w);
  // The apex stands at y = 0, the base corners at -d1 and d2 (both on one side for an
  // obtuse base angle).
  low = DPOINT3(-x, std::min({0.0, -s.d1, s.d2}), std::min(0.0, s.h));
  high = DPOINT3(x, std::max({0.0, -s.d1, s.d2}), std::max(0.0, s.h));
}
