#include "foundation/reports/page_columns.h"

#include <algorithm>

namespace {

using TCells = std::vector<std::string>;

std::size_t CharacterLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// One string per character cell, tabs expanded to blanks.
TCells CellsOf(const std::string &line, int tabSize) {
  TCells cells;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t length = std::min(line.size() - i, CharacterLength(static_cast<unsigned char>(line[i])));
    if (line[i] == '\t') {
      const std::size_t next = (cells.size() / static_cast<std::size_t>(tabSize) + 1) * static_cast<std::size_t>(tabSize);
      cells.resize(next, " ");
    } else {
      cells.push_back(line.substr(i, length));
    }
    i += length;
  }
  return cells;
}

std::string Join(const TCells &cells, std::size_t from, std::size_t to) {
  std::string text;
  for (std::size_t c = from; c < to && c < cells.size(); ++c) text += cells[c];
  return text;
}

std::string TrimmedRight(std::string text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.resize(end == std::string::npos ? 0 : end + 1);
  return text;
}

bool Blank(const std::string &cell) { return cell == " "; }

// A plain line: leading blanks go when the rest is still too wide; then pieces of at most
// `columns` cells, each ending before a blank where there is one.
void Wrap(const TCells &line, std::size_t columns, std::vector<std::string> &out) {
  std::size_t from = 0;
  std::size_t end = line.size();
  while (end > 0 && Blank(line[end - 1])) --end;
  if (end > columns)
    while (from < end && Blank(line[from])) ++from;
  while (end - from > columns) {
    std::size_t cut = from + columns;
    std::size_t blank = cut;
    while (blank > from && !Blank(line[blank])) --blank;
    if (blank > from) cut = blank;
    out.push_back(TrimmedRight(Join(line, from, cut)));
    from = cut;
    while (from < end && Blank(line[from])) ++from;
  }
  out.push_back(Join(line, from, end));
}

bool IsBorder(const TCells &line, std::size_t c, const TRuleChars &rules) {
  if (c >= line.size() || line[c].size() != 1) return false;
  const char ch = line[c][0];
  return ch != '\0' && (ch == rules.vertical || ch == rules.cross);
}

// A ruled table cut at the columns where every line that reaches them has a border.
void Blocks(const std::vector<TCells> &table, std::size_t columns, const TRuleChars &rules,
            std::vector<std::string> &out) {
  std::size_t width = 0;
  for (const TCells &line : table) width = std::max(width, line.size());
  std::vector<std::size_t> seams;
  for (std::size_t c = 0; c < width; ++c) {
    bool any = false;
    bool all = true;
    for (const TCells &line : table) {
      if (c >= line.size()) continue;
      if (IsBorder(line, c, rules)) any = true; else all = false;
    }
    if (any && all) seams.push_back(c);
  }
  // The key column (the first, up to its border) heads every later block when it is narrow.
  std::size_t key = 0;
  for (std::size_t seam : seams)
    if (seam > 0) {
      if (seam + 1 <= columns / 3) key = seam + 1;
      break;
    }
  for (std::size_t start = 0; start < width;) {
    const std::size_t prefix = start > 0 ? key : 0;
    const std::size_t room = columns - prefix;
    std::size_t last = width - 1;
    if (width - start > room) {
      last = start + room - 1;  // no border in reach: cut at the page's edge
      for (auto seam = seams.rbegin(); seam != seams.rend(); ++seam)
        if (*seam > start && *seam <= start + room - 1) {
          last = *seam;
          break;
        }
    }
    if (start > 0) out.emplace_back();
    // A later block holds the lines that reach into it.
    for (const TCells &line : table)
      if (start == 0 || line.size() > start)
        out.push_back(TrimmedRight(Join(line, 0, prefix) + Join(line, start, last + 1)));
    start = last + 1;
  }
}

}  // namespace

std::vector<std::string> FitLinesToColumns(const std::vector<std::string> &lines, int columns,
                                           const TRuleChars &rules, int tabSize) {
  const std::size_t width = static_cast<std::size_t>(std::max(1, columns));
  const int tab = std::max(1, tabSize);
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size();) {
    if (!HasRuleCharacter(lines[i], rules)) {
      const TCells cells = CellsOf(lines[i], tab);
      if (cells.size() <= width) out.push_back(lines[i]); else Wrap(cells, width, out);
      ++i;
      continue;
    }
    std::size_t end = i;
    std::vector<TCells> table;
    std::size_t widest = 0;
    for (; end < lines.size() && HasRuleCharacter(lines[end], rules); ++end) {
      table.push_back(CellsOf(lines[end], tab));
      widest = std::max(widest, table.back().size());
    }
    if (widest <= width) {
      out.insert(out.end(), lines.begin() + static_cast<std::ptrdiff_t>(i), lines.begin() + static_cast<std::ptrdiff_t>(end));
    } else {
      Blocks(table, width, rules, out);
    }
    i = end;
  }
  return out;
}
