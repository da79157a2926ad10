#include "foundation/reports/ruled_line.h"

#include <gtest/gtest.h>

namespace {

TEST(RuledLine, RulesTakeTheirCellsAndEveryOtherCharacterPrints) {
  std::vector<TRuledCell> cells;
  LayoutRuledLine("a|b", TRuleChars{}, 8, cells);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0].kind, TRuledCell::Text);
  EXPECT_EQ(cells[0].column, 0);
  EXPECT_EQ(cells[1].kind, TRuledCell::VerticalRule);
  EXPECT_EQ(cells[1].column, 1);
  EXPECT_EQ(cells[2].kind, TRuledCell::Text);
  EXPECT_EQ(cells[2].column, 2);
  EXPECT_EQ(cells[2].start, 2u);

  // The character before a horizontal rule prints; a cross takes its cell, draws nothing.
  TRuleChars equals;
  equals.horizontal = '=';
  LayoutRuledLine("x=+=", equals, 8, cells);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0].kind, TRuledCell::Text);
  EXPECT_EQ(cells[1].kind, TRuledCell::HorizontalRule);
  EXPECT_EQ(cells[2].kind, TRuledCell::HorizontalRule);
  EXPECT_EQ(cells[2].column, 3);
  // A cross with no horizontal rule beside it is a character of a cell: the exponent's
  // sign of a number prints.
  LayoutRuledLine("|1e+05|", equals, 8, cells);
  ASSERT_EQ(cells.size(), 7u);
  EXPECT_EQ(cells[3].kind, TRuledCell::Text);
  EXPECT_EQ(cells[3].start, 3u);
  EXPECT_EQ(cells[3].column, 3);
  EXPECT_FALSE(HasRuleCharacter("1e+05", equals));
  EXPECT_TRUE(HasRuleCharacter("+=", equals));
}

TEST(RuledLine, TabsGoToMultiplesOfTheTabSizeAndLettersKeepTheirBytes) {
  std::vector<TRuledCell> cells;
  LayoutRuledLine("\t|ab\t|", TRuleChars{}, 8, cells);
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(cells[0].column, 8);
  EXPECT_EQ(cells[1].column, 9);
  EXPECT_EQ(cells[3].column, 16);
  // "µm": a two-byte letter takes one cell.
  LayoutRuledLine("\xC2\xB5m|", TRuleChars{}, 0, cells);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0].length, 2u);
  EXPECT_EQ(cells[1].start, 2u);
  EXPECT_EQ(cells[1].column, 1);
  EXPECT_EQ(cells[2].column, 2);
  // A sequence cut off by the line's end stays inside the line.
  LayoutRuledLine("a\xE2", TRuleChars{}, 8, cells);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[1].start + cells[1].length, 2u);
  // Rules off: none of the characters is a rule.
  const TRuleChars none{'\0', '\0', '\0'};
  EXPECT_FALSE(HasRuleCharacter("a|b_c+", none));
  EXPECT_TRUE(HasRuleCharacter("a|b", TRuleChars{}));
}

TEST(LineFlow, LinesGoOnToFurtherPagesFromTheFirstLinesHeight) {
  // Pages of 100, lines of 30 from 20: lines at 20 and 50 fit; one at 80 would end at 110,
  // so the next page starts again at 20.
  TLineFlow flow(20, 30, 100);
  const int expectedY[] = {20, 50, 20, 50, 20};
  const int expectedPage[] = {1, 1, 2, 2, 3};
  for (int k = 0; k < 5; ++k) {
    const TLineFlow::TPlace place = flow.Next();
    EXPECT_EQ(place.page, expectedPage[k]) << k;
    EXPECT_EQ(place.y, expectedY[k]) << k;
  }
  EXPECT_EQ(flow.Pages(), 3);
  // A first line that would cross the bottom goes whole to the next page, at its top.
  TLineFlow low(95, 30, 100);
  const TLineFlow::TPlace first = low.Next();
  EXPECT_EQ(first.page, 2);
  EXPECT_EQ(first.y, 0);
  EXPECT_EQ(low.Next().y, 30);
  // A line taller than the page: one line a page, none lost.
  TLineFlow tall(0, 150, 100);
  EXPECT_EQ(tall.Next().page, 1);
  EXPECT_EQ(tall.Next().page, 2);
  EXPECT_EQ(tall.Pages(), 2);
}

}  // namespace
