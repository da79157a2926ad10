#include "optics/trace/lane_trace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/surface_trace.h"
#include "optics/interaction/tests/interaction_fixtures.h"
#include "optics/model/tests/system_test_support.h"

namespace {

// Random ordinary surfaces: spheres and conics of either sign, planes, mirrors, decentred
// bounds and obscurations, some bounds tight enough to stop rays.
TInteractionSurface RandomSurface(std::mt19937_64 &random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  TInteractionSurface s;
  const int shape = static_cast<int>(unit(random) * 4.0);
  s.type = shape == 0 ? kSurfacePlane : shape == 1 ? kSurfaceAspheric2 : kSurfaceSphere;
  const double radius = 15.0 + 200.0 * unit(random);
  s.R = s.type == kSurfacePlane ? 0.0 : (unit(random) < 0.5 ? -radius : radius);
  if (s.type == kSurfaceAspheric2) s.Ex = -2.0 + 3.0 * unit(random);
  s.outer.type = kBoundRound;
  s.outer.semiHeight = 4.0 + 12.0 * unit(random);
  s.outer.centreY = unit(random) < 0.3 ? unit(random) - 0.5 : 0.0;
  s.outer.centreZ = unit(random) < 0.3 ? unit(random) - 0.5 : 0.0;
  s.inner.type = kBoundRound;
  s.inner.semiHeight = unit(random) < 0.3 ? 2.0 * unit(random) : 0.0;
  s.indexBefore = 1.0 + 0.8 * unit(random);
  s.indexAfter = unit(random) < 0.15 ? -s.indexBefore : 1.0 + 0.8 * unit(random);
  s.vertex[0] = 5.0 * unit(random);
  s.vertex[1] = unit(random) < 0.2 ? unit(random) - 0.5 : 0.0;
  return s;
}

TCurrentRay RandomRay(std::mt19937_64 &random) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  return MakeRay(-5.0 + unit(random), 10.0 * unit(random), 10.0 * unit(random), 1.0 + unit(random),
                 0.4 * unit(random), 0.4 * unit(random));
}

