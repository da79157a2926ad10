#include "toolkit/tables/win_table_edit.h"

#include <algorithm>
#include <numeric>

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_window.h"

namespace {

// Editor ids come from one counter for every grid.
int gNextEditorId = 1000;
// A content width within this many pixels of the client width is fitted to it exactly.
constexpr int kFitSlack = 8;
// The grid's id in its table.
constexpr int kGridId = 200;
// Re-entry guard of the scroll-range update, shared by every grid.
bool gUpdatingRanges = false;

}  // namespace

TWinTableEdit::TWinTableEdit(TTableWindow *ownerTable, int columns, int rows, TFont *font)
    : TWindow(ownerTable),
      owner(ownerTable),
      cells(std::make_unique<TStringTable>(columns, rows)),
      rowHeights(static_cast<std::size_t>(std::max(rows, 0)), kDefaultRowHeight),
      columnWidths(static_cast<std::size_t>(std::max(columns, 0)), kDefaultColumnWidth),
      alignments(static_cast<std::size_t>(std::max(columns, 0)), 1),
      normalText(GetSysColor(COLOR_WINDOWTEXT)),
      normalBack(GetSysColor(COLOR_WINDOW)),
      markedText(GetSysColor(COLOR_HIGHLIGHTTEXT)),
      markedBack(GetSysColor(COLOR_HIGHLIGHT)),
      cellFont(font) {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL;
  Attr.Id = kGridId;
  RecomputeContent();
  Scroller = new TTableScroller(this, 1, 1, 1, 1);
  Scroller->AutoOrg = false;
}

TWinTableEdit::~TWinTableEdit() { delete cellFont; }

void TWinTableEdit::SetupWindow() {
  TWindow::SetupWindow();
  SetBkgndColor(normalBack);
  TClientDC dc(*this);
  if (cellFont != nullptr) dc.SelectObject(*cellFont);
  TEXTMETRIC metrics{};
  if (dc.GetTextMetrics(metrics)) {
    lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    charWidth = (metrics.tmAveCharWidth + metrics.tmMaxCharWidth) / 2;
  }
  currentText = 0x000080;
  currentBack = 0xFFFF00;
}

void TWinTableEdit::SetColors(COLORREF text, COLORREF back) {
  normalText = text;
  normalBack = back;
  if (IsWindow()) SetBkgndColor(back);
  Invalidate();
}
void TWinTableEdit::SetMarkedColors(COLORREF text, COLORREF back) {
  markedText = text;
  markedBack = back;
}
void TWinTableEdit::SetSelectionColors(COLORREF text, COLORREF back) {
  currentText = text;
  currentBack = back;
}

SIZE TWinTableEdit::GetCellSize(int column, int row) const {
  if (column < 0 || row < 0 || column >= Columns() || row >= Rows()) return {0, 0};
  return {columnWidths[static_cast<std::size_t>(column)], rowHeights[static_cast<std::size_t>(row)]};
}

POINT TWinTableEdit::GetCellOrigin(int column, int row) const {
  const auto columnEnd = columnWidths.begin() + std::clamp(column, 0, Columns());
  const auto rowEnd = rowHeights.begin() + std::clamp(row, 0, Rows());
  return {std::accumulate(columnWidths.begin(), columnEnd, 0), std::accumulate(rowHeights.begin(), rowEnd, 0)};
}

POINT TWinTableEdit::HitTest(POINT contentPoint) const {
  POINT cell{std::max(Columns() - 1, 0), std::max(Rows() - 1, 0)};
  int edge = 0;
  for (int r = 0; r < Rows(); ++r) {
    edge += rowHeights[static_cast<std::size_t>(r)];
    if (edge > contentPoint.y) {
      cell.y = r;
      break;
    }
  }
  edge = 0;
  for (int c = 0; c < Columns(); ++c) {
    edge += columnWidths[static_cast<std::size_t>(c)];
    if (edge > contentPoint.x) {
      cell.x = c;
      break;
    }
  }
  return cell;
}

