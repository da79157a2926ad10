#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/interaction/surface_interaction.h"
#include "optics/interaction/tests/interaction_fixtures.h"

namespace {

constexpr double kFirstOrderTolerance = 1e-14;
constexpr double kGeometryTolerance = 1e-12;

// Hand y-nu step: slope u = M/L, power Phi = (n' - n)/R; n'u' = n u - y Phi.
TEST(SurfaceParaxial, AgreesWithAHandYNuTrace) {
  const double R = 50.0, n = 1.0, n1 = 1.5168;
  const TInteractionSurface s = OpenSurface(kSurfaceSphere, R, n, n1);
  const double u = 0.01, yStart = 4.0, xStart = -20.0;
  TCurrentRay ray = MakeRay(xStart, yStart, 0.0, 1.0, u, 0.0);
  ASSERT_EQ(TraceSurfaceParaxial(s, ray, 0), 1);
  const double y = yStart + 20.0 * u;  // height at the vertex plane
  const double phi = (n1 - n) / R;
  const double uOut = (n * u - y * phi) / n1;
  EXPECT_APPROX(ray.x, 0.0, kFirstOrderTolerance);
  EXPECT_APPROX(ray.y, y, kFirstOrderTolerance);
  EXPECT_APPROX(ray.M / ray.L, uOut, kFirstOrderTolerance);
  EXPECT_APPROX(ray.L, 1.0 / std::sqrt(1.0 + uOut * uOut), kFirstOrderTolerance);
  EXPECT_EQ(ray.status, kRayPassed);

  // Backwards the media swap: n u' = n' u - y (n - n') / R.
  TCurrentRay back = MakeRay(xStart, yStart, 0.0, 1.0, u, 0.0);
  ASSERT_EQ(TraceSurfaceParaxial(s, back, 1), 1);
  const double uBack = (n1 * u - y * (n - n1) / R) / n;
  EXPECT_APPROX(back.M / back.L, uBack, kFirstOrderTolerance);
}

TEST(SurfaceParaxial, MirrorTurnsTheRayBack) {
  const double R = -80.0;  // concave mirror, focal length 40
  const TInteractionSurface mirror = OpenSurface(kSurfaceSphere, R, 1.0, -1.0);
  TCurrentRay ray = MakeRay(-10.0, 6.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceParaxial(mirror, ray, 0), 1);
  EXPECT_LT(ray.L, 0.0);
  // Heading for the focus at x = R/2 = -40: slope dy/dx = 6/40.
  EXPECT_APPROX(ray.M / ray.L, 6.0 / 40.0, kFirstOrderTolerance);
}

// A holographic lens Phi = Vh0 r^2/Mhxy^2 has power 2 pD w Vh0 / Mhxy^2, both in first order
// and, near the axis, for real rays.
TEST(SurfaceHoe, HolographicLensPowerInFirstOrderAndRealTrace) {
  const double vh[] = {-2.5};
  TInteractionSurface s = OpenSurface(kSurfacePlane, 0.0, 1.0, 1.0);
  s.hoe = {1, 10.0, 0.9, 1, vh, 1};
  const double power = 2.0 * 1 * 0.9 * -2.5 / 100.0;  // -0.045: converging
  TCurrentRay paraxial = MakeRay(-5.0, 2.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceParaxial(s, paraxial, 0), 1);
  EXPECT_APPROX(paraxial.M / paraxial.L, 0.0 - 2.0 * -power, kFirstOrderTolerance);

  // The real ray's tangential momentum grows by pD w dPhi/dy exactly (grating equation).
  TCurrentRay real = MakeRay(-5.0, 2.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceRay(s, real), kRayPassed);
  EXPECT_APPROX(real.M, 1 * 0.9 * (2.0 * -2.5 * 2.0 / 100.0), kGeometryTolerance);
}

// n' D'_t = n D_t + pD w grad Phi on a surface with glass behind it, where the wavelength
// factor over the index (K) is far from 1.
TEST(SurfaceHoe, DiffractedRayObeysTheGratingEquation) {
  const double vh[] = {3.0, -0.4};
  const double n = 1.0, n1 = 1.6;
  TInteractionSurface s = OpenSurface(kSurfacePlane, 0.0, n, n1);
  s.hoe = {1, 20.0, 0.7, 2, vh, 2};
  for (double y : {1.0, 5.0, 9.0}) {
    TCurrentRay ray = MakeRay(-3.0, 0.0, 0.0, 1.0, y / 3.0, 0.2);
    const double M = ray.M, N = ray.N;
    ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed);
    const double hy = ray.y, hz = ray.z;
    const double u = (hy * hy + hz * hz) / 400.0;
    const double slope = 3.0 + 2.0 * -0.4 * u;  // dPhi/du
    const double gy = 2.0 * slope * hy / 400.0, gz = 2.0 * slope * hz / 400.0;
    EXPECT_APPROX(n1 * ray.M, n * M + 2 * 0.7 * gy, kGeometryTolerance);
    EXPECT_APPROX(n1 * ray.N, n * N + 2 * 0.7 * gz, kGeometryTolerance);
    EXPECT_APPROX(ray.L * ray.L + ray.M * ray.M + ray.N * ray.N, 1.0, kGeometryTolerance);
  }
  // A reflection hologram (index after -1): the reflected ray keeps its tangential part and
  // gains the same grating kick, |n'| D'_t = n D_t + pD w g, so K = pD w / |n'| = 1.4.
  TInteractionSurface mirror = OpenSurface(kSurfacePlane, 0.0, 1.0, -1.0);
  mirror.hoe = {1, 20.0, 0.7, 2, vh, 2};
  TCurrentRay ray = MakeRay(-3.0, 0.0, 0.0, 1.0, 0.5, 0.2);
  const double M = ray.M, N = ray.N;
  ASSERT_EQ(TraceSurfaceRay(mirror, ray), kRayPassed);
  const double u = (ray.y * ray.y + ray.z * ray.z) / 400.0;
  const double slope = 3.0 + 2.0 * -0.4 * u;
  EXPECT_APPROX(ray.M, M + 1.4 * 2.0 * slope * ray.y / 400.0, kGeometryTolerance);
  EXPECT_APPROX(ray.N, N + 1.4 * 2.0 * slope * ray.z / 400.0, kGeometryTolerance);
  EXPECT_LT(ray.L, 0.0);
}

