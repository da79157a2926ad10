#pragma once
// Fitting a text report into a page so many character cells wide, so that no column is cut
// at the page's edge. A ruled table wider than the page is cut at its column borders into
// blocks printed one under another, each block repeating the table's first (key) column; a
// plain line wider than the page wraps at its blanks (a word wider than the page at the
// page's edge). Lines that fit are kept as they are, so a report that fits prints as it did.

#include <string>
#include <vector>

#include "foundation/reports/ruled_line.h"

// The lines (without line ends) as they are to be printed, none wider than `columns` cells
// (at least 1): tabs expand to the next multiple of `tabSize`, a UTF-8 character takes one
// cell. A run of lines holding rule characters is one table; blocks of it are parted by an
// empty line.
std::vector<std::string> FitLinesToColumns(const std::vector<std::string> &lines, int columns,
                                           const TRuleChars &rules, int tabSize);
