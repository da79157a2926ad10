#pragma once
// The pipe area holds light pipes: the walls between surfaces and the pipe surface that
// follows a ray along them. It uses optics/interaction and optics/model.
//
// The side wall of a light pipe: a cone r(x) = r0 + k x about the line joining the vertices of
// two surfaces, which sends a ray inside the glass back by total internal reflection or lets
// it escape.

#include "optics/interaction/interaction_types.h"

// A ray bouncing without progressing along the pipe would be reflected for ever; past this
// many reflections it counts as lost. Real pipes stay far below it (a rod 1000 times longer
// than wide, entered at 45 degrees, reflects about 1000 times), and it bounds the work a
// degenerate wall (a semi-height near zero) costs each ray of a pupil solve.
constexpr int kPipeReflectionLimit = 5000;

struct TPipeWall {
  // Vertex (the first surface's), tilt (turned to the pipe axis), outer semi-height r0,
  // index after (the glass inside) and index before (the outside medium, with the sign of
  // the first surface's index before).
  TInteractionSurface wall;
  int built = 0;    // 1 once the wall has a length
  double k = 0.0;   // radius slope along the pipe axis
  double x1 = 0.0;  // stretch of the axis, from the first vertex, where the wall exists
  double x2 = 0.0;
};

// Shapes the wall between two consecutive surfaces; outsideIndex is the medium round the
// pipe. A pipe whose two vertices coincide in x stays unbuilt.
void BuildPipeWall(TPipeWall &pipe, const TInteractionSurface &first,
                   const TInteractionSurface &second, double outsideIndex);

// One wall interaction on a ray in global coordinates. Returns 1 (reaches the far end
// without meeting the wall; ray unmoved), -3 (totally reflected at the wall; the ray goes on
// inside, its path the segment to the wall, negative after an odd number of mirrors as at
// the surfaces), 0 (lost: escaped through the wall, met it
// before the start, or arrived already marked -3), -4 (no intersection with the cone).
// An unbuilt wall is absent: result 1, ray unmoved.
int TracePipeWall(const TPipeWall &pipe, TCurrentRay &ray);

// Carries a ray along the pipe, reflection after reflection, until it reaches the far end
// (1), misses the cone (-4) or is lost (0, also past kPipeReflectionLimit). pathSum receives
// the length travelled between reflections, reflections their count (either may be null).
int CarryAlongPipe(const TPipeWall &pipe, TCurrentRay &ray, int *reflections, double *pathSum);
