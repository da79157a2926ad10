// Showing the raster files of a test object: the colour picture, the mean raster and its
// 3-D plot, and the plain sum of the rasters.

#include <cmath>
#include <new>

#include "foundation/helpers/helpers.h"
#include "imaging/color/color_image.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/testobject/synthesis_windows.h"
#include "imaging/testobject/test_image.h"
#include "imaging/testobject/test_object.h"
#include "platform/core/message_box.h"

namespace {

// The faintest luminance a picture of a test object shows, relative to its brightest.
constexpr float kPictureDynamicRange = 0.001f;
// Starting values of the running wavelength extremes.
constexpr float kShortestStart = 1e20f;
constexpr float kLongestStart = -1e20f;
// The 3-D plot's axes reach a quarter of the field; it draws at scale 1 in its mode 1 with
// colour 128 of the shared palette.
constexpr double kPlotAxisShare = 0.25;
constexpr double kPlotScale = 1.0;
constexpr int kPlotMode = 1;
constexpr int kPlotColour = 128;

void WarnNothingToShow(HWND folder) {
  MessageBeep(MB_OK);
  MessageBox(folder, "Not enougn information!", "Warning", MB_OK | MB_ICONINFORMATION);
}

// sum[i] += cells[i] * factor for n cells.
void AddScaled(float *sum, const float *cells, float factor, int n) {
  for (int i = 0; i < n; ++i) sum[i] += cells[i] * factor;
}

}  // namespace

POINT CascadePlacement(TTestImage &image, TSynthesisWindows *windows) {
  RECT folder{};
  int captionHeight = 0;
  if (windows != nullptr) {
    if (!windows->ScreenRect(image.folderWindow, folder)) folder = RECT{};
    captionHeight = windows->CaptionHeight();
  }
  const int k = image.NextCascade();
  return POINT{folder.right + k * captionHeight, folder.top + k * captionHeight};
}

void TTestObject::ShowColorImage() {
  TTestImage *image = GetTestImage();
  const int count = RecordCount(rasterFiles);
  if (count == 0) {
    WarnNothingToShow(image != nullptr ? image->folderWindow : nullptr);
    return;
  }
  if (image == nullptr) return;
  // A component without a size has no picture to give.
  for (int k = 0; k < count; ++k)
    if (rasterFiles.data[k].width <= 0 || rasterFiles.data[k].height <= 0) {
      MessageBeep(MB_OK);
      return;
    }
  TSynthesisWindows *windows = GetSynthesisWindows();
  const POINT place = CascadePlacement(*image, windows);
  const int n = image->pixelCount;
  const int side = n < kFullSizePictureFrom ? kSmallPictureSide : n;
  pictureSize = SIZE{side, side};
  pictureCentre = POINT{side / 2, side / 2};
  TColorImage *colorImage = ClearedSharedColorImage(*image);
  if (colorImage == nullptr) return;
  SetWaitCursor();
  float shortest = kShortestStart;
  float longest = kLongestStart;
  for (int k = 0; k < count; ++k) {
    const TFileData &record = rasterFiles.data[k];
    colorImage->WriteComponents(record);
    if (record.wavelength < shortest) shortest = record.wavelength;
    if (record.wavelength > longest) longest = record.wavelength;
  }
  colorImage->SetGeometry(shortest, longest, kPictureDynamicRange,
                          static_cast<float>(RasterPitch()));
  // The picture opens whatever the build gives: it shows what the pixels hold.
  colorImage->BuildFromComponents(image->colorMode);
  OpenPicture(*image, *colorImage, place, side, kPictureWindowStyle);
  SetArrowCursor();
}

TColorImage *ClearedSharedColorImage(TTestImage &image) {
  if (image.colorImage == nullptr) image.colorImage = new (std::nothrow) TColorImage();
  if (image.colorImage == nullptr) {
    ShowNotEnoughMemory();
    return nullptr;
  }
  image.colorImage->Clear();
  return image.colorImage;
}

void TTestObject::OpenPicture(TTestImage &image, TColorImage &colorImage, POINT place,
                              int side, DWORD style) {
  colorImage.ShowInWindow(image.folderWindow, place.x, place.y, side, side, style, 0);
  image.picture = colorImage.window;
  TSynthesisWindows *windows = GetSynthesisWindows();
  if (windows != nullptr && image.picture != nullptr)
    windows->SetPictureCaption(image.picture, ImageCaption());
}

