#pragma once
// TWinTableEdit: the cell area of a table. It owns the cell texts and flags, the row
// heights and column widths, the colours, the scroll position and one in-cell editor
// (TCellEdit) that always sits over the current cell; moving to another cell writes the
// editor's text back. User events go to the owning table's hooks.

#include <memory>
#include <vector>

#include "platform/gui/windows/window.h"
#include "toolkit/tables/table2.h"

class TCellEdit;
class TBrush;
class TFont;
class TTableWindow;

// Ids of the in-cell editor's commands.
constexpr int kCmCellUndo = 24321;
constexpr int kCmCellCut = 24322;
constexpr int kCmCellCopy = 24323;
constexpr int kCmCellPaste = 24324;
constexpr int kCmCellDelete = 24325;
constexpr int kCmCellClear = 24326;
constexpr int kCmCellSelectAll = 24329;
// The last column or row, for SetCurrentCell.
constexpr int kLastCell = 32767;
constexpr int kDefaultRowHeight = 30;
constexpr int kDefaultColumnWidth = 50;

class TWinTableEdit : public TWindow {
 public:
  // font: taken over (deleted with the grid).
  TWinTableEdit(TTableWindow *ownerTable, int columns, int rows, TFont *font);
  ~TWinTableEdit() override;

  void SetupWindow() override;
  void Paint(TDC &dc, bool erase, RECT &rect) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  TStringTable &Cells() { return *cells; }
  int Columns() const { return cells->Columns(); }
  int Rows() const { return cells->Rows(); }
  int CurrentColumn() const { return currentColumn; }
  int CurrentRow() const { return currentRow; }
  TCellEdit *Editor() const { return editor; }
  TTableWindow *Owner() const { return owner; }
  TFont *CellFont() const { return cellFont; }
  int ContentWidth() const { return contentWidth; }
  int ContentHeight() const { return contentHeight; }
  std::vector<int> &ColumnWidths() { return columnWidths; }
  std::vector<int> &RowHeights() { return rowHeights; }

  void SetColors(COLORREF text, COLORREF background);
  void SetMarkedColors(COLORREF text, COLORREF background);
  void SetSelectionColors(COLORREF text, COLORREF background);
  COLORREF NormalBackground() const { return normalBack; }

  SIZE GetCellSize(int column, int row) const;
  POINT GetCellOrigin(int column, int row) const;
  // The cell under a point in content coordinates (clamped to the last row and column).
  POINT HitTest(POINT contentPoint) const;

  void SetAllRowHeights(int height);
  void SetAllColumnWidths(int width);
  void SetRowHeight(int row, int height);
  void SetColumnWidth(int column, int width);
  void SetAllAlignment(int alignment);

  void SetAllCellFlag(std::uint16_t bit, bool set);
  void SetRowReadOnly(int row, bool set);
  void SetColumnReadOnly(int column, bool set);
  void SetAllMarked(bool set) { SetAllCellFlag(kCellMarked, set); }
  void SetRowMarked(int row, bool set);
  void SetColumnMarked(int column, bool set);
  void SetAllEdited() { SetAllCellFlag(kCellEdited, true); }
  void ClearAllEdited() { SetAllCellFlag(kCellEdited, false); }

  void ClearAll();
  void ClearRange(int column1, int row1, int column2, int row2);

  int AppendColumn();
  int AppendRow();
  int InsertColumn(int column);
  int InsertRow(int row);
  int InsertRowCopy(int row, int source);
  int DeleteColumn(int column);
  int DeleteRow(int row);
  void SetColumnCount(int count);
  void SetRowCount(int count);

  // Moves the editor to the cell (clamped); 0 when the editor would not be left.
  int SetCurrentCell(int column, int row);
  // A modified editor text goes into the current cell (its edited bit set).
  void CommitEditor();
  // The editor's typing is dropped: it shows the current cell's text again, selected whole.
  void CancelEditor();
  void Refresh();
  void RedrawCells(int column1, int row1, int column2, int row2);
  int IsCellVisible(int column, int row) const;
  // Scrolls the current cell as far into sight as it goes, the editor with it; the typing in
  // the editor stays where it is, uncommitted.
  void ShowCurrentCell();
  void UpdateScrollRanges();
  void ScrollPosition(long &x, long &y) const;
  // Puts the editor over the current cell at the current scroll position.
  void PlaceEditor();

  int hScrollStep = 1;
  int vScrollStep = 1;

 private:
  void MakeEditor(const char *text);
  void LoadEditor();
  void RecomputeContent();
  void FitWidths();
  RECT CellRectInClient(int column, int row) const;
  // The scroll that shows the cell wholly (its left and top edges first when it is larger
  // than the client).
  POINT ScrollToShow(int column, int row) const;
  void PaintDottedLine(TDC &dc, int x0, int y0, int x1, int y1, COLORREF first, COLORREF second);
  void Pressed(POINT clientPoint, bool right);
  // The editor's colours: the current cell's.
  HBRUSH EditorColors(HDC dc);

  TTableWindow *owner;
  std::unique_ptr<TStringTable> cells;
  std::vector<int> rowHeights;
  std::vector<int> columnWidths;
  std::vector<int> alignments;
  int contentWidth = 0;
  int contentHeight = 0;
  COLORREF normalText;
  COLORREF normalBack;
  COLORREF currentText = 0x000080;
  COLORREF currentBack = 0xFFFF00;
  COLORREF markedText;
  COLORREF markedBack;
  COLORREF focusFrame = 0x608FE0;
  int currentColumn = 0;
  int currentRow = 0;
  int editorId = 0;
  TCellEdit *editor = nullptr;
  TFont *cellFont;
  std::unique_ptr<TBrush> editorBrush;
  int lineHeight = 16;
  int charWidth = 7;
};
