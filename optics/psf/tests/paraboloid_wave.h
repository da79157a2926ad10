#pragma once
// The converging wave of a paraboloid of focal length f, worked by hand for the PSF tests.
// A ray from pupil height h leaves for the focus at sin(theta) = s with h = 2 f tan(theta/2)
// (its mirror point lies f + h^2 / 4f from the focus). Light spread evenly over the
// entrance pupil reaches the direction cosines with the amplitude sqrt(J / cos(theta)),
// J = (h / s) dh / ds the pupil area per unit area of direction cosines, and the Debye
// integral over them, U(r) = int_0^NA a(s) J0(2 pi s r / lambda) s ds, is the PSF's
// amplitude at radius r from the focus.

#include <cmath>

#include "foundation/numerics/pi.h"

// The sine of the rim ray from pupil height h.
inline double ParaboloidAperture(double focalLength, double h) {
  return h / (focalLength + h * h / (4.0 * focalLength));
}

// a(s) over its value at the centre, 1 / sqrt(...) of f^2.
inline double ParaboloidAmplitude(double focalLength, double s) {
  if (s == 0.0) return 1.0;
  const double theta = std::asin(s);
  const double h = 2.0 * focalLength * std::tan(theta / 2.0);
  const double dhds = focalLength / std::pow(std::cos(theta / 2.0), 2) / std::cos(theta);
  return std::sqrt(h / s * dhds / std::cos(theta)) / focalLength;
}

// J0(x) = (1 / pi) int_0^pi cos(x sin(t)) dt, by the midpoint rule (exact to round-off for
// the arguments of a few units met here).
inline double BesselJ0(double x) {
  constexpr int steps = 200;
  double sum = 0.0;
  for (int k = 0; k < steps; ++k)
    sum += std::cos(x * std::sin((k + 0.5) * kPi / steps));
  return sum / steps;
}

// U(r), r in the units of lambda, by the midpoint rule over the direction cosines.
inline double DebyeAmplitude(double focalLength, double na, double lambda, double r) {
  constexpr int steps = 400;
  double sum = 0.0;
  for (int k = 0; k < steps; ++k) {
    const double s = (k + 0.5) * na / steps;
    sum += ParaboloidAmplitude(focalLength, s) * BesselJ0(2.0 * kPi * s * r / lambda) * s;
  }
  return sum * na / steps;
}

// The first zero of U, bracketed about the Airy radius 0.61 lambda / NA and halved down.
inline double DebyeFirstZero(double focalLength, double na, double lambda) {
  double low = 0.4 * lambda / na, high = 0.8 * lambda / na;
  for (int k = 0; k < 60; ++k) {
    const double middle = 0.5 * (low + high);
    if (DebyeAmplitude(focalLength, na, lambda, low) * DebyeAmplitude(focalLength, na, lambda, middle) <= 0.0)
      high = middle;
    else
      low = middle;
  }
  return 0.5 * (low + high);
}
