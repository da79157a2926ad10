#pragma once
// TPropertiesTable: the table every page of the system's properties shows its values in: a
// column of row captions, captioned columns of cells, read-only cells drawn grey. A value
// the user typed is handed on when the cell is left (another cell chosen, Enter or Tab),
// after the key or click that left it is done with, so the handler may refill the table.

#include <functional>
#include <string>
#include <vector>

#include "toolkit/tables/table_window.h"

class TPropertiesTable : public TTableWindow {
 public:
  // Posted to the table itself: hand on the cells typed into.
  static constexpr UINT kCommitMessage = WM_USER + 61;

  // Over the page's placeholder control; columns of the given captions and widths (in
  // average characters), a row-caption column of rowCaptionWidth characters.
  TPropertiesTable(TWindow *page, int placeholderControl, const std::vector<std::string> &captions,
                   const std::vector<int> &widths, int rowCaptionWidth);

  void SetupWindow() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CellSelected(int column, int row) override;
  void CellKey(UINT key, int column, int row) override;
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
  void ApplyLayout();

  std::vector<std::string> columnCaptions;
  std::vector<int> columnWidths;
  int rowCaptionWidth;
  bool commitPosted = false;
};
