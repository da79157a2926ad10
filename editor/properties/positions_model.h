#pragma once
// The positions page's table without its window: one row per surface with its vertex
// (global x along the axis of the first surface, y, z), its tilts about the three axes in
// degrees (global) and its decentre: the vertex's offset across the previous surface's
// axis. An edit moves or turns that one surface alone, about its own vertex. The values
// are those of the configuration shown; where the system has several, each configuration
// keeps where its elements stand (by their first surfaces), so a move of an element's first
// surface takes the element along in the configuration shown alone.

#include "editor/properties/grid_page_model.h"

enum TPositionsColumn : int {
  kVertexXColumn = 0,
  kVertexYColumn = 1,
  kVertexZColumn = 2,
  kTiltXColumn = 3,
  kTiltYColumn = 4,
  kTiltZColumn = 5,
  kDecentreYColumn = 6,
  kDecentreZColumn = 7,
  kPositionsColumnCount = 8,
};

class TPositionsModel final : public TGridPageModel {
 public:
  std::vector<std::string> ColumnCaptions() const override;
  std::vector<int> ColumnWidths() const override;
  std::vector<std::string> RowCaptions(const TOpticalSystem &system) const override;
  std::string CellText(const TOpticalSystem &system, int row, int column) const override;
  bool CellEditable(const TOpticalSystem &system, int row, int column) const override;
  TPropertyEdit EditCell(TSystemImage &system, int row, int column, const std::string &text) const override;
  std::string Legend() const override;
};
