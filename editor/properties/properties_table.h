#pragma once
// TPropertiesTable: the table every page of the system's properties shows its values in: a
// bound table (TWinDirectTable) whose columns and row captions are bound to arrays of texts
// the page fills from the system, with read-only cells drawn grey. A value the user typed
// is handed on when the cell is left (another cell chosen, Enter or Tab), after the key or
// click that left it is done with, so the handler may refill the table. The rows follow
// the system's lists; the right button offers the cell's edit menu, not row commands.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/containers/string_class.h"
#include "toolkit/tables/win_direct_table.h"

class TPropertiesTable : public TWinDirectTable {
 public:
  // Posted to the table itself: hand on the cells typed into.
  static constexpr UINT kCommitMessage = WM_USER + 61;

  // Over the page's placeholder control; columns of the given captions and widths (in
  // average characters), a row-caption column of rowCaptionWidth characters.
  TPropertiesTable(TWindow *page, int placeholderControl, const std::vector<std::string> &captions,
                   const std::vector<int> &widths, int rowCaptionWidth);
  ~TPropertiesTable() override;

  void SetupWindow() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CellSelected(int column, int row) override;
  void CellKey(UINT key, int column, int row) override;
  void CellContextMenu(int column, int row) override;
  void GetCellColors(int column, int row, const char *text, COLORREF &textColor, COLORREF &backColor) override;

  // Makes the table `rows` rows long (captions beside them) and drops pending edits.
  void SetRows(const std::vector<std::string> &captions);
  // A cell's text and whether the user may type into it (the editor over the current cell
  // follows at once).
  void SetCell(int column, int row, const std::string &text, bool editable);
  std::string CellText(int column, int row);
  int RowCount();
  // Hands on every cell typed into since the last time, in row order.
  void CommitEdits();

  // Called with a cell's new text; the handler refills the table as the system now is.
  std::function<void(int column, int row, const std::string &text)> cellEdited;

 private:
  // The bound arrays hold at least `wanted` texts (grown and bound again when needed).
  void Reserve(int wanted);

  std::vector<std::string> columnCaptions;
  std::vector<std::string> formats;  // "%<width>s" of each column, then the row captions'
  int capacity = 0;
  std::vector<std::unique_ptr<STRING[]>> texts;  // one array per column
  std::unique_ptr<STRING[]> rowCaptions;
  bool commitPosted = false;
};
