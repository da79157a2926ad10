#include "bench/bare_lane_loop.h"

#include <cstring>

#define BARE_LOOP_NAMESPACE bare_loop_baseline
#include "bench/bare_lane_loop_kernel.h"
#undef BARE_LOOP_NAMESPACE

#if defined(BARE_LOOP_HAVE_AVX2)
namespace bare_loop_avx2 {
void TraceBareBlocks(const TLaneSurface *surfaces, int surfaceCount, TBareRays &rays,
                     bool stepped);
}
namespace bare_loop_avx512 {
void TraceBareBlocks(const TLaneSurface *surfaces, int surfaceCount, TBareRays &rays,
                     bool stepped);
}
#endif

bool TraceBareBlocks(const TLaneSurface *surfaces, int surfaceCount, TBareRays &rays,
                     bool stepped) {
  // The same build as the lane trace in use, so that the two are measured alike.
  const char *build = LaneTraceBuildName();
#if defined(BARE_LOOP_HAVE_AVX2)
  if (std::strcmp(build, "AVX-512") == 0) {
    bare_loop_avx512::TraceBareBlocks(surfaces, surfaceCount, rays, stepped);
    return true;
  }
  if (std::strcmp(build, "AVX2") == 0) {
    bare_loop_avx2::TraceBareBlocks(surfaces, surfaceCount, rays, stepped);
    return true;
  }
#endif
  if (std::strcmp(build, "baseline") != 0) return false;
  bare_loop_baseline::TraceBareBlocks(surfaces, surfaceCount, rays, stepped);
  return true;
}
