#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/containers/string_class.h"
#include "foundation/containers/tests/mem_test_support.h"
#include "platform/core/recording_providers.h"

namespace {

using Ints = std::vector<int>;
using Strings = std::vector<STRING>;

// The 3 x 2 array 1 2 3 / 4 5 6.
Mem<int> ThreeByTwo() {
  Mem<int> m(3, 2);
  FillCounting(m);
  return m;
}

// The one-row list a, b, c.
Mem<STRING> Abc() {
  Mem<STRING> m(3);
  m.data[0] = "a";
  m.data[1] = "b";
  m.data[2] = "c";
  return m;
}

// The 2 x 2 array a b / c d.
Mem<STRING> Abcd() {
  Mem<STRING> m(2, 2);
  m.data[0] = "a";
  m.data[1] = "b";
  m.data[2] = "c";
  m.data[3] = "d";
  return m;
}

TEST(MemColumns, DeletePastTheEndRemovesLastColumn) {
  Mem<int> m = ThreeByTwo();
  EXPECT_EQ(m.DeleteColumn(7), 2);
  EXPECT_EQ(m.cols, 2);
  EXPECT_EQ(m.rows, 2);
  EXPECT_EQ(CellsOf(m), (Ints{1, 2, 4, 5}));
}

TEST(MemColumns, DeleteFirstShiftsBothRows) {
  Mem<int> m = ThreeByTwo();
  EXPECT_EQ(m.DeleteColumn(0), 2);
  EXPECT_EQ(CellsOf(m), (Ints{2, 3, 5, 6}));
}

TEST(MemColumns, DeleteMiddleColumn) {
  Mem<int> m = ThreeByTwo();
  EXPECT_EQ(m.DeleteColumn(1), 2);
  EXPECT_EQ(CellsOf(m), (Ints{1, 3, 4, 6}));
}

TEST(MemColumns, InsertPastTheEndAppends) {
  Mem<int> m = ThreeByTwo();
  EXPECT_EQ(m.InsertColumn(5, 9), 4);
  EXPECT_EQ(m.cols, 4);
  EXPECT_EQ(CellsOf(m), (Ints{1, 2, 3, 9, 4, 5, 6, 9}));
}

TEST(MemColumns, InsertInFrontFillsEveryRow) {
  Mem<STRING> m = Abcd();
  EXPECT_EQ(m.InsertColumn(0, "v"), 3);
  EXPECT_EQ(CellsOf(m), (Strings{"v", "a", "b", "v", "c", "d"}));
}

TEST(MemColumns, DeletingOnlyColumnEmpties) {
  Mem<int> m(1, 3);
  EXPECT_EQ(m.DeleteColumn(0), 0);
  EXPECT_EQ(m.data, nullptr);
  EXPECT_EQ(m.cols + m.rows, 0);
}

TEST(MemColumns, AppendToEmptyStaysEmpty) {
  Mem<int> m;
  EXPECT_EQ(m.AppendColumn(4), 1);
  EXPECT_EQ(m.InsertColumn(0, 4), 1);
  EXPECT_EQ(m.data, nullptr);
}

TEST(MemRows, InsertInMiddle) {
  Mem<STRING> m = Abcd();
  EXPECT_EQ(m.InsertRow(1, "v"), 3);
  EXPECT_EQ(m.rows, 3);
  EXPECT_EQ(CellsOf(m), (Strings{"a", "b", "v", "v", "c", "d"}));
}

TEST(MemRows, InsertPastTheEndAndAppendAddLastRow) {
  Mem<int> m = ThreeByTwo();
  EXPECT_EQ(m.InsertRow(2, 7), 3);
  EXPECT_EQ(m.AppendRow(8), 4);
  EXPECT_EQ(CellsOf(m), (Ints{1, 2, 3, 4, 5, 6, 7, 7, 7, 8, 8, 8}));
}

TEST(MemRows, DeleteFirstRow) {
  Mem<STRING> m = Abcd();
  EXPECT_EQ(m.DeleteRow(0), 1);
  EXPECT_EQ(m.cols, 2);
  EXPECT_EQ(m.rows, 1);
  EXPECT_EQ(CellsOf(m), (Strings{"c", "d"}));
}

TEST(MemRows, DeletePastTheEndRemovesLastRow) {
  Mem<int> m = ThreeByTwo();
  EXPECT_EQ(m.DeleteRow(3), 1);
  EXPECT_EQ(CellsOf(m), (Ints{1, 2, 3}));
}

TEST(MemRows, AppendToEmptyStaysEmpty) {
  Mem<STRING> m;
  EXPECT_EQ(m.AppendRow("x"), 1);
  EXPECT_EQ(m.InsertRow(0, "x"), 1);
  EXPECT_EQ(m.data, nullptr);
}

TEST(MemCells, InsertAtFrontMovesTail) {
  Mem<STRING> m = Abc();
  EXPECT_EQ(m.Insert(0, "v"), 4);
  EXPECT_EQ(CellsOf(m), (Strings{"v", "a", "b", "c"}));
}

TEST(MemCells, InsertAtOrPastEndAppends) {
  Mem<STRING> atEnd = Abc();
  Mem<STRING> pastEnd = Abc();
  EXPECT_EQ(atEnd.Insert(3, "v"), 4);
  EXPECT_EQ(pastEnd.Insert(9, "v"), 4);
  EXPECT_EQ(CellsOf(atEnd), (Strings{"a", "b", "c", "v"}));
  EXPECT_EQ(CellsOf(pastEnd), (Strings{"a", "b", "c", "v"}));
}

TEST(MemCells, DeleteInsideAndPastEnd) {
  Mem<STRING> inside = Abc();
  Mem<STRING> pastEnd = Abc();
  EXPECT_EQ(inside.Delete(1), 2);
  EXPECT_EQ(pastEnd.Delete(5), 2);
  EXPECT_EQ(CellsOf(inside), (Strings{"a", "c"}));
  EXPECT_EQ(CellsOf(pastEnd), (Strings{"a", "b"}));
}

TEST(MemCells, ValueMayBeACellOfTheSameList) {
  Mem<STRING> m = Abc();
  EXPECT_EQ(m.Insert(0, m.data[2]), 4);
  EXPECT_EQ(CellsOf(m), (Strings{"c", "a", "b", "c"}));
  m.Append(m.data[0]);
  EXPECT_EQ(m.data[4], "c");
}

TEST(MemCells, EmptyListGrowsToOneCell) {
  Mem<STRING> appended;
  Mem<STRING> inserted;
  EXPECT_EQ(appended.Append("v"), 1);
  EXPECT_EQ(inserted.Insert(0, "v"), 1);
  EXPECT_EQ(appended.cols * 10 + appended.rows, 11);
  EXPECT_EQ(inserted.cols * 10 + inserted.rows, 11);
  EXPECT_EQ(appended.data[0], "v");
  EXPECT_EQ(inserted.data[0], "v");
}

TEST(MemCells, DeleteOnlyCellEmpties) {
  Mem<int> m(1);
  EXPECT_EQ(m.Delete(0), 0);
  EXPECT_EQ(m.data, nullptr);
}

TEST(MemCells, BuildListByAppending) {
  Mem<int> m;
  for (int k = 0; k < 50; ++k) EXPECT_EQ(m.Append(k * k), k + 1);
  ASSERT_EQ(m.cols, 50);
  EXPECT_EQ(m.rows, 1);
  for (int k = 0; k < 50; ++k) EXPECT_EQ(m.data[k], k * k);
}

// The cell operations flatten a grid to one row in storage order and lose no cell.
TEST(MemCells, AppendToGridKeepsEveryCell) {
  Mem<STRING> m = Abcd();
  EXPECT_EQ(m.Append("v"), 5);
  EXPECT_EQ(m.rows, 1);
  EXPECT_EQ(CellsOf(m), (Strings{"a", "b", "c", "d", "v"}));
}

TEST(MemCells, InsertIntoGridKeepsEveryCell) {
  Mem<int> m = ThreeByTwo();
  EXPECT_EQ(m.Insert(4, 0), 7);
  EXPECT_EQ(CellsOf(m), (Ints{1, 2, 3, 4, 0, 5, 6}));
}

TEST(MemCells, DeleteFromGridKeepsEveryOtherCell) {
  Mem<int> m = ThreeByTwo();
  EXPECT_EQ(m.Delete(1), 5);
  EXPECT_EQ(m.cols, 5);
  EXPECT_EQ(m.rows, 1);
  EXPECT_EQ(CellsOf(m), (Ints{1, 3, 4, 5, 6}));
}

TEST(MemEditing, EmptyArrayHasNothingToDelete) {
  Mem<int> m;
  EXPECT_EQ(m.Delete(0), -1);
  EXPECT_EQ(m.DeleteColumn(0), -1);
  EXPECT_EQ(m.DeleteRow(0), -1);
  EXPECT_EQ(m.data, nullptr);
}

TEST(MemEditing, NegativeIndexChangesNothing) {
  Mem<int> m = ThreeByTwo();
  EXPECT_EQ(m.Delete(-1), Mem<int>::kEditFailed);
  EXPECT_EQ(m.DeleteColumn(-2), Mem<int>::kEditFailed);
  EXPECT_EQ(m.DeleteRow(-3), Mem<int>::kEditFailed);
  EXPECT_EQ(m.Insert(-1, 0), Mem<int>::kEditFailed);
  EXPECT_EQ(m.InsertColumn(-1, 0), Mem<int>::kEditFailed);
  EXPECT_EQ(m.InsertRow(-1, 0), Mem<int>::kEditFailed);
  EXPECT_EQ(m.cols, 3);
  EXPECT_EQ(m.rows, 2);
  EXPECT_EQ(CellsOf(m), (Ints{1, 2, 3, 4, 5, 6}));
}

// When the new block cannot be had, every edit reports failure and keeps the array.
TEST(MemEditing, FailedEditsReportAndKeepContent) {
  TRecordingMessageBoxProvider boxes;
  Mem<STRING> list = Abc();
  Mem<int> grid = ThreeByTwo();
  TMemAllocationFaults noMemory(0);
  EXPECT_EQ(list.Delete(0), Mem<STRING>::kEditFailed);
  EXPECT_EQ(list.Insert(1, "v"), Mem<STRING>::kEditFailed);
  EXPECT_EQ(list.Append("v"), Mem<STRING>::kEditFailed);
  EXPECT_EQ(CellsOf(list), (Strings{"a", "b", "c"}));
  EXPECT_EQ(grid.DeleteColumn(0), Mem<int>::kEditFailed);
  EXPECT_EQ(grid.DeleteRow(0), Mem<int>::kEditFailed);
  EXPECT_EQ(grid.InsertColumn(1, 0), Mem<int>::kEditFailed);
  EXPECT_EQ(grid.AppendColumn(0), Mem<int>::kEditFailed);
  EXPECT_EQ(grid.InsertRow(0, 0), Mem<int>::kEditFailed);
  EXPECT_EQ(grid.AppendRow(0), Mem<int>::kEditFailed);
  EXPECT_EQ(grid.cols, 3);
  EXPECT_EQ(grid.rows, 2);
  EXPECT_EQ(CellsOf(grid), (Ints{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(boxes.boxes.empty()) << "edits show no message of their own";
}

TEST(MemEditing, EditsOfCountedCellsLeakNothing) {
  TCountedCell::ResetCounts();
  {
    Mem<TCountedCell> m(2, 2);
    m.InsertColumn(1, TCountedCell("col"));
    m.InsertRow(0, TCountedCell("row"));
    m.DeleteColumn(0);
    m.DeleteRow(2);
    m.Append(TCountedCell("end"));
    m.Insert(0, TCountedCell("front"));
    m.Delete(3);
    EXPECT_EQ(ValuesOf(m), (std::vector<std::string>{"front", "row", "row", "default", "end"}));
    {
      TMemAllocationFaults noMemory(0);
      m.Append(TCountedCell("lost"));
      m.Delete(0);
    }
    EXPECT_EQ(m.cols, 5);
    EXPECT_EQ(TCountedCell::Alive(), 5);
  }
  EXPECT_EQ(TCountedCell::Alive(), 0);
}

// The recent-files list puts each new name in front and drops the oldest.
TEST(MemEditing, RecentFilesListRotates) {
  Mem<STRING> recent;
  const char *opened[] = {"a.os", "b.os", "c.os", "d.os", "e.os", "f.os", "g.os"};
  for (const char *name : opened) {
    recent.Insert(0, name);
    if (recent.cols > 5) recent.Delete(recent.cols - 1);
  }
  EXPECT_EQ(CellsOf(recent), (Strings{"g.os", "f.os", "e.os", "d.os", "c.os"}));
}

}  // namespace
