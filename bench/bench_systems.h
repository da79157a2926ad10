#pragma once
// Systems the benchmarks trace, built in memory with their indices given as numbers, so no
// glass catalog is needed.

#include "optics/model/optical_system.h"
#include "optics/model/surface.h"

namespace bench {

inline TSurface *AddSurfaceAt(TOpticalSystem &system, double x, double R, const char *glass,
                              double semiHeight) {
  TSurface *s = system.AddSurface(new TSurface(x, 0.0, 0.0));
  s->general.R = R;
  s->general.type = R == 0.0 ? kSurfacePlane : kSurfaceSphere;
  s->general.glass = glass;
  s->general.semiHeightExt = semiHeight;
  s->general.semiWidthExt = semiHeight;
  return s;
}

// The 50 mm f/5 Cooke triplet with its published indices at 0.55 um: object plane, six
// lens surfaces from x = 10 (the middle flint's semi-height innerSemiHeight, the others 10)
// and the image plane.
inline void AddTriplet(TOpticalSystem &system, double objectSemiHeight, double innerSemiHeight,
                       double imageSemiHeight) {
  const double radii[6] = {22.01359, -435.76044, -22.21328, 20.29192, 79.68360, -18.39533};
  const double gaps[6] = {3.25896, 6.00755, 0.99997, 4.75041, 2.95208, 42.20778};
  const char *glasses[6] = {"1.622608", "", "1.623655", "", "1.622608", ""};
  const double semi[6] = {10.0, 10.0, innerSemiHeight, innerSemiHeight, 10.0, 10.0};
  AddSurfaceAt(system, 0.0, 0.0, "", objectSemiHeight);
  double x = 10.0;
  for (int i = 0; i < 6; ++i) {
    AddSurfaceAt(system, x, radii[i], glasses[i], semi[i]);
    x += gaps[i];
  }
  AddSurfaceAt(system, x, 0.0, "", imageSemiHeight);
}

}  // namespace bench
