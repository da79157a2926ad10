#pragma once
// The bounds page's table without its window: one row per surface with its outer bound
// (round, square, ellipse or rectangle; semi-height, semi-width and centre) and its inner
// bound, the obscuration (its type, sizes and centre; a semi-height of 0 is none).

#include "editor/properties/grid_page_model.h"

enum TBoundsColumn : int {
  kOuterTypeColumn = 0,
  kOuterHeightColumn = 1,
  kOuterWidthColumn = 2,
  kOuterCentreYColumn = 3,
  kOuterCentreZColumn = 4,
  kInnerTypeColumn = 5,
  kInnerHeightColumn = 6,
  kInnerWidthColumn = 7,
  kInnerCentreYColumn = 8,
  kInnerCentreZColumn = 9,
  kBoundsColumnCount = 10,
};

// "round", "square", "ellipse", "rectangle"; "" for another code.
const char *BoundTypeText(int type);
// The code of a typed bound name (any case, or the code itself); -1 for none.
int ParseBoundType(const std::string &text);

class TBoundsModel final : public TGridPageModel {
 public:
  std::vector<std::string> ColumnCaptions() const override;
  std::vector<int> ColumnWidths() const override;
  std::vector<std::string> RowCaptions(const TOpticalSystem &system) const override;
  std::string CellText(const TOpticalSystem &system, int row, int column) const override;
  bool CellEditable(const TOpticalSystem &system, int row, int column) const override;
  TPropertyEdit EditCell(TSystemImage &system, int row, int column, const std::string &text) const override;
  std::string Legend() const override;
};
