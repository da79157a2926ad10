#include "optics/glass/glass_info.h"

#include <cmath>

namespace {

constexpr double kReferenceTemperatureC = 20.0;
constexpr double kReferencePressureMmHg = 760.0;
constexpr double kNoBeta = 1e-14;
// Temperatures closer than this (°C) to 20 °C take the slope there rather than a quotient.
constexpr double kSameTemperature = 1e-6;
constexpr double kNoDispersion = 1e-5;

// Formula 0: polynomials in a normalised λ² (x) and in a normalised 1/(λ² - c) (y), both
// spanning [-1, 1] over the glass's range.
bool DoublePolynomial(const TBaseGlassRecord &r, double lambda, double &n) {
  const double a = r.minWavelength * r.minWavelength;
  const double b = r.maxWavelength * r.maxWavelength;
  const double c = r.pole;
  const double u1 = 1.0 / (b - c);
  const double u2 = 1.0 / (a - c);
  const double x = (lambda * lambda - (a + b) / 2.0) / ((b - a) / 2.0);
  const double y = (1.0 / (lambda * lambda - c) - (u1 + u2) / 2.0) / ((u2 - u1) / 2.0);
  const auto &A = r.a;
  const double px = (((A[8] * x + A[6]) * x + A[4]) * x + A[2]) * x + A[0];
  const double py = ((((A[9] * y + A[7]) * y + A[5]) * y + A[3]) * y + A[1]) * y;
  n = px + py;
  return std::isfinite(n) && n > 0.0;
}

// Formula 1: n² = A0 + A1 λ² + A2 λ⁻² + A3 λ⁻⁴ + ... + A9 λ⁻¹⁶.
bool PowerSeries(const TBaseGlassRecord &r, double lambda, double &n) {
  const double l2 = lambda * lambda;
  const double inverse = 1.0 / l2;
  double series = 0.0;
  for (int i = 9; i >= 2; --i) series = (series + r.a[i]) * inverse;
  const double n2 = r.a[0] + r.a[1] * l2 + series;
  if (!std::isfinite(n2) || n2 <= 0.0) return false;
  n = std::sqrt(n2);
  return true;
}

// Formula 2: n² = 1 + Σ B λ²/(λ² - C) with (B, C) = (A0, A1) ... (A8, A9).
bool Sellmeier(const TBaseGlassRecord &r, double lambda, double &n) {
  const double l2 = lambda * lambda;
  double n2 = 1.0;
  for (int i = 0; i < 10; i += 2) {
    if (r.a[i] != 0.0) n2 += r.a[i] * l2 / (l2 - r.a[i + 1]);
  }
  if (!std::isfinite(n2) || n2 <= 0.0) return false;
  n = std::sqrt(n2);
  return true;
}

}  // namespace

double NormalizeWavelength(double wavelength) {
  if (wavelength < 0.02) return wavelength * 1000.0;
  if (wavelength <= 100.0) return wavelength;
  return wavelength * 0.001;
}

bool EvaluateGlassFormula(const TBaseGlassRecord &record, double wavelengthUm, double &index) {
  if (!std::isfinite(wavelengthUm)) return false;
  switch (record.formula) {
    case kFormulaPolynomial:
      return DoublePolynomial(record, wavelengthUm, index);
    case kFormulaPowerSeries:
      return PowerSeries(record, wavelengthUm, index);
    case kFormulaSellmeier:
      return Sellmeier(record, wavelengthUm, index);
    default:
      return false;
  }
}

bool TGlassInfo::InRange(double wavelength) const {
  const double lambda = NormalizeWavelength(wavelength);
  return lambda >= MinWavelength() && lambda <= MaxWavelength();
}

void TGlassInfo::AbbeAndPartial(int count, const double *wavelengths, double &abbe,
                                double &partial) const {
  abbe = partial = 0.0;
  if (count < 3 || wavelengths == nullptr) return;
  const double n0 = IndexAt(wavelengths[0]);
  const double n1 = IndexAt(wavelengths[1]);
  const double n2 = IndexAt(wavelengths[2]);
  const double d = n1 - n2;
  if (std::fabs(d) < kNoDispersion) return;
  abbe = (n0 - 1.0) / d;
  partial = std::fabs(n1 - n0) / d;
}

double TGlassInfo::IndexAt(double wavelength) const {
  double n = 0.0;
  const int status = Index(1, &wavelength, &n);
  // Outside the range the formula's value still stands; only an index that could not be
  // computed reads as 0.
  if (status == kGlassOk || status == kGlassOutOfRange) return n;
  return 0.0;
}

double TGlassInfo::TransmittanceAt(double thickness, double wavelength) const {
  double value = 0.0;
  return Transmittance(thickness, 1, &wavelength, &value) == kGlassOk ? value : 0.0;
}

double TGlassInfo::IndexInAirAt(double wavelength, double temperatureC, double pressureMmHg) const {
  double n = 0.0;
  const int status = IndexInAir(1, &wavelength, temperatureC, pressureMmHg, &n);
  return status == kGlassOk ? n : -n;
}

