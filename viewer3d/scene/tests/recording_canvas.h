#pragma once
// A scene canvas for tests: it keeps the view as the scene window does (offsets scaled),
// projects along z (screen x = view x, screen y = view y), paints the solids into a mesh
// collector and writes every call into a log.

#include <string>
#include <vector>

#include "viewer3d/scene/scene_canvas.h"
#include "viewer3d/solids/tests/mesh_collector.h"

class TRecordingCanvas : public TSceneCanvas {
 public:
  TRecordingCanvas() : painter_(mesh) {}

  void SetScale(double scale) override {
    scale_ = scale;
    painter_.SetScale(scale);
  }
  double Scale() const override { return scale_; }
  void SetViewCentre(double x, double y) override {
    centreX = x;
    centreY = y;
  }
  void ViewCentre(double &x, double &y) const override {
    x = centreX;
    y = centreY;
  }
  void SetViewTransform(const DANGLE3 &angles, const DPOINT3 &offset) override {
    view = TRotator(angles, Scaled(offset));
  }
  void ComposeViewTransform(const DANGLE3 &angles, const DPOINT3 &offset) override {
    TRotator::Compose(view, TRotator(angles, Scaled(offset)));
    Log("turn " + std::to_string(angles.az));
  }
  TRotator ViewTransform() const override { return view; }
  void ProjectionAxes(double U[3], double V[3]) const override {
    U[0] = 1.0, U[1] = 0.0, U[2] = 0.0;
    V[0] = 0.0, V[1] = 1.0, V[2] = 0.0;
  }
  void SetObjectTransform(const DANGLE3 &, const DPOINT3 &) override {}
  void SetSectionAngles(double phi1, double phi2) override {
    sections.emplace_back(phi1, phi2);
    painter_.SetSectionAngles(phi1, phi2);
  }
  void ClearPicture() override { Log("clear"); }
  void SetRowParity(int parity) override { Log("parity " + std::to_string(parity)); }
  void BeginScene() override { Log("begin"); }
  void ShowScene() override { Log("show"); }
  void GrabScene(int show) override { Log("grab " + std::to_string(show)); }
  void InvalidateScene() override { Log("invalidate"); }
  void DrawAxes() override { Log("axes"); }
  COLORREF SetLineColor(int color) override {
    Log("color " + std::to_string(color));
    return static_cast<COLORREF>(color);
  }
  void MoveTo3D(double, double, double) override { Log("move"); }
  void LineTo3D(double, double, double) override { Log("line"); }

  bool PaintBaseElement(const TRoundFace &a, const TRoundFace &b, double L, int n) override {
    Log("paint 10000");
    return painter_.PaintBaseElement(a, b, L, n);
  }
  bool PaintBaseRectElement(const TRectFace &a, const TRectFace &b, double L, int n) override {
    Log("paint 10100");
    return painter_.PaintBaseRectElement(a, b, L, n);
  }
  bool PaintLens(const TLensShape &lens, int n) override {
    Log("paint 10200");
    qualities.push_back(n);
    return painter_.PaintLens(lens, n);
  }
  bool PaintRoundMirror(const TRoundMirrorShape &mirror, int n) override {
    Log("paint 10300");
    return painter_.PaintRoundMirror(mirror, n);
  }
  void PaintRectPlate(const TRectSlab &plate) override {
    Log("paint 10400");
    painter_.PaintRectPlate(plate);
  }
  void PaintRectMirror(const TRectSlab &mirror) override {
    Log("paint 10500");
    painter_.PaintRectMirror(mirror);
  }
  void PaintSplitterCube(const TRectSlab &cube) override {
    Log("paint 10600");
    painter_.PaintSplitterCube(cube);
  }
  void PaintPrism(const TPrismShape &prism, int i1, int i2, int i3) override {
    Log("paint 10700 " + std::to_string(i1) + " " + std::to_string(i2) + " " + std::to_string(i3));
    painter_.PaintPrism(prism, i1, i2, i3);
  }
  void PaintWedge(const TWedgeShape &wedge) override {
    Log("paint 10800");
    painter_.PaintWedge(wedge);
  }
  bool PaintPlacedLens(const TPlacedLensShape &lens, int n) override {
    Log("paint 10900");
    return painter_.PaintPlacedLens(lens, n);
  }

  // The calls logged since the last look, then forgotten.
  std::vector<std::string> TakeLog() {
    std::vector<std::string> taken;
    taken.swap(log);
    return taken;
  }

  TMeshCollector mesh;
  TRotator view;
  double centreX = 0.0;
  double centreY = 0.0;
  std::vector<std::pair<double, double>> sections;
  std::vector<int> qualities;
  std::vector<std::string> log;

 private:
  DPOINT3 Scaled(const DPOINT3 &p) const { return DPOINT3(p.x * scale_, p.y * scale_, p.z * scale_); }
  void Log(std::string entry) { log.push_back(std::move(entry)); }

  double scale_ = 1.0;
  TSolidPainter painter_;
};
