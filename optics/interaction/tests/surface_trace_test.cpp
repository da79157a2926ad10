#include "optics/interaction/surface_trace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "foundation/testing/approx.h"
#include "optics/interaction/iterative_intersection.h"
#include "optics/lensarray/lens_array.h"
#include "optics/model/ray.h"
#include "optics/model/surface.h"

namespace {

constexpr double kGeometryTolerance = 1e-12;
constexpr double kSameShapeTolerance = 1e-9;
constexpr double kDegree = 3.141592653589793 / 180.0;

TCurrentRay AxialRay(double x, double y, double z) {
  TCurrentRay ray(x, y, z);
  ray.L = 1.0;
  ray.M = 0.0;
  ray.N = 0.0;
  return ray;
}

// The file's Y extents lie along y and its X extents along z.
TEST(SurfaceTraceModel, BoundsMapYAndXExtentsToTheirAxes) {
  TSurface s;
  s.general.type = kSurfacePlane;
  s.general.boundTypeExt = kBoundRectangle;
  s.general.semiHeightExt = 2.0;  // along y
  s.general.semiWidthExt = 6.0;   // along z
  s.general.boundPosXExt = 1.0;   // centre z
  TCurrentRay alongZ = AxialRay(-1.0, 0.0, 6.5);
  EXPECT_EQ(SurfaceTrace(s, alongZ), kRayPassed);
  TCurrentRay alongY = AxialRay(-1.0, 2.5, 0.0);
  EXPECT_EQ(SurfaceTrace(s, alongY), kRayOutsideAperture);
  EXPECT_EQ(alongY.status, kRayOutsideAperture);
  EXPECT_EQ(alongY.blocked, 1);
}

TEST(SurfaceTraceModel, TiltedMirrorThroughTheModelSurface) {
  TSurface s(10.0, 0.0, 0.0);
  s.general.type = kSurfacePlane;
  s.general.boundTypeExt = 9;  // no outer limit
  s.general.nAfter = -1.0;
  s.SetAngles(0.0, 0.0, 45.0 * kDegree);
  TCurrentRay ray = AxialRay(0.0, 0.0, 0.0);
  ASSERT_EQ(SurfaceTrace(s, ray), kRayPassed);
  EXPECT_APPROX(ray.x, 10.0, kGeometryTolerance);
  EXPECT_APPROX(ray.M, -1.0, kGeometryTolerance);
  EXPECT_APPROX(ray.pathLength, 10.0, kGeometryTolerance);

  const DPOINT3 local = SurfaceRotateXYZ(s, 1.0, 0.0, 0.0, 0);
  EXPECT_APPROX(local.x, std::cos(45.0 * kDegree), kGeometryTolerance);
  EXPECT_APPROX(local.y, -std::sin(45.0 * kDegree), kGeometryTolerance);
  const DPOINT3 back = SurfaceRotate(s, local, 1);
  EXPECT_APPROX(back.x, 1.0, kGeometryTolerance);
  EXPECT_APPROX(back.y, 0.0, kGeometryTolerance);
  const DPOINT3 angles = SurfaceGetAngles(s);
  EXPECT_EQ(angles.z, 45.0 * kDegree);
  // A tilt flag whose matrix was never allocated turns nothing.
  s.tiltMatrix.Clear();
  const DPOINT3 same = SurfaceRotateXYZ(s, 1.0, 2.0, 3.0, 0);
  EXPECT_EQ(same.y, 2.0);
}

TEST(SurfaceTraceModel, AsphericCoefficientsSetTypeRadiusAndTerms) {
  TSurface s;
  const double sphere[] = {-100.0, 1.0};
  EXPECT_EQ(SurfaceSetAsphericCoefficients(s, kSurfaceSphere, nullptr, 1), 0);
  EXPECT_EQ(SurfaceSetAsphericCoefficients(s, kSurfaceSphere, sphere, 0), 0);
  EXPECT_EQ(SurfaceSetAsphericCoefficients(s, kSurfacePlane, sphere, 0), 1);
  EXPECT_EQ(s.general.R, 0.0);

  ASSERT_EQ(SurfaceSetAsphericCoefficients(s, kSurfaceAsphericHigh1, sphere, 2), 1);
  EXPECT_EQ(s.GetType(), kSurfaceAsphericHigh1);
  EXPECT_APPROX(s.general.R, 50.0, kGeometryTolerance);
  EXPECT_EQ(s.hasAsCoef, 1);
  double out[4] = {0.0, 0.0, 0.0, 0.0};
  EXPECT_EQ(SurfaceGetAsphericCoefficients(s, nullptr), 2);
  EXPECT_EQ(SurfaceGetAsphericCoefficients(s, out), 2);
  EXPECT_EQ(out[0], -100.0);
  EXPECT_EQ(out[1], 1.0);

  // The polynomial form of the sphere meets a ray where the sphere does.
  s.general.boundTypeExt = 9;
  TCurrentRay ray = AxialRay(-2.0, 12.0, 5.0);
  ASSERT_EQ(SurfaceTrace(s, ray), kRayPassed);
  EXPECT_APPROX(ray.x, 50.0 - std::sqrt(2500.0 - 169.0), kSameShapeTolerance);

  const double even[] = {0.01};
  SurfaceSetAsphericCoefficients(s, kSurfaceAsphericHigh2, even, 1);
  EXPECT_APPROX(s.general.R, 50.0, kGeometryTolerance);
  const double tiny[] = {1e-12};
  SurfaceSetAsphericCoefficients(s, kSurfaceAsphericStandard, tiny, 1);
  EXPECT_EQ(s.general.R, 0.0);
  const double conic[] = {40.0, 0.3};
  SurfaceSetAsphericCoefficients(s, kSurfaceAspheric2, conic, 2);
  EXPECT_EQ(s.general.Ex, 0.3);
  EXPECT_EQ(s.hasAsCoef, 0);
  EXPECT_EQ(SurfaceGetAsphericCoefficients(s, nullptr), 0);
  // Tori always keep three terms, missing ones zero.
  const double torus[] = {30.0, 45.0};
  SurfaceSetAsphericCoefficients(s, kSurfaceTor, torus, 2);
  EXPECT_EQ(SurfaceGetAsphericCoefficients(s, out), 3);
  EXPECT_EQ(out[1], 45.0);
  EXPECT_EQ(out[2], 0.0);
  EXPECT_EQ(s.general.R, 30.0);
  // An unknown type is stored and nothing else is set.
  EXPECT_EQ(SurfaceSetAsphericCoefficients(s, 12, torus, 2), 1);
  EXPECT_EQ(s.GetType(), 12);
  EXPECT_EQ(s.hasAsCoef, 0);
}

TEST(SurfaceTraceModel, ParseGlassSetsIndexAndHologramFactor) {
  TSurface s;
  s.general.glass = "1.7";
  THOEParameters h;
  h.Wlh = 0.5;
  s.SetHOE(h, 0);
  EXPECT_EQ(SurfaceParseGlass(s, 0.6, 20.0, 760.0), 1);
  EXPECT_APPROX(s.general.nAfter, 1.7, kGeometryTolerance);
  EXPECT_APPROX(s.hoe->wavelengthFactor, 1.2, kGeometryTolerance);
  s.general.glass = "REFL";
  s.general.nAfter = -1.0;
  EXPECT_EQ(SurfaceParseGlass(s, 0.6, 20.0, 760.0), 1);
  EXPECT_EQ(s.general.nAfter, -1.0);
  s.hoe->Wlh = 0.0;  // no design wavelength: the factor stays
  s.general.glass = "";
  EXPECT_EQ(SurfaceParseGlass(s, 0.9, 20.0, 760.0), 0);
  EXPECT_APPROX(s.hoe->wavelengthFactor, 1.2, kGeometryTolerance);
}

TEST(SurfaceTraceModel, AssignCopiesDeeplyAndKeepsTheFacetHeight) {
  TSurface s(1.0, 2.0, 3.0);
  const double coef[] = {0.02, -0.5, 1e-6};
  SurfaceSetAsphericCoefficients(s, kSurfaceFresnel, coef, 3);
  s.general.FrenelHeight = 0.2;
  s.general.semiHeightExt = 9.0;
  s.SetAngles(0.1, 0.0, 0.0);
  THOEParameters h;
  h.Mhxy = 5.0;
  h.Vh.Allocate(1, 1);
  h.Vh.data[0] = 3.0;
  s.SetHOE(h, 0);
  std::unique_ptr<TSurface> copy(SurfaceAssign(s));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->general.vertex[1], 2.0);
  EXPECT_EQ(copy->general.FrenelHeight, 0.2);
  EXPECT_EQ(copy->general.semiHeightExt, 9.0);
  EXPECT_EQ(copy->tilted, 1);
  ASSERT_NE(copy->hoe, nullptr);
  EXPECT_EQ(copy->hoe->Vh.data[0], 3.0);
  s.AsCoef.data[2] = 7.0;
  s.hoe->Vh.data[0] = 4.0;
  double out[3];
  EXPECT_EQ(SurfaceGetAsphericCoefficients(*copy, out), 3);
  EXPECT_EQ(out[2], 1e-6);
  EXPECT_EQ(copy->hoe->Vh.data[0], 3.0);
}

