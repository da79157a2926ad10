#pragma once
// One drawn element of the edited system: its surfaces (owned by the system, only referred
// to here), its screen region, its highlight mark and its reference point.

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"
#include "optics/model/edit_region.h"

class TEditSurface;

class TOpticalElement {
 public:
  TOpticalElement() = default;
  TOpticalElement(const TOpticalElement &other);
  // Copies the surface list (the surfaces themselves are shared with the system) and takes
  // its own copy of the source's region.
  TOpticalElement &operator=(const TOpticalElement &other);
  ~TOpticalElement();

  Mem<TEditSurface *> surfaces;  // not owned
  TEditRegion *region = nullptr;  // owned
  int mark = 0;                   // 1: the element is highlighted
  DPOINT3 referencePoint;
};
