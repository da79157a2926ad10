#include "foundation/numtext/typed_number.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Longest text taken as a number: far beyond any field, short enough for a stack buffer.
constexpr std::size_t kLongestNumber = 320;

}  // namespace

TNumberRead ReadTypedNumber(const char *text, double &value) {
  if (text == nullptr) return TNumberRead::Empty;
  const char *first = text;
  const char *last = text + std::strlen(text);
  while (first < last && IsBlank(*first)) ++first;
  while (last > first && IsBlank(last[-1])) --last;
  if (first == last) return TNumberRead::Empty;
  if (static_cast<std::size_t>(last - first) > kLongestNumber) return TNumberRead::NotANumber;

  // The grammar is checked here, not left to the conversion: from_chars alone would take
  // "inf", "nan" and hexadecimal forms, and stop quietly at the first stray character.
  char number[kLongestNumber + 1];
  std::size_t n = 0;
  const char *c = first;
  if (*c == '+') ++c;
  else if (*c == '-') number[n++] = *c++;
  int mantissaDigits = 0;
  int digitsBeforeMark = -1;
  int firstSignificant = -1;  // index among the mantissa's digits
  bool mark = false;
  for (; c < last; ++c) {
    if (IsDigit(*c)) {
      if (*c != '0' && firstSignificant < 0) firstSignificant = mantissaDigits;
      number[n++] = *c;
      ++mantissaDigits;
    } else if ((*c == '.' || *c == ',') && !mark) {
      digitsBeforeMark = mantissaDigits;
      number[n++] = '.';
      mark = true;
    } else {
      break;
    }
  }
  if (mantissaDigits == 0) return TNumberRead::NotANumber;
  if (digitsBeforeMark < 0) digitsBeforeMark = mantissaDigits;
  long exponent = 0;
  if (c < last && (*c == 'e' || *c == 'E')) {
    number[n++] = 'e';
    ++c;
    const bool negative = c < last && *c == '-';
    if (c < last && (*c == '+' || *c == '-')) number[n++] = *c++;
    int exponentDigits = 0;
    for (; c < last && IsDigit(*c); ++c, ++exponentDigits) {
      number[n++] = *c;
      if (exponent < 100000) exponent = exponent * 10 + (*c - '0');
    }
    if (exponentDigits == 0) return TNumberRead::NotANumber;
    if (negative) exponent = -exponent;
  }
  if (c != last) return TNumberRead::NotANumber;

  double read = 0.0;
  const auto result = std::from_chars(number, number + n, read, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small to be told from zero is zero; too large is refused. The power of ten of
    // the first significant digit tells which.
    const long power = static_cast<long>(digitsBeforeMark - firstSignificant - 1) + exponent;
    if (power >= 0) return TNumberRead::OutOfRange;
    read = 0.0;
  } else if (result.ec != std::errc() || result.ptr != number + n) {
    return TNumberRead::NotANumber;
  }
  if (!std::isfinite(read)) return TNumberRead::OutOfRange;
  value = read;
  return TNumberRead::Number;
}

TNumberRead ReadTypedNumber(const std::string &text, double &value) {
  // A text with a zero inside is not a number (c_str would end it early).
  if (text.find('\0') != std::string::npos) return TNumberRead::NotANumber;
  return ReadTypedNumber(text.c_str(), value);
}

std::string RefusedNumberMessage(const std::string &field, const std::string &text, TNumberRead why) {
  std::string shown = text;
  const std::size_t firstKept = shown.find_first_not_of(" \t\r\n");
  if (firstKept == std::string::npos) shown.clear();
  else shown = shown.substr(firstKept, shown.find_last_not_of(" \t\r\n") - firstKept + 1);
  const char *reason = why == TNumberRead::OutOfRange ? "is out of range." : "is not a number.";
  return field + ": \"" + shown + "\" " + reason;
}

std::string NonPositiveNumberMessage(const std::string &field, const std::string &text) {
  double value = 0.0;
  const TNumberRead why = ReadTypedNumber(text, value);
  if (why == TNumberRead::NotANumber || why == TNumberRead::OutOfRange) return RefusedNumberMessage(field, text, why);
  if (why == TNumberRead::Empty || value == 0.0) return "Parameter '" + field + "' can not be 0!";
  if (value < 0.0) return "Parameter '" + field + "' can not be negative!";
  return std::string();
}
