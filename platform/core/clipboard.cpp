#include "platform/core/clipboard.h"

#include <algorithm>

namespace {

TMemoryClipboard memoryClipboard;
TClipboardProvider *currentProvider = nullptr;
bool isOpen = false;
HWND openedBy = nullptr;

TClipboardProvider &Provider() {
  return currentProvider != nullptr ? *currentProvider : memoryClipboard;
}

}  // namespace

void TMemoryClipboard::Empty() { formats.clear(); }

void TMemoryClipboard::SetData(UINT format, const std::vector<std::uint8_t> &data) {
  for (auto &[kept, bytes] : formats) {
    if (kept == format) {
      bytes = data;
      return;
    }
  }
  formats.emplace_back(format, data);
}

bool TMemoryClipboard::GetData(UINT format, std::vector<std::uint8_t> &data) {
  for (const auto &[kept, bytes] : formats) {
    if (kept == format) {
      data = bytes;
      return true;
    }
  }
  return false;
}

bool TMemoryClipboard::HasFormat(UINT format) {
  return std::any_of(formats.begin(), formats.end(),
                     [format](const auto &entry) { return entry.first == format; });
}

TClipboardProvider *SetClipboardProvider(TClipboardProvider *provider) {
  TClipboardProvider *previous = currentProvider;
  currentProvider = provider;
  return previous;
}

BOOL OpenClipboard(HWND owner) {
  if (isOpen) return 0;
  isOpen = true;
  openedBy = owner;
  return 1;
}

BOOL CloseClipboard() {
  if (!isOpen) return 0;
  isOpen = false;
  openedBy = nullptr;
  return 1;
}

BOOL EmptyClipboard() {
  if (!isOpen) return 0;
  Provider().Empty();
  return 1;
}

BOOL IsClipboardFormatAvailable(UINT format) { return Provider().HasFormat(format) ? 1 : 0; }

BOOL SetClipboardText(const std::string &text) {
  if (!isOpen) return 0;
  Provider().SetData(CF_TEXT, std::vector<std::uint8_t>(text.begin(), text.end()));
  return 1;
}

BOOL SetClipboardDib(const std::vector<std::uint8_t> &packedDib) {
  if (!isOpen || packedDib.empty()) return 0;
  Provider().SetData(CF_DIB, packedDib);
  return 1;
}

bool GetClipboardText(std::string &text) {
  std::vector<std::uint8_t> bytes;
  if (!Provider().GetData(CF_TEXT, bytes)) return false;
  // Text ends at its first zero, as a classic clipboard text does.
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  text.assign(bytes.begin(), end);
  return true;
}

bool GetClipboardDib(std::vector<std::uint8_t> &packedDib) {
  return Provider().GetData(CF_DIB, packedDib) && !packedDib.empty();
}
