#include "optics/lensarray/lens_array_preview.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/model/general_parameters.h"
#include "optics/lensarray/micro_element.h"
#include "optics/lensarray/lens_array_geometry.h"
#include "optics/lensarray/tests/lens_array_fixtures.h"

namespace {

constexpr double kExact = 1e-9;  // display units (180 per semi-height)

// Leaves no dangling context behind for the next test.
class LensArrayPreview : public ::testing::Test {
 protected:
  void TearDown() override { SetRasterSurfaceContext(nullptr, 0, 0); }
};

void Node(int i, int j, double &X, double &Y, double &Z) {
  LensArrayPreviewPoint(static_cast<double>(i) / kLensArrayPreviewGrid,
                        static_cast<double>(j) / kLensArrayPreviewGrid, X, Y, Z);
}

TEST_F(LensArrayPreview, BarePlaneIsFlatAndCoversTheSquare) {
  TSurface plane;
  plane.general.type = kSurfacePlane;
  plane.general.boundTypeExt = kBoundSquare;
  plane.general.semiHeightExt = 10.0;
  EXPECT_EQ(SetRasterSurfaceContext(&plane, 0, 0), 1);
  double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
  for (int i = 0; i <= kLensArrayPreviewGrid; ++i)
    for (int j = 0; j <= kLensArrayPreviewGrid; ++j) {
      double X, Y, Z;
      Node(i, j, X, Y, Z);
      EXPECT_APPROX(Z, 0.0, kExact);
      minX = std::fmin(minX, X);
      maxX = std::fmax(maxX, X);
      minY = std::fmin(minY, Y);
      maxY = std::fmax(maxY, Y);
    }
  EXPECT_APPROX(minX, -180.0, kExact);
  EXPECT_APPROX(maxX, 180.0, kExact);
  EXPECT_APPROX(minY, -180.0, kExact);
  EXPECT_APPROX(maxY, 180.0, kExact);
  double X, Y, Z;
  LensArrayPreviewPoint(0.75, 0.25, X, Y, Z);  // u runs along X (the surface's z)
  EXPECT_APPROX(X, 90.0, kExact);
  EXPECT_APPROX(Y, -90.0, kExact);
}

TEST_F(LensArrayPreview, RoundOutlineIsADiscFromTheInnerRadius) {
  TSurface plane;
  plane.general.type = kSurfacePlane;
  plane.general.semiHeightExt = 10.0;
  SetRasterSurfaceContext(&plane, 0, 0);
  for (int j = 0; j <= kLensArrayPreviewGrid; ++j) {
    double X, Y, Z;
    Node(0, j, X, Y, Z);  // Hin = 0: the centre repeated along the angle
    EXPECT_APPROX(std::hypot(X, Y), 0.0, kExact);
    Node(kLensArrayPreviewGrid, j, X, Y, Z);
    EXPECT_APPROX(std::hypot(X, Y), 180.0, kExact);
  }
  plane.general.semiHeightInt = 4.0;  // an annulus from 4 to 10
  double X, Y, Z;
  Node(0, 3, X, Y, Z);
  EXPECT_APPROX(std::hypot(X, Y), 72.0, kExact);
}

// Without zones the relief is the sphere's own sag, centred on half the rim sag.
TEST_F(LensArrayPreview, BareSphereShowsItsSag) {
  const double R = 25.0, H = 10.0;
  TSurface sphere;
  sphere.SetRadius(R);
  sphere.general.semiHeightExt = H;
  SetRasterSurfaceContext(&sphere, 0, 0);
  const double k = 180.0 / H;
  const double rim = R - std::sqrt(R * R - H * H);
  for (double u : {0.0, 0.4, 1.0}) {
    double X, Y, Z;
    LensArrayPreviewPoint(u, 0.3, X, Y, Z);
    const double rho = u * H;
    const double sag = R - std::sqrt(R * R - rho * rho);
    EXPECT_APPROX(Z, (-sag + 0.5 * rim) * k, kExact) << u;
    EXPECT_APPROX(std::hypot(X, Y), rho * k, kExact) << u;
  }
}

// Flat elements narrower than the pitch: nodes on an element lie on the base, nodes in a
// gap drop to the offset surface HMikroLens behind it.
TEST_F(LensArrayPreview, GapsShowTheOffsetSurface) {
  const double H = 10.0, depth = 0.5;
  TSurface plane;
  MakeArraySurface(plane, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 1, 1}, kMicroPlane, {1});
  plane.general.boundTypeExt = kBoundSquare;
  plane.general.semiHeightExt = H;
  plane.zones.data[0].HMikroLens = depth;
  SetRasterSurfaceContext(&plane, 0, 0);
  const double k = 180.0 / H;
  double X, Y, Z;
  LensArrayPreviewPoint(0.5, 0.5, X, Y, Z);  // (0, 0): a cell centre
  EXPECT_APPROX(Z, 0.0, kExact);
  LensArrayPreviewPoint(0.5, 0.55, X, Y, Z);  // y = 1: between cells
  EXPECT_APPROX(Z, -depth * k, kExact);
  // Outside the zone (|y| < 5 here) the same gap position is bare base surface.
  FillList(plane.zones.data[0].LimitLower, {-1e6, -5.0, -1e6});
  FillList(plane.zones.data[0].LimitUpper, {1e6, 5.0, 1e6});
  LensArrayPreviewPoint(0.5, 0.85, X, Y, Z);  // y = 7
  EXPECT_APPROX(Y, 7.0 * k, kExact);
  EXPECT_APPROX(Z, 0.0, kExact);
  LensArrayPreviewPoint(0.5, 0.65, X, Y, Z);  // y = 3: a gap inside the zone
  EXPECT_APPROX(Z, -depth * k, kExact);
}