void TWinTableEdit::RecomputeContent() {
  contentWidth = std::accumulate(columnWidths.begin(), columnWidths.end(), 0);
  contentHeight = std::accumulate(rowHeights.begin(), rowHeights.end(), 0);
}

void TWinTableEdit::SetAllRowHeights(int rowHeight) {
  std::fill(rowHeights.begin(), rowHeights.end(), rowHeight);
  RecomputeContent();
}
void TWinTableEdit::SetAllColumnWidths(int columnWidth) {
  std::fill(columnWidths.begin(), columnWidths.end(), columnWidth);
  RecomputeContent();
}
void TWinTableEdit::SetRowHeight(int row, int rowHeight) {
  if (row >= 0 && row < Rows()) rowHeights[static_cast<std::size_t>(row)] = rowHeight;
  RecomputeContent();
}
void TWinTableEdit::SetColumnWidth(int column, int columnWidth) {
  if (column >= 0 && column < Columns()) columnWidths[static_cast<std::size_t>(column)] = columnWidth;
  RecomputeContent();
}
void TWinTableEdit::SetAllAlignment(int alignment) { std::fill(alignments.begin(), alignments.end(), alignment); }

void TWinTableEdit::SetAllCellFlag(std::uint16_t bit, bool set) {
  for (int r = 0; r < Rows(); ++r)
    for (int c = 0; c < Columns(); ++c) set ? cells->SetFlags(c, r, bit) : cells->ClearFlags(c, r, bit);
}
void TWinTableEdit::SetRowReadOnly(int row, bool set) {
  for (int c = 0; row >= 0 && row < Rows() && c < Columns(); ++c)
    set ? cells->SetFlags(c, row, kCellReadOnly) : cells->ClearFlags(c, row, kCellReadOnly);
}
void TWinTableEdit::SetColumnReadOnly(int column, bool set) {
  for (int r = 0; column >= 0 && column < Columns() && r < Rows(); ++r)
    set ? cells->SetFlags(column, r, kCellReadOnly) : cells->ClearFlags(column, r, kCellReadOnly);
}
void TWinTableEdit::SetRowMarked(int row, bool set) {
  for (int c = 0; row >= 0 && row < Rows() && c < Columns(); ++c)
    set ? cells->SetFlags(c, row, kCellMarked) : cells->ClearFlags(c, row, kCellMarked);
}
void TWinTableEdit::SetColumnMarked(int column, bool set) {
  for (int r = 0; column >= 0 && column < Columns() && r < Rows(); ++r)
    set ? cells->SetFlags(column, r, kCellMarked) : cells->ClearFlags(column, r, kCellMarked);
}

void TWinTableEdit::ClearAll() {
  for (int i = 0; i < cells->Count(); ++i) {
    cells->GetItem(i).text.clear();
    cells->GetItem(i).flags = static_cast<std::uint16_t>(cells->GetItem(i).flags & ~kCellMarked);
  }
}

void TWinTableEdit::ClearRange(int column1, int row1, int column2, int row2) {
  for (int r = std::max(row1, 0); r < std::min(row2, Rows()); ++r)
    for (int c = std::max(column1, 0); c < std::min(column2, Columns()); ++c) cells->GetItem(c, r).text.clear();
}

