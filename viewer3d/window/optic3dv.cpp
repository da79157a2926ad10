#include "viewer3d/window/optic3dv.h"

#include <cmath>

#include "platform/core/color_dialog.h"
#include "platform/core/font_faces.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/window_dc.h"
#include "toolkit/graph/o_font.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"
#include "viewer3d/scene/viewer_scene.h"

namespace {

const TResponseTableEntry kOptic3DVTable[] = {
    EvMessage<WM_RBUTTONDOWN, &TOptic3DV::EvRButtonDown>(),
};

constexpr int kWhite = 15;
constexpr int kRed = 12;
// The axes are 70 scene units long whatever the scale, with a circle of radius 10 at
// each end and the letter beside its centre.
constexpr double kAxisLength = 70.0;
constexpr int kEndRadius = 10;
constexpr int kLetterDx = 4;
constexpr int kLetterDy = 7;
constexpr int kCustomColorCount = 16;
constexpr COLORREF kFirstCustomColor = 0xC0C0C0;

// The colour dialog's custom colours live for the whole run, shared by every viewer.
COLORREF *CustomColors() {
  static COLORREF colors[kCustomColorCount] = {};
  static bool filled = false;
  if (!filled) {
    for (COLORREF &c : colors) c = kFirstCustomColor;
    filled = true;
  }
  return colors;
}

int Whole(double value) { return static_cast<int>(std::floor(value + 0.5)); }

}  // namespace

TOptic3DV::TOptic3DV(TWindow *parentWindow, const char *caption, int left, int top,
                     int clientWidth, int clientHeight, int virtualWidth, int virtualHeight,
                     DWORD style)
    : TPaint3D(parentWindow, caption, left, top, clientWidth, clientHeight, virtualWidth,
               virtualHeight, style,
               GetDefault3DBackColor(), SharedPalette),
      drawer_(*this),
      painter_(drawer_) {}

TOptic3DV::~TOptic3DV() = default;

bool TOptic3DV::Find(TEventInfo &info) {
  return SearchResponseTable(kOptic3DVTable, info) || TPaint3D::Find(info);
}

void TOptic3DV::SetupWindow() {
  TPaint3D::SetupWindow();
  SetScale(1.0);
  SetLineColor(kWhite);
  showAxes_ = false;
}

bool TOptic3DV::TrueColor() const {
  return Renderer() == nullptr || Renderer()->BitsPerPixel() >= 24;
}

COLORREF TOptic3DV::StandardColor(int index) const {
  if (TrueColor() || Palette() == nullptr) return TOPalette::StandardColor(index);
  return Palette()->PaletteIndex(index);
}

DPOINT3 TOptic3DV::Scaled(const DPOINT3 &p) const {
  return DPOINT3(p.x * scale_, p.y * scale_, p.z * scale_);
}

void TOptic3DV::SetScale(double scale) {
  // A scale of 0 or one that is not a number would divide the view's offset to NaN.
  if (!(std::isfinite(scale) && scale > 0.0)) return;
  scale_ = scale;
  painter_.SetScale(scale);
}

void TOptic3DV::SetViewCentre(double centreX, double centreY) {
  if (TDrv3D *r = Renderer()) r->SetViewCentre(centreX, centreY);
}

void TOptic3DV::ViewCentre(double &centreX, double &centreY) const {
  const TProector projector = Renderer() != nullptr ? Renderer()->Projector() : TProector();
  centreX = projector.cx;
  centreY = projector.cy;
}

void TOptic3DV::SetViewTransform(const DANGLE3 &angles, const DPOINT3 &offset) {
  if (TDrv3D *r = Renderer()) r->SetTransform(angles, Scaled(offset));
}

void TOptic3DV::ComposeViewTransform(const DANGLE3 &angles, const DPOINT3 &offset) {
  if (TDrv3D *r = Renderer()) r->ComposeTransform(TRotator(angles, Scaled(offset)));
}

TRotator TOptic3DV::ViewTransform() const {
  return Renderer() != nullptr ? Renderer()->ViewTransform() : TRotator();
}

void TOptic3DV::ProjectionAxes(double U[3], double V[3]) const {
  const TProector projector = Renderer() != nullptr ? Renderer()->Projector() : TProector();
  for (int k = 0; k < 3; ++k) {
    U[k] = projector.U[k];
    V[k] = projector.V[k];
  }
}

void TOptic3DV::SetObjectTransform(const DANGLE3 &angles, const DPOINT3 &offset) {
  if (TDrv3D *r = Renderer()) r->SetLocalTransform(angles, Scaled(offset));
}

