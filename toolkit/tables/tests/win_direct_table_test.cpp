// Tables bound to arrays: values of every type through their cells and back, the layout
// fitted to the formats, the row commands and what they do to the bound arrays, the cell
// map and the highlight list, and the in-cell editor's keys, refusals and cancelling.

#include "toolkit/tables/win_direct_table.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "foundation/containers/string_class.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr int kPlaceholder = 500;

const TDialogTemplate kTableTestDlg{"TableTestDlg", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 300, 160, "Table",
                                    {
                                        {"STATIC", "", kPlaceholder, SS_LEFT, 8, 8, 284, 140},
                                    }};
const TDialogRegistration kTableTestRegistration(kTableTestDlg);

struct TArrays {
  int numbers[5] = {1, 2, 3, 4, 5};
  double radius[5] = {10.5, 20.5, 30.5, 40.5, 50.5};
  int glass[5] = {100, 200, 300, 400, 500};
};

// A click of the editor's text widget near its left edge, as the mouse gives it.
void ClickText(TCellEdit &editor, QEvent::Type type) {
  QWidget *text = editor.NativeWidget();
  ASSERT_NE(text, nullptr);
  const QPointF at(1.0, 3.0);
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(Qt::LeftButton);
  QCoreApplication::postEvent(text, new QMouseEvent(type, at, text->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier));
}

class WinDirectTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    dialog = std::make_unique<TDialog>(nullptr, "TableTestDlg");
    ASSERT_TRUE(dialog->Create());
  }
  void TearDown() override { dialog.reset(); }
  // A type-256 table of `columns` columns and 5 rows over the placeholder.
  TWinDirectTable &MakeTable(int columns, int type = kTableOfColumns) {
    table = new TWinDirectTable(dialog.get(), kPlaceholder, columns, 5, type, new TFont("Arial", -11));
    EXPECT_TRUE(table->Create());
    return *table;
  }
  // Row captions from `numbers`, then radius and glass columns.
  TWinDirectTable &MakeBoundTable() {
    MakeTable(2);
    table->BindCell(-1, nullptr, arrays.numbers, 5, kCellInt, "%4d");
    table->BindCell(0, "Radius", arrays.radius, 5, kCellDouble, "%8g");
    table->BindCell(1, "Glass", arrays.glass, 5, kCellInt, "%6d");
    table->FitLayout(0, 0);
    table->ValuesToCells();
    return *table;
  }
  std::string Cell(int column, int row) { return table->Grid()->Cells().GetItem(column, row).text; }
  void SetCell(int column, int row, const char *text) { table->Grid()->Cells().GetItem(column, row).text = text; }

  std::unique_ptr<TDialog> dialog;
  TWinDirectTable *table = nullptr;  // the dialog's child
  TArrays arrays;
  TRecordingMessageBoxProvider boxes;
};

TEST_F(WinDirectTableTest, ValuesReachTheCellsAndCaptionsAndComeBack) {
  MakeBoundTable();
  EXPECT_EQ(table->RowHeader()->Caption(2), "3");
  EXPECT_EQ(table->ColumnHeader()->Caption(0), "Radius");
  EXPECT_EQ(Cell(0, 0), "10.5");  // %8g's leading blanks stripped
  EXPECT_EQ(Cell(1, 4), "500");
  SetCell(0, 1, "7.25");
  SetCell(1, 3, "-2.9");
  ASSERT_EQ(table->CellsToValues(), 1);
  EXPECT_EQ(arrays.radius[1], 7.25);
  EXPECT_EQ(arrays.glass[3], -2);
  EXPECT_EQ(arrays.numbers[2], 3);  // captions are never read back
}

TEST_F(WinDirectTableTest, FitLayoutGivesTheHeaderAndColumnsTheirWidths) {
  MakeBoundTable();
  // 8 points at 96 pixels an inch: a font height of -11, so 11 + 10.
  EXPECT_EQ(table->HeaderHeight(), 21);
  EXPECT_EQ(table->Grid()->GetCellSize(0, 0).cy, 21);
  // Row header: 4 characters of 7 pixels (0.64 x 11 = 7.04).
  EXPECT_EQ(table->RowHeaderWidth(), 28);
  // The columns fill the client width; spare pixels are spread with the remainder last.
  const int client = static_cast<int>(table->GetClientRect().right);
  EXPECT_EQ(table->Binding(0).columnWidth + table->Binding(1).columnWidth + table->Binding(2).columnWidth, client);
  EXPECT_GE(table->Binding(2).columnWidth - 6 * 7, table->Binding(1).columnWidth - 8 * 7);
  EXPECT_EQ(table->Grid()->GetCellSize(0, 0).cx, table->Binding(1).columnWidth);
}

