#include "editor/edit/edit_clipboard.h"

#include <memory>

#include "document/system/system_image.h"

namespace {

std::unique_ptr<TSystemImage> &Holder() {
  static std::unique_ptr<TSystemImage> clipboard;
  return clipboard;
}

}  // namespace

TSystemImage *EditClipboard() { return Holder().get(); }

TSystemImage &RenewEditClipboard() {
  std::unique_ptr<TSystemImage> &clipboard = Holder();
  if (clipboard != nullptr) clipboard->Clear();
  clipboard = std::make_unique<TSystemImage>();
  return *clipboard;
}

void DeleteEditClipboard() { Holder().reset(); }