// The fringes of a holographic lens bend light the same way whether it passes or is
// reflected: a converging hologram on a flat mirror sends a parallel ray towards the axis,
// with the power the first-order step gives it, 2 pD w Vh0 / Mhxy^2.
TEST(SurfaceHoe, ReflectionHologramFocusesLikeItsFirstOrderModel) {
  const double vh[] = {-2.5};
  TInteractionSurface s = OpenSurface(kSurfacePlane, 0.0, 1.0, -1.0);
  s.hoe = {1, 10.0, 0.9, 1, vh, 1};
  const double y = 0.02;  // near the axis, where first order holds
  TCurrentRay paraxial = MakeRay(-5.0, y, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceParaxial(s, paraxial, 0), 1);
  TCurrentRay real = MakeRay(-5.0, y, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceRay(s, real), kRayPassed);
  EXPECT_LT(real.L, 0.0);
  // Grating kick pD w dPhi/dy = 0.9 * 2 * -2.5 * y / 100, towards the axis.
  EXPECT_APPROX(real.M, 0.9 * 2.0 * -2.5 * y / 100.0, kGeometryTolerance);
  EXPECT_LT(real.M, 0.0);
  EXPECT_APPROX(real.M / real.L, paraxial.M / paraxial.L, 1e-9);
  // The optical path still gains the phase term, as for a transmission hologram.
  EXPECT_APPROX(real.pathLength, 5.0 + -2.5 * y * y / 100.0 * 0.9, kGeometryTolerance);
}

TEST(SurfaceHoe, PathGrowsByThePhaseTerm) {
  const double vh[] = {0.5};
  TInteractionSurface s = OpenSurface(kSurfacePlane, 0.0, 1.0, 1.5);
  s.hoe = {1, 10.0, 1.2, 1, vh, 1};
  TCurrentRay ray = MakeRay(-4.0, 3.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed);
  const double phase = 0.5 * 9.0 / 100.0;
  const double k = 1 * 1.2 / 1.5;
  EXPECT_APPROX(ray.pathLength, 4.0 + phase * k * 1.5 / 1.0, kGeometryTolerance);
  // Without a normalisation radius there is no phase to diffract by.
  s.hoe.Mhxy = 0.0;
  TCurrentRay plain = MakeRay(-4.0, 3.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(TraceSurfaceRay(s, plain), kRayPassed);
  EXPECT_EQ(plain.M, 0.0);
  EXPECT_APPROX(plain.pathLength, 4.0, kGeometryTolerance);
}

// On a curved substrate the kick is the phase's gradient along the surface. Worked out the
// other way round from the projection the trace uses: with a = ny/nx and b = nz/nx, the
// tangent vector g with g.(fy, 1, 0) = dPhi/dy and g.(fz, 0, 1) = dPhi/dz solves
// gy (1 + a^2) + gz a b = Phi_y, gz (1 + b^2) + gy a b = Phi_z, gx = -(gy ny + gz nz)/nx.
TEST(SurfaceHoe, KickOnACurvedSubstrateIsTheSurfaceGradient) {
  const double vh[] = {1.5, 0.3};
  const double R = 40.0, n = 1.0, n1 = 1.6, w = 0.8, M2 = 225.0;
  TInteractionSurface s = OpenSurface(kSurfaceSphere, R, n, n1);
  s.hoe = {1, 15.0, w, 1, vh, 2};
  TCurrentRay ray = MakeRay(-5.0, 6.0, -4.0, 1.0, 0.1, 0.05);
  const double D[3] = {ray.L, ray.M, ray.N};
  ASSERT_EQ(TraceSurfaceRay(s, ray), kRayPassed);
  // Unit normal of the sphere at the hit, along the travel.
  double nv[3] = {1.0 - ray.x / R, -ray.y / R, -ray.z / R};
  const double len = std::sqrt(nv[0] * nv[0] + nv[1] * nv[1] + nv[2] * nv[2]);
  for (double &c : nv) c /= len;
  const double u = (ray.y * ray.y + ray.z * ray.z) / M2;
  const double slope = 1.5 + 2.0 * 0.3 * u;
  const double py = 2.0 * slope * ray.y / M2, pz = 2.0 * slope * ray.z / M2;
  const double a = nv[1] / nv[0], b = nv[2] / nv[0];
  const double det = (1.0 + a * a) * (1.0 + b * b) - a * a * b * b;
  const double gy = (py * (1.0 + b * b) - pz * a * b) / det;
  const double gz = (pz * (1.0 + a * a) - py * a * b) / det;
  const double g[3] = {-(gy * nv[1] + gz * nv[2]) / nv[0], gy, gz};
  const double out[3] = {ray.L, ray.M, ray.N};
  const double dn = D[0] * nv[0] + D[1] * nv[1] + D[2] * nv[2];
  const double outn = out[0] * nv[0] + out[1] * nv[1] + out[2] * nv[2];
  for (int i = 0; i < 3; ++i) {
    EXPECT_APPROX(n1 * (out[i] - outn * nv[i]), n * (D[i] - dn * nv[i]) + w * g[i],
                  kGeometryTolerance);
  }
}

}  // namespace
