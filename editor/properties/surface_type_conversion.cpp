#include "editor/properties/surface_type_conversion.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "foundation/numerics/pi.h"
#include "optics/model/surface.h"

namespace {

// The even powers a polynomial type is written with, r^2 .. r^20: the terms the aspherics
// table shows. A conic written as such a series is cut after them.
constexpr int kSeriesTerms = 10;
// Heights each way along each side of the bound where a changed surface is traced, and
// points along its rim.
constexpr int kTracedHeights = 20;
constexpr int kRimPoints = 72;

// What each type holds. A second radius is held by the torus; the cylinder's is fixed flat,
// every other type's equals the first. The second high-power form holds a conic only as a
// series. The ring torus, e x^2 - 2 R x + (r -+ a1)^2 = 0 with e = 1 - a2, is a conic of
// conic term a2 swept round the axis at the ring radius a1.
struct TTypeHolds {
  bool curvature;
  bool conic;
  bool evenTerms;
  bool secondRadius;
  bool xTerms;
  bool torusTerm;
  bool ring;
};
constexpr TTypeHolds kHolds[] = {
    {false, false, false, false, false, false, false},  // plane
    {true, false, false, false, false, false, false},   // sphere
    {true, true, false, false, false, false, false},    // conic
    {true, true, false, false, true, false, false},     // high power 1: y^2 + z^2 + a0 x + a1 x^2 + a2 x^3 ...
    {true, false, true, false, false, false, false},    // high power 2: x = a0 r^2 + a1 r^4 + ...
    {true, true, true, false, false, false, false},     // standard
    {true, true, false, false, false, false, false},    // cylinder: R, Ex (a conic in the meridian)
    {true, false, false, true, false, true, false},     // tor: R, second radius, a third term
    {true, true, false, false, false, false, true},     // tor (ring): R, ring radius, conic term
    {true, true, true, false, false, false, false},     // Fresnel
};
static_assert(sizeof kHolds / sizeof kHolds[0] == kSurfaceTypeCount);

// A surface's shape in the terms of the table: curvature c (meridional) and c2 (sagittal),
// conic constant k of x = c r^2 / (1 + sqrt(1 - (1 + k) c^2 r^2)), the added even terms
// r^4, r^6 ..., the high-power form's x^3, x^4 ... terms, a torus's third term, the ring
// radius of the ring torus.
struct TShape {
  double c = 0.0;
  double c2 = 0.0;
  double k = 0.0;
  std::vector<double> terms;
  std::vector<double> xTerms;
  double torusTerm = 0.0;
  double ring = 0.0;
};

// The coefficient of u^n in 1 - sqrt(1 - u) (n >= 1): 1/2, 1/8, 1/16, 5/128, ..., each the
// one before times (2n - 3) / (2n). The conic's sag is the sum over n of
// (1 + k)^(n - 1) c^(2n - 1) r^(2n) times it.
double SqrtSeries(int n) {
  double a = 0.5;
  for (int m = 2; m <= n; ++m) a *= (2.0 * m - 3.0) / (2.0 * m);
  return a;
}

double ConicTerm(double c, double k, int n) { return SqrtSeries(n) * std::pow(1.0 + k, n - 1) * std::pow(c, 2 * n - 1); }

double Inverse(double v) { return v != 0.0 ? 1.0 / v : 0.0; }

double At(const std::vector<double> &a, std::size_t i, double otherwise = 0.0) { return i < a.size() ? a[i] : otherwise; }

void TrimZeros(std::vector<double> &v) {
  while (!v.empty() && v.back() == 0.0) v.pop_back();
}

// The shape read for a new type: a series (the second high-power form) is read as a conic
// only for a type that holds a conic but no even terms; one that holds them takes the
// series term by term from the sphere of its r^2 term, so a series carried there and back
// comes back as it was.
TShape ShapeOf(const TSurface &surface, bool fitConic) {
  const TGeneralParameters &g = surface.general;
  const std::vector<double> a(surface.AsCoef.data, surface.AsCoef.data + surface.AsCoef.Cells());
  TShape shape;
  shape.c = Inverse(g.R);
  switch (g.type) {
    case kSurfacePlane: shape.c = 0.0; break;
    case kSurfaceAspheric2:
    case kSurfaceCylinder: shape.k = -g.Ex; break;
    case kSurfaceAsphericHigh1:
      // y^2 + z^2 + a0 x + a1 x^2 = 0 is the conic of R = -a0 / 2 and 1 + k = a1.
      if (!a.empty()) {
        shape.c = Inverse(-0.5 * a[0]);
        shape.k = At(a, 1) - 1.0;
        shape.xTerms.assign(a.begin() + std::min<std::size_t>(2, a.size()), a.end());
      }
      break;
    case kSurfaceAsphericHigh2:
      if (!a.empty()) {
        // x = a0 r^2 + a1 r^4 + ...: the conic of c = 2 a0 whose r^4 term is a1, where that
        // conic reaches the rim, and what it leaves of each higher term.
        shape.c = 2.0 * a[0];
        const double h = g.semiHeightExt;
        const double k = fitConic && shape.c != 0.0 ? 8.0 * At(a, 1) / std::pow(shape.c, 3) - 1.0 : 0.0;
        shape.k = (1.0 + k) * shape.c * shape.c * h * h < 1.0 ? k : 0.0;
        for (std::size_t n = 1; n < a.size(); ++n)
          shape.terms.push_back(a[n] - ConicTerm(shape.c, shape.k, static_cast<int>(n) + 1));
        if (!shape.terms.empty() && std::fabs(shape.terms[0]) <= 1e-15 * std::fabs(At(a, 1))) shape.terms[0] = 0.0;
      }
      break;
    case kSurfaceAsphericStandard:
    case kSurfaceFresnel:
      if (!a.empty()) {
        shape.c = a[0];
        shape.k = At(a, 1);
        shape.terms.assign(a.begin() + std::min<std::size_t>(2, a.size()), a.end());
      }
      break;
    case kSurfaceTor:
      if (!a.empty()) {
        shape.c = Inverse(a[0]);
        shape.c2 = Inverse(At(a, 1));
        shape.torusTerm = At(a, 2);
        return shape;
      }
      break;
    case kSurfaceTorRing:
      // e x^2 - 2 R x + (r -+ a1)^2 = 0: the conic of 1 + k = e = 1 - a2, at the ring radius.
      if (!a.empty()) {
        shape.c = Inverse(a[0]);
        shape.ring = At(a, 1);
        shape.k = -At(a, 2);
      }
      break;
    default: break;
  }
  shape.c2 = g.type == kSurfaceCylinder ? 0.0 : shape.c;
  TrimZeros(shape.terms);
  TrimZeros(shape.xTerms);
  return shape;
}

// "r^4, r^6 terms" (or x^3 ... from `first`) for the powers that are not 0.
std::string PowerNames(const std::vector<double> &terms, const char *variable, int first, int step) {
  std::string names;
  for (std::size_t n = 0; n < terms.size(); ++n)
    if (terms[n] != 0.0)
      names += (names.empty() ? "" : ", ") + std::string(variable) + "^" + std::to_string(first + step * static_cast<int>(n));
  return names.empty() ? names : names + " terms";
}

void Add(std::string &list, const std::string &item) {
  if (!item.empty()) list += (list.empty() ? "" : ", ") + item;
}

}  // namespace

