#include "toolkit/tables/win_direct_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/cell_value.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr int kBindingGrowth = 5;
constexpr int kCaptionColour = 0x800000;

// The header font: 8 points of the Swiss face at the screen's resolution.
TFont *NewHeaderFont() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? TDC::FromHandle(screen)->GetDeviceCaps(LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  LOGFONT logFont{};
  logFont.lfHeight = -(8 * dpi + 36) / 72;
  logFont.lfWeight = 400;
  logFont.lfPitchAndFamily = 0x22;
  logFont.lfCharSet = 1;
  std::strncpy(logFont.lfFaceName, kFaceArial, sizeof logFont.lfFaceName - 1);
  return new TFont(logFont);
}

// A font's character width: its average width, else 0.64 of its height.
int CharWidthOf(const TFont *font) {
  if (font == nullptr) return 7;
  const LOGFONT logFont = font->GetObject();
  if (logFont.lfWidth != 0) return std::abs(static_cast<int>(logFont.lfWidth));
  return static_cast<int>(0.64 * std::abs(static_cast<int>(logFont.lfHeight)));
}

int HeightOf(const TFont *font) { return font != nullptr ? std::abs(static_cast<int>(font->GetObject().lfHeight)) : 11; }

}  // namespace

const TResponseTableEntry kWinDirectTableTable[] = {
    EvCommand<&TWinDirectTable::InsertRow>(kCmInsertRow), EvCommand<&TWinDirectTable::AddRow>(kCmAddRow),
    EvCommand<&TWinDirectTable::DeleteRow>(kCmDeleteRow), EvCommand<&TWinDirectTable::CutRow>(kCmCutRow),
    EvCommand<&TWinDirectTable::CopyRow>(kCmCopyRow),     EvCommand<&TWinDirectTable::PasteRow>(kCmPasteRow),
};

TWinDirectTable::TWinDirectTable(TWindow *parentDialog, int controlId, int columnTotal, int rowTotal, int type, TFont *font)
    : TTableWindow(parentDialog, controlId, columnTotal, rowTotal, font),
      HighlightText(GetSysColor(COLOR_WINDOWTEXT)),
      HighlightBack(GetSysColor(COLOR_WINDOW)),
      tableType(type),
      rowsInUse(rowTotal),
      columnCount(columnTotal) {
  bindings.Allocate(kBindingGrowth, 1);
  if (columnTotal > 0 && rowTotal > 0 && cellMap.Allocate(rowTotal, columnTotal) != 0)
    std::fill(cellMap.data, cellMap.data + rowTotal * columnTotal, 1);
}

TWinDirectTable::~TWinDirectTable() = default;

bool TWinDirectTable::Find(TEventInfo &info) {
  return SearchResponseTable(kWinDirectTableTable, info) || TTableWindow::Find(info);
}

void TWinDirectTable::SetupWindow() {
  TTableWindow::SetupWindow();
  rowsInUse = Grid()->Rows();
  columnCount = Grid()->Columns();
}

int TWinDirectTable::BindCell(int index, const char *caption, void *values, int count, int type, const char *format,
                              int columnWidth, int bufferSize) {
  if (bindingCount >= bindings.cols && bindings.Resize(bindings.cols + kBindingGrowth, 1) == 0) return 0;
  if (index >= 0 && caption != nullptr) {
    TTableHeader *header = tableType == kTableOfColumns ? ColumnHeader() : RowHeader();
    if (header != nullptr) header->SetCaption(index, caption);
  }
  bindings.data[bindingCount] =
      WinTableValueParameters(index, values, count, static_cast<signed char>(type), format, columnWidth);
  bindings.data[bindingCount].type = type;
  ++bindingCount;
  bufferSizes.push_back(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : kDefaultCellBufferSize);
  return 1;
}

POINT TWinDirectTable::CellOf(const WinTableValueParameters &binding, int i) const {
  return tableType == kTableOfColumns ? POINT{binding.index, i} : POINT{i, binding.index};
}

