#pragma once
// The scene of the bitmap test object without windows: the pictures as plain 24-bit pixel
// blocks, where the background and the object picture lie in the scene, where the capture
// square goes, and the capture itself: the framed part of the scene as one luminance
// raster (R + 4.5907 G + 0.0601 B) or three TV-colour rasters (blue, green, red), scaled
// so that the brightest cell is 1.

#include <cstdint>
#include <vector>

#include "foundation/containers/mem.h"
#include "platform/core/types.h"

// The luminance of the three primaries relative to red's.
constexpr float kLuminanceGreen = 4.5907f;
constexpr float kLuminanceBlue = 0.0601f;
// The smallest side of the scene window.
constexpr int kSmallestSceneSide = 256;

// A picture of width x height pixels, three bytes each (blue, green, red), row 0 at the top.
struct TScenePicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;

  // Black pixels; false (and empty) for a size below 1 or when memory runs out.
  bool Allocate(int w, int h);
  bool Empty() const { return width <= 0 || height <= 0; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // The pixel's three bytes (blue, green, red); null outside the picture.
  const std::uint8_t *Pixel(int x, int y) const;
  void SetPixel(int x, int y, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
};

// The scene's size: 256 x 256, widened to the background picture and to the N x N square
// when there is a background, and to the object picture.
SIZE BitmapSceneSize(const TScenePicture *background, const TScenePicture *object, int n);
// Where the background's top-left corner lies: a picture smaller than N is centred in the
// N x N square at the scene's top left; never negative.
POINT BackgroundPlace(const TScenePicture &background, int n);
// The capture frame after the pictures or N changed: with one PSF for the field an N x N
// square around the old frame's centre (not beyond the scene's top and left), with a PSF
// per field point the whole scene.
RECT PlacedSelection(const RECT &old, int n, bool realMode, SIZE scene);
// The frame as left <= right and top <= bottom, whichever corner it was drawn from.
RECT OrderedSelection(const RECT &selection);

// Composes what the scene window shows: black, the background picture at its place and the
// object picture's pixels at objectAt, pure white ones left out (they let the background
// show through). Without a background picture there is nothing to let through: the object
// picture is placed whole, white included, as it is drawn. false when the scene could not
// be allocated.
bool ComposeBitmapScene(TScenePicture &scene, SIZE size, const TScenePicture *background,
                        POINT backgroundAt, const TScenePicture *object, POINT objectAt);

// The picture resampled to `size` by the nearest pixel, as a stretched window shows it.
// false for an empty size or when memory runs out.
bool ScaleScenePicture(const TScenePicture &picture, SIZE size, TScenePicture &scaled);

// The rasters' size and the frame's centre in the scene.
struct TBitmapCapture {
  int width = 0;
  int height = 0;
  POINT centre{};
};
// With one PSF for the field the rasters are N x N; with a PSF per field point one more
// than the frame's extent each way (the last column and row stay 0).
TBitmapCapture BitmapCaptureGeometry(const RECT &selection, int n, bool realMode);

// The framed part of the scene as rasters of the capture's size (one, or three when
// tvColor), cell (x, y) from scene pixel (left + x, top + y), black outside the scene; cells
// beyond a raster are not written. Every raster is scaled by one factor so that the
// brightest cell is 1 (a black frame stays 0). 0 when memory runs out.
int CaptureBitmapRasters(const TScenePicture &scene, const RECT &selection, int n, bool realMode,
                         bool tvColor, Mem<float> rasters[3], TBitmapCapture &geometry);

// The captured rasters as the synthesis with a PSF per field point samples them, so that
// it sees what the synthesis with one PSF sees: the same luminance or TV-colour values at
// the same scale. count rasters (1 luminance, or 3 TV colours: blue, green, red, as the
// television primaries rise in wavelength); component k reads raster k, and every
// component past the last reads the last (with one luminance raster every wavelength sees
// it). (x, y) is the field point, d the object pixel size; the cell is centre + (x / d,
// -y / d), truncated toward zero. 0 outside the rasters, without them or without a pixel
// size.
double CapturedValueAt(const Mem<float> rasters[3], int count, POINT centre, int component,
                       double x, double y, double d);
