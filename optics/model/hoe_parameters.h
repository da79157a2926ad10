#pragma once
// Holographic data of a surface: the phase polynomial and its diffraction settings.

#include "foundation/containers/mem.h"

class THOEParameters {
 public:
  // Sum of c_k * (r / Mhxy)^(2(k+1)) over the coefficients. A surface without coefficients
  // or without a normalisation radius has no phase (0).
  double Phase(double r) const;

  double Mhxy = 0.0;              // normalisation radius
  double Wlh = 0.0;               // design wavelength
  double wavelengthFactor = 1.0;  // current wavelength / Wlh
  Mem<double> Vh;                 // phase coefficients c0 ... c(n-1), one row
  int pD = 1;                     // diffraction order
  int Quantum = 2;                // level count of the profile
};
