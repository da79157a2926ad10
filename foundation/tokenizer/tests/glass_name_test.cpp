#include "foundation/tokenizer/glass_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Code-page 866 bytes of the Cyrillic look-alikes.
constexpr char kKa866Small = static_cast<char>(0xAA);
constexpr char kEf866Capital = static_cast<char>(0x94);  // Ф, no Latin twin
constexpr char kEf866Small = static_cast<char>(0xE4);    // ф

}  // namespace

TEST(GlassName, LookAlikeLettersBecomeLatinCapitals) {
  char name[] = {kKa866Small, '8', '\0'};
  EXPECT_STREQ(NormalizeGlassName(name), "K8");
  // Every look-alike, small and capital, in table order.
  const unsigned char capitals[] = {0x80, 0x82, 0x91, 0x85, 0x8D, 0x8A,
                                    0x8C, 0x8E, 0x90, 0x92, 0x95, 0x93};
  const unsigned char smalls[] = {0xA0, 0xA2, 0xE1, 0xA5, 0xAD, 0xAA,
                                  0xAC, 0xAE, 0xE0, 0xE2, 0xE5, 0xE3};
  const char latin[] = "ABCEHKMOPTXY";
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(NormalizeGlassChar(capitals[i]), latin[i]) << i;
    EXPECT_EQ(NormalizeGlassChar(smalls[i]), latin[i]) << i;
  }
}

TEST(GlassName, OtherLettersAreOnlyUpperCased) {
  EXPECT_EQ(NormalizeGlassChar('q'), 'Q');
  EXPECT_EQ(NormalizeGlassChar('Q'), 'Q');
  EXPECT_EQ(NormalizeGlassChar('-'), '-');
  EXPECT_EQ(NormalizeGlassChar(0xE4), 0x94);  // ф -> Ф
  EXPECT_EQ(NormalizeGlassChar(0xA1), 0x81);  // б -> Б
  EXPECT_EQ(NormalizeGlassChar(0xEF), 0x9F);  // я -> Я
  EXPECT_EQ(NormalizeGlassChar(0x94), 0x94);
  EXPECT_EQ(NormalizeGlassChar(0xF0), 0xF0);  // outside both ranges
  char name[] = {'t', kEf866Small, '1', '\0'};
  const char expected[] = {'T', kEf866Capital, '1', '\0'};
  EXPECT_STREQ(NormalizeGlassName(name), expected);
}

TEST(GlassName, CodePage1251AndUtf8ReachTheSame866Form) {
  // "кф" typed three ways.
  const std::string cp1251 = "\xEA\xF4";
  const std::string utf8 = "\xD0\xBA\xD1\x84";
  const std::string cp866 = "\xAA\xE4";
  EXPECT_EQ(Cp1251To866(cp1251), cp866);
  std::string converted;
  ASSERT_TRUE(Utf8To866(utf8, converted));
  EXPECT_EQ(converted, cp866);
  EXPECT_TRUE(LooksLikeUtf8(utf8));
  EXPECT_FALSE(LooksLikeUtf8(cp1251));
  EXPECT_FALSE(LooksLikeUtf8("N-BK7"));
  EXPECT_EQ(NormalizedGlassName(utf8), "K\x94");
  EXPECT_EQ(NormalizedGlassName("n-bk7"), "N-BK7");
}

TEST(GlassName, MalformedUtf8IsRejected) {
  std::string out = "unchanged";
  EXPECT_FALSE(Utf8To866("\xD0", out));          // cut sequence
  EXPECT_FALSE(Utf8To866("\xC0\x80", out));      // over-long NUL
  EXPECT_FALSE(Utf8To866("\xE2\x82\xAC", out));  // euro sign: no 866 twin
  EXPECT_EQ(out, "unchanged");
  EXPECT_FALSE(LooksLikeUtf8("\xFF\xFE"));
}