int TWinDirectTable::CellEnabled(int column, int row) const {
  if (column < 0 || row < 0 || column >= cellMap.rows || row >= cellMap.cols) return 1;
  return cellMap.data[column * cellMap.cols + row];
}

bool TWinDirectTable::TakesPart(const WinTableValueParameters &binding, int i, bool captions) const {
  if (captions) return tableType == kTableOfColumns ? i < rowsInUse : i < columnCount;
  const POINT cell = CellOf(binding, i);
  if (cell.x < 0 || cell.y < 0 || cell.y >= rowsInUse || cell.x >= columnCount) return false;
  return CellEnabled(cell.x, cell.y) != 0;
}

void TWinDirectTable::ValuesToCells() {
  if (Grid() == nullptr) return;
  char text[kCellTextSize];
  for (int b = 0; b < bindingCount; ++b) {
    const WinTableValueParameters &binding = bindings.data[b];
    const bool captions = binding.index == -1;
    for (int i = 0; i < binding.count; ++i) {
      if (!TakesPart(binding, i, captions)) continue;
      FormatCellElement(binding.type, binding.value, i, binding.printFormat, showZeros, text);
      if (captions) {
        TTableHeader *header = tableType == kTableOfColumns ? RowHeader() : ColumnHeader();
        if (header != nullptr) header->SetCaption(i, text);
      } else {
        const POINT cell = CellOf(binding, i);
        if (Grid()->Cells().Contains(cell.x, cell.y)) Grid()->Cells().GetItem(cell.x, cell.y).text = text;
      }
    }
  }
  Redraw();
}

std::string TWinDirectTable::CellName(int column, int row) const {
  const auto trimmed = [](std::string text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
  };
  std::string columnName = ColumnHeader() != nullptr ? trimmed(ColumnHeader()->Caption(column)) : std::string();
  std::string rowName = RowHeader() != nullptr ? trimmed(RowHeader()->Caption(row)) : std::string();
  if (columnName.empty()) columnName = "Column " + std::to_string(column + 1);
  if (rowName.empty()) rowName = std::to_string(row + 1);
  return columnName + " in row " + rowName;
}

int TWinDirectTable::CellsToValues() {
  if (Grid() == nullptr) return 0;
  int all = 1;
  for (int b = 0; b < bindingCount; ++b) {
    const WinTableValueParameters &binding = bindings.data[b];
    if (binding.index < 0) continue;
    for (int i = 0; i < binding.count; ++i) {
      if (!TakesPart(binding, i, false)) continue;
      const POINT cell = CellOf(binding, i);
      if (!Grid()->Cells().Contains(cell.x, cell.y)) continue;
      const std::string text = Grid()->Cells().GetItem(cell.x, cell.y).text;
      // A cell that still shows its value as it was put there was not edited: the value
      // keeps every digit it holds, which the shown text ("%g") may round away.
      char shown[kCellTextSize];
      FormatCellElement(binding.type, binding.value, i, binding.printFormat, showZeros, shown);
      if (text == shown) continue;
      TNumberRead why = TNumberRead::Number;
      if (ParseCellElement(binding.type, binding.value, i, text.c_str(), bufferSizes[static_cast<std::size_t>(b)],
                           &why) != 0 ||
          why == TNumberRead::Number)
        continue;
      // The first refusal is told and its cell made current; the element keeps its value.
      if (all != 0) {
        Grid()->SetCurrentCell(cell.x, cell.y);
        const std::string message = RefusedNumberMessage(CellName(cell.x, cell.y), text, why);
        MessageBox(GetHandle(), message.c_str(), "Warning", MB_OK | MB_ICONEXCLAMATION);
      }
      all = 0;
    }
  }
  return all;
}

