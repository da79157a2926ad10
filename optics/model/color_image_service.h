#pragma once
// What the optical model asks of a colour picture built from float rasters (the density
// image of a system). The image-synthesis layer implements it and installs a factory; the
// model keeps no drawing code of its own.

#include "platform/core/types.h"

class TFileData;

class TColorImageService {
 public:
  virtual ~TColorImageService() = default;
  // Makes the record's raster file the image's component raster.
  virtual void WriteComponents(TFileData &record, int mode) = 0;
  // Builds the image's colour pixels from its component rasters.
  virtual void BuildFromComponents(int mode) = 0;
  // Shows the image in a picture window and answers the window's handle (null when none).
  virtual HWND ShowInWindow(HWND parent, int x, int y, int width, int height, int option1,
                            int option2) = 0;
};

using TColorImageFactory = TColorImageService *(*)();

// Installs the factory (null removes it) and answers the previous one.
TColorImageFactory SetColorImageFactory(TColorImageFactory factory);
// A new, empty colour image the caller owns; null while no factory is installed.
TColorImageService *CreateColorImage();
