// The scanning detector's time response on an 8 x 8 raster of pixel size 0.5 mm (a field
// of 4 mm from -2 to +2).

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/scanner_parameters.h"
#include "imaging/testobject/tests/test_object_support.h"

namespace {

// The filter output is a float of a double recursion over eight samples.
constexpr double kSignalTolerance = 1e-6;
constexpr int kSide = 8;
constexpr double kPixel = 0.5;

class CalcSignal : public TestObjectTest {
 protected:
  void SetUp() override {
    TestObjectTest::SetUp();
    UsePixels(kSide, kPixel);
    SetDetectorParameters(&detector);
    SetScannerParameters(&scanner);
    scanner.Prepared = 1;
  }
  void TearDown() override {
    SetDetectorParameters(nullptr);
    SetScannerParameters(nullptr);
    TestObjectTest::TearDown();
  }
  // Cell (c, r) = 10 r + c: every output names the pixel it was sampled from.
  static Mem<float> Named() {
    Mem<float> raster(kSide, kSide);
    for (int r = 0; r < kSide; ++r)
      for (int c = 0; c < kSide; ++c) raster.data[r * kSide + c] = static_cast<float>(10 * r + c);
    return raster;
  }
  static bool Same(const Mem<float> &a, const Mem<float> &b) {
    for (int k = 0; k < kSide * kSide; ++k)
      if (a.data[k] != b.data[k]) return false;
    return true;
  }
  // A straight sweep along Y from -2 to +2 mm (from +2 to -2 when yStep is -1) in five
  // samples over the scan time, with Z going from zStart to zEnd.
  void StraightTrack(double zStart, double zEnd, double yStep = 1.0) {
    scanner.RealMovement = 1;
    scanner.ScanTime = 1.0;
    scanner.TimeStep = 0.25;
    scanner.TrackY.Allocate(5, 1);
    scanner.TrackZ.Allocate(5, 1);
    for (int i = 0; i < 5; ++i) {
      scanner.TrackY.data[i] = yStep * (i - 2.0);
      scanner.TrackZ.data[i] = zStart + (zEnd - zStart) * i / 4.0;
    }
  }
  TDetectorParameters detector;
  TScannerParameters scanner;
  TTestObject object{nullptr};
};

TEST_F(CalcSignal, NothingHappensWithoutAPreparedScan) {
  scanner.Tau = 1.0f;
  const Mem<float> original = Named();
  Mem<float> raster = Named();
  object.CalcSignal(raster, 1);
  EXPECT_TRUE(Same(raster, original));
  scanner.Prepared = 0;
  object.CalcSignal(raster, 0);
  EXPECT_TRUE(Same(raster, original));
  scanner.Prepared = 1;
  SetDetectorParameters(nullptr);
  object.CalcSignal(raster, 0);
  EXPECT_TRUE(Same(raster, original));
  SetDetectorParameters(&detector);
  SetScannerParameters(nullptr);
  object.CalcSignal(raster, 0);
  EXPECT_TRUE(Same(raster, original));
}

TEST_F(CalcSignal, WithoutRelaxationTheImagePassesUnchanged) {
  Mem<float> raster = Named();
  object.CalcSignal(raster, 0);
  EXPECT_TRUE(Same(raster, Named()));
}

// Each row of cell (c, r) = 10 r + c is a ramp of slope 1 / dt in time from 10 r; the lag
// law gives y = 10 r + c - (T / dt)(1 - exp(-c dt / T)).
// A scan that falls meets column 7 first and the ramp falls under it: the lag lifts it.
void ExpectLaggedRamps(const Mem<float> &raster, double dt, double tau, bool falling = false) {
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      const int crossed = falling ? kSide - 1 - c : c;
      const double expected = 10.0 * r + c + (falling ? 1.0 : -1.0) * tau / dt * (1.0 - std::exp(-crossed * dt / tau));
      EXPECT_APPROX(raster.data[r * kSide + c], expected, kSignalTolerance) << c << ", " << r;
    }
}

