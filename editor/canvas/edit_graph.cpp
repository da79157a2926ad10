#include "editor/canvas/edit_graph.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/system/system_image.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/window_handles.h"
#include "toolkit/graph/yellow_window.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// Device coordinates handed to the drawing stay within what it takes.
constexpr LONG kDeviceLimit = 32000;
// The glass is the fill colour mixed into the background by this share.
constexpr int kTintShare = 4;  // one part colour in four
constexpr COLORREF kNoteColor = 0x80FFFF;
// Where the note opens, from the canvas's top-left corner.
constexpr int kNoteOffset = 8;

LONG Clamp(LONG v) { return std::clamp(v, -kDeviceLimit, kDeviceLimit); }

COLORREF Tint(COLORREF color, COLORREF background) {
  auto mix = [](int a, int b) { return (a + (kTintShare - 1) * b) / kTintShare; };
  return RGB(mix(GetRValue(color), GetRValue(background)),
             mix(GetGValue(color), GetGValue(background)),
             mix(GetBValue(color), GetBValue(background)));
}

}  // namespace

TEditGraph::TEditGraph(TWindow *parentWindow, COLORREF backColor)
    : TGGraph(parentWindow, 0, 0, kWidth, kHeight, WS_CHILD | WS_VISIBLE, backColor,
              SharedPalette) {}

TEditGraph::~TEditGraph() { TEditGraph::CloseNote(); }

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
  const double scale = plotWidth > 0.0 ? (X2() - X1()) / plotWidth : 0.0;
  if (scale != toldScale_) {
    toldScale_ = scale;
    if (scaled_) scaled_();
  }
}

void TEditGraph::Redraw() { DrawPendingMove(POINT{0, 0}); }

void TEditGraph::DrawPendingMove(POINT offset) {
  if (GetHandle() == nullptr) return;
  // The rubber band is drawn in exclusive-or: it comes off before the picture is renewed
  // and goes back on after it.
  const bool band = GetSelectMode();
  if (band) DrawSelection();
  SetPlotArea(0, 0, 0, 0, false, true);
  ErasePlot();
  if (system_ != nullptr) {
    UpdateZoomWindow();
    const bool animation =
        system_->options.lensAnimationRunning != 0 || system_->options.beamAnimationRunning != 0;
    if (system_->hasSelection != 0 && !animation)
      system_->MoveSelection(this, 0, offset, kSelectedColor, kSelectedColor, kSelectedRayColor, 1);
    else
      system_->Draw(this, kOutlineColor, kFillColor, kRayColor, 1);
  }
  if (band) DrawSelection();
  Invalidate();
}

void TEditGraph::SetMouseMode(int mode) {
  tools_->mouseMode = mode;
  const bool band = mode == kSelectMouseMode;
  if (band != GetSelectMode()) SetSelectMode(band);
}

int TEditGraph::SelectAt(POINT point) {
  constexpr int kPickRadius = 2;  // pixels either side of the point that still meet
  return SelectIn(RECT{point.x - kPickRadius, point.y - kPickRadius, point.x + kPickRadius + 1,
                       point.y + kPickRadius + 1});
}

int TEditGraph::SelectIn(const RECT &rect) {
  if (system_ == nullptr) return 0;
  const int marked = system_->SelectInRect(this, rect);
  Redraw();
  // The note of the selection's figures follows the selection at once.
  if (system_->options.ViewPropertiesOfSelectedElements != 0) system_->ShowGeneralParameters(this);
  for (TPendingMoveView *table : {positionTable_, inclinationTable_})
    if (table != nullptr) table->SelectionChanged();
  return marked;
}

POINT TEditGraph::WorldToDevice(double atX, double atY) const {
  return TGraph::WorldToDevice(atX, atY);
}

DPOINT TEditGraph::DeviceToWorld(POINT device) const {
  DPOINT world{0.0, 0.0};
  TGraph::DeviceToWorld(device.x, device.y, world.x, world.y);
  return world;
}

void TEditGraph::DrawWorldPolyline(const DPOINT *points, int count, COLORREF color) {
  if (points == nullptr || count < 2) return;
  SetPen(PS_SOLID, 1, color);
  MoveTo(points[0].x, points[0].y, false);
  for (int k = 1; k < count; ++k) MoveTo(points[k].x, points[k].y, true);
}

void TEditGraph::FillWorldPolygon(const DPOINT *points, int count, COLORREF color) {
  if (points == nullptr || count < 3) return;
  std::vector<POINT> device(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    const POINT p = TGraph::WorldToDevice(points[k].x, points[k].y);
    device[static_cast<std::size_t>(k)] = POINT{Clamp(p.x), Clamp(p.y)};
  }
  const COLORREF tint = Tint(color, GetHandleField());
  HBRUSH brush = CreateSolidBrush(tint);
  HPEN pen = CreatePen(PS_SOLID, 1, tint);
  ForEachDrawDC([&](TDC &dc) {
    HBRUSH oldBrush = dc.SelectObject(brush);
    HPEN oldPen = dc.SelectObject(pen);
    dc.Polygon(device.data(), count);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
  });
  DeleteObject(brush);
  DeleteObject(pen);
}

void TEditGraph::DrawWorldText(double atX, double atY, const char *text, COLORREF color) {
  if (text == nullptr) return;
  const POINT p = TGraph::WorldToDevice(atX, atY);
  SetTextColor(color);
  TextOut(Clamp(p.x + 2), Clamp(p.y - 2), text, TA_LEFT | TA_BOTTOM);
}

void TEditGraph::DrawGridAxes(COLORREF color) {
  SetPen(PS_DOT, 1, color);
  SetTextColor(color);
  DrawAxes(0.0, 1, 0.0, 1, 11);
}

HWND TEditGraph::NoteHandle() const {
  return noteHandle_ != nullptr && ::IsWindow(noteHandle_) ? noteHandle_ : nullptr;
}

void TEditGraph::CloseNote() {
  // The note deletes itself when it loses the focus.
  if (HWND note = NoteHandle()) ::SendMessage(note, WM_KILLFOCUS, 0, 0);
  noteHandle_ = nullptr;
}

void TEditGraph::ShowNote(const std::string &text) {
  if (GetHandle() == nullptr) return;
  CloseNote();
  noteText_ = text;
  const POINT at = ClientToScreen(POINT{kNoteOffset, kNoteOffset});
  auto *note = new TYellowWindow(this, noteText_.c_str(), kNoteColor, at.x, at.y, false, true);
  note->TextFormat = DT_LEFT | DT_NOPREFIX;
  note->Placement = 0;
  if (!note->Create()) {
    delete note;
    return;
  }
  noteHandle_ = note->GetHandle();
}
