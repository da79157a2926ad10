#include "document/elements/edit_path.h"

#include <algorithm>

namespace {

struct TBox {
  double left, top, right, bottom;
};

TBox Normalised(const RECT &rect) {
  return {static_cast<double>(std::min(rect.left, rect.right)),
          static_cast<double>(std::min(rect.top, rect.bottom)),
          static_cast<double>(std::max(rect.left, rect.right)),
          static_cast<double>(std::max(rect.top, rect.bottom))};
}

bool Inside(const TBox &box, double x, double y) {
  return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom;
}

// Clips the segment a-b against the box (Liang-Barsky): true when some part of it stays.
bool SegmentMeetsBox(const TBox &box, POINT a, POINT b) {
  const double dx = static_cast<double>(b.x) - a.x;
  const double dy = static_cast<double>(b.y) - a.y;
  double enter = 0.0;
  double leave = 1.0;
  // Each pair is (p, q) of the inequality p t <= q for one side of the box.
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - box.left, box.right - a.x, a.y - box.top, box.bottom - a.y};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return false;  // parallel to this side and outside it
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0.0)
      enter = std::max(enter, t);
    else
      leave = std::min(leave, t);
    if (enter > leave) return false;
  }
  return true;
}

// Even-odd rule over the closed polygon.
bool PolygonContains(const std::vector<POINT> &points, double x, double y) {
  bool inside = false;
  const std::size_t n = points.size();
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const double xi = points[i].x, yi = points[i].y;
    const double xj = points[j].x, yj = points[j].y;
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

}  // namespace

void TEditPath::AddFigure(const std::vector<POINT> &points, bool closed) {
  if (points.empty()) return;
  figures_.push_back(TFigure{points, closed && points.size() > 2});
}

bool TEditPath::Meets(const RECT &rect) const {
  const TBox box = Normalised(rect);
  for (const TFigure &figure : figures_) {
    const std::vector<POINT> &p = figure.points;
    if (p.size() == 1 && Inside(box, p[0].x, p[0].y)) return true;
    for (std::size_t i = 0; i + 1 < p.size(); ++i)
      if (SegmentMeetsBox(box, p[i], p[i + 1])) return true;
    if (figure.closed) {
      if (SegmentMeetsBox(box, p.back(), p.front())) return true;
      // The rectangle wholly inside the outline meets no edge.
      if (PolygonContains(p, box.left, box.top)) return true;
    }
  }
  return false;
}

bool TEditPath::Contains(POINT point) const {
  const RECT spot{point.x, point.y, point.x, point.y};
  return Meets(spot);
}

RECT TEditPath::Bounds() const {
  RECT bounds{0, 0, 0, 0};
  bool first = true;
  for (const TFigure &figure : figures_) {
    for (const POINT &p : figure.points) {
      if (first) {
        bounds = RECT{p.x, p.y, p.x, p.y};
        first = false;
        continue;
      }
      bounds.left = std::min(bounds.left, p.x);
      bounds.top = std::min(bounds.top, p.y);
      bounds.right = std::max(bounds.right, p.x);
      bounds.bottom = std::max(bounds.bottom, p.y);
    }
  }
  return bounds;
}
