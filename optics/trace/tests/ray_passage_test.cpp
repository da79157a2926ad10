#include "optics/trace/ray_passage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/surface_trace.h"
#include "optics/interaction/tests/interaction_fixtures.h"
#include "optics/model/tests/system_test_support.h"

namespace {

constexpr std::uint64_t kSeed = 20261207;

bool SameRay(const TCurrentRay &a, const TCurrentRay &b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Random ordinary surfaces of every kind the passage tells apart: planes (some with a
// radius the plane ignores for its intersection but not for its normal, some with a conic
// term), spheres, conics, lenses and mirrors, decentred bounds and obscurations.
TInteractionSurface RandomSurface(std::mt19937_64 &random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int shape = static_cast<int>(unit(random) * 5.0);
  TInteractionSurface s;
  s.type = shape <= 1 ? kSurfacePlane : shape == 2 ? kSurfaceAspheric2 : kSurfaceSphere;
  const double radius = (unit(random) < 0.5 ? -1.0 : 1.0) * (15.0 + 200.0 * unit(random));
  s.R = s.type != kSurfacePlane || shape == 1 ? radius : 0.0;
  if (s.type == kSurfaceAspheric2 || (s.type == kSurfacePlane && unit(random) < 0.3))
    s.Ex = -2.0 + 3.0 * unit(random);
  s.outer.type = kBoundRound;
  s.outer.semiHeight = 4.0 + 12.0 * unit(random);
  s.outer.centreY = unit(random) < 0.3 ? unit(random) - 0.5 : 0.0;
  s.outer.centreZ = unit(random) < 0.3 ? unit(random) - 0.5 : 0.0;
  s.inner.type = kBoundRound;
  s.inner.semiHeight = unit(random) < 0.3 ? 2.0 * unit(random) : 0.0;
  s.indexBefore = 1.0 + 0.8 * unit(random);
  s.indexAfter = unit(random) < 0.2 ? -s.indexBefore : 1.0 + 0.8 * unit(random);
  s.vertex[0] = 5.0 * unit(random);
  s.vertex[1] = unit(random) < 0.2 ? unit(random) - 0.5 : 0.0;
  // One medium on both sides (a stop, a plane in air), whose index ratio is exactly 1.
  if (unit(random) < 0.25) s.indexAfter = s.indexBefore;
  return s;
}

// Rays from either side, travelling either way, some meridional, some nearly grazing.
TCurrentRay RandomRay(std::mt19937_64 &random, const TInteractionSurface &s) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const bool backwards = unit(random) < -0.4;
  const double x = s.vertex[0] + (backwards ? 5.0 : -5.0) + unit(random);
  const double L = (backwards ? -1.0 : 1.0) * (unit(random) < -0.9 ? 0.05 : 1.0 + unit(random));
  const double z = unit(random) < -0.7 ? 0.0 : 10.0 * unit(random);
  const double N = z == 0.0 ? 0.0 : 0.4 * unit(random);
  return MakeRay(x, 10.0 * unit(random), z, L, 0.4 * unit(random), N);
}

// Each build the processor runs passes each ordinary ray bit for bit as TraceSurfaceRay
// does, leaves each ray it declines untouched, and declines only rays TraceSurfaceRay does
// not pass in the ordinary way.
class RayPassageBuilds : public ::testing::TestWithParam<TLaneBuild> {};

TEST_P(RayPassageBuilds, PassedRaysMatchTheOneRayInteractionBitForBit) {
  std::mt19937_64 random(kSeed);
  SCOPED_TRACE(::testing::Message() << "seed " << kSeed);
  int passed = 0, declined = 0, backwardsPassed = 0;
  for (int trial = 0; trial < 400; ++trial) {
    const TInteractionSurface surface = RandomSurface(random);
    TLaneSurface lane;
    ASSERT_TRUE(MakeLaneSurface(surface, lane));
    for (int r = 0; r < 40; ++r) {
      SCOPED_TRACE(::testing::Message() << "trial " << trial << " ray " << r);
      const TCurrentRay start = RandomRay(random, surface);
      TCurrentRay fast = start, reference = start;
      bool ordinary = false;
      if (!PassLaneSurfaceWith(GetParam(), lane, fast, ordinary))
        GTEST_SKIP() << "the processor lacks this build";
      const int rc = TraceSurfaceRay(surface, reference);
      if (ordinary) {
        ++passed;
        backwardsPassed += start.L < 0.0 ? 1 : 0;
        ASSERT_EQ(rc, kRayPassed);
        ASSERT_TRUE(SameRay(fast, reference));
      } else {
        ++declined;
        ASSERT_TRUE(SameRay(fast, start));
        ASSERT_NE(rc, kRayPassed);
      }
    }
  }
  EXPECT_GT(passed, 400 * 40 / 3);
  EXPECT_GT(backwardsPassed, 1000);
  EXPECT_GT(declined, 400 * 40 / 20);
}

// A ray with an infinite or undefined coordinate of its position or direction is declined
// and left as it was, by every kind of surface, in either sense of travel; the one-ray
// interaction does not pass it either.
TEST_P(RayPassageBuilds, DeclinesRaysWithAnInfiniteOrUndefinedCoordinate) {
  std::mt19937_64 random(kSeed + 2);
  const double bad[] = {std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()};
  int tried = 0;
  for (int trial = 0; trial < 200; ++trial) {
    const TInteractionSurface surface = RandomSurface(random);
    TLaneSurface lane;
    ASSERT_TRUE(MakeLaneSurface(surface, lane));
    const TCurrentRay good = RandomRay(random, surface);
    for (int coordinate = 0; coordinate < 6; ++coordinate) {
      for (double value : bad) {
        SCOPED_TRACE(::testing::Message() << "trial " << trial << " coordinate " << coordinate
                                          << " value " << value);
        TCurrentRay start = good;
        double *cells[] = {&start.x, &start.y, &start.z, &start.L, &start.M, &start.N};
        *cells[coordinate] = value;
        TCurrentRay fast = start, reference = start;
        bool ordinary = true;
        if (!PassLaneSurfaceWith(GetParam(), lane, fast, ordinary))
          GTEST_SKIP() << "the processor lacks this build";
        ASSERT_FALSE(ordinary);
        ASSERT_TRUE(SameRay(fast, start));
        EXPECT_NE(TraceSurfaceRay(surface, reference), kRayPassed);
        ++tried;
      }
    }
  }
  EXPECT_EQ(tried, 200 * 6 * 3);
}

// A run through a whole system is the chain of single passages, and stops where one of
// them is not an ordinary one.
class RayPassageRuns : public SystemTest, public ::testing::WithParamInterface<TLaneBuild> {};

TEST_P(RayPassageRuns, RunIsTheChainOfSinglePassages) {
  std::mt19937_64 random(kSeed + 1);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int stoppedEarly = 0, ranThrough = 0;
  for (int trial = 0; trial < 30; ++trial) {
    TOpticalSystem system;
    AddAt(system, 0.0, 0.0, "", 30.0);
    double x = 10.0;
    for (int i = 0; i < 6; ++i) {
      const double radius = (unit(random) < 0.5 ? -1.0 : 1.0) * (25.0 + 150.0 * unit(random));
      TSurface *s = AddAt(system, x, unit(random) < 0.2 ? 0.0 : radius,
                                      i % 2 == 0 ? "1.6" : "", 5.0 + 10.0 * unit(random));
      if (s->general.R != 0.0 && unit(random) < 0.3) {
        s->general.type = kSurfaceAspheric2;
        s->general.Ex = -1.0 + 1.5 * unit(random);
      }
      x += 2.0 + 8.0 * unit(random);
    }
    AddAt(system, x + 30.0, 0.0, "", 60.0);
    ASSERT_GE(system.Prepare(0.0, 0, 0), 0);
    const int count = system.SurfaceCount();
    for (int r = 0; r < 50; ++r) {
      const TCurrentRay start = RayAlong(-1.0, 14.0 * (unit(random) - 0.5),
                                         14.0 * (unit(random) - 0.5), 1.0,
                                         0.3 * (unit(random) - 0.5), 0.3 * (unit(random) - 0.5));
      TCurrentRay run = start;
      double paths[kLaneRunLimit];
      bool declined = false;
      int stop = -1;
      if (!PassLaneRunWith(GetParam(), system.surfaces.data, 0, count, run, paths, declined,
                           stop))
        GTEST_SKIP() << "the processor lacks this build";
      TCurrentRay chain = start;
      int expectedStop = count;
      for (int i = 0; i < count; ++i) {
        TLaneSurface lane;
        ASSERT_TRUE(MakeLaneSurface(*system.Surface(i), lane));
        if (!PassLaneSurface(lane, chain)) {
          expectedStop = i;
          break;
        }
        EXPECT_EQ(std::memcmp(&paths[i], &chain.pathLength, sizeof(double)), 0);
      }
      ASSERT_EQ(stop, expectedStop);
      EXPECT_EQ(declined, stop < count);
      EXPECT_TRUE(SameRay(run, chain));
      (stop < count ? stoppedEarly : ranThrough) += 1;
    }
  }
  EXPECT_GT(stoppedEarly, 100);
  EXPECT_GT(ranThrough, 100);
}

INSTANTIATE_TEST_SUITE_P(RayPassage, RayPassageBuilds,
                         ::testing::Values(kLaneBuildBaseline, kLaneBuildAvx512));
INSTANTIATE_TEST_SUITE_P(RayPassage, RayPassageRuns,
                         ::testing::Values(kLaneBuildBaseline, kLaneBuildAvx512));

// A run stops before a surface the lanes do not take (tilted here) and before a missing
// one, without declining the ray; the ray is untouched when nothing was passed.
class RayPassageRun : public SystemTest {};

TEST_F(RayPassageRun, StopsAtSurfacesOutsideTheLanes) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 30.0);
  AddAt(system, 10.0, 40.0, "1.5", 15.0);
  AddAt(system, 14.0, -40.0, "", 15.0)->SetAngles(0.0, 0.01, 0.0);
  AddAt(system, 50.0, 0.0, "", 30.0);
  ASSERT_GE(system.Prepare(0.0, 0, 0), 0);
  const TCurrentRay start = RayAlong(-1.0, 2.0, 1.0, 1.0, 0.01, 0.0);
  TCurrentRay ray = start;
  bool declined = true;
  EXPECT_EQ(PassLaneRun(system.surfaces.data, 0, 4, ray, nullptr, declined), 2);
  EXPECT_FALSE(declined);
  TCurrentRay untouched = start;
  EXPECT_EQ(PassLaneRun(system.surfaces.data, 2, 4, untouched, nullptr, declined), 2);
  EXPECT_TRUE(SameRay(untouched, start));
  TSurface *const gap[] = {system.Surface(0), nullptr};
  TCurrentRay beforeGap = start;
  EXPECT_EQ(PassLaneRun(gap, 0, 2, beforeGap, nullptr, declined), 1);
  EXPECT_FALSE(declined);
}

