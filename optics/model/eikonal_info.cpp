#include "optics/model/eikonal_info.h"

TEikonalInfo::TEikonalInfo() { Reset(0); }

void TEikonalInfo::Reset(int traceMode) {
  mode = traceMode;
  begun = 0;
  opticalPathDifference = 0.0;
  transmission = 1.0;
}

void TEikonalInfo::Begin(const Mem<TSurface *> &surfaces, int traceMode) {
  mode = traceMode;
  begun = 1;
  referenceStart = 0.0;
  referenceEnd[0] = 0.0;
  referenceEnd[1] = 0.0;
  transmission = 1.0;
  const int count = surfaces.cols * surfaces.rows;
  if (count <= 0) {
    referencePaths.Clear();
    return;
  }
  if (referencePaths.Allocate(count, 1)) referencePaths.Zero();
}