TEST_F(WinDirectTableTest, SpareWidthIsSpreadWithTheRemainderOnTheLastColumns) {
  MakeTable(3);
  double a[5] = {}, b[5] = {}, c[5] = {};
  int numbers[5] = {1, 2, 3, 4, 5};
  table->BindCell(-1, nullptr, numbers, 5, kCellInt, "%4d");
  table->BindCell(0, "A", a, 5, kCellDouble, "%8g");
  table->BindCell(1, "B", b, 5, kCellDouble, "%-8.3f");
  table->BindCell(2, "C", c, 5, kCellDouble, "%8g");
  // Columns of 8 characters of 7 pixels and a row header of 4: 3 x 56 + 28 = 196 pixels,
  // in a client area 10 pixels wider.
  const RECT window = table->GetWindowRect();
  const RECT client = table->GetClientRect();
  const int frame = static_cast<int>((window.right - window.left) - client.right);
  table->SetTableSize(196 + 10 + frame, 300);
  ASSERT_EQ(table->GetClientRect().right, 206);
  table->FitLayout(0, 0);
  EXPECT_EQ(table->RowHeaderWidth(), 28);
  EXPECT_EQ(table->Binding(1).columnWidth, 59);
  EXPECT_EQ(table->Binding(2).columnWidth, 59);
  EXPECT_EQ(table->Binding(3).columnWidth, 60);
  EXPECT_EQ(table->Grid()->GetCellSize(2, 0).cx, 60);
}

TEST_F(WinDirectTableTest, AWideCaptionWidensItsColumn) {
  MakeTable(1);
  double a[5] = {};
  table->BindCell(0, "Curvature radius", a, 5, kCellDouble, "%4g");
  const RECT window = table->GetWindowRect();
  const RECT client = table->GetClientRect();
  table->SetTableSize(static_cast<int>((window.right - window.left) - client.right) + 50, 300);
  table->FitLayout(0, 0);
  // 16 caption characters of 7 pixels beat 4 format characters; no spare to spread.
  EXPECT_EQ(table->Binding(0).columnWidth, 112);
}

TEST_F(WinDirectTableTest, EveryValueTypeRoundTripsThroughItsCells) {
  MakeTable(8);
  std::uint8_t bytes[5] = {0, 1, 2, 3, 250};
  std::int16_t words[5] = {0, -1, 2, -300, 32000};
  int ints[5] = {0, 1, -2, 3, 100000};
  LONG longs[5] = {0, 9, 8, 7, -70000};
  float floats[5] = {0.0F, 0.5F, 1.25F, 2.0F, -3.5F};
  double doubles[5] = {0.0, 1e-9, 2.5, 3.0, 1e300};
  char text0[8] = "BK7", text1[8] = "F2", text2[8] = "", text3[8] = "SF6", text4[8] = "N";
  char *buffers[5] = {text0, text1, text2, text3, text4};
  STRING strings[5] = {STRING("a"), STRING("b"), STRING("c"), STRING("d"), STRING("e")};
  table->BindCell(0, "b", bytes, 5, kCellUInt8, "%d");
  table->BindCell(1, "s", words, 5, kCellInt16, "%d");
  table->BindCell(2, "i", ints, 5, kCellInt, "%d");
  table->BindCell(3, "l", longs, 5, kCellLong, "%d");
  table->BindCell(4, "f", floats, 5, kCellFloat, "%g");
  table->BindCell(5, "d", doubles, 5, kCellDouble, "%.17g");
  table->BindCell(6, "c", buffers, 5, kCellCharBuffer, "%s", 0, sizeof text0);
  table->BindCell(7, "S", strings, 5, kCellString, "%s");
  table->FitLayout(0, 0);
  table->ValuesToCells();
  EXPECT_EQ(Cell(6, 3), "SF6");
  // Row 4's texts moved to row 0 and read back: each element takes its own type's value.
  for (int c = 0; c < 8; ++c) SetCell(c, 0, Cell(c, 4).c_str());
  ASSERT_EQ(table->CellsToValues(), 1);
  EXPECT_EQ(bytes[0], 250);
  EXPECT_EQ(words[0], 32000);
  EXPECT_EQ(ints[0], 100000);
  EXPECT_EQ(longs[0], -70000);
  EXPECT_EQ(floats[0], -3.5F);
  EXPECT_EQ(doubles[0], 1e300);
  EXPECT_STREQ(text0, "N");
  EXPECT_EQ(strings[0], "e");
  // Values an element cannot hold are refused; a long text is cut to its buffer.
  SetCell(0, 1, "256");
  SetCell(1, 1, "40000");
  SetCell(6, 1, "a glass name far too long");
  EXPECT_EQ(table->CellsToValues(), 0);
  EXPECT_EQ(bytes[1], 1);
  EXPECT_EQ(words[1], -1);
  EXPECT_STREQ(text1, "a glass");
  EXPECT_STREQ(text2, "");
}