void TOptic3DV::ClearPicture() {
  TDrv3D *r = Renderer();
  if (r == nullptr) return;
  const COLORREF back = GetDefault3DBackColor();
  if (TrueColor() || Palette() == nullptr) r->Clear(back);
  else r->Clear(PALETTEINDEX(static_cast<int>(Palette()->GetNearestPaletteIndex(back))));
}

void TOptic3DV::ShowScene() {
  if (TDrv3D *r = Renderer()) ShowDibRect(r->TakeDrawnRect());
}

void TOptic3DV::SetRowParity(int parity) {
  if (TDrv3D *r = Renderer()) r->SetRowParity(parity);
}

COLORREF TOptic3DV::SetLineColor(int standardColor) {
  lineColor_ = StandardColor(standardColor);
  return lineColor_;
}

void TOptic3DV::MoveTo3D(double px, double py, double pz) {
  if (TDrv3D *r = Renderer()) r->MoveTo3D(Scaled(px, py, pz));
}

void TOptic3DV::LineTo3D(double px, double py, double pz) {
  if (TDrv3D *r = Renderer()) r->LineTo3D(Scaled(px, py, pz), lineColor_);
}

void TOptic3DV::Paint(TDC &dc, bool erase, RECT &rect) {
  TPaint3D::Paint(dc, erase, rect);
  // Windows floating over the scene redraw their frames and contents on top of it.
  for (TWindow *child : GetChildren()) {
    if (!child->IsWindow()) continue;
    child->SendMessage(WM_NCPAINT, 0, 0);
    child->Invalidate(true);
  }
  DrawAxes();
}

void TOptic3DV::DrawAxes() {
  if (!showAxes_ || !IsWindow()) return;
  TClientDC dc(*this);
  DrawAxesOn(dc);
}

void TOptic3DV::DrawAxesOn(TDC &dc) {
  const TDrv3D *r = Renderer();
  if (r == nullptr) return;
  // The axes of the system's frame go through the view the scene is drawn with, so they
  // turn and move with it; their length is not scaled.
  const TRotator &view = r->ViewTransform();
  const TProector &projector = r->Projector();
  POINT screen[4];
  const DPOINT3 points[4] = {DPOINT3(0, 0, 0), DPOINT3(kAxisLength, 0, 0),
                             DPOINT3(0, kAxisLength, 0), DPOINT3(0, 0, kAxisLength)};
  for (int k = 0; k < 4; ++k) {
    double sx = 0.0, sy = 0.0;
    projector.Project(view.Transform(points[k]), sx, sy);
    screen[k] = POINT{Whole(sx), Whole(sy)};
  }
  TPen pen(StandardColor(kWhite), 1, PS_INSIDEFRAME);
  TBrush brush(StandardColor(kRed));
  dc.SelectObject(pen);
  dc.SelectObject(brush);
  TOFont font(kFaceSansSerif, 10);
  font.SelectInto(dc);
  dc.SetTextColor(StandardColor(kWhite));
  dc.SetBkColor(StandardColor(kRed));
  const char *letters[3] = {"X", "Y", "Z"};
  for (int axis = 0; axis < 3; ++axis) {
    const POINT &end = screen[axis + 1];
    dc.MoveTo(screen[0].x, screen[0].y);
    dc.LineTo(end.x, end.y);
    dc.Ellipse(end.x - kEndRadius, end.y - kEndRadius, end.x + kEndRadius, end.y + kEndRadius);
    dc.TextOut(end.x - kLetterDx, end.y - kLetterDy, letters[axis]);
  }
  dc.RestoreObjects();
  font.DeleteFont();
}

void TOptic3DV::EvRButtonDown(UINT, const POINT &) {
  CHOOSECOLOR choice;
  choice.hwndOwner = GetHandle();
  choice.rgbResult = GetDefault3DBackColor();
  choice.lpCustColors = CustomColors();
  choice.Flags = CC_RGBINIT;
  if (ChooseColor(&choice)) SetDefault3DBackColor(choice.rgbResult);
  // Chosen or not, this window's own viewer repaints.
  if (scene_ != nullptr) {
    scene_->ClearScene();
    scene_->PaintObjects(true);
    scene_->PaintRays(false);
  }
}

void TOptic3DV::OnPaletteChanged(int flag) {
  if (flag == 0) {
    if (Palette() != nullptr && WindowDC() != nullptr) Palette()->SelectAndRealizeDC(*WindowDC());
    return;
  }
  Invalidate(false);
}
