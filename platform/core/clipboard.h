#pragma once
// The clipboard through a replaceable provider: text (CF_TEXT, the program's UTF-8) and
// device-independent bitmaps (CF_DIB, packed: header, colour table and rows, as a DIB
// file holds them after its file header). The program installs the Qt one; the default
// keeps the data inside the program, which is what tests use.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/types.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_DIB = 8;

class TClipboardProvider {
 public:
  virtual ~TClipboardProvider() = default;
  virtual void Empty() = 0;
  // Puts one format's data on the clipboard beside what is there in other formats.
  virtual void SetData(UINT format, const std::vector<std::uint8_t> &data) = 0;
  virtual bool GetData(UINT format, std::vector<std::uint8_t> &data) = 0;
  virtual bool HasFormat(UINT format) = 0;
};

// The data kept in the program (the default provider, and the one tests install).
class TMemoryClipboard final : public TClipboardProvider {
 public:
  void Empty() override;
  void SetData(UINT format, const std::vector<std::uint8_t> &data) override;
  bool GetData(UINT format, std::vector<std::uint8_t> &data) override;
  bool HasFormat(UINT format) override;

 private:
  std::vector<std::pair<UINT, std::vector<std::uint8_t>>> formats;
};

TClipboardProvider *SetClipboardProvider(TClipboardProvider *provider);

// The classic calls: the clipboard is opened by one window at a time; setting data needs
// it open. Each returns 0 when that does not hold.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
BOOL IsClipboardFormatAvailable(UINT format);
// Replaces the text (or the DIB); the clipboard must be open.
BOOL SetClipboardText(const std::string &text);
BOOL SetClipboardDib(const std::vector<std::uint8_t> &packedDib);
// Work whether or not the clipboard is open; false when the format is absent.
bool GetClipboardText(std::string &text);
bool GetClipboardDib(std::vector<std::uint8_t> &packedDib);
