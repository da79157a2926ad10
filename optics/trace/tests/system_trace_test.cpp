#include <cmath>
#include <vector>

#include "foundation/testing/approx.h"
#include "optics/pipe/pipe_surface.h"
#include "optics/model/tests/system_test_support.h"
#include "optics/trace/trace_batch.h"

namespace {

// Real rays of 0.01 height differ from the paraxial focus by ~1e-5 (spherical aberration).
constexpr double kParaxialFocusTolerance = 2e-5;
// Round-off over a few surfaces.
constexpr double kRoundOff = 1e-10;

// Where a ray leaving the point (x, y) with direction (L, M) crosses the axis y = 0.
double AxisCrossing(const TIntersectionPoint &hit) { return hit.x - hit.y * hit.L / hit.M; }

int HitCount(const Mem<TIntersectionPoint> &hits) { return hits.cols * hits.rows; }

class SystemTraceTest : public SystemTest {
 protected:
  // The hand-worked singlet: R1 = 50, R2 = -50, 5 thick, n = 1.5168, image plane at 47.5362.
  void BuildSinglet(TOpticalSystem &system) {
    AddAt(system, 0.0, 0.0, "", 20.0);
    AddAt(system, 10.0, 50.0, "1.5168", 12.5);
    AddAt(system, 15.0, -50.0, "", 12.5);
    AddAt(system, 15.0 + 47.5362, 0.0, "", 10.0);
    ASSERT_EQ(system.Prepare(0.5875618, 1, 1), 1);
  }
};

TEST_F(SystemTraceTest, SingletFocusesAParaxialRayAtTheBackFocalDistance) {
  TOpticalSystem system;
  BuildSinglet(system);
  TCurrentRay ray = RayAlong(-5.0, 0.01, 0.0, 1.0, 0.0, 0.0);
  Mem<TIntersectionPoint> hits;
  ASSERT_EQ(system.TraceRay(ray, -1, &hits, 0), 1);
  ASSERT_EQ(HitCount(hits), 5);  // four surfaces and the end marker
  EXPECT_EQ(hits.data[4].x, kHitListEnd);
  EXPECT_APPROX(AxisCrossing(hits.data[2]) - 15.0, 47.5362, kParaxialFocusTolerance);
  EXPECT_APPROX(ray.y, 0.0, kParaxialFocusTolerance);
  EXPECT_EQ(ray.firstFailure, 0);
}

TEST_F(SystemTraceTest, PositiveModeEndsInTheLastSurfaceFrame) {
  TOpticalSystem system;
  BuildSinglet(system);
  TCurrentRay global = RayAlong(-5.0, 2.0, 1.0, 1.0, 0.0, 0.0);
  TCurrentRay local = global;
  ASSERT_EQ(system.TraceRay(global, -1, nullptr, 0), 1);
  ASSERT_EQ(system.TraceRay(local, 1, nullptr, 0), 1);
  EXPECT_APPROX(local.x, global.x - (15.0 + 47.5362), kRoundOff);
  EXPECT_APPROX(local.x, 0.0, kRoundOff);
  EXPECT_EQ(local.y, global.y);
  EXPECT_EQ(local.M, global.M);
}

TEST_F(SystemTraceTest, ApertureStopsEndTheTraceUnlessAllRaysAreDrawn) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 5.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 0.0, "", 20.0);
  AddAt(system, 15.0, 0.0, "", 1.0);  // surface 3 lets only the middle through
  AddAt(system, 20.0, 0.0, "", 20.0);
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  Mem<TIntersectionPoint> hits;
  TCurrentRay ray = RayAlong(-1.0, 3.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(system.TraceRay(ray, -1, &hits, 0), 0);
  EXPECT_EQ(ray.status, kRayOutsideAperture);
  EXPECT_EQ(ray.firstFailure, 3);
  ASSERT_EQ(HitCount(hits), 5);  // surfaces 0..3 and the marker
  EXPECT_EQ(hits.data[3].x, 15.0);
  EXPECT_EQ(hits.data[4].x, kHitListEnd);

  // An obscuration reports its surface negated.
  system.surfaces.data[3]->general.semiHeightExt = 20.0;
  system.surfaces.data[3]->general.semiHeightInt = 5.0;
  system.surfaces.data[3]->general.semiWidthInt = 5.0;
  ray = RayAlong(-1.0, 3.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(system.TraceRay(ray, -1, &hits, 0), 0);
  EXPECT_EQ(ray.status, kRayObscured);
  EXPECT_EQ(ray.firstFailure, -3);

  // With all rays drawn the stopped ray goes on to the image.
  system.info.DrawAllRays = 1;
  ray = RayAlong(-1.0, 3.0, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(system.TraceRay(ray, -1, &hits, 0), 1);
  EXPECT_EQ(HitCount(hits), 6);
  EXPECT_EQ(ray.firstFailure, -3);
  EXPECT_EQ(ray.x, 20.0);
  EXPECT_EQ(system.info.DrawAllRays, 1);
}

TEST_F(SystemTraceTest, AMissedSurfaceEndsTheTraceEvenWhenAllRaysAreDrawn) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 5.0, "", 20.0);  // a ball of radius 5: a ray at height 8 misses it
  AddAt(system, 20.0, 0.0, "", 20.0);
  system.info.DrawAllRays = 1;
  system.info.EnablePipe = 1;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  ASSERT_EQ(system.surfaces.data[1]->pipeWall, nullptr);
  TCurrentRay ray = RayAlong(-1.0, 8.0, 0.0, 1.0, 0.0, 0.0);
  Mem<TIntersectionPoint> hits;
  EXPECT_EQ(system.TraceRay(ray, -1, &hits, 0), 0);
  EXPECT_EQ(ray.status, kRayMissedSurface);
  EXPECT_EQ(ray.firstFailure, 1);
  ASSERT_EQ(HitCount(hits), 2);  // surface 0, then the marker
  EXPECT_EQ(hits.data[1].x, kHitListEnd);
}

