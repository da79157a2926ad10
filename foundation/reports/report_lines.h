#pragma once
// Lines of the program's fixed-width text reports (aberrations, energy concentration, MTF
// sections, the system report): a ruled line of one first column and equal value columns,
// texts centred into the fields of such a line, and the ascending sort the tables use.
// Plain text, no window code, so the analyses write their reports headless.

#include <string>

#include "foundation/containers/mem.h"

// border, firstWidth x fill, border, then columns x (columnWidth x fill, border), "\n":
// MakeTableRule(3, 2, 2, '-', '+') is "+---+--+--+\n". Negative widths or counts count as 0.
std::string MakeTableRule(int firstWidth, int columnWidth, int columns, char fill, char border);

// Writes text into line over the characters already there: at column start when end <= 0,
// otherwise centred in start..end, from column trunc((start + end) / 2 + 0.5 - n / 2 + 1)
// for a text of n characters. Nothing is written outside the line, and a start that would
// fall before column 0 is taken as 0.
void NumberToFixedText(std::string &line, const std::string &text, int start, int end);

// Sorts every cell of the list ascending in storage order; NaN cells stay where they are.
void SortDoublesAscending(Mem<double> &list);
