#include "toolkit/plot3d/graphics3d.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/windows/scroller.h"
#include "toolkit/graph/o_font.h"
#include "toolkit/plot3d/fast_graph.h"
#include "toolkit/plot3d/plot_menu.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

namespace {

const TResponseTableEntry kGraphics3DTable[] = {
    EvMessage<WM_RBUTTONDOWN, &TGraphics3D::EvRButtonDown>(),
    EvMessage<WM_SETFOCUS, &TGraphics3D::EvSetFocus>(),
    EvMessage<WM_CLOSE, &TGraphics3D::EvClose>(),
    EvCommand<&TGraphics3D::CmCommand>(300),
    EvCommand<&TGraphics3D::CmCommand>(301),
    EvCommand<&TGraphics3D::CmCommand>(302),
    EvCommand<&TGraphics3D::CmCommand>(310),
    EvCommand<&TGraphics3D::CmCommand>(320),
    EvCommand<&TGraphics3D::CmCommand>(330),
    EvCommand<&TGraphics3D::CmCommand>(340),
    EvCommand<&TGraphics3D::CmCommand>(350),
    EvCommand<&TGraphics3D::CmCommand>(351),
    EvCommand<&TGraphics3D::CmCommand>(352),
    EvCommand<&TGraphics3D::CmCommand>(353),
    EvCommand<&TGraphics3D::CmCommand>(354),
    EvCommand<&TGraphics3D::CmCommand>(355),
    EvCommand<&TGraphics3D::CmCommand>(360),
    EvCommand<&TGraphics3D::CmCommand>(370),
    EvCommand<&TGraphics3D::CmCommand>(380),
    EvCommand<&TGraphics3D::CmCommand>(381),
    EvCommand<&TGraphics3D::CmCommand>(382),
    EvCommand<&TGraphics3D::CmCommand>(383),
    EvCommand<&TGraphics3D::CmCommand>(390),
    EvCommand<&TGraphics3D::CmCommand>(391),
    EvCommand<&TGraphics3D::CmCommand>(392),
    EvCommand<&TGraphics3D::CmCommand>(393),
    EvCommand<&TGraphics3D::CmCommand>(400),
    EvCommand<&TGraphics3D::CmCommand>(401),
    EvCommand<&TGraphics3D::CmCommand>(402),
    EvCommand<&TGraphics3D::CmCommand>(403),
};

int FontSizeForWidth(int w) {
  if (w < 151) return 10;
  if (w < 201) return 11;
  if (w < 251) return 12;
  if (w < 301) return 13;
  return 14;
}

UINT Grey(bool disabled) { return disabled ? MF_GRAYED | MF_DISABLED : MF_ENABLED; }

}  // namespace

TGraphics3D::TGraphics3D(TWindow *parentWindow, const char *caption, int left, int top,
                         int clientWidth, int clientHeight, int virtualWidth, int virtualHeight,
                         DWORD style, COLORREF backColor, TOPalette *palette)
    : TPaint3D(parentWindow, caption, left, top, clientWidth, clientHeight, virtualWidth,
               virtualHeight, style, backColor, palette),
      width_(VirtualWidth()),
      height_(VirtualHeight()),
      fontSize_(FontSizeForWidth(clientWidth)) {
  LayoutLegend();
}

TGraphics3D::~TGraphics3D() = default;

bool TGraphics3D::Find(TEventInfo &info) {
  return SearchResponseTable(kGraphics3DTable, info) || TPaint3D::Find(info);
}

void TGraphics3D::SetupWindow() {
  TPaint3D::SetupWindow();
  const int bits = DeviceBits();
  if (bits < 8)
    MessageBox(GetHandle(), "Graphics-3D requires 8-bit color mode or higher!", "Warning",
               MB_OK | MB_ICONSTOP);
  trueColour_ = bits > 8;
}