TEST(SurfaceTraceModel, ParaxialStepAndGeometryThroughTheModel) {
  TSurface s;
  s.SetRadius(40.0);
  s.general.nAfter = 1.5;
  s.general.semiHeightExt = 10.0;
  TCurrentRay flat(0.0, 1.0, 0.0);
  flat.L = 0.0;
  flat.M = 1.0;
  flat.N = 0.0;
  EXPECT_EQ(SurfaceTraceParaxial(s, flat, 0), -1);
  EXPECT_EQ(flat.y, 1.0);
  TCurrentRay ray = AxialRay(-3.0, 2.0, 0.0);
  ASSERT_EQ(SurfaceTraceParaxial(s, ray, 0), 1);
  EXPECT_APPROX(ray.M / ray.L, -2.0 * 0.5 / 40.0 / 1.5, kGeometryTolerance);

  int ok = 0;
  const DPOINT p = SurfacePointAtHeight(s, 6.0, ok);
  EXPECT_EQ(ok, 1);
  EXPECT_APPROX(p.x, 40.0 - std::sqrt(1600.0 - 36.0), kGeometryTolerance);
  DPOINT profile[3];
  ASSERT_EQ(SurfaceProfile(s, 3, profile, 1, 0.0, 0.0), 1);
  EXPECT_APPROX(profile[0].y, 10.0, kGeometryTolerance);
  EXPECT_APPROX(profile[1].y, 0.0, kGeometryTolerance);
  double radius = 0.0;
  const DPOINT3 centre = SurfaceApertureCentre(s, radius);
  EXPECT_EQ(radius, 10.0);
  EXPECT_APPROX(centre.x, 40.0 - std::sqrt(1500.0), kGeometryTolerance);
  const DPOINT3 onSurface = SurfacePointOnSurface(s, 3.0, 4.0, ok);
  EXPECT_EQ(ok, 1);
  EXPECT_APPROX(onSurface.x, 40.0 - std::sqrt(1575.0), kGeometryTolerance);
  // The aim disc: the aperture's centre where its rim lies, or the vertex when the rim is
  // beyond the sphere (an aperture wider than the sphere's radius of 40).
  s.SetPosition(100.0, 2.0, -1.0);
  const DPOINT3 aim = s.LocalFrame(radius);
  EXPECT_EQ(radius, 10.0);
  EXPECT_APPROX(aim.x, 100.0 + 40.0 - std::sqrt(1500.0), kGeometryTolerance);
  EXPECT_APPROX(aim.y, 2.0, kGeometryTolerance);
  EXPECT_APPROX(aim.z, -1.0, kGeometryTolerance);
  s.general.semiHeightExt = 45.0;
  const DPOINT3 vertex = s.LocalFrame(radius);
  EXPECT_EQ(radius, 45.0);
  EXPECT_EQ(vertex.x, 100.0);
  EXPECT_EQ(vertex.y, 2.0);
  EXPECT_EQ(vertex.z, -1.0);
}

}  // namespace

