#include "synthesis/objects/bitmap_scene.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr std::uint8_t kWhite = 255;

bool IsPureWhite(const std::uint8_t *pixel) {
  return pixel[0] == kWhite && pixel[1] == kWhite && pixel[2] == kWhite;
}

// Copies the picture into the scene with its top-left corner at `at`; pure white pixels
// are left out when asked.
void Place(TScenePicture &scene, const TScenePicture &picture, POINT at, bool skipWhite) {
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const long sx = static_cast<long>(at.x) + x;
      const long sy = static_cast<long>(at.y) + y;
      if (sx < 0 || sy < 0 || sx >= scene.width || sy >= scene.height) continue;
      const std::uint8_t *pixel = picture.Pixel(x, y);
      if (skipWhite && IsPureWhite(pixel)) continue;
      scene.SetPixel(static_cast<int>(sx), static_cast<int>(sy), pixel[2], pixel[1], pixel[0]);
    }
  }
}

}  // namespace

bool TScenePicture::Allocate(int w, int h) {
  width = 0;
  height = 0;
  bgr.clear();
  if (w < 1 || h < 1) return false;
  try {
    bgr.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3, 0);
  } catch (const std::bad_alloc &) {
    return false;
  }
  width = w;
  height = h;
  return true;
}

const std::uint8_t *TScenePicture::Pixel(int x, int y) const {
  if (!Inside(x, y)) return nullptr;
  return &bgr[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x)) * 3];
}

void TScenePicture::SetPixel(int x, int y, std::uint8_t red, std::uint8_t green,
                             std::uint8_t blue) {
  if (!Inside(x, y)) return;
  std::uint8_t *pixel = &bgr[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                              static_cast<std::size_t>(x)) * 3];
  pixel[0] = blue;
  pixel[1] = green;
  pixel[2] = red;
}

SIZE BitmapSceneSize(const TScenePicture *background, const TScenePicture *object, int n) {
  SIZE size{kSmallestSceneSide, kSmallestSceneSide};
  if (background != nullptr && !background->Empty()) {
    size.cx = std::max(background->width, n);
    size.cy = std::max(background->height, n);
  }
  if (object != nullptr && !object->Empty()) {
    size.cx = std::max<LONG>(size.cx, object->width);
    size.cy = std::max<LONG>(size.cy, object->height);
  }
  return size;
}

POINT BackgroundPlace(const TScenePicture &background, int n) {
  return POINT{std::max(0, (n - background.width) / 2), std::max(0, (n - background.height) / 2)};
}

RECT OrderedSelection(const RECT &selection) {
  return RECT{std::min(selection.left, selection.right), std::min(selection.top, selection.bottom),
              std::max(selection.left, selection.right), std::max(selection.top, selection.bottom)};
}

RECT PlacedSelection(const RECT &old, int n, bool realMode, SIZE scene) {
  if (realMode) return RECT{0, 0, scene.cx, scene.cy};
  const RECT s = OrderedSelection(old);
  const LONG left = std::max<LONG>(0, s.left - (n - (s.right - s.left)) / 2);
  const LONG top = std::max<LONG>(0, s.top - (n - (s.bottom - s.top)) / 2);
  return RECT{left, top, left + n, top + n};
}

bool ComposeBitmapScene(TScenePicture &scene, SIZE size, const TScenePicture *background,
                        POINT backgroundAt, const TScenePicture *object, POINT objectAt) {
  if (!scene.Allocate(size.cx, size.cy)) return false;
  const bool hasBackground = background != nullptr && !background->Empty();
  if (hasBackground) Place(scene, *background, backgroundAt, false);
  if (object != nullptr && !object->Empty()) Place(scene, *object, objectAt, hasBackground);
  return true;
}

