#include "editor/canvas/edit_graph.h"

#include <algorithm>
#include <cmath>

#include "editor/model/system_image.h"
#include "toolkit/render3d/o_palette.h"

TEditGraph::TEditGraph(TWindow *parentWindow, COLORREF backColor)
    : TGGraph(parentWindow, 0, 0, kWidth, kHeight, WS_CHILD | WS_VISIBLE, backColor,
              SharedPalette) {}

TEditGraph::~TEditGraph() = default;

void TEditGraph::UpdateZoomWindow() {
  if (system_ == nullptr) return;
  const TViewWindow &view = system_->viewWindow;
  double x1 = view.xFrom, x2 = view.xTo, y1 = view.yFrom, y2 = view.yTo;
  const RECT plot = GetPlotRect();
  const double plotWidth = plot.right - plot.left;
  const double plotHeight = plot.bottom - plot.top;
  const double spanX = x2 - x1;
  const double spanY = y2 - y1;
  if (plotWidth > 0.0 && plotHeight > 0.0 && spanX > 0.0 && spanY > 0.0 && std::isfinite(spanX) &&
      std::isfinite(spanY)) {
    // mm per pixel: the larger of the two, on both axes.
    const double perPixel = std::max(spanX / plotWidth, spanY / plotHeight);
    const double cx = 0.5 * (x1 + x2);
    const double cy = 0.5 * (y1 + y2);
    x1 = cx - 0.5 * perPixel * plotWidth;
    x2 = cx + 0.5 * perPixel * plotWidth;
    y1 = cy - 0.5 * perPixel * plotHeight;
    y2 = cy + 0.5 * perPixel * plotHeight;
  }
  SetWorld(x1, x2, y1, y2);
}

void TEditGraph::Redraw() {
  if (GetHandle() == nullptr) return;
  SetPlotArea(0, 0, 0, 0, false, true);
  ErasePlot();
  if (system_ != nullptr) {
    UpdateZoomWindow();
    system_->Draw(this, kOutlineColor, kFillColor, kRayColor, 1);
  }
  Invalidate();
}

POINT TEditGraph::WorldToDevice(double atX, double atY) const {
  return TGraph::WorldToDevice(atX, atY);
}

void TEditGraph::DrawWorldPolyline(const DPOINT *points, int count, COLORREF color) {
  if (points == nullptr || count < 2) return;
  SetPen(PS_SOLID, 1, color);
  MoveTo(points[0].x, points[0].y, false);
  for (int k = 1; k < count; ++k) MoveTo(points[k].x, points[k].y, true);
}
