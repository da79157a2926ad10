#include "foundation/numtext/number_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

// Above this magnitude a value is shown as infinite.
constexpr double kHugeValue = 1e14;
// Work texts: the widest text (width + 1), a carry that inserts a digit, the terminator.
constexpr int kWorkSize = kMaxTextWidth + 16;

int ClampWidth(int width) { return std::clamp(width, 0, kMaxTextWidth); }

// 10^n as the nearest double (exact up to 1e22), finite for every exponent a double has.
double TenTo(int n) { return std::pow(10.0, n); }

// a / 10^n without overflow of the power for the smallest subnormal values.
double ScaleDown(double a, int n) {
  if (n >= 0) return a / TenTo(n);
  if (n >= -300) return a * TenTo(-n);
  return a * TenTo(300) * TenTo(-n - 300);
}

int PutText(char *work, const char *text) {
  const int n = static_cast<int>(std::strlen(text));
  std::memcpy(work, text, static_cast<std::size_t>(n) + 1);
  return n;
}

// A digit that came out as 10 through rounding error: write 0 and carry into the digits
// before it, skipping the point; a carry past the first digit puts a 1 in front.
// Returns the number of characters inserted (0 or 1).
int Carry(char *work, int position, int first) {
  work[position] = '0';
  for (int i = position - 1; i >= first; --i) {
    if (work[i] == '.') continue;
    if (work[i] < '9') {
      ++work[i];
      return 0;
    }
    work[i] = '0';
  }
  std::memmove(work + first + 1, work + first, static_cast<std::size_t>(position - first + 1));
  work[first] = '1';
  return 1;
}

struct DigitRun {
  double value;       // the number whose digits are written
  int exponent;       // the first digit is the one of 10^exponent
  int integerDigits;  // digits before the point (0: the point is already written)
  int limit;          // last position that may be written
  int counted;        // digit limit for the counted digits
};

// Writes the digits of run.value from position `position`; returns the end position.
// Integer digits are never counted; after the last integer digit the point is written.
int WriteDigits(char *work, int position, int first, const DigitRun &run) {
  double written = 0.0;
  int exponent = run.exponent;
  int integersLeft = run.integerDigits;
  int counted = 0;
  while (position <= run.limit) {
    if (integersLeft == 0 && counted >= run.counted) break;
    const double scale = TenTo(exponent--);
    double quotient = (run.value - written) / scale;
    if (!(quotient > 0.0)) quotient = 0.0;
    const int digit = static_cast<int>(std::min(quotient, 10.0));
    written += digit * scale;
    if (digit >= 10) {
      position += Carry(work, position, first);
    } else {
      work[position] = static_cast<char>('0' + digit);
    }
    ++position;
    if (integersLeft > 0) {
      if (--integersLeft == 0) {
        if (position > run.limit) break;
        work[position++] = '.';
      }
    } else {
      ++counted;
    }
  }
  return position;
}

// Drops trailing zeros after the point, then the point itself; returns the new end.
int TrimFraction(const char *work, int first, int end) {
  const void *point = std::memchr(work + first, '.', static_cast<std::size_t>(end - first));
  if (point == nullptr) return end;
  while (end > first && work[end - 1] == '0') --end;
  if (end > first && work[end - 1] == '.') --end;
  return end;
}

int ExponentDigits(int exponent) {
  const int magnitude = std::abs(exponent);
  return magnitude >= 100 ? 3 : (magnitude >= 10 ? 2 : 1);
}

// The exponent n with 10^n <= a < 10^(n+1), robust against log10 rounding at powers of ten.
int DecimalExponent(double a) {
  int n = static_cast<int>(std::floor(std::log10(a)));
  if (ScaleDown(a, n) >= 10.0) ++n;
  if (ScaleDown(a, n) < 1.0) --n;
  return n;
}

