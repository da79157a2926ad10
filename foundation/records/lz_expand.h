#pragma once
// Files compressed in the "SZDD" form of the LZ file tools, as component libraries may be
// distributed: a 14-byte header ("SZDD", 88 F0 27 33, the mode 'A', the last character of
// the original name, the expanded length as a little-endian uint32), then groups of a flag
// byte and eight items, its bits read from the lowest. A set bit is one literal byte; a
// clear bit two bytes naming a run in a 4096-byte ring of earlier output: position
// b0 | (b1 & 0xF0) << 4, length (b1 & 0x0F) + 3. The ring starts filled with blanks and
// the first byte written lands at 4096 - 16.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kLzHeaderSize = 14;
constexpr std::size_t kLzRingSize = 4096;
constexpr std::size_t kLzRingStart = kLzRingSize - 16;
constexpr std::size_t kLzMinRun = 3;
constexpr std::size_t kLzMaxRun = 18;

// True when the bytes begin with the SZDD signature (the first 8 header bytes).
bool IsLzCompressed(const unsigned char *data, std::size_t size);

// Expands a whole SZDD file into out. False, with the reason in error, for a header that
// is not SZDD mode 'A' or data that end before the expanded length is reached; output
// beyond that length is dropped.
bool LzExpand(const unsigned char *data, std::size_t size, std::vector<unsigned char> &out,
              std::string &error);
