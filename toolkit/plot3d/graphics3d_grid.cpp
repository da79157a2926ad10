// The plot window's contour map, its dotted coordinate grid in world units with numbered
// lines, and the colour legend with the value range.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/core/cursor.h"
#include "platform/core/font_faces.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "toolkit/graph/o_font.h"
#include "toolkit/plot3d/contour_map.h"
#include "toolkit/plot3d/graphics3d.h"
#include "toolkit/plot3d/number_text.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// A grid finer than this many lines per axis is not drawn (a step far below the range
// would only fill the picture with dots).
constexpr int kMaxGridLines = 2000;

}  // namespace

void TGraphics3D::DrawContourMap() {
  if (!plot_.HasGrid() || Renderer() == nullptr) return;
  SetCursorShape(TCursorShape::Wait);
  plot_.EnsureRange();
  SelectMapRamps();
  if (TDC *dc = UpdateBitmap()) {
    TBrush black(Standard(0));
    dc->FillRect(RECT{0, 0, width_, height_}, black);
  }
  GrabClient(false);
  TDC *dc = UpdateBitmap();
  if (dc == nullptr) {
    SetCursorShape(TCursorShape::Arrow);
    return;
  }
  std::vector<TContourSegment> segments;
  for (const TContourLevel &level : ContourLevels(plot_.ZMin(), plot_.ZMax(), levelCount_)) {
    segments.clear();
    ContourSegments(plot_, width_, height_, level.value, segments);
    TPen pen(RampColour(level.fraction), levelPenWidth_);
    dc->SelectObject(pen);
    for (const TContourSegment &s : segments) {
      dc->MoveTo(s.from.x, s.from.y);
      dc->LineTo(s.to.x, s.to.y);
    }
    dc->RestorePen();
    ShowBitmap();
  }
  GrabClient(true);
  kind_ = kContourMap;
  if (gridSet_) DrawCoordinateGrid();
  SetCursorShape(TCursorShape::Arrow);
}

void TGraphics3D::DrawCoordinateGrid() {
  if (!plot_.RangesSet()) return;
  TDC *dc = UpdateBitmap();
  if (dc == nullptr) return;
  dc->SetTextColor(Standard(axesColour_));
  dc->SetBkColor(Standard(0));
  const COLORREF dot = Standard(gridColour_);
  const double x1 = plot_.X1(), x2 = plot_.X2(), y1 = plot_.Y1(), y2 = plot_.Y2();
  const bool drawable = gridDx_ > 0.0 && gridDy_ > 0.0 && x2 > x1 && y2 > y1 &&
                        (x2 - x1) / gridDx_ < kMaxGridLines && (y2 - y1) / gridDy_ < kMaxGridLines;
  TOFont xFont(kFaceArial, fontSize_, 0, true);
  TOFont yFont(kFaceArial, fontSize_ - 1, 0, true);
  yFont.SetEscapement(900);
  if (drawable) {
    yFont.SelectInto(*dc);
    auto horizontal = [&](double worldY) {
      const int py = static_cast<int>((y2 - worldY) / (y2 - y1) * height_);
      for (int px = 0; px < width_; px += 4) dc->SetPixel(px, py, dot);
      if (!showLabels_) return;
      const std::string text = FormatNumber(worldY, numberWidth_, numberPrecision_);
      const int tw = dc->GetTextExtent(text.c_str()).cx;
      if (py - tw / 2 >= 0 && py + tw / 2 <= height_ - fontSize_ - 5)
        dc->TextOut(5, py + tw / 2, text.c_str());
    };
    // Origin line in both passes, as the steps leave it.
    for (int k = 0; gridY0_ + k * gridDy_ < y2; ++k) horizontal(gridY0_ + k * gridDy_);
    for (int k = 0; gridY0_ - k * gridDy_ > y1; ++k) horizontal(gridY0_ - k * gridDy_);
    xFont.SelectInto(*dc);
    auto vertical = [&](double worldX) {
      const int px = static_cast<int>((worldX - x1) / (x2 - x1) * width_);
      for (int py = 0; py < height_; py += 4) dc->SetPixel(px, py, dot);
      if (!showLabels_) return;
      const std::string text = FormatNumber(worldX, numberWidth_, numberPrecision_);
      const int tw = dc->GetTextExtent(text.c_str()).cx;
      if (px - tw / 2 >= 0 && px + tw / 2 <= width_)
        dc->TextOut(px - tw / 2, height_ - fontSize_ - 5, text.c_str());
    };
    for (int k = 0; gridX0_ + k * gridDx_ < x2; ++k) vertical(gridX0_ + k * gridDx_);
    for (int k = 0; gridX0_ - k * gridDx_ > x1; ++k) vertical(gridX0_ - k * gridDx_);
  } else {
    xFont.SelectInto(*dc);
  }
  DrawColorLegend(*dc);
  dc->RestoreObjects();
  GrabClient(true);
}

void TGraphics3D::DrawColorLegend(TDC &dc) {
  SelectMapRamps();
  TPen frame(Standard(gridColour_), 1);
  TBrush black(Standard(0));
  dc.SelectObject(frame);
  dc.SelectObject(black);
  dc.Rectangle(legendLeft_, legendTop_, legendLeft_ + legendWidth_, legendTop_ + legendHeight_);
  const int barWidth = std::max(1, legendWidth_ - 2 * innerMargin_);
  for (int column = legendLeft_ + innerMargin_; column <= legendLeft_ + legendWidth_ - innerMargin_ - 1; ++column) {
    const double t = static_cast<double>(column - legendLeft_ - innerMargin_) / barWidth;
    TPen bar(RampColour(t), 1);
    dc.SelectObject(bar);
    dc.MoveTo(column, legendTop_ + barOffset_);
    dc.LineTo(column, legendTop_ + barOffset_ + barHeight_);
    dc.SelectObject(frame);
  }
  const int yt = legendTop_ + barOffset_ + barHeight_ + 1;
  const std::string low = FormatNumber(plot_.ZMin(), numberWidth_, numberPrecision_);
  const std::string mid = FormatNumber(plot_.Unscaled((plot_.ZMin() + plot_.ZMax()) / 2),
                                       numberWidth_, numberPrecision_);
  const std::string high = FormatNumber(plot_.ZMax(), numberWidth_, numberPrecision_);
  dc.TextOut(legendLeft_ + innerMargin_ + 2, yt, low.c_str());
  dc.TextOut(legendLeft_ + legendWidth_ / 2 - dc.GetTextExtent(mid.c_str()).cx / 2, yt, mid.c_str());
  dc.TextOut(legendLeft_ + legendWidth_ - innerMargin_ - 2 - dc.GetTextExtent(high.c_str()).cx, yt,
             high.c_str());
  dc.RestorePen();
  dc.RestoreBrush();
}
