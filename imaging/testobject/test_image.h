#pragma once
// The one shared record of an image synthesis: raster geometry, the settings of the
// folder's pages, the field extents the synthesis computes, the defaults of new picture
// windows, the current result raster and the links to the folder window, the shared colour
// image and the last picture window. At most one exists; everything reaches it through
// GetTestImage().

#include <cstdint>

#include "foundation/containers/mem.h"
#include "imaging/color/color_modes.h"
#include "platform/core/types.h"

class TColorImage;
class TColorPicture;

// Pixel counts a synthesis raster may have per side.
constexpr int kSmallestPixelCount = 64;
constexpr int kLargestPixelCount = 2048;

// Picture and graph windows cascade from the folder by this many caption heights, 0 .. 5.
constexpr int kCascadeSteps = 6;

class TTestImage {
 public:
  TTestImage() = default;
  // Deletes the colour image; picture windows stay open.
  ~TTestImage();
  TTestImage(const TTestImage &) = delete;
  TTestImage &operator=(const TTestImage &) = delete;

  std::int32_t pixelCount = 128;  // N: pixels per side, 64 .. 2048, a power of two
  std::int32_t savedNd = 128;     // the system's PSF grid size when the folder opened
  double savedDiscrete = 0.0;     // the system's diffraction sampling step then
  double pixelSize = 0.0;         // p: mm, or mrad for an image at infinity
  std::int32_t savedDifrac = 0;   // the system's diffraction switch then
  double fieldSize = 0.0;         // side of the image field, N x p when the folder opens
  double ObjectSize = 0.0;        // test-object size in the unit of UnitBtn
  double objectFieldWidth = 0.0;  // 2 x objectFieldHalf
  double objectFieldHalf = 0.0;   // largest |field| of the system's field list
  double objectStep = 0.0;        // object pixel size
  double imageFieldWidth = 0.0;   // 2 x imageFieldHalf
  double imageFieldHalf = 0.0;    // largest |image-side field coordinate|
  double imageFieldTenth = 0.0;   // cell of the image-to-object maps
  float psfCutLevel = 0.001f;     // relative level handed to node PSFs
  std::int32_t realImage = 0;     // 1: a PSF per field node; 0: one PSF for the field
  std::int32_t customObject = 0;  // 1 while the test object is the bitmap object
  std::int32_t UnitBtn = 0;       // unit of ObjectSize: 0 m, 1 arc minutes, 2 degrees
  std::int32_t ObjectSpaceCheck = 0;  // 1: ObjectSize in object space; 0: image space
  double Distance = 1000.0;       // object distance, m
  std::int32_t colorMode = kDefaultColorMode;
  std::int32_t cascade = 0;       // offset index of the next picture or graph window
  std::int32_t pictureInt1 = 1;   // colour-scale flag of new picture windows
  std::int32_t pictureInt2 = 1;   // axes flag of new picture windows
  double pictureValue1 = 1.0;
  double pictureValue2 = 1.0;
  double pictureValue3 = 0.0;     // starting black level of new picture windows
  Mem<float> raster;              // the current result: the mean image of ShowGraph
  HWND folderWindow = nullptr;    // owner of picture and graph windows and their boxes
  TColorImage *colorImage = nullptr;  // the shared colour image, owned
  TColorPicture *picture = nullptr;   // the picture window opened last, not owned

  // The cascade index for the next window; advances it, 0 again after the sixth.
  int NextCascade();
};

// The one record, or null; not owned here (the folder, the picture window or the PSF
// display that made it deletes it and sets null again).
TTestImage *GetTestImage();
void SetTestImage(TTestImage *image);