TEST_F(SystemTraceTest, AFiniteObjectStartsThePathAtZero) {
  TOpticalSystem system;
  BuildSinglet(system);
  system.info.ObjectFinite = 1;
  TCurrentRay ray = RayAlong(-5.0, 3.0, 1.0, 1.0, 0.02, 0.0);
  ASSERT_EQ(system.TraceRay(ray, 2, nullptr, 0), 1);
  EXPECT_EQ(system.eikonal.referenceStart, 0.0);
}

TEST_F(SystemTraceTest, FailureAtTheFirstSurfaceIsAFailure) {
  TOpticalSystem system;
  BuildSinglet(system);
  TCurrentRay ray = RayAlong(-5.0, 30.0, 0.0, 1.0, 0.0, 0.0);  // outside surface 0
  Mem<TIntersectionPoint> hits;
  EXPECT_EQ(system.TraceRay(ray, -1, &hits, 0), 0);
  EXPECT_EQ(ray.status, kRayOutsideAperture);
  EXPECT_EQ(ray.blocked, 1);
  ASSERT_EQ(HitCount(hits), 2);  // the stop at surface 0, then the marker
  EXPECT_EQ(hits.data[1].x, kHitListEnd);
}

TEST_F(SystemTraceTest, SphericalMirrorFocusesMarginalRaysShortOfHalfTheRadius) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("spherical_mirror.os"), 0), 1);
  ASSERT_EQ(system.SurfaceCount(), 3);
  const double vertex = system.surfaces.data[1]->general.vertex[0];
  EXPECT_EQ(vertex, 150.0);
  EXPECT_LT(system.surfaces.data[1]->general.nAfter, 0.0);
  // A ray at height h meets the axis at R / (2 cos a) from the centre, sin a = h / R.
  for (double h : {0.01, 10.0, 20.0}) {
    TCurrentRay ray = RayAlong(-10.0, h, 0.0, 1.0, 0.0, 0.0);
    Mem<TIntersectionPoint> hits;
    ASSERT_EQ(system.TraceRay(ray, -1, &hits, 0), 1) << h;
    const double a = std::asin(h / 200.0);
    const double expected = vertex - 200.0 + 200.0 / (2.0 * std::cos(a));
    EXPECT_APPROX(AxisCrossing(hits.data[1]), expected, 1e-9) << h;
  }
}

