// Bound values to text and back: truncation, hexadecimal fields, char buffers, and values
// a variable cannot hold, which are refused rather than wrapped.

#include "toolkit/binding/value_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

TEST(ParseBoundValue, DecimalTextIsTruncatedTowardZeroForIntegers) {
  int value = 7;
  EXPECT_EQ(ParseBoundValue('i', &value, 0, "%d", "2.9"), 1);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(ParseBoundValue('i', &value, 0, "%d", "-2.9"), 1);
  EXPECT_EQ(value, -2);
  EXPECT_EQ(ParseBoundValue('i', &value, 0, "%d", ""), 1);
  EXPECT_EQ(value, 0);
  float single = 0.0F;
  EXPECT_EQ(ParseBoundValue('f', &single, 0, "%g", "0.25"), 1);
  EXPECT_EQ(single, 0.25F);
}

TEST(ParseBoundValue, TextThatIsNotWhollyANumberIsRefusedWithItsReason) {
  int value = 7;
  TNumberRead why = TNumberRead::Number;
  EXPECT_EQ(ParseBoundValue('i', &value, 0, "%d", "12abc", &why), 0);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(why, TNumberRead::NotANumber);
  double number = 1.0;
  EXPECT_EQ(ParseBoundValue('d', &number, 0, "%g", "abc", &why), 0);
  EXPECT_EQ(number, 1.0);
  // A decimal comma is the point, in every field.
  EXPECT_EQ(ParseBoundValue('d', &number, 0, "%g", "1,5", &why), 1);
  EXPECT_EQ(number, 1.5);
  EXPECT_EQ(why, TNumberRead::Number);
  EXPECT_EQ(ParseBoundValue('i', &value, 0, "%d", "300", &why), 1);
  EXPECT_EQ(ParseBoundValue('b', &value, 0, "%d", "300", &why), 0);
  EXPECT_EQ(why, TNumberRead::OutOfRange);
}

TEST(ParseBoundValue, DoubleAndFloatFieldsRefuseWhatIsNotAFiniteNumber) {
  double number = 2.5;
  float single = 0.5F;
  TNumberRead why = TNumberRead::Number;
  for (const char *text : {"nan", "NaN", "inf", "-inf", "infinity"}) {
    EXPECT_EQ(ParseBoundValue('d', &number, 0, "%g", text, &why), 0) << text;
    EXPECT_EQ(why, TNumberRead::NotANumber) << text;
    EXPECT_EQ(ParseBoundValue('f', &single, 0, "%g", text), 0) << text;
  }
  EXPECT_EQ(ParseBoundValue('d', &number, 0, "%g", "1e400", &why), 0);
  EXPECT_EQ(why, TNumberRead::OutOfRange);
  EXPECT_EQ(ParseBoundValue('f', &single, 0, "%g", "1e39", &why), 0);
  EXPECT_EQ(why, TNumberRead::OutOfRange);
  EXPECT_EQ(number, 2.5);
  EXPECT_EQ(single, 0.5F);
}

TEST(ParseBoundValue, HexFieldsReadThroughTheFormatAndEmptyGivesZero) {
  int value = 0;
  EXPECT_EQ(ParseBoundValue('i', &value, 0, "%X", "1F"), 1);
  EXPECT_EQ(value, 31);
  EXPECT_EQ(ParseBoundValue('i', &value, 0, "%x", "ff"), 1);
  EXPECT_EQ(value, 255);
  EXPECT_EQ(ParseBoundValue('i', &value, 0, "%X", ""), 1);
  EXPECT_EQ(value, 0);
}

