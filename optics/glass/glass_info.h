#pragma once
// Glass models: the refractive index of one glass at any wavelength, in air of a given
// temperature and pressure, its dispersion, range and thermal data. Wavelengths may be
// given in µm, nm (above 100) or mm (below 0.02). Catalog indices are relative to air at
// 20 °C and 760 mm of mercury.

#include "optics/glass/glass_record.h"

// Status of the array operations.
enum : int {
  kGlassOk = 1,
  kGlassOutOfRange = -2,     // a wavelength outside the range, or n² <= 0
  kGlassNoTemperature = -5,  // no thermal coefficient: catalog indices, negated
  kGlassNoTransmittance = -1,
  kGlassBadFormula = 0,
};

// A wavelength in µm from a value in µm, nm or mm.
double NormalizeWavelength(double wavelength);

// The index of standard dry air at a wavelength in µm (Edlén's dispersion formula); the
// wavelength is held at 0.2 µm and above, where the formula is valid.
double StandardAirIndex(double wavelengthUm);
// Air at temperature (°C) and pressure (mm of mercury), from the standard air index.
double AirIndex(double standardAirIndex, double temperatureC, double pressureMmHg);

class TGlassInfo {
 public:
  TGlassInfo() = default;
  virtual ~TGlassInfo() = default;
  TGlassInfo(const TGlassInfo &) = delete;
  TGlassInfo &operator=(const TGlassInfo &) = delete;

  // Abbe number (n0 - 1)/(n1 - n2) and partial dispersion |n1 - n0|/(n1 - n2) of the
  // first three wavelengths; both 0 with fewer than three or without dispersion.
  virtual void AbbeAndPartial(int count, const double *wavelengths, double &abbe,
                              double &partial) const;
  // The index at one wavelength; outside the glass's range the formula's value is still
  // given (InRange tells), 0 when it cannot be computed.
  virtual double IndexAt(double wavelength) const;
  virtual double TransmittanceAt(double thickness, double wavelength) const;
  // The index in air of the temperature and pressure; the catalog index when the glass has
  // no temperature data.
  virtual double IndexInAirAt(double wavelength, double temperatureC, double pressureMmHg) const;
  virtual int IndexInAir(int count, const double *wavelengths, double temperatureC,
                         double pressureMmHg, double *indices) const;
  virtual int Index(int count, const double *wavelengths, double *indices) const = 0;
  virtual int Transmittance(double thickness, int count, const double *wavelengths,
                            double *values) const = 0;
  virtual double MinWavelength() const = 0;
  virtual double MaxWavelength() const = 0;
  virtual double GetP() const = 0;
  virtual double Alfa(double temperatureC) const = 0;
  virtual double MeanAlfa(double temperature1, double temperature2) const = 0;
  virtual double Beta(double temperatureC, double wavelength) const = 0;
  virtual double MeanBeta(double temperature1, double temperature2, double wavelength) const = 0;
  // The change of the absolute index from 20 °C to temperatureC by the makers' thermal
  // formula, for a glass whose catalog carries it (index: its catalog index at the
  // wavelength, µm); false for a glass without it, which then follows Beta.
  virtual bool ThermalIndexChange(double, double, double, double &) const { return false; }

  // True when the wavelength lies within the glass's range of validity.
  bool InRange(double wavelength) const;
};

// A glass of a binary catalog: index from the record's dispersion formula.
class TBaseGlassInfo : public TGlassInfo {
 public:
  explicit TBaseGlassInfo(const TBaseGlassRecord &record) : record_(record) {}

  int Index(int count, const double *wavelengths, double *indices) const override;
  int Transmittance(double thickness, int count, const double *wavelengths,
                    double *values) const override;
  double MinWavelength() const override { return record_.minWavelength; }
  double MaxWavelength() const override { return record_.maxWavelength; }
  double GetP() const override { return record_.p; }
  double Alfa(double temperatureC) const override;
  double MeanAlfa(double temperature1, double temperature2) const override;
  double Beta(double temperatureC, double wavelength) const override;
  double MeanBeta(double temperature1, double temperature2, double wavelength) const override;
  bool ThermalIndexChange(double wavelengthUm, double temperatureC, double index,
                          double &change) const override;

  const TBaseGlassRecord &Record() const { return record_; }

 private:
  TBaseGlassRecord record_;
};

// A glass of the private catalog: index interpolated in its table.
class TPrivateGlassInfo : public TGlassInfo {
 public:
  explicit TPrivateGlassInfo(const TPrivateGlassRecord &record) : record_(record) {}

  int Index(int count, const double *wavelengths, double *indices) const override;
  int Transmittance(double thickness, int count, const double *wavelengths,
                    double *values) const override;
  double MinWavelength() const override;
  double MaxWavelength() const override;
  // The stored density, else an estimate from the index at 0.5893 µm.
  double GetP() const override;
  double Alfa(double) const override { return 0.0; }
  double MeanAlfa(double, double) const override { return 0.0; }
  double Beta(double, double) const override { return 0.0; }
  double MeanBeta(double, double, double) const override { return 0.0; }

 private:
  double Interpolate(double wavelengthUm) const;

  TPrivateGlassRecord record_;
};

// The index of a dispersion formula of a binary record at one wavelength in µm, whatever
// the record's range; false when the formula cannot give one there (n² <= 0, a pole, an
// unknown formula).
bool EvaluateGlassFormula(const TBaseGlassRecord &record, double wavelengthUm, double &index);