int TWinTableEdit::AppendColumn() {
  const int result = cells->AppendColumn();
  columnWidths.push_back(kDefaultColumnWidth);
  alignments.push_back(1);
  RecomputeContent();
  return result;
}
int TWinTableEdit::AppendRow() {
  const int result = cells->AppendRow();
  rowHeights.push_back(kDefaultRowHeight);
  RecomputeContent();
  return result;
}
int TWinTableEdit::InsertColumn(int column) {
  if (cells->InsertColumn(column) == 0) return 0;
  columnWidths.insert(columnWidths.begin() + column, kDefaultColumnWidth);
  alignments.insert(alignments.begin() + column, 1);
  RecomputeContent();
  return 1;
}
int TWinTableEdit::InsertRow(int row) {
  if (cells->InsertRow(row) == 0) return 0;
  rowHeights.insert(rowHeights.begin() + row, kDefaultRowHeight);
  RecomputeContent();
  return 1;
}
int TWinTableEdit::InsertRowCopy(int row, int source) {
  if (cells->InsertRowCopy(row, source) == 0) return 0;
  rowHeights.insert(rowHeights.begin() + row, kDefaultRowHeight);
  RecomputeContent();
  return 1;
}
int TWinTableEdit::DeleteColumn(int column) {
  if (cells->DeleteColumn(column) == 0) return 0;
  columnWidths.erase(columnWidths.begin() + column);
  alignments.erase(alignments.begin() + column);
  if (currentColumn >= Columns() && currentColumn > 0) --currentColumn;
  RecomputeContent();
  return 1;
}
int TWinTableEdit::DeleteRow(int row) {
  if (cells->DeleteRow(row) == 0) return 0;
  rowHeights.erase(rowHeights.begin() + row);
  if (currentRow >= Rows() && currentRow > 0) --currentRow;
  RecomputeContent();
  return 1;
}
void TWinTableEdit::SetColumnCount(int count) {
  while (Columns() < count) AppendColumn();
  while (Columns() > std::max(count, 0)) DeleteColumn(Columns() - 1);
}
void TWinTableEdit::SetRowCount(int count) {
  while (Rows() < count) AppendRow();
  while (Rows() > std::max(count, 0)) DeleteRow(Rows() - 1);
}

void TWinTableEdit::ScrollPosition(long &scrollX, long &scrollY) const {
  scrollX = Scroller != nullptr ? Scroller->XPos : 0;
  scrollY = Scroller != nullptr ? Scroller->YPos : 0;
}

RECT TWinTableEdit::CellRectInClient(int column, int row) const {
  long scrollX = 0;
  long scrollY = 0;
  ScrollPosition(scrollX, scrollY);
  const POINT origin = GetCellOrigin(column, row);
  const SIZE size = GetCellSize(column, row);
  const int left = origin.x - static_cast<int>(scrollX);
  const int top = origin.y - static_cast<int>(scrollY);
  return {left, top, left + size.cx, top + size.cy};
}

POINT TWinTableEdit::ScrollToShow(int column, int row) const {
  const RECT cell = CellRectInClient(column, row);
  const RECT client = GetClientRect();
  long dx = 0;
  long dy = 0;
  if (cell.right > client.right) dx = cell.right - client.right;
  if (cell.left - dx < 0) dx = cell.left;
  if (cell.bottom > client.bottom) dy = cell.bottom - client.bottom;
  if (cell.top - dy < 0) dy = cell.top;
  return POINT{static_cast<LONG>(dx), static_cast<LONG>(dy)};
}

void TWinTableEdit::ShowCurrentCell() {
  if (Rows() == 0 || Columns() == 0) return;
  const POINT scroll = ScrollToShow(currentColumn, currentRow);
  if ((scroll.x != 0 || scroll.y != 0) && Scroller != nullptr) Scroller->ScrollBy(scroll.x, scroll.y);
  PlaceEditor();
}

int TWinTableEdit::IsCellVisible(int column, int row) const {
  const RECT cell = CellRectInClient(column, row);
  const RECT client = GetClientRect();
  return cell.left >= 0 && cell.top >= 0 && cell.right <= client.right && cell.bottom <= client.bottom ? 1 : 0;
}

void TWinTableEdit::MakeEditor(const char *text) {
  const int alignment = Columns() > 0 ? alignments[static_cast<std::size_t>(currentColumn)] : 1;
  editor = new TCellEdit(this, editorId, text, alignment);
  editor->Create();
  if (cellFont != nullptr) editor->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(*cellFont)), 0);
}

void TWinTableEdit::LoadEditor() {
  if (editor == nullptr || Rows() == 0 || Columns() == 0) return;
  const TStringTable::Item &item = cells->GetItem(currentColumn, currentRow);
  int start = 0;
  int end = 0;
  editor->GetSelection(start, end);
  editor->SetWindowText(item.text);
  editor->ClearModify();
  editor->readOnly = (item.flags & kCellReadOnly) != 0 ? 1 : 0;
  // A selected cell shows its new text selected whole; one edited in place keeps its caret.
  if (editor->EditingInPlace())
    editor->SetSelection(start, end);
  else
    editor->SelectCell();
}

