#include "foundation/numerics/pi.h"
#include "synthesis/folder/image_size.h"

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"
#include "optics/model/tests/system_test_support.h"

namespace {

// Closed forms evaluated in double precision.
constexpr double kExact = 1e-12;
// A size read and shown again: every synthesis does it, so it must not move the size.
constexpr double kRoundTrip = 1e-12;
// The real chief ray of a corrected lens against its first-order focal length.
constexpr double kFirstOrder = 0.01;

TImageSizeInputs Finite(int unit, int objectSpace, double size) {
  TImageSizeInputs in;
  in.size = size;
  in.distance = 2.0;
  in.magnification = -0.5;
  in.imageFinite = 1;
  in.objectFinite = 0;
  in.unit = unit;
  in.objectSpace = objectSpace;
  in.du = 0.01;
  in.dh = 0.5;
  return in;
}

TEST(ImageSize, FiniteImageSidesFollowTheirUnitsAndTheRayScale) {
  double field = 0.0;
  // Metres in the image: 2 mm.
  ASSERT_EQ(ImageFieldFromObjectSize(Finite(0, 0, 0.002), field), kSizeConverted);
  EXPECT_APPROX(field, 2.0, kExact);
  // Ten arc minutes through 0.5 mm per 0.01 rad.
  ASSERT_EQ(ImageFieldFromObjectSize(Finite(1, 1, 10.0), field), kSizeConverted);
  EXPECT_APPROX(field, 10.0 * 0.000290888 / 0.01 * 0.5, kExact);
  // One degree.
  ASSERT_EQ(ImageFieldFromObjectSize(Finite(2, 1, 1.0), field), kSizeConverted);
  EXPECT_APPROX(field, 0.01745329251994 / 0.01 * 0.5, kExact);
  // An object of 0.1 m at 2 m subtends 2 atan(0.025).
  ASSERT_EQ(ImageFieldFromObjectSize(Finite(0, 1, 0.1), field), kSizeConverted);
  EXPECT_APPROX(field, 2.0 * std::atan(0.025) / 0.01 * 0.5, kExact);
  // A finite object through its magnification.
  TImageSizeInputs near = Finite(0, 1, 0.004);
  near.objectFinite = 1;
  ASSERT_EQ(ImageFieldFromObjectSize(near, field), kSizeConverted);
  EXPECT_APPROX(field, -2.0, kExact);
}

TEST(ImageSize, EveryConversionComesBackToItsSize) {
  for (int image = 0; image < 2; ++image)
    for (int unit = 0; unit < 3; ++unit)
      for (int objectSpace = 0; objectSpace < 2; ++objectSpace) {
        // The image-space metre rule has no way back but the field itself.
        if (unit == 0 && objectSpace == 0 && image == 0) continue;
        for (int objectFinite = 0; objectFinite < 2; ++objectFinite)
          // An object of 113 m at 1 km (a wide angle) and one of 5 cm at 2 m.
          for (double size : {0.05, 113.2}) {
            TImageSizeInputs in = Finite(unit, objectSpace, size);
            in.imageFinite = image;
            in.objectFinite = objectFinite;
            in.distance = size > 1.0 ? 1000.0 : 2.0;
            in.magnification = 2.0;
            in.angularScale = -20.3;
            // Twenty readings and showings in a row.
            double shown = size;
            for (int again = 0; again < 20; ++again) {
              double field = 0.0;
              in.size = shown;
              ASSERT_EQ(ImageFieldFromObjectSize(in, field), kSizeConverted);
              in.size = field;
              ASSERT_EQ(ObjectSizeFromImageField(in, shown), kSizeConverted);
            }
            EXPECT_APPROX(shown, size, kRoundTrip)
                << "image " << image << " unit " << unit << " C " << objectSpace << " O "
                << objectFinite;
          }
      }
}

TEST(ImageSize, AnImageAtInfinityTakesMilliradians) {
  TImageSizeInputs in = Finite(0, 0, 1.0);
  in.imageFinite = 0;
  in.distance = 1000.0;
  in.magnification = 1.0;
  double field = 0.0, size = -1.0;
  // One metre at one kilometre: 2 atan(0.0005) rad, in mrad.
  ASSERT_EQ(ImageFieldFromObjectSize(in, field), kSizeConverted);
  EXPECT_APPROX(field, 2000.0 * std::atan(0.0005), kExact);
  // Without the object-space switch the field gives no object size.
  in.size = field;
  ASSERT_EQ(ObjectSizeFromImageField(in, size), kSizeConverted);
  EXPECT_EQ(size, 0.0);
  // Arc minutes: 1 mrad is 3.4377 minutes.
  in.unit = 1;
  in.size = 1.0;
  ASSERT_EQ(ObjectSizeFromImageField(in, size), kSizeConverted);
  EXPECT_APPROX(size, 0.001 / 0.000290888, kExact);
}

TEST(ImageSize, AFiniteObjectImagedAtInfinityTakesItsAngleFromTheTracedScale) {
  // An object in the front focal plane of a lens of f = 49.2 mm, imaged at infinity: its
  // magnification is 0, and a height h is seen at h / f rad, 1000 / f mrad per mm.
  constexpr double kFocal = 49.2;
  TImageSizeInputs in = Finite(0, 1, 0.0055);
  in.imageFinite = 0;
  in.objectFinite = 1;
  in.distance = 0.0475;
  in.magnification = 0.0;
  in.angularScale = -1000.0 / kFocal;
  double field = 0.0, size = 0.0;
  ASSERT_EQ(ImageFieldFromObjectSize(in, field), kSizeConverted);
  EXPECT_APPROX(std::fabs(field), 5.5 * 1000.0 / kFocal, kExact);
  in.size = field;
  ASSERT_EQ(ObjectSizeFromImageField(in, size), kSizeConverted);
  EXPECT_APPROX(std::fabs(size), 0.0055, kExact);
  // Without a traced scale there is none: no field of 0 that a stale pixel would fill.
  in.angularScale = 0.0;
  in.size = 0.0055;
  EXPECT_EQ(ImageFieldFromObjectSize(in, field), kSizeScaleUndefined);
  EXPECT_EQ(ObjectSizeFromImageField(in, size), kSizeScaleUndefined);
}

TEST(ImageSize, AScaleRayOnTheAxisLeavesTheSizesUndefinedInsteadOfDividing) {
  double field = 123.0, size = 456.0;
  TImageSizeInputs flat = Finite(1, 1, 10.0);
  flat.du = 0.0;
  EXPECT_EQ(ImageFieldFromObjectSize(flat, field), kSizeScaleUndefined);
  EXPECT_EQ(field, 123.0);
  flat = Finite(2, 1, 1.0);
  flat.dh = 0.0;
  EXPECT_EQ(ImageFieldFromObjectSize(flat, field), kSizeScaleUndefined);
  EXPECT_EQ(ObjectSizeFromImageField(flat, size), kSizeScaleUndefined);
  EXPECT_EQ(size, 456.0);
  flat.dh = std::nan("");
  EXPECT_EQ(ObjectSizeFromImageField(flat, size), kSizeScaleUndefined);
  // Rules that do not use the rays still convert.
  TImageSizeInputs plain = Finite(0, 0, 0.003);
  plain.du = 0.0;
  plain.dh = 0.0;
  ASSERT_EQ(ImageFieldFromObjectSize(plain, field), kSizeConverted);
  EXPECT_APPROX(field, 3.0, kExact);
  // A magnification of 0 is not divided by.
  TImageSizeInputs still = Finite(1, 1, 2.0);
  still.imageFinite = 0;
  still.magnification = 0.0;
  ASSERT_EQ(ObjectSizeFromImageField(still, size), kSizeConverted);
  EXPECT_TRUE(std::isfinite(size));
}

class ScaleRaysTest : public SystemTest {};

TEST_F(ScaleRaysTest, TheObliqueChiefRayMeetsTheImageAtTheFocalLengthTimesItsAngle) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os").c_str(), 0), 1);
  double du = 0.0, dh = 0.0;
  ASSERT_TRUE(TraceScaleRays(system, du, dh));
  // An object at infinity at 0.1 degree: du is that angle.
  EXPECT_APPROX(std::fabs(du), 0.1 * kPi / 180.0, 1e-9);
  ASSERT_NE(system.info.focalLength, 0.0);
  EXPECT_APPROX(std::fabs(dh), std::fabs(system.info.focalLength * std::tan(du)), kFirstOrder);
}

TEST_F(ScaleRaysTest, BehindAFoldMirrorTheHeightIsTakenOnTheImageSurface) {
  // The scanner's objective of f' = 100 mm behind its 45 degree mirror: 100 tan 0.1 deg.
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("infrared_scanner.os").c_str(), 0), 1);
  double du = 0.0, dh = 0.0;
  ASSERT_TRUE(TraceScaleRays(system, du, dh));
  EXPECT_APPROX(std::fabs(dh), 100.0 * std::tan(0.1 * kPi / 180.0), kFirstOrder);
}

}  // namespace
