#include "foundation/reports/report_lines.h"

#include <cmath>

std::string MakeTableRule(int firstWidth, int columnWidth, int columns, char fill, char border) {
  firstWidth = firstWidth < 0 ? 0 : firstWidth;
  columnWidth = columnWidth < 0 ? 0 : columnWidth;
  columns = columns < 0 ? 0 : columns;
  std::string line(1, border);
  line.append(static_cast<std::size_t>(firstWidth), fill);
  line.push_back(border);
  for (int c = 0; c < columns; ++c) {
    line.append(static_cast<std::size_t>(columnWidth), fill);
    line.push_back(border);
  }
  line.push_back('\n');
  return line;
}

void NumberToFixedText(std::string &line, const std::string &text, int start, int end) {
  long column = start;
  if (end > 0) {
    const double length = static_cast<double>(text.size());
    column = static_cast<long>(std::trunc((start + end) / 2.0 + 0.5 - length / 2.0 + 1.0));
  }
  if (column < 0) column = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const std::size_t at = static_cast<std::size_t>(column) + k;
    if (at >= line.size()) break;
    // The line's own end stays: a text never overwrites the line feed.
    if (line[at] == '\n') break;
    line[at] = text[k];
  }
}

void SortDoublesAscending(Mem<double> &list) {
  if (list.data == nullptr) return;
  const int count = list.cols * list.rows;
  double *a = list.data;
  for (int i = 0; i + 1 < count; ++i)
    for (int j = i + 1; j < count; ++j)
      if (a[i] > a[j]) std::swap(a[i], a[j]);
}
