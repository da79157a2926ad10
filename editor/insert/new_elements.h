#pragma once
// The single surface, the mirror and the dispersion prism that the new-element folder puts
// in place of the placed plane surface, without windows. Each keeps the placed vertex and
// direction; each answers 1 when inserted, or 0 with the system unchanged and error saying
// why. A mirror or a prism turns the beam: the surfaces after it (the image plane of a new
// system) turn with it about its last vertex, so the light still reaches them.

#include <string>

#include "editor/insert/inserted_element_info.h"

class TSystemImage;

// The placed surface gets the radius (0: plane) and the glass behind it ("" or "air": air).
int InsertSingleSurface(TSystemImage &system, TInsertedElementInfo &info, double radius,
                        const std::string &glass, std::string &error);

// A mirror: radius 0 is plane; conic term 0 a sphere, 1 a paraboloid (the Surfaces table's
// conic). A negative radius is concave towards the light. tiltDegrees turns the mirror about
// its vertex (45 folds the beam by 90 degrees).
struct TMirrorShape {
  double radius = 0.0;
  double conic = 0.0;
  double tiltDegrees = 0.0;
};
// The radius of a mirror of focal length f (positive: converging, concave).
double MirrorRadiusForFocus(double focal);
int InsertMirror(TSystemImage &system, TInsertedElementInfo &info, const TMirrorShape &shape,
                 std::string &error);

// A prism of the apex angle (degrees), glass and face length (mm), its entrance face
// centred at the placed position and both faces turned so that the chief ray passes at
// minimum deviation at the system's working wavelength.
int InsertPrism(TSystemImage &system, TInsertedElementInfo &info, double apexDegrees,
                const std::string &glass, double face, std::string &error);
