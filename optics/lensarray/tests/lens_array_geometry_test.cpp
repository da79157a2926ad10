#include "optics/lensarray/lens_array_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "foundation/testing/approx.h"
#include "optics/model/general_parameters.h"
#include "optics/lensarray/micro_element.h"
#include "optics/lensarray/tests/lens_array_fixtures.h"

namespace {

constexpr double kExact = 1e-12;        // closed-form values
constexpr double kGeometry = 1e-9;      // points through a few trigonometric steps
constexpr unsigned kRandomSeed = 20261207u;
constexpr double kRoot3 = 1.7320508075688772;

TEST(ConicSag, SphereParaboloidAndOutOfDomain) {
  EXPECT_APPROX(ConicSag(10.0, 0.0, 6.0), 2.0, kExact);  // 10 - sqrt(100 - 36)
  EXPECT_APPROX(ConicSag(-10.0, 0.0, 6.0), -2.0, kExact);
  EXPECT_APPROX(ConicSag(5.0, 1.0, 2.0), 0.4, kExact);    // h^2 / (2R)
  EXPECT_APPROX(ConicSag(1.0, 1.0, 50.0), 50.0, kExact);  // h capped at 10 |R|
  EXPECT_APPROX(ConicSag(10.0, 0.0, 12.0), 10.0, kExact); // beyond the sphere: R
  EXPECT_APPROX(ConicSag(10.0, -1.0, 12.0), 5.0, kExact); // beyond the conic: R / k
  EXPECT_EQ(ConicSag(0.0, 0.0, 3.0), 0.0);
}

TEST(EvaluateAxialPolynomial, MatchesPowerSum) {
  const double c[] = {1.0, 2.0, 3.0};
  double derivative = 0.0;
  // 1 x + 2 x^2 + 3 x^3 and 1 + 4 x + 9 x^2 at x = 1.5.
  EXPECT_APPROX(EvaluateAxialPolynomial(c, 3, 1.5, derivative), 16.125, kExact);
  EXPECT_APPROX(derivative, 27.25, kExact);
  EXPECT_EQ(EvaluateAxialPolynomial(c, 0, 1.5, derivative), 0.0);
  EXPECT_EQ(derivative, 0.0);
}

TEST(ClampLensArrayRadius, ZeroAndLargeRadiiBecomeTheLimit) {
  EXPECT_EQ(ClampLensArrayRadius(0.0, 1e6), 1e6);
  EXPECT_EQ(ClampLensArrayRadius(3e6, 1e6), 1e6);
  EXPECT_EQ(ClampLensArrayRadius(-3e6, 1e6), -1e6);
  EXPECT_EQ(ClampLensArrayRadius(-25.0, 1e6), -25.0);
}

// Each base hit lies on the base's own equation, on the sheet through the vertex.
TEST(IntersectBaseSurface, HitsLieOnTheBaseNearTheVertex) {
  double D[3] = {1.0, 0.1, -0.05};
  Normalize(D);
  const double P[3] = {-3.0, 2.0, 1.0};
  struct Case {
    int type;
    double R, Ex;
  } cases[] = {{kSurfaceSphere, 20.0, 0.0},   {kSurfaceSphere, -20.0, 0.0},
               {kSurfaceAspheric2, 15.0, 0.6}, {kSurfaceAspheric2, 15.0, 1.0},
               {kSurfaceCylinder, 12.0, 0.0},  {kSurfacePlane, 0.0, 0.0}};
  for (const Case &c : cases) {
    TSurface s;
    s.general.type = c.type;
    s.SetRadius(c.R);
    s.general.Ex = c.Ex;
    double t = 0.0;
    ASSERT_TRUE(IntersectBaseSurface(s, P, D, t)) << c.type;
    const double x = P[0] + t * D[0], y = P[1] + t * D[1], z = P[2] + t * D[2];
    double residual = 0.0;
    if (c.type == kSurfacePlane) residual = x;
    else if (c.type == kSurfaceCylinder) residual = x * x - 2 * c.R * x + y * y;
    else residual = (1 - c.Ex) * x * x - 2 * c.R * x + y * y + z * z;
    EXPECT_APPROX(residual, 0.0, kGeometry) << c.type;
    EXPECT_LT(std::fabs(x), 1.0) << c.type;  // the near sheet, not the far side
  }
}

TEST(IntersectBaseSurface, MissesAndUnsupportedBases) {
  TSurface sphere;
  sphere.SetRadius(10.0);
  const double far[3] = {0.0, 30.0, 0.0};
  const double along[3] = {1.0, 0.0, 0.0};
  double t = 0.0;
  EXPECT_FALSE(IntersectBaseSurface(sphere, far, along, t));
  TSurface plane;
  plane.general.type = kSurfacePlane;
  const double across[3] = {0.0, 1.0, 0.0};
  EXPECT_FALSE(IntersectBaseSurface(plane, far, across, t));
  TSurface torus;
  torus.general.type = kSurfaceTor;
  EXPECT_FALSE(IntersectBaseSurface(torus, far, along, t));
}

TEST(IntersectOffsetSurface, PlaneAndConcentricSphere) {
  TSurface plane;
  MakeArraySurface(plane, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 2, 2}, kMicroPlane, {1});
  plane.zones.data[0].HMikroLens = 0.25;
  double D[3] = {1.0, 0.2, 0.1};
  Normalize(D);
  const double P[3] = {-1.0, 0.0, 0.0};
  double t = 0.0;
  ASSERT_TRUE(IntersectOffsetSurface(plane, 0, P, D, t));
  EXPECT_APPROX(P[0] + t * D[0], 0.25, kExact);