void TGraphics3D::LayoutLegend() {
  legendWidth_ = static_cast<int>(130.0 * std::sqrt(width_ / 350.0));
  legendHeight_ = barHeight_ + fontSize_ + 2 * barOffset_ + 2;
  legendLeft_ = width_ - legendWidth_ - 5;
  legendTop_ = 2;
}

RECT TGraphics3D::LegendRect() const {
  return RECT{legendLeft_, legendTop_, legendLeft_ + legendWidth_, legendTop_ + legendHeight_};
}

bool TGraphics3D::StoreGrid(const float *grid, int cols, int rows) {
  if (!plot_.SetGrid(grid, cols, rows)) {
    MessageBeep(static_cast<UINT>(-1));
    return false;
  }
  return true;
}

bool TGraphics3D::SetData(const float *grid, int cols, int rows) {
  if (!StoreGrid(grid, cols, rows)) return false;
  DrawSolid();
  return true;
}

bool TGraphics3D::SetDataProfile(const float *grid, int cols, int rows) {
  if (!StoreGrid(grid, cols, rows)) return false;
  DrawProfile();
  return true;
}

bool TGraphics3D::SetDataMap(const float *grid, int cols, int rows) {
  if (!StoreGrid(grid, cols, rows)) return false;
  DrawColorMap();
  return true;
}

bool TGraphics3D::SetDataContour(const float *grid, int cols, int rows) {
  if (!StoreGrid(grid, cols, rows)) return false;
  DrawContourMap();
  return true;
}

void TGraphics3D::SetSurfacePaletteRange(int first, int last) {
  surfaceRamps_[0] = first;
  surfaceRamps_[1] = last;
}

void TGraphics3D::SetMapPaletteRange(int first, int last) {
  mapRamps_[0] = first;
  mapRamps_[1] = last;
}

void TGraphics3D::ResetView() {
  plot_.ForgetZRange();
  azimuth_ = 0.0;
  plot_.ShowWhole();
}

void TGraphics3D::SetCoordinateGrid(double x0, double y0, double dx, double dy, int colour,
                                    int labels) {
  gridX0_ = x0;
  gridY0_ = y0;
  gridDx_ = dx;
  gridDy_ = dy;
  gridColour_ = colour;
  showLabels_ = labels != 0;
  gridSet_ = true;
}

void TGraphics3D::SetLabelFormat(int textWidth, int precision, int size, int colour) {
  numberWidth_ = textWidth;
  numberPrecision_ = precision;
  fontSize_ = size;
  axesColour_ = colour;
  LayoutLegend();
}

void TGraphics3D::SetMesh(int meshU, int meshV) {
  meshU_ = std::clamp(meshU, 1, 4096);
  meshV_ = std::clamp(meshV, 1, 4096);
}

void TGraphics3D::SetLevels(int count, int penWidth) {
  levelCount_ = std::max(1, count);
  levelPenWidth_ = std::max(1, penWidth);
}

void TGraphics3D::Redraw() {
  switch (kind_) {
    case kSolidSurface: DrawSolid(); break;
    case kProfilePlot: DrawProfile(); break;
    case kColorMap: DrawColorMap(); break;
    case kContourMap: DrawContourMap(); break;
    default: break;
  }
}