void TWinDirectTable::FitLayout(int headerPixels, int rowHeight) {
  if (ColumnHeader() == nullptr || RowHeader() == nullptr || Grid() == nullptr) return;
  for (TTableHeader *header : {ColumnHeader(), RowHeader()}) {
    header->SetFont(NewHeaderFont());
    header->textColor = kCaptionColour;
    header->alignment = DT_CENTER;
  }
  const int hw = CharWidthOf(ColumnHeader()->Font());
  const int cw = CharWidthOf(CellFont());
  if (headerPixels == 0) headerPixels = HeightOf(ColumnHeader()->Font()) + 10;
  SetHeaderHeight(headerPixels);
  if (rowHeight == 0) rowHeight = HeightOf(CellFont()) + 10;
  Grid()->SetAllRowHeights(rowHeight);
  Grid()->vScrollStep = rowHeight;
  Grid()->hScrollStep = 1;

  int total = 0;
  if (tableType == kTableOfColumns) {
    for (int b = 0; b < bindingCount; ++b) {
      WinTableValueParameters &binding = bindings.data[b];
      const int n = FormatWidth(binding.printFormat);
      if (binding.index == -1) {
        binding.columnWidth = n * hw;
        SetRowHeaderWidth(binding.columnWidth);
      } else {
        if (binding.columnWidth == 0) {
          const int captionLength = static_cast<int>(ColumnHeader()->Caption(binding.index).size());
          binding.columnWidth = std::max(n > 0 ? n * cw : 10 * cw, captionLength * hw);
        }
        Grid()->SetColumnWidth(binding.index, binding.columnWidth);
      }
      total += binding.columnWidth;
    }
  } else if (tableType == kTableOfRows) {
    int nh = 0;
    int longest = 0;
    int nmax = 0;
    for (int b = 0; b < bindingCount; ++b) {
      const WinTableValueParameters &binding = bindings.data[b];
      const int n = FormatWidth(binding.printFormat);
      if (binding.index == -1) {
        nh = n;
        continue;
      }
      longest = std::max(longest, static_cast<int>(RowHeader()->Caption(binding.index).size()));
      if (binding.columnWidth == 0) nmax = std::max(nmax, n);
    }
    SetRowHeaderWidth(longest * hw);
    const int common = std::max(nmax * cw, nh * hw);
    Grid()->SetAllColumnWidths(common);
    for (int b = 0; b < bindingCount; ++b) bindings.data[b].columnWidth = common;
    total = common * columnCount + longest * hw;
  } else {
    MessageBox(GetHandle(), "Type of table must be defined!", "Warning", MB_ICONSTOP);
    return;
  }
  int spare = static_cast<int>(GetClientRect().right) - total;
  if (Grid()->Scroller != nullptr && Grid()->Scroller->YRange != 0) spare -= GetSystemMetrics(SM_CXVSCROLL);
  if (spare > 0) {
    if (tableType == kTableOfColumns) {
      int n = bindingCount;
      for (int b = 0; b < bindingCount; ++b)
        if (bindings.data[b].index == -1) --n;
      int k = 0;
      for (int b = 0; b < bindingCount && n > 0; ++b) {
        WinTableValueParameters &binding = bindings.data[b];
        if (binding.index == -1) continue;
        const int share = spare / (n - k);
        binding.columnWidth += share;
        spare -= share;
        Grid()->SetColumnWidth(binding.index, binding.columnWidth);
        ++k;
      }
    } else {
      const int gridColumns = Grid()->Columns();
      for (int k = 0; k < gridColumns; ++k) {
        const int share = spare / (gridColumns - k);
        Grid()->SetColumnWidth(k, Grid()->GetCellSize(k, 0).cx + share);
        spare -= share;
      }
    }
  }
  Redraw();
}

void TWinDirectTable::SetCellEnabled(const void *values, int element, int flag) {
  for (int b = 0; b < bindingCount; ++b) {
    if (bindings.data[b].value != values) continue;
    const int column = bindings.data[b].index;
    if (column >= 0 && column < cellMap.rows && element >= 0 && element < cellMap.cols)
      cellMap.data[column * cellMap.cols + element] = flag;
    return;
  }
}

void TWinDirectTable::HighlightRow(int row) {
  if (row < 0) {
    highlightedRows.Clear();
    return;
  }
  highlightedRows.Append(row);
}

