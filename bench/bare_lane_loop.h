#pragma once
// A bare structure-of-arrays loop of the lane arithmetic, for the benchmarks to measure the
// batch trace against (bare_lane_loop_kernel.h).

#include "optics/trace/lane_trace.h"

// Rays in structure-of-arrays form; count a multiple of kLaneBlock.
struct TBareRays {
  double *x, *y, *z, *L, *M, *N, *path;
  int count;
};

// Every ray through the surfaces in order, kLaneBlock rays at a time, with the build of the
// lane trace in use (TraceLanes): each lane through a whole passage in one loop, or
// (stepped) in the lane trace's four steps. False when that build is not compiled here.
bool TraceBareBlocks(const TLaneSurface *surfaces, int surfaceCount, TBareRays &rays,
                     bool stepped);