  TSurface sphere;
  MakeArraySurface(sphere, kSurfaceSphere, 30.0, kPackingRectangle, {2, 2, 2, 2}, kMicroPlane,
                   {1});
  sphere.zones.data[0].HMikroLens = 0.5;
  ASSERT_TRUE(IntersectOffsetSurface(sphere, 0, P, D, t));
  const double x = P[0] + t * D[0], y = P[1] + t * D[1], z = P[2] + t * D[2];
  // Concentric with the base: centre (30, 0, 0), radius 29.5.
  EXPECT_APPROX(std::sqrt((x - 30) * (x - 30) + y * y + z * z), 29.5, kGeometry);
  EXPECT_FALSE(IntersectOffsetSurface(sphere, 3, P, D, t));  // no such zone
}

// At a point's own zone coordinates the cell frame's origin is the point itself, and the
// local x axis is the base normal there.
TEST(ComputeCellFrame, OriginAtOwnCoordinatesIsThePointAndXIsTheNormal) {
  struct Case {
    int type;
    double R;
    int packing;
  } cases[] = {{kSurfaceSphere, 40.0, kPackingRectangle},
               {kSurfaceSphere, -40.0, kPackingHexagon},
               {kSurfaceSphere, 40.0, kPackingRadialRing},
               {kSurfaceCylinder, 25.0, kPackingRectangle},
               {kSurfacePlane, 0.0, kPackingRadial}};
  for (const Case &c : cases) {
    TSurface s;
    MakeArraySurface(s, c.type, c.R, c.packing, {2, 2, 2, 2}, kMicroAsphere2, {5, 0});
    const double y = 6.0, z = -4.0;
    double point[3] = {0.0, y, z};
    if (c.type == kSurfaceSphere) point[0] = ConicSag(c.R, 0.0, std::hypot(y, z));
    if (c.type == kSurfaceCylinder) point[0] = ConicSag(c.R, 0.0, y);
    double cell[3];
    ASSERT_TRUE(ComputeZoneCoordinates(s, 0, point, cell)) << c.type;
    if (c.packing == kPackingRadial) cell[1] = std::hypot(y, z);  // radial cells: u = 0
    double origin[3], M[9];
    ASSERT_TRUE(ComputeCellFrame(s, 0, cell, origin, M)) << c.type;
    for (int i = 0; i < 3; ++i) EXPECT_APPROX(origin[i], point[i], kGeometry) << c.type;
    double normal[3] = {1.0, 0.0, 0.0};
    if (c.type == kSurfaceSphere) {
      for (int i = 0; i < 3; ++i) normal[i] = ((i == 0 ? c.R : 0.0) - point[i]) / c.R;
    } else if (c.type == kSurfaceCylinder) {
      normal[0] = (c.R - point[0]) / c.R;
      normal[1] = -point[1] / c.R;
      normal[2] = 0.0;
    }
    for (int i = 0; i < 3; ++i) EXPECT_APPROX(M[i], normal[i], kGeometry) << c.type;
    // Rows orthonormal.
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) {
        const double dot = M[3 * a] * M[3 * b] + M[3 * a + 1] * M[3 * b + 1] +
                           M[3 * a + 2] * M[3 * b + 2];
        EXPECT_APPROX(dot, a == b ? 1.0 : 0.0, kGeometry);
      }
  }
}

