// Reads a fuzzed report file the way the report printer does: line by line, each line laid
// out in cells with its rule characters, and the lines flowed down pages. The first bytes
// choose the rule characters, the tab size, the line and page heights and the first
// line's place. Expectations: every text step names bytes inside its line, columns never
// go back, and every line is placed on a page inside the page's height.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/reports/ruled_line.h"
#include "fuzz/fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  TRuleChars rules;
  if (input.ConsumeBool()) {
    rules.vertical = input.ConsumeIntegral<char>();
    rules.horizontal = input.ConsumeIntegral<char>();
    rules.cross = input.ConsumeIntegral<char>();
  }
  const int tabSize = input.ConsumeIntegralInRange<int>(-4, 64);
  const int lineHeight = input.ConsumeIntegralInRange<int>(-10, 5000);
  const int pageHeight = input.ConsumeIntegralInRange<int>(-10, 20000);
  const int firstY = input.ConsumeIntegral<int>();
  const std::string path = WriteFuzzFile("report.txt", input.ConsumeRemainingBytesAsString());

  std::ifstream file(path, std::ios::binary);
  TLineFlow flow(firstY, lineHeight, pageHeight);
  std::vector<TRuledCell> cells;
  std::string line;
  int previousPage = 1;
  while (std::getline(file, line)) {
    LayoutRuledLine(line, rules, tabSize, cells);
    int previousColumn = -1;
    for (const TRuledCell &cell : cells) {
      FUZZ_CHECK(cell.column > previousColumn, "column " + std::to_string(cell.column));
      previousColumn = cell.column;
      if (cell.kind == TRuledCell::Text) {
        FUZZ_CHECK(cell.length >= 1 && cell.start + cell.length <= line.size(),
                   "bytes " + std::to_string(cell.start) + "+" + std::to_string(cell.length));
      }
    }
    const TLineFlow::TPlace place = flow.Next();
    FUZZ_CHECK(place.page >= previousPage, "page " + std::to_string(place.page));
    // After the first page every line starts inside the page.
    if (place.page > 1) FUZZ_CHECK(place.y >= 0, "y " + std::to_string(place.y));
    previousPage = place.page;
  }
  FUZZ_CHECK(flow.Pages() == previousPage, "pages");
  return 0;
}
