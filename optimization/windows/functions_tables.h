#pragma once
// The two tables of the merit-function editor, bound to the arrays of its page: the beams
// (number, Y, Z, weight of ten beams) and the functions (name, required value, weight of
// eight kinds). Neither offers a cell context menu: no row is inserted, cut or pasted.

#include "foundation/containers/string_class.h"
#include "toolkit/tables/win_direct_table.h"

class TOptimizationFunctionsPage;

// Over the dialog's placeholder 12075: 3 columns by 10 rows in 6-point cells under an
// 8-point header; zero values show as empty cells.
class TBeamsTable final : public TWinDirectTable {
 public:
  TBeamsTable(TWindow *dialog, int placeholderId);
  ~TBeamsTable() override;
  void CellContextMenu(int, int) override {}
  // Binds the page's beam arrays and lays the table out (the window must exist).
  void Bind(TOptimizationFunctionsPage &page);
};

// Over the dialog's placeholder 201: 2 columns by 8 rows in 8-point cells.
class TFunctionsTable final : public TWinDirectTable {
 public:
  TFunctionsTable(TWindow *dialog, int placeholderId);
  ~TFunctionsTable() override;
  void CellContextMenu(int, int) override {}
  void Bind(TOptimizationFunctionsPage &page);

 private:
  STRING rowNames[8];
};