bool ScaleScenePicture(const TScenePicture &picture, SIZE size, TScenePicture &scaled) {
  if (picture.Empty() || !scaled.Allocate(size.cx, size.cy)) return false;
  for (int y = 0; y < scaled.height; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y) * picture.height / scaled.height);
    for (int x = 0; x < scaled.width; ++x) {
      const int sx = static_cast<int>(static_cast<long long>(x) * picture.width / scaled.width);
      const std::uint8_t *pixel = picture.Pixel(sx, sy);
      scaled.SetPixel(x, y, pixel[2], pixel[1], pixel[0]);
    }
  }
  return true;
}

TBitmapCapture BitmapCaptureGeometry(const RECT &selection, int n, bool realMode) {
  const RECT s = OrderedSelection(selection);
  TBitmapCapture capture;
  if (realMode) {
    capture.width = s.right - s.left + 1;
    capture.height = s.bottom - s.top + 1;
  } else {
    capture.width = n;
    capture.height = n;
  }
  capture.centre = POINT{(s.left + s.right) / 2, (s.top + s.bottom) / 2};
  return capture;
}

int CaptureBitmapRasters(const TScenePicture &scene, const RECT &selection, int n, bool realMode,
                         bool tvColor, Mem<float> rasters[3], TBitmapCapture &geometry) {
  geometry = BitmapCaptureGeometry(selection, n, realMode);
  const int count = tvColor ? 3 : 1;
  for (int k = 0; k < 3; ++k) rasters[k].Clear();
  if (geometry.width < 1 || geometry.height < 1) return 0;
  for (int k = 0; k < count; ++k) {
    if (!rasters[k].Allocate(geometry.width, geometry.height)) {
      for (int j = 0; j < 3; ++j) rasters[j].Clear();
      return 0;
    }
    rasters[k].Zero();
  }
  const RECT s = OrderedSelection(selection);
  // A frame wider than the raster (drawn for a PSF per field point, then one PSF chosen)
  // gives only what fits.
  const int columns = std::min<long>(s.right - s.left, geometry.width);
  const int rows = std::min<long>(s.bottom - s.top, geometry.height);
  float largest = 0.0f;
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      const std::uint8_t *pixel = scene.Pixel(s.left + x, s.top + y);
      if (pixel == nullptr) continue;
      const float blue = pixel[0];
      const float green = pixel[1];
      const float red = pixel[2];
      const std::size_t cell = static_cast<std::size_t>(y) * geometry.width + x;
      if (tvColor) {
        rasters[0].data[cell] = blue;
        rasters[1].data[cell] = green;
        rasters[2].data[cell] = red;
        largest = std::max({largest, blue, green, red});
      } else {
        const float luminance = red + kLuminanceGreen * green + kLuminanceBlue * blue;
        rasters[0].data[cell] = luminance;
        largest = std::max(largest, luminance);
      }
    }
  }
  // Divided rather than multiplied by the reciprocal, so that the brightest cell is exactly 1.
  if (largest > 0.0f) {
    const std::size_t cells = static_cast<std::size_t>(geometry.width) * geometry.height;
    for (int k = 0; k < count; ++k)
      for (std::size_t i = 0; i < cells; ++i) rasters[k].data[i] /= largest;
  }
  return 1;
}

double CapturedValueAt(const Mem<float> rasters[3], int count, POINT centre, int component,
                       double x, double y, double d) {
  if (rasters == nullptr || count < 1 || count > 3 || component < 0) return 0.0;
  if (!(d != 0.0) || !std::isfinite(d)) return 0.0;
  const Mem<float> &raster = rasters[std::min(component, count - 1)];
  if (raster.data == nullptr || raster.cols < 1 || raster.rows < 1) return 0.0;
  const double column = std::trunc(x / d + centre.x);
  const double row = std::trunc(centre.y - y / d);
  // Far points (and NaN) lie outside every raster: no conversion of them to int.
  if (!(column >= 0.0 && column < raster.cols && row >= 0.0 && row < raster.rows)) return 0.0;
  return raster.data[static_cast<std::size_t>(row) * raster.cols + static_cast<std::size_t>(column)];
}