void TWinTableEdit::PlaceEditor() {
  if (editor == nullptr || !editor->IsWindow() || Rows() == 0 || Columns() == 0) return;
  const RECT cell = CellRectInClient(currentColumn, currentRow);
  const int textHeight = std::min(lineHeight, static_cast<int>(cell.bottom - cell.top));
  editor->MoveWindow(cell.left + 2, cell.top + (cell.bottom - cell.top - textHeight) / 2,
                     std::max(static_cast<int>(cell.right - cell.left) - 4, 1), textHeight + 2, true);
}

int TWinTableEdit::SetCurrentCell(int column, int row) {
  if (Rows() == 0 || Columns() == 0) return 0;
  column = std::clamp(column, 0, Columns() - 1);
  row = std::clamp(row, 0, Rows() - 1);
  if (editor == nullptr) {
    editorId = gNextEditorId++;
    currentColumn = column;
    currentRow = row;
    MakeEditor(cells->GetItem(column, row).text.c_str());
    LoadEditor();
    PlaceEditor();
    return 1;
  }
  if (!editor->CanClose()) return 0;
  CommitEditor();
  const bool alignmentChanges = alignments[static_cast<std::size_t>(column)] != alignments[static_cast<std::size_t>(currentColumn)];
  const bool changes = column != currentColumn || row != currentRow;
  // Scroll so that the target cell is wholly visible.
  const POINT scroll = ScrollToShow(column, row);
  const long dx = scroll.x;
  const long dy = scroll.y;
  const int oldColumn = currentColumn;
  const int oldRow = currentRow;
  currentColumn = column;
  currentRow = row;
  if (alignmentChanges) {
    const bool hadFocus = ::GetFocus() == editor->GetHandle();
    // The old editor may be the one whose key asked for the move: it goes once that
    // message is done with.
    editor->DestroyAndDelete();
    editor = nullptr;
    MakeEditor(cells->GetItem(column, row).text.c_str());
    if (hadFocus) editor->SetFocus();
  }
  if ((dx != 0 || dy != 0) && Scroller != nullptr) Scroller->ScrollBy(dx, dy);
  if (changes) {
    // A cell moved to is selected whole: typing replaces its text.
    editor->SelectCell();
    LoadEditor();
    RedrawCells(oldColumn, oldRow, oldColumn, oldRow);
    owner->CellSelected(column, row);
  }
  PlaceEditor();
  RedrawCells(column, row, column, row);
  return 1;
}

void TWinTableEdit::CommitEditor() {
  if (editor == nullptr || !editor->IsWindow() || !editor->IsModified() || Rows() == 0 || Columns() == 0) return;
  char text[TCellEdit::kTextLimit];
  editor->GetText(text, sizeof text);
  TStringTable::Item &item = cells->GetItem(currentColumn, currentRow);
  item.text = text;
  item.flags |= kCellEdited;
  editor->ClearModify();
}

void TWinTableEdit::CancelEditor() {
  if (editor == nullptr || !editor->IsWindow()) return;
  editor->SelectCell();
  LoadEditor();
  RedrawCells(currentColumn, currentRow, currentColumn, currentRow);
}

void TWinTableEdit::Refresh() {
  if (editor != nullptr && !editor->IsModified()) LoadEditor();
  RecomputeContent();
  FitWidths();
  UpdateScrollRanges();
  PlaceEditor();
  Invalidate();
}

void TWinTableEdit::FitWidths() {
  const int client = static_cast<int>(GetClientRect().right);
  int remaining = client - contentWidth;
  if (Columns() == 0 || remaining == 0 || remaining <= -kFitSlack || remaining >= kFitSlack) return;
  const int n = Columns();
  for (int k = 0; k < n; ++k) {
    const int share = remaining / (n - k);
    columnWidths[static_cast<std::size_t>(k)] += share;
    remaining -= share;
  }
  RecomputeContent();
}