TEST_F(WinDirectTableTest, ZerosCanBeShownEmptyAndReadBackAsZero) {
  MakeTable(1);
  double values[5] = {0.0, 1.5, 0.0, 2.0, 0.0};
  table->BindCell(0, "Weight", values, 5, kCellDouble, "%8g");
  table->SetShowZeros(0);
  table->FitLayout(0, 0);
  table->ValuesToCells();
  EXPECT_EQ(Cell(0, 0), "");
  EXPECT_EQ(Cell(0, 1), "1.5");
  values[0] = 9.0;
  table->CellsToValues();
  EXPECT_EQ(values[0], 0.0);
}

TEST_F(WinDirectTableTest, DeletingRowTwoOfFiveMovesTheLaterValuesUp) {
  MakeBoundTable();
  table->Grid()->SetCurrentCell(0, 2);
  table->DeleteRow();
  EXPECT_EQ(table->RowsInUse(), 4);
  table->CellsToValues();
  EXPECT_EQ(arrays.radius[0], 10.5);
  EXPECT_EQ(arrays.radius[1], 20.5);
  EXPECT_EQ(arrays.radius[2], 40.5);
  EXPECT_EQ(arrays.radius[3], 50.5);
  EXPECT_EQ(arrays.radius[4], 50.5);  // beyond the rows in use: as it was
  EXPECT_EQ(arrays.glass[2], 400);
}

TEST_F(WinDirectTableTest, InsertBeepsWhenTheArrayIsFullAndOtherwiseOpensAnEmptyRow) {
  MakeBoundTable();
  table->Grid()->SetCurrentCell(0, 1);
  table->InsertRow();
  EXPECT_FALSE(boxes.beeps.empty());
  EXPECT_EQ(table->RowsInUse(), 5);
  EXPECT_EQ(Cell(0, 1), "20.5");

  table->Grid()->SetCurrentCell(0, 4);
  table->DeleteRow();
  table->Grid()->SetCurrentCell(1, 1);
  table->InsertRow();
  EXPECT_EQ(table->RowsInUse(), 5);
  EXPECT_EQ(Cell(0, 1), "");
  table->CellsToValues();
  EXPECT_EQ(arrays.radius[0], 10.5);
  EXPECT_EQ(arrays.radius[1], 0.0);
  EXPECT_EQ(arrays.radius[2], 20.5);
  EXPECT_EQ(arrays.glass[4], 400);
}

TEST_F(WinDirectTableTest, DisabledCellsMoveWithInsertedRows) {
  MakeBoundTable();
  table->Grid()->SetCurrentCell(0, 4);
  table->DeleteRow();
  table->SetCellEnabled(arrays.radius, 2, 0);
  EXPECT_EQ(table->CellEnabled(0, 2), 0);
  table->Grid()->SetCurrentCell(0, 1);
  table->InsertRow();
  EXPECT_EQ(table->CellEnabled(0, 2), 1);
  EXPECT_EQ(table->CellEnabled(0, 3), 0);
  // The disabled cell keeps its value through the transfers.
  arrays.radius[3] = -1.0;
  SetCell(0, 3, "99");
  table->CellsToValues();
  EXPECT_EQ(arrays.radius[3], -1.0);
}

TEST_F(WinDirectTableTest, DisabledCellsMoveUpWhenARowAboveIsDeleted) {
  MakeBoundTable();
  table->SetCellEnabled(arrays.radius, 3, 0);
  ASSERT_EQ(table->CellEnabled(0, 3), 0);
  table->Grid()->SetCurrentCell(0, 1);
  table->DeleteRow();
  EXPECT_EQ(table->RowsInUse(), 4);
  // The disabled cell went up with its row; the row that took its place is enabled.
  EXPECT_EQ(table->CellEnabled(0, 2), 0);
  EXPECT_EQ(table->CellEnabled(0, 3), 1);
  EXPECT_EQ(table->CellEnabled(0, 1), 1);
  // Its value is kept through the transfers at its new place.
  arrays.radius[2] = -1.0;
  SetCell(0, 2, "99");
  table->CellsToValues();
  EXPECT_EQ(arrays.radius[2], -1.0);
}

