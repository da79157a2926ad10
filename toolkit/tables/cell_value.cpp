#include "toolkit/tables/cell_value.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/containers/string_class.h"
#include "toolkit/binding/value_text.h"

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
  if (why != nullptr) *why = TNumberRead::NotANumber;
  if (values == nullptr || i < 0) return 0;
  if (text == nullptr) text = "";
  const auto index = static_cast<std::size_t>(i);
  if (type == kCellString) {
    static_cast<STRING *>(values)[index] = text;
    if (why != nullptr) *why = TNumberRead::Number;
    return 1;
  }
  // The other elements are read as the bound fields read their variables.
  switch (type) {
    case kCellCharBuffer: return ParseBoundValue('S', static_cast<char **>(values)[index], bufferSize, nullptr, text, why);
    case kCellUInt8: return ParseBoundValue('b', static_cast<std::uint8_t *>(values) + index, 0, nullptr, text, why);
    case kCellInt16: return ParseBoundValue('s', static_cast<std::int16_t *>(values) + index, 0, nullptr, text, why);
    case kCellInt: return ParseBoundValue('i', static_cast<int *>(values) + index, 0, nullptr, text, why);
    case kCellLong: return ParseBoundValue('l', static_cast<LONG *>(values) + index, 0, nullptr, text, why);
    case kCellFloat: return ParseBoundValue('f', static_cast<float *>(values) + index, 0, nullptr, text, why);
    case kCellDouble: return ParseBoundValue('d', static_cast<double *>(values) + index, 0, nullptr, text, why);
    default: return 0;
  }
}

int FormatWidth(const char *format) {
  if (format == nullptr) return 0;
  const char *percent = std::strchr(format, '%');
  if (percent == nullptr) return 0;
  return std::abs(std::atoi(percent + 1));
}
