#include "optics/trace/trace_batch.h"

#include "optics/model/optical_system.h"
#include "optics/interaction/surface_trace.h"

namespace {

// The innermost live batch; the trace is single-threaded.
TTraceBatch *gActiveBatch = nullptr;

}  // namespace

TTraceBatch::TTraceBatch(const TOpticalSystem &system) : system_(&system), outer_(gActiveBatch) {
  const int count = system.SurfaceCount();
  bool whole = count > 0 && views_.Allocate(count, 1) != 0;
  for (int i = 0; whole && i < count; ++i) {
    if (system.surfaces.data[i] == nullptr)
      whole = false;
    else
      views_.data[i] = MakeInteractionSurface(*system.surfaces.data[i]);
  }
  // Without every view the batch stands aside and the trace reads the surfaces itself.
  if (!whole) views_.Clear();
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

const TInteractionSurface *TTraceBatch::ViewsFor(const TOpticalSystem *system, int &count) {
  for (const TTraceBatch *b = gActiveBatch; b != nullptr; b = b->outer_) {
    if (b->system_ != system) continue;
    count = b->views_.data != nullptr ? b->views_.cols * b->views_.rows : 0;
    return count == system->SurfaceCount() && count > 0 ? b->views_.data : nullptr;
  }
  count = 0;
  return nullptr;
}