TEST(CellFrames, ToAndFromAreTransposes) {
  const double M[9] = {0.6, -0.8, 0.0, 0.8, 0.6, 0.0, 0.0, 0.0, 1.0};
  const double v[3] = {1.0, 2.0, 3.0};
  double local[3], back[3];
  ToCellFrame(M, v, local);
  EXPECT_APPROX(local[0], 0.6 - 1.6, kExact);
  EXPECT_APPROX(local[1], 0.8 + 1.2, kExact);
  FromCellFrame(M, local, back);
  for (int i = 0; i < 3; ++i) EXPECT_APPROX(back[i], v[i], kExact);
}

// The first candidate of the one-axis packings is the nearest lattice centre, checked by
// a search over every centre near the point.
TEST(FindCandidateCells, AxisPackingsPickTheNearestCentre) {
  std::printf("random seed %u\n", kRandomSeed);
  std::mt19937 generator(kRandomSeed);
  std::uniform_real_distribution<double> coordinate(-40.0, 40.0);
  const double Ax = 3.0, Ay = 2.0;
  for (int packing : {kPackingLineOX, kPackingLineOY, kPackingRectangle}) {
    TSurface s;
    MakeArraySurface(s, kSurfacePlane, 0.0, packing, {Ax, Ay, 2, 2}, kMicroPlane, {1});
    for (int trial = 0; trial < 2000; ++trial) {
      const double cell[3] = {0.0, coordinate(generator), coordinate(generator)};
      double candidates[kMaxCandidateCells][3];
      int count = 0;
      ASSERT_TRUE(FindCandidateCells(s, 0, cell, candidates, count));
      ASSERT_EQ(count, packing == kPackingRectangle ? 4 : 2);
      double bestU = 0.0, bestW = 0.0, bestDistance = 1e300;
      for (int i = -20; i <= 20; ++i)
        for (int j = -25; j <= 25; ++j) {
          const double u = packing == kPackingLineOX ? 0.0 : i * Ax;
          const double w = packing == kPackingLineOY ? 0.0 : j * Ay;
          const double du = packing == kPackingLineOX ? 0.0 : cell[1] - u;
          const double dw = packing == kPackingLineOY ? 0.0 : cell[2] - w;
          if (du * du + dw * dw < bestDistance) {
            bestDistance = du * du + dw * dw;
            bestU = u;
            bestW = w;
          }
        }
      EXPECT_APPROX(candidates[0][1], bestU, kExact);
      EXPECT_APPROX(candidates[0][2], bestW, kExact);
    }
  }
}

TEST(FindCandidateCells, BoundaryTakesTheUpperCellAndStepsDown) {
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingLineOY, {2.0, 2.0, 2, 2}, kMicroPlane, {1});
  double candidates[kMaxCandidateCells][3];
  int count = 0;
  const double onBoundary[3] = {0.0, 5.0, 0.0};  // a = 2.5
  ASSERT_TRUE(FindCandidateCells(s, 0, onBoundary, candidates, count));
  EXPECT_EQ(candidates[0][1], 6.0);
  EXPECT_EQ(candidates[1][1], 4.0);
  const double negative[3] = {0.0, -2.6, 0.0};  // a = 1.3: cells -2 and -4
  ASSERT_TRUE(FindCandidateCells(s, 0, negative, candidates, count));
  EXPECT_EQ(candidates[0][1], -2.0);
  EXPECT_EQ(candidates[1][1], -4.0);
}

