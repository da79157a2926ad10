#include "document/elements/edit_surface.h"

TEditSurfaceData &TEditSurface::Data() { return *editData; }
