#include "optics/glass/glass_info.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "foundation/testing/approx.h"
#include "optics/glass/tests/glass_test_support.h"

namespace {

constexpr double kCatalogDigits = 5e-7;  // catalog indices are given to 6 decimals
constexpr double kRounding = 1e-12;      // the same value reached by another road
constexpr double kHandWorked = 1e-11;    // values worked out by hand to 12 digits
constexpr double kAbbeDigits = 0.005;    // Abbe numbers are given to 2 decimals

constexpr double kD = 0.5875618;  // helium d line, µm
constexpr double kF = 0.4861327;  // hydrogen F line
constexpr double kC = 0.6562725;  // hydrogen C line

}  // namespace

TEST(GlassInfo, SellmeierCrownGivesItsCatalogIndicesAndAbbeNumber) {
  const TBaseGlassInfo glass(CrownRecord());
  EXPECT_APPROX(glass.IndexAt(kD), 1.516800, kCatalogDigits);
  EXPECT_APPROX(glass.IndexAt(kF), 1.522376, kCatalogDigits);
  EXPECT_APPROX(glass.IndexAt(kC), 1.514322, kCatalogDigits);
  const double waves[3] = {kD, kF, kC};
  double abbe = 0.0, partial = 0.0;
  glass.AbbeAndPartial(3, waves, abbe, partial);
  EXPECT_APPROX(abbe, 64.17, kAbbeDigits);
  // (nF - nd)/(nF - nC) from the three catalog indices above.
  EXPECT_APPROX(partial, (1.522376 - 1.516800) / (1.522376 - 1.514322), 1e-3);
  glass.AbbeAndPartial(2, waves, abbe, partial);
  EXPECT_EQ(abbe, 0.0);
  EXPECT_EQ(partial, 0.0);
}

TEST(GlassInfo, WavelengthInMicrometresNanometresOrMillimetres) {
  const TBaseGlassInfo glass(CrownRecord());
  const double um = glass.IndexAt(0.5875618);
  EXPECT_APPROX(glass.IndexAt(587.5618), um, kRounding);
  EXPECT_APPROX(glass.IndexAt(0.0005875618), um, kRounding);
  // Exactly 100 is micrometres, so it equals 100000 nm and not 0.1 µm.
  EXPECT_APPROX(glass.IndexAt(100.0), glass.IndexAt(100000.0), kRounding);
  EXPECT_GT(std::fabs(glass.IndexAt(100.0) - glass.IndexAt(0.1)), 0.01);
  EXPECT_APPROX(NormalizeWavelength(0.02), 0.02, kRounding);
  EXPECT_APPROX(NormalizeWavelength(0.0199), 19.9, kRounding);
  EXPECT_APPROX(NormalizeWavelength(100.5), 0.1005, kRounding);
}

TEST(GlassInfo, OutsideTheRangeTheIndexIsComputedAndReported) {
  const TBaseGlassInfo glass(CrownRecord());
  const double waves[2] = {0.25, kD};
  double n[2] = {-7.0, -7.0};
  EXPECT_EQ(glass.Index(2, waves, n), kGlassOutOfRange);
  // Sellmeier at 0.25 µm, worked out by hand.
  EXPECT_APPROX(n[0], 1.578110347, 1e-9);
  EXPECT_APPROX(n[1], 1.516800035, 1e-9);
  EXPECT_FALSE(glass.InRange(0.25));
  EXPECT_TRUE(glass.InRange(kD));
  EXPECT_TRUE(glass.InRange(2500.0));  // nm, the upper limit itself
  EXPECT_APPROX(glass.IndexAt(0.25), 1.578110347, 1e-9);
}