int TGlassInfo::IndexInAir(int count, const double *wavelengths, double temperatureC,
                           double pressureMmHg, double *indices) const {
  if (count <= 0 || wavelengths == nullptr || indices == nullptr) return kGlassOk;
  int status = Index(count, wavelengths, indices);
  const double referenceScale =
      kReferencePressureMmHg *
      (1.0 + (1.049 - 0.0157 * kReferenceTemperatureC) * 1e-6 * kReferencePressureMmHg) /
      (720.883 * (1.0 + 0.003661 * kReferenceTemperatureC));
  for (int i = 0; i < count; ++i) {
    if (indices[i] <= 0.0) continue;  // no index to carry into air
    const double lambda = NormalizeWavelength(wavelengths[i]);
    // The absolute index's change from 20 °C: the makers' formula where the catalog has it,
    // else the straight line of Beta.
    double change = 0.0;
    if (!ThermalIndexChange(lambda, temperatureC, indices[i], change)) {
      const double beta = Beta(temperatureC, lambda);
      if (!std::isfinite(beta) || std::fabs(beta) < kNoBeta) {
        indices[i] = -indices[i];
        status = kGlassNoTemperature;
        continue;
      }
      change = (temperatureC - kReferenceTemperatureC) * beta * 1e-7;
    }
    const double standard = StandardAirIndex(lambda);
    const double air = AirIndex(standard, temperatureC, pressureMmHg);
    const double reference = 1.0 + (standard - 1.0) * referenceScale;
    const double n = (reference * indices[i] + change) / air;
    // Absurd conditions (absolute zero, a negative pressure) leave the catalog index.
    if (std::isfinite(n) && n > 0.0 && air > 0.0) {
      indices[i] = n;
    } else if (status == kGlassOk) {
      status = kGlassOutOfRange;
    }
  }
  return status;
}

int TBaseGlassInfo::Index(int count, const double *wavelengths, double *indices) const {
  if (record_.formula < kFormulaPolynomial || record_.formula > kFormulaSellmeier) {
    for (int i = 0; i < count; ++i) indices[i] = 0.0;
    return kGlassBadFormula;
  }
  int status = kGlassOk;
  for (int i = 0; i < count; ++i) {
    const double lambda = NormalizeWavelength(wavelengths[i]);
    double n = 0.0;
    if (!EvaluateGlassFormula(record_, lambda, n)) {
      // n² <= 0 ends the computation: nothing later is given a value.
      for (int k = i; k < count; ++k) indices[k] = 0.0;
      return kGlassOutOfRange;
    }
    indices[i] = n;
    if (lambda < record_.minWavelength || lambda > record_.maxWavelength) status = kGlassOutOfRange;
  }
  return status;
}

int TBaseGlassInfo::Transmittance(double, int, const double *, double *) const {
  return kGlassNoTransmittance;
}

double TBaseGlassInfo::Alfa(double temperatureC) const {
  return record_.alfa0 + (temperatureC - kReferenceTemperatureC) * record_.alfa1;
}

double TBaseGlassInfo::MeanAlfa(double temperature1, double temperature2) const {
  return (Alfa(temperature1) + Alfa(temperature2)) / 2.0;
}

namespace {

// The makers' formula: the absolute index's change from T0 by dT at λ (µm), for a glass of
// index n there: (n² - 1)/(2n) [D0 dT + D1 dT² + D2 dT³ + (E0 dT + E1 dT²)/(λ² - λtk²)].
double MakersIndexChange(const TBaseGlassRecord &r, double lambda, double n, double dT) {
  const double k = (n * n - 1.0) / (2.0 * n);
  return k * (((r.d2 * dT + r.d1) * dT + r.d0) * dT +
              (r.e0 + r.e1 * dT) * dT / (lambda * lambda - r.lambdaTk * r.lambdaTk));
}

// Its derivative in T, per °C.
double MakersIndexSlope(const TBaseGlassRecord &r, double lambda, double n, double dT) {
  const double k = (n * n - 1.0) / (2.0 * n);
  return k * ((3.0 * r.d2 * dT + 2.0 * r.d1) * dT + r.d0 +
              (r.e0 + 2.0 * r.e1 * dT) / (lambda * lambda - r.lambdaTk * r.lambdaTk));
}

}  // namespace

bool TBaseGlassInfo::ThermalIndexChange(double wavelengthUm, double temperatureC, double index,
                                        double &change) const {
  if (!record_.hasThermal || !(index > 0.0)) return false;
  // The catalog index is that of 20 °C; the formula's dT runs from its own T0.
  const double t0 = record_.thermalReferenceC;
  change = MakersIndexChange(record_, wavelengthUm, index, temperatureC - t0) -
           MakersIndexChange(record_, wavelengthUm, index, kReferenceTemperatureC - t0);
  return std::isfinite(change);
}

double TBaseGlassInfo::Beta(double temperatureC, double wavelength) const {
  const double lambda = NormalizeWavelength(wavelength);
  // As IndexInAir reads Beta: the change from 20 °C is (T - 20) Beta, so a glass with the
  // makers' formula gives the mean slope from 20 °C to T (the slope itself at 20 °C).
  const double n = record_.hasThermal ? IndexAt(lambda) : 0.0;
  if (n > 0.0) {
    const double span = temperatureC - kReferenceTemperatureC;
    double change = 0.0;
    if (std::fabs(span) > kSameTemperature && ThermalIndexChange(lambda, temperatureC, n, change))
      return change / span * 1e7;
    return MakersIndexSlope(record_, lambda, n, kReferenceTemperatureC - record_.thermalReferenceC) * 1e7;
  }
  return record_.beta0 + record_.beta1 * lambda +
         (temperatureC - kReferenceTemperatureC) * record_.beta2;
}

double TBaseGlassInfo::MeanBeta(double temperature1, double temperature2, double wavelength) const {
  return (Beta(temperature1, wavelength) + Beta(temperature2, wavelength)) / 2.0;
}
