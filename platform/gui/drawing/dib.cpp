#include "platform/gui/drawing/dib.h"

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/dib_pixels.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
// Bitmap files beyond this are refused before reading them whole.
constexpr qint64 kMaxFileSize = 512LL * 1024 * 1024;

std::uint16_t Read16(const std::uint8_t *p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Read32(const std::uint8_t *p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Put16(std::vector<std::uint8_t> &out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t> &out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

int DepthForColors(int colorCount) {
  if (colorCount <= 2) return 1;
  if (colorCount <= 16) return 4;
  if (colorCount <= 256) return 8;
  return 24;
}

// Size of the block for a header: header, table (4 bytes an entry) and bits.
std::size_t BlockBytes(const BITMAPINFOHEADER &header) {
  const long long rows = std::llabs(static_cast<long long>(header.biHeight));
  return kInfoHeaderSize + 4 * static_cast<std::size_t>(DibColorTableSize(header)) +
         static_cast<std::size_t>(DibRowStride(header.biWidth, header.biBitCount) * rows);
}

}  // namespace

TDib::TDib(int width, int height, int colorCount, UINT colorMode) : usage_(colorMode) {
  BITMAPINFOHEADER header;
  header.biWidth = width;
  header.biHeight = height;
  header.biBitCount = static_cast<WORD>(DepthForColors(colorCount));
  header.biClrUsed = header.biBitCount <= 8
                         ? static_cast<DWORD>(std::clamp(colorCount, 1, 1 << header.biBitCount))
                         : 0;
  header.biSizeImage =
      static_cast<DWORD>(DibRowStride(std::max(width, 0), header.biBitCount) * std::max(height, 0));
  if (!IsSupportedDibHeader(header) || height < 0) {
    error_ = "Bitmap size or colour count out of range";
    return;
  }
  try {
    block_.assign(BlockBytes(header), 0);
  } catch (const std::bad_alloc &) {
    error_ = "Not enough memory";
    return;
  }
  std::memcpy(block_.data(), &header, kInfoHeaderSize);
  if (usage_ == DIB_PAL_COLORS) {
    for (int i = 0; i < static_cast<int>(header.biClrUsed); ++i) {
      const auto index = static_cast<std::uint16_t>(i);
      std::memcpy(block_.data() + kInfoHeaderSize + 2 * i, &index, 2);
    }
  }
}

TDib::TDib(std::vector<std::uint8_t> block, UINT colorMode) : usage_(colorMode) {
  if (block.size() < kInfoHeaderSize) {
    error_ = "Bitmap block too small";
    return;
  }
  BITMAPINFOHEADER header;
  std::memcpy(&header, block.data(), kInfoHeaderSize);
  if (header.biSize != kInfoHeaderSize || !IsSupportedDibHeader(header) || header.biHeight < 0 ||
      block.size() < BlockBytes(header)) {
    error_ = "Unsupported or truncated bitmap block";
    return;
  }
  block_ = std::move(block);
}

TDib::TDib(const char *fileName) {
  QFile file(QString::fromUtf8(fileName ? fileName : ""));
  if (!fileName || !file.open(QIODevice::ReadOnly)) {
    error_ = std::string("Cannot open bitmap file ") + (fileName ? fileName : "");
    return;
  }
  if (file.size() > kMaxFileSize) {
    error_ = "Bitmap file too large";
    return;
  }
  const QByteArray bytes = file.readAll();
  const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  std::vector<std::uint8_t> block;
  std::string reason;
  if (!ParseBitmapFile(data, block, reason)) {
    error_ = std::string(fileName) + ": " + reason;
    return;
  }
  block_ = std::move(block);
}

TDib::TDib(HBITMAP bitmap, HPALETTE palette) : usage_(DIB_RGB_COLORS) {
  if (!bitmap || bitmap->image.isNull()) {
    error_ = "No bitmap";
    return;
  }
  const QImage &image = bitmap->image;
  const int colors = palette ? std::min<int>(256, static_cast<int>(palette->entries.size())) : 0;
  BITMAPINFOHEADER header;
  header.biWidth = image.width();
  header.biHeight = image.height();
  header.biBitCount = colors > 0 ? 8 : 24;
  header.biClrUsed = static_cast<DWORD>(colors);
  header.biSizeImage =
      static_cast<DWORD>(DibRowStride(header.biWidth, header.biBitCount) * header.biHeight);
  if (!IsSupportedDibHeader(header)) {
    error_ = "Bitmap too large";
    return;
  }
  try {
    block_.assign(BlockBytes(header), 0);
  } catch (const std::bad_alloc &) {
    error_ = "Not enough memory";
    return;
  }
  std::memcpy(block_.data(), &header, kInfoHeaderSize);
  RGBQUAD *table = GetColors();
  for (int i = 0; i < colors; ++i) {
    const PALETTEENTRY &e = palette->entries[static_cast<std::size_t>(i)];
    table[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
  }
  // A palette of fewer than 256 entries keeps its indices inside the table.
  HPALETTE lookup = nullptr;
  std::vector<PALETTEENTRY> firstEntries;
  if (colors > 0) {
    firstEntries.assign(palette->entries.begin(), palette->entries.begin() + colors);
    lookup = CreatePaletteFromEntries(firstEntries.data(), colors);
  }
  const long long stride = DibRowStride(header.biWidth, header.biBitCount);
  for (int y = 0; y < image.height(); ++y) {
    std::uint8_t *row = GetBits() + (image.height() - 1 - y) * stride;
    for (int x = 0; x < image.width(); ++x) {
      const COLORREF c = ColorOfPixel(image.pixel(x, y));
      if (lookup) {
        row[x] = static_cast<std::uint8_t>(GetNearestPaletteIndex(lookup, c));
      } else {
        row[3 * x] = GetBValue(c);
        row[3 * x + 1] = GetGValue(c);
        row[3 * x + 2] = GetRValue(c);
      }
    }
  }
  DeleteObject(lookup);
}

TDib::TDib(const TDib &other) : block_(other.block_), usage_(other.usage_), error_(other.error_) {}

int TDib::Width() const { return IsOK() ? GetInfoHeader()->biWidth : 0; }
int TDib::Height() const { return IsOK() ? GetInfoHeader()->biHeight : 0; }
int TDib::BitsPixel() const { return IsOK() ? GetInfoHeader()->biBitCount : 0; }
int TDib::NumColors() const { return IsOK() ? DibColorTableSize(*GetInfoHeader()) : 0; }

BITMAPINFO *TDib::GetInfo() {
  return IsOK() ? reinterpret_cast<BITMAPINFO *>(block_.data()) : nullptr;
}
const BITMAPINFO *TDib::GetInfo() const {
  return IsOK() ? reinterpret_cast<const BITMAPINFO *>(block_.data()) : nullptr;
}

std::size_t TDib::BitsOffset() const {
  return kInfoHeaderSize + 4 * static_cast<std::size_t>(NumColors());
}

std::uint8_t *TDib::GetBits() { return IsOK() ? block_.data() + BitsOffset() : nullptr; }
const std::uint8_t *TDib::GetBits() const {
  return IsOK() ? block_.data() + BitsOffset() : nullptr;
}
RGBQUAD *TDib::GetColors() {
  return IsOK() ? reinterpret_cast<RGBQUAD *>(block_.data() + kInfoHeaderSize) : nullptr;
}

bool TDib::ChangeModeToPal(HPALETTE palette) {
  if (!IsOK() || !palette) return false;
  if (usage_ == DIB_PAL_COLORS) return true;
  const int n = NumColors();
  std::vector<std::uint16_t> indices(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const RGBQUAD &q = GetColors()[i];
    indices[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(
        GetNearestPaletteIndex(palette, RGB(q.rgbRed, q.rgbGreen, q.rgbBlue)));
  }
  std::memset(block_.data() + kInfoHeaderSize, 0, 4 * static_cast<std::size_t>(n));
  if (n > 0) std::memcpy(block_.data() + kInfoHeaderSize, indices.data(), 2 * indices.size());
  usage_ = DIB_PAL_COLORS;
  return true;
}

bool TDib::ChangeModeToRGB(HPALETTE palette) {
  if (!IsOK()) return false;
  if (usage_ == DIB_RGB_COLORS) return true;
  if (!palette) palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  const int n = NumColors();
  std::vector<std::uint16_t> indices(static_cast<std::size_t>(n));
  if (n > 0) std::memcpy(indices.data(), block_.data() + kInfoHeaderSize, 2 * indices.size());
  for (int i = 0; i < n; ++i) {
    const COLORREF c = PaletteEntryColor(palette, indices[static_cast<std::size_t>(i)]);
    GetColors()[i] = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
  }
  usage_ = DIB_RGB_COLORS;
  return true;
}

bool TDib::ParseBitmapFile(const std::vector<std::uint8_t> &file, std::vector<std::uint8_t> &block,
                           std::string &error) {
  if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') {
    error = "not a bitmap file";
    return false;
  }
  const std::uint32_t bitsOffset = Read32(&file[10]);
  const std::uint8_t *info = &file[kFileHeaderSize];
  const std::uint32_t headerSize = Read32(info);
  if (headerSize < kInfoHeaderSize || headerSize > file.size() - kFileHeaderSize) {
    error = "bad bitmap header";
    return false;
  }
  BITMAPINFOHEADER header;
  header.biSize = static_cast<DWORD>(kInfoHeaderSize);
  header.biWidth = static_cast<LONG>(Read32(info + 4));
  header.biHeight = static_cast<LONG>(Read32(info + 8));
  header.biPlanes = Read16(info + 12);
  header.biBitCount = Read16(info + 14);
  header.biCompression = Read32(info + 16);
  header.biSizeImage = Read32(info + 20);
  header.biXPelsPerMeter = static_cast<LONG>(Read32(info + 24));
  header.biYPelsPerMeter = static_cast<LONG>(Read32(info + 28));
  header.biClrUsed = Read32(info + 32);
  header.biClrImportant = Read32(info + 36);
  if (!IsSupportedDibHeader(header)) {
    error = "unsupported bitmap format (depth, compression or size)";
    return false;
  }
  const std::size_t tableEntries = static_cast<std::size_t>(DibColorTableSize(header));
  const std::size_t tableStart = kFileHeaderSize + headerSize;
  if (tableStart + 4 * tableEntries > file.size()) {
    error = "bitmap file is truncated (colour table)";
    return false;
  }
  const bool topDown = header.biHeight < 0;
  const long long rows = std::llabs(static_cast<long long>(header.biHeight));
  const long long stride = DibRowStride(header.biWidth, header.biBitCount);
  if (bitsOffset < tableStart || bitsOffset > file.size() ||
      static_cast<unsigned long long>(stride * rows) > file.size() - bitsOffset) {
    error = "bitmap file is truncated (pixel rows)";
    return false;
  }
  header.biHeight = static_cast<LONG>(rows);
  header.biSizeImage = static_cast<DWORD>(stride * rows);
  header.biClrUsed = header.biBitCount <= 8 ? static_cast<DWORD>(tableEntries) : 0;
  try {
    block.assign(BlockBytes(header), 0);
  } catch (const std::bad_alloc &) {
    error = "not enough memory";
    return false;
  }
  std::memcpy(block.data(), &header, kInfoHeaderSize);
  if (header.biBitCount <= 8) {
    std::memcpy(block.data() + kInfoHeaderSize, &file[tableStart], 4 * tableEntries);
  }
  std::uint8_t *bits =
      block.data() + kInfoHeaderSize + 4 * (header.biBitCount <= 8 ? tableEntries : 0);
  for (long long r = 0; r < rows; ++r) {
    // Rows are kept bottom-up whatever the file's order.
    const long long source = topDown ? rows - 1 - r : r;
    std::memcpy(bits + r * stride, &file[bitsOffset + static_cast<std::size_t>(source * stride)],
                static_cast<std::size_t>(stride));
  }
  return true;
}

bool TDib::WriteFile(const char *fileName, HPALETTE palette) const {
  if (!IsOK() || !fileName) return false;
  const BITMAPINFOHEADER &header = *GetInfoHeader();
  const int n = NumColors();
  const std::size_t bitsSize = block_.size() - BitsOffset();
  std::vector<std::uint8_t> out;
  try {
    out.reserve(kFileHeaderSize + block_.size());
  } catch (const std::bad_alloc &) {
    return false;
  }
  const std::uint32_t offBits =
      static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + 4 * n);
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<std::uint32_t>(offBits + bitsSize));
  Put32(out, 0);
  Put32(out, offBits);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(header.biWidth));
  Put32(out, static_cast<std::uint32_t>(header.biHeight));
  Put16(out, 1);
  Put16(out, header.biBitCount);
  Put32(out, BI_RGB);
  Put32(out, static_cast<std::uint32_t>(bitsSize));
  Put32(out, static_cast<std::uint32_t>(header.biXPelsPerMeter));
  Put32(out, static_cast<std::uint32_t>(header.biYPelsPerMeter));
  Put32(out, header.biBitCount <= 8 ? static_cast<std::uint32_t>(n) : 0);
  Put32(out, 0);
  if (!palette) palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  for (int i = 0; i < n; ++i) {
    const std::uint8_t *entry = block_.data() + kInfoHeaderSize;
    if (usage_ == DIB_PAL_COLORS) {
      const COLORREF c = PaletteEntryColor(palette, Read16(entry + 2 * i));
      out.insert(out.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
    } else {
      out.insert(out.end(), entry + 4 * i, entry + 4 * i + 4);
    }
  }
  out.insert(out.end(), block_.begin() + static_cast<std::ptrdiff_t>(BitsOffset()), block_.end());
  QSaveFile file(QString::fromUtf8(fileName));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(reinterpret_cast<const char *>(out.data()), static_cast<qint64>(out.size())) !=
      static_cast<qint64>(out.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}