TTypeConversion ConvertSurfaceType(const TSurface &surface, int type) {
  TTypeConversion result;
  if (type < 0 || type >= kSurfaceTypeCount) return result;
  const TTypeHolds &holds = kHolds[type];
  const TShape shape = ShapeOf(surface, holds.conic && !holds.evenTerms);
  // The second radius the new type gives the surface when it holds none of its own.
  const double impliedSecond = holds.secondRadius ? shape.c2 : type == kSurfaceCylinder ? 0.0 : shape.c;
  if (!holds.curvature && shape.c != 0.0) Add(result.lost, "radius");
  if (!holds.conic && type != kSurfaceAsphericHigh2 && shape.k != 0.0) Add(result.lost, "conic constant");
  if (!holds.evenTerms) Add(result.lost, PowerNames(shape.terms, "r", 4, 2));
  if (holds.curvature && impliedSecond != shape.c2) Add(result.lost, "second radius");
  if (!holds.xTerms) Add(result.lost, PowerNames(shape.xTerms, "x", 3, 1));
  if (!holds.torusTerm && shape.torusTerm != 0.0) Add(result.lost, "third torus term");
  if (!holds.ring && shape.ring != 0.0) Add(result.lost, "ring radius");
  const double R = Inverse(shape.c);
  std::vector<double> &v = result.coefficients;
  switch (type) {
    case kSurfacePlane: v = {0.0}; break;
    case kSurfaceSphere: v = {R}; break;
    case kSurfaceAspheric2:
    case kSurfaceCylinder: v = {R, -shape.k}; break;
    case kSurfaceAsphericHigh1:
      v = {-2.0 * R, 1.0 + shape.k};
      v.insert(v.end(), shape.xTerms.begin(), shape.xTerms.end());
      break;
    case kSurfaceAsphericHigh2: {
      // x = sum over n of (conic term n + terms[n - 2]) r^(2n).
      const int count = std::max(kSeriesTerms, static_cast<int>(shape.terms.size()) + 1);
      for (int n = 1; n <= count; ++n)
        v.push_back(ConicTerm(shape.c, shape.k, n) + (n >= 2 ? At(shape.terms, static_cast<std::size_t>(n - 2)) : 0.0));
      break;
    }
    case kSurfaceAsphericStandard:
    case kSurfaceFresnel:
      v = {shape.c, shape.k};
      v.insert(v.end(), shape.terms.begin(), shape.terms.end());
      break;
    case kSurfaceTor: v = {R, Inverse(shape.c2), shape.torusTerm}; break;
    case kSurfaceTorRing: v = {R, shape.ring, -shape.k}; break;
    default: v = {R}; break;
  }
  return result;
}

