#include "platform/gui/drawing/dib_pixels.h"

#include "platform/gui/drawing/dc.h"

#include <cstdlib>
#include <cstring>

namespace {

// Beyond this a header is taken as corrupt rather than as a real picture.
constexpr long long kMaxDibDimension = 1 << 15;

}  // namespace

bool IsSupportedDibHeader(const BITMAPINFOHEADER &header) {
  if (header.biSize < 40 || header.biPlanes != 1) return false;
  switch (header.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
      break;
    default:
      return false;
  }
  if (header.biCompression != BI_RGB) return false;
  if (header.biWidth <= 0 || header.biWidth > kMaxDibDimension) return false;
  const long long height = std::llabs(static_cast<long long>(header.biHeight));
  if (height == 0 || height > kMaxDibDimension) return false;
  if (header.biBitCount <= 8 && header.biClrUsed > (1u << header.biBitCount)) return false;
  if (header.biClrUsed > 256) return false;
  return true;
}

int DibColorTableSize(const BITMAPINFOHEADER &header) {
  if (header.biClrUsed != 0) return static_cast<int>(header.biClrUsed);
  return header.biBitCount <= 8 ? (1 << header.biBitCount) : 0;
}

TDibPixelReader::TDibPixelReader(const BITMAPINFO *info, const void *bits, UINT usage,
                                 HPALETTE palette)
    : bits_(static_cast<const std::uint8_t *>(bits)),
      info_(info),
      usage_(usage),
      palette_(palette) {
  if (!info || !bits || !IsSupportedDibHeader(info->bmiHeader)) return;
  const BITMAPINFOHEADER &header = info->bmiHeader;
  width_ = header.biWidth;
  height_ = std::abs(header.biHeight);
  topDown_ = header.biHeight < 0;
  bitsPerPixel_ = header.biBitCount;
  stride_ = DibRowStride(width_, bitsPerPixel_);
  tableSize_ = DibColorTableSize(header);
  valid_ = true;
}

std::uint32_t TDibPixelReader::TableColor(unsigned index) const {
  if (static_cast<int>(index) >= tableSize_) return 0xFF000000u;
  const auto *table = reinterpret_cast<const std::uint8_t *>(info_) + info_->bmiHeader.biSize;
  if (usage_ == DIB_PAL_COLORS) {
    std::uint16_t paletteIndex = 0;
    std::memcpy(&paletteIndex, table + 2 * index, sizeof paletteIndex);
    return PixelOfColor(PaletteEntryColor(palette_, paletteIndex));
  }
  const std::uint8_t *quad = table + 4 * index;
  return 0xFF000000u | (static_cast<std::uint32_t>(quad[2]) << 16) |
         (static_cast<std::uint32_t>(quad[1]) << 8) | quad[0];
}

std::uint32_t TDibPixelReader::Pixel(int x, int rowFromBottom) const {
  if (!valid_ || x < 0 || x >= width_ || rowFromBottom < 0 || rowFromBottom >= height_) {
    return 0xFF000000u;
  }
  const int storedRow = topDown_ ? height_ - 1 - rowFromBottom : rowFromBottom;
  const std::uint8_t *row = bits_ + storedRow * stride_;
  switch (bitsPerPixel_) {
    case 1:
      return TableColor((row[x / 8] >> (7 - x % 8)) & 1u);
    case 4:
      return TableColor((x % 2 == 0) ? (row[x / 2] >> 4) : (row[x / 2] & 0x0Fu));
    case 8:
      return TableColor(row[x]);
    case 24: {
      const std::uint8_t *p = row + 3 * x;
      return 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) |
             (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
    }
    case 32: {
      const std::uint8_t *p = row + 4 * x;
      return 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) |
             (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
    }
    default:
      return 0xFF000000u;
  }
}

void TDibPixelReader::ReadRow(int rowFromBottom, int first, int count, std::uint32_t *out) const {
  const bool rowInside = valid_ && rowFromBottom >= 0 && rowFromBottom < height_;
  const bool packed = bitsPerPixel_ == 24 || bitsPerPixel_ == 32;
  if (!rowInside || !packed || first < 0 || count < 0 || first + count > width_) {
    for (int i = 0; i < count; ++i) out[i] = Pixel(first + i, rowFromBottom);
    return;
  }
  const int storedRow = topDown_ ? height_ - 1 - rowFromBottom : rowFromBottom;
  const int step = bitsPerPixel_ / 8;
  const std::uint8_t *p = bits_ + storedRow * stride_ + static_cast<std::ptrdiff_t>(first) * step;
  for (int i = 0; i < count; ++i, p += step)
    out[i] = 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) |
             (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
}

void TDibPixelReader::LimitRows(int count) {
  if (count < 0) count = 0;
  if (count < height_) height_ = count;
}

void PutDibPixel(std::uint8_t *row, int x, int depth, unsigned index, COLORREF color) {
  switch (depth) {
    case 1: {
      const auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
      row[x / 8] = static_cast<std::uint8_t>(index ? (row[x / 8] | mask) : (row[x / 8] & ~mask));
      break;
    }
    case 4: {
      std::uint8_t &byte = row[x / 2];
      byte = (x % 2 == 0) ? static_cast<std::uint8_t>((byte & 0x0F) | ((index & 0x0F) << 4))
                          : static_cast<std::uint8_t>((byte & 0xF0) | (index & 0x0F));
      break;
    }
    case 8:
      row[x] = static_cast<std::uint8_t>(index);
      break;
    default: {
      std::uint8_t *p = row + (depth / 8) * x;
      p[0] = GetBValue(color);
      p[1] = GetGValue(color);
      p[2] = GetRValue(color);
      if (depth == 32) p[3] = 0;
      break;
    }
  }
}