void TWinTableEdit::RedrawCells(int column1, int row1, int column2, int row2) {
  if (editor != nullptr && !editor->IsModified() && currentColumn >= column1 && currentColumn <= column2 &&
      currentRow >= row1 && currentRow <= row2)
    LoadEditor();
  if (!IsWindow()) return;
  const RECT first = CellRectInClient(column1, row1);
  const RECT last = CellRectInClient(column2, row2);
  InvalidateRect(RECT{first.left, first.top, last.right + 1, last.bottom + 1}, false);
  UpdateWindow();
}

void TWinTableEdit::UpdateScrollRanges() {
  if (gUpdatingRanges || Scroller == nullptr || !IsWindow()) return;
  gUpdatingRanges = true;
  const RECT client = GetClientRect();
  long xRange = std::max(0L, static_cast<long>(contentWidth - client.right));
  long yRange = std::max(0L, static_cast<long>(contentHeight - client.bottom));
  const bool hadRange = Scroller->XRange > 0 || Scroller->YRange > 0;
  // Bars that only take the room they would free are dropped.
  if (hadRange && xRange <= GetSystemMetrics(SM_CYHSCROLL) && yRange <= GetSystemMetrics(SM_CXVSCROLL)) {
    xRange = 0;
    yRange = 0;
  }
  const long oldX = Scroller->XRange;
  const long oldY = Scroller->YRange;
  const long newX = oldX > 0 ? xRange * Scroller->XPos / oldX : 0;
  const long newY = oldY > 0 ? yRange * Scroller->YPos / oldY : 0;
  Scroller->SetRange(xRange, yRange);
  Scroller->XLine = hScrollStep;
  Scroller->YLine = vScrollStep;
  Scroller->ScrollTo(newX, newY);
  gUpdatingRanges = false;
}

void TWinTableEdit::PaintDottedLine(TDC &dc, int x0, int y0, int x1, int y1, COLORREF first, COLORREF second) {
  int k = 0;
  for (int px = x0, py = y0; px <= x1 && py <= y1; px += x1 > x0 ? 1 : 0, py += y1 > y0 ? 1 : 0, ++k) {
    dc.SetPixel(px, py, (k & 1) == 0 ? first : second);
    if (x0 == x1 && y0 == y1) break;
  }
}

