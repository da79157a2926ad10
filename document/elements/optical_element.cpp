#include "document/elements/optical_element.h"

#include <algorithm>
#include <vector>

#include "document/elements/edit_canvas.h"
#include "document/elements/edit_path.h"
#include "document/elements/edit_surface.h"

void TWorldBox::Add(double x, double y) {
  if (empty) {
    x1 = x2 = x;
    y1 = y2 = y;
    empty = false;
    return;
  }
  x1 = std::min(x1, x);
  x2 = std::max(x2, x);
  y1 = std::min(y1, y);
  y2 = std::max(y2, y);
}

void TWorldBox::Add(const TWorldBox &other) {
  if (other.empty) return;
  Add(other.x1, other.y1);
  Add(other.x2, other.y2);
}

TOpticalElement::TOpticalElement(const TOpticalElement &other) { *this = other; }

TOpticalElement &TOpticalElement::operator=(const TOpticalElement &other) {
  if (this == &other) return *this;
  surfaces = other.surfaces;
  TEditRegion *copy = other.region ? other.region->Clone() : nullptr;
  delete region;
  region = copy;
  mark = other.mark;
  referencePoint = other.referencePoint;
  extent = other.extent;
  return *this;
}

TOpticalElement::~TOpticalElement() { delete region; }

TEditSurface *TOpticalElement::FirstSurface() const {
  return SurfaceCount() > 0 ? surfaces.data[0] : nullptr;
}

TEditSurface *TOpticalElement::LastSurface() const {
  const int count = SurfaceCount();
  return count > 0 ? surfaces.data[count - 1] : nullptr;
}

void TOpticalElement::MoveTo(double x, double y, double z) {
  const double dx = x - referencePoint.x;
  const double dy = y - referencePoint.y;
  const double dz = z - referencePoint.z;
  for (int i = 0; i < SurfaceCount(); ++i) {
    TEditSurface *s = surfaces.data[i];
    if (s == nullptr) continue;
    double sx = 0.0, sy = 0.0, sz = 0.0;
    s->GetPosition(sx, sy, sz);
    // The surface at the reference point goes exactly to the new one, so moving back and
    // forth between configurations never lets the element creep.
    if (sx == referencePoint.x && sy == referencePoint.y && sz == referencePoint.z)
      s->SetPosition(x, y, z);
    else
      s->SetPosition(sx + dx, sy + dy, sz + dz);
  }
  referencePoint = DPOINT3(x, y, z);
}

int SurfaceProfilePoints(const TEditSurface &surface, DPOINT *out, int count) {
  if (count < 2 || surface.general.semiHeightExt <= 0.0) {
    out[0].x = surface.general.vertex[0];
    out[0].y = surface.general.vertex[1];
    return 1;
  }
  surface.Profile(count, out, 1, 0.0, 0.0);
  return count;
}

void TOpticalElement::UpdateRegion(const TEditCanvas *canvas) {
  delete region;
  region = nullptr;
  extent = TWorldBox();
  const int count = SurfaceCount();
  std::vector<std::vector<POINT>> profiles;
  for (int i = 0; i < count; ++i) {
    TEditSurface *s = surfaces.data[i];
    if (s == nullptr) continue;
    DPOINT world[kProfilePoints];
    const int n = SurfaceProfilePoints(*s, world, kProfilePoints);
    std::vector<POINT> device;
    for (int k = 0; k < n; ++k) {
      extent.Add(world[k].x, world[k].y);
      if (canvas != nullptr) device.push_back(canvas->WorldToDevice(world[k].x, world[k].y));
    }
    TEditSurfaceData &data = s->Data();
    delete data.region;
    data.region = nullptr;
    if (canvas == nullptr) continue;
    TEditPath *own = new TEditPath;
    own->AddFigure(device, false);
    data.region = own;
    profiles.push_back(std::move(device));
  }
  if (canvas == nullptr || profiles.empty()) return;
  TEditPath *outline = new TEditPath;
  if (profiles.size() == 1) {
    outline->AddFigure(profiles.front(), false);
  } else {
    // Down the first profile and up the last: the outline of a lens or a cemented group.
    std::vector<POINT> points = profiles.front();
    points.insert(points.end(), profiles.back().rbegin(), profiles.back().rend());
    outline->AddFigure(points, true);
  }
  region = outline;
}
