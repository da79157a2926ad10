#include "editor/insert/element_clipboard.h"

#include <memory>

#include "editor/model/system_image.h"

namespace {

std::unique_ptr<TSystemImage> &Holder() {
  static std::unique_ptr<TSystemImage> clipboard;
  return clipboard;
}

}  // namespace

TSystemImage *InsertClipboard() { return Holder().get(); }

TSystemImage &RenewInsertClipboard() {
  Holder().reset();
  Holder() = std::make_unique<TSystemImage>();
  return *Holder();
}

void DeleteInsertClipboard() { Holder().reset(); }
