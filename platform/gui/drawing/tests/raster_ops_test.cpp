#include "platform/gui/drawing/raster_ops.h"

#include "platform/gui/drawing/gdi_types.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

// Bit-by-bit evaluation of a ternary raster operation from its truth table: a second,
// independent way to get what MixRop3 computes word-wise.
std::uint32_t Rop3ByBits(std::uint32_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  const unsigned table = (rop >> 16) & 0xFF;
  std::uint32_t result = 0;
  for (int bit = 0; bit < 32; ++bit) {
    const unsigned index = (((p >> bit) & 1u) << 2) | (((s >> bit) & 1u) << 1) | ((d >> bit) & 1u);
    result |= static_cast<std::uint32_t>((table >> index) & 1u) << bit;
  }
  return result;
}

}  // namespace

TEST(RasterOps, Rop2ModesFollowTheirNames) {
  std::mt19937 random(20261207u);
  SCOPED_TRACE("seed 20261207");
  for (int trial = 0; trial < 100; ++trial) {
    const std::uint32_t p = random();
    const std::uint32_t d = random();
    EXPECT_EQ(MixRop2(R2_BLACK, p, d), 0u);
    EXPECT_EQ(MixRop2(R2_WHITE, p, d), 0xFFFFFFFFu);
    EXPECT_EQ(MixRop2(R2_COPYPEN, p, d), p);
    EXPECT_EQ(MixRop2(R2_NOTCOPYPEN, p, d), ~p);
    EXPECT_EQ(MixRop2(R2_XORPEN, p, d), p ^ d);
    EXPECT_EQ(MixRop2(R2_NOTXORPEN, p, d), ~(p ^ d));
    EXPECT_EQ(MixRop2(R2_MASKPEN, p, d), p & d);
    EXPECT_EQ(MixRop2(R2_MERGEPEN, p, d), p | d);
    EXPECT_EQ(MixRop2(R2_NOTMASKPEN, p, d), ~(p & d));
    EXPECT_EQ(MixRop2(R2_NOTMERGEPEN, p, d), ~(p | d));
    EXPECT_EQ(MixRop2(R2_MASKPENNOT, p, d), p & ~d);
    EXPECT_EQ(MixRop2(R2_MASKNOTPEN, p, d), ~p & d);
    EXPECT_EQ(MixRop2(R2_MERGEPENNOT, p, d), p | ~d);
    EXPECT_EQ(MixRop2(R2_MERGENOTPEN, p, d), ~p | d);
    EXPECT_EQ(MixRop2(R2_NOT, p, d), ~d);
    EXPECT_EQ(MixRop2(R2_NOP, p, d), d);
  }
}

TEST(RasterOps, NamedBlockOperations) {
  const std::uint32_t p = 0x00F0F0F0, s = 0x00CCCCCC, d = 0x00AAAAAA;
  EXPECT_EQ(MixRop3(SRCCOPY, p, s, d), s);
  EXPECT_EQ(MixRop3(SRCAND, p, s, d), s & d);
  EXPECT_EQ(MixRop3(SRCPAINT, p, s, d), s | d);
  EXPECT_EQ(MixRop3(SRCINVERT, p, s, d), s ^ d);
  EXPECT_EQ(MixRop3(MERGEPAINT, p, s, d), ~s | d);
  EXPECT_EQ(MixRop3(PATINVERT, p, s, d), p ^ d);
  EXPECT_EQ(MixRop3(PATCOPY, p, s, d), p);
  EXPECT_EQ(MixRop3(DSTINVERT, p, s, d), ~d);
  EXPECT_EQ(MixRop3(NOTSRCCOPY, p, s, d), ~s);
  EXPECT_EQ(MixRop3(SRCERASE, p, s, d), s & ~d);
  EXPECT_EQ(MixRop3(MERGECOPY, p, s, d), p & s);
}

TEST(RasterOps, EveryTernaryCodeMatchesItsTruthTable) {
  std::mt19937 random(77u);
  SCOPED_TRACE("seed 77");
  for (std::uint32_t code = 0; code < 256; ++code) {
    const std::uint32_t rop = code << 16;
    for (int trial = 0; trial < 4; ++trial) {
      const std::uint32_t p = random(), s = random(), d = random();
      ASSERT_EQ(MixRop3(rop, p, s, d), Rop3ByBits(rop, p, s, d)) << "code " << code;
    }
  }
}

TEST(RasterOps, SourceAndPatternUse) {
  EXPECT_TRUE(Rop3UsesSource(SRCCOPY));
  EXPECT_TRUE(Rop3UsesSource(MERGEPAINT));
  EXPECT_FALSE(Rop3UsesSource(PATINVERT));
  EXPECT_FALSE(Rop3UsesSource(DSTINVERT));
  EXPECT_TRUE(Rop3UsesPattern(PATINVERT));
  EXPECT_FALSE(Rop3UsesPattern(SRCAND));
}
