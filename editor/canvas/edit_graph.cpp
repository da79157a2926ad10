#include "editor/canvas/edit_graph.h"

#include <algorithm>
#include <cmath>

#include "editor/model/system_image.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// Pixels either side of a pressed point that still meet an element.
constexpr int kPickRadius = 2;

const TResponseTableEntry kEditGraphTable[] = {
    EvMessage<WM_LBUTTONDOWN, &TEditGraph::EvLButtonDown>(),
    EvMessage<WM_LBUTTONUP, &TEditGraph::EvLButtonUp>(),
};

}  // namespace

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
  // The rubber band is drawn in exclusive-or: it comes off before the picture is renewed
  // and goes back on after it.
  const bool band = GetSelectMode();
  if (band) DrawSelection();
  SetPlotArea(0, 0, 0, 0, false, true);
  ErasePlot();
  if (system_ != nullptr) {
    UpdateZoomWindow();
    system_->Draw(this, kOutlineColor, kFillColor, kRayColor, 1);
    system_->DrawMarked(this, kSelectedColor);
  }
  if (band) DrawSelection();
  Invalidate();
}

bool TEditGraph::Find(TEventInfo &info) {
  return SearchResponseTable(kEditGraphTable, info) || TGGraph::Find(info);
}

void TEditGraph::SetMouseMode(int mode) {
  mouseMode_ = mode;
  const bool band = mode == kSelectMouseMode;
  if (band != GetSelectMode()) SetSelectMode(band);
}

void TEditGraph::SelectAt(POINT point) {
  SelectIn(RECT{point.x - kPickRadius, point.y - kPickRadius, point.x + kPickRadius + 1,
                point.y + kPickRadius + 1});
}

void TEditGraph::SelectIn(const RECT &rect) {
  if (system_ == nullptr) return;
  system_->SelectInRect(this, rect);
  Redraw();
}

void TEditGraph::EvLButtonDown(UINT keys, const POINT &point) {
  if (system_ != nullptr) system_->lastPress = ToBitmap(point);
  TGGraph::EvLButtonDown(keys, point);
}

void TEditGraph::EvLButtonUp(UINT keys, const POINT &point) {
  const bool dragged = IsDragging();
  TGGraph::EvLButtonUp(keys, point);
  if (!dragged || mouseMode_ != kSelectMouseMode || !GetSelectMode()) return;
  const RECT band = GetSelection();
  const POINT from = PlotToDevice(POINT{band.left, band.top});
  const POINT to = PlotToDevice(POINT{band.right, band.bottom});
  SelectIn(RECT{from.x, from.y, to.x, to.y});
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
