#include "optics/trace/trace_batch.h"

#include "optics/model/optical_system.h"
#include "optics/interaction/surface_trace.h"

namespace {

// The innermost live batch; the trace is single-threaded.
TTraceBatch *gActiveBatch = nullptr;

}  // namespace

TTraceBatch::TTraceBatch(const TOpticalSystem &system) : system_(&system), outer_(gActiveBatch) {
  const int count = system.SurfaceCount();
  bool whole = count > 0 && views_.Allocate(count, 1) != 0 && lanes_.Allocate(count, 1) != 0 &&
               ordinary_.Allocate(count, 1) != 0;
  for (int i = 0; whole && i < count; ++i) {
    if (system.surfaces.data[i] == nullptr) {
      whole = false;
    } else {
      views_.data[i] = MakeInteractionSurface(*system.surfaces.data[i]);
      ordinary_.data[i] = MakeLaneSurface(views_.data[i], lanes_.data[i]) ? 1 : 0;
    }
  }
  // Without every view the batch stands aside and the trace reads the surfaces itself.
  if (!whole) {
    views_.Clear();
    lanes_.Clear();
    ordinary_.Clear();
  }
  gActiveBatch = this;
}

TTraceBatch::~TTraceBatch() {
  // Batches end in the reverse order of their start (they live on the stack); one ended
  // out of order is taken off the chain wherever it is.
  if (gActiveBatch == this) {
    gActiveBatch = outer_;
    return;
  }
  for (TTraceBatch *b = gActiveBatch; b != nullptr; b = b->outer_)
    if (b->outer_ == this) {
      b->outer_ = outer_;
      return;
    }
}

TTraceBatch::TSurfaces TTraceBatch::SurfacesFor(const TOpticalSystem *system) {
  TSurfaces found;
  for (const TTraceBatch *b = gActiveBatch; b != nullptr; b = b->outer_) {
    if (b->system_ != system) continue;
    const int count = b->views_.Cells();
    if (count == system->SurfaceCount() && count > 0) {
      found.views = b->views_.data;
      found.lanes = b->lanes_.data;
      found.ordinary = b->ordinary_.data;
    }
    return found;
  }
  return found;
}

const TInteractionSurface *TTraceBatch::ViewsFor(const TOpticalSystem *system, int &count) {
  const TSurfaces found = SurfacesFor(system);
  count = found.views != nullptr ? system->SurfaceCount() : 0;
  return found.views;
}
