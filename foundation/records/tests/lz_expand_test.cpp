// Expanding SZDD files: hand-made streams for the ring's rules, and round trips through the
// test compressor.

#include "foundation/records/lz_expand.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "foundation/records/tests/lz_compress_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Header(std::uint32_t length) {
  Bytes bytes = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 't'};
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(length >> (8 * i)));
  return bytes;
}

Bytes Of(const std::string &text) { return Bytes(text.begin(), text.end()); }

std::string Expand(const Bytes &packed, bool *ok = nullptr) {
  Bytes out;
  std::string error;
  const bool expanded = LzExpand(packed.data(), packed.size(), out, error);
  if (ok != nullptr) *ok = expanded;
  return std::string(out.begin(), out.end());
}

void ExpectRoundTrip(const Bytes &data) {
  const Bytes packed = LzCompress(data);
  Bytes out;
  std::string error;
  ASSERT_TRUE(LzExpand(packed.data(), packed.size(), out, error)) << error;
  EXPECT_EQ(out, data);
}

}  // namespace

TEST(LzExpand, RunsReadTheBlankRingFromItsStartPosition) {
  // Flags 0b011: two literals, then a run of 4 from ring cell 4080, where the first
  // literal landed; the run overlaps what it writes.
  Bytes packed = Header(6);
  packed.insert(packed.end(), {0x03, 'a', 'b', 0xF0, 0xF1});
  EXPECT_EQ(Expand(packed), "ababab");
  // A run from cell 0 reads the blanks the ring starts with.
  packed = Header(5);
  packed.insert(packed.end(), {0x02, 0x00, 0x00, 'x', 0x00, 0x00});
  EXPECT_EQ(Expand(packed), "   x ");
  // Bits are taken from the lowest: 0x01 is a literal first, then a run of 18 (0x0F).
  packed = Header(19);
  packed.insert(packed.end(), {0x01, 'z', 0xF0, 0xFF});
  EXPECT_EQ(Expand(packed), std::string(19, 'z'));
}

TEST(LzExpand, RoundTripsThroughTheCompressor) {
  ExpectRoundTrip({});
  ExpectRoundTrip(Of("A"));
  ExpectRoundTrip(Of(std::string(5000, 'q')));
  std::string text;
  for (int i = 0; i < 300; ++i) text += "Surface " + std::to_string(i % 17) + " of the lens; ";
  ExpectRoundTrip(Of(text));  // past the ring's 4096 bytes
  const unsigned seed = 20261207;
  std::mt19937 random(seed);
  Bytes noise(6000);
  for (unsigned char &b : noise) b = static_cast<unsigned char>(random() % 7 == 0 ? 0 : random());
  SCOPED_TRACE("seed " + std::to_string(seed));
  ExpectRoundTrip(noise);
  EXPECT_LT(LzCompress(Of(text)).size(), text.size() / 4) << "runs are used";
}

TEST(LzExpand, BrokenStreamsAreRefusedAndLongOnesCut) {
  const Bytes whole = LzCompress(Of("a library of components, a library of components"));
  bool ok = true;
  Bytes cut(whole.begin(), whole.end() - 3);
  EXPECT_EQ(Expand(cut, &ok), "");
  EXPECT_FALSE(ok);
  Bytes mode = whole;
  mode[8] = 'B';
  Expand(mode, &ok);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(IsLzCompressed(whole.data(), 7));
  Bytes headerOnly(whole.begin(), whole.begin() + 12);
  Expand(headerOnly, &ok);
  EXPECT_FALSE(ok);
  // A length no data could reach is refused before anything is reserved.
  Bytes huge = Header(0xFFFFFFFFu);
  huge.insert(huge.end(), {0xFF, 'a', 'b'});
  Expand(huge, &ok);
  EXPECT_FALSE(ok);
  // Output beyond the stated length is dropped.
  Bytes shorter = whole;
  shorter[10] = 9;
  shorter[11] = shorter[12] = shorter[13] = 0;
  EXPECT_EQ(Expand(shorter, &ok), "a library");
  EXPECT_TRUE(ok);
}
