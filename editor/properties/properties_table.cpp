#include "editor/properties/properties_table.h"

#include <algorithm>
#include <utility>

#include "platform/core/font_faces.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

// 8 points at 96 pixels an inch.
constexpr int kFontHeight = -11;
constexpr COLORREF kReadOnlyBack = 0xE0E0E0;
constexpr COLORREF kReadOnlyText = 0x404040;
// Room for the rows of a usual system before the arrays grow.
constexpr int kFirstCapacity = 32;

}  // namespace

TPropertiesTable::TPropertiesTable(TWindow *page, int placeholderControl, const std::vector<std::string> &captions,
                                   const std::vector<int> &widths, int rowCaptionCharacters)
    : TWinDirectTable(page, placeholderControl, static_cast<int>(captions.size()), 1, kTableOfColumns,
                      new TFont(kFaceArial, kFontHeight)),
      columnCaptions(captions) {
  // The widths are the columns' formats: FitLayout sizes the columns from them.
  for (std::size_t c = 0; c < captions.size(); ++c)
    formats.push_back("%" + std::to_string(c < widths.size() ? widths[c] : 10) + "s");
  formats.push_back("%" + std::to_string(rowCaptionCharacters) + "s");
  texts.resize(captions.size());
}

TPropertiesTable::~TPropertiesTable() = default;

void TPropertiesTable::Reserve(int wanted) {
  if (wanted <= capacity) return;
  const int grown = std::max({wanted, 2 * capacity, kFirstCapacity});
  const auto grow = [&](std::unique_ptr<STRING[]> &array) {
    auto bigger = std::make_unique<STRING[]>(static_cast<std::size_t>(grown));
    for (int r = 0; r < capacity; ++r) bigger[static_cast<std::size_t>(r)] = std::move(array[static_cast<std::size_t>(r)]);
    if (array != nullptr) RebindValues(array.get(), bigger.get(), grown);
    array = std::move(bigger);
  };
  const bool bound = rowCaptions != nullptr;
  grow(rowCaptions);
  for (auto &column : texts) grow(column);
  capacity = grown;
  if (bound) return;
  // The first arrays: the captions' binding, then one per column.
  BindCell(-1, nullptr, rowCaptions.get(), capacity, kCellString, formats.back().c_str());
  for (std::size_t c = 0; c < texts.size(); ++c)
    BindCell(static_cast<int>(c), columnCaptions[c].c_str(), texts[c].get(), capacity, kCellString,
             formats[c].c_str());
}

void TPropertiesTable::SetupWindow() {
  TWinDirectTable::SetupWindow();
  Reserve(kFirstCapacity);
  FitLayout(0, 0);
}

void TPropertiesTable::SetRows(const std::vector<std::string> &captions) {
  if (Grid() == nullptr) return;
  const int rowCount = static_cast<int>(captions.size());
  Reserve(rowCount);
  for (int r = 0; r < rowCount; ++r) rowCaptions[static_cast<std::size_t>(r)] = captions[static_cast<std::size_t>(r)];
  SetRowsInUse(rowCount);
  // The texts the rows hold now go to their cells, the captions beside them.
  ValuesToCells();
  Grid()->ClearAllEdited();
  Grid()->Refresh();
  RowHeader()->Invalidate();
}

void TPropertiesTable::SetCell(int column, int row, const std::string &text, bool editable) {
  TWinTableEdit *cellGrid = Grid();
  if (cellGrid == nullptr || !cellGrid->Cells().Contains(column, row) || row >= capacity ||
      column >= static_cast<int>(texts.size()))
    return;
  texts[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)] = text;
  TStringTable::Item &item = cellGrid->Cells().GetItem(column, row);
  item.text = text;
  item.flags = editable ? 0 : kCellReadOnly;
  if (column == cellGrid->CurrentColumn() && row == cellGrid->CurrentRow() && cellGrid->Editor() != nullptr) {
    // The editor over the cell shows the new text unless the user is typing there.
    cellGrid->Editor()->readOnly = editable ? 0 : 1;
    if (!cellGrid->Editor()->IsModified()) {
      cellGrid->Editor()->SetWindowText(text.c_str());
      cellGrid->Editor()->ClearModify();
      // A cell not being edited shows its text selected whole: typing replaces it.
      if (!cellGrid->Editor()->EditingInPlace()) cellGrid->Editor()->SelectCell();
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
  // Called from inside the grid's move to the new cell: the edit is handed on once the
  // move is over.
  if (!commitPosted && IsWindow()) commitPosted = PostMessage(kCommitMessage);
}

void TPropertiesTable::CellKey(UINT key, int column, int row) {
  if (key != VK_RETURN) return;
  Grid()->CommitEditor();
  CellSelected(column, row);
}

void TPropertiesTable::CellContextMenu(int column, int row) {
  // The rows are the system's: the cell's own edit menu, no row commands.
  TTableWindow::CellContextMenu(column, row);
}

LRESULT TPropertiesTable::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kCommitMessage) {
    commitPosted = false;
    CommitEdits();
    return 0;
  }
  return TWinDirectTable::WindowProc(msg, wParam, lParam);
}

void TPropertiesTable::CommitEdits() {
  TWinTableEdit *cellGrid = Grid();
  if (cellGrid == nullptr) return;
  struct TEditedCell {
    int column, row;
  };
  std::vector<TEditedCell> edited;
  for (int r = 0; r < cellGrid->Rows(); ++r)
    for (int c = 0; c < cellGrid->Columns(); ++c) {
      TStringTable::Item &item = cellGrid->Cells().GetItem(c, r);
      if ((item.flags & kCellEdited) == 0) continue;
      item.flags = static_cast<std::uint16_t>(item.flags & ~kCellEdited);
      edited.push_back({c, r});
    }
  if (edited.empty()) return;
  // The cells' texts into the bound arrays (texts are never refused), then each typed one
  // is handed on.
  CellsToValues();
  std::vector<std::pair<TEditedCell, std::string>> typed;
  for (const TEditedCell &cell : edited)
    typed.emplace_back(cell, std::string(texts[static_cast<std::size_t>(cell.column)][static_cast<std::size_t>(cell.row)].c_str()));
  // The handler may refill or shorten the table: each cell is handed on only while it
  // still exists.
  for (const auto &[cell, text] : typed)
    if (cellEdited && cell.row < RowCount()) cellEdited(cell.column, cell.row, text);
}

void TPropertiesTable::GetCellColors(int column, int row, const char *text, COLORREF &textColor, COLORREF &backColor) {
  TWinDirectTable::GetCellColors(column, row, text, textColor, backColor);
  TWinTableEdit *cellGrid = Grid();
  if (cellGrid == nullptr || !cellGrid->Cells().Contains(column, row)) return;
  if ((cellGrid->Cells().GetItem(column, row).flags & kCellReadOnly) == 0) return;
  textColor = kReadOnlyText;
  backColor = kReadOnlyBack;
}