// The one-ray trace reads the surfaces as they are at each trace: a surface changed between
// two traces gives what a system built with the new values gives, bit for bit.
class OneRayTraceAfterAnEdit : public SystemTest {
 protected:
  static void Build(TOpticalSystem &system, double radius, double secondVertex,
                    const char *glass) {
    AddAt(system, 0.0, 0.0, "", 30.0);
    AddAt(system, 10.0, radius, glass, 15.0);
    AddAt(system, secondVertex, -60.0, "", 15.0);
    AddAt(system, 60.0, 0.0, "", 40.0);
    system.info.AutoSetPupilParameters = 0;
    system.info.Naper = 1;
    system.info.Dentr = 10.0;
  }
  static TCurrentRay Traced(TOpticalSystem &system, int mode) {
    TCurrentRay ray = RayAlong(-1.0, 3.0, -1.5, 1.0, 0.02, 0.01);
    system.TraceRay(ray, mode, nullptr, 0);
    return ray;
  }
};

TEST_F(OneRayTraceAfterAnEdit, SeesTheNewRadiusPlaceAndGlass) {
  TOpticalSystem edited;
  Build(edited, 50.0, 15.0, "1.5");
  ASSERT_GE(edited.Prepare(0.0, 0, 0), 0);
  const TCurrentRay before = Traced(edited, kTracePlain);

  edited.Surface(1)->general.R = 35.0;
  edited.Surface(2)->general.vertex[0] = 17.0;
  edited.Surface(1)->general.glass = "1.7";
  ASSERT_GE(edited.Prepare(0.0, 0, 0), 0);
  TOpticalSystem fresh;
  Build(fresh, 35.0, 17.0, "1.7");
  ASSERT_GE(fresh.Prepare(0.0, 0, 0), 0);
  for (int mode : {kTracePlain, kTracePlainGlobal}) {
    SCOPED_TRACE(::testing::Message() << "mode " << mode);
    const TCurrentRay after = Traced(edited, mode);
    EXPECT_TRUE(SameRay(after, Traced(fresh, mode)));
    if (mode == kTracePlain) {
      EXPECT_FALSE(SameRay(after, before));
    }
  }
  // Only the radius changed, without preparing again: still the new surface.
  edited.Surface(1)->general.R = 80.0;
  TOpticalSystem third;
  Build(third, 80.0, 17.0, "1.7");
  ASSERT_GE(third.Prepare(0.0, 0, 0), 0);
  EXPECT_TRUE(SameRay(Traced(edited, kTracePlain), Traced(third, kTracePlain)));
}

}  // namespace