namespace {

int gSolverCalls = 0;

// Every element is a flat facet 2.5 along the ray, except above y = 5 where there is none.
int FakeLensArraySolver(const TSurface &, const double point[3], const double direction[3],
                        double normal[3], double &distance) {
  ++gSolverCalls;
  if (point[1] + 2.5 * direction[1] > 5.0) return 0;
  distance = 2.5;
  normal[0] = 1.0;
  normal[1] = normal[2] = 0.0;
  return 1;
}

TEST(SurfaceTraceModel, LensArraySurfacesGoThroughTheInstalledSolver) {
  TSurface s;
  s.general.type = kSurfacePlane;
  s.general.boundTypeExt = 9;
  s.general.nAfter = 1.5;
  ASSERT_EQ(s.zones.Allocate(1, 1), 1);
  SetLensArraySolver(nullptr);
  TCurrentRay before = AxialRay(-1.0, 1.0, 0.0);
  EXPECT_EQ(SurfaceTrace(s, before), kRayStopped);  // no solver yet: stopped at the start
  EXPECT_EQ(before.x, 0.0);

  gSolverCalls = 0;
  SetLensArraySolver(FakeLensArraySolver);
  TCurrentRay hit = AxialRay(-1.0, 1.0, 0.0);
  EXPECT_EQ(SurfaceTrace(s, hit), kRayPassed);
  EXPECT_APPROX(hit.x, 2.5, kGeometryTolerance);  // vertex-plane start + 2.5 along the ray
  EXPECT_APPROX(hit.pathLength, 3.5, kGeometryTolerance);
  TCurrentRay gap = AxialRay(-1.0, 6.0, 0.0);
  EXPECT_EQ(SurfaceTrace(s, gap), kRayStopped);  // between elements: stopped without error
  EXPECT_EQ(gap.blocked, 1);
  EXPECT_EQ(gSolverCalls, 2);
  SetLensArraySolver(LensArrayIntersect);  // the default again, for the tests that follow
}

}  // namespace

