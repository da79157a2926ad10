// The keyed string table of the grids and headers: row-major order, flags, structure
// changes with their index checks, copies without flags, search; and the row buffer.

#include "toolkit/tables/table2.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/core/recording_providers.h"
#include "toolkit/tables/string_buffer.h"

namespace {

// A table whose cell (c, r) holds "c,r".
TStringTable Labelled(int columns, int rows) {
  TStringTable table(columns, rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) table.GetItem(c, r).text = std::to_string(c) + "," + std::to_string(r);
  return table;
}

TEST(StringTable, CellsAreStoredRowAfterRowAndColumnsDeleteInPlace) {
  TStringTable table = Labelled(3, 2);
  EXPECT_EQ(&table.GetItem(2, 1), &table.GetItem(5));
  ASSERT_EQ(table.DeleteColumn(1), 1);
  ASSERT_EQ(table.Count(), 4);
  EXPECT_EQ(table.GetItem(0).text, "0,0");
  EXPECT_EQ(table.GetItem(1).text, "2,0");
  EXPECT_EQ(table.GetItem(2).text, "0,1");
  EXPECT_EQ(table.GetItem(3).text, "2,1");
  EXPECT_EQ(table.DeleteColumn(2), 0);
  EXPECT_EQ(table.DeleteRow(-1), 0);
  EXPECT_EQ(table.InsertRow(2), 0);
  EXPECT_EQ(table.Count(), 4);
}

TEST(StringTable, InsertedAndAppendedCellsAreEmptyAndKeepTheOrder) {
  TStringTable table = Labelled(2, 2);
  ASSERT_EQ(table.AppendColumn(), 1);
  ASSERT_EQ(table.InsertColumn(0), 1);
  ASSERT_EQ(table.Columns(), 4);
  EXPECT_EQ(table.GetItem(0, 1).text, "");
  EXPECT_EQ(table.GetItem(1, 1).text, "0,1");
  EXPECT_EQ(table.GetItem(2, 1).text, "1,1");
  EXPECT_EQ(table.GetItem(3, 1).text, "");
  ASSERT_EQ(table.InsertRow(1), 1);
  ASSERT_EQ(table.AppendRow(), 1);
  EXPECT_EQ(table.Rows(), 4);
  EXPECT_EQ(table.Count(), 16);
  EXPECT_EQ(table.GetItem(1, 1).text, "");
  EXPECT_EQ(table.GetItem(1, 2).text, "0,1");
  EXPECT_EQ(table.GetItem(2, 3).text, "");
}

TEST(StringTable, InsertedCopyTakesTheMovedSourceRowWithItsFlags) {
  TStringTable table = Labelled(2, 5);
  table.SetFlags(1, 3, kCellReadOnly | kCellMarked);
  ASSERT_EQ(table.InsertRowCopy(1, 3), 1);
  EXPECT_EQ(table.GetItem(0, 1).text, "0,3");
  EXPECT_EQ(table.GetItem(1, 1).text, "1,3");
  EXPECT_EQ(table.GetFlags(1, 1), kCellReadOnly | kCellMarked);
  EXPECT_EQ(table.GetItem(0, 4).text, "0,3");
  EXPECT_EQ(table.GetItem(0, 2).text, "0,1");
  // A copy of the row being pushed down is the old row, not the new empty one.
  ASSERT_EQ(table.InsertRowCopy(2, 2), 1);
  EXPECT_EQ(table.GetItem(0, 2).text, "0,1");
  ASSERT_EQ(table.AppendRowCopy(0), 1);
  EXPECT_EQ(table.GetItem(1, table.Rows() - 1).text, "1,0");
  EXPECT_EQ(table.InsertRowCopy(0, 99), 0);
}

TEST(StringTable, FlagsAreSetClearedAndNotCopied) {
  TStringTable table = Labelled(2, 2);
  table.SetFlags(0, 1, kCellReadOnly);
  table.SetFlags(0, 1, kCellEdited);
  EXPECT_EQ(table.TestFlags(0, 1, kCellReadOnly), kCellReadOnly);
  table.ClearFlags(0, 1, kCellReadOnly);
  EXPECT_EQ(table.GetFlags(0, 1), kCellEdited);
  table.SetFlags(1, 1, kCellReadOnly);
  const TStringTable copy(table);
  EXPECT_EQ(copy.GetItem(1, 1).text, "1,1");
  EXPECT_EQ(copy.GetFlags(1, 1), 0);
  TStringTable assigned(1, 1);
  assigned = table;
  EXPECT_EQ(assigned.Columns(), 2);
  EXPECT_EQ(assigned.GetFlags(0, 1), 0);
  const TStringTable &itself = assigned;
  assigned = itself;  // assignment to itself
  EXPECT_EQ(assigned.GetItem(1, 0).text, "1,0");
}

TEST(StringTable, FindReturnsTheLowerIndexOrMinusOne) {
  TStringTable table(2, 2);
  table.GetItem(1, 0).text = "N";
  table.GetItem(1, 1).text = "N";
  EXPECT_EQ(table.Find("N"), 1);
  EXPECT_EQ(table.Find("missing"), -1);
  EXPECT_EQ(table.Contains("N"), 1);
  int visited = 0;
  table.ForEach([](TStringTable::Item &, void *count) { ++*static_cast<int *>(count); }, &visited);
  EXPECT_EQ(visited, 4);
  const auto isN = [](const TStringTable::Item &item, void *) { return item.text == "N"; };
  EXPECT_EQ(table.FirstThat(isN, nullptr), &table.GetItem(1, 0));
  EXPECT_EQ(table.LastThat(isN, nullptr), &table.GetItem(1, 1));
  table.Flush();
  EXPECT_TRUE(table.IsEmpty());
}

TEST(StringBuffer, ResizeGivesEmptyTextsAndAFailureLeavesItEmpty) {
  TStringBuffer buffer;
  EXPECT_TRUE(buffer.IsEmpty());
  buffer.Resize(3);
  ASSERT_EQ(buffer.Count(), 3);
  EXPECT_EQ(buffer.texts.data[2], "");
  buffer.texts.data[0] = "kept?";
  buffer.Resize(2);
  EXPECT_EQ(buffer.texts.data[0], "");
  TRecordingMessageBoxProvider boxes;
  {
    TMemAllocationFaults faults(0);
    buffer.Resize(4);
  }
  EXPECT_TRUE(buffer.IsEmpty());
  ASSERT_EQ(boxes.boxes.size(), 1U);
  EXPECT_EQ(boxes.boxes[0].text, "Not enough memory");
  EXPECT_EQ(boxes.boxes[0].caption, " Memory ");
}

}  // namespace