// The nearest centre of the regular hexagonal lattice: rows along u at spacing Ax, row
// pitch Ax sqrt(3)/2, odd rows shifted by Ax/2, a centre at the origin.
void NearestHexagonCentre(double u, double w, double Ax, double &uc, double &wc) {
  double best = 1e300;
  const double rowPitch = Ax * kRoot3 / 2.0;
  const int row0 = static_cast<int>(std::floor(w / rowPitch));
  for (int j = row0 - 2; j <= row0 + 2; ++j) {
    const double shift = (j % 2 != 0) ? Ax / 2.0 : 0.0;
    const int col0 = static_cast<int>(std::floor((u - shift) / Ax));
    for (int i = col0 - 2; i <= col0 + 2; ++i) {
      const double cu = i * Ax + shift, cw = j * rowPitch;
      const double d = (u - cu) * (u - cu) + (w - cw) * (w - cw);
      if (d < best) {
        best = d;
        uc = cu;
        wc = cw;
      }
    }
  }
}

TEST(FindCandidateCells, HexagonPicksTheNearestCentreAllOverTheCells) {
  std::printf("random seed %u\n", kRandomSeed);
  std::mt19937 generator(kRandomSeed);
  const double Ax = 2.0;
  std::uniform_real_distribution<double> coordinate(-30.0, 30.0);
  for (double ratio : {1.0, 10.0, 0.3}) {  // out-of-range ratios read as 1
    TSurface s;
    MakeArraySurface(s, kSurfacePlane, 0.0, kPackingHexagon, {Ax, ratio, 2, 2}, kMicroPlane, {1});
    for (int trial = 0; trial < 4000; ++trial) {
      const double cell[3] = {0.0, coordinate(generator), coordinate(generator)};
      double candidates[kMaxCandidateCells][3];
      int count = 0;
      ASSERT_TRUE(FindCandidateCells(s, 0, cell, candidates, count));
      ASSERT_EQ(count, 1);
      double uc = 0.0, wc = 0.0;
      NearestHexagonCentre(cell[1], cell[2], Ax, uc, wc);
      const double found = std::hypot(cell[1] - candidates[0][1], cell[2] - candidates[0][2]);
      const double nearest = std::hypot(cell[1] - uc, cell[2] - wc);
      // Equal distances (a point on a cell edge) may pick either centre.
      if (std::fabs(found - nearest) < 1e-9) continue;
      EXPECT_APPROX(candidates[0][1], uc, kGeometry) << cell[1] << " " << cell[2];
      EXPECT_APPROX(candidates[0][2], wc, kGeometry) << cell[1] << " " << cell[2];
    }
  }
}

// Within range, a ratio q stretches the lattice by 1/q along w: each point goes to the
// nearest centre in the metric (du, q dw), checked against the centres around it.
TEST(FindCandidateCells, StretchedHexagonIsNearestInItsOwnMetric) {
  std::printf("random seed %u\n", kRandomSeed);
  std::mt19937 generator(kRandomSeed);
  std::uniform_real_distribution<double> coordinate(-20.0, 20.0);
  const double Ax = 2.0, q = 1.5;
  TSurface s;
  MakeArraySurface(s, kSurfacePlane, 0.0, kPackingHexagon, {Ax, q, 2, 2}, kMicroPlane, {1});
  // Lattice vectors in (u, q w): (Ax, 0) and (Ax/2, Ax sqrt(3)/2); anchor one centre.
  double candidates[kMaxCandidateCells][3];
  int count = 0;
  const double anchorPoint[3] = {0.0, 0.0, 0.0};
  ASSERT_TRUE(FindCandidateCells(s, 0, anchorPoint, candidates, count));
  const double anchorU = candidates[0][1], anchorW = candidates[0][2];
  for (int trial = 0; trial < 2000; ++trial) {
    const double cell[3] = {0.0, coordinate(generator), coordinate(generator)};
    ASSERT_TRUE(FindCandidateCells(s, 0, cell, candidates, count));
    double best = 1e300;
    for (int j = -30; j <= 30; ++j)
      for (int i = -30; i <= 30; ++i) {
        const double cu = anchorU + i * Ax + j * Ax / 2.0;
        const double cw = anchorW + j * Ax * kRoot3 / 2.0 / q;
        const double d = std::hypot(cell[1] - cu, q * (cell[2] - cw));
        best = std::fmin(best, d);
      }
    const double found = std::hypot(cell[1] - candidates[0][1], q * (cell[2] - candidates[0][2]));
    EXPECT_APPROX(found, best, kGeometry);
  }
}

