// Light pipes through whole systems: a glass rod closed by a back-surface mirror carries the
// light down the rod and back again by total internal reflection.

#include <cmath>
#include <memory>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/pipe/pipe_surface.h"
#include "optics/model/tests/system_test_support.h"

namespace {

constexpr double kRoundOff = 1e-9;

int HitCount(const Mem<TIntersectionPoint> &hits) { return hits.cols * hits.rows; }

class SystemPipeTest : public SystemTest {
 protected:
  // The rod of the first test, walls on.
  static void BuildRod(TOpticalSystem &system) {
    AddAt(system, -1.0, 0.0, "", 20.0);
    AddAt(system, 0.0, 0.0, "1.5", 5.0);
    AddAt(system, 100.0, 0.0, "refl", 5.0);
    AddAt(system, 0.0, 0.0, "", 5.0);
    AddAt(system, -20.0, 0.0, "", 100.0);
    system.info.EnablePipe = 1;
  }
};

// Air at x = -1, the rod's entrance face at x = 0, its mirror end at x = 100; the light leaves
// again through the entrance plane (surface 3) and lands on a screen at x = -20. The rod has
// radius 5 and index 1.5.
TEST_F(SystemPipeTest, RodWithABackMirrorReturnsTheLightByTotalReflection) {
  TOpticalSystem system;
  AddAt(system, -1.0, 0.0, "", 20.0);
  AddAt(system, 0.0, 0.0, "1.5", 5.0);
  AddAt(system, 100.0, 0.0, "refl", 5.0);
  AddAt(system, 0.0, 0.0, "", 5.0);
  AddAt(system, -20.0, 0.0, "", 100.0);
  system.info.EnablePipe = 1;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  ASSERT_NE(system.surfaces.data[2]->pipeWall, nullptr);
  ASSERT_NE(system.surfaces.data[3]->pipeWall, nullptr);  // the rod after the mirror

  const double angle = 30.0 * kPi / 180.0;
  TCurrentRay ray = RayAlong(-1.0, 0.0, 0.0, std::cos(angle), std::sin(angle), 0.0);
  Mem<TIntersectionPoint> hits;
  ASSERT_EQ(system.TraceRay(ray, -2, &hits, 0), 1);
  // Inside, the ray runs at a' (sin a' = sin 30 / 1.5) to the axis and meets the wall at
  // 90 - a' = 70.5 degrees, far beyond the critical 41.8: every wall hit is a reflection.
  // The entry point is at y = tan 30, the climb is tan a' per unit length; unfolded, the
  // zig-zag over 200 of rod crosses |y| = 5 at x = (5 - y0 + 10 k) / tan a'.
  const double inside = std::asin(std::sin(angle) / 1.5);
  const double y0 = std::tan(angle);
  const int reflections =
      static_cast<int>(std::floor((200.0 * std::tan(inside) - (5.0 - y0)) / 10.0)) + 1;
  int onWall = 0;
  for (int i = 0; i < HitCount(hits); ++i) {
    const TIntersectionPoint &h = hits.data[i];
    if (h.x != kHitListEnd && std::fabs(std::fabs(h.y) - 5.0) < kRoundOff && h.x > 0.0 &&
        h.x < 100.0)
      ++onWall;
  }
  EXPECT_EQ(onWall, reflections);
  // Each leg unfolds to one straight path of 100 / cos a' through the rod. Like every
  // segment after an odd number of mirrors, the way back counts negative (as the last
  // stretch to the screen does, 20 / cos 30 in air), so the trace's bookkeeping, which
  // takes the sign of the reference path, sees one consistent sign for the whole passage.
  const double leg = 100.0 / std::cos(inside);
  EXPECT_APPROX(system.eikonal.referencePaths.data[2], leg, kRoundOff);
  EXPECT_APPROX(system.eikonal.referencePaths.data[3], -leg, kRoundOff);
  EXPECT_APPROX(system.eikonal.referencePaths.data[4], -20.0 / std::cos(angle), kRoundOff);
  // Back out of the entrance face the ray has its entry angle, now heading for -x.
  EXPECT_APPROX(ray.x, -20.0, kRoundOff);
  EXPECT_LT(ray.L, 0.0);
  EXPECT_APPROX(std::fabs(ray.M), std::sin(angle), kRoundOff);
  // The unfolded path is straight: it ends where the line from the entry continues after
  // 200 of rod (folded back into |y| <= 5), then 20 in air at the entry angle.
  double unfolded = y0 + 200.0 * std::tan(inside);
  unfolded = std::fmod(unfolded + 5.0, 20.0);  // period 4 r of the folding
  const double folded = unfolded <= 10.0 ? unfolded - 5.0 : 15.0 - unfolded;
  EXPECT_APPROX(ray.y - std::copysign(20.0 * std::tan(angle), ray.M), folded, kRoundOff);
}

void ExpectWallsJoinOwnSurfaces(const TOpticalSystem &system) {
  int walls = 0;
  for (int i = 1; i < system.SurfaceCount(); ++i) {
    const auto *wall = static_cast<const TPipeSurface *>(system.surfaces.data[i]->pipeWall);
    if (wall == nullptr) continue;
    ++walls;
    EXPECT_EQ(wall->first, system.surfaces.data[i - 1]) << i;
    EXPECT_EQ(wall->second, system.surfaces.data[i]) << i;
  }
  EXPECT_EQ(walls, 2);
}

TEST_F(SystemPipeTest, ACopiedSystemsWallsJoinItsOwnSurfaces) {
  auto source = std::make_unique<TOpticalSystem>();
  BuildRod(*source);
  ASSERT_EQ(source->Prepare(0.0, 1, 0), 1);
  TOpticalSystem copied(*source);
  TOpticalSystem assigned;
  assigned = *source;
  source.reset();  // the walls must not reach into the system that is gone
  ExpectWallsJoinOwnSurfaces(copied);
  ExpectWallsJoinOwnSurfaces(assigned);
}

// A rod whose object space is the glass itself: a ray at 45 degrees to the axis is totally
// reflected by the wall (critical angle 41.8 degrees) all the way to the exit face, where
// it meets the face at 45 degrees too and turns back.
TEST_F(SystemPipeTest, ARayTurnedAtTheFarEndIsDrawnOnForAThirdOfTheWallRadius) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "1.5", 5.0);
  AddAt(system, 100.0, 0.0, "", 5.0);
  system.info.EnablePipe = 1;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  ASSERT_NE(system.surfaces.data[1]->pipeWall, nullptr);
  const double diagonal = std::sqrt(0.5);
  TCurrentRay ray = RayAlong(0.0, 0.0, 0.0, diagonal, diagonal, 0.0);
  Mem<TIntersectionPoint> hits;
  system.TraceRay(ray, -2, &hits, 0);
  int last = -1;
  for (int i = 0; i < HitCount(hits) && hits.data[i].x != kHitListEnd; ++i) last = i;
  ASSERT_GE(last, 1);
  const TIntersectionPoint &face = hits.data[last - 1];
  const TIntersectionPoint &drawn = hits.data[last];
  EXPECT_APPROX(face.x, 100.0, kRoundOff);
  // The last point stands 5 / 3 onward along the ray's direction at the face.
  const double step = std::hypot(drawn.x - face.x, drawn.y - face.y, drawn.z - face.z);
  EXPECT_APPROX(step, 5.0 / 3.0, kRoundOff);
  EXPECT_APPROX(drawn.x - face.x, step * drawn.L, kRoundOff);
  EXPECT_APPROX(drawn.y - face.y, step * drawn.M, kRoundOff);
}

}  // namespace
