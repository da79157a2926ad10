// The section windows of a picture: a row and a column through the last right-click point,
// of the components' energy or of the drawn picture's red, green and blue.

#include <algorithm>
#include <cstdio>

#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/rasters/raster_records.h"
#include "platform/core/message_box.h"
#include "platform/gui/windows/screen.h"

namespace {

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr DWORD kSectionStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                WS_MINIMIZEBOX | kGraphMenu | kGraphClientSize |
                                kGraphStretch | kGraphMemoryOnly;
constexpr double kRgbTop = 270.0;
// The smallest sections whose axes and curves read well.
constexpr SIZE kRowSection{360, 180};
constexpr SIZE kColumnSection{200, 360};

bool ReadRaster(const TFileData &record, int width, int height, Mem<float> &raster) {
  TFileData reader(record);
  return reader.Read(raster) != 0 && raster.data != nullptr && raster.cols == width &&
         raster.rows == height;
}

struct TSectionPair {
  TGraph *row = nullptr;
  TGraph *column = nullptr;
};

TSectionPair OpenSections(TColorPicture &picture) {
  const RECT frame = picture.GetWindowRect();
  const int w = picture.clientWidth;
  const int h = picture.clientHeight;
  // The row below the picture, the column right of it: no smaller than reads well, wholly
  // on the screen and clear of the editor's menu bar.
  const RECT row = PlaceReadable(&picture, RECT{frame.left, frame.bottom, frame.left + w, frame.bottom + std::max(1, h / 2)},
                                 kRowSection);
  const RECT column = PlaceReadable(&picture, RECT{frame.right, frame.top, frame.right + w / 2 + 20, frame.top + h},
                                    kColumnSection);
  TSectionPair pair;
  pair.row = NewGraph(&picture, row.left, row.top, row.Width(), row.Height(), kSectionStyle, RGB(0, 0, 0), nullptr);
  pair.column = NewGraph(&picture, column.left, column.top, column.Width(), column.Height(), kSectionStyle,
                         RGB(0, 0, 0), nullptr);
  return pair;
}

void Caption(TGraph *graph, const char *format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  graph->SetCaption(text);
}

void Show(TGraph *graph) {
  graph->ShowWindow(SW_SHOW);
  graph->Refresh();
}

}  // namespace

bool EnergyRaster(TColorImage &image, Mem<float> &energy) {
  const int width = image.pixels.cols;
  const int height = image.pixels.rows;
  if (!energy.Allocate(width, height)) return false;
  energy.Zero();
  const int count = image.ComponentCount();
  if (count == 0) return true;
  if (count == 1) return ReadRaster(image.components.data[0], width, height, energy);
  SortByWavelength(image.components);
  const int n = width * height;
  Mem<float> rasters[2];
  if (!ReadRaster(image.components.data[0], width, height, rasters[0])) return false;
  double total = 0.0;
  double weights = 0.0;
  for (int k = 0; k + 1 < count; ++k) {
    const Mem<float> &a = rasters[k % 2];
    Mem<float> &b = rasters[(k + 1) % 2];
    if (!ReadRaster(image.components.data[k + 1], width, height, b)) return false;
    const TFileData &ra = image.components.data[k];
    const TFileData &rb = image.components.data[k + 1];
    const float h = (rb.wavelength - ra.wavelength) / 2.0f;
    for (int i = 0; i < n; ++i) energy.data[i] += (a.data[i] * ra.weight + b.data[i] * rb.weight) * h;
    total += (ra.weight + rb.weight) * h;
  }
  if (total != 0.0) {
    for (int i = 0; i < n; ++i) energy.data[i] = static_cast<float>(energy.data[i] / total);
    return true;
  }
  // All wavelengths equal: no band to integrate over, so the weighted mean of the rasters.
  energy.Zero();
  for (int k = 0; k < count; ++k) {
    const TFileData &record = image.components.data[k];
    Mem<float> &raster = rasters[0];
    if (!ReadRaster(record, width, height, raster)) return false;
    for (int i = 0; i < n; ++i) energy.data[i] += raster.data[i] * record.weight;
    weights += record.weight;
  }
  if (weights != 0.0) {
    for (int i = 0; i < n; ++i) energy.data[i] = static_cast<float>(energy.data[i] / weights);
  }
  return true;
}