TEST_F(CalcSignal, LinearScanLagsEveryRowByTheRelaxationTime) {
  // One pixel every ScanTime / N = 2.0 / 8 = 0.25 s.
  scanner.ScanTime = 2.0;
  scanner.Tau = 0.5f;
  Mem<float> raster = Named();
  object.CalcSignal(raster, 0);
  ExpectLaggedRamps(raster, 0.25, 0.5);
}

TEST_F(CalcSignal, RealScanReadsThePixelsTheTrackReaches) {
  // Y sweeps -2 .. +2 mm in 1 s, so v = 4 mm/s, dt = p / v = 0.125 s, and column c is read
  // at Y = -2 + c / 2: the column itself. Z runs from -0.5 to +0.5 about its middle value
  // 0, shifting the row by Z / p = -1 + c / 4, rounded: -1, -1, 0, 0, 0, 0, +1, +1.
  StraightTrack(-0.5, 0.5);
  Mem<float> raster = Named();
  object.CalcSignal(raster, 0);
  const int shift[kSide] = {-1, -1, 0, 0, 0, 0, 1, 1};
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      int row = r + shift[c];
      row = row < 0 ? 0 : (row > kSide - 1 ? kSide - 1 : row);
      EXPECT_EQ(raster.data[r * kSide + c], static_cast<float>(10 * row + c)) << c << ", " << r;
    }
}

TEST_F(CalcSignal, RealScanAlongAStraightTrackMatchesTheLinearScan) {
  StraightTrack(0.0, 0.0);
  scanner.Tau = 0.2f;
  Mem<float> raster = Named();
  object.CalcSignal(raster, 0);
  ExpectLaggedRamps(raster, 0.125, 0.2);
  StraightTrack(0.0, 0.0, -1.0);
  raster = Named();
  object.CalcSignal(raster, 0);
  ExpectLaggedRamps(raster, 0.125, 0.2, true);
}

TEST_F(CalcSignal, TracksThatCannotBeFollowedAreScannedLinearly) {
  // Empty tables, one sample, a sweep of no length, and no pixel size: each would divide
  // by zero or read past a table; each is scanned linearly instead.
  scanner.Tau = 0.5f;
  scanner.ScanTime = 2.0;
  scanner.RealMovement = 1;
  scanner.TimeStep = 0.25;
  Mem<float> raster = Named();
  object.CalcSignal(raster, 0);
  ExpectLaggedRamps(raster, 0.25, 0.5);

  scanner.TrackY.Allocate(1, 1);
  scanner.TrackZ.Allocate(1, 1);
  scanner.TrackY.data[0] = scanner.TrackZ.data[0] = 0.0;
  raster = Named();
  object.CalcSignal(raster, 0);
  ExpectLaggedRamps(raster, 0.25, 0.5);

  StraightTrack(0.0, 0.0);
  for (int i = 0; i < 5; ++i) scanner.TrackY.data[i] = 1.0;
  scanner.ScanTime = 2.0;
  raster = Named();
  object.CalcSignal(raster, 0);
  ExpectLaggedRamps(raster, 0.25, 0.5);

  StraightTrack(0.0, 0.0);
  scanner.ScanTime = 2.0;
  UsePixels(kSide, 0.0);
  raster = Named();
  object.CalcSignal(raster, 0);
  ExpectLaggedRamps(raster, 0.25, 0.5);
}

TEST_F(CalcSignal, ScanAlongZSwapsTheRolesOfTheTracks) {
  // The same straight sweep, recorded in Z, with Y constant.
  StraightTrack(0.0, 0.0);
  for (int i = 0; i < 5; ++i) {
    scanner.TrackZ.data[i] = -2.0 + i;
    scanner.TrackY.data[i] = 0.75;
  }
  scanner.Yscanning = 0;
  Mem<float> raster = Named();
  object.CalcSignal(raster, 0);
  EXPECT_TRUE(Same(raster, Named()));
}

}  // namespace
