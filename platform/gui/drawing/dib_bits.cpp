#include "platform/gui/drawing/dib_bits.h"

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/dib_pixels.h"
#include "platform/gui/drawing/gdi_objects.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

HPALETTE PaletteOf(HDC dc) {
  TDC *context = TDC::FromHandle(dc);
  return context ? context->GetCurrentPalette()
                 : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
}

// Colours a DIB's indices stand for.
std::vector<COLORREF> TableColors(const BITMAPINFO &info, UINT usage, HPALETTE palette) {
  const int size = DibColorTableSize(info.bmiHeader);
  std::vector<COLORREF> colors(static_cast<std::size_t>(size));
  const auto *table = reinterpret_cast<const std::uint8_t *>(&info) + info.bmiHeader.biSize;
  for (int i = 0; i < size; ++i) {
    if (usage == DIB_PAL_COLORS) {
      std::uint16_t index = 0;
      std::memcpy(&index, table + 2 * i, 2);
      colors[static_cast<std::size_t>(i)] = PaletteEntryColor(palette, index);
    } else {
      const std::uint8_t *quad = table + 4 * i;
      colors[static_cast<std::size_t>(i)] = RGB(quad[2], quad[1], quad[0]);
    }
  }
  return colors;
}

unsigned NearestIndex(const std::vector<COLORREF> &colors, COLORREF color) {
  unsigned best = 0;
  long bestDistance = -1;
  for (std::size_t i = 0; i < colors.size(); ++i) {
    const long dr = static_cast<long>(GetRValue(colors[i])) - GetRValue(color);
    const long dg = static_cast<long>(GetGValue(colors[i])) - GetGValue(color);
    const long db = static_cast<long>(GetBValue(colors[i])) - GetBValue(color);
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<unsigned>(i);
    }
  }
  return best;
}

}  // namespace

int SetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT scanCount, const void *bits,
              const BITMAPINFO *info, UINT usage) {
  if (!bitmap || bitmap->image.isNull()) return 0;
  TDibPixelReader reader(info, bits, usage, PaletteOf(dc));
  if (!reader.IsValid()) return 0;
  const int height = reader.Height();
  if (startScan >= static_cast<UINT>(height)) return 0;
  const int rows =
      static_cast<int>(std::min<UINT>(scanCount, static_cast<UINT>(height) - startScan));
  const bool topDown = info->bmiHeader.biHeight < 0;
  // The reader counts rows from the bottom; a band of a top-down DIB starts at its top.
  reader.LimitRows(rows);
  QImage &image = bitmap->image;
  const int width = std::min(reader.Width(), image.width());
  for (int r = 0; r < rows; ++r) {
    const int dibRow = static_cast<int>(startScan) + r;
    const int imageRow = topDown ? dibRow : height - 1 - dibRow;
    if (imageRow < 0 || imageRow >= image.height()) continue;
    auto *line = reinterpret_cast<std::uint32_t *>(image.scanLine(imageRow));
    const int bandRow = topDown ? rows - 1 - r : r;
    for (int x = 0; x < width; ++x) line[x] = reader.Pixel(x, bandRow);
  }
  return rows;
}

int GetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT scanCount, void *bits, BITMAPINFO *info,
              UINT usage) {
  if (!bitmap || bitmap->image.isNull() || !info || !IsSupportedDibHeader(info->bmiHeader)) {
    return 0;
  }
  BITMAPINFOHEADER &header = info->bmiHeader;
  const int height = std::abs(header.biHeight);
  const long long stride = DibRowStride(header.biWidth, header.biBitCount);
  header.biSizeImage = static_cast<DWORD>(stride * height);
  if (startScan >= static_cast<UINT>(height)) return 0;
  const int rows =
      static_cast<int>(std::min<UINT>(scanCount, static_cast<UINT>(height) - startScan));
  if (!bits) return rows;
  const bool topDown = header.biHeight < 0;
  const int depth = header.biBitCount;
  const std::vector<COLORREF> colors =
      depth <= 8 ? TableColors(*info, usage, PaletteOf(dc)) : std::vector<COLORREF>();
  // Pictures hold few distinct colours; each is matched against the table once.
  std::unordered_map<COLORREF, unsigned> matched;
  const QImage &image = bitmap->image;
  auto *out = static_cast<std::uint8_t *>(bits);
  for (int r = 0; r < rows; ++r) {
    const int dibRow = static_cast<int>(startScan) + r;
    const int imageRow = topDown ? dibRow : height - 1 - dibRow;
    std::uint8_t *row = out + static_cast<std::ptrdiff_t>(r) * stride;
    std::memset(row, 0, static_cast<std::size_t>(stride));
    if (imageRow < 0 || imageRow >= image.height()) continue;
    const auto *line = reinterpret_cast<const std::uint32_t *>(image.constScanLine(imageRow));
    const int width = std::min(static_cast<int>(header.biWidth), image.width());
    for (int x = 0; x < width; ++x) {
      const COLORREF color = ColorOfPixel(line[x]);
      unsigned index = 0;
      if (depth <= 8 && !colors.empty()) {
        const auto found = matched.find(color);
        if (found != matched.end()) {
          index = found->second;
        } else {
          index = NearestIndex(colors, color);
          matched.emplace(color, index);
        }
      }
      PutDibPixel(row, x, depth, index, color);
    }
  }
  return rows;
}
