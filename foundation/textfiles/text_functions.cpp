#include "foundation/textfiles/text_functions.h"

#include <charconv>
#include <cmath>
#include <cstring>

std::string SubString(const std::string &text, int first, int last) {
  if (first < 0) first = 0;
  const int size = static_cast<int>(text.size());
  if (last >= size) last = size - 1;
  if (last < first) return std::string();
  return text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
}

const char *FindSubstring(const char *pattern, const char *text) {
  if (pattern == nullptr || text == nullptr) return nullptr;
  return std::strstr(text, pattern);
}

char *FindSubstring(const char *pattern, char *text) {
  if (pattern == nullptr || text == nullptr) return nullptr;
  return std::strstr(text, pattern);
}

char *RemoveSubstring(const char *pattern, char *text) {
  if (pattern == nullptr || text == nullptr || *pattern == '\0') return nullptr;
  char *found = std::strstr(text, pattern);
  if (found == nullptr) return nullptr;
  const std::size_t length = std::strlen(pattern);
  std::memmove(found, found + length, std::strlen(found + length) + 1);
  return text;
}

char *RemoveAllSubstrings(const char *pattern, char *text) {
  if (pattern == nullptr || text == nullptr || *pattern == '\0') return nullptr;
  const std::size_t length = std::strlen(pattern);
  bool removed = false;
  // Search on from the place of the last removal: what the tail brings there may form
  // a new occurrence together with what precedes it, as repeated first-removal would find.
  char *from = text;
  while (char *found = std::strstr(from, pattern)) {
    std::memmove(found, found + length, std::strlen(found + length) + 1);
    removed = true;
    from = (found - text >= static_cast<std::ptrdiff_t>(length)) ? found - length + 1 : text;
  }
  return removed ? text : nullptr;
}

int RemoveAllSubstrings(const std::string &pattern, std::string &text) {
  if (pattern.empty()) return 0;
  int count = 0;
  std::size_t from = 0;
  for (std::size_t at = text.find(pattern, from); at != std::string::npos;
       at = text.find(pattern, from)) {
    text.erase(at, pattern.size());
    ++count;
    from = at >= pattern.size() ? at - pattern.size() + 1 : 0;
  }
  return count;
}

void LowerCaseAnsiInPlace(std::string &text) {
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 'A' && c <= 'Z') {
      text[i] = static_cast<char>(c + ('a' - 'A'));
    } else if ((c == 0xD0) && i + 1 < size) {
      // UTF-8 Cyrillic capitals: U+0410..U+041F (D0 90..9F) -> D0 B0..BF,
      // U+0420..U+042F (D0 A0..AF) -> D1 80..8F, U+0401 (D0 81) -> D1 91.
      const unsigned char next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0x90 && next <= 0x9F) {
        text[i + 1] = static_cast<char>(next + 0x20);
      } else if (next >= 0xA0 && next <= 0xAF) {
        text[i] = static_cast<char>(0xD1);
        text[i + 1] = static_cast<char>(next - 0x20);
      } else if (next == 0x81) {
        text[i] = static_cast<char>(0xD1);
        text[i + 1] = static_cast<char>(0x91);
      }
      ++i;
    }
  }
}

void DropByteOrderMark(std::string &firstLine) {
  if (firstLine.compare(0, 3, "\xEF\xBB\xBF") == 0) firstLine.erase(0, 3);
}

std::string LowerCaseAnsi(const std::string &text) {
  std::string result = text;
  LowerCaseAnsiInPlace(result);
  return result;
}

double DecimalToDouble(const char *text, std::size_t *consumed) {
  if (consumed != nullptr) *consumed = 0;
  if (text == nullptr) return 0.0;
  const char *p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    ++p;
  }
  // from_chars takes no sign of its own after ours, so a second sign stops the number.
  if (*p == '+' || *p == '-') return 0.0;
  const char *end = p + std::strlen(p);
  double value = 0.0;
  const auto result = std::from_chars(p, end, value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument || result.ptr == p) return 0.0;
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone here; the C conversion gives HUGE_VAL on overflow
    // and 0 on underflow. Underflow has a negative exponent or a mantissa below 1.
    const char *exponent = p;
    while (exponent < result.ptr && *exponent != 'e' && *exponent != 'E') ++exponent;
    const bool below1 = (*p == '.' || (p[0] == '0' && (p[1] == '.' || p + 1 == exponent)));
    const bool tiny = (exponent < result.ptr) ? exponent[1] == '-' : below1;
    value = tiny ? 0.0 : HUGE_VAL;
  }
  if (consumed != nullptr) *consumed = static_cast<std::size_t>(result.ptr - text);
  return negative ? -value : value;
}

double DecimalToDouble(const std::string &text) { return DecimalToDouble(text.c_str()); }
