#include "synthesis/objects/object_rasters.h"

#include <cmath>

#include "foundation/numerics/pi.h"

namespace {

// A direction this close to a sector border (in sector widths) lies on it.
constexpr double kBorderTolerance = 1e-6;
// The part of the raster side the bar targets fill.
constexpr double kTargetFill = 0.8;
// 1 - 0.8 in doubles: the margin of the square target is the truncation of n times this
// over two (12 cells at n = 128, 25 at 256), which the exact 0.2 would make 12 and 25.6.
constexpr double kTargetFree = 1.0 - kTargetFill;

int AllocateSquare(Mem<float> &raster, int n) {
  if (n <= 0) return 0;
  if (raster.data == nullptr || raster.cols != n || raster.rows != n || !raster.owns) {
    if (!raster.Allocate(n, n)) return 0;
  }
  raster.Zero();
  return 1;
}

}  // namespace

int FillDiffractionDisc(Mem<float> &raster, int n, double pixelSize, double diameter) {
  if (!AllocateSquare(raster, n)) return 0;
  const int c = n / 2;
  const double radius2 = (diameter * 0.5) * (diameter * 0.5);
  // Without a pitch every cell would lie at the centre: only the centre cell is the point.
  if (!(pixelSize > 0.0)) {
    raster.data[c * n + c] = 1.0f;
    return 1;
  }
  for (int j = 0; j < n; ++j) {
    const double dy = (j - c) * pixelSize;
    for (int i = 0; i < n; ++i) {
      const double dx = (i - c) * pixelSize;
      if (dx * dx + dy * dy <= radius2) raster.data[j * n + i] = 1.0f;
    }
  }
  raster.data[c * n + c] = 1.0f;
  return 1;
}

double DiffractionPointValue(double x, double y, double halfField, double objectStep) {
  const float r = static_cast<float>(std::sqrt(x * x + y * y));
  const float radii[] = {static_cast<float>(std::fabs(0.8 * halfField)),
                         static_cast<float>(std::fabs(0.5 * halfField)),
                         static_cast<float>(std::fabs(0.25 * halfField)), 0.0f};
  for (float radius : radii)
    if (std::fabs(r - radius) <= objectStep / 2.0) return 1.0;
  return 0.0;
}

bool RadialMiraBright(double angle, int strokes) {
  if (strokes < 1) strokes = 1;
  double a = std::fmod(angle, 2.0 * kPi);
  if (a < 0.0) a += 2.0 * kPi;
  const double width = kPi / strokes;
  const double t = (a + width * 0.5) / width;
  const double k = std::floor(t);
  // On a border from either side: the rounding of the angle may leave t just below it.
  const double fraction = t - k;
  if (fraction < kBorderTolerance || 1.0 - fraction < kBorderTolerance) return true;
  return std::fmod(k, 2.0) == 0.0;
}

int FillRadialMira(Mem<float> &raster, int n, int strokes) {
  if (!AllocateSquare(raster, n)) return 0;
  const int c = n / 2;
  const double radius2 = static_cast<double>(c * c) * kTargetFill * kTargetFill;
  for (int j = 0; j < n; ++j) {
    const int dy = c - j;
    for (int i = 0; i < n; ++i) {
      const int dx = i - c;
      if (static_cast<double>(dx * dx + dy * dy) > radius2) continue;
      const bool bright = (dx == 0 && dy == 0) || RadialMiraBright(std::atan2(dy, dx), strokes);
      if (bright) raster.data[j * n + i] = 1.0f;
    }
  }
  return 1;
}

double RadialMiraValue(double x, double y, double halfField, int strokes) {
  if (x == 0.0 && y == 0.0) return 1.0;
  const double radius = kTargetFill * halfField;
  if (x * x + y * y > radius * radius) return 0.0;
  return RadialMiraBright(std::atan2(y, x), strokes) ? 1.0 : 0.0;
}

TSquareMiraLayout SquareMiraLayout(int n, int groups, int strokesMin, int strokesMax) {
  TSquareMiraLayout layout;
  layout.groups = groups < 1 ? 1 : groups;
  if (strokesMin < 1) strokesMin = 1;
  if (strokesMax < strokesMin) strokesMax = strokesMin;
  layout.groupSide = static_cast<int>(n * kTargetFill / layout.groups * 0.5 * 2.0);
  layout.widestBar = layout.groupSide * 0.25 / strokesMin;
  layout.finestBar = layout.groupSide * 0.25 / strokesMax;
  // In doubles: groups squared overflows an int long before the raster runs out of cells.
  const double groupCount = static_cast<double>(layout.groups) * layout.groups;
  layout.widthStep = layout.groups > 1 ? (layout.widestBar - layout.finestBar) / (groupCount - 1.0)
                                       : layout.widestBar;
  layout.quadrant = layout.groupSide / 2;
  layout.margin = static_cast<int>(n * kTargetFree * 0.5);
  layout.end = layout.groupSide * layout.groups + layout.margin;
  return layout;
}

double SquareMiraBarWidth(const TSquareMiraLayout &layout, int group) {
  const double width = std::trunc(layout.widestBar - group * layout.widthStep + 0.5);
  return width < 1.0 ? 1.0 : width;
}

int FillSquareMira(Mem<float> &raster, int n, int groups, int strokesMin, int strokesMax) {
  if (!AllocateSquare(raster, n)) return 0;
  const TSquareMiraLayout layout = SquareMiraLayout(n, groups, strokesMin, strokesMax);
  const int side = layout.groupSide;
  const int half = layout.quadrant;
  if (side <= 0) return 1;  // groups finer than a cell: nothing to draw
  const double diagonal = std::sqrt(2.0) * 0.5;
  auto set = [&](int column, int row, bool bright) {
    if (bright) raster.data[row * n + column] = 1.0f;
  };
  auto odd = [](double value) { return static_cast<long long>(value) % 2 != 0; };
  int group = 0;
  for (int y0 = layout.margin; y0 < layout.end; y0 += side) {
    for (int x0 = layout.margin; x0 < layout.end; x0 += side) {
      const double w = SquareMiraBarWidth(layout, group);
      for (int a = 0; a < half; ++a) {
        for (int b = 0; b < half; ++b) {
          set(x0 + a, y0 + b, odd(a / w));                                // vertical bars
          set(x0 + a + half, y0 + b + half, odd(b / w));                  // horizontal bars
          set(x0 + a + half, y0 + b, !odd((a - b + side) * diagonal / w));  // down to the right
          set(x0 + a, y0 + b + half, !odd((a + b) * diagonal / w));       // up to the right
        }
      }
      ++group;
    }
  }
  return 1;
}

double SquareMiraValue(const Mem<float> &plane, double objectStep, double x, double y) {
  const float step = static_cast<float>(objectStep);
  if (plane.data == nullptr || !(step > 0.0f)) return 0.0;
  const double column = std::trunc(x / step + plane.cols / 2);
  const double row = std::trunc(plane.rows / 2 - y / step);
  if (!(column >= 0.0 && row >= 0.0 && column < plane.cols && row < plane.rows)) return 0.0;
  return plane.data[static_cast<int>(row) * plane.cols + static_cast<int>(column)];
}
