#include "optics/trace/lane_trace.h"

#include <cmath>

#define LANE_KERNEL_NAMESPACE lane_kernel_baseline
#include "optics/trace/lane_trace_kernel.h"
#undef LANE_KERNEL_NAMESPACE

#if defined(LANE_TRACE_HAVE_AVX2)
namespace lane_kernel_avx2 {
void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[]);
}
#endif

namespace {

using TLaneKernel = void (*)(const TLaneSurface &, const TRayLanes &, TRayLanes &,
                             const double[], double[]);

// The AVX2 build where the processor has it; chosen on first use.
TLaneKernel Kernel() {
  static const TLaneKernel kernel = [] {
#if defined(LANE_TRACE_HAVE_AVX2)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return lane_kernel_avx2::TraceLanes;
#endif
    return lane_kernel_baseline::TraceLanes;
  }();
  return kernel;
}

}  // namespace

bool MakeLaneSurface(const TInteractionSurface &s, TLaneSurface &lane) {
  const bool shape =
      s.type == kSurfacePlane || s.type == kSurfaceSphere || s.type == kSurfaceAspheric2;
  const bool hoe = s.hoe.present && s.hoe.Vh != nullptr && s.hoe.count > 0 &&
                   std::fabs(s.hoe.Mhxy) > kTinyValue;
  if (!shape || s.tilted || s.hasCoefficients || s.hasZones || hoe) return false;
  if (s.outer.type != kBoundRound || s.inner.type != kBoundRound) return false;
  for (int i = 0; i < 3; ++i) lane.vertex[i] = s.vertex[i];
  lane.R = s.R;
  lane.e = 1.0 - s.Ex;
  lane.twoR = 2.0 * s.R;
  lane.curvature = s.R == 0.0 ? 0.0 : 1.0 / s.R;
  lane.curvatureE = lane.curvature * (1.0 - s.Ex);
  lane.outerLimit = s.outer.semiHeight * s.outer.semiHeight * kBoundTolerance;
  lane.outerY = s.outer.centreY;
  lane.outerZ = s.outer.centreZ;
  lane.innerLimit = s.inner.semiHeight * s.inner.semiHeight * kBoundTolerance;
  lane.innerY = s.inner.centreY;
  lane.innerZ = s.inner.centreZ;
  lane.mu = s.indexAfter == 0.0 ? 1.0 : s.indexBefore / s.indexAfter;
  lane.muSquared = lane.mu * lane.mu;
  lane.sense = lane.mu >= 0.0 ? 1.0 : -1.0;
  lane.flat = s.R == 0.0 || s.type == kSurfacePlane ? 1 : 0;
  return true;
}

void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[]) {
  Kernel()(s, rays, out, live, done);
}

void TraceLanesBaseline(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                        const double live[], double done[]) {
  lane_kernel_baseline::TraceLanes(s, rays, out, live, done);
}

bool LaneTraceIsWide() { return Kernel() != lane_kernel_baseline::TraceLanes; }
