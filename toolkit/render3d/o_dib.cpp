#include "toolkit/render3d/o_dib.h"

#include "platform/core/clipboard.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/dib_pixels.h"
#include "toolkit/render3d/o_palette.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr std::size_t kHeaderSize = 40;
// Side limit of a new bitmap; beyond it the block is refused.
constexpr int kMaxSide = 1 << 15;

double EdgeX(POINT from, POINT to, int y) {
  if (to.y == from.y) return from.x;
  const double dx = static_cast<double>(to.x) - from.x;
  const double dy = static_cast<double>(to.y) - from.y;
  return from.x + dx * (static_cast<double>(y) - from.y) / dy;
}

int Truncate(double v) { return static_cast<int>(std::clamp(std::trunc(v), -2.0e9, 2.0e9)); }

}  // namespace

std::vector<std::uint8_t> TODib::AllocDib24(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return {};
  BITMAPINFOHEADER header;
  header.biWidth = width;
  header.biHeight = height;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<DWORD>(DibRowStride(width, 24) * height);
  std::vector<std::uint8_t> block;
  try {
    block.assign(kHeaderSize + header.biSizeImage, 0);
  } catch (const std::bad_alloc &) {
    return {};
  }
  std::memcpy(block.data(), &header, kHeaderSize);
  return block;
}

TODib::TODib(int width, int height) : TDib(AllocDib24(width, height), DIB_RGB_COLORS) {
  InitGeometry();
}

TODib::TODib(std::vector<std::uint8_t> block, bool) : TDib(std::move(block), DIB_RGB_COLORS) {
  InitGeometry();
}

TODib::TODib(const TODib &other) : TDib(other) { InitGeometry(); }

TODib::TODib(int width, int height, int colorCount, UINT colorMode)
    : TDib(width, height, colorCount, colorMode) {
  InitGeometry();
}

TODib::TODib(const char *fileName) : TDib(fileName) { InitGeometry(); }

TODib::TODib(HBITMAP bitmap, HPALETTE palette) : TDib(bitmap, palette) { InitGeometry(); }

void TODib::InitGeometry() {
  if (!IsOK()) {
    bitsPerPixel_ = rowStride_ = width_ = height_ = 0;
  } else {
    const BITMAPINFOHEADER &header = *GetInfoHeader();
    bitsPerPixel_ = header.biBitCount;
    width_ = header.biWidth;
    height_ = header.biHeight;
    rowStride_ = static_cast<int>(DibRowStride(width_, bitsPerPixel_));
  }
  currentX_ = currentY_ = 0;
}

void TODib::SetColorMode(WORD mode) {
  if (mode == DIB_PAL_COLORS) {
    // The table then holds the palette indices 0, 1, 2 ... of the context's palette.
    if (usage_ != DIB_PAL_COLORS && IsOK()) {
      const int n = NumColors();
      std::uint8_t *table = block_.data() + kHeaderSize;
      std::memset(table, 0, 4 * static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) {
        const auto index = static_cast<std::uint16_t>(i);
        std::memcpy(table + 2 * i, &index, 2);
      }
    }
    usage_ = DIB_PAL_COLORS;
  } else if (mode == DIB_RGB_COLORS) {
    // Indices refer to the shared palette, which every palettised back buffer is drawn with.
    ChangeModeToRGB(SharedPalette ? static_cast<HPALETTE>(*SharedPalette) : nullptr);
  }
}

std::uint8_t *TODib::Row(int y) {
  return GetBits() + static_cast<std::ptrdiff_t>(height_ - 1 - y) * rowStride_;
}
const std::uint8_t *TODib::Row(int y) const {
  return GetBits() + static_cast<std::ptrdiff_t>(height_ - 1 - y) * rowStride_;
}

int TODib::Draw(TDC &dc, int x, int y, const RECT *source) const {
  if (!IsOK()) return 0;
  const RECT whole{0, 0, width_, height_};
  const RECT &r = source ? *source : whole;
  const int h = r.Height();
  return dc.SetDIBitsToDevice(x, y, r.Width(), h, r.left, height_ - (r.top + h), 0,
                              static_cast<UINT>(height_), GetBits(), GetInfo(), usage_);
}

int TODib::StretchDraw(TDC &dc, const RECT &destination, const RECT *source) const {
  if (!IsOK()) return 0;
  const RECT whole{0, 0, width_, height_};
  const RECT &r = source ? *source : whole;
  const int h = r.Height();
  return dc.StretchDIBits(destination.left, destination.top, destination.Width(),
                          destination.Height(), r.left, height_ - (r.top + h), r.Width(), h,
                          GetBits(), GetInfo(), usage_, SRCCOPY);
}

