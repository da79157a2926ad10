#pragma once
// The ordinary passage of many rays through one untilted sphere, conic or plane with round
// bounds, written lane by lane without branches so that independent rays overlap (and the
// compiler may pack them into vector registers). Every lane does exactly the arithmetic of
// TraceSurfaceRay, in the same order, so a lane that passes ends bit for bit where the
// one-ray interaction would leave it. Anything out of the ordinary (an aperture, a total
// reflection, a missed surface, a grazing or non-finite ray) is only flagged: the caller
// hands such rays to TraceSurfaceRay, which decides them as always.

#include <cmath>

#include "optics/interaction/interaction_types.h"

// Per-surface constants of the lane trace, worked out once per surface.
struct TLaneSurface {
  double vertex[3] = {0.0, 0.0, 0.0};
  double R = 0.0;
  double e = 1.0;              // 1 - Ex
  double twoR = 0.0;
  double curvature = 0.0;      // 1 / R, 0 for a flat surface
  double curvatureE = 0.0;     // curvature (1 - Ex), as the normal's x needs it
  double outerLimit = 0.0;     // squared outer semi-height with its tolerance
  double outerY = 0.0, outerZ = 0.0;
  double innerLimit = 0.0;     // squared obscuration semi-height with its tolerance
  double innerY = 0.0, innerZ = 0.0;
  double mu = 1.0;             // n / n'
  double muSquared = 1.0;
  double sense = 1.0;          // -1 behind a mirror
  int flat = 1;                // intersect the vertex plane
};

// Fills lane when the surface takes the lane trace: untilted, no polynomial terms, zones
// or active holographic terms, a plane, sphere or conic, round outer and inner bounds.
bool MakeLaneSurface(const TInteractionSurface &surface, TLaneSurface &lane);
// The same straight from a model surface, without building its whole view: what the
// one-ray trace does at each surface it reaches.
bool MakeLaneSurface(const TSurface &surface, TLaneSurface &lane);

// One ray's ordinary passage through a lane surface, bit for bit that of TraceSurfaceRay
// (ray_passage_kernel.h: the same arithmetic arranged for one ray's chain of dependent
// steps): true when it passed (the ray is then left as TraceSurfaceRay leaves a passed
// ray); false when the passage is not an ordinary one, with the ray untouched for
// TraceSurfaceRay.
bool PassLaneSurface(const TLaneSurface &surface, TCurrentRay &ray);

// Rays in structure-of-arrays form, a block of them.
constexpr int kLaneBlock = 64;
// Lanes are worked on in whole groups of this many (a multiple of every build's vector): a
// short batch passes only the groups that hold its rays.
constexpr int kLaneGroup = 8;
static_assert(kLaneBlock % kLaneGroup == 0);
struct TRayLanes {
  double x[kLaneBlock], y[kLaneBlock], z[kLaneBlock];
  double L[kLaneBlock], M[kLaneBlock], N[kLaneBlock];
  double path[kLaneBlock];
};

// A ray into lane k of a block.
inline void LoadLane(const TCurrentRay &ray, TRayLanes &lanes, int k) {
  lanes.x[k] = ray.x;
  lanes.y[k] = ray.y;
  lanes.z[k] = ray.z;
  lanes.L[k] = ray.L;
  lanes.M[k] = ray.M;
  lanes.N[k] = ray.N;
  lanes.path[k] = ray.pathLength;
}

// The wavefront's running sums of a block of lanes: each ray's optical path measured
// against the reference ray, and its transmission.
struct TLaneSums {
  double path[kLaneBlock];
  double transmission[kLaneBlock];
};

// One surface's share of the wavefront sums of a ray that passed it (WavefrontTerms in
// trace_rules.h): the path length less the reference ray's, taken with the sign of the
// reference and the index before the surface; the transmission multiplied by factor (a
// mirror's reflectance, 1 for a refraction) and, in an absorbing medium, by
// 10^-|path length x absorption|.
struct TLaneSumTerms {
  double reference = 0.0;
  double sense = 1.0;        // 1 when reference >= 0, else -1
  double indexBefore = 1.0;  // |index before the surface|
  double factor = 1.0;
  double absorption = 0.0;   // decadic absorption per unit length after a refraction
};