TEST_F(SystemTraceTest, ParabolicMirrorFocusesTheWholeBundleWithoutPathDifference) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  const double focus = system.surfaces.data[1]->general.vertex[0] - 100.0;  // R / 2
  ASSERT_EQ(system.surfaces.data[2]->general.vertex[0], focus);
  TCurrentRay chief = RayAlong(-10.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(chief, 2, nullptr, 0), 1);
  for (double y = -20.0; y <= 20.0; y += 5.0) {
    for (double z = -20.0; z <= 20.0; z += 5.0) {
      if (y * y + z * z > 400.0) continue;
      TCurrentRay ray = RayAlong(-10.0, y, z, 1.0, 0.0, 0.0);
      ASSERT_EQ(system.TraceRay(ray, 3, nullptr, 0), 1) << y << " " << z;
      EXPECT_APPROX(ray.y, 0.0, 1e-9) << y << " " << z;
      EXPECT_APPROX(ray.z, 0.0, 1e-9) << y << " " << z;
      EXPECT_APPROX(system.eikonal.opticalPathDifference, 0.0, 1e-9) << y << " " << z;
      EXPECT_EQ(system.eikonal.transmission, 1.0);
    }
  }
}

TEST_F(SystemTraceTest, ReferenceRayTracedAgainHasNoPathDifference) {
  TOpticalSystem system;
  BuildSinglet(system);
  TCurrentRay reference = RayAlong(-5.0, 3.0, 1.0, 1.0, 0.02, 0.0);
  TCurrentRay again = reference;
  ASSERT_EQ(system.TraceRay(reference, 2, nullptr, 0), 1);
  EXPECT_EQ(reference.traceThrough, 1);  // a reference ray is traced through
  ASSERT_EQ(system.TraceRay(again, 3, nullptr, 0), 1);
  EXPECT_APPROX(system.eikonal.opticalPathDifference, 0.0, kRoundOff);
  // The start term of an object at infinity is the ray's position along its direction.
  EXPECT_APPROX(system.eikonal.referenceStart, (-5.0 + 3.0 * 0.02) / std::sqrt(1.0004), kRoundOff);
}

