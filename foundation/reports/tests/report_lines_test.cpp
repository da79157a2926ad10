#include "foundation/reports/report_lines.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ReportLines, RuleOfOneFirstAndEqualColumns) {
  EXPECT_EQ(MakeTableRule(3, 2, 2, '-', '+'), "+---+--+--+\n");
  EXPECT_EQ(MakeTableRule(9, 10, 0, ' ', '|'), "|         |\n");
  EXPECT_EQ(MakeTableRule(-1, 2, -3, '=', '+'), "++\n");
}

TEST(ReportLines, TextsAreCentredInTheirFields) {
  // A field 10..19 and a text of 4: from trunc(14.5 + 0.5 - 2 + 1) = 14.
  std::string line = MakeTableRule(9, 10, 2, ' ', '|');
  NumberToFixedText(line, "abcd", 10, 19);
  EXPECT_EQ(line.substr(14, 4), "abcd");
  EXPECT_EQ(line[10], '|');
  EXPECT_EQ(line[13], ' ');
  // end <= 0: at the start column.
  NumberToFixedText(line, "H", 1, 0);
  EXPECT_EQ(line[1], 'H');
  // A text longer than the line stops before the line feed.
  std::string shortLine = "|   |\n";
  NumberToFixedText(shortLine, "0123456789", 2, 0);
  EXPECT_EQ(shortLine, "| 012\n");
  // A centre before column 0 starts at 0.
  std::string wide = "          \n";
  NumberToFixedText(wide, "0123456789abcdef", 0, 1);
  EXPECT_EQ(wide, "0123456789\n");
}

TEST(ReportLines, AscendingSortLeavesNaNsInPlace) {
  Mem<double> list(3, 1);
  list.data[0] = 3.0;
  list.data[1] = 1.0;
  list.data[2] = 2.0;
  SortDoublesAscending(list);
  EXPECT_EQ(list.data[0], 1.0);
  EXPECT_EQ(list.data[1], 2.0);
  EXPECT_EQ(list.data[2], 3.0);
  Mem<double> grid(2, 2);
  grid.data[0] = 4.0;
  grid.data[1] = std::nan("");
  grid.data[2] = -1.0;
  grid.data[3] = 0.5;
  SortDoublesAscending(grid);
  EXPECT_EQ(grid.data[0], -1.0);
  EXPECT_TRUE(std::isnan(grid.data[1]));
  // The cells after the NaN are sorted among themselves.
  EXPECT_EQ(grid.data[2], 0.5);
  EXPECT_EQ(grid.data[3], 4.0);
}