TEST_F(WinDirectTableTest, CopyPasteAndCutMoveTextsAndHighlights) {
  MakeBoundTable();
  EXPECT_TRUE(table->RowBuffer().IsEmpty());
  table->HighlightRow(3);
  table->HighlightRow(1);
  table->Grid()->SetCurrentCell(0, 0);
  table->CopyRow();
  table->Grid()->SetCurrentCell(1, 3);
  table->PasteRow();
  EXPECT_EQ(Cell(0, 3), "10.5");
  EXPECT_EQ(Cell(1, 3), "100");
  EXPECT_EQ(arrays.radius[3], 40.5);  // texts only, until the values are read back

  table->Grid()->SetCurrentCell(0, 1);
  table->CutRow();
  EXPECT_EQ(table->RowBuffer().lastOperation, kCmCutRow);
  EXPECT_EQ(table->RowBuffer().row, 1);
  EXPECT_EQ(table->IsRowHighlighted(1), 0);
  EXPECT_EQ(table->IsRowHighlighted(2), 1);  // row 3 moved up
  EXPECT_EQ(table->IsRowHighlighted(-1), 1);  // the cut row's entry
  table->Grid()->SetCurrentCell(0, 0);
  table->PasteRow();
  EXPECT_EQ(Cell(0, 0), "20.5");
  EXPECT_EQ(Cell(1, 0), "200");
}

TEST_F(WinDirectTableTest, ACurrentColumnWithoutABindingRefusesNewRows) {
  MakeTable(6);
  double values[5] = {};
  table->BindCell(0, "Only", values, 5, kCellDouble, "%g");
  table->Grid()->SetCurrentCell(0, 4);
  table->DeleteRow();
  table->Grid()->SetCurrentCell(5, 0);
  const std::size_t beeps = boxes.beeps.size();
  table->AddRow();
  EXPECT_EQ(boxes.beeps.size(), beeps + 1);
  EXPECT_EQ(table->RowsInUse(), 4);
  table->Grid()->SetCurrentCell(0, 0);
  table->AddRow();
  EXPECT_EQ(table->RowsInUse(), 5);
}

TEST_F(WinDirectTableTest, AnUndefinedTableTypeIsReportedWithItsWarning) {
  MakeTable(2, 3);
  table->FitLayout(0, 0);
  ASSERT_EQ(boxes.boxes.size(), 1U);
  EXPECT_EQ(boxes.boxes[0].text, "Type of table must be defined!");
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
}

TEST_F(WinDirectTableTest, EditorKeysMoveBetweenCellsAndStopAtTheEdges) {
  MakeBoundTable();
  TCellEdit &editor = *table->Grid()->Editor();
  editor.SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == editor.GetHandle(); }, kWaitMs));
  test_kit::PostKey(editor, VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentRow() == 1; }, kWaitMs));
  test_kit::PostKeyWith(*table->Grid()->Editor(), VK_END, MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentRow() == 4; }, kWaitMs));
  EXPECT_EQ(table->Grid()->CurrentColumn(), 1);
  test_kit::PostKey(*table->Grid()->Editor(), VK_DOWN);
  test_kit::RunFor(50);
  EXPECT_EQ(table->Grid()->CurrentRow(), 4);
  test_kit::PostKeyWith(*table->Grid()->Editor(), VK_HOME, MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentRow() == 0; }, kWaitMs));
  EXPECT_EQ(table->Grid()->CurrentColumn(), 0);
  // Right in a selected cell goes on to the next column, which is selected whole.
  test_kit::PostKey(*table->Grid()->Editor(), VK_RIGHT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentColumn() == 1; }, kWaitMs));
  EXPECT_EQ(table->Grid()->Editor()->GetWindowText(), "100");
  int start = -1;
  int end = -1;
  table->Grid()->Editor()->GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 3);
  // Left in a selected cell goes back; edited in place (F2), Left moves the caret, and
  // only at the start of the text does it go on to the previous column.
  test_kit::PostKey(*table->Grid()->Editor(), VK_LEFT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentColumn() == 0; }, kWaitMs));
  test_kit::PostKey(*table->Grid()->Editor(), VK_F2);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->Editor()->EditingInPlace(); }, kWaitMs));
  test_kit::PostKey(*table->Grid()->Editor(), VK_LEFT);
  test_kit::RunFor(50);
  EXPECT_EQ(table->Grid()->CurrentColumn(), 0);
  table->Grid()->Editor()->GetSelection(start, end);
  EXPECT_EQ(start, 3);  // one back from the end of "10.5"
  table->Grid()->Editor()->SetSelection(0, 0);
  test_kit::PostKey(*table->Grid()->Editor(), VK_RIGHT);
  test_kit::RunFor(50);
  EXPECT_EQ(table->Grid()->CurrentColumn(), 0);
  table->Grid()->Editor()->SetSelection(4, 4);
  test_kit::PostKey(*table->Grid()->Editor(), VK_RIGHT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentColumn() == 1; }, kWaitMs));
  EXPECT_FALSE(table->Grid()->Editor()->EditingInPlace());
}