// The path sum after a passage of pathLength: the one formula of the one-ray trace, the
// batch's ray-by-ray rules and the lanes.
[[gnu::always_inline]] inline double AddedPath(double pathSum, double pathLength,
                                               const TLaneSumTerms &terms) {
  return pathSum + (pathLength - terms.reference) * terms.sense * terms.indexBefore;
}

// The reference ray of a wavefront as the path differences read it: its end point, its
// direction there and the path it started with.
struct TWavefrontReference {
  double endX = 0.0, endY = 0.0, endZ = 0.0;
  double direction[3] = {0.0, 0.0, 0.0};
  double start = 0.0;
};

// The optical path difference of a wavefront ray ending at (x, y, z) along (L, M, N)
// against the reference ray; imageIndex is the index after the last surface the ray
// reached. The one formula of the one-ray trace, the batch's ray-by-ray rules and the lanes.
[[gnu::always_inline]] inline double WavefrontDifference(const TWavefrontReference &reference,
                                                         double x, double y, double z, double L,
                                                         double M, double N, double pathSum,
                                                         int imageFinite, double imageIndex) {
  const double dx = x - reference.endX;
  const double dy = y - reference.endY;
  const double dz = z - reference.endZ;
  const double *d0 = reference.direction;
  double t = 0.0;
  if (imageFinite == 0) {
    const double denominator = L * d0[0] + M * d0[1] + N * d0[2];
    if (std::fabs(denominator) > kRayZero) t = (dx * d0[0] + dy * d0[1] + dz * d0[2]) / denominator;
  } else {
    t = dx * L + dy * M + dz * N;
  }
  // The step to the reference runs in the image space: an optical length like the rest.
  return pathSum - imageIndex * t - reference.start;
}

// Lanes with live[k] == 1 (else 0) pass the surface from rays into out when their passage
// is an ordinary one; done[k] is 1 for those that did, else 0. Every other lane of out
// holds no meaningful value (the caller takes such rays from rays). The first `lanes`
// lanes, rounded up to whole groups of kLaneGroup, are read, live or not, so every one of
// them must hold some value; the lanes past them are neither read nor written. Writing
// another block unconditionally keeps the loop free of branches, so that it packs into
// vector instructions.
void TraceLanes(const TLaneSurface &surface, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[], int lanes = kLaneBlock);
// The same, and every lane that passed adds its passage to its sums: the path share and
// the factor of terms (an absorption is the caller's to apply, lane by lane).
void TraceLanes(const TLaneSurface &surface, const TRayLanes &rays, TRayLanes &out,
                const double live[], double done[], const TLaneSumTerms &terms,
                TLaneSums &sums, int lanes = kLaneBlock);

// The ends of a block of lanes that passed the same surfaces, for the first `lanes` lanes
// rounded up to whole groups as for TraceLanes: the position
// taken into the untilted frame whose vertex is given (none: left as it is) into out.x, y,
// z, and with a reference, the optical path difference of the lane (its sums' path, ending
// in a space of index imageIndex) into difference. Nothing else of out is written.
void EndLanes(const TRayLanes &rays, TRayLanes &out, const double *vertex,
              const TWavefrontReference *reference, int imageFinite, double imageIndex,
              const TLaneSums &sums, double difference[], int lanes = kLaneBlock);
// The same in the baseline build, whatever the processor (for tests).
void EndLanesBaseline(const TRayLanes &rays, TRayLanes &out, const double *vertex,
                      const TWavefrontReference *reference, int imageFinite, double imageIndex,
                      const TLaneSums &sums, double difference[]);

// The baseline build of TraceLanes, whatever the processor; and whether TraceLanes uses
// a wider build (AVX-512 where the processor has it, else AVX2). For tests, which check
// every build against the one-ray interaction.
void TraceLanesBaseline(const TLaneSurface &surface, const TRayLanes &rays, TRayLanes &out,
                        const double live[], double done[]);
bool LaneTraceIsWide();
// The build TraceLanes uses: "AVX-512", "AVX2" or "baseline".
const char *LaneTraceBuildName();
// The builds of the lane trace; TraceLanesWith runs the one asked for and answers false
// (doing nothing) where the processor or the build lacks it.
enum TLaneBuild : int { kLaneBuildBaseline = 0, kLaneBuildAvx2 = 1, kLaneBuildAvx512 = 2 };
bool TraceLanesWith(TLaneBuild build, const TLaneSurface &surface, const TRayLanes &rays,
                    TRayLanes &out, const double live[], double done[],
                    int lanes = kLaneBlock);
