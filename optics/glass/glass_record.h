#pragma once
// The fixed records of the two catalog kinds: the 134-byte record of a binary catalog and
// the table record of the private text catalog.

#include <array>
#include <cstdint>

// A binary catalog record, decoded from its 134 little-endian bytes.
struct TBaseGlassRecord {
  static constexpr int kSize = 134;
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
};

enum : int { kFormulaPolynomial = 0, kFormulaPowerSeries = 1, kFormulaSellmeier = 2 };

void DecodeBaseGlassRecord(const unsigned char *bytes, TBaseGlassRecord &record);
void EncodeBaseGlassRecord(const TBaseGlassRecord &record, unsigned char *bytes);

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