void TColorPicture::ShowEnergySections() {
  const double p = image_->pixelPitch;
  if (p == 0.0) return;
  Mem<float> energy;
  if (!EnergyRaster(*image_, energy) && energy.data == nullptr) {
    MessageBox(nullptr, "Not enough memory", " Memory ", MB_OK | MB_ICONINFORMATION);
    return;
  }
  const int rasterWidth = energy.cols;
  const int rasterHeight = energy.rows;
  float m = 0.0f;
  for (int i = 0; i < rasterWidth * rasterHeight; ++i) m = std::max(m, energy.data[i]);
  const TSectionPair sections = OpenSections(*this);
  if (sections.row == nullptr || sections.column == nullptr) return;
  double wx = 0.0, wy = 0.0;
  DeviceToWorld(lastClick.x, lastClick.y, wx, wy);
  const int cx = rasterWidth / 2;
  const int cy = rasterHeight / 2;
  const int column = cx + static_cast<int>(wx / p);
  const int row = cy + static_cast<int>(-wy / p);
  Caption(sections.row, "Y=%-8.2g", wy);
  Caption(sections.column, "X=%-8.2g", wx);

  TGraph &across = *sections.row;
  across.SetPen(PS_SOLID, 1, kWhite);
  across.SetTextColor(kWhite);
  across.SetPlotArea(40, 5, -5, -20, false, true);
  across.SetWorld((view.left - cx + 0.5) * p, (view.right - cx + 0.5) * p, 0.0, m);
  across.DrawAxes(0.0, 2, 0.0, 2, 0);
  across.SetPen(PS_SOLID, 1, kYellow);
  bool drawing = false;
  for (int i = view.left; i < view.right; ++i) {
    const bool inside = row >= 0 && row < rasterHeight && i >= 0 && i < rasterWidth;
    if (!inside) {
      drawing = false;
      continue;
    }
    across.MoveTo((i - cx + 0.5) * p, energy.data[row * rasterWidth + i], drawing);
    drawing = true;
  }
  Show(sections.row);

  TGraph &down = *sections.column;
  down.SetPen(PS_SOLID, 1, kWhite);
  down.SetTextColor(kWhite);
  down.SetPlotArea(40, 5, -5, -20, false, true);
  down.SetWorld(0.0, m, (cy - view.bottom - 0.5) * p, (cy - view.top - 0.5) * p);
  down.DrawAxes(0.0, 2, 0.0, 2, 0);
  down.SetPen(PS_SOLID, 1, kYellow);
  drawing = false;
  for (int j = view.top; j < view.bottom; ++j) {
    const bool inside = column >= 0 && column < rasterWidth && j >= 0 && j < rasterHeight;
    if (!inside) {
      drawing = false;
      continue;
    }
    down.MoveTo(energy.data[j * rasterWidth + column], (cy - j - 0.5) * p, drawing);
    drawing = true;
  }
  Show(sections.column);
}

void TColorPicture::ShowRgbSections() {
  if (image_->pixelPitch == 0.0f) return;
  const TSectionPair sections = OpenSections(*this);
  if (sections.row == nullptr || sections.column == nullptr) return;
  double wx = 0.0, wy = 0.0;
  DeviceToWorld(lastClick.x, lastClick.y, wx, wy);
  Caption(sections.row, "Y=%-8.2g", wy);
  Caption(sections.column, "X=%-8.2g", wx);
  // The sections read the picture alone, without axes and colour scale.
  const int axes = drawAxes;
  const int scale = drawColorScale;
  drawAxes = 0;
  drawColorScale = 0;
  Redraw(false);
  TDC *memory = MemoryDC();
  const COLORREF tracers[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  auto channel = [](COLORREF color, int c) {
    return c == 0 ? GetRValue(color) : c == 1 ? GetGValue(color) : GetBValue(color);
  };
  TGraph &across = *sections.row;
  across.SetPen(PS_SOLID, 1, kWhite);
  across.SetTextColor(kWhite);
  across.SetPlotArea(40, 5, -5, -20, false, true);
  across.SetWorld(0.0, clientWidth, 0.0, kRgbTop);
  across.DrawAxes(0.0, 2, 0.0, 2, 0);
  TGraph &down = *sections.column;
  down.SetPen(PS_SOLID, 1, kWhite);
  down.SetTextColor(kWhite);
  down.SetPlotArea(40, 5, -5, -20, false, true);
  down.SetWorld(0.0, kRgbTop, 0.0, clientHeight);
  down.DrawAxes(0.0, 2, 0.0, 2, 0);
  if (memory != nullptr) {
    for (int c = 0; c < 3; ++c) {
      across.SetPen(PS_SOLID, 1, tracers[c]);
      for (int i = 0; i < clientWidth; ++i) {
        across.MoveTo(i, channel(memory->GetPixel(i, lastClick.y), c), i > 0);
      }
      down.SetPen(PS_SOLID, 1, tracers[c]);
      for (int i = 0; i < clientHeight; ++i) {
        down.MoveTo(channel(memory->GetPixel(lastClick.x, i), c), clientHeight - i, i > 0);
      }
    }
  }
  drawAxes = axes;
  drawColorScale = scale;
  Redraw(false);
  Show(sections.row);
  Show(sections.column);
}
