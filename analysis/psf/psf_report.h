#pragma once
// The text reports of the PSF and MTF window: the energy concentration in squares of
// growing size, and the meridional and sagittal sections of the MTF, as fixed-width tables
// in blocks of five columns. No window code; the window writes the lines to "section.txt".

#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"

// The energy table: sizes 0, step, 2 step ... up to the curve's reach, energy in percent.
// `pixel` is the raster's sampling interval; entry k of the curve stands for the side
// (2k + 1) pixel.
// `leftOut` (TPsfRun::lightLeftOut) names the wavelengths whose light stood beyond the
// grid: both reports then say so in a line under their title.
std::vector<std::string> EnergyReportLines(const std::string &systemName,
                                           const Mem<DPOINT3> &curve, double pixel, double step,
                                           const std::string &leftOut = std::string());

// The MTF section table of the n x n summed PSF, the grid's frequency step being
// 1 / (n pixel): frequencies 0, step, 2 step ... below the grid's highest, each the
// response at that very frequency (TMtfSection). "Meridional" runs along the tangential
// direction of the object point (Y, X) and "Sagittal" across it (MtfSectionDirections).
std::vector<std::string> MtfSectionReportLines(const std::string &systemName, int n,
                                               const float *psf, double pixel, double step,
                                               double Y = 0.0, double X = 0.0,
                                               const std::string &leftOut = std::string());
