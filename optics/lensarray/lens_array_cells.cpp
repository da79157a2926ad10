#include "optics/lensarray/lens_array_geometry.h"

// The lattice search of the zone geometry: which cells a point of zone coordinates (u, w)
// may belong to, for every packing.

#include <cmath>

#include "foundation/numerics/pi.h"
#include "optics/model/general_parameters.h"
#include "optics/lensarray/lens_array_zone_access.h"
#include "optics/model/surface.h"

namespace {

constexpr double kDegreesToRadiansExact = 0.017453292519943295;
// Ay of a zone whose PackCoef stops after Ax: one row of cells, in effect.
constexpr double kMissingSecondPeriod = 1e6;
// Beyond this cell index the fraction of a double no longer places a point in its cell
// reliably (2^53 is about 9e15): such lattices are refused rather than mis-assigned.
constexpr double kMaxCellIndex = 1e12;
// Hexagon ratios outside this range read as the regular hexagon.
constexpr double kMinHexagonRatio = 0.51;
constexpr double kMaxHexagonRatio = 3.0;
constexpr double kTwoOverRoot3 = 1.15470053837925;
constexpr double kRoot3 = 1.73205080756888;

// Nearest lattice positions n A and (n + step) A of v along one axis, signed like v.
bool OneAxisCells(double v, double A, double &first, double &second) {
  const double a = std::fabs(v) / A;
  if (!(a <= kMaxCellIndex)) return false;
  const double n = std::floor(a + 0.5);
  const double step = a >= n ? 1.0 : -1.0;
  first = n * A;
  second = (n + step) * A;
  if (v < 0.0) {
    first = -first;
    second = -second;
  }
  return true;
}

// The hexagonal cell of (u, w): its centre, the only candidate.
bool HexagonCell(double u, double w, double Ax, double q, double &uc, double &wc) {
  const double h = 0.5 * Ax;
  if (q < kMinHexagonRatio || q > kMaxHexagonRatio) q = 1.0;
  // The offsets keep A, P and Q positive over any reasonable aperture; floor (not
  // truncation) and a non-negative remainder keep the assignment right beyond it too.
  const double A = 1000001.0 * h + u;
  const double B = 1000000.5 * h * kTwoOverRoot3 + w;
  const double C = B * kRoot3 * q;
  const double P = (C + A) * 0.5 / h;
  const double Q = (C - A) * 0.5 / h;
  const double S = A / h;
  if (!(std::fabs(P) <= kMaxCellIndex && std::fabs(Q) <= kMaxCellIndex &&
        std::fabs(S) <= kMaxCellIndex))
    return false;
  const double i = std::floor(S);
  const double j = std::floor(P);
  const double k = std::floor(Q);
  double fracP = P - j;
  double fracQ = Q - k;
  auto mod3 = [](double v) {
    double r = std::fmod(v, 3.0);
    if (r < 0.0) r += 3.0;
    return r;
  };
  static constexpr int kShiftTable[27] = {0, 0, 0, 1, 1, 0, 0, 3, 2, 0, 1, 1, 2, 0,
                                          3, 0, 0, 0, 3, 2, 0, 0, 0, 0, 1, 0, 1};
  const int index = static_cast<int>(mod3(k) * 9.0 + mod3(j) * 3.0 + mod3(i) + 0.01);
  switch (kShiftTable[index]) {
    case 1:
      fracP -= 1.0;
      fracQ -= 1.0;
      break;
    case 2:
      fracP -= 1.0;
      break;
    case 3:
      fracQ -= 1.0;
      break;
    default:
      break;
  }
  uc = u - (fracP - fracQ) * h;
  wc = w - (fracP + fracQ) * h / (kRoot3 * q);
  return std::isfinite(uc) && std::isfinite(wc);
}

}  // namespace

bool FindCandidateCells(const TSurface &surface, int zoneIndex, const double cell[3],
                        double candidates[kMaxCandidateCells][3], int &count) {
  count = 0;
  const TRasterZone *zone = LensArrayZone(surface, zoneIndex);
  if (zone == nullptr) return false;
  const int packing = zone->Packing;
  const int coefCount = ZoneListCount(zone->PackCoef);
  if (coefCount < 1) return false;
  double Ax = zone->PackCoef.data[0];
  double Ay = coefCount >= 2 ? zone->PackCoef.data[1] : kMissingSecondPeriod;
  const bool usesAx = packing != kPackingLineOX && packing != kPackingRadial;
  const bool usesAyAsPeriod = packing == kPackingLineOX || packing == kPackingRectangle ||
                              packing == kPackingRadial || packing == kPackingRadialRing;
  // A period must be a positive length; the hexagon's ratio has its own fallback.
  if (usesAx && !(Ax > 0.0 && std::isfinite(Ax))) return false;
  if (usesAyAsPeriod && !(Ay > 0.0 && std::isfinite(Ay))) return false;

  const bool flat = surface.general.type == kSurfacePlane;
  const double R = ClampLensArrayRadius(surface.general.R, kLensArrayRadiusLimit);
  if (!flat) {
    // On a curved base the periods become angles. A concave base (R < 0) gives the same
    // lattice: the rules below need the periods' magnitudes.
    Ax = std::fabs(Ax / R);
    Ay = Ay / R;
    if (packing != kPackingHexagon) Ay = std::fabs(Ay);
  }
  if (packing == kPackingRadial || packing == kPackingRadialRing) {
    Ay = flat ? Ay * kDegreesToRadiansExact : (1.0 / 180.0) * std::fabs(R) * kPi * Ay;
  }
  if ((usesAx && !(Ax > 0.0)) || (usesAyAsPeriod && !(Ay > 0.0))) return false;

  const double u = cell[1];
  const double w = cell[2];
  auto put = [&](double uc, double wc) {
    candidates[count][0] = 0.0;
    candidates[count][1] = uc;
    candidates[count][2] = wc;
    ++count;
  };
  double first = 0.0, second = 0.0, wFirst = 0.0, wSecond = 0.0;
  switch (packing) {
    case kPackingLineOX:
    case kPackingRadial:
      if (!OneAxisCells(w, Ay, first, second)) return false;
      put(0.0, first);
      put(0.0, second);
      break;
    case kPackingLineOY:
    case kPackingRing:
      if (!OneAxisCells(u, Ax, first, second)) return false;
      put(first, 0.0);
      put(second, 0.0);
      break;
    case kPackingRectangle:
    case kPackingRadialRing:
      if (!OneAxisCells(u, Ax, first, second) || !OneAxisCells(w, Ay, wFirst, wSecond))
        return false;
      put(first, wFirst);
      put(second, wFirst);
      put(first, wSecond);
      put(second, wSecond);
      break;
    case kPackingHexagon: {
      double uc = 0.0, wc = 0.0;
      if (!HexagonCell(u, w, Ax, Ay, uc, wc)) return false;
      put(uc, wc);
      break;
    }
    default:
      return false;
  }
  return true;
}

