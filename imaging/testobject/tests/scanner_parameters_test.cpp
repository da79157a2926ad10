#include "imaging/testobject/scanner_parameters.h"

#include <gtest/gtest.h>

#include "foundation/testing/approx.h"
#include "imaging/testobject/detector_parameters.h"

namespace {

// Linear interpolation of short decimal tables: a few roundings.
constexpr double kInterpolationTolerance = 1e-12;

// Y = 10 t, Z = 100 - t on samples 0.5 s apart: t = 0, 0.5, 1.0, 1.5.
TScannerParameters FourSamples() {
  TScannerParameters scanner;
  scanner.TimeStep = 0.5;
  scanner.TrackY.Allocate(4, 1);
  scanner.TrackZ.Allocate(4, 1);
  for (int i = 0; i < 4; ++i) {
    scanner.TrackY.data[i] = 10.0 * (0.5 * i);
    scanner.TrackZ.data[i] = 100.0 - 0.5 * i;
  }
  return scanner;
}

TEST(ScannerParameters, NewRecordsHoldTheirDefaults) {
  const TScannerParameters scanner;
  EXPECT_EQ(scanner.ScanTime, 1.0);
  EXPECT_EQ(scanner.Yscanning, 1);
  EXPECT_EQ(scanner.RealMovement, 0);
  EXPECT_EQ(scanner.Prepared, 0);
  EXPECT_EQ(scanner.TrackLength(), 0);
  const TDetectorParameters detector;
  EXPECT_EQ(detector.detectorType, kDetectorNone);
  EXPECT_EQ(detector.noiseLevel, 0.0f);
}

TEST(ScannerParameters, ValueAtFollowsTheTrack) {
  const TScannerParameters scanner = FourSamples();
  // Inside: the lines through the samples.
  for (const double t : {0.0, 0.2, 0.5, 1.3, 1.49}) {
    const TScanPosition at = scanner.ValueAt(t);
    EXPECT_APPROX(at.y, 10.0 * t, kInterpolationTolerance) << t;
    EXPECT_APPROX(at.z, 100.0 - t, kInterpolationTolerance) << t;
  }
  // Between -TimeStep and 0 the first two samples extrapolate back.
  const TScanPosition early = scanner.ValueAt(-0.25);
  EXPECT_APPROX(early.y, -2.5, kInterpolationTolerance);
  EXPECT_APPROX(early.z, 100.25, kInterpolationTolerance);
  // At or before -TimeStep the first sample, from the last sample on the last.
  EXPECT_EQ(scanner.ValueAt(-0.5).y, 0.0);
  EXPECT_EQ(scanner.ValueAt(-3.0).z, 100.0);
  EXPECT_EQ(scanner.ValueAt(1.5).y, 15.0);
  EXPECT_EQ(scanner.ValueAt(40.0).z, 98.5);
}

TEST(ScannerParameters, ValueAtOfDegenerateTracksDividesByNothing) {
  TScannerParameters empty;
  empty.TimeStep = 0.5;
  EXPECT_EQ(empty.ValueAt(0.3).y, 0.0);

  TScannerParameters noStep = FourSamples();
  noStep.TimeStep = 0.0;
  EXPECT_EQ(noStep.ValueAt(0.7).y, 0.0);
  EXPECT_EQ(noStep.ValueAt(0.7).z, 100.0);

  TScannerParameters single = FourSamples();
  single.TrackY.Resize(1, 1);
  EXPECT_EQ(single.TrackLength(), 1);
  EXPECT_EQ(single.ValueAt(-0.2).y, 0.0);
  EXPECT_EQ(single.ValueAt(0.7).z, 100.0);
}

}  // namespace