TEST(ParseBoundValue, TooLargeHexIsRefusedWithoutTouchingNeighbouringBytes) {
  struct {
    std::uint8_t before = 0xAA;
    std::uint8_t field = 0x11;
    std::uint8_t after = 0xBB;
    std::uint8_t last = 0xCC;
  } bytes;
  EXPECT_EQ(ParseBoundValue('b', &bytes.field, 0, "%X", "1FF"), 0);
  EXPECT_EQ(bytes.field, 0x11);
  EXPECT_EQ(bytes.before, 0xAA);
  EXPECT_EQ(bytes.after, 0xBB);
  EXPECT_EQ(bytes.last, 0xCC);
  EXPECT_EQ(ParseBoundValue('b', &bytes.field, 0, "%X", "FE"), 1);
  EXPECT_EQ(bytes.field, 0xFE);
  EXPECT_EQ(bytes.after, 0xBB);

  struct {
    std::int16_t field = 5;
    std::int16_t after = 6;
  } words;
  EXPECT_EQ(ParseBoundValue('s', &words.field, 0, "%04X", "12345"), 0);
  EXPECT_EQ(words.field, 5);
  EXPECT_EQ(words.after, 6);
  EXPECT_EQ(ParseBoundValue('s', &words.field, 0, "%X", "zz"), 0);
  EXPECT_EQ(words.field, 5);
}

TEST(ParseBoundValue, TooLargeDecimalIsRefusedNotWrapped) {
  std::uint8_t small = 9;
  EXPECT_EQ(ParseBoundValue('b', &small, 0, "%d", "300"), 0);
  EXPECT_EQ(small, 9);
  EXPECT_EQ(ParseBoundValue('b', &small, 0, "%d", "-1"), 0);
  EXPECT_EQ(small, 9);
  EXPECT_EQ(ParseBoundValue('b', &small, 0, "%d", "255.7"), 1);
  EXPECT_EQ(small, 255);
  std::int16_t word = 4;
  EXPECT_EQ(ParseBoundValue('s', &word, 0, "%d", "40000"), 0);
  EXPECT_EQ(word, 4);
  EXPECT_EQ(ParseBoundValue('s', &word, 0, "%d", "-32768"), 1);
  EXPECT_EQ(word, -32768);
  int whole = 3;
  EXPECT_EQ(ParseBoundValue('i', &whole, 0, "%d", "1e12"), 0);
  EXPECT_EQ(whole, 3);
  EXPECT_EQ(ParseBoundValue('i', &whole, 0, "%d", "nan"), 0);
  EXPECT_EQ(whole, 3);
}

TEST(ParseBoundValue, CharBuffersAreCutToTheirSize) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  char guard = 'g';
  EXPECT_EQ(ParseBoundValue('S', buffer, 6, "%s", "a long name"), 1);
  EXPECT_STREQ(buffer, "a lon");
  EXPECT_EQ(buffer[6], 'x');
  EXPECT_EQ(guard, 'g');
  EXPECT_EQ(ParseBoundValue('S', buffer, sizeof buffer, "%s", ""), 1);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(ParseBoundValue('S', buffer, 0, "%s", "abc"), 0);
}

TEST(FormatBoundValue, EachLetterPrintsItsWidthAndUnknownLettersDoNothing) {
  char out[32];
  const std::uint8_t byte = 200;
  EXPECT_EQ(FormatBoundValue('b', &byte, "%d", out, sizeof out), 1);
  EXPECT_STREQ(out, "200");
  const std::int16_t word = -5;
  EXPECT_EQ(FormatBoundValue('s', &word, "%d", out, sizeof out), 1);
  EXPECT_STREQ(out, "-5");
  const float single = 1.5F;
  EXPECT_EQ(FormatBoundValue('f', &single, "%5.2f", out, sizeof out), 1);
  EXPECT_STREQ(out, " 1.50");
  const int hex = 31;
  EXPECT_EQ(FormatBoundValue('i', &hex, "%X", out, sizeof out), 1);
  EXPECT_STREQ(out, "1F");
  const char *name = "a rather long lens name";
  EXPECT_EQ(FormatBoundValue('S', name, "%s", out, 8), 1);
  EXPECT_STREQ(out, "a rathe");
  double untouched = 2.0;
  EXPECT_EQ(FormatBoundValue('q', &untouched, "%g", out, sizeof out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(ParseBoundValue('q', &untouched, 0, "%g", "5"), 0);
  EXPECT_EQ(untouched, 2.0);
}

}  // namespace
