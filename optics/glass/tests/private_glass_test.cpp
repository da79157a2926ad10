#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "foundation/testing/approx.h"
#include "optics/glass/glass_info.h"

namespace {

constexpr double kExactFit = 1e-10;  // an interpolant reproducing its own kind of curve
constexpr double kHandWorked = 1e-12;

TPrivateGlassRecord Table(std::initializer_list<double> waves, std::initializer_list<double> n,
                          int interpolation = kInterpolationHrz) {
  TPrivateGlassRecord r;
  r.interpolation = static_cast<std::int16_t>(interpolation);
  int i = 0;
  for (const double w : waves) r.indexWavelengths[i++] = w;
  r.indexCount = i;
  i = 0;
  for (const double v : n) r.indices[i++] = v;
  return r;
}

}  // namespace

TEST(PrivateGlass, TableWavelengthGivesItsValueExactly) {
  for (const int kind : {kInterpolationHrz, kInterpolationSpline}) {
    const TPrivateGlassInfo glass(
        Table({0.4, 0.5, 0.6, 0.7, 0.8}, {1.53, 1.52, 1.515, 1.512, 1.5101}, kind));
    EXPECT_EQ(glass.IndexAt(0.6), 1.515);
    EXPECT_EQ(glass.IndexAt(800.0), 1.5101);  // nm
  }
}

TEST(PrivateGlass, TwoPointsExtrapolateOnTheirLine) {
  const TPrivateGlassInfo glass(Table({0.5, 0.6}, {1.52, 1.51}));
  EXPECT_APPROX(glass.IndexAt(0.55), 1.515, kHandWorked);
  EXPECT_APPROX(glass.IndexAt(0.8), 1.49, kHandWorked);
  EXPECT_APPROX(glass.IndexAt(0.3), 1.54, kHandWorked);
  EXPECT_APPROX(glass.MinWavelength(), 0.5, kHandWorked);
  EXPECT_APPROX(glass.MaxWavelength(), 0.6, kHandWorked);
}

TEST(PrivateGlass, OnePointAndRepeatedWavelengths) {
  const TPrivateGlassInfo single(Table({0.5}, {1.6}));
  EXPECT_EQ(single.IndexAt(0.9), 1.6);
  EXPECT_EQ(single.MinWavelength(), 0.5);
  EXPECT_EQ(single.MaxWavelength(), 0.5);
  // The repeated 0.5 keeps its first value; two distinct points remain.
  const TPrivateGlassInfo repeated(Table({0.5, 0.5, 0.6}, {1.52, 1.9, 1.51}));
  EXPECT_APPROX(repeated.IndexAt(0.55), 1.515, kHandWorked);
}

TEST(PrivateGlass, ThreePointsFollowTheCurveThroughThem) {
  // n = 1.5 + 0.01/(λ - 0.1) at 0.4, 0.6 and 0.8 µm.
  const auto n = [](double l) { return 1.5 + 0.01 / (l - 0.1); };
  const TPrivateGlassInfo glass(Table({0.8, 0.4, 0.6}, {n(0.8), n(0.4), n(0.6)}));
  EXPECT_APPROX(glass.IndexAt(0.5), 1.525, kExactFit);
  EXPECT_APPROX(glass.IndexAt(1.1), 1.51, kExactFit);
  // Equal indices: the nearest point's value.
  const TPrivateGlassInfo flat(Table({0.4, 0.6, 0.8}, {1.5, 1.5, 1.5}));
  EXPECT_EQ(flat.IndexAt(0.45), 1.5);
}

TEST(PrivateGlass, FourNearestPointsReproduceTheHerzbergerForm) {
  // n = C0 + C1 X + C2/(X - 0.028) + C3/(X - 0.028)², X the squared wavelength in nm.
  const auto n = [](double l) {
    const double x = 1e6 * l * l;
    return 1.5 + 1e-9 * x + 3000.0 / (x - 0.028) + 1e8 / ((x - 0.028) * (x - 0.028));
  };
  const TPrivateGlassInfo glass(
      Table({0.4, 0.5, 0.6, 0.7, 0.9, 1.2}, {n(0.4), n(0.5), n(0.6), n(0.7), n(0.9), n(1.2)}));
  EXPECT_APPROX(glass.IndexAt(0.55), n(0.55), kExactFit);
  EXPECT_APPROX(glass.IndexAt(0.45), n(0.45), kExactFit);
  EXPECT_APPROX(glass.IndexAt(1.0), n(1.0), kExactFit);
}

TEST(PrivateGlass, NaturalSplineByHand) {
  // Knots (1,0) (2,1) (3,0) (4,1): second derivatives 0, -4, 4, 0.
  const TPrivateGlassInfo glass(Table({1, 2, 3, 4}, {0, 1, 0, 1}, kInterpolationSpline));
  EXPECT_APPROX(glass.IndexAt(1.5), 0.75, kHandWorked);
  EXPECT_APPROX(glass.IndexAt(3.5), 0.25, kHandWorked);
  // Beyond the ends, straight lines with the end slopes 1 + 4/6.
  EXPECT_APPROX(glass.IndexAt(0.5), -0.5 * (1.0 + 4.0 / 6.0), kHandWorked);
  EXPECT_APPROX(glass.IndexAt(4.5), 1.0 + 0.5 * (1.0 + 4.0 / 6.0), kHandWorked);
  // A straight table stays straight.
  const TPrivateGlassInfo line(
      Table({0.4, 0.5, 0.6, 0.7}, {1.54, 1.53, 1.52, 1.51}, kInterpolationSpline));
  EXPECT_APPROX(line.IndexAt(0.65), 1.515, kHandWorked);
  EXPECT_APPROX(line.IndexAt(0.9), 1.49, kHandWorked);
}

TEST(PrivateGlass, DensityIsStoredOrEstimatedFromTheIndex) {
  TPrivateGlassRecord r = Table({0.5893}, {1.5});
  r.p = 2.7;
  EXPECT_EQ(TPrivateGlassInfo(r).GetP(), 2.7);
  r.p = 0.0;
  // Worked out by hand for nD = 1.5: v = 6.152109, P = √v.
  EXPECT_APPROX(TPrivateGlassInfo(r).GetP(), 2.480344532519625, 1e-12);
  EXPECT_EQ(TPrivateGlassInfo(Table({0.5893}, {1.0})).GetP(), 1.0);
  EXPECT_EQ(TPrivateGlassInfo(TPrivateGlassRecord{}).GetP(), 0.0);
}

TEST(PrivateGlass, NoTemperatureDataAndNoTransmittance) {
  const TPrivateGlassInfo glass(Table({0.5, 0.6}, {1.52, 1.51}));
  const double waves[2] = {0.5, 0.6};
  double n[2];
  EXPECT_EQ(glass.IndexInAir(2, waves, 35.0, 700.0, n), kGlassNoTemperature);
  EXPECT_EQ(n[0], -1.52);
  EXPECT_EQ(glass.IndexInAirAt(0.6, 35.0, 700.0), 1.51);
  EXPECT_EQ(glass.TransmittanceAt(10.0, 0.5), 0.0);
  EXPECT_EQ(glass.Alfa(30.0), 0.0);
  EXPECT_EQ(glass.MeanBeta(10.0, 30.0, 0.5), 0.0);
}

TEST(PrivateGlass, EmptyTableGivesNoIndex) {
  const TPrivateGlassInfo glass{TPrivateGlassRecord{}};
  const double wave = 0.5;
  double n = -7.0;
  EXPECT_EQ(glass.Index(1, &wave, &n), kGlassOutOfRange);
  EXPECT_EQ(n, 0.0);
}
