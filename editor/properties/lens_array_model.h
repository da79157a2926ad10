#pragma once
// The lens arrays page's table without its window: one row per lens-array zone (captioned
// "surface.zone") and a last row for a new one. A surface number typed into the new row
// gives that surface a zone of the default lattice; an emptied surface cell removes its
// zone. Each zone shows its surface, its packing, the lattice periods and the lenslets' clear widths,
// the number of cells across the zone (of a rectangular packing within limits along y and
// z), the lenslet's type and first coefficients, and the depth of the lenslets.

#include "editor/properties/grid_page_model.h"

enum TLensArrayColumn : int {
  kZoneSurfaceColumn = 0,
  kPackingColumn = 1,
  kPeriod1Column = 2,
  kPeriod2Column = 3,
  kWidth1Column = 4,
  kWidth2Column = 5,
  kCellsYColumn = 6,
  kCellsZColumn = 7,
  kLensletColumn = 8,
  kFirstLensletCoefColumn = 9,
  kLensletDepthColumn = 12,
  kLensArrayColumnCount = 13,
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
