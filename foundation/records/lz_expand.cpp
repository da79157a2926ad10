#include "foundation/records/lz_expand.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned char kSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr unsigned char kModeA = 'A';
constexpr std::size_t kModeOffset = 8;
constexpr std::size_t kLengthOffset = 10;
// Two bytes of input give at most kLzMaxRun bytes of output; a length claimed beyond that
// ratio cannot be reached and is not reserved.
constexpr std::size_t kMostOutputPerInputByte = kLzMaxRun / 2;

}  // namespace

bool IsLzCompressed(const unsigned char *data, std::size_t size) {
  return data != nullptr && size >= sizeof kSignature &&
         std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

bool LzExpand(const unsigned char *data, std::size_t size, std::vector<unsigned char> &out,
              std::string &error) {
  out.clear();
  error.clear();
  if (!IsLzCompressed(data, size) || size < kLzHeaderSize) {
    error = "it is not in the SZDD form";
    return false;
  }
  if (data[kModeOffset] != kModeA) {
    error = "it is compressed in an unknown mode";
    return false;
  }
  const std::uint32_t length = static_cast<std::uint32_t>(data[kLengthOffset]) |
                               (static_cast<std::uint32_t>(data[kLengthOffset + 1]) << 8) |
                               (static_cast<std::uint32_t>(data[kLengthOffset + 2]) << 16) |
                               (static_cast<std::uint32_t>(data[kLengthOffset + 3]) << 24);
  const std::size_t body = size - kLzHeaderSize;
  if (length > body * kMostOutputPerInputByte + kLzMaxRun) {
    error = "its compressed data are too short for its length";
    return false;
  }
  out.reserve(length);
  unsigned char ring[kLzRingSize];
  std::memset(ring, ' ', sizeof ring);
  std::size_t position = kLzRingStart;
  std::size_t at = kLzHeaderSize;
  auto put = [&](unsigned char byte) {
    out.push_back(byte);
    ring[position] = byte;
    position = (position + 1) % kLzRingSize;
  };
  while (at < size && out.size() < length) {
    const unsigned char flags = data[at++];
    for (int bit = 0; bit < 8 && at < size && out.size() < length; ++bit) {
      if ((flags >> bit) & 1) {
        put(data[at++]);
        continue;
      }
      if (at + 1 >= size) {
        at = size;  // half a run: the data end here
        break;
      }
      const unsigned char low = data[at];
      const unsigned char high = data[at + 1];
      at += 2;
      std::size_t from = low | (static_cast<std::size_t>(high & 0xF0) << 4);
      const std::size_t run = (high & 0x0F) + kLzMinRun;
      // Byte by byte: a run may overlap the bytes it writes.
      for (std::size_t k = 0; k < run && out.size() < length; ++k) {
        put(ring[from]);
        from = (from + 1) % kLzRingSize;
      }
    }
  }
  if (out.size() < length) {
    error = "its compressed data end before its expanded length of " + std::to_string(length) +
            " bytes";
    out.clear();
    return false;
  }
  return true;
}