TEST_F(WinDirectTableTest, TypingReplacesASelectedCellAndF2OrADoubleClickEditsInPlace) {
  MakeBoundTable();
  TCellEdit &editor = *table->Grid()->Editor();
  editor.SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == editor.GetHandle(); }, kWaitMs));
  // Typed into the selected cell "10.5", 60 replaces it rather than going in before it.
  test_kit::PostText(editor, "60");
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText().size() >= 2; }, kWaitMs));
  test_kit::RunFor(20);
  EXPECT_EQ(editor.GetWindowText(), "60");
  test_kit::PostKey(*table->Grid()->Editor(), VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentRow() == 1; }, kWaitMs));
  EXPECT_EQ(Cell(0, 0), "60");
  // F2 edits "20.5" in place with the caret at its end.
  test_kit::PostKey(*table->Grid()->Editor(), VK_F2);
  test_kit::PostText(*table->Grid()->Editor(), "1");
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->Editor()->GetWindowText() == "20.51"; }, kWaitMs));
  // Home in a selected cell edits it from its start.
  test_kit::PostKey(*table->Grid()->Editor(), VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentRow() == 2; }, kWaitMs));
  EXPECT_EQ(Cell(0, 1), "20.51");
  test_kit::PostKey(*table->Grid()->Editor(), VK_HOME);
  test_kit::PostText(*table->Grid()->Editor(), "-");
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->Editor()->GetWindowText() == "-30.5"; }, kWaitMs));
  // A double click puts the caret where the cell is clicked: at the far left, before "400".
  table->Grid()->SetCurrentCell(1, 3);
  TCellEdit &glass = *table->Grid()->Editor();
  EXPECT_FALSE(glass.EditingInPlace());
  ClickText(glass, QEvent::MouseButtonDblClick);
  ASSERT_TRUE(test_kit::RunUntil([&] { return glass.EditingInPlace(); }, kWaitMs));
  int start = -1;
  int end = -1;
  glass.GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 0);
  test_kit::PostText(glass, "9");
  ASSERT_TRUE(test_kit::RunUntil([&] { return glass.GetWindowText() == "9400"; }, kWaitMs));
  // A single click on a selected cell keeps it selected whole.
  table->Grid()->SetCurrentCell(1, 4);
  TCellEdit &last = *table->Grid()->Editor();
  ClickText(last, QEvent::MouseButtonPress);
  ClickText(last, QEvent::MouseButtonRelease);
  test_kit::RunFor(50);
  last.GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 3);
  EXPECT_EQ(Cell(1, 3), "9400");
  // F2 in a read-only cell beeps and leaves it selected.
  table->Grid()->SetColumnReadOnly(1, true);
  table->Grid()->SetCurrentCell(1, 2);
  test_kit::PostKey(*table->Grid()->Editor(), VK_F2);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !boxes.beeps.empty(); }, kWaitMs));
  EXPECT_FALSE(table->Grid()->Editor()->EditingInPlace());
}

// How many pixels of two pictures of the editor may differ: the caret's column, which
// blinks on its own clock, one pixel wide and as tall as the editor.
int DifferingPixels(const QImage &a, const QImage &b) {
  if (a.size() != b.size()) return a.width() * a.height();
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  return count;
}