bool TODib::WriteFile(const char *fileName) const {
  return TDib::WriteFile(fileName, SharedPalette ? static_cast<HPALETTE>(*SharedPalette) : nullptr);
}

int TODib::ToClipboard() const {
  if (!IsOK()) return 1;
  // Drawn through the palette into a device bitmap, whose 24-bit copy goes on the
  // clipboard as a packed DIB.
  HBITMAP bitmap = CreateBitmapOfSize(width_, height_);
  if (bitmap == nullptr) return 1;
  {
    TMemoryDC dc;
    dc.SelectObject(bitmap);
    Draw(dc, 0, 0);
    dc.RestoreBitmap();
  }
  const TDib copy(bitmap, nullptr);
  DeleteObject(bitmap);
  if (!copy.IsOK()) return 1;
  const auto *block = reinterpret_cast<const std::uint8_t *>(copy.GetInfo());
  const std::vector<std::uint8_t> packed(block, block + copy.BlockSize());
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    SetClipboardDib(packed);
    CloseClipboard();
  }
  return 1;
}

void TODib::Clear(COLORREF value) {
  if (!IsOK()) return;
  for (int y = 0; y < height_; ++y) {
    std::uint8_t *row = Row(y);
    switch (bitsPerPixel_) {
      case 4:
        std::fill(row, row + (width_ + 1) / 2,
                  static_cast<std::uint8_t>((value & 0x0F) | ((value & 0x0F) << 4)));
        break;
      case 8:
        std::fill(row, row + width_, static_cast<std::uint8_t>(value & 0xFF));
        break;
      case 24:
      case 32: {
        const int step = bitsPerPixel_ / 8;
        for (int x = 0; x < width_; ++x) {
          std::uint8_t *p = row + step * x;
          p[0] = GetBValue(value);
          p[1] = GetGValue(value);
          p[2] = GetRValue(value);
          if (step == 4) p[3] = 0;
        }
        break;
      }
      default:
        break;
    }
  }
}

int TODib::GetPixelIndex(int x, int y) const {
  if (!IsOK() || !Inside(x, y)) return 0;
  const std::uint8_t *row = Row(y);
  switch (bitsPerPixel_) {
    case 1:
      return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4:
      return (x % 2 == 0) ? (row[x / 2] >> 4) : (row[x / 2] & 0x0F);
    case 8:
      return row[x];
    default:
      return 0;
  }
}

RGBTRIPLE TODib::GetPixelColor(int x, int y) const {
  if (!IsOK() || !Inside(x, y) || bitsPerPixel_ < 24) return RGBTRIPLE{};
  const std::uint8_t *p = Row(y) + (bitsPerPixel_ / 8) * x;
  return RGBTRIPLE{p[0], p[1], p[2]};
}

void TODib::SetPixelIndex(int x, int y, int index, HPALETTE palette) {
  if (!IsOK() || !Inside(x, y)) return;
  std::uint8_t *row = Row(y);
  if (bitsPerPixel_ == 24) {
    // Without a palette there is no colour to store.
    if (!palette) return;
    PutDibPixel(row, x, 24, 0, PaletteEntryColor(palette, index));
  } else if (bitsPerPixel_ <= 8) {
    PutDibPixel(row, x, bitsPerPixel_, static_cast<unsigned>(index), 0);
  }
}

void TODib::SetPixelRGB(int x, int y, BYTE red, BYTE green, BYTE blue) {
  if (!IsOK() || !Inside(x, y) || bitsPerPixel_ < 24) return;
  std::uint8_t *p = Row(y) + (bitsPerPixel_ / 8) * x;
  p[0] = blue;
  p[1] = green;
  p[2] = red;
  if (bitsPerPixel_ == 32) p[3] = 0;
}

void TODib::SetPixel(int x, int y, COLORREF color) {
  if (bitsPerPixel_ < 24) {
    SetPixelIndex(x, y, static_cast<int>(color & 0xFFFF), nullptr);
  } else {
    SetPixelRGB(x, y, GetRValue(color), GetGValue(color), GetBValue(color));
  }
}

void TODib::SetRow8(int y, const BYTE *bytes, int count) {
  if (!IsOK() || !bytes || y < 0 || y >= height_ || count < 0 || count > width_) return;
  // The row must hold count bytes: at depths below 8 a width-long copy would overrun it.
  if (static_cast<long long>(count) > rowStride_) return;
  std::memcpy(Row(y), bytes, static_cast<std::size_t>(count));
}