void Load(const std::vector<TCurrentRay> &rays, TRayLanes &lanes) {
  for (std::size_t r = 0; r < rays.size(); ++r) LoadLane(rays[r], lanes, static_cast<int>(r));
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Each lane the lane trace passes ends bit for bit where the one-ray interaction leaves
// the ray; each lane it declines is left untouched; and it declines only rays the
// one-ray interaction does not pass in the ordinary way. Every build of the kernel the
// processor runs (baseline, AVX2, AVX-512), the one in use, and the one-ray lane passage
// of TraceRay (parameter kOneRayPassage), ray by ray.
constexpr int kKernelInUse = 3;
constexpr int kOneRayPassage = 4;
class LaneKernels : public ::testing::TestWithParam<int> {};

// Runs the kernel of the test's parameter; false when the processor lacks that build.
bool RunKernel(int which, const TLaneSurface &lane, const TRayLanes &lanes, TRayLanes &out,
               const double live[], double done[]) {
  if (which == kKernelInUse) {
    TraceLanes(lane, lanes, out, live, done);
    return true;
  }
  if (which != kOneRayPassage)
    return TraceLanesWith(static_cast<TLaneBuild>(which), lane, lanes, out, live, done);
  for (int k = 0; k < kLaneBlock; ++k) {
    TCurrentRay ray(lanes.x[k], lanes.y[k], lanes.z[k]);
    ray.L = lanes.L[k];
    ray.M = lanes.M[k];
    ray.N = lanes.N[k];
    done[k] = live[k] != 0.0 && PassLaneSurface(lane, ray) ? 1.0 : 0.0;
    out.x[k] = ray.x;
    out.y[k] = ray.y;
    out.z[k] = ray.z;
    out.L[k] = ray.L;
    out.M[k] = ray.M;
    out.N[k] = ray.N;
    out.path[k] = ray.pathLength;
  }
  return true;
}

TEST_P(LaneKernels, PassedLanesMatchTheOneRayInteractionBitForBit) {
  std::mt19937_64 random(20261207);
  int passedLanes = 0, declinedLanes = 0, passedBackwards = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const TInteractionSurface surface = RandomSurface(random);
    TLaneSurface lane;
    ASSERT_TRUE(MakeLaneSurface(surface, lane));
    std::vector<TCurrentRay> rays(kLaneBlock);
    for (TCurrentRay &ray : rays) ray = RandomRay(random);
    // Every fifth ray travels backwards, towards -x.
    for (int k = 4; k < kLaneBlock; k += 5) {
      rays[k].L = -rays[k].L;
      rays[k].M = -rays[k].M;
      rays[k].N = -rays[k].N;
      rays[k].x += 12.0;
    }
    rays[3].L = 0.0;  // parallel to the vertex plane
    // Infinite and undefined coordinates, each in a lane of its own: always declined.
    const double inf = std::numeric_limits<double>::infinity();
    const int badLanes[] = {5, 8, 10, 12, 17, 19, 22, 24, 26};
    rays[5].y = std::nan("");
    rays[8].x = inf;
    rays[10].z = -inf;
    rays[12].L = std::nan("");
    rays[17].M = inf;
    rays[19].N = -inf;
    rays[22].x = std::nan("");
    rays[24].y = -inf;
    rays[26].z = std::nan("");
    TRayLanes lanes, out;
    Load(rays, lanes);
    double live[kLaneBlock], done[kLaneBlock];
    for (int k = 0; k < kLaneBlock; ++k) live[k] = k % 7 == 6 ? 0.0 : 1.0;
    if (!RunKernel(GetParam(), lane, lanes, out, live, done))
      GTEST_SKIP() << "the processor lacks this build";
    for (int k : badLanes) EXPECT_EQ(done[k], 0.0) << "trial " << trial << " lane " << k;
    for (int k = 0; k < kLaneBlock; ++k) {
      SCOPED_TRACE(::testing::Message() << "trial " << trial << " lane " << k);
      TCurrentRay one = rays[k];
      const int rc = TraceSurfaceRay(surface, one);
      ASSERT_TRUE(done[k] == 0.0 || done[k] == 1.0);
      if (done[k] != 0.0) {
        ++passedLanes;
        passedBackwards += rays[k].L < 0.0 ? 1 : 0;
        EXPECT_EQ(live[k], 1.0);
        EXPECT_EQ(rc, kRayPassed);
        EXPECT_TRUE(SameBits(out.x[k], one.x) && SameBits(out.y[k], one.y) &&
                    SameBits(out.z[k], one.z));
        EXPECT_TRUE(SameBits(out.L[k], one.L) && SameBits(out.M[k], one.M) &&
                    SameBits(out.N[k], one.N));
        EXPECT_TRUE(SameBits(out.path[k], one.pathLength));
      } else {
        ++declinedLanes;
        // The block read is never written.
        EXPECT_TRUE(SameBits(lanes.x[k], rays[k].x) && SameBits(lanes.L[k], rays[k].L));
        // A live lane is declined only when the ray is out of the ordinary.
        if (live[k]) {
          EXPECT_NE(rc, kRayPassed);
        }
      }
    }
  }
  // Most random rays pass, yet apertures, misses and reflections decline a good share.
  EXPECT_GT(passedLanes, 300 * kLaneBlock / 3);
  EXPECT_GT(declinedLanes, 300 * kLaneBlock / 20);
  EXPECT_GT(passedBackwards, 300 * kLaneBlock / 20);
}

INSTANTIATE_TEST_SUITE_P(LaneTrace, LaneKernels,
                         ::testing::Values(kLaneBuildBaseline, kLaneBuildAvx2, kLaneBuildAvx512,
                                           kKernelInUse, kOneRayPassage));

// A wide kernel is the one in use wherever the processor has AVX2.
TEST(LaneTrace, WideKernelInUseWhereTheProcessorHasIt) {
#if defined(__x86_64__)
  __builtin_cpu_init();
  EXPECT_EQ(LaneTraceIsWide(), __builtin_cpu_supports("avx2") != 0);
#else
  EXPECT_FALSE(LaneTraceIsWide());
#endif
}

