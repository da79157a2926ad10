#include "toolkit/graph/graph.h"

#include <algorithm>
#include <cmath>

namespace {

// World points are mapped in doubles and limited to this before truncation, so a point
// far outside the world (or an infinite one) never overflows an int.
constexpr double kMappingLimit = 1e9;

int TruncateToDevice(double v) {
  if (std::isnan(v)) return -static_cast<int>(kMappingLimit);
  return static_cast<int>(std::clamp(v, -kMappingLimit, kMappingLimit));
}

// The half-width given to an axis whose bounds are equal.
double DegenerateHalfWidth(double v) { return v != 0.0 ? 0.5 * std::fabs(v) : 1.0; }

}  // namespace

TGraph::TGraph(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
               TOPalette *palette, TModule *module)
    : TGraphWindow(parentWindow, styleAndOptions, backColor, palette, module) {}

TGraph::TGraph(TWindow *parentWindow, int left, int top, int w, int h,
               std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
               TModule *module)
    : TGraphWindow(parentWindow, left, top, w, h, styleAndOptions, backColor, palette, module) {}

TGraph::TGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
               TOPalette *palette, TModule *module)
    : TGraphWindow(parentHandle, styleAndOptions, backColor, palette, module) {}

TGraph::TGraph(HWND parentHandle, int left, int top, int w, int h, std::uint32_t styleAndOptions,
               COLORREF backColor, TOPalette *palette, TModule *module)
    : TGraphWindow(parentHandle, left, top, w, h, styleAndOptions, backColor, palette, module) {}

TGraph::~TGraph() {
  // The contexts give the pen and the regions back before they are freed.
  Destroy();
}

const char *TGraph::GetClassName() { return "TGraph"; }

void TGraph::SetupWindow() {
  TGraphWindow::SetupWindow();
  InitDrawing();
}

void TGraph::InitDrawing() {
  current_ = POINT{};
  RestorePens();
  pen_.Set(PS_INSIDEFRAME, 1, 0);
  if (TDC *dc = WindowDC()) pen_.SelectInto(*dc);
  if (TDC *dc = MemoryDC()) pen_.SelectInto(*dc);
  SetPlotArea(0, 0, 0, 0, false, false);
  markerSize_ = SIZE{};
  RestorePens();
}

bool TGraph::CreateBackingBitmap(int sizeX, int sizeY) {
  const bool made = CreateBitmap(sizeX, sizeY);
  ResetClip();
  return made;
}

void TGraph::SetPlotArea(int left, int top, int areaWidth, int areaHeight, bool frame, bool erase) {
  plotLeft_ = left;
  plotTop_ = top;
  frame_ = frame;
  const SIZE extent = GetBitmapSize();
  if (areaWidth < 1) areaWidth = areaWidth + extent.cx - left - 1;
  if (areaHeight < 1) areaHeight = areaHeight + extent.cy - top - 1;
  plotWidth_ = areaWidth;
  plotHeight_ = areaHeight;
  const RECT clip{std::max(left - 1, 0), std::max(top - 1, 0), left + areaWidth + 1,
                  top + areaHeight + 1};
  memoryClip_.SetRectRgn(clip);
  SetPlotClipSelected(false);
  SelectPlotClip();
  if (erase) ErasePlot();
  if (frame) {
    const int right = left + areaWidth - 1;
    const int bottom = top + areaHeight - 1;
    ForEachDrawDC([&](TDC &dc) {
      dc.MoveTo(left, top);
      dc.LineTo(right, top);
      dc.LineTo(right, bottom);
      dc.LineTo(left, bottom);
      dc.LineTo(left, top);
    });
  }
  ResetClip();
}

bool TGraph::SetWorld(double x1, double x2, double y1, double y2) {
  if (!std::isfinite(x1) || !std::isfinite(x2) || !std::isfinite(y1) || !std::isfinite(y2)) {
    return false;
  }
  if (x1 == x2) {
    const double half = DegenerateHalfWidth(x1);
    x1 -= half;
    x2 += half;
  }
  if (y1 == y2) {
    const double half = DegenerateHalfWidth(y1);
    y1 -= half;
    y2 += half;
  }
  x1_ = x1;
  x2_ = x2;
  y1_ = y1;
  y2_ = y2;
  scaleX_ = plotWidth_ / (x2_ - x1_);
  scaleY_ = plotHeight_ / (y2_ - y1_);
  return true;
}

RECT TGraph::GetPlotRect() const {
  return RECT{plotLeft_, plotTop_, plotLeft_ + plotWidth_, plotTop_ + plotHeight_};
}

POINT TGraph::WorldToDevice(double atX, double atY) const {
  return POINT{TruncateToDevice(plotLeft_ + (atX - x1_) * scaleX_),
               TruncateToDevice(plotTop_ + (y2_ - atY) * scaleY_)};
}

void TGraph::WorldToDeviceXY(double atX, double atY, int &px, int &py) const {
  const POINT p = WorldToDevice(atX, atY);
  px = p.x;
  py = p.y;
}

