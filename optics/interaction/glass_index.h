#pragma once
// The refractive index behind a surface from its glass field: a catalog glass
// ("<glass>_<catalog>"), a number from 1 to 10 taken as the index itself, "refl" (a mirror)
// or air.

#include <string>

// Index in air of a catalog glass at a wavelength (micrometres), temperature (degrees C)
// and pressure (mm of mercury); found = 0 when the catalog or the glass is absent. By
// default (and after installing null) the program's catalog set is asked; tests install
// their own.
using TGlassIndexSource = double (*)(const std::string &glass, const std::string &catalog,
                                     double wavelength, double temperature, double pressure,
                                     int &found);
void SetGlassIndexSource(TGlassIndexSource source);

// Sets indexAfter from the glass field: a positive index keeps the sign indexAfter had (a
// mirror stays negative). Returns 1, or 0 for a catalog glass that is absent or has no index
// at the wavelength and for a name that is neither a number in [1, 10] nor "refl" (any
// case); the index is then 1.
int ParseGlassIndex(const std::string &glassField, double wavelength, double temperature,
                    double pressure, double &indexAfter);
