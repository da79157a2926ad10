#include "optics/model/optical_element.h"

TOpticalElement::TOpticalElement(const TOpticalElement &other) { *this = other; }

TOpticalElement &TOpticalElement::operator=(const TOpticalElement &other) {
  if (this == &other) return *this;
  surfaces = other.surfaces;
  TEditRegion *copy = other.region ? other.region->Clone() : nullptr;
  delete region;
  region = copy;
  mark = other.mark;
  referencePoint = other.referencePoint;
  return *this;
}

TOpticalElement::~TOpticalElement() { delete region; }
