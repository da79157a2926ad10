#include "toolkit/graph/g_graph.h"

namespace {

const TResponseTableEntry kGGraphTable[] = {
    EvMessage<WM_MOUSEMOVE, &TGGraph::EvMouseMove>(),
    EvMessage<WM_LBUTTONDOWN, &TGGraph::EvLButtonDown>(),
    EvMessage<WM_LBUTTONUP, &TGGraph::EvLButtonUp>(),
};

constexpr COLORREF kSelectionColor = 0xFFFFFF;

}  // namespace

TGGraph::TGGraph(TWindow *parentWindow, int left, int top, int w, int h,
                 std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                 TModule *module)
    : TGraph(parentWindow, left, top, w, h, styleAndOptions, backColor, palette, module) {
  ClearSelectionFlags();
}

TGGraph::TGGraph(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
                 TOPalette *palette, TModule *module)
    : TGraph(parentWindow, styleAndOptions, backColor, palette, module) {
  ClearSelectionFlags();
}

TGGraph::TGGraph(HWND parentHandle, int left, int top, int w, int h, std::uint32_t styleAndOptions,
                 COLORREF backColor, TOPalette *palette, TModule *module)
    : TGraph(parentHandle, left, top, w, h, styleAndOptions, backColor, palette, module) {
  ClearSelectionFlags();
}

TGGraph::TGGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
                 TOPalette *palette, TModule *module)
    : TGraph(parentHandle, styleAndOptions, backColor, palette, module) {
  ClearSelectionFlags();
}

TGGraph::~TGGraph() { Destroy(); }

void TGGraph::ClearSelectionFlags() {
  dragging_ = false;
  selectMode_ = false;
}

void TGGraph::SetupWindow() {
  TGraph::SetupWindow();
  selection_ = RECT{};
}

bool TGGraph::Find(TEventInfo &info) {
  return SearchResponseTable(kGGraphTable, info) || TGraphWindow::Find(info);
}

void TGGraph::DrawSelection() {
  const int previousMode = GetROP2();
  SetROP2(R2_XORPEN);
  TOPen pen(PS_DOT, 1, kSelectionColor);
  if (TDC *dc = WindowDC()) pen.SelectInto(*dc);
  if (TDC *dc = MemoryDC()) pen.SelectInto(*dc);
  const RECT &s = selection_;
  MoveToDevice(s.left, s.top, false);
  MoveToDevice(s.right, s.top, true);
  MoveToDevice(s.right, s.bottom, true);
  MoveToDevice(s.left, s.bottom, true);
  MoveToDevice(s.left, s.top, true);
  // The contexts' own pens go back before the local one is freed.
  RestorePens();
  SetROP2(previousMode);
}

void TGGraph::SetSelectMode(bool on) {
  DrawSelection();
  selectMode_ = on;
  if (!on) selection_ = RECT{};
}

void TGGraph::SetSelection(int left, int top, int right, int bottom) {
  // A rectangle already shown is taken away first, or it would stay in the picture.
  if (selectMode_) DrawSelection();
  selectMode_ = true;
  selection_ = RECT{left, top, right, bottom};
  DrawSelection();
}

bool TGGraph::Contains(const POINT &q) const {
  return selection_.left <= q.x && q.x < selection_.right && selection_.top <= q.y &&
         q.y < selection_.bottom;
}

void TGGraph::EvLButtonDown(UINT keys, const POINT &point) {
  TGraphWindow::EvLButtonDown(keys, point);
  if (!selectMode_) return;
  dragging_ = true;
  const POINT q = DeviceToPlot(ToBitmap(point));
  if (Contains(q)) {
    // The drag moves the rectangle.
    anchor_ = q;
    return;
  }
  // The drag stretches a new rectangle from here; the anchor lies outside it.
  DrawSelection();
  selection_ = RECT{q.x, q.y, q.x, q.y};
  anchor_ = POINT{q.x - 1, q.y - 1};
}

void TGGraph::EvMouseMove(UINT keys, const POINT &point) {
  TGraphWindow::EvMouseMove(keys, point);
  if (!selectMode_ || !dragging_) return;
  const POINT q = DeviceToPlot(ToBitmap(point));
  DrawSelection();
  if (Contains(anchor_)) {
    const int dx = q.x - anchor_.x;
    const int dy = q.y - anchor_.y;
    selection_ = RECT{selection_.left + dx, selection_.top + dy, selection_.right + dx,
                      selection_.bottom + dy};
    anchor_ = POINT{anchor_.x + dx, anchor_.y + dy};
  } else {
    selection_.right = q.x;
    selection_.bottom = q.y;
  }
  DrawSelection();
}

void TGGraph::EvLButtonUp(UINT keys, const POINT &point) {
  TGraphWindow::EvLButtonUp(keys, point);
  if (!selectMode_) return;
  dragging_ = false;
}

TGGraph *NewGGraph(TWindow *parentWindow, int left, int top, int w, int h,
                   std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                   TModule *module) {
  auto *graph =
      new TGGraph(parentWindow, left, top, w, h, styleAndOptions, backColor, palette, module);
  graph->Create();
  graph->UpdateWindow();
  return graph;
}

TGGraph *NewGGraph(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
                   TOPalette *palette, TModule *module) {
  auto *graph = new TGGraph(parentWindow, styleAndOptions, backColor, palette, module);
  graph->Create();
  graph->UpdateWindow();
  return graph;
}

TGGraph *NewGGraph(HWND parentHandle, int left, int top, int w, int h,
                   std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                   TModule *module) {
  auto *graph =
      new TGGraph(parentHandle, left, top, w, h, styleAndOptions, backColor, palette, module);
  graph->Create();
  graph->UpdateWindow();
  return graph;
}

TGGraph *NewGGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
                   TOPalette *palette, TModule *module) {
  auto *graph = new TGGraph(parentHandle, styleAndOptions, backColor, palette, module);
  graph->Create();
  graph->UpdateWindow();
  return graph;
}
