#include "optics/trace/lane_trace.h"

#include <cmath>

#define LANE_KERNEL_NAMESPACE lane_kernel_baseline
#include "optics/trace/lane_trace_kernel.h"
#undef LANE_KERNEL_NAMESPACE

#include "optics/model/surface.h"

#if defined(LANE_TRACE_HAVE_AVX2)
namespace lane_kernel_avx2 {
void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[]);
}
namespace lane_kernel_avx512 {
void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[]);
}
#endif

namespace {

using TLaneKernel = void (*)(const TLaneSurface &, const TRayLanes &, TRayLanes &,
                             const double[], double[]);

// The build of the kernel for `build`, or null where this processor cannot run it.
TLaneKernel KernelOf(TLaneBuild build) {
#if defined(LANE_TRACE_HAVE_AVX2)
  __builtin_cpu_init();
  if (build == kLaneBuildAvx512 && __builtin_cpu_supports("avx512f") &&
      __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl"))
    return lane_kernel_avx512::TraceLanes;
  if (build == kLaneBuildAvx2 && __builtin_cpu_supports("avx2")) return lane_kernel_avx2::TraceLanes;
#endif
  return build == kLaneBuildBaseline ? lane_kernel_baseline::TraceLanes : nullptr;
}

// The widest build the processor runs; chosen on first use.
TLaneKernel Kernel() {
  static const TLaneKernel kernel = [] {
    for (TLaneBuild build : {kLaneBuildAvx512, kLaneBuildAvx2})
      if (TLaneKernel wide = KernelOf(build)) return wide;
    return KernelOf(kLaneBuildBaseline);
  }();
  return kernel;
}

}  // namespace

namespace {

// The constants of an eligible surface, from its shape, bounds, media and vertex.
void FillLaneSurface(double R, double Ex, int type, const TBoundView &outer,
                     const TBoundView &inner, double indexBefore, double indexAfter,
                     const double vertex[3], TLaneSurface &lane) {
  for (int i = 0; i < 3; ++i) lane.vertex[i] = vertex[i];
  lane.R = R;
  lane.e = 1.0 - Ex;
  lane.twoR = 2.0 * R;
  lane.curvature = R == 0.0 ? 0.0 : 1.0 / R;
  lane.curvatureE = lane.curvature * (1.0 - Ex);
  lane.outerLimit = outer.semiHeight * outer.semiHeight * kBoundTolerance;
  lane.outerY = outer.centreY;
  lane.outerZ = outer.centreZ;
  lane.innerLimit = inner.semiHeight * inner.semiHeight * kBoundTolerance;
  lane.innerY = inner.centreY;
  lane.innerZ = inner.centreZ;
  lane.mu = indexAfter == 0.0 ? 1.0 : indexBefore / indexAfter;
  lane.muSquared = lane.mu * lane.mu;
  lane.sense = lane.mu >= 0.0 ? 1.0 : -1.0;
  lane.flat = R == 0.0 || type == kSurfacePlane ? 1 : 0;
}

bool LaneShape(int type) {
  return type == kSurfacePlane || type == kSurfaceSphere || type == kSurfaceAspheric2;
}

}  // namespace

bool MakeLaneSurface(const TInteractionSurface &s, TLaneSurface &lane) {
  const bool hoe = s.hoe.present && s.hoe.Vh != nullptr && s.hoe.count > 0 &&
                   std::fabs(s.hoe.Mhxy) > kRayZero;
  if (!LaneShape(s.type) || s.tilted || s.hasCoefficients || s.hasZones || hoe) return false;
  if (s.outer.type != kBoundRound || s.inner.type != kBoundRound) return false;
  FillLaneSurface(s.R, s.Ex, s.type, s.outer, s.inner, s.indexBefore, s.indexAfter, s.vertex,
                  lane);
  return true;
}

bool MakeLaneSurface(const TSurface &surface, TLaneSurface &lane) {
  const TGeneralParameters &g = surface.general;
  // As MakeInteractionSurface reads them: a tilt flag without its nine cells turns nothing.
  const bool tilted = surface.tilted && surface.tiltMatrix.data != nullptr &&
                      surface.tiltMatrix.cols * surface.tiltMatrix.rows >= 9;
  const THOEParameters *h = surface.hoe;
  const bool hoe = h != nullptr && h->Vh.data != nullptr && h->Vh.cols * h->Vh.rows > 0 &&
                   std::fabs(h->Mhxy) > kRayZero;
  if (!LaneShape(g.type) || tilted || surface.hasAsCoef || surface.HasRasterZones() || hoe)
    return false;
  if (g.boundTypeExt != kBoundRound || g.boundTypeInt != kBoundRound) return false;
  const TBoundView outer{g.boundTypeExt, g.semiHeightExt, g.semiWidthExt, g.boundPosYExt,
                         g.boundPosXExt};
  const TBoundView inner{g.boundTypeInt, g.semiHeightInt, g.semiWidthInt, g.boundPosYInt,
                         g.boundPosXInt};
  FillLaneSurface(g.R, g.Ex, g.type, outer, inner, g.nBefore, g.nAfter, g.vertex, lane);
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

bool PassLaneSurface(const TLaneSurface &s, TCurrentRay &ray) {
  return lane_kernel_baseline::PassLaneSurface(s, ray);
}

bool LaneTraceIsWide() { return Kernel() != lane_kernel_baseline::TraceLanes; }

const char *LaneTraceBuildName() {
  if (Kernel() == KernelOf(kLaneBuildAvx512)) return "AVX-512";
  if (Kernel() == KernelOf(kLaneBuildAvx2)) return "AVX2";
  return "baseline";
}

bool TraceLanesWith(TLaneBuild build, const TLaneSurface &s, const TRayLanes &rays,
                    TRayLanes &out, const double live[], double done[]) {
  const TLaneKernel kernel = KernelOf(build);
  if (kernel == nullptr) return false;
  kernel(s, rays, out, live, done);
  return true;
}
