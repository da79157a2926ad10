#pragma once
// TInsertedElementInfo: the element waiting to be inserted, handed from the interactive
// placement on the canvas to the new-element folder. The placement has put one plane
// surface at the clicked place; the folder turns it into the chosen element, or takes it
// away again when cancelled.

#include <vector>

#include "document/system/system_image.h"
#include "foundation/containers/points.h"

// A hit of a ray on the new surface: its point and its direction cosines.
struct TPlacedRay {
  DPOINT3 point{0.0, 0.0, 0.0};
  DPOINT3 direction{1.0, 0.0, 0.0};
};

struct TInsertedElementInfo {
  // Surfaces the folder put in place of the placed plane surface (0: none yet).
  int insertedCount = 0;
  // Index of the placed plane surface in the system; -1 while none was placed.
  int placedSurface = -1;
  // The surface after which the new element goes.
  int precedingSurface = -1;
  // World x, y of the new element's vertex: the click's foot on the beam's axis; z = 0.
  DPOINT3 position{0.0, 0.0, 0.0};
  // The chief ray and the fan rays of largest and smallest height on the new surface,
  // relative to the position and turned into the surface's frame.
  TPlacedRay chiefLocal;
  TPlacedRay upperLocal;
  TPlacedRay lowerLocal;
  // The chief ray's hit on the new surface in system coordinates.
  TPlacedRay chiefGlobal;
  // Twice the new surface's semi-height.
  double apertureDiameter = 0.0;
  // The tilt of the placed surface about z (radians): along the chief ray where it reached
  // the preceding surface, else 0.
  double tilt = 0.0;
  int flags[4] = {1, 1, 0, 1};
  // The system's unsaved-changes mark before the surface was placed: a Cancel that takes
  // the surface away again gives it back, as nothing changed.
  int modifiedBefore = 0;
  // Every surface as it stood before the placement, so the configurations not shown follow
  // what the element moves.
  std::vector<TSystemImage::TSurfaceStand> stands;
};
