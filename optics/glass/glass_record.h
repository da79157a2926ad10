#pragma once
// The fixed records of the two catalog kinds: the 134-byte record of a binary catalog and
// the table record of the private text catalog.

#include <array>
#include <cstdint>

// A binary catalog record, decoded from its 134 little-endian bytes, or from 190 where the
// catalog carries the makers' thermal formula after them (the header names the size):
//   134 double T0 (°C of the thermal data), 142 D0, 150 D1, 158 D2, 166 E0, 174 E1,
//   182 λtk (µm).
struct TBaseGlassRecord {
  static constexpr int kSize = 134;
  static constexpr int kThermalSize = 190;
  static constexpr int kCoefficients = 10;

  std::uint32_t reserved = 0;  // first four bytes; the glass model does not use them
  std::int16_t formula = 0;    // 0 double polynomial, 1 power series, 2 Sellmeier
  double minWavelength = 0.0;  // µm
  double maxWavelength = 0.0;  // µm
  double pole = 0.0;           // c of formula 0, µm²
  std::array<double, kCoefficients> a{};
  float p = 0.0f;      // density, g/cm³
  float alfa0 = 0.0f;  // thermal expansion at 20 °C, 1e-7 per °C
  float alfa1 = 0.0f;  // its change per °C
  float beta0 = 0.0f;  // dn/dT (absolute index) at 20 °C, 1e-7 per °C
  float beta1 = 0.0f;  // its change per µm of wavelength
  float beta2 = 0.0f;  // its change per °C
  // The makers' formula of the absolute index's change from T0 by dT, where given:
  // (n² - 1)/(2n) [D0 dT + D1 dT² + D2 dT³ + (E0 dT + E1 dT²)/(λ² - λtk²)].
  bool hasThermal = false;
  double thermalReferenceC = 20.0;
  double d0 = 0.0, d1 = 0.0, d2 = 0.0, e0 = 0.0, e1 = 0.0, lambdaTk = 0.0;
};

enum : int { kFormulaPolynomial = 0, kFormulaPowerSeries = 1, kFormulaSellmeier = 2 };

// size: the catalog's record size, kSize or kThermalSize (bytes holds that many).
void DecodeBaseGlassRecord(const unsigned char *bytes, TBaseGlassRecord &record,
                           int size = TBaseGlassRecord::kSize);
void EncodeBaseGlassRecord(const TBaseGlassRecord &record, unsigned char *bytes,
                           int size = TBaseGlassRecord::kSize);

// The tables of one glass of the private catalog. Counts never exceed the array sizes.
struct TPrivateGlassRecord {
  static constexpr int kMaxIndices = 100;
  static constexpr int kMaxThicknesses = 5;
  static constexpr int kMaxTransmittanceWavelengths = 100;
  static constexpr int kMaxTemperatures = 10;
  static constexpr int kMaxBetaWavelengths = 10;

  std::int16_t interpolation = 0;  // 0 "hrz", 1 "spl"
  std::int32_t indexCount = 0;
  double indexWavelengths[kMaxIndices] = {};
  double indices[kMaxIndices] = {};
  std::int32_t thicknessCount = 0;
  std::int32_t transmittanceWavelengthCount = 0;
  double thicknesses[kMaxThicknesses] = {};
  double transmittanceWavelengths[kMaxTransmittanceWavelengths] = {};
  double transmittances[kMaxThicknesses][kMaxTransmittanceWavelengths] = {};
  double p = 0.0;
  std::int32_t alfaCount = 0;
  double alfaTemperatures[kMaxTemperatures] = {};
  double alfaValues[kMaxTemperatures] = {};
  std::int32_t betaTemperatureCount = 0;
  std::int32_t betaWavelengthCount = 0;
  double betaTemperatures[kMaxTemperatures] = {};
  double betaWavelengths[kMaxBetaWavelengths] = {};
  double betaValues[kMaxTemperatures][kMaxBetaWavelengths] = {};
};

enum : int { kInterpolationHrz = 0, kInterpolationSpline = 1 };
