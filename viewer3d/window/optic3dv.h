#pragma once
// TOptic3DV: the scene window of the 3-D viewer. A 3-D paint window whose renderer draws
// the element solids and ray lines that the viewer's scene hands it, every length
// multiplied by the scene scale (angles, colours and counts never are). After every paint
// it draws the coordinate axes on the window (never into the picture) when asked to; a
// right-button click chooses the background of every 3-D window and repaints this
// window's own viewer.
//
// Colours follow one rule: standard colour i of the shared palette as RGB when the
// renderer works in true colour, else its palette index.
//
// The axes are the scene's own: drawn through the view the scene is drawn with (the
// renderer's view transform), so they turn and move with the system. The renderer's second
// transform, which nothing in the viewer sets, would leave them standing still while the
// scene turns.

#include "toolkit/plot3d/paint3d.h"
#include "viewer3d/scene/element_painter.h"
#include "viewer3d/scene/scene_canvas.h"
#include "viewer3d/window/renderer_solid_drawer.h"

class TViewerScene;

class TOptic3DV : public TPaint3D, public TSceneCanvas {
 public:
  // Built on the shared 3-D background colour and the shared palette.
  TOptic3DV(TWindow *parentWindow, const char *caption, int left, int top, int clientWidth, int clientHeight,
            int virtualWidth, int virtualHeight, DWORD style);
  ~TOptic3DV() override;

  const char *GetClassName() override { return "Optic3DV"; }
  void SetupWindow() override;
  bool Find(TEventInfo &info) override;
  // The picture, then the child windows' frames and contents, then the axes.
  void Paint(TDC &dc, bool erase, RECT &rect) override;
  void EvRButtonDown(UINT keys, const POINT &point);

  // The viewer whose scene this window shows: repainted after a new background.
  void AttachScene(TViewerScene *scene) { scene_ = scene; }
  void SetShowAxes(bool show) { showAxes_ = show; }
  bool ShowAxes() const { return showAxes_; }
  // 0: realises the shared palette in the foreground; otherwise repaints the window.
  void OnPaletteChanged(int flag);
  COLORREF StandardColor(int index) const;
  COLORREF LineColor() const { return lineColor_; }

  // The scene's canvas.
  void SetScale(double scale) override;
  double Scale() const override { return scale_; }
  void SetViewCentre(double centreX, double centreY) override;
  void ViewCentre(double &centreX, double &centreY) const override;
  void SetViewTransform(const DANGLE3 &angles, const DPOINT3 &offset) override;
  void ComposeViewTransform(const DANGLE3 &angles, const DPOINT3 &offset) override;
  TRotator ViewTransform() const override;
  void ProjectionAxes(double U[3], double V[3]) const override;
  void SetObjectTransform(const DANGLE3 &angles, const DPOINT3 &offset) override;
  void SetSectionAngles(double phi1, double phi2) override { painter_.SetSectionAngles(phi1, phi2); }
  void ClearPicture() override;
  void SetRowParity(int parity) override;
  void BeginScene() override { LockRenderer(); }
  // Copies what the renderer drew since the last show: the window then shows the whole
  // picture, as a full copy would, at the cost of the new part only.
  void ShowScene() override;
  void GrabScene(int show) override { GrabClient(show != 0); }
  void InvalidateScene() override { Invalidate(false); }
  void DrawAxes() override;
  COLORREF SetLineColor(int standardColor) override;
  void MoveTo3D(double px, double py, double pz) override;
  void LineTo3D(double px, double py, double pz) override;

  // The nine painters: lengths scaled, then drawn by the solids' geometry.
  bool PaintBaseElement(const TRoundFace &face1, const TRoundFace &face2, double L,
                        int n) override {
    return painter_.PaintBaseElement(face1, face2, L, n);
  }
  bool PaintBaseRectElement(const TRectFace &face1, const TRectFace &face2, double L,
                            int n) override {
    return painter_.PaintBaseRectElement(face1, face2, L, n);
  }
  bool PaintLens(const TLensShape &lens, int n) override { return painter_.PaintLens(lens, n); }
  bool PaintRoundMirror(const TRoundMirrorShape &mirror, int n) override {
    return painter_.PaintRoundMirror(mirror, n);
  }
  void PaintRectPlate(const TRectSlab &plate) override { painter_.PaintRectPlate(plate); }
  void PaintRectMirror(const TRectSlab &mirror) override { painter_.PaintRectMirror(mirror); }
  void PaintSplitterCube(const TRectSlab &cube) override { painter_.PaintSplitterCube(cube); }
  void PaintPrism(const TPrismShape &prism, int i1, int i2, int i3) override {
    painter_.PaintPrism(prism, i1, i2, i3);
  }
  void PaintWedge(const TWedgeShape &wedge) override { painter_.PaintWedge(wedge); }
  bool PaintPlacedLens(const TPlacedLensShape &lens, int n) override { return painter_.PaintPlacedLens(lens, n); }

 private:
  DPOINT3 Scaled(const DPOINT3 &p) const;
  DPOINT3 Scaled(double px, double py, double pz) const { return Scaled(DPOINT3(px, py, pz)); }
  bool TrueColor() const;
  void DrawAxesOn(TDC &dc);

  double scale_ = 1.0;
  bool showAxes_ = false;
  COLORREF lineColor_ = 0;
  TRendererSolidDrawer drawer_;
  TSolidPainter painter_;
  TViewerScene *scene_ = nullptr;
};
