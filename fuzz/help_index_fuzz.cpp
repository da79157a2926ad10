// Reads a fuzzed help file as the help viewer does. Expectations: a file the reader takes
// names at least one page, every page it names lies beside the file (or is absolute), and
// parsing the text directly finds the same pages.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "toolkit/help/help_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("input.hlp", data, size);
  THelpIndex index;
  const bool read = ReadHelpIndex(path, index);
  THelpIndex parsed;
  int bad = 0;
  const bool parses = ParseHelpIndex(std::string(reinterpret_cast<const char *>(data), size), parsed, &bad);
  FUZZ_CHECK(read == (parses && size <= kHelpIndexMaxBytes), "read and parse disagree");
  FUZZ_CHECK(bad >= 0, "bad line number");
  if (!read) {
    FUZZ_CHECK(index.contents.empty() && index.pages.empty(), "a refused file left pages");
    return 0;
  }
  FUZZ_CHECK(!index.contents.empty() || !index.pages.empty(), "no page");
  FUZZ_CHECK(index.pages.size() == parsed.pages.size(), "page counts differ");
  for (const auto &[context, page] : index.pages) {
    FUZZ_CHECK(!page.empty() && page[0] == '/', "page not a path");
    FUZZ_CHECK(HelpPageOfContext(index, context) == page, "context lookup");
  }
  return 0;
}
