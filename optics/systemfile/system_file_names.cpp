// Names in the optical system file, escaped so that they stay inside their item.

#include "optics/systemfile/system_file_format.h"

namespace {

struct TEscape {
  char character;
  const char *code;  // the two hex digits after '%'
};

constexpr TEscape kEscapes[] = {
    {'%', "25"}, {'"', "22"}, {';', "3B"}, {'\n', "0A"}, {'\r', "0D"}};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The escaped form of one character, or null when it stands for itself.
const char *EscapeOf(char c) {
  for (const TEscape &escape : kEscapes)
    if (escape.character == c) return escape.code;
  return nullptr;
}

}  // namespace

std::string EncodeFileName(const std::string &text, std::size_t limit) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char *code = EscapeOf(c);
    // A UTF-8 character goes whole or not at all.
    std::size_t length = 1;
    if (code == nullptr && (static_cast<unsigned char>(c) & 0xC0) == 0xC0) {
      while (i + length < text.size() &&
             (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80)
        ++length;
    }
    const std::size_t width = code != nullptr ? 3 : length;
    if (result.size() + width > limit) break;
    if (code != nullptr) {
      result += '%';
      result += code;
    } else {
      result.append(text, i, length);
      i += length - 1;
    }
  }
  return result;
}

std::string EncodeFileName(const std::string &text) {
  return EncodeFileName(text, std::string::npos);
}

std::string DecodeFileName(const std::string &text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      const char c = static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      if (EscapeOf(c) != nullptr) {
        result += c;
        i += 2;
        continue;
      }
    }
    result += text[i];
  }
  return result;
}
