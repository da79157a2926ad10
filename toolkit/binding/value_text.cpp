#include "toolkit/binding/value_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
template <class T>
void PrintInto(char *out, std::size_t outSize, const char *format, T value) {
  std::snprintf(out, outSize, format, value);
}
#pragma GCC diagnostic pop

// The integer range a type letter can hold.
bool IntegerRange(char type, double &low, double &high) {
  switch (type) {
    case 'b': low = 0.0; high = 255.0; return true;
    case 's': low = -32768.0; high = 32767.0; return true;
    case 'i':
    case 'l':
      low = static_cast<double>(std::numeric_limits<std::int32_t>::min());
      high = static_cast<double>(std::numeric_limits<std::int32_t>::max());
      return true;
    default: return false;
  }
}

void StoreInteger(char type, void *variable, long long value) {
  switch (type) {
    case 'b': *static_cast<std::uint8_t *>(variable) = static_cast<std::uint8_t>(value); break;
    case 's': *static_cast<std::int16_t *>(variable) = static_cast<std::int16_t>(value); break;
    case 'i': *static_cast<int *>(variable) = static_cast<int>(value); break;
    case 'l': *static_cast<std::int32_t *>(variable) = static_cast<std::int32_t>(value); break;
    default: break;
  }
}

// Hexadecimal text: optional blanks, optional sign-free "0x", hex digits. The number is
// read whole before it is stored, so it is checked against the variable's width first.
int ParseHex(char type, void *variable, const char *text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
  if (!std::isxdigit(static_cast<unsigned char>(*text))) return 0;
  errno = 0;
  char *end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 16);
  if (errno == ERANGE) return 0;
  double low = 0.0;
  double high = 0.0;
  if (IntegerRange(type, low, high)) {
    // Hex fields hold bit patterns: the unsigned range of the width is accepted.
    const unsigned long long limit = type == 'b' ? 0xFFull : type == 's' ? 0xFFFFull : 0xFFFFFFFFull;
    if (value > limit) return 0;
    StoreInteger(type, variable, static_cast<long long>(value));
    return 1;
  }
  if (type == 'f') {
    *static_cast<float *>(variable) = static_cast<float>(value);
    return 1;
  }
  if (type == 'd') {
    *static_cast<double *>(variable) = static_cast<double>(value);
    return 1;
  }
  return 0;
}

}  // namespace

bool IsKnownTypeLetter(char type) { return std::strchr("Sbsilfd", type) != nullptr && type != 0; }

bool IsHexFormat(const char *format) {
  return format != nullptr && (std::strchr(format, 'x') != nullptr || std::strchr(format, 'X') != nullptr);
}

int FormatBoundValue(char type, const void *variable, const char *format, char *out,
                     std::size_t outSize) {
  if (out == nullptr || outSize == 0) return 0;
  out[0] = '\0';
  if (variable == nullptr || format == nullptr || !IsKnownTypeLetter(type)) return 0;
  switch (type) {
    case 'S': PrintInto(out, outSize, format, static_cast<const char *>(variable)); break;
    case 'b': PrintInto(out, outSize, format, static_cast<int>(*static_cast<const std::uint8_t *>(variable))); break;
    case 's': PrintInto(out, outSize, format, static_cast<int>(*static_cast<const std::int16_t *>(variable))); break;
    case 'i': PrintInto(out, outSize, format, *static_cast<const int *>(variable)); break;
    case 'l': PrintInto(out, outSize, format, static_cast<int>(*static_cast<const std::int32_t *>(variable))); break;
    case 'f': PrintInto(out, outSize, format, static_cast<double>(*static_cast<const float *>(variable))); break;
    case 'd': PrintInto(out, outSize, format, *static_cast<const double *>(variable)); break;
    default: return 0;
  }
  return 1;
}

int ParseBoundValue(char type, void *variable, std::size_t bufferSize, const char *format,
                    const char *text, TNumberRead *why) {
  TNumberRead scratch = TNumberRead::Number;
  TNumberRead &reason = why != nullptr ? *why : scratch;
  reason = TNumberRead::NotANumber;
  if (variable == nullptr || !IsKnownTypeLetter(type)) return 0;
  if (text == nullptr) text = "";
  if (type == 'S') {
    if (bufferSize == 0) return 0;
    char *buffer = static_cast<char *>(variable);
    const std::size_t length = std::min(std::strlen(text), bufferSize - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    reason = TNumberRead::Number;
    return 1;
  }
  if (text[0] != '\0' && IsHexFormat(format)) {
    const int taken = ParseHex(type, variable, text);
    reason = taken != 0 ? TNumberRead::Number : TNumberRead::NotANumber;
    return taken;
  }
  double number = 0.0;
  const TNumberRead read = ReadTypedNumber(text, number);
  if (read == TNumberRead::NotANumber || read == TNumberRead::OutOfRange) {
    reason = read;
    return 0;
  }
  reason = TNumberRead::OutOfRange;
  double low = 0.0;
  double high = 0.0;
  if (IntegerRange(type, low, high)) {
    const double whole = std::trunc(number);
    if (whole < low || whole > high) return 0;
    StoreInteger(type, variable, static_cast<long long>(whole));
  } else if (type == 'f') {
    if (std::fabs(number) > static_cast<double>(std::numeric_limits<float>::max())) return 0;
    *static_cast<float *>(variable) = static_cast<float>(number);
  } else {
    *static_cast<double *>(variable) = number;
  }
  reason = TNumberRead::Number;
  return 1;
}
