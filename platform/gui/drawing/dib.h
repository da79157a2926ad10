#pragma once
// The framework's device-independent bitmap: one block holding the bitmap-information
// header, the colour table (RGB quads, or 16-bit palette indices in DIB_PAL_COLORS mode)
// and the bottom-up rows, plus reading and writing of bitmap (.bmp) files.

#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/gdi_types.h"

#include <cstdint>
#include <string>
#include <vector>

class TDC;

class TDib {
 public:
  // A blank (all-zero) bitmap deep enough for `colorCount` colours: 2 give 1 bit, 16 give 4,
  // 256 give 8, more give 24. In DIB_PAL_COLORS mode the table holds the indices 0, 1, 2 ...
  TDib(int width, int height, int colorCount, UINT colorMode = DIB_RGB_COLORS);
  // Takes over a packed block (header, table, bits); a block that does not describe a
  // readable bitmap leaves the DIB invalid.
  explicit TDib(std::vector<std::uint8_t> block, UINT colorMode = DIB_RGB_COLORS);
  // Reads a bitmap file; on failure the DIB is invalid and ErrorText() says why.
  explicit TDib(const char *fileName);
  // A copy of a device bitmap: 24 bits, or 8 bits indexing `palette` when one is given.
  TDib(HBITMAP bitmap, HPALETTE palette);
  TDib(const TDib &other);
  TDib &operator=(const TDib &) = delete;
  virtual ~TDib() = default;

  bool IsOK() const { return !block_.empty(); }
  const std::string &ErrorText() const { return error_; }
  int Width() const;
  int Height() const;
  int BitsPixel() const;
  int NumColors() const;
  UINT Usage() const { return usage_; }
  // Switches the meaning of the colour table. To palette indices: each RGB entry becomes
  // the index of its nearest colour in `palette`. To RGB: each index becomes that entry's
  // colour (the default palette when `palette` is null).
  bool ChangeModeToPal(HPALETTE palette);
  bool ChangeModeToRGB(HPALETTE palette);

  BITMAPINFO *GetInfo();
  const BITMAPINFO *GetInfo() const;
  BITMAPINFOHEADER *GetInfoHeader() { return &GetInfo()->bmiHeader; }
  const BITMAPINFOHEADER *GetInfoHeader() const { return &GetInfo()->bmiHeader; }
  std::uint8_t *GetBits();
  const std::uint8_t *GetBits() const;
  RGBQUAD *GetColors();
  // Bytes of the whole block.
  std::size_t BlockSize() const { return block_.size(); }

  // Writes a bitmap file (through a temporary file renamed into place). A DIB in palette
  // mode is written with its indices resolved through `palette` (default palette if null).
  [[nodiscard]] bool WriteFile(const char *fileName, HPALETTE palette = nullptr) const;

  // Parses the bytes of a bitmap file into a packed bottom-up block; false with a reason.
  static bool ParseBitmapFile(const std::vector<std::uint8_t> &file,
                              std::vector<std::uint8_t> &block, std::string &error);

 protected:
  // Offset of the bits inside the block.
  std::size_t BitsOffset() const;

  std::vector<std::uint8_t> block_;
  UINT usage_ = DIB_RGB_COLORS;
  std::string error_;
};
