#pragma once
// A dispersion prism set at minimum deviation: an isosceles prism of a given apex angle and
// face length met by a beam along a given direction so that the ray inside runs parallel
// to its base. Both faces then see the same angle, sin i = n sin(A / 2), and the beam leaves
// turned towards the base by D = 2 i - A.

#include <string>

#include "foundation/containers/points.h"

struct TPrismFaces {
  // The centres of the entrance and exit faces (world x, y; z as given) and the directions
  // of their normals along the light (radians about z, as a surface's tilt).
  DPOINT3 entrance{0.0, 0.0, 0.0};
  DPOINT3 exit{0.0, 0.0, 0.0};
  double entranceTilt = 0.0;
  double exitTilt = 0.0;
  // The angle of incidence on either face and the deviation (radians).
  double incidence = 0.0;
  double deviation = 0.0;
  // Empty when the prism exists; otherwise why not (the text a dialog shows).
  std::string error;
};

// beamTilt: the beam's direction (radians about z); relativeIndex: the glass's index over
// the medium's; apex: the apex angle (radians, 0 < A < pi); face: the length of a face (mm);
// at: the entrance face's centre. The apex stands on the left of the beam (+y for a beam
// along +x), so the beam turns clockwise, towards the base.
TPrismFaces PrismAtMinimumDeviation(double beamTilt, double relativeIndex, double apex, double face,
                                    const DPOINT3 &at);
