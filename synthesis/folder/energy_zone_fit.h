#pragma once
// The zone of the Energy page fitted to the geometric image of the test object: two fans
// of 51 rays from one field point across the entrance pupil, one in y and one in z, give
// the image's extent in each direction; the object's own image-side size is added.

#include "synthesis/folder/energy_zone.h"

class TOpticalSystem;

// Rays per fan.
constexpr int kZoneFitRays = 51;

// Fits zone's size and centre (the centre relative to the chief ray's image point, the
// centre of the synthesised raster) at the field point (fieldA, fieldB) of MakeRay. The
// image values are final positions for an image at a finite distance, else the final
// directions' angles in milliradians (the chief ray's too). A fan of which no ray passes
// gives that direction size and centre 0. False when the system has fewer than two
// surfaces or cannot be prepared (the zone is left as it was).
bool FitZoneToImage(TOpticalSystem &system, double fieldA, double fieldB,
                    double objectImageSize, TEnergyZone &zone);
