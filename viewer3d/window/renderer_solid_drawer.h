#pragma once
// The element painters' drawer on a 3-D paint window: pieces go to the window's renderer,
// ramps to its palette. Edge colours are RGB on a true-colour renderer and the nearest
// palette entry on a palettised one.

#include "viewer3d/solids/solid_drawer.h"

class TPaint3D;

class TRendererSolidDrawer : public TSolidDrawer {
 public:
  explicit TRendererSolidDrawer(TPaint3D &window) : window_(window) {}

  void SetRamps(int first, int last) override;
  void DrawSurface(TMeshPointFunction function, void *context, int uSteps, int vSteps,
                   bool halfTone) override;
  void Triangle(const DPOINT3 &a, const DPOINT3 &b, const DPOINT3 &c, bool halfTone) override;
  void Line(const DPOINT3 &a, const DPOINT3 &b, COLORREF color) override;

 private:
  TPaint3D &window_;
};