TEST_F(WinDirectTableTest, EscapeDropsTheTypingAndShowsTheOldTextWhileEnterCommits) {
  MakeBoundTable();
  TCellEdit &editor = *table->Grid()->Editor();
  editor.SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == editor.GetHandle(); }, kWaitMs));
  test_kit::RunFor(20);
  const QImage before = editor.NativeWidget()->grab().toImage();
  const int caretColumn = editor.NativeWidget()->height();
  test_kit::PostText(editor, "7");
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText() == "7"; }, kWaitMs));
  test_kit::RunFor(20);
  const QImage typed = editor.NativeWidget()->grab().toImage();
  EXPECT_GT(DifferingPixels(before, typed), caretColumn);

  test_kit::PostKey(editor, VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText() == "10.5"; }, kWaitMs));
  test_kit::RunFor(20);
  EXPECT_EQ(Cell(0, 0), "10.5");
  EXPECT_FALSE(editor.IsModified());
  EXPECT_FALSE(editor.EditingInPlace());
  EXPECT_EQ(table->Grid()->Cells().GetFlags(0, 0) & kCellEdited, 0);
  // What the cell shows is its old text again, selected whole as before the typing.
  EXPECT_LE(DifferingPixels(before, editor.NativeWidget()->grab().toImage()), caretColumn);
  // Moving on now leaves the old value in the cell and in the bound array.
  test_kit::PostKey(editor, VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentRow() == 1; }, kWaitMs));
  EXPECT_EQ(Cell(0, 0), "10.5");
  table->CellsToValues();
  EXPECT_EQ(arrays.radius[0], 10.5);  // the text read back, never computed

  // Escape in place (F2) drops the typing as well; Enter puts it into the cell at once.
  TCellEdit &second = *table->Grid()->Editor();
  test_kit::PostKey(second, VK_F2);
  test_kit::PostText(second, "9");
  ASSERT_TRUE(test_kit::RunUntil([&] { return second.GetWindowText() == "20.59"; }, kWaitMs));
  test_kit::PostKey(second, VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return second.GetWindowText() == "20.5"; }, kWaitMs));
  EXPECT_EQ(Cell(0, 1), "20.5");
  test_kit::PostText(second, "8");
  ASSERT_TRUE(test_kit::RunUntil([&] { return second.GetWindowText() == "8"; }, kWaitMs));
  test_kit::PostKey(second, VK_RETURN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return Cell(0, 1) == "8"; }, kWaitMs));
  EXPECT_NE(table->Grid()->Cells().GetFlags(0, 1) & kCellEdited, 0);
  EXPECT_EQ(table->Grid()->CurrentRow(), 1);
  // A cell with nothing typed lets Escape go on to the dialog, which closes as Cancel; the
  // cell keeps its text.
  test_kit::PostKey(second, VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !dialog->IsWindow(); }, kWaitMs));
  EXPECT_EQ(Cell(0, 1), "8");
}

TEST_F(WinDirectTableTest, TypingIntoACellTooWideToShowWholeStaysInTheEditor) {
  MakeBoundTable();
  // Narrower than the first column: the cell never shows whole, however it scrolls.
  table->SetTableSize(40, 120);
  table->Grid()->SetCurrentCell(0, 1);
  TCellEdit &editor = *table->Grid()->Editor();
  editor.SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == editor.GetHandle(); }, kWaitMs));
  test_kit::RunFor(20);
  ASSERT_EQ(table->Grid()->IsCellVisible(0, 1), 0);
  test_kit::PostText(editor, "123");
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText() == "123"; }, kWaitMs));
  // Nothing of it reached the cell on the way.
  EXPECT_EQ(Cell(0, 1), "20.5");
  EXPECT_EQ(table->Grid()->Cells().GetFlags(0, 1) & kCellEdited, 0);
  test_kit::PostKey(editor, VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText() == "20.5"; }, kWaitMs));
  EXPECT_EQ(Cell(0, 1), "20.5");
}

TEST_F(WinDirectTableTest, EscapeWithNothingTypedIsTheDialogsCancel) {
  // A dialog of its own with a Cancel button, as the program's table dialogs have.
  class TCancelCounting final : public TDialog {
   public:
    TCancelCounting() : TDialog(nullptr, "TableTestDlg") {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
      if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ++cancels;
        return 0;
      }
      return TDialog::WindowProc(msg, wParam, lParam);
    }
    int cancels = 0;
  };
  TCancelCounting counting;
  ASSERT_TRUE(counting.Create());
  auto *own = new TWinDirectTable(&counting, kPlaceholder, 2, 5, kTableOfColumns, new TFont("Arial", -11));
  ASSERT_TRUE(own->Create());
  own->BindCell(0, "Radius", arrays.radius, 5, kCellDouble, "%8g");
  own->FitLayout(0, 0);
  own->ValuesToCells();
  TCellEdit &editor = *own->Grid()->Editor();
  editor.SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == editor.GetHandle(); }, kWaitMs));

  // Typing (once the new window has settled and keeps the focus): Escape drops it and the
  // dialog stays.
  test_kit::RunFor(20);
  test_kit::PostText(editor, "7");
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText() == "7"; }, kWaitMs));
  test_kit::PostKey(editor, VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText() == "10.5"; }, kWaitMs));
  test_kit::RunFor(20);
  EXPECT_EQ(counting.cancels, 0);
  // Nothing typed now: Escape goes on to the dialog, once.
  test_kit::PostKey(editor, VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return counting.cancels == 1; }, kWaitMs));
  test_kit::RunFor(20);
  EXPECT_EQ(counting.cancels, 1);
  EXPECT_EQ(editor.GetWindowText(), "10.5");
  // In place (F2) with nothing typed yet, the same.
  test_kit::PostKey(editor, VK_F2);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.EditingInPlace(); }, kWaitMs));
  test_kit::PostKey(editor, VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return counting.cancels == 2; }, kWaitMs));
  // The other keys stay with the cell.
  test_kit::PostKey(editor, VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return own->Grid()->CurrentRow() == 1; }, kWaitMs));
  EXPECT_EQ(counting.cancels, 2);
}

