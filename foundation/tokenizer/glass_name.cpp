#include "foundation/tokenizer/glass_name.h"

#include <array>
#include <cstdint>

namespace {

// Code-page 866 capitals and smalls that have a Latin look-alike, in the order of
// kLatinTwins.
constexpr std::array<unsigned char, 12> kCyrillicCapitals = {0x80, 0x82, 0x91, 0x85, 0x8D, 0x8A,
                                                             0x8C, 0x8E, 0x90, 0x92, 0x95, 0x93};
constexpr std::array<unsigned char, 12> kCyrillicSmalls = {0xA0, 0xA2, 0xE1, 0xA5, 0xAD, 0xAA,
                                                           0xAC, 0xAE, 0xE0, 0xE2, 0xE5, 0xE3};
constexpr char kLatinTwins[] = "ABCEHKMOPTXY";

// Unicode code point -> code page 866 byte for the Cyrillic block; 0 when absent.
int CyrillicTo866(std::uint32_t code) {
  if (code >= 0x0410 && code <= 0x043F) return static_cast<int>(code - 0x0410 + 0x80);
  if (code >= 0x0440 && code <= 0x044F) return static_cast<int>(code - 0x0440 + 0xE0);
  if (code == 0x0401) return 0xF0;  // Ё
  if (code == 0x0451) return 0xF1;  // ё
  return 0;
}

// Decodes one UTF-8 sequence at text[pos]; returns its length, 0 when malformed.
std::size_t DecodeUtf8(std::string_view text, std::size_t pos, std::uint32_t &code) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length = 0;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (next & 0x3Fu);
  }
  // Reject over-long forms and surrogates.
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
      (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
    return 0;
  return length;
}

}  // namespace

int NormalizeGlassChar(int c) {
  c &= 0xFF;
  if ((c >= 128 && c <= 175) || (c >= 224 && c <= 239)) {
    for (std::size_t i = 0; i < kCyrillicCapitals.size(); ++i) {
      if (c == kCyrillicCapitals[i] || c == kCyrillicSmalls[i])
        return static_cast<unsigned char>(kLatinTwins[i]);
    }
  }
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 160 && c <= 175) return c - 32;
  if (c >= 224 && c <= 239) return c - 80;
  return c;
}

char *NormalizeGlassName(char *name) {
  if (name == nullptr) return name;
  for (char *p = name; *p != '\0'; ++p)
    *p = static_cast<char>(NormalizeGlassChar(static_cast<unsigned char>(*p)));
  return name;
}

std::string Cp1251To866(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    int mapped = c;
    if (c >= 0xC0 && c <= 0xEF)
      mapped = c - 0xC0 + 0x80;  // А..п
    else if (c >= 0xF0)
      mapped = c - 0xF0 + 0xE0;  // р..я
    else if (c == 0xA8)
      mapped = 0xF0;  // Ё
    else if (c == 0xB8)
      mapped = 0xF1;  // ё
    out.push_back(static_cast<char>(mapped));
  }
  return out;
}

bool Utf8To866(std::string_view text, std::string &out) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    std::uint32_t code = 0;
    const std::size_t length = DecodeUtf8(text, pos, code);
    if (length == 0) return false;
    if (code < 0x80) {
      result.push_back(static_cast<char>(code));
    } else {
      const int mapped = CyrillicTo866(code);
      if (mapped == 0) return false;
      result.push_back(static_cast<char>(mapped));
    }
    pos += length;
  }
  out = std::move(result);
  return true;
}

bool LooksLikeUtf8(std::string_view text) {
  bool multiByte = false;
  for (std::size_t pos = 0; pos < text.size();) {
    std::uint32_t code = 0;
    const std::size_t length = DecodeUtf8(text, pos, code);
    if (length == 0) return false;
    if (length > 1) multiByte = true;
    pos += length;
  }
  return multiByte;
}

std::string NormalizedGlassName(std::string_view typed) {
  std::string name;
  if (!LooksLikeUtf8(typed) || !Utf8To866(typed, name)) name.assign(typed);
  for (char &c : name) c = static_cast<char>(NormalizeGlassChar(static_cast<unsigned char>(c)));
  return name;
}