// A short batch passes only the groups of lanes that hold its rays: those lanes end as in a
// whole block, and the lanes past them are neither written nor read (they may hold
// anything). Every build the processor runs.
TEST(LaneTrace, ShortBatchesPassOnlyTheirGroupsOfLanes) {
  std::mt19937_64 random(20261209);
  TInteractionSurface surface = RandomSurface(random);
  surface.inner.semiHeight = 0.5;  // an obscured sphere or conic as well
  TLaneSurface lane;
  ASSERT_TRUE(MakeLaneSurface(surface, lane));
  std::vector<TCurrentRay> rays(kLaneBlock);
  for (TCurrentRay &ray : rays) ray = RandomRay(random);
  TRayLanes lanes, whole, part;
  Load(rays, lanes);
  const int count = 20, grouped = 24;
  for (int k = grouped; k < kLaneBlock; ++k) lanes.x[k] = std::nan("");  // never read
  double live[kLaneBlock], done[kLaneBlock], partDone[kLaneBlock];
  for (int k = 0; k < kLaneBlock; ++k) live[k] = 1.0;
  for (TLaneBuild build : {kLaneBuildBaseline, kLaneBuildAvx2, kLaneBuildAvx512}) {
    SCOPED_TRACE(static_cast<int>(build));
    for (int k = 0; k < kLaneBlock; ++k) {
      part.x[k] = part.L[k] = part.path[k] = -7.0;
      partDone[k] = -7.0;
    }
    if (!TraceLanesWith(build, lane, lanes, whole, live, done)) continue;
    ASSERT_TRUE(TraceLanesWith(build, lane, lanes, part, live, partDone, count));
    int passed = 0;
    for (int k = 0; k < kLaneBlock; ++k) {
      SCOPED_TRACE(k);
      if (k >= grouped) {
        EXPECT_EQ(partDone[k], -7.0);
        EXPECT_TRUE(part.x[k] == -7.0 && part.L[k] == -7.0 && part.path[k] == -7.0);
        continue;
      }
      EXPECT_EQ(partDone[k], done[k]);
      if (done[k] == 0.0) continue;
      ++passed;
      EXPECT_TRUE(SameBits(part.x[k], whole.x[k]) && SameBits(part.L[k], whole.L[k]) &&
                  SameBits(part.path[k], whole.path[k]));
    }
    EXPECT_GT(passed, 0);
  }
}

// The lanes' ends are the one formula ray by ray, bit for bit, in the build in use and the
// baseline: positions into a frame, path differences to a finite image and to one at
// infinity (where a direction across the reference's gives no step at all).
TEST(LaneTrace, EndsAreThoseOfTheOneRayFormula) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  TRayLanes lanes = {}, out = {};
  TLaneSums sums = {};
  for (int k = 0; k < kLaneBlock; ++k) {
    const TCurrentRay ray = RandomRay(random);
    LoadLane(ray, lanes, k);
    sums.path[k] = 40.0 + unit(random);
  }
  lanes.L[7] = 0.0;  // across the reference direction below
  lanes.M[7] = 1.0;
  lanes.N[7] = 0.0;
  TWavefrontReference reference;
  reference.endX = 60.0 + unit(random);
  reference.endY = unit(random);
  reference.endZ = unit(random);
  reference.direction[0] = 1.0;
  reference.start = 3.0 * unit(random);
  const double vertex[3] = {55.0, 0.25, -0.5};
  for (int variant = 0; variant < 4; ++variant) {
    const bool placed = variant % 2 == 1;
    const int imageFinite = variant / 2;
    SCOPED_TRACE(::testing::Message() << "placed " << placed << " finite " << imageFinite);
    double inUse[kLaneBlock], baseline[kLaneBlock];
    TRayLanes baselineOut = out;
    EndLanes(lanes, out, placed ? vertex : nullptr, &reference, imageFinite, 1.5, sums, inUse);
    EndLanesBaseline(lanes, baselineOut, placed ? vertex : nullptr, &reference, imageFinite,
                     1.5, sums, baseline);
    for (int k = 0; k < kLaneBlock; ++k) {
      const double x = placed ? lanes.x[k] - vertex[0] : lanes.x[k];
      const double y = placed ? lanes.y[k] - vertex[1] : lanes.y[k];
      const double z = placed ? lanes.z[k] - vertex[2] : lanes.z[k];
      const double one = WavefrontDifference(reference, x, y, z, lanes.L[k], lanes.M[k],
                                             lanes.N[k], sums.path[k], imageFinite, 1.5);
      EXPECT_TRUE(SameBits(inUse[k], one) && SameBits(baseline[k], one)) << k;
      if (placed) {
        EXPECT_TRUE(SameBits(out.x[k], x) && SameBits(out.y[k], y) && SameBits(out.z[k], z) &&
                    SameBits(baselineOut.z[k], z))
            << k;
      }
    }
    if (imageFinite == 0) {
      EXPECT_EQ(inUse[7], sums.path[7] - reference.start);
    }
  }
}