HMENU TGraphics3D::BuildMenu() const {
  const int kind = kind_;
  const int zoom = plot_.Zoom();
  HMENU menu = CreatePopupMenu();
  AppendMenu(menu, Grey(kind == 0 || kind == 1), CM_PLOT_SOLID, "Solid Axonom");
  AppendMenu(menu, Grey(kind == 0 || kind == 2), CM_PLOT_PROFILE, "Draft Axonom");
  AppendMenu(menu, Grey(kind == 0 || kind == 3), CM_PLOT_COLOR_MAP, "Solid Isolines");
  AppendMenu(menu, Grey(kind == 0 || kind == 4), CM_PLOT_CONTOUR, "Draft Isolines");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);

  HMENU rotation = CreatePopupMenu();
  AppendMenu(rotation, MF_ENABLED, CM_PLOT_ROTATE_PLUS90, " +90 ");
  AppendMenu(rotation, MF_ENABLED, CM_PLOT_ROTATE_MINUS90, " -90 ");
  AppendMenu(rotation, MF_ENABLED, CM_PLOT_ROTATE_180, " 180 ");
  AppendMenu(menu, MF_POPUP | Grey(kind != 1 && kind != 2), reinterpret_cast<std::uintptr_t>(rotation),
             "Rotation");

  HMENU zoomMenu = CreatePopupMenu();
  const int factors[3] = {2, 5, 10};
  const char *names[3] = {"x2", "x5", "x10"};
  for (int k = 0; k < 3; ++k)
    AppendMenu(zoomMenu, Grey(!plot_.ZoomOffered(factors[k]) || kind == 1), CM_PLOT_ZOOM2 + k,
               names[k]);
  AppendMenu(zoomMenu, Grey(zoom == 1), CM_PLOT_ZOOM_RESTORE, "Restore");
  const bool zoomOff = kind == 0 || ((kind == 1 || kind == 2) && zoom == 1);
  AppendMenu(menu, MF_POPUP | Grey(zoomOff), reinterpret_cast<std::uintptr_t>(zoomMenu), "XY-Zoom");

  HMENU scale = CreatePopupMenu();
  const char *scales[4] = {"Linear", "Power 1/2", "Power 1/4", "Logarithmic"};
  for (int k = 0; k < 4; ++k)
    AppendMenu(scale, Grey(plot_.ValueScale() == k), CM_PLOT_LINEAR + k, scales[k]);
  AppendMenu(menu, MF_POPUP | Grey(kind == 0), reinterpret_cast<std::uintptr_t>(scale), "Z-Scale");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);

  HMENU sizes = CreatePopupMenu();
  const int sizeValues[4] = {150, 250, 350, 450};
  const char *sizeNames[4] = {"150x150", "250x250", "350x350", "450x450"};
  for (int k = 0; k < 4; ++k)
    AppendMenu(sizes, Grey(width_ == sizeValues[k] && height_ == sizeValues[k]),
               CM_PLOT_SIZE150 + k, sizeNames[k]);
  AppendMenu(menu, MF_POPUP | Grey(!resizeEnabled_), reinterpret_cast<std::uintptr_t>(sizes), "Resize");

  const int visibleRows = plot_.J1() - plot_.J0() + 1;
  HMENU quality = CreatePopupMenu();
  if (kind == 1) {
    const char *meshNames[5] = {"64x64", "128x128", "256x256", "512x512", "1024x1024"};
    const int meshes[5] = {64, 128, 256, 512, 1024};
    for (int k = 0; k < 5; ++k) {
      if (k == 3 && visibleRows <= 255) break;
      if (k == 4 && visibleRows <= 511) break;
      AppendMenu(quality, Grey(meshU_ == meshes[k]), CM_PLOT_QUALITY_FIRST + k, meshNames[k]);
    }
  } else {
    const char *stepNames[6] = {"1:1", "1:2", "1:4", "1:8", "1:16", "1:32"};
    const int needs[6] = {0, 0, 63, 127, 255, 511};
    for (int k = 0; k < 6; ++k) {
      if (visibleRows <= needs[k]) break;
      AppendMenu(quality, Grey(profileStep_ == (1 << k)), CM_PLOT_QUALITY_FIRST + k, stepNames[k]);
    }
  }
  const bool qualityOn = kind == 1 || (kind == 2 && visibleRows > 32);
  AppendMenu(menu, MF_POPUP | Grey(!qualityOn), reinterpret_cast<std::uintptr_t>(quality), "Quality");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, Grey(kind == 0), CM_PLOT_DUPLICATE, "Duplicate");
  return menu;
}

