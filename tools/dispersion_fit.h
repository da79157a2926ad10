#pragma once
// Fitting the dispersion formulas a binary catalog record can hold (double polynomial,
// power series, Sellmeier) to any index function of wavelength.

#include <functional>
#include <string>
#include <vector>

#include "optics/glass/glass_record.h"

using TIndexFunction = std::function<double(double wavelengthUm)>;

struct TFitResult {
  TBaseGlassRecord record;
  double maxError = 1e300;  // largest |n_record - n_target| over the range
  std::string method;
  bool ok = false;
};

// Largest difference between the record's formula and the target over the range, sampled
// densely in both wavelength and wave number.
double MaxFormulaError(const TBaseGlassRecord &record, const TIndexFunction &target,
                       double minWavelength, double maxWavelength);

// Formula 0 through least squares, with the given pole c (µm², below the range).
TFitResult FitDoublePolynomial(const TIndexFunction &target, double minWavelength,
                               double maxWavelength, double pole);
// Formula 1 through least squares with the first `terms` powers (2..10).
TFitResult FitPowerSeries(const TIndexFunction &target, double minWavelength, double maxWavelength,
                          int terms);
// Formula 2 with fixed poles (µm²; a pole of 0 is a constant term), at most five.
TFitResult FitSellmeierPoles(const TIndexFunction &target, double minWavelength,
                             double maxWavelength, const std::vector<double> &poles);
// Formula 2 with the poles moved as well, starting from the given ones; `iterations` bounds
// the simplex steps (fewer suffice when the start is already close).
TFitResult FitSellmeierFree(const TIndexFunction &target, double minWavelength,
                            double maxWavelength, const std::vector<double> &startPoles,
                            int iterations = 600);

// Tries the forms above with sensible poles and returns the one with the smallest error.
TFitResult BestFit(const TIndexFunction &target, double minWavelength, double maxWavelength,
                   const std::vector<double> &sourcePoles);

// When no form holds the target within `limit` over the whole range: the Sellmeier form
// (poles moved from the source's, or from those of `fullRange`, the best whole-range fit)
// over the widest range [λ, maxWavelength], λ on a 0.001 µm grid, where it does. Poles
// crowding below the range spoil its short-wave end, so the range is cut there. Not ok
// when even the upper half of the range in wave number misses.
TFitResult FitShortenedRange(const TIndexFunction &target, double minWavelength,
                             double maxWavelength, const std::vector<double> &sourcePoles,
                             const TFitResult &fullRange, double limit);
