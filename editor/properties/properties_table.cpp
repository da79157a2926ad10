#include "editor/properties/properties_table.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/core/font_faces.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

// 8 points at 96 pixels an inch; an average character of the face is about 0.6 of it.
constexpr int kFontHeight = -11;
constexpr int kCharWidth = 7;
constexpr int kRowHeight = 20;
constexpr COLORREF kCaptionColour = 0x800000;
constexpr COLORREF kReadOnlyBack = 0xE0E0E0;
constexpr COLORREF kReadOnlyText = 0x404040;

}  // namespace

TPropertiesTable::TPropertiesTable(TWindow *page, int placeholderControl, const std::vector<std::string> &captions,
                                   const std::vector<int> &widths, int rowCaptionCharacters)
    : TTableWindow(page, placeholderControl, static_cast<int>(captions.size()), 1, new TFont(kFaceArial, kFontHeight)),
      columnCaptions(captions),
      columnWidths(widths),
      rowCaptionWidth(rowCaptionCharacters) {}

void TPropertiesTable::SetupWindow() {
  TTableWindow::SetupWindow();
  for (TTableHeader *header : {ColumnHeader(), RowHeader()}) {
    header->SetFont(new TFont(kFaceArial, kFontHeight));
    header->textColor = kCaptionColour;
  }
  for (std::size_t c = 0; c < columnCaptions.size(); ++c)
    ColumnHeader()->SetCaption(static_cast<int>(c), columnCaptions[c]);
  ApplyLayout();
}

void TPropertiesTable::ApplyLayout() {
  SetHeaderHeight(kRowHeight + 2);
  SetRowHeaderWidth(rowCaptionWidth * kCharWidth);
  Grid()->SetAllRowHeights(kRowHeight);
  Grid()->vScrollStep = kRowHeight;
  // The columns share the width left beside the row captions in proportion to their widths.
  const int client = static_cast<int>(GetClientRect().right) - rowCaptionWidth * kCharWidth;
  int total = 0;
  for (int w : columnWidths) total += w;
  int used = 0;
  for (std::size_t c = 0; c < columnWidths.size(); ++c) {
    const bool last = c + 1 == columnWidths.size();
    int columnPixels = columnWidths[c] * kCharWidth;
    if (total > 0 && client > total * kCharWidth)
      columnPixels = last ? client - used : client * columnWidths[c] / total;
    Grid()->SetColumnWidth(static_cast<int>(c), columnPixels);
    used += columnPixels;
  }
  Grid()->Refresh();
}

void TPropertiesTable::SetRows(const std::vector<std::string> &captions) {
  TWinTableEdit *cellGrid = Grid();
  if (cellGrid == nullptr) return;
  const int rowCount = static_cast<int>(captions.size());
  // The editor leaves a row that is going before the rows go.
  if (cellGrid->CurrentRow() >= rowCount && rowCount > 0) cellGrid->SetCurrentCell(cellGrid->CurrentColumn(), rowCount - 1);
  // Through the table, so that the row captions keep in step with the rows.
  while (cellGrid->Rows() < rowCount) AppendRow("");
  while (cellGrid->Rows() > std::max(rowCount, 0)) DeleteRow(cellGrid->Rows() - 1);
  cellGrid->SetAllRowHeights(kRowHeight);
  for (int r = 0; r < rowCount; ++r) RowHeader()->SetCaption(r, captions[static_cast<std::size_t>(r)]);
  cellGrid->ClearAllEdited();
  cellGrid->Refresh();
  RowHeader()->Invalidate();
  Redraw();
}

void TPropertiesTable::SetCell(int column, int row, const std::string &text, bool editable) {
  TWinTableEdit *cellGrid = Grid();
  if (cellGrid == nullptr || !cellGrid->Cells().Contains(column, row)) return;
  TStringTable::Item &item = cellGrid->Cells().GetItem(column, row);
  item.text = text;
  item.flags = editable ? 0 : kCellReadOnly;
  if (column == cellGrid->CurrentColumn() && row == cellGrid->CurrentRow() && cellGrid->Editor() != nullptr) {
    // The editor over the cell shows the new text unless the user is typing there.
    cellGrid->Editor()->readOnly = editable ? 0 : 1;
    if (!cellGrid->Editor()->IsModified()) {
      cellGrid->Editor()->SetWindowText(text.c_str());
      cellGrid->Editor()->ClearModify();
    }
  }
  cellGrid->RedrawCells(column, row, column, row);
}

std::string TPropertiesTable::CellText(int column, int row) {
  TWinTableEdit *cellGrid = Grid();
  if (cellGrid == nullptr || !cellGrid->Cells().Contains(column, row)) return std::string();
  return cellGrid->Cells().GetItem(column, row).text;
}

int TPropertiesTable::RowCount() { return Grid() != nullptr ? Grid()->Rows() : 0; }

void TPropertiesTable::CellSelected(int, int) {
  // Called from inside the cellGrid's move to the new cell: the edit is handed on once the
  // move is over.
  if (!commitPosted && IsWindow()) commitPosted = PostMessage(kCommitMessage);
}

void TPropertiesTable::CellKey(UINT key, int column, int row) {
  if (key != VK_RETURN) return;
  Grid()->CommitEditor();
  CellSelected(column, row);
}

LRESULT TPropertiesTable::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kCommitMessage) {
    commitPosted = false;
    CommitEdits();
    return 0;
  }
  return TTableWindow::WindowProc(msg, wParam, lParam);
}

void TPropertiesTable::CommitEdits() {
  TWinTableEdit *cellGrid = Grid();
  if (cellGrid == nullptr) return;
  struct TEditedCell {
    int column, row;
    std::string text;
  };
  std::vector<TEditedCell> edited;
  for (int r = 0; r < cellGrid->Rows(); ++r)
    for (int c = 0; c < cellGrid->Columns(); ++c) {
      TStringTable::Item &item = cellGrid->Cells().GetItem(c, r);
      if ((item.flags & kCellEdited) == 0) continue;
      item.flags = static_cast<std::uint16_t>(item.flags & ~kCellEdited);
      edited.push_back({c, r, item.text});
    }
  // The handler may refill or shorten the table: each cell is handed on only while it
  // still exists.
  for (const TEditedCell &cell : edited)
    if (cellEdited && cell.row < RowCount()) cellEdited(cell.column, cell.row, cell.text);
}

void TPropertiesTable::GetCellColors(int column, int row, const char *, COLORREF &textColor, COLORREF &backColor) {
  TWinTableEdit *cellGrid = Grid();
  if (cellGrid == nullptr || !cellGrid->Cells().Contains(column, row)) return;
  if ((cellGrid->Cells().GetItem(column, row).flags & kCellReadOnly) == 0) return;
  textColor = kReadOnlyText;
  backColor = kReadOnlyBack;
}