TEST_F(SystemTraceTest, MirrorReflectanceAndGlassAbsorptionSetTheTransmission) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 20.0);
  AddAt(system, 10.0, 0.0, "refl", 20.0)->general.Tau = 0.9;
  AddAt(system, 0.0, 0.0, "", 20.0);
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  TCurrentRay chief = RayAlong(-1.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(chief, 2, nullptr, 0), 1);
  TCurrentRay ray = RayAlong(-1.0, 2.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(ray, 3, nullptr, 0), 1);
  EXPECT_APPROX(system.eikonal.transmission, 0.9, kRoundOff);

  // 10 of glass absorbing 0.01 per unit length: 10^-0.1 of the light passes.
  TOpticalSystem slab;
  AddAt(slab, 0.0, 0.0, "1.5", 20.0);
  AddAt(slab, 10.0, 0.0, "", 20.0)->general.Tau = 0.01;
  ASSERT_EQ(slab.Prepare(0.0, 1, 0), 1);
  chief = RayAlong(-1.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(slab.TraceRay(chief, 2, nullptr, 0), 1);
  ray = RayAlong(-1.0, 1.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(slab.TraceRay(ray, 3, nullptr, 0), 1);
  EXPECT_APPROX(slab.eikonal.transmission, std::pow(10.0, -0.1), kRoundOff);
}

TEST_F(SystemTraceTest, LightPipeCarriesARayPastTwoHundredReflections) {
  TOpticalSystem system;
  constexpr double kRadius = 0.5;
  constexpr double kLength = 400.0;
  AddAt(system, 0.0, 0.0, "", 5.0);
  AddAt(system, 0.1, 0.0, "1.5168", kRadius);
  AddAt(system, 0.1 + kLength, 0.0, "", kRadius);
  AddAt(system, 0.1 + kLength + 4.0, 0.0, "", 20.0);
  system.info.EnablePipe = 1;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  ASSERT_NE(system.surfaces.data[2]->pipeWall, nullptr);

  const double angle = 60.0 * kDegreesToRadians;
  TCurrentRay ray = RayAlong(-0.05, 0.0, 0.0, std::cos(angle), std::sin(angle), 0.0);
  Mem<TIntersectionPoint> hits;
  ASSERT_EQ(system.TraceRay(ray, -2, &hits, 0), 1);
  // Inside, the ray climbs tan(a') per unit length, sin a' = sin 60 / n, and turns at
  // every crossing of |y| = r: count the crossings by unfolding the zig-zag.
  const double inside = std::asin(std::sin(angle) / 1.5168);
  const double entryHeight = 0.15 * std::tan(angle);
  const double firstReflection = (kRadius - entryHeight) / std::tan(inside);
  const int reflections =
      1 +
      static_cast<int>(std::floor((kLength - firstReflection) / (2 * kRadius / std::tan(inside))));
  ASSERT_GT(reflections, 200);
  int onWall = 0;
  for (int i = 0; i < HitCount(hits); ++i)
    if (hits.data[i].x != kHitListEnd && std::fabs(std::fabs(hits.data[i].y) - kRadius) < 1e-9 &&
        hits.data[i].x > 0.2 && hits.data[i].x < 0.1 + kLength)
      ++onWall;
  EXPECT_EQ(onWall, reflections);
  // Each reflection is recorded once: surfaces 0 to 3, the reflections and the marker.
  EXPECT_EQ(HitCount(hits), 4 + reflections + 1);
  // The zig-zag unfolds to one straight path through the rod.
  EXPECT_APPROX(system.eikonal.referencePaths.data[2], kLength / std::cos(inside), 1e-9);
  EXPECT_EQ(hits.data[HitCount(hits) - 1].x, kHitListEnd);
  // Leaving the flat end the ray has its entry angle again.
  EXPECT_APPROX(std::fabs(ray.M), std::sin(angle), kRoundOff);
  EXPECT_APPROX(ray.x, 0.1 + kLength + 4.0, kRoundOff);
}

TEST_F(SystemTraceTest, MissingGlassStopsEveryRay) {
  TOpticalSystem system;
  BuildSinglet(system);
  system.surfaces.data[1]->general.glass = "nosuchglass_schott";
  EXPECT_EQ(system.Prepare(0.0, 1, 0), -1);
  TCurrentRay ray = RayAlong(-5.0, 0.01, 0.0, 1.0, 0.0, 0.0);
  Mem<TIntersectionPoint> hits;
  EXPECT_EQ(system.TraceRay(ray, -1, &hits, 0), 0);
  EXPECT_EQ(ray.status, kRayStopped);
  EXPECT_EQ(ray.x, -5.0);  // not moved by a stand-in index
  ASSERT_EQ(HitCount(hits), 1);
  EXPECT_EQ(hits.data[0].x, kHitListEnd);
  TOpticalSystem copy(system);  // a copy is no more traceable
  ray = RayAlong(-5.0, 0.01, 0.0, 1.0, 0.0, 0.0);
  EXPECT_EQ(copy.TraceRay(ray, -1, nullptr, 0), 0);
}

TEST_F(SystemTraceTest, ParaxialRangeTraceClampsAndRunsBackwards) {
  TOpticalSystem system;
  BuildSinglet(system);
  Mem<TIntersectionPoint> hits;
  TCurrentRay ray = RayAlong(-5.0, 1.0, 0.0, 1.0, 0.0, 0.0);
  ray.status = -1;  // stay global
  EXPECT_EQ(system.TraceRange(ray, 5, -1, &hits), 1);
  EXPECT_EQ(HitCount(hits), 1);  // only the last surface
  ray = RayAlong(100.0, 1.0, 0.0, -1.0, 0.0, 0.0);
  ray.status = -1;
  EXPECT_EQ(system.TraceRange(ray, 2, 0, &hits), 1);
  ASSERT_EQ(HitCount(hits), 3);
  EXPECT_EQ(hits.data[0].x, 15.0);
  EXPECT_EQ(hits.data[2].x, 0.0);
}

TEST_F(SystemTraceTest, SurfaceFrameTakesTheVertexOffAndTurnsTilts) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 5.0);
  TSurface *tilted = AddAt(system, 10.0, 0.0, "", 5.0);
  tilted->SetAngles(0.0, 0.0, 90.0 * kDegreesToRadians);
  const double point[3] = {10.0, 3.0, 0.0};
  const double direction[3] = {0.0, 1.0, 0.0};
  const TIntersectionPoint local = system.ToSurfaceFrame(1, point, direction);
  // The surface's axis points along global +y: the point 3 along y is 3 along its axis.
  EXPECT_APPROX(local.x, 3.0, 1e-9);
  EXPECT_APPROX(local.y, 0.0, 1e-9);
  EXPECT_APPROX(local.L, 1.0, 1e-9);
}

