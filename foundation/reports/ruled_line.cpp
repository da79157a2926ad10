#include "foundation/reports/ruled_line.h"

#include <algorithm>

namespace {

// The bytes of the UTF-8 character that starts with `lead`; a stray byte is one.
std::size_t CharacterLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// A cross joins horizontal rules: one with no horizontal rule beside it is a plain
// character, as the sign of "1e+05" in a table's cell is.
bool IsCross(const std::string &line, std::size_t i, const TRuleChars &rules) {
  if (line[i] == '\0' || line[i] != rules.cross || rules.horizontal == '\0') return false;
  return (i > 0 && line[i - 1] == rules.horizontal) ||
         (i + 1 < line.size() && line[i + 1] == rules.horizontal);
}

bool IsRule(const std::string &line, std::size_t i, const TRuleChars &rules) {
  const char c = line[i];
  return c != '\0' && (c == rules.vertical || c == rules.horizontal || IsCross(line, i, rules));
}

}  // namespace

bool HasRuleCharacter(const std::string &line, const TRuleChars &rules) {
  for (std::size_t i = 0; i < line.size(); ++i)
    if (IsRule(line, i, rules)) return true;
  return false;
}

void LayoutRuledLine(const std::string &line, const TRuleChars &rules, int tabSize,
                     std::vector<TRuledCell> &cells) {
  cells.clear();
  const int tab = std::max(1, tabSize);
  int column = 0;
  for (std::size_t i = 0; i < line.size();) {
    const char c = line[i];
    const std::size_t length = std::min(line.size() - i, CharacterLength(static_cast<unsigned char>(c)));
    if (c == '\t') {
      column = (column / tab + 1) * tab;
      i += length;
      continue;
    }
    TRuledCell cell;
    cell.column = column;
    if (c != '\0' && c == rules.vertical) {
      cell.kind = TRuledCell::VerticalRule;
      cells.push_back(cell);
    } else if (c != '\0' && c == rules.horizontal) {
      cell.kind = TRuledCell::HorizontalRule;
      cells.push_back(cell);
    } else if (!IsCross(line, i, rules)) {
      cell.kind = TRuledCell::Text;
      cell.start = i;
      cell.length = length;
      cells.push_back(cell);
    }
    ++column;
    i += length;
  }
}

namespace {

// Far beyond any page in dots, and far enough from the int limits that a position plus a
// line height never overflows.
constexpr int kLengthLimit = 1 << 28;

}  // namespace

TLineFlow::TLineFlow(int firstY, int lineHeight, int pageHeight)
    : lineHeight_(std::clamp(lineHeight, 1, kLengthLimit)),
      pageHeight_(std::clamp(pageHeight, 0, kLengthLimit)),
      top_(0),
      y_(std::clamp(firstY, -kLengthLimit, kLengthLimit)) {
  if (y_ >= 0 && y_ + lineHeight_ <= pageHeight_) top_ = y_;
}

TLineFlow::TPlace TLineFlow::Next() {
  // A line taller than the page still goes alone on a page of its own.
  if (y_ + lineHeight_ > pageHeight_ && y_ > top_) {
    ++page_;
    y_ = top_;
  }
  const TPlace place{page_, y_};
  y_ += lineHeight_;
  return place;
}