TEST_F(WinDirectTableTest, ReadOnlyCellsBeepAndPendingEditsCommitOnClose) {
  MakeBoundTable();
  table->Grid()->SetColumnReadOnly(0, true);
  table->Grid()->SetCurrentCell(0, 0);
  table->Grid()->SetCurrentCell(0, 1);
  TCellEdit &editor = *table->Grid()->Editor();
  editor.SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == editor.GetHandle(); }, kWaitMs));
  test_kit::PostText(editor, "9");
  ASSERT_TRUE(test_kit::RunUntil([&] { return !boxes.beeps.empty(); }, kWaitMs));
  EXPECT_EQ(editor.GetWindowText(), "20.5");

  table->Grid()->SetCurrentCell(1, 2);
  TCellEdit &second = *table->Grid()->Editor();
  second.SetFocus();
  second.SetSelection(0, 3);
  test_kit::PostText(second, "7");
  ASSERT_TRUE(test_kit::RunUntil([&] { return second.GetWindowText() == "7"; }, kWaitMs));
  EXPECT_EQ(Cell(1, 2), "300");
  EXPECT_TRUE(dialog->CanClose());
  EXPECT_EQ(Cell(1, 2), "7");
  EXPECT_NE(table->Grid()->Cells().GetFlags(1, 2) & kCellEdited, 0);
  EXPECT_EQ(table->Grid()->Cells().GetFlags(1, 1) & kCellEdited, 0);
  table->CellsToValues();
  EXPECT_EQ(arrays.glass[2], 7);
}

TEST_F(WinDirectTableTest, ScrollRangesGrowFromNoneWhenTheTableShrinks) {
  MakeBoundTable();
  EXPECT_EQ(table->Grid()->Scroller->YRange, 0);
  table->SetTableSize(200, 80);
  table->Redraw();
  EXPECT_GT(table->Grid()->Scroller->YRange, 0);
  table->Grid()->Scroller->ScrollTo(0, 20);
  EXPECT_EQ(table->RowHeader()->offset, -20);
  table->Grid()->Scroller->ScrollTo(0, 0);
  EXPECT_EQ(table->RowHeader()->offset, 0);
}

TEST_F(WinDirectTableTest, CellsThatAreNoFiniteNumberAreRefusedNamingTheCell) {
  MakeBoundTable();
  float weights[5] = {1.0F, 1.0F, 1.0F, 1.0F, 1.0F};
  table->BindCell(1, "Weight", weights, 5, kCellFloat, "%g");
  table->ValuesToCells();
  SetCell(0, 1, "nan");
  SetCell(0, 3, "1e400");
  SetCell(1, 2, "inf");
  EXPECT_EQ(table->CellsToValues(), 0);
  EXPECT_EQ(arrays.radius[1], 20.5);
  EXPECT_EQ(arrays.radius[3], 40.5);
  EXPECT_EQ(weights[2], 1.0F);
  // One message, for the first refused cell, which becomes current.
  ASSERT_EQ(boxes.boxes.size(), 1U);
  EXPECT_EQ(boxes.boxes[0].text, "Radius in row 2: \"nan\" is not a number.");
  EXPECT_EQ(table->Grid()->CurrentColumn(), 0);
  EXPECT_EQ(table->Grid()->CurrentRow(), 1);
  SetCell(0, 1, "12abc");
  SetCell(0, 3, "3,5");
  SetCell(1, 2, "2");
  EXPECT_EQ(table->CellsToValues(), 0);
  EXPECT_EQ(boxes.boxes[1].text, "Radius in row 2: \"12abc\" is not a number.");
  EXPECT_EQ(arrays.radius[3], 3.5);
  EXPECT_EQ(weights[2], 2.0F);
  SetCell(0, 1, "-1e401");
  EXPECT_EQ(table->CellsToValues(), 0);
  EXPECT_EQ(boxes.boxes[2].text, "Radius in row 2: \"-1e401\" is out of range.");
}