TEST_F(SystemTraceTest, BatchOfSurfaceViewsGivesTheSameRays) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
  TOpticalSystem other;
  BuildSinglet(other);
  std::vector<TCurrentRay> plain;
  for (int i = 0; i < 15; ++i) {
    TCurrentRay ray = RayAlong(-1.0, -7.0 + i, 0.3 * i, 1.0, 0.1, 0.02);
    system.TraceRay(ray, -1, nullptr, 0);
    plain.push_back(ray);
  }
  {
    TTraceBatch batch(system);
    TTraceBatch unrelated(other);  // a batch of another system changes nothing here
    for (int i = 0; i < 15; ++i) {
      TCurrentRay ray = RayAlong(-1.0, -7.0 + i, 0.3 * i, 1.0, 0.1, 0.02);
      Mem<TIntersectionPoint> hits;
      system.TraceRay(ray, -1, &hits, 0);
      EXPECT_EQ(ray.x, plain[i].x) << i;
      EXPECT_EQ(ray.y, plain[i].y) << i;
      EXPECT_EQ(ray.M, plain[i].M) << i;
      EXPECT_EQ(ray.status, plain[i].status) << i;
      EXPECT_EQ(ray.firstFailure, plain[i].firstFailure) << i;
    }
    int count = 0;
    EXPECT_NE(TTraceBatch::ViewsFor(&system, count), nullptr);
    EXPECT_EQ(count, system.SurfaceCount());
  }
  int count = 0;
  EXPECT_EQ(TTraceBatch::ViewsFor(&system, count), nullptr);  // gone with the batch
  // A batch whose system has grown since is not used.
  TTraceBatch stale(other);
  AddAt(other, 100.0, 0.0, "", 10.0);
  EXPECT_EQ(TTraceBatch::ViewsFor(&other, count), nullptr);
}

}  // namespace

// A plane wave stays plane through a plane-parallel plate: tilted rays of one beam, at any
// height, have no path difference on a plane normal to the beam (image at infinity).
TEST_F(SystemTraceTest, TiltedPlaneWaveThroughAPlateHasNoPathDifference) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 40.0);
  AddAt(system, 5.0, 0.0, "1.6", 40.0);
  AddAt(system, 15.0, 0.0, "", 40.0);
  AddAt(system, 30.0, 0.0, "", 40.0);
  system.info.ObjectFinite = 0;
  system.info.ImageFinite = 0;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  const double a = 10.0 * kDegreesToRadians;
  TCurrentRay chief = RayAlong(-5.0, 0.0, 0.0, std::cos(a), std::sin(a), 0.0);
  ASSERT_EQ(system.TraceRay(chief, 2, nullptr, 0), 1);
  for (double h : {-10.0, -3.0, 4.0, 12.0}) {
    // Start points off the chief ray's wavefront: the start term must take the difference.
    TCurrentRay ray = RayAlong(-5.0 - 2.0 * h, h, 0.5 * h, std::cos(a), std::sin(a), 0.0);
    ASSERT_EQ(system.TraceRay(ray, 3, nullptr, 0), 1) << h;
    EXPECT_APPROX(system.eikonal.opticalPathDifference, 0.0, kRoundOff) << h;
  }
}

