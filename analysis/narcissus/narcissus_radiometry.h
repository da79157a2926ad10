#pragma once
// Radiometry of the narcissus analysis: Simpson integration of equally spaced samples and
// Planck's spectral exitance with its temperature derivative. Wavelengths in micrometres,
// temperatures in degrees C.

struct TNarcissusParameters;

// The number of wavelengths the band is sampled at.
constexpr int kNarcissusSamples = 21;

// Integral over [a, b] of n samples f[0..n-1] taken at equal steps from a to b. Simpson's
// rule for an odd n; an even n takes Simpson's rule up to the fourth sample from the end
// and the three-eighths rule over the last three steps (both exact for cubics); two
// samples give the trapezoid. 0 for n <= 1.
double SimpsonIntegral(int n, const double *f, double a, double b);

// Planck's spectral exitance (W / (cm^2 um)) and its derivative by temperature (per K).
// 0 for a temperature at or below absolute zero or a wavelength <= 0.
double PlanckExitance(double lambda, double temperature);
double PlanckDerivative(double lambda, double temperature);

// (I_h - I_d) x fraction / I_s: the band integrals of the exitance at the housing and the
// detector temperatures and of its derivative at the scene temperature. 0 when the
// scene term vanishes.
double NarcissusRadiometricFactor(const TNarcissusParameters &parameters);
