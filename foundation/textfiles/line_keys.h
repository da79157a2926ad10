#pragma once
// The keys a line of a sectioned file gives: each text before an '=' that stands outside
// quotes and before a comment ('!'), with an index in brackets ("dX(3)") cut off.

#include <cstddef>
#include <string_view>

// Whether any key of the line satisfies isKey (given the key as written, unspaced or not).
template <typename IsKey>
bool AnyKeyOfLine(std::string_view line, IsKey &&isKey) {
  bool quoted = false;
  std::size_t itemAt = 0;
  for (std::size_t at = 0; at <= line.size(); ++at) {
    const char c = at < line.size() ? line[at] : ';';
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '!') return false;
    if (c == '=') {
      const std::string_view key = line.substr(itemAt, at - itemAt);
      if (isKey(key.substr(0, key.find('(')))) return true;
    }
    if (c == ';' || c == '=') itemAt = at + 1;
  }
  return false;
}