int TWinDirectTable::IsRowHighlighted(int row) const {
  const int count = highlightedRows.cols * highlightedRows.rows;
  for (int i = 0; i < count; ++i)
    if (highlightedRows.data[i] == row) return 1;
  return 0;
}

void TWinDirectTable::GetCellColors(int, int row, const char *, COLORREF &textColor, COLORREF &back) {
  if (IsRowHighlighted(row) == 0) return;
  textColor = HighlightText;
  back = HighlightBack;
}

void TWinDirectTable::SetTableSize(int newWidth, int newHeight) {
  width = newWidth;
  height = newHeight;
  SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

void TWinDirectTable::SetTablePosition(int newX, int newY) {
  x = newX;
  y = newY;
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

bool TWinDirectTable::RowFits() const {
  // The binding of the current column decides: found by the column it fills, never by its
  // place in the list, which may hold fewer bindings than the table has columns.
  if (Grid() == nullptr || tableType != kTableOfColumns) return false;
  const int column = Grid()->CurrentColumn();
  for (int b = 0; b < bindingCount; ++b)
    if (bindings.data[b].index == column) return rowsInUse < bindings.data[b].count;
  return false;
}

void TWinDirectTable::ResizeCellMap(int changedRow) {
  // changedRow >= 0: a row was inserted there; <= -2: row -(changedRow + 2) was deleted.
  // The flags move with their rows; a new row takes part.
  Mem<int> next;
  if (rowsInUse > 0 && columnCount > 0) {
    if (next.Allocate(rowsInUse, columnCount) == 0) {
      cellMap.Clear();
      return;
    }
    const int deleted = changedRow <= -2 ? -(changedRow + 2) : -1;
    for (int c = 0; c < columnCount; ++c) {
      for (int r = 0; r < rowsInUse; ++r) {
        int old = r;
        if (changedRow >= 0) {
          if (r == changedRow) old = -1;
          else if (r > changedRow) old = r - 1;
        } else if (deleted >= 0 && r >= deleted) {
          old = r + 1;
        }
        next.data[c * rowsInUse + r] =
            old >= 0 && old < cellMap.cols && c < cellMap.rows ? cellMap.data[c * cellMap.cols + old] : 1;
      }
    }
  }
  cellMap.Swap(next);
}

void TWinDirectTable::EqualiseRowHeights() {
  const int height0 = Grid()->Rows() > 0 ? Grid()->GetCellSize(0, 0).cy : kDefaultRowHeight;
  Grid()->SetAllRowHeights(height0);
}

void TWinDirectTable::SetRowsInUse(int count) {
  if (Grid() == nullptr) return;
  const int wanted = std::max(0, count);
  // The editor leaves a row that is going before the rows go.
  if (Grid()->CurrentRow() >= wanted && wanted > 0) Grid()->SetCurrentCell(Grid()->CurrentColumn(), wanted - 1);
  // Through the table window, so that the row captions keep in step with the rows.
  while (Grid()->Rows() < wanted && TTableWindow::AppendRow() != 0) {
  }
  while (Grid()->Rows() > wanted && TTableWindow::DeleteRow(Grid()->Rows() - 1) != 0) {
  }
  EqualiseRowHeights();
  // The kept rows keep their flags; new rows take part.
  const int before = rowsInUse;
  rowsInUse = Grid()->Rows();
  Mem<int> next;
  if (rowsInUse > 0 && columnCount > 0 && next.Allocate(rowsInUse, columnCount) != 0) {
    for (int c = 0; c < columnCount; ++c)
      for (int r = 0; r < rowsInUse; ++r)
        next.data[c * rowsInUse + r] =
            r < before && r < cellMap.cols && c < cellMap.rows ? cellMap.data[c * cellMap.cols + r] : 1;
  }
  cellMap.Swap(next);
  Redraw();
}

int TWinDirectTable::RebindValues(const void *oldValues, void *newValues, int count) {
  for (int b = 0; b < bindingCount; ++b) {
    if (bindings.data[b].value != oldValues) continue;
    bindings.data[b].value = newValues;
    bindings.data[b].count = count;
    return 1;
  }
  return 0;
}

void TWinDirectTable::InsertRow() {
  if (!RowFits() || Grid()->Rows() == 0) {
    MessageBeep(0xFFFFFFFF);
    return;
  }
  const int row = Grid()->CurrentRow();
  if (TTableWindow::InsertRow(row) == 0) {
    MessageBeep(0xFFFFFFFF);
    return;
  }
  EqualiseRowHeights();
  ++rowsInUse;
  ResizeCellMap(row);
  const int count = highlightedRows.cols * highlightedRows.rows;
  for (int i = 0; i < count; ++i)
    if (highlightedRows.data[i] >= row) ++highlightedRows.data[i];
  Redraw();
}

void TWinDirectTable::AddRow() {
  if (!RowFits()) {
    MessageBeep(0xFFFFFFFF);
    return;
  }
  if (TTableWindow::AppendRow() == 0) {
    MessageBeep(0xFFFFFFFF);
    return;
  }
  EqualiseRowHeights();
  ++rowsInUse;
  ResizeCellMap(rowsInUse - 1);
  Redraw();
}

void TWinDirectTable::DeleteRow() {
  if (Grid() == nullptr || Grid()->Rows() == 0) return;
  const int row = Grid()->CurrentRow();
  if (TTableWindow::DeleteRow(row) == 0) return;
  --rowsInUse;
  ResizeCellMap(-(row + 2));
  const int count = highlightedRows.cols * highlightedRows.rows;
  for (int i = 0; i < count; ++i) {
    if (highlightedRows.data[i] == row) highlightedRows.data[i] = -1;
    else if (highlightedRows.data[i] > row) --highlightedRows.data[i];
  }
  Redraw();
}

void TWinDirectTable::CopyRow() {
  if (Grid() == nullptr || Grid()->Rows() == 0) return;
  Grid()->CommitEditor();
  const int row = Grid()->CurrentRow();
  rowBuffer.Resize(Grid()->Columns());
  for (int c = 0; c < rowBuffer.Count(); ++c) rowBuffer.texts.data[c] = Grid()->Cells().GetItem(c, row).text;
  rowBuffer.row = row;
}

void TWinDirectTable::CutRow() {
  if (Grid() == nullptr || Grid()->Rows() == 0) return;
  const int row = Grid()->CurrentRow();
  CopyRow();
  DeleteRow();
  rowBuffer.lastOperation = kCmCutRow;
  rowBuffer.row = row;
}

void TWinDirectTable::PasteRow() {
  if (Grid() == nullptr || Grid()->Rows() == 0) return;
  const int row = Grid()->CurrentRow();
  const int pasted = std::min(Grid()->Columns(), rowBuffer.Count());
  for (int c = 0; c < pasted; ++c) Grid()->Cells().GetItem(c, row).text = rowBuffer.texts.data[c];
  Redraw();
}

void TWinDirectTable::CellContextMenu(int column, int row) {
  if (Grid() == nullptr) return;
  TPopupMenu menu;
  menu.AppendMenu(MF_STRING, kCmInsertRow, "&Insert");
  menu.AppendMenu(MF_STRING, kCmAddRow, "&Add");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, kCmCutRow, "Cu&t");
  menu.AppendMenu(MF_STRING, kCmCopyRow, "&Copy");
  menu.AppendMenu(MF_STRING | (rowBuffer.IsEmpty() ? MF_GRAYED : 0), kCmPasteRow, "&Paste");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, kCmDeleteRow, "&Delete");
  long scrollX = 0;
  long scrollY = 0;
  Grid()->ScrollPosition(scrollX, scrollY);
  const POINT origin = Grid()->GetCellOrigin(column, row);
  const SIZE size = Grid()->GetCellSize(column, row);
  POINT centre{origin.x - static_cast<int>(scrollX) + size.cx / 2, origin.y - static_cast<int>(scrollY) + size.cy / 2};
  Grid()->ClientToScreen(centre);
  menu.TrackPopupMenu(TPM_RIGHTBUTTON, centre, 0, GetHandle());
}
