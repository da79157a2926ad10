// TGraph's drawing operations: moves and lines in world or plot coordinates, filled
// markers, pens and colours, text; and the drawing cursor TGraphTracer.
#include "toolkit/graph/graph.h"
#include "toolkit/graph/graph_tracer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Marker sizes are kept within the device range, so half a size plus a point never
// overflows.
LONG MarkerExtent(long long v) { return static_cast<LONG>(std::min<long long>(std::llabs(v), kDeviceClamp)); }

}  // namespace

POINT TGraph::MoveTo(double atX, double atY, bool draw) {
  const POINT p = ClampedDevice(atX, atY);
  return MoveToDevice(p.x - PlotToDevice(POINT{}).x, p.y - PlotToDevice(POINT{}).y, draw);
}

POINT TGraph::MoveToDevice(int px, int py, bool draw) {
  SelectPlotClip();
  const POINT previous = DeviceToPlot(current_);
  const POINT p = ClampPoint(PlotToDevice(POINT{px, py}));
  const POINT from = current_;
  ForEachDrawDC([&](TDC &dc) {
    if (draw) {
      dc.MoveTo(from.x, from.y);
      dc.LineTo(p.x, p.y);
    } else {
      dc.MoveTo(p.x, p.y);
    }
  });
  current_ = p;
  return previous;
}

POINT TGraph::FillMarker(double atX, double atY, COLORREF color) {
  const POINT p = ClampedDevice(atX, atY);
  return FillMarkerDevice(p.x - PlotToDevice(POINT{}).x, p.y - PlotToDevice(POINT{}).y, color);
}

POINT TGraph::FillMarkerDevice(int px, int py, COLORREF color) {
  SelectPlotClip();
  const POINT previous = DeviceToPlot(current_);
  const POINT p = ClampPoint(PlotToDevice(POINT{px, py}));
  current_ = p;
  if (GetPalette() != nullptr && WindowDC() != nullptr) color = WindowDC()->GetNearestColor(color);
  const int halfX = markerSize_.cx / 2;
  const int halfY = markerSize_.cy / 2;
  if (halfX == 0 || halfY == 0) {
    ForEachDrawDC([&](TDC &dc) { dc.SetPixel(p.x, p.y, color); });
    return previous;
  }
  // A marker of size s covers s + 1 pixels, centred on the point.
  const RECT area{p.x - halfX, p.y - halfY, p.x - halfX + markerSize_.cx + 1,
                  p.y - halfY + markerSize_.cy + 1};
  TBrush brush(color);
  ForEachDrawDC([&](TDC &dc) { dc.FillRect(area, brush); });
  return previous;
}

SIZE TGraph::SetMarkerSize(int dx, int dy) {
  const SIZE previous = markerSize_;
  markerSize_ = SIZE{MarkerExtent(dx), MarkerExtent(dy)};
  return previous;
}

SIZE TGraph::SetMarkerSizeWorld(double wx, double wy) {
  const POINT origin = WorldToDevice(0.0, 0.0);
  const POINT corner = WorldToDevice(wx, wy);
  return SetMarkerSize(static_cast<int>(std::clamp<long long>(
                           static_cast<long long>(corner.x) - origin.x, -kDeviceClamp, kDeviceClamp)),
                       static_cast<int>(std::clamp<long long>(
                           static_cast<long long>(corner.y) - origin.y, -kDeviceClamp, kDeviceClamp)));
}

void TGraph::SetPen(int style, int sizeX, COLORREF color) {
  if (GetPalette() != nullptr && WindowDC() != nullptr) color = WindowDC()->GetNearestColor(color);
  const LOGPEN &now = pen_.GetLogPen();
  if (static_cast<int>(now.lopnStyle) == style && now.lopnWidth.x == sizeX &&
      now.lopnColor == color) {
    // The same pen: no new pen object for every line of a tracer.
    SelectPen();
    return;
  }
  // The contexts let go of the old pen object before it is replaced.
  RestorePens();
  pen_.Set(style, sizeX, color);
  SelectPen();
}

void TGraph::SetPenColor(COLORREF color) {
  if (GetPalette() != nullptr && WindowDC() != nullptr) color = WindowDC()->GetNearestColor(color);
  if (color == pen_.GetColor()) return;
  RestorePens();
  pen_.SetColor(color);
  SelectPen();
}

int TGraph::SetPenWidth(int sizeX) {
  const int previous = pen_.GetWidth();
  if (sizeX == previous) return previous;
  RestorePens();
  pen_.SetWidth(sizeX);
  SelectPen();
  return previous;
}

void TGraph::SelectPen() {
  HPEN pen = pen_.GetPen();
  if (TDC *dc = WindowDC(); dc != nullptr && IsWindowDrawing() && dc->GetCurrentPen() != pen) {
    pen_.SelectInto(*dc);
  }
  if (TDC *dc = MemoryDC(); dc != nullptr && IsMemoryDrawing() && dc->GetCurrentPen() != pen) {
    pen_.SelectInto(*dc);
  }
}

void TGraph::SetTextColor(COLORREF color) {
  if (GetPalette() != nullptr && WindowDC() != nullptr) color = WindowDC()->GetNearestColor(color);
  if (TDC *dc = WindowDC()) dc->SetTextColor(color);
  if (TDC *dc = MemoryDC()) dc->SetTextColor(color);
}

void TGraph::TextOut(int px, int py, const char *text, UINT alignment) {
  if (text == nullptr) return;
  const POINT p = ClampPoint(POINT{px, py});
  // Text may cross the plot rectangle's edge.
  ResetClip();
  ForEachDrawDC([&](TDC &dc) {
    dc.SetTextAlign(alignment);
    dc.TextOut(p.x, p.y, text);
  });
}

void TGraph::ErasePlot() {
  const RECT area = memoryClip_.GetRgnBox();
  TBrush brush(GetHandleField());
  ForEachDrawDC([&](TDC &dc) { dc.FillRect(area, brush); });
}

TGraphTracer::TGraphTracer(TGraph *graph, COLORREF color, int sizeX, int style)
    : Graph(graph), Color(color), Style(style), Width(sizeX) {}

COLORREF TGraphTracer::SetColor(COLORREF color) {
  const COLORREF previous = Color;
  Color = color;
  return previous;
}

int TGraphTracer::SetWidth(int sizeX) {
  const int previous = Width;
  Width = sizeX;
  return previous;
}

int TGraphTracer::SetStyle(int style) {
  const int previous = Style;
  Style = style;
  return previous;
}

void TGraphTracer::LineTo(double atX, double atY, bool draw) {
  if (Graph == nullptr) return;
  Graph->SetPen(Style, Width, Color);
  Graph->MoveTo(LastX, LastY, false);
  Graph->MoveTo(atX, atY, draw);
  LastX = atX;
  LastY = atY;
}
