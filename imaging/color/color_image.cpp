#include "imaging/color/color_image.h"

#include "foundation/helpers/file_list.h"
#include "imaging/color/color_modes.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/rasters/unique_raster_file.h"
#include "imaging/testobject/synthesis_windows.h"
#include "optics/model/model_globals.h"

namespace {

// Micrometres to nanometres.
constexpr float kNanometresPerMicrometre = 1000.0f;

}  // namespace

TColorImage::TColorImage(float shortestUm, float longestUm, float dynamicRangeValue,
                         float pixelPitchValue) {
  scaleMode = 0;
  modeWord = kDefaultColorMode;
  modeCopy = kDefaultColorMode;
  SetGeometry(shortestUm, longestUm, dynamicRangeValue, pixelPitchValue);
}

TColorImage::~TColorImage() {
  // Picture windows may outlive the image they show.
  if (TSynthesisWindows *windows = GetSynthesisWindows(); windows != nullptr) {
    windows->ImageGone(*this);
  }
  Clear();
}

void TColorImage::SetGeometry(float shortestUm, float longestUm, float dynamicRangeValue,
                              float pixelPitchValue) {
  dynamicRange = dynamicRangeValue;
  pixelPitch = pixelPitchValue;
  shortestWavelength = shortestUm * kNanometresPerMicrometre;
  longestWavelength = longestUm * kNanometresPerMicrometre;
}

int TColorImage::ComponentCount() const { return RecordCount(components); }

void TColorImage::Clear() {
  if (deleteFiles != 0)
    for (int k = 0; k < ComponentCount(); ++k) DeleteFileIfExists(components.data[k].fileName);
  for (const std::string &path : ownFiles_) DeleteFileIfExists(path);
  ownFiles_.clear();
  components.Clear();
  pixels.Clear();
}

void TColorImage::WriteComponents(const TFileData &record) {
  const int count = ComponentCount();
  if (components.Resize(count + 1, 1) == 0) return;
  components.data[count] = record;
  if (pixels.data == nullptr && record.width > 0 && record.height > 0 &&
      pixels.Allocate(record.width, record.height))
    pixels.Zero();
}

int TColorImage::WriteComponents(const TFileData &record, const Mem<float> &raster) {
  TFileData own(record);
  // A unique name of the temporary directory: components of two images, or of two
  // programs, never share a file.
  own.fileName = CreateUniqueRasterFile(TempDir(), "cmp");
  if (own.fileName.empty()) return 0;
  ownFiles_.push_back(own.fileName);
  if (own.Write(raster) == 0) return 0;
  WriteComponents(own);
  return 1;
}

HWND TColorImage::ShowInWindow(HWND parent, int x, int y, int clientWidth, int clientHeight,
                               DWORD style, int option) {
  TSynthesisWindows *windows = GetSynthesisWindows();
  if (windows == nullptr) return nullptr;
  if (window != nullptr) windows->EnablePictureMenu(window, false);
  window = windows->CreatePicture(*this, parent, x, y, clientWidth, clientHeight, style, option);
  if (window == nullptr) return nullptr;
  windows->EnablePictureMenu(window, true);
  return windows->PictureHandle(window);
}

void TColorImage::SortComponentsByWavelength() { SortByWavelength(components); }
