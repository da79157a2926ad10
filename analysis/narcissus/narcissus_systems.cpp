#include "analysis/narcissus/narcissus_systems.h"

#include <new>

#include "document/system/system_image.h"

std::unique_ptr<TOpticalSystem> TSystemImageNarcissus::Copy() {
  std::unique_ptr<TSystemImage> copy(new (std::nothrow) TSystemImage);
  if (!copy) return nullptr;
  copy->Assign(source_, 0);
  return copy;
}

std::unique_ptr<TOpticalSystem> TSystemImageNarcissus::Unfold(TOpticalSystem &copy, int surface) {
  const auto *image = dynamic_cast<const TSystemImage *>(&copy);
  if (image == nullptr) return nullptr;
  return std::unique_ptr<TOpticalSystem>(image->Clone(surface));
}
