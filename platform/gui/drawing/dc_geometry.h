#pragma once
// Integer geometry shared by the device-context files: coordinate limits and rectangles.

#include <QRect>

#include <algorithm>

namespace dc_geometry {

// Coordinates are kept well inside int range so that offsets and widths never overflow.
constexpr long long kCoordinateLimit = 1LL << 28;

inline int ClampCoordinate(long long v) {
  return static_cast<int>(std::clamp(v, -kCoordinateLimit, kCoordinateLimit));
}

inline QRect RectFromEdges(int left, int top, int right, int bottom) {
  // Right and bottom are exclusive.
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

}  // namespace dc_geometry
