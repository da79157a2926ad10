#pragma once
// The lens arrays page's table without its window: one row per lens-array zone (captioned
// "surface.zone"), with its packing, the lattice periods and the lenslets' clear widths,
// the number of cells across the zone (of a rectangular packing within limits along y and
// z), the lenslet's type and first coefficients, and the depth of the lenslets.

#include "editor/properties/grid_page_model.h"

enum TLensArrayColumn : int {
  kPackingColumn = 0,
  kPeriod1Column = 1,
  kPeriod2Column = 2,
  kWidth1Column = 3,
  kWidth2Column = 4,
  kCellsYColumn = 5,
  kCellsZColumn = 6,
  kLensletColumn = 7,
  kFirstLensletCoefColumn = 8,
  kLensletDepthColumn = 11,
  kLensArrayColumnCount = 12,
};

class TLensArrayModel final : public TGridPageModel {
 public:
  std::vector<std::string> ColumnCaptions() const override;
  std::vector<int> ColumnWidths() const override;
  std::vector<std::string> RowCaptions(const TOpticalSystem &system) const override;
  std::string CellText(const TOpticalSystem &system, int row, int column) const override;
  bool CellEditable(const TOpticalSystem &system, int row, int column) const override;
  TPropertyEdit EditCell(TSystemImage &system, int row, int column, const std::string &text) const override;
  std::string Legend() const override;
};
