#pragma once
// The editor's per-surface drawing state, created with every surface and owned by it.

#include "optics/model/edit_region.h"

class TEditSurfaceData {
 public:
  TEditSurfaceData() = default;
  ~TEditSurfaceData() { delete region; }
  TEditSurfaceData(const TEditSurfaceData &other)
      : tag(other.tag),
        region(other.region ? other.region->Clone() : nullptr),
        mark(other.mark),
        flag(other.flag) {}
  TEditSurfaceData &operator=(const TEditSurfaceData &other) {
    if (this == &other) return *this;
    TEditRegion *copy = other.region ? other.region->Clone() : nullptr;
    delete region;
    region = copy;
    tag = other.tag;
    mark = other.mark;
    flag = other.flag;
    return *this;
  }

  int tag = 0;
  TEditRegion *region = nullptr;  // owned; deleted with the record
  int mark = 0;                   // 1: the surface is drawn highlighted (selected)
  int flag = 1;
};