// The member forms reach the same operations: a quarter turn about z, a flat surface
// moved to x = 5, and a standard asphere that is a sphere of radius 10 (k = 0).
TEST(SurfaceTraceModel, MemberFormsActOnTheSurface) {
  constexpr double kQuarterTurn = 90.0 * kDegree;
  TSurface turned;
  turned.SetAngles(0.0, 0.0, kQuarterTurn);
  const DPOINT3 angles = turned.GetAngles();
  EXPECT_APPROX(angles.z, kQuarterTurn, kGeometryTolerance);
  const DPOINT3 out = turned.Rotate(DPOINT3(1.0, 0.0, 0.0), 1);  // Rz(90) x = y
  EXPECT_APPROX(out.x, 0.0, kGeometryTolerance);
  EXPECT_APPROX(out.y, 1.0, kGeometryTolerance);
  const DPOINT3 in = turned.RotateXYZ(1.0, 0.0, 0.0, 0);  // Rz(-90) x = -y
  EXPECT_APPROX(in.x, 0.0, kGeometryTolerance);
  EXPECT_APPROX(in.y, -1.0, kGeometryTolerance);

  TSurface flat;
  flat.general.type = kSurfacePlane;
  flat.general.semiHeightExt = 10.0;
  flat.SetPosition(5.0, 0.0, 0.0);
  TCurrentRay ray = AxialRay(0.0, 1.0, 2.0);
  EXPECT_EQ(flat.Trace(ray), kRayPassed);
  EXPECT_APPROX(ray.x, 5.0, kGeometryTolerance);
  EXPECT_APPROX(ray.y, 1.0, kGeometryTolerance);
  EXPECT_APPROX(ray.z, 2.0, kGeometryTolerance);

  TSurface asphere;
  const double curvature[1] = {0.1};
  EXPECT_EQ(asphere.SetAsphericCoefficients(kSurfaceAsphericStandard, curvature, 1), 1);
  EXPECT_EQ(asphere.GetType(), kSurfaceAsphericStandard);
  EXPECT_APPROX(asphere.general.R, 10.0, kGeometryTolerance);
  EXPECT_EQ(asphere.GetAsphericCoefficients(nullptr), 1);
  // From (0, 3, 0) along x onto the sphere centred at (10, 0, 0): x = 10 - sqrt(91) and
  // the normal (x - 10, 3, 0) / 10 turned to face -x.
  double point[3] = {0.0, 3.0, 0.0};
  const double along[3] = {1.0, 0.0, 0.0};
  double normal[3] = {0.0, 0.0, 0.0};
  ASSERT_EQ(asphere.IntersectIterative(point, along, normal), 1);
  EXPECT_APPROX(point[0], 10.0 - std::sqrt(91.0), kSameShapeTolerance);
  EXPECT_APPROX(normal[0], -std::sqrt(91.0) / 10.0, kSameShapeTolerance);
  EXPECT_APPROX(normal[1], 0.3, kSameShapeTolerance);
  const std::unique_ptr<TSurface> copy(asphere.Assign());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetAsphericCoefficients(nullptr), 1);
  EXPECT_APPROX(copy->general.R, 10.0, kGeometryTolerance);

  flat.general.glass = "1.6";
  EXPECT_EQ(flat.ParseGlass(0.55, 20.0, 760.0), 1);
  EXPECT_APPROX(flat.general.nAfter, 1.6, kGeometryTolerance);
}
