#pragma once
// The contour lines of a plot's visible grid: the levels between the range ends and, for
// one level, the segments that marching squares puts on a width x height picture (screen
// rows flipped, grid row 0 at the bottom). At most 64 x 64 samples are taken whatever the
// grid size.

#include <vector>

#include "platform/gui/drawing/gdi_types.h"

class TPlotData;

struct TContourSegment {
  POINT from;
  POINT to;
};

struct TContourLevel {
  double value;
  double fraction;  // the palette fraction of its colour
};

// levelCount levels strictly between zmin and zmax (one level: the middle, coloured at
// 0.99); none when the range is empty.
std::vector<TContourLevel> ContourLevels(double zmin, double zmax, int levelCount);

// Appends the segments of one level (in scaled values) to `out`.
void ContourSegments(const TPlotData &plot, int width, int height, double level,
                     std::vector<TContourSegment> &out);