TEST_F(WinDirectTableTest, TheEditorHoldsWhatTheCellHolds) {
  MakeBoundTable();
  const std::string longText(200, 'x');
  SetCell(1, 2, longText.c_str());
  table->Grid()->SetCurrentCell(1, 2);
  TCellEdit &editor = *table->Grid()->Editor();
  EXPECT_EQ(editor.GetWindowText(), longText);
  editor.SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == editor.GetHandle(); }, kWaitMs));
  editor.SetSelection(0, 0);
  test_kit::PostKey(editor, VK_DELETE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText().size() == 199; }, kWaitMs));
  EXPECT_TRUE(dialog->CanClose());
  EXPECT_EQ(Cell(1, 2), std::string(199, 'x'));
  // Typing in place stops at the cell's 255 characters.
  test_kit::PostKey(editor, VK_F2);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.EditingInPlace(); }, kWaitMs));
  test_kit::PostText(editor, std::string(60, 'y').c_str());
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText().size() >= 255; }, kWaitMs));
  test_kit::RunFor(50);
  EXPECT_EQ(editor.GetWindowText().size(), 255U);
}

TEST_F(WinDirectTableTest, SelectAllIsGreyWhenThereIsNothingLeftToSelect) {
  MakeBoundTable();
  TScriptedMenuTracker menus;
  table->Grid()->SetCurrentCell(0, 0);
  TCellEdit &editor = *table->Grid()->Editor();
  editor.SetSelection(1, 1);
  menus.ChooseId(kCmCellSelectAll);
  table->TTableWindow::CellContextMenu(0, 0);
  ASSERT_EQ(menus.walks.size(), 1U);
  EXPECT_FALSE(menus.walks[0].Refused);
  // The cell's menu is the only one: the text field shows none of its own after it.
  EXPECT_EQ(editor.NativeWidget()->contextMenuPolicy(), Qt::NoContextMenu);
  int start = -1;
  int end = -1;
  editor.GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 4);  // "10.5"
  // Wholly selected now: the item is grey and cannot be chosen.
  menus.ChooseId(kCmCellSelectAll);
  table->TTableWindow::CellContextMenu(0, 0);
  ASSERT_EQ(menus.walks.size(), 2U);
  EXPECT_TRUE(menus.walks[1].Refused);
  // An empty cell has nothing to select.
  SetCell(1, 1, "");
  table->Grid()->SetCurrentCell(1, 1);
  menus.ChooseId(kCmCellSelectAll);
  table->TTableWindow::CellContextMenu(1, 1);
  ASSERT_EQ(menus.walks.size(), 3U);
  EXPECT_TRUE(menus.walks[2].Refused);
}

TEST_F(WinDirectTableTest, RowsFollowAListOfChangingLengthAndAGrownArrayIsBoundAgain) {
  MakeBoundTable();
  table->SetCellEnabled(arrays.radius, 1, 0);
  table->SetRowsInUse(3);
  EXPECT_EQ(table->RowsInUse(), 3);
  EXPECT_EQ(table->Grid()->Rows(), 3);
  EXPECT_EQ(table->CellEnabled(0, 1), 0);  // kept rows keep their flags
  // A longer list: the captions' and values' arrays move to larger ones.
  int numbers[7] = {1, 2, 3, 4, 5, 6, 7};
  double radius[7] = {1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5};
  int glass[7] = {};
  EXPECT_EQ(table->RebindValues(arrays.numbers, numbers, 7), 1);
  EXPECT_EQ(table->RebindValues(arrays.radius, radius, 7), 1);
  EXPECT_EQ(table->RebindValues(arrays.glass, glass, 7), 1);
  EXPECT_EQ(table->RebindValues(&arrays, glass, 7), 0);
  table->SetRowsInUse(7);
  EXPECT_EQ(table->Grid()->Rows(), 7);
  EXPECT_EQ(table->RowHeader()->Captions().Columns(), 7);
  EXPECT_EQ(table->CellEnabled(0, 6), 1);  // new rows take part
  table->ValuesToCells();
  EXPECT_EQ(table->RowHeader()->Caption(6), "7");
  EXPECT_EQ(Cell(0, 6), "7.5");
  EXPECT_EQ(Cell(0, 2), "3.5");
  EXPECT_EQ(Cell(0, 1), "20.5");  // the disabled cell takes no part
  SetCell(0, 5, "-1");
  EXPECT_EQ(table->CellsToValues(), 1);
  EXPECT_EQ(radius[5], -1.0);
  EXPECT_EQ(arrays.radius[4], 50.5);  // the old array is no longer written
}

}  // namespace
