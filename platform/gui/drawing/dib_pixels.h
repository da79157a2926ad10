#pragma once
// Reading pixels of a packed device-independent bitmap (header, colour table, bits) in the
// depths 1, 4, 8, 24 and 32, with an RGB colour table or palette indices.

#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/gdi_types.h"

#include <cstddef>
#include <cstdint>

// Row stride of a DIB: rows are padded to whole 32-bit words.
constexpr long long DibRowStride(long long width, int bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

// Whether a header describes a bitmap this layer can read: size at least 40, one plane,
// depth 1, 4, 8, 24 or 32, uncompressed, width above 0, height not 0, sizes within limits
// and a colour table no longer than the depth allows.
bool IsSupportedDibHeader(const BITMAPINFOHEADER &header);
// Entries in the colour table that follows the header (0 for 24 and 32 bits unless
// biClrUsed says otherwise).
int DibColorTableSize(const BITMAPINFOHEADER &header);

// Writes pixel x of a bottom-up DIB row: a palette index at 1, 4 and 8 bits, the colour
// (blue, green, red bytes; a zero fourth byte at 32 bits) at 24 and 32 bits.
void PutDibPixel(std::uint8_t *row, int x, int depth, unsigned index, COLORREF color);

class TDibPixelReader {
 public:
  // palette resolves DIB_PAL_COLORS tables (16-bit indices); ignored for DIB_RGB_COLORS.
  TDibPixelReader(const BITMAPINFO *info, const void *bits, UINT usage, HPALETTE palette);
  bool IsValid() const { return valid_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Pixel x of stored row `rowFromBottom` (0 = the bottom row) as 0xFFRRGGBB.
  std::uint32_t Pixel(int x, int rowFromBottom) const;
  // Pixels first .. first + count - 1 of a stored row, as Pixel gives them; the row and
  // the depth are looked up once, so whole pictures copy at memory speed.
  void ReadRow(int rowFromBottom, int first, int count, std::uint32_t *out) const;
  // The bits hold only `count` rows (a band of a larger bitmap).
  void LimitRows(int count);

 private:
  std::uint32_t TableColor(unsigned index) const;

  bool valid_ = false;
  const std::uint8_t *bits_ = nullptr;
  const BITMAPINFO *info_ = nullptr;
  UINT usage_ = DIB_RGB_COLORS;
  HPALETTE palette_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  bool topDown_ = false;
  int bitsPerPixel_ = 0;
  long long stride_ = 0;
  int tableSize_ = 0;
};
