#include "synthesis/detectors/array_detectors.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "foundation/helpers/helpers.h"
#include "imaging/color/color_image.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/testobject/synthesis_windows.h"
#include "imaging/testobject/test_image.h"
#include "platform/core/message_box.h"

namespace {

// The layout picture: the faintest luminance shown relative to the brightest, the window
// style of the layout's picture window (popup, visible, caption, system menu, sizing
// frame) and its linear brightness scale.
constexpr float kLayoutDynamicRange = 0.001f;
constexpr DWORD kLayoutWindowStyle = 0x90CE8000u;
constexpr int kLinearScale = 0;
// The layout's 3-D plot: scale 1, no axes, mode 1, colour 128 of the shared palette.
constexpr double kLayoutPlotScale = 1.0;
constexpr double kLayoutPlotNoAxes = -1.0;
constexpr int kLayoutPlotMode = 1;
constexpr int kLayoutPlotColour = 128;

float PixelSizeNow() {
  const TTestImage *image = GetTestImage();
  return image != nullptr ? static_cast<float>(image->pixelSize) : 0.0f;
}

}  // namespace

int WholePixels(double value) {
  // Far outside any raster (or not a number): a bound that still fits an int.
  constexpr double kFar = 1e9;
  const double shifted = value + kPixelIndexTolerance;
  if (!(shifted > -kFar)) return static_cast<int>(-kFar);
  if (!(shifted < kFar)) return static_cast<int>(kFar);
  return static_cast<int>(shifted);
}

TArrayDetectorModel::TArrayDetectorModel(const char *displayName, const char *fileStem)
    : TElementDetectorModel(displayName, fileStem) {
  Lz = Ly = dY0 = dZ0 = 2.0f * PixelSizeNow();
}

std::vector<double> TArrayDetectorModel::ResponseSizes() const { return {Ly, Lz}; }

double TArrayDetectorModel::CoveredShare(int columnOffset, int rowOffset, double p) const {
  return RectangleShare(columnOffset, rowOffset, p, Ly, Lz);
}

bool TArrayDetectorModel::PrepareSignal(Mem<float> &raster, Mem<float> &copy, int mode, int n) {
  if (n <= 0) return false;
  if (mode == kArraySignal) {
    if (raster.data == nullptr || raster.cols != n || raster.rows != n) return false;
    copy = raster;
    if (copy.data == nullptr) return false;
    raster.Zero();
    return true;
  }
  if (!raster.Allocate(n, n)) return false;
  raster.Zero();
  return true;
}

void TArrayDetectorModel::TakeTyped(float typedLy, float typedLz, float typedDY0, float typedDZ0) {
  // "nan" reads as a number but is no size: the size stays.
  if (!std::isnan(typedLy)) Ly = typedLy;
  if (!std::isnan(typedLz)) Lz = typedLz;
  if (!std::isnan(typedDY0)) dY0 = typedDY0;
  if (!std::isnan(typedDZ0)) dZ0 = typedDZ0;
}

bool TArrayDetectorModel::RaiseToPixel(float p) {
  bool raised = false;
  for (float *size : {&Ly, &Lz, &dY0, &dZ0})
    if (*size < p) {
      *size = p;
      raised = true;
    }
  return raised;
}

bool TArrayDetectorModel::CutSizes(float limit) {
  const bool cutLy = CutToLimit(Ly, limit);
  const bool cutLz = CutToLimit(Lz, limit);
  return cutLy || cutLz;
}

void TArrayDetectorModel::ShowColorImage() {
  TTestImage *image = GetTestImage();
  if (image == nullptr || SynthesisPixelCount() == 0) {
    MessageBeep(MB_OK);
    return;
  }
  TSynthesisWindows *windows = GetSynthesisWindows();
  const POINT place = CascadePlacement(*image, windows);
  TColorImage *colorImage = ClearedSharedColorImage(*image);
  if (colorImage == nullptr) return;
  SetWaitCursor();
  Mem<float> layout;
  CalcSignal(layout, kArrayLayout);
  if (layout.data != nullptr) {
    // The component carries the response record's wavelength and weight.
    TFileData record;
    record.weight = 1.0f;
    if (RecordCount(rasterFiles) > 0) record = rasterFiles.data[0];
    record.handle = nullptr;
    colorImage->SetGeometry(0.0f, 0.0f, kLayoutDynamicRange, static_cast<float>(image->pixelSize));
    if (colorImage->WriteComponents(record, layout) != 0) {
      colorImage->SetScaleMode(kLinearScale);
      colorImage->BuildFromComponents(image->colorMode);
      OpenPicture(*image, *colorImage, place, kSmallPictureSide, kLayoutWindowStyle);
    }
  }
  SetArrowCursor();
}

void TArrayDetectorModel::ShowGraph() {
  TTestImage *image = GetTestImage();
  if (image == nullptr || SynthesisPixelCount() == 0) {
    MessageBeep(MB_OK);
    return;
  }
  SetWaitCursor();
  CalcSignal(image->raster, kArrayLayout);
  TSynthesisWindows *windows = GetSynthesisWindows();
  const POINT place = CascadePlacement(*image, windows);
  Mem<float> &layout = image->raster;
  if (layout.data != nullptr && windows != nullptr) {
    const int cells = layout.cols * layout.rows;
    const auto [lowest, highest] = std::minmax_element(layout.data, layout.data + cells);
    // A flat layout gets one 0 so that the plot has a range.
    if (*lowest == *highest) layout.data[0] = 0.0f;
    const int captionHeight = windows->CaptionHeight();
    TRasterPlotRequest request;
    request.parent = image->folderWindow;
    request.caption = ImageCaption();
    request.x = place.x;
    request.y = place.y;
    request.width = kSmallPictureSide + captionHeight - windows->FrameWidth();
    request.height = kSmallPictureSide + captionHeight - windows->FrameHeight();
    request.cells = layout.data;
    request.n = layout.cols;
    request.step = image->pixelSize;
    request.scale = kLayoutPlotScale;
    request.axisLength = kLayoutPlotNoAxes;
    request.mode = kLayoutPlotMode;
    request.colour = kLayoutPlotColour;
    windows->ShowRasterPlot(request);
  }
  SetArrowCursor();
}
