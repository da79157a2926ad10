#pragma once
// Read access to a surface's lens-array zones that tolerates short or empty lists (a zone
// read from a damaged file), for the lens-array ray code.

#include "foundation/containers/mem.h"
#include "optics/model/raster_zone.h"
#include "optics/model/surface.h"

// The zone at index, or null when the surface has no such zone.
inline const TRasterZone *LensArrayZone(const TSurface &surface, int index) {
  const Mem<TRasterZone> &zones = surface.zones;
  if (zones.data == nullptr || index < 0 || index >= zones.cols * zones.rows) return nullptr;
  return &zones.data[index];
}

inline int ZoneListCount(const Mem<double> &list) {
  return list.data == nullptr ? 0 : list.cols * list.rows;
}

// The k-th entry of a zone list, or fallback when the list is shorter.
inline double ZoneListValue(const Mem<double> &list, int k, double fallback) {
  return k >= 0 && k < ZoneListCount(list) ? list.data[k] : fallback;
}
