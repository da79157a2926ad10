#pragma once
// What the viewer's scene asks of the window it paints in: the scale applied to every
// length, the view, the placement of each solid, the painters, ray lines and the drawing
// pass. The scene window implements it over the toolkit's renderer; tests record it.

#include "foundation/containers/points.h"
#include "foundation/numerics/rotator.h"
#include "platform/core/types.h"
#include "viewer3d/scene/element_painter.h"

class TSceneCanvas : public TElementPainter {
 public:
  // Lengths handed to the canvas are multiplied by the scale before they are drawn.
  virtual void SetScale(double scale) = 0;
  virtual double Scale() const = 0;
  // The screen point (pixels) the scene's origin is drawn at; not scaled.
  virtual void SetViewCentre(double x, double y) = 0;
  virtual void ViewCentre(double &x, double &y) const = 0;
  // The view transform from angles and an offset in scene units.
  virtual void SetViewTransform(const DANGLE3 &angles, const DPOINT3 &offset) = 0;
  // The view becomes "the view, then this turn and shift" (shift in scene units).
  virtual void ComposeViewTransform(const DANGLE3 &angles, const DPOINT3 &offset) = 0;
  // The view transform as drawn: its offset is in pixels, scene units times the scale.
  virtual TRotator ViewTransform() const = 0;
  // The projection's screen axes: a viewed point q lands at (U.q + cx, V.q + cy).
  virtual void ProjectionAxes(double U[3], double V[3]) const = 0;
  // Places the next solid (offset in scene units).
  virtual void SetObjectTransform(const DANGLE3 &angles, const DPOINT3 &offset) = 0;
  // The open sector of the next round elements, radians.
  virtual void SetSectionAngles(double phi1, double phi2) = 0;

  // The picture filled with the 3-D background and its depths reset.
  virtual void ClearPicture() = 0;
  // 0 every row, 1 odd rows only, 2 even rows only (the renderer's parity).
  virtual void SetRowParity(int parity) = 0;
  // A drawing pass: begun, shown on the window as it grows, ended (shown first when asked).
  virtual void BeginScene() = 0;
  virtual void ShowScene() = 0;
  virtual void GrabScene(int show) = 0;
  // The window repaints from the picture; the axes overlay is drawn on the window only.
  virtual void InvalidateScene() = 0;
  virtual void DrawAxes() = 0;

  // Ray lines: a standard colour 0..15, then a depth-tested polyline.
  virtual COLORREF SetLineColor(int standardColor) = 0;
  virtual void MoveTo3D(double x, double y, double z) = 0;
  virtual void LineTo3D(double x, double y, double z) = 0;
};
