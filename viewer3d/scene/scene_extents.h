#pragma once
// How much of the screen the scene covers: the projected rectangles of the element boxes
// and the ray points under the view, the scene's box in view space, and the scale and
// centre that fit a rectangle to the window.

#include "foundation/containers/points.h"
#include "foundation/numerics/rotator.h"
#include "viewer3d/scene/scene_records.h"

// A rectangle in scene units on the projection plane; a new one is empty.
struct TSceneRect {
  double xmin;
  double ymin;
  double xmax;
  double ymax;
  TSceneRect();
  bool Empty() const { return !(xmin <= xmax && ymin <= ymax); }
  void Add(double x, double y);
  void Add(const TSceneRect &other);
};

// The projection used for extents: screen axes only, no centre.
struct TSceneProjection {
  double U[3] = {1.0, 0.0, 0.0};
  double V[3] = {0.0, 1.0, 0.0};
};

// The element transform of a record followed by the view (offset in scene units).
TRotator ElementToView(const TSceneRecord &record, const TRotator &view);

// Projected bounds of every element box (all eight corners) / every ray point. Records
// whose values are not finite are left out; an empty scene gives an empty rectangle.
TSceneRect ElementExtents(const TObjArray &objects, const TRotator &view,
                          const TSceneProjection &projection);
TSceneRect RayExtents(const TRayArray &rays, const TRotator &view,
                      const TSceneProjection &projection);

// The box in view space of the two corners of every element box; false when there is no
// element with finite values.
bool ElementBoxInView(const TObjArray &objects, const TRotator &view, DPOINT3 &low,
                      DPOINT3 &high);

// The scale and screen centre that fill a window of width x height pixels with the
// rectangle along its tighter axis (touching both edges) and centre it along the other.
// An empty or flat rectangle (both sides 0), or one that is not finite, is taken as the
// unit square (0, 0)-(1, 1).
struct TWindowFit {
  double scale;
  double centreX;
  double centreY;
};
TWindowFit FitRectToWindow(TSceneRect rect, int width, int height);