TEST(FindCandidateCells, CurvedBasesTurnPeriodsIntoAngles) {
  // Sphere R = 50: Ax = 5 is 0.1 rad; "Radial" Ay stays in degrees on every base.
  TSurface s;
  MakeArraySurface(s, kSurfaceSphere, 50.0, kPackingRing, {5, 30, 2, 2}, kMicroAsphere2, {5, 0});
  double candidates[kMaxCandidateCells][3];
  int count = 0;
  const double cell[3] = {0.0, 0.26, 0.0};
  ASSERT_TRUE(FindCandidateCells(s, 0, cell, candidates, count));
  EXPECT_APPROX(candidates[0][1], 0.3, kExact);
  EXPECT_APPROX(candidates[1][1], 0.2, kExact);
  s.zones.data[0].Packing = kPackingRadial;
  const double angle[3] = {0.0, 0.0, 0.6};  // 34.4 degrees: cells at 30 and 60
  ASSERT_TRUE(FindCandidateCells(s, 0, angle, candidates, count));
  EXPECT_APPROX(candidates[0][2], 30.0 * 3.141592653589793 / 180.0, kExact);
  // A ratio of 1.5 on R = 50 reads as 0.03, out of range: the regular hexagon.
  TSurface a, b;
  MakeArraySurface(a, kSurfaceSphere, 50.0, kPackingHexagon, {5, 1.5, 2, 2}, kMicroPlane, {1});
  MakeArraySurface(b, kSurfaceSphere, 50.0, kPackingHexagon, {5, 50.0, 2, 2}, kMicroPlane, {1});
  const double p[3] = {0.0, 0.137, -0.081};
  double ca[kMaxCandidateCells][3], cb[kMaxCandidateCells][3];
  ASSERT_TRUE(FindCandidateCells(a, 0, p, ca, count));
  ASSERT_TRUE(FindCandidateCells(b, 0, p, cb, count));
  EXPECT_APPROX(ca[0][1], cb[0][1], kExact);
  EXPECT_APPROX(ca[0][2], cb[0][2], kExact);
}

TEST(FindCandidateCells, UnusablePeriodsFailWithoutCells) {
  const double cell[3] = {0.0, 12.0, -7.0};
  double candidates[kMaxCandidateCells][3];
  struct Case {
    int packing;
    double Ax, Ay;
  } cases[] = {{kPackingRectangle, 0.0, 2.0},   {kPackingRectangle, -2.0, 2.0},
               {kPackingRectangle, 2.0, 0.0},   {kPackingLineOX, 2.0, -1.0},
               {kPackingLineOY, NAN, 2.0},      {kPackingHexagon, 0.0, 1.0},
               {kPackingHexagon, INFINITY, 1.0}, {kPackingRectangle, 1e-13, 2.0},
               {kPackingHexagon, 1e-15, 1.0},   {kPackingRadial, 2.0, 0.0},
               {9, 2.0, 2.0}};
  for (const Case &c : cases) {
    TSurface s;
    MakeArraySurface(s, kSurfacePlane, 0.0, c.packing, {c.Ax, c.Ay, 2, 2}, kMicroPlane, {1});
    int count = 7;
    EXPECT_FALSE(FindCandidateCells(s, 0, cell, candidates, count)) << c.packing << " " << c.Ax;
    EXPECT_EQ(count, 0);
  }
  TSurface empty;
  MakeArraySurface(empty, kSurfacePlane, 0.0, kPackingRectangle, {2}, kMicroPlane, {1});
  empty.zones.data[0].PackCoef.Clear();
  int count = 0;
  EXPECT_FALSE(FindCandidateCells(empty, 0, cell, candidates, count));
}

