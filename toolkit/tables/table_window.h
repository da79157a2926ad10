#pragma once
// TTableWindow: the spreadsheet-like table control placed over a placeholder control of a
// dialog: a column header along the top, a row header along the left and the grid of cells,
// kept in step when the grid scrolls (TTableScroller). Derived tables customise it through
// the hooks below.

#include <string>

#include "platform/gui/windows/scroller.h"
#include "platform/gui/windows/window.h"

class TFont;
class TTableHeader;
class TWinTableEdit;

class TTableWindow : public TWindow {
 public:
  // font: the cells' font, handed to the grid, which deletes it.
  TTableWindow(TWindow *parentDialog, int controlId, int columnCount, int rowCount, TFont *font);
  ~TTableWindow() override;

  void SetupWindow() override;
  void Paint(TDC &dc, bool erase, RECT &rect) override;
  bool Find(TEventInfo &info) override;

  // Hooks.
  virtual void ScrollHeaders(long x, long y);
  virtual void CellChanged() {}
  virtual void CellLeftClick(int, int) {}
  virtual void CellContextMenu(int column, int row);
  virtual void CellDoubleClick(int, int) {}
  virtual void CellKey(UINT, int, int) {}
  virtual void CellSelected(int, int) {}
  virtual void GetCellColors(int, int, const char *, COLORREF &, COLORREF &) {}
  virtual void GetColumnLineColors(int, COLORREF &, COLORREF &) {}
  virtual void GetRowLineColors(int, COLORREF &, COLORREF &) {}

  void SetHeaderHeight(int height);
  void SetRowHeaderWidth(int width);
  int HeaderHeight() const { return headerHeight; }
  int RowHeaderWidth() const { return rowHeaderWidth; }
  void Redraw();
  void RedrawCells(int column1, int row1, int column2, int row2);
  void RedrawCell(int column, int row) { RedrawCells(column, row, column, row); }

  int AppendColumn(const char *caption = nullptr);
  int AppendRow(const char *caption = nullptr);
  int InsertColumn(int column, const char *caption = nullptr);
  int InsertRow(int row, const char *caption = nullptr);
  int InsertRowCopy(int row, int source, const char *caption = nullptr);
  int DeleteColumn(int column);
  int DeleteRow(int row);

  RECT GetGridRect() const;
  void SetTitle(const char *text) { secondTitle = text != nullptr ? text : ""; }
  void SetCornerTitle(const char *text) { cornerTitle = text != nullptr ? text : ""; }
  void SetOwnerWindow(TWindow *window) { owner = window; }
  TWindow *OwnerWindow() const { return owner; }

  TWinTableEdit *Grid() const { return grid; }
  TTableHeader *ColumnHeader() const { return columnHeader; }
  TTableHeader *RowHeader() const { return rowHeader; }
  TFont *CellFont() const { return cellFont; }
  int InitialColumns() const { return columns; }
  int InitialRows() const { return rows; }

  void EvSize(UINT sizeType, const SIZE &size);

 protected:
  void Layout();

 private:
  SIZE lastClient{-1, -1};
  TWinTableEdit *grid = nullptr;
  int rowHeaderWidth = 0;
  int headerHeight = 0;
  TTableHeader *columnHeader = nullptr;
  TTableHeader *rowHeader = nullptr;
  std::string cornerTitle;
  int columns;
  int rows;
  TFont *cellFont;
  TWindow *owner;
  std::string secondTitle;
};

// The grid's scroller: after scrolling it moves the table's headers by the same amount.
class TTableScroller : public TScroller {
 public:
  TTableScroller(TWinTableEdit *gridWindow, int xUnit, int yUnit, long xRange, long yRange);
  void ScrollTo(long x, long y) override;

 private:
  TWinTableEdit *grid;
};