TEST(GlassInfo, PowerSeriesWithNegativeSquareStopsTheComputation) {
  TBaseGlassRecord r;
  r.formula = kFormulaPowerSeries;
  r.minWavelength = 0.1;
  r.maxWavelength = 5.0;
  r.a[0] = 1.0;
  r.a[2] = -0.5;  // n² = 1 - 0.5/λ² is negative below 0.707 µm
  const TBaseGlassInfo glass(r);
  const double waves[3] = {1.0, 0.5, 2.0};
  double n[3] = {-7.0, -7.0, -7.0};
  EXPECT_EQ(glass.Index(3, waves, n), kGlassOutOfRange);
  EXPECT_APPROX(n[0], std::sqrt(0.5), kRounding);
  EXPECT_EQ(n[1], 0.0);
  EXPECT_EQ(n[2], 0.0);  // never computed, never left as garbage
  EXPECT_EQ(glass.IndexAt(0.5), 0.0);
}

TEST(GlassInfo, PowerSeriesTermsByHand) {
  TBaseGlassRecord r;
  r.formula = kFormulaPowerSeries;
  r.minWavelength = 0.4;
  r.maxWavelength = 2.0;
  r.a[0] = 2.0;
  r.a[1] = -0.01;
  r.a[2] = 0.02;
  r.a[9] = 1e-4;
  const TBaseGlassInfo glass(r);
  // λ = 0.5: λ² = 0.25, λ⁻² = 4, λ⁻¹⁶ = 65536.
  EXPECT_APPROX(glass.IndexAt(0.5), std::sqrt(2.0 - 0.0025 + 0.08 + 6.5536), kHandWorked);
}

TEST(GlassInfo, DoublePolynomialByHand) {
  TBaseGlassRecord r;
  r.formula = kFormulaPolynomial;
  r.minWavelength = 0.5;
  r.maxWavelength = 1.0;
  r.pole = 0.0;
  r.a[0] = 1.5;
  r.a[2] = 0.01;   // x
  r.a[1] = 0.02;   // y
  r.a[3] = 0.001;  // y²
  r.a[4] = 0.003;  // x²
  const TBaseGlassInfo glass(r);
  // The range ends map to x = -1, y = +1 (0.5 µm) and x = +1, y = -1 (1.0 µm).
  EXPECT_APPROX(glass.IndexAt(0.5), 1.5 - 0.01 + 0.02 + 0.001 + 0.003, kHandWorked);
  EXPECT_APPROX(glass.IndexAt(1.0), 1.5 + 0.01 - 0.02 + 0.001 + 0.003, kHandWorked);
  // Middle of λ²: λ² = 0.625, x = 0; 1/λ² = 1.6, y = (1.6 - 2.5)/1.5 = -0.6.
  EXPECT_APPROX(glass.IndexAt(std::sqrt(0.625)), 1.5 - 0.012 + 0.00036, kHandWorked);
}

TEST(GlassInfo, DoublePolynomialHigherTermsEachByHand) {
  TBaseGlassRecord r;
  r.formula = kFormulaPolynomial;
  r.minWavelength = 0.5;
  r.maxWavelength = 1.0;
  r.pole = 0.0;
  r.a[0] = 1.5;
  // At λ² = 0.8: x = (0.8 - 0.625) / 0.375 = 7/15; y = (1.25 - 2.5) / 1.5 = -5/6. All their
  // powers differ, so two coefficients swapped cannot give the same index.
  const double x = 7.0 / 15.0;
  const double y = -5.0 / 6.0;
  const double lambda = std::sqrt(0.8);
  const struct {
    int k;
    double term;
  } terms[] = {{5, y * y * y},
               {6, x * x * x},
               {7, y * y * y * y},
               {8, x * x * x * x},
               {9, y * y * y * y * y}};
  for (const auto &t : terms) {
    SCOPED_TRACE("A" + std::to_string(t.k));
    TBaseGlassRecord one = r;
    one.a[t.k] = 0.01;
    EXPECT_APPROX(TBaseGlassInfo(one).IndexAt(lambda), 1.5 + 0.01 * t.term, kHandWorked);
  }
  // All five together, each with its own weight.
  for (int k = 5; k <= 9; ++k) r.a[k] = 0.001 * (k - 4);
  double expected = 1.5;
  for (const auto &t : terms) expected += 0.001 * (t.k - 4) * t.term;
  EXPECT_APPROX(TBaseGlassInfo(r).IndexAt(lambda), expected, kHandWorked);
}