// Mantissa with one integer digit, at most `digits` decimals and the decimals that fit
// before the exponent; then the exponent's sign and digits without a letter. The mantissa
// keeps its first digit even when the width has no room for it.
int ExponentialForm(char *work, double a, int sign, int width, int digits) {
  int n = DecimalExponent(a);
  const int m = ExponentDigits(n);
  const int decimals = std::max(0, std::min(digits, width - sign - m - 2));
  const double rounded = a + 5.0 * TenTo(n - decimals - 1);
  const double mantissa = ScaleDown(rounded, n);
  int end = 0;
  if (mantissa >= 10.0) {
    // The rounding reached the next power of ten: the mantissa is 1 alone.
    ++n;
    work[sign] = '1';
    end = sign + 1;
  } else {
    const int limit = std::max(sign, width - m - 1);
    const DigitRun run{mantissa, 0, 1, limit, digits};
    end = TrimFraction(work, sign, WriteDigits(work, sign, sign, run));
  }
  work[end++] = n < 0 ? '-' : '+';
  int magnitude = std::abs(n);
  const int exponentDigits = ExponentDigits(n);
  for (int i = exponentDigits - 1; i >= 0; --i) {
    work[end + i] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  end += exponentDigits;
  work[end] = '\0';
  return end;
}

// Ends a fixed-form text: trailing zeros dropped; a text left without digits shows "0".
int FinishFixed(char *work, int sign, int end) {
  end = TrimFraction(work, sign, end);
  if (end == sign) return PutText(work, "0");
  work[end] = '\0';
  return end;
}

// Returns the length of the text in work (at least kWorkSize bytes).
int FormatNumber(double value, char *work, int width, int digits, double zero) {
  if (std::isnan(value)) return PutText(work, "NaN");
  double a = std::fabs(value);
  if (a > kHugeValue) return PutText(work, width < 8 ? "Inf" : "Infinity");
  const int sign = value < 0.0 ? 1 : 0;
  if (a <= zero || a == 0.0) return PutText(work, "0");
  if (sign) work[0] = '-';

  if (a < 1.0) {
    if (std::log10(a) <= -3.0) return ExponentialForm(work, a, sign, width, digits);
    // Leading zeros after the point: 0, 1 or 2 here.
    int zeros = -DecimalExponent(a) - 1;
    a += 5.0 * TenTo(std::max(sign - 1 - width, -zeros - digits - 1));
    if (a >= 1.0) {
      work[sign] = '1';
      work[sign + 1] = '\0';
      return sign + 1;
    }
    zeros = -DecimalExponent(a) - 1;
    int position = sign;
    work[position++] = '.';
    for (int i = 0; i < zeros && position <= width; ++i) work[position++] = '0';
    const DigitRun run{a, -zeros - 1, 0, width, digits};
    return FinishFixed(work, sign, WriteDigits(work, position, sign, run));
  }

  const int room = width - sign;
  int e = DecimalExponent(a);
  if (room < e) return ExponentialForm(work, a, sign, width, digits);
  const double original = a;
  if (room == e) {
    a += 0.5;
  } else {
    const int decimals = std::max(0, std::min(digits, room - e - 1));
    a += 5.0 * TenTo(-1 - decimals);
  }
  e = DecimalExponent(a);
  if (room < e) return ExponentialForm(work, original, sign, width, digits);
  const DigitRun run{a, e, e + 1, width, digits};
  return FinishFixed(work, sign, WriteDigits(work, sign, sign, run));
}

bool LostTheValue(const char *text, double value, double zero) {
  return std::strcmp(text, "0") == 0 && std::fabs(value) > zero && std::fabs(value) > 0.0;
}

// Keeps a text within the caller's documented room of max(width, 8) + 1 characters; only a
// carry that rounding error pushed past the first digit could reach beyond it, and then
// only by a trailing decimal.
int CapToBuffer(char *work, int length, int width) {
  length = std::min(length, std::max(width, 8) + 1);
  work[length] = '\0';
  return length;
}

// The fitted text of the number into `out`; returns its length.
int FitNumber(double value, char *out, int width, int digits, double zero) {
  width = ClampWidth(width);
  digits = std::clamp(digits, 0, kMaxTextWidth);
  char work[kWorkSize];
  int length = 0;
  for (int p = digits;; --p) {
    length = FormatNumber(value, work, width, p, zero);
    if (length <= width || p <= 0) break;
  }
  // A number too wide for the fixed form, or one that lost all its digits, is tried in the
  // exponential form before a text wider than the field is given out.
  const double a = std::fabs(value);
  if ((length > width || LostTheValue(work, value, zero)) && std::isfinite(value) &&
      a <= kHugeValue && a > zero && a > 0.0) {
    char exponential[kWorkSize];
    if (value < 0.0) exponential[0] = '-';
    for (int p = digits; p >= 0; --p) {
      const int n = ExponentialForm(exponential, a, value < 0.0 ? 1 : 0, width, p);
      if (n <= width) {
        std::memcpy(work, exponential, static_cast<std::size_t>(n) + 1);
        length = n;
        break;
      }
    }
  }
  length = CapToBuffer(work, length, width);
  std::memcpy(out, work, static_cast<std::size_t>(length) + 1);
  return length;
}

void StoreLength(int *length, int value) {
  if (length != nullptr) *length = value;
}

template <typename Integer>
int IntegerText(Integer value, char *text, int limit) {
  char digits[32];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  const int n = static_cast<int>(result.ptr - digits);
  if (n > limit) {
    if (limit >= 0) text[0] = '\0';
    return 0;
  }
  std::memcpy(text, digits, static_cast<std::size_t>(n));
  text[n] = '\0';
  return n;
}

// Pads a converted number to the width; a number wider than the field shows as '*'s.
char *PadNumber(char *text, int width, int length, int alignment, int *lengthOut) {
  width = ClampWidth(width);
  if (length > width) {
    std::memset(text, '*', static_cast<std::size_t>(width));
    text[width] = '\0';
  } else {
    AlignText(text, width, length, alignment);
  }
  StoreLength(lengthOut, width);
  return text;
}

// The digits are made aside and reach the caller's buffer only when they fit the field:
// the buffer of a padded form need hold no more than the width and its terminator.
char *PadDigits(const char *digits, int n, char *text, int width, int alignment,
                int *lengthOut) {
  if (n <= ClampWidth(width)) std::memcpy(text, digits, static_cast<std::size_t>(n) + 1);
  return PadNumber(text, width, n, alignment, lengthOut);
}

char gFormatDouble[kNumberTextBufferSize];
char gFormatFloat[kNumberTextBufferSize];
char gFormatInt[kNumberTextBufferSize];
char gFormatLong[kNumberTextBufferSize];
char gFormatDoubleAligned[kNumberTextBufferSize];
char gFormatFloatAligned[kNumberTextBufferSize];
char gFormatIntAligned[kNumberTextBufferSize];
char gFormatLongAligned[kNumberTextBufferSize];

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

double Pow10(int n) {
  if (n < 0) return std::pow(0.1, -n);
  if (n > 0) return std::pow(10.0, n);
  return 1.0;
}

char *DoubleToText(double value, char *text, int width, int digits, int *length, double zero) {
  char work[kWorkSize];
  const int w = ClampWidth(width);
  const int n = CapToBuffer(
      work, FormatNumber(value, work, w, std::clamp(digits, 0, kMaxTextWidth), zero), w);
  std::memcpy(text, work, static_cast<std::size_t>(n) + 1);
  StoreLength(length, n);
  return text;
}

char *DoubleToTextFit(double value, char *text, int width, int digits, int *length, double zero) {
  StoreLength(length, FitNumber(value, text, width, digits, zero));
  return text;
}

char *FloatToTextFit(float value, char *text, int width, int digits, int *length, float zero) {
  return DoubleToTextFit(static_cast<double>(value), text, width, digits, length,
                         static_cast<double>(zero));
}

const char *FormatDouble(double value, int width, int digits, double zero) {
  return DoubleToTextFit(value, gFormatDouble, width, digits, nullptr, zero);
}

const char *FormatFloat(float value, int width, int digits, float zero) {
  return FloatToTextFit(value, gFormatFloat, width, digits, nullptr, zero);
}

char *IntToText(int value, char *text, int limit, int *length) {
  StoreLength(length, IntegerText(value, text, limit));
  return text;
}

char *LongToText(long value, char *text, int limit, int *length) {
  StoreLength(length, IntegerText(value, text, limit));
  return text;
}

const char *FormatInt(int value) { return IntToText(value, gFormatInt, kMaxTextWidth, nullptr); }

const char *FormatLong(long value) {
  return LongToText(value, gFormatLong, kMaxTextWidth, nullptr);
}

char *DoubleToTextAligned(double value, char *text, int width, int digits, int *length, double zero,
                          int alignment) {
  const int n = FitNumber(value, text, width, digits, zero);
  return PadNumber(text, width, n, alignment, length);
}

char *FloatToTextAligned(float value, char *text, int width, int digits, int *length, float zero,
                         int alignment) {
  return DoubleToTextAligned(static_cast<double>(value), text, width, digits, length,
                             static_cast<double>(zero), alignment);
}

char *IntToTextAligned(int value, char *text, int width, int *length, int alignment) {
  char digits[kNumberTextBufferSize];
  const int n = IntegerText(value, digits, kMaxTextWidth);
  return PadDigits(digits, n, text, width, alignment, length);
}

char *LongToTextAligned(long value, char *text, int width, int *length, int alignment) {
  char digits[kNumberTextBufferSize];
  const int n = IntegerText(value, digits, kMaxTextWidth);
  return PadDigits(digits, n, text, width, alignment, length);
}

const char *FormatDoubleAligned(double value, int width, int digits, double zero, int alignment) {
  return DoubleToTextAligned(value, gFormatDoubleAligned, width, digits, nullptr, zero, alignment);
}

const char *FormatFloatAligned(float value, int width, int digits, float zero, int alignment) {
  return FloatToTextAligned(value, gFormatFloatAligned, width, digits, nullptr, zero, alignment);
}

const char *FormatIntAligned(int value, int width, int alignment) {
  return IntToTextAligned(value, gFormatIntAligned, width, nullptr, alignment);
}

const char *FormatLongAligned(long value, int width, int alignment) {
  return LongToTextAligned(value, gFormatLongAligned, width, nullptr, alignment);
}

char *AlignText(char *text, int width, int length, int alignment) {
  if (text == nullptr) return text;
  width = ClampWidth(width);
  const char *start = text;
  int n = static_cast<int>(std::strlen(text));
  if (length < 0) {
    while (n > 0 && IsBlank(*start)) {
      ++start;
      --n;
    }
    while (n > 0 && IsBlank(start[n - 1])) --n;
  } else {
    n = std::min(n, length);
  }
  int offset = 0;
  if (alignment == kAlignCenter) {
    offset = std::max(0, (width - n) / 2);
  } else if (alignment != kAlignLeft) {
    offset = std::max(0, width - n);
  }
  char pad[kNumberTextBufferSize];
  std::memset(pad, ' ', static_cast<std::size_t>(width));
  const int taken = std::min(n, width - offset);
  if (taken > 0) std::memcpy(pad + offset, start, static_cast<std::size_t>(taken));
  pad[width] = '\0';
  std::memcpy(text, pad, static_cast<std::size_t>(width) + 1);
  return text;
}

double TextToDouble(const char *text) {
  if (text == nullptr) return 0.0;
  std::string s(text);
  std::size_t begin = 0;
  while (begin < s.size() && IsBlank(s[begin])) ++begin;
  std::size_t end = s.size();
  while (end > begin && IsBlank(s[end - 1])) --end;
  s = s.substr(begin, end - begin);

  // The compact exponent: a sign after the first character starts the exponent.
  if (s.find_first_of("eE") == std::string::npos) {
    const std::size_t lastSign = s.find_last_of("+-");
    if (lastSign != std::string::npos && lastSign > 0) s.insert(lastSign, 1, 'e');
  }

  const char *first = s.c_str();
  const char *last = first + s.size();
  bool negative = false;
  if (first < last && (*first == '+' || *first == '-')) {
    negative = *first == '-';
    ++first;
  }
  double result = 0.0;
  const auto parsed = std::from_chars(first, last, result, std::chars_format::general);
  if (parsed.ec == std::errc::invalid_argument) return 0.0;
  if (parsed.ec == std::errc::result_out_of_range) {
    // Too large gives infinity, too small zero, as the standard conversion does.
    const std::string number(first, parsed.ptr);
    const std::size_t exponent = number.find_first_of("eE");
    const bool tiny = exponent != std::string::npos && exponent + 1 < number.size() &&
                      number[exponent + 1] == '-';
    result = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -result : result;
}

long TextToLong(const char *text) {
  if (text == nullptr) return 0;
  errno = 0;
  return std::strtol(text, nullptr, 10);  // out of range: clamped to LONG_MIN / LONG_MAX
}

int TextToInt(const char *text) {
  const long value = TextToLong(text);
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}
