// Reads a fuzzed file with the token parser three ways: token by token across lines, by
// first tokens of lines, and by mixed calls. Expectations: every walk reaches the end of
// the file within one token per byte, and the same walk after Rewind gives the same
// tokens.
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/tokenizer/tokenizer.h"
#include "fuzz/fuzz_scratch.h"

namespace {

const TKeyword kKeywords[] = {{"indices", 1}, {"wl", 2}, {"transmittance", 3}, {"th", 4},
                              {"P", 5},       {"Alfa", 6}, {"Beta", 7},        {"t", 8},
                              {"end", 9},     {"", -1}};

// Token types and texts of a whole walk, as one string.
std::string WalkTokens(TParser &parser, std::size_t bound) {
  std::string seen;
  for (std::size_t count = 0;; ++count) {
    FUZZ_CHECK(count <= bound, "the token walk never ends");
    const int type = parser.NextToken();
    FUZZ_CHECK(type != -1, "read error on a plain file");
    FUZZ_CHECK(std::strlen(parser.GetToken()) <= TTokenizer::kTokenSize, "token too long");
    if (type == kTokenFileEnd) break;
    seen += std::to_string(type) + ":" + parser.GetToken() + "\n";
  }
  return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("input.tgc", data, size);
  TParser parser(path.c_str(), kKeywords);
  FUZZ_CHECK(!parser.IsEof(), "file not opened");
  const std::size_t bound = size + 2;

  const std::string first = WalkTokens(parser, bound);
  FUZZ_CHECK(parser.NextToken() == kTokenFileEnd, "a token after the end");
  parser.Rewind();
  FUZZ_CHECK(WalkTokens(parser, bound) == first, "Rewind does not restart the walk");

  parser.Rewind();
  for (std::size_t count = 0;; ++count) {
    FUZZ_CHECK(count <= bound, "the line walk never ends");
    const int type = parser.NextLineFirstToken();
    FUZZ_CHECK(type != -1, "read error on a plain file");
    if (type == kTokenFileEnd || (type == kTokenLineEnd && parser.IsEof())) break;
  }

  parser.Rewind();
  for (std::size_t count = 0;; ++count) {
    FUZZ_CHECK(count <= 2 * bound, "the mixed walk never ends");
    const int type = (count % 3 == 2) ? parser.NextLineFirstToken() : parser.NextToken();
    if (type == kTokenFileEnd || type == -1) break;
    if (count % 2 == 0) parser.IsLineEnd();
    const char *message =
        FormatParseError(path.c_str(), parser.GetLineNumber(), parser.GetToken(), "Wrong value...");
    FUZZ_CHECK(std::strlen(message) < 1024, "message overflow");
  }
  return 0;
}
