#pragma once
// A small SZDD compressor for tests: it writes what lz_expand.h reads, choosing at every
// byte the longest run found anywhere in the ring (runs may overlap the bytes they write),
// so expanded inputs exercise literals, runs, the blank-filled ring and its wrap.

#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/records/lz_expand.h"

inline std::vector<unsigned char> LzCompress(const std::vector<unsigned char> &data,
                                             unsigned char lastNameCharacter = 't') {
  std::vector<unsigned char> out = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A',
                                    lastNameCharacter};
  const auto length = static_cast<std::uint32_t>(data.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(length >> (8 * i)));
  unsigned char ring[kLzRingSize];
  std::memset(ring, ' ', sizeof ring);
  std::size_t position = kLzRingStart;
  std::size_t i = 0;
  while (i < data.size()) {
    const std::size_t flagsAt = out.size();
    out.push_back(0);
    unsigned char flags = 0;
    for (int bit = 0; bit < 8 && i < data.size(); ++bit) {
      std::size_t best = 0;
      std::size_t bestFrom = 0;
      for (std::size_t from = 0; from < kLzRingSize; ++from) {
        std::size_t k = 0;
        while (k < kLzMaxRun && i + k < data.size()) {
          const std::size_t at = (from + k) % kLzRingSize;
          // A ring cell the run itself has written by now holds that output byte.
          const std::size_t written = (at + kLzRingSize - position) % kLzRingSize;
          const unsigned char value = written < k ? data[i + written] : ring[at];
          if (value != data[i + k]) break;
          ++k;
        }
        if (k > best) {
          best = k;
          bestFrom = from;
        }
      }
      std::size_t take = 1;
      if (best >= kLzMinRun) {
        out.push_back(static_cast<unsigned char>(bestFrom & 0xFF));
        out.push_back(static_cast<unsigned char>(((bestFrom >> 4) & 0xF0) | (best - kLzMinRun)));
        take = best;
      } else {
        flags = static_cast<unsigned char>(flags | (1u << bit));
        out.push_back(data[i]);
      }
      for (std::size_t k = 0; k < take; ++k) {
        ring[position] = data[i++];
        position = (position + 1) % kLzRingSize;
      }
    }
    out[flagsAt] = flags;
  }
  return out;
}
