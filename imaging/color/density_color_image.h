#pragma once
// The colour image the optical model asks for when it shows the density of a raster: a
// TColorImage behind the model's narrow TColorImageService.

#include "imaging/color/color_image.h"
#include "optics/model/color_image_service.h"

class TDensityColorImage final : public TColorImageService {
 public:
  // The record's file becomes a component (the second argument, a raster, is never given
  // by the model: it passes 0).
  void WriteComponents(TFileData &record, int mode) override;
  void BuildFromComponents(int mode) override;
  // style 0 gives the picture window's own default style.
  HWND ShowInWindow(HWND parent, int x, int y, int width, int height, int style,
                    int option) override;

  TColorImage image;
};

// Makes TDensityColorImage the optical model's colour image; the program calls it once at
// start-up. Answers the factory it replaced.
TColorImageFactory InstallColorImageFactory();