TEST(GlassInfo, UnknownFormulaComputesNothing) {
  TBaseGlassRecord r = CrownRecord();
  r.formula = 7;
  r.beta0 = 20.0f;
  const TBaseGlassInfo glass(r);
  double n = -7.0;
  const double wave = kD;
  EXPECT_EQ(glass.Index(1, &wave, &n), kGlassBadFormula);
  EXPECT_EQ(n, 0.0);
  EXPECT_EQ(glass.IndexAt(kD), 0.0);
  EXPECT_EQ(glass.IndexInAirAt(kD, 40.0, 760.0), 0.0);
}

TEST(GlassInfo, NonFiniteWavelengthsGiveNoIndex) {
  TBaseGlassRecord r = CrownRecord();
  r.beta0 = 20.0f;
  const TBaseGlassInfo glass(r);
  const double waves[3] = {std::nan(""), HUGE_VAL, kD};
  double n[3] = {-7.0, -7.0, -7.0};
  EXPECT_EQ(glass.Index(3, waves, n), kGlassOutOfRange);
  EXPECT_EQ(n[0], 0.0);
  EXPECT_EQ(n[1], 0.0);
  EXPECT_EQ(glass.IndexInAir(3, waves, 30.0, 760.0, n), kGlassOutOfRange);
  EXPECT_EQ(n[0], 0.0);
  TPrivateGlassRecord table;
  table.indexCount = 4;
  for (int i = 0; i < 4; ++i) {
    table.indexWavelengths[i] = 0.4 + 0.1 * i;
    table.indices[i] = 1.6 - 0.01 * i;
  }
  for (const int kind : {kInterpolationHrz, kInterpolationSpline}) {
    table.interpolation = static_cast<std::int16_t>(kind);
    EXPECT_EQ(TPrivateGlassInfo(table).IndexAt(std::nan("")), 0.0);
  }
}

TEST(GlassInfo, PoleInsideTheFormulaGivesNoGarbage) {
  TBaseGlassRecord r = CrownRecord();
  r.a[1] = 0.25;  // pole at 0.5 µm
  const TBaseGlassInfo glass(r);
  const double wave = 0.5;
  double n = -7.0;
  EXPECT_EQ(glass.Index(1, &wave, &n), kGlassOutOfRange);
  EXPECT_EQ(n, 0.0);
}

TEST(GlassInfo, IndexInAirAtTheReferenceStateIsTheCatalogIndex) {
  TBaseGlassRecord r = CrownRecord();
  r.beta0 = 20.0f;
  const TBaseGlassInfo glass(r);
  EXPECT_APPROX(glass.IndexInAirAt(kD, 20.0, 760.0), glass.IndexAt(kD), kRounding);
  EXPECT_APPROX(glass.IndexInAirAt(1.0, 20.0, 760.0), glass.IndexAt(1.0), kRounding);
}

TEST(GlassInfo, IndexInAirFollowsTemperatureAndPressure) {
  TBaseGlassRecord r = CrownRecord();
  r.beta0 = 20.0f;  // dn/dT = 2e-6 per °C
  const TBaseGlassInfo glass(r);
  // Worked out by hand from Edlén's standard air (n_s - 1 = 2.771622e-4 at the d line),
  // the air at T and P and the reference air at 20 °C, 760 mm.
  EXPECT_APPROX(glass.IndexInAirAt(kD, 40.0, 760.0), 1.516866500053, kHandWorked);
  EXPECT_APPROX(glass.IndexInAirAt(kD, 20.0, 500.0), 1.516941420494, kHandWorked);
  EXPECT_APPROX(glass.IndexInAirAt(kD, -10.0, 760.0), 1.516692795553, kHandWorked);
  EXPECT_APPROX(StandardAirIndex(kD) - 1.0, 2.771622e-4, 1e-10);
  const double waves[2] = {kD, kD};
  double n[2];
  EXPECT_EQ(glass.IndexInAir(2, waves, 40.0, 760.0, n), kGlassOk);
  EXPECT_APPROX(n[1], 1.516866500053, kHandWorked);
}

