#pragma once
// TPipeSurface: the side wall of a light pipe as a surface of the model. It joins surface
// i - 1 to surface i (the glass between them is the rod); surface i owns it.

#include "optics/model/surface.h"

class TCurrentRay;

// A ray carried to the pipe's far end that does not pass the surface there is drawn on for
// this share of the wall's semi-height, so the picture shows where it turned or left.
constexpr double kPipeExitStepPerSemiHeight = 1.0 / 3.0;

class TPipeSurface : public TSurface {
 public:
  TPipeSurface() = default;
  TSurface *Clone() const override;
  void ReplaceSurfaceLinks(const TSurface *const *from, TSurface *const *to, int count) override;

  // Shapes the wall between the two surfaces: the cone about the line joining their
  // vertices, its radius the first end's projected semi-height, its slope towards the
  // second's. outsideIndex is the medium round the pipe. Vertices equal in x (along the
  // run) leave the wall unbuilt, which then lets every ray pass.
  void Build(TSurface *firstSurface, TSurface *secondSurface, double outsideIndex);

  // One wall interaction on a ray in global coordinates: 1 reaches the far end (unmoved),
  // -3 totally reflected (goes on inside), 0 lost, -4 no intersection with the cone.
  int Trace(TCurrentRay &ray) const;

  // Repeats Trace while the ray is totally reflected, at most kPipeReflectionLimit times;
  // returns the last result (1, -4 or 0). reflections and pathSum may be null.
  int CarryAlong(TCurrentRay &ray, int *reflections, double *pathSum) const;

  int built = 0;
  double k = 0.0;   // radius slope: r(x) = r0 + k x along the pipe axis
  double x1 = 0.0;  // stretch of the axis, from the first vertex, where the wall exists
  double x2 = 0.0;
  TSurface *first = nullptr;   // not owned
  TSurface *second = nullptr;  // not owned
};
