#include "editor/insert/element_clipboard.h"

#include <memory>

#include "editor/model/system_image.h"

namespace {

std::unique_ptr<TSystemImage> &Holder() {
  static std::unique_ptr<TSystemImage> clipboard;
  return clipboard;
}

}  // namespace

TSystemImage *ElementClipboard() { return Holder().get(); }

TSystemImage &ReplaceElementClipboard() {
  Holder().reset();
  Holder() = std::make_unique<TSystemImage>();
  return *Holder();
}

void ClearElementClipboard() { Holder().reset(); }