void TGraphics3D::EvRButtonDown(UINT, const POINT &point) {
  DefaultProcessing();
  clickPoint_ = point;
  if (!menuEnabled_) return;
  HMENU menu = BuildMenu();
  TrackPlotMenu(*this, menu, ClientToScreen(point));
  DestroyMenu(menu);
}

void TGraphics3D::EvSetFocus(HWND) {
  DefaultProcessing();
  if (Palette() != nullptr && WindowDC() != nullptr) Palette()->SelectAndRealizeDC(*WindowDC());
  Invalidate(false);
}

void TGraphics3D::EvClose() {
  // A plot window lives until its user closes it; nobody else keeps it.
  DestroyAndDelete();
}

void TGraphics3D::CmCommand(WPARAM wParam, LPARAM) { Command(LOWORD(wParam)); }

void TGraphics3D::Quality(int index) {
  if (kind_ == kSolidSurface) {
    const int meshes[5] = {64, 128, 256, 512, 1024};
    if (index > 4) return;
    meshU_ = meshV_ = meshes[index];
  } else if (kind_ == kProfilePlot) {
    profileStep_ = 1 << index;
  } else {
    return;
  }
  Redraw();
}

void TGraphics3D::Command(UINT id) {
  switch (id) {
    case CM_PLOT_SOLID: DrawSolid(); return;
    case CM_PLOT_PROFILE: DrawProfile(); return;
    case CM_PLOT_COLOR_MAP: DrawColorMap(); return;
    case CM_PLOT_CONTOUR: DrawContourMap(); return;
    case CM_PLOT_ROTATE_PLUS90:
    case CM_PLOT_ROTATE_MINUS90:
    case CM_PLOT_ROTATE_180: {
      const double turns[3] = {90.0, 270.0, 180.0};
      azimuth_ += turns[id - CM_PLOT_ROTATE_PLUS90];
      if (kind_ == kSolidSurface || kind_ == kProfilePlot) Redraw();
      return;
    }
    case CM_PLOT_ZOOM2:
    case CM_PLOT_ZOOM5:
    case CM_PLOT_ZOOM10:
    case CM_PLOT_ZOOM_RESTORE: {
      const int factors[4] = {2, 5, 10, 1};
      const POINT scroll = ScrollPosition();
      plot_.ZoomAt(factors[id - CM_PLOT_ZOOM2], clickPoint_.x + scroll.x,
                   clickPoint_.y + scroll.y, width_, height_);
      Redraw();
      return;
    }
    case CM_PLOT_DUPLICATE: Duplicate(); return;
    case CM_PLOT_INFORMATION: ShowInformation(); return;
    default: break;
  }
  if (id >= CM_PLOT_LINEAR && id <= CM_PLOT_LOGARITHMIC) {
    plot_.EnsureRange();
    plot_.SetValueScale(static_cast<int>(id - CM_PLOT_LINEAR));
    Redraw();
  } else if (id >= CM_PLOT_SIZE150 && id <= CM_PLOT_SIZE450) {
    const int sizes[4] = {150, 250, 350, 450};
    const int fonts[4] = {10, 12, 14, 14};
    width_ = height_ = sizes[id - CM_PLOT_SIZE150];
    fontSize_ = fonts[id - CM_PLOT_SIZE150];
    LayoutLegend();
    Resize(width_, height_);
    Redraw();
  } else if (id >= CM_PLOT_QUALITY_FIRST && id <= CM_PLOT_QUALITY_LAST) {
    Quality(static_cast<int>(id - CM_PLOT_QUALITY_FIRST));
  }
}

