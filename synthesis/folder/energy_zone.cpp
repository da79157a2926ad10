#include "synthesis/folder/energy_zone.h"

#include <algorithm>
#include <cmath>

#include "foundation/containers/mem.h"

namespace {

// Zone bounds far outside any raster are kept far outside without overflowing an int.
constexpr double kFarAway = 1.0e9;
constexpr double kNoMinimum = 1.0e20;
constexpr double kMinimumFound = 1.0e10;
// Smoothing needs zones this many disc diameters (or cells) across.
constexpr double kSmoothingSpan = 20.0;
constexpr int kBoxDivisor = 16;
// The zone's values are shown to 0.001 at least.
constexpr double kCoarsestZoneStep = 0.001;

// A cell centre this close to the zone's edge (relative to the semi-axis in cells) lies on
// it: the rounding of the zone's centre and size into cells must not decide.
constexpr double kOnTheEdge = 1.0e-9;

// The first index at or after value, kept far outside without overflowing an int.
int CeilingIndex(double value) {
  return static_cast<int>(std::ceil(std::clamp(value, -kFarAway, kFarAway)));
}

// The last index at or before value, likewise.
int FloorIndex(double value) {
  return static_cast<int>(std::floor(std::clamp(value, -kFarAway, kFarAway)));
}

// How much of a cell a zone holds by the cell's centre at u semi-axes from the zone's centre
// along one axis (|u| for a rectangle's axis, u^2 + v^2 for an ellipse): all inside, half
// on the edge, nothing outside. A centre on the edge counts half on either side, so that a
// zone and its mirror image take mirrored cells, and zones side by side share the cells
// between them.
double EdgeShare(double s) {
  if (s < 1.0 - kOnTheEdge) return 1.0;
  return s <= 1.0 + kOnTheEdge ? 0.5 : 0.0;
}

// The cells whose centres lie inside the zone, those on its edge counting half.
struct TZoneCells {
  int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
  // The zone in cells about its centre: centre (ci, cj) on the cell grid, semi-axes a, b.
  double ci = 0.0, cj = 0.0, a = 1.0, b = 1.0;
  bool ellipse = false;

  double Share(int i, int j) const {
    const double u = (i - ci) / a;
    const double v = (j - cj) / b;
    if (ellipse) return EdgeShare(u * u + v * v);
    return EdgeShare(std::fabs(u)) * EdgeShare(std::fabs(v));
  }
};

}  // namespace

double ZoneValueStep(double cell) {
  if (!(cell > 0.0) || !std::isfinite(cell)) return kCoarsestZoneStep;
  return std::min(kCoarsestZoneStep, std::pow(10.0, std::floor(std::log10(cell)) - 1.0));
}

double RoundZoneValue(double value, double cell) {
  const double step = ZoneValueStep(cell);
  const double scaled = value >= 0.0 ? value / step + 0.5 : value / step - 0.5;
  if (!std::isfinite(scaled) || std::fabs(scaled) > 9.0e15) return value;
  // Divided by the step's inverse, a power of ten, the digits come back as typed; a value
  // that rounds to nothing is 0, not -0 in the box.
  return std::trunc(scaled) / std::round(1.0 / step) + 0.0;
}