TEST(LaneTrace, ExtraordinarySurfacesAreLeftToTheOneRayInteraction) {
  TLaneSurface lane;
  TInteractionSurface sphere = OpenSurface(kSurfaceSphere, 50.0, 1.0, 1.5);
  sphere.outer.type = kBoundRound;
  sphere.outer.semiHeight = 10.0;
  EXPECT_TRUE(MakeLaneSurface(sphere, lane));
  EXPECT_DOUBLE_EQ(lane.mu, 1.0 / 1.5);
  EXPECT_EQ(lane.sense, 1.0);

  TInteractionSurface tilted = sphere;
  Tilt(tilted, 0.0, 0.01, 0.0);
  EXPECT_FALSE(MakeLaneSurface(tilted, lane));

  static const double coefficients[] = {0.02, 0.0, 1e-6};
  EXPECT_FALSE(MakeLaneSurface(WithCoefficients(sphere, coefficients, 3), lane));

  TInteractionSurface square = sphere;
  square.outer.type = kBoundSquare;
  EXPECT_FALSE(MakeLaneSurface(square, lane));
  TInteractionSurface ring = sphere;
  ring.inner.type = kBoundEllipse;
  EXPECT_FALSE(MakeLaneSurface(ring, lane));

  TInteractionSurface cylinder = sphere;
  cylinder.type = kSurfaceCylinder;
  EXPECT_FALSE(MakeLaneSurface(cylinder, lane));

  static const double phase[] = {0.001};
  TInteractionSurface hologram = sphere;
  hologram.hoe = {1, 10.0, 1.0, 1, phase, 1};
  EXPECT_FALSE(MakeLaneSurface(hologram, lane));
  hologram.hoe.count = 0;  // no terms: refracts as a plain surface
  EXPECT_TRUE(MakeLaneSurface(hologram, lane));

  TInteractionSurface mirror = sphere;
  mirror.indexAfter = -1.0;
  ASSERT_TRUE(MakeLaneSurface(mirror, lane));
  EXPECT_EQ(lane.sense, -1.0);
}

// A mirror sends an axial ray straight back; worked by hand: a plane mirror at x = 10
// reverses L and leaves the hit at the vertex plane.
TEST(LaneTrace, PlaneMirrorReversesTheAxialRay) {
  TInteractionSurface mirror = OpenSurface(kSurfacePlane, 0.0, 1.0, -1.0);
  mirror.outer.type = kBoundRound;
  mirror.outer.semiHeight = 20.0;
  mirror.vertex[0] = 10.0;
  TLaneSurface lane;
  ASSERT_TRUE(MakeLaneSurface(mirror, lane));
  TRayLanes lanes{}, out{};
  lanes.x[0] = 0.0;
  lanes.y[0] = 3.0;
  lanes.z[0] = -2.0;
  lanes.L[0] = 1.0;
  lanes.M[0] = 0.0;
  lanes.N[0] = 0.0;
  lanes.path[0] = 0.0;
  double live[kLaneBlock] = {1.0};
  double done[kLaneBlock] = {0.0};
  TraceLanes(lane, lanes, out, live, done);
  ASSERT_EQ(done[0], 1.0);
  EXPECT_EQ(done[1], 0.0);
  EXPECT_EQ(out.x[0], 10.0);
  EXPECT_EQ(out.y[0], 3.0);
  EXPECT_EQ(out.L[0], -1.0);
  EXPECT_EQ(out.M[0], 0.0);
  EXPECT_EQ(out.path[0], 10.0);
}

// The one-ray trace builds a lane surface straight from the model surface: the same
// surfaces qualify, with the same constants, as through the surface's whole view.
class LaneSurfaceOfAModelSurface : public SystemTest {};

TEST_F(LaneSurfaceOfAModelSurface, MatchesTheOneMadeFromTheView) {
  int ordinary = 0, other = 0;
  for (const char *example : {"cooke_triplet.os", "fold_mirror.os", "parabolic_mirror.os",
                              "lens_array.os", "prism.os", "germanium_ir_lens.os"}) {
    SCOPED_TRACE(example);
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(ExamplePath(example), 0), 1);
    for (int i = 0; i < system.SurfaceCount(); ++i) {
      TLaneSurface fromView, fromSurface;
      const bool viaView =
          MakeLaneSurface(MakeInteractionSurface(*system.Surface(i)), fromView);
      ASSERT_EQ(MakeLaneSurface(*system.Surface(i), fromSurface), viaView) << "surface " << i;
      if (!viaView) {
        ++other;
        continue;
      }
      ++ordinary;
      const double a[] = {fromView.vertex[0], fromView.vertex[1], fromView.vertex[2], fromView.R,
                          fromView.e, fromView.twoR, fromView.curvature, fromView.curvatureE,
                          fromView.outerLimit, fromView.outerY, fromView.outerZ,
                          fromView.innerLimit, fromView.innerY, fromView.innerZ, fromView.mu,
                          fromView.muSquared, fromView.sense};
      const double b[] = {fromSurface.vertex[0], fromSurface.vertex[1], fromSurface.vertex[2],
                          fromSurface.R, fromSurface.e, fromSurface.twoR, fromSurface.curvature,
                          fromSurface.curvatureE, fromSurface.outerLimit, fromSurface.outerY,
                          fromSurface.outerZ, fromSurface.innerLimit, fromSurface.innerY,
                          fromSurface.innerZ, fromSurface.mu, fromSurface.muSquared,
                          fromSurface.sense};
      EXPECT_EQ(std::memcmp(a, b, sizeof a), 0) << "surface " << i;
      EXPECT_EQ(fromView.flat, fromSurface.flat) << "surface " << i;
    }
  }
  // Both kinds were met: lens surfaces, and tilted, array or prism surfaces.
  EXPECT_GT(ordinary, 10);
  EXPECT_GT(other, 3);
}

