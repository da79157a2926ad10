#include "foundation/numtext/number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "foundation/testing/approx.h"

namespace {

// Reading a text back is one decimal conversion: exact to the last bit or two.
constexpr double kReadBackTolerance = 1e-15;

struct Converted {
  std::string text;
  int length;
};

Converted Raw(double value, int width, int digits, double zero = 1e-8) {
  char buffer[kNumberTextBufferSize];
  int length = -1;
  DoubleToText(value, buffer, width, digits, &length, zero);
  return {buffer, length};
}

Converted Fit(double value, int width, int digits, double zero = 1e-8) {
  char buffer[kNumberTextBufferSize];
  int length = -1;
  DoubleToTextFit(value, buffer, width, digits, &length, zero);
  return {buffer, length};
}

std::string Align(const char *text, int width, int length, int alignment) {
  char buffer[kNumberTextBufferSize];
  std::strcpy(buffer, text);
  return AlignText(buffer, width, length, alignment);
}

// Half a unit of the last digit shown: the exponent (after a sign past the first character)
// and the decimals of the mantissa are read from the text itself.
double HalfUnitOfLastDigit(const std::string &text) {
  const std::size_t sign = text.find_last_of("+-");
  std::string mantissa = text;
  int exponent = 0;
  if (sign != std::string::npos && sign > 0) {
    mantissa = text.substr(0, sign);
    exponent = std::stoi(text.substr(sign));
  }
  const std::size_t point = mantissa.find('.');
  const int decimals =
      point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
  return 0.5 * std::pow(10.0, exponent - decimals);
}

}  // namespace

TEST(NumberText, ListedCasesGiveTheirTexts) {
  EXPECT_EQ(Fit(2.5, 8, 3).text, "2.5");
  EXPECT_EQ(Fit(2.5, 8, 3).length, 3);
  EXPECT_EQ(Fit(2.0, 8, 3).text, "2");
  EXPECT_EQ(Fit(2.0, 8, 3).length, 1);
  EXPECT_EQ(Fit(-0.25, 8, 3).text, "-.25");
  EXPECT_EQ(Fit(-0.25, 8, 3).length, 4);
  EXPECT_EQ(Fit(1e-9, 8, 3).text, "0");
  EXPECT_EQ(Fit(-1e-9, 8, 3).text, "0");
  EXPECT_EQ(Fit(2e15, 8, 3).text, "Infinity");
  EXPECT_EQ(Fit(2e15, 6, 3).text, "Inf");
  EXPECT_EQ(Fit(-2e15, 8, 3).text, "Infinity");
  EXPECT_EQ(Fit(0.0005, 8, 3).text, "5-4");
  EXPECT_EQ(Fit(0.0005, 8, 3).length, 3);
  EXPECT_EQ(Fit(0.9996, 8, 3).text, "1");
}

TEST(NumberText, FixedFormRoundsToTheDigitLimit) {
  EXPECT_EQ(Fit(1234.5678, 8, 3).text, "1234.568");  // 4 integer digits, 3 decimals
  EXPECT_EQ(Fit(1234.5678, 6, 3).text, "1234.6");    // the width leaves one decimal
  EXPECT_EQ(Fit(10.0, 8, 3).text, "10");             // the last integer digit stays
  EXPECT_EQ(Fit(1000.0, 8, 3).text, "1000");
  EXPECT_EQ(Fit(0.05, 8, 3).text, ".05");
  EXPECT_EQ(Fit(0.0015, 8, 3).text, ".0015");    // above 0.001: still the fixed form
  EXPECT_EQ(Fit(0.012345, 8, 3).text, ".0123");  // three significant digits below 1
  EXPECT_EQ(Fit(0.1, 8, 3).text, ".1");
  EXPECT_EQ(Fit(0.01, 8, 3).text, ".01");
  EXPECT_EQ(Fit(-7.26, 8, 1).text, "-7.3");
  EXPECT_EQ(Fit(0.09996, 8, 2).text, ".1");  // 0.09996 to two digits carries to 0.10
}

TEST(NumberText, ExponentialFormHasNoLetter) {
  EXPECT_EQ(Fit(0.001, 8, 3).text, "1-3");
  EXPECT_EQ(Fit(1e-5, 8, 3).text, "1-5");
  EXPECT_EQ(Fit(1.5e-12, 8, 3, 1e-15).text, "1.5-12");
  EXPECT_EQ(Fit(-2.5e-4, 8, 3).text, "-2.5-4");
  EXPECT_EQ(Fit(9.9996e-5, 8, 3).text, "1-4");  // rounding reaches the next power of ten
  EXPECT_EQ(Fit(12345678901.0, 8, 3).text, "1.235+10");
  EXPECT_EQ(Fit(5e-324, 8, 3, 0.0).text, "4.94-324");  // the smallest subnormal
}

