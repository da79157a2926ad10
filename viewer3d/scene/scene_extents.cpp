#include "viewer3d/scene/scene_extents.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

bool Finite(const DPOINT3 &p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool FiniteRecord(const TSceneRecord &record) {
  for (float v : record)
    if (!std::isfinite(v)) return false;
  return true;
}

DPOINT3 Corner(const DPOINT3 &low, const DPOINT3 &high, int k) {
  return DPOINT3((k & 1) ? high.x : low.x, (k & 2) ? high.y : low.y, (k & 4) ? high.z : low.z);
}

double Dot(const double a[3], const DPOINT3 &q) { return a[0] * q.x + a[1] * q.y + a[2] * q.z; }

}  // namespace

TSceneRect::TSceneRect() : xmin(DBL_MAX), ymin(DBL_MAX), xmax(-DBL_MAX), ymax(-DBL_MAX) {}

void TSceneRect::Add(double x, double y) {
  xmin = std::min(xmin, x);
  ymin = std::min(ymin, y);
  xmax = std::max(xmax, x);
  ymax = std::max(ymax, y);
}

void TSceneRect::Add(const TSceneRect &other) {
  if (other.Empty()) return;
  Add(other.xmin, other.ymin);
  Add(other.xmax, other.ymax);
}

TRotator ElementToView(const TSceneRecord &record, const TRotator &view) {
  const TElementPlacement placement = RecordPlacement(record);
  TRotator transform(placement.angles, placement.position);
  TRotator::Compose(transform, view);
  return transform;
}

TSceneRect ElementExtents(const TObjArray &objects, const TRotator &view,
                          const TSceneProjection &projection) {
  TSceneRect rect;
  for (const TSceneRecord &record : objects) {
    if (RecordKind(record) == 0 || !FiniteRecord(record)) continue;
    const TRotator transform = ElementToView(record, view);
    DPOINT3 low, high;
    RecordBox(record, low, high);
    for (int k = 0; k < 8; ++k) {
      const DPOINT3 q = transform.Transform(Corner(low, high, k));
      rect.Add(Dot(projection.U, q), Dot(projection.V, q));
    }
  }
  return rect;
}

TSceneRect RayExtents(const TRayArray &rays, const TRotator &view,
                      const TSceneProjection &projection) {
  TSceneRect rect;
  for (const TSceneRecord &ray : rays) {
    const int m = RayPointCount(ray);
    for (int k = 0; k < m; ++k) {
      const DPOINT3 q = view.Transform(RayPoint(ray, k));
      if (Finite(q)) rect.Add(Dot(projection.U, q), Dot(projection.V, q));
    }
  }
  return rect;
}

bool ElementBoxInView(const TObjArray &objects, const TRotator &view, DPOINT3 &low,
                      DPOINT3 &high) {
  bool any = false;
  for (const TSceneRecord &record : objects) {
    if (RecordKind(record) == 0 || !FiniteRecord(record)) continue;
    const TRotator transform = ElementToView(record, view);
    DPOINT3 boxLow, boxHigh;
    RecordBox(record, boxLow, boxHigh);
    for (const DPOINT3 &corner : {boxLow, boxHigh}) {
      const DPOINT3 q = transform.Transform(corner);
      if (!any) {
        low = high = q;
        any = true;
        continue;
      }
      low = DPOINT3(std::min(low.x, q.x), std::min(low.y, q.y), std::min(low.z, q.z));
      high = DPOINT3(std::max(high.x, q.x), std::max(high.y, q.y), std::max(high.z, q.z));
    }
  }
  return any;
}

TWindowFit FitRectToWindow(TSceneRect r, int width, int height) {
  const bool finite = std::isfinite(r.xmin) && std::isfinite(r.xmax) &&
                      std::isfinite(r.ymin) && std::isfinite(r.ymax);
  if (r.Empty() || !finite || (r.xmax - r.xmin == 0.0 && r.ymax - r.ymin == 0.0))
    r.xmin = r.ymin = 0.0, r.xmax = r.ymax = 1.0;
  const double dx = r.xmax - r.xmin, dy = r.ymax - r.ymin;
  const double W = std::max(1, width), H = std::max(1, height);
  TWindowFit fit;
  if (dx / W < dy / H) {
    fit.scale = H / dy;
    fit.centreY = -r.ymin * fit.scale;
    fit.centreX = (W - (r.xmax + r.xmin) * fit.scale) * 0.5;
  } else {
    fit.scale = W / dx;
    fit.centreX = -r.xmin * fit.scale;
    fit.centreY = (H - (r.ymax + r.ymin) * fit.scale) * 0.5;
  }
  return fit;
}
