#include "platform/gui/drawing/dc_spans.h"

#include <algorithm>
#include <cmath>

namespace dc_spans {

namespace {

// Pixels x whose centre x + 0.5 lies strictly inside (low, high).
void AddOpenInterval(std::vector<TSpan> &spans, int y, double low, double high, const QRect &clip) {
  if (!(high > low)) return;
  const double first = std::floor(low - 0.5) + 1.0;
  const double last = std::ceil(high - 0.5) - 1.0;
  const double left = std::max(first, static_cast<double>(clip.left()));
  const double right = std::min(last, static_cast<double>(clip.right()));
  if (right < left) return;
  spans.push_back({y, static_cast<int>(left), static_cast<int>(right)});
}

}  // namespace

void TSpanList::AddWideSegment(int x0, int y0, int x1, int y1, int width, const QRect &clip) {
  if (width <= 0 || clip.isEmpty()) return;
  const double radius = width / 2.0;
  // The centre line: through pixel centres for odd widths, pixel corners for even ones.
  const double shift = (width % 2) != 0 ? 0.5 : 0.0;
  const double ax = x0 + shift;
  const double ay = y0 + shift;
  const double bx = x1 + shift;
  const double by = y1 + shift;
  const double dx = bx - ax;
  const double dy = by - ay;
  const double length = std::hypot(dx, dy);
  const double ux = length > 0 ? dx / length : 0.0;
  const double uy = length > 0 ? dy / length : 0.0;
  const double top = std::min(ay, by) - radius;
  const double bottom = std::max(ay, by) + radius;
  const int firstRow = std::max(clip.top(), static_cast<int>(std::floor(top)));
  const int lastRow = std::min(clip.bottom(), static_cast<int>(std::ceil(bottom)));
  const double radiusSquared = radius * radius;
  for (int row = firstRow; row <= lastRow; ++row) {
    const double cy = row + 0.5;
    double low = HUGE_VAL;
    double high = -HUGE_VAL;
    // The round ends: discs about both end points.
    for (const auto &[px, py] : {std::pair{ax, ay}, std::pair{bx, by}}) {
      const double offset = cy - py;
      const double rest = radiusSquared - offset * offset;
      if (rest <= 0) continue;
      const double half = std::sqrt(rest);
      low = std::min(low, px - half);
      high = std::max(high, px + half);
    }
    // The band: points whose foot lies on the segment and whose distance is below the radius.
    if (length > 0) {
      double bandLow = -HUGE_VAL;
      double bandHigh = HUGE_VAL;
      const double rowOffset = cy - ay;
      bool empty = false;
      // |(x - ax) * uy - rowOffset * ux| < radius
      if (std::fabs(uy) > 1e-12) {
        const double a = (rowOffset * ux - radius) / uy + ax;
        const double b = (rowOffset * ux + radius) / uy + ax;
        bandLow = std::max(bandLow, std::min(a, b));
        bandHigh = std::min(bandHigh, std::max(a, b));
      } else if (std::fabs(rowOffset * ux) >= radius) {
        empty = true;
      }
      // 0 <= (x - ax) * ux + rowOffset * uy <= length
      if (std::fabs(ux) > 1e-12) {
        const double a = (0.0 - rowOffset * uy) / ux + ax;
        const double b = (length - rowOffset * uy) / ux + ax;
        bandLow = std::max(bandLow, std::min(a, b));
        bandHigh = std::min(bandHigh, std::max(a, b));
      } else {
        const double along = rowOffset * uy;
        if (along < 0 || along > length) empty = true;
      }
      if (!empty && bandHigh > bandLow) {
        low = std::min(low, bandLow);
        high = std::max(high, bandHigh);
      }
    }
    // The pieces overlap on every row they share (the figure is convex): one run a row.
    AddOpenInterval(spans_, row, low, high, clip);
  }
}

void TSpanList::Merge() {
  const auto before = [](const TSpan &a, const TSpan &b) {
    return a.Y != b.Y ? a.Y < b.Y : a.Left < b.Left;
  };
  // One segment gives its rows in order already.
  if (!std::is_sorted(spans_.begin(), spans_.end(), before)) std::sort(spans_.begin(), spans_.end(), [](const TSpan &a, const TSpan &b) {
    return a.Y != b.Y ? a.Y < b.Y : a.Left < b.Left;
  });
  // Merged in place: the kept spans never overtake the ones still to be read.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < spans_.size(); ++i) {
    const TSpan span = spans_[i];
    if (kept > 0 && spans_[kept - 1].Y == span.Y && span.Left <= spans_[kept - 1].Right + 1) {
      spans_[kept - 1].Right = std::max(spans_[kept - 1].Right, span.Right);
    } else {
      spans_[kept++] = span;
    }
  }
  spans_.resize(kept);
}

}  // namespace dc_spans