// The spherical aberration of a concave mirror, on the reference sphere about the paraxial
// focus, worked out from the reflection law alone.
TEST_F(SystemTraceTest, SphericalMirrorWavefrontMatchesTheReflectionGeometry) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("spherical_mirror.os"), 0), 1);
  ASSERT_EQ(system.info.ImageFinite, 1);
  const double vertex = 150.0;
  const double centre = vertex - 200.0;
  const double focus = vertex - 100.0;
  ASSERT_EQ(system.surfaces.data[2]->general.vertex[0], focus);
  const double x0 = -10.0;
  TCurrentRay chief = RayAlong(x0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(chief, 2, nullptr, 0), 1);
  for (double h : {5.0, 12.0, 20.0}) {
    const double xm = centre + std::sqrt(200.0 * 200.0 - h * h);
    const double nx = (xm - centre) / 200.0;
    const double ny = h / 200.0;
    const double dx = 1.0 - 2.0 * nx * nx;  // d' = d - 2 (d.n) n with d = (1, 0)
    const double dy = -2.0 * nx * ny;
    // The reflected ray to the image plane, and the path there against the chief ray's.
    const double s = (focus - xm) / dx;
    const double py = h + s * dy;
    const double design = (xm - x0 + s) - (vertex - x0 + 100.0) - py * dy;
    // The same ray to the sphere of radius 100 about the focus through the mirror vertex.
    const double bx = xm - focus;
    const double b = bx * dx + h * dy;
    const double c = bx * bx + h * h - 100.0 * 100.0;
    const double onSphere = -b - std::sqrt(b * b - c);  // the crossing next to the mirror
    const double sphere = xm - vertex + onSphere;

    TCurrentRay ray = RayAlong(x0, h, 0.0, 1.0, 0.0, 0.0);
    ASSERT_EQ(system.TraceRay(ray, 3, nullptr, 0), 1) << h;
    EXPECT_APPROX(system.eikonal.opticalPathDifference, design, 1e-10) << h;
    // The plane-to-sphere step is exact to first order in the transverse aberration.
    EXPECT_APPROX(system.eikonal.opticalPathDifference, sphere, py * py / 100.0) << h;
    EXPECT_GT(std::fabs(sphere), 1e-5) << h;  // a real aberration, not a flat wavefront
  }
}

// A ray slanted through an absorbing plate and then off a mirror: the absorption follows the
// slanted path inside the glass (Snell's law), the mirror multiplies by its reflectance.
TEST_F(SystemTraceTest, TransmissionIsTheProductAlongTheSlantedPath) {
  TOpticalSystem system;
  AddAt(system, -1.0, 0.0, "", 30.0);  // the object space: air
  AddAt(system, 0.0, 0.0, "1.5", 30.0);
  AddAt(system, 10.0, 0.0, "", 30.0)->general.Tau = 0.01;
  AddAt(system, 20.0, 0.0, "refl", 60.0)->general.Tau = 0.8;
  AddAt(system, 5.0, 0.0, "", 90.0);
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  TCurrentRay chief = RayAlong(-2.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(chief, 2, nullptr, 0), 1);
  const double a = 20.0 * kDegreesToRadians;
  TCurrentRay ray = RayAlong(-2.0, 0.0, 0.0, std::cos(a), 0.0, std::sin(a));
  ASSERT_EQ(system.TraceRay(ray, 3, nullptr, 0), 1);
  const double inside = std::asin(std::sin(a) / 1.5);
  const double path = 10.0 / std::cos(inside);
  EXPECT_APPROX(system.eikonal.transmission, std::pow(10.0, -0.01 * path) * 0.8, kRoundOff);
}

// A concave mirror images its centre of curvature onto itself: from a finite object there,
// every ray comes back with the same optical path.
TEST_F(SystemTraceTest, MirrorImagesItsCentreWithoutPathDifference) {
  TOpticalSystem system;
  AddAt(system, 0.0, 0.0, "", 60.0);
  AddAt(system, 100.0, -100.0, "refl", 60.0);
  AddAt(system, 0.0, 0.0, "", 60.0);
  system.info.ObjectFinite = 1;
  system.info.ImageFinite = 1;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  TCurrentRay chief = RayAlong(0.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(chief, 2, nullptr, 0), 1);
  EXPECT_EQ(system.eikonal.referenceStart, 0.0);
  for (double m : {0.05, 0.2, 0.4}) {
    TCurrentRay ray = RayAlong(0.0, 0.0, 0.0, 1.0, m, 0.5 * m);
    ASSERT_EQ(system.TraceRay(ray, -3, nullptr, 0), 1) << m;
    EXPECT_APPROX(ray.y, 0.0, kRoundOff) << m;
    EXPECT_APPROX(ray.z, 0.0, kRoundOff) << m;
    EXPECT_APPROX(system.eikonal.opticalPathDifference, 0.0, kRoundOff) << m;
  }
}