TGraphics3D *TGraphics3D::Duplicate() {
  if (kind_ == kNoPlot || Renderer() == nullptr) return nullptr;
  ++duplicateCount_;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, " -%2d", duplicateCount_);
  const std::string caption = GetWindowText() + suffix;
  const RECT outer = GetWindowRect();
  const RECT client = GetClientRect();
  auto *copy = new (std::nothrow) TGraphics3D(GetParentO(), caption.c_str(), outer.left + 24,
                                              outer.top + 24, client.right, client.bottom,
                                              width_, height_, kDuplicateStyle, Background(),
                                              Palette());
  if (copy == nullptr) return nullptr;
  copy->fontSize_ = fontSize_;
  copy->LayoutLegend();
  if (!copy->Create()) {
    delete copy;
    return nullptr;
  }
  copy->SetPalette(Palette());
  copy->menuEnabled_ = false;
  copy->kind_ = kind_;
  if (TDC *dc = copy->UpdateBitmap()) Renderer()->Draw(*dc, 0, 0);
  copy->GrabClient(true);
  return copy;
}

TFastGraph *TGraphics3D::ShowInformation() {
  POINT at{15, 30};
  ClientToScreen(at);
  const COLORREF back = TOPalette::StandardColor(7);
  auto *info = new (std::nothrow) TFastGraph(this, "Information", at.x, at.y, 150, 70, 150, 70,
                                              0x90CC0000, back, Palette());
  if (info == nullptr) return nullptr;
  if (!info->Create()) return nullptr;
  TDC *dc = info->UpdateBitmap();
  if (dc != nullptr) {
    TOFont font(kFaceSansSerif, 12);
    font.SelectInto(*dc);
    dc->SetTextColor(TOPalette::StandardColor(0));
    dc->SetBkColor(back);
    char line[96];
    if (plot_.RangesSet()) {
      std::snprintf(line, sizeof line, "%10.3e < X <%10.3e", plot_.X1(), plot_.X2());
      dc->TextOut(3, 7, line);
      std::snprintf(line, sizeof line, "%10.3e < Y <%10.3e", plot_.Y1(), plot_.Y2());
      dc->TextOut(3, 27, line);
    } else {
      dc->TextOut(3, 7, " not defined < X < not defined");
      dc->TextOut(3, 27, " not defined < Y < not defined");
    }
    std::snprintf(line, sizeof line, "%10.3e < Z <%10.3e", plot_.ZMin(), plot_.ZMax());
    dc->TextOut(3, 47, line);
    dc->RestoreFont();
  }
  info->GrabClient(true);
  return info;
}

TGraphics3D *CreateGraphics3D(TWindow *parent, const char *title, int x, int y, int w, int h,
                              const float *grid, int n, double step, double, double gridStep,
                              int kind, int quality) {
  const COLORREF black = TOPalette::StandardColor(0);
  auto *plot = new (std::nothrow)
      TGraphics3D(parent, title, x, y, w, h, w, h, kPlotWindowStyle, black, SharedPalette);
  if (plot == nullptr) return nullptr;
  if (!plot->Create()) {
    delete plot;
    return nullptr;
  }
  plot->SetSurfacePaletteRange(7, 7);
  plot->SetMapPaletteRange(9, 13);
  const double d = (n / 2) * step;
  plot->SetRanges(-d, d, -d, d);
  if (gridStep > 0.0) plot->SetCoordinateGrid(d, d, gridStep, gridStep, 7, 1);
  plot->SetMesh(quality, quality);
  // The raster is held as a picture is, its first row at the top (the largest Y); the plot
  // counts its rows upward from the smallest Y.
  std::vector<float> upward;
  if (grid != nullptr && n > 0) {
    const std::size_t side = static_cast<std::size_t>(n);
    upward.resize(side * side);
    for (std::size_t row = 0; row < side; ++row)
      std::copy_n(grid + (side - 1 - row) * side, side, upward.data() + row * side);
  }
  const float *cells = upward.empty() ? nullptr : upward.data();
  if (kind == kColorMap)
    plot->SetDataMap(cells, n, n);
  else
    plot->SetData(cells, n, n);
  return plot;
}