TEST(ComputeZoneCoordinates, RefusesPointsOffTheBaseAndUnsupportedPackings) {
  double cell[3];
  TSurface sphere;
  MakeArraySurface(sphere, kSurfaceSphere, 10.0, kPackingRectangle, {2, 2, 2, 2}, kMicroPlane,
                   {1});
  const double rim[3] = {10.0, 10.0, 0.0};  // y^2 >= R^2 - 1e-12
  EXPECT_FALSE(ComputeZoneCoordinates(sphere, 0, rim, cell));
  TSurface conic;
  MakeArraySurface(conic, kSurfaceAspheric2, 10.0, kPackingHexagon, {2, 2, 2, 2}, kMicroPlane,
                   {1});
  const double p[3] = {0.05, 1.0, 0.0};
  EXPECT_FALSE(ComputeZoneCoordinates(conic, 0, p, cell));
  conic.zones.data[0].Packing = kPackingRing;
  conic.general.Ex = -0.5;  // e = sqrt(Ex) undefined
  EXPECT_FALSE(ComputeZoneCoordinates(conic, 0, p, cell));
  conic.general.Ex = 1.0;   // R / (1 - e) undefined
  EXPECT_FALSE(ComputeZoneCoordinates(conic, 0, p, cell));
  conic.general.Ex = 0.25;
  EXPECT_TRUE(ComputeZoneCoordinates(conic, 0, p, cell));
  TSurface cylinder;
  MakeArraySurface(cylinder, kSurfaceCylinder, 10.0, kPackingRing, {2, 2, 2, 2}, kMicroPlane,
                   {1});
  EXPECT_FALSE(ComputeZoneCoordinates(cylinder, 0, p, cell));
  const double bad[3] = {NAN, 1.0, 0.0};
  EXPECT_FALSE(ComputeZoneCoordinates(sphere, 0, bad, cell));
  // On the axis the polar packings sit in the centre cell.
  TSurface plane;
  MakeArraySurface(plane, kSurfacePlane, 0.0, kPackingRadialRing, {2, 30, 2, 2}, kMicroPlane,
                   {1});
  const double axis[3] = {0.0, 1e-14, 0.0};
  ASSERT_TRUE(ComputeZoneCoordinates(plane, 0, axis, cell));
  EXPECT_EQ(cell[1], 0.0);
  EXPECT_EQ(cell[2], 0.0);
}

TEST(ComputeCellFrame, ConicRadialFrameRefusesUndefinedEccentricity) {
  TSurface conic;
  MakeArraySurface(conic, kSurfaceAspheric2, 10.0, kPackingRadial, {2, 30, 2, 2}, kMicroPlane,
                   {1});
  conic.general.Ex = -1.0;
  const double cell[3] = {0.0, 0.2, 0.5};
  double origin[3], M[9];
  EXPECT_FALSE(ComputeCellFrame(conic, 0, cell, origin, M));
  // A parabola (e = 1) turned to the far side: e cos u + 1 = 0.
  conic.general.Ex = 1.0;
  const double back[3] = {0.0, 3.141592653589793, 0.0};
  EXPECT_FALSE(ComputeCellFrame(conic, 0, back, origin, M));
  // A sound conic radial frame: the origin lies on the conic, the x row is its normal.
  conic.general.Ex = 0.36;
  ASSERT_TRUE(ComputeCellFrame(conic, 0, cell, origin, M));
  const double e = 1.0 - 0.36;
  const double x = origin[0], y = origin[1], z = origin[2];
  EXPECT_APPROX(e * x * x - 20.0 * x + y * y + z * z, 0.0, kGeometry);
  double n[3] = {10.0 - e * x, -y, -z};
  Normalize(n);
  for (int i = 0; i < 3; ++i) EXPECT_APPROX(M[i], n[i], kGeometry);
}

}  // namespace
