// Reads a fuzzed report file the way the report printer does: line by line, each line laid
// out in cells with its rule characters, and the lines flowed down pages. The first bytes
// choose the rule characters, the tab size, the line and page heights and the first
// line's place and the page's width in cells. Expectations: every text step names bytes
// inside its line, columns never go back, every line is placed on a page inside the page's
// height, and the report fitted to the page's width holds no line wider than the page and
// loses no printed character.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/reports/page_columns.h"
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
  const int columns = input.ConsumeIntegralInRange<int>(-2, 300);
  const std::string path = WriteFuzzFile("report.txt", input.ConsumeRemainingBytesAsString());

  std::ifstream file(path, std::ios::binary);
  TLineFlow flow(firstY, lineHeight, pageHeight);
  std::vector<TRuledCell> cells;
  std::string line;
  int previousPage = 1;
  std::vector<std::string> lines;
  while (std::getline(file, line)) {
    lines.push_back(line);
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

  const auto inked = [](const std::vector<std::string> &text) {
    std::size_t count = 0;
    for (const std::string &l : text)
      for (char c : l) count += c != ' ' && c != '\t' ? 1 : 0;
    return count;
  };
  const std::vector<std::string> fitted = FitLinesToColumns(lines, columns, rules, tabSize);
  FUZZ_CHECK(inked(fitted) >= inked(lines), "characters lost fitting to " + std::to_string(columns));
  for (const std::string &l : fitted) {
    LayoutRuledLine(l, rules, tabSize, cells);
    FUZZ_CHECK(cells.empty() || cells.back().column < std::max(1, columns), "wider than the page: " + l);
  }
  return 0;
}
