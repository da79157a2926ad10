#include "toolkit/tables/cell_value.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "foundation/containers/string_class.h"

namespace {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
template <class T>
void Print(char *out, const char *format, T value) {
  if (format == nullptr) {
    out[0] = '\0';
    return;
  }
  std::snprintf(out, kCellTextSize, format, value);
}
#pragma GCC diagnostic pop

template <class T, class Shown>
void FormatNumber(T value, const char *format, char *out, int showZeros) {
  if (showZeros == 0 && value == T{}) {
    out[0] = '\0';
    return;
  }
  Print(out, format, static_cast<Shown>(value));
}

void Strip(char *text) {
  std::size_t length = std::strlen(text);
  while (length > 0 && std::isspace(static_cast<unsigned char>(text[length - 1]))) text[--length] = '\0';
  std::size_t start = 0;
  while (start < length && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  if (start > 0) std::memmove(text, text + start, length - start + 1);
}

// The integer part of the number, or false when the range [low, high] cannot hold it.
bool WholeInRange(double number, double low, double high, long long &whole) {
  const double truncated = std::trunc(number);
  if (truncated < low || truncated > high) return false;
  whole = static_cast<long long>(truncated);
  return true;
}

}  // namespace

void FormatCellValue(std::uint8_t value, const char *format, char *out, int showZeros) {
  FormatNumber<std::uint8_t, int>(value, format, out, showZeros);
}
void FormatCellValue(std::int16_t value, const char *format, char *out, int showZeros) {
  FormatNumber<std::int16_t, int>(value, format, out, showZeros);
}
void FormatCellValue(int value, const char *format, char *out, int showZeros) {
  FormatNumber<int, int>(value, format, out, showZeros);
}
void FormatCellValue(float value, const char *format, char *out, int showZeros) {
  FormatNumber<float, double>(value, format, out, showZeros);
}
void FormatCellValue(double value, const char *format, char *out, int showZeros) {
  FormatNumber<double, double>(value, format, out, showZeros);
}

void FormatCellElement(int type, const void *values, int i, const char *format, int showZeros, char *out) {
  out[0] = '\0';
  if (values == nullptr || i < 0) return;
  const auto index = static_cast<std::size_t>(i);
  switch (type) {
    case kCellUInt8: FormatCellValue(static_cast<const std::uint8_t *>(values)[index], format, out, showZeros); break;
    case kCellInt16: FormatCellValue(static_cast<const std::int16_t *>(values)[index], format, out, showZeros); break;
    case kCellInt: FormatCellValue(static_cast<const int *>(values)[index], format, out, showZeros); break;
    case kCellLong: FormatCellValue(static_cast<int>(static_cast<const LONG *>(values)[index]), format, out, showZeros); break;
    case kCellFloat: FormatCellValue(static_cast<const float *>(values)[index], format, out, showZeros); break;
    case kCellDouble: FormatCellValue(static_cast<const double *>(values)[index], format, out, showZeros); break;
    case kCellCharBuffer: {
      const char *text = static_cast<char *const *>(values)[index];
      Print(out, format, text != nullptr ? text : "");
      break;
    }
    case kCellString: Print(out, format, static_cast<const STRING *>(values)[index].c_str()); break;
    default: return;
  }
  Strip(out);
}

int ParseCellElement(int type, void *values, int i, const char *text, std::size_t bufferSize, TNumberRead *why) {
  TNumberRead scratch = TNumberRead::Number;
  TNumberRead &reason = why != nullptr ? *why : scratch;
  reason = TNumberRead::NotANumber;
  if (values == nullptr || i < 0) return 0;
  if (text == nullptr) text = "";
  const auto index = static_cast<std::size_t>(i);
  if (type == kCellCharBuffer) {
    char *buffer = static_cast<char **>(values)[index];
    if (buffer == nullptr || bufferSize == 0) return 0;
    const std::size_t length = std::min(std::strlen(text), bufferSize - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    reason = TNumberRead::Number;
    return 1;
  }
  if (type == kCellString) {
    static_cast<STRING *>(values)[index] = text;
    reason = TNumberRead::Number;
    return 1;
  }
  if (type != kCellUInt8 && type != kCellInt16 && type != kCellInt && type != kCellLong && type != kCellFloat &&
      type != kCellDouble)
    return 0;
  double number = 0.0;
  const TNumberRead read = ReadTypedNumber(text, number);
  if (read == TNumberRead::NotANumber || read == TNumberRead::OutOfRange) {
    reason = read;
    return 0;
  }
  reason = TNumberRead::OutOfRange;
  long long whole = 0;
  switch (type) {
    case kCellUInt8:
      if (!WholeInRange(number, 0.0, 255.0, whole)) return 0;
      static_cast<std::uint8_t *>(values)[index] = static_cast<std::uint8_t>(whole);
      break;
    case kCellInt16:
      if (!WholeInRange(number, -32768.0, 32767.0, whole)) return 0;
      static_cast<std::int16_t *>(values)[index] = static_cast<std::int16_t>(whole);
      break;
    case kCellInt:
    case kCellLong:
      if (!WholeInRange(number, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                        static_cast<double>(std::numeric_limits<std::int32_t>::max()), whole))
        return 0;
      if (type == kCellInt) static_cast<int *>(values)[index] = static_cast<int>(whole);
      else static_cast<LONG *>(values)[index] = static_cast<LONG>(whole);
      break;
    case kCellFloat:
      if (std::fabs(number) > static_cast<double>(std::numeric_limits<float>::max())) return 0;
      static_cast<float *>(values)[index] = static_cast<float>(number);
      break;
    default: static_cast<double *>(values)[index] = number; break;
  }
  reason = TNumberRead::Number;
  return 1;
}

int FormatWidth(const char *format) {
  if (format == nullptr) return 0;
  const char *percent = std::strchr(format, '%');
  if (percent == nullptr) return 0;
  return std::abs(std::atoi(percent + 1));
}
