#pragma once
// A lens of a given paraxial focal length: an equi-convex lens for a positive focal length,
// an equi-concave one for a negative, of a given centre thickness, from the thick-lens
// relation 1/f = (n - 1) (1/R1 - 1/R2 + (n - 1) t / (n R1 R2)) with R2 = -R1.

#include <string>

struct TLensRadii {
  double r1 = 0.0;
  double r2 = 0.0;
  // Empty when the lens exists; otherwise why not (the text a dialog shows).
  std::string error;
};

// focal: the focal length in the medium around the lens (mm, not 0); relativeIndex: the
// glass's index over the medium's (> 1); thickness: the centre thickness (mm, >= 0).
TLensRadii LensRadiiForFocus(double focal, double relativeIndex, double thickness);

// The largest semi-height (not above `wanted`) at which the lens keeps an edge: the edge
// thickness stays at least a tenth of the centre thickness and the height below 0.95 |R|.
double LensSemiHeight(const TLensRadii &lens, double thickness, double wanted);
