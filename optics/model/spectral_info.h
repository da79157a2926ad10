#pragma once
// One wavelength of a system's spectrum.

struct TSpectralInfo {
  double lambda = 0.54;  // micrometres
  double weight = 1.0;   // relative weight
};

// A file may list a 0 among its wavelengths; the entry is kept (the file saves it again)
// but nothing is traced or computed at it.
inline bool IsTracedWavelength(const TSpectralInfo &entry) { return entry.lambda > 0.0; }