void TODib::SetRow24(int y, const RGBTRIPLE *triples, int count) {
  if (!IsOK() || !triples || y < 0 || y >= height_ || count < 0 || count > width_) return;
  if (3LL * count > rowStride_) return;
  std::memcpy(Row(y), triples, 3 * static_cast<std::size_t>(count));
}

void TODib::MoveTo(int x, int y) {
  currentX_ = x;
  currentY_ = y;
}

void TODib::LineTo(int x, int y, COLORREF color) {
  const long long dx = static_cast<long long>(x) - currentX_;
  const long long dy = static_cast<long long>(y) - currentY_;
  if (dx == 0 && dy == 0) {
    SetPixel(x, y, color);
  } else if (std::llabs(dx) >= std::llabs(dy)) {
    const double slope = static_cast<double>(dy) / dx;
    // Only the steps whose x can lie inside the bitmap are visited.
    const long long low = std::max(std::min(0LL, dx), -1LL - currentX_);
    const long long high = std::min(std::max(0LL, dx), static_cast<long long>(width_) - currentX_);
    for (long long i = low; i <= high; ++i) {
      const long long row =
          currentY_ + static_cast<long long>(Truncate(static_cast<double>(i) * slope + 0.5));
      if (row >= 0 && row < height_)
        SetPixel(static_cast<int>(currentX_ + i), static_cast<int>(row), color);
    }
  } else {
    const double slope = static_cast<double>(dx) / dy;
    const long long low = std::max(std::min(0LL, dy), -1LL - currentY_);
    const long long high = std::min(std::max(0LL, dy), static_cast<long long>(height_) - currentY_);
    for (long long i = low; i <= high; ++i) {
      const long long column =
          currentX_ + static_cast<long long>(Truncate(static_cast<double>(i) * slope + 0.5));
      if (column >= 0 && column < width_)
        SetPixel(static_cast<int>(column), static_cast<int>(currentY_ + i), color);
    }
  }
  currentX_ = x;
  currentY_ = y;
}

void TODib::HLine(int x1, int x2, int y, COLORREF color) {
  if (!IsOK() || y < 0 || y >= height_) return;
  if (x1 > x2) std::swap(x1, x2);
  if (x1 >= width_ || x2 < 0) return;
  x1 = std::max(x1, 0);
  x2 = std::min(x2, width_ - 1);
  std::uint8_t *row = Row(y);
  switch (bitsPerPixel_) {
    case 8:
      std::fill(row + x1, row + x2 + 1, static_cast<std::uint8_t>(color & 0xFF));
      break;
    case 24:
    case 32: {
      const int step = bitsPerPixel_ / 8;
      for (int x = x1; x <= x2; ++x) {
        std::uint8_t *p = row + step * x;
        p[0] = GetBValue(color);
        p[1] = GetGValue(color);
        p[2] = GetRValue(color);
        if (step == 4) p[3] = 0;
      }
      break;
    }
    default:
      break;
  }
}

void TODib::FillTriangle(POINT a, POINT b, POINT c, COLORREF color) {
  if (!IsOK()) return;
  POINT v[3] = {a, b, c};
  std::sort(v, v + 3, [](const POINT &p, const POINT &q) { return p.y < q.y; });
  const POINT top = v[0], middle = v[1], bottom = v[2];
  if (top.y == bottom.y) {
    const int left = std::min({top.x, middle.x, bottom.x});
    const int right = std::max({top.x, middle.x, bottom.x});
    HLine(left, right, top.y, color);
    return;
  }
  // Rows outside the bitmap are skipped, so a huge triangle costs only its visible rows.
  const int firstRow = std::max(top.y, 0);
  const int lastUpper = std::min(middle.y, height_ - 1);
  for (int y = firstRow; y <= lastUpper; ++y) {
    if (top.y == middle.y) {
      HLine(top.x, middle.x, y, color);
    } else {
      HLine(Truncate(EdgeX(top, middle, y)), Truncate(EdgeX(top, bottom, y)), y, color);
    }
  }
  const int lastLower = std::min(bottom.y, height_ - 1);
  for (int y = std::max(middle.y + 1, 0); y <= lastLower; ++y) {
    HLine(Truncate(EdgeX(middle, bottom, y)), Truncate(EdgeX(top, bottom, y)), y, color);
  }
}
