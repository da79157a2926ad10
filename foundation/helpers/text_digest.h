#pragma once
// A 64-bit digest of a text, to tell a text read back from the one written, byte for byte,
// within one run of the program (the value may differ between builds).

#include <cstdint>
#include <functional>
#include <string_view>

inline std::uint64_t TextDigest(std::string_view text) {
  return static_cast<std::uint64_t>(std::hash<std::string_view>{}(text));
}
