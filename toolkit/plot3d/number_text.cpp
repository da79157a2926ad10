#include "toolkit/plot3d/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kSignificant = 15;

// The decimal digits of a positive value, rounded to 15 significant digits so that the
// binary noise of an addition (0.13 held as 0.12999...) never turns into a wrong digit or
// a "digit" of 10.
class TDecimal {
 public:
  explicit TDecimal(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*e", kSignificant - 1, value);
    int k = 0;
    for (const char *p = text; *p != 'e' && *p != '\0'; ++p)
      if (*p >= '0' && *p <= '9' && k < kSignificant) digits_[k++] = *p;
    const char *e = std::strchr(text, 'e');
    exponent_ = e != nullptr ? std::atoi(e + 1) : 0;
  }
  // floor(log10(value)): the place of the first digit.
  int Exponent() const { return exponent_; }
  // The digit at place 10^place (0 beyond the significant digits).
  char DigitAt(int place) const {
    const int index = exponent_ - place;
    return index >= 0 && index < kSignificant ? digits_[index] : '0';
  }

 private:
  char digits_[kSignificant] = {};
  int exponent_ = 0;
};

int TruncLog10(double a) { return static_cast<int>(std::log10(a)); }

// Builds the text and the position of its last kept character.
class TWriter {
 public:
  void Put(char c) { text_.push_back(c); }
  // Marks the character just written as the end of the text when all goes well.
  void Keep() { last_ = static_cast<int>(text_.size()) - 1; }
  bool HasKept() const { return last_ >= 0; }
  int Position() const { return static_cast<int>(text_.size()); }
  std::string Finish(int *last) {
    text_.resize(static_cast<std::size_t>(last_ + 1));
    if (last != nullptr) *last = last_;
    return text_;
  }
  void Cut() { text_.resize(static_cast<std::size_t>(last_ + 1)); }

 private:
  std::string text_;
  int last_ = -1;
};

void PutExponent(TWriter &out, int exponent) {
  out.Put(exponent < 0 ? '-' : '+');
  const std::string digits = std::to_string(std::abs(exponent));
  for (char c : digits) {
    out.Put(c);
    out.Keep();
  }
}

int ExponentDigits(int exponent) {
  const int magnitude = std::abs(exponent);
  return magnitude >= 100 ? 3 : magnitude >= 10 ? 2 : 1;
}

}  // namespace

double PowerOfTen(int n) {
  if (n == 0) return 1.0;
  double result = 1.0;
  const double factor = n > 0 ? 10.0 : 0.1;
  for (int k = std::abs(n); k > 0; --k) result *= factor;
  return result;
}

std::string FormatFloatText(double x, int width, int precision, double epsilon, int *last) {
  width = std::clamp(width, 1, 40);
  precision = std::clamp(precision, 0, kSignificant - 1);
  TWriter out;
  const double a = std::fabs(x);
  if (std::isnan(x) || a > 1e14) {
    const char *word = width >= 8 ? "Infinity" : "Inf";
    for (const char *p = word; *p != '\0'; ++p) {
      out.Put(*p);
      out.Keep();
    }
    return out.Finish(last);
  }
  if (a <= epsilon || a == 0.0) {
    out.Put('0');
    out.Keep();
    return out.Finish(last);
  }
  const int s = x < 0.0 ? 1 : 0;
  if (s != 0) out.Put('-');
  const int e = TruncLog10(a);

  if (a < 1.0 && e >= -2) {
    const int k = std::max(s - 1 - width, e - precision - 1);
    const double rounded = a + 5.0 * PowerOfTen(k);
    if (rounded >= 1.0) {
      out.Put('1');
      out.Keep();
      return out.Finish(last);
    }
    const TDecimal digits(rounded);
    out.Put('.');
    // The zeros are those of the rounded value: 0.0999 rounds to .1, not to ".0" and a
    // tenth digit.
    const int zeros = -digits.Exponent() - 1;
    for (int z = 0; z < zeros; ++z) out.Put('0');
    for (int n = 0, place = -zeros - 1; n < precision && out.Position() <= width; ++n, --place) {
      const char digit = digits.DigitAt(place);
      out.Put(digit);
      if (digit != '0') out.Keep();
    }
    if (!out.HasKept()) {
      // Nothing but zeros survived the width: the value shows as 0.
      TWriter zero;
      zero.Put('0');
      zero.Keep();
      return zero.Finish(last);
    }
    return out.Finish(last);
  }

  if (a >= 1.0 && e <= width - s) {
    const double half = e == width - s ? 0.5 : 5.0 * PowerOfTen(std::max(s + e - width, -1 - precision));
    const double rounded = a + half;
    const TDecimal digits(rounded);
    const int integerPlaces = digits.Exponent();
    if (integerPlaces <= width - s) {
      for (int place = integerPlaces; place >= 0; --place) out.Put(digits.DigitAt(place));
      out.Keep();
      out.Put('.');
      for (int n = 0, place = -1; n < precision && out.Position() <= width; ++n, --place) {
        const char digit = digits.DigitAt(place);
        out.Put(digit);
        if (digit != '0') out.Keep();
      }
      return out.Finish(last);
    }
  }

  // Exponent form: the exponent is the place of the first digit (an exact power of ten
  // such as 0.01 is 1-2, not a mantissa of 10).
  const int exponent = TDecimal(a).Exponent();
  const int d = ExponentDigits(exponent);
  int k = exponent - width + s + 2;
  const int room = width - s - d - 2;
  if (precision < room) k += room - precision;
  const double rounded = a + 5.0 * PowerOfTen(k);
  const TDecimal digits(rounded);
  if (digits.Exponent() != exponent) {
    // Rounding carried into the next decade: the mantissa is exactly 1, and the new
    // exponent is written in full whatever its digit count.
    out.Put('1');
    out.Keep();
    PutExponent(out, digits.Exponent());
    return out.Finish(last);
  }
  out.Put(digits.DigitAt(exponent));
  out.Keep();
  out.Put('.');
  for (int n = 0, place = exponent - 1; n < precision && out.Position() <= width - d - 1;
       ++n, --place) {
    const char digit = digits.DigitAt(place);
    out.Put(digit);
    if (digit != '0') out.Keep();
  }
  out.Cut();
  PutExponent(out, exponent);
  return out.Finish(last);
}

char *FormatFloat(double x, char *buffer, std::size_t bufferSize, int width, int precision,
                  int *last, double epsilon) {
  if (buffer == nullptr || bufferSize == 0) return buffer;
  const std::string text = FormatFloatText(x, width, precision, epsilon, last);
  const std::size_t n = std::min(text.size(), bufferSize - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return buffer;
}

std::string FormatNumberStatic(double x, int width, int precision, double epsilon) {
  return FormatFloatText(x, width, precision, epsilon);
}

std::string FormatNumber(double x, int width, int precision) {
  return FormatNumberStatic(x, width, precision, 1e-8);
}

void FormatNumber(double x, int width, int precision, char *out, std::size_t outSize) {
  FormatFloat(x, out, outSize, width, precision, nullptr, 1e-8);
}