TEST(NumberText, WideNumbersAreFittedIntoTheWidth) {
  // Fixed form with a width smaller than the digits: the exponential form takes over.
  EXPECT_EQ(Fit(9999.7, 4, 3).text, "1+4");
  EXPECT_EQ(Fit(-123456789012.0, 8, 3).text, "-1.23+11");
  // Nine integer digits need one position more than width 8: the single conversion shows
  // them all, the fitted one switches to the exponent instead of overflowing the field.
  EXPECT_EQ(Raw(123456789.0, 8, 3).text, "123456789");
  EXPECT_EQ(Fit(123456789.0, 8, 3).text, "1.235+8");
  // The fixed form below 1 rounds at the last position the width allows.
  EXPECT_EQ(Fit(0.259, 3, 3).text, ".26");
  // 0.005 has no room for a digit in 3 fixed positions, but fits as 5-3.
  EXPECT_EQ(Fit(0.005, 3, 3).text, "5-3");
  EXPECT_EQ(Fit(0.25, 1, 3).text, "0");
}

TEST(NumberText, NaNAndInfinitiesAreShownSoundly) {
  EXPECT_EQ(Fit(std::numeric_limits<double>::quiet_NaN(), 8, 3).text, "NaN");
  EXPECT_EQ(Fit(std::numeric_limits<double>::infinity(), 8, 3).text, "Infinity");
  EXPECT_EQ(Fit(-std::numeric_limits<double>::infinity(), 4, 3).text, "Inf");
  EXPECT_TRUE(std::isnan(TextToDouble("NaN")));
  EXPECT_TRUE(std::isinf(TextToDouble("Infinity")));
  EXPECT_TRUE(std::isinf(TextToDouble("Inf")));
  EXPECT_LT(TextToDouble("-Infinity"), 0.0);
  // A zero that is not above the threshold still gives "0", never a log of zero.
  EXPECT_EQ(Fit(0.0, 8, 3, -1.0).text, "0");
  EXPECT_EQ(Fit(-0.0, 8, 3).text, "0");
}

TEST(NumberText, TextReadsBackWithinHalfTheLastDigit) {
  const unsigned seed = 20261207;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-12, 13);
  std::uniform_int_distribution<int> width(6, 14);
  std::uniform_int_distribution<int> digits(1, 6);
  for (int i = 0; i < 4000; ++i) {
    const double value = (i % 2 ? -1.0 : 1.0) * mantissa(random) * std::pow(10.0, exponent(random));
    const int w = width(random);
    const Converted c = Fit(value, w, digits(random), 1e-15);
    ASSERT_LE(c.length, w) << "seed " << seed << " value " << value << " text " << c.text;
    ASSERT_EQ(c.length, static_cast<int>(c.text.size()));
    const double back = TextToDouble(c.text.c_str());
    const double allowed =
        HalfUnitOfLastDigit(c.text) * (1.0 + 1e-9) + std::fabs(value) * kReadBackTolerance;
    ASSERT_LE(std::fabs(back - value), allowed)
        << "seed " << seed << " value " << value << " width " << w << " text " << c.text;
  }
}

TEST(NumberText, CompactExponentIsReadBack) {
  EXPECT_APPROX(TextToDouble("5-4"), 0.0005, kReadBackTolerance);
  EXPECT_APPROX(TextToDouble("1.5+3"), 1500.0, kReadBackTolerance);
  EXPECT_APPROX(TextToDouble("-2"), -2.0, kReadBackTolerance);
  EXPECT_APPROX(TextToDouble("-1.5-3"), -0.0015, kReadBackTolerance);
  EXPECT_APPROX(TextToDouble("  12.5  "), 12.5, kReadBackTolerance);
  EXPECT_APPROX(TextToDouble("2.5e2"), 250.0, kReadBackTolerance);
  EXPECT_APPROX(TextToDouble("+7"), 7.0, kReadBackTolerance);
  EXPECT_APPROX(TextToDouble(".25"), 0.25, kReadBackTolerance);
  // A negative mantissa with a positive exponent is what the formatter writes for large
  // negative numbers; it must not be read as the mantissa alone.
  EXPECT_APPROX(TextToDouble("-1.23+11"), -1.23e11, kReadBackTolerance);
  // Both a later minus and a plus: the conversion stops at the second sign.
  EXPECT_APPROX(TextToDouble("1+2-3"), 1.0, kReadBackTolerance);
}

TEST(NumberText, BrokenTextsGiveZeroOrTheRangeLimit) {
  EXPECT_EQ(TextToDouble("abc"), 0.0);
  EXPECT_EQ(TextToDouble(""), 0.0);
  EXPECT_EQ(TextToDouble(nullptr), 0.0);
  EXPECT_EQ(TextToDouble("-"), 0.0);
  EXPECT_TRUE(std::isinf(TextToDouble("1+400")));
  EXPECT_EQ(TextToDouble("1-400"), 0.0);
  EXPECT_EQ(TextToInt("12abc"), 12);
  EXPECT_EQ(TextToInt(" -7"), -7);
  EXPECT_EQ(TextToInt("99999999999"), INT_MAX);
  EXPECT_EQ(TextToInt("-99999999999"), INT_MIN);
  EXPECT_EQ(TextToLong("123456789012"), 123456789012L);
  EXPECT_EQ(TextToInt(nullptr), 0);
}