TEST(GlassInfo, WithoutThermalDataTheCatalogIndexIsNegated) {
  const TBaseGlassInfo glass(CrownRecord());
  const double waves[2] = {kD, kF};
  double n[2];
  EXPECT_EQ(glass.IndexInAir(2, waves, 40.0, 600.0, n), kGlassNoTemperature);
  EXPECT_APPROX(n[0], -glass.IndexAt(kD), kRounding);
  EXPECT_APPROX(n[1], -glass.IndexAt(kF), kRounding);
  EXPECT_APPROX(glass.IndexInAirAt(kD, 40.0, 600.0), glass.IndexAt(kD), kRounding);
}

TEST(GlassInfo, AbsurdAirConditionsLeaveFiniteValues) {
  TBaseGlassRecord r = CrownRecord();
  r.beta0 = 20.0f;
  const TBaseGlassInfo glass(r);
  const double wave = kD;
  double n = 0.0;
  glass.IndexInAir(1, &wave, -1.0 / 0.003661, 760.0, &n);  // the air formula's pole
  EXPECT_TRUE(std::isfinite(n));
  // Far-ultraviolet wavelengths stay clear of the air formula's poles.
  EXPECT_TRUE(std::isfinite(StandardAirIndex(0.156)));
  EXPECT_GT(StandardAirIndex(0.1), 1.0);
}

TEST(GlassInfo, ThermalCoefficientsAreReferredTo20Degrees) {
  TBaseGlassRecord r = CrownRecord();
  r.alfa0 = 71.0f;
  r.alfa1 = 0.5f;
  r.beta0 = 20.0f;
  r.beta1 = -4.0f;
  r.beta2 = 0.25f;
  const TBaseGlassInfo glass(r);
  EXPECT_APPROX(glass.Alfa(30.0), 76.0, kRounding);
  EXPECT_APPROX(glass.MeanAlfa(10.0, 30.0), 71.0, kRounding);
  EXPECT_APPROX(glass.Beta(24.0, 0.5), 20.0 - 2.0 + 1.0, kRounding);
  EXPECT_APPROX(glass.Beta(24.0, 500.0), 19.0, kRounding);  // nm
  EXPECT_APPROX(glass.MeanBeta(16.0, 24.0, 0.5), 18.0, kRounding);
  EXPECT_APPROX(glass.GetP(), 2.51, 1e-6);
  EXPECT_EQ(glass.Transmittance(10.0, 0, nullptr, nullptr), kGlassNoTransmittance);
  EXPECT_EQ(glass.TransmittanceAt(10.0, kD), 0.0);
}

TEST(GlassRecord, EncodesTheFileLayout) {
  TBaseGlassRecord r = CrownRecord();
  r.reserved = 0x01020304u;
  r.beta2 = -1.5f;
  unsigned char bytes[TBaseGlassRecord::kSize];
  EncodeBaseGlassRecord(r, bytes);
  EXPECT_EQ(bytes[0], 0x04);
  EXPECT_EQ(bytes[4], kFormulaSellmeier);
  EXPECT_EQ(bytes[5], 0);
  double minimum = 0.0;
  std::memcpy(&minimum, bytes + 6, 8);  // the build machine is little-endian
  EXPECT_EQ(minimum, 0.3);
  double b1 = 0.0;
  std::memcpy(&b1, bytes + 30, 8);
  EXPECT_EQ(b1, 1.03961212);
  float last = 0.0f;
  std::memcpy(&last, bytes + 130, 4);
  EXPECT_EQ(last, -1.5f);
  TBaseGlassRecord back;
  DecodeBaseGlassRecord(bytes, back);
  EXPECT_EQ(back.reserved, r.reserved);
  EXPECT_EQ(back.a, r.a);
  EXPECT_EQ(back.maxWavelength, r.maxWavelength);
  EXPECT_EQ(back.p, r.p);
}