TEnergyStatus MeasureEnergyInZone(const TEnergyImage &image, TEnergyZone &zone,
                                  TEnergyResult &result) {
  result = TEnergyResult{};
  const double p = image.pixelSize;
  const int n = image.n;
  if (image.cells == nullptr || n < 1 || !(p > 0.0) || !std::isfinite(p)) return kEnergyNoImage;

  double w = std::fabs(zone.width);
  double h = std::fabs(zone.height);
  if (!(w >= p)) w = p;  // also an undefined size
  if (!(h >= p)) h = p;
  zone.width = w;
  zone.height = h;
  const double x = std::isfinite(zone.x) ? zone.x : kFarAway * p;
  const double y = std::isfinite(zone.y) ? zone.y : kFarAway * p;

  const double half = n / 2;
  TZoneCells cells;
  cells.ci = x / p + half;
  // The rasters hold +y in their top rows (row N/2 - y/p), as the picture shows them: the
  // zone's upper edge is its first row.
  cells.cj = half - y / p;
  cells.a = std::min(w / 2 / p, kFarAway);
  cells.b = std::min(h / 2 / p, kFarAway);
  cells.ellipse = zone.type == kZoneEllipse;
  // The box of the centres inside or on the edge; Share decides each.
  const double edgeI = kOnTheEdge * std::max(cells.a, 1.0), edgeJ = kOnTheEdge * std::max(cells.b, 1.0);
  cells.i0 = CeilingIndex(cells.ci - cells.a - edgeI);
  cells.i1 = FloorIndex(cells.ci + cells.a + edgeI);
  cells.j0 = CeilingIndex(cells.cj - cells.b - edgeJ);
  cells.j1 = FloorIndex(cells.cj + cells.b + edgeJ);
  if (cells.i1 < 0 || cells.j1 < 0 || cells.i0 >= n || cells.j0 >= n) {
    result.outside = true;
    return kEnergyMeasured;
  }
  cells.i0 = std::clamp(cells.i0, 0, n - 1);
  cells.i1 = std::clamp(cells.i1, 0, n - 1);
  cells.j0 = std::clamp(cells.j0, 0, n - 1);
  cells.j1 = std::clamp(cells.j1, 0, n - 1);
  if (zone.smoothing == 1 && (cells.i1 - cells.i0 < 2 || cells.j1 - cells.j0 < 2)) zone.smoothing = 0;

  double total = 0.0, inZone = 0.0, eMin = kNoMinimum, eMax = 0.0;
  for (int j = 0; j < n; ++j) {
    const float *row = image.cells + static_cast<long>(j) * n;
    const bool rowInZone = j >= cells.j0 && j <= cells.j1;
    for (int i = 0; i < n; ++i) {
      const double v = row[i];
      if (!(v >= 0.0) || !std::isfinite(v)) continue;
      total += v;
      if (!rowInZone || i < cells.i0 || i > cells.i1) continue;
      if (const double share = cells.Share(i, j); share > 0.0) {
        inZone += share * v;
        eMin = std::min(eMin, v);
        eMax = std::max(eMax, v);
      }
    }
  }
  if (eMin > kMinimumFound) eMin = 0.0;

  double sMin = eMin, sMax = eMax;
  const bool disc = image.discDiameter >= 0.0;
  if (zone.smoothing == 1 && disc &&
      std::max(w, h) / std::max(image.discDiameter, p) >= kSmoothingSpan) {
    int k = n / kBoxDivisor;
    if (cells.i1 - cells.i0 <= k) k = cells.i1 - cells.i0 - 1;
    if (cells.j1 - cells.j0 <= k) k = cells.j1 - cells.j0 - 1;
    k = std::max(k, 1);
    // Sums over the zone's columns and rows from its corner (i0, j0): a box sum is four
    // look-ups. Undefined cells count as nothing here too.
    const int cols = cells.i1 - cells.i0 + 2;
    const int rows = cells.j1 - cells.j0 + 2;
    Mem<double> sums;
    if (!sums.Allocate(cols, rows)) return kEnergyNoMemory;
    sums.Zero();
    for (int r = 1; r < rows; ++r) {
      const float *row = image.cells + static_cast<long>(cells.j0 + r - 1) * n + cells.i0;
      double running = 0.0;
      for (int c = 1; c < cols; ++c) {
        const double v = row[c - 1];
        if (std::isfinite(v)) running += v;
        sums.data[r * cols + c] = sums.data[(r - 1) * cols + c] + running;
      }
    }
    sMin = kNoMinimum;
    sMax = 0.0;
    for (int j = cells.j0; j < cells.j1 - k; ++j) {
      for (int i = cells.i0; i < cells.i1 - k; ++i) {
        if (!(cells.Share(i, j) > 0.0)) continue;
        const int c0 = i - cells.i0, r0 = j - cells.j0;
        const double s = sums.data[(r0 + k) * cols + c0 + k] - sums.data[r0 * cols + c0 + k] -
                         sums.data[(r0 + k) * cols + c0] + sums.data[r0 * cols + c0];
        sMin = std::min(sMin, s);
        sMax = std::max(sMax, s);
      }
    }
    if (sMin > kMinimumFound) sMin = 0.0;
    if (sMin < 0.0) sMin = 0.0;
    if (sMax < 0.0) sMax = 0.0;
  }

  result.energyInZone = total != 0.0 ? inZone / total * 100.0 : 0.0;
  result.contrast = sMax + sMin != 0.0 ? (sMax - sMin) / (sMax + sMin) * 100.0 : 0.0;
  return kEnergyMeasured;
}
