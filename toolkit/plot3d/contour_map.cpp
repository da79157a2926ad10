#include "toolkit/plot3d/contour_map.h"

#include <algorithm>
#include <cmath>

#include "toolkit/plot3d/plot_data.h"

namespace {

constexpr int kMaxSamples = 64;

// An edge from p to q is crossed when the level lies above one end and at or below the
// other: a corner equal to the level counts as above it.
bool Crossed(double p, double q, double level) {
  return (p < level && level <= q) || (q < level && level <= p);
}

}  // namespace

std::vector<TContourLevel> ContourLevels(double zmin, double zmax, int levelCount) {
  std::vector<TContourLevel> levels;
  if (!(zmax > zmin) || levelCount < 1) return levels;
  if (levelCount == 1) {
    levels.push_back({(zmin + zmax) / 2.0, 0.99});
    return levels;
  }
  const double step = (zmax - zmin) / (levelCount + 1);
  for (int k = 1; k <= levelCount; ++k) {
    const double level = zmin + k * step;
    levels.push_back({level, (level - zmin) / (zmax - zmin)});
  }
  return levels;
}

void ContourSegments(const TPlotData &plot, int width, int height, double level,
                     std::vector<TContourSegment> &out) {
  const int cols = plot.Cols(), rows = plot.Rows();
  const int sampleCols = std::min(cols, kMaxSamples), sampleRows = std::min(rows, kMaxSamples);
  // A single row or column has no cells to cross.
  if (sampleCols < 2 || sampleRows < 2 || width < 1 || height < 1) return;
  const int i0 = plot.I0(), j0 = plot.J0(), i1 = plot.I1(), j1 = plot.J1();
  const double cellDx = static_cast<double>(width) / (i1 - i0 + 1);
  const double cellDy = static_cast<double>(height) / (j1 - j0 + 1);
  auto point = [&](double gi, double gj) {
    return POINT{static_cast<LONG>(gi * cellDx), static_cast<LONG>(height - 1 - static_cast<int>(gj * cellDy))};
  };
  for (int r = 0; r < sampleRows; ++r) {
    const int jlo = static_cast<int>(j0 + static_cast<double>(j1 - j0) * r / (sampleRows - 1));
    const int jhi = std::min(
        static_cast<int>(j0 + static_cast<double>(j1 - j0) * (r + 1) / (sampleRows - 1)), rows - 1);
    for (int c = 0; c < sampleCols; ++c) {
      const int ilo = static_cast<int>(i0 + static_cast<double>(i1 - i0) * c / (sampleCols - 1));
      const int ihi = std::min(
          static_cast<int>(i0 + static_cast<double>(i1 - i0) * (c + 1) / (sampleCols - 1)), cols - 1);
      const double A = plot.Scaled(plot.Value(ilo, jlo)), B = plot.Scaled(plot.Value(ihi, jlo));
      const double C = plot.Scaled(plot.Value(ihi, jhi)), D = plot.Scaled(plot.Value(ilo, jhi));
      // Indices relative to the visible window.
      const double il = ilo - i0, ih = ihi - i0, jl = jlo - j0, jh = jhi - j0;
      POINT p[4];
      int n = 0;
      if (Crossed(A, B, level)) p[n++] = point((A - level) / (A - B) * (ih - il) + il, jl);
      if (Crossed(B, C, level)) p[n++] = point(ih, (B - level) / (B - C) * (jh - jl) + jl);
      if (Crossed(C, D, level)) p[n++] = point((D - level) / (D - C) * (ih - il) + il, jh);
      if (Crossed(D, A, level)) p[n++] = point(il, (A - level) / (A - D) * (jh - jl) + jl);
      if (n == 2) {
        out.push_back({p[0], p[1]});
      } else if (n == 4) {
        // A saddle: the corners at or above the level are cut off, the low region joins
        // across the cell.
        if (A < B) {
          out.push_back({p[0], p[1]});
          out.push_back({p[2], p[3]});
        } else {
          out.push_back({p[0], p[3]});
          out.push_back({p[1], p[2]});
        }
      }
    }
  }
}
