#include "imaging/color/density_color_image.h"

#include <new>

void TDensityColorImage::WriteComponents(TFileData &record, int) { image.WriteComponents(record); }

void TDensityColorImage::BuildFromComponents(int mode) { image.BuildFromComponents(mode); }

HWND TDensityColorImage::ShowInWindow(HWND parent, int x, int y, int width, int height,
                                      int style, int option) {
  return image.ShowInWindow(parent, x, y, width, height, static_cast<DWORD>(style), option);
}

TColorImageFactory InstallColorImageFactory() {
  return SetColorImageFactory(
      []() -> TColorImageService * { return new (std::nothrow) TDensityColorImage; });
}
