#pragma once
// The holograms page's table without its window: one row per surface; a holographic
// surface shows its normalisation radius, design wavelength, diffraction order, level
// count and phase coefficients c0, c1, ... (path lengths at the design wavelength over the
// powers (r / radius)^2, (r / radius)^4, ...). "yes" in the first column makes a surface
// holographic, "no" makes it plain again.

#include "editor/properties/grid_page_model.h"

enum THoeColumn : int {
  kHologramColumn = 0,
  kNormRadiusColumn = 1,
  kDesignWavelengthColumn = 2,
  kOrderColumn = 3,
  kLevelsColumn = 4,
  kFirstPhaseColumn = 5,
};
// Phase coefficients the table shows.
constexpr int kShownPhaseTerms = 10;

class THoeModel final : public TGridPageModel {
 public:
  std::vector<std::string> ColumnCaptions() const override;
  std::vector<int> ColumnWidths() const override;
  std::vector<std::string> RowCaptions(const TOpticalSystem &system) const override;
  std::string CellText(const TOpticalSystem &system, int row, int column) const override;
  bool CellEditable(const TOpticalSystem &system, int row, int column) const override;
  TPropertyEdit EditCell(TSystemImage &system, int row, int column, const std::string &text) const override;
  std::string Legend() const override;
};
