#include "optics/model/surface.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "foundation/testing/approx.h"
#include "optics/frames/tests/rotation_fixtures.h"

namespace {

// Products of sines and cosines of the same angles: rounding only.
constexpr double kMatrixTolerance = 1e-15;
constexpr double kPhaseTolerance = 1e-14;

TEST(Surface, TypeNamesFollowTheCodes) {
  EXPECT_STREQ(SurfaceTypeName(0), "Plane");
  EXPECT_STREQ(SurfaceTypeName(6), "Cylinder");
  EXPECT_STREQ(SurfaceTypeName(9), "Fresnel (International Aspheric)");
  EXPECT_STREQ(SurfaceTypeName(10), "");
  EXPECT_STREQ(SurfaceTypeName(-1), "");
}

TEST(Surface, TiltMatrixIsRxTimesRyOfMinusAyTimesRz) {
  TSurface s;
  const double ax = 0.3, ay = -0.7, az = 1.1;
  s.SetAngles(ax, ay, az);
  ASSERT_EQ(s.tilted, 1);
  ASSERT_EQ(s.tiltMatrix.cols, 3);
  ASSERT_EQ(s.tiltMatrix.rows, 3);
  const Matrix3 expected = Product(Product(Rx(ax), Ry(-ay)), Rz(az));
  for (int k = 0; k < 9; ++k) EXPECT_APPROX(s.tiltMatrix.data[k], expected[k], kMatrixTolerance);
  s.SetAngles(0.0, 0.0, 0.0);
  EXPECT_EQ(s.tilted, 0);
  EXPECT_EQ(s.tiltMatrix.data, nullptr);
}

TEST(Surface, SetRadiusCarriesRIntoTheFirstCoefficientByType) {
  TSurface s;
  ASSERT_TRUE(s.AsCoef.Allocate(2, 1));
  s.AsCoef.data[0] = 9.0;
  s.general.type = kSurfaceAsphericHigh2;
  s.SetRadius(0.0);
  EXPECT_EQ(s.GetCurvature(), 0.0);
  EXPECT_EQ(s.AsCoef.data[0], 0.0);
  s.SetRadius(4.0);
  EXPECT_EQ(s.AsCoef.data[0], 0.125);
  s.general.type = kSurfaceAsphericHigh1;
  s.SetRadius(2.0);
  EXPECT_EQ(s.AsCoef.data[0], -4.0);
  EXPECT_EQ(s.GetCurvature(), 0.5);
  s.general.type = kSurfaceAsphericStandard;
  s.SetRadius(-8.0);
  EXPECT_EQ(s.AsCoef.data[0], -0.125);
  s.general.type = kSurfaceTorRing;
  s.SetRadius(3.0);
  EXPECT_EQ(s.AsCoef.data[0], 3.0);
  s.general.type = kSurfaceCylinder;
  s.SetRadius(5.0);
  EXPECT_EQ(s.AsCoef.data[0], 3.0);
  EXPECT_EQ(s.general.R, 5.0);
  TSurface bare;  // no coefficients: nothing is written past the end
  bare.general.type = kSurfaceAsphericHigh1;
  bare.SetRadius(2.0);
  EXPECT_EQ(bare.AsCoef.data, nullptr);
}

TEST(Surface, SetGeneralParametersKeepsCurvatureAndFacetHeight) {
  TSurface s;
  s.SetRadius(10.0);
  s.general.FrenelHeight = 0.5;
  TGeneralParameters block = s.GetGeneralParameters();
  block.R = 20.0;
  block.curvature = 123.0;
  block.FrenelHeight = 9.0;
  block.glass = "BK7_misc";
  block.angles[1] = 0.2;
  s.SetGeneralParameters(&block);
  EXPECT_EQ(s.general.R, 20.0);
  EXPECT_EQ(s.GetCurvature(), 0.1);
  EXPECT_EQ(s.general.FrenelHeight, 0.5);
  EXPECT_EQ(s.general.glass, "BK7_misc");
  EXPECT_EQ(s.tilted, 1);
  EXPECT_APPROX(s.tiltMatrix.data[2], -std::sin(0.2), kMatrixTolerance);
  // A block whose angles are all zero untilts the surface: the trace turns rays by the
  // stored matrix, which must not outlive the angles it was built from.
  block.angles[1] = 0.0;
  s.SetGeneralParameters(&block);
  EXPECT_EQ(s.general.angles[1], 0.0);
  EXPECT_EQ(s.tilted, 0);
  EXPECT_EQ(s.tiltMatrix.data, nullptr);
  s.SetGeneralParameters(nullptr);
  EXPECT_EQ(s.general.R, 20.0);
}

TEST(HOEParameters, PhaseIsThePolynomialInTheSquaredNormalisedRadius) {
  THOEParameters h;
  h.Mhxy = 2.0;
  ASSERT_TRUE(h.Vh.Allocate(1, 1));
  h.Vh.data[0] = 3.0;
  EXPECT_APPROX(h.Phase(1.0), 3.0 * 0.25, kPhaseTolerance);
  ASSERT_TRUE(h.Vh.Allocate(3, 1));
  h.Vh.data[0] = 1.5;
  h.Vh.data[1] = -2.0;
  h.Vh.data[2] = 0.75;
  const double t = (3.0 / 2.0) * (3.0 / 2.0);
  EXPECT_APPROX(h.Phase(3.0), 1.5 * t - 2.0 * t * t + 0.75 * t * t * t, kPhaseTolerance);
  THOEParameters empty;
  EXPECT_EQ(empty.Phase(1.0), 0.0);
}

TEST(Surface, GetHOECountsLeadingNonZeroCoefficients) {
  TSurface s;
  EXPECT_EQ(s.GetHOE(nullptr), 0);
  THOEParameters h;
  h.Mhxy = 5.0;
  h.Wlh = 0.6328;
  h.pD = -1;
  h.Quantum = 8;
  h.wavelengthFactor = 0.9;
  ASSERT_TRUE(h.Vh.Allocate(4, 1));
  h.Vh.data[0] = 1.0;
  h.Vh.data[1] = 2.0;
  h.Vh.data[2] = 0.0;
  h.Vh.data[3] = 4.0;
  s.SetHOE(h, 0);
  THOEParameters out;
  EXPECT_EQ(s.GetHOE(&out), 2);
  EXPECT_EQ(out.Mhxy, 5.0);
  EXPECT_EQ(out.Wlh, 0.6328);
  EXPECT_EQ(out.pD, -1);
  EXPECT_EQ(out.Quantum, 8);
  EXPECT_EQ(out.wavelengthFactor, 0.9);
  ASSERT_EQ(out.Vh.cols, 4);
  EXPECT_EQ(out.Vh.data[3], 4.0);
  s.hoe->Vh.data[0] = 0.0;
  EXPECT_EQ(s.GetHOE(nullptr), 0);  // data present, but c0 is 0
}

TEST(Surface, SetHOEWithACountKeepsThatManyCoefficients) {
  TSurface s;
  THOEParameters h;
  ASSERT_TRUE(h.Vh.Allocate(3, 1));
  h.Vh.data[0] = 1.0;
  h.Vh.data[1] = 2.0;
  h.Vh.data[2] = 3.0;
  s.SetHOE(h, 2);
  ASSERT_EQ(s.hoe->Vh.cols, 2);
  EXPECT_EQ(s.hoe->Vh.data[1], 2.0);
  s.SetHOE(h, 5);  // more than given: the missing ones are 0, nothing is read past the end
  ASSERT_EQ(s.hoe->Vh.cols, 5);
  EXPECT_EQ(s.hoe->Vh.data[2], 3.0);
  EXPECT_EQ(s.hoe->Vh.data[4], 0.0);
  s.SetHOE(*s.hoe, 1);  // its own data
  ASSERT_EQ(s.hoe->Vh.cols, 1);
  EXPECT_EQ(s.hoe->Vh.data[0], 1.0);
}

TEST(Surface, CopiesAreDeepAndIndependent) {
  TSurface original(1.0, 2.0, 3.0);
  original.SetRadius(50.0);
  original.general.glass = "F2_misc";
  original.SetAngles(0.1, 0.2, 0.3);
  ASSERT_TRUE(original.AsCoef.Allocate(2, 1));
  original.AsCoef.data[1] = 7.0;
  THOEParameters h;
  h.Mhxy = 3.0;
  ASSERT_TRUE(h.Vh.Allocate(1, 1));
  h.Vh.data[0] = 2.0;
  original.SetHOE(h, 0);
  ASSERT_TRUE(original.zones.Allocate(1, 1));
  original.zones.data[0].HMikroLens = 0.4;
  original.editData->mark = 1;

  TSurface copy(original);
  EXPECT_EQ(copy.GetCurvature(), 0.02);
  EXPECT_EQ(copy.general.glass, "F2_misc");
  ASSERT_NE(copy.hoe, original.hoe);
  ASSERT_NE(copy.editData, original.editData);
  EXPECT_EQ(copy.editData->mark, 1);
  ASSERT_NE(copy.tiltMatrix.data, original.tiltMatrix.data);
  ASSERT_NE(copy.zones.data, original.zones.data);
  ASSERT_NE(copy.zones.data[0].PackCoef.data, original.zones.data[0].PackCoef.data);

  original.hoe->Vh.data[0] = -1.0;
  original.AsCoef.data[1] = 0.0;
  original.zones.data[0].HMikroLens = 0.0;
  original.zones.data[0].PackCoef.data[0] = 99.0;
  original.tiltMatrix.data[0] = 5.0;
  EXPECT_EQ(copy.hoe->Vh.data[0], 2.0);
  EXPECT_EQ(copy.AsCoef.data[1], 7.0);
  EXPECT_EQ(copy.zones.data[0].HMikroLens, 0.4);
  EXPECT_EQ(copy.zones.data[0].PackCoef.data[0], 10.0);
  EXPECT_APPROX(copy.tiltMatrix.data[0], std::cos(0.2) * std::cos(0.3), kMatrixTolerance);

  TSurface assigned;
  assigned = original;
  delete original.hoe;
  original.hoe = nullptr;
  EXPECT_EQ(assigned.hoe->Vh.data[0], -1.0);

  std::unique_ptr<TSurface> clone(copy.Clone());
  EXPECT_EQ(clone->general.vertex[2], 3.0);
  EXPECT_NE(clone->hoe, copy.hoe);
}

TEST(Surface, CopyFromCreatesOrDeletesButNeverOverwritesHOE) {
  TSurface withHoe;
  THOEParameters h;
  h.Mhxy = 3.0;
  ASSERT_TRUE(h.Vh.Allocate(1, 1));
  h.Vh.data[0] = 2.0;
  withHoe.SetHOE(h, 0);
  withHoe.general.R = 40.0;
  withHoe.general.FrenelHeight = 0.3;

  TSurface target;
  target.general.curvature = 0.5;
  target.CopyFrom(withHoe);
  EXPECT_EQ(target.general.R, 40.0);
  EXPECT_EQ(target.general.curvature, 0.5);  // the curvature is the preparation's
  EXPECT_EQ(target.general.FrenelHeight, 0.3);
  ASSERT_NE(target.hoe, nullptr);
  EXPECT_EQ(target.hoe->Vh.data[0], 2.0);

  withHoe.hoe->Vh.data[0] = 8.0;
  target.CopyFrom(withHoe);
  EXPECT_EQ(target.hoe->Vh.data[0], 2.0);  // both have HOE data: the target's stays

  const TSurface plain;
  target.CopyFrom(plain);
  EXPECT_EQ(target.hoe, nullptr);
}

TEST(RasterZone, DefaultsMatchANewZone) {
  const TRasterZone zone;
  EXPECT_EQ(zone.Packing, 2);
  EXPECT_EQ(zone.MicroType, 3);
  EXPECT_EQ(zone.LimitType, 1);
  ASSERT_EQ(zone.PackCoef.cols, 4);
  EXPECT_EQ(zone.PackCoef.data[3], 20.0);
  ASSERT_EQ(zone.MicroCoef.cols, 2);
  EXPECT_EQ(zone.MicroCoef.data[0], 20.0);
  ASSERT_EQ(zone.LimitUpper.cols, 3);
  EXPECT_EQ(zone.LimitUpper.data[0], 1e6);
  EXPECT_EQ(zone.LimitLower.data[2], -180.0);
}

TEST(RasterZone, ContainsUsesStrictPolarLimits) {
  const TRasterZone zone;
  EXPECT_EQ(zone.Contains(0.0, 0.0, 0.0), 0);    // radius 0 is not above the lower limit 0
  EXPECT_EQ(zone.Contains(0.0, 50.0, 0.0), 1);
  EXPECT_EQ(zone.Contains(0.0, 100.0, 0.0), 0);  // 100 is not below the upper limit
  EXPECT_EQ(zone.Contains(0.0, -5.0, 0.0), 1);   // angle just below 180 degrees
  EXPECT_EQ(zone.Contains(2e6, 50.0, 0.0), 0);
  TRasterZone half;
  half.LimitLower.data[2] = 0.0;  // angles strictly between 0 and 180 degrees
  EXPECT_EQ(half.Contains(0.0, 0.0, 10.0), 1);   // 90 degrees
  EXPECT_EQ(half.Contains(0.0, 0.0, -10.0), 0);  // -90 degrees
}

TEST(RasterZone, ContainsOffsetsByTheOrigin) {
  TRasterZone cartesian;
  cartesian.LimitType = 0;
  cartesian.LimitLower.data[0] = -1.0;
  cartesian.LimitUpper.data[0] = 1.0;
  cartesian.LimitLower.data[1] = -1.0;
  cartesian.LimitUpper.data[1] = 1.0;
  cartesian.LimitLower.data[2] = -1.0;
  cartesian.LimitUpper.data[2] = 1.0;
  cartesian.Origin.data[1] = 10.0;
  EXPECT_EQ(cartesian.Contains(0.0, 10.5, 0.0), 1);
  EXPECT_EQ(cartesian.Contains(0.0, 0.5, 0.0), 0);
  TRasterZone cylindrical = cartesian;
  cylindrical.SCType = 1;  // origin at radius 10, 90 degrees: the point (y 0, z 10)
  cylindrical.Origin.data[2] = 90.0;
  EXPECT_EQ(cylindrical.Contains(0.0, 0.0, 10.5), 1);
  EXPECT_EQ(cylindrical.Contains(0.0, 10.0, 0.0), 0);
  TRasterZone unknown = cartesian;  // an undefined system code reads as Cartesian
  unknown.SCType = 7;
  EXPECT_EQ(unknown.Contains(0.0, 10.5, 0.0), 1);
}

TEST(RasterZone, TrimDropsTrailingZerosOnly) {
  TRasterZone zone;
  ASSERT_TRUE(zone.MicroCoef.Allocate(3, 1));
  zone.MicroCoef.data[0] = 20.0;
  zone.TrimCoefficients();
  ASSERT_EQ(zone.MicroCoef.cols, 1);
  EXPECT_EQ(zone.MicroCoef.data[0], 20.0);
  ASSERT_TRUE(zone.MicroCoef.Allocate(3, 1));
  zone.TrimCoefficients();
  EXPECT_EQ(zone.MicroCoef.cols, 3);
}

TEST(RasterZone, CopiesAreIndependent) {
  TRasterZone a;
  a.HMikroLens = 1.5;
  a.Packing = 4;
  TRasterZone b(a);
  TRasterZone c;
  c = a;
  a.Origin.data[0] = 3.0;
  a.MicroCoef.data[0] = 1.0;
  EXPECT_EQ(b.Origin.data[0], 0.0);
  EXPECT_EQ(c.MicroCoef.data[0], 20.0);
  EXPECT_EQ(b.HMikroLens, 1.5);
  EXPECT_EQ(c.Packing, 4);
}

}  // namespace
