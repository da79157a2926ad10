#pragma once
// Pictures as the movies hold them: in a device-independent bitmap's own layout, rows from
// the bottom up, each padded to whole 32-bit words, pixels as palette indices (8 bits) or
// blue-green-red (24 bits). TAviFrameView lends the writer a picture; TAviImage is a
// 24-bit picture the reader gives back; TAviBitmapFormat is a stream's format.

#include <cstdint>
#include <string>
#include <vector>

// One colour-table entry as a bitmap stores it: blue, green, red, 0.
struct TAviColor {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;
  bool operator==(const TAviColor &) const = default;
};

// A picture lent to the writer: 8-bit (with colours), 24-bit or 32-bit rows, bottom-up.
struct TAviFrameView {
  int width = 0;
  int height = 0;
  int bitCount = 24;
  const std::uint8_t *bits = nullptr;
  const TAviColor *colors = nullptr;
  int colorCount = 0;
  // Whether the writer can take it: a depth of 8, 24 or 32, a size of at least a pixel
  // within the movies' limits, bits, and colours for an 8-bit picture.
  bool Usable() const;
  std::int64_t Stride() const;
};

// A 24-bit picture, rows bottom-up (the reader's pictures, and the writer's pictures on
// their way to the JPEG coder).
struct TAviImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bits;
  std::int64_t Stride() const;
  // Makes a black picture of the size; false when memory runs out.
  bool Allocate(int width, int height);
  // The pixel at (x, y), y counted from the top, as 0x00RRGGBB.
  std::uint32_t Rgb(int x, int y) const;
};

// A stream's format: the bitmap-information header's fields that matter and the colour
// table that follows it in 'strf'.
struct TAviBitmapFormat {
  int width = 0;
  int height = 0;
  int bitCount = 24;
  std::uint32_t compression = 0;
  std::vector<TAviColor> colors;
  // Bytes of one full frame: the stride times the height (also when a header says 0).
  std::uint32_t ImageBytes() const;
  // 'strf': the 40-byte header and the colour table.
  std::string Bytes() const;
};

// Pictures are at most this many pixels a side and this many in all (a window's picture is
// far below; a file that claims more is refused before any memory is asked for).
constexpr int kLargestPictureSide = 16384;
constexpr std::int64_t kLargestPicturePixels = std::int64_t{1} << 24;
bool PictureSizeAllowed(std::int64_t width, std::int64_t height);

// Turns a picture into one of the stream's format: scaled to the format's size (nearest
// pixel) when its own differs, and to the format's depth (an 8-bit stream takes the nearest
// colour of its table when the picture's colours are not its own). `out` receives the rows.
// False when the picture cannot be taken or memory runs out.
bool ConvertFrame(const TAviFrameView &frame, const TAviBitmapFormat &format, std::vector<std::uint8_t> &out);