void TWinTableEdit::Paint(TDC &dc, bool, RECT &rect) {
  if (cellFont != nullptr) dc.SelectObject(*cellFont);
  TBrush backBrush(normalBack);
  dc.FillRect(rect, backBrush);
  long scrollX = 0;
  long scrollY = 0;
  ScrollPosition(scrollX, scrollY);
  dc.SetBkMode(TRANSPARENT);
  for (int r = 0; r < Rows(); ++r) {
    for (int c = 0; c < Columns(); ++c) {
      const RECT cell = CellRectInClient(c, r);
      if (cell.right < rect.left || cell.left > rect.right || cell.bottom < rect.top || cell.top > rect.bottom) continue;
      const TStringTable::Item &item = cells->GetItem(c, r);
      const bool marked = (item.flags & kCellMarked) != 0;
      COLORREF text = marked ? markedText : normalText;
      COLORREF back = marked ? markedBack : normalBack;
      owner->GetCellColors(c, r, item.text.c_str(), text, back);
      const bool isCurrent = c == currentColumn && r == currentRow;
      if (isCurrent) {
        back = marked && currentBack == normalBack ? markedBack : currentBack;
        text = currentText;
      }
      TBrush fill(back);
      dc.FillRect(RECT{cell.left + 1, cell.top + 1, cell.right, cell.bottom}, fill);
      if (isCurrent) {
        const int x0 = cell.left + 1;
        const int y0 = cell.top + 1;
        const int x1 = cell.right - 1;
        const int y1 = cell.bottom - 1;
        PaintDottedLine(dc, x0, y0, x1, y0, focusFrame, back);
        PaintDottedLine(dc, x0, y1, x1, y1, focusFrame, back);
        PaintDottedLine(dc, x0, y0, x0, y1, focusFrame, back);
        PaintDottedLine(dc, x1, y0, x1, y1, focusFrame, back);
      }
      RECT textRect{cell.left + 3, cell.top + 2, cell.right - 3, cell.bottom - 2};
      static constexpr UINT kAlign[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
      dc.SetTextColor(text);
      dc.DrawText(item.text.c_str(), -1, textRect,
                  kAlign[std::clamp(alignments[static_cast<std::size_t>(c)], 0, 2)] | DT_SINGLELINE | DT_VCENTER);
    }
  }
  const int right = contentWidth - static_cast<int>(scrollX);
  const int bottom = contentHeight - static_cast<int>(scrollY);
  for (int r = 0; r < Rows(); ++r) {
    COLORREF first = 0;
    COLORREF second = normalBack;
    owner->GetRowLineColors(r, first, second);
    const int lineY = CellRectInClient(0, r).top;
    PaintDottedLine(dc, -static_cast<int>(scrollX), lineY, right, lineY, first, second);
  }
  for (int c = 0; c < Columns(); ++c) {
    COLORREF first = 0;
    COLORREF second = normalBack;
    owner->GetColumnLineColors(c, first, second);
    const int lineX = CellRectInClient(c, 0).left;
    PaintDottedLine(dc, lineX, -static_cast<int>(scrollY), lineX, bottom, first, second);
  }
  dc.RestoreObjects();
}

HBRUSH TWinTableEdit::EditorColors(HDC dcHandle) {
  TDC *dc = TDC::FromHandle(dcHandle);
  COLORREF text = normalText;
  COLORREF back = normalBack;
  if (currentBack != normalBack) {
    text = currentText;
    back = currentBack;
  } else if (Rows() > 0 && Columns() > 0) {
    const TStringTable::Item &item = cells->GetItem(currentColumn, currentRow);
    if ((item.flags & kCellMarked) != 0) {
      text = markedText;
      back = markedBack;
    } else {
      owner->GetCellColors(currentColumn, currentRow, item.text.c_str(), text, back);
      back = normalBack;
    }
  }
  if (dc != nullptr) {
    dc->SetTextColor(text);
    dc->SetBkColor(back);
  }
  editorBrush = std::make_unique<TBrush>(back);
  return *editorBrush;
}

void TWinTableEdit::Pressed(POINT clientPoint, bool right) {
  long scrollX = 0;
  long scrollY = 0;
  ScrollPosition(scrollX, scrollY);
  const POINT cell = HitTest({clientPoint.x + static_cast<int>(scrollX), clientPoint.y + static_cast<int>(scrollY)});
  SetCurrentCell(cell.x, cell.y);
  if (editor != nullptr) editor->SetFocus();
  if (right) owner->CellContextMenu(cell.x, cell.y);
  else owner->CellLeftClick(cell.x, cell.y);
}

LRESULT TWinTableEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      Pressed({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, msg == WM_RBUTTONDOWN);
      return 0;
    case WM_LBUTTONDBLCLK:
      // A double click beside the editor's text edits the cell in place too.
      Pressed({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, false);
      if (editor != nullptr && editor->readOnly == 0) {
        owner->CellDoubleClick(currentColumn, currentRow);
        editor->EditInPlace();
      }
      return 0;
    case WM_SIZE: {
      const LRESULT result = TWindow::WindowProc(msg, wParam, lParam);
      UpdateScrollRanges();
      PlaceEditor();
      return result;
    }
    case WM_SETFOCUS:
      if (editor != nullptr && editor->IsWindow()) editor->SetFocus();
      return 0;
    case WM_KEYDOWN:
    case WM_CHAR:
      if (editor != nullptr && editor->IsWindow()) {
        editor->SetFocus();
        return editor->SendMessage(msg, wParam, lParam);
      }
      break;
    case WM_ERASEBKGND: return 1;
    case WM_CTLCOLOREDIT: return reinterpret_cast<LRESULT>(EditorColors(reinterpret_cast<HDC>(wParam)));
    default: break;
  }
  return TWindow::WindowProc(msg, wParam, lParam);
}
