#pragma once
// The two tables of the merit-function editor: the beams (number, Y, Z, weight) and the
// functions (name, required value, weight). Each is a grid of edit cells under a header of
// column captions, with a column of row captions; the dialog moves its page's numbers into
// the cells and back. They take no cell context menu (no insert, cut or paste of rows).

#include <string>
#include <vector>

#include "platform/gui/windows/window.h"

class TEdit;
class TStatic;

class TCellGrid : public TWindow {
 public:
  static constexpr int kRowHeight = 21;

  // A child of the dialog at (x, y): a row-caption column of the given width, then
  // `columns` cells of columnWidth, under a header row.
  TCellGrid(TWindow *owner, int id, int left, int top, int columns, int rows, int rowCaptionWidth, int columnWidth);

  void SetupWindow() override;
  // Captions are kept and shown once the grid exists.
  void SetColumnCaption(int column, const char *text);  // -1: the row-caption column
  void SetRowCaption(int row, const std::string &text);
  void SetCell(int column, int row, const std::string &text);
  std::string GetCell(int column, int row);
  int Columns() const { return columns; }
  int Rows() const { return rows; }

 private:
  int columns, rows;
  std::vector<TStatic *> headers;      // columns + 1, the row-caption column first
  std::vector<TStatic *> rowCaptions;  // rows
  std::vector<TEdit *> cells;          // row by row
  std::vector<std::string> headerTexts, rowTexts;
};

// " N ", " Y beam ", " Z beam ", " Weight " over ten beams.
class TBeamsTable final : public TCellGrid {
 public:
  TBeamsTable(TWindow *owner, int id, int left, int top);
};

// "Required" and "Weight" of the eight kinds of function.
class TFunctionsTable final : public TCellGrid {
 public:
  TFunctionsTable(TWindow *owner, int id, int left, int top);
};
