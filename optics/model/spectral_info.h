#pragma once
// One wavelength of a system's spectrum.

struct TSpectralInfo {
  double lambda = 0.54;  // micrometres
  double weight = 1.0;   // relative weight
};
