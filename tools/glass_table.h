#pragma once
// The dispersion table the catalog tool reads (tools/data/glasses.csv): one material a row
// with its maker, dispersion formula, coefficients, range and thermal data.

#include <array>
#include <string>
#include <vector>

struct TGlassRow {
  std::string catalog;  // maker, or CRYSTAL
  std::string name;
  int formula = 0;  // the table's formula number (1, 2, 4 or 7)
  std::array<double, 11> c{};
  int coefficientCount = 0;    // the coefficients given (the rest count as 0)
  double minWavelength = 0.0;  // µm
  double maxWavelength = 0.0;
  double nd = 0.0;  // 0 when not given
  double vd = 0.0;
  double density = 0.0;     // g/cm³
  double expansion = 0.0;   // 1e-6 per K
  bool hasThermal = false;  // D0 .. lambda_tk given
  double d0 = 0.0, d1 = 0.0, d2 = 0.0, e0 = 0.0, e1 = 0.0, lambdaTk = 0.0;
  double referenceTemperature = 20.0;  // °C of the data
};

// Reads the table; false with a message naming the line when it is malformed.
bool ReadGlassTable(const std::string &path, std::vector<TGlassRow> &rows, std::string &error);

// The row's index at a wavelength (µm) by its own formula; 0 when it has none there.
double SourceIndex(const TGlassRow &row, double wavelengthUm);