void TGraph::DeviceToWorld(int px, int py, double &atX, double &atY) const {
  if (!IsScrollable()) {
    // A stretched window's client point is first taken back to bitmap pixels.
    const SIZE client = GetClientSize();
    const SIZE bitmap = GetBitmapSize();
    if (client.cx > 0) px = static_cast<int>(static_cast<long long>(px) * bitmap.cx / client.cx);
    if (client.cy > 0) py = static_cast<int>(static_cast<long long>(py) * bitmap.cy / client.cy);
  }
  atX = scaleX_ != 0.0 ? (px - plotLeft_) / scaleX_ + x1_ : x1_;
  atY = scaleY_ != 0.0 ? (plotTop_ - py) / scaleY_ + y2_ : y2_;
}

POINT TGraph::PlotToDevice(const POINT &plotPoint) const {
  return POINT{plotPoint.x + plotLeft_, plotPoint.y + plotTop_};
}

POINT TGraph::DeviceToPlot(const POINT &devicePoint) const {
  return POINT{devicePoint.x - plotLeft_, devicePoint.y - plotTop_};
}

POINT TGraph::ClampPoint(POINT p) {
  return POINT{std::clamp<LONG>(p.x, -kDeviceClamp, kDeviceClamp),
               std::clamp<LONG>(p.y, -kDeviceClamp, kDeviceClamp)};
}

POINT TGraph::ClampedDevice(double atX, double atY) const { return ClampPoint(WorldToDevice(atX, atY)); }

void TGraph::SelectPlotClip() {
  if (PlotClipSelected()) return;
  // The window's region is made at each selection from the plot's bitmap rectangle, so it
  // follows scrolling and stretching done after the plot area was set.
  const RECT clip = memoryClip_.GetRgnBox();
  RECT windowClip = clip;
  if (IsScrollable()) {
    const POINT offset = GetScrollOffset();
    windowClip = RECT{clip.left - offset.x, clip.top - offset.y, clip.right - offset.x,
                      clip.bottom - offset.y};
  } else {
    const SIZE client = GetClientSize();
    const SIZE bitmap = GetBitmapSize();
    auto scale = [](LONG v, LONG to, LONG from) {
      return from > 0 ? static_cast<LONG>(static_cast<long long>(v) * to / from) : v;
    };
    windowClip = RECT{scale(clip.left, client.cx, bitmap.cx), scale(clip.top, client.cy, bitmap.cy),
                      scale(clip.right, client.cx, bitmap.cx),
                      scale(clip.bottom, client.cy, bitmap.cy)};
  }
  windowClip_.SetRectRgn(windowClip);
  if (TDC *dc = WindowDC(); dc != nullptr && IsWindowDrawing()) dc->SelectClipRgn(windowClip_);
  if (TDC *dc = MemoryDC(); dc != nullptr && IsMemoryDrawing()) dc->SelectClipRgn(memoryClip_);
  SetPlotClipSelected(true);
}

void TGraph::ResetPen() {
  Clear();
  RestorePens();
  pen_.Set(PS_INSIDEFRAME, pen_.GetWidth(), pen_.GetColor());
  if (TDC *dc = WindowDC()) pen_.SelectInto(*dc);
  if (TDC *dc = MemoryDC()) pen_.SelectInto(*dc);
}

void TGraph::RestorePens() {
  if (TDC *dc = WindowDC()) dc->RestorePen();
  if (TDC *dc = MemoryDC()) dc->RestorePen();
}

void TGraph::RestoreFont() {
  if (TDC *dc = WindowDC()) dc->RestoreFont();
  if (TDC *dc = MemoryDC()) dc->RestoreFont();
}

void TGraph::SetFont(TOFont &font) {
  RestoreFont();
  font.Create();
  if (TDC *dc = WindowDC()) font.SelectInto(*dc);
  if (TDC *dc = MemoryDC()) font.SelectInto(*dc);
}

void TGraph::DestroyAndDelete() {
  TWindow *parentWindow = GetParentO();
  const HWND parentHandle = parentWindow != nullptr ? parentWindow->GetHandle() : nullptr;
  TWindow::DestroyAndDelete();
  // The object may be gone: only the saved handle is used from here.
  if (parentHandle != nullptr) ::InvalidateRect(parentHandle, nullptr, 0);
}

TGraph *NewGraph(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
                 TOPalette *palette, TModule *module) {
  auto *graph = new TGraph(parentWindow, styleAndOptions, backColor, palette, module);
  graph->Create();
  graph->UpdateWindow();
  return graph;
}

TGraph *NewGraph(TWindow *parentWindow, int left, int top, int w, int h,
                 std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                 TModule *module) {
  auto *graph =
      new TGraph(parentWindow, left, top, w, h, styleAndOptions, backColor, palette, module);
  graph->Create();
  graph->UpdateWindow();
  return graph;
}

TGraph *NewGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
                 TOPalette *palette, TModule *module) {
  auto *graph = new TGraph(parentHandle, styleAndOptions, backColor, palette, module);
  graph->Create();
  graph->UpdateWindow();
  return graph;
}

TGraph *NewGraph(HWND parentHandle, int left, int top, int w, int h, std::uint32_t styleAndOptions,
                 COLORREF backColor, TOPalette *palette, TModule *module) {
  auto *graph =
      new TGraph(parentHandle, left, top, w, h, styleAndOptions, backColor, palette, module);
  graph->Create();
  graph->UpdateWindow();
  return graph;
}
