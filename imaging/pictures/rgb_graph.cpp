#include "imaging/pictures/rgb_graph.h"

#include <algorithm>
#include <cstdio>

#include "imaging/pictures/chromaticity.h"
#include "imaging/pictures/color_picture.h"
#include "platform/core/font_faces.h"
#include "platform/gui/drawing/dc.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kSide = 200;
constexpr double kWorldEnd = 0.801;
constexpr double kDiagramEnd = 0.8;
constexpr int kMarkerHalfSize = 4;
constexpr int kSystemFontHeight = 16;
constexpr double kAxisFontFraction = 0.6;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                         kGraphClientSize | kGraphStretch;

const TResponseTableEntry kRGBGraphTable[] = {
    EvMessage<WM_SYSCOMMAND, &TRGBGraph::EvSysCommand>(),
    EvMessage<WM_DESTROY, &TRGBGraph::EvDestroy>(),
};

}  // namespace

TRGBGraph::TRGBGraph(TWindow *picture, int left, int top)
    : TGraph(picture, left, top, kSide, kSide, kStyle, RGB(0, 0, 0), nullptr) {}

TRGBGraph::~TRGBGraph() = default;

bool TRGBGraph::Find(TEventInfo &info) {
  return SearchResponseTable(kRGBGraphTable, info) || TGraph::Find(info);
}

void TRGBGraph::SetupWindow() {
  TGraph::SetupWindow();
  SetPen(PS_INSIDEFRAME, 1, kWhite);
  SetTextColor(kWhite);
  SetPlotArea(17, 5, -5, -15, false, false);
  SetWorld(0.0, kWorldEnd, 0.0, kWorldEnd);
  ShowColor(0, 0);
}

void TRGBGraph::DrawDiagram() {
  ResetPen();
  SetPen(PS_INSIDEFRAME, 1, kWhite);
  SetTextColor(kWhite);
  SetPlotArea(17, 5, -5, -15, false, true);
  SetWorld(0.0, kWorldEnd, 0.0, kWorldEnd);
  TOFont axisFont(kFaceSerif, static_cast<int>(kSystemFontHeight * kAxisFontFraction));
  DrawAxes(0.0, 2, 0.0, 2, 0, &axisFont);
  SetFont(labelFont_);
  const POINT top = WorldToDevice(0.0, kDiagramEnd);
  const POINT right = WorldToDevice(kDiagramEnd, 0.0);
  TextOut(top.x + 3, top.y + 15, "Y", TA_LEFT | TA_TOP);
  TextOut(right.x - 10, right.y - 2, "X", TA_LEFT | TA_BOTTOM);
  RestoreFont();
  TDC *memory = MemoryDC();
  if (memory == nullptr) return;
  for (int px = top.x; px <= right.x; px += 2) {
    for (int py = top.y; py <= right.y; py += 2) {
      double wx = 0.0;
      double wy = 0.0;
      DeviceToWorld(px, py, wx, wy);
      int rgb[3];
      if (ChromaticityColor(wx, wy, rgb)) memory->SetPixel(px, py, RGB(rgb[0], rgb[1], rgb[2]));
    }
  }
}

void TRGBGraph::ShowColor(COLORREF color, int trail) {
  if (trail == 0) DrawDiagram();
  const int r = GetRValue(color);
  const int g = GetGValue(color);
  const int b = GetBValue(color);
  double cx = 0.0;
  double cy = 0.0;
  if (PixelChromaticity(r, g, b, cx, cy)) {
    const int m = std::max({r, g, b});
    SetMarkerSize(kMarkerHalfSize, kMarkerHalfSize);
    FillMarker(cx, cy, RGB(r * 255 / m, g * 255 / m, b * 255 / m));
    if (trail == 0) {
      SetFont(labelFont_);
      char text[32];
      const struct {
        int top;
        const char *format;
        double value;
      } lines[] = {{20, "x=%6.3f", cx}, {35, "y=%6.3f", cy}, {50, "R=%6.0f", double(r)},
                   {65, "G=%6.0f", double(g)}, {80, "B=%6.0f", double(b)}};
      for (const auto &line : lines) {
        std::snprintf(text, sizeof text, line.format, line.value);
        TextOut(155, line.top, text, TA_LEFT | TA_TOP);
      }
      RestoreFont();
    }
  }
  Refresh();
}

void TRGBGraph::EvSysCommand(UINT command, const POINT &point) {
  if ((command & 0xFFF0) == SC_CLOSE) {
    if (HWND owner = GetParent(); owner != nullptr) ::PostMessage(owner, WM_PICTURE_NOTICE);
    return;
  }
  TGraph::EvSysCommand(command, point);
}

void TRGBGraph::EvDestroy() {
  if (IsWindow()) {
    if (HWND owner = GetParent(); owner != nullptr) ::PostMessage(owner, WM_PICTURE_NOTICE);
  }
  TGraphWindow::EvDestroy();
}

TRGBGraph *CreateRGBGraph(TWindow *picture, int left, int top) {
  auto *graph = new TRGBGraph(picture, left, top);
  if (!graph->Create()) {
    delete graph;
    return nullptr;
  }
  graph->ShowWindow(SW_SHOW);
  graph->SetCaption("Color");
  graph->SetOption(true);
  return graph;
}
