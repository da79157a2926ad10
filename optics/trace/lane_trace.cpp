#include "optics/trace/lane_trace.h"

#include <cmath>

#define LANE_KERNEL_NAMESPACE lane_kernel_baseline
#include "optics/trace/lane_trace_kernel.h"
#undef LANE_KERNEL_NAMESPACE

#include "optics/trace/lane_surface.h"

#if defined(LANE_TRACE_HAVE_AVX2)
namespace lane_kernel_avx2 {
void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[], const TLaneSumTerms *terms,
                TLaneSums *sums, int lanes);
void EndLanes(const TRayLanes &rays, TRayLanes &out, const double *vertex,
              const TWavefrontReference *reference, int imageFinite, double imageIndex,
              const TLaneSums &sums, double difference[], int lanes);
}  // namespace lane_kernel_avx2
namespace lane_kernel_avx512 {
void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[], const TLaneSumTerms *terms,
                TLaneSums *sums, int lanes);
void EndLanes(const TRayLanes &rays, TRayLanes &out, const double *vertex,
              const TWavefrontReference *reference, int imageFinite, double imageIndex,
              const TLaneSums &sums, double difference[], int lanes);
}  // namespace lane_kernel_avx512
#endif

namespace {

using TLaneKernel = void (*)(const TLaneSurface &, const TRayLanes &, TRayLanes &,
                             const double[], double[], const TLaneSumTerms *, TLaneSums *, int);
using TLaneEnds = void (*)(const TRayLanes &, TRayLanes &, const double *,
                           const TWavefrontReference *, int, double, const TLaneSums &,
                           double[], int);

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
TLaneBuild BuildInUse() {
  static const TLaneBuild inUse = [] {
    for (TLaneBuild build : {kLaneBuildAvx512, kLaneBuildAvx2})
      if (KernelOf(build) != nullptr) return build;
    return kLaneBuildBaseline;
  }();
  return inUse;
}

TLaneKernel Kernel() {
  static const TLaneKernel kernel = KernelOf(BuildInUse());
  return kernel;
}

// The lanes' ends in the build in use.
TLaneEnds Ends() {
  static const TLaneEnds ends = [] {
#if defined(LANE_TRACE_HAVE_AVX2)
    if (BuildInUse() == kLaneBuildAvx512) return lane_kernel_avx512::EndLanes;
    if (BuildInUse() == kLaneBuildAvx2) return lane_kernel_avx2::EndLanes;
#endif
    return lane_kernel_baseline::EndLanes;
  }();
  return ends;
}

}  // namespace

bool MakeLaneSurface(const TInteractionSurface &s, TLaneSurface &lane) {
  const bool hoe = s.hoe.present && s.hoe.Vh != nullptr && s.hoe.count > 0 &&
                   std::fabs(s.hoe.Mhxy) > kRayZero;
  if (!IsLaneShape(s.type) || s.tilted || s.hasCoefficients || s.hasZones || hoe) return false;
  if (s.outer.type != kBoundRound || s.inner.type != kBoundRound) return false;
  FillLaneSurface(s.R, s.Ex, s.type, s.outer, s.inner, s.indexBefore, s.indexAfter, s.vertex,
                  lane);
  return true;
}

bool MakeLaneSurface(const TSurface &surface, TLaneSurface &lane) {
  return FillLaneSurfaceOf(surface, lane);
}

void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[], int lanes) {
  Kernel()(s, rays, out, live, done, nullptr, nullptr, lanes);
}

void TraceLanes(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[], const TLaneSumTerms &terms,
                TLaneSums &sums, int lanes) {
  Kernel()(s, rays, out, live, done, &terms, &sums, lanes);
}

void EndLanes(const TRayLanes &rays, TRayLanes &out, const double *vertex,
              const TWavefrontReference *reference, int imageFinite, double imageIndex,
              const TLaneSums &sums, double difference[], int lanes) {
  Ends()(rays, out, vertex, reference, imageFinite, imageIndex, sums, difference, lanes);
}

void EndLanesBaseline(const TRayLanes &rays, TRayLanes &out, const double *vertex,
                      const TWavefrontReference *reference, int imageFinite, double imageIndex,
                      const TLaneSums &sums, double difference[]) {
  lane_kernel_baseline::EndLanes(rays, out, vertex, reference, imageFinite, imageIndex, sums,
                                 difference, kLaneBlock);
}

void TraceLanesBaseline(const TLaneSurface &s, const TRayLanes &rays, TRayLanes &out,
                        const double live[], double done[]) {
  lane_kernel_baseline::TraceLanes(s, rays, out, live, done, nullptr, nullptr, kLaneBlock);
}

bool LaneTraceIsWide() { return Kernel() != lane_kernel_baseline::TraceLanes; }

const char *LaneTraceBuildName() {
  if (Kernel() == KernelOf(kLaneBuildAvx512)) return "AVX-512";
  if (Kernel() == KernelOf(kLaneBuildAvx2)) return "AVX2";
  return "baseline";
}

bool TraceLanesWith(TLaneBuild build, const TLaneSurface &s, const TRayLanes &rays,
                    TRayLanes &out, const double live[], double done[], int lanes) {
  const TLaneKernel kernel = KernelOf(build);
  if (kernel == nullptr) return false;
  kernel(s, rays, out, live, done, nullptr, nullptr, lanes);
  return true;
}
