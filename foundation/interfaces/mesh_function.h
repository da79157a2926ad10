#pragma once
// A parametric surface patch handed to a 3-D drawer: the drawer evaluates the point
// function over a grid of (u, v) in [0, 1] x [0, 1] and shades the mesh. Kept free of any
// window code so that the optical model can supply preview surfaces.

#include "foundation/containers/points.h"

// The point of the patch at (u, v); `context` is the caller's.
using TMeshPointFunction = DPOINT3 (*)(double u, double v, void *context);

// What the optical model asks of the 3-D renderer's mesh drawing.
class TMeshDrawer {
 public:
  virtual ~TMeshDrawer() = default;
  // Evaluates `function` on (uSteps + 1) x (vSteps + 1) nodes and draws the shaded mesh
  // with a depth test.
  virtual void DrawSurface(TMeshPointFunction function, void *context, int uSteps, int vSteps) = 0;
};

// Fills `nodes` (row v, column u; (uSteps + 1) x (vSteps + 1) points) with the function at
// u = i / uSteps, v = j / vSteps. Answers 0 and writes nothing for a null function or
// array or a step count below 1, else 1.
int EvaluateMeshGrid(TMeshPointFunction function, void *context, int uSteps, int vSteps,
                     DPOINT3 *nodes);
