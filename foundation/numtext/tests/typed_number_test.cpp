#include "foundation/numtext/typed_number.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "foundation/testing/approx.h"

namespace {

// A typed number is one decimal conversion: exact to the last bit.
constexpr double kConverted = 1e-15;

double Read(const char *text) {
  double value = -999.0;
  EXPECT_EQ(ReadTypedNumber(text, value), TNumberRead::Number) << text;
  return value;
}

TNumberRead Status(const char *text) {
  double value = -999.0;
  const TNumberRead status = ReadTypedNumber(text, value);
  if (status != TNumberRead::Number) {
    EXPECT_EQ(value, -999.0) << "refused text wrote the value: " << text;
  }
  return status;
}

TEST(TypedNumber, PlainNumbersWithBlanksSignsAndExponents) {
  EXPECT_APPROX(Read("12.5"), 12.5, kConverted);
  EXPECT_APPROX(Read("  -3 "), -3.0, kConverted);
  EXPECT_APPROX(Read("+0.25"), 0.25, kConverted);
  EXPECT_APPROX(Read(".5"), 0.5, kConverted);
  EXPECT_APPROX(Read("5."), 5.0, kConverted);
  EXPECT_APPROX(Read("1.5e-3"), 1.5e-3, kConverted);
  EXPECT_APPROX(Read("2E+2"), 200.0, kConverted);
  EXPECT_APPROX(Read("\t7\r\n"), 7.0, kConverted);
}

TEST(TypedNumber, DecimalCommaIsThePointEverywhere) {
  EXPECT_APPROX(Read("1,5"), 1.5, kConverted);
  EXPECT_APPROX(Read("-0,125e1"), -1.25, kConverted);
  // One mark only: a thousands separator beside a point is not a number.
  EXPECT_EQ(Status("1,000.5"), TNumberRead::NotANumber);
  EXPECT_EQ(Status("1.5.2"), TNumberRead::NotANumber);
}

TEST(TypedNumber, TheLocaleDoesNotChangeWhatIsRead) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr && std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") == nullptr)
    GTEST_SKIP() << "no decimal-comma locale on this machine";
  const double point = Read("2.75");
  const double comma = Read("2,75");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_APPROX(point, 2.75, kConverted);
  EXPECT_APPROX(comma, 2.75, kConverted);
}

TEST(TypedNumber, TextThatIsNotWhollyANumberIsRefused) {
  for (const char *text : {"12abc", "1.5 mm", "abc", "nan", "NaN", "inf", "-inf", "infinity", "0x1A", "1e", "1e+",
                           "e5", "-", "+", ".", ",", "1 2", "++1", "--1", "1-"})
    EXPECT_EQ(Status(text), TNumberRead::NotANumber) << text;
  EXPECT_EQ(Status(""), TNumberRead::Empty);
  EXPECT_EQ(Status("   "), TNumberRead::Empty);
  double value = 0.0;
  EXPECT_EQ(ReadTypedNumber(static_cast<const char *>(nullptr), value), TNumberRead::Empty);
  EXPECT_EQ(ReadTypedNumber(std::string("1\0" "2", 3), value), TNumberRead::NotANumber);
}

TEST(TypedNumber, NumbersBeyondTheDoubleAreRefusedAndTinyOnesAreZero) {
  EXPECT_EQ(Status("1e400"), TNumberRead::OutOfRange);
  EXPECT_EQ(Status("-1e309"), TNumberRead::OutOfRange);
  // A long mantissa with a small negative exponent is still huge.
  EXPECT_EQ(Status((std::string(315, '9') + "e-1").c_str()), TNumberRead::OutOfRange);
  EXPECT_EQ(Read("1e-400"), 0.0);
  EXPECT_EQ(Read("0.0000e-999"), 0.0);
  EXPECT_APPROX(Read("1.7e308"), 1.7e308, kConverted);
  // Texts far longer than any field are not numbers, whatever they hold.
  EXPECT_EQ(Status(std::string(400, '1').c_str()), TNumberRead::NotANumber);
}

TEST(TypedNumber, TheRefusalNamesTheFieldAndTheText) {
  EXPECT_EQ(RefusedNumberMessage("Thickness", "  12abc ", TNumberRead::NotANumber),
            "Thickness: \"12abc\" is not a number.");
  EXPECT_EQ(RefusedNumberMessage("Ray number", "1e400", TNumberRead::OutOfRange),
            "Ray number: \"1e400\" is out of range.");
  EXPECT_EQ(RefusedNumberMessage("Weight", "   ", TNumberRead::Empty), "Weight: \"\" is not a number.");
}

TEST(TypedNumber, AFieldForPositiveNumbersRefusesZeroNegativesAndLetters) {
  EXPECT_EQ(NonPositiveNumberMessage("Size", "0.5"), "");
  EXPECT_EQ(NonPositiveNumberMessage("Size", " 1e-12 "), "");
  EXPECT_EQ(NonPositiveNumberMessage("Size", "0"), "Parameter 'Size' can not be 0!");
  EXPECT_EQ(NonPositiveNumberMessage("Size", "-0,0"), "Parameter 'Size' can not be 0!");
  // An empty box is no size either.
  EXPECT_EQ(NonPositiveNumberMessage("Size", "  "), "Parameter 'Size' can not be 0!");
  EXPECT_EQ(NonPositiveNumberMessage("Step", "-2"), "Parameter 'Step' can not be negative!");
  EXPECT_EQ(NonPositiveNumberMessage("Size", "abc"), "Size: \"abc\" is not a number.");
  EXPECT_EQ(NonPositiveNumberMessage("Size", "1e400"), "Size: \"1e400\" is out of range.");
}

}  // namespace