bool UntracedPoint(const TSurface &surface, double &y, double &z) {
  const TGeneralParameters &g = surface.general;
  const bool corners = g.boundTypeExt == kBoundSquare || g.boundTypeExt == kBoundRectangle;
  const double sh = g.semiHeightExt;
  const double sw = g.boundTypeExt == kBoundRound ? sh : g.semiWidthExt;
  if (!(sh > 0.0)) return false;
  // Over the whole bound, a rectangle's corners and the rim included: the two sections alone
  // miss the corners, where a surface curved in both sections leaves the trace first.
  std::vector<std::pair<double, double>> points;
  for (int i = -kTracedHeights; i <= kTracedHeights; ++i)
    for (int j = -kTracedHeights; j <= kTracedHeights; ++j) {
      const double a = static_cast<double>(i) / kTracedHeights;
      const double b = static_cast<double>(j) / kTracedHeights;
      if (corners || a * a + b * b <= 1.0) points.emplace_back(sh * a, sw * b);
    }
  // The rim a hair inside, where the bound still passes it.
  constexpr double kInside = 1.0 - 1e-9;
  for (int k = 0; k < kRimPoints; ++k) {
    const double a = 2.0 * kPi * k / kRimPoints;
    const double scale = kInside * (corners ? 1.0 / std::fmax(std::fabs(std::cos(a)), std::fabs(std::sin(a))) : 1.0);
    points.emplace_back(sh * std::cos(a) * scale, sw * std::sin(a) * scale);
  }
  // From the centre out, so that the height named is the lowest one missed.
  std::stable_sort(points.begin(), points.end(), [](const auto &p, const auto &q) {
    return std::hypot(p.first, p.second) < std::hypot(q.first, q.second);
  });
  for (const auto &[dy, dz] : points) {
    // The obscuration, its edge included, holds no glass.
    if (std::hypot(dy, dz) <= g.semiHeightInt) continue;
    int ok = 0;
    surface.PointOnSurface(g.boundPosYExt + dy, g.boundPosXExt + dz, ok);
    if (ok != 0) continue;
    y = g.boundPosYExt + dy;
    z = g.boundPosXExt + dz;
    return true;
  }
  return false;
}

double RimShift(const TSurface &oldSurface, const TSurface &newSurface) {
  // A Fresnel surface is the standard asphere folded into facets: its shape is the unfolded one.
  TSurface before(oldSurface);
  TSurface after(newSurface);
  for (TSurface *s : {&before, &after})
    if (s->general.type == kSurfaceFresnel) s->general.type = kSurfaceAsphericStandard;
  const double h = before.general.semiHeightExt;
  double shift = 0.0;
  for (const auto &[y, z] : {std::pair{h, 0.0}, std::pair{0.0, h}}) {
    int okBefore = 0;
    int okAfter = 0;
    const DPOINT3 a = before.PointOnSurface(y, z, okBefore);
    const DPOINT3 b = after.PointOnSurface(y, z, okAfter);
    // A rim the new shape does not reach at all moves without measure.
    if (okBefore != 0 && okAfter == 0) return INFINITY;
    if (okBefore != 0) shift = std::max(shift, std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)));
  }
  return shift;
}
