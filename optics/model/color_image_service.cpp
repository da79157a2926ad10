#include "optics/model/color_image_service.h"

namespace {
TColorImageFactory colorImageFactory = nullptr;
}  // namespace

TColorImageFactory SetColorImageFactory(TColorImageFactory factory) {
  const TColorImageFactory previous = colorImageFactory;
  colorImageFactory = factory;
  return previous;
}

TColorImageService *CreateColorImage() {
  return colorImageFactory ? colorImageFactory() : nullptr;
}
