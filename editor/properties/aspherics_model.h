#pragma once
// The aspherics page's table without its window: one row per surface, with the surface's
// type and its shape coefficients (the aspheric terms, a torus's radii, a Fresnel
// surface's facet height). Radius and conic term of the plain shapes stay on the surfaces
// page; a type changed here carries over every term the new type can hold and names the
// ones it drops.

#include "editor/properties/grid_page_model.h"

// The columns: type, facet height, then the coefficients a0, a1, ...
enum TAsphericsColumn : int {
  kAsphericTypeColumn = 0,
  kFacetHeightColumn = 1,
  kFirstCoefficientColumn = 2,
};
// Coefficients the table shows; a surface may hold more, which stay as they are.
constexpr int kShownCoefficients = 10;

// The type code a text names: the code itself, or a type's name or a part of it that
// only one name holds (any case). -1 when none or several.
int ParseSurfaceType(const std::string &text);

class TAsphericsModel final : public TGridPageModel {
 public:
  std::vector<std::string> ColumnCaptions() const override;
  std::vector<int> ColumnWidths() const override;
  std::vector<std::string> RowCaptions(const TOpticalSystem &system) const override;
  std::string CellText(const TOpticalSystem &system, int row, int column) const override;
  bool CellEditable(const TOpticalSystem &system, int row, int column) const override;
  TPropertyEdit EditCell(TSystemImage &system, int row, int column, const std::string &text) const override;
  std::string Legend() const override;
};
