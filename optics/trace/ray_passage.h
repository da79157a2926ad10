#pragma once
// The one-ray trace's passages through runs of ordinary surfaces (ray_passage_kernel.h,
// which also gives PassLaneSurface its body): the lane arithmetic bit for bit, arranged for
// the shortest chain of dependent steps, since one ray's passages cannot overlap one
// another. Built for the baseline instruction set and for AVX-512, chosen at run time.

#include "optics/trace/lane_trace.h"

class TSurface;

// The most surfaces one run passes (callers keep that many path lengths).
constexpr int kLaneRunLimit = 64;

// Passes the ray through surfaces[first], surfaces[first + 1], ... before end while each is
// a lane surface (MakeLaneSurface) and its passage an ordinary one (PassLaneSurface), the
// ray left as PassLaneSurface leaves it after the last. Answers the index of the first
// surface not passed; paths (when given) receives each passage's path length, paths[0] the
// first's. declined is true when the run stopped at a lane surface whose passage was not
// an ordinary one (TraceSurfaceRay must decide it), false at a null or other surface or at
// end. end - first must not exceed kLaneRunLimit when paths are given.
int PassLaneRun(const TSurface *const *surfaces, int first, int end, TCurrentRay &ray,
                double *paths, bool &declined);

// For tests, which check every build: PassLaneSurface and PassLaneRun of the build asked
// for (kLaneBuildBaseline or kLaneBuildAvx512); false, doing nothing, where the processor
// or the build lacks it.
bool PassLaneSurfaceWith(TLaneBuild build, const TLaneSurface &surface, TCurrentRay &ray,
                         bool &passed);
bool PassLaneRunWith(TLaneBuild build, const TSurface *const *surfaces, int first, int end,
                     TCurrentRay &ray, double *paths, bool &declined, int &stop);