// Spherical lenslets on a plane: the relief at a node is minus the lenslet's sag there.
TEST_F(LensArrayPreview, LensletsShowTheirSag) {
  const double H = 10.0, r = 4.0;
  TSurface plane;
  MakeArraySurface(plane, kSurfacePlane, 0.0, kPackingRectangle, {2, 2, 2, 2}, kMicroAsphere2,
                   {r, 0.0});
  plane.general.boundTypeExt = kBoundSquare;
  plane.general.semiHeightExt = H;
  SetRasterSurfaceContext(&plane, 0, 0);
  const double k = 180.0 / H;
  for (double v : {0.5, 0.52, 0.57, 0.61}) {
    double X, Y, Z;
    LensArrayPreviewPoint(0.5, v, X, Y, Z);
    const double y = (2.0 * v - 1.0) * H;
    const double local = y - 2.0 * std::round(y / 2.0);
    EXPECT_APPROX(Z, -(r - std::sqrt(r * r - local * local)) * k, kExact) << v;
  }
}

TEST_F(LensArrayPreview, DegenerateInputStaysFinite) {
  double X = 5, Y = 5, Z = 5;
  LensArrayPreviewPoint(0.3, 0.3, X, Y, Z);  // no context
  EXPECT_EQ(X, 0.0);
  EXPECT_EQ(Z, 0.0);
  TSurface unsized;
  unsized.general.type = kSurfacePlane;  // outer semi-height 0
  SetRasterSurfaceContext(&unsized, 0, 0);
  LensArrayPreviewPoint(0.3, 0.3, X, Y, Z);
  EXPECT_EQ(Y, 0.0);
  // A paraboloid (Ex = 1): the rim sag is H^2 / (2R), not a division by zero.
  TSurface parabola;
  parabola.general.type = kSurfaceAspheric2;
  parabola.SetRadius(20.0);
  parabola.general.Ex = 1.0;
  parabola.general.semiHeightExt = 8.0;
  SetRasterSurfaceContext(&parabola, 0, 0);
  LensArrayPreviewPoint(0.0, 0.0, X, Y, Z);  // the vertex
  EXPECT_APPROX(Z, 0.5 * 64.0 / 40.0 * 180.0 / 8.0, kExact);
}

}  // namespace
