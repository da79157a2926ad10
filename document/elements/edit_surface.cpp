#include "document/elements/edit_surface.h"

TEditSurfaceData &TEditSurface::Data() {
  if (editData == nullptr) editData = new TEditSurfaceData;
  return *editData;
}
