#pragma once
// TEditGraph: the editor's canvas. A selection graph that shows the edited system's view
// window and draws the system on its bitmap: the world-to-device mapping and the polylines
// the system's drawing asks for.

#include "editor/model/edit_canvas.h"
#include "toolkit/graph/g_graph.h"

class TSystemImage;

class TEditGraph : public TGGraph, public TEditCanvas {
 public:
  static constexpr int kWidth = 519;
  static constexpr int kHeight = 319;
  // The outline, fill and ray colours of the system's drawing.
  static constexpr COLORREF kOutlineColor = 0xFFFFFF;
  static constexpr COLORREF kFillColor = 0xFFFFFF;
  static constexpr COLORREF kRayColor = 0xFF0000;

  TEditGraph(TWindow *parentWindow, COLORREF backColor);
  ~TEditGraph() override;

  // The system drawn (not owned; null: none).
  void SetSystem(TSystemImage *system) { system_ = system; }
  TSystemImage *System() const { return system_; }
  // Takes the system's view window into the world window, widened on one axis so that a
  // millimetre is as long across as along the axis.
  void UpdateZoomWindow();
  // Erases the picture and draws the system on it.
  void Redraw();

  POINT WorldToDevice(double atX, double atY) const override;
  void DrawWorldPolyline(const DPOINT *points, int count, COLORREF color) override;

 private:
  TSystemImage *system_ = nullptr;
};
