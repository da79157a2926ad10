#pragma once
// The optical-path record of a system: the reference ray of a wavefront evaluation and the
// result of the last ray compared with it.

#include "foundation/containers/mem.h"

class TSurface;

// One wavefront ray's result, as TraceRay leaves it in the eikonal record.
struct TRayWavefront {
  double opticalPathDifference = 0.0;
  double transmission = 1.0;
};

class TEikonalInfo {
 public:
  TEikonalInfo();

  // Starts a new result: the reference part is kept.
  void Reset(int traceMode);
  // Starts a reference trace over the given surfaces: one zero path per surface. The
  // optical path difference of the previous ray is left as it was.
  void Begin(const Mem<TSurface *> &surfaces, int traceMode);

  int mode = 0;
  int begun = 0;
  double referenceStart = 0.0;
  double referenceEnd[3] = {0.0, 0.0, 0.0};        // stored as y, z, x
  double referenceDirection[3] = {0.0, 0.0, 0.0};  // L, M, N
  double opticalPathDifference = 0.0;
  double transmission = 1.0;
  Mem<double> referencePaths;  // one per surface: the reference ray's segment path
};
