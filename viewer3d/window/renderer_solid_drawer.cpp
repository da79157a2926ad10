#include "viewer3d/window/renderer_solid_drawer.h"

#include "toolkit/plot3d/paint3d.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

void TRendererSolidDrawer::SetRamps(int first, int last) {
  if (window_.Palette() != nullptr) window_.Palette()->SetRange(first, last);
}

void TRendererSolidDrawer::DrawSurface(TMeshPointFunction function, void *context, int uSteps,
                                       int vSteps, bool halfTone) {
  TDrv3D *renderer = window_.Renderer();
  if (renderer == nullptr) return;
  renderer->SetHalfTone(halfTone);
  renderer->DrawSurface(function, context, uSteps, vSteps);
}

void TRendererSolidDrawer::Triangle(const DPOINT3 &a, const DPOINT3 &b, const DPOINT3 &c,
                                    bool halfTone) {
  if (TDrv3D *renderer = window_.Renderer()) renderer->Polygon3D(a, b, c, halfTone);
}

void TRendererSolidDrawer::Line(const DPOINT3 &a, const DPOINT3 &b, COLORREF color) {
  TDrv3D *renderer = window_.Renderer();
  if (renderer == nullptr) return;
  if (renderer->BitsPerPixel() < 24 && window_.Palette() != nullptr)
    color = window_.Palette()->GetNearestPaletteIndex(color);
  renderer->Line3D(a, b, color);
}
