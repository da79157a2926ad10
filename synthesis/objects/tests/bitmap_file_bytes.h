#pragma once
// Bitmap files written by the tests themselves, as the format lays them out: file header,
// 40-byte info header, colour table, rows bottom-up padded to four bytes.

#include <cstdint>
#include <vector>

namespace bitmap_file_bytes {

struct TRgb {
  std::uint8_t r, g, b;
};

inline void Put16(std::vector<std::uint8_t> &out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
inline void Put32(std::vector<std::uint8_t> &out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// rowsTopDown holds the rows' bytes from the top row down, unpadded.
inline std::vector<std::uint8_t> BitmapBytes(int width, int height, int depth, const std::vector<TRgb> &table,
                                             const std::vector<std::uint8_t> &rowsTopDown) {
  const int stride = ((width * depth + 31) / 32) * 4;
  const std::uint32_t offset = 54 + 4 * static_cast<std::uint32_t>(table.size());
  std::vector<std::uint8_t> out{'B', 'M'};
  Put32(out, offset + static_cast<std::uint32_t>(stride * height));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(depth));
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(stride * height));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, static_cast<std::uint32_t>(table.size()));
  Put32(out, 0);
  for (const TRgb &c : table) out.insert(out.end(), {c.b, c.g, c.r, 0});
  const int rowBytes = static_cast<int>(rowsTopDown.size()) / height;
  for (int y = height - 1; y >= 0; --y) {
    out.insert(out.end(), rowsTopDown.begin() + y * rowBytes, rowsTopDown.begin() + (y + 1) * rowBytes);
    out.insert(out.end(), static_cast<std::size_t>(stride - rowBytes), 0);
  }
  return out;
}

}  // namespace bitmap_file_bytes
