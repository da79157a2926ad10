#pragma once
// Printing a report line whose table is ruled with characters: where each character goes
// in a grid of equal cells and which characters become lines, and how the lines of a
// report file flow down a page and on to the next ones. Plain arithmetic on the text, so
// the printer only draws what this decides.

#include <cstddef>
#include <string>
#include <vector>

// The characters that become lines; '\0' never matches, so an item printed without
// rules sets them all to it.
struct TRuleChars {
  char vertical = '|';
  char horizontal = '_';
  char cross = '+';
};

// One drawing step of a ruled line, in the cell `column` (counted from 0).
struct TRuledCell {
  enum TKind { Text, VerticalRule, HorizontalRule };
  TKind kind = Text;
  int column = 0;
  // Text: the bytes of the character in the line (a whole UTF-8 sequence).
  std::size_t start = 0;
  std::size_t length = 0;
};

// Whether the line holds any rule character at all (else it prints as plain text).
bool HasRuleCharacter(const std::string &line, const TRuleChars &rules);

// The steps of one line (without its line end): a tab moves to the next multiple of
// `tabSize` (taken as at least 1), a cross beside a horizontal rule takes its cell and
// draws nothing (elsewhere it is a plain character, as in "1e+05"), every other character
// takes one cell, the one before a horizontal rule too. Replaces `cells`.
void LayoutRuledLine(const std::string &line, const TRuleChars &rules, int tabSize,
                     std::vector<TRuledCell> &cells);

// Lines of one height flowing down pages of one height from a first line at `firstY`.
// A line that would cross the page's bottom starts the next page, at `firstY` again when
// a line fits there, else at the top; every line is placed, none is dropped.
class TLineFlow {
 public:
  TLineFlow(int firstY, int lineHeight, int pageHeight);
  struct TPlace {
    int page;  // from 1
    int y;
  };
  TPlace Next();
  int Pages() const { return page_; }

 private:
  int lineHeight_;
  int pageHeight_;
  int top_;
  int page_ = 1;
  int y_;
};