int TTestObject::BuildMeanRaster() {
  TTestImage *image = GetTestImage();
  const int n = SynthesisPixelCount();
  const int count = RecordCount(rasterFiles);
  if (image == nullptr || n == 0 || count == 0) return 0;
  Mem<float> &mean = image->raster;
  if (!mean.Allocate(n, n)) return 0;
  mean.Zero();
  const int cells = n * n;
  Mem<float> rasters[2];
  if (count == 1) {
    TFileData reader(rasterFiles.data[0]);
    if (!ReadSquareRaster(reader, rasters[0], n)) return 0;
    AddScaled(mean.data, rasters[0].data, 1.0f, cells);
    return 1;
  }
  SortByWavelength(rasterFiles);
  // Trapezoids over wavelength: each neighbour pair adds (A wi + B wj) h with
  // h = (lj - li) / 2, and W sums (wi + wj) h; the mean is the sum over W. Each file is
  // read once, the later raster of a pair being the earlier of the next.
  TFileData first(rasterFiles.data[0]);
  if (!ReadSquareRaster(first, rasters[0], n)) return 0;
  float integral = 0.0f;
  for (int i = 0; i + 1 < count; ++i) {
    const Mem<float> &a = rasters[i % 2];
    Mem<float> &b = rasters[(i + 1) % 2];
    TFileData reader(rasterFiles.data[i + 1]);
    if (!ReadSquareRaster(reader, b, n)) return 0;
    const TFileData &left = rasterFiles.data[i];
    const TFileData &right = rasterFiles.data[i + 1];
    const float h = (right.wavelength - left.wavelength) * 0.5f;
    integral += (left.weight + right.weight) * h;
    AddScaled(mean.data, a.data, left.weight * h, cells);
    AddScaled(mean.data, b.data, right.weight * h, cells);
  }
  if (integral != 0.0f && std::isfinite(integral)) {
    for (int i = 0; i < cells; ++i) mean.data[i] /= integral;
    return 1;
  }
  // Every component at one wavelength leaves no band to integrate over: the weighted mean,
  // or the plain one when the weights cancel.
  float weights = 0.0f;
  for (int k = 0; k < count; ++k) weights += rasterFiles.data[k].weight;
  const bool weighted = weights != 0.0f && std::isfinite(weights);
  mean.Zero();
  for (int k = 0; k < count; ++k) {
    TFileData reader(rasterFiles.data[k]);
    if (!ReadSquareRaster(reader, rasters[0], n)) return 0;
    AddScaled(mean.data, rasters[0].data, weighted ? rasterFiles.data[k].weight : 1.0f, cells);
  }
  const float divisor = weighted ? weights : static_cast<float>(count);
  for (int i = 0; i < cells; ++i) mean.data[i] /= divisor;
  return 1;
}

void TTestObject::ShowGraph() {
  TTestImage *image = GetTestImage();
  if (RecordCount(rasterFiles) == 0) {
    WarnNothingToShow(image != nullptr ? image->folderWindow : nullptr);
    return;
  }
  if (image == nullptr) return;
  TSynthesisWindows *windows = GetSynthesisWindows();
  const POINT place = CascadePlacement(*image, windows);
  SetWaitCursor();
  const int built = BuildMeanRaster();
  if (built != 0 && windows != nullptr) {
    const int captionHeight = windows->CaptionHeight();
    TRasterPlotRequest request;
    request.parent = image->folderWindow;
    request.caption = ImageCaption();
    request.x = place.x;
    request.y = place.y;
    request.width = kSmallPictureSide + captionHeight - windows->FrameWidth();
    request.height = kSmallPictureSide + captionHeight - windows->FrameHeight();
    request.cells = image->raster.data;
    request.n = image->raster.cols;
    request.step = RasterPitch();
    request.scale = kPlotScale;
    request.axisLength = image->raster.cols * RasterPitch() * kPlotAxisShare;
    request.mode = kPlotMode;
    request.colour = kPlotColour;
    windows->ShowRasterPlot(request);
  }
  SetArrowCursor();
}

int TTestObject::AccumulateRasters(Mem<float> &sum) {
  const int n = SynthesisPixelCount();
  if (n == 0) return 0;
  if (sum.data == nullptr || sum.cols != n || sum.rows != n) {
    if (!sum.Allocate(n, n)) return 0;
    sum.Zero();
  }
  Mem<float> raster;
  int added = 1;
  for (int k = 0; k < RecordCount(rasterFiles); ++k) {
    TFileData reader(rasterFiles.data[k]);
    if (!ReadSquareRaster(reader, raster, n)) {
      added = 0;
      continue;
    }
    AddScaled(sum.data, raster.data, 1.0f, n * n);
  }
  return added;
}