TEST(NumberText, AlignTextPadsToTheWidth) {
  EXPECT_EQ(Align("12", 5, 2, kAlignRight), "   12");
  EXPECT_EQ(Align("12", 5, 2, kAlignLeft), "12   ");
  EXPECT_EQ(Align("12", 5, 2, kAlignCenter), " 12  ");
  EXPECT_EQ(Align("  12 ", 5, -1, kAlignCenter), " 12  ");
  EXPECT_EQ(Align("  12 ", 5, -1, 7), "   12");            // any other alignment is right
  EXPECT_EQ(Align("123456", 4, 6, kAlignCenter), "1234");  // centring a long text starts at 0
  EXPECT_EQ(Align("123456", 4, 6, kAlignRight), "1234");
}

TEST(NumberText, IntegersAndTheirLimit) {
  char buffer[16] = "untouched";
  int length = -1;
  IntToText(123456, buffer, 5, &length);
  EXPECT_EQ(length, 0);
  EXPECT_STREQ(buffer, "");
  IntToText(-12345, buffer, 6, &length);
  EXPECT_STREQ(buffer, "-12345");
  EXPECT_EQ(length, 6);
  EXPECT_STREQ(FormatInt(INT_MIN), "-2147483648");
  EXPECT_STREQ(FormatLong(-9000000000L), "-9000000000");
}

TEST(NumberText, AlignedFormsHaveExactlyTheWidth) {
  char buffer[kNumberTextBufferSize];
  int length = -1;
  EXPECT_STREQ(DoubleToTextAligned(2.5, buffer, 6, 3, &length, 1e-8, kAlignRight), "   2.5");
  EXPECT_EQ(length, 6);
  EXPECT_STREQ(FormatDoubleAligned(-0.25, 6, 3, 1e-8, kAlignLeft), "-.25  ");
  EXPECT_STREQ(FormatFloatAligned(0.5f, 4, 3, 1e-8f, kAlignCenter), " .5 ");
  EXPECT_STREQ(FormatIntAligned(42, 5, kAlignCenter), " 42  ");
  EXPECT_STREQ(FormatLongAligned(-42L, 4, kAlignRight), " -42");
  // A number that cannot be shown in the field is not cut into a different number.
  EXPECT_STREQ(IntToTextAligned(123456, buffer, 4, &length, kAlignRight), "****");
  EXPECT_EQ(length, 4);
}

TEST(NumberText, FloatsAndStaticTexts) {
  EXPECT_STREQ(FormatFloat(0.1f, 8, 3, 1e-8f), ".1");
  EXPECT_STREQ(FormatDouble(2.5, 8, 3, 1e-8), "2.5");
  // The static text of one wrapper survives calls of the others.
  const char *shown = FormatDouble(3.75, 8, 3, 1e-8);
  FormatFloat(1.0f, 8, 3, 1e-8f);
  FormatInt(99);
  EXPECT_STREQ(shown, "3.75");
}

TEST(NumberText, ExtremeWidthsStayInsideTheBuffers) {
  // Widths beyond the static buffers are clamped; tiny and negative ones give short texts.
  const std::string wide = FormatDouble(98765432109876.5, 500, 500, 0.0);
  EXPECT_LE(wide.size(), static_cast<std::size_t>(kMaxTextWidth));
  EXPECT_APPROX(TextToDouble(wide.c_str()), 98765432109876.5, kReadBackTolerance);
  EXPECT_STREQ(FormatDouble(1.0 / 3.0, kMaxTextWidth, kMaxTextWidth, 0.0),
               FormatDouble(1.0 / 3.0, kMaxTextWidth + 50, kMaxTextWidth, 0.0));
  EXPECT_STREQ(FormatDouble(2.5, 0, 3, 1e-8), "3");
  EXPECT_STREQ(FormatDouble(2.5, -4, -1, 1e-8), "3");
  EXPECT_STREQ(FormatDouble(-12345.0, 2, 3, 1e-8), "-1+4");
}

TEST(NumberText, Pow10IsTenToTheN) {
  constexpr double kPowTolerance = 1e-15;
  EXPECT_EQ(Pow10(0), 1.0);
  EXPECT_APPROX(Pow10(3), 1000.0, kPowTolerance);
  EXPECT_APPROX(Pow10(-3), 0.001, kPowTolerance);
}

// Found by fuzzing: a ten-digit int padded to width 9 wrote its whole text (12 bytes) into a
// buffer the caller sized for the field.
TEST(NumberText, PaddedIntegersStayInsideTheFieldsBuffer) {
  char buffer[24];
  std::memset(buffer, 'Z', sizeof buffer);
  int length = -1;
  EXPECT_STREQ(IntToTextAligned(-1234567890, buffer, 9, &length, kAlignRight), "*********");
  EXPECT_EQ(length, 9);
  for (std::size_t i = 10; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 'Z') << "byte " << i;

  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_STREQ(LongToTextAligned(-9000000000000000000L, buffer, 3, &length, kAlignLeft), "***");
  for (std::size_t i = 4; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 'Z') << "byte " << i;

  // A number that fits is still padded as before.
  EXPECT_STREQ(IntToTextAligned(-42, buffer, 6, &length, kAlignCenter), " -42  ");
}
