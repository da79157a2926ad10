#pragma once
// The trace area holds the sequential trace of a system: one ray (TraceRay), batches
// (TraceRays) over the lane arithmetic built for baseline, AVX2 and AVX-512 processors, and
// the rules both share (trace_rules.h). It uses optics/interaction, optics/pipe and
// optics/model.
//
// TTraceBatch: the flat views of a system's surfaces in one contiguous block, for tracing
// many rays through a system that does not change meanwhile (a spot diagram, a grid of
// pupil rays, one merit evaluation). While a batch lives, TOpticalSystem::TraceRay reads its
// surfaces from the block instead of building each surface's view as the ray reaches it.
// The system must not be changed (nor prepared) while its batch lives.

#include "foundation/containers/mem.h"
#include "optics/interaction/interaction_types.h"
#include "optics/trace/lane_trace.h"

class TOpticalSystem;

class TTraceBatch {
 public:
  explicit TTraceBatch(const TOpticalSystem &system);
  ~TTraceBatch();
  TTraceBatch(const TTraceBatch &) = delete;
  TTraceBatch &operator=(const TTraceBatch &) = delete;

  // The views of the batch that covers the system, or null (then surfaces are read one by
  // one). count receives the number of views.
  static const TInteractionSurface *ViewsFor(const TOpticalSystem *system, int &count);

  // Every surface of the system as a view, and as a lane surface where ordinary[i] is 1;
  // all null when no batch covers the system.
  struct TSurfaces {
    const TInteractionSurface *views = nullptr;
    const TLaneSurface *lanes = nullptr;
    const unsigned char *ordinary = nullptr;
  };
  static TSurfaces SurfacesFor(const TOpticalSystem *system);

 private:
  const TOpticalSystem *system_;
  Mem<TInteractionSurface> views_;
  Mem<TLaneSurface> lanes_;
  Mem<unsigned char> ordinary_;
  TTraceBatch *outer_;  // the batch that was active before this one
};
