#include "foundation/textfiles/text_functions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>

#include "foundation/testing/approx.h"

namespace {
// Decimal conversion of short literals is exact to the last bit or one ulp away.
constexpr double kConversionTolerance = 1e-15;
}  // namespace

TEST(SubString, TakesAnInclusiveRange) {
  EXPECT_EQ(SubString("abcdef", 1, 3), "bcd");
  EXPECT_EQ(SubString("abcdef", 0, 0), "a");
  EXPECT_EQ(SubString("abcdef", 3, 2), "");
}

TEST(SubString, ClipsRangesOutsideTheText) {
  EXPECT_EQ(SubString("abc", -5, 1), "ab");
  EXPECT_EQ(SubString("abc", 1, 99), "bc");
  EXPECT_EQ(SubString("", 0, 3), "");
}

TEST(FindSubstring, PointsAtTheFirstOccurrence) {
  const char text[] = "one two one";
  EXPECT_EQ(FindSubstring("one", text), text);
  EXPECT_EQ(FindSubstring("two", text), text + 4);
  EXPECT_EQ(FindSubstring("three", text), nullptr);
  EXPECT_EQ(FindSubstring("x", static_cast<const char *>(nullptr)), nullptr);
}

TEST(RemoveSubstring, RemovesOnlyTheFirst) {
  char text[] = "a--b--c";
  EXPECT_EQ(RemoveSubstring("--", text), text);
  EXPECT_STREQ(text, "ab--c");
  char none[] = "abc";
  EXPECT_EQ(RemoveSubstring("x", none), nullptr);
  EXPECT_STREQ(none, "abc");
  EXPECT_EQ(RemoveSubstring("", none), nullptr);
}

TEST(RemoveAllSubstrings, RemovesEveryBlank) {
  char text[] = " R a d ius ";
  EXPECT_EQ(RemoveAllSubstrings(" ", text), text);
  EXPECT_STREQ(text, "Radius");
  char none[] = "Radius";
  EXPECT_EQ(RemoveAllSubstrings(" ", none), nullptr);
}

TEST(RemoveAllSubstrings, OccurrencesFormedByRemovalAreRemovedToo) {
  // Removing "ab" from "aabb" leaves "ab", which is removed as well.
  char text[] = "aabb";
  RemoveAllSubstrings("ab", text);
  EXPECT_STREQ(text, "");
  std::string object = "xaabby";
  EXPECT_EQ(RemoveAllSubstrings(std::string("ab"), object), 2);
  EXPECT_EQ(object, "xy");
}

TEST(RemoveAllSubstrings, EmptyPatternRemovesNothing) {
  char text[] = "abc";
  EXPECT_EQ(RemoveAllSubstrings("", text), nullptr);
  std::string object = "abc";
  EXPECT_EQ(RemoveAllSubstrings(std::string(), object), 0);
}

TEST(LowerCaseAnsi, LowersAsciiAndCyrillic) {
  EXPECT_EQ(LowerCaseAnsi("[Common] Naper"), "[common] naper");
  EXPECT_EQ(LowerCaseAnsi("СТЕКЛО Ёж"), "стекло ёж");
  EXPECT_EQ(LowerCaseAnsi("ЯАПР"), "яапр");
  EXPECT_EQ(LowerCaseAnsi("é ü 1.5"), "é ü 1.5");
}

TEST(DecimalToDouble, ReadsTheLongestValidPrefix) {
  EXPECT_APPROX(DecimalToDouble("  -1.25e2xyz"), -125.0, kConversionTolerance);
  EXPECT_APPROX(DecimalToDouble("+0.5"), 0.5, kConversionTolerance);
  EXPECT_APPROX(DecimalToDouble(".75"), 0.75, kConversionTolerance);
  EXPECT_APPROX(DecimalToDouble("3."), 3.0, kConversionTolerance);
  EXPECT_APPROX(DecimalToDouble("12abc"), 12.0, kConversionTolerance);
  EXPECT_APPROX(DecimalToDouble("7e"), 7.0, kConversionTolerance);
}

TEST(DecimalToDouble, NoNumberGivesZero) {
  std::size_t used = 99;
  EXPECT_EQ(DecimalToDouble("??", &used), 0.0);
  EXPECT_EQ(used, 0u);
  EXPECT_EQ(DecimalToDouble(""), 0.0);
  EXPECT_EQ(DecimalToDouble("+-3"), 0.0);
  EXPECT_EQ(DecimalToDouble(static_cast<const char *>(nullptr)), 0.0);
}

TEST(DecimalToDouble, ReportsCharactersUsed) {
  std::size_t used = 0;
  DecimalToDouble(" 2.5; R=1", &used);
  EXPECT_EQ(used, 4u);
}

TEST(DecimalToDouble, OverflowAndUnderflowFollowTheCLibrary) {
  EXPECT_EQ(DecimalToDouble("1e999"), HUGE_VAL);
  EXPECT_EQ(DecimalToDouble("-1e999"), -HUGE_VAL);
  EXPECT_EQ(DecimalToDouble("1e-999"), 0.0);
}

TEST(DecimalToDouble, IgnoresADecimalCommaLocale) {
  // Whatever locale the process runs in, the point stays the decimal separator.
  const char *previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  const bool commaLocale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr ||
                           std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr;
  EXPECT_APPROX(DecimalToDouble("1.5"), 1.5, kConversionTolerance);
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!commaLocale) GTEST_SKIP() << "no decimal-comma locale installed";
}
