// Cell texts of bound elements: each type formatted and read back, zeros hidden, blanks
// stripped, values the element cannot hold refused, char buffers cut to their size.

#include "toolkit/tables/cell_value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "foundation/containers/string_class.h"

namespace {

TEST(FormatCellValue, ZerosAreHiddenOnlyWhenAsked) {
  char out[kCellTextSize];
  FormatCellValue(0.0, "%g", out, 0);
  EXPECT_STREQ(out, "");
  FormatCellValue(0.0, "%g", out, 1);
  EXPECT_STREQ(out, "0");
  FormatCellValue(static_cast<std::uint8_t>(200), "%d", out, 0);
  EXPECT_STREQ(out, "200");
  FormatCellValue(static_cast<std::int16_t>(-3), "%d", out, 0);
  EXPECT_STREQ(out, "-3");
  FormatCellValue(0.5F, "%4.2f", out, 1);
  EXPECT_STREQ(out, "0.50");
}

TEST(FormatCellElement, LeadingBlanksAreStripped) {
  const double values[] = {0.0, 1.5};
  char out[kCellTextSize];
  FormatCellElement(kCellDouble, values, 1, "%8g", 1, out);
  EXPECT_STREQ(out, "1.5");
  FormatCellElement(kCellDouble, values, 0, "%8g", 0, out);
  EXPECT_STREQ(out, "");
  FormatCellElement(3, values, 1, "%8g", 1, out);
  EXPECT_STREQ(out, "");
  char name[] = "BK7";
  char *names[] = {name};
  FormatCellElement(kCellCharBuffer, names, 0, "%-10s", 1, out);
  EXPECT_STREQ(out, "BK7");
  const STRING strings[] = {STRING("  F2 ")};
  FormatCellElement(kCellString, strings, 0, "%s", 1, out);
  EXPECT_STREQ(out, "F2");
}

// Every numeric type round-trips a value through its cell text.
TEST(ParseCellElement, EveryTypeRoundTripsThroughItsText) {
  char text[kCellTextSize];
  std::uint8_t bytes[] = {0, 254};
  std::int16_t words[] = {0, -1234};
  int ints[] = {0, 123456};
  LONG longs[] = {0, -98765};
  float floats[] = {0.0F, 0.375F};
  double doubles[] = {0.0, 2.0e-7};
  struct Case {
    int type;
    void *values;
    const char *format;
  };
  const Case cases[] = {{kCellUInt8, bytes, "%d"},   {kCellInt16, words, "%d"},  {kCellInt, ints, "%d"},
                        {kCellLong, longs, "%d"},    {kCellFloat, floats, "%g"}, {kCellDouble, doubles, "%.17g"}};
  for (const Case &item : cases) {
    FormatCellElement(item.type, item.values, 1, item.format, 1, text);
    ASSERT_EQ(ParseCellElement(item.type, item.values, 0, text, 0), 1) << item.type;
  }
  EXPECT_EQ(bytes[0], 254);
  EXPECT_EQ(words[0], -1234);
  EXPECT_EQ(ints[0], 123456);
  EXPECT_EQ(longs[0], -98765);
  EXPECT_EQ(floats[0], 0.375F);
  EXPECT_EQ(doubles[0], 2.0e-7);
}

TEST(ParseCellElement, IntegersTruncateAndEmptyTextGivesZero) {
  int ints[] = {5, 5};
  EXPECT_EQ(ParseCellElement(kCellInt, ints, 0, "-2.9", 0), 1);
  EXPECT_EQ(ints[0], -2);
  EXPECT_EQ(ParseCellElement(kCellInt, ints, 1, "", 0), 1);
  EXPECT_EQ(ints[1], 0);
  double doubles[] = {4.0};
  EXPECT_EQ(ParseCellElement(99, doubles, 0, "1", 0), 0);
  EXPECT_EQ(doubles[0], 4.0);
}

TEST(ParseCellElement, TextsThatAreNoFiniteNumberAreRefused) {
  double doubles[] = {4.0};
  float floats[] = {0.5F};
  TNumberRead why = TNumberRead::Number;
  EXPECT_EQ(ParseCellElement(kCellDouble, doubles, 0, "3.5mm", 0, &why), 0);
  EXPECT_EQ(why, TNumberRead::NotANumber);
  for (const char *text : {"nan", "inf", "-Infinity"}) {
    EXPECT_EQ(ParseCellElement(kCellDouble, doubles, 0, text, 0), 0) << text;
    EXPECT_EQ(ParseCellElement(kCellFloat, floats, 0, text, 0), 0) << text;
  }
  EXPECT_EQ(ParseCellElement(kCellDouble, doubles, 0, "1e400", 0, &why), 0);
  EXPECT_EQ(why, TNumberRead::OutOfRange);
  EXPECT_EQ(ParseCellElement(kCellFloat, floats, 0, "-1e39", 0, &why), 0);
  EXPECT_EQ(why, TNumberRead::OutOfRange);
  EXPECT_EQ(doubles[0], 4.0);
  EXPECT_EQ(floats[0], 0.5F);
  EXPECT_EQ(ParseCellElement(kCellDouble, doubles, 0, " 2,25 ", 0, &why), 1);
  EXPECT_EQ(doubles[0], 2.25);
  EXPECT_EQ(why, TNumberRead::Number);
}

TEST(ParseCellElement, ValuesTheElementCannotHoldAreRefused) {
  std::uint8_t bytes[] = {0x11, 0x22, 0x33};
  EXPECT_EQ(ParseCellElement(kCellUInt8, bytes, 1, "256", 0), 0);
  EXPECT_EQ(ParseCellElement(kCellUInt8, bytes, 1, "-1", 0), 0);
  EXPECT_EQ(bytes[0], 0x11);
  EXPECT_EQ(bytes[1], 0x22);
  EXPECT_EQ(bytes[2], 0x33);
  std::int16_t words[] = {7, 8};
  EXPECT_EQ(ParseCellElement(kCellInt16, words, 0, "32768", 0), 0);
  EXPECT_EQ(words[0], 7);
  EXPECT_EQ(words[1], 8);
  int ints[] = {1};
  EXPECT_EQ(ParseCellElement(kCellInt, ints, 0, "3e10", 0), 0);
  EXPECT_EQ(ints[0], 1);
}

TEST(ParseCellElement, CharBuffersAreCutToTheirSizeAndStringsAssigned) {
  char first[8];
  std::memset(first, 'x', sizeof first);
  char *buffers[] = {first};
  EXPECT_EQ(ParseCellElement(kCellCharBuffer, buffers, 0, "a very long glass name", 5), 1);
  EXPECT_STREQ(first, "a ve");
  EXPECT_EQ(first[5], 'x');
  char *missing[] = {nullptr};
  EXPECT_EQ(ParseCellElement(kCellCharBuffer, missing, 0, "text", 5), 0);
  STRING strings[2];
  EXPECT_EQ(ParseCellElement(kCellString, strings, 1, "SF6", 0), 1);
  EXPECT_EQ(strings[1], "SF6");
}

TEST(FormatWidth, TheNumberAfterTheFirstPercentSign) {
  EXPECT_EQ(FormatWidth("%8g"), 8);
  EXPECT_EQ(FormatWidth("%10.3f"), 10);
  EXPECT_EQ(FormatWidth("%-6d"), 6);
  EXPECT_EQ(FormatWidth("%-10s"), 10);
  EXPECT_EQ(FormatWidth("%s"), 0);
  EXPECT_EQ(FormatWidth("no conversion"), 0);
}

}  // namespace