// A single refracting sphere focusing into glass: the wavefront in the glass, on the sphere
// about the paraxial focus, worked out from Snell's law; the step from the image plane to
// that sphere runs in the glass and counts with its index.
TEST_F(SystemTraceTest, WavefrontFocusedInsideGlassCountsTheImageIndex) {
  constexpr double n = 1.5;
  constexpr double R = 20.0;
  const double focus = n * R / (n - 1.0);  // 60 behind the vertex
  TOpticalSystem system;
  AddAt(system, -5.0, 0.0, "", 20.0);
  AddAt(system, 0.0, R, "1.5", 20.0);
  AddAt(system, focus, 0.0, "1.5", 20.0);
  system.info.ObjectFinite = 0;
  system.info.ImageFinite = 1;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  const double x0 = -10.0;
  TCurrentRay chief = RayAlong(x0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(chief, 2, nullptr, 0), 1);
  for (double h : {3.0, 6.0, 9.0}) {
    // The refraction point on the sphere about (R, 0), the normal, Snell's law in vector form.
    const double xs = R - std::sqrt(R * R - h * h);
    const double nx = (xs - R) / R;  // unit normal, pointing back towards the light
    const double ny = h / R;
    const double cosI = -nx;         // d = (1, 0)
    const double mu = 1.0 / n;
    const double cosT = std::sqrt(1.0 - mu * mu * (1.0 - cosI * cosI));
    const double dx = mu + (mu * cosI - cosT) * nx;
    const double dy = (mu * cosI - cosT) * ny;
    // From the refraction point to the sphere of radius 60 about the focus through the vertex.
    const double bx = xs - focus;
    const double b = bx * dx + h * dy;
    const double c = bx * bx + h * h - focus * focus;
    const double onSphere = -b - std::sqrt(b * b - c);
    const double wavefront = (xs - 0.0) + n * onSphere;  // the chief ray has 0 here
    const double py = h + dy * (focus - xs) / dx;

    TCurrentRay ray = RayAlong(x0, h, 0.0, 1.0, 0.0, 0.0);
    ASSERT_EQ(system.TraceRay(ray, 3, nullptr, 0), 1) << h;
    EXPECT_APPROX(system.eikonal.opticalPathDifference, wavefront, n * py * py / focus) << h;
    EXPECT_GT(std::fabs(wavefront), 1e-4) << h;
  }
}

// Absorption in a light pipe follows the whole zig-zag inside the rod: the path there is the
// rod length over the cosine of the refracted angle, however many walls the ray meets.
TEST_F(SystemTraceTest, AbsorptionInALightPipeFollowsTheZigZagPath) {
  TOpticalSystem system;
  AddAt(system, -1.0, 0.0, "", 20.0);
  AddAt(system, 0.0, 0.0, "1.5", 2.0);
  AddAt(system, 50.0, 0.0, "", 2.0)->general.Tau = 0.01;
  AddAt(system, 60.0, 0.0, "", 40.0);
  system.info.EnablePipe = 1;
  ASSERT_EQ(system.Prepare(0.0, 1, 0), 1);
  ASSERT_NE(system.surfaces.data[2]->pipeWall, nullptr);
  TCurrentRay chief = RayAlong(-2.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(chief, 2, nullptr, 0), 1);
  EXPECT_APPROX(system.eikonal.referencePaths.data[2], 50.0, kRoundOff);
  const double a = 20.0 * kDegreesToRadians;
  TCurrentRay ray = RayAlong(-2.0, 0.0, 0.0, std::cos(a), std::sin(a), 0.0);
  Mem<TIntersectionPoint> hits;
  ASSERT_EQ(system.TraceRay(ray, 3, &hits, 0), 1);
  EXPECT_GT(HitCount(hits), 6);  // the walls were met on the way
  const double inside = std::asin(std::sin(a) / 1.5);
  EXPECT_APPROX(system.eikonal.transmission, std::pow(10.0, -0.01 * 50.0 / std::cos(inside)),
                kRoundOff);
  EXPECT_APPROX(std::fabs(ray.M), std::sin(a), 1e-12);  // leaves at the angle it came in
}
