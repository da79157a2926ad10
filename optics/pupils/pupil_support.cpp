// Small pieces shared by the pupil solve, the first-order constants and automatic focusing.

#include "optics/pupils/pupil_support.h"

TNeutralImageSurface::TNeutralImageSurface(TSurface *image) : image_(image) {
  if (image_ == nullptr) return;
  nAfter_ = image_->general.nAfter;
  materialKind_ = image_->general.materialKind;
  image_->general.nAfter = image_->general.nBefore;
  image_->general.materialKind = 0;
}

TNeutralImageSurface::~TNeutralImageSurface() {
  if (image_ == nullptr) return;
  image_->general.nAfter = nAfter_;
  image_->general.materialKind = materialKind_;
}

bool AllSurfacesPresent(const TOpticalSystem &system) {
  for (int i = 0; i < system.SurfaceCount(); ++i)
    if (system.Surface(i) == nullptr) return false;
  return true;
}

double SemiHeight(const TOpticalSystem &system, int i) {
  const TSurface *s = system.Surface(i);
  return s != nullptr ? s->general.semiHeightExt : 0.0;
}
