#include "optics/trace/ray_passage.h"

#define RAY_PASSAGE_NAMESPACE ray_passage_baseline
#include "optics/trace/ray_passage_kernel.h"
#undef RAY_PASSAGE_NAMESPACE

#if defined(LANE_TRACE_HAVE_AVX2)
namespace ray_passage_avx512 {
bool PassLaneSurface(const TLaneSurface &s, TCurrentRay &ray);
int PassLaneRun(const TSurface *const *surfaces, int first, int end, TCurrentRay &ray,
                double *paths, bool &declined);
}  // namespace ray_passage_avx512
#endif

namespace {

struct TPassageBuild {
  bool (*surface)(const TLaneSurface &, TCurrentRay &);
  int (*run)(const TSurface *const *, int, int, TCurrentRay &, double *, bool &);
};

constexpr TPassageBuild kBaselinePassage{ray_passage_baseline::PassLaneSurface,
                                         ray_passage_baseline::PassLaneRun};

// The build for `build`, or null where this processor cannot run it (no AVX2 build of the
// passages: only the register file of AVX-512 pays).
const TPassageBuild *PassageOf(TLaneBuild build) {
#if defined(LANE_TRACE_HAVE_AVX2)
  static constexpr TPassageBuild kAvx512Passage{ray_passage_avx512::PassLaneSurface,
                                                ray_passage_avx512::PassLaneRun};
  __builtin_cpu_init();
  if (build == kLaneBuildAvx512 && __builtin_cpu_supports("avx512f") &&
      __builtin_cpu_supports("avx512vl"))
    return &kAvx512Passage;
#endif
  return build == kLaneBuildBaseline ? &kBaselinePassage : nullptr;
}

// The widest build the processor runs; chosen on first use.
const TPassageBuild &Passage() {
  static const TPassageBuild *const passage = [] {
    const TPassageBuild *wide = PassageOf(kLaneBuildAvx512);
    return wide != nullptr ? wide : PassageOf(kLaneBuildBaseline);
  }();
  return *passage;
}

}  // namespace

bool PassLaneSurface(const TLaneSurface &s, TCurrentRay &ray) { return Passage().surface(s, ray); }

int PassLaneRun(const TSurface *const *surfaces, int first, int end, TCurrentRay &ray,
                double *paths, bool &declined) {
  return Passage().run(surfaces, first, end, ray, paths, declined);
}

bool PassLaneSurfaceWith(TLaneBuild build, const TLaneSurface &s, TCurrentRay &ray,
                         bool &passed) {
  const TPassageBuild *passage = PassageOf(build);
  if (passage == nullptr) return false;
  passed = passage->surface(s, ray);
  return true;
}

bool PassLaneRunWith(TLaneBuild build, const TSurface *const *surfaces, int first, int end,
                     TCurrentRay &ray, double *paths, bool &declined, int &stop) {
  const TPassageBuild *passage = PassageOf(build);
  if (passage == nullptr) return false;
  stop = passage->run(surfaces, first, end, ray, paths, declined);
  return true;
}
