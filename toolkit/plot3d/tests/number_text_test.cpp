// The plot label number text: the table of label defaults, exponent forms, and the
// rounding cases where a digit loop would produce a "digit" of 10.

#include "toolkit/plot3d/number_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/testing/approx.h"

namespace {

constexpr double kExact = 1e-15;

TEST(NumberText, LabelDefaultsGiveTheShortForms) {
  // width 5, precision 2
  EXPECT_EQ(FormatNumber(12.345, 5, 2), "12.35");
  EXPECT_EQ(FormatNumber(0.125, 5, 2), ".13");
  EXPECT_EQ(FormatNumber(0.05, 5, 2), ".05");
  EXPECT_EQ(FormatNumber(0.0012, 5, 2), ".0012");
  EXPECT_EQ(FormatNumber(123456.0, 5, 2), "123456");
  EXPECT_EQ(FormatNumber(1234567.0, 5, 2), "1.23+6");
  EXPECT_EQ(FormatNumber(1.5e-5, 5, 2), "1.5-5");
  EXPECT_EQ(FormatNumber(-1e-9, 5, 2), "0");
  EXPECT_EQ(FormatNumber(2e15, 5, 2), "Inf");
  EXPECT_EQ(FormatNumber(2e15, 8, 2), "Infinity");
  EXPECT_EQ(FormatNumber(0.9999, 5, 2), "1");
}

TEST(NumberText, TrailingZerosAndSignsAreWrittenAsUsersRead) {
  EXPECT_EQ(FormatNumber(2.5, 5, 2), "2.5");
  EXPECT_EQ(FormatNumber(3.0, 5, 2), "3");
  EXPECT_EQ(FormatNumber(-12.345, 5, 2), "-12.35");
  EXPECT_EQ(FormatNumber(-0.125, 5, 2), "-.13");
  EXPECT_EQ(FormatNumber(2.3e12, 5, 2), "2.3+12");
  EXPECT_EQ(FormatNumber(-2e-7, 5, 2), "-2-7");
  int last = -1;
  const std::string text = FormatFloatText(12.345, 5, 2, 1e-8, &last);
  EXPECT_EQ(last, static_cast<int>(text.size()) - 1);
}

TEST(NumberText, RoundingNeverProducesADigitOfTen) {
  // Exact powers of ten and values that round up into the next decade: a digit loop on
  // binary doubles writes 10 as a digit here.
  EXPECT_EQ(FormatNumber(0.1, 5, 2), ".1");
  EXPECT_EQ(FormatNumber(0.01, 5, 2), ".01");
  EXPECT_EQ(FormatNumber(0.0999, 5, 2), ".1");
  EXPECT_EQ(FormatNumber(0.0001, 5, 2), "1-4");
  EXPECT_EQ(FormatNumber(1e-3, 5, 2), "1-3");
  EXPECT_EQ(FormatNumber(99.999, 5, 2), "100");
  EXPECT_EQ(FormatNumber(9.996e9, 5, 2), "1+10");
  EXPECT_EQ(FormatNumber(1e10, 5, 2), "1+10");
  EXPECT_EQ(FormatNumber(0.3, 5, 2), ".3");
  for (double v = 0.001; v < 1000.0; v *= 1.37) {
    const std::string text = FormatNumber(v, 5, 2);
    for (char c : text) EXPECT_TRUE((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-') << v << " " << text;
    // The text read back is near the value (two decimals or three significant digits).
    std::string readable = text;
    const std::size_t sign = readable.find_first_of("+-", 1);
    if (sign != std::string::npos) readable.insert(sign, "e");
    EXPECT_NEAR(std::stod(readable.front() == '.' ? "0" + readable : readable), v, 0.006 + v * 0.006) << text;
  }
}

TEST(NumberText, BuffersAreCutToFitAndCallsDoNotShareOne) {
  char small[4];
  FormatFloat(123.456, small, sizeof small, 5, 2, nullptr, 1e-8);
  EXPECT_STREQ(small, "123");
  char out[32];
  FormatNumber(0.125, 5, 2, out, sizeof out);
  EXPECT_STREQ(out, ".13");
  // Two texts kept at once stay what they were.
  const std::string first = FormatNumberStatic(1.5, 5, 2, 1e-8);
  const std::string second = FormatNumberStatic(2.5, 5, 2, 1e-8);
  EXPECT_EQ(first, "1.5");
  EXPECT_EQ(second, "2.5");
}

TEST(NumberText, PowerOfTen) {
  EXPECT_EQ(PowerOfTen(0), 1.0);
  EXPECT_EQ(PowerOfTen(3), 1000.0);
  EXPECT_APPROX(PowerOfTen(-3), 0.001, kExact);
}

}  // namespace
