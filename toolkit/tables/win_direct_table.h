#pragma once
// TWinDirectTable: a table whose cells are bound to arrays of the calling dialog. Each
// binding fills one column (type 256) or one row (type 512) from an array of numbers or
// texts; ValuesToCells formats the arrays into the cells, CellsToValues parses them back.
// A right-button menu inserts, appends, deletes, cuts, copies and pastes whole rows.

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/interfaces/toolkit_records.h"
#include "toolkit/tables/cell_value.h"
#include "toolkit/tables/string_buffer.h"
#include "toolkit/tables/table_window.h"

constexpr int kTableOfColumns = 256;
constexpr int kTableOfRows = 512;

constexpr int kCmInsertRow = 25310;
constexpr int kCmAddRow = 25311;
constexpr int kCmDeleteRow = 25312;
constexpr int kCmCutRow = 25313;
constexpr int kCmCopyRow = 25314;
constexpr int kCmPasteRow = 25315;

class TWinDirectTable : public TTableWindow {
 public:
  TWinDirectTable(TWindow *parentDialog, int controlId, int columnCount, int rowCount, int tableType, TFont *font);
  ~TWinDirectTable() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;
  void CellContextMenu(int column, int row) override;
  void GetCellColors(int column, int row, const char *text, COLORREF &textColor, COLORREF &background) override;

  // index -1 binds the captions. For type 64 (char buffers) bufferSize is the size of each
  // buffer (0: 128 bytes, the longest text a cell takes). 1, or 0 when nothing was bound.
  int BindCell(int index, const char *caption, void *values, int count, int type, const char *format, int width = 0,
               int bufferSize = 0);
  void SetShowZeros(int flag) { showZeros = flag; }
  void FitLayout(int headerHeight, int rowHeight);
  void ValuesToCells();
  // Cell texts into the arrays; 1 when every value was taken, 0 when some were refused: a
  // text that is not wholly a number, or a number the element cannot hold, leaves its
  // element as it was; the first such cell becomes current and a message names it.
  int CellsToValues();
  // "<column caption> in row <row caption>" of a cell, for messages.
  std::string CellName(int column, int row) const;
  void SetCellEnabled(const void *values, int element, int flag);
  void HighlightRow(int row);
  int IsRowHighlighted(int row) const;
  // Makes the table exactly `rows` rows long (row captions in step), for owners whose arrays
  // follow a list of changing length; kept rows keep their transfer flags, new ones take
  // part. The bound arrays must hold that many elements.
  void SetRowsInUse(int count);
  // Points the binding of oldValues at another array of count elements (an owner's array
  // that had to grow); 0 when no binding had oldValues.
  int RebindValues(const void *oldValues, void *newValues, int count);
  void SetTableSize(int width, int height);
  void SetTablePosition(int x, int y);

  void InsertRow();
  void AddRow();
  void DeleteRow();
  void CutRow();
  void CopyRow();
  void PasteRow();

  int RowsInUse() const { return rowsInUse; }
  int ColumnCount() const { return columnCount; }
  int BindingCount() const { return bindingCount; }
  const WinTableValueParameters &Binding(int i) const { return bindings.data[i]; }
  int CellEnabled(int column, int row) const;
  const TStringBuffer &RowBuffer() const { return rowBuffer; }

  COLORREF HighlightText;
  COLORREF HighlightBack;

 private:
  // The cell of element i of a binding, and whether it takes part in the transfers.
  POINT CellOf(const WinTableValueParameters &binding, int i) const;
  bool TakesPart(const WinTableValueParameters &binding, int i, bool captions) const;
  // Room for one more row in the array of the current column's binding.
  bool RowFits() const;
  void ResizeCellMap(int insertedAt);
  void EqualiseRowHeights();

  TStringBuffer rowBuffer;
  Mem<WinTableValueParameters> bindings;
  std::vector<std::size_t> bufferSizes;
  Mem<int> cellMap;  // cols = rows in use, rows = columns: flag of (c, r) at data[c * cols + r]
  Mem<int> highlightedRows;
  int tableType;
  int showZeros = 1;
  int rowsInUse;
  int columnCount;
  int bindingCount = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
