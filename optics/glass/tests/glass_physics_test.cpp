// Glass models against published refractive indices: the dispersion formulas are fed the
// coefficients that makers and papers publish, and must give the indices those sources
// tabulate. The air terms are checked against the known index of air.

#include <gtest/gtest.h>

#include <array>

#include "foundation/testing/approx.h"
#include "optics/glass/glass_info.h"

namespace {

constexpr double kFiveDecimals = 1e-5;   // tabulated to five decimals
constexpr double kFourDecimals = 1e-4;   // crystal data, tabulated to four decimals
constexpr double kAirDigits = 1.5e-6;    // index of air, tabulated to about 1e-6
constexpr double kStandardState = 1e-9;  // n - 1 of air reproduced to a few parts in 1e6

constexpr double kD = 0.5875618;  // helium d line, µm
constexpr double kF = 0.4861327;  // hydrogen F line
constexpr double kC = 0.6562725;  // hydrogen C line

// A record of the Sellmeier form n² = 1 + Σ B λ²/(λ² − C), with (B, C) pairs as published.
TBaseGlassRecord Sellmeier(const std::array<double, 6> &bc, double minUm, double maxUm) {
  TBaseGlassRecord r;
  r.formula = kFormulaSellmeier;
  r.minWavelength = minUm;
  r.maxWavelength = maxUm;
  for (int i = 0; i < 6; ++i) r.a[i] = bc[i];
  r.beta0 = 1.0f;  // any thermal data, so that the air terms apply
  return r;
}

double Squared(double v) { return v * v; }

TEST(GlassPhysics, DenseFlintF2FromItsMakersSellmeierCoefficients) {
  const TBaseGlassInfo f2(Sellmeier(
      {1.34533359, 0.00997743871, 0.209073176, 0.0470450767, 0.937357162, 111.886764}, 0.32,
      2.5));
  // Maker's table: nd 1.62004, nF 1.63208, nC 1.61503, Abbe number 36.37.
  EXPECT_APPROX(f2.IndexAt(kD), 1.62004, kFiveDecimals);
  EXPECT_APPROX(f2.IndexAt(kF), 1.63208, kFiveDecimals);
  EXPECT_APPROX(f2.IndexAt(kC), 1.61503, kFiveDecimals);
  const double waves[3] = {kD, kF, kC};
  double abbe = 0.0, partial = 0.0;
  f2.AbbeAndPartial(3, waves, abbe, partial);
  EXPECT_APPROX(abbe, 36.37, 0.01);
}

TEST(GlassPhysics, FusedSilicaAndCalciumFluorideFromMalitson) {
  const TBaseGlassInfo silica(Sellmeier({0.6961663, Squared(0.0684043), 0.4079426,
                                         Squared(0.1162414), 0.8974794, Squared(9.896161)},
                                        0.21, 3.71));
  EXPECT_APPROX(silica.IndexAt(kD), 1.45846, kFiveDecimals);
  EXPECT_APPROX(silica.IndexAt(1.55), 1.44402, kFiveDecimals);
  // Nanometres select the same index.
  EXPECT_APPROX(silica.IndexAt(1550.0), 1.44402, kFiveDecimals);

  const TBaseGlassInfo caf2(Sellmeier({0.5675888, Squared(0.050263605), 0.4710914,
                                       Squared(0.1003909), 3.8484723, Squared(34.649040)},
                                      0.23, 9.7));
  EXPECT_APPROX(caf2.IndexAt(kD), 1.43385, kFiveDecimals);
}

// Infrared crystals: germanium's form has a constant term (a Sellmeier term with a pole at
// 0 µm), zinc selenide and silicon the plain three-term form.
TEST(GlassPhysics, InfraredCrystalsAtTheirWorkingWavelengths) {
  const TBaseGlassInfo ge(Sellmeier({8.28156, 0.0, 6.72880, 0.44105, 0.21307, 3870.1}, 2.5, 12.0));
  EXPECT_APPROX(ge.IndexAt(10.6), 4.0038, kFourDecimals);

  const TBaseGlassInfo znse(Sellmeier({4.45813734, Squared(0.200859853), 0.467216334,
                                       Squared(0.391371166), 2.89566290, Squared(47.1362108)},
                                      0.54, 18.2));
  EXPECT_APPROX(znse.IndexAt(10.6), 2.4028, kFourDecimals);

  const TBaseGlassInfo si(Sellmeier({10.6684293, Squared(0.301516485), 0.0030434748,
                                     Squared(1.13475115), 1.54133408, Squared(1104.0)},
                                    1.36, 11.0));
  EXPECT_APPROX(si.IndexAt(10.0), 3.4178, kFourDecimals);
}

// The maker's older power-series form of the same borosilicate crown: A0 + A1 λ² + A2 λ⁻²
// + A3 λ⁻⁴ + A4 λ⁻⁶ + A5 λ⁻⁸.
TEST(GlassPhysics, PowerSeriesOfTheBorosilicateCrown) {
  TBaseGlassRecord r;
  r.formula = kFormulaPowerSeries;
  r.minWavelength = 0.36;
  r.maxWavelength = 1.06;
  r.a = {2.2718929, -1.0108077e-2, 1.0592509e-2, 2.0816965e-4, -7.6472538e-6, 4.9240991e-7,
         0.0,       0.0,           0.0,          0.0};
  const TBaseGlassInfo crown(r);
  EXPECT_APPROX(crown.IndexAt(kD), 1.51680, kFiveDecimals);
  EXPECT_APPROX(crown.IndexAt(kF), 1.52238, kFiveDecimals);
  EXPECT_APPROX(crown.IndexAt(kC), 1.51432, kFiveDecimals);
}

// Standard air (15 °C, 760 mm) has n − 1 = 2.7714e-4 at the sodium line; at 20 °C and 760 mm
// it is 2.7239e-4. A glass taken into vacuum (pressure 0) at 20 °C therefore has its catalog
// index times the index of that air; in air of 15 °C it loses the difference of the two.
TEST(GlassPhysics, AirIndexAndTheGlassIndexInVacuum) {
  const double sodium = 0.5893;
  const double standard = StandardAirIndex(sodium);
  EXPECT_APPROX(standard, 1.00027714, kAirDigits);
  // The temperature and pressure formula is referred to standard air (its constants are
  // rounded, hence the small tolerance).
  EXPECT_APPROX(AirIndex(standard, 15.0, 760.0), standard, kStandardState);
  EXPECT_APPROX(AirIndex(standard, 20.0, 760.0), 1.00027239, kAirDigits);
  EXPECT_EQ(AirIndex(standard, 20.0, 0.0), 1.0);

  TBaseGlassRecord r = Sellmeier({1.03961212, 0.00600069867, 0.231792344, 0.0200179144,
                                  1.01046945, 103.560653},
                                 0.3, 2.5);
  const TBaseGlassInfo crown(r);
  const double catalog = crown.IndexAt(sodium);
  EXPECT_APPROX(crown.IndexInAirAt(sodium, 20.0, 0.0), catalog * 1.00027239, kAirDigits);
  // In standard air (15 °C) the absolute index, moved by dn/dT = 1e-7 per °C over -5 °C, is
  // divided by the denser air's index.
  EXPECT_APPROX(crown.IndexInAirAt(sodium, 15.0, 760.0),
                (catalog * 1.00027239 - 5.0e-7) / 1.00027714, kAirDigits);
}

}  // namespace
