// Scans fuzzed lines with every tokenizer setting the first bytes choose. Expectations:
// a line ends in at most one token per character, the token text stays within its buffer
// and the column within the line, and a type is one the tokenizer defines.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/tokenizer/tokenizer.h"
#include "fuzz/fuzz_scratch.h"

namespace {

const TKeyword kKeywords[] = {{"indices", 1}, {"wl", 2}, {"end", 9}, {"Beta", 7}, {"", -1}};
const TKeyword kPrefixed[] = {{"define", 1}, {"include", 2}, {"", -1}};

bool KnownType(int type) {
  switch (type) {
    case kTokenLineEnd:
    case kTokenInteger:
    case kTokenReal:
    case kTokenHex:
    case kTokenString:
    case kTokenIdentifier:
    case kTokenOther:
      return true;
    default:
      return (type >= kTokenKeyword && type < kTokenKeyword + 200) ||
             (type >= kTokenPrefixedKeyword && type < kTokenPrefixedKeyword + 200);
  }
}

void ScanLine(TTokenizer &tokenizer, const std::string &line) {
  tokenizer.SetLine(line.c_str());
  const std::size_t length = std::strlen(line.c_str());
  for (std::size_t count = 0;; ++count) {
    FUZZ_CHECK(count <= length + 1, "the line never ends: " + line);
    const int type = tokenizer.NextToken();
    FUZZ_CHECK(KnownType(type), std::to_string(type));
    FUZZ_CHECK(std::strlen(tokenizer.GetToken()) <= TTokenizer::kTokenSize, line);
    FUZZ_CHECK(tokenizer.GetColumn() >= 0 &&
                   static_cast<std::size_t>(tokenizer.GetColumn()) <= length,
               line);
    if (type == kTokenInteger || type == kTokenReal) {
      const double value = TokenNumber(tokenizer.GetToken());
      (void)value;
    }
    if (type == kTokenLineEnd) break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  TTokenizer tokenizer;
  const auto options = provider.ConsumeIntegral<std::uint8_t>();
  tokenizer.SetComments(options & 3);
  tokenizer.SetHexNumbers((options & 4) != 0);
  tokenizer.SetSignedNumbers((options & 8) != 0);
  tokenizer.SetCompareMode((options & 16) != 0 ? 1 : 0);
  if ((options & 32) != 0) tokenizer.SetKeywords(kKeywords);
  if ((options & 64) != 0) tokenizer.SetPrefixedKeywords(kPrefixed);
  if ((options & 128) != 0) tokenizer.SetIdentifierChars("._");
  tokenizer.SetPrefix(static_cast<char>(provider.ConsumeIntegral<std::uint8_t>()));

  // Lines end at '\n' as the parser hands them over; a zero byte ends a line's text early.
  const std::string text = provider.ConsumeRemainingBytesAsString();
  std::size_t at = 0;
  int lines = 0;
  while (at <= text.size()) {
    const std::size_t newline = text.find('\n', at);
    const std::size_t end = newline == std::string::npos ? text.size() : newline;
    ScanLine(tokenizer, text.substr(at, end - at));
    ++lines;
    at = end + 1;
  }
  FUZZ_CHECK(tokenizer.GetLineNumber() == lines, "line count");
  return 0;
}
