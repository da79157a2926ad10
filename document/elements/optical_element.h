#pragma once
// One drawn element of the edited system: its surfaces in order (owned by the system, only
// referred to here), its screen region, its highlight mark, its reference point and the
// world box its surfaces' profiles fill.

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"
#include "optics/model/edit_region.h"

class TEditCanvas;
class TEditSurface;

// A box in world coordinates (mm): x along the axis, y across it.
struct TWorldBox {
  double x1 = 0.0;
  double x2 = 0.0;
  double y1 = 0.0;
  double y2 = 0.0;
  bool empty = true;

  void Add(double x, double y);
  void Add(const TWorldBox &other);
};

class TOpticalElement {
 public:
  TOpticalElement() = default;
  TOpticalElement(const TOpticalElement &other);
  // Copies the surface list (the surfaces themselves are shared with the system) and takes
  // its own copy of the source's region.
  TOpticalElement &operator=(const TOpticalElement &other);
  ~TOpticalElement();

  int SurfaceCount() const { return surfaces.Cells(); }
  TEditSurface *FirstSurface() const;
  TEditSurface *LastSurface() const;

  // Shifts every surface by (x, y, z) minus the reference point, which becomes (x, y, z).
  void MoveTo(double x, double y, double z);
  // Rebuilds the region (and every surface's own region) from the surfaces' meridional
  // profiles as the canvas shows them; without a canvas the regions are dropped. The
  // world box is rebuilt either way.
  void UpdateRegion(const TEditCanvas *canvas);

  Mem<TEditSurface *> surfaces;  // not owned
  TEditRegion *region = nullptr;  // owned
  int mark = 0;                   // 1: the element is highlighted
  DPOINT3 referencePoint;         // the vertex of the first surface
  TWorldBox extent;
};

// Points along the surface's meridional profile, from its top edge to its bottom edge, in
// world coordinates; the vertex alone for a surface without aperture.
int SurfaceProfilePoints(const TEditSurface &surface, DPOINT *out, int count);
// Points of a profile taken by the editor.
constexpr int kProfilePoints = 17;
