#pragma once
// A surface as the editor sees it: the optical surface with its edit record (drawing
// region and highlight mark) always present. Every surface of an edited system is one of
// these; surfaces the file reader or the optics make are taken over by the system.

#include "optics/model/surface.h"
#include "optics/model/surface_edit_data.h"

class TEditSurface : public TSurface {
 public:
  TEditSurface() = default;
  TEditSurface(double x, double y, double z) : TSurface(x, y, z) {}
  // Takes every value of the optical surface, its edit record included.
  explicit TEditSurface(const TSurface &surface) : TSurface(surface) {}
  TEditSurface(const TEditSurface &other) = default;
  TEditSurface &operator=(const TEditSurface &other) = default;
  ~TEditSurface() override = default;

  TSurface *Clone() const override { return new TEditSurface(*this); }

  // The edit record every surface holds from its construction.
  TEditSurfaceData &Data();
  int Marked() const { return editData->mark != 0; }
  void SetMark(int mark) { Data().mark = mark != 0 ? 1 : 0; }
};