// Whole systems: random singlets and doublets of spheres, conics and planes with
// decentred bounds and obscurations, some tilted, traced as a batch and ray by ray, in both
// modes and with all rays drawn or not. Every ray and result must be the same bit for bit.
class LaneSystems : public SystemTest {};

TEST_F(LaneSystems, BatchOfRandomSystemsMatchesTheSingleTraceBitForBit) {
  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int passedTotal = 0, stoppedTotal = 0;
  for (int trial = 0; trial < 12; ++trial) {
    TOpticalSystem system;
    AddAt(system, 0.0, 0.0, "", 30.0);
    double x = 10.0;
    const int surfaces = 3 + static_cast<int>(unit(random) * 6.0);
    for (int i = 0; i < surfaces; ++i) {
      const double radius = (unit(random) < 0.5 ? -1.0 : 1.0) * (25.0 + 150.0 * unit(random));
      const bool flat = unit(random) < 0.15;
      TSurface *s = AddAt(system, x, flat ? 0.0 : radius, i % 2 == 0 ? "1.6" : "",
                          6.0 + 10.0 * unit(random));
      if (!flat && unit(random) < 0.3) {
        s->general.type = kSurfaceAspheric2;
        s->general.Ex = -1.5 + 2.0 * unit(random);
      }
      if (unit(random) < 0.2) s->general.semiHeightInt = 1.5 * unit(random);
      if (unit(random) < 0.2) s->general.boundPosYExt = unit(random) - 0.5;
      if (trial % 4 == 3 && i == 1) s->SetAngles(0.0, 0.02, 0.0);  // tilted: the full route
      x += 2.0 + 8.0 * unit(random);
    }
    AddAt(system, x + 40.0, 0.0, "", 60.0);
    system.info.AutoSetPupilParameters = 0;
    system.info.Naper = 1;
    system.info.Dentr = 10.0;
    ASSERT_GE(system.Prepare(0.0, 1, 0), 0);

    std::vector<TCurrentRay> start;
    for (int r = 0; r < 150; ++r) {
      TCurrentRay ray = RayAlong(-1.0, 16.0 * (unit(random) - 0.5), 16.0 * (unit(random) - 0.5),
                                 1.0, 0.3 * (unit(random) - 0.5), 0.3 * (unit(random) - 0.5));
      ray.traceThrough = r % 5 == 0 ? 1 : 0;
      start.push_back(ray);
    }
    for (int drawAll : {0, 1})
      for (int mode : {1, -1}) {
        SCOPED_TRACE(::testing::Message() << "trial " << trial << " mode " << mode);
        system.info.DrawAllRays = drawAll;
        std::vector<TCurrentRay> single = start, batch = start;
        std::vector<int> singleResults(start.size()), batchResults(start.size());
        for (std::size_t r = 0; r < start.size(); ++r)
          singleResults[r] = system.TraceRay(single[r], mode, nullptr, 0);
        system.TraceRays(batch.data(), static_cast<int>(batch.size()), mode, batchResults.data());
        for (std::size_t r = 0; r < start.size(); ++r) {
          EXPECT_EQ(batchResults[r], singleResults[r]);
          EXPECT_EQ(std::memcmp(&batch[r], &single[r], sizeof(TCurrentRay)), 0) << "ray " << r;
          (singleResults[r] == 1 ? passedTotal : stoppedTotal) += 1;
        }
      }
  }
  // Both kinds occur in numbers: the comparison covers passing and stopped rays.
  EXPECT_GT(passedTotal, 1000);
  EXPECT_GT(stoppedTotal, 300);
}

}  // namespace
