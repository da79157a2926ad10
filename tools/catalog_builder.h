#pragma once
// Builds the shipped glass catalogs from the dispersion table: one binary catalog per
// maker, the everyday catalog "misc" and the private text catalog.

#include <ostream>
#include <string>
#include <vector>

#include "tools/dispersion_fit.h"
#include "tools/glass_table.h"

// The row's index relative to air at 20 °C and 760 mm: rows referred to another
// temperature are carried to 20 °C through their thermal formula.
double CatalogIndex(const TGlassRow &row, double wavelengthUm);

// The row as a binary catalog record: its formula converted exactly where the record's
// forms allow, else fitted; density, expansion and dn/dT filled in from the row.
TFitResult MakeGlassRecord(const TGlassRow &row);

// The absolute index change (1e-7 units per °C) fitted as beta0 + beta1·λ + beta2·(T - 20),
// the mean dn/dT between 20 °C and T.
void FitThermalCoefficients(const TGlassRow &row, TBaseGlassRecord &record);

// Writes every catalog into the directory; the report lists each glass's method and
// largest fit error. False with a message on failure.
bool BuildCatalogs(const std::vector<TGlassRow> &rows, const std::string &directory,
                   std::ostream &report, std::string &error);

// The largest fit error the tool accepts, in index.
inline constexpr double kMaxFitError = 1e-6;
